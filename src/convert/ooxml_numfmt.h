// The number-format classifier: a cell format's code text ("#,##0.00",
// "yyyy/m/d", "[$-411]ggge\"年\"m\"月\"d\"日\"") reduced to one class number
// that the readers format values by.
//
// The class is kind * 1000 + d, with d the decimals value (1 + the number of
// decimal places, 0 without a point; + 11,000 for a scientific code):
//   d (+1000 when 1-999)   a plain number;
//   548000-551000 + d      grouped or decimal with currency: yen, none,
//                          dollar, euro;
//   9000 + d               a percentage;
//   date and time layouts  14, 22, 31, 33, 56, 552-560 (kind * 1000 + d).
#pragma once

#include <cstddef>

namespace convert {

// Class kinds the classifier gives (class / 1000).
enum NumberFormatKind : int {
  kFmtPercent = 9,
  kFmtScientific = 11,       // d + 11,000
  kFmtDate = 14,             // year, month, day
  kFmtDateTime = 22,         // year, month, day with a time
  kFmtKanjiDate = 31,        // 年月日
  kFmtKanjiTime = 33,        // 時 without a date
  kFmtKanjiMonthDay = 56,    // 月日
  kFmtYen = 548,
  kFmtGrouped = 549,
  kFmtDollar = 550,
  kFmtEuro = 551,
  kFmtMonthYear = 552,       // year after month, no day
  kFmtYearMonth = 553,
  kFmtMonthDay = 554,
  kFmtKanjiYearMonth = 555,
  kFmtMonthDayYear = 556,    // year after month and day
  kFmtTime = 557,
  kFmtKanjiDateTime = 558,
  kFmtDateTime12 = 559,      // with AM/PM
  kFmtTime12 = 560,
};

// The class of the format code at `code`; `readable` bytes may be read, any
// further byte counts as NUL. At most 199 characters are looked at; the scan
// stops at a double quote, NUL, or "E" after a point.
int NumberFormatClass(const char* code, std::size_t readable);

}  // namespace convert
