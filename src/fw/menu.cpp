#include "fw/menu.h"

#include "fw/msgbox.h"

CMenu::~CMenu() {
  DestroyMenu();
}

bool CMenu::LoadMenu(unsigned id) {
  return Attach(::LoadMenuA(fw::ResourceModule(), MAKEINTRESOURCEA(id)));
}

bool CMenu::CreateMenu() {
  return Attach(::CreateMenu());
}

bool CMenu::CreatePopupMenu() {
  return Attach(::CreatePopupMenu());
}

bool CMenu::Attach(HMENU menu) {
  DestroyMenu();
  m_hMenu = menu;
  owns_ = true;
  return menu != nullptr;
}

HMENU CMenu::Detach() {
  HMENU h = m_hMenu;
  m_hMenu = nullptr;
  subs_.clear();
  return h;
}

bool CMenu::DestroyMenu() {
  subs_.clear();
  if (!m_hMenu) return false;
  HMENU h = m_hMenu;
  m_hMenu = nullptr;
  return owns_ ? ::DestroyMenu(h) != 0 : true;
}

bool CMenu::AppendMenu(UINT flags, UINT_PTR id, const char* text) {
  return ::AppendMenuA(m_hMenu, flags, id, text) != 0;
}

bool CMenu::InsertMenu(UINT item, UINT flags, UINT_PTR id, const char* text) {
  return ::InsertMenuA(m_hMenu, item, flags, id, text) != 0;
}

bool CMenu::ModifyMenu(UINT item, UINT flags, UINT_PTR id, const char* text) {
  return ::ModifyMenuA(m_hMenu, item, flags, id, text) != 0;
}

bool CMenu::DeleteMenu(UINT item, UINT flags) {
  return ::DeleteMenu(m_hMenu, item, flags) != 0;
}

bool CMenu::RemoveMenu(UINT item, UINT flags) {
  return ::RemoveMenu(m_hMenu, item, flags) != 0;
}

CMenu* CMenu::GetSubMenu(int pos) const {
  HMENU sub = ::GetSubMenu(m_hMenu, pos);
  if (!sub) return nullptr;
  for (const auto& s : subs_)
    if (s->m_hMenu == sub) return s.get();
  // A view of the sub-menu: its parent destroys it, not this object.
  auto view = std::make_unique<CMenu>();
  view->m_hMenu = sub;
  view->owns_ = false;
  subs_.push_back(std::move(view));
  return subs_.back().get();
}

int CMenu::GetMenuItemCount() const {
  return ::GetMenuItemCount(m_hMenu);
}

UINT CMenu::GetMenuItemID(int pos) const {
  return ::GetMenuItemID(m_hMenu, pos);
}

UINT CMenu::GetMenuState(UINT item, UINT flags) const {
  return ::GetMenuState(m_hMenu, item, flags);
}

CString CMenu::GetMenuString(UINT item, UINT flags) const {
  const int n = ::GetMenuStringA(m_hMenu, item, nullptr, 0, flags);
  if (n <= 0) return CString();
  std::string s(static_cast<size_t>(n) + 1, '\0');
  const int got = ::GetMenuStringA(m_hMenu, item, &s[0], n + 1, flags);
  s.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return CString(s);
}

int CMenu::GetMenuString(UINT item, CString& text, UINT flags) const {
  text = GetMenuString(item, flags);
  return text.GetLength();
}

int CMenu::GetMenuString(UINT item, char* buf, int size, UINT flags) const {
  return ::GetMenuStringA(m_hMenu, item, buf, size, flags);
}

UINT CMenu::CheckMenuItem(UINT item, UINT check) {
  return ::CheckMenuItem(m_hMenu, item, check);
}

UINT CMenu::EnableMenuItem(UINT item, UINT enable) {
  return ::EnableMenuItem(m_hMenu, item, enable);
}

bool CMenu::CheckMenuRadioItem(UINT first, UINT last, UINT item, UINT flags) {
  return ::CheckMenuRadioItem(m_hMenu, first, last, item, flags) != 0;
}

bool CMenu::SetDefaultItem(UINT item, bool byPosition) {
  return ::SetMenuDefaultItem(m_hMenu, item, byPosition ? TRUE : FALSE) != 0;
}

std::vector<fw::hooks::MenuItem> CMenu::ReadItems(HMENU menu) {
  std::vector<fw::hooks::MenuItem> items;
  const int count = ::GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOA mi = {};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
    if (!::GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &mi)) continue;
    fw::hooks::MenuItem item;
    item.separator = (mi.fType & MFT_SEPARATOR) != 0;
    item.popup = mi.hSubMenu != nullptr;
    item.id = item.popup || item.separator ? 0 : mi.wID;
    item.grayed = (mi.fState & MFS_DISABLED) != 0;
    item.checked = (mi.fState & MFS_CHECKED) != 0;
    if (!item.separator && mi.cch > 0 && !(mi.fType & MFT_OWNERDRAW)) {
      std::string text(mi.cch + 1, '\0');
      mi.fMask = MIIM_STRING;
      mi.dwTypeData = &text[0];
      mi.cch = static_cast<UINT>(text.size());
      if (::GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &mi)) {
        text.resize(mi.cch < text.size() ? mi.cch : text.size() - 1);
        item.text = text;
      }
    }
    items.push_back(item);
  }
  return items;
}

BOOL CMenu::TrackPopupMenu(UINT flags, int x, int y, CWnd* owner, const RECT* rect) {
  return TrackPopupMenuEx(flags, x, y, owner ? FwGetSafeHwnd(owner) : nullptr, nullptr);
}

BOOL CMenu::TrackPopupMenuEx(UINT flags, int x, int y, HWND owner, const TPMPARAMS* params) {
  if (fw::hooks::TestMode() && owner)
    ::SendMessageA(owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(m_hMenu), MAKELPARAM(0, FALSE));
  unsigned chosen = 0;
  if (fw::hooks::TakePopupMenu(ReadItems(m_hMenu), &chosen)) {
    if (flags & TPM_RETURNCMD) return static_cast<BOOL>(chosen);
    if (chosen != 0 && owner) ::PostMessageA(owner, WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
    return TRUE;
  }
  return ::TrackPopupMenuEx(m_hMenu, flags, x, y, owner, const_cast<TPMPARAMS*>(params));
}
