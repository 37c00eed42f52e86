// Reading and working a dialog's controls in the tests of the running
// program: an item's text, a list box's lines, a list pick with the
// notification the list sends, a button press.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "fw/dialog.h"

namespace dlgtest {

inline std::string ItemText(CDialog& d, int id) {
  CString s;
  d.GetDlgItemText(id, s);
  return s.Str();
}

inline std::vector<std::string> ListLines(CDialog& d, int listId) {
  HWND list = ::GetDlgItem(d.m_hWnd, listId);
  std::vector<std::string> out;
  const int n = static_cast<int>(::SendMessageA(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    const int len = static_cast<int>(::SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0));
    std::string s(static_cast<std::size_t>(len) + 1, '\0');
    ::SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&s[0]));
    s.resize(static_cast<std::size_t>(len));
    out.push_back(s);
  }
  return out;
}

// Selects `line` of the list and sends the dialog the list's `notification`
// (LBN_SELCHANGE for a pick, LBN_DBLCLK for a double-click).
inline void PickListLine(CDialog& d, int listId, int line, int notification) {
  HWND list = ::GetDlgItem(d.m_hWnd, listId);
  ::SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(line), 0);
  d.SendMessage(WM_COMMAND, MAKEWPARAM(listId, notification), reinterpret_cast<LPARAM>(list));
}

inline void Click(CDialog& d, int id) { ::SendMessageA(::GetDlgItem(d.m_hWnd, id), BM_CLICK, 0, 0); }

}  // namespace dlgtest
