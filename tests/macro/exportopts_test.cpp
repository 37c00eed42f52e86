// The options of "savexls": the six option characters in their order, the
// mode and flag rules, the characters taken off, and the '%' title row.
#include <gtest/gtest.h>

#include <string>

#include "macro/macro_exportopts.h"

namespace {

TEST(ExportOptions, Table) {
  struct Case {
    const char* command;
    const char* operand;
    int mode, flag;
    const char* text;
  } cases[] = {
      {"&Sx@Sales", "C:\\out\\a.xlsx", 5, 0, "Sales"},
      {"&Sx@Sales", "C:\\out\\a.xls", 1, 0, "Sales"},
      {"&Sx$>rest", "a.xls", 0, 2, "rest"},
      {"&Sx@$", "a.xlsx", 0, 0, ""},  // '$' is read after '@'
      {"&Sx$@", "a.xlsx", 0, 0, ""},  // the order of the table, not of the text
      {"&Sx!x", "a.xls", 3, 0, "x"},
      {"&Sx#x", "a.xls", 2, 0, "x"},
      {"&Sx!#", "a.xls", 3, 0, ""},    // '#' after a mode leaves it
      {"&Sx*Sheet", "a.xls", 2, 1, "Sheet"},
      {"&Sx*>", "a.xls", 2, 2, ""},    // '>' overrides '*'
      {"&Sx>@B", "a.xlsx", 5, 2, "B"},
      {"&SxSheet1", "a.xls", 2, 0, "Sheet1"},  // no option character: nothing cut
      {"&SxS@", "a.xls", 2, 0, "S@"},          // the second counts only after a first
      {"&Sx@@@", "a.xls", 1, 0, "@"},          // two at most
      {"&Sx", "a.xls", -2, 0, ""},
      {"&Sx", "a.xlsx", 4, 0, ""},
      {"&S", "a.xlsx", 4, 0, ""},
  };
  for (const Case& c : cases) {
    const macro::ExportOptions o = macro::MacroReadExportOptions(c.command, c.operand);
    EXPECT_EQ(c.mode, o.mode) << c.command << " " << c.operand;
    EXPECT_EQ(c.flag, o.flag) << c.command;
    EXPECT_EQ(std::string(c.text), o.text.Str()) << c.command;
    EXPECT_FALSE(o.titleRow);
  }
}

TEST(ExportOptions, PercentMakesATitleRowAndEmptiesTheOptions) {
  const macro::ExportOptions o = macro::MacroReadExportOptions("&Sx%@Total", "a.xlsx");
  EXPECT_TRUE(o.titleRow);
  EXPECT_EQ("@Total", o.title.Str());
  EXPECT_EQ("", o.text.Str());
  EXPECT_EQ(4, o.mode);
  EXPECT_EQ(0, o.flag);
  EXPECT_EQ("@Total\x06\x06\r\n", macro::MacroExportTitleRow(o.title, 3));
  EXPECT_EQ("T\r\n", macro::MacroExportTitleRow("T", 1));
  EXPECT_EQ("T\r\n", macro::MacroExportTitleRow("T", 0));
}

}  // namespace
