// Classes 57 and 58 of the statement loop: the table through a named block
// of shared memory (macro_sharedmem.h), so that another running copy of the
// program, or this one later, can take it.
//
// "loadmfile" ("&Lf"): with 'a' or 'j' after the code the block's rows go
// below the table (the vertical concatenation, source modes 1 and 3, N as
// for "loadadd"); with 'v' variable N (1 when N is not written) gets the
// block's text length; otherwise the block's text becomes the table (the
// buffer grown to the length + 1,000 first). A missing block reads as an
// empty text.
//
// "savemfile" ("&Sf"): the table's text into the block (with 'a' behind the
// block's text), in a block of (length / 1,000,000 + 1) × 1,000,000 bytes
// when it is made; a text above 10,485,760 bytes is refused. With 'c' this
// program lets go of the block, which ends once no other copy holds it.
#pragma once

#include <cstdint>

#include "macro/macro_outcome.h"

namespace macro {

struct MacroRunContext;

// The block size "savemfile" asks for a text of `length` bytes.
int MacroSharedBlockSize(std::uint32_t length);

Outcome MacroExecLoadMFile(MacroRunContext& rc);
Outcome MacroExecSaveMFile(MacroRunContext& rc);

}  // namespace macro
