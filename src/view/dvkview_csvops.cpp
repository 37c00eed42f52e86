// Thin entries into the portable table operations of src/csv.
#include <string>

#include "csv/csv_columns.h"
#include "csv/csv_fixedwidth.h"
#include "csv/csv_pad.h"
#include "csv/csv_rowinsert.h"
#include "csv/csv_rows.h"
#include "csv/csv_sections.h"
#include "csv/csv_regroup.h"
#include "csv/csv_select.h"
#include "csv/csv_titleorder.h"
#include "csv/csv_transpose.h"
#include "host/doc_host.h"
#include "macro/macro_codes.h"
#include "macro/macro_number.h"
#include "macro/macro_state.h"
#include "view/dvkview.h"

namespace {

constexpr std::uint32_t kCsvKind = 33;

// The table operations' messages go through the view's ReportMessage.
class ViewOpHost final : public csv::OpHost {
 public:
  explicit ViewOpHost(CDvkView& view) : view_(view) {}
  int ReportMessage(int code, const CString& text) override { return view_.ReportMessage(code, text); }

 private:
  CDvkView& view_;
};

}  // namespace

bool CDvkView::ShowsCsvTable() const { return m_nFileKind == kCsvKind && m_nSourceView == 0; }

int CDvkView::CsvDeleteListedRows(const CString& spec) {
  if (!ShowsCsvTable()) return 1;
  ViewOpHost host(*this);
  csv::CsvDeleteListedRows(m_table, spec.Str(), &host);
  return 0;
}

int CDvkView::CsvReorderRows(const CString& spec, int flag) {
  if (!ShowsCsvTable()) return 0;
  ViewOpHost host(*this);
  csv::CsvReorderRows(m_table, spec.Str(), flag, &host);
  return 0;
}

int CDvkView::CsvRewriteColumns(int mode, int columns, int limit, int deleteFlag, const CString& list) {
  if (!ShowsCsvTable()) return 0;
  ViewOpHost host(*this);
  return csv::CsvRewriteColumns(mode, m_table, columns, limit > 0 ? static_cast<std::uint32_t>(limit) : 0, deleteFlag,
                                list.Str(), m_strStmtCommand.Str(), &host);
}

int CDvkView::CsvTransposeTable(int variant) {
  if (!ShowsCsvTable()) return 0;
  ViewOpHost host(*this);
  return csv::CsvTransposeTable(m_table, variant, &host);
}

int CDvkView::CsvRowInsertOrList(int mode, int row, int count, const CString& operand) {
  if (!ShowsCsvTable()) return -1;
  ViewOpHost host(*this);
  // The listing's count may come from the operand's first number.
  const int number = macro::MacroReadNumber(operand, 7);
  macro::MacroState& ms = Macro();
  auto value = [&ms](int n) -> std::string {
    return n >= 0 && n < macro::kVarSlots ? ms.m_strMacroVars[n].Str() : std::string();
  };
  const int last = csv::CsvRowInsertOrList(mode, m_table, row, count, operand.Str(), number, value, &host);
  if (app::DocHost* doc = GetDocument()) doc->TextFields().m_nViewTextLen = m_table.m_nTextLen;
  return last;
}

int CDvkView::CsvOpRebuild(int headRows, int keepColumns) {
  if (!ShowsCsvTable()) return 0;
  ViewOpHost host(*this);
  return csv::CsvOpRebuild(m_table, m_strStmtOperand.Str(), headRows, keepColumns, &host);
}

int CDvkView::CsvOpSelectColumns(int keepRows, int column) {
  if (!ShowsCsvTable()) return 0;
  ViewOpHost host(*this);
  return csv::CsvOpSelectColumns(m_table, m_strStmtOperand.Str(), keepRows, column, &host);
}

int CDvkView::CsvOpRowsByPattern(int k, int g, int third) {
  if (!ShowsCsvTable()) return 0;
  ViewOpHost host(*this);
  return csv::CsvOpRowsByPattern(m_table, m_strStmtOperand.Str(), k, g, third, &host);
}

bool CDvkView::CsvPadShortRows(const CString& fill, int mode) {
  if (m_nFileKind != kCsvKind || static_cast<int>(m_nSourceView) > 0) return false;
  // The operand's numbering codes are expanded as the statement asks; the
  // padding itself uses nothing of the result.
  {
    const int size = static_cast<int>(m_table.m_nTextLen / 2) + 2000;
    std::string scratch(static_cast<std::size_t>(size) + 1, '\0');
    macro::MacroExpandNCodes(&scratch[0], m_strStmtOperand, size);
  }
  ViewOpHost host(*this);
  if (csv::CsvPadShortRows(m_table, fill.Str(), mode, m_nPadTarget, &host) != csv::kOpOk) return false;
  if (app::DocHost* doc = GetDocument()) doc->TextFields().m_nTextLen = m_table.m_nTextLen;
  return true;
}

CString CDvkView::CsvOrderColumnsByTitle(const CString& text, int mode, int fixedCount) {
  return CString(csv::CsvOrderColumnsByTitle(m_table, text.Str(), mode, fixedCount));
}

void CDvkView::CsvToFixedWidthText() {
  if (!ShowsCsvTable()) return;
  ViewOpHost host(*this);
  csv::CsvToFixedWidthText(m_table, m_aColumnPos, view::kColumnPositions, CsvTitleLine(), &host);
}

// A table changed from the menu is a changed document: Save writes the new
// table and closing asks first.
void CDvkView::OnCsvAddMissingColumns() {
  if (!ShowsCsvTable()) return;
  const bool changed = CsvPadShortRows(CString("\"\""), 0);
  OnPageLeft();
  if (changed) GetRichEditCtrl().SetModify(TRUE);
}

void CDvkView::OnCsvTranspose() {
  if (!ShowsCsvTable()) return;
  const bool changed = CsvTransposeTable(0) == csv::kOpOk;
  OnPageLeft();
  if (changed) GetRichEditCtrl().SetModify(TRUE);
  if (m_nSplitKind != 0) SyncPanes(0);
}
