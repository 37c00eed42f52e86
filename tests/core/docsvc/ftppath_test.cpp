// FTP pseudo-drive decisions against a fake connection: the server path, the
// folder each mapping mode leaves current, the refused folder, the site a
// path belongs to, and the scratch name of a server file.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "archive/arc_names.h"
#include "core/docsvc/ftppath.h"

namespace {

using docsvc::FtpMapResult;

// "表" is 0x95 0x5C: its second byte is a "\".
const char kHyo[] = "\x95\x5C";

struct Entries {
  CString e[3];
  Entries() {
    e[0] = "X:~3t~/127.0.0.1:2121;BASE=/pub;USER=u;PWRD=p";
    e[1] = "Y:~0other~/10.0.0.2;BASE=\\home\\y\\;USER=y;PWRD=q";
    e[2] = "Z:~~/h;USER=u";  // shorter than 24: no entry
  }
};

// A server with a set of folders; the connection serves one entry at a time.
class FakeConnection : public docsvc::FtpFolderPort {
 public:
  std::set<std::string> folders{"/", "/pub", "/pub/d", "/home/y", "/pub/d\x9A"};
  std::string current = "/";
  int servedEntry = 0;
  bool canConnect = true;
  std::vector<std::string> calls;

  bool UseEntry(int entry) override {
    calls.push_back("use " + std::to_string(entry));
    if (!canConnect) return false;
    servedEntry = entry;
    return true;
  }
  bool SetCurrentFolder(const CString& path) override {
    calls.push_back("cd " + path.Str());
    EXPECT_NE(servedEntry, 0) << "folder change without a site";
    if (!folders.count(path.Str())) return false;
    current = path.Str();
    return true;
  }
};

TEST(FtpServerPath, JoinsBaseAndRestWithSingleSlashes) {
  const std::string hyo = kHyo;
  struct Row {
    const char* base;
    std::string path;
    std::string want;
  } rows[] = {
      {"/pub", "X:\\a.txt", "/pub/a.txt"},
      {"pub", "X:a.txt", "/pub/a.txt"},
      {"/pub/", "X:\\d\\e\\f.txt", "/pub/d/e/f.txt"},
      {"\\home\\y\\", "Y:\\x", "/home/y/x"},
      {"", "X:\\a.txt", "/a.txt"},
      {"", "X:", "/"},
      {"/pub", "X:\\", "/pub"},
      {"/pub", "X:\\d\\", "/pub/d"},
      {"//pub//", "X:\\\\d//e", "/pub/d/e"},
      // a trail byte 0x5C stays inside its character
      {"/pub", "X:\\" + hyo + "\\" + hyo + ".txt", "/pub/" + hyo + "/" + hyo + ".txt"},
      {hyo.c_str(), "X:\\a", "/" + hyo + "/a"},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(docsvc::FtpServerPath(r.base, CString(r.path.c_str())).Str(), r.want) << r.base << " " << r.path;
  }
}

TEST(MapFtpDrivePath, EachModeLeavesItsFolderCurrent) {
  Entries en;
  struct Row {
    const char* path;
    int mode;
    const char* text;
    const char* current;
  } rows[] = {
      {"X:\\d", 1, "/pub/d", "/pub/d"},
      {"X:\\d\\a.txt", 2, "a.txt", "/pub/d"},
      {"X:\\a.txt", 2, "a.txt", "/pub"},
      {"X:\\d\\a.txt", 0, "/pub/d/a.txt", "/pub/d"},  // a "." in the last part: its folder
      {"X:\\d", 0, "/pub/d", "/pub/d"},               // no ".": the whole path
      {"X:\\", 5, "/pub", "/pub"},
      {"Y:\\x.txt", 2, "x.txt", "/home/y"},
      // a stray lead byte before "/" hides no separator
      {"X:\\d\x9A/a.txt", 2, "a.txt", "/pub/d\x9A"},
  };
  for (const Row& r : rows) {
    FakeConnection c;
    const FtpMapResult m = docsvc::MapFtpDrivePath(en.e, r.path, r.mode, c);
    EXPECT_EQ(m.text.Str(), r.text) << r.path << " mode " << r.mode;
    EXPECT_EQ(c.current, r.current) << r.path << " mode " << r.mode;
    EXPECT_FALSE(m.refused) << r.path;
  }
}

TEST(MapFtpDrivePath, RefusedFolderLeavesRootCurrentAndNoNameInMode2) {
  Entries en;
  for (int mode : {1, 2, 0}) {
    FakeConnection c;
    c.current = "/pub/d";
    const FtpMapResult m = docsvc::MapFtpDrivePath(en.e, "X:\\missing\\a.txt", mode, c);
    EXPECT_TRUE(m.refused) << mode;
    EXPECT_EQ(c.current, "/") << mode;
    if (mode == 2) {
      EXPECT_EQ(m.text.Str(), "") << "a file operation must get no name in /";
    } else {
      EXPECT_EQ(m.text.Str(), "/pub/missing/a.txt") << mode;
    }
  }
}

TEST(MapFtpDrivePath, SwitchesToThePathsSiteBeforeAnyFolderChange) {
  Entries en;
  FakeConnection c;
  c.servedEntry = 1;
  docsvc::MapFtpDrivePath(en.e, "Y:\\x.txt", 2, c);
  ASSERT_GE(c.calls.size(), 2u);
  EXPECT_EQ(c.calls[0], "use 2");
  EXPECT_EQ(c.calls[1], "cd /home/y");

  // No entry, a short entry, or a site not reached: nothing reaches a server.
  for (const char* path : {"Q:\\a.txt", "Z:\\a.txt", "X"}) {
    FakeConnection d;
    const FtpMapResult m = docsvc::MapFtpDrivePath(en.e, path, 2, d);
    EXPECT_TRUE(m.refused) << path;
    EXPECT_EQ(m.text.Str(), "") << path;
    for (const std::string& call : d.calls) EXPECT_NE(call.rfind("cd ", 0), 0u) << path;
  }
  FakeConnection down;
  down.canConnect = false;
  const FtpMapResult m = docsvc::MapFtpDrivePath(en.e, "X:\\a.txt", 1, down);
  EXPECT_TRUE(m.refused);
  EXPECT_EQ(down.calls, std::vector<std::string>{"use 1"});
}

TEST(FtpConnect, PlanFollowsTheEntryAndItsFlagDigit) {
  Entries en;
  docsvc::FtpConnectPlan p = docsvc::PlanFtpConnect(en.e, "X:\\a.txt", 0, "");
  EXPECT_EQ(p.result, 1);
  EXPECT_EQ(p.entry, 1);
  EXPECT_EQ(p.host.Str(), "127.0.0.1:2121");
  EXPECT_EQ(p.user.Str(), "u");
  EXPECT_EQ(p.password.Str(), "p");
  EXPECT_TRUE(p.passive);
  EXPECT_FALSE(docsvc::PlanFtpConnect(en.e, "Y:\\", 0, "").passive);
  // already connected to that entry, unchanged: nothing to do
  EXPECT_EQ(docsvc::PlanFtpConnect(en.e, "X:\\b", 1, en.e[0]).result, 0);
  // another entry, or the entry edited since: a new connection
  EXPECT_EQ(docsvc::PlanFtpConnect(en.e, "Y:\\b", 1, en.e[0]).result, 1);
  EXPECT_EQ(docsvc::PlanFtpConnect(en.e, "X:\\b", 1, "X:~3t~/elsewhere;BASE=/;USER=u;PWRD=p").result, 1);
  // no entry, short entry, no host
  EXPECT_EQ(docsvc::PlanFtpConnect(en.e, "Q:\\b", 0, "").result, -1);
  EXPECT_EQ(docsvc::PlanFtpConnect(en.e, "Z:\\b", 0, "").result, -1);
  CString noHost[3] = {"X:~3nohost~/;BASE=/pub;USER=u;PWRD=p", "", ""};
  EXPECT_EQ(docsvc::PlanFtpConnect(noHost, "X:\\b", 0, "").result, -1);

  struct Flag {
    const char* entry;
    bool passive;
  } flags[] = {{"X:~0~/h", false}, {"X:~1~/h", false}, {"X:~2~/h", true},
               {"X:~3~/h", true},  {"X:~~/h", true},   {"X:~site~/h", true}};
  for (const Flag& f : flags) EXPECT_EQ(docsvc::FtpEntryPassive(f.entry), f.passive) << f.entry;
}

TEST(FtpConnect, AddressMayCarryAPort) {
  struct Row {
    const char* address;
    bool ok;
    const char* host;
    int port;
  } rows[] = {
      {"ftp.example.jp", true, "ftp.example.jp", 21},
      {"127.0.0.1:2121", true, "127.0.0.1", 2121},
      {"h:65535/pub/x", true, "h", 65535},
      {"h/pub:99", true, "h", 21},
      {"h:0", false, "", 0},
      {"h:65536", false, "", 0},
      {"h:", false, "", 0},
      {"h:2x", false, "", 0},
      {"h:0000021", false, "", 0},
      {":21", false, "", 0},
      {"", false, "", 0},
  };
  for (const Row& r : rows) {
    CString host;
    int port = 0;
    EXPECT_EQ(docsvc::SplitFtpAddress(r.address, &host, &port), r.ok) << r.address;
    if (r.ok) {
      EXPECT_EQ(host.Str(), r.host) << r.address;
      EXPECT_EQ(port, r.port) << r.address;
    }
  }
}

// The entries dialog writes an empty FTP row as "X:~3~/;BASE=;USER=;PWRD=",
// exactly 24 characters: long enough to count, but no site to list.
TEST(FtpConnect, AnEntryIsASiteOnlyWithAHost) {
  EXPECT_FALSE(docsvc::IsFtpSiteEntry("X:~3~/;BASE=;USER=;PWRD="));
  EXPECT_FALSE(docsvc::IsFtpSiteEntry("X:~3~/:21;BASE=;USER=;PWRD="));
  EXPECT_FALSE(docsvc::IsFtpSiteEntry("X:~~/h;USER=u"));
  EXPECT_TRUE(docsvc::IsFtpSiteEntry("X:~3~/h;BASE=;USER=;PWRD="));
  EXPECT_TRUE(docsvc::IsFtpSiteEntry(Entries().e[0]));
}

// A scratch name never leaves "\TMP": no separator, no drive, no "..".
void ExpectConfined(const CString& name, const std::string& from) {
  if (name.IsEmpty()) return;
  const std::string& s = name.Str();
  EXPECT_EQ(s.rfind("Dorvik_", 0), 0u) << from;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) {
      ++i;  // trail byte
      continue;
    }
    EXPECT_TRUE(c != '\\' && c != '/' && c != ':') << from;
  }
  EXPECT_EQ(s.find(".."), std::string::npos) << from;
}

TEST(FtpScratchName, KeepsOnlyASafeLastComponent) {
  const std::string hyo = kHyo;
  struct Row {
    std::string path;
    std::string want;
  } rows[] = {
      {"X:\\pub\\a.txt", "Dorvik_a.txt"},
      {"/srv/x/b.htm", "Dorvik_b.htm"},
      {"X:\\pub\\" + hyo + ".txt", "Dorvik_" + hyo + ".txt"},
      {"X:\\pub\\..", ""},
      {"X:\\pub\\.", ""},
      {"X:\\", ""},
      {"a:b", "Dorvik_ab"},
      {"..\\..\\x", "Dorvik_x"},
      {"X:\\..\\..\\..\\Windows\\win.ini", "Dorvik_win.ini"},
      {"x/..", ""},
      {".:.", ""},
      {"a...b", "Dorvik_a.b"},
      {"a<b>c|d?e*f\"g\x01h", "Dorvik_a_b_c_d_e_f_g_h"},
      {"name. . ", "Dorvik_name"},
      {"\x81\x7C.txt", "Dorvik_\x81\x7C.txt"},  // "|" as a trail byte stays
      // removing ":" pairs a lead byte anew and leaves a lone "\": made "_"
      {"\x95:\x95\x5C", "Dorvik_\x95\x95_"},
      // a lead byte never takes a "/" or ":" for its second byte
      {"x\x9A/y.txt", "Dorvik_y.txt"},
      {"\x9A:z", "Dorvik_\x9Az"},
      {std::string(300, 'a'), "Dorvik_" + std::string(200, 'a')},
      {std::string(199, 'a') + hyo, "Dorvik_" + std::string(199, 'a')},
  };
  for (const Row& r : rows) {
    const CString got = docsvc::FtpScratchName(CString(r.path.c_str()));
    EXPECT_EQ(got.Str(), r.want) << r.path;
    ExpectConfined(got, r.path);
  }
}

TEST(FtpScratchName, AgreesWithTheArchiveNameRules) {
  // For one plain component the characters the archive code changes are the
  // same ones (its device-name rule never applies behind "Dorvik_").
  for (const char* name : {"a.txt", "a<b.txt", "q?.csv", "tab\there", "star*", "dots...", "blank ",
                           "\x95\x5C.txt", "\x81\x7C|x", "x\"y"}) {
    std::string safe;
    ASSERT_EQ(arc::SafeMemberPath(name, &safe), arc::NameCheck::kOk) << name;
    EXPECT_EQ(docsvc::FtpScratchName(name).Str(), "Dorvik_" + safe) << name;
  }
}

}  // namespace
