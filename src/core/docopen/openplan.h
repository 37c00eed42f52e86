// What CDvkDoc::OpenFile does for a path: which reader a file kind goes to,
// and what each open mode asks for. Both are tables (openplan.cpp), so a new
// kind or mode is one row.
#pragma once

#include <cstdint>

#include "fw/cstring.h"

namespace docopen {

// The reader a kind goes to.
enum class Reader {
  kText,          // decoded text (kinds 9, 10, 98, 99 and any kind in a text mode)
  kCsv,           // decoded text, shown as a CSV table (33)
  kRichText,      // ".rtf": the RTF bytes themselves (4)
  kRichTextPacked,// ".rtz" / "rtzx": needs the archive code (not yet)
  kImage,         // pictures 12-28: LoadImageFile
  kArchive,       // 5: the archive listing (not yet)
  kMarkedSource,  // "+", "-", "=" before the extension: encrypted/packed sources (not yet)
  kRenderer,      // everything else: RenderFileAsText
};

struct KindRoute {
  int firstKind;
  int lastKind;
  Reader reader;
};

// The reader of `kind` for `path` (the path decides ".rtz"/"rtzx" and the
// marked sources, whose kind is that of the name without the marker).
Reader ReaderFor(int kind, const CString& path);

// The rows of the kind table, for tests and the design notes.
const KindRoute* KindRoutes(int* count);

// One row of the open-mode table.
struct OpenModeEntry {
  int mode;
  const char* meaning;
  bool show;          // UpdateAllViews afterwards (the file is shown)
  bool textOnly;      // leave the text form in m_pText / m_nTextLen, show nothing
  bool recordTime;    // keep the file's modification time in m_tOpenedFileTime
  bool searchLoad;    // a load of the search in files (m_nSearchLoadMode)
  int markupFlag;     // passed to RenderFileAsText (1: a page converted to text)
  int kindOverride;   // 0, or the kind to load the file as (Office loads 36-38)
};

// The row of `mode`; a mode missing from the table is read as mode 0 (a
// plain open), which is the least surprising for a caller.
const OpenModeEntry& OpenModeFor(int mode);
const OpenModeEntry* OpenModes(int* count);

// "+", "-" or "=" right after the extension's dot of the file name.
bool HasSourceMarker(const CString& path);

}  // namespace docopen
