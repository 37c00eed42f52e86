// Zooming a picture out with the view's GDI scaler, under Wine in-process: a
// smooth gradient made by ImageMagick before this test (image_save_check.sh)
// is shown at 1/2; the pixels read back from the view's window, and the
// scaler's own output, are compared with ImageMagick's box-filtered half.
#include <gtest/gtest.h>

#include <windows.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "image/load/image_record.h"
#include "image/view/view_types.h"
#include "shell_fixture.h"
#include "support/file_bytes.h"
#include "support/pump.h"

namespace {

std::string Made(const char* name) { return std::string(TABRYE_BIN_ROOT) + "\\image_zoom\\" + name; }

// A binary PPM of 8-bit samples: its size and RGB triples.
struct Rgb {
  int w = 0, h = 0;
  std::string px;
};
bool ReadPpm(const std::string& f, Rgb* out) {
  size_t at = 0;
  auto token = [&]() {
    std::string t;
    while (at < f.size()) {
      if (f[at] == '#') {
        while (at < f.size() && f[at] != '\n') ++at;
      } else if (std::isspace(static_cast<unsigned char>(f[at]))) {
        if (!t.empty()) break;
        ++at;
      } else {
        t += f[at++];
      }
    }
    return t;
  };
  if (token() != "P6") return false;
  out->w = std::atoi(token().c_str());
  out->h = std::atoi(token().c_str());
  if (token() != "255") return false;
  ++at;  // the one white-space byte before the samples
  const size_t n = size_t(out->w) * size_t(out->h) * 3;
  if (out->w <= 0 || out->h <= 0 || f.size() < at + n) return false;
  out->px = f.substr(at, n);
  return true;
}

double Psnr(const std::string& a, const std::string& b) {
  if (a.size() != b.size() || a.empty()) return 0;
  double sum = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    const double d = double(static_cast<uint8_t>(a[i])) - double(static_cast<uint8_t>(b[i]));
    sum += d * d;
  }
  const double mse = sum / double(a.size());
  return mse == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

// Top-down RGB of 24-bit bottom-up rows.
std::string RowsRgb(const uint8_t* rows, int w, int h) {
  const int stride = (w * 3 + 3) & ~3;
  std::string out;
  for (int y = 0; y < h; ++y) {
    const uint8_t* r = rows + size_t(h - 1 - y) * stride;
    for (int x = 0; x < w; ++x) {
      out += char(r[x * 3 + 2]);
      out += char(r[x * 3 + 1]);
      out += char(r[x * 3]);
    }
  }
  return out;
}

// The top-left w x h pixels of the view's client area as they are on the
// window, top-down RGB.
std::string WindowRgb(HWND view, int w, int h) {
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HDC wdc = ::GetDC(view);
  HBITMAP section = ::CreateDIBSection(wdc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC mem = ::CreateCompatibleDC(wdc);
  HGDIOBJ old = ::SelectObject(mem, section);
  ::BitBlt(mem, 0, 0, w, h, wdc, 0, 0, SRCCOPY);
  ::GdiFlush();
  std::string out;
  const uint8_t* p = static_cast<const uint8_t*>(bits);
  for (int i = 0; i < w * h; ++i) {
    out += char(p[i * 4 + 2]);
    out += char(p[i * 4 + 1]);
    out += char(p[i * 4]);
  }
  ::SelectObject(mem, old);
  ::DeleteDC(mem);
  ::DeleteObject(section);
  ::ReleaseDC(view, wdc);
  return out;
}

class ImageZoom : public shelltest::ShellFileTest {};

TEST_F(ImageZoom, TheGdiScalerHalvesASmoothGradientLikeABoxFilter) {
  const std::string source = testsupport::ReadFileBytes(Made("gradient.bmp"));
  Rgb want;
  if (source.empty() || !ReadPpm(testsupport::ReadFileBytes(Made("gradient_half.ppm")), &want))
    GTEST_SKIP() << "no gradient pictures (made by ImageMagick before this test)";
  ASSERT_EQ(want.w, 120);
  ASSERT_EQ(want.h, 80);
  const std::string path = File("gradient.bmp");
  testsupport::WriteFileBytes(path, source);
  ASSERT_TRUE(StartIn(""));
  frame->ShowWindow(SW_SHOW);
  ASSERT_EQ(doc->OpenFile(path.c_str(), docopen::OpenMode::kPlain), 0);
  CDvkView* v = frame->GetTextView(0, 0);
  ASSERT_NE(v, nullptr);
  ASSERT_TRUE(testsupport::PumpUntil([v] { return !v->LoadPending(); }, 10000));
  ASSERT_EQ(v->m_image.m_nImageWidth, 240);
  // Level 4 (1/2) with the view's own scaler.
  v->m_nLoadState = 0;
  v->m_image.m_aImageSettings[img::word::nZoomLevel] = 4;
  v->RedrawImageView(0);
  ASSERT_EQ(v->m_image.m_nImageWidth, want.w);
  ASSERT_EQ(v->m_image.m_nImageHeight, want.h);
  // The display bitmap.
  HBITMAP shown = static_cast<HBITMAP>(v->m_image.m_hImageBitmap);
  ASSERT_NE(shown, nullptr);
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = want.w;
  bi.bmiHeader.biHeight = want.h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  std::vector<uint8_t> rows(size_t((want.w * 3 + 3) & ~3) * want.h);
  HDC dc = ::GetDC(nullptr);
  ASSERT_EQ(::GetDIBits(dc, shown, 0, UINT(want.h), rows.data(), &bi, DIB_RGB_COLORS), want.h);
  ::ReleaseDC(nullptr, dc);
  const double bitmapPsnr = Psnr(RowsRgb(rows.data(), want.w, want.h), want.px);
  EXPECT_GE(bitmapPsnr, 30.0);
  // What the window shows, read back from it.
  RECT rc = {};
  v->GetClientRect(&rc);
  ASSERT_GE(rc.right, want.w);
  ASSERT_GE(rc.bottom, want.h);
  v->Invalidate(FALSE);
  v->UpdateWindow();
  const double windowPsnr = Psnr(WindowRgb(v->m_hWnd, want.w, want.h), want.px);
  EXPECT_GE(windowPsnr, 30.0);
  RecordProperty("bitmap_psnr", std::to_string(bitmapPsnr));
  RecordProperty("window_psnr", std::to_string(windowPsnr));
  std::printf("PSNR against ImageMagick: bitmap %.2f dB, window %.2f dB\n", bitmapPsnr, windowPsnr);
}

// The scaler alone on the same picture, half size in one step.
TEST_F(ImageZoom, TheScalerAloneMatchesTheBoxFilter) {
  const std::string source = testsupport::ReadFileBytes(Made("gradient.bmp"));
  Rgb want;
  if (source.size() < 54 || !ReadPpm(testsupport::ReadFileBytes(Made("gradient_half.ppm")), &want))
    GTEST_SKIP() << "no gradient pictures (made by ImageMagick before this test)";
  ASSERT_TRUE(StartIn(""));
  CDvkView* v = frame->GetTextView(0, 0);
  ASSERT_NE(v, nullptr);
  const uint8_t* file = reinterpret_cast<const uint8_t*>(source.data());
  std::vector<uint8_t> info(2000, 0);
  std::memcpy(info.data(), file + 14, 40);
  const img::DibHeader h = img::ReadDibHeader(info.data());
  ASSERT_EQ(h.biBitCount, 24);
  std::vector<uint8_t> out(size_t((want.w * 3 + 3) & ~3) * want.h + 16, 0);
  ASSERT_EQ(v->ScaleRegionBits(file + img::GetLe32(file + 10), info.data(), out.data(), h.biWidth, h.biHeight, want.w,
                               want.h, 0),
            0);
  const img::DibHeader after = img::ReadDibHeader(info.data());
  EXPECT_EQ(after.biWidth, want.w);
  EXPECT_EQ(after.biHeight, want.h);
  EXPECT_EQ(after.biSizeImage, uint32_t(((want.w * 3 + 3) & ~3) * want.h));
  EXPECT_GE(Psnr(RowsRgb(out.data(), want.w, want.h), want.px), 30.0);
}

}  // namespace
