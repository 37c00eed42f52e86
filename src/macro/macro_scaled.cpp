#include "macro/macro_scaled.h"

#include <cstdio>
#include <string>

namespace macro {

namespace {

// Scales are kept within this bound so that sums of scales stay in range.
constexpr long long kScaleBound = 100000;
constexpr int kFormatLimit = 200;

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
  const bool negative = mantissa < 0;
  // The magnitude as unsigned: INT64_MIN has no positive counterpart.
  const std::uint64_t a = negative ? 0u - static_cast<std::uint64_t>(mantissa) : static_cast<std::uint64_t>(mantissa);
  char digits[64];
  if (a <= 1000000000u) {
    std::snprintf(digits, sizeof digits, pad == 1 ? "%30u" : "%u", static_cast<unsigned>(a));
  } else {
    const unsigned hi = static_cast<unsigned>(a / 1000000000000u);
    const unsigned mid = static_cast<unsigned>(a / 1000000u % 1000000u);
    const unsigned low = static_cast<unsigned>(a % 1000000u);
    if (hi != 0) std::snprintf(digits, sizeof digits, pad == 1 ? "%18u%06u%06u" : "%u%06u%06u", hi, mid, low);
    else std::snprintf(digits, sizeof digits, pad == 1 ? "%24u%06u" : "%u%06u", mid, low);
  }
  std::string t = digits;
  if (scale == kScaleInteger) return CString(negative ? "-" + t : t);
  if (scale < 0) {
    // Trailing zeros of a negative scale ("1.5E3" prints 1500).
    const long long zeros = -static_cast<long long>(scale);
    t.append(static_cast<std::size_t>(zeros < kFormatLimit ? zeros : kFormatLimit), '0');
  } else if (scale > 0) {
    // The point goes among the digits; a padded number keeps its blanks.
    std::size_t lead = 0;
    while (lead < t.size() && t[lead] == ' ') ++lead;
    std::string body = t.substr(lead);
    const std::size_t s = static_cast<std::size_t>(scale);
    if (body.size() <= s) {
      std::string z = "0.";
      const std::size_t fill = s - body.size();
      z.append(fill < kFormatLimit ? fill : kFormatLimit, '0');
      body = z + body;
    } else {
      body.insert(body.size() - s, ".");
    }
    const std::size_t width = lead > 0 ? t.size() + 1 : 0;  // a padded number gains its point
    t = body.size() < width ? std::string(width - body.size(), ' ') + body : body;
  }
  if (negative) t.insert(0, "-");
  if (t.size() > kFormatLimit) t.resize(kFormatLimit);
  return CString(std::move(t));
}

}  // namespace macro
