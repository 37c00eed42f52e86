// Calendar arithmetic on the proleptic Gregorian calendar, shared by CTime
// and COleDateTime. Day numbers count from 1970-01-01 (day 0).
#pragma once

#include <cstdint>

namespace fw {

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);  // 0 for a month outside 1..12

// Day number of year-month-day (fields must be valid).
std::int64_t DaysFromCivil(int year, int month, int day);
// The inverse; also gives the weekday (0 = Sunday) and day of the year (1..366).
void CivilFromDays(std::int64_t days, int& year, int& month, int& day, int& weekday, int& yearDay);

}  // namespace fw
