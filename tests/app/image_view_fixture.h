// The frame of the image view's tests under Wine, in-process: pictures made
// in memory as BMP files, the display bitmap read back as 24-bit rows, and a
// shell fixture that opens a picture into the first pane and reads its
// caption and the window's pixels.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "shell_fixture.h"
#include "support/pump.h"

namespace imageviewtest {

// A 24-bit bottom-up BMP file of w x h; `pixel` gives the blue, green and red
// bytes of (x, y), y counted from the top.
inline std::string BmpOf(int w, int h, const std::function<void(int x, int y, std::uint8_t* bgr)>& pixel) {
  const int stride = (w * 3 + 3) & ~3;
  const std::uint32_t size = static_cast<std::uint32_t>(stride) * static_cast<std::uint32_t>(h);
  std::string b(54 + size, '\0');
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>(v >> (8 * i));
  };
  b[0] = 'B';
  b[1] = 'M';
  put32(2, 54 + size);
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<std::uint32_t>(w));
  put32(22, static_cast<std::uint32_t>(h));
  b[26] = 1;
  b[28] = 24;
  put32(34, size);
  for (int row = 0; row < h; ++row) {
    const int y = h - 1 - row;
    for (int x = 0; x < w; ++x) {
      std::uint8_t bgr[3] = {0, 0, 0};
      pixel(x, y, bgr);
      const std::size_t at = 54 + static_cast<std::size_t>(row) * stride + static_cast<std::size_t>(x) * 3;
      for (int i = 0; i < 3; ++i) b[at + i] = static_cast<char>(bgr[i]);
    }
  }
  return b;
}

// Pixel (x, y from the top) is (x, y, x + y) mod 256 in blue, green, red.
inline std::string Bmp24(int w, int h) {
  return BmpOf(w, h, [](int x, int y, std::uint8_t* bgr) {
    bgr[0] = static_cast<std::uint8_t>(x);
    bgr[1] = static_cast<std::uint8_t>(y);
    bgr[2] = static_cast<std::uint8_t>(x + y);
  });
}

// Every pixel the one colour.
inline std::string SolidBmp24(int w, int h, COLORREF c) {
  return BmpOf(w, h, [c](int, int, std::uint8_t* bgr) {
    bgr[0] = GetBValue(c);
    bgr[1] = GetGValue(c);
    bgr[2] = GetRValue(c);
  });
}

// The pixel rows of a BMP file made above.
inline std::vector<std::uint8_t> Pixels(const std::string& bmp) {
  return std::vector<std::uint8_t>(bmp.begin() + 54, bmp.end());
}

// The rows of a bitmap as a 24-bit bottom-up DIB.
inline std::vector<std::uint8_t> BitmapRows(HBITMAP bmp, int* w, int* h) {
  BITMAP bm = {};
  ::GetObjectA(bmp, sizeof bm, &bm);
  *w = bm.bmWidth;
  *h = bm.bmHeight;
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = bm.bmWidth;
  bi.bmiHeader.biHeight = bm.bmHeight;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  const int stride = (bm.bmWidth * 3 + 3) & ~3;
  std::vector<std::uint8_t> rows(static_cast<std::size_t>(stride) * static_cast<std::size_t>(bm.bmHeight));
  HDC dc = ::GetDC(nullptr);
  ::GetDIBits(dc, bmp, 0, static_cast<UINT>(bm.bmHeight), rows.data(), &bi, DIB_RGB_COLORS);
  ::ReleaseDC(nullptr, dc);
  return rows;
}

class ImageViewFixture : public shelltest::ShellFileTest {
 protected:
  void TearDown() override {
    CDvkView::s_nImageBitmapRefusals = 0;
    ShellFileTest::TearDown();
  }
  CDvkView* View() { return frame->GetTextView(0, 0); }
  // Status pane 0, where the picture's caption goes.
  std::string Caption() {
    return g_pStatusBar && g_pStatusBar->m_hWnd ? std::string(g_pStatusBar->GetPaneText(0).GetString())
                                                 : std::string();
  }
  // Opens `path` and lets the update's messages run for a moment.
  bool Open(const std::string& path) {
    if (doc->OpenFile(path.c_str(), docopen::OpenMode::kPlain) != 0) return false;
    testsupport::PumpUntil([] { return false; }, 50);
    return true;
  }
  // Opens `path` and waits until the first pane has taken it in.
  bool OpenAndWait(const std::string& path) {
    if (doc->OpenFile(path.c_str(), docopen::OpenMode::kPlain) != 0) return false;
    CDvkView* v = View();
    return v && testsupport::PumpUntil([v] { return !v->LoadPending(); }, 10000);
  }
  // The window's pixel at (x, y) of the view's client area (CLR_INVALID when
  // the window cannot be read back).
  static COLORREF PixelAt(CDvkView* v, int x, int y) {
    HDC dc = ::GetDC(v->m_hWnd);
    const COLORREF c = ::GetPixel(dc, x, y);
    ::ReleaseDC(v->m_hWnd, dc);
    return c;
  }
};

}  // namespace imageviewtest
