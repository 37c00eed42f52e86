// Pattern mode of the spreadsheet export: a binary workbook template whose
// cells hold placeholders "⊃RRKK" (R a two-digit row, K a two-digit column
// of the table) is filled in place. Placeholders are looked for from byte
// 513 on, in two forms:
//   - UTF-16: 0x83 0x22 and four characters whose low bytes are the digits;
//     the byte before is the string's option flag (0 or 1). The bytes it may
//     take are twice the byte 3 places before it (flag 1) or 7 places
//     before it (flag 0).
//   - Shift-JIS: 0x81 0xBD and the four digit bytes, a 0 byte before it;
//     its bytes are the byte 2 places before it.
// Every read and write stays inside the template: a placeholder whose
// digits or budget reach past its end is cut at the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace handover {

// Templates shorter than this are not filled (the export returns 1).
constexpr std::size_t kPatternMinTemplate = 256;
// The first byte searched for placeholders.
constexpr std::size_t kPatternSearchStart = 513;
// Longest cell taken from the table.
constexpr std::size_t kPatternMaxCell = 2000;
// Cells shorter than this many characters are padded with blanks (UTF-16).
constexpr std::size_t kPatternPadChars = 8;

struct PatternCounts {
  std::size_t placeholders = 0;  // found in either form
  std::size_t cleared = 0;       // UTF-16 ones blanked (beyond the table)
  std::size_t filled = 0;        // overwritten by a cell
};

// Clears the UTF-16 placeholders whose row is above lines + 1 or whose
// column is above fields, then fills the placeholders cell by cell from the
// table text (cells end at any byte at or below 0x1F, or after 2000 bytes;
// CR or LF ends a row, a following CR or LF is passed over; a NUL ends the
// text). UTF-16 placeholders get the cell in UTF-16, padded to 8
// characters, over template characters above 0x1F, and when the cell runs
// out on a '_' that one becomes a blank; Shift-JIS placeholders get the
// cell's bytes, a template '_' becoming a blank with the cell byte there
// passed over.
PatternCounts PatchPatternTemplate(std::string* templ, const std::uint8_t* table, std::size_t len, long long lines,
                                   long long fields);

}  // namespace handover
