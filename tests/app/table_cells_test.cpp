// The ruled table's line and cell operations on the control: cells, thin
// lines, rows, spacing and the background mark.
#include <gtest/gtest.h>

#include <string>

#include "shell_fixture.h"
#include "view/dvkview.h"

namespace {

class TableCellsTest : public shelltest::ShellFileTest {
 protected:
  CDvkView* OpenRows() {
    CDvkView* v = Open("rows.txt", "a\tb\tc\td\r\nrule\r\ne\tf\tg\r\n\x82\xa0\tx\r\n");
    if (v) frame->ActivateTextPane(0, 0);
    return v;
  }
  static std::string Selected(CDvkView* v) { return v->GetRichEditCtrl().GetSelText().Str(); }
  static void Caret(CDvkView* v, long at) { v->GetRichEditCtrl().SetSel(at, at); }
};

TEST_F(TableCellsTest, TheCaretsCellAndItsMoveToAnotherLine) {
  CDvkView* v = OpenRows();
  ASSERT_NE(nullptr, v);
  Caret(v, 4);  // in "c"
  EXPECT_EQ(2, v->TableCaretCellIndex());
  // Two lines down: after the second TAB of "e\tf\tg".
  EXPECT_EQ(2, v->TableMoveCaretVertical(2, 0));
  long s = -1, e = -1;
  v->GetRichEditCtrl().GetSel(s, e);
  EXPECT_EQ(v->GetRichEditCtrl().LineIndex(2) + 4, s);
  // The cell after it does not exist there: the caret goes before the end.
  Caret(v, 4);
  EXPECT_EQ(3, v->TableMoveCaretVertical(2, 1));
  // A double-byte first cell counts as one character.
  Caret(v, v->GetRichEditCtrl().LineIndex(3) + 2);
  EXPECT_EQ(1, v->TableCaretCellIndex());
}

TEST_F(TableCellsTest, CellsAreSelectedByNumber) {
  CDvkView* v = OpenRows();
  ASSERT_NE(nullptr, v);
  v->TableSelectCells(0, 2, 3);
  EXPECT_EQ("c\td", Selected(v));
  v->TableSelectCells(0, 1, 1);
  EXPECT_EQ("b", Selected(v));
  v->m_bCellSelectFromSeparator = 1;
  v->TableSelectCells(0, 2, 2);
  EXPECT_EQ("\tc", Selected(v));
  v->m_bCellSelectFromSeparator = 0;
  // No last cell: the caret two characters after the first cell's separator.
  v->TableSelectCells(2, 1, 0);
  long s = -1, e = -1;
  v->GetRichEditCtrl().GetSel(s, e);
  EXPECT_EQ(s, e);
  EXPECT_EQ(v->GetRichEditCtrl().LineIndex(2) + 3, s);
  // The column block's pixel range, still empty: nothing selected.
  v->TableSelectCells(0, -9999, 0);
  v->GetRichEditCtrl().GetSel(s, e);
  EXPECT_EQ(s, e);
}

TEST_F(TableCellsTest, ThinLinesRowsAndSpacing) {
  CDvkView* v = OpenRows();
  ASSERT_NE(nullptr, v);
  EXPECT_EQ(240, v->TableLineSpacing(1, 0));
  EXPECT_EQ(250, v->TableLineSpacing(1, 10));
  EXPECT_EQ(10, v->TableLineSpacing(1, -1000));  // never below 10 twips
  EXPECT_EQ(1, v->TableLineKind(1));
  EXPECT_EQ(0, v->TableLineKind(2));
  v->TableLineSpacing(2, -230);
  EXPECT_EQ(2, v->TableLineKind(1));
  // Rows counted over the rule lines: row 2 is line 3.
  EXPECT_EQ(0, v->TableRowToLine(1, 0));
  EXPECT_EQ(3, v->TableRowToLine(2, 0));
  EXPECT_EQ(4, v->TableRowToLine(2, 1));
  // A table whose first line is a rule: row 1 is the first real row.
  v->TableLineSpacing(0, -220);
  EXPECT_EQ(3, v->TableRowToLine(1, 0));
  // A line past the end is made first.
  const int count = v->GetRichEditCtrl().GetLineCount();
  EXPECT_EQ(0, v->TableLineKind(count + 1));
  EXPECT_GT(v->GetRichEditCtrl().GetLineCount(), count);
}

TEST_F(TableCellsTest, TheMarkIsSetReadAndInspectingKeepsTheSelection) {
  CDvkView* v = OpenRows();
  ASSERT_NE(nullptr, v);
  CRichEditCtrl& c = v->GetRichEditCtrl();
  v->TableLineSpacing(1, -220);  // "rule" is a thin line
  const long rule = c.LineIndex(1);
  c.SetSel(rule, rule + 4);
  v->TableSetCellMark(1, 0);  // colour 1, the mark
  c.SetSel(rule, rule);
  EXPECT_EQ(1, v->TableSetCellMark(9, 0));
  long s = -1, e = -1;
  c.GetSel(s, e);
  EXPECT_EQ(rule, s);
  EXPECT_EQ(rule, e);
  // Outside a thin line: 9.
  c.SetSel(0, 0);
  EXPECT_EQ(9, v->TableSetCellMark(9, 0));
  // Mode 2 turns the mark back into the background (the first character kept).
  c.SetSel(rule, rule + 4);
  EXPECT_EQ(1, v->TableSetCellMark(2, 0));
  c.SetSel(rule + 1, rule + 1);
  EXPECT_EQ(0, v->TableSetCellMark(9, 0));
}

}  // namespace
