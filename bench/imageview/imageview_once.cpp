// bench_imageview_once.exe JPEG [OUT.bmp]: one whole run of the image view as
// the user meets it. The program starts in-process (its window shown, as the
// tests start it, bench/win_session.h), its start-up timers run, the zoom
// word is set to level 3 (1/4), the JPEG is opened with OpenFile and the run
// stops at the first painted frame of the view. Prints "seconds W H" (OpenFile
// to the painted frame, the shown size) and, with OUT, writes the shown
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

}  // namespace

// The memory settings a user raises for pictures this large ("membuf" and
// "membuf2", 40 MB at first): 6000 x 4000 at 24 bits is 72 MB of pixels,
// which the loader and the view refuse above the settings.
constexpr std::uint32_t kPictureMemory = 128u << 20;

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench_imageview_once.exe JPEG [OUT.bmp]\n");
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
      const auto t0 = Clock::now();
      doc->OpenFile(CString(argv[1]), docopen::OpenMode::kPlain);
      // The refresh builds the display bitmap and invalidates the view; the
      // first WM_PAINT after that copies it to the window. A message box on
      // the way (answered by the hooks) ends the wait: the run failed.
      const bool shown = bench::PumpUntil(
          [view] { return view->m_image.m_hImageBitmap != nullptr || !fw::hooks::Unexpected().empty(); }, 60) &&
          view->m_image.m_hImageBitmap != nullptr;
      if (shown) ::UpdateWindow(view->m_hWnd);
      const double s = Seconds(t0);
      modal = bench::WinSession::ModalProblems();
      if (!modal.empty()) {
        std::printf("modal UI during the open: %s", modal.c_str());
      } else if (!shown) {
        std::printf("not shown within 60 s\n");
      } else {
        std::printf("%.4f %d %d\n", s, view->m_image.m_nImageWidth, view->m_image.m_nBitmapRows);
        rc = argc > 2 && !WriteShown(view->m_hWnd, static_cast<HBITMAP>(view->m_image.m_hImageBitmap), argv[2]) ? 1 : 0;
      }
    }
    std::fflush(stdout);
  }
  return rc;
}
