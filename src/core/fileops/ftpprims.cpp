#include "core/fileops/ftpprims.h"

#include <string>
#include <vector>

#include "core/docsvc/ftppath.h"
#include "core/fileops/fileprims.h"
#include "fw/path.h"

namespace fileops {

namespace {

struct Listing {
  std::vector<std::string> files;
  std::vector<std::uint64_t> sizes;  // of the files
  std::vector<std::string> folders;  // at most kFtpSubfolderLimit
  bool found = false;
};

// Reads the current folder of the site: at most `limit` entries ("." and
// ".." counted; 0 for no limit). Names that are not safe to join to the
// folder (paths, dots only, control bytes, too long) are passed over: a walk
// never acts on them.
Listing ReadFolder(FtpSite& site, long limit) {
  Listing l;
  long read = 0;
  l.found = site.List([&](const FolderEntry& e) {
    if (limit > 0 && read >= limit) return false;
    ++read;
    if (!IsDotEntry(e.name) && docsvc::IsSafeFtpName(e.name)) {
      if (e.attributes & kAttrFolder) {
        if (static_cast<int>(l.folders.size()) < kFtpSubfolderLimit) l.folders.push_back(e.name);
      } else {
        l.files.push_back(e.name);
        l.sizes.push_back(e.size);
      }
    }
    return limit <= 0 || read < limit;
  });
  return l;
}

}  // namespace

FtpSite* FtpSiteOf(FileOpsHost& host, const CString& path, int useFtp, bool anyConnection) {
  FtpSite* site = host.Ftp();
  if (!site || useFtp != 1) return nullptr;
  if (!anyConnection && !site->Connected()) return nullptr;
  const int n = site->DriveNo(path);
  return n >= 1 && n <= 3 ? site : nullptr;
}

int FtpChangeDirectory(FtpSite& site, const CString& path) {
  bool refused = false;
  site.Map(path, 1, &refused);
  // A refused folder leaves "/" current: nothing may act there as if it
  // were the folder asked for.
  return refused ? kFailed : kDone;
}

int FtpRemoveFolder(FtpSite& site, const CString& path) {
  bool refused = false;
  const CString server = site.Map(path, 1, &refused);
  if (refused || server.IsEmpty()) return kFailed;
  return site.RemoveServerFolder(server) ? kDone : kFailed;
}

int FtpRemoveFile(FtpSite& site, const CString& storedPath) {
  bool refused = false;
  const CString name = site.Map(storedPath, 2, &refused);
  if (refused || name.IsEmpty()) return kFailed;
  return site.RemoveServerFile(name) ? kDone : kFailed;
}

int FtpDeleteDirectoryTree(FileOpsHost& host, FtpSite& site, const CString& folder, int mode, int confirm, int quiet,
                           int limit) {
  if (FtpChangeDirectory(site, folder) < 0) return kFailed;
  // The whole (limited) listing is read before anything is removed: the
  // connection carries one search, and a removal moves its current folder.
  const Listing l = ReadFolder(site, limit > 0 ? limit : 1);
  if (!l.found) {
    host.SetTitle(Text::kEmptyFtpFolder);
    return kFtpUnlisted;
  }
  for (const std::string& name : l.files) DeleteEntry(host, JoinEntryPath(folder, name), 0, mode, confirm, quiet, 1, limit);
  for (const std::string& name : l.folders) DeleteEntry(host, JoinEntryPath(folder, name), 1, mode, confirm, quiet, 1, limit);
  site.SetServerFolder("/");
  return kDone;
}

int FtpGetDirectoryTreeSize(FileOpsHost& host, FtpSite& site, const CString& folder) {
  if (FtpChangeDirectory(site, folder) < 0) return kFailed;
  const Listing l = ReadFolder(site, 0);
  if (!l.found) {
    host.SetTitle(Text::kFolderOpenFailed);
    return kDone;
  }
  for (std::uint64_t size : l.sizes) {
    host.TreeBytes() += size;
    ++host.TreeFiles();
  }
  // The sub-folders after the search is closed, each entered by its full
  // path. A server whose links make a loop stops at the local walk's depth.
  for (const std::string& name : l.folders) {
    if (host.EscapeConfirmed()) return kStopped;
    if (++host.TreeDepth() > kMaxTreeDepth) {
      --host.TreeDepth();
      continue;
    }
    const int r = FtpGetDirectoryTreeSize(host, site, JoinEntryPath(folder, name));
    --host.TreeDepth();
    if (r == kStopped) return kStopped;
  }
  return kDone;
}

int FtpMakeFolder(FtpSite& site, const CString& path) {
  bool refused = false;
  const CString name = site.Map(path, 2, &refused);
  if (refused || name.IsEmpty()) return kFailed;
  return site.MakeServerFolder(name) ? kDone : kFailed;
}

}  // namespace fileops
