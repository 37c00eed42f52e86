// The narrowing selection dialog (1149, "絞込み選択"): every distinct value
// of one column of the CSV working buffer with its count; a double-click
// (or "N" in the list) adds the value to the condition or takes it out.
// The value table, the sorts, the grouping width and the condition text are
// csv::ValueTable and its functions (csv/csv_valuelist.h); the members here
// show their results and pass on the user's clicks.
//
// The caller sets m_strCond, m_strHelp, m_strLastCond, m_pCsvText,
// m_nColumn and m_nCsvTextLen, runs DoModal and on OK takes m_strCond.
#pragma once

#include <cstdint>

#include "csv/csv_valuelist.h"
#include "fw/controls.h"
#include "fw/cstring.h"
#include "fw/dialog.h"
#include "res/resource.h"

class CNarrowSelectDlg : public CDialog {
  FW_DECLARE_MESSAGE_MAP()

 public:
  enum { IDD = IDD_NARROW_SELECT };
  explicit CNarrowSelectDlg(CWnd* parent = nullptr) : CDialog(IDD, parent) {}

  CButton m_btnRemember;
  CButton m_btnClear;
  CString m_strCond;  // in: the initial condition; out: the result
  CEdit m_editCond;
  CButton m_btnSortCount, m_btnWider, m_btnNarrower, m_btnSortDown, m_btnSortUp;
  CListBox m_listValues;
  CButton m_btnOK, m_btnCancel;
  CString m_strHelp;
  CString m_strSelItem;
  CString m_strWidth;
  CString m_strItemCount;
  CString m_strLastCond;
  csv::ValueTable m_aValues;
  const std::uint8_t* m_pCsvText = nullptr;
  int m_nColumn = 0;
  int m_nCsvTextLen = 0;
  // The buffer's 0x7F / 0x0E are in-cell line breaks (false when the
  // table says they are data).
  bool m_bCellCodes = true;
  int m_nWidth = csv::kValueWidthStart;
  int m_nSortMode = csv::kSortAsRead;
  CString m_strInitCond;

  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnInitDialog() override;

  void OnSortUp();
  void OnSortDown();
  void OnSortCount();
  void OnWider();
  void OnNarrower();
  void OnClear();
  void OnRemember();
  void OnListDblClk();
  LRESULT OnVKeyToItem(WPARAM wp, LPARAM lp);

 private:
  void BuildTable();
  void FillList();
  void Sort(int mode);
  void StepWidth(int delta);
  void Toggle(int line);
};
