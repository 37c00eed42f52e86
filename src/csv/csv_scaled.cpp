#include "csv/csv_scaled.h"

#include <cstdio>

namespace csv {
namespace {

constexpr int kFormatLimit = 200;

// a x 10^places, false when it does not fit.
bool Scale10(std::int64_t* a, int places) {
  if (*a == 0) return true;
  for (int k = 0; k < places; ++k) {
    if (__builtin_mul_overflow(*a, static_cast<std::int64_t>(10), a)) return false;
  }
  return true;
}

}  // namespace

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

void AppendScaledNumber(std::string* out, std::int64_t mantissa, int scale) {
  // The usual scales without the general routine's work; the text is the
  // one FormatScaledNumber gives (pad 0).
  if (scale < 0 || scale > 100) {
    out->append(FormatScaledNumber(mantissa, scale, 0).Str());
    return;
  }
  const bool negative = mantissa < 0;
  std::uint64_t a = negative ? 0u - static_cast<std::uint64_t>(mantissa) : static_cast<std::uint64_t>(mantissa);
  char digits[24];
  char* e = digits + sizeof digits;
  char* p = e;
  do {
    *--p = static_cast<char>('0' + a % 10);
    a /= 10;
  } while (a);
  const std::size_t len = static_cast<std::size_t>(e - p);
  const std::size_t places = static_cast<std::size_t>(scale);
  if (negative) out->push_back('-');
  if (places == 0) {
    out->append(p, len);
  } else if (len <= places) {
    out->append("0.");
    out->append(places - len, '0');
    out->append(p, len);
  } else {
    out->append(p, len - places);
    out->push_back('.');
    out->append(p + len - places, places);
  }
}

bool ScaledSum::Add(std::int64_t v, int s) {
  if (overflow) return false;
  if (s < 0) s = 0;
  std::int64_t a = value, b = v;
  int to = scale;
  if (s > scale) {
    if (!Scale10(&a, s - scale)) return overflow = true, false;
    to = s;
  } else if (s < scale) {
    if (!Scale10(&b, scale - s)) return overflow = true, false;
  }
  std::int64_t r = 0;
  if (__builtin_add_overflow(a, b, &r)) return overflow = true, false;
  value = r;
  scale = to;
  return true;
}

std::string ScaledSumText(const ScaledSum& sum) {
  std::string s;
  AppendScaledSum(&s, sum);
  return s;
}

void AppendScaledSum(std::string* out, const ScaledSum& sum) {
  if (sum.overflow) out->append(kOverflowText);
  else AppendScaledNumber(out, sum.value, sum.scale);
}

}  // namespace csv
