// Whole macro runs through a fake window side: the entry by mode, the loop,
// errors and the end of a run, Esc, nested runs.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/docdata/doc_fields.h"
#include "csv/csv_table.h"
#include "fw/alloc.h"
#include "macro/macro_run.h"
#include "macro/macro_run_host.h"
#include "macro/macro_state.h"
#include "run_fixture.h"

namespace {

class MacroRun : public macrotest::RunFixture<> {
 protected:
  std::string LastStatus() const { return host.status.empty() ? "" : host.status.back(); }
};

// A test executor over the system-parameter class ("system_para") for the
// length of one test.
constexpr int kParaClass = 3;
struct TestExecutor {
  explicit TestExecutor(macro::StatementExecutor fn) { macro::SetTestExecutor(kParaClass, std::move(fn)); }
  ~TestExecutor() { macro::SetTestExecutor(kParaClass, nullptr); }
};

TEST_F(MacroRun, ADocumentWithCommentsADefineAndTheErrorSwitchRunsToItsEnd) {
  st->m_nMacroSortKey = 5;
  const int r = RunDocument("// a comment\r\n\tdefine\ttotal=5\r\n\r\n\teror_off\r\n");
  EXPECT_EQ(macro::kRunEnded, r);
  EXPECT_EQ("macro end   total replace = 0", LastStatus());
  EXPECT_EQ(1u, st->m_bMacroErrorsOff);
  EXPECT_EQ("5", std::string(st->m_strMacroVars[180].GetString()));
  EXPECT_TRUE(host.reports.empty());
  EXPECT_EQ(0, st->m_nMacroSortKey);  // the sort column is left at 0
  EXPECT_GE(host.cleared, 1);
}

TEST_F(MacroRun, TheTraceShowsLineCommandAndOperand) {
  RunDocument("// one\r\n\teror_off\r\n");
  ASSERT_GE(host.status.size(), 2u);
  EXPECT_EQ("CMND   1 : eror_off    ", host.status[0]);
}

TEST_F(MacroRun, AnUnknownCommandEndsTheRunWithItsLine) {
  SetDocumentText("//x\r\n\teror_of\tabc\r\n\teror_off\r\n");
  const int r = macro::RunMacro(rc, macro::kRunDocument, "C:\\m\\a.rmc", "", "");
  EXPECT_EQ(macro::kRunEnded, r);
  ASSERT_EQ(1u, host.reports.size());
  EXPECT_EQ("2:Macro Eror : cord = \neror_of\nabc\ncmnd = 1", host.reports[0]);
  EXPECT_EQ(0u, st->m_bMacroErrorsOff);  // the statement after it never ran
  // A run whose caller gave no folder reopens its source after the error.
  ASSERT_EQ(1u, host.opened.size());
  EXPECT_EQ("C:\\m\\a.rmc", host.opened[0]);
  EXPECT_EQ(std::vector<std::string>{"C:\\m\\a.rmc"}, host.titles);
  host.opened.clear();
  RunDocument("\teror_of\r\n");  // with a folder: neither
  EXPECT_TRUE(host.opened.empty());
}

TEST_F(MacroRun, AStatementOfALaterFamilyIsRecognisedAndStopped) {
  RunDocument("\tsavepdf\thello.pdf\r\n");
  ASSERT_EQ(1u, host.reports.size());
  EXPECT_NE(std::string::npos, host.reports[0].find("not available yet")) << host.reports[0];
}

TEST_F(MacroRun, EscAnsweredYesStopsAfterTheCurrentStatement) {
  host.escapes = 1;
  const int r = RunDocument("\teror_off\r\n\teror_on\r\n");
  EXPECT_EQ(macro::kRunStopped, r);
  EXPECT_EQ(1u, doc->m_bAbort);
  EXPECT_EQ(1u, st->m_bMacroErrorsOff);  // "eror_on" never ran
  EXPECT_EQ(std::vector<std::string>{"stop?"}, host.asked);
  EXPECT_EQ("macro end   total replace = 0", LastStatus());
  // The next run starts afresh: an old abort does not stop it.
  EXPECT_EQ(macro::kRunEnded, RunDocument("\teror_on\r\n"));
  EXPECT_EQ(0u, doc->m_bAbort);
}

TEST_F(MacroRun, EscAnsweredNoGoesOn) {
  host.escapes = 1;
  host.answerYes = false;
  EXPECT_EQ(macro::kRunEnded, RunDocument("\teror_off\r\n\teror_on\r\n"));
  EXPECT_EQ(0u, st->m_bMacroErrorsOff);
  EXPECT_EQ(0, host.escapes);  // the Esc was taken
}

// Before each statement the field count, the last row + 1 and the current
// line are in their variables as decimal text, whatever the slots held.
TEST_F(MacroRun, EachStatementSeesTheTableCountsAsDecimalText) {
  struct Case {
    std::uint32_t fields;
    std::int32_t lastRow;
  };
  for (const Case& c : {Case{3, 9}, Case{4000000000u, -1}, Case{0, -7}, Case{12, 2147483646}}) {
    SCOPED_TRACE(c.fields);
    for (int slot : {159, 153, 121}) st->m_strMacroVars[slot] = "stale text";
    table.m_nFieldCount = c.fields;
    table.m_nLastRow = c.lastRow;
    EXPECT_EQ(macro::kRunEnded, RunDocument("\teror_off\r\n\teror_on\r\n"));
    EXPECT_EQ(std::to_string(table.m_nFieldCount), Var(159));
    EXPECT_EQ(std::to_string(static_cast<long long>(table.m_nLastRow) + 1), Var(153));
    EXPECT_EQ(std::to_string(table.m_nCurLine), Var(121));
  }
}

TEST_F(MacroRun, ABatchTextGoesToTheDocument) {
  EXPECT_EQ(macro::kRunWasText, RunDocument("// head\r\n@BAT echo\r\n"));
  EXPECT_EQ("// head\r\n//AT echo\r\n", std::string(doc->m_pText, doc->m_nTextLen));
}

TEST_F(MacroRun, TheEndStatementEndsTheRun) {
  EXPECT_EQ(macro::kRunEnded, RunDocument("\tend\r\n\teror_off\r\n"));
  EXPECT_EQ(0u, st->m_bMacroErrorsOff);
  EXPECT_TRUE(host.reports.empty());
}

TEST_F(MacroRun, AStatementRunNeverReadsPastTheDocumentText) {
  // The document's bytes have no NUL within its length (the buffer is
  // exactly that long, so a read past it is caught).
  fw::Free(doc->m_pText);
  doc->m_pText = static_cast<char*>(fw::Alloc(5));
  std::memcpy(doc->m_pText, "a\nb\nc", 5);
  doc->m_nTextLen = 5;
  doc->m_nTextCapacity = 5;
  st->m_strStmtCommand = "eror_off";
  st->m_strStmtOperand = "";
  EXPECT_EQ(macro::kRunEnded, macro::RunMacro(rc, macro::kRunStatement, "", "", ""));
  EXPECT_EQ("a\nb\nc", std::string(reinterpret_cast<char*>(table.m_pTextBuf), table.m_nTextLen));
  EXPECT_EQ(2, table.m_nLastRow);
  EXPECT_EQ(1u, st->m_bMacroErrorsOff);
}

TEST_F(MacroRun, AStatementRunThatFailsKeepsTheDocumentPath) {
  doc->m_strPath1 = "C:\\data\\x.csv";
  st->m_strStmtCommand = "bogus";
  st->m_strStmtOperand = "op";
  macro::RunMacro(rc, macro::kRunStatement, "", "", "");
  EXPECT_EQ("C:\\data\\x.csv", std::string(doc->m_strPath1.GetString()));
  EXPECT_TRUE(host.opened.empty());
  EXPECT_TRUE(host.titles.empty());
}

TEST_F(MacroRun, AStatementBeginningLikeALineMarkIsRunAsACommand) {
  // 'L' would start a label, 'S' a stop mark: a statement a command built
  // is still run (and here reported as unknown).
  for (const char* command : {"Lbogus", "Sbogus"}) {
    host.reports.clear();
    st->m_strStmtCommand = command;
    st->m_strStmtOperand = "op";
    EXPECT_EQ(macro::kRunEnded, macro::RunMacro(rc, macro::kRunStatement, "", "", ""));
    ASSERT_EQ(1u, host.reports.size()) << command;
    EXPECT_EQ(std::string("2:Macro Eror : cord = \n") + command + "\nop\ncmnd = 0", host.reports[0]);
  }
}

TEST_F(MacroRun, MacroFiles) {
  const std::string path = ::testing::TempDir() + "run_test_macro.rmc";
  auto write = [&](const std::string& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  };
  // Comma form: the '$' becomes a blank, commas TABs.
  write("$,eror_off\r\n");
  EXPECT_EQ(macro::kRunEnded, macro::RunMacro(rc, macro::kRunFile, path.c_str(), "", "x"));
  EXPECT_EQ(1u, st->m_bMacroErrorsOff);
  // Exactly 900,000 bytes run; one more is refused.
  std::string big = "\teror_on\r\n";
  big.resize(900000, ' ');
  write(big);
  EXPECT_EQ(macro::kRunEnded, macro::RunMacro(rc, macro::kRunFile, path.c_str(), "", "x"));
  EXPECT_EQ(0u, st->m_bMacroErrorsOff);
  write(big + " ");
  EXPECT_EQ(macro::kRunStopped, macro::RunMacro(rc, macro::kRunFile, path.c_str(), "", "x"));
  EXPECT_EQ("2:Macro command over limit (900K)", host.reports.back());
  write("");
  EXPECT_EQ(macro::kRunStopped, macro::RunMacro(rc, macro::kRunFile, path.c_str(), "", "x"));
  std::remove(path.c_str());
  EXPECT_EQ(macro::kRunStopped, macro::RunMacro(rc, macro::kRunFile, path.c_str(), "", "x"));
}

TEST_F(MacroRun, MacroTextEscapes) {
  EXPECT_EQ(macro::kRunEnded, macro::RunMacro(rc, macro::kRunText, "\\teror_off\\n\\tdefine\\tq=3", "", ""));
  EXPECT_EQ(1u, st->m_bMacroErrorsOff);
  EXPECT_EQ("3", std::string(st->m_strMacroVars[180].GetString()));
}

TEST_F(MacroRun, ANestedRunKeepsTheOuterRunGoing) {
  SetDocumentText("\tdefine\ta=1\r\n\tdefine\tb=2\r\n");
  // Macro text run in the middle of the outer run (as a defined function's
  // body is): it shares the variables and leaves the outer place alone.
  host.onStatus = [&] {
    EXPECT_EQ(macro::kRunEnded, macro::RunMacro(rc, macro::kRunText, "\\teror_off\\n\\tdefine\\tc=3", "", ""));
  };
  EXPECT_EQ(macro::kRunEnded, macro::RunMacro(rc, macro::kRunDocument, "C:\\m\\a.rmc", "", "C:\\m"));
  // The outer run.s variables survived the nested one and it went on.
  EXPECT_EQ("3", std::string(st->m_strMacroVars[180].GetString()));
  EXPECT_EQ("1", std::string(st->m_strMacroVars[181].GetString()));
  EXPECT_EQ("2", std::string(st->m_strMacroVars[182].GetString()));
  EXPECT_EQ("180:c;181:a;182:b;", std::string(st->m_abMacroNameTable));
  EXPECT_EQ(1u, st->m_bMacroErrorsOff);
  EXPECT_EQ(0u, st->m_bMacroRunActive);
  EXPECT_EQ("macro end   total replace = 0", LastStatus());
}

TEST_F(MacroRun, EachRunTakesItsOwnSettingsSnapshot) {
  RunDocument("\teror_off\r\n");
  EXPECT_EQ(0, st->m_nSysParaSaved);
  doc->m_nIndata = 1234;
  st->m_nSysParaSaved = 0;
  RunDocument("\teror_off\r\n");
  EXPECT_EQ(1234, st->m_anSavedSysPara[0]);
}

TEST_F(MacroRun, EveryAllocationFailureEndsTheRunCleanly) {
  SetDocumentText("\teror_off\r\n");
  for (long n = 1;; ++n) {
    host.reports.clear();
    fw::alloctest::Reset();
    fw::alloctest::FailAt(n);
    const int r = macro::RunMacro(rc, macro::kRunDocument, "C:\\m\\a.rmc", "", "C:\\m");
    const bool reached = fw::alloctest::Failed() > 0;
    fw::alloctest::Reset();
    if (!reached) {
      EXPECT_EQ(macro::kRunEnded, r);
      break;
    }
    EXPECT_TRUE(r == macro::kRunStopped || r == macro::kRunEnded) << n;
    ASSERT_LT(n, 200);
  }
}

TEST_F(MacroRun, SettingsAStatementChangedAreRestoredAtTheEnd) {
  doc->m_nIndata = 1234;
  doc->m_nOutdata = 7;
  TestExecutor ex([](macro::MacroRunContext& r) {
    r.docSettings.m_nIndata = 1;
    r.docSettings.m_nOutdata = 2;
    r.state.m_nSysParaSaved = 2;  // the settings were changed
    return macro::Outcome::kNext;
  });
  EXPECT_EQ(macro::kRunEnded, RunDocument("\tsystem_para\r\n\tdefine\ta=1\r\n"));
  EXPECT_EQ(1234, doc->m_nIndata);
  EXPECT_EQ(7, doc->m_nOutdata);
  // Settings changed between runs are not reverted by a run that left them.
  doc->m_nIndata = 55;
  EXPECT_EQ(macro::kRunEnded, RunDocument("\tdefine\ta=1\r\n"));
  EXPECT_EQ(55, doc->m_nIndata);
}

// Depth 20 is the deepest call that runs; a depth above it ends the run.
TEST_F(MacroRun, ACallDepthAboveTwentyEndsTheRunAfterThatStatement) {
  TestExecutor ex([](macro::MacroRunContext& r) {
    r.state.m_nMacroCallDepth = 21;
    return macro::Outcome::kNext;
  });
  EXPECT_EQ(macro::kRunEnded, RunDocument("\tdefine\ta=1\r\n\tsystem_para\r\n\tdefine\tb=2\r\n"));
  EXPECT_EQ("1", Var(180));
  EXPECT_EQ("", Var(181));  // never reached
  EXPECT_EQ("macro end   total replace = 0", LastStatus());
  EXPECT_TRUE(host.reports.empty());
}

TEST_F(MacroRun, APausedRunResumesAtItsPlaceWithItsLineAndVariables) {
  int calls = 0;
  TestExecutor ex([&calls](macro::MacroRunContext&) {
    return ++calls == 1 ? macro::Outcome::kPause : macro::Outcome::kNext;
  });
  const std::string text = "\tdefine\ta=1\r\n\tsystem_para\r\n\tdefine\tb=2\r\n";
  EXPECT_EQ(macro::kRunPaused, RunDocument(text));
  EXPECT_GT(st->m_nMacroResumePos, 0);
  EXPECT_EQ(0u, st->m_bMacroRunActive);
  EXPECT_EQ("", Var(181));
  host.status.clear();
  EXPECT_EQ(macro::kRunEnded, RunDocument(text));
  EXPECT_EQ(1, calls);  // the paused statement is not run again
  EXPECT_EQ("1", Var(180));
  EXPECT_EQ("2", Var(181));
  ASSERT_FALSE(host.status.empty());
  EXPECT_EQ(0u, host.status.front().find("CMND   2"));  // the trace goes on at the next line
  EXPECT_EQ(0, st->m_nMacroResumePos);
}

TEST_F(MacroRun, ANestedRunFromAnExecutorLeavesTheOuterRunAsItWas) {
  int depth = 0;
  TestExecutor ex([&](macro::MacroRunContext& r) {
    if (++depth > 1) {  // inside the nested run: disturb what the outer run keeps
      r.state.m_anMacroStacks[0][1] = 99;
      r.state.m_nMacroCallDepth = 3;
      return macro::Outcome::kNext;
    }
    r.state.m_anMacroStacks[0][1] = 7;
    const std::int32_t line = r.state.m_nCmdLineNo;
    EXPECT_EQ(macro::kRunEnded,
              macro::RunMacro(r, macro::kRunText, "\\tdefine\\tc=3\\n\\tsystem_para", "", ""));
    EXPECT_EQ(line, r.state.m_nCmdLineNo);
    EXPECT_EQ(7u, r.state.m_anMacroStacks[0][1]);
    EXPECT_EQ(0, r.state.m_nMacroCallDepth);
    return macro::Outcome::kNext;
  });
  EXPECT_EQ(macro::kRunEnded, RunDocument("\tdefine\ta=1\r\n\tsystem_para\r\n\tdefine\tb=2\r\n"));
  EXPECT_EQ(2, depth);
  EXPECT_EQ("180:a;181:c;182:b;", std::string(st->m_abMacroNameTable));
  EXPECT_EQ("3", Var(181));
  EXPECT_EQ("2", Var(182));
  int ends = 0;
  for (const auto& s : host.status) ends += s.rfind("macro end", 0) == 0;
  EXPECT_EQ(1, ends);  // only the outer run shows its end
}

}  // namespace
