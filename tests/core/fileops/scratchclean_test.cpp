#include "core/fileops/scratchclean.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "core/docsvc/backup.h"
#include "tests/core/fileops/fileprims_support.h"
#include "tests/support/scratch.h"

namespace fileops {
namespace {

using testsupport::FolderNames;
using testsupport::WriteBytes;

TEST(BackupDayKey, MonthThenDayInFourDigits) {
  EXPECT_EQ(BackupDayKey(5, 5), "0505");
  EXPECT_EQ(BackupDayKey(12, 31), "1231");
}

TEST(StaleBackupName, TheKeyBeforeTheTildeDecides) {
  const struct {
    const char* name;
    bool stale;
  } cases[] = {
      {"x_A1231~.txt", true},   {"x_A0505~.txt", false}, {"x.txt", false},         {"x_A1231~", true},
      {"x_A0505~", false},      {"ab~.txt", true},       {"~.txt", true},          {"~", true},
      {"1231~", true},          {"0505~", false},        {".", false},             {"..", false},
      {"x_A1231~.tar.gz", false},  // the last "." decides: "x_A1231~.tar" has no tilde at its end
      {"x_A1231~.", true},      {"", false},             {"memo_A0505~.txt", false},
      {".txt_A1231~", true},    {".txt_A0505~", false},  // a leading "." begins no extension
      {"\x83\x7E.txt", false},    // "ミ": its trail byte 0x7E is no tilde
      {"\x95\x5C_A1231~.txt", true},
      {"x_A1231~\x83\x2E", false},  // a trail byte 0x2E is no dot: no extension, no tilde at the end
      {"x_A1231~.\x83\x2E", true},  // the dot before it is the last one
  };
  for (const auto& c : cases) EXPECT_EQ(IsStaleBackupName(c.name, "0505"), c.stale) << c.name;
}

// A backup the program made today is never stale; one of another day is.
TEST(StaleBackupName, AgreesWithTheBackupNamesTheProgramMakes) {
  for (const char* n : {"memo.txt", "noext", "a.b.c", "\x95\x5C \x83\x5C.csv", "x", ".txt", ".a.b"}) {
    EXPECT_FALSE(IsStaleBackupName(docsvc::BackupName(n, 'C', 5, 5).Str(), "0505")) << n;
    EXPECT_TRUE(IsStaleBackupName(docsvc::BackupName(n, 'C', 12, 31).Str(), "0505")) << n;
  }
}

struct ScratchBench {
  testsupport::Scratch s;
  FixedMay5 day;
  CString prog = s.Path("prog");
  CString tmp = docsvc::ScratchDir(prog);
  CString backup = docsvc::BackupDir(prog);
  TestOpsHost host{prog};
  ScratchBench() {
    fw::MakeDir(prog);
    EXPECT_TRUE(docsvc::EnsureScratchFolders(prog));
  }
  ~ScratchBench() { host.local.SetCurrentDir(BinRoot().Str()); }
  void Files(const CString& dir, int n, const char* pattern) {
    char name[64];
    for (int i = 0; i < n; ++i) {
      std::snprintf(name, sizeof name, pattern, i);
      WriteBytes(dir + "\\" + name, name);
    }
  }
  void Folders(int n) {
    char name[64];
    for (int i = 0; i < n; ++i) {
      std::snprintf(name, sizeof name, "\\dir%d", i);
      fw::MakeDir(tmp + name);
      WriteBytes(tmp + name + "\\inner.txt", "inner");
      fw::MakeDir(tmp + name + "\\sub");
    }
  }
};

TEST(CleanScratchAtStart, RemovesAtMostThirtyEntriesOfTmpAndKeepsTheBackupFolder) {
  const struct {
    int files, folders, capacity;
    std::size_t left;  // entries of "\TMP" besides "BACKUP"
  } cases[] = {{40, 5, 9000, 15}, {5, 2, 9000, 0}, {20, 0, 12, 11}};  // 12 entries: ".", "..", BACKUP and 9 files
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.files << " " << c.folders << " " << c.capacity);
    ScratchBench b;
    b.Files(b.tmp, c.files, "f%02d.tmp");
    b.Folders(c.folders);
    {
      CFileStatus st;
      st.m_attribute = CFile::readOnly;
      CFile::SetStatus(b.tmp + "\\f00.tmp", st);  // made writable and removed like the rest
    }
    WriteBytes(b.backup + "\\kept_A0505~.txt", "today");
    CleanScratchAtStart(b.host, b.prog, c.capacity);
    std::vector<std::string> names = FolderNames(b.tmp);
    ASSERT_NE(std::find(names.begin(), names.end(), "BACKUP"), names.end());
    EXPECT_EQ(names.size() - 1, c.left);
    // Today's backups stay; the files of the removed folders left theirs.
    for (const std::string& n : FolderNames(b.backup)) EXPECT_TRUE(IsStaleBackupName(n, "0101")) << n;
    names = FolderNames(b.backup);
    EXPECT_NE(std::find(names.begin(), names.end(), "kept_A0505~.txt"), names.end());
    EXPECT_TRUE(b.host.asked.empty());
  }
}

TEST(CleanScratchAtStart, BackupsOfOtherDaysGoAndTodaysStay) {
  ScratchBench b;
  for (const char* n : {"x_A1231~.txt", "x_A0505~.txt", "x.txt", "y_B0504~", "z_C0505~"}) WriteBytes(b.backup + "\\" + n, n);
  fw::MakeDir(b.backup + "\\old_A0101~");  // a folder is never removed here
  CleanScratchAtStart(b.host, b.prog, 9000);
  std::vector<std::string> names = FolderNames(b.backup);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"old_A0101~", "x.txt", "x_A0505~.txt", "z_C0505~"}));
}

TEST(CleanScratchAtStart, MissingFoldersAreSkippedSilently) {
  testsupport::Scratch s;
  TestOpsHost host(s.Path("nowhere"));
  EXPECT_EQ(CleanScratchAtStart(host, s.Path("nowhere"), 9000), 0);
  EXPECT_TRUE(host.asked.empty());
}

TEST(CleanScratchAtExit, EveryFileAfterThe202ndEntryGoes) {
  ScratchBench b;
  b.Files(b.tmp, 500, "plain%03d.dat");
  // "." and ".." are the first two entries counted: 200 more are kept, one
  // of them BACKUP when the system lists it among them (it stays anyway).
  const std::vector<std::string> before = FolderNames(b.tmp);
  const auto at = std::find(before.begin(), before.end(), "BACKUP") - before.begin();
  CleanScratchAtExit(b.host, b.prog, 9000, "", 0);
  std::vector<std::string> after = FolderNames(b.tmp);
  EXPECT_EQ(after.size(), at < 200 ? 200u : 201u);
  // The files kept are the first ones listed.
  after.erase(std::remove(after.begin(), after.end(), "BACKUP"), after.end());
  std::vector<std::string> first(before.begin(), before.begin() + 200);
  first.erase(std::remove(first.begin(), first.end(), "BACKUP"), first.end());
  std::sort(after.begin(), after.end());
  std::sort(first.begin(), first.end());
  EXPECT_EQ(after, first);
}

TEST(CleanScratchAtExit, NamedScratchFilesGoAndTheCurrentFileStaysWhileLoading) {
  for (int loadState : {99, 1}) {
    SCOPED_TRACE(loadState);
    ScratchBench b;
    for (const char* n : {"Dorvik_a.txt", "TMP_b", "temp.c", "pdftmp.d", "keep.txt", "Dorvikcur.txt",
                          "dorvik_lower.txt", "tempx"})
      WriteBytes(b.tmp + "\\" + n, n);
    b.Folders(1);
    WriteBytes(b.backup + "\\b_A0101~.txt", "backup");
    const CString tmp1 = docsvc::XlsxScratchDir(b.prog);
    fw::MakeDir(tmp1 + "\\x");
    WriteBytes(tmp1 + "\\x\\y.xml", "y");
    CleanScratchAtExit(b.host, b.prog, 9000, b.tmp + "\\Dorvikcur.txt", loadState);
    std::vector<std::string> names = FolderNames(b.tmp);
    std::sort(names.begin(), names.end());
    std::vector<std::string> want = {"BACKUP", "dorvik_lower.txt", "keep.txt", "tempx"};
    if (loadState == 99) want.insert(want.begin() + 1, "Dorvikcur.txt");
    EXPECT_EQ(names, want);
    // The backup folder is not the exit's business (the removed folders'
    // files left their copies there).
    names = FolderNames(b.backup);
    EXPECT_NE(std::find(names.begin(), names.end(), "b_A0101~.txt"), names.end());
    EXPECT_FALSE(Exists(tmp1));
    EXPECT_TRUE(b.host.asked.empty());
  }
}

}  // namespace
}  // namespace fileops
