// Replacing the variable references ("&D12", "&DA", "&DT3") of a statement
// text by the variables' texts.
#pragma once

#include "fw/cstring.h"

namespace csv {
struct TableFields;
}

namespace macro {

struct MacroState;

// Substitution modes.
enum SubstMode {
  kSubstPlain = 0,
  kSubstKeepFirst = 1,        // a reference at the very start stays
  kSubstKeepT = 2,            // every "&DT" form stays
  kSubstKeepFirstAndT = 3,
  kSubstShield = 4,           // '(' ')' '+' that values bring in become 0x1B 0x1C 0x1A
  kSubstPageCode = 9,         // one page code ("[pttn]") first
};

// Limits of one call: past either the text is returned as it stands and
// slot 146 says "EROR" (a value that refers to itself would never end).
constexpr int kSubstMaxReplacements = 10000;
constexpr long long kSubstMaxBytes = 16LL * 1024 * 1024;

// Returns `text` with its references replaced, left to right; a value that
// holds references is expanded in turn. valueI / valueJ above 0 are written
// to the letter variables I (118) and J (119) just before a reference to
// them is replaced. pageFlag above 0 asks for the page-code step as mode 9
// does; `table` gives the block values ("[pttn]" of the block slot 155
// names), none leaves page codes alone.
CString MacroSubstituteVariables(MacroState& state, const csv::TableFields* table, const CString& text, int mode,
                                 int valueI = 0, int valueJ = 0, int pageFlag = 0);

// The page-code step alone: the first "[pXXn]" or "[XXn]" of `text` becomes
// the number of the current block (slot 155). False when there is none or
// it has no value; the text is then unchanged.
bool MacroReplacePageCode(MacroState& state, const csv::TableFields& table, std::string* text);

}  // namespace macro
