// The box of a schedule or timer message: modeless, so the timer that raised
// it keeps running and several messages can stand at once. It deletes itself
// when closed.
#pragma once

#include "fw/dialog.h"

class CScheduleMessageDlg : public CDialog {
 public:
  // Shows `text` in a new box owned by `owner` (may be null).
  static void Show(const char* text, CWnd* owner);

  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;
  void PostNcDestroy() override;

 private:
  CScheduleMessageDlg() = default;
  CString m_strText;
};
