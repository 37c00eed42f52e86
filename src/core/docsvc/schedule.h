// Schedules ("Dorvik.sch") and timer messages ("Dorvik.tmr"), and which of
// them fall due between two clock readings. Pure: the frame's timer reads the
// local clock each second, asks DueEntries and acts on what comes back.
//
// "Dorvik.sch", one entry per line, "~" comment lines:
//   YYYY/MM/DD HH:MM<TAB>action<TAB>text     any date or time field may be "*"
//   Wdays HH:MM<TAB>action<TAB>text          days: digits 1-7 (1 Monday ..
//                                            7 Sunday) and ranges, "W1-5", "W67"
// actions: M message (text), S play the sound file (text = path),
//          C set the clock (text = "HH:MM[:SS]" or "YYYY/MM/DD HH:MM[:SS]").
// "Dorvik.tmr":
//   HH:MM:SS<TAB>message    once, that long after the file was loaded
//   @HH:MM<TAB>message      every day at that time
// A line that does not parse is skipped and reported (line number, reason).
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "core/docsvc/kvtext.h"
#include "fw/cstring.h"

namespace docsvc {

// A local wall-clock reading (no time zone, no daylight rule).
struct LocalTime {
  int year = 1970, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

// Seconds since 1970-01-01 00:00 of the reading taken as a plain calendar.
std::int64_t LocalStamp(const LocalTime& t);
LocalTime LocalFromStamp(std::int64_t stamp);
LocalTime LocalFromTm(const std::tm& tm);
// 1 = Monday .. 7 = Sunday.
int IsoWeekday(const LocalTime& t);

constexpr int kAny = -1;

struct ScheduleEntry {
  int line = 0;
  int year = kAny, month = kAny, day = kAny;  // date form
  int weekdays = 0;                           // weekday form: bit d for day d (1-7)
  int hour = kAny, minute = kAny;
  char action = 'M';                          // 'M', 'S' or 'C'
  CString text;
  // Action C: the time to set (date fields kAny when only a time is given).
  LocalTime clock;
  bool clockHasDate = false;
};

struct TimerEntry {
  int line = 0;
  bool daily = false;
  int seconds = 0;           // countdown length (once)
  int hour = 0, minute = 0;  // daily time
  CString message;
};

struct ScheduleSet {
  std::vector<ScheduleEntry> entries;
  std::vector<LineIssue> skipped;
};

struct TimerSet {
  std::vector<TimerEntry> entries;
  std::vector<LineIssue> skipped;
  std::int64_t loadStamp = 0;  // LocalStamp of the load: countdowns start here
};

ScheduleSet ParseScheduleText(const std::string& bytes);
TimerSet ParseTimerText(const std::string& bytes, const LocalTime& loaded);

struct DueEvent {
  enum Source { kSchedule, kTimer } source = kSchedule;
  int index = 0;       // into the set's entries
  char action = 'M';   // timers are always 'M'
  CString text;
  LocalTime at;        // when it fell due
};

// Longest span looked back over: what fell due more than a day before t1
// (the machine slept, the clock jumped) is not raised any more.
constexpr std::int64_t kDueLookBack = 86400;

// Entries due in (t0, t1]: schedule and daily entries at second 0 of their
// minute, countdowns at load + length. Each entry at most once per call (its
// latest time in the span), in time order, schedules before timers at the
// same time. Nothing when t1 is not after t0 (the clock went back).
std::vector<DueEvent> DueEntries(const ScheduleSet& sch, const TimerSet& tmr,
                                 const LocalTime& t0, const LocalTime& t1);

}  // namespace docsvc
