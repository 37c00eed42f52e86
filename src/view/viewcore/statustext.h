// Status-bar texts written by or through the text view: one table of
// formats with the pane each goes to.
#pragma once

#include "fw/cstring.h"

namespace viewcore {

// Where a text goes: pane 0, the pane of indicator 102 (caret position),
// the pane of indicator 104, pane 5.
enum class StatusPane { kPane0, kIndicator102, kIndicator104, kPane5 };

enum class StatusText {
  kProgressPercent,  // %d: progress of streaming a text in
  kLinesProgress,    // %d: line index of a long replace
  kMacroEnd,         // %d: replacements of the run
  kRecording,        // %d min, %d sec of key-macro recording
  kWidth,            // %d: column width
  kLineSpace,        // %d.%d: row height in points (see FormatLineSpace)
  kLineSpaceSingle,
  kLineSpaceOneHalf,
  kLineSpaceDouble,
  kCharOffset,       // %2d: raised/lowered offset
  kRawNumberOver,    // %d: column limit
  kMacroMemoryStart,
  kMacroMemoryEnd,
  kHitCount,         // %d: files found
  kLineCount,        // %d: lines
  kCaretPosition,    // %d row, %d column (from 1)
  kRange,            // %d row, %d-%d columns of the selection (from 1)
  kCount
};

struct StatusTextEntry {
  StatusText id;
  StatusPane pane;
  const char* format;
};

// The table (kCount rows, in StatusText order).
const StatusTextEntry& StatusTextFor(StatusText id);

// printf-formats the entry's text; the arguments must match its format.
CString FormatStatus(StatusText id, ...);

// "line space = %d.%d" of a height in twips: points and hundredths
// (height / 20, (height * 5) mod 100, a remainder of 50 shown as 5).
CString FormatLineSpace(int twips);

}  // namespace viewcore
