// The row and column order dialog (179, "CSV行列選択"): a column order and
// a row order composed as texts, with titles picked from a list. The texts,
// the list entries and every edit of them are csv/csv_rowcolsel.h's; the
// members here move them between those functions and the controls.
//
// The caller sets m_strColumnOrder, m_strRowOrder and m_strTitles, runs
// DoModal and on OK reads the two order texts.
#pragma once

#include <string>
#include <vector>

#include "csv/csv_rowcolsel.h"
#include "fw/controls.h"
#include "fw/cstring.h"
#include "fw/dialog.h"
#include "res/resource.h"

class CCsvRowColSelectDlg : public CDialog {
  FW_DECLARE_MESSAGE_MAP()

 public:
  enum { IDD = IDD_CSV_ROWCOL_SELECT };
  explicit CCsvRowColSelectDlg(CWnd* parent = nullptr) : CDialog(IDD, parent) {}

  CEdit m_editColumnOrder;
  CListBox m_listTitles;
  CString m_strColumnOrder;
  CString m_strRowOrder;
  CString m_strTitles;
  HWND m_hTitleList = nullptr;
  CWnd* m_pColumnEdit = nullptr;
  CWnd* m_pRowEdit = nullptr;
  std::vector<std::string> m_aEntries;  // the list lines, mark at byte 4
  int m_nEntryWidth = static_cast<int>(csv::kRowColEntryWidth);
  int m_bPicked = 0;

  void DoDataExchange(CDataExchange* dx) override;
  void LoadEntries(int width);
  void FillList();
  void SortEntries(int kind);

  void OnRange();
  void OnRest();
  void OnDelete();
  void OnUndo();
  void OnSortColumnsUp();
  void OnSortColumnsDown();
  void OnSearchColumns();
  void OnReverseRows();
  void OnSwapRowsColumns();
  void OnSortListNumber();
  void OnSortListUp();
  void OnSortListDown();
  void OnSelChangeTitleList();
  void OnTitleCopyVertical();
  void OnTitleCopyHorizontal();

 private:
  csv::RowColEdit ReadColumnEdit() const;
  // The text back into the column edit, the focus and the caret there.
  void WriteColumnEdit(const csv::RowColEdit& edit);
  void SetColumnOrder(const char* text);
  // The list lines of the entries whose marks changed.
  void ShowMarks(const std::vector<std::size_t>& changed);
};
