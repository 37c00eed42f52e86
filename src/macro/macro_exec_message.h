// Class 15 of the statement loop, the message statements ("&M" with its
// letters: message, msgif, the OK/Cancel form "&Me", check, msgopen,
// msgwrite, msghold, msgexit), and class 11, the window statement ("&W").
// Boxes, the processing dialog, the check list and the main window are
// reached through the run's host.
#pragma once

#include <cstdint>

#include "fw/cstring.h"
#include "macro/macro_outcome.h"

namespace csv {
struct TableFields;
}

namespace macro {

struct MacroRunContext;
struct MacroState;

// The "&PARA" step: every "&PARA" becomes the name part of `paramPath`
// (after its last '\', cut before its last '.'); an empty path removes
// them. A name that holds "&PARA" itself is not replaced again.
CString MacroReplacePara(const CString& text, const CString& paramPath);

// Line breaks of a message: every "\n" becomes CR LF, then every "\0n" CR LF
// and 'n'. Double-byte characters are left whole.
CString MacroMessageLineBreaks(const CString& text);

// The text of a message, msgif or "&Me" box from the statement's operand:
// the operand escapes (mode 0), the escape expansion (mode 0), "&PARA",
// variable substitution, line breaks.
CString MacroMessageText(MacroState& st, const csv::TableFields* table, const CString& operand,
                         const CString& paramPath);

// The executors: the statement in st.m_strStmtCommand / m_strStmtOperand,
// its numbers in st.m_anStmtNumbers. `text` / `end` is the macro text run
// (msgif skips a block in it). `rest` is the command's text after its first
// ':' as written (the word's translation drops that ':'): the parameters of
// msgopen, msgwrite and msghold, read after variable substitution.
Outcome MacroRunMessageStatement(MacroRunContext& rc, const char* text, std::uint32_t end, const CString& rest);
Outcome MacroRunWindowStatement(MacroRunContext& rc);

}  // namespace macro
