#include "convert/xlsx_values.h"

#include <cstdio>

#include "fw/oledate.h"

namespace convert {
namespace {

// Digits kept from a value text, and the largest shift of its point: a cell
// shows at most 255 characters, so longer numbers are nonsense anyway and
// stay bounded.
constexpr std::size_t kMaxDigits = 400;
constexpr int kMaxShift = 400;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A value text as its significant digits and the place of its point: the
// value is 0.<digits> * 10^point, read from the text up to '<'.
struct Digits {
  bool negative = false;
  bool exponent = false;  // the text carried an exponent
  std::string ds;         // significant digits, no leading zeros; empty for 0
  int point = 0;          // digits before the point
};

Digits ReadDigits(const char* v, std::size_t n) {
  Digits d;
  std::size_t i = 0;
  while (i < n && v[i] == ' ') ++i;
  if (i < n && (v[i] == '-' || v[i] == '+')) d.negative = v[i++] == '-';
  bool afterPoint = false;
  long point = 0;
  for (; i < n && v[i] != '<'; ++i) {
    const char c = v[i];
    if (c == '.') {
      if (afterPoint) break;
      afterPoint = true;
    } else if (c == ',') {
      continue;
    } else if (IsDigit(c)) {
      if (d.ds.empty() && c == '0') {
        if (afterPoint) --point;  // a leading zero after the point moves it
        continue;
      }
      if (d.ds.size() < kMaxDigits) d.ds.push_back(c);
      if (!afterPoint && point < 100000) ++point;
    } else {
      break;
    }
  }
  // An exponent: "E" (or "e"), an optional sign and its digits.
  if (i < n && (v[i] == 'E' || v[i] == 'e')) {
    std::size_t j = i + 1;
    bool neg = false;
    if (j < n && (v[j] == '+' || v[j] == '-')) neg = v[j++] == '-';
    long e = 0;
    bool any = false;
    for (; j < n && IsDigit(v[j]); ++j) {
      any = true;
      if (e < 100000) e = e * 10 + (v[j] - '0');
    }
    if (any) {
      d.exponent = true;
      point += neg ? -e : e;
    }
  }
  if (d.ds.empty()) {
    d.point = 0;
    d.negative = false;
    return d;
  }
  if (point > kMaxShift) point = kMaxShift;
  if (point < -kMaxShift) point = -kMaxShift;
  d.point = static_cast<int>(point);
  return d;
}

char DigitAt(const std::string& s, std::size_t i) { return i < s.size() ? s[i] : '0'; }

// Keeps the first `keep` digits of `s` (padded with '0'), rounded at the
// last: the next digit 5-9 rounds up, and so does a 4 followed by two 9s.
// True when the carry ran out of the first digit (a "1" then leads).
bool KeepRounded(const std::string& s, std::size_t keep, std::string& out) {
  out.clear();
  for (std::size_t i = 0; i < keep; ++i) out.push_back(DigitAt(s, i));
  const char next = DigitAt(s, keep);
  const bool up = next >= '5' || (next == '4' && DigitAt(s, keep + 1) == '9' && DigitAt(s, keep + 2) == '9');
  if (!up) return false;
  for (std::size_t i = out.size(); i-- > 0;) {
    if (out[i] != '9') {
      ++out[i];
      return false;
    }
    out[i] = '0';
  }
  out.insert(out.begin(), '1');
  return true;
}

std::string Grouped(const std::string& integer) {
  std::string out;
  const std::size_t n = integer.size();
  for (std::size_t i = 0; i < n; ++i) {
    if (i > 0 && (n - i) % 3 == 0) out.push_back(',');
    out.push_back(integer[i]);
  }
  return out;
}

// Fixed-point digits: the integer part and `places` decimals, rounded.
void FixedDigits(const Digits& d, int places, std::string& integer, std::string& fraction) {
  std::string ds = d.ds;
  int point = d.point;
  if (ds.empty()) {
    integer = "0";
    fraction.assign(static_cast<std::size_t>(places), '0');
    return;
  }
  if (point <= 0) {  // 0.00ddd: lead with zeros so the point has one digit before it
    ds.insert(0, static_cast<std::size_t>(1 - point), '0');
    point = 1;
  }
  std::string kept;
  if (KeepRounded(ds, static_cast<std::size_t>(point + places), kept)) ++point;
  integer = kept.substr(0, static_cast<std::size_t>(point));
  fraction = kept.substr(static_cast<std::size_t>(point));
  const std::size_t nz = integer.find_first_not_of('0');
  integer = nz == std::string::npos ? "0" : integer.substr(nz);
}

std::string Scientific(const Digits& d, int places) {
  std::string mantissa;
  int exponent = 0;
  if (d.ds.empty()) {
    mantissa.assign(static_cast<std::size_t>(places) + 1, '0');
  } else {
    exponent = d.point - 1;
    if (KeepRounded(d.ds, static_cast<std::size_t>(places) + 1, mantissa)) {
      mantissa.pop_back();  // 9.99 -> 10.0: one digit less, exponent up
      ++exponent;
    }
  }
  std::string out(1, mantissa[0]);
  if (places > 0) out += "." + mantissa.substr(1);
  char e[16];
  std::snprintf(e, sizeof e, "E%c%02d", exponent < 0 ? '-' : '+', exponent < 0 ? -exponent : exponent);
  return out + e;
}

struct KindSetting {
  int first, last;
  bool grouping;
  int v;  // -1: the class's
  const char* prefix;
};

// The number kinds (any kind not listed: no grouping, the class's v).
const KindSetting kKindSettings[] = {
    {0, 0, false, 4, ""},     {1, 1, false, 0, ""},     {12, 12, false, 3, ""},  {13, 13, false, 4, ""},
    {2, 2, false, 3, ""},     {3, 3, true, 0, ""},      {4, 4, true, 3, ""},     {9, 9, false, -1, ""},
    {11, 11, false, -1, ""},  {37, 38, true, 0, ""},    {39, 40, true, 3, ""},   {41, 42, true, 0, "\\"},
    {43, 44, true, 3, "\\"},  {51, 52, true, 0, "$"},   {53, 54, true, 3, "$"},  {548, 548, true, -1, "\\"},
    {549, 549, true, -1, ""}, {550, 550, true, -1, "$"}, {551, 551, true, -1, "E"},
};

const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

}  // namespace

XlsxFormat SplitFormatClass(std::int32_t formatClass) {
  XlsxFormat f;
  if (formatClass < 0) formatClass = 0;
  f.kind = formatClass / 1000;
  f.decimals = formatClass > 1000 ? formatClass % 1000 : -1;
  if (f.kind == 10) {
    f.kind = 9;
    f.decimals = 3;
  } else if (f.kind == 48) {
    f.kind = 11;
    f.decimals = 2;
  }
  return f;
}

std::int32_t CellFormatClass(std::int32_t numFmtId, std::int32_t idClass) {
  std::int32_t c = idClass;
  if (c == 0 && numFmtId > 0 && numFmtId < 900) c = numFmtId * 1000;
  if (numFmtId == 11) c += 3;
  return c;
}

bool IsXlsxDateKind(int kind) {
  return (kind >= 14 && kind <= 33) || (kind >= 45 && kind <= 47) || (kind >= 55 && kind <= 58) ||
         (kind >= 552 && kind <= 598);
}

std::string FormatXlsxNumber(const char* value, std::size_t length, int kind, int v, const XlsxNumberWords& words) {
  Digits d = ReadDigits(value, length);
  bool grouping = false;
  int kindV = -1;
  const char* prefix = "";
  for (const KindSetting& s : kKindSettings) {
    if (kind < s.first || kind > s.last) continue;
    grouping = s.grouping;
    kindV = s.v;
    prefix = s.prefix;
    break;
  }
  // The class's decimals replace the kind's where it has them.
  int dv = kindV;
  if (kindV < 0) dv = v < 0 ? 0 : v;
  else if (v > 0) dv = v;
  if (words.fixedDecimals != 0 && dv > 0) dv = words.fixedDecimals;
  if (dv < 0) dv = 0;
  if (dv > 100) dv = 100;
  const int places = dv > 1 ? dv - 1 : 0;

  std::string text;
  if (kind == 11) {
    text = Scientific(d, places);
  } else {
    if (kind == 9 && !d.ds.empty()) d.point += 2;
    std::string integer, fraction;
    FixedDigits(d, places, integer, fraction);
    if (grouping && integer.size() >= 4 && words.groupSwitch < 10) integer = Grouped(integer);
    text = integer;
    if (!fraction.empty()) text += "." + fraction;
    // General drops the zeros its three decimals added.
    if (kind == 0 && words.fixedDecimals == 0 && !d.exponent && !fraction.empty()) {
      while (text.back() == '0') text.pop_back();
      if (text.back() == '.') text.pop_back();
    }
    if (kind == 9) text += "%";
  }
  return std::string(d.negative ? "-" : "") + prefix + text;
}

XlsxEra EraOf(std::int64_t serial, int year) {
  if (serial >= 43586) return {"R", "令和", year - 2018};
  if (serial >= 32516) return {"H", "平成", year - 1988};
  if (serial >= 9856) return {"S", "昭和", year - 1925};
  if (serial >= 4595) return {"T", "大正", year - 1911};
  if (year > 1900) return {"M", "明治", year - 1867};
  return {"X", "XXXX", 99};
}

bool FormatXlsxDate(const char* value, std::size_t length, int kind, bool date1904, std::string& out) {
  std::size_t i = 0;
  while (i < length && value[i] == ' ') ++i;
  bool negative = false;
  if (i < length && (value[i] == '-' || value[i] == '+')) negative = value[i++] == '-';
  // The day serial: a date holds at most 2,958,465 days, so eight digits
  // tell; more is beyond the date type.
  std::int64_t serial = 0;
  int digits = 0;
  for (; i < length && IsDigit(value[i]); ++i) {
    if (serial == 0 && value[i] == '0') continue;
    if (++digits > 8) return false;
    serial = serial * 10 + (value[i] - '0');
  }
  double fraction = 0;
  if (i < length && value[i] == '.') {
    double scale = 0.1;
    for (++i; i < length && IsDigit(value[i]); ++i) {
      if (scale > 1e-16) fraction += (value[i] - '0') * scale;
      scale /= 10;
    }
  }
  if (i < length && (value[i] == 'E' || value[i] == 'e')) return false;  // not a plain serial
  if (negative) {
    serial = 0;
    fraction = 0;
  }
  if (date1904) serial += 1462;
  const COleDateTime t(static_cast<double>(serial) + fraction);
  if (t.GetStatus() != COleDateTime::valid) return false;
  const int year = t.GetYear(), month = t.GetMonth(), day = t.GetDay();
  int hour = t.GetHour(), minute = t.GetMinute();
  const int second = t.GetSecond();
  if (year < 0 || month < 1 || month > 12) return false;
  if ((kind == 18 || kind == 20 || kind == 32) && second >= 30 && ++minute == 60) {
    minute = 0;
    ++hour;
  }
  const int hour12 = hour >= 12 ? hour - 12 : hour;
  const int h12 = hour12 == 0 ? 12 : hour12;
  const char* ampm = hour >= 12 ? "PM" : "AM";
  const char* mon = kMonths[month - 1];
  const int yy = year % 100;
  const XlsxEra era = EraOf(serial, year);
  char b[96];
  switch (kind) {
    case 14: std::snprintf(b, sizeof b, "%d/%d/%d", year, month, day); break;
    case 15: std::snprintf(b, sizeof b, "%d/%s/%d", day, mon, yy); break;
    case 16: std::snprintf(b, sizeof b, "%d-%s", day, mon); break;
    case 17: std::snprintf(b, sizeof b, "%s-%d", mon, yy); break;
    case 18: std::snprintf(b, sizeof b, "%d:%02d %s", h12, minute, ampm); break;
    case 19: std::snprintf(b, sizeof b, "%d:%02d:%02d %s", h12, minute, second, ampm); break;
    case 20: std::snprintf(b, sizeof b, "%d:%02d", hour, minute); break;
    case 21:
    case 46:
    case 557: std::snprintf(b, sizeof b, "%d:%02d:%02d", hour, minute, second); break;
    case 22: std::snprintf(b, sizeof b, "%d/%d/%d %d:%02d", year, month, day, hour, minute); break;
    case 23: std::snprintf(b, sizeof b, "%dh%02dm%02ds", hour, minute, second); break;
    case 30: std::snprintf(b, sizeof b, "%d/%02d/%02d", month, day, yy); break;
    case 31: std::snprintf(b, sizeof b, "%d年%d月%d日", year, month, day); break;
    case 32: std::snprintf(b, sizeof b, "%d時%02d分", hour, minute); break;
    case 33: std::snprintf(b, sizeof b, "%d時%02d分%02d秒", hour, minute, second); break;
    case 45: std::snprintf(b, sizeof b, "%02d:%02d", minute, second); break;
    case 47: std::snprintf(b, sizeof b, "%02d:%02d:0", minute, second); break;
    case 55:
    case 555: std::snprintf(b, sizeof b, "%d年%d月", year, month); break;
    case 56: std::snprintf(b, sizeof b, "%d月%d日", month, day); break;
    case 57: std::snprintf(b, sizeof b, "%s%d.%d.%d", era.letter, era.year, month, day); break;
    case 58: std::snprintf(b, sizeof b, "%s%d年%d月%d日", era.name, era.year, month, day); break;
    case 552: std::snprintf(b, sizeof b, "%d/%d", month, year); break;
    case 553: std::snprintf(b, sizeof b, "%d/%d", year, month); break;
    case 554: std::snprintf(b, sizeof b, "%d/%d", month, day); break;
    case 556: std::snprintf(b, sizeof b, "%d/%02d/'%d", month, day, yy); break;
    case 558: std::snprintf(b, sizeof b, "%d年%d月%d日 %d時%02d分", year, month, day, hour, minute); break;
    case 559: std::snprintf(b, sizeof b, "%d/%02d/%02d %d:%02d %s", year, month, day, h12, minute, ampm); break;
    case 560: std::snprintf(b, sizeof b, "%d:%02d:%02d %s", h12, minute, second, ampm); break;
    default: std::snprintf(b, sizeof b, "%d/%d/%d", year, month, day); break;
  }
  out = b;
  return true;
}

}  // namespace convert
