// Class 56 of the statement loop: "load", "loadtext", "loadmacro" (and its
// 'r' form), "loadsub", "loaddata", "loadzip" and the other load letters.
//
// The file is located (as written, then in the program folder, then in the
// macro folder; string 237 asks when none opens), then by the letter after
// the code: a macro file is spliced into the running text, a data file goes
// to the lookup buffer, an archive is unpacked, and every other file becomes
// the view's table or text. The conversions below are pure functions over
// bytes, so that they are tested and fuzzed without a window.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "fw/cstring.h"
#include "macro/macro_loadsep.h"
#include "macro/macro_outcome.h"

namespace csv {
class Table;
}

namespace macro {

struct MacroRunContext;
struct MacroState;

// A text read raw (`n` bytes of `bytes`; lead bytes before a byte below '@'
// become blanks in it) put into `table`: the separator detection decides
// whether it becomes a comma table. Unless `keepText` (the letter 't'), a
// text that is to become one is converted: a CSV file (`csvKind`) by the
// program's own CSV load, so that a quoted line break is an in-cell break
// code as when the menu opens the file; any other text comma by comma,
// line ends staying row ends. Otherwise the bytes go in as they are.
// False when memory is short (table unchanged). *converted says which.
bool MacroLoadRawIntoTable(csv::Table& table, std::uint8_t* bytes, std::size_t n, bool csvKind, bool keepText,
                           bool* converted, LoadSeparatorCounts* counts = nullptr);

// TAB text in the table's form (the letter 'b'): every TAB is a field
// separator, and a field holding a comma outside double quotes is wrapped
// in double quotes.
std::string MacroTabTextToTable(const std::uint8_t* text, std::size_t n);

// The text of a converted kind in the table's form: the first line (at most
// 200 bytes) is skipped; each separator ('|' when `bars`, else TAB) that is
// no second byte of a Shift-JIS character becomes a field separator; a '|'
// table loses its last line.
std::string MacroConvertedToTable(const std::uint8_t* text, std::size_t n, bool bars);

// Whether a converted kind separates its fields with '|' (kinds 2, 3, 36, 37).
bool MacroConvertedKindUsesBars(int kind);

// The rich text's form for the letter 't': field separators become TAB, and
// each pair ". ", " ." or ".." becomes two blanks.
void MacroRichTextAsTabText(std::uint8_t* text, std::size_t n);

// "loaddata" from the macro text: the last line of `text` that begins with
// `label` (':' and a name) followed by a control byte or the text's end;
// the data are the lines after it up to the next line beginning with '$'
// (a first data line beginning with "$$" is the data's header, no end), a
// TAB at the start of a data line dropped. False when there is no such
// label or no '$' line follows it (then nothing is read).
bool MacroDataAfterLabel(const char* text, std::size_t n, const std::string& label, std::string* data);

// The folder "loadzip" unpacks into, ending in '\': the command's text
// after its three code bytes, else the folder of the archive's path; one
// with no ':' in its first four bytes (and no network name) below
// `macroDir`; "C:\ARCHTMP" when `arcTmpRoot`. *madeBelow says whether the
// folder is one below the macro folder, which the statement makes.
CString MacroZipTarget(const CString& command, const CString& archive, const CString& macroDir, bool arcTmpRoot,
                       bool* madeBelow);

// True when the last four bytes of `path` are ".lzh" in any case.
bool MacroIsLzhPath(const CString& path);

// The letter variables of a loaded file: F the path, f the path up to its
// last '.', P the folder (up to the last '\', the whole path without one),
// G the file name, g the file name up to its last '.'.
void MacroSetFileLetters(MacroState& st, const CString& path);

// The executor. `runText` is the running macro's text (the splices rewrite it).
Outcome MacroExecLoad(MacroRunContext& rc, std::string* runText);

}  // namespace macro
