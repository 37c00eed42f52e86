// The main frame's pane activation, layouts, menu captions and the search for
// another program's window.
#include <cstring>

#include "app/dvkdoc.h"
#include "view/dvkview.h"
#include "filelist/flistview.h"
#include "app/mainfrm.h"
#include "cmd/command_table.h"
#include "app/shell/menu_captions.h"
#include "host/pane_layout.h"
#include "res/resource.h"

int CMainFrame::ClampIndex(int row, int col) {
  app::PaneCell c = app::ClampTextPane(row, col);
  return c.row * 2 + c.col;
}

CFlistView* CMainFrame::GetListPane(int row, int col) const {
  if (!m_wndListSplit.m_hWnd) return nullptr;
  if (row < 0 || col < 0 || row >= m_wndListSplit.GetRowCount() || col >= m_wndListSplit.GetColumnCount())
    return nullptr;
  return dynamic_cast<CFlistView*>(m_wndListSplit.GetPane(row, col));
}

CDvkView* CMainFrame::GetTextView(int row, int col) const {
  const CSplitterWnd& dyn = m_wndTextPane[ClampIndex(row, col)];
  return dyn.m_hWnd ? dynamic_cast<CDvkView*>(dyn.GetPane(0, 0)) : nullptr;
}

void CMainFrame::ActivateTextPane(int row, int col) {
  CSplitterWnd& dyn = m_wndTextPane[ClampIndex(row, col)];
  if (dyn.m_hWnd) dyn.SetActivePane(0, 0);
}

void CMainFrame::ActivateListPane(int row, int col) {
  if (!m_wndListSplit.m_hWnd) return;
  app::PaneCell c = app::ClampListPane(row, col, g_pDvkDoc ? g_pDvkDoc->m_nLayoutMode : 0);
  // The splitter keeps the arrangement it was made with; a cell outside it
  // means the same pane in the other arrangement.
  if (c.row >= m_wndListSplit.GetRowCount() || c.col >= m_wndListSplit.GetColumnCount()) {
    c = app::PaneCell{c.col, c.row};
  }
  m_wndListSplit.SetActivePane(c.row, c.col);
}

void CMainFrame::OnSwitchPane() {
  int side = g_pDvkDoc ? g_pDvkDoc->m_nActiveListSide : 1;
  int other = side == 1 ? 2 : 1;
  // The list pane of the other side, as made: side n is the n-th pane.
  if (CFlistView* v = GetListPane(m_bListsStacked ? other - 1 : 0, m_bListsStacked ? 0 : other - 1)) {
    m_wndListSplit.SetActivePane(0, 0, v);
  }
}

// --- sizes ----------------------------------------------------------------------------

void CMainFrame::SizeListSide() {
  if (!m_wndMainSplit.m_hWnd) return;
  CRect rc;
  m_wndMainSplit.GetClientRect(&rc);
  if (m_bMainSplit2x1) {
    m_wndMainSplit.SetRowInfo(0, rc.Height() * m_nListPermille / 1000, 0);
  } else {
    m_wndMainSplit.SetColumnInfo(0, rc.Width() * m_nListPermille / 1000, 0);
  }
  m_wndMainSplit.RecalcLayout();
  if (m_wndListSplit.m_hWnd) {
    CRect lr;
    m_wndListSplit.GetClientRect(&lr);
    if (m_bListsStacked) m_wndListSplit.SetRowInfo(0, lr.Height() / 2, 0);
    else m_wndListSplit.SetColumnInfo(0, lr.Width() / 2, 0);
    m_wndListSplit.RecalcLayout();
  }
}

void CMainFrame::SizeTextPanes() {
  if (!m_wndTextSplit.m_hWnd) return;
  CRect rc;
  m_wndTextSplit.GetClientRect(&rc);
  m_wndTextSplit.SetRowInfo(0, rc.Height() * m_nTextRowPermille / 1000, 0);
  m_wndTextSplit.SetColumnInfo(0, rc.Width() * m_nTextColPermille / 1000, 0);
  m_wndTextSplit.RecalcLayout();
}

void CMainFrame::ApplyTextLayout(int a, int b) {
  if (m_nTextLayoutWord != 0) {
    m_nTextSplitMode = m_nTextLayoutWord;
    m_nTextLayoutWord = 0;
  }
  app::TextLayout t = app::TextLayoutFor(m_nTextSplitMode, b == 3);
  const app::TextLayout before{m_nTextRowPermille, m_nTextColPermille};
  m_nTextRowPermille = t.rowPermille;
  m_nTextColPermille = t.colPermille;
  CDvkDoc* doc = g_pDvkDoc;
  if (doc && IsWindowVisible()) doc->BeginUpdateLock(this);
  if (a != 0) {
    // Panes that the layout hides give up their own splits.
    for (int r = 0; r < 2; ++r) {
      for (int c = 0; c < 2; ++c) {
        bool hidden = (r == 0 ? t.rowPermille == 0 : t.rowPermille == 1000) ||
                      (c == 0 ? t.colPermille == 0 : t.colPermille == 1000);
        CSplitterWnd& dyn = m_wndTextPane[r * 2 + c];
        if (!hidden || !dyn.m_hWnd) continue;
        while (dyn.GetRowCount() > 1) dyn.DeleteRow(dyn.GetRowCount() - 1);
        while (dyn.GetColumnCount() > 1) dyn.DeleteColumn(dyn.GetColumnCount() - 1);
      }
    }
  }
  SizeTextPanes();
  ShowDocumentInPanes(app::NewlyShownTextPanes(before, t));
  if (doc && IsWindowVisible()) doc->EndUpdateLock();
}

bool CMainFrame::ShowsTextPane(int paneIndex) {
  if (paneIndex < 1 || paneIndex > 4) return false;
  const app::PaneCell c = app::CellOfPaneIndex(paneIndex);
  return app::TextPaneShown(app::TextLayout{m_nTextRowPermille, m_nTextColPermille}, c.row, c.col);
}

void CMainFrame::ShowDocumentInPanes(const std::vector<app::PaneCell>& cells) {
  if (cells.empty()) return;
  // The text pane that shows the document: the active view, or when a list
  // pane is active the text pane that was active last.
  CDvkView* source = dynamic_cast<CDvkView*>(GetActiveView());
  if (!source && g_pDvkDoc) {
    const app::PaneCell a = app::CellOfPaneIndex(g_pDvkDoc->m_nActiveTextPane);
    source = GetTextView(a.row, a.col);
  }
  if (!source || !source->m_hWnd) return;
  std::vector<CDvkView*> targets;
  for (const app::PaneCell& c : cells) {
    CDvkView* v = GetTextView(c.row, c.col);
    if (!v || v == source || !v->m_hWnd) continue;
    targets.push_back(v);
    for (CDvkView* o : v->OtherPanes()) targets.push_back(o);
  }
  source->ShowSameTextIn(targets);
}

void CMainFrame::CycleTextLayout(int shift, int apply) {
  if (apply != 0) m_nTextSplitMode = app::NextTextSplitMode(m_nTextSplitMode, shift != 0);
  ApplyTextLayout(0, 0);
}

void CMainFrame::SetTextLayout(int request) {
  int mode = app::SplitModeForLayoutRequest(request);
  if (mode < 0) return;
  m_nTextSplitMode = mode;
  ApplyTextLayout(0, 0);
}

void CMainFrame::OnListDisplay() {
  m_nListPermille = app::ListSharePermille(g_pDvkDoc ? g_pDvkDoc->m_nLayoutMode : 0);
  SizeListSide();
  SizeTextPanes();
}

void CMainFrame::OnSideDisplay() {
  CDvkDoc* doc = g_pDvkDoc;
  if (!doc || !m_hWnd) return;
  RECT work = {};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  const int w = work.right - work.left, h = work.bottom - work.top;
  CRect r;
  switch (doc->m_nSideDisplay) {
    case 2: r = doc->m_rcNormalWindow; break;                                       // saved window
    case 4: r = CRect(work.left, work.top, work.left + w / 2, work.bottom); break;  // left half
    case 5: r = CRect(work.left + w / 2, work.top, work.right, work.bottom); break; // right half
    case 9: r = CRect(work.left, work.top, work.right, work.top + h); break;        // whole work area
    default: return;
  }
  if (r.Width() < 50 || r.Height() < 50) return;
  ::SetWindowPos(m_hWnd, nullptr, r.left, r.top, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
}

void CMainFrame::OnNewWindow() {
  char exe[MAX_PATH * 2] = {};
  if (!GetModuleFileNameA(nullptr, exe, sizeof exe - 1)) return;
  std::string cmd = std::string("\"") + exe + "\"";
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (CreateProcessA(exe, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
}

void CMainFrame::SaveChildWindowRect() {
  CView* v = GetActiveView();
  if (!v || !v->m_hWnd || !g_pDvkDoc) return;
  CRect r;
  v->GetWindowRect(&r);
  g_pDvkDoc->m_rcSaved = r;
}

namespace {

struct WindowSearch {
  CString name;
  CString extra;
  int mode;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND h, LPARAM lp) {
  WindowSearch* s = reinterpret_cast<WindowSearch*>(lp);
  char buf[512] = {};
  int n = GetWindowTextA(h, buf, sizeof buf);
  if (n <= 0) return TRUE;
  CString title(buf);
  title.MakeLower();
  bool match = s->mode == 2 ? title.Find(s->name) >= 0 : title == s->name;
  if (match && !s->extra.IsEmpty()) match = title.Find(s->extra) >= 0;
  if (!match) return TRUE;
  s->found = h;
  return FALSE;
}

}  // namespace

CWnd* CMainFrame::FindExternalAppWindow(CString name, CString extra, int mode) {
  if (name.IsEmpty()) return nullptr;
  WindowSearch s{name, extra, mode, nullptr};
  s.name.MakeLower();
  s.extra.MakeLower();
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&s));
  return s.found ? CWnd::FromHandle(s.found) : nullptr;
}

// --- menu captions and toolbar sets --------------------------------------------------

void CMainFrame::UpdateMenuTexts(int kind, int form, int state) {
  app::MenuCaptions m = app::MenuCaptionsFor(kind, form, state);
  if (m.toolbar != app::ToolbarSet::Keep) ApplyToolbarSet(m.toolbar);
  HMENU menu = GetMenuHandle();
  if (!menu) return;
  if (m.save) {
    const std::string save = cmd::WithKeyHint(ID_FILE_SAVE, m.save);
    ModifyMenuA(menu, ID_FILE_SAVE, MF_BYCOMMAND | MF_STRING, ID_FILE_SAVE, save.c_str());
  }
  if (m.tableEdit) {
    const std::string edit = cmd::WithKeyHint(ID_TABLE_EDIT_MODE, m.tableEdit);
    ModifyMenuA(menu, ID_TABLE_EDIT_MODE, MF_BYCOMMAND | MF_STRING, ID_TABLE_EDIT_MODE, edit.c_str());
  }
  if (m.save || m.tableEdit) DrawMenuBar();
}
