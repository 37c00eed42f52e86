// The list's delete, new file, new folder and exit-and-run in the running
// program: the questions through the message-box hook, the lines that say
// what went, the dated copies in "\TMP\BACKUP", the name input through the
// dialog hook, the cursor on what was made, and the launch before the close.
#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "core/docsvc/backup.h"
#include "filelist/flistcore/entries.h"
#include "filelist/flistview.h"
#include "fw/file.h"
#include "fw/filefind.h"
#include "fw/path.h"
#include "fw/shellexec.h"
#include "fw/uihooks.h"
#include "res/resource.h"
#include "shell_fixture.h"
#include "support/pump.h"

namespace {

// "表 ソ.txt" and "ソ 表" (trail bytes 0x5C, blanks).
const std::string kFileJ = "\x95\x5C \x83\x5C.txt";
const std::string kFolderJ = "\x83\x5C \x95\x5C";

using shelltest::WriteBytes;

using shelltest::ReadBytes;

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<std::string> FolderNames(const std::string& dir) {
  std::vector<std::string> out;
  CFileFind ff;
  BOOL more = ff.FindFile((dir + "\\*.*").c_str());
  while (more) {
    more = ff.FindNextFile();
    if (!ff.IsDots()) out.push_back(ff.GetFileName().Str());
  }
  return out;
}

void SetReadOnly(const std::string& path) { SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY); }

class FlistDeleteTest : public shelltest::ShellFileTest {
 protected:
  // base\work with a.txt, b.txt, 表 ソ.txt and the folder ソ 表 holding a
  // read-only file; returns base\work.
  std::string MakeWork() {
    const std::string work = File("work");
    fw::MakeDir(work.c_str());
    WriteBytes(work + "\\a.txt", "alpha\r\n");
    WriteBytes(work + "\\b.txt", "bravo");
    WriteBytes(work + "\\" + kFileJ, "japanese");
    fw::MakeDir((work + "\\" + kFolderJ).c_str());
    WriteBytes(work + "\\" + kFolderJ + "\\ro.txt", "read-only");
    SetReadOnly(work + "\\" + kFolderJ + "\\ro.txt");
    return work;
  }
  CFlistView* Pane() { return frame->GetListPane(0, 0); }
  static std::string Name(CFlistView* v, int i) { return flist::GetNameRecord(v->m_table.m_pNameRecs, i); }
  static int IndexOf(CFlistView* v, const std::string& name) {
    for (int i = 0; i < v->m_table.m_nEntryCount; ++i)
      if (Name(v, i) == name) return i;
    return -1;
  }
  // Marks the named entries and puts the cursor on the first.
  void Mark(CFlistView* v, const std::vector<std::string>& names) {
    bool first = true;
    for (const std::string& n : names) {
      const int i = IndexOf(v, n);
      ASSERT_GT(i, 0) << n;
      v->m_table.m_pMarks[i] = 1;
      if (first) v->m_state.m_nCurEntry = i;
      first = false;
    }
  }
  void Command(UINT id) {
    frame->ActivateListPane(0, 0);
    frame->SendMessage(WM_COMMAND, id, 0);
  }
  std::string BackupDir() const { return docsvc::BackupDir(doc->m_strProgramDir).Str(); }
  std::multiset<std::string> Copies() const {
    std::multiset<std::string> out;
    for (const std::string& n : FolderNames(BackupDir())) out.insert(ReadBytes(BackupDir() + "\\" + n));
    return out;
  }
  // Starts with the list on `work`.
  CFlistView* ShowWork(const std::string& work) {
    if (!StartIn("")) return nullptr;
    frame->ShowFolderInList(work.c_str());
    return Pane();
  }
};

TEST_F(FlistDeleteTest, OneMarkedFileAsksOnceThenItsLineSaysDeletedAndItsCopyIsKept) {
  const std::string work = MakeWork();
  CFlistView* v = ShowWork(work);
  ASSERT_NE(nullptr, v);
  const int count = v->m_table.m_nEntryCount;
  Mark(v, {"a.txt"});
  fw::hooks::ExpectMessageBox("a.txt を消去しますか？", IDOK);
  Command(ID_LIST_DELETE);
  EXPECT_EQ((std::vector<std::string>{"a.txt を消去しますか？"}), fw::hooks::MessageBoxTexts());
  EXPECT_FALSE(Exists(work + "\\a.txt"));
  const int i = IndexOf(v, "<Deleted> : a.txt");
  EXPECT_GT(i, 0);
  // Not rebuilt: the line stays, the count is the same, the mark stays.
  EXPECT_EQ(count, v->m_table.m_nEntryCount);
  EXPECT_EQ(1, v->m_table.m_pMarks[i]);
  EXPECT_EQ((std::multiset<std::string>{"alpha\r\n"}), Copies());
}

TEST_F(FlistDeleteTest, ThreeMarkedEntriesYesAsksOnlyForTheFullFolderAndTakesItsReadOnlyFile) {
  const std::string work = MakeWork();
  CFlistView* v = ShowWork(work);
  ASSERT_NE(nullptr, v);
  Mark(v, {"a.txt", kFileJ, kFolderJ});
  fw::hooks::ExpectMessageBox("3ヶの選択ファイルを一括消去しますか？", IDYES);
  fw::hooks::ExpectMessageBox("フォルダ " + kFolderJ + " 内のファイルを", IDYES);
  Command(ID_LIST_DELETE);
  EXPECT_EQ(2u, fw::hooks::MessageBoxTexts().size());
  EXPECT_EQ((std::vector<std::string>{"b.txt"}), FolderNames(work));
  EXPECT_GT(IndexOf(v, "<Deleted> : a.txt"), 0);
  EXPECT_GT(IndexOf(v, "<Deleted> : " + kFileJ), 0);
  EXPECT_GT(IndexOf(v, "[Deleted] : " + kFolderJ), 0);
  EXPECT_EQ((std::multiset<std::string>{"alpha\r\n", "japanese", "read-only"}), Copies());
}

TEST_F(FlistDeleteTest, CancelToAFileQuestionLeavesTheRestAndAHeldFileStopsTheWalk) {
  const std::string work = MakeWork();
  CFlistView* v = ShowWork(work);
  ASSERT_NE(nullptr, v);
  Mark(v, {"a.txt", "b.txt", kFileJ});
  // No to the count question: each file is asked; Yes, then Cancel.
  fw::hooks::ExpectMessageBox("3ヶの選択ファイル", IDNO);
  fw::hooks::ExpectMessageBox("a.txt を消去しますか？", IDYES);
  fw::hooks::ExpectMessageBox("b.txt を消去しますか？", IDCANCEL);
  Command(ID_LIST_DELETE);
  EXPECT_FALSE(Exists(work + "\\a.txt"));
  EXPECT_EQ("bravo", ReadBytes(work + "\\b.txt"));
  EXPECT_EQ("japanese", ReadBytes(work + "\\" + kFileJ));
  EXPECT_GT(IndexOf(v, "b.txt"), 0);
  fw::hooks::Reset();

  // A file held open without delete sharing cannot go: 170, Cancel ends.
  CFile held((work + "\\b.txt").c_str(), CFile::modeRead | CFile::shareDenyWrite);
  fw::hooks::ExpectMessageBox("3ヶの選択ファイル", IDYES);
  fw::hooks::ExpectMessageBox("b.txt を消去出来ません", IDCANCEL);
  Command(ID_LIST_DELETE);
  held.Close();
  EXPECT_EQ("bravo", ReadBytes(work + "\\b.txt"));
  EXPECT_EQ("japanese", ReadBytes(work + "\\" + kFileJ));
}

TEST_F(FlistDeleteTest, AFailedBackupAsksAndNoKeepsTheFileAndItsLine) {
  const std::string work = MakeWork();
  CFlistView* v = ShowWork(work);
  ASSERT_NE(nullptr, v);
  Mark(v, {"a.txt"});
  fw::hooks::ExpectMessageBox("a.txt を消去しますか？", IDOK);
  fw::hooks::ExpectMessageBox("バックアップを作成できません", IDNO);
  // The file stayed: reported as any file that could not go (Cancel would
  // stop the rest of the walk).
  fw::hooks::ExpectMessageBox("a.txt を消去出来ません", IDOK);
  fw::filetest::Reset();
  fw::filetest::FailFrom(fw::filetest::Op::kWrite, 1);
  Command(ID_LIST_DELETE);
  fw::filetest::Reset();
  EXPECT_EQ("alpha\r\n", ReadBytes(work + "\\a.txt"));
  EXPECT_GT(IndexOf(v, "a.txt"), 0);
  EXPECT_TRUE(Copies().empty());
}

// The link fixture: <dir>/target (two files) and <dir>/tree/link -> target,
// made by the build machine's shell (a Windows program cannot make one).
TEST_F(FlistDeleteTest, ALinkToAFolderIsReportedAndItsTargetKeepsEveryFile) {
  std::string dir = std::string(TABRYE_BIN_ROOT) + "/test_fixtures/flist_delete_links";
  for (char& c : dir)
    if (c == '/') c = '\\';
  ASSERT_TRUE(Exists(dir + "\\tree\\link")) << "fixture missing";
  CFlistView* v = ShowWork(dir + "\\tree");
  ASSERT_NE(nullptr, v);
  Mark(v, {"link"});
  fw::hooks::ExpectMessageBox("link を消去しますか？", IDOK);
  fw::hooks::ExpectMessageBox("フォルダ link 内のファイルを", IDYES);
  fw::hooks::ExpectMessageBox("消去できないファイルがあります", IDOK);
  Command(ID_LIST_DELETE);
  EXPECT_EQ("keep", ReadBytes(dir + "\\target\\keep.txt"));
  EXPECT_EQ("deep", ReadBytes(dir + "\\target\\sub\\deep.txt"));
  EXPECT_GT(IndexOf(v, "link"), 0);
}

TEST_F(FlistDeleteTest, TheDeleteAndMKeysOfThePaneReachTheirCommands) {
  const std::string work = MakeWork();
  CFlistView* v = ShowWork(work);
  ASSERT_NE(nullptr, v);
  frame->ActivateListPane(0, 0);
  Mark(v, {"b.txt"});
  fw::hooks::ExpectMessageBox("b.txt を消去しますか？", IDCANCEL);
  v->OnKeyDown(VK_DELETE, 1, 0);
  EXPECT_EQ("bravo", ReadBytes(work + "\\b.txt"));
  std::string preset;
  fw::hooks::ExpectDialog(135, [&preset](CDialog& d) {
    char buf[300] = {};
    ::GetDlgItemTextA(d.m_hWnd, 1010, buf, sizeof buf);
    preset = buf;
    return IDCANCEL;
  });
  v->OnKeyDown('M', 1, 0);
  EXPECT_EQ("b.txt", preset);
}

// The name input: the preset seen, then `typed` (nullptr: Cancel).
fw::hooks::DialogAnswer TypeName(std::string* preset, const char* typed) {
  return [preset, typed](CDialog& d) {
    char buf[300] = {};
    ::GetDlgItemTextA(d.m_hWnd, 1010, buf, sizeof buf);
    *preset = buf;
    if (!typed) return IDCANCEL;
    ::SetDlgItemTextA(d.m_hWnd, 1010, typed);
    return IDOK;
  };
}

TEST_F(FlistDeleteTest, NewFileOnAnExistingNameAsksAndCancelLeavesItByteIdentical) {
  const std::string work = MakeWork();
  CFlistView* v = ShowWork(work);
  ASSERT_NE(nullptr, v);
  v->m_state.m_nCurEntry = IndexOf(v, "a.txt");
  std::string preset;
  fw::hooks::ExpectDialog(135, TypeName(&preset, "a.txt"));
  fw::hooks::ExpectMessageBox("a.txt は既に存在します", IDCANCEL);
  Command(ID_LIST_NEW_FILE);
  EXPECT_EQ("a.txt", preset);
  EXPECT_EQ("alpha\r\n", ReadBytes(work + "\\a.txt"));
  EXPECT_TRUE(Copies().empty());
  // OK: emptied after a dated copy of what it held.
  fw::hooks::ExpectDialog(135, TypeName(&preset, "a.txt"));
  fw::hooks::ExpectMessageBox("a.txt は既に存在します", IDOK);
  Command(ID_LIST_NEW_FILE);
  EXPECT_EQ("", ReadBytes(work + "\\a.txt"));
  EXPECT_EQ((std::multiset<std::string>{"alpha\r\n"}), Copies());
}

TEST_F(FlistDeleteTest, NewFileAndFolderAreMadeWithTheCursorOnThemAndTheFileOpened) {
  const std::string work = MakeWork();
  CFlistView* v = ShowWork(work);
  ASSERT_NE(nullptr, v);
  // On ".." the input starts empty.
  v->m_state.m_nCurEntry = 0;
  std::string preset = "?";
  fw::hooks::ExpectDialog(135, TypeName(&preset, "new \x95\x5C.txt"));
  Command(ID_LIST_NEW_FILE);
  EXPECT_EQ("", preset);
  const std::string made = work + "\\new \x95\x5C.txt";
  EXPECT_TRUE(Exists(made));
  EXPECT_EQ("", ReadBytes(made));
  EXPECT_EQ("new \x95\x5C.txt", Name(v, v->m_state.m_nCurEntry));
  EXPECT_EQ(made, doc->m_strPath1.Str());
  EXPECT_EQ(made, doc->m_strCurFile.Str());

  // The new-document command while the list is active makes a file too.
  v->m_state.m_nCurEntry = IndexOf(v, "b.txt");
  fw::hooks::ExpectDialog(135, TypeName(&preset, "c.txt"));
  Command(ID_FILE_NEW);
  EXPECT_EQ("b.txt", preset);
  EXPECT_TRUE(Exists(work + "\\c.txt"));
  EXPECT_EQ("c.txt", Name(v, v->m_state.m_nCurEntry));

  // A new folder, the cursor on it.
  fw::hooks::ExpectDialog(135, TypeName(&preset, "sub \x83\x5C"));
  Command(ID_LIST_NEW_FOLDER);
  EXPECT_EQ("c.txt", preset);
  const DWORD a = GetFileAttributesA((work + "\\sub \x83\x5C").c_str());
  EXPECT_TRUE(a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_EQ("sub \x83\x5C", Name(v, v->m_state.m_nCurEntry));
  EXPECT_EQ(work, v->m_strCurDir.Str());

  // Cancel makes nothing.
  const std::vector<std::string> before = FolderNames(work);
  fw::hooks::ExpectDialog(135, TypeName(&preset, nullptr));
  Command(ID_LIST_NEW_FOLDER);
  EXPECT_EQ(before, FolderNames(work));
}

TEST_F(FlistDeleteTest, ExitAndRunLaunchesTheShownFileThenClosesAfterTheSaveQuestion) {
  const std::string work = MakeWork();
  CFlistView* v = ShowWork(work);
  ASSERT_NE(nullptr, v);
  std::string prog = std::string(TABRYE_BIN_ROOT) + "/launch_recorder.exe";
  for (char& c : prog)
    if (c == '/') c = '\\';
  SetEnvironmentVariableA("TABRYE_LAUNCH_RECORD", (work + "\\record.txt").c_str());
  doc->m_nActiveSide = 1;
  doc->m_strPath1 = prog.c_str();
  doc->SetModifiedFlag(TRUE);
  // The save question of the close: Cancel keeps the program running.
  fw::hooks::ExpectMessageBox("", IDCANCEL);
  Command(ID_FILE_EXIT_RUN);
  EXPECT_EQ(prog, fw::LastShellRequest().file.Str());
  testsupport::PumpFor(200);
  ASSERT_NE(nullptr, g_pMainFrame);
  EXPECT_EQ(1u, fw::hooks::MessageBoxTexts().size());
  // No to the save question: the window closes.
  doc->SetModifiedFlag(TRUE);
  fw::hooks::ExpectMessageBox("", IDNO);
  Command(ID_FILE_EXIT_RUN);
  EXPECT_TRUE(testsupport::PumpUntil([] { return g_pMainFrame == nullptr || !g_pMainFrame->m_hWnd; }, 5000));
}

}  // namespace
