// The rich-text save "savertf" ("&Sr", class 54) and the page and HTML saves
// ("&Sp" class 59, "&Sh" class 60), after the common entry of the file
// statements (macro_fileentry.h).
//
// The letter after "&Sr" chooses the form:
// - "g": the view's content as it is shown, written under the operand.
// - "f": the table as blank-aligned text with '|' between the fields
//   (MacroBarAlignedText), put into the document and written.
// - "a" or none: the table's double quotes removed, then the rich text of
//   the view saved (and, with a letter and an operand, written under it).
// - "c": the table's quotes removed and redisplayed as for "a", then the
//   ruled-table engine called with code 100 and the font size of the fifth
//   byte (RunRuledTableSave), and the view written under the operand.
// A rich-text view takes "g" for any letter but "f" and "a"; a table of
// one field takes "f" for any letter but "g" and "a".
//
// The save without a letter writes the view's rich text under the operand
// (the view's own path only when the operand is empty), never over a file
// beside the view's file that nobody named.
//
// "&Sp" reads its operand through the common entry, then stops with "not
// available yet": its engine comes later. "&Sh" writes the table as one HTML
// page under its operand and leaves the document as "&Sx" does.
#pragma once

#include <cstdint>
#include <string>

#include "fw/cstring.h"
#include "macro/macro_outcome.h"

namespace macro {

struct MacroRunContext;

// The blank-aligned text of the table's working form `buf` (`len` bytes):
// each field starts at its column's place in `positions` (the column
// start-position table of csv/csv_widths.h, `slots` entries) or, when the
// field before it is longer than its column, right after that field's bar.
// With more than one field (`fieldCount`) a '|' follows the padding of each
// separator. A double quote at a field's start or just before a separator
// becomes a blank; a line that begins with '~' is a comment line: the '~'
// becomes a blank and its separators blanks, without padding. CR and LF
// are copied. The text grows with its fields: no field is cut.
std::string MacroBarAlignedText(const std::uint8_t* buf, std::uint32_t len, const std::uint32_t* positions,
                                int slots, std::uint32_t fieldCount);

// The table's double quotes removed in place (a double-byte character's
// two bytes are copied as they are); the new length.
std::uint32_t MacroRemoveQuotes(std::uint8_t* buf, std::uint32_t len);

// The form letter "&Sr" uses on a view of `kind` with `fieldCount` fields.
char MacroRichSaveForm(char letter, int kind, std::uint32_t fieldCount);

// The ruled table's font size of the command's fifth byte: (digit code -
// 45) × 15 for a digit, else 105.
int MacroRuledTableFontSize(const CString& command);

// The ruled-table save's call of the table engine: its entry with code 100
// at `fontSize`, the page-size setting raised to the rows + 100 around it.
Outcome RunRuledTableSave(MacroRunContext& rc, int fontSize);

Outcome MacroExecRichSave(MacroRunContext& rc);
Outcome MacroExecPageSave(MacroRunContext& rc);  // "&Sp"
Outcome MacroExecHtmlSave(MacroRunContext& rc);  // "&Sh"
// "&Sx" and a "save" of a ".xlsx" path: the common file entry, the options
// (MacroReadExportOptions; a '%' title row put in front of the table), then
// the view's export with the options' variables substituted, the document
// left with open context 0 and update code 6 and the views updated. Mode 4
// (the workbook the program writes itself) is built; the other modes say
// "not available yet".
Outcome MacroExecSpreadsheetSave(MacroRunContext& rc);

}  // namespace macro
