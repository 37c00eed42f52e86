// Decisions of the list's navigation: the folder a folder change lands on
// and the order a sort command chooses. Portable; the pane acts on them.
#pragma once

#include <cstdint>
#include <string>

namespace flist {

// Position of the last "\" of a Shift-JIS text that stands as a character
// of its own (never the trail byte of a double-byte character), or -1.
int LastBackslash(const std::string& text);

// The local step of a folder change. Mode 0 goes up from `curDir`, 1 goes to
// `path`, 2 asks for the drive list (the folder stays). `result` 1 or less
// means the drive list is shown next; above 1 the new folder is listed.
struct FolderStep {
  std::string dir;
  int result = 0;
};
FolderStep LocalFolderStep(const std::string& curDir, const std::string& path, int mode);

// The four sort commands of the list menu and the heading.
enum class SortCommand { kSize, kDate, kName, kExt };
// The sort mode a command sets from the current one, and how it clears the
// marks (1 also ends a folder comparison, 0 keeps it).
struct SortStep {
  std::uint32_t mode = 0;
  int clearMarks = 1;
};
SortStep NextSortMode(SortCommand command, std::uint32_t current);

// The drive letter a drive command names ('A', 'C'-'H') from its text "X:".
// Drives exist for a command when their bit is set in the mask of present
// drives (bit 0 = A) and the drive has a root.
bool DriveCommandEnabled(char letter, std::uint32_t driveMask, bool hasRoot);

}  // namespace flist
