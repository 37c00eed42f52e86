// Start-up: command line, window title, main splitter, registration.
#include <gtest/gtest.h>

#include "filelist/flistview.h"
#include "fw/uihooks.h"
#include "host/pane_layout.h"
#include "res/resource.h"
#include "shell_fixture.h"

using shelltest::ShellTest;

TEST_F(ShellTest, NoArgumentGivesTheProductTitle) {
  ASSERT_TRUE(Start(""));
  EXPECT_EQ("Tabry-Editor", Title());
  EXPECT_FALSE(frame->IsMainSplit2x1());
  EXPECT_EQ(0, doc->m_bStartFile);
  EXPECT_FALSE(doc->m_strProgramDir.IsEmpty());
  EXPECT_NE('\\', doc->m_strProgramDir[doc->m_strProgramDir.GetLength() - 1]);
}

TEST_F(ShellTest, APathGivesTheCommandLineAsTitle) {
  // The file does not exist: the open says so and the document stays empty.
  fw::hooks::ExpectMessageBox("file = C:\\data\\a b.txt", IDOK);
  ASSERT_TRUE(Start("\"C:\\data\\a b.txt\""));
  EXPECT_EQ("C:\\data\\a b.txt", Title());  // quotes stripped
  EXPECT_TRUE(doc->m_strDocPath.IsEmpty());
  EXPECT_EQ(1, doc->m_bStartFile);
  // The first list pane follows the named file's folder; that folder does
  // not exist, so the pane lists its parent.
  CFlistView* list = frame->GetListPane(0, 0);
  ASSERT_NE(nullptr, list);
  EXPECT_STREQ("C:", list->m_strCurDir.GetString());
}

TEST_F(ShellTest, AFolderIsListedWithoutAnOpenMessage) {
  // No message box is expected: the fixture fails on any that shows.
  testsupport::TempProgramFolder dir;
  const std::string line = "\"" + dir.Path() + "\"";
  ASSERT_TRUE(Start(line.c_str()));
  EXPECT_EQ(dir.Path(), Title());
  EXPECT_TRUE(doc->m_strDocPath.IsEmpty());
  // The list opens in the folder and stays shown (no file takes the screen).
  EXPECT_EQ(0, doc->m_bStartFile);
  CFlistView* list = frame->GetListPane(0, 0);
  ASSERT_NE(nullptr, list);
  EXPECT_EQ(dir.Path(), list->m_strCurDir.GetString());
  EXPECT_GT(app::ListSharePermille(doc->m_nLayoutMode), 0);
}

TEST_F(ShellTest, PseudoNamesKeepTheProductTitleAndOpenNothing) {
  for (const char* name : {"##", "#L", "#R"}) {
    ASSERT_TRUE(Start(name)) << name;
    EXPECT_EQ("Tabry-Editor", Title()) << name;
    EXPECT_TRUE(doc->m_strDocPath.IsEmpty()) << name;
    TearDown();
    SetUp();
  }
}

TEST_F(ShellTest, PseudoNameRMakesTheSecondListSideActive) {
  ASSERT_TRUE(Start("#R"));
  EXPECT_EQ(2u, doc->m_nActiveSide);
  EXPECT_EQ(frame->GetListPane(0, 1), frame->GetActiveView());
}

TEST_F(ShellTest, TrailingDollarsGiveTheTwoRowMainSplitter) {
  ASSERT_TRUE(Start("$$"));
  EXPECT_EQ("Tabry-Editor", Title());
  EXPECT_TRUE(frame->IsMainSplit2x1());
  CWnd* main = CWnd::FromHandlePermanent(::GetDlgItem(frame->m_hWnd, AFX_IDW_PANE_FIRST));
  CSplitterWnd* split = dynamic_cast<CSplitterWnd*>(main);
  ASSERT_NE(nullptr, split);
  EXPECT_EQ(2, split->GetRowCount());
  EXPECT_EQ(1, split->GetColumnCount());
  TearDown();
  SetUp();
  fw::hooks::ExpectMessageBox("file = C:\\a.txt", IDOK);
  ASSERT_TRUE(Start("C:\\a.txt $$"));
  EXPECT_TRUE(frame->IsMainSplit2x1());
  EXPECT_EQ("C:\\a.txt $$", Title());
  EXPECT_TRUE(doc->m_strDocPath.IsEmpty());  // no such file
}

TEST_F(ShellTest, TrailingRClearsTheCommandLine) {
  ASSERT_TRUE(Start("C:\\a.txt $R"));
  EXPECT_EQ("Tabry-Editor", Title());
  EXPECT_TRUE(app_->StartCommand().commandLine.IsEmpty());
  EXPECT_TRUE(doc->m_strDocPath.IsEmpty());
  EXPECT_FALSE(frame->IsMainSplit2x1());
}

TEST_F(ShellTest, EmbeddedAndAutomationStartsStopAfterRegistration) {
  for (const char* line : {"/Embedding", "-Automation"}) {
    EXPECT_FALSE(Start(line)) << line;
    EXPECT_TRUE(app_->StoppedAfterRegistration());
    EXPECT_EQ(nullptr, app_->m_pMainWnd);
    EXPECT_EQ(nullptr, g_pMainFrame);
    TearDown();
    SetUp();
  }
}

TEST_F(ShellTest, InProcessCopiesTakeTheLowestFreeNumber) {
  ASSERT_TRUE(Start(""));
  EXPECT_EQ(0, doc->m_nInstanceNo);
  // A second registration on the same block while this copy runs.
  app::InstanceRegistry other(shelltest::InstanceBlockName().c_str());
  EXPECT_EQ(1, other.Acquire());
}
