// The plan of an FTP folder in a tree copy over random listings: every name
// it hands on for copying is one the system takes as one name (no
// separator, no device, no "." or ".."), so joined to the destination it
// stays directly inside it; sub-folders are at most 100, and no more
// entries are taken than the capacity allows.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/fileops/filecopy.h"
#include "core/fileops/fileprims.h"
#include "filelist/flistcore/copyftpwalk.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

void CheckName(const std::string& name) {
  const CString n(name.c_str());
  Check(!fileops::IsRefusedName(n));
  const CString joined = fileops::JoinEntryPath(CString("C:\\dst"), name);
  const std::string j = joined.Str();
  Check(j.compare(0, 7, "C:\\dst\\") == 0);
  Check(fileops::GetPathLastName(joined).Str() == name);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const int capacity = 1 + data[0] % 40;
  const bool odd = (data[1] & 1) != 0;
  std::vector<fileops::FolderEntry> listed;
  // Entries: a flag byte, then the name up to a 0x00 byte.
  size_t at = 2;
  while (at < size) {
    fileops::FolderEntry e;
    const uint8_t flag = data[at++];
    e.attributes = (flag & 1) ? fileops::kAttrFolder : fileops::kAttrArchive;
    e.mtime = static_cast<std::int64_t>(flag) * 977 * 86400 - 400000000LL;
    while (at < size && data[at] != 0) e.name.push_back(static_cast<char>(data[at++]));
    ++at;
    listed.push_back(e);
  }
  // Many sub-folders now and then, to reach the limit.
  if (data[1] & 2)
    for (int i = 0; i < 120; ++i) listed.push_back({"f" + std::to_string(i), 0, fileops::kAttrFolder, 0});
  const flist::FtpCopyWalk walk = flist::PlanFtpCopyWalk(listed, capacity, odd, 1700000000);
  Check(walk.folders.size() <= static_cast<std::size_t>(flist::kFtpCopySubfolders));
  Check(walk.files.size() + walk.folders.size() + walk.refused.size() <= static_cast<std::size_t>(capacity));
  for (const flist::FtpCopyItem& f : walk.files) CheckName(f.name);
  for (const flist::FtpCopyItem& f : walk.folders) CheckName(f.name);
  return 0;
}
