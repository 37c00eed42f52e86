// The small file-system steps of the file statements that the framework's
// file layer does not have: the process's working folder (read, set, and
// put back), a whole-file copy and a folder test. Program paths (Shift-JIS,
// "\" separators) as everywhere; 64-bit sizes throughout.
#pragma once

#include <filesystem>

#include "fw/cstring.h"

namespace macro {

// The process's working folder; an empty path when it cannot be read.
std::filesystem::path MacroWorkingFolder();
// Makes `path` the working folder; false when it cannot be entered.
bool MacroSetWorkingFolder(const CString& path);
// Puts a working folder read by MacroWorkingFolder back (nothing for an
// empty one).
void MacroRestoreWorkingFolder(const std::filesystem::path& folder);

// Copies a file over an existing destination; false on any failure.
bool MacroCopyFile(const CString& from, const CString& to);
// True when `path` names an existing folder.
bool MacroIsFolder(const CString& path);

// Keeps the working folder of the moment and puts it back when it ends.
class WorkingFolderKeeper {
 public:
  WorkingFolderKeeper() : saved_(MacroWorkingFolder()) {}
  ~WorkingFolderKeeper() { MacroRestoreWorkingFolder(saved_); }
  WorkingFolderKeeper(const WorkingFolderKeeper&) = delete;
  WorkingFolderKeeper& operator=(const WorkingFolderKeeper&) = delete;

 private:
  std::filesystem::path saved_;
};

}  // namespace macro
