#include "fw/frame.h"

#include <shellapi.h>

#include <algorithm>
#include <string>

#include "fw/app.h"
#include "fw/bars.h"
#include "fw/cmdtext.h"
#include "fw/docview.h"
#include "fw/fwres.h"

FW_BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
  fw::OnWmCreate<&CFrameWnd::OnCreate>(),
  fw::OnWmSize<&CFrameWnd::OnSize>(),
  fw::OnMessageVoid<&CFrameWnd::OnClose>(WM_CLOSE),
  fw::OnMessageVoid<&CFrameWnd::OnDestroy>(WM_DESTROY),
  fw::OnWmFocus<&CFrameWnd::OnSetFocus>(WM_SETFOCUS),
  fw::OnMessage<&CFrameWnd::OnInitMenuPopup>(WM_INITMENUPOPUP),
  fw::OnMessage<&CFrameWnd::OnMenuSelect>(WM_MENUSELECT),
  fw::OnMessage<&CFrameWnd::OnExitMenuLoop>(WM_EXITMENULOOP),
  fw::OnMessage<&CFrameWnd::OnDropFilesMessage>(WM_DROPFILES),
  fw::OnUpdateCommandUI<&CFrameWnd::OnUpdateKeyIndicator>(ID_INDICATOR_CAPS, ID_INDICATOR_SCRL),
FW_END_MESSAGE_MAP()

const RECT CFrameWnd::kRectDefault = {static_cast<LONG>(CW_USEDEFAULT), static_cast<LONG>(CW_USEDEFAULT), 0, 0};

CFrameWnd::CFrameWnd() = default;

CFrameWnd::~CFrameWnd() {
  if (m_hAccelTable) DestroyAcceleratorTable(m_hAccelTable);
}

BOOL CFrameWnd::Create(const char* className, const char* title, DWORD style, const RECT& rect,
                       CWnd* parent, HMENU menu, DWORD exStyle, CCreateContext* context) {
  m_dwFrameStyle = style & FWS_ADDTOTITLE;
  style &= ~FWS_ADDTOTITLE;
  m_strTitle = title ? title : "";
  int x = rect.left, y = rect.top, w = rect.right - rect.left, h = rect.bottom - rect.top;
  if (rect.left == kRectDefault.left && rect.top == kRectDefault.top) {
    x = y = w = h = CW_USEDEFAULT;
  }
  if (!CreateEx(exStyle, className ? className : fw::FrameClassName(), m_strTitle, style, x, y, w,
                h, FwGetSafeHwnd(parent), menu, context)) {
    return FALSE;
  }
  return TRUE;
}

BOOL CFrameWnd::LoadFrame(UINT resId, DWORD style, CWnd* parent, CCreateContext* context) {
  HINSTANCE inst = fw::ResourceHandle();
  CString full;
  full.LoadString(resId);
  int nl = full.Find('\n');
  CString title = nl >= 0 ? full.Left(nl) : full;
  HMENU menu = nullptr;
  if (FindResourceA(inst, MAKEINTRESOURCEA(resId), reinterpret_cast<LPCSTR>(RT_MENU))) {
    menu = LoadMenuA(inst, MAKEINTRESOURCEA(resId));
  }
  if (FindResourceA(inst, MAKEINTRESOURCEA(resId), reinterpret_cast<LPCSTR>(RT_ACCELERATOR))) {
    m_hAccelTable = LoadAcceleratorsA(inst, MAKEINTRESOURCEA(resId));
  }
  m_nIDHelp = resId;
  if (parent) style |= WS_CHILD;
  if (!Create(nullptr, title, style, kRectDefault, parent, parent ? nullptr : menu, 0, context)) {
    if (menu && !m_hWnd) DestroyMenu(menu);
    return FALSE;
  }
  m_hMenuDefault = menu;
  return TRUE;
}

int CFrameWnd::OnCreate(LPCREATESTRUCTA cs) {
  CCreateContext* context = static_cast<CCreateContext*>(cs->lpCreateParams);
  if (Default() == -1) return -1;
  if (!OnCreateClient(cs, context)) return -1;
  RecalcLayout();
  return 0;
}

BOOL CFrameWnd::OnCreateClient(LPCREATESTRUCTA, CCreateContext* context) {
  if (context && context->m_pNewViewClass) {
    if (!CreateView(context, AFX_IDW_PANE_FIRST)) return FALSE;
  }
  return TRUE;
}

CWnd* CFrameWnd::CreateView(CCreateContext* context, UINT id) {
  if (!context || !context->m_pNewViewClass) return nullptr;
  CView* view = context->m_pNewViewClass->create();
  if (!view) return nullptr;
  RECT r = {0, 0, 0, 0};
  if (!view->Create(nullptr, nullptr, AFX_WS_DEFAULT_VIEW & ~WS_BORDER, r, this, id, context)) {
    return nullptr;  // the view deleted itself in PostNcDestroy, or was never a window
  }
  return view;
}

void CFrameWnd::RecalcLayout(BOOL) {
  if (!m_hWnd || m_inRecalc) return;
  m_inRecalc = true;
  RECT rc;
  ::GetClientRect(m_hWnd, &rc);
  int width = rc.right - rc.left;
  for (CControlBar* bar : m_bars) {
    if (!bar->m_hWnd || !(bar->GetStyle() & WS_VISIBLE)) continue;
    int h = bar->CalcHeight(width);
    if (bar->GetBarStyle() & CBRS_BOTTOM) {
      ::MoveWindow(bar->m_hWnd, rc.left, rc.bottom - h, width, h, TRUE);
      rc.bottom -= h;
    } else {
      ::MoveWindow(bar->m_hWnd, rc.left, rc.top, width, h, TRUE);
      rc.top += h;
    }
  }
  if (rc.bottom < rc.top) rc.bottom = rc.top;
  if (HWND pane = ::GetDlgItem(m_hWnd, AFX_IDW_PANE_FIRST)) {
    ::MoveWindow(pane, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, TRUE);
  }
  m_inRecalc = false;
}

void CFrameWnd::OnSize(UINT type, int, int) {
  if (type != SIZE_MINIMIZED) RecalcLayout();
}

void CFrameWnd::SetActiveView(CView* view, BOOL notify) {
  CView* old = m_pViewActive;
  if (view == old) return;
  m_pViewActive = view;
  if (notify && old) old->OnActivateView(FALSE, view, old);
  if (notify && view) view->OnActivateView(TRUE, view, old);
}

CDocument* CFrameWnd::GetActiveDocument() {
  return m_pViewActive ? m_pViewActive->GetDocument() : nullptr;
}

void CFrameWnd::InitialUpdateFrame(CDocument* doc, BOOL makeVisible) {
  CView* first = nullptr;
  if (doc) {
    // Copy: OnInitialUpdate may create or remove views.
    std::vector<CView*> views = doc->Views();
    for (CView* v : views) {
      if (!first) first = v;
      v->OnInitialUpdate();
    }
  }
  if (!m_pViewActive) {
    CWnd* pane = CWnd::FromHandlePermanent(::GetDlgItem(m_hWnd, AFX_IDW_PANE_FIRST));
    CView* v = nullptr;
    if (doc) {
      for (CView* cand : doc->Views()) {
        if (cand->m_hWnd == FwGetSafeHwnd(pane)) v = cand;
      }
    }
    if (!v) v = first;
    if (v) SetActiveView(v);
  }
  OnUpdateFrameTitle(TRUE);
  if (makeVisible && !m_bShownOnce) {
    // The start's show command applies once; later documents in the same
    // frame leave its place, size and activation alone.
    m_bShownOnce = true;
    CWinApp* app = AfxGetApp();
    ShowWindow(app && app->m_pMainWnd == this ? app->m_nCmdShow : SW_SHOW);
    UpdateWindow();
  } else if (makeVisible && IsIconic()) {
    ShowWindow(SW_RESTORE);
  }
  // The active view takes the keys (after a start, a new document or an open).
  if (m_pViewActive) m_pViewActive->TakeFocus();
}

void CFrameWnd::OnUpdateFrameTitle(BOOL addToTitle) {
  if (!m_hWnd) return;
  CDocument* doc = GetActiveDocument();
  if (addToTitle && (m_dwFrameStyle & FWS_ADDTOTITLE) && doc && !doc->GetTitle().IsEmpty()) {
    CString t = doc->GetTitle();
    if (!m_strTitle.IsEmpty()) t += CString(" - ") + m_strTitle;
    SetWindowText(t);
  } else {
    SetWindowText(m_strTitle);
  }
}

void CFrameWnd::AddControlBar(CControlBar* bar) {
  if (std::find(m_bars.begin(), m_bars.end(), bar) == m_bars.end()) m_bars.push_back(bar);
}

void CFrameWnd::RemoveControlBar(CControlBar* bar) {
  m_bars.erase(std::remove(m_bars.begin(), m_bars.end(), bar), m_bars.end());
}

CControlBar* CFrameWnd::GetControlBar(UINT id) const {
  for (CControlBar* b : m_bars) {
    if (b->m_hWnd && static_cast<UINT>(b->GetDlgCtrlID()) == id) return b;
  }
  return nullptr;
}

void CFrameWnd::UpdateControlBars(BOOL disableIfNoHandler) {
  std::vector<CControlBar*> bars = m_bars;
  for (CControlBar* b : bars) {
    if (b->m_hWnd && (b->GetStyle() & WS_VISIBLE)) b->OnUpdateCmdUI(this, disableIfNoHandler);
  }
}

void CFrameWnd::SetMessageText(const char* text) {
  if (CStatusBar* sb = static_cast<CStatusBar*>(GetControlBar(AFX_IDW_STATUS_BAR))) {
    sb->SetPaneText(0, text, TRUE);
  }
}

BOOL CFrameWnd::OnCmdMsg(UINT id, int code, void* extra, CmdHandlerInfo* info) {
  if (CView* v = GetActiveView()) {
    if (v->OnCmdMsg(id, code, extra, info)) return TRUE;
  }
  if (CWnd::OnCmdMsg(id, code, extra, info)) return TRUE;
  CWinApp* app = AfxGetApp();
  if (app && app->OnCmdMsg(id, code, extra, info)) return TRUE;
  return FALSE;
}

BOOL CFrameWnd::OnCommand(WPARAM wp, LPARAM lp) {
  if (lp == 0) {
    // Menu or accelerator: a command that its update handler disables does not run
    // (an accelerator is live even when its item is greyed).
    fw::RecordingCmdUI state(LOWORD(wp));
    state.DoUpdate(this, FALSE);
    if (state.m_bEnableChanged && !state.enabled) return TRUE;
  }
  return CWnd::OnCommand(wp, lp);
}

BOOL CFrameWnd::PreTranslateMessage(MSG* msg) {
  if (m_hAccelTable && msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST) {
    return ::TranslateAcceleratorA(m_hWnd, m_hAccelTable, msg) ? TRUE : FALSE;
  }
  return FALSE;
}

LRESULT CFrameWnd::OnInitMenuPopup(WPARAM wp, LPARAM lp) {
  HMENU popup = reinterpret_cast<HMENU>(wp);
  if (HIWORD(lp)) return Default();  // the system menu
  int count = GetMenuItemCount(popup);
  for (int i = 0; i < count; ++i) {
    UINT id = GetMenuItemID(popup, i);
    if (id == 0 || id == static_cast<UINT>(-1)) continue;  // separator or sub-menu
    CCmdUI ui;
    ui.m_nID = id;
    ui.m_nIndex = static_cast<UINT>(i);
    ui.m_nIndexMax = static_cast<UINT>(count);
    ui.m_hMenu = popup;
    ui.DoUpdate(this, m_bAutoMenuEnable && (id < 0xF000 || id > 0xF1FF));
    // A handler that writes several items (the recent files) leaves the
    // place of its last one; the walk goes on behind it.
    i = static_cast<int>(ui.m_nIndex);
    count = GetMenuItemCount(popup);
  }
  return 0;
}

CString CFrameWnd::GetCommandText(UINT id) {
  CString text;
  if (id != 0 && id < 0xF000) text.LoadString(id);
  return text;
}

void CFrameWnd::ShowPrompt(UINT id) {
  CStatusBar* sb = static_cast<CStatusBar*>(GetControlBar(AFX_IDW_STATUS_BAR));
  if (!sb || !sb->m_hWnd) return;
  std::string prompt = fw::PromptPart(GetCommandText(id).GetString());
  sb->ShowPrompt(prompt.c_str());
}

void CFrameWnd::EndPrompt() {
  if (CStatusBar* sb = static_cast<CStatusBar*>(GetControlBar(AFX_IDW_STATUS_BAR))) {
    if (sb->m_hWnd) sb->EndPrompt();
  }
}

LRESULT CFrameWnd::OnMenuSelect(WPARAM wp, LPARAM lp) {
  const UINT item = LOWORD(wp), flags = HIWORD(wp);
  if (flags == 0xFFFF && lp == 0) {
    EndPrompt();  // the menu closed
  } else if (flags & (MF_SEPARATOR | MF_POPUP | MF_SYSMENU)) {
    ShowPrompt(0);  // nothing to say about a sub-menu or a separator
  } else {
    ShowPrompt(item);
  }
  return 0;
}

LRESULT CFrameWnd::OnExitMenuLoop(WPARAM, LPARAM) {
  EndPrompt();
  return 0;
}

BOOL CFrameWnd::OnNotify(WPARAM wp, LPARAM lp, LRESULT* result) {
  NMHDR* nm = reinterpret_cast<NMHDR*>(lp);
  if (nm && (nm->code == TTN_GETDISPINFOA || nm->code == TTN_GETDISPINFOW)) {
    // Toolbar tooltips: the part after "\n" of the button's command string.
    UINT id = static_cast<UINT>(nm->idFrom);
    if (nm->code == TTN_GETDISPINFOA) {
      NMTTDISPINFOA* info = reinterpret_cast<NMTTDISPINFOA*>(nm);
      if (info->uFlags & TTF_IDISHWND) id = static_cast<UINT>(::GetDlgCtrlID(reinterpret_cast<HWND>(nm->idFrom)));
      std::string tip = fw::TooltipPart(GetCommandText(id).GetString());
      lstrcpynA(info->szText, tip.c_str(), sizeof info->szText);
      info->lpszText = info->szText;
    } else {
      NMTTDISPINFOW* info = reinterpret_cast<NMTTDISPINFOW*>(nm);
      if (info->uFlags & TTF_IDISHWND) id = static_cast<UINT>(::GetDlgCtrlID(reinterpret_cast<HWND>(nm->idFrom)));
      std::string tip = fw::TooltipPart(GetCommandText(id).GetString());
      info->szText[0] = 0;
      MultiByteToWideChar(CP_ACP, 0, tip.c_str(), -1, info->szText,
                          static_cast<int>(sizeof info->szText / sizeof info->szText[0]));
      info->lpszText = info->szText;
    }
    *result = 0;
    return TRUE;
  }
  if (nm && nm->code == TBN_HOTITEMCHANGE) {
    // Fly-by prompts: the highlighted toolbar button says what it does.
    const NMTBHOTITEM* hot = reinterpret_cast<const NMTBHOTITEM*>(nm);
    if (hot->dwFlags & HICF_LEAVING) EndPrompt();
    else if (hot->idNew) ShowPrompt(static_cast<UINT>(hot->idNew));
    *result = 0;  // the hot item may change
    return TRUE;
  }
  return CWnd::OnNotify(wp, lp, result);
}

void CFrameWnd::OnDropFiles(HDROP drop) {
  std::vector<CString> paths;
  UINT n = DragQueryFileA(drop, 0xFFFFFFFFu, nullptr, 0);
  for (UINT i = 0; i < n; ++i) {
    UINT len = DragQueryFileA(drop, i, nullptr, 0);
    std::string buf(len + 1, '\0');
    DragQueryFileA(drop, i, &buf[0], len + 1);
    buf.resize(len);
    paths.push_back(CString(buf.c_str()));
  }
  DragFinish(drop);
  if (paths.empty()) return;
  // The program comes to the front so any question is seen.
  ::SetForegroundWindow(m_hWnd);
  OnDropPaths(paths);
}

void CFrameWnd::OnDropPaths(const std::vector<CString>& paths) {
  // One document at a time: the first file opens like Open.
  if (CWinApp* app = AfxGetApp()) app->OpenDocumentFile(paths.front());
}

LRESULT CFrameWnd::OnDropFilesMessage(WPARAM wp, LPARAM) {
  OnDropFiles(reinterpret_cast<HDROP>(wp));
  return 0;
}

void CFrameWnd::OnUpdateKeyIndicator(CCmdUI* ui) {
  int key = ui->m_nID == ID_INDICATOR_CAPS ? VK_CAPITAL
            : ui->m_nID == ID_INDICATOR_NUM ? VK_NUMLOCK
                                            : VK_SCROLL;
  ui->Enable((GetKeyState(key) & 1) != 0);
}

void CFrameWnd::OnClose() {
  CWinApp* app = AfxGetApp();
  if (app && app->m_pMainWnd == this) {
    if (CDocument* doc = GetActiveDocument()) {
      if (!doc->SaveModified()) return;
    }
  }
  DestroyWindow();
}

void CFrameWnd::OnDestroy() {
  m_pViewActive = nullptr;
  CWinApp* app = AfxGetApp();
  if (app && app->m_pMainWnd == this) {
    app->m_pMainWnd = nullptr;
    PostQuitMessage(0);
  }
  Default();
}

void CFrameWnd::OnSetFocus(CWnd* old) {
  if (m_pViewActive && m_pViewActive->m_hWnd) {
    m_pViewActive->SetFocus();
  } else {
    Default();
  }
}

void CFrameWnd::PostNcDestroy() {
  if (m_bAutoDelete) delete this;
}
