// A fixture for tests that save files: a scratch documents' folder, a
// program folder (where backups go), the clock fixed at 2024-12-06 00:00 UTC
// (backup names carry the date) and the file layer's fault hook reset after
// each case.
#pragma once

#include <gtest/gtest.h>

#include "core/safewrite/safewrite.h"
#include "fw/clock.h"
#include "fw/file.h"
#include "support/scratch.h"

namespace testsupport {

struct SaveFolders : ::testing::Test {
  Scratch scratch;
  CString doc;   // the documents' folder
  CString prog;  // the program folder (backups)
  void SetUp() override {
    doc = scratch.Path("doc");
    prog = scratch.Path("prog");
    ASSERT_TRUE(fw::MakeDir(doc));
    ASSERT_TRUE(fw::MakeDir(prog));
    fw::clocktest::Fix(1733443200);
  }
  void TearDown() override {
    fw::clocktest::Release();
    fw::filetest::Reset();
  }
  viewcore::SafeWriteOptions Options() const {
    viewcore::SafeWriteOptions o;
    o.programDir = prog;
    return o;
  }
};

}  // namespace testsupport
