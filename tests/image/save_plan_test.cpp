// The picture save's decisions: the dialog offer by format, the marked-name
// refusal, the format code by the target's kind, the sizes, and the rows of
// a clipboard DIB (biSizeImage 0, a block shorter than the header claims).
#include <gtest/gtest.h>

#include <vector>

#include "image/load/image_record.h"
#include "image/view/save_plan.h"

namespace {

std::vector<uint8_t> Dib(int32_t w, int32_t h, uint16_t bits, uint32_t sizeImage, uint32_t clrUsed = 0) {
  std::vector<uint8_t> b(2000, 0);
  img::DibHeader d;
  d.biWidth = w;
  d.biHeight = h;
  d.biBitCount = bits;
  d.biSizeImage = sizeImage;
  d.biClrUsed = clrUsed;
  img::WriteDibHeader(b.data(), d);
  return b;
}

}  // namespace

TEST(SavePlan, DialogOfferByFormat) {
  const std::string stem = "C:\\p\\pic";
  img::SaveDialogOffer o = img::PlanSaveDialog(1, stem);
  EXPECT_EQ(o.proposal, "C:\\p\\pic.bmp");
  EXPECT_STREQ(o.filter, "bmp, bmz, png, jpg, jpeg, pdf|*.bmp; *.bmz; *.png; *.jpg; *.jpeg; *.pdf|All|*.*|| ");
  EXPECT_EQ(img::PlanSaveDialog(3, stem).proposal, "C:\\p\\pic.bmp");
  EXPECT_STREQ(img::PlanSaveDialog(3, stem).filter, "bmp|*.bmp; *.BMP;|All|*.*|| ");
  EXPECT_EQ(img::PlanSaveDialog(4, stem).proposal, "C:\\p\\pic.bmz");
  for (int f : {5, 9, 10, 11}) EXPECT_EQ(img::PlanSaveDialog(f, stem).proposal, "C:\\p\\pic.png") << f;
  for (int f : {0, 2, 6, 7, 8}) EXPECT_EQ(img::PlanSaveDialog(f, stem).proposal, "C:\\p\\pic.jpg") << f;
}

TEST(SavePlan, MarkedNamesPdfAndKinds) {
  EXPECT_TRUE(img::MarkedBitmapName("C:\\a.+bmp"));
  EXPECT_TRUE(img::MarkedBitmapName("C:\\a.-BMP"));
  EXPECT_TRUE(img::MarkedBitmapName("a.=bmp"));
  EXPECT_FALSE(img::MarkedBitmapName("a.bmp"));
  EXPECT_FALSE(img::MarkedBitmapName("a.+png"));
  EXPECT_FALSE(img::MarkedBitmapName("bmp"));
  EXPECT_TRUE(img::PdfTarget("x.PDF"));
  EXPECT_FALSE(img::PdfTarget("x.pdfx"));
  EXPECT_TRUE(img::SaveKindAllowed(12));
  EXPECT_TRUE(img::SaveKindAllowed(30));
  EXPECT_FALSE(img::SaveKindAllowed(9));
  EXPECT_FALSE(img::SaveKindAllowed(31));
}

TEST(SavePlan, FormatCodeByKind) {
  EXPECT_EQ(img::SaveFormatCode(12, 1, 24, ".bmp"), 3);
  EXPECT_EQ(img::SaveFormatCode(22, 1, 24, ".bmz"), 4);
  EXPECT_EQ(img::SaveFormatCode(14, 1, 8, ".png"), 11);
  EXPECT_EQ(img::SaveFormatCode(14, 1, 4, ".png"), 10);
  EXPECT_EQ(img::SaveFormatCode(14, 1, 1, ".png"), 9);
  EXPECT_EQ(img::SaveFormatCode(14, 1, 24, ".png"), 5);
  EXPECT_EQ(img::SaveFormatCode(14, 10, 24, ".png"), 10);  // the caller's PNG depth kept
  EXPECT_EQ(img::SaveFormatCode(13, 1, 24, ".jpg"), 7);
  EXPECT_EQ(img::SaveFormatCode(13, 1, 24, "jpeg"), 8);
  EXPECT_EQ(img::SaveFormatCode(13, 6, 24, ".jpg"), 6);
  EXPECT_EQ(img::SaveFormatCode(99, 1, 24, ".xyz"), 1);
}

TEST(SavePlan, SizesFromTheHeader) {
  auto d = Dib(640, 480, 24, 640 * 3 * 480);
  img::SaveSizes s = img::PlanSaveSizes(d.data(), 3);
  EXPECT_EQ(s.colours, 0u);
  EXPECT_EQ(s.infoSize, 40u);
  EXPECT_EQ(s.total, 921600u + 54);
  EXPECT_EQ(s.buffer, s.total + 10000);
  EXPECT_FALSE(s.empty);
  d = Dib(100, 10, 8, 1000);
  s = img::PlanSaveSizes(d.data(), 7);  // JPEG: room for the 24-bit rows
  EXPECT_EQ(s.colours, 256u);
  EXPECT_EQ(s.infoSize, 1064u);
  EXPECT_EQ(s.buffer, (1000 + 1064 + 14) * 3 + 10000);
  // biSizeImage 0 of an uncompressed DIB: the rows' own size.
  d = Dib(10, 3, 24, 0);
  EXPECT_EQ(img::PlanSaveSizes(d.data(), 3).imageSize, 32u * 3);
  // Empty pictures.
  EXPECT_TRUE(img::PlanSaveSizes(Dib(0, 480, 24, 0).data(), 3).empty);
  EXPECT_TRUE(img::PlanSaveSizes(Dib(640, 0, 24, 0).data(), 3).empty);
}

TEST(SavePlan, ClipboardRowsNeverPastTheBlock) {
  // 8-bit 4 x 2 with biSizeImage 0: rows of 4 bytes after 40 + 1024.
  auto d = Dib(4, 2, 8, 0);
  d.resize(40 + 1024 + 8);
  img::PackedDibRows r = img::LocatePackedDibRows(d.data(), d.size());
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.offset, 1064u);
  EXPECT_EQ(r.bytes, 8u);
  // A header claiming more than the block holds: only what is there (the
  // old "+ 14" read ran past the block).
  d = Dib(640, 480, 24, 921600);
  d.resize(40 + 1000);
  r = img::LocatePackedDibRows(d.data(), d.size());
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.offset, 40u);
  EXPECT_EQ(r.bytes, 1000u);
  // Bit-field masks after a 40-byte header.
  d = Dib(2, 2, 32, 16);
  img::PutLe32(d.data() + 16, 3);
  d.resize(40 + 12 + 16);
  r = img::LocatePackedDibRows(d.data(), d.size());
  EXPECT_EQ(r.offset, 52u);
  EXPECT_EQ(r.bytes, 16u);
  // Headers that do not fit.
  EXPECT_FALSE(img::LocatePackedDibRows(d.data(), 39).ok);
  auto big = Dib(4, 2, 8, 0, 100000);
  EXPECT_FALSE(img::LocatePackedDibRows(big.data(), big.size()).ok);
  EXPECT_FALSE(img::LocatePackedDibRows(nullptr, 100).ok);
}
