#include "fw/civil.h"

namespace fw {
namespace {

const int kDaysBeforeMonth[13] = {0, 0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};

// Whole days from 0001-01-01 to January 1st of `year` (may be negative for
// years before 1; the 400-year cycle keeps it exact).
std::int64_t DaysBeforeYear(std::int64_t year) {
  std::int64_t y = year - 1;
  // floor division for negative y
  auto fdiv = [](std::int64_t a, std::int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); };
  return y * 365 + fdiv(y, 4) - fdiv(y, 100) + fdiv(y, 400);
}

const std::int64_t kEpochOrdinal = DaysBeforeYear(1970);  // 1970-01-01 from 0001-01-01

}  // namespace

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return kDays[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
}

std::int64_t DaysFromCivil(int year, int month, int day) {
  std::int64_t d = DaysBeforeYear(year) + kDaysBeforeMonth[month] + (day - 1);
  if (month > 2 && IsLeapYear(year)) ++d;
  return d - kEpochOrdinal;
}

void CivilFromDays(std::int64_t days, int& year, int& month, int& day, int& weekday, int& yearDay) {
  std::int64_t ordinal = days + kEpochOrdinal;  // days since 0001-01-01
  // Estimate the year, then correct it by whole years.
  std::int64_t y = ordinal * 400 / 146097 + 1;
  while (DaysBeforeYear(y) > ordinal) --y;
  while (DaysBeforeYear(y + 1) <= ordinal) ++y;
  year = static_cast<int>(y);
  int doy = static_cast<int>(ordinal - DaysBeforeYear(y));  // 0-based
  yearDay = doy + 1;
  int leap = IsLeapYear(year) ? 1 : 0;
  month = 12;
  while (month > 1 && doy < kDaysBeforeMonth[month] + (month > 2 ? leap : 0)) --month;
  day = doy - kDaysBeforeMonth[month] - (month > 2 ? leap : 0) + 1;
  // 1970-01-01 was a Thursday (4).
  std::int64_t w = (days % 7 + 7 + 4) % 7;
  weekday = static_cast<int>(w);
}

}  // namespace fw
