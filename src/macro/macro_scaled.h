// Scaled decimal numbers of the macro language: a signed 64-bit mantissa and
// a count of decimal places (value = mantissa x 10^-scale). A negative scale
// stands for trailing zeros; the scale 999 marks an integer written without a
// decimal point.
#pragma once

#include <cstddef>
#include <cstdint>

#include "csv/csv_scaled.h"
#include "fw/cstring.h"

namespace macro {

constexpr int kScaleInteger = csv::kScaleInteger;

// Reads a number from text: one leading double quote is skipped, "-" before
// the first digit makes it negative, "0x" reads hex, ",", blanks, "+", "\"
// and later "-" inside the number are skipped, "." starts the decimals and
// an "E" exponent moves the scale ("1.5E3" is 15 with scale -2). The
// mantissa wraps in 64 bits; an empty text gives 0.
void ParseScaledNumber(const char* text, std::size_t length, std::int64_t* mantissa, int* scale);
void ParseScaledNumber(const CString& text, std::int64_t* mantissa, int* scale);

// ParseScaledNumber that also tells whether the text is one number as a
// whole: true when the reading went to the end of the text (an "E" exponent
// with at least one digit included) and met at least one digit. "1,234",
// " 12 " and "\"5" are whole; "12a", "1E", "-" and "" are not.
bool ParseScaledNumberWhole(const char* text, std::size_t length, std::int64_t* mantissa, int* scale);

// Writes a scaled number: the digits (right-aligned in 30 places when pad
// is 1), the decimal point before the last `scale` digits ("0." and zeros
// when there are not enough), nothing more for scale 999, and the zeros of a
// negative scale ("1500" for 15 with scale -2). At most 200 bytes. The one
// routine is csv::FormatScaledNumber, which the CSV totals share.
CString FormatScaledNumber(std::int64_t mantissa, int scale, int pad);

}  // namespace macro
