// Emptying a scratch folder: everything below it goes, read-only or nested,
// nothing outside it is touched, and no backup copy is made.
#include <gtest/gtest.h>

#include <string>

#include "core/docsvc/backup.h"
#include "fw/file.h"
#include "fw/path.h"
#include "support/scratch.h"

#ifndef _WIN32
#include <filesystem>
#endif

namespace {

using namespace docsvc;

void MakeReadOnly(const CString& path) {
  CFileStatus st;
  ASSERT_TRUE(CFile::GetStatus(path, st));
  st.m_attribute = static_cast<BYTE>(st.m_attribute | CFile::readOnly);
  st.m_ctime = st.m_mtime = st.m_atime = CTime();
  CFile::SetStatus(path, st);
}

// The made-up tree: nested folders, read-only files, 500 entries in one
// folder; beside it a folder that must stay as it is.
struct Tree {
  testsupport::Scratch dir;
  CString scratch;
  CString outside;
  Tree() {
    scratch = PackageScratchDir(dir.Dir());
    outside = dir.Path("keep");
    EXPECT_TRUE(fw::MakeDir(ScratchDir(dir.Dir())));
    EXPECT_TRUE(fw::MakeDir(scratch));
    EXPECT_TRUE(fw::MakeDir(outside));
    testsupport::WriteBytes(outside + "\\keep.txt", "kept");
    CString deep = scratch;
    for (const char* level : {"\\xl", "\\worksheets", "\\_rels"}) {
      deep += level;
      EXPECT_TRUE(fw::MakeDir(deep));
      testsupport::WriteBytes(deep + "\\part.xml", "<x/>");
    }
    testsupport::WriteBytes(scratch + "\\xl\\ro.xml", "<ro/>");
    MakeReadOnly(scratch + "\\xl\\ro.xml");
    fw::MakeDir(scratch + "\\media");
    for (int i = 0; i < 500; ++i)
      testsupport::WriteBytes(scratch + "\\media\\image" + std::to_string(i).c_str() + ".png", "p");
    testsupport::WriteBytes(scratch + "\\top.xml", "<t/>");
    MakeReadOnly(scratch + "\\top.xml");
    fw::MakeDir(scratch + "\\rofolder");
    testsupport::WriteBytes(scratch + "\\rofolder\\in.xml", "<i/>");
    MakeReadOnly(scratch + "\\rofolder");
  }
  void ExpectEmptyAndOutsideKept() {
    CFileStatus st;
    EXPECT_TRUE(CFile::GetStatus(scratch, st)) << "the folder itself stays";
    EXPECT_TRUE(testsupport::FolderNames(scratch).empty());
    EXPECT_EQ(testsupport::ReadBytes(outside + "\\keep.txt"), "kept");
    EXPECT_TRUE(testsupport::FolderNames(BackupDir(dir.Dir())).empty());
  }
};

TEST(ScratchFolder, EmptiesEverythingBelowAndNothingElse) {
  Tree t;
#ifndef _WIN32
  // a link inside the folder to a folder outside is removed, not followed
  std::filesystem::create_directory_symlink(fw::ToPosixPath(t.outside.GetString()),
                                            fw::ToPosixPath((t.scratch + "\\link").GetString()));
#endif
  EXPECT_TRUE(EmptyScratchFolder(t.scratch));
  t.ExpectEmptyAndOutsideKept();
  EXPECT_TRUE(EmptyScratchFolder(t.scratch)) << "an empty folder stays empty";
  EXPECT_TRUE(EmptyScratchFolder(t.dir.Path("never_made"))) << "a missing folder holds nothing";
}

TEST(ScratchFolder, RefusedOperationsLeaveItNotEmptyUntilTheNextCall) {
  const struct {
    fw::filetest::Op op;
    long n;
    bool persistent;  // every later call of the operation is refused too
    bool empty;       // what the first call reports
  } cases[] = {
      {fw::filetest::Op::kRemove, 40, true, false},
      {fw::filetest::Op::kRemove, 1, true, false},
      {fw::filetest::Op::kRemoveDir, 1, true, false},
      {fw::filetest::Op::kSetStatus, 1, true, false},
      // one refusal alone: the next walk of the same call finishes
      {fw::filetest::Op::kRemove, 40, false, true},
      {fw::filetest::Op::kRemoveDir, 2, false, true},
  };
  for (const auto& c : cases) {
    Tree t;
    fw::filetest::Reset();
    if (c.persistent) {
      fw::filetest::FailFrom(c.op, c.n);
    } else {
      fw::filetest::FailAt(c.op, c.n);
    }
    const bool first = EmptyScratchFolder(t.scratch);
    const long refused = fw::filetest::Failed(c.op);
    fw::filetest::Reset();
    EXPECT_EQ(first, c.empty) << static_cast<int>(c.op) << " from " << c.n;
    EXPECT_GE(refused, 1);
    EXPECT_EQ(testsupport::FolderNames(t.scratch).empty(), c.empty);
    EXPECT_TRUE(EmptyScratchFolder(t.scratch));
    t.ExpectEmptyAndOutsideKept();
  }
}

TEST(ScratchFolder, PackageFolderName) {
  EXPECT_EQ(PackageScratchDir("C:\\prog"), "C:\\prog\\TMP\\XLSX");
  EXPECT_NE(PackageScratchDir("C:\\prog"), XlsxScratchDir("C:\\prog"));
}

}  // namespace
