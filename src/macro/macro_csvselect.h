// The CSV condition statements: one condition tested row by row on the
// view's table, and the rows or columns kept, dropped, marked, merged,
// counted, checked or assigned (the operand words of csv_condcompile.h).
#pragma once

#include <cstdint>

#include "fw/cstring.h"
#include "macro/macro_expr.h"

namespace csv {
class Table;
struct CheckList;
}  // namespace csv

namespace macro {

class MacroHost;
struct MacroState;

// Variable slots the statements write.
constexpr int kSlotCheckFirst = 150;   // "&CKN": first matching row
constexpr int kSlotCheckLast = 151;    // last matching row
constexpr int kSlotCheckCount = 152;   // number of matches
constexpr int kSlotRowScratchFirst = 100;  // emptied before each row
constexpr int kSlotRowScratchLast = 108;

constexpr int kCondCellValueMax = 9000;          // bytes a value writes into a cell
constexpr std::uint32_t kCondGrowthLimit = 100000; // assignments may grow the text by this much
constexpr int kCondMergeColumnsMax = 9000;

// Failure codes of the statements (ReportMessage).
enum CondFailure : int {
  kCondNoOutput = 147,   // output buffer
  kCondNoCells = 148,    // change records / check list
  kCondNoInstall = 149,  // the new text could not replace the table
};

// What a statement works on: the interpreter's state, the editor (messages),
// the view's table, its check list, its column positions (the width
// functions) and the "#" function hook of the evaluator.
struct CsvSelectScope {
  CsvSelectScope(MacroState& s, MacroHost* h, csv::Table& t) : state(s), host(h), table(t) {}
  MacroState& state;
  MacroHost* host = nullptr;
  csv::Table& table;
  csv::CheckList* checkList = nullptr;
  std::uint32_t* columnPos = nullptr;
  int columnPosSlots = 0;
  std::uint32_t titleLine = 1;
  ExprFunctionHook functions;
};

// Carries out one statement. Returns the number of matches (once per row
// and condition group), for the column modes the number of cells kept, for
// the find form 1 at a match; 0 for the early exits and failures that
// leave the table unchanged; -1 when the changes were abandoned for their
// size (the table is unchanged). `fromExport` is kept for the export's call
// and changes nothing.
int MacroCsvSelectCommands(CsvSelectScope& scope, CString command, CString operand, int fromExport);

}  // namespace macro
