// The CSV working buffer (fields separated by 0x06, rows by CR LF, quotes as
// they were in the file) back to file text.
//
// Comma form (kinds 33 and 35): 0x06 and a TAB outside double quotes become
// ','; a field holding a comma outside double quotes is written in double
// quotes (its own quotes doubled, so the comma reads back inside them);
// quotes of other fields stay exactly as they are; a field whose quotes do
// not pair gets a closing quote, so the rows stay rows when the file is read
// again; row ends (CR LF, or a lone CR or LF) are copied as they are.
// TAB form (kind 9): 0x06 becomes TAB, everything else is copied.
// In both forms, when the table has more than one field per row, one or two
// control bytes after the last row end (the display's trailing paragraph
// mark, a stray separator) are dropped. The text ends at the length or at the
// first NUL byte, whichever comes first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace viewcore {

enum class CommaFormKind { kComma, kTab };

// kComma for the CSV kinds 33 and 35, kTab for any other kind (9).
CommaFormKind CommaFormKindFor(int fileKind);

struct CommaFormStats {
  std::size_t rows = 0;          // row ends written (+1 for an unterminated last row)
  std::size_t quotedFields = 0;  // fields wrapped in quotes for a comma
  std::size_t closedQuotes = 0;  // fields given a closing quote
  std::size_t droppedTail = 0;   // trailing control bytes left out
};

// Appends the file text of `buf` (`len` bytes) to `out`.
void AppendCommaForm(const std::uint8_t* buf, std::size_t len, CommaFormKind kind, std::string& out,
                     CommaFormStats* stats = nullptr);

inline std::string ToCommaForm(const std::uint8_t* buf, std::size_t len, CommaFormKind kind,
                               CommaFormStats* stats = nullptr) {
  std::string out;
  AppendCommaForm(buf, len, kind, out, stats);
  return out;
}

}  // namespace viewcore
