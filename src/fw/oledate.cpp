#include "fw/oledate.h"

#include <cmath>
#include <ctime>

#include "fw/civil.h"
#include "fw/clock.h"
#include "fw/datetime.h"

namespace {

const double kMinSerial = -657434.0;         // 0100-01-01
const double kMaxSerial = 2958466.0;         // 10000-01-01, excluded
const std::int64_t kDay0 = -25569;           // 1899-12-30 as a day number from 1970

bool ValidSerial(double dt) { return std::isfinite(dt) && dt >= kMinSerial && dt < kMaxSerial; }

}  // namespace

COleDateTime::COleDateTime(double serial) { *this = serial; }

COleDateTime::COleDateTime(int year, int month, int day, int hour, int minute, int second) {
  SetDateTime(year, month, day, hour, minute, second);
}

COleDateTime::COleDateTime(const CTime& time) {
  std::tm f = fw::LocalFields(time.GetTime());
  SetDateTime(f.tm_year + 1900, f.tm_mon + 1, f.tm_mday, f.tm_hour, f.tm_min, f.tm_sec);
}

COleDateTime COleDateTime::GetCurrentTime() { return COleDateTime(CTime(fw::CurrentTime())); }

COleDateTime& COleDateTime::operator=(double serial) {
  m_dt = serial;
  m_status = ValidSerial(serial) ? valid : invalid;
  return *this;
}

int COleDateTime::SetDateTime(int year, int month, int day, int hour, int minute, int second) {
  if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > fw::DaysInMonth(year, month) || hour < 0 || hour > 23 || minute < 0 ||
      minute > 59 || second < 0 || second > 59) {
    m_dt = 0;
    m_status = invalid;
    return 1;
  }
  double days = static_cast<double>(fw::DaysFromCivil(year, month, day) - kDay0);
  double time = (hour * 3600 + minute * 60 + second) / 86400.0;
  m_dt = days >= 0 ? days + time : days - time;
  m_status = valid;
  return 0;
}

bool COleDateTime::Split(Fields& f) const {
  if (m_status != valid || !ValidSerial(m_dt)) return false;
  double whole = std::trunc(m_dt);
  double frac = std::fabs(m_dt - whole);
  std::int64_t days = static_cast<std::int64_t>(whole);
  std::int64_t secs = static_cast<std::int64_t>(std::floor(frac * 86400.0 + 0.5));
  if (secs >= 86400) {  // rounds up to the next midnight
    secs -= 86400;
    ++days;
  }
  fw::CivilFromDays(days + kDay0, f.year, f.month, f.day, f.weekday, f.yearDay);
  if (f.year > 9999) return false;
  f.hour = static_cast<int>(secs / 3600);
  f.minute = static_cast<int>(secs / 60 % 60);
  f.second = static_cast<int>(secs % 60);
  return true;
}

int COleDateTime::GetYear() const { Fields f; return Split(f) ? f.year : -1; }
int COleDateTime::GetMonth() const { Fields f; return Split(f) ? f.month : -1; }
int COleDateTime::GetDay() const { Fields f; return Split(f) ? f.day : -1; }
int COleDateTime::GetHour() const { Fields f; return Split(f) ? f.hour : -1; }
int COleDateTime::GetMinute() const { Fields f; return Split(f) ? f.minute : -1; }
int COleDateTime::GetSecond() const { Fields f; return Split(f) ? f.second : -1; }
int COleDateTime::GetDayOfWeek() const { Fields f; return Split(f) ? f.weekday + 1 : -1; }
int COleDateTime::GetDayOfYear() const { Fields f; return Split(f) ? f.yearDay : -1; }

CString COleDateTime::Format(const char* format) const {
  Fields f;
  if (!Split(f)) return CString();
  std::tm t{};
  t.tm_year = f.year - 1900;
  t.tm_mon = f.month - 1;
  t.tm_mday = f.day;
  t.tm_hour = f.hour;
  t.tm_min = f.minute;
  t.tm_sec = f.second;
  t.tm_wday = f.weekday;
  t.tm_yday = f.yearDay - 1;
  return fw::FormatTime(format, t);
}
