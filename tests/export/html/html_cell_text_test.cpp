// The cell text of the HTML page: entities and markup, the hidden part,
// quotes and marks, blanks, number columns, the closing &nbsp; and the title
// line's low lines; natively also every number format against a Python
// reference with decimal's ROUND_HALF_UP.
#include "export/html/html_cell_text.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "support/outside_tool.h"

namespace {

using htmlexport::HtmlCellFormat;

HtmlCellFormat Format(unsigned char code, bool dataRow = false) {
  HtmlCellFormat f;
  f.code = code;
  f.dataRow = dataRow;
  return f;
}

std::string Cell(const std::string& text, const HtmlCellFormat& f = HtmlCellFormat()) {
  exportcore::ByteWriter out;
  out.Append("<td>");
  const std::size_t n = htmlexport::AppendHtmlCellText(text.data(), text.size(), f, out);
  EXPECT_EQ(n + 4, out.Size()) << text;
  return std::string(out.Data() + 4, n);
}

TEST(HtmlCellText, EntitiesEscapesAndMarkup) {
  EXPECT_EQ(Cell("a&b"), "a&amp;b");
  EXPECT_EQ(Cell("\\<b\\>"), "&lt;b&gt;");
  EXPECT_EQ(Cell("<b>x</b>"), "<b>x</b>");
  EXPECT_EQ(Cell("say \\\"hi\\\" \"x\""), "say&nbsp;&quot;hi&quot;&nbsp;\"x\"");
  EXPECT_EQ(Cell("[R] [C]2024 [r] [R [C"), "&reg;&nbsp;&copy;2024&nbsp;[r]&nbsp;[R&nbsp;[C");
  EXPECT_EQ(Cell("a\\b\\"), "a\\b\\");
}

TEST(HtmlCellText, HiddenPartAndDoubleByteCharacters) {
  EXPECT_EQ(Cell("ab^c&d"), "ab");
  EXPECT_EQ(Cell("^ab"), "");
  // "表" is 0x95 0x5C and "タ" 0x83 0x5E: their trail bytes escape and hide nothing.
  EXPECT_EQ(Cell("\x95\x5C<\x83\x5Ex^y"), "\x95\x5C<\x83\x5Ex");
  EXPECT_EQ(Cell("\x95\x5C\\<"), "\x95\x5C&lt;");
  // A lead byte before a byte that cannot follow it stands alone; one at the end is not read past.
  EXPECT_EQ(Cell("\x81&\x81"), "\x81&amp;\x81");
  exportcore::ByteWriter empty;
  EXPECT_EQ(htmlexport::AppendHtmlCellText(nullptr, 0, Format('i', true), empty), 6u);
}

TEST(HtmlCellText, QuotesSpanningMarkAndBlanks) {
  EXPECT_EQ(Cell("\"a b\""), "a&nbsp;b");
  EXPECT_EQ(Cell("\"a\"b"), "a\"b");
  EXPECT_EQ(Cell("\"ab\"^c\""), "ab");
  EXPECT_EQ(Cell("\"\""), "");
  HtmlCellFormat first;
  first.firstCell = true;
  EXPECT_EQ(Cell("~\"  x\"", first), "x");
  EXPECT_EQ(Cell("~x"), "~x");
  EXPECT_EQ(Cell("  a  b "), "a&nbsp;&nbsp;b&nbsp;");
  EXPECT_EQ(Cell("  a b", Format('v')), "&nbsp;&nbsp;a&nbsp;b&nbsp;");
}

TEST(HtmlCellText, NumberColumnsOnDataRows) {
  EXPECT_EQ(Cell(".5", Format('i', true)), "0.5&nbsp;");
  EXPECT_EQ(Cell("1200", Format('d', true)), "$1200&nbsp;");
  EXPECT_EQ(Cell("\\1200", Format('d', true)), "\\1200&nbsp;");
  EXPECT_EQ(Cell("1200", Format('m' | 0x80, true)), "\\1,200&nbsp;");
  EXPECT_EQ(Cell("$.5", Format('m', true)), "$0.5&nbsp;");
  EXPECT_EQ(Cell("1234.5", Format('2' | 0x80, true)), "1,234.50&nbsp;");
  // Commas of the value's own keep it grouped, placed anew.
  EXPECT_EQ(Cell("12,34.5", Format('2', true)), "1,234.50&nbsp;");
  EXPECT_EQ(Cell("1234.5", Format('2', true)), "1234.50&nbsp;");
  EXPECT_EQ(Cell("\"999.995\"", Format('2' | 0x80, true)), "1,000.00&nbsp;");
  EXPECT_EQ(Cell("9.999", Format('1', true)), "10.0&nbsp;");
  EXPECT_EQ(Cell(" 1,234 ", Format('0', true)), "1,234&nbsp;");
  // The title row and text in a number column are written as they stand.
  EXPECT_EQ(Cell("2024", Format('2' | 0x80)), "2024&nbsp;");
  EXPECT_EQ(Cell("1200", Format('d')), "1200&nbsp;");
  EXPECT_EQ(Cell("n/a", Format('d', true)), "n/a&nbsp;");
  EXPECT_EQ(Cell(".5", Format('s', true)), ".5");
}

TEST(HtmlCellText, ClosingBlankAndTitleLowLines) {
  EXPECT_EQ(Cell("", Format('i', true)), "&nbsp;");
  HtmlCellFormat f = Format('v');
  for (unsigned char after : {'L', 'C', 'R'}) {
    f.byteAfter = after;
    EXPECT_EQ(Cell("x", f), after == 'R' ? "x&nbsp;" : "x") << after;
  }
  const std::string lowLines = "T\x81\x51\x81\x51";
  f.titleLine = true;
  EXPECT_EQ(Cell(lowLines, f), lowLines + "&nbsp;");
  f.byteAfter = 'L';
  EXPECT_EQ(Cell(lowLines, f), "T");
  EXPECT_EQ(Cell("\x81\x51T\x81\x51^x", f), "\x81\x51T");
  // 0x88 0x81 is one character: the 'Q' after it is no low line's second byte.
  EXPECT_EQ(Cell("\x88\x81Q", f), "\x88\x81Q");
  f.titleLine = false;
  EXPECT_EQ(Cell(lowLines, f), lowLines);
}

#ifndef _WIN32
TEST(HtmlCellTextOracle, NumberFormatsMatchDecimalRoundHalfUp) {
  REQUIRE_TOOLS("python3")
  std::istringstream lines(
      testsupport::RunCapture("python3 '" TABRYE_TEST_ROOT "/tests/export/html/html_cell_text_oracle.py'"));
  int cases = 0;
  for (std::string line; std::getline(lines, line); ++cases) {
    const std::size_t a = line.find('\t'), b = line.find('\t', a + 1);
    ASSERT_NE(b, std::string::npos) << line;
    const unsigned char code = static_cast<unsigned char>(std::stoi(line.substr(0, a), nullptr, 16));
    const std::string value = line.substr(a + 1, b - a - 1);
    EXPECT_EQ(Cell(value, Format(code, true)), line.substr(b + 1)) << std::hex << int(code) << " " << value;
  }
  EXPECT_GT(cases, 8000);
}
#endif

}  // namespace
