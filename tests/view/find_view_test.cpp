// The find commands of the text view in the running shell: the modeless
// find dialog driven by its controls, F3 / Shift+F3 through the frame's
// command routing, replace-all on a CSV table and on plain text, the
// not-found texts and Esc during a long search.
#include <windows.h>

#include <cstring>
#include <fstream>
#include <string>

#include "app/shell_fixture.h"
#include "fw/cstring.h"
#include "fw/uihooks.h"
#include "res/resource.h"
#include "support/pump.h"
#include "support/temp_folder.h"
#include "view/dvkview.h"
#include "view/find_dlg.h"

namespace {

class FindViewTest : public shelltest::ShellTest {
 protected:
  void SetUp() override {
    shelltest::ShellTest::SetUp();
    ASSERT_TRUE(Start(""));
    frame->ActivateTextPane(0, 0);
    view = frame->GetTextView(0, 0);
    ASSERT_NE(nullptr, view);
  }

  void SetText(const char* text) {
    view->GetRichEditCtrl().SetWindowText(text);
    view->GetRichEditCtrl().SetSel(0, 0);
  }

  // Opens a CSV file through the document and waits until the view shows it.
  void OpenCsv(const std::string& content) {
    std::string path = folder.File("table.csv");
    std::ofstream(path, std::ios::binary) << content;
    ASSERT_EQ(0, doc->OpenFile(CString(path.c_str()), docopen::OpenMode::kPlain));
    ASSERT_TRUE(testsupport::PumpUntil([&] { return !view->LoadPending(); }, 5000));
    ASSERT_EQ(33u, view->m_nFileKind);
  }

  std::string ControlText() {
    CString t;
    int n = view->GetRichEditCtrl().GetWindowTextLength();
    std::string s(static_cast<std::size_t>(n) + 1, '\0');
    GetWindowTextA(view->GetRichEditCtrl().m_hWnd, &s[0], n + 1);
    s.resize(std::strlen(s.c_str()));
    return s;
  }

  std::pair<long, long> Sel() {
    long a = 0, b = 0;
    view->GetRichEditCtrl().GetSel(a, b);
    return {a, b};
  }

  std::string Pane0() { return g_pStatusBar->GetPaneText(0).Str(); }

  CFindDlg* Dialog() {
    CFindDlg* d = view->FindDialog();
    EXPECT_TRUE(d && d->m_hWnd);
    return d;
  }

  // Fills the dialog and presses one of its buttons.
  void Press(const char* find, const char* replace, int button, bool down = true, bool matchCase = false) {
    CFindDlg* d = Dialog();
    ASSERT_TRUE(d);
    SetDlgItemTextA(d->m_hWnd, IDC_FIND_TEXT, find);
    if (replace) SetDlgItemTextA(d->m_hWnd, IDC_FIND_REPLACE_TEXT, replace);
    CheckRadioButton(d->m_hWnd, IDC_FIND_UP, IDC_FIND_DOWN, down ? IDC_FIND_DOWN : IDC_FIND_UP);
    CheckDlgButton(d->m_hWnd, IDC_FIND_MATCH_CASE, matchCase ? BST_CHECKED : BST_UNCHECKED);
    d->SendMessage(WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(d->m_hWnd, button)));
  }

  void Command(UINT id) { frame->SendMessage(WM_COMMAND, MAKEWPARAM(id, 0), 0); }

  std::string LoadText(UINT id) {
    CString s;
    s.LoadString(id);
    return s.Str();
  }

  CDvkView* view = nullptr;
  testsupport::TempProgramFolder folder;
};

TEST_F(FindViewTest, DialogFindsAWildcardPatternAndSelectsTheMatch) {
  SetText("xxabc");
  Command(ID_EDIT_FIND);
  CFindDlg* d = Dialog();
  ASSERT_TRUE(d);
  EXPECT_EQ(1, d->Form());
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(d->m_hWnd, IDC_FIND_REPLACE_ALL)));
  Press("a%c", nullptr, IDOK);
  EXPECT_EQ(std::make_pair(2L, 5L), Sel());
  // The stored text keeps the wildcard as byte 1; the options went over.
  EXPECT_EQ(std::string("a\x01" "c"), view->m_strSearchText.Str());
  EXPECT_EQ(4u, view->m_nSearchFlags & 7u);
  EXPECT_EQ(0, doc->m_nSearchDirection);
  // Opening again shows the typed form.
  view->OpenFindDialog(0);
  char buf[64] = {};
  GetDlgItemTextA(d->m_hWnd, IDC_FIND_TEXT, buf, sizeof buf);
  EXPECT_STREQ("a%c", buf);
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(d->m_hWnd, IDC_FIND_REPLACE_ALL)));
}

TEST_F(FindViewTest, F3FindsNextAndPreviousAndReportsTheEnds) {
  SetText("ab\r\nxab\r\n表ab");
  view->OpenFindDialog(1);
  Press("ab", nullptr, IDOK);
  EXPECT_EQ(std::make_pair(0L, 2L), Sel());
  Command(ID_FIND_NEXT);  // F3
  EXPECT_EQ(std::make_pair(4L, 6L), Sel());
  Command(ID_FIND_NEXT);
  EXPECT_EQ(std::make_pair(8L, 10L), Sel());  // 表 is one character position
  EXPECT_EQ("", Pane0());
  Command(ID_FIND_NEXT);
  EXPECT_EQ(std::make_pair(8L, 10L), Sel());  // nothing more: the selection stays
  EXPECT_EQ(LoadText(IDS_SEARCH_END_NOT_FOUND), Pane0());
  // Upward (the document's direction 1) through the repeat command.
  doc->m_nSearchDirection = 1;
  Command(ID_FIND);
  EXPECT_EQ(std::make_pair(4L, 6L), Sel());
  Command(ID_FIND);
  EXPECT_EQ(std::make_pair(0L, 2L), Sel());
  Command(ID_FIND);
  EXPECT_EQ(std::make_pair(0L, 2L), Sel());
  EXPECT_EQ(LoadText(IDS_SEARCH_TOP_NOT_FOUND), Pane0());
}

TEST_F(FindViewTest, MatchCaseAndShiftF3OpensTheReplaceForm) {
  SetText("ABC abc");
  Command(ID_FIND_REPLACE);  // Shift+F3
  CFindDlg* d = Dialog();
  ASSERT_TRUE(d);
  EXPECT_EQ(0, d->Form());
  Press("abc", "", IDOK, true, true);
  EXPECT_EQ(std::make_pair(4L, 7L), Sel());
  EXPECT_EQ(5u, view->m_nSearchFlags & 7u);
}

TEST_F(FindViewTest, ReplaceAllInACsvTableChangesTheMatchingCellsOnly) {
  OpenCsv("abd,b,d,bxd\r\nx,bd,y,z\r\n");
  view->OpenFindDialog(0);
  Press("b&d", "Q", IDC_FIND_REPLACE_ALL);
  std::string buf(reinterpret_cast<const char*>(view->m_table.m_pTextBuf), view->m_table.m_nTextLen);
  EXPECT_EQ("aQ\x06" "b\x06" "d\x06" "Q\r\nx\x06" "Q\x06" "y\x06" "z\r\n", buf);
  EXPECT_NE(std::string::npos, Pane0().find("= 3")) << Pane0();
  // The table is shown again from the buffer.
  EXPECT_EQ(0u, ControlText().find("aQ\tb\td\tQ")) << ControlText();
}

TEST_F(FindViewTest, ReplaceAllInACsvTableKeepsCellsTypedBefore) {
  OpenCsv("abd,b\r\nx,y\r\n");
  // The user types over cell "y" in the shown table (TAB-separated rows).
  CRichEditCtrl& ctrl = view->GetRichEditCtrl();
  const long y = view->FindTextMatchCase(0, -1, CString("y"));
  ASSERT_GE(y, 0) << ControlText();
  ctrl.SetSel(y, y + 1);
  ctrl.ReplaceSel("typed", TRUE);
  ASSERT_TRUE(ctrl.GetModify());
  view->OpenFindDialog(0);
  Press("b&d", "Q", IDC_FIND_REPLACE_ALL);
  std::string buf(reinterpret_cast<const char*>(view->m_table.m_pTextBuf), view->m_table.m_nTextLen);
  EXPECT_EQ("aQ\x06" "b\r\nx\x06" "typed\r\n", buf);
}

TEST_F(FindViewTest, ReplaceOneAndReplaceAllOnPlainText) {
  SetText("a1b a2b\r\nzz\r\na3b");
  view->OpenFindDialog(0);
  Press("a%b", "[$P]", IDOK);
  EXPECT_EQ(std::make_pair(0L, 3L), Sel());
  Press("a%b", "[$P]", IDC_FIND_REPLACE_ONE);  // replaces "a1b", selects "a2b"
  EXPECT_EQ(0u, ControlText().find("[a1b] a2b"));
  EXPECT_EQ(std::make_pair(6L, 9L), Sel());
  Press("a%b", "<$P>", IDC_FIND_REPLACE_ALL);
  std::string t = ControlText();
  EXPECT_NE(std::string::npos, t.find("[<a1b>] <a2b>")) << t;
  EXPECT_NE(std::string::npos, t.find("<a3b>")) << t;
  EXPECT_NE(std::string::npos, Pane0().find("= 3")) << Pane0();
  EXPECT_TRUE(view->GetRichEditCtrl().GetModify());
}

TEST_F(FindViewTest, EscStopsALongSearch) {
  std::string big;
  for (int i = 0; i < 5000; ++i) big += "line\r\n";
  big += "needle";
  SetText(big.c_str());
  view->SetSearchState(0, 0, CString(), CString());  // nothing stored yet
  view->m_strSearchText = "needle";
  PostMessageA(view->m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0);
  fw::hooks::ExpectMessageBox(LoadText(IDS_ABORT_QUERY), IDYES);
  EXPECT_EQ(-1, view->SearchAll(1, 4));
  EXPECT_EQ(std::make_pair(0L, 0L), Sel());
  EXPECT_EQ(LoadText(IDS_SEARCH_STOPPED), Pane0());
  EXPECT_EQ(1u, doc->m_bAbort);
  // Without Esc the same search reaches the end.
  doc->m_bAbort = 0;
  EXPECT_EQ(1, view->SearchAll(1, 4));
  EXPECT_EQ(5000L * 5, Sel().first);  // each line: four letters and one break position
}

TEST_F(FindViewTest, RepeatWithoutTextOpensTheDialog) {
  SetText("abc");
  Command(ID_FIND_NEXT);
  ASSERT_TRUE(view->FindDialog());
  EXPECT_TRUE(view->FindDialog()->m_hWnd != nullptr);
  EXPECT_EQ(1, view->FindDialog()->Form());
  EXPECT_EQ(0, view->FindTextMatchCase(0, -1, CString("abc")));
  EXPECT_EQ(-1, view->FindTextMatchCase(0, -1, CString("ABC")));
}

TEST_F(FindViewTest, ColumnLimitSearchesOneColumnOfTheTable) {
  OpenCsv("bd,bd\r\nx,y\r\n");
  view->m_nSearchFlags = (view->m_nSearchFlags & 7u) + 2 * 8;  // column 2, as the column find sets it
  view->OpenFindDialog(0);
  char title[64] = {};
  GetWindowTextA(Dialog()->m_hWnd, title, sizeof title);
  EXPECT_NE(std::string::npos, std::string(title).find("2")) << title;
  Press("b&d", "Q", IDC_FIND_REPLACE_ALL);
  EXPECT_EQ(std::string("bd\x06" "Q\r\nx\x06" "y\r\n"),
            std::string(reinterpret_cast<const char*>(view->m_table.m_pTextBuf), view->m_table.m_nTextLen));
}

TEST_F(FindViewTest, CheckLineTextJumpsBetweenCheckedLines) {
  std::string csv;
  for (int i = 1; i <= 60; ++i) csv += "r" + std::to_string(i) + ",x\r\n";
  OpenCsv(csv);
  view->m_pEntryList[1] = 10;  // checked lines, 1-based
  view->m_pEntryList[2] = 40;
  view->m_nEntryListPos = 3;
  CRichEditCtrl& ctrl = view->GetRichEditCtrl();
  EXPECT_EQ(1, view->SetSearchState(1, 4, CString("&CK"), CString()));
  EXPECT_EQ(9, ctrl.LineFromChar(Sel().first));
  EXPECT_EQ(1, view->SetSearchState(1, 4, CString("&CK"), CString()));
  EXPECT_EQ(39, ctrl.LineFromChar(Sel().first));
  EXPECT_EQ(0, view->SetSearchState(1, 4, CString("&CK"), CString()));  // none below
  EXPECT_EQ(39, ctrl.LineFromChar(Sel().first));
  EXPECT_EQ(LoadText(IDS_SEARCH_END_NOT_FOUND), Pane0());
  EXPECT_EQ(1, view->SetSearchState(1, 0, CString("&CK"), CString()));  // upward
  EXPECT_EQ(9, ctrl.LineFromChar(Sel().first));
}

TEST_F(FindViewTest, StatementReplaceOnPlainTextUsesTheMacroForm) {
  SetText("Abc abc\r\nxyz");
  view->m_strStmtCommand = "b&c";
  view->m_strStmtOperand = "NULL";
  EXPECT_EQ(2, view->SearchAll(3, 0));  // case kept: "bc" of both words
  EXPECT_EQ(0u, ControlText().find("A a"));
}

}  // namespace
