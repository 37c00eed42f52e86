#include "filelist/flistcore/filters.h"

#include <gtest/gtest.h>

#include "fw/datetime.h"
#include "zone.h"

namespace flist {
namespace {

bool Passes(const std::string& f1, const std::string& f2, const std::string& f3, const std::string& name,
            std::uint64_t size = 0, std::int64_t time = 0) {
  ListFilter f[3] = {ParseListFilter(f1), ParseListFilter(f2), ParseListFilter(f3)};
  return FilePasses(ConditionsFromFilters(f), name, size, time);
}

TEST(ListFilters, ParsingOfEachForm) {
  ListFilter f = ParseListFilter("+!TMP");
  EXPECT_TRUE(f.orFlag);
  EXPECT_EQ(f.op, '!');
  EXPECT_EQ(f.pattern, "tmp");
  f = ParseListFilter(">10k");
  EXPECT_EQ(f.sizeLimit, 10240u);
  f = ParseListFilter(">1m");
  EXPECT_EQ(f.sizeLimit, 1048576u);
  f = ParseListFilter("<1000000b");
  EXPECT_EQ(f.sizeLimit, 1000000u);
  f = ParseListFilter("ab*cd");
  EXPECT_EQ(f.pattern, "ab");
  EXPECT_EQ(f.suffix, "cd");
  EXPECT_EQ(f.starPos, 2);
}

TEST(ListFilters, LeadingStarIsAnyText) {
  EXPECT_EQ(ParseListFilter("*.txt").pattern, ".txt");
  EXPECT_TRUE(Passes("*.txt", "", "", "report.txt"));
  EXPECT_FALSE(Passes("*.txt", "", "", "report.csv"));
  EXPECT_TRUE(Passes("a*", "+*.txt", "", "zz.txt"));
  EXPECT_TRUE(Passes("a*", "+*.txt", "", "abc.csv"));
  EXPECT_FALSE(Passes("a*", "+*.txt", "", "zz.csv"));
  EXPECT_TRUE(Passes("*", "", "", "anything"));
}

TEST(ListFilters, WalkEdgeCases) {
  // Size at least 1,000,000 bytes.
  EXPECT_TRUE(Passes(">1000000b", "", "", "a", 1000000));
  EXPECT_FALSE(Passes(">1000000b", "", "", "a", 999999));
  // Either text with "+".
  EXPECT_TRUE(Passes("abc", "+xyz", "", "1xyz"));
  EXPECT_TRUE(Passes("abc", "+xyz", "", "abc2"));
  EXPECT_FALSE(Passes("abc", "+xyz", "", "none"));
  EXPECT_FALSE(Passes("abc", "xyz", "", "abc2"));
  // Negation.
  EXPECT_FALSE(Passes("!tmp", "", "", "a.tmp"));
  EXPECT_TRUE(Passes("!tmp", "", "", "a.txt"));
  // Anchored at the start.
  EXPECT_TRUE(Passes("|re", "", "", "report.txt"));
  EXPECT_FALSE(Passes("|re", "", "", "prereq.txt"));
  // The second text is looked for after the first.
  EXPECT_TRUE(Passes("ab*cd", "", "", "abxcd"));
  EXPECT_FALSE(Passes("ab*cd", "", "", "cdab"));
  // Upper-case filters match the lowered name.
  EXPECT_TRUE(Passes("REP", "", "", "report"));
}

TEST(ListFilters, DatesInEveryForm) {
  flisttest::FixZone();
  const std::int64_t want = fw::MakeLocalTime(2024, 1, 5, 0, 0, 0, -1);
  for (const char* t : {"2024/1/5", "24/01/05", "20240105", "240105", "2024-01-05", "24.01.05"}) {
    std::int64_t got = 0;
    EXPECT_TRUE(ParseFilterDate(t, &got)) << t;
    EXPECT_EQ(got, want) << t;
  }
  std::int64_t got = 0;
  EXPECT_TRUE(ParseFilterDate("2401", &got));
  EXPECT_EQ(got, fw::MakeLocalTime(2024, 1, 1, 0, 0, 0, -1));
  EXPECT_FALSE(ParseFilterDate("2024/13/01", &got));
  EXPECT_FALSE(ParseFilterDate("2060/01/01", &got));
  // ">" holds from the date on, "<" before it.
  EXPECT_TRUE(Passes(">2024/1/5", "", "", "x", 0, want));
  EXPECT_FALSE(Passes(">2024/1/5", "", "", "x", 0, want - 1));
  EXPECT_TRUE(Passes("<20240105", "", "", "x", 0, want - 1));
}

TEST(ListFilters, Descriptions) {
  EXPECT_EQ(DescribeFilters("a*", "+*.txt", "b*"), "([a*]+[*.txt])&[b*]");
  EXPECT_EQ(DescribeFilters("a*", "+*.txt", ""), "[a*]+[*.txt]");
  EXPECT_EQ(DescribeFilters("a", "b", "+c"), "[a]&[b]+[c]");
  EXPECT_EQ(DescribeFilters("", "", ""), "");
}

}  // namespace
}  // namespace flist
