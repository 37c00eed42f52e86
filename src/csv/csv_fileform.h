// The CSV file text and the table's working form, both ways.
//
// Loading: every comma outside double quotes becomes the field separator
// 0x06. A double quote toggles the quote state and a line end (CR or LF)
// ends it, as rows end there in the working form, so a stray quote never
// swallows the lines after it. A line break inside a quoted field becomes
// an in-cell code instead (csv_cellbreaks.h), so the record stays one row;
// the quote state goes on over it. Everything else is copied as it is.
//
// Saving (comma form, kinds 33 and 35) is the exact inverse for every row the
// loader made: a row in which, counting quotes from the row start as the
// loader does, every 0x06 stands outside quotes and every comma inside them
// is written with 0x06 turned back into ',' and nothing else changed -
// quotes, TABs, an open quote at the row end (a quoted line break), the row
// end and the empty rows at the end of the table stay as they were. Only a
// row that breaks that rule was edited (or built by a table command); its
// fields are quoted where the comma form needs it: a field with a comma
// outside quotes is written in double quotes (its own quotes doubled) and a
// field whose quotes do not pair gets a closing quote, so it reads back as
// the same field. A TAB is always data, never a separator.
// A field with an in-cell code outside quotes is quoted likewise. Both forms
// write each code as the line-end byte it stands for.
// TAB form (kind 9): 0x06 becomes TAB, everything else is copied.
//
// Both directions work on `len` bytes: a NUL is data like any other byte.
// A 0x06 byte of the file itself cannot be told from a separator: outside
// quotes it separates fields, inside quotes the load makes it a comma, so the
// row stays in the loader's form and this form writes ',' for it either way.
// The file's bytes still come back: the document's open compares the file
// with the text as this form gives it back, every 0x06 as ','
// (textcodec::ReadBack::kCommaForSix, textcodec/keepbytes.h), and keeps the
// bytes of each line that held one. An unedited row is then written as the
// file had it; an edited one loses its 0x06 bytes, and the save asks first.
// CountFieldSeparatorBytes counts them in a file text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "csv/csv_cellbreaks.h"

namespace csv {

// Copies `len` bytes of CSV file text to `dst` (len bytes; may be `src`
// itself) in the working form, line breaks inside quoted fields as in-cell
// codes (csv_cellbreaks.h).
CellBreakLoad CommasToFieldSeparators(const std::uint8_t* src, std::size_t len, std::uint8_t* dst);

// Bytes 0x06 in a file text (the bytes the comma form writes as ',').
std::size_t CountFieldSeparatorBytes(const std::uint8_t* text, std::size_t len);

enum class CommaFormKind { kComma, kTab };

// kComma for the CSV kinds 33 and 35, kTab for any other kind (9).
CommaFormKind CommaFormKindFor(int fileKind);

struct CommaFormStats {
  std::size_t rows = 0;          // row ends written (+1 for an unterminated last row)
  std::size_t rewrittenRows = 0; // rows that were not in the loader's form
  std::size_t quotedFields = 0;  // fields wrapped in quotes for a comma
  std::size_t closedQuotes = 0;  // fields given a closing quote
};

// Appends the file text of the working form `buf` (`len` bytes) to `out`.
// In-cell break codes become the CR and LF they stand for, unless
// `codesAreData` (the table's m_bCellCodesAreData).
void AppendCommaForm(const std::uint8_t* buf, std::size_t len, CommaFormKind kind, std::string& out,
                     CommaFormStats* stats = nullptr, bool codesAreData = false);

inline std::string ToCommaForm(const std::uint8_t* buf, std::size_t len, CommaFormKind kind,
                               CommaFormStats* stats = nullptr, bool codesAreData = false) {
  std::string out;
  AppendCommaForm(buf, len, kind, out, stats, codesAreData);
  return out;
}

}  // namespace csv
