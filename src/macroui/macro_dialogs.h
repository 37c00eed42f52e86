// The macro's dialogs that stay open beside the text view while a macro goes
// on; the view keeps one of these and reaches the dialogs through it.
#pragma once

#include "macroui/choice_dlg.h"
#include "macroui/inputdlg.h"

namespace macroui {

class MacroDialogs {
 public:
  MacroDialogs();
  ~MacroDialogs();
  MacroDialogs(const MacroDialogs&) = delete;
  MacroDialogs& operator=(const MacroDialogs&) = delete;

  CInputDlg& HoldInput() { return m_holdInput; }  // "inputhold"
  CChoiceDlg& Choice() { return m_choice; }       // "inputnopen" (and "inputnum" modally)

 private:
  CInputDlg m_holdInput;
  CChoiceDlg m_choice;
};

}  // namespace macroui
