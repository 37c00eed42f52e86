// The macro's input box (dialog 180) and variable display (dialog 192) as
// windows: the input box through the dialog hook (hidden, answered by a
// callback), the variable display as the modeless window its owner makes.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "fw/uihooks.h"
#include "macroui/macro_input_dlg.h"
#include "macroui/varview_dlg.h"
#include "res/resource.h"
#include "support/pump.h"
#include "support/ui_test.h"

namespace {

class MacroInputBox : public testsupport::UiTest {};
class VariableView : public testsupport::UiTest {};

std::string TextOf(HWND h) {
  char buf[8192] = {};
  GetWindowTextA(h, buf, sizeof buf);
  return buf;
}

std::string ItemText(CDialog& d, int id) { return TextOf(GetDlgItem(d.m_hWnd, id)); }

// A control's place in its dialog's client area.
RECT ChildBox(HWND dlg, int id) {
  HWND c = GetDlgItem(dlg, id);
  RECT r = {};
  GetWindowRect(c, &r);
  MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

SIZE WindowSize(HWND h) {
  RECT r = {};
  GetWindowRect(h, &r);
  return {r.right - r.left, r.bottom - r.top};
}

LOGFONTA FontOf(HWND h) {
  LOGFONTA lf = {};
  HFONT f = reinterpret_cast<HFONT>(SendMessageA(h, WM_GETFONT, 0, 0));
  if (f) GetObjectA(f, sizeof lf, &lf);
  return lf;
}

// The height of a font of `tenths` tenths of a point on the screen.
LONG PointHeight(int tenths) {
  HDC dc = GetDC(nullptr);
  const LONG h = -MulDiv(GetDeviceCaps(dc, LOGPIXELSY), tenths, 720);
  ReleaseDC(nullptr, dc);
  return h;
}

LONG_PTR StyleOf(CDialog& d, int id) { return GetWindowLongPtrA(GetDlgItem(d.m_hWnd, id), GWL_STYLE); }
LONG_PTR ExStyleOf(CDialog& d, int id) { return GetWindowLongPtrA(GetDlgItem(d.m_hWnd, id), GWL_EXSTYLE); }

// The stop of a macro run: the read-only input without edge, the dump in a
// scrolling prompt, the title after ':', the fixed face at (5 + 2) x 1.5
// points, 500 x 300 pixels, and no focus timer.
TEST_F(MacroInputBox, StopDialogShowsTheDumpAndAnswers) {
  for (int answer : {IDOK, IDCANCEL}) {
    CMacroInputDlg dlg;
    dlg.m_strOptions = "twDV5:Brake stop (BK,9,8)";
    dlg.m_nHeight = 300;
    dlg.m_nWidth = 500;
    dlg.m_strPromptText = "A\t= 1\r\ncmnd line = 3\r\n  : Step mode ON";
    bool seen = false;
    fw::hooks::ExpectDialog(IDD_MACRO_INPUT, [&](CDialog& d) -> int {
      seen = true;
      EXPECT_EQ("Brake stop (BK,9,8)", TextOf(d.m_hWnd));
      const SIZE s = WindowSize(d.m_hWnd);
      EXPECT_EQ(500, s.cx);
      EXPECT_EQ(300, s.cy);
      EXPECT_EQ(dlg.m_strPromptText.Str(), ItemText(d, IDC_MACRO_INPUT_PROMPT));
      EXPECT_EQ("", ItemText(d, IDC_MACRO_INPUT_TEXT));
      EXPECT_TRUE(StyleOf(d, IDC_MACRO_INPUT_TEXT) & ES_READONLY);
      EXPECT_EQ(0, ExStyleOf(d, IDC_MACRO_INPUT_TEXT) & (WS_EX_CLIENTEDGE | WS_EX_CONTROLPARENT));
      EXPECT_TRUE(StyleOf(d, IDC_MACRO_INPUT_PROMPT) & WS_VSCROLL);
      EXPECT_FALSE(StyleOf(d, IDC_MACRO_INPUT_PROMPT) & ES_AUTOHSCROLL);
      EXPECT_TRUE(ExStyleOf(d, IDC_MACRO_INPUT_PROMPT) & WS_EX_CLIENTEDGE);
      const LOGFONTA lf = FontOf(GetDlgItem(d.m_hWnd, IDC_MACRO_INPUT_PROMPT));
      EXPECT_STREQ("ＭＳ ゴシック", lf.lfFaceName);
      EXPECT_EQ(PointHeight(105), lf.lfHeight);
      // T arms no focus timer (killing a timer that does not exist fails).
      EXPECT_FALSE(KillTimer(d.m_hWnd, CMacroInputDlg::kTimerFocus));
      // The layout of a 500-pixel window: buttons 80 wide, the prompt below.
      const RECT cancel = ChildBox(d.m_hWnd, IDCANCEL);
      EXPECT_EQ(400, cancel.left);
      EXPECT_EQ(10, cancel.top);
      EXPECT_EQ(80, cancel.right - cancel.left);
      const RECT ok = ChildBox(d.m_hWnd, IDOK);
      EXPECT_EQ(310, ok.left);
      const RECT prompt = ChildBox(d.m_hWnd, IDC_MACRO_INPUT_PROMPT);
      EXPECT_EQ(10, prompt.left);
      EXPECT_EQ(70, prompt.top);
      EXPECT_EQ(470, prompt.right - prompt.left);
      EXPECT_EQ(180, prompt.bottom - prompt.top);
      return answer;
    });
    EXPECT_EQ(answer, dlg.DoModal());
    EXPECT_TRUE(seen);
  }
}

// "N:Amount": a right-aligned number field under the title "Amount"; OK reads
// the typed text back, Cancel leaves the caller's.
TEST_F(MacroInputBox, NumberFieldReadsBackOnOkOnly) {
  struct Case {
    int answer;
    const char* want;
  } cases[] = {{IDOK, "1234"}, {IDCANCEL, "7"}};
  for (const Case& c : cases) {
    CMacroInputDlg dlg;
    dlg.m_strOptions = "N:Amount";
    dlg.m_strInputText = "7";
    dlg.m_strPromptText = "金額を入力";
    fw::hooks::ExpectDialog(IDD_MACRO_INPUT, [&](CDialog& d) -> int {
      EXPECT_EQ("Amount", TextOf(d.m_hWnd));
      EXPECT_EQ("7", ItemText(d, IDC_MACRO_INPUT_TEXT));
      EXPECT_EQ("金額を入力", ItemText(d, IDC_MACRO_INPUT_PROMPT));
      const LONG_PTR style = StyleOf(d, IDC_MACRO_INPUT_TEXT);
      EXPECT_TRUE(style & ES_NUMBER);
      EXPECT_TRUE(style & ES_RIGHT);
      EXPECT_FALSE(style & ES_READONLY);
      EXPECT_TRUE(ExStyleOf(d, IDC_MACRO_INPUT_TEXT) & WS_EX_CLIENTEDGE);
      EXPECT_EQ(0, ExStyleOf(d, IDC_MACRO_INPUT_PROMPT) & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE));
      // The default size and the proportional face at 10.5 points.
      const SIZE s = WindowSize(d.m_hWnd);
      EXPECT_EQ(300, s.cx);
      EXPECT_EQ(200, s.cy);
      const LOGFONTA lf = FontOf(GetDlgItem(d.m_hWnd, IDC_MACRO_INPUT_TEXT));
      EXPECT_STREQ("ＭＳ Ｐゴシック", lf.lfFaceName);
      EXPECT_EQ(PointHeight(105), lf.lfHeight);
      SetDlgItemTextA(d.m_hWnd, IDC_MACRO_INPUT_TEXT, "1234");
      return c.answer;
    });
    EXPECT_EQ(c.answer, dlg.DoModal());
    EXPECT_EQ(c.want, dlg.m_strInputText.Str());
  }
}

// The width may carry the input field's width; the font follows the last
// digit of the options (9: 16.5 points, 0: the default 10.5).
TEST_F(MacroInputBox, WidthCarryAndFontDigit) {
  struct Case {
    const char* options;
    int width;
    int wantWindow, wantInput, wantFont;
  } cases[] = {
      {"R9", 2000 * 150 + 250, 250, 150, 165},
      {"R0", 2000 * 150 + 250, 250, 150, 105},
      {"9R", 400, 400, 280, 105},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options);
    CMacroInputDlg dlg;
    dlg.m_strOptions = c.options;
    dlg.m_nWidth = c.width;
    fw::hooks::ExpectDialog(IDD_MACRO_INPUT, [&](CDialog& d) -> int {
      EXPECT_EQ(c.wantWindow, WindowSize(d.m_hWnd).cx);
      const RECT input = ChildBox(d.m_hWnd, IDC_MACRO_INPUT_TEXT);
      EXPECT_EQ(c.wantInput, input.right - input.left);
      EXPECT_EQ(55 - c.wantFont / 10, input.top);
      EXPECT_EQ(c.wantFont / 10 + 8, input.bottom - input.top);
      EXPECT_EQ(PointHeight(c.wantFont), FontOf(GetDlgItem(d.m_hWnd, IDC_MACRO_INPUT_TEXT)).lfHeight);
      EXPECT_TRUE(StyleOf(d, IDC_MACRO_INPUT_TEXT) & ES_RIGHT);
      return IDCANCEL;
    });
    dlg.DoModal();
    EXPECT_EQ(c.wantFont, dlg.m_nFontSize);
    EXPECT_EQ(c.wantInput == 150 ? 150 : 0, dlg.m_nInputWidth);
  }
}

// The password field shows '*' in upper case; the focus timer moves the focus to the input
// field once.
TEST_F(MacroInputBox, PasswordAndFocusTimer) {
  CMacroInputDlg dlg;
  dlg.m_strOptions = "pu";
  dlg.m_strInputText = "secret";
  fw::hooks::ExpectDialog(IDD_MACRO_INPUT, [&](CDialog& d) -> int {
    HWND input = GetDlgItem(d.m_hWnd, IDC_MACRO_INPUT_TEXT);
    EXPECT_TRUE(StyleOf(d, IDC_MACRO_INPUT_TEXT) & ES_PASSWORD);
    EXPECT_TRUE(StyleOf(d, IDC_MACRO_INPUT_TEXT) & ES_UPPERCASE);
    EXPECT_EQ('*', SendMessageA(input, EM_GETPASSWORDCHAR, 0, 0));
    // The tick comes as WM_TIMER 1: it kills the timer and focuses the field.
    d.SendMessage(WM_TIMER, CMacroInputDlg::kTimerFocus, 0);
    EXPECT_FALSE(KillTimer(d.m_hWnd, CMacroInputDlg::kTimerFocus));
    EXPECT_EQ(input, GetFocus());
    return IDOK;
  });
  EXPECT_EQ(IDOK, dlg.DoModal());
  // U upper-cases the initial text as well.
  EXPECT_EQ("SECRET", dlg.m_strInputText.Str());
}

// A resize by the user keeps the new size in height and width and lays the
// box out again; one object can be shown twice.
TEST_F(MacroInputBox, ResizeLaysOutAgain) {
  CMacroInputDlg dlg;
  dlg.m_strPromptText = "p";
  for (int round = 0; round < 2; ++round) {
    fw::hooks::ExpectDialog(IDD_MACRO_INPUT, [&](CDialog& d) -> int {
      EXPECT_TRUE(GetDlgItem(d.m_hWnd, IDC_MACRO_INPUT_TEXT) != nullptr);
      SetWindowPos(d.m_hWnd, nullptr, 0, 0, 420, 260, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      EXPECT_EQ(420, dlg.m_nWidth);
      EXPECT_EQ(260, dlg.m_nHeight);
      const RECT cancel = ChildBox(d.m_hWnd, IDCANCEL);
      EXPECT_EQ(420 - 80 - 20, cancel.left);
      const RECT prompt = ChildBox(d.m_hWnd, IDC_MACRO_INPUT_PROMPT);
      EXPECT_EQ(420 - 30, prompt.right - prompt.left);
      EXPECT_EQ(260 - 120, prompt.bottom - prompt.top);
      const RECT input = ChildBox(d.m_hWnd, IDC_MACRO_INPUT_TEXT);
      EXPECT_EQ(420 - 120, input.right - input.left);
      // Smaller than the margins: the prompt shrinks to nothing.
      SetWindowPos(d.m_hWnd, nullptr, 0, 0, 160, 100, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      const SIZE s = WindowSize(d.m_hWnd);
      const RECT small = ChildBox(d.m_hWnd, IDC_MACRO_INPUT_PROMPT);
      EXPECT_EQ(s.cx - 30, small.right - small.left);
      EXPECT_EQ(s.cy >= 120 ? s.cy - 120 : 0, small.bottom - small.top);
      EXPECT_EQ(80, ChildBox(d.m_hWnd, IDC_MACRO_INPUT_TEXT).right - 10);
      SetDlgItemTextA(d.m_hWnd, IDC_MACRO_INPUT_TEXT, round == 0 ? "first" : "second");
      return IDOK;
    });
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ(round == 0 ? "first" : "second", dlg.m_strInputText.Str());
  }
}

// A stop shows its line and dump with UpdateData(FALSE), the dump in the
// fixed-pitch face.
TEST_F(VariableView, ShowsLineAndDumpInFixedPitch) {
  CVariableViewDlg dlg;
  ASSERT_TRUE(dlg.Create());
  EXPECT_EQ("変数表示", TextOf(dlg.m_hWnd));
  EXPECT_FALSE(IsWindowVisible(dlg.m_hWnd));  // its owner shows it
  dlg.m_nStopLine = 12;
  dlg.m_strText = "A\t= 5\r\nB\t= xyz\r\ncmnd line = 12";
  dlg.UpdateData(FALSE);
  EXPECT_EQ("12", TextOf(GetDlgItem(dlg.m_hWnd, IDC_VARVIEW_LINE)));
  EXPECT_EQ(dlg.m_strText.Str(), TextOf(GetDlgItem(dlg.m_hWnd, IDC_VARVIEW_TEXT)));
  const LOGFONTA lf = FontOf(GetDlgItem(dlg.m_hWnd, IDC_VARVIEW_TEXT));
  EXPECT_STREQ("ＭＳ ゴシック", lf.lfFaceName);
  EXPECT_EQ(FIXED_PITCH, lf.lfPitchAndFamily & 3);
  // The line edit keeps the dialog's font.
  EXPECT_STRNE("ＭＳ ゴシック", FontOf(GetDlgItem(dlg.m_hWnd, IDC_VARVIEW_LINE)).lfFaceName);
  // A second stop replaces both.
  dlg.m_nStopLine = 30;
  dlg.m_strText = "cmnd line = 30";
  dlg.UpdateData(FALSE);
  EXPECT_EQ("30", TextOf(GetDlgItem(dlg.m_hWnd, IDC_VARVIEW_LINE)));
  EXPECT_EQ("cmnd line = 30", TextOf(GetDlgItem(dlg.m_hWnd, IDC_VARVIEW_TEXT)));
  dlg.DestroyWindow();
  // The owner makes the window again for the next debug run.
  ASSERT_TRUE(dlg.Create());
  dlg.UpdateData(FALSE);
  EXPECT_EQ("cmnd line = 30", TextOf(GetDlgItem(dlg.m_hWnd, IDC_VARVIEW_TEXT)));
  EXPECT_STREQ("ＭＳ ゴシック", FontOf(GetDlgItem(dlg.m_hWnd, IDC_VARVIEW_TEXT)).lfFaceName);
  dlg.DestroyWindow();
}

// Resizing keeps the text field 19 pixels from the left and 41 from the top,
// 50 narrower and 100 lower than the window; never a negative size.
TEST_F(VariableView, TextFieldFollowsTheWindow) {
  CVariableViewDlg dlg;
  ASSERT_TRUE(dlg.Create());
  dlg.UpdateData(FALSE);
  struct Case {
    int width, height;
  } cases[] = {{600, 400}, {300, 250}, {800, 700}};
  for (const Case& c : cases) {
    SetWindowPos(dlg.m_hWnd, nullptr, 0, 0, c.width, c.height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const SIZE s = WindowSize(dlg.m_hWnd);
    const RECT r = ChildBox(dlg.m_hWnd, IDC_VARVIEW_TEXT);
    EXPECT_EQ(19, r.left);
    EXPECT_EQ(41, r.top);
    EXPECT_EQ(s.cx - 50, r.right - r.left);
    EXPECT_EQ(s.cy - 100, r.bottom - r.top);
  }
  SetWindowPos(dlg.m_hWnd, nullptr, 0, 0, 40, 60, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  const SIZE s = WindowSize(dlg.m_hWnd);
  const RECT r = ChildBox(dlg.m_hWnd, IDC_VARVIEW_TEXT);
  EXPECT_EQ(s.cx > 50 ? s.cx - 50 : 0, r.right - r.left);
  EXPECT_EQ(s.cy > 100 ? s.cy - 100 : 0, r.bottom - r.top);
  dlg.DestroyWindow();
}

// The stop line read back is checked to lie in 0-4096.
TEST_F(VariableView, StopLineAbove4096IsRefused) {
  CVariableViewDlg dlg;
  ASSERT_TRUE(dlg.Create());
  dlg.UpdateData(FALSE);
  SetDlgItemTextA(dlg.m_hWnd, IDC_VARVIEW_LINE, "5000");
  fw::hooks::ExpectMessageBox("4096", IDOK);
  EXPECT_FALSE(dlg.UpdateData(TRUE));
  SetDlgItemTextA(dlg.m_hWnd, IDC_VARVIEW_LINE, "4096");
  EXPECT_TRUE(dlg.UpdateData(TRUE));
  EXPECT_EQ(4096, dlg.m_nStopLine);
  dlg.DestroyWindow();
}

}  // namespace
