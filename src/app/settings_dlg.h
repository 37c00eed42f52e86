// The settings dialog (command ID_SETTINGS_LIMITS): the limits ("indata" and
// "outdata" in MB, "n_tbl" in units of 100, "bmpfile", "n_char"), the fonts,
// the colours of the document and the number keys of the "picture" section
// (one key at a time: a list of the keys, its value and its range; every such
// row of the settings table is offered). OK writes the values into the
// document's fields; the caller saves "Dorvik.inf". A number whose text the
// user did not change keeps its exact value (no rounding through the display
// unit).
#pragma once

#include <cstdint>
#include <vector>

#include "core/docdata/doc_fields.h"
#include "core/docdata/settings_table.h"
#include "fw/dialog.h"

class CSettingsDlg : public CDialog {
 public:
  CSettingsDlg(app::DvkDocData* fields, CWnd* parent = nullptr);

  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnCommand(WPARAM wp, LPARAM lp) override;

  // The colour rows of the combobox, in order (for tests and the dialog).
  static int ColorCount();
  static const char* ColorName(int row);

 private:
  static constexpr int kNumbers = 7;   // limits and the two list font sizes
  static constexpr int kColors = 14;
  void ShowColorValue();
  void PickColor();
  // The chosen picture key's value and range into the controls; the typed
  // value back into m_strPict.
  void ShowPictureValue();
  void KeepPictureValue();

  app::DvkDocData* m_pFields;
  CString m_strNumber[kNumbers];       // edit texts
  CString m_strNumberInit[kNumbers];   // as first shown
  CString m_strProfnt, m_strTblfnt, m_strBtitle, m_strStitle;
  COLORREF m_clr[kColors] = {};
  int m_nColorRow = 0;
  std::vector<const app::SettingKey*> m_aPictRows;  // the "picture" number rows
  std::vector<CString> m_strPict, m_strPictInit;     // their texts, as typed and as first shown
  int m_nPictRow = 0;
};
