// bench_imageview_once.exe JPEG [OUT.bmp]: one whole run of the image view as
// the user meets it. The program starts in-process (its window shown, as the
// tests start it, bench/win_session.h), its start-up timers run, the zoom
// word is set to level 3 (1/4), the JPEG is opened with OpenFile and the run
// stops at the first painted frame of the view. Prints "seconds W H" (OpenFile
// to the end of the view's first WM_PAINT with the picture, the shown size),
// then the steps' seconds ("open" the call of OpenFile, "paint" from its
// return to the end of that WM_PAINT) and, with OUT, writes the shown
// picture there as a 24-bit BMP for the check. A message box or other modal
// window on the way is answered by the hooks, printed and fails the run.
//
// Built in the Windows tree only; bench_imageview (native) runs it under Wine
// as a new process each time, paired with ImageMagick.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "../bench_util.h"
#include "../win_session.h"

#include "fw/uihooks.h"
#include "image/jpeg/jpeg_decoder.h"
#include "image/view/view_types.h"

namespace {

using bench::Clock;
using bench::Seconds;

// The shown bitmap as a bottom-up 24-bit BMP file.
bool WriteShown(HWND wnd, HBITMAP bmp, const std::string& path) {
  BITMAP bm = {};
  if (!::GetObjectA(bmp, sizeof bm, &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0) return false;
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = bm.bmWidth;
  bi.bmiHeader.biHeight = bm.bmHeight;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  const std::size_t stride = (static_cast<std::size_t>(bm.bmWidth) * 3 + 3) & ~static_cast<std::size_t>(3);
  const std::size_t size = stride * static_cast<std::size_t>(bm.bmHeight);
  std::vector<unsigned char> rows(size);
  HDC dc = ::GetDC(wnd);
  const int got = ::GetDIBits(dc, bmp, 0, static_cast<UINT>(bm.bmHeight), rows.data(), &bi, DIB_RGB_COLORS);
  ::ReleaseDC(wnd, dc);
  if (got != bm.bmHeight) return false;
  BITMAPFILEHEADER fh = {};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
  fh.bfSize = static_cast<DWORD>(fh.bfOffBits + size);
  bi.bmiHeader.biSizeImage = static_cast<DWORD>(size);
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(&fh, sizeof fh, 1, f) == 1 && std::fwrite(&bi.bmiHeader, sizeof bi.bmiHeader, 1, f) == 1 &&
            std::fwrite(rows.data(), 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
}

// The view's window procedure wrapped: the end of the first WM_PAINT that
// finds the display bitmap is the first painted frame.
WNDPROC g_viewProc = nullptr;
CDvkView* g_view = nullptr;
bool g_painted = false;
Clock::time_point g_paintedAt;

LRESULT CALLBACK WatchPaint(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  const bool frame = msg == WM_PAINT && !g_painted && g_view && g_view->m_image.m_hImageBitmap != nullptr;
  const LRESULT r = ::CallWindowProcA(g_viewProc, wnd, msg, wp, lp);
  if (frame) {
    g_painted = true;
    g_paintedAt = Clock::now();
  }
  return r;
}

}  // namespace

// The memory settings a user raises for pictures this large ("membuf" and
// "membuf2", 40 MB at first): 6000 x 4000 at 24 bits is 72 MB of pixels,
// which the loader and the view refuse above the settings.
constexpr std::uint32_t kPictureMemory = 128u << 20;

// -steps JPEG: where the open's time goes, measured by hand, not a table row:
// the decoder alone (the file in memory, the three planes made), then the
// document's load (the decoder and the planes turned into DIB rows), then the
// whole OpenFile (the load, the view's take-over, the refresh that reduces
// the picture to the display bitmap).
int Steps(const char* path) {
  bench::WinSession session("imageview_steps");
  if (!session.Started() || !session.doc || !session.View()) return 1;
  CDvkDoc* doc = session.doc;
  doc->m_nTextBufSize = kPictureMemory;
  doc->m_nTextBufSize2 = kPictureMemory;
  doc->m_aImageSettings[img::word::nZoomLevel] = 3;
  std::string bytes;
  if (FILE* f = std::fopen(path, "rb")) {
    char buf[1 << 16];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
    std::fclose(f);
  }
  for (int pass = 0; pass < 3; ++pass) {
    auto t0 = Clock::now();
    jpeg::JDecoder dec;
    dec.SetPlaneLimit(kPictureMemory);
    int rc = dec.ReadHeader(reinterpret_cast<const std::uint8_t*>(bytes.data()), static_cast<std::int64_t>(bytes.size()));
    if (rc == 0) rc = dec.Decode();
    const double decode = Seconds(t0);
    std::uint8_t *r = nullptr, *g = nullptr, *b = nullptr;
    int w = 0, h = 0, c = 0;
    dec.GetInfo(&r, &g, &b, &w, &h, &c);
    jpeg::JFree(r);
    jpeg::JFree(g);
    jpeg::JFree(b);
    doc->ReleaseImageRecord();
    doc->m_imageLoad.m_nLoadReady = 0;
    auto t1 = Clock::now();
    const int loaded = doc->LoadImageFile(CString(path), 0);
    const double load = Seconds(t1);
    auto t2 = Clock::now();
    doc->OpenFile(CString(path), docopen::OpenMode::kPlain);
    bench::PumpUntil([&session] { return session.View()->m_image.m_hImageBitmap != nullptr; }, 60);
    const double open = Seconds(t2);
    std::printf("decode %.4f s (rc %d, %dx%d), load %.4f s (rc %d), OpenFile to the display bitmap %.4f s\n", decode,
                rc, w, h, load, loaded, open);
  }
  const std::string modal = bench::WinSession::ModalProblems();
  if (!modal.empty()) std::printf("modal UI: %s", modal.c_str());
  return modal.empty() ? 0 : 1;
}

int main(int argc, char** argv) {
  if (argc > 2 && std::string(argv[1]) == "-steps") return Steps(argv[2]);
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench_imageview_once.exe JPEG [OUT.bmp] | -steps JPEG\n");
    return 2;
  }
  int rc = 1;
  {
    // Started as the tests start it; the start-up's timers run first.
    bench::WinSession session("imageview");
    CDvkDoc* doc = session.doc;
    CDvkView* view = session.View();
    std::string modal = session.Started() ? bench::WinSession::ModalProblems() : std::string();
    if (!session.Started() || !doc || !view) {
      std::printf("not started\n");
    } else if (!modal.empty()) {
      std::printf("modal UI at the start: %s", modal.c_str());
    } else {
      doc->m_nTextBufSize = kPictureMemory;
      doc->m_nTextBufSize2 = kPictureMemory;
      doc->m_aImageSettings[img::word::nZoomLevel] = 3;  // 1/4
      g_view = view;
      g_viewProc = reinterpret_cast<WNDPROC>(
          ::SetWindowLongPtrA(view->m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WatchPaint)));
      const auto t0 = Clock::now();
      doc->OpenFile(CString(argv[1]), docopen::OpenMode::kPlain);
      const auto opened = Clock::now();
      // The refresh builds the display bitmap and invalidates the view; the
      // first WM_PAINT after that copies it to the window. A message box on
      // the way (answered by the hooks) ends the wait: the run failed.
      const bool shown =
          bench::PumpUntil([] { return g_painted || !fw::hooks::Unexpected().empty(); }, 60) && g_painted;
      ::SetWindowLongPtrA(view->m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_viewProc));
      const double s = shown ? Seconds(t0, g_paintedAt) : Seconds(t0);
      const double paint = shown && g_paintedAt > opened ? Seconds(opened, g_paintedAt) : 0;
      modal = bench::WinSession::ModalProblems();
      if (!modal.empty()) {
        std::printf("modal UI during the open: %s", modal.c_str());
      } else if (!shown) {
        std::printf("not painted within 60 s (display bitmap %s)\n", view->m_image.m_hImageBitmap ? "made" : "not made");
      } else {
        std::printf("%.4f %d %d open %.4f paint %.4f\n", s, view->m_image.m_nImageWidth, view->m_image.m_nBitmapRows,
                    Seconds(t0, opened), paint);
        rc = argc > 2 && !WriteShown(view->m_hWnd, static_cast<HBITMAP>(view->m_image.m_hImageBitmap), argv[2]) ? 1 : 0;
      }
    }
    std::fflush(stdout);
  }
  return rc;
}
