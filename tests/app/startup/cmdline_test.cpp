#include <gtest/gtest.h>

#include "app/startup/cmdline.h"

namespace {

int KindOf(const CString& path) {
  CString p = path;
  p.MakeLower();
  if (p.Right(4) == ".rmc" || p.Right(4) == "rmcx" || p.Right(4) == "rmcz") return 98;
  return 9;
}

app::StartupCommand Parse(const char* raw) { return app::ParseCommandLine(raw, KindOf); }

}  // namespace

TEST(CommandLine, NoArgumentGivesProductTitleAndInitMacro) {
  app::StartupCommand c = Parse("");
  EXPECT_EQ(CString("Tabry-Editor"), c.title);
  EXPECT_TRUE(c.filePath.IsEmpty());
  EXPECT_FALSE(c.mainSplit2x1);
  EXPECT_TRUE(c.runInitMacro);
}

TEST(CommandLine, PathBecomesTitleAndFileQuotesStripped) {
  app::StartupCommand c = Parse("\"C:\\データ\\表.csv\"");
  EXPECT_EQ(CString("C:\\データ\\表.csv"), c.title);
  EXPECT_EQ(CString("C:\\データ\\表.csv"), c.filePath);
  EXPECT_FALSE(c.pseudoName);
  EXPECT_FALSE(c.runInitMacro);
}

TEST(CommandLine, PseudoNames) {
  for (const char* p : {"$$", "##", "#L", "#R"}) {
    app::StartupCommand c = Parse(p);
    EXPECT_TRUE(c.pseudoName) << p;
    EXPECT_EQ(CString("Tabry-Editor"), c.title) << p;
    EXPECT_TRUE(c.filePath.IsEmpty()) << p;
    EXPECT_TRUE(c.runInitMacro) << p;  // shorter than 3 characters
  }
  EXPECT_TRUE(Parse("$$").mainSplit2x1);
  EXPECT_EQ(1, Parse("#L").startListSide);
  EXPECT_EQ(2, Parse("#R").startListSide);
  EXPECT_FALSE(Parse("##").restoreLayout);
  EXPECT_TRUE(Parse("#L").restoreLayout);
}

TEST(CommandLine, TrailingDollarsSplitsTwoByOneAndKeepsTheFile) {
  app::StartupCommand c = Parse("x $$");
  EXPECT_TRUE(c.mainSplit2x1);
  EXPECT_EQ(CString("x"), c.filePath);
  EXPECT_EQ(CString("x $$"), c.title);
  c = Parse("\"C:\\a b.txt\" $$");
  EXPECT_TRUE(c.mainSplit2x1);
  EXPECT_EQ(CString("C:\\a b.txt"), c.filePath);
}

TEST(CommandLine, TrailingRClearsTheLine) {
  app::StartupCommand c = Parse("C:\\a.txt $R");
  EXPECT_TRUE(c.commandLine.IsEmpty());
  EXPECT_TRUE(c.filePath.IsEmpty());
  EXPECT_EQ(CString("Tabry-Editor"), c.title);
}

TEST(CommandLine, ExternalRunTakesTheRequestFile) {
  app::StartupCommand c = Parse("&ext&");
  EXPECT_TRUE(c.externalRun);
  EXPECT_EQ(CString("C:\\tabrymacro.tmp"), c.requestFile);
  EXPECT_TRUE(c.commandLine.IsEmpty());
  EXPECT_FALSE(c.runInitMacro);
  c = Parse("&ext& D:\\req.tmp");
  EXPECT_EQ(CString("D:\\req.tmp"), c.requestFile);
  EXPECT_TRUE(c.filePath.IsEmpty());
}

TEST(CommandLine, MacroFilesRunAtStart) {
  app::StartupCommand c = Parse("job.rmc");
  EXPECT_EQ(CString("job.rmc"), c.macroFile);
  EXPECT_FALSE(c.runInitMacro);
  EXPECT_EQ(CString("C:\\m\\a.RMCX"), Parse("C:\\m\\a.RMCX").macroFile);
  EXPECT_TRUE(Parse("C:\\a.txt").macroFile.IsEmpty());
}
