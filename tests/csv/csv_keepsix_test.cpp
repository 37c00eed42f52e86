// A CSV file holding 0x06 bytes (the table's field separator) opened as a
// table and saved: the table writes each 0x06 back as ',', so the open keeps
// the bytes of the lines that held one (ReadBack::kCommaForSix). Unedited,
// the file comes back byte for byte; an edited line holding 0x06 is counted
// as lost, so the save asks; an edit elsewhere keeps the 0x06 line's bytes.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/docopen/load_save.h"
#include "core/textcodec/keepbytes.h"
#include "csv/csv_table.h"

namespace {

using textcodec::ReadBack;
using textcodec::TextEncoding;

using docopentest::Load;
using docopentest::Loaded;
using docopentest::Save;

Loaded LoadAsTable(const std::string& file, TextEncoding hint, std::size_t piece = 0) {
  return Load(file, hint, piece, ReadBack::kCommaForSix);
}

// The comma form the save writes of a table made from `text`, with `edit`
// applied to the working form first.
template <typename Edit>
std::string TableFileText(const std::string& text, Edit edit) {
  csv::Table t;
  EXPECT_TRUE(t.LoadFileText(text.data(), text.size(), 16));
  std::string work(reinterpret_cast<const char*>(t.m_pTextBuf), t.UsedLength());
  if (edit(work)) {
    EXPECT_TRUE(t.Assign(work.data(), work.size(), 16));
  }
  return t.FileText(csv::CommaFormKind::kComma);
}

std::string TableFileText(const std::string& text) {
  return TableFileText(text, [](std::string&) { return false; });
}

// Puts "x" at the start of row `row` (rows end at LF) of a working form.
bool EditRow(std::string& work, std::size_t row) {
  std::size_t at = 0;
  for (std::size_t r = 0; r < row; ++r) {
    at = work.find('\n', at);
    if (at == std::string::npos) return false;
    ++at;
  }
  work.insert(at, "x");
  return true;
}

std::string Encode(const std::string& sjis, TextEncoding e) {
  std::string out;
  EXPECT_TRUE(textcodec::EncodeSjis(sjis.data(), sjis.size(), e, &out));
  return out;
}

struct SixFile {
  const char* what;
  std::string bytes;
  TextEncoding hint;
  std::size_t sixRow;     // a row holding 0x06
  std::size_t sixes;      // 0x06 bytes on that row
  std::size_t otherRow;   // a row without (npos: kept whole, any edit loses)
  std::string sixLine;    // the bytes of the row holding 0x06, as the file has them
};

std::vector<SixFile> SixFiles() {
  const std::size_t whole = std::string::npos;
  // "名前" in Shift-JIS.
  const std::string name = "\x96\xBC\x91\x4F";
  const std::string sjis = name + ",\"a\x06" "b\"\r\nc\x06" "d,e\x06\r\n1,2\r\n";
  return {
      {"Shift-JIS, 0x06 inside and outside quotes", sjis, TextEncoding::kShiftJis, 0, 1, 2,
       name + ",\"a\x06" "b\"\r\n"},
      {"Shift-JIS, outside quotes, detected", "x,y\r\nc\x06" "d,e\x06\r\n1,2\r\n", TextEncoding::kAuto, 1, 2, 2,
       "c\x06" "d,e\x06\r\n"},
      {"no final line end", "a,b\r\nc\x06" "d", TextEncoding::kShiftJis, 1, 1, 0, "c\x06" "d"},
      {"LF only", "a\x06" "b\nc,\"d\x06\"\n\n", TextEncoding::kShiftJis, 0, 1, 2, "a\x06" "b\n"},
      {"broken Shift-JIS on another line", "\x82\xA0\x81\x20\x82\r\na\x06" "b,c\r\nz\r\n", TextEncoding::kShiftJis,
       1, 1, 2, "a\x06" "b,c\r\n"},
      {"broken Shift-JIS on the same line", "a,b\r\n\x82\x06\x82\r\nz\r\n", TextEncoding::kShiftJis, 1, 1, 0,
       "\x82\x06\x82\r\n"},
      {"UTF-8", "\xE5\x90\x8D,\"\xE8\xA1\xA8\x06\"\n\xE3\x81\x82\x06x\n1,2\n", TextEncoding::kUtf8, 1, 1, 2,
       "\xE3\x81\x82\x06x\n"},
      {"UTF-16 LE with its mark", Encode(sjis, TextEncoding::kUtf16Le), TextEncoding::kUtf16Le, 1, 2, 2,
       std::string("c\0\x06\0d\0,\0e\0\x06\0\r\0\n\0", 16)},
      {"Base64", Encode(sjis, TextEncoding::kBase64), TextEncoding::kBase64, 1, 3, whole, ""},
  };
}

TEST(CsvKeepSix, TablesHoldingSeparatorBytesSaveUneditedByteForByte) {
  for (const SixFile& f : SixFiles()) {
    for (std::size_t piece : {std::size_t{0}, std::size_t{3}}) {
      const Loaded l = LoadAsTable(f.bytes, f.hint, piece);
      ASSERT_NE(std::string::npos, l.text.find('\x06')) << f.what;
      ASSERT_NE(nullptr, l.info.kept) << f.what;
      std::size_t lost = 99;
      const std::string saved = Save(TableFileText(l.text), l.info, &lost);
      EXPECT_TRUE(saved == f.bytes) << f.what << ": " << testing::PrintToString(saved);
      EXPECT_EQ(0u, lost) << f.what;
    }
  }
}

TEST(CsvKeepSix, AnEditedLineHoldingASeparatorByteAsksAndAnEditElsewhereKeepsIt) {
  for (const SixFile& f : SixFiles()) {
    const Loaded l = LoadAsTable(f.bytes, f.hint);
    std::size_t lost = 0;
    // The row holding 0x06 edited: its bytes cannot come back.
    const std::string edited =
        Save(TableFileText(l.text, [&](std::string& w) { return EditRow(w, f.sixRow); }), l.info, &lost);
    EXPECT_GE(lost, f.sixes) << f.what;
    if (f.otherRow == std::string::npos) {
      // Kept whole (Base64): any edit loses the 0x06 bytes.
      EXPECT_EQ(f.sixes, lost) << f.what;
      Save(TableFileText(l.text, [&](std::string& w) { return EditRow(w, 0); }), l.info, &lost);
      EXPECT_EQ(f.sixes, lost) << f.what;
      continue;
    }
    EXPECT_EQ(std::string::npos, edited.find(f.sixLine)) << f.what;
    // Another row edited: the 0x06 row keeps its bytes, nothing is lost.
    lost = 99;
    const std::string other =
        Save(TableFileText(l.text, [&](std::string& w) { return EditRow(w, f.otherRow); }), l.info, &lost);
    EXPECT_EQ(0u, lost) << f.what;
    EXPECT_NE(std::string::npos, other.find(f.sixLine)) << f.what << ": " << testing::PrintToString(other);
    EXPECT_NE(other, f.bytes) << f.what;
  }
}

TEST(CsvKeepSix, TheLossCountsEverySeparatorByteAndEveryReplacedCharacterOfTheLine) {
  // Two 0x06 and one broken lead byte on the first row.
  const std::string file = "a\x06" "b\x06\x82\r\nc,d\r\n";
  const Loaded l = LoadAsTable(file, TextEncoding::kShiftJis);
  std::size_t lost = 0;
  EXPECT_EQ("xa,b,\x81\xAC\r\nc,d\r\n",
            Save(TableFileText(l.text, [](std::string& w) { return EditRow(w, 0); }), l.info, &lost));
  EXPECT_EQ(3u, lost);
  // The row deleted: the same.
  EXPECT_EQ("c,d\r\n", Save("c,d\r\n", l.info, &lost));
  EXPECT_EQ(3u, lost);
}

TEST(CsvKeepSix, ATypedRowThatReadsLikeASeparatorRowNeverTakesItsBytes) {
  const std::string file = "a\x06" "b\r\nmid\r\n";
  const Loaded l = LoadAsTable(file, TextEncoding::kShiftJis);
  std::size_t lost = 99;
  // "a,b" typed where nothing beside it reads the same: written as typed.
  EXPECT_EQ("a\x06" "b\r\nmid\r\na,b\r\n", Save("a,b\r\nmid\r\na,b\r\n", l.info, &lost));
  EXPECT_EQ(0u, lost);
  // Typed beside it: which of the two was the file's cannot be told; neither
  // takes the 0x06 and the save asks.
  EXPECT_EQ("a,b\r\na,b\r\nmid\r\n", Save("a,b\r\na,b\r\nmid\r\n", l.info, &lost));
  EXPECT_EQ(1u, lost);
}

TEST(CsvKeepSix, WithoutSeparatorBytesOrReadAsTextNothingChanges) {
  // No 0x06: nothing kept for a clean Shift-JIS table, as before.
  EXPECT_EQ(nullptr, LoadAsTable("a,\"b,c\"\r\n1,2\r\n", TextEncoding::kShiftJis).info.kept);
  const std::string utf8 = "\xE3\x81\x82,1\n";
  EXPECT_EQ(nullptr, LoadAsTable(utf8, TextEncoding::kUtf8).info.kept);
  // Read as a text, a 0x06 is written back as it is.
  const std::string file = "a\x06" "b\r\n";
  const Loaded l = Load(file, TextEncoding::kShiftJis);
  EXPECT_EQ(nullptr, l.info.kept);
  std::size_t lost = 99;
  EXPECT_EQ(file, Save(l.text, l.info, &lost));
  EXPECT_EQ(0u, lost);
}

// Random tables of quotes, commas, 0x06, TABs, line ends, Shift-JIS and
// broken bytes: the table's own form of any text is the text with each 0x06
// as ',', and the unchanged save of a file opened as a table is the file.
TEST(CsvKeepSix, RandomTablesComeBackByteForByte) {
  std::mt19937 rng(6);
  const std::string pieces[] = {"\"", ",", "\x06", "\t", "\r\n", "\n", "\r", "ab", "\x82\xA0", "\x82", "\x81\x20",
                                "\xE3\x81\x82", "\xF0\x9F\x98\x80", std::string("\0", 1)};
  const TextEncoding encodings[] = {TextEncoding::kShiftJis, TextEncoding::kUtf8, TextEncoding::kUtf16Le,
                                    TextEncoding::kEucJp, TextEncoding::kBase64};
  for (int n = 0; n < 3000; ++n) {
    std::string file;
    const int count = static_cast<int>(rng() % 24);
    for (int k = 0; k < count; ++k) file += pieces[rng() % std::size(pieces)];
    const TextEncoding e = encodings[rng() % std::size(encodings)];
    if (e == TextEncoding::kUtf16Le || e == TextEncoding::kBase64) file = Encode(file, e);
    const Loaded l = LoadAsTable(file, e, 1 + rng() % 8);
    std::string back = l.text;
    for (char& c : back)
      if (c == '\x06') c = ',';
    const std::string table = TableFileText(l.text);
    ASSERT_TRUE(table == back) << testing::PrintToString(l.text);
    std::size_t lost = 99;
    const std::string saved = Save(table, l.info, &lost);
    ASSERT_TRUE(saved == file) << textcodec::TextEncodingName(e) << " " << testing::PrintToString(file);
    ASSERT_EQ(0u, lost) << testing::PrintToString(file);
  }
}

}  // namespace
