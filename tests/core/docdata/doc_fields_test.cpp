// The document's field groups: shared storage, the active side, the buffers.
#include <gtest/gtest.h>

#include <memory>

#include "core/docdata/doc_fields.h"
#include "fw/alloc.h"

TEST(DocFields, FtpEntriesShareTheSystemSlots) {
  auto d = std::make_unique<app::DvkDocData>();
  d->FtpEntry(0) = "F1;BASE=/pub";
  d->m_strSysValue[28] = "F3";
  EXPECT_STREQ("F1;BASE=/pub", d->m_strSysValue[26].GetString());
  EXPECT_STREQ("F3", d->FtpEntry(2).GetString());
  // Bad indexes reach entry 0, never outside the slots.
  EXPECT_STREQ("F1;BASE=/pub", d->FtpEntry(7).GetString());
}

TEST(DocFields, ActivePathFollowsTheSide) {
  auto d = std::make_unique<app::DvkDocData>();
  d->m_strPath1 = "a";
  d->m_strPath2 = "b";
  EXPECT_STREQ("a", d->ActivePath().GetString());
  d->m_nActiveSide = 2;
  EXPECT_STREQ("b", d->ActivePath().GetString());
  d->m_nActiveSide = 7;  // any value but 1 is side 2
  EXPECT_STREQ("b", d->ActivePath().GetString());
}

TEST(DocFields, BuffersGoBackThroughTheAllocator) {
  fw::alloctest::Reset();
  long before = fw::alloctest::Live();
  {
    auto d = std::make_unique<app::DvkDocData>();
    d->m_pText = static_cast<char*>(fw::Alloc(100));
    d->m_pText2 = static_cast<char*>(fw::Alloc(50));
    EXPECT_EQ(before + 2, fw::alloctest::Live());
  }
  EXPECT_EQ(before, fw::alloctest::Live());
}
