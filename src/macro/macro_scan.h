// The statement scanner: cuts the next statement out of the macro text.
//
// A statement line is "label TAB command TAB operand" ended by CR LF (a lone
// LF or a lone CR also ends a line); a NUL or the given length ends the text.
// The scanner reads from st.m_nMacroPos, passes comment and empty lines and
// the line marks ("||", '#', the label, the stop mark 'S'), collects the
// command column (normalising its comparison signs) and the operand column,
// both with their continuation lines, and leaves the statement in
// st.m_strStmtCommand / st.m_strStmtOperand with the text offset of every
// command byte in st.m_anStmtCommandAt.
//
// Position and line: the scan stops AT the line break that ends the
// statement (the next scan passes it), so st.m_nCmdLineNo, which grows by one
// for every line break passed, is the 0-based number of the line on which the
// statement ends, and always equals the line breaks before st.m_nMacroPos
// when the run started at offset 0. A caller that moves the position back
// (a line cut at "||") lowers the line by MacroCountLineBreaks over the span.
#pragma once

#include <cstdint>

#include "macro/macro_state.h"

namespace macro {

constexpr int kStmtColumnMax = 25000;   // bytes of a collected column
constexpr int kNumericStmtMax = 1900;   // bytes of a '7', '8', '9' statement

enum class ScanResult {
  kStatement,  // a statement was collected (its columns may be empty)
  kEnd,        // the text ended before another statement
  kStop,       // the stop mark 'S': the run ends here
};

// Scans one statement of `text` (`length` bytes; nothing at or past `length`
// is read, and a NUL before it ends the text) from st.m_nMacroPos.
// `debugMode` is the document's macro debug mode: above 0 a '#' mark turns
// the statement into the break statement "BK" CR LF, whose command offsets
// all hold the offset just after the '#' (where a resumed run goes on).
//
// kStatement: columns, offsets, st.m_nStmtIndent (blanks before the command
// on its own line) set; st.m_nMacroPos is past the statement (at its line
// break or at the end of the text), always beyond where the scan began.
// kEnd: columns empty, st.m_nMacroPos where the text ended.
// kStop: columns empty, st.m_nMacroPos = length, st.m_nCmdLineNo the stop
// mark's line. The text is never written.
ScanResult ScanMacroStatement(MacroState& st, const char* text, std::uint32_t length, int debugMode);

// Line breaks in text[from, to): CR LF counts once, a lone CR or LF once, as
// the scanner counts them. A CR LF pair split by `to` counts at its CR.
int MacroCountLineBreaks(const char* text, std::uint32_t from, std::uint32_t to);

}  // namespace macro
