// The column pass of a ruled table's RTF: inserting ('E'), removing ('R'),
// splitting ('I', 'i') and joining ('U') a column, in one forward copy of
// the table block, and the cell scanner that finds where a new TAB goes
// inside a cell.
//
// How the pass reads the block:
// - A row is a paragraph; "\par" ends it ("\pard" never does). A TAB stop
//   "\tx" of a paragraph is counted from 1; the t-th "\tab" of a row lands on
//   stop t + 1 (the first stop of a ruled table is the 0 before the lead-in),
//   so the cell after TAB t spans stops t + 1 and t + 2.
// - The stops belong to the paragraph format that "\pard" opens. A writer
//   that writes "\pard" only when the format changes lets later rows share
//   it; the pass then treats those rows as carrying the same stops, and where
//   the edited range begins or ends inside such a run, it restates the format
//   ("\pard" and its words) so that rows outside the range keep their stops
//   and rows inside get the new ones.
// - Look-aheads step over blanks and interleaved character words ("\lang",
//   "\f", "\cf", "\uc", ...) and stay within 100 bytes (glyphs) or 150 bytes
//   (the scanner's first phase); bytes past the text read as NUL.
#pragma once

#include <cstddef>
#include <string_view>

#include "table/rtfpass/rtf_pass.h"

namespace table::rtfpass {

// Rewrites the columns of the table block `rtf` for args.command:
//   'E'  insert an empty column (column c = args.column, one less above 2);
//   'R'  remove the cell after TAB c - 1 and the stop c + 1;
//   'I'  split the cell after TAB c - 1; later stops move right by 300;
//   'i'  (or 'I' with args.noShift) split without moving later stops;
//   'U'  join: remove TAB c (c = args.column - 1 below 32) and stop c + 1.
// The split position n (characters wanted + 1) of 'I'/'i' is
// facts.caretOffset + 1 when args.count is nonzero (caretOffset: the number
// of text characters of the caret's cell before the caret, its rule glyph
// not counted), else facts.atrSplit + 3 (9 when atrSplit is 0 or below);
// it is clamped to the scanner's limit of 900 characters.
// facts.textSize is the text size s in half-points (a blank is 5 x s twips
// wide). Paragraphs [args.firstPara, args.endPara) are edited (endPara 0:
// to the end; 'R' and 'U' with a zero count include endPara).
// Other commands, and a column argument below 2, return the input
// unchanged. A pass that changes nothing returns its input byte for byte
// (changed = false). When the output would pass `limit` bytes, error is
// kNoRoom, changed is false and rtf is the input.
PassResult RewriteColumns(std::string_view rtf, const PassArgs& args, const PassFacts& facts, std::size_t limit);

// What RtfScanCellText found in one cell.
struct CellScan {
  std::size_t textStart = 0;  // offset in the text where the cell's text begins
  int count = 0;              // characters counted (a "\'xx" escape is one)
  std::size_t position = 0;   // where the count stopped, relative to `start`
  int state = 0;              // first phase: 0 nothing found, 1 a 1-point glyph,
                              // 2 a size of two or more digits, 3 an escaped
                              // byte; 10 more when a "\tab" ended it (10: TAB
                              // before any glyph, 11: glyph then TAB = empty cell)
  bool highlight = false;     // a "\highlight" word was passed in the first phase
};

// Scans the cell that begins at `start`, the "tab" letters of a "\tab" word
// (or just past them). Phase 1 skips at most 150 bytes of rule glyph and
// format words up to the cell's text; phase 2 counts the text's characters
// until the count reaches limit - 1 outside a double-byte pair (limit 9999:
// the cell's end), or at "\tab", "\par", a NUL, 900 characters or 3,000
// bytes from `start`. The count never ends between the two bytes of a
// double-byte character: an escaped byte whose first hex digit is 8, 9 or
// one from 'e' on (and the characters between '9' and 'a') flips the
// in-pair flag, any other escaped byte clears it, and a plain byte after a
// lead byte is taken as its trail byte. Control words are not characters,
// nor is the blank that ends one. When phase 1 finds neither a glyph nor a
// size word (states 0 and 10), the text begins right after the "tab" word.
// A start past the text scans nothing.
CellScan RtfScanCellText(std::string_view rtf, std::size_t start, int limit);

}  // namespace table::rtfpass
