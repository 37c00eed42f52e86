// The format codes written into the table text: the code reader of one
// field, the settings line, and whole sheets read into their records.
#include <gtest/gtest.h>

#include <string>

#include "csv/csv_table.h"
#include "export/xlsx/xlsx_codes.h"
#include "export/xlsx/xlsx_prescan.h"
#include "export/xlsx/xlsx_sheet.h"
#include "export/xlsx/xlsx_sheetmodel.h"

namespace {

using namespace xlsx;

std::string Str(const XlsxFormatRecord& r) { return std::string(r.c, kFormatRecordLength); }

XlsxFormatRecord Column(const std::string& codes, XlsxCodeExtras* extras = nullptr) {
  XlsxFormatRecord r;
  XlsxCodeExtras x;
  XlsxReadCodes(codes.data(), codes.size(), XlsxCodeTarget::kColumn, r, extras ? *extras : x);
  return r;
}

XlsxFormatRecord Row(const std::string& codes, XlsxCodeExtras& x) {
  XlsxFormatRecord r;
  XlsxReadCodes(codes.data(), codes.size(), XlsxCodeTarget::kRow, r, x);
  return r;
}

XlsxSheetSettings Settings(const std::string& line, std::uint32_t* r1c1 = nullptr) {
  XlsxSheetSettings s;
  std::uint32_t flag = 0;
  XlsxReadSettingsLine(line.data(), line.size(), false, s, r1c1 ? *r1c1 : flag);
  return s;
}

struct Sheet {
  csv::Table table;
  XlsxRun run;
  explicit Sheet(const std::string& text, std::uint32_t number = 1) {
    EXPECT_TRUE(table.Assign(text.data(), text.size(), 100));
    XlsxPreScan(Text(), table.m_nTextLen, run);
    XlsxReadSheetModel(table, Text(), table.m_nTextLen, number, run);
  }
  const char* Text() const { return reinterpret_cast<const char*>(table.m_pTextBuf); }
  std::string RowRecord(std::uint32_t row) const {
    for (std::size_t i = 0; i < run.XlsxRowFormatRows.size(); ++i)
      if (run.XlsxRowFormatRows[i] == row) return Str(run.XlsxRowFormats[i]);
    return std::string();
  }
  const XlsxSheetSettings& S() const { return run.sheet.settings; }
};

TEST(XlsxCodes, AlignmentAndBorderColoursOfAColumn) {
  const XlsxFormatRecord r = Column("L#RE");
  EXPECT_EQ(static_cast<unsigned char>(r.c[0]), 0x50);
  EXPECT_EQ(r.c[12], 'R');
  EXPECT_EQ(r.c[13], 'E');
  // Horizontal and vertical letters share position 0.
  EXPECT_EQ(static_cast<unsigned char>(Column("CB").c[0]), 0x73);
  EXPECT_EQ(static_cast<unsigned char>(Column("MW").c[0]), 0x55);
  // The border pair, '9' meaning unset; a single digit after '_'.
  EXPECT_EQ(Str(Column("29")).substr(2, 2), "2_");
  EXPECT_EQ(Str(Column("_3")).substr(2, 2), "_3");
  // Number formats: 'c', 'm', 'd' carry the thousands bit; 'f' its digit.
  EXPECT_EQ(static_cast<unsigned char>(Column("c").c[1]), 'c' | 0x80);
  EXPECT_EQ(Column("f3").c[1], '3');
  EXPECT_EQ(Column("f").c[1], '2');
  EXPECT_EQ(Column("s").c[1], 's');
  // Limits, line flags with an outline level, the column-wins bit.
  const XlsxFormatRecord lim = Column("x12Z3EX");
  EXPECT_EQ(Str(lim).substr(16, 3), "12_");
  EXPECT_EQ(lim.c[4], '3');
  EXPECT_EQ(static_cast<unsigned char>(lim.c[9]), 0x10 | 0x04);
  EXPECT_EQ(static_cast<unsigned char>(lim.c[7]), 0x80);
  EXPECT_EQ(Str(Column("x345")).substr(16, 3), "345");
}

TEST(XlsxCodes, FontGroupLettersAndFlags) {
  // 'R' then 'I' are colour letters (the later stays); 'U' from the third on adds +2.
  const XlsxFormatRecord r = Column("%RIU");
  EXPECT_EQ(r.c[5], 'I');
  EXPECT_EQ(static_cast<unsigned char>(r.c[7]), 2);
  // Fill letter, size digit, a family replacing another, 'K' all styles.
  const XlsxFormatRecord g = Column("%Cb5JPK");
  EXPECT_EQ(g.c[5], 'C');
  EXPECT_EQ(g.c[6], 'b');
  EXPECT_EQ(g.c[8], '5');
  EXPECT_EQ(static_cast<unsigned char>(g.c[7]), 0x30 | 0x0F);
  // The group ends at '#': the pair after it is the border colours.
  const XlsxFormatRecord e = Column("%AbB#CD");
  EXPECT_EQ(e.c[5], 'A');
  EXPECT_EQ(static_cast<unsigned char>(e.c[7]), 1);  // 'B' third: bold
  EXPECT_EQ(e.c[12], 'C');
  EXPECT_EQ(e.c[13], 'D');
  // 'x' is no fill letter.
  EXPECT_EQ(Column("%x").c[6], '_');
}

TEST(XlsxCodes, WidthOfAColumn) {
  XlsxCodeExtras x;
  Column("w12", &x);
  EXPECT_EQ(x.width, 10014);
  XlsxCodeExtras big;
  Column("w99999999999", &big);
  EXPECT_EQ(big.width, 9999 + 10002);  // saturated, never wraps
}

TEST(XlsxCodes, RowHeightsFiltersAndTheColumnWinsBit) {
  XlsxCodeExtras x;
  x.columnCount = 9;
  XlsxFormatRecord r = Row("h30", x);
  EXPECT_EQ(static_cast<unsigned char>(r.c[20]), 30 + 0x40);
  r = Row("h150", x);
  EXPECT_EQ(static_cast<unsigned char>(r.c[20]), 105 + 0x40);
  r = Row("h99999", x);  // the byte's last height, never wrapped
  EXPECT_EQ(static_cast<unsigned char>(r.c[20]), 0xFF);
  r = Row("h0", x);
  EXPECT_EQ(r.c[20], '_');
  // Row pairs go to 10-11, '#' to 14-15.
  r = Row("12#AB", x);
  EXPECT_EQ(Str(r).substr(10, 2), "12");
  EXPECT_EQ(Str(r).substr(14, 2), "AB");
  EXPECT_EQ(Str(r).substr(2, 2), "__");

  XlsxCodeExtras f;
  f.columnCount = 9;
  Row("F3-7", f);
  EXPECT_TRUE(f.filter);
  EXPECT_EQ(f.filterCode, 30007u);
  XlsxCodeExtras one;
  one.columnCount = 9;
  Row("F5", one);
  EXPECT_EQ(one.filterCode, 5u);
  XlsxCodeExtras none;
  none.columnCount = 9;
  Row("F", none);
  EXPECT_EQ(none.filterCode, 9u);
  XlsxCodeExtras low;
  low.columnCount = 9;
  Row("F1_4F2-3", low);  // a of 1 gives b alone; only the first 'F' counts
  EXPECT_EQ(low.filterCode, 4u);

  // 'X' only below the title row.
  XlsxCodeExtras title;
  EXPECT_EQ(Row("X", title).c[7], 0);
  XlsxCodeExtras below;
  below.belowTitle = true;
  EXPECT_EQ(static_cast<unsigned char>(Row("X", below).c[7]), 0x80);
}

TEST(XlsxCodes, SettingsLinePaperScaleAndMargins) {
  XlsxSheetSettings s = Settings("XLxA4H%80L20");
  EXPECT_EQ(s.paper, 'b');
  EXPECT_EQ(s.scale, 80);
  EXPECT_EQ(s.marginLeft, 8);
  EXPECT_EQ(Settings("XLx").paper, 'x');
  EXPECT_EQ(Settings("XLxB5H#").paper, 'l');
  EXPECT_EQ(Settings("XLxA3V#").paper, 'c');
  EXPECT_EQ(Settings("XLxLGH#").paper, 'p');
  s = Settings("XLxR15T25B5h1v2#");
  EXPECT_EQ(s.marginRight, 6);
  EXPECT_EQ(s.marginTop, 10);
  EXPECT_EQ(s.marginBottom, 2);
  EXPECT_EQ(s.fitWidth, 1);
  EXPECT_EQ(s.fitHeight, 2);
  // A letter directly after "XL" is the paper; a ':' is not.
  EXPECT_EQ(Settings("XLc:Name").paper, 'c');
  EXPECT_EQ(Settings("XL:Name").paper, 'a');
}

TEST(XlsxCodes, SettingsLineDefaultFormatAndGroups) {
  XlsxSheetSettings s = Settings("XLxA4V#S_Cw12h20P%Rb5M");
  EXPECT_EQ(s.sheetLetter, 'S');
  EXPECT_EQ(static_cast<unsigned char>(s.alignment), 0x70);
  EXPECT_EQ(s.defaultColumnWidth, 12);
  EXPECT_EQ(s.defaultRowHeight, 20 + 64);
  EXPECT_TRUE(s.pageBreakBefore);
  EXPECT_EQ(s.fontColour, 'R');
  EXPECT_EQ(s.fillColour, 'b');
  EXPECT_EQ(s.fontSizeDigit, '5');
  EXPECT_EQ(s.fontFlags & 0x70, 0x20);
  EXPECT_EQ(s.fontMode, 1);
  // A number letter; codes end at '_'.
  s = Settings("XLbA_i_R");
  EXPECT_EQ(s.numberFormat, 'i');
  EXPECT_EQ(s.alignment, '@');
  // Nothing after a blank or ':'.
  s = Settings("XLb :C");
  EXPECT_EQ(s.alignment, '@');
}

TEST(XlsxCodes, ActiveAndTopLeftCellsWithViewLetters) {
  std::uint32_t r1c1 = 0;
  XlsxSheetSettings s = Settings("XLa$B3$uC10", &r1c1);
  EXPECT_EQ(s.activeCell, "B3");
  EXPECT_EQ(s.topLeftCell, "C10");
  EXPECT_EQ(s.viewLetter, 'u');
  EXPECT_EQ(r1c1, 0u);
  s = Settings("XLa$rA5", &r1c1);
  EXPECT_EQ(r1c1, 1u);
  EXPECT_EQ(s.topLeftCell, "A5");
  r1c1 = 0;
  s = Settings("XLa$sD4", &r1c1);
  EXPECT_EQ(r1c1, 1u);
  EXPECT_EQ(s.viewLetter, 'u');  // 's' is kept as 'u'
  r1c1 = 0;
  s = Settings("XLa$vAB100", &r1c1);
  EXPECT_EQ(r1c1, 0u);
  EXPECT_EQ(s.viewLetter, 'v');
  EXPECT_EQ(s.topLeftCell, "AB100");
  // References past the sheet are left out.
  s = Settings("XLa$XFE1$A0$uA1048577");
  EXPECT_EQ(s.activeCell, "A1");
  EXPECT_TRUE(s.topLeftCell.empty());
}

TEST(XlsxCodes, CodeMarksSkipEscapesAndTrailBytes) {
  EXPECT_EQ(XlsxCodeMark("ab^c", 4), 3u);
  EXPECT_EQ(XlsxCodeMark("a\\^c", 4), kNoCodeMark);
  // 0x83 0x5E is one double-byte character, not a mark.
  EXPECT_EQ(XlsxCodeMark("\x83^c", 3), kNoCodeMark);
  EXPECT_EQ(XlsxHeadTabColour("!*Sales^E^", 10), 'E');
  EXPECT_EQ(XlsxHeadTabColour("!*Sales", 7), 0);
}

TEST(XlsxCodesSheet, FormatRowWidthsAndDefaultFormat) {
  // Columns A-C, the fourth field of "!^" the sheet's default format.
  Sheet m("!^L#RE\x06w12\x06" "2_c\x06^R%Bb\r\n"
          "^Name\x06Qty\x06Price\r\n"
          "a\x06" "1\x06" "2\r\n"
          "b\x06" "3\x06" "4\r\n");
  const XlsxSheetModel& sm = m.run.sheet;
  ASSERT_NE(sm.formatRow, 0u);
  const std::uint32_t count = sm.bounds.columnCount;
  ASSERT_GE(count, 3u);
  EXPECT_EQ(static_cast<unsigned char>(m.run.XlsxColumnFormats[1].c[0]), 0x50);
  EXPECT_EQ(Str(m.run.XlsxColumnFormats[1]).substr(12, 2), "RE");
  EXPECT_EQ(m.run.XlsxColumnWidths[2], 14);  // 10014 at first, 14 at the end
  EXPECT_EQ(Str(m.run.XlsxColumnFormats[3]).substr(1, 3), std::string("\xE3") + "2_");
  // Column 1's right border before column 3's left one '2' stays; column
  // 2's thin right border before a left '2' becomes '0'.
  EXPECT_EQ(m.run.XlsxColumnFormats[2].c[3], '0');
}

TEST(XlsxCodesSheet, FirstLineServesAsTheFormatRow) {
  Sheet m("Name^C%Rb\x06" "Amount^c12\x06Note\r\n"
          "apple\x06" "100\x06x\r\n");
  EXPECT_EQ(m.run.sheet.formatRow, 0u);
  EXPECT_EQ(static_cast<unsigned char>(m.run.XlsxColumnFormats[1].c[0]), 0x70);
  EXPECT_EQ(m.run.XlsxColumnFormats[1].c[5], 'R');
  EXPECT_EQ(m.run.XlsxColumnFormats[1].c[6], 'b');
  EXPECT_EQ(static_cast<unsigned char>(m.run.XlsxColumnFormats[2].c[1]), 'c' | 0x80);
  EXPECT_EQ(Str(m.run.XlsxColumnFormats[2]).substr(2, 2), "12");
  // The reset: column 1 "11", the others a thin right border.
  EXPECT_EQ(Str(m.run.XlsxColumnFormats[3]).substr(2, 2), "_1");
  // Column 1's right '1' before column 2's left '1' becomes '0'.
  EXPECT_EQ(m.run.XlsxColumnFormats[1].c[3], '0');
  // The bytes before '^' count for the widths ("Amount" = 6 + 2).
  EXPECT_GE(m.run.XlsxColumnWidths[2], 8);
}

TEST(XlsxCodesSheet, RowCodesHeightsFilterAndColumnWins) {
  Sheet m("XLb\r\n"
          "A\x06" "B\x06" "C\r\n"
          "1^h30F2-3X\x06" "2\x06" "3\r\n"
          "4^h150%RcB\x06" "5\x06" "6\r\n"
          "7\x06" "8\x06" "9\r\n");
  const std::uint32_t title = m.run.sheet.bounds.titleRow;
  ASSERT_EQ(title, 2u);
  const std::string r3 = m.RowRecord(3), r4 = m.RowRecord(4);
  ASSERT_FALSE(r3.empty());
  ASSERT_FALSE(r4.empty());
  EXPECT_EQ(static_cast<unsigned char>(r3[20]), 30 + 0x40);
  EXPECT_EQ(static_cast<unsigned char>(r3[7]) & 0x80, 0x80);
  EXPECT_EQ(static_cast<unsigned char>(r4[20]), 105 + 0x40);
  EXPECT_EQ(r4[5], 'R');
  EXPECT_EQ(r4[6], 'c');
  EXPECT_EQ(static_cast<unsigned char>(r4[7]), 1);  // 'B' third in the group: bold
  EXPECT_EQ(m.run.XlsxFilterColumns[1], 20003u);
  EXPECT_EQ(m.run.XlsxFilterRow[1], 3u);
}

TEST(XlsxCodesSheet, FilterRowIsOneLessBelowAnSTitle) {
  Sheet m("XLbS\r\n"
          "A\x06" "B\r\n"
          "4\x06" "8\r\n"
          "1^F1-2\x06" "2\r\n"
          "3^F5\x06" "4\r\n");
  EXPECT_EQ(m.S().sheetLetter, 'S');
  EXPECT_EQ(m.run.XlsxFilterRow[1], 3u);  // text row 4 is written as row 3
  EXPECT_EQ(m.run.XlsxFilterColumns[1], 2u);  // the first 'F' only
  // The width row after the title: a number n gives n + 10002, then the
  // end of the collection takes 10000 off.
  EXPECT_EQ(m.run.XlsxColumnWidths[1], 6);
  EXPECT_EQ(m.run.XlsxColumnWidths[2], 10);
  // A width row of text: its field lengths + 2.
  Sheet t("XLbS\r\nA\x06" "B\r\nabc\x06xy^z\r\n1\x06" "2\r\n");
  EXPECT_EQ(t.run.XlsxColumnWidths[1], 5);
  EXPECT_EQ(t.run.XlsxColumnWidths[2], 4);
}

TEST(XlsxCodesSheet, TitleCodesFromTheSettingsLineAndTheirDefaults) {
  Sheet m("XLb_L^11%Rc\r\n"
          "A\x06" "B\r\n"
          "1\x06" "2\r\n");
  const std::string t = m.RowRecord(2);
  ASSERT_FALSE(t.empty());
  EXPECT_EQ(t[5], 'R');
  EXPECT_EQ(t[6], 'c');
  EXPECT_EQ(t.substr(10, 2), "11");  // set by the codes
  EXPECT_EQ(t[0], 'p');              // defaults fill the rest
  EXPECT_EQ(t[1], 's');
  EXPECT_EQ(static_cast<unsigned char>(m.S().alignment), 0x50);
}

TEST(XlsxCodesSheet, TitleCodesFromTheHeadLine) {
  Sheet m("!#:Sales^%Gd\r\n"
          "A\x06" "B\r\n"
          "1\x06" "2\r\n");
  const std::uint32_t title = m.run.sheet.bounds.titleRow;
  const std::string t = m.RowRecord(title);
  ASSERT_FALSE(t.empty());
  EXPECT_EQ(t[5], 'G');
  EXPECT_EQ(t[6], 'd');
  EXPECT_EQ(t.substr(10, 2), "22");
  EXPECT_EQ(t[0], 'p');
}

TEST(XlsxCodesSheet, TitleRowWithoutCodesKeepsThePlainRecord) {
  Sheet m("A\x06" "B\r\n1\x06" "2\r\n3\x06" "4\r\n");
  const std::string t = m.RowRecord(1);
  ASSERT_FALSE(t.empty());
  EXPECT_EQ(t.substr(10, 2), "22");
  EXPECT_EQ(t[0], 'p');
  EXPECT_EQ(t[1], 's');
  EXPECT_EQ(t[5], '_');
}

TEST(XlsxCodesSheet, SettingsLineFillsTheSheetAndItsFamily) {
  Sheet m("XLxA4H%80L20#A_R%b\r\nA\x06" "B\r\n1\x06" "2\r\n");
  EXPECT_EQ(m.S().paper, 'b');
  EXPECT_EQ(m.S().scale, 80);
  EXPECT_EQ(m.S().marginLeft, 8);
  EXPECT_EQ(m.S().fillColour, 'b');
  EXPECT_EQ(m.S().fontFlags & 0x70, 0x30);  // no family given: 'P'
}

TEST(XlsxCodesSheet, AFormatRowOfTwoThousandFieldsStopsAtColumnThousand) {
  std::string row = "!^";
  for (int i = 0; i < 2000; ++i) row += std::string(i ? "\x06" : "") + "w7%Rb#AB";
  std::string first;
  for (int i = 0; i < 2000; ++i) first += std::string(i ? "\x06" : "") + "h";
  Sheet m(row + "\r\n" + first + "\r\n" + first + "\r\n");
  ASSERT_EQ(m.run.XlsxColumnFormats.size(), static_cast<std::size_t>(kFormatRecords + 1));
  ASSERT_EQ(m.run.XlsxColumnWidths.size(), static_cast<std::size_t>(kFormatRecords + 1));
  EXPECT_EQ(m.run.XlsxColumnFormats[1000].c[5], 'R');
  EXPECT_EQ(m.run.XlsxColumnWidths[1000], 9);
  EXPECT_EQ(m.run.XlsxColumnFormats[0].c[5], '_');  // entry 0 untouched
}

TEST(XlsxCodesSheet, TheRowWalkStopsAtAThousandRecords) {
  std::string text = "A\x06" "B\r\n";
  for (int i = 0; i < 1500; ++i) text += "x^h20\x06" "1\r\n";
  Sheet m(text);
  EXPECT_LE(m.run.XlsxRowFormats.size(), static_cast<std::size_t>(kFormatRecords));
  EXPECT_EQ(m.run.XlsxRowFormats.size(), m.run.XlsxRowFormatRows.size());
}

TEST(XlsxCodesSheet, TitleFamilyOfExactly0x40TakesTheSheetsFamily) {
  // The title codes' 'N' gives exactly 0x40; the sheet's '%' group set 'M'.
  Sheet m("XLb_%M^%N\r\nA\x06" "B\r\n1\x06" "2\r\n");
  const std::string t = m.RowRecord(2);
  ASSERT_FALSE(t.empty());
  EXPECT_EQ(static_cast<unsigned char>(t[7]), 0x20);
  // 'X' on the title row is no column-wins mark.
  Sheet x("XLb^X%NB\r\nA\x06" "B\r\n1\x06" "2\r\n");
  EXPECT_EQ(static_cast<unsigned char>(x.RowRecord(2)[7]) & 0x80, 0);
}

TEST(XlsxCodesSheet, TheLayoutCarriesFilterViewAndPage) {
  Sheet m("XLxA3V%90#A_$rB2:Sheet\r\n"
          "A\x06" "B\x06" "C\r\n"
          "1^F2-3\x06" "2\x06" "3\r\n");
  EXPECT_EQ(m.run.XlsxR1C1Flag, 1u);
  const XlsxSheetLayout L = SheetLayoutFromRun(m.run, m.table);
  EXPECT_EQ(L.paperLetter, 'c');
  EXPECT_EQ(L.scale, 90u);
  EXPECT_EQ(L.topLeftCell, "B2");
  EXPECT_EQ(L.filterRow, 3u);
  EXPECT_EQ(L.filterFirstColumn, 2u);
  EXPECT_EQ(L.filterLastColumn, 3u);
  XlsxSheetLayout W = L;
  XlsxStyleSlots slots;
  std::string part;
  ASSERT_TRUE(WriteWorksheetText(m.table, W, slots, &part, nullptr));
  EXPECT_NE(part.find("<autoFilter ref=\"B3:C3\"/>"), std::string::npos);
  EXPECT_NE(part.find("topLeftCell=\"B2\""), std::string::npos);
  EXPECT_NE(part.find("paperSize=\"8\" scale=\"90\""), std::string::npos);
}

TEST(XlsxCodesSheet, ASettingsHeadOfALaterSheet) {
  Sheet m("A\x06" "B\r\n1\x06" "2\r\n3\x06" "4\r\n"
          "!#XLxB4H#A_$C5:Two\r\n"
          "X\x06" "Y\r\n5\x06" "6\r\n",
          2);
  EXPECT_EQ(m.S().paper, 'h');  // B4 landscape
  EXPECT_EQ(m.S().activeCell, "C5");
}

TEST(XlsxCodesSheet, TheWidthRowOfAnSSheetIsNotWritten) {
  Sheet m("XLbS\r\nName\x06Qty\r\n20\x06" "8\r\nkeep\x06" "1\r\n");
  XlsxSheetLayout L = SheetLayoutFromRun(m.run, m.table);
  EXPECT_TRUE(L.skipRowMode);
  XlsxStyleSlots slots;
  std::string part;
  ASSERT_TRUE(WriteWorksheetText(m.table, L, slots, &part, nullptr));
  EXPECT_NE(part.find(">keep<"), std::string::npos);
  EXPECT_EQ(part.find("<v>20</v>"), std::string::npos);
  EXPECT_EQ(part.find(">20<"), std::string::npos);
}

TEST(XlsxCodesSheet, TheColumnCountIsTheTitleLinesAfterASettingsLine) {
  // The settings line's one field does not make the count: the title's three do.
  Sheet m("XLb\r\nA\x06" "B\x06" "C\r\n1\x06" "2\x06" "3\r\n");
  EXPECT_EQ(m.run.sheet.bounds.columnCount, 3u);
  // Under "!^" the field at the count is the row's codes.
  Sheet f("XLb\r\n!^\x06\x06\x06R\r\n^A\x06" "B\x06" "C\r\n1\x06" "2\x06" "3\x06h40\r\n");
  // The title's first field has a '^': one more field, the codes' field.
  EXPECT_EQ(f.run.sheet.bounds.columnCount, 4u);
  EXPECT_EQ(f.S().alignment, static_cast<char>(0x60));  // "!^" field 4: the default format 'R'
  bool found = false;
  for (const XlsxFormatRecord& r : f.run.XlsxRowFormats)
    found = found || static_cast<unsigned char>(r.c[20]) == 40 + 0x40;
  EXPECT_TRUE(found);
}

}  // namespace
