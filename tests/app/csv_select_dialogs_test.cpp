// The CSV selection dialogs under the UI hooks: the narrowing selection
// (1149) opened by command 33097 over an open table, and the macro's
// selection-condition dialogs 187 and 188 on their own.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fw/uihooks.h"
#include "res/resource.h"
#include "dialog_items.h"
#include "shell_fixture.h"
#include "support/file_bytes.h"
#include "support/pump.h"
#include "view/dvkview.h"
#include "view/macro_view_host.h"
#include "view/narrow_select_dlg.h"
#include "view/select_cond_dlg.h"

namespace {

using dlgtest::Click;
using dlgtest::ItemText;

std::vector<std::string> ListLines(CDialog& d) { return dlgtest::ListLines(d, IDC_NARROW_LIST); }

void DoubleClick(CDialog& d, int line) { dlgtest::PickListLine(d, IDC_NARROW_LIST, line, LBN_DBLCLK); }


int CurSel(CDialog& d) { return static_cast<int>(::SendDlgItemMessageA(d.m_hWnd, IDC_NARROW_LIST, LB_GETCURSEL, 0, 0)); }

// 店,地域: 12 Tokyo, 7 Osaka, 3 empty, in that order of first appearance.
std::string ShopTable() {
  std::string t = "店,地域,額\r\n";
  for (int i = 0; i < 12; ++i) t += "s" + std::to_string(i) + ",東京,1\r\n";
  for (int i = 0; i < 7; ++i) t += "o" + std::to_string(i) + ",大阪,2\r\n";
  for (int i = 0; i < 3; ++i) t += "n" + std::to_string(i) + ",,3\r\n";
  return t;
}

class NarrowSelectTest : public shelltest::ShellFileTest {
 protected:
  // Opens `text`, puts the caret on (row, column) and returns the view.
  CDvkView* OpenAt(const std::string& text, int row, int column) {
    CDvkView* v = Open("shop.csv", text);
    if (!v) return nullptr;
    frame->ActivateTextPane(0, 0);
    v->SelectCell(nullptr, row, column, 3);
    return v;
  }
  std::string TableBytes(CDvkView* v) {
    return std::string(reinterpret_cast<const char*>(v->m_table.m_pTextBuf), v->m_table.UsedLength());
  }
};

TEST_F(NarrowSelectTest, ListsTogglesSortsAndReturnsTheCondition) {
  CDvkView* v = OpenAt(ShopTable(), 1, 1);
  ASSERT_NE(nullptr, v);
  v->m_strLastSelectCond = "|前回";
  const std::string before = TableBytes(v);
  fw::hooks::ExpectDialog(IDD_NARROW_SELECT, [](CDialog& d) -> int {
    EXPECT_EQ((std::vector<std::string>{"      12 \t 東京", "       7 \t 大阪", "       3 \t NULL"}), ListLines(d));
    EXPECT_EQ("3", ItemText(d, IDC_NARROW_COUNT));
    EXPECT_EQ("100", ItemText(d, IDC_NARROW_WIDTH));
    EXPECT_EQ("東京", ItemText(d, IDC_NARROW_COND));  // the caret's cell
    EXPECT_EQ(0u, ItemText(d, IDC_NARROW_HELP).find("絞込み選択\r\n    A：部分一致")) << ItemText(d, IDC_NARROW_HELP);
    EXPECT_EQ("|前回", ItemText(d, IDC_NARROW_LAST));
    DoubleClick(d, 0);
    EXPECT_EQ("|東京", ItemText(d, IDC_NARROW_COND));
    EXPECT_EQ("      12*\t 東京", ListLines(d)[0]);
    DoubleClick(d, 2);
    EXPECT_EQ("|東京 || NULL", ItemText(d, IDC_NARROW_COND));
    DoubleClick(d, 2);
    EXPECT_EQ("|東京", ItemText(d, IDC_NARROW_COND));
    // "N" in the list toggles the selected line and moves to the next.
    HWND list = ::GetDlgItem(d.m_hWnd, IDC_NARROW_LIST);
    ::SendMessageA(list, LB_SETCURSEL, 1, 0);
    const LRESULT r = d.SendMessage(WM_VKEYTOITEM, MAKEWPARAM('N', 1), reinterpret_cast<LPARAM>(list));
    EXPECT_EQ(-1, r);
    EXPECT_EQ("|東京 || |大阪", ItemText(d, IDC_NARROW_COND));
    EXPECT_EQ(2, CurSel(d));
    // By count, chosen first at equal counts; then ">" from 100 gives 6.
    Click(d, IDC_NARROW_SORT_COUNT);
    EXPECT_EQ("      12*\t 東京", ListLines(d)[0]);
    Click(d, IDC_NARROW_SORT_UP);
    EXPECT_EQ("       3 \t NULL", ListLines(d)[0]);
    Click(d, IDC_NARROW_WIDER);
    EXPECT_EQ("6", ItemText(d, IDC_NARROW_WIDTH));
    EXPECT_EQ("       3 \t NULL", ListLines(d)[0]);  // the sort applied again
    Click(d, IDC_NARROW_NARROWER);
    EXPECT_EQ("5", ItemText(d, IDC_NARROW_WIDTH));
    // REM and CLR.
    Click(d, IDC_NARROW_REMEMBER);
    EXPECT_EQ("|前回", ItemText(d, IDC_NARROW_COND));
    Click(d, IDC_NARROW_CLEAR);
    EXPECT_EQ("", ItemText(d, IDC_NARROW_COND));
    for (const std::string& line : ListLines(d)) EXPECT_EQ(' ', line[8]);
    DoubleClick(d, 1);  // sorted up: NULL, 大阪, 東京
    EXPECT_EQ("|大阪", ItemText(d, IDC_NARROW_COND));
    return IDOK;
  });
  frame->SendMessage(WM_COMMAND, ID_CSV_NARROW_SELECT, 0);
  EXPECT_EQ("|大阪", v->m_strLastSelectCond.Str());
  EXPECT_EQ(1u, v->m_nCurColumn);
  // The accepted condition narrows the table to the title row and the 7
  // rows of 大阪 (the title row stays whatever it holds).
  EXPECT_NE(before, TableBytes(v));
  EXPECT_EQ(7, v->m_table.m_nLastRow);
}

TEST_F(NarrowSelectTest, TwiceRestoresAndCancelKeepsTheCallersText) {
  CDvkView* v = OpenAt(ShopTable(), 20, 1);  // an empty cell: no initial text
  ASSERT_NE(nullptr, v);
  v->m_strLastSelectCond = "keep";
  fw::hooks::ExpectDialog(IDD_NARROW_SELECT, [](CDialog& d) -> int {
    EXPECT_EQ("", ItemText(d, IDC_NARROW_COND));
    DoubleClick(d, 0);
    EXPECT_EQ("|東京", ItemText(d, IDC_NARROW_COND));
    DoubleClick(d, 0);
    EXPECT_EQ("", ItemText(d, IDC_NARROW_COND));
    DoubleClick(d, 1);
    return IDCANCEL;
  });
  frame->SendMessage(WM_COMMAND, ID_CSV_NARROW_SELECT, 0);
  EXPECT_EQ("keep", v->m_strLastSelectCond.Str());
  // Cancel leaves the caller's text.
  CString cond("caller");
  fw::hooks::ExpectDialog(IDD_NARROW_SELECT, [](CDialog& d) -> int {
    EXPECT_EQ("caller", ItemText(d, IDC_NARROW_COND));
    DoubleClick(d, 1);
    return IDCANCEL;
  });
  EXPECT_EQ(IDCANCEL, v->RunNarrowSelectDialog(ID_CSV_NARROW_SELECT, cond));
  EXPECT_EQ("caller", cond.Str());
  // OK gives the dialog's m_strCond back through the caller's text.
  fw::hooks::ExpectDialog(IDD_NARROW_SELECT, [](CDialog& d) -> int {
    DoubleClick(d, 1);
    return IDOK;
  });
  EXPECT_EQ(IDOK, v->RunNarrowSelectDialog(ID_CSV_NARROW_SELECT, cond));
  EXPECT_EQ("|大阪", cond.Str());  // the initial text is replaced
}

TEST_F(NarrowSelectTest, FortyJoinersWarnAndMultiLineCellsStayOneValue) {
  std::string t = "k,v\r\n\"x\r\ny\",1\r\n\"x\ry\",2\r\nx,3\r\n";
  for (int i = 0; i < 45; ++i) t += "val" + std::to_string(i) + ",4\r\n";
  CDvkView* v = OpenAt(t, 1, 0);
  ASSERT_NE(nullptr, v);
  fw::hooks::ExpectMessageBox("Over max 40 of && or ||", IDOK);
  fw::hooks::ExpectDialog(IDD_NARROW_SELECT, [](CDialog& d) -> int {
    const auto lines = ListLines(d);
    EXPECT_EQ(46u, lines.size());
    if (lines.size() != 46u) return IDCANCEL;
    EXPECT_EQ("       3 \t x", lines[0]);  // three cells begin with x
    for (const auto& line : lines) {
      for (std::size_t i = 9; i < line.size(); ++i) EXPECT_TRUE(line[i] == '\t' || static_cast<unsigned char>(line[i]) >= 0x20);
    }
    for (int i = 0; i < 41; ++i) DoubleClick(d, i + 1);
    return IDCANCEL;
  });
  frame->SendMessage(WM_COMMAND, ID_CSV_NARROW_SELECT, 0);
  EXPECT_EQ(1u, fw::hooks::MessageBoxTexts().size());
}

// --- 187 and 188 ---------------------------------------------------------------

class SelectCondTest : public testsupport::UiTest {};

std::vector<int> VisibleChildren(CDialog& d) {
  std::vector<int> ids;
  for (HWND c = ::GetWindow(d.m_hWnd, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
    if (::GetWindowLongA(c, GWL_STYLE) & WS_VISIBLE) ids.push_back(::GetDlgCtrlID(c));
  }
  return ids;
}

void Choose(CDialog& d, int id, int index) {
  HWND c = ::GetDlgItem(d.m_hWnd, id);
  ::SendMessageA(c, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  d.SendMessage(WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(c));
}

std::vector<std::string> ComboItems(CDialog& d, int id) {
  HWND c = ::GetDlgItem(d.m_hWnd, id);
  std::vector<std::string> out;
  const int n = static_cast<int>(::SendMessageA(c, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    char buf[256] = {};
    ::SendMessageA(c, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buf));
    out.push_back(buf);
  }
  return out;
}

TEST_F(SelectCondTest, UnpromptedInputsAreHidden) {
  // The dialogs run hidden under the hooks: a control counts as shown when
  // its own WS_VISIBLE is set.
  CSelectCondExDlg ex;
  fw::hooks::ExpectDialog(IDD_SELECT_COND_EX, [](CDialog& d) {
    std::vector<int> shown = VisibleChildren(d);
    std::sort(shown.begin(), shown.end());
    EXPECT_EQ((std::vector<int>{IDOK, IDCANCEL, 1129}), shown);
    return IDCANCEL;
  });
  EXPECT_EQ(IDCANCEL, ex.DoModal());
  CSelectCondDlg small;
  fw::hooks::ExpectDialog(IDD_SELECT_COND, [](CDialog& d) {
    std::vector<int> shown = VisibleChildren(d);
    std::sort(shown.begin(), shown.end());
    EXPECT_EQ((std::vector<int>{IDOK, IDCANCEL, 1121}), shown);
    return IDCANCEL;
  });
  EXPECT_EQ(IDCANCEL, small.DoModal());
}

TEST_F(SelectCondTest, ChainsOperatorsFilesAndValues) {
  CSelectCondExDlg dlg;
  dlg.m_strCaption = "条件";
  dlg.m_aPrompt[12] = "区分";  // combo 1122
  dlg.m_aPrompt[13] = "細目";  // combo 1123
  dlg.m_aPrompt[17] = "ファイル";  // combo 1133
  dlg.m_aPrompt[20] = "比較";  // combo 1143
  dlg.m_aPrompt[22] = "開始";  // date 1127
  dlg.m_aPrompt[23] = "終了";  // date 1128
  dlg.m_aPrompt[26] = "済";    // check 1136
  dlg.m_aPrompt[0] = "名前";   // edit 1130
  dlg.m_aComboText[0] = "p|q";
  dlg.m_aComboText[1] = "!a|b!c|d";
  dlg.m_aComboText[5] = "$C:\\data\\in.csv";
  dlg.m_aComboText[8] = "=|<>|>";
  dlg.m_aDate[0] = CTime(2024, 3, 5, 0, 0, 0);
  dlg.m_aDate[1] = CTime(2024, 4, 6, 0, 0, 0);
  dlg.m_strValue[2] = "初期";  // edit 1131, no prompt: hidden, kept
  fw::hooks::ExpectDialog(IDD_SELECT_COND_EX, [](CDialog& d) {
    EXPECT_EQ("条件", [&] { CString s; d.GetWindowText(s); return s.Str(); }());
    EXPECT_NE(0, ::GetWindowLongA(::GetDlgItem(d.m_hWnd, 1122), GWL_STYLE) & WS_VISIBLE);
    EXPECT_EQ(0, ::GetWindowLongA(::GetDlgItem(d.m_hWnd, 1124), GWL_STYLE) & WS_VISIBLE);
    EXPECT_EQ((std::vector<std::string>{"a", "b"}), ComboItems(d, 1123));
    EXPECT_EQ("a", ItemText(d, 1123));
    Choose(d, 1122, 1);
    EXPECT_EQ((std::vector<std::string>{"c", "d"}), ComboItems(d, 1123));
    Choose(d, 1123, 1);  // "d"
    EXPECT_EQ("d", ItemText(d, 1123));
    // The next change before it reloads the "!" list, not the chosen "d".
    Choose(d, 1122, 0);
    EXPECT_EQ((std::vector<std::string>{"a", "b"}), ComboItems(d, 1123));
    Choose(d, 1123, 1);  // "b"
    // An operator ending in ">" greys its two dates; another enables them.
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(d.m_hWnd, 1127)));
    Choose(d, 1143, 1);
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(d.m_hWnd, 1127)));
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(d.m_hWnd, 1128)));
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(d.m_hWnd, 1134)));
    Choose(d, 1143, 0);
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(d.m_hWnd, 1127)));
    Choose(d, 1143, 2);  // ">" itself
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(d.m_hWnd, 1128)));
    // The file pick: a cancelled dialog leaves the text, OK puts the path.
    HWND file = ::GetDlgItem(d.m_hWnd, 1133);
    fw::hooks::ExpectFileDialog({});
    d.SendMessage(WM_COMMAND, MAKEWPARAM(1133, CBN_DROPDOWN), reinterpret_cast<LPARAM>(file));
    EXPECT_EQ("C:\\data\\in.csv", ItemText(d, 1133));
    fw::hooks::ExpectFileDialog({"C:\\data\\other.csv"});
    d.SendMessage(WM_COMMAND, MAKEWPARAM(1133, CBN_DROPDOWN), reinterpret_cast<LPARAM>(file));
    EXPECT_EQ("C:\\data\\other.csv", ItemText(d, 1133));
    EXPECT_EQ("C:\\data\\in.csv", fw::hooks::LastFileDialogOffer().name);
    // A plain combo never opens the file dialog (test mode would refuse it).
    d.SendMessage(WM_COMMAND, MAKEWPARAM(1122, CBN_DROPDOWN), reinterpret_cast<LPARAM>(::GetDlgItem(d.m_hWnd, 1122)));
    d.SetDlgItemText(1130, "山田");
    ::CheckDlgButton(d.m_hWnd, 1136, BST_CHECKED);
    return IDOK;
  });
  ASSERT_EQ(IDOK, dlg.DoModal());
  EXPECT_EQ("p", dlg.m_aComboText[0].Str());
  EXPECT_EQ("b", dlg.m_aComboText[1].Str());
  EXPECT_EQ("C:\\data\\other.csv", dlg.m_aComboText[5].Str());
  EXPECT_EQ(">", dlg.m_aComboText[8].Str());
  EXPECT_EQ(2, dlg.m_aComboSel[8]);
  EXPECT_EQ(csv::kListDependent, dlg.m_aComboMode[1]);
  EXPECT_EQ(csv::kListFile, dlg.m_aComboMode[5]);
  EXPECT_EQ("20240305", std::string(dlg.m_aDate[0].Format("%Y%m%d").Str()));
  EXPECT_EQ("20240406", std::string(dlg.m_aDate[1].Format("%Y%m%d").Str()));
  EXPECT_EQ("山田", dlg.m_strValue[1].Str());
  EXPECT_EQ("初期", dlg.m_strValue[2].Str());
  EXPECT_EQ(1, dlg.m_aCheck[0]);
  EXPECT_EQ(0, dlg.m_aCheck[1]);
}

TEST_F(SelectCondTest, CancelChangesNothing) {
  CSelectCondDlg dlg;
  dlg.m_aPrompt[0] = "比較";  // combo 1110
  dlg.m_aComboText[4] = "<>|=";
  dlg.m_strValue[2] = "free";
  fw::hooks::ExpectDialog(IDD_SELECT_COND, [](CDialog& d) {
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(d.m_hWnd, 1114)));  // "<>" ends in ">"
    Choose(d, 1110, 1);
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(d.m_hWnd, 1115)));
    d.SetDlgItemText(1121, "typed");
    return IDCANCEL;
  });
  EXPECT_EQ(IDCANCEL, dlg.DoModal());
  EXPECT_EQ("<>|=", dlg.m_aComboText[4].Str());
  EXPECT_EQ("free", dlg.m_strValue[2].Str());
}

TEST_F(NarrowSelectTest, MacroHostFillsAndReadsInFieldOrder) {
  CDvkView* v = Open("t.csv", "a,b\r\n1,2\r\n");
  ASSERT_NE(nullptr, v);
  view::MacroViewHost host(*v);
  // 187: combo 1110, dates 1114 and 1115, combos 1109-1113, edits 1036 and
  // 1089, checks 1117-1120, edit 1121.
  csv::CondDialogValues values;
  values.prompts.assign(13, "p");
  values.caption = "条件入力";
  values.fields = {"=|<>", "20240102", "", "x|y", "", "", "", "e1", "e2", "0", "1", "0", "0", "free"};
  fw::hooks::ExpectDialog(IDD_SELECT_COND, [](CDialog& d) {
    EXPECT_EQ("e1", ItemText(d, 1036));
    EXPECT_EQ("x", ItemText(d, 1109));
    EXPECT_EQ(BST_CHECKED, ::IsDlgButtonChecked(d.m_hWnd, 1118));
    Choose(d, 1109, 1);
    d.SetDlgItemText(1121, "typed");
    ::CheckDlgButton(d.m_hWnd, 1120, BST_CHECKED);
    return IDOK;
  });
  ASSERT_TRUE(host.RunSelectCondDialog(false, values));
  EXPECT_EQ((std::vector<std::string>{"=", "20240102", values.fields[2], "y", "", "", "", "e1", "e2", "0", "1", "0", "1",
                                      "typed"}),
            values.fields);
  EXPECT_EQ(8u, values.fields[2].size());  // the picker's own date
  fw::hooks::ExpectDialog(IDD_SELECT_COND_EX, [](CDialog&) { return IDCANCEL; });
  csv::CondDialogValues ex;
  EXPECT_FALSE(host.RunSelectCondDialog(true, ex));
}

}  // namespace
