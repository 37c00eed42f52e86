// The CSS of the HTML page: the declarations of one format record in their
// order, the merge of a row record, a column record and the sheet's
// alignment into a class, the column list, and the classes of regions with
// their inner borders.
#include <gtest/gtest.h>

#include <cstdio>
#include <initializer_list>
#include <string>
#include <utility>

#include "export/html/html_classes.h"
#include "export/html/html_style.h"
#include "export/xlsx/xlsx_run.h"
#include "export/xlsx/xlsx_sheetmodel.h"
#include "html_test_run.h"

namespace {

using htmlexport::HtmlMergeClassCode;
using htmlexport::StyleCodeToCss;
using htmltest::Between;
using htmltest::Count;

// A blank record ('@', '_', NUL at 7 and 9) with some positions set.
std::string Rec(std::initializer_list<std::pair<int, unsigned char>> set) {
  xlsx::XlsxFormatRecord r;
  for (const auto& p : set) r.c[p.first] = static_cast<char>(p.second);
  return std::string(r.c, xlsx::kFormatRecordLength);
}

std::string Merge(const std::string& rf, std::uint32_t row, const std::string& cf, std::uint32_t column,
                  unsigned char sd = '@', std::uint32_t title = 1) {
  char out[xlsx::kFormatRecordLength];
  HtmlMergeClassCode(rf.data(), row, cf.data(), column, sd, title, out);
  return std::string(out, sizeof out);
}

TEST(HtmlStyle, EveryDeclarationInItsOrder) {
  // Right and middle; red text on a light red fill; size '9'; 30 points
  // high; the third family; a thin red left line, a thick right line of no
  // colour, a thin blue top line and a thick bottom line in "000000".
  const std::string code = Rec({{0, 'a'},
                                {2, '1'},
                                {3, '2'},
                                {5, 'R'},
                                {6, 'r'},
                                {7, 0x31},
                                {8, '9'},
                                {10, '1'},
                                {11, '2'},
                                {12, 'R'},
                                {13, '_'},
                                {14, 'B'},
                                {15, 'D'},
                                {20, '@' + 30}});
  EXPECT_EQ(StyleCodeToCss(code.data()),
            "text-align:right;\r\n"
            "vertical-align:middle;\r\n"
            "color:#FF0000;\r\n"
            "background-color:#FFC0C0;\r\n"
            "font-size:18.0pt;\r\n"
            "height:30pt;\r\n"
            "font-family:\"\x82\x6C\x82\x72 \x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E\", monospace; \r\n"
            "border-left:.5pt solid #FF0000;\r\n"
            "border-right:1.5pt solid windowtext;\r\n"
            "border-top:.5pt solid #0000FF;\r\n"
            "border-bottom:1.5pt solid windowtext;\r\n"
            "}\r\n");
  // The blank record: no size, nothing but the end.
  EXPECT_EQ(StyleCodeToCss(Rec({}).data()), "}\r\n");
}

TEST(HtmlStyle, SizesAlignmentsAndFamilies) {
  const char* sizes[] = {"6.0", "7.5", "9.0", "10.5", "12.0", "13.5", "15.0", "16.5", "18.0"};
  for (int d = 1; d <= 9; ++d)
    EXPECT_EQ(StyleCodeToCss(Rec({{8, static_cast<unsigned char>('0' + d)}}).data()),
              std::string("font-size:") + sizes[d - 1] + "pt;\r\n}\r\n")
        << d;
  EXPECT_EQ(StyleCodeToCss(Rec({{8, 0}}).data()), "font-size:10.5pt;\r\n}\r\n");  // NUL counts as '4'
  EXPECT_EQ(StyleCodeToCss(Rec({{8, '0'}}).data()), "}\r\n");

  const struct {
    unsigned char code;
    const char* css;
  } aligns[] = {
      {'P', "text-align:left;\r\n"},
      {'T', "text-align:left;\r\n"},
      {'`', "text-align:right;\r\n"},
      {'p', "text-align:center;\r\n"},
      {'t', "text-align:center;\r\n"},
      {'W', "text-align:left;\r\nvertical-align:bottom;\r\n"},
      {'s', "text-align:center;\r\nvertical-align:bottom;\r\n"},
      {'b', "text-align:right;\r\nvertical-align:top;\r\n"},
      {'A', "vertical-align:middle;\r\n"},
      {'B', "vertical-align:top;\r\n"},
      {'C', "vertical-align:bottom;\r\n"},
      {'@', ""},
      {'_', ""},  // counts as '@'
  };
  for (const auto& a : aligns)
    EXPECT_EQ(StyleCodeToCss(Rec({{0, a.code}}).data()), std::string(a.css) + "}\r\n") << a.code;

  const char* families[] = {"\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E", "\x82\x6C\x82\x72 \x96\xBE\x92\xA9",
                            "\x82\x6C\x82\x72 \x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E",
                            "\x82\x6C\x82\x72 \x82\x6F\x96\xBE\x92\xA9"};
  for (int f = 1; f <= 4; ++f)
    EXPECT_EQ(StyleCodeToCss(Rec({{7, static_cast<unsigned char>(f << 4 | 0x0F)}}).data()),
              std::string("font-family:\"") + families[f - 1] + "\", monospace; \r\n}\r\n");
  EXPECT_EQ(StyleCodeToCss(Rec({{7, 0x50}}).data()), "}\r\n");  // family 5: none
  // A border width other than '1' or '2' draws nothing.
  EXPECT_EQ(StyleCodeToCss(Rec({{2, '3'}, {3, '0'}, {10, '_'}}).data()), "}\r\n");
}

TEST(HtmlClassMerge, TheAlignmentOfRowColumnAndSheet) {
  const unsigned char winning = 0x80;
  const struct {
    unsigned char rf, cf, cfFlags, sd, want;
  } cases[] = {
      {'@', '`', 0, 'p', '`'},        // the row has none: the column's
      {'@', '@', 0, 'p', 'p'},        // nor the column: the sheet's
      {'@', '@', 0, '@', '@'},        // none at all
      {'_', '@', 0, 'A', 'A'},        // '_' counts as '@'; the sheet's middle
      {'P', '`', 0, '@', 'P'},        // the row's
      {'P', '`', winning, '@', '`'},  // a winning column's own
      {'P', '@', winning, '@', 'P'},  // a winning column without one
      {'0', '`', 0, 'p', '@'},        // a row code below '@': none
      {'Q', 'b', 0, '@', 'Q'},        // the row's middle
      {'Q', 'b', winning, '@', 'b'},  // the winning column's top
      {'P', 'b', 0, '@', 'R'},        // the row's left, the column's top
      {'P', '`', 0, 'C', 'S'},        // the row's left, the sheet's bottom
  };
  for (const auto& c : cases) {
    const std::string out = Merge(Rec({{0, c.rf}}), 2, Rec({{0, c.cf}, {7, c.cfFlags}}), 1, c.sd);
    EXPECT_EQ(static_cast<unsigned char>(out[0]), c.want)
        << c.rf << " " << c.cf << " " << int(c.cfFlags) << " " << c.sd;
  }
}

TEST(HtmlClassMerge, AWinningColumnKeepsTheRowsLines) {
  const std::string rf = Rec({{5, 'R'}, {6, 'r'}, {10, '2'}, {11, '1'}, {14, 'R'}, {15, 'G'}, {2, '2'}});
  const std::string cf = Rec({{5, 'B'}, {6, 'b'}, {10, '1'}, {11, '2'}, {14, 'B'}, {15, 'B'}, {3, '1'}});
  const std::string plain = Merge(rf, 2, cf, 1);
  EXPECT_EQ(plain.substr(5, 2), "Rr");
  EXPECT_EQ(plain[2], '2');
  EXPECT_EQ(plain[3], '1');  // the row's '_' takes the column's
  EXPECT_EQ(plain.substr(10, 2), "21");
  std::string winner = cf;
  winner[7] = static_cast<char>(0x80);
  const std::string won = Merge(rf, 2, winner, 1);
  EXPECT_EQ(won.substr(5, 2), "Bb");
  EXPECT_EQ(won[2], '2');              // the column's '_' takes the row's
  EXPECT_EQ(won.substr(10, 2), "21");  // the row's lines stay
  EXPECT_EQ(won.substr(14, 2), "RG");
}

TEST(HtmlClassMerge, LimitDigitsAndCrossBorders) {
  // The row's digits clear its top, bottom and fill for the columns below them.
  const std::string rf = Rec({{6, 'r'}, {10, '2'}, {11, '2'}, {16, '3'}, {17, '2'}, {18, '4'}});
  const std::string cf = Rec({{2, '1'}, {3, '1'}});
  for (std::uint32_t column = 1; column <= 4; ++column) {
    const std::string out = Merge(rf, 5, cf, column);
    EXPECT_EQ(out[10], column < 3 ? '_' : '2') << column;
    EXPECT_EQ(out[11], column < 2 ? '_' : '2') << column;
    EXPECT_EQ(out[6], column < 4 ? '_' : 'r') << column;
  }
  // The column's digits clear its left, right and fill on the rows less
  // than the digit after the title row (title 5); the title row itself and
  // rows above it count as far.
  const std::string cf2 = Rec({{2, '1'}, {3, '1'}, {6, 'b'}, {16, '2'}, {17, '3'}, {18, '1'}});
  const std::string none = Rec({});
  for (std::uint32_t row : {3u, 5u, 6u, 7u, 8u}) {
    const std::string out = Merge(none, row, cf2, 1, '@', 5);
    const std::int64_t d = row > 5 ? row - 5 : 99;
    EXPECT_EQ(out[2], d < 2 ? '_' : '1') << row;
    EXPECT_EQ(out[3], d < 3 ? '_' : '1') << row;
    EXPECT_EQ(out[6], d < 1 ? '_' : 'b') << row;
  }
  // Bit 0 of the row's position 9 clears the side lines, of the column's the
  // top and bottom ones.
  const std::string lines = Rec({{2, '1'}, {3, '1'}, {10, '2'}, {11, '2'}});
  EXPECT_EQ(Merge(Rec({{9, 0x01}}), 2, lines, 1).substr(2, 2), "__");
  EXPECT_EQ(Merge(Rec({{9, 0x01}}), 2, lines, 1).substr(10, 2), "22");
  std::string noCross = lines;
  noCross[9] = 0x01;
  EXPECT_EQ(Merge(Rec({}), 2, noCross, 1).substr(10, 2), "__");
  EXPECT_EQ(Merge(Rec({}), 2, noCross, 1).substr(2, 2), "11");
}

TEST(HtmlClasses, ColumnsAboveNineSharingAFormatShareOneClass) {
  // Columns 10 to 20 right-aligned, columns 1 to 9 as the format row left them.
  std::string title, row;
  for (int c = 1; c <= 20; ++c) {
    title += (c > 1 ? "," : "") + std::string("h") + std::to_string(c) + (c >= 10 ? "^R" : "");
    row += (c > 1 ? "," : "") + std::to_string(c);
  }
  htmltest::PageRun r(title + "\r\n" + row + "\r\n" + row + "\r\n");
  ASSERT_EQ(r.result, 0);
  for (int c = 1; c <= 10; ++c) {
    char name[32];
    std::snprintf(name, sizeof name, ".xs01%03d01\r\n", c);
    EXPECT_EQ(Count(r.page, name), 1u) << c;
  }
  EXPECT_EQ(Count(r.page, ".xs0101101"), 0u);
  EXPECT_EQ(Count(r.page, ".xs0301101"), 0u);
  // Every cell of columns 10 to 20 uses column 10's class: the title's group
  // for rows 1 and 2, the last row's own (its bottom line) for row 3.
  EXPECT_EQ(Count(r.page, "<td class=xs0101001>"), 2u * 11);
  EXPECT_EQ(Count(r.page, "<td class=xs0301001>"), 11u);
  EXPECT_EQ(Count(r.page, "<td class=xs0100901>"), 2u);
  // The title row's centring wins over the columns'; below it they are right-aligned.
  EXPECT_NE(r.page.find(".xs0101001\r\n{\r\ntext-align:center;"), std::string::npos);
  EXPECT_NE(r.page.find(".xs0301001\r\n{\r\ntext-align:right;"), std::string::npos);
  EXPECT_NE(r.page.find(".xs0300901\r\n{\r\nborder-right"), std::string::npos);
}

TEST(HtmlClasses, RegionsTakeTheRowsAndColumnsLinesInside) {
  // B2:C3 with thick lines all round; row 2 has a thin bottom line of its own.
  const std::string table = "h1,h2,h3\r\nb^_1,2,3\r\nc,5,6\r\nd,8,9\r\n!%\r\n,2222";
  const struct {
    const char* mode;
    bool rowLines, columnLines;
  } modes[] = {{"", true, true}, {"N", false, false}, {"H", true, false}, {"V", false, true}};
  for (const auto& m : modes) {
    htmltest::PageRun r(table + m.mode + ",B2:C3\r\n");
    ASSERT_EQ(r.result, 0);
    auto css = [&](int row, int column) {
      char name[32];
      std::snprintf(name, sizeof name, ".xs%02d%03d01A\r\n{\r\n", row, column);
      return Between(r.page, name, "}");
    };
    const std::string thick = "1.5pt solid windowtext;";
    const std::string thin = ".5pt solid windowtext;";
    // The outer edges are the region's own.
    EXPECT_NE(css(2, 2).find("border-left:" + thick), std::string::npos) << m.mode;
    EXPECT_NE(css(2, 2).find("border-top:" + thick), std::string::npos) << m.mode;
    EXPECT_NE(css(3, 3).find("border-right:" + thick), std::string::npos) << m.mode;
    EXPECT_NE(css(3, 3).find("border-bottom:" + thick), std::string::npos) << m.mode;
    // Inside: row 2's bottom line, column 2's thin right line, or nothing.
    EXPECT_EQ(css(2, 2).find("border-bottom:" + thin) != std::string::npos, m.rowLines) << m.mode;
    EXPECT_EQ(css(2, 2).find("border-right:" + thin) != std::string::npos, m.columnLines) << m.mode;
    EXPECT_EQ(css(3, 2).find("border-top:"), std::string::npos) << m.mode;
    EXPECT_EQ(css(2, 3).find("border-left:"), std::string::npos) << m.mode;
    // The region's cells use its classes; the others their group's.
    EXPECT_NE(r.page.find("<td class=xs0200201A>2"), std::string::npos) << m.mode;
    EXPECT_NE(r.page.find("<td class=xs0300301A>6"), std::string::npos) << m.mode;
    EXPECT_EQ(r.page.find("<td class=xs0400201A>"), std::string::npos) << m.mode;
  }
}

TEST(HtmlClasses, NineRowsAfterTheTitleWithAnEmptyFirstFieldStartGroups) {
  // Rows 2 to 12 have an empty first field: rows 2 to 10 get a record each,
  // row 11 none, row 12 its own as the table's last row.
  std::string text = "a,b\r\n";
  for (int row = 2; row <= 12; ++row) text += "," + std::to_string(row) + "\r\n";
  htmltest::PageRun r(text);
  ASSERT_EQ(r.result, 0);
  EXPECT_EQ(r.run.XlsxRowFormatRows, (std::vector<std::uint32_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12}));
  EXPECT_EQ(r.run.sheet.settings.numberFormat, '_');
  EXPECT_EQ(Count(r.page, "<td class=xs1000201>"), 2u);  // rows 10 and 11
  // Mode 0 keeps its own records and default.
  xlsx::XlsxRun run;
  const char* t = reinterpret_cast<const char*>(r.table.m_pTextBuf);
  xlsx::XlsxReadSheetModel(r.table, t, r.table.m_nTextLen, 1, run);
  EXPECT_EQ(run.XlsxRowFormatRows, (std::vector<std::uint32_t>{1, 12}));
  EXPECT_EQ(run.sheet.settings.numberFormat, 'g');
}

}  // namespace
