// The scratch folder's lock: one holder at a time, free again when the
// holder ends, the same object for every spelling of one folder.
#include <gtest/gtest.h>

#include <thread>

#include "core/docsvc/scratch_lock.h"
#include "support/scratch.h"

namespace {

using docsvc::ScratchLock;

TEST(ScratchLock, OneHolderAtATimeAndFreeAfterTheHolderEnds) {
  testsupport::Scratch dir;
  const CString folder = dir.Path("TMP1");
  {
    ScratchLock first(folder, 0);
    ASSERT_TRUE(first.Held());
    // Another thread (as another copy of the program would) waits in vain.
    bool secondHeld = true;
    std::thread([&] { secondHeld = ScratchLock(folder, 0).Held(); }).join();
    EXPECT_FALSE(secondHeld);
    ScratchLock other(dir.Path("TMP2"), 0);  // another folder has its own lock
    EXPECT_TRUE(other.Held());
  }
  ScratchLock again(folder, 0);
  EXPECT_TRUE(again.Held());
}

// The holder may take its lock again (a conversion inside another's run),
// and the folder stays locked until the outer holder ends.
TEST(ScratchLock, TheHolderTakesItAgain) {
  testsupport::Scratch dir;
  const CString folder = dir.Path("TMP");
  auto heldByAnother = [&folder] {
    bool held = false;
    std::thread([&] { held = ScratchLock(folder, 0).Held(); }).join();
    return held;
  };
  {
    ScratchLock outer(folder, 0);
    ASSERT_TRUE(outer.Held());
    {
      ScratchLock inner(folder, 0);
      EXPECT_TRUE(inner.Held());
    }
    EXPECT_FALSE(heldByAnother());
  }
  EXPECT_TRUE(heldByAnother());
}

TEST(ScratchLock, OneNameForEverySpellingOfAFolder) {
  EXPECT_EQ(ScratchLock::MutexName("C:\\Prog\\TMP1"), ScratchLock::MutexName("c:/prog/tmp1"));
  EXPECT_NE(ScratchLock::MutexName("C:\\Prog\\TMP1"), ScratchLock::MutexName("C:\\Prog\\TMP"));
  EXPECT_EQ(ScratchLock::MutexName("x").Find("Local\\"), 0);
}

}  // namespace
