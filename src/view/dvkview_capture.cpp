// Screen capture: the whole desktop (1), a window the user brings to the
// front (40), a timed series of it (41) and the numbered quick capture of the
// file list's F2 (2). The names, format codes, series and grab rectangle are
// image/capture/capture_plan.h; these members do the window work: the save
// dialog, the frame minimised and restored, the waits, the foreground window,
// the desktop copied into a 24-bit DIB, the writer and the open afterwards.
//
// The waits process no messages (the program's windows do not repaint while
// a capture runs); the wait for a window in front ends after a minute or on
// Esc, without a picture.
#include <cstdint>
#include <cstring>
#include <string>

#include "fw/alloc.h"
#include "fw/clock.h"
#include "fw/commondlg.h"
#include "fw/fwtext.h"
#include "fw/msgbox.h"
#include "fw/uihooks.h"
#include "host/doc_host.h"
#include "host/frame_host.h"
#include "image/capture/capture_plan.h"
#include "res/resource.h"
#include "view/dvkview.h"

namespace cap = image::capture;

namespace {

// The waits of a capture, in milliseconds of the program's clock.
struct CaptureWaits {
  int desktopMs;       // mode 1: before the desktop is taken
  int beforePollMs;    // modes 2, 40, 41: before the foreground window is polled
  int afterTargetMs;   // after a window came to the front
  int pollStepMs;      // between two polls
  int targetTimeoutMs; // no window in front for this long: no picture
};
constexpr CaptureWaits kWaits = {2000, 1000, 1000, 10, 60000};

constexpr char kFilter[] = "bmp, bmz, png, jpg, jpeg|*.bmp; *.bmz; *.png; *.jpg; *.jpeg;|All|*.*|| ";
constexpr char kClickTarget[] = "Click the target window";
constexpr char kSaveDesktop[] = "Save Desktop Window";
constexpr char kFlatRegion[] = "Eror";
// Spare bytes after the pixel rows of the grab's buffer.
constexpr std::uint32_t kPixelSlack = 10000;
// The writer's header area: the 40-byte header and room for a full colour
// table after it, which the writers may read.
constexpr std::size_t kHeaderArea = sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD);

HWND ForegroundWindow() { return reinterpret_cast<HWND>(fw::hooks::ForegroundWindow()); }

CRect WindowRectOf(HWND wnd, bool* ok) {
  RECT r = {};
  *ok = wnd && ::GetWindowRect(wnd, &r);
  return CRect(r.left, r.top, r.right, r.bottom);
}

bool FileExists(const std::string& path) {
  const DWORD a = ::GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

CFrameWnd* MainFrame() {
  CFrameWnd* f = app::g_pFrameHost ? app::g_pFrameHost->FrameWnd() : nullptr;
  return f && f->m_hWnd ? f : nullptr;
}

}  // namespace

void CDvkView::CaptureScreen(int mode) {
  app::DocHost* doc = GetDocument();
  if (!doc) return;
  const app::DocPathFields& paths = doc->PathFields();

  // The target: the shown file (or the document's, or the active side's
  // folder with a default name), kept as a picture or turned into a ".png".
  std::string path = cap::CaptureBasePath(m_strShownFile.Str(), paths.m_strCurFile.Str(), paths.m_strPath1.Str(),
                                          paths.m_strPath2.Str(), static_cast<int>(paths.m_nActiveSide), mode);
  path = cap::CaptureTargetPath(path, doc->GetFileKind(CString(path.c_str())));

  if (mode == cap::kNumbered) {
    // The next free number, without a dialog or a question.
    path = cap::NumberedCaptureName(path, FileExists);
    if (path.empty()) {
      // Every numbered name is taken: nothing can be written.
      AfxMessageBox(fw::LoadText(IDS_CANNOT_CREATE), MB_OK);
      return;
    }
  } else {
    CFileDialog dlg(false, nullptr, path.c_str(), OFN_EXPLORER, kFilter, nullptr);
    if (dlg.DoModal() != IDOK) return;
    const CString chosen = dlg.GetPathName();
    if (chosen.IsEmpty() || doc->ConfirmOverwrite(chosen) == 0) return;
    path = chosen.Str();
    if (mode == cap::kClicked) AfxMessageBox(kClickTarget, MB_OK);
    if (mode == cap::kDesktop) AfxMessageBox(kSaveDesktop, MB_OK);
  }

  const int code = cap::CaptureFormatCode(path);
  if (code == cap::kRefusedFormat) {
    AfxMessageBox(fw::LoadText(IDS_CANNOT_CREATE), MB_OK);
    return;
  }

  CFrameWnd* frame = MainFrame();
  if (frame) frame->ShowWindow(SW_SHOWMINIMIZED);
  HWND target = nullptr;
  bool opens = true;
  CString opened(path.c_str());
  if (mode == cap::kDesktop) {
    fw::Wait(kWaits.desktopMs);
  } else {
    target = WaitForTargetWindow(frame ? frame->m_hWnd : nullptr);
    if (target) {
      fw::Wait(kWaits.afterTargetMs);
      bool ok = false;
      CRect rc = WindowRectOf(target, &ok);
      if (ok) {
        // A window partly off the left or top of the screen is taken from 0.
        if (rc.left < 0) rc.left = 0;
        if (rc.top < 0) rc.top = 0;
        m_image.m_rcCapture = rc;
      }
    } else {
      opens = false;  // Esc or nothing in front: no picture to show
    }
  }

  if (opens) {
    if (mode == cap::kSeries) {
      // The document shows the last picture of the series; none written,
      // nothing to show.
      CString last;
      CaptureSeries(opened, code, target, &last);
      opens = !last.IsEmpty();
      opened = last;
    } else {
      GrabScreenRect(opened, code, mode);
      if (mode == cap::kClicked || mode == cap::kNumbered) ClearRegionFrame();
    }
  }

  if (frame) frame->ShowWindow(SW_SHOWNORMAL);
  if (opens) doc->OpenFile(opened, docopen::OpenMode::kShowAgain);
}

HWND CDvkView::WaitForTargetWindow(HWND frame) {
  fw::Wait(kWaits.beforePollMs);
  const std::uint64_t start = fw::TickCount();
  for (;;) {
    HWND w = ForegroundWindow();
    if (w && w != frame) return w;
    if (app::g_pFrameHost && app::g_pFrameHost->CheckEscapeAbort()) {
      // Answered here: nothing else is to stop.
      if (app::DocHost* doc = GetDocument()) doc->UpdateFields().m_bAbort = 0;
      return nullptr;
    }
    if (fw::TickCount() - start >= static_cast<std::uint64_t>(kWaits.targetTimeoutMs)) return nullptr;
    fw::Wait(kWaits.pollStepMs);
  }
}

int CDvkView::CaptureSeries(const CString& path, int code, HWND target, CString* last) {
  const cap::SeriesPlan plan = cap::PlanSeries(path.Str());
  const int count = cap::SeriesPictures(plan);
  // The pictures keep to a grid from the first one: a late picture is not
  // waited for.
  std::uint64_t due = fw::TickCount();
  int taken = 0;
  for (int k = 1;;) {
    const CString file(cap::SeriesFileName(plan, k).c_str());
    if (GrabScreenRect(file, code, cap::kSeriesWindow)) *last = file;
    ++taken;
    ++k;
    if (plan.intervalMs > 0) {
      due += static_cast<std::uint64_t>(plan.intervalMs);
      const std::uint64_t now = fw::TickCount();
      if (now < due) fw::Wait(static_cast<std::int64_t>(due - now));
    }
    if (ForegroundWindow() != target) break;
    if (k > count) break;
  }
  return taken;
}

bool CDvkView::GrabScreenRect(const CString& path, int code, int mode) {
  app::DocHost* doc = GetDocument();
  if (!doc) return false;
  image::ImageViewState& st = m_image;

  cap::GrabInput in = {};
  in.mode = mode;
  if (mode == cap::kDesktop || mode == cap::kNumbered) {
    in.window = fw::hooks::DesktopWindowRect();
  } else {
    // The window in front now; one whose rectangle cannot be read stands
    // for the target's.
    bool ok = false;
    in.window = WindowRectOf(ForegroundWindow(), &ok);
    if (!ok) in.window = st.m_rcCapture;
  }
  in.capture = st.m_rcCapture;
  const CSize client = fw::hooks::DesktopClientSize();
  in.clientW = client.cx;
  in.clientH = client.cy;
  in.sel = st.m_rcImageSel;
  in.fileKind = static_cast<int>(m_nFileKind);
  if (m_hWnd) {
    CRichEditCtrl& ctrl = GetRichEditCtrl();
    const int lines = ctrl.GetLineCount();
    const int at = lines > 0 ? ctrl.LineIndex(lines - 1) : -1;
    if (at >= 0) {
      in.hasLastLine = true;
      in.lastLineY = ctrl.PosFromChar(at).y;
    }
  }
  const cap::GrabPlan plan = cap::PlanGrab(in);
  if (plan.setCapture) st.m_rcCapture = plan.rc;
  if (plan.hidesSelection) {
    // The image view painted once without the selection's frame.
    const CRect keep = st.m_rcImageSel;
    st.m_rcImageSel.top = keep.bottom + 5400;
    st.m_rcImageSel.bottom = keep.bottom + 5500;
    st.m_rcImageSel.left = -1;
    RenderImageCanvas(1, nullptr, 0, 0, 0);
    st.m_rcImageSel.left = keep.left;
    st.m_rcImageSel.top = keep.top;
    st.m_rcImageSel.bottom = keep.bottom;
  }
  if (plan.tooFlat) {
    AfxMessageBox(kFlatRegion, MB_OK);
    return false;
  }

  const CRect r = plan.region;
  const int w = r.right - r.left, h = r.bottom - r.top;
  std::uint32_t stride = 0, imageBytes = 0;
  std::uint8_t* pixels = nullptr;
  if (cap::CaptureDibSizes(w, h, &stride, &imageBytes) && imageBytes <= UINT32_MAX - kPixelSlack)
    pixels = static_cast<std::uint8_t*>(fw::Alloc(std::size_t(imageBytes) + kPixelSlack));
  if (!pixels) {
    AfxMessageBox(fw::LoadText(IDS_OUT_OF_MEMORY), MB_OK);
    return false;
  }
  std::memset(pixels, 0, std::size_t(imageBytes));

  // The desktop's pixels through a compatible bitmap (black where the
  // system gives none).
  HWND desktop = ::GetDesktopWindow();
  HDC src = ::GetDC(desktop);
  HDC mem = src ? ::CreateCompatibleDC(src) : nullptr;
  HBITMAP bitmap = mem ? ::CreateCompatibleBitmap(src, w, h) : nullptr;
  bool read = false;
  if (bitmap) {
    HGDIOBJ old = ::SelectObject(mem, bitmap);
    ::BitBlt(mem, 0, 0, w, h, src, r.left, r.top, SRCCOPY);
    ::SelectObject(mem, old);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    ::GetDIBits(mem, bitmap, 0, static_cast<UINT>(h), pixels, &bi, DIB_RGB_COLORS);
    read = true;
    ::DeleteObject(bitmap);
  }
  if (mem) ::DeleteDC(mem);
  if (src) ::ReleaseDC(desktop, src);
  if (!read) {
    fw::Free(pixels);
    AfxMessageBox(fw::LoadText(IDS_OUT_OF_MEMORY), MB_OK);
    return false;
  }

  // The header of a 24-bit bottom-up DIB, every other field 0.
  alignas(BITMAPINFOHEADER) std::uint8_t header[kHeaderArea] = {};
  BITMAPINFOHEADER& bh = *reinterpret_cast<BITMAPINFOHEADER*>(header);
  bh.biSize = sizeof(BITMAPINFOHEADER);
  bh.biWidth = w;
  bh.biHeight = h;
  bh.biPlanes = 1;
  bh.biBitCount = 24;
  bh.biCompression = BI_RGB;
  bh.biSizeImage = imageBytes;
  doc->WriteImageByFormat(pixels, header, path, code);
  fw::Free(pixels);
  return true;
}
