// The dispatch table of the statement loop: one row per statement class with
// its executor, and beside it the common steps every statement passes before
// its executor (row-data parsing of the command and the operand, variable
// substitution) as small functions of the class, plus the status-bar trace
// of a statement and the executors the loop has of its own.
#pragma once

#include <functional>

#include "fw/cstring.h"
#include "macro/macro_outcome.h"

namespace macro {

class MacroHost;
struct MacroState;

// Who runs a class.
enum class ExecutorKind {
  kGoesOn,       // no executor: after the common steps the loop goes on
  kErrorSwitch,  // "eror_on" / "eror_off"
  kEnd,          // "E": the end of the run
  kDefine,       // "define", "clear:", "define#name"
  kUnknown,      // no vocabulary knows the command: "Macro Eror : cord = ..."
  kCellStatement,  // the "#" statements over cells (macro_exec_cells.h)
  kControlFlow,  // blocks, loops, "outloop", "inc", "dec", conditions (macro_flow.h)
  kCallOrJump,   // "call" and "jump" (macro_call.h)
  kPara,         // "para": the latest call's arguments bound
  kReturn,       // "return", or "E" inside a '$' subroutine
  kBreak,        // "BK": in debug mode it becomes the stop statement "7"
  kRegistry,     // "registry", "registry_w" (macro_registry.h)
  kWait,         // the waits and key capture "W" (macro_wait.h)
  kLater,        // its family is not built yet: "Macro Eror : not available yet ..."
  kReplace,      // the replace statement over lines (macro_replace.h)
  kReplaceInVariable,  // "replreg": replace inside a variable (macro_replace.h)
  kTextToTable,  // "textcsv", "textauto", ...: the text becomes a table (macro_texttable.h)
  kCountSum,     // "count", "sum" (macro_countsum.h)
  kSysPara,      // "system_para", "sys_para" (macro_exec_syspara.h)
  kDisplay,      // the display statement "&Ma" (macro_exec_display.h)
  kStatus,       // the status statement "&Mt" (macro_exec_display.h)
  kSaveText,     // "savetext", "savetab" (macro_exec_savetext.h)
  kInput,        // the input statements and the IME switch (macro_input.h)
  kMessage,      // class 15: message boxes, msgif, check, the processing dialog (macro_exec_message.h)
  kWindow,       // class 11: the window statement "&W" (macro_exec_message.h)
  kTableRows,    // row and line statements, sort, print, new rows (macro_exec_rows.h)
  kLoadClip,     // "loadclip" (macro_exec_clip.h)
  kSaveClip,     // "saveclip" (macro_exec_clip.h)
  kSpreadsheetSave,  // "savexls" and a "save" of a ".xlsx" path (macro_exec_save_rtf.h)
  kLoad,         // class 56: "load", "loadmacro", "loadsub", "loaddata", "loadzip" (macro_exec_load.h)
  // Save statements (macro_exec_save.h, macro_exec_save_rtf.h).
  kSave,         // "save", "saveadd"
  kRichSave,     // "savertf"
  kPageSave,     // "savepdf": its operand read; the engine comes later
  kHtmlSave,     // "savehtm": the table as one HTML page
  // Joins, shared memory, web page and opener.
  kLoadAdd,      // "loadadd", "loadjoin", "loadboth" (macro_exec_join.h)
  kJoin,         // "joinall" and the key joins (macro_exec_join.h)
  kLoadMFile,    // "loadmfile" (macro_exec_mfile.h)
  kSaveMFile,    // "savemfile" (macro_exec_mfile.h)
  kFileReg,      // "filereg" (macro_exec_net.h)
  kLoadNet,      // "loadnet" (macro_exec_net.h)
  kFile,         // class 52: the file statements "&F" (macro_exec_file.h)
};

struct DispatchRow {
  int cls;
  ExecutorKind executor;
  const char* family;     // the statements of the class
  bool rebuildsCsvIndex;  // the view's CSV index is rebuilt after the executor
};

// The row of a class; null for a number that is no class.
const DispatchRow* MacroDispatchRow(int cls);

// All rows, in class order.
const DispatchRow* MacroDispatchRows(int* count);

// Row-data parse kind of the command (before its executor), by the class and
// L2 as classification compared it (MacroClassLetter2).
int MacroCommandParseKind(int cls, unsigned char letter2);

// How the operand is parsed for row data.
enum class OperandPrep {
  kNone,                  // parsed as it is
  kDropDollarParseKind3,  // "$[": the '$' goes and the rest is first parsed with kind 3
  kSubstitute,            // variables first substituted (mode 0)
  kDropStarSubstitute,    // "*": the '*' goes and variables are substituted (mode 0)
};

struct OperandParsePlan {
  bool skip = false;  // no operand parsing at all
  OperandPrep prep = OperandPrep::kNone;
  int kind = 0;       // kind of the final parse (skipped for an operand beginning "$(")
};

// The plan for one statement: its class, L as classification compared it
// (MacroClassLetter), the command after its own row-data parse, and the
// operand as it stands.
OperandParsePlan MacroOperandParsePlan(int cls, unsigned char letter, const CString& command, const CString& operand);

// Whether the command's variables are substituted (mode 1) and its numbers
// read (not for classes 7, 8 and the registry's 2, whose command names a
// variable), and whether the operand's variables are substituted (mode 0).
bool MacroSubstitutesCommand(int cls);
bool MacroSubstitutesOperand(int cls, unsigned char letter);
constexpr int kCommandSubstMode = 1;
constexpr int kOperandSubstMode = 0;

// The two routines of the common steps, as the loop binds them (the address
// rewriter and the variable substitution).
struct RowDataOps {
  std::function<CString(const CString& text, int kind)> parse;
  std::function<CString(const CString& text, int mode)> substitute;
};

// True when a row-data parse failed: it answered "Eror" or "9999" for a
// text that was not already that word.
bool MacroRowDataFailed(const CString& before, const CString& after);

// The command's row-data parse in place; false on failure (the error exit).
bool MacroParseCommandRowData(int cls, unsigned char letter2, CString* command, const RowDataOps& ops);

// The operand's row-data parse in place by its plan; false on failure.
bool MacroParseOperandRowData(int cls, unsigned char letter, const CString& command, CString* operand,
                              const RowDataOps& ops);

// Status-bar trace of a statement by the trace mode (m_nMacroStatusMode):
// 0 "CMND %3d : %s    %s", 1 "CMND %3d ", other modes empty.
CString MacroTraceText(int statusMode, int line, const CString& command, const CString& operand);
// Mode 3 leaves status pane 0 alone.
inline bool MacroTraceShown(int statusMode) { return statusMode != 3; }

// Class 9: "eror_off" sets m_bMacroErrorsOff, "eror_on" clears it.
Outcome MacroExecErrorSwitch(MacroState& state, const CString& word);

// Class 36: "define#name" (code "D#name") adds a defined function with the
// operand as body; any other command declares or releases variables by the
// operand. A failure is raised from the run-error table.
Outcome MacroExecDefine(MacroState& state, MacroHost* host, const CString& command, CString* operand);

}  // namespace macro
