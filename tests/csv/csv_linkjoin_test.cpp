// The link join: the faults its reading of the other file, its keys and its
// marks must not have, the edge cases, Esc and refused allocations.
#include "csv/csv_linkjoin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "csv/csv_joinkeys.h"
#include "csv/csv_otherfile.h"
#include "csv_test_util.h"
#include "fw/alloc.h"
#include "support/alloc_walk.h"

namespace {

struct Host : csvtest::Recorder, csv::LinkJoinHost {
  int ReportMessage(int code, const CString& text) override { return csvtest::Recorder::ReportMessage(code, text); }
  bool PollEscape(const std::string& key) override {
    shown.push_back(key);
    return escAt > 0 && static_cast<int>(shown.size()) >= escAt;
  }
  std::vector<std::string> shown;
  int escAt = 0;
};

struct Run {
  int rc;
  std::string text;  // the result, 0x06 as ','
  std::unique_ptr<csv::Table> table;
};

Run Join(const std::string& table, const std::string& other, csv::LinkJoinArgs args = {}) {
  Run r{0, {}, csvtest::MakeTable(table)};
  csv::MemorySource src(other.data(), other.size());
  Host host;
  r.rc = csv::CsvLinkJoin(*r.table, src, args, &host);
  EXPECT_TRUE(host.calls.empty());
  csvtest::ExpectIndexesAgain(*r.table);
  r.text = csvtest::Text(*r.table);
  return r;
}

csv::LinkJoinArgs Opt(char o1, char o2 = 0) {
  csv::LinkJoinArgs a;
  a.option1 = o1;
  a.option2 = o2;
  return a;
}

TEST(LinkJoin, FirstDataRowOfTheOtherFileIsWhole) {
  // LF line ends: the first data row keeps its first byte.
  auto r = Join("k,v\r\n1,a\r\n2,b\r\n", "k,w\n1,x\n2,y\n");
  EXPECT_EQ("k,v,k,w\r\n1,a,1,x\r\n2,b,2,y\r\n", r.text);
  // CR line ends too.
  r = Join("k,v\r\n1,a\r\n", "k,w\r1,x\r");
  EXPECT_EQ("k,v,k,w\r\n1,a,1,x\r\n", r.text);
  // A title of 5,000 bytes: all its columns, and the data after it.
  std::string title = "k";
  int cols = 1;
  while (title.size() < 5000) title += ",c" + std::to_string(cols++);
  r = Join("k,v\r\n1,a\r\n", title + "\n1,first\n");
  const auto lines = r.text.substr(0, r.text.find("\r\n"));
  EXPECT_EQ(static_cast<std::size_t>(cols + 2), static_cast<std::size_t>(std::count(lines.begin(), lines.end(), ',') + 1));
  EXPECT_NE(std::string::npos, r.text.find("\r\n1,a,1,first" + std::string(cols - 2, ',') + "\r\n"));
  EXPECT_EQ(1, r.table->m_nLastRow);
}

TEST(LinkJoin, LongKeysAreComparedWhole) {
  std::string a(130, 'k'), b(130, 'k');
  b[124] = 'Z';  // differ only at byte 125
  auto r = Join("key,v\r\n" + a + ",1\r\n" + b + ",2\r\n", "key,w\r\n" + a + ",A\r\n");
  EXPECT_NE(std::string::npos, r.text.find(a + ",1," + a + ",A\r\n"));
  EXPECT_NE(std::string::npos, r.text.find(b + ",2,,\r\n"));
  // Ordered by their bytes: 'Z' (0x5A) before 'k' (0x6B).
  EXPECT_LT(r.text.find(b + ",2"), r.text.find(a + ",1"));
}

TEST(LinkJoin, MarkBytesInTheDataSurviveBoth) {
  // 0x05 inside cells and rows beginning with 0x07, in both files, under
  // "b" with leading cells (L = 1) and without (L = 0).
  const std::string table = "k,v\r\n1,a\x05" "b\r\n\x07" "2,c\r\n";
  const std::string other = "k,w\r\n\x07" "2,x\x05y\r\n3,\x07z\r\n1,q\r\n";
  csv::LinkJoinArgs args = Opt('b');
  args.insertBefore = 2;
  auto r = Join(table, other, args);
  EXPECT_EQ(0, r.rc);
  EXPECT_EQ("k,k,w,v\r\n1,1,q,a\x05" "b\r\n\x07" "2,\x07" "2,x\x05y,c\r\n,3,\x07z,\r\n", r.text);
  args.insertBefore = 1;
  r = Join(table, other, args);
  EXPECT_EQ("k,w,k,v\r\n1,q,1,a\x05" "b\r\n\x07" "2,x\x05y,\x07" "2,c\r\n3,\x07z,,\r\n", r.text);
}

TEST(LinkJoin, RowCountIsRowsMinusOneWhateverTheOption) {
  for (char o : {'\0', '1'}) {
    auto r = Join("k,v\r\n1,a\r\n2,b\r\n3,c\r\n", "k,w\r\n1,x\r\n", Opt(o));
    EXPECT_EQ(3, r.table->m_nLastRow);
    EXPECT_EQ(4u, r.table->m_nFieldCount);
  }
}

TEST(LinkJoin, MultiLineCellsOfTheOtherFileArriveWhole) {
  const std::string other = "k,memo\r\n1,\"line one\r\nline two\",\r\n2,\"a\nb\"\r\n";
  auto r = Join("k,v\r\n2,b\r\n1,a\r\n", other);
  EXPECT_EQ(2, r.table->m_nLastRow);
  EXPECT_EQ("k,v,k,memo\r\n1,a,1,\"line one\r\nline two\",\r\n2,b,2,\"a\nb\"\r\n",
            r.table->FileText(csv::CommaFormKind::kComma));
}

TEST(LinkJoin, EdgeCases) {
  // A key twice in the other file: every row gets the later one.
  auto r = Join("k,v\r\n1,a\r\n1,b\r\n", "k,w\r\n1,first\r\n1,second\r\n");
  EXPECT_EQ("k,v,k,w\r\n1,a,1,second\r\n1,b,1,second\r\n", r.text);
  // "s": a key twice in the table gives the partner to its first row only.
  r = Join("k,v\r\n1,a\r\n1,b\r\n", "k,w\r\n1,x\r\n", Opt('s'));
  EXPECT_EQ("k,v,k,w\r\n1,a,1,x\r\n1,b,,\r\n", r.text);
  // A quoted key meets its unquoted twin; rows come out in key order.
  r = Join("k,v\r\n\"b\",2\r\na,1\r\n", "k,w\r\nb,x\r\n\"a\",y\r\n");
  EXPECT_EQ("k,v,k,w\r\na,1,\"a\",y\r\n\"b\",2,b,x\r\n", r.text);
  // "b" as option1 moves to option2; "e" pairs the last other row first.
  r = Join("k,v\r\n1,a\r\n1,b\r\n1,c\r\n", "k,w\r\n1,x\r\n1,y\r\n0,z\r\n", Opt('b', 'e'));
  EXPECT_EQ("k,v,k,w\r\n,,0,z\r\n1,a,1,y\r\n1,b,1,x\r\n1,c,,\r\n", r.text);
  // Keys without their control bytes: a TAB in a key is no part of it.
  r = Join("k,v\r\na\tb,1\r\n", "k,w\r\nab,x\r\n");
  EXPECT_EQ("k,v,k,w\r\na\tb,1,ab,x\r\n", r.text);
  // An empty other file: every row gets one empty cell.
  r = Join("k,v\r\n1,a\r\n", "");
  EXPECT_EQ("k,v,\r\n1,a,\r\n", r.text);
}

TEST(LinkJoin, RangeAndPrefixRules) {
  // The previous group's range key is tried past an exact key between.
  auto r = Join("k\r\na150\r\na250\r\n", "k,w\r\na&100&199,band\r\na1,one\r\n");
  EXPECT_EQ("k,k,w\r\na150,a&100&199,band\r\na250,,\r\n", r.text);
  // The prefix walk: the nearest key that begins the row's key; q counts.
  r = Join("k\r\n1234\r\n1299\r\n", "k,w\r\n12,two\r\n123,three\r\n1240,x\r\n", Opt('q'));
  EXPECT_EQ("k,nbk,k,w\r\n1234,0,123,three\r\n1299,2,12,two\r\n", r.text);
  // The walk gives up after 200 records when the candidate's key and the
  // row's key differ within 7 bytes, after 1000 otherwise.
  std::string other = "k,w\r\nA,hit\r\nABCDEFG,far\r\n";
  for (int i = 0; i < 250; ++i) other += "A" + std::to_string(100 + i) + "x,m\r\nABCDEFG" + std::to_string(100 + i) + "x,m\r\n";
  r = Join("k\r\nA999\r\n", other, Opt('p'));
  EXPECT_EQ("k,k,w\r\nA999,,\r\n", r.text);
  r = Join("k\r\nABCDEFG999\r\n", other, Opt('q'));
  EXPECT_EQ("k,nbk,k,w\r\nABCDEFG999,250,ABCDEFG,far\r\n", r.text);
}

TEST(LinkJoin, ColumnSelectionAndLeadingCells) {
  // "#" marks the key among the selected columns; "!" leaves the first
  // selected column out; L = 1 keeps the table's first cell in front.
  csv::LinkJoinArgs a;
  a.otherColumns = "!3,#1";
  a.insertBefore = 2;
  auto r = Join("k,v\r\n1,a\r\n2,b\r\n", "id,x,y\r\n2,p,q\r\n1,r,s\r\n", a);
  EXPECT_EQ("k,id,v\r\n1,1,a\r\n2,2,b\r\n", r.text);
  // Short rows of either side are filled to their column counts.
  r = Join("a,b,c\r\n1\r\n", "a,x,y\r\n1\r\n", [] {
    csv::LinkJoinArgs x;
    x.insertBefore = 3;
    return x;
  }());
  EXPECT_EQ("a,b,a,x,y,c\r\n1,,1,,\r\n", r.text);
}

TEST(LinkJoin, UnreadableSourceChangesNothing) {
  auto t = csvtest::MakeTable("k\r\n1\r\n");
  struct Broken final : csv::OtherSource {
    std::int64_t Size() override { return -1; }
    std::int64_t ReadAt(std::uint64_t, void*, std::size_t) override { return -1; }
  } broken;
  Host host;
  bool unreadable = false;
  EXPECT_EQ(-1, csv::CsvLinkJoin(*t, broken, {}, &host, &unreadable));
  EXPECT_TRUE(unreadable);
  EXPECT_TRUE(host.calls.empty());
  EXPECT_EQ("k\r\n1\r\n", csvtest::Text(*t));
}

std::string Rows(int n, const char* tag) {
  std::string s = "k,v\r\n";
  for (int i = 0; i < n; ++i) s += std::to_string((i * 7919) % n) + "," + tag + std::to_string(i) + "\r\n";
  return s;
}

TEST(LinkJoin, EscEndsTheJoinWithTheTableUnchanged) {
  const std::string table = Rows(5000, "t"), other = Rows(5000, "o");
  auto t = csvtest::MakeTable(table);
  const std::string before = csvtest::Raw(*t);
  csv::MemorySource src(other.data(), other.size());
  Host host;
  host.escAt = 3;
  EXPECT_EQ(-1, csv::CsvLinkJoin(*t, src, {}, &host));
  EXPECT_EQ(3u, host.shown.size());
  EXPECT_FALSE(host.shown[0].empty());
  EXPECT_TRUE(host.calls.empty());
  EXPECT_EQ(before, csvtest::Raw(*t));
  EXPECT_EQ(5000, t->m_nLastRow);
}

TEST(LinkJoin, RefusedAllocationsLeaveTheTableUnchanged) {
  const std::string table = "k,v\r\n2,b\r\n1,a\r\n3,c\r\n";
  const std::string other("k,w,z\r\n1,\"x\r\ny\",q\r\n2,\x00n,q\r\n9,u,v\r\n", 34);
  for (const char* cols : {"", "!3,#1"}) {
    for (int L : {0, 1}) {
      const auto last = testsupport::WalkAllocationFailures(
          [&] { return csvtest::MakeTable(table); },
          [&](std::unique_ptr<csv::Table>& t) {
            csv::MemorySource src(other.data(), other.size());
            Host host;
            csv::LinkJoinArgs a = Opt('b');
            a.otherColumns = cols;
            a.insertBefore = L;
            const int rc = csv::CsvLinkJoin(*t, src, a, &host);
            return std::make_pair(rc, host.calls);
          },
          [&](long n, const std::pair<int, std::vector<std::pair<int, std::string>>>& res,
              std::unique_ptr<csv::Table>& t) {
            EXPECT_EQ(-1, res.first) << n;
            ASSERT_EQ(1u, res.second.size()) << n;
            EXPECT_GE(res.second[0].first, 106) << n;
            EXPECT_LE(res.second[0].first, 109) << n;
            EXPECT_EQ(table, csvtest::Text(*t)) << n;
          });
      EXPECT_EQ(0, last.first);
    }
  }
}

}  // namespace

// The record sort against a plain comparison sort of whole keys: keys of
// 0-40 bytes from three letters, so many share their first 16 bytes and
// differ after them or only in length, and equal keys keep their order.
TEST(LinkJoin, RecordSortAgreesWithWholeKeyOrder) {
  std::uint32_t seed = 12345;
  auto next = [&seed] { return seed = seed * 1103515245u + 12345u, seed >> 16; };
  for (std::size_t n : {0u, 1u, 2u, 7u, 300u, 5000u}) {
    std::vector<std::string> keys(n);
    for (auto& k : keys) {
      const std::size_t len = next() % 4 == 0 ? 16 + next() % 3 : next() % 41;
      for (std::size_t j = 0; j < len; ++j) k.push_back(static_cast<char>(j < 14 ? 'a' : 'a' + next() % 3));
      if (next() % 5 == 0) k = "\x83\x5C" + std::to_string(next() % 50);
    }
    auto* recs = static_cast<csv::JoinRecord*>(fw::Alloc((n ? n : 1) * sizeof(csv::JoinRecord)));
    ASSERT_NE(nullptr, recs);
    for (std::size_t i = 0; i < n; ++i) {
      std::memset(&recs[i], 0, sizeof recs[i]);
      recs[i].key = reinterpret_cast<const std::uint8_t*>(keys[i].data());
      recs[i].keyLen = static_cast<std::uint32_t>(keys[i].size());
    }
    std::vector<std::size_t> want(n);
    for (std::size_t i = 0; i < n; ++i) want[i] = i;
    std::stable_sort(want.begin(), want.end(), [&](std::size_t x, std::size_t y) {
      return std::lexicographical_compare(keys[x].begin(), keys[x].end(), keys[y].begin(), keys[y].end(),
                                          [](char a, char b) { return static_cast<unsigned char>(a) < static_cast<unsigned char>(b); });
    });
    ASSERT_TRUE(csv::SortJoinRecords(&recs, n));
    for (std::size_t i = 0; i < n; ++i) {
      EXPECT_EQ(want[i], recs[i].index) << n << " " << i;
      EXPECT_EQ(reinterpret_cast<const std::uint8_t*>(keys[want[i]].data()), recs[i].key) << n << " " << i;
    }
    fw::Free(recs);
  }
}
