// The statements that shape the variable store: "define" (declarations and
// "clear:"), "define#name" (a defined function), the "para" binding of a
// subroutine's arguments, the by-reference set-up of a call and the release
// of a subroutine's variables at return. Each returns true, or false with the
// text the run stops with in *error.
#pragma once

#include "fw/cstring.h"

namespace macro {

class MacroHost;
struct MacroState;

// "define" with its operand: a declaration list, or "clear:" and "all" or a
// declared name. A "//" comment is cut off the operand itself.
bool MacroDefine(MacroState& state, MacroHost* host, CString* operand, CString* error);

// "define#name" (code form "D#name") with the body as operand.
bool MacroDefineFunction(MacroState& state, const CString& command, const CString& body, CString* error);

// "para": declares the parameters and binds the arguments of the latest call
// (m_strMacroArgs, m_nMacroArgCount) to them in order; "NULL" and arguments
// the call did not pass give the empty text.
bool MacroBindParameters(MacroState& state, MacroHost* host, const CString& operand, CString* error);

// Before a subroutine runs: records which parameter slot hands its value back
// to which caller variable ('*' arguments), and marks where the subroutine's
// names begin in the names table.
bool MacroSetUpReferences(MacroState& state, const CString& arguments, CString* error);

// At return: hands the by-reference parameters back, empties the
// subroutine's variables and drops its names and next-slot growth.
void MacroReleaseSubroutine(MacroState& state);

}  // namespace macro
