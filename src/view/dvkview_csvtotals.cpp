// Thin entries into the CSV totals and the cross tabulation of src/csv.
#include <string>

#include "csv/csv_crosstab.h"
#include "csv/csv_totals.h"
#include "macro/macro_number.h"
#include "view/dvkview.h"

namespace {

class TotalsOpHost final : public csv::OpHost {
 public:
  explicit TotalsOpHost(CDvkView& view) : view_(view) {}
  int ReportMessage(int code, const CString& text) override { return view_.ReportMessage(code, text); }

 private:
  CDvkView& view_;
};

}  // namespace

int CDvkView::CsvTotals(int mode, int keyColumn) {
  if (!ShowsCsvTable()) return -1;
  TotalsOpHost host(*this);
  if (csv::CsvTotals(m_table, mode, keyColumn, m_strStmtOperand.Str(), &host) != csv::kOpOk) return -1;
  OnPageLeft();
  if (m_nSplitKind != 0) SyncPanes(0);
  return 0;
}

int CDvkView::CsvCrossTabulate(int firstArg, int keyLevels, int countFlag, int fourthArg) {
  if (!ShowsCsvTable()) return -1;
  TotalsOpHost host(*this);
  // The limit of an "N" operand: its first decimal number.
  const int number = macro::MacroReadNumber(m_strStmtOperand, 7);
  if (csv::CsvCrossTabulate(m_table, firstArg, keyLevels, countFlag, fourthArg, m_strStmtOperand.Str(), number,
                            &host) != csv::kOpOk)
    return -1;
  OnPageLeft();
  if (m_nSplitKind != 0) SyncPanes(0);
  return 0;
}
