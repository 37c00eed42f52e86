// The row and column order dialog (179) opened by command 33044 over an
// open table, under the UI hooks: picks in the title list, the buttons, the
// list sorts, the two title copies, and what OK and Cancel leave.
//
// The expected table of "3,1,*" with "rev" is what Python's csv module
// computed for the same file when the case was written (the file below is
// Python's csv writer's text of the same records):
//   rows = list(csv.reader(f)); rows = [[r[2], r[0]] + others of r ...];
//   want = rows[:1] + rows[:0:-1]; csv.writer(out).writerows(want)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fw/clipboard.h"
#include "fw/uihooks.h"
#include "res/resource.h"
#include "dialog_items.h"
#include "shell_fixture.h"
#include "view/dvkview.h"

namespace {

const char kFile[] =
    "名前,メモ,値,区分\r\nソース,\"a,b\",1,x\r\n表示,\"say \"\"hi\"\"\",2,y\r\nゼロ,\"line1\r\nline2\",3,z\r\n"
    "タ,\"p, \"\"q\"\"\",4,w\r\n";
const char kColumns31RestReversed[] =
    "値,名前,メモ,区分\r\n4,タ,\"p, \"\"q\"\"\",w\r\n3,ゼロ,\"line1\r\nline2\",z\r\n2,表示,\"say \"\"hi\"\"\",y\r\n"
    "1,ソース,\"a,b\",x\r\n";

using dlgtest::Click;
using dlgtest::ItemText;

std::vector<std::string> ListLines(CDialog& d) { return dlgtest::ListLines(d, IDC_ROWCOL_TITLES); }

void Pick(CDialog& d, int line) { dlgtest::PickListLine(d, IDC_ROWCOL_TITLES, line, LBN_SELCHANGE); }


int Caret(CDialog& d) {
  DWORD start = 0, end = 0;
  ::SendDlgItemMessageA(d.m_hWnd, IDC_ROWCOL_COLUMNS, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                        reinterpret_cast<LPARAM>(&end));
  return static_cast<int>(start);
}

std::string Clipboard() {
  std::string s;
  EXPECT_TRUE(fw::GetClipboardText(nullptr, &s));
  return s;
}

class RowColDialogTest : public shelltest::ShellFileTest {
 protected:
  std::string CommaText(CDvkView* v) { return v->m_table.FileText(csv::CommaFormKind::kComma); }
  void Run() { frame->SendMessage(WM_COMMAND, ID_CSV_ROW_COLUMN_SELECT, 0); }
};

TEST_F(RowColDialogTest, PicksAndRestWithRevRewriteAsPythonComputes) {
  CDvkView* v = OpenTable(kFile);
  ASSERT_NE(nullptr, v);
  ASSERT_EQ(kFile, CommaText(v));
  bool ran = false;
  fw::hooks::ExpectDialog(IDD_CSV_ROWCOL_SELECT, [&ran](CDialog& d) -> int {
    ran = true;
    EXPECT_EQ((std::vector<std::string>{"   1: 名前", "   2: メモ", "   3: 値", "   4: 区分"}), ListLines(d));
    EXPECT_EQ("1-", ItemText(d, IDC_ROWCOL_COLUMNS));
    EXPECT_EQ("1-", ItemText(d, IDC_ROWCOL_ROWS));
    Pick(d, 2);  // the first pick empties "1-"
    EXPECT_EQ("3", ItemText(d, IDC_ROWCOL_COLUMNS));
    Pick(d, 0);
    EXPECT_EQ("3,1", ItemText(d, IDC_ROWCOL_COLUMNS));
    EXPECT_EQ(3, Caret(d));
    EXPECT_EQ((std::vector<std::string>{"   1* 名前", "   2: メモ", "   3* 値", "   4: 区分"}), ListLines(d));
    Click(d, IDC_ROWCOL_REST);
    EXPECT_EQ("3,1,*", ItemText(d, IDC_ROWCOL_COLUMNS));
    Click(d, IDC_ROWCOL_REVERSE);
    EXPECT_EQ("rev", ItemText(d, IDC_ROWCOL_ROWS));
    return IDOK;
  });
  Run();
  EXPECT_TRUE(ran);
  EXPECT_EQ(kColumns31RestReversed, CommaText(v));
  EXPECT_TRUE(v->GetRichEditCtrl().GetModify());
  // The display shows the new table.
  EXPECT_EQ("値", shelltest::Field(shelltest::Lines(shelltest::ControlText(v))[0], 0));
}

TEST_F(RowColDialogTest, OkAtOnceAndCancelLeaveTheBytes) {
  CDvkView* v = OpenTable(kFile);
  ASSERT_NE(nullptr, v);
  const std::string before = TableBytes(v);
  fw::hooks::ExpectDialog(IDD_CSV_ROWCOL_SELECT, [](CDialog&) -> int { return IDOK; });
  Run();
  EXPECT_EQ(before, TableBytes(v));
  EXPECT_FALSE(v->GetRichEditCtrl().GetModify());
  fw::hooks::ExpectDialog(IDD_CSV_ROWCOL_SELECT, [](CDialog& d) -> int {
    Pick(d, 1);
    Click(d, IDC_ROWCOL_DELETE);
    EXPECT_EQ("2#del", ItemText(d, IDC_ROWCOL_COLUMNS));
    Click(d, IDC_ROWCOL_SWAP);
    return IDCANCEL;
  });
  Run();
  EXPECT_EQ(before, TableBytes(v));
  EXPECT_EQ(kFile, CommaText(v));
}

TEST_F(RowColDialogTest, RangeTakeBackAndListSorts) {
  CDvkView* v = OpenTable(kFile);
  ASSERT_NE(nullptr, v);
  fw::hooks::ExpectDialog(IDD_CSV_ROWCOL_SELECT, [](CDialog& d) -> int {
    Pick(d, 1);
    Click(d, IDC_ROWCOL_RANGE);
    EXPECT_EQ("2-", ItemText(d, IDC_ROWCOL_COLUMNS));
    Pick(d, 0);  // below the range's start: nothing
    EXPECT_EQ("2-", ItemText(d, IDC_ROWCOL_COLUMNS));
    Pick(d, 3);
    EXPECT_EQ("2-4", ItemText(d, IDC_ROWCOL_COLUMNS));
    EXPECT_EQ((std::vector<std::string>{"   1: 名前", "   2* メモ", "   3* 値", "   4* 区分"}), ListLines(d));
    Click(d, IDC_ROWCOL_UNDO);
    EXPECT_EQ("", ItemText(d, IDC_ROWCOL_COLUMNS));
    EXPECT_EQ((std::vector<std::string>{"   1: 名前", "   2: メモ", "   3: 値", "   4: 区分"}), ListLines(d));
    // By title (Shift-JIS bytes), down, and back by number.
    Click(d, IDC_ROWCOL_LIST_UP);
    EXPECT_EQ((std::vector<std::string>{"   2: メモ", "   4: 区分", "   3: 値", "   1: 名前"}), ListLines(d));
    Pick(d, 0);  // the line shown first is column 2
    EXPECT_EQ("2", ItemText(d, IDC_ROWCOL_COLUMNS));
    EXPECT_EQ("   2* メモ", ListLines(d)[0]);
    Click(d, IDC_ROWCOL_LIST_DOWN);
    EXPECT_EQ((std::vector<std::string>{"   1: 名前", "   3: 値", "   4: 区分", "   2* メモ"}), ListLines(d));
    Click(d, IDC_ROWCOL_LIST_NUMBER);
    EXPECT_EQ((std::vector<std::string>{"   1: 名前", "   2* メモ", "   3: 値", "   4: 区分"}), ListLines(d));
    // The title-order buttons leave room to type after them.
    Click(d, IDC_ROWCOL_SORT_COLUMNS_DOWN);
    EXPECT_EQ("sortdn", ItemText(d, IDC_ROWCOL_COLUMNS));
    EXPECT_EQ(6, Caret(d));
    Click(d, IDC_ROWCOL_SEARCH);
    EXPECT_EQ("sel:", ItemText(d, IDC_ROWCOL_COLUMNS));
    EXPECT_EQ(4, Caret(d));
    Click(d, IDC_ROWCOL_SORT_COLUMNS_UP);
    EXPECT_EQ("sortup", ItemText(d, IDC_ROWCOL_COLUMNS));
    Click(d, IDC_ROWCOL_SWAP);
    EXPECT_EQ("row", ItemText(d, IDC_ROWCOL_ROWS));
    return IDOK;
  });
  Run();
  // Columns by title, then rows and columns swapped.
  const std::string t = CommaText(v);
  EXPECT_EQ(0u, t.find("メモ,\"a,b\",\"say \"\"hi\"\"\",\"line1\r\nline2\",\"p, \"\"q\"\"\"\r\n区分,x,y,z,w\r\n値,1,2,3,4\r\n"
                       "名前,ソース,表示,ゼロ,タ\r\n")) << t;
}

TEST_F(RowColDialogTest, TitleCopiesPutTheTextOnTheClipboard) {
  CDvkView* v = OpenTable(kFile);
  ASSERT_NE(nullptr, v);
  const std::string before = TableBytes(v);
  std::vector<std::string> copies;
  fw::hooks::ExpectDialog(IDD_CSV_ROWCOL_SELECT, [&copies](CDialog& d) -> int {
    Click(d, IDC_ROWCOL_COPY_VERTICAL);
    copies.push_back(Clipboard());
    Click(d, IDC_ROWCOL_COPY_HORIZONTAL);  // "1-": every title
    copies.push_back(Clipboard());
    d.SetDlgItemText(IDC_ROWCOL_COLUMNS, "3,1-2,*#del");
    Click(d, IDC_ROWCOL_COPY_HORIZONTAL);
    copies.push_back(Clipboard());
    d.SetDlgItemText(IDC_ROWCOL_COLUMNS, "4,9");
    Click(d, IDC_ROWCOL_COPY_HORIZONTAL);
    copies.push_back(Clipboard());
    return IDCANCEL;
  });
  Run();
  EXPECT_EQ((std::vector<std::string>{"   1: 名前\r\n   2: メモ\r\n   3: 値\r\n   4: 区分\r", "[名前],[メモ],[値],[区分]",
                                      "[値],[名前]-[メモ],*#del", "[区分],"}),
            copies);
  EXPECT_EQ(before, TableBytes(v));
}

TEST_F(RowColDialogTest, ATitleWithALineBreakShowsBlanks) {
  // A quoted title over two lines: each break byte is one blank in the
  // list and the copies; the table keeps its break.
  const char file[] = "\"a\r\nb\",c\r\n1,2\r\n";
  CDvkView* v = OpenTable(file);
  ASSERT_NE(nullptr, v);
  std::vector<std::string> copies;
  fw::hooks::ExpectDialog(IDD_CSV_ROWCOL_SELECT, [&copies](CDialog& d) -> int {
    EXPECT_EQ((std::vector<std::string>{"   1: a  b", "   2: c"}), ListLines(d));
    Click(d, IDC_ROWCOL_COPY_VERTICAL);
    copies.push_back(Clipboard());
    Pick(d, 1);
    Pick(d, 0);
    Click(d, IDC_ROWCOL_COPY_HORIZONTAL);
    copies.push_back(Clipboard());
    return IDOK;
  });
  Run();
  EXPECT_EQ((std::vector<std::string>{"   1: \"a  b\"\r\n   2: c\r", "[c],[a  b]"}), copies);
  EXPECT_EQ("c,\"a\r\nb\"\r\n2,1\r\n", CommaText(v));
}

}  // namespace
