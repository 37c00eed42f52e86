// The number family of the built-in function library: how it reads the
// field's number and the second operand, how it writes floating-point
// results, and the exact decimals of the number formats.
#pragma once

#include <cstdint>
#include <string>

#include "fw/cstring.h"
#include "macro/macro_builtins.h"

namespace macro {

// How the field's number is read.
enum class NumberReadMode {
  kInteger,   // the integer part; the fraction is only looked at for its sign
  kFloating,  // the fraction (12 significant digits) and an exponent too
  kHex,       // hexadecimal digits with or without "0x"
};

// The field's number. The integer part is kept as a magnitude that stops at
// the 64-bit range, with the sign apart, so that -magnitude always fits.
struct FieldNumber {
  bool quoted = false;     // the field began with a double quote
  bool negative = false;   // a '-' before the first digit
  bool nonZero = false;    // some digit of the integer part or fraction is not 0
  std::uint64_t magnitude = 0;  // at most INT64_MAX
  double value = 0;        // kFloating: the whole number with its sign (may be infinite)
  std::int64_t Signed() const {
    return negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
  }
};

// Reads the number of the field bytes [0, length): an opening double quote,
// then "0x" and hexadecimal digits (or any hexadecimal digits in kHex mode),
// or decimal digits where a '-' before the first digit makes the number
// negative and every other byte is passed over (digit-group commas), up to a
// '.'. In kFloating mode the fraction's first 12 digits count and an 'E'
// with an optional sign and digits (after the fraction, or right after an
// integer digit) scales the value in one step; an exponent beyond +-400
// gives infinity or zero at once. The second byte of a double-byte
// character is never a digit, sign or point.
FieldNumber ReadFieldNumber(const std::uint8_t* bytes, std::uint32_t length, NumberReadMode mode);

// The second operand from a variable's text: an optional '-' and decimal
// digits (the integer, stopping at the 64-bit range), and with `fraction` a
// '.' and digits of which the first 10 count.
double ReadSecondOperand(const CString& text, bool fraction);
std::int64_t ReadSecondInteger(const CString& text);

// The number of decimals of a floating result: -9 (no digits after the
// name) and any other negative count stand for 6; at most kMaxDecimals.
constexpr int kMaxDecimals = 99;
int DecimalsOf(int param);

// A finite value with `decimals` decimals ("%.*f"), the same text on every
// platform.
std::string FormatFixed(double value, int decimals);
// A finite value in exponent form ("%.*e") with a capital 'E' and at least
// two exponent digits ("1.50E+05", "2.0E-07"); an exponent of three digits
// stays as the formatting wrote it ("1.0e+100").
std::string FormatExponent(double value, int decimals);

// The text of a result that is not a finite number.
constexpr const char kNumberFailText[] = "EROR";

// Bytes that would end a cell or a row inside a result: NUL and 0x06
// become a blank, CR and LF the table's in-cell break codes.
void MakeCellSafe(std::string* bytes);

// The number formats (13, 14, 17, 19, 81-86), registered by the family.
void RegisterNumberFormats(BuiltinHandler* at);

}  // namespace macro
