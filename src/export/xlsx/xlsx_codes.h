// The format codes a user writes into the CSV text: the sheet settings
// line ("XL..."), the format row ("!^", or the title row's codes after a
// '^' in each field), the width row of sheet letter 'S', the row codes after
// a '^' in a data line's first field (or in the field at the column count
// under a "!^" line), the title codes and the tab colour of a "!*" head.
// They fill the sheet settings and the row and column format records that
// the worksheet writer turns into styles, widths, heights, breaks, the page
// setup and the view.
//
// Every record index stays within its table: columns past 1000 and row
// records past 1000 are not collected.
#pragma once

#include <cstddef>
#include <cstdint>

#include "csv/csv_buffer.h"
#include "export/xlsx/xlsx_run.h"

namespace xlsx {

// Where the codes of one field go: a column record (the border pair to
// 2-3, '#' to 12-13, "w" a width) or a row record (the pair to 10-11, '#' to
// 14-15, "h" a height, 'F' the filter, 'X' only below the title row).
enum class XlsxCodeTarget { kColumn, kRow };

// What one field's codes give besides the record.
struct XlsxCodeExtras {
  std::int32_t width = 0;          // "w": n + 10002 (0: none)
  bool filter = false;             // an 'F' code was read
  std::uint32_t filterCode = 0;    // a * 10000 + b (a above 1), else b
  bool belowTitle = false;         // in: the row lies below the title row ('X')
  std::uint32_t columnCount = 0;   // in: b of an 'F' without one
};

// Reads the codes in [p, p + n) into `r`.
void XlsxReadCodes(const char* p, std::size_t n, XlsxCodeTarget target, XlsxFormatRecord& r, XlsxCodeExtras& x);

// Reads one settings line (from its "XL"; a "!#" before it is skipped) of
// `n` bytes into `s`. `formatRowPresent`: the default cell format comes
// from the format row instead. A '$' view letter 'r' or 's' sets `r1c1`.
// Returns whether a '%' group set the sheet's font flags.
bool XlsxReadSettingsLine(const char* p, std::size_t n, bool formatRowPresent, XlsxSheetSettings& s,
                          std::uint32_t& r1c1);

// The default cell format with its '%' and '$' groups, as on a settings
// line or in the format row's field after the last column. Returns whether
// a '%' group was read.
bool XlsxReadDefaultFormat(const char* p, std::size_t n, XlsxSheetSettings& s, std::uint32_t& r1c1);

// The tab colour of a "!*" head: the character between two '^' (0: none).
char XlsxHeadTabColour(const char* p, std::size_t n);

// Offset just after the first '^' in [0, n) that is neither after '\' nor
// the trail byte of a double-byte character; kNoCodeMark when there is none.
constexpr std::size_t kNoCodeMark = static_cast<std::size_t>(-1);
std::size_t XlsxCodeMark(const char* p, std::size_t n);

// The codes of sheet run.sheet (its model read already, its tables
// cleared): settings lines, the format row, the width row, the row codes and
// the title codes. Called by XlsxReadSheetModel before the table end and
// the measured widths, which read what this sets.
void XlsxReadSheetCodes(const csv::TableFields& t, const char* text, std::uint32_t len, XlsxRun& run);

}  // namespace xlsx
