// A golden macro text through scanner, preparation, command words and
// classification: each statement's line, command and operand as run, word
// and class (with the '#' mark read with debug mode off and on).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "macro/macro_classify.h"
#include "macro/macro_prepare.h"
#include "macro/macro_scan.h"
#include "macro/macro_state.h"

namespace {

const char kGolden[] =
    "// comment one\r\n"
    "/ comment two\r\n"
    "\t// TAB, then a comment\r\n"
    "\tdefine\ta=1 || define b=2\r\n"
    "\tdefine a=1 || define b=2\r\n"
    "\tif:[a]==1 AND\r\n"
    "\t\t[b]==2\tmsg\r\n"
    "Lstart\r\n"
    "#\teror_off\r\n"
    "\tif([a]==1)\r\n"
    "\twhile([a]<3)\r\n"
    "\t&U3\r\n"
    "\t[x]++\r\n"
    "\trowdel:2\r\n"
    "\trow:2\r\n"
    "\tsavexls:a.xls\r\n"
    "\tform:3\tSUM\r\n"
    "\tsortup:3\tNUM\r\n"
    "\trep:&1@1_:!#\r\n";

struct Step {
  int line;
  std::string command, operand, word;
  int cls;
};

std::vector<Step> Pipeline(int debugMode) {
  auto st = std::make_unique<macro::MacroState>();
  const std::string text = kGolden;
  std::vector<Step> steps;
  while (macro::ScanMacroStatement(*st, text.data(), static_cast<std::uint32_t>(text.size()), debugMode) ==
         macro::ScanResult::kStatement) {
    const int line = st->m_nCmdLineNo;
    const macro::PreparedStatement p = macro::PrepareStatement(*st, text);
    int cls = 8;
    if (!p.directCondition)
      cls = macro::MacroStatementClass(
          macro::MacroClassifyInputFor(p.word, p.letter, p.letter2, 0, 0, &st->m_strStmtOperand));
    steps.push_back({line, st->m_strStmtCommand.GetString(), st->m_strStmtOperand.GetString(), p.word.GetString(), cls});
    if (steps.size() > 100) break;
  }
  return steps;
}

TEST(MacroPipeline, GoldenStatements) {
  const std::vector<Step> want = {
      {3, "D", "a=1 || define b=2", "D", 36},  // "||" in the operand splits nothing
      {4, "D a", "=1", "D a", 36},              // one line, two statements, the same line
      {4, "D b", "=2", "D b", 36},
      {6, "if:[a]==1 AND[b]==2", "msg", "if", 8},  // " AND" continues on the next line
      {8, "eror_off", "", "eror_off", 9},           // the label line is no statement
      {9, "if:[a]==1", "", "if", 8},
      {10, "while:[a]<$3", "", "while", 6},
      {11, "&Su3", "", "&Su3", 16},
      {12, "[x]++", "", "inc", 7},
      {13, "&Rd2", "", "&Rd2", 10},
      {14, "&R:2", "", "&R:2", 10},
      {15, "&Sxa.xls", "", "&Sxa.xls", 53},
      {16, "&3#SUM", "", "&3#SUM", 1},  // the formula form takes the operand into the command
      {17, "&Sun3", "NUM", "&Sun3", 16},
      {18, "&1@1_:!#", "", "&1@1_:!#", 26},
  };
  for (int debug : {0, 1}) {
    std::vector<Step> got = Pipeline(debug);
    ASSERT_EQ(want.size(), got.size()) << debug;
    for (std::size_t k = 0; k < want.size(); ++k) {
      Step w = want[k];
      if (debug == 1 && w.line == 8) w = {8, "BK\r\n", "", "BK\r\n", 35};  // '#' with debug mode on
      EXPECT_EQ(w.line, got[k].line) << k << " debug " << debug;
      EXPECT_EQ(w.command, got[k].command) << k << " debug " << debug;
      EXPECT_EQ(w.operand, got[k].operand) << k << " debug " << debug;
      EXPECT_EQ(w.word, got[k].word) << k << " debug " << debug;
      EXPECT_EQ(w.cls, got[k].cls) << k << " debug " << debug;
    }
  }
}

}  // namespace
