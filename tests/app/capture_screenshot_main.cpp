// Desktop capture under Xvfb with Wine's X11 desktop (run by
// capture_screenshot.sh): the program starts in-process showing a small
// picture, a second window of a known colour stands on the desktop, and the
// desktop capture (mode 1) writes <output>_desk.png through the file-dialog
// and message-box hooks. <output>.txt names the window's rectangle and colour
// for the check, then "ready".
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/dvkapp.h"
#include "app/dvkdoc.h"
#include "app/mainfrm.h"
#include "fw/uihooks.h"
#include "view/dvkview.h"

namespace {

constexpr COLORREF kColour = RGB(0, 200, 80);
constexpr int kLeft = 420, kTop = 260, kWidth = 160, kHeight = 120;

void Pump(int ms) {
  DWORD end = GetTickCount() + static_cast<DWORD>(ms);
  while (GetTickCount() < end) {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageA(&m);
    }
    Sleep(20);
  }
}

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

std::string Backslashes(std::string s) {
  for (char& c : s)
    if (c == '/') c = '\\';
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  const std::string out = Backslashes(argv[1]);
  const std::string dir = Backslashes(argv[2]);
  const std::string pic = dir + "\\shown.bmp";
  if (!WriteBmp(pic)) return 3;

  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hbrBackground = CreateSolidBrush(kColour);
  wc.lpszClassName = "TabryeCaptureColour";
  if (!RegisterClassA(&wc)) return 4;

  app::ShellOptions o;
  o.useProcessCommandLine = false;
  const std::string cmdline = "\"" + pic + "\"";
  o.commandLine = cmdline.c_str();
  o.instanceBlock = "Local\\TabryeCaptureShot";
  o.registerCom = false;
  o.registryKey = "TabryeCaptureShot";
  o.programDir = dir.c_str();
  CDvkApp app(o);
  if (!app.InitInstance()) return 5;
  CMainFrame* frame = g_pMainFrame;
  frame->MoveWindow(0, 0, 400, 300);
  CDvkView* v = frame->GetTextView(0, 0);
  for (int i = 0; i < 100 && v && v->LoadPending(); ++i) Pump(100);
  if (!v) return 6;
  HWND colour = CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "colour", WS_POPUP | WS_VISIBLE, kLeft, kTop, kWidth,
                                kHeight, nullptr, nullptr, wc.hInstance, nullptr);
  if (!colour) return 7;
  Pump(1500);

  const std::string png = out + "_desk.png";
  DeleteFileA(png.c_str());
  fw::hooks::ExpectFileDialog({png});
  fw::hooks::ExpectMessageBox("Save Desktop Window", IDOK);
  v->CaptureScreen(1);

  FILE* f = fopen((out + ".txt").c_str(), "w");
  if (!f) return 8;
  fprintf(f, "window %d %d %d %d %d %d %d\n", kLeft, kTop, kLeft + kWidth, kTop + kHeight, GetRValue(kColour),
          GetGValue(kColour), GetBValue(kColour));
  fprintf(f, "ready\n");
  fclose(f);
  DestroyWindow(colour);
  frame->DestroyWindow();
  app.ExitInstance();
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\TabryeCaptureShot");
  return 0;
}
