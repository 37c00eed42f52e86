// Menus: the menu bar, popup menus from resources or built in code, and
// TrackPopupMenu, which the test hooks answer without tracking.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "fw/cstring.h"
#include "fw/uihooks.h"

class CWnd;
HWND FwGetSafeHwnd(const CWnd* wnd);

class CMenu {
 public:
  CMenu() = default;
  ~CMenu();
  CMenu(const CMenu&) = delete;
  CMenu& operator=(const CMenu&) = delete;

  bool LoadMenu(unsigned id);  // from the resource module
  bool CreateMenu();
  bool CreatePopupMenu();
  // Takes ownership of `menu` (DestroyMenu when this goes).
  bool Attach(HMENU menu);
  HMENU Detach();
  bool DestroyMenu();
  HMENU GetSafeHmenu() const { return m_hMenu; }
  operator HMENU() const { return m_hMenu; }

  // Items. `item` is a command id (MF_BYCOMMAND) or a position (MF_BYPOSITION).
  bool AppendMenu(UINT flags, UINT_PTR id = 0, const char* text = nullptr);
  bool InsertMenu(UINT item, UINT flags, UINT_PTR id = 0, const char* text = nullptr);
  bool ModifyMenu(UINT item, UINT flags, UINT_PTR id = 0, const char* text = nullptr);
  bool DeleteMenu(UINT item, UINT flags);  // destroys a sub-menu too
  bool RemoveMenu(UINT item, UINT flags);  // leaves a sub-menu alive
  // The sub-menu at `pos`, or null. The object belongs to this menu and stays
  // valid while it lives.
  CMenu* GetSubMenu(int pos) const;
  int GetMenuItemCount() const;
  UINT GetMenuItemID(int pos) const;  // 0xFFFFFFFF for a sub-menu
  UINT GetMenuState(UINT item, UINT flags) const;
  CString GetMenuString(UINT item, UINT flags) const;
  int GetMenuString(UINT item, CString& text, UINT flags) const;  // returns the length
  int GetMenuString(UINT item, char* buf, int size, UINT flags) const;
  UINT CheckMenuItem(UINT item, UINT check);     // returns the previous state
  UINT EnableMenuItem(UINT item, UINT enable);   // returns the previous state
  bool CheckMenuRadioItem(UINT first, UINT last, UINT item, UINT flags);
  bool SetDefaultItem(UINT item, bool byPosition = false);

  // Shows the menu at screen point (x, y) for `owner`. With TPM_RETURNCMD the
  // chosen id comes back (0: none); without it the choice is posted to the
  // owner as WM_COMMAND. In test mode the owner first gets WM_INITMENUPOPUP
  // (so update handlers set the states), the items are handed to
  // fw::hooks::TakePopupMenu and the hooks' answer is the choice.
  BOOL TrackPopupMenu(UINT flags, int x, int y, CWnd* owner, const RECT* rect = nullptr);
  BOOL TrackPopupMenuEx(UINT flags, int x, int y, HWND owner, const TPMPARAMS* params = nullptr);

  // The items of `menu` as the hooks record them (top level only).
  static std::vector<fw::hooks::MenuItem> ReadItems(HMENU menu);

  HMENU m_hMenu = nullptr;

 private:
  bool owns_ = true;
  mutable std::vector<std::unique_ptr<CMenu>> subs_;
};
