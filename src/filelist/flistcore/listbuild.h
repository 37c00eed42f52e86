// The placing half of a listing build: from the work entries a reader
// gathered to the pane's entry table (".." , folders, files, the blank
// entry, the summary), the count text, the cursor by name, the headers, the
// title and the scroll range. Portable; the pane's OnUpdate reads the
// folder, calls these and acts on the result.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "filelist/flistcore/entries.h"
#include "filelist/flistcore/sortkeys.h"

namespace flist {

struct PlaceRequest {
  PlaceSettings order;
  int fhold = 19000;
  bool filtersSet = false;
  std::string filterDescription;
  int sourceFiles = 0;             // files the reader counted
  std::uint64_t sourceBytes = 0;   // and their bytes
};

struct PlaceResult {
  int placedFiles = 0;
  std::uint64_t placedBytes = 0;
  int countedFiles = 0;
  std::uint64_t countedBytes = 0;
  std::string countText;            // "%3d" or "%3d/%3d"
};

// Fills `table` from work entries [0, n): m_nEntryCount = n cut to the
// capacity, entries 0..count-2 placed, count-1 blank, the summary at count.
PlaceResult PlaceListing(const std::vector<WorkEntry>& work, std::size_t n, const PlaceRequest& req, EntryTable* table);

// The summary's size value: -(10 + 10000*M + K) of the byte total, with M
// held to what a 32-bit value carries.
std::int32_t SummarySizeValue(std::uint64_t bytes);

// Case-insensitive name comparison (the framework's: the system's on
// Windows, ASCII case natively); true when equal.
using NameEquals = std::function<bool(const std::string&, const std::string&)>;
bool AsciiNameEquals(const std::string& a, const std::string& b);
// Step 28: the last entry 1..count-1 named `name`, else 0.
int CursorByName(const EntryTable& table, const std::string& name, const NameEquals& eq);

// Step 12: the five headings as string ids (0 = use `literal`) plus a suffix.
struct HeaderText {
  int id = 0;
  const char* literal = "";
  const char* suffix = "";
};
void HeaderTexts(unsigned sortMode, HeaderText out[5]);

// Step 29: the title text t of a build (the caller shows it when active).
std::string ListTitle(const std::string& curDir, const std::string& prevDir, const std::string& activePath);

// Step 30: the scroll range's upper end.
int ScrollMaxFor(int entryCount, int capacity);

// Step 15: the folder to list and the cursor name from the followed path.
struct FolderChoice {
  std::string curDir;
  std::string cursorName;
  bool cursorChanged = false;
};
FolderChoice FolderFromPath(const std::string& curDir, const std::string& startPath, const std::string& prevDir,
                            const std::string& cursorName, int relist, int relist2, int buildCount, int listHold);

// The text after the last separator of a path (whole characters only).
std::string LastComponent(const std::string& path);

}  // namespace flist

namespace flist {

// Whether a pane's folder goes into the start-folder slot at exit: a local
// ("X:..." ) or UNC folder; not the drive list (""), the network ("NW:")
// nor an FTP pseudo-drive (its first two characters those of an FTP entry
// of at least 24 characters).
bool KeepsExitFolder(const std::string& dir, const std::string ftpEntries[3]);

}  // namespace flist
