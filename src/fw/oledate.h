// COleDateTime: a date and time as a serial day count (a double), the form
// spreadsheets and the macro date functions use. Day 0 is 1899-12-30, so 1
// is 1899-12-31 and 45292 is 2024-01-01; the fraction is the time of day.
// Before day 0 the fraction still counts forward: -1.25 is 1899-12-29 06:00.
// Valid range: 0100-01-01 to 9999-12-31; times round to the nearest second.
#pragma once

// windows.h defines GetCurrentTime() as GetTickCount(); these classes need the
// name. Include windows.h before this header where both are used.
#ifdef GetCurrentTime
#undef GetCurrentTime
#endif

#include "fw/cstring.h"

class CTime;

class COleDateTime {
 public:
  enum DateTimeStatus { valid = 0, invalid = 1, null = 2 };

  COleDateTime() = default;
  COleDateTime(double serial);
  COleDateTime(int year, int month, int day, int hour, int minute, int second);
  COleDateTime(const CTime& time);  // local time of the moment

  static COleDateTime GetCurrentTime();  // through fw::CurrentTime()

  // 0 when the fields form a valid date and time, else 1 (status invalid).
  int SetDateTime(int year, int month, int day, int hour, int minute, int second);
  int SetDate(int year, int month, int day) { return SetDateTime(year, month, day, 0, 0, 0); }
  int SetTime(int hour, int minute, int second) { return SetDateTime(1899, 12, 30, hour, minute, second); }

  DateTimeStatus GetStatus() const { return m_status; }
  void SetStatus(DateTimeStatus status) { m_status = status; }
  operator double() const { return m_dt; }
  COleDateTime& operator=(double serial);

  // -1 when the status is not valid.
  int GetYear() const;
  int GetMonth() const;
  int GetDay() const;
  int GetHour() const;
  int GetMinute() const;
  int GetSecond() const;
  int GetDayOfWeek() const;  // 1 = Sunday .. 7 = Saturday
  int GetDayOfYear() const;  // 1 = January 1st

  // Text as fw::FormatTime; empty when the status is not valid.
  CString Format(const char* format) const;

  double m_dt = 0;
  DateTimeStatus m_status = valid;

 private:
  struct Fields {
    int year, month, day, hour, minute, second, weekday, yearDay;
  };
  bool Split(Fields& f) const;
};
