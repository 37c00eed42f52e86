// One picture of a PDF written out, and the raw saver: the BMP header and
// palette tables, rows bottom-up and padded, red and blue exchanged, sizes
// it refuses (nothing written, -1); the picture a marker names saved by its
// filter through a file system held in memory, and through the converter
// table into a program folder with a recording host.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "convert/convert_host.h"
#include "convert/convert_registry.h"
#include "convert/pdf_converter.h"
#include "convert/picture_save.h"
#include "convert/source_file.h"
#include "core/docsvc/backup.h"
#include "pdf_page_util.h"
#include "support/file_bytes.h"
#include "support/temp_folder.h"

namespace {

using pdf_page::Build;
using pdf_page::Stream;

std::uint32_t U32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

std::vector<std::uint8_t> Plan(const std::vector<std::uint8_t>& samples, int w, int h, int bits, int* mode,
                               const std::uint8_t* palette = nullptr, std::int64_t total = -1, bool* ok = nullptr) {
  std::vector<std::uint8_t> bmp;
  const bool made = convert::PlanRawBmp(samples.data(), samples.size(), palette, palette ? 1 : 0,
                                        total < 0 ? static_cast<std::int64_t>(samples.size()) : total, w, h, bits,
                                        mode, &bmp);
  if (ok) *ok = made;
  return bmp;
}

TEST(PdfRawBmp, HeaderTableRowSizesAndPalettes) {
  const struct {
    int bits, width;
    std::uint32_t header, row;
  } cases[] = {{1, 10, 62, 4}, {1, 33, 62, 8}, {4, 9, 118, 8}, {8, 5, 1078, 8},
               {2, 7, 1078, 4}, {16, 3, 1078, 8}, {24, 5, 54, 16}, {32, 5, 54, 16}};
  for (const auto& c : cases) {
    int mode = 0;
    const std::vector<std::uint8_t> samples(4096, 0x5A);
    const auto b = Plan(samples, c.width, 3, c.bits, &mode);
    ASSERT_EQ(c.header + c.row * 3, b.size()) << c.bits << " " << c.width;
    EXPECT_EQ('B', b[0]);
    EXPECT_EQ('M', b[1]);
    EXPECT_EQ(b.size(), U32(b, 2));
    EXPECT_EQ(c.header, U32(b, 10));
    EXPECT_EQ(40u, U32(b, 14));
    EXPECT_EQ(static_cast<std::uint32_t>(c.width), U32(b, 18));
    EXPECT_EQ(3u, U32(b, 22));
    EXPECT_EQ(1, b[26]);
    EXPECT_EQ(c.bits == 32 ? 24 : c.bits, b[28]);
    EXPECT_EQ(c.row * 3, U32(b, 34));
    EXPECT_EQ(3780u, U32(b, 38));
    EXPECT_EQ(3780u, U32(b, 42));
  }
  // 1 bit: black and white, reversed by load mode 99 (which becomes 0).
  int mode = 0;
  auto b = Plan({0x80}, 1, 1, 1, &mode);
  EXPECT_EQ((std::vector<std::uint8_t>{0, 0, 0, 0, 255, 255, 255, 0}), std::vector<std::uint8_t>(b.begin() + 54, b.begin() + 62));
  mode = 99;
  b = Plan({0x80}, 1, 1, 1, &mode);
  EXPECT_EQ((std::vector<std::uint8_t>{255, 255, 255, 0, 0, 0, 0, 0}), std::vector<std::uint8_t>(b.begin() + 54, b.begin() + 62));
  EXPECT_EQ(0, mode);
  // 4 bits: the first 16 entries, entry 15 white; 8 bits: 256 entries,
  // blue green red 0; the grey ramp without a palette.
  std::uint8_t pal[768];
  for (int i = 0; i < 768; ++i) pal[i] = static_cast<std::uint8_t>(i * 7);
  mode = 0;
  b = Plan({0x12}, 2, 1, 4, &mode, pal);
  EXPECT_EQ(pal[2], b[54]);
  EXPECT_EQ(pal[0], b[56]);
  EXPECT_EQ(255, b[54 + 15 * 4]);
  EXPECT_EQ(255, b[54 + 15 * 4 + 2]);
  b = Plan({1}, 1, 1, 8, &mode, pal);
  EXPECT_EQ(pal[255 * 3 + 2], b[54 + 255 * 4]);
  EXPECT_EQ(pal[255 * 3], b[54 + 255 * 4 + 2]);
  EXPECT_EQ(0, b[54 + 255 * 4 + 3]);
  b = Plan({1}, 1, 1, 8, &mode);
  EXPECT_EQ(200, b[54 + 200 * 4 + 1]);
}

TEST(PdfRawBmp, RowsBottomUpPaddedAndRedBlueExchanged) {
  int mode = 0;
  // 2 x 2 RGB: rows top-down in, bottom-up out, each padded to 8 bytes.
  const std::vector<std::uint8_t> rgb = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  auto b = Plan(rgb, 2, 2, 24, &mode);
  EXPECT_EQ((std::vector<std::uint8_t>{9, 8, 7, 12, 11, 10, 0, 0, 3, 2, 1, 6, 5, 4, 0, 0}),
            std::vector<std::uint8_t>(b.begin() + 54, b.end()));
  // 32-bit input loses every fourth byte.
  const std::vector<std::uint8_t> four = {1, 2, 3, 99, 4, 5, 6, 99};
  b = Plan(four, 2, 1, 32, &mode);
  EXPECT_EQ((std::vector<std::uint8_t>{3, 2, 1, 6, 5, 4, 0, 0}), std::vector<std::uint8_t>(b.begin() + 54, b.end()));
  // Short data and a smaller total: the rows not reached are zero.
  const std::vector<std::uint8_t> grey = {10, 11, 12, 20, 21, 22, 30};
  b = Plan(grey, 3, 3, 8, &mode);
  EXPECT_EQ((std::vector<std::uint8_t>{30, 0, 0, 0, 20, 21, 22, 0, 10, 11, 12, 0}),
            std::vector<std::uint8_t>(b.begin() + 1078, b.end()));
  b = Plan(grey, 3, 3, 8, &mode, nullptr, 3);
  EXPECT_EQ((std::vector<std::uint8_t>{0, 0, 0, 0, 0, 0, 0, 0, 10, 11, 12, 0}),
            std::vector<std::uint8_t>(b.begin() + 1078, b.end()));
}

TEST(PdfRawBmp, SizesThatWouldContradictTheHeaderWriteNothing) {
  const struct {
    int w, h, bits;
  } refused[] = {{70000, 1, 8}, {1, 70000, 8}, {10667, 1, 24}, {32001, 1, 8}, {256001, 1, 1},
                 {0, 5, 8},     {5, 0, 8},     {-3, 5, 8},     {5, 5, 48},    {5, 5, 0},  {5, 5, 25}};
  for (const auto& r : refused) {
    int mode = 0;
    bool ok = true;
    const auto b = Plan(std::vector<std::uint8_t>(16), r.w, r.h, r.bits, &mode, nullptr, -1, &ok);
    EXPECT_FALSE(ok) << r.w << "x" << r.h << " " << r.bits;
    EXPECT_TRUE(b.empty());
  }
  // A file over 256 MB: 32,000-byte rows, 8,390 of them.
  {
    int m = 0;
    bool big = true;
    Plan(std::vector<std::uint8_t>(16), 32000, 8390, 8, &m, nullptr, -1, &big);
    EXPECT_FALSE(big);
  }
  // Just inside: 10,666 pixels of 24 bits make a row of 32,000 bytes.
  int mode = 0;
  bool ok = false;
  Plan(std::vector<std::uint8_t>(16), 10666, 1, 24, &mode, nullptr, -1, &ok);
  EXPECT_TRUE(ok);
}

class RecordingHost : public convert::ConvertHost {
 public:
  int LoadPicture(const CString& path, int loadMode) override {
    calls.push_back({std::string(path), loadMode});
    return 5;
  }
  std::vector<std::pair<std::string, int>> calls;
};

// A file system of memory for the savers.
struct MemoryFiles {
  std::map<std::string, std::vector<std::uint8_t>> files;
  void Bind(convert::PictureSaveContext& ctx) {
    ctx.write = [this](const CString& p, const std::uint8_t* b, std::size_t n) {
      files[std::string(p)] = std::vector<std::uint8_t>(b, b + n);
      return true;
    };
    ctx.read = [this](const CString& p, std::vector<std::uint8_t>* bytes) {
      auto it = files.find(std::string(p));
      if (it == files.end()) return false;
      *bytes = it->second;
      return true;
    };
  }
};

TEST(PdfRawBmp, TheSaverReadsTempTxtWritesThePictureAndLoadsIt) {
  MemoryFiles fs;
  RecordingHost host;
  convert::PictureSaveContext ctx;
  ctx.programDir = "P";
  ctx.host = &host;
  fs.Bind(ctx);
  // No "\TMP\temp.txt": -1, nothing written or loaded.
  EXPECT_EQ(-1, convert::PdfSaveRawImageAsBmp(ctx, nullptr, 0, 4, 2, 2, 8, 0));
  EXPECT_TRUE(fs.files.empty());
  const std::string dir = std::string(docsvc::ScratchDir("P"));
  fs.files[dir + "\\temp.txt"] = {1, 2, 3, 4};
  EXPECT_EQ(5, convert::PdfSaveRawImageAsBmp(ctx, nullptr, 0, 4, 2, 2, 1, 99));
  ASSERT_EQ(1u, host.calls.size());
  EXPECT_EQ(dir + "\\pdftmp.bmp", host.calls[0].first);
  EXPECT_EQ(0, host.calls[0].second);
  EXPECT_EQ(12, ctx.m_nFileKind);
  EXPECT_EQ(dir + "\\pdftmp.bmp", std::string(ctx.m_strConvImage));
  EXPECT_EQ(62u + 8u, fs.files[dir + "\\pdftmp.bmp"].size());
  // A width of 70,000: -1, no picture file, no load.
  convert::PictureSaveContext wide;
  wide.programDir = "P";
  wide.host = &host;
  fs.Bind(wide);
  fs.files.erase(dir + "\\pdftmp.bmp");
  EXPECT_EQ(-1, convert::PdfSaveRawImageAsBmp(wide, nullptr, 0, 4, 70000, 1, 8, 0));
  EXPECT_EQ(0u, fs.files.count(dir + "\\pdftmp.bmp"));
  EXPECT_EQ(1u, host.calls.size());
  EXPECT_EQ(0, wide.m_nFileKind);
}

// The reader run over a PDF with a picture asked for, on memory files.
struct PictureRun {
  std::string bytes;
  convert::LoadBuffer out;
  MemoryFiles fs;
  RecordingHost host;
  std::unique_ptr<convert::PdfConverter> pdf;
  PictureRun(const std::string& file, int number, int letter) : bytes(file) {
    bytes.resize(file.size() + 900000);
    convert::PdfRunWords words;
    words.readSize = static_cast<std::int32_t>(file.size());
    words.extractNo = number;
    words.extractLetter = letter;
    words.programDir = "P";
    convert::PictureSaveContext ctx;
    fs.Bind(ctx);
    words.writeFile = ctx.write;
    words.readFile = ctx.read;
    pdf.reset(new convert::PdfConverter(reinterpret_cast<std::uint8_t*>(&bytes[0]),
                                        static_cast<std::int32_t>(file.size()), bytes.size(), words, out, &host));
    pdf->Run();
  }
  std::string text() const { return std::string(out.Data(), out.Size()); }
  std::vector<std::uint8_t> file(const char* name) {
    return fs.files[std::string(docsvc::ScratchDir("P")) + "\\" + name];
  }
};

std::string PicturePdf(const std::string& imageDict, const std::string& data) {
  return Build({"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                "<< /Type /Page /MediaBox [0 0 595 842] /Resources << /XObject << /Im1 5 0 R >> >> "
                "/Contents 4 0 R >>",
                Stream("", "q 100 0 0 100 72 600 cm /Im1 Do Q"),
                Stream("/Type /XObject /Subtype /Image " + imageDict, data)});
}

TEST(PdfPicture, EachFilterGoesToItsSaver) {
  // JPEG data as it is; the number grows by 200,000, the letter becomes its number.
  const std::string jpeg("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\xFF\xD9", 14);
  {
    PictureRun run(PicturePdf("/Width 16 /Height 16 /BitsPerComponent 8 /ColorSpace /DeviceRGB /Filter /DCTDecode",
                              jpeg),
                   5, 'a');
    const auto f = run.file("pdftmp.jpg");
    EXPECT_EQ(jpeg, std::string(f.begin(), f.end()));
    EXPECT_EQ(200005, run.pdf->m_words.extractNo);
    EXPECT_EQ(0, run.pdf->m_words.extractLetter);
    EXPECT_EQ(13, run.pdf->m_nPictureKind);
    ASSERT_EQ(1u, run.host.calls.size());
  }
  // Fax data: a TIFF header with compression 4 for /K -1, photometric 1 for
  // /Decode [1 0]; 3 otherwise; the number grows by 300,000.
  for (const char* k : {"-1", "0"}) {
    for (bool reversed : {false, true}) {
      PictureRun run(PicturePdf(std::string("/Width 64 /Height 8 /BitsPerComponent 1 /ColorSpace /DeviceGray ") +
                                    (reversed ? "/Decode [1 0] " : "") +
                                    "/Filter /CCITTFaxDecode /DecodeParms << /K " + k + " /Columns 64 >>",
                                "faxbytes"),
                     5, 'g');
      const auto f = run.file("pdftmp.tif");
      ASSERT_EQ(128u + 8u, f.size()) << k;
      EXPECT_EQ(k[0] == '-' ? 4 : 3, f[34 + 8]) << k;
      EXPECT_EQ(reversed ? 1 : 0, f[46 + 8]);
      EXPECT_EQ(64, f[10 + 8]);
      EXPECT_EQ(300005, run.pdf->m_words.extractNo);
      EXPECT_EQ(6, run.pdf->m_words.extractLetter);
    }
  }
  // Plain grey samples: through "\TMP\temp.txt" to the BMP; +100,000.
  {
    const std::string grey = "ABCDEFGHIJKL";
    PictureRun run(PicturePdf("/Width 4 /Height 3 /BitsPerComponent 8 /ColorSpace /DeviceGray", grey), 5, 'b');
    const auto temp = run.file("temp.txt");
    EXPECT_EQ(grey, std::string(temp.begin(), temp.end()));
    const auto bmp = run.file("pdftmp.bmp");
    ASSERT_EQ(1078u + 12u, bmp.size());
    EXPECT_EQ("IJKLEFGHABCD", std::string(bmp.begin() + 1078, bmp.end()));
    EXPECT_EQ(100005, run.pdf->m_words.extractNo);
    EXPECT_EQ(12, run.pdf->m_nPictureKind);
  }
  // An indexed picture's lookup table is the palette.
  {
    PictureRun run(PicturePdf("/Width 2 /Height 1 /BitsPerComponent 8 /ColorSpace [/Indexed /DeviceRGB 1 <102030 405060>]",
                              std::string("\x01\x00", 2)),
                   5, 'a');
    const auto bmp = run.file("pdftmp.bmp");
    ASSERT_EQ(1078u + 4u, bmp.size());
    EXPECT_EQ((std::vector<std::uint8_t>{0x30, 0x20, 0x10, 0, 0x60, 0x50, 0x40, 0}),
              std::vector<std::uint8_t>(bmp.begin() + 54, bmp.begin() + 62));
  }
}

TEST(PdfPicture, WhatCannotBeShownSaysSoOrKeepsTheText) {
  // An object that is no image, a number no object has, a filter the reader
  // cannot undo: string 210, nothing written, the number as it was.
  for (int number : {3, 4, 40}) {
    PictureRun run(PicturePdf("/Width 4 /Height 3 /BitsPerComponent 8 /ColorSpace /DeviceGray", "ABCDEFGHIJKL"),
                   number, 'a');
    EXPECT_EQ(0u, run.text().find("\x91\xce")) << number << run.text();  // "対応..."
    EXPECT_TRUE(run.fs.files.empty());
    EXPECT_EQ(number, run.pdf->m_words.extractNo);
  }
  {
    PictureRun run(PicturePdf("/Width 4 /Height 3 /BitsPerComponent 8 /ColorSpace /DeviceGray /Filter /RunLengthDecode",
                              "ABCDEFGHIJKL"),
                   5, 'a');
    EXPECT_NE(std::string::npos, run.text().find("\x91\xce")) << run.text();
    EXPECT_TRUE(run.fs.files.empty());
  }
  // Damaged Flate data: the failure line of string 210.
  {
    PictureRun run(PicturePdf("/Width 40 /Height 30 /BitsPerComponent 8 /ColorSpace /DeviceGray /Filter /FlateDecode",
                              std::string("\x78\x9C\xFF\xFF\xFF", 5)),
                   5, 'a');
    EXPECT_NE(std::string::npos, run.text().find(" 012")) << run.text();
    EXPECT_EQ(0u, run.fs.files.count(std::string(docsvc::ScratchDir("P")) + "\\pdftmp.bmp"));
  }
  // A width of 70,000: nothing written, the page's text with its marker
  // comes back and the number stays.
  {
    PictureRun run(PicturePdf("/Width 70000 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceGray", std::string(70000, 'x')),
                   5, 'a');
    EXPECT_NE(std::string::npos, run.text().find("[Image5]")) << run.text();
    EXPECT_EQ(5, run.pdf->m_words.extractNo);
    EXPECT_EQ(0, run.pdf->m_nPictureKind);
    EXPECT_TRUE(run.host.calls.empty());
  }
  // Letter 0 (no marker letter): the normal text.
  {
    PictureRun run(PicturePdf("/Width 4 /Height 3 /BitsPerComponent 8 /ColorSpace /DeviceGray", "ABCDEFGHIJKL"), 5, 0);
    EXPECT_NE(std::string::npos, run.text().find("[Image5]")) << run.text();
    EXPECT_TRUE(run.fs.files.empty());
  }
}

TEST(PdfPicture, ThroughTheConverterTableIntoTheProgramFolder) {
  testsupport::TempProgramFolder prog;
  ASSERT_TRUE(docsvc::EnsureScratchFolders(prog.Path().c_str()));
  RecordingHost host;
  const std::string jpeg("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\xFF\xD9", 14);
  const std::string pdf =
      PicturePdf("/Width 16 /Height 16 /BitsPerComponent 8 /ColorSpace /DeviceRGB /Filter /DCTDecode", jpeg);
  convert::Request q;
  q.path = "t.pdf";
  q.kind = 11;
  q.limits.indata = 204800;
  q.limits.outdata = 2000000;
  q.limits.tableRows = 5000;
  q.m_nExtractNo = 5;
  q.m_nExtractLetter = 'a';
  q.m_strProgramDir = prog.Path().c_str();
  q.host = &host;
  q.open = [pdf](const CString&) { return std::unique_ptr<convert::SourceFile>(new convert::OwnedMemorySource(pdf)); };
  const convert::Result r = convert::ConvertFile(q);
  EXPECT_EQ(200005, r.m_nExtractNo);
  EXPECT_EQ(13, r.fileKind);
  EXPECT_EQ(std::string(docsvc::ScratchDir(q.m_strProgramDir)) + "\\pdftmp.jpg", std::string(r.m_strConvImage));
  EXPECT_EQ(jpeg, testsupport::ReadFileBytes(prog.File("TMP/pdftmp.jpg")));
  ASSERT_EQ(1u, host.calls.size());
}

}  // namespace
