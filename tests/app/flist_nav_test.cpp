// The list's navigation in the running program: Back through real folders
// with Shift-JIS names, the drive list, the sort and drive commands of the
// menus, the save question before the list drops an edited text, the view
// menu's list forms, binary view, Execute with its follow-up launch, and
// the wheel and input handed from one pane to the other.
#include <windows.h>

#include <direct.h>
#include <gtest/gtest.h>

#include <string>

#include "filelist/flistcore/entries.h"
#include "filelist/flistview.h"
#include "fw/cmdui.h"
#include "fw/file.h"
#include "fw/path.h"
#include "fw/shellexec.h"
#include "fw/uihooks.h"
#include "res/resource.h"
#include "shell_fixture.h"
#include "support/file_bytes.h"
#include "support/pump.h"

namespace {

// "データ", "表示", "ソフト", "予定 表.txt" (blank and trail bytes 0x5C).
const std::string kData = "\x83\x66\x81\x5B\x83\x5E";
const std::string kHyoji = "\x95\x5C\x8E\xA6";
const std::string kSofuto = "\x83\x5C\x83\x74\x83\x67";
const std::string kYotei = "\x97\x5C\x92\xE8 \x95\x5C.txt";

using shelltest::WriteBytes;

using shelltest::ReadBytes;

class FlistNavTest : public shelltest::ShellFileTest {
 protected:
  // base\データ\表示\ソフト with files; returns base\データ.
  std::string MakeTree() {
    const std::string data = File("") + kData;
    fw::MakeDir(data.c_str());
    fw::MakeDir((data + "\\" + kHyoji).c_str());
    fw::MakeDir((data + "\\" + kHyoji + "\\" + kSofuto).c_str());
    WriteBytes(data + "\\" + kHyoji + "\\" + kYotei, "abc\r\n");
    WriteBytes(data + "\\b.txt", std::string(300, 'b'));
    WriteBytes(data + "\\a.csv", std::string(20, 'a'));
    WriteBytes(data + "\\c.dat", std::string(100, 'c'));
    return data;
  }
  CFlistView* Pane(int side) { return frame->GetListPane(0, side - 1); }
  static std::string Name(CFlistView* v, int i) { return flist::GetNameRecord(v->m_table.m_pNameRecs, i); }
  static std::string CursorName(CFlistView* v) { return Name(v, v->m_state.m_nCurEntry); }
  // The command as the menu sends it, with list pane 1 active.
  void Command(UINT id) {
    frame->ActivateListPane(0, 0);
    frame->SendMessage(WM_COMMAND, id, 0);
  }
  std::vector<std::string> Names(CFlistView* v) {
    std::vector<std::string> out;
    for (int i = 1; i + 1 < v->m_table.m_nEntryCount; ++i) out.push_back(Name(v, i));
    return out;
  }
  std::string DocText() const { return std::string(doc->m_pText ? doc->m_pText : ""); }
};

TEST_F(FlistNavTest, BackWalksUpWithTheCursorOnTheFolderLeftThenShowsTheDriveList) {
  const std::string data = MakeTree();
  ASSERT_TRUE(StartIn(""));
  CFlistView* v = Pane(1);
  frame->ShowFolderInList((data + "\\" + kHyoji + "\\" + kSofuto).c_str());
  Command(ID_LIST_BACK);
  EXPECT_EQ(data + "\\" + kHyoji, v->m_strCurDir.Str());
  EXPECT_EQ(kSofuto, CursorName(v));
  Command(ID_LIST_BACK);
  EXPECT_EQ(data, v->m_strCurDir.Str());
  EXPECT_EQ(kHyoji, CursorName(v));
  // A folder written with a final "\" goes up to the folder before it.
  frame->ShowFolderInList((data + "\\" + kHyoji + "\\").c_str());
  v->GoToFolder(v->m_strCurDir, 0);
  EXPECT_EQ(data, v->m_strCurDir.Str());
  // From a drive root Back shows the drive list, where Back is grey.
  frame->ShowFolderInList("C:");
  Command(ID_LIST_BACK);
  EXPECT_EQ(1, v->m_nListSource);
  EXPECT_EQ("", v->m_strCurDir.Str());
  EXPECT_EQ("A:", Name(v, 1));
  fw::RecordingCmdUI ui(ID_LIST_BACK);
  ui.DoUpdate(frame, TRUE);
  EXPECT_FALSE(ui.enabled);
  // Mode 2 shows the drive list from anywhere.
  frame->ShowFolderInList(data.c_str());
  v->GoToFolder("", 2);
  EXPECT_EQ(1, v->m_nListSource);
}

TEST_F(FlistNavTest, SortCommandsOfTheMenuOrderTheList) {
  const std::string data = MakeTree();
  ASSERT_TRUE(StartIn(""));
  CFlistView* v = Pane(1);
  v->m_state.m_nSortMode = 0;
  frame->ShowFolderInList(data.c_str());
  Command(ID_LIST_SORT_NAME);
  EXPECT_EQ(5u, v->m_state.m_nSortMode);
  EXPECT_EQ((std::vector<std::string>{kHyoji, "a.csv", "b.txt", "c.dat"}), Names(v));
  Command(ID_LIST_SORT_NAME);
  EXPECT_EQ(6u, v->m_state.m_nSortMode);
  EXPECT_EQ((std::vector<std::string>{kHyoji, "c.dat", "b.txt", "a.csv"}), Names(v));
  Command(ID_LIST_SORT_NAME);
  EXPECT_EQ(0u, v->m_state.m_nSortMode);
  Command(ID_LIST_SORT_SIZE);
  EXPECT_EQ(1u, v->m_state.m_nSortMode);
  EXPECT_EQ((std::vector<std::string>{kHyoji, "a.csv", "c.dat", "b.txt"}), Names(v));
  Command(ID_LIST_SORT_SIZE);
  EXPECT_EQ(2u, v->m_state.m_nSortMode);
  EXPECT_EQ((std::vector<std::string>{kHyoji, "b.txt", "c.dat", "a.csv"}), Names(v));
  Command(ID_LIST_SORT_EXT);
  EXPECT_EQ(7u, v->m_state.m_nSortMode);
  EXPECT_EQ((std::vector<std::string>{kHyoji, "a.csv", "c.dat", "b.txt"}), Names(v));
  Command(ID_LIST_SORT_DATE);
  EXPECT_EQ(3u, v->m_state.m_nSortMode);
  Command(ID_LIST_SORT_DATE);
  EXPECT_EQ(4u, v->m_state.m_nSortMode);
}

TEST_F(FlistNavTest, DriveCommandsListTheDriveAndTheirUpdateLeavesTheCurrentDrive) {
  ASSERT_TRUE(StartIn(""));
  CFlistView* v = Pane(1);
  v->ShowDriveList();
  ASSERT_EQ(1, v->m_nListSource);
  Command(ID_DRIVE_C);
  EXPECT_EQ("C:", v->m_strCurDir.Str());
  EXPECT_EQ(0, v->m_nListSource);
  EXPECT_GT(v->m_table.m_nEntryCount, 1);
  EXPECT_EQ("", doc->m_strPath1.Str());
  // The probe: C: is there, and a letter the prefix has no drive for is
  // not (other tests of the prefix map drives of their own).
  const DWORD drives = GetLogicalDrives();
  char missing = 0;
  for (char l = 'Y'; l > 'D' && !missing; --l) {
    if (!(drives & (1u << (l - 'A')))) missing = l;
  }
  ASSERT_NE(0, missing);
  struct Probe {
    char letter;
    bool enabled;
  } probes[] = {{'C', true}, {missing, false}};
  for (const Probe& p : probes) {
    fw::RecordingCmdUI ui(ID_DRIVE_D);
    v->OnUpdateDrive(&ui, p.letter);
    EXPECT_EQ(p.enabled, ui.enabled) << p.letter;
  }
  // Refreshing the drive items many times never moves the current drive.
  ASSERT_EQ(0, _chdrive(26));  // Z:
  for (UINT id : {ID_DRIVE_D, ID_DRIVE_E, ID_DRIVE_F, ID_DRIVE_G, ID_DRIVE_H}) {
    fw::RecordingCmdUI ui(id);
    ui.DoUpdate(frame, TRUE);
    EXPECT_EQ(26, _getdrive()) << id;
  }
  _chdrive(3);
}

// The save question before the list drops the text: Cancel keeps the edit
// (the folder still changes), No drops it, Yes writes it first.
class FlistSaveQuestionTest : public FlistNavTest {
 protected:
  void GoUpAnswering(int answer, bool textKept, const std::string& fileAfter) {
    const std::string data = MakeTree();
    const std::string file = data + "\\" + kHyoji + "\\" + kYotei;
    ASSERT_TRUE(StartIn("\"" + file + "\""));
    CDvkView* t = frame->GetTextView(0, 0);
    ASSERT_TRUE(testsupport::PumpUntil([t] { return !t->LoadPending(); }, 10000));
    CFlistView* v = Pane(1);
    ASSERT_EQ(data + "\\" + kHyoji, v->m_strCurDir.Str());
    t->GetRichEditCtrl().SetSel(0, 0);
    t->GetRichEditCtrl().ReplaceSel("X", FALSE);
    ASSERT_TRUE(doc->IsModified());
    fw::hooks::ExpectMessageBox("\x95\xCF\x8D\x58\x82\xF0\x95\xDB\x91\xB6", answer);  // "変更を保存"
    Command(ID_LIST_BACK);
    EXPECT_TRUE(fw::hooks::Unused().empty());
    EXPECT_EQ(data, v->m_strCurDir.Str());
    EXPECT_EQ(kHyoji, CursorName(v));
    if (textKept) {
      EXPECT_TRUE(doc->IsModified());
      EXPECT_EQ("Xabc", shelltest::ControlText(t));
    } else {
      EXPECT_FALSE(doc->IsModified());
      EXPECT_EQ("", DocText());
      // An unedited document goes without a question.
      Command(ID_LIST_BACK);
      EXPECT_TRUE(fw::hooks::Unexpected().empty());
    }
    EXPECT_EQ(fileAfter, ReadBytes(file));
  }
};

TEST_F(FlistSaveQuestionTest, BinaryViewAsksBeforeTheReload) {
  const std::string data = MakeTree();
  const std::string file = data + "\\" + kHyoji + "\\" + kYotei;
  ASSERT_TRUE(StartIn("\"" + file + "\""));
  CDvkView* t = frame->GetTextView(0, 0);
  ASSERT_TRUE(testsupport::PumpUntil([t] { return !t->LoadPending(); }, 10000));
  CFlistView* v = Pane(1);
  ASSERT_EQ(kYotei, CursorName(v));
  t->GetRichEditCtrl().SetSel(0, 0);
  t->GetRichEditCtrl().ReplaceSel("X", FALSE);
  // Cancel: the form and the edited text stay.
  fw::hooks::ExpectMessageBox("\x95\xCF\x8D\x58\x82\xF0\x95\xDB\x91\xB6", IDCANCEL);
  Command(ID_LIST_BINARY_VIEW);
  EXPECT_TRUE(fw::hooks::Unused().empty());
  EXPECT_EQ(0, doc->m_nOpenContext);
  EXPECT_EQ("Xabc", shelltest::ControlText(t));
  // No: the file is shown again in the binary form, unsaved.
  fw::hooks::ExpectMessageBox("\x95\xCF\x8D\x58\x82\xF0\x95\xDB\x91\xB6", IDNO);
  Command(ID_LIST_BINARY_VIEW);
  EXPECT_TRUE(fw::hooks::Unused().empty());
  EXPECT_EQ(1, doc->m_nOpenContext);
  EXPECT_FALSE(doc->IsModified());
  EXPECT_EQ("abc\r\n", ReadBytes(file));
}

TEST_F(FlistSaveQuestionTest, CancelKeepsTheEditedText) { GoUpAnswering(IDCANCEL, true, "abc\r\n"); }
TEST_F(FlistSaveQuestionTest, NoDropsTheEdit) { GoUpAnswering(IDNO, false, "abc\r\n"); }
TEST_F(FlistSaveQuestionTest, YesWritesTheEditFirst) { GoUpAnswering(IDYES, false, "Xabc\r\n"); }

TEST_F(FlistNavTest, BinaryViewStepsTheFormAndReloadsTheCursorEntry) {
  const std::string data = MakeTree();
  // A 1x1 BMP: the picture kinds have no source form.
  const unsigned char pic[] = {0x42, 0x4D, 0x3A, 0, 0, 0, 0, 0, 0, 0, 0x36, 0, 0, 0, 0x28, 0, 0, 0, 1, 0,
                               0,    0,    1,    0, 0, 0, 1, 0, 24, 0, 0,    0, 0, 0, 4,    0, 0, 0, 0, 0,
                               0,    0,    0,    0, 0, 0, 0, 0, 0, 0, 0,    0, 0, 0, 0xFF, 0, 0, 0};
  const std::string bmp(reinterpret_cast<const char*>(pic), sizeof pic);
  const std::string picture = data + "\\p.bmp";
  WriteBytes(picture, bmp);
  ASSERT_TRUE(StartIn("\"" + picture + "\""));
  CFlistView* v = Pane(1);
  ASSERT_EQ("p.bmp", CursorName(v));
  doc->m_nFileKind = 12;
  int forms[3] = {};
  for (int& f : forms) {
    doc->m_strDocPath.Empty();
    Command(ID_LIST_BINARY_VIEW);
    f = doc->m_nOpenContext;
    EXPECT_EQ(picture, doc->m_strDocPath.Str()) << "the cursor entry is opened again";
    doc->m_nFileKind = 12;
  }
  EXPECT_EQ(1, forms[0]);
  EXPECT_EQ(0, forms[1]);
  EXPECT_EQ(1, forms[2]);
  // On ".." the form changes but nothing is opened.
  v->m_state.m_nCurEntry = 0;
  doc->m_strDocPath = "unchanged";
  Command(ID_LIST_BINARY_VIEW);
  EXPECT_EQ(0, doc->m_nOpenContext);
  EXPECT_EQ("unchanged", doc->m_strDocPath.Str());
}

TEST_F(FlistNavTest, ViewFormsRunOnlyWhileAListPaneIsActive) {
  CDvkView* t = Open("z.txt", "abc\r\n");
  ASSERT_NE(nullptr, t);
  // Zoom: a picture at the largest zoom stops in the list; a zoom that
  // reaches the document changes the text size.
  doc->m_nFileKind = 13;
  doc->m_nOpenContext = 0;
  doc->m_imageLoad.m_aImageSettings[5] = 8;
  const int size = doc->m_nTxtsiz;
  Command(ID_VIEW_ZOOM_IN);
  EXPECT_EQ(size, doc->m_nTxtsiz);
  doc->m_imageLoad.m_aImageSettings[5] = 7;
  Command(ID_VIEW_ZOOM_IN);
  EXPECT_NE(size, doc->m_nTxtsiz);
  // Shift + display style on a sheet from width mode 0: flag toggled, mode 2,
  // the first width text in the status bar.
  doc->m_nFileKind = 3;
  doc->m_nColumnWidthMode = 0;
  doc->m_nTableStyleFlag = 0;
  doc->m_bShiftHeld = 1;
  Command(ID_VIEW_STYLE2);
  EXPECT_EQ(1, doc->m_nTableStyleFlag);
  EXPECT_EQ(2, doc->m_nColumnWidthMode);
  EXPECT_NE(std::string::npos, std::string(g_pStatusBar->GetPaneText(0).GetString()).find("\x8D\xC5\x91\xE5"));  // "最大"
  // With the text pane active the document's own handler runs: no list form.
  frame->ActivateTextPane(0, 0);
  doc->m_nColumnWidthMode = 0;
  doc->m_nTableStyleFlag = 0;
  frame->SendMessage(WM_COMMAND, ID_VIEW_STYLE2, 0);
  EXPECT_EQ(0, doc->m_nColumnWidthMode);
  EXPECT_EQ(0, doc->m_nTableStyleFlag);
}

TEST_F(FlistNavTest, ExecuteLaunchesAndFollowsUpOnceAndRunsMacroFiles) {
  const std::string data = MakeTree();
  ASSERT_TRUE(StartIn(""));
  CFlistView* v = Pane(1);
  frame->ShowFolderInList(data.c_str());
  // A program launches without a registered type: the test's stand-in,
  // which notes its start in a file of the test.
  std::string pdf = std::string(TABRYE_BIN_ROOT) + "/launch_recorder.exe";
  for (char& ch : pdf)
    if (ch == '/') ch = '\\';
  SetEnvironmentVariableA("TABRYE_LAUNCH_RECORD", (data + "\\record.txt").c_str());
  struct Case {
    int kind;
    int followUp;
  } cases[] = {{9, 1}, {11, 1}};
  for (const Case& c : cases) {
    doc->m_strPath1 = pdf.c_str();
    doc->m_nActiveSide = 1;
    doc->m_nFileKind = c.kind;
    doc->m_nLaunchFollowUp = c.followUp;
    Command(ID_LIST_EXECUTE);
    EXPECT_EQ(pdf, fw::LastShellRequest().file.Str());
    EXPECT_EQ(0, doc->m_nLaunchFollowUp);
    EXPECT_EQ(pdf, v->m_strStartPath.Str());
    // The follow-up timer is armed (killing it answers so); its tick launches
    // once more and arms the switch again.
    EXPECT_TRUE(KillTimer(v->m_hWnd, 1));
    doc->m_strPath1 = "";
    v->SendMessage(WM_TIMER, 1, 0);
    EXPECT_EQ(pdf, fw::LastShellRequest().file.Str());
    EXPECT_EQ(1, doc->m_nLaunchFollowUp);
  }
  // A failed launch (-1) skips the second launch and re-arms.
  v->m_strStartPath = (data + "\\none.txt").c_str();
  doc->m_nLaunchFollowUp = -1;
  const std::string before = fw::LastShellRequest().file.Str();
  v->SendMessage(WM_TIMER, 1, 0);
  EXPECT_EQ(before, fw::LastShellRequest().file.Str());
  EXPECT_EQ(1, doc->m_nLaunchFollowUp);
  // Other timer ids do nothing.
  v->SendMessage(WM_TIMER, 77, 0);
  // ".RMC" is launched; ".rmc" runs the macro, which writes its marker.
  const std::string marker = data + "\\marker.txt";
  for (const char* name : {"m.RMC", "m.rmc"}) {
    const std::string macro = data + "\\" + name;
    WriteBytes(macro, "\tsavetext\t" + marker + "\r\n");
    doc->m_strPath1 = macro.c_str();
    doc->m_nLaunchFollowUp = 0;
    // The launcher finds no program for ".RMC" and says so, naming the file.
    const bool launch = std::string(name) == "m.RMC";
    if (launch) fw::hooks::ExpectMessageBox(name, IDOK);
    Command(ID_LIST_EXECUTE);
    EXPECT_TRUE(fw::hooks::Unused().empty()) << name;
    EXPECT_EQ(std::string(name) == "m.rmc", GetFileAttributesA(marker.c_str()) != INVALID_FILE_ATTRIBUTES) << name;
  }
}

TEST_F(FlistNavTest, AWheelTurnNearTheLeftEdgeScrollsTheOtherPaneByOneLine) {
  const std::string data = MakeTree();
  for (int i = 0; i < 60; ++i) WriteBytes(data + "\\f" + std::to_string(i) + ".txt", "x");
  ASSERT_TRUE(StartIn(""));
  doc->m_nLayoutMode = 1;
  CFlistView* p1 = Pane(1);
  CFlistView* p2 = Pane(2);
  ASSERT_NE(nullptr, p2);
  frame->ShowFolderInList(data.c_str());
  doc->m_nActiveSide = 2;
  frame->ShowFolderInList(data.c_str());
  doc->m_nActiveSide = 1;
  frame->ActivateListPane(0, 0);
  p1->m_state.m_nScrollPos = 5;
  p2->m_state.m_nScrollPos = 5;
  RECT rc = {};
  GetWindowRect(p1->m_hWnd, &rc);
  // Towards the user, 10 pixels right of pane 1's left edge, mid-height.
  p1->SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)),
                  MAKELPARAM(rc.left + 10, (rc.top + rc.bottom) / 2));
  EXPECT_EQ(6, p1->m_state.m_nScrollPos);
  EXPECT_EQ(6, p2->m_state.m_nScrollPos);
  EXPECT_EQ(0, doc->m_nListPageHint);
  // Elsewhere in the pane only pane 1 moves.
  p1->SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(rc.left + 100, (rc.top + rc.bottom) / 2));
  EXPECT_EQ(5, p1->m_state.m_nScrollPos);
  EXPECT_EQ(6, p2->m_state.m_nScrollPos);
}

TEST_F(FlistNavTest, ForwardedInputIsTakenOnceByThePaneItIsFor) {
  ASSERT_TRUE(StartIn(""));
  CFlistView* p1 = Pane(1);
  CFlistView* p2 = Pane(2);
  frame->ActivateListPane(0, 0);
  ASSERT_TRUE(p1->m_bActivePane);
  // 99: the active pane stores its window rectangle and clears the code.
  doc->m_nListInput = 99;
  doc->m_rcSaved = CRect();
  doc->m_nUpdateCode = app::UpdateCode::kRedrawAll;
  doc->UpdateAllViews(nullptr, 0, nullptr);
  RECT rc = {};
  GetWindowRect(p1->m_hWnd, &rc);
  EXPECT_EQ(CRect(rc.left, rc.top, rc.right, rc.bottom), doc->m_rcSaved);
  EXPECT_EQ(0, doc->m_nListInput);
  // 38 goes only to the active pane: the other one, asked alone, leaves it.
  doc->m_nListInput = 38;
  doc->m_nUpdateCode = app::UpdateCode::kRedrawAll;
  p2->OnUpdate(nullptr, 0, nullptr);
  EXPECT_EQ(38, doc->m_nListInput);
  p1->OnUpdate(nullptr, 0, nullptr);
  EXPECT_EQ(0, doc->m_nListInput);
  // 40 is also taken by a pane that is not active when its side is the
  // document's active side.
  doc->m_nActiveSide = 2;
  doc->m_nListInput = 40;
  doc->m_nUpdateCode = app::UpdateCode::kRedrawAll;
  p2->OnUpdate(nullptr, 0, nullptr);
  EXPECT_EQ(0, doc->m_nListInput);
}

}  // namespace
