// The settings files <-> the document's field groups.
#include <gtest/gtest.h>

#include <memory>

#include "core/docsvc/doc_settings.h"

namespace {

using namespace docsvc;

TEST(DocSettings, FileDefaultsReachTheDocumentAndComeBackUnchanged) {
  auto d = std::make_unique<app::DvkDocData>();
  const InfSettings inf = DefaultInfSettings();
  InfToDoc(inf, *d);
  EXPECT_EQ(d->m_nBmpfile, 1000);
  EXPECT_EQ(d->m_nIndata, 204800);
  EXPECT_EQ(d->m_nTblMax, 5000);
  EXPECT_EQ(d->m_nChar, 157);
  EXPECT_EQ(d->m_clrOnTitle, Rgb(200, 220, 255));
  EXPECT_EQ(d->m_strStitleFace, "Century Gothic");
  EXPECT_EQ(d->m_nStitleSize, 10);
  EXPECT_EQ(d->m_nPdfTdAdjust, 85);
  EXPECT_EQ(d->m_nFlist, app::kFlistAtConstruction);  // the clean-up marker stays
  InfSettings back = DefaultInfSettings();
  back.m_nFlist = 1234;
  DocToInf(*d, back);
  EXPECT_EQ(back.m_nFlist, 1234);  // the file's value, not the marker
  back.m_nFlist = inf.m_nFlist;
  EXPECT_EQ(WriteInfText(back, {}), WriteInfText(inf, {}));
}

TEST(DocSettings, ChangedFieldsAreWrittenAndUnheldValuesKept) {
  auto d = std::make_unique<app::DvkDocData>();
  InfSettings inf = DefaultInfSettings();
  InfToDoc(inf, *d);
  d->m_nIndata = 3 << 20;
  d->m_clrListBack = Rgb(1, 2, 3);
  d->m_strBtitleFace = "Arial";
  d->m_nBtitleSize = 9;
  d->m_strPictExt[4] = ".pic";
  d->m_bSpacingAtLeast = 1;
  DocToInf(*d, inf);
  EXPECT_EQ(inf.m_nIndata, 3 << 20);
  EXPECT_EQ(inf.m_clrFlback, Rgb(1, 2, 3));
  EXPECT_EQ(inf.m_fontBtitle.face, "Arial");
  EXPECT_EQ(inf.m_fontBtitle.size, 9);
  EXPECT_EQ(inf.m_strPictExt[4], ".pic");
  EXPECT_EQ(inf.m_nSpacingAtLeast, 1);

  SysSettings sys = DefaultSysSettings();
  sys.m_nPosi[8] = 77;  // beyond the document's words
  sys.m_strEncryptKeyCode = "1234";
  SysToDoc(sys, *d);
  EXPECT_EQ(d->m_strSysKey[21], "dirX");
  EXPECT_EQ(d->m_strSysValue[21], "C:");
  EXPECT_EQ(d->m_strSysValue[0], "notepad.exe");
  EXPECT_EQ(d->m_nFlistD, 1616);
  EXPECT_EQ(d->m_strEncryptKeyCode, "1234");
  d->m_nPosi[3] = 640;
  d->m_strSysValue[11] = "C:\\jump";
  d->m_strSysValue[10] = "not a slot of the file";
  d->m_strSysKey[11] = "renamed";
  DocToSys(*d, sys);
  EXPECT_EQ(sys.m_nPosi[3], 640);
  EXPECT_EQ(sys.m_nPosi[8], 77);
  EXPECT_EQ(sys.m_strSysValue[11], "C:\\jump");
  EXPECT_EQ(sys.m_strSysKey[11], "dir1");
  EXPECT_EQ(sys.m_strSysValue[10], "");
}

}  // namespace
