#include "core/fileops/folderhost.h"

#include <gtest/gtest.h>

#include <set>

#include "tests/support/scratch.h"
#include "fw/file.h"

namespace fileops {
namespace {

std::set<std::string> List(FolderHost& h) {
  std::set<std::string> s;
  h.ListCurrentDir([&](const FolderEntry& e) {
    s.insert(e.name);
    return true;
  });
  return s;
}

TEST(FolderPaths, ResolveKeepsJapaneseTrailBytes) {
  EXPECT_EQ(ResolvePath("C:\\a", "b\\..\\c"), "C:\\a\\c");
  EXPECT_EQ(ResolvePath("C:\\a", ".."), "C:");
  EXPECT_EQ(ResolvePath("C:\\a", "D:\\x\\"), "D:\\x");
  EXPECT_EQ(ResolvePath("C:\\a", "\\x"), "C:\\x");
  // "表" (0x95 0x5C) then ".." removes the whole name.
  EXPECT_EQ(ResolvePath("C:\\\x95\x5C", ".."), "C:");
  EXPECT_EQ(ResolvePath("C:\\\x95\x5C\\b", "..\\c"), "C:\\\x95\x5C\\c");
}

TEST(ChangeDirectoryLocalBranch, SkipDriveAndMissing) {
  MemoryFolderHost h;
  h.AddFolder("C:\\d");
  EXPECT_EQ(ChangeDirectory(h, "C:\\nowhere", 0, 1), 1);
  EXPECT_EQ(h.entered, 0);
  EXPECT_EQ(ChangeDirectory(h, "C:\\d", 0, 0), 0);
  EXPECT_EQ(h.CurrentDir(), "C:\\d");
  EXPECT_EQ(ChangeDirectory(h, "C:", 0, 0), 0);  // a drive enters its root
  EXPECT_EQ(h.CurrentDir(), "C:");
  EXPECT_EQ(ChangeDirectory(h, "C:\\nowhere", 0, 0), -1);
  EXPECT_EQ(h.CurrentDir(), "C:");
  h.Lock("C:\\d");
  EXPECT_EQ(ChangeDirectory(h, "C:\\d", 0, 0), -1);
}

TEST(LocalFolders, ListsARealFolderWithSizesAndAttributes) {
  testsupport::Scratch s;
  {
    CFile f(s.Path("a.txt"), CFile::modeCreate | CFile::modeWrite);
    f.Write("hello", 5);
  }
  fw::MakeDir(s.Path("sub"));
  LocalFolderHost h;
  ASSERT_EQ(ChangeDirectory(h, std::string(s.Dir().GetString()), 0, 0), 0);
  std::map<std::string, FolderEntry> got;
  ASSERT_TRUE(h.ListCurrentDir([&](const FolderEntry& e) {
    got[e.name] = e;
    return true;
  }));
  ASSERT_TRUE(got.count("a.txt"));
  EXPECT_EQ(got["a.txt"].size, 5u);
  EXPECT_FALSE(got["a.txt"].attributes & kAttrFolder);
  ASSERT_TRUE(got.count("sub"));
  EXPECT_TRUE(got["sub"].attributes & kAttrFolder);
  EXPECT_GT(got["a.txt"].mtime, 1600000000);
  ASSERT_EQ(ChangeDirectory(h, "sub", 0, 0), 0);
  EXPECT_EQ(List(h).count("a.txt"), 0u);
  EXPECT_EQ(ChangeDirectory(h, s.Path("missing").GetString(), 0, 0), -1);
}

}  // namespace
}  // namespace fileops
