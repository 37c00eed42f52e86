#include "view/select_cond_dlg.h"

#include <commctrl.h>

#include "fw/commondlg.h"
#include "fw/commonctl.h"
#include "fw/controls.h"

namespace {

constexpr const char* kCsvFilter = "csv file|*.csv|all|*.*| ";

std::string WindowText(HWND h) {
  const int n = ::GetWindowTextLengthA(h);
  std::string s(static_cast<std::size_t>(n > 0 ? n : 0) + 1, '\0');
  const int got = ::GetWindowTextA(h, &s[0], n + 1);
  s.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  return s;
}

}  // namespace

CSelectCondBase::CSelectCondBase(UINT id, const csv::CondDialogTable& table, CWnd* parent)
    : CDialog(id, parent), m_table(table), m_combos(table) {
  // The date pickers' window class.
  fw::InitCommonControlsOnce();
}

int CSelectCondBase::ComboSlot(int id) const {
  for (std::size_t s = 0; s < m_table.comboIds.size(); ++s) {
    if (m_table.comboIds[s] == id) return static_cast<int>(s);
  }
  return -1;
}

void CSelectCondBase::DoDataExchange(CDataExchange* dx) {
  for (std::size_t e = 0; e < m_table.editIds.size(); ++e) DDX_Text(dx, m_table.editIds[e], m_strValue[e]);
  for (std::size_t k = 0; k < m_table.checkIds.size(); ++k) DDX_Check(dx, m_table.checkIds[k], m_aCheck[k]);
  if (!dx->m_bSaveAndValidate) {
    Open();
    return;
  }
  // OK takes back the values only: each combo's text as it stands (the
  // chosen item, a typed text or a picked file) and the dates.
  // (The tables hold at most ten combos; the members hold ten.)
  const std::size_t combos = std::min<std::size_t>(m_table.comboIds.size(), std::size(m_aComboSel));
  for (std::size_t s = 0; s < combos; ++s) {
    if (HWND h = ::GetDlgItem(m_hWnd, m_table.comboIds[s])) m_aComboText[s] = WindowText(h).c_str();
    m_aComboSel[s] = m_combos.Selection(static_cast<int>(s));
    m_aComboMode[s] = m_combos.Mode(static_cast<int>(s));
  }
  for (std::size_t d = 0; d < m_table.dateIds.size(); ++d) {
    SYSTEMTIME st{};
    HWND h = ::GetDlgItem(m_hWnd, m_table.dateIds[d]);
    if (h && ::SendMessageA(h, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st)) == GDT_VALID) {
      m_aDate[d] = CTime(st.wYear, st.wMonth, st.wDay, 0, 0, 0);
    }
  }
}

void CSelectCondBase::Open() {
  // 1. Prompts: an empty one hides its input (and itself).
  for (std::size_t p = 0; p < m_table.prompts.size(); ++p) {
    const CString& text = m_aPrompt[p];
    SetDlgItemText(m_table.prompts[p].prompt, text);
    if (!text.IsEmpty()) continue;
    for (int id : {m_table.prompts[p].prompt, m_table.prompts[p].control}) {
      if (HWND h = ::GetDlgItem(m_hWnd, id)) ::ShowWindow(h, SW_HIDE);
    }
  }
  // 2. The caption.
  if (!m_strCaption.IsEmpty()) SetWindowText(m_strCaption);
  // 3. The combos' lists, each showing its first item.
  std::vector<std::string> texts;
  for (std::size_t s = 0; s < m_table.comboIds.size(); ++s) texts.push_back(m_aComboText[s].Str());
  const auto lists = m_combos.Open(texts);
  for (std::size_t s = 0; s < lists.size(); ++s) {
    if (!m_aComboText[s].IsEmpty()) LoadCombo(static_cast<int>(s), lists[s]);
  }
  // The dates the macro set.
  for (std::size_t d = 0; d < m_table.dateIds.size(); ++d) {
    if (m_aDate[d].GetTime() == 0) continue;
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(m_aDate[d].GetYear());
    st.wMonth = static_cast<WORD>(m_aDate[d].GetMonth());
    st.wDay = static_cast<WORD>(m_aDate[d].GetDay());
    ::SendDlgItemMessageA(m_hWnd, m_table.dateIds[d], DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
  }
  // 4. Operators ending in ">" switch their date pickers off.
  for (const auto& op : m_table.operators) SwitchDates(op.combo, m_combos.Text(op.combo));
}

void CSelectCondBase::LoadCombo(int slot, const std::vector<std::string>& items) {
  HWND h = ::GetDlgItem(m_hWnd, m_table.comboIds[static_cast<std::size_t>(slot)]);
  if (!h) return;
  m_aItems = items;
  ::SendMessageA(h, CB_RESETCONTENT, 0, 0);
  for (const std::string& item : items) ::SendMessageA(h, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  ::SetWindowTextA(h, items.empty() ? "" : items[0].c_str());
}

void CSelectCondBase::SwitchDates(int comboSlot, const std::string& text) {
  for (const auto& op : m_table.operators) {
    if (op.combo != comboSlot) continue;
    const BOOL on = csv::CondOperatorDisablesDates(text) ? FALSE : TRUE;
    for (int d : {op.dateA, op.dateB}) {
      if (HWND h = ::GetDlgItem(m_hWnd, m_table.dateIds[static_cast<std::size_t>(d)])) ::EnableWindow(h, on);
    }
  }
}

void CSelectCondBase::OnSelChange(int slot) {
  HWND h = ::GetDlgItem(m_hWnd, m_table.comboIds[static_cast<std::size_t>(slot)]);
  if (!h) return;
  const int index = static_cast<int>(::SendMessageA(h, CB_GETCURSEL, 0, 0));
  if (index < 0) return;
  const int len = static_cast<int>(::SendMessageA(h, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0));
  std::string text(static_cast<std::size_t>(len > 0 ? len : 0) + 1, '\0');
  ::SendMessageA(h, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&text[0]));
  text.resize(std::char_traits<char>::length(text.c_str()));
  std::vector<std::string> items;
  const int next = m_combos.Choose(slot, index, text, &items);
  SwitchDates(slot, text);
  if (next >= 0) LoadCombo(next, items);
}

void CSelectCondBase::OnDropDown(int slot) {
  if (m_combos.Mode(slot) != csv::kListFile) return;
  HWND h = ::GetDlgItem(m_hWnd, m_table.comboIds[static_cast<std::size_t>(slot)]);
  if (!h) return;
  const std::string current = WindowText(h);
  CFileDialog dlg(true, nullptr, current.c_str(), OFN_HIDEREADONLY, kCsvFilter, this);
  if (dlg.DoModal() != IDOK) return;
  const CString path = dlg.GetPathName();
  ::SetWindowTextA(h, path);
  m_combos.SetText(slot, path.Str());
}

BOOL CSelectCondBase::OnCommand(WPARAM wp, LPARAM lp) {
  const int slot = lp ? ComboSlot(LOWORD(wp)) : -1;
  if (slot >= 0 && HIWORD(wp) == CBN_SELCHANGE) {
    OnSelChange(slot);
    return TRUE;
  }
  if (slot >= 0 && HIWORD(wp) == CBN_DROPDOWN) {
    OnDropDown(slot);
    return TRUE;
  }
  return CDialog::OnCommand(wp, lp);
}
