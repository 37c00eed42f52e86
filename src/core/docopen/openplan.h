// What CDvkDoc::OpenFile does for a path: which reader a file kind goes to,
// and what each open mode asks for. Both are tables (openplan.cpp), so a new
// kind or mode is one row.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/textcodec/keepbytes.h"
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

// Whether `reader` hands over the file's own text (read and decoded), so
// that saving the text writes the file again. Every other reader makes its
// text from the file (a listing, media information, a converter's output, a
// picture's empty text): such a text is never saved over the file it was made
// from (docopen::PlanSaveName).
bool ReadsFileAsText(Reader reader);

// The rows of the kind table, for tests and the design notes.
const KindRoute* KindRoutes(int* count);

// How OpenFile is asked to open (the callers' mode numbers).
enum class OpenMode : int {
  kPlain = 0,                  // File/Open, the list, the command line
  kMacroLoad = 1,              // macro load / "loadnet" page
  kShowAgain = 2,              // source after an error, new listing, file just written
  kSearchContentsAndName = 9,  // search in files
  kSearchNames = 10,
  kSearchContents = 11,
  kTextOnly = 12,              // the text form only, nothing shown
  kListEntry = 13,             // a list entry without a time
  kAsXlsx = 36,                // Office loads by their form
  kAsDocx = 37,
  kAsPptx = 38,
};

// One row of the open-mode table.
struct OpenModeEntry {
  OpenMode mode;
  const char* meaning;
  bool show;          // UpdateAllViews afterwards (the file is shown)
  bool textOnly;      // leave the text form in m_pText / m_nTextLen, show nothing
  bool recordTime;    // keep the file's modification time in m_tOpenedFileTime
  bool searchLoad;    // a load of the search in files
  int markupFlag;     // passed to RenderFileAsText (1: a page converted to text)
  int kindOverride;   // 0, or the kind to load the file as (Office loads 36-38)
};

// The row of `mode`; a mode missing from the table is read as mode 0 (a
// plain open), which is the least surprising for a caller.
const OpenModeEntry& OpenModeFor(OpenMode mode);
const OpenModeEntry* OpenModes(int* count);

// "+", "-" or "=" right after the extension's dot of the file name.
bool HasSourceMarker(const CString& path);

// --- the renderer path of OpenFile --------------------------------------------

// The renderer's output buffer: "outdata" + "indata" + 2000 bytes, at least
// 64 KB, below 2 GB (the renderers get their read limits as arguments).
struct RenderPlan {
  std::uint32_t bufferSize = 0;
};
RenderPlan PlanRender(std::int32_t indata, std::int32_t outdata);

// How much of a rendered text of `length` bytes a buffer of `capacity`
// bytes keeps: all of it, or what fits with room for the NUL.
std::uint32_t RenderedLength(std::size_t length, std::uint32_t capacity);

// --- the readers of a file's own bytes (text, CSV, RTF) ------------------------

// How OpenFile reads a file whose reader hands over its own text
// (ReadsFileAsText). `shownAsTable`: the view shows the kind as a table.
struct TextRead {
  bool bytesAsTheyAre = false;  // RTF: the bytes themselves, nothing decoded
  bool tryOnePass = false;      // a shown CSV table: first the one-pass table open
  // What the save compares the text with: a CSV file as its table gives it
  // back (every 0x06 a ','), any other text as it was read.
  textcodec::ReadBack readBack = textcodec::ReadBack::kAsRead;
};
TextRead PlanTextRead(Reader reader, const OpenModeEntry& how, bool shownAsTable);

// --- after the new text is in place --------------------------------------------

// What OpenFile does once the new text is the document's.
struct AfterLoad {
  bool textOnly = false;          // text-only and search loads: nothing else changes
  bool recordTime = false;        // m_tOpenedFileTime from the file
  bool show = false;              // UpdateAllViews
  enum class Note { kNone, kDecodeError, kReplaced } note = Note::kNone;
  bool noteInBox = false;         // the note as a message (else on the status bar)
  // Pane 0 of the status bar takes the status-bar note or is emptied: a line
  // said of the previous document does not stay under this one.
  bool setStatusPane = false;
};
AfterLoad PlanAfterLoad(const OpenModeEntry& how, bool haveStatus, bool decodeError, std::size_t replaced);

}  // namespace docopen
