// The text view's timers in-process, each tick posted as WM_TIMER: the jump
// to a line, a search hit or a rich-text paragraph; the redisplay that keeps
// the view where it stood; the check marks put back; the "TEMPID" window
// closed; the media ticks through the MCI seam; and the right presses on a
// picture (grab, forget, image menu).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/dvkdoc.h"
#include "app/mainfrm.h"
#include "fw/uihooks.h"
#include "res/resource.h"
#include "shell_fixture.h"
#include "support/pump.h"
#include "view/dvkview.h"
#include "view/view_fields.h"
#include "view/view_mci.h"

namespace {

class ViewTimersTest : public shelltest::ShellFileTest {
 protected:
  void TearDown() override {
    view::g_pfnMciSend = &view::SystemMciSend;
    ShellFileTest::TearDown();
  }
  static long Caret(CDvkView* v) {
    long a = 0, b = 0;
    v->GetRichEditCtrl().GetSel(a, b);
    return a;
  }
  void Jump(CDvkView* v, const char* text) {
    doc->m_strJumpText = text;
    v->SendMessage(WM_TIMER, view::kTimerJump, 0);
  }
};

std::string NumberedLines(int n, const char* first = nullptr) {
  std::string text;
  for (int i = 1; i <= n; ++i) {
    if (i == 1 && first) text += first;
    else text += "line " + std::to_string(i) + " of the text\r\n";
  }
  return text;
}

TEST_F(ViewTimersTest, ALineAndColumnJumpPutsTheCaretThereWithTheLineOnTop) {
  CDvkView* v = Open("j.txt", NumberedLines(300));
  ASSERT_NE(nullptr, v);
  CRichEditCtrl& ctrl = v->GetRichEditCtrl();
  Jump(v, "12&5");
  EXPECT_EQ(ctrl.LineIndex(11) + 5, Caret(v));
  EXPECT_EQ(11, ctrl.GetFirstVisibleLine());
  EXPECT_TRUE(doc->m_strJumpText.IsEmpty());
  Jump(v, "40");
  EXPECT_EQ(ctrl.LineIndex(39), Caret(v));
  EXPECT_EQ(39, ctrl.GetFirstVisibleLine());
  // A line past the end, or a text that is not there: nothing moves.
  Jump(v, "5000&1");
  EXPECT_EQ(ctrl.LineIndex(39), Caret(v));
  Jump(v, "no such words");
  EXPECT_EQ(ctrl.LineIndex(39), Caret(v));
  EXPECT_EQ(39, ctrl.GetFirstVisibleLine());
}

TEST_F(ViewTimersTest, SearchJumpsSkipHitsBehindADoubleQuote) {
  const std::string text = "x \"abc one\r\nabc two\r\n\"abc three\r\nzz abc four\r\nabc five\r\n";
  CDvkView* v = Open("q.txt", text);
  ASSERT_NE(nullptr, v);
  CRichEditCtrl& ctrl = v->GetRichEditCtrl();
  Jump(v, "!abc");
  EXPECT_EQ(ctrl.LineIndex(3) + 3, Caret(v));
  Jump(v, "abc");
  EXPECT_EQ(ctrl.LineIndex(1), Caret(v));
}

TEST_F(ViewTimersTest, ARichTextLineJumpCountsParagraphsAsTheControlDoes) {
  const std::string rtf =
      "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\pard p1\\par p2\\page p3\\par p4\\par p5\\par p6}";
  CDvkView* v = Open("r.rtf", rtf);
  ASSERT_NE(nullptr, v);
  ASSERT_EQ(4u, v->m_nFileKind);
  Jump(v, "4");
  EXPECT_EQ(v->FindTextMatchCase(0L, -1L, "p4"), Caret(v));
  Jump(v, "2");
  EXPECT_EQ(v->FindTextMatchCase(0L, -1L, "p2"), Caret(v));
}

TEST_F(ViewTimersTest, ATallSpacedParagraphInFrontCountsTwoLines) {
  const std::string rtf =
      "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\pard\\sl-60\\slmult0 p1\\par\\pard p2\\par p3\\par p4\\par p5}";
  CDvkView* v = Open("s.rtf", rtf);
  ASSERT_NE(nullptr, v);
  ASSERT_EQ(4u, v->m_nFileKind);
  Jump(v, "4");
  EXPECT_EQ(v->FindTextMatchCase(0L, -1L, "p3"), Caret(v));
}

TEST_F(ViewTimersTest, ARedisplayComesBackToItsLineAndCaretAndArmsTheSecondRedraw) {
  CDvkView* v = Open("long.txt", NumberedLines(5000, "+  page form #%S01\r\n"));
  ASSERT_NE(nullptr, v);
  ASSERT_FALSE(v->LoadPending());
  CRichEditCtrl& ctrl = v->GetRichEditCtrl();
  // A "+  " first line asks for the pictures at its markers: the first
  // placement has run (60).
  EXPECT_EQ(60, v->m_image.m_nShapeKind);
  ctrl.LineScroll(3000 - ctrl.GetFirstVisibleLine());
  ASSERT_EQ(3000, ctrl.GetFirstVisibleLine());
  v->m_nSavedScrollPos = static_cast<std::uint32_t>(::GetScrollPos(v->m_hWnd, SB_VERT));
  v->m_nScrollCode = 13;
  const long caret = ctrl.LineIndex(3002) + 4;
  v->m_nSelStart = caret;
  ctrl.SetSel(0, 0);
  doc->m_nRedrawState = 38;
  v->m_nPendingLoad = 1;
  v->SendMessage(WM_TIMER, view::kTimerLoad, 0);
  EXPECT_EQ(3000, ctrl.GetFirstVisibleLine());
  EXPECT_EQ(caret, Caret(v));
  EXPECT_EQ(0, v->m_nScrollCode);
  EXPECT_EQ(0, v->m_nSelStart);
  EXPECT_EQ(0, doc->m_nUpdateLockCount);
  EXPECT_EQ(38, doc->m_nRedrawState);
  EXPECT_FALSE(ctrl.GetModify());
  // Timer 21: update code 6 to all views, the state back to 0.
  v->SendMessage(WM_TIMER, view::kTimerRedraw, 0);
  EXPECT_EQ(app::UpdateCode::kRedrawAll, doc->m_nUpdateCode);
  EXPECT_EQ(0, doc->m_nRedrawState);
  // Any other state ends as 0.
  doc->m_nRedrawState = 5;
  v->m_nPendingLoad = 1;
  v->SendMessage(WM_TIMER, view::kTimerLoad, 0);
  EXPECT_EQ(0, doc->m_nRedrawState);
  EXPECT_EQ(0, doc->m_nUpdateLockCount);
  // With the picture switch on, "+  " is no page form.
  doc->m_bPictureSwitch = 1;
  v->m_nPendingLoad = 1;
  v->SendMessage(WM_TIMER, view::kTimerLoad, 0);
  EXPECT_EQ(0, v->m_image.m_nShapeKind);
}

bool LineMarked(CDvkView* v, int line) {
  CRichEditCtrl& ctrl = v->GetRichEditCtrl();
  const long start = ctrl.LineIndex(line);
  ctrl.SetSel(start, start + ctrl.LineLength(start));
  CHARFORMAT2A cf = {};
  cf.cbSize = sizeof cf;
  ctrl.SendMessage(EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
  return (cf.dwMask & CFM_UNDERLINE) && (cf.dwEffects & CFE_UNDERLINE) && (cf.dwMask & CFM_COLOR) &&
         cf.crTextColor == RGB(16, 16, 240);
}

TEST_F(ViewTimersTest, CheckMarksComeBackAfterARedisplayOfTheTable) {
  CDvkView* v = OpenTable("a,b\r\n1,2\r\n3,4\r\n5,6\r\n7,8\r\n");
  ASSERT_NE(nullptr, v);
  // Rows 3 and 5 (counted from 1) are checked: lines 2 and 4.
  ASSERT_TRUE(v->Reset(1000));
  v->Set(1, 3);
  v->Set(2, 5);
  v->m_nEntryListPos = 3;
  v->m_nEntryListMode = 1;
  // The redisplay drops the marks and arms timer 22, which puts them back.
  v->OnPageLeft();
  EXPECT_FALSE(LineMarked(v, 2));
  v->GetRichEditCtrl().SetModify(TRUE);
  v->SendMessage(WM_TIMER, view::kTimerEntryMarks, 0);
  EXPECT_TRUE(v->GetRichEditCtrl().GetModify());  // marks are no edit
  EXPECT_EQ(0, doc->m_nUpdateLockCount);
  EXPECT_TRUE(LineMarked(v, 2));
  EXPECT_TRUE(LineMarked(v, 4));
  EXPECT_FALSE(LineMarked(v, 3));
  EXPECT_FALSE(LineMarked(v, 1));
}

TEST_F(ViewTimersTest, CheckMarksFollowTheShiftTheTitleRowAndTheRuledHead) {
  std::string csv = "h1,h2\r\n";
  for (int i = 1; i <= 12; ++i) csv += std::to_string(i) + ",x\r\n";
  CDvkView* v = OpenTable(csv);
  ASSERT_NE(nullptr, v);
  ASSERT_TRUE(v->Reset(1000));
  v->Set(1, 3);
  v->Set(2, 7);
  v->m_nEntryListPos = 3;
  v->m_nEntryListMode = 1;
  CRichEditCtrl& ctrl = v->GetRichEditCtrl();
  ctrl.SetSel(4, 6);
  ctrl.SetModify(FALSE);
  // A shift of 2 under a title row: rows 3 and 7 are lines 1 and 5.
  v->m_nLineShift = 2;
  v->m_bTableHasTitle = 1;
  v->SendMessage(WM_TIMER, view::kTimerEntryMarks, 0);
  for (int line = 0; line <= 12; ++line) EXPECT_EQ(line == 1 || line == 5, LineMarked(v, line)) << line;
  // The tick keeps the selection and leaves the text unmodified.
  v->OnPageLeft();
  ctrl.SetSel(4, 6);
  v->SendMessage(WM_TIMER, view::kTimerEntryMarks, 0);
  long a = 0, b = 0;
  ctrl.GetSel(a, b);
  EXPECT_EQ(4, a);
  EXPECT_EQ(6, b);
  EXPECT_FALSE(ctrl.GetModify());
  // In ruled-table mode the lines are 5 further down (the table's head).
  v->OnPageLeft();
  v->m_nLineShift = 0;
  v->m_bTableHasTitle = 0;
  v->m_nEditMode = 3;
  v->SendMessage(WM_TIMER, view::kTimerEntryMarks, 0);
  v->m_nEditMode = 0;
  for (int line = 0; line <= 12; ++line) EXPECT_EQ(line == 7 || line == 11, LineMarked(v, line)) << line;
}

TEST_F(ViewTimersTest, HidingTheQuotesRedisplaysTheTableAndTheMarksComeBack) {
  CDvkView* v = OpenTable("\"a\",\"b\"\r\n\"1\",2\r\n\"3\",4\r\n\"5\",6\r\n");
  ASSERT_NE(nullptr, v);
  ASSERT_TRUE(v->Reset(1000));
  v->Set(1, 2);
  v->Set(2, 4);
  v->m_nEntryListPos = 3;
  v->m_nEntryListMode = 1;
  v->SendMessage(WM_TIMER, view::kTimerEntryMarks, 0);
  ASSERT_TRUE(LineMarked(v, 1));
  const std::string before = shelltest::ControlText(v);
  frame->SendMessage(WM_COMMAND, ID_CSV_HIDE_QUOTES, 0);
  EXPECT_NE(before, shelltest::ControlText(v));
  // The redisplay armed the tick: the marks come back by themselves.
  EXPECT_TRUE(testsupport::PumpUntil([&] { return LineMarked(v, 1) && LineMarked(v, 3); }, 5000));
  EXPECT_FALSE(LineMarked(v, 2));
  EXPECT_FALSE(v->GetRichEditCtrl().GetModify());
  frame->SendMessage(WM_COMMAND, ID_CSV_HIDE_QUOTES, 0);
}

TEST_F(ViewTimersTest, TheMarksComeBackWithoutMovingTheView) {
  std::string csv = "\"a\",\"b\"\r\n";
  for (int i = 1; i <= 400; ++i) csv += "\"" + std::to_string(i) + "\",x\r\n";
  CDvkView* v = OpenTable(csv);
  ASSERT_NE(nullptr, v);
  ASSERT_TRUE(v->Reset(1000));
  v->Set(1, 4);
  v->Set(2, 7);
  v->m_nEntryListPos = 3;
  v->m_nEntryListMode = 1;
  CRichEditCtrl& ctrl = v->GetRichEditCtrl();
  // In the middle of the table, the caret near the top: the marked rows
  // and the caret are both out of sight.
  ctrl.SetSel(0, 0);
  ctrl.LineScroll(200 - ctrl.GetFirstVisibleLine());
  ASSERT_EQ(200, ctrl.GetFirstVisibleLine());
  frame->SendMessage(WM_COMMAND, ID_CSV_HIDE_QUOTES, 0);
  EXPECT_EQ(200, ctrl.GetFirstVisibleLine());
  ASSERT_TRUE(testsupport::PumpUntil([&] {
    CHARFORMAT2A cf = {};
    cf.cbSize = sizeof cf;
    long a = 0, b = 0;
    ctrl.GetSel(a, b);
    const long at = ctrl.LineIndex(3);
    ctrl.SendMessage(EM_HIDESELECTION, 1, 0);
    POINT keep = {};
    ctrl.SendMessage(EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&keep));
    ctrl.SetSel(at, at + 1);
    ctrl.SendMessage(EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    ctrl.SetSel(a, b);
    ctrl.SendMessage(EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&keep));
    ctrl.SendMessage(EM_HIDESELECTION, 0, 0);
    return (cf.dwEffects & CFE_UNDERLINE) != 0;
  }, 5000));
  EXPECT_EQ(200, ctrl.GetFirstVisibleLine());
  frame->SendMessage(WM_COMMAND, ID_CSV_HIDE_QUOTES, 0);
}

LRESULT CALLBACK ClosingProc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcA(h, m, w, l); }

HWND MakeTopWindow(const char* title) {
  static bool registered = false;
  if (!registered) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ClosingProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TabryeTimerTestWindow";
    RegisterClassA(&wc);
    registered = true;
  }
  return CreateWindowExA(0, "TabryeTimerTestWindow", title, WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

TEST_F(ViewTimersTest, TheTempIdTickClosesOneWindowOfThatTitleAndNeverTheFrame) {
  // 60 closes "TEMPID"; 23 is the image canvas's.
  EXPECT_EQ(60u, static_cast<unsigned>(view::kTimerTempWindow));
  EXPECT_EQ(23u, static_cast<unsigned>(view::kTimerImageCanvas));
  CDvkView* v = Open("t.txt", "text\r\n");
  ASSERT_NE(nullptr, v);
  // The frame itself under that title is skipped.
  frame->SetWindowText("TEMPID");
  v->SendMessage(WM_TIMER, view::kTimerTempWindow, 0);
  EXPECT_TRUE(IsWindow(frame->m_hWnd));
  frame->SetWindowText("Tabry-Editor");
  // Two of them: one per tick.
  HWND a = MakeTopWindow("TEMPID");
  HWND b = MakeTopWindow("TEMPID");
  HWND other = MakeTopWindow("TEMPID2");
  ASSERT_TRUE(a && b && other);
  v->SendMessage(WM_TIMER, view::kTimerTempWindow, 0);
  EXPECT_EQ(1, (IsWindow(a) ? 1 : 0) + (IsWindow(b) ? 1 : 0));
  v->SendMessage(WM_TIMER, view::kTimerTempWindow, 0);
  EXPECT_FALSE(IsWindow(a));
  EXPECT_FALSE(IsWindow(b));
  EXPECT_TRUE(IsWindow(other));
  DestroyWindow(other);
}

std::vector<std::string> g_mci;
std::string g_mciReply;

unsigned long RecordMci(const char* command, char* reply, unsigned size) {
  g_mci.push_back(command);
  if (reply && size) lstrcpynA(reply, g_mciReply.c_str(), static_cast<int>(size));
  return 0;
}

TEST_F(ViewTimersTest, TheMediaTicksSendTheirCommandsThroughTheSeam) {
  CDvkView* v = Open("m.txt", "media\r\n");
  ASSERT_NE(nullptr, v);
  view::g_pfnMciSend = &RecordMci;
  g_mci.clear();
  v->m_strViewPath = "C:\\m\\clip.avi";
  v->SendMessage(WM_TIMER, view::kTimerMci, 0);
  ASSERT_EQ(1u, g_mci.size());
  EXPECT_EQ("window \"C:\\m\\clip.avi\" state restore", g_mci[0]);
  // A length nobody knows: only the loop end restarts.
  g_mci.clear();
  v->m_bMediaPlay = 1;
  v->m_bMediaLoop = 1;
  v->m_nLoopStart = 700;
  v->m_nLoopEnd = 0;
  v->m_nMediaLength = 0;
  g_mciReply = "500";
  v->SendMessage(WM_TIMER, view::kTimerMciPos, 0);
  ASSERT_EQ(1u, g_mci.size());
  EXPECT_EQ("status \"C:\\m\\clip.avi\" position ", g_mci[0]);
  EXPECT_EQ(500, v->m_nMediaPosition);
  // Near the length: played again from the loop start.
  g_mci.clear();
  v->m_nMediaLength = 1000;
  g_mciReply = "995";
  v->SendMessage(WM_TIMER, view::kTimerMciPos, 0);
  ASSERT_EQ(2u, g_mci.size());
  EXPECT_EQ("play \"C:\\m\\clip.avi\" from 700", g_mci[1]);
  // Nothing plays: the tick sends nothing and stops.
  g_mci.clear();
  v->m_bMediaPlay = 0;
  v->SendMessage(WM_TIMER, view::kTimerMciPos, 0);
  EXPECT_TRUE(g_mci.empty());
}

TEST_F(ViewTimersTest, ALoopEndPassedPlaysOnceFromTheLoopStart) {
  CDvkView* v = Open("l.txt", "media\r\n");
  ASSERT_NE(nullptr, v);
  view::g_pfnMciSend = &RecordMci;
  v->m_strViewPath = "C:\\m\\loop.wav";
  v->m_bMediaPlay = 1;
  v->m_bMediaLoop = 1;
  v->m_nLoopStart = -20;
  v->m_nLoopEnd = 4000;
  v->m_nMediaLength = 90000;
  // Before the loop end: only the position query.
  g_mci.clear();
  g_mciReply = "3999";
  v->SendMessage(WM_TIMER, view::kTimerMciPos, 0);
  EXPECT_EQ((std::vector<std::string>{"status \"C:\\m\\loop.wav\" position "}), g_mci);
  // Past it: one play from the loop start (0 for a negative start).
  g_mci.clear();
  g_mciReply = "4100";
  v->SendMessage(WM_TIMER, view::kTimerMciPos, 0);
  EXPECT_EQ((std::vector<std::string>{"status \"C:\\m\\loop.wav\" position ", "play \"C:\\m\\loop.wav\" from 0"}),
            g_mci);
  // Without loop play the medium runs on.
  g_mci.clear();
  v->m_bMediaLoop = 0;
  v->SendMessage(WM_TIMER, view::kTimerMciPos, 0);
  EXPECT_EQ(1u, g_mci.size());
}

TEST_F(ViewTimersTest, TheNudgeMovesTheFrameOnePixelLeftAndMarginsFillOnlyInState2) {
  CDvkView* v = Open("n.txt", "nudge\r\n");
  ASSERT_NE(nullptr, v);
  CRect before;
  frame->GetWindowRect(&before);
  v->m_bNudge = 1;
  v->SendMessage(WM_TIMER, view::kTimerNudge, 0);
  CRect after;
  frame->GetWindowRect(&after);
  EXPECT_EQ(before.left - 1, after.left);
  EXPECT_EQ(before.top, after.top);
  EXPECT_EQ(before.Width(), after.Width());
  EXPECT_EQ(before.Height(), after.Height());
  EXPECT_EQ(0, v->m_bNudge);
  EXPECT_TRUE(frame->IsWindowVisible());
  // Timer 14: the unset margins are filled in print-setting state 2 only.
  for (std::int32_t& m : v->m_nPageMargin) m = view::kMarginUnset;
  v->m_nPageMargin[1] = 777;
  doc->m_nPrintSetState = 0;
  v->SendMessage(WM_TIMER, view::kTimerFillMargins, 0);
  EXPECT_EQ(view::kMarginUnset, v->m_nPageMargin[0]);
  doc->m_nPrintSetState = 2;
  v->SendMessage(WM_TIMER, view::kTimerFillMargins, 0);
  for (int i = 0; i < 4; ++i) EXPECT_NE(view::kMarginUnset, v->m_nPageMargin[i]) << i;
  EXPECT_EQ(777, v->m_nPageMargin[1]);
  doc->m_nPrintSetState = 0;
}

bool FileThere(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

TEST_F(ViewTimersTest, ThePasteOfATableConversionWaitsForTheStreamThenEndsTheCopy) {
  const char kRtf[] =
      "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fmodern Courier New;}}\\f0\\fs20 "
      "First paragraph\\par a|bb|c\\par d|e|f\\par Last paragraph\\par}";
  CDvkView* v = Open("doc.rtf", kRtf);
  ASSERT_NE(nullptr, v);
  frame->ActivateTextPane(0, 0);
  ASSERT_EQ(v, frame->GetActiveView());
  CRichEditCtrl& ctrl = v->GetRichEditCtrl();
  const long from = ctrl.LineIndex(1);
  ctrl.SetSel(from, ctrl.LineIndex(3));
  v->m_bCtrlButton = 1;
  doc->m_nActiveSide = 2;
  frame->SendMessage(WM_COMMAND, ID_TBL_CONVERT, 0);
  const std::string copy = File("doc_001.rtf");
  ASSERT_TRUE(FileThere(copy));
  // A stream still under way (its size word positive and more than 10
  // below its end word): the tick waits, the lock held and the copy kept.
  doc->m_nStreamLen = 100;
  doc->m_nReadEnd = 1000;
  ASSERT_TRUE(testsupport::PumpUntil([&] { return !v->LoadPending(); }, 10000));
  testsupport::PumpFor(400);
  v->SendMessage(WM_TIMER, view::kTimerPasteTable, 0);
  EXPECT_TRUE(FileThere(copy));
  EXPECT_LT(0, doc->m_nUpdateLockCount);
  // Within 10 bytes of the end the paste goes on.
  doc->m_nStreamLen = 991;
  doc->m_nUpdateCode = app::UpdateCode::kNone;
  v->SendMessage(WM_TIMER, view::kTimerPasteTable, 0);
  EXPECT_FALSE(FileThere(copy));
  EXPECT_EQ(0, doc->m_nUpdateLockCount);
  EXPECT_EQ(app::UpdateCode::kRedrawAll, doc->m_nUpdateCode);
  EXPECT_EQ(4u, v->m_nFileKind);
  // The active side's path is the document's own, under ".rtf".
  EXPECT_STREQ(File("doc.rtf").c_str(), doc->m_strPath2.GetString());
  EXPECT_STREQ(File("doc.rtf").c_str(), v->m_strViewPath.GetString());
  doc->m_nActiveSide = 1;
  doc->m_nStreamLen = 0;
}

TEST_F(ViewTimersTest, ThreeRightPressesOnAPictureGrabForgetAndOpenTheImageMenu) {
  CDvkView* v = Open("p.txt", "picture\r\n");
  ASSERT_NE(nullptr, v);
  v->m_nFileKind = 14;
  const LPARAM at = MAKELPARAM(40, 30);
  v->SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, at);
  EXPECT_EQ(1u, v->m_image.m_bImageGrab);
  EXPECT_EQ(40, v->m_image.m_ptImageCursor.x);
  EXPECT_TRUE(fw::hooks::LastPopupMenu().empty());
  v->SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, at);
  EXPECT_EQ(0, v->m_image.m_ptImageCursor.x);
  EXPECT_TRUE(fw::hooks::LastPopupMenu().empty());
  fw::hooks::ExpectPopupMenu(0);
  v->SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, at);
  const std::vector<fw::hooks::MenuItem> items = fw::hooks::LastPopupMenu();
  std::vector<unsigned> ids;
  for (const auto& it : items) ids.push_back(it.popup ? 1u : it.separator ? 0u : it.id);
  // The figure tools' submenu (1) closes the menu.
  EXPECT_EQ((std::vector<unsigned>{32973, 32974, 0, 32976, 32994, 32998, 32997, 33122, 1}), ids);
  // Every row of the image menu is built: none is greyed.
  for (const auto& it : items) {
    if (it.separator) continue;
    EXPECT_FALSE(it.grayed) << it.id;
  }
  EXPECT_EQ(0u, v->m_image.m_bImageGrab);
  EXPECT_EQ(40, v->m_image.m_ptImageCursor.x);
}

}  // namespace
