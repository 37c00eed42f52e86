// Classes 5-8 of the statement loop: "if" / "else if" / "else" blocks,
// the loops "do" ... "while" / "until" / "loop" and "for" ... "loop",
// "outloop", "inc" and "dec", and the conditions and assignments that
// preparation puts in class 8. Blocks are found by indentation through the
// text walks of macro_flowscan.h.
#pragma once

#include <cstdint>

#include "fw/cstring.h"
#include "macro/macro_outcome.h"

namespace macro {

struct MacroRunContext;
struct MacroState;

// The executor of class `cls` (5, 6, 7 or 8) for the statement in
// st.m_strStmtCommand / m_strStmtOperand, whose prepared word and rest are
// `word` and `rest`. `text` / `end` is the macro text being run up to its
// end or its first NUL, with the read position st.m_nMacroPos at the end of
// the statement. A jump sets
// st.m_nMacroPos and moves st.m_nCmdLineNo by the line breaks passed.
// `assignment` marks a class-8 assignment standing on its own ("[a]=5"):
// `word` is its target up to and including the '=', `rest` the value.
Outcome MacroRunControlFlow(MacroRunContext& rc, int cls, const CString& word, const CString& rest,
                            const char* text, std::uint32_t end, bool assignment = false);

// "inc" / "dec" on their own: the slot named by `command`, the step by the
// word ("inc5"), the value read with its sign. Slots outside 1-5180 are
// left alone.
void MacroIncDec(MacroState& state, const CString& word, const CString& command);

}  // namespace macro
