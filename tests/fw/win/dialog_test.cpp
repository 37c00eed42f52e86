// Dialogs from a resource, answered by the test hook: data exchange both
// ways, validation that keeps the dialog open, cancel, and modeless dialogs.
#include <gtest/gtest.h>

#include <string>

#include "fw/controls.h"
#include "fw/dialog.h"
#include "fw/uihooks.h"
#include "res/test/testres.h"
#include "support/ui_test.h"

namespace {

class TestDialog : public CDialog {
 public:
  TestDialog() : CDialog(IDD_FW_TEST) {}

  CString name = "初期値";
  int number = 5;
  int enabled = 1;
  int radio = 0;
  CString combo;
  CString listText;
  int listIndex = -1;
  CComboBox comboCtrl;
  CListBox listCtrl;
  int initCalls = 0;

  BOOL OnInitDialog() override {
    ++initCalls;
    // Controls are bound and filled before the members are shown.
    UpdateControls();
    return CDialog::OnInitDialog();
  }
  void DoDataExchange(CDataExchange* dx) override {
    DDX_Control(dx, IDC_FW_TEST_COMBO, comboCtrl);
    DDX_Control(dx, IDC_FW_TEST_LIST, listCtrl);
    DDX_Text(dx, IDC_FW_TEST_EDIT, name);
    DDV_MaxChars(dx, name, 10);
    DDX_Text(dx, IDC_FW_TEST_NUMBER, number);
    DDV_MinMaxInt(dx, number, 1, 99);
    DDX_Check(dx, IDC_FW_TEST_CHECK, enabled);
    DDX_Radio(dx, IDC_FW_TEST_RADIO1, radio);
    DDX_CBString(dx, IDC_FW_TEST_COMBO, combo);
    DDX_LBString(dx, IDC_FW_TEST_LIST, listText);
    DDX_LBIndex(dx, IDC_FW_TEST_LIST, listIndex);
  }

 private:
  void UpdateControls() {
    HWND c = ::GetDlgItem(m_hWnd, IDC_FW_TEST_COMBO), l = ::GetDlgItem(m_hWnd, IDC_FW_TEST_LIST);
    for (const char* s : {"甲", "乙", "丙"}) {
      ::SendMessageA(c, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
      ::SendMessageA(l, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
    }
  }
};

std::string Text(CDialog& d, int id) {
  CString s;
  d.GetDlgItemText(id, s);
  return std::string(s);
}

class Dialogs : public testsupport::UiTest {};

TEST_F(Dialogs, HookFillsTheDialogAndValuesComeBackThroughDataExchange) {
  TestDialog dlg;
  int calls = 0;
  fw::hooks::ExpectDialog(IDD_FW_TEST, [&](CDialog& d) {
    ++calls;
    // The members were shown when the dialog opened; it is hidden.
    EXPECT_EQ("初期値", Text(d, IDC_FW_TEST_EDIT));
    EXPECT_EQ("5", Text(d, IDC_FW_TEST_NUMBER));
    EXPECT_EQ(BST_CHECKED, d.IsDlgButtonChecked(IDC_FW_TEST_CHECK));
    EXPECT_EQ(BST_CHECKED, d.IsDlgButtonChecked(IDC_FW_TEST_RADIO1));
    EXPECT_FALSE(d.IsWindowVisible());
    d.SetDlgItemText(IDC_FW_TEST_EDIT, "山田太郎");
    d.SetDlgItemText(IDC_FW_TEST_NUMBER, " 42 ");
    d.CheckDlgButton(IDC_FW_TEST_CHECK, BST_UNCHECKED);
    d.CheckRadioButton(IDC_FW_TEST_RADIO1, IDC_FW_TEST_RADIO2, IDC_FW_TEST_RADIO2);
    d.SetDlgItemText(IDC_FW_TEST_COMBO, "自由入力");
    d.SendDlgItemMessage(IDC_FW_TEST_LIST, LB_SETCURSEL, 2);
    return IDOK;
  });
  EXPECT_EQ(IDOK, dlg.DoModal());
  EXPECT_EQ(1, calls);
  EXPECT_EQ(1, dlg.initCalls);
  EXPECT_EQ("山田太郎", std::string(dlg.name));
  EXPECT_EQ(42, dlg.number);
  EXPECT_EQ(0, dlg.enabled);
  EXPECT_EQ(1, dlg.radio);
  EXPECT_EQ("自由入力", std::string(dlg.combo));
  EXPECT_EQ("丙", std::string(dlg.listText));
  EXPECT_EQ(2, dlg.listIndex);
  EXPECT_EQ(nullptr, dlg.m_hWnd);
  EXPECT_TRUE(fw::hooks::MessageBoxTexts().empty());
}

TEST_F(Dialogs, FailingMinMaxKeepsTheDialogOpenUntilAValidAnswer) {
  TestDialog dlg;
  int calls = 0;
  fw::hooks::ExpectMessageBox("1 から 99 までの整数", IDOK);
  fw::hooks::ExpectDialog(IDD_FW_TEST, [&](CDialog& d) {
    ++calls;
    if (calls == 1) {
      d.SetDlgItemText(IDC_FW_TEST_NUMBER, "500");
    } else {
      // Still the same dialog, with the refused text still in it.
      EXPECT_EQ("500", Text(d, IDC_FW_TEST_NUMBER));
      EXPECT_FALSE(static_cast<TestDialog&>(d).IsEnded());
      d.SetDlgItemText(IDC_FW_TEST_NUMBER, "99");
    }
    return IDOK;
  });
  EXPECT_EQ(IDOK, dlg.DoModal());
  EXPECT_EQ(2, calls);
  EXPECT_EQ(99, dlg.number);
  ASSERT_EQ(1u, fw::hooks::MessageBoxTexts().size());
}

TEST_F(Dialogs, NonNumbersAndLongTextsAreRefused) {
  TestDialog dlg;
  int calls = 0;
  fw::hooks::ExpectMessageBox("整数を入力", IDOK);
  fw::hooks::ExpectMessageBox("10 文字以内", IDOK);
  fw::hooks::ExpectDialog(IDD_FW_TEST, [&](CDialog& d) {
    ++calls;
    if (calls == 1) d.SetDlgItemText(IDC_FW_TEST_NUMBER, "12abc");
    if (calls == 2) {
      d.SetDlgItemText(IDC_FW_TEST_NUMBER, "12");
      d.SetDlgItemText(IDC_FW_TEST_EDIT, "とても長い名前です");  // 18 bytes
    }
    if (calls == 3) d.SetDlgItemText(IDC_FW_TEST_EDIT, "短い");
    return IDOK;
  });
  EXPECT_EQ(IDOK, dlg.DoModal());
  EXPECT_EQ(3, calls);
  EXPECT_EQ("短い", std::string(dlg.name));
  EXPECT_EQ(12, dlg.number);
}

TEST_F(Dialogs, ThreeRefusedAnswersCancelAndAreReported) {
  TestDialog dlg;
  for (int i = 0; i < 3; ++i) fw::hooks::ExpectMessageBox("までの整数", IDOK);
  fw::hooks::ExpectDialog(IDD_FW_TEST, [&](CDialog& d) {
    d.SetDlgItemText(IDC_FW_TEST_NUMBER, "0");
    return IDOK;
  });
  EXPECT_EQ(IDCANCEL, dlg.DoModal());
  // A refused exchange has stored what it read up to the failing check.
  EXPECT_EQ(0, dlg.number);
  auto unexpected = fw::hooks::Unexpected();
  ASSERT_EQ(1u, unexpected.size());
  EXPECT_NE(std::string::npos, unexpected[0].find(std::to_string(IDD_FW_TEST)));
  fw::hooks::Reset();
}

TEST_F(Dialogs, CancelLeavesTheMembersAlone) {
  TestDialog dlg;
  fw::hooks::ExpectDialog(IDD_FW_TEST, [&](CDialog& d) {
    d.SetDlgItemText(IDC_FW_TEST_EDIT, "捨てる");
    return IDCANCEL;
  });
  EXPECT_EQ(IDCANCEL, dlg.DoModal());
  EXPECT_EQ("初期値", std::string(dlg.name));
}

TEST_F(Dialogs, UnexpectedModalDialogIsCancelledInTestMode) {
  TestDialog dlg;
  EXPECT_EQ(IDCANCEL, dlg.DoModal());
  EXPECT_EQ(nullptr, dlg.m_hWnd);
  ASSERT_EQ(1u, fw::hooks::Unexpected().size());
  fw::hooks::Reset();
}

TEST_F(Dialogs, ModelessDialogExchangesDataOnRequest) {
  TestDialog dlg;
  ASSERT_TRUE(dlg.Create(IDD_FW_TEST));
  EXPECT_EQ(1, dlg.initCalls);
  EXPECT_EQ(&dlg, CWnd::FromHandlePermanent(dlg.m_hWnd));
  EXPECT_EQ("初期値", Text(dlg, IDC_FW_TEST_EDIT));
  EXPECT_EQ(3, dlg.comboCtrl.GetCount());
  EXPECT_EQ(3, dlg.listCtrl.GetCount());
  dlg.comboCtrl.SetCurSel(1);
  dlg.SetDlgItemText(IDC_FW_TEST_NUMBER, "7");
  ASSERT_TRUE(dlg.UpdateData(TRUE));
  EXPECT_EQ(7, dlg.number);
  EXPECT_EQ("乙", std::string(dlg.combo));
  dlg.number = 33;
  dlg.combo = "丙";
  dlg.listIndex = 1;
  ASSERT_TRUE(dlg.UpdateData(FALSE));
  EXPECT_EQ("33", Text(dlg, IDC_FW_TEST_NUMBER));
  EXPECT_EQ(2, dlg.comboCtrl.GetCurSel());
  EXPECT_EQ(1, dlg.listCtrl.GetCurSel());
  // Out of the member's range is no number for it.
  fw::hooks::ExpectMessageBox("整数を入力", IDOK);
  dlg.SetDlgItemText(IDC_FW_TEST_NUMBER, "3000000000");
  EXPECT_FALSE(dlg.UpdateData(TRUE));
  EXPECT_EQ(33, dlg.number);
  dlg.SetDlgItemText(IDC_FW_TEST_NUMBER, "-4");
  fw::hooks::ExpectMessageBox("1 から 99", IDOK);
  EXPECT_FALSE(dlg.UpdateData(TRUE));
  dlg.SetDlgItemText(IDC_FW_TEST_NUMBER, "8");
  // The IDOK command runs OnOK like a click on the button.
  dlg.SendMessage(WM_COMMAND, IDOK);
  EXPECT_TRUE(dlg.IsEnded());
  EXPECT_EQ(IDOK, dlg.GetModalResult());
  dlg.DestroyWindow();
  EXPECT_EQ(nullptr, dlg.m_hWnd);
}

}  // namespace
