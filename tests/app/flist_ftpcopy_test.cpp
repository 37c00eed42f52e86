// Copy with an FTP side in the running program, against the test servers
// (CTest fixture "inet"): downloads and uploads with the list's times, from
// one site folder to another through the scratch file, a site folder tree
// into a local folder, Ctrl+copy of a site folder, the overwrite questions
// of an upload, a connection cut in the middle of a transfer, the move
// refused with an FTP side, names the system refuses, and UTF-8 names
// arriving in Shift-JIS. Each test logs in under a user of its own and
// looks at the server's files behind the server.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "app/dvkdoc.h"
#include "filelist/flistcore/entries.h"
#include "filelist/flistview.h"
#include "fw/shellexec.h"
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

// Sets a file's modification time (seconds since 1970, UTC).
void SetTime(const std::string& path, std::int64_t t) { ASSERT_TRUE(testsupport::SetTimeA(path, t)) << path; }

// Every file and folder below `dir` by relative path: the bytes of a file,
// "<dir>" for a folder (what diff -r compares).
void ReadTree(const std::string& dir, const std::string& rel, std::map<std::string, std::string>* out) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    const std::string n = fd.cFileName;
    if (n == "." || n == "..") continue;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      (*out)[rel + n] = "<dir>";
      ReadTree(dir + "\\" + n, rel + n + "\\", out);
    } else {
      (*out)[rel + n] = ReadBytesA(dir + "\\" + n);
    }
  } while (FindNextFileA(h, &fd));
  FindClose(h);
}

std::map<std::string, std::string> Tree(const std::string& dir) {
  std::map<std::string, std::string> out;
  ReadTree(dir, "", &out);
  return out;
}

// The names of a tree with the sizes of its files (what a failure shows).
std::string Listing(const std::map<std::string, std::string>& tree) {
  std::string s;
  for (const auto& kv : tree) s += kv.first + " " + std::to_string(kv.second.size()) + "\n";
  return s;
}

// The names of a folder with the upload temporaries (".*.~copy").
std::vector<std::string> Temporaries(const std::string& dir) {
  std::vector<std::string> out;
  for (const auto& kv : Tree(dir))
    if (kv.first.find(".~copy") != std::string::npos) out.push_back(kv.first);
  return out;
}

class FtpCopyTest : public shelltest::ShellTest {
 protected:
  void SetUp() override {
    shelltest::ShellTest::SetUp();
    REQUIRE_INET_SERVERS();
    user = std::string("copy_") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
  }
  void MakeHome(const char* server = "ftp", const std::string& prefix = "") {
    this->server = server;
    user = prefix + user;
    home = testsupport::FtpHome(server, user, {"pub"});
  }
  std::string Pub(const std::string& rel = "") const { return home + "\\pub" + (rel.empty() ? "" : "\\" + rel); }
  void Folder(const std::string& rel) { CreateDirectoryA(Pub(rel).c_str(), nullptr); }
  void File(const std::string& rel, const std::string& bytes) { WriteBytesA(Pub(rel), bytes); }
  // Site 2 ("Y:") on the user's "/pub"; flag digit 2: the server's times as listed.
  std::string Entry() const {
    return "Y:~2site~/127.0.0.1:" + std::to_string(testsupport::ServerPort(server)) + ";BASE=/pub;USER=" + user +
           ";PWRD=p";
  }
  // Starts with side 1 (the left pane) on `left` and side 2 on `right`;
  // either may be a site path ("Y:", "Y:\\dst").
  bool ShowPanes(const std::string& left, const std::string& right) {
    if (!Start("")) return false;
    local = doc->m_strProgramDir.Str() + "\\loc";
    CreateDirectoryA(local.c_str(), nullptr);
    doc->m_strFtpEntry[1] = Entry().c_str();
    doc->m_nActiveSide = 2;
    frame->ShowFolderInList(Resolve(right).c_str());
    doc->m_nActiveSide = 1;
    frame->ShowFolderInList(Resolve(left).c_str());
    return true;
  }
  void ShowRight(const std::string& path) {
    doc->m_nActiveSide = 2;
    frame->ShowFolderInList(path.c_str());
  }
  std::string Resolve(const std::string& p) const { return p == "local" ? local : p; }
  CFlistView* Pane(int col) { return frame->GetListPane(0, col); }
  static std::string Name(CFlistView* v, int i) { return flist::GetNameRecord(v->m_table.m_pNameRecs, i); }
  static int Index(CFlistView* v, const std::string& name) {
    for (int i = 1; i < v->m_table.m_nEntryCount; ++i)
      if (Name(v, i) == name) return i;
    return -1;
  }
  void Mark(CFlistView* v, const std::vector<std::string>& names) {
    v->ClearMarks(0);
    bool first = true;
    for (const std::string& n : names) {
      const int i = Index(v, n);
      ASSERT_GT(i, 0) << n << " in " << v->m_strCurDir.Str();
      v->m_table.m_pMarks[i] = 1;
      if (first) v->m_state.m_nCurEntry = i;
      first = false;
    }
  }
  // The command on side `side` (1 left, 2 right).
  void Command(UINT id, int side = 1) {
    frame->ActivateListPane(0, side - 1);
    doc->m_nActiveSide = side;
    frame->SendMessage(WM_COMMAND, id, 0);
  }
  static std::string Texts() {
    std::string all;
    for (const std::string& t : fw::hooks::MessageBoxTexts()) all += t + "\n---\n";
    return all;
  }

  std::string user, home, local;
  const char* server = "ftp";
};

// --- downloads and uploads ----------------------------------------------------

TEST_F(FtpCopyTest, DownloadsArriveWholeWithTheTimesTheListShowsAndAskBeforeReplacing) {
  MakeHome();
  File("a.txt", "alpha\r\n");
  File("b.bin", testsupport::PatternBytes(150000, 3));
  const std::int64_t recent = (time(nullptr) / 60 - 3 * 24 * 60) * 60;  // three days ago, whole minute
  SetTime(Pub("a.txt"), recent);
  SetTime(Pub("b.bin"), recent - 3600);
  ASSERT_TRUE(ShowPanes("Y:", "local"));
  CFlistView* v = Pane(0);
  ASSERT_EQ(v->m_bFtpList, 1u);
  Mark(v, {"a.txt", "b.bin"});
  fw::hooks::ExpectMessageBox("2ヶの選択ファイルを", IDOK);
  Command(ID_LIST_COPY);
  EXPECT_TRUE(fw::hooks::Unexpected().empty()) << Texts();
  EXPECT_EQ(ReadBytesA(local + "\\a.txt"), "alpha\r\n");
  EXPECT_TRUE(ReadBytesA(local + "\\b.bin") == testsupport::PatternBytes(150000, 3));
  // The times the list showed (to the minute), in the local files.
  Mark(v, {});
  for (const char* n : {"a.txt", "b.bin"}) {
    const int i = Index(v, n);
    ASSERT_GT(i, 0) << n;
    EXPECT_EQ(testsupport::TimeOfA(local + "\\" + n), static_cast<std::int64_t>(v->m_table.m_pEntryVal3[i])) << n;
  }
  EXPECT_EQ(testsupport::TimeOfA(local + "\\a.txt"), recent);
  EXPECT_TRUE(Temporaries(local).empty());
  // The server kept its files.
  EXPECT_EQ(ReadBytesA(Pub("a.txt")), "alpha\r\n");

  // Again onto the local copy: the file's own question; the listed time
  // equals the local one, so Yes copies without the older-file question.
  File("a.txt", "changed on the server");
  SetTime(Pub("a.txt"), recent);
  fw::hooks::Reset();
  Mark(v, {"a.txt"});
  fw::hooks::ExpectMessageBox("に複写します", IDOK);
  fw::hooks::ExpectMessageBox("を書き換えますか", IDYES);
  Command(ID_LIST_COPY);
  EXPECT_TRUE(fw::hooks::Unexpected().empty()) << Texts();
  EXPECT_EQ(Texts().find("古いファイル"), std::string::npos) << Texts();
  EXPECT_EQ(ReadBytesA(local + "\\a.txt"), "changed on the server");
  EXPECT_EQ(testsupport::TimeOfA(local + "\\a.txt"), recent);
  // No keeps the local file as it is.
  File("a.txt", "third");
  SetTime(Pub("a.txt"), recent);
  fw::hooks::Reset();
  Mark(v, {"a.txt"});
  fw::hooks::ExpectMessageBox("に複写します", IDOK);
  fw::hooks::ExpectMessageBox("を書き換えますか", IDNO);
  Command(ID_LIST_COPY);
  EXPECT_EQ(ReadBytesA(local + "\\a.txt"), "changed on the server");
  EXPECT_TRUE(Temporaries(local).empty());
}

TEST_F(FtpCopyTest, AnUploadKeepsTheTimeAndAsksBeforeReplacingAServerFileAndNoLeavesIt) {
  MakeHome();
  File("keep.txt", "server's own");
  SetTime(Pub("keep.txt"), 1000000000);  // 2001: older than the local file
  ASSERT_TRUE(ShowPanes("Y:", "local"));
  WriteBytesA(local + "\\keep.txt", "local version");
  WriteBytesA(local + "\\up.txt", testsupport::PatternBytes(90000, 5));
  SetTime(local + "\\up.txt", (time(nullptr) / 60 - 5 * 24 * 60) * 60 + 17);
  ShowRight(local);  // side 2 lists the new files
  CFlistView* right = Pane(1);
  Mark(right, {"keep.txt", "up.txt"});
  // Two entries: the count question, then for the existing name the
  // overwrite-all question (No) and the file's own question (No).
  fw::hooks::ExpectMessageBox("2ヶの選択ファイルを", IDOK);
  fw::hooks::ExpectMessageBox("全て上書きしますか", IDNO);
  fw::hooks::ExpectMessageBox("を書き換えますか", IDNO);
  Command(ID_LIST_COPY, 2);
  EXPECT_TRUE(fw::hooks::Unused().empty()) << Texts();
  EXPECT_TRUE(fw::hooks::Unexpected().empty()) << Texts();
  EXPECT_EQ(ReadBytesA(Pub("keep.txt")), "server's own");
  EXPECT_TRUE(ReadBytesA(Pub("up.txt")) == testsupport::PatternBytes(90000, 5));
  EXPECT_TRUE(Temporaries(Pub()).empty());
  // The server file has the local file's time (the list shows it).
  EXPECT_EQ(testsupport::TimeOfA(Pub("up.txt")), testsupport::TimeOfA(local + "\\up.txt"));
  // The upload went to a temporary name and was renamed over the target.
  EXPECT_TRUE(testsupport::WaitForLog("ftp", "[" + user + "] STOR"));
  EXPECT_GE(testsupport::CountInLog("ftp", "RNTO"), 1);

  // Yes replaces it; the server's time (read by the lookup) is older, so no
  // older-file question comes.
  fw::hooks::Reset();
  Mark(right, {"keep.txt"});
  fw::hooks::ExpectMessageBox("に複写します", IDOK);
  fw::hooks::ExpectMessageBox("を書き換えますか", IDYES);
  Command(ID_LIST_COPY, 2);
  EXPECT_TRUE(fw::hooks::Unexpected().empty()) << Texts();
  EXPECT_EQ(Texts().find("古いファイル"), std::string::npos) << Texts();
  EXPECT_EQ(ReadBytesA(Pub("keep.txt")), "local version");
  EXPECT_TRUE(Temporaries(Pub()).empty());

  // A server file newer than the local one: after Yes the older-file
  // question (with the server's time from the lookup); No keeps it.
  File("keep.txt", "newer on the server");
  SetTime(Pub("keep.txt"), time(nullptr) - 3600);
  SetTime(local + "\\keep.txt", time(nullptr) - 30 * 86400);
  fw::hooks::Reset();
  Mark(right, {"keep.txt"});
  fw::hooks::ExpectMessageBox("に複写します", IDOK);
  fw::hooks::ExpectMessageBox("を書き換えますか", IDYES);
  fw::hooks::ExpectMessageBox("古いファイルに置き換えようとしていますがよろしいですか", IDNO);
  Command(ID_LIST_COPY, 2);
  EXPECT_TRUE(fw::hooks::Unexpected().empty()) << Texts();
  EXPECT_TRUE(fw::hooks::Unused().empty()) << Texts();
  EXPECT_EQ(Texts().find("日時不明"), std::string::npos) << Texts();
  EXPECT_EQ(ReadBytesA(Pub("keep.txt")), "newer on the server");
}

TEST_F(FtpCopyTest, AFileGoesFromOneSiteFolderToAnotherThroughTheScratchFile) {
  MakeHome();
  Folder("dst");
  File("f.bin", testsupport::PatternBytes(70000, 7));
  ASSERT_TRUE(ShowPanes("Y:", "Y:\\dst"));
  ASSERT_EQ(Pane(1)->m_bFtpList, 1u);
  CFlistView* v = Pane(0);
  Mark(v, {"f.bin"});
  fw::hooks::ExpectMessageBox("に複写します", IDOK);
  Command(ID_LIST_COPY);
  EXPECT_TRUE(fw::hooks::Unexpected().empty()) << Texts();
  EXPECT_TRUE(ReadBytesA(Pub("dst\\f.bin")) == testsupport::PatternBytes(70000, 7));
  EXPECT_TRUE(ReadBytesA(Pub("f.bin")) == testsupport::PatternBytes(70000, 7));
  EXPECT_TRUE(Temporaries(Pub()).empty());
  // It went through "\TMP\DorvikTmp.tmp" (retrieved once, stored once).
  EXPECT_TRUE(testsupport::WaitForLog("ftp", "[" + user + "] RETR"));
  EXPECT_EQ(testsupport::CountInLog("ftp", "[" + user + "] RETR"), 1);
  EXPECT_FALSE(ExistsA(doc->m_strProgramDir.Str() + "\\TMP\\DorvikTmp.tmp"));
}

// --- folder trees -------------------------------------------------------------

TEST_F(FtpCopyTest, ASiteFolderWithThreeSubFoldersArrivesEqualAndCtrlCopyLeavesTheServerAsItWas) {
  MakeHome();
  Folder("tree");
  for (const char* d : {"tree\\s1", "tree\\s2", "tree\\s3", "tree\\s2\\deep"}) Folder(d);
  File("tree\\top.txt", "top");
  File("tree\\s1\\one.txt", "one");
  File("tree\\s2\\two.bin", testsupport::PatternBytes(80000, 2));
  File("tree\\s2\\deep\\three.txt", "three");
  File("tree\\s3\\named.txt", "named");
  const std::int64_t recent = (time(nullptr) / 60 - 2 * 24 * 60) * 60;
  SetTime(Pub("tree\\top.txt"), recent);
  SetTime(Pub("tree\\s2\\deep\\three.txt"), recent - 600);
  const std::map<std::string, std::string> server = Tree(Pub("tree"));
  ASSERT_TRUE(ShowPanes("Y:", "local"));
  CFlistView* v = Pane(0);
  Mark(v, {"tree"});
  fw::hooks::ExpectMessageBox("に複写します", IDOK);
  Command(ID_LIST_COPY);
  EXPECT_TRUE(fw::hooks::Unexpected().empty()) << Texts();
  EXPECT_TRUE(Tree(local + "\\tree") == server) << Listing(Tree(local + "\\tree")) << "--\n" << Listing(server);
  // The listed times are the local files' times.
  EXPECT_EQ(testsupport::TimeOfA(local + "\\tree\\top.txt"), recent);
  EXPECT_EQ(testsupport::TimeOfA(local + "\\tree\\s2\\deep\\three.txt"), recent - 600);

  // Ctrl+copy (the copy keeping folder dates) of a site folder copies it and
  // never removes a server file; no outside copier is started for it.
  const std::string otherLocal = local + "2";
  CreateDirectoryA(otherLocal.c_str(), nullptr);
  ShowRight(otherLocal);
  fw::hooks::Reset();
  const std::string shellBefore = fw::LastShellRequest().file.Str();
  Mark(v, {"tree"});
  v->m_bCtrlDown = 1;
  fw::hooks::ExpectMessageBox("(+CTRL : hold date/time of folders)", IDOK);
  Command(ID_LIST_COPY);
  EXPECT_TRUE(fw::hooks::Unexpected().empty()) << Texts();
  EXPECT_TRUE(Tree(Pub("tree")) == server) << Listing(Tree(Pub("tree")));
  EXPECT_TRUE(Tree(otherLocal + "\\tree") == server) << Listing(Tree(otherLocal + "\\tree"));
  EXPECT_EQ(fw::LastShellRequest().file.Str(), shellBefore);
  EXPECT_EQ(testsupport::CountInLog("ftp", "[" + user + "] DELE"), 0);
}

TEST_F(FtpCopyTest, CtrlCopyOfALocalFolderOntoTheSiteUploadsItsTree) {
  MakeHome();
  ASSERT_TRUE(ShowPanes("Y:", "local"));
  const std::string tree = local + "\\up";
  CreateDirectoryA(tree.c_str(), nullptr);
  CreateDirectoryA((tree + "\\sub").c_str(), nullptr);
  WriteBytesA(tree + "\\a.txt", "a");
  WriteBytesA(tree + "\\sub\\b.bin", testsupport::PatternBytes(20000, 4));
  ShowRight(local);
  const std::string shellBefore = fw::LastShellRequest().file.Str();
  CFlistView* right = Pane(1);
  Mark(right, {"up"});
  right->m_bCtrlDown = 1;
  fw::hooks::ExpectMessageBox("(+CTRL : hold date/time of folders)", IDOK);
  Command(ID_LIST_COPY, 2);
  EXPECT_TRUE(fw::hooks::Unexpected().empty()) << Texts();
  // No outside copier (it cannot reach the site): the tree went up.
  EXPECT_EQ(fw::LastShellRequest().file.Str(), shellBefore);
  EXPECT_TRUE(Tree(Pub("up")) == Tree(tree)) << Listing(Tree(Pub("up")));
  EXPECT_TRUE(Temporaries(Pub()).empty());
}

// --- broken transfers ---------------------------------------------------------

TEST_F(FtpCopyTest, AConnectionCutAfter64KBLeavesTheServersFileAndNoLocalFile) {
  // Uploads of this user are cut after 64 KB.
  MakeHome("ftp", "dropper_");
  const std::string old = testsupport::PatternBytes(5000, 9);
  File("big.bin", old);
  SetTime(Pub("big.bin"), 1000000000);
  // Downloads of a "broken" file send half of it, then reset the connection.
  File("broken.bin", testsupport::PatternBytes(300000, 8));
  ASSERT_TRUE(ShowPanes("Y:", "local"));
  WriteBytesA(local + "\\big.bin", testsupport::PatternBytes(400000, 1));
  ShowRight(local);
  CFlistView* right = Pane(1);
  Mark(right, {"big.bin"});
  fw::hooks::ExpectMessageBox("に複写します", IDOK);
  fw::hooks::ExpectMessageBox("を書き換えますか", IDYES);
  fw::hooks::ExpectMessageBox("に複写/移動出来ません", IDOK);
  Command(ID_LIST_COPY, 2);
  EXPECT_TRUE(fw::hooks::Unexpected().empty()) << Texts();
  EXPECT_TRUE(ReadBytesA(Pub("big.bin")) == old) << "the server's file is byte-identical";
  EXPECT_TRUE(Temporaries(Pub()).empty());

  // The download of a file whose connection breaks: no local file at all.
  fw::hooks::Reset();
  CFlistView* left = Pane(0);
  Mark(left, {"broken.bin"});
  fw::hooks::ExpectMessageBox("に複写します", IDOK);
  fw::hooks::ExpectMessageBox("に複写/移動出来ません", IDOK);
  Command(ID_LIST_COPY);
  EXPECT_TRUE(fw::hooks::Unexpected().empty()) << Texts();
  EXPECT_FALSE(ExistsA(local + "\\broken.bin"));
  EXPECT_TRUE(Temporaries(local).empty());
}

TEST_F(FtpCopyTest, EscDuringAnUploadBreaksItOffAndTheServerKeepsItsFile) {
  MakeHome();
  const std::string old = testsupport::PatternBytes(5000, 3);
  File("big.bin", old);
  SetTime(Pub("big.bin"), 1000000000);
  ASSERT_TRUE(ShowPanes("Y:", "local"));
  const std::string big = testsupport::PatternBytes(4u << 20, 4);
  WriteBytesA(local + "\\big.bin", big);
  ShowRight(local);
  CFlistView* right = Pane(1);
  Mark(right, {"big.bin"});
  // Esc goes in with the answer to the overwrite question. The poll before
  // the copy asks twice: the frame's poll takes the key (No, and Esc again),
  // the look at the queue leaves it there (No). The upload's first poll
  // (after 100 pieces) finds that one and asks; Yes stops it.
  fw::hooks::ExpectMessageBox("に複写します", IDOK);
  fw::hooks::ExpectMessageBox("を書き換えますか", [&]() {
    PostMessageA(right->m_hWnd, WM_KEYDOWN, VK_ESCAPE, 1);
    return IDYES;
  });
  fw::hooks::ExpectMessageBox("中止しますか", [&]() {
    PostMessageA(right->m_hWnd, WM_KEYDOWN, VK_ESCAPE, 1);
    return IDNO;
  });
  fw::hooks::ExpectMessageBox("中止しますか", IDNO);
  fw::hooks::ExpectMessageBox("中止しますか", IDYES);
  Command(ID_LIST_COPY, 2);
  EXPECT_TRUE(fw::hooks::Unused().empty()) << Texts();
  EXPECT_TRUE(fw::hooks::Unexpected().empty()) << Texts();
  EXPECT_EQ(1u, right->m_copy.m_bCopyAbort);
  EXPECT_TRUE(ReadBytesA(Pub("big.bin")) == old) << "the server's file is byte-identical";
  EXPECT_TRUE(Temporaries(Pub()).empty());
  // The transfer had begun: the server got the 99 pieces before the poll
  // (811,008 bytes), then the temporary was deleted; nothing renamed.
  EXPECT_TRUE(testsupport::WaitForLog("ftp", "/" + user + "/pub/.big.bin.~copy completed=1 bytes=811008"));
  EXPECT_TRUE(testsupport::WaitForLog("ftp", "[" + user + "] DELE"));
  EXPECT_EQ(testsupport::CountInLog("ftp", "[" + user + "] RNTO"), 0);

  // Without Esc the 4 MB arrive whole.
  fw::hooks::Reset();
  MSG m;
  while (PeekMessageA(&m, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE)) {
  }
  right->m_copy.m_bCopyAbort = 0;
  Mark(right, {"big.bin"});
  fw::hooks::ExpectMessageBox("に複写します", IDOK);
  fw::hooks::ExpectMessageBox("を書き換えますか", IDYES);
  Command(ID_LIST_COPY, 2);
  EXPECT_TRUE(fw::hooks::Unexpected().empty()) << Texts();
  EXPECT_TRUE(ReadBytesA(Pub("big.bin")) == big);
  EXPECT_TRUE(Temporaries(Pub()).empty());
}

TEST_F(FtpCopyTest, AServerThatNeverRenamesOntoANameStillGetsTheReplacement) {
  MakeHome("ftp", "norepl_");
  File("r.txt", "old");
  SetTime(Pub("r.txt"), 1000000000);
  ASSERT_TRUE(ShowPanes("Y:", "local"));
  WriteBytesA(local + "\\r.txt", "new");
  ShowRight(local);
  Mark(Pane(1), {"r.txt"});
  fw::hooks::ExpectMessageBox("に複写します", IDOK);
  fw::hooks::ExpectMessageBox("を書き換えますか", IDYES);
  Command(ID_LIST_COPY, 2);
  EXPECT_TRUE(fw::hooks::Unexpected().empty()) << Texts();
  EXPECT_EQ(ReadBytesA(Pub("r.txt")), "new");
  EXPECT_TRUE(Temporaries(Pub()).empty());
}

// --- refusals -----------------------------------------------------------------

TEST_F(FtpCopyTest, AMoveWithAnFtpSideIsRefused) {
  MakeHome();
  File("m.txt", "stay");
  ASSERT_TRUE(ShowPanes("Y:", "local"));
  Mark(Pane(0), {"m.txt"});
  fw::hooks::ExpectMessageBox("FTPとのファイル移動はできません。ファイル複写を使用して下さい。", IDOK);
  Command(ID_LIST_MOVE);
  EXPECT_TRUE(fw::hooks::Unexpected().empty()) << Texts();
  EXPECT_EQ(fw::hooks::MessageBoxTexts().size(), 1u);
  EXPECT_EQ(ReadBytesA(Pub("m.txt")), "stay");
  EXPECT_FALSE(ExistsA(local + "\\m.txt"));
  // From the local side onto the site: the same.
  WriteBytesA(local + "\\l.txt", "local");
  ShowRight(local);
  fw::hooks::Reset();
  Mark(Pane(1), {"l.txt"});
  fw::hooks::ExpectMessageBox("FTPとのファイル移動はできません", IDOK);
  Command(ID_LIST_MOVE, 2);
  EXPECT_EQ(ReadBytesA(local + "\\l.txt"), "local");
  EXPECT_FALSE(ExistsA(Pub("l.txt")));
}

TEST_F(FtpCopyTest, NamesTheSystemRefusesAreReportedAndTheCopyGoesOn) {
  MakeHome();
  Folder("odd");
  File("odd\\fine.txt", "fine");
  // Names a Windows file system cannot take, listed by the server.
  File("odd\\.listextra", "con.txt\na:b.txt\nx?.txt\n");
  ASSERT_TRUE(ShowPanes("Y:", "local"));
  Mark(Pane(0), {"odd"});
  fw::hooks::ExpectMessageBox("に複写します", IDOK);
  for (int i = 0; i < 3; ++i) fw::hooks::ExpectMessageBox("に複写/移動出来ません (123)", IDOK);
  Command(ID_LIST_COPY);
  EXPECT_TRUE(fw::hooks::Unexpected().empty()) << Texts();
  const std::string texts = Texts();
  for (const char* n : {"con.txt", "a:b.txt", "x?.txt"})
    EXPECT_NE(texts.find(local + "\\odd\\" + n + " に複写/移動出来ません (123)"), std::string::npos) << n << texts;
  EXPECT_EQ(ReadBytesA(local + "\\odd\\fine.txt"), "fine");
  EXPECT_EQ(Tree(local + "\\odd").size(), 1u);
  EXPECT_EQ(testsupport::CountInLog("ftp", "con.txt"), 0) << "nothing of it was fetched";
}

TEST_F(FtpCopyTest, WithUtf8NamesAServersUtf8NameArrivesInShiftJis) {
  MakeHome();
  Folder("u");
  // "あx.txt" on the server's disk: UTF-8 E3 81 82 78 2E 74 78 74. (Read as
  // code page 932 these bytes are whole characters, so the connection
  // passes them through unchanged.)
  const std::string pubU = Pub("u");
  int n = MultiByteToWideChar(932, 0, pubU.c_str(), -1, nullptr, 0);
  std::wstring w(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(932, 0, pubU.c_str(), -1, &w[0], n);
  w.resize(static_cast<std::size_t>(n - 1));
  w += L"\\\x3042x.txt";
  HANDLE h = CreateFileW(w.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(h, "utf", 3, &written, nullptr);
  CloseHandle(h);
  ASSERT_TRUE(ShowPanes("Y:", "local"));
  doc->m_bUtf8Names = 1;
  Mark(Pane(0), {"u"});
  fw::hooks::ExpectMessageBox("に複写します", IDOK);
  Command(ID_LIST_COPY);
  EXPECT_TRUE(fw::hooks::Unexpected().empty()) << Texts();
  // printf 'あx.txt' | iconv -f UTF-8 -t CP932 gives 82 A0 78 2E 74 78 74.
  EXPECT_EQ(ReadBytesA(local + "\\u\\\x82\xA0x.txt"), "utf");
  std::map<std::string, std::string> got = Tree(local + "\\u");
  ASSERT_EQ(got.size(), 1u) << Listing(got);
  EXPECT_EQ(got.begin()->first, "\x82\xA0x.txt");
}

}  // namespace
