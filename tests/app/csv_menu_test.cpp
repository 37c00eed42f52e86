// The CSV menu of the menu bar in-process: its items and their status texts,
// the row and column commands in a CSV view and in a rich-text view, the
// full-width digits of the Edit menu in a table and in a text (with and
// without a selection, a bold digit keeping its format), and the quote
// display switch of the View menu.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/dvkdoc.h"
#include "csv/csv_table.h"
#include "fw/cmdui.h"
#include "res/resource.h"
#include "shell_fixture.h"
#include "view/dvkview.h"

namespace {

using shelltest::ControlText;
using shelltest::Lines;

// The items of the menu bar's popup whose caption is `caption`: id and text
// (0 for a separator).
struct Item {
  UINT id;
  std::string text;
};
std::vector<Item> PopupItems(HMENU bar, const char* caption) {
  std::vector<Item> out;
  for (int i = 0; i < GetMenuItemCount(bar); ++i) {
    char buf[256] = {};
    GetMenuStringA(bar, static_cast<UINT>(i), buf, sizeof buf, MF_BYPOSITION);
    HMENU sub = GetSubMenu(bar, i);
    if (!sub || std::strcmp(buf, caption) != 0) continue;
    for (int k = 0; k < GetMenuItemCount(sub); ++k) {
      char t[256] = {};
      GetMenuStringA(sub, static_cast<UINT>(k), t, sizeof t, MF_BYPOSITION);
      const UINT id = GetMenuItemID(sub, k);
      out.push_back({id == static_cast<UINT>(-1) ? 0u : id, t});
    }
  }
  return out;
}

class CsvMenuTest : public shelltest::ShellFileTest {
 protected:
  // The command's item as the frame shows it when the menu opens.
  bool Enabled(UINT id) {
    fw::RecordingCmdUI ui(id);
    ui.DoUpdate(frame, TRUE);
    return ui.enabled;
  }
  // A command chosen from the menu bar (the frame's update check first).
  void Choose(UINT id) { frame->SendMessage(WM_COMMAND, id, 0); }
  static std::string Pane0() { return g_pStatusBar ? g_pStatusBar->GetPaneText(0).Str() : std::string(); }
  static std::string Rtf(CDvkView* v) { return v->StreamOut(SF_RTF); }
  static bool Bold(CDvkView* v, long at) {
    v->GetRichEditCtrl().SetSel(at, at + 1);
    CHARFORMAT2A cf = {};
    cf.cbSize = sizeof cf;
    v->GetRichEditCtrl().GetSelectionCharFormat(cf);
    return (cf.dwMask & CFM_BOLD) && (cf.dwEffects & CFE_BOLD);
  }
};

TEST_F(CsvMenuTest, TheCsvMenuHoldsItsItemsWithTheirStatusTexts) {
  CDvkView* v = OpenTable("a,b\r\n1,2\r\n");
  ASSERT_NE(nullptr, v);
  const std::vector<Item> items = PopupItems(frame->GetMenuHandle(), "&CSV");
  std::vector<std::string> texts;
  std::vector<UINT> ids;
  for (const Item& it : items) {
    if (it.id == 0) continue;
    texts.push_back(it.text);
    ids.push_back(it.id);
  }
  const std::vector<std::string> want = {
      "行選択・列並替え(&D)", "列削除(&R)",   "列追加(&E)",   "後空白ｶｯﾄ(&C)",  "前空白ｶｯﾄ(&S)",      "\"\"ｶｯﾄ(&P)",     "\"\"追加(&Q)",
      "不足列追加(&F)", "行削除(&K)",   "行追加(&L)",     "行列入替え(&H)",     "CSV変換(&V)",    "ﾌｫｰﾏｯﾄｺﾋﾟｰ(&T)",
      "ﾌｧｲﾙ横ﾘﾝｸ連結(&J)", "ﾌｧｲﾙ縦連結(&A)", "置換ﾏｸﾛ実行(&X)\tCtrl+F5", "ﾏｸﾛ再開\tF5", "停止位置"};
  EXPECT_EQ(want, texts);
  const std::vector<UINT> wantIds = {ID_CSV_ROW_COLUMN_SELECT, ID_CSV_DELETE_COLUMN, ID_CSV_INSERT_COLUMN, ID_CSV_CUT_TRAILING, ID_CSV_CUT_LEADING,
                                     ID_CSV_CUT_QUOTES,    ID_CSV_ADD_QUOTES,    ID_CSV_ADD_MISSING_COLUMNS,
                                     ID_CSV_DELETE_ROW,    ID_CSV_INSERT_ROW,    ID_CSV_TRANSPOSE,
                                     ID_CSV_CONVERT,       ID_CSV_FORMAT_COPY,   ID_CSV_LINK_JOIN,
                                     ID_CSV_CONCAT_VERTICAL, ID_MACRO_DEBUG, ID_MACRO_RESUME,
                                     ID_MACRO_BREAKPOINT};
  EXPECT_EQ(wantIds, ids);
  // In a CSV view the built table items are live and the two conversions
  // grey (the macro debugger's items follow their own rules).
  for (UINT id : wantIds) {
    if (id == ID_MACRO_DEBUG || id == ID_MACRO_RESUME || id == ID_MACRO_BREAKPOINT) continue;
    EXPECT_EQ(id != ID_CSV_CONVERT && id != ID_CSV_FORMAT_COPY, Enabled(id)) << id;
  }

  // The Edit menu's digit item and the View menu's quote switch.
  bool digits = false, quotes = false;
  for (const Item& it : PopupItems(frame->GetMenuHandle(), "編集(&E)"))
    digits = digits || (it.id == ID_EDIT_DIGITS_TO_HALF && it.text == "数字全角→半角(&H)");
  for (const Item& it : PopupItems(frame->GetMenuHandle(), "表示(&V)"))
    quotes = quotes || (it.id == ID_CSV_HIDE_QUOTES && it.text == "\"\"非表示(&Q)");
  EXPECT_TRUE(digits);
  EXPECT_TRUE(quotes);

  // Highlighting an item shows its status text, a grey one too.
  HMENU bar = frame->GetMenuHandle();
  const struct {
    UINT id;
    const char* text;
  } prompts[] = {
      {ID_CSV_DELETE_COLUMN, "カーソル列を削除  ctrl+R  +shift : 1行のみ"},
      {ID_CSV_CONVERT, "テキストのデータ区切りを自動判別しＣＳＶ形式に変換する"},
      {ID_CSV_ADD_QUOTES, "前後に”を追加"},
      {ID_CSV_CUT_QUOTES, "前後の\"をカットする"},
      {ID_CSV_HIDE_QUOTES, "CSV形式データで各項目の\"\"を表示しない"},
  };
  for (const auto& p : prompts) {
    frame->SendMessage(WM_MENUSELECT, MAKEWPARAM(p.id, MF_STRING), reinterpret_cast<LPARAM>(bar));
    EXPECT_EQ(p.text, Pane0()) << p.id;
    frame->SendMessage(WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
  }
}

TEST_F(CsvMenuTest, RowAndColumnCommandsReachTheColumnCommandsInATable) {
  CDvkView* v = OpenTable("a,b,c\r\n1,2,3\r\n4,5,6\r\n7,8,9\r\n");
  ASSERT_NE(nullptr, v);
  CaretTo(v, 2, 1);
  Choose(ID_CSV_DELETE_ROW);
  EXPECT_EQ("a\tb\tc\n1\t2\t3\n7\t8\t9", ControlText(v));
  EXPECT_EQ(0, doc->m_nUpdateLockCount);
  CaretTo(v, 1, 1);
  Choose(ID_CSV_DELETE_COLUMN);
  EXPECT_EQ("a\tc\n1\t3\n7\t9", ControlText(v));
  CaretTo(v, 1, 1);
  Choose(ID_CSV_INSERT_ROW);
  EXPECT_EQ(3, v->m_table.m_nLastRow);
  EXPECT_EQ("1\t3", Lines(ControlText(v))[1]);
  EXPECT_EQ("7\t9", Lines(ControlText(v))[3]);
  // A column left of the caret's column.
  CaretTo(v, 1, 1);
  Choose(ID_CSV_INSERT_COLUMN);
  EXPECT_EQ(3u, v->m_table.m_nFieldCount);
  EXPECT_EQ("a", shelltest::Field(Lines(ControlText(v))[0], 0));
  EXPECT_EQ("c", shelltest::Field(Lines(ControlText(v))[0], 2));
  CaretTo(v, 1, 1);
  Choose(ID_CSV_DELETE_COLUMN);
  EXPECT_EQ("a\tc", Lines(ControlText(v))[0]);
  // A cell function on one cell works on the column's data rows.
  CDvkView* w = v;
  CaretTo(w, 1, 1);
  Choose(ID_CSV_ADD_QUOTES);
  EXPECT_EQ("\"3\"", shelltest::Field(Lines(ControlText(w))[1], 1));
  CaretTo(w, 1, 1);
  Choose(ID_CSV_CUT_QUOTES);
  EXPECT_EQ("3", shelltest::Field(Lines(ControlText(w))[1], 1));
  EXPECT_TRUE(doc->IsModified());
}

TEST_F(CsvMenuTest, ARichTextViewLeavesItsTextAndTheColumnCommandsAlone) {
  CDvkView* v = Open("t.rtf",
                     "{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl{\\f0\\fnil\\fcharset128 MS Gothic;}}\r\n"
                     "\\f0 a\\tab b\\par 1\\tab 2\\par 3\\tab 4\\par}");
  ASSERT_NE(nullptr, v);
  frame->ActivateTextPane(0, 0);
  ASSERT_EQ(4u, v->m_nFileKind);
  const std::string text = ControlText(v);
  const std::string rtf = Rtf(v);
  const std::string table = TableBytes(v);
  v->GetRichEditCtrl().SetSel(6, 6);
  for (UINT id : {ID_CSV_DELETE_ROW, ID_CSV_DELETE_COLUMN, ID_CSV_INSERT_ROW, ID_CSV_INSERT_COLUMN, ID_CSV_CUT_TRAILING}) {
    EXPECT_FALSE(Enabled(id)) << id;
    // Sent to the view itself, past the menu's state.
    v->SendMessage(WM_COMMAND, id, 0);
    EXPECT_EQ(text, ControlText(v)) << id;
    EXPECT_EQ(rtf, Rtf(v)) << id;
    EXPECT_EQ(table, TableBytes(v)) << id;
  }
  EXPECT_FALSE(v->GetRichEditCtrl().GetModify());
  EXPECT_EQ(0, v->m_nLastTableCmd);
  EXPECT_EQ(0, doc->m_nUpdateLockCount);
}

TEST_F(CsvMenuTest, DigitsInATableBecomeAsciiAndTheIndexFollows) {
  // Digits in a quoted cell with a comma and in a two-line cell, a 0xF0-led
  // character with trail 0x82 before a digit, and a second block whose
  // start moves.
  const std::string file =
      "名前,数\r\n"
      "a,１２\r\n"
      "b,\"３,４\"\r\n"
      "c,\"x５\r\n６y\"\r\n"
      "d,\xF0\x82\x82\x56\r\n"
      "!#\r\n"
      "k,v\r\n"
      "e,８９\r\n"
      "f,Ａ１\r\n";
  CDvkView* v = OpenTable(file);
  ASSERT_NE(nullptr, v);
  ASSERT_EQ(2u, v->m_table.BlockCount());
  const std::int32_t rows = v->m_table.m_nLastRow;
  const std::uint32_t len = v->m_table.m_nTextLen;
  v->m_nSortFlags = 0;
  Choose(ID_EDIT_DIGITS_TO_HALF);
  EXPECT_EQ(len - 10, v->m_table.m_nTextLen);
  EXPECT_EQ(rows, v->m_table.m_nLastRow);
  const std::vector<std::string> lines = Lines(ControlText(v));
  ASSERT_GE(lines.size(), 9u);
  EXPECT_EQ("a\t12", lines[1]);
  EXPECT_EQ("e\t89", lines[7]);
  EXPECT_EQ("f\tＡ1", lines[8]);
  EXPECT_EQ(std::string("d\t\xF0\x82") + "7", lines[4]);
  // The comma form writes the records back as records.
  EXPECT_EQ(std::string("名前,数\r\na,12\r\nb,\"3,4\"\r\nc,\"x5\r\n6y\"\r\nd,\xF0\x82") +
                "7\r\n!#\r\nk,v\r\ne,89\r\nf,Ａ1\r\n",
            v->m_table.FileText(csv::CommaFormKind::kComma));
  // The index is what a fresh scan of the new text gives.
  csv::Table fresh;
  ASSERT_TRUE(fresh.Assign(v->m_table.m_pTextBuf, v->m_table.m_nTextLen, 16));
  EXPECT_EQ(fresh.m_nLastRow, v->m_table.m_nLastRow);
  EXPECT_EQ(0, std::memcmp(fresh.m_aSecScanPos, v->m_table.m_aSecScanPos, sizeof fresh.m_aSecScanPos));
  EXPECT_EQ(0, std::memcmp(fresh.m_aSecOffset, v->m_table.m_aSecOffset, sizeof fresh.m_aSecOffset));
  EXPECT_EQ(0, std::memcmp(fresh.m_aSecInfoB, v->m_table.m_aSecInfoB, sizeof fresh.m_aSecInfoB));
  // The pane's sort bit, and the change is marked.
  EXPECT_NE(0u, v->m_nSortFlags & (1u << (doc->m_nActiveTextPane & 31)));
  EXPECT_TRUE(v->GetRichEditCtrl().GetModify());
  EXPECT_TRUE(doc->IsModified());
  // A second time nothing is left to change.
  const std::string after = TableBytes(v);
  Choose(ID_EDIT_DIGITS_TO_HALF);
  EXPECT_EQ(after, TableBytes(v));
}

TEST_F(CsvMenuTest, DigitsInATableTakeTheControlsEditsFirst) {
  CDvkView* v = OpenTable("a,b\r\n1,x\r\n");
  ASSERT_NE(nullptr, v);
  // Type a full-width digit into the cell "x".
  const int at = v->GetCellCharIndex(1, 1);
  ASSERT_GE(at, 0);
  v->GetRichEditCtrl().SetSel(at, at + 1);
  v->GetRichEditCtrl().ReplaceSel("７", TRUE);
  ASSERT_TRUE(v->GetRichEditCtrl().GetModify());
  Choose(ID_EDIT_DIGITS_TO_HALF);
  EXPECT_EQ("a\tb\n1\t7", ControlText(v));
  EXPECT_EQ(std::string("a\x06") + "b\r\n1\x06" "7\r\n", TableBytes(v));
}

TEST_F(CsvMenuTest, DigitsInATextTheSelectionThenTheWholeText) {
  CDvkView* v = Open("t.txt", "ab１２cd３\r\n４x５\r\n");
  ASSERT_NE(nullptr, v);
  frame->ActivateTextPane(0, 0);
  ASSERT_EQ(9u, v->m_nFileKind);
  EXPECT_TRUE(Enabled(ID_EDIT_DIGITS_TO_HALF));
  EXPECT_FALSE(Enabled(ID_CSV_DELETE_ROW));
  // The selection "２cd３\r４" (positions 3 to 9).
  v->GetRichEditCtrl().SetSel(3, 9);
  Choose(ID_EDIT_DIGITS_TO_HALF);
  EXPECT_EQ("ab１2cd3\n4x５", ControlText(v));
  long s = -1, e = -1;
  v->GetRichEditCtrl().GetSel(s, e);
  EXPECT_EQ(3, s);
  EXPECT_EQ(3, e);
  EXPECT_TRUE(v->GetRichEditCtrl().GetModify());
  EXPECT_EQ(0, doc->m_nUpdateLockCount);
  // No selection: the whole text, the caret to its start.
  v->GetRichEditCtrl().SetSel(5, 5);
  Choose(ID_EDIT_DIGITS_TO_HALF);
  EXPECT_EQ("ab12cd3\n4x5", ControlText(v));
  v->GetRichEditCtrl().GetSel(s, e);
  EXPECT_EQ(0, s);
  EXPECT_EQ(0, e);
  EXPECT_EQ(0, doc->m_nUpdateLockCount);
  // Undo takes the conversions back: the text as it was opened.
  for (int k = 0; k < 20 && v->GetRichEditCtrl().CanUndo(); ++k) v->GetRichEditCtrl().Undo();
  EXPECT_EQ("ab１２cd３\n４x５", ControlText(v));
}

TEST_F(CsvMenuTest, ABoldDigitKeepsItsFormat) {
  // "a", a bold "１", a plain "２", an italic "Ｂ".
  CDvkView* v = Open("b.rtf",
                     "{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl{\\f0\\fnil\\fcharset128 MS Gothic;}}\r\n"
                     "\\f0 a{\\b \\'82\\'50}\\'82\\'51{\\i \\'82\\'61}\\par}");
  ASSERT_NE(nullptr, v);
  frame->ActivateTextPane(0, 0);
  ASSERT_EQ(4u, v->m_nFileKind);
  ASSERT_EQ("a１２Ｂ", ControlText(v));
  v->GetRichEditCtrl().SetSel(0, 0);
  Choose(ID_EDIT_DIGITS_TO_HALF);
  EXPECT_EQ("a12Ｂ", ControlText(v));
  EXPECT_FALSE(Bold(v, 0));
  EXPECT_TRUE(Bold(v, 1));
  EXPECT_FALSE(Bold(v, 2));
  v->GetRichEditCtrl().SetSel(3, 4);
  CHARFORMAT2A cf = {};
  cf.cbSize = sizeof cf;
  v->GetRichEditCtrl().GetSelectionCharFormat(cf);
  EXPECT_TRUE((cf.dwMask & CFM_ITALIC) && (cf.dwEffects & CFE_ITALIC));
}

TEST_F(CsvMenuTest, TheQuoteSwitchTwiceRestoresTheDisplay) {
  CDvkView* v = OpenTable("\"a\",\"b\"\r\n\"1\",2\r\n");
  ASSERT_NE(nullptr, v);
  const std::string shown = ControlText(v);
  const bool hidden = doc->m_bHideQuotes == 1;
  Choose(ID_CSV_HIDE_QUOTES);
  EXPECT_NE(shown, ControlText(v));
  EXPECT_NE(hidden, doc->m_bHideQuotes == 1);
  Choose(ID_CSV_HIDE_QUOTES);
  EXPECT_EQ(shown, ControlText(v));
  EXPECT_EQ(hidden, doc->m_bHideQuotes == 1);
}

}  // namespace
