// Cell values of ".xlsx" workbooks as the text a cell shows: numbers by the
// digits of the value text (never through a floating-point number), dates
// and times through the day serial, with the workbook's number-format class
// (ooxml_numfmt.h) choosing the layout.
//
// A format class is kind * 1000 + a decimals value v (v - 1 decimal places;
// v 0 or 1: none). Kinds below 900 are the built-in format ids; 548-551 are
// grouped numbers with a currency, 552-560 the dates and times the classifier
// names.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace convert {

// A format class split into its kind and decimals value (-1: the class has
// none and the kind's own applies).
struct XlsxFormat {
  int kind = 0;
  int decimals = -1;
};

// Splits a class: kind class / 1000, v class % 1000 above 1000. Kind 10
// ("0.00%") is kind 9 with v 3, kind 48 ("##0.0E+0") kind 11 with v 2.
XlsxFormat SplitFormatClass(std::int32_t formatClass);

// The class of a cell from its number-format id and the class the
// classifier gave that id (0 when the workbook defines none): a built-in id
// below 900 is id * 1000; id 11 ("0.00E+00") adds 3.
std::int32_t CellFormatClass(std::int32_t numFmtId, std::int32_t idClass);

// Kinds shown as a date or time: 14-33, 45-47, 55-58, 552-598.
bool IsXlsxDateKind(int kind);

// The document's number words.
struct XlsxNumberWords {
  std::int32_t fixedDecimals = 0;  // m_nFixedDecimals: nonzero replaces a positive v
  std::int32_t groupSwitch = 0;    // m_nGroupSwitch: grouping only below 10
};

// The text of a number value (`value` up to `length` bytes, ending at a '<'
// or the length) in `kind` with decimals value `v` (-1: the kind's own).
std::string FormatXlsxNumber(const char* value, std::size_t length, int kind, int v, const XlsxNumberWords& words);

// The Japanese era of a day serial: its letter ("R", "H", "S", "T", "M",
// "X"), its name in Shift-JIS and the year within it (99 before 1901).
struct XlsxEra {
  const char* letter;
  const char* name;
  int year;
};
XlsxEra EraOf(std::int64_t serial, int year);

// The text of a date or time value in date kind `kind`. The day serial is
// the value's integer part, the time its fraction; a 1904 workbook adds
// 1,462 days, a negative serial counts as 0. False when the serial lies
// beyond the dates the date type holds: the caller shows the number.
bool FormatXlsxDate(const char* value, std::size_t length, int kind, bool date1904, std::string& out);

}  // namespace convert
