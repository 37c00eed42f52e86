// The generic one-line input (dialog 135): a prompt (edit 1086, read-only)
// and the input (edit 1010). DoModal gives IDOK when the user confirmed;
// m_strInput then holds the text.
//
// The macro's input statements also use it: with a caption (T1) and button
// texts (T2, T3), and as the view's own box left open beside the table
// (CreateBeside), whose OK answers the waiting macro through the result call.
#pragma once

#include <functional>

#include "fw/dialog.h"

class CInputDlg : public CDialog {
 public:
  enum { IDD = 135 };
  explicit CInputDlg(CWnd* parent = nullptr) : CDialog(IDD, parent) {}

  CString m_strInput;   // edit 1010: the text typed (initial text on entry)
  CString m_strPrompt;  // edit 1086: what is asked
  CString m_strTitle;   // caption (T1); "" keeps the resource's
  CString m_strOkText;      // OK button text (T2); "" keeps the resource's
  CString m_strCancelText;  // Cancel button text (T3); "" keeps the resource's
  int m_nMode = 0;          // the macro's second variable number
  int m_nMacroTarget = 0;   // variable that receives the text of the open box; 0 for none
  // Called with 2 after OK of a box a macro left open (the answer is in
  // m_strInput); empty for every other use.
  std::function<void(int kind)> m_onMacroResult;

  // The modeless box with `owner` as its owner, shown; false when it could
  // not be made.
  bool CreateBeside(CWnd* owner);
  bool IsOpen() const;

  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  void OnOK() override;
  void OnCancel() override;

 private:
  bool m_bModeless = false;
};
