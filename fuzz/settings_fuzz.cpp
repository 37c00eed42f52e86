// The settings and schedule parsers over any bytes: "Dorvik.inf" and
// "Dorvik.sys" (read, written, read again: the second text equals the first
// written), "Dorvik.sch" and "Dorvik.tmr" (parsed, then asked what falls due).
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/docsvc/inf_settings.h"
#include "core/docsvc/schedule.h"
#include "core/docsvc/sys_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 16) return 0;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  using namespace docsvc;

  InfSettings inf = DefaultInfSettings();
  std::vector<KvLine> unknown;
  std::vector<LineIssue> issues;
  ReadInfText(bytes, inf, &unknown, &issues);
  const std::string infText = WriteInfText(inf, unknown);
  InfSettings inf2 = DefaultInfSettings();
  std::vector<KvLine> unknown2;
  ReadInfText(infText, inf2, &unknown2, nullptr);
  if (WriteInfText(inf2, unknown2) != infText) __builtin_trap();

  SysSettings sys = DefaultSysSettings();
  std::vector<KvLine> sysUnknown;
  ReadSysText(bytes, sys, &sysUnknown, &issues);
  const std::string sysText = WriteSysText(sys, sysUnknown);
  SysSettings sys2 = DefaultSysSettings();
  std::vector<KvLine> sysUnknown2;
  ReadSysText(sysText, sys2, &sysUnknown2, nullptr);
  if (WriteSysText(sys2, sysUnknown2) != sysText) __builtin_trap();

  LocalTime load;
  load.year = 2026;
  load.month = 12;
  load.day = 31;
  load.hour = 23;
  load.minute = 58;
  const ScheduleSet sch = ParseScheduleText(bytes);
  const TimerSet tmr = ParseTimerText(bytes, load);
  LocalTime later = load;
  later.year = 2027;
  later.month = 1;
  later.day = 1;
  later.hour = 0;
  later.minute = 3;
  for (const DueEvent& e : DueEntries(sch, tmr, load, later)) {
    if (e.source == DueEvent::kSchedule && (e.index < 0 || e.index >= static_cast<int>(sch.entries.size())))
      __builtin_trap();
  }
  return 0;
}
