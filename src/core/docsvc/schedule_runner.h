// What frame timers 1 and 2 need, without the window: the two files loaded
// from the program folder, the last clock reading, and the reload when a
// file changed. The clock is read through fw::CurrentTime, so tests drive it
// with fw::clocktest.
#pragma once

#include <cstdint>
#include <vector>

#include "core/docsvc/schedule.h"
#include "fw/cstring.h"

namespace docsvc {

// The local wall clock now (fw::CurrentTime through the system's zone rules).
LocalTime CurrentLocalTime();

class ScheduleRunner {
 public:
  // Loads "Dorvik.sch" and "Dorvik.tmr" of the program folder (a missing
  // file is an empty one); countdowns start now; the next Tick looks back
  // to now.
  void Load(const CString& programDir);

  // Timer 1, every second: what fell due since the last reading.
  std::vector<DueEvent> Tick();

  // Timer 2: loads again when a file's size or write time changed (the
  // countdowns of a reloaded timer file start again). True when it did.
  bool ReloadIfChanged();

  const ScheduleSet& Schedules() const { return m_sch; }
  const TimerSet& Timers() const { return m_tmr; }
  // Skipped lines of both files, for display ("Dorvik.sch" first).
  std::vector<LineIssue> Skipped() const;

 private:
  struct Stamp {
    bool exists = false;
    std::int64_t mtime = 0;
    unsigned long long size = 0;
    bool operator==(const Stamp& o) const { return exists == o.exists && mtime == o.mtime && size == o.size; }
  };
  static Stamp StampOf(const CString& path);

  CString m_dir;
  ScheduleSet m_sch;
  TimerSet m_tmr;
  LocalTime m_last;
  Stamp m_schStamp, m_tmrStamp;
};

}  // namespace docsvc
