// "Dorvik.inf" and "Dorvik.sys" in and out of the document's fields: the file
// format, damaged files, unknown keys, the files on disk.
#include "core/docdata/settings_files.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "core/docsvc/keycode_store.h"
#include "support/scratch.h"

namespace {

using namespace app;
using docsvc::FileRead;
using docsvc::kInfFileName;
using docsvc::kSysFileName;
using docsvc::KvLine;
using docsvc::LineIssue;
using docsvc::ProgramFilePath;

constexpr COLORREF Rgb(int r, int g, int b) { return static_cast<COLORREF>(r | (g << 8) | (b << 16)); }

std::unique_ptr<DvkDocData> NewDoc() { return std::make_unique<DvkDocData>(); }

TEST(InfFileText, WrittenThenReadBackEqual) {
  auto s = NewDoc();
  s->m_nBmpfile = 2500;
  s->m_nTblMax = 9000;
  s->m_strTblfnt = "メイリオ";
  s->m_strBtitleFace = "ＭＳ 明朝, 特別";  // a comma in the face
  s->m_nBtitleSize = 14;
  s->m_clrFolder = Rgb(1, 2, 3);
  s->m_nPrspace[2] = 1234;
  s->m_strPictExt[1] = ".mag";
  const std::string text = WriteInfText(*s, {});
  auto back = NewDoc();
  SettingsRest rest;
  ReadInfText(text, *back, &rest);
  EXPECT_TRUE(rest.issues.empty());
  EXPECT_EQ(back->m_strBtitleFace, "ＭＳ 明朝, 特別");
  EXPECT_EQ(back->m_nBtitleSize, 14);
  EXPECT_EQ(back->m_clrFolder, Rgb(1, 2, 3));
  EXPECT_EQ(WriteInfText(*back, {}), text);
}

TEST(InfFileText, FormatOfTheFile) {
  const std::string text = DefaultInfText();
  EXPECT_EQ(text.rfind("[limits]\r\nindata\t204800\r\n", 0), 0u) << text.substr(0, 40);
  EXPECT_NE(text.find("bmpfile\t1000\r\n"), std::string::npos);
  EXPECT_NE(text.find("flist\t9000\r\n"), std::string::npos);
  EXPECT_NE(text.find("#end/\r\n[fonts]\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nhiden\t128,128,128\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nstitle\tCentury Gothic,10\r\n"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 7), "#end/\r\n");
}

TEST(InfFileText, GarbageAndTruncationNeverFail) {
  const std::string text =
      "[limits]\r\n"
      "bmpfile\t777\r\n"
      "this line is garbage\r\n"
      "n_char\t9999\r\n"          // clamped to 510
      "indata\tlots\r\n"          // not a number: default
      "\t5\r\n"                   // no key
      "[broken\r\n"
      "#end/\r\n"
      "~ a comment\r\n"
      "[colors]\n"
      "folder\t1,2\n"             // bad colour: default
      "normal\t10,20,30\n"
      "flback\t300,0,0\n"
      "[fonts]\n"
      "btitle\tArial,10";         // truncated: no line end, no "#end/"
  auto s = NewDoc();
  SettingsRest rest;
  ReadInfText(text, *s, &rest);
  EXPECT_EQ(s->m_nBmpfile, 777);
  EXPECT_EQ(s->m_nChar, 510);
  EXPECT_EQ(s->m_nIndata, 204800);
  EXPECT_EQ(s->m_clrFolder, Rgb(0, 0, 160));
  EXPECT_EQ(s->m_clrNormal, Rgb(10, 20, 30));
  EXPECT_EQ(s->m_clrListBack, Rgb(255, 255, 255));
  EXPECT_EQ(s->m_strBtitleFace, "Arial");
  EXPECT_EQ(s->m_nBtitleSize, 10);
  EXPECT_EQ(s->m_nTblMax, 5000);  // missing key: default
  EXPECT_TRUE(rest.unknown.empty());
  std::set<int> lines;
  for (const LineIssue& i : rest.issues) lines.insert(i.line);
  EXPECT_EQ(lines, (std::set<int>{3, 4, 5, 6, 7, 11, 13}));
}

TEST(InfFileText, UnknownKeysKeptOnRewrite) {
  const std::string text =
      "[limits]\r\nbmpfile\t5\r\nfuture1\tkeep me\r\n#end/\r\n"
      "[newsect]\r\nalpha\t1\r\nbeta\t\r\n#end/\r\n"
      "loose\tx\r\n";
  auto s = NewDoc();
  SettingsRest rest;
  ReadInfText(text, *s, &rest);
  ASSERT_EQ(rest.unknown.size(), 4u);
  s->m_nBmpfile = 6;
  const std::string out = WriteInfText(*s, rest.unknown);
  EXPECT_NE(out.find("bmpfile\t6\r\nbmpdata"), std::string::npos);
  const auto limitsEnd = out.find("#end/");
  EXPECT_LT(out.find("future1\tkeep me\r\n"), limitsEnd);  // stays in its section
  EXPECT_NE(out.find("[newsect]\r\nalpha\t1\r\nbeta\t\r\n#end/\r\n"), std::string::npos);
  EXPECT_NE(out.find("loose\tx\r\n"), std::string::npos);
  // and survive a second round
  auto again = NewDoc();
  SettingsRest rest2;
  ReadInfText(out, *again, &rest2);
  EXPECT_EQ(WriteInfText(*again, rest2.unknown), out);
}

TEST(InfFileText, AVerticalOrEmptyFaceIsRefusedAndTheDefaultStays) {
  // An older version stored the first face of the font dialog, a vertical one.
  const std::string text =
      "[fonts]\r\nprofnt\t@FixedSys\r\ntblfnt\t\r\nbtitle\t@IPAゴシック,12\r\nstitle\tArial,9\r\n#end/\r\n";
  auto s = NewDoc();
  SettingsRest rest;
  ReadInfText(text, *s, &rest);
  EXPECT_EQ(s->m_strProfnt, "ＭＳ ゴシック");
  EXPECT_EQ(s->m_strTblfnt, "ＭＳ ゴシック");
  EXPECT_EQ(s->m_strBtitleFace, "ＭＳ ゴシック");
  EXPECT_EQ(s->m_nBtitleSize, 12);
  EXPECT_EQ(s->m_strStitleFace, "Arial");
  std::set<int> lines;
  for (const LineIssue& i : rest.issues) lines.insert(i.line);
  EXPECT_EQ(lines, (std::set<int>{2, 3, 4}));
  // The next write stores the face in use, so the file heals.
  EXPECT_NE(WriteInfText(*s, rest.unknown).find("profnt\tＭＳ ゴシック\r\n"), std::string::npos);
  // One rule for the setter the settings dialog shares.
  const SettingKey* k = FindSettingKey(InfKeyTable(), "profnt");
  ASSERT_NE(k, nullptr);
  CString reason;
  EXPECT_FALSE(SetSettingValue(*s, *k, "@ＭＳ 明朝", &reason));
  EXPECT_FALSE(reason.IsEmpty());
  EXPECT_TRUE(SetSettingValue(*s, *k, "ＭＳ 明朝", &reason));
  EXPECT_EQ(s->m_strProfnt, "ＭＳ 明朝");
  EXPECT_TRUE(IsVerticalFace("@x"));
  EXPECT_FALSE(IsVerticalFace("x@"));
  EXPECT_FALSE(IsVerticalFace(""));
}

TEST(InfFileText, ValuesStayOnOneLine) {
  auto s = NewDoc();
  s->m_strProfnt = "a\tb\r\nc";
  auto back = NewDoc();
  ReadInfText(WriteInfText(*s, {}), *back, nullptr);
  EXPECT_EQ(back->m_strProfnt, "a b  c");
  EXPECT_EQ(back->m_nBmpfile, 1000);
}

TEST(SettingsFiles, MissingFilesLeaveTheFieldsAndAreNotWritten) {
  testsupport::Scratch dir;
  auto d = NewDoc();
  d->m_nBmpfile = 1;
  SettingsRest rest;
  rest.unknown.push_back(KvLine());
  EXPECT_EQ(LoadInfFile(ProgramFilePath(dir.Dir(), kInfFileName), *d, rest), FileRead::Missing);
  EXPECT_EQ(d->m_nBmpfile, 1);
  EXPECT_TRUE(rest.unknown.empty());
  EXPECT_EQ(LoadSysFile(ProgramFilePath(dir.Dir(), kSysFileName), *d, rest), FileRead::Missing);
  EXPECT_EQ(d->m_strSysValue[21], "C:");
  CFileStatus st;
  EXPECT_FALSE(CFile::GetStatus(ProgramFilePath(dir.Dir(), kInfFileName), st));
  EXPECT_FALSE(CFile::GetStatus(ProgramFilePath(dir.Dir(), kSysFileName), st));
}

TEST(SettingsFiles, DefaultsWrittenOnRequestThenReadBack) {
  testsupport::Scratch dir;
  CString error;
  ASSERT_TRUE(WriteMissingSettingsFiles(dir.Dir(), &error)) << error.GetString();
  auto d = NewDoc();
  d->m_nBmpfile = 0;
  SettingsRest inf;
  ASSERT_EQ(LoadInfFile(ProgramFilePath(dir.Dir(), kInfFileName), *d, inf), FileRead::Loaded);
  EXPECT_EQ(d->m_nBmpfile, 1000);
  EXPECT_TRUE(inf.issues.empty());
  d->m_strSysValue[0] = "";
  SettingsRest sys;
  ASSERT_EQ(LoadSysFile(ProgramFilePath(dir.Dir(), kSysFileName), *d, sys), FileRead::Loaded);
  EXPECT_TRUE(sys.issues.empty());
  EXPECT_EQ(d->m_strSysValue[0], "notepad.exe");
  // existing files are left alone by a second call
  const CString infPath = ProgramFilePath(dir.Dir(), kInfFileName);
  testsupport::WriteBytes(infPath, "[limits]\r\nbmpfile\t3\r\n");
  ASSERT_TRUE(WriteMissingSettingsFiles(dir.Dir(), &error));
  EXPECT_EQ(testsupport::ReadBytes(infPath), "[limits]\r\nbmpfile\t3\r\n");
  // saving replaces the content, and no scratch file is left
  d->m_nBmpfile = 42;
  ASSERT_TRUE(SaveInfFile(infPath, *d, inf, &error));
  auto back = NewDoc();
  SettingsRest rest;
  LoadInfFile(infPath, *back, rest);
  EXPECT_EQ(back->m_nBmpfile, 42);
  CFileStatus st;
  EXPECT_FALSE(CFile::GetStatus(infPath + ".new", st));
}

TEST(SettingsFiles, DamagedFileLoadsAndStaysUnchanged) {
  testsupport::Scratch dir;
  const CString path = ProgramFilePath(dir.Dir(), kInfFileName);
  const std::string damaged = std::string("[limits]\r\nbmpfile\t1200\r\n\x01\x02garbage\xff\r\n[fonts]\r\nprofnt\tMS");
  testsupport::WriteBytes(path, damaged);
  auto d = NewDoc();
  SettingsRest inf;
  ASSERT_EQ(LoadInfFile(path, *d, inf), FileRead::Loaded);
  EXPECT_EQ(d->m_nBmpfile, 1200);
  EXPECT_EQ(d->m_strProfnt, "MS");
  EXPECT_EQ(d->m_nTblMax, 5000);
  EXPECT_EQ(inf.issues.size(), 1u);
  EXPECT_EQ(testsupport::ReadBytes(path), damaged);
  // a folder in the file's place is unreadable, not a crash
  const CString sysPath = ProgramFilePath(dir.Dir(), kSysFileName);
  fw::MakeDir(sysPath);
  SettingsRest sys;
  EXPECT_EQ(LoadSysFile(sysPath, *d, sys), FileRead::Unreadable);
  EXPECT_EQ(d->m_strSysValue[22], "C:");
}

TEST(SysFileText, SlotsAndDefaultAssociations) {
  auto s = NewDoc();
  EXPECT_EQ(s->m_strSysKey[0], "sch");
  EXPECT_EQ(s->m_strSysKey[9], "A/V");
  EXPECT_EQ(s->m_strSysKey[21], "dirX");
  EXPECT_EQ(s->m_strSysKey[39], "");
  EXPECT_EQ(s->m_strSysKey[10], "");
  EXPECT_EQ(SysSlotOfKey("dir@"), 25);
  EXPECT_EQ(SysSlotOfKey("ntwR"), 40);
  EXPECT_EQ(SysSlotOfKey(""), -1);
  EXPECT_EQ(SysSlotOfKey("posi"), -1);
  s->m_strSysValue[2] = "x.exe";
  s->m_strSysValue[7] = "";
  s->m_strSysValue[11] = "C:\\kept";
  RestoreDefaultAssociations(*s);
  EXPECT_EQ(s->m_strSysValue[2], "");
  EXPECT_EQ(s->m_strSysValue[7], "mspaint.exe");
  EXPECT_EQ(s->m_strSysValue[11], "C:\\kept");
}

TEST(SysFileText, WriteSysFileFormatAndRoundTrip) {
  auto s = NewDoc();
  s->m_strSysValue[11] = "C:\\作業\\表";
  s->m_strSysValue[26] = "X:~3site~/ftp.example.com;BASE=/;USER=u;PWRD=p";
  s->m_strSysValue[10] = "not a slot of the file";
  s->m_strSysKey[12] = "renamed";  // the table's keys are written, not the field's
  s->m_nPosi[1] = -8;
  s->m_nPosi[6] = 321;
  s->m_nPosi[9] = 77;
  s->m_nFlistD = 1520;
  s->m_nDirSort = 12;
  s->m_nLaunchFollowUp = 1;
  s->m_strEncryptKeyCode = "1234";
  const std::string text = WriteSysText(*s, {});
  // "%s\t%s" per slot first, in slot order, then the "posi" lines, "#end/" last
  EXPECT_EQ(text.rfind("sch\tnotepad.exe\r\nppt\t\r\n", 0), 0u);
  const auto posi = text.find("posi\t0,-8,20,1000,700,0,321,0,0,77\r\n");
  ASSERT_NE(posi, std::string::npos);
  EXPECT_GT(posi, text.find("ntwU\t"));
  EXPECT_NE(text.find("\r\ndir2\t"), std::string::npos);
  EXPECT_EQ(text.find("renamed"), std::string::npos);
  EXPECT_EQ(text.find("not a slot"), std::string::npos);
  EXPECT_NE(text.find("posi;\t1520\r\nposi<\t12\r\n"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 7), "#end/\r\n");
  // the key code is never stored plain
  EXPECT_EQ(text.find("1234"), std::string::npos);
  auto back = NewDoc();
  SettingsRest rest;
  ReadSysText(text, *back, &rest);
  EXPECT_TRUE(rest.issues.empty());
  EXPECT_EQ(back->m_strSysValue[11], "C:\\作業\\表");
  EXPECT_EQ(back->m_nPosi[9], 77);
  EXPECT_EQ(back->m_strEncryptKeyCode, "1234");
  EXPECT_EQ(WriteSysText(*back, {}), text);
}

TEST(SysFileText, DamagedLinesAndUnknownKeys) {
  const std::string text =
      "dir1\tC:\\a\r\n"
      "mystery\tvalue\r\n"
      "posi\t1,2,3\r\n"          // too few numbers: defaults kept
      "posi;\tabc\r\n"
      "ekey\tK1ZZ\r\n"           // damaged key code: none
      "garbage\r\n"
      "dir2\tC:\\b";             // no line end, no "#end/"
  auto s = NewDoc();
  SettingsRest rest;
  ReadSysText(text, *s, &rest);
  EXPECT_EQ(s->m_strSysValue[11], "C:\\a");
  EXPECT_EQ(s->m_strSysValue[12], "C:\\b");
  EXPECT_EQ(s->m_nPosi[3], 1000);
  EXPECT_EQ(s->m_nFlistD, 1616);
  EXPECT_EQ(s->m_strEncryptKeyCode, "");
  EXPECT_EQ(rest.issues.size(), 4u);
  ASSERT_EQ(rest.unknown.size(), 1u);
  const std::string out = WriteSysText(*s, rest.unknown);
  EXPECT_NE(out.find("mystery\tvalue\r\n"), std::string::npos);
  EXPECT_LT(out.find("mystery"), out.find("posi\t"));
}

}  // namespace
