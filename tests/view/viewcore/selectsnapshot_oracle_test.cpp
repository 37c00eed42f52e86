// The narrowing snapshot against Python's csv module: a table Python wrote
// (quoted commas, doubled quotes, multi-line cells) is written as a snapshot
// byte for byte as the file was, the table is untouched, and the snapshot
// reads back as the same buffer and, for Python, as the same rows.
#include <gtest/gtest.h>

#include <string>

#include "csv/csv_selectundo.h"
#include "support/outside_tool.h"
#include "support/scratch.h"
#include "view/viewcore/selectsnapshot.h"

namespace {

std::string Raw(const csv::Table& t) {
  return std::string(reinterpret_cast<const char*>(t.m_pTextBuf), t.m_nTextLen);
}

std::string Unix(const CString& path) {
  std::string s = path.GetString();
  for (char& c : s) c = c == '\\' ? '/' : c;
  return s;
}

TEST(SelectSnapshotOracle, PythonTableComesBackByteForByte) {
  REQUIRE_TOOLS("python3");
  testsupport::Scratch scratch;
  const std::string script = TABRYE_TEST_ROOT "/tests/view/viewcore/selectsnapshot_reference.py";
  const CString source = scratch.Path("py.csv");
  testsupport::RunCapture("python3 '" + script + "' write '" + Unix(source) + "'");
  const std::string file = testsupport::ReadBytes(source);
  ASSERT_GT(file.size(), 1000u);
  ASSERT_NE(std::string::npos, file.find("\"two\r\nlines\""));

  csv::Table t;
  ASSERT_EQ(viewcore::SnapshotRead::kLoaded, viewcore::ReadSelectSnapshot(source, &t, 1000));
  ASSERT_EQ(399, t.m_nLastRow);  // every record on one row
  const std::string before = Raw(t);
  const CString snap = scratch.Path(csv::SelectUndoLog::SnapshotName(1, 1, 0).c_str());
  ASSERT_TRUE(viewcore::WriteSelectSnapshot(t, snap).ok);
  EXPECT_EQ(before, Raw(t));
  EXPECT_EQ(file, testsupport::ReadBytes(snap));

  csv::Table back;
  ASSERT_EQ(viewcore::SnapshotRead::kLoaded, viewcore::ReadSelectSnapshot(snap, &back, 1000));
  EXPECT_EQ(before, Raw(back));
  EXPECT_EQ(t.m_nLastRow, back.m_nLastRow);
  EXPECT_EQ(t.m_nFieldCount, back.m_nFieldCount);
  EXPECT_EQ("same\n", testsupport::RunCapture("python3 '" + script + "' check '" + Unix(source) + "' '" +
                                              Unix(snap) + "'"));
}

}  // namespace
