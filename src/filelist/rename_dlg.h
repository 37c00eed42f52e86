// The rename dialog of the file list (resource 133, "ファイル名・属性変更"):
// the new name or a batch form, the four attribute boxes, the last-write
// date and time, and "keep the attributes". The command fills the members
// before DoModal and reads them after OK; the ranges are checked by the
// data exchange.
#pragma once

#include "fw/dialog.h"

class CRenameDlg : public CDialog {
 public:
  enum { IDD = 133 };
  explicit CRenameDlg(CWnd* parent = nullptr) : CDialog(IDD, parent) {}
  ~CRenameDlg() override = default;

  CString m_strName;        // edit 1003 "ファイル名"
  BOOL m_bArchive = 0;      // check 1005 "アーカイブ"
  BOOL m_bHidden = 0;       // check 1006 "隠しファイル"
  BOOL m_bReadOnly = 0;     // check 1004 "読出し専用"
  BOOL m_bSystem = 0;       // check 1007 "システムファイル"
  int m_nDay = 0;           // edit 1010, 0-31
  int m_nHour = 0;          // edit 1012, 0-23
  int m_nMonth = 0;         // edit 1009, 0-12
  int m_nMinute = 0;        // edit 1013, 0-59
  int m_nSecond = 0;        // edit 1014, 0-59
  int m_nYear = 0;          // edit 1011 "作成年", 0-3000
  BOOL m_bKeepAttributes = 0;  // check 1037 beside "属性を\n変えない"

  void DoDataExchange(CDataExchange* dx) override;
};
