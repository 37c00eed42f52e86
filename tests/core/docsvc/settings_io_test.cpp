// Replacing a small file of the program folder: every failure of the file
// layer (write, either rename, the clean-up) leaves the old content in place
// and no scratch file behind.
#include "core/docsvc/settings_io.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fw/file.h"
#include "support/scratch.h"

namespace {

using docsvc::ReplaceFileContent;
using fw::filetest::Op;

using testsupport::FolderNames;

struct ReplaceFile : ::testing::Test {
  testsupport::Scratch scratch;
  CString path;
  void SetUp() override {
    path = scratch.Path("Dorvik.inf");
    testsupport::WriteBytes(path, "old settings\r\n");
    fw::filetest::Reset();
  }
  void TearDown() override { fw::filetest::Reset(); }
};

TEST_F(ReplaceFile, ReplacesAndLeavesNothingElse) {
  CString error;
  ASSERT_TRUE(ReplaceFileContent(path, "new settings\r\n", &error)) << error.GetString();
  EXPECT_EQ(testsupport::ReadBytes(path), "new settings\r\n");
  EXPECT_EQ(FolderNames(scratch.Dir()), std::vector<std::string>{"Dorvik.inf"});
  // a file that did not exist yet
  const CString fresh = scratch.Path("Dorvik.sys");
  ASSERT_TRUE(ReplaceFileContent(fresh, "x", &error));
  EXPECT_EQ(testsupport::ReadBytes(fresh), "x");
}

TEST_F(ReplaceFile, EveryFailureKeepsTheOldFile) {
  struct Fault {
    Op op;
    long n;
  };
  // The write, moving the old file aside, the new file taking its name.
  for (const Fault f : {Fault{Op::kWrite, 1}, Fault{Op::kRename, 1}, Fault{Op::kRename, 2}}) {
    SCOPED_TRACE(static_cast<int>(f.op) * 10 + f.n);
    fw::filetest::Reset();
    fw::filetest::FailAt(f.op, f.n);
    CString error;
    EXPECT_FALSE(ReplaceFileContent(path, "new settings\r\n", &error));
    EXPECT_EQ(fw::filetest::Failed(f.op), 1);
    fw::filetest::Reset();
    EXPECT_NE(error.Find("Dorvik.inf"), -1) << error.GetString();
    EXPECT_EQ(testsupport::ReadBytes(path), "old settings\r\n");
    EXPECT_EQ(FolderNames(scratch.Dir()), std::vector<std::string>{"Dorvik.inf"});
  }
}

TEST_F(ReplaceFile, AFailedCleanUpStillSaves) {
  // The moved-aside old file cannot be removed: the save has happened, and
  // the next save clears the leftover first.
  fw::filetest::FailFrom(Op::kRemove, 1);
  CString error;
  ASSERT_TRUE(ReplaceFileContent(path, "v2", &error));
  fw::filetest::Reset();
  EXPECT_EQ(testsupport::ReadBytes(path), "v2");
  ASSERT_TRUE(ReplaceFileContent(path, "v3", &error)) << error.GetString();
  EXPECT_EQ(testsupport::ReadBytes(path), "v3");
  EXPECT_EQ(FolderNames(scratch.Dir()), std::vector<std::string>{"Dorvik.inf"});
}

}  // namespace
