// The runner over the test clock: files in a folder, ticks each second.
#include <gtest/gtest.h>

#include "core/docsvc/schedule_runner.h"
#include "fw/clock.h"
#include "support/scratch.h"

namespace {

using namespace docsvc;

struct FixedClock {
  explicit FixedClock(std::int64_t t) { fw::clocktest::Fix(t); }
  ~FixedClock() { fw::clocktest::Release(); }
};

std::vector<std::string> Texts(const std::vector<DueEvent>& ev) {
  std::vector<std::string> out;
  for (const DueEvent& e : ev) out.push_back(e.text.GetString());
  return out;
}

TEST(ScheduleRunner, TimerMessageTwoSecondsAfterStart) {
  testsupport::Scratch dir;
  testsupport::WriteBytes(dir.Path("Dorvik.tmr"), "00:00:02\tお茶の時間\r\nbad line\r\n");
  FixedClock clock(1796000000);  // a Thursday in 2026
  ScheduleRunner r;
  r.Load(dir.Dir());
  ASSERT_EQ(r.Timers().entries.size(), 1u);
  ASSERT_EQ(r.Skipped().size(), 1u);
  EXPECT_EQ(r.Skipped()[0].line, 2);
  fw::clocktest::Advance(1000);
  EXPECT_TRUE(r.Tick().empty());
  fw::clocktest::Advance(1000);
  EXPECT_EQ(Texts(r.Tick()), std::vector<std::string>{"お茶の時間"});
  fw::clocktest::Advance(1000);
  EXPECT_TRUE(r.Tick().empty());
}

TEST(ScheduleRunner, ScheduleAtTheNextMinuteAndReload) {
  testsupport::Scratch dir;
  FixedClock clock(1796000000 - 1796000000 % 60 + 30);  // second 30 of a minute (UTC and local)
  const LocalTime now = CurrentLocalTime();
  const LocalTime next = LocalFromStamp(LocalStamp(now) + 30);  // the next minute's start
  CString line;
  line.Format("%04d/%02d/%02d %02d:%02d\tM\tnext minute\r\n", next.year, next.month, next.day, next.hour,
              next.minute);
  testsupport::WriteBytes(dir.Path("Dorvik.sch"), line.GetString());
  ScheduleRunner r;
  r.Load(dir.Dir());
  EXPECT_FALSE(r.ReloadIfChanged());
  fw::clocktest::Advance(29000);
  EXPECT_TRUE(r.Tick().empty());
  // the file changes: reloaded, and the tick still sees the span since the last one
  testsupport::WriteBytes(dir.Path("Dorvik.sch"), std::string(line.GetString()) + "W1234567 *:*\tM\tevery minute\r\n");
  EXPECT_TRUE(r.ReloadIfChanged());
  fw::clocktest::Advance(1000);
  EXPECT_EQ(Texts(r.Tick()), (std::vector<std::string>{"next minute", "every minute"}));
}

TEST(ScheduleRunner, MissingFilesAreEmpty) {
  testsupport::Scratch dir;
  FixedClock clock(1796000000);
  ScheduleRunner r;
  r.Load(dir.Dir());
  fw::clocktest::Advance(120000);
  EXPECT_TRUE(r.Tick().empty());
  EXPECT_TRUE(r.Skipped().empty());
}

}  // namespace
