// The modeless find dialog of the text view (dialog 166). Its buttons put a
// request code into the hidden edit 1038 and send command 33106 to the view,
// which reads the dialog through its data exchange (CDvkView::OnFindDialogCommand).
//
// Request codes: 0 find next (replace form), 1 find next (find form),
// 2 replace the selected match and find the next, 3 replace all.
#pragma once

#include "fw/dialog.h"
#include "res/resource.h"

class CDvkView;

class CFindDlg : public CDialog {
  FW_DECLARE_MESSAGE_MAP()

  enum { IDD = IDD_FIND };
  enum Request { kFindReplaceForm = 0, kFindFindForm = 1, kReplaceOne = 2, kReplaceAll = 3 };

  explicit CFindDlg(CDvkView* view) : CDialog(IDD, nullptr), m_pView(view) {}

  // Shows the find form (mode 1: no replacement) or the find-and-replace
  // form (0); `column` > 0 names the column the search is limited to.
  void SetForm(int mode, int column);
  int Form() const { return m_nForm; }

  // Dialog data (typed texts as shown; bytes 1/3 are the view's business).
  CString m_strFind;
  CString m_strReplace;
  int m_bWholeWord = 0;
  int m_bMatchCase = 0;
  int m_nDirection = 1;  // radio group from 1100: 0 upward, 1 downward (1088)
  int m_nRequest = kFindFindForm;

  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnInitDialog() override;
  void OnOK() override;      // find next
  void OnCancel() override;  // hides the dialog; it lives as long as the view
  void OnReplaceOne();
  void OnReplaceAll();

 private:
  void Send(int request);

  CDvkView* m_pView;
  int m_nForm = 1;
};
