// Line breaks inside quoted cells.
//
// Rows of the working form are lines, and every row number, block entry and
// table operation depends on that. A spreadsheet writes a cell that holds a
// line break as a quoted field spanning lines ("a","x<CR><LF>y"). The load
// keeps such a record on one row by writing each CR or LF inside a quoted
// field as an in-cell break code, one byte for one byte:
//
//   CR -> kCellCr (0x7F)      LF -> kCellLf (0x0E)
//
// The display shows the LF code as a box, so every break (LF, or CR LF
// whose CR code shows as nothing) is one visible mark.
//
// Neither byte is a separator, a row end, a mark of the table, pattern or
// macro code, or part of a Shift-JIS character, so every operation carries
// the codes along as ordinary cell bytes. The comma form (csv_fileform.h)
// writes them back as the bytes they stood for.
//
// What counts as a quoted field: a double quote that is the first byte of a
// field opens one (a quote inside an unquoted field, as in 5", is text); a
// doubled quote inside it is one quote; the next single quote closes it.
// A quoted field still open at the end of the text is no multi-line cell:
// its line ends stay row ends, so one stray quote never swallows the rest
// of the file. Commas keep the load's own rule (a quote toggles, a row end
// ends the quote state), which a code does not end; and a break is coded
// only where that quote state is on too, so a code always stands inside
// quotes as the comma form counts them.
//
// A text that already holds either code byte is loaded without codes (its
// quoted breaks stay row ends) and its code bytes are data: the table says
// so (TableFields::m_bCellCodesAreData) and the comma form leaves them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace csv {

constexpr std::uint8_t kCellCr = 0x7F;
constexpr std::uint8_t kCellLf = 0x0E;

inline bool IsCellBreakCode(std::uint8_t c) { return c == kCellCr || c == kCellLf; }

// True when the text holds either code byte.
bool HasCellBreakBytes(const std::uint8_t* text, std::size_t len);

// True when the quote state of the comma rule is on at some row end (a
// quote toggles it, CR and LF end it): the only texts in which a quoted
// field can span lines. False for most files, found without a byte loop.
bool QuoteOpenAtRowEnd(const std::uint8_t* text, std::size_t len);

// The working form of `len` bytes of CSV file text with the breaks inside
// quoted fields as codes (`dst` must not overlap `src`). The commas follow
// the load's rule, with the quote state carried over a coded break. Returns
// the codes written. On a text without quoted breaks the result is what
// CommasToSeparators gives.
std::size_t CommasToSeparatorsWithCellBreaks(const std::uint8_t* src, std::size_t len, std::uint8_t* dst);

// How the load reads a row of comma-form text [b, e) (its in-cell codes
// written as line ends): whether every code stands where the load makes a
// code again (inside a quoted field that closes within the row, with the
// commas' quote state on), and
// whether the row ends inside such a field, so that its row end would be
// read as a break when a later quote closes the field.
struct RowReading {
  bool codesInside = true;
  bool endsInQuotedField = false;
};
RowReading ReadRowAsLoaded(const std::uint8_t* b, const std::uint8_t* e);

// True when [b, e), scanned from its start as the inside of a quoted field,
// holds the quote that closes it (a quote that is not one of a doubled pair).
bool HasClosingQuote(const std::uint8_t* b, const std::uint8_t* e);

// What the load of a file text did with quoted breaks.
struct CellBreakLoad {
  std::size_t codes = 0;      // breaks written as codes
  bool codesAreData = false;  // the text held code bytes: none were made
  bool breaksLeft = false;    // ... and it had quoted breaks, left as row ends
};

// The status-bar note for a load that left quoted breaks as row ends.
const char* CellBreaksLeftNote();

}  // namespace csv
