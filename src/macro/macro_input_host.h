// What the input statements hand to the window side's dialogs: the one-line
// input box (135), the macro input box (180) and the choice dialog (189).
#pragma once

#include "fw/cstring.h"

namespace macro {

// The one-line input box: text in and out, the prompt, the second variable
// number, the caption (T1) and the button texts (T2, T3; "" keeps the
// dialog's own). `target` is the answer variable of the open box.
struct InputBoxRequest {
  CString text;
  CString prompt;
  int mode = 0;
  CString title, okText, cancelText;
  int target = 0;
};

// The macro input box: its text in and out, the text after the command's
// last ';', the operand, the second variable number and the position.
struct MacroInputRequest {
  CString text;
  CString tail;
  CString operand;
  int mode = 0;
  int position = 0;
};

// The choice dialog: its text, the five button texts, the caption (T1), the
// answer ("1"-"5") and, for the open dialog, its answer variable.
struct ChoiceRequest {
  CString text;
  CString buttons[5];
  CString title;
  CString answer;
  int target = 0;
};

// Answers of a modal dialog.
constexpr int kDialogOk = 1;
constexpr int kDialogCancel = 2;

}  // namespace macro
