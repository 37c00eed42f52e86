#include "csv/csv_cellnumber.h"

namespace csv {
namespace {

constexpr std::int64_t kMax = INT64_MAX;

// value * 10 + digit, held at kMax once it would pass it.
std::int64_t Push(std::int64_t value, int digit, bool* overflow) {
  if (value > (kMax - digit) / 10) {
    *overflow = true;
    return kMax;
  }
  return value * 10 + digit;
}

bool EndsField(std::uint8_t c) { return c == 0x06 || c == '\r' || c == '\n' || c == 0; }

}  // namespace

CellNumber ReadCellNumber(const std::uint8_t* p, const std::uint8_t* end) {
  CellNumber n;
  std::int64_t all = 0;        // every digit read (saturating)
  std::int64_t beforeDot = 0;  // the digits before the last '.'
  bool dot = false;
  int places = 0;              // digits after the last '.'
  std::int32_t frac = 0;       // the first 8 of them
  bool other = false;          // a byte besides blanks and quotes
  for (; p < end; ++p) {
    const std::uint8_t c = *p;
    if (c >= '0' && c <= '9') {
      all = Push(all, c - '0', &n.overflow);
      if (dot) {
        if (places < 8) frac = frac * 10 + (c - '0');
        if (places < 0x7FFF) ++places;
      }
      other = true;
    } else if (c == '.') {
      // A second point starts the decimals again: the digits so far are the
      // integer part.
      dot = true;
      beforeDot = all;
      places = 0;
      frac = 0;
      other = true;
    } else if (c == '-') {
      if (all == 0) n.negative = true;
      other = true;
    } else if ((c >= 0x20 && c <= 0x40) || c == 0x5C) {
      if (c != ' ' && c != '"') other = true;
    } else {
      break;
    }
  }
  // A field that holds nothing but blanks and quotes is empty; one that holds
  // text ("abc") reads as 0 and is not.
  n.empty = !other && (p >= end || EndsField(*p));
  for (int k = places; k < 8; ++k) frac *= 10;
  n.mantissa = n.negative ? -all : all;
  n.scale = dot ? places : 0;
  const std::int64_t integer = dot ? beforeDot : all;
  n.integer = n.negative ? -integer : integer;
  n.fraction8 = n.negative ? -frac : frac;
  return n;
}

}  // namespace csv
