// The double-click's decisions: extensions, the path-line cut, special
// folders, the "_DIR" folder of an archive, the one-member ZIP head, the
// member's file name and time, the numbered targets.
#include "filelist/flistcore/entryopen.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// "表" (0x95 0x5C), "ソ" (0x83 0x5C), "予" (0x97 0x5C): trail bytes that are "\".
const std::string kHyo = "\x95\x5C";
const std::string kSo = "\x83\x5C";
const std::string kYo = "\x97\x5C";

TEST(EntryOpen, ExtensionsDecideTheAction) {
  struct Case {
    const char* ext;
    bool forceZip, driveList;
    const char* want;
    bool marked;
    flist::OpenKind kind;
  } cases[] = {
      {"ZIP", false, false, "zip", false, flist::OpenKind::kZip},
      {"Lzh", false, false, "lzh", false, flist::OpenKind::kLzh},
      {"+zip", false, false, "zip", true, flist::OpenKind::kZip},
      {"-LZH", false, false, "lzh", true, flist::OpenKind::kLzh},
      {"=zip", false, false, "zip", true, flist::OpenKind::kZip},
      {"txt", true, false, "zip", true, flist::OpenKind::kZip},
      {"html", false, false, "htm", false, flist::OpenKind::kExecute},
      {"zipx", false, false, "zip", false, flist::OpenKind::kZip},
      {"+txt", false, false, "+tx", false, flist::OpenKind::kExecute},
      {"", false, false, "", false, flist::OpenKind::kEnter},
      {"HD [NTFS]", false, true, "hd ", false, flist::OpenKind::kEnter},
  };
  for (const Case& c : cases) {
    const flist::OpenExtension r = flist::ClassifyExtension(c.ext, c.forceZip, c.driveList);
    EXPECT_EQ(r.ext, c.want) << c.ext;
    EXPECT_EQ(r.marked, c.marked) << c.ext;
    EXPECT_EQ(r.kind, c.kind) << c.ext;
  }
}

TEST(EntryOpen, PathLineCutsAtCharacterBoundaries) {
  const std::int32_t bar[20] = {40, 100, 160, 220, 0, 999};
  EXPECT_EQ(flist::PathBarSegment(bar, 10), 0);
  EXPECT_EQ(flist::PathBarSegment(bar, 41), 1);
  EXPECT_EQ(flist::PathBarSegment(bar, 161), 3);
  EXPECT_EQ(flist::PathBarSegment(bar, 2000), 4);  // the 0 ends the table
  const std::string dir = "C:\\" + kHyo + "\\" + kSo + "x\\" + kYo;
  struct Case {
    int k;
    std::string want;
  } cases[] = {
      {0, ""},
      {1, "C:\\"},
      {2, "C:\\" + kHyo + "\\"},
      {3, "C:\\" + kHyo + "\\" + kSo + "x\\"},
      {4, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(flist::CutAfterBackslash(dir, c.k), c.want) << c.k;
}

TEST(EntryOpen, SpecialFoldersBelowTheUser) {
  // "ドキュメント" and "ダウンロード" in Shift-JIS.
  const char* doc = "\x83\x68\x83\x4C\x83\x85\x83\x81\x83\x93\x83\x67";
  const char* dl = "\x83\x5F\x83\x45\x83\x93\x83\x8D\x81\x5B\x83\x68";
  EXPECT_STREQ(flist::SpecialFolderSuffix(doc), "\\Documents\\");
  EXPECT_STREQ(flist::SpecialFolderSuffix(dl), "\\Downloads\\");
  EXPECT_EQ(flist::SpecialFolderSuffix("C:"), nullptr);
  EXPECT_EQ(flist::SpecialFolderPath("taro", "\\Documents\\"), "C:\\Users\\taro\\Documents");
  EXPECT_EQ(flist::SpecialFolderPath(std::string("ab\0cd", 5), "\\Music\\"), "C:\\Users\\ab\\Music");
}

TEST(EntryOpen, ArchiveFolderTurnsOnlyTheFileNamesBlanks) {
  struct Case {
    std::string archive, want;
  } cases[] = {
      {"C:\\d\\a.zip", "C:\\d\\a_DIR\\"},
      {"C:\\my data\\photo 2024.zip", "C:\\my data\\photo_2024_DIR\\"},
      {"C:\\" + kHyo + " x\\" + kSo + " " + kYo + ".lzh", "C:\\" + kHyo + " x\\" + kSo + "_" + kYo + "_DIR\\"},
      {"C:\\d\\noext", "C:\\d\\noext_DIR\\"},
      {"C:\\d.x\\arc", "C:\\d.x\\arc_DIR\\"},
  };
  for (const Case& c : cases) EXPECT_EQ(flist::ArchiveFolderFor(c.archive), c.want) << c.archive;
}

// A local header of the given fields followed by the name.
std::vector<std::uint8_t> Head(const std::string& name, std::uint32_t comp, std::uint32_t size, int method = 8,
                               int flags = 0, std::size_t nameLen = std::string::npos, int extra = 0) {
  std::vector<std::uint8_t> h(30, 0);
  std::memcpy(h.data(), "PK\x03\x04", 4);
  auto put = [&](std::size_t at, std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i) h[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  put(6, static_cast<std::uint32_t>(flags), 2);
  put(8, static_cast<std::uint32_t>(method), 2);
  put(10, 0x6B3A, 2);  // 13:25:52
  put(12, 0x5A27, 2);  // 2025-01-07
  put(18, comp, 4);
  put(22, size, 4);
  put(26, static_cast<std::uint32_t>(nameLen == std::string::npos ? name.size() : nameLen), 2);
  put(28, static_cast<std::uint32_t>(extra), 2);
  h.insert(h.end(), name.begin(), name.end());
  h.resize(h.size() + static_cast<std::size_t>(extra), 0);
  return h;
}

TEST(EntryOpen, OneMemberHeadIsTakenOnlyWhenItIsSound) {
  struct Case {
    const char* what;
    std::vector<std::uint8_t> head;
    std::uint64_t archiveLen;
    bool single;
  } cases[] = {
      {"one deflated member", Head("m.txt", 100, 400), 30 + 5 + 100 + 150, true},
      {"one stored member", Head("m.txt", 50, 50, 0), 30 + 5 + 50 + 120, true},
      {"several members: the data + 200 stays inside", Head("m.txt", 100, 400), 30 + 5 + 100 + 500, false},
      {"name length beyond the bytes read", Head("m.txt", 100, 400, 8, 0, 255), 400, false},
      {"extra field beyond the bytes read", Head("m.txt", 10, 10, 0, 0, std::string::npos, 240), 300, false},
      {"compressed size beyond the archive", Head("m.txt", 5000, 9000), 300, false},
      {"encrypted", Head("m.txt", 100, 400, 8, 1), 285, false},
      {"data descriptor", Head("m.txt", 0, 0, 8, 8), 285, false},
      {"unknown method", Head("m.txt", 100, 400, 12), 285, false},
      {"stored with differing sizes", Head("m.txt", 100, 400, 0), 285, false},
      {"huge declared size", Head("m.txt", 100, 0xFFFFFFF0u), 285, false},
      {"empty name", Head("", 100, 400), 280, false},
  };
  for (const Case& c : cases) {
    const flist::ZipHeadPlan p = flist::PlanZipHead(c.head.data(), c.head.size(), c.archiveLen);
    EXPECT_EQ(p.single, c.single) << c.what;
    if (p.single) {
      EXPECT_EQ(p.rawName, "m.txt");
      EXPECT_EQ(p.readBytes, c.archiveLen);
      EXPECT_GE(p.bufferBytes, p.readBytes + 1) << c.what;
      EXPECT_GE(p.bufferBytes, p.outRoom + 1) << c.what;
      EXPECT_EQ(p.outRoom, p.uncompressedSize + 1000u);
    }
  }
  std::vector<std::uint8_t> notZip = Head("m.txt", 1, 1, 0);
  notZip[2] = 5;
  EXPECT_FALSE(flist::PlanZipHead(notZip.data(), notZip.size(), 300).single);
  EXPECT_FALSE(flist::PlanZipHead(notZip.data(), 10, 300).single);
}

TEST(EntryOpen, MemberFileNameStaysInsideTheFolder) {
  struct Case {
    std::string raw, want;
  } cases[] = {
      {"m.txt", "m.txt"},
      {"dir/sub/m.txt", "m.txt"},
      {"../../evil.txt", "evil.txt"},
      {"..\\x", "x"},
      {"..", ""},
      {"a/..", ""},
      {"dir/", ""},
      {"a:b.txt", "b.txt"},  // a drive is dropped
      {"x/ab:c.txt", "ab_c.txt"},
      {"C:\\w\\con.txt", "_con.txt"},
      {"x/a?b*.txt", "a_b_.txt"},
      {"name. . ", "name"},
      {kSo + "t.txt", kSo + "t.txt"},  // the trail byte "\" of "ソ" is no separator
      {"d\\" + kHyo + ".txt", kHyo + ".txt"},
  };
  for (const Case& c : cases) EXPECT_EQ(flist::SingleMemberFileName(c.raw, false, false), c.want) << c.raw;
  // A UTF-8 name ("予.txt") becomes Shift-JIS.
  EXPECT_EQ(flist::SingleMemberFileName("a/\xE4\xBA\x88.txt", true, false), kYo + ".txt");
}

TEST(EntryOpen, MemberTimeAndTheNineteenSeventyRule) {
  struct Case {
    std::uint16_t time, date;
    flist::MemberTime want;
  } cases[] = {
      {0x6B3A, 0x5A27, {2025, 1, 7, 13, 25, 52}},
      {0, 0, {1970, 1, 1, 0, 0, 0}},                   // DOS date 0: month 0
      {0, (58 << 9) | (1 << 5) | 1, {1970, 1, 1, 0, 0, 0}},  // 2038
      {0, (57 << 9) | (12 << 5) | 31, {2037, 12, 31, 0, 0, 0}},
      {0, (10 << 9) | (13 << 5) | 1, {1970, 1, 1, 0, 0, 0}},  // month 13
      {(24 << 11), (10 << 9) | (1 << 5) | 1, {1970, 1, 1, 0, 0, 0}},  // hour 24
      {(23 << 11) | (59 << 5) | 29, (0 << 9) | (1 << 5) | 1, {1980, 1, 1, 23, 59, 58}},
  };
  for (const Case& c : cases) {
    const flist::MemberTime t = flist::MemberTimeFromDos(c.time, c.date);
    EXPECT_EQ(t.year, c.want.year) << c.date;
    EXPECT_EQ(t.month, c.want.month) << c.date;
    EXPECT_EQ(t.day, c.want.day) << c.date;
    EXPECT_EQ(t.hour, c.want.hour) << c.time;
    EXPECT_EQ(t.minute, c.want.minute) << c.time;
    EXPECT_EQ(t.second, c.want.second) << c.time;
  }
}

TEST(EntryOpen, NumberedTargetsGoBeforeTheExtension) {
  EXPECT_EQ(flist::NumberedTarget("C:\\a\\m.txt", 2), "C:\\a\\m_2.txt");
  EXPECT_EQ(flist::NumberedTarget("C:\\a\\m.tar.gz", 9), "C:\\a\\m.tar_9.gz");
  EXPECT_EQ(flist::NumberedTarget("C:\\a.b\\m", 3), "C:\\a.b\\m_3");
  EXPECT_EQ(flist::NumberedTarget("C:\\a\\" + kSo + ".txt", 4), "C:\\a\\" + kSo + "_4.txt");
}

}  // namespace
