// Splitting bracketed lists of table cells into rows: "(a,b,c)" in a cell
// becomes three rows, each with one item of the list.
#pragma once

#include "csv/csv_opreport.h"
#include "csv/csv_table.h"

namespace csv {

// Failure codes (the caller reports them as memory shortage at that place),
// from the one failure table of the table operations.
constexpr int kSplitWorkBufferFailed = kSplitWork;
constexpr int kSplitFinalBufferFailed = kSplitFinal;

// Longest row (with its continuation rows) that is split; a longer row is
// copied unchanged.
constexpr int kSplitLineBytes = 9000;
// Continuation rows one open list may take in.
constexpr int kSplitContinuations = 10;

// Splits the bracketed lists of columns firstCol..lastCol over the rows
// firstRow..lastRow (the buffer's 1-based lines; a lastRow of 0 or less runs
// to the end, a negative lastCol means every column). A list opens with '('
// or the full-width "（" and closes with ')' or "）"; its items are separated
// by ',', ':' or "、". A row whose lists hold at most k items is written k
// times, copy i keeping the i-th item of each list (empty past a list's
// last item) without the brackets; text outside the lists is kept. Inside
// an item, nested brackets stay and their separators are written as ':'.
// An item "d=..." (d a digit) makes later items that begin with a digit
// without '=' read "d=" + item, until an item that does not begin with a
// digit. A list still open at its field's end continues in the same column
// of the next row (its leading '"' dropped), which then disappears, for at
// most kSplitContinuations rows. Rows without lists stay as they are.
// Returns 0, or a failure code with the table unchanged. The index is
// rebuilt.
int SplitBracketedField(Table& table, int firstRow, int lastRow, int firstCol, int lastCol);

}  // namespace csv
