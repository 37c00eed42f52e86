// The sort buttons (33033 ascending, 33041 descending) and the page commands
// (33032 next, 33034 previous). The row sort, the numbers-or-text choice and
// the page arithmetic are portable (csv/csv_linesort.h, csv/csv_pagestep.h);
// the command's choices are view/viewload/sortpage.h and the parts of a long
// text view/viewload/textparts.h. These members read the control, call them
// and redisplay.
#include <cstring>
#include <string>

#include "core/docopen/opentexts.h"
#include "core/docsvc/filekind.h"
#include "csv/csv_linesort.h"
#include "csv/csv_pagestep.h"
#include "fw/cmdui.h"
#include "host/doc_host.h"
#include "view/dvkview.h"
#include "view/viewcore/statustext.h"
#include "view/viewload/csvshow.h"
#include "view/viewload/sortpage.h"
#include "view/viewload/textparts.h"

namespace {

constexpr std::uint32_t kRuledTableMode = 3;
constexpr int kPaneNextPage = 35;
constexpr int kPanePreviousPage = 36;

bool ShowsTable(const CDvkView& v) { return docsvc::IsCsvKind(static_cast<int>(v.m_nFileKind)) && v.m_nSourceView == 0; }

}  // namespace

std::int64_t CDvkView::SortLines(int numeric, int skipBracket, int key, int block, int firstRow) {
  if (!m_table.m_pTextBuf) return 0;
  csv::LineSortRequest r;
  r.numeric = numeric == 1;
  r.skipBracket = skipBracket == 1;
  r.key = key;
  r.block = block;
  r.firstRow = firstRow;
  HCURSOR old = ::SetCursor(::LoadCursor(nullptr, IDC_WAIT));
  const std::int64_t n = csv::SortLines(m_table, r, this);
  ::SetCursor(old);
  return n;
}

void CDvkView::RedisplayChangedTable() {
  OnPageLeft();
  if (m_nSplitKind != 0) SyncPanes(1);
}

int CDvkView::PageLineCount() {
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  RECT r = {};
  SendMessage(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
  const int first = ctrl.GetFirstVisibleLine();
  POINTL bottom = {r.left + 1, r.bottom - 1};
  const long at = static_cast<long>(SendMessage(EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&bottom)));
  const int last = at >= 0 ? ctrl.LineFromChar(at) : first;
  m_nPageLineCount = last >= first ? last - first + 1 : 1;
  return m_nPageLineCount;
}

int CDvkView::SortOrPage(int how) {
  app::DocHost* doc = GetDocument();
  if (!doc || !m_hWnd || !m_table.m_pTextBuf || how < 1 || how > 4) return 0;
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  // Edits in the control go into the table first; the document keeps the
  // edit mark the control gives up.
  const std::uint32_t sortFlags = m_nSortFlags;
  if (ctrl.GetModify()) {
    if (RebuildCsvBuffer(docsvc::kKindCsv, 2) != 0) return -1;
    ctrl.SetModify(FALSE);
    doc->AsDocument()->SetModifiedFlag(TRUE);
    m_nSortFlags = 0;
    doc->UpdateFields().m_nUpdateCode = app::UpdateCode::kContent;
  }
  // The caret's cell and line (the selection hidden meanwhile), and its block.
  ctrl.HideSelection(TRUE, FALSE);
  SelectCell(nullptr, 0, 0, 0);
  ctrl.HideSelection(FALSE, FALSE);
  long selStart = 0, selEnd = 0;
  ctrl.GetSel(selStart, selEnd);
  const int caretLine = ctrl.LineFromChar(selStart);
  UpdatePositionDisplay(0);

  int result = 0;
  if (how == 3 || how == 4) {
    const bool descending = how == 4;
    const int column = viewload::SortKeyColumn(m_nCurColumn, m_nColumnPageWord, m_nEditMode);
    const bool numeric = csv::SortKeysNumeric(m_table, column, static_cast<int>(doc->KeyImageFields().m_bShiftHeld),
                                              m_bInternalKey == 1);
    // m_nLastSort holds the request only while it runs: a second request
    // arriving meanwhile is refused, every later press sorts again.
    const int code = viewload::SortKeyCode(column, descending);
    if (m_nLastSort != 0 && m_nLastSort == code) {
      m_nSortFlags = sortFlags;
      return 0;
    }
    m_nLastSort = code;
    const std::int64_t n = SortLines(numeric ? 1 : 0, 0, viewload::SortKeyArgument(column, descending),
                                     static_cast<int>(m_nCaretBlock) - 1, 0);
    m_nLastSort = 0;
    if (n < 0) {
      m_nSortFlags = sortFlags;
      ReportMessage(1, CString());
      return -1;
    }
    const std::uint32_t columnWord = m_nColumnPageWord;
    const std::uint32_t caretColumn = m_nCurColumn;
    RedisplayChangedTable();
    m_nColumnPageWord = columnWord;
    m_nCurColumn = caretColumn;
    if (n > 0) {
      ctrl.SetModify(TRUE);
      result = 1;
    }
  } else {
    // Pages of a table of more than "bmpfile" rows; the same last-page test
    // in the normal and the ruled-table display.
    csv::PageStep s;
    s.pageTop = m_nPageTopRow;
    s.lastRow = m_table.m_nLastRow;
    s.pageSize = viewload::PageSizeFor(m_nEditMode, doc->SettingsFields().m_nBmpfile, &m_nRuledPageSize);
    s.byLines = m_bInternalKey == 1;
    s.pageLines = PageLineCount();
    s.caretDistance = caretLine - ctrl.GetFirstVisibleLine();
    if (m_nEditMode == kRuledTableMode) m_bLastPage = csv::OnLastPage(s) ? 1 : 0;
    std::uint32_t top = how == 1 ? csv::NextPageTop(s) : csv::PreviousPageTop(s);
    // A table shown whole has one page.
    if (CsvDisplayOptions().maxRows == 0 && m_nEditMode != kRuledTableMode) top = 0;
    m_nPageTopRow = top;
    const std::uint32_t caretColumn = m_nCurColumn;
    // The ruled display puts the caret back on its row of the page.
    const int caretPosition = ShowsRuledDisplay() ? RuledCaretPosition()
                                                                                               : caretLine;
    RedisplayChangedTable();
    SelectCell(nullptr, caretPosition, static_cast<int>(caretColumn), 3);
    if (m_nEditMode == kRuledTableMode) {
      ctrl.GetSel(selStart, selEnd);
      ctrl.SetSel(selStart + 2, selStart + 2);
    }
    result = 1;
  }
  m_nSortFlags = sortFlags;
  return result;
}

int CDvkView::LoadPageOfFile(int how) {
  app::DocHost* doc = GetDocument();
  if (!doc || !m_hWnd || !doc->TextFields().m_pText || (how != 2 && how != 3)) return -1;
  const char* text = doc->TextFields().m_pText;
  std::size_t len = doc->TextFields().m_nTextLen;
  const std::uint32_t capacity = doc->TextFields().m_nTextCapacity;
  if (capacity && len >= capacity) len = capacity - 1;
  if (len == 0) return -1;
  // The shown part: while its chunks still go in, the whole part counts.
  const std::size_t shown = m_bChunksPending ? m_nChunkLen : m_nShownLength;
  const long long limit = doc->SettingsFields().m_nOutdata;
  const viewload::TextPart part = how == 2 ? viewload::NextTextPart(text, len, m_nShownStart, shown, limit)
                                           : viewload::PreviousTextPart(text, len, m_nShownStart, limit);
  ClearShow();
  m_bShowFromDocument = true;
  m_nShowFormat = SF_TEXT;
  m_nShowLen = part.length;
  m_nShownStart = static_cast<std::uint32_t>(part.start);
  m_nShownLength = static_cast<std::uint32_t>(part.length);
  m_bShownInPart = 1;
  if (!part.toEnd) {
    m_strShowTail = "\r\n\r\n";
    m_strShowTail += static_cast<const char*>(docopen::GetOpenText(docopen::OpenText::kDisplayOver));
  }
  // The part starts with the caret at its top and nothing to undo.
  m_bFreshText = true;
  ShowPreparedNow();
  if (m_nSplitKind != 0) SyncPanes(1);
  return 0;
}

void CDvkView::RunSortCommand(bool descending) {
  app::DocHost* doc = GetDocument();
  if (!doc || !ShowsTable(*this)) return;
  // A table still waiting for its timer goes in first: the caret's cell is
  // read from the control.
  if (m_nPendingLoad) FinishLoad();
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  // Selection, scroll position, sort bits and both kinds are kept; the kinds
  // are a table's (33) while the sort runs.
  long selStart = 0, selEnd = 0;
  ctrl.GetSel(selStart, selEnd);
  m_nSavedScrollPos = static_cast<std::uint32_t>(::GetScrollPos(m_hWnd, SB_VERT));
  const int firstLine = ctrl.GetFirstVisibleLine();
  const std::uint32_t sortFlags = m_nSortFlags;
  m_nSortFlags = 0;
  const std::uint32_t viewKind = m_nFileKind;
  const std::int32_t docKind = doc->UpdateFields().m_nFileKind;
  m_nFileKind = docsvc::kKindCsv;
  doc->UpdateFields().m_nFileKind = docsvc::kKindCsv;
  if (m_nEditMode == kRuledTableMode) UpdatePositionDisplay(0);

  SortOrPage(descending ? 4 : 3);

  m_nSortFlags = sortFlags;
  m_nFileKind = viewKind;
  doc->UpdateFields().m_nFileKind = docKind;
  if (m_nEditMode != kRuledTableMode) {
    SendMessage(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, m_nSavedScrollPos & 0xFFFF), 0);
    // A control whose thumb position did not bring the line back (a
    // position past 16 bits, or one the control reads otherwise) scrolls
    // by lines.
    if (ctrl.GetFirstVisibleLine() != firstLine) ctrl.LineScroll(firstLine - ctrl.GetFirstVisibleLine());
    ctrl.SetSel(selStart, selStart);
  }
  if (m_nSplitKind != 0) SyncPanes(1);
}

void CDvkView::OnCsvSortAscending() { RunSortCommand(false); }

void CDvkView::OnCsvSortDescending() { RunSortCommand(true); }

void CDvkView::OnUpdateCsvSortAscending(CCmdUI* ui) {
  ui->Enable(ShowsTable(*this) ? TRUE : FALSE);
  ui->SetCheck(m_nLastSort >= 1 ? 1 : 0);
}

void CDvkView::OnUpdateCsvSortDescending(CCmdUI* ui) {
  ui->Enable(ShowsTable(*this) ? TRUE : FALSE);
  ui->SetCheck(m_nLastSort < 0 ? 1 : 0);
}

void CDvkView::RunPageCommand(bool next) {
  app::DocHost* doc = GetDocument();
  if (!doc || !m_hWnd) return;
  if (m_nPendingLoad) FinishLoad();
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  const bool inPart = (m_bChunksPending ? m_bChunkShownInPart : m_bShownInPart) != 0;
  switch (viewload::PageCaseOf(static_cast<int>(m_nFileKind), static_cast<int>(m_nSourceView), inPart)) {
    case viewload::PageCase::kCsvTable:
      SortOrPage(next ? 1 : 2);
      ctrl.SetSel(0, 0);
      break;
    case viewload::PageCase::kTextPart:
      // A changed part is saved first, or stays (Cancel), or is left as it
      // was in the document (No).
      if (AskSaveModifiedPage() != 0) return;
      LoadPageOfFile(next ? 2 : 3);
      break;
    case viewload::PageCase::kOther:
      if (m_nSplitKind == 0)
        SendMessage(WM_KEYDOWN, next ? VK_NEXT : VK_PRIOR, 0);
      else
        SendMessage(WM_VSCROLL, next ? SB_PAGEDOWN : SB_PAGEUP, 0);
      break;
  }
  ForOtherPanes(next ? kPaneNextPage : kPanePreviousPage);
  UpdatePositionDisplay(0);
  SetStatus(viewcore::StatusPane::kPane0, CString());
  if (docsvc::IsCsvKind(static_cast<int>(m_nFileKind)) && m_nEditMode == kRuledTableMode) ShowRangeStatus();
}

void CDvkView::OnPageNext() { RunPageCommand(true); }

void CDvkView::OnPagePrevious() { RunPageCommand(false); }

void CDvkView::OnUpdatePageStep(CCmdUI* ui) {
  // Something to page: the control's text, or a text shown in parts (whose
  // shown part may have been emptied).
  const bool inPart = (m_bChunksPending ? m_bChunkShownInPart : m_bShownInPart) != 0;
  ui->Enable(inPart || (m_hWnd && GetRichEditCtrl().GetTextLength() > 0) ? TRUE : FALSE);
}
