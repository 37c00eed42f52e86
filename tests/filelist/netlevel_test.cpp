// The network levels against a scripted network: the stack's bounds (back
// from depth 0 and 1, a 60-level push), shown names, the logins of the
// entries, and one level read through every answer the platform gives
// (0, 8, 87, a failed connection with and without the login dialog).
#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "filelist/flistcore/netlevel.h"

namespace flist {
namespace {

TEST(NetLevel, StackStaysWithinItsSlots) {
  NetLevels s;
  EXPECT_EQ(s.Back(), nullptr);  // depth 0: the network root
  EXPECT_EQ(s.depth, 0);
  ASSERT_TRUE(s.Push(NetLevel{"\\\\srv", "p", 2}));
  EXPECT_EQ(s.Back(), nullptr);  // depth 1: the root as well
  EXPECT_EQ(s.depth, 0);
  ASSERT_TRUE(s.Push(NetLevel{"Microsoft Windows Network", "p", 0}));
  ASSERT_TRUE(s.Push(NetLevel{"\\\\srv", "p", 2}));
  ASSERT_TRUE(s.Push(NetLevel{"\\\\srv\\share", "p", 1}));
  const NetLevel* up = s.Back();
  ASSERT_NE(up, nullptr);
  EXPECT_EQ(up->remote, "\\\\srv");
  EXPECT_EQ(s.depth, 2);
  // Sixty pushes stop at level 49; the last level kept is the 49th.
  NetLevels deep;
  int pushed = 0;
  for (int i = 0; i < 60; ++i) pushed += deep.Push(NetLevel{"\\\\l" + std::to_string(i), "", 0}) ? 1 : 0;
  EXPECT_EQ(pushed, kNetDeepestLevel);
  EXPECT_EQ(deep.depth, kNetDeepestLevel);
  EXPECT_EQ(deep.level[49].remote, "\\\\l48");
  for (int i = 0; i < 60; ++i) deep.Back();
  EXPECT_EQ(deep.depth, 0);
  deep.depth = -3;  // never below its first slot
  EXPECT_EQ(deep.Back(), nullptr);
  EXPECT_TRUE(deep.Push(NetLevel{}));
  EXPECT_EQ(deep.depth, 1);
}

TEST(NetLevel, ShownNamesLoginsAndEntryPaths) {
  EXPECT_EQ(NetShownName("\\\\srv"), "srv");
  EXPECT_EQ(NetShownName("\\\\srv\\share"), "share");
  EXPECT_EQ(NetShownName("\\\\srv\\"), "srv\\");
  EXPECT_EQ(NetShownName("Microsoft Windows Network"), "Microsoft Windows Network");
  EXPECT_EQ(NetShownName("\\\\a\\b"), "a\\b");  // the "\" stands at position 3
  EXPECT_EQ(NetShownName("\\\\\x95\x5C"), "\x95\x5C");  // "表": its trail byte is no separator
  EXPECT_EQ(NetShownName(""), "");

  const std::vector<std::string> entries = {"J:~~/\\\\srv\\j;USER=ju;PWRD=jp;x", "K:~~/srv;USER=;PWRD=",
                                            "J:~~/second;USER=no;PWRD=no"};
  NetLogin l = NetEntryLogin(entries, "J:+share");
  EXPECT_EQ(l.user, "ju");
  EXPECT_EQ(l.password, "jp;x");
  l = NetEntryLogin(entries, "Q:+x");
  EXPECT_TRUE(l.user.empty() && l.password.empty());
  EXPECT_EQ(NetEntryRemote("J:~~/srv\\share;USER=u;PWRD=p"), "\\\\srv\\share");
  EXPECT_EQ(NetEntryRemote("J:~~/;USER=u"), "");
  EXPECT_EQ(NetEntryRemote("J:"), "");
}

TEST(NetLevel, FolderTextsAndEntrySlots) {
  NetLevels s;
  EXPECT_EQ(NetPathText(s), "NW:");
  s.Push(NetLevel{"Microsoft Windows Network", "p", 2});
  s.Push(NetLevel{"\\\\SRV", "p", 2});
  s.Push(NetLevel{"\\\\SRV\\share\\", "p", 1});
  EXPECT_EQ(NetPathText(s), "NW:\\Microsoft Windows Network\\SRV\\share");
  // A remote ending in "表" (trail byte 0x5C) keeps the character; a
  // component is never empty, so each level is one segment of the text.
  EXPECT_EQ(NetPathComponent("\\\\srv\\\x95\x5C"), "\x95\x5C");
  EXPECT_EQ(NetPathComponent("\\\\"), "?");
  // A lead byte alone at the end would take the next separator of the
  // folder text as its trail byte: it is left out.
  EXPECT_EQ(NetPathComponent("\\\\srv\\ab\x81"), "ab");
  EXPECT_EQ(NetPathComponent("\\\\srv\\\x81"), "?");
  EXPECT_EQ(NetPathComponent(""), "?");

  const NetResource r = NetLevelResource(NetLevel{"\\\\SRV", "prov", kNetUsageContainer});
  EXPECT_EQ(r.scope, static_cast<std::uint32_t>(kNetScopeGlobal));
  EXPECT_EQ(r.type, 0u);
  EXPECT_EQ(r.usage, kNetUsageContainer);
  EXPECT_EQ(r.remoteName, "\\\\SRV");
  EXPECT_EQ(r.provider, "prov");

  std::string sys[60];
  sys[27] = "J:~3site~/127.0.0.1;BASE=/;USER=u;PWRD=p";  // an FTP entry is no network entry
  sys[39] = "J:other";                                  // 39 is no entry at all
  sys[41] = "J:~share~/srv\\share;USER=ju;PWRD=jp";
  sys[42] = "J:~second~/x;USER=;PWRD=";
  EXPECT_EQ(NetEntrySlotOf(sys, 'J'), 41);
  EXPECT_EQ(NetEntrySlotOf(sys, 'K'), -1);
  sys[31] = "J:";
  EXPECT_EQ(NetEntrySlotOf(sys, 'J'), 31);
}

TEST(NetLevel, FolderChangesInAndBesideTheNetwork) {
  using K = NetMove::Kind;
  NetLevels s;
  s.Push(NetLevel{"Microsoft Windows Network", "p", 2});
  s.Push(NetLevel{"\\\\SRV", "p", 2});
  s.Push(NetLevel{"\\\\SRV\\share", "p", 1});
  const std::string here = NetPathText(s);
  // Back while a level is listed: one level up, the drive list from the root.
  NetMove m = PlanNetworkMove(s, true, here, here, 0);
  EXPECT_EQ(m.kind, K::kLevel);
  EXPECT_EQ(m.depth, 2);
  NetLevels root;
  EXPECT_EQ(PlanNetworkMove(root, true, "NW:", "NW:", 0).kind, K::kDriveList);
  // The path line names a level by its components ("NW:\" is the root);
  // a text naming more levels than are held stays at the deepest.
  m = PlanNetworkMove(s, true, here, "NW:\\Microsoft Windows Network\\", 1);
  EXPECT_EQ(m.kind, K::kLevel);
  EXPECT_EQ(m.depth, 1);
  EXPECT_EQ(PlanNetworkMove(s, true, here, "NW:\\", 1).depth, 0);
  EXPECT_EQ(PlanNetworkMove(s, true, here, "NW:\\a\\b\\c\\d\\e", 1).depth, 3);
  EXPECT_EQ(PlanNetworkMove(root, false, "C:\\x", "NW:", 1).kind, K::kRoot);
  // A share listed as its UNC folder: its sub-folders go up locally, its
  // root goes up to the level above the share (the server), matched
  // without case.
  EXPECT_EQ(PlanNetworkMove(s, false, "\\\\SRV\\share\\sub", "\\\\SRV\\share\\sub", 0).kind, K::kNone);
  m = PlanNetworkMove(s, false, "\\\\srv\\SHARE", "\\\\srv\\SHARE", 0);
  EXPECT_EQ(m.kind, K::kLevel);
  EXPECT_EQ(m.depth, 2);
  // A share the stack does not hold, on a server it holds: that server.
  m = PlanNetworkMove(s, false, "\\\\SRV\\other\\", "\\\\SRV\\other\\", 0);
  EXPECT_EQ(m.kind, K::kLevel);
  EXPECT_EQ(m.depth, 2);
  // A folder listed instead of a level (a refused push): back to the level
  // it was entered from.
  m = PlanNetworkMove(s, false, "\\\\deep49", "\\\\deep49", 0);
  EXPECT_EQ(m.kind, K::kLevel);
  EXPECT_EQ(m.depth, 3);
  // A UNC folder typed outside the network: its server as a fresh level,
  // a server's root up to the network root.
  m = PlanNetworkMove(root, false, "\\\\nas\\pub", "\\\\nas\\pub", 0);
  EXPECT_EQ(m.kind, K::kServer);
  EXPECT_EQ(m.server, "\\\\nas");
  EXPECT_EQ(PlanNetworkMove(root, false, "\\\\nas", "\\\\nas", 0).kind, K::kRoot);
  // Going to a server root: the level holding it, else a fresh one.
  m = PlanNetworkMove(s, false, "\\\\SRV\\share", "\\\\SRV\\", 1);
  EXPECT_EQ(m.kind, K::kLevel);
  EXPECT_EQ(m.depth, 2);
  EXPECT_EQ(PlanNetworkMove(root, false, "C:", "\\\\nas\\", 1).kind, K::kServer);
  EXPECT_EQ(PlanNetworkMove(root, false, "C:", "\\\\", 1).kind, K::kRoot);
  EXPECT_EQ(PlanNetworkMove(root, false, "C:", "\\\\nas\\pub", 1).kind, K::kNone);
  // Local folders are not the network's business.
  EXPECT_EQ(PlanNetworkMove(root, false, "C:\\a\\b", "C:\\a\\b", 0).kind, K::kNone);
  EXPECT_EQ(PlanNetworkMove(root, false, "C:\\a", "C:\\a\\b", 1).kind, K::kNone);
  EXPECT_EQ(PlanNetworkMove(s, true, here, "", 2).kind, K::kNone);
  // A stack depth out of its range is read within the slots.
  NetLevels bad;
  bad.depth = 900;
  EXPECT_EQ(PlanNetworkMove(bad, true, "NW:", "NW:", 0).depth, kNetLevelSlots - 2);
  bad.depth = -4;
  EXPECT_EQ(PlanNetworkMove(bad, true, "NW:", "NW:", 0).kind, K::kDriveList);
  EXPECT_EQ(NetPathText(bad), "NW:");
}

TEST(NetLevel, FolderRetryNeverCutsAShareToItsServer) {
  EXPECT_EQ(FolderRetryCut("C:\\a\\b"), 4);
  EXPECT_EQ(FolderRetryCut("C:\\a"), 2);
  EXPECT_EQ(FolderRetryCut("C:"), -1);
  EXPECT_EQ(FolderRetryCut("\\\\srv\\share\\sub"), 11);
  EXPECT_EQ(FolderRetryCut("\\\\srv\\share"), -1);
  EXPECT_EQ(FolderRetryCut("\\\\srv"), -1);
  EXPECT_EQ(FolderRetryCut("C:\\\x95\x5C"), 2);  // "表" holds no separator
}

// A network answering from a script.
class ScriptedNetwork : public NetworkHost {
 public:
  std::deque<std::uint32_t> opens;       // answers of OpenEnum, then 0
  std::deque<std::uint32_t> connects;    // answers of AddConnection, then 0
  std::vector<std::vector<NetResource>> batches;
  std::vector<std::string> log;
  bool open = false;

  std::uint32_t OpenEnum(int scope, const NetResource* res) override {
    log.push_back("open " + std::to_string(scope) + " " + (res ? res->remoteName : std::string("-")));
    const std::uint32_t r = opens.empty() ? 0 : opens.front();
    if (!opens.empty()) opens.pop_front();
    open = r == 0;
    next = 0;
    return r;
  }
  std::uint32_t EnumNext(std::vector<NetResource>* out) override {
    if (!open) return 6;
    if (next >= batches.size()) return kNetEnumDone;
    const std::vector<NetResource>& b = batches[next++];
    out->insert(out->end(), b.begin(), b.end());
    return 0;
  }
  void CloseEnum() override {
    log.push_back("close");
    open = false;
  }
  std::uint32_t CancelConnection(const std::string& remote, bool force) override {
    log.push_back("cancel " + remote + (force ? " forced" : ""));
    return 0;
  }
  std::uint32_t AddConnection(const NetResource& res, const std::string& password, const std::string& user) override {
    log.push_back("connect " + res.remoteName + " " + user + "/" + password + " type " + std::to_string(res.type));
    const std::uint32_t r = connects.empty() ? 0 : connects.front();
    if (!connects.empty()) connects.pop_front();
    return r;
  }

 private:
  std::size_t next = 0;
};

NetResource Res(const std::string& remote) {
  NetResource r;
  r.remoteName = remote;
  r.type = 1;
  return r;
}

TEST(NetLevel, ReadsALevelThroughEveryAnswer) {
  const NetResource share = Res("\\\\srv\\share");
  int asked = 0;
  const NetLoginAsk cancel = [&](std::string*, std::string*) {
    ++asked;
    return false;
  };
  // The root: one enumeration of scope 5, resources in the order returned.
  {
    ScriptedNetwork net;
    net.batches = {{Res("Microsoft Windows Network")}, {}, {Res("\\\\b"), Res("\\\\a")}};
    const NetLevelRead r = ReadNetworkLevel(net, nullptr, NetLogin{}, cancel);
    EXPECT_EQ(r.kind, NetLevelRead::Kind::kListed);
    ASSERT_EQ(r.resources.size(), 3u);
    EXPECT_EQ(r.resources[2].remoteName, "\\\\a");
    EXPECT_EQ(net.log.front(), "open 5 -");
    EXPECT_EQ(net.log.back(), "close");
  }
  // 8: opened once more, then listed as its UNC folder.
  {
    ScriptedNetwork net;
    net.opens = {8, 8};
    const NetLevelRead r = ReadNetworkLevel(net, &share, NetLogin{}, cancel);
    EXPECT_EQ(r.kind, NetLevelRead::Kind::kFolder);
    EXPECT_EQ(net.log.size(), 2u);
  }
  // 87 with the entry's login: connected without a dialog, then listed.
  {
    ScriptedNetwork net;
    net.opens = {87};
    net.batches = {{Res("\\\\srv\\share\\x")}};
    const NetLevelRead r = ReadNetworkLevel(net, &share, NetLogin{"ju", "jp"}, cancel);
    EXPECT_EQ(r.kind, NetLevelRead::Kind::kListed);
    EXPECT_EQ(asked, 0);
    const std::vector<std::string> want = {"open 2 \\\\srv\\share", "cancel \\\\srv\\share forced",
                                           "connect \\\\srv\\share ju/jp type 0", "open 2 \\\\srv\\share", "close"};
    EXPECT_EQ(net.log, want);
  }
  // A refused connection without a whole login: the dialog; OK retries with its answers.
  {
    ScriptedNetwork net;
    net.opens = {1244};
    net.connects = {0};
    std::string seenUser;
    const NetLoginAsk ok = [&](std::string* user, std::string* password) {
      seenUser = *user;
      *user = "typed";
      *password = "secret";
      return true;
    };
    const NetLevelRead r = ReadNetworkLevel(net, &share, NetLogin{"ju", ""}, ok);
    EXPECT_EQ(r.kind, NetLevelRead::Kind::kListed);
    EXPECT_EQ(seenUser, "ju");
    EXPECT_EQ(net.log[1], "connect \\\\srv\\share typed/secret type 0");
  }
  // Cancel: the level is cut back by the caller.
  {
    ScriptedNetwork net;
    net.opens = {87};
    net.connects = {1326};
    const NetLevelRead r = ReadNetworkLevel(net, &share, NetLogin{}, cancel);
    EXPECT_EQ(r.kind, NetLevelRead::Kind::kCancelled);
    EXPECT_EQ(asked, 1);
  }
  // The entry's whole login refused twice: no dialog, a folder.
  {
    ScriptedNetwork net;
    net.opens = {87};
    net.connects = {1326, 1326};
    asked = 0;
    const NetLevelRead r = ReadNetworkLevel(net, &share, NetLogin{"u", "p"}, cancel);
    EXPECT_EQ(r.kind, NetLevelRead::Kind::kFolder);
    EXPECT_EQ(asked, 0);
  }
  // At most 500 resources; a provider answering nothing forever ends.
  {
    ScriptedNetwork net;
    std::vector<NetResource> many(300, Res("\\\\s"));
    net.batches = {many, many, many};
    EXPECT_EQ(ReadNetworkLevel(net, &share, NetLogin{}, cancel).resources.size(), 500u);
    ScriptedNetwork silent;
    silent.batches.assign(1000, {});
    EXPECT_EQ(ReadNetworkLevel(silent, &share, NetLogin{}, cancel).resources.size(), 0u);
  }
}

}  // namespace
}  // namespace flist
