#include "macro/macro_scaled.h"

#include <string>

namespace macro {

namespace {

// Scales are kept within this bound so that sums of scales stay in range.
constexpr long long kScaleBound = 100000;

bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

int HexDigit(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

long long ClampScale(long long s) { return s > kScaleBound ? kScaleBound : s < -kScaleBound ? -kScaleBound : s; }

}  // namespace

// The number reader; *whole tells whether it read the text to its end and
// met a digit.
static void ReadScaledNumber(const char* text, std::size_t length, std::int64_t* mantissa, int* scale, bool* whole) {
  std::uint64_t m = 0;  // wraps in 64 bits
  long long sc = 0;
  bool negative = false, hex = false, digits = false, stopped = false;
  *mantissa = 0;
  *scale = 0;
  *whole = false;
  if (length == 0) return;
  std::size_t i = 0;
  if (length > 1 && text[0] == '"') ++i;
  unsigned char last = 0, prev = 0;
  while (i < length) {
    const unsigned char c = static_cast<unsigned char>(text[i++]);
    if (hex) {
      const int d = HexDigit(c);
      if (d >= 0) {
        m = m * 16u + static_cast<unsigned>(d);
        digits = true;
        prev = last = c;
        continue;
      }
      hex = false;
    } else if (c == '-') {
      if (m == 0) negative = true;
    } else if ((c == 'x' || c == 'X') && prev == '0' && m == 0) {
      hex = true;
    } else if (IsDigit(c)) {
      m = m * 10u + (c - '0');
      digits = true;
      if (sc > 0 && sc < kScaleBound) ++sc;
    } else if (c == '.') {
      sc = 1;
    }
    prev = last = c;
    const bool goOn = IsDigit(c) || c == '-' || c == '+' || c == ',' || c == '.' || c == ' ' || c == '\\' || hex;
    if (!goOn) {
      stopped = true;
      break;
    }
  }
  bool atEnd = !stopped;
  if (sc > 0) --sc;
  if ((last == 'E') && i < length) {
    bool minus = false;
    if (text[i] == '-' || text[i] == '+') minus = text[i++] == '-';
    long long e = 0;
    bool expDigits = false;
    while (i < length && IsDigit(static_cast<unsigned char>(text[i]))) {
      e = e * 10 + (text[i++] - '0');
      expDigits = true;
      if (e > kScaleBound) e = kScaleBound;
    }
    sc = ClampScale(minus ? sc + e : sc - e);
    atEnd = expDigits && i == length;
  }
  *whole = digits && atEnd;
  if (negative) m = 0u - m;
  *mantissa = static_cast<std::int64_t>(m);
  *scale = static_cast<int>(sc);
}

void ParseScaledNumber(const char* text, std::size_t length, std::int64_t* mantissa, int* scale) {
  bool whole = false;
  ReadScaledNumber(text, length, mantissa, scale, &whole);
}

bool ParseScaledNumberWhole(const char* text, std::size_t length, std::int64_t* mantissa, int* scale) {
  bool whole = false;
  ReadScaledNumber(text, length, mantissa, scale, &whole);
  return whole;
}

void ParseScaledNumber(const CString& text, std::int64_t* mantissa, int* scale) {
  ParseScaledNumber(text.GetString(), static_cast<std::size_t>(text.GetLength()), mantissa, scale);
}

CString FormatScaledNumber(std::int64_t mantissa, int scale, int pad) {
  return csv::FormatScaledNumber(mantissa, scale, pad);
}

}  // namespace macro
