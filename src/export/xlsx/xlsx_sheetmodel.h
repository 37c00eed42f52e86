// The sheet model of one table block: its bounds from the block index, the
// special lines found in it, the widest rows, the sheet name from a first
// data line, the records a plain table gets (the title row centred between
// borders, the bottom border of the table end, the comment row after it)
// and the measured column widths.
//
// Rows are the text rows of the CSV engine, counted from 1 at the start of
// the text; XlsxRowFormatRows holds such row numbers, in ascending order.
#pragma once

#include <cstdint>

#include "csv/csv_buffer.h"
#include "export/xlsx/xlsx_run.h"

namespace xlsx {

// What the caller shows after the collection.
struct XlsxSheetNotes {
  bool overLimit = false;        // "Data lines %d over limit 1048576"
  std::uint32_t overLimitRow = 0;  // the end row before the cap
};

// The bounds of sheet `number` (its block of the index), before the walk.
XlsxSheetBounds XlsxSheetBoundsOf(const csv::TableFields& t, const char* text, std::uint32_t len,
                                  std::uint32_t number);

// Collects sheet `number` into run.sheet and the row and column tables
// (cleared first). `text` is the table's working form, `len` its length.
XlsxSheetNotes XlsxReadSheetModel(const csv::TableFields& t, const char* text, std::uint32_t len,
                                  std::uint32_t number, XlsxRun& run);

// The record of `row` in the row table, made (in row order) when missing.
XlsxFormatRecord& XlsxRowRecord(XlsxRun& run, std::uint32_t row);

// The measured width of one cell (its bytes) for a column whose number
// format letter is `format` and font mode `fontMode` (0-3).
int XlsxMeasureCell(const char* cell, std::size_t len, char format, int fontMode);

}  // namespace xlsx
