// The document's picture entries under Wine: image plug-ins (the stand-in
// plug-in copied as IFPCX2.SPI, IFTIFF.SPI, IFJPEG.SPI), metafiles handed on,
// the raw-deflate inflater's two routes, the zipped save and the file date.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "archive/zip_craft.h"
#include "fw/file.h"
#include "fw/fwtext.h"
#include "image/image_test_host.h"
#include "image/jpeg/jpeg_encoder.h"
#include "shell_fixture.h"
#include "support/file_bytes.h"
#include "support/temp_folder.h"

namespace {

using shelltest::ShellTest;

std::string Bin(const char* name) { return std::string(TABRYE_BIN_ROOT) + "/" + name; }
bool Exists(const std::string& p) { return GetFileAttributesA(p.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string PngBytes() {
  imgtest::PngBuilder b;
  b.Ihdr(3, 2, 8, 2);
  b.Idat({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 10, 11, 12, 13, 14, 15, 16, 17, 18});
  b.End();
  return std::string(b.v.begin(), b.v.end());
}

std::string JpegBytes() {
  std::vector<uint8_t> p(64, 100);
  jpeg::JEncodeParams prm;
  prm.width = prm.height = 8;
  jpeg::JEncoder enc(p.data(), p.data(), p.data());
  enc.SetParams(&prm);
  enc.Encode();
  const uint8_t* d = nullptr;
  int64_t n = 0;
  enc.GetOutput(&d, &n);
  return std::string(reinterpret_cast<const char*>(d), size_t(n));
}

class ImageEntries : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    char buf[MAX_PATH * 2] = {};
    GetCurrentDirectoryA(sizeof buf, buf);
    cwd_ = buf;
    work = std::make_unique<testsupport::TempProgramFolder>();
    prog = std::make_unique<testsupport::TempProgramFolder>();
  }
  void TearDown() override {
    if (doc) doc->ReleaseImageRecord();
    SetCurrentDirectoryA(cwd_.c_str());
    ShellTest::TearDown();
    work.reset();
    prog.reset();
  }
  void Begin(std::initializer_list<const char*> dlls = {}) {
    for (const char* d : dlls) ASSERT_TRUE(CopyFileA(Bin(d).c_str(), prog->File(d).c_str(), FALSE));
    ASSERT_TRUE(Start("", false, prog->Path()));
    SetCurrentDirectoryA(work->Path().c_str());
    doc->m_strPictExt[0] = "pcx";
  }
  int LoadImage(const std::string& path, int option = 0) {
    doc->ReleaseImageRecord();
    doc->m_imageLoad.m_nLoadReady = 0;
    return doc->LoadImageFile(path.c_str(), option);
  }
  void Plugin(const std::string& folderFile) {
    ASSERT_TRUE(CopyFileA(Bin("standin_spi.dll").c_str(), folderFile.c_str(), FALSE));
  }
  std::string W(const char* n) const { return work->File(n); }
  std::string P(const char* n) const { return prog->File(n); }
  std::unique_ptr<testsupport::TempProgramFolder> work, prog;
  std::string cwd_;
};

TEST_F(ImageEntries, PluginFromTheCurrentFolder) {
  Begin();
  testsupport::WriteFileBytes(W("x.pcx"), PngBytes());
  Plugin(W("IFPCX2.SPI"));
  ASSERT_EQ(LoadImage(W("x.pcx")), 0);
  EXPECT_EQ(doc->m_imageLoad.m_nLoadBitsOwner, 2u);
  EXPECT_EQ(doc->m_imageLoad.m_nLoadWidth, 3);
  EXPECT_EQ(doc->m_imageLoad.m_nLoadHeight, 2);
  EXPECT_LE(doc->m_imageLoad.m_nLoadDataSize, doc->m_imageLoad.m_nLoadBitsAlloc);
}

// Fault: the program folder is searched first and the file found is loaded
// by its full path.
TEST_F(ImageEntries, ProgramFolderPluginWins) {
  Begin();
  testsupport::WriteFileBytes(W("x.pcx"), PngBytes());
  testsupport::WriteFileBytes(W("IFPCX2.SPI"), "not a library");
  Plugin(P("IFPCX2.SPI"));
  EXPECT_EQ(LoadImage(W("x.pcx")), 0);
}

TEST_F(ImageEntries, NoPluginGivesMinusTwoWith333) {
  Begin();
  testsupport::WriteFileBytes(W("x.pcx"), PngBytes());
  EXPECT_EQ(LoadImage(W("x.pcx")), -2);
  EXPECT_NE(doc->m_strOpenMessage.Find(fw::LoadText(333)), -1);
}

TEST_F(ImageEntries, TiffAndJpegPlugins) {
  Begin();
  testsupport::WriteFileBytes(W("x.tif"), PngBytes());
  EXPECT_EQ(LoadImage(W("x.tif")), -1);  // the own TIFF loader: not a TIFF
  Plugin(P("IFTIFF.SPI"));
  EXPECT_EQ(LoadImage(W("x.tif")), 0);   // the plug-in takes it
  testsupport::WriteFileBytes(W("x.jpg"), JpegBytes());
  Plugin(P("IFJPEG.SPI"));
  EXPECT_EQ(LoadImage(W("x.jpg")), -1);  // the plug-in decodes no JPEG
  EXPECT_EQ(LoadImage(W("x.jpg"), 1), 0);  // option 1: the own loader
  EXPECT_EQ(doc->m_imageLoad.m_nLoadBitsOwner, 1u);
}

// Opening a picture fills the record and says in the text pane that it
// cannot be shown yet; a second picture replaces the first.
TEST_F(ImageEntries, OpenFileLoadsThePicture) {
  Begin();
  testsupport::WriteFileBytes(W("x.png"), PngBytes());
  testsupport::WriteFileBytes(W("y.png"), PngBytes());
  ASSERT_EQ(doc->OpenFile(W("x.png").c_str(), docopen::OpenMode::kPlain), 0);
  EXPECT_EQ(doc->m_nFileKind, 14);
  EXPECT_EQ(doc->m_imageLoad.m_nLoadReady, 1u);
  EXPECT_NE(std::string(doc->m_pText, doc->m_nTextLen).find("PNG"), std::string::npos);
  ASSERT_EQ(doc->OpenFile(W("y.png").c_str(), docopen::OpenMode::kPlain), 0);
  EXPECT_EQ(doc->m_imageLoad.m_nLoadWidth, 3);
}

TEST_F(ImageEntries, MetafileHandedOnByName) {
  Begin();
  testsupport::WriteFileBytes(W("x.wmf"), "wmf bytes");
  EXPECT_EQ(LoadImage(W("x.wmf")), 0);
  EXPECT_EQ(std::string(doc->m_strCurFile.GetString()), W("x.wmf"));
  EXPECT_EQ(doc->m_nPendingViewCmd, 33);
  EXPECT_EQ(doc->m_imageLoad.m_nLoadReady, 0u);
}

// A stored-block deflate stream of exactly `total` bytes; its data in *plain.
std::vector<uint8_t> StoredStream(size_t total, std::vector<uint8_t>* plain) {
  const size_t blocks = (total + 65539) / 65540;
  size_t payload = total - 5 * blocks;
  std::vector<uint8_t> s;
  for (size_t b = 0; b < blocks; ++b) {
    const size_t n = b + 1 == blocks ? payload : std::min<size_t>(65535, payload - (blocks - 1 - b));
    payload -= n;
    s.push_back(b + 1 == blocks ? 1 : 0);
    s.push_back(uint8_t(n));
    s.push_back(uint8_t(n >> 8));
    s.push_back(uint8_t(~n));
    s.push_back(uint8_t(~n >> 8));
    for (size_t i = 0; i < n; ++i) {
      const uint8_t v = uint8_t(plain->size() * 7);
      s.push_back(v);
      plain->push_back(v);
    }
  }
  return s;
}

TEST_F(ImageEntries, RawInflateRoutesBySize) {
  Begin({"unzip32.dll"});
  ASSERT_NE(doc->m_pfnUnZip, nullptr);
  for (size_t total : {size_t(200000), size_t(200001)}) {
    std::vector<uint8_t> plain;
    std::vector<uint8_t> s = StoredStream(total, &plain);
    ASSERT_EQ(s.size(), total);
    DeleteFileA(P("TMP\\temp.zip").c_str());
    std::vector<uint8_t> buf(total + 400 + plain.size());
    std::copy(s.begin(), s.end(), buf.begin());
    const int n = doc->ExtractZipMemberToTemp(buf.data(), int(total), int(plain.size() + 1), 2);
    EXPECT_GE(n, int(plain.size()) - 1) << total;
    EXPECT_TRUE(std::equal(plain.begin(), plain.end(), buf.begin())) << total;
    EXPECT_EQ(Exists(P("TMP\\temp.zip")), total > 200000) << total;
  }
  // A result longer than outLimit is clamped; mode 9 leaves temp.txt.
  std::vector<uint8_t> plain;
  std::vector<uint8_t> s = StoredStream(1000, &plain);
  std::vector<uint8_t> buf(5000);
  std::copy(s.begin(), s.end(), buf.begin());
  DeleteFileA(P("TMP\\temp.txt").c_str());
  EXPECT_EQ(doc->ExtractZipMemberToTemp(buf.data(), int(s.size()), 100, 9), 100);
  EXPECT_TRUE(Exists(P("TMP\\temp.txt")));
}

// Fault: the zipped save keeps m_strCurFile and leaves no scratch pack.
TEST_F(ImageEntries, ZippedSaveAndFileDate) {
  Begin();
  testsupport::WriteFileBytes(W("t.bmz"), "old");
  doc->m_strCurFile = "C:\\kept.txt";
  uint8_t header[img::kInfoArea] = {};
  img::DibHeader h;
  h.biWidth = 2;
  h.biHeight = 2;
  h.biBitCount = 24;
  img::WriteDibHeader(header, h);
  uint8_t px[16] = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0};
  doc->WriteImageFile(px, header, W("t.bmz").c_str(), 4);
  EXPECT_EQ(std::string(doc->m_strCurFile.GetString()), "C:\\kept.txt");
  EXPECT_EQ(testsupport::ReadFileBytes(W("t.bmz")).substr(0, 4), std::string("PK\x03\x04", 4));
  EXPECT_FALSE(Exists(P("TMP\\Dorvik1.bmz")));
  // The keep-date setting puts the opened file's time on the written file.
  doc->m_bKeepFileDate = 1;
  doc->m_tOpenedFileTime = 1000000000;
  doc->WriteImageFile(px, header, W("d.bmp").c_str(), 0);
  CFileStatus st;
  ASSERT_TRUE(CFile::GetStatus(W("d.bmp").c_str(), st));
  EXPECT_EQ(st.m_mtime.GetTime(), 1000000000);
}

// Zipped bitmaps with the unzip library bound: "Dorvik1.bmp" through the
// library and "\\TMP\\temp.zip", another member name in memory; a zipped
// save loads back to the same rows.
TEST_F(ImageEntries, ZippedBitmapsThroughTheLibrary) {
  Begin({"unzip32.dll"});
  ASSERT_NE(doc->m_pfnUnZip, nullptr);
  imgtest::BmpLayout layout;
  layout.width = 5;
  layout.height = 3;
  const std::vector<uint8_t> bmp = imgtest::MakeBmp(layout);
  const std::string bmpText(bmp.begin(), bmp.end());
  arc::CraftMember m;
  m.data = bmpText;
  for (const char* name : {"Dorvik1.bmp", "other.bmp"}) {
    m.name = name;
    testsupport::WriteFileBytes(W("z.bmz"), arc::CraftZip({m}));
    DeleteFileA(P("TMP\\Dorvik1.bmp").c_str());
    ASSERT_EQ(LoadImage(W("z.bmz")), 0) << name;
    EXPECT_EQ(Exists(P("TMP\\Dorvik1.bmp")), std::string(name) == "Dorvik1.bmp") << name;
    EXPECT_EQ(0, std::memcmp(doc->m_imageLoad.m_pLoadBits, bmp.data() + 54, 48)) << name;
  }
  // A zipped save through the pack loads back.
  uint8_t header[img::kInfoArea];
  std::memcpy(header, doc->m_imageLoad.m_bmiLoad, sizeof header);
  std::vector<uint8_t> px(doc->m_imageLoad.m_pLoadBits, doc->m_imageLoad.m_pLoadBits + 48);
  doc->WriteImageFile(px.data(), header, W("s.bmz").c_str(), 4);
  ASSERT_EQ(LoadImage(W("s.bmz")), 0);
  EXPECT_EQ(0, std::memcmp(doc->m_imageLoad.m_pLoadBits, bmp.data() + 54, 48));
}

}  // namespace
