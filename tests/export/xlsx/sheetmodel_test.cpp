// The sheet model of a plain table block: bounds, special lines, the title
// row's and the table end's records, the comment row, measured widths.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "csv/csv_table.h"
#include "export/xlsx/xlsx_prescan.h"
#include "export/xlsx/xlsx_sheetmodel.h"

namespace {

using namespace xlsx;

struct Model {
  csv::Table table;
  XlsxRun run;
  explicit Model(const std::string& text) {
    EXPECT_TRUE(table.Assign(text.data(), text.size(), 100));
    XlsxPreScan(Text(), table.m_nTextLen, run);
  }
  const char* Text() const { return reinterpret_cast<const char*>(table.m_pTextBuf); }
  XlsxSheetNotes Read(std::uint32_t n) { return XlsxReadSheetModel(table, Text(), table.m_nTextLen, n, run); }
  std::string Record(std::uint32_t row) const {
    for (std::size_t i = 0; i < run.XlsxRowFormatRows.size(); ++i)
      if (run.XlsxRowFormatRows[i] == row) return std::string(run.XlsxRowFormats[i].c, kFormatRecordLength);
    return std::string();
  }
};

// "!#:売上" and "!#:在庫" with a title row, data and a comment after the first table.
const std::string kTwoBlocks =
    "!#:\x94\x84\x8F\xE3\r\n"
    "Name\x06Amount\r\n"
    "apple\x06\"1,234\"\r\n"
    "pear\x06" "12345678901\r\n"
    "~note\r\n"
    "!#:\x8D\xDD\x8C\xC9\r\n"
    "Item\x06" "Count\r\n"
    "x\x06" "3\r\n";

TEST(XlsxSheetModel, BoundsOfTwoBlocksAndTheirPlainRecords) {
  Model m(kTwoBlocks);
  m.Read(1);
  const XlsxSheetBounds& b = m.run.sheet.bounds;
  EXPECT_EQ(b.blockStart, 0u);
  EXPECT_EQ(b.titleRow, 2u);
  EXPECT_EQ(b.endRow, 6u);  // the second head's row
  EXPECT_EQ(b.columnCount, 1u);  // the head line's one field
  EXPECT_EQ(m.run.sheet.widestFirstRows, 2u);
  EXPECT_EQ(m.run.sheet.lastUsedColumn, 2u);
  // Title row: centred ('p'), text ('s'), top and bottom borders.
  std::string title = m.Record(2);
  ASSERT_FALSE(title.empty());
  EXPECT_EQ(title[0], 'p');
  EXPECT_EQ(title[1], 's');
  EXPECT_EQ(title.substr(10, 2), "22");
  // The last data row carries the table end's bottom border.
  std::string last = m.Record(4);
  ASSERT_FALSE(last.empty());
  EXPECT_EQ(last[11], '2');
  EXPECT_EQ(last[10], '_');
  // The comment row after it.
  std::string note = m.Record(5);
  ASSERT_FALSE(note.empty());
  EXPECT_EQ(note[5], 'D');
  EXPECT_EQ(note[6], 'c');
  EXPECT_EQ(note[9], '\x01');
  // Widths: "12345678901" is 11 digits + 2 = 13, wider after the font rule.
  EXPECT_EQ(m.run.XlsxColumnWidths[2], XlsxMeasureCell("12345678901", 11, 'g', 0));
  EXPECT_GE(m.run.XlsxColumnWidths[1], 6 + 2);  // "Amount" / "apple": the title's bytes + 2
  EXPECT_EQ(m.run.XlsxColumnWidths[3], 2);      // the default width

  m.Read(2);
  EXPECT_EQ(m.run.sheet.bounds.titleRow, 7u);
  EXPECT_FALSE(m.Record(7).empty());
  EXPECT_EQ(m.Record(8)[11], '2');  // the text ends after the last row
  EXPECT_EQ(m.run.XlsxSheetNames[2], "\x8D\xDD\x8C\xC9");
}

TEST(XlsxSheetModel, ChartAndFormatLinesEndTheDataRows) {
  Model m("T\x06U\r\n1\x06" "2\r\n3\x06" "4\r\n!$chart\r\n!%shapes\r\n");
  m.Read(1);
  EXPECT_EQ(m.run.sheet.chartDefinition, 15u);
  EXPECT_EQ(m.run.sheet.formatSection, 24u);
  EXPECT_EQ(m.run.sheet.dataEndRow, 4u);
  EXPECT_EQ(m.run.sheet.bounds.endRow, 4u);
  EXPECT_EQ(m.Record(3)[11], '2');
  // Text before a head that reaches byte 20 is "Sheet1"; a short text
  // without a head takes its first data line's first field as its name.
  EXPECT_EQ(m.run.XlsxSheetNames[1], "Sheet1");
  Model small("T:1\x06U\r\n1\r\n");
  small.Read(1);
  EXPECT_EQ(small.run.XlsxSheetNames[1], "T#1");
}

TEST(XlsxSheetModel, MeasuredWidthsFollowTheDigitsAndTheFontRule) {
  // Bytes + 2, then the narrow-font rule: w + 2 - w / 4 up to 11.
  EXPECT_EQ(XlsxMeasureCell("abc", 3, 'g', 0), 5 + 2 - 1);
  // A number with two decimals in 'f' format: d + k + 4.
  // A number with two decimals: d + k + 4 = 10, one more above 9 for
  // fewer than 5 digits, then 11 + 2 - 11 / 4.
  EXPECT_EQ(XlsxMeasureCell("1234", 4, '2', 0), 11);
  // Thousands groups add a separator per three digits.
  EXPECT_EQ(XlsxMeasureCell("1234567", 7, static_cast<char>('c' | 0x80), 1),
            [] { int w = 9 + 2; return w + w / 4 + 2; }());
  // Leading blanks count nothing; a text is measured by its bytes.
  EXPECT_EQ(XlsxMeasureCell("  ab", 4, 'g', 0), 4 + 2 - 1);
}

TEST(XlsxSheetModel, AnEndRowPastTheRowLimitIsCutAndNotedOnce) {
  csv::Table t;
  const std::string text = "a\r\nb\r\n";
  ASSERT_TRUE(t.Assign(text.data(), text.size(), 10));
  t.m_nLastRow = 2000000;  // as a table of two million rows would give
  XlsxRun run;
  XlsxSheetNotes notes =
      XlsxReadSheetModel(t, reinterpret_cast<const char*>(t.m_pTextBuf), t.m_nTextLen, 1, run);
  EXPECT_TRUE(notes.overLimit);
  EXPECT_EQ(notes.overLimitRow, 2000002u);
  EXPECT_EQ(run.sheet.bounds.endRow, kMaxRows);
}

TEST(XlsxSheetModel, ASheetPastTheIndexHasNoColumns) {
  Model m("a\r\n");
  m.Read(3);
  EXPECT_EQ(m.run.sheet.bounds.columnCount, 0u);
  EXPECT_TRUE(m.run.XlsxRowFormats.empty());
}

TEST(XlsxSheetModel, EverySheetStartsFromBlankColumnRecords) {
  // The blank record: '@', then '_' but for positions 7 and 9.
  std::string blank(kFormatRecordLength, '_');
  blank[0] = '@';
  blank[7] = blank[9] = 0;
  XlsxFormatRecord fresh;
  EXPECT_EQ(blank, std::string(fresh.c, kFormatRecordLength));
  fresh.c[3] = 'Z';
  fresh.Reset();
  EXPECT_EQ(blank, std::string(fresh.c, kFormatRecordLength));

  // What one sheet wrote into its column records is gone for the next.
  XlsxRun run;
  run.XlsxColumnFormats[1].c[3] = 'B';
  run.XlsxColumnFormats[kFormatRecords].c[9] = 'x';
  run.XlsxColumnWidths[2] = 10005;
  run.XlsxRowHeights.assign(12, 40);  // a written sheet's heights (as many as it had rows)
  run.ClearSheet();
  EXPECT_EQ(std::vector<std::uint8_t>(12, 18), run.XlsxRowHeights);
  ASSERT_EQ(static_cast<std::size_t>(kFormatRecords + 1), run.XlsxColumnFormats.size());
  for (const XlsxFormatRecord& r : run.XlsxColumnFormats)
    ASSERT_EQ(blank, std::string(r.c, kFormatRecordLength));
  EXPECT_EQ(0, run.XlsxColumnWidths[2]);
  // A second run's records are blank too (the records are copied, not shared).
  XlsxRun other;
  EXPECT_EQ(blank, std::string(other.XlsxColumnFormats[1].c, kFormatRecordLength));
}

}  // namespace
