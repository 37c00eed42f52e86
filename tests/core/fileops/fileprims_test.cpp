#include "core/fileops/fileprims.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/docsvc/backup.h"
#include "tests/core/fileops/fileprims_support.h"
#include "tests/support/outside_tool.h"
#include "tests/support/scratch.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace fileops {
namespace {

using testsupport::FolderNames;
using testsupport::ReadBytes;
using testsupport::WriteBytes;

constexpr unsigned k166 = 166, k170 = 170, k189 = 189, k190 = 190, kNoBackup = 9690;

// A scratch folder with a program folder ("prog", its "\TMP\BACKUP" made)
// and a work folder ("work") beside it.
struct Bench {
  testsupport::Scratch s;
  FixedMay5 day;
  CString prog = s.Path("prog");
  CString work = s.Path("work");
  TestOpsHost host{prog};
  Bench() {
    fw::filetest::Reset();
    EXPECT_TRUE(fw::MakeDir(work));
    EXPECT_TRUE(fw::MakeDir(prog));
    EXPECT_TRUE(docsvc::EnsureScratchFolders(prog));
    fw::filetest::Reset();
  }
  ~Bench() {
    fw::filetest::Reset();
    host.local.SetCurrentDir(BinRoot().Str());
  }
  CString W(const char* name) const { return work + "\\" + name; }
  std::vector<std::string> Backups() const { return FolderNames(docsvc::BackupDir(prog)); }
};

void SetReadOnly(const CString& path) {
  CFileStatus st;
  st.m_attribute = CFile::readOnly;
  CFile::SetStatus(path, st);
}

// "表 ソ.txt": both names' trail bytes are 0x5C, with a blank between.
const char kJapaneseName[] = "\x95\x5C \x83\x5C.txt";

TEST(RemoveFile, SkipModeChangesNothingAndAsksNothing) {
  Bench b;
  WriteBytes(b.W("f.txt"), "data");
  SetReadOnly(b.W("f.txt"));
  fw::MakeDir(b.W("d"));
  WriteBytes(b.W("d\\g.txt"), "g");
  EXPECT_EQ(RemoveFile(b.host, b.W("f.txt"), kModeSkip, 0), kDone);
  DeleteEntry(b.host, b.W("f.txt"), 0, kModeSkip, kConfirmAll, 0, 0, 9000);
  DeleteEntry(b.host, b.W("d"), 1, kModeSkip, kConfirmAll, 0, 0, 9000);
  EXPECT_TRUE(Exists(b.W("f.txt")));
  EXPECT_TRUE(Exists(b.W("d\\g.txt")));
  EXPECT_TRUE(b.host.asked.empty());
  EXPECT_TRUE(b.Backups().empty());
}

// A file deleted through DeleteEntry with no per-file question (confirm 1):
// read-only files go only with mode 1, and string 170 reports the others
// unless the call is quiet.
struct ReadOnlyCase {
  bool readOnly;
  int mode;
  int quiet;
  bool removed;
  std::vector<unsigned> asked;
};

TEST(DeleteEntry, ReadOnlyFilesGoOnlyWithModeOne) {
  const ReadOnlyCase cases[] = {
      {false, kModeAsk, 0, true, {}},     {true, kModeAsk, 0, false, {k170}}, {true, kModeAsk, 1, false, {}},
      {true, kModeForce, 0, true, {}},    {true, kModeForce, 1, true, {}},    {false, kModeForce, 1, true, {}},
  };
  for (const ReadOnlyCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "readOnly " << c.readOnly << " mode " << c.mode << " quiet " << c.quiet);
    Bench b;
    const CString f = b.W(kJapaneseName);
    WriteBytes(f, "contents");
    if (c.readOnly) SetReadOnly(f);
    DeleteEntry(b.host, f, 0, c.mode, kConfirmNone, c.quiet, 0, 9000);
    EXPECT_EQ(Exists(f), !c.removed);
    EXPECT_EQ(b.host.AskedIds(), c.asked);
    if (!c.asked.empty()) { EXPECT_EQ(b.host.asked[0].second, f.Str()); }
  }
}

TEST(RemoveFile, LeavesAByteIdenticalDatedCopy) {
  Bench b;
  std::string bytes;
  for (int i = 0; i < 3 * 256; ++i) bytes += static_cast<char>(i);
  const CString f = b.W(kJapaneseName);
  WriteBytes(f, bytes);
  ASSERT_EQ(RemoveFile(b.host, f, kModeAsk, 0), kDone);
  EXPECT_FALSE(Exists(f));
  // "表 ソ_A0505~.txt": the name, a letter, 5 May, "~", the extension.
  const CString copy = docsvc::BackupDir(b.prog) + "\\\x95\x5C \x83\x5C_A0505~.txt";
  ASSERT_TRUE(Exists(copy)) << copy.GetString();
  EXPECT_EQ(ReadBytes(copy), bytes);
#ifndef _WIN32
  if (testsupport::HaveTool("cmp")) {
    const std::string ref = fw::ToPosixPath(b.s.Path("ref.bin"));
    WriteBytes(b.s.Path("ref.bin"), bytes);
    const std::string cmd = "cmp -s '" + ref + "' '" + fw::ToPosixPath(copy) + "'";
    EXPECT_EQ(std::system(cmd.c_str()), 0);
  }
#endif
  // A second delete of the same name the same day takes the next letter.
  WriteBytes(f, "again");
  ASSERT_EQ(RemoveFile(b.host, f, kModeAsk, 0), kDone);
  EXPECT_EQ(ReadBytes(docsvc::BackupDir(b.prog) + "\\\x95\x5C \x83\x5C_B0505~.txt"), "again");
}

TEST(RemoveFile, AFileInTheBackupFolderLeavesNoCopy) {
  Bench b;
  const CString inBackup = docsvc::BackupDir(b.prog) + "\\old_A0101~.txt";
  WriteBytes(inBackup, "old");
  ASSERT_EQ(RemoveFile(b.host, inBackup, kModeAsk, 0), kDone);
  EXPECT_TRUE(b.Backups().empty());
}

TEST(RemoveFile, AMissingFileIsNotRemovedAndAsksNothing) {
  Bench b;
  EXPECT_EQ(RemoveFile(b.host, b.W("none.txt"), kModeForce, 0), kFailed);
  EXPECT_TRUE(b.host.asked.empty());
}

TEST(RemoveFile, TheStoredNameOfAnEncipheredDisplayNameIsRemoved) {
  Bench b;
  b.host.key = "1234";
  const CString stored = b.host.StoredName(b.W("memo@Enc.txt"));
  ASSERT_NE(stored, b.W("memo@Enc.txt"));
  WriteBytes(stored, "secret");
  EXPECT_EQ(RemoveFile(b.host, b.W("memo@Enc.txt"), kModeAsk, 0), kDone);
  EXPECT_FALSE(Exists(stored));
  EXPECT_EQ(b.Backups().size(), 1u);
}

// Backups that cannot be written: the question, and what each answer does.
struct BackupFailCase {
  int quiet;
  int answer;  // to the question (0: none expected)
  bool removed;
};

TEST(RemoveFile, AFailedBackupAsksBeforeRemovingWithoutOne) {
  const BackupFailCase cases[] = {{0, kAnswerNo, false}, {0, kAnswerYes, true}, {1, 0, true}};
  for (const BackupFailCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "quiet " << c.quiet << " answer " << c.answer);
    Bench b;
    const CString f = b.W(kJapaneseName);
    WriteBytes(f, "keep me");
    fw::filetest::Reset();
    fw::filetest::FailFrom(fw::filetest::Op::kWrite, 1);  // the backup's copy cannot be written
    if (c.answer) b.host.answers.push_back(c.answer);
    const int r = RemoveFile(b.host, f, kModeAsk, 0, c.quiet);
    fw::filetest::Reset();
    EXPECT_EQ(r, c.removed ? kDone : kFailed);
    EXPECT_EQ(Exists(f), !c.removed);
    if (!c.removed) { EXPECT_EQ(ReadBytes(f), "keep me"); }
    EXPECT_EQ(b.host.AskedIds(), c.answer ? std::vector<unsigned>{kNoBackup} : std::vector<unsigned>{});
    if (c.answer) { EXPECT_EQ(b.host.asked[0].second, f.Str()); }
  }
}

TEST(DeleteDirectoryTree, QuietCallersRemoveWithoutABackupWhenItFails) {
  Bench b;
  fw::MakeDir(b.W("t"));
  WriteBytes(b.W("t\\a.txt"), "a");
  WriteBytes(b.W("t\\b.txt"), "b");
  fw::filetest::FailFrom(fw::filetest::Op::kWrite, 1);
  EXPECT_EQ(DeleteDirectoryTree(b.host, b.W("t"), kModeForce, kConfirmNone, 1, 0, 9000), kDone);
  fw::filetest::Reset();
  EXPECT_TRUE(FolderNames(b.W("t")).empty());
  EXPECT_TRUE(b.host.asked.empty());
}

TEST(DeleteDirectoryTree, LimitCountsTheDotsFirst) {
  const struct {
    int limit;
    std::size_t left;
  } cases[] = {{2, 3}, {3, 2}, {4, 1}, {5, 0}, {9000, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.limit);
    Bench b;
    fw::MakeDir(b.W("t"));
    for (const char* n : {"1.txt", "2.txt", "3.txt"}) WriteBytes(b.W("t") + "\\" + n, n);
    EXPECT_EQ(DeleteDirectoryTree(b.host, b.W("t"), kModeForce, kConfirmNone, 1, 0, c.limit), kDone);
    EXPECT_EQ(FolderNames(b.W("t")).size(), c.left);
  }
}

TEST(DeleteDirectoryTree, AFolderThatCannotBeEnteredIsMinusOne) {
  Bench b;
  EXPECT_EQ(DeleteDirectoryTree(b.host, b.W("missing"), kModeForce, kConfirmNone, 1, 0, 9000), kFailed);
}

TEST(DeleteDirectoryTree, DeletesNestedFoldersAndGoesBackUp) {
  Bench b;
  fw::MakeDir(b.W("t"));
  fw::MakeDir(b.W("t\\\x95\x5C"));
  fw::MakeDir(b.W("t\\\x95\x5C\\\x83\x5C x"));
  WriteBytes(b.W("t\\\x95\x5C\\\x83\x5C x\\deep.txt"), "deep");
  WriteBytes(b.W("t\\top.txt"), "top");
  SetReadOnly(b.W("t\\top.txt"));
  EXPECT_EQ(DeleteDirectoryTree(b.host, b.W("t"), kModeForce, kConfirmNone, 1, 0, 9000), kDone);
  for (const std::string& n : FolderNames(b.W("t"))) ADD_FAILURE() << n;
  EXPECT_EQ(b.host.Folders().CurrentDir(), b.work.Str());
  EXPECT_EQ(b.Backups().size(), 2u);
}

TEST(DeleteEntry, AnEmptyFolderGoesWithoutAQuestionWhateverConfirmSays) {
  for (int confirm : {kConfirmAll, kConfirmNone, kConfirmEach}) {
    SCOPED_TRACE(confirm);
    Bench b;
    fw::MakeDir(b.W("empty"));
    DeleteEntry(b.host, b.W("empty"), 1, kModeAsk, confirm, 0, 0, 9000);
    EXPECT_FALSE(Exists(b.W("empty")));
    EXPECT_TRUE(b.host.asked.empty());
  }
}

// The questions of a folder holding files: 189 for the folder (mode 0),
// then 190 (confirm 0) and 166 (confirm 2, or after No to 190) per file.
struct QuestionCase {
  int mode;
  int confirm;
  int files;
  std::vector<int> answers;
  std::vector<unsigned> asked;
  int left;          // files left in the folder
  bool folderGone;
};

TEST(DeleteEntry, QuestionSequences) {
  const int Y = kAnswerYes, N = kAnswerNo, C = kAnswerCancel;
  const QuestionCase cases[] = {
      {kModeAsk, kConfirmNone, 1, {Y}, {k189}, 0, true},
      {kModeAsk, kConfirmNone, 1, {N}, {k189}, 1, false},
      {kModeAsk, kConfirmNone, 1, {C}, {k189}, 1, false},
      {kModeAsk, kConfirmAll, 1, {Y, Y}, {k189, k190}, 0, true},
      {kModeAsk, kConfirmAll, 1, {Y, N, Y}, {k189, k190, k166}, 0, true},
      {kModeAsk, kConfirmAll, 1, {Y, N, N}, {k189, k190, k166}, 1, false},
      {kModeAsk, kConfirmAll, 1, {Y, N, C}, {k189, k190, k166}, 1, false},
      {kModeAsk, kConfirmAll, 1, {Y, C}, {k189, k190}, 1, false},
      {kModeAsk, kConfirmAll, 2, {Y, Y, Y}, {k189, k190, k190}, 0, true},  // not remembered
      {kModeAsk, kConfirmEach, 1, {Y, Y}, {k189, k166}, 0, true},
      {kModeAsk, kConfirmEach, 1, {Y, C}, {k189, k166}, 1, false},
      {kModeAsk, kConfirmEach, 2, {Y, N, N}, {k189, k166, k166}, 2, false},
      {kModeForce, kConfirmEach, 1, {Y}, {k166}, 0, true},
      {kModeForce, kConfirmNone, 2, {}, {}, 0, true},
  };
  int n = 0;
  for (const QuestionCase& c : cases) {
    SCOPED_TRACE(n++);
    Bench b;
    const CString d = b.W("\x95\x5C dir");
    fw::MakeDir(d);
    for (int i = 0; i < c.files; ++i) WriteBytes(d + (i ? "\\\x83\x5C 2.txt" : "\\\x83\x5C 1.txt"), "x");
    b.host.answers.assign(c.answers.begin(), c.answers.end());
    DeleteEntry(b.host, d, 1, c.mode, c.confirm, 0, 0, 9000);
    EXPECT_EQ(b.host.AskedIds(), c.asked);
    EXPECT_TRUE(b.host.answers.empty());
    EXPECT_EQ(static_cast<int>(FolderNames(d).size()), c.left);
    EXPECT_EQ(Exists(d), !c.folderGone);
    // The folder question names the folder, the per-file question the file.
    for (const auto& a : b.host.asked) {
      if (a.first == Text::kDeleteFolderQuery) { EXPECT_EQ(a.second, d.Str()); }
      if (a.first == Text::kDeleteOne) { EXPECT_EQ(a.second.rfind(d.Str() + "\\\x83\x5C ", 0), 0u) << a.second; }
    }
  }
}

TEST(DeleteEntry, AFolderThatCannotBeReadReports170UnlessQuiet) {
  for (int quiet : {0, 1}) {
    Bench b;
    fw::MakeDir(b.W("d"));
    WriteBytes(b.W("d\\a"), "a");
    // A folder source that cannot enter anything: the walk returns -1.
    MemoryFolderHost none;
    none.Lock(b.W("d").Str());
    b.host.memory = &none;
    DeleteEntry(b.host, b.W("d"), 1, kModeForce, kConfirmNone, quiet, 0, 9000);
    EXPECT_EQ(b.host.AskedIds(), quiet ? std::vector<unsigned>{} : std::vector<unsigned>{k170});
    EXPECT_TRUE(Exists(b.W("d\\a")));
  }
}

TEST(RemoveFolder, FailuresOfTheFileLayerAreReported) {
  Bench b;
  fw::MakeDir(b.W("d"));
  fw::filetest::FailAt(fw::filetest::Op::kRemoveDir, 1);
  EXPECT_EQ(RemoveFolder(b.host, b.W("d"), 0), kFailed);
  EXPECT_EQ(RemoveFolder(b.host, b.W("d"), 0), kDone);
  EXPECT_EQ(RemoveFolder(b.host, b.W("d"), 0), kFailed);  // gone already
}

TEST(MakeFolder, MakesOnceAndReportsFailure) {
  Bench b;
  EXPECT_EQ(MakeFolder(b.host, b.W("\x95\x5C new"), 1), kDone);
  EXPECT_TRUE(EntryAttributes(b.W("\x95\x5C new")) & kAttrFolder);
  EXPECT_EQ(MakeFolder(b.host, b.W("\x95\x5C new"), 1), kFailed);
  fw::filetest::Reset();
  fw::filetest::FailAt(fw::filetest::Op::kMakeDir, 1);
  EXPECT_EQ(MakeFolder(b.host, b.W("other"), 0), kFailed);
  EXPECT_FALSE(Exists(b.W("other")));
}

TEST(ChangeDirectory, AnEmptyPathEntersTheRootOfTheCurrentDrive) {
  MemoryFolderHost h;
  h.AddFolder("C:\\a\\b");
  ASSERT_EQ(ChangeDirectory(h, "C:\\a\\b", 0, 0), 0);
  EXPECT_EQ(ChangeDirectory(h, "", 0, 0), 0);
  EXPECT_EQ(h.CurrentDir(), "C:");
  ASSERT_EQ(ChangeDirectory(h, "C:\\a\\b", 0, 0), 0);
  EXPECT_EQ(ChangeDirectory(h, "C:", 0, 0), 0);
  EXPECT_EQ(h.CurrentDir(), "C:");
}

// --- junctions and symbolic links --------------------------------------------

#ifndef _WIN32
TEST(Links, DeletingATreeNeverTouchesWhatALinkPointsTo) {
  Bench b;
  const CString target = b.s.Path("target");
  fw::MakeDir(target);
  fw::MakeDir(target + "\\sub");
  WriteBytes(target + "\\keep.txt", "keep");
  WriteBytes(target + "\\sub\\\x95\x5C.txt", "deep");
  const std::set<std::string> before = TreeListing(target);
  fw::MakeDir(b.W("t"));
  WriteBytes(b.W("t\\own.txt"), "own");
  ASSERT_EQ(::symlink(fw::ToPosixPath(target).c_str(), fw::ToPosixPath(b.W("t\\link")).c_str()), 0);
  EXPECT_EQ(EntryAttributes(b.W("t\\link")) & (kAttrFolder | kAttrReparse), kAttrFolder | kAttrReparse);

  // The link itself is never entered.
  EXPECT_EQ(DeleteDirectoryTree(b.host, b.W("t\\link"), kModeForce, kConfirmNone, 1, 0, 9000), kFailed);
  EXPECT_EQ(TreeListing(target), before);

  // Inside a tree the link is removed as a link.
  EXPECT_EQ(DeleteDirectoryTree(b.host, b.W("t"), kModeForce, kConfirmNone, 1, 0, 9000), kDone);
  EXPECT_TRUE(FolderNames(b.W("t")).empty());
  EXPECT_EQ(TreeListing(target), before);
  EXPECT_TRUE(b.host.asked.empty());
}

TEST(Links, ALinkAsTheEntryGoesWithoutAQuestion) {
  Bench b;
  const CString target = b.s.Path("target");
  fw::MakeDir(target);
  WriteBytes(target + "\\keep.txt", "keep");
  ASSERT_EQ(::symlink(fw::ToPosixPath(target).c_str(), fw::ToPosixPath(b.W("link")).c_str()), 0);
  DeleteEntry(b.host, b.W("link"), 1, kModeAsk, kConfirmAll, 0, 0, 9000);
  EXPECT_FALSE(Exists(b.W("link")));
  EXPECT_EQ(ReadBytes(target + "\\keep.txt"), "keep");
  EXPECT_TRUE(b.host.asked.empty());
}
#else
// Under Wine the link is a Unix symbolic link the test fixture made
// (fileops_links.sh): the system shows it as a folder with the reparse
// attribute and can remove neither it nor its name.
CString LinkFixture() { return BinRoot() + "\\test_fixtures\\fileops_links"; }

TEST(Links, DeletingATreeNeverTouchesWhatAUnixLinkPointsTo) {
  const CString dir = LinkFixture();
  if (!Exists(dir + "\\tree\\link")) GTEST_SKIP() << "link fixture missing: " << dir.GetString();
  Bench b;
  const CString target = dir + "\\target";
  const std::set<std::string> before = TreeListing(target);
  ASSERT_FALSE(before.empty());
  EXPECT_EQ(EntryAttributes(dir + "\\tree\\link") & (kAttrFolder | kAttrReparse), kAttrFolder | kAttrReparse);
  WriteBytes(dir + "\\tree\\own.txt", "own");

  EXPECT_EQ(DeleteDirectoryTree(b.host, dir + "\\tree\\link", kModeForce, kConfirmNone, 1, 0, 9000), kFailed);
  EXPECT_EQ(TreeListing(target), before);

  EXPECT_EQ(DeleteDirectoryTree(b.host, dir + "\\tree", kModeForce, kConfirmNone, 1, 0, 9000), kDone);
  EXPECT_FALSE(Exists(dir + "\\tree\\own.txt"));
  EXPECT_EQ(TreeListing(target), before);

  // Asked about the link as an entry: the folder question, then the report
  // that it cannot be deleted.
  if (Exists(dir + "\\tree\\link")) {
    b.host.answers.push_back(kAnswerYes);
    DeleteEntry(b.host, dir + "\\tree\\link", 1, kModeAsk, kConfirmNone, 0, 0, 9000);
    EXPECT_EQ(b.host.AskedIds(), (std::vector<unsigned>{k189, k170}));
    EXPECT_EQ(TreeListing(target), before);
  }
}
#endif

}  // namespace
}  // namespace fileops
