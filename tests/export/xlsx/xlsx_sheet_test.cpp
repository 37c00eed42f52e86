// The worksheet part and its rows and cells: the skeleton, the column and
// row elements, the cell kinds and the field bytes.
#include <gtest/gtest.h>

#include <string>

#include "csv/csv_index.h"
#include "csv/csv_table.h"
#include "export/xlsx/xlsx_cells.h"
#include "export/xlsx/xlsx_sheet.h"
#include "export/byte_writer.h"
#include "export/part_sink.h"
#include "export/xlsx/xlsx_prescan.h"
#include "export/xlsx/xlsx_run.h"
#include "export/xlsx/xlsx_sheetmodel.h"
#include "fw/alloc.h"
#include "fw/codepage.h"

using namespace xlsx;

namespace {

// A one-block table of CSV `lines` (",": field separator, "\n": CR LF) and
// the layout of its sheet: title row 1, every column formatted with a thin
// right border, numbers allowed below the title row.
struct Sheet {
  csv::Table table;
  XlsxSheetLayout layout;
  XlsxStyleSlots slots;

  explicit Sheet(const std::string& csvText) {
    std::string w;
    bool quoted = false;  // commas inside quotes stay, as in the working form
    for (char ch : csvText) {
      if (ch == '"') quoted = !quoted;
      if (ch == ',' && !quoted) w += '\x06';
      else if (ch == '\n') w += "\r\n", quoted = false;
      else w += ch;
    }
    EXPECT_TRUE(table.Assign(w.data(), w.size(), 16));
    layout.startOffset = 0;
    layout.firstTextRow = 1;
    layout.titleRow = 1;
    layout.endRow = static_cast<std::uint32_t>(table.m_nLastRow + 2);
    layout.rowLimit = layout.endRow;
    layout.blockStartLine = 1;
    layout.columnCount = csv::CountRowFields(table.m_pTextBuf, table.m_nTextLen, 0);
    SetColumns(layout.columnCount);
  }
  void SetColumns(std::uint32_t n) {
    const std::uint32_t kept = std::min<std::uint32_t>(n, kFormatRecords);
    layout.columnFormats.assign(kept + 1, DefaultRecordBytes());
    layout.columnHasFormat.assign(kept + 1, true);
    layout.columnHasFormat[0] = false;
    layout.columnWidths.assign(kept + 1, 10);
    for (std::uint32_t c = 1; c <= kept; ++c) layout.columnFormats[c].c[3] = '1';
  }
  void ColumnType(std::uint32_t c, unsigned char type) { layout.columnFormats[c].c[1] = type; }

  std::string Write(XlsxSheetResult* out = nullptr) {
    static XlsxSheetResult result;
    XlsxSheetResult& res = out ? *out : result;
    std::string part;
    EXPECT_TRUE(WriteWorksheetText(table, layout, slots, &part, &res));
    return part;
  }
};

std::string Between(const std::string& s, const std::string& a, const std::string& b) {
  const std::size_t i = s.find(a);
  if (i == std::string::npos) return "<missing " + a + ">";
  const std::size_t j = s.find(b, i + a.size());
  return s.substr(i + a.size(), j == std::string::npos ? std::string::npos : j - i - a.size());
}

// The cell element that starts with `ref` ("<c r=\"B2\"" ...).
std::string CellOf(const std::string& part, const std::string& ref) {
  const std::size_t i = part.find("<c r=\"" + ref + "\"");
  if (i == std::string::npos) return "<no cell " + ref + ">";
  return part.substr(i, part.find("</c>", i) + 4 - i);
}

int Count(const std::string& s, const std::string& what) {
  int n = 0;
  for (std::size_t i = s.find(what); i != std::string::npos; i = s.find(what, i + 1)) ++n;
  return n;
}

}  // namespace

TEST(XlsxColumnLetters, BothFormsRunToTheLastColumn) {
  EXPECT_EQ(ColumnLettersOneBased(1), "A");
  EXPECT_EQ(ColumnLettersOneBased(26), "Z");
  EXPECT_EQ(ColumnLettersOneBased(27), "AA");
  EXPECT_EQ(ColumnLettersOneBased(677), "ZA");
  EXPECT_EQ(ColumnLettersOneBased(702), "ZZ");
  EXPECT_EQ(ColumnLettersOneBased(703), "AAA");
  EXPECT_EQ(ColumnLettersOneBased(16384), "XFD");
  EXPECT_EQ(ColumnLettersZeroBased(0), "A");
  EXPECT_EQ(ColumnLettersZeroBased(26), "AA");
  EXPECT_EQ(ColumnLettersZeroBased(676), "ZA");
  EXPECT_EQ(ColumnLettersZeroBased(702), "AAA");
}

TEST(XlsxWorksheet, SkeletonOfAPlainSheet) {
  Sheet s("Name,Qty\nabc,12\n");
  const std::string part = s.Write();
  EXPECT_EQ(part.rfind("<?xml version=\"1.0\" encoding=\"Shift-JIS\" standalone=\"yes\"?>\n<worksheet ", 0), 0u);
  EXPECT_NE(part.find("<sheetPr codeName=\"Sheet2\"/><dimension ref=\"A1:B2\"/>"), std::string::npos);
  EXPECT_NE(part.find("<sheetView workbookViewId=\"0\"><selection activeCell=\"A1\" sqref=\"A1\"/>"),
            std::string::npos);
  // Width code 10 at size digit '4': 10 * 110 / 160 + 3 = 9.
  EXPECT_NE(part.find("<cols><col min=\"1\" max=\"1\" width=\"9\" customWidth=\"1\"/>"
                      "<col min=\"2\" max=\"2\" width=\"9\" customWidth=\"1\"/>"
                      "<col min=\"3\" max=\"16384\" width=\"9\" style=\"0\"/></cols>"),
            std::string::npos);
  EXPECT_NE(part.find("<pageMargins left=\"0.8\" right=\"0.8\" top=\"1.0\" bottom=\"1.0\" header=\"0.5\" "
                      "footer=\"0.5\"/><pageSetup paperSize=\"9\" orientation=\"portrait\"/>"
                      "<headerFooter alignWithMargins=\"0\"/></worksheet>"),
            std::string::npos);
  // No relationship the package does not have.
  EXPECT_EQ(part.find("r:id"), std::string::npos);
  EXPECT_EQ(Count(part, "<row "), 2);
  EXPECT_NE(part.find("<row r=\"1\" spans=\"1:2\">"), std::string::npos);
}

TEST(XlsxWorksheet, SheetPropertiesViewsAndPageSettings) {
  Sheet s("a\n");
  s.layout.sheetNumber = 3;
  s.layout.tabColourHex = "00B050";
  s.layout.fitWidth = 1;
  s.layout.gridLetter = 'v';
  s.layout.topLeftCell = "B5";
  s.layout.activeCell = "C7";
  s.layout.marginLeft = 0;
  s.layout.marginRight = 15;
  s.layout.paperLetter = 'b';
  s.layout.scale = 80;
  s.layout.protectedSheet = true;
  s.layout.filterRow = 2;
  s.layout.filterFirstColumn = 0;
  s.layout.filterLastColumn = 27;
  std::string part = s.Write();
  EXPECT_NE(part.find("<sheetPr codeName=\"Sheet4\"><tabColor rgb=\"FF00B050\"/><pageSetUpPr fitToPage=\"1\"/>"
                      "</sheetPr>"),
            std::string::npos);
  EXPECT_NE(part.find("<sheetView showGridLines=\"0\" showRowColHeaders=\"0\" topLeftCell=\"B5\" "
                      "workbookViewId=\"0\"><selection activeCell=\"C7\" sqref=\"C7\"/>"),
            std::string::npos);
  EXPECT_NE(part.find("left=\"0.0\" right=\"1.5\""), std::string::npos);
  EXPECT_NE(part.find("<pageSetup paperSize=\"9\" scale=\"80\" fitToWidth=\"1\" orientation=\"landscape\"/>"),
            std::string::npos);
  EXPECT_NE(part.find("<sheetProtection sheet=\"1\" objects=\"1\" scenarios=\"1\" selectLockedCells=\"1\"/>"
                      "<autoFilter ref=\"A2:AA2\"/>"),
            std::string::npos);
  s.layout.paperLetter = 'j';
  s.layout.scale = 100;
  s.layout.fitWidth = 0;
  part = s.Write();
  EXPECT_NE(part.find("<pageSetup paperSize=\"4414\" orientation=\"landscape\"/>"), std::string::npos);
  EXPECT_NE(part.find("<sheetPr codeName=\"Sheet4\"><tabColor rgb=\"FF00B050\"/></sheetPr>"), std::string::npos);
  s.layout.tabColourHex.clear();
  EXPECT_NE(s.Write().find("<sheetPr codeName=\"Sheet4\"/>"), std::string::npos);
}

TEST(XlsxWorksheet, ColumnElementsByFlagsAndWideFonts) {
  Sheet s("a,b,c,d,e,f\n");
  s.layout.columnFormats[1].c[9] = 0x02;
  s.layout.columnFormats[2].c[9] = 0x04;
  s.layout.columnFormats[3].c[9] = 0x10;
  s.layout.columnFormats[3].c[4] = '3';
  s.layout.columnFormats[4].c[9] = 0x20;
  s.layout.columnFormats[5].c[7] = 0x30;  // a wide face: 40 + 40/8 = 45, above 40: 50
  s.layout.columnWidths[5] = 40;
  s.layout.columnWidths[6] = 2;  // the last column at width 2 or less has no element
  const std::string part = s.Write();
  EXPECT_NE(part.find("<col min=\"1\" max=\"1\" width=\"0.4\"/>"), std::string::npos);
  EXPECT_NE(part.find("<col min=\"2\" max=\"2\" width=\"0\" hidden=\"1\" customWidth=\"1\"/>"), std::string::npos);
  EXPECT_NE(part.find("<col min=\"3\" max=\"3\" width=\"9\" customWidth=\"1\" outlineLevel=\"3\"/>"),
            std::string::npos);
  EXPECT_NE(part.find("<col min=\"4\" max=\"4\" width=\"9\" hidden=\"1\" customWidth=\"1\" outlineLevel=\"1\"/>"),
            std::string::npos);
  EXPECT_NE(part.find("<col min=\"5\" max=\"5\" width=\"37\" customWidth=\"1\"/>"), std::string::npos);
  EXPECT_EQ(s.layout.columnWidths[5], 50);
  EXPECT_EQ(part.find("<col min=\"6\" max=\"6\""), std::string::npos);
}

TEST(XlsxWorksheet, RowHeightsOutlinesAndThickBorders) {
  Sheet s("t\na\nb\nc\nd\n");
  XlsxRowFormat r2;
  r2.row = 2;
  r2.rec = DefaultRecordBytes();
  r2.rec.c[20] = 'R';  // 18 pixels
  r2.rec.c[11] = '2';
  XlsxRowFormat r3;
  r3.row = 3;
  r3.rec = DefaultRecordBytes();
  r3.rec.c[9] = 0x14;  // hidden, outlined
  r3.rec.c[4] = '2';
  XlsxRowFormat r4;
  r4.row = 4;
  r4.rec = DefaultRecordBytes();
  r4.rec.c[9] = 0x02;
  XlsxRowFormat r5;
  r5.row = 5;
  r5.rec = DefaultRecordBytes();
  r5.rec.c[10] = '4';
  s.layout.rowFormats = {r2, r3, r4, r5};
  XlsxSheetResult res;
  const std::string part = s.Write(&res);
  EXPECT_NE(part.find("<row r=\"2\" spans=\"1:1\" ht=\"13\" customHeight=\"1\" thickBot=\"1\">"), std::string::npos);
  EXPECT_NE(part.find("<row r=\"3\" spans=\"1:1\" hidden=\"1\" customHeight=\"1\" outlineLevel=\"2\" thickTop=\"1\">"),
            std::string::npos);
  EXPECT_NE(part.find("<row r=\"4\" spans=\"1:1\" ht=\"1.5\" customHeight=\"1\" thickBot=\"1\">"), std::string::npos);
  EXPECT_NE(part.find("<row r=\"5\" spans=\"1:1\" thickTop=\"1\">"), std::string::npos);
  EXPECT_EQ(res.rowHeights[0], 18);
  EXPECT_EQ(res.rowHeights[1], 18);
  EXPECT_EQ(res.rowHeights[3], 2);
  EXPECT_EQ(res.rowsWritten, 5u);
}

TEST(XlsxWorksheet, PageBreaksStopAt256AndMergesCountTheirElements) {
  std::string text;
  for (int i = 0; i < 300; ++i) text += "r\n";
  Sheet s(text);
  for (std::uint32_t row = 2; row <= 258; ++row) {  // 257 rows with a break
    XlsxRowFormat f;
    f.row = row;
    f.rec = DefaultRecordBytes();
    f.rec.c[9] = 0x08;
    s.layout.rowFormats.push_back(f);
  }
  s.layout.breakStartRow = 1;
  s.layout.rowOffset = 0;
  XlsxShapeRecord m;
  m.rec = DefaultRecordBytes();
  m.rec.c[19] = 'M';
  m.fromCol = 2;
  m.fromRow = 3;
  m.toCol = 28;
  m.toRow = 4;
  XlsxShapeRecord other = m;
  other.rec.c[19] = 'F';
  s.layout.objects.shapes = {m, other};
  s.layout.mergeCount = 2;  // more than there are merge records
  s.layout.shapeCount = 1;
  const std::string part = s.Write();
  EXPECT_NE(part.find("<rowBreaks count=\"256\" manualBreakCount=\"256\"><brk id=\"1\" max=\"16383\" man=\"1\"/>"),
            std::string::npos);
  EXPECT_EQ(Count(part, "<brk "), 256);
  EXPECT_NE(part.find("<brk id=\"256\" max=\"16383\" man=\"1\"/></rowBreaks>"), std::string::npos);
  EXPECT_NE(part.find("<mergeCells count=\"1\"><mergeCell ref=\"B3:AB4\"/></mergeCells>"), std::string::npos);
  EXPECT_NE(part.find("<drawing r:id=\"rId2\"/></worksheet>"), std::string::npos);
}

TEST(XlsxWorksheet, MoreThan1000ColumnsTakeTheDefaultWidth) {
  std::string line;
  for (int c = 1; c <= 1200; ++c) line += (c > 1 ? "," : "") + std::to_string(c);
  Sheet s(line + "\n" + line + "\n");
  const std::string part = s.Write();
  EXPECT_EQ(Count(Between(part, "<cols>", "</cols>"), "<col "), 1001);
  EXPECT_NE(part.find("<col min=\"1000\" max=\"1000\""), std::string::npos);
  EXPECT_NE(part.find("<col min=\"1001\" max=\"16384\" width=\"9\" style=\"0\"/></cols>"), std::string::npos);
  EXPECT_NE(part.find("<dimension ref=\"A1:ATD2\"/>"), std::string::npos);
  // Every field is a cell, and the data row's numbers stay numbers past 1000.
  EXPECT_EQ(Count(part, "<c r="), 2400);
  EXPECT_EQ(CellOf(part, "ATD2"), "<c r=\"ATD2\" s=\"0\" t=\"inlineStr\"><is><t>1200</t></is></c>");
}

TEST(XlsxCells, WideRowsUnderAOneFieldCaptionKeepEveryField) {
  std::string row;
  for (int c = 1; c <= 40; ++c) row += (c > 1 ? "," : "") + std::string("v") + std::to_string(c);
  Sheet s("Caption\n" + row + "\n" + row + "\n");
  ASSERT_EQ(s.layout.columnCount, 1u);
  XlsxSheetResult res;
  const std::string part = s.Write(&res);
  EXPECT_EQ(res.widestRow, 40u);
  EXPECT_NE(part.find("<dimension ref=\"A1:AN3\"/>"), std::string::npos);
  EXPECT_NE(part.find("<row r=\"2\" spans=\"1:40\">"), std::string::npos);
  EXPECT_EQ(Count(part, "<c r="), 81);
  EXPECT_NE(CellOf(part, "AN3").find("<t>v40</t>"), std::string::npos);
}

TEST(XlsxCells, FieldsBeyondTheLastSheetColumnAreLeftOut) {
  std::string row;
  for (int c = 1; c <= 16390; ++c) row += c > 1 ? ",x" : "x";
  Sheet s(row + "\n");
  XlsxSheetResult res;
  const std::string part = s.Write(&res);
  EXPECT_EQ(res.widestRow, 16384u);
  EXPECT_EQ(Count(part, "<c r="), 16384);
  EXPECT_NE(part.find("<c r=\"XFD1\""), std::string::npos);
  EXPECT_NE(part.find("<col min=\"1001\" max=\"16384\" width=\"9\" style=\"0\"/></cols>"), std::string::npos);
}

TEST(XlsxCells, NumbersAndTheirTypeChanges) {
  Sheet s("a,b,c,d\n\"1,234\",100,$1200,12.5.3\n\"1,234.5\",abc,x,7\n");
  s.ColumnType(1, 'i');
  s.ColumnType(2, 'c');
  s.ColumnType(3, 'm');
  s.ColumnType(4, 'g');
  const std::string part = s.Write();
  EXPECT_NE(CellOf(part, "A2").find("><v>1234</v></c>"), std::string::npos) << CellOf(part, "A2");
  EXPECT_NE(CellOf(part, "D2").find("t=\"inlineStr\"><is><t>12.5.3</t>"), std::string::npos);
  EXPECT_NE(CellOf(part, "B2").find("><v>100</v>"), std::string::npos);
  EXPECT_NE(CellOf(part, "C2").find("><v>1200</v>"), std::string::npos);
  EXPECT_NE(CellOf(part, "B3").find("<t>abc</t>"), std::string::npos);
  EXPECT_NE(CellOf(part, "D3").find("<v>7</v>"), std::string::npos);
  // The slots carry the changed type codes.
  auto typeOf = [&](const std::string& ref) {
    const std::string cell = CellOf(part, ref);
    const int slot = std::stoi(Between(cell, "s=\"", "\""));
    return static_cast<unsigned char>(s.slots.Record(slot)[1]);
  };
  EXPECT_EQ(typeOf("A2"), 'i');
  EXPECT_EQ(typeOf("B2"), 0xE9);
  EXPECT_EQ(typeOf("B3"), 'g');
  EXPECT_EQ(typeOf("C2"), 0xE4);
  EXPECT_EQ(typeOf("D3"), 'g');
  // 'g' with quoted groups: 0xe3 with a point.
  EXPECT_EQ(typeOf("A3"), 'i');
  Sheet g("a\n\"1,234\"\n\"1,234.5\"\n");
  g.ColumnType(1, 'g');
  const std::string gp = g.Write();
  EXPECT_EQ(static_cast<unsigned char>(g.slots.Record(std::stoi(Between(CellOf(gp, "A2"), "s=\"", "\"")))[1]), 0xE9);
  EXPECT_EQ(static_cast<unsigned char>(g.slots.Record(std::stoi(Between(CellOf(gp, "A3"), "s=\"", "\"")))[1]), 0xE3);
  EXPECT_NE(CellOf(gp, "A3").find("<v>1234.5</v>"), std::string::npos);
}

TEST(XlsxCells, TitleRowNeverHoldsNumbersAndSignsAloneAreText) {
  Sheet s("12,34\n-,.\n5,+6\n");
  const std::string part = s.Write();
  EXPECT_NE(CellOf(part, "A1").find("<t>12</t>"), std::string::npos);
  EXPECT_NE(CellOf(part, "A2").find("<t>-</t>"), std::string::npos);
  EXPECT_NE(CellOf(part, "B2").find("<t>.</t>"), std::string::npos);
  EXPECT_NE(CellOf(part, "B3").find("<v>6</v>"), std::string::npos);
}

TEST(XlsxCells, FormulasKeepTheirEqualsSign) {
  Sheet s("a,b,c,d\n=A1+B1,==A1,=,=SUM(A1:A3)\n");
  const std::string part = s.Write();
  EXPECT_NE(CellOf(part, "A2").find("><f>=A1+B1</f></c>"), std::string::npos);
  EXPECT_NE(CellOf(part, "B2").find("><f>=A1</f></c>"), std::string::npos);
  EXPECT_NE(CellOf(part, "C2").find("t=\"inlineStr\"><is><t>=</t>"), std::string::npos);
  EXPECT_NE(CellOf(part, "D2").find("<f>=SUM(A1:A3)</f>"), std::string::npos);
}

TEST(XlsxCells, FieldBytesEscapesCodesAndLineBreaks) {
  Sheet s("h\na<b & c\nabc^note\na\\^b\n\"say \"\"hi\"\"\"\nx\\ny\n  lead\n");
  const std::string part = s.Write();
  EXPECT_NE(CellOf(part, "A2").find("<t>a&lt;b &amp; c</t>"), std::string::npos);
  EXPECT_NE(CellOf(part, "A3").find("<t>abc</t>"), std::string::npos);
  EXPECT_NE(CellOf(part, "A4").find("<t>a^b</t>"), std::string::npos);
  EXPECT_NE(CellOf(part, "A5").find("<t>say hi</t>"), std::string::npos);
  EXPECT_NE(CellOf(part, "A6").find("<t>x\r\ny</t>"), std::string::npos);
  EXPECT_NE(CellOf(part, "A7").find("<t>lead</t>"), std::string::npos);
}

TEST(XlsxCells, ShiftJisPairsPassAndStrayLeadBytesNeverHideMarkup) {
  // "ソ" (0x83 0x5E) and "表" (0x95 0x5C) end in '^' and '\'; "①" is 0x87 0x40.
  Sheet s("h\n\x83\x5E\x95\x5C\x87\x40\nx\x81<y&\n\x81\n");
  const std::string part = s.Write();
  EXPECT_NE(CellOf(part, "A2").find("<t>\x83\x5E\x95\x5C\x87\x40</t>"), std::string::npos);
  EXPECT_NE(CellOf(part, "A3").find("<t>x\x81&lt;y&amp;</t>"), std::string::npos);
  EXPECT_NE(CellOf(part, "A4").find("<t>\x81</t>"), std::string::npos);
  // As UTF-8 the stray byte becomes the default character and the markup stays.
  const std::string utf8 = fw::Cp932ToUtf8(CellOf(part, "A3"));
  EXPECT_NE(utf8.find("x\xE3\x83\xBB&lt;y&amp;</t>"), std::string::npos) << utf8;
}

TEST(XlsxCells, LeadingMarksOfTitleAndCommentRows) {
  Sheet s("!#XL:Title,!#x\n~note,b\n");
  s.layout.rowLimit = 2;
  s.layout.endRow = 5;
  const std::string part = s.Write();
  EXPECT_NE(CellOf(part, "A1").find("<t>Title</t>"), std::string::npos) << CellOf(part, "A1");
  EXPECT_NE(CellOf(part, "B1").find("<t>x</t>"), std::string::npos);
  EXPECT_NE(CellOf(part, "A2").find("<t>note</t>"), std::string::npos);
}

TEST(XlsxCells, EndRowTextCellsKeepAnEmptyValue) {
  Sheet s("a,b\n1,x\n!#:Next,y\n");
  s.layout.endRow = 3;
  const std::string part = s.Write();
  EXPECT_EQ(CellOf(part, "A3"), "<c r=\"A3\" s=\"1\"><v></v></c>");
  EXPECT_EQ(Count(part, "<row "), 3);
}

TEST(XlsxCells, ShortRowsAreFilledWhenTheirRecordAsks) {
  Sheet s("a,b,c\n1,2,3\n4\n");
  XlsxRowFormat f;
  f.row = 3;
  f.rec = DefaultRecordBytes();
  f.rec.c[10] = '1';
  s.layout.rowFormats = {f};
  const std::string part = s.Write();
  EXPECT_NE(CellOf(part, "C3").find("t=\"inlineStr\"><is><t></t></is></c>"), std::string::npos);
  const int slot = std::stoi(Between(CellOf(part, "C3"), "s=\"", "\""));
  EXPECT_EQ(s.slots.Record(slot)[3], '_');
}

TEST(XlsxCells, StyleCompositionMergesRowColumnAndDefaults) {
  Sheet s("T1,T2\n1,2\n3,4\n");
  s.layout.defaultFlags = 0x30;
  XlsxRowFormat title;
  title.row = 1;
  title.rec = DefaultRecordBytes();
  title.rec.c[0] = 'p';
  title.rec.c[1] = 's';
  title.rec.c[10] = title.rec.c[11] = '2';
  s.layout.rowFormats = {title};
  s.layout.columnFormats[2].c[5] = 'R';
  s.layout.columnFormats[2].c[6] = 'c';
  const std::string part = s.Write();
  auto rec = [&](const std::string& ref) {
    const int slot = std::stoi(Between(CellOf(part, ref), "s=\"", "\""));
    EXPECT_GT(slot, 0);
    return std::string(s.slots.Record(slot).data(), kStyleRecordLength);
  };
  // Title: the row's alignment and type, thick top and bottom, the column's
  // thin right border, sheet defaults for the rest.
  EXPECT_EQ(rec("A1"), std::string("ps_1___\x30" "4\0" "22____", 16));
  // The first column's right border becomes the second one's left border.
  EXPECT_EQ(rec("B2"), std::string("@g11_Rc\x30" "4\0" "______", 16));
}

TEST(XlsxCells, ColourBarColumnWritesRuns) {
  Sheet s("h,bar\n1,*ab*c\n2,*x\n");
  s.layout.colourBarColumn = 2;
  s.layout.colourBarChars[0] = '*';
  s.layout.colourBarHex[0] = "FF0000";
  s.layout.defaultFlags = 0x30;
  s.layout.curLine = 3;
  const std::string part = s.Write();
  const std::string b2 = CellOf(part, "B2");
  EXPECT_NE(b2.find("t=\"inlineStr\"><is><r><rPr><rFont val=\"ＭＳ ゴシック\"/><sz val=\"11\"/><color rgb=\"FF000000\"/></rPr><t></t></r>"),
            std::string::npos)
      << b2;
  // Each marker starts a run in its colour.
  EXPECT_EQ(Count(b2, "<color rgb=\"FFFF0000\"/>"), 2);
  EXPECT_EQ(Count(b2, "<r>"), 3);
  EXPECT_NE(b2.find("<t xml:space=\"preserve\">*ab"), std::string::npos);
  // The row at the view's current line is plain text.
  EXPECT_NE(CellOf(part, "B3").find("<is><t>*x</t></is>"), std::string::npos);
}

TEST(XlsxWorksheet, MemoryShortWhileGrowingCutsRowsAndClosesThePart) {
  std::string text;
  for (int i = 0; i < 3000; ++i) text += "row" + std::to_string(i) + ",<&>,12\n";
  Sheet s(text);
  auto run = [&](long failFrom, XlsxSheetResult& res, std::string& part) {
    exportcore::ByteWriter buffer;
    fw::alloctest::Reset();
    fw::alloctest::FailFrom(failFrom);
    const bool ok = WriteWorksheet(s.table, s.layout, s.slots, buffer, res);
    const long count = fw::alloctest::Count();
    fw::alloctest::Reset();
    part.assign(buffer.Data(), buffer.Size());
    return ok ? count : -count;
  };
  XlsxSheetResult res;
  std::string part;
  const long allocations = run(0, res, part);
  ASSERT_GT(allocations, 3);
  EXPECT_FALSE(res.cut);
  EXPECT_EQ(res.rowsWritten, 3000u);
  for (long n = 1; n <= allocations; ++n) {
    const long count = run(n, res, part);
    if (count < 0) {
      // Not even the head could be made.
      EXPECT_EQ(n, 1);
      continue;
    }
    EXPECT_TRUE(res.cut) << n;
    EXPECT_LT(res.rowsWritten, 3000u);
    EXPECT_EQ(Count(part, "<row "), static_cast<int>(res.rowsWritten));
    EXPECT_EQ(Count(part, "</row>"), static_cast<int>(res.rowsWritten));
    const std::string end = "</sheetData><pageMargins";
    EXPECT_NE(part.find(end), std::string::npos) << n;
    EXPECT_EQ(part.substr(part.size() - 12), "</worksheet>");
  }
}

TEST(XlsxWorksheet, TheRunWritesTheSheetPartWithItsRecords) {
  Sheet s("Name,Qty\nabc,12\n");
  XlsxRun run;
  run.sheet.number = 2;
  run.sheet.readStart = 0;
  run.sheet.firstRowNumber = 1;
  run.sheet.bounds.titleRow = 1;
  run.sheet.bounds.rowLimit = 3;
  run.sheet.bounds.endRow = 3;
  run.sheet.bounds.columnCount = 2;
  run.sheet.settings.tabColour = 'R';
  for (int c = 1; c <= 92; ++c) run.XlsxColumnFormats[c].c[3] = '1';
  run.XlsxColumnWidths[1] = 8;
  run.XlsxColumnWidths[2] = 5;
  run.XlsxRowFormats.resize(1);
  run.XlsxRowFormats[0].c[0] = 'p';
  run.XlsxRowFormats[0].c[1] = 's';
  run.XlsxRowFormats[0].c[10] = run.XlsxRowFormats[0].c[11] = '2';
  run.XlsxRowFormatRows = {1};
  run.XlsxChartSlots[2] = 2;  // one chart: the sheet refers to its drawing
  exportcore::MemoryPartSink sink;
  ASSERT_EQ(WriteSheetPart(run, s.table, sink), SheetPartResult::kWritten);
  ASSERT_EQ(sink.parts.count("xl/worksheets/sheet2.xml"), 1u);
  const std::string& part = sink.parts["xl/worksheets/sheet2.xml"];
  // Stored as UTF-8.
  EXPECT_EQ(part.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"", 0), 0u);
  EXPECT_NE(part.find("<sheetPr codeName=\"Sheet3\"><tabColor rgb=\"FF"), std::string::npos);
  EXPECT_NE(part.find("<row r=\"1\" spans=\"1:2\" thickBot=\"1\" thickTop=\"1\">"), std::string::npos);
  EXPECT_NE(part.find("<c r=\"B2\" s=\""), std::string::npos);
  EXPECT_NE(CellOf(part, "B2").find("<v>12</v>"), std::string::npos);
  EXPECT_NE(part.find("<drawing r:id=\"rId2\"/>"), std::string::npos);
  EXPECT_EQ(run.XlsxPictureCount[2], -1);
  EXPECT_GE(run.XlsxCellStyleTable.size(), 3u);
  EXPECT_EQ(run.XlsxRowHeights[0], 18);

  sink.refuse = "xl/worksheets/sheet2.xml";
  EXPECT_EQ(WriteSheetPart(run, s.table, sink), SheetPartResult::kNotStored);
  EXPECT_EQ(sink.FirstFailure(), "xl/worksheets/sheet2.xml");
}

TEST(XlsxWorksheet, TwoBlocksThroughTheSheetModel) {
  // "!#:売上" and "!#:在庫" heads over small tables.
  Sheet s("!#:\x94\x84\x8F\xE3\nName,Qty\napple,\"1,234\"\npear,=B3*2\n!#:\x8D\xDD\x8C\xC9\nName,Qty\nplum,7\n");
  XlsxRun run;
  const std::string text(reinterpret_cast<const char*>(s.table.m_pTextBuf), s.table.m_nTextLen);
  XlsxPreScan(text.data(), static_cast<std::uint32_t>(text.size()), run);
  std::string parts[3];
  for (std::uint32_t n = 1; n <= 2; ++n) {
    XlsxReadSheetModel(s.table, text.data(), static_cast<std::uint32_t>(text.size()), n, run);
    exportcore::MemoryPartSink sink;
    ASSERT_EQ(WriteSheetPart(run, s.table, sink), SheetPartResult::kWritten);
    parts[n] = sink.parts["xl/worksheets/sheet" + std::to_string(n) + ".xml"];
  }
  // Sheet 1: the head line, the title row centred between thick borders, the
  // quoted grouped number, the formula, and the next head as an empty end row.
  EXPECT_NE(parts[1].find("<dimension ref=\"A1:B5\"/>"), std::string::npos);
  EXPECT_NE(parts[1].find("<row r=\"2\" spans=\"1:2\" thickBot=\"1\" thickTop=\"1\">"), std::string::npos);
  EXPECT_NE(CellOf(parts[1], "B3").find("><v>1234</v></c>"), std::string::npos);
  EXPECT_NE(CellOf(parts[1], "B4").find("><f>=B3*2</f></c>"), std::string::npos);
  EXPECT_NE(CellOf(parts[1], "A5").find("><v></v></c>"), std::string::npos);
  // The second column has its measured width although the head line above
  // the table has one field.
  EXPECT_NE(parts[1].find("<col min=\"2\" max=\"2\""), std::string::npos);
  // Sheet 2 starts at its own head, in UTF-8.
  EXPECT_NE(CellOf(parts[2], "A1").find("<t>:\xE5\x9C\xA8\xE5\xBA\xAB</t>"), std::string::npos) << parts[2];
  EXPECT_NE(CellOf(parts[2], "B3").find("><v>7</v></c>"), std::string::npos);
  // The styles written name slots of the run's table.
  EXPECT_GE(run.XlsxCellStyleTable.size(), 5u);
}

TEST(XlsxCells, TitleBordersStopAtTheTitlesLastFilledColumn) {
  Sheet s("Head\nT1,T2,,\n1,2,3,4\n");
  XlsxRun run;
  run.sheet.number = 1;
  run.sheet.firstRowNumber = 1;
  run.sheet.bounds.titleRow = 2;
  run.sheet.bounds.rowLimit = 4;
  run.sheet.bounds.endRow = 4;
  run.sheet.bounds.columnCount = 4;
  XlsxSheetLayout L = SheetLayoutFromRun(run, s.table);
  EXPECT_EQ(L.titleLastColumn, 2u);
  EXPECT_EQ(L.columnFormats[1].c[2], '1');  // the format row's left border of column 1
  EXPECT_EQ(L.columnFormats[4].c[3], '1');
  XlsxRowFormat title;
  title.row = 2;
  title.rec = DefaultRecordBytes();
  title.rec.c[10] = title.rec.c[11] = '2';
  L.rowFormats = {title};
  std::string part;
  XlsxStyleSlots slots;
  ASSERT_TRUE(WriteWorksheetText(s.table, L, slots, &part, nullptr));
  auto rec = [&](const std::string& ref) {
    return slots.Record(std::stoi(Between(CellOf(part, ref), "s=\"", "\"")));
  };
  EXPECT_EQ(rec("B2")[10], '2');
  EXPECT_EQ(rec("B2")[3], '1');
  EXPECT_EQ(rec("C2")[10], '_');
  EXPECT_EQ(rec("C2")[11], '_');
  EXPECT_EQ(rec("C2")[3], '_');
  // Data rows keep their borders.
  EXPECT_EQ(rec("C3")[3], '1');
}

TEST(XlsxCells, FormatObjectsOnTheGridStyleTheirCells) {
  Sheet s("a,b,c\n1,2,3\n4,5,6\n7,8,9\n");
  // Object 1 covers B2:C3: fill 'c', thick borders, no inner borders ('N').
  XlsxShapeRecord o;
  o.rec = DefaultRecordBytes();
  o.rec.c[6] = 'c';
  o.rec.c[2] = o.rec.c[3] = o.rec.c[10] = o.rec.c[11] = '2';
  o.rec.c[9] = 'N';
  XlsxShapeRecord other = o;
  other.rec.c[5] = 'R';
  s.layout.objects.shapes = {o, other};
  s.layout.objects.gridColumns = 3;
  auto line = [](const char* cells) {  // one grid line: "O:" or a code per column
    std::string l;
    for (int c = 0; c < 4; ++c) {
      l += c < 3 && cells[c] == '1' ? "01" : "O:";
      l += c < 3 ? '\x06' : '\r';
    }
    return l + '\n';
  };
  ASSERT_TRUE(s.layout.objects.grid.Assign(line("000") + line("011") + line("011") + line("000")));
  s.layout.objects.overlaps = {{3, 3, 2}};  // C3 shows object 2's colours
  const std::string part = s.Write();
  auto rec = [&](const std::string& ref) {
    return s.slots.Record(std::stoi(Between(CellOf(part, ref), "s=\"", "\"")));
  };
  const XlsxCellStyleRecord b2 = rec("B2");
  EXPECT_EQ(b2[6], 'c');
  EXPECT_EQ(b2[2], '2');   // left: no object there
  EXPECT_EQ(b2[3], '\0');  // right: the same object
  EXPECT_EQ(b2[10], '2');  // top
  EXPECT_EQ(b2[11], '\0'); // bottom: the same object
  const XlsxCellStyleRecord c3 = rec("C3");
  EXPECT_EQ(c3[3], '2');
  EXPECT_EQ(c3[11], '2');
  EXPECT_EQ(c3[5], 'R');   // from the overlap entry
  EXPECT_EQ(rec("A2")[6], '_');
  // B3's right neighbour shows object 1 too (the grid names it), so no border.
  EXPECT_EQ(rec("B3")[3], '\0');
}
