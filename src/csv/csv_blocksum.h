// The exact total of the numbers in a block of cells, as the totals read a
// cell (csv_cellnumber.h) and add (csv_scaled.h): the column commands' total
// boxes show "overflow" from it where the macro language's own arithmetic
// would wrap.
#pragma once

#include <cstdint>

#include "csv/csv_checklist.h"
#include "csv/csv_scaled.h"
#include "csv/csv_table.h"

namespace csv {

// Sums columns c1..c2 of rows r1..r2 (1-based, inclusive; cut to the table).
// With `checks`, only the rows whose 1-based number the list holds count.
// A cell whose digits do not fit 63 bits marks the sum overflowed.
ScaledSum BlockSum(const Table& table, int c1, int c2, int r1, int r2, const CheckList* checks = nullptr);

}  // namespace csv
