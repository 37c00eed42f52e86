// The screen capture under Xvfb with Wine's X11 desktop (run by
// capture_screenshot.sh), one phase after the other in one session. The
// program starts in-process showing a small picture; a second thread stands
// for another program with three windows of known colours: "colour" and
// "other" always on top, "under" behind the main frame. Each phase answers
// the capture's file dialog and messages through the hooks, writes its
// pictures into the work folder and one line "<phase> key=value ..." into
// <output>.txt; the script's Python check reads those lines and the pictures.
//
//   desk      mode 1: the desktop, "colour" over its rectangle.
//   clicked   mode 40: the program writes "waiting40" once the frame is
//             minimised; the script clicks "colour" (xdotool), which the
//             capture then takes. Without a click within kWaits.clickWait
//             the other thread activates "colour" itself and the line says
//             by=fallback (the check fails it).
//   text      a short text shown, mode 1: the picture ends 50 pixels below
//             the top of the text's last line.
//   region    a region set with the corner commands on the picture, mode 1:
//             the picture is the region with its margins, exactly "under"'s
//             rectangle, and the region's frame, on the screen before the
//             capture, is not in it.
//   flat      a region 50 pixels high or less: "Eror" and no picture.
//   series    mode 41 on "s#1s200m.bmp" with the foreground hook answering
//             "colour" throughout: five pictures _0001 to _0005.
//   seriesend mode 41 on "e#2s400m.bmp": "colour" comes to the front for the
//             wait, "other" once the second picture is written; the series
//             ends after it.
//
// A phase that cannot start (a file that does not load) writes its line with
// error=...; the others go on.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "app/dvkapp.h"
#include "app/dvkdoc.h"
#include "app/mainfrm.h"
#include "core/docopen/openplan.h"
#include "fw/uihooks.h"
#include "view/dvkview.h"

namespace {

namespace hooks = fw::hooks;

// The region of the region phase, in the view's client coordinates, and the
// desktop rectangle a mode-1 grab takes for it (left, top - 8, right + 2,
// bottom + 3), which the "under" window fills exactly.
constexpr RECT kRegion = {30, 40, 230, 160};
constexpr RECT kRegionGrab = {kRegion.left, kRegion.top - 8, kRegion.right + 2, kRegion.bottom + 3};
// A region whose grab is 30 + 11 pixels high: too flat for a picture.
constexpr RECT kFlatRegion = {30, 40, 230, 70};
constexpr COLORREF kFrameColour = RGB(255, 0, 128);  // the region's frame
constexpr RECT kMainFrame = {0, 0, 400, 300};

// The other program's windows.
enum WindowIndex { kColour, kOther, kUnder, kWindowCount };
struct ColourWindow {
  const char* title;
  COLORREF colour;
  RECT rc;
  bool topmost;
};
constexpr ColourWindow kWindows[kWindowCount] = {
    {"colour", RGB(0, 200, 80), {420, 260, 580, 380}, true},
    {"other", RGB(40, 60, 220), {600, 60, 720, 160}, true},
    {"under", RGB(230, 150, 20), kRegionGrab, false},
};

// The text shown by the text phase: four short lines, no line wraps.
constexpr char kText[] = "first line\r\nsecond line\r\nthird line\r\nlast line";

// The waits of the program itself, in milliseconds.
struct Waits {
  int settle;     // after a window change, before the screen is read
  int load;       // at most, for a file to load into the view
  int clickWait;  // at most, for the script's click on "colour"
  int watchStep;  // the other thread's look at the frame and the files
  int minimised;  // from the frame's minimising to the wait's start
  int reactivate;  // between two activations of the same window
};
constexpr Waits kWaits = {600, 10000, 10000, 5, 250, 100};

std::string g_txt;  // <output>.txt
CRITICAL_SECTION g_txtLock;

void Note(const std::string& line) {
  EnterCriticalSection(&g_txtLock);
  if (FILE* f = fopen(g_txt.c_str(), "a")) {
    fprintf(f, "%s\n", line.c_str());
    fclose(f);
  }
  LeaveCriticalSection(&g_txtLock);
}

void Pump(int ms) {
  const DWORD end = GetTickCount() + static_cast<DWORD>(ms);
  do {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageA(&m);
    }
    Sleep(10);
  } while (static_cast<int>(end - GetTickCount()) > 0);
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string Backslashes(std::string s) {
  for (char& c : s)
    if (c == '/') c = '\\';
  return s;
}

std::string Num(long v) { return std::to_string(v); }
std::string RectText(long l, long t, long r, long b) { return Num(l) + "," + Num(t) + "," + Num(r) + "," + Num(b); }
std::string RectText(const RECT& r) { return RectText(r.left, r.top, r.right, r.bottom); }
std::string ColourText(COLORREF c) { return Num(GetRValue(c)) + "," + Num(GetGValue(c)) + "," + Num(GetBValue(c)); }
std::string WindowText(const ColourWindow& w) { return "win=" + RectText(w.rc) + " rgb=" + ColourText(w.colour); }

// An 8 x 8 grey 24-bit BMP (a picture, so the capture is not cut below a
// text).
bool WriteBmp(const std::string& path) {
  unsigned char b[54 + 8 * 24] = {'B', 'M'};
  auto put32 = [&b](int at, unsigned v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<unsigned char>(v >> (8 * i));
  };
  put32(2, sizeof b);
  put32(10, 54);
  put32(14, 40);
  put32(18, 8);
  put32(22, 8);
  b[26] = 1;
  b[28] = 24;
  put32(34, 8 * 24);
  for (int i = 54; i < static_cast<int>(sizeof b); ++i) b[i] = 0x80;
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = fwrite(b, 1, sizeof b, f) == sizeof b;
  return fclose(f) == 0 && ok;
}

bool WriteText(const std::string& path) {
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = fwrite(kText, 1, sizeof kText - 1, f) == sizeof kText - 1;
  return fclose(f) == 0 && ok;
}

// Pixels of `colour` in the screen's rectangle `r` as it is now.
int CountOnScreen(const RECT& r, COLORREF colour) {
  const int w = r.right - r.left, h = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  if (!screen) return -1;
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bm = CreateCompatibleBitmap(screen, w, h);
  int n = -1;
  if (mem && bm) {
    HGDIOBJ old = SelectObject(mem, bm);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    SelectObject(mem, old);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    std::vector<unsigned char> px(static_cast<size_t>(w) * h * 4);
    if (GetDIBits(mem, bm, 0, static_cast<UINT>(h), px.data(), &bi, DIB_RGB_COLORS) == h) {
      n = 0;
      for (size_t i = 0; i < px.size(); i += 4)
        if (RGB(px[i + 2], px[i + 1], px[i]) == colour) ++n;
    }
  }
  if (bm) DeleteObject(bm);
  if (mem) DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return n;
}

// --- The other program: its windows and what it does while a capture waits --

// What the other thread watches for, one job at a time. The main thread sets
// the fields and then `job`; the thread clears `job` when it is done.
enum Job { kIdle, kWaitForClick, kSwitchAfterSecond };
struct Watch {
  std::atomic<int> job{kIdle};
  HWND frame = nullptr;
  std::string file;    // kSwitchAfterSecond: "other" comes once this exists
  int step = 0;        // the job's progress, the other thread's own
  DWORD since = 0;     // the step's start
  DWORD last = 0;      // the last activation
  std::string result;  // for the phase's line, read after the job
};

struct Other {
  HWND wnd[kWindowCount] = {};
  std::atomic<int> clicks[kWindowCount] = {};  // left buttons pressed on each
  HANDLE ready = nullptr;
  Watch watch;
};
Other g_other;

LRESULT CALLBACK ColourProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_LBUTTONDOWN)
    for (int i = 0; i < kWindowCount; ++i)
      if (g_other.wnd[i] == hwnd) ++g_other.clicks[i];
  return DefWindowProcA(hwnd, msg, wp, lp);
}

// The window in front, by name: one of the other program's, "frame" or
// "none" (anything else: "another").
std::string FrontName(HWND frame) {
  HWND w = GetForegroundWindow();
  if (!w) return "none";
  if (w == frame) return "frame";
  for (int i = 0; i < kWindowCount; ++i)
    if (g_other.wnd[i] == w) return kWindows[i].title;
  return "another";
}

void Activate(HWND w) {
  SetWindowPos(w, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetForegroundWindow(w);
}

// One look at the screen for the job under way.
void StepWatch(Watch& w) {
  const int job = w.job.load();
  if (job == kIdle) return;
  HWND colour = g_other.wnd[kColour];
  const DWORD now = GetTickCount();
  if (w.step == 0) {
    // The capture minimises the frame before it waits for a window in front.
    if (!IsIconic(w.frame)) return;
    w.step = 1;
    w.since = now;
    return;
  }
  if (w.step == 1) {
    // The frame takes the front as it goes down: activations wait for it.
    if (now - w.since < static_cast<DWORD>(kWaits.minimised)) return;
    w.step = 2;
    w.since = now;
    w.result = "front=" + FrontName(w.frame);
    if (job == kWaitForClick) Note("waiting40");
  }
  if (job == kWaitForClick) {
    if (GetForegroundWindow() == colour) {
      w.result += " by=click";
    } else if (now - w.since >= static_cast<DWORD>(kWaits.clickWait)) {
      Activate(colour);
      w.result += " by=fallback";
    } else {
      return;
    }
  } else if (job == kSwitchAfterSecond) {
    if (!FileExists(w.file)) {
      if (GetForegroundWindow() != colour && now - w.last >= static_cast<DWORD>(kWaits.reactivate)) {
        Activate(colour);
        w.last = now;
      }
      return;
    }
    Activate(g_other.wnd[kOther]);
    w.result += " switched=" + Num(static_cast<long>(now - w.since));
  }
  w.job.store(kIdle);
}

DWORD WINAPI OtherProgram(void*) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = ColourProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "TabryeCaptureColour";
  for (int i = 0; i < kWindowCount; ++i) {
    const ColourWindow& c = kWindows[i];
    char cls[64];
    snprintf(cls, sizeof cls, "%s%d", wc.lpszClassName, i);
    WNDCLASSA k = wc;
    k.hbrBackground = CreateSolidBrush(c.colour);
    k.lpszClassName = cls;
    if (!RegisterClassA(&k)) break;
    g_other.wnd[i] = CreateWindowExA(c.topmost ? WS_EX_TOPMOST : 0, cls, c.title, WS_POPUP | WS_VISIBLE, c.rc.left,
                                     c.rc.top, c.rc.right - c.rc.left, c.rc.bottom - c.rc.top, nullptr, nullptr,
                                     wc.hInstance, nullptr);
  }
  SetTimer(nullptr, 0, static_cast<UINT>(kWaits.watchStep), nullptr);
  SetEvent(g_other.ready);
  MSG m;
  while (GetMessageA(&m, nullptr, 0, 0) > 0) {
    if (m.message == WM_TIMER && !m.hwnd) StepWatch(g_other.watch);
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
  for (HWND w : g_other.wnd)
    if (w) DestroyWindow(w);
  return 0;
}

// Runs `job` in the other thread for the capture `run` starts; gives the
// job's result, with "watch=unfinished" when the capture returned before the
// job was done.
template <typename Run>
std::string WithWatch(Job job, HWND frame, const std::string& file, Run run) {
  Watch& w = g_other.watch;
  w.frame = frame;
  w.file = file;
  w.step = 0;
  w.last = 0;
  w.result.clear();
  w.job.store(job);
  run();
  const DWORD end = GetTickCount() + 2000;
  while (w.job.load() != kIdle && static_cast<int>(end - GetTickCount()) > 0) Sleep(10);
  if (w.job.load() != kIdle) {
    w.job.store(kIdle);
    Sleep(50);
    return w.result + " watch=unfinished";
  }
  return w.result;
}

// --- The phases ----------------------------------------------------------------

struct Session {
  CMainFrame* frame = nullptr;
  CDvkDoc* doc = nullptr;
  std::string dir;      // the work folder (Windows form)
  std::string picture;  // the picture the phases show
  std::string text;     // the text of the text phase

  CDvkView* View() const { return frame->GetTextView(0, 0); }
  std::string File(const char* name) const { return dir + "\\" + name; }

  // The view shows `path`, no region set, the frame in front at its place;
  // the hooks hold nothing from the phase before. Null when it does not load.
  CDvkView* Show(const std::string& path) {
    hooks::Reset();
    frame->ShowWindow(SW_SHOWNORMAL);
    frame->MoveWindow(kMainFrame.left, kMainFrame.top, kMainFrame.right - kMainFrame.left,
                      kMainFrame.bottom - kMainFrame.top);
    SetForegroundWindow(frame->m_hWnd);
    CDvkView* v = View();
    if (!v || doc->OpenFile(path.c_str(), docopen::OpenMode::kPlain) != 0) return nullptr;
    const DWORD end = GetTickCount() + static_cast<DWORD>(kWaits.load);
    while ((v = View()) != nullptr && v->LoadPending() && static_cast<int>(end - GetTickCount()) > 0) Pump(50);
    if (!v || v->LoadPending()) return nullptr;
    frame->ActivateTextPane(0, 0);
    v->ClearRegionFrame();
    Pump(kWaits.settle);
    return v;
  }

  // The expected files of a capture gone beforehand, so no overwrite
  // question comes.
  void Remove(const std::vector<std::string>& names) {
    for (const std::string& n : names) DeleteFileA(File(n.c_str()).c_str());
  }

  // Whether the hooks met every expectation and nothing else: "hooks=ok", or
  // what went wrong (blanks turned into '_').
  static std::string HookReport() {
    std::string r;
    for (const std::string& u : hooks::Unexpected()) r += (r.empty() ? "" : "|") + ("unexpected:" + u);
    for (const std::string& u : hooks::Unused()) r += (r.empty() ? "" : "|") + ("unused:" + u);
    if (r.empty()) return "hooks=ok";
    for (char& c : r)
      if (c == ' ' || c == '\n' || c == '\r') c = '_';
    return "hooks=" + r;
  }

  void Desk() {
    CDvkView* v = Show(picture);
    if (!v) return Note("desk error=the_picture_did_not_load");
    Remove({"desk.png"});
    hooks::ExpectFileDialog({File("desk.png")});
    hooks::ExpectMessageBox("Save Desktop Window", IDOK);
    v->CaptureScreen(1);
    Note("desk file=desk.png size=800,600 " + WindowText(kWindows[kColour]) + " " + HookReport());
  }

  void Clicked() {
    CDvkView* v = Show(picture);
    if (!v) return Note("clicked error=the_picture_did_not_load");
    Remove({"clicked.png"});
    hooks::ExpectFileDialog({File("clicked.png")});
    hooks::ExpectMessageBox("Click the target window", IDOK);
    const int clicks = g_other.clicks[kColour].load();
    const std::string by = WithWatch(kWaitForClick, frame->m_hWnd, "", [v] { v->CaptureScreen(40); });
    Note("clicked file=clicked.png " + WindowText(kWindows[kColour]) + " " + by +
         " clicks=" + Num(g_other.clicks[kColour].load() - clicks) + " " + HookReport());
  }

  void Text() {
    CDvkView* v = Show(text);
    if (!v) return Note("text error=the_text_did_not_load");
    // The top of the last line in the view's client area, as the grab
    // reads it.
    CRichEditCtrl& ctrl = v->GetRichEditCtrl();
    const int lines = ctrl.GetLineCount();
    const int last = ctrl.PosFromChar(ctrl.LineIndex(lines - 1)).y;
    const long kind = static_cast<long>(v->m_nFileKind);
    Remove({"text.png"});
    hooks::ExpectFileDialog({File("text.png")});
    hooks::ExpectMessageBox("Save Desktop Window", IDOK);
    v->CaptureScreen(1);
    Note("text file=text.png kind=" + Num(kind) + " lines=" + Num(lines) +
         " lasty=" + Num(last) + " size=800," + Num(last + 50) + " " + HookReport());
  }

  // The region's corners through the corner commands at the image cursor.
  static void SetRegion(CDvkView* v, const RECT& r) {
    v->m_image.m_ptImageCursor = CPoint(r.left, r.top);
    v->SetRegionTopLeft();
    v->m_image.m_ptImageCursor = CPoint(r.right, r.bottom);
    v->SetRegionBottomRight();
    Pump(kWaits.settle);
  }

  void Region() {
    CDvkView* v = Show(picture);
    if (!v) return Note("region error=the_picture_did_not_load");
    SetRegion(v, kRegion);
    const CRect sel = v->m_image.m_rcImageSel;
    // The frame drawn once more right now, and counted on the screen where
    // the picture will be taken.
    v->RenderImageCanvas(1, nullptr, 0, 0, 0);
    const int shown = CountOnScreen(kRegionGrab, kFrameColour);
    Remove({"region.png"});
    hooks::ExpectFileDialog({File("region.png")});
    hooks::ExpectMessageBox("Save Desktop Window", IDOK);
    v->CaptureScreen(1);
    Note("region file=region.png sel=" + RectText(sel.left, sel.top, sel.right, sel.bottom) +
         " size=" + Num(kRegionGrab.right - kRegionGrab.left) + "," + Num(kRegionGrab.bottom - kRegionGrab.top) + " " +
         WindowText(kWindows[kUnder]) + " frame=" + ColourText(kFrameColour) + " frameshown=" + Num(shown) + " " +
         HookReport());
  }

  void Flat() {
    CDvkView* v = Show(picture);
    if (!v) return Note("flat error=the_picture_did_not_load");
    SetRegion(v, kFlatRegion);
    Remove({"flat.png"});
    hooks::ExpectFileDialog({File("flat.png")});
    hooks::ExpectMessageBox("Save Desktop Window", IDOK);
    hooks::ExpectMessageBox("Eror", IDOK);
    // The open afterwards still runs, on the file that was not written.
    hooks::ExpectMessageBox(File("flat.png"), IDOK);
    v->CaptureScreen(1);
    Note("flat file=flat.png written=" + Num(FileExists(File("flat.png"))) + " " + HookReport());
  }

  void Series() {
    CDvkView* v = Show(picture);
    if (!v) return Note("series error=the_picture_did_not_load");
    Remove({"s#1s200m_0001.bmp", "s#1s200m_0002.bmp", "s#1s200m_0003.bmp", "s#1s200m_0004.bmp",
            "s#1s200m_0005.bmp", "s#1s200m_0006.bmp"});
    hooks::ExpectFileDialog({File("s#1s200m.bmp")});
    hooks::ScriptForegroundWindow(1, reinterpret_cast<std::uintptr_t>(g_other.wnd[kColour]));
    const DWORD t0 = GetTickCount();
    v->CaptureScreen(41);
    const DWORD took = GetTickCount() - t0;
    Note("series base=s#1s200m ext=bmp count=5 " + WindowText(kWindows[kColour]) + " ms=" + Num(took) +
         " queries=" + Num(hooks::ForegroundQueries()) + " " + HookReport());
    hooks::Reset();
  }

  void SeriesEnd() {
    CDvkView* v = Show(picture);
    if (!v) return Note("seriesend error=the_picture_did_not_load");
    Remove({"e#2s400m_0001.bmp", "e#2s400m_0002.bmp", "e#2s400m_0003.bmp"});
    hooks::ExpectFileDialog({File("e#2s400m.bmp")});
    const std::string switched =
        WithWatch(kSwitchAfterSecond, frame->m_hWnd, File("e#2s400m_0002.bmp"), [v] { v->CaptureScreen(41); });
    Note("seriesend base=e#2s400m ext=bmp count=2 planned=5 " + WindowText(kWindows[kColour]) + " " + switched +
         " " + HookReport());
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  const std::string out = Backslashes(argv[1]);
  InitializeCriticalSection(&g_txtLock);
  g_txt = out + ".txt";
  Session s;
  s.dir = Backslashes(argv[2]);
  s.picture = s.File("shown.bmp");
  s.text = s.File("shown.txt");
  if (!WriteBmp(s.picture) || !WriteText(s.text)) return 3;

  // The other program's windows first: the frame comes up over "under".
  g_other.ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  DWORD otherId = 0;
  HANDLE other = CreateThread(nullptr, 0, OtherProgram, nullptr, 0, &otherId);
  if (!other || WaitForSingleObject(g_other.ready, 10000) != WAIT_OBJECT_0) return 4;
  for (HWND w : g_other.wnd)
    if (!w) return 4;

  hooks::SetTestMode(true);  // no unexpected box or dialog can block
  app::ShellOptions o;
  o.useProcessCommandLine = false;
  const std::string cmdline = "\"" + s.picture + "\"";
  o.commandLine = cmdline.c_str();
  o.instanceBlock = "Local\\TabryeCaptureShot";
  o.registerCom = false;
  o.registryKey = "TabryeCaptureShot";
  o.programDir = s.dir.c_str();
  CDvkApp app(o);
  if (!app.InitInstance()) return 5;
  s.frame = g_pMainFrame;
  s.doc = g_pDvkDoc;
  if (!s.frame || !s.doc || !s.View()) return 6;
  Pump(1000);

  s.Desk();
  s.Clicked();
  s.Text();
  s.Region();
  s.Flat();
  s.Series();
  s.SeriesEnd();
  Note("ready");

  hooks::Reset();
  s.frame->DestroyWindow();
  app.ExitInstance();
  PostThreadMessageA(otherId, WM_QUIT, 0, 0);
  WaitForSingleObject(other, 5000);
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\TabryeCaptureShot");
  return 0;
}
