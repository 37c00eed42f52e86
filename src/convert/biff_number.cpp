#include "convert/biff_number.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "fw/oledate.h"

namespace convert {
namespace {

bool IsDateBuiltin(std::int32_t f) {
  return (f >= 14 && f <= 17) || f == 21 || f == 22 || f == 30 || f == 31 || (f >= 55 && f <= 58);
}
bool IsTimeBuiltin(std::int32_t f) { return f == 18 || f == 20; }
bool IsPercentBuiltin(std::int32_t f) { return f == 9 || f == 10; }
bool IsGroupedBuiltin(std::int32_t f) { return f == 3 || f == 7 || f == 8 || f == 26; }

// The decimals code of a format's decimals: 1-3 as they stand, 0, 4 for 4-98,
// else 8 (as read, trailing zeros dropped).
int DecimalsCode(std::uint8_t decimals) {
  if (decimals <= 3) return decimals;
  if (decimals <= 98) return 4;
  return 8;
}

// How a number of a format is shown.
struct Shape {
  int code = 8;          // 0-4 decimals, 8 as read
  bool grouped = false;
  bool backslash = false;
  bool noDecimalsWhole = false;  // the document's decimals setting: a whole value without decimals
};

Shape ShapeFor(std::int32_t format, const WorkbookTable& table, const BiffNumberWords& w) {
  Shape s;
  const std::uint8_t cls = table.FormatClass(format);
  s.code = DecimalsCode(table.FormatDecimals(format));
  if (w.xlsMode >= 10) {
    s.code = 8;
    return s;
  }
  s.grouped = cls == kFormatGrouped || cls == kFormatCurrency || IsGroupedBuiltin(format);
  s.backslash = cls == kFormatCurrency;
  if (cls == kFormatDate || cls == kFormatPercent || IsDateBuiltin(format) || IsTimeBuiltin(format) ||
      IsPercentBuiltin(format)) {
    s.code = 4;
  } else if (w.xlsDecimals > 0) {
    const int n = w.xlsDecimals - 1;
    s.code = n > 4 ? 4 : n;
    s.noDecimalsWhole = true;
  }
  return s;
}

std::string Group(const std::string& digits) {
  std::string out;
  const std::size_t n = digits.size();
  for (std::size_t i = 0; i < n; ++i) {
    if (i > 0 && (n - i) % 3 == 0) out.push_back(',');
    out.push_back(digits[i]);
  }
  return out;
}

// Rounds a value in ten-thousandths to the decimals of the code.
std::uint64_t RoundTo(std::uint64_t v, int code) {
  std::uint64_t unit = 1;
  switch (code) {
    case 3: unit = 10; break;
    case 2: unit = 100; break;
    case 1: unit = 1000; break;
    case 0: unit = 10000; break;
    default: return v;
  }
  return (v + unit / 2) / unit * unit;
}

// The text of a magnitude given as an integer part and four decimals.
std::string FixedText(std::uint64_t whole, std::uint32_t frac4, bool hadFraction, const Shape& s) {
  std::string digits = std::to_string(whole);
  if (s.grouped) digits = Group(digits);
  const std::size_t limit = s.grouped ? 11 : 9;
  if (!hadFraction || digits.size() >= limit) return digits;
  char buf[8];
  std::snprintf(buf, sizeof buf, ".%04u", static_cast<unsigned>(frac4 % 10000));
  std::string text = digits + buf;
  switch (s.code) {
    case 4: break;
    case 3: text.resize(text.size() - 1); break;
    case 2: text.resize(text.size() - 2); break;
    case 1: text.resize(text.size() - 3); break;
    case 0: text.resize(text.size() - 5); break;
    default:
      while (!text.empty() && text.back() == '0') text.pop_back();
      if (!text.empty() && text.back() == '.') text.pop_back();
      break;
  }
  return text;
}

BiffNumberText Finish(std::string body, bool negative, const Shape& s) {
  BiffNumberText r;
  if (negative && body != "0") body = "-" + body;
  if (s.backslash) body = "\\" + body;
  r.text = body;
  r.kind = kValueKindNumber + static_cast<std::int32_t>(r.text.size());
  return r;
}

BiffNumberText DoubleText(std::uint64_t bits, const Shape& s) {
  const bool negative = (bits >> 63) != 0;
  const int exponent = static_cast<int>((bits >> 52) & 0x7FF);
  const std::uint64_t mantissa = (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
  const int e = exponent - 1024;
  if (exponent == 0) return Finish("0", false, s);  // zero (and values too small to show)
  if (e > 55) {
    BiffNumberText r;
    r.text = negative ? "-9999:ER" : "9999:ER";
    r.kind = kValueKindNumber + static_cast<std::int32_t>(r.text.size());
    return r;
  }
  const int shift = 1075 - exponent;  // value = mantissa / 2^shift
  if (e < 20) {
    std::uint64_t whole;
    std::uint64_t frac4;
    if (e < 0) {
      // Below 2: millionths, then ten-thousandths.
      const unsigned __int128 scaled = static_cast<unsigned __int128>(mantissa) * 1000000u;
      const std::uint64_t millionths = shift >= 128 ? 0 : static_cast<std::uint64_t>(scaled >> shift);
      const std::uint64_t v = (millionths + 50) / 100;
      whole = v / 10000;
      frac4 = v % 10000;
    } else {
      whole = mantissa >> shift;
      const std::uint64_t rest = mantissa & ((std::uint64_t{1} << shift) - 1);
      const unsigned __int128 scaled = static_cast<unsigned __int128>(rest) * 10000u + (std::uint64_t{1} << (shift - 1));
      frac4 = static_cast<std::uint64_t>(scaled >> shift);
      if (frac4 >= 10000) {
        ++whole;
        frac4 -= 10000;
      }
    }
    const bool hadFraction = frac4 != 0;
    std::uint64_t v = RoundTo(whole * 10000 + frac4, s.code);
    if (s.noDecimalsWhole && !hadFraction) v = whole * 10000;
    const std::uint64_t w = v / 10000;
    const std::uint32_t f = static_cast<std::uint32_t>(v % 10000);
    return Finish(FixedText(w, f, hadFraction, s), negative && v != 0, s);
  }
  std::uint64_t whole = shift > 0 ? (mantissa + (std::uint64_t{1} << (shift - 1))) >> shift : mantissa << -shift;
  if (e <= 31) return Finish(FixedText(whole, 0, false, s), negative, s);
  const char* suffix;
  if (e < 37) {
    whole /= 1000;
    suffix = ":E3";
  } else if (e < 47) {
    whole /= 1000000;
    suffix = ":E6";
  } else {
    whole /= 1000000000;
    suffix = ":E9";
  }
  return Finish(FixedText(whole, 0, false, s) + suffix, negative, s);
}

std::uint64_t BitsOf(double d) {
  std::uint64_t b;
  std::memcpy(&b, &d, sizeof b);
  return b;
}

double DoubleOf(std::uint64_t b) {
  double d;
  std::memcpy(&d, &b, sizeof d);
  return d;
}

bool IsDateFormat(std::int32_t format, const WorkbookTable& table) {
  return table.FormatClass(format) == kFormatDate || IsDateBuiltin(format);
}

// A date cell: the date text, or the number when the date type cannot hold
// the day.
BiffNumberText DateOrNumber(double value, std::int32_t format, const WorkbookTable& table,
                            const BiffNumberWords& w) {
  BiffNumberText r;
  double days = std::floor(value);
  const bool withTime = format == 22 || (table.FormatDecimals(format) > 10 && table.FormatDecimals(format) <= 98);
  if (w.date1904) days += 1462;
  const double serial = withTime ? days + (value - std::floor(value)) : days;
  if (std::isfinite(value) && FormatBiffDate(serial, withTime, r.text)) {
    r.kind = kValueKindText + static_cast<std::int32_t>(r.text.size());
    return r;
  }
  Shape s;
  s.code = 4;
  return DoubleText(BitsOf(value), s);
}

}  // namespace

bool FormatBiffDate(double serial, bool withTime, std::string& out) {
  if (!(serial > -657435.0 && serial < 2958466.0)) return false;
  if (serial == 0) {
    out = "'YY--";
    return true;
  }
  COleDateTime t(serial);
  if (t.GetStatus() != COleDateTime::valid) return false;
  const CString year = t.Format("%Y");
  const char* y = static_cast<const char*>(year);
  const std::size_t n = std::strlen(y);
  char buf[48];
  std::snprintf(buf, sizeof buf, "'%s-%02d-%02d", n >= 2 ? y + n - 2 : y, t.GetMonth(), t.GetDay());
  out = buf;
  if (withTime) {
    std::snprintf(buf, sizeof buf, " %02d:%02d", t.GetHour(), t.GetMinute());
    out += buf;
  }
  return true;
}

BiffFormatInfo ClassifyBiffFormat(const std::uint8_t* text, std::size_t length) {
  BiffFormatInfo info;
  int counter = 0;
  bool counting = true;
  int decimals = 0;
  bool y = false, d = false, m = false, h = false, s = false, percent = false, thousands = false, currency = false;
  bool inQuotes = false;
  std::size_t quoteStart = 0;
  auto fix = [&] {
    if (!counting) return;
    decimals = counter >= 2 ? counter - 2 : 0;
    counting = false;
  };
  for (std::size_t i = 0; i < length; ++i) {
    const std::uint8_t c = text[i];
    if (c == '"') {
      inQuotes = !inQuotes;
      quoteStart = i;
      continue;
    }
    if (inQuotes) {
      if (i == quoteStart + 1 && (c == '\\' || c == 0xA5 || (c == 0x81 && i + 1 < length && text[i + 1] == 0x8F)))
        currency = true;
      continue;
    }
    if (counting) {
      if (c == '0') {
        if (counter == 0) counter = 1;
        else if (counter >= 2) ++counter;
      } else if (c == '.' && counter >= 1) {
        counter = 2;
      } else if (c == '_' || c == ';' || c == '%' || c == '/' || c < 0x20) {
        fix();
      }
    }
    const std::uint8_t prev = i > 0 ? text[i - 1] : 0;
    if (c == 'y' || c == 'Y') y = true;
    if ((c == 'd' || c == 'D') && prev != 'e') d = true;
    if (c == 'm' || c == 'M') m = true;
    if (c == 'h' || c == 'H') h = true;
    if (c == 's' || c == 'S') s = true;
    if (c == '%' && !(prev >= 0xB0 && prev <= 0xBF)) percent = true;
    if (c == '#' && i + 1 < length && text[i + 1] == ',') thousands = true;
  }
  fix();
  // A format without a digit placeholder ("General", "@") shows the value as
  // read.
  info.decimals = static_cast<std::uint8_t>(counter == 0 ? 99 : decimals);
  if (m && (y || d)) {
    info.formatClass = kFormatDate;
  } else if (percent && length > 0 && text[0] == '0') {
    info.formatClass = kFormatPercent;
  } else if (thousands) {
    info.formatClass = currency ? kFormatCurrency : kFormatGrouped;
  } else {
    info.formatClass = kFormatOther;
    // A time of day: shown as the day's fraction with four decimals rather
    // than rounded to a whole day.
    if (h && (m || s) && !y && !d) info.decimals = 4;
  }
  return info;
}

void PresetBuiltinFormats(WorkbookTable& table) {
  for (std::int32_t f = 0; f < kWorkbookFormats; ++f) table.SetFormat(f, kFormatOther, 99);
  struct Row {
    std::int32_t number;
    std::uint8_t cls;
    std::uint8_t decimals;
  };
  static const Row kBuiltins[] = {
      {1, kFormatOther, 0},    {2, kFormatOther, 2},    {3, kFormatOther, 0},    {4, kFormatOther, 2},
      {5, kFormatOther, 0},    {6, kFormatOther, 0},    {7, kFormatOther, 2},    {8, kFormatOther, 2},
      {9, kFormatPercent, 0},  {10, kFormatPercent, 2}, {14, kFormatDate, 0},    {15, kFormatDate, 0},
      {16, kFormatDate, 0},    {17, kFormatDate, 0},    {18, kFormatOther, 4},   {19, kFormatOther, 4},
      {20, kFormatOther, 4},   {21, kFormatDate, 0},    {22, kFormatDate, 0},    {30, kFormatDate, 0},
      {31, kFormatDate, 0},    {37, kFormatOther, 0},   {38, kFormatOther, 0},   {39, kFormatOther, 2},
      {40, kFormatOther, 2},   {41, kFormatOther, 0},   {42, kFormatOther, 0},   {43, kFormatOther, 2},
      {44, kFormatOther, 2},   {45, kFormatOther, 4},   {46, kFormatOther, 4},   {47, kFormatOther, 4},
      {55, kFormatDate, 0},    {56, kFormatDate, 0},    {57, kFormatDate, 0},    {58, kFormatDate, 0},
  };
  for (const Row& r : kBuiltins) table.SetFormat(r.number, r.cls, r.decimals);
}

BiffNumberText RenderBiffDouble(std::uint64_t bits, std::int32_t format, const WorkbookTable& table,
                                const BiffNumberWords& words) {
  if (IsDateFormat(format, table)) return DateOrNumber(DoubleOf(bits), format, table, words);
  return DoubleText(bits, ShapeFor(format, table, words));
}

BiffNumberText RenderBiffRk(std::uint32_t rk, std::int32_t format, const WorkbookTable& table,
                            const BiffNumberWords& words) {
  const bool hundredths = (rk & 1) != 0;
  if (rk & 2) {
    const std::int64_t value = static_cast<std::int32_t>(rk) >> 2;  // 30 bits with their sign
    if (IsDateFormat(format, table))
      return DateOrNumber(hundredths ? static_cast<double>(value) / 100.0 : static_cast<double>(value), format,
                          table, words);
    const std::uint64_t magnitude = static_cast<std::uint64_t>(value < 0 ? -value : value);
    std::string text = value < 0 ? "-" : " ";
    if (hundredths) {
      char buf[8];
      std::snprintf(buf, sizeof buf, ".%02u", static_cast<unsigned>(magnitude % 100));
      text += std::to_string(magnitude / 100) + buf;
    } else {
      text += std::to_string(magnitude);
    }
    BiffNumberText r;
    r.text = text;
    r.kind = kValueKindNumber + static_cast<std::int32_t>(text.size());
    return r;
  }
  std::uint64_t bits = static_cast<std::uint64_t>(rk & 0xFFFFFFFCu) << 32;
  if (hundredths) bits = BitsOf(DoubleOf(bits) / 100.0);
  return RenderBiffDouble(bits, format, table, words);
}

}  // namespace convert
