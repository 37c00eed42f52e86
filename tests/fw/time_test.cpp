#include <gtest/gtest.h>

#include <limits>

#include "fw/clock.h"
#include "fw/datetime.h"
#include "fw/geometry.h"
#include "fw/oledate.h"

TEST(OleDateTime, SerialsOfKnownDates) {
  struct {
    double serial;
    int y, m, d, h, mi, s, dow, doy;
  } const cases[] = {
      {45292.0, 2024, 1, 1, 0, 0, 0, 2, 1},         // a Monday
      {1.0, 1899, 12, 31, 0, 0, 0, 1, 365},         // a Sunday
      {0.0, 1899, 12, 30, 0, 0, 0, 7, 364},
      {60.0, 1900, 2, 28, 0, 0, 0, 4, 59},          // no 1900-02-29 here
      {61.0, 1900, 3, 1, 0, 0, 0, 5, 60},
      {36526.5, 2000, 1, 1, 12, 0, 0, 7, 1},
      {36585.75, 2000, 2, 29, 18, 0, 0, 3, 60},     // leap day of a 400-year leap year
      {-1.25, 1899, 12, 29, 6, 0, 0, 6, 363},       // before day 0 the time still counts forward
      {2958465.0, 9999, 12, 31, 0, 0, 0, 6, 365},
      {-657434.0, 100, 1, 1, 0, 0, 0, 6, 1},
  };
  for (const auto& c : cases) {
    COleDateTime t(c.serial);
    ASSERT_EQ(COleDateTime::valid, t.GetStatus()) << c.serial;
    EXPECT_EQ(c.y, t.GetYear()) << c.serial;
    EXPECT_EQ(c.m, t.GetMonth()) << c.serial;
    EXPECT_EQ(c.d, t.GetDay()) << c.serial;
    EXPECT_EQ(c.h, t.GetHour()) << c.serial;
    EXPECT_EQ(c.mi, t.GetMinute()) << c.serial;
    EXPECT_EQ(c.s, t.GetSecond()) << c.serial;
    EXPECT_EQ(c.dow, t.GetDayOfWeek()) << c.serial;
    EXPECT_EQ(c.doy, t.GetDayOfYear()) << c.serial;
    COleDateTime back;
    ASSERT_EQ(0, back.SetDateTime(c.y, c.m, c.d, c.h, c.mi, c.s));
    EXPECT_DOUBLE_EQ(c.serial, back.m_dt);
  }
}

TEST(OleDateTime, RoundingAndInvalidValues) {
  // 23:59:59.6 rounds to the next midnight, into the next day.
  COleDateTime t(45292.0 + 86399.6 / 86400.0);
  EXPECT_EQ(2, t.GetDay());
  EXPECT_EQ(0, t.GetHour());
  COleDateTime bad;
  EXPECT_EQ(1, bad.SetDateTime(2023, 2, 29, 0, 0, 0));
  EXPECT_EQ(COleDateTime::invalid, bad.GetStatus());
  EXPECT_EQ(-1, bad.GetYear());
  EXPECT_EQ("", bad.Format("%Y"));
  EXPECT_EQ(1, bad.SetDateTime(2024, 1, 1, 24, 0, 0));
  EXPECT_EQ(1, bad.SetDateTime(99, 12, 31, 0, 0, 0));
  EXPECT_EQ(COleDateTime::invalid, COleDateTime(2958466.0).GetStatus());
  EXPECT_EQ(COleDateTime::invalid, COleDateTime(-657435.0).GetStatus());
  EXPECT_EQ(COleDateTime::invalid, COleDateTime(std::numeric_limits<double>::quiet_NaN()).GetStatus());
  EXPECT_EQ(0, bad.SetDate(2024, 2, 29));
  EXPECT_EQ("2024/02/29 (Thu) day 060", bad.Format("%Y/%m/%d (%a) day %j"));
}

TEST(Time, FieldsFormatAndDayOfWeek) {
  CTime t(2024, 3, 9, 14, 5, 7);  // local time, whatever the zone
  EXPECT_EQ(2024, t.GetYear());
  EXPECT_EQ(3, t.GetMonth());
  EXPECT_EQ(9, t.GetDay());
  EXPECT_EQ(14, t.GetHour());
  EXPECT_EQ(5, t.GetMinute());
  EXPECT_EQ(7, t.GetSecond());
  EXPECT_EQ(7, t.GetDayOfWeek());  // Saturday
  EXPECT_EQ("2024/03/09 14:05:07", t.Format("%Y/%m/%d %H:%M:%S"));
  EXPECT_EQ("2024年3月9日 Sat March 02PM %q 100%", t.Format("%Y年%#m月%#d日 %a %B %I%p %q 100%%"));
  EXPECT_EQ("03/09/24", t.Format("%x"));
  // Month 13 rolls over into the next year.
  CTime r(2023, 13, 1, 0, 0, 0);
  EXPECT_EQ(2024, r.GetYear());
  EXPECT_EQ(1, r.GetMonth());
  // Arithmetic on seconds.
  // (Mid-January: no zone changes its clocks then.)
  CTimeSpan span = CTime(2024, 1, 17, 14, 5, 7) - CTime(2024, 1, 16, 13, 4, 6);
  EXPECT_EQ(1, span.GetDays());
  EXPECT_EQ(1, span.GetHours());
  EXPECT_EQ(90061, span.GetTotalSeconds());
  EXPECT_EQ(86400, (t + CTimeSpan(1, 0, 0, 0)).GetTime() - t.GetTime());
  EXPECT_EQ("1970/01/01 00:00:00", CTime(0).FormatGmt("%Y/%m/%d %H:%M:%S"));
  EXPECT_EQ("2038/01/19 03:14:08", CTime(2147483648LL).FormatGmt("%Y/%m/%d %H:%M:%S"));
  // The same moment as a serial day.
  COleDateTime o(t);
  EXPECT_EQ("2024-03-09 14:05:07", o.Format("%Y-%m-%d %H:%M:%S"));
}

TEST(Clock, TestsCanFixTheClock) {
  fw::clocktest::Fix(1704067200, 5000);  // 2024-01-01 00:00:00 UTC
  EXPECT_EQ(1704067200, fw::CurrentTime());
  EXPECT_EQ(1704067200, CTime::GetCurrentTime().GetTime());
  EXPECT_EQ(5000u, fw::TickCount());
  fw::clocktest::Advance(1500);
  EXPECT_EQ(1704067201, fw::CurrentTime());
  EXPECT_EQ(1704067201500, fw::CurrentTimeMs());
  EXPECT_EQ(6500u, fw::TickCount());
  COleDateTime now = COleDateTime::GetCurrentTime();
  EXPECT_EQ(CTime(1704067201).GetDay(), now.GetDay());
  fw::clocktest::Release();
  EXPECT_GT(fw::CurrentTime(), 1704067200);  // the real clock again
}

TEST(Geometry, RectOperations) {
  CRect r(10, 20, 30, 60);
  EXPECT_EQ(20, r.Width());
  EXPECT_EQ(40, r.Height());
  EXPECT_TRUE(r.PtInRect(CPoint(10, 20)));
  EXPECT_FALSE(r.PtInRect(CPoint(30, 20)));  // right and bottom edges are outside
  EXPECT_EQ(CPoint(20, 40), r.CenterPoint());
  CRect i;
  EXPECT_TRUE(i.IntersectRect(r, CRect(25, 0, 100, 30)));
  EXPECT_EQ(CRect(25, 20, 30, 30), i);
  EXPECT_FALSE(i.IntersectRect(r, CRect(30, 20, 40, 60)));  // touching only
  EXPECT_TRUE(i.IsRectNull());
  CRect u;
  EXPECT_TRUE(u.UnionRect(r, CRect()));
  EXPECT_EQ(r, u);
  CRect n(5, 5, 1, 2);
  EXPECT_TRUE(n.IsRectEmpty());
  n.NormalizeRect();
  EXPECT_EQ(CRect(1, 2, 5, 5), n);
  n.InflateRect(1, 2);
  n.OffsetRect(10, 0);
  EXPECT_EQ(CRect(10, 0, 16, 7), n);
  EXPECT_EQ(CSize(6, 7), n.Size());
  EXPECT_EQ(CSize(3, 4), CPoint(4, 6) - CPoint(1, 2));
}
