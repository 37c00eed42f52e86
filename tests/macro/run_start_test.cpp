// The start of a macro run: the text each mode runs and the fresh start of
// the variable store.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "fw/datetime.h"
#include "macro/macro_run_start.h"
#include "macro/macro_state.h"

namespace {

using macro::StatementRunText;

TEST(RunText, StatementKeepsOrDropsTheAmpersand) {
  EXPECT_EQ("\tsavetext\tx.txt", StatementRunText("&savetext", "x.txt"));
  EXPECT_EQ("\t&replace\ta", StatementRunText("&replace", "a"));  // "re" keeps it
  EXPECT_EQ("\t&1R\t", StatementRunText("&1R", ""));              // a digit
  EXPECT_EQ("\t&Su\t3", StatementRunText("&Su", "3"));            // upper case
  EXPECT_EQ("\t&@5\t", StatementRunText("&@5", ""));
  EXPECT_EQ("\t&\tx", StatementRunText("&", "x"));                // one byte
}

TEST(RunText, StatementTabEscapeIsReplacedWhole) {
  // Backslash, backslash, 't' becomes one TAB, with no stray byte left.
  EXPECT_EQ("\ta\tb\tc", StatementRunText("a\\\\tb", "c"));
  EXPECT_EQ("\tx\\t\ty", StatementRunText("x\\t", "y"));  // one backslash: kept
}

TEST(RunText, TextEscapes) {
  EXPECT_EQ("a\tb\r\nc", macro::ExpandTextRunEscapes("a\\tb\\nc"));
  EXPECT_EQ("\\x\\", macro::ExpandTextRunEscapes("\\x\\"));
  EXPECT_EQ("\\\tn", macro::ExpandTextRunEscapes("\\\\tn"));
}

TEST(RunText, CommaForm) {
  std::string t = "$cmd,op\\,still,more\r\nx,y";
  EXPECT_TRUE(macro::CommaFormToColumns(&t));
  EXPECT_EQ(" cmd\top\\,still\tmore\r\nx\ty", t);
  std::string plain = "a,b";
  EXPECT_FALSE(macro::CommaFormToColumns(&plain));
  EXPECT_EQ("a,b", plain);
}

TEST(RunText, BatchTextAfterCommentLines) {
  std::string t = "// one\r\n//two\r\n@BAT echo\r\nrest";
  EXPECT_TRUE(macro::TakeBatchText(&t));
  EXPECT_EQ("// one\r\n//two\r\n//AT echo\r\nrest", t);
  std::string indented = " @BAT";
  EXPECT_FALSE(macro::TakeBatchText(&indented));
  std::string late = "x\r\n@BAT";
  EXPECT_FALSE(macro::TakeBatchText(&late));
  std::string onlyComments = "//a\r\n//b";
  EXPECT_FALSE(macro::TakeBatchText(&onlyComments));
  std::string shortText = "@BA";
  EXPECT_FALSE(macro::TakeBatchText(&shortText));
}

TEST(RunText, Folder) {
  EXPECT_EQ("C:\\m", std::string(macro::RunFolder("C:\\m\\a.rmc", "").GetString()));
  EXPECT_EQ("D:\\x", std::string(macro::RunFolder("C:\\m\\a.rmc", "D:\\x").GetString()));
  EXPECT_EQ("", std::string(macro::RunFolder("a.rmc", "").GetString()));
}

class FreshStart : public ::testing::Test {
 protected:
  std::unique_ptr<macro::MacroState> st = std::make_unique<macro::MacroState>();
  macro::RunStartValues v;
  void SetUp() override {
    for (int s = 0; s < macro::kVarSlots; ++s) st->m_strMacroVars[s] = "old";
    for (auto& f : st->m_aMacroVarFlags) f = 7;
    std::strcpy(st->m_abMacroNameTable, "180:a;");
    st->m_nMacroNextSlot = 181;
    v.now = fw::MakeLocalTime(2026, 3, 4, 5, 6, 7, -1);
    v.source = "C:\\m\\a.rmc";
    v.folder = "C:\\m";
    v.paramPath = "D:\\data\\list.v2.csv";
    v.nameField1 = "first";
    v.userName = "user";
  }
  std::string Var(int s) const { return st->m_strMacroVars[s].GetString(); }
};

TEST_F(FreshStart, EachModeKeepsItsRanges) {
  struct Case {
    int mode;
    bool keeps0to49, keeps180to229, keepsNames;
  } cases[] = {{1, false, false, false}, {2, false, false, false}, {3, false, false, false},
               {4, false, false, false}, {12, true, false, false}, {13, true, true, true}};
  for (const Case& c : cases) {
    SetUp();
    macro::FreshRunStart(*st, c.mode, v);
    EXPECT_EQ(c.keeps0to49, Var(0) == "old") << c.mode;
    EXPECT_EQ(c.keeps0to49, Var(49) == "old") << c.mode;
    EXPECT_EQ("", Var(50)) << c.mode;
    EXPECT_EQ("old", Var(168)) << c.mode;  // the kept slots
    EXPECT_EQ("old", Var(179)) << c.mode;
    EXPECT_EQ(c.keeps180to229, Var(180) == "old") << c.mode;
    EXPECT_EQ(c.keeps180to229, Var(229) == "old") << c.mode;
    EXPECT_EQ("", Var(230)) << c.mode;
    EXPECT_EQ("", Var(5180)) << c.mode;
    EXPECT_EQ("old", Var(5181)) << c.mode;  // the end slot is never cleared
    EXPECT_EQ(c.keeps180to229 ? 7u : 0u, st->m_aMacroVarFlags[200]) << c.mode;
    EXPECT_EQ(c.keepsNames, std::string(st->m_abMacroNameTable) == "180:a;") << c.mode;
    EXPECT_EQ(c.keepsNames ? 181 : 180, st->m_nMacroNextSlot) << c.mode;
    EXPECT_EQ(c.mode == 12 ? "B" : "", Var(165)) << c.mode;
  }
}

TEST_F(FreshStart, SystemSlots) {
  macro::FreshRunStart(*st, 2, v);
  EXPECT_EQ("04", Var(113));
  EXPECT_EQ("03", Var(122));
  EXPECT_EQ("26", Var(166));
  EXPECT_EQ("05", Var(149));
  EXPECT_EQ("06", Var(154));
  EXPECT_EQ("07", Var(160));
  EXPECT_EQ("3762", Var(163));
  EXPECT_EQ("first", Var(114));
  EXPECT_EQ("first", Var(126));  // the second name field is empty
  EXPECT_EQ("", Var(127));       // no document number
  EXPECT_EQ("D:\\data\\list.v2.csv", Var(115));
  EXPECT_EQ("D:\\data\\list.v2", Var(147));
  EXPECT_EQ("D:\\data", Var(125));
  EXPECT_EQ("list.v2.csv", Var(116));
  EXPECT_EQ("list.v2", Var(148));
  EXPECT_EQ("C:\\m\\a.rmc", Var(133));
  EXPECT_EQ("C:\\m", Var(132));
  EXPECT_EQ("user", Var(130));
  EXPECT_EQ("", Var(117));
  v.nameField2 = "second";
  v.documentNumber = 3;
  v.paramPath = "plain";
  macro::FreshRunStart(*st, 2, v);
  EXPECT_EQ("second", Var(126));
  EXPECT_EQ("3", Var(127));
  EXPECT_EQ("plain", Var(125));  // without a '\' both parts are the whole path
  EXPECT_EQ("plain", Var(116));
  EXPECT_EQ("plain", Var(147));
}

}  // namespace
