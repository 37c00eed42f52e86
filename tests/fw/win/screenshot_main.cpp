// Screenshot check (run by screenshot.sh under Xvfb with Wine's X11 driver):
// a frame with toolbar 328, a status bar and a rich-edit view showing Japanese
// text with the installed Japanese fonts. The script takes the picture and
// checks that the text area, the toolbar and the status bar each show more
// than their background.
#include <windows.h>

#include <cstdio>
#include <string>

#include "fw/app.h"
#include "fw/bars.h"
#include "fw/richedit.h"
#include "res/resource.h"

namespace {

const UINT kIndicators[] = {ID_SEPARATOR, ID_INDICATOR_KANA, ID_INDICATOR_CAPS, ID_INDICATOR_NUM};

class ShotFrame : public CFrameWnd {
  FW_DECLARE_MESSAGE_MAP()
  CToolBar toolBar;
  CStatusBar statusBar;

  int OnCreate(LPCREATESTRUCTA cs) {
    if (CFrameWnd::OnCreate(cs) == -1) return -1;
    if (!toolBar.Create(this) || !toolBar.LoadToolBar(IDR_MAINFRAME)) return -1;
    if (!statusBar.Create(this) || !statusBar.SetIndicators(kIndicators, 4)) return -1;
    return 0;
  }
};

FW_BEGIN_MESSAGE_MAP(ShotFrame, CFrameWnd)
  fw::OnWmCreate<&ShotFrame::OnCreate>(),
FW_END_MESSAGE_MAP()

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

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  CWinApp app("fwwin-screenshot");
  CRichEditDoc doc;
  CCreateContext ctx;
  ctx.m_pCurrentDoc = &doc;
  ctx.m_pNewViewClass = fw::ViewClassOf<CRichEditView>();
  ShotFrame* frame = new ShotFrame;
  if (!frame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW, nullptr, &ctx)) return 3;
  app.m_pMainWnd = frame;
  frame->MoveWindow(20, 20, 640, 400);
  frame->InitialUpdateFrame(&doc, TRUE);
  CRichEditView* view = doc.GetView();
  std::string rtf = "{\\rtf1\\ansi\\ansicpg932{\\fonttbl{\\f0\\fnil\\fcharset128 IPAGothic;}}\\f0\\fs40 ";
  for (unsigned char c : std::string("日本語の表示テスト：漢字とかな")) {
    char buf[8];
    snprintf(buf, sizeof buf, "\\'%02x", c);
    rtf += buf;
  }
  rtf += "\\par}";
  view->StreamIn(rtf, SF_RTF);
  CStatusBar* sb = static_cast<CStatusBar*>(frame->GetControlBar(AFX_IDW_STATUS_BAR));
  sb->SetPaneText(0, "準備完了", TRUE);
  frame->UpdateControlBars();
  Pump(1500);

  // Wine's screen DC does not give the composed window back, so the X server
  // takes the picture: the areas to check go to <output>.txt, then the
  // program waits for <output>.done.
  std::string out = argv[1];
  FILE* f = fopen((out + ".txt").c_str(), "w");
  if (!f) return 4;
  struct Area {
    const char* name;
    HWND wnd;
  } areas[] = {{"text", view->m_hWnd},
               {"toolbar", frame->GetControlBar(AFX_IDW_TOOLBAR)->m_hWnd},
               {"status", sb->m_hWnd}};
  for (const Area& a : areas) {
    RECT r;
    GetWindowRect(a.wnd, &r);
    if (a.wnd == view->m_hWnd) r.bottom = r.top + (r.bottom - r.top) / 3;
    fprintf(f, "%s %ld %ld %ld %ld\n", a.name, r.left, r.top, r.right, r.bottom);
  }
  fprintf(f, "ready\n");
  fclose(f);
  DWORD end = GetTickCount() + 30000;
  while (GetTickCount() < end && GetFileAttributesA((out + ".done").c_str()) == INVALID_FILE_ATTRIBUTES) {
    Pump(100);
  }
  frame->DestroyWindow();
  return 0;
}
