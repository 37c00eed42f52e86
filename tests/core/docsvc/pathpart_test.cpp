// Path parts, the lead-byte tracker, lower-casing, FTP entry fields.
#include <gtest/gtest.h>

#include "core/docsvc/pathpart.h"
#include "core/docsvc/sjis_state.h"

namespace {

struct PartCase {
  const char* path;
  int mode;
  const char* want;
};

TEST(PathPart, AllModes) {
  const PartCase cases[] = {
      {"C:\\dir\\memo.txt", 1, "memo.txt"},
      {"C:\\dir\\memo.txt", 2, "memo"},
      {"C:\\dir\\memo.txt", 3, "C:\\dir"},
      {"C:\\dir\\memo.txt", 4, "memo.txt"},
      {"C:\\dir\\memo.txt", 5, "txt"},
      {"C:\\dir\\memo.txt", 6, "C:\\dir\\memo"},
      {"C:\\dir\\memo.txt", 0, "memo.txt"},
      {"C:\\dir\\memo.txt", 7, "memo.txt"},
      {"C:\\dir\\memo.txt", -1, "memo.txt"},
      // several dots: the last one
      {"a\\b.tar.gz", 2, "b.tar"},
      {"a\\b.tar.gz", 5, "gz"},
      {"a\\b.tar.gz", 6, "a\\b.tar"},
      // packed-source markers after the extension's dot
      {"C:\\d\\memo.+rtf", 4, "memo.rtf"},
      {"C:\\d\\memo.-txt", 4, "memo.txt"},
      {"C:\\d\\memo.=csv", 4, "memo.csv"},
      {"C:\\d\\memo.+rtf", 5, "+rtf"},
      {"C:\\d\\me+mo.txt", 4, "me+mo.txt"},
      {"C:\\d\\memo+", 4, "memo+"},
  };
  for (const PartCase& c : cases)
    EXPECT_EQ(GetPathPart(c.path, c.mode), c.want) << c.path << " mode " << c.mode;
}

TEST(PathPart, EdgeCases) {
  // no "\" at all
  EXPECT_EQ(GetPathPart("memo.txt", 1), "memo.txt");
  EXPECT_EQ(GetPathPart("memo.txt", 3), "memo.txt");
  EXPECT_EQ(GetPathPart("memo.txt", 6), "memo");
  // "\" at position 0: the folder is the path unchanged
  EXPECT_EQ(GetPathPart("\\memo.txt", 3), "\\memo.txt");
  EXPECT_EQ(GetPathPart("\\memo.txt", 1), "memo.txt");
  EXPECT_EQ(GetPathPart("C:\\memo.txt", 3), "C:");
  // no extension
  EXPECT_EQ(GetPathPart("C:\\dir\\README", 2), "README");
  EXPECT_EQ(GetPathPart("C:\\dir\\README", 5), "");
  EXPECT_EQ(GetPathPart("C:\\dir\\README", 6), "C:\\dir\\README");
  // a dot in a folder name is no extension
  EXPECT_EQ(GetPathPart("C:\\v1.2\\README", 6), "C:\\v1.2\\README");
  EXPECT_EQ(GetPathPart("C:\\v1.2\\README", 5), "");
  // "." at the name's start (position 0 of the path too)
  EXPECT_EQ(GetPathPart(".txt", 6), ".txt");
  EXPECT_EQ(GetPathPart(".txt", 2), ".txt");
  EXPECT_EQ(GetPathPart(".txt", 5), "");
  EXPECT_EQ(GetPathPart("C:\\d\\.profile", 2), ".profile");
  // trailing "\" and empty input
  EXPECT_EQ(GetPathPart("C:\\dir\\", 1), "");
  EXPECT_EQ(GetPathPart("C:\\dir\\", 3), "C:\\dir");
  for (int mode = 0; mode <= 7; ++mode) EXPECT_EQ(GetPathPart("", mode), "") << mode;
  // trailing dot
  EXPECT_EQ(GetPathPart("C:\\d\\memo.", 5), "");
  EXPECT_EQ(GetPathPart("C:\\d\\memo.", 2), "memo");
}

TEST(PathPart, TrailByte5CIsNoSeparator) {
  // "表" = 0x95 0x5C and "ソ" = 0x83 0x5C end in a byte that looks like "\".
  const CString path = "C:\\表\\ソフト表.txt";
  EXPECT_EQ(GetPathPart(path, 1), "ソフト表.txt");
  EXPECT_EQ(GetPathPart(path, 2), "ソフト表");
  EXPECT_EQ(GetPathPart(path, 3), "C:\\表");
  EXPECT_EQ(GetPathPart("C:\\データ表", 1), "データ表");
  EXPECT_EQ(GetPathPart("表", 3), "表");
  EXPECT_EQ(LastBackslash("ソ"), -1);
  // a lead byte cut off at the end never reads past the text
  EXPECT_EQ(GetPathPart(CString("C:\\a\x95", 5), 1), CString("a\x95", 2));
}

TEST(ChangeDir, Target) {
  EXPECT_EQ(ChangeDirTarget("C:\\dir\\memo.txt", 1, true), "C:\\dir");
  EXPECT_EQ(ChangeDirTarget("C:\\dir\\sub", 1, false), "C:\\dir\\sub");
  EXPECT_EQ(ChangeDirTarget("C:\\dir\\memo.txt", 0, true), "C:\\dir\\memo.txt");
  EXPECT_EQ(ChangeDirTarget("C:", 0, false), "C:\\");
  EXPECT_EQ(ChangeDirTarget("C:\\", 0, false), "C:\\");
  EXPECT_EQ(ChangeDirTarget("C:\\dir\\", 0, false), "C:\\dir");
  EXPECT_EQ(ChangeDirTarget("C:\\memo.txt", 1, true), "C:\\");
  // network paths keep their leading "\\"
  EXPECT_EQ(ChangeDirTarget("\\\\srv\\share\\a.txt", 1, true), "\\\\srv\\share");
  EXPECT_EQ(ChangeDirTarget("C:\\表", 0, false), "C:\\表");
}

TEST(SjisState, BothLeadByteSets) {
  for (int b = 0; b < 256; ++b) {
    const bool std = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xEF) || (b >= 0xFA && b <= 0xFC);
    const bool with80 = std || b == 0x80;
    int s = 0;
    IsSjisLeadByteState(static_cast<unsigned char>(b), &s);
    EXPECT_EQ(s, std ? 1 : 0) << std::hex << b;
    s = 0;
    IsSjisLeadByteState80(static_cast<unsigned char>(b), &s);
    EXPECT_EQ(s, with80 ? 1 : 0) << std::hex << b;
    // state 1 returns to 0 whatever the byte
    s = 1;
    IsSjisLeadByteState(static_cast<unsigned char>(b), &s);
    EXPECT_EQ(s, 0);
    s = 1;
    IsSjisLeadByteState80(static_cast<unsigned char>(b), s);
    EXPECT_EQ(s, 0);
    EXPECT_EQ(SjisLeadState(0, static_cast<unsigned char>(b)), std ? 1 : 0);
    EXPECT_EQ(SjisLeadState(1, static_cast<unsigned char>(b)), 0);
  }
  // 0xF0-0xF9 (user-defined area) are outside both sets
  EXPECT_FALSE(docsvc::IsSjisLeadByteStd(0xF0));
  EXPECT_FALSE(docsvc::IsSjisLeadByte80(0xF9));
}

TEST(SjisState, TracksPairsThroughText) {
  // "表\" : the 0x5C of the pair is a trail byte, the last one is not.
  const CString t = "表\\";
  int s = 0;
  std::vector<int> states;
  for (int i = 0; i < t.GetLength(); ++i) {
    IsSjisLeadByteState(static_cast<unsigned char>(t[i]), &s);
    states.push_back(s);
  }
  EXPECT_EQ(states, (std::vector<int>{1, 0, 0}));
}

TEST(MakeLowerSjis, AsciiOnlyTrailBytesKept) {
  EXPECT_EQ(MakeLowerSjis("ABC xyz 123 [Z]"), "abc xyz 123 [z]");
  EXPECT_EQ(MakeLowerSjis(""), "");
  // "ア" = 0x83 0x41, "ヂ" = 0x83 0x61... trail bytes in the ASCII letter range
  const CString kana = "アイウＡ";  // 0x83 0x41, 0x83 0x43, 0x83 0x45, 0x82 0x60
  EXPECT_EQ(MakeLowerSjis(kana + "ABC"), kana + "abc");
  // with a 0x80 lead byte (the set with 0x80): its trail 'A' stays
  EXPECT_EQ(MakeLowerSjis(CString("\x80" "AB")), CString("\x80" "Ab"));
  // the byte after "\x01~" keeps its case, and so does a pair there
  EXPECT_EQ(MakeLowerSjis(CString("\x01~AB")), CString("\x01~Ab"));
  EXPECT_EQ(MakeLowerSjis(CString("~AB")), CString("~ab"));
  EXPECT_EQ(MakeLowerSjis(CString("\x01~") + "アB"), CString("\x01~") + "アb");
  // a half-width katakana byte is single: the next letter is lowered
  EXPECT_EQ(MakeLowerSjis(CString("\xB1" "A")), CString("\xB1" "a"));
  // a lead byte at the very end
  EXPECT_EQ(MakeLowerSjis(CString("A\x83")), CString("a\x83"));
}

TEST(FtpEntry, Fields) {
  const CString e = "X:~3my site~/ftp.example.com/pub;BASE=/home/u;USER=alice;PWRD=p;w=d";
  EXPECT_EQ(ParseFtpEntry(e, 0), "ftp.example.com/pub");
  EXPECT_EQ(ParseFtpEntry(e, 1), "alice");
  EXPECT_EQ(ParseFtpEntry(e, 2), "p;w=d");
  EXPECT_EQ(ParseFtpEntry(e, 3), "/home/u");
  EXPECT_EQ(ParseFtpEntry(e, 4), "");
  // "ftp:" / "FTP:" dropped with the slashes after it
  EXPECT_EQ(ParseFtpEntry("Y:~~/ftp://host.jp/x;BASE=;USER=u;PWRD=", 0), "host.jp/x");
  EXPECT_EQ(ParseFtpEntry("Y:~~/FTP:host.jp;USER=u", 0), "host.jp");
  // empty folder: ";BASE=" directly followed by ";USER="
  EXPECT_EQ(ParseFtpEntry("Y:~~/h;BASE=;USER=u;PWRD=", 3), "");
  EXPECT_EQ(ParseFtpEntry("Y:~~/h;BASE=;USER=u;PWRD=", 1), "u");
  // network default entry
  EXPECT_EQ(ParseFtpEntry("R:~~/;USER=;PWRD=", 0), "");
  // no head, missing fields, empty
  EXPECT_EQ(ParseFtpEntry("ftp:host;USER=me", 0), "host");
  EXPECT_EQ(ParseFtpEntry("host", 1), "");
  EXPECT_EQ(ParseFtpEntry("", 0), "");
  EXPECT_EQ(ParseFtpEntry("X:~unterminated", 0), "");
}

}  // namespace
