// Control statements in whole runs: blocks by indentation, the if level,
// loops and their closers, "for" with its initialisation and step,
// "outloop", the one-line '>' form, "inc" and "dec". Each macro is checked
// by its variables afterwards, and every statement the trace shows must
// stand on the line whose number the trace gives (the line breaks before
// it), so every skip and jump keeps the line number right.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/docdata/doc_fields.h"
#include "csv/csv_table.h"
#include "fw/alloc.h"
#include "macro/macro_csvselect.h"
#include "macro/macro_flow.h"
#include "macro/macro_run.h"
#include "macro/macro_state.h"
#include "run_fixture.h"

namespace {

// Slots of "define\ta,b,c,d,i,j,n".
constexpr int kA = 180, kB = 181, kC = 182, kD = 183, kI = 184, kJ = 185, kN = 186;
const std::string kDefine = "\tdefine\ta,b,c,d,i,j,n\r\n";

std::string Canon(std::string s) {
  for (const char* from : {"==", "<$", ">$"}) {
    for (std::size_t at; (at = s.find(from)) != std::string::npos;) s.erase(at + 1, 1);
  }
  return s;
}

class Flow : public macrotest::RunFixture<> {
 protected:
  std::string text;

  // Runs `body` after the declarations; lines end in CR LF.
  int Run(const std::string& body) {
    text = kDefine + body;
    SetDocumentText(text);
    host.status.clear();
    host.reports.clear();
    host.statusCount = 0;
    host.statementCount = 0;
    host.statusLimit = 20000;
    const int r = macro::RunMacro(rc, macro::kRunDocument, "C:\\m\\a.rmc", "", "C:\\m");
    CheckTraceLines();
    return r;
  }
  // The same as a macro text (mode 4, "\t" and "\n" escapes), which keeps
  // the table's rows as they are (a run of a document resets them).
  int RunAsText(const std::string& body) {
    text = kDefine + body;
    std::string source;
    for (std::size_t k = 0; k < text.size(); ++k) {
      if (text[k] == '\t') {
        source += "\\t";
      } else if (text[k] == '\r' && k + 1 < text.size() && text[k + 1] == '\n') {
        source += "\\n";
        ++k;
      } else {
        source += text[k];
      }
    }
    host.status.clear();
    host.reports.clear();
    host.statusCount = 0;
    host.statementCount = 0;
    host.statusLimit = 20000;
    const int r = macro::RunMacro(rc, macro::kRunText, CString(source.c_str()), "", "");
    CheckTraceLines();
    return r;
  }
  // Every traced statement stands on the line the trace names.
  void CheckTraceLines() {
    std::vector<std::string> lines;
    for (std::size_t b = 0;;) {
      const std::size_t e = text.find('\n', b);
      lines.push_back(text.substr(b, e == std::string::npos ? std::string::npos : e - b));
      if (e == std::string::npos) break;
      b = e + 1;
    }
    for (const std::string& s : host.status) {
      int line = -1, used = 0;
      if (std::sscanf(s.c_str(), "CMND %d : %n", &line, &used) != 1 || used == 0) continue;
      const std::string rest = s.substr(static_cast<std::size_t>(used));
      const std::string command = rest.substr(0, rest.find("    "));
      ASSERT_GE(line, 0);
      ASSERT_LT(static_cast<std::size_t>(line), lines.size()) << s;
      EXPECT_NE(std::string::npos, Canon(lines[line]).find(Canon(command))) << s << " / line: " << lines[line];
    }
  }
  int Traced(const std::string& command) const {
    int n = 0;
    for (const std::string& s : host.status)
      if (s.find(" : " + command + "    ") != std::string::npos) ++n;
    return n;
  }
  void NoErrors() const { EXPECT_TRUE(host.reports.empty()) << host.reports[0]; }
};

// The block rules of "if", "else if" and "else", each a small macro with the
// variables it must leave.
TEST_F(Flow, IfElseBlocksAndTheIfLevel) {
  struct Case {
    const char* name;
    const char* body;
    const char *b, *c, *d;
  } cases[] = {
      {"false if reaches the else at its own indentation",
       "\tif:[a]==1\r\n\t  [b]++\r\n\telse\r\n\t  [c]++\r\n\tendif\r\n\t[d]++\r\n", "", "1", "1"},
      {"true if skips the else to its endif",
       "\t[a]++\r\n\tif:[a]==1\r\n\t  [b]++\r\n\telse\r\n\t  [c]++\r\n\t  [c]++\r\n\tendif\r\n\t[d]++\r\n", "1", "",
       "1"},
      {"a nested false if sets a deeper level: the outer else is still skipped",
       "\t[a]++\r\n\tif:[a]==1\r\n\t  if:[a]==2\r\n\t    [b]++\r\n\t  [c]++\r\n\telse\r\n\t  [d]++\r\n\tendif\r\n",
       "", "1", ""},
      {"an else deeper than the level is entered whatever the if gave",
       "\t[a]++\r\n\tif:[a]==1\r\n\t  [b]++\r\n\t  else\r\n\t    [c]++\r\n", "1", "1", ""},
      {"else if true after a false if: its body runs, the else is skipped",
       "\tif:[a]==1\r\n\t  [b]++\r\n\telse if:[a]==\r\n\t  [c]++\r\n\telse\r\n\t  [d]++\r\n\tendif\r\n", "", "1", ""},
      {"if and else if both false: the else body runs",
       "\tif:[a]==1\r\n\t  [b]++\r\n\telse if:[a]==2\r\n\t  [c]++\r\n\telse\r\n\t  [d]++\r\n\tendif\r\n", "", "", "1"},
      {"an else if after a true if is skipped without evaluation",
       "\tif:[a]==\r\n\t  [b]++\r\n\telse if:[a]==\r\n\t  [c]++\r\n\telse\r\n\t  [d]++\r\n\tendif\r\n", "1", "", ""},
      {"an else with an operand runs it as one assignment",
       "\tif:[a]==1\r\n\t  [b]++\r\n\telse\t[c]=7\r\n\t[d]++\r\n", "", "7", "1"},
      {"a false if as the last statement is taken as true", "\t[d]++\r\n\tif:[a]==1", "", "", "1"},
      {"a false if whose body runs to the end of a text without a last line break",
       "\tif:[a]==1\r\n\t  [b]++\r\n\t  [c]++", "", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(macro::kRunEnded, Run(c.body));
    NoErrors();
    EXPECT_EQ(c.b, Var(kB));
    EXPECT_EQ(c.c, Var(kC));
    EXPECT_EQ(c.d, Var(kD));
  }
}

TEST_F(Flow, TheIfLevelAndTheBlockIndentation) {
  Run("\t[a]++\r\n\tif:[a]==1\r\n\t  if:[a]==1\r\n\t    [b]++\r\n");
  EXPECT_EQ(3, st->m_nMacroIfLevel);      // inner "if" at 2, raised by its true result
  EXPECT_EQ(2, st->m_nMacroBlockIndent);  // the inner body was the last entered
  Run("\tif:[a]==1\r\n\t  [b]++\r\n\t[c]++\r\n");
  EXPECT_EQ(0, st->m_nMacroIfLevel);
  EXPECT_EQ(0, st->m_nMacroBlockIndent);  // a fresh run starts at 0, the false body was not entered
  Run("\tdo\r\n\t   [a]++\r\n\t   if:[a]==2\r\n\t     [b]++\r\n\tuntil:[a]==1\r\n");
  EXPECT_EQ(0, st->m_nMacroBlockIndent);  // "do" at 0 entered, the "if" at 3 not
  Run("\t[a]++\r\n\t if:[a]==1\t>[b]++\r\n");
  EXPECT_EQ(2, st->m_nMacroIfLevel);      // one-line true "if" at 1
  EXPECT_EQ(0, st->m_nMacroBlockIndent);  // no block entered
}

TEST_F(Flow, DoLoops) {
  // "do" ... "until": the body repeats until the condition holds; the
  // "do" line runs once.
  EXPECT_EQ(macro::kRunEnded, Run("\tdo\r\n\t  [a]++\r\n\tuntil:[a]==3\r\n\t[d]++\r\n"));
  NoErrors();
  EXPECT_EQ("3", Var(kA));
  EXPECT_EQ("1", Var(kD));
  EXPECT_EQ(1, Traced("do"));
  EXPECT_EQ(3, Traced("until:[a]==3"));
  // "do" ... "while".
  Run("\tdo\r\n\t  [a]++\r\n\twhile:[a]!=4\r\n");
  EXPECT_EQ("4", Var(kA));
  // "do while" ... "loop": the head is evaluated again each time.
  Run("\tdo while:[a]!=3\r\n\t  [a]++\r\n\tloop\r\n\t[d]++\r\n");
  NoErrors();
  EXPECT_EQ("3", Var(kA));
  EXPECT_EQ("1", Var(kD));
  EXPECT_EQ(4, Traced("do while:[a]!=3"));
  // "do until" ... "loop".
  Run("\tdo until:[a]==2\r\n\t  [a]++\r\n\tloop\r\n\t[d]++\r\n");
  EXPECT_EQ("2", Var(kA));
  EXPECT_EQ("1", Var(kD));
  // A "do while" false at once skips its body and its "loop" line.
  Run("\t[a]++\r\n\tdo while:[a]==\r\n\t  [b]++\r\n\tloop\r\n\t[d]++\r\n");
  EXPECT_EQ("", Var(kB));
  EXPECT_EQ("1", Var(kD));
  // Comment and data lines inside the body do not disturb the line count.
  Run("\tdo\r\n// note\r\n\t  [a]++\r\n//\r\n\r\n\tuntil:[a]==3\r\n\t[d]++\r\n");
  NoErrors();
  EXPECT_EQ("3", Var(kA));
  EXPECT_EQ("1", Var(kD));
  EXPECT_EQ(8, st->m_nCmdLineNo);  // every line break of the text, comment lines included
  // A closer without a head is passed.
  Run("\t[a]++\r\n\tloop\r\n\t[d]++\r\n");
  NoErrors();
  EXPECT_EQ("1", Var(kD));
}

TEST_F(Flow, ForLoops) {
  // Initialisation, condition and step, one "inc" in the body.
  EXPECT_EQ(macro::kRunEnded, Run("\tfor:[i]=0;[i]<#(4);[i]=#([i]+1)\r\n\t  [n]++\r\n\tloop\r\n\t[d]++\r\n"));
  NoErrors();
  EXPECT_EQ("4", Var(kI));
  EXPECT_EQ("4", Var(kN));
  EXPECT_EQ("1", Var(kD));
  EXPECT_EQ(0, st->m_bMacroForRepeat);  // the false condition cleared it
  // False at the first entry: the body and its "loop" line are skipped.
  Run("\tfor:[i]=5;[i]<#(3);[i]=#([i]+1)\r\n\t  [n]++\r\n\tloop\r\n\t[d]++\r\n");
  EXPECT_EQ("5", Var(kI));
  EXPECT_EQ("", Var(kN));
  EXPECT_EQ("1", Var(kD));
  // Two assignments in the initialisation.
  Run("\tfor:[i]=1,[j]=10;[i]<#(3);[i]=#([i]+1),[j]=#([j]+1)\r\n\t  [n]++\r\n\tloop\r\n");
  EXPECT_EQ("3", Var(kI));
  EXPECT_EQ("12", Var(kJ));  // the step runs after each pass
  EXPECT_EQ("2", Var(kN));
  // A "for" nested in another is reached with the repeat flag 1 (the first
  // entry of the outer "for" set it): it runs its step part instead of its
  // initialisation, as the flag is shared by every "for".
  Run("\tfor:[i]=0;[i]<#(2);[i]=#([i]+1)\r\n\t  for:[j]=0;[j]<#(2);[j]=#([j]+1)\r\n\t    [n]++\r\n\t  loop\r\n"
      "\tloop\r\n");
  NoErrors();
  EXPECT_EQ("2", Var(kI));
  EXPECT_EQ("3", Var(kJ));  // never initialised: steps 1, 2, then 3 on the second outer pass
  EXPECT_EQ("1", Var(kN));
  // A "for" entered after an "outloop" left another "for" steps too.
  Run("\tfor:[i]=0;[i]<#(5);[i]=#([i]+1)\r\n\t  outloop\r\n\tloop\r\n"
      "\tfor:[j]=0;[j]<#(3);[j]=#([j]+1)\r\n\t  [n]++\r\n\tloop\r\n");
  NoErrors();
  EXPECT_EQ("0", Var(kI));
  EXPECT_EQ("3", Var(kJ));
  EXPECT_EQ("2", Var(kN));
}

TEST_F(Flow, OutLoop) {
  // Leaves the inner of two loops.
  const char* nested =
      "\tdo\r\n\t  [a]++\r\n\t  do\r\n\t    [b]++\r\n\t    %s\r\n\t    [d]++\r\n\t  loop\r\n\t  [c]++\r\n"
      "\tuntil:[a]==2\r\n\t[n]++\r\n";
  char body[512];
  std::snprintf(body, sizeof body, nested, "outloop");
  EXPECT_EQ(macro::kRunEnded, Run(body));
  NoErrors();
  EXPECT_EQ("2", Var(kA));
  EXPECT_EQ("2", Var(kB));
  EXPECT_EQ("2", Var(kC));
  EXPECT_EQ("", Var(kD));
  EXPECT_EQ("1", Var(kN));
  // "outloop:2" leaves both.
  std::snprintf(body, sizeof body, nested, "outloop:2");
  Run(body);
  NoErrors();
  EXPECT_EQ("1", Var(kA));
  EXPECT_EQ("1", Var(kB));
  EXPECT_EQ("", Var(kC));
  EXPECT_EQ("1", Var(kN));
  // A "for" loop is left the same way.
  Run("\tfor:[i]=0;[i]<#(5);[i]=#([i]+1)\r\n\t  [n]++\r\n\t  outloop\r\n\tloop\r\n\t[d]++\r\n");
  EXPECT_EQ("1", Var(kN));
  EXPECT_EQ("1", Var(kD));
  EXPECT_EQ("0", Var(kI));
}

TEST_F(Flow, AMessageHoldingDoBetweenOutLoopAndTheCloserChangesTheCount) {
  const char* body =
      "\tdo\r\n\t  [a]++\r\n\t  outloop\r\n\t  [c]++\r\n\t  define\tz=%s\r\n\tuntil:[a]==2\r\n\t[b]++\r\n";
  char text1[256], text2[256];
  std::snprintf(text1, sizeof text1, body, "and more");
  std::snprintf(text2, sizeof text2, body, "and do more");
  Run(text1);
  NoErrors();
  EXPECT_EQ("1", Var(kA));
  EXPECT_EQ("", Var(kC));
  EXPECT_EQ("1", Var(kB));
  // The " do" opens a loop to the raw scan: the "until" does not close
  // enough, the scan runs off the text, and "outloop" goes on in place.
  Run(text2);
  NoErrors();
  EXPECT_EQ("2", Var(kA));
  EXPECT_EQ("2", Var(kC));
  EXPECT_EQ("1", Var(kB));
}

TEST_F(Flow, TheOneLineForm) {
  // True: the run goes on after the '>'.
  Run("\t[a]++\r\n\tif:[a]==1\t>[b]++\r\n\t[c]++\r\n");
  NoErrors();
  EXPECT_EQ("1", Var(kB));
  EXPECT_EQ("1", Var(kC));
  EXPECT_EQ(1, st->m_nMacroIfLevel);  // raised once; the "[c]++" at 0 set nothing
  // False: the next statement.
  Run("\tif:[a]==1\t>[b]++\r\n\t[c]++\r\n");
  EXPECT_EQ("", Var(kB));
  EXPECT_EQ("1", Var(kC));
}

TEST_F(Flow, IncAndDec) {
  struct Case {
    const char* word;
    int times;
    const char* before;
    const char* after;
  } cases[] = {
      {"inc5", 1, "", "5"},  {"inc5", 1, "2", "7"},   {"dec", 1, "", "-1"},  {"dec", 2, "", "-2"},
      {"dec", 1, "-1", "-2"}, {"inc", 1, "-5", "-4"}, {"dec3", 1, "1", "-2"}, {"inc", 1, "x", "1"},
      {"inc", 1, "2147483647", "2147483648"},         {"deca", 1, "3", "2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.word) + " on " + c.before);
    st->m_strMacroVars[kA] = c.before;
    for (int k = 0; k < c.times; ++k) macro::MacroIncDec(*st, c.word, "&D180++");
    EXPECT_EQ(c.after, Var(kA));
  }
  // Slots 0 and 5181 and a command naming no slot change nothing.
  st->m_strMacroVars[0] = "4";
  st->m_strMacroVars[5181] = "4";
  macro::MacroIncDec(*st, "inc", "&D0");
  macro::MacroIncDec(*st, "dec", "&D5181");
  macro::MacroIncDec(*st, "inc", "abc");
  EXPECT_EQ("4", std::string(st->m_strMacroVars[0].GetString()));
  EXPECT_EQ("4", std::string(st->m_strMacroVars[5181].GetString()));
  macro::MacroIncDec(*st, "inc", "&D5180");
  EXPECT_EQ("1", std::string(st->m_strMacroVars[5180].GetString()));
  // In a run.
  Run("\t[a]--\r\n\t[a]--\r\n\t[b]++5\r\n\tinc:&D0\r\n");
  NoErrors();
  EXPECT_EQ("-2", Var(kA));
  EXPECT_EQ("5", Var(kB));
}

TEST_F(Flow, ANestedRunKeepsTheOuterControlState) {
  st->m_nMacroIfLevel = 0;
  bool nestedRan = false;
  Run("\t[a]++\r\n\tif:[a]==1\r\n\t  [b]++\r\n");
  // A nested file run starts fresh and gives the outer run its state back.
  host.onStatus = [&] {
    st->m_nMacroIfLevel = 7;
    st->m_nMacroBlockIndent = 6;
    st->m_bMacroForRepeat = 1;
    const std::size_t traced = host.status.size();
    macro::RunMacro(rc, macro::kRunText, "\\t[a]++\\n\\tif:[a]==2\\n\\t  [b]++", "", "");
    host.status.resize(traced);  // the nested text has lines of its own
    nestedRan = true;
    EXPECT_EQ(7, st->m_nMacroIfLevel);
    EXPECT_EQ(6, st->m_nMacroBlockIndent);
    EXPECT_EQ(1, st->m_bMacroForRepeat);
    st->m_nMacroIfLevel = 0;
    st->m_nMacroBlockIndent = 0;
    st->m_bMacroForRepeat = 0;
  };
  Run("\t[c]++\r\n");
  EXPECT_TRUE(nestedRan);
}

// A false "if" at the end of a loop body, without "endif": the skip lands
// on the loop's closer, which jumps back (the body's "loop" line belongs to
// the loop, not to the "if").
TEST_F(Flow, AFalseIfAtTheEndOfALoopBodyKeepsTheLoopGoing) {
  // Endless: the test host's statement budget ends it.
  Run("\tdo\r\n\t  [a]++\r\n\t  if:[a]==9\r\n\t    [b]++\r\n\tloop\r\n");
  EXPECT_EQ("1", Var(kB));
  EXPECT_GT(std::atoi(Var(kA).c_str()), 100);
  Run("\tfor:[i]=0;[i]<#(5);[i]=#([i]+1)\r\n\t  if:[i]==2\r\n\t    [b]++\r\n\tloop\r\n\t[d]++\r\n");
  NoErrors();
  EXPECT_EQ("5", Var(kI));
  EXPECT_EQ("1", Var(kB));
  EXPECT_EQ("1", Var(kD));
}

// A structured macro rewriting cells of a table with assignments; the
// expected table and variables are worked out by hand below.
TEST_F(Flow, AStructuredMacroRewritesTheTable) {
  const std::string csvText = "name,code,qty\r\nann,A,1\r\nbob,B,2\r\ncid,A,3\r\ndan,C,4\r\n";
  ASSERT_TRUE(table.LoadFileText(csvText.data(), csvText.size(), 64));
  table.m_nCurLine = 1;
  fileKind = 33;
  const int r = RunAsText(
      "\tfor:[i]=1;[i]<#(4);[i]=#([i]+1)\r\n"
      "\t  if:[i]==1\r\n"
      "\t    if:&2==A\t&3=#(&3+10)\r\n"   // pass 1: ann 1 -> 11, cid 3 -> 13
      "\t  else if:[i]==2\r\n"
      "\t    if:&2==B\t&3=#(&3*5)\r\n"    // pass 2: bob 2 -> 10
      "\t  else\r\n"
      "\t    if:&2==A\t&3=#(&3-1)\r\n"    // pass 3: ann 11 -> 10, cid 13 -> 12
      "\t    [n]++\r\n"
      "\t  endif\r\n"
      "\tloop\r\n"
      "\tdo\r\n"
      "\t  [a]++\r\n"
      "\t  if:&1==dan\t&3=#(&3*2)\r\n"     // dan 4 -> 8 -> 16
      "\t  if:[a]==2\r\n"
      "\t    outloop\r\n"
      "\tloop\r\n"
      "\t[d]--\r\n");
  EXPECT_EQ(macro::kRunEnded, r);
  NoErrors();
  std::string out;
  for (std::uint32_t k = 0; k < table.m_nTextLen; ++k) {
    const char c = static_cast<char>(table.m_pTextBuf[k]);
    if (c != '\r') out += c == '\x06' ? ',' : c;
  }
  EXPECT_EQ("name,code,qty\nann,A,10\nbob,B,10\ncid,A,12\ndan,C,16\n", out);
  EXPECT_EQ("4", Var(kI));
  EXPECT_EQ("1", Var(kN));
  EXPECT_EQ("2", Var(kA));
  EXPECT_EQ("-1", Var(kD));
}

}  // namespace

namespace {

// A run of a macro document over a table the view shows: every data row is
// seen (the run keeps the table's row count).
TEST_F(Flow, ADocumentRunSeesEveryRowOfTheShownTable) {
  const std::string csvText = "name,code,qty\r\nann,A,1\r\nbob,B,2\r\ncid,A,3\r\ndan,A,4\r\n";
  ASSERT_TRUE(table.LoadFileText(csvText.data(), csvText.size(), 64));
  fileKind = 33;
  EXPECT_EQ(macro::kRunEnded, Run("\tif:&2==A\t&3=#(&3+10)\r\n\tif:&1==dan\t&1=big\r\n"));
  NoErrors();
  std::string out;
  for (std::uint32_t k = 0; k < table.m_nTextLen; ++k) {
    const char c = static_cast<char>(table.m_pTextBuf[k]);
    if (c != '\r') out += c == '\x06' ? ',' : c;
  }
  EXPECT_EQ("name,code,qty\nann,A,11\nbob,B,2\ncid,A,13\nbig,A,14\n", out);
  EXPECT_EQ(4, table.m_nLastRow);
}

}  // namespace

namespace {

// A run ended by "E" shows the table's changes as a normal end does; the
// table's fingerprint tells the view that the run changed it.
TEST_F(Flow, EndingByEShowsTheChangedTable) {
  const std::string csvText = "name,code,qty\r\nann,A,1\r\nbob,B,2\r\n";
  ASSERT_TRUE(table.LoadFileText(csvText.data(), csvText.size(), 64));
  fileKind = 33;
  host.redisplays = 0;
  const std::uint64_t before = macro::MacroTableFingerprint(table);
  EXPECT_EQ(macro::kRunEnded, Run("\tif:&2==A\t&3=#(&3+10)\r\n\tE\r\n\t[a]++\r\n"));
  NoErrors();
  EXPECT_EQ(1, host.redisplays);
  EXPECT_EQ("", Var(kA));
  const std::uint64_t after = macro::MacroTableFingerprint(table);
  EXPECT_NE(before, after);
  // Unchanged, the fingerprint stays.
  EXPECT_EQ(macro::kRunEnded, Run("\tif:&2==Z\t&3=#(&3+10)\r\n\tE\r\n"));
  EXPECT_EQ(2, host.redisplays);
  EXPECT_EQ(after, macro::MacroTableFingerprint(table));
}

}  // namespace

// An assignment standing as a statement of its own, as the graph template
// writes them: cut at its '=' (also with the value as operand), several on
// one line joined by "||", the value substituted and evaluated.
TEST_F(Flow, AssignmentsStandingAlone) {
  EXPECT_EQ(macro::kRunEnded, Run("\t[a]=5\r\n\t[b]=\t7\r\n\t[c]=1 || [d]=x:y\r\n\t[i]=#([a]*[b])\r\n"
                                  "\t[j]=\r\n\t[n]=[a]\r\n"));
  NoErrors();
  EXPECT_EQ("5", Var(kA));
  EXPECT_EQ("7", Var(kB));
  EXPECT_EQ("1", Var(kC));
  EXPECT_EQ("x:y", Var(kD));
  EXPECT_EQ("35", Var(kI));
  EXPECT_EQ("", Var(kJ));
  EXPECT_EQ("5", Var(kN));
  // Inside a block the assignment belongs to the block.
  Run("\tif:[a]==1\r\n\t  [b]=2\r\n\t[c]=3\r\n");
  EXPECT_EQ("", Var(kB));
  EXPECT_EQ("3", Var(kC));
}
