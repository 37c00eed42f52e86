// Splitting the program's command line.
#include <gtest/gtest.h>

#include "app/shell/args.h"

TEST(CommandLineArgs, TextAfterTheProgramName) {
  EXPECT_STREQ("a.txt $$", app::CommandLineArguments("Tabrye.exe a.txt $$").GetString());
  EXPECT_STREQ("\"C:\\a b.txt\"",
               app::CommandLineArguments("\"C:\\Program Files\\Tabrye.exe\"  \"C:\\a b.txt\"").GetString());
  EXPECT_STREQ("", app::CommandLineArguments("\"C:\\unterminated").GetString());
  EXPECT_STREQ("", app::CommandLineArguments("").GetString());
  EXPECT_STREQ("", app::CommandLineArguments(nullptr).GetString());
}

TEST(CommandLineArgs, QuotesGroupBlanksAndAreRemoved) {
  std::vector<std::string> a = app::SplitArguments("\"C:\\a b.txt\"  /Embedding\t$$ \"\"");
  ASSERT_EQ(4u, a.size());
  EXPECT_EQ("C:\\a b.txt", a[0]);
  EXPECT_EQ("/Embedding", a[1]);
  EXPECT_EQ("$$", a[2]);
  EXPECT_EQ("", a[3]);
  EXPECT_TRUE(app::SplitArguments("   ").empty());
  // Shift-JIS text passes through whole ("表" ends in 0x5C).
  std::vector<std::string> j = app::SplitArguments("表.txt");
  ASSERT_EQ(1u, j.size());
  EXPECT_EQ("表.txt", j[0]);
}
