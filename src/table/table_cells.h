// The cells of one line of a ruled table in the control: where its cell
// separators stand. Cells are separated by TABs; in rich text, from a given
// separator on (the 21st for the caret operations, the 31st for the cell
// selector), also by the dotted separators of wide tables: ".." or "__"
// followed by a blank or the line's end, and a blank followed by ".." and a
// printable byte. A "." or "_" right after a TAB is the rule glyph of that
// edge and reads as a blank. Double-byte characters (standard lead bytes)
// are stepped over whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace table {

// Longest line text the cell operations read.
constexpr std::size_t kCellLineBytes = 3000;
constexpr int kDottedFromCaret = 21;     // the caret operations
constexpr int kDottedFromSelector = 31;  // the cell selector

struct CellSeparator {
  std::size_t at = 0;     // byte offset of the separator
  std::size_t after = 0;  // byte offset where the next cell's text begins
  bool tab = true;        // a TAB (else a dotted separator)
};

// The separators of `line` (n bytes, at most kCellLineBytes read) that start
// before byte `end`. `dottedFrom` 0 counts TABs only; otherwise dotted
// separators count from the dottedFrom-th separator on.
std::vector<CellSeparator> CellSeparators(const std::uint8_t* line, std::size_t n, std::size_t end, int dottedFrom);

// The caret's cell index: the separators before byte `caret`. With
// `trailingRule`, a "__" followed by a blank at the very end of the text
// before the caret counts one less (the rule glyph of the cell the caret
// has just entered).
int CellIndexAt(const std::uint8_t* line, std::size_t n, std::size_t caret, int dottedFrom, bool trailingRule);

// Byte offset where the caret goes to stand in cell `index` of the line:
// after the index-th separator (two bytes after a dotted one); 0 for cell 0;
// -1 when the line has fewer separators.
long CaretOffsetOfCell(const std::uint8_t* line, std::size_t n, int index, int dottedFrom);

}  // namespace table

namespace table {

// The block of lines a rewrite of the ruled table takes around the caret:
// up to the nearest line at or above the caret with fewer than 3 TABs (or
// line 0), down to the first line below it without a TAB (or the last line),
// both ends included. `shortLine` is the first line below the caret whose
// TAB count fell below the largest so far less 5 and was not forgotten by a
// later line of more than the largest less 4 (-1: none); `tabs` is the
// total of the block's TABs.
struct RewriteBlock {
  int first = 0;
  int last = 0;
  int shortLine = -1;
  long long tabs = 0;
};
// `tabsOf(line)` counts the TABs of a line of the control (0 <= line < lineCount).
template <typename TabsOf>
RewriteBlock FindRewriteBlock(int caretLine, int lineCount, TabsOf tabsOf) {
  RewriteBlock b;
  if (lineCount <= 0) return b;
  if (caretLine < 0) caretLine = 0;
  if (caretLine >= lineCount) caretLine = lineCount - 1;
  int largest = 0;
  int line = caretLine;
  for (;; --line) {
    const int t = tabsOf(line);
    b.tabs += t;
    if (t > largest) largest = t;
    if (t < 3 || line == 0) break;
  }
  b.first = line;
  b.last = lineCount - 1;
  for (line = caretLine + 1; line < lineCount; ++line) {
    const int t = tabsOf(line);
    b.tabs += t;
    if (t > largest) largest = t;
    if (b.shortLine < 0 && t < largest - 5) b.shortLine = line;
    else if (b.shortLine >= 0 && t > largest - 4) b.shortLine = -1;
    if (t == 0) {
      b.last = line;
      break;
    }
  }
  return b;
}

}  // namespace table
