// The answers a nested run takes from its argument text instead of asking:
// the message questions and the input statements read them in turn.
#pragma once

#include <cstdint>

#include "fw/cstring.h"

namespace macro {

// The next mode-12 answer of `arg` from *pos on ("1,0,..."): true with the
// answer text, false when used up.
bool MacroNextArgAnswer(const CString& arg, std::int32_t* pos, CString* answer);

}  // namespace macro
