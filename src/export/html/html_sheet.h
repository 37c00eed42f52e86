// What the classes and the body of one HTML table share about the sheet the
// run is writing: its table's columns and rows, and a walk over its lines
// that numbers each line as the row records and as the object grid do.
//
// Two row numbers meet here. The row records (XlsxRowFormatRows), the title
// row and the table's end count the sheet's text rows as the sheet model
// does: every line from the sheet's start, except "!^" lines. The object
// grid and the condition marks count the rows the worksheet writer writes:
// "!*" head lines and the width row of sheet letter 'S' left out, "!^"
// lines counted.
#pragma once

#include <cstdint>
#include <vector>

#include "export/xlsx/xlsx_run.h"

namespace htmlexport {

// The bounds of the sheet's table.
struct HtmlSheetFrame {
  std::uint32_t number = 1;         // the sheet number
  std::uint32_t lastColumn = 1;     // the table's columns (under "!^" the codes field is left out)
  std::uint32_t title = 0;          // the title row: the sheet's first line
  std::uint32_t firstTableRow = 1;  // the row after the sheet's start row
  std::uint32_t tableEnd = 0;       // the first row after the table
  bool skipRow = false;             // sheet letter 'S' without "!^": the width row is no table row
};

// The frame of run.sheet (its model read already).
HtmlSheetFrame HtmlFrameOf(const xlsx::XlsxRun& run);

// One line of the sheet.
struct HtmlSheetLine {
  std::uint32_t start = 0, end = 0, next = 0;  // first byte, line end, next line
  std::uint32_t row = 0;                       // the record row ("!^" lines: the row of the line after)
  std::uint32_t gridRow = 0;                   // the object grid's row (0: none)
  bool formatRow = false;                      // a "!^" line (no row)
  bool headLine = false;                       // a "!*" line (no grid row, no table row)
  bool widthRow = false;                       // the width row of sheet letter 'S' (no grid row, no table row)
};

// The sheet's lines from its first one to the end of its block (its end
// offset, a NUL or the text end).
class HtmlSheetLines {
 public:
  HtmlSheetLines(const xlsx::XlsxRun& run, const HtmlSheetFrame& frame, const char* text, std::uint32_t len);
  bool Next(HtmlSheetLine* line);

 private:
  const char* m_text;
  std::uint32_t m_end;
  std::uint32_t m_pos;
  std::uint32_t m_row;
  std::uint32_t m_gridRow = 0;
  std::uint32_t m_title;
  bool m_skipRow;
};

// The record row of each grid row of the sheet (entry 0 unused; 0: none),
// for grid rows 1 to `gridRows`.
std::vector<std::uint32_t> HtmlGridRowsToRows(const xlsx::XlsxRun& run, const HtmlSheetFrame& frame, const char* text,
                                              std::uint32_t len, std::uint64_t gridRows);

// The column format record of column c (the blank record past 1000).
const xlsx::XlsxFormatRecord& HtmlColumnRecord(const xlsx::XlsxRun& run, std::uint32_t c);

}  // namespace htmlexport
