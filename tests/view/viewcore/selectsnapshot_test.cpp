// The narrowing undo's snapshot files with the undo log: writing leaves the
// table as it was, reading gives the table a save and a reopen give, twenty
// steps, a snapshot that cannot be written, stale files of an earlier run
// and a second running copy.
#include "view/viewcore/selectsnapshot.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "csv/csv_selectundo.h"
#include "fw/file.h"
#include "support/scratch.h"

namespace {

using testsupport::ReadBytes;
using testsupport::WriteBytes;
using Source = csv::SelectUndoLog::UndoSource;

std::string Raw(const csv::Table& t) {
  return std::string(reinterpret_cast<const char*>(t.m_pTextBuf), t.m_nTextLen);
}

// A CSV file as a spreadsheet writes it: quoted commas, doubled quotes,
// multi-line cells (CR LF and LF inside quotes), an empty last cell.
const char kFile[] =
    "id,name,amount,note\r\n"
    "1,\"Smith, J\",\"1,234\",\"said \"\"hi\"\"\"\r\n"
    "2,plain,7,\"two\r\nlines\"\r\n"
    "3,\"\",-5,\"a\nb, c\"\r\n"
    "4,x,0,\r\n";

struct SelectSnapshot : ::testing::Test {
  testsupport::Scratch scratch;
  void TearDown() override { fw::filetest::Reset(); }
};

TEST_F(SelectSnapshot, WritingLeavesTheTableAndReadingGivesItBack) {
  csv::Table t;
  ASSERT_TRUE(t.LoadFileText(kFile, sizeof kFile - 1, 64));
  const std::string before = Raw(t);
  const std::int32_t lastRow = t.m_nLastRow;
  const CString path = scratch.Path("TMP_select0101.csv");
  const viewcore::SaveResult r = viewcore::WriteSelectSnapshot(t, path);
  ASSERT_TRUE(r.ok) << r.message.GetString();
  EXPECT_EQ(before, Raw(t));
  EXPECT_EQ(lastRow, t.m_nLastRow);
  EXPECT_EQ(std::string(kFile), ReadBytes(path));

  csv::Table back;
  ASSERT_EQ(viewcore::SnapshotRead::kLoaded, viewcore::ReadSelectSnapshot(path, &back, 64));
  EXPECT_EQ(before, Raw(back));
  EXPECT_EQ(lastRow, back.m_nLastRow);
  EXPECT_EQ(t.m_nFieldCount, back.m_nFieldCount);
}

// A cell made by a command (thousands commas: "1,234" with a real comma),
// a cell with an unpaired quote and no row end after the last row: the
// buffer stays as it was, and reading gives what a save and a reopen give.
TEST_F(SelectSnapshot, EditedCellsComeBackAsASaveAndReopenGiveThem) {
  const std::string work = "id\x06v\r\n1\x06" "1,234\r\n2\x06\"open\x06x\r\n3\x06q\"r";
  csv::Table t;
  ASSERT_TRUE(t.Assign(work.data(), work.size(), 16));
  const CString path = scratch.Path("s.csv");
  ASSERT_TRUE(viewcore::WriteSelectSnapshot(t, path).ok);
  EXPECT_EQ(work, Raw(t));

  const std::string saved = t.FileText(csv::CommaFormKind::kComma);
  EXPECT_EQ(saved, ReadBytes(path));
  csv::Table reopened;
  ASSERT_TRUE(reopened.LoadFileText(saved.data(), saved.size(), 16));
  csv::Table back;
  ASSERT_EQ(viewcore::SnapshotRead::kLoaded, viewcore::ReadSelectSnapshot(path, &back, 16));
  EXPECT_EQ(Raw(reopened), Raw(back));
  EXPECT_EQ(reopened.m_nLastRow, back.m_nLastRow);
  // The comma stays in its cell.
  EXPECT_EQ(t.m_nFieldCount, back.m_nFieldCount);
  EXPECT_NE(std::string::npos, Raw(back).find("1,234"));
}

TEST_F(SelectSnapshot, FailedReadsLeaveTheTable) {
  csv::Table t;
  ASSERT_TRUE(t.LoadFileText(kFile, sizeof kFile - 1, 16));
  const std::string before = Raw(t);
  EXPECT_EQ(viewcore::SnapshotRead::kCannotOpen, viewcore::ReadSelectSnapshot(scratch.Path("none.csv"), &t, 16));
  EXPECT_EQ(viewcore::SnapshotRead::kCannotOpen, viewcore::ReadSelectSnapshot(scratch.Dir(), &t, 16));
  WriteBytes(scratch.Path("a.csv"), "x,y\r\n");
  auto refuse = [](const std::string&, std::string*, void*) { return false; };
  EXPECT_EQ(viewcore::SnapshotRead::kCannotOpen, viewcore::ReadSelectSnapshot(scratch.Path("a.csv"), &t, 16, refuse));
  EXPECT_EQ(before, Raw(t));
  // A decoder turns the bytes into the table's text first.
  auto upper = [](const std::string& bytes, std::string* text, void* ctx) {
    *static_cast<int*>(ctx) += 1;
    *text = bytes;
    for (char& c : *text) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
    return true;
  };
  int calls = 0;
  EXPECT_EQ(viewcore::SnapshotRead::kLoaded, viewcore::ReadSelectSnapshot(scratch.Path("a.csv"), &t, 16, upper, &calls));
  EXPECT_EQ(1, calls);
  EXPECT_EQ("X\x06Y\r\n", Raw(t));
}

// A title and n rows, each with a multi-line cell.
std::string Rows(int n) {
  std::string s = "id,v\r\n";
  for (int i = 1; i <= n; ++i) s += std::to_string(i) + ",\"x\r\n" + std::to_string(i) + "\"\r\n";
  return s;
}

// The view's narrowing and undo, on a table that loses its last row at
// each step.
struct Narrowing {
  CString dir;
  std::uint32_t pane = 1, instance = 0;
  csv::SelectUndoLog log;
  std::int32_t count = 0;
  csv::Table table;
  CString sourcePath;

  CString PathOf(std::int32_t n) const {
    return dir + "\\" + csv::SelectUndoLog::SnapshotName(pane, n, instance).c_str();
  }
  // False when the snapshot could not be written (the step does not run).
  bool Step() {
    const std::int32_t before = count;
    const std::int32_t n = log.BeginStep(&count);
    if (n > 0) {
      if (!viewcore::WriteSelectSnapshot(table, PathOf(n)).ok) {
        csv::SelectUndoLog::StepFailed(&count, before);
        return false;
      }
      log.Written(n);
    }
    const std::string text = Rows(table.m_nLastRow - 1);
    EXPECT_TRUE(table.LoadFileText(text.data(), text.size(), 16));
    return true;
  }
  Source Undo() {
    const csv::SelectUndoLog::UndoPlan plan = log.PlanUndo(count);
    if (plan.source == Source::kNotRecorded) return plan.source;
    const CString path = plan.source == Source::kSourceFile ? sourcePath : PathOf(plan.snapshot);
    if (viewcore::ReadSelectSnapshot(path, &table, 16) == viewcore::SnapshotRead::kLoaded) count = plan.countAfter;
    return plan.source;
  }
};

TEST_F(SelectSnapshot, TwentyStepsAndTheUndoOfTheTwentieth) {
  Narrowing v;
  v.dir = scratch.Dir();
  v.sourcePath = scratch.Path("source.csv");
  WriteBytes(v.sourcePath, Rows(30));
  ASSERT_EQ(viewcore::SnapshotRead::kLoaded, viewcore::ReadSelectSnapshot(v.sourcePath, &v.table, 16));
  for (int step = 1; step <= 20; ++step) ASSERT_TRUE(v.Step()) << step;
  EXPECT_EQ(20, v.count);
  EXPECT_EQ(Rows(10), v.table.FileText(csv::CommaFormKind::kComma));
  CFileStatus st;
  EXPECT_TRUE(CFile::GetStatus(v.PathOf(19), st));
  EXPECT_FALSE(CFile::GetStatus(v.PathOf(20), st));  // the 20th wrote nothing
  // A stale 20 of an earlier run is never read.
  WriteBytes(v.PathOf(20), "stale\r\n");

  EXPECT_EQ(Source::kSnapshot, v.Undo());
  EXPECT_EQ(18, v.count);
  EXPECT_EQ(Rows(12), v.table.FileText(csv::CommaFormKind::kComma));  // before step 19
  EXPECT_EQ(Source::kSnapshot, v.Undo());
  EXPECT_EQ(17, v.count);
  EXPECT_EQ(Rows(13), v.table.FileText(csv::CommaFormKind::kComma));
  while (v.count > 0) v.Undo();
  EXPECT_EQ(Rows(30), v.table.FileText(csv::CommaFormKind::kComma));
  // At 0 the source file, and the counter stays 0.
  ASSERT_TRUE(v.Step());
  ASSERT_EQ(Source::kSnapshot, v.Undo());
  EXPECT_EQ(Source::kSourceFile, v.Undo());
  EXPECT_EQ(0, v.count);
  EXPECT_EQ(Rows(30), v.table.FileText(csv::CommaFormKind::kComma));
}

TEST_F(SelectSnapshot, UnwrittenAndStaleSnapshotsAreNeverRead) {
  Narrowing v;
  v.dir = scratch.Dir();
  ASSERT_TRUE(v.table.LoadFileText(Rows(8).data(), Rows(8).size(), 16));
  // Files of an earlier run under this view's names.
  WriteBytes(v.PathOf(3), "stale,3\r\n");
  WriteBytes(v.PathOf(1), "stale,1\r\n");
  ASSERT_TRUE(v.Step());
  ASSERT_TRUE(v.Step());
  EXPECT_EQ(Rows(8), ReadBytes(v.PathOf(1)));

  // The third snapshot cannot be written: the counter stays at 2 and the
  // table as it was.
  fw::filetest::FailFrom(fw::filetest::Op::kWrite, 1);
  EXPECT_FALSE(v.Step());
  fw::filetest::Reset();
  EXPECT_EQ(2, v.count);
  EXPECT_EQ(Rows(6), v.table.FileText(csv::CommaFormKind::kComma));
  EXPECT_EQ("stale,3\r\n", ReadBytes(v.PathOf(3)));
  EXPECT_EQ(Source::kSnapshot, v.Undo());
  EXPECT_EQ(Rows(7), v.table.FileText(csv::CommaFormKind::kComma));

  // A new run (a fresh log) with the counter at 3: nothing is read.
  Narrowing fresh;
  fresh.dir = scratch.Dir();
  fresh.count = 3;
  ASSERT_TRUE(fresh.table.LoadFileText("a\r\n", 3, 16));
  EXPECT_EQ(Source::kNotRecorded, fresh.Undo());
  EXPECT_EQ(3, fresh.count);
  EXPECT_EQ("a\r\n", Raw(fresh.table));
}

TEST_F(SelectSnapshot, ASecondCopyKeepsItsOwnSnapshots) {
  Narrowing first, second;
  first.dir = second.dir = scratch.Dir();
  second.instance = 2;
  ASSERT_TRUE(first.table.LoadFileText(Rows(5).data(), Rows(5).size(), 16));
  ASSERT_TRUE(second.table.LoadFileText(Rows(9).data(), Rows(9).size(), 16));
  ASSERT_TRUE(first.Step());
  ASSERT_TRUE(second.Step());
  EXPECT_STREQ(CString(scratch.Dir() + "\\TMP_select0101.csv").GetString(), first.PathOf(1).GetString());
  EXPECT_STREQ(CString(scratch.Dir() + "\\TMP_select0101_2.csv").GetString(), second.PathOf(1).GetString());
  EXPECT_EQ(Source::kSnapshot, first.Undo());
  EXPECT_EQ(Source::kSnapshot, second.Undo());
  EXPECT_EQ(Rows(5), first.table.FileText(csv::CommaFormKind::kComma));
  EXPECT_EQ(Rows(9), second.table.FileText(csv::CommaFormKind::kComma));
}

}  // namespace
