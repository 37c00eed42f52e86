// The settings and schedule parsers over any bytes: "Dorvik.inf" and
// "Dorvik.sys" (read, written, read again: the second text equals the first
// written), "Dorvik.sch" and "Dorvik.tmr" (parsed, then asked what falls due).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "core/docdata/settings_table.h"
#include "core/docsvc/schedule.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 16) return 0;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  using namespace docsvc;

  // Two documents, reused: each input starts them at the defaults.
  static auto first = std::make_unique<app::DvkDocData>();
  static auto second = std::make_unique<app::DvkDocData>();
  app::ApplySettingsDefaults(*first);
  app::ApplySettingsDefaults(*second);

  app::SettingsRest rest;
  app::ReadInfText(bytes, *first, &rest);
  const std::string infText = app::WriteInfText(*first, rest.unknown);
  app::SettingsRest rest2;
  app::ReadInfText(infText, *second, &rest2);
  if (app::WriteInfText(*second, rest2.unknown) != infText) __builtin_trap();

  app::SettingsRest sysRest;
  app::ReadSysText(bytes, *first, &sysRest);
  const std::string sysText = app::WriteSysText(*first, sysRest.unknown);
  app::SettingsRest sysRest2;
  app::ReadSysText(sysText, *second, &sysRest2);
  if (app::WriteSysText(*second, sysRest2.unknown) != sysText) __builtin_trap();

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
