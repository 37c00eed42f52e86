// The list's copy and move in the running program: the marked entries of
// the left pane into the folder of the right one, the questions through the
// message-box hook, the trees compared afterwards (bytes, times,
// attributes), the refusals (a folder into itself, a file onto itself, a
// folder link), the lines of a move, and the start of the system's tree
// copier for a copy with Ctrl.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

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

// "表 ソ.txt" and "ソ 表" (trail bytes 0x5C, blanks), "報告.txt", "資料".
const std::string kFileJ = "\x95\x5C \x83\x5C.txt";
const std::string kFolderJ = "\x83\x5C \x95\x5C";
const std::string kReport = "\x95\xF1\x8D\x90.txt";
const std::string kData = "\x8E\x91\x97\xBF";

using shelltest::ReadBytes;
using shelltest::WriteBytes;

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

struct Item {
  std::string bytes;  // "<dir>" for a folder
  ULONGLONG time = 0;
  DWORD attributes = 0;
  bool operator==(const Item& o) const { return bytes == o.bytes && time == o.time && attributes == o.attributes; }
};

// Every file and folder below `dir` by relative path, with its bytes, its
// last-write time and its read-only bit.
void ReadTree(const std::string& dir, const std::string& rel, std::map<std::string, Item>* out) {
  CFileFind ff;
  BOOL more = ff.FindFile((dir + "\\*.*").c_str());
  while (more) {
    more = ff.FindNextFile();
    if (ff.IsDots()) continue;
    const std::string name = ff.GetFileName().Str();
    const std::string path = dir + "\\" + name;
    WIN32_FILE_ATTRIBUTE_DATA a = {};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &a);
    Item it;
    it.attributes = a.dwFileAttributes & FILE_ATTRIBUTE_READONLY;
    if (a.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      it.bytes = "<dir>";
      (*out)[rel + name] = it;
      ReadTree(path, rel + name + "\\", out);
    } else {
      it.bytes = ReadBytes(path);
      // Whole seconds: the copy keeps the time as the list shows it.
      it.time = ((static_cast<ULONGLONG>(a.ftLastWriteTime.dwHighDateTime) << 32) | a.ftLastWriteTime.dwLowDateTime) /
                10000000ULL;
      (*out)[rel + name] = it;
    }
  }
}

std::map<std::string, Item> Tree(const std::string& dir) {
  std::map<std::string, Item> out;
  ReadTree(dir, "", &out);
  return out;
}

// A file with a given last-write time (seconds after 2020-01-01 00:00 UTC).
void SetTime(const std::string& path, int seconds) {
  HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, h) << path;
  const ULONGLONG t = 132223104000000000ULL + static_cast<ULONGLONG>(seconds) * 10000000ULL;
  FILETIME ft = {static_cast<DWORD>(t), static_cast<DWORD>(t >> 32)};
  SetFileTime(h, nullptr, nullptr, &ft);
  CloseHandle(h);
}

class FlistCopyTest : public shelltest::ShellFileTest {
 protected:
  // base\left with 報告.txt, 表 ソ.txt, b.txt and 資料\ソ 表\deep\(two
  // files, one read-only); base\right empty. Returns base.
  std::string MakeWork() {
    const std::string left = File("left"), right = File("right");
    fw::MakeDir(left.c_str());
    fw::MakeDir(right.c_str());
    WriteBytes(left + "\\" + kReport, "report\r\n");
    WriteBytes(left + "\\" + kFileJ, std::string(70000, 'j'));
    WriteBytes(left + "\\b.txt", "bravo");
    const std::string d1 = left + "\\" + kData, d2 = d1 + "\\" + kFolderJ, d3 = d2 + "\\deep";
    fw::MakeDir(d1.c_str());
    fw::MakeDir(d2.c_str());
    fw::MakeDir(d3.c_str());
    WriteBytes(d1 + "\\one.txt", "one");
    WriteBytes(d2 + "\\two.txt", "two");
    WriteBytes(d3 + "\\three.txt", "three");
    WriteBytes(d3 + "\\ro.txt", "read-only");
    SetTime(left + "\\" + kReport, 1000);
    SetTime(d3 + "\\three.txt", 2000);
    SetFileAttributesA((d3 + "\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    return File("");
  }
  std::string Base() {
    std::string b = File("");
    while (!b.empty() && b.back() == '\\') b.pop_back();
    return b;
  }
  std::string Left() { return File("left"); }
  std::string Right() { return File("right"); }
  CFlistView* Pane(int col) { return frame->GetListPane(0, col); }
  static std::string Name(CFlistView* v, int i) { return flist::GetNameRecord(v->m_table.m_pNameRecs, i); }
  static int IndexOf(CFlistView* v, const std::string& name) {
    for (int i = 0; i < v->m_table.m_nEntryCount; ++i)
      if (Name(v, i) == name) return i;
    return -1;
  }
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
  // Starts with the left pane on `left` (active) and the right one on `right`.
  CFlistView* ShowPanes(const std::string& left, const std::string& right) {
    if (!StartIn("")) return nullptr;
    doc->m_nActiveSide = 2;
    frame->ShowFolderInList(right.c_str());
    doc->m_nActiveSide = 1;
    frame->ShowFolderInList(left.c_str());
    EXPECT_EQ(left, doc->m_strListDir1.Str());
    EXPECT_EQ(right, doc->m_strListDir2.Str());
    return Pane(0);
  }
  void Command(UINT id) {
    frame->ActivateListPane(0, 0);
    doc->m_nActiveSide = 1;
    frame->SendMessage(WM_COMMAND, id, 0);
  }
  static void ExpectAsked(const std::vector<std::string>& parts) {
    const std::vector<std::string> texts = fw::hooks::MessageBoxTexts();
    ASSERT_EQ(parts.size(), texts.size());
    for (std::size_t i = 0; i < parts.size(); ++i)
      EXPECT_NE(std::string::npos, texts[i].find(parts[i])) << i << ": " << texts[i];
  }
};

TEST_F(FlistCopyTest, TwoFilesAndAThreeLevelFolderArriveWholeThenTheSecondCopyAsksAndCancelStops) {
  MakeWork();
  CFlistView* v = ShowPanes(Left(), Right());
  ASSERT_NE(nullptr, v);
  Mark(v, {kReport, kFileJ, kData});
  fw::hooks::ExpectMessageBox("3ヶの選択ファイルを", IDOK);
  Command(ID_LIST_COPY);
  ExpectAsked({"3ヶの選択ファイルを\r\n " + Right() + " に複写しますか？"});
  std::map<std::string, Item> want = Tree(Left());
  want.erase("b.txt");
  EXPECT_EQ(want, Tree(Right()));
  // The list was reloaded (the marks are gone).
  EXPECT_EQ(0, v->m_table.m_pMarks[IndexOf(v, kReport)]);

  // Again: the overwrite-all question first; with No each file is asked
  // about (same times: no older-file question); Cancel stops the rest.
  WriteBytes(Right() + "\\" + kReport, "changed");
  SetTime(Right() + "\\" + kReport, 1000);
  WriteBytes(Right() + "\\" + kFileJ, "old j");
  SetTime(Right() + "\\" + kFileJ, 5);
  fw::hooks::Reset();
  Mark(v, {kReport, kFileJ, kData});
  fw::hooks::ExpectMessageBox("3ヶの選択ファイルを", IDOK);
  fw::hooks::ExpectMessageBox("全て上書きしますか", IDNO);
  fw::hooks::ExpectMessageBox("を書き換えますか", IDYES);
  fw::hooks::ExpectMessageBox("を書き換えますか", IDNO);
  fw::hooks::ExpectMessageBox("を書き換えますか", IDCANCEL);
  Command(ID_LIST_COPY);
  EXPECT_TRUE(fw::hooks::Unused().empty());
  // The entries come in list order (name order): the asked files in turn.
  const std::vector<std::string> texts = fw::hooks::MessageBoxTexts();
  ASSERT_EQ(5u, texts.size());
  for (const std::string& t : texts) EXPECT_EQ(std::string::npos, t.find("古いファイル")) << t;
  EXPECT_NE(std::string::npos, texts[1].find("全て上書きしますか"));
  EXPECT_TRUE(fw::hooks::Unexpected().empty());
}

TEST_F(FlistCopyTest, OneMarkedEntryAsksItsOwnQuestionAndCancelCopiesNothing) {
  MakeWork();
  CFlistView* v = ShowPanes(Left(), Right());
  ASSERT_NE(nullptr, v);
  Mark(v, {"b.txt"});
  fw::hooks::ExpectMessageBox("b.txt を\r\n", IDCANCEL);
  Command(ID_LIST_COPY);
  ExpectAsked({Left() + "\\b.txt を\r\n " + Right() + "\\b.txt に複写します"});
  EXPECT_FALSE(Exists(Right() + "\\b.txt"));
  fw::hooks::Reset();
  Mark(v, {"b.txt"});
  fw::hooks::ExpectMessageBox("b.txt を\r\n", IDOK);
  Command(ID_LIST_COPY);
  EXPECT_EQ("bravo", ReadBytes(Right() + "\\b.txt"));
  // A quiet copy asks nothing and leaves the list as it was.
  fw::hooks::Reset();
  WriteBytes(Left() + "\\c.txt", "charlie");
  Mark(v, {"b.txt"});
  v->m_copy.m_bQuietCopy = 1;
  fw::hooks::ExpectMessageBox("を書き換えますか", IDNO);
  Command(ID_LIST_COPY);
  v->m_copy.m_bQuietCopy = 0;
  ExpectAsked({"を書き換えますか"});
  EXPECT_EQ(-1, IndexOf(v, "c.txt"));
}

TEST_F(FlistCopyTest, AMoveMarksItsLinesAndKeepsTheListAFolderThatExistsIsMovedByCopying) {
  MakeWork();
  fw::MakeDir((Right() + "\\" + kData).c_str());
  CFlistView* v = ShowPanes(Left(), Right());
  ASSERT_NE(nullptr, v);
  const int count = v->m_table.m_nEntryCount;
  const std::map<std::string, Item> before = Tree(Left() + "\\" + kData);
  Mark(v, {"b.txt", kFileJ, kData});
  fw::hooks::ExpectMessageBox("3ヶの選択ファイルを\r\n " + Right() + " に移動しますか？", IDOK);
  Command(ID_LIST_MOVE);
  EXPECT_TRUE(fw::hooks::Unexpected().empty());
  EXPECT_EQ(count, v->m_table.m_nEntryCount);
  EXPECT_GT(IndexOf(v, "[moved] : b.txt"), 0);
  EXPECT_GT(IndexOf(v, "[moved] : " + kFileJ), 0);
  EXPECT_GT(IndexOf(v, "<moved> : " + kData), 0);
  EXPECT_FALSE(Exists(Left() + "\\b.txt"));
  EXPECT_FALSE(Exists(Left() + "\\" + kData));
  EXPECT_EQ("bravo", ReadBytes(Right() + "\\b.txt"));
  EXPECT_EQ(before, Tree(Right() + "\\" + kData));
  EXPECT_EQ(app::UpdateCode::kMoved, doc->m_nUpdateCode);
}

TEST_F(FlistCopyTest, AFolderIsNeverCopiedIntoItselfWhateverTheCaseButIntoALongerNameItIs) {
  const std::string base = Base();
  fw::MakeDir((base + "\\Data").c_str());
  fw::MakeDir((base + "\\Data\\x").c_str());
  fw::MakeDir((base + "\\a").c_str());
  fw::MakeDir((base + "\\ab").c_str());
  WriteBytes(base + "\\a\\f.txt", "f");
  WriteBytes(base + "\\Data\\d.txt", "d");
  std::string lower = base + "\\data\\x";
  CFlistView* v = ShowPanes(base, lower);
  ASSERT_NE(nullptr, v);
  Mark(v, {"Data"});
  fw::hooks::ExpectMessageBox("に複写します", IDOK);
  fw::hooks::ExpectMessageBox("に複写/移動出来ません", IDOK);
  Command(ID_LIST_COPY);
  EXPECT_TRUE(fw::hooks::Unexpected().empty());
  EXPECT_FALSE(Exists(base + "\\Data\\x\\Data"));
  // The move refuses it too.
  fw::hooks::Reset();
  Mark(v, {"Data"});
  fw::hooks::ExpectMessageBox("に移動します", IDOK);
  fw::hooks::ExpectMessageBox("に複写/移動出来ません", IDOK);
  Command(ID_LIST_MOVE);
  EXPECT_TRUE(fw::hooks::Unexpected().empty());
  EXPECT_TRUE(Exists(base + "\\Data\\d.txt"));
  EXPECT_FALSE(Exists(base + "\\Data\\x\\Data"));
}

TEST_F(FlistCopyTest, AFolderGoesIntoAFolderWhoseNameOnlyBeginsWithItsOwn) {
  const std::string base = Base();
  fw::MakeDir((base + "\\a").c_str());
  fw::MakeDir((base + "\\ab").c_str());
  WriteBytes(base + "\\a\\f.txt", "f");
  CFlistView* v = ShowPanes(base, base + "\\ab");
  ASSERT_NE(nullptr, v);
  Mark(v, {"a"});
  fw::hooks::ExpectMessageBox("に複写します", IDOK);
  Command(ID_LIST_COPY);
  EXPECT_TRUE(fw::hooks::Unexpected().empty());
  EXPECT_EQ("f", ReadBytes(base + "\\ab\\a\\f.txt"));
}

TEST_F(FlistCopyTest, AFileCopiedOrMovedOntoItselfIsRefusedAndUnchanged) {
  MakeWork();
  CFlistView* v = ShowPanes(Left(), Left());
  ASSERT_NE(nullptr, v);
  Mark(v, {"b.txt"});
  fw::hooks::ExpectMessageBox("に複写します", IDOK);
  fw::hooks::ExpectMessageBox("b.txt に複写/移動出来ません", IDOK);
  Command(ID_LIST_COPY);
  EXPECT_TRUE(fw::hooks::Unexpected().empty());
  EXPECT_EQ("bravo", ReadBytes(Left() + "\\b.txt"));
  // The move, with the other pane's folder spelt in another case.
  doc->m_strListDir2 = CString(File("LEFT").c_str());
  fw::hooks::Reset();
  Mark(v, {"b.txt"});
  fw::hooks::ExpectMessageBox("に移動します", IDOK);
  fw::hooks::ExpectMessageBox("に複写/移動出来ません", IDOK);
  Command(ID_LIST_MOVE);
  EXPECT_TRUE(fw::hooks::Unexpected().empty());
  EXPECT_EQ("bravo", ReadBytes(Left() + "\\b.txt"));
  EXPECT_EQ(-1, IndexOf(v, "[moved] : b.txt"));
  EXPECT_EQ(-1, IndexOf(v, "<moved> : b.txt"));
}

TEST_F(FlistCopyTest, CtrlCopyStartsTheTreeCopierWithQuotedPathsAndTimerTenRedraws) {
  const std::string base = Base();
  fw::MakeDir((base + "\\a b").c_str());
  fw::MakeDir((base + "\\c d").c_str());
  WriteBytes(base + "\\a b\\f.txt", "f");
  CFlistView* v = ShowPanes(base, base + "\\c d");
  ASSERT_NE(nullptr, v);
  Mark(v, {"a b"});
  v->m_bCtrlDown = 1;
  fw::hooks::ExpectMessageBox("(+CTRL : hold date/time of folders)", IDOK);
  Command(ID_LIST_COPY);
  EXPECT_TRUE(fw::hooks::Unexpected().empty());
  EXPECT_EQ(0u, v->m_bCtrlDown);
  const fw::ShellRequest r = fw::LastShellRequest();
  EXPECT_EQ("robocopy.exe", r.file.Str());
  EXPECT_EQ("open", r.verb.Str());
  EXPECT_EQ(SW_HIDE, r.showCommand);
  EXPECT_EQ("\"" + base + "\\a b\" \"" + base + "\\c d\\a b\" /e /dcopy:t", r.parameters.Str());
  // The folder itself was made; the tree copier fills it.
  EXPECT_TRUE(Exists(base + "\\c d\\a b"));
  // Timer 10: the list pane active again and every view redrawn.
  doc->m_nUpdateCode = app::UpdateCode::kNone;
  v->OnTimer(10);
  EXPECT_EQ(app::UpdateCode::kRedrawAll, doc->m_nUpdateCode);
  EXPECT_EQ(static_cast<CView*>(v), frame->GetActiveView());
}

TEST_F(FlistCopyTest, AFolderLinkInTheTreeIsNamedOnceAndItsTargetIsUntouched) {
  std::string dir = std::string(TABRYE_BIN_ROOT) + "/test_fixtures/flist_copy_links";
  for (char& c : dir)
    if (c == '/') c = '\\';
  ASSERT_TRUE(Exists(dir + "\\tree\\link")) << "fixture missing";
  const std::string out = File("out");
  fw::MakeDir(out.c_str());
  CFlistView* v = ShowPanes(dir, out);
  ASSERT_NE(nullptr, v);
  Mark(v, {"tree"});
  fw::hooks::ExpectMessageBox("に複写します", IDOK);
  fw::hooks::ExpectMessageBox(out + "\\tree\\link に複写/移動出来ません", IDOK);
  Command(ID_LIST_COPY);
  EXPECT_TRUE(fw::hooks::Unexpected().empty());
  EXPECT_EQ(2u, fw::hooks::MessageBoxTexts().size());
  EXPECT_FALSE(Exists(out + "\\tree\\link\\keep.txt"));
  EXPECT_EQ("keep", ReadBytes(dir + "\\target\\keep.txt"));
  EXPECT_EQ("deep", ReadBytes(dir + "\\target\\sub\\deep.txt"));
}

TEST_F(FlistCopyTest, TheKeysCAndTReachTheCommands) {
  MakeWork();
  CFlistView* v = ShowPanes(Left(), Right());
  ASSERT_NE(nullptr, v);
  frame->ActivateListPane(0, 0);
  Mark(v, {"b.txt"});
  fw::hooks::ExpectMessageBox("に複写します", IDCANCEL);
  v->OnKeyDown('C', 1, 0);
  Mark(v, {"b.txt"});
  fw::hooks::ExpectMessageBox("に移動します", IDCANCEL);
  v->OnKeyDown('T', 1, 0);
  EXPECT_TRUE(fw::hooks::Unused().empty());
  EXPECT_EQ("bravo", ReadBytes(Left() + "\\b.txt"));
}

TEST_F(FlistCopyTest, AnUpdateCopyCountsTheReadOnlyDestinationsAndReportsThemOnce) {
  MakeWork();
  WriteBytes(Left() + "\\c.txt", "charlie");
  for (const char* n : {"\\b.txt", "\\c.txt"}) {
    WriteBytes(Right() + n, "old");
    SetTime(Right() + n, 5);
    SetFileAttributesA((Right() + n).c_str(), FILE_ATTRIBUTE_READONLY);
  }
  CFlistView* v = ShowPanes(Left(), Right());
  ASSERT_NE(nullptr, v);
  doc->m_bUpdateCopy = 1;
  Mark(v, {"b.txt", "c.txt"});
  fw::hooks::ExpectMessageBox("2ヶの選択ファイルを", IDOK);
  fw::hooks::ExpectMessageBox("ただし2件は書き込み禁止で複写できませんでした", IDOK);
  Command(ID_LIST_COPY);
  EXPECT_TRUE(fw::hooks::Unexpected().empty());
  ExpectAsked({"(複写時に日付が新しいファイルのみ上書き", "更新複写は終了しました"});
  EXPECT_EQ("old", ReadBytes(Right() + "\\b.txt"));
  EXPECT_EQ("old", ReadBytes(Right() + "\\c.txt"));
}

TEST_F(FlistCopyTest, EscBeforeTheCopyOfAMoveKeepsTheSourceAndTheOldDestination) {
  MakeWork();
  WriteBytes(Right() + "\\b.txt", "old");
  CFlistView* v = ShowPanes(Left(), Right());
  ASSERT_NE(nullptr, v);
  Mark(v, {"b.txt"});
  fw::hooks::ExpectMessageBox("に移動します", IDOK);
  fw::hooks::ExpectMessageBox("を書き換えますか", IDYES);
  fw::hooks::ExpectMessageBox("中止しますか", IDYES);
  frame->ActivateListPane(0, 0);
  PostMessageA(v->m_hWnd, WM_KEYDOWN, VK_ESCAPE, 1);
  Command(ID_LIST_MOVE);
  EXPECT_TRUE(fw::hooks::Unexpected().empty());
  EXPECT_TRUE(fw::hooks::Unused().empty());
  EXPECT_EQ("bravo", ReadBytes(Left() + "\\b.txt"));
  EXPECT_EQ("old", ReadBytes(Right() + "\\b.txt"));
  EXPECT_GT(IndexOf(v, "b.txt"), 0);
}

TEST_F(FlistCopyTest, ANetworkFormDestinationIsCopiedInPiecesAndEscLeavesItAbsent) {
  MakeWork();
  std::string big(1 << 20, '\0');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 + i / 8191);
  WriteBytes(Left() + "\\big.bin", big);
  CFlistView* v = ShowPanes(Left(), Right());
  ASSERT_NE(nullptr, v);
  const std::string dst = "\\\\?\\" + Right() + "\\big.bin";
  v->CopyOrMoveEntry((Left() + "\\big.bin").c_str(), dst.c_str(), 0, 0);
  EXPECT_EQ(big, ReadBytes(Right() + "\\big.bin"));
  // Esc before the copy: asked, answered Yes, nothing placed, no question after.
  DeleteFileA((Right() + "\\big.bin").c_str());
  fw::hooks::ExpectMessageBox("中止しますか", IDYES);
  PostMessageA(v->m_hWnd, WM_KEYDOWN, VK_ESCAPE, 1);
  v->CopyOrMoveEntry((Left() + "\\big.bin").c_str(), dst.c_str(), 0, 0);
  EXPECT_TRUE(fw::hooks::Unexpected().empty());
  EXPECT_EQ(1u, v->m_copy.m_bCopyAbort);
  EXPECT_FALSE(Exists(Right() + "\\big.bin"));
}

TEST_F(FlistCopyTest, AnOlderSourceAsksWithBothTimesAndNoKeepsTheNewerDestination) {
  MakeWork();
  WriteBytes(Right() + "\\" + kReport, "newer");
  SetTime(Right() + "\\" + kReport, 86400 * 40 + 60);
  CFlistView* v = ShowPanes(Left(), Right());
  ASSERT_NE(nullptr, v);
  Mark(v, {kReport});
  fw::hooks::ExpectMessageBox("に複写します", IDOK);
  fw::hooks::ExpectMessageBox("を書き換えますか", IDYES);
  fw::hooks::ExpectMessageBox("古いファイルに置き換えようとしていますが", IDNO);
  Command(ID_LIST_COPY);
  EXPECT_TRUE(fw::hooks::Unexpected().empty());
  // Local times (Asia/Tokyo): the destination first, then the source.
  const std::vector<std::string> texts = fw::hooks::MessageBoxTexts();
  ASSERT_EQ(3u, texts.size());
  EXPECT_EQ(Right() + "\\" + kReport + "\n 02/10 '20 09:01\n\n" + Left() + "\\" + kReport +
                "\n 01/01 '20 09:16\n\n\n古いファイルに置き換えようとしていますがよろしいですか？",
            texts[2]);
  EXPECT_EQ(9, v->m_copy.m_nCopyStop);
  EXPECT_EQ("newer", ReadBytes(Right() + "\\" + kReport));
  // The text an unreadable time shows instead.
  CString unknown;
  unknown.LoadString(IDS_TIME_UNKNOWN);
  EXPECT_EQ("日時不明", unknown.Str());
}

// The fixture: <dir>/names with "con.txt" and "ok.txt", made by the build
// machine's shell.
TEST_F(FlistCopyTest, ANameTheSystemRefusesIsReportedWithItsCodeAndTheNextFileIsCopied) {
  std::string dir = std::string(TABRYE_BIN_ROOT) + "/test_fixtures/flist_copy_names";
  for (char& c : dir)
    if (c == '/') c = '\\';
  ASSERT_TRUE(Exists(dir + "\\names\\ok.txt")) << "fixture missing";
  const std::string out = File("out");
  fw::MakeDir(out.c_str());
  CFlistView* v = ShowPanes(dir, out);
  ASSERT_NE(nullptr, v);
  Mark(v, {"names"});
  fw::hooks::ExpectMessageBox("に複写します", IDOK);
  fw::hooks::ExpectMessageBox(out + "\\names\\con.txt に複写/移動出来ません (123)", IDOK);
  Command(ID_LIST_COPY);
  EXPECT_TRUE(fw::hooks::Unexpected().empty());
  EXPECT_TRUE(fw::hooks::Unused().empty());
  EXPECT_EQ("ok", ReadBytes(out + "\\names\\ok.txt"));
}

}  // namespace
