// The column and row orders of the row and column order dialog.
#include "csv/csv_rowcolorder.h"

#include <vector>

#include "csv/csv_columns.h"
#include "csv/csv_rows.h"
#include "csv/csv_titleorder.h"
#include "csv/csv_transpose.h"

namespace csv {
namespace {

const char kDeleteTail[] = "#del";

bool EndsInDelete(const std::string& s) { return s.size() > 4 && s.compare(s.size() - 4, 4, kDeleteTail) == 0; }

// True when `list` would write at least one column (or leaves the columns
// as they are): a rewrite by an empty plan would empty every row.
bool KeepsAColumn(const Table& table, const std::string& list, int deleteFlag) {
  if (deleteFlag) return true;
  std::vector<ColumnEntry> plan;
  bool unchanged = false;
  if (!BuildColumnPlan(list, table.m_nFieldCount, false, 0, &plan, &unchanged)) return true;  // the rewrite reports it
  return unchanged || !plan.empty();
}

int ColumnStep(Table& table, const std::string& order, OpHost* host) {
  if (order.empty() || order == "1-") return kOpOk;
  std::string list = order;
  int deleteFlag = 0;
  if (list.size() > 4) {
    if (EndsInDelete(list)) {
      deleteFlag = 1;
      list.resize(list.size() - 4);
    }
    int mode = 0, fixed = 0;
    if ((list.compare(0, 4, "sort") == 0 || list.compare(0, 3, "sel") == 0) &&
        TitleOrderArguments(list, &mode, &fixed)) {
      list = CsvOrderColumnsByTitle(table, list, mode, fixed);
      if (list == "Eror") return kOpOk;
    }
  }
  if (!KeepsAColumn(table, list, deleteFlag)) return kOpOk;
  // No statement text: a row order never rides along with this rewrite.
  return CsvRewriteColumns(1, table, static_cast<int>(table.m_nFieldCount), 0, deleteFlag, list, std::string(), host);
}

int RowStep(Table& table, const std::string& order, OpHost* host) {
  if (order.empty() || order == "1-") return kOpOk;
  if (order == "row") return CsvTransposeTable(table, 0, host);
  if (EndsInDelete(order)) return CsvDeleteListedRows(table, order, host);
  return CsvReorderRows(table, order, 0, host);
}

}  // namespace

int ApplyRowColOrders(Table& table, const std::string& columnOrder, const std::string& rowOrder, OpHost* host) {
  const int rc = ColumnStep(table, columnOrder, host);
  if (rc != kOpOk) return rc;
  return RowStep(table, rowOrder, host);
}

}  // namespace csv
