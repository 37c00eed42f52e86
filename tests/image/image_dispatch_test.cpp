// The loader dispatcher's bitmap path, trimming, limits, transform words and
// the record's consistency; the DIB converters.
#include <gtest/gtest.h>

#include "fw/alloc.h"
#include "image/load/dib_convert.h"
#include "image/load/image_size.h"
#include "image/write/dib_reduce.h"
#include "image_test_host.h"

using namespace imgtest;

namespace {

std::vector<uint8_t> GreyTable(int n) {
  std::vector<uint8_t> t;
  for (int k = 0; k < n; ++k) {
    const uint8_t v = uint8_t(k * 255 / (n > 1 ? n - 1 : 1));
    t.insert(t.end(), {v, v, v, 0});
  }
  return t;
}

void ExpectConsistent(const Record& rec) {
  EXPECT_LE(rec.m_nLoadDataSize, rec.m_nLoadBitsAlloc);
  EXPECT_LE(uint64_t(rec.m_nLoadHeight) * rec.m_nLoadStride, rec.m_nLoadDataSize);
  EXPECT_EQ(rec.Header().biSize, 40u);
  EXPECT_EQ(rec.Header().biSizeImage, rec.m_nLoadDataSize);
}

TEST(ImageDispatch, Bitmap24LoadsRowsAndStatus) {
  BmpLayout s;
  s.width = 5;
  s.height = 3;
  std::vector<uint8_t> f = MakeBmp(s);
  Record rec;
  RecordingHost host;
  EXPECT_EQ(Load(rec, host, f, img::kKindBmp).result, 0);
  EXPECT_EQ(rec.m_nLoadReady, 1u);
  EXPECT_EQ(rec.m_nLoadWidth, 5);
  EXPECT_EQ(rec.m_nLoadHeight, 3);
  EXPECT_EQ(rec.m_nLoadStride, 16u);
  EXPECT_EQ(rec.m_nLoadInfoSize, 40u);
  EXPECT_EQ(0, std::memcmp(rec.m_pLoadBits, f.data() + 54, 48));
  EXPECT_EQ(host.LastStatus(), "Bitmap 24 bit");
  ExpectConsistent(rec);
  // A second load while the record is ready.
  EXPECT_EQ(Load(rec, host, f, img::kKindBmp).result, -1);
}

TEST(ImageDispatch, SignatureDecidesTheKind) {
  BmpLayout s;
  std::vector<uint8_t> f = MakeBmp(s);
  Record rec;
  RecordingHost host;
  EXPECT_EQ(Load(rec, host, f, img::kKindJpeg).result, 0);  // a .jpg beginning "BM"
  EXPECT_EQ(host.LastStatus(), "Bitmap 24 bit");
}

TEST(ImageDispatch, BitmapRefusals) {
  RecordingHost host;
  {
    BmpLayout s;
    s.height = -2;  // top-down rows
    Record rec;
    EXPECT_EQ(Load(rec, host, MakeBmp(s), img::kKindBmp).result, -1);
    EXPECT_EQ(rec.m_nLoadBitsOwner, 0u);
  }
  {
    Record rec;
    EXPECT_EQ(Load(rec, host, {}, img::kKindBmp).result, -1);
  }
  {
    BmpLayout s;
    s.bits = 8;
    s.compression = 1;  // RLE8
    s.table = GreyTable(256);
    Record rec;
    EXPECT_EQ(Load(rec, host, MakeBmp(s), img::kKindBmp).result, -1);
  }
  {
    // biSize and bfOffBits past the end.
    BmpLayout s;
    std::vector<uint8_t> f = MakeBmp(s);
    std::vector<uint8_t> g = f;
    img::PutLe32(g.data() + 14, 5000);
    Record rec;
    EXPECT_EQ(Load(rec, host, g, img::kKindBmp).result, -1);
    g = f;
    img::PutLe32(g.data() + 10, uint32_t(f.size() + 10));
    EXPECT_EQ(Load(rec, host, g, img::kKindBmp).result, -1);
  }
}

TEST(ImageDispatch, ColourCountCappedAt256) {
  BmpLayout s;
  s.bits = 8;
  s.clrUsed = 300;
  s.table = GreyTable(256);
  Record rec;
  RecordingHost host;
  ASSERT_EQ(Load(rec, host, MakeBmp(s), img::kKindBmp).result, 0);
  EXPECT_EQ(rec.m_nLoadInfoSize, 1064u);
}

// Fault: V5 headers and gaps before the pixels: the table at 14 + biSize,
// the pixels at bfOffBits, biSize 40 in the record.
TEST(ImageDispatch, V5HeaderAndGapUseBiSizeAndOffBits) {
  BmpLayout s;
  s.bits = 8;
  s.width = 3;
  s.biSize = 124;
  s.table = GreyTable(256);
  s.gap = 20;
  std::vector<uint8_t> f = MakeBmp(s);
  Record rec;
  RecordingHost host;
  ASSERT_EQ(Load(rec, host, f, img::kKindBmp).result, 0);
  EXPECT_EQ(rec.Header().biSize, 40u);
  EXPECT_EQ(0, std::memcmp(rec.m_bmiLoad + 40, s.table.data(), 1024));
  EXPECT_EQ(rec.m_pLoadBits[0], Pattern(0));
  EXPECT_EQ(rec.m_pLoadBits[5], Pattern(5));
}

// Fault: 16-bit BI_BITFIELDS 5-6-5 read by its masks (without masks 5-5-5).
TEST(ImageDispatch, Bitfields565Honoured) {
  BmpLayout s;
  s.width = 2;
  s.height = 1;
  s.bits = 16;
  s.compression = 3;
  s.table = {0x00, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0};
  // Pure green in 5-6-5 (0x07E0), then pure red (0xF800).
  s.pixels = {0xE0, 0x07, 0x00, 0xF8};
  Record rec;
  RecordingHost host;
  ASSERT_EQ(Load(rec, host, MakeBmp(s), img::kKindBmp).result, 0);
  uint8_t info[img::kInfoArea];
  std::memcpy(info, rec.m_bmiLoad, sizeof info);
  uint8_t out[16] = {};
  EXPECT_EQ(img::ConvertDibPixels(rec.m_pLoadBits, out, info, rec.m_nLoadDataSize, sizeof out), 8u + 3);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(out[1], 252);
  EXPECT_EQ(out[2], 0);
  EXPECT_EQ(out[3], 0);
  EXPECT_EQ(out[4], 0);
  EXPECT_EQ(out[5], 248);
  // The same pixels without masks are 5-5-5.
  img::DibHeader h = img::ReadDibHeader(rec.m_bmiLoad);
  h.biCompression = 0;
  img::WriteDibHeader(info, h);
  img::ConvertDibPixels(rec.m_pLoadBits, out, info, rec.m_nLoadDataSize, sizeof out);
  EXPECT_EQ(out[1], (0x07 & 3) * 64 + ((0xE0 >> 2) & 56));
}

TEST(ImageDispatch, TrimmingExample24Bit) {
  BmpLayout s;
  s.width = 200;
  s.height = 100;
  std::vector<uint8_t> f = MakeBmp(s);
  Record rec;
  rec.m_nTrimMode = 1;
  rec.m_nTrimBottom = 1;
  rec.m_nTrimLeft = 1;
  RecordingHost host;
  ASSERT_EQ(Load(rec, host, f, img::kKindBmp).result, 0);
  EXPECT_EQ(rec.m_nLoadWidth, 152);
  EXPECT_EQ(rec.m_nLoadHeight, 52);
  EXPECT_EQ(rec.m_pLoadBits[0], Pattern(144 + 48 * 600));
  EXPECT_TRUE(host.status.empty());  // no status while trimming
  ExpectConsistent(rec);
}

// Fault: the left margin's byte offset is l x bits / 8 for every depth.
TEST(ImageDispatch, TrimmingAt8And1Bit) {
  for (uint16_t bits : {8, 1}) {
    BmpLayout s;
    s.width = 200;
    s.height = 100;
    s.bits = bits;
    s.table = GreyTable(bits == 8 ? 256 : 2);
    std::vector<uint8_t> f = MakeBmp(s);
    Record rec;
    rec.m_nTrimMode = 1;
    rec.m_nTrimBottom = 1;
    rec.m_nTrimLeft = 1;
    RecordingHost host;
    ASSERT_EQ(Load(rec, host, f, img::kKindBmp).result, 0) << bits;
    const uint32_t oldStride = Stride(200, bits);
    EXPECT_EQ(rec.m_nLoadWidth, 152);
    EXPECT_EQ(rec.m_nLoadStride, Stride(152, bits));
    EXPECT_EQ(rec.m_pLoadBits[0], Pattern(48 * bits / 8 + 48 * oldStride)) << bits;
  }
}

TEST(ImageDispatch, MarginsLargerThanThePictureFail) {
  BmpLayout s;
  s.width = 100;
  s.height = 100;
  Record rec;
  rec.m_nTrimMode = 1;
  rec.m_nTrimLeft = 1;
  rec.m_nTrimRight = 2;
  RecordingHost host;
  EXPECT_EQ(Load(rec, host, MakeBmp(s), img::kKindBmp).result, -1);
  rec.m_nTrimLeft = rec.m_nTrimRight = 0;
  rec.m_nTrimTop = 3;
  EXPECT_EQ(Load(rec, host, MakeBmp(s), img::kKindBmp).result, -1);
}

// Faults: the file limit keeps the bottom rows; products in 64 bits; the
// record's size never passes its allocation.
TEST(ImageDispatch, FileLimitKeepsBottomRows) {
  BmpLayout s;
  s.width = 1000;
  s.height = 1000;  // 3,000,000 bytes of rows
  std::vector<uint8_t> f = MakeBmp(s);
  Record rec;
  RecordingHost host;
  host.textBufSize2 = 1500000;
  img::LoadRequest req;
  req.kind = img::kKindBmp;
  // As the file read gives it: the first textBufSize2 bytes of the file.
  ASSERT_EQ(img::LoadImageBytes(rec, host, f.data(), host.textBufSize2, f.size(), req).result, 0);
  EXPECT_EQ(rec.m_nLoadHeight, int32_t(1500000 / 3000));
  EXPECT_EQ(rec.m_pLoadBits[0], f[54]);
  ExpectConsistent(rec);
}

TEST(ImageDispatch, ShortFileLeavesZeroPixels) {
  BmpLayout s;
  s.width = 10;
  s.height = 10;
  std::vector<uint8_t> f = MakeBmp(s);
  f.resize(54 + 32 * 3 + 5);  // three rows and a bit
  Record rec;
  RecordingHost host;
  ASSERT_EQ(Load(rec, host, f, img::kKindBmp).result, 0);
  EXPECT_EQ(rec.m_nLoadHeight, 10);
  EXPECT_EQ(rec.Row(3)[4], Pattern(32 * 3 + 4));
  EXPECT_EQ(rec.Row(3)[5], 0);
  EXPECT_EQ(rec.Row(9)[0], 0);
  ExpectConsistent(rec);
}

TEST(ImageDispatch, HugeSidesRefusedWithoutOverflow) {
  BmpLayout s;
  s.width = 1000000;
  s.height = 1000000;
  s.pixels = {1, 2, 3, 4};
  Record rec;
  RecordingHost host;
  EXPECT_EQ(Load(rec, host, MakeBmp(s), img::kKindBmp).result, -1);
  s.width = 0x7FFFFFFF;
  s.height = 1;
  EXPECT_EQ(Load(rec, host, MakeBmp(s), img::kKindBmp).result, -1);
  uint64_t v = 0;
  EXPECT_FALSE(img::SizeWithin(1000000, 1000000, 0, 0xFFFFFFFFu, &v));
}

TEST(ImageDispatch, AllocationFailureGives152) {
  BmpLayout s;
  std::vector<uint8_t> f = MakeBmp(s);
  ExpectEachAllocationFailureReported(f, img::kKindBmp);
}

TEST(ImageDispatch, TransformWords) {
  uint32_t w[img::kImageWords] = {196};
  w[img::kTransformCode] = 13;
  w[img::kFlipV] = 1;
  w[img::kRotation] = 2;
  img::SetTransformWords(w, 24);
  EXPECT_EQ(w[img::kFlipHEff], 1u);
  EXPECT_EQ(w[img::kFlipVEff], 0u);
  EXPECT_EQ(w[img::kRotationEff], 1u);
  EXPECT_EQ(w[img::kNeedTransform], 1u);
  uint32_t z[img::kImageWords] = {196};
  img::SetTransformWords(z, 24);
  EXPECT_EQ(z[img::kNeedTransform], 0u);
  z[img::kColorOption] = 1;
  img::SetTransformWords(z, 24);
  EXPECT_EQ(z[img::kNeedTransform], 1u);
  img::SetTransformWords(z, 8);
  EXPECT_EQ(z[img::kNeedTransform], 0u);
  z[img::kTransformCode] = 4;
  z[img::kFlipH] = 1;
  img::SetTransformWords(z, 8);
  EXPECT_EQ(z[img::kFlipHEff], 0u);
  EXPECT_EQ(z[img::kNeedTransform], 0u);
}

TEST(ImageDispatch, MetafileAndMissingPlugin) {
  Record rec;
  RecordingHost host;
  std::vector<uint8_t> f = {1, 2, 3};
  img::LoadOutcome o = Load(rec, host, f, img::kKindWmf);
  EXPECT_EQ(o.result, 0);
  EXPECT_TRUE(o.metafile);
  EXPECT_EQ(rec.m_nLoadReady, 0u);
  o = Load(rec, host, f, img::kKindPict1);
  EXPECT_EQ(o.result, 0 - 2);
  EXPECT_EQ(host.messages, std::vector<unsigned>{333});
}

TEST(ImageDispatch, PluginNames) {
  std::string ext[5] = {"pcx", ".pict", "", "", ""};
  EXPECT_EQ(img::PluginName(img::kKindJpeg, ext), "IFJPEG");
  EXPECT_EQ(img::PluginName(17, ext), "IFPCX");
  EXPECT_EQ(img::PluginName(18, ext), "IFICT");
  EXPECT_EQ(img::PluginName(img::kKindBmz, ext), "");
}

// ConvertDibPixels: alignment bytes skipped, 1-bit rows past the width, a
// cut destination keeps whole rows.
TEST(DibConvert, Depths) {
  uint8_t info[img::kInfoArea] = {};
  img::DibHeader h;
  h.biWidth = 3;
  h.biHeight = 2;
  h.biBitCount = 8;
  h.biSizeImage = 8;
  img::WriteDibHeader(info, h);
  std::vector<uint8_t> t = GreyTable(256);
  std::memcpy(info + 40, t.data(), t.size());
  const uint8_t src[8] = {0, 255, 10, 99, 1, 2, 3, 99};
  uint8_t dst[24];
  std::memset(dst, 0xAA, sizeof dst);
  EXPECT_EQ(img::ConvertDibPixels(src, dst, info, 8, 24), 24u + 3);
  EXPECT_EQ(dst[3], 255);
  EXPECT_EQ(dst[9], 0);  // alignment byte, not the 99
  EXPECT_EQ(dst[12], 1);
  img::DibHeader out = img::ReadDibHeader(info);
  EXPECT_EQ(out.biBitCount, 24);
  EXPECT_EQ(out.biSizeImage, 24u);
  EXPECT_EQ(out.biXPelsPerMeter, 3780);
  // Cut: room for one row and a half.
  img::WriteDibHeader(info, h);
  EXPECT_EQ(img::ConvertDibPixels(src, dst, info, 8, 18), 12u + 3);
  EXPECT_EQ(img::ReadDibHeader(info).biHeight, 1);
  // 1 bit, 10 wide.
  h.biWidth = 10;
  h.biBitCount = 1;
  h.biSizeImage = 8;
  img::WriteDibHeader(info, h);
  info[40 + 4] = info[41 + 4] = info[42 + 4] = 255;
  info[40] = info[41] = info[42] = 0;
  const uint8_t bits1[8] = {0x80, 0x40, 0, 0, 0xFF, 0xFF, 0, 0};
  uint8_t d2[64] = {};
  img::ConvertDibPixels(bits1, d2, info, 8, 64);
  EXPECT_EQ(d2[0], 255);
  EXPECT_EQ(d2[3], 0);
  EXPECT_EQ(d2[27], 255);  // pixel 9 = bit 1 of the second byte
  EXPECT_EQ(d2[32], 255);  // next row starts at the next 24-bit row
  // 32 bits, 5 wide: one alignment byte per 24-bit row.
  h.biWidth = 5;
  h.biHeight = 1;
  h.biBitCount = 32;
  h.biSizeImage = 20;
  img::WriteDibHeader(info, h);
  uint8_t s32[20];
  for (int i = 0; i < 20; ++i) s32[i] = uint8_t(i);
  uint8_t d3[16];
  std::memset(d3, 0xAA, sizeof d3);
  EXPECT_EQ(img::ConvertDibPixels(s32, d3, info, 20, 16), 16u + 3);
  EXPECT_EQ(d3[3], 4);
  EXPECT_EQ(d3[15], 0);
}

// ReduceDib24: the index formulas, and biSizeImage = stride x height.
TEST(DibReduce, IndicesAndSize) {
  EXPECT_EQ(img::Reduce4(0, 0, 255), 9);
  EXPECT_EQ(img::Reduce8(0, 0, 255), 224);
  EXPECT_EQ(img::Reduce1(0, 0, 255), 0);
  EXPECT_EQ(img::Reduce4(255, 255, 255), 15);
  EXPECT_EQ(img::Reduce8(255, 255, 255), 255);
  EXPECT_EQ(img::Reduce1(255, 255, 255), 1);
  uint8_t info[img::kInfoArea] = {};
  img::DibHeader h;
  h.biWidth = 3;
  h.biHeight = 2;
  h.biBitCount = 24;
  h.biSizeImage = 24;
  img::WriteDibHeader(info, h);
  uint8_t src[24] = {};
  for (int i = 0; i < 9; ++i) src[i] = 255;
  uint8_t dst[8];
  EXPECT_EQ(img::ReduceDib24(src, dst, info, 1, 24, 8), 8);
  EXPECT_EQ(dst[0], 0xE0);
  EXPECT_EQ(img::ReadDibHeader(info).biSizeImage, 8u);
  EXPECT_EQ(info[44], 255);
}

// The record's settings words: bound to an owner's block (the document's
// settings field) the loader writes that block; copies are by value, so a
// record set aside and put back restores the owner's words.
TEST(ImageDispatch, BoundSettingsWordsAreTheOwnersAndCopyByValue) {
  uint32_t owner[img::kImageWords] = {196};
  owner[img::kTransformCode] = 4;  // a left-right flip asked for
  Record rec;
  EXPECT_EQ(rec.m_aImageSettings[0], 196u);
  rec.m_aImageSettings.Bind(owner);
  BmpLayout s;
  s.width = 4;
  s.height = 2;
  RecordingHost host;
  img::LoadRequest req;
  req.kind = img::kKindBmp;
  req.option = 3;
  const std::vector<uint8_t> f = MakeBmp(s);
  ASSERT_EQ(img::LoadImageBytes(rec, host, f.data(), uint32_t(f.size()), f.size(), req).result, 0);
  EXPECT_EQ(owner[img::kColorOption], 3u);
  EXPECT_EQ(owner[img::kFlipHEff], 1u);
  EXPECT_EQ(owner[img::kNeedTransform], 1u);

  // Set aside: the copy holds the values in its own block.
  img::LoadRecord kept(rec);
  kept.m_aImageSettings[5] = 9;
  EXPECT_EQ(owner[5], 0u);
  owner[img::kColorOption] = 0;
  owner[7] = 2;
  // Put back: the values go into the owner's words, and the binding stays.
  static_cast<img::LoadRecord&>(rec) = kept;
  EXPECT_EQ(owner[5], 9u);
  EXPECT_EQ(owner[img::kColorOption], 3u);
  EXPECT_EQ(owner[7], 0u);
  rec.m_aImageSettings[6] = 1;
  EXPECT_EQ(owner[6], 1u);
  const uint32_t* words = rec.m_aImageSettings;
  EXPECT_EQ(words, owner);
  rec.m_aImageSettings = rec.m_aImageSettings;  // onto itself: unchanged
  EXPECT_EQ(owner[5], 9u);
  // Unbound again: the record's own block as it was.
  rec.m_aImageSettings.Bind(nullptr);
  EXPECT_NE(static_cast<const uint32_t*>(rec.m_aImageSettings), owner);
  EXPECT_EQ(rec.m_aImageSettings[0], 196u);
}

}  // namespace
