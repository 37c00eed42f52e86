// The modeless variable display of macro step mode (dialog 192). The document
// owns one, constructed with no parent; the macro workbench creates, shows and
// fills it.
#pragma once

#include "fw/dialog.h"

class CVariableViewDlg : public CDialog {
 public:
  enum { IDD = 192 };
  CVariableViewDlg() : CDialog(IDD, nullptr) {}
};
