// File kinds by extension.
#include <gtest/gtest.h>

#include "core/docsvc/filekind.h"

namespace {

CString Upper(const char* s) {
  CString u = s;
  u.MakeUpper();
  return u;
}

struct KindCase {
  const char* ext;
  int kind;
};

// Every extension with its kind, written out independently of the table.
const KindCase kAll[] = {
    {".ppt", 1},  {".obd", 1},  {".pot", 1},  {".doc", 2},  {".xls", 3},  {".rtf", 4},
    {".rtz", 4},  {".rtzx", 4}, {".lzh", 5},  {".zip", 5},  {".htm", 6},  {".html", 6},
    {".exe", 8},  {".dll", 8},  {".txt", 9},  {".ini", 9},  {".inf", 9},  {".tmr", 9},
    {".sch", 9},  {".cpp", 9},  {".mcr", 9},  {".c", 9},    {".txf", 10}, {".pdf", 11},
    {".bmp", 12}, {".jpg", 13}, {".jpeg", 13}, {".png", 14}, {".gif", 15}, {".tif", 16},
    {".tiff", 16}, {".bmz", 22}, {".wmf", 27}, {".emf", 28}, {".msg", 32}, {".oft", 32},
    {".csv", 33}, {".xml", 34}, {".xlsx", 36}, {".xlsm", 36}, {".docx", 37}, {".pptx", 38},
    {".potx", 38}, {".pptm", 38}, {".mid", 51}, {".midi", 51}, {".rmi", 51}, {".wav", 52},
    {".snd", 52}, {".avi", 53}, {".wmv", 53}, {".mov", 53}, {".mpg", 54}, {".mpeg", 54},
    {".mp4", 55}, {".mp3", 56}, {".wma", 56}, {".rmc", 98}, {".rmcx", 98}, {".rmcz", 98},
    {".h", 98},   {".m3u", 99}, {".asx", 99}, {".m3u8", 99},
};

TEST(FileKind, EveryExtensionBothCases) {
  for (const KindCase& c : kAll) {
    const CString lower = CString("C:\\dir\\name") + c.ext;
    EXPECT_EQ(GetFileKind(lower), c.kind) << c.ext;
    EXPECT_EQ(GetFileKind(Upper(lower)), c.kind) << c.ext << " upper";
    EXPECT_EQ(GetFileKind(c.ext), c.kind) << c.ext << " alone";
  }
  // the table and this list agree in size
  int n = 0;
  docsvc::FileKindTable(&n);
  EXPECT_EQ(n, static_cast<int>(sizeof kAll / sizeof kAll[0]));
}

TEST(FileKind, NoSuffixEndsAnother) {
  int n = 0;
  const docsvc::FileKindEntry* t = docsvc::FileKindTable(&n);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) {
      if (i == j) continue;
      const CString a = t[i].suffix, b = t[j].suffix;
      if (a.GetLength() <= b.GetLength()) continue;
      EXPECT_NE(a.Right(b.GetLength()), b) << t[i].suffix << " ends in " << t[j].suffix;
    }
}

TEST(FileKind, FourCharacterFormsAndMixedCase) {
  EXPECT_EQ(GetFileKind("rtzx"), 4);
  EXPECT_EQ(GetFileKind("C:\\a\\Book1.XlSx"), 36);
  EXPECT_EQ(GetFileKind("page.HTML"), 6);
  EXPECT_EQ(GetFileKind("macroRMCZ"), 98);  // compared on the last characters
  EXPECT_EQ(GetFileKind("memo.docx"), 37);
  EXPECT_EQ(GetFileKind("memo.doc"), 2);
}

TEST(FileKind, UnknownAndOdd) {
  EXPECT_EQ(GetFileKind(""), 99);
  EXPECT_EQ(GetFileKind("README"), 99);
  EXPECT_EQ(GetFileKind("a.xyz"), 99);
  EXPECT_EQ(GetFileKind("."), 99);
  EXPECT_EQ(GetFileKind("c"), 99);
  EXPECT_EQ(GetFileKind("a.cc"), 99);
  EXPECT_EQ(GetFileKind("a.hpp"), 99);
  EXPECT_EQ(GetFileKind("C:\\data.txt\\file"), 99);
}

TEST(FileKind, SuffixMustStartOnACharacterBoundary) {
  // 0x83 0x68 ("ド") followed by "tml": the bytes "htmL" do not begin a
  // character, so this is no HTML file.
  EXPECT_EQ(GetFileKind("ドtml"), 99);
  EXPECT_EQ(GetFileKind("漢字.txt"), 9);
  EXPECT_EQ(GetFileKind("表.csv"), 33);
}

TEST(FileKind, PictureExtensionsOfTheSettings) {
  CString ext[5] = {"pic", ".mag", "", "TGA", "xyz1"};
  EXPECT_EQ(GetFileKind("a.pic", ext), 17);
  EXPECT_EQ(GetFileKind("a.MAG", ext), 18);
  EXPECT_EQ(GetFileKind("a.tga", ext), 20);
  EXPECT_EQ(GetFileKind("a.xyz1", ext), 21);
  EXPECT_EQ(GetFileKind("axyz1", ext), 99);  // the dot is part of the extension
  EXPECT_EQ(GetFileKind("a.", ext), 99);     // the empty slot never matches
  EXPECT_EQ(GetFileKind("a.pic"), 99);       // without the settings
  // the built-in table comes first
  CString clash[5] = {"bmp", "", "", "", ""};
  EXPECT_EQ(GetFileKind("a.bmp", clash), 12);
}

}  // namespace
