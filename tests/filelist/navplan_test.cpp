#include "filelist/flistcore/navplan.h"

#include <gtest/gtest.h>

#include <string>

namespace flist {
namespace {

// Literals are compiled to Shift-JIS.
std::string Sjis(const char* text) { return std::string(text); }

TEST(FolderStep, UpFromFoldersDrivesAndFinalBackslash) {
  struct Case {
    const char* from;
    const char* to;
    int result;
  } cases[] = {
      {"C:\\t\\x", "C:\\t", 4},
      {"C:\\t", "C:", 2},
      {"C:", "C:", -1},           // a drive root: the drive list follows
      {"C:\\", "C:", 2},
      {"C:\\data\\sub\\", "C:\\data", 11},
      {"C:\\data\\s\\", "C:\\data", 9},
      {"\\\\srv\\share\\d", "\\\\srv\\share", 11},
      {"\\\\srv\\share", "\\\\srv", 5},
      {"\\\\srv", "\\\\srv", 1},  // the server root: the drive list follows
      {"", "", -1},
  };
  for (const Case& c : cases) {
    const FolderStep s = LocalFolderStep(c.from, c.from, 0);
    EXPECT_EQ(s.dir, c.to) << c.from;
    EXPECT_EQ(s.result, c.result) << c.from;
  }
}

TEST(FolderStep, WalkUpToTheDriveList) {
  std::string dir = "C:\\t\\x";
  int steps = 0;
  for (;;) {
    const FolderStep s = LocalFolderStep(dir, dir, 0);
    dir = s.dir;
    ++steps;
    if (s.result <= 1) break;
    ASSERT_LT(steps, 10);
  }
  EXPECT_EQ(steps, 3);  // "C:\t", "C:", then the drive list
  EXPECT_EQ(dir, "C:");
}

TEST(FolderStep, TrailBytesThatLookLikeBackslashesAreNoCut) {
  // "表", "ソ" and "予" end in the byte of "\".
  const std::string data = Sjis("C:\\データ");
  const std::string hyo = data + Sjis("\\表示");
  const std::string soft = hyo + Sjis("\\ソフト");
  EXPECT_EQ(LocalFolderStep(soft, soft, 0).dir, hyo);
  EXPECT_EQ(LocalFolderStep(hyo, hyo, 0).dir, data);
  const std::string yo = Sjis("C:\\予");
  EXPECT_EQ(LocalFolderStep(yo, yo, 0).dir, "C:");
  const std::string endsInYo = Sjis("C:\\a\\予\\");
  EXPECT_EQ(LocalFolderStep(endsInYo, endsInYo, 0).dir, "C:\\a");
  EXPECT_EQ(LastBackslash(Sjis("表")), -1);
  EXPECT_EQ(LastBackslash(Sjis("a\\表")), 1);
}

TEST(FolderStep, IntoAFolderAndTheDriveList) {
  const FolderStep into = LocalFolderStep("C:\\a", "\\\\srv\\share\\d", 1);
  EXPECT_EQ(into.dir, "\\\\srv\\share\\d");
  EXPECT_EQ(into.result, 2);
  const FolderStep drives = LocalFolderStep("C:\\a", "C:\\a", 2);
  EXPECT_EQ(drives.dir, "C:\\a");
  EXPECT_EQ(drives.result, 0);
}

TEST(SortCommands, EachCommandStartsAtItsFirstModeAndToggles) {
  struct Case {
    SortCommand command;
    std::uint32_t from, to;
    int clear;
  } cases[] = {
      {SortCommand::kSize, 0, 1, 1}, {SortCommand::kSize, 1, 2, 1}, {SortCommand::kSize, 2, 1, 1},
      {SortCommand::kSize, 5, 1, 1}, {SortCommand::kDate, 0, 3, 1}, {SortCommand::kDate, 3, 4, 1},
      {SortCommand::kDate, 4, 3, 1}, {SortCommand::kName, 0, 5, 0}, {SortCommand::kName, 5, 6, 0},
      {SortCommand::kName, 6, 0, 0}, {SortCommand::kName, 3, 0, 0}, {SortCommand::kExt, 0, 7, 1},
      {SortCommand::kExt, 7, 8, 1},  {SortCommand::kExt, 8, 7, 1},
  };
  for (const Case& c : cases) {
    const SortStep s = NextSortMode(c.command, c.from);
    EXPECT_EQ(s.mode, c.to) << static_cast<int>(c.command) << " from " << c.from;
    EXPECT_EQ(s.clearMarks, c.clear) << static_cast<int>(c.command);
  }
}

TEST(DriveCommands, EnabledOnlyForPresentDrivesWithARoot) {
  const std::uint32_t mask = (1u << 2) | (1u << 3) | (1u << 7);  // C:, D:, H:
  EXPECT_TRUE(DriveCommandEnabled('D', mask, true));
  EXPECT_TRUE(DriveCommandEnabled('h', mask, true));
  EXPECT_FALSE(DriveCommandEnabled('E', mask, true));
  EXPECT_FALSE(DriveCommandEnabled('D', mask, false));
  EXPECT_FALSE(DriveCommandEnabled('?', ~0u, true));
}

}  // namespace
}  // namespace flist
