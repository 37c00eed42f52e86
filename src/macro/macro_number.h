// Reading numbers and built-in function names out of macro operand texts.
#pragma once

#include "fw/cstring.h"

namespace macro {

struct MacroState;

// The first number of `text`. Modes:
//   0  decimal digits ("0x" reads hex); "a:b" packs as (a << 10) + b
//   6  as 0, and a '-' right before the first digit makes it negative
//   7  as 0 without the pair
//   8  as 0, the pair packed as ((a + 1) << 10) + b
//   9  a text of 3+ bytes ending in a non-digit gives that byte + 169 (a
//      table-block letter); otherwise as 0
//   1  the slot of an "&D" reference anywhere in the text; with no "&D" and a
//      state, the slot of a declared name in square brackets ("[total]")
//   2  the slot of an "&D" reference at the start of the text
// Slots beyond kLastVarSlot read as 0 (no slot). Decimal and hex runs
// saturate at INT_MAX (the hex operand of a four-letter function name is a
// 32-bit bit pattern instead; see MacroLookupFunctionCode).
int MacroReadNumber(const CString& text, int mode, const MacroState* state = nullptr);

// Looks up a function text ("RG3", "FSIN2", "LDT:abc", "SR3^xyz", ":name")
// and returns its function number (0 for an unknown name, 500-599 for the
// macro's own defined functions). Writes the numeric operand to *number and
// the tail to *tail; may rewrite *text ("SQ" -> "SQUA", "FN..." -> "RP...").
int MacroLookupFunctionCode(const MacroState& state, CString* text, CString* tail, int* number);

}  // namespace macro
