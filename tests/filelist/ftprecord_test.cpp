// Server entries as list records: the time rules of a site (the 9-hour
// shift and the year repair's four windows, against a fixed "now"), the
// extension, sizes, and the names the list leaves out.
#include <gtest/gtest.h>

#include <string>

#include "core/docsvc/ftppath.h"
#include "filelist/flistcore/ftprecord.h"
#include "fw/datetime.h"
#include "zone.h"

namespace {

std::int64_t Local(int y, int mo, int d, int h, int mi, int s) {
  flisttest::FixZone();
  return fw::MakeLocalTime(y, mo, d, h, mi, s, -1);
}

constexpr std::int64_t kYear365 = 31536000;
constexpr std::int64_t kYear366 = 31622400;
constexpr std::int64_t kNine = 32400;

TEST(FtpRecord, YearRepairWindows) {
  const std::int64_t now = Local(2026, 12, 9, 12, 0, 0);
  const std::int64_t leapNow = Local(2024, 12, 9, 12, 0, 0);  // the year before holds Feb 29
  struct Case {
    const char* what;
    std::int64_t now;
    std::int64_t t;
    bool odd;
    std::int64_t want;
  };
  const Case cases[] = {
      // One year of 365 days, a few minutes either way: the current year.
      {"365 days less 5 min", now, now - kYear365 + 300, false, now + 300},
      {"365 days and 5 min", now, now - kYear365 - 300, false, now - 300},
      {"365 days, window's inner edge", now, now - 31534001, false, now - 31534001 + kYear365},
      {"365 days, just outside below", now, now - 31534000, false, now - 31534000},
      {"365 days, just outside above", now, now - 31538000, false, now - 31538000},
      // 366 days (the span crosses Feb 29).
      {"366 days", leapNow, leapNow - kYear366 + 100, false, leapNow + 100},
      {"366 days, just outside", leapNow, leapNow - 31624400, false, leapNow - 31624400},
      // A year and 9 hours: the current year plus 9 hours.
      {"365 days and 9 hours", now, now - kYear365 - kNine, false, now},
      {"365 days and 9 hours, edge", now, now - 31570399, false, now - 31570399 + kYear365 + kNine},
      {"365 days and 9 hours, outside", now, now - 31570400, false, now - 31570400},
      {"366 days and 9 hours", leapNow, leapNow - kYear366 - kNine + 60, false, leapNow + 60},
      // Not near a year: unchanged.
      {"same year", now, now - 86400, false, now - 86400},
      {"half a year", now, now - kYear365 / 2, false, now - kYear365 / 2},
      {"two years", now, Local(2024, 12, 9, 12, 0, 0), false, Local(2024, 12, 9, 12, 0, 0)},
      {"three years", now, Local(2023, 12, 9, 12, 5, 0), false, Local(2023, 12, 9, 12, 5, 0)},
      // The 9-hour rule of an odd flag digit, alone and before the repair.
      {"odd flag", now, now - 86400, true, now - 86400 - kNine},
      {"odd flag then a year", now, now - kYear365 + kNine + 300, true, now + 300},
      // Times the list cannot hold.
      {"2040", now, Local(2040, 1, 1, 0, 0, 0), false, 0},
      {"before 1970", now, -5, false, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(flist::FtpListTime(c.t, c.odd, c.now), c.want) << c.what;

  // Years 0-2 apart with a span of one year: the repair applies; from New
  // Year's Eve two years back it still does (the years differ by 2).
  const std::int64_t newYear = Local(2026, 1, 1, 0, 0, 0);
  const std::int64_t eve = Local(2024, 12, 31, 23, 55, 0);
  EXPECT_EQ(newYear - eve, kYear365 + 300);
  EXPECT_EQ(flist::FtpListTime(eve, false, newYear), Local(2026, 12, 31, 23, 55, 0));
}

TEST(FtpRecord, RecordsOfFilesAndFolders) {
  const std::int64_t now = Local(2026, 12, 9, 12, 0, 0);
  fileops::FolderEntry e;
  flist::WorkEntry w;
  e.name = "README";
  e.size = 1234;
  e.mtime = now - 86400;
  e.attributes = fileops::kAttrArchive | 0x80;
  ASSERT_TRUE(flist::FtpWorkEntry(e, false, now, &w));
  EXPECT_EQ(w.name, "README");
  EXPECT_EQ(w.ext, "*");
  EXPECT_EQ(w.size, 1234);
  EXPECT_EQ(w.WholeSize(), 1234u);
  EXPECT_EQ(w.attributes, fileops::kAttrArchive);
  EXPECT_EQ(w.time, static_cast<std::uint32_t>(now - 86400));

  e.name = "a.tar.gz";
  e.size = 5000000000ull;  // beyond 32 bits
  ASSERT_TRUE(flist::FtpWorkEntry(e, true, now, &w));
  EXPECT_EQ(w.ext, "gz");
  EXPECT_EQ(w.WholeSize(), 5000000000ull);
  EXPECT_EQ(w.time, static_cast<std::uint32_t>(now - 86400 - kNine));
  EXPECT_EQ(flist::FtpExtension(".profile"), "*");
  EXPECT_EQ(flist::FtpExtension("a."), "");

  // Japanese names on a Shift-JIS server: "表.txt" and the folder "ソフト"
  // (both hold the trail byte 0x5C).
  e.name = "\x95\x5C.txt";
  ASSERT_TRUE(flist::FtpWorkEntry(e, false, now, &w));
  EXPECT_EQ(w.ext, "txt");
  e.name = "\x83\x5C\x83\x74\x83\x67";
  e.attributes = fileops::kAttrFolder;
  ASSERT_TRUE(flist::FtpWorkEntry(e, false, now, &w));
  EXPECT_EQ(w.size, -1);
  EXPECT_TRUE(w.IsFolderLike());
  EXPECT_EQ(w.ext, "");
}

TEST(FtpRecord, NamesThatArePathsAreLeftOut) {
  const std::int64_t now = Local(2026, 12, 9, 12, 0, 0);
  const std::string bad[] = {
      ".", "..", "...", "", "a\\b", "..\\x", "..\\..\\x", "a/b", "/", "x\x01y", std::string("a\0b", 3), "tab\there",
      "del\x7F", "lead\x83", std::string(256, 'n'), std::string(300, 'n'),
  };
  for (const std::string& name : bad) {
    fileops::FolderEntry e;
    e.name = name;
    flist::WorkEntry w;
    EXPECT_FALSE(flist::FtpWorkEntry(e, false, now, &w)) << name;
    EXPECT_FALSE(docsvc::IsSafeFtpName(name) && name != "." && name != "..") << name;
  }
  const std::string good[] = {"a", ".profile", "a..b", "\x95\x5C", "\x83\x5C\x83\x74\x83\x67", "sp ace",
                              std::string(255, 'n'), "~$x", "#~$_a"};
  for (const std::string& name : good) EXPECT_TRUE(docsvc::IsSafeFtpName(name)) << name;
}

}  // namespace
