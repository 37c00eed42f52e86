// GDI wrappers: drawing into DIB sections, blits, fonts, regions, and that no
// handle outlives its wrapper.
#include <gtest/gtest.h>
#include <windows.h>

#include "fw/gdi.h"
#include "res/test/testres.h"

namespace {

// A memory DC with a 32-bit DIB section of w x h selected, cleared to white.
// The bitmap is declared first: the DC lets go of it before it is deleted.
struct Canvas {
  CBitmap bmp;
  CDC dc;
  Canvas(int w, int h) {
    EXPECT_TRUE(dc.CreateCompatibleDC(nullptr));
    EXPECT_TRUE(bmp.CreateDIBSection(w, h));
    dc.SelectObject(&bmp);
    dc.FillSolidRect(0, 0, w, h, RGB(255, 255, 255));
  }
  COLORREF At(int x, int y) {
    GdiFlush();
    return bmp.GetPixel(x, y);
  }
};

TEST(Gdi, FillSolidRectAndRectangleReadBack) {
  Canvas c(40, 30);
  CRect r(5, 5, 15, 10);
  c.dc.FillSolidRect(r, RGB(255, 0, 0));
  EXPECT_EQ(RGB(255, 0, 0), c.At(5, 5));
  EXPECT_EQ(RGB(255, 0, 0), c.At(14, 9));
  EXPECT_EQ(RGB(255, 255, 255), c.At(15, 9));  // right and bottom edges excluded
  EXPECT_EQ(RGB(255, 255, 255), c.At(14, 10));
  // The background colour is put back after the fill.
  c.dc.SetBkColor(RGB(1, 2, 3));
  c.dc.FillSolidRect(0, 0, 1, 1, RGB(9, 9, 9));
  EXPECT_EQ(RGB(1, 2, 3), c.dc.GetBkColor());

  CPen pen(PS_SOLID, 1, RGB(0, 0, 255));
  CBrush brush(RGB(0, 255, 0));
  HGDIOBJ oldPen = c.dc.SelectObject(&pen);
  HGDIOBJ oldBrush = c.dc.SelectObject(&brush);
  ASSERT_NE(nullptr, oldPen);
  ASSERT_NE(nullptr, oldBrush);
  EXPECT_TRUE(c.dc.Rectangle(20, 10, 30, 20));
  EXPECT_EQ(RGB(0, 0, 255), c.At(20, 10));  // outline
  EXPECT_EQ(RGB(0, 0, 255), c.At(29, 19));
  EXPECT_EQ(RGB(0, 255, 0), c.At(25, 15));  // inside
  EXPECT_EQ(RGB(255, 255, 255), c.At(30, 15));
  // Selecting the old ones back returns ours.
  EXPECT_EQ(pen.m_hObject, c.dc.SelectObject(oldPen));
  EXPECT_EQ(brush.m_hObject, c.dc.SelectObject(oldBrush));

  c.dc.SelectObject(&pen);
  c.dc.MoveTo(0, 25);
  c.dc.LineTo(10, 25);
  EXPECT_EQ(RGB(0, 0, 255), c.At(0, 25));
  EXPECT_EQ(RGB(0, 0, 255), c.At(9, 25));
  EXPECT_EQ(RGB(255, 255, 255), c.At(10, 25));  // the end point is not drawn
}

TEST(Gdi, BitBltStretchBltAndPixelAccess) {
  Canvas src(4, 4), dst(8, 8);
  src.bmp.SetPixel(1, 2, RGB(10, 20, 30));
  EXPECT_EQ(RGB(10, 20, 30), src.At(1, 2));
  EXPECT_EQ(RGB(10, 20, 30), src.dc.GetPixel(1, 2));
  ASSERT_TRUE(dst.dc.BitBlt(4, 4, 4, 4, &src.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(RGB(10, 20, 30), dst.At(5, 6));
  EXPECT_EQ(RGB(255, 255, 255), dst.At(4, 4));
  dst.dc.SetStretchBltMode(COLORONCOLOR);
  ASSERT_TRUE(dst.dc.StretchBlt(0, 0, 8, 8, &src.dc, 0, 0, 4, 4, SRCCOPY));
  EXPECT_EQ(RGB(10, 20, 30), dst.At(2, 4));
  EXPECT_EQ(RGB(10, 20, 30), dst.At(3, 5));
  EXPECT_EQ(RGB(255, 255, 255), dst.At(4, 4));
  // Outside the bitmap: nothing read or written.
  src.bmp.SetPixel(-1, 0, 0);
  src.bmp.SetPixel(4, 0, 0);
  EXPECT_EQ(0u, src.bmp.GetPixel(0, 4));
  EXPECT_EQ(16, src.bmp.Stride());
}

TEST(Gdi, DibSectionRejectsBadSizes) {
  CBitmap b;
  EXPECT_FALSE(b.CreateDIBSection(0, 10));
  EXPECT_FALSE(b.CreateDIBSection(10, -1));
  EXPECT_FALSE(b.CreateDIBSection(10, 10, 8));
  EXPECT_FALSE(b.CreateDIBSection(100000, 100000));  // 40 GB
  EXPECT_EQ(nullptr, b.Bits());
  ASSERT_TRUE(b.CreateDIBSection(3, 2, 24));
  EXPECT_EQ(12, b.Stride());  // 9 bytes padded to 4
  EXPECT_EQ(3, b.GetSize().cx);
  EXPECT_EQ(2, b.GetSize().cy);
}

TEST(Gdi, LoadBitmapFromTheResources) {
  CBitmap b;
  ASSERT_TRUE(b.LoadBitmap(IDB_TEST_PATTERN));
  EXPECT_EQ(3, b.GetSize().cx);
  EXPECT_EQ(2, b.GetSize().cy);
  Canvas c(3, 2);
  CDC mem;
  ASSERT_TRUE(mem.CreateCompatibleDC(&c.dc));
  mem.SelectObject(&b);
  ASSERT_TRUE(c.dc.BitBlt(0, 0, 3, 2, &mem, 0, 0, SRCCOPY));
  EXPECT_EQ(RGB(255, 0, 0), c.At(0, 0));
  EXPECT_EQ(RGB(0, 255, 0), c.At(1, 0));
  EXPECT_EQ(RGB(0, 0, 255), c.At(2, 0));
  EXPECT_EQ(RGB(0, 0, 0), c.At(1, 1));
}

TEST(Gdi, TextFontsAndExtents) {
  Canvas c(200, 40);
  CFont font;
  ASSERT_TRUE(font.CreatePointFont(120, "ＭＳ ゴシック", &c.dc));
  LOGFONTA lf;
  ASSERT_TRUE(font.GetLogFont(&lf));
  EXPECT_EQ(-MulDiv(120, c.dc.GetDeviceCaps(LOGPIXELSY), 720), lf.lfHeight);
  EXPECT_EQ("ＭＳ ゴシック", std::string(lf.lfFaceName));
  c.dc.SelectObject(&font);
  const CSize one = c.dc.GetTextExtent("表");
  const CSize two = c.dc.GetTextExtent(CString("表示"));
  EXPECT_GT(one.cx, 0);
  EXPECT_GT(one.cy, 0);
  EXPECT_GT(two.cx, one.cx);
  TEXTMETRICA tm;
  ASSERT_TRUE(c.dc.GetTextMetrics(&tm));
  EXPECT_GT(tm.tmHeight, 0);

  // ExtTextOut with ETO_OPAQUE fills its rectangle with the background colour.
  c.dc.SetBkColor(RGB(0, 0, 128));
  c.dc.SetTextColor(RGB(255, 255, 0));
  RECT r = {100, 0, 200, 40};
  ASSERT_TRUE(c.dc.ExtTextOut(100, 0, ETO_OPAQUE, &r, ""));
  EXPECT_EQ(RGB(0, 0, 128), c.At(199, 39));
  // Text draws something inside its extent.
  c.dc.SetBkMode(TRANSPARENT);
  ASSERT_TRUE(c.dc.TextOut(2, 2, "■"));
  const CSize box = c.dc.GetTextExtent("■");
  int painted = 0;
  for (int y = 2; y < 2 + box.cy; ++y)
    for (int x = 2; x < 2 + box.cx; ++x) painted += c.At(x, y) != RGB(255, 255, 255);
  EXPECT_GT(painted, 0);
  CRect dr(0, 0, 1000, 40);
  EXPECT_GT(c.dc.DrawText(CString("一行"), &dr, DT_LEFT | DT_SINGLELINE | DT_CALCRECT), 0);
  EXPECT_EQ(c.dc.GetTextExtent("一行").cx, dr.Width());  // measured, written back
  CRect opaque(0, 30, 10, 40);
  ASSERT_TRUE(c.dc.ExtTextOut(0, 30, ETO_OPAQUE, &opaque, ""));
  EXPECT_EQ(RGB(0, 0, 128), c.At(9, 39));
  EXPECT_TRUE(c.dc.ExtTextOut(0, 0, 0, nullptr, "x"));
}

TEST(Gdi, RegionsCombineAndClip) {
  CRgn a, b, both;
  ASSERT_TRUE(a.CreateRectRgn(0, 0, 10, 10));
  RECT rb = {5, 5, 20, 20};
  ASSERT_TRUE(b.CreateRectRgnIndirect(rb));
  ASSERT_TRUE(both.CreateRectRgn(0, 0, 0, 0));
  EXPECT_EQ(SIMPLEREGION, both.CombineRgn(&a, &b, RGN_AND));
  RECT box;
  EXPECT_EQ(SIMPLEREGION, both.GetRgnBox(&box));
  EXPECT_EQ(5, box.left);
  EXPECT_EQ(10, box.right);
  EXPECT_TRUE(both.PtInRegion(7, 7));
  EXPECT_FALSE(both.PtInRegion(2, 2));

  Canvas c(20, 20);
  c.dc.SelectClipRgn(&both);
  c.dc.FillSolidRect(0, 0, 20, 20, RGB(0, 0, 0));
  EXPECT_EQ(RGB(0, 0, 0), c.At(6, 6));
  EXPECT_EQ(RGB(255, 255, 255), c.At(2, 2));
  c.dc.SelectClipRgn(nullptr);
  CRgn none;
  EXPECT_EQ(ERROR, none.CombineRgn(&a, &b, RGN_OR));  // no region to hold it
}

TEST(Gdi, EveryHandleIsFreedWithItsWrapper) {
  HGDIOBJ pen, brush, font, bmp, rgn;
  HDC dc;
  {
    Canvas c(10, 10);
    CPen p(PS_SOLID, 2, RGB(1, 1, 1));
    CBrush b(RGB(2, 2, 2));
    CFont f;
    ASSERT_TRUE(f.CreatePointFont(90, "ＭＳ Ｐゴシック"));
    CRgn r;
    ASSERT_TRUE(r.CreateEllipticRgn(0, 0, 5, 5));
    pen = p.m_hObject;
    brush = b.m_hObject;
    font = f.m_hObject;
    bmp = c.bmp.m_hObject;
    rgn = r.m_hObject;
    dc = c.dc.m_hDC;
    // Left selected on purpose in a DC that goes before them: it puts its
    // own objects back, so they can be deleted.
    CDC other;
    ASSERT_TRUE(other.CreateCompatibleDC(nullptr));
    other.SelectObject(&p);
    other.SelectObject(&b);
    other.SelectObject(&f);
    other.Ellipse(0, 0, 4, 4);
  }
  EXPECT_EQ(0u, GetObjectType(pen));
  EXPECT_EQ(0u, GetObjectType(brush));
  EXPECT_EQ(0u, GetObjectType(font));
  EXPECT_EQ(0u, GetObjectType(bmp));
  EXPECT_EQ(0u, GetObjectType(rgn));
  EXPECT_EQ(0u, GetObjectType(dc));
}

TEST(Gdi, ManyDrawingsLeaveNoHandleBehind) {
  // GetGuiResources counts GDI objects on Windows (Wine reports 0); each
  // round's handles are checked directly as well.
  const DWORD before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  for (int i = 0; i < 200; ++i) {
    HGDIOBJ handles[5];
    {
      Canvas c(16, 16);
      CPen p(PS_DOT, 1, RGB(i, 0, 0));
      CBrush b(RGB(0, i, 0));
      CFont f;
      ASSERT_TRUE(f.CreatePointFont(100 + i % 10, "ＭＳ ゴシック"));
      c.dc.SelectObject(&p);
      c.dc.SelectObject(&b);
      c.dc.SelectObject(&f);
      POINT tri[3] = {{0, 0}, {15, 0}, {7, 15}};
      c.dc.Polygon(tri, 3);
      c.dc.TextOut(0, 0, "字");
      handles[0] = p.m_hObject;
      handles[1] = b.m_hObject;
      handles[2] = f.m_hObject;
      handles[3] = c.bmp.m_hObject;
      handles[4] = c.dc.m_hDC;
    }
    for (HGDIOBJ h : handles) ASSERT_EQ(0u, GetObjectType(h)) << "round " << i;
  }
  const DWORD after = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  EXPECT_LE(after, before + 2);
}

TEST(Gdi, DetachHandsTheHandleOver) {
  CBrush b(RGB(5, 5, 5));
  HGDIOBJ h = b.Detach();
  EXPECT_EQ(nullptr, b.GetSafeHandle());
  EXPECT_EQ(static_cast<DWORD>(OBJ_BRUSH), GetObjectType(h));
  CBrush again;
  again.Attach(h);
  EXPECT_TRUE(again.DeleteObject());
  EXPECT_EQ(0u, GetObjectType(h));
  EXPECT_FALSE(again.DeleteObject());
}

TEST(Gdi, ScreenDcs) {
  CWindowDC screen(nullptr);
  ASSERT_NE(nullptr, screen.m_hDC);
  EXPECT_GT(screen.GetDeviceCaps(LOGPIXELSY), 0);
  CClientDC client(nullptr);
  ASSERT_NE(nullptr, client.m_hDC);
  CDC mem;
  ASSERT_TRUE(mem.CreateCompatibleDC(&client));
  CBitmap b;
  ASSERT_TRUE(b.CreateCompatibleBitmap(&client, 8, 8));
  mem.SelectObject(&b);
  mem.FillSolidRect(0, 0, 8, 8, RGB(0, 0, 0));
  EXPECT_EQ(RGB(0, 0, 0), mem.GetPixel(3, 3));
  const int saved = mem.SaveDC();
  mem.SetMapMode(MM_LOMETRIC);
  EXPECT_EQ(MM_LOMETRIC, mem.GetMapMode());
  EXPECT_TRUE(mem.RestoreDC(saved));
  EXPECT_EQ(MM_TEXT, mem.GetMapMode());
}

}  // namespace
