#include "view/csv_rowcol_select_dlg.h"

#include "fw/clipboard.h"

FW_BEGIN_MESSAGE_MAP(CCsvRowColSelectDlg, CDialog)
  fw::OnControl<&CCsvRowColSelectDlg::OnRange>(BN_CLICKED, IDC_ROWCOL_RANGE),
  fw::OnControl<&CCsvRowColSelectDlg::OnRest>(BN_CLICKED, IDC_ROWCOL_REST),
  fw::OnControl<&CCsvRowColSelectDlg::OnDelete>(BN_CLICKED, IDC_ROWCOL_DELETE),
  fw::OnControl<&CCsvRowColSelectDlg::OnUndo>(BN_CLICKED, IDC_ROWCOL_UNDO),
  fw::OnControl<&CCsvRowColSelectDlg::OnSortColumnsUp>(BN_CLICKED, IDC_ROWCOL_SORT_COLUMNS_UP),
  fw::OnControl<&CCsvRowColSelectDlg::OnSortColumnsDown>(BN_CLICKED, IDC_ROWCOL_SORT_COLUMNS_DOWN),
  fw::OnControl<&CCsvRowColSelectDlg::OnSearchColumns>(BN_CLICKED, IDC_ROWCOL_SEARCH),
  fw::OnControl<&CCsvRowColSelectDlg::OnReverseRows>(BN_CLICKED, IDC_ROWCOL_REVERSE),
  fw::OnControl<&CCsvRowColSelectDlg::OnSwapRowsColumns>(BN_CLICKED, IDC_ROWCOL_SWAP),
  fw::OnControl<&CCsvRowColSelectDlg::OnSortListNumber>(BN_CLICKED, IDC_ROWCOL_LIST_NUMBER),
  fw::OnControl<&CCsvRowColSelectDlg::OnSortListUp>(BN_CLICKED, IDC_ROWCOL_LIST_UP),
  fw::OnControl<&CCsvRowColSelectDlg::OnSortListDown>(BN_CLICKED, IDC_ROWCOL_LIST_DOWN),
  fw::OnControl<&CCsvRowColSelectDlg::OnSelChangeTitleList>(LBN_SELCHANGE, IDC_ROWCOL_TITLES),
  fw::OnControl<&CCsvRowColSelectDlg::OnTitleCopyVertical>(BN_CLICKED, IDC_ROWCOL_COPY_VERTICAL),
  fw::OnControl<&CCsvRowColSelectDlg::OnTitleCopyHorizontal>(BN_CLICKED, IDC_ROWCOL_COPY_HORIZONTAL),
FW_END_MESSAGE_MAP()

namespace {
constexpr int kOrderChars = static_cast<int>(csv::kRowColOrderMax);
}

void CCsvRowColSelectDlg::DoDataExchange(CDataExchange* dx) {
  DDX_Control(dx, IDC_ROWCOL_COLUMNS, m_editColumnOrder);
  DDX_Control(dx, IDC_ROWCOL_TITLES, m_listTitles);
  DDX_Text(dx, IDC_ROWCOL_COLUMNS, m_strColumnOrder);
  DDV_MaxChars(dx, m_strColumnOrder, kOrderChars);
  DDX_Text(dx, IDC_ROWCOL_ROWS, m_strRowOrder);
  DDV_MaxChars(dx, m_strRowOrder, kOrderChars);
  DDX_LBString(dx, IDC_ROWCOL_TITLES, m_strTitles);
  m_hTitleList = m_listTitles.m_hWnd;
  m_pColumnEdit = GetDlgItem(IDC_ROWCOL_COLUMNS);
  m_pRowEdit = GetDlgItem(IDC_ROWCOL_ROWS);
  if (!dx->m_bSaveAndValidate) {
    m_editColumnOrder.SetLimitText(csv::kRowColOrderMax);
    if (m_pRowEdit) m_pRowEdit->SendMessage(EM_LIMITTEXT, csv::kRowColOrderMax, 0);
  }
  // At OK the list exchange has left only the selected line in m_strTitles;
  // reloading from it changes nothing the caller reads.
  m_nEntryWidth = static_cast<int>(csv::kRowColEntryWidth);
  LoadEntries(m_nEntryWidth);
  FillList();
}

void CCsvRowColSelectDlg::LoadEntries(int width) {
  m_aEntries = csv::RowColEntries(m_strTitles.Str(), width > 0 ? static_cast<std::size_t>(width) : 0);
}

void CCsvRowColSelectDlg::FillList() {
  m_listTitles.SetRedraw(FALSE);
  m_listTitles.ResetContent();
  for (const std::string& entry : m_aEntries) m_listTitles.AddString(entry.c_str());
  m_listTitles.SetRedraw(TRUE);
  m_listTitles.Invalidate();
}

void CCsvRowColSelectDlg::SortEntries(int kind) {
  csv::SortRowColEntries(m_aEntries, kind);
  FillList();
}

csv::RowColEdit CCsvRowColSelectDlg::ReadColumnEdit() const {
  csv::RowColEdit edit;
  CString text;
  GetDlgItemText(IDC_ROWCOL_COLUMNS, text);
  edit.text = text.Str();
  int start = 0, end = 0;
  m_editColumnOrder.GetSel(start, end);
  edit.caret = csv::ByteOffsetOfChar(edit.text, start > 0 ? static_cast<std::size_t>(start) : 0);
  return edit;
}

void CCsvRowColSelectDlg::WriteColumnEdit(const csv::RowColEdit& edit) {
  SetDlgItemText(IDC_ROWCOL_COLUMNS, edit.text.c_str());
  m_editColumnOrder.SetFocus();
  const int caret = static_cast<int>(csv::CharCountBefore(edit.text, edit.caret));
  m_editColumnOrder.SetSel(caret, caret);
  m_editColumnOrder.SendMessage(EM_SCROLLCARET, 0, 0);
}

void CCsvRowColSelectDlg::SetColumnOrder(const char* text) {
  csv::RowColEdit edit;
  edit.text = text;
  edit.caret = edit.text.size();
  WriteColumnEdit(edit);
}

void CCsvRowColSelectDlg::ShowMarks(const std::vector<std::size_t>& changed) {
  const int current = m_listTitles.GetCurSel();
  for (std::size_t k : changed) {
    if (k >= m_aEntries.size()) continue;
    const int line = static_cast<int>(k);
    m_listTitles.DeleteString(line);
    m_listTitles.InsertString(line, m_aEntries[k].c_str());
  }
  if (current >= 0) m_listTitles.SetCurSel(current);
}

void CCsvRowColSelectDlg::OnRange() {
  csv::RowColEdit edit = ReadColumnEdit();
  csv::RowColRange(edit);
  WriteColumnEdit(edit);
}

void CCsvRowColSelectDlg::OnRest() {
  csv::RowColEdit edit = ReadColumnEdit();
  csv::RowColRest(edit);
  WriteColumnEdit(edit);
}

void CCsvRowColSelectDlg::OnDelete() {
  csv::RowColEdit edit = ReadColumnEdit();
  csv::RowColDelete(edit);
  WriteColumnEdit(edit);
}

void CCsvRowColSelectDlg::OnUndo() {
  csv::RowColEdit edit = ReadColumnEdit();
  if (edit.text.empty()) return;
  csv::RowColTakeBack(edit, m_aEntries);
  ShowMarks(edit.changed);
  WriteColumnEdit(edit);
}

void CCsvRowColSelectDlg::OnSortColumnsUp() { SetColumnOrder("sortup"); }
void CCsvRowColSelectDlg::OnSortColumnsDown() { SetColumnOrder("sortdn"); }
void CCsvRowColSelectDlg::OnSearchColumns() { SetColumnOrder("sel:"); }
void CCsvRowColSelectDlg::OnReverseRows() { SetDlgItemText(IDC_ROWCOL_ROWS, "rev"); }
void CCsvRowColSelectDlg::OnSwapRowsColumns() { SetDlgItemText(IDC_ROWCOL_ROWS, "row"); }
void CCsvRowColSelectDlg::OnSortListNumber() { SortEntries(3); }
void CCsvRowColSelectDlg::OnSortListUp() { SortEntries(1); }
void CCsvRowColSelectDlg::OnSortListDown() { SortEntries(2); }

void CCsvRowColSelectDlg::OnSelChangeTitleList() {
  const int line = m_listTitles.GetCurSel();
  if (line < 0) return;
  csv::RowColEdit edit = ReadColumnEdit();
  bool picked = m_bPicked != 0;
  const bool changed = csv::RowColPick(edit, m_aEntries, static_cast<std::size_t>(line), &picked);
  m_bPicked = picked ? 1 : 0;
  ShowMarks(edit.changed);
  if (edit.select >= 0) m_listTitles.SetCurSel(edit.select);
  // The first pick may have emptied "1-" without a change of its own.
  if (changed || edit.text.empty()) WriteColumnEdit(edit);
}

void CCsvRowColSelectDlg::OnTitleCopyVertical() { fw::SetClipboardText(m_hWnd, csv::RowColVerticalCopy(m_strTitles.Str())); }

void CCsvRowColSelectDlg::OnTitleCopyHorizontal() {
  CString order;
  GetDlgItemText(IDC_ROWCOL_COLUMNS, order);
  fw::SetClipboardText(m_hWnd, csv::RowColHorizontalCopy(m_strTitles.Str(), order.Str()));
}
