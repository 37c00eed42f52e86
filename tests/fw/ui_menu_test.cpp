// Menus: building and changing them, and popup menus captured by the hooks.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "fw/menu.h"
#include "res/test/testres.h"
#include "support/pump.h"
#include "support/ui_test.h"

namespace {

using fw::hooks::MenuItem;

// A hidden owner window that records WM_COMMAND ids and greys ID_TEST_LAST
// when a popup is about to open, as an update handler would.
struct Owner {
  HWND hwnd = nullptr;
  std::vector<unsigned> commands;
  int initPopups = 0;

  static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<Owner*>(GetWindowLongPtrA(h, GWLP_USERDATA));
    if (self && msg == WM_COMMAND) self->commands.push_back(LOWORD(wp));
    if (self && msg == WM_INITMENUPOPUP) {
      ++self->initPopups;
      EnableMenuItem(reinterpret_cast<HMENU>(wp), ID_TEST_LAST, MF_BYCOMMAND | MF_GRAYED);
    }
    return DefWindowProcA(h, msg, wp, lp);
  }
  Owner() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TabryeTestMenuOwner";
    RegisterClassA(&wc);  // fails harmlessly when already registered
    hwnd = CreateWindowExA(0, wc.lpszClassName, "", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                           wc.hInstance, nullptr);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~Owner() { DestroyWindow(hwnd); }
};

class PopupMenu : public testsupport::UiTest {};

TEST_F(PopupMenu, ItemsAreCapturedInOrderWithTheirStates) {
  CMenu menu;
  ASSERT_TRUE(menu.LoadMenu(IDR_TEST_POPUP));
  CMenu* popup = menu.GetSubMenu(0);
  ASSERT_NE(nullptr, popup);
  fw::hooks::ExpectPopupMenu(ID_TEST_CHECKED);
  EXPECT_EQ(static_cast<BOOL>(ID_TEST_CHECKED),
            popup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RETURNCMD, 10, 10, nullptr));

  const std::vector<MenuItem> items = fw::hooks::LastPopupMenu();
  ASSERT_EQ(6u, items.size());
  EXPECT_EQ(ID_TEST_OPEN, static_cast<int>(items[0].id));
  EXPECT_EQ("開く(&O)...\tCtrl+O", items[0].text);
  EXPECT_FALSE(items[0].grayed || items[0].checked || items[0].separator || items[0].popup);
  EXPECT_TRUE(items[1].separator);
  EXPECT_EQ("灰色の項目", items[2].text);
  EXPECT_TRUE(items[2].grayed);
  EXPECT_FALSE(items[2].checked);
  EXPECT_EQ("チェック済み", items[3].text);
  EXPECT_TRUE(items[3].checked);
  EXPECT_FALSE(items[3].grayed);
  EXPECT_TRUE(items[4].popup);
  EXPECT_EQ("その他(&M)", items[4].text);
  EXPECT_EQ(0u, items[4].id);
  EXPECT_EQ(ID_TEST_LAST, static_cast<int>(items[5].id));
}

TEST_F(PopupMenu, TheOwnerUpdatesStatesAndGetsTheCommand) {
  Owner owner;
  ASSERT_NE(nullptr, owner.hwnd);
  CMenu menu;
  ASSERT_TRUE(menu.LoadMenu(IDR_TEST_POPUP));
  CMenu* popup = menu.GetSubMenu(0);
  fw::hooks::ExpectPopupMenu(ID_TEST_OPEN);
  EXPECT_TRUE(popup->TrackPopupMenuEx(TPM_RIGHTBUTTON, 20, 20, owner.hwnd));
  EXPECT_EQ(1, owner.initPopups);
  EXPECT_TRUE(fw::hooks::LastPopupMenu()[5].grayed);  // set by the owner before capture
  EXPECT_TRUE(testsupport::PumpUntil([&] { return !owner.commands.empty(); }, 2000));
  EXPECT_EQ(std::vector<unsigned>{ID_TEST_OPEN}, owner.commands);
}

TEST_F(PopupMenu, ADismissedMenuSendsNothing) {
  Owner owner;
  CMenu menu;
  ASSERT_TRUE(menu.CreatePopupMenu());
  menu.AppendMenu(MF_STRING, 100, "一");
  fw::hooks::ExpectPopupMenu(0);
  EXPECT_EQ(0, menu.TrackPopupMenuEx(TPM_RETURNCMD, 0, 0, owner.hwnd));
  menu.TrackPopupMenuEx(0, 0, 0, owner.hwnd);  // not expected: refused and dismissed
  testsupport::PumpFor(50);
  EXPECT_TRUE(owner.commands.empty());
  ASSERT_EQ(1u, fw::hooks::Unexpected().size());
  EXPECT_EQ("popup menu: 一", fw::hooks::Unexpected()[0]);
  fw::hooks::Reset();
}

TEST(Menu, BuildCheckEnableModifyAndDelete) {
  CMenu menu;
  ASSERT_TRUE(menu.CreatePopupMenu());
  ASSERT_TRUE(menu.AppendMenu(MF_STRING, 100, "表示(&V)"));
  ASSERT_TRUE(menu.AppendMenu(MF_SEPARATOR));
  ASSERT_TRUE(menu.AppendMenu(MF_STRING, 102, "保存"));
  ASSERT_TRUE(menu.InsertMenu(0, MF_BYPOSITION | MF_STRING, 99, "先頭"));
  EXPECT_EQ(4, menu.GetMenuItemCount());
  EXPECT_EQ(99u, menu.GetMenuItemID(0));
  EXPECT_EQ("表示(&V)", menu.GetMenuString(100, MF_BYCOMMAND));
  EXPECT_EQ("先頭", menu.GetMenuString(0, MF_BYPOSITION));

  EXPECT_EQ(static_cast<UINT>(MF_UNCHECKED), menu.CheckMenuItem(100, MF_BYCOMMAND | MF_CHECKED));
  EXPECT_EQ(static_cast<UINT>(MF_CHECKED), menu.CheckMenuItem(100, MF_BYCOMMAND | MF_CHECKED));
  EXPECT_EQ(static_cast<UINT>(MF_ENABLED), menu.EnableMenuItem(102, MF_BYCOMMAND | MF_GRAYED));
  EXPECT_TRUE(menu.GetMenuState(102, MF_BYCOMMAND) & MF_GRAYED);

  ASSERT_TRUE(menu.ModifyMenu(102, MF_BYCOMMAND | MF_STRING, 103, "名前を付けて保存"));
  EXPECT_EQ("名前を付けて保存", menu.GetMenuString(103, MF_BYCOMMAND));
  EXPECT_EQ("", menu.GetMenuString(102, MF_BYCOMMAND));

  ASSERT_TRUE(menu.DeleteMenu(99, MF_BYCOMMAND));
  EXPECT_EQ(3, menu.GetMenuItemCount());
  EXPECT_EQ(100u, menu.GetMenuItemID(0));

  HMENU h = menu.Detach();
  EXPECT_EQ(nullptr, menu.m_hMenu);
  EXPECT_TRUE(IsMenu(h));
  DestroyMenu(h);
}

TEST(Menu, SubMenusStayWithTheirParent) {
  HMENU subHandle = nullptr;
  {
    CMenu menu;
    ASSERT_TRUE(menu.LoadMenu(IDR_TEST_POPUP));
    CMenu* a = menu.GetSubMenu(0);
    ASSERT_NE(nullptr, a);
    EXPECT_EQ(a, menu.GetSubMenu(0));  // the same object every time
    EXPECT_EQ(nullptr, menu.GetSubMenu(5));
    CMenu* inner = a->GetSubMenu(4);
    ASSERT_NE(nullptr, inner);
    EXPECT_EQ(ID_TEST_SUB_ITEM, static_cast<int>(inner->GetMenuItemID(0)));
    EXPECT_EQ(-1, static_cast<int>(a->GetMenuItemID(4)));
    subHandle = inner->m_hMenu;
    // Removing keeps the sub-menu alive; it is ours now.
    ASSERT_TRUE(a->RemoveMenu(4, MF_BYPOSITION));
    EXPECT_TRUE(IsMenu(subHandle));
  }
  EXPECT_TRUE(IsMenu(subHandle));  // not destroyed with the old parent
  CMenu owned;
  owned.Attach(subHandle);
  ASSERT_TRUE(owned.DestroyMenu());
  EXPECT_FALSE(IsMenu(subHandle));
}

TEST(Menu, TheMenuIsDestroyedWithItsObject) {
  HMENU h = nullptr;
  {
    CMenu menu;
    ASSERT_TRUE(menu.LoadMenu(IDR_TEST_POPUP));
    h = menu.m_hMenu;
    EXPECT_TRUE(IsMenu(h));
  }
  EXPECT_FALSE(IsMenu(h));
}

}  // namespace
