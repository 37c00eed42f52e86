// The FTP branches of the primitives against a scripted server: the folder
// change that a refusal turns into -1, the delete walk (files first, then at
// most 100 sub-folders, "/" current at the end), the size walk, names that
// are paths passed over, and the stored name of an enciphered file.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/crypto/encname.h"
#include "core/docsvc/ftppath.h"
#include "core/docsvc/pathpart.h"
#include "core/fileops/fileprims.h"
#include "tests/core/fileops/fileprims_support.h"

namespace fileops {
namespace {

// A server tree ("/pub/a" paths), a connection serving entry 2 ("Y:"), and a
// log of every change the primitives make.
class ScriptedSite : public FtpSite, private docsvc::FtpFolderPort {
 public:
  ScriptedSite() {
    entries[1] = "Y:~3site~/127.0.0.1:2121;BASE=/pub;USER=u;PWRD=p";
    folders["/"];
  }
  void Folder(const std::string& path) {
    if (folders.count(path)) return;
    folders[path];
    const std::size_t cut = path.rfind('/');
    const std::string parent = cut == 0 ? "/" : path.substr(0, cut);
    Folder(parent);
    FolderEntry e;
    e.name = path.substr(cut + 1);
    e.attributes = kAttrFolder;
    folders[parent].push_back(e);
  }
  void File(const std::string& path, std::uint64_t size) {
    const std::size_t cut = path.rfind('/');
    const std::string parent = cut == 0 ? "/" : path.substr(0, cut);
    Folder(parent);
    FolderEntry e;
    e.name = path.substr(cut + 1);
    e.size = size;
    e.attributes = kAttrArchive;
    folders[parent].push_back(e);
  }
  bool Has(const std::string& path) const {
    const std::size_t cut = path.rfind('/');
    const std::string parent = cut == 0 ? "/" : path.substr(0, cut);
    auto it = folders.find(parent);
    if (it == folders.end()) return false;
    for (const FolderEntry& e : it->second)
      if (e.name == path.substr(cut + 1)) return true;
    return false;
  }

  bool Connected() override { return connected; }
  int Connect(const CString&) override {
    connected = true;
    return 0;
  }
  void Close() override { connected = false; }
  int DriveNo(const CString& path) override { return docsvc::FtpEntryOfPath(entries, path); }
  CString Map(const CString& path, int mode, bool* refused) override {
    const docsvc::FtpMapResult r = docsvc::MapFtpDrivePath(entries, path, mode, *this);
    *refused = r.refused;
    return r.text;
  }
  bool List(const std::function<bool(const FolderEntry&)>& each) override {
    ++searches;
    auto it = folders.find(current);
    if (it == folders.end() || it->second.empty()) return false;
    for (const FolderEntry& e : it->second)
      if (!each(e)) break;
    return true;
  }
  bool RemoveServerFolder(const CString& server) override {
    const std::string p = server.Str();
    auto it = folders.find(p);
    if (it == folders.end() || !it->second.empty()) return false;
    folders.erase(it);
    Unlink(p);
    log.push_back("rmdir " + p);
    return true;
  }
  bool RemoveServerFile(const CString& name) override {
    const std::string p = (current == "/" ? "" : current) + "/" + name.Str();
    if (!Has(p) || folders.count(p)) return false;
    Unlink(p);
    log.push_back("dele " + p);
    return true;
  }
  bool MakeServerFolder(const CString& name) override {
    const std::string p = (current == "/" ? "" : current) + "/" + name.Str();
    if (Has(p)) return false;
    Folder(p);
    log.push_back("mkd " + p);
    return true;
  }
  bool RenameOnServer(const CString&, const CString&) override { return false; }
  bool PutServerFile(const CString&, const CString&) override { return false; }
  bool SetServerFolder(const CString& server) override {
    if (!folders.count(server.Str())) return false;
    current = server.Str();
    return true;
  }

  CString entries[3];
  std::map<std::string, std::vector<FolderEntry>> folders;
  std::set<std::string> refused;
  std::string current = "/";
  std::vector<std::string> log;
  bool connected = true;
  int searches = 0;

 private:
  bool UseEntry(int entry) override { return connected && entry == 2; }
  bool SetCurrentFolder(const CString& server) override {
    if (!folders.count(server.Str()) || refused.count(server.Str())) return false;
    current = server.Str();
    return true;
  }
  void Unlink(const std::string& p) {
    const std::size_t cut = p.rfind('/');
    auto& v = folders[cut == 0 ? "/" : p.substr(0, cut)];
    v.erase(std::remove_if(v.begin(), v.end(), [&](const FolderEntry& e) { return e.name == p.substr(cut + 1); }),
            v.end());
  }
};

class SiteHost : public TestOpsHost {
 public:
  SiteHost() : TestOpsHost(BinRoot()) {}
  FtpSite* Ftp() override { return &site; }
  ScriptedSite site;
};

TEST(FtpPrims, RefusedFolderIsNeverTakenForTheRoot) {
  SiteHost host;
  host.site.File("/a.txt", 1);
  host.site.File("/b.txt", 2);
  host.site.File("/pub/locked/x", 3);
  host.site.refused.insert("/pub/locked");
  EXPECT_EQ(ChangeDirectory(host, CString("Y:\\locked"), 1, 0), kFailed);
  EXPECT_EQ(host.site.current, "/");
  EXPECT_EQ(DeleteDirectoryTree(host, CString("Y:\\locked"), kModeForce, kConfirmNone, 1, 1, 1000), kFailed);
  EXPECT_TRUE(host.site.log.empty());
  EXPECT_TRUE(host.site.Has("/a.txt") && host.site.Has("/b.txt"));
  EXPECT_EQ(host.site.searches, 0);
  EXPECT_EQ(GetDirectoryTreeSize(host, CString("Y:\\locked"), 1), kFailed);
  EXPECT_EQ(host.files, 0);
  // The same folder accepted: entered, 0.
  host.site.refused.clear();
  EXPECT_EQ(ChangeDirectory(host, CString("Y:\\locked"), 1, 0), kDone);
  EXPECT_EQ(host.site.current, "/pub/locked");
  // Skip still wins; useFtp 0 takes the local branch.
  EXPECT_EQ(ChangeDirectory(host, CString("Y:\\locked"), 1, 1), 1);
}

TEST(FtpPrims, DeleteWalkRemovesFilesFirstThenFolders) {
  SiteHost host;
  host.site.Folder("/pub/t/s1");
  host.site.File("/pub/t/f1", 1);
  host.site.Folder("/pub/t/s2");
  host.site.File("/pub/t/s2/in", 1);
  host.site.File("/pub/t/f2", 1);
  host.site.Folder("/pub/t/s3");
  host.site.File("/pub/keep", 1);
  DeleteEntry(host, CString("Y:\\t"), 1, kModeForce, kConfirmNone, 1, 1, 1000);
  const std::vector<std::string> want = {"dele /pub/t/f1", "dele /pub/t/f2", "rmdir /pub/t/s1", "dele /pub/t/s2/in",
                                         "rmdir /pub/t/s2", "rmdir /pub/t/s3", "rmdir /pub/t"};
  EXPECT_EQ(host.site.log, want);
  EXPECT_TRUE(host.site.Has("/pub/keep"));
  EXPECT_FALSE(host.site.Has("/pub/t"));
  // The walk itself ends with "/" current.
  host.site.Folder("/pub/u/v");
  host.site.log.clear();
  EXPECT_EQ(DeleteDirectoryTree(host, CString("Y:\\u"), kModeForce, kConfirmNone, 1, 1, 1000), kDone);
  EXPECT_EQ(host.site.current, "/");
}

TEST(FtpPrims, AtMostAHundredSubfoldersAndHostileNamesPassedOver) {
  SiteHost host;
  for (int i = 0; i < 150; ++i) host.site.Folder("/pub/many/d" + std::to_string(1000 + i));
  DeleteEntry(host, CString("Y:\\many"), 1, kModeForce, kConfirmNone, 1, 1, 1000);
  EXPECT_EQ(host.site.folders["/pub/many"].size(), 50u);
  EXPECT_TRUE(host.site.Has("/pub/many"));

  // Names a server may list that are paths: never joined, never removed.
  host.site.File("/pub/h/ok", 1);
  host.site.File("/pub/h/a\\b", 1);
  host.site.File("/pub/h/..\\..\\keep", 1);
  host.site.File("/pub/h/...", 1);
  host.site.File("/pub/h/" + std::string(300, 'n'), 1);
  host.site.File("/pub/keep", 1);
  host.site.log.clear();
  EXPECT_EQ(DeleteDirectoryTree(host, CString("Y:\\h"), kModeForce, kConfirmNone, 1, 1, 1000), kDone);
  EXPECT_EQ(host.site.log, std::vector<std::string>{"dele /pub/h/ok"});
  EXPECT_TRUE(host.site.Has("/pub/keep"));
  EXPECT_EQ(host.site.folders["/pub/h"].size(), 4u);
}

TEST(FtpPrims, EmptyFolderAndTheSizeWalk) {
  SiteHost host;
  host.site.Folder("/pub/empty");
  EXPECT_EQ(DeleteDirectoryTree(host, CString("Y:\\empty"), kModeForce, kConfirmNone, 1, 1, 1000), kFtpUnlisted);
  EXPECT_EQ(host.titles.back(), Text::kEmptyFtpFolder);
  DeleteEntry(host, CString("Y:\\empty"), 1, kModeForce, kConfirmNone, 1, 1, 1000);
  EXPECT_FALSE(host.site.Has("/pub/empty"));

  host.site.File("/pub/s/a", 10);
  host.site.File("/pub/s/b", 5000000000ull);
  host.site.File("/pub/s/d/c", 7);
  host.site.File("/pub/s/d/e/f", 3);
  host.site.File("/pub/s/a\\b", 1000);  // passed over
  host.site.File("/pub/other", 99);
  // The size walk needs no open connection of its own test (the site connects).
  host.site.connected = true;
  EXPECT_EQ(GetDirectoryTreeSize(host, CString("Y:\\s"), 1), kDone);
  EXPECT_EQ(host.files, 4);
  EXPECT_EQ(host.bytes, 10u + 5000000000ull + 7u + 3u);
  EXPECT_EQ(host.depth, 0);
  // A folder that lists nothing: title 145, 0.
  host.site.Folder("/pub/none");
  EXPECT_EQ(GetDirectoryTreeSize(host, CString("Y:\\none"), 1), kDone);
  EXPECT_EQ(host.titles.back(), Text::kFolderOpenFailed);
}

TEST(FtpPrims, FilesFoldersAndTheStoredName) {
  SiteHost host;
  host.key = "1234";
  const std::string stored = crypto::TranslateEncryptedName("Y:\\d\\secret@Enc.txt", 0, "1234");
  ASSERT_FALSE(stored.empty());
  const std::string storedName = stored.substr(stored.rfind('\\') + 1);
  host.site.File("/pub/d/" + storedName, 5);
  host.site.File("/pub/d/plain.txt", 5);
  EXPECT_EQ(RemoveFile(host, CString("Y:\\d\\plain.txt"), kModeAsk, 1), kDone);
  EXPECT_FALSE(host.site.Has("/pub/d/plain.txt"));
  EXPECT_EQ(RemoveFile(host, CString("Y:\\d\\plain.txt"), kModeAsk, 1), kFailed);
  EXPECT_EQ(RemoveFile(host, CString("Y:\\d\\secret@Enc.txt"), kModeAsk, 1), kDone) << storedName;
  EXPECT_FALSE(host.site.Has("/pub/d/" + storedName));
  EXPECT_EQ(RemoveFile(host, CString("Y:\\d\\x"), kModeSkip, 1), kDone);

  EXPECT_EQ(MakeFolder(host, CString("Y:\\d\\new"), 1), kDone);
  EXPECT_TRUE(host.site.folders.count("/pub/d/new"));
  EXPECT_EQ(MakeFolder(host, CString("Y:\\d\\new"), 1), kFailed);
  // A folder under a refused one is not made in "/".
  host.site.refused.insert("/pub/d");
  EXPECT_EQ(MakeFolder(host, CString("Y:\\d\\other"), 1), kFailed);
  EXPECT_FALSE(host.site.folders.count("/other"));
  EXPECT_EQ(RemoveFolder(host, CString("Y:\\d\\new"), 1), kDone);
  EXPECT_FALSE(host.site.folders.count("/pub/d/new"));
  // Not connected: the FTP branch is not taken (the local one fails).
  host.site.connected = false;
  EXPECT_EQ(RemoveFolder(host, CString("Y:\\d"), 1), kFailed);
  EXPECT_TRUE(host.site.folders.count("/pub/d"));
}

}  // namespace
}  // namespace fileops
