// The program's own ZIP writer behind the archive creation entry: the
// archive's name, the entries collected by the walk, the 32-bit plan check,
// and the archive written member by member (each member's data goes straight
// to the file; the local header's CRC and sizes are filled in afterwards, so
// memory stays bounded and the bytes are those of a whole-file buffer).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "archive/arc_state.h"
#include "archive/arc_walk.h"
#include "archive/deflater.h"
#include "archive/zip_extract.h"

namespace arc {

// The archive name of the creation entry. kind 1 = ZIP with ".zip" added to
// a derived name, 2 = ZIP under the name given, 0 = LZH (".lzh"). argc 0:
// argv[0] is the name and argv[1] the one item. arcTmpRoot puts derived
// names below "C:\ARCHTMP\" (an absolute item contributes its last
// component). Returns the name and the items (argv[1..]).
std::string ArchiveNameFor(int kind, int argc, const std::vector<std::string>& argv,
                           const std::string& archiveName, bool arcTmpRoot, std::vector<std::string>* items);

// Collects the entries of the items (a last '/' or '\' dropped), leaving out
// the file `exclude` (the archive being written).
std::vector<WalkEntry> CollectEntries(const std::vector<std::string>& items, const std::string& exclude,
                                      bool recurse = true);

// Writes the entries as a ZIP archive named `zipName`. Refuses, before the
// file is created, what the 32-bit format cannot hold ("053" a file of 4 GiB
// or more, "054" more than 65535 entries, "055" 4 GiB of archive, "058" a
// long name); "025" when the archive does not open, "026" when a write or a
// member's read fails. result 0 or -1 with the code; the archive is left as
// far as it was written. stored: called once per member written. maxChain:
// the deflater's candidates per lookup (the full walk for every archive the
// user asks for; kQuickZipChain for packages of generated parts).
ArcOutcome WriteZip(ArcState& st, const std::string& zipName, const std::vector<WalkEntry>& entries,
                    const std::function<void(const WalkEntry&)>& stored = nullptr,
                    int maxChain = DeflateWindow::kMaxChain);

// The deflater's walk for packages of generated XML (the workbook export):
// their rows repeat a few dozen candidates back, so this short walk packs a
// worksheet to nearly the size the full walk gives in far less time
// (docs/performance.md).
constexpr int kQuickZipChain = 32;

}  // namespace arc
