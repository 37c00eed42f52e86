// The replace statements of a macro: the line-wise replace over the view's
// table (MacroReplaceLines), the replace statement over lines ("&1@1_:!#"
// with its replacement, class 26) and the replace inside a variable
// ("replreg", class 4). Each is a thin layer over the pattern engine
// (core/pattern/pattern.h).
#pragma once

#include <string>

#include "fw/cstring.h"
#include "macro/macro_outcome.h"

namespace csv {
class Table;
}

namespace macro {

class MacroHost;
struct MacroRunContext;

// Memory codes of the line-wise replace (ReportMessage with an empty text).
constexpr int kReplaceNoFirstBuffer = 112;  // the first buffers cannot be had
constexpr int kReplaceNoOutput = 129;       // the output cannot grow (or would pass 2 GB)
constexpr int kReplaceNoTable = 130;        // the table cannot take the result

// Bytes the N-codes of a pattern are expanded into; the pattern is cut there.
constexpr int kReplaceCodeBuffer = 1500;
// Room the table keeps after a replaced text.
constexpr int kReplaceTableMargin = 90000;
// Progress of the pass in pane 0 (from line 20,000, every 1,000th line).
constexpr const char* kReplaceProgress = "%8d line  (Push ESC key to stop)";

// The lines and cells one call replaces: line index i (0 for the first line
// of the text) when firstLine - 1 <= i <= lastLine (lastLine below 0: to the
// last line); cells colFirst..colLast of each line (1-based, 0 = every cell
// / to the last).
struct ReplaceRange {
  int firstLine = 1;
  int lastLine = -1;
  int colFirst = 0;
  int colLast = 0;
};

// One search-and-replace over the table's text, line by line. `pattern` is
// the statement's search text (without its address) and `replacement` its
// operand, both as written: TAB stands for the cell boundary, a replacement
// "NULL" is empty, a leading "\&" is a literal '&', numbering codes of the
// pattern become their tokens; then escapes are expanded and the rule is
// translated with '&' as the run, `options` added (pat::kFlagsMacroReplace
// for the statements). Lines that begin with "!" 0x06 stay as they are.
// Returns the replacements of the pass that was kept (0 or more), -1 when
// the first buffers cannot be had (112 reported), 0 after 129 or 130 (the
// table is then unchanged). Pane 0 shows the progress and Esc is polled
// from line 20,000 on; a stop keeps the rest of the text as it was.
int MacroReplaceLines(MacroHost* host, csv::Table& table, const CString& pattern, const CString& replacement,
                      unsigned options, const ReplaceRange& range);

// The range of a replace statement: the address's rows "@r1_r2" (rows from
// 1) are line indexes r1 - 1 to r2 - 1 ("@r1_" to the last line); without
// rows the range starts at the line after the title line curLine (line 2
// when curLine is 0 or 1) and runs to the last line. Columns as addressed.
ReplaceRange MacroReplaceStatementRange(int firstRow, int lastRow, int firstCol, int lastCol, int curLine);

// The statement's command with its address in the pattern engine's forms:
// "&@r1_r2:" (rows, no columns) loses its '&' and "&@0:" (no address) is
// ":" and the pattern.
std::string MacroReplaceStatementAddress(const std::string& command);

// Class 26: the replace statement in st.m_strStmtCommand (address, ':',
// pattern) and st.m_strStmtOperand (replacement). On a CSV table one call
// of MacroReplaceLines, its count added to m_nMacroReplaceTotal; other text
// goes to the view's replace over all lines and counts nothing.
Outcome MacroRunReplaceStatement(MacroRunContext& rc);

// Largest text of a variable the replace inside a variable takes and gives.
constexpr int kReplaceVariableLimit = 1000;

// Class 4 ("replreg"): the command is the variable ("[name]" or "&D12"),
// ':' and the pattern; the operand the replacement. Every line of the
// variable is replaced, its line ends kept. A variable or a result longer
// than 1,000 bytes leaves the variable as it was and takes the error exit.
Outcome MacroRunReplaceInVariable(MacroRunContext& rc);

}  // namespace macro
