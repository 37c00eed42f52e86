#include "view/dvkview.h"

#include <cstring>

#include "host/doc_host.h"
#include "host/pane_layout.h"
#include "csv/csv_index.h"
#include "fw/alloc.h"
#include "fw/cmdui.h"
#include "fw/msgbox.h"
#include "fw/splitter.h"
#include "macro/macro_state.h"
#include "macroui/macro_dialogs.h"
#include "res/resource.h"
#include "view/macro_view_host.h"
#include "view/viewcore/report.h"

FW_BEGIN_MESSAGE_MAP(CDvkView, CRichEditView)
  fw::OnWmCreate<&CDvkView::OnCreate>(),
  fw::OnWmTimer<&CDvkView::OnTimer>(),
  fw::OnMessageVoid<&CDvkView::OnPaint>(WM_PAINT),
  // text-view services
  fw::OnWmMouse<&CDvkView::OnRButtonDown>(WM_RBUTTONDOWN),
  fw::OnWmMouse<&CDvkView::OnRButtonUp>(WM_RBUTTONUP),
  fw::OnWmMouse<&CDvkView::OnLButtonDblClk>(WM_LBUTTONDBLCLK),
  fw::OnWmKey<&CDvkView::OnKeyDown>(WM_KEYDOWN),
  fw::OnWmKey<&CDvkView::OnKeyUp>(WM_KEYUP),
  fw::OnWmFocus<&CDvkView::OnKillFocus>(WM_KILLFOCUS),
  fw::OnControlReflect<&CDvkView::OnTextChanged>(EN_CHANGE),
FW_END_MESSAGE_MAP()

CDvkView::CDvkView() {
  // The check list: 1000 slots from the start (entries from 1).
  m_pEntryList = static_cast<std::uint32_t*>(fw::AllocArray(view::kEntryListSlots, sizeof(std::uint32_t)));
  if (m_pEntryList) {
    std::memset(m_pEntryList, 0, view::kEntryListSlots * sizeof(std::uint32_t));
    m_nEntryListCount = view::kEntryListSlots;
  }
}

CDvkView::~CDvkView() {
  fw::Free(m_pEntryList);
  fw::Free(m_pParaRowMap);
  fw::Free(m_pColumnEdges);
  fw::Free(m_image.m_pLoadedBits);
  fw::Free(m_image.m_pRegionUndo);
  if (m_image.m_hImageBitmap) DeleteObject(static_cast<HGDIOBJ>(m_image.m_hImageBitmap));
}

app::DocHost* CDvkView::GetDocument() const { return dynamic_cast<app::DocHost*>(m_pDocument); }

int CDvkView::OnCreate(LPCREATESTRUCTA cs) {
  int r = CRichEditView::OnCreate(cs);
  if (r == -1) return -1;
  m_nPaneIndex = FindPaneIndex();
  // Whole files are shown: no 32 K limit of the control.
  GetRichEditCtrl().LimitText(0x7FFFFFFE);
  // Edits are reported (the line count in the status bar follows them).
  GetRichEditCtrl().SetEventMask(GetRichEditCtrl().GetEventMask() | ENM_CHANGE);
  return r;
}

std::uint32_t CDvkView::FindPaneIndex() const {
  CSplitterWnd* dyn = dynamic_cast<CSplitterWnd*>(GetParent());
  if (!dyn || !dyn->IsDynamic()) return 0;
  CSplitterWnd* quad = dynamic_cast<CSplitterWnd*>(dyn->GetParent());
  if (!quad || quad->IsDynamic()) return 0;
  int id = dyn->GetDlgCtrlID() - static_cast<int>(AFX_IDW_PANE_FIRST);
  if (id < 0) return 0;
  return static_cast<std::uint32_t>(app::PaneIndexOf(id / 16, id % 16));
}

void CDvkView::OnInitialUpdate() {
  CRichEditView::OnInitialUpdate();
  if (m_nPaneIndex == 0) m_nPaneIndex = FindPaneIndex();
  // Typed text too is in the display font. A load to come (New and Open
  // update the frame again) sets it on the emptied control; setting it here
  // would lay out the old text once more, which takes seconds for a long one.
  if (!m_nPendingLoad) ApplyDisplayFont();
}

void CDvkView::OnActivateView(BOOL activate, CView* activateView, CView* deactiveView) {
  if (activate && activateView == this) {
    if (app::DocHost* doc = GetDocument()) {
      if (m_nPaneIndex >= 1 && m_nPaneIndex <= 4) doc->PathFields().m_nActiveTextPane = static_cast<int>(m_nPaneIndex);
      doc->PathFields().m_strActiveViewFile = m_strViewPath;
      // Other panes were told to clear their check lists.
      if (doc->UpdateFields().m_nUpdateCode == app::UpdateCode::kClearCheckList) {
        m_nEntryListPos = 0;
        m_nEntryListMode = 0;
      }
      // A jump waiting for this pane runs shortly (timer 42).
      if (!doc->PathFields().m_strJumpText.IsEmpty()) SetTimer(view::kTimerJump, 900);
    }
    UpdateSplitKind();
  }
  CRichEditView::OnActivateView(activate, activateView, deactiveView);
}

macro::MacroState& CDvkView::Macro() {
  if (!m_pMacroState) m_pMacroState = std::make_unique<macro::MacroState>();
  return *m_pMacroState;
}

macro::MacroHost& CDvkView::MacroHost() {
  if (!m_pMacroHost) m_pMacroHost = std::make_unique<view::MacroViewHost>(*this);
  return *m_pMacroHost;
}

macroui::MacroDialogs& CDvkView::MacroDialogs() {
  if (!m_pMacroDialogs)
    m_pMacroDialogs = std::make_unique<macroui::MacroDialogs>(static_cast<view::MacroViewHost&>(MacroHost()));
  return *m_pMacroDialogs;
}

int CDvkView::ReportMessage(int code, const CString& text) {
  app::DocHost* doc = GetDocument();
  macro::MacroState& ms = Macro();
  viewcore::ReportState state{ms.m_strMessageMode(), ms.m_strLastResult(),
                              doc && doc->SystemFields().m_bExternalRun != 0, m_table};
  viewcore::ReportAskFn ask = [](const CString& t, unsigned buttons) { return AfxMessageBox(t, buttons); };
  viewcore::ReportUpdateFn update = [this]() {
    app::DocHost* d = GetDocument();
    if (!d) return;
    std::int32_t saved = d->UpdateFields().m_nLoadState;
    d->UpdateFields().m_nLoadState = 99;
    OnUpdate(nullptr, 0, nullptr);
    d->UpdateFields().m_nLoadState = saved == 99 ? 99 : 1;
  };
  return viewcore::ReportMessage(state, code, text, ask, update);
}

int CDvkView::BuildCsvIndex(const BYTE* text, UINT length, UINT* outLength, UINT* outMaxColumns, int mode,
                            int padColumns) {
  std::uint32_t len = 0, maxCols = 0;
  int r = csv::BuildCsvIndex(m_table, text, length, &len, &maxCols, mode, padColumns);
  if (outLength) *outLength = len;
  if (outMaxColumns) *outMaxColumns = maxCols;
  return r;
}

int CDvkView::LineToOffset(const BYTE* text, int* offset, int mode, int startRow) {
  UINT len = 0;
  if (text && text == m_table.m_pTextBuf) {
    len = m_table.UsedLength();
  } else if (text) {
    len = static_cast<UINT>(std::strlen(reinterpret_cast<const char*>(text)));
  }
  return LineToOffset(text, len, offset, mode, startRow);
}

int CDvkView::LineToOffset(const BYTE* text, UINT length, int* offset, int mode, int startRow) {
  std::uint32_t off = offset && *offset > 0 ? static_cast<std::uint32_t>(*offset) : 0;
  int r = csv::LineToOffset(m_table, text, text ? length : 0, &off, mode, startRow);
  if (offset) *offset = off > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int>(off);
  return r;
}

void CDvkView::OnPageLeft() {
  app::DocHost* doc = GetDocument();
  if (!doc) return;
  // The redisplay after a table change: update code 1 with load state 99 so
  // the view rebuilds from its own buffer, sort bits kept aside meanwhile.
  doc->UpdateFields().m_nUpdateCode = app::UpdateCode::kContent;
  doc->TextFields().m_nViewTextLen = m_table.m_nTextLen;
  std::uint32_t sortFlags = m_nSortFlags;
  m_nSortFlags = 0;
  doc->UpdateFields().m_nLoadState = 99;
  OnUpdate(nullptr, 0, nullptr);
  doc->UpdateFields().m_nLoadState = 1;
  m_nSortFlags = sortFlags;
}

void CDvkView::OnCsvHideQuotes() {
  app::DocHost* doc = GetDocument();
  if (!doc) return;
  doc->SettingsFields().m_bHideQuotes = doc->SettingsFields().m_bHideQuotes == 1 ? 0 : 1;
  OnPageLeft();
}

void CDvkView::OnUpdateCsvHideQuotes(CCmdUI* ui) {
  app::DocHost* doc = GetDocument();
  ui->SetCheck(doc && doc->SettingsFields().m_bHideQuotes == 1 ? 1 : 0);
}
