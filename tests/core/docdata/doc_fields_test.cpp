// The document's defaults that other subsystems rely on at start.
#include <gtest/gtest.h>

#include <memory>

#include "core/docdata/doc_fields.h"
#include "fw/alloc.h"

TEST(DocFields, DefaultsOfTheSettingsAndStartState) {
  auto d = std::make_unique<app::DvkDocData>();
  EXPECT_EQ(9001, d->m_nFlist);  // the first list view sees it and cleans
  EXPECT_EQ(5000, d->m_nTblMax);
  EXPECT_EQ(204800, d->m_nIndata);
  EXPECT_EQ(157, d->m_nChar);
  EXPECT_EQ(19000, d->m_nFhold);
  EXPECT_EQ(1000, d->m_nBmpfile);
  EXPECT_EQ(5, d->m_nPdfWidthAdjust);
  EXPECT_EQ(85, d->m_nPdfTdAdjust);
  EXPECT_EQ(1u, d->m_bKeepLayout);
  EXPECT_EQ(1u, d->m_bLinkList);
  EXPECT_EQ(1u, d->m_nActiveSide);
  EXPECT_EQ(1, d->m_nActiveTextPane);
  EXPECT_EQ(0u, d->m_bAbort);
  EXPECT_EQ(0u, d->m_nUpdateCode);
  EXPECT_EQ(0u, d->m_bExternalRun);
  EXPECT_EQ(nullptr, d->m_pfnUnZip);
  EXPECT_EQ(196u, d->m_aImageSettings[0]);
  EXPECT_EQ(0u, d->m_aImageSettings[1]);
  for (int v : d->m_rcImageClip) EXPECT_EQ(-1, v);
  EXPECT_EQ(-1, d->m_ptMeasurePoint.x);
  EXPECT_EQ(-1, d->m_nViewLink);
  EXPECT_STREQ("C:", d->m_strSysValue[21].GetString());
  EXPECT_STREQ("C:", d->m_strSysValue[22].GetString());
  EXPECT_EQ(0xFFFFFFu, d->m_clrTextBack);
}

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
    d->m_pLoadBuf = static_cast<char*>(fw::Alloc(50));
    d->m_bLoadBufOwned = 1;
    d->m_pConvData = static_cast<std::uint8_t*>(fw::Alloc(10));
    EXPECT_EQ(before + 3, fw::alloctest::Live());
  }
  EXPECT_EQ(before, fw::alloctest::Live());
  {
    // A load buffer handed over to the text is freed once.
    auto d = std::make_unique<app::DvkDocData>();
    d->m_pText = static_cast<char*>(fw::Alloc(100));
    d->m_pLoadBuf = d->m_pText;
    d->m_bLoadBufOwned = 1;
  }
  EXPECT_EQ(before, fw::alloctest::Live());
}
