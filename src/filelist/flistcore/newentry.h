// The list's new file and new folder: the name the input starts with and the
// creation of the empty file, which never empties an existing file without
// the overwrite question and a dated backup. Portable.
#pragma once

#include <functional>
#include <string>

#include "core/fileops/fileprims.h"
#include "fw/cstring.h"

namespace flist {

// The input's preset from the cursor entry's name: "" for ".." and ".".
std::string NewEntryPreset(const std::string& cursorName);

enum class NewFileResult {
  kCreated,  // a new empty file
  kEmptied,  // an existing file emptied after the question and its backup
  kKept,     // the user kept the existing file (nothing changed)
  kFailed,   // nothing could be created (a folder of that name, no access)
};

// Creates the empty file `path`. A name that does not exist is created only
// while it still does not exist, so a file that appeared meanwhile is never
// truncated. An existing file is emptied only when `confirmOverwrite`
// answers true and its dated backup was made (or, when the backup fails,
// the user answers Yes to going on without one).
NewFileResult MakeNewFile(fileops::FileOpsHost& host, const CString& path,
                          const std::function<bool()>& confirmOverwrite);

}  // namespace flist
