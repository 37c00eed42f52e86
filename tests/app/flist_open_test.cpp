// Showing and opening list entries in the running program: a click shows a
// file in the text pane of its side (a folder empties it), a double click
// enters folders and drives, goes up through the path line, lists the
// user's special folders, and extracts ZIP and LZH archives beside
// themselves the way unzip and lhasa do (archives made by zip, lha and
// Python's zipfile), with the own codec and with the library stand-ins.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "filelist/flistcore/entries.h"
#include "filelist/flistcore/entryopen.h"
#include "filelist/flistview.h"
#include "flist_open_data.h"
#include "fw/bars.h"
#include "fw/codepage.h"
#include "fw/file.h"
#include "fw/path.h"
#include "fw/uihooks.h"
#include "res/resource.h"
#include "shell_fixture.h"
#include "support/file_bytes.h"

namespace {

// "データ", "表示", "ソフト", "報告.txt", "予定 表.txt", "写真 2024.zip", "写真_2024".
const std::string kData = "\x83\x66\x81\x5B\x83\x5E";
const std::string kHyoji = "\x95\x5C\x8E\xA6";
const std::string kSofuto = "\x83\x5C\x83\x74\x83\x67";
const std::string kHokoku = "\x95\xF1\x8D\x90.txt";
const std::string kYotei = "\x97\x5C\x92\xE8 \x95\x5C.txt";
const std::string kPhoto = "\x8E\xCA\x90\x5E 2024.zip";
const std::string kPhotoUnderscore = "\x8E\xCA\x90\x5E_2024";

std::string Bin(const char* name) { return std::string(TABRYE_BIN_ROOT) + "/" + name; }
std::string Bytes(const unsigned char* p, std::size_t n) { return std::string(reinterpret_cast<const char*>(p), n); }
#define BYTES(a) Bytes(a, sizeof a)

// File helpers over Shift-JIS paths (the system's code page under the test
// need not be 932): the framework's file layer and the wide functions.
std::wstring Wide(const std::string& path) {
  const std::u16string w = fw::Cp932ToUtf16(path);
  return std::wstring(w.begin(), w.end());
}
std::string Narrow(const wchar_t* w) {
  const std::u16string u(reinterpret_cast<const char16_t*>(w));
  return fw::Utf16ToCp932(u);
}
bool Exists(const std::string& p) { return ::GetFileAttributesW(Wide(p).c_str()) != INVALID_FILE_ATTRIBUTES; }
void Write(const std::string& path, const std::string& bytes) {
  CFile f(path.c_str(), CFile::modeCreate | CFile::modeWrite);
  if (!bytes.empty()) f.Write(bytes.data(), static_cast<UINT>(bytes.size()));
}
std::string Read(const std::string& path) {
  CFile f;
  if (!f.Open(path.c_str(), CFile::modeRead | CFile::shareDenyNone)) return "<missing>";
  std::string out(static_cast<std::size_t>(f.GetLength()), '\0');
  if (!out.empty()) f.Read(&out[0], static_cast<UINT>(out.size()));
  return out;
}

// The names directly in `dir` (folders too).
std::set<std::string> Top(const std::string& dir) {
  std::set<std::string> out;
  WIN32_FIND_DATAW fd;
  HANDLE h = ::FindFirstFileW(Wide(dir + "\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return out;
  do {
    const std::string n = Narrow(fd.cFileName);
    if (n != "." && n != "..") out.insert(n);
  } while (::FindNextFileW(h, &fd));
  ::FindClose(h);
  return out;
}

// Every file below `dir` (path relative to it, bytes), in order.
std::vector<std::pair<std::string, std::string>> Tree(const std::string& dir, const std::string& rel = "") {
  std::vector<std::pair<std::string, std::string>> out;
  const std::string here = rel.empty() ? dir : dir + "\\" + rel;
  for (const std::string& n : Top(here)) {
    const std::string r = rel.empty() ? n : rel + "\\" + n;
    const DWORD a = ::GetFileAttributesW(Wide(dir + "\\" + r).c_str());
    if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY)) {
      for (auto& e : Tree(dir, r)) out.push_back(e);
    } else {
      out.push_back({r, Read(dir + "\\" + r)});
    }
  }
  std::sort(out.begin(), out.end());
  return out;
}

std::set<std::string> Names(const std::string& dir) {
  std::set<std::string> out;
  for (auto& e : Tree(dir)) out.insert(e.first);
  return out;
}

// The local modification time of a file as "YYYY-MM-DD hh:mm:ss".
std::string LocalTimeOf(const std::string& path) {
  HANDLE h = ::CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return "";
  FILETIME ft;
  ::GetFileTime(h, nullptr, nullptr, &ft);
  ::CloseHandle(h);
  SYSTEMTIME utc, st;
  ::FileTimeToSystemTime(&ft, &utc);
  ::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &st);
  char buf[40];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute,
                st.wSecond);
  return buf;
}

bool BoxShown(const std::string& text) {
  for (const std::string& t : fw::hooks::MessageBoxTexts())
    if (t.find(text) != std::string::npos) return true;
  return false;
}

class FlistOpenTest : public shelltest::ShellFileTest {
 protected:
  void TearDown() override {
    ::SetCurrentDirectoryA(cwd_.c_str());
    shelltest::ShellFileTest::TearDown();
    prog_.reset();
  }
  // C:\...\データ with 表示\ソフト, 報告.txt and "予定 表.txt".
  std::string MakeTree() {
    const std::string base = File("") + kData;
    fw::MakeDir(base.c_str());
    fw::MakeDir((base + "\\" + kHyoji).c_str());
    fw::MakeDir((base + "\\" + kHyoji + "\\" + kSofuto).c_str());
    Write(base + "\\" + kHokoku, "report\r\n");
    Write(base + "\\" + kYotei, "plan\r\n");
    return base;
  }
  // Starts (with the archiver stand-ins in the program folder when asked)
  // and lists `dir` in the active first pane.
  CFlistView* StartListing(const std::string& dir, bool libraries = false) {
    char cwd[MAX_PATH * 2] = {};
    ::GetCurrentDirectoryA(sizeof cwd, cwd);
    cwd_ = cwd;
    if (libraries) {
      prog_ = std::make_unique<testsupport::TempProgramFolder>();
      for (const char* d : {"unzip32.dll", "unlha32.dll"})
        if (!::CopyFileA(Bin(d).c_str(), prog_->File(d).c_str(), FALSE)) return nullptr;
      if (!Start("", false, prog_->Path())) return nullptr;
    } else if (!StartIn("")) {
      return nullptr;
    }
    frame->ActivateListPane(0, 0);
    frame->ShowFolderInList(dir.c_str());
    return frame->GetListPane(0, 0);
  }
  static int Index(CFlistView* v, const std::string& name) {
    for (int i = 0; i < v->m_table.m_nEntryCount; ++i)
      if (flist::GetNameRecord(v->m_table.m_pNameRecs, i) == name) return i;
    return -1;
  }
  static int RowStarting(CFlistView* v, const std::string& head) {
    for (int i = 1; i < v->m_table.m_nEntryCount; ++i)
      if (flist::GetNameRecord(v->m_table.m_pNameRecs, i).compare(0, head.size(), head) == 0) return i;
    return -1;
  }
  std::string DocText() const { return std::string(doc->m_pText ? doc->m_pText : "", doc->m_nTextLen); }

  std::unique_ptr<testsupport::TempProgramFolder> prog_;
  std::string cwd_;
};

TEST_F(FlistOpenTest, AClickShowsAFileInItsSideAndAFolderEmptiesTheText) {
  const std::string base = MakeTree();
  CFlistView* v = StartListing(base);
  ASSERT_NE(v, nullptr);
  const int file = Index(v, kHokoku), folder = Index(v, kHyoji);
  ASSERT_GT(file, 0);
  ASSERT_GT(folder, 0);
  v->m_state.m_nCurEntry = file;
  v->ShowEntry(file, 0, 0);
  EXPECT_EQ(std::string(doc->m_strPath1.GetString()), base + "\\" + kHokoku);
  EXPECT_NE(DocText().find("report"), std::string::npos);
  EXPECT_EQ(std::string(v->m_strTitle.GetString()), base + "\\" + kHokoku);
  char pos[40];
  std::snprintf(pos, sizeof pos, "%2d/%3d  list", file, v->m_table.m_nEntryCount - 2);
  ASSERT_NE(g_pStatusBar, nullptr);
  EXPECT_STREQ(pos, g_pStatusBar->GetPaneText(5).GetString());
  EXPECT_TRUE(fw::hooks::MessageBoxTexts().empty());
  // A folder empties the text; the side's path names the folder.
  v->ShowEntry(folder, 0, 0);
  EXPECT_EQ(doc->m_nTextLen, 0u);
  EXPECT_EQ(doc->m_nFileKind, 9);
  EXPECT_EQ(std::string(doc->m_strPath1.GetString()), base + "\\" + kHyoji);
  // A name with blanks loads as any other.
  const int yotei = Index(v, kYotei);
  ASSERT_GT(yotei, 0);
  v->ShowEntry(yotei, 0, 0);
  EXPECT_NE(DocText().find("plan"), std::string::npos);
}

TEST_F(FlistOpenTest, AFileWithoutATimeSaysSoAndStillOpens) {
  const std::string base = MakeTree();
  CFlistView* v = StartListing(base);
  ASSERT_NE(v, nullptr);
  const int file = Index(v, kHokoku);
  ASSERT_GT(file, 0);
  v->m_table.m_pEntryVal3[file] = 0;
  fw::hooks::ExpectMessageBox("File Time Eror", IDOK);
  v->ShowEntry(file, 0, 0);
  EXPECT_TRUE(BoxShown("File Time Eror"));
  EXPECT_NE(DocText().find("report"), std::string::npos);
}

TEST_F(FlistOpenTest, DoubleClickEntersFoldersAndThePathLineGoesUp) {
  const std::string base = MakeTree();
  CFlistView* v = StartListing(base);
  ASSERT_NE(v, nullptr);
  // The heading line does nothing.
  const std::string before = v->m_strCurDir.GetString();
  v->OnLButtonDblClk(MK_LBUTTON, CPoint(30, v->m_nLineHeight + 3));
  EXPECT_EQ(before, v->m_strCurDir.GetString());
  // Enter (nFlags 0) on the cursor entry enters it.
  v->OpenEntryAt(Index(v, kHyoji));
  EXPECT_EQ(std::string(v->m_strCurDir.GetString()), base + "\\" + kHyoji);
  EXPECT_GT(Index(v, kSofuto), 0);
  // A double click on the path line goes to the folder of that segment.
  v->DrawPathBar(1);
  int seps = 0;
  for (std::size_t i = 0; i < base.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(base[i]);
    if ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) ++i;
    else if (c == '\\') ++seps;
  }
  ASSERT_GT(v->m_aPathBarX[seps], 0);
  v->OnLButtonDblClk(MK_LBUTTON, CPoint(v->m_aPathBarX[seps] + 1, 3));
  std::string now = v->m_strCurDir.GetString();
  if (!now.empty() && now.back() == '\\') now.pop_back();
  EXPECT_EQ(now, base);
  // A double click on a file with another extension does not enter it.
  v->OpenEntryAt(Index(v, kHokoku));
  now = v->m_strCurDir.GetString();
  if (!now.empty() && now.back() == '\\') now.pop_back();
  EXPECT_EQ(now, base);
}

TEST_F(FlistOpenTest, DriveRowsAreEnteredOrSayTheyCannotBe) {
  CFlistView* v = StartListing(File(""));
  ASSERT_NE(v, nullptr);
  v->ShowDriveList();
  const int c = RowStarting(v, "C:");
  ASSERT_GT(c, 0);
  v->OpenEntryAt(c);
  EXPECT_EQ(v->m_nListSource, 0);
  EXPECT_EQ(std::string(v->m_strCurDir.GetString()).compare(0, 2, "C:"), 0);
  EXPECT_GT(v->m_table.m_nEntryCount, 2);
  // "A:" is listed but missing under the test's system: the two tries fail.
  v->ShowDriveList();
  const int a = RowStarting(v, "A:");
  ASSERT_EQ(a, 1);
  if (::GetLogicalDrives() & 1) GTEST_SKIP() << "drive A: exists here";
  v->OpenEntryAt(a);
  EXPECT_TRUE(v->m_strCurDir.IsEmpty());
  CString failed;
  failed.LoadString(IDS_DRIVE_OPEN_FAILED);
  EXPECT_EQ(std::string(failed.GetString()), Title());
}

TEST_F(FlistOpenTest, TheDocumentsRowListsTheUsersFolderWithoutAMessage) {
  char user[256] = {};
  DWORD n = sizeof user;
  ASSERT_TRUE(::GetUserNameA(user, &n));
  const std::string docs = std::string("C:\\Users\\") + user + "\\Documents";
  if (!Exists(docs)) GTEST_SKIP() << "no " << docs;
  CFlistView* v = StartListing(File(""));
  ASSERT_NE(v, nullptr);
  v->ShowDriveList();
  const int row = Index(v, "\x83\x68\x83\x4C\x83\x85\x83\x81\x83\x93\x83\x67");  // ドキュメント
  ASSERT_GT(row, 0);
  v->OpenEntryAt(row);
  EXPECT_EQ(std::string(v->m_strCurDir.GetString()), docs);
  EXPECT_EQ(v->m_nListSource, 0);
  EXPECT_EQ(doc->m_nTextLen, 0u);
  EXPECT_TRUE(fw::hooks::MessageBoxTexts().empty());
}

// --- archives, with the own codec and with the library stand-ins ---

class FlistArchiveTest : public FlistOpenTest, public ::testing::WithParamInterface<bool> {};

TEST_P(FlistArchiveTest, AnAlbumWithBlanksGoesWholeIntoItsDirFolderAsUnzipMakesIt) {
  const std::string dir = File("") + "a b";
  fw::MakeDir(dir.c_str());
  const std::string archive = dir + "\\" + kPhoto;
  const std::string unrelated = dir + "\\" + kPhotoUnderscore + ".zip";
  Write(archive, BYTES(flistopendata::kAlbum));
  Write(unrelated, "not an archive of the test");
  CFlistView* v = StartListing(dir, GetParam());
  ASSERT_NE(v, nullptr);
  ASSERT_EQ(doc->m_pfnUnZip != nullptr, GetParam());
  v->OpenEntryAt(Index(v, kPhoto));
  const std::string folder = dir + "\\" + kPhotoUnderscore + "_DIR";
  EXPECT_EQ(Tree(folder), flistopendata::kAlbumFiles());
  // The archive keeps its name and bytes; the file of the blank-less name stays.
  EXPECT_EQ(Read(archive), BYTES(flistopendata::kAlbum));
  EXPECT_EQ(Read(unrelated), "not an archive of the test");
  EXPECT_EQ(Top(dir), (std::set<std::string>{kPhoto, kPhotoUnderscore + ".zip", kPhotoUnderscore + "_DIR"}));
  EXPECT_EQ(std::string(doc->m_strPath1.GetString()), folder + "\\");
  EXPECT_EQ(std::string(v->m_strCurDir.GetString()), folder);
}

TEST_P(FlistArchiveTest, OneMemberIsNumberedAfterThreeNosAndKeepsItsTime) {
  const std::string dir = File("") + kData;
  fw::MakeDir(dir.c_str());
  Write(dir + "\\one.zip", BYTES(flistopendata::kOne));
  for (const char* n : {"m.txt", "m_2.txt", "m_3.txt"}) Write(dir + "\\" + n, "old");
  CFlistView* v = StartListing(dir, GetParam());
  ASSERT_NE(v, nullptr);
  for (const char* n : {"\\m.txt", "\\m_2.txt", "\\m_3.txt"}) fw::hooks::ExpectMessageBox(dir + n, IDNO);
  v->OpenEntryAt(Index(v, "one.zip"));
  EXPECT_EQ(fw::hooks::MessageBoxTexts().size(), 3u);
  EXPECT_EQ(Read(dir + "\\m_4.txt"), BYTES(flistopendata::kOneData));
  EXPECT_EQ(LocalTimeOf(dir + "\\m_4.txt"), "2024-05-06 07:08:10");
  for (const char* n : {"m.txt", "m_2.txt", "m_3.txt"}) EXPECT_EQ(Read(dir + "\\" + n), "old");
  EXPECT_FALSE(Exists(dir + "\\one_DIR"));
  EXPECT_EQ(std::string(doc->m_strPath1.GetString()), dir + "\\m_4.txt");
}

TEST_P(FlistArchiveTest, YesOverALongerFileLeavesExactlyTheMemberAndNineNosWriteNothing) {
  const std::string dir = File("") + "yes";
  fw::MakeDir(dir.c_str());
  Write(dir + "\\one.zip", BYTES(flistopendata::kOne));
  Write(dir + "\\m.txt", BYTES(flistopendata::kOneData) + std::string(5000, 'T'));
  CFlistView* v = StartListing(dir, GetParam());
  ASSERT_NE(v, nullptr);
  fw::hooks::ExpectMessageBox("m.txt", IDYES);
  v->OpenEntryAt(Index(v, "one.zip"));
  EXPECT_EQ(Read(dir + "\\m.txt"), BYTES(flistopendata::kOneData));
  // Every numbered name taken: nine Nos abandon the double click.
  for (int i = 2; i <= 9; ++i) Write(dir + "\\m_" + std::to_string(i) + ".txt", "keep");
  fw::hooks::Reset();
  fw::hooks::SetTestMode(true);
  for (int i = 0; i < 9; ++i) fw::hooks::ExpectMessageBox("m", IDNO);
  frame->ShowFolderInList(dir.c_str());
  v->OpenEntryAt(Index(v, "one.zip"));
  EXPECT_EQ(fw::hooks::MessageBoxTexts().size(), 9u);
  for (int i = 2; i <= 9; ++i) EXPECT_EQ(Read(dir + "\\m_" + std::to_string(i) + ".txt"), "keep");
  EXPECT_FALSE(Exists(dir + "\\m_10.txt"));
}

TEST_P(FlistArchiveTest, MemberNamesThatClimbStayInsideTheFolder) {
  const std::string top = File("") + "top";
  const std::string dir = top + "\\in";
  fw::MakeDir(top.c_str());
  fw::MakeDir(dir.c_str());
  Write(dir + "\\up.zip", BYTES(flistopendata::kEvilUp));
  Write(dir + "\\back.zip", BYTES(flistopendata::kEvilBack));
  CFlistView* v = StartListing(dir, GetParam());
  ASSERT_NE(v, nullptr);
  v->OpenEntryAt(Index(v, "up.zip"));
  frame->ShowFolderInList(dir.c_str());
  v->OpenEntryAt(Index(v, "back.zip"));
  EXPECT_EQ(Read(dir + "\\evil.txt"), "up and out\n");
  EXPECT_EQ(Read(dir + "\\x"), "back and out\n");
  EXPECT_EQ(Names(top), (std::set<std::string>{"in\\back.zip", "in\\evil.txt", "in\\up.zip", "in\\x"}));
  EXPECT_FALSE(Exists(File("") + "evil.txt"));
}

TEST_P(FlistArchiveTest, ACraftedHeadTakesTheWholeArchivePathAndFailsCleanly) {
  const std::string dir = File("") + "crafted";
  fw::MakeDir(dir.c_str());
  // "PK\3\4", the encryption flag, sizes beyond the file, a 255-byte name.
  std::string head = std::string("PK\x03\x04", 4) + std::string(2, '\0') + std::string("\x01\x00\x08\x00", 4);
  head += std::string(8, '\0');
  head += std::string("\xF0\xFF\xFF\xFF\xF0\xFF\xFF\xFF", 8);
  head += std::string("\xFF\x00\x00\x00", 4);
  head += std::string(300, 'n');
  Write(dir + "\\c.zip", head);
  CFlistView* v = StartListing(dir, GetParam());
  ASSERT_NE(v, nullptr);
  v->OpenEntryAt(Index(v, "c.zip"));
  const std::set<std::string> names = Names(dir);
  for (const std::string& n : names) EXPECT_TRUE(n == "c.zip") << n;
  EXPECT_EQ(Read(dir + "\\c.zip"), head);
}

TEST_P(FlistArchiveTest, DosDateZeroGivesNineteenSeventy) {
  const std::string dir = File("") + "zero";
  fw::MakeDir(dir.c_str());
  std::string zip = BYTES(flistopendata::kOne);
  zip[10] = zip[11] = zip[12] = zip[13] = 0;  // the local header's time and date
  Write(dir + "\\one.zip", zip);
  CFlistView* v = StartListing(dir, GetParam());
  ASSERT_NE(v, nullptr);
  v->OpenEntryAt(Index(v, "one.zip"));
  ASSERT_TRUE(Exists(dir + "\\m.txt"));
  EXPECT_EQ(LocalTimeOf(dir + "\\m.txt"), "1970-01-01 00:00:00");
}

TEST_P(FlistArchiveTest, AnLzhExtractsAsLhasaDoesAndALongFolderIsShownWhole) {
  // The folder's path runs past 100 bytes.
  const std::string dir = File("") + std::string(110, 'L');
  fw::MakeDir(dir.c_str());
  Write(dir + "\\t.lzh", BYTES(flistopendata::kLzh));
  CFlistView* v = StartListing(dir, GetParam());
  ASSERT_NE(v, nullptr);
  v->OpenEntryAt(Index(v, "t.lzh"));
  const std::string folder = dir + "\\t_DIR";
  EXPECT_EQ(Tree(folder), flistopendata::kLzhFiles());
  const std::string shown = doc->m_strPath1.GetString();
  EXPECT_GT(shown.size(), 100u);
  EXPECT_EQ(shown.compare(0, folder.size(), folder), 0) << shown;
  EXPECT_EQ(std::string(v->m_strCurDir.GetString()).compare(0, folder.size(), folder), 0);
}

INSTANTIATE_TEST_SUITE_P(OwnAndLibrary, FlistArchiveTest, ::testing::Values(false, true));

}  // namespace

namespace {

// --- the save question before the list replaces an edited text ---

class FlistSaveQuestionTest : public FlistOpenTest {
 protected:
  // Lists a folder with "edit.txt", "other.txt" and "sub", shows edit.txt
  // and types into its text pane.
  CFlistView* ShowEdited() {
    dir_ = File("") + "q";
    fw::MakeDir(dir_.c_str());
    fw::MakeDir((dir_ + "\\sub").c_str());
    Write(dir_ + "\\edit.txt", "original\r\n");
    Write(dir_ + "\\other.txt", "other file\r\n");
    CFlistView* v = StartListing(dir_);
    if (!v) return nullptr;
    const int e = Index(v, "edit.txt");
    v->m_state.m_nCurEntry = e;
    v->ShowEntry(e, 0, 0);
    CDvkView* tv = frame->GetTextView(0, 0);
    if (!tv || !testsupport::PumpUntil([tv] { return !tv->LoadPending(); }, 10000)) return nullptr;
    tv->GetRichEditCtrl().SetSel(0, 0);
    tv->GetRichEditCtrl().ReplaceSel("EDIT ");
    testsupport::PumpFor(50);
    if (!doc->IsModified()) doc->SetModifiedFlag(TRUE);
    return v;
  }
  std::string Shown() { return shelltest::ControlText(frame->GetTextView(0, 0)); }
  std::string dir_;
};

TEST_F(FlistSaveQuestionTest, EveryWayOfReplacingTheTextAsksFirst) {
  struct Way {
    const char* what;
    std::function<void(FlistSaveQuestionTest*, CFlistView*)> act;
    const char* shownAfter;  // what the pane shows after No
    bool keepsPath;          // Cancel keeps the side's path too
  } ways[] = {
      {"a click on another file",
       [](FlistSaveQuestionTest* t, CFlistView* v) {
         const int o = t->Index(v, "other.txt");
         v->m_state.m_nCurEntry = o;
         v->ShowEntry(o, 0, 0);
       },
       "other file", true},
      {"a click on a folder", [](FlistSaveQuestionTest* t, CFlistView* v) { v->ShowEntry(t->Index(v, "sub"), 0, 0); },
       "", true},
      {"going up a folder", [](FlistSaveQuestionTest*, CFlistView* v) { v->GoToParentFolder(); }, "", false},
  };
  for (const Way& w : ways) {
    for (int answer : {IDCANCEL, IDNO, IDYES}) {
      SCOPED_TRACE(std::string(w.what) + " answered " + std::to_string(answer));
      CFlistView* v = ShowEdited();
      ASSERT_NE(v, nullptr);
      ASSERT_NE(Shown().find("EDIT original"), std::string::npos);
      fw::hooks::ExpectMessageBox("", answer);
      w.act(this, v);
      CDvkView* tv = frame->GetTextView(0, 0);
      ASSERT_TRUE(testsupport::PumpUntil([tv] { return !tv->LoadPending(); }, 10000));
      testsupport::PumpFor(50);
      EXPECT_EQ(fw::hooks::MessageBoxTexts().size(), 1u);
      if (answer == IDCANCEL) {
        EXPECT_NE(Shown().find("EDIT original"), std::string::npos);
        EXPECT_TRUE(doc->IsModified());
        if (w.keepsPath) EXPECT_EQ(std::string(doc->m_strPath1.GetString()), dir_ + "\\edit.txt");
        EXPECT_EQ(Read(dir_ + "\\edit.txt"), "original\r\n");
      } else {
        EXPECT_EQ(Shown().find("EDIT"), std::string::npos);
        if (*w.shownAfter) EXPECT_NE(Shown().find(w.shownAfter), std::string::npos);
        EXPECT_EQ(Read(dir_ + "\\edit.txt"), answer == IDYES ? "EDIT original\r\n" : "original\r\n");
      }
      doc->SetModifiedFlag(FALSE);
      TearDown();
      SetUp();
    }
  }
}

}  // namespace

namespace {

// A new user's walk: in "データ" the cursor goes to "表示" and Enter enters
// it; a click shows "報告.txt"; after an edit, going back asks first and
// leaves the cursor on "表示"; the path line leads back to "データ"; a
// double click on "写真 2024.zip" makes "写真_2024_DIR" beside it and lists it.
TEST_F(FlistOpenTest, ANewUsersWalk) {
  const std::string base = File("") + kData;
  fw::MakeDir(base.c_str());
  fw::MakeDir((base + "\\" + kHyoji).c_str());
  Write(base + "\\" + kHyoji + "\\" + kHokoku, "report\r\n");
  Write(base + "\\" + kPhoto, BYTES(flistopendata::kAlbum));
  CFlistView* v = StartListing(base);
  ASSERT_NE(v, nullptr);
  // Down, Down, Enter.
  v->m_state.m_nCurEntry = Index(v, kHyoji);
  v->ShowEntry(v->m_state.m_nCurEntry, 0, 0);
  v->OpenEntryAt(0, CPoint(0, 0));
  ASSERT_EQ(std::string(v->m_strCurDir.GetString()), base + "\\" + kHyoji);
  // A click shows the report.
  const int report = Index(v, kHokoku);
  ASSERT_GT(report, 0);
  v->m_state.m_nCurEntry = report;
  v->ShowEntry(report, 0, 0);
  CDvkView* tv = frame->GetTextView(0, 0);
  ASSERT_TRUE(testsupport::PumpUntil([tv] { return !tv->LoadPending(); }, 10000));
  EXPECT_NE(shelltest::ControlText(tv).find("report"), std::string::npos);
  // An edit, then Back: the question comes, No gives the edit up.
  tv->GetRichEditCtrl().SetSel(0, 0);
  tv->GetRichEditCtrl().ReplaceSel("x");
  testsupport::PumpFor(50);
  if (!doc->IsModified()) doc->SetModifiedFlag(TRUE);
  fw::hooks::ExpectMessageBox("", IDNO);
  v->GoToParentFolder();
  EXPECT_EQ(fw::hooks::MessageBoxTexts().size(), 1u);
  EXPECT_EQ(std::string(v->m_strCurDir.GetString()), base);
  EXPECT_EQ(flist::GetNameRecord(v->m_table.m_pNameRecs, v->m_state.m_nCurEntry), kHyoji);
  EXPECT_EQ(Read(base + "\\" + kHyoji + "\\" + kHokoku), "report\r\n");
  // In again, and back through the path line's last-but-one segment.
  v->OpenEntryAt(Index(v, kHyoji));
  ASSERT_EQ(std::string(v->m_strCurDir.GetString()), base + "\\" + kHyoji);
  v->DrawPathBar(1);
  int segments = 0;
  while (segments < 20 && v->m_aPathBarX[segments] != 0) ++segments;
  ASSERT_GE(segments, 3);
  // (Segment 0 is the ">" lead-in: the last-but-one segment is the parent's name.)
  v->OnLButtonDblClk(MK_LBUTTON, CPoint(v->m_aPathBarX[segments - 2] - 1, 3));
  std::string now = v->m_strCurDir.GetString();
  if (!now.empty() && now.back() == '\\') now.pop_back();
  EXPECT_EQ(now, base);
  // The album is extracted beside itself and listed.
  v->OpenEntryAt(Index(v, kPhoto));
  const std::string folder = base + "\\" + kPhotoUnderscore + "_DIR";
  EXPECT_EQ(Tree(folder), flistopendata::kAlbumFiles());
  EXPECT_EQ(std::string(v->m_strCurDir.GetString()), folder);
  EXPECT_EQ(fw::hooks::MessageBoxTexts().size(), 1u);
}

}  // namespace
