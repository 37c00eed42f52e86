#include "app/main_window.h"

#include "res/resource.h"

namespace app {
namespace {

const char kWindowClass[] = "TabryeMainFrame";

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(hwnd, msg, wp, lp);
  }
}

}  // namespace

int RunApplication(HINSTANCE instance, int show) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = MainWndProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = kWindowClass;
  if (!RegisterClassA(&wc)) return 1;

  char title[64] = "Tabry-Editor";
  LoadStringA(instance, IDR_MAINFRAME, title, sizeof title);
  HWND hwnd = CreateWindowExA(0, kWindowClass, title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                              CW_USEDEFAULT, 800, 600, nullptr, nullptr, instance, nullptr);
  if (!hwnd) return 1;
  ShowWindow(hwnd, show);
  UpdateWindow(hwnd);

  MSG m;
  while (GetMessageA(&m, nullptr, 0, 0) > 0) {
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
  return static_cast<int>(m.wParam);
}

}  // namespace app
