// The view's conversion of text lines into the CSV table: the survey's
// choice of separator, the fields of separated lines, the block head lines
// of bar text and the range.
#include <gtest/gtest.h>

#include <string>

#include "csv/csv_table.h"
#include "macro/macro_texttotable.h"

using macro::TextTableSeparator;

namespace {

const std::uint8_t* U(const std::string& s) { return reinterpret_cast<const std::uint8_t*>(s.data()); }

std::string Content(const csv::Table& t) {
  return std::string(reinterpret_cast<const char*>(t.m_pTextBuf), t.UsedLength());
}

struct SurveyCase {
  const char* name;
  std::string text;
  TextTableSeparator separator;
  int firstBarLine;
};

class SurveyTest : public ::testing::TestWithParam<SurveyCase> {};

TEST_P(SurveyTest, ChoosesTheSeparator) {
  const SurveyCase& c = GetParam();
  const macro::TextTableSurvey s = macro::SurveyTextTable(U(c.text), c.text.size(), 0, -1);
  EXPECT_EQ(c.separator, s.separator) << c.name;
  EXPECT_EQ(c.firstBarLine, s.firstBarLine) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SurveyTest,
    ::testing::Values(
        SurveyCase{"two TABs beat bars", "a|b|c|d|e\r\nx\ty\tz\r\n", TextTableSeparator::kTab, 0},
        SurveyCase{"four bars", "title\r\n|a|b|c|\r\n", TextTableSeparator::kBar, 1},
        SurveyCase{"three bars are no table", "a|b|c|d\r\n", TextTableSeparator::kNone, -1},
        SurveyCase{"one TAB is no table", "a\tb\r\nc\td\r\n", TextTableSeparator::kNone, -1},
        // 0x83 0x7C is one character whose second byte looks like a bar.
        SurveyCase{"trail bytes are no bars", "\x83|\x83|\x83|\x83|\r\n", TextTableSeparator::kNone, -1},
        // Ten lines are surveyed; leading blank lines do not count.
        SurveyCase{"bars past the surveyed lines", "\n\n" + [] {
                     std::string s;
                     for (int i = 0; i < 11; ++i) s += "q\r\n";
                     return s;
                   }() + "|a|b|c|\r\n",
                   TextTableSeparator::kNone, -1},
        SurveyCase{"blank lines before the text", std::string(12, '\n') + "|a|b|c|\r\n", TextTableSeparator::kBar,
                   12}),
    [](const ::testing::TestParamInfo<SurveyCase>& i) {
      std::string n = i.param.name;
      for (char& ch : n) ch = std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
      return n;
    });

struct ConvertCase {
  const char* name;
  std::string text;
  int first, last;
  std::string want;
  int titleLine;
  unsigned rows;
};

class ConvertTest : public ::testing::TestWithParam<ConvertCase> {};

TEST_P(ConvertTest, WritesTheWorkingForm) {
  const ConvertCase& c = GetParam();
  csv::Table t;
  macro::TextTableRequest req;
  req.how = 1;
  req.firstLine = c.first;
  req.lastLine = c.last;
  const macro::TextTableOutcome o = macro::ConvertTextLinesToTable(U(c.text), c.text.size(), req, &t);
  ASSERT_EQ(macro::kTextTableDone, o.result) << c.name;
  EXPECT_EQ(c.want, Content(t)) << c.name;
  EXPECT_EQ(c.titleLine, o.titleLine) << c.name;
  EXPECT_EQ(c.rows, o.rowCount) << c.name;
  // The index is the one a fresh scan gives.
  csv::Table fresh;
  ASSERT_TRUE(fresh.Assign(c.want.data(), c.want.size(), 100));
  EXPECT_EQ(fresh.m_nLastRow, t.m_nLastRow) << c.name;
  EXPECT_EQ(fresh.m_nFieldCount, o.fieldCount) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ConvertTest,
    ::testing::Values(
        ConvertCase{"tab fields, trailing blanks cut, empty title fields",
                    "a \t\tc\r\nd\te  \tf\r\n", 0, -1, "a\x06_\x06" "c\r\nd\x06" "e\x06" "f\r\n", 1, 2},
        ConvertCase{"a comma inside a TAB field is quoted", "x,y\tz\tw\r\n", 0, -1, "\"x,y\"\x06z\x06w\r\n", 1, 1},
        ConvertCase{"a field already in quotes stays", "\"x,y\"\tz\tw\r\n", 0, -1, "\"x,y\"\x06z\x06w\r\n", 1, 1},
        ConvertCase{"open quotes are closed in the field", "a\"b\tc\td\r\n1\t2\t3\r\n", 0, -1,
                    "\"a\"\"b\"\x06" "c\x06" "d\r\n1\x06" "2\x06" "3\r\n", 1, 2},
        ConvertCase{"two TABs make TAB text even with bars", "a|b\tc\td\r\n", 0, -1, "a|b\x06" "c\x06" "d\r\n", 1, 1},
        ConvertCase{"bar text: rules and blank lines dropped",
                    "|a|b|c|\r\n+---+---+\r\n  \r\n|1|2|3|\r\n", 0, -1,
                    "_\x06" "a\x06" "b\x06" "c\x06_\r\n\x06" "1\x06" "2\x06" "3\x06\r\n", 1, 4},
        ConvertCase{"lines before the table stay text, their bars blanks",
                    "note|x\r\n|a|b|c|\r\n", 0, -1, "note x\r\n_\x06" "a\x06" "b\x06" "c\x06_\r\n", 2, 1},
        ConvertCase{"page and sheet lines become block heads",
                    "|a|b|c|\r\n --P12 page\r\n[Sheet34]\r\n|d|e|f|\r\n", 0, -1,
                    "_\x06" "a\x06" "b\x06" "c\x06_\r\n!#XLaA:P12\r\n!#XLaA:P34\r\n\x06" "d\x06" "e\x06" "f\x06\r\n",
                    1, 4},
        ConvertCase{"lines after the range are copied",
                    "a\tb\tc\r\n1\t2\t3\r\nrest\tx\r\n", 0, 1, "a\x06" "b\x06" "c\r\n1\x06" "2\x06" "3\r\nrest\tx\r\n",
                    1, 2},
        ConvertCase{"the range starts inside the text", "head\r\na\tb\tc\r\n", 1, 1, "head\r\na\x06" "b\x06" "c\r\n", 2,
                    1},
        ConvertCase{"a last line without a line end", "a\tb\tc", 0, -1, "a\x06" "b\x06" "c\r\n", 1, 1},
        ConvertCase{"a bar in a double-byte character stays",
                    "\x83|x|y|z|w|v\r\n", 0, -1, "\x83|x\x06y\x06z\x06w\x06v\r\n", 1, 1},
        ConvertCase{"blank-aligned columns", "NAME   CODE   CITY\r\nab     12     tokyo\r\ncdef   345    osaka\r\n", 0,
                    -1, "NAME\x06" "CODE\x06" "CITY\r\nab\x06" "12\x06" "tokyo\r\ncdef\x06" "345\x06" "osaka\r\n", 1, 3}),
    [](const ::testing::TestParamInfo<ConvertCase>& i) {
      std::string n = i.param.name;
      for (char& ch : n) ch = std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
      return n;
    });

TEST(TextToTable, DefaultEndIsTheLastLineOfFourWords) {
  const std::string text = "a b c d\r\ne f g h\r\nsum 3\r\n\r\n";
  EXPECT_EQ(1, macro::DefaultTextTableEnd(U(text), text.size()));
  const std::string none = "a\r\nb\r\n";
  EXPECT_EQ(1, macro::DefaultTextTableEnd(U(none), none.size()));
}

TEST(TextToTable, EmptyTextGivesAnEmptyTable) {
  csv::Table t;
  const macro::TextTableOutcome o = macro::ConvertTextLinesToTable(U(std::string()), 0, {}, &t);
  EXPECT_EQ(macro::kTextTableDone, o.result);
  EXPECT_EQ(0u, t.UsedLength());
}

}  // namespace
