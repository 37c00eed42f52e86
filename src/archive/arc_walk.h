// The file side of the archive writers: file-information records, the folder
// maker the extractors share, folder listings and the walk that turns items
// (files, folders, patterns) into entries.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/arc_time.h"

namespace arc {

struct FileStatRecord {
  // -1: the path does not exist; -2: a folder; else the size in bytes
  // (64-bit: a file of 4 GiB or more keeps its size and is refused by the
  // writer's plan, never taken for "missing" or "folder").
  int64_t size = -1;
  ArcDateTime time{1900, 1, 1, 0, 0, 0};
  int attr = 0;          // DOS attribute byte
  bool reparse = false;  // a junction, mount point or symbolic link
};

FileStatRecord FillFileStat(const std::string& path);

// Creates the folder (program path) and every missing parent; true when it
// exists at the end.
bool MakeFolders(const std::string& path);

struct FolderItem {
  std::string name;
  int attr = 0;  // 0x10 folder, 0x400 reparse point
};
// The entries of a folder (without "." and ".."), in the order the system
// gives them; empty for a path that is no folder.
std::vector<FolderItem> ListFolder(const std::string& folder);

struct WalkEntry {
  std::string name;  // member name: the item as given, '/' after folders
  std::string path;  // where the bytes are read
  bool folder = false;
  FileStatRecord stat;
};

struct WalkOptions {
  int maxDepth = 64;       // folder levels below an item
  std::string exclude;     // full path of a file never taken (the archive itself)
  bool recurse = true;     // descend into folders
};

// Walks one item: a file adds its entry; a folder with entries walks them
// (depth first, in listing order) and adds no entry of its own; an empty
// folder adds a folder entry; a missing path adds nothing. Wildcards ("*",
// "?") in the item's last component expand to the matching entries.
// Reparse points are not descended into, nor folders deeper than maxDepth.
void WalkItem(const std::string& item, const WalkOptions& opt, std::vector<WalkEntry>& out);

}  // namespace arc
