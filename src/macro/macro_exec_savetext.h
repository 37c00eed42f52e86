// Class 20 of the statement loop: "savetext" and "savetab" write the view's
// table text to the file the operand names, as plain text with TAB between
// the fields. savetext first makes a CSV table blank-aligned text (the
// buffer keeps that text and the view stays a text); savetab writes the
// table as it stands and the view stays a table.
#pragma once

#include <cstdint>

#include "macro/macro_outcome.h"

namespace macro {

struct MacroRunContext;

// `tab`: savetab (command "&Sb"), else savetext ("&St").
Outcome MacroExecSaveText(MacroRunContext& rc, bool tab);

// The bytes written: `n` bytes of `text` up to a NUL, 0x06 as TAB and "\&"
// as "&", into `out` (room for n + 1 bytes, a NUL put after them). The
// number of bytes written before the NUL.
std::uint32_t MacroSaveTextCopy(const std::uint8_t* text, std::uint32_t n, char* out);

}  // namespace macro
