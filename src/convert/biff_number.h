// Numbers of an Excel BIFF workbook as text: the classification of a number
// format string, and the rendering of a cell's number (an RK value or a
// double) by its format - grouping, decimals, the currency backslash, and
// dates through COleDateTime.
//
// Doubles are turned into text by integer arithmetic on their bits: the
// integer part and four decimals, rounded, then cut to the decimals the
// format asks for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "convert/workbook_table.h"

namespace convert {

struct BiffFormatInfo {
  std::uint8_t formatClass = kFormatOther;
  std::uint8_t decimals = 0;  // decimals of the format (4 for a time format, 99 none given)
};

// Classifies a format string (Shift-JIS bytes) in one scan.
BiffFormatInfo ClassifyBiffFormat(const std::uint8_t* text, std::size_t length);

// Fills the format table with the built-in formats (numbers 0-163): their
// classes and decimals. A format number no record and no built-in names
// keeps the decimals 99 (shown as read, trailing zeros dropped).
void PresetBuiltinFormats(WorkbookTable& table);

// The words the rendering reads.
struct BiffNumberWords {
  std::int32_t xlsMode = 0;      // 10 and above: every value as read (no grouping, trailing zeros dropped)
  std::int32_t xlsDecimals = 0;  // nonzero n: n - 1 decimals for numbers
  bool date1904 = false;
};

// A rendered value: its text and kind code (9000 + length for numbers, 1000 +
// length for dates).
struct BiffNumberText {
  std::string text;
  std::int32_t kind = 0;
};

// A double (its IEEE bits) in format number `format`.
BiffNumberText RenderBiffDouble(std::uint64_t bits, std::int32_t format, const WorkbookTable& table,
                                const BiffNumberWords& words);

// An RK value in format number `format`: integers (in hundredths when bit 0
// is set) with a sign column, other values as the top bits of a double.
BiffNumberText RenderBiffRk(std::uint32_t rk, std::int32_t format, const WorkbookTable& table,
                            const BiffNumberWords& words);

// The date text of a serial day count ("'YY-MM-DD", with " hh:mm" when
// `withTime`); false when the date type cannot hold the day.
bool FormatBiffDate(double serial, bool withTime, std::string& out);

}  // namespace convert
