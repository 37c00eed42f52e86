#include "core/docsvc/schedule.h"

#include <algorithm>
#include <map>

#include "fw/civil.h"

namespace docsvc {
namespace {

// Reasons a schedule or timer line is skipped: one table.
enum SchError {
  kSchNoTab,
  kSchBadDate,
  kSchBadTime,
  kSchBadWeekday,
  kSchBadAction,
  kSchNoText,
  kSchBadClock,
  kSchNoDate,
  kTmrBadLength,
  kTmrZero,
  kTmrNoMessage,
};
const char* const kSchErrorText[] = {
    "タブ区切りがありません",
    "日付が正しくありません（YYYY/MM/DD、* 可）",
    "時刻が正しくありません（HH:MM、* 可）",
    "曜日指定が正しくありません（W1-7）",
    "動作は M、S、C のいずれかです",
    "メッセージ又はファイル名がありません",
    "設定する時刻が正しくありません",
    "存在しない日付です",
    "時間が正しくありません（HH:MM:SS 又は @HH:MM）",
    "時間が 0 です",
    "メッセージがありません",
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A field of 1..maxDigits digits within [lo, hi], or "*" when allowed.
bool Field(const std::string& s, bool wildcard, int maxDigits, int lo, int hi, int* out) {
  if (wildcard && s == "*") {
    *out = kAny;
    return true;
  }
  if (s.empty() || static_cast<int>(s.size()) > maxDigits) return false;
  int v = 0;
  for (char c : s) {
    if (!IsDigit(c)) return false;
    v = v * 10 + (c - '0');
  }
  if (v < lo || v > hi) return false;
  *out = v;
  return true;
}

std::vector<std::string> Split(const std::string& s, char sep) {
  std::vector<std::string> parts;
  std::size_t pos = 0;
  for (;;) {
    std::size_t p = s.find(sep, pos);
    parts.push_back(s.substr(pos, p == std::string::npos ? std::string::npos : p - pos));
    if (p == std::string::npos) break;
    pos = p + 1;
  }
  return parts;
}

std::string Trim(const std::string& s) {
  std::size_t a = s.find_first_not_of(" \t"), b = s.find_last_not_of(" \t");
  return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

// "Y/M/D" with wildcards.
bool ParseDate(const std::string& s, bool wildcard, int* y, int* m, int* d) {
  auto p = Split(s, '/');
  return p.size() == 3 && Field(p[0], wildcard, 4, 1970, 9999, y) && Field(p[1], wildcard, 2, 1, 12, m) &&
         Field(p[2], wildcard, 2, 1, 31, d);
}

// "H:M" or, with seconds allowed, "H:M:S".
bool ParseClock(const std::string& s, bool wildcard, bool seconds, int* h, int* m, int* sec) {
  auto p = Split(s, ':');
  *sec = 0;
  if (p.size() == 3 && seconds) {
    if (!Field(p[2], false, 2, 0, 59, sec)) return false;
  } else if (p.size() != 2) {
    return false;
  }
  return Field(p[0], wildcard, 2, 0, 23, h) && Field(p[1], wildcard, 2, 0, 59, m);
}

// "W" + digits 1-7 and ranges "a-b".
bool ParseWeekdays(const std::string& s, int* mask) {
  *mask = 0;
  if (s.size() < 2 || (s[0] != 'W' && s[0] != 'w')) return false;
  for (std::size_t i = 1; i < s.size(); ++i) {
    char c = s[i];
    if (c < '1' || c > '7') return false;
    int from = c - '0', to = from;
    if (i + 2 < s.size() && s[i + 1] == '-') {
      char e = s[i + 2];
      if (e < '1' || e > '7' || e < c) return false;
      to = e - '0';
      i += 2;
    } else if (i + 1 < s.size() && s[i + 1] == '-') {
      return false;
    }
    for (int d = from; d <= to; ++d) *mask |= 1 << d;
  }
  return *mask != 0;
}

// A fixed month and day must exist (in some leap year when the year is "*").
bool ValidDay(int y, int m, int d) { return m == kAny || d == kAny || d <= fw::DaysInMonth(y == kAny ? 2000 : y, m); }

// Splits "date time" at its blanks.
bool SplitHead(const std::string& head, std::string* date, std::string* time) {
  std::string h = Trim(head);
  std::size_t sp = h.find_first_of(" \t");
  if (sp == std::string::npos) return false;
  *date = h.substr(0, sp);
  *time = Trim(h.substr(sp));
  return !time->empty() && time->find_first_of(" \t") == std::string::npos;
}

bool ParseSetClock(const std::string& text, ScheduleEntry& e) {
  std::string t = Trim(text), date, time;
  int h, m, s;
  if (t.find(' ') == std::string::npos) {
    if (!ParseClock(t, false, true, &h, &m, &s)) return false;
    e.clockHasDate = false;
  } else {
    int y, mo, d;
    if (!SplitHead(t, &date, &time) || !ParseDate(date, false, &y, &mo, &d) ||
        !ParseClock(time, false, true, &h, &m, &s) || !ValidDay(y, mo, d))
      return false;
    e.clock.year = y;
    e.clock.month = mo;
    e.clock.day = d;
    e.clockHasDate = true;
  }
  e.clock.hour = h;
  e.clock.minute = m;
  e.clock.second = s;
  return true;
}

bool Matches(const ScheduleEntry& e, const LocalTime& t) {
  if (e.hour != kAny && e.hour != t.hour) return false;
  if (e.minute != kAny && e.minute != t.minute) return false;
  if (e.weekdays) return (e.weekdays >> IsoWeekday(t)) & 1;
  return (e.year == kAny || e.year == t.year) && (e.month == kAny || e.month == t.month) &&
         (e.day == kAny || e.day == t.day);
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

}  // namespace

std::int64_t LocalStamp(const LocalTime& t) {
  return fw::DaysFromCivil(t.year, t.month, t.day) * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

LocalTime LocalFromStamp(std::int64_t stamp) {
  LocalTime t;
  std::int64_t days = FloorDiv(stamp, 86400);
  int secs = static_cast<int>(stamp - days * 86400);
  int wd, yd;
  fw::CivilFromDays(days, t.year, t.month, t.day, wd, yd);
  t.hour = secs / 3600;
  t.minute = secs / 60 % 60;
  t.second = secs % 60;
  return t;
}

LocalTime LocalFromTm(const std::tm& tm) {
  LocalTime t;
  t.year = tm.tm_year + 1900;
  t.month = tm.tm_mon + 1;
  t.day = tm.tm_mday;
  t.hour = tm.tm_hour;
  t.minute = tm.tm_min;
  t.second = tm.tm_sec > 59 ? 59 : tm.tm_sec;
  return t;
}

int IsoWeekday(const LocalTime& t) {
  std::int64_t days = fw::DaysFromCivil(t.year, t.month, t.day);
  int wd = static_cast<int>(((days % 7) + 7 + 4) % 7);  // 1970-01-01 was a Thursday; 0 = Sunday
  return wd == 0 ? 7 : wd;
}

ScheduleSet ParseScheduleText(const std::string& bytes) {
  ScheduleSet out;
  ForEachLine(bytes, [&](int no, const std::string& raw) {
    auto skip = [&](SchError e) { out.skipped.push_back({no, kSchErrorText[e]}); };
    if (Trim(raw).empty() || raw[0] == '~') return;
    std::size_t t1 = raw.find('\t');
    if (t1 == std::string::npos) return skip(kSchNoTab);
    std::size_t t2 = raw.find('\t', t1 + 1);
    if (t2 == std::string::npos) return skip(kSchNoTab);
    ScheduleEntry e;
    e.line = no;
    std::string date, time;
    if (!SplitHead(raw.substr(0, t1), &date, &time)) return skip(kSchBadDate);
    if (date[0] == 'W' || date[0] == 'w') {
      if (!ParseWeekdays(date, &e.weekdays)) return skip(kSchBadWeekday);
    } else {
      if (!ParseDate(date, true, &e.year, &e.month, &e.day)) return skip(kSchBadDate);
      if (!ValidDay(e.year, e.month, e.day)) return skip(kSchNoDate);
    }
    int sec;
    if (!ParseClock(time, true, false, &e.hour, &e.minute, &sec)) return skip(kSchBadTime);
    std::string action = Trim(raw.substr(t1 + 1, t2 - t1 - 1));
    if (action.size() != 1 || (action[0] != 'M' && action[0] != 'S' && action[0] != 'C'))
      return skip(kSchBadAction);
    e.action = action[0];
    std::string text = raw.substr(t2 + 1);
    if (Trim(text).empty()) return skip(kSchNoText);
    if (text.find('\0') != std::string::npos) return skip(kSchNoText);
    e.text = CString(text);
    if (e.action == 'C' && !ParseSetClock(text, e)) return skip(kSchBadClock);
    out.entries.push_back(e);
  });
  return out;
}

TimerSet ParseTimerText(const std::string& bytes, const LocalTime& loaded) {
  TimerSet out;
  out.loadStamp = LocalStamp(loaded);
  ForEachLine(bytes, [&](int no, const std::string& raw) {
    auto skip = [&](SchError e) { out.skipped.push_back({no, kSchErrorText[e]}); };
    if (Trim(raw).empty() || raw[0] == '~') return;
    std::size_t tab = raw.find('\t');
    if (tab == std::string::npos) return skip(kSchNoTab);
    TimerEntry e;
    e.line = no;
    std::string head = Trim(raw.substr(0, tab));
    int sec;
    if (!head.empty() && head[0] == '@') {
      e.daily = true;
      if (!ParseClock(head.substr(1), false, false, &e.hour, &e.minute, &sec)) return skip(kTmrBadLength);
    } else {
      auto p = Split(head, ':');
      int h, m, s;
      if (p.size() != 3 || !Field(p[0], false, 2, 0, 99, &h) || !Field(p[1], false, 2, 0, 59, &m) ||
          !Field(p[2], false, 2, 0, 59, &s))
        return skip(kTmrBadLength);
      e.seconds = h * 3600 + m * 60 + s;
      if (e.seconds == 0) return skip(kTmrZero);
    }
    std::string msg = raw.substr(tab + 1);
    if (Trim(msg).empty() || msg.find('\0') != std::string::npos) return skip(kTmrNoMessage);
    e.message = CString(msg);
    out.entries.push_back(e);
  });
  return out;
}

std::vector<DueEvent> DueEntries(const ScheduleSet& sch, const TimerSet& tmr, const LocalTime& t0,
                                 const LocalTime& t1) {
  std::vector<DueEvent> out;
  const std::int64_t n0 = LocalStamp(t0), n1 = LocalStamp(t1);
  if (n1 <= n0) return out;
  const std::int64_t lo = std::max(n0, n1 - kDueLookBack);
  // Latest due minute per entry.
  std::map<int, std::int64_t> schDue, dailyDue;
  for (std::int64_t m = (FloorDiv(lo, 60) + 1) * 60; m <= n1; m += 60) {
    const LocalTime t = LocalFromStamp(m);
    for (std::size_t i = 0; i < sch.entries.size(); ++i)
      if (Matches(sch.entries[i], t)) schDue[static_cast<int>(i)] = m;
    for (std::size_t i = 0; i < tmr.entries.size(); ++i) {
      const TimerEntry& e = tmr.entries[i];
      if (e.daily && e.hour == t.hour && e.minute == t.minute) dailyDue[static_cast<int>(i)] = m;
    }
  }
  for (const auto& [i, m] : schDue) {
    const ScheduleEntry& e = sch.entries[i];
    out.push_back({DueEvent::kSchedule, i, e.action, e.text, LocalFromStamp(m)});
  }
  for (std::size_t i = 0; i < tmr.entries.size(); ++i) {
    const TimerEntry& e = tmr.entries[i];
    std::int64_t at;
    if (e.daily) {
      auto it = dailyDue.find(static_cast<int>(i));
      if (it == dailyDue.end()) continue;
      at = it->second;
    } else {
      at = tmr.loadStamp + e.seconds;
      if (at <= lo || at > n1) continue;
    }
    out.push_back({DueEvent::kTimer, static_cast<int>(i), 'M', e.message, LocalFromStamp(at)});
  }
  std::stable_sort(out.begin(), out.end(), [](const DueEvent& a, const DueEvent& b) {
    return LocalStamp(a.at) < LocalStamp(b.at);
  });
  return out;
}

}  // namespace docsvc
