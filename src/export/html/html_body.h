// The body of one sheet in the HTML page:
//
//   1. "<h5>page</h5>" before a sheet after the first whose page-break
//      setting is on;
//   2. the lines before the table as preformatted text (html_pre.h);
//   3. the sheet style "table.allset<n>" (padding, colours, font, alignment,
//      row height);
//   4. the table head with one colgroup per column;
//   5. the rows: "<tr>" with the row's height and the sheet's alignment,
//      one cell per field with its class (its region's, or its class
//      group's and listed column's), a colspan in a spanning row ('~'), one
//      style attribute holding the declarations of the condition records
//      that marked the cell, a font part, the style-flag tags and the text
//      (html_cell_text.h);
//   6. "</table>", the lines after the table (up to "!%" or "!$") as
//      preformatted text, and "<br>\r\n\r\n".
//
// The widths in the table head depend on the rows: a column is (L + 2) x p
// pixels, L its longest text written (the model's width for sheet letter
// 'S') and p from its size digit, at most 999; the table is the sum of the
// widths plus 10 each, at most 9999. The rows are therefore built in a
// buffer of their own and follow the head once it is written.
#pragma once

#include <cstdint>

#include "export/byte_writer.h"
#include "export/html/html_classes.h"
#include "export/html/html_sheet.h"
#include "export/xlsx/xlsx_run.h"

namespace htmlexport {

constexpr std::uint32_t kMaxColumnPixels = 999;   // three digits
constexpr std::uint32_t kMaxTablePixels = 9999;   // four digits
constexpr std::uint32_t kWidthColumns = 999;      // columns with a measured width
constexpr std::uint32_t kLaterColumnPixels = 50;  // the width of the columns after them

// The pixel width of a column whose longest text is `longest` bytes and
// whose size digit is `digit` (clamped to 999).
std::uint32_t HtmlColumnPixels(std::uint64_t longest, unsigned char digit);

// Appends the body of run.sheet to `body`, building its rows in `rows`
// (emptied first). False when either buffer ran out of memory.
bool HtmlWriteSheetBody(const xlsx::XlsxRun& run, const HtmlSheetFrame& frame, const HtmlClassIndex& index,
                        const char* text, std::uint32_t len, exportcore::ByteWriter& body,
                        exportcore::ByteWriter& rows);

}  // namespace htmlexport
