// Classes 23 and 24 of the statement loop: "loadclip" reads the clipboard's
// text into the view's table, "saveclip" puts a variable, the operand or the
// whole table on the clipboard.
//
// loadclip: the first 999 bytes decide the separator (more TABs than commas:
// a TAB text). Outside double quotes a comma always ends a field, and a TAB
// does in a TAB text; otherwise a TAB becomes '~'. Inside quotes both are
// data. The quote state ends at a line end, so a stray quote never runs on
// into the following rows; quotes stay in the fields (the table's form).
//
// saveclip: a variable or operand text is cut to 8,999 bytes; the table goes
// as TAB text made from a copy, so the table itself never changes.
#pragma once

#include <cstdint>
#include <string>

#include "macro/macro_outcome.h"

namespace macro {

struct MacroRunContext;

// The bytes that decide the separator, and the largest variable or operand
// text the clipboard gets.
constexpr std::uint32_t kClipBalanceBytes = 999;
constexpr std::uint32_t kClipTextMost = 8999;

// Commas less TABs within the first 999 of `n` bytes.
int MacroClipBalance(const std::uint8_t* text, std::uint32_t n);

// `n` bytes of clipboard text into the table's form in `out` (n bytes; may
// be `text` itself); `balance` as MacroClipBalance gives it.
void MacroClipToTable(const std::uint8_t* text, std::uint32_t n, int balance, std::uint8_t* out);

// The table's `n` bytes up to a NUL with every separator 0x06 as a TAB.
std::string MacroTableAsTabText(const std::uint8_t* text, std::uint32_t n);

// A text cut to at most 8,999 bytes, never inside a double-byte character.
std::string MacroClipCut(const std::string& text);

Outcome MacroExecLoadClip(MacroRunContext& rc);
Outcome MacroExecSaveClip(MacroRunContext& rc);

}  // namespace macro
