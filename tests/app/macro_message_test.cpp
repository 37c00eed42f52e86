// The message statements in the running program, from real macro files:
// boxes answered through the message-box hook, msgif's skipped block, the
// OK/Cancel form, the check list, the processing dialog moved by msgwrite
// and cancelled by its button, msghold's layout, and the window statement.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/dvkdoc.h"
#include "app/mainfrm.h"
#include "fw/uihooks.h"
#include "macro/macro_run.h"
#include "macro/macro_state.h"
#include "macro_shell_fixture.h"
#include "macroui/macro_dialogs.h"
#include "macroui/progress_dlg.h"
#include "res/resource.h"
#include "support/file_bytes.h"
#include "support/pump.h"
#include "view/dvkview.h"

namespace {

class MacroMessageTest : public shelltest::MacroShellTest {
 protected:
  int RunFile(CDvkView* v, const std::string& text) {
    const std::string path = File("m.rmc");
    testsupport::WriteFileBytes(path, text);
    return v->RunMacro(macro::kRunFile, path.c_str(), "", "");
  }
  static std::string Var(CDvkView* v, int slot) { return v->Macro().m_strMacroVars[slot].GetString(); }
  static bool Shown(const std::string& text) {
    const std::vector<std::string> all = fw::hooks::MessageBoxTexts();
    return std::find(all.begin(), all.end(), text) != all.end();
  }
};

const char kTable[] = "名前,値\r\n\"0\",a\r\n\"1\",b\r\n\"0\",c\r\n\"1\",d\r\n";

TEST_F(MacroMessageTest, MessageQuestionOkCancelAndCheck) {
  CDvkView* v = OpenTable(kTable);
  ASSERT_NE(nullptr, v);
  const std::string before = v->m_table.FileText(csv::CommaFormKind::kComma);
  fw::hooks::ExpectMessageBox("こんにちは", IDOK);
  fw::hooks::ExpectMessageBox("続けますか", IDNO);
  fw::hooks::ExpectMessageBox("よろしいですか", IDCANCEL);
  RunFile(v,
          "\tdefine\ta\r\n"
          "\tmsg\tこんにちは\\n二行目\r\n"
          "\tmsgif\t続けますか\r\n"
          "\t  [a]++\r\n"
          "\t  &2#UP\r\n"
          "\t&Me\tよろしいですか\r\n"
          "\tcheck\r\n");
  EXPECT_TRUE(fw::hooks::Unused().empty());
  EXPECT_TRUE(Shown("こんにちは\r\n二行目"));
  EXPECT_EQ("", Var(v, 180));
  EXPECT_EQ(before, v->m_table.FileText(csv::CommaFormKind::kComma));
  EXPECT_EQ("EROR", Var(v, 146));
  ASSERT_GE(v->m_nEntryListPos, 2u);
  EXPECT_EQ(3u, v->Entry(0));
  EXPECT_EQ(5u, v->Entry(1));
  EXPECT_EQ(1u, v->m_nEntryListMode);
}

TEST_F(MacroMessageTest, ProcessingDialogMovesAndItsCancelEndsTheLoop) {
  CDvkView* v = OpenTable(kTable);
  ASSERT_NE(nullptr, v);
  std::vector<int> positions;
  auto tick = [&]() {
    CProgressDlg& dlg = v->MacroDialogs().Progress();
    positions.push_back(dlg.m_hWnd ? static_cast<int>(dlg.SendDlgItemMessage(IDC_PROGRESS_BAR, PBM_GETPOS)) : -1);
    return IDOK;
  };
  fw::hooks::ExpectMessageBox("tick", tick);
  fw::hooks::ExpectMessageBox("tick", [&]() {
    tick();
    CProgressDlg& dlg = v->MacroDialogs().Progress();
    EXPECT_TRUE(dlg.IsWindowVisible());
    ::SendMessageA(::GetDlgItem(dlg.m_hWnd, IDCANCEL), BM_CLICK, 0, 0);
    return IDOK;
  });
  RunFile(v,
          "\tdefine\tans,pos\r\n"
          "\tmsgopen180,181:作業中:二行目@了解;中止\t処理しています\r\n"
          "\tdo\r\n"
          "\t  [pos]++\r\n"
          "\t  msgwrite180,181\r\n"
          "\t  if:[ans]==\r\n"
          "\t    msg\ttick\r\n"
          "\t  else\r\n"
          "\t    outloop\r\n"
          "\tuntil:[pos]==10\r\n");
  EXPECT_TRUE(fw::hooks::Unused().empty());
  EXPECT_EQ((std::vector<int>{1, 2}), positions);
  if (positions.size() != 2) {
    for (const std::string& t : fw::hooks::MessageBoxTexts()) ADD_FAILURE() << "box: " << t;
    ADD_FAILURE() << "status: " << Pane0();
  }
  EXPECT_EQ("@CANCEL", Var(v, 180));
  EXPECT_EQ("3", Var(v, 181));
  EXPECT_EQ(nullptr, v->MacroDialogs().Progress().m_hWnd);
  // The timer the button armed finds nothing paused: no second run.
  const std::size_t boxes = fw::hooks::MessageBoxTexts().size();
  testsupport::PumpFor(100);
  EXPECT_EQ(boxes, fw::hooks::MessageBoxTexts().size());
  EXPECT_EQ("3", Var(v, 181));
}

TEST_F(MacroMessageTest, HoldLaysTheDialogOutAsAQuestion) {
  CDvkView* v = OpenTable(kTable);
  ASSERT_NE(nullptr, v);
  RunFile(v, "\tmsghold:質問@はい;いいえ\t保存しますか\r\n");
  CProgressDlg& dlg = v->MacroDialogs().Progress();
  ASSERT_NE(nullptr, dlg.m_hWnd);
  auto rect = [&dlg](int id) {
    RECT r = {};
    HWND c = ::GetDlgItem(dlg.m_hWnd, id);
    ::GetWindowRect(c, &r);
    ::MapWindowPoints(nullptr, dlg.m_hWnd, reinterpret_cast<POINT*>(&r), 2);
    return std::vector<long>{r.left, r.top, r.right - r.left, r.bottom - r.top};
  };
  EXPECT_EQ((std::vector<long>{10, 10, 265, 50}), rect(IDC_PROGRESS_MESSAGE));
  EXPECT_EQ((std::vector<long>{115, 65, 70, 23}), rect(IDOK));
  EXPECT_EQ((std::vector<long>{195, 65, 70, 23}), rect(IDCANCEL));
  EXPECT_EQ((std::vector<long>{10, 200, 265, 20}), rect(IDC_PROGRESS_SECOND));
  EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(dlg.m_hWnd, IDC_PROGRESS_BAR)));
  CString text;
  dlg.GetDlgItemText(IDC_PROGRESS_MESSAGE, text);
  EXPECT_EQ("保存しますか", std::string(text.GetString()));
  CString ok;
  dlg.GetDlgItemText(IDOK, ok);
  EXPECT_EQ("はい", std::string(ok.GetString()));
  EXPECT_EQ("はい", std::string(dlg.m_strOkCaption.GetString()));
  v->MacroDialogs().CloseProgress();
}

TEST_F(MacroMessageTest, WindowStatementFiveOnTheDesktop) {
  CDvkView* v = OpenTable(kTable);
  ASSERT_NE(nullptr, v);
  RECT desk = {};
  ::GetWindowRect(::GetDesktopWindow(), &desk);
  RunFile(v, "\twindows5\r\n");
  RECT r = {};
  ::GetWindowRect(frame->m_hWnd, &r);
  EXPECT_EQ(20, r.left);
  EXPECT_EQ(20, r.top);
  EXPECT_EQ(desk.right / 2, r.right - r.left);
  EXPECT_EQ(desk.bottom / 2, r.bottom - r.top);
  if (desk.right == 1024 && desk.bottom == 768) EXPECT_EQ(512, r.right - r.left);
  EXPECT_EQ(2, doc->m_nLayoutMode);
  // The layout word 9 was applied: it became the split mode.
  EXPECT_EQ(9, frame->m_nTextSplitMode);
  EXPECT_EQ(0, frame->m_nTextLayoutWord);
}

}  // namespace
