// The scratch clean-up in the running program: the first list pane clears
// "\TMP" and the other days' backups once per run; each pane clears the
// scratch files as it goes at exit.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "core/docdata/doc_fields.h"
#include "fw/clock.h"
#include "fw/file.h"
#include "fw/path.h"
#include "shell_fixture.h"
#include "support/scratch.h"
#include "support/temp_folder.h"

namespace {

void Write(const std::string& path) {
  CFile f(path.c_str(), CFile::modeCreate | CFile::modeWrite);
  f.Write("x", 1);
}

std::vector<std::string> Names(const std::string& dir) {
  std::vector<std::string> v = testsupport::FolderNames(dir.c_str());
  std::sort(v.begin(), v.end());
  return v;
}

class ScratchCleanupTest : public shelltest::ShellTest {
 protected:
  void SetUp() override {
    shelltest::ShellTest::SetUp();
    fw::clocktest::Fix(1777982400);  // 2026-05-05 12:00 UTC, 21:00 in Tokyo
    prog_ = std::make_unique<testsupport::TempProgramFolder>();
    tmp_ = prog_->File("TMP");
    backup_ = tmp_ + "\\BACKUP";
    fw::MakeDir(tmp_.c_str());
    fw::MakeDir(backup_.c_str());
  }
  void TearDown() override {
    shelltest::ShellTest::TearDown();
    fw::clocktest::Release();
    ::SetCurrentDirectoryA(TABRYE_BIN_ROOT);  // the start's clean-up left it in "\TMP\BACKUP"
    prog_.reset();
  }
  std::unique_ptr<testsupport::TempProgramFolder> prog_;
  std::string tmp_, backup_;
};

TEST_F(ScratchCleanupTest, TheFirstPaneCleansOnceAndEachPaneAtExit) {
  char name[32];
  for (int i = 0; i < 45; ++i) {
    std::snprintf(name, sizeof name, "\\f%02d.tmp", i);
    Write(tmp_ + name);
  }
  for (const char* n : {"x_A1231~.txt", "x_A0505~.txt", "x.txt"}) Write(backup_ + "\\" + n);
  ASSERT_TRUE(Start("", false, prog_->Path()));
  EXPECT_EQ(doc->m_nFlist, 9000);
  // 30 removals at most, once: a second clean-up would have taken 15 more.
  // (The start writes its own scratch files, "Dorvikhint.txt" and the like.)
  std::vector<std::string> started = Names(tmp_);
  started.erase(std::remove_if(started.begin(), started.end(),
                               [](const std::string& n) { return n.compare(0, 6, "Dorvik") == 0; }),
                started.end());
  EXPECT_EQ(started.size(), 15u + 1u);
  EXPECT_EQ(Names(backup_), (std::vector<std::string>{"x.txt", "x_A0505~.txt"}));

  // At exit the named scratch files and "\TMP1" go; the others stay.
  Write(tmp_ + "\\Dorvik_scratch.txt");
  Write(tmp_ + "\\TMP_a");
  fw::MakeDir(prog_->File("TMP1").c_str());
  Write(prog_->File("TMP1\\part.xml"));
  frame->DestroyWindow();
  const std::vector<std::string> left = Names(tmp_);
  EXPECT_EQ(left.size(), 15u + 1u);
  EXPECT_EQ(std::count(left.begin(), left.end(), "Dorvik_scratch.txt"), 0);
  EXPECT_EQ(std::count(left.begin(), left.end(), "TMP_a"), 0);
  EXPECT_EQ(::GetFileAttributesA(prog_->File("TMP1").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
