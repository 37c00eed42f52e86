// Class 1 of the statement loop: the "#" statements over cells ("&3#FS8",
// "&2@5_20#CZ", "@3#UP"), which apply a function chain to the addressed
// cells of the view's table, loading the lookup data file first for "LD".
#pragma once

#include "fw/cstring.h"
#include "macro/macro_outcome.h"

namespace macro {

struct MacroRunContext;

// The cells a "#" statement addresses: columns c1..c2 and rows r1..r2
// (an upper bound of -1 is open); "given" tells whether the part was written.
struct CellStatementAddress {
  int c1 = 1, c2 = -1;
  int r1 = 1, r2 = -1;
  bool columnsGiven = false, rowsGiven = false;
  CString functions;  // from the first '#' on ("#FS8#CZ")
};

// Reads the address before the first '#' of `command`: "&c", "&c1-c2",
// "&c-", "@r", "@r1_", "@r1_r2", in either order. False when the command
// holds no '#'.
bool MacroReadCellStatementAddress(const CString& command, CellStatementAddress* out);

// The executor: the statement in st.m_strStmtCommand / m_strStmtOperand.
Outcome MacroRunCellStatement(MacroRunContext& rc);

// The selection routine (MacroCsvSelectCommands) inside a run, on the run's
// table with its column positions, the view's check list, and the "#"
// functions of the run ("CK", "LF", defined functions ...) for the
// conditions and values it evaluates.
int MacroRunSelect(MacroRunContext& rc, const CString& command, const CString& operand);

}  // namespace macro
