// Text-view services: the view's own split (a dynamic 2x2 splitter per text
// pane), copying one pane's text into the other panes of its splitter, and
// codes handed to them. The hand-over rules are view/viewui/panes.h.
//
// m_nSplitKind is 0 while the splitter shows one pane, else the number of
// its panes (2 or 4); views made by a split share the pane number.
#include <cstring>
#include <string>

#include "host/doc_host.h"
#include "core/docsvc/filekind.h"
#include "host/frame_host.h"
#include "fw/alloc.h"
#include "fw/splitter.h"
#include "view/dvkview.h"
#include "view/viewload/rtfspacing.h"
#include "view/viewui/panes.h"

namespace {

constexpr int kTextFormat = SF_TEXT | SF_USECODEPAGE | (932 << 16);

CSplitterWnd* DynamicSplitterOf(const CWnd* view) {
  CSplitterWnd* dyn = dynamic_cast<CSplitterWnd*>(view->GetParent());
  return dyn && dyn->IsDynamic() ? dyn : nullptr;
}

}  // namespace

std::vector<CDvkView*> CDvkView::OtherPanes() const {
  std::vector<CDvkView*> out;
  CSplitterWnd* dyn = DynamicSplitterOf(this);
  if (!dyn) return out;
  for (int r = 0; r < dyn->GetRowCount(); ++r) {
    for (int c = 0; c < dyn->GetColumnCount(); ++c) {
      CDvkView* v = dynamic_cast<CDvkView*>(dyn->GetPane(r, c));
      if (v && v != this) out.push_back(v);
    }
  }
  return out;
}

void CDvkView::UpdateSplitKind() {
  CSplitterWnd* dyn = DynamicSplitterOf(this);
  std::uint32_t panes = dyn ? static_cast<std::uint32_t>(dyn->GetRowCount() * dyn->GetColumnCount()) : 1;
  std::uint32_t kind = panes > 1 ? panes : 0;
  m_nSplitKind = kind;
  for (CDvkView* v : OtherPanes()) v->m_nSplitKind = kind;
}

void CDvkView::OnSplitWindow() {
  CSplitterWnd* dyn = DynamicSplitterOf(this);
  if (!dyn) return;
  int row = 0, col = 0;
  dyn->IsChildPane(this, &row, &col);
  if (dyn->GetRowCount() > 1 || dyn->GetColumnCount() > 1) {
    // Join: remove the rows and columns this view is not in, so it stays.
    if (dyn->GetColumnCount() > 1) dyn->DeleteColumn(col == 0 ? 1 : 0);
    if (dyn->GetRowCount() > 1) dyn->DeleteRow(row == 0 ? 1 : 0);
    UpdateSplitKind();
    dyn->RecalcLayout();
    return;
  }
  CRect rc;
  dyn->GetClientRect(&rc);
  if (dyn->GetMaxRowCount() > 1) dyn->SplitRow(rc.Height() / 2);
  if (dyn->GetMaxColumnCount() > 1) dyn->SplitColumn(rc.Width() / 2);
  UpdateSplitKind();
  // The new panes show this pane's text, not a fresh load of the document.
  SyncPanes(0);
}

void CDvkView::SyncPanes(int how) {
  (void)how;
  ShowSameTextIn(OtherPanes());
}

void CDvkView::ShowSameTextIn(const std::vector<CDvkView*>& others) {
  if (others.empty() || !m_hWnd) return;
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  // Rich text and the ruled display of a table go over as RTF.
  const bool ruled = ShowsRuledDisplay();
  const bool rich = m_nFileKind == docsvc::kKindRichText || ruled;
  const std::string text = StreamOut(rich ? SF_RTF : kTextFormat);
  const int firstLine = ctrl.GetFirstVisibleLine();
  long s = 0, e = 0;
  ctrl.GetSel(s, e);
  for (CDvkView* v : others) {
    if (v == this || !v->m_hWnd) continue;
    // A load still waiting in the other pane would replace what is copied.
    v->KillTimer(view::kTimerLoad);
    v->m_nPendingLoad = 0;
    v->m_nFileKind = m_nFileKind;
    v->m_nSourceView = m_nSourceView;
    v->m_nEditMode = m_nEditMode;
    v->m_strViewPath = m_strViewPath;
    v->m_strShownFile = m_strShownFile;
    v->m_nTxtsizCopy = m_nTxtsizCopy;
    v->m_nTblsizCopy = m_nTblsizCopy;
    v->m_nPageTopRow = m_nPageTopRow;
    v->m_bShownInPart = m_bShownInPart;
    v->m_nShownStart = m_nShownStart;
    v->m_nShownLength = m_nShownLength;
    // The table itself, so the other pane's commands work on the same rows.
    v->m_table.m_nCurLine = m_table.m_nCurLine;
    if (m_table.m_pTextBuf && m_table.m_nWorkSize) v->m_table.CopyFrom(m_table);
    CRichEditCtrl& other = v->GetRichEditCtrl();
    // The ruled display's paragraph map and layout go with it.
    v->ClearRuledLayout();
    if (ruled && m_pParaRowMap && m_nParaRowMapSize) {
      void* p = fw::Realloc(v->m_pParaRowMap, static_cast<std::size_t>(m_nParaRowMapSize) * sizeof(std::uint32_t));
      if (p) {
        v->m_pParaRowMap = static_cast<std::uint32_t*>(p);
        v->m_nParaRowMapSize = m_nParaRowMapSize;
        std::memcpy(v->m_pParaRowMap, m_pParaRowMap, static_cast<std::size_t>(m_nParaRowMapSize) * sizeof(std::uint32_t));
        v->m_ruledLayout = m_ruledLayout;
        v->m_aRuledShown = m_aRuledShown;
      }
    }
    viewload::RtfSpacingScan scan;
    v->StreamInBytes(text.data(), text.size(), std::string(), rich ? SF_RTF : kTextFormat, rich ? &scan : nullptr,
                     false);
    if (rich) v->ApplyRtfSpacing(scan, 0);
    other.SetModify(ctrl.GetModify());
    other.SetSel(s, e);
    other.LineScroll(firstLine - other.GetFirstVisibleLine());
    v->Invalidate();
  }
}

void CDvkView::ForOtherPanes(int code) {
  if (m_nSplitKind == 0) return;
  app::DocHost* doc = GetDocument();
  if (doc) {
    doc->KeyImageFields().m_nPaneAction = code;
    if (code != 50) doc->KeyImageFields().m_nPaneSyncLine = GetRichEditCtrl().GetFirstVisibleLine();
  }
  for (CDvkView* v : OtherPanes()) v->OnPaneAction(code);
}

void CDvkView::OnPaneAction(int code) {
  app::DocHost* doc = GetDocument();
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  switch (viewui::PaneActionOf(code)) {
    case viewui::PaneAction::kNextPage:
    case viewui::PaneAction::kPreviousPage:
      // The page commands have shown the new page or part here already (a
      // table page or text part through SyncPanes): the other panes follow
      // the line the paged pane shows first.
      if (doc) ctrl.LineScroll(doc->KeyImageFields().m_nPaneSyncLine - ctrl.GetFirstVisibleLine());
      break;
    case viewui::PaneAction::kClearCheckList:
      // A pane showing a table clears its list as the command does (code
      // 18); any other only forgets it.
      if (ShowsCsvTable()) {
        DoCsvColumnCommand(csv::kColClearChecks);
      } else {
        m_nEntryListPos = 0;
        m_nEntryListMode = 0;
      }
      break;
    case viewui::PaneAction::kFollowCaret: {
      if (!doc) break;
      long at = ctrl.LineIndex(doc->KeyImageFields().m_nPaneSyncLine);
      if (at >= 0) ctrl.SetSel(at, at);
      break;
    }
    case viewui::PaneAction::kScrollTo:
      if (doc) ctrl.LineScroll(doc->KeyImageFields().m_nPaneSyncLine - ctrl.GetFirstVisibleLine());
      break;
  }
}
