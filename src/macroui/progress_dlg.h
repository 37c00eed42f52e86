// The processing dialog (dialog 200, "処理中") that a macro shows while it
// works: a main text, a second text, a short variable text, a progress bar
// and OK / Cancel. It is modeless; the macro polls its two flags, and its
// buttons also hand their answer to the owner (MacroDialogSetResult 1 and 0).
#pragma once

#include "fw/controls.h"
#include "fw/cstring.h"
#include "fw/dialog.h"
#include "res/resource.h"

namespace macroui {
class DialogOwner;
}

class CProgressDlg : public CDialog {
  FW_DECLARE_MESSAGE_MAP()

 public:
  enum { IDD = IDD_PROGRESS };
  explicit CProgressDlg(CWnd* parent = nullptr) : CDialog(IDD, parent) {}
  ~CProgressDlg() override;

  // The owner that receives the buttons' answers (the view's side).
  void SetOwner(macroui::DialogOwner* owner) { m_pOwnerView = owner; }

  static constexpr int kMaxMessageChars = 512;
  static constexpr int kMaxShortChars = 32;

  CEdit m_editSecond;    // 1177
  CEdit m_editShort;     // 1176
  CEdit m_editMessage;   // 1173
  CButton m_btnOK;
  CButton m_btnCancel;
  CProgressCtrl m_progress;  // 1172
  CString m_strMessage;  // edit 1173; "@OK" or "@CANCEL" after a button
  CString m_strShort;    // edit 1176
  CString m_strSecond;   // edit 1177
  int m_bCancelled = 0;
  int m_bConfirmed = 0;
  unsigned char m_bSpare = 0;
  CString m_strOkCaption;      // button texts, used when not empty
  CString m_strCancelCaption;

  void DoDataExchange(CDataExchange* dx) override;
  void OnOK() override;
  void OnCancel() override;

 private:
  macroui::DialogOwner* m_pOwnerView = nullptr;
};
