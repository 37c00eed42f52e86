// Shared by the parts of the command-line function evaluator.
#pragma once

#include <cstdint>
#include <vector>

#include "macro/macro_cmdfunc.h"

namespace macro {
namespace cmdfunc {

// Where a cell of the cell walk stands: the text rebuilt before it and its
// position in the table's text.
struct CellPlace {
  const std::uint8_t* outHead = nullptr;
  std::uint32_t outHeadLen = 0;
  std::uint32_t tablePos = 0xFFFFFFFFu;
  int* fillDown = nullptr;  // fill down's remembered value position in this column
};

// Runs `e` over `input` (one field; a 0x06 is put after it) for the cell at
// row, col; the result goes to out (at most cap bytes). Returns its length.
int RunEntry(CmdFuncScope& scope, const CmdFuncEntry& e, const char* input, int inputLength, int row, int col,
             std::uint8_t* out, int cap, std::vector<std::uint8_t>* source, const CellPlace* place = nullptr);

// True when every entry the chain calls has a handler; otherwise reports the
// first one without through ReportMessage code 2.
bool HandlersPresent(CmdFuncScope& scope, const CmdFuncList& list, bool variableMode);

// Cell mode over rows a1..a2 and columns a3..a4: 1, or -1.
int CellMode(CmdFuncScope& scope, const CmdFuncList& list, int a1, int a2, int a3, int a4);

// Shows "stack over eror" once per outermost evaluation.
void ShowStackOver(CmdFuncScope& scope);

}  // namespace cmdfunc
}  // namespace macro
