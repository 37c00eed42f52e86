// The column append and the vertical concatenation: the cases around the
// rows (fewer, more, a wide file beside a long table), the cut after the
// data rows, sources with nothing to add, the table's own cells, quoted
// line breaks, the shared-memory messages and refused allocations.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

#include "concat_titles.h"
#include "csv/csv_appendcols.h"
#include "csv/csv_concat.h"
#include "csv/csv_otherfile.h"
#include "csv_test_util.h"
#include "fw/alloc.h"
#include "support/alloc_walk.h"

namespace {

using csvtest::MakeTable;
using csvtest::Raw;
using csvtest::Recorder;
using csvtest::Text;

// A source whose size or reads can fail, as a shared-memory block can.
struct FailingSource : csv::OtherSource {
  std::string bytes;
  bool sizeFails = false, readFails = false;
  std::int64_t Size() override { return sizeFails ? -1 : static_cast<std::int64_t>(bytes.size()); }
  std::int64_t ReadAt(std::uint64_t offset, void* dst, std::size_t n) override {
    if (readFails) return -1;
    csv::MemorySource m(bytes.data(), bytes.size());
    return m.ReadAt(offset, dst, n);
  }
};

csv::ConcatResult Concat(csv::Table& t, const std::string& other, int skip, int mode, Recorder* host,
                         int kind = 33) {
  csv::MemorySource src(other.data(), other.size());
  csv::ConcatArgs args;
  args.skipLines = skip;
  args.sourceMode = mode;
  args.fileKind = kind;
  return csv::CsvConcatVertical(t, args, src, csvtest::TitleResolver(), host);
}

csv::AppendResult Append(csv::Table& t, const std::string& other, Recorder* host) {
  csv::MemorySource src(other.data(), other.size());
  return csv::CsvAppendColumns(t, src, host);
}

TEST(AppendColumns, FewerFileRowsGiveEmptyCellsAndMoreAreUnused) {
  auto t = MakeTable("a,b\r\n1,2\r\n3,4\r\n");
  Recorder host;
  ASSERT_EQ(csv::AppendResult::kDone, Append(*t, "x,y,z\r\np,q,r\n", &host));
  EXPECT_EQ("a,b,x,y,z\r\n1,2,p,q,r\r\n3,4,,,", Text(*t));
  EXPECT_EQ(5u, t->m_nFieldCount);
  EXPECT_EQ(2, t->m_nLastRow);
  auto u = MakeTable("a\r\n1\r\n");
  ASSERT_EQ(csv::AppendResult::kDone, Append(*u, "x\r\np\r\nq\r\nr\r\n", &host));
  EXPECT_EQ("a,x\r\n1,p", Text(*u));
  EXPECT_TRUE(host.calls.empty());
}

// The output grows as it must: a file of ten columns and two rows beside a
// table of 200,000 rows adds 1.8 MB of separators.
TEST(AppendColumns, WideFileBesideLongTableComesOutComplete) {
  std::string table = "k\r\n";
  for (int i = 0; i < 200000; ++i) table += "1\r\n";
  auto t = MakeTable(table);
  Recorder host;
  ASSERT_EQ(csv::AppendResult::kDone, Append(*t, "a,b,c,d,e,f,g,h,i,j\r\n0,1,2,3,4,5,6,7,8,9\r\n", &host));
  EXPECT_TRUE(host.calls.empty());
  EXPECT_EQ(200000, t->m_nLastRow);
  const std::string text = Text(*t);
  const std::string head = "k,a,b,c,d,e,f,g,h,i,j\r\n1,0,1,2,3,4,5,6,7,8,9\r\n1,,,,,,,,,,\r\n";
  EXPECT_EQ(head, text.substr(0, head.size()));
  EXPECT_EQ("\r\n1,,,,,,,,,,", text.substr(text.size() - 13));
  csvtest::ExpectIndexesAgain(*t);
}

TEST(AppendColumns, MultiLineCellsOfTheFileStayOneRow) {
  auto t = MakeTable("a\r\n1\r\n2\r\n");
  Recorder host;
  ASSERT_EQ(csv::AppendResult::kDone, Append(*t, "x\r\n\"p\r\nq\"\r\nr\r\n", &host));
  EXPECT_EQ(2, t->m_nLastRow);
  EXPECT_EQ("a,x\r\n1,\"p\r\nq\"\r\n2,r", t->FileText(csv::CommaFormKind::kComma));
}

TEST(AppendColumns, RefusedAllocationsLeaveTheTableAsItWas) {
  const std::string table = "a,b\r\n1,2\r\n3,4\r\n";
  std::set<int> codes;
  testsupport::WalkAllocationFailures(
      [&] { return MakeTable(table); },
      [&](std::unique_ptr<csv::Table>& t) {
        Recorder host;
        const auto r = Append(*t, "x,\"y\r\nz\"\r\np,q\r\n", &host);
        if (r != csv::AppendResult::kDone) {
          EXPECT_EQ(1u, host.calls.size());
          if (!host.calls.empty()) codes.insert(host.calls[0].first);
        }
        return r;
      },
      [&](long n, csv::AppendResult r, std::unique_ptr<csv::Table>& t) {
        SCOPED_TRACE(n);
        EXPECT_EQ(csv::AppendResult::kFailed, r);
        EXPECT_EQ(table, Text(*t));
        csvtest::ExpectIndexesAgain(*t);
      });
  EXPECT_EQ((std::set<int>{103, 104, 105}), codes);
}

// A table whose data rows end before a totals line and a note.
const char kMonth1[] =
    "~売上 1月\r\n"
    "日,品,数,額\r\n"
    "1,a,1,100\r\n"
    "2,b,2,200\r\n"
    "3,c,3,300\r\n"
    "4,d,4,400\r\n"
    "5,e,5,500\r\n"
    "6,f,6,600\r\n"
    "合計,2100\r\n"
    "note\r\n";
const char kMonth2[] =
    "~売上 2月\r\n"
    "~printed\r\n"
    "日,品,数,額\r\n"
    "7,g,7,\"1,000\"\r\n"
    "8,\"h\r\ni\",8,800\r\n";

TEST(ConcatVertical, FromTheMenuDropsTitleAndTildeLinesAndCutsAfterTheData) {
  auto t = MakeTable(kMonth1);
  const std::string month1(kMonth1);
  ASSERT_EQ(month1.find("合計"), t->m_aSecInfoB[t->BlockCount()]);
  Recorder host;
  ASSERT_EQ(csv::ConcatResult::kDone, Concat(*t, kMonth2, 9999, 0, &host));
  EXPECT_TRUE(host.calls.empty());
  const std::string expected = month1.substr(0, month1.find("合計")) + "7,g,7,\"1,000\"\r\n8,\"h\r\ni\",8,800\r\n";
  EXPECT_EQ(expected, t->FileText(csv::CommaFormKind::kComma));
  EXPECT_EQ(9, t->m_nLastRow);
  csvtest::ExpectIndexesAgain(*t);
}

TEST(ConcatVertical, LineCountsAndMissingLineBreaks) {
  auto t = MakeTable("a,b\r\n1,2");
  Recorder host;
  ASSERT_EQ(csv::ConcatResult::kDone, Concat(*t, "x\r\ny\r\n3,4\r\n", 2, 0, &host));
  EXPECT_EQ("a,b\r\n1,2\r\n3,4\r\n", Text(*t));
  auto u = MakeTable("a,b\r\n");
  ASSERT_EQ(csv::ConcatResult::kDone, Concat(*u, "5,6", 0, 0, &host));
  EXPECT_EQ("a,b\r\n5,6", Text(*u));
  EXPECT_EQ(1, u->m_nLastRow);
}

TEST(ConcatVertical, NothingPastTheSkippedLinesLeavesTheTable) {
  for (int mode : {0, 2, 6}) {
    SCOPED_TRACE(mode);
    auto t = MakeTable(kMonth1);
    const std::string before = Raw(*t);
    Recorder host;
    EXPECT_EQ(csv::ConcatResult::kNothing, Concat(*t, "~only\r\n日,品,数,額\r\n", 9999, mode, &host));
    EXPECT_EQ(csv::ConcatResult::kNothing, Concat(*t, "", 9999, mode, &host));
    EXPECT_EQ(before, Raw(*t));
    EXPECT_TRUE(host.calls.empty());
  }
}

// The table's own text is copied as it stands: a cell 1,234 that it holds
// without quotes (the thousands commas make such cells) stays one cell.
TEST(ConcatVertical, TheTablesOwnUnquotedCommaCellSurvives) {
  csv::Table t;
  const std::string own = "n\x06v\r\n1,234\x06x\r\n";
  ASSERT_TRUE(t.Assign(own.data(), own.size(), 16));
  Recorder host;
  ASSERT_EQ(csv::ConcatResult::kDone, Concat(t, "n,v\r\n5,y\r\n", 9999, 0, &host));
  EXPECT_EQ(own + "5\x06y\r\n", Raw(t));
  EXPECT_EQ(2u, t.m_nFieldCount);
}

// A table that held code bytes when it was loaded keeps them as data, its
// quoted breaks as row ends; the appended file's quoted breaks come in the
// same way, so a save writes both back as they were read.
TEST(ConcatVertical, ATableWhoseCodesAreDataTakesTheBreaksAsLineEnds) {
  const std::string file = "a,b\r\n\x7f,\"p\r\nq\"\r\n";
  auto t = MakeTable(file);
  ASSERT_TRUE(t->m_bCellCodesAreData);
  Recorder host;
  ASSERT_EQ(csv::ConcatResult::kDone, Concat(*t, "a,b\r\nx,\"y\r\nz\"\r\n", 9999, 0, &host));
  EXPECT_TRUE(t->m_bCellCodesAreData);
  EXPECT_EQ(file + "x,\"y\r\nz\"\r\n", t->FileText(csv::CommaFormKind::kComma));
  // A table with codes of its own takes the file's multi-line cells whole.
  auto u = MakeTable("a,b\r\n1,\"p\r\nq\"\r\n");
  ASSERT_FALSE(u->m_bCellCodesAreData);
  ASSERT_EQ(csv::ConcatResult::kDone, Concat(*u, "a,b\r\nx,\"y\r\nz\"\r\n", 9999, 0, &host));
  EXPECT_EQ(2, u->m_nLastRow);
  EXPECT_EQ("a,b\r\n1,\"p\r\nq\"\r\nx,\"y\r\nz\"\r\n", u->FileText(csv::CommaFormKind::kComma));
}

TEST(ConcatVertical, TextKindsAppendTheTextAsItIs) {
  csv::Table t;
  const std::string own = "line 1\r\n";
  ASSERT_TRUE(t.Assign(own.data(), own.size(), 16));
  Recorder host;
  ASSERT_EQ(csv::ConcatResult::kDone, Concat(t, "a,b\r\nc,\"d\r\ne\"\r\n", 0, 0, &host, 9));
  EXPECT_EQ("line 1\r\na,b\r\nc,\"d\r\ne\"\r\n", Raw(t));
}

TEST(ConcatVertical, ByTitleInModesTwoAndSix) {
  Recorder host;
  auto t = MakeTable("a,b,c\r\n1,2,3\r\n");
  ASSERT_EQ(csv::ConcatResult::kDone, Concat(*t, "~x\r\nc,a,b\r\n6,4,5\r\n", 9999, 2, &host));
  EXPECT_EQ("a,b,c\r\n1,2,3\r\n4,5,6\r\n", Text(*t));
  auto u = MakeTable("a,b,c\r\n1,2,3\r\n");
  ASSERT_EQ(csv::ConcatResult::kDone, Concat(*u, "d,b,a\r\n7,5,4\r\n", 9999, 6, &host));
  EXPECT_EQ("a,b,c,d\r\n1,2,3,\r\n4,5,,7\r\n", Text(*u));
  csvtest::ExpectIndexesAgain(*u);
  // With no skip the source's title row comes along too.
  auto w = MakeTable("a,b\r\n1,2\r\n");
  ASSERT_EQ(csv::ConcatResult::kDone, Concat(*w, "b,a\r\n4,3\r\n", 0, 2, &host));
  EXPECT_EQ("a,b\r\n1,2\r\na,b\r\n3,4\r\n", Text(*w));
  EXPECT_TRUE(host.calls.empty());
}

TEST(ConcatVertical, SharedMemoryMessages) {
  auto t = MakeTable("a\r\n1\r\n");
  const std::string before = Raw(*t);
  struct Case {
    int mode, skip;
    bool sizeFails;
    const char* message;
  } cases[] = {
      {1, 9999, true, "mmapfile size-2"},  {4, 9999, true, "mmapfile size-2"},
      {1, 9999, false, "mmapfile part-read"}, {1, 0, false, "mmapfile read-2"},
      {5, 0, false, "mmapfile read-2"},    {3, 9999, false, "mmapfile read-3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    FailingSource src;
    src.bytes = "a\r\n2\r\n";
    src.sizeFails = c.sizeFails;
    src.readFails = !c.sizeFails;
    Recorder host;
    csv::ConcatArgs args;
    args.skipLines = c.skip;
    args.sourceMode = c.mode;
    EXPECT_EQ(csv::ConcatResult::kFailed, csv::CsvConcatVertical(*t, args, src, csvtest::TitleResolver(), &host));
    ASSERT_EQ(1u, host.calls.size());
    EXPECT_EQ(2, host.calls[0].first);
    EXPECT_EQ(c.message, host.calls[0].second);
    EXPECT_EQ(before, Raw(*t));
  }
  // A file that cannot be read is the caller's to report.
  FailingSource file;
  file.readFails = true;
  file.bytes = "x";
  Recorder host;
  csv::ConcatArgs args;
  EXPECT_EQ(csv::ConcatResult::kUnreadable, csv::CsvConcatVertical(*t, args, file, csvtest::TitleResolver(), &host));
  EXPECT_TRUE(host.calls.empty());
}

TEST(ConcatVertical, RefusedAllocationsLeaveTheTableAsItWas) {
  for (int mode : {0, 2, 6}) {
    SCOPED_TRACE(mode);
    std::set<std::string> seen;
    std::string before;
    testsupport::WalkAllocationFailures(
        [&] {
          auto t = MakeTable(kMonth1);
          before = Raw(*t);
          return t;
        },
        [&](std::unique_ptr<csv::Table>& t) {
          Recorder host;
          const auto r = Concat(*t, kMonth2, 9999, mode, &host);
          if (r != csv::ConcatResult::kDone) {
            EXPECT_EQ(1u, host.calls.size());
            if (!host.calls.empty()) seen.insert(host.calls[0].second.substr(0, 27));
          }
          return r;
        },
        [&](long n, csv::ConcatResult r, std::unique_ptr<csv::Table>& t) {
          SCOPED_TRACE(n);
          EXPECT_EQ(csv::ConcatResult::kFailed, r);
          EXPECT_EQ(before, Raw(*t));
          csvtest::ExpectIndexesAgain(*t);
        });
    EXPECT_EQ((std::set<std::string>{"Memory eror (OnCsvAdd2 01) ", "Memory eror (OnCsvAdd2 02) "}), seen);
  }
}

}  // namespace
