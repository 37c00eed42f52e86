#include "view/narrow_select_dlg.h"

#include <string>

#include "fw/msgbox.h"

FW_BEGIN_MESSAGE_MAP(CNarrowSelectDlg, CDialog)
  fw::OnControl<&CNarrowSelectDlg::OnSortUp>(BN_CLICKED, IDC_NARROW_SORT_UP),
  fw::OnControl<&CNarrowSelectDlg::OnSortDown>(BN_CLICKED, IDC_NARROW_SORT_DOWN),
  fw::OnControl<&CNarrowSelectDlg::OnSortCount>(BN_CLICKED, IDC_NARROW_SORT_COUNT),
  fw::OnControl<&CNarrowSelectDlg::OnWider>(BN_CLICKED, IDC_NARROW_WIDER),
  fw::OnControl<&CNarrowSelectDlg::OnNarrower>(BN_CLICKED, IDC_NARROW_NARROWER),
  fw::OnControl<&CNarrowSelectDlg::OnClear>(BN_CLICKED, IDC_NARROW_CLEAR),
  fw::OnControl<&CNarrowSelectDlg::OnRemember>(BN_CLICKED, IDC_NARROW_REMEMBER),
  fw::OnControl<&CNarrowSelectDlg::OnListDblClk>(LBN_DBLCLK, IDC_NARROW_LIST),
  fw::OnMessage<&CNarrowSelectDlg::OnVKeyToItem>(WM_VKEYTOITEM),
FW_END_MESSAGE_MAP()

namespace {
constexpr UINT kKeyN = 78;
}

void CNarrowSelectDlg::DoDataExchange(CDataExchange* dx) {
  DDX_Control(dx, IDC_NARROW_REMEMBER, m_btnRemember);
  DDX_Control(dx, IDC_NARROW_CLEAR, m_btnClear);
  DDX_Control(dx, IDC_NARROW_COND, m_editCond);
  DDX_Control(dx, IDC_NARROW_SORT_COUNT, m_btnSortCount);
  DDX_Control(dx, IDC_NARROW_WIDER, m_btnWider);
  DDX_Control(dx, IDC_NARROW_NARROWER, m_btnNarrower);
  DDX_Control(dx, IDC_NARROW_SORT_DOWN, m_btnSortDown);
  DDX_Control(dx, IDC_NARROW_SORT_UP, m_btnSortUp);
  DDX_Control(dx, IDC_NARROW_LIST, m_listValues);
  DDX_Control(dx, IDOK, m_btnOK);
  DDX_Control(dx, IDCANCEL, m_btnCancel);
  DDX_Text(dx, IDC_NARROW_COND, m_strCond);
  DDX_Text(dx, IDC_NARROW_HELP, m_strHelp);
  DDX_LBString(dx, IDC_NARROW_LIST, m_strSelItem);
  DDX_Text(dx, IDC_NARROW_WIDTH, m_strWidth);
  DDX_Text(dx, IDC_NARROW_COUNT, m_strItemCount);
  DDX_Text(dx, IDC_NARROW_LAST, m_strLastCond);
  // Opening lists the values at the full width, as read; OK only takes the
  // texts back (the table is not rebuilt under the user's marks).
  if (!dx->m_bSaveAndValidate) {
    m_nSortMode = csv::kSortAsRead;
    m_nWidth = csv::kValueWidthStart;
    BuildTable();
    m_strInitCond = m_strCond;
    FillList();
  }
}

BOOL CNarrowSelectDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  return TRUE;
}

void CNarrowSelectDlg::BuildTable() {
  const std::size_t len = m_pCsvText && m_nCsvTextLen > 0 ? static_cast<std::size_t>(m_nCsvTextLen) : 0;
  m_aValues.Build(m_pCsvText, len, m_nColumn, m_nWidth, m_bCellCodes);
}

void CNarrowSelectDlg::FillList() {
  const int top = static_cast<int>(m_listValues.SendMessage(LB_GETTOPINDEX, 0, 0));
  m_listValues.SetRedraw(FALSE);
  m_listValues.ResetContent();
  for (int i = 0; i < m_aValues.Used(); ++i) m_listValues.AddString(m_aValues.Line(i).c_str());
  if (top > 0) m_listValues.SendMessage(LB_SETTOPINDEX, static_cast<WPARAM>(top), 0);
  m_listValues.SetRedraw(TRUE);
  m_listValues.Invalidate();
  m_strWidth.Format("%d", m_nWidth);
  m_strItemCount = m_aValues.ItemCountText().c_str();
  SetDlgItemText(IDC_NARROW_WIDTH, m_strWidth);
  SetDlgItemText(IDC_NARROW_COUNT, m_strItemCount);
}

void CNarrowSelectDlg::Sort(int mode) {
  m_nSortMode = mode;
  m_aValues.Sort(mode);
  FillList();
}

void CNarrowSelectDlg::OnSortUp() { Sort(csv::kSortUp); }
void CNarrowSelectDlg::OnSortDown() { Sort(csv::kSortDown); }
void CNarrowSelectDlg::OnSortCount() { Sort(csv::kSortCount); }

void CNarrowSelectDlg::StepWidth(int delta) {
  m_nWidth = csv::StepValueWidth(m_nWidth, delta);
  BuildTable();
  m_aValues.Sort(m_nSortMode);
  FillList();
}

void CNarrowSelectDlg::OnWider() { StepWidth(+1); }
void CNarrowSelectDlg::OnNarrower() { StepWidth(-1); }

void CNarrowSelectDlg::OnClear() {
  m_aValues.ClearMarks();
  FillList();
  SetDlgItemText(IDC_NARROW_COND, "");
}

void CNarrowSelectDlg::OnRemember() { SetDlgItemText(IDC_NARROW_COND, m_strLastCond); }

void CNarrowSelectDlg::Toggle(int line) {
  if (line < 0 || line >= m_aValues.Used()) return;
  CString cond;
  GetDlgItemText(IDC_NARROW_COND, cond);
  bool warn = false;
  const std::string next = csv::ToggleValue(m_aValues, line, cond.Str(), m_strInitCond.Str(), &warn);
  m_listValues.DeleteString(line);
  m_listValues.InsertString(line, m_aValues.Line(line).c_str());
  m_listValues.SetCurSel(line);
  SetDlgItemText(IDC_NARROW_COND, next.c_str());
  if (warn) AfxMessageBox(csv::kConditionJoinerText);
}

void CNarrowSelectDlg::OnListDblClk() { Toggle(m_listValues.GetCurSel()); }

LRESULT CNarrowSelectDlg::OnVKeyToItem(WPARAM wp, LPARAM) {
  if (LOWORD(wp) == kKeyN) {
    const int line = m_listValues.GetCurSel();
    Toggle(line);
    if (line >= 0 && line + 1 < m_listValues.GetCount()) m_listValues.SetCurSel(line + 1);
  }
  return -1;  // the list's own key handling follows
}
