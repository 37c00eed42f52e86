// The second-text reader: the same working form as the table's own load,
// the first record's end whatever its line end, bounded reads and refused
// allocations.
#include "csv/csv_otherfile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <utility>
#include <string>

#include "csv/csv_table.h"
#include "fw/alloc.h"
#include "support/alloc_walk.h"

namespace {

std::string Loaded(const std::string& file) {
  csv::Table t;
  EXPECT_TRUE(t.LoadFileText(file.data(), file.size(), 16));
  return std::string(reinterpret_cast<const char*>(t.m_pTextBuf), t.m_nTextLen);
}

std::string Read(const std::string& file, csv::CellBreakLoad* breaks = nullptr) {
  csv::OtherText o;
  EXPECT_EQ(csv::OtherRead::kOk, o.Load(file.data(), file.size()));
  if (breaks) *breaks = o.Breaks();
  EXPECT_EQ(0, o.Data()[o.Length()]);
  return std::string(reinterpret_cast<const char*>(o.Data()), o.Length());
}

TEST(OtherFile, SameFormAsTheTablesLoad) {
  const char* files[] = {
      "k,v\r\n1,\"a,b\"\r\n2,x\r\n",
      "k,v\n1,\"line1\nline2\",z\n2,\"q\"\"\"\n",       // multi-line cell, doubled quote
      "k,v\r\n1,\"a\r\nb\r\nc\",t\r\n",                   // CR LF inside a cell
      "k,v\r\n1,5\",x\r\n2,\"open\r\n3,y\r\n",             // stray quotes end at the row end
      "a\x7F,b\r\n\"x\ny\",z\r\n",                         // code bytes are data: no codes made
      "",
      "no line end",
  };
  for (const char* f : files) {
    SCOPED_TRACE(f);
    EXPECT_EQ(Loaded(f), Read(f));
  }
  csv::CellBreakLoad breaks;
  const std::string multi = Read("k,v\n1,\"line1\nline2\",z\n", &breaks);
  EXPECT_EQ(1u, breaks.codes);
  EXPECT_EQ(std::string("k\x06v\n1\x06\"line1\x0Eline2\"\x06z\n"), multi);
}

TEST(OtherFile, FirstRecordEndsAtAnyLineEnd) {
  struct Case {
    std::string text;
    std::size_t end, next;
  } cases[] = {
      {"ab\r\ncd", 2, 4}, {"ab\ncd", 2, 3},  {"ab\rcd", 2, 3}, {"ab", 2, 2},
      {"\r\nx", 0, 2},    {"ab\r", 2, 3},    {"", 0, 0},       {"ab\n\r\n", 2, 3},
  };
  for (const Case& c : cases) {
    const auto r = csv::FirstRecordEnd(reinterpret_cast<const std::uint8_t*>(c.text.data()), c.text.size());
    EXPECT_EQ(c.end, r.end) << c.text;
    EXPECT_EQ(c.next, r.next) << c.text;
  }
  // A title of 5,000 bytes with LF line ends: the data begins with its
  // first byte, and a quoted break in the title stays inside the record.
  std::string title = "\"t\nx\"";
  while (title.size() < 5000) title += ",col";
  const std::string file = title + "\nDATA,1\nNEXT,2\n";
  csv::OtherText o;
  ASSERT_EQ(csv::OtherRead::kOk, o.Load(file.data(), file.size()));
  const auto r = o.Title();
  EXPECT_EQ(title.size(), r.end);
  EXPECT_EQ(std::string("DATA\x06" "1\n"), std::string(reinterpret_cast<const char*>(o.Data()) + r.next, 7));
}

// A source whose size and reads disagree, or fail.
class OddSource final : public csv::OtherSource {
 public:
  OddSource(std::string bytes, std::int64_t size, bool fail) : m_bytes(std::move(bytes)), m_size(size), m_fail(fail) {}
  std::int64_t Size() override { return m_size; }
  std::int64_t ReadAt(std::uint64_t offset, void* dst, std::size_t n) override {
    if (m_fail) return -1;
    maxAsked = n > maxAsked ? n : maxAsked;
    // Hands out a few bytes at a time to exercise the read loop.
    csv::MemorySource inner(m_bytes.data(), m_bytes.size());
    return inner.ReadAt(offset, dst, n < 3 ? n : 3);
  }
  std::size_t maxAsked = 0;

 private:
  std::string m_bytes;
  std::int64_t m_size;
  bool m_fail;
};

TEST(OtherFile, ReadsAreBoundedBySizeAndOffset) {
  // The block grew after its size was asked: only the size is read.
  OddSource grew("a,b\r\nc,d\r\nEXTRA", 10, false);
  csv::OtherText o;
  ASSERT_EQ(csv::OtherRead::kOk, o.Read(grew));
  EXPECT_EQ(std::string("a\x06" "b\r\nc\x06" "d\r\n"), std::string(reinterpret_cast<const char*>(o.Data()), o.Length()));
  EXPECT_LE(grew.maxAsked, 10u);
  // It shrank: what is there is read.
  OddSource shrank("a,b", 100, false);
  ASSERT_EQ(csv::OtherRead::kOk, o.Read(shrank));
  EXPECT_EQ(3u, o.Length());
  // From an offset.
  OddSource offs("skip\r\nx,y", 9, false);
  ASSERT_EQ(csv::OtherRead::kOk, o.Read(offs, 6));
  EXPECT_EQ(std::string("x\x06y"), std::string(reinterpret_cast<const char*>(o.Data()), o.Length()));
  ASSERT_EQ(csv::OtherRead::kOk, o.Read(offs, 50));
  EXPECT_EQ(0u, o.Length());
  // Failures leave the object empty.
  OddSource failing("a,b", 3, true);
  EXPECT_EQ(csv::OtherRead::kUnreadable, o.Read(failing));
  EXPECT_EQ(nullptr, o.Data());
  OddSource noSize("a,b", -1, false);
  EXPECT_EQ(csv::OtherRead::kUnreadable, o.Read(noSize));
  OddSource huge("", 0x1FFFFFFFFll, false);
  EXPECT_EQ(csv::OtherRead::kTooLarge, o.Read(huge));
}

TEST(OtherFile, FileSourceReadsTheWholeFile) {
  const std::string path = ::testing::TempDir() + "otherfile_test.csv";
  const std::string body = "k,v\r\n1,\"x\r\ny\"\r\n";
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(nullptr, f);
  std::fwrite(body.data(), 1, body.size(), f);
  std::fclose(f);
  csv::FileSource src;
  ASSERT_TRUE(src.Open(path.c_str()));
  csv::OtherText o;
  ASSERT_EQ(csv::OtherRead::kOk, o.Read(src));
  EXPECT_EQ(Loaded(body), std::string(reinterpret_cast<const char*>(o.Data()), o.Length()));
  std::remove(path.c_str());
  csv::FileSource missing;
  EXPECT_FALSE(missing.Open((path + ".none").c_str()));
  EXPECT_EQ(csv::OtherRead::kUnreadable, o.Read(missing));
}

TEST(OtherFile, RefusedAllocationsLeaveItEmpty) {
  const std::string multi = "k,v\n1,\"a\nb\",c\n";
  for (const std::string& text : {std::string("k,v\r\n1,2\r\n"), multi}) {
    const auto last = testsupport::WalkAllocationFailures(
        [] { return std::make_unique<csv::OtherText>(); },
        [&](std::unique_ptr<csv::OtherText>& o) { return o->Load(text.data(), text.size()); },
        [](long n, csv::OtherRead r, std::unique_ptr<csv::OtherText>& o) {
          EXPECT_EQ(csv::OtherRead::kNoMemory, r) << n;
          EXPECT_EQ(nullptr, o->Data());
          EXPECT_EQ(0u, o->Length());
        });
    EXPECT_EQ(csv::OtherRead::kOk, last);
  }
}

}  // namespace
