// The BIFF reader on crafted streams: strings across continuation records,
// the format classes, the number and date texts, the record loop's ends, the
// sheet counting, and hostile tables (strings that stand still, 300 sheets,
// 10,000 picture entries, huge date serials, zero-length records).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "convert/biff_number.h"
#include "convert/biff_reader.h"
#include "convert/biff_string.h"
#include "convert/workbook_table.h"
#include "support/outside_tool.h"

using namespace convert;

namespace {

std::string Rec(std::uint16_t type, const std::string& data) {
  std::string r;
  r += static_cast<char>(type & 0xFF);
  r += static_cast<char>(type >> 8);
  r += static_cast<char>(data.size() & 0xFF);
  r += static_cast<char>(data.size() >> 8);
  return r + data;
}
std::string U16(std::uint32_t v) { return std::string{static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)}; }
std::string U32(std::uint32_t v) { return U16(v & 0xFFFF) + U16(v >> 16); }
std::uint64_t Bits(double d) {
  std::uint64_t b;
  std::memcpy(&b, &d, 8);
  return b;
}

std::string Bof8(std::uint16_t dt) { return Rec(0x0809, U16(0x0600) + U16(dt) + std::string(12, '\0')); }
std::string Eof() { return Rec(0x000A, ""); }

struct Read {
  WorkbookTable table;
  LoadBuffer out;
  BiffRead result;
  std::string stream;
};

void ReadStream(Read& r, const std::string& s, BiffWords w = BiffWords()) {
  r.stream = s;
  ASSERT_TRUE(r.table.Allocate(5000, 157));
  r.result = ReadBiffRecords(reinterpret_cast<std::uint8_t*>(&r.stream[0]), 0, static_cast<std::int32_t>(r.stream.size()),
                             w, r.table, r.out);
}

std::string CellText(const WorkbookTable& t, std::size_t i) { return t.Text(t.Cells().at(i).value); }

// --- strings

struct StringCase {
  const char* name;
  std::string bytes;
  int result;
  std::string text;
};

TEST(BiffString, ReadsTheFormsOfAString) {
  const StringCase cases[] = {
      {"8-bit", U16(3) + std::string("\0abc", 4), 1, "abc"},
      {"UTF-16", U16(2) + std::string("\x01\xE5\x65\x2C\x67", 5), 1, "\x93\xFA\x96\x7B"},
      {"8-bit then UTF-16 at a continuation", U16(4) + std::string("\0ab", 3) + std::string("\x3C\x00\x20\x20\x01", 5) +
                                                    std::string("\xE5\x65\x2C\x67", 4),
       1, "ab\x93\xFA\x96\x7B"},
      {"tab, line feed, 0x02", U16(6) + std::string("\0a\tb\nc\x02", 7), 1, "a b\x0B" "c "},
      {"a lone 0xD7", U16(1) + std::string("\0\xD7", 2), 1, "\x81\x7E"},
      {"runs and extension skipped", U16(2) + std::string("\x0C", 1) + U16(1) + U32(2) + "xy" + "RRRR" + "EE", 1, "xy"},
      {"empty", U16(0) + std::string("\0", 1), 1, ""},
      {"count above 2,560", U16(3000) + std::string("\0abc", 4), -1, ""},
      {"characters past the data", U16(10) + std::string("\0ab", 3), -2, ""},
  };
  for (const StringCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::string bytes = c.bytes;
    BiffCursor cur;
    cur.data = reinterpret_cast<std::uint8_t*>(&bytes[0]);
    cur.end = static_cast<std::int32_t>(bytes.size());
    BiffString s;
    EXPECT_EQ(c.result, BiffReadString(cur, s));
    if (c.result == 1) {
      EXPECT_EQ(c.text, s.text);
      EXPECT_EQ(1000 + static_cast<int>(c.text.size()), s.kind);
      EXPECT_EQ(static_cast<std::int32_t>(bytes.size()), cur.pos);
    }
  }
}

TEST(BiffString, TheLanguageSettingKeepsALone0xD7) {
  std::string bytes = U16(1) + std::string("\0\xD7", 2);
  BiffCursor cur;
  cur.data = reinterpret_cast<std::uint8_t*>(&bytes[0]);
  cur.end = static_cast<std::int32_t>(bytes.size());
  cur.language = 1;
  BiffString s;
  ASSERT_EQ(1, BiffReadString(cur, s));
  EXPECT_EQ("\xD7", s.text);
}

TEST(BiffString, SkippingCountsNoMarker) {
  std::string bytes = std::string("ab\x3C\x00\x20\x20", 6) + "cd";
  BiffCursor cur;
  cur.data = reinterpret_cast<std::uint8_t*>(&bytes[0]);
  cur.end = static_cast<std::int32_t>(bytes.size());
  BiffSkipChars(cur, 3);
  EXPECT_EQ(7, cur.pos);
  BiffSkipChars(cur, 100);
  EXPECT_EQ(8, cur.pos);
}

// --- formats and numbers

TEST(BiffFormat, ClassifiesFormatStrings) {
  struct Case {
    const char* format;
    int cls;
    int decimals;
  } cases[] = {
      {"0.00", kFormatOther, 2},        {"#,##0", kFormatGrouped, 0},     {"#,##0.000", kFormatGrouped, 3},
      {"\"\\\"#,##0", kFormatCurrency, 0}, {"0.0%", kFormatPercent, 1},    {"yyyy/m/d", kFormatDate, 99},
      {"h:mm", kFormatOther, 4},        {"[Red]0.0", kFormatOther, 1},    {"0.00_);(0.00)", kFormatOther, 2},
      {"General", kFormatOther, 99},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    const BiffFormatInfo f = ClassifyBiffFormat(reinterpret_cast<const std::uint8_t*>(c.format), std::strlen(c.format));
    EXPECT_EQ(c.cls, f.formatClass);
    EXPECT_EQ(c.decimals, f.decimals);
  }
}

class BiffNumbers : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(table.Allocate(500, 40));
    PresetBuiltinFormats(table);
    Set(200, "0.00");
    Set(201, "#,##0");
    Set(202, "\"\\\"#,##0");
    Set(203, "yyyy/m/d");
    Set(204, "0.0%");
  }
  void Set(int n, const char* f) {
    const BiffFormatInfo i = ClassifyBiffFormat(reinterpret_cast<const std::uint8_t*>(f), std::strlen(f));
    table.SetFormat(n, i.formatClass, i.decimals);
  }
  WorkbookTable table;
};

TEST_F(BiffNumbers, DoublesInTheirFormats) {
  struct Case {
    double value;
    int format;
    int xlsMode;
    int xlsDecimals;
    const char* text;
  } cases[] = {
      {1234.5, 200, 0, 0, "1234.50"},
      {1234.5, 200, 11, 0, "1234.5"},
      {12.34, 200, 0, 0, "12.34"},       // four decimals rounded, not cut
      {2.675, 200, 0, 0, "2.68"},
      {0.125, 204, 0, 0, "0.1250"},      // percentages keep four decimals
      {1234567, 201, 0, 0, "1,234,567"},
      {1234567, 201, 10, 0, "1234567"},
      {5000, 202, 0, 0, "\\5,000"},
      {-5000, 202, 0, 0, "\\-5,000"},
      {-0.5, 0, 0, 0, "-0.5"},
      {12.345, 0, 0, 0, "12.345"},
      {3.0, 0, 0, 0, "3"},
      {0.0, 0, 0, 0, "0"},
      {1.23456, 0, 0, 3, "1.23"},        // the document's decimals: n - 1
      {7.0, 200, 0, 3, "7"},             // ... a whole value without them
      {3000000.0, 0, 0, 0, "3000000"},
      {8589934592.0, 0, 0, 0, "8589934:E3"},
      {1099511627776.0, 0, 0, 0, "1099511:E6"},
      {1.8014398509481984e16, 0, 0, 0, "18014398:E9"},
      {1e300, 0, 0, 0, "9999:ER"},
      {45296.0, 203, 0, 0, "'24-01-05"},
      {1e300, 203, 0, 0, "9999:ER"},     // no date can hold it
      {-1e7, 203, 0, 0, "-10000000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    BiffNumberWords w;
    w.xlsMode = c.xlsMode;
    w.xlsDecimals = c.xlsDecimals;
    const BiffNumberText t = RenderBiffDouble(Bits(c.value), c.format, table, w);
    EXPECT_EQ(c.text, t.text);
    const bool date = t.text[0] == '\'';
    EXPECT_EQ((date ? 1000 : 9000) + static_cast<int>(t.text.size()), t.kind);
  }
}

TEST_F(BiffNumbers, RkValues) {
  struct Case {
    std::uint32_t rk;
    int format;
    const char* text;
  } cases[] = {
      {(static_cast<std::uint32_t>(-150) << 2) | 3, 0, "-1.50"},
      {(12u << 2) | 2, 0, " 12"},
      {(12u << 2) | 2, 203, "'00-01-11"},
      {static_cast<std::uint32_t>(Bits(-1.5) >> 32), 0, "-1.5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.text, RenderBiffRk(c.rk, c.format, table, BiffNumberWords()).text);
  }
}

TEST_F(BiffNumbers, The1904SystemAddsItsDays) {
  BiffNumberWords w;
  w.date1904 = true;
  EXPECT_EQ("'24-01-05", RenderBiffDouble(Bits(45296.0 - 1462), 203, table, w).text);
  std::string s;
  EXPECT_TRUE(FormatBiffDate(45296.5, true, s));
  EXPECT_EQ("'24-01-05 12:00", s);
  EXPECT_FALSE(FormatBiffDate(1e300, false, s));
}

// --- the record loop

std::string Sst(const std::vector<std::string>& strings) {
  std::string d = U32(static_cast<std::uint32_t>(strings.size())) + U32(static_cast<std::uint32_t>(strings.size()));
  for (const std::string& s : strings) d += U16(static_cast<std::uint32_t>(s.size())) + std::string("\0", 1) + s;
  return Rec(0x00FC, d);
}
std::string LabelSst(int row, int col, int isst) { return Rec(0x00FD, U16(row) + U16(col) + U16(15) + U32(isst)); }
std::string RkCell(int row, int col, int value) { return Rec(0x027E, U16(row) + U16(col) + U16(15) + U32((value << 2) | 2)); }
std::string SheetName(const std::string& n) { return Rec(0x0085, U32(0) + std::string("\0\0", 2) + static_cast<char>(n.size()) + std::string("\0", 1) + n); }

TEST(BiffRecords, SheetsAreCountedByTheirStartRecords) {
  const std::string s = Bof8(5) + SheetName("one") + SheetName("two") + SheetName("three") + Sst({"a", "b"}) + Eof() +
                        Bof8(0x10) + LabelSst(0, 0, 0) + Eof() + Bof8(0x10) + Eof() + Bof8(0x10) + LabelSst(2, 1, 1) +
                        RkCell(3, 1, 7) + Bof8(0x20) + Eof() /* an embedded chart */ + Eof();
  Read r;
  ReadStream(r, s);
  ASSERT_EQ(3u, r.table.Cells().size());
  EXPECT_EQ(0, r.table.Cells()[0].sheet);
  EXPECT_EQ(2, r.table.Cells()[1].sheet);
  EXPECT_EQ("b", CellText(r.table, 1));
  EXPECT_EQ(" 7", CellText(r.table, 2));
  EXPECT_EQ(3, r.table.m_nSheetCount);
  EXPECT_EQ(16, r.table.m_nFirstRecordLength);
  EXPECT_EQ((std::vector<std::string>{"one", "two", "three"}), r.result.sheetRecordNames);
  EXPECT_EQ(nullptr, r.result.damage);
}

TEST(BiffRecords, LoopEnds) {
  struct Case {
    const char* name;
    std::string tail;
    const char* text;   // expected in the output ("" none)
    bool ended;
    bool damaged;
    size_t cells;
  } cases[] = {
      {"a compound header", std::string("\xD0\xCF", 2) + RkCell(0, 1, 2), "", false, false, 1},
      {"a record over 25,600", Rec(0x1234, std::string(0x6401, 'x')), "address error4(adr=", true, false, 1},
      {"a record past the data", std::string("\x7E\x02\x0A\x00\x01", 5), "", false, true, 1},
      {"zero-length records", Rec(0, "") + Rec(0, "") + RkCell(1, 0, 3), "", false, false, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Read r;
    ReadStream(r, Bof8(0x10) + RkCell(0, 0, 1) + c.tail);
    EXPECT_NE(std::string::npos, std::string(r.out.Data()).find(c.text)) << r.out.Data();
    EXPECT_EQ(c.ended, r.result.ended);
    EXPECT_EQ(c.damaged, r.result.damage != nullptr);
    EXPECT_EQ(c.cells, r.table.Cells().size());
  }
}

TEST(BiffRecords, ADrawingContainerCutShortIsDamage) {
  const std::string shape = std::string("\x0F\x00\x02\xF0", 4) + U32(5000) + std::string(40, '\0');
  Read r;
  ReadStream(r, Bof8(0x10) + Rec(0x00EC, shape) + RkCell(0, 0, 1) + Eof());
  ASSERT_NE(nullptr, r.result.damage);
  EXPECT_STREQ("Drawing", r.result.damage);
  EXPECT_EQ(1u, r.table.Cells().size());  // the records after it are still read
  Read whole;
  ReadStream(whole, Bof8(0x10) + Rec(0x00EC, std::string("\x0F\x00\x02\xF0", 4) + U32(40) + std::string(40, '\0')) + Eof());
  EXPECT_EQ(nullptr, whole.result.damage);
}

TEST(BiffRecords, TheInspectionModeListsTheStrings) {
  BiffWords w;
  w.openContext = 2;
  Read r;
  ReadStream(r, Bof8(5) + Sst({"xy"}) + Eof(), w);
  EXPECT_EQ("    20 1002 xy\n\n<END>\n", std::string(r.out.Data()));
}

TEST(BiffRecords, AStringTableThatStandsStillIsDamageAndTheLoopGoesOn) {
  // The second string's count is over 2,560 and backing up three bytes lands
  // on the first string's own head: the read would return there forever.
  std::string sst = U32(2) + U32(2) + U16(1) + std::string("\0a", 2) + U16(0xFFFF) + std::string("\0", 1);
  const std::string s = Bof8(5) + Rec(0x00FC, sst) + Bof8(0x10) + RkCell(0, 0, 5) + Eof();
  Read r;
  ReadStream(r, s);
  const std::string out(r.out.Data());
  EXPECT_NE(std::string::npos, out.find("対応していないフォーマットです。")) << out;
  EXPECT_NE(std::string::npos, out.find("アプリケーションプログラム"));
  EXPECT_FALSE(r.result.ended);
  ASSERT_EQ(1u, r.table.Cells().size());
  EXPECT_EQ(" 5", CellText(r.table, 0));
}

TEST(BiffRecords, ADamagedFirstStringCountsAsEncrypted) {
  const std::string s = Bof8(5) + Rec(0x00FC, U32(1) + U32(0xFFFFFFFF) + U16(9999) + std::string("\0abc", 4)) + Eof();
  Read r;
  ReadStream(r, s);
  EXPECT_NE(std::string::npos, std::string(r.out.Data()).find("暗号化"));
  EXPECT_TRUE(r.result.ended);
}

TEST(BiffRecords, HostileTablesStayInTheirBounds) {
  std::string s = Bof8(5);
  for (int i = 0; i < 300; ++i) s += SheetName("s" + std::to_string(i));
  s += Eof();
  for (int i = 0; i < 300; ++i) s += Bof8(0x10) + Rec(0x0055, U16(8)) + Rec(0x007D, U16(0) + U16(3) + U16(20 * 256) + U16(0) + U16(0) + U16(0)) + RkCell(0, 0, i) + Eof();
  const auto start = std::chrono::steady_clock::now();
  Read r;
  ReadStream(r, s);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  EXPECT_EQ(300, r.table.m_nSheetCount);
  EXPECT_EQ(299, r.table.Cells().back().sheet);
  EXPECT_EQ(kWorkbookWidthRows - 1, r.table.WidthRow());
  EXPECT_EQ(24, r.table.WidthRowAt(1)[1]);  // 20 characters: 20 + 2, and a tenth
  r.table.SetSheetName(299, reinterpret_cast<const std::uint8_t*>("x"), 1);
  EXPECT_STREQ("", r.table.SheetName(299));
}

TEST(BiffRecords, ADrawingGroupOfTenThousandPicturesFillsFourHundred) {
  std::string group;
  for (int i = 0; i < 10000; ++i) {
    // A picture entry (0xF007, version 2, JPEG) of 36 bytes holding no picture.
    group += std::string("\x52\x00\x07\xF0", 4) + U32(36) + std::string(36, '\0');
  }
  std::string s = Bof8(5);
  for (std::size_t at = 0; at < group.size(); at += 8224)
    s += Rec(at == 0 ? 0x00EB : 0x003C, group.substr(at, 8224));
  s += Eof() + Bof8(0x10) + RkCell(0, 0, 1) + Eof();
  Read r;
  ReadStream(r, s);
  EXPECT_EQ(OfficePictureTable::kMax, r.table.m_pictures.Count());
  EXPECT_EQ(1u, r.table.Cells().size());
}

TEST(BiffRecords, ValuesBeyondTheCapacityAreCounted) {
  std::string s = Bof8(0x10);
  for (int i = 0; i < 5000; ++i) s += RkCell(i, 0, i);
  Read r;
  ReadStream(r, s);
  EXPECT_EQ(static_cast<size_t>(r.table.Capacity()), r.table.Cells().size());
  EXPECT_EQ(5000, r.table.m_nCellCount);
  EXPECT_EQ(5000, r.table.m_nValueCount);
}

TEST(BiffRecords, SummaryNamesComeFromTheVectorOfStrings) {
  std::string d = std::string("xx\x1E\x10\x00\x00", 6) + U32(2) + U32(4) + std::string("abc\0", 4) + U32(6) +
                  std::string("\x93\xFA\x96\x7B\x31\0", 6) + "\0\0";
  const auto names = BiffSummarySheetNames(reinterpret_cast<const std::uint8_t*>(d.data()), 0,
                                           static_cast<std::int32_t>(d.size()));
  EXPECT_EQ((std::vector<std::string>{"abc", "\x93\xFA\x96\x7B\x31"}), names);
}

}  // namespace

namespace {

TEST(WorkbookTableConvention, LengthInPlaneZeroAndOneKindPerForm) {
  WorkbookTable t;
  EXPECT_FALSE(t.Allocate(210, 157));  // no capacity left
  ASSERT_TRUE(t.Allocate(300, 10));
  EXPECT_EQ(90, t.Capacity());
  const std::string longText(40, 'x');
  const std::int32_t a = t.AddValue(reinterpret_cast<const std::uint8_t*>(longText.data()), longText.size(), kValueKindText);
  const std::int32_t b = t.AddValue(reinterpret_cast<const std::uint8_t*>("--"), 2, kValueKindNumber);
  EXPECT_EQ(10, t.Length(a));  // cut at the planes' characters
  EXPECT_EQ(1010, t.Kind(a));
  EXPECT_EQ(kValueKindPlaceholder, t.Kind(b));
  EXPECT_EQ("--", t.Text(b));
  EXPECT_TRUE(WorkbookTable::IsNumberKind(t.Kind(b)));
  EXPECT_FALSE(WorkbookTable::IsNumberKind(t.Kind(a)));
  // A shape's text lies behind the capacity; nothing lies beyond the slots.
  EXPECT_TRUE(t.SetValue(t.ShapeValueIndex(199), reinterpret_cast<const std::uint8_t*>("box"), 3, kValueKindText));
  EXPECT_FALSE(t.SetValue(t.ShapeValueIndex(200), reinterpret_cast<const std::uint8_t*>("box"), 3, kValueKindText));
  EXPECT_EQ(0, t.Kind(-1));
  // Columns above 500 are kept as 500; picture ranks count the used numbers below.
  t.AddCell(0, 900, a, 0);
  EXPECT_EQ(kWorkbookMaxColumn, t.Cells().back().column);
  t.UsePicture(3);
  t.UsePicture(7);
  t.UsePicture(5000);
  EXPECT_EQ(0, t.PictureRank(3));
  EXPECT_EQ(1, t.PictureRank(7));
  EXPECT_EQ(2, t.PictureRank(9000));
  EXPECT_EQ(3, t.XfFormat(5000));
  EXPECT_EQ(0, t.XfFormat(7));
}

TEST(BiffRecords, Biff5StreamWithTwoSheets) {
  const char* path = TABRYE_BIN_ROOT "/convert_xls/biff5_stream.bin";
#ifndef _WIN32
  // The stream is one of the workbook fixtures: made here when this test
  // runs before the oracle test.
  if (FILE* probe = std::fopen(path, "rb")) {
    std::fclose(probe);
  } else if (testsupport::ScriptFixtures("tests/convert/make_xls_fixtures.sh", "convert_xls").empty()) {
    GTEST_SKIP() << "make_xls_fixtures.sh failed";
  }
#endif
  FILE* f = std::fopen(path, "rb");
  if (!f) GTEST_SKIP() << "the workbook fixtures are made by the oracle test";
  std::string s;
  for (int c; (c = std::fgetc(f)) != EOF;) s += static_cast<char>(c);
  std::fclose(f);
  Read r;
  ReadStream(r, s);
  EXPECT_EQ(8, r.table.m_nFirstRecordLength);
  EXPECT_EQ((std::vector<std::string>{"First", "Second"}), r.result.sheetRecordNames);
  ASSERT_EQ(3u, r.table.Cells().size());
  EXPECT_EQ("alpha", CellText(r.table, 0));
  EXPECT_EQ("3.5", CellText(r.table, 1));
  EXPECT_EQ(1, r.table.Cells()[2].sheet);
}

}  // namespace
