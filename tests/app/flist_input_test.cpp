// The keys and mouse of a list pane in the running program: marks of the
// cursor keys and clicks, the heading's sort buttons and dividers, the path
// line, F2, the text layouts and F11, the drag of marked entries out of the
// pane (through the drag hook) and the list extent of the button-up.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "filelist/flistcore/dragplan.h"
#include "filelist/flistcore/entries.h"
#include "filelist/flistview.h"
#include "fw/clock.h"
#include "fw/file.h"
#include "fw/path.h"
#include "fw/uihooks.h"
#include "shell_fixture.h"

namespace {

// "表示", "ソフト" and "予定 表.txt" (trail bytes 0x5C, a blank).
const std::string kHyoji = "\x95\x5C\x8E\xA6";
const std::string kSofuto = "\x83\x5C\x83\x74\x83\x67";
const std::string kYotei = "\x97\x5C\x92\xE8 \x95\x5C.txt";

void WriteFile(const std::string& path, std::size_t size) {
  CFile f(path.c_str(), CFile::modeCreate | CFile::modeWrite);
  std::string bytes(size, 'x');
  if (size) f.Write(bytes.data(), static_cast<UINT>(size));
}

class FlistInputTest : public shelltest::ShellFileTest {
 protected:
  // base\表示 with a folder and five files; listed in pane 1 in name order.
  std::string MakeFolder() {
    const std::string base = File("") + kHyoji;
    fw::MakeDir(base.c_str());
    fw::MakeDir((base + "\\" + kSofuto).c_str());
    for (const char* n : {"a1.txt", "a2.txt", "a3.txt", "a4.txt"}) WriteFile(base + "\\" + n, 10);
    WriteFile(base + "\\" + kYotei, 20);
    return base;
  }
  CFlistView* Listed(const std::string& dir) {
    CFlistView* v = frame->GetListPane(0, 0);
    if (!v) return nullptr;
    v->m_state.m_nSortMode = 5;
    frame->ShowFolderInList(dir.c_str());
    return v;
  }
  static std::vector<int> Marks(CFlistView* v) {
    std::vector<int> m;
    for (int i = 0; i < v->m_table.m_nEntryCount; ++i)
      if (v->m_table.m_pMarks[i]) m.push_back(i);
    return m;
  }
  static std::string Name(CFlistView* v, int i) { return flist::GetNameRecord(v->m_table.m_pNameRecs, i); }
  // y of entry line k (k >= 1) with the list at its top.
  static int EntryY(CFlistView* v, int k) { return 2 * v->m_nLineHeight + 4 + (k - 1) * v->m_nLineHeight + 2; }
};

TEST_F(FlistInputTest, CursorKeysMarkAsTheRulesSay) {
  const std::string dir = MakeFolder();
  ASSERT_TRUE(StartIn(""));
  CFlistView* v = Listed(dir);
  ASSERT_NE(nullptr, v);
  ASSERT_EQ(v->m_table.m_nEntryCount, 8);  // "..", ソフト, a1-a4, 予定 表.txt, the closing entry
  // The painter of the active pane marks the cursor entry too; the rules
  // of the keys alone are looked at here.
  v->m_bActivePane = 0;
  v->m_state.m_nCurEntry = 1;
  v->OnKeyDown(VK_DOWN, 1, 0);
  EXPECT_EQ(v->m_state.m_nCurEntry, 2);
  EXPECT_EQ(Marks(v), std::vector<int>({2}));
  doc->m_bShiftHeld = 1;
  v->OnKeyDown(VK_DOWN, 1, 0);
  v->OnKeyDown(VK_DOWN, 1, 0);
  EXPECT_EQ(Marks(v), std::vector<int>({2, 3, 4}));
  v->OnKeyDown(VK_UP, 1, 0);
  EXPECT_EQ(Marks(v), std::vector<int>({2, 3}));
  v->OnKeyDown(VK_END, 1, 0);  // onto the last entry, never the closing one
  EXPECT_EQ(v->m_state.m_nCurEntry, 6);
  EXPECT_EQ(Marks(v), std::vector<int>({2, 3, 4, 5}));  // the target unmarked: 3-5 marked
  doc->m_bShiftHeld = 0;
  v->OnKeyDown(VK_DOWN, 1, 0);  // before the closing entry: stays
  EXPECT_EQ(v->m_state.m_nCurEntry, 6);
  v->OnKeyDown(VK_HOME, 1, 0);
  EXPECT_EQ(Marks(v), std::vector<int>({0}));
  EXPECT_EQ(v->m_state.m_nMarkCount, 1u);
}

TEST_F(FlistInputTest, F2AsksForTheQuickCaptureOnly) {
  ASSERT_TRUE(StartIn(""));
  CFlistView* v = frame->GetListPane(0, 0);
  ASSERT_NE(nullptr, v);
  doc->m_nListUpdateCode = 7;
  v->OnKeyDown(VK_F2, 1, 0);
  // The view's update took the request (2) and ran the quick capture.
  EXPECT_EQ(doc->m_nPendingViewCmd, 0);
  EXPECT_EQ(doc->m_nListUpdateCode, 7);
}

TEST_F(FlistInputTest, TextLayoutsRunUnderTheLockAndF11LeavesTheWideLayouts) {
  ASSERT_TRUE(StartIn(""));
  CFlistView* v = frame->GetListPane(0, 0);
  ASSERT_NE(nullptr, v);
  struct Row {
    UINT key;
    int splitMode;
  } rows[] = {{VK_OEM_1, 1}, {VK_OEM_6, 2}, {VK_OEM_4, 3}, {VK_OEM_2, 0}};
  for (const Row& r : rows) {
    v->OnKeyDown(r.key, 1, 0);
    EXPECT_EQ(frame->m_nTextSplitMode, r.splitMode) << r.key;
    EXPECT_EQ(doc->m_nUpdateLockCount, 0) << r.key;
  }
  doc->m_nLayoutMode = 6;
  v->OnKeyDown(VK_F11, 1, 0);
  EXPECT_EQ(doc->m_nLayoutMode, 0);
  doc->m_nLayoutMode = 14;
  v->OnKeyDown(VK_F11, 1, 0);
  EXPECT_EQ(doc->m_nLayoutMode, 10);
}

TEST_F(FlistInputTest, LettersOfTheListAreNoAcceleratorsOfTheTextView) {
  ASSERT_TRUE(StartIn(""));
  CDvkView* text = frame->GetTextView(0, 0);
  ASSERT_NE(nullptr, text);
  for (UINT key : {UINT('S'), UINT('A'), UINT('X'), UINT('0'), UINT(VK_SPACE), UINT(VK_DELETE)}) {
    MSG m = {};
    m.hwnd = text->m_hWnd;
    m.message = WM_KEYDOWN;
    m.wParam = key;
    EXPECT_FALSE(frame->PreTranslateMessage(&m)) << key;
  }
}

TEST_F(FlistInputTest, ClicksMarkAndTheHeadingSorts) {
  const std::string dir = MakeFolder();
  ASSERT_TRUE(StartIn(""));
  CFlistView* v = Listed(dir);
  ASSERT_NE(nullptr, v);
  // A click marks one entry; Ctrl-clicks add and take away.
  v->OnLButtonDown(MK_LBUTTON, CPoint(40, EntryY(v, 2)));
  EXPECT_EQ(v->m_state.m_nCurEntry, 2);
  EXPECT_EQ(Marks(v), std::vector<int>({2}));
  v->OnLButtonDown(MK_LBUTTON | MK_CONTROL, CPoint(40, EntryY(v, 4)));
  EXPECT_EQ(Marks(v), std::vector<int>({2, 4}));
  v->OnLButtonDown(MK_LBUTTON | MK_CONTROL, CPoint(40, EntryY(v, 4)));
  EXPECT_EQ(Marks(v), std::vector<int>({2}));
  EXPECT_EQ(v->m_state.m_nCurEntry, 2);
  // Below the last entry nothing is marked.
  v->OnLButtonDown(MK_LBUTTON | MK_CONTROL, CPoint(40, EntryY(v, 30)));
  EXPECT_EQ(Marks(v), std::vector<int>({2}));
  // The name heading: 5, 6, 0, each time stored for the start and rebuilt.
  const int hy = v->m_nLineHeight + 4;
  // The name button lies between the header switch (below 18) and 22
  // pixels before the first divider; the pane's width decides where that is.
  const int nameX = (18 + v->m_aColumnX[0] - 22) / 2;
  ASSERT_GT(v->m_aColumnX[0] - 22, 19);
  v->m_state.m_nSortMode = 0;
  doc->m_nDirSort = 4321;
  const std::uint32_t want[] = {5, 6, 0};
  for (std::uint32_t w : want) {
    v->OnLButtonDown(MK_LBUTTON, CPoint(nameX, hy));
    v->OnLButtonUp(MK_LBUTTON, CPoint(nameX, hy));
    EXPECT_EQ(v->m_state.m_nSortMode, w);
    EXPECT_EQ(doc->m_nStartSort1, static_cast<std::int32_t>(w) + 10);
  }
  EXPECT_EQ(doc->m_nDirSort, 4020 + static_cast<int>(v->m_state.m_nDisplayMode));
  // Size order, largest first, rebuilt: 予定 表.txt (20 bytes) leads the files.
  // (The hidden window's pane may be narrow: columns of a wide one.)
  v->m_aColumnX[0] = 300, v->m_aColumnX[1] = 340, v->m_aColumnX[2] = 440;
  v->m_state.m_nSortMode = 1;
  v->OnLButtonDown(MK_LBUTTON, CPoint(390, hy));
  EXPECT_EQ(v->m_state.m_nSortMode, 2u);
  EXPECT_EQ(Name(v, 2), kYotei);
}

TEST_F(FlistInputTest, DividerDragMovesTheColumnsAndKeepsTheWidth) {
  const std::string dir = MakeFolder();
  ASSERT_TRUE(StartIn(""));
  CFlistView* v = Listed(dir);
  ASSERT_NE(nullptr, v);
  RECT rc;
  ::GetClientRect(v->m_hWnd, &rc);
  const int hy = v->m_nLineHeight + 4;
  const int c2 = v->m_aColumnX[2];
  doc->m_nFlistD = 1234;
  doc->m_nLayoutMode = 0;
  v->OnLButtonDown(MK_LBUTTON, CPoint(c2 + 2, hy));
  EXPECT_EQ(v->m_nDividerDrag, 3);
  v->OnMouseMove(MK_LBUTTON, CPoint(c2 - 16, hy));
  EXPECT_EQ(v->m_aColumnX[2], c2 - 16);
  int w = (rc.right - (c2 - 16)) / 8;
  if (w > 99) w = 99;
  if (w > 0) EXPECT_EQ(doc->m_nFlistD, 1200 + w);
  v->OnLButtonUp(MK_LBUTTON, CPoint(c2 - 16, hy));
  EXPECT_EQ(v->m_nDividerDrag, 0);
}

TEST_F(FlistInputTest, DragCarriesTheMarkedEntriesUpToTheCursor) {
  const std::string dir = MakeFolder();
  ASSERT_TRUE(StartIn(""));
  CFlistView* v = Listed(dir);
  ASSERT_NE(nullptr, v);
  doc->m_nFdrag = 1;
  v->ClearMarks(0);
  v->m_table.m_pMarks[2] = v->m_table.m_pMarks[4] = v->m_table.m_pMarks[6] = 1;
  v->m_state.m_nCurEntry = 4;
  fw::hooks::ExpectDragDrop(DROPEFFECT_COPY);
  v->OnMouseMove(MK_LBUTTON, CPoint(3, 15));  // within 10 pixels of the left edge
  const std::vector<fw::hooks::DragOffer> offers = fw::hooks::DragOffers();
  ASSERT_EQ(offers.size(), 1u);
  EXPECT_EQ(offers[0].allowedEffects, static_cast<unsigned>(DROPEFFECT_COPY));
  ASSERT_EQ(offers[0].items.size(), 1u);
  EXPECT_EQ(offers[0].items[0].format, static_cast<unsigned>(CF_HDROP));
  ASSERT_GE(offers[0].items[0].bytes.size(), flist::kDropGlobalBytes);
  const std::vector<std::uint8_t> head(offers[0].items[0].bytes.begin(),
                                       offers[0].items[0].bytes.begin() + static_cast<long>(flist::kDropBlockBytes));
  EXPECT_EQ(flist::ReadDropBlock(head), std::vector<std::string>({dir + "\\" + Name(v, 2), dir + "\\" + Name(v, 4)}));
  // Without the "fdrag" setting, or away from the edge, nothing is offered.
  doc->m_nFdrag = 0;
  v->OnMouseMove(MK_LBUTTON, CPoint(3, 15));
  doc->m_nFdrag = 1;
  RECT rc;
  ::GetClientRect(v->m_hWnd, &rc);
  ASSERT_GT(rc.right, 22);
  ASSERT_GT(rc.bottom, 22);
  v->OnMouseMove(MK_LBUTTON, CPoint(rc.right / 2, rc.bottom / 2));
  EXPECT_EQ(fw::hooks::DragOffers().size(), 1u);
}

TEST_F(FlistInputTest, ButtonUpKeepsTheListExtent) {
  ASSERT_TRUE(StartIn(""));
  CFlistView* v = frame->GetListPane(0, 0);
  ASSERT_NE(nullptr, v);
  RECT rc;
  ::GetClientRect(v->m_hWnd, &rc);
  ASSERT_GT(rc.bottom, 10);
  doc->m_nScheduleState = 2;
  doc->m_nLayoutMode = 1;
  doc->m_nPosi[6] = 0;
  v->OnLButtonUp(0, CPoint(0, 0));
  EXPECT_EQ(doc->m_nPosi[6], rc.bottom);
  doc->m_nLayoutMode = 2;
  doc->m_nPosi[6] = 0;
  v->OnLButtonUp(0, CPoint(0, 0));
  EXPECT_EQ(doc->m_nPosi[6], 0);
}

TEST_F(FlistInputTest, PathLineClickListsTheFolderOfTheSegment) {
  const std::string dir = MakeFolder();
  const std::string sub = dir + "\\" + kSofuto;
  ASSERT_TRUE(StartIn(""));
  CFlistView* v = Listed(sub);
  ASSERT_NE(nullptr, v);
  ASSERT_STREQ(sub.c_str(), v->m_strCurDir.GetString());
  fw::clocktest::Fix(1700000000);  // the path line's waits pass at once
  const int y = v->m_nLineHeight - 1;
  ASSERT_GT(y, 0);
  v->DrawPathBar(1);
  // The segment before the last one is "表示": a click on it lists dir.
  int n = 0;
  while (n < 20 && v->m_aPathBarX[n] != 0) ++n;
  ASSERT_GE(n, 3);
  const int x = v->m_aPathBarX[n - 2] - 2;
  v->OnLButtonDown(MK_LBUTTON, CPoint(x, y));
  EXPECT_STREQ(dir.c_str(), v->m_strCurDir.GetString());
  // A click on the ">" lead-in shows the drive list.
  v->DrawPathBar(1);
  v->OnLButtonDown(MK_LBUTTON, CPoint(3, y));
  EXPECT_EQ(v->m_nListSource, 1);
}

TEST_F(FlistInputTest, EnterSpaceAndBackspaceWalkTheFolders) {
  const std::string dir = MakeFolder();
  ASSERT_TRUE(StartIn(""));
  CFlistView* v = Listed(dir);
  ASSERT_NE(nullptr, v);
  ASSERT_EQ(Name(v, 1), kSofuto);
  // Space is the click at 0,0: the cursor entry is shown.
  v->m_state.m_nCurEntry = 3;
  v->OnKeyDown(VK_SPACE, 1, 0);
  EXPECT_STREQ((dir + "\\" + Name(v, 3)).c_str(), v->m_strStartPath.GetString());
  // Home, Down, Enter enters "ソフト"; Backspace comes back with the cursor on it.
  v->OnKeyDown(VK_HOME, 1, 0);
  v->OnKeyDown(VK_DOWN, 1, 0);
  EXPECT_EQ(v->m_state.m_nCurEntry, 1);
  v->OnKeyDown(VK_RETURN, 1, 0);
  EXPECT_STREQ((dir + "\\" + kSofuto).c_str(), v->m_strCurDir.GetString());
  v->OnKeyDown(VK_BACK, 1, 0);
  EXPECT_STREQ(dir.c_str(), v->m_strCurDir.GetString());
  EXPECT_EQ(Name(v, v->m_state.m_nCurEntry), kSofuto);
}

}  // namespace
