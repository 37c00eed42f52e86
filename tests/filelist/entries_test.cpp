#include "filelist/flistcore/entries.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "tests/support/outside_tool.h"
#include "zone.h"

namespace flist {
namespace {

std::int32_t I32(std::uint32_t u) { return static_cast<std::int32_t>(u); }

TEST(ListTexts, SizeTextEdgeCasesAsOneTable) {
  struct Case {
    std::int32_t size;
    int mode;
    const char* text;
  } cases[] = {
      {-1, 0, ""},
      {-2, 0, "      +"},
      {0, 0, "      0"},
      {999, 0, "    999"},
      {1000, 0, "  1,000"},
      {123456, 0, "123,456"},
      {1048575, 0, "1048,575"},
      {1048576, 0, "  1M000"},
      {5 * 1048576 + 1000 * 1024, 0, " 5M1000"},
      {1000 * 1024, 0, "1024,000"},
      {I32(3000000000u), 0, "2861M023"},
      {I32(0x80000000u), 0, "2048M000"},
      {-10, 2, "  0M000"},
      {-20010, 2, "  2M000"},
      {-(10 + 10000 * 7 + 12), 2, "  7M012"},
      {12, 1, "12 MB "},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatSizeText(c.size, c.mode), c.text) << c.size << " mode " << c.mode;
}

TEST(ListTexts, SizesOfFourGibibytesAndMoreUseTheWholeSize) {
  // 5 GiB: the 32-bit value alone would read as 1 GiB.
  const std::uint64_t five = 5ull << 30;
  EXPECT_EQ(FormatSizeText(static_cast<std::int32_t>(static_cast<std::uint32_t>(five)), 0,
                           kSizeHighFile | static_cast<std::uint32_t>(five >> 32)),
            "5120M000");
  // A file of 0xFFFFFFFF bytes is a size, not the marker -1.
  EXPECT_EQ(FormatSizeText(-1, 0, kSizeHighFile), "4095M1024");
  EXPECT_EQ(FormatSizeText(-2, 0, kSizeHighFile), "4095M1024");
  EntryTable t;
  ASSERT_TRUE(t.AllocateEntryBuffers(10));
  t.SetSize(3, static_cast<std::int64_t>(five), true);
  EXPECT_EQ(t.WholeSize(3), static_cast<std::int64_t>(five));
  EXPECT_EQ(t.m_pEntryVal1[3], 0x40000000u);  // the 32-bit table keeps the low bits
  t.SetSize(4, -2, false);
  EXPECT_EQ(t.WholeSize(4), -2);
}

TEST(ListTexts, DateTextEdgeCases) {
  flisttest::FixZone();
  EXPECT_EQ(FormatDateText(-1, 0), "");
  EXPECT_EQ(FormatDateText(-2, 0), " ");
  EXPECT_EQ(FormatDateText(0, 0), " 01/01'70 00:00");
  EXPECT_EQ(FormatDateText(12, 1), "    12 MB");
  EXPECT_EQ(FormatDateText(1704412800, 0), " 01/05'24 09:00");  // 2024-01-05 00:00 UTC
}

#ifndef _WIN32
TEST(ListTexts, DateTextsAgreeWithPythonStrftime) {
  REQUIRE_TOOLS("python3");
  flisttest::FixZone();
  std::mt19937 rng(46);
  std::uniform_int_distribution<std::int64_t> d(1, 2145916799);
  std::string args;
  std::vector<std::int64_t> times;
  for (int i = 0; i < 1000; ++i) times.push_back(d(rng));
  char path[] = "/tmp/flist_times_XXXXXX";
  int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  FILE* f = fdopen(fd, "w");
  for (std::int64_t t : times) std::fprintf(f, "%lld\n", static_cast<long long>(t));
  std::fclose(f);
  char script[] = "/tmp/flist_strftime_XXXXXX";
  int sfd = mkstemp(script);
  ASSERT_GE(sfd, 0);
  FILE* sf = fdopen(sfd, "w");
  std::fputs("import sys, time\nfor l in open(sys.argv[1]):\n    print(time.strftime(\" %m/%d'%y %H:%M\", time.localtime(int(l))))\n", sf);
  std::fclose(sf);
  const std::string cmd = std::string("TZ=Asia/Tokyo python3 ") + script + " " + path;
  FILE* p = popen(cmd.c_str(), "r");
  ASSERT_NE(p, nullptr);
  char line[64];
  std::size_t i = 0;
  while (std::fgets(line, sizeof line, p) && i < times.size()) {
    std::string want(line);
    while (!want.empty() && (want.back() == '\n' || want.back() == '\r')) want.pop_back();
    EXPECT_EQ(FormatDateText(times[i], 0), want) << times[i];
    ++i;
  }
  pclose(p);
  std::remove(path);
  std::remove(script);
  EXPECT_EQ(i, times.size());
}

#endif

TEST(NameRecords, StoreGetCopyNeverOverrun) {
  EntryTable t;
  ASSERT_TRUE(t.AllocateEntryBuffers(4));
  EXPECT_EQ(GetNameRecord(t.m_pNameRecs, 0), "..");
  EXPECT_EQ(StoreNameRecord(t.m_pNameRecs, -1, "x"), 0u);
  EXPECT_EQ(GetNameRecord(t.m_pNameRecs, -1), "");
  EXPECT_EQ(StoreNameRecord(t.m_pNameRecs, 1, "abc"), 256u + 3u);
  StoreNameRecord(t.m_pNameRecs, 2, "next");
  // A 300-byte text is cut at 255 and leaves record 2 alone.
  EXPECT_EQ(StoreNameRecord(t.m_pNameRecs, 1, std::string(300, 'x')), 256u + 255u);
  EXPECT_EQ(GetNameRecord(t.m_pNameRecs, 1), std::string(255, 'x'));
  EXPECT_EQ(GetNameRecord(t.m_pNameRecs, 2), "next");
  EXPECT_EQ(CopyNameRecord(t.m_pTextRecs2, t.m_pNameRecs, 3, 2), 4u * 256u);
  EXPECT_EQ(GetNameRecord(t.m_pTextRecs2, 3), "next");
  EXPECT_EQ(CopyNameRecord(t.m_pTextRecs2, t.m_pNameRecs, -1, 2), 0u);
}

TEST(NameRecords, SortRecordsDifferingAfterByte250CompareEqual) {
  unsigned char a[256], b[256];
  std::memset(a, 'a', sizeof a);
  std::memset(b, 'a', sizeof b);
  b[250] = 'z';
  EXPECT_EQ(CompareSortKeysAscending(a, b), 0);
  b[249] = 'b';
  EXPECT_EQ(CompareSortKeysAscending(a, b), -1);
  EXPECT_EQ(CompareSortKeysAscending(b, a), 1);
}

TEST(EntryTables, GrowthKeepsContentsAndRewritesRecordZero) {
  EntryTable t;
  ASSERT_TRUE(t.AllocateEntryBuffers(9000));
  StoreNameRecord(t.m_pNameRecs, 0, "zz");
  StoreNameRecord(t.m_pTextRecs2, 0, "x");
  StoreNameRecord(t.m_pNameRecs, 8999, "last");
  t.m_pEntryVal1[8999] = 77;
  t.m_pMarks[8999] = 1;
  ASSERT_TRUE(t.Resize(20000));
  EXPECT_EQ(t.m_nCapacity, 20000);
  EXPECT_EQ(GetNameRecord(t.m_pNameRecs, 0), "..");
  EXPECT_EQ(GetNameRecord(t.m_pTextRecs2, 0), "");
  EXPECT_EQ(GetNameRecord(t.m_pNameRecs, 8999), "last");
  EXPECT_EQ(t.m_pEntryVal1[8999], 77u);
  EXPECT_EQ(t.m_pMarks[8999], 1);
  // The slack past the new capacity is there to write into.
  t.m_pMarks[20000 + kMarkSlack - 1] = 1;
  StoreNameRecord(t.m_pNameRecs, 20000 + kRecordSlack / kRecordBytes - 1, "slack");
  ASSERT_TRUE(t.Resize(100));
  EXPECT_EQ(GetNameRecord(t.m_pNameRecs, 99), "");
  EXPECT_EQ(t.m_nCapacity, 100);
}

}  // namespace
}  // namespace flist
