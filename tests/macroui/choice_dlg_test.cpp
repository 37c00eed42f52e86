// The choice dialog (189) and the one-line input box (135) as windows a
// macro leaves open: the digit keys, the answer call and the texts T1-T3.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "macroui/choice_dlg.h"
#include "macroui/inputdlg.h"
#include "res/resource.h"
#include "support/ui_test.h"

namespace {

class OpenChoice : public testsupport::UiTest {};
class OpenInputBox : public testsupport::UiTest {};

std::string Text(HWND dlg, int id) {
  char buf[256] = {};
  GetDlgItemTextA(dlg, id, buf, sizeof buf);
  return buf;
}

MSG KeyDown(HWND to, unsigned key) {
  MSG m = {};
  m.hwnd = to;
  m.message = WM_KEYDOWN;
  m.wParam = key;
  return m;
}

TEST_F(OpenChoice, DigitKeysAnswerOnlyForChoicesWithText) {
  CChoiceDlg dlg;
  std::vector<int> calls;
  dlg.m_strMessage = "Which?";
  dlg.m_strChoice[0] = "one";
  dlg.m_strChoice[1] = "two";
  dlg.m_nMacroTarget = 181;
  dlg.m_onMacroResult = [&calls](int kind) { calls.push_back(kind); };
  ASSERT_TRUE(dlg.CreateBeside(nullptr));
  EXPECT_EQ("Which?", Text(dlg.m_hWnd, IDC_CHOICE_MESSAGE));
  MSG three = KeyDown(dlg.m_hWnd, '3');
  dlg.PreTranslateMessage(&three);  // choice 3 is empty: no answer
  EXPECT_TRUE(dlg.IsOpen());
  EXPECT_TRUE(calls.empty());
  MSG two = KeyDown(GetDlgItem(dlg.m_hWnd, IDC_CHOICE_BUTTON1), '2');
  EXPECT_TRUE(dlg.PreTranslateMessage(&two));
  EXPECT_FALSE(dlg.IsOpen());
  EXPECT_EQ("2", std::string(dlg.m_strAnswer.GetString()));
  EXPECT_EQ(std::vector<int>{3}, calls);
}

TEST_F(OpenChoice, WithoutAnswerVariableNoCallIsMade) {
  CChoiceDlg dlg;
  int calls = 0;
  dlg.m_strChoice[0] = "only";
  dlg.m_onMacroResult = [&calls](int) { ++calls; };
  ASSERT_TRUE(dlg.CreateBeside(nullptr));
  dlg.SendMessage(WM_COMMAND, IDC_CHOICE_BUTTON1, 0);
  EXPECT_EQ("1", std::string(dlg.m_strAnswer.GetString()));
  EXPECT_EQ(0, calls);
}

TEST_F(OpenInputBox, TextsAndTheAnswerCallAfterOk) {
  CInputDlg dlg;
  std::vector<std::string> answers;
  dlg.m_strTitle = "Caption";
  dlg.m_strOkText = "Go";
  dlg.m_strCancelText = "Stop";
  dlg.m_strPrompt = "Name?";
  dlg.m_strInput = "old";
  dlg.m_onMacroResult = [&](int kind) { answers.push_back(std::to_string(kind) + ":" + dlg.m_strInput.GetString()); };
  ASSERT_TRUE(dlg.CreateBeside(nullptr));
  EXPECT_EQ("Go", Text(dlg.m_hWnd, IDOK));
  EXPECT_EQ("Stop", Text(dlg.m_hWnd, IDCANCEL));
  EXPECT_EQ("old", Text(dlg.m_hWnd, IDC_INPUT_TEXT));
  char caption[64] = {};
  GetWindowTextA(dlg.m_hWnd, caption, sizeof caption);
  EXPECT_STREQ("Caption", caption);
  SetDlgItemTextA(dlg.m_hWnd, IDC_INPUT_TEXT, "new");
  dlg.SendMessage(WM_COMMAND, IDOK, 0);
  EXPECT_FALSE(dlg.IsOpen());
  EXPECT_EQ(std::vector<std::string>{"2:new"}, answers);

  // Cancel closes the box without an answer.
  ASSERT_TRUE(dlg.CreateBeside(nullptr));
  dlg.SendMessage(WM_COMMAND, IDCANCEL, 0);
  EXPECT_FALSE(dlg.IsOpen());
  EXPECT_EQ(1u, answers.size());
}

}  // namespace
