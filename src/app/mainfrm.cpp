#include "app/mainfrm.h"

#include <vector>

#include "app/dvkapp.h"
#include "app/dvkdoc.h"
#include "view/dvkview.h"
#include "filelist/flistview.h"
#include "filelist/flistcore/listbuild.h"
#include "fw/codepage.h"
#include "host/pane_layout.h"
#include "fw/clock.h"
#include "fw/fwtext.h"
#include "fw/msgbox.h"
#include "res/resource.h"

CMainFrame* g_pMainFrame = nullptr;

FW_BEGIN_MESSAGE_MAP(CMainFrame, CFrameWnd)
  fw::OnWmCreate<&CMainFrame::OnCreate>(),
  fw::OnMessageVoid<&CMainFrame::OnDestroy>(WM_DESTROY),
  fw::OnWmTimer<&CMainFrame::OnTimer>(),
  fw::OnMessage<&CMainFrame::OnActivateMsg>(WM_ACTIVATE),
  fw::OnUpdateCommandUI<&CMainFrame::OnUpdateKana>(ID_INDICATOR_KANA),
FW_END_MESSAGE_MAP()

namespace {

// The status bar: progress and messages, the information pane (104), the
// position pane, kana and caps lock, the line-count pane, scroll lock.
const UINT kIndicators[] = {
    ID_SEPARATOR, ID_INDICATOR_INFO, ID_INDICATOR_POSITION, ID_INDICATOR_KANA,
    ID_INDICATOR_CAPS, ID_INDICATOR_LINES, ID_INDICATOR_SCRL,
};

const SIZE kDynamicMin = {10, 10};

}  // namespace

// Toolbar sets: command and image of each button (0 = separator). The images
// are those of the toolbar bitmap (IDR_MAINFRAME): the framework's eight, then
// find, table edit, sort ascending, sort descending, split, next page,
// previous page and show title.
const CMainFrame::ToolButton CMainFrame::kFullToolbar[] = {
    {ID_FILE_NEW, 0}, {ID_FILE_OPEN, 1}, {ID_FILE_SAVE, 2}, {0, 0},
    {ID_EDIT_CUT, 3}, {ID_EDIT_COPY, 4}, {ID_EDIT_PASTE, 5}, {0, 0},
    {ID_EDIT_FIND, 8}, {0, 0},
    {ID_TABLE_EDIT_MODE, 9}, {ID_CSV_SORT_ASCENDING, 10}, {ID_CSV_SORT_DESCENDING, 11}, {0, 0},
    {ID_PAGE_PREVIOUS, 14}, {ID_PAGE_NEXT, 13}, {ID_CSV_SHOW_TITLE, 15}, {0, 0},
    {ID_WINDOW_SPLIT, 12}, {0, 0},
    {ID_FILE_PRINT, 6}, {0, 0}, {ID_APP_ABOUT, 7},
};
const CMainFrame::ToolButton CMainFrame::kSelectionToolbar[] = {
    {ID_TABLE_EDIT_MODE, 9}, {0, 0}, {ID_CSV_SORT_ASCENDING, 10}, {ID_CSV_SORT_DESCENDING, 11},
    {0, 0}, {ID_EDIT_COPY, 4}, {ID_EDIT_PASTE, 5},
};

void CMainFrame::SetToolbarButtons(const ToolButton* buttons, int count) {
  std::vector<UINT> ids;
  for (int i = 0; i < count; ++i) ids.push_back(buttons[i].id);
  m_wndToolBar.SetButtons(ids.data(), count);
  for (int i = 0; i < count; ++i) {
    if (buttons[i].id) m_wndToolBar.SendMessage(TB_CHANGEBITMAP, buttons[i].id, MAKELPARAM(buttons[i].image, 0));
  }
  RecalcLayout();
}

void CMainFrame::ApplyToolbarSet(app::ToolbarSet set) {
  switch (set) {
    case app::ToolbarSet::Keep:
      return;
    case app::ToolbarSet::Hidden:
      m_nToolbarWord = 99;
      ShowBar(m_wndToolBar, false);
      return;
    case app::ToolbarSet::Selection:
      m_nToolbarWord = 98;
      SetToolbarButtons(kSelectionToolbar, static_cast<int>(sizeof kSelectionToolbar / sizeof kSelectionToolbar[0]));
      break;
    case app::ToolbarSet::Full:
    case app::ToolbarSet::Standard:
      m_nToolbarWord = 0;
      SetToolbarButtons(kFullToolbar, static_cast<int>(sizeof kFullToolbar / sizeof kFullToolbar[0]));
      break;
  }
  ShowBar(m_wndToolBar, true);
}

CMainFrame::CMainFrame() {
  g_pMainFrame = this;
  app::g_pFrameHost = this;
}

CMainFrame::~CMainFrame() {
  if (g_pMainFrame == this) g_pMainFrame = nullptr;
  if (app::g_pFrameHost == this) app::g_pFrameHost = nullptr;
  if (g_pStatusBar == &m_wndStatusBar) g_pStatusBar = nullptr;
}

int CMainFrame::OnCreate(LPCREATESTRUCTA cs) {
  if (CFrameWnd::OnCreate(cs) == -1) return -1;
  ApplyCommandTable();
  if (!m_wndToolBar.Create(this, WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_TOOLTIPS | CBRS_FLYBY) ||
      !m_wndToolBar.LoadToolBar(IDR_MAINFRAME)) {
    return -1;
  }
  if (!m_wndStatusBar.Create(this) ||
      !m_wndStatusBar.SetIndicators(kIndicators, static_cast<int>(sizeof kIndicators / sizeof kIndicators[0]))) {
    return -1;
  }
  // The information pane stands out (pop-out border).
  UINT id = 0, style = 0;
  int width = 0;
  int info = m_wndStatusBar.CommandToIndex(ID_INDICATOR_INFO);
  m_wndStatusBar.GetPaneInfo(info, id, style, width);
  m_wndStatusBar.SetPaneInfo(info, id, style | SBPS_POPOUT, width);
  g_pStatusBar = &m_wndStatusBar;
  SetToolbarButtons(kFullToolbar, static_cast<int>(sizeof kFullToolbar / sizeof kFullToolbar[0]));
  RecalcLayout();
  ApplyTextLayout(0, 0);

  SetTimer(kTimerSchedule, kScheduleMs);
  SetTimer(kTimerStartup, kStartupMs);
  return 0;
}

void CMainFrame::OnDestroy() {
  SaveListFoldersAtExit();
  KillTimer(kTimerSchedule);
  KillTimer(kTimerReload);
  KillTimer(kTimerStartup);
  if (g_pStatusBar == &m_wndStatusBar) g_pStatusBar = nullptr;
  CFrameWnd::OnDestroy();
}

BOOL CMainFrame::OnCreateClient(LPCREATESTRUCTA, CCreateContext* context) {
  CDvkApp* app = DvkApp();
  m_bMainSplit2x1 = app && app->StartCommand().mainSplit2x1;
  CDvkDoc* doc = context ? dynamic_cast<CDvkDoc*>(context->m_pCurrentDoc) : nullptr;
  m_bListsStacked = app::ListsStacked(doc ? doc->m_nLayoutMode : 0);

  const int mainRows = m_bMainSplit2x1 ? 2 : 1, mainCols = m_bMainSplit2x1 ? 1 : 2;
  if (!m_wndMainSplit.CreateStatic(this, mainRows, mainCols)) return FALSE;

  // The list side: pane (0,0) of the main splitter, two list panes.
  const int listRows = m_bListsStacked ? 2 : 1, listCols = m_bListsStacked ? 1 : 2;
  if (!m_wndListSplit.CreateStatic(&m_wndMainSplit, listRows, listCols, WS_CHILD | WS_VISIBLE,
                                   m_wndMainSplit.IdFromRowCol(0, 0))) {
    return FALSE;
  }
  CCreateContext listContext;
  if (context) listContext = *context;
  listContext.m_pNewViewClass = fw::ViewClassOf<CFlistView>();
  for (int i = 0; i < 2; ++i) {
    int r = m_bListsStacked ? i : 0, c = m_bListsStacked ? 0 : i;
    if (!m_wndListSplit.CreateView(r, c, listContext.m_pNewViewClass, SIZE{200, 200}, &listContext)) {
      return FALSE;
    }
    if (CFlistView* v = dynamic_cast<CFlistView*>(m_wndListSplit.GetPane(r, c))) v->m_nSide = i + 1;
  }

  // The text side: a static 2x2, each pane a dynamic 2x2 of text views.
  const int tr = m_bMainSplit2x1 ? 1 : 0, tc = m_bMainSplit2x1 ? 0 : 1;
  if (!m_wndTextSplit.CreateStatic(&m_wndMainSplit, 2, 2, WS_CHILD | WS_VISIBLE,
                                   m_wndMainSplit.IdFromRowCol(tr, tc))) {
    return FALSE;
  }
  CCreateContext textContext;
  if (context) textContext = *context;
  textContext.m_pNewViewClass = fw::ViewClassOf<CDvkView>();
  for (int r = 0; r < 2; ++r) {
    for (int c = 0; c < 2; ++c) {
      if (!m_wndTextPane[r * 2 + c].Create(&m_wndTextSplit, 2, 2, kDynamicMin, &textContext,
                                           WS_CHILD | WS_VISIBLE | SPLS_DYNAMIC_SPLIT,
                                           m_wndTextSplit.IdFromRowCol(r, c))) {
        return FALSE;
      }
    }
  }
  return TRUE;
}

void CMainFrame::OnUpdateFrameTitle(BOOL) {
  if (!m_hWnd) return;
  CDvkApp* app = DvkApp();
  CDocument* doc = g_pDvkDoc;
  if (app && app->StartDone() && doc) {
    // After the start the title names the document: its path, or its title
    // while it has none ("無題" after New).
    SetWindowText(doc->GetPathName().IsEmpty() ? doc->GetTitle() : doc->GetPathName());
    return;
  }
  SetWindowText(app ? app->StartCommand().title : m_strTitle);
}

void CMainFrame::OnDropPaths(const std::vector<CString>& paths) {
  const CString& first = paths.front();
  const std::u16string w = fw::Cp932ToUtf16(first.GetString(), static_cast<std::size_t>(first.GetLength()));
  DWORD a = GetFileAttributesW(reinterpret_cast<const wchar_t*>(w.c_str()));
  if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY)) {
    ShowFolderInList(first);
    return;
  }
  CFrameWnd::OnDropPaths(paths);
}

void CMainFrame::ShowFolderInList(const CString& folder) {
  CDvkDoc* doc = g_pDvkDoc;
  if (!doc) return;
  const int side = doc->m_nActiveSide == 2 ? 2 : 1;
  CFlistView* v = GetListPane(m_bListsStacked ? side - 1 : 0, m_bListsStacked ? 0 : side - 1);
  if (!v) return;
  // The folder becomes the side's path and its pane lists it (update code 3).
  m_wndListSplit.SetActivePane(0, 0, v);
  doc->ActivePath() = folder;
  v->m_strCurDir = folder;
  v->m_nListSource = 0;
  doc->m_nUpdateCode = app::UpdateCode::kFolderChanged;
  v->OnUpdate(nullptr, 0, nullptr);
}

void CMainFrame::SaveListFoldersAtExit() {
  CDvkDoc* doc = g_pDvkDoc;
  if (m_bExitWritten || !doc) return;
  m_bExitWritten = true;
  std::string ftp[3];
  for (int i = 0; i < 3; ++i) ftp[i] = doc->FtpEntry(i).GetString();
  CString dirs[2];
  bool keep[2] = {false, false};
  for (int side = 1; side <= 2; ++side) {
    CFlistView* v = GetListPane(m_bListsStacked ? side - 1 : 0, m_bListsStacked ? 0 : side - 1);
    dirs[side - 1] = v ? v->m_strCurDir : (side == 1 ? doc->m_strListDir1 : doc->m_strListDir2);
    keep[side - 1] = flist::KeepsExitFolder(std::string(dirs[side - 1].GetString()), ftp);
  }
  int posi[4] = {doc->m_nPosi[1], doc->m_nPosi[2], doc->m_nPosi[3], doc->m_nPosi[4]};
  WINDOWPLACEMENT wp = {};
  wp.length = sizeof wp;
  if (::GetWindowPlacement(m_hWnd, &wp)) {
    const RECT& r = wp.rcNormalPosition;
    posi[0] = r.left;
    posi[1] = r.top;
    posi[2] = r.right - r.left;
    posi[3] = r.bottom - r.top;
  }
  // A failure is its message; the old file stays.
  doc->WriteExitPlaces(keep[0] ? &dirs[0] : nullptr, keep[1] ? &dirs[1] : nullptr, posi);
}

void CMainFrame::RecalcLayout(BOOL notify) {
  CFrameWnd::RecalcLayout(notify);
  SizeListSide();
  SizeTextPanes();
}

// --- timers ---------------------------------------------------------------------

void CMainFrame::OnTimer(UINT_PTR id) {
  const std::int64_t now = fw::CurrentTime();
  if (id == kTimerSchedule || id == kTimerReload || id == kTimerStartup) m_tLastTick = now;
  switch (id) {
    case kTimerSchedule:
      ++m_nScheduleTicks;
      // Timer 2 runs once per arming; this handler arms it again.
      if (!m_bReloadArmed) m_bReloadArmed = SetTimer(kTimerReload, kReloadMs) != 0;
      if (g_pDvkDoc) g_pDvkDoc->OnScheduleTick(now);
      break;
    case kTimerReload:
      KillTimer(kTimerReload);
      m_bReloadArmed = false;
      ++m_nReloadTicks;
      if (g_pDvkDoc) g_pDvkDoc->OnScheduleReload(now);
      break;
    case kTimerStartup:
      KillTimer(kTimerStartup);
      ++m_nStartupTicks;
      if (g_pDvkDoc) g_pDvkDoc->OnStartupTick(now);
      break;
    default:
      Default();
      break;
  }
}

// --- Esc poll and keys ------------------------------------------------------------

int CMainFrame::CheckEscapeAbort() {
  MSG m;
  if (!PeekMessageA(&m, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE)) return 0;
  if (m.wParam != VK_ESCAPE) return 0;
  // Take the Esc out of the queue so that no later poll asks again.
  MSG removed;
  PeekMessageA(&removed, m.hwnd, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE);
  if (AfxMessageBox(IDS_ABORT_QUERY, MB_YESNO) != IDYES) return 0;
  if (g_pDvkDoc) g_pDvkDoc->m_bAbort = 1;
  return 1;
}

void CMainFrame::TrackModifierKeys(const MSG* msg) {
  CDvkDoc* doc = g_pDvkDoc;
  if (!doc) return;
  bool down = msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN;
  bool up = msg->message == WM_KEYUP || msg->message == WM_SYSKEYUP;
  if (!down && !up) return;
  if (msg->wParam == VK_SHIFT) {
    // Shift with Ctrl already down is the second modifier state.
    doc->m_bShiftHeld = down ? (doc->m_bCtrlHeld ? 2u : 1u) : 0u;
  } else if (msg->wParam == VK_CONTROL) {
    doc->m_bCtrlHeld = down ? 1u : 0u;
    if (down && doc->m_bShiftHeld) doc->m_bShiftHeld = 2;
    if (up && doc->m_bShiftHeld >= 2) doc->m_bShiftHeld = 1;
  }
}

LRESULT CMainFrame::OnActivateMsg(WPARAM wp, LPARAM lp) {
  (void)lp;
  // Another window has the keys now (a dialog or message box with a loop of
  // its own, another program): the releases of the keys held go there, past
  // the tracking above, so none counts as held any more.
  if (LOWORD(wp) == WA_INACTIVE) {
    if (CDvkDoc* doc = g_pDvkDoc) {
      doc->m_bShiftHeld = 0;
      doc->m_bCtrlHeld = 0;
    }
  }
  return Default();
}

BOOL CMainFrame::PreTranslateMessage(MSG* msg) {
  TrackModifierKeys(msg);
  return CFrameWnd::PreTranslateMessage(msg);
}

// --- commands -----------------------------------------------------------------------

void CMainFrame::OnWindowSplit() {
  CycleTextLayout(g_pDvkDoc && g_pDvkDoc->m_bShiftHeld ? 1 : 0, 1);
}

void CMainFrame::OnAppExit() { PostMessage(WM_CLOSE); }

void CMainFrame::OnAppAbout() { AfxMessageBox(IDS_ABOUT_TEXT, MB_OK | MB_ICONINFORMATION); }

void CMainFrame::ShowBar(CControlBar& bar, bool show) {
  if (!bar.m_hWnd) return;
  bar.ShowWindow(show ? SW_SHOWNA : SW_HIDE);
  RecalcLayout();
}

void CMainFrame::OnViewToolbar() { ShowBar(m_wndToolBar, !(m_wndToolBar.GetStyle() & WS_VISIBLE)); }
void CMainFrame::OnViewStatusBar() { ShowBar(m_wndStatusBar, !(m_wndStatusBar.GetStyle() & WS_VISIBLE)); }
void CMainFrame::OnUpdateViewToolbar(CCmdUI* ui) { ui->SetCheck((m_wndToolBar.GetStyle() & WS_VISIBLE) ? 1 : 0); }
void CMainFrame::OnUpdateViewStatusBar(CCmdUI* ui) { ui->SetCheck((m_wndStatusBar.GetStyle() & WS_VISIBLE) ? 1 : 0); }
void CMainFrame::OnUpdateKana(CCmdUI* ui) { ui->Enable((GetKeyState(VK_KANA) & 1) != 0); }

bool CMainFrame::TakeSkippedPaint() {
  if (m_nSkipPaints <= 0) return false;
  --m_nSkipPaints;
  return true;
}

CString CMainFrame::StartCommandLine() {
  CDvkApp* app = DvkApp();
  return app ? app->StartCommand().commandLine : CString();
}

bool CMainFrame::RestoreLayoutAtStart() {
  CDvkApp* app = DvkApp();
  return !app || app->StartCommand().restoreLayout;
}
