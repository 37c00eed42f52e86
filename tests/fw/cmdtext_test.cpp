// Command strings split into prompt and tooltip; recent-file captions.
#include "fw/cmdtext.h"

#include <gtest/gtest.h>

namespace {

TEST(CommandText, PromptAndTooltipAreTheTwoPartsOfTheString) {
  EXPECT_EQ("ファイルを開きます", fw::PromptPart("ファイルを開きます\n開く"));
  EXPECT_EQ("開く", fw::TooltipPart("ファイルを開きます\n開く"));
  // Without a tooltip part the whole text is the prompt.
  EXPECT_EQ("CSV の引用符を表示しません", fw::PromptPart("CSV の引用符を表示しません"));
  EXPECT_EQ("", fw::TooltipPart("CSV の引用符を表示しません"));
  EXPECT_EQ("", fw::PromptPart(""));
  EXPECT_EQ("b", fw::TooltipPart("a\nb\nc"));
}

TEST(CommandText, RecentFilesAreNumberedForTheKeyboard) {
  EXPECT_EQ("&1 C:\\a.txt", fw::RecentFileCaption(0, "C:\\a.txt"));
  EXPECT_EQ("&9 C:\\a.txt", fw::RecentFileCaption(8, "C:\\a.txt"));
  EXPECT_EQ("1&0 C:\\a.txt", fw::RecentFileCaption(9, "C:\\a.txt"));
  // An ampersand in a name is doubled so the menu shows it as itself.
  EXPECT_EQ("&2 C:\\R&&D\\x.txt", fw::RecentFileCaption(1, "C:\\R&D\\x.txt"));
}

TEST(CommandText, LongPathsKeepTheRootAndTheTrailingFolders) {
  const std::string p = "C:\\Users\\someone\\Documents\\projects\\2026\\report\\final.txt";
  EXPECT_EQ("&1 C:\\...\\2026\\report\\final.txt", fw::RecentFileCaption(0, p, 32));
  // Never less than the name, however narrow.
  EXPECT_EQ("&1 C:\\...\\final.txt", fw::RecentFileCaption(0, p, 5));
  EXPECT_EQ("&1 \\\\srv\\share\\...\\final.txt",
            fw::RecentFileCaption(0, "\\\\srv\\share\\very\\deep\\folder\\final.txt", 24));
  EXPECT_EQ("&1 " + p, fw::RecentFileCaption(0, p, p.size()));
}

TEST(CommandText, AShiftJisTrailByteFiveCIsNoSeparator) {
  // "表示" = 95 5C 8E A6: one folder name, not two.
  const std::string p = "C:\\long folder name here\\\x95\x5C\x8E\xA6\\a.txt";
  EXPECT_EQ("&1 C:\\...\\\x95\x5C\x8E\xA6\\a.txt", fw::RecentFileCaption(0, p, 20));
}

}  // namespace
