// Dialog data exchange: DoDataExchange lists one DDX_ call per control, and
// DDV_ calls right after the DDX_ they check. With m_bSaveAndValidate the
// values go from the controls to the members and are checked; otherwise from
// the members to the controls. A failed check shows a message box (through
// the message-box hook), puts the focus on the control and marks the exchange
// failed; every later DDX_/DDV_ call of that exchange does nothing, and
// UpdateData returns FALSE.
#pragma once

#include <windows.h>

#include "fw/cstring.h"
#include "fw/wnd.h"

class CDataExchange {
 public:
  CDataExchange(CWnd* dlg, BOOL saveAndValidate) : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dlg) {}

  BOOL m_bSaveAndValidate;
  CWnd* m_pDlgWnd;
  HWND m_hWndLastControl = nullptr;
  bool m_bEditLastControl = false;

  HWND PrepareCtrl(int id);      // the control `id` (nullptr and failed when missing)
  HWND PrepareEditCtrl(int id);  // the same, remembered as an edit control
  // Shows nothing itself: focuses the last control and marks the exchange failed.
  void Fail();
  bool Failed() const { return m_bFailed; }
  // Shows `text` (through the hooks) and fails.
  void FailWithMessage(const char* text);

 private:
  bool m_bFailed = false;
};

void DDX_Text(CDataExchange* dx, int id, CString& value);
void DDX_Text(CDataExchange* dx, int id, int& value);
void DDX_Text(CDataExchange* dx, int id, UINT& value);
void DDX_Text(CDataExchange* dx, int id, long& value);
void DDX_Text(CDataExchange* dx, int id, double& value);
void DDX_Check(CDataExchange* dx, int id, int& value);   // 0, 1, 2 (indeterminate)
void DDX_Radio(CDataExchange* dx, int id, int& value);   // index in the group from `id`; -1 none
void DDX_CBString(CDataExchange* dx, int id, CString& value);
void DDX_CBIndex(CDataExchange* dx, int id, int& value);
void DDX_LBString(CDataExchange* dx, int id, CString& value);
void DDX_LBIndex(CDataExchange* dx, int id, int& value);
// Binds `control` to the dialog's control `id` on the first exchange.
void DDX_Control(CDataExchange* dx, int id, CWnd& control);

void DDV_MaxChars(CDataExchange* dx, const CString& value, int maxChars);
void DDV_MinMaxInt(CDataExchange* dx, int value, int minVal, int maxVal);
void DDV_MinMaxUInt(CDataExchange* dx, UINT value, UINT minVal, UINT maxVal);
void DDV_MinMaxLong(CDataExchange* dx, long value, long minVal, long maxVal);
void DDV_MinMaxDouble(CDataExchange* dx, double value, double minVal, double maxVal);
