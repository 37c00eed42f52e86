// Subroutine calls, jumps and returns through whole runs: the call stack's
// depth, the argument list and its bounds, by-reference parameters, the
// label search, '$' subroutines and the built-in "Graph" subroutine.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "core/docdata/doc_fields.h"
#include "csv/csv_table.h"
#include "fw/alloc.h"
#include "macro/macro_call.h"
#include "macro/macro_names.h"
#include "macro/macro_run.h"
#include "macro/macro_state.h"
#include "macro/macro_template.h"
#include "run_fixture.h"

namespace {

// Counts the updates of all views and the update code each one was asked.
class CountingHost : public macrotest::FakeRunHost {
 public:
  std::vector<app::UpdateCode> updates;
  app::DocUpdateFields* doc = nullptr;
  void UpdateAllViews() override { updates.push_back(doc ? doc->m_nUpdateCode : app::UpdateCode::kNone); }
};

// A test executor over one class for the length of one test.
struct ClassExecutor {
  int cls;
  ClassExecutor(int c, macro::StatementExecutor fn) : cls(c) { macro::SetTestExecutor(cls, std::move(fn)); }
  ~ClassExecutor() { macro::SetTestExecutor(cls, nullptr); }
};

class MacroCall : public macrotest::RunFixture<CountingHost> {
 protected:
  void SetUp() override { host.doc = doc.get(); }

  int Run(const std::string& text) { return RunDocument(text); }
  std::string Reports() const {
    std::string all;
    for (const auto& r : host.reports) all += r + "|";
    return all;
  }
};

// The "system_para" statement stands in for an assignment the tests need:
// it writes its operand "slot=value" or "name=value" (a declared name of the
// running subroutine first).
constexpr int kParaClass = 3;
macro::StatementExecutor Assign() {
  return [](macro::MacroRunContext& r) {
    const std::string op = r.state.m_strStmtOperand.Str();
    const std::size_t eq = op.find('=');
    const std::string target = op.substr(0, eq), value = op.substr(eq + 1);
    int slot = std::atoi(target.c_str());
    if (slot == 0) slot = macro::MacroFindDeclaredSlot(r.state, target);
    if (slot > 0 && slot < macro::kVarSlots) r.state.m_strMacroVars[slot] = CString(value);
    return macro::Outcome::kNext;
  };
}

// A chain of subroutines s1 ... sN, each marking its slot k and calling the
// next; sN also jumps to a label "t" of its own past a decoy "t" earlier in
// the text.
std::string Chain(int n) {
  std::ostringstream m;
  m << "\tcall:s1\r\n\tsystem_para\t30=done\r\n\tE\r\n";
  m << "Lt\tsystem_para\t31=decoy\r\n\tE\r\n";
  for (int k = 1; k <= n; ++k) {
    m << ":s" << k << "\tsystem_para\t" << k << "=" << k << "\r\n";
    if (k < n) {
      m << "\tcall:s" << k + 1 << "\r\n";
    } else {
      m << "\tjump:t\r\n\tsystem_para\t32=skipped\r\n";
      m << "Lt\tsystem_para\t33=own" << k << "\r\n";
      m << "\tcall:s" << k + 1 << "\r\n";
    }
    m << "\tR\r\n";
  }
  m << ":s" << n + 1 << "\tsystem_para\t34=beyond\r\n\tR\r\n";
  return m.str();
}

TEST_F(MacroCall, TwentyNestedCallsRunAndJumpWithinTheDeepestOne) {
  ClassExecutor assign(kParaClass, Assign());
  // s20 calls s21 (the 21st call): that one stops the run.
  EXPECT_EQ(macro::kRunEnded, Run(Chain(20)));
  for (int k = 1; k <= 20; ++k) EXPECT_EQ(std::to_string(k), Var(k)) << k;
  EXPECT_EQ("own20", Var(33));  // the jump at depth 20 found its own label
  EXPECT_EQ("", Var(31));
  EXPECT_EQ("", Var(32));
  EXPECT_EQ("", Var(34));
  EXPECT_EQ("2:Over call stack Eror|", Reports());
  EXPECT_EQ("", Var(30));  // the run ended there
}

TEST_F(MacroCall, NineteenNestedCallsAndOneMoreReturnToTheTop) {
  ClassExecutor assign(kParaClass, Assign());
  // s19 calls s20, which is the 20th call: it runs and every level returns.
  EXPECT_EQ(macro::kRunEnded, Run(Chain(19)));
  EXPECT_EQ("", Reports());
  EXPECT_EQ("own19", Var(33));
  EXPECT_EQ("beyond", Var(34));
  EXPECT_EQ("done", Var(30));
  EXPECT_EQ(0, st->m_nMacroCallDepth);
  EXPECT_EQ(0, st->m_nMacroCallFrames);
}

TEST_F(MacroCall, AStarArgumentIsHandedBackAtReturnAlsoFromASlotAbove4096) {
  ClassExecutor assign(kParaClass, Assign());
  const std::string text =
      "\tdefine\tx=5\r\n"
      "\tcall:twice\t[x]*,&D4100*,&D7\r\n"
      "\tE\r\n"
      ":twice\tpara\tp,q,r\r\n"
      "\tsystem_para\t40=[p]\r\n"
      "\tsystem_para\tp=50\r\n"
      "\tsystem_para\tq=51\r\n"
      "\tsystem_para\tr=52\r\n"
      "\tR\r\n";
  EXPECT_EQ(macro::kRunEnded, Run(text));
  EXPECT_EQ("", Reports());
  EXPECT_EQ("50", Var(180));   // x
  EXPECT_EQ("51", Var(4100));  // handed back above 4096
  EXPECT_EQ("", Var(7));       // passed by value
  EXPECT_EQ(3, st->m_nMacroArgCount);
  EXPECT_EQ("", Var(181));     // the parameters are released
  EXPECT_EQ(181, st->m_nMacroNextSlot);
  EXPECT_EQ("180:x;", std::string(st->m_abMacroNameTable));
}

TEST_F(MacroCall, ACallWithoutArgumentsPassesNone) {
  const std::string text =
      "\tcall:s\tone,two\r\n"
      "\tcall:s\r\n"
      "\tE\r\n"
      ":s\tpara\tp,q\r\n"
      "\tsystem_para\r\n"
      "\tR\r\n";
  int calls = 0;
  ClassExecutor probe(kParaClass, [&](macro::MacroRunContext& r) {
    const int slot = macro::MacroFindDeclaredSlot(r.state, "p");
    r.state.m_strMacroVars[++calls] = r.state.m_strMacroVars[slot];
    return macro::Outcome::kNext;
  });
  EXPECT_EQ(macro::kRunEnded, Run(text));
  EXPECT_EQ("one", Var(1));
  EXPECT_EQ("", Var(2));  // the second call passed nothing
  EXPECT_EQ(0, st->m_nMacroArgCount);
  EXPECT_EQ("one", std::string(st->m_strMacroArgs[0].GetString()));  // the list itself is kept
}

TEST_F(MacroCall, ArrayPiecesPassTheirSlotValuesFollowedByAnEmptyEntry) {
  ClassExecutor assign(kParaClass, Assign());
  const std::string text =
      "\tdefine\tv<3>={a|b|c},m<2|3>\r\n"
      "\tcall:s\tv<3>,m<2|3>,z*\r\n"
      "\tE\r\n"
      ":s\tpara\tp0\r\n"
      "\tR\r\n";
  EXPECT_EQ(macro::kRunEnded, Run(text));
  EXPECT_EQ("", Reports());
  const int v = 180;
  const int m = macro::MacroFindDeclaredSlot(*st, "m");
  ASSERT_GT(m, v);
  ASSERT_EQ(3 + 1 + 7 + 1 + 1, st->m_nMacroArgCount);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(Var(v + k), std::string(st->m_strMacroArgs[k].GetString())) << k;
  EXPECT_EQ("a", std::string(st->m_strMacroArgs[0].GetString()));
  EXPECT_EQ("", std::string(st->m_strMacroArgs[3].GetString()));
  for (int k = 0; k < 7; ++k) EXPECT_EQ(Var(m + k), std::string(st->m_strMacroArgs[4 + k].GetString())) << k;
  EXPECT_EQ("", std::string(st->m_strMacroArgs[11].GetString()));
  EXPECT_EQ("z", std::string(st->m_strMacroArgs[12].GetString()));  // its '*' dropped
}

// Lists that break a bound push nothing: depth, arguments, names and frames
// stay as they were.
TEST_F(MacroCall, ArgumentListsPastTheirBoundsStopBeforeAnythingIsPushed) {
  struct Case {
    const char* args;
    bool stops;
  } const cases[] = {
      {"&D5178<3>", false},                  // reads 5178-5180
      {"&D5179<3>", true},                   // would read 5181
      {"&D5180<1|1>", true},                 // 2 slots from 5180
      {"&D200<149>,&D200<150>", false},      // 150 + 151 = 301 entries
      {"&D200<150>,&D200<150>", true},       // 302
      {"&D1<299>,x", false},                 // 300 + 1
      {"&D1<299>,x,y", true},                // 302
      {"&D1<9999999999>", true},             // saturated size
      {"&D1<99999|99999>", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    host.reports.clear();
    st->m_strMacroArgs[0] = "kept";
    st->m_nMacroArgCount = 77;
    const std::string text = std::string("\tdefine\ta=1\r\n\tcall:s\t") + c.args + "\r\n\tE\r\n:s\tR\r\n";
    EXPECT_EQ(macro::kRunEnded, Run(text));
    if (c.stops) {
      EXPECT_EQ("2:Over parameter stack Eror|", Reports());
      EXPECT_EQ(0, st->m_nMacroCallDepth);
      EXPECT_EQ(0, st->m_nMacroCallFrames);
      EXPECT_EQ(77, st->m_nMacroArgCount);
      EXPECT_EQ("kept", std::string(st->m_strMacroArgs[0].GetString()));
      EXPECT_EQ("180:a;", std::string(st->m_abMacroNameTable));
    } else {
      EXPECT_EQ("", Reports());
      EXPECT_NE(77, st->m_nMacroArgCount);
    }
  }
}

TEST_F(MacroCall, AJumpInsideASubroutineFindsItsOwnLabelAndOutsideSearchesFromTheTop) {
  ClassExecutor assign(kParaClass, Assign());
  const std::string text =
      "\tjump:x\r\n"
      "\tsystem_para\t1=skipped\r\n"
      "Lx\tsystem_para\t2=top\r\n"
      "\tcall:a\r\n"
      "\tE\r\n"
      ":a\tjump:x\r\n"
      "\tsystem_para\t3=skipped\r\n"
      ":x\tsystem_para\t4=own\r\n"
      "\tR\r\n";
  EXPECT_EQ(macro::kRunEnded, Run(text));
  EXPECT_EQ("", Reports());
  EXPECT_EQ("", Var(1));
  EXPECT_EQ("top", Var(2));
  EXPECT_EQ("", Var(3));
  EXPECT_EQ("own", Var(4));
}

TEST_F(MacroCall, AMissingLabelLeavesTheCallPushedAndGoesOnInline) {
  ClassExecutor assign(kParaClass, Assign());
  struct Case {
    const char* text;
  } const cases[] = {
      {":sub\tsystem_para\t1=first line\r\n\tcall:sub\r\n\tsystem_para\t2=inline\r\n"},
      {"\tcall:sub\r\n\tsystem_para\t2=inline\r\n\tE\r\n:sub \tsystem_para\t1=blank\r\n\tR\r\n"},
      {"\tcall:sub\r\n\tsystem_para\t2=inline\r\n\tE\r\nLsub\tsystem_para\t1=jump label\r\n\tR\r\n"},
      {"\tcall:sub\r\n\tsystem_para\t2=inline\r\n\tE\r\n\t:sub\tsystem_para\t1=indented\r\n\tR\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(macro::kRunEnded, Run(c.text));
    EXPECT_EQ("", Reports());
    EXPECT_EQ("inline", Var(2));
    EXPECT_EQ(1, st->m_nMacroCallDepth);
  }
  // A call label 'S' is found by a call (the stop mark does not apply there).
  EXPECT_EQ(macro::kRunEnded, Run("\tcall:sub\r\n\tE\r\nSsub\tsystem_para\t1=found\r\n\tR\r\n"));
  EXPECT_EQ("found", Var(1));
  EXPECT_EQ(0, st->m_nMacroCallDepth);
}

TEST_F(MacroCall, ADollarSubroutineReturnsOnEAndEAtDepthZeroEndsTheRun) {
  ClassExecutor assign(kParaClass, Assign());
  const std::string text =
      "\tcall:s$\r\n"
      "\tsystem_para\t2=after\r\n"
      "\tE\r\n"
      "\tsystem_para\t3=never\r\n"
      ":s$\tsystem_para\t1=in\r\n"
      "\tcall:t\r\n"
      "\tE\r\n"
      ":t\tsystem_para\t4=inner\r\n"
      "\tR\r\n";
  EXPECT_EQ(macro::kRunEnded, Run(text));
  EXPECT_EQ("", Reports());
  EXPECT_EQ("in", Var(1));
  EXPECT_EQ("inner", Var(4));
  EXPECT_EQ("after", Var(2));
  EXPECT_EQ("", Var(3));
  EXPECT_EQ(0, st->m_nMacroFrameCount);
  EXPECT_EQ(0, st->m_nMacroCallDepth);
}

TEST_F(MacroCall, TheReturnPutsBackTheCallersLineAndIfLevel) {
  int line = -1;
  ClassExecutor probe(kParaClass, [&](macro::MacroRunContext& r) {
    // A fresh run starts at if level 0: the caller's level is set in the run.
    if (r.state.m_strStmtOperand == CString("set")) r.state.m_nMacroIfLevel = 4;
    if (r.state.m_strStmtOperand == CString("in")) r.state.m_nMacroIfLevel = 9;
    if (r.state.m_strStmtOperand == CString("after")) line = r.state.m_nCmdLineNo;
    return macro::Outcome::kNext;
  });
  EXPECT_EQ(macro::kRunEnded, Run("//\r\n\tsystem_para\tset\r\n\tcall:s\r\n\tsystem_para\tafter\r\n\tE\r\n"
                                  ":s\tsystem_para\tin\r\n\tR\r\n"));
  EXPECT_EQ(3, line);
  EXPECT_EQ(4, st->m_nMacroIfLevel);
}

// "Graph" without a label: the template is appended once (shown in debug
// mode with update code 7) and a second call finds its label. The "para"
// of the template returns at once, so its statements are not run here.
TEST_F(MacroCall, GraphIsAppendedOnceAndFoundByASecondCall) {
  ClassExecutor assign(kParaClass, Assign());
  int paras = 0;
  ClassExecutor para(33, [&](macro::MacroRunContext& r) {
    ++paras;
    return macro::MacroExecReturn(r);
  });
  const std::string text =
      "\tcall:Graph\tBar,1\r\n\tsystem_para\t1=back\r\n\tcall:Graph\r\n\tsystem_para\t2=again\r\n\tE";
  doc->m_nMacroDebugMode = 1;
  EXPECT_EQ(macro::kRunEnded, Run(text));
  EXPECT_EQ("", Reports());
  EXPECT_EQ(2, paras);
  EXPECT_EQ("back", Var(1));
  EXPECT_EQ("again", Var(2));
  ASSERT_EQ(1u, host.updates.size());
  EXPECT_EQ(app::UpdateCode::kAfterMouse, host.updates[0]);
  EXPECT_EQ(9u, fileKind);  // the stopped-macro form lasted for that update only
  EXPECT_EQ(text + macro::BuildMacroTemplate(), std::string(doc->m_pText, doc->m_nTextLen));
  EXPECT_EQ("Bar", std::string(st->m_strMacroArgs[0].GetString()));

  // Outside debug mode the document keeps its text.
  host.updates.clear();
  doc->m_nMacroDebugMode = 0;
  EXPECT_EQ(macro::kRunEnded, Run(text));
  EXPECT_EQ(text, std::string(doc->m_pText, doc->m_nTextLen));
  EXPECT_TRUE(host.updates.empty());
  EXPECT_EQ("again", Var(2));
}

TEST_F(MacroCall, GraphPastTheCommandBufferReportsCode126) {
  std::string text = "\tcall:Graph\r\n\tE\r\n//";
  text.append(macro::kMaxCommandText - text.size() - 100, 'x');
  EXPECT_EQ(macro::kRunEnded, macro::RunMacro(rc, macro::kRunText, CString(text), "", "C:\\m"));
  EXPECT_EQ("126:|", Reports());
}

// The label search on its own: where a label is recognised and the line it
// reports.
TEST(MacroLabel, SearchTable) {
  struct Case {
    const char* text;
    std::uint32_t from;
    char marker;
    const char* name;
    bool found;
    std::uint32_t next;
    int line;
  } const cases[] = {
      {":a\tx", 0, 'S', "a", false, 0, 0},                // first line
      {"\r\n:a\tx", 0, 'S', "a", true, 4, 1},
      {"\n:a", 0, 'S', "a", true, 3, 1},                   // the end of the text ends the name
      {"\r:a\r", 0, 'S', "a", true, 3, 1},                 // a lone CR is a line break
      {"\r\n:a \tx", 0, 'S', "a", false, 0, 0},           // a blank after the name
      {"\r\n:ab\tx", 0, 'S', "a", false, 0, 0},
      {"\r\nSa\tx", 0, 'S', "a", true, 4, 1},
      {"\r\nSa\tx", 0, 'L', "a", false, 0, 0},
      {"\r\nLa\tx", 0, 'L', "a", true, 4, 1},
      {"\r\nLa\tx", 0, 'S', "a", false, 0, 0},
      {"\r\n\r\n\n\r:a\t", 0, 'S', "a", true, 8, 4},
      {"x\r\n:a\r\n:a\r\n", 5, 'L', "a", true, 9, 7},  // from inside: the line given plus what follows
      {"\r\n:\t", 0, 'S', "", true, 3, 1},
      {"\r\n\0\r\n:a\t", 0, 'S', "a", false, 0, 0},  // a NUL ends the text
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const std::size_t n = std::strlen(c.text);
    const std::string text(c.text, n == 2 ? 8 : n);  // the NUL case runs on past its NUL
    macro::LabelHit hit;
    const int startLine = c.from > 0 ? 6 : 0;
    const bool found = macro::MacroFindLabel(text.data(), static_cast<std::uint32_t>(text.size()), c.from, startLine,
                                             c.marker, c.name, &hit);
    EXPECT_EQ(c.found, found);
    if (found && c.found) {
      EXPECT_EQ(c.next, hit.next);
      EXPECT_EQ(c.line, hit.line);
    }
  }
}

TEST(MacroLabel, TheTargetNameComesFromTheRestTheCommandOrTheOperand) {
  EXPECT_EQ("sub", macro::MacroCallTarget("Csub", "sub", "x"));
  EXPECT_EQ("sub", macro::MacroCallTarget("Csub", "", "x"));
  EXPECT_EQ("x", macro::MacroCallTarget("C", "", "x"));
  EXPECT_EQ(std::string(99, 'n'), macro::MacroCallTarget(CString(std::string(150, 'n')), "", ""));
}

}  // namespace
