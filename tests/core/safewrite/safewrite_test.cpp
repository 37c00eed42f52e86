#include "core/safewrite/safewrite.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fw/clock.h"
#include "support/scratch.h"

namespace {

using viewcore::SafeWriteFile;
using viewcore::SafeWriteOptions;
using viewcore::SaveError;

std::string ReadAll(const CString& path) {
  CFile f;
  if (!f.Open(path, CFile::modeRead)) return "<missing>";
  std::string s(static_cast<std::size_t>(f.GetLength()), '\0');
  if (!s.empty()) f.Read(&s[0], static_cast<UINT>(s.size()));
  return s;
}

void WriteAll(const CString& path, const std::string& bytes) {
  CFile f(path, CFile::modeCreate | CFile::modeWrite);
  f.Write(bytes.data(), static_cast<UINT>(bytes.size()));
  f.Close();
}

using testsupport::FolderNames;

void SetReadOnly(const CString& path, bool on) {
  CFileStatus st;
  ASSERT_TRUE(CFile::GetStatus(path, st));
  st.m_attribute = on ? CFile::readOnly : CFile::normal;
  st.m_mtime = st.m_atime = st.m_ctime = CTime();
  CFile::SetStatus(path, st);
}

struct SafeWrite : ::testing::Test {
  testsupport::Scratch scratch;
  CString doc;   // the documents' folder
  CString prog;  // the program folder (backups)
  void SetUp() override {
    doc = scratch.Path("doc");
    prog = scratch.Path("prog");
    ASSERT_TRUE(fw::MakeDir(doc));
    ASSERT_TRUE(fw::MakeDir(prog));
    fw::clocktest::Fix(1733443200);  // 2024-12-06 00:00 UTC
  }
  void TearDown() override {
    fw::clocktest::Release();
    fw::filetest::Reset();
  }
  SafeWriteOptions Options() const {
    SafeWriteOptions o;
    o.programDir = prog;
    return o;
  }
};

TEST_F(SafeWrite, NewFileLeavesNothingElse) {
  const CString path = doc + "\\new.csv";
  auto r = SafeWriteFile(path, "a,b\r\n", 5, Options());
  ASSERT_TRUE(r.ok) << r.message.GetString();
  EXPECT_EQ(ReadAll(path), "a,b\r\n");
  EXPECT_TRUE(r.backupPath.IsEmpty());
  EXPECT_EQ(FolderNames(doc), std::vector<std::string>{"new.csv"});
}

TEST_F(SafeWrite, ReplacesWithABackupFirst) {
  const CString path = doc + "\\data.csv";
  WriteAll(path, "old\r\n");
  auto r = SafeWriteFile(path, "new\r\n", 5, Options());
  ASSERT_TRUE(r.ok) << r.message.GetString();
  EXPECT_EQ(ReadAll(path), "new\r\n");
  EXPECT_EQ(FolderNames(doc), std::vector<std::string>{"data.csv"});
  ASSERT_FALSE(r.backupPath.IsEmpty());
  EXPECT_EQ(ReadAll(r.backupPath), "old\r\n");
  EXPECT_NE(r.backupPath.Find("\\TMP\\BACKUP\\data_A"), -1) << r.backupPath.GetString();
  // A second save the same day makes the next letter.
  auto r2 = SafeWriteFile(path, "newer", 5, Options());
  ASSERT_TRUE(r2.ok);
  EXPECT_EQ(ReadAll(r2.backupPath), "new\r\n");
  EXPECT_NE(r2.backupPath, r.backupPath);
}

TEST_F(SafeWrite, ReadOnlyTargetIsReportedAndUntouched) {
  const CString path = doc + "\\locked.csv";
  WriteAll(path, "keep me");
  SetReadOnly(path, true);
  auto r = SafeWriteFile(path, "lost", 4, Options());
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, SaveError::kReadOnly);
  EXPECT_NE(r.message.Find("locked.csv"), -1);
  EXPECT_NE(r.message.Find("書込み禁止"), -1);
  EXPECT_EQ(ReadAll(path), "keep me");
  EXPECT_EQ(FolderNames(doc), std::vector<std::string>{"locked.csv"});
  CFileStatus st;
  ASSERT_TRUE(CFile::GetStatus(path, st));
  EXPECT_TRUE(st.m_attribute & CFile::readOnly);
  SetReadOnly(path, false);
}

TEST_F(SafeWrite, MissingFolderAndFolderTarget) {
  auto r = SafeWriteFile(doc + "\\nowhere\\a.csv", "x", 1, Options());
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, SaveError::kCannotCreate);
  EXPECT_NE(r.message.Find("nowhere"), -1);
  r = SafeWriteFile(doc, "x", 1, Options());
  EXPECT_EQ(r.error, SaveError::kIsFolder);
}

// Every failure of the file layer during a replacing save (each write of the
// backup and of the new file's pieces, moving the original aside, the final
// rename): the user's file keeps its content, and neither the temporary
// file, the moved-aside original nor the backup of this save is left behind.
TEST_F(SafeWrite, EveryFailureLeavesTheOriginalAndCleansUp) {
  using fw::filetest::Op;
  const CString path = doc + "\\big.txt";
  const std::string data(3u << 20, 'x');  // several pieces
  for (Op op : {Op::kWrite, Op::kRename}) {
    long n = 1;
    for (;; ++n) {
      SCOPED_TRACE(static_cast<int>(op) * 100 + n);
      WriteAll(path, "original");
      const std::size_t backups = FolderNames(prog + "\\TMP\\BACKUP").size();
      fw::filetest::Reset();
      fw::filetest::FailAt(op, n);
      auto r = SafeWriteFile(path, data.data(), data.size(), Options());
      const bool reached = fw::filetest::Failed(op) == 1;
      fw::filetest::Reset();
      if (!reached) {
        EXPECT_TRUE(r.ok);  // n is past the last call: the save went through
        break;
      }
      EXPECT_FALSE(r.ok);
      EXPECT_NE(r.message.Find("big.txt"), -1);
      EXPECT_EQ(ReadAll(path), "original");
      EXPECT_EQ(FolderNames(doc), std::vector<std::string>{"big.txt"});
      EXPECT_EQ(FolderNames(prog + "\\TMP\\BACKUP").size(), backups);
    }
    // The backup's write and three pieces; the aside move and the final rename.
    EXPECT_GE(n - 1, op == Op::kWrite ? 4 : 2);
  }
}

TEST_F(SafeWrite, NewFileWhoseRenameFailsLeavesNothing) {
  const CString path = doc + "\\fresh.txt";
  fw::filetest::FailAt(fw::filetest::Op::kRename, 1);
  auto r = SafeWriteFile(path, "new", 3, Options());
  EXPECT_EQ(r.error, SaveError::kCannotReplace);
  EXPECT_TRUE(FolderNames(doc).empty());
}

TEST_F(SafeWrite, OriginalThatCannotBePutBackIsKeptAndNamed) {
  // The final rename fails and so does the way back: nothing is deleted and
  // the message does not claim the file is unchanged.
  const CString path = doc + "\\stuck.txt";
  WriteAll(path, "original");
  fw::filetest::FailFrom(fw::filetest::Op::kRename, 2);
  auto r = SafeWriteFile(path, "new", 3, Options());
  fw::filetest::Reset();
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, SaveError::kRestoreFailed);
  EXPECT_EQ(r.message.Find("変更されていません"), -1);
  EXPECT_NE(r.message.Find(".old"), -1);
  std::vector<std::string> names = FolderNames(doc);
  ASSERT_EQ(names.size(), 2u);
  std::string old, temp;
  for (const std::string& n : names) (n.find(".old") != std::string::npos ? old : temp) = n;
  EXPECT_EQ(ReadAll(doc + "\\" + old.c_str()), "original");
  EXPECT_EQ(ReadAll(doc + "\\" + temp.c_str()), "new");
  EXPECT_EQ(ReadAll(r.backupPath), "original");
}

TEST_F(SafeWrite, BackupThatCannotBeMadeStopsTheSave) {
  const CString path = doc + "\\b.txt";
  WriteAll(path, "original");
  SafeWriteOptions o;
  o.programDir = doc + "\\b.txt";  // a file: no "\TMP" can be made below it
  auto r = SafeWriteFile(path, "new", 3, o);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, SaveError::kBackupFailed);
  EXPECT_EQ(ReadAll(path), "original");
}

TEST_F(SafeWrite, KeepsTheOpenedFilesDate) {
  const CString path = doc + "\\dated.txt";
  WriteAll(path, "v1");
  const std::int64_t opened = 946684800;  // 2000-01-01 00:00 UTC
  SafeWriteOptions o = Options();
  o.keepModTime = opened;
  auto r = SafeWriteFile(path, "v2", 2, o);
  ASSERT_TRUE(r.ok) << r.message.GetString();
  EXPECT_TRUE(r.warning.IsEmpty());
  CFileStatus st;
  ASSERT_TRUE(CFile::GetStatus(path, st));
  EXPECT_EQ(st.m_mtime.GetTime(), opened);
  EXPECT_EQ(ReadAll(path), "v2");
  // Without the switch the file carries the time of writing.
  r = SafeWriteFile(path, "v3", 2, Options());
  ASSERT_TRUE(CFile::GetStatus(path, st));
  EXPECT_GT(st.m_mtime.GetTime(), opened);
}

}  // namespace
