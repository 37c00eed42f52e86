// The input statements ("&I"): the IME switch, the answers a subroutine or a
// nested run takes without asking, the dialogs of each letter, and the
// answers of the dialogs left open beside the macro.
#pragma once

#include "csv/csv_selectcond.h"
#include "fw/cstring.h"
#include "macro/macro_outcome.h"

namespace csv {
struct TableFields;
}

namespace macro {

class MacroHost;
struct MacroState;
struct MacroRunContext;

// Kinds of MacroDialogSetResult: who answered.
enum DialogResultKind {
  kResultProgressCancel = 0,
  kResultProgressOk = 1,
  kResultInput = 2,   // the input box's OK: `text` into variable `target`
  kResultChoice = 3,  // a choice button: `text` ("1"-"5") into variable `target`
  kResultUserDialog = 4,  // the user dialog's OK or Cancel: its slots 0-99
};

// An open dialog answered: the answer goes into the variables (kinds above;
// any other kind stores "@CANCEL" in slot 146) and the resume timer is armed
// at 1 ms. Variable numbers outside 1-5,180 are ignored.
void MacroDialogSetResult(MacroState& st, MacroHost& host, int kind, const CString& text = CString(),
                          int target = 0);

// What the input statement does after MacroRunUserDialog.
enum class UserDialogRun {
  kDone,          // the answer is stored: the next statement
  kOpen,          // a dialog stays open: the run pauses until it answers
  kNotAvailable,  // the user dialog window: not available yet
};

struct UserDialogScope {
  MacroState& st;
  MacroHost& host;
  const csv::TableFields* table = nullptr;  // for the operand's substitution
  CString fontFace;                         // the "btitle" font
};

// The first `c` in `text` from `from` on that is a character of its own,
// never the second byte of a double-byte character ('@', '\\' and '|' can
// be one); -1 when there is none.
int MacroFindSjisByte(const CString& text, char c, int from = 0);

// T1, T2 and T3 of a command: after its first ':', cut at the first '@' and
// the rest at the first ';'.
void MacroInputTexts(const CString& command, CString* t1, CString* t2, CString* t3);

// The dialog of an input statement (the command and operand are the
// statement's, in st.m_strStmtCommand and st.m_strStmtOperand).
UserDialogRun MacroRunUserDialog(UserDialogScope& scope, char letter, int v1, int v2, int x, int y);

// The user dialog ended modally ('c', 'd'): Cancel puts "@CANCEL" into
// slot 146; OK collects the values (UserDialogCollectOk) and, for 'd', puts
// the design description on the clipboard, or refuses one over
// kDesignClipMax bytes (slot 146 "EROR", the clipboard unchanged).
UserDialogRun MacroUserDialogEnded(UserDialogScope& scope, char letter, int v1, int v2, bool ok);

// The selection-condition dialogs' values from variables 11 on ('|' cut:
// the prompt before, the value kept after; dates; check boxes), and the
// answers written back after OK.
csv::CondDialogValues MacroCondDialogFill(MacroState& st, bool extended, const CString& caption);
void MacroCondDialogStore(MacroState& st, bool extended, const csv::CondDialogValues& values);

// The input statement (class 12).
Outcome MacroExecInput(MacroRunContext& rc);

}  // namespace macro
