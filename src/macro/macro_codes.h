// Numbering codes of replacement texts ("&LN5Z", "&RN-3D") turned into
// ten-byte tokens, and the page codes and operand forms of one row or
// column number ("[pgen]", "(%+1)", "5L2").
#pragma once

#include "fw/cstring.h"

namespace macro {

struct MacroEnv;

constexpr int kNCodeTokenSize = 10;
constexpr int kNCodeMax = 21;
constexpr char kNCodeLead = 0x05;

// Writes `text` with its numbering codes turned into tokens to `out` (cut
// at `size` bytes with its NUL). Returns the number of codes, at most 21.
int MacroExpandNCodes(char* out, const CString& text, int size);

// Reads one number of a cell address at text[*pos] (`length` bytes; 0: the
// whole text), page codes "[pren]" "[pttn]" "[pbtn]" "[pben]" "[pgtn]"
// "[pgen]" of the current block (slot 155) included. A '@' in *mark asks
// for a row (base rowBase), else a column (base colBase) and *mark is set
// to '&'. Leaves *pos after the operand and the byte after it in *mark.
// Returns the number, -1 for '+', '#', '=', 0 at the end.
int MacroExpandPageCodes(const MacroEnv& env, const CString& text, int length, int* pos, char* mark, int colBase,
                         int rowBase, int evalArg);

}  // namespace macro
