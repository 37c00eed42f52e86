// The column commands that insert and delete rows and columns (codes
// 11-14), under the window-update lock, and the one-line command handlers of
// the CSV context menu and the title button.
#include <string>

#include "csv/csv_colcmd.h"
#include "host/doc_host.h"
#include "macro/macro_run.h"
#include "macro/macro_state.h"
#include "res/resource.h"
#include "view/dvkview.h"

namespace {

constexpr std::uint32_t kRuledTableMode = 3;

// The command and the operand of a macro line "label TAB command TAB
// operand CR LF".
void SplitStatementLine(const char* line, CString* command, CString* operand) {
  const std::string s(line);
  const std::size_t t1 = s.find('\t');
  const std::size_t t2 = t1 == std::string::npos ? std::string::npos : s.find('\t', t1 + 1);
  if (t2 == std::string::npos) return;
  std::size_t end = s.find_first_of("\r\n", t2 + 1);
  if (end == std::string::npos) end = s.size();
  *command = s.substr(t1 + 1, t2 - t1 - 1).c_str();
  *operand = s.substr(t2 + 1, end - t2 - 1).c_str();
}

}  // namespace

void CDvkView::RunRowsColumns(ColumnRun& run) {
  UpdateLockGuard lock(*this);
  const int c = run.cell.column;
  int r = run.cell.row;
  switch (run.code) {
    case csv::kColDeleteColumn:
      m_strStmtCommand = "";
      CsvRewriteColumns(1, m_table.m_nFieldCount, 0, 1, CString(csv::DeleteColumnList(c).c_str()));
      break;
    case csv::kColInsertColumn: {
      const csv::InsertColumnStatement st = csv::PlanInsertColumn(c, m_table.m_nFieldCount);
      m_strStmtCommand = st.command.c_str();
      m_strStmtOperand = st.operand.c_str();
      MacroCsvSelectCommands(m_strStmtCommand, m_strStmtOperand, 0);
      if (st.columnOne) {
        // The first column's text moves into the new column 1 through one
        // statement of the interpreter.
        macro::MacroState& ms = Macro();
        SplitStatementLine(csv::kColumnOneStatement, &ms.m_strStmtCommand, &ms.m_strStmtOperand);
        RunMacro(macro::kRunStatement, CString(), CString(), CString());
      }
      break;
    }
    case csv::kColDeleteRows: {
      if (m_nEditMode == kRuledTableMode) --r;
      if (r < 0) break;
      const int extra = run.selEndLine > run.caretLine ? run.selEndLine - run.caretLine : 0;
      const bool wasLast = r >= m_table.m_nLastRow;
      CsvDeleteListedRows(CString(csv::DeleteRowsList(r, extra).c_str()));
      csv::ShiftChecksAfterDelete(this, static_cast<std::uint32_t>(r), static_cast<std::uint32_t>(extra + 1));
      run.caretRowAfter = wasLast && r > 0 ? r - 1 : r;
      break;
    }
    case csv::kColInsertRow: {
      const csv::InsertRowPlan plan =
          csv::PlanInsertRow(r, run.caretOffset == 0, m_table.m_nLastRow, static_cast<int>(m_nEditMode));
      const std::int32_t lastBefore = m_table.m_nLastRow;
      const int last = CsvRowInsertOrList(plan.mode, plan.row, 1, CString());
      if (last < 0) {
        // Memory was short: the table and its counts stay as they were.
        m_table.m_nLastRow = lastBefore;
        run.caretRowAfter = r;
        break;
      }
      m_table.m_nLastRow = last;
      csv::ShiftChecksAfterInsert(this, plan.newRow);
      run.caretRowAfter = plan.caretDown ? static_cast<int>(plan.newRow) : r;
      break;
    }
    default:
      break;
  }
}

// --- command handlers -----------------------------------------------------------

void CDvkView::OnCsvFindColumn() { DoCsvColumnCommand(csv::ColumnCommandCode(ID_CSV_FIND_COLUMN)); }
void CDvkView::OnCsvNarrowSelect() { DoCsvColumnCommand(csv::ColumnCommandCode(ID_CSV_NARROW_SELECT)); }
void CDvkView::OnCsvNarrowDelete() { DoCsvColumnCommand(csv::ColumnCommandCode(ID_CSV_NARROW_DELETE)); }
void CDvkView::OnCsvSelectCheck() { DoCsvColumnCommand(csv::ColumnCommandCode(ID_CSV_SELECT_CHECK)); }
void CDvkView::OnCsvUndoSelect() { DoCsvColumnCommand(csv::ColumnCommandCode(ID_CSV_UNDO_SELECT)); }
void CDvkView::OnCsvColumnSum() { DoCsvColumnCommand(csv::ColumnCommandCode(ID_CSV_COLUMN_SUM)); }
void CDvkView::OnCsvItemTotals() { DoCsvColumnCommand(csv::ColumnCommandCode(ID_CSV_CROSS_TAB)); }
void CDvkView::OnCsvCheckedSum() { DoCsvColumnCommand(csv::ColumnCommandCode(ID_CSV_CHECKED_SUM)); }
void CDvkView::OnCsvCheckToMark() { DoCsvColumnCommand(csv::ColumnCommandCode(ID_CSV_CHECK_TO_MARK)); }
void CDvkView::OnCsvMarkToCheck() { DoCsvColumnCommand(csv::ColumnCommandCode(ID_CSV_MARK_TO_CHECK)); }
void CDvkView::OnCsvQuoteCut() { DoCsvColumnCommand(csv::ColumnCommandCode(ID_CSV_QUOTE_CUT)); }
void CDvkView::OnCsvQuoteAdd() { DoCsvColumnCommand(csv::ColumnCommandCode(ID_CSV_QUOTE_ADD)); }
void CDvkView::OnCsvThousands() { DoCsvColumnCommand(csv::ColumnCommandCode(ID_CSV_THOUSANDS)); }
void CDvkView::OnCsvAlignRight() { DoCsvColumnCommand(csv::ColumnCommandCode(ID_CSV_ALIGN_RIGHT)); }
void CDvkView::OnCsvAlignLeft() { DoCsvColumnCommand(csv::ColumnCommandCode(ID_CSV_ALIGN_LEFT)); }
void CDvkView::OnCsvAlignCenter() { DoCsvColumnCommand(csv::ColumnCommandCode(ID_CSV_ALIGN_CENTER)); }
void CDvkView::OnCsvTrimTrailing() { DoCsvColumnCommand(csv::ColumnCommandCode(ID_CSV_TRIM_TRAILING)); }
void CDvkView::OnCsvTitleFix() { DoCsvColumnCommand(csv::ColumnCommandCode(ID_CSV_TITLE_FIX)); }
void CDvkView::OnCsvTitleAuto() { DoCsvColumnCommand(csv::ColumnCommandCode(ID_CSV_TITLE_AUTO)); }

void CDvkView::OnCsvClearChecks() {
  DoCsvColumnCommand(csv::ColumnCommandCode(ID_CSV_CLEAR_CHECKS));
  // The other panes of a split view let go of their checks too.
  if (m_nSplitKind != 0) ForOtherPanes(51);
}

void CDvkView::OnCsvShowTitle() {
  if (!m_hWnd) return;
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  if (ctrl.GetFirstVisibleLine() < 1) return;
  // The next page by lines: the page top moves so that the title row shows
  // above the lines the caret was among.
  m_bInternalKey = 1;
  SortOrPage(1);
  m_bInternalKey = 0;
  if (ctrl.GetFirstVisibleLine() > 0) ctrl.LineScroll(-1);
}
