// Date functions of the built-in library: a date read from a field (era
// letters, groups of one or two digits, a kanji unit between groups) written
// as a day or month serial, in another layout, as a weekday or month name, or
// moved by months or days. Serials count days from 1899-12-31 (1900-01-01 is
// 1) and months from January 1900 (0).
#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <string>

#include "core/docsvc/sjis_state.h"
#include "fw/civil.h"
#include "fw/oledate.h"
#include "macro/macro_fn_common.h"

namespace macro {
namespace {

constexpr const char* kError = "EROR";
constexpr int kPrefixMax = 199;        // bytes of text before the number that are copied
constexpr int kSerialWindow = 50;      // two-digit years below it are in the 2000s
constexpr int kMonthWindow = 45;       // the same for the month serial and the weekday
constexpr int kMinYear = 100;          // the date type's range
constexpr int kMaxYear = 9999;
constexpr std::int64_t kNumberCap = 1000000000000LL;

const char* const kMonthKanji[12] = {"睦月", "如月", "弥生", "卯月", "皐月", "水無月",
                                     "文月", "葉月", "長月", "神無月", "霜月", "師走"};
const char* const kMonthKana[12] = {"むつき", "きさらぎ", "やよい", "うづき", "さつき", "みなづき",
                                    "ふみづき", "はづき", "ながつき", "かんなづき", "しもつき", "しはす"};
// The tenth name is spelt as users' reports have always had it.
const char* const kMonthEnglish[12] = {"January", "February", "March",   "April",   "May",      "June",
                                       "July",    "August",   "September", "Octover", "November", "December"};
const char* const kMonthAbbrev[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const kWeekAbbrev[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kWeekEnglish[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
const char* const kWeekKanji[7] = {"日", "月", "火", "水", "木", "金", "土"};

bool IsDigit(std::uint8_t b) { return b >= '0' && b <= '9'; }

using Inner = UnquotedField;

struct Date {
  bool found = false;     // digits were read
  bool century = false;   // the century was written (four digits or an era)
  bool hasMonth = false, hasDay = false;
  int c = 0, y = 0, m = 0, d = 0;
  std::string prefix;     // the text before the number, as copied

  int Month() const { return hasMonth ? m : 1; }
  int Day() const { return hasDay ? d : 1; }
  // The full year; a two-digit year below `window` is in the 2000s.
  int Year(int window) const { return century ? c * 100 + y : (y < window ? 2000 + y : 1900 + y); }
};

// Reads the date of `in`: the text before the number, an era letter just
// before it, and up to four groups of one or two digits.
Date ReadDate(const Inner& in) {
  Date dt;
  std::uint32_t i = 0;
  int last = -1;  // the single byte just before the first digit (-1: none)
  bool lastCopied = false;
  while (i < in.n) {
    const std::uint8_t c = in.b[i];
    if (c < 32 || IsDigit(c)) break;
    const std::uint32_t len = in.CharLen(i);
    last = len == 1 ? c : -1;
    lastCopied = false;
    if (c != '-' && dt.prefix.size() + len <= kPrefixMax) {
      dt.prefix.append(reinterpret_cast<const char*>(in.b + i), len);
      lastCopied = len == 1;
    }
    i += len;
  }
  if (i >= in.n || !IsDigit(in.b[i])) return dt;
  int era = 0;
  if (last == 'M' || last == 'T' || last == 'S' || last == 'H' || last == 'R' || last == '\'') {
    era = last;
    if (lastCopied) dt.prefix.pop_back();
  }
  std::uint32_t run = i;
  while (run < in.n && IsDigit(in.b[run])) ++run;
  const bool fourDigits = run - i == 4;
  int g[4] = {0, 0, 0, 0};
  int groups = 0;
  while (groups < 4 && i < in.n && IsDigit(in.b[i])) {
    int v = in.b[i++] - '0';
    if (i < in.n && IsDigit(in.b[i])) v = v * 10 + (in.b[i++] - '0');
    g[groups++] = v;
    if (groups == 4 || i >= in.n || IsDigit(in.b[i])) continue;
    // One separator between groups: a byte, or a double-byte unit.
    const std::uint8_t c = in.b[i];
    if (c < 32 || (c == ' ' && groups == 3)) break;
    i += in.CharLen(i);
  }
  dt.found = true;
  if (groups == 4) {
    dt.century = true;
    dt.c = g[0], dt.y = g[1], dt.m = g[2], dt.d = g[3];
    dt.hasMonth = dt.hasDay = true;
  } else if (fourDigits && groups >= 2 && (g[0] == 19 || g[0] == 20)) {
    dt.century = true;
    dt.c = g[0], dt.y = g[1], dt.m = groups == 3 ? g[2] : 0;
    dt.hasMonth = groups == 3;
  } else {
    dt.y = g[0];
    dt.m = groups >= 2 ? g[1] : 0;
    dt.d = groups >= 3 ? g[2] : 0;
    dt.hasMonth = groups >= 2;
    dt.hasDay = groups >= 3;
    switch (era) {
      case 'M': dt.century = true, dt.c = 18, dt.y += 67; break;
      case 'T': dt.century = true, dt.c = 19, dt.y += 11; break;
      case 'S': dt.century = true, dt.c = 19, dt.y += 25; break;
      case 'H': dt.century = true, dt.c = 19, dt.y += 88; break;
      case 'R': dt.century = true, dt.c = 20, dt.y += 18; break;
      default: break;
    }
    // An era year past the century's end moves into the next one.
    if (dt.y > 99) {
      dt.c += dt.y / 100;
      dt.y %= 100;
    }
  }
  return dt;
}

// All the digits of `in` as one number (at most kNumberCap).
std::int64_t ReadDigits(const Inner& in, bool* any) {
  std::int64_t n = 0;
  *any = false;
  for (std::uint32_t i = 0; i < in.n; i += in.CharLen(i)) {
    if (!IsDigit(in.b[i]) || in.CharLen(i) != 1) continue;
    *any = true;
    n = std::min(kNumberCap, n * 10 + (in.b[i] - '0'));
  }
  return n;
}

std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* fmt, ...) {
  char buf[160];
  va_list ap;
  va_start(ap, fmt);
  const int n = std::vsnprintf(buf, sizeof buf, fmt, ap);
  va_end(ap);
  return std::string(buf, n < 0 ? 0 : std::min<int>(n, sizeof buf - 1));
}

const char* Abbrev(int m) { return m >= 1 && m <= 12 ? kMonthAbbrev[m - 1] : ""; }

// The layouts of a date with its day (TDF, TND, TAD, TSD).
std::string DayLayout(int style, int c, int y, int m, int d, bool hasDay) {
  switch (style) {
    case 12:
      return hasDay ? Format("%s.%d %02d%02d", Abbrev(m), d, c, y) : Format("%s. %02d%02d", Abbrev(m), c, y);
    case 11:
      return hasDay ? Format("%s.%d '%02d", Abbrev(m), d, y) : Format("%s. '%02d", Abbrev(m), y);
    case 10: return Format("%02d%02d/%02d/%02d", c, y, m, d);
    case 9: return Format("%02d/%02d/%02d", y, m, d);
    case 8: return Format("%02d%02d%02d%02d", c, y, m, d);
    default: return Format("%02d%02d%02d", y, m, d);
  }
}

// The layouts of a year and month (TMD and the month functions).
std::string MonthLayout(int style, int c, int y, int m, int d, bool hasDay) {
  switch (style) {
    case 12:
    case 11:
    case 10:
    case 8: return DayLayout(style, c, y, m, d, hasDay);
    case 9: return Format("%02d%02d", y, m);
    case 7: return Format("%02d%02d/%02d", c, y, m);
    case 6: return Format("%02d%02d%02d", c, y, m);
    case 5: return Format("%02d/%02d", y, m);
    default: return Format("%02d%02d", y, m);
  }
}

bool InRange(int year) { return year >= kMinYear && year <= kMaxYear; }

// Day serial of a date: days since 1899-12-31 (month 1-12; the day counts
// on linearly, so day 0 is the month's eve).
std::int64_t DaySerial(int year, int month, int day) {
  return fw::DaysFromCivil(year, month, 1) + (day - 1) - fw::DaysFromCivil(1899, 12, 31);
}

struct Civil {
  int year = 0, month = 0, day = 0, weekday = 0, yearDay = 0;
};

Civil FromSerial(std::int64_t serial) {
  Civil c;
  fw::CivilFromDays(serial + fw::DaysFromCivil(1899, 12, 31), c.year, c.month, c.day, c.weekday, c.yearDay);
  return c;
}

// The style after ':' in the function text ("TAM3:8"), 0 without one.
int TailStyle(const BuiltinArgs& a) {
  const std::string tail = FunctionTail(a.strFuncText, ':');
  int v = 0;
  for (std::size_t k = 0; k < tail.size() && k < 4 && IsDigit(static_cast<std::uint8_t>(tail[k])); ++k)
    v = v * 10 + (tail[k] - '0');
  return v;
}


std::string Weekday(const Date& dt, int style) {
  int w = 0, yearDay = 0, week = 0;
  if (dt.hasMonth) {
    const int year = dt.Year(kMonthWindow);
    COleDateTime date;
    if (date.SetDateTime(year, dt.m, dt.Day(), 0, 0, 0) != 0) return kError;
    w = date.GetDayOfWeek();
    yearDay = date.GetDayOfYear();
    COleDateTime first;
    first.SetDateTime(year, 1, 1, 0, 0, 0);
    week = (yearDay - 1 + first.GetDayOfWeek() - 1) / 7 + 1;
  } else {
    if (dt.y <= 0 || style == 8 || style == 9) return kError;
    w = (dt.y - 1) % 7 + 1;
  }
  switch (style) {
    case 0: return Format("%d", w);
    case 1: return Format("%d", (w + 5) % 7 + 1);
    case 2: return kWeekKanji[w - 1];
    case 3: return kWeekAbbrev[w - 1];
    case 4: return std::string(kWeekKanji[w - 1]) + "曜";
    case 6: return kWeekEnglish[w - 1];
    case 8: return Format("%d", yearDay);
    case 9: return Format("%d", week);
    default: return std::string();
  }
}

// Codes 7, 8, 70, 72-75, 90-94 and 104: a date read from the field.
void DateFunction(BuiltinScope& scope, BuiltinArgs& a) {
  const FunctionField f = MacroReadFunctionField(scope, a);
  const Inner in = SplitFieldQuotes(f);
  if (f.Length() == 0) return MacroFinishFunctionField(scope, a, f);
  const Date dt = ReadDate(in);
  if (a.nCode == 94 && dt.hasMonth && dt.m >= 1 && dt.m <= 12 && dt.Day() >= 1 &&
      dt.Day() <= fw::DaysInMonth(dt.Year(kSerialWindow), dt.m)) {
    PutWhole(a, f.Text());
    return MacroFinishFunctionField(scope, a, f);
  }
  std::string text = dt.prefix;
  if (!dt.found) {
    if (a.nCode == 90 || a.nCode == 94) text += kError;
    return FinishUnquoted(scope, a, f, in, text);
  }
  const int style = *a.pnParam;
  const int year = dt.Year(kSerialWindow);
  // A date without a month is in January (and without a day on the 1st).
  const int mon = dt.Month();
  const bool month = mon >= 1 && mon <= 12;
  switch (a.nCode) {
    case 7:  // TDF
      text += DayLayout(style, year / 100, year % 100, mon, dt.Day(), dt.hasDay);
      break;
    case 8:  // TDN
      text += month ? Format("%06d", static_cast<int>(DaySerial(year, mon, dt.Day()))) : kError;
      break;
    case 70: {  // TDM
      if (style >= 3 && !dt.hasMonth && dt.y > 0) {
        const int k = (dt.y - 1) % 12;
        const std::string english = kMonthEnglish[k];
        text += style == 4 ? kMonthKanji[k] : style == 6 ? kMonthKana[k] : style == 3 ? english.substr(0, 3) : english;
        *a.pnParam = 0;
      } else {
        text += Format("%04d", (dt.Year(kMonthWindow) - 1900) * 12 + dt.Month() - 1);
      }
      break;
    }
    case 72:  // TAM
    case 73:  // TSM
    case 74:  // TEM
    case 75: {  // TBM
      if (!month || dt.Day() < 1 || !InRange(year)) {
        text += kError;
        break;
      }
      std::int64_t n = 0;
      int layout = style;
      if (a.nCode <= 73) {
        n = a.nCode == 72 ? static_cast<std::int64_t>(*a.pnParam) : -static_cast<std::int64_t>(*a.pnParam);
        layout = TailStyle(a);
      }
      const std::int64_t total = static_cast<std::int64_t>(year) * 12 + (mon - 1) + n;
      const std::int64_t ny = total >= 0 ? total / 12 : -((-total + 11) / 12);
      if (ny < kMinYear || ny > kMaxYear) {
        text += kError;
        break;
      }
      const int nm = static_cast<int>(total - ny * 12) + 1;
      const int last = fw::DaysInMonth(static_cast<int>(ny), nm);
      int day = a.nCode == 74 ? last : a.nCode == 75 ? 1 : std::min(dt.Day(), last);
      const bool hasDay = a.nCode >= 74 || dt.hasDay;
      text += MonthLayout(layout, static_cast<int>(ny / 100), static_cast<int>(ny % 100), nm, day, hasDay);
      break;
    }
    case 90:  // TDW
      text += Weekday(dt, style);
      break;
    case 91:  // TBN
      text += month && InRange(year) ? Format("%d", fw::DaysInMonth(year, mon)) : kError;
      break;
    case 92:    // TAD
    case 93: {  // TSD
      if (!month || dt.Day() < 1 || !InRange(year)) {
        text += kError;
        break;
      }
      const std::int64_t n = a.nCode == 92 ? static_cast<std::int64_t>(*a.pnParam) : -static_cast<std::int64_t>(*a.pnParam);
      const std::int64_t serial = DaySerial(year, mon, dt.Day()) + n;
      const Civil c = FromSerial(serial);
      if (!InRange(c.year) || serial < DaySerial(kMinYear, 1, 1)) {
        text += kError;
        break;
      }
      text += DayLayout(TailStyle(a), c.year / 100, c.year % 100, c.month, c.day, true);
      break;
    }
    case 94:  // TCK: not a valid date here
      text += kError;
      break;
    case 104: {  // TDH
      const int d = dt.Day();
      text += d >= 1 && d <= 15 ? Format("%02d 上", d) : d >= 16 && d <= 31 ? Format("%02d_下", d) : std::string(kError);
      break;
    }
    default:
      break;
  }
  FinishUnquoted(scope, a, f, in, text);
}

// Codes 9 (TND) and 71 (TMD): a day or month serial read from the field.
void SerialFunction(BuiltinScope& scope, BuiltinArgs& a) {
  const FunctionField f = MacroReadFunctionField(scope, a);
  const Inner in = SplitFieldQuotes(f);
  bool any = false;
  const std::int64_t n = ReadDigits(in, &any);
  if (n <= 0) {
    // Not above 0: the field stays as it is.
    PutWhole(a, f.Text());
    return MacroFinishFunctionField(scope, a, f);
  }
  const int style = *a.pnParam;
  std::string text;
  if (a.nCode == 9) {
    const Civil c = n <= DaySerial(kMaxYear, 12, 31) ? FromSerial(n) : Civil();
    text = InRange(c.year) ? DayLayout(style, c.year / 100, c.year % 100, c.month, c.day, true) : kError;
  } else {
    const std::int64_t year = 1900 + n / 12;
    text = year <= kMaxYear ? MonthLayout(style, static_cast<int>(year / 100), static_cast<int>(year % 100),
                                          static_cast<int>(n % 12) + 1, 1, false)
                            : kError;
  }
  FinishUnquoted(scope, a, f, in, text);
}

}  // namespace

void RegisterDateFunctions(BuiltinHandler* at) {
  for (int code : {7, 8, 70, 72, 73, 74, 75, 90, 91, 92, 93, 94, 104}) at[code] = DateFunction;
  at[9] = SerialFunction;
  at[71] = SerialFunction;
}

}  // namespace macro
