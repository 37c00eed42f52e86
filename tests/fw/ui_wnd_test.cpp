// The GDI, menu and dialog wrappers with a real window as their CWnd*.
#include <gtest/gtest.h>
#include <windows.h>

#include "fw/commondlg.h"
#include "fw/gdi.h"
#include "fw/menu.h"
#include "fw/wnd.h"
#include "support/ui_test.h"

namespace {

class WithWindow : public testsupport::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, "test", WS_POPUP, 0, 0, 120, 80, nullptr, nullptr));
  }
  void TearDown() override {
    wnd.DestroyWindow();
    UiTest::TearDown();
  }
  CWnd wnd;
};

TEST_F(WithWindow, ClientAndWindowDcsBelongToTheWindow) {
  HDC seen = nullptr;
  {
    CClientDC dc(&wnd);
    ASSERT_NE(nullptr, dc.m_hDC);
    EXPECT_EQ(wnd.m_hWnd, dc.m_hWnd);
    EXPECT_EQ(wnd.m_hWnd, WindowFromDC(dc));
    CPen pen(PS_SOLID, 1, RGB(255, 0, 0));
    dc.SelectObject(&pen);
    EXPECT_TRUE(dc.Rectangle(CRect(1, 1, 10, 10)));
    seen = dc.m_hDC;
  }
  CWindowDC whole(&wnd);
  EXPECT_EQ(wnd.m_hWnd, WindowFromDC(whole));
  EXPECT_NE(nullptr, seen);
}

TEST_F(WithWindow, PopupChoiceIsPostedToTheOwner) {
  CMenu menu;
  ASSERT_TRUE(menu.CreatePopupMenu());
  menu.AppendMenu(MF_STRING, 4711, "実行");
  fw::hooks::ExpectPopupMenu(4711);
  EXPECT_TRUE(menu.TrackPopupMenu(TPM_RIGHTBUTTON, 10, 10, &wnd));
  MSG m;
  ASSERT_TRUE(PeekMessageA(&m, wnd.m_hWnd, WM_COMMAND, WM_COMMAND, PM_REMOVE));
  EXPECT_EQ(4711u, LOWORD(m.wParam));
}

TEST_F(WithWindow, DialogsTakeTheWindowAsOwner) {
  CFileDialog dlg(false, "csv", nullptr, OFN_OVERWRITEPROMPT, "CSV|*.csv||", &wnd);
  fw::hooks::ExpectFileDialog({"C:\\x\\y"});
  ASSERT_EQ(IDOK, dlg.DoModal());
  EXPECT_EQ(CString("C:\\x\\y.csv"), dlg.GetPathName());
  CColorDialog color(0, 0, &wnd);
  fw::hooks::ExpectColorDialog(false, 0);
  EXPECT_EQ(IDCANCEL, color.DoModal());
}

}  // namespace

TEST_F(WithWindow, ModifyStyleChangesOnlyWhatItIsAsked) {
  EXPECT_FALSE(wnd.ModifyStyle(0, WS_POPUP));  // already a popup: nothing changes
  EXPECT_TRUE(wnd.ModifyStyle(0, WS_BORDER, SWP_FRAMECHANGED));
  EXPECT_EQ(static_cast<DWORD>(WS_POPUP | WS_BORDER), wnd.GetStyle() & (WS_POPUP | WS_BORDER));
  EXPECT_TRUE(wnd.ModifyStyle(WS_BORDER, 0));
  EXPECT_EQ(0u, wnd.GetStyle() & WS_BORDER);
  EXPECT_TRUE(wnd.ModifyStyleEx(0, WS_EX_TOOLWINDOW));
  EXPECT_NE(0u, wnd.GetExStyle() & WS_EX_TOOLWINDOW);
  EXPECT_EQ(0u, wnd.GetStyle() & WS_BORDER) << "the extended style is a separate word";
  EXPECT_FALSE(wnd.ModifyStyleEx(0, WS_EX_TOOLWINDOW));
}
