// The text-to-table statements ("textcsv", "textxls", "texttab",
// "textauto", "textsp"; code "&T" with the letters 'c', 'x', 'b', 'a', 's'):
// the view's text becomes the table's working form, by a given or detected
// separator, or by fixed-width columns (macro_columnlayout.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "fw/cstring.h"
#include "macro/macro_outcome.h"

namespace macro {

struct MacroRunContext;

// What the detection scan counts.
struct SeparatorCounts {
  int commas = 0;  // outside double quotes, thousands separators not counted
  int tabs = 0;
  int bars = 0;
  int sixes = 0;   // 0x06 bytes
  int lines = 0;
};

// Scans `text` from `from` while the offset is below 5,000 and the text's
// end: '"' toggles the quotes; a comma directly after a digit and followed by
// exactly three digits and then ',', '.' or a byte below '!' (or the end) is
// a thousands separator. The scan stops after the first line that held a
// comma, TAB or bar, or after two lines. A NUL ends the text.
SeparatorCounts ScanSeparators(const std::uint8_t* text, std::size_t length, std::size_t from);

// The letter the conversion follows: 'c', 'x', 'b', '6' (separators) or 's'
// (fixed width). 'a' decides by the counts: 0x06 above 2, TABs above 2,
// bars above 4, commas above 4, else fixed width.
char ChooseTableLetter(unsigned char letter, const SeparatorCounts& counts);

// The separator byte of a separator letter: an empty operand gives the
// letter's own; "\t" a TAB; any other operand its first byte. A TAB becomes
// 0x06 when the text holds more 0x06 bytes than TABs.
std::uint8_t TableSeparator(char letter, const CString& operand, const std::uint8_t* text, std::size_t length);

// The separator conversion of `text` into the working form. Leading blanks
// of the text are skipped; at a separator outside double quotes or a line
// end the field's trailing blanks are dropped (not with TAB); in quote mode
// every field stands in double quotes, otherwise a field holding a comma
// outside double quotes is put in them (its own double quotes doubled). A
// line without any separator begins with '~'. Line ends are copied as they
// are. The output is sized from the text's separators, line ends and double
// quotes, so it can never be too small. Returns false when memory cannot be
// had (`out` then empty).
struct ConvertedText {
  char* bytes = nullptr;  // fw::Alloc'd, NUL after the text; the caller frees it
  std::size_t length = 0;
  std::size_t capacity = 0;
  int firstLineSeparators = 0;
  int lineEnds = 0;
};
bool ConvertBySeparator(const std::uint8_t* text, std::size_t length, std::uint8_t separator, bool quoteMode,
                        ConvertedText* out);

// The fixed-width conversion's first data line (1-based): of the first 10
// lines the first with 4 or more places where a blank is followed by a
// non-blank; line 1 when none of them has.
int FirstFixedWidthDataLine(const std::uint8_t* text, std::size_t length);

// Step 4.4's copy of a cut work area: a field holding a comma outside double
// quotes goes in double quotes, TAB becomes 0x06, line ends are copied.
std::string CopyCutFields(const std::string& work);

// The executor of class 21. `rest` is the statement's text after its ':'.
Outcome MacroExecTextToTable(MacroRunContext& rc, const CString& rest);

}  // namespace macro
