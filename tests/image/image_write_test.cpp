// Writing by format code: BMP bytes, the "+" refusal, PNG depths, JPEG saves
// that fail without touching the target, the zipped save's route.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "image/load/dib_convert.h"
#include "image/write/image_write.h"
#include "image_test_host.h"
#include "support/scratch.h"

using namespace imgtest;

namespace {

std::vector<uint8_t> ReadFile(const std::string& path) {
  CFile f;
  if (!f.Open(path.c_str(), CFile::modeRead | CFile::typeBinary)) return {};
  std::vector<uint8_t> v(size_t(f.GetLength()));
  if (!v.empty()) f.Read(v.data(), UINT(v.size()));
  return v;
}

class WriteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = std::string(TABRYE_BIN_ROOT) + "\\image_write\\" + info->name();
    testsupport::RemoveTree(dir_.c_str());
    fw::MakeDir((std::string(TABRYE_BIN_ROOT) + "\\image_write").c_str());
    fw::MakeDir(dir_.c_str());
  }
  std::string Path(const char* name) const { return dir_ + "\\" + name; }
  std::string dir_;
};

class PackHost : public RecordingWriteHost {
 public:
  std::string scratch, packed;
  int packs = 0;
  std::string ScratchBitmapPath() override { return scratch; }
  std::string PackBitmap(const std::string& bmp) override {
    ++packs;
    // Stands in for the archive entry: "packs" by copying with a prefix.
    std::vector<uint8_t> b = ReadFile(bmp);
    b.insert(b.begin(), {'P', 'K', 3, 4});
    CFile f;
    f.Open(packed.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeBinary);
    f.Write(b.data(), UINT(b.size()));
    f.Close();
    return packed;
  }
};

// Loads a bitmap file into a record, as the program does before a save.
void LoadBmp(Record& rec, const std::vector<uint8_t>& f) {
  RecordingHost host;
  ASSERT_EQ(Load(rec, host, f, img::kKindBmp).result, 0);
}

TEST_F(WriteTest, BmpFormatsGiveTheSourceBack) {
  BmpLayout s;
  s.width = 5;
  s.height = 3;
  s.bits = 4;
  for (int k = 0; k < 16; ++k) s.table.insert(s.table.end(), {uint8_t(k * 16), 0, 0, 0});
  const std::vector<uint8_t> src = MakeBmp(s);
  Record rec;
  LoadBmp(rec, src);
  for (int format = 0; format <= 3; ++format) {
    RecordingWriteHost host;
    const std::string out = Path(("f" + std::to_string(format) + ".bmp").c_str());
    img::WriteImageFile(host, rec.m_pLoadBits, rec.m_bmiLoad, out, format);
    std::vector<uint8_t> got = ReadFile(out);
    ASSERT_EQ(got.size(), src.size());
    EXPECT_EQ(img::GetLe32(got.data() + 10), 118u);
    EXPECT_EQ(std::vector<uint8_t>(got.begin() + 54, got.end()), std::vector<uint8_t>(src.begin() + 54, src.end()));
  }
}

// Fault: a V5 header is written back as a 40-byte one the file agrees with.
TEST_F(WriteTest, V5SourceWritesAConsistentBmp) {
  BmpLayout s;
  s.width = 3;
  s.height = 2;
  s.biSize = 124;
  Record rec;
  LoadBmp(rec, MakeBmp(s));
  RecordingWriteHost host;
  img::WriteImageFile(host, rec.m_pLoadBits, rec.m_bmiLoad, Path("v5.bmp"), 0);
  std::vector<uint8_t> got = ReadFile(Path("v5.bmp"));
  ASSERT_EQ(got.size(), 54u + 24);
  EXPECT_EQ(img::GetLe32(got.data() + 14), 40u);
  EXPECT_EQ(img::GetLe32(got.data() + 10), 54u);
}

TEST_F(WriteTest, MarkedNamesRefusedWith406) {
  uint8_t header[img::kInfoArea] = {};
  img::DibHeader h;
  h.biWidth = h.biHeight = 1;
  h.biBitCount = 24;
  img::WriteDibHeader(header, h);
  const uint8_t px[4] = {};
  RecordingWriteHost host;
  img::WriteImageFile(host, px, header, Path("a.+png"), 5);
  img::WriteImageFile(host, px, header, Path("a+jpeg"), 6);
  EXPECT_EQ(host.boxes, (std::vector<unsigned>{406, 406}));
  EXPECT_EQ(host.args, (std::vector<std::string>{"+png|png", "+jpg|jpg"}));
  EXPECT_TRUE(ReadFile(Path("a.+png")).empty());
}

TEST_F(WriteTest, PngFormatsAndHeaderDepths) {
  BmpLayout s;
  s.width = 9;
  s.height = 4;
  s.bits = 8;
  for (int k = 0; k < 256; ++k) s.table.insert(s.table.end(), {uint8_t(k), uint8_t(255 - k), uint8_t(k / 2), 0});
  Record rec;
  LoadBmp(rec, MakeBmp(s));
  // Format 5: 24-bit PNG, pixels as the table says; the header now 24-bit.
  {
    uint8_t header[img::kInfoArea];
    std::memcpy(header, rec.m_bmiLoad, sizeof header);
    uint8_t conv[img::kInfoArea];
    std::memcpy(conv, rec.m_bmiLoad, sizeof conv);
    std::vector<uint8_t> want(Stride(9, 24) * 4);
    img::ConvertDibPixels(rec.m_pLoadBits, want.data(), conv, rec.m_nLoadDataSize, uint32_t(want.size()));
    RecordingWriteHost host;
    img::WriteImageFile(host, rec.m_pLoadBits, header, Path("p5.png"), 5);
    EXPECT_EQ(img::ReadDibHeader(header).biBitCount, 24);
    Record back;
    RecordingHost lh;
    ASSERT_EQ(Load(back, lh, ReadFile(Path("p5.png")), img::kKindPng).result, 0);
    EXPECT_EQ(std::vector<uint8_t>(back.m_pLoadBits, back.m_pLoadBits + want.size()), want);
  }
  // Formats 9, 10, 11: palette PNGs; biSizeImage = stride x height.
  const uint32_t bitsOf[3] = {1, 4, 8};
  for (int format = 9; format <= 11; ++format) {
    uint8_t header[img::kInfoArea];
    std::memcpy(header, rec.m_bmiLoad, sizeof header);
    RecordingWriteHost host;
    const std::string out = Path(("p" + std::to_string(format) + ".png").c_str());
    img::WriteImageFile(host, rec.m_pLoadBits, header, out, format);
    const uint32_t bits = bitsOf[format - 9];
    const img::DibHeader h = img::ReadDibHeader(header);
    EXPECT_EQ(h.biBitCount, bits);
    EXPECT_EQ(h.biSizeImage, Stride(9, bits) * 4);
    Record back;
    RecordingHost lh;
    ASSERT_EQ(Load(back, lh, ReadFile(out), img::kKindPng).result, 0) << format;
    EXPECT_EQ(back.Header().biBitCount, bits);
  }
}

// Faults: the JPEG save converts in its own buffer (an exact source buffer is
// never written past) and writes the file only after the encoder succeeded.
TEST_F(WriteTest, JpegSaves) {
  BmpLayout s;
  s.width = 21;
  s.height = 9;
  s.bits = 8;
  for (int k = 0; k < 256; ++k) s.table.insert(s.table.end(), {uint8_t(k), uint8_t(k), uint8_t(k), 0});
  Record rec;
  LoadBmp(rec, MakeBmp(s));
  const std::vector<uint8_t> exact(rec.m_pLoadBits, rec.m_pLoadBits + rec.m_nLoadDataSize);
  for (int format = 6; format <= 8; ++format) {
    uint8_t header[img::kInfoArea];
    std::memcpy(header, rec.m_bmiLoad, sizeof header);
    RecordingWriteHost host;
    const std::string out = Path(("j" + std::to_string(format) + ".jpg").c_str());
    ASSERT_TRUE(img::WriteJpegFile(host, exact.data(), header, out, format - 5));
    Record back;
    RecordingHost lh;
    ASSERT_EQ(Load(back, lh, ReadFile(out), img::kKindJpeg).result, 0);
    EXPECT_EQ(back.m_nLoadWidth, 21);
    EXPECT_EQ(back.m_nLoadHeight, 9);
  }
  // An encoder failure (a side past 65535) leaves the target as it was.
  {
    CFile f;
    ASSERT_TRUE(f.Open(Path("keep.jpg").c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeBinary));
    f.Write("old", 3);
    f.Close();
    uint8_t header[img::kInfoArea] = {};
    img::DibHeader h;
    h.biWidth = 70000;
    h.biHeight = 1;
    h.biBitCount = 24;
    img::WriteDibHeader(header, h);
    std::vector<uint8_t> px(Stride(70000, 24));
    RecordingWriteHost host;
    EXPECT_FALSE(img::WriteJpegFile(host, px.data(), header, Path("keep.jpg"), 2));
    EXPECT_EQ(ReadFile(Path("keep.jpg")), (std::vector<uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(host.texts.size() + host.boxes.size(), 1u);
  }
  // Bits 0 refused.
  uint8_t header[img::kInfoArea] = {};
  img::DibHeader h;
  h.biWidth = h.biHeight = 2;
  img::WriteDibHeader(header, h);
  RecordingWriteHost host;
  EXPECT_FALSE(img::WriteJpegFile(host, exact.data(), header, Path("zero.jpg"), 2));
}

TEST_F(WriteTest, ZippedSaveGoesThroughThePack) {
  BmpLayout s;
  const std::vector<uint8_t> src = MakeBmp(s);
  Record rec;
  LoadBmp(rec, src);
  PackHost host;
  host.scratch = Path("Dorvik1.bmp");
  host.packed = Path("Dorvik1.bmz");
  CFile f;
  ASSERT_TRUE(f.Open(Path("t.bmz").c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeBinary));
  f.Write("existing", 8);
  f.Close();
  img::WriteImageFile(host, rec.m_pLoadBits, rec.m_bmiLoad, Path("t.bmz"), 4);
  EXPECT_EQ(host.packs, 1);
  std::vector<uint8_t> got = ReadFile(Path("t.bmz"));
  ASSERT_EQ(got.size(), src.size() + 4);
  EXPECT_EQ(std::vector<uint8_t>(got.begin() + 4 + 54, got.end()), std::vector<uint8_t>(src.begin() + 54, src.end()));
  EXPECT_EQ(img::GetLe32(got.data() + 4 + 34), 24u);  // biSizeImage written as stride x height
  EXPECT_TRUE(ReadFile(Path("Dorvik1.bmz")).empty());  // no scratch pack left
}

}  // namespace
