// ASCII85, font encodings and CMaps, the display maps of single bytes and
// symbols, and the picture markers.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "archive/deflater.h"
#include "convert/pdf_converter.h"
#include "convert/pdf_marker.h"
#include "pdf_test_util.h"

using convert::kPdfObjects;
using convert::PdfConverter;
using pdftest::L;
using pdftest::U;

namespace {

std::string A85(pdftest::Run& run, const std::string& in, std::size_t capacity) {
  std::vector<std::uint8_t> buf(in.begin(), in.end());
  buf.resize(std::max(in.size(), capacity) + 16);
  const std::int32_t n = run->Ascii85DecodeInPlace(buf.data(), L(in), capacity);
  return std::string(reinterpret_cast<const char*>(buf.data()), static_cast<std::size_t>(n));
}

TEST(PdfFontEnc, Ascii85Groups) {
  pdftest::Run run("x");
  struct Case {
    const char* in;
    std::string out;
  } cases[] = {
      {"z", std::string(4, '\0')},
      {"87cURD]i,\"Ebo7~>", "Hello World"},
      {"9jqo^", "Man "},
      {"9jqo^BlbD-BleB1DJ+*+F(f,q", "Man is distinguished"},
      {"9jqo^ \r\n BlbD-", "Man is d"},
      {"~", std::string(4, '\xFF')},  // kept: four 0xFF bytes
  };
  for (const Case& c : cases) {
    const std::string got = A85(run, c.in, 1000);
    ASSERT_GE(got.size(), c.out.size()) << c.in;
    EXPECT_EQ(c.out, got.substr(0, c.out.size())) << c.in;
    EXPECT_EQ(0u, got.size() % 4) << c.in;  // every group writes four bytes
  }
  // Mostly bytes that are no ASCII85: a failure.
  EXPECT_EQ("", A85(run, "9jqo^{{{{{{{{{{{{", 1000));
}

TEST(PdfFontEnc, Ascii85ZerosDoNotOvertakeTheInput) {
  pdftest::Run run("x");
  // 4,000 "z" groups then a group: 16,004 bytes out of 4,005 in.
  const std::string in = std::string(4000, 'z') + "9jqo^";
  const std::string got = A85(run, in, 20000);
  ASSERT_EQ(16004u, got.size());
  EXPECT_EQ(std::string(16000, '\0'), got.substr(0, 16000));
  EXPECT_EQ("Man ", got.substr(16000));
  // More than the caller's buffer holds: 0, nothing written past it.
  EXPECT_EQ("", A85(run, in, 10000));
}

TEST(PdfFontEnc, DifferencesFillTheSimpleCodes) {
  pdftest::Run run("<< /Type /Encoding /Differences [1/a/space/B/zero/endash/registered/unknown/c] >>");
  std::vector<std::uint16_t> table(kPdfObjects, 0);
  table[5] = 999;
  EXPECT_EQ(1, run->PdfReadFontEncoding(0, table.data(), 0x8F));
  EXPECT_EQ('a', table[1]);
  EXPECT_EQ(' ', table[2]);
  EXPECT_EQ('B', table[3]);
  EXPECT_EQ('0', table[4]);
  EXPECT_EQ('-', table[5]);
  EXPECT_EQ(82, table[6]);
  EXPECT_EQ(0, table[7]);  // an unknown name leaves the code as it was
  EXPECT_EQ('c', table[8]);
  EXPECT_EQ(65, table[65]);
  EXPECT_EQ(0, table[31]);
}

std::string Stream(const std::string& dict, const std::string& data) {
  return "9 0 obj << " + dict + " >>\nstream\r\n" + data + "\nendstream endobj";
}

const char kCmap[] =
    "/CIDInit /ProcSet findresource begin 12 dict begin begincmap\n"
    "1 begincodespacerange <0000> <FFFF> endcodespacerange\n"
    "2 beginbfchar <0003> <0020> <0040> <3042> endbfchar\n"
    "2 beginbfrange <0100> <0102> <4E00> <0200> <0201> [<3044> <3046>] endbfrange\n"
    "1 beginbfrange <41> <42> <0061> endbfrange\n"
    "endcmap";

TEST(PdfFontEnc, ToUnicodeMapsPlainAndFlate) {
  const std::vector<std::uint8_t> raw = arc::DeflateBytes(U(kCmap), sizeof kCmap - 1);
  const std::string flate = std::string("\x78\x9C", 2) + std::string(raw.begin(), raw.end());
  struct Case {
    std::string text;
  } cases[] = {{Stream("/Length 10", kCmap)}, {Stream("/Filter /FlateDecode", flate)}};
  for (const Case& c : cases) {
    pdftest::Run run(c.text);
    std::vector<std::uint16_t> table(kPdfObjects, 0);
    ASSERT_EQ(1, run->PdfReadFontEncoding(0, table.data(), 0));
    EXPECT_EQ(0x20, table[3]);
    EXPECT_EQ(0x3042, table[0x40]);
    // Back-filling after the code space: the empty codes below take the values below.
    EXPECT_EQ(0x3041, table[0x3F]);
    EXPECT_EQ(0x1F, table[2]);
    EXPECT_EQ(0x1D, table[0]);
    EXPECT_EQ(0x4E00, table[0x100]);
    EXPECT_EQ(0x4E02, table[0x102]);
    EXPECT_EQ(0, table[0x103]);
    EXPECT_EQ(0x3044, table[0x200]);
    EXPECT_EQ(0x3046, table[0x201]);
    // Two-digit codes have their second copy 3,840 above.
    EXPECT_EQ(0x61, table[0x41]);
    EXPECT_EQ(0x62, table[0x42 + 3840]);
  }
}

TEST(PdfFontEnc, MapWritesStayInTheTable) {
  // A range past 32,767, a list past it, sources below 30 with back-filling
  // and a code of 32,768 that ends the reading.
  const char map[] =
      "begincodespacerange <0000> <FFFF> endcodespacerange\n"
      "beginbfchar <0001> <0005> <0002> <0001> endbfchar\n"
      "beginbfrange <7FF0> <FFFF> <0041> <7FFE> <FFFF> [<1> <2> <3> <4>] endbfrange\n"
      "beginbfrange <FF> <FF> <0041> endbfrange\n"
      "beginbfchar <8000> <0041> <0010> <0041> endbfchar\n";
  std::vector<std::uint16_t> table(kPdfObjects + 64, 0xBEEF);
  for (int i = 0; i < kPdfObjects; ++i) table[i] = 0;
  EXPECT_EQ(1, PdfConverter::ReadCmap(U(map), static_cast<std::int32_t>(sizeof map - 1), table.data()));
  EXPECT_EQ(5, table[1]);
  EXPECT_EQ(4, table[0]);
  EXPECT_EQ(0x41 + 13, table[0x7FFD]);
  EXPECT_EQ(2, table[0x7FFF]);  // the list stops at 32,767 too
  EXPECT_EQ(0x41, table[0xFF + 3840]);
  EXPECT_EQ(0, table[0x10]);  // after the code of 32,768 nothing more is read
  for (int i = kPdfObjects; i < kPdfObjects + 64; ++i) ASSERT_EQ(0xBEEF, table[i]) << i;
}

TEST(PdfFontEnc, DamagedMapsLeaveTheTable) {
  struct Case {
    std::string text;
  } cases[] = {
      {Stream("/Filter /FlateDecode", "\x78\x9C garbage that is no deflate data")},
      {Stream("/Filter /ASCII85Decode", "{{{{{{{{{{{{{{{{{{")},
      {"9 0 obj << /Length 3 >> no stream here"},
      {Stream("/Length 3", "")},
  };
  for (const Case& c : cases) {
    pdftest::Run run(c.text);
    std::vector<std::uint16_t> table(kPdfObjects, 0);
    EXPECT_EQ(0, run->PdfReadFontEncoding(0, table.data(), 0)) << c.text;
    for (std::uint16_t v : table) ASSERT_EQ(0, v);
  }
}

TEST(PdfFontEnc, SimpleFontBytes) {
  struct Case {
    int in;
    int out, lead;
  } cases[] = {
      {150, '-', ' '}, {208, '-', ' '}, {149, 0xA5, ' '}, {147, '"', ' '}, {146, '\'', ' '}, {142, 'e', ' '},
      {162, '`', ' '}, {186, 0xDF, ' '}, {133, '.', ' '}, {167, 0x98, 0x81}, {168, 'R', '('}, {169, 'C', '('},
      {227, 'C', '('}, {153, 'T', '('}, {11, 'f', 'f'}, {12, 'i', 'f'}, {13, 'l', 'f'}, {14, 'i', 14},
      {15, 'i', 14},   {0, 0x60, ' '},  {31, 0x7F, ' '}, {65, 65, ' '},  {200, 200, ' '}, {130, 0xB7, ' '},
      {255, 0xB7, ' '},
  };
  for (const Case& c : cases) {
    std::uint8_t b = static_cast<std::uint8_t>(c.in);
    std::uint8_t lead = 0;
    PdfConverter::PdfMapSimpleFontByte(&b, &lead);
    EXPECT_EQ(c.out, b) << c.in;
    EXPECT_EQ(c.lead, lead) << c.in;
  }
}

TEST(PdfFontEnc, UnicodeSymbols) {
  struct Case {
    std::uint32_t cp;
    int n, b1, b2;
  } cases[] = {
      {0x2003, 1, ' ', 0},     {0x2850, 1, ' ', 0},     {0x2212, 1, '-', 0},     {0x2014, 2, 0x81, 0x5C},
      {0x22C5, 2, 0x81, 0x45}, {0x2265, 2, 0x81, 0x86}, {0x2714, 2, 0x83, 0x8C}, {0x21D3, 2, 0x81, 0xAB},
      {0x03D5, 2, 0x83, 0xB3}, {0xFB02, 2, 'f', 'l'},   {0xE123, 2, 0x81, 0xA0}, {0x1F600, 2, 0x81, 0xA1},
  };
  for (const Case& c : cases) {
    std::uint8_t b1 = 0, b2 = 0;
    EXPECT_EQ(c.n, PdfConverter::PdfMapUnicodeSymbol(c.cp, &b1, &b2)) << std::hex << c.cp;
    EXPECT_EQ(c.b1, b1) << std::hex << c.cp;
    if (c.n == 2) {
      EXPECT_EQ(c.b2, b2) << std::hex << c.cp;
    }
  }
}

TEST(PdfMarker, LettersAnglesAndSuffixes) {
  struct Case {
    int index, orientation, angle, large, filter;
    const char* text;
  } cases[] = {
      {5, 6, 0, 0, 0, "[Imb5]"},     {5, 0, 90, 0, 0, "[Imb5]"},   {3, 0, 0, 1, 2, "[Image3]JPG"},
      {3, 0, 0, 0, 0, "[Im3]"},      {7, 1, 0, 0, 6, "[Img7]TIF"}, {7, 0, 270, 0, 12, "[Imd7]JPX"},
      {7, 0, -90, 0, 9, "[Imd7]JBIG2"}, {7, 5, 90, 0, 7, "[Im7]LZW"}, {8, 0, 360, 1, 8, "[Image8]JPG"},
      {9, 3, 180, 0, 1, "[Im9]"},    {9, 9, 0, 0, 0, "[Im9]"},     {9, 7, 389, 1, 0, "[Imh9]"},
      {9, 0, 400, 0, 0, "[Im9]"},
  };
  for (const Case& c : cases) {
    EXPECT_STREQ(c.text,
                 static_cast<const char*>(convert::PdfImageMarker(c.index, c.orientation, c.angle, c.large, c.filter)))
        << c.text;
  }
}

}  // namespace
