// Reading the number family's numbers and writing its floating results.
#include "macro/macro_fn_numread.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "csv/csv_cellbreaks.h"
#include "macro/macro_fn_common.h"

namespace macro {
namespace {

constexpr std::uint64_t kMagnitudeMax = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
constexpr int kFractionDigits = 12;   // significant digits of the field's fraction
constexpr int kOperandFraction = 10;  // ... of the second operand's
constexpr long long kExponentBound = 400;

bool IsDigit(std::uint8_t c) { return c >= '0' && c <= '9'; }

int HexDigit(std::uint8_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// magnitude * base + digit, staying at the 64-bit range once it is reached.
std::uint64_t Accumulate(std::uint64_t m, unsigned base, unsigned digit) {
  if (m > (kMagnitudeMax - digit) / base) return kMagnitudeMax;
  return m * base + digit;
}

// The value of "<integer>.<fraction>" times 10^exponent, rounded once.
double DecimalValue(std::uint64_t integer, const std::string& fraction, long long exponent) {
  const bool zero = integer == 0 && fraction.find_first_not_of('0') == std::string::npos;
  if (zero) return 0.0;
  if (exponent > kExponentBound) return std::numeric_limits<double>::infinity();
  if (exponent < -kExponentBound) return 0.0;
  std::string text = std::to_string(integer);
  if (!fraction.empty()) text += "." + fraction;
  text += "e" + std::to_string(exponent);
  double v = 0;
  const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
  if (r.ec == std::errc::result_out_of_range) return exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  return v;
}

// An exponent at bytes[*i] ('E' or 'e', an optional sign, digits); false,
// with *i unchanged, when no digit follows.
bool ReadExponent(const std::uint8_t* b, std::uint32_t n, std::uint32_t* i, long long* exponent) {
  std::uint32_t p = *i;
  if (p >= n || (b[p] != 'E' && b[p] != 'e')) return false;
  ++p;
  bool minus = false;
  if (p < n && (b[p] == '+' || b[p] == '-')) minus = b[p++] == '-';
  if (p >= n || !IsDigit(b[p])) return false;
  long long e = 0;
  for (; p < n && IsDigit(b[p]); ++p)
    if (e <= kExponentBound) e = e * 10 + (b[p] - '0');
  *exponent = minus ? -e : e;
  *i = p;
  return true;
}

}  // namespace

FieldNumber ReadFieldNumber(const std::uint8_t* bytes, std::uint32_t length, NumberReadMode mode) {
  FieldNumber f;
  if (bytes == nullptr) length = 0;
  const std::string kinds = SjisByteKinds(std::string(reinterpret_cast<const char*>(bytes ? bytes : reinterpret_cast<const std::uint8_t*>("")), length));
  std::uint32_t i = 0;
  if (i < length && bytes[i] == '"') {
    f.quoted = true;
    ++i;
  }
  const bool prefix = i + 1 < length && bytes[i] == '0' && (bytes[i + 1] == 'x' || bytes[i + 1] == 'X');
  if (prefix || mode == NumberReadMode::kHex) {
    if (prefix) i += 2;
    for (; i < length; ++i) {
      const int d = HexDigit(bytes[i]);
      if (d < 0) break;
      f.magnitude = Accumulate(f.magnitude, 16, static_cast<unsigned>(d));
      if (d) f.nonZero = true;
    }
    f.value = static_cast<double>(f.magnitude);
    return f;
  }
  const bool floating = mode == NumberReadMode::kFloating;
  bool digit = false, point = false;
  long long exponent = 0;
  for (; i < length; ++i) {
    const std::uint8_t c = bytes[i];
    if (kinds[i] != 0) continue;  // a double-byte character is no digit
    if (IsDigit(c)) {
      digit = true;
      f.magnitude = Accumulate(f.magnitude, 10, c - '0');
      if (c != '0') f.nonZero = true;
    } else if (c == '-' && !digit) {
      f.negative = true;
    } else if (c == '.') {
      point = true;
      ++i;
      break;
    } else if (floating && digit && ReadExponent(bytes, length, &i, &exponent)) {
      break;
    }
  }
  std::string fraction;
  if (point) {
    for (; i < length && IsDigit(bytes[i]); ++i) {
      if (bytes[i] != '0') f.nonZero = true;
      if (static_cast<int>(fraction.size()) < kFractionDigits) fraction += static_cast<char>(bytes[i]);
    }
    if (floating) ReadExponent(bytes, length, &i, &exponent);
  }
  if (floating) {
    f.value = DecimalValue(f.magnitude, fraction, exponent);
    if (f.negative) f.value = -f.value;
  } else {
    f.value = static_cast<double>(f.Signed());
  }
  return f;
}

double ReadSecondOperand(const CString& text, bool fraction) {
  const std::string& s = text.Str();
  std::size_t i = 0;
  const bool minus = i < s.size() && s[i] == '-';
  if (minus) ++i;
  std::uint64_t m = 0;
  for (; i < s.size() && IsDigit(static_cast<std::uint8_t>(s[i])); ++i) m = Accumulate(m, 10, s[i] - '0');
  std::string digits;
  if (fraction && i < s.size() && s[i] == '.') {
    for (++i; i < s.size() && IsDigit(static_cast<std::uint8_t>(s[i])); ++i)
      if (static_cast<int>(digits.size()) < kOperandFraction) digits += s[i];
  }
  const double v = DecimalValue(m, digits, 0);
  return minus ? -v : v;
}

std::int64_t ReadSecondInteger(const CString& text) {
  const std::string& s = text.Str();
  std::size_t i = 0;
  const bool minus = i < s.size() && s[i] == '-';
  if (minus) ++i;
  std::uint64_t m = 0;
  for (; i < s.size() && IsDigit(static_cast<std::uint8_t>(s[i])); ++i) m = Accumulate(m, 10, s[i] - '0');
  return minus ? -static_cast<std::int64_t>(m) : static_cast<std::int64_t>(m);
}

int DecimalsOf(int param) {
  if (param < 0) return 6;
  return param > kMaxDecimals ? kMaxDecimals : param;
}

std::string FormatFixed(double value, int decimals) {
  // 309 integer digits, the point, the decimals and a sign.
  char buf[320 + kMaxDecimals];
  const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, DecimalsOf(decimals));
  return r.ec == std::errc() ? std::string(buf, r.ptr) : std::string(kNumberFailText);
}

std::string FormatExponent(double value, int decimals) {
  char buf[32 + kMaxDecimals];
  const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, DecimalsOf(decimals));
  if (r.ec != std::errc()) return kNumberFailText;
  std::string s(buf, r.ptr);
  const std::size_t e = s.find('e');
  if (e == std::string::npos || e + 2 > s.size()) return s;
  // The exponent as three digits, then "e+0" -> "E+" and "e-0" -> "E-".
  std::string digits = s.substr(e + 2);
  if (digits.size() < 3) digits.insert(0, 3 - digits.size(), '0');
  if (digits[0] == '0') return s.substr(0, e) + "E" + s[e + 1] + digits.substr(1);
  return s.substr(0, e + 2) + digits;
}

void MakeCellSafe(std::string* bytes) {
  for (char& c : *bytes) {
    if (c == 0 || c == 0x06) c = ' ';
    else if (c == '\r') c = static_cast<char>(csv::kCellCr);
    else if (c == '\n') c = static_cast<char>(csv::kCellLf);
  }
}

}  // namespace macro
