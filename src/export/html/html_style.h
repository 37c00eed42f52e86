// The CSS of the HTML page: the declarations of one class from a 22-byte
// format record (StyleCodeToCss), and the names and values the sheet style,
// the column heads and the per-cell styles take from the same codes.
//
// Record positions read here: 0 alignment (bits 2-7 the horizontal group,
// bits 0-1 the vertical one; '_' and NUL count as '@', none), 2 and 3 left
// and right border widths, 5 text colour, 6 fill, 7 style flags (bits 4-6
// the font family), 8 size digit, 10 and 11 top and bottom border widths,
// 12-15 border colours (left, right, top, bottom), 20 row height ('@' +
// points, '_' none).
#pragma once

#include <string>

#include "export/byte_writer.h"

namespace htmlexport {

// "left", "right" or "center" for an alignment code's horizontal group
// ('P' and 'T' left, '`' right, 'p' and 't' center); null for none.
const char* HtmlHorizontalAlign(unsigned char code);
// "middle", "top" or "bottom" for its two low bits (1, 2, 3); null for none.
const char* HtmlVerticalAlign(unsigned char code);
// The font family of style flags bits 4-6 (1 to 4, Shift-JIS); null for none.
const char* HtmlFontFamily(unsigned char flags);
// Six hex digits of a colour letter; null when the letter gives "000000"
// (no colour).
const char* HtmlColourHex(char letter);
// Tenths of a point of a font size digit: (d - 45) x 15, so '4' is 10.5pt.
int HtmlSizeTenths(unsigned char digit);
// "height:%dpt" of a row height code: the points, or 0 for none.
int HtmlHeightPoints(unsigned char code);

// Appends the declarations of the class of `code` (22 bytes), in this
// order and each only when it has a value: text-align, vertical-align,
// color, background-color, font-size, height, font-family, border-left,
// border-right, border-top, border-bottom; then "}\r\n".
void AppendStyleDeclarations(const char* code, exportcore::ByteWriter& out);

// The same as a string, built in a work buffer of 4000 bytes from fw::Alloc.
// Throws std::bad_alloc when that buffer (or the string) cannot be had; the
// HTML run catches it and reports code 123 (a caller outside the run does
// the same through its own ReportMessage).
std::string StyleCodeToCss(const char* code);

}  // namespace htmlexport
