// The separator of a text read raw by a load statement: counted over its
// first lines, it decides whether the text becomes a comma table.
#pragma once

#include <cstddef>
#include <cstdint>

namespace macro {

struct LoadSeparatorCounts {
  int commas = 0;      // commas outside double quotes
  int tabs = 0;
  int bars = 0;        // '|' that is no Shift-JIS second byte
  int separators = 0;  // the table's field separator 0x06
  std::size_t scanned = 0;  // bytes looked at
};

// Counts over the first lines of `text` (`len` bytes), until two lines that
// hold any of the four have been seen or 5,000 bytes. A Shift-JIS lead byte
// followed by a byte below '@' becomes a blank in `text` (within the
// scanned bytes). A quote toggles the quote state and a line end ends it.
// With `csvKind` (the file's kind is a CSV table) the commas count at least
// 1 and the others 0. True when the text is to become a comma table:
// fewer than 2 TABs, some comma, fewer than 2 field separators, and fewer
// than 5 bars or more commas than bars.
bool MacroDetectLoadSeparator(std::uint8_t* text, std::size_t len, bool csvKind, LoadSeparatorCounts* counts);

}  // namespace macro
