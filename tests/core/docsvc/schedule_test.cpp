// Schedules and timers: parsing and which entries fall due.
#include <gtest/gtest.h>

#include "core/docsvc/schedule.h"

namespace {

using namespace docsvc;

LocalTime T(int y, int mo, int d, int h, int mi, int s) {
  LocalTime t;
  t.year = y;
  t.month = mo;
  t.day = d;
  t.hour = h;
  t.minute = mi;
  t.second = s;
  return t;
}

// Texts of the entries due in (t0, t1].
std::vector<std::string> Due(const ScheduleSet& s, const TimerSet& t, LocalTime t0, LocalTime t1) {
  std::vector<std::string> out;
  for (const DueEvent& e : DueEntries(s, t, t0, t1)) out.push_back(e.text.GetString());
  return out;
}

using V = std::vector<std::string>;

TEST(Schedule, ParsesForms) {
  const ScheduleSet s = ParseScheduleText(
      "~ comment\r\n"
      "2026/12/24 18:30\tM\tパーティー\r\n"
      "*/*/* 12:00\tS\tC:\\Windows\\Media\\chimes.wav\r\n"
      "W1-5 08:45\tM\tweekday\tmore text\r\n"
      "W67 *:00\tM\tweekend hourly\r\n"
      "*/01/01 00:00\tC\t2027/01/01 00:00:05\r\n"
      "\r\n");
  ASSERT_TRUE(s.skipped.empty()) << s.skipped[0].line << " " << s.skipped[0].reason.GetString();
  ASSERT_EQ(s.entries.size(), 5u);
  EXPECT_EQ(s.entries[0].line, 2);
  EXPECT_EQ(s.entries[0].year, 2026);
  EXPECT_EQ(s.entries[0].hour, 18);
  EXPECT_EQ(s.entries[0].text, "パーティー");
  EXPECT_EQ(s.entries[1].action, 'S');
  EXPECT_EQ(s.entries[1].day, kAny);
  EXPECT_EQ(s.entries[2].weekdays, 0x3E);  // Monday-Friday
  EXPECT_EQ(s.entries[2].text, "weekday\tmore text");
  EXPECT_EQ(s.entries[3].weekdays, (1 << 6) | (1 << 7));
  EXPECT_EQ(s.entries[3].hour, kAny);
  EXPECT_EQ(s.entries[4].action, 'C');
  EXPECT_TRUE(s.entries[4].clockHasDate);
  EXPECT_EQ(s.entries[4].clock.second, 5);
}

TEST(Schedule, MalformedLinesAreListed) {
  const ScheduleSet s = ParseScheduleText(
      "2026/12/24 18:30 M text\n"     // 1 no tabs
      "2026/13/01 10:00\tM\tx\n"      // 2 month 13
      "2026/02/30 10:00\tM\tx\n"      // 3 no such day
      "2026/12/24 25:00\tM\tx\n"      // 4 hour 25
      "W8 10:00\tM\tx\n"              // 5 weekday 8
      "W5-2 10:00\tM\tx\n"            // 6 reversed range
      "2026/12/24 10:00\tX\tx\n"      // 7 unknown action
      "2026/12/24 10:00\tM\t\n"       // 8 no text
      "2026/12/24 10:00\tC\tsoon\n"   // 9 bad clock
      "2026/12/24\tM\tx\n"            // 10 no time
      "2026/12/24 10:00\tM\tok\n"     // 11 fine
      "*/02/29 07:00\tM\tleap\n"      // 12 fine (leap years)
      "*/04/31 07:00\tM\tnever\n");   // 13 no such day in any year
  std::vector<int> lines;
  for (const LineIssue& i : s.skipped) {
    lines.push_back(i.line);
    EXPECT_FALSE(i.reason.IsEmpty());
  }
  EXPECT_EQ(lines, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 13}));
  ASSERT_EQ(s.entries.size(), 2u);
  EXPECT_EQ(s.entries[0].line, 11);
}

TEST(Schedule, DueWithWildcards) {
  const ScheduleSet s = ParseScheduleText(
      "2026/12/24 18:30\tM\tfixed\n"
      "*/*/* 12:00\tM\tnoon\n"
      "*/*/* *:15\tM\tquarter\n");
  TimerSet none;
  // one second steps: only the step that reaches hh:mm:00 raises it
  EXPECT_EQ(Due(s, none, T(2026, 12, 24, 18, 29, 59), T(2026, 12, 24, 18, 30, 0)), V{"fixed"});
  EXPECT_EQ(Due(s, none, T(2026, 12, 24, 18, 30, 0), T(2026, 12, 24, 18, 30, 1)), V{});
  EXPECT_EQ(Due(s, none, T(2025, 12, 24, 18, 29, 59), T(2025, 12, 24, 18, 30, 0)), V{});
  EXPECT_EQ(Due(s, none, T(2026, 3, 1, 11, 59, 59), T(2026, 3, 1, 12, 0, 0)), V{"noon"});
  EXPECT_EQ(Due(s, none, T(2026, 3, 1, 7, 14, 59), T(2026, 3, 1, 7, 15, 0)), V{"quarter"});
  // a late tick still catches a time it jumped over, once
  EXPECT_EQ(Due(s, none, T(2026, 3, 1, 11, 59, 58), T(2026, 3, 1, 12, 0, 3)), V{"noon"});
  // an hour's gap: each entry once, in time order
  EXPECT_EQ(Due(s, none, T(2026, 3, 1, 11, 30, 0), T(2026, 3, 1, 12, 30, 0)), (V{"noon", "quarter"}));
  // clock set back: nothing
  EXPECT_EQ(Due(s, none, T(2026, 3, 1, 12, 0, 5), T(2026, 3, 1, 12, 0, 0)), V{});
}

TEST(Schedule, Weekdays) {
  const ScheduleSet s = ParseScheduleText("W1 09:00\tM\tmonday\nW7 09:00\tM\tsunday\nW1-5 09:00\tM\tworkday\n");
  TimerSet none;
  // 2026-12-07 is a Monday, 2026-12-13 a Sunday
  EXPECT_EQ(IsoWeekday(T(2026, 12, 7, 0, 0, 0)), 1);
  EXPECT_EQ(IsoWeekday(T(2026, 12, 13, 0, 0, 0)), 7);
  EXPECT_EQ(Due(s, none, T(2026, 12, 7, 8, 59, 59), T(2026, 12, 7, 9, 0, 0)), (V{"monday", "workday"}));
  EXPECT_EQ(Due(s, none, T(2026, 12, 13, 8, 59, 59), T(2026, 12, 13, 9, 0, 0)), V{"sunday"});
  EXPECT_EQ(Due(s, none, T(2026, 12, 12, 8, 59, 59), T(2026, 12, 12, 9, 0, 0)), V{});
}

TEST(Schedule, MidnightMonthAndYearRollover) {
  const ScheduleSet s = ParseScheduleText(
      "*/*/01 00:00\tM\tfirst of month\n"
      "*/01/01 00:00\tM\tnew year\n"
      "*/*/* 00:00\tM\tmidnight\n"
      "*/02/29 00:00\tM\tleap day\n");
  TimerSet none;
  EXPECT_EQ(Due(s, none, T(2026, 1, 31, 23, 59, 59), T(2026, 2, 1, 0, 0, 0)), (V{"first of month", "midnight"}));
  EXPECT_EQ(Due(s, none, T(2026, 12, 31, 23, 59, 59), T(2027, 1, 1, 0, 0, 0)),
            (V{"first of month", "new year", "midnight"}));
  EXPECT_EQ(Due(s, none, T(2028, 2, 28, 23, 59, 59), T(2028, 2, 29, 0, 0, 0)), (V{"midnight", "leap day"}));
  EXPECT_EQ(Due(s, none, T(2027, 2, 28, 23, 59, 59), T(2027, 3, 1, 0, 0, 0)), (V{"first of month", "midnight"}));
}

TEST(Timers, CountdownAndDaily) {
  const LocalTime load = T(2026, 12, 31, 23, 59, 58);
  const TimerSet t = ParseTimerText(
      "00:00:02\tお茶の時間\n"
      "~ comment\n"
      "@00:00\t新年\n"
      "01:00:00\tan hour\n",
      load);
  ASSERT_TRUE(t.skipped.empty());
  ASSERT_EQ(t.entries.size(), 3u);
  ScheduleSet none;
  // the countdown falls due two seconds after the load, across midnight
  EXPECT_EQ(Due(none, t, load, T(2026, 12, 31, 23, 59, 59)), V{});
  EXPECT_EQ(Due(none, t, T(2026, 12, 31, 23, 59, 59), T(2027, 1, 1, 0, 0, 0)), (V{"お茶の時間", "新年"}));
  EXPECT_EQ(Due(none, t, T(2027, 1, 1, 0, 0, 0), T(2027, 1, 1, 0, 0, 1)), V{});
  EXPECT_EQ(Due(none, t, T(2027, 1, 1, 0, 59, 57), T(2027, 1, 1, 0, 59, 58)), V{"an hour"});
  // the daily one comes again the next day, the countdowns do not
  EXPECT_EQ(Due(none, t, T(2027, 1, 1, 23, 59, 59), T(2027, 1, 2, 0, 0, 0)), V{"新年"});
  const auto ev = DueEntries(none, t, T(2027, 1, 1, 23, 59, 59), T(2027, 1, 2, 0, 0, 0));
  ASSERT_EQ(ev.size(), 1u);
  EXPECT_EQ(ev[0].source, DueEvent::kTimer);
  EXPECT_EQ(ev[0].action, 'M');
  EXPECT_EQ(ev[0].at.day, 2);
}

TEST(Timers, MalformedLinesAreListed) {
  const TimerSet t = ParseTimerText(
      "00:00:00\tzero\n"   // 1
      "1:2\tshort\n"       // 2
      "00:60:00\tbad\n"    // 3
      "@24:00\tbad\n"      // 4
      "00:00:10\n"         // 5 no tab
      "00:00:10\t  \n"     // 6 no message
      "99:59:59\tlong\n",  // 7 fine
      T(2026, 1, 1, 0, 0, 0));
  std::vector<int> lines;
  for (const LineIssue& i : t.skipped) lines.push_back(i.line);
  EXPECT_EQ(lines, (std::vector<int>{1, 2, 3, 4, 5, 6}));
  ASSERT_EQ(t.entries.size(), 1u);
  EXPECT_EQ(t.entries[0].seconds, 99 * 3600 + 59 * 60 + 59);
}

TEST(Schedule, LongGapsLookBackOneDayOnly) {
  const ScheduleSet s = ParseScheduleText("2026/01/01 10:00\tM\told\n2026/01/05 10:00\tM\trecent\n");
  TimerSet none;
  EXPECT_EQ(Due(s, none, T(2025, 12, 1, 0, 0, 0), T(2026, 1, 5, 12, 0, 0)), V{"recent"});
}

TEST(LocalTime, StampsRoundTrip) {
  for (LocalTime t : {T(1970, 1, 1, 0, 0, 0), T(2000, 2, 29, 23, 59, 59), T(2026, 12, 31, 12, 34, 56)}) {
    LocalTime b = LocalFromStamp(LocalStamp(t));
    EXPECT_EQ(LocalStamp(b), LocalStamp(t));
    EXPECT_EQ(b.day, t.day);
    EXPECT_EQ(b.second, t.second);
  }
  std::tm tm{};
  tm.tm_year = 126;
  tm.tm_mon = 11;
  tm.tm_mday = 6;
  tm.tm_hour = 22;
  tm.tm_sec = 60;  // leap second reading
  LocalTime l = LocalFromTm(tm);
  EXPECT_EQ(l.year, 2026);
  EXPECT_EQ(l.month, 12);
  EXPECT_EQ(l.second, 59);
}

}  // namespace
