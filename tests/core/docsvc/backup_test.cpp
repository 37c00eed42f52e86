// Backup copies: names, letters per day, the 27th of a day.
#include <gtest/gtest.h>

#include "core/docsvc/backup.h"
#include "support/scratch.h"

namespace {

using namespace docsvc;

std::vector<CString> Names(const CString& dir) {
  std::vector<CString> out;
  CFileFind ff;
  BOOL more = ff.FindFile(dir + "\\*");
  while (more) {
    more = ff.FindNextFile();
    if (!ff.IsDots()) out.push_back(ff.GetFileName());
  }
  return out;
}

TEST(Backup, Names) {
  EXPECT_EQ(BackupName("memo.txt", 'A', 12, 6), "memo_A1206~.txt");
  EXPECT_EQ(BackupName("memo", 'B', 1, 2), "memo_B0102~");
  EXPECT_EQ(BackupName("a.b.csv", 'Z', 10, 31), "a.b_Z1031~.csv");
  EXPECT_EQ(BackupName("表.txt", 'C', 3, 9), "表_C0309~.txt");
  bool rotate = true;
  EXPECT_EQ(NextBackupName("memo.txt", 12, 6, {}, &rotate), "memo_A1206~.txt");
  EXPECT_FALSE(rotate);
  // taken letters are skipped, case does not matter, other days do not count
  EXPECT_EQ(NextBackupName("memo.txt", 12, 6, {"MEMO_A1206~.TXT", "memo_B1205~.txt"}, &rotate),
            "memo_B1206~.txt");
  EXPECT_EQ(NextBackupName("memo.txt", 12, 6, {"memo_A1206~.txt", "memo_C1206~.txt"}, &rotate),
            "memo_B1206~.txt");
  std::vector<CString> all;
  for (char c = 'A'; c <= 'Z'; ++c) all.push_back(BackupName("memo.txt", c, 12, 6));
  EXPECT_EQ(NextBackupName("memo.txt", 12, 6, all, &rotate), "memo_Z1206~.txt");
  EXPECT_TRUE(rotate);
}

TEST(Backup, TwoBackupsOnOneDayGetAAndB) {
  testsupport::Scratch dir;
  const CString prog = dir.Dir();
  const CString file = dir.Path("memo.txt");
  testsupport::WriteBytes(file, "first");
  BackupResult r = MakeBackup(file, prog, 12, 6);
  ASSERT_TRUE(r.ok) << r.error.GetString();
  EXPECT_EQ(r.backupPath, BackupDir(prog) + "\\memo_A1206~.txt");
  testsupport::WriteBytes(file, "second");
  r = MakeBackup(file, prog, 12, 6);
  ASSERT_TRUE(r.ok) << r.error.GetString();
  EXPECT_EQ(r.backupPath, BackupDir(prog) + "\\memo_B1206~.txt");
  EXPECT_EQ(testsupport::ReadBytes(BackupDir(prog) + "\\memo_A1206~.txt"), "first");
  EXPECT_EQ(testsupport::ReadBytes(BackupDir(prog) + "\\memo_B1206~.txt"), "second");
  // the next day starts at A again
  r = MakeBackup(file, prog, 12, 7);
  EXPECT_EQ(r.backupPath, BackupDir(prog) + "\\memo_A1207~.txt");
  // the scratch folders were made on demand
  CFileStatus st;
  EXPECT_TRUE(CFile::GetStatus(ScratchDir(prog), st));
  EXPECT_TRUE(CFile::GetStatus(XlsxScratchDir(prog), st));
}

TEST(Backup, The27thKeeps26AndTheNewest) {
  testsupport::Scratch dir;
  const CString prog = dir.Dir();
  const CString file = dir.Path("memo.txt");
  for (int i = 1; i <= 28; ++i) {
    CString content;
    content.Format("version %d", i);
    testsupport::WriteBytes(file, content.GetString());
    BackupResult r = MakeBackup(file, prog, 12, 6);
    ASSERT_TRUE(r.ok) << i << ": " << r.error.GetString();
    EXPECT_EQ(testsupport::ReadBytes(r.backupPath), content.GetString()) << i;
    if (i == 27 || i == 28) {
      EXPECT_EQ(Names(BackupDir(prog)).size(), 26u) << i;
      // the newest is kept (as "Z"), the oldest went, the order of the letters
      // is the order of the copies
      EXPECT_EQ(r.backupPath, BackupDir(prog) + "\\memo_Z1206~.txt");
      for (char c = 'A'; c <= 'Z'; ++c) {
        CString want;
        want.Format("version %d", i - 25 + (c - 'A'));
        EXPECT_EQ(testsupport::ReadBytes(BackupDir(prog) + "\\" + BackupName("memo.txt", c, 12, 6)),
                  want.GetString())
            << i << " " << c;
      }
    }
  }
}

TEST(Backup, FilesInTheBackupFolderAreNotBackedUp) {
  testsupport::Scratch dir;
  const CString prog = dir.Dir();
  ASSERT_TRUE(EnsureScratchFolders(prog));
  const CString inside = BackupDir(prog) + "\\x.txt";
  testsupport::WriteBytes(inside, "x");
  BackupResult r = MakeBackup(inside, prog, 12, 6);
  EXPECT_TRUE(r.ok);
  EXPECT_TRUE(r.skipped);
  EXPECT_EQ(Names(BackupDir(prog)).size(), 1u);
}

TEST(Backup, UnreadableSourceRotatesNothing) {
  testsupport::Scratch dir;
  const CString prog = dir.Dir();
  ASSERT_TRUE(EnsureScratchFolders(prog));
  for (char c = 'A'; c <= 'Z'; ++c)
    testsupport::WriteBytes(BackupDir(prog) + "\\" + BackupName("gone.txt", c, 12, 6), std::string(1, c));
  BackupResult r = MakeBackup(dir.Path("gone.txt"), prog, 12, 6);
  EXPECT_FALSE(r.ok);
  EXPECT_FALSE(r.error.IsEmpty());
  EXPECT_EQ(testsupport::ReadBytes(BackupDir(prog) + "\\gone_A1206~.txt"), "A");
  EXPECT_EQ(Names(BackupDir(prog)).size(), 26u);
}

}  // namespace
