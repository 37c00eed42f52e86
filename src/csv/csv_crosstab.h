// The cross tabulation (CsvCrossTabulate): with keyLevels 1-3 a pivot that
// turns the values of up to three key columns into columns (csv_pivot.h,
// csv_pivotkeys.h), then, always, the group summary (csv_groupsum.h).
//
// firstArg: the leading label fields of a row, which are also the summary's
// key fields (1-3; any other count groups by the first field); above 10 it
// is reduced by 10 and sets the summary's drop flag. countFlag 1: the pivot
// writes "0" for a value and the summary counts filled cells. fourthArg:
// for the pivot the number of value fields (0 and 1 both one, at most 3),
// the key fields starting fourthArg - 1 fields further right; for the
// summary alone, not 0 changes the group labels.
//
// The pivot works on a sorted copy of the table (innermost key first, each
// sort keeping the order of equal rows), so the table itself is untouched
// until the whole result exists. A table without data rows gets one empty
// row first. Head lines and the '~' tail come back around the result; the
// result is indexed again and m_nCurLine is the title's line.
#pragma once

#include <string>

#include "csv/csv_opreport.h"
#include "csv/csv_table.h"

namespace csv {

// `number` is the first decimal number of the operand (the limit of an "N"
// operand), read by the caller. Returns 0, or one of 159-163 when memory
// cannot be had (reported through `host`, table unchanged).
int CsvCrossTabulate(Table& table, int firstArg, int keyLevels, int countFlag, int fourthArg,
                     const std::string& operand, int number, OpHost* host);

}  // namespace csv
