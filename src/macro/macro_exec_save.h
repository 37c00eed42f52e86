// Class 55 of the statement loop: "save" ("&S") writes the view's table or
// text to a file, "saveadd" ("&Sa") appends the table's rows to one.
//
// After the common entry of the file statements (macro_fileentry.h) the
// view takes the kind of the target's name. A table (kinds 33 and 35) is
// written in comma form and any other kind in TAB form, both through the
// one writer csv::AppendCommaForm, so every row the load made goes back
// with the bytes it was read from. A save that cannot open its file leaves
// it as it was.
//
// saveadd appends to a file that holds data without its first N rows of
// the table (1 when no number is given: the title row), starting a new line
// first only when the file does not already end with one; to a new or empty
// file it writes the whole table.
//
// A file that cannot be opened for writing (read-only, held by another
// program) is asked about with string 329: Yes clears its attributes and
// tries again (a second failure reports string 179), No ends the run. With
// messages set to "nodisp" the statement goes on without writing and leaves
// the view as it was.
#pragma once

#include <cstdint>
#include <string>

#include "fw/cstring.h"
#include "macro/macro_outcome.h"

namespace csv {
class Table;
}

namespace macro {

struct MacroRunContext;

// The bytes the table's working form `buf` (`len` bytes) is saved as:
// comma form for the kinds 33 and 35, TAB form for any other kind.
// `skipRows` rows are left out first (saveadd's title rows); with
// `newLineFirst` CR LF comes before them.
std::string MacroSaveBytes(const std::uint8_t* buf, std::uint32_t len, int kind, std::uint32_t skipRows,
                           bool newLineFirst, bool codesAreData);

// The offset after the first `rows` row ends (LF, or a CR not before LF)
// of `len` bytes; `len` when the text has fewer.
std::uint32_t MacroSkipRows(const std::uint8_t* buf, std::uint32_t len, std::uint32_t rows);

// True when the extension of `path` (after its last '.') begins with '+',
// '-' or '=': the program's marked source forms.
bool MacroIsMarkedSourcePath(const CString& path);

Outcome MacroExecSave(MacroRunContext& rc);

}  // namespace macro
