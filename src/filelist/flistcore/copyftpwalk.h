// The plan of one FTP folder in a tree copy: which of the listed entries
// are copied as files, which sub-folders follow after the search (the
// connection holds one search at a time), and which names are reported
// because the system refuses them ("con.txt", "a:b.txt", "x?.txt", names
// that are paths). Times are those the list shows (the site's time rules).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/fileops/folderhost.h"

namespace flist {

// Sub-folders of one FTP folder a tree copy handles; further ones are not
// copied.
constexpr int kFtpCopySubfolders = 100;

struct FtpCopyItem {
  std::string name;
  std::int64_t time = 0;  // as the list shows it (seconds), 0 unknown
};

struct FtpCopyWalk {
  std::vector<FtpCopyItem> files;    // in listed order
  std::vector<FtpCopyItem> folders;  // at most kFtpCopySubfolders, in listed order
  std::vector<std::string> refused;  // names not copied, reported
};

// `listed` as the server gave it; at most `capacity` entries are taken
// ("." and ".." count, as in the list); `oddFlag` and `now` as for the list.
FtpCopyWalk PlanFtpCopyWalk(const std::vector<fileops::FolderEntry>& listed, int capacity, bool oddFlag,
                            std::int64_t now);

}  // namespace flist
