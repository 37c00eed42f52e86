// The two order texts of the row and column order dialog carried out on a
// table: first the column order, then the row order.
//
// Column order: "1-" and an empty text leave the columns. A text longer
// than 4 bytes that ends in "#del" names the columns to delete. "sort..."
// and "sel..." become a column list through CsvOrderColumnsByTitle. The
// list goes to the column rewrite (mode 1). A list that names no column
// (a search that found none, a title row that cannot be read) leaves the
// columns as they are instead of emptying every row.
//
// Row order: "1-" and an empty text leave the rows; "row" swaps rows and
// columns; a text longer than 4 bytes that ends in "#del" deletes the rows
// it lists; anything else ("rev", a row list) is a row order.
#pragma once

#include <string>

#include "csv/csv_opreport.h"
#include "csv/csv_table.h"

namespace csv {

// Returns 0, or the failure code of the step that failed (reported through
// `host`; that step left the table as it was).
int ApplyRowColOrders(Table& table, const std::string& columnOrder, const std::string& rowOrder, OpHost* host);

}  // namespace csv
