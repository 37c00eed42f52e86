// The file-list panes in the running program: listing a real folder made at
// test time, the command-line file as cursor entry, the drive list, select
// all, the scroll bar, the painter's marks, a dropped folder and the
// folders written at exit.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "filelist/flistcore/entries.h"
#include "filelist/flistview.h"
#include "fw/file.h"
#include "fw/path.h"
#include "fw/uihooks.h"
#include "res/resource.h"
#include "shell_fixture.h"
#include "support/file_bytes.h"

namespace {

// "表示" and "ソフト" (trail bytes 0x5C) and "報告.txt".
const std::string kHyoji = "\x95\x5C\x8E\xA6";
const std::string kSofuto = "\x83\x5C\x83\x74\x83\x67";
const std::string kHokoku = "\x95\xF1\x8D\x90.txt";

void WriteFile(const std::string& path, std::size_t size) {
  CFile f(path.c_str(), CFile::modeCreate | CFile::modeWrite);
  std::string bytes(size, 'x');
  if (size) f.Write(bytes.data(), static_cast<UINT>(size));
}

class FlistWindowTest : public shelltest::ShellFileTest {
 protected:
  // A folder of the test: base\表示 with sub-folders and files.
  std::string MakeFolder() {
    const std::string base = File("") + kHyoji;
    fw::MakeDir(base.c_str());
    fw::MakeDir((base + "\\" + kSofuto).c_str());
    fw::MakeDir((base + "\\b_dir").c_str());
    fw::MakeDir((base + "\\A_dir").c_str());
    WriteFile(base + "\\" + kHokoku, 1234);
    WriteFile(base + "\\zeta.TXT", 0);
    WriteFile(base + "\\alpha.csv", 2000000);
    return base;
  }
  CFlistView* Pane(int side) { return frame->GetListPane(0, side - 1); }
  static std::string Name(CFlistView* v, int i) { return flist::GetNameRecord(v->m_table.m_pNameRecs, i); }
  void ShowInPane1(const std::string& folder) {
    frame->ShowFolderInList(folder.c_str());
  }
};

TEST_F(FlistWindowTest, ListsARealFolderInNameOrderWithFoldersFirst) {
  const std::string dir = MakeFolder();
  ASSERT_TRUE(StartIn(""));
  CFlistView* v = Pane(1);
  ASSERT_NE(nullptr, v);
  v->m_state.m_nSortMode = 5;
  ShowInPane1(dir);
  EXPECT_STREQ(dir.c_str(), v->m_strCurDir.GetString());
  ASSERT_EQ(v->m_table.m_nEntryCount, 8);  // "..", 3 folders, 3 files, the blank entry
  EXPECT_EQ(Name(v, 0), "..");
  EXPECT_EQ(Name(v, 1), "A_dir");
  EXPECT_EQ(Name(v, 2), "b_dir");
  EXPECT_EQ(Name(v, 3), kSofuto);
  EXPECT_EQ(Name(v, 4), "alpha.csv");
  EXPECT_EQ(Name(v, 5), "zeta.TXT");
  EXPECT_EQ(Name(v, 6), kHokoku);
  EXPECT_EQ(Name(v, 7), "");
  EXPECT_EQ(static_cast<std::int32_t>(v->m_table.m_pEntryVal1[1]), -2);
  EXPECT_EQ(v->m_table.m_pEntryVal1[4], 2000000u);
  EXPECT_EQ(v->m_table.m_pEntryVal1[6], 1234u);
  EXPECT_EQ(flist::GetNameRecord(v->m_table.m_pTextRecs3, 5), "TXT");
  EXPECT_EQ(flist::GetNameRecord(v->m_table.m_pTextRecs3, 8), "  3");
  // Size order, largest first.
  v->m_state.m_nSortMode = 2;
  doc->m_nUpdateCode = app::UpdateCode::kRedrawAll;
  v->OnUpdate(nullptr, 0, nullptr);
  EXPECT_EQ(Name(v, 4), "alpha.csv");
  EXPECT_EQ(Name(v, 6), "zeta.TXT");
  // A filter narrows the files and describes itself on the summary entry.
  v->m_strFilter1 = "*.txt";
  v->OnUpdate(nullptr, 0, nullptr);
  EXPECT_EQ(v->m_table.m_nEntryCount, 7);
  EXPECT_EQ(Name(v, 7), "[*.txt]");
  EXPECT_EQ(flist::GetNameRecord(v->m_table.m_pTextRecs3, 7), "  2");
}

TEST_F(FlistWindowTest, AttributesAndTheirColoursComeFromTheSystem) {
  const std::string dir = File("") + "attrs";
  fw::MakeDir(dir.c_str());
  const char* names[] = {"hid.txt", "sys.txt", "ro.txt", "run.exe", "plain.txt"};
  const DWORD attrs[] = {FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM, FILE_ATTRIBUTE_READONLY, 0, 0};
  for (int i = 0; i < 5; ++i) {
    WriteFile(dir + "\\" + names[i], 10);
    if (attrs[i]) ::SetFileAttributesA((dir + "\\" + names[i]).c_str(), attrs[i]);
  }
  ASSERT_TRUE(StartIn(""));
  CFlistView* v = Pane(1);
  v->m_state.m_nSortMode = 5;
  ShowInPane1(dir);
  ASSERT_EQ(v->m_table.m_nEntryCount, 7);
  // Name order: hid, plain, ro, run, sys.
  EXPECT_EQ(Name(v, 1), "hid.txt");
  EXPECT_TRUE(v->m_table.m_pEntryVal2[1] & 0x02);
  EXPECT_TRUE(v->m_table.m_pEntryVal2[3] & 0x01);
  EXPECT_TRUE(v->m_table.m_pEntryVal2[5] & 0x04);
  EXPECT_EQ(flist::GetNameRecord(v->m_table.m_pTextRecs3, 4), "exe");
  for (int i = 0; i < 5; ++i) ::SetFileAttributesA((dir + "\\" + names[i]).c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FlistWindowTest, QuotedFileOnTheCommandLineIsTheCursorEntry) {
  const std::string dir = MakeFolder();
  const std::string file = dir + "\\" + kHokoku;
  ASSERT_TRUE(StartIn("\"" + file + "\""));
  CFlistView* v = Pane(1);
  ASSERT_NE(nullptr, v);
  EXPECT_STREQ(dir.c_str(), v->m_strCurDir.GetString());
  ASSERT_GT(v->m_state.m_nCurEntry, 0);
  EXPECT_EQ(Name(v, v->m_state.m_nCurEntry), kHokoku);
  // The path bar splits at the separators, never inside "表".
  v->DrawPathBar(1);
  int segments = 0;
  while (segments < 20 && v->m_aPathBarX[segments] != 0) ++segments;
  int seps = 0;
  for (std::size_t i = 0; i < dir.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(dir[i]);
    if ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) ++i;
    else if (c == '\\') ++seps;
  }
  // The ">" lead-in, then one segment per component.
  EXPECT_EQ(segments, seps + 2);
}

TEST_F(FlistWindowTest, DriveListShowsDrivesPseudoRowsAndSpecialFolders) {
  ASSERT_TRUE(StartIn(""));
  CFlistView* v = Pane(1);
  doc->m_strSysValue[26] = "Y:~2site~;BASE=/;USER=u;PWRD=p";
  v->m_strCurDir = "C:";
  v->ShowDriveList();
  EXPECT_EQ(v->m_nListSource, 1);
  EXPECT_TRUE(v->m_strCurDir.IsEmpty());
  EXPECT_EQ(Name(v, 1), "A:");
  bool c = false, z = false, y = false;
  int nw = 0;
  for (int i = 2; i < v->m_table.m_nEntryCount; ++i) {
    const std::string n = Name(v, i);
    c = c || n.compare(0, 3, "C: ") == 0;
    z = z || n.compare(0, 3, "Z: ") == 0;
    y = y || n == "Y:>site";
    if (n == "NW:") nw = i;
  }
  EXPECT_TRUE(c);
  EXPECT_TRUE(z);
  EXPECT_TRUE(y);
  ASSERT_GT(nw, 0);
  EXPECT_EQ(v->m_table.m_nEntryCount, nw + 8);
  EXPECT_EQ(flist::GetNameRecord(v->m_table.m_pTextRecs3, nw + 1), "dir");
  for (int i = v->m_table.m_nEntryCount; i <= 29; ++i) EXPECT_EQ(Name(v, i), "") << i;
  EXPECT_EQ("Drive list", Title());
  // The update of a list stays away from the drive list.
  doc->m_nUpdateCode = app::UpdateCode::kRedrawAll;
  v->OnUpdate(nullptr, 0, nullptr);
  EXPECT_EQ(Name(v, 1), "A:");
}

TEST_F(FlistWindowTest, SelectAllMarksEveryEntryButDotsAndTheBlank) {
  const std::string dir = File("") + "one";
  fw::MakeDir(dir.c_str());
  WriteFile(dir + "\\only.txt", 3);
  ASSERT_TRUE(StartIn(""));
  CFlistView* v = Pane(1);
  ShowInPane1(dir);
  ASSERT_EQ(v->m_table.m_nEntryCount, 3);
  v->m_state.m_nCurEntry = 0;
  v->SelectAll();
  EXPECT_EQ(v->m_table.m_pMarks[0], 0);
  EXPECT_EQ(v->m_table.m_pMarks[1], 1);
  EXPECT_EQ(v->m_table.m_pMarks[2], 0);
  EXPECT_EQ(v->m_state.m_nCurEntry, 1);
}

TEST_F(FlistWindowTest, ScrollBarBottomAndCursorMarking) {
  const std::string dir = File("") + "many";
  fw::MakeDir(dir.c_str());
  for (int i = 0; i < 300; ++i) WriteFile(dir + "\\f" + std::to_string(1000 + i) + ".dat", 1);
  ASSERT_TRUE(StartIn(""));
  CFlistView* v = Pane(1);
  ShowInPane1(dir);
  EXPECT_EQ(v->m_state.m_nScrollMax, 302);
  v->SendMessage(WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(v->m_state.m_nScrollPos, 100);
  v->SendMessage(WM_VSCROLL, SB_TOP, 0);
  EXPECT_EQ(v->m_state.m_nScrollPos, 0);
  // The painter marks the cursor entry of the active pane, not with Ctrl held.
  RECT rc;
  ::GetClientRect(v->m_hWnd, &rc);
  ASSERT_GT(rc.bottom, 4 * v->m_nLineHeight);
  {
    v->ClearMarks(0);
    v->m_state.m_nCurEntry = 1;
    v->DrawEntryLines(1);
    EXPECT_EQ(v->m_table.m_pMarks[1], 1);
    v->m_bCtrlDown = 1;
    v->m_state.m_nCurEntry = 2;
    v->DrawEntryLines(1);
    EXPECT_EQ(v->m_table.m_pMarks[2], 0);
    v->m_bCtrlDown = 0;
  }
}

TEST_F(FlistWindowTest, EscAnsweredYesStopsTheWalkAndKeepsTheEntriesSoFar) {
  const std::string dir = File("") + "esc";
  fw::MakeDir(dir.c_str());
  for (int i = 0; i < 250; ++i) WriteFile(dir + "\\g" + std::to_string(1000 + i) + ".dat", 1);
  ASSERT_TRUE(StartIn(""));
  CFlistView* v = Pane(1);
  frame->ActivateListPane(0, 0);
  ASSERT_EQ(v, frame->GetActiveView());
  // An Esc waits in the queue; the poll after 100 files asks, Yes stops.
  ::PostMessageA(v->m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0);
  fw::hooks::ExpectMessageBox("", IDYES);
  frame->ShowFolderInList(dir.c_str());
  EXPECT_EQ(fw::hooks::MessageBoxTexts().size(), 1u);
  EXPECT_EQ(v->m_table.m_nEntryCount, 102);  // ".", "..", 100 files read: "..", 100 files, the blank entry
  EXPECT_EQ(doc->m_bAbort, 1u);
  doc->m_bAbort = 0;
}

TEST_F(FlistWindowTest, ADroppedFolderIsListedWithoutARefusal) {
  const std::string dir = MakeFolder();
  ASSERT_TRUE(StartIn(""));
  frame->OnDropPaths({CString(dir.c_str())});
  const int side = doc->m_nActiveSide == 2 ? 2 : 1;
  EXPECT_STREQ(dir.c_str(), Pane(side)->m_strCurDir.GetString());
  EXPECT_TRUE(fw::hooks::MessageBoxTexts().empty());
}

TEST_F(FlistWindowTest, FoldersAtExitGoToTheSystemFile) {
  const std::string dir = MakeFolder();
  ASSERT_TRUE(StartIn(""));
  ShowInPane1(dir);
  Pane(2)->ShowDriveList();
  // Everything but the start folders and the window goes back as the file
  // holds it, whatever the run changed.
  doc->m_nStartSort1 = 15;
  frame->SaveListFoldersAtExit();
  EXPECT_STREQ(dir.c_str(), doc->m_strSysValue[21].GetString());
  const std::string sys = testsupport::ReadFileBytes(std::string(doc->m_strProgramDir.GetString()) + "\\Dorvik.sys");
  EXPECT_NE(sys.find("dirX\t" + dir + "\r\n"), std::string::npos);
  EXPECT_NE(sys.find("dirY\tC:\r\n"), std::string::npos);  // the drive list leaves it
  EXPECT_NE(sys.find("sorts\t0,0\r\n"), std::string::npos);
  EXPECT_NE(sys.find("posi\t"), std::string::npos);
}

}  // namespace

namespace {

// The frame's interface with the menu-text calls recorded; the rest goes to
// the real frame.
class RecordingFrame : public app::FrameHost {
 public:
  explicit RecordingFrame(app::FrameHost* real) : real_(real) {}
  ~RecordingFrame() = default;
  CFrameWnd* FrameWnd() override { return real_->FrameWnd(); }
  void ActivateTextPane(int row, int col) override { real_->ActivateTextPane(row, col); }
  void UpdateMenuTexts(int kind, int form, int state) override {
    calls.push_back({kind, form, state});
    real_->UpdateMenuTexts(kind, form, state);
  }
  int CheckEscapeAbort() override { return real_->CheckEscapeAbort(); }
  void OnSideDisplay() override { real_->OnSideDisplay(); }
  void OnListDisplay() override { real_->OnListDisplay(); }
  bool ShowsTextPane(int i) override { return real_->ShowsTextPane(i); }
  bool TakeSkippedPaint() override { return real_->TakeSkippedPaint(); }
  CString StartCommandLine() override { return real_->StartCommandLine(); }
  bool RestoreLayoutAtStart() override { return real_->RestoreLayoutAtStart(); }
  int TextSplitMode() override { return real_->TextSplitMode(); }
  void SetTextSplitMode(int mode) override { real_->SetTextSplitMode(mode); }
  void ApplyTextLayout(int a, int b) override { real_->ApplyTextLayout(a, b); }
  void ClearSplitCycleState() override { real_->ClearSplitCycleState(); }
  struct Call {
    int kind, form, state;
  };
  std::vector<Call> calls;

 private:
  app::FrameHost* real_;
};

class FlistStartTest : public shelltest::ShellTest {
 protected:
  testsupport::TempProgramFolder program_;
  std::string Sys() const { return testsupport::ReadFileBytes(program_.File("Dorvik.sys")); }
};

TEST_F(FlistStartTest, TheNextStartListsTheFolderOfTheLastExitAndReadsTheKeyMacro) {
  const std::string dir = program_.File("\x95\x5C\x8E\xA6");  // 表示
  fw::MakeDir(dir.c_str());
  {
    CFile f((dir + "\\a.txt").c_str(), CFile::modeCreate | CFile::modeWrite);
  }
  {
    CFile m(program_.File("Dorvik.mcr").c_str(), CFile::modeCreate | CFile::modeWrite);
    const char text[] = "DVK go\r\nline 2 // note\r\n";
    m.Write(text, sizeof text - 1);
  }
  ASSERT_TRUE(Start("", false, program_.Path()));
  CFlistView* v = frame->GetListPane(0, 0);
  EXPECT_EQ(v->m_nListMacroPc, 0);
  EXPECT_STREQ("DVKgo", v->m_aListMacroLines[0].GetString());
  EXPECT_STREQ("line2", v->m_aListMacroLines[1].GetString());
  frame->ShowFolderInList(dir.c_str());
  frame->SaveListFoldersAtExit();
  TearDown();
  SetUp();
  ASSERT_TRUE(Start("", false, program_.Path()));
  v = frame->GetListPane(0, 0);
  EXPECT_STREQ(dir.c_str(), v->m_strCurDir.GetString());
  EXPECT_EQ(flist::GetNameRecord(v->m_table.m_pNameRecs, 1), "a.txt");
}

TEST_F(FlistStartTest, ARefusedWriteAtExitShowsItsMessageAndKeepsTheOldFile) {
  ASSERT_TRUE(Start("", false, program_.Path()));
  frame->SaveListFoldersAtExit();  // the first write makes the file
  const std::string before = Sys();
  ASSERT_FALSE(before.empty());
  TearDown();
  SetUp();
  ASSERT_TRUE(Start("", false, program_.Path()));
  frame->ShowFolderInList(program_.Path().c_str());
  fw::filetest::Reset();
  fw::filetest::FailFrom(fw::filetest::Op::kWrite, 1);
  fw::filetest::FailFrom(fw::filetest::Op::kRename, 1);
  fw::hooks::ExpectMessageBox("", IDOK);
  frame->SaveListFoldersAtExit();
  fw::filetest::Reset();
  EXPECT_EQ(fw::hooks::MessageBoxTexts().size(), 1u);
  EXPECT_EQ(Sys(), before);
}

TEST_F(FlistStartTest, UpdatesWithCodeZeroOrOneChangeNothingAndActivationSetsTheSide) {
  ASSERT_TRUE(Start("", false, program_.Path()));
  CFlistView* v = frame->GetListPane(0, 0);
  CFlistView* w = frame->GetListPane(0, 1);
  v->m_strCurDir = "C:\\nowhere-else";
  for (app::UpdateCode c : {app::UpdateCode::kNone, app::UpdateCode::kContent}) {
    doc->m_nUpdateCode = c;
    doc->UpdateAllViews(nullptr, 0, nullptr);
    EXPECT_STREQ("C:\\nowhere-else", v->m_strCurDir.GetString());
  }
  v->m_strCurDir = program_.Path().c_str();
  RecordingFrame rec(app::g_pFrameHost);
  app::g_pFrameHost = &rec;
  frame->ActivateListPane(0, 1);
  app::g_pFrameHost = frame;
  ASSERT_FALSE(rec.calls.empty());
  EXPECT_EQ(rec.calls.back().state, 1);  // the menu texts of the side's file kind
  EXPECT_EQ(w, frame->GetActiveView());
  EXPECT_EQ(2u, doc->m_nActiveSide);
  EXPECT_EQ(2, doc->m_nActiveListSide);
  EXPECT_EQ(1u, w->m_bActivePane);
  EXPECT_EQ(0u, v->m_bActivePane);
  EXPECT_EQ(std::string(w->m_strTitle.GetString()), Title());
  // The tables grow with the "flist" setting.
  doc->m_nListCapacity = 12000;
  doc->m_nUpdateCode = app::UpdateCode::kRedrawAll;
  w->OnUpdate(nullptr, 0, nullptr);
  EXPECT_EQ(w->m_table.m_nCapacity, 12000);
  EXPECT_EQ(flist::GetNameRecord(w->m_table.m_pNameRecs, 0), "..");
}

}  // namespace
