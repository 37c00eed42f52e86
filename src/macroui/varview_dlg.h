// The variable display of macro step mode (dialog 192, "変数表示"): the line
// at which the macro stopped (edit 1141) and the current statement with the
// variables (edit 1142) in a fixed-pitch font; the text field follows the
// window's size. Modeless: the document owns one, constructed with no parent;
// the debug command creates, shows and destroys its window, and a stop sets
// m_nStopLine and m_strText and calls UpdateData(FALSE).
#pragma once

#include "fw/controls.h"
#include "fw/cstring.h"
#include "fw/dialog.h"
#include "fw/gdi.h"
#include "res/resource.h"

class CVariableViewDlg : public CDialog {
  FW_DECLARE_MESSAGE_MAP()

 public:
  enum { IDD = IDD_VARIABLE_VIEW };
  explicit CVariableViewDlg(CWnd* parent = nullptr) : CDialog(IDD, parent) {}
  ~CVariableViewDlg() override;

  // The modeless window from template 192 (`parent` null: no owner).
  BOOL Create(CWnd* parent = nullptr) { return CDialog::Create(IDD, parent); }
  using CDialog::Create;

  CEdit m_editStopLine;  // 1141
  CEdit m_editText;      // 1142
  int m_nStopLine = 0;   // 0-4096
  CString m_strText;     // at most 4096 characters

  void DoDataExchange(CDataExchange* dx) override;
  void OnSize(UINT type, int cx, int cy);

 private:
  CFont m_fontFixed;
};
