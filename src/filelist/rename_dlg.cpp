#include "filelist/rename_dlg.h"

#include "fw/ddx.h"
#include "res/resource.h"

static_assert(CRenameDlg::IDD == IDD_RENAME, "one id for the rename dialog");

void CRenameDlg::DoDataExchange(CDataExchange* dx) {
  CDialog::DoDataExchange(dx);
  DDX_Text(dx, IDC_RENAME_NAME, m_strName);
  DDX_Check(dx, IDC_RENAME_ARCHIVE, m_bArchive);
  DDX_Check(dx, IDC_RENAME_HIDDEN, m_bHidden);
  DDX_Check(dx, IDC_RENAME_READONLY, m_bReadOnly);
  DDX_Check(dx, IDC_RENAME_SYSTEM, m_bSystem);
  DDX_Text(dx, IDC_RENAME_DAY, m_nDay);
  DDV_MinMaxInt(dx, m_nDay, 0, 31);
  DDX_Text(dx, IDC_RENAME_HOUR, m_nHour);
  DDV_MinMaxInt(dx, m_nHour, 0, 23);
  DDX_Text(dx, IDC_RENAME_MONTH, m_nMonth);
  DDV_MinMaxInt(dx, m_nMonth, 0, 12);
  DDX_Text(dx, IDC_RENAME_MINUTE, m_nMinute);
  DDV_MinMaxInt(dx, m_nMinute, 0, 59);
  DDX_Text(dx, IDC_RENAME_SECOND, m_nSecond);
  DDV_MinMaxInt(dx, m_nSecond, 0, 59);
  DDX_Text(dx, IDC_RENAME_YEAR, m_nYear);
  DDV_MinMaxInt(dx, m_nYear, 0, 3000);
  DDX_Check(dx, IDC_RENAME_KEEP, m_bKeepAttributes);
}
