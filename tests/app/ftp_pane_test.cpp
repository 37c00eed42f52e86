// The list pane on an FTP site in the running program, against the test
// servers (CTest fixture "inet"): the site's folder listed by the "FTP 2"
// command (sizes, kinds, the nine-hour rule, Japanese names on the
// Shift-JIS server), a refused login or folder, names the list must not
// take, leaving the site; and rename, new file, new folder and delete on the
// site, checked in the file system behind the server.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/dvkdoc.h"
#include "filelist/flistcore/entries.h"
#include "filelist/flistview.h"
#include "filelist/rename_dlg.h"
#include "fw/uihooks.h"
#include "res/resource.h"
#include "shell_fixture.h"
#include "support/inet_servers.h"
#include "support/pump.h"

namespace {

using testsupport::ExistsA;
using testsupport::IsFolderA;
using testsupport::ReadBytesA;
using testsupport::WriteBytesA;

// "表.txt" and "ソフト": the first character of each ends in the byte 0x5C.
const std::string kHyoTxt = "\x95\x5C.txt";
const std::string kSofuto = "\x83\x5C\x83\x74\x83\x67";

std::string LoadText(unsigned id) {
  CString s;
  s.LoadString(id);
  return s.Str();
}

// Sets a file's modification time (seconds since 1970, UTC).
void SetTime(const std::string& path, std::int64_t t) { ASSERT_TRUE(testsupport::SetTimeA(path, t)) << path; }

// The names of a folder (without "." and "..").
std::vector<std::string> FolderNames(const std::string& dir) {
  std::vector<std::string> out;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return out;
  do {
    const std::string n = fd.cFileName;
    if (n != "." && n != "..") out.push_back(n);
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  return out;
}

class FtpPaneTest : public shelltest::ShellTest {
 protected:
  void SetUp() override {
    shelltest::ShellTest::SetUp();
    REQUIRE_INET_SERVERS();
    user = std::string("pane_") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
  }

  // The site's home on `server` with its "/pub" and a file in its root.
  void MakeHome(const char* server) {
    this->server = server;
    home = testsupport::FtpHome(server, user, {"pub"});
    WriteBytesA(home + "\\rootfile.txt", "root");
  }
  std::string Pub(const std::string& rel = "") const { return home + "\\pub" + (rel.empty() ? "" : "\\" + rel); }
  void Folder(const std::string& rel) { CreateDirectoryA(Pub(rel).c_str(), nullptr); }
  void File(const std::string& rel, const std::string& bytes) { WriteBytesA(Pub(rel), bytes); }

  // The entry of site 2: "Y:~<flag>site~/127.0.0.1:PORT;BASE=/pub;USER=...;PWRD=..."
  std::string Entry(char flag = '3', const std::string& password = "p") const {
    return std::string("Y:~") + flag + "site~/127.0.0.1:" + std::to_string(testsupport::ServerPort(server)) +
           ";BASE=/pub;USER=" + user + ";PWRD=" + password;
  }

  // Starts with pane 1 listing a local folder of the program folder.
  CFlistView* StartWithLocalList() {
    if (!Start("")) return nullptr;
    local = doc->m_strProgramDir.Str() + "\\old";
    CreateDirectoryA(local.c_str(), nullptr);
    WriteBytesA(local + "\\local.txt", "local");
    frame->ShowFolderInList(local.c_str());
    return Pane();
  }
  CFlistView* Pane() { return frame->GetListPane(0, 0); }

  void Command(UINT id) {
    frame->ActivateListPane(0, 0);
    frame->SendMessage(WM_COMMAND, id, 0);
  }
  // Site 2 set to `entry` and listed with its command.
  CFlistView* ListSite(const std::string& entry) {
    doc->m_strFtpEntry[1] = entry.c_str();
    Command(ID_LIST_FTP2);
    return Pane();
  }

  static std::string Name(CFlistView* v, int i) { return flist::GetNameRecord(v->m_table.m_pNameRecs, i); }
  // The listed names (without ".."), sorted.
  static std::vector<std::string> Names(CFlistView* v) {
    std::vector<std::string> out;
    for (int i = 1; i < v->m_table.m_nEntryCount; ++i) {
      const std::string n = Name(v, i);
      if (!n.empty()) out.push_back(n);
    }
    std::sort(out.begin(), out.end());
    return out;
  }
  static int Index(CFlistView* v, const std::string& name) {
    for (int i = 1; i < v->m_table.m_nEntryCount; ++i)
      if (Name(v, i) == name) return i;
    return -1;
  }
  static std::string Kind(CFlistView* v, int i) { return flist::GetNameRecord(v->m_table.m_pTextRecs3, i); }
  static std::int32_t Size(CFlistView* v, int i) { return static_cast<std::int32_t>(v->m_table.m_pEntryVal1[i]); }
  static std::string Dir(CFlistView* v) {
    std::string d = v->m_strCurDir.Str();
    if (d.size() > 2 && d.back() == '\\') d.pop_back();
    return d;
  }

  // The path line's segment `fromEnd` places before the last one, double-clicked.
  void ClickPathSegment(CFlistView* v, int fromEnd) {
    v->DrawPathBar(1);
    int segments = 0;
    while (segments < 20 && v->m_aPathBarX[segments] != 0) ++segments;
    ASSERT_GT(segments, fromEnd);
    v->OnLButtonDblClk(MK_LBUTTON, CPoint(v->m_aPathBarX[segments - 1 - fromEnd] - 1, 3));
  }

  std::string user, home, local;
  const char* server = "ftp";
};

// --- the listing ------------------------------------------------------------

TEST_F(FtpPaneTest, SiteTwoListsItsFolderWithSizesKindsAndTheNineHourRule) {
  MakeHome("ftp");
  Folder("docs");
  File("README", "hello");
  File("data.csv", std::string(1234, 'c'));
  File("big.bin", std::string(70000, 'b'));
  // An old date: the server lists it with its year and without a time.
  const std::int64_t day = 1741132800;  // 2025-03-05 00:00 UTC
  SetTime(Pub("data.csv"), day + 12 * 3600 + 34 * 60);
  CFlistView* v = StartWithLocalList();
  ASSERT_NE(v, nullptr);

  ListSite(Entry('3'));
  EXPECT_EQ(v->m_bFtpList, 1u);
  EXPECT_EQ(v->m_nListSource, 0);
  EXPECT_EQ(Dir(v).substr(0, 2), "Y:");
  EXPECT_EQ(Name(v, 0), "..");
  const int docs = Index(v, "docs"), readme = Index(v, "README"), data = Index(v, "data.csv"),
            big = Index(v, "big.bin");
  ASSERT_GT(docs, 0);
  ASSERT_GT(readme, 0);
  ASSERT_GT(data, 0);
  ASSERT_GT(big, 0);
  EXPECT_EQ(Index(v, "rootfile.txt"), -1);
  EXPECT_EQ(Index(v, "local.txt"), -1);
  // Folders first, then the files with their sizes and kinds.
  EXPECT_LT(docs, readme);
  EXPECT_EQ(Size(v, docs), flist::kSizeFolder);
  EXPECT_EQ(Size(v, readme), 5);
  EXPECT_EQ(Size(v, data), 1234);
  EXPECT_EQ(Size(v, big), 70000);
  EXPECT_EQ(Kind(v, readme), "*");
  EXPECT_EQ(Kind(v, data), "csv");
  EXPECT_EQ(Kind(v, big), "bin");
  const std::int64_t odd = v->m_table.m_pEntryVal3[data];
  EXPECT_TRUE(testsupport::WaitForLog("ftp", "[" + user + "] USER '" + user + "' logged in."));

  // Flag digit 2 (even): the time as the connection read the server's line
  // (a date with a year and no time: that day, at noon under Wine).
  ListSite(Entry('2'));
  const int data2 = Index(v, "data.csv");
  ASSERT_GT(data2, 0);
  const std::int64_t even = v->m_table.m_pEntryVal3[data2];
  EXPECT_EQ(even / 86400, day / 86400);
  EXPECT_EQ(even, day + 12 * 3600);
  // Flag digit 3 (odd): the same time nine hours earlier.
  EXPECT_EQ(odd, even - 9 * 3600);
  EXPECT_EQ(Size(v, Index(v, "big.bin")), 70000);
}

TEST_F(FtpPaneTest, NamesThatArePathsOrTooLongAreNotListed) {
  MakeHome("ftp");
  File("plain.txt", "p");
  // Names a file system cannot hold, listed by the server all the same.
  const std::string longName(300, 'n');
  File(".listextra", "a\\b\n..\\x\na/b\n..\n...\n" + longName + "\nlisted.txt\n");
  CFlistView* v = StartWithLocalList();
  ASSERT_NE(v, nullptr);
  ListSite(Entry());
  EXPECT_GT(Index(v, "plain.txt"), 0);
  EXPECT_GT(Index(v, "listed.txt"), 0) << "the server's extra names are listed";
  for (const std::string& bad : {std::string("a\\b"), std::string("..\\x"), std::string("a/b"), std::string("..."),
                                 longName, longName.substr(0, 255)})
    EXPECT_EQ(Index(v, bad), -1) << bad.substr(0, 20);
  EXPECT_EQ(Names(v), (std::vector<std::string>{"listed.txt", "plain.txt"}));
}

TEST_F(FtpPaneTest, JapaneseNamesOnTheShiftJisServerAndTheWayInAndBack) {
  MakeHome("ftp932");
  Folder(kSofuto);
  File(kHyoTxt, "hyo");
  File(kSofuto + "\\" + kHyoTxt, "inner");
  File(kSofuto + "\\inner.txt", "in");
  CFlistView* v = StartWithLocalList();
  ASSERT_NE(v, nullptr);
  ListSite(Entry());
  const int folder = Index(v, kSofuto);
  ASSERT_GT(folder, 0);
  ASSERT_GT(Index(v, kHyoTxt), 0);
  EXPECT_EQ(Size(v, Index(v, kHyoTxt)), 3);
  EXPECT_EQ(Kind(v, Index(v, kHyoTxt)), "txt");
  EXPECT_EQ(Size(v, folder), flist::kSizeFolder);

  // A double click enters the folder.
  v->OpenEntryAt(folder);
  EXPECT_EQ(Dir(v), "Y:\\" + kSofuto);
  EXPECT_EQ(Names(v), (std::vector<std::string>{"inner.txt", kHyoTxt}));
  EXPECT_EQ(Size(v, Index(v, kHyoTxt)), 5);
  // The path line's site segment goes back to the site's folder.
  ClickPathSegment(v, 1);
  EXPECT_EQ(Dir(v), "Y:");
  EXPECT_GT(Index(v, kSofuto), 0);
  EXPECT_GT(Index(v, kHyoTxt), 0);
  EXPECT_EQ(Index(v, "inner.txt"), -1);
}

TEST_F(FtpPaneTest, AWrongPasswordKeepsTheOldListAndSaysTheDriveCannotBeOpened) {
  MakeHome("ftp");
  File("remote.txt", "r");
  CFlistView* v = StartWithLocalList();
  ASSERT_NE(v, nullptr);
  ASSERT_GT(Index(v, "local.txt"), 0);
  ListSite(Entry('3', "wrong"));
  EXPECT_EQ(Title(), LoadText(IDS_DRIVE_OPEN_FAILED));
  EXPECT_GT(Index(v, "local.txt"), 0);
  EXPECT_EQ(Index(v, "remote.txt"), -1);
  EXPECT_EQ(v->m_bFtpList, 0u);
  EXPECT_TRUE(testsupport::WaitForLog("ftp", "USER '" + user + "' failed login."));
  // The right password lists the site.
  ListSite(Entry('3', "p"));
  EXPECT_GT(Index(v, "remote.txt"), 0);
}

TEST_F(FtpPaneTest, ARefusedFolderSaysSoAndNeverShowsTheRootsFiles) {
  MakeHome("ftp");
  Folder("lockedbox");
  File("lockedbox\\secret.txt", "s");
  File("pubfile.txt", "p");
  CFlistView* v = StartWithLocalList();
  ASSERT_NE(v, nullptr);
  ListSite(Entry());
  const int locked = Index(v, "lockedbox");
  ASSERT_GT(locked, 0);
  v->OpenEntryAt(locked);
  EXPECT_TRUE(testsupport::WaitForLog("ftp", "lockedbox 550"));
  EXPECT_EQ(Title(), LoadText(IDS_FOLDER_OPEN_FAILED));
  EXPECT_EQ(Index(v, "rootfile.txt"), -1);
  EXPECT_EQ(Index(v, "pub"), -1);
  EXPECT_EQ(Index(v, "pubfile.txt"), -1);
  EXPECT_EQ(Index(v, "secret.txt"), -1);
  EXPECT_EQ(Names(v), std::vector<std::string>{});
  EXPECT_EQ(Name(v, 0), "..");

  // An empty folder the server enters is no error: ".." only, under the
  // folder's own title.
  ClickPathSegment(v, 1);
  ASSERT_EQ(Dir(v), "Y:");
  Folder("empty");
  ListSite(Entry());
  v->OpenEntryAt(Index(v, "empty"));
  EXPECT_EQ(Dir(v), "Y:\\empty");
  EXPECT_EQ(Names(v), std::vector<std::string>{});
  EXPECT_NE(Title(), LoadText(IDS_FOLDER_OPEN_FAILED));
}

TEST_F(FtpPaneTest, LeavingTheSiteForDriveCClosesTheConnection) {
  MakeHome("ftp");
  File("remote.txt", "r");
  CFlistView* v = StartWithLocalList();
  ASSERT_NE(v, nullptr);
  ListSite(Entry());
  ASSERT_GT(Index(v, "remote.txt"), 0);
  ASSERT_TRUE(testsupport::WaitForLog("ftp", "[" + user + "] USER '" + user + "' logged in."));
  EXPECT_EQ(testsupport::CountInLog("ftp", "[" + user + "] FTP session closed"), 0);
  Command(ID_DRIVE_C);
  EXPECT_EQ(Dir(v).substr(0, 2), "C:");
  EXPECT_EQ(v->m_bFtpList, 0u);
  EXPECT_EQ(Index(v, "remote.txt"), -1);
  EXPECT_TRUE(testsupport::WaitForLog("ftp", "[" + user + "] FTP session closed"));
  EXPECT_EQ(doc->m_bFtpConnected, 0u);
}

// --- commands on the site ---------------------------------------------------

// The name input of new file and new folder: `typed` (nullptr: Cancel).
fw::hooks::DialogAnswer TypeName(const char* typed) {
  return [typed](CDialog& d) {
    if (!typed) return IDCANCEL;
    ::SetDlgItemTextA(d.m_hWnd, 1010, typed);
    return IDOK;
  };
}

TEST_F(FtpPaneTest, RenameOnTheSiteAndAnExistingNameRefused) {
  MakeHome("ftp");
  File("old.txt", "old");
  File("taken.txt", "taken");
  CFlistView* v = StartWithLocalList();
  ASSERT_NE(v, nullptr);
  ListSite(Entry());
  // The command renames the marked entry.
  v->ClearMarks(0);
  v->m_state.m_nCurEntry = Index(v, "old.txt");
  ASSERT_GT(v->m_state.m_nCurEntry, 0);
  v->m_table.m_pMarks[v->m_state.m_nCurEntry] = 1;
  std::string shown;
  fw::hooks::ExpectDialog(IDD_RENAME, [&](CDialog& d) {
    char buf[300] = {};
    ::GetDlgItemTextA(d.m_hWnd, IDC_RENAME_NAME, buf, sizeof buf);
    shown = buf;
    ::SetDlgItemTextA(d.m_hWnd, IDC_RENAME_NAME, "new.txt");
    return IDOK;
  });
  Command(ID_LIST_RENAME);
  EXPECT_EQ(shown, "old.txt");
  EXPECT_EQ(ReadBytesA(Pub("new.txt")), "old");
  EXPECT_FALSE(ExistsA(Pub("old.txt")));
  EXPECT_GT(Index(v, "new.txt"), 0);
  EXPECT_EQ(Index(v, "old.txt"), -1);

  // Onto a name the folder has: refused with 157, both files as they were.
  v->ClearMarks(0);
  v->m_state.m_nCurEntry = Index(v, "new.txt");
  v->m_table.m_pMarks[v->m_state.m_nCurEntry] = 1;
  fw::hooks::ExpectDialog(IDD_RENAME, [](CDialog& d) {
    ::SetDlgItemTextA(d.m_hWnd, IDC_RENAME_NAME, "taken.txt");
    return IDOK;
  });
  fw::hooks::ExpectMessageBox(LoadText(IDS_RENAME_FAILED).substr(0, 20), IDOK);
  Command(ID_LIST_RENAME);
  EXPECT_EQ(ReadBytesA(Pub("new.txt")), "old");
  EXPECT_EQ(ReadBytesA(Pub("taken.txt")), "taken");
  EXPECT_GT(Index(v, "new.txt"), 0);

  // A path as the new name would move the file out of the folder: refused.
  for (const char* path : {"../moved.txt", "..\\moved.txt"}) {
    v->ClearMarks(0);
    v->m_state.m_nCurEntry = Index(v, "new.txt");
    ASSERT_GT(v->m_state.m_nCurEntry, 0);
    v->m_table.m_pMarks[v->m_state.m_nCurEntry] = 1;
    fw::hooks::ExpectDialog(IDD_RENAME, [path](CDialog& d) {
      ::SetDlgItemTextA(d.m_hWnd, IDC_RENAME_NAME, path);
      return IDOK;
    });
    fw::hooks::ExpectMessageBox(LoadText(IDS_RENAME_FAILED).substr(0, 20), IDOK);
    Command(ID_LIST_RENAME);
    EXPECT_EQ(ReadBytesA(Pub("new.txt")), "old") << path;
    EXPECT_FALSE(ExistsA(home + "\\moved.txt")) << path;
  }
  EXPECT_EQ(FolderNames(home).size(), 2u);  // "pub" and "rootfile.txt"
}

TEST_F(FtpPaneTest, NewFileOnTheSiteAsksBeforeReplacingAndKeepsItsScratchInTmp) {
  MakeHome("ftp");
  File("keep.txt", "keep me");
  CFlistView* v = StartWithLocalList();
  ASSERT_NE(v, nullptr);
  ListSite(Entry());
  const std::string tmp = doc->m_strProgramDir.Str() + "\\TMP";
  v->m_state.m_nCurEntry = 0;

  // A new name: an empty server file, the scratch copy left in "\TMP".
  fw::hooks::ExpectDialog(135, TypeName("made.txt"));
  fw::hooks::ExpectMessageBox("", IDOK);  // the empty report, captioned 163
  Command(ID_LIST_NEW_FILE);
  EXPECT_TRUE(ExistsA(Pub("made.txt")));
  EXPECT_EQ(ReadBytesA(Pub("made.txt")), "");
  EXPECT_TRUE(ExistsA(tmp + "\\Dorvik_made.txt"));
  EXPECT_GT(Index(v, "made.txt"), 0);
  EXPECT_TRUE(testsupport::WaitForLog("ftp", "[" + user + "] STOR"));

  // An existing name asks 218; Cancel leaves the server's file as it was.
  const int stores = testsupport::CountInLog("ftp", "[" + user + "] STOR");
  v->m_state.m_nCurEntry = Index(v, "keep.txt");
  fw::hooks::ExpectDialog(135, TypeName("keep.txt"));
  fw::hooks::ExpectMessageBox("keep.txt は既に存在します", IDCANCEL);
  Command(ID_LIST_NEW_FILE);
  EXPECT_EQ(ReadBytesA(Pub("keep.txt")), "keep me");
  EXPECT_EQ(testsupport::CountInLog("ftp", "[" + user + "] STOR"), stores);
  // OK replaces it with an empty file.
  fw::hooks::ExpectDialog(135, TypeName("keep.txt"));
  fw::hooks::ExpectMessageBox("keep.txt", IDOK);
  fw::hooks::ExpectMessageBox("", IDOK);
  Command(ID_LIST_NEW_FILE);
  EXPECT_EQ(ReadBytesA(Pub("keep.txt")), "");

  // A typed path: nothing written outside "\TMP", nothing outside the folder.
  const std::vector<std::string> pubBefore = FolderNames(Pub());
  const std::vector<std::string> tmpBefore = FolderNames(tmp);
  fw::hooks::ExpectDialog(135, TypeName("..\\..\\x"));
  fw::hooks::ExpectMessageBox("", IDOK);
  Command(ID_LIST_NEW_FILE);
  for (const std::string& n : FolderNames(tmp)) {
    if (std::find(tmpBefore.begin(), tmpBefore.end(), n) == tmpBefore.end()) {
      EXPECT_EQ(n.compare(0, 7, "Dorvik_"), 0) << n;
    }
  }
  EXPECT_FALSE(ExistsA(doc->m_strProgramDir.Str() + "\\x"));
  EXPECT_FALSE(ExistsA(doc->m_strProgramDir.Str() + "\\..\\x"));
  EXPECT_FALSE(ExistsA(home + "\\x"));
  EXPECT_FALSE(ExistsA(testsupport::InetDir() + "\\ftp\\x"));
  for (const std::string& n : FolderNames(Pub())) EXPECT_EQ(n.find('\\'), std::string::npos) << n;
  EXPECT_EQ(FolderNames(Pub()).size(), pubBefore.size() + (ExistsA(Pub("x")) ? 1u : 0u));
}

TEST_F(FtpPaneTest, NewFolderOnTheSite) {
  MakeHome("ftp");
  File("a.txt", "a");
  CFlistView* v = StartWithLocalList();
  ASSERT_NE(v, nullptr);
  ListSite(Entry());
  v->m_state.m_nCurEntry = Index(v, "a.txt");
  fw::hooks::ExpectDialog(135, TypeName("newdir"));
  Command(ID_LIST_NEW_FOLDER);
  EXPECT_TRUE(IsFolderA(Pub("newdir")));
  EXPECT_GT(Index(v, "newdir"), 0);
  EXPECT_EQ(Size(v, Index(v, "newdir")), flist::kSizeFolder);
  EXPECT_EQ(Name(v, v->m_state.m_nCurEntry), "newdir");
  EXPECT_EQ(Dir(v), "Y:");
}

TEST_F(FtpPaneTest, DeleteOfTwoMarkedFilesAndAFolderWithItsQuestions) {
  MakeHome("ftp");
  File("a.txt", "a");
  File("b.txt", "b");
  File("c.txt", "c");
  Folder("full");
  Folder("full\\sub");
  File("full\\in.txt", "in");
  File("full\\sub\\deep.txt", "deep");
  CFlistView* v = StartWithLocalList();
  ASSERT_NE(v, nullptr);
  ListSite(Entry());
  v->ClearMarks(0);
  for (const char* n : {"a.txt", "b.txt", "full"}) {
    const int i = Index(v, n);
    ASSERT_GT(i, 0) << n;
    v->m_table.m_pMarks[i] = 1;
  }
  v->m_state.m_nCurEntry = Index(v, "a.txt");
  fw::hooks::ExpectMessageBox("3ヶの選択ファイルを一括消去しますか？", IDYES);
  fw::hooks::ExpectMessageBox("フォルダ full 内のファイルを", IDYES);
  Command(ID_LIST_DELETE);
  EXPECT_EQ(fw::hooks::MessageBoxTexts().size(), 2u);
  EXPECT_FALSE(ExistsA(Pub("a.txt")));
  EXPECT_FALSE(ExistsA(Pub("b.txt")));
  EXPECT_FALSE(ExistsA(Pub("full")));
  EXPECT_EQ(ReadBytesA(Pub("c.txt")), "c");
  EXPECT_EQ(ReadBytesA(home + "\\rootfile.txt"), "root");
  EXPECT_GT(Index(v, "<Deleted> : a.txt"), 0);
  EXPECT_GT(Index(v, "<Deleted> : b.txt"), 0);
  EXPECT_GT(Index(v, "[Deleted] : full"), 0);

  // No to the count question asks for each; Cancel keeps the file.
  v->ClearMarks(0);
  v->m_table.m_pMarks[Index(v, "c.txt")] = 1;
  v->m_state.m_nCurEntry = Index(v, "c.txt");
  fw::hooks::ExpectMessageBox("c.txt を消去しますか？", IDCANCEL);
  Command(ID_LIST_DELETE);
  EXPECT_EQ(ReadBytesA(Pub("c.txt")), "c");
}

TEST_F(FtpPaneTest, JapaneseNamesAreRenamedMadeAndDeletedOnTheShiftJisServer) {
  MakeHome("ftp932");
  Folder(kSofuto);
  File(kSofuto + "\\" + kHyoTxt, "inner");
  File(kHyoTxt, "hyo");
  CFlistView* v = StartWithLocalList();
  ASSERT_NE(v, nullptr);
  ListSite(Entry());
  // "表.txt" renamed "ソ表.txt".
  const std::string renamed = "\x83\x5C" + kHyoTxt;
  v->ClearMarks(0);
  v->m_state.m_nCurEntry = Index(v, kHyoTxt);
  ASSERT_GT(v->m_state.m_nCurEntry, 0);
  v->m_table.m_pMarks[v->m_state.m_nCurEntry] = 1;
  fw::hooks::ExpectDialog(IDD_RENAME, [&](CDialog& d) {
    ::SetDlgItemTextA(d.m_hWnd, IDC_RENAME_NAME, renamed.c_str());
    return IDOK;
  });
  Command(ID_LIST_RENAME);
  EXPECT_EQ(ReadBytesA(Pub(renamed)), "hyo");
  EXPECT_FALSE(ExistsA(Pub(kHyoTxt)));
  // A folder "表" (its last byte 0x5C) made, entered and left.
  v->m_state.m_nCurEntry = 0;
  fw::hooks::ExpectDialog(135, TypeName("\x95\x5C"));
  Command(ID_LIST_NEW_FOLDER);
  EXPECT_TRUE(IsFolderA(Pub("\x95\x5C")));
  // "ソフト" with its file deleted.
  v->ClearMarks(0);
  v->m_state.m_nCurEntry = Index(v, kSofuto);
  ASSERT_GT(v->m_state.m_nCurEntry, 0);
  v->m_table.m_pMarks[v->m_state.m_nCurEntry] = 1;
  fw::hooks::ExpectMessageBox(kSofuto + " を消去しますか？", IDOK);
  fw::hooks::ExpectMessageBox("フォルダ " + kSofuto + " 内のファイルを", IDYES);
  Command(ID_LIST_DELETE);
  EXPECT_FALSE(ExistsA(Pub(kSofuto)));
  EXPECT_GT(Index(v, "[Deleted] : " + kSofuto), 0);
  EXPECT_EQ(ReadBytesA(Pub(renamed)), "hyo");
  EXPECT_TRUE(IsFolderA(Pub("\x95\x5C")));
}

TEST_F(FtpPaneTest, DeletingAFolderWhoseListingNamesPathsTouchesNothingOutsideIt) {
  MakeHome("ftp");
  Folder("hostile");
  File("hostile\\f.txt", "f");
  // The server lists names that lead out of the folder.
  File("hostile\\.listextra", "..\\victim.txt\n../victim.txt\n..\\..\\rootfile.txt\n..\n");
  File("victim.txt", "v");
  CFlistView* v = StartWithLocalList();
  ASSERT_NE(v, nullptr);
  ListSite(Entry());
  v->ClearMarks(0);
  v->m_state.m_nCurEntry = Index(v, "hostile");
  ASSERT_GT(v->m_state.m_nCurEntry, 0);
  v->m_table.m_pMarks[v->m_state.m_nCurEntry] = 1;
  fw::hooks::ExpectMessageBox("hostile を消去しますか？", IDOK);
  fw::hooks::ExpectMessageBox("フォルダ hostile 内のファイルを", IDYES);
  Command(ID_LIST_DELETE);
  // Its real file went; the folder stays (the server still holds what it
  // listed under those names) and its line says nothing went.
  EXPECT_FALSE(ExistsA(Pub("hostile\\f.txt")));
  EXPECT_TRUE(IsFolderA(Pub("hostile")));
  EXPECT_GT(Index(v, "hostile"), 0);
  EXPECT_EQ(ReadBytesA(Pub("victim.txt")), "v");
  EXPECT_EQ(ReadBytesA(home + "\\rootfile.txt"), "root");
  EXPECT_EQ(testsupport::CountInLog("ftp", "victim"), 0);
}

TEST_F(FtpPaneTest, DeletingARefusedFolderLeavesTheSiteAsItWas) {
  MakeHome("ftp");
  Folder("lockedbox");
  File("lockedbox\\secret.txt", "s");
  File("pubfile.txt", "p");
  CFlistView* v = StartWithLocalList();
  ASSERT_NE(v, nullptr);
  ListSite(Entry());
  v->ClearMarks(0);
  v->m_state.m_nCurEntry = Index(v, "lockedbox");
  ASSERT_GT(v->m_state.m_nCurEntry, 0);
  v->m_table.m_pMarks[v->m_state.m_nCurEntry] = 1;
  fw::hooks::ExpectMessageBox("lockedbox を消去しますか？", IDOK);
  fw::hooks::ExpectMessageBox("フォルダ lockedbox 内のファイルを", IDYES);
  fw::hooks::ExpectMessageBox("", IDOK);  // what could not go
  Command(ID_LIST_DELETE);
  EXPECT_EQ(ReadBytesA(Pub("lockedbox\\secret.txt")), "s");
  EXPECT_EQ(ReadBytesA(Pub("pubfile.txt")), "p");
  EXPECT_EQ(ReadBytesA(home + "\\rootfile.txt"), "root");
  EXPECT_EQ(Index(v, "[Deleted] : lockedbox"), -1);
}

}  // namespace
