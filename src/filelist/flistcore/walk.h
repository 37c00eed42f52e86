// The folder walk of a listing: reads the current directory of a folder
// host (and, for a multi-folder listing, its sub-folders) into work
// entries, filtering files by the pane's conditions. Portable.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/fileops/folderhost.h"
#include "filelist/flistcore/filters.h"
#include "filelist/flistcore/sortkeys.h"

namespace flist {

// Text of the entry that stands for a folder whose path is too long.
constexpr char kLongPathEntry[] = "Eror: pass size over (Max.255 char)";
constexpr int kMaxWalkDepth = 30;       // folders at this depth are listed, not walked
constexpr int kProgressEvery = 100;     // files between progress texts and Esc polls
constexpr std::int64_t kTimeLimit = 2145916800;  // 2038-01-01: later times count as 0

// The walk's arguments as named fields.
struct WalkRequest {
  fileops::FolderHost* host = nullptr;
  std::vector<WorkEntry>* work = nullptr;   // name, folder, extension, attributes, size, time
  int* entryCount = nullptr;                // next position to write
  int* fileCount = nullptr;
  std::uint64_t* totalSize = nullptr;
  int walkSubfolders = 0;                   // m_nListFlag
  std::string relFolder;                    // "" at the top
  WalkConditions conditions;
  int* depth = nullptr;
  int showProgress = 0;
  int* progress = nullptr;
  // The pane's context.
  std::string listFolder;                   // m_strCurDir
  unsigned displayMode = 0;
  int ftpList = 0;
  int listSource = 0;
  int fhold = 19000;
  std::string encryptKeyCode;               // enciphered names are shown deciphered
  bool presentation = false;                // no progress texts while a presentation runs
  std::function<void(const std::string&)> progressText;  // status pane 0
  std::function<int()> checkEscape;         // 1 = the user stopped the walk
  std::function<void()> folderUnreadable;   // title string 145
};

// 0 when the walk ended normally, -1 when the folder could not be read or
// the user stopped it (the entries stored so far stay).
int WalkFolder(const WalkRequest& r);

// A walk's work table ("." and ".." first) and counters, and requests wired
// to them (the caller sets the rest of a request). Not copied: the requests
// point into it.
struct WalkState {
  std::vector<WorkEntry> work;
  int count = 2, files = 0, depth = 0, progress = 0;
  std::uint64_t bytes = 0;

  WalkState() { Reset(); }
  WalkState(const WalkState&) = delete;
  WalkState& operator=(const WalkState&) = delete;

  void Reset() {
    work.assign(2, WorkEntry());
    work[0].name = ".";
    work[1].name = "..";
    count = 2;
    files = depth = progress = 0;
    bytes = 0;
  }
  WalkRequest Request(fileops::FolderHost* host) {
    WalkRequest r;
    r.host = host;
    r.work = &work;
    r.entryCount = &count;
    r.fileCount = &files;
    r.totalSize = &bytes;
    r.depth = &depth;
    r.progress = &progress;
    return r;
  }
};

}  // namespace flist
