// One figure drawn on a picture region's DC under Wine: a 24-bit DIB section
// in a memory DC, filled white, drawn on and read back pixel by pixel. The
// frame's sides and untouched inside, filling in the brush colour, the
// ellipse, the snapped line, the hatch's two colours, the wide pens, the
// quarter arc's side, and that the DC gets its own pen and brush back.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstring>

#include "view/region_shape_draw.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kPen = RGB(200, 0, 0);
constexpr COLORREF kBrush = RGB(0, 160, 0);
constexpr COLORREF kHatchBack = RGB(0, 0, 220);
constexpr COLORREF kText = RGB(90, 60, 30);
constexpr int kSize = 100;

class Canvas {
 public:
  Canvas() {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = kSize;
    bi.bmiHeader.biHeight = -kSize;  // top-down rows
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    dc_ = ::CreateCompatibleDC(nullptr);
    bmp_ = ::CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
    old_ = ::SelectObject(dc_, bmp_);
    std::memset(bits_, 0xFF, size_t(Stride()) * kSize);
  }
  ~Canvas() {
    ::SelectObject(dc_, old_);
    ::DeleteObject(bmp_);
    ::DeleteDC(dc_);
  }
  bool Ready() const { return dc_ && bmp_ && bits_; }
  HDC dc() const { return dc_; }

  int Draw(int kind, int l, int t, int r, int b, int style = 0, int fill = 0) {
    image::ShapeInput in;
    in.l = l, in.t = t, in.r = r, in.b = b;
    in.kind = kind;
    in.fill = fill;
    in.lineStyle = style;
    in.penColour = kPen, in.brushColour = kBrush, in.hatchBack = kHatchBack, in.textColour = kText;
    const int rc = view::DrawRegionShape(dc_, in);
    ::GdiFlush();
    return rc;
  }
  COLORREF At(int x, int y) const {
    const uint8_t* p = bits_ + y * Stride() + x * 3;
    return RGB(p[2], p[1], p[0]);
  }
  // How many pixels of the rectangle [x0, x1] x [y0, y1] have colour c.
  int Count(int x0, int y0, int x1, int y1, COLORREF c) const {
    int n = 0;
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x) n += At(x, y) == c;
    return n;
  }
  int CountAll(COLORREF c) const { return Count(0, 0, kSize - 1, kSize - 1, c); }

 private:
  static int Stride() { return (kSize * 3 + 3) / 4 * 4; }
  HDC dc_ = nullptr;
  HBITMAP bmp_ = nullptr;
  HGDIOBJ old_ = nullptr;
  uint8_t* bits_ = nullptr;
};

TEST(RegionShapeDraw, FrameOutlineAndFilledFrame) {
  {
    Canvas c;
    ASSERT_TRUE(c.Ready());
    HGDIOBJ pen = ::GetCurrentObject(c.dc(), OBJ_PEN), brush = ::GetCurrentObject(c.dc(), OBJ_BRUSH);
    EXPECT_EQ(c.Draw(0, 10, 10, 41, 31), 0);
    // Sides on x 10 and 39, y 10 and 29 (right and bottom trimmed by one,
    // the outline on the last pixels); nothing inside or outside.
    EXPECT_EQ(c.Count(10, 10, 39, 10, kPen), 30);
    EXPECT_EQ(c.Count(10, 29, 39, 29, kPen), 30);
    EXPECT_EQ(c.Count(10, 10, 10, 29, kPen), 20);
    EXPECT_EQ(c.Count(39, 10, 39, 29, kPen), 20);
    EXPECT_EQ(c.Count(11, 11, 38, 28, kWhite), 28 * 18);
    EXPECT_EQ(c.CountAll(kPen), 2 * 30 + 2 * 18);
    EXPECT_EQ(::GetCurrentObject(c.dc(), OBJ_PEN), pen);
    EXPECT_EQ(::GetCurrentObject(c.dc(), OBJ_BRUSH), brush);
  }
  {
    // Fill kind 2: the brush colour inside and on the outline.
    Canvas c;
    ASSERT_TRUE(c.Ready());
    c.Draw(0, 41, 31, 10, 10, 0, 2);
    EXPECT_EQ(c.Count(10, 10, 39, 29, kBrush), 30 * 20);
    EXPECT_EQ(c.CountAll(kBrush), 30 * 20);
    EXPECT_EQ(c.CountAll(kPen), 0);
  }
}

TEST(RegionShapeDraw, EllipseFilledAndOutlined) {
  Canvas c;
  ASSERT_TRUE(c.Ready());
  c.Draw(3, 10, 10, 71, 51, 0, 2);
  EXPECT_EQ(c.At(40, 30), kBrush);
  EXPECT_EQ(c.At(12, 30), kBrush);
  for (int p : {0, 1, 2}) {
    EXPECT_EQ(c.At(10 + p, 10 + p), kWhite) << p;
    EXPECT_EQ(c.At(69 - p, 49 - p), kWhite) << p;
  }
  EXPECT_EQ(c.Count(71, 0, kSize - 1, kSize - 1, kBrush), 0);
  Canvas o;
  ASSERT_TRUE(o.Ready());
  o.Draw(3, 10, 10, 71, 51);  // the outline only
  EXPECT_EQ(o.At(40, 30), kWhite);
  EXPECT_GT(o.Count(10, 25, 12, 35, kPen), 0);
  EXPECT_GT(o.Count(35, 10, 45, 12, kPen), 0);
}

TEST(RegionShapeDraw, LineSnapsAndWidePensThicken) {
  Canvas c;
  ASSERT_TRUE(c.Ready());
  c.Draw(10, 10, 10, 12, 40);
  EXPECT_EQ(c.Count(10, 10, 10, 38, kPen), 29);
  EXPECT_EQ(c.CountAll(kPen), 29);
  // Across a horizontal line: one pixel, two with style 1, three with 2.
  for (int s : {0, 1, 2}) {
    Canvas w;
    ASSERT_TRUE(w.Ready());
    w.Draw(10, 10, 50, 90, 51, s);
    EXPECT_EQ(w.Count(50, 40, 50, 60, kPen), s + 1) << s;
  }
  // Style 2 frame: the wide sides' outer corners are set.
  Canvas f;
  ASSERT_TRUE(f.Ready());
  f.Draw(0, 20, 20, 61, 61, 2);
  for (POINT p : {POINT{20, 20}, POINT{59, 20}, POINT{59, 59}, POINT{20, 59}})
    EXPECT_EQ(f.At(p.x, p.y), kPen) << p.x << "," << p.y;
}

TEST(RegionShapeDraw, HatchShowsPaintAndBackground) {
  for (int fill : {1, 2}) {
    Canvas c;
    ASSERT_TRUE(c.Ready());
    c.Draw(5, 10, 10, 51, 51, 4, fill);  // a cross hatch
    const COLORREF back = fill == 1 ? kHatchBack : kBrush;
    const int paint = c.Count(10, 10, 49, 49, kText), gaps = c.Count(10, 10, 49, 49, back);
    EXPECT_GT(paint, 40 * 2) << fill;
    EXPECT_GT(gaps, 40 * 20) << fill;
    EXPECT_EQ(paint + gaps, 40 * 40) << fill;
    EXPECT_EQ(c.CountAll(kWhite), kSize * kSize - 40 * 40) << fill;
    EXPECT_EQ(::GetBkColor(c.dc()), kBrush) << fill;  // the brush colour afterwards
  }
  Canvas n;
  ASSERT_TRUE(n.Ready());
  n.Draw(5, 10, 10, 51, 51, 4, 0);  // fill kind 0: not filled
  EXPECT_EQ(n.CountAll(kWhite), kSize * kSize);
}

TEST(RegionShapeDraw, QuarterArcOnTheStartSide) {
  // Dragged down-right and up-right: the quarter of the ellipse centred on
  // the end point that faces the start; the other side stays white.
  Canvas dr;
  ASSERT_TRUE(dr.Ready());
  dr.Draw(4, 10, 10, 51, 51);
  EXPECT_GT(dr.Count(10, 10, 30, 30, kPen), 10);
  EXPECT_EQ(dr.Count(51, 0, kSize - 1, kSize - 1, kPen), 0);
  EXPECT_EQ(dr.Count(0, 51, kSize - 1, kSize - 1, kPen), 0);
  Canvas ur;
  ASSERT_TRUE(ur.Ready());
  ur.Draw(4, 10, 90, 51, 49);
  EXPECT_GT(ur.Count(10, 70, 30, 90, kPen), 10);
  EXPECT_EQ(ur.Count(0, 0, kSize - 1, 44, kPen), 0);  // the start pixel may round a row up
  EXPECT_EQ(ur.Count(51, 0, kSize - 1, kSize - 1, kPen), 0);
}

}  // namespace
