// Screenshot check of the ruled display (run by ruled_screenshot.sh under
// Xvfb with Wine's X11 driver): the program starts in-process on a CSV table
// with coloured cells and thick lines, switches the view to ruled-table mode
// through the redisplay recipe, and names the areas to look at: a cell with
// a pale red background and the vertical rule at the left edge of a cell.
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/dvkapp.h"
#include "app/dvkdoc.h"
#include "app/mainfrm.h"
#include "view/dvkview.h"

namespace {

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

// The screen point of character `at` of the view's control.
POINT ScreenPos(CDvkView* v, int at) {
  POINTL p = {};
  v->GetRichEditCtrl().SendMessage(EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&p), at);
  POINT s = {p.x, p.y};
  ClientToScreen(v->m_hWnd, &s);
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  const std::string out = argv[1];
  const std::string dir = argv[2];
  // Column 2 on a pale red background (row code "%" with 'r'), thick lines
  // under the title and at the left of column 2.
  // A fourth argument names a table of one's own to look at instead.
  const std::string csv = argc > 3 ? std::string(argv[3]) : dir + "\\shot.csv";
  if (argc <= 3) {
    FILE* c = fopen(csv.c_str(), "wb");
    if (!c) return 3;
    fputs("^<2^name,^2%ar^price,^R^qty\r\napple,120,3\r\npear,95,7\r\nplum,210,11\r\n", c);
    fclose(c);
  }
  app::ShellOptions o;
  o.useProcessCommandLine = false;
  o.commandLine = ("\"" + csv + "\"").c_str();
  o.instanceBlock = "Local\\TabryeRuledShot";
  o.registerCom = false;
  o.registryKey = "TabryeRuledShot";
  o.programDir = dir.c_str();
  CDvkApp app(o);
  if (!app.InitInstance()) return 4;
  CMainFrame* frame = g_pMainFrame;
  frame->MoveWindow(0, 0, 780, 560);
  CDvkView* v = frame->GetTextView(0, 0);
  for (int i = 0; i < 100 && v && v->LoadPending(); ++i) Pump(100);
  if (!v) return 5;
  v->m_nEditMode = 3;
  v->OnPageLeft();
  Pump(1500);

  FILE* f = fopen((out + ".txt").c_str(), "w");
  if (!f) return 6;
  // The price cell of "apple" (row 1, field 2): its text on the background.
  const int cell = v->GetCellCharIndex(1, 2);
  const int next = v->GetCellCharIndex(1, 3);
  if (cell >= 0 && next > cell) {
    const POINT a = ScreenPos(v, cell + 2);
    const POINT b = ScreenPos(v, next - 1);
    fprintf(f, "cell %ld %ld %ld %ld 255 192 192\n", a.x, a.y, b.x, a.y + 14);
    // The rule glyph right after the cell's TAB, in the line colour.
    const POINT g = ScreenPos(v, cell);
    fprintf(f, "rule %ld %ld %ld %ld 1 0 0\n", g.x - 2, g.y, g.x + 4, g.y + 30);
  }
  fprintf(f, "ready\n");
  fclose(f);
  DWORD end = GetTickCount() + 30000;
  while (GetTickCount() < end && GetFileAttributesA((out + ".done").c_str()) == INVALID_FILE_ATTRIBUTES) Pump(100);
  frame->DestroyWindow();
  app.ExitInstance();
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\TabryeRuledShot");
  return 0;
}
