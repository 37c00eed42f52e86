// The files of the narrowing undo: a snapshot is the table written in comma
// form (what a save writes), and undo reads it back through the CSV load, so
// an undo gives exactly the table a save and a reopen would give. Writing
// never touches the table.
#pragma once

#include <cstdint>

#include "core/safewrite/safewrite.h"
#include "csv/csv_table.h"
#include "fw/cstring.h"

namespace viewcore {

// Writes `table` in comma form to `path` with the safe writer (no backup).
SaveResult WriteSelectSnapshot(const csv::Table& table, const CString& path);

enum class SnapshotRead {
  kLoaded,      // the table holds the file's content
  kCannotOpen,  // the file did not open: the table is as it was
  kNoMemory,    // the buffer could not grow: the table is as it was
};
// Reads the CSV file text `path` into `table` (LoadFileText with `margin`
// spare bytes). `decode`, when given, turns the file's bytes into the
// table's text first (a source file in another encoding); false from it
// counts as kCannotOpen.
SnapshotRead ReadSelectSnapshot(const CString& path, csv::Table* table, std::uint32_t margin,
                                bool (*decode)(const std::string& bytes, std::string* text, void* ctx) = nullptr,
                                void* ctx = nullptr);

}  // namespace viewcore
