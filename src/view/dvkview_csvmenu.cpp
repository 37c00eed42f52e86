// The CSV menu's column, row and cell commands, which hand their code to the
// column command executor (csv/csv_menu.h decides where each goes), and the
// Edit menu's full-width digits to half width (csv/csv_zendigits.h): in a CSV
// table on the working buffer, in any other text in the control.
#include <algorithm>
#include <string>
#include <vector>

#include "core/docsvc/filekind.h"
#include "csv/csv_menu.h"
#include "csv/csv_zendigits.h"
#include "fw/cmdui.h"
#include "host/doc_host.h"
#include "res/resource.h"
#include "view/dvkview.h"

namespace {

constexpr std::uint32_t kRuledTableMode = 3;
constexpr UINT kUtf16CodePage = 1200;

}  // namespace

void CDvkView::RunCsvMenuCommand(unsigned id) {
  const csv::CsvMenuTarget target = csv::CsvMenuTargetOf(id, static_cast<int>(m_nFileKind));
  // A ruled rich-text table is the ruled-table engine's (its letter with the
  // caret's row); until that engine is built these commands do nothing there.
  if (target.tableLetter != 0) return;
  if (target.code >= 0) DoCsvColumnCommand(target.code);
}

void CDvkView::OnCsvDeleteColumn() { RunCsvMenuCommand(ID_CSV_DELETE_COLUMN); }
void CDvkView::OnCsvInsertColumn() { RunCsvMenuCommand(ID_CSV_INSERT_COLUMN); }
void CDvkView::OnCsvDeleteRow() { RunCsvMenuCommand(ID_CSV_DELETE_ROW); }
void CDvkView::OnCsvInsertRow() { RunCsvMenuCommand(ID_CSV_INSERT_ROW); }
void CDvkView::OnCsvCutTrailing() { RunCsvMenuCommand(ID_CSV_CUT_TRAILING); }
void CDvkView::OnCsvCutLeading() { RunCsvMenuCommand(ID_CSV_CUT_LEADING); }
void CDvkView::OnCsvCutQuotes() { RunCsvMenuCommand(ID_CSV_CUT_QUOTES); }
void CDvkView::OnCsvAddQuotes() { RunCsvMenuCommand(ID_CSV_ADD_QUOTES); }

void CDvkView::OnUpdateCsvMenuTable(CCmdUI* ui) { ui->Enable(ShowsCsvTable() ? TRUE : FALSE); }

void CDvkView::OnUpdateCsvMenuQuotes(CCmdUI* ui) {
  // The ruled-table display shows no quotes to cut or add (as the
  // right-click menu's quote items).
  ui->Enable(ShowsCsvTable() && m_nEditMode != kRuledTableMode ? TRUE : FALSE);
}

// --- full-width digits to half width ---------------------------------------------

void CDvkView::OnEditDigitsToHalfWidth() {
  if (!GetDocument() || !m_hWnd) return;
  if (m_nPendingLoad) FinishLoad();
  if (ShowsCsvTable())
    DigitsToHalfWidthInTable();
  else
    DigitsToHalfWidthInText();
}

void CDvkView::DigitsToHalfWidthInTable() {
  app::DocHost* doc = GetDocument();
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  const bool modified = ctrl.GetModify() != FALSE;
  const std::uint32_t sortFlags = m_nSortFlags;
  m_nSortFlags = 0;
  ctrl.SetModify(FALSE);
  // Edits in the control go into the table first; the document keeps the
  // edit mark the control gives up.
  if (modified) {
    if (RebuildCsvBuffer(docsvc::kKindCsv, 2) != 0) {
      m_nSortFlags = sortFlags;
      ctrl.SetModify(TRUE);
      return;
    }
    doc->AsDocument()->SetModifiedFlag(TRUE);
  }
  std::uint32_t len = m_table.UsedLength();
  const std::uint32_t turned = csv::FullWidthDigitsToAscii(m_table.m_pTextBuf, &len, m_table.m_pTextBuf != nullptr);
  m_table.m_nTextLen = len;
  // The text closed up: every block offset and data end after the first
  // digit moved, so the index is rebuilt before anything reads it.
  m_table.Rescan();
  RedisplayChangedTable();
  m_nSortFlags = sortFlags | (1u << (static_cast<std::uint32_t>(doc->PathFields().m_nActiveTextPane) & 31u));
  if (turned > 0) {
    ctrl.SetModify(TRUE);
    doc->AsDocument()->SetModifiedFlag(TRUE);
  }
}

void CDvkView::DigitsToHalfWidthInText() {
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  UpdateLockGuard lock(*this);
  HCURSOR old = ::SetCursor(::LoadCursor(nullptr, IDC_WAIT));
  long start = 0, end = 0;
  ctrl.GetSel(start, end);
  if (start == end) {
    ctrl.SetSel(0, -1);
    ctrl.GetSel(start, end);
  }
  // The range's text, read once in UTF-16: its positions are the control's
  // character positions.
  std::u16string text;
  if (end > start) {
    const std::size_t units = static_cast<std::size_t>(end - start);
    std::vector<WCHAR> buf(units + 1, 0);
    GETTEXTEX gt = {};
    gt.cb = static_cast<DWORD>(buf.size() * sizeof(WCHAR));
    gt.flags = GT_SELECTION;
    gt.codepage = kUtf16CodePage;
    const LRESULT got = SendMessage(EM_GETTEXTEX, reinterpret_cast<WPARAM>(&gt), reinterpret_cast<LPARAM>(buf.data()));
    const std::size_t n = got > 0 ? std::min(static_cast<std::size_t>(got), units) : 0;
    text.assign(reinterpret_cast<const char16_t*>(buf.data()), n);
  }
  // Only the digits are replaced, from the end backwards, so the places
  // before stay valid and every other character keeps its format; each
  // replacement can be undone (元に戻す takes them back one by one).
  const std::vector<std::size_t> places = csv::FullWidthDigitPlaces(text);
  for (auto it = places.rbegin(); it != places.rend(); ++it) {
    const long at = start + static_cast<long>(*it);
    const char digit[2] = {csv::AsciiDigitOfUnit(text[*it]), 0};
    ctrl.SetSel(at, at + 1);
    ctrl.ReplaceSel(digit, TRUE);
  }
  ctrl.SetSel(start, start);
  ::SetCursor(old);
}
