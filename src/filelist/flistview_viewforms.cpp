// The list's forms of the view menu's zoom and display style, and binary or
// source view, which shows the cursor entry again in the next form.
#include <string>

#include "core/docsvc/filekind.h"
#include "filelist/flistcore/viewforms.h"
#include "filelist/flistview.h"
#include "fw/cmdui.h"
#include "host/frame_host.h"
#include "res/resource.h"

namespace {

// Width of each of the three column-width texts of their string.
constexpr int kWidthTextBytes = 20;

}  // namespace

void CFlistView::OnListZoomIn() {
  app::DocHost* doc = GetDocument();
  if (!doc) return;
  const app::DocUpdateFields& up = doc->UpdateFields();
  if (flist::ZoomReachesDocument(1, up.m_nFileKind, up.m_nOpenContext, doc->ImageZoomLevel()))
    doc->OnViewZoomIn();
}

void CFlistView::OnListZoomOut() {
  app::DocHost* doc = GetDocument();
  if (!doc) return;
  const app::DocUpdateFields& up = doc->UpdateFields();
  if (flist::ZoomReachesDocument(-1, up.m_nFileKind, up.m_nOpenContext, doc->ImageZoomLevel()))
    doc->OnViewZoomOut();
}

void CFlistView::OnListViewStyle() {
  app::DocHost* doc = GetDocument();
  if (!doc) return;
  app::DocWindowFields& win = doc->WindowFields();
  app::DocKeyImageFields& keys = doc->KeyImageFields();
  flist::StyleWords w;
  w.tableStyle = win.m_nTableStyle;
  w.tableStyleFlag = win.m_nTableStyleFlag;
  w.columnWidthMode = win.m_nColumnWidthMode;
  w.shiftHeld = keys.m_bShiftHeld;
  const flist::StylePlan plan = flist::PlanDisplayStyle(doc->UpdateFields().m_nFileKind, w, m_bCtrlDown != 0);
  win.m_nTableStyle = plan.words.tableStyle;
  win.m_nTableStyleFlag = plan.words.tableStyleFlag;
  win.m_nColumnWidthMode = plan.words.columnWidthMode;
  keys.m_bShiftHeld = plan.words.shiftHeld;
  doc->OnViewStyle();
  if (plan.statusText >= 0) {
    CString all;
    all.LoadString(IDS_COLUMN_WIDTH_MODES);
    CString text = all.Mid(plan.statusText * kWidthTextBytes, kWidthTextBytes);
    text.TrimRight();
    if (g_pStatusBar && g_pStatusBar->m_hWnd) g_pStatusBar->SetPaneText(0, text);
  }
}

void CFlistView::OnUpdateListViewStyle(CCmdUI* ui) {
  if (app::DocHost* doc = GetDocument()) doc->OnUpdateViewStyle(ui);
}

void CFlistView::OnBinaryView() {
  app::DocHost* doc = GetDocument();
  if (!doc) return;
  app::DocUpdateFields& up = doc->UpdateFields();
  app::DocWindowFields& win = doc->WindowFields();
  const int cur = m_state.m_nCurEntry;
  // Not on "..", the blank closing entry or in the drive list.
  const bool reload = cur > 0 && cur < m_table.m_nEntryCount && m_nListSource == 0 &&
                      !flist::GetNameRecord(m_table.m_pNameRecs, cur).empty();
  // The reload replaces the document: an edited text asks first, and Cancel
  // leaves the form and the text as they are.
  if (reload && !ConfirmReplaceDocument()) return;
  up.m_nOpenContext = static_cast<std::int32_t>(
      flist::NextOpenContext(static_cast<std::uint32_t>(up.m_nOpenContext), up.m_nFileKind));
  const std::uint32_t high = win.m_bSizeHigh, lower = win.m_bSizeLower;
  const bool binary = up.m_nOpenContext == 1;
  if (binary) win.m_bSizeHigh = win.m_bSizeLower = 0;
  if (reload) {
    CString folder = m_strCurDir;
    const std::string sub = flist::GetNameRecord(m_table.m_pTextRecs2, cur);
    if (m_nListFlag == 1 && !sub.empty()) folder += CString("\\") + sub.c_str();
    const std::string name = flist::GetNameRecord(m_table.m_pNameRecs, cur);
    doc->OpenFile(folder + "\\" + name.c_str(), docopen::OpenMode::kPlain);
    if (app::g_pFrameHost) app::g_pFrameHost->UpdateMenuTexts(up.m_nFileKind, up.m_nOpenContext, 1);
  }
  if (binary) {
    win.m_bSizeHigh = high;
    win.m_bSizeLower = lower;
  }
}

void CFlistView::OnUpdateBinaryView(CCmdUI* ui) {
  app::DocHost* doc = GetDocument();
  if (!doc) return;
  // Checked while the binary or the source form is shown.
  ui->SetCheck(doc->UpdateFields().m_nOpenContext > 0 ? 1 : 0);
}
