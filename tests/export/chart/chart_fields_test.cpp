#include "export/chart/chart_fields.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace {

using chart::CellOffsetList;
using chart::ChartMessages;
using chart::ChartSheetList;
using chart::ChartText;

// Text as the working buffer holds it: fields separated by 0x06.
struct Text {
  explicit Text(std::string s) : bytes(std::move(s)) {}
  ChartText View() const { return ChartText{bytes.data(), static_cast<std::uint32_t>(bytes.size()), 8}; }
  std::string bytes;
};

struct RecordingHost : chart::ChartHost {
  void ShowMessage(const CString& text) override { shown.push_back(text.GetString()); }
  std::vector<std::string> shown;
};

TEST(ChartFieldText, ItemsAndTheTrailingP) {
  Text t("#12p^8p\r\n");
  EXPECT_EQ(chart::ChartFieldText(t.View(), 1, 0, chart::kChartNoDefault), "12");
  EXPECT_EQ(chart::ChartFieldText(t.View(), 1, 1, chart::kChartNoDefault), "8p");
  EXPECT_EQ(chart::ChartFieldText(t.View(), 1, 2, chart::kChartNoDefault), "");
  EXPECT_EQ(chart::ChartFieldText(t.View(), 1, 2, 5), "5");
  EXPECT_EQ(chart::ChartFieldText(t.View(), 0, 0, 5), "5");
  Text sep(std::string("#a\x06" "b^c\r\n"));
  EXPECT_EQ(chart::ChartFieldText(sep.View(), 1, 1, chart::kChartNoDefault), "b");
  EXPECT_EQ(chart::ChartFieldText(sep.View(), 1, 2, chart::kChartNoDefault), "c");
}

TEST(ChartFieldText, TrailCaretIsNoSeparatorAndCutsStayWhole) {
  // 0x83 0x5E is one character whose second byte is "^".
  Text t("#\x83^x^y");
  EXPECT_EQ(chart::ChartFieldText(t.View(), 1, 0, chart::kChartNoDefault), "\x83^x");
  EXPECT_EQ(chart::ChartFieldText(t.View(), 1, 1, chart::kChartNoDefault), "y");
  // 79 ASCII bytes then a double-byte character: cut before it, at 79.
  Text longField("#" + std::string(79, 'a') + "\x82\xA0" + "zz");
  std::string f = chart::ChartFieldText(longField.View(), 1, 0, chart::kChartNoDefault);
  EXPECT_EQ(f, std::string(79, 'a'));
  Text veryLong("#" + std::string(200, 'b'));
  EXPECT_EQ(chart::ChartFieldText(veryLong.View(), 1, 0, chart::kChartNoDefault).size(), 80u);
  // A "p" that is a trail byte stays ("\x82p" is one character).
  Text trailP("#\x82p");
  EXPECT_EQ(chart::ChartFieldText(trailP.View(), 1, 0, chart::kChartNoDefault), "\x82p");
  // Characters led by 0xF0-0xF9 are whole characters too: their "^" is no
  // separator and the cut at 80 bytes stays before them.
  Text userChar("#\xF0^x^y");
  EXPECT_EQ(chart::ChartFieldText(userChar.View(), 1, 0, chart::kChartNoDefault), "\xF0^x");
  Text longUser("#" + std::string(79, 'a') + "\xF5\x40" + "zz");
  EXPECT_EQ(chart::ChartFieldText(longUser.View(), 1, 0, chart::kChartNoDefault), std::string(79, 'a'));
}

TEST(ChartFieldInt, Values) {
  Text t("#-5^3.5^^x\r\nnext");
  EXPECT_EQ(chart::ChartFieldInt(t.View(), 1, 0, chart::kChartNoDefault), 5);
  EXPECT_EQ(chart::ChartFieldInt(t.View(), 1, 1, chart::kChartNoDefault), 3);
  EXPECT_EQ(chart::ChartFieldInt(t.View(), 1, 2, 7), 0);
  EXPECT_EQ(chart::ChartFieldInt(t.View(), 1, 4, 7), 7);
  EXPECT_EQ(chart::ChartFieldInt(t.View(), 1, 9, chart::kChartNoDefault), 0);
  EXPECT_EQ(chart::ChartFieldInt(t.View(), -3, 0, 7), 7);
  Text big("#99999999999999");
  EXPECT_EQ(chart::ChartFieldInt(big.View(), 1, 0, 0), 2147483647);
}

TEST(ChartNumberList, ItemsCellsAndPercents) {
  chart::ChartNumbers n;
  Text a("#10^20^300^200\r\n");
  chart::ChartNumberList(a.View(), 1, n);
  EXPECT_EQ(n[0], 10);
  EXPECT_EQ(n[1], 20);
  EXPECT_EQ(n[2], 300);
  EXPECT_EQ(n[3], 200);
  EXPECT_EQ(n[4], 0);
  Text c("#C5^400^300");
  chart::ChartNumberList(c.View(), 1, n);
  EXPECT_EQ(n[0], -3);
  EXPECT_EQ(n[1], -5);
  EXPECT_EQ(n[2], 400);
  EXPECT_EQ(n[3], 300);
  Text pct("#50%20^AA^-4px/9^9");
  chart::ChartNumberList(pct.View(), 1, n);
  EXPECT_EQ(n[0], -50);
  EXPECT_EQ(n[8], 20);
  EXPECT_EQ(n[1], -27);
  EXPECT_EQ(n[2], -4);
  EXPECT_EQ(n[3], 0);  // "/" ended the list
  // The tenth item's percentage lands in entry 17.
  Text ten("#1^2^3^4^5^6^7^8^9^10%-3");
  chart::ChartNumberList(ten.View(), 1, n);
  EXPECT_EQ(n[9], -10);
  EXPECT_EQ(n[17], -3);
  // Long digit runs saturate instead of overflowing.
  Text huge("#777777777777777777775^C99999999999");
  chart::ChartNumberList(huge.View(), 1, n);
  EXPECT_EQ(n[0], 1000000001);
  EXPECT_EQ(n[1], -3);
  EXPECT_EQ(n[2], -1000000001);
  Text at("#10@20");
  chart::ChartNumberList(at.View(), 1, n);
  EXPECT_EQ(n[0], 10);
  EXPECT_EQ(n[1], -20);
}

TEST(ChartCellText, LabelAndNumberModes) {
  Text t(std::string("#\"Tokyo\"^x\x06" "1,234.5yen\x06" "12.5.3\x06" "1-2\x06" "-\x06" "-0.5\r\n"));
  auto v = t.View();
  EXPECT_EQ(chart::ChartCellText(v, 1, chart::kChartCellLabel), "Tokyo");
  EXPECT_EQ(chart::ChartCellText(v, 11, chart::kChartCellNumber), "1234.5");
  std::size_t at = t.bytes.find("12.5.3");
  EXPECT_EQ(chart::ChartCellText(v, at, chart::kChartCellNumber), "");
  EXPECT_EQ(chart::ChartCellText(v, t.bytes.find("1-2"), chart::kChartCellNumber), "");
  EXPECT_EQ(chart::ChartCellText(v, t.bytes.find("-\x06"), chart::kChartCellNumber), "");
  EXPECT_EQ(chart::ChartCellText(v, t.bytes.find("-0.5"), chart::kChartCellNumber), "-0.5");
  EXPECT_TRUE(chart::ChartIsNumberText(".5"));
  EXPECT_TRUE(chart::ChartIsNumberText("5."));
  EXPECT_FALSE(chart::ChartIsNumberText("."));
  EXPECT_FALSE(chart::ChartIsNumberText(""));
}

TEST(ChartCellText, LongCellsAreCutWhole) {
  Text t(std::string(98, 'a') + "\x88\x9F" + "tail");
  EXPECT_EQ(chart::ChartCellText(t.View(), 0, chart::kChartCellLabel), std::string(98, 'a'));
  Text n(std::string(150, '7'));
  EXPECT_EQ(chart::ChartCellText(n.View(), 0, chart::kChartCellNumber).size(), 99u);
  // Reading stops at the end of the text even without a line end.
  EXPECT_EQ(chart::ChartCellText(n.View(), 149, chart::kChartCellNumber), "7");
  EXPECT_EQ(chart::ChartCellText(n.View(), 150, chart::kChartCellNumber), "");
}

// A table of 6 rows of 4 columns after a definition line: row r column c
// holds "r.c" (row 1 at offset `start`).
struct Sheet {
  Sheet() {
    bytes = "!$chart\r\n";
    start = static_cast<std::uint32_t>(bytes.size());
    for (int r = 1; r <= 6; ++r) {
      for (int c = 1; c <= 4; ++c) {
        if (c > 1) bytes += '\x06';
        bytes += std::to_string(r) + "." + std::to_string(c);
      }
      bytes += "\r\n";
    }
    ref = static_cast<std::uint32_t>(bytes.size());
  }
  void Ref(const std::string& r) {
    bytes.resize(ref);
    bytes += r;
    bytes += "\r\n";
  }
  ChartText View() const { return ChartText{bytes.data(), static_cast<std::uint32_t>(bytes.size()), 4}; }
  std::string bytes;
  std::uint32_t start = 0;
  std::uint32_t ref = 0;
};

struct Formula {
  std::string head;
  CellOffsetList cells{};
  int count = -1;
  int sheet = -1;
};

Formula Series(const Sheet& s, const std::array<std::string, 4>& names, ChartMessages& m, bool starSkip = false) {
  std::array<std::uint32_t, 4> starts{0, s.start, s.start, s.start};
  ChartSheetList list{names.data(), starts.data(), names.size()};
  Formula f;
  f.head = chart::XlsxSeriesFormula(s.View(), s.ref, list, f.cells, f.sheet, 1, starSkip, m, &f.count);
  return f;
}

TEST(XlsxSeriesFormula, RangeOnAnUnnamedSheet) {
  Sheet s;
  s.Ref("B2:B5");
  ChartMessages m;
  Formula f = Series(s, {"", "", "", ""}, m);
  EXPECT_EQ(f.head,
            "<c:f>(sheet1!$B$2:$B$5)</c:f><c:numCache><c:formatCode>#,##0</c:formatCode><c:ptCount val=\"4\"/>");
  ASSERT_EQ(f.count, 4);
  EXPECT_EQ(f.sheet, 1);
  for (int k = 0; k < 4; ++k)
    EXPECT_EQ(chart::ChartCellText(s.View(), f.cells[k], chart::kChartCellLabel), std::to_string(k + 2) + ".2");
  EXPECT_EQ(f.cells[4], 0u);
}

TEST(XlsxSeriesFormula, ColumnNumbersAndSeveralRanges) {
  Sheet s;
  ChartMessages m;
  s.Ref("26,1^27,1^52 1^3,4:4,5");
  Formula f = Series(s, {"", "", "", ""}, m);
  EXPECT_NE(f.head.find("<c:f>(sheet1!$Z$1,sheet1!$AA$1,sheet1!$AZ$1,sheet1!$C$4:$D$5)</c:f>"), std::string::npos)
      << f.head;
  // Z1, AA1 and AZ1 lie past the table's four columns: only C4:D5 is read.
  EXPECT_EQ(f.count, 4);
  EXPECT_EQ(chart::ChartCellText(s.View(), f.cells[0], 1), "4.3");
  EXPECT_EQ(chart::ChartCellText(s.View(), f.cells[3], 1), "5.4");
}

TEST(XlsxSeriesFormula, SheetNamesAreEscapedAndQuoted) {
  Sheet s;
  ChartMessages m;
  s.Ref("!A&B.A1:B1");
  Formula f = Series(s, {"", "Sales", "A&B", "it's"}, m);
  EXPECT_NE(f.head.find("<c:f>('A&amp;B'!$A$1:$B$1)</c:f>"), std::string::npos) << f.head;
  EXPECT_EQ(f.sheet, 2);
  s.Ref("!it's.A1");
  f = Series(s, {"", "Sales", "A&B", "it's"}, m);
  EXPECT_NE(f.head.find("<c:f>('it''s'!$A$1)</c:f>"), std::string::npos) << f.head;
  EXPECT_EQ(f.sheet, 3);
  s.Ref("s2!C1");
  f = Series(s, {"", "Sales", "A&B", "it's"}, m);
  EXPECT_NE(f.head.find("<c:f>('A&amp;B'!$C$1)</c:f>"), std::string::npos) << f.head;
}

TEST(XlsxSeriesFormula, MissingSheetIsReportedOncePerRun) {
  Sheet s;
  RecordingHost host;
  ChartMessages m;
  m.host = &host;
  s.Ref("!x.B2");
  Formula f = Series(s, {"", "Sales", "", ""}, m);
  EXPECT_EQ(f.sheet, 1);
  EXPECT_NE(f.head.find("<c:f>('Sales'!$B$2)</c:f>"), std::string::npos);
  f = Series(s, {"", "Sales", "", ""}, m);
  ASSERT_EQ(host.shown.size(), 1u);
  EXPECT_EQ(host.shown[0], "No exist sheet 'x'");
  s.Ref("!y.B2");
  Series(s, {"", "Sales", "", ""}, m);
  EXPECT_EQ(host.shown.size(), 2u);
}

TEST(XlsxSeriesFormula, CellWordSelectorAndStarSkip) {
  Sheet s;
  s.bytes.replace(s.bytes.find("3.2"), 3, "*.2");
  ChartMessages m;
  s.Ref("cell:B2:B4");
  Formula f = Series(s, {"", "", "", ""}, m, true);
  EXPECT_EQ(f.count, 2);
  EXPECT_NE(f.head.find("ptCount val=\"2\""), std::string::npos);
  // "c" not followed by "e": no range, a well-formed empty formula.
  s.Ref("c1");
  f = Series(s, {"", "", "", ""}, m);
  EXPECT_EQ(f.head, "<c:f></c:f><c:numCache><c:formatCode>#,##0</c:formatCode><c:ptCount val=\"0\"/>");
  EXPECT_EQ(f.count, 0);
  EXPECT_EQ(f.cells[0], 0u);
}

TEST(XlsxSeriesFormula, TrailCaretIsNoRangeSeparator) {
  Sheet s;
  ChartMessages m;
  // The name "\x83^" holds a caret as its trail byte; the name is found whole.
  s.Ref("!\x83^.B1^C1");
  Formula f = Series(s, {"", "\x83^", "", ""}, m);
  EXPECT_EQ(f.sheet, 1);
  EXPECT_NE(f.head.find("<c:f>('\x83^'!$B$1,'\x83^'!$C$1)</c:f>"), std::string::npos) << f.head;
  EXPECT_EQ(f.count, 2);
}

TEST(XlsxSeriesFormula, AtMost99CellsAndTheZeroStaysInside) {
  // 150 rows of one column.
  std::string text = "x\r\n";
  std::uint32_t start = static_cast<std::uint32_t>(text.size());
  for (int r = 1; r <= 150; ++r) text += std::to_string(r) + "\r\n";
  std::uint32_t ref = static_cast<std::uint32_t>(text.size());
  text += "A1:A150\r\n";
  ChartText v{text.data(), static_cast<std::uint32_t>(text.size()), 1};
  std::array<std::string, 2> names{"", ""};
  std::array<std::uint32_t, 2> starts{0, start};
  ChartSheetList list{names.data(), starts.data(), 2};
  CellOffsetList cells;
  cells.fill(7);
  int sheet = 0;
  int count = 0;
  ChartMessages m;
  std::string head = chart::XlsxSeriesFormula(v, ref, list, cells, sheet, 1, false, m, &count);
  EXPECT_EQ(count, 99);
  EXPECT_NE(head.find("ptCount val=\"99\""), std::string::npos);
  EXPECT_EQ(cells[99], 0u);
  EXPECT_EQ(chart::ChartCellText(v, cells[98], 0), "99");
}

TEST(XlsxSeriesFormula, FirstCellOfTheTextIsCounted) {
  std::string text = "5\x06" "6\r\n7\x06" "8\r\nA1:B2\r\n";
  ChartText v{text.data(), static_cast<std::uint32_t>(text.size()), 2};
  std::array<std::string, 2> names{"", ""};
  std::array<std::uint32_t, 2> starts{0, 0};
  ChartSheetList list{names.data(), starts.data(), 2};
  CellOffsetList cells;
  int sheet = 0;
  int count = 0;
  ChartMessages m;
  chart::XlsxSeriesFormula(v, text.find("A1"), list, cells, sheet, 1, false, m, &count);
  ASSERT_EQ(count, 4);
  EXPECT_EQ(cells[0], 0u);
  EXPECT_EQ(chart::ChartCellText(v, cells[3], 0), "8");
}

}  // namespace
