// The main frame: pane tree, activation, layouts, status bar, menu texts,
// timers, the Esc poll and the key state.
#include <gtest/gtest.h>

#include <set>

#include "view/dvkview.h"
#include "app/convert_doc_host.h"
#include "convert/workbook_layout.h"
#include "filelist/flistview.h"
#include "fw/splitter.h"
#include "fw/uihooks.h"
#include "host/doc_host.h"
#include "host/frame_host.h"
#include "res/resource.h"
#include "shell_fixture.h"
#include "support/pump.h"

using shelltest::ShellTest;

namespace {

CSplitterWnd* SplitterOf(CWnd* w) { return w ? dynamic_cast<CSplitterWnd*>(w->GetParent()) : nullptr; }

int Width(CWnd* w) {
  CRect r;
  w->GetWindowRect(&r);
  return r.Width();
}
int Height(CWnd* w) {
  CRect r;
  w->GetWindowRect(&r);
  return r.Height();
}

}  // namespace

TEST_F(ShellTest, PaneTreeHasTwoListsAndFourNumberedTextPanes) {
  ASSERT_TRUE(Start(""));
  CFlistView* a = frame->GetListPane(0, 0);
  CFlistView* b = frame->GetListPane(0, 1);
  ASSERT_NE(nullptr, a);
  ASSERT_NE(nullptr, b);
  EXPECT_EQ(1, a->m_nSide);
  EXPECT_EQ(2, b->m_nSide);
  EXPECT_EQ(nullptr, frame->GetListPane(1, 0));
  std::set<CSplitterWnd*> dynamics;
  const int expected[2][2] = {{1, 3}, {2, 4}};
  for (int r = 0; r < 2; ++r) {
    for (int c = 0; c < 2; ++c) {
      CDvkView* v = frame->GetTextView(r, c);
      ASSERT_NE(nullptr, v) << r << c;
      EXPECT_EQ(static_cast<unsigned>(expected[r][c]), v->m_nPaneIndex) << r << c;
      CSplitterWnd* dyn = SplitterOf(v);
      ASSERT_NE(nullptr, dyn);
      EXPECT_TRUE(dyn->IsDynamic());
      EXPECT_EQ(2, dyn->GetMaxRowCount());
      EXPECT_EQ(2, dyn->GetMaxColumnCount());
      dynamics.insert(dyn);
      CSplitterWnd* quad = SplitterOf(dyn);
      ASSERT_NE(nullptr, quad);
      EXPECT_FALSE(quad->IsDynamic());
      EXPECT_EQ(2, quad->GetRowCount());
      EXPECT_EQ(2, quad->GetColumnCount());
    }
  }
  EXPECT_EQ(4u, dynamics.size());
  EXPECT_EQ(6, doc->GetViewCount());  // two lists and four text views on the one document
}

TEST_F(ShellTest, SplittingATextPaneKeepsItsNumber) {
  ASSERT_TRUE(Start(""));
  frame->SetTextLayout(8);  // four panes, so pane 4 has room
  CSplitterWnd* dyn = SplitterOf(frame->GetTextView(1, 1));
  ASSERT_NE(nullptr, dyn);
  CRect rc;
  dyn->GetClientRect(&rc);
  ASSERT_GT(rc.Height(), 40);
  ASSERT_TRUE(dyn->SplitRow(rc.Height() / 2));
  CDvkView* second = dynamic_cast<CDvkView*>(dyn->GetPane(1, 0));
  ASSERT_NE(nullptr, second);
  EXPECT_EQ(4u, second->m_nPaneIndex);
  EXPECT_EQ(7, doc->GetViewCount());
}

TEST_F(ShellTest, ActivateTextPaneClampsAndActivates) {
  ASSERT_TRUE(Start(""));
  struct Case {
    int row, col, paneIndex;
  } cases[] = {{1, 1, 4}, {0, 1, 3}, {1, 0, 2}, {0, 0, 1}, {2, 1, 4}, {2, 0, 2}, {3, 1, 3}, {-1, 7, 1}};
  for (const Case& c : cases) {
    frame->ActivateTextPane(c.row, c.col);
    CDvkView* v = dynamic_cast<CDvkView*>(frame->GetActiveView());
    ASSERT_NE(nullptr, v) << c.row << "," << c.col;
    EXPECT_EQ(static_cast<unsigned>(c.paneIndex), v->m_nPaneIndex) << c.row << "," << c.col;
    EXPECT_EQ(c.paneIndex, doc->m_nActiveTextPane) << c.row << "," << c.col;
  }
}

TEST_F(ShellTest, ActivateListPaneClampsAndSetsTheSide) {
  ASSERT_TRUE(Start(""));
  frame->ActivateListPane(0, 1);
  EXPECT_EQ(frame->GetListPane(0, 1), frame->GetActiveView());
  EXPECT_EQ(2u, doc->m_nActiveSide);
  EXPECT_EQ(2, doc->m_nActiveListSide);
  EXPECT_EQ(1u, frame->GetListPane(0, 1)->m_bActivePane);
  frame->ActivateListPane(5, -2);  // both out of range: pane (0, 0)
  EXPECT_EQ(frame->GetListPane(0, 0), frame->GetActiveView());
  EXPECT_EQ(1u, doc->m_nActiveSide);
  EXPECT_EQ(0u, frame->GetListPane(0, 1)->m_bActivePane);
  // Side-by-side layout modes swap row and column: (1, 0) then means side 2.
  doc->m_nLayoutMode = 10;
  frame->ActivateListPane(1, 0);
  EXPECT_EQ(frame->GetListPane(0, 1), frame->GetActiveView());
  doc->m_nLayoutMode = 0;
  frame->OnSwitchPane();
  EXPECT_EQ(frame->GetListPane(0, 0), frame->GetActiveView());
  frame->SendMessage(WM_COMMAND, ID_SWITCH_PANE, 0);
  EXPECT_EQ(frame->GetListPane(0, 1), frame->GetActiveView());
}

TEST_F(ShellTest, TextLayoutsSizeThePanes) {
  ASSERT_TRUE(Start(""));
  frame->m_nTextSplitMode = 1;  // two panes side by side
  frame->ApplyTextLayout(0, 0);
  EXPECT_GT(Width(frame->GetTextView(0, 0)), 20);
  EXPECT_GT(Width(frame->GetTextView(0, 1)), 20);
  EXPECT_EQ(0, Height(frame->GetTextView(1, 0)));
  frame->SetTextLayout(8);  // four panes
  for (int r = 0; r < 2; ++r)
    for (int c = 0; c < 2; ++c) EXPECT_GT(Height(frame->GetTextView(r, c)), 20) << r << c;
  EXPECT_EQ(3, frame->m_nTextSplitMode);
  frame->CycleTextLayout(0, 1);  // 3 -> 0: one pane
  EXPECT_EQ(0, frame->m_nTextSplitMode);
  EXPECT_EQ(0, Width(frame->GetTextView(0, 1)));
  frame->CycleTextLayout(1, 1);  // backwards: 0 -> 3
  EXPECT_EQ(3, frame->m_nTextSplitMode);
  frame->m_nTextLayoutWord = 2;  // the window statement's layout word wins once
  frame->CycleTextLayout(0, 0);
  EXPECT_EQ(2, frame->m_nTextSplitMode);
  EXPECT_EQ(0, frame->m_nTextLayoutWord);
  EXPECT_EQ(0, Width(frame->GetTextView(1, 1)));
  EXPECT_GT(Height(frame->GetTextView(1, 0)), 20);
  EXPECT_EQ(0, doc->m_nUpdateLockCount);
}

TEST_F(ShellTest, ListDisplayFollowsTheLayoutMode) {
  ASSERT_TRUE(Start(""));
  doc->m_nLayoutMode = 2;  // "no list"
  frame->OnListDisplay();
  EXPECT_EQ(0, Width(frame->GetListPane(0, 0)));
  doc->m_nLayoutMode = 1;  // "full list"
  frame->OnListDisplay();
  EXPECT_GT(Width(frame->GetListPane(0, 0)), 50);
  EXPECT_EQ(0, Width(SplitterOf(SplitterOf(frame->GetTextView(0, 0)))));
}

TEST_F(ShellTest, StatusBarHasSevenIndicatorsInOrder) {
  ASSERT_TRUE(Start(""));
  ASSERT_EQ(&frame->m_wndStatusBar, g_pStatusBar);
  CStatusBar& bar = frame->m_wndStatusBar;
  ASSERT_EQ(7, bar.GetCount());
  const UINT ids[] = {ID_SEPARATOR, 104, 102, ID_INDICATOR_KANA, ID_INDICATOR_CAPS, 103, ID_INDICATOR_SCRL};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(ids[i], bar.GetItemID(i)) << i;
  int info = bar.CommandToIndex(104);
  EXPECT_EQ(1, info);
  EXPECT_EQ("---------------------0--------------------- ", std::string(bar.GetPaneText(info).GetString()));
  EXPECT_TRUE(bar.GetPaneStyle(info) & SBPS_POPOUT);
  // Pane 0 shows a text at once: the control itself holds it.
  bar.SetPaneText(0, "処理中 10%", TRUE);
  EXPECT_EQ("処理中 10%", std::string(bar.GetPaneText(0).GetString()));
  char shown[64] = {};
  ::SendMessageA(bar.m_hWnd, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(shown));
  EXPECT_EQ("処理中 10%", std::string(shown));
  CRect media;
  bar.GetItemRect(1, &media);
  EXPECT_GT(media.Width(), 0);
}

TEST_F(ShellTest, EscapeAsksOnceAndSetsTheAbortFlag) {
  ASSERT_TRUE(Start(""));
  frame->PostMessage(WM_KEYDOWN, VK_ESCAPE, 0);
  fw::hooks::ExpectMessageBox("中止しますか", IDYES);
  EXPECT_EQ(1, frame->CheckEscapeAbort());
  EXPECT_EQ(1u, doc->m_bAbort);
  // The Esc was taken out of the queue: a second poll finds nothing to ask.
  EXPECT_EQ(0, frame->CheckEscapeAbort());
  MSG m;
  EXPECT_FALSE(PeekMessageA(&m, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE));
  EXPECT_EQ(1u, fw::hooks::MessageBoxTexts().size());
}

TEST_F(ShellTest, EscapeAnsweredNoLeavesTheOperationRunning) {
  ASSERT_TRUE(Start(""));
  frame->PostMessage(WM_KEYDOWN, VK_ESCAPE, 0);
  fw::hooks::ExpectMessageBox("中止しますか", IDNO);
  EXPECT_EQ(0, frame->CheckEscapeAbort());
  EXPECT_EQ(0u, doc->m_bAbort);
  // Another key is left for its window and asks nothing.
  frame->PostMessage(WM_KEYDOWN, 'A', 0);
  EXPECT_EQ(0, frame->CheckEscapeAbort());
  MSG m;
  EXPECT_TRUE(PeekMessageA(&m, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE));
}

TEST_F(ShellTest, FrameTimersTickWithTheProgramClock) {
  ASSERT_TRUE(Start(""));
  EXPECT_EQ(0, frame->m_nScheduleTicks);
  testsupport::PumpFor(3500);
  EXPECT_GE(frame->m_nScheduleTicks, 2);
  EXPECT_LE(frame->m_nScheduleTicks, 5);
  EXPECT_EQ(1, frame->m_nStartupTicks);  // one-shot
  EXPECT_EQ(testsupport::kUiTestTime, frame->m_tLastTick);  // the fixed test clock
  // Timer 2 runs once per arming; timer 1 arms it again.
  frame->SendMessage(WM_TIMER, CMainFrame::kTimerReload, 0);
  EXPECT_EQ(1, frame->m_nReloadTicks);
  EXPECT_TRUE(frame->KillTimer(CMainFrame::kTimerReload) == FALSE);
  frame->SendMessage(WM_TIMER, CMainFrame::kTimerSchedule, 0);
  EXPECT_TRUE(frame->KillTimer(CMainFrame::kTimerReload) != FALSE);
}

TEST_F(ShellTest, MenuTextsFollowTheKindAndTheToolbarSets) {
  ASSERT_TRUE(Start(""));
  HMENU menu = frame->GetMenuHandle();
  ASSERT_NE(nullptr, menu);
  auto caption = [&](UINT id) {
    char buf[128] = {};
    GetMenuStringA(menu, id, buf, sizeof buf, MF_BYCOMMAND);
    return std::string(buf);
  };
  frame->UpdateMenuTexts(33, 0, 0);
  EXPECT_NE(std::string::npos, caption(ID_FILE_SAVE).find("CSV")) << caption(ID_FILE_SAVE);
  std::string normal = caption(ID_TABLE_EDIT_MODE);
  frame->UpdateMenuTexts(33, 0, 3);
  EXPECT_NE(normal, caption(ID_TABLE_EDIT_MODE));
  std::string save = caption(ID_FILE_SAVE);
  frame->UpdateMenuTexts(0, 0, 99);
  EXPECT_FALSE(frame->m_wndToolBar.GetStyle() & WS_VISIBLE);
  EXPECT_EQ(99, frame->m_nToolbarWord);
  frame->UpdateMenuTexts(33, 0, 9);
  EXPECT_TRUE(frame->m_wndToolBar.GetStyle() & WS_VISIBLE);
  EXPECT_EQ(0, frame->m_nToolbarWord);
  EXPECT_EQ(save, caption(ID_FILE_SAVE));  // toolbar calls keep the captions
}

TEST_F(ShellTest, ToolbarHasTheCommonCommands) {
  ASSERT_TRUE(Start(""));
  CToolBar& tb = frame->m_wndToolBar;
  for (UINT id : {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, ID_EDIT_COPY, ID_EDIT_PASTE, ID_EDIT_FIND,
                  ID_TABLE_EDIT_MODE, ID_CSV_SORT_ASCENDING, ID_CSV_SORT_DESCENDING, ID_WINDOW_SPLIT})
    EXPECT_GE(tb.CommandToIndex(id), 0) << id;
  auto image = [&](UINT id) {
    TBBUTTON b = {};
    tb.SendMessage(TB_GETBUTTON, static_cast<WPARAM>(tb.CommandToIndex(id)), reinterpret_cast<LPARAM>(&b));
    return b.iBitmap;
  };
  EXPECT_EQ(6, image(ID_FILE_PRINT));  // the framework's images keep their places
  EXPECT_EQ(9, image(ID_TABLE_EDIT_MODE));
  EXPECT_EQ(15, image(ID_CSV_SHOW_TITLE));  // the title button's own image
  // The selection set ("sel tbar") keeps the table buttons with their images.
  frame->UpdateMenuTexts(33, 0, 98);
  EXPECT_EQ(98, frame->m_nToolbarWord);
  EXPECT_LT(tb.CommandToIndex(ID_FILE_NEW), 0);
  EXPECT_EQ(0, tb.CommandToIndex(ID_TABLE_EDIT_MODE));
  EXPECT_EQ(10, image(ID_CSV_SORT_ASCENDING));
  frame->UpdateMenuTexts(199, 0, 0);
  EXPECT_GE(tb.CommandToIndex(ID_FILE_NEW), 0);
  // The framework's toggles hide and show the bars.
  frame->SendMessage(WM_COMMAND, ID_VIEW_STATUS_BAR, 0);
  EXPECT_FALSE(frame->m_wndStatusBar.GetStyle() & WS_VISIBLE);
  frame->SendMessage(WM_COMMAND, ID_VIEW_STATUS_BAR, 0);
  EXPECT_TRUE(frame->m_wndStatusBar.GetStyle() & WS_VISIBLE);
}

TEST_F(ShellTest, ModifierKeysSetTheDocumentsKeyState) {
  ASSERT_TRUE(Start(""));
  MSG m = {};
  m.hwnd = frame->m_hWnd;
  auto key = [&](UINT msg, WPARAM vk) {
    m.message = msg;
    m.wParam = vk;
    frame->PreTranslateMessage(&m);
  };
  key(WM_KEYDOWN, VK_SHIFT);
  EXPECT_EQ(1u, doc->m_bShiftHeld);
  key(WM_KEYDOWN, VK_CONTROL);
  EXPECT_EQ(1u, doc->m_bCtrlHeld);
  EXPECT_EQ(2u, doc->m_bShiftHeld);  // second modifier state
  key(WM_KEYUP, VK_CONTROL);
  EXPECT_EQ(0u, doc->m_bCtrlHeld);
  EXPECT_EQ(1u, doc->m_bShiftHeld);
  key(WM_KEYUP, VK_SHIFT);
  EXPECT_EQ(0u, doc->m_bShiftHeld);
}

TEST_F(ShellTest, UpdateLockNestsAndRedrawSetsCodeSix) {
  ASSERT_TRUE(Start(""));
  doc->BeginUpdateLock(frame);
  doc->BeginUpdateLock(frame);
  EXPECT_EQ(2, doc->m_nUpdateLockCount);
  doc->EndUpdateLock();
  EXPECT_EQ(1, doc->m_nUpdateLockCount);
  doc->EndUpdateLock();
  doc->EndUpdateLock();  // never below 0
  EXPECT_EQ(0, doc->m_nUpdateLockCount);
  doc->RedrawAllViews();
  EXPECT_EQ(app::UpdateCode::kRedrawAll, doc->m_nUpdateCode);
}

TEST_F(ShellTest, FindsOtherWindowsByTitle) {
  ASSERT_TRUE(Start(""));
  // A title no other window of the session has.
  std::string title = "Tabry-Editor probe " + std::to_string(GetCurrentProcessId());
  frame->SetWindowText(title.c_str());
  std::string upper = "TABRY-editor PROBE " + std::to_string(GetCurrentProcessId());
  EXPECT_EQ(frame->m_hWnd, FwGetSafeHwnd(frame->FindExternalAppWindow(upper.c_str(), "", 0)));
  std::string part = "PROBE " + std::to_string(GetCurrentProcessId());
  EXPECT_EQ(frame->m_hWnd, FwGetSafeHwnd(frame->FindExternalAppWindow(part.c_str(), "tabry", 2)));
  EXPECT_EQ(nullptr, frame->FindExternalAppWindow(part.c_str(), "", 0));  // mode 0: whole title only
  EXPECT_EQ(nullptr, frame->FindExternalAppWindow(part.c_str(), "no such text", 2));
  frame->SaveChildWindowRect();
  EXPECT_FALSE(doc->m_rcSaved.IsRectNull());
}

TEST_F(ShellTest, ViewsReachTheDocumentAndTheFrameThroughTheHosts) {
  ASSERT_TRUE(Start(""));
  ASSERT_EQ(static_cast<app::FrameHost*>(frame), app::g_pFrameHost);
  EXPECT_EQ(frame, app::g_pFrameHost->FrameWnd());
  EXPECT_EQ(&frame->m_wndStatusBar, g_pStatusBar);
  EXPECT_EQ(app_->StartCommand().commandLine, app::g_pFrameHost->StartCommandLine());
  EXPECT_TRUE(app::g_pFrameHost->RestoreLayoutAtStart());
  app::DocHost* host = doc;
  CFlistView* list = frame->GetListPane(0, 0);
  ASSERT_NE(nullptr, list);
  EXPECT_EQ(host, list->GetDocument());
  EXPECT_EQ(host, frame->GetTextView(1, 1)->GetDocument());
  EXPECT_EQ(static_cast<CDocument*>(doc), host->AsDocument());
  // Each field group the host hands out is the document's own storage (a
  // copy would let a view's write vanish), also through a const host.
  const app::DocHost* constHost = host;
  EXPECT_EQ(&doc->m_pText, &host->TextFields().m_pText);
  EXPECT_EQ(&doc->m_nUpdateCode, &constHost->UpdateFields().m_nUpdateCode);
  EXPECT_EQ(&doc->m_strCurFile, &host->PathFields().m_strCurFile);
  EXPECT_EQ(&doc->m_nTxtsiz, &host->SettingsFields().m_nTxtsiz);
  EXPECT_EQ(&doc->m_nLayoutMode, &constHost->WindowFields().m_nLayoutMode);
  EXPECT_EQ(&doc->m_bShiftHeld, &host->KeyImageFields().m_bShiftHeld);
  EXPECT_EQ(&doc->m_nListReloadRequest, &host->ListFields().m_nListReloadRequest);
  EXPECT_EQ(&doc->m_strEncryptKeyCode, &host->SystemFields().m_strEncryptKeyCode);
  EXPECT_EQ(&doc->m_strOpenMessage, &constHost->OpenFields().m_strOpenMessage);
  // A setting's default as the settings file writes it; "" for an unknown key.
  EXPECT_FALSE(host->InfDefault("profnt").IsEmpty());
  EXPECT_TRUE(host->InfDefault("no such key").IsEmpty());

  // Paints the frame asks the lists to swallow are counted down one by one.
  frame->m_nSkipPaints = 2;
  EXPECT_TRUE(app::g_pFrameHost->TakeSkippedPaint());
  EXPECT_TRUE(app::g_pFrameHost->TakeSkippedPaint());
  EXPECT_FALSE(app::g_pFrameHost->TakeSkippedPaint());
  EXPECT_EQ(0, frame->m_nSkipPaints);
  frame->m_nSkipPaints = 1;
  ::SendMessageA(list->m_hWnd, WM_PAINT, 0, 0);  // the frame is hidden: no paint comes by itself
  EXPECT_EQ(0, frame->m_nSkipPaints);
  ::SendMessageA(list->m_hWnd, WM_PAINT, 0, 0);
  EXPECT_EQ(0, frame->m_nSkipPaints);

  frame->DestroyWindow();
  EXPECT_EQ(nullptr, app::g_pFrameHost);
  EXPECT_EQ(nullptr, g_pStatusBar);
}

namespace {

// A workbook table of 3,000 text cells, six to a row.
void FillWorkbook(convert::WorkbookTable& t) {
  ASSERT_TRUE(t.Allocate(5000, 157));
  t.m_nFirstRecordLength = 16;
  for (int i = 0; i < 3000; ++i) {
    const std::string s = "c" + std::to_string(i);
    t.AddCell(i / 6, i % 6, t.AddValue(reinterpret_cast<const std::uint8_t*>(s.data()), s.size(), 1000), 0);
  }
}

}  // namespace

// The workbook layout's progress through the document's converter host: the
// status pane, a waiting Up key and the Esc question.
TEST_F(ShellTest, WorkbookLayoutShowsProgressAndStopsAtUpOrEsc) {
  ASSERT_TRUE(Start(""));
  app::ConvertDocHost host(*doc);
  convert::WorkbookLayoutRequest req;
  req.host = &host;
  {
    SCOPED_TRACE("Up");
    convert::WorkbookTable t;
    FillWorkbook(t);
    frame->PostMessage(WM_KEYDOWN, VK_UP, 0);
    convert::LoadBuffer out;
    const convert::WorkbookLayoutResult r = convert::LayoutWorkbook(t, req, out);
    EXPECT_TRUE(r.stopped);
    EXPECT_EQ(256, r.cellsLaidOut);
    EXPECT_EQ("Making Table  1/11   (Push ESC to stop, Up/Down to skip)",
              std::string(g_pStatusBar->GetPaneText(0).GetString()));
    EXPECT_NE(std::string::npos, std::string(out.Data()).find("c255"));
    EXPECT_EQ(0u, doc->m_bAbort);
    EXPECT_TRUE(fw::hooks::MessageBoxTexts().empty());
    MSG m;
    while (PeekMessageA(&m, nullptr, WM_KEYDOWN, WM_KEYUP, PM_REMOVE)) {
    }
  }
  {
    SCOPED_TRACE("Esc answered Yes");
    convert::WorkbookTable t;
    FillWorkbook(t);
    frame->PostMessage(WM_KEYDOWN, VK_ESCAPE, 0);
    fw::hooks::ExpectMessageBox("中止しますか", IDYES);
    convert::LoadBuffer out;
    const convert::WorkbookLayoutResult r = convert::LayoutWorkbook(t, req, out);
    EXPECT_TRUE(r.stopped);
    EXPECT_EQ(1u, doc->m_bAbort);
    EXPECT_NE(std::string::npos, std::string(out.Data()).find("c255"));
    EXPECT_EQ(std::string::npos, std::string(out.Data()).find("c256"));
  }
}
