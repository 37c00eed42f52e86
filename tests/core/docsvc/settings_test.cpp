// "Dorvik.inf" and "Dorvik.sys": defaults, round trips, damaged files.
#include <gtest/gtest.h>

#include <set>

#include "core/docsvc/settings_io.h"
#include "support/scratch.h"

namespace {

using namespace docsvc;

TEST(InfSettings, Defaults) {
  InfSettings s = DefaultInfSettings();
  EXPECT_EQ(s.m_nBmpfile, 1000);
  EXPECT_EQ(s.m_nIndata, 204800);
  EXPECT_EQ(s.m_nTblMax, 5000);
  EXPECT_EQ(s.m_nChar, 157);
  EXPECT_EQ(s.m_nTab, 8);
  EXPECT_EQ(s.m_nFlist, 9000);
  EXPECT_EQ(s.m_nFhold, 19000);
  EXPECT_EQ(s.m_nPdfWidthAdjust, 5);
  EXPECT_EQ(s.m_nPdfTdAdjust, 85);
  EXPECT_EQ(s.m_bKeepLayout, 1);
  EXPECT_EQ(s.m_bLinkList, 1);
  EXPECT_EQ(s.m_nFshell, 0);
  EXPECT_EQ(s.m_strProfnt, "ＭＳ ゴシック");
  EXPECT_EQ(s.m_fontStitle.face, "Century Gothic");
  EXPECT_EQ(s.m_clrFlback, Rgb(255, 255, 255));
  EXPECT_EQ(s.m_strPictExt[4], "");
}

TEST(InfSettings, KeyTableIsConsistent) {
  std::set<std::string> keys, fields;
  InfSettings s;
  for (const InfKey& k : InfKeyTable()) {
    EXPECT_TRUE(keys.insert(k.key).second) << "key twice: " << k.key;
    EXPECT_TRUE(fields.insert(k.field).second) << "field twice: " << k.field;
    // every default lies in its range and reads back as written
    InfSettings d = DefaultInfSettings();
    EXPECT_EQ(InfValueText(d, k), k.def) << k.key;
  }
  // the macro's system-parameter words are no file keys
  for (const char* word : {"filevol", "textvol", "csvline", "xlschar", "bkcolor", "qnodisp"})
    EXPECT_EQ(keys.count(word), 0u) << word;
}

TEST(InfSettings, WrittenThenReadBackEqual) {
  InfSettings s = DefaultInfSettings();
  s.m_nBmpfile = 2500;
  s.m_nTblMax = 9000;
  s.m_strTblfnt = "メイリオ";
  s.m_fontBtitle = {"ＭＳ 明朝, 特別", 14};  // a comma in the face
  s.m_clrFolder = Rgb(1, 2, 3);
  s.m_nPrspace[2] = 1234;
  s.m_strPictExt[1] = ".mag";
  const std::string text = WriteInfText(s, {});
  InfSettings back = DefaultInfSettings();
  std::vector<LineIssue> issues;
  ReadInfText(text, back, nullptr, &issues);
  EXPECT_TRUE(issues.empty());
  for (const InfKey& k : InfKeyTable()) EXPECT_EQ(InfValueText(back, k), InfValueText(s, k)) << k.key;
  EXPECT_EQ(WriteInfText(back, {}), text);
}

TEST(InfSettings, FormatOfTheFile) {
  const std::string text = WriteInfText(DefaultInfSettings(), {});
  EXPECT_EQ(text.rfind("[limits]\r\nindata\t204800\r\n", 0), 0u) << text.substr(0, 40);
  EXPECT_NE(text.find("bmpfile\t1000\r\n"), std::string::npos);
  EXPECT_NE(text.find("#end/\r\n[fonts]\r\n"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 7), "#end/\r\n");
}

TEST(InfSettings, GarbageAndTruncationNeverFail) {
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
  InfSettings s = DefaultInfSettings();
  std::vector<LineIssue> issues;
  std::vector<KvLine> unknown;
  ReadInfText(text, s, &unknown, &issues);
  EXPECT_EQ(s.m_nBmpfile, 777);
  EXPECT_EQ(s.m_nChar, 510);
  EXPECT_EQ(s.m_nIndata, 204800);
  EXPECT_EQ(s.m_clrFolder, Rgb(0, 0, 160));
  EXPECT_EQ(s.m_clrNormal, Rgb(10, 20, 30));
  EXPECT_EQ(s.m_clrFlback, Rgb(255, 255, 255));
  EXPECT_EQ(s.m_fontBtitle.face, "Arial");
  EXPECT_EQ(s.m_fontBtitle.size, 10);
  EXPECT_EQ(s.m_nTblMax, 5000);  // missing key: default
  EXPECT_TRUE(unknown.empty());
  std::set<int> lines;
  for (const LineIssue& i : issues) lines.insert(i.line);
  EXPECT_EQ(lines, (std::set<int>{3, 4, 5, 6, 7, 11, 13}));
}

TEST(InfSettings, UnknownKeysKeptOnRewrite) {
  const std::string text =
      "[limits]\r\nbmpfile\t5\r\nfuture1\tkeep me\r\n#end/\r\n"
      "[newsect]\r\nalpha\t1\r\nbeta\t\r\n#end/\r\n"
      "loose\tx\r\n";
  InfSettings s = DefaultInfSettings();
  std::vector<KvLine> unknown;
  ReadInfText(text, s, &unknown, nullptr);
  ASSERT_EQ(unknown.size(), 4u);
  s.m_nBmpfile = 6;
  const std::string out = WriteInfText(s, unknown);
  EXPECT_NE(out.find("bmpfile\t6\r\nbmpdata"), std::string::npos);
  const auto limitsEnd = out.find("#end/");
  EXPECT_LT(out.find("future1\tkeep me\r\n"), limitsEnd);  // stays in its section
  EXPECT_NE(out.find("[newsect]\r\nalpha\t1\r\nbeta\t\r\n#end/\r\n"), std::string::npos);
  EXPECT_NE(out.find("loose\tx\r\n"), std::string::npos);
  // and survive a second round
  InfSettings again = DefaultInfSettings();
  std::vector<KvLine> unknown2;
  ReadInfText(out, again, &unknown2, nullptr);
  EXPECT_EQ(WriteInfText(again, unknown2), out);
}

TEST(InfSettings, ValuesStayOnOneLine) {
  InfSettings s = DefaultInfSettings();
  s.m_strProfnt = "a\tb\r\nc";
  InfSettings back = DefaultInfSettings();
  ReadInfText(WriteInfText(s, {}), back, nullptr, nullptr);
  EXPECT_EQ(back.m_strProfnt, "a b  c");
  EXPECT_EQ(back.m_nBmpfile, 1000);
}

TEST(SettingsFiles, MissingFilesGiveDefaultsAndAreNotWritten) {
  testsupport::Scratch dir;
  InfFile inf;
  inf.s.m_nBmpfile = 1;
  EXPECT_EQ(LoadInfFile(ProgramFilePath(dir.Dir(), kInfFileName), inf), FileRead::Missing);
  SysFile sys;
  EXPECT_EQ(LoadSysFile(ProgramFilePath(dir.Dir(), kSysFileName), sys), FileRead::Missing);
  EXPECT_EQ(sys.s.m_strSysValue[21], "C:");
  CFileStatus st;
  EXPECT_FALSE(CFile::GetStatus(ProgramFilePath(dir.Dir(), kInfFileName), st));
  EXPECT_FALSE(CFile::GetStatus(ProgramFilePath(dir.Dir(), kSysFileName), st));
}

TEST(SettingsFiles, DefaultsWrittenOnRequestThenReadBack) {
  testsupport::Scratch dir;
  CString error;
  ASSERT_TRUE(WriteMissingSettingsFiles(dir.Dir(), &error)) << error.GetString();
  InfFile inf;
  inf.s.m_nBmpfile = 0;
  ASSERT_EQ(LoadInfFile(ProgramFilePath(dir.Dir(), kInfFileName), inf), FileRead::Loaded);
  EXPECT_EQ(inf.s.m_nBmpfile, 1000);
  EXPECT_TRUE(inf.issues.empty());
  SysFile sys;
  ASSERT_EQ(LoadSysFile(ProgramFilePath(dir.Dir(), kSysFileName), sys), FileRead::Loaded);
  EXPECT_TRUE(sys.issues.empty());
  EXPECT_EQ(sys.s.m_strSysValue[0], "notepad.exe");
  // existing files are left alone by a second call
  const CString infPath = ProgramFilePath(dir.Dir(), kInfFileName);
  testsupport::WriteBytes(infPath, "[limits]\r\nbmpfile\t3\r\n");
  ASSERT_TRUE(WriteMissingSettingsFiles(dir.Dir(), &error));
  EXPECT_EQ(testsupport::ReadBytes(infPath), "[limits]\r\nbmpfile\t3\r\n");
  // saving replaces the content, and no scratch file is left
  inf.s.m_nBmpfile = 42;
  ASSERT_TRUE(SaveInfFile(infPath, inf, &error));
  InfFile back;
  LoadInfFile(infPath, back);
  EXPECT_EQ(back.s.m_nBmpfile, 42);
  CFileStatus st;
  EXPECT_FALSE(CFile::GetStatus(infPath + ".new", st));
}

TEST(SettingsFiles, DamagedFileLoadsAndStaysUnchanged) {
  testsupport::Scratch dir;
  const CString path = ProgramFilePath(dir.Dir(), kInfFileName);
  const std::string damaged = std::string("[limits]\r\nbmpfile\t1200\r\n\x01\x02garbage\xff\r\n[fonts]\r\nprofnt\tMS");
  testsupport::WriteBytes(path, damaged);
  InfFile inf;
  ASSERT_EQ(LoadInfFile(path, inf), FileRead::Loaded);
  EXPECT_EQ(inf.s.m_nBmpfile, 1200);
  EXPECT_EQ(inf.s.m_strProfnt, "MS");
  EXPECT_EQ(inf.s.m_nTblMax, 5000);
  EXPECT_EQ(inf.issues.size(), 1u);
  EXPECT_EQ(testsupport::ReadBytes(path), damaged);
  // a folder in the file's place is unreadable, not a crash
  const CString sysPath = ProgramFilePath(dir.Dir(), kSysFileName);
  fw::MakeDir(sysPath);
  SysFile sys;
  EXPECT_EQ(LoadSysFile(sysPath, sys), FileRead::Unreadable);
  EXPECT_EQ(sys.s.m_strSysValue[22], "C:");
}

TEST(SysSettings, SlotsAndDefaults) {
  SysSettings s = DefaultSysSettings();
  EXPECT_EQ(s.m_strSysKey[0], "sch");
  EXPECT_EQ(s.m_strSysKey[3], "xls");
  EXPECT_EQ(s.m_strSysKey[9], "A/V");
  EXPECT_EQ(s.m_strSysKey[11], "dir1");
  EXPECT_EQ(s.m_strSysKey[20], "dir0");
  EXPECT_EQ(s.m_strSysKey[21], "dirX");
  EXPECT_EQ(s.m_strSysValue[21], "C:");
  EXPECT_EQ(s.m_strSysValue[22], "C:");
  EXPECT_EQ(s.m_strSysKey[25], "dir@");
  EXPECT_EQ(s.m_strSysKey[26], "ftp1");
  EXPECT_EQ(s.m_strSysKey[28], "ftp3");
  EXPECT_EQ(s.m_strSysKey[31], "ntwJ");
  EXPECT_EQ(s.m_strSysKey[38], "ntwQ");
  EXPECT_EQ(s.m_strSysKey[39], "");
  EXPECT_EQ(s.m_strSysKey[40], "ntwR");
  EXPECT_EQ(s.m_strSysKey[43], "ntwU");
  EXPECT_EQ(s.m_strSysKey[10], "");
  EXPECT_EQ(SysSlotOfKey("dir@"), 25);
  EXPECT_EQ(SysSlotOfKey(""), -1);
  EXPECT_EQ(SysSlotOfKey("posi"), -1);
  s.m_strSysValue[2] = "x.exe";
  SetDefaultAssociations(s);
  EXPECT_EQ(s.m_strSysValue[2], "");
  EXPECT_EQ(s.m_strSysValue[7], "mspaint.exe");
}

TEST(SysSettings, WriteSysFileFormatAndRoundTrip) {
  SysSettings s = DefaultSysSettings();
  s.m_strSysValue[11] = "C:\\作業\\表";
  s.m_strSysValue[26] = "X:~3site~/ftp.example.com;BASE=/;USER=u;PWRD=p";
  s.m_nPosi[1] = -8;
  s.m_nPosi[6] = 321;
  s.m_nFlistD = 1520;
  s.m_nDirSort = 12;
  s.m_nLaunchFollowUp = 1;
  s.m_strEncryptKeyCode = "1234";
  const std::string text = WriteSysText(s, {});
  // "%s\t%s" per slot first, in slot order, then the "posi" lines, "#end/" last
  EXPECT_EQ(text.rfind("sch\tnotepad.exe\r\nppt\t\r\n", 0), 0u);
  const auto posi = text.find("posi\t0,-8,20,1000,700,0,321,0,0,0\r\n");
  ASSERT_NE(posi, std::string::npos);
  EXPECT_GT(posi, text.find("ntwU\t"));
  EXPECT_NE(text.find("posi;\t1520\r\nposi<\t12\r\n"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 7), "#end/\r\n");
  // the key code is never stored plain
  EXPECT_EQ(text.find("1234"), std::string::npos);
  SysSettings back = DefaultSysSettings();
  std::vector<LineIssue> issues;
  ReadSysText(text, back, nullptr, &issues);
  EXPECT_TRUE(issues.empty());
  for (int i = 0; i < kSysSlots; ++i) EXPECT_EQ(back.m_strSysValue[i], s.m_strSysValue[i]) << i;
  for (int i = 0; i < kPosiCount; ++i) EXPECT_EQ(back.m_nPosi[i], s.m_nPosi[i]);
  EXPECT_EQ(back.m_nFlistD, 1520);
  EXPECT_EQ(back.m_nDirSort, 12);
  EXPECT_EQ(back.m_nLaunchFollowUp, 1);
  EXPECT_EQ(back.m_strEncryptKeyCode, "1234");
  EXPECT_EQ(WriteSysText(back, {}), text);
}

TEST(SysSettings, DamagedLinesAndUnknownKeys) {
  const std::string text =
      "dir1\tC:\\a\r\n"
      "mystery\tvalue\r\n"
      "posi\t1,2,3\r\n"          // too few numbers: defaults kept
      "posi;\tabc\r\n"
      "ekey\tK1ZZ\r\n"           // damaged key code: none
      "garbage\r\n"
      "dir2\tC:\\b";             // no line end, no "#end/"
  SysSettings s = DefaultSysSettings();
  std::vector<KvLine> unknown;
  std::vector<LineIssue> issues;
  ReadSysText(text, s, &unknown, &issues);
  EXPECT_EQ(s.m_strSysValue[11], "C:\\a");
  EXPECT_EQ(s.m_strSysValue[12], "C:\\b");
  EXPECT_EQ(s.m_nPosi[3], 1000);
  EXPECT_EQ(s.m_nFlistD, 1616);
  EXPECT_EQ(s.m_strEncryptKeyCode, "");
  EXPECT_EQ(issues.size(), 4u);
  ASSERT_EQ(unknown.size(), 1u);
  const std::string out = WriteSysText(s, unknown);
  EXPECT_NE(out.find("mystery\tvalue\r\n"), std::string::npos);
  EXPECT_LT(out.find("mystery"), out.find("posi\t"));
}

TEST(SysSettings, KeyCodeCipher) {
  for (const char* k : {"1234", "123456", "12345678", "  ab", "表計算キー"}) {
    const CString stored = EncipherKeyCode(k);
    EXPECT_EQ(stored.Find(k), -1) << k;
    CString back;
    EXPECT_TRUE(DecipherKeyCode(stored, &back)) << k;
    EXPECT_EQ(back, k);
  }
  EXPECT_EQ(EncipherKeyCode(""), "");
  CString out = "x";
  EXPECT_TRUE(DecipherKeyCode("", &out));
  EXPECT_EQ(out, "");
  // any change to the stored text is found, never decoded to garbage
  const CString stored = EncipherKeyCode("1234");
  for (int i = 0; i < stored.GetLength(); ++i) {
    CString bad = stored;
    bad.SetAt(i, bad[i] == '0' ? '1' : '0');
    EXPECT_FALSE(DecipherKeyCode(bad, &out)) << i;
    EXPECT_EQ(out, "");
  }
  EXPECT_FALSE(DecipherKeyCode("1234", &out));
  EXPECT_FALSE(DecipherKeyCode(stored.Left(stored.GetLength() - 1), &out));
  EXPECT_FALSE(DecipherKeyCode(stored.Left(stored.GetLength() - 2), &out));
  // "K2" + hex of an 8-byte tag and the enciphered bytes; the same code
  // always gives the same text (the file stays byte-identical on rewrite)
  EXPECT_EQ(stored.Left(2), "K2");
  EXPECT_EQ(stored.GetLength(), 2 + 2 * (8 + 4));
  EXPECT_EQ(EncipherKeyCode("1234"), stored);
  // the stored form pinned: computed with python3's hmac and the
  // "cryptography" package's ChaCha20 from the definition in docs/docsvc.md
  EXPECT_EQ(stored, "K2FAF7F7E064923A6AA0F6B1B8");
  EXPECT_NE(EncipherKeyCode("1235").Mid(2, 16), stored.Mid(2, 16));
  // the old obfuscated form and codes that cannot be stored
  EXPECT_FALSE(DecipherKeyCode("K1ABCD", &out));
  EXPECT_EQ(EncipherKeyCode(CString(std::string(256, '7'))), "");
  const CString longest(std::string(255, '7'));
  EXPECT_TRUE(DecipherKeyCode(EncipherKeyCode(longest), &out));
  EXPECT_EQ(out, longest);
}

}  // namespace
