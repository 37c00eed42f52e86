// The structure dump and the pictures of PDFs made by scripts, reportlab,
// qpdf, ImageMagick and tiff2pdf, checked with outside tools: qpdf's
// decoded streams, pdfimages' pictures compared by Pillow, tiffinfo.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "convert/convert_host.h"
#include "convert/convert_registry.h"
#include "convert/source_file.h"
#include "core/docsvc/backup.h"
#include "support/file_bytes.h"
#include "support/outside_tool.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

fs::path Fixtures() {
  static const fs::path dir = testsupport::ScriptFixtures("tests/convert/make_pdf_pictures.sh", "pdf_pictures");
  return dir;
}

#define REQUIRE_FIXTURES()                                                                              \
  REQUIRE_TOOLS("qpdf", "pdfimages", "tiff2pdf", "tiffinfo", "convert", "flock");                      \
  if (!fs::exists("/usr/bin/python3")) GTEST_SKIP() << "Debian's python3 with PIL and reportlab is needed"; \
  ASSERT_FALSE(Fixtures().empty()) << "make_pdf_pictures.sh failed"

std::string Read(const fs::path& p) { return testsupport::ReadFileBytes(p.string()); }

class RecordingHost : public convert::ConvertHost {
 public:
  int LoadPicture(const CString& path, int loadMode) override {
    calls.push_back({std::string(path), loadMode});
    return 1;
  }
  std::vector<std::pair<std::string, int>> calls;
};

convert::Result Open(const std::string& pdf, int context, std::uint32_t sizeHigh, int editMode, int number = 0,
                    const std::string& programDir = "", convert::ConvertHost* host = nullptr) {
  convert::Request q;
  q.path = "t.pdf";
  q.kind = 11;
  q.limits.indata = 204800;
  q.limits.outdata = 2000000;
  q.limits.tableRows = 5000;
  q.openContext = context;
  q.m_bSizeHigh = sizeHigh;
  q.m_nDocEditMode = editMode;
  q.m_nExtractNo = number;
  q.m_nExtractLetter = number ? 'a' : 0;
  q.m_strProgramDir = programDir.c_str();
  q.host = host;
  q.open = [pdf](const CString&) { return std::unique_ptr<convert::SourceFile>(new convert::OwnedMemorySource(pdf)); };
  return convert::ConvertFile(q);
}

std::map<std::string, int> PictureObjects() {
  std::map<std::string, int> m;
  std::ifstream f(Fixtures() / "objects.txt");
  std::string name;
  int number = 0;
  while (f >> name >> number) m[name] = number;
  return m;
}

std::string Python(const std::string& code, const std::string& args) {
  return testsupport::RunCapture("/usr/bin/python3 -c \"" + code + "\" " + args + " 2>&1");
}

// Pillow's verdict on two pictures: "same" when every pixel is equal in RGB.
std::string SamePixels(const std::string& a, const std::string& b) {
  return Python(
      "import sys; from PIL import Image, ImageChops; x = Image.open(sys.argv[1]).convert('RGB'); "
      "y = Image.open(sys.argv[2]).convert('RGB'); "
      "print('same' if x.size == y.size and ImageChops.difference(x, y).getbbox() is None else 'differ %s %s' % (x.size, y.size))",
      "'" + a + "' '" + b + "'");
}

TEST(PdfPictureOracle, BitmapsEqualWhatPdfimagesExtracts) {
  REQUIRE_FIXTURES();
  const auto objects = PictureObjects();
  for (const char* name : {"rgb", "lzw", "grey", "raw", "a85", "indexed", "bits1", "bits1plain"}) {
    testsupport::TempProgramFolder prog;
    ASSERT_TRUE(docsvc::EnsureScratchFolders(prog.Path().c_str()));
    RecordingHost host;
    const int number = objects.at(name);
    const convert::Result r = Open(Read(Fixtures() / (std::string(name) + ".pdf")), 0, 0, 0, number, prog.Path(), &host);
    EXPECT_EQ(number + 100000, r.m_nExtractNo) << name;
    EXPECT_EQ(12, r.fileKind) << name;
    ASSERT_EQ(1u, host.calls.size()) << name;
    EXPECT_EQ(0, host.calls[0].second) << name;
    const std::string bmp = prog.File("TMP/pdftmp.bmp");
    EXPECT_EQ("same\n", SamePixels(bmp, (Fixtures() / (std::string(name) + ".pi-000.png")).string())) << name;
  }
  // A 1-bit picture 10 wide: rows of 4 bytes behind a 62-byte header.
  testsupport::TempProgramFolder prog;
  ASSERT_TRUE(docsvc::EnsureScratchFolders(prog.Path().c_str()));
  Open(Read(Fixtures() / "bits1.pdf"), 0, 0, 0, objects.at("bits1"), prog.Path());
  const std::string bmp = Read(prog.File("TMP/pdftmp.bmp"));
  EXPECT_EQ(62u + 4u * 12u, bmp.size());
}

TEST(PdfPictureOracle, JpegAndFaxPictures) {
  REQUIRE_FIXTURES();
  const auto objects = PictureObjects();
  {
    testsupport::TempProgramFolder prog;
    ASSERT_TRUE(docsvc::EnsureScratchFolders(prog.Path().c_str()));
    const convert::Result r = Open(Read(Fixtures() / "dct.pdf"), 0, 0, 0, objects.at("dct"), prog.Path());
    EXPECT_EQ(Read(Fixtures() / "dct.jpg"), Read(prog.File("TMP/pdftmp.jpg")));
    EXPECT_EQ(objects.at("dct") + 200000, r.m_nExtractNo);
  }
  {
    // A CMYK JPEG whose Adobe marker says transform 0: load mode 2.
    ASSERT_TRUE(objects.count("cmyk"));
    testsupport::TempProgramFolder prog;
    ASSERT_TRUE(docsvc::EnsureScratchFolders(prog.Path().c_str()));
    RecordingHost host;
    Open(Read(Fixtures() / "cmyk.pdf"), 0, 0, 0, objects.at("cmyk"), prog.Path(), &host);
    ASSERT_EQ(1u, host.calls.size());
    EXPECT_EQ(2, host.calls[0].second);
  }
  ASSERT_TRUE(objects.count("g4"));
  testsupport::TempProgramFolder prog;
  ASSERT_TRUE(docsvc::EnsureScratchFolders(prog.Path().c_str()));
  const convert::Result r = Open(Read(Fixtures() / "g4.pdf"), 0, 0, 0, objects.at("g4"), prog.Path());
  EXPECT_EQ(objects.at("g4") + 300000, r.m_nExtractNo);
  EXPECT_EQ(16, r.fileKind);
  const std::string tif = prog.File("TMP/pdftmp.tif");
  const std::string info = testsupport::RunCapture("tiffinfo '" + tif + "' 2>&1");
  EXPECT_NE(std::string::npos, info.find("Image Width: 120 Image Length: 50")) << info;
  EXPECT_NE(std::string::npos, info.find("CCITT Group 4")) << info;
  EXPECT_EQ("same\n", SamePixels(tif, (Fixtures() / "g4.src.png").string()));
}

TEST(PdfDumpOracle, StreamsShowWhatQpdfDecodes) {
  REQUIRE_FIXTURES();
  // 300 bytes behind a small Flate stream: 16 rows and the dotted line.
  const std::string three = Read(Fixtures() / "three.bin");
  const std::string text = Open(Read(Fixtures() / "flate300.pdf"), 2, 0, 0).text;
  EXPECT_EQ(0u, text.find("%P"));
  std::string rows;
  static const char d[] = "0123456789abcdef";
  for (std::size_t i = 0; i < 256; ++i) {
    if (i % 16 == 0) rows += "\r\n";
    rows += d[static_cast<unsigned char>(three[i]) >> 4];
    rows += d[three[i] & 15];
    rows += ' ';
  }
  EXPECT_NE(std::string::npos, text.find(rows + "\r\n ................ \r\n")) << text;
  EXPECT_NE(std::string::npos, rows.find("0a ff 30 30 "));

  // ASCII85 over Flate made by Python.
  const std::string a85 = Open(Read(Fixtures() / "a85text.pdf"), 2, 0, 1).text;
  EXPECT_NE(std::string::npos, a85.find("stream\r\n" + Read(Fixtures() / "a85text.bin"))) << a85;

  // Every content stream of a reportlab file in the text form, as qpdf
  // decodes it.
  const fs::path lab = Fixtures() / "lab.pdf";
  const std::string dump = Open(Read(lab), 2, 0, 1).text;
  const std::string pages = testsupport::RunCapture("qpdf --show-pages '" + lab.string() + "'");
  std::istringstream in(pages);
  std::string line;
  int contents = 0;
  bool inContent = false;
  while (std::getline(in, line)) {
    // "  content:" and then one "    N 0 R" line per stream.
    if (line.find("content:") != std::string::npos) {
      inContent = true;
      continue;
    }
    const std::size_t digit = line.find_first_not_of(' ');
    if (!inContent || digit == 0 || digit == std::string::npos || !std::isdigit(static_cast<unsigned char>(line[digit])) ||
        line.find(" 0 R") == std::string::npos) {
      inContent = false;
      continue;
    }
    const int obj = std::stoi(line);
    const std::string decoded = testsupport::RunCapture("qpdf --show-object=" + std::to_string(obj) +
                                                        " --filtered-stream-data '" + lab.string() + "'");
    ASSERT_FALSE(decoded.empty());
    EXPECT_NE(std::string::npos, dump.find("stream\r\n" + decoded)) << obj;
    ++contents;
  }
  EXPECT_EQ(2, contents);

  // The compact form of the qdf file: every object's end and its offset.
  const fs::path qdf = Fixtures() / "lab.qdf.pdf";
  const std::string compact = Open(Read(qdf), 2, 1, 0).text;
  const std::string offsets = Python(
      "import sys, re; d = open(sys.argv[1], 'rb').read(); print(' '.join(str(m.end()) for m in re.finditer(rb'endobj', d)))",
      "'" + qdf.string() + "'");
  std::istringstream offs(offsets);
  std::size_t from = 0;
  int ends = 0;
  for (std::string off; offs >> off;) {
    const std::size_t got = compact.find("endobj\n$$               " + off + "\n", from);
    EXPECT_NE(std::string::npos, got) << off;
    if (got != std::string::npos) from = got;
    ++ends;
  }
  EXPECT_GT(ends, 5);
  // The uncompressed qdf form in hexadecimal: each stream's first row.
  const std::string plain = Open(Read(Fixtures() / "lab.plain.pdf"), 2, 0, 0).text;
  EXPECT_NE(std::string::npos, plain.find("stream  adrs = ")) << plain.substr(0, 400);
}

}  // namespace
