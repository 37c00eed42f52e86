// CTime (a moment as seconds since 1970-01-01 UTC, shown in local time) and
// CTimeSpan (a signed number of seconds).
#pragma once

// windows.h defines GetCurrentTime() as GetTickCount(); these classes need the
// name. Include windows.h before this header where both are used.
#ifdef GetCurrentTime
#undef GetCurrentTime
#endif

#include <cstdint>
#include <ctime>

#include "fw/cstring.h"

class CTimeSpan {
 public:
  CTimeSpan() = default;
  CTimeSpan(std::int64_t seconds) : m_span(seconds) {}
  CTimeSpan(LONG days, int hours, int minutes, int seconds)
      : m_span(((static_cast<std::int64_t>(days) * 24 + hours) * 60 + minutes) * 60 + seconds) {}

  std::int64_t GetDays() const { return m_span / 86400; }
  std::int64_t GetTotalHours() const { return m_span / 3600; }
  int GetHours() const { return static_cast<int>(GetTotalHours() % 24); }
  std::int64_t GetTotalMinutes() const { return m_span / 60; }
  int GetMinutes() const { return static_cast<int>(GetTotalMinutes() % 60); }
  std::int64_t GetTotalSeconds() const { return m_span; }
  int GetSeconds() const { return static_cast<int>(m_span % 60); }

  CTimeSpan operator+(CTimeSpan o) const { return CTimeSpan(m_span + o.m_span); }
  CTimeSpan operator-(CTimeSpan o) const { return CTimeSpan(m_span - o.m_span); }
  bool operator==(CTimeSpan o) const { return m_span == o.m_span; }
  bool operator!=(CTimeSpan o) const { return m_span != o.m_span; }
  bool operator<(CTimeSpan o) const { return m_span < o.m_span; }
  bool operator>(CTimeSpan o) const { return m_span > o.m_span; }
  bool operator<=(CTimeSpan o) const { return m_span <= o.m_span; }
  bool operator>=(CTimeSpan o) const { return m_span >= o.m_span; }

 private:
  std::int64_t m_span = 0;
};

class CTime {
 public:
  CTime() = default;
  CTime(std::int64_t t) : m_time(t) {}
  // Local time from fields; dst < 0 lets the system decide (Windows always
  // uses its own zone rules, never the TZ variable). Fields out of
  // range roll over (month 13 is January of the next year).
  CTime(int year, int month, int day, int hour, int minute, int second, int dst = -1);

  static CTime GetCurrentTime();  // through fw::CurrentTime()

  std::int64_t GetTime() const { return m_time; }
  int GetYear() const;
  int GetMonth() const;  // 1..12
  int GetDay() const;
  int GetHour() const;
  int GetMinute() const;
  int GetSecond() const;
  int GetDayOfWeek() const;  // 1 = Sunday .. 7 = Saturday

  // strftime-like text of the local time (see fw::FormatTime).
  CString Format(const char* format) const;
  CString FormatGmt(const char* format) const;

  CTime operator+(CTimeSpan s) const { return CTime(m_time + s.GetTotalSeconds()); }
  CTime operator-(CTimeSpan s) const { return CTime(m_time - s.GetTotalSeconds()); }
  CTimeSpan operator-(CTime o) const { return CTimeSpan(m_time - o.m_time); }
  CTime& operator+=(CTimeSpan s) { m_time += s.GetTotalSeconds(); return *this; }
  CTime& operator-=(CTimeSpan s) { m_time -= s.GetTotalSeconds(); return *this; }
  bool operator==(CTime o) const { return m_time == o.m_time; }
  bool operator!=(CTime o) const { return m_time != o.m_time; }
  bool operator<(CTime o) const { return m_time < o.m_time; }
  bool operator>(CTime o) const { return m_time > o.m_time; }
  bool operator<=(CTime o) const { return m_time <= o.m_time; }
  bool operator>=(CTime o) const { return m_time >= o.m_time; }

 private:
  std::int64_t m_time = 0;
};

namespace fw {

// Broken-down local / UTC time of t. Times the system cannot convert fall
// back to UTC fields computed here, never failing.
std::tm LocalFields(std::int64_t t);
std::tm UtcFields(std::int64_t t);

// Local time from fields (mktime rules: fields roll over); -1 when the
// system cannot represent it.
std::int64_t MakeLocalTime(int year, int month, int day, int hour, int minute, int second, int dst);

// Formats fields the same on every platform, with C-locale names:
//   %a %A %b %B  weekday / month name, short and long     %% a percent sign
//   %d %H %I %j %m %M %S %y %Y %p %w                     as strftime
//   %c "%m/%d/%y %H:%M:%S"   %x "%m/%d/%y"   %X "%H:%M:%S"
//   "#" after "%" drops leading zeros ("%#m" = "1"). Other "%" sequences are
//   copied unchanged. Shift-JIS text in the format is copied whole.
CString FormatTime(const char* format, const std::tm& fields);

}  // namespace fw
