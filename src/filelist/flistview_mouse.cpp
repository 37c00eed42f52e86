// The list pane's mouse: the button-down on the path line, the heading line
// and the entry lines, the divider drag of the mouse move and the button-up.
// The decisions are the plans of flistcore/mouseplan.h.
#include "filelist/flistcore/mouseplan.h"
#include "filelist/flistview.h"
#include "fw/clock.h"
#include "fw/msgbox.h"
#include "host/frame_host.h"

namespace {

const unsigned kFileCompareCommand = 33225;

flist::ColumnLayout LayoutOf(const std::int32_t* x, std::int32_t subdirX) {
  flist::ColumnLayout l;
  for (int i = 0; i < 3; ++i) l.x[i] = x[i];
  l.subdirX = subdirX;
  return l;
}

}  // namespace

void CFlistView::OnLButtonDown(UINT nFlags, CPoint pt) {
  app::DocHost* doc = GetDocument();
  if (!doc) return;
  app::DocListFields& lf = doc->ListFields();
  app::DocUpdateFields& up = doc->UpdateFields();
  // 1. A plain click starts the marks afresh.
  const bool shiftOrCtrl = doc->KeyImageFields().m_bShiftHeld != 0 || m_bCtrlDown != 0 ||
                           (nFlags & (MK_SHIFT | MK_CONTROL)) != 0;
  if (!shiftOrCtrl) ClearMarks(0);
  if (up.m_nFileKind >= 12 && up.m_nFileKind <= 28) ShowStatus("");
  // 2.
  if (pt.y < 0) {
    AfxMessageBox("#11");
    return;
  }
  // 3-4.
  const int index = flist::ClickEntryIndex(nFlags, pt.y, m_nLineHeight, m_state.m_nTopEntry, m_state.m_nCurEntry);
  lf.m_strExtractTarget.Empty();
  switch (flist::ClickZoneOf(nFlags, pt.y, m_nLineHeight)) {
    case flist::ClickZone::kPathLine:
      if (!PathLineClick(pt)) return;
      break;  // the drive list: on to the single-click tail
    case flist::ClickZone::kHeading:
      HeadingClick(pt);
      return;
    case flist::ClickZone::kEntryLine:
      if (EntryLineClick(index)) return;
      break;
    case flist::ClickZone::kTail:
      break;
  }
  // 8. The single-click tail.
  lf.m_nOpenFlags = 0;
  if (lf.m_bPendingLoad) {
    lf.m_bPendingLoad = 0;
    up.m_nLoadState = 1;
  }
  ShowEntry(index, 0, 0);
  up.m_nLoadState = 1;
  DrawEntryLines(m_bActivePane);
  DrawPathBar(m_bActivePane);
}

bool CFlistView::PathLineClick(CPoint pt) {
  app::DocHost* doc = GetDocument();
  app::DocListFields& lf = doc->ListFields();
  lf.m_nPathClick = 0;
  // A click at the very top waits a moment first (a double click is
  // still to come there).
  if (pt.y < 12) fw::Wait(200);
  if (!lf.m_bOrderedSelect) m_nListFlag = 0;
  const flist::PathClick p = flist::PlanPathClick(std::string(m_strCurDir.GetString(), static_cast<std::size_t>(m_strCurDir.GetLength())),
                                                  m_aPathBarX, pt.x);
  switch (p.kind) {
    case flist::PathClick::kDriveList:
      GoToFolder(CString(), 2);
      return true;
    case flist::PathClick::kParentOnce:
      GoToParentFolder();
      break;
    case flist::PathClick::kParentTimes:
      for (int i = 0; i < p.times; ++i) GoToParentFolder();
      break;
    case flist::PathClick::kEnter:
      m_strCurDir = p.folder.c_str();
      m_strPrevDir = m_strCurDir;
      doc->UpdateFields().m_nUpdateCode = app::UpdateCode::kFolderChanged;
      OnUpdate(nullptr, 0, nullptr);
      break;
  }
  if (lf.m_nCompareCount > 1) {
    lf.m_nCompareCount = 0;
    lf.FreeCompareNames();
    SendListCommand(kFileCompareCommand);
  }
  fw::Wait(500);
  return false;
}

void CFlistView::HeadingClick(CPoint pt) {
  app::DocHost* doc = GetDocument();
  app::DocListFields& lf = doc->ListFields();
  app::DocWindowFields& win = doc->WindowFields();
  const flist::ColumnLayout l = LayoutOf(m_aColumnX, m_nSubdirColumnX);
  bool dragStarted = false;
  if (m_nDividerDrag == 0) {
    m_nDividerDrag = flist::DividerAt(pt.x, l, m_nListFlag == 1);
    dragStarted = m_nDividerDrag != 0;
  }
  flist::HeadingState hs;
  hs.sortMode = m_state.m_nSortMode;
  hs.displayMode = m_state.m_nDisplayMode;
  hs.headerSwitch = m_bHeaderSwitch;
  hs.listFlag = m_nListFlag;
  if (flist::ApplyHeadingClick(pt.x, l, m_nListSource == 1, lf.m_bOrderedSelect != 0, &hs)) lf.FreeCompareNames();
  m_state.m_nSortMode = hs.sortMode;
  m_state.m_nDisplayMode = hs.displayMode;
  m_bHeaderSwitch = hs.headerSwitch;
  m_nListFlag = hs.listFlag;
  (m_nSide == 1 ? win.m_nStartSort1 : win.m_nStartSort2) = static_cast<std::int32_t>(hs.sortMode) + 10;
  win.m_nDirSort = flist::PackDirSortAfterHeading(win.m_nDirSort, m_nSide, hs.displayMode);
  if (dragStarted) return;
  doc->UpdateFields().m_nUpdateCode = app::UpdateCode::kAfterMouse;
  m_bRelist2 = 1;
  OnUpdate(nullptr, 0, nullptr);
}

bool CFlistView::EntryLineClick(int index) {
  app::DocHost* doc = GetDocument();
  app::DocListFields& lf = doc->ListFields();
  // Below the last entry there is nothing to mark (a mark there would let
  // the file operations act on a stale record).
  if (index >= m_table.m_nEntryCount) return true;
  flist::ClickMarkEntry(m_table, m_state, index, lf.m_bOrderedSelect != 0);
  doc->PathFields().m_nHistoryCount = 0;
  // A file of 0xFFFFFFFE bytes carries the file bit in its high word.
  const bool folder = static_cast<std::int32_t>(m_table.m_pEntryVal1[index]) == flist::kSizeFolder &&
                      (m_table.m_pSizeHigh[index] & flist::kSizeHighFile) == 0;
  if (!folder && m_nListSource != 1) return false;
  CString path = m_strCurDir + "\\";
  if (m_nListFlag == 1) path += CString(flist::GetNameRecord(m_table.m_pTextRecs2, index).c_str()) + "\\";
  m_strStartPath = path + flist::GetNameRecord(m_table.m_pNameRecs, index).c_str();
  if (!lf.m_bOrderedSelect && doc->SettingsFields().m_nSclic == 1) {
    OpenEntryAt(0, CPoint(0, 0));
    return true;
  }
  return false;
}

void CFlistView::OnMouseMove(UINT nFlags, CPoint pt) {
  app::DocHost* doc = GetDocument();
  if (!doc) return;
  const int h = m_nLineHeight;
  const bool inHeading = pt.y > h && pt.y < 2 * h + 2;
  flist::ColumnLayout l = LayoutOf(m_aColumnX, m_nSubdirColumnX);
  CRect rc;
  if (m_hWnd) GetClientRect(&rc);
  if (m_nDividerDrag == 0) {
    m_bOverDivider = inHeading && flist::DividerAt(pt.x, l, m_nListFlag == 1) != 0 ? 1 : 0;
  } else if ((nFlags & MK_LBUTTON) && inHeading) {
    flist::DragDivider(m_nDividerDrag, pt.x, &l);
    for (int i = 0; i < 3; ++i) m_aColumnX[i] = l.x[i];
    m_nSubdirColumnX = l.subdirX;
    app::DocWindowFields& win = doc->WindowFields();
    win.m_nFlistD = flist::FlistDAfterDrag(win.m_nFlistD, m_nSide, rc.Width(), l.x[2], win.m_nLayoutMode);
    DrawPathBar(m_bActivePane);
    DrawEntryLines(m_bActivePane);
    return;
  }
  // A drag of the marked entries out of the pane (not while a divider moves).
  if (m_nDividerDrag == 0 &&
      flist::DragOutStarts(doc->SettingsFields().m_nFdrag, nFlags, pt.x, pt.y, rc.right, rc.bottom))
    DragMarkedOut();
}

void CFlistView::OnLButtonUp(UINT, CPoint) {
  m_nDividerDrag = 0;
  app::DocHost* doc = GetDocument();
  if (!doc || !m_hWnd) return;
  CRect rc;
  GetClientRect(&rc);
  app::DocWindowFields& win = doc->WindowFields();
  const int v = flist::ListExtentToStore(win.m_nLayoutMode, rc.Height(), rc.Width(), doc->ListFields().m_nLayoutFlag,
                                         doc->UpdateFields().m_nScheduleState);
  if (v >= 0) win.m_nPosi[6] = v;
}
