// The macro interpreter's own state: the variable store with its named
// slots, the defined functions, the "loaddata" lookup and the run control of
// one view. The text view owns one (created on first use); the interpreter
// reaches the editor only through macro::MacroHost.
#pragma once

#include <cstdint>
#include <vector>

#include "fw/cstring.h"
#include "macro/macro_lines.h"
#include "macro/macro_userdlg.h"

namespace macro {

constexpr int kVarSlots = 5182;      // variable store, slots 0-5181
constexpr int kFuncSlots = 100;      // defined functions (numbers 500-599)
constexpr int kLookupIndex = 4096;   // "loaddata" line index
constexpr int kSavedSysParas = 10;   // settings a run saves and puts back
constexpr int kLastVarSlot = 5180;   // highest slot a macro may name
constexpr int kFirstDeclaredSlot = 180;
constexpr int kNameTableSize = 18000;  // declared-names table, NUL-terminated
constexpr int kMacroArgs = 301;      // argument values of the latest call
constexpr std::uint32_t kVarByRefMark = 0x1000;  // caller's variable passed with '*'
constexpr char kNameScopeMark = 0x05;  // names table: a subroutine's names start here
constexpr int kMacroCallFrames = 64;   // nested calls whose variables are kept apart

// Slots of the store that other code names.
constexpr int kSlotVarI = 118, kSlotVarJ = 119, kSlotVarK = 120;
constexpr int kSlotMacroDir = 132;     // folder of the running macro
constexpr int kSlotMessageMode = 145;  // "nodisp" silences messages
constexpr int kSlotLastResult = 146;   // last report / answer
constexpr int kSlotCurBlock = 155;     // current table block text

struct MacroState {
  MacroState() = default;
  ~MacroState();
  MacroState(const MacroState&) = delete;
  MacroState& operator=(const MacroState&) = delete;

  // Variables.
  CString m_strMacroVars[kVarSlots];
  CString& m_strMessageMode() { return m_strMacroVars[kSlotMessageMode]; }
  CString& m_strLastResult() { return m_strMacroVars[kSlotLastResult]; }
  CString& m_strMacroDir() { return m_strMacroVars[kSlotMacroDir]; }
  CString& m_strCurBlock() { return m_strMacroVars[kSlotCurBlock]; }
  CString& m_strVarI() { return m_strMacroVars[kSlotVarI]; }
  CString& m_strVarJ() { return m_strMacroVars[kSlotVarJ]; }
  CString& m_strVarK() { return m_strMacroVars[kSlotVarK]; }

  // Flag words of the slots: kVarByRefMark on a caller's variable while a
  // call passes it by reference.
  std::uint32_t m_aMacroVarFlags[kVarSlots] = {};
  // For a parameter slot bound by reference: the caller's slot that receives
  // its value at return (0 = none). Kept apart from the flag words so that
  // every slot number fits.
  std::int32_t m_anMacroVarRefSlot[kVarSlots] = {};
  std::int32_t m_nMacroNextSlot = kFirstDeclaredSlot;  // next free declared slot
  // Declared names: "185:total;190:tbl<3|4>;" ... NUL-terminated.
  char m_abMacroNameTable[kNameTableSize] = {};

  // Arguments of the latest subroutine call and how many it passed.
  CString m_strMacroArgs[kMacroArgs];
  std::int32_t m_nMacroArgCount = 0;
  std::int32_t m_nMacroCallDepth = 0;
  // Evaluations under way (expressions, their function calls and operand
  // groups, one inside another); bounded by kMacroEvalMaxDepth.
  std::int32_t m_nMacroEvalDepth = 0;
  // Budgets of one outermost evaluation (reset when it starts): "$(...)"
  // splices and range cells valued, and whether "stack over eror" or a
  // missing function was already reported.
  std::int32_t m_nMacroEvalSplices = 0;
  std::int64_t m_nMacroEvalCells = 0;
  std::int64_t m_nMacroEvalCellLimit = 16777216;
  // Evaluations started inside the outermost one (range cells apart, which
  // the cell budget bounds). Groups and functions that evaluate their text
  // again can branch at every level, so the depth bound alone would let a
  // short line run for minutes.
  std::int64_t m_nMacroEvalNested = 0;
  std::int64_t m_nMacroEvalNestLimit = 100000;
  std::uint32_t m_bMacroEvalStackShown = 0;
  std::uint32_t m_bMacroEvalFuncShown = 0;
  // Per pending call (set up, not yet released): the next free slot and the
  // length of the names table when it began, which its release puts back.
  std::int32_t m_anMacroCallNextSlot[kMacroCallFrames] = {};
  std::int32_t m_anMacroCallNameLen[kMacroCallFrames] = {};
  std::int32_t m_nMacroCallFrames = 0;

  // Defined functions.
  CString m_strMacroFuncs[kFuncSlots];
  std::int32_t m_nMacroFuncCount = 0;

  // "loaddata" lookup buffer (fw::Alloc, freed with the state) and its index.
  char* m_pMacroLookup = nullptr;
  std::uint32_t m_nMacroLookupLen = 0;
  std::uint32_t m_aMacroLookupIndex[kLookupIndex] = {};

  // Sparse line index of the view's CSV working buffer (macro_lines.h).
  MacroLineIndex m_lineIndex;

  // Run control.
  std::int32_t m_nMacroReplaceTotal = 0;
  std::uint32_t m_nMacroFlags = 0;
  std::int32_t m_nMacroResumePos = 0;
  std::int32_t m_nZeroDivValue = 99999999;     // result of a division by zero
  std::int32_t m_nSysParaSaved = 0;
  std::int32_t m_anSavedSysPara[kSavedSysParas] = {};
  CString m_strTablePath;
  CString m_strDocStem;
  std::int32_t m_nCmdLineNo = 0;               // line of the running statement
  std::uint32_t m_bMacroErrorsOff = 0;         // "eror_off": unresolved addresses become "[0]"
  std::int32_t m_anStmtTableA[4] = {};         // per-statement tables
  std::int32_t m_anStmtTableB[4] = {};
  std::int32_t m_anLineLookup[4] = {};
  std::int32_t m_nMacroWaitTicks = 0;
  std::uint8_t m_nMacroInstanceMark = 0;
  // Modification time (seconds since 1970) of the operand file of the last
  // save, join or shared-memory statement; read by "waitupdate".
  std::int64_t m_tMacroRefTime = 0;
  CString m_strLastMacroSource;                // source and folder of the last run
  CString m_strLastMacroFolder;

  // The statement being run: its two columns as the scanner collected them
  // and preparation rewrote them, the offset in the macro text of every byte
  // of the collected command (a statement cut at "||" resumes there), the
  // offset of the next statement, the blanks before the command (blocks are
  // found by indentation) and whether a control statement holds several
  // conditions joined by "||".
  CString m_strStmtCommand;
  CString m_strStmtOperand;
  std::vector<std::uint32_t> m_anStmtCommandAt;
  std::uint32_t m_nMacroPos = 0;
  std::int32_t m_nStmtIndent = 0;
  std::uint32_t m_bStmtMultiCond = 0;
  // Offset just after the '#' that made the statement a break in debug mode
  // (a resumed run goes on there); 0 for an unmarked statement.
  std::uint32_t m_nStmtBreakPos = 0;

  // The run under way (macro_run.h). The interpreter stacks hold entries
  // 0-20, one row per MacroStack: a call at depth d writes the caller's line,
  // position and if level at entry d and, once the depth is d + 1, the
  // called subroutine's start and its label's line at entry d + 1.
  enum MacroStack {
    kStackCallLine,     // m_nCmdLineNo at the call
    kStackCallPos,      // offset of the statement after the call
    kStackCallIfLevel,  // m_nMacroIfLevel at the call
    kStackCallNextSlot, // m_nMacroNextSlot at the call
    kStackSubStart,     // offset just after the subroutine's label name
    kStackSubLine,      // line of that label
  };
  static constexpr int kMacroStacks = 6;
  static constexpr int kMacroStackEntries = 21;
  std::uint32_t m_bMacroRunActive = 0;
  std::uint32_t m_bMacroRunOnLoad = 0;   // the macro document being shown runs once its load ends
  std::int32_t m_nMacroStatusMode = 0;   // trace: 0 full, 1 line only, 2 none, 3 a fixed text
  std::int32_t m_nMacroSavedLine = 0;    // line of a paused run, restored when it resumes
  CString m_strMacroStopText;
  std::uint32_t m_anMacroStacks[kMacroStacks][kMacroStackEntries] = {};
  // Control flow (macro_flow.h): the least indentation at which an "else"
  // or "else if" is entered; the indentation of the last block statement
  // whose body was entered (shown by the variable dump); whether the next
  // "for" reached runs its step part (1, after a "loop" jumped back) or its
  // initialisation (0). All 0 at a fresh run.
  std::int32_t m_nMacroIfLevel = 0;
  std::int32_t m_nMacroBlockIndent = 0;
  std::int32_t m_bMacroForRepeat = 0;
  std::int32_t m_nMacroSortKey = 0;      // signed sort column the sort statements leave (0 after a run)
  std::int32_t m_nMacroFrameCount = 0;   // subroutine frames ("E" returns from one when 2 or more)
  std::int32_t m_anStmtNumbers[4] = {-1, 0, 0, 0};  // num1-num4 of the statement being run
  std::vector<std::uint32_t> m_aMacroMarkTable;  // reset at each run unless its state word is 99
  std::int32_t m_nMacroMarkState = 0;
  std::int32_t m_nMacroMarkCount = 0;

  // Command-line function evaluation nested through parenthesised groups
  // (bounded), and whether "stack over eror" was shown in the outermost one.
  std::int32_t m_nFuncLineDepth = 0;
  std::uint32_t m_bFuncLineStackShown = 0;

  // Input statements and user dialogs: the user dialog's slots; the end of
  // the text a load statement inserted into the running macro (0: none);
  // the argument text of a nested run (mode 12) and the read position of its
  // answers, kept across a resume.
  UserDialogState m_userDialog;
  std::int32_t m_nInsertedMacroEnd = 0;
  // Messages and input (macro_argcursor.h): the run's argument list, its run
  // mode, and the read position in the list that "msgif" and the input
  // statements share (0 at a fresh start, kept across a resume).
  CString m_strMacroArg;
  std::int32_t m_nMacroRunMode = 0;
  std::int32_t m_nMacroArgPos = 0;
};

}  // namespace macro
