// Region editing on a shown picture under Wine, in-process: the copy into
// the document's clip (whole picture without a region, background bytes
// outside the picture), the crop and enlargement with its undo byte for
// byte, the keys on a picture and on text, and refused memory.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fw/alloc.h"
#include "fw/uihooks.h"
#include "image/edit/region_clip.h"
#include "image/load/image_record.h"
#include "image_edit_fixture.h"
#include "res/resource.h"
#include "support/file_bytes.h"
#include "support/pump.h"

namespace {

using imageviewtest::Bmp24;
using imageviewtest::Pixels;
using imageedittest::CtrlKey;
using imageedittest::ImageEditTest;
using imageedittest::kBack;
using imageedittest::LoadedRows;

TEST_F(ImageEditTest, CopyWithoutARegionTakesTheWholePictureAndMakesItTheRegion) {
  const std::string bmp = Bmp24(41, 30);  // rows padded: 123 bytes -> 124
  CDvkView* v = OpenPicture(bmp);
  ASSERT_NE(v, nullptr);
  image::ImageViewState& st = v->m_image;
  ASSERT_LT(st.m_rcImageSel.right, 0);
  v->SendMessage(WM_COMMAND, MAKEWPARAM(ID_REGION_COPY, 0), 0);
  EXPECT_EQ(st.m_rcImageSel, CRect(0, 0, 41, 30));
  EXPECT_EQ(st.m_bRegionSet, 1u);
  EXPECT_EQ(st.m_nImageSelMode, 1);
  EXPECT_EQ(st.m_bImageGrab, 1u);
  EXPECT_EQ(Clip().m_rcImageClip, CRect(0, 0, 41, 30));
  EXPECT_EQ(Clip().m_nImageClipKind, static_cast<int>(v->m_nFileKind));
  const image::ClipLayout l = ClipLayout();
  EXPECT_EQ(l.width, 41);
  EXPECT_EQ(l.rows, 30);
  EXPECT_EQ(l.bits, 24);
  EXPECT_EQ(Clip().m_nImageClipSize, 124u * 30u);
  EXPECT_EQ(st.m_nWorkSize, static_cast<std::uint64_t>(54 + 124 * 30));
  // The clip is the picture file itself: the same rows, a valid total size.
  const std::vector<std::uint8_t> want = Pixels(bmp);
  ASSERT_EQ(l.pixelOffset, 54);
  // Each row's 123 pixel bytes; the padding byte takes the background.
  for (int row = 0; row < 30; ++row)
    EXPECT_EQ(0, std::memcmp(Clip().m_pImageClip + 54 + row * 124, want.data() + row * 124, 123)) << row;
  std::uint32_t total = 0;
  std::memcpy(&total, Clip().m_pImageClip + 2, 4);
  EXPECT_EQ(total, 54u + 124u * 30u);
  // Nothing of the picture changed: the menu's undo has nothing to put back.
  const std::vector<std::uint8_t> before = LoadedRows(v);
  v->SendMessage(WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(LoadedRows(v), before);
  EXPECT_FALSE(v->GetRichEditCtrl().GetModify());
}

TEST_F(ImageEditTest, ARegionOutsideThePictureEnlargesItAndUndoBringsItBack) {
  const std::string bmp = Bmp24(40, 30);
  CDvkView* v = OpenPicture(bmp);
  ASSERT_NE(v, nullptr);
  image::ImageViewState& st = v->m_image;
  st.m_clrImageBack = kBack;
  const std::vector<std::uint8_t> original = LoadedRows(v);
  ASSERT_EQ(original, Pixels(bmp));
  // The region reaches 10 pixels right of and below the picture.
  st.m_rcImageSel = CRect(50, 40, 30, 20);  // any corner order
  CtrlKey(v, 'C');
  EXPECT_EQ(Clip().m_rcImageClip, CRect(30, 20, 50, 40));
  image::ClipLayout l = ClipLayout();
  ASSERT_EQ(l.width, 20);
  ASSERT_EQ(l.rows, 20);
  const std::vector<std::uint8_t> region(Clip().m_pImageClip + l.pixelOffset,
                                         Clip().m_pImageClip + l.pixelOffset + 60 * 20);
  const std::uint8_t* rows = region.data();
  // Clip row 0 is the region's bottom (y 39, outside): background blue,
  // green, red; the top row (y 20) holds x 30-39 of the picture, then the
  // background.
  EXPECT_EQ(rows[0], 30);
  EXPECT_EQ(rows[1], 20);
  EXPECT_EQ(rows[2], 10);
  const std::uint8_t* top = rows + 19 * l.stride;
  EXPECT_EQ(top[0], 30);  // blue = x
  EXPECT_EQ(top[1], 20);  // green = y
  EXPECT_EQ(top[2], 50);  // red = x + y
  EXPECT_EQ(top[10 * 3], 30);
  EXPECT_EQ(top[10 * 3 + 2], 10);

  // The crop makes the region the picture, padded with the background.
  CtrlKey(v, 'E');
  const img::DibHeader shown = img::ReadDibHeader(st.m_bmiImage);
  EXPECT_EQ(shown.biWidth, 20);
  EXPECT_EQ(shown.biHeight, 20);
  EXPECT_EQ(st.m_nImageSelMode, 3);
  EXPECT_TRUE(v->GetRichEditCtrl().GetModify());
  const std::vector<std::uint8_t> cropped = LoadedRows(v);
  ASSERT_EQ(cropped.size(), 60u * 20u);
  EXPECT_EQ(0, std::memcmp(cropped.data(), rows, cropped.size()));
  int w = 0, h = 0;
  if (st.m_hImageBitmap) {
    const std::vector<std::uint8_t> screen = imageviewtest::BitmapRows(static_cast<HBITMAP>(st.m_hImageBitmap), &w, &h);
    EXPECT_EQ(w, 20);
    EXPECT_EQ(h, 20);
    EXPECT_EQ(screen, cropped);
  }
  // The previous picture waits in the clip.
  EXPECT_EQ(Clip().m_rcImageClip, CRect(0, 0, 40, 30));
  EXPECT_EQ(Clip().m_nImageClipSize, 54u + 120u * 30u);

  // Esc brings the whole previous picture back, byte for byte.
  v->SendMessage(WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(st.m_nImageSelMode, 0);
  const img::DibHeader back = img::ReadDibHeader(st.m_bmiImage);
  EXPECT_EQ(back.biWidth, 40);
  EXPECT_EQ(back.biHeight, 30);
  EXPECT_EQ(LoadedRows(v), original);
  testsupport::PumpUntil([] { return false; }, 300);
  if (st.m_hImageBitmap) {
    const std::vector<std::uint8_t> screen = imageviewtest::BitmapRows(static_cast<HBITMAP>(st.m_hImageBitmap), &w, &h);
    EXPECT_EQ(w, 40);
    EXPECT_EQ(screen, original);
  }
}

TEST_F(ImageEditTest, TheClipOfOnePictureStaysForTheNext) {
  CDvkView* v = OpenPicture(Bmp24(16, 8));
  ASSERT_NE(v, nullptr);
  v->m_image.m_rcImageSel = CRect(2, 2, 6, 6);
  v->CopyRegion();
  const std::string other = File("other.bmp");
  testsupport::WriteFileBytes(other, imageviewtest::SolidBmp24(10, 10, RGB(1, 2, 3)));
  ASSERT_TRUE(OpenAndWait(other));
  EXPECT_EQ(Clip().m_rcImageClip, CRect(2, 2, 6, 6));
  EXPECT_EQ(ClipLayout().width, 4);
}

TEST_F(ImageEditTest, RefusedMemoryLeavesThePictureAsItWas) {
  CDvkView* v = OpenPicture(Bmp24(40, 30));
  ASSERT_NE(v, nullptr);
  image::ImageViewState& st = v->m_image;
  const std::vector<std::uint8_t> original = LoadedRows(v);
  // Each allocation of the crop refused in turn: string 152, the shown
  // picture unchanged.
  for (long n = 1;; ++n) {
    st.m_rcImageSel = CRect(5, 5, 60, 50);
    st.m_nImageSelMode = 0;
    fw::hooks::Reset();
    fw::alloctest::Reset();
    fw::alloctest::FailAt(n);
    v->CropZoomRegion();
    const bool reached = fw::alloctest::Count() >= n;
    fw::alloctest::Reset();
    if (!reached) {
      fw::hooks::Reset();
      break;
    }
    // The message says the memory is short (string 152 starts the text).
    const std::vector<std::string> shown = fw::hooks::MessageBoxTexts();
    ASSERT_FALSE(shown.empty()) << n;
    CString want;
    want.LoadString(IDS_OUT_OF_MEMORY);
    EXPECT_EQ(shown[0].rfind(want.Left(8).GetString(), 0), 0u) << n << " " << shown[0];
    EXPECT_EQ(img::ReadDibHeader(st.m_bmiImage).biWidth, 40) << n;
    EXPECT_EQ(LoadedRows(v), original) << n;
    EXPECT_NE(st.m_nImageSelMode, 3) << n;
    fw::hooks::Reset();
  }
}

TEST_F(ImageEditTest, CtrlCOnTextLeavesTheClipAlone) {
  const std::string txt = File("t.txt");
  testsupport::WriteFileBytes(txt, "some text\r\n");
  ASSERT_TRUE(StartIn(""));
  ASSERT_TRUE(OpenAndWait(txt));
  CDvkView* v = View();
  ASSERT_NE(v, nullptr);
  v->GetRichEditCtrl().SetSel(0, 4);
  CtrlKey(v, 'C');
  EXPECT_EQ(Clip().Capacity(), 0u);
}

}  // namespace
