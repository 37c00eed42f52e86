// The text of one table cell in the HTML page: the cell's bytes with its
// quotes, marks and hidden part taken off, blanks and entities written for
// the browser, and the values of number columns grouped, rounded and padded
// to the column's format. Shift-JIS bytes are copied as they stand.
#pragma once

#include <cstddef>

#include "export/byte_writer.h"

namespace htmlexport {

// How one cell's text is written.
struct HtmlCellFormat {
  // The column's number format, already resolved ('_' or NUL replaced by the
  // run's default by the caller): bit 7 = thousands grouping; the low 7 bits
  // 'i', 'm', 'd' (integers and amounts, decimals kept as written), '0'-'6'
  // (that many decimals), 's' and 'v' (text); any other letter is text.
  unsigned char code = 's';
  // A data row (below the title row): only there are values of number
  // columns formatted, and 'd' and 'm' put "$" and "\" in front.
  bool dataRow = false;
  // The row whose number is the sheet's first line: full-width low lines
  // (0x81 0x51) ending what was written are removed.
  bool titleLine = false;
  // The row's first cell: a leading '~' there marks the spanning row and is
  // not written (in later cells it is text).
  bool firstCell = false;
  // The byte after the cell's closing control byte: 'L' or 'C' there means
  // no trailing "&nbsp;".
  unsigned char byteAfter = 0;
};

// Appends the HTML text of the cell whose bytes are cell[0..n) (the bytes
// before its closing control byte; n may be 0) to `out`, and returns the
// number of bytes appended (none once `out` is short of memory).
std::size_t AppendHtmlCellText(const char* cell, std::size_t n, const HtmlCellFormat& f,
                               exportcore::ByteWriter& out);

}  // namespace htmlexport
