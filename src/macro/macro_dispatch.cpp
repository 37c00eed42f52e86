#include "macro/macro_dispatch.h"

#include "macro/macro_run_errors.h"
#include "macro/macro_state.h"
#include "macro/macro_vars.h"

namespace macro {
namespace {

using E = ExecutorKind;

// One row per class, in class order.
constexpr DispatchRow kDispatch[] = {
    {0, E::kGoesOn, "no executor (\"&W\" with 'd', 't' or 'f')", false},
    {1, E::kCellStatement, "'#'-letter statements and the lookup data file", false},
    {2, E::kRegistry, "registry read and write", false},
    {3, E::kSysPara, "system parameters", false},
    {4, E::kReplaceInVariable, "replace inside a variable (\"replreg\")", false},
    {5, E::kControlFlow, "control flow: do, outloop", false},
    {6, E::kControlFlow, "control flow: while, until, loop, endif", false},
    {7, E::kControlFlow, "control flow: inc, dec", false},
    {8, E::kControlFlow, "control flow: if, else, for, conditions and assignments", false},
    {9, E::kErrorSwitch, "error switch \"eror_on\", \"eror_off\"", false},
    {10, E::kTableRows, "row and line statements (\"&R\", \"&&\", \"&Y\")", true},
    {11, E::kWindow, "window placement (\"&W\")", false},
    {12, E::kInput, "input and IME (\"&I\")", false},
    {13, E::kDisplay, "display switch (\"&Ma\")", false},
    {14, E::kStatus, "status words (\"&Mt\")", false},
    {15, E::kMessage, "message statements (\"&M\")", false},
    {16, E::kTableRows, "sort (\"&Su\", \"&Sd\")", false},
    {17, E::kCountSum, "count and sum (\"&C\")", false},
    {18, E::kTableRows, "print (\"&P\")", false},
    {19, E::kTableRows, "new rows (\"&N\")", false},
    {20, E::kSaveText, "savetext, savetab (\"&St\", \"&Sb\")", false},
    {21, E::kTextToTable, "text to table (\"&T\")", false},
    {22, E::kFileReg, "filereg (\"&Fg\")", false},
    {23, E::kLoadClip, "loadclip (\"&Lc\")", false},
    {24, E::kSaveClip, "saveclip (\"&Sc\")", false},
    {25, E::kLoadNet, "loadnet (\"&Ln\")", false},
    {26, E::kReplace, "replace over lines (\"&@\", \"&:\")", true},
    {27, E::kGoesOn, "cell and range commands left unchanged", false},
    {28, E::kGoesOn, "variable statements left unchanged", false},
    {30, E::kEnd, "end (\"E\")", false},
    {31, E::kWait, "key input and waits (\"W\")", false},
    {32, E::kCallOrJump, "subroutine call and jump (\"C\", \"J\")", false},
    {33, E::kPara, "parameter binding (\"P\")", false},
    {34, E::kReturn, "return (\"R\", or \"E\" inside a subroutine)", false},
    {35, E::kBreak, "break (\"BK\")", false},
    {36, E::kDefine, "define (\"D\")", false},
    {37, E::kGoesOn, "numeric step statements ('7', '8', '9'): the stop after the statement is their effect", false},
    {40, E::kGoesOn, "the word \"exe\"", false},
    {50, E::kLoadAdd, "loadadd, loadjoin, loadboth (\"&La\", \"&Lj\", \"&Lh\")", true},
    {51, E::kJoin, "join statements (\"&J\")", true},
    {52, E::kFile, "file statements (\"&F\")", false},
    {53, E::kSpreadsheetSave, "spreadsheet save (\"&Sx\")", false},
    {54, E::kRichSave, "rich-text save (\"&Sr\")", false},
    {55, E::kSave, "save and saveadd (\"&S\", \"&Sa\")", false},
    {56, E::kLoad, "load statements (\"&L\", \"&Lm\", \"&Ls\", ...)", false},
    {57, E::kLoadMFile, "loadmfile: shared-memory load (\"&Lf\")", true},
    {58, E::kSaveMFile, "savemfile: shared-memory save (\"&Sf\")", false},
    {59, E::kPageSave, "PDF save (\"&Sp\")", false},
    {60, E::kHtmlSave, "HTML save (\"&Sh\")", false},
    {99, E::kUnknown, "unrecognised command", false},
};

constexpr bool ClassesAscend() {
  for (std::size_t k = 1; k < sizeof kDispatch / sizeof kDispatch[0]; ++k)
    if (kDispatch[k].cls <= kDispatch[k - 1].cls) return false;
  return true;
}
static_assert(ClassesAscend(), "dispatch rows in class order, one per class");

bool IsSentinel(const CString& text) { return text == CString("Eror") || text == CString("9999"); }

bool StartsWith(const CString& text, const char* head) {
  const CString h(head);
  return text.GetLength() >= h.GetLength() && text.Left(h.GetLength()) == h;
}

}  // namespace

const DispatchRow* MacroDispatchRow(int cls) {
  for (const DispatchRow& row : kDispatch)
    if (row.cls == cls) return &row;
  return nullptr;
}

const DispatchRow* MacroDispatchRows(int* count) {
  if (count) *count = static_cast<int>(sizeof kDispatch / sizeof kDispatch[0]);
  return kDispatch;
}

int MacroCommandParseKind(int cls, unsigned char letter2) {
  switch (cls) {
    case 10:
      return letter2 == ':' ? 2 : 0;
    case 16:
    case 17:
    case 51:
      return 4;
    case 19:
      return letter2 == 'v' ? 4 : 0;
    case 2:
    case 12:
    case 22:
    case 24:
    case 37:
      return 5;
    case 52:
      return letter2 == 's' || letter2 == 'w' ? 5 : 3;
    case 28:
      return 3;
    default:
      return 0;
  }
}

OperandParsePlan MacroOperandParsePlan(int cls, unsigned char letter, const CString& command, const CString& operand) {
  OperandParsePlan plan;
  switch (cls) {
    case 51:
      plan.skip = true;
      break;
    case 10: {
      const char third = command.GetAt(2);
      plan.kind = letter == 'Y' ? 2 : (third == 'a' || third == 'd') ? 6 : 4;
      plan.prep = StartsWith(operand, "$[") ? OperandPrep::kDropDollarParseKind3 : OperandPrep::kSubstitute;
      break;
    }
    case 32:
      plan.kind = 3;
      if (StartsWith(operand, "*")) plan.prep = OperandPrep::kDropStarSubstitute;
      break;
    default:
      break;
  }
  return plan;
}

// Class 2 names its variable in the command ("registry:&D181"): the
// reference stays, or the statement would read the value as the slot.
bool MacroSubstitutesCommand(int cls) { return cls != 7 && cls != 8 && cls != 2; }

bool MacroSubstitutesOperand(int cls, unsigned char letter) {
  if (cls == 8 || cls == 1 || cls == 4 || cls == 32) return false;
  return !(cls == 36 && letter == '#');
}

bool MacroRowDataFailed(const CString& before, const CString& after) { return IsSentinel(after) && !(before == after); }

bool MacroParseCommandRowData(int cls, unsigned char letter2, CString* command, const RowDataOps& ops) {
  if (!ops.parse) return true;
  const CString parsed = ops.parse(*command, MacroCommandParseKind(cls, letter2));
  const bool failed = MacroRowDataFailed(*command, parsed);
  *command = parsed;
  return !failed;
}

bool MacroParseOperandRowData(int cls, unsigned char letter, const CString& command, CString* operand,
                              const RowDataOps& ops) {
  const OperandParsePlan plan = MacroOperandParsePlan(cls, letter, command, *operand);
  if (plan.skip) return true;
  switch (plan.prep) {
    case OperandPrep::kDropDollarParseKind3: {
      const CString rest = operand->Mid(1);
      *operand = ops.parse ? ops.parse(rest, 3) : rest;
      if (MacroRowDataFailed(rest, *operand)) return false;
      break;
    }
    case OperandPrep::kSubstitute:
      if (ops.substitute) *operand = ops.substitute(*operand, kOperandSubstMode);
      break;
    case OperandPrep::kDropStarSubstitute:
      *operand = operand->Mid(1);
      if (ops.substitute) *operand = ops.substitute(*operand, kOperandSubstMode);
      break;
    case OperandPrep::kNone:
      break;
  }
  if (StartsWith(*operand, "$(") || !ops.parse) return true;
  const CString before = *operand;
  *operand = ops.parse(before, plan.kind);
  return !MacroRowDataFailed(before, *operand);
}

CString MacroTraceText(int statusMode, int line, const CString& command, const CString& operand) {
  CString text;
  if (statusMode == 0) {
    text.Format("CMND %3d : ", line);
    text += command;
    text += "    ";
    text += operand;
  } else if (statusMode == 1) {
    text.Format("CMND %3d ", line);
  }
  return text;
}

Outcome MacroExecErrorSwitch(MacroState& state, const CString& word) {
  if (word == CString("eror_off"))
    state.m_bMacroErrorsOff = 1;
  else if (word == CString("eror_on"))
    state.m_bMacroErrorsOff = 0;
  return Outcome::kNext;
}

Outcome MacroExecDefine(MacroState& state, MacroHost* host, const CString& command, CString* operand) {
  CString error;
  const bool ok = command.GetAt(1) == '#' ? MacroDefineFunction(state, command, *operand, &error)
                                          : MacroDefine(state, host, operand, &error);
  if (ok) return Outcome::kNext;
  const RunError id = MacroRunErrorByText(error);
  return MacroRaiseRunError(host, id == RunError::kCount ? RunError::kDefineVariables : id);
}

}  // namespace macro
