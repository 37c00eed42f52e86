// Control wrappers on real controls in a hidden parent window.
#include <gtest/gtest.h>

#include <string>

#include "fw/controls.h"

namespace {

class Controls : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "controls", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr));
  }
  void TearDown() override { parent.DestroyWindow(); }
  RECT r = {0, 0, 200, 100};
  CWnd parent;
};

TEST_F(Controls, EditButtonAndStatic) {
  CEdit edit;
  ASSERT_TRUE(edit.Create(ES_MULTILINE, r, &parent, 100));
  edit.SetWindowText("line one\r\nline two");
  EXPECT_EQ(2, edit.GetLineCount());
  EXPECT_EQ(10, edit.LineIndex(1));
  edit.SetSel(0, 8);
  int a, b;
  edit.GetSel(a, b);
  EXPECT_EQ(0, a);
  EXPECT_EQ(8, b);
  edit.ReplaceSel("一");
  CString t;
  edit.GetWindowText(t);
  EXPECT_EQ("一\r\nline two", std::string(t));
  edit.SetLimitText(20);
  EXPECT_EQ(20u, edit.GetLimitText());
  EXPECT_EQ(&edit, parent.GetDlgItem(100));

  CButton check;
  ASSERT_TRUE(check.Create("確認", BS_AUTOCHECKBOX, r, &parent, 101));
  check.SetCheck(BST_CHECKED);
  EXPECT_EQ(BST_CHECKED, check.GetCheck());
  EXPECT_EQ(static_cast<UINT>(BST_CHECKED), parent.IsDlgButtonChecked(101));

  CStatic label;
  ASSERT_TRUE(label.Create("ラベル", SS_LEFT, r, &parent));
  label.GetWindowText(t);
  EXPECT_EQ("ラベル", std::string(t));
}

TEST_F(Controls, ListAndComboBoxes) {
  CListBox list;
  ASSERT_TRUE(list.Create(LBS_NOTIFY, r, &parent, 102));
  list.AddString("甲");
  list.AddString("乙");
  list.InsertString(0, "始");
  EXPECT_EQ(3, list.GetCount());
  EXPECT_EQ(2, list.FindStringExact(-1, "乙"));
  list.SetCurSel(1);
  CString t;
  list.GetText(list.GetCurSel(), t);
  EXPECT_EQ("甲", std::string(t));
  list.SetItemData(1, 77);
  EXPECT_EQ(77u, list.GetItemData(1));
  list.DeleteString(0);
  EXPECT_EQ(2, list.GetCount());

  CComboBox combo;
  ASSERT_TRUE(combo.Create(CBS_DROPDOWNLIST, RECT{0, 0, 200, 200}, &parent, 103));
  combo.AddString("一");
  combo.AddString("二");
  EXPECT_EQ(1, combo.SelectString(-1, "二"));
  combo.GetLBText(combo.GetCurSel(), t);
  EXPECT_EQ("二", std::string(t));
  combo.ResetContent();
  EXPECT_EQ(0, combo.GetCount());
}

// Both boxes share one implementation over their own message ids: each
// shared request on each box, so a wrong id in either table shows.
TEST_F(Controls, ListAndComboBoxesAnswerEverySharedRequest) {
  CListBox list;
  ASSERT_TRUE(list.Create(LBS_NOTIFY, r, &parent, 110));
  CComboBox combo;
  ASSERT_TRUE(combo.Create(CBS_DROPDOWNLIST, RECT{0, 0, 200, 200}, &parent, 111));
  auto check = [](auto& box, auto text, auto textLen) {
    EXPECT_EQ(0, box.AddString("東京駅"));
    EXPECT_EQ(1, box.AddString("東京"));
    EXPECT_EQ(0, box.InsertString(0, "大阪"));
    EXPECT_EQ(3, box.GetCount());
    EXPECT_EQ(1, box.FindString(-1, "東京"));       // prefix: 東京駅 comes first
    EXPECT_EQ(2, box.FindStringExact(-1, "東京"));  // whole text only
    EXPECT_EQ(1, box.SelectString(-1, "東京"));
    EXPECT_EQ(1, box.GetCurSel());
    box.SetCurSel(0);
    EXPECT_EQ(0, box.GetCurSel());
    box.SetItemData(2, 4242);
    EXPECT_EQ(4242u, box.GetItemData(2));
    CString t;
    EXPECT_EQ(6, text(box, 1, t));
    EXPECT_EQ("東京駅", std::string(t));
    EXPECT_EQ(6, textLen(box, 1));
    EXPECT_EQ(4, textLen(box, 2));
    EXPECT_GT(0, text(box, 9, t));  // no such item: an error, empty text
    EXPECT_TRUE(t.IsEmpty());
    EXPECT_EQ(2, box.DeleteString(0));
    box.ResetContent();
    EXPECT_EQ(0, box.GetCount());
  };
  check(list, [](CListBox& b, int i, CString& t) { return b.GetText(i, t); },
        [](CListBox& b, int i) { return b.GetTextLen(i); });
  check(combo, [](CComboBox& b, int i, CString& t) { return b.GetLBText(i, t); },
        [](CComboBox& b, int i) { return b.GetLBTextLen(i); });
}

TEST_F(Controls, CommonControls) {
  CProgressCtrl progress;
  ASSERT_TRUE(progress.Create(0, r, &parent, 104));
  progress.SetRange32(0, 1000);
  progress.SetPos(250);
  EXPECT_EQ(250, progress.GetPos());
  int lo, hi;
  progress.GetRange(lo, hi);
  EXPECT_EQ(1000, hi);

  CSliderCtrl slider;
  ASSERT_TRUE(slider.Create(0, r, &parent, 105));
  slider.SetRange(10, 20);
  slider.SetPos(15);
  EXPECT_EQ(15, slider.GetPos());
  EXPECT_EQ(20, slider.GetRangeMax());

  CSpinButtonCtrl spin;
  ASSERT_TRUE(spin.Create(0, r, &parent, 106));
  spin.SetRange(-5, 100000);
  spin.SetPos(70000);
  EXPECT_EQ(70000, spin.GetPos());

  CTabCtrl tabs;
  ASSERT_TRUE(tabs.Create(0, r, &parent, 107));
  tabs.InsertItem(0, "基本");
  tabs.InsertItem(1, "詳細");
  tabs.SetCurSel(1);
  EXPECT_EQ(2, tabs.GetItemCount());
  EXPECT_EQ(1, tabs.GetCurSel());
  EXPECT_EQ("詳細", std::string(tabs.GetItemText(1)));

  CDateTimeCtrl date;
  ASSERT_TRUE(date.Create(0, r, &parent, 108));
  SYSTEMTIME st = {};
  st.wYear = 2024;
  st.wMonth = 2;
  st.wDay = 29;
  ASSERT_TRUE(date.SetTime(&st));
  SYSTEMTIME got = {};
  EXPECT_EQ(static_cast<DWORD>(GDT_VALID), date.GetTime(&got));
  EXPECT_EQ(2024, got.wYear);
  EXPECT_EQ(29, got.wDay);

  CMonthCalCtrl cal;
  ASSERT_TRUE(cal.Create(0, RECT{0, 0, 300, 200}, &parent, 109));
  ASSERT_TRUE(cal.SetCurSel(&st));
  SYSTEMTIME sel = {};
  ASSERT_TRUE(cal.GetCurSel(&sel));
  EXPECT_EQ(2, sel.wMonth);
  EXPECT_EQ(29, sel.wDay);
}

TEST_F(Controls, DateRangesReachTheControls) {
  SYSTEMTIME lo = {}, hi = {};
  lo.wYear = 2020, lo.wMonth = 1, lo.wDay = 1;
  hi.wYear = 2030, hi.wMonth = 12, hi.wDay = 31;
  SYSTEMTIME got[2] = {};

  CDateTimeCtrl date;
  ASSERT_TRUE(date.Create(0, r, &parent, 112));
  ASSERT_TRUE(date.SetRange(&lo, nullptr));  // open at the top
  EXPECT_EQ(static_cast<LRESULT>(GDTR_MIN), date.SendMessage(DTM_GETRANGE, 0, reinterpret_cast<LPARAM>(got)));
  EXPECT_EQ(2020, got[0].wYear);

  CMonthCalCtrl cal;
  ASSERT_TRUE(cal.Create(0, RECT{0, 0, 300, 200}, &parent, 113));
  ASSERT_TRUE(cal.SetRange(&lo, &hi));
  EXPECT_EQ(static_cast<LRESULT>(GDTR_MIN | GDTR_MAX),
            cal.SendMessage(MCM_GETRANGE, 0, reinterpret_cast<LPARAM>(got)));
  EXPECT_EQ(2020, got[0].wYear);
  EXPECT_EQ(2030, got[1].wYear);
}

}  // namespace
