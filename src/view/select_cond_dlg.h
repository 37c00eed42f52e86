// The selection-condition dialogs of the macro, both captioned
// "選択条件設定": CSelectCondDlg (187) and CSelectCondExDlg (188). The macro
// fills the prompts, the initial values, the combos' item lists and the
// caption, runs DoModal and on OK reads the checks, the chosen combo texts,
// the dates and the edit texts (in the order of the dialog's field table,
// csv::CondDialogTable::fields).
//
// The control tables, the list loader and the combo chain are portable
// (csv/csv_selectcond.h); the members here show what they decide. The
// arrays are indexed as the tables say: combos in combo order, dates in
// date order, m_strValue in edit order, checks in check order, prompts in
// prompt-table order. The smaller dialog uses the first entries of each.
// The members change only on OK; Cancel leaves all of them as they were.
#pragma once

#include <string>
#include <vector>

#include "csv/csv_selectcond.h"
#include "fw/cstring.h"
#include "fw/datetime.h"
#include "fw/dialog.h"
#include "res/resource.h"

class CSelectCondBase : public CDialog {
 public:
  CSelectCondBase(UINT id, const csv::CondDialogTable& table, CWnd* parent);

  int m_aComboSel[10] = {};
  int m_aComboMode[10] = {};
  std::vector<std::string> m_aItems;  // the list being loaded (at most 100)
  CString m_strValue[13];
  CString m_aPrompt[30];
  CTime m_aDate[4];  // 0: the picker keeps its own date (today)
  CString m_aComboText[10];
  BOOL m_aCheck[4] = {};
  CString m_strCaption;

  const csv::CondDialogTable& Table() const { return m_table; }

  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnCommand(WPARAM wp, LPARAM lp) override;

 private:
  void Open();
  void LoadCombo(int slot, const std::vector<std::string>& items);
  void SwitchDates(int comboSlot, const std::string& text);
  void OnSelChange(int slot);
  void OnDropDown(int slot);
  int ComboSlot(int id) const;

  const csv::CondDialogTable& m_table;
  csv::CondCombos m_combos;
};

class CSelectCondDlg : public CSelectCondBase {
 public:
  enum { IDD = IDD_SELECT_COND };
  explicit CSelectCondDlg(CWnd* parent = nullptr) : CSelectCondBase(IDD, csv::SelectCondTable(), parent) {}
};

class CSelectCondExDlg : public CSelectCondBase {
 public:
  enum { IDD = IDD_SELECT_COND_EX };
  explicit CSelectCondExDlg(CWnd* parent = nullptr) : CSelectCondBase(IDD, csv::SelectCondExTable(), parent) {}
};
