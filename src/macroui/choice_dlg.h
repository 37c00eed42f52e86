// The macro's choice dialog (189, "選択入力"): a message and up to five
// numbered choices. Button n, or the digit key n of a choice with text,
// answers "n" and ends the dialog; shown modally, or left open beside the
// view for a waiting macro, which the answer then resumes through the result
// call (kind 3).
#pragma once

#include <functional>

#include "fw/controls.h"
#include "fw/cstring.h"
#include "fw/dialog.h"
#include "macroui/choice_rules.h"
#include "res/resource.h"

class CChoiceDlg : public CDialog {
  FW_DECLARE_MESSAGE_MAP()

 public:
  enum { IDD = IDD_CHOICE };
  explicit CChoiceDlg(CWnd* parent = nullptr) : CDialog(IDD, parent) {}
  ~CChoiceDlg() override;

  CButton m_btnChoice[macroui::kChoiceCount];
  CString m_strChoice[macroui::kChoiceCount];  // the texts beside the buttons
  CString m_strAnswer;   // "1"-"5" after a choice
  CString m_strMessage;
  CString m_strTitle;    // "" keeps the resource's
  int m_nMacroTarget = 0;  // the answer variable of the open dialog; 0 for none
  // Called with 3 after a choice when an answer variable is set.
  std::function<void(int kind)> m_onMacroResult;

  // The modeless dialog with `owner` as its owner (an open one closed first), shown.
  bool CreateBeside(CWnd* owner);
  bool IsOpen() const;

  void DoDataExchange(CDataExchange* dx) override;
  BOOL PreTranslateMessage(MSG* msg) override;
  void OnCancel() override;
  void Choose(int n);

 protected:
  void OnChoice(UINT id);

 private:
  void Shape();
  bool m_bModeless = false;
  bool m_bShaped = false;
};
