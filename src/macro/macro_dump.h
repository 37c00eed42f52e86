// The variable dump of a stopped run: which slots a stop lists and the text
// that shows them with the previous and current statement and the named
// constants. Both are pure functions of the variable store, the names table
// and the statements; the stop itself (macro_stop.h) decides and presents.
#pragma once

#include <vector>

#include "fw/cstring.h"

namespace macro {

struct MacroState;

constexpr int kDumpLastSlot = 5181;      // a list entry above this ends the list
constexpr int kDumpMostSlots = 5181;     // slots one list holds at most
constexpr int kDumpFitSlots = 5176;      // below this the six run slots are added
constexpr int kDumpLineMost = 18000;     // a constants line is cut here

// The statements and numbers the dump shows besides the variables.
struct StopDumpInput {
  CString prevCommand, prevOperand;  // empty at the start of every run call
  CString command, operand;          // the statement that stopped
  int line = 0;                      // "cmnd line"
  int indent = 0;                    // blanks before the command
  int blockIndent = 0;               // indentation of the innermost open block
  bool stepMode = false;
};

// The slot list of a stop. `full`: every non-empty slot 1-99, the character
// slots 100-169 less the run's own letters, 180-5180, then "e", "F", "r",
// "l", "I" and "J" when fewer than kDumpFitSlots were taken. Otherwise the
// watch list named by the command (with the operand after a blank) from its
// third character on. The list ends with a 0 entry.
std::vector<int> MacroStopSlots(const MacroState& st, const CString& command, const CString& operand, bool full);

// The label of a slot as the dump writes it ("     A", "  %4d", the nine
// fixed labels).
CString MacroDumpSlotLabel(int slot);

// The dump text. Reads the listed slots up to a 0 entry or a number above
// kDumpLastSlot, their declared names and the constants ("#:", "&:", "@:"
// entries) of the names table up to its first NUL.
CString MacroStopDump(const MacroState& st, const std::vector<int>& slots, const StopDumpInput& in);

}  // namespace macro
