#include "filelist/flistcore/copyftpwalk.h"

#include "core/fileops/filecopy.h"
#include "filelist/flistcore/ftprecord.h"

namespace flist {

FtpCopyWalk PlanFtpCopyWalk(const std::vector<fileops::FolderEntry>& listed, int capacity, bool oddFlag,
                            std::int64_t now) {
  FtpCopyWalk walk;
  int taken = 0;
  for (const fileops::FolderEntry& e : listed) {
    if (taken >= capacity) break;
    ++taken;
    if (e.name == "." || e.name == "..") continue;
    // A name the system refuses, or a path that would lead out of the
    // destination folder, is reported and never joined to a path.
    if (fileops::IsRefusedName(CString(e.name.c_str())) || e.name.size() > 255) {
      walk.refused.push_back(e.name);
      continue;
    }
    FtpCopyItem item{e.name, e.mtime != 0 ? FtpListTime(e.mtime, oddFlag, now) : 0};
    if (e.attributes & fileops::kAttrFolder) {
      if (static_cast<int>(walk.folders.size()) < kFtpCopySubfolders) walk.folders.push_back(item);
    } else {
      walk.files.push_back(item);
    }
  }
  return walk;
}

}  // namespace flist
