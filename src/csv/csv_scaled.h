// Scaled decimal numbers: a signed 64-bit mantissa and a count of decimal
// places (value = mantissa x 10^-scale), never a floating-point value. The
// totals and the cross tabulation add them exactly; the macro language
// writes its numbers with the same FormatScaledNumber.
//
// Adding aligns the scales (the smaller one times 10 per missing place) and
// adds the mantissas, every step checked: a sum that cannot be held exactly
// is marked overflowed, stays so whatever is added to it, and is written as
// the text "overflow" (and so is every sum it is added to).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "fw/cstring.h"

namespace csv {

// The scale that marks an integer written without a decimal point.
constexpr int kScaleInteger = 999;

// The text of a sum that could not be held exactly.
constexpr const char kOverflowText[] = "overflow";

// Writes a scaled number: the digits (right-aligned in 30 places when pad
// is 1), the decimal point before the last `scale` digits ("0." and zeros
// when there are not enough), nothing more for scale 999, and the zeros of a
// negative scale ("1500" for 15 with scale -2). At most 200 bytes.
CString FormatScaledNumber(std::int64_t mantissa, int scale, int pad);

// Appends the text of FormatScaledNumber(mantissa, scale, 0) to `out`
// (scale 0 and above).
void AppendScaledNumber(std::string* out, std::int64_t mantissa, int scale);

struct ScaledSum {
  std::int64_t value = 0;
  int scale = 0;
  bool overflow = false;

  // Adds value x 10^-scale (scale 0 and above); false once the sum has
  // overflowed.
  bool Add(std::int64_t v, int s);
  // Adds another sum; its overflow carries over.
  bool Add(const ScaledSum& other) {
    if (other.overflow) overflow = true;
    return overflow ? false : Add(other.value, other.scale);
  }
  void Clear() { *this = ScaledSum(); }
};

// The text of a sum: "overflow", or its number.
std::string ScaledSumText(const ScaledSum& sum);
void AppendScaledSum(std::string* out, const ScaledSum& sum);

}  // namespace csv
