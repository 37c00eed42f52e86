// The input statements in the running program, from real macro files: the
// input box left open beside the table and the timer that resumes the run,
// the choice dialog modal and open, the macro input box, the preset answer of
// an inserted macro, the selection-condition dialog 187 and the IME switch.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>

#include "app/dvkdoc.h"
#include "fw/uihooks.h"
#include "macro/macro_run.h"
#include "macro/macro_state.h"
#include "macro_shell_fixture.h"
#include "macroui/macro_dialogs.h"
#include "res/resource.h"
#include "support/file_bytes.h"
#include "support/pump.h"
#include "view/dvkview.h"
#include "view/macro_view_host.h"

namespace {

// A statement of the system-parameter class ("system_para") runs `fn` for
// the length of a test.
struct ProbeStatement {
  explicit ProbeStatement(std::function<void(macro::MacroState&)> fn) {
    macro::SetTestExecutor(3, [fn](macro::MacroRunContext& r) {
      fn(r.state);
      return macro::Outcome::kNext;
    });
  }
  ~ProbeStatement() { macro::SetTestExecutor(3, nullptr); }
};

class MacroInputTest : public shelltest::MacroShellTest {
 protected:
  int RunFile(CDvkView* v, const char* name, const std::string& text) {
    const std::string path = File(name);
    testsupport::WriteFileBytes(path, text);
    return v->RunMacro(macro::kRunFile, path.c_str(), "", "");
  }
  static macroui::MacroDialogs& Dialogs(CDvkView* v) {
    return static_cast<view::MacroViewHost&>(v->MacroHost()).Dialogs();
  }
  static std::string Var(CDvkView* v, int n) { return v->Macro().m_strMacroVars[n].GetString(); }
  static std::string ItemText(HWND dlg, int id) {
    char text[256] = {};
    ::GetDlgItemTextA(dlg, id, text, sizeof text);
    return text;
  }
};

TEST_F(MacroInputTest, InputHoldPausesAndOkResumesTheRunWithTheText) {
  CDvkView* v = Open("first.txt", "x\r\n");
  ASSERT_NE(nullptr, v);
  std::string seen = "not run";
  ProbeStatement probe([&seen](macro::MacroState& st) { seen = st.m_strMacroVars[180].GetString(); });
  EXPECT_EQ(macro::kRunPaused, RunFile(v, "hold.rmc", "\tinputhold:180:Name@Go;Stop\tYour name?\r\n\tsystem_para\t\r\n"));
  EXPECT_EQ("not run", seen);
  CInputDlg& dlg = Dialogs(v).HoldInput();
  ASSERT_TRUE(dlg.IsOpen());
  EXPECT_EQ("Your name?", ItemText(dlg.m_hWnd, IDC_INPUT_PROMPT));
  EXPECT_EQ("Go", ItemText(dlg.m_hWnd, IDOK));
  EXPECT_EQ("Stop", ItemText(dlg.m_hWnd, IDCANCEL));
  char caption[64] = {};
  ::GetWindowTextA(dlg.m_hWnd, caption, sizeof caption);
  EXPECT_STREQ("Name", caption);
  // 30 pixels inside the view's right edge.
  RECT dr, vr;
  ::GetWindowRect(dlg.m_hWnd, &dr);
  ::GetWindowRect(v->m_hWnd, &vr);
  EXPECT_EQ(vr.right - 30, dr.right);

  ::SetDlgItemTextA(dlg.m_hWnd, IDC_INPUT_TEXT, "山田");
  dlg.SendMessage(WM_COMMAND, IDOK, 0);
  EXPECT_FALSE(dlg.IsOpen());
  EXPECT_EQ("山田", Var(v, 180));
  ASSERT_TRUE(testsupport::PumpUntil([&seen] { return seen != "not run"; }, 5000));
  EXPECT_EQ("山田", seen);
  EXPECT_EQ(0, v->Macro().m_nMacroResumePos);
}

TEST_F(MacroInputTest, InputNumAnsweredWithButton3) {
  CDvkView* v = Open("first.txt", "x\r\n");
  ASSERT_NE(nullptr, v);
  std::string message;
  fw::hooks::ExpectDialog(IDD_CHOICE, [&message](CDialog& d) {
    message = ItemText(d.m_hWnd, IDC_CHOICE_MESSAGE);
    d.SendMessage(WM_COMMAND, IDC_CHOICE_BUTTON3, 0);
    return IDOK;
  });
  EXPECT_EQ(macro::kRunEnded, RunFile(v, "num.rmc", "\tinputnum181\tPick one|A|B|C\r\n"));
  EXPECT_EQ("Pick one", message);
  EXPECT_EQ("3", Var(v, 181));
  EXPECT_TRUE(fw::hooks::Unused().empty());
}

TEST_F(MacroInputTest, AChoiceOfTwoTextsHidesButtons3To5AndShrinks) {
  CDvkView* v = Open("first.txt", "x\r\n");
  ASSERT_NE(nullptr, v);
  struct Seen {
    int width = 0, height = 0;
    bool shown[5] = {};
  } five, two;
  auto look = [](Seen* s) {
    return [s](CDialog& d) {
      RECT r;
      ::GetWindowRect(d.m_hWnd, &r);
      s->width = r.right - r.left;
      s->height = r.bottom - r.top;
      const int ids[5] = {IDC_CHOICE_BUTTON1, IDC_CHOICE_BUTTON2, IDC_CHOICE_BUTTON3, IDC_CHOICE_BUTTON4,
                          IDC_CHOICE_BUTTON5};
      for (int k = 0; k < 5; ++k)
        s->shown[k] = (::GetWindowLongA(::GetDlgItem(d.m_hWnd, ids[k]), GWL_STYLE) & WS_VISIBLE) != 0;
      return IDCANCEL;
    };
  };
  fw::hooks::ExpectDialog(IDD_CHOICE, look(&five));
  fw::hooks::ExpectDialog(IDD_CHOICE, look(&two));
  EXPECT_EQ(macro::kRunEnded,
            RunFile(v, "two.rmc", "\tinputnum181\tq|a|b|c|d|e\r\n\tinputnum182\tq|A|B\r\n"));
  EXPECT_EQ("@CANCEL", Var(v, 181));
  for (int k = 0; k < 5; ++k) EXPECT_TRUE(five.shown[k]) << k;
  EXPECT_TRUE(two.shown[0] && two.shown[1]);
  EXPECT_FALSE(two.shown[2] || two.shown[3] || two.shown[4]);
  EXPECT_EQ(five.height - 80, two.height);
  EXPECT_EQ(five.width - 120, two.width);
}

TEST_F(MacroInputTest, InputNopenStaysOpenAndButton2Resumes) {
  CDvkView* v = Open("first.txt", "x\r\n");
  ASSERT_NE(nullptr, v);
  std::string seen = "not run";
  ProbeStatement probe([&seen](macro::MacroState& st) { seen = st.m_strMacroVars[183].GetString(); });
  EXPECT_EQ(macro::kRunPaused, RunFile(v, "nopen.rmc", "\tinputnopen183\tWhich?|one|two\r\n\tsystem_para\t\r\n"));
  CChoiceDlg& dlg = Dialogs(v).Choice();
  ASSERT_TRUE(dlg.IsOpen());
  dlg.SendMessage(WM_COMMAND, IDC_CHOICE_BUTTON2, 0);
  EXPECT_FALSE(dlg.IsOpen());
  EXPECT_EQ("2", Var(v, 183));
  ASSERT_TRUE(testsupport::PumpUntil([&seen] { return seen != "not run"; }, 5000));
  EXPECT_EQ("2", seen);
}

TEST_F(MacroInputTest, InputMenuOkEmptyIsNullAndCancelIsCancel) {
  CDvkView* v = Open("first.txt", "x\r\n");
  ASSERT_NE(nullptr, v);
  fw::hooks::ExpectDialog(IDD_MACRO_INPUT, [](CDialog& d) {
    ::SetDlgItemTextA(d.m_hWnd, IDC_MACRO_INPUT_TEXT, "");
    return IDOK;
  });
  fw::hooks::ExpectDialog(IDD_MACRO_INPUT, [](CDialog&) { return IDCANCEL; });
  EXPECT_EQ(macro::kRunEnded, RunFile(v, "menu.rmc", "\tinputmenu180\tfirst\r\n\tinputmenu181\tsecond\r\n"));
  EXPECT_EQ("@NULL", Var(v, 180));
  EXPECT_EQ("@CANCEL", Var(v, 181));
  EXPECT_TRUE(fw::hooks::Unused().empty());
}

TEST_F(MacroInputTest, PresetAnswerInsideAnInsertedMacroShowsNoDialog) {
  CDvkView* v = Open("first.txt", "x\r\n");
  ASSERT_NE(nullptr, v);
  // The load statement that inserts a macro marks its end; here a probe does.
  ProbeStatement probe([](macro::MacroState& st) {
    st.m_nInsertedMacroEnd = 100000;
    st.m_strMacroVars[100] = "preset";
  });
  const std::size_t before = fw::hooks::MessageBoxTexts().size();
  EXPECT_EQ(macro::kRunEnded, RunFile(v, "preset.rmc", "\tsystem_para\t\r\n\tinputmenu180\tasked\r\n"));
  EXPECT_EQ("preset", Var(v, 180));
  EXPECT_EQ(before, fw::hooks::MessageBoxTexts().size());
}

TEST_F(MacroInputTest, SelectionConditionDialogFromVariables11On) {
  CDvkView* v = Open("first.txt", "x\r\n");
  ASSERT_NE(nullptr, v);
  std::string prompt, word;
  SYSTEMTIME from{};
  fw::hooks::ExpectDialog(IDD_SELECT_COND, [&](CDialog& d) {
    prompt = ItemText(d.m_hWnd, 1052);  // the prompt of edit 1036 (variable 18)
    word = ItemText(d.m_hWnd, 1036);
    ::SendDlgItemMessageA(d.m_hWnd, 1114, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&from));
    SYSTEMTIME to{};
    to.wYear = 2026, to.wMonth = 2, to.wDay = 1;
    ::SendDlgItemMessageA(d.m_hWnd, 1115, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&to));
    ::SetDlgItemTextA(d.m_hWnd, 1036, "answer");
    ::SendDlgItemMessageA(d.m_hWnd, 1117, BM_SETCHECK, BST_CHECKED, 0);
    return IDOK;
  });
  ProbeStatement probe([](macro::MacroState& st) {
    st.m_strMacroVars[12] = "From|20250704";
    st.m_strMacroVars[13] = "To|20250705";
    st.m_strMacroVars[18] = "Word|start";
  });
  EXPECT_EQ(macro::kRunEnded, RunFile(v, "cond.rmc", "\tsystem_para\t\r\n\tinputa180\tConditions\r\n"));
  EXPECT_EQ("Word", prompt);
  EXPECT_EQ("start", word);
  EXPECT_EQ(2025, from.wYear);
  EXPECT_EQ(7, from.wMonth);
  EXPECT_EQ(4, from.wDay);
  EXPECT_EQ("20250704", Var(v, 12));
  EXPECT_EQ("20260201", Var(v, 13));
  EXPECT_EQ("answer", Var(v, 18));
  EXPECT_EQ("1", Var(v, 20));
  EXPECT_TRUE(fw::hooks::Unused().empty());
}

TEST_F(MacroInputTest, ImeSwitchWithoutContextLeavesZero) {
  CDvkView* v = Open("first.txt", "x\r\n");
  ASSERT_NE(nullptr, v);
  v->Macro().m_strMacroVars[128] = "1";
  EXPECT_EQ(macro::kRunEnded, RunFile(v, "ime.rmc", "\timmon\t\r\n"));
  EXPECT_EQ("0", Var(v, 128));
}

}  // namespace
