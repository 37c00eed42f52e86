#ifdef _WIN32
#include <windows.h>  // first: fw/datetime.h undoes its GetCurrentTime macro
#endif

#include "fw/datetime.h"

#include <cstdio>
#include <cstring>

#include "fw/civil.h"
#ifdef _WIN32
#include "fw/filetime_win.h"
#endif
#include "fw/clock.h"
#include "fw/sjis.h"

namespace fw {
namespace {

const char* const kShortDay[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kLongDay[7] = {"Sunday", "Monday", "Tuesday", "Wednesday",
                                 "Thursday", "Friday", "Saturday"};
const char* const kShortMonth[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const kLongMonth[12] = {"January", "February", "March", "April", "May", "June",
                                    "July", "August", "September", "October", "November",
                                    "December"};

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  return a >= 0 ? a / b : -((-a + b - 1) / b);
}

void AppendNumber(CString& out, int value, int width, bool noPad) {
  char buf[32];
  if (noPad) {
    std::snprintf(buf, sizeof buf, "%d", value);
  } else {
    std::snprintf(buf, sizeof buf, "%0*d", width, value);
  }
  out += buf;
}

const char* Pick(const char* const* names, int count, int index) {
  return (index >= 0 && index < count) ? names[index] : "";
}

}  // namespace

std::tm UtcFields(std::int64_t t) {
  std::tm r{};
  std::int64_t days = FloorDiv(t, 86400);
  std::int64_t secs = t - days * 86400;
  int y, m, d, wd, yd;
  CivilFromDays(days, y, m, d, wd, yd);
  r.tm_year = y - 1900;
  r.tm_mon = m - 1;
  r.tm_mday = d;
  r.tm_hour = static_cast<int>(secs / 3600);
  r.tm_min = static_cast<int>(secs / 60 % 60);
  r.tm_sec = static_cast<int>(secs % 60);
  r.tm_wday = wd;
  r.tm_yday = yd - 1;
  return r;
}

#ifdef _WIN32
// The system's time zone rules, not the C runtime's: the runtime reads the
// TZ variable, and a POSIX zone name there ("Asia/Tokyo") makes it apply
// daylight saving rules of its own.
std::tm LocalFields(std::int64_t t) {
  if (t >= -kFileTimeEpoch && t < 910692730085LL) {  // FILETIME's range
    FILETIME ft = UnixToFileTime(t);
    SYSTEMTIME utc, local;
    if (FileTimeToSystemTime(&ft, &utc) && SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) {
      std::int64_t days = DaysFromCivil(local.wYear, local.wMonth, local.wDay);
      return UtcFields(days * 86400 + local.wHour * 3600 + local.wMinute * 60 + local.wSecond);
    }
  }
  return UtcFields(t);
}

std::int64_t MakeLocalTime(int year, int month, int day, int hour, int minute, int second, int dst) {
  // Roll the fields over as mktime does, then let the system apply the zone.
  std::int64_t m0 = static_cast<std::int64_t>(year) * 12 + (month - 1);
  std::int64_t y = FloorDiv(m0, 12);
  int m = static_cast<int>(m0 - y * 12) + 1;
  if (y < 1601 || y > 30000) return -1;
  std::int64_t naive = (DaysFromCivil(static_cast<int>(y), m, 1) + (day - 1)) * 86400 +
                       static_cast<std::int64_t>(hour) * 3600 + minute * 60 + second;
  std::tm f = UtcFields(naive);
  SYSTEMTIME local{}, utc{};
  local.wYear = static_cast<WORD>(f.tm_year + 1900);
  local.wMonth = static_cast<WORD>(f.tm_mon + 1);
  local.wDay = static_cast<WORD>(f.tm_mday);
  local.wHour = static_cast<WORD>(f.tm_hour);
  local.wMinute = static_cast<WORD>(f.tm_min);
  local.wSecond = static_cast<WORD>(f.tm_sec);
  if (f.tm_year + 1900 < 1601 || !TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc)) return -1;
  std::int64_t days = DaysFromCivil(utc.wYear, utc.wMonth, utc.wDay);
  return days * 86400 + utc.wHour * 3600 + utc.wMinute * 60 + utc.wSecond;
}
#else
std::tm LocalFields(std::int64_t t) {
  std::tm r{};
  std::time_t tt = static_cast<std::time_t>(t);
  if (static_cast<std::int64_t>(tt) == t && localtime_r(&tt, &r) != nullptr) return r;
  return UtcFields(t);
}

std::int64_t MakeLocalTime(int year, int month, int day, int hour, int minute, int second, int dst) {
  std::tm f{};
  f.tm_year = year - 1900;
  f.tm_mon = month - 1;
  f.tm_mday = day;
  f.tm_hour = hour;
  f.tm_min = minute;
  f.tm_sec = second;
  f.tm_isdst = dst < 0 ? -1 : (dst > 0 ? 1 : 0);
  std::time_t t = std::mktime(&f);
  return t == static_cast<std::time_t>(-1) ? -1 : static_cast<std::int64_t>(t);
}
#endif

CString FormatTime(const char* format, const std::tm& f) {
  CString out;
  if (format == nullptr) return out;
  int len = static_cast<int>(std::strlen(format));
  for (int i = 0; i < len;) {
    int n = SjisCharLength(format, len, i);
    if (n != 1 || format[i] != '%' || i + 1 >= len) {
      out += CString(format + i, n);
      i += n;
      continue;
    }
    int j = i + 1;
    bool noPad = false;
    if (format[j] == '#' && j + 1 < len) {
      noPad = true;
      ++j;
    }
    char spec = format[j];
    int hour12 = f.tm_hour % 12 == 0 ? 12 : f.tm_hour % 12;
    switch (spec) {
      case 'a': out += Pick(kShortDay, 7, f.tm_wday); break;
      case 'A': out += Pick(kLongDay, 7, f.tm_wday); break;
      case 'b': out += Pick(kShortMonth, 12, f.tm_mon); break;
      case 'B': out += Pick(kLongMonth, 12, f.tm_mon); break;
      case 'd': AppendNumber(out, f.tm_mday, 2, noPad); break;
      case 'H': AppendNumber(out, f.tm_hour, 2, noPad); break;
      case 'I': AppendNumber(out, hour12, 2, noPad); break;
      case 'j': AppendNumber(out, f.tm_yday + 1, 3, noPad); break;
      case 'm': AppendNumber(out, f.tm_mon + 1, 2, noPad); break;
      case 'M': AppendNumber(out, f.tm_min, 2, noPad); break;
      case 'S': AppendNumber(out, f.tm_sec, 2, noPad); break;
      case 'w': AppendNumber(out, f.tm_wday, 1, noPad); break;
      case 'y': AppendNumber(out, (f.tm_year + 1900) % 100, 2, noPad); break;
      case 'Y': AppendNumber(out, f.tm_year + 1900, 1, noPad); break;
      case 'p': out += f.tm_hour < 12 ? "AM" : "PM"; break;
      case 'c': out += FormatTime(noPad ? "%#m/%#d/%y %#H:%M:%S" : "%m/%d/%y %H:%M:%S", f); break;
      case 'x': out += FormatTime(noPad ? "%#m/%#d/%y" : "%m/%d/%y", f); break;
      case 'X': out += FormatTime("%H:%M:%S", f); break;
      case '%': out += '%'; break;
      default:
        out += CString(format + i, j + 1 - i);
        break;
    }
    i = j + 1;
  }
  return out;
}

}  // namespace fw

CTime::CTime(int year, int month, int day, int hour, int minute, int second, int dst)
    : m_time(fw::MakeLocalTime(year, month, day, hour, minute, second, dst)) {}

CTime CTime::GetCurrentTime() { return CTime(fw::CurrentTime()); }

int CTime::GetYear() const { return fw::LocalFields(m_time).tm_year + 1900; }
int CTime::GetMonth() const { return fw::LocalFields(m_time).tm_mon + 1; }
int CTime::GetDay() const { return fw::LocalFields(m_time).tm_mday; }
int CTime::GetHour() const { return fw::LocalFields(m_time).tm_hour; }
int CTime::GetMinute() const { return fw::LocalFields(m_time).tm_min; }
int CTime::GetSecond() const { return fw::LocalFields(m_time).tm_sec; }
int CTime::GetDayOfWeek() const { return fw::LocalFields(m_time).tm_wday + 1; }

CString CTime::Format(const char* format) const { return fw::FormatTime(format, fw::LocalFields(m_time)); }
CString CTime::FormatGmt(const char* format) const { return fw::FormatTime(format, fw::UtcFields(m_time)); }
