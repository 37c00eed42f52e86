// Open and save unchanged writes the same bytes: files in every encoding the
// program reads, generated here, go through the document's load
// (LoadTextToSjis) and its save encoding (EncodeForSave); broken sequences
// and characters without a Shift-JIS form keep their bytes, and an edit
// elsewhere keeps them too.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "core/docopen/textload.h"
#include "core/textcodec/keepbytes.h"
#include "fw/alloc.h"
#include "load_save.h"

namespace {

using textcodec::TextEncoding;

using docopentest::Load;
using docopentest::Loaded;
using docopentest::Save;

// Opens and saves unchanged: the same bytes, nothing lost.
void ExpectSameBytes(const std::string& file, const std::string& what, TextEncoding hint = TextEncoding::kAuto,
                     std::size_t piece = 0) {
  Loaded l = Load(file, hint, piece);
  std::size_t lost = 99;
  const std::string saved = Save(l.text, l.info, &lost);
  EXPECT_TRUE(saved == file) << what << " (" << textcodec::TextEncodingName(l.info.encoding) << ", "
                             << file.size() << " bytes in, " << saved.size() << " out)";
  EXPECT_EQ(0u, lost) << what;
}

// Shift-JIS characters of every kind the encodings carry.
const char* const kPieces[] = {
    "abc",       " ",        "12,3",      "\t",        "\x82\xA0\x82\xA2",  // あい
    "\x8A\xBF\x8E\x9A",                                                     // 漢字
    "\x98\x9F\xEA\xA4",                                                     // level 2 kanji
    "\x87\x40\x87\x54\x87\x82",                                             // NEC row 13
    "\xFA\x40\xFB\xFC\xFA\xB1",                                             // IBM extensions
    "\xED\x40",                                                             // NEC-selected IBM
    "\xB1\xB2\xDE\xDF",                                                     // half-width kana
    "\x81\x60",                                                             // ～
    "\x81\xAC",                                                             // 〓 itself
    "\"q\"",     "=",        "+/",
};

std::string RandomText(std::mt19937& rng, int lines, const char* lineEnd, bool finalEnd) {
  std::string s;
  std::uniform_int_distribution<int> piece(0, static_cast<int>(std::size(kPieces)) - 1), count(0, 12);
  for (int i = 0; i < lines; ++i) {
    const int n = count(rng);
    for (int k = 0; k < n; ++k) s += kPieces[piece(rng)];
    if (i + 1 < lines || finalEnd) s += lineEnd;
  }
  return s;
}

const TextEncoding kEncodings[] = {
    TextEncoding::kShiftJis, TextEncoding::kUtf8,  TextEncoding::kUtf8Bom,    TextEncoding::kUtf16Le,
    TextEncoding::kUtf16Be,  TextEncoding::kEucJp, TextEncoding::kIso2022Jp, TextEncoding::kBase64,
};

TEST(SaveUnchanged, GeneratedFilesInEveryEncodingComeBackByteForByte) {
  std::mt19937 rng(20261207);
  int files = 0;
  for (TextEncoding e : kEncodings) {
    for (const char* lineEnd : {"\r\n", "\n"}) {
      for (bool finalEnd : {true, false}) {
        for (int round = 0; round < 6; ++round) {
          const std::string text = RandomText(rng, 1 + round * 7, lineEnd, finalEnd);
          std::string file;
          ASSERT_TRUE(textcodec::EncodeSjis(text.data(), text.size(), e, &file));
          const std::string what = std::string(textcodec::TextEncodingName(e)) + " round " + std::to_string(round);
          ExpectSameBytes(file, what);
          ExpectSameBytes(file, what + " forced", e);
          ExpectSameBytes(file, what + " in small pieces", TextEncoding::kAuto, 64);
          ++files;
        }
      }
    }
  }
  EXPECT_EQ(8 * 2 * 2 * 6, files);
}

TEST(SaveUnchanged, BrokenAndForeignSequencesKeepTheirBytes) {
  const struct {
    const char* what;
    std::string bytes;
    TextEncoding hint;
  } kCases[] = {
      {"Shift-JIS lead bytes without a second byte", std::string("\x82\xA0\x81\x20\x82\r\n\x82", 8),
       TextEncoding::kShiftJis},
      {"Shift-JIS lead byte before LF and at the end", "abc\x83\nde\x88", TextEncoding::kShiftJis},
      {"UTF-8 with stray bytes", "\xE3\x81\x82\x80x\xFF\r\n\xE3\x81\r\n\xC3", TextEncoding::kUtf8},
      {"UTF-8 with characters code page 932 lacks", "\xF0\xA0\xAE\xB7 \xF0\x9F\x98\x80 caf\xC3\xA9\n",
       TextEncoding::kAuto},
      {"UTF-8 wave dash and its full-width look-alike", "\xE3\x80\x9C\xEF\xBD\x9E\n", TextEncoding::kAuto},
      {"UTF-8 byte order mark twice", "\xEF\xBB\xBF\xEF\xBB\xBFx\n\xEF\xBB\xBFy", TextEncoding::kAuto},
      {"UTF-16LE odd final byte and lone surrogate", std::string("\xFF\xFE" "a\0\x00\xD8\n\0b", 9),
       TextEncoding::kAuto},
      {"UTF-16BE without a mark, forced", std::string("\0a\0\n\0b", 6), TextEncoding::kUtf16Be},
      {"EUC-JP with a bad byte and JIS X 0212", "\xA4\xA2\xFF\x8F\xB0\xA1\n\x8F\xF4\xFB\r\n", TextEncoding::kEucJp},
      {"ISO-2022-JP with the old designation", "\x1B$@$\"\x1B(J x\r\n", TextEncoding::kIso2022Jp},
      {"ISO-2022-JP shifted across a line end", "\x1B$B$\"\n$$\x1B(B\n", TextEncoding::kIso2022Jp},
      {"ISO-2022-JP SO/SI katakana", "\x1B$B$\"\x1B(B\x0E\x31\x0F\n", TextEncoding::kIso2022Jp},
      {"Base64 in lines of 64 with LF", std::string(64, 'Q') + "\nQUJD\n", TextEncoding::kBase64},
      {"Base64 of UTF-8 text", "44GC44GE44GG44GI44GKCg==", TextEncoding::kBase64},
      {"NUL bytes", std::string("a\0b\r\n\0", 6), TextEncoding::kAuto},
      {"CR only line ends with a broken byte", "a\rb\x82\rc", TextEncoding::kShiftJis},
      {"empty file", "", TextEncoding::kAuto},
  };
  for (const auto& c : kCases) {
    ExpectSameBytes(c.bytes, c.what, c.hint);
    ExpectSameBytes(c.bytes, std::string(c.what) + " in pieces", c.hint, 3);
  }
}

TEST(SaveUnchanged, BinHexWritesTheBytesItRead) {
  std::ifstream in(std::string(TABRYE_TEST_ROOT) + "/tests/data/textcodec/binhex.hqx", std::ios::binary);
  const std::string hqx((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_FALSE(hqx.empty());
  ExpectSameBytes(hqx, "BinHex");
  // Edited, it cannot be written as BinHex: a clear error, nothing written.
  Loaded l = Load(hqx);
  ASSERT_EQ(TextEncoding::kBinHex, l.info.encoding);
  std::string out;
  std::size_t lost = 0;
  textcodec::TextCodecError error = textcodec::TextCodecError::kNone;
  EXPECT_FALSE(textcodec::EncodeForSave((l.text + "x").data(), l.text.size() + 1, l.info, &out, &lost, &error));
  EXPECT_EQ(textcodec::TextCodecError::kCannotWriteBinHex, error);
}

// Replaces line `index` (0-based, line end kept) of `text`.
std::string ReplaceLine(const std::string& text, int index, const std::string& with) {
  std::size_t start = 0;
  for (int i = 0; i < index; ++i) start = text.find('\n', start) + 1;
  std::size_t end = text.find('\n', start);
  if (end == std::string::npos) end = text.size();
  if (end > start && text[end - 1] == '\r') --end;
  return text.substr(0, start) + with + text.substr(end);
}

TEST(SaveEdited, BrokenSequencesOutsideTheEditedLinesStay) {
  // Shift-JIS: line 0 and line 2 hold broken lead bytes, line 1 is edited.
  const std::string file = "\x82\xA0\x81\x20\r\nplain\r\nx\x82\r\n";
  Loaded l = Load(file, TextEncoding::kShiftJis);
  std::size_t lost = 99;
  EXPECT_EQ(std::string("\x82\xA0\x81\x20\r\nedited \x8A\xBF\r\nx\x82\r\n"),
            Save(ReplaceLine(l.text, 1, "edited \x8A\xBF"), l.info, &lost));
  EXPECT_EQ(0u, lost);
  // Lines inserted before them and moved lines keep their bytes too.
  EXPECT_EQ("new\r\n" + file, Save("new\r\n" + l.text, l.info, &lost));
  EXPECT_EQ(0u, lost);
  // Editing a broken line itself loses its broken byte: counted for the question.
  const std::string saved = Save(ReplaceLine(l.text, 2, "y\x81\xAC"), l.info, &lost);
  EXPECT_EQ(1u, lost);
  EXPECT_EQ(std::string("\x82\xA0\x81\x20\r\nplain\r\ny\x81\xAC\r\n"), saved);
  // Deleting a broken line loses nothing the user kept.
  Save(ReplaceLine(l.text, 0, "gone"), l.info, &lost);
  EXPECT_EQ(1u, lost);
}

TEST(SaveEdited, UnmappableCharactersAskOnlyWhenTheirLineChanged) {
  // UTF-8: 𠮷 and 😀 have no Shift-JIS form.
  const std::string file = "\xF0\xA0\xAE\xB7\xE5\xAE\xB6\n\xE3\x81\x82\n\xF0\x9F\x98\x80\n";
  Loaded l = Load(file);
  ASSERT_EQ(TextEncoding::kUtf8, l.info.encoding);
  EXPECT_EQ(2u, l.info.replaced);
  std::size_t lost = 99;
  // The middle line edited: both kept.
  EXPECT_EQ("\xF0\xA0\xAE\xB7\xE5\xAE\xB6\n\xE3\x81\x84\n\xF0\x9F\x98\x80\n",
            Save(ReplaceLine(l.text, 1, "\x82\xA2"), l.info, &lost));
  EXPECT_EQ(0u, lost);
  // The first line edited: its 𠮷 cannot be written.
  Save(ReplaceLine(l.text, 0, "\x81\xAC\x89\xC6!"), l.info, &lost);
  EXPECT_EQ(1u, lost);
  // A new line with "〓" typed by the user is no loss.
  EXPECT_EQ("\xE3\x80\x93\n" + file, Save("\x81\xAC\n" + l.text, l.info, &lost));
  EXPECT_EQ(0u, lost);
  // Typed next to the 😀 line, which reads "〓" too, it could be either line:
  // neither gets the 😀, and the save asks.
  EXPECT_EQ("\xF0\xA0\xAE\xB7\xE5\xAE\xB6\n\xE3\x81\x82\n\xE3\x80\x93\n\xE3\x80\x93\n",
            Save(l.text + "\x81\xAC\n", l.info, &lost));
  EXPECT_EQ(1u, lost);
}

TEST(SaveEdited, WholeFileFormsFallBackToTheEncodingAndCountWhatIsLost) {
  // JIS shifted across the line end: the lines cannot be told apart.
  const std::string file = "\x1B$B$\"\n$$\x1B(B\n";
  Loaded l = Load(file, TextEncoding::kIso2022Jp);
  ASSERT_NE(nullptr, l.info.kept);
  EXPECT_TRUE(l.info.kept->whole);
  std::size_t lost = 99;
  EXPECT_EQ("\x1B$B$\"\x1B(B\n\x1B$B$$\x1B(B\nz", Save(l.text + "z", l.info, &lost));
  EXPECT_EQ(0u, lost);
  // Base64 of text with a character that became "〓": an edit loses it.
  std::string b64;
  const std::string inner = "\xF0\x9F\x98\x80 \xE3\x81\x82\xE3\x81\x84\xE3\x81\x86\n";
  ASSERT_TRUE(textcodec::EncodeSjis(inner.data(), inner.size(), TextEncoding::kBase64, &b64));
  l = Load(b64, TextEncoding::kBase64);
  ASSERT_EQ(TextEncoding::kUtf8, l.info.inner);
  Save(l.text, l.info, &lost);
  EXPECT_EQ(0u, lost);
  Save(l.text + "x", l.info, &lost);
  EXPECT_EQ(1u, lost);
}

// A whole-kept file edited without changing the text's length: the save must
// see the edit (the text's fingerprint), never write the bytes read.
TEST(SaveEdited, ASameLengthEditOfAWholeKeptFileIsWrittenAsTheEdit) {
  std::size_t lost = 99;
  // What the file's own encoding writes for `text` (nothing kept).
  auto plain = [](const std::string& text, textcodec::DecodeResult how) {
    how.kept.reset();
    std::string out;
    EXPECT_TRUE(textcodec::EncodeSjisLike(text.data(), text.size(), how, &out));
    return out;
  };

  // JIS shifted across the line end: "あ⏎い⏎" with "い" changed to "う".
  const std::string jis = "\x1B$B$\"\n$$\x1B(B\n";
  Loaded l = Load(jis, TextEncoding::kIso2022Jp);
  ASSERT_NE(nullptr, l.info.kept);
  ASSERT_TRUE(l.info.kept->whole);
  ASSERT_EQ("\x82\xA0\n\x82\xA2\n", l.text);
  EXPECT_EQ("\x1B$B$\"\x1B(B\n\x1B$B$&\x1B(B\n", Save("\x82\xA0\n\x82\xA4\n", l.info, &lost));
  EXPECT_EQ(0u, lost);
  // The two lines swapped: the same characters, another text.
  EXPECT_EQ("\x1B$B$$\x1B(B\n\x1B$B$\"\x1B(B\n", Save("\x82\xA2\n\x82\xA0\n", l.info, &lost));
  EXPECT_EQ(0u, lost);

  // Base64 of UTF-8 text in lines of 16 (the encoder writes 76): kept whole.
  const std::string inner = "\xE3\x81\x82\xE3\x81\x84 line ABC\nsecond line\n";
  std::string wide;
  ASSERT_TRUE(textcodec::EncodeSjis(inner.data(), inner.size(), TextEncoding::kBase64, &wide));
  std::string flat, b64;
  for (char c : wide)
    if (c != '\r' && c != '\n') flat += c;
  for (std::size_t i = 0; i < flat.size(); i += 16) b64 += flat.substr(i, 16) + "\r\n";
  l = Load(b64, TextEncoding::kBase64);
  ASSERT_EQ(TextEncoding::kBase64, l.info.encoding);
  ASSERT_NE(nullptr, l.info.kept);
  ASSERT_TRUE(l.info.kept->whole);
  const std::size_t abc = l.text.find("ABC");
  ASSERT_NE(std::string::npos, abc);
  std::string edited = l.text;
  edited[abc + 2] = 'D';
  const std::string saved = Save(edited, l.info, &lost);
  EXPECT_FALSE(saved == b64);
  EXPECT_TRUE(saved == plain(edited, l.info));
  EXPECT_EQ(0u, lost);
  EXPECT_EQ(inner.substr(0, inner.find("ABC")) + "ABD" + inner.substr(inner.find("ABC") + 3),
            [&] {
              textcodec::DecodeResult back;
              textcodec::DecodeTextToSjis(saved.data(), saved.size(), TextEncoding::kBase64, &back);
              std::string utf8;
              textcodec::EncodeSjis(back.text.data(), back.text.size(), TextEncoding::kUtf8, &utf8);
              return utf8;
            }());

  // BinHex edited in one character: refused, as any edit of it.
  std::ifstream in(std::string(TABRYE_TEST_ROOT) + "/tests/data/textcodec/binhex.hqx", std::ios::binary);
  const std::string hqx((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  l = Load(hqx);
  ASSERT_EQ(TextEncoding::kBinHex, l.info.encoding);
  ASSERT_FALSE(l.text.empty());
  edited = l.text;
  edited[edited.size() / 2] = edited[edited.size() / 2] == 'q' ? 'r' : 'q';
  std::string out;
  textcodec::TextCodecError error = textcodec::TextCodecError::kNone;
  EXPECT_FALSE(textcodec::EncodeForSave(edited.data(), edited.size(), l.info, &out, &lost, &error));
  EXPECT_EQ(textcodec::TextCodecError::kCannotWriteBinHex, error);
  EXPECT_TRUE(out.empty());
}

TEST(SaveUnchanged, CleanFilesKeepNothingExtra) {
  for (TextEncoding e : kEncodings) {
    const std::string text = "\x82\xA0\x8A\xBF abc\r\nline\r\n";
    std::string file;
    ASSERT_TRUE(textcodec::EncodeSjis(text.data(), text.size(), e, &file));
    EXPECT_EQ(nullptr, Load(file, e).info.kept) << textcodec::TextEncodingName(e);
  }
}

}  // namespace
