// Cut, paste and paint on a shown picture under Wine, in-process: the clear
// to the background and its undo, a paste at the clip's size and stretched,
// the enlargement before a paste past the picture, the two-step undo of a
// paste after a cut, the transparent paste, the fill, the pen dot and the
// flood fill, and refused memory.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fw/alloc.h"
#include "fw/uihooks.h"
#include "image/edit/region_composite.h"
#include "image/view/view_types.h"
#include "image_edit_fixture.h"
#include "res/resource.h"

namespace {

using imageedittest::CtrlKey;
using imageedittest::ImageEditTest;
using imageedittest::kBack;
using imageedittest::LoadedRows;
using imageviewtest::Bmp24;

struct Bgr {
  int b, g, r;
  bool operator==(const Bgr& o) const { return b == o.b && g == o.g && r == o.r; }
};

// Pixel (x, y from the top) of the view's loaded rows.
Bgr At(CDvkView* v, int x, int y) {
  const img::DibHeader h = img::ReadDibHeader(v->m_image.m_bmiImage);
  const int stride = (h.biWidth * 3 + 3) & ~3;
  const std::uint8_t* p = v->m_image.m_pLoadedBits + (h.biHeight - 1 - y) * stride + x * 3;
  return {p[0], p[1], p[2]};
}

// The pattern of Bmp24 at (x, y).
Bgr Pattern(int x, int y) { return {x & 255, y & 255, (x + y) & 255}; }

Bgr Of(COLORREF c) { return {GetBValue(c), GetGValue(c), GetRValue(c)}; }

// The shown bitmap agrees with the loaded rows.
void ExpectShownEqualsLoaded(CDvkView* v) {
  if (!v->m_image.m_hImageBitmap) return;
  int w = 0, h = 0;
  EXPECT_EQ(imageviewtest::BitmapRows(static_cast<HBITMAP>(v->m_image.m_hImageBitmap), &w, &h), LoadedRows(v));
}

TEST_F(ImageEditTest, CutClearsToTheBackgroundAndUndoPutsItBack) {
  CDvkView* v = OpenPicture(Bmp24(40, 30));
  ASSERT_NE(v, nullptr);
  image::ImageViewState& st = v->m_image;
  st.m_clrImageBack = kBack;
  const std::vector<std::uint8_t> original = LoadedRows(v);
  st.m_rcImageSel = CRect(5, 4, 15, 12);
  CtrlKey(v, 'X');
  EXPECT_EQ(st.m_nImageSelMode, 2);
  EXPECT_TRUE(v->GetRichEditCtrl().GetModify());
  EXPECT_EQ(At(v, 5, 4), Of(kBack));
  EXPECT_EQ(At(v, 14, 11), Of(kBack));
  EXPECT_EQ(At(v, 4, 4), Pattern(4, 4));    // left of the region
  EXPECT_EQ(At(v, 15, 11), Pattern(15, 11));  // right of it
  EXPECT_EQ(At(v, 5, 12), Pattern(5, 12));  // below it
  ExpectShownEqualsLoaded(v);
  // The clip holds what was cut.
  const image::ClipLayout l = ClipLayout();
  EXPECT_EQ(l.width, 10);
  EXPECT_EQ(l.rows, 8);
  v->SendMessage(WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(st.m_nImageSelMode, 0);
  EXPECT_EQ(LoadedRows(v), original);
  ExpectShownEqualsLoaded(v);
}

// A 32-bit BMP of w x h, every pixel (b, g, r).
std::string Bmp32(int w, int h, int b, int g, int r) {
  std::string f(static_cast<std::size_t>(54 + 4 * w * h), '\0');
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) f[at + i] = static_cast<char>(v >> (8 * i));
  };
  f[0] = 'B';
  f[1] = 'M';
  put32(2, static_cast<std::uint32_t>(f.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<std::uint32_t>(w));
  put32(22, static_cast<std::uint32_t>(h));
  f[26] = 1;
  f[28] = 32;
  for (int i = 0; i < w * h; ++i) {
    f[54 + 4 * i] = static_cast<char>(b);
    f[54 + 4 * i + 1] = static_cast<char>(g);
    f[54 + 4 * i + 2] = static_cast<char>(r);
  }
  return f;
}

TEST_F(ImageEditTest, ACutOfAPictureOfAnotherDepthClearsToTheBackground) {
  CDvkView* v = OpenPicture(Bmp32(30, 20, 200, 100, 50));
  ASSERT_NE(v, nullptr);
  image::ImageViewState& st = v->m_image;
  st.m_clrImageBack = kBack;
  st.m_rcImageSel = CRect(5, 5, 15, 15);
  v->CutRegion();
  EXPECT_EQ(img::ReadDibHeader(st.m_bmiLoaded).biBitCount, 24);
  EXPECT_EQ(At(v, 5, 5), Of(kBack));
  EXPECT_EQ(At(v, 14, 14), Of(kBack));
  EXPECT_EQ(At(v, 4, 5), (Bgr{200, 100, 50}));
  ExpectShownEqualsLoaded(v);
}

TEST_F(ImageEditTest, APasteAtTheClipsSizeCopiesItAndUndoRestoresTheRegion) {
  CDvkView* v = OpenPicture(Bmp24(40, 30));
  ASSERT_NE(v, nullptr);
  image::ImageViewState& st = v->m_image;
  const std::vector<std::uint8_t> original = LoadedRows(v);
  st.m_rcImageSel = CRect(2, 3, 9, 8);
  CtrlKey(v, 'C');
  st.m_rcImageSel = CRect(20, 15, 27, 20);
  CtrlKey(v, 'V');
  EXPECT_EQ(st.m_nPasteState, 1);
  EXPECT_TRUE(v->GetRichEditCtrl().GetModify());
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) ASSERT_EQ(At(v, 20 + x, 15 + y), Pattern(2 + x, 3 + y)) << x << "," << y;
  EXPECT_EQ(At(v, 19, 15), Pattern(19, 15));
  EXPECT_EQ(At(v, 27, 19), Pattern(27, 19));
  ExpectShownEqualsLoaded(v);
  CtrlKey(v, 'U');
  EXPECT_EQ(LoadedRows(v), original);
}

TEST_F(ImageEditTest, APasteIntoALargerRegionStretchesTheClip) {
  CDvkView* v = OpenPicture(Bmp24(60, 50));
  ASSERT_NE(v, nullptr);
  image::ImageViewState& st = v->m_image;
  st.m_rcImageSel = CRect(0, 0, 10, 10);
  v->CopyRegion();
  st.m_rcImageSel = CRect(30, 20, 50, 40);
  v->PasteRegion();
  // Doubling replicates each pixel into a 2 x 2 block.
  int equal = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) equal += At(v, 30 + x, 20 + y) == Pattern(x / 2, y / 2);
  EXPECT_GE(equal, 396);

  EXPECT_EQ(At(v, 29, 20), Pattern(29, 20));
  EXPECT_EQ(At(v, 50, 39), Pattern(50, 39));
}

TEST_F(ImageEditTest, APastePastThePictureEnlargesItFirst) {
  CDvkView* v = OpenPicture(Bmp24(30, 20));
  ASSERT_NE(v, nullptr);
  image::ImageViewState& st = v->m_image;
  st.m_clrImageBack = kBack;
  st.m_rcImageSel = CRect(0, 0, 8, 6);
  v->CopyRegion();
  st.m_rcImageSel = CRect(26, 16, 34, 22);
  v->PasteRegion();
  const img::DibHeader h = img::ReadDibHeader(st.m_bmiImage);
  EXPECT_EQ(h.biWidth, 134);
  EXPECT_EQ(h.biHeight, 122);
  EXPECT_EQ(At(v, 0, 0), Pattern(0, 0));
  EXPECT_EQ(At(v, 26, 16), Pattern(0, 0));
  EXPECT_EQ(At(v, 33, 21), Pattern(7, 5));
  EXPECT_EQ(At(v, 100, 100), Of(kBack));
  EXPECT_EQ(st.m_rcImageSel, CRect(26, 16, 34, 22));
}

TEST_F(ImageEditTest, UndoOfAPasteAfterACutTakesBothBack) {
  CDvkView* v = OpenPicture(Bmp24(40, 30));
  ASSERT_NE(v, nullptr);
  image::ImageViewState& st = v->m_image;
  st.m_clrImageBack = kBack;
  const std::vector<std::uint8_t> original = LoadedRows(v);
  st.m_rcImageSel = CRect(4, 4, 10, 10);
  v->CutRegion();
  st.m_rcImageSel = CRect(20, 10, 26, 16);
  v->PasteRegion();
  EXPECT_EQ(st.m_nImageSelMode, 4);
  EXPECT_EQ(At(v, 20, 10), Pattern(4, 4));
  // One undo takes the paste back, then puts the cut block back.
  v->UndoRegion();
  EXPECT_EQ(st.m_nImageSelMode, 0);
  EXPECT_EQ(LoadedRows(v), original);
}

TEST_F(ImageEditTest, TheTransparentPasteLeavesNearWhiteOut) {
  CDvkView* v = OpenPicture(imageviewtest::BmpOf(20, 10, [](int x, int, std::uint8_t* bgr) {
    const std::uint8_t c = x < 5 ? 250 : 40;  // the left quarter near white
    bgr[0] = bgr[1] = bgr[2] = c;
  }));
  ASSERT_NE(v, nullptr);
  image::ImageViewState& st = v->m_image;
  st.m_rcImageSel = CRect(0, 0, 10, 10);
  v->CopyRegion();
  // Under the paste a dark picture part: x 10-19 are 40.
  st.m_rcImageSel = CRect(10, 0, 20, 10);
  v->m_bInternalKey = 1;
  v->PasteRegion();
  v->m_bInternalKey = 0;
  EXPECT_EQ(At(v, 10, 3), (Bgr{40, 40, 40}));  // near white left out
  EXPECT_EQ(At(v, 16, 3), (Bgr{40, 40, 40}));  // the clip's dark part
  // A plain paste writes the white.
  st.m_rcImageSel = CRect(10, 0, 20, 10);
  v->PasteRegion();
  EXPECT_EQ(At(v, 10, 3), (Bgr{250, 250, 250}));
}

TEST_F(ImageEditTest, PaintFillsThePenDotsAndFloodFills) {
  CDvkView* v = OpenPicture(imageviewtest::SolidBmp24(40, 30, RGB(200, 200, 200)));
  ASSERT_NE(v, nullptr);
  image::ImageViewState& st = v->m_image;
  const COLORREF brush = RGB(255, 0, 0);
  st.m_clrImageBrush = brush;
  // The rectangle fill.
  st.m_rcImageSel = CRect(2, 2, 8, 6);
  v->CopyRegion();
  v->RedrawImage(image::kCompositeFill, CString());
  EXPECT_EQ(At(v, 2, 2), Of(brush));
  EXPECT_EQ(At(v, 7, 5), Of(brush));
  EXPECT_EQ(At(v, 8, 5), Of(RGB(200, 200, 200)));
  // The pen: a 2 x 2 dot at size 1, a 3 x 3 square at size 3.
  st.m_rcImageSel = CRect(10, 10, 30, 30);
  v->CopyRegion();
  st.m_nShapeKind = 11;
  st.m_nLineStyle = 1;
  st.m_ptImageCursor = CPoint(4, 4);
  v->RedrawImage(image::kCompositePaint, CString());
  EXPECT_EQ(At(v, 14, 14), Of(brush));
  EXPECT_EQ(At(v, 15, 15), Of(brush));
  EXPECT_EQ(At(v, 16, 14), Of(RGB(200, 200, 200)));
  EXPECT_EQ(At(v, 13, 14), Of(RGB(200, 200, 200)));
  st.m_nLineStyle = 3;
  st.m_ptImageCursor = CPoint(10, 10);
  v->CopyRegion();
  v->RedrawImage(image::kCompositePaint, CString());
  EXPECT_EQ(At(v, 20, 20), Of(brush));
  EXPECT_EQ(At(v, 22, 22), Of(brush));
  EXPECT_EQ(At(v, 23, 22), Of(RGB(200, 200, 200)));
  // The flood fill over the surface of one colour reaches the region's
  // edges but stops at the pen's dots.
  st.m_nShapeKind = 0;
  st.m_nImageTool = 0;
  st.m_clrImageFill = RGB(200, 200, 200);
  st.m_clrImageBrush = RGB(0, 0, 255);
  st.m_ptImageCursor = CPoint(0, 0);
  v->CopyRegion();
  v->RedrawImage(image::kCompositePaint, CString());
  EXPECT_EQ(At(v, 10, 10), Of(RGB(0, 0, 255)));
  EXPECT_EQ(At(v, 29, 29), Of(RGB(0, 0, 255)));
  EXPECT_EQ(At(v, 14, 14), Of(brush));          // the dot stays red
  EXPECT_EQ(At(v, 9, 10), Of(RGB(200, 200, 200)));  // outside the region
  ExpectShownEqualsLoaded(v);
}

TEST_F(ImageEditTest, ZoomOfAnEditedPictureKeepsTheEdits) {
  CDvkView* v = OpenPicture(Bmp24(40, 30));
  ASSERT_NE(v, nullptr);
  image::ImageViewState& st = v->m_image;
  st.m_clrImageBack = kBack;
  st.m_rcImageSel = CRect(4, 4, 12, 10);
  v->CutRegion();
  const std::vector<std::uint8_t> edited = LoadedRows(v);
  ASSERT_EQ(At(v, 4, 4), Of(kBack));
  doc->OnViewZoomOut();
  testsupport::PumpUntil([] { return false; }, 100);
  ASSERT_EQ(View(), v);
  EXPECT_EQ(img::ReadDibHeader(st.m_bmiImage).biWidth, 20);  // level 4: half
  doc->OnViewZoomIn();
  testsupport::PumpUntil([] { return false; }, 100);
  EXPECT_EQ(st.m_aImageSettings[img::word::nZoomLevel], 5u);
  EXPECT_EQ(img::ReadDibHeader(st.m_bmiImage).biWidth, 40);
  EXPECT_EQ(LoadedRows(v), edited);
  ExpectShownEqualsLoaded(v);
  // The picture stays modified: the save question still asks.
  EXPECT_TRUE(v->GetRichEditCtrl().GetModify());
  // After a paste (selection mode 1, only the modified flag tells) the
  // zoom keeps the edits as well.
  st.m_rcImageSel = CRect(0, 0, 6, 6);
  v->CopyRegion();
  st.m_rcImageSel = CRect(30, 20, 36, 26);
  v->PasteRegion();
  const std::vector<std::uint8_t> pasted = LoadedRows(v);
  doc->OnViewZoomOut();
  doc->OnViewZoomIn();
  testsupport::PumpUntil([] { return false; }, 100);
  EXPECT_EQ(LoadedRows(v), pasted);
  EXPECT_EQ(At(v, 30, 20), Pattern(0, 0));
}

TEST_F(ImageEditTest, ThePrintOfARegionPreviewsTheCropAndThenUndoesIt) {
  CDvkView* v = OpenPicture(Bmp24(40, 30));
  ASSERT_NE(v, nullptr);
  image::ImageViewState& st = v->m_image;
  const std::vector<std::uint8_t> original = LoadedRows(v);
  st.m_rcImageSel = CRect(5, 5, 25, 15);
  // Wine has no printer: the preview says so.
  fw::hooks::ExpectMessageBox("", IDOK);
  v->SendMessage(WM_COMMAND, MAKEWPARAM(ID_REGION_PRINT, 0), 0);
  EXPECT_EQ(doc->m_nPrintRequest, 0);  // the update took the request
  EXPECT_EQ(v->m_anPrintState[2], 2);
  EXPECT_EQ(img::ReadDibHeader(st.m_bmiImage).biWidth, 20);
  EXPECT_EQ(At(v, 0, 0), Pattern(5, 5));
  // Timer 13 brings the picture back.
  testsupport::PumpUntil([&] { return img::ReadDibHeader(st.m_bmiImage).biWidth == 40; }, 3000);
  EXPECT_EQ(img::ReadDibHeader(st.m_bmiImage).biWidth, 40);
  EXPECT_EQ(LoadedRows(v), original);
  EXPECT_EQ(v->m_anPrintState[2], 0);
  fw::hooks::Reset();
}

TEST_F(ImageEditTest, TheModesNoCommandReachesKeepToTheRegion) {
  CDvkView* v = OpenPicture(Bmp24(40, 30));
  ASSERT_NE(v, nullptr);
  image::ImageViewState& st = v->m_image;
  const std::vector<std::uint8_t> original = LoadedRows(v);
  // Mode 2 only saves the region's bytes for the undo.
  st.m_rcImageSel = CRect(4, 4, 14, 10);
  v->CopyRegion();
  v->RedrawImage(image::kCompositeSaveOnly, CString());
  EXPECT_EQ(LoadedRows(v), original);
  EXPECT_EQ(st.m_nRegionUndoSize, 32u * 6u);
  EXPECT_EQ(0, std::memcmp(st.m_pRegionUndo, original.data() + (30 - 10) * 120 + 12, 30));
  // Mode 9 makes the clip the region's block and records its place.
  st.m_rcImageSel = CRect(20, 10, 26, 16);
  v->RedrawImage(image::kCompositeKeepBits, CString());
  EXPECT_EQ(Clip().m_rcImageClip, CRect(20, 10, 26, 16));
  EXPECT_EQ(ClipLayout().width, 6);
  // Mode 10 (the turn) writes only inside the region.
  st.m_rcImageSel = CRect(2, 2, 12, 6);
  v->CopyRegion();
  v->RedrawImage(image::kCompositeRotate, CString());
  EXPECT_EQ(At(v, 1, 1), Pattern(1, 1));
  EXPECT_EQ(At(v, 30, 20), Pattern(30, 20));
  ExpectShownEqualsLoaded(v);
}

TEST_F(ImageEditTest, TheViewsFigureUsesItsLineStyleAndPaintColour) {
  CDvkView* v = OpenPicture(Bmp24(8, 8));
  ASSERT_NE(v, nullptr);
  v->m_image.m_nLineStyle = 0;
  v->m_image.m_clrImageText = RGB(9, 9, 9);
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = 20;
  bi.bmiHeader.biHeight = -20;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HDC dc = ::CreateCompatibleDC(nullptr);
  HBITMAP bmp = ::CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(bmp, nullptr);
  HGDIOBJ old = ::SelectObject(dc, bmp);
  RECT all = {0, 0, 20, 20};
  ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
  EXPECT_EQ(v->DrawRegionShape(dc, 2, 2, 12, 12, 2, 2, RGB(255, 0, 0), RGB(0, 0, 255), RGB(0, 0, 0)), 0);
  EXPECT_EQ(::GetPixel(dc, 7, 7), RGB(0, 0, 255));  // filled in the brush colour
  EXPECT_EQ(::GetPixel(dc, 15, 15), RGB(255, 255, 255));
  ::SelectObject(dc, old);
  ::DeleteObject(bmp);
  ::DeleteDC(dc);
}

TEST_F(ImageEditTest, RefusedMemoryInAPasteLeavesThePictureAsItWas) {
  CDvkView* v = OpenPicture(Bmp24(40, 30));
  ASSERT_NE(v, nullptr);
  image::ImageViewState& st = v->m_image;
  st.m_rcImageSel = CRect(0, 0, 6, 6);
  v->CopyRegion();
  const std::vector<std::uint8_t> original = LoadedRows(v);
  CString want;
  want.LoadString(IDS_OUT_OF_MEMORY);
  for (long n = 1;; ++n) {
    st.m_rcImageSel = CRect(10, 10, 22, 22);  // stretched: a working copy
    st.m_nImageSelMode = 1;
    st.m_nPasteState = 0;
    fw::hooks::Reset();
    fw::alloctest::Reset();
    fw::alloctest::FailAt(n);
    v->PasteRegion();
    const bool reached = fw::alloctest::Count() >= n;
    const long refused = fw::alloctest::Failed();
    fw::alloctest::Reset();
    if (!reached) {
      fw::hooks::Reset();
      break;
    }
    const std::vector<std::string> shown = fw::hooks::MessageBoxTexts();
    if (refused > 0) {
      ASSERT_FALSE(shown.empty()) << n;
      EXPECT_EQ(shown[0].rfind(want.Left(8).GetString(), 0), 0u) << n;
      EXPECT_EQ(LoadedRows(v), original) << n;
    }
    fw::hooks::Reset();
  }
}

}  // namespace
