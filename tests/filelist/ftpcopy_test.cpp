// The FTP transfers of one file against an in-memory site whose failures
// are planted (a cut data connection that reads as the end, an upload that
// breaks or arrives short, a server that never renames onto a name), and
// the plan of an FTP folder in a tree copy.
#include "core/fileops/ftpcopy.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "core/fileops/fileprims.h"
#include "filelist/flistcore/copyftpwalk.h"
#include "fw/file.h"
#include "tests/support/scratch.h"

namespace fileops {
namespace {

using testsupport::ReadBytes;
using testsupport::WriteBytes;

std::string Pattern(std::size_t n, unsigned seed) {
  std::string s(n, '\0');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 131 + seed * 7 + i / 251) & 0xFF);
  return s;
}

bool Exists(const CString& path) { return EntryAttributes(path) != 0xFFFFFFFFu; }

// One server folder per pseudo-drive folder ("Y:\a\b.txt" is file "b.txt"
// of folder "a"); every command is logged.
class MemorySite : public FtpSite {
 public:
  std::map<std::string, std::map<std::string, std::string>> folders;  // folder -> name -> bytes
  std::map<std::string, std::int64_t> times;                           // folder/name -> time
  std::vector<std::string> log;
  std::string current;
  // Planted failures.
  std::size_t cutReadAfter = std::string::npos;  // the read ends (as the end) after this many bytes
  bool readError = false;                        // ...or fails there
  std::size_t cutPutAfter = std::string::npos;   // an upload keeps this many bytes
  bool putReportsSuccess = false;                // ...and the server says it went well
  bool noRenameOnto = false;                     // the server never renames onto an existing name

  std::map<std::string, std::string>& Here() { return folders[current]; }
  bool Connected() override { return true; }
  int Connect(const CString&) override { return 0; }
  void Close() override {}
  int DriveNo(const CString& path) override { return path.Str().compare(0, 2, "Y:") == 0 ? 2 : 0; }
  CString Map(const CString& path, int mode, bool* refused) override {
    *refused = false;
    std::string p = path.Str().size() > 3 ? path.Str().substr(3) : std::string();
    const std::size_t cut = p.rfind('\\');
    if (mode == 2) {
      current = cut == std::string::npos ? "" : p.substr(0, cut);
      return CString(p.substr(cut == std::string::npos ? 0 : cut + 1).c_str());
    }
    current = p;
    return CString(p.c_str());
  }
  bool List(const std::function<bool(const FolderEntry&)>& each) override {
    for (const auto& f : Here()) {
      FolderEntry e;
      e.name = f.first;
      e.size = f.second.size();
      e.attributes = kAttrArchive;
      if (!each(e)) break;
    }
    return !Here().empty();
  }
  bool RemoveServerFolder(const CString&) override { return false; }
  bool RemoveServerFile(const CString& name) override {
    log.push_back("DELE " + name.Str());
    return Here().erase(name.Str()) == 1;
  }
  bool MakeServerFolder(const CString&) override { return false; }
  bool PutServerFile(const CString& local, const CString& name) override {
    log.push_back("STOR " + name.Str());
    std::string bytes = ReadBytes(local);
    if (bytes.size() > cutPutAfter) {
      Here()[name.Str()] = bytes.substr(0, cutPutAfter);
      return putReportsSuccess;
    }
    Here()[name.Str()] = bytes;
    return true;
  }
  // The chunked upload: what the source hands over, cut as planted.
  bool WriteServerFile(const CString& name, const std::function<int(char*, std::uint32_t)>& source) override {
    log.push_back("STOR " + name.Str());
    std::string& file = Here()[name.Str()];
    file.clear();
    char buffer[8192];
    for (;;) {
      const int n = source(buffer, sizeof buffer);
      if (n < 0) return false;
      if (n == 0) return true;
      pieces.push_back(n);
      file.append(buffer, static_cast<std::size_t>(n));
      if (file.size() > cutPutAfter) {
        file.resize(cutPutAfter);
        return putReportsSuccess;
      }
    }
  }
  std::vector<int> pieces;  // the sizes the last uploads handed over
  bool RenameOnServer(const CString& from, const CString& to) override {
    log.push_back("RNTO " + from.Str() + " " + to.Str());
    auto it = Here().find(from.Str());
    if (it == Here().end()) return false;
    if (noRenameOnto && Here().count(to.Str())) return false;
    Here()[to.Str()] = it->second;
    Here().erase(from.Str());
    return true;
  }
  bool SetServerFolder(const CString&) override { return true; }
  bool Lookup(const CString& name, FolderEntry* e) override {
    auto it = Here().find(name.Str());
    if (it == Here().end()) return false;
    e->name = it->first;
    e->size = it->second.size();
    e->attributes = kAttrArchive;
    e->mtime = times.count(current + "/" + it->first) ? times[current + "/" + it->first] : 0;
    return true;
  }
  bool ReadServerFile(const CString& name, const std::function<bool(const char*, std::uint32_t)>& sink) override {
    log.push_back("RETR " + name.Str());
    auto it = Here().find(name.Str());
    if (it == Here().end()) return false;
    const std::string& b = it->second;
    const std::size_t end = b.size() < cutReadAfter ? b.size() : cutReadAfter;
    for (std::size_t at = 0; at < end; at += 8192) {
      const std::size_t n = end - at < 8192 ? end - at : 8192;
      if (!sink(b.data() + at, static_cast<std::uint32_t>(n))) return false;
    }
    return !(readError && end < b.size());
  }
  bool SetServerFileTime(const CString& name, std::int64_t seconds) override {
    log.push_back("MFMT " + std::to_string(seconds) + " " + name.Str());
    times[current + "/" + name.Str()] = seconds;
    return true;
  }
  std::uint32_t LastError() override { return 0; }
};

class FtpCopyTest : public ::testing::Test {
 protected:
  void SetUp() override { fw::filetest::Reset(); }
  void TearDown() override { fw::filetest::Reset(); }
  testsupport::Scratch scratch;
  MemorySite site;
};

TEST_F(FtpCopyTest, ADownloadArrivesWholeAndACutOneLeavesTheLocalFileAsItWas) {
  const std::string data = Pattern(100000, 1);
  site.folders["pub"]["big.bin"] = data;
  const CString local = scratch.Path("big.bin");
  CopyFileResult r = DownloadFtpFile(site, "Y:\\pub\\big.bin", local, CopyFileOptions{});
  ASSERT_TRUE(r.placed) << r.error;
  EXPECT_TRUE(ReadBytes(local) == data);

  // Fail-if-exists: 80 and nothing read.
  site.log.clear();
  CopyFileOptions keep;
  keep.failIfExists = true;
  r = DownloadFtpFile(site, "Y:\\pub\\big.bin", local, keep);
  EXPECT_FALSE(r.placed);
  EXPECT_EQ(r.error, kErrFileExists);
  EXPECT_TRUE(site.log.empty());

  // The data connection cut after 64 KB reads as the end: the old file
  // stays, a new destination never appears, no temporary is left.
  site.folders["pub"]["big.bin"] = Pattern(100000, 2);
  site.cutReadAfter = 65536;
  r = DownloadFtpFile(site, "Y:\\pub\\big.bin", local, CopyFileOptions{});
  EXPECT_FALSE(r.placed);
  EXPECT_EQ(r.error, kErrNetBroken);
  EXPECT_TRUE(ReadBytes(local) == data);
  EXPECT_FALSE(Exists(CopyTemporaryFor(local)));
  const CString fresh = scratch.Path("fresh.bin");
  r = DownloadFtpFile(site, "Y:\\pub\\big.bin", fresh, CopyFileOptions{});
  EXPECT_EQ(r.error, kErrNetBroken);
  EXPECT_FALSE(Exists(fresh));
  EXPECT_FALSE(Exists(CopyTemporaryFor(fresh)));
  // A read error there: the same.
  site.readError = true;
  r = DownloadFtpFile(site, "Y:\\pub\\big.bin", fresh, CopyFileOptions{});
  EXPECT_FALSE(r.placed);
  EXPECT_FALSE(Exists(fresh));
  // A file the server does not list.
  r = DownloadFtpFile(site, "Y:\\pub\\none.bin", fresh, CopyFileOptions{});
  EXPECT_FALSE(r.placed);
  EXPECT_NE(r.error, kErrNone);
}

TEST_F(FtpCopyTest, ADownloadStoppedWithEscPlacesNothing) {
  site.folders["pub"]["big.bin"] = Pattern(2000000, 3);
  const CString local = scratch.Path("old.bin");
  WriteBytes(local, "old");
  CopyFileOptions options;
  int polls = 0, reports = 0;
  options.stop = [&] { return ++polls == 2; };
  options.progress = [&](std::uint64_t done, std::uint64_t total) {
    ++reports;
    EXPECT_LE(done, total);
    EXPECT_EQ(total, 2000000u);
  };
  const CopyFileResult r = DownloadFtpFile(site, "Y:\\pub\\big.bin", local, options);
  EXPECT_FALSE(r.placed);
  EXPECT_TRUE(r.stopped);
  EXPECT_GE(reports, 1);
  EXPECT_EQ(ReadBytes(local), "old");
  EXPECT_FALSE(Exists(CopyTemporaryFor(local)));
}

TEST_F(FtpCopyTest, AnUploadLooksTheNameUpGoesThroughATemporaryAndRenamesOverTheTarget) {
  const CString local = scratch.Path("up.txt");
  WriteBytes(local, "new bytes");
  site.folders["pub"]["up.txt"] = "server's old";
  site.times["pub/up.txt"] = 1500000000;
  // Fail-if-exists: the lookup finds it, 80, its time handed back, nothing sent.
  FtpTargetInfo target;
  CopyFileResult r = UploadFtpFile(site, local, "Y:\\pub\\up.txt", true, &target);
  EXPECT_EQ(r.error, kErrFileExists);
  EXPECT_TRUE(target.listed);
  EXPECT_EQ(target.mtime, 1500000000);
  EXPECT_EQ(site.folders["pub"]["up.txt"], "server's old");
  for (const std::string& line : site.log) EXPECT_NE(line.compare(0, 4, "STOR"), 0) << line;

  // Overwrite: to the temporary, then renamed over the target.
  site.log.clear();
  r = UploadFtpFile(site, local, "Y:\\pub\\up.txt", false, &target);
  ASSERT_TRUE(r.placed) << r.error;
  EXPECT_EQ(site.folders["pub"]["up.txt"], "new bytes");
  EXPECT_EQ(site.folders["pub"].size(), 1u);
  ASSERT_EQ(site.log.size(), 2u);
  EXPECT_EQ(site.log[0], "STOR .up.txt.~copy");
  EXPECT_EQ(site.log[1], "RNTO .up.txt.~copy up.txt");
  // A new name with fail-if-exists, given the time the list is to show.
  site.log.clear();
  r = UploadFtpFile(site, local, "Y:\\pub\\new.txt", true, &target, 1600000000);
  EXPECT_TRUE(r.placed);
  EXPECT_FALSE(target.listed);
  EXPECT_EQ(site.folders["pub"]["new.txt"], "new bytes");
  EXPECT_EQ(site.times["pub/new.txt"], 1600000000);
  ASSERT_FALSE(site.log.empty());
  EXPECT_EQ(site.log.back(), "MFMT 1600000000 new.txt");
}

TEST_F(FtpCopyTest, ABrokenOrShortUploadLeavesTheServersFileAndNoTemporary) {
  const CString local = scratch.Path("big.bin");
  WriteBytes(local, Pattern(200000, 4));
  const std::string old = Pattern(5000, 5);
  site.folders["pub"]["big.bin"] = old;
  site.cutPutAfter = 65536;
  // The server says it broke.
  CopyFileResult r = UploadFtpFile(site, local, "Y:\\pub\\big.bin", false, nullptr);
  EXPECT_FALSE(r.placed);
  EXPECT_NE(r.error, kErrNone);
  EXPECT_TRUE(site.folders["pub"]["big.bin"] == old);
  EXPECT_EQ(site.folders["pub"].size(), 1u) << "the temporary is removed";
  // The server says it went well, but holds less: the listed length tells.
  site.putReportsSuccess = true;
  r = UploadFtpFile(site, local, "Y:\\pub\\big.bin", false, nullptr);
  EXPECT_FALSE(r.placed);
  EXPECT_EQ(r.error, kErrNetBroken);
  EXPECT_TRUE(site.folders["pub"]["big.bin"] == old);
  EXPECT_EQ(site.folders["pub"].size(), 1u);
  // A temporary of an interrupted earlier run goes with the next upload.
  site.cutPutAfter = std::string::npos;
  site.folders["pub"][".big.bin.~copy"] = "left over";
  r = UploadFtpFile(site, local, "Y:\\pub\\big.bin", false, nullptr);
  EXPECT_TRUE(r.placed);
  EXPECT_TRUE(site.folders["pub"]["big.bin"] == Pattern(200000, 4));
  EXPECT_EQ(site.folders["pub"].size(), 1u);
}

TEST_F(FtpCopyTest, AnUploadReportsProgressByPieceAndEscBreaksItOffKeepingTheServersFile) {
  const CString local = scratch.Path("big.bin");
  WriteBytes(local, Pattern(2000000, 6));
  site.folders["pub"]["big.bin"] = "server's old";
  // Sent whole in pieces of 8,192 bytes, reported as a local copy is.
  CopyFileOptions options;
  std::vector<std::uint64_t> reported;
  int polls = 0;
  options.stop = [&] { return ++polls < 0; };
  options.progress = [&](std::uint64_t done, std::uint64_t total) {
    reported.push_back(done);
    EXPECT_EQ(total, 2000000u);
  };
  CopyFileResult r = UploadFtpFile(site, local, "Y:\\pub\\big.bin", false, nullptr, 0, options);
  ASSERT_TRUE(r.placed) << r.error;
  EXPECT_TRUE(site.folders["pub"]["big.bin"] == Pattern(2000000, 6));
  ASSERT_EQ(site.pieces.size(), 245u);  // 244 whole pieces and the rest
  for (std::size_t i = 0; i + 1 < site.pieces.size(); ++i) EXPECT_EQ(site.pieces[i], 8192);
  // The first report after 101 pieces past 64 KB, as PlaceFileCopy's; polls every 100 pieces and after each report.
  ASSERT_EQ(reported.size(), 2u);
  EXPECT_EQ(reported[0], 109u * 8192u);
  EXPECT_EQ(reported[1], 210u * 8192u);
  EXPECT_EQ(polls, 4);

  // Esc at the second poll: the transfer is broken off, the temporary
  // removed, the server's file as it was; no rename.
  site.folders["pub"]["big.bin"] = "server's old";
  site.pieces.clear();
  site.log.clear();
  polls = 0;
  options.stop = [&] { return ++polls == 2; };
  r = UploadFtpFile(site, local, "Y:\\pub\\big.bin", false, nullptr, 0, options);
  EXPECT_FALSE(r.placed);
  EXPECT_TRUE(r.stopped);
  EXPECT_EQ(r.error, kErrNone);
  EXPECT_EQ(site.folders["pub"]["big.bin"], "server's old");
  EXPECT_EQ(site.folders["pub"].size(), 1u) << "the temporary is removed";
  EXPECT_LT(site.pieces.size(), 245u);
  for (const std::string& line : site.log) EXPECT_NE(line.compare(0, 4, "RNTO"), 0) << line;
}

TEST_F(FtpCopyTest, AServerThatNeverRenamesOntoANameLosesTheOldFileOnlyForTheCompleteCopy) {
  const CString local = scratch.Path("a.txt");
  WriteBytes(local, "complete");
  site.folders["pub"]["a.txt"] = "old";
  site.noRenameOnto = true;
  CopyFileResult r = UploadFtpFile(site, local, "Y:\\pub\\a.txt", false, nullptr);
  ASSERT_TRUE(r.placed) << r.error;
  EXPECT_EQ(site.folders["pub"]["a.txt"], "complete");
  EXPECT_EQ(site.folders["pub"].size(), 1u);
  // The old file went after the complete copy was on the server.
  std::size_t stor = 0, dele = 0;
  for (std::size_t i = 0; i < site.log.size(); ++i) {
    if (site.log[i] == "STOR .a.txt.~copy") stor = i + 1;
    if (site.log[i] == "DELE a.txt") dele = i + 1;
  }
  EXPECT_GT(stor, 0u);
  EXPECT_GT(dele, stor);
  // A broken upload there never removes it.
  site.cutPutAfter = 3;
  WriteBytes(local, "complete again");
  r = UploadFtpFile(site, local, "Y:\\pub\\a.txt", false, nullptr);
  EXPECT_FALSE(r.placed);
  EXPECT_EQ(site.folders["pub"]["a.txt"], "complete");
}

TEST_F(FtpCopyTest, SiteToSiteGoesThroughTheScratchFile) {
  site.folders["a"]["f.bin"] = Pattern(30000, 6);
  site.times["a/f.bin"] = 1400000000;
  site.folders["b"]["f.bin"] = "old";
  const CString scratchFile = scratch.Path("DorvikTmp.tmp");
  WriteBytes(scratchFile, "stale");
  FtpTargetInfo target;
  CopyFileResult r = CopyFtpToFtp(site, "Y:\\a\\f.bin", "Y:\\b\\f.bin", scratchFile, true, &target);
  EXPECT_EQ(r.error, kErrFileExists);
  EXPECT_TRUE(target.listed);
  EXPECT_EQ(site.folders["b"]["f.bin"], "old");
  r = CopyFtpToFtp(site, "Y:\\a\\f.bin", "Y:\\b\\f.bin", scratchFile, false, &target);
  ASSERT_TRUE(r.placed) << r.error;
  EXPECT_TRUE(site.folders["b"]["f.bin"] == Pattern(30000, 6));
  EXPECT_TRUE(site.folders["a"]["f.bin"] == Pattern(30000, 6));
  EXPECT_FALSE(Exists(scratchFile));
  EXPECT_EQ(site.times["b/f.bin"], 1400000000) << "the source's server time";
  // A source cut short: nothing sent.
  site.cutReadAfter = 100;
  site.log.clear();
  r = CopyFtpToFtp(site, "Y:\\a\\f.bin", "Y:\\b\\g.bin", scratchFile, false, &target);
  EXPECT_FALSE(r.placed);
  EXPECT_EQ(site.folders["b"].count("g.bin"), 0u);
  for (const std::string& line : site.log) EXPECT_NE(line.compare(0, 4, "STOR"), 0) << line;
}

TEST(FtpCopyWalkTest, FilesThenAtMostAHundredFoldersAndRefusedNamesReported) {
  std::vector<FolderEntry> listed;
  auto add = [&](const std::string& name, bool folder, std::int64_t t = 0) {
    FolderEntry e;
    e.name = name;
    e.attributes = folder ? kAttrFolder : kAttrArchive;
    e.mtime = t;
    listed.push_back(e);
  };
  add(".", true);
  add("..", true);
  add("con.txt", false);
  add("a:b.txt", false);
  add("x?.txt", false);
  add("..\\up.txt", false);
  // F6 E6 is one character (the whole code page 932 lead-byte set): the
  // 0x5C after it is a separator, not a second byte.
  add("\xF6\xE6\\up.txt", false);
  add("ok.txt", false, 1600000000);
  for (int i = 0; i < 150; ++i) add("d" + std::to_string(i), true);
  add("last.txt", false);
  flist::FtpCopyWalk w = flist::PlanFtpCopyWalk(listed, 1000, false, 1700000000);
  EXPECT_EQ(w.refused,
            (std::vector<std::string>{"con.txt", "a:b.txt", "x?.txt", "..\\up.txt", "\xF6\xE6\\up.txt"}));
  ASSERT_EQ(w.files.size(), 2u);
  EXPECT_EQ(w.files[0].name, "ok.txt");
  EXPECT_EQ(w.files[0].time, 1600000000);
  EXPECT_EQ(w.files[1].name, "last.txt");
  ASSERT_EQ(w.folders.size(), 100u);
  EXPECT_EQ(w.folders[99].name, "d99");
  // The odd flag: the site's nine hours.
  w = flist::PlanFtpCopyWalk(listed, 1000, true, 1700000000);
  EXPECT_EQ(w.files[0].time, 1600000000 - 9 * 3600);
  // The capacity counts the entries read, dots included.
  w = flist::PlanFtpCopyWalk(listed, 8, false, 1700000000);
  EXPECT_EQ(w.files.size(), 1u);
  EXPECT_EQ(w.refused.size(), 5u);
  EXPECT_TRUE(w.folders.empty());
}

}  // namespace
}  // namespace fileops
