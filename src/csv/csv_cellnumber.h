// Reading a number from a CSV cell, as the row sort and the totals read it:
// digits accumulate; '.' starts the decimal places (a second '.' starts the
// count again); a '-' while the value is still 0 makes the number negative;
// every byte from 0x20 to 0x40 and 0x5C (the yen sign) is passed over; any
// other byte (letters, bytes from 0x41 up, so full-width digits; control
// bytes such as 0x06, CR, LF, NUL) ends the number.
// "1,234.50" -> 123450 scale 2; "-3" -> -3; "2024/01/05" -> 20240105;
// "abc" -> 0; "\500" -> 500.
#pragma once

#include <cstddef>
#include <cstdint>

#include "csv/csv_buffer.h"

namespace csv {

struct CellNumber {
  bool negative = false;
  // An empty field: nothing in it but blanks and double quotes (the field
  // ends where the reading stopped). "abc" is no empty field; it reads as 0.
  bool empty = true;
  // The whole value as mantissa x 10^-scale (scale: the digits after the
  // last '.'); the mantissa saturates at INT64_MAX in magnitude (never
  // wraps) and carries the sign.
  std::int64_t mantissa = 0;
  int scale = 0;
  // The digits did not fit 63 bits: the mantissa saturated (the totals
  // write such a cell's sums as "overflow").
  bool overflow = false;
  // The sort key's parts: the integer part (the digits before the last '.',
  // saturated at INT64_MAX in magnitude) and the first 8 decimals as an
  // integer padded with zeros ("-5.25" -> integer -5, fraction8 -25000000);
  // both carry the sign.
  std::int64_t integer = 0;
  std::int32_t fraction8 = 0;
};

// Reads the field starting at `p` up to `end` (or the first byte that ends
// a number). A leading double quote is passed over like any byte 0x20-0x40.
CellNumber ReadCellNumber(const std::uint8_t* p, const std::uint8_t* end);

// The count of the totals' count mode: a cell counts when it holds a byte
// other than a double quote (so "" counts as empty).
inline bool CellIsFilled(const std::uint8_t* b, const std::uint8_t* e) {
  for (; b < e; ++b)
    if (*b != '"') return true;
  return false;
}

// The fields of a row's bytes [b, e): one more than its 0x06 separators.
inline std::uint32_t FieldsOfRow(const std::uint8_t* b, const std::uint8_t* e) {
  std::uint32_t k = 1;
  for (; b < e; ++b) k += *b == CSV_FIELD_SEP;
  return k;
}

}  // namespace csv
