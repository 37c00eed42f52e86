// The commands of the ruled-table engine (CDvkView::TableCommand) as data:
// one row per command code with the path that runs it. A code without a row,
// or whose path is not there yet, runs only the engine's final steps (the
// pane sync and the unlock). The decisions of one call are made here; the
// view carries them out.
#pragma once

#include <cstddef>
#include <cstdint>

namespace table {

enum class TablePath : std::uint8_t {
  kFinalOnly,  // nothing but the final steps
  kEdit,       // in-place edit of the shown ruled table (lines, widths, heights, rows, columns)
  kConvert,    // 'e' / 'f': separated text lines into the ruled form, then the write-back
  kRebuild,    // 'D', 'T', 'd', 'N': the whole table rebuilt from the CSV buffer
  kPdf,        // 'P': the table written as a PDF file
};

struct TableCommandRow {
  int code;
  TablePath path;
  bool built;        // the path is there: false runs the final steps only
  const char* what;  // what the command does (for the docs and tests)
};

// The command table, and its row for `code` (nullptr: no row).
const TableCommandRow* TableCommands(std::size_t* count);
const TableCommandRow* FindTableCommand(int code);

// Arrow keys (the column narrower/wider, the row lower/higher).
constexpr int kKeyLeft = 37;
constexpr int kKeyUp = 38;
constexpr int kKeyRight = 39;
constexpr int kKeyDown = 40;

constexpr int kRuledTableMode = 3;  // m_nEditMode of the ruled display
constexpr int kKindRichText = 4;    // m_nFileKind of rich text

// What one call of the engine does.
struct TableCommandPlan {
  TablePath path = TablePath::kFinalOnly;
  int cmd = 0;
  int count = 1;         // 0 is taken as 1
  int cellOnly = 0;      // forced to 1 while Shift is held (m_bShiftHeld 1)
  // Rebuild: the rich text is streamed into the control ('D', 'd', 'N');
  // 'T' leaves it in the document's buffer.
  bool streamIn = false;
  // Rebuild: what is replaced before the stream-in. 'N' replaces nothing
  // (the new table goes in at the caret); the others the whole text, or
  // lines firstLine..lastLine outside the ruled display.
  bool replaceNothing = false;
  bool replaceAll = false;
  int firstLine = 0, lastLine = 0;
};

// The plan of TableCommand(cmd, row, cellOnly, firstLine, lastLine, ...,
// count) on a view of `fileKind` in `editMode`, with the document's Shift
// word `shiftHeld`.
TableCommandPlan PlanTableCommand(int cmd, int cellOnly, int firstLine, int lastLine, int count,
                                  std::uint32_t fileKind, std::uint32_t editMode, std::uint32_t shiftHeld);

}  // namespace table
