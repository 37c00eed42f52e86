// The replace statements: the line-wise replace over a Shift-JIS table (the
// empty replacement, protected lines, TAB as the cell boundary, a literal
// leading '&', numbering codes, ranges, restarts, Esc, memory shortage),
// the replace statement's range and count, and the replace inside a
// variable.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/pattern/pattern.h"
#include "csv/csv_table.h"
#include "fake_run_host.h"
#include "fw/alloc.h"
#include "macro/macro_replace.h"
#include "macro/macro_run.h"
#include "macro/macro_state.h"
#include "run_fixture.h"
#include "support/alloc_walk.h"

namespace {

// Shift-JIS: 東京, 表 (second byte '\'), 示, ソ (second byte '\'), フ.
#define TOKYO "\x93\x8c\x8b\x9e"
#define HYO "\x95\x5c"
#define JI "\x8e\xa6"
#define SO "\x83\x5c"
#define FU "\x83\x74"

// Records the replace over text and confirms Esc at one progress text.
class ReplaceHost : public macrotest::FakeRunHost {
 public:
  std::string stopAt;  // the progress text at which the user stops
  std::string last;
  int polls = 0;
  struct TextReplace {
    std::string command, operand;
    int flags;
  };
  std::vector<TextReplace> textReplaces;

  void SetStatusText(int pane, const CString& text) override {
    FakeRunHost::SetStatusText(pane, text);
    last = text.GetString();
  }
  bool CheckEscapeAbort() override {
    ++polls;
    if (!stopAt.empty() && last == stopAt) return true;
    return FakeRunHost::CheckEscapeAbort();
  }
  int ReplaceAllInText(const CString& command, const CString& operand, int flags) override {
    textReplaces.push_back({command.GetString(), operand.GetString(), flags});
    return 3;
  }
};

class Replace : public macrotest::RunFixture<ReplaceHost> {
 protected:
  Replace() : RunFixture(33) {}

  void Load(const std::string& file) { ASSERT_TRUE(table.LoadFileText(file.data(), file.size(), 64)); }
  std::string Text() const {
    std::string s(reinterpret_cast<const char*>(table.m_pTextBuf), table.m_nTextLen);
    for (char& c : s) c = c == 0x06 ? ',' : c;
    return s;
  }
  // The statement run by its executor, as the loop hands it over.
  macro::Outcome Statement(const char* command, const char* operand) {
    st->m_strStmtCommand = command;
    st->m_strStmtOperand = operand;
    return macro::MacroRunReplaceStatement(rc);
  }
  macro::Outcome InVariable(const char* command, const char* operand) {
    st->m_strStmtCommand = command;
    st->m_strStmtOperand = operand;
    return macro::MacroRunReplaceInVariable(rc);
  }
};

struct LinesCase {
  const char* name;
  const char* file;
  const char* pattern;
  const char* replacement;
  macro::ReplaceRange range;
  const char* want;
  int count;
};

TEST_F(Replace, LineWiseReplaceCases) {
  const macro::ReplaceRange all{1, -1, 0, 0};
  const LinesCase cases[] = {
      {"NULL deletes", "h,h\r\na" TOKYO "," TOKYO "b\r\n", TOKYO, "NULL", all, "h,h\r\na,b\r\n", 2},
      {"a '!' line stays", "h,x\r\n!,x\r\nx,x\r\n", "x", "y", all, "h,y\r\n!,x\r\ny,y\r\n", 3},
      {"'!' without a cell boundary is no mark", "!x\r\n", "x", "y", all, "!y\r\n", 1},
      {"TAB is the cell boundary", "h\r\na,b,c\r\n", "a\tb", "b\ta", all, "h\r\nb,a,c\r\n", 1},
      {"a run stays in its cell", "h\r\na,b,c\r\n", "a&c", "X", all, "h\r\na,b,c\r\n", 0},
      {"leading \\& is literal", "h\r\n&abc,xabc\r\n", "\\&abc", "Z", all, "h\r\nZ,xabc\r\n", 1},
      {"leading & is a run", "h\r\n&abc,xabc\r\n", "&abc", "Z", all, "h\r\nZ,Z\r\n", 2},
      {"a numbering code is no run", "h\r\nxLN3y,xqLN3y\r\n", "x&LN3y", "Z", all, "h\r\nxLN3y,xqLN3y\r\n", 0},
      {"first line 1, last line 0", "a\r\na\r\na\r\n", "a", "b", {1, 0, 0, 0}, "b\r\na\r\na\r\n", 1},
      {"columns 2 to the last", "h,h,h\r\na,a,a\r\n", "a", "b", {2, -1, 2, 0}, "h,h,h\r\na,b,b\r\n", 2},
      {"column 2 alone", "a,a,a\r\n", "a", "b", {1, -1, 2, 2}, "a,b,a\r\n", 1},
      {"double-byte second bytes are no '\\'", "h\r\n" HYO "\\x," SO "x\r\n", "\\\\x", "Y", all,
       "h\r\n" HYO "Y," SO "x\r\n", 1},
      {"a double-byte pattern", "h\r\n" HYO JI "," FU HYO "\r\n", HYO, "X", all, "h\r\nX" JI "," FU "X\r\n", 2},
      {"no final line end", "h\r\na", "a", "b", all, "h\r\nb", 1},
      {"the end is kept as replaced", "h\r\na", "a|", "a\\r\\n", all, "h\r\na\r\n", 1},
      {"a last line emptied stays a line", "h\r\nab", "ab", "NULL", all, "h\r\n", 1},
      {"the case is kept", "A,a\r\n", "a", "b", all, "A,b\r\n", 1},
      {"nc: folds the case", "A,a\r\n", "nc:a", "b", all, "b,b\r\n", 2},
      {"whole text", "ab,b\r\n", "|b|", "c", {1, -1, 2, 2}, "ab,c\r\n", 1},
      {"$P is the match", "h\r\nab\r\n", "b", "[$P]", all, "h\r\na[b]\r\n", 1},
  };
  for (const LinesCase& c : cases) {
    Load(c.file);
    host.reports.clear();
    const int n = macro::MacroReplaceLines(&host, table, c.pattern, c.replacement, pat::kFlagsMacroReplace, c.range);
    EXPECT_EQ(c.count, n) << c.name;
    EXPECT_EQ(c.want, Text()) << c.name;
    EXPECT_TRUE(host.reports.empty()) << c.name;
  }
}

TEST_F(Replace, TheTableIsHandedBackWithRoomAndANewIndex) {
  Load("h1,h2\r\na,b\r\nc,d\r\n");
  const int n = macro::MacroReplaceLines(&host, table, "b", "x\\ty\\tz", pat::kFlagsMacroReplace, {1, -1, 0, 0});
  EXPECT_EQ(1, n);
  EXPECT_EQ("h1,h2\r\na,x,y,z\r\nc,d\r\n", Text());
  EXPECT_EQ(Text().size(), table.m_nTextLen);
  EXPECT_EQ(0, table.m_pTextBuf[table.m_nTextLen]);
  EXPECT_GE(table.m_nWorkSize, table.m_nTextLen + 1 + macro::kReplaceTableMargin);
  EXPECT_EQ(2, table.m_nLastRow);  // rows - 1
  // The fields of the first line.
  EXPECT_EQ(2u, table.m_nFieldCount);
}

TEST_F(Replace, ATextMoreThanTwiceAsLongRestartsAndCountsTheKeptPass) {
  std::string file, want;
  for (int k = 0; k < 1000; ++k) file += "a\r\n", want += "0123456789\r\n";
  Load(file);
  const int n = macro::MacroReplaceLines(&host, table, "a", "0123456789", pat::kFlagsMacroReplace, {1, -1, 0, 0});
  EXPECT_EQ(1000, n);
  EXPECT_EQ(want, Text());
  // Also by the statement: its total is the count of the kept pass.
  Load(file);
  st->m_nMacroReplaceTotal = 5;
  EXPECT_EQ(macro::Outcome::kNext, Statement("&@1_:a", "0123456789"));
  EXPECT_EQ(1005, st->m_nMacroReplaceTotal);
  EXPECT_EQ(want, Text());
}

TEST_F(Replace, EscAtLine30000Of50000KeepsTheRestAsItWas) {
  std::string file;
  for (int k = 0; k < 50000; ++k) file += "a\r\n";
  Load(file);
  host.stopAt = "   30000 line  (Push ESC key to stop)";
  const int n = macro::MacroReplaceLines(&host, table, "a", "b", pat::kFlagsMacroReplace, {1, -1, 0, 0});
  EXPECT_EQ(30000, n);
  std::string want;
  for (int k = 0; k < 50000; ++k) want += k < 30000 ? "b\r\n" : "a\r\n";
  EXPECT_EQ(want, Text());
  // Polled every 1,000th line from line index 20,000 (the 20,001st line) on.
  ASSERT_FALSE(host.status.empty());
  EXPECT_EQ("   20000 line  (Push ESC key to stop)", host.status.front());
  EXPECT_EQ(11, host.polls);
}

TEST_F(Replace, ShortTextsShowNoProgress) {
  std::string file;
  for (int k = 0; k < 20000; ++k) file += "a\r\n";
  Load(file);
  EXPECT_EQ(19999, macro::MacroReplaceLines(&host, table, "a", "b", pat::kFlagsMacroReplace, {2, -1, 0, 0}));
  EXPECT_TRUE(host.status.empty());
  EXPECT_EQ(0, host.polls);
}

// The statement's range: rows of the address from 1, or from the line after
// the title line m_nCurLine; columns as addressed.
TEST_F(Replace, StatementRanges) {
  struct {
    const char* command;
    int curLine;
    const char* want;  // the eight lines joined by '|'
  } cases[] = {
      {"&@0:x", 0, "x,x|y,y|y,y|y,y|y,y|y,y|y,y|y,y"},
      {"&@0:x", 1, "x,x|y,y|y,y|y,y|y,y|y,y|y,y|y,y"},
      {"&@0:x", 7, "x,x|x,x|x,x|x,x|x,x|x,x|x,x|y,y"},
      {"&@3_5:x", 7, "x,x|x,x|y,y|y,y|y,y|x,x|x,x|x,x"},
      {"&@3_:x", 1, "x,x|x,x|y,y|y,y|y,y|y,y|y,y|y,y"},
      {"&@1_:x", 5, "y,y|y,y|y,y|y,y|y,y|y,y|y,y|y,y"},
      {"&2:x", 1, "x,x|x,y|x,y|x,y|x,y|x,y|x,y|x,y"},
      {"&1@2:x", 1, "x,x|y,x|x,x|x,x|x,x|x,x|x,x|x,x"},
      {"&2-3@7_8:x", 1, "x,x|x,x|x,x|x,x|x,x|x,x|x,y|x,y"},
      {"&1@9_:x", 1, "x,x|x,x|x,x|x,x|x,x|x,x|x,x|x,x"},
  };
  for (const auto& c : cases) {
    std::string file;
    for (int k = 0; k < 8; ++k) file += "x,x\r\n";
    Load(file);
    table.m_nCurLine = c.curLine;
    ASSERT_EQ(macro::Outcome::kNext, Statement(c.command, "y")) << c.command;
    std::string want = c.want;
    for (char& ch : want) ch = ch == '|' ? '\n' : ch;
    std::string got = Text();
    std::string plain;
    for (char ch : got)
      if (ch != '\r') plain += ch;
    EXPECT_EQ(want + "\n", plain) << c.command << " at " << c.curLine;
    EXPECT_EQ("&", std::string(st->m_strStmtCommand.GetString()).substr(0, 1));
  }
}

TEST(ReplaceRange, RowsColumnsAndTheDefault) {
  macro::ReplaceRange r = macro::MacroReplaceStatementRange(3, 5, 0, 0, 9);
  EXPECT_EQ(3, r.firstLine);
  EXPECT_EQ(4, r.lastLine);
  r = macro::MacroReplaceStatementRange(3, 0, 2, 0, 9);
  EXPECT_EQ(-1, r.lastLine);
  EXPECT_EQ(2, r.colFirst);
  EXPECT_EQ(0, r.colLast);
  r = macro::MacroReplaceStatementRange(0, 0, 0, 0, 7);
  EXPECT_EQ(8, r.firstLine);
  r = macro::MacroReplaceStatementRange(0, 0, 0, 0, 0);
  EXPECT_EQ(2, r.firstLine);
}

TEST_F(Replace, EveryMemoryShortageIsReportedOnceAndAddsNothing) {
  const std::string file = "h,h\r\na,b\r\na,a\r\n";
  std::vector<std::string> first;
  const int kept = testsupport::WalkAllocationFailures(
      [&] {
        Load(file);
        host.reports.clear();
        st->m_nMacroReplaceTotal = 7;
        return 0;
      },
      [&](int) {
        Statement("&@0:a", "0123456789012345678901234567890123456789012345678901234567890123456789");
        return st->m_nMacroReplaceTotal;
      },
      [&](long n, int total, int) {
        ASSERT_EQ(1u, host.reports.size()) << n;
        first.push_back(host.reports[0]);
        EXPECT_EQ(7, total) << n;
        EXPECT_EQ(file, Text()) << n;
      });
  ASSERT_FALSE(first.empty());
  EXPECT_EQ("112:", first.front());
  EXPECT_EQ("130:", first.back());
  EXPECT_EQ(10, kept);
}

TEST_F(Replace, TextThatIsNoTableGoesToTheViewsReplaceAndCountsNothing) {
  fileKind = 9;
  Load("a,a\r\n");
  st->m_nMacroReplaceTotal = 2;
  EXPECT_EQ(macro::Outcome::kNext, Statement("&@0:|abc|", "x"));
  EXPECT_EQ(macro::Outcome::kNext, Statement("&2@3_:abc", "y"));
  ASSERT_EQ(2u, host.textReplaces.size());
  EXPECT_EQ(":|abc|", host.textReplaces[0].command);
  EXPECT_EQ("x", host.textReplaces[0].operand);
  EXPECT_EQ(static_cast<int>(pat::kFlagWholeText) + 4, host.textReplaces[0].flags);
  EXPECT_EQ("&2@3_:abc", host.textReplaces[1].command);
  EXPECT_EQ(4, host.textReplaces[1].flags);
  EXPECT_EQ(2, st->m_nMacroReplaceTotal);
  EXPECT_EQ("a,a\r\n", Text());
  // A table in another display form is no table here either.
  fileKind = 33;
  sourceView = 1;
  Statement("&@0:a", "b");
  EXPECT_EQ(3u, host.textReplaces.size());
}

// Whole runs: ".rmc" statements reach the executors and the end of the run
// shows the total.
TEST_F(Replace, AReplaceMacroShowsItsTotalAtTheEnd) {
  Load("code,name,city\r\n1," TOKYO ",a\r\n2,b" TOKYO ",b\r\n!,c,c\r\n3,c,c\r\n");
  EXPECT_EQ(macro::kRunEnded, RunDocument("// replace\r\n"
                                          "\trep:&2:" TOKYO "\tX\r\n"
                                          "\trep:&3@2_3:a\tNULL\r\n"
                                          "\trepl:&1@1_:c\tC\r\n"
                                          "\treplace:&@0:\\x22\tq\r\n"));
  EXPECT_TRUE(host.reports.empty()) << host.reports[0];
  EXPECT_EQ("Code,name,city\r\n1,X,\r\n2,bX,b\r\n!,c,c\r\n3,c,c\r\n", Text());
  EXPECT_EQ("macro end   total replace = 4", host.status.back());
}

TEST_F(Replace, AShortageEndsNoRunAndTheTotalCountsWhatWasReplaced) {
  Load("h\r\na\r\na\r\n");
  // From each replace statement on, every allocation fails.
  macro::SetTestExecutor(26, [](macro::MacroRunContext& r) {
    fw::alloctest::Reset();
    fw::alloctest::FailFrom(1);
    const macro::Outcome o = macro::MacroRunReplaceStatement(r);
    fw::alloctest::Reset();
    return o;
  });
  const int result = RunDocument("\trep:&@0:a\tb\r\n\trep:&@0:a\tc\r\n");
  macro::SetTestExecutor(26, nullptr);
  EXPECT_EQ(macro::kRunEnded, result);
  EXPECT_EQ((std::vector<std::string>{"112:", "112:"}), host.reports);
  EXPECT_EQ("macro end   total replace = 0", host.status.back());
  EXPECT_EQ("h\r\na\r\na\r\n", Text());
}

TEST_F(Replace, ANestedRunsReplacementsCountInTheOuterTotal) {
  Load("h\r\na\r\na\r\n");
  // "sys_para" stands for a statement that runs macro text as a nested run.
  int nested = 0;
  macro::SetTestExecutor(3, [&](macro::MacroRunContext& r) {
    nested = macro::RunMacro(r, macro::kRunText, "\\trep:&@0:a\\tb", "", "C:\\m");
    return macro::Outcome::kNext;
  });
  const int result = RunDocument("\trep:&@1_:h\tH\r\n\tsys_para\r\n\trep:&@0:b\tcc\r\n");
  macro::SetTestExecutor(3, nullptr);
  EXPECT_EQ(macro::kRunEnded, result);
  EXPECT_EQ(macro::kRunEnded, nested);
  EXPECT_EQ("H\r\ncc\r\ncc\r\n", Text());
  EXPECT_EQ("macro end   total replace = 5", host.status.back());
}

// ---- "replreg": replace inside a variable ----

TEST_F(Replace, InVariableCases) {
  struct {
    const char* command;
    const char* operand;
    int slot;
    std::string before, after;
    macro::Outcome outcome;
  } cases[] = {
      {"&D180:zz", "Q", 180, "abc", "abc", macro::Outcome::kNext},
      {"&D180:b", "B", 180, "abcb", "aBcB", macro::Outcome::kNext},
      {"&D180:a", "X", 180, "ab\r\nab\r\nab", "Xb\r\nXb\r\nXb", macro::Outcome::kNext},
      {"&D180:|a", "X", 180, "ab\nab\r\nb", "Xb\nXb\r\nb", macro::Outcome::kNext},
      {"&D180:b", "NULL", 180, "abc", "ac", macro::Outcome::kNext},
      {"&D180:a\\tb", "-", 180, "a\tb", "-", macro::Outcome::kNext},
      // The ':' inside the brackets belongs to the name (none: slot 0).
      {"[v:w]:b", "B", 0, "abc", "aBc", macro::Outcome::kNext},
      {"&D5181:a", "X", 0, "a", "X", macro::Outcome::kNext},
      {"&DA:a", "X", 'A' + 45, "a", "X", macro::Outcome::kNext},
      // No separator, or at the start: nothing happens.
      {"&D180", "X", 180, "a", "a", macro::Outcome::kNext},
      {":a", "X", 0, "a", "a", macro::Outcome::kNext},
      // 1,000 bytes in and out are taken; one more stops the run.
      {"&D180:a", "b", 180, std::string(1000, 'a'), std::string(1000, 'b'), macro::Outcome::kNext},
      {"&D180:a", "b", 180, std::string(1001, 'a'), std::string(1001, 'a'), macro::Outcome::kErrorExit},
      {"&D180:a", "bb", 180, std::string(500, 'a'), std::string(1000, 'b'), macro::Outcome::kNext},
      {"&D180:a", "bb", 180, std::string(501, 'a'), std::string(501, 'a'), macro::Outcome::kErrorExit},
      {"&D180:a", "b\\r\\nb", 180, std::string(300, 'a'), std::string(300, 'a'), macro::Outcome::kErrorExit},
  };
  for (const auto& c : cases) {
    st->m_strMacroVars[c.slot] = CString(c.before);
    EXPECT_EQ(c.outcome, InVariable(c.command, c.operand)) << c.command << " " << c.before.size();
    EXPECT_EQ(c.after, std::string(st->m_strMacroVars[c.slot].GetString())) << c.command << " " << c.before.size();
    st->m_strMacroVars[c.slot].Empty();
  }
}

TEST_F(Replace, InVariableFromAMacro) {
  Load("h\r\na\r\n");
  EXPECT_EQ(macro::kRunEnded, RunDocument("\tdefine\tv=abcabc\r\n\t[v]:b\tXY\r\n\t&D180:c\tNULL\r\n"));
  EXPECT_TRUE(host.reports.empty()) << host.reports[0];
  EXPECT_EQ("aXYaXY", Var(180));
  // A variable replace counts no replacement of the table.
  EXPECT_EQ("macro end   total replace = 0", host.status.back());
  // Over the limit the run ends there.
  host.status.clear();
  const int r = RunDocument("\tdefine\tv=abc\r\n\t[v]:b\t" + std::string(1000, 'x') + "\r\n\tdefine\tw=1\r\n");
  EXPECT_EQ(macro::kRunEnded, r);
  EXPECT_EQ("abc", Var(180));
  EXPECT_EQ("", Var(181));
}

}  // namespace
