// Right presses in the text view, in-process: the status bar's media strip
// (play position and loop switch, no menu), the image menu's rows on a
// picture pane, and the general menu of a CSV table (the caret to the
// pressed cell first, the quote items greyed in ruled-table mode).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/dvkdoc.h"
#include "app/mainfrm.h"
#include "fw/uihooks.h"
#include "host/frame_host.h"
#include "res/resource.h"
#include "shell_fixture.h"
#include "support/pump.h"
#include "view/dvkview.h"
#include "view/view_fields.h"

namespace {

using fw::hooks::MenuItem;

class ViewPressesTest : public shelltest::ShellFileTest {
 protected:
  // A right press at (dx, dy) measured as the strip does: dx from the
  // frame's left edge + 5, dy from its bottom edge (screen).
  void PressAtFrame(CDvkView* v, int dx, int dy) {
    CRect f;
    frame->GetWindowRect(&f);
    CPoint p(f.left + 5 + dx, f.bottom + dy);
    v->ScreenToClient(&p);
    v->SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(p.x, p.y));
  }
  static int PaneLeft() {
    CRect pane;
    g_pStatusBar->GetItemRect(1, &pane);
    return pane.left;
  }
  static std::vector<unsigned> Ids(const std::vector<MenuItem>& items) {
    std::vector<unsigned> ids;
    // A submenu reads 1 (the image menu's figure tools close it).
    for (const MenuItem& it : items) ids.push_back(it.popup ? 1u : it.separator ? 0u : it.id);
    return ids;
  }
  // The image menu's built rows: the corners, the frame clear, copy, crop,
  // undo, the save, the background colour and the closing row.
  static bool Built(unsigned id) {
    return (id >= 32973 && id <= 32978) || id == 32990 || id == 32991 || id == 32994 || id == 32995 ||
           id == 32996 || id == 32998 || id == 32997 || id == 33122;
  }
  static MenuItem Item(const std::vector<MenuItem>& items, unsigned id) {
    for (const MenuItem& it : items)
      if (!it.separator && it.id == id) return it;
    return MenuItem();
  }
};

TEST_F(ViewPressesTest, APressOnTheMediaStripSetsThePositionOrTheLoopAndOpensNoMenu) {
  CDvkView* v = Open("s.txt", "strip\r\n");
  ASSERT_NE(nullptr, v);
  ASSERT_TRUE(g_pStatusBar && g_pStatusBar->m_hWnd);
  v->SetCapture();
  doc->m_nMediaPosValue = 0;
  // 50 pixels into status pane 1, on the bar: the position value.
  PressAtFrame(v, PaneLeft() + 50, -10);
  EXPECT_EQ(50 * 265 / 225 + 395, doc->m_nMediaPosValue);
  EXPECT_TRUE(fw::hooks::LastPopupMenu().empty());
  // 170 pixels in: loop play switched, and stored in the document.
  const std::int32_t loop = v->m_bMediaLoop;
  PressAtFrame(v, PaneLeft() + 170, -10);
  EXPECT_NE(loop, v->m_bMediaLoop);
  EXPECT_EQ(static_cast<std::uint32_t>(v->m_bMediaLoop), doc->m_nLoopPlay);
  PressAtFrame(v, PaneLeft() + 170, -10);
  EXPECT_EQ(loop, v->m_bMediaLoop);
  EXPECT_TRUE(fw::hooks::LastPopupMenu().empty());
  // Below the frame, or beside it: no menu, and nothing changes.
  const std::int32_t position = doc->m_nMediaPosValue;
  v->SetCapture();
  PressAtFrame(v, PaneLeft() + 20, 30);
  EXPECT_EQ(nullptr, CWnd::GetCapture());
  PressAtFrame(v, -40, -10);
  EXPECT_EQ(position, doc->m_nMediaPosValue);
  EXPECT_EQ(loop, v->m_bMediaLoop);
  EXPECT_TRUE(fw::hooks::LastPopupMenu().empty());
  // A press there while the text holds unsaved edits keeps them: the value
  // is set, and the text is not taken from the document again.
  ASSERT_TRUE(testsupport::PumpUntil([v] { return !v->LoadPending(); }, 10000));
  CRichEditCtrl& ctrl = v->GetRichEditCtrl();
  ctrl.SetSel(0, 0);
  ctrl.ReplaceSel("EDITED ", FALSE);
  ctrl.SetModify(TRUE);
  PressAtFrame(v, PaneLeft() + 30, -10);
  EXPECT_EQ(30 * 265 / 225 + 395, doc->m_nMediaPosValue);
  testsupport::PumpFor(700);
  EXPECT_EQ(0u, shelltest::ControlText(v).find("EDITED strip"));
  EXPECT_TRUE(ctrl.GetModify());
  ctrl.SetModify(FALSE);
  // A picture kind does not look at the strip: the press grabs the picture.
  const std::int32_t kept = doc->m_nMediaPosValue;
  v->m_nFileKind = 13;
  PressAtFrame(v, PaneLeft() + 50, -10);
  EXPECT_EQ(1u, v->m_image.m_bImageGrab);
  EXPECT_EQ(kept, doc->m_nMediaPosValue);
  EXPECT_TRUE(fw::hooks::LastPopupMenu().empty());
}

TEST_F(ViewPressesTest, TheImageMenuShowsItsRowsByRegionPastedImageAndSelectionMode) {
  CDvkView* v = Open("p.txt", "picture\r\n");
  ASSERT_NE(nullptr, v);
  v->m_nFileKind = 13;
  doc->m_nPastedImageCount = 1;
  v->m_image.m_nImageSelMode = 1;
  const LPARAM at = MAKELPARAM(60, 40);
  // Grab, forget, open.
  v->SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, at);
  EXPECT_EQ(1u, v->m_image.m_bImageGrab);
  EXPECT_EQ(60, v->m_image.m_ptImageCursor.x);
  v->SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, at);
  EXPECT_EQ(0, v->m_image.m_ptImageCursor.x);
  EXPECT_TRUE(fw::hooks::LastPopupMenu().empty());
  fw::hooks::ExpectPopupMenu(0);
  v->SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, at);
  std::vector<MenuItem> items = fw::hooks::LastPopupMenu();
  EXPECT_EQ((std::vector<unsigned>{32973, 32974, 0, 32977, 32996, 32976, 32994, 32998, 32997, 33122, 1}), Ids(items));
  EXPECT_EQ(0u, Item(items, 32976).text.find("画像 "));
  EXPECT_EQ(0u, Item(items, 32994).text.find("画像 "));
  EXPECT_EQ("背景色セット\tctrl+B", Item(items, 32997).text);
  EXPECT_FALSE(Item(items, 32997).checked);
  for (const MenuItem& it : items)
    if (!it.separator && !it.popup) {
      EXPECT_EQ(!Built(it.id), it.grayed) << it.id;
    }
  EXPECT_EQ(0u, v->m_image.m_bImageGrab);

  // A region, Ctrl held and a background of the view's own: the region
  // rows, "*" after the background item and its check.
  v->m_image.m_rcImageSel = CRect(5, 5, 50, 50);
  v->m_bInternalKey = 1;
  v->m_clrViewBack = RGB(1, 2, 3);
  v->SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, at);  // grabs again
  fw::hooks::ExpectPopupMenu(0);
  v->SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(70, 45));
  items = fw::hooks::LastPopupMenu();
  EXPECT_EQ((std::vector<unsigned>{32973, 32974, 32990, 0, 32976, 32978, 32977, 32995, 32994, 32991, 32996, 32975, 0,
                                   32998, 32997, 33122, 1}),
            Ids(items));
  EXPECT_EQ("背景色セット\tctrl+B*", Item(items, 32997).text);
  EXPECT_TRUE(Item(items, 32997).checked);
  EXPECT_EQ(0u, Item(items, 32976).text.find("領域 "));
  EXPECT_EQ("図形", items.back().text);
  // Without a pasted image or a selection mode the undo and paste go.
  v->m_image.m_rcImageSel = CRect(-1, -1, -1, -1);
  doc->m_nPastedImageCount = 0;
  v->m_image.m_nImageSelMode = 0;
  v->m_bInternalKey = 0;
  v->SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, at);
  fw::hooks::ExpectPopupMenu(0);
  v->SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(80, 45));
  EXPECT_EQ((std::vector<unsigned>{32973, 32974, 0, 32976, 32994, 32998, 32997, 33122, 1}),
            Ids(fw::hooks::LastPopupMenu()));
  v->m_clrViewBack = doc->m_clrTextBack;
}

TEST_F(ViewPressesTest, TheCsvMenuMovesTheCaretToThePressedCellAndGreysTheQuoteItemsInRuledMode) {
  CDvkView* v = OpenTable("a,b\r\nc1,d1\r\nc2,d2\r\nc3,d3\r\n");
  ASSERT_NE(nullptr, v);
  CRichEditCtrl& ctrl = v->GetRichEditCtrl();
  ctrl.SetSel(0, 0);
  // A press on the third line: the caret is there when the menu shows.
  const CPoint cell = ctrl.PosFromChar(ctrl.LineIndex(2) + 1);
  fw::hooks::ExpectPopupMenu(0);
  v->SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(cell.x + 2, cell.y + 2));
  long a = 0, b = 0;
  ctrl.GetSel(a, b);
  EXPECT_EQ(2, ctrl.LineFromChar(a));
  EXPECT_EQ(a, b);
  std::vector<MenuItem> items = fw::hooks::LastPopupMenu();
  EXPECT_FALSE(Item(items, 33104).grayed);
  EXPECT_EQ(33122u, items.back().id);
  // Ruled-table mode, with a selection (no press moves the caret): 33110
  // and 33111 are greyed.
  ctrl.SetSel(0, 1);
  v->m_nEditMode = 3;
  fw::hooks::ExpectPopupMenu(0);
  v->SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(cell.x + 2, cell.y + 2));
  v->m_nEditMode = 0;
  items = fw::hooks::LastPopupMenu();
  EXPECT_EQ(33111u, Item(items, 33111).id);
  EXPECT_TRUE(Item(items, 33111).grayed);
  EXPECT_TRUE(Item(items, 33110).grayed);
  EXPECT_EQ(33122u, items.back().id);
}

}  // namespace
