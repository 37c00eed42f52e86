// The generic one-line input (dialog 135): a prompt (edit 1086, read-only)
// and the input (edit 1010). DoModal gives IDOK when the user confirmed;
// m_strInput then holds the text.
#pragma once

#include "fw/dialog.h"

class CInputDlg : public CDialog {
 public:
  enum { IDD = 135 };
  explicit CInputDlg(CWnd* parent = nullptr) : CDialog(IDD, parent) {}

  CString m_strInput;   // edit 1010: the text typed (initial text on entry)
  CString m_strPrompt;  // edit 1086: what is asked
  CString m_strTitle;   // caption; "" keeps the resource's

  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
};
