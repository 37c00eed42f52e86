// The sort buttons and the page commands in-process: 33033 / 33041 sort the
// caret's column as numbers or text (Ctrl forces text, Shift numbers), keep
// the caret and the scroll, and reach the other panes of a split; 33032 /
// 33034 step through a table of more than "bmpfile" rows and wrap at both
// ends, and through a long text shown in parts, with the save question for
// a changed part.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/dvkdoc.h"
#include "fw/alloc.h"
#include "fw/uihooks.h"
#include "res/resource.h"
#include "shell_fixture.h"
#include "support/file_bytes.h"
#include "support/pump.h"
#include "view/dvkview.h"

namespace {

using shelltest::ColumnOf;
using shelltest::ControlText;
using shelltest::Field;
using shelltest::Lines;

class CsvSortPageTest : public shelltest::ShellFileTest {
 protected:
  // Puts the caret in cell (line, column) of the shown table.
  void CaretTo(CDvkView* v, int line, int column) {
    const int at = v->GetCellCharIndex(line + static_cast<int>(v->m_nPageTopRow), column);
    ASSERT_GE(at, 0);
    v->GetRichEditCtrl().SetSel(at, at);
  }
  std::string FirstShownLine(CDvkView* v) { return Lines(ControlText(v)).front(); }
};

// A table of 60 rows whose price column (2) holds numbers in no order.
std::string PriceTable() {
  std::string t = "name,price,memo\r\n";
  for (int i = 0; i < 60; ++i) {
    const int price = (i * 37) % 101 - 20;
    t += "item" + std::to_string(i) + "," + std::to_string(price) + ",m\r\n";
  }
  return t;
}

TEST_F(CsvSortPageTest, SortAscendingOrdersTheCaretColumnAsNumbersAndKeepsCaretAndScroll) {
  CDvkView* v = OpenTable(PriceTable());
  ASSERT_NE(nullptr, v);
  CRichEditCtrl& ctrl = v->GetRichEditCtrl();
  ctrl.LineScroll(20 - ctrl.GetFirstVisibleLine());
  const int firstLine = ctrl.GetFirstVisibleLine();
  ASSERT_GT(firstLine, 0);
  CaretTo(v, 25, 1);
  long s0 = 0, e0 = 0;
  ctrl.GetSel(s0, e0);

  frame->SendMessage(WM_COMMAND, ID_CSV_SORT_ASCENDING, 0);
  const std::vector<std::string> prices = ColumnOf(v, 1);
  ASSERT_EQ(60u, prices.size());
  for (std::size_t i = 1; i < prices.size(); ++i)
    EXPECT_LE(std::atoi(prices[i - 1].c_str()), std::atoi(prices[i].c_str())) << i;
  EXPECT_EQ("name\tprice\tmemo", FirstShownLine(v));
  // The caret and the scroll position are back.
  long s = 0, e = 0;
  ctrl.GetSel(s, e);
  EXPECT_EQ(s0, s);
  EXPECT_EQ(firstLine, ctrl.GetFirstVisibleLine());
  // The request is kept only while the sort runs: no check mark after it,
  // and a second press sorts again (descending now, then ascending).
  // (The caret is back at its character position, which after the sort
  // may lie in another column: it is put in the price column again.)
  EXPECT_EQ(0, v->m_nLastSort);
  CaretTo(v, 25, 1);
  frame->SendMessage(WM_COMMAND, ID_CSV_SORT_DESCENDING, 0);
  EXPECT_EQ(std::to_string(80), ColumnOf(v, 1).front());
  CaretTo(v, 25, 1);
  frame->SendMessage(WM_COMMAND, ID_CSV_SORT_ASCENDING, 0);
  EXPECT_EQ(std::to_string(-20), ColumnOf(v, 1).front());
  // The table changed: Save writes the sorted rows in comma form.
  EXPECT_TRUE(doc->IsModified());
  frame->SendMessage(WM_COMMAND, ID_FILE_SAVE, 0);
  const std::string saved = testsupport::ReadFileBytes(File("t.csv"));
  EXPECT_EQ(0u, saved.find("name,price,memo\r\n")) << saved.substr(0, 80);
  EXPECT_NE(std::string::npos, saved.find(",-20,m\r\n"));
  EXPECT_LT(saved.find(",-20,m\r\n"), saved.find(",80,m\r\n"));
}

TEST_F(CsvSortPageTest, TheStatusTextsAreTheButtonsOwn) {
  ASSERT_TRUE(StartIn(""));
  CString asc, desc, next, prev;
  ASSERT_TRUE(asc.LoadString(ID_CSV_SORT_ASCENDING));
  ASSERT_TRUE(desc.LoadString(ID_CSV_SORT_DESCENDING));
  ASSERT_TRUE(next.LoadString(ID_PAGE_NEXT));
  ASSERT_TRUE(prev.LoadString(ID_PAGE_PREVIOUS));
  EXPECT_STREQ("ソート（昇順並び替え）自動判別  +SHIFT 数値【小→大】  +CTRL 文字【0→9,A→Z】\nソート∧",
               asc.GetString());
  EXPECT_STREQ("ソート（降順並び替え）自動判別  +SHIFT 数値【大→小】  +CTRL 文字【Z→A,9→0】\nソート∨",
               desc.GetString());
  EXPECT_STREQ("下のページへ\n下へ", next.GetString());
  EXPECT_STREQ("上のページへ\n上へ", prev.GetString());
}

TEST_F(CsvSortPageTest, CtrlSortsTheSameColumnAsTextAndShiftForcesNumbers) {
  CDvkView* v = OpenTable("k,v\r\na,10\r\nb,9\r\nc,100\r\n");
  ASSERT_NE(nullptr, v);
  CaretTo(v, 1, 1);
  frame->SendMessage(WM_COMMAND, ID_CSV_SORT_ASCENDING, 0);
  EXPECT_EQ((std::vector<std::string>{"9", "10", "100"}), ColumnOf(v, 1));
  v->m_bInternalKey = 1;  // Ctrl held
  CaretTo(v, 1, 1);
  frame->SendMessage(WM_COMMAND, ID_CSV_SORT_ASCENDING, 0);
  v->m_bInternalKey = 0;
  EXPECT_EQ((std::vector<std::string>{"10", "100", "9"}), ColumnOf(v, 1));
  // A column of words sorts as text; Shift makes it numbers ("12ab" 12,
  // "3cde" 3, "word" 0).
  const std::string words = File("w.csv");
  testsupport::WriteFileBytes(words, "k,v\r\n12ab,1\r\n3cde,2\r\nword,3\r\n");
  ASSERT_EQ(0, doc->OpenFile(words.c_str(), docopen::OpenMode::kPlain));
  CDvkView* w = frame->GetTextView(0, 0);
  ASSERT_TRUE(testsupport::PumpUntil([w] { return !w->LoadPending(); }, 10000));
  CaretTo(w, 1, 0);
  frame->SendMessage(WM_COMMAND, ID_CSV_SORT_DESCENDING, 0);
  EXPECT_EQ((std::vector<std::string>{"word", "3cde", "12ab"}), ColumnOf(w, 0));
  doc->m_bShiftHeld = 1;
  CaretTo(w, 1, 0);
  frame->SendMessage(WM_COMMAND, ID_CSV_SORT_DESCENDING, 0);
  doc->m_bShiftHeld = 0;
  EXPECT_EQ((std::vector<std::string>{"12ab", "3cde", "word"}), ColumnOf(w, 0));
}

TEST_F(CsvSortPageTest, ARecordWithALineBreakInACellMovesWholeAndSavesWhole) {
  // Names of four letters: three such words make the column text.
  const std::string file = "name,memo\r\ncccc,plain\r\nbbbb,\"one\r\ntwo\"\r\naaaa,\"alt\nenter\"\r\n";
  CDvkView* v = OpenTable(file);
  ASSERT_NE(nullptr, v);
  ASSERT_EQ(3, v->m_table.m_nLastRow);
  CaretTo(v, 1, 0);
  frame->SendMessage(WM_COMMAND, ID_CSV_SORT_ASCENDING, 0);
  EXPECT_EQ((std::vector<std::string>{"aaaa", "bbbb", "cccc"}), ColumnOf(v, 0));
  frame->SendMessage(WM_COMMAND, ID_FILE_SAVE, 0);
  EXPECT_EQ("name,memo\r\naaaa,\"alt\nenter\"\r\nbbbb,\"one\r\ntwo\"\r\ncccc,plain\r\n",
            testsupport::ReadFileBytes(File("t.csv")));
}

TEST_F(CsvSortPageTest, TheCaretsBlockIsSortedAlone) {
  CDvkView* v = OpenTable("a,b\r\n3,x\r\n1,y\r\n!#\r\nc,d\r\n9,p\r\n2,q\r\n5,r\r\n");
  ASSERT_NE(nullptr, v);
  ASSERT_EQ(2u, v->m_table.BlockCount());
  CaretTo(v, 5, 0);  // "2" in the second block
  frame->SendMessage(WM_COMMAND, ID_CSV_SORT_ASCENDING, 0);
  EXPECT_EQ("a\tb\n3\tx\n1\ty\n!#\nc\td\n2\tq\n5\tr\n9\tp", ControlText(v));
}

TEST_F(CsvSortPageTest, ASplitPaneShowsTheSortedTableToo) {
  CDvkView* v = OpenTable(PriceTable());
  ASSERT_NE(nullptr, v);
  v->OnSplitWindow();
  std::vector<CDvkView*> others = v->OtherPanes();
  ASSERT_FALSE(others.empty());
  CaretTo(v, 3, 1);
  frame->SendMessage(WM_COMMAND, ID_CSV_SORT_DESCENDING, 0);
  const std::string sorted = ControlText(v);
  EXPECT_EQ("80", ColumnOf(v, 1).front());
  for (CDvkView* o : others) {
    EXPECT_EQ(sorted, ControlText(o));
    EXPECT_EQ(v->m_table.m_nTextLen, o->m_table.m_nTextLen);
  }
}

TEST_F(CsvSortPageTest, PagesOfALongTableStepAndWrapAtBothEnds) {
  std::string t;
  for (int i = 0; i < 2500; ++i) t += "r" + std::to_string(i) + "," + std::to_string(i) + "\r\n";
  CDvkView* v = OpenTable(t);
  ASSERT_NE(nullptr, v);
  ASSERT_EQ(1000, doc->m_nBmpfile);
  ASSERT_EQ(2499, v->m_table.m_nLastRow);
  auto shows = [&](const char* first, std::size_t rows) {
    std::vector<std::string> lines = Lines(ControlText(v));
    EXPECT_EQ(first, lines.front());
    EXPECT_EQ(rows, lines.size());
  };
  shows("r0\t0", 1000);
  frame->SendMessage(WM_COMMAND, ID_PAGE_NEXT, 0);
  shows("r1000\t1000", 1000);
  EXPECT_EQ(1000u, v->m_nPageTopRow);
  long s = 0, e = 0;
  v->GetRichEditCtrl().GetSel(s, e);
  EXPECT_EQ(0, s);  // the caret at the start
  frame->SendMessage(WM_COMMAND, ID_PAGE_NEXT, 0);
  shows("r2000\t2000", 500);
  // Next on the last page: the first page again (and never an empty page).
  frame->SendMessage(WM_COMMAND, ID_PAGE_NEXT, 0);
  shows("r0\t0", 1000);
  // Previous on the first page: the last page.
  frame->SendMessage(WM_COMMAND, ID_PAGE_PREVIOUS, 0);
  shows("r2000\t2000", 500);
  frame->SendMessage(WM_COMMAND, ID_PAGE_PREVIOUS, 0);
  shows("r1000\t1000", 1000);
  // An edit on a page goes into the table before the page changes, and the
  // document keeps its edit mark.
  const int at = v->GetCellCharIndex(1000, 1);
  ASSERT_GE(at, 0);
  v->GetRichEditCtrl().SetSel(at, at + 4);
  v->GetRichEditCtrl().ReplaceSel("X", TRUE);
  v->GetRichEditCtrl().SetModify(TRUE);
  frame->SendMessage(WM_COMMAND, ID_PAGE_NEXT, 0);
  EXPECT_TRUE(doc->IsModified());
  frame->SendMessage(WM_COMMAND, ID_PAGE_PREVIOUS, 0);
  shows("r1000\tX", 1000);
  frame->SendMessage(WM_COMMAND, ID_FILE_SAVE, 0);
  std::string expect = t;
  expect.replace(expect.find("r1000,1000\r\n"), 12, "r1000,X\r\n");
  EXPECT_EQ(expect, testsupport::ReadFileBytes(File("t.csv")));
}

TEST_F(CsvSortPageTest, CtrlStepsByTheLinesShownAndSplitPanesFollow) {
  std::string t;
  for (int i = 0; i < 2500; ++i) t += "r" + std::to_string(i) + "," + std::to_string(i) + "\r\n";
  CDvkView* v = OpenTable(t);
  ASSERT_NE(nullptr, v);
  // Ctrl: the top moves by the lines the control shows, less the caret's
  // distance from the first visible line, less 1.
  CaretTo(v, 2, 0);
  v->m_bInternalKey = 1;
  frame->SendMessage(WM_COMMAND, ID_PAGE_NEXT, 0);
  v->m_bInternalKey = 0;
  const int lines = v->m_nPageLineCount;
  ASSERT_GT(lines, 3);
  int want = lines - 2 - 1;
  if (want < 5) want = 0;
  EXPECT_EQ(static_cast<std::uint32_t>(want), v->m_nPageTopRow);
  EXPECT_EQ("r" + std::to_string(want) + "\t" + std::to_string(want), FirstShownLine(v));
  // Split: the other panes show the page the pane stepped to.
  v->OnSplitWindow();
  std::vector<CDvkView*> others = v->OtherPanes();
  ASSERT_FALSE(others.empty());
  frame->SendMessage(WM_COMMAND, ID_PAGE_PREVIOUS, 0);
  EXPECT_EQ(0u, v->m_nPageTopRow);
  frame->SendMessage(WM_COMMAND, ID_PAGE_PREVIOUS, 0);
  EXPECT_EQ("r2000\t2000", FirstShownLine(v));
  for (CDvkView* o : others) {
    EXPECT_EQ("r2000\t2000", FirstShownLine(o));
    EXPECT_EQ(2000u, o->m_nPageTopRow);
  }
}

TEST_F(CsvSortPageTest, ASortWithoutMemoryReportsAndLeavesTheTable) {
  CDvkView* v = OpenTable(PriceTable());
  ASSERT_NE(nullptr, v);
  const std::string before = ControlText(v);
  const std::uint32_t len = v->m_table.m_nTextLen;
  CaretTo(v, 3, 1);
  fw::hooks::ExpectMessageBox("", IDOK);
  fw::alloctest::Reset();
  fw::alloctest::FailFrom(1);
  frame->SendMessage(WM_COMMAND, ID_CSV_SORT_ASCENDING, 0);
  const long failed = fw::alloctest::Failed();
  fw::alloctest::Reset();
  EXPECT_GT(failed, 0);
  EXPECT_TRUE(fw::hooks::Unused().empty());
  EXPECT_EQ(before, ControlText(v));
  EXPECT_EQ(len, v->m_table.m_nTextLen);
  EXPECT_EQ(0, v->m_nLastSort);
  EXPECT_FALSE(v->GetRichEditCtrl().GetModify());
  // With memory again the same press sorts.
  CaretTo(v, 3, 1);
  frame->SendMessage(WM_COMMAND, ID_CSV_SORT_ASCENDING, 0);
  EXPECT_EQ("-20", ColumnOf(v, 1).front());
}

TEST_F(CsvSortPageTest, AWholeTextPagesWithThePageKeysOfTheControl) {
  std::string t;
  for (int i = 0; i < 300; ++i) t += "text line " + std::to_string(i) + "\r\n";
  CDvkView* v = ShellFileTest::Open("p.txt", t);
  ASSERT_NE(nullptr, v);
  frame->ActivateTextPane(0, 0);
  CRichEditCtrl& ctrl = v->GetRichEditCtrl();
  ASSERT_EQ(0u, v->m_bShownInPart);
  ASSERT_EQ(0, ctrl.GetFirstVisibleLine());
  frame->SendMessage(WM_COMMAND, ID_PAGE_NEXT, 0);
  long s = 0, e = 0;
  ctrl.GetSel(s, e);
  const int down = ctrl.LineFromChar(s);
  EXPECT_GT(down, 3);
  frame->SendMessage(WM_COMMAND, ID_PAGE_PREVIOUS, 0);
  ctrl.GetSel(s, e);
  EXPECT_LT(ctrl.LineFromChar(s), down);
  // Split: the pane scrolls by a page (WM_VSCROLL), and so do the others.
  v->OnSplitWindow();
  ASSERT_NE(0u, v->m_nSplitKind);
  ctrl.LineScroll(-ctrl.GetFirstVisibleLine());
  frame->SendMessage(WM_COMMAND, ID_PAGE_NEXT, 0);
  const int first = ctrl.GetFirstVisibleLine();
  EXPECT_GT(first, 0);
  for (CDvkView* o : v->OtherPanes()) EXPECT_EQ(first, o->GetRichEditCtrl().GetFirstVisibleLine());
}

// A text of 40 numbered lines shown in parts of at most 100 bytes.
class TextPartsTest : public CsvSortPageTest {
 protected:
  CDvkView* OpenInParts() {
    for (int i = 0; i < 40; ++i) text_ += "line " + std::to_string(i) + " of the text\r\n";  // 20-21 bytes
    path_ = File("long.txt");
    testsupport::WriteFileBytes(path_, text_);
    if (!StartIn("")) return nullptr;
    doc->m_nOutdata = 100;
    if (doc->OpenFile(path_.c_str(), docopen::OpenMode::kPlain) != 0) return nullptr;
    CDvkView* v = frame->GetTextView(0, 0);
    if (!v || !testsupport::PumpUntil([v] { return !v->LoadPending(); }, 10000)) return nullptr;
    frame->ActivateTextPane(0, 0);
    return v;
  }
  std::string text_;
  std::string path_;
};

TEST_F(TextPartsTest, NextAndPreviousShowTheNeighbouringParts) {
  CDvkView* v = OpenInParts();
  ASSERT_NE(nullptr, v);
  ASSERT_EQ(1u, v->m_bShownInPart);
  EXPECT_EQ("line 0 of the text", FirstShownLine(v));
  const std::uint32_t firstLen = v->m_nShownLength;
  frame->SendMessage(WM_COMMAND, ID_PAGE_NEXT, 0);
  EXPECT_EQ(firstLen, v->m_nShownStart);
  EXPECT_EQ(0u, ControlText(v).find(text_.substr(firstLen, 10)));
  EXPECT_LE(v->m_nShownLength, 100u);
  frame->SendMessage(WM_COMMAND, ID_PAGE_NEXT, 0);
  const std::uint32_t third = v->m_nShownStart;
  EXPECT_GT(third, firstLen);
  frame->SendMessage(WM_COMMAND, ID_PAGE_PREVIOUS, 0);
  EXPECT_EQ(firstLen, v->m_nShownStart);
  frame->SendMessage(WM_COMMAND, ID_PAGE_PREVIOUS, 0);
  EXPECT_EQ(0u, v->m_nShownStart);
  EXPECT_EQ("line 0 of the text", FirstShownLine(v));
  // Before the first part: the last part, which ends with the text.
  frame->SendMessage(WM_COMMAND, ID_PAGE_PREVIOUS, 0);
  EXPECT_EQ(text_.size(), v->m_nShownStart + v->m_nShownLength);
  EXPECT_EQ("line 39 of the text", Lines(ControlText(v)).back());
  EXPECT_TRUE(fw::hooks::Unexpected().empty());
}

TEST_F(TextPartsTest, AChangedPartAsksCancelStaysYesSavesTheWholeText) {
  CDvkView* v = OpenInParts();
  ASSERT_NE(nullptr, v);
  frame->SendMessage(WM_COMMAND, ID_PAGE_NEXT, 0);
  const std::uint32_t start = v->m_nShownStart;
  ASSERT_GT(start, 0u);
  CRichEditCtrl& ctrl = v->GetRichEditCtrl();
  ctrl.SetSel(0, 0);
  ctrl.ReplaceSel("EDIT ", TRUE);
  ctrl.SetModify(TRUE);
  const std::string shownBefore = ControlText(v);
  // Cancel: the part and its modified mark stay.
  fw::hooks::ExpectMessageBox("保存しますか", IDCANCEL);
  frame->SendMessage(WM_COMMAND, ID_PAGE_NEXT, 0);
  EXPECT_TRUE(fw::hooks::Unused().empty());
  EXPECT_EQ(start, v->m_nShownStart);
  EXPECT_EQ(shownBefore, ControlText(v));
  EXPECT_TRUE(ctrl.GetModify());
  // Yes: the whole text with the edit is saved (the text before the part
  // and after it too), and the file is opened again.
  fw::hooks::ExpectMessageBox("保存しますか", IDYES);
  frame->SendMessage(WM_COMMAND, ID_PAGE_NEXT, 0);
  EXPECT_TRUE(fw::hooks::Unused().empty());
  std::string expect = text_;
  expect.insert(start, "EDIT ");
  EXPECT_EQ(expect, testsupport::ReadFileBytes(path_));
  ASSERT_TRUE(testsupport::PumpUntil([v] { return !v->LoadPending(); }, 10000));
  EXPECT_EQ(expect, std::string(doc->m_pText, doc->m_nTextLen));
  EXPECT_EQ(0u, v->m_nShownStart);
  EXPECT_FALSE(ctrl.GetModify());
}

TEST_F(TextPartsTest, NoPagesOnWithoutSaving) {
  CDvkView* v = OpenInParts();
  ASSERT_NE(nullptr, v);
  CRichEditCtrl& ctrl = v->GetRichEditCtrl();
  ctrl.SetSel(0, 0);
  ctrl.ReplaceSel("EDIT ", TRUE);
  ctrl.SetModify(TRUE);
  fw::hooks::ExpectMessageBox("保存しますか", IDNO);
  frame->SendMessage(WM_COMMAND, ID_PAGE_NEXT, 0);
  EXPECT_TRUE(fw::hooks::Unused().empty());
  EXPECT_GT(v->m_nShownStart, 0u);
  EXPECT_EQ(text_, testsupport::ReadFileBytes(path_));
}

TEST_F(TextPartsTest, ASaveOfALaterPartKeepsTheTextBeforeIt) {
  CDvkView* v = OpenInParts();
  ASSERT_NE(nullptr, v);
  frame->SendMessage(WM_COMMAND, ID_PAGE_NEXT, 0);
  frame->SendMessage(WM_COMMAND, ID_PAGE_NEXT, 0);
  const std::uint32_t start = v->m_nShownStart;
  CRichEditCtrl& ctrl = v->GetRichEditCtrl();
  ctrl.SetSel(0, 0);
  ctrl.ReplaceSel("X", TRUE);
  ctrl.SetModify(TRUE);
  frame->SendMessage(WM_COMMAND, ID_FILE_SAVE, 0);
  std::string expect = text_;
  expect.insert(start, "X");
  EXPECT_EQ(expect, testsupport::ReadFileBytes(path_));
}

}  // namespace
