// The PDF reader's object passes and stream decoding on crafted files:
// object streams appended as objects, the index and its flags, the page
// size, the catalog, encryption, and the decoders' capacities and failures.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "archive/deflater.h"
#include "convert/pdf_converter.h"
#include "pdf_test_util.h"

using convert::kPdfObjects;
using pdftest::L;
using pdftest::U;

namespace {

std::string Zlib(const std::string& data) {
  const std::vector<std::uint8_t> raw = arc::DeflateBytes(U(data), data.size());
  return std::string("\x78\x9C", 2) + std::string(raw.begin(), raw.end());
}

// An object stream holding `objects` under `numbers`, with the offsets given
// (empty: the real ones).
std::string ObjStm(const std::vector<int>& numbers, const std::vector<std::string>& objects,
                   std::vector<int> offsets = {}) {
  std::string body;
  std::vector<int> real;
  for (const std::string& o : objects) {
    real.push_back(static_cast<int>(body.size()));
    body += o + " ";
  }
  if (offsets.empty()) offsets = real;
  std::string head;
  for (std::size_t i = 0; i < numbers.size(); ++i) head += std::to_string(numbers[i]) + " " + std::to_string(offsets[i]) + " ";
  return "2 0 obj << /Type /ObjStm /N 2 /Filter /FlateDecode >>\nstream\r\n" + Zlib(head + body) +
         "\r\nendstream\nendobj\n";
}

std::string At(const pdftest::Run& run, std::int32_t obj) {
  const std::int32_t at = run.pdf->m_anObjOffset[static_cast<std::size_t>(obj)];
  if (at <= 0) return "";
  const std::string all(reinterpret_cast<const char*>(run.pdf->m_pConvData), static_cast<std::size_t>(run.pdf->m_nConvSize));
  const std::size_t end = all.find("endobj", static_cast<std::size_t>(at));
  return all.substr(static_cast<std::size_t>(at) + 5, end - static_cast<std::size_t>(at) - 5);
}

TEST(PdfObjects, ObjectStreamsBecomeObjects) {
  const std::string file = "%PDF-1.5\n" + ObjStm({4, 5}, {"<< /Type /Page /Rotate 90 >>", "<< /Font 7 0 R >>"});
  pdftest::Run run(file, 100000);
  ASSERT_TRUE(run->AllocateWork());
  run->ExpandObjectStreams();
  EXPECT_GT(run->m_nConvSize, L(file));
  run->IndexObjects();
  EXPECT_EQ("<< /Type /Page /Rotate 90 >> \r\n", At(run, 4));
  EXPECT_EQ("<< /Font 7 0 R >> \r\n", At(run, 5));
  EXPECT_GT(run->m_anObjOffset[2], 0);
  EXPECT_FALSE(run->m_damage.Marked());
}

TEST(PdfObjects, ObjectStreamOffsetsPastTheDataEndTheList) {
  struct Case {
    std::vector<int> offsets;
  } cases[] = {{{0, 9999}}, {{10, 3}}, {{0, 0}}};
  for (const Case& c : cases) {
    const std::string file = ObjStm({4, 5}, {"<< /A 1 >>", "<< /B 2 >>"}, c.offsets);
    pdftest::Run run(file, 100000);
    ASSERT_TRUE(run->AllocateWork());
    run->ExpandObjectStreams();
    run->IndexObjects();
    EXPECT_GT(run->m_anObjOffset[4], 0);
    EXPECT_EQ(0, run->m_anObjOffset[5]);
    EXPECT_TRUE(run->m_damage.Marked());
  }
}

TEST(PdfObjects, ObjectStreamsStopShortOfTheCapacity) {
  const std::string big(3000, 'x');
  const std::string file = ObjStm({4, 5}, {"(" + big + ")", "<< /B 2 >>"});
  // Room for the first object, not for both with the 1,000-byte margin.
  pdftest::Run run(file, 4030);
  ASSERT_TRUE(run->AllocateWork());
  run->ExpandObjectStreams();
  run->IndexObjects();
  EXPECT_GT(run->m_anObjOffset[4], 0);
  EXPECT_EQ(0, run->m_anObjOffset[5]);
  EXPECT_LE(static_cast<std::size_t>(run->m_nConvSize) + 1000, run->m_nConvCapacity);
  // No room at all: nothing appended.
  pdftest::Run none(file, 0);
  ASSERT_TRUE(none->AllocateWork());
  none->ExpandObjectStreams();
  EXPECT_EQ(L(file), none->m_nConvSize);
}

TEST(PdfObjects, IndexFlagsAndPageSize) {
  struct Case {
    const char* object;
    std::uint16_t flags;
  } cases[] = {
      {"<< /Type /Font /Subtype /Type0 /Encoding /Identity-V >>", 0x0001},
      {"<< /Encoding /Identity-H >>", 0x0000},
      {"<< /Subtype /Type1 /ToUnicode 9 0 R >>", 0x0050},
      {"<< /Subtype /Type1 /Encoding /WinAnsiEncoding /ToUnicode 9 0 R >>", 0x0050},
      {"<< /Subtype /TrueType /Encoding 9 0 R /ToUnicode 8 0 R >>", 0x0050},
      {"<< /Subtype /Type1 /LastChar 255 >>", 0x0090},
      {"<< /LastChar 300 >>", 0x0000},
      {"<< /Encoding /UniJIS-UCS2-H >>", 0x0020},
      {"<< /Encoding /90ms-RKSJ-V >>", 0x0001},
      {"<< /Subtype /Image /Width 640 /Height 480 /Filter /DCTDecode >>", 0x3502},
      {"<< /Width 5000 /Height 9 /Filter /CCITTFaxDecode >>", 0x0F06},
      {"<< /Widths [1 2 3] /Filter /JPXDecode >>", 0x000C},
      {"<< /Filter [/LZWDecode] >>", 0x0007},
  };
  for (const Case& c : cases) {
    const std::string file = std::string("3 0 obj ") + c.object + " endobj\n";
    pdftest::Run run(file);
    run->IndexObjects();
    EXPECT_EQ(c.flags, run->m_anObjFlags[3]) << c.object;
  }
  // The map object of a font: its ToUnicode or Encoding reference.
  pdftest::Run refs("3 0 obj << /Subtype /Type1 /ToUnicode 9 0 R >> endobj 4 0 obj << /Encoding 12 0 R >> endobj");
  refs->IndexObjects();
  EXPECT_EQ(9, refs->m_anFontRef[3]);
  EXPECT_EQ(12, refs->m_anFontRef[4]);
  EXPECT_EQ(0x8F, refs->m_anObjFlags[4]);
}

TEST(PdfObjects, MediaBoxRootAndEncryption) {
  struct Case {
    const char* text;
    std::int32_t width, height, root;
    bool encrypted;
  } cases[] = {
      {"1 0 obj << /Type /Catalog >> endobj /Root 1 0 R /MediaBox [0 0 595.28 841.89]", 59628, 84289, 1, false},
      {"/MediaBox [0 0 2100 841.89]", 120000, 84289, 0, false},
      {"/MediaBox[0 0 612 792]", 61300, 79300, 0, false},
      {"/MediaBox 5 0 R", 120000, 84500, 0, false},
      {"/MediaBox [0 0 50 50]", 120000, 84500, 0, false},
      {"/Root 4 0 R /Encrypt 9 0 R 7 0 obj << >> endobj", 120000, 84500, 4, true},
  };
  for (const Case& c : cases) {
    pdftest::Run run(c.text);
    run->IndexObjects();
    EXPECT_EQ(c.width, run->m_nPageWidth) << c.text;
    EXPECT_EQ(c.height, run->m_nPageHeight) << c.text;
    EXPECT_EQ(c.root, run->m_nRootObj) << c.text;
    EXPECT_EQ(c.encrypted, run->m_bEncrypted) << c.text;
  }
  // The index stops at "/Encrypt": later objects are not seen.
  pdftest::Run enc("/Encrypt 9 0 R 7 0 obj << >> endobj");
  enc->IndexObjects();
  EXPECT_EQ(0, enc->m_anObjOffset[7]);
}

TEST(PdfObjects, ObjectNumbersBeyondTheTables) {
  pdftest::Run run("49151 0 obj << >> endobj 49152 0 obj << >> endobj 99999 0 obj << >> endobj 123456 0 obj endobj");
  run->IndexObjects();
  EXPECT_GT(run->m_anObjOffset[49151], 0);
  for (std::int32_t n = 1; n < 49151; ++n) ASSERT_EQ(0, run->m_anObjOffset[static_cast<std::size_t>(n)]) << n;
}

// Decoding a stream placed at the file's start.
struct Decoded {
  std::int32_t result;
  std::string text;
  std::int32_t capacity;
};
Decoded Decode(const std::string& data, int filters, int width = 0, int height = 0, int bits = 0) {
  pdftest::Run run(data);
  EXPECT_TRUE(run->AllocateWork());
  run->m_nImageWidth = width;
  run->m_nImageHeight = height;
  run->m_nImageBits = bits;
  const std::int32_t r = run->DecodeStream(0, L(data), filters, width > 0);
  Decoded d{r, "", run->m_nFailCapacity};
  if (r >= 0) d.text.assign(reinterpret_cast<const char*>(run->m_pWork), static_cast<std::size_t>(r));
  if (r >= 0) {
    EXPECT_EQ(0, std::string(reinterpret_cast<const char*>(run->m_pWork) + r, 6).compare(0, 5, "     ")) << r;
  }
  return d;
}

TEST(PdfObjects, StreamDecoding) {
  const std::string text = "BT /F1 12 Tf 72 700 Td (Hello) Tj ET\n";
  const std::string zlib = Zlib(text);
  // ASCII85 of the zlib data, from Python's base64.a85encode.
  std::string a85;
  {
    // A hand encoder of the standard form: groups of four bytes, "z" for zeros.
    std::string in = zlib;
    for (std::size_t i = 0; i < in.size(); i += 4) {
      std::uint32_t v = 0;
      const std::size_t n = std::min<std::size_t>(4, in.size() - i);
      for (std::size_t k = 0; k < 4; ++k) v = v << 8 | (k < n ? static_cast<std::uint8_t>(in[i + k]) : 0);
      char g[5];
      for (int k = 4; k >= 0; --k) {
        g[k] = static_cast<char>('!' + v % 85);
        v /= 85;
      }
      a85.append(g, n + 1);
    }
    a85 += "~>";
  }
  struct Case {
    std::string data;
    int filters;
    std::int32_t result;
    std::string text;
  } cases[] = {
      {zlib, convert::kPdfStreamFlate, L(text), text},
      {zlib.substr(2), convert::kPdfStreamFlate, L(text), text},  // raw deflate without a head
      {a85, convert::kPdfStreamAscii85 | convert::kPdfStreamFlate, L(text), text},
      {text, 0, L(text), text},
      {"\x78\x9Cnot deflate data at all", convert::kPdfStreamFlate, convert::kPdfDecodeFailed, ""},
      {"{{{{{{{{{{{{{{{{", convert::kPdfStreamAscii85, convert::kPdfDecodeFailed, ""},
  };
  for (const Case& c : cases) {
    const Decoded d = Decode(c.data, c.filters);
    EXPECT_EQ(c.result, d.result) << c.filters;
    EXPECT_EQ(c.text, d.text) << c.filters;
  }
}

TEST(PdfObjects, ImageCapacities) {
  const std::string pixels(10000, '\x80');
  const std::string zlib = Zlib(pixels);
  struct Case {
    int width, height, bits;
    std::int32_t result;
    std::int32_t capacity;  // of a too-large failure
  } cases[] = {
      {100, 100, 8, 10000, 0},                       // w * h * 4 + 2,000
      {100, 100, 1, 1250 + 2000, 0},                 // 1 * w * h / 8 + 2,000: clamped there
      {2000, 2000, 16, convert::kPdfDecodeTooLarge, 8002000},
      {2147483647, 2147483647, 16, convert::kPdfDecodeTooLarge, 2147483647},
      {100, 100, -8, convert::kPdfDecodeTooLarge, 0},      // a negative capacity
      {2147483647, -3, 8, 10000, 0},                 // a height of 9 or less: no image
      {5, 5, 8, 10000, 0},                           // too small to count as an image
  };
  for (const Case& c : cases) {
    const Decoded d = Decode(zlib, convert::kPdfStreamFlate, c.width, c.height, c.bits);
    EXPECT_EQ(c.result, d.result) << c.width << "x" << c.height;
    if (c.result == convert::kPdfDecodeTooLarge) {
      EXPECT_EQ(c.capacity, d.capacity) << c.width;
    }
  }
}

TEST(PdfObjects, DecodeFailuresAreGridLines) {
  pdftest::Run run("x");
  ASSERT_TRUE(run->AllocateWork());
  run->m_nGridLine = 10;
  run->m_nFailCapacity = 8002000;
  run->WriteDecodeFailure(convert::kPdfDecodeTooLarge);
  const std::uint8_t* line = run->GridLine(12);
  ASSERT_NE(nullptr, line);
  EXPECT_EQ(" [8MB]", std::string(reinterpret_cast<const char*>(line), 6));
  const std::string all(reinterpret_cast<const char*>(line), convert::kPdfGridColumns);
  EXPECT_NE(std::string::npos, all.find(" 012"));
  EXPECT_EQ(13, run->m_nGridLine);
  EXPECT_EQ(0, run->GridLine(11)[0]);
  EXPECT_EQ(convert::kPdfEmptyCell, run->GridLine(11)[1]);
  // Out of memory stops the walk: the cursor goes to the end.
  run->WriteDecodeFailure(convert::kPdfDecodeNoMemory);
  EXPECT_EQ(run->m_nConvSize, run->m_nConvPos);
  // Lines beyond the table rows are not written.
  convert::PdfRunWords words;
  words.tblMax = 20;
  pdftest::Run small("x", 0, words);
  EXPECT_NE(nullptr, small->GridLine(16));
  EXPECT_EQ(nullptr, small->GridLine(17));
  EXPECT_EQ(nullptr, small->GridLine(-1));
  small->m_nGridLine = 16;
  small->WriteDecodeFailure(convert::kPdfDecodeFailed);  // nothing to write into, no fault
}

}  // namespace
