// Text decoders and encoders against a corpus made with iconv and nkf
// (tests/data/textcodec, see make_corpus.sh there).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "core/textcodec/sjis_map.h"
#include "core/textcodec/textcodec.h"
#include "core/textcodec/run_tool.h"

namespace {

using textcodec::DecodeResult;
using textcodec::TextCodecError;
using textcodec::TextEncoding;

std::string ReadData(const std::string& name) {
  std::ifstream in(std::string(TABRYE_TEST_ROOT) + "/tests/data/textcodec/" + name, std::ios::binary);
  EXPECT_TRUE(in.good()) << name;
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Decodes from a heap copy of exactly the input's size, so that a read past
// its end is caught by AddressSanitizer.
DecodeResult Decode(const std::string& bytes, TextEncoding hint = TextEncoding::kAuto) {
  std::unique_ptr<char[]> exact(new char[bytes.size() ? bytes.size() : 1]);
  std::memcpy(exact.get(), bytes.data(), bytes.size());
  DecodeResult r;
  textcodec::DecodeTextToSjis(exact.get(), bytes.size(), hint, &r);
  return r;
}

std::string Encode(const std::string& sjis, TextEncoding e, std::size_t* replaced = nullptr) {
  std::string out;
  EXPECT_TRUE(textcodec::EncodeSjis(sjis.data(), sjis.size(), e, &out, replaced));
  return out;
}

const std::string kGeta = "\x81\xAC";  // the replacement character

struct CorpusFile {
  const char* name;
  TextEncoding encoding;
};
const CorpusFile kCorpus[] = {
    {"sjis.txt", TextEncoding::kShiftJis},       {"utf8.txt", TextEncoding::kUtf8},
    {"utf8bom.txt", TextEncoding::kUtf8Bom},     {"utf16le.txt", TextEncoding::kUtf16Le},
    {"utf16be.txt", TextEncoding::kUtf16Be},     {"eucjp.txt", TextEncoding::kEucJp},
    {"iso2022jp.txt", TextEncoding::kIso2022Jp}, {"base64.txt", TextEncoding::kBase64},
    {"binhex.hqx", TextEncoding::kBinHex},
};

TEST(TextCodecCorpus, EveryEncodingDecodesToTheShiftJisOriginal) {
  const std::string original = ReadData("sjis.txt");
  ASSERT_GT(original.size(), 300u);
  for (const CorpusFile& f : kCorpus) {
    const std::string bytes = ReadData(f.name);
    EXPECT_EQ(f.encoding, textcodec::DetectTextEncoding(bytes.data(), bytes.size())) << f.name;
    for (TextEncoding hint : {TextEncoding::kAuto, f.encoding}) {
      DecodeResult r = Decode(bytes, hint);
      EXPECT_EQ(f.encoding, r.encoding) << f.name;
      EXPECT_EQ(TextCodecError::kNone, r.error) << f.name;
      EXPECT_EQ(0u, r.replaced) << f.name;
      EXPECT_TRUE(r.text == original) << f.name;
    }
  }
  DecodeResult hqx = Decode(ReadData("binhex.hqx"));
  EXPECT_EQ("sjis.txt", hqx.binHexName);
  EXPECT_EQ(TextEncoding::kShiftJis, hqx.inner);
}

TEST(TextCodecCorpus, EncodersGiveTheToolsBytes) {
  const std::string original = ReadData("sjis.txt");
  const struct {
    TextEncoding e;
    const char* file;
  } cases[] = {
      {TextEncoding::kUtf8, "utf8.txt"},         {TextEncoding::kUtf8Bom, "utf8bom.txt"},
      {TextEncoding::kUtf16Le, "utf16le.txt"},   {TextEncoding::kUtf16Be, "utf16be.txt"},
      {TextEncoding::kEucJp, "eucjp.txt"},       {TextEncoding::kIso2022Jp, "iso2022jp.txt"},
      {TextEncoding::kShiftJis, "sjis.txt"},
  };
  for (const auto& c : cases) {
    std::size_t replaced = 99;
    EXPECT_TRUE(Encode(original, c.e, &replaced) == ReadData(c.file)) << c.file;
    EXPECT_EQ(0u, replaced) << c.file;
  }
  // Base64 in CR LF lines of 76 characters; the decoder takes it back.
  std::string b64 = Encode(original, TextEncoding::kBase64);
  EXPECT_EQ("\r\n", b64.substr(76, 2));
  std::string lf;
  for (char ch : b64)
    if (ch != '\r') lf += ch;
  EXPECT_EQ(ReadData("base64.txt"), lf);
  EXPECT_TRUE(Decode(b64).text == original);
}

TEST(TextCodecCorpus, WritingBackUsesTheFilesOwnEncoding) {
  const std::string original = ReadData("sjis.txt");
  for (const CorpusFile& f : kCorpus) {
    const std::string bytes = ReadData(f.name);
    DecodeResult r = Decode(bytes);
    std::string back;
    TextCodecError error = TextCodecError::kNone;
    bool ok = textcodec::EncodeSjisLike(r.text.data(), r.text.size(), r, &back, nullptr, &error);
    if (f.encoding == TextEncoding::kBinHex) {
      EXPECT_FALSE(ok);
      EXPECT_EQ(TextCodecError::kCannotWriteBinHex, error);
      continue;
    }
    ASSERT_TRUE(ok) << f.name;
    EXPECT_TRUE(Decode(back).text == original) << f.name;
    if (f.encoding != TextEncoding::kBase64) {
      EXPECT_TRUE(back == bytes) << f.name;
    }
  }
  // Base64 around UTF-8 is written back as Base64 of UTF-8.
  DecodeResult r = Decode(Encode(ReadData("utf8.txt"), TextEncoding::kBase64));
  EXPECT_EQ(TextEncoding::kBase64, r.encoding);
  EXPECT_EQ(TextEncoding::kUtf8, r.inner);
  std::string back;
  ASSERT_TRUE(textcodec::EncodeSjisLike(r.text.data(), r.text.size(), r, &back));
  EXPECT_TRUE(Decode(back, TextEncoding::kBase64).text == original);
  DecodeResult inner = Decode(back);
  EXPECT_EQ(TextEncoding::kUtf8, inner.inner);
}

struct BadCase {
  TextEncoding e;
  std::string in;
  std::string out;
};

TEST(TextCodecDecoders, InvalidSequencesBecomeWholeReplacements) {
  const BadCase cases[] = {
      // UTF-8: cut sequence, overlong form, surrogate, outside the BMP, no CP932 form.
      {TextEncoding::kUtf8, "a\xE3\x81", "a" + kGeta},
      {TextEncoding::kUtf8, "\xC0\xAFz", kGeta + kGeta + "z"},
      {TextEncoding::kUtf8, "\xED\xA0\x80!", kGeta + "!"},
      {TextEncoding::kUtf8, "\xF0\x9F\x98\x80", kGeta},
      {TextEncoding::kUtf8, "\xC3\xA9", kGeta},
      {TextEncoding::kUtf8, "\xE3\x81\x82\xE3\x80\x9C", "\x82\xA0\x81\x60"},  // WAVE DASH as "～"
      {TextEncoding::kUtf8, "\x80\xBF", kGeta + kGeta},
      // UTF-16: odd last byte, lone surrogates, a pair.
      {TextEncoding::kUtf16Le, std::string("A\0B", 3), "A" + kGeta},
      {TextEncoding::kUtf16Le, std::string("\x00\xD8" "A\0", 4), kGeta + "A"},
      {TextEncoding::kUtf16Le, std::string("\x00\xDC", 2), kGeta},
      {TextEncoding::kUtf16Be, std::string("\xD8\x3D\xDE\x00\x30\x42", 6), kGeta + "\x82\xA0"},
      {TextEncoding::kUtf16Be, std::string("\xD8\x3D", 2), kGeta},
      // EUC-JP: lone bytes, SS2 and SS3, rows without characters.
      {TextEncoding::kEucJp, "\xA4\xA2\x8E\xB1", "\x82\xA0\xB1"},
      {TextEncoding::kEucJp, "x\xA4", "x" + kGeta},
      {TextEncoding::kEucJp, "\x8E", kGeta},
      {TextEncoding::kEucJp, "\x8E" "A", kGeta + "A"},
      {TextEncoding::kEucJp, "\x8F\xA2\xAF" "b", kGeta + "b"},
      {TextEncoding::kEucJp, "\x8F\xA2", kGeta + kGeta},
      {TextEncoding::kEucJp, "\xA9\xA1", kGeta},  // row 9: empty in JIS X 0208
      {TextEncoding::kEucJp, "\xB0\xA1", "\x88\x9F"},
      // ISO-2022-JP.
      {TextEncoding::kIso2022Jp, "\x1B$B$\"\x1B(BA", "\x82\xA0" "A"},
      {TextEncoding::kIso2022Jp, "\x1B$B$", kGeta},
      {TextEncoding::kIso2022Jp, "\x1B$", "\x1B$"},
      {TextEncoding::kIso2022Jp, "\x1B(I16\x1B(Bx", "\xB1\xB6x"},
      {TextEncoding::kIso2022Jp, "a\x0E" "1\x0F" "b", "a\xB1" "b"},
      {TextEncoding::kIso2022Jp, "\x1B$B-!\r\n$\"", "\x87\x40\r\n\x82\xA0"},
      {TextEncoding::kIso2022Jp, "\x1B$(D0!", kGeta},
      {TextEncoding::kIso2022Jp, "\xB1\x82", "\xB1" + kGeta},
      // Shift-JIS: a lead byte without its trail byte.
      {TextEncoding::kShiftJis, "\x82\xA0\x82", "\x82\xA0" + kGeta},
      {TextEncoding::kShiftJis, "\x82\r\n", kGeta + "\r\n"},
      {TextEncoding::kShiftJis, "\xB1\x80\xFD", "\xB1\x80\xFD"},
  };
  for (const BadCase& c : cases) {
    DecodeResult r = Decode(c.in, c.e);
    EXPECT_EQ(c.out, r.text) << textcodec::TextEncodingName(c.e) << " case " << &c - cases;
  }
}

TEST(TextCodecDecoders, ReplacementsAreCounted) {
  DecodeResult r = Decode("\xE3\x81\x82\xF0\x9F\x98\x80\xC3\xA9", TextEncoding::kUtf8);
  EXPECT_EQ(2u, r.replaced);
  EXPECT_EQ(TextCodecError::kNone, r.error);
}

TEST(TextCodecDetect, PicksTheRightDecoder) {
  auto detect = [](const std::string& s) { return textcodec::DetectTextEncoding(s.data(), s.size()); };
  const std::string sjis = "\x83\x65\x83\x58\x83\x67\x82\xC5\x82\xB7\x81\x42\r\n";  // テストです。
  const std::string euc = "\xA5\xC6\xA5\xB9\xA5\xC8\xA4\xC7\xA4\xB9\xA1\xA3\r\n";
  EXPECT_EQ(TextEncoding::kShiftJis, detect(sjis));
  EXPECT_EQ(TextEncoding::kEucJp, detect(euc));
  EXPECT_EQ(TextEncoding::kUtf8, detect("abc \xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88"));
  EXPECT_EQ(TextEncoding::kShiftJis, detect("plain ascii\r\n"));
  EXPECT_EQ(TextEncoding::kShiftJis, detect(""));
  EXPECT_EQ(TextEncoding::kShiftJis, detect("HelloWorldThisIsAWord"));          // no Base64
  EXPECT_EQ(TextEncoding::kShiftJis, detect("ABCDEFGHIJKLMNOPQRSTUVWXYZabcd"));  // decodes to binary
  EXPECT_EQ(TextEncoding::kIso2022Jp, detect("x \x1B$B$\"\x1B(B"));
  EXPECT_EQ(TextEncoding::kShiftJis, detect("\x1B[31mred\x1B[0m"));
  EXPECT_EQ(TextEncoding::kUtf16Le, detect(std::string("h\0e\0l\0l\0o\0\r\0\n\0", 14)));
  EXPECT_EQ(TextEncoding::kUtf16Be, detect(std::string("\0h\0e\0l\0l\0o\0\r\0\n", 14)));
  EXPECT_EQ(TextEncoding::kBinHex, detect("(This file must be converted with BinHex 4.0)\r\n:xx:"));
  // Half-width katakana in Shift-JIS stays Shift-JIS.
  EXPECT_EQ(TextEncoding::kShiftJis, detect("\xB1\xB2\xB3\xB4\xB5 \xB6\xDE\r\n"));
}

TEST(TextCodecContainers, Base64ErrorsAreReported) {
  DecodeResult r = Decode("QUJD", TextEncoding::kBase64);
  EXPECT_EQ("ABC", r.text);
  r = Decode("QUJD\r\nQUI=\r\n", TextEncoding::kBase64);
  EXPECT_EQ("ABCAB", r.text);
  r = Decode("QU*JD", TextEncoding::kBase64);
  EXPECT_EQ(TextCodecError::kBase64BadCharacter, r.error);
  EXPECT_EQ("ABC", r.text);
  r = Decode("QUJDQ", TextEncoding::kBase64);
  EXPECT_EQ(TextCodecError::kBase64Truncated, r.error);
  EXPECT_STRNE("", textcodec::TextCodecErrorText(r.error));
}

std::string ReplaceAt(std::string s, std::size_t at, char c) {
  s[at] = c;
  return s;
}

TEST(TextCodecContainers, DamagedBinHexIsReported) {
  const std::string hqx = ReadData("binhex.hqx");
  const std::string original = ReadData("sjis.txt");
  const std::size_t first = hqx.find(':');
  const std::size_t last = hqx.rfind(':');
  ASSERT_LT(first + 200, last);

  // A changed character in the data fork: the data comes back, marked damaged.
  std::size_t mid = (first + last) / 2;
  while (hqx[mid] == '\r' || hqx[mid] == '\n') ++mid;
  DecodeResult r = Decode(ReplaceAt(hqx, mid, hqx[mid] == 'a' ? 'b' : 'a'));
  EXPECT_EQ(TextEncoding::kBinHex, r.encoding);
  EXPECT_EQ(TextCodecError::kBinHexDataDamaged, r.error);
  EXPECT_EQ(original.size(), r.text.size());

  // In the header (the name).
  r = Decode(ReplaceAt(hqx, first + 4, hqx[first + 4] == 'a' ? 'b' : 'a'));
  EXPECT_EQ(TextCodecError::kBinHexHeaderDamaged, r.error);
  EXPECT_EQ("", r.text);

  // A character outside the alphabet.
  r = Decode(ReplaceAt(hqx, mid, '7'));
  EXPECT_EQ(TextCodecError::kBinHexBadCharacter, r.error);

  // Cut in the middle.
  r = Decode(hqx.substr(0, mid));
  EXPECT_EQ(TextCodecError::kBinHexTruncated, r.error);
  EXPECT_LT(r.text.size(), original.size());

  // No data at all.
  r = Decode("(This file must be converted with BinHex 4.0)\r\n");
  EXPECT_EQ(TextCodecError::kBinHexNoData, r.error);

  // Every cut before the data fork's CRC fails cleanly (the last characters
  // hold the resource fork's CRC, which is not read).
  for (std::size_t cut = 0; cut + 4 < last; cut += 7) {
    DecodeResult c = Decode(hqx.substr(0, cut), TextEncoding::kBinHex);
    EXPECT_NE(TextCodecError::kNone, c.error) << cut << " of " << hqx.size();
  }
}

TEST(TextCodecEncoders, CharactersWithoutATargetFormAreReplaced) {
  std::size_t replaced = 0;
  // The byte 0x80, a pair without a character, a lone lead byte.
  EXPECT_EQ("\xE3\x80\x93" "a\xE3\x80\x93\xE3\x80\x93",
            Encode("\x80" "a\x85\x40\x82", TextEncoding::kUtf8, &replaced));
  EXPECT_EQ(3u, replaced);
  // User-defined rows have no JIS form.
  EXPECT_EQ("\xA2\xAE", Encode("\xF0\x40", TextEncoding::kEucJp, &replaced));
  EXPECT_EQ(1u, replaced);
  // IBM extensions go to their NEC-row equivalents.
  EXPECT_EQ("\xFC\xF1", Encode("\xFA\x40", TextEncoding::kEucJp));  // small roman one
  EXPECT_EQ("\x1B$B|q\x1B(B", Encode("\xFA\x40", TextEncoding::kIso2022Jp));
  EXPECT_EQ("\x1B(I1\x1B(B\r\n", Encode("\xB1\r\n", TextEncoding::kIso2022Jp));
  EXPECT_EQ("\x8E\xB1", Encode("\xB1", TextEncoding::kEucJp));
  std::string out;
  EXPECT_FALSE(textcodec::EncodeSjis("a", 1, TextEncoding::kAuto, &out));
  EXPECT_FALSE(textcodec::EncodeSjis("a", 1, TextEncoding::kBinHex, &out));
}

TEST(SjisMap, JisArithmeticAndTables) {
  EXPECT_EQ(0x82A0, textcodec::JisToSjis(0x2422));
  EXPECT_EQ(0x889F, textcodec::JisToSjis(0x3021));
  EXPECT_EQ(0x8740, textcodec::JisToSjis(0x2D21));
  EXPECT_EQ(0xEFFC, textcodec::JisToSjis(0x7E7E));
  EXPECT_EQ(0, textcodec::JisToSjis(0x2020));
  for (unsigned j1 = 0x21; j1 <= 0x7E; ++j1)
    for (unsigned j2 = 0x21; j2 <= 0x7E; ++j2) {
      std::uint16_t jis = static_cast<std::uint16_t>(j1 << 8 | j2);
      ASSERT_EQ(jis, textcodec::SjisToJis(textcodec::JisToSjis(jis))) << std::hex << jis;
    }
  EXPECT_EQ(0x82A0, textcodec::UnicodeToSjis(0x3042));
  EXPECT_EQ(0x8160, textcodec::UnicodeToSjis(0xFF5E));
  EXPECT_EQ(0x8160, textcodec::UnicodeToSjis(0x301C));
  EXPECT_EQ(textcodec::kNoSjis, textcodec::UnicodeToSjis(0x1F600));
  EXPECT_EQ(0x3042, textcodec::SjisToUnicode(0x82A0));
  EXPECT_EQ(0xFF71, textcodec::SjisToUnicode(0xB1));
  EXPECT_EQ(textcodec::kNoUnicode, textcodec::SjisToUnicode(0x82));
  EXPECT_EQ(0x30FB, textcodec::SjisToUnicode(0x8145));
  EXPECT_EQ(0x2170, textcodec::SjisToUnicode(0xFA40));
  EXPECT_EQ(0x2170, textcodec::SjisToUnicode(0xEEEF));
  EXPECT_EQ(0xFA40, textcodec::UnicodeToSjis(0x2170));
}

#ifndef _WIN32
using textcodectest::RunTool;

// Every character of code page 932 in its preferred code.
std::string AllPreferredSjis() {
  std::string s;
  for (unsigned code = 0x20; code < 0x10000; ++code) {
    char16_t u = textcodec::SjisToUnicode(static_cast<std::uint16_t>(code));
    if (u == textcodec::kNoUnicode || textcodec::UnicodeToSjis(u) != code) continue;
    if (code < 0x100) {
      s += static_cast<char>(code);
    } else {
      s += static_cast<char>(code >> 8);
      s += static_cast<char>(code & 0xFF);
    }
    if (s.size() % 64 == 0) s += "\r\n";
  }
  return s;
}

TEST(TextCodecTools, WholeCodePageAgreesWithIconv) {
  const std::string all = AllPreferredSjis();
  ASSERT_GT(all.size(), 14000u);
  const std::string utf8 = RunTool("iconv -f CP932 -t UTF-8", all);
  if (utf8.empty()) GTEST_SKIP() << "iconv missing";
  EXPECT_TRUE(Encode(all, TextEncoding::kUtf8) == utf8);
  DecodeResult r = Decode(utf8, TextEncoding::kUtf8);
  EXPECT_EQ(0u, r.replaced);
  EXPECT_TRUE(r.text == all);
  const std::string utf16 = RunTool("iconv -f CP932 -t UTF-16BE", all);
  EXPECT_TRUE(Encode(all, TextEncoding::kUtf16Be) == "\xFE\xFF" + utf16);
  EXPECT_TRUE(Decode(utf16, TextEncoding::kUtf16Be).text == all);
}

TEST(TextCodecTools, NkfReadsOurEucAndJis) {
  const std::string all = AllPreferredSjis();
  // JIS X 0208, NEC row 13 and half-width katakana: the part both tools share.
  std::string jisPart;
  for (std::size_t i = 0; i < all.size();) {
    unsigned char c = static_cast<unsigned char>(all[i]);
    std::size_t len = textcodec::IsSjisLead(c) ? 2 : 1;
    bool keep = len == 1 || (c <= 0xEA);
    if (keep) jisPart.append(all, i, len);
    i += len;
  }
  const std::string euc = Encode(jisPart, TextEncoding::kEucJp);
  const std::string back = RunTool("nkf --ic=CP51932 --oc=CP932 -x", euc);
  if (back.empty()) GTEST_SKIP() << "nkf missing";
  EXPECT_TRUE(back == jisPart);
  EXPECT_TRUE(Decode(euc, TextEncoding::kEucJp).text == jisPart);
  const std::string jis = Encode(jisPart, TextEncoding::kIso2022Jp);
  EXPECT_TRUE(RunTool("nkf --ic=CP50221 --oc=CP932 -x", jis) == jisPart);
  EXPECT_TRUE(Decode(jis, TextEncoding::kIso2022Jp).text == jisPart);
  const std::string b64 = Encode(all, TextEncoding::kBase64);
  EXPECT_TRUE(RunTool("tr -d '\\r' | base64 -d", b64) == all);
}
#endif

}  // namespace
