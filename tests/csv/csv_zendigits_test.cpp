// Full-width digits to ASCII digits: the byte walk on Shift-JIS buffers,
// the digit places of a UTF-16 text, a whole table whose index must follow
// the closed-up text, and where the CSV menu's commands go.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "csv/csv_colcmd.h"
#include "csv/csv_menu.h"
#include "csv/csv_table.h"
#include "csv/csv_zendigits.h"

namespace {

std::string Convert(std::string bytes, std::uint32_t* turned = nullptr) {
  std::vector<std::uint8_t> buf(bytes.begin(), bytes.end());
  buf.push_back(0xEE);  // the NUL goes here
  std::uint32_t len = static_cast<std::uint32_t>(bytes.size());
  const std::uint32_t n = csv::FullWidthDigitsToAscii(buf.data(), &len, true);
  if (turned) *turned = n;
  EXPECT_LE(len, bytes.size());
  EXPECT_EQ(0, buf[len]);
  return std::string(buf.begin(), buf.begin() + len);
}

struct DigitCase {
  const char* name;
  std::string in;
  std::string out;
  std::uint32_t turned;
};

TEST(FullWidthDigits, ShiftJisCases) {
  const DigitCase cases[] = {
      {"one two", "\x82\x50\x82\x51", "12", 2},
      {"zero and nine", "\x82\x4F\x82\x58", "09", 2},
      {"full-width letter beside a digit", "\x82\x60\x82\x50\x82\x81", "\x82\x60" "1\x82\x81", 1},
      {"0x83 0x82 then 'O' (a katakana, then a letter)", "\x83\x82O", "\x83\x82O", 0},
      {"0xF0-led character, trail 0x82, then 'O'", "\xF0\x82O", "\xF0\x82O", 0},
      {"0xF0-led character, trail 0x82, then a digit", "\xF0\x82\x82\x4F", "\xF0\x82" "0", 1},
      {"0xFC-led character, trail 0x82, then a digit", "\xFC\x82\x82\x50", "\xFC\x82" "1", 1},
      {"half-width katakana are single bytes", "\xB1\x82\x52", "\xB1" "3", 1},
      {"0x80 and 0xA0 are single bytes", "\x80\x82\x53\xA0\x82\x54", "\x80" "4\xA0" "5", 2},
      {"neighbours of the digits stay", "\x82\x4E\x82\x59\x81\x4F", "\x82\x4E\x82\x59\x81\x4F", 0},
      {"a lead byte at the end stands alone", "\x82\x50\x82", "1\x82", 1},
      {"a digit's lead byte alone at the end", "a\x82", "a\x82", 0},
      {"separators and row ends stay", "\x82\x50\x06\x82\x51\r\n\x82\x52", "1\x06" "2\r\n3", 3},
      {"empty", "", "", 0},
  };
  for (const DigitCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::uint32_t turned = 0;
    EXPECT_EQ(c.out, Convert(c.in, &turned));
    EXPECT_EQ(c.turned, turned);
    EXPECT_EQ(c.in.size() - c.turned, c.out.size());
  }
}

TEST(FullWidthDigits, WithoutANulAndWithoutAText) {
  std::uint8_t buf[4] = {0x82, 0x57, 'x', 'y'};
  std::uint32_t len = 3;
  EXPECT_EQ(1u, csv::FullWidthDigitsToAscii(buf, &len, false));
  EXPECT_EQ(2u, len);
  EXPECT_EQ('8', buf[0]);
  EXPECT_EQ('x', buf[1]);
  EXPECT_EQ('x', buf[2]);  // nothing written past the new length
  EXPECT_EQ('y', buf[3]);
  std::uint32_t none = 5;
  EXPECT_EQ(0u, csv::FullWidthDigitsToAscii(nullptr, &none, true));
  EXPECT_EQ(0u, none);
  EXPECT_EQ(0u, csv::FullWidthDigitsToAscii(buf, nullptr, true));
}

TEST(FullWidthDigits, PlacesInUtf16Text) {
  struct PlaceCase {
    std::u16string text;
    std::vector<std::size_t> places;
  };
  const PlaceCase cases[] = {
      {u"\uFF11\uFF12", {0, 1}},
      {u"a\uFF10b\r\uFF19", {1, 4}},
      {u"\uFF0F\uFF1A\uFF21", {}},                   // the neighbours and a full-width letter
      {u"\U0001F600\uFF13", {2}},                    // after a surrogate pair
      {u"", {}},
  };
  for (const PlaceCase& c : cases) EXPECT_EQ(c.places, csv::FullWidthDigitPlaces(c.text));
  EXPECT_EQ('0', csv::AsciiDigitOfUnit(0xFF10));
  EXPECT_EQ('9', csv::AsciiDigitOfUnit(0xFF19));
  EXPECT_EQ(0, csv::AsciiDigitOfUnit(u'9'));
  EXPECT_EQ(0, csv::AsciiDigitOfUnit(0xFF1A));
}

// The index of `t` field by field against a fresh scan of its text.
void ExpectIndexOfFreshScan(const csv::Table& t) {
  csv::Table fresh;
  ASSERT_TRUE(fresh.Assign(t.m_pTextBuf, t.m_nTextLen, 16));
  EXPECT_EQ(fresh.m_nLastRow, t.m_nLastRow);
  EXPECT_EQ(fresh.m_nFieldCount, t.m_nFieldCount);
  EXPECT_EQ(0, std::memcmp(fresh.m_aSecOffset, t.m_aSecOffset, sizeof t.m_aSecOffset));
  EXPECT_EQ(0, std::memcmp(fresh.m_aSecRow, t.m_aSecRow, sizeof t.m_aSecRow));
  EXPECT_EQ(0, std::memcmp(fresh.m_aSecScanPos, t.m_aSecScanPos, sizeof t.m_aSecScanPos));
  EXPECT_EQ(0, std::memcmp(fresh.m_aSecInfoA, t.m_aSecInfoA, sizeof t.m_aSecInfoA));
  EXPECT_EQ(0, std::memcmp(fresh.m_aSecInfoB, t.m_aSecInfoB, sizeof t.m_aSecInfoB));
  EXPECT_EQ(0, std::memcmp(fresh.m_aSecFields, t.m_aSecFields, sizeof t.m_aSecFields));
}

TEST(FullWidthDigits, ATableKeepsItsRecordsAndIsIndexedAgain) {
  // Digits in a plain cell, in a quoted cell with a comma and in a quoted
  // cell over two lines; a second block below a "!#" line; a 0xF0-led
  // character with trail 0x82 before a digit.
  const std::string file =
      "名前,数量,備考\r\n"
      "a,\x82\x50\x82\x51,x\r\n"
      "b,\"\x82\x52,\x82\x53\",\"line\x82\x54\r\n\x82\x55 end\"\r\n"
      "c,\xF0\x82\x82\x56,\x82\x60\r\n"
      "!#\r\n"
      "k,v\r\n"
      "d,\x82\x57\x82\x58\r\n";
  const std::string want =
      "名前,数量,備考\r\n"
      "a,12,x\r\n"
      "b,\"3,4\",\"line5\r\n6 end\"\r\n"
      "c,\xF0\x82" "7,\x82\x60\r\n"
      "!#\r\n"
      "k,v\r\n"
      "d,89\r\n";
  auto t = std::make_unique<csv::Table>();
  ASSERT_TRUE(t->LoadFileText(file.data(), file.size(), 16));
  const std::int32_t rowsBefore = t->m_nLastRow;
  ASSERT_EQ(2u, t->BlockCount());
  const std::uint32_t secondBlock = t->m_aSecScanPos[2];

  std::uint32_t len = t->UsedLength();
  const std::uint32_t lenBefore = len;
  EXPECT_EQ(9u, csv::FullWidthDigitsToAscii(t->m_pTextBuf, &len, true));
  t->m_nTextLen = len;
  EXPECT_EQ(lenBefore - 9, len);
  // The second block's "!#" line moved 7 bytes towards the start.
  EXPECT_EQ(secondBlock - 7, static_cast<std::uint32_t>(std::string(reinterpret_cast<char*>(t->m_pTextBuf), len).find("!#")));
  t->Rescan();
  ExpectIndexOfFreshScan(*t);
  EXPECT_EQ(rowsBefore, t->m_nLastRow);
  ASSERT_EQ(2u, t->BlockCount());
  EXPECT_EQ(secondBlock - 7, t->m_aSecScanPos[2]);
  EXPECT_EQ(want, t->FileText(csv::CommaFormKind::kComma));
}

TEST(CsvMenuDispatch, CodesInATableAndLettersInARichTextView) {
  struct Case {
    unsigned id;
    int kind;
    int code;
    char letter;
  };
  const Case cases[] = {
      {33036, 33, csv::kColDeleteColumn, 0}, {33037, 33, csv::kColInsertColumn, 0},
      {33050, 33, csv::kColDeleteRows, 0},   {33051, 33, csv::kColInsertRow, 0},
      {33068, 33, csv::kColCutTrailing, 0},  {33069, 33, csv::kColCutLeading, 0},
      {33071, 33, csv::kColCutQuotes, 0},    {33072, 33, csv::kColAddQuotes, 0},
      {33036, 4, -1, 'R'},                   {33037, 4, -1, 'E'},
      {33050, 4, -1, 'K'},                   {33051, 4, -1, 'J'},
      {33068, 4, csv::kColCutTrailing, 0},   {33072, 4, csv::kColAddQuotes, 0},
      {33050, 9, csv::kColDeleteRows, 0},    {33070, 33, -1, 0},
      {33065, 33, -1, 0},                    {33099, 33, -1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.id) + " kind " + std::to_string(c.kind));
    const csv::CsvMenuTarget t = csv::CsvMenuTargetOf(c.id, c.kind);
    EXPECT_EQ(c.code, t.code);
    EXPECT_EQ(c.letter, t.tableLetter);
    // The codes are the column commands' own for these ids.
    if (c.code >= 0) {
      EXPECT_EQ(csv::ColumnCommandCode(c.id), c.code);
    }
  }
}

}  // namespace
