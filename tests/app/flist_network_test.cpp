// The Windows network in a list pane of the running program, over a
// scripted network (Wine has no network provider): "NW:" (the command and
// the drive-list row), a server, a share listed as its UNC folder (the
// test's folder host puts UNC paths on folders of its own), back with Back
// and with the path line, sixty levels down (the stack stops at 49), the
// logins (an entry's login without a question, dialog 172 with OK and with
// Cancel), and the network-drive and FTP rows of the drive list.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/fileops/folderhost.h"
#include "filelist/flistcore/entries.h"
#include "filelist/flistcore/netlevel.h"
#include "filelist/flistview.h"
#include "filelist/net_host_win.h"
#include "fw/cmdui.h"
#include "fw/file.h"
#include "fw/path.h"
#include "fw/uihooks.h"
#include "res/resource.h"
#include "shell_fixture.h"

namespace {

using flist::NetResource;

NetResource Res(const std::string& remote, std::uint32_t usage = flist::kNetUsageContainer) {
  NetResource r;
  r.scope = flist::kNetScopeGlobal;
  r.remoteName = remote;
  r.provider = "Scripted Network";
  r.usage = usage;
  return r;
}

// A network of named nodes ("" is the root): a node answers its queued
// opening and connection codes, then 0; a name without a node is no
// container (8). Every call is logged.
class ScriptedNetwork : public flist::NetworkHost {
 public:
  struct Node {
    std::deque<std::uint32_t> opens, connects;
    std::vector<NetResource> children;
  };
  std::map<std::string, Node> nodes;
  std::vector<std::string> log;

  std::uint32_t OpenEnum(int scope, const NetResource* res) override {
    const std::string key = res ? res->remoteName : std::string();
    log.push_back("open " + std::to_string(scope) + " " + (res ? key : std::string("-")));
    auto it = nodes.find(key);
    if (it == nodes.end()) return flist::kNetNotContainer;
    std::uint32_t r = 0;
    if (!it->second.opens.empty()) {
      r = it->second.opens.front();
      it->second.opens.pop_front();
    }
    if (r == 0) {
      open_ = key;
      isOpen_ = true;
      given_ = false;
    }
    return r;
  }
  std::uint32_t EnumNext(std::vector<NetResource>* out) override {
    if (!isOpen_) return 6;
    if (given_) return flist::kNetEnumDone;
    given_ = true;
    const std::vector<NetResource>& c = nodes[open_].children;
    out->insert(out->end(), c.begin(), c.end());
    return 0;
  }
  void CloseEnum() override {
    log.push_back("close");
    isOpen_ = false;
  }
  std::uint32_t CancelConnection(const std::string& remote, bool force) override {
    log.push_back("cancel " + remote + (force ? " forced" : ""));
    return 0;
  }
  std::uint32_t AddConnection(const NetResource& res, const std::string& password, const std::string& user) override {
    log.push_back("connect " + res.remoteName + " " + user + "/" + password);
    Node& n = nodes[res.remoteName];
    if (n.connects.empty()) return 0;
    const std::uint32_t r = n.connects.front();
    n.connects.pop_front();
    return r;
  }
  bool Logged(const std::string& line) const {
    for (const std::string& l : log)
      if (l == line) return true;
    return false;
  }

 private:
  std::string open_;
  bool isOpen_ = false;
  bool given_ = false;
};

// The local file system, with UNC paths put on folders of the test's.
class UncFolders : public fileops::FolderHost {
 public:
  std::map<std::string, std::string> shares;  // "\\srv\share" -> a local folder

  bool SetCurrentDir(const std::string& path) override {
    std::string local = path;
    if (path.compare(0, 2, "\\\\") == 0) {
      local.clear();
      for (const auto& s : shares) {
        if (path.size() >= s.first.size() && _strnicmp(path.c_str(), s.first.c_str(), s.first.size()) == 0 &&
            (path.size() == s.first.size() || path[s.first.size()] == '\\'))
          local = s.second + path.substr(s.first.size());
      }
      if (local.empty()) return false;
    }
    if (!inner_.SetCurrentDir(local)) return false;
    current_ = path;
    return true;
  }
  std::string CurrentDir() const override { return current_; }
  bool ListCurrentDir(const std::function<bool(const fileops::FolderEntry&)>& each) override {
    return inner_.ListCurrentDir(each);
  }

 private:
  fileops::LocalFolderHost inner_;
  std::string current_;
};

class FlistNetworkTest : public shelltest::ShellFileTest {
 protected:
  void SetUp() override {
    ShellFileTest::SetUp();
    ASSERT_TRUE(StartIn(""));
    v = frame->GetListPane(0, 0);
    frame->ActivateListPane(0, 0);
    auto n = std::make_unique<ScriptedNetwork>();
    net = n.get();
    v->SetNetworkHost(std::move(n));
    auto f = std::make_unique<UncFolders>();
    unc = f.get();
    v->SetFolderHost(std::move(f));
  }
  // A folder of the test's with two files, served as `share`.
  void ShareFolder(const std::string& share, const char* name) {
    const std::string dir = File(name);
    fw::MakeDir(dir.c_str());
    shelltest::WriteBytes(dir + "\\a.txt", "a");
    shelltest::WriteBytes(dir + "\\b.txt", "bb");
    unc->shares[share] = dir;
  }
  void Command(UINT id) {
    frame->ActivateListPane(0, 0);
    frame->SendMessage(WM_COMMAND, id, 0);
  }
  std::string Name(int i) const { return flist::GetNameRecord(v->m_table.m_pNameRecs, i); }
  std::string CursorName() const { return Name(v->m_state.m_nCurEntry); }
  std::vector<std::string> Names() const {
    std::vector<std::string> out;
    for (int i = 1; i + 1 < v->m_table.m_nEntryCount; ++i) out.push_back(Name(i));
    return out;
  }
  // The names of a folder listing, whose order the system gives.
  std::vector<std::string> SortedNames() const {
    std::vector<std::string> n = Names();
    std::sort(n.begin(), n.end());
    return n;
  }
  int Row(const std::string& name) const {
    for (int i = 1; i < v->m_table.m_nEntryCount; ++i)
      if (Name(i) == name) return i;
    return -1;
  }
  void Open(const std::string& name) {
    const int i = Row(name);
    ASSERT_GT(i, 0) << name;
    v->OpenEntryAt(i);
  }
  // A double click on the path line at segment k (1: "NW:", 2: the first level, ...).
  void PathLine(int k) {
    v->DrawPathBar(1);
    ASSERT_GT(v->m_aPathBarX[k - 1], 0);
    v->m_state.m_nCurEntry = 0;
    v->OpenEntryAt(0, CPoint(v->m_aPathBarX[k - 1] + 1, 0));
  }
  bool DriveExists(char letter) const { return (GetLogicalDrives() >> (letter - 'A')) & 1u; }

  CFlistView* v = nullptr;
  ScriptedNetwork* net = nullptr;
  UncFolders* unc = nullptr;
};

TEST_F(FlistNetworkTest, RootServerShareAndBackWithBackAndThePathLine) {
  net->nodes[""].children = {Res("\\\\SRV"), Res("\\\\OTHER")};
  net->nodes["\\\\SRV"].children = {Res("\\\\SRV\\share", flist::kNetUsageConnectable), Res("\\\\SRV\\docs")};
  net->nodes["\\\\SRV\\docs"].children = {Res("\\\\SRV\\docs\\inner")};
  ShareFolder("\\\\SRV\\share", "share");
  // The command: the root, one enumeration of scope 5.
  Command(ID_LIST_NETWORK_ROOT);
  EXPECT_EQ("NW:", v->m_strCurDir.Str());
  EXPECT_EQ(1, v->m_bNetworkList);
  EXPECT_EQ(1, v->m_nNetDepth);
  EXPECT_EQ(0, v->m_nListSource);
  EXPECT_EQ((std::vector<std::string>{"SRV", "OTHER"}), Names());
  EXPECT_EQ("open 5 -", net->log.front());
  EXPECT_EQ("\\\\SRV", v->m_strNetName[0].Str());
  // A server: its shares, the record of the level with its name buffers.
  Open("SRV");
  EXPECT_EQ("NW:\\SRV", v->m_strCurDir.Str());
  EXPECT_EQ(2, v->m_nNetDepth);
  EXPECT_EQ((std::vector<std::string>{"share", "docs"}), Names());
  EXPECT_STREQ("\\\\SRV", v->m_netResCur.lpRemoteName);
  EXPECT_STREQ("Scripted Network", v->m_netResCur.lpProvider);
  EXPECT_EQ("\\\\SRV", v->m_strNetPathName[1].Str());
  EXPECT_TRUE(net->Logged("open 2 \\\\SRV"));
  // A share that is no container (8): listed as its UNC folder.
  Open("share");
  EXPECT_EQ(0, v->m_bNetworkList);
  EXPECT_EQ("\\\\SRV\\share", v->m_strCurDir.Str());
  EXPECT_EQ(3, v->m_nNetDepth);
  EXPECT_EQ((std::vector<std::string>{"a.txt", "b.txt"}), SortedNames());
  // Back: the server with the cursor on the share, the root, the drive list.
  Command(ID_LIST_BACK);
  EXPECT_EQ("NW:\\SRV", v->m_strCurDir.Str());
  EXPECT_EQ(1, v->m_bNetworkList);
  EXPECT_EQ(2, v->m_nNetDepth);
  EXPECT_EQ("share", CursorName());
  Command(ID_LIST_BACK);
  EXPECT_EQ("NW:", v->m_strCurDir.Str());
  EXPECT_EQ(1, v->m_nNetDepth);
  EXPECT_EQ("SRV", CursorName());
  Command(ID_LIST_BACK);
  EXPECT_EQ(1, v->m_nListSource);
  EXPECT_EQ(0, v->m_bNetworkList);
  EXPECT_EQ(0, v->m_nNetDepth);
  EXPECT_EQ("A:", Name(1));
  // The drive list's "NW:" row is the root again; then two levels down
  // and up through the path line: the server, then "NW:".
  Open("NW:");
  EXPECT_EQ("NW:", v->m_strCurDir.Str());
  EXPECT_EQ(0, v->m_nListSource);
  Open("SRV");
  Open("docs");
  EXPECT_EQ("NW:\\SRV\\docs", v->m_strCurDir.Str());
  EXPECT_EQ(3, v->m_nNetDepth);
  EXPECT_EQ((std::vector<std::string>{"inner"}), Names());
  PathLine(2);
  EXPECT_EQ("NW:\\SRV", v->m_strCurDir.Str());
  EXPECT_EQ(2, v->m_nNetDepth);
  EXPECT_EQ("docs", CursorName());
  PathLine(1);
  EXPECT_EQ("NW:", v->m_strCurDir.Str());
  EXPECT_EQ(1, v->m_nNetDepth);
  EXPECT_EQ((std::vector<std::string>{"SRV", "OTHER"}), Names());
  // Back from the share's folder after the path line also finds its server.
  Open("SRV");
  Open("share");
  ASSERT_EQ("\\\\SRV\\share", v->m_strCurDir.Str());
  v->GoToFolder(v->m_strCurDir, 0);
  EXPECT_EQ("NW:\\SRV", v->m_strCurDir.Str());
}

TEST_F(FlistNetworkTest, SixtyLevelsDownStopAtTheDeepestAndComeBackUp) {
  auto name = [](int i) { return "\\\\lv" + std::string(i < 10 ? "0" : "") + std::to_string(i); };
  net->nodes[""].children = {Res(name(0))};
  for (int i = 0; i < 60; ++i) net->nodes[name(i)].children = {Res(name(i + 1))};
  ShareFolder(name(49), "deep");
  Command(ID_LIST_NETWORK_ROOT);
  int descents = 0;
  for (int i = 0; i < 60 && v->m_bNetworkList; ++i) {
    const int before = v->m_nNetDepth;
    v->OpenEntryAt(1);
    if (v->m_bNetworkList && v->m_nNetDepth == before + 1) ++descents;
  }
  // 49 levels; the 50th resource is listed as its UNC folder.
  EXPECT_EQ(flist::kNetDeepestLevel, descents);
  EXPECT_EQ(flist::kNetDeepestLevel, v->m_netLevels.depth);
  EXPECT_EQ(flist::kNetDeepestLevel + 1, v->m_nNetDepth);
  EXPECT_EQ(0, v->m_bNetworkList);
  EXPECT_EQ(name(49), v->m_strCurDir.Str());
  EXPECT_EQ((std::vector<std::string>{"a.txt", "b.txt"}), SortedNames());
  // Back: the level the folder came from, with the cursor on it, then all
  // the way up to the root and the drive list, never below the stack.
  Command(ID_LIST_BACK);
  EXPECT_EQ(1, v->m_bNetworkList);
  EXPECT_EQ(flist::kNetDeepestLevel + 1, v->m_nNetDepth);
  EXPECT_EQ("lv49", CursorName());
  for (int i = 0; i < flist::kNetDeepestLevel; ++i) Command(ID_LIST_BACK);
  EXPECT_EQ("NW:", v->m_strCurDir.Str());
  EXPECT_EQ(1, v->m_nNetDepth);
  EXPECT_EQ("lv00", CursorName());
  Command(ID_LIST_BACK);
  EXPECT_EQ(1, v->m_nListSource);
  EXPECT_EQ(0, v->m_nNetDepth);
}

TEST_F(FlistNetworkTest, FoldersThatCannotBeEnteredFallBackIntoTheNetwork) {
  net->nodes[""].children = {Res("\\\\SRV"), Res("")};
  net->nodes["\\\\SRV"].children = {Res("\\\\SRV\\gone", flist::kNetUsageConnectable)};
  // A UNC path outside the walk that cannot be entered: the network root
  // (depth 0 gives the root, never a level below the stack).
  frame->ShowFolderInList("\\\\nowhere\\share\\x");
  EXPECT_EQ("NW:", v->m_strCurDir.Str());
  EXPECT_EQ(1, v->m_bNetworkList);
  EXPECT_EQ(1, v->m_nNetDepth);
  EXPECT_EQ((std::vector<std::string>{"SRV", ""}), Names());
  // A resource without a remote name has nothing to go down to.
  v->OpenEntryAt(2);
  EXPECT_EQ("NW:", v->m_strCurDir.Str());
  EXPECT_EQ(1, v->m_nNetDepth);
  // A share of the walk that no folder answers for: back to its server.
  Open("SRV");
  Open("gone");
  EXPECT_EQ("NW:\\SRV", v->m_strCurDir.Str());
  EXPECT_EQ(1, v->m_bNetworkList);
  EXPECT_EQ(2, v->m_nNetDepth);
  EXPECT_EQ((std::vector<std::string>{"gone"}), Names());
  // A local folder ends the walk.
  const std::string local = File("here");
  fw::MakeDir(local.c_str());
  frame->ShowFolderInList(local.c_str());
  EXPECT_EQ(local, v->m_strCurDir.Str());
  EXPECT_EQ(0, v->m_bNetworkList);
  EXPECT_EQ(0, v->m_nNetDepth);
}

TEST_F(FlistNetworkTest, LoginsFromTheEntryAndFromTheDialog) {
  net->nodes[""].children = {Res("\\\\SRV"), Res("\\\\LOCKED")};
  // Refused without a login: the dialog's answers connect.
  net->nodes["\\\\SRV"].opens = {1244};
  net->nodes["\\\\SRV"].children = {Res("\\\\SRV\\docs")};
  net->nodes["\\\\LOCKED"].opens = {5};
  Command(ID_LIST_NETWORK_ROOT);
  std::string offered = "?";
  fw::hooks::ExpectDialog(IDD_NET_LOGIN, [&offered](CDialog& d) -> int {
    char buf[64] = {};
    ::GetDlgItemTextA(d.m_hWnd, IDC_NETLOGIN_USER, buf, sizeof buf);
    offered = buf;
    ::SetDlgItemTextA(d.m_hWnd, IDC_NETLOGIN_USER, "typed");
    ::SetDlgItemTextA(d.m_hWnd, IDC_NETLOGIN_PASSWORD, "secret");
    return IDOK;
  });
  Open("SRV");
  EXPECT_EQ("", offered);
  EXPECT_TRUE(net->Logged("connect \\\\SRV typed/secret"));
  EXPECT_EQ("NW:\\SRV", v->m_strCurDir.Str());
  EXPECT_EQ((std::vector<std::string>{"docs"}), Names());
  // Cancel: the level is cut back; the root's list stays as it was.
  Command(ID_LIST_BACK);
  ASSERT_EQ("NW:", v->m_strCurDir.Str());
  fw::hooks::ExpectDialog(IDD_NET_LOGIN, [](CDialog&) -> int { return IDCANCEL; });
  Open("LOCKED");
  EXPECT_EQ("NW:", v->m_strCurDir.Str());
  EXPECT_EQ(1, v->m_nNetDepth);
  EXPECT_EQ(1, v->m_bNetworkList);
  EXPECT_EQ((std::vector<std::string>{"SRV", "LOCKED"}), Names());
  EXPECT_FALSE(net->Logged("connect \\\\LOCKED /"));
}

TEST_F(FlistNetworkTest, NetworkDriveRowTakesItsEntryAndItsLogin) {
  ASSERT_FALSE(DriveExists('J'));
  ASSERT_FALSE(DriveExists('K'));
  ASSERT_FALSE(DriveExists('L'));
  doc->m_strSysValue[31] = "J:~share~/srv\\share;USER=ju;PWRD=jp";
  doc->m_strSysValue[32] = "K:~half~/srv\\half;USER=ku;PWRD=";
  // "\\srv\share" asks for a connection (87); the entry's login connects
  // it without a question; then it is no container: its UNC folder.
  net->nodes["\\\\srv\\share"].opens = {87, 8};
  ShareFolder("\\\\srv\\share", "share");
  v->ShowDriveList();
  const int j = Row("J:+share");
  ASSERT_GT(j, 0);
  EXPECT_EQ("Net", flist::GetNameRecord(v->m_table.m_pTextRecs3, j));
  v->OpenEntryAt(j);
  const std::vector<std::string> want = {"open 2 \\\\srv\\share", "cancel \\\\srv\\share forced",
                                         "connect \\\\srv\\share ju/jp", "open 2 \\\\srv\\share"};
  ASSERT_GE(net->log.size(), want.size());
  EXPECT_EQ(want, std::vector<std::string>(net->log.begin(), net->log.begin() + 4));
  EXPECT_EQ("J:+share", v->m_strNetLoginPath.Str());
  EXPECT_EQ("\\\\srv\\share", v->m_strCurDir.Str());
  EXPECT_EQ(2, v->m_nNetDepth);
  EXPECT_EQ((std::vector<std::string>{"a.txt", "b.txt"}), SortedNames());
  // An entry with a user and no password: the dialog, with the user filled in.
  net->log.clear();
  net->nodes["\\\\srv\\half"].opens = {87};
  net->nodes["\\\\srv\\half"].connects = {1326, 0};
  net->nodes["\\\\srv\\half"].children = {Res("\\\\srv\\half\\x")};
  std::string offered;
  fw::hooks::ExpectDialog(IDD_NET_LOGIN, [&offered](CDialog& d) -> int {
    char buf[64] = {};
    ::GetDlgItemTextA(d.m_hWnd, IDC_NETLOGIN_USER, buf, sizeof buf);
    offered = buf;
    ::SetDlgItemTextA(d.m_hWnd, IDC_NETLOGIN_PASSWORD, "kp");
    return IDOK;
  });
  v->ShowDriveList();
  Open("K:+half");
  EXPECT_EQ("ku", offered);
  EXPECT_TRUE(net->Logged("connect \\\\srv\\half ku/"));
  EXPECT_TRUE(net->Logged("connect \\\\srv\\half ku/kp"));
  EXPECT_EQ("NW:\\half", v->m_strCurDir.Str());
  EXPECT_EQ((std::vector<std::string>{"x"}), Names());
  // A share of a row that no folder answers for: back from level 1 is the
  // network root, and the entry's login goes with its level.
  doc->m_strSysValue[33] = "L:~gone~/srv\\gone;USER=lu;PWRD=lp";
  net->nodes[""].children = {Res("\\\\SRV")};
  v->ShowDriveList();
  Open("L:+gone");
  EXPECT_EQ("NW:", v->m_strCurDir.Str());
  EXPECT_EQ(1, v->m_bNetworkList);
  EXPECT_EQ(1, v->m_nNetDepth);
  EXPECT_EQ("", v->m_strNetLoginPath.Str());
  EXPECT_EQ((std::vector<std::string>{"SRV"}), Names());
  // A row whose letter has no entry does nothing.
  v->ShowDriveList();
  const int rows = v->m_table.m_nEntryCount;
  doc->m_strSysValue[32].Empty();
  Open("K:+half");
  EXPECT_EQ(1, v->m_nListSource);
  EXPECT_EQ(rows, v->m_table.m_nEntryCount);
  EXPECT_EQ("", v->m_strCurDir.Str());
}

TEST_F(FlistNetworkTest, FtpRowOfTheDriveListRunsItsSite) {
  ASSERT_FALSE(DriveExists('Y'));
  doc->m_strSysValue[27] = "Y:~3site~/127.0.0.1:2121;BASE=/pub;USER=u;PWRD=p";
  v->ShowDriveList();
  const int y = Row("Y:>site");
  ASSERT_GT(y, 0);
  EXPECT_EQ("FTP", flist::GetNameRecord(v->m_table.m_pTextRecs3, y));
  EXPECT_GT(Row("NW:"), y);
  // The double click is FTP 2: the pane goes to "Y:"; nothing answers on
  // that port, so the title says the drive cannot be opened.
  v->OpenEntryAt(y);
  EXPECT_EQ("Y:", v->m_strCurDir.Str());
  EXPECT_EQ(0, v->m_nNetDepth);
  CString failed;
  failed.LoadString(IDS_DRIVE_OPEN_FAILED);
  EXPECT_EQ(failed.Str(), Title());
}

TEST_F(FlistNetworkTest, TheNetworkCommandStandsInTheDriveMenuForTheListPane) {
  HMENU bar = GetMenu(frame->m_hWnd);
  HMENU drives = nullptr;
  for (int p = 0; p < GetMenuItemCount(bar) && !drives; ++p) {
    HMENU popup = GetSubMenu(bar, p);
    for (int i = 0; i < GetMenuItemCount(popup); ++i)
      if (GetMenuItemID(popup, i) == ID_LIST_DRIVE_LIST) drives = popup;
  }
  ASSERT_NE(nullptr, drives);
  char text[64] = {};
  ASSERT_GT(GetMenuStringA(drives, ID_LIST_NETWORK_ROOT, text, sizeof text, MF_BYCOMMAND), 0);
  EXPECT_STREQ("\xC8\xAF\xC4\xDC\xB0\xB8 &N", text);  // "ﾈｯﾄﾜｰｸ &N"
  // A list command: enabled while a list pane is active, grey in the text pane.
  fw::RecordingCmdUI list(ID_LIST_NETWORK_ROOT);
  list.DoUpdate(frame, TRUE);
  EXPECT_TRUE(list.enabled);
  frame->ActivateTextPane(0, 0);
  fw::RecordingCmdUI text2(ID_LIST_NETWORK_ROOT);
  text2.DoUpdate(frame, TRUE);
  EXPECT_FALSE(text2.enabled);
}

TEST_F(FlistNetworkTest, TheSystemsNetworkListsItsRootWithoutAQuestion) {
  // The product's host over mpr: Wine has no network provider, so the root
  // lists what the system gives (nothing) and asks nothing.
  v->SetNetworkHost(flist::MakeSystemNetworkHost());
  Command(ID_LIST_NETWORK_ROOT);
  EXPECT_EQ("NW:", v->m_strCurDir.Str());
  EXPECT_EQ(1, v->m_nNetDepth);
  EXPECT_EQ("..", Name(0));
  Command(ID_LIST_BACK);
  EXPECT_EQ(1, v->m_nListSource);
  // Up from a UNC folder outside the walk: its server, which a system
  // without a network cannot list; the walk ends at the root, unasked.
  const std::string pub = File("pub");
  fw::MakeDir(pub.c_str());
  unc->shares["\\\\nas\\pub"] = pub;
  frame->ShowFolderInList("\\\\nas\\pub");
  ASSERT_EQ("\\\\nas\\pub", v->m_strCurDir.Str());
  Command(ID_LIST_BACK);
  EXPECT_EQ("NW:", v->m_strCurDir.Str());
  EXPECT_EQ(1, v->m_nNetDepth);
}

}  // namespace
