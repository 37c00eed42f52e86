// The picture saver: what it writes for JPEG, PNG, fax and other data, the
// TIFF header read back by tiffinfo and Pillow, short data, the converter
// host asked once (or not at all), and a scratch folder that cannot be
// written.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "convert/convert_host.h"
#include "convert/picture_save.h"
#include "core/docsvc/backup.h"
#include "support/file_bytes.h"
#include "support/outside_tool.h"
#include "support/temp_folder.h"

namespace {

using convert::EmbeddedImageFile;
using convert::PlanEmbeddedImage;

std::vector<std::uint8_t> V(std::initializer_list<int> bytes) {
  std::vector<std::uint8_t> v;
  for (int b : bytes) v.push_back(static_cast<std::uint8_t>(b));
  return v;
}

EmbeddedImageFile Plan(const std::vector<std::uint8_t>& d, int mode = 0) {
  return PlanEmbeddedImage(d.data(), d.size(), 4, mode, 0, 0);
}

// An APP14 segment right after FF D8 with the given transform byte.
std::vector<std::uint8_t> AdobeJpeg(int transform, bool withStart = true) {
  std::vector<std::uint8_t> v;
  if (withStart) v = V({0xFF, 0xD8});
  auto app = V({0xFF, 0xEE, 0x00, 0x0E, 'A', 'd', 'o', 'b', 'e', 0x00, 0x64, 0x80, 0x00, 0x00, 0x00});
  app.push_back(static_cast<std::uint8_t>(transform));
  v.insert(v.end(), app.begin(), app.end());
  v.push_back(0xFF);
  v.push_back(0xD9);
  return v;
}

TEST(PictureSave, TheFirstBytesChooseFileKindAndLoadMode) {
  const struct {
    const char* what;
    std::vector<std::uint8_t> data;
    const char* name;
    int kind, loadMode;
  } cases[] = {
      {"png", V({0x89, 'P', 'N', 'G', 0x0D, 0x0A}), "pdftmp.PNG", 14, 0},
      {"jpeg", V({0xFF, 0xD8, 0xFF, 0xE0, 0, 0}), "pdftmp.jpg", 13, 0},
      {"jpeg without its start", V({0xFF, 0xE0, 0x00, 0x10}), "pdftmp.jpg", 13, 0},
      {"adobe transform 0", AdobeJpeg(0), "pdftmp.jpg", 13, 2},
      {"adobe transform 2", AdobeJpeg(2), "pdftmp.jpg", 13, 0},
      {"adobe without FF D8", AdobeJpeg(0, false), "pdftmp.jpg", 13, 2},  // FF D8 put in front, APP14 first
      {"other", V({'B', 'M', 1, 2}), "pdftmp.TMP", 22, 0},
      {"FF then a byte outside D0-EF", V({0xFF, 0xF0, 1}), "pdftmp.TMP", 22, 0},
      {"empty", {}, "pdftmp.TMP", 22, 0},
  };
  for (const auto& c : cases) {
    const EmbeddedImageFile f = Plan(c.data);
    EXPECT_STREQ(c.name, f.name) << c.what;
    EXPECT_EQ(c.kind, f.fileKind) << c.what;
    EXPECT_EQ(c.loadMode, f.loadMode) << c.what;
  }
  // FF D8 goes in front of data without it; the rest is the data.
  const auto bare = V({0xFF, 0xE0, 0x00, 0x10});
  EXPECT_EQ(V({0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10}), Plan(bare).bytes);
  // Transform 2 is written as 1; every other byte as it was.
  auto two = AdobeJpeg(2);
  auto written = Plan(two).bytes;
  ASSERT_EQ(two.size(), written.size());
  EXPECT_EQ(1, written[17]);
  two[17] = 1;
  EXPECT_EQ(two, written);
  EXPECT_EQ(AdobeJpeg(0), Plan(AdobeJpeg(0)).bytes);
}

TEST(PictureSave, ShortDataIsReadOnlyAsFarAsItGoes) {
  // Exactly sized blocks: a read past them is a sanitizer finding.
  for (std::size_t n : {0, 1, 2, 3, 10, 15, 16}) {
    for (const auto& head : {V({0xFF, 0xD8, 0xFF, 0xEE, 0, 0, 'A', 'd'}), V({0xFF, 0xEE, 0, 0, 'A', 'd'}),
                             V({0x89, 'P', 'N'})}) {
      std::vector<std::uint8_t> d(head.begin(), head.end());
      d.resize(n, 0x80);
      auto* exact = new std::uint8_t[n ? n : 1];
      std::copy(d.begin(), d.end(), exact);
      const EmbeddedImageFile f = PlanEmbeddedImage(exact, n, 0, 0, 0, 0);
      delete[] exact;
      EXPECT_GE(f.bytes.size(), n);
      if (n < 4 && head[0] == 0x89) EXPECT_EQ(22, f.fileKind) << n;  // too short for the PNG head
    }
  }
}

class RecordingHost : public convert::ConvertHost {
 public:
  int LoadPicture(const CString& path, int loadMode) override {
    calls.push_back({std::string(path), loadMode});
    return result;
  }
  std::vector<std::pair<std::string, int>> calls;
  int result = 0;
};

TEST(PictureSave, WritesTheScratchFileAndAsksTheHostOnce) {
  testsupport::TempProgramFolder prog;
  ASSERT_TRUE(docsvc::EnsureScratchFolders(prog.Path().c_str()));
  RecordingHost host;
  host.result = 7;
  convert::PictureSaveContext ctx;
  ctx.programDir = prog.Path().c_str();
  ctx.host = &host;
  const auto jpeg = AdobeJpeg(0);
  EXPECT_EQ(7, convert::PdfSaveEmbeddedImage(ctx, jpeg.data(), jpeg.size(), 0, 0, 0, 0));
  ASSERT_EQ(1u, host.calls.size());
  EXPECT_EQ(std::string(docsvc::ScratchDir(ctx.programDir)) + "\\pdftmp.jpg", host.calls[0].first);
  EXPECT_EQ(2, host.calls[0].second);
  EXPECT_EQ(13, ctx.m_nFileKind);
  EXPECT_EQ(host.calls[0].first, std::string(ctx.m_strConvImage));
  EXPECT_EQ(std::string(jpeg.begin(), jpeg.end()), testsupport::ReadFileBytes(prog.File("TMP/pdftmp.jpg")));

  // Without a host the file is written and nothing loaded.
  convert::PictureSaveContext bare;
  bare.programDir = prog.Path().c_str();
  const auto png = V({0x89, 'P', 'N', 'G', 1, 2, 3});
  EXPECT_EQ(0, convert::PdfSaveEmbeddedImage(bare, png.data(), png.size(), 0, 0, 0, 0));
  EXPECT_EQ(14, bare.m_nFileKind);
  EXPECT_EQ(std::string(png.begin(), png.end()), testsupport::ReadFileBytes(prog.File("TMP/pdftmp.PNG")));
}

TEST(PictureSave, AScratchFolderThatCannotBeWrittenGivesMinusOne) {
  testsupport::TempProgramFolder prog;
  RecordingHost host;
  convert::PictureSaveContext ctx;
  ctx.programDir = (prog.Path() + "/no such folder").c_str();
  ctx.host = &host;
  const auto png = V({0x89, 'P', 'N', 'G'});
  EXPECT_EQ(-1, convert::PdfSaveEmbeddedImage(ctx, png.data(), png.size(), 0, 0, 0, 0));
  EXPECT_TRUE(host.calls.empty());
  EXPECT_TRUE(ctx.m_strConvImage.IsEmpty());
}

#ifndef _WIN32
TEST(PictureSave, FaxDataGetsATiffHeaderThatOutsideReadersAccept) {
  REQUIRE_TOOLS("tiffinfo");
  if (!std::filesystem::exists("/usr/bin/python3")) GTEST_SKIP() << "Debian's python3 with python3-pil is needed";
  testsupport::TempProgramFolder prog;
  ASSERT_TRUE(docsvc::EnsureScratchFolders(prog.Path().c_str()));
  const std::vector<std::uint8_t> fax(300, 0x55);
  const struct {
    int mode, compression, width, height, photometric;
    const char* pilCompression;
  } cases[] = {{-1, 4, 1728, 40, 0, "group4"}, {-2, 3, 640, 12, 1, "group3"}};
  for (const auto& c : cases) {
    convert::PictureSaveContext ctx;
    ctx.programDir = prog.Path().c_str();
    ASSERT_EQ(0, convert::PdfSaveEmbeddedImage(ctx, fax.data(), fax.size(), c.compression, c.mode, c.width,
                                                c.height));
    EXPECT_EQ(16, ctx.m_nFileKind);
    const std::string path = prog.File("TMP/pdftmp.tif");
    const std::string bytes = testsupport::ReadFileBytes(path);
    ASSERT_EQ(128u + fax.size(), bytes.size());
    const std::string info = testsupport::RunCapture("tiffinfo '" + path + "' 2>&1");
    EXPECT_NE(std::string::npos, info.find("Image Width: " + std::to_string(c.width) +
                                           " Image Length: " + std::to_string(c.height)))
        << info;
    EXPECT_NE(std::string::npos, info.find(c.compression == 4 ? "CCITT Group 4" : "CCITT Group 3")) << info;
    EXPECT_NE(std::string::npos, info.find(c.photometric ? "min-is-black" : "min-is-white")) << info;
    const std::string pil = testsupport::RunCapture(
        "/usr/bin/python3 -c \"import sys; from PIL import Image; im = Image.open(sys.argv[1]); "
        "print(im.size[0], im.size[1], im.info.get('compression'), im.tag_v2[262], (lambda v: v[0] if isinstance(v, tuple) else v)(im.tag_v2[279]))\" '" +
        path + "' 2>&1");
    EXPECT_EQ(std::to_string(c.width) + " " + std::to_string(c.height) + " " + c.pilCompression + " " +
                  std::to_string(c.photometric) + " 300\n",
              pil);
  }
}
#endif

}  // namespace
