#include "convert/ooxml_numfmt.h"

#include <cstdint>

#include "fw/sjis.h"

namespace convert {
namespace {

constexpr int kScanMost = 199;
constexpr int kDigitLookMost = 24;  // "#" or "0" looked for among these

// The kanji that flag a date part, as Shift-JIS pairs.
constexpr unsigned char kYear[2] = {0x94, 0x4E};   // 年
constexpr unsigned char kMonth[2] = {0x8C, 0x8E};  // 月
constexpr unsigned char kDay[2] = {0x93, 0xFA};    // 日
constexpr unsigned char kHour[2] = {0x8E, 0x9E};   // 時

enum Currency { kNone, kYenSign, kDollarSign, kEuroSign };

struct Flags {
  bool year = false, yearAfter = false, month = false, day = false;
  bool kYear = false, kMonth = false, kDay = false, kHour = false;
  bool hour = false, ampm = false;
  bool Any() const { return year || yearAfter || month || day || kYear || kMonth || kDay || kHour || hour || ampm; }
};

int DateKind(const Flags& f) {
  int k;
  if (f.yearAfter) {
    // A year after a day without a month (no date layout has that) reads
    // as year, month, day.
    k = f.year && f.month && f.day ? kFmtMonthDayYear : f.year && f.month ? kFmtMonthYear : kFmtDate;
  } else if (f.kYear && f.kMonth && f.kDay) {
    k = kFmtKanjiDate;
  } else if (f.kYear && f.kMonth) {
    k = kFmtKanjiYearMonth;
  } else if (f.kMonth && f.kDay) {
    k = kFmtKanjiMonthDay;
  } else if (f.year && f.month && f.day) {
    k = kFmtDate;
  } else if (f.year && f.month) {
    k = kFmtYearMonth;
  } else if (f.month && f.day) {
    k = kFmtMonthDay;
  } else {
    k = 999;
  }
  if (f.hour || f.kHour) {
    if (k == kFmtDate || k == kFmtMonthDay) return f.ampm ? kFmtDateTime12 : kFmtDateTime;
    if (k == kFmtKanjiDate || k == kFmtKanjiMonthDay) return kFmtKanjiDateTime;
    if (f.kHour) return kFmtKanjiTime;
    return f.ampm ? kFmtTime12 : kFmtTime;
  }
  return k == 999 ? kFmtDate : k;
}

}  // namespace

int NumberFormatClass(const char* code, std::size_t readable) {
  auto at = [&](int i) -> unsigned char {
    if (i < 0 || static_cast<std::size_t>(i) >= readable) return 0;
    return static_cast<unsigned char>(code[i]);
  };
  unsigned char copy[kScanMost + 2] = {};
  int copied = 0;
  int d = 0;
  Currency currency = kNone;
  bool percent = false;
  Flags f;
  for (int i = 0; i < kScanMost; ++i) {
    const unsigned char c = at(i), c1 = at(i + 1);
    if (c == '"' || c == 0) break;
    if (c == 'E' && d > 0) {
      d += 11000;
      break;
    }
    copy[copied++] = c;
    // A double-byte character is one: only the kanji rows look at it, and
    // its second byte is never taken for a format letter.
    if (fw::IsSjisLeadByte(c) && c1 != 0) {
      if (c == kYear[0] && c1 == kYear[1]) f.kYear = true;
      if (c == kMonth[0] && c1 == kMonth[1]) f.kMonth = true;
      if (c == kDay[0] && c1 == kDay[1]) f.kDay = true;
      if (c == kHour[0] && c1 == kHour[1]) f.kHour = true;
      if (copied < kScanMost) copy[copied++] = c1;
      ++i;
      continue;
    }
    if (c == '.') {
      d = 1;
    } else if (c == 'q' && at(i + 1) == 'u' && at(i + 2) == 'o' && at(i + 3) == 't' && at(i + 4) == ';' &&
               (at(i + 5) == '\\' || at(i + 5) == '$' || at(i + 5) == 'E') &&
               (at(i + 6) == '&' || at(i + 6) == 'U')) {
      // &quot;$&quot; and its kind: the escaped quotes around a currency sign.
      const unsigned char x = at(i + 5);
      currency = x == '$' ? kDollarSign : x == 'E' ? kEuroSign : kYenSign;
      for (int k = 1; k <= 5 && copied < kScanMost; ++k) copy[copied++] = at(i + k);
      i += 5;
    } else if (c == '\\' && c1 == '$') {
      if (d == 0) currency = kDollarSign;
    } else if (c == '0' && d > 0) {
      ++d;
    } else if (c == '%') {
      percent = true;
    } else if (c == 'y') {
      f.year = true;
      if (f.month || f.day) f.yearAfter = true;
    } else if (c == 'm' && i == 0) {
      f.month = true;
    } else if (c != ':' && c != 'm' && c != 'u' && c1 == 'm') {
      f.month = true;
    } else if (c != 'e' && c1 == 'd') {
      f.day = true;
    } else if (c == 'h' && c1 == ':') {
      f.hour = true;
    } else if (c == 'A' && c1 == 'M') {
      f.ampm = true;
    }
  }

  const bool dates = f.Any();
  int digitAt = -1;
  for (int i = 0; i < copied && i < kDigitLookMost; ++i) {
    if (copy[i] == '#' || copy[i] == '0') {
      digitAt = i;
      break;
    }
  }
  if (digitAt >= 0 && !dates && !percent) {
    // A scientific code keeps its class: adding a grouping kind to it would
    // make a date kind of it.
    if ((copy[digitAt + 1] == ',' || copy[digitAt + 1] == '.') && d < 11000) {
      const int kind = currency == kYenSign      ? kFmtYen
                       : currency == kDollarSign ? kFmtDollar
                       : currency == kEuroSign   ? kFmtEuro
                                                 : kFmtGrouped;
      d += kind * 1000;
    }
    return d >= 1 && d <= 999 ? d + 1000 : d;
  }
  // The scientific mark stays a number's: with a percent or a date it would
  // shift the class into another kind.
  if (d >= kFmtScientific * 1000) return dates ? DateKind(f) * 1000 + d - kFmtScientific * 1000 : d;
  if (percent) return d + kFmtPercent * 1000;
  if (!dates) return d >= 1 && d <= 999 ? d + 1000 : d;
  return d + DateKind(f) * 1000;
}

}  // namespace convert
