// The umbrella header compiles on its own and brings every class in.
#include "fw/fw.h"

#include <gtest/gtest.h>

TEST(Umbrella, DeclaresTheFramework) {
  CString s("x");
  CRect r(0, 0, 2, 3);
  EXPECT_EQ(6, r.Width() * r.Height() * s.GetLength());
  EXPECT_EQ(nullptr, FwGetSafeHwnd(nullptr));
  EXPECT_EQ(nullptr, CWnd::FromHandle(nullptr));
}
