#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "fw/alloc.h"

namespace {

// A small operation with three allocations, written the way the program's
// buffers are: every failure is reported and nothing leaks.
bool BuildTable(std::size_t rows) {
  char* names = static_cast<char*>(fw::Alloc(rows * 8));
  if (names == nullptr) return false;
  int* index = static_cast<int*>(fw::AllocArray(rows, sizeof(int)));
  if (index == nullptr) {
    fw::Free(names);
    return false;
  }
  void* grown = fw::Realloc(names, rows * 16);
  if (grown == nullptr) {
    fw::Free(names);  // the old block is still ours
    fw::Free(index);
    return false;
  }
  std::memset(grown, 0, rows * 16);
  fw::Free(grown);
  fw::Free(index);
  return true;
}

}  // namespace

TEST(Alloc, EveryAllocationCanBeMadeToFail) {
  long liveBefore = fw::alloctest::Live();
  int failures = 0;
  for (long n = 1;; ++n) {
    fw::alloctest::Reset();
    fw::alloctest::FailAt(n);
    bool ok = BuildTable(100);
    bool reached = fw::alloctest::Count() >= n;
    fw::alloctest::Reset();
    if (!reached) {
      EXPECT_TRUE(ok);
      break;
    }
    EXPECT_FALSE(ok) << "allocation " << n;
    ++failures;
    EXPECT_EQ(liveBefore, fw::alloctest::Live()) << "leak when allocation " << n << " fails";
  }
  EXPECT_EQ(3, failures);
}

TEST(Alloc, FailFromAndCounting) {
  fw::alloctest::Reset();
  fw::alloctest::FailFrom(2);
  void* a = fw::Alloc(1);
  void* b = fw::Alloc(1);
  void* c = fw::Alloc(0);
  EXPECT_NE(nullptr, a);
  EXPECT_EQ(nullptr, b);
  EXPECT_EQ(nullptr, c);
  EXPECT_EQ(3, fw::alloctest::Count());
  EXPECT_EQ(2, fw::alloctest::Failed());
  fw::alloctest::Reset();
  void* z = fw::Alloc(0);  // a zero size still gives a block
  EXPECT_NE(nullptr, z);
  fw::Free(z);
  fw::Free(a);
  fw::Free(nullptr);
}

TEST(Alloc, ArraySizeOverflowIsRefused) {
  fw::alloctest::Reset();
  EXPECT_EQ(nullptr, fw::AllocArray(SIZE_MAX / 2, 3));
  EXPECT_EQ(1, fw::alloctest::Count());  // counted like any other allocation
  void* ok = fw::AllocArray(4, 4);
  EXPECT_NE(nullptr, ok);
  fw::Free(ok);
  fw::alloctest::Reset();
}
