// The CSV column commands in-process: the narrowing selection from the
// right-click menu with its undo and snapshot files, the totals boxes, the
// checks and marks, row and column insertion and deletion under the update
// lock, the totals by item, the fixed title row, the column find and the
// title button.
//
// The expected rows and sums come from outside judges run on the same
// tables when the cases were written: sqlite3 for the selections and the
// GROUP BY, Python's decimal for the sums (the tables are made below by the
// same rules as the scripts made them).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/dvkdoc.h"
#include "csv/csv_colcmd.h"
#include "fw/alloc.h"
#include "fw/uihooks.h"
#include "macro/macro_state.h"
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

const char* const kBranches[] = {"東京", "大阪", "名古屋"};

// 支店,品名,単価,数量,区分: 16 rows; 区分 is A, B or a number.
std::string NarrowTable() {
  std::string t = "支店,品名,単価,数量,区分\r\n";
  for (int i = 0; i < 16; ++i) {
    const std::string k = i % 4 == 0 ? "A" : i % 4 == 1 ? "B" : std::to_string((i * 23) % 250);
    char item[16];
    std::snprintf(item, sizeof item, "item%02d", i);
    t += std::string(kBranches[i % 3]) + "," + item + "," + std::to_string((i * 37) % 200 + 10) + "," +
         std::to_string((i * 7) % 9 + 1) + "," + k + "\r\n";
  }
  return t;
}
// sqlite3 with the CSV imported into a NUMERIC column c5 (numbers become
// numbers, letters stay text, and a text compares above any number):
// SELECT c2 FROM t WHERE c5 = 'A' OR c5 > 100, and the rest.
const std::vector<std::string> kNarrowKept = {"item00", "item01", "item04", "item05", "item06", "item07",
                                              "item08", "item09", "item10", "item12", "item13"};
const std::vector<std::string> kNarrowRest = {"item02", "item03", "item11", "item14", "item15"};

// 品名,数量,単価,区分,金額: ten rows with decimal amounts in column 5.
const char* const kAmounts[] = {"1234.56", "-12.5", "0.07", "99999.99", "3", "250.1", "-0.01", "8.88", "12345.6", "7"};
std::string AmountTable() {
  std::string t = "品名,数量,単価,区分,金額\r\n";
  for (int i = 0; i < 10; ++i)
    t += "p" + std::to_string(i) + "," + std::to_string(i + 1) + ",10," + (std::atof(kAmounts[i]) > 100 ? "y" : "x") +
         "," + kAmounts[i] + "\r\n";
  return t;
}
// Python: sum(Decimal(a)) over all, and over the rows of 区分 y (the
// amounts above 100).
const char kAmountTotal[] = "113836.69";
const char kAmountTotalOver100[] = "113830.25";

// A number as the cell functions leave it: without thousands commas,
// quotes and the blanks of the alignment.
std::string WithoutCommas(std::string s) {
  std::string out;
  for (char c : s)
    if (c != ',' && c != '"' && c != ' ') out += c;
  return out;
}

// The value after "\ntotal\t" (up to the two blanks) of a Total box.
std::string TotalOf(const std::string& box) {
  const std::size_t p = box.find("\ntotal\t");
  if (p == std::string::npos) return std::string();
  const std::size_t b = p + 7;
  return WithoutCommas(box.substr(b, box.find("  ", b) - b));
}

class CsvColumnCommandsTest : public shelltest::ShellFileTest {
 protected:
  CDvkView* OpenTable(const std::string& text, const char* name = "shop.csv") {
    return ShellFileTest::OpenTable(text, name);
  }
  // A right press on cell (row, column) choosing `id` (0: dismissed).
  static void RightClick(CDvkView* v, int row, int column, unsigned id) {
    const int at = v->GetCellCharIndex(row, column);
    ASSERT_GE(at, 0);
    const CPoint p = v->GetRichEditCtrl().PosFromChar(at);
    fw::hooks::ExpectPopupMenu(id);
    v->SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(p.x + 2, p.y + 2));
  }
  static std::string MenuText(unsigned id) {
    for (const auto& it : fw::hooks::LastPopupMenu())
      if (it.id == id) return it.text;
    return "(none)";
  }
  static bool MenuGrayed(unsigned id) {
    for (const auto& it : fw::hooks::LastPopupMenu())
      if (it.id == id) return it.grayed;
    return false;
  }
  static void AnswerCondition(const std::string& cond, int answer = IDOK) {
    fw::hooks::ExpectDialog(IDD_NARROW_SELECT, [cond, answer](CDialog& d) -> int {
      d.SetDlgItemText(IDC_NARROW_COND, cond.c_str());
      return answer;
    });
  }
  std::string Scratch(const char* name) const { return File("TMP") + "\\" + name; }
  static std::string Pane0() { return g_pStatusBar ? g_pStatusBar->GetPaneText(0).Str() : std::string(); }
};

// --- narrowing and its undo -------------------------------------------------------

TEST_F(CsvColumnCommandsTest, NarrowingFromTheMenuSelectsUndoesDeletesChecksAndCancels) {
  const std::string file = NarrowTable();
  CDvkView* v = OpenTable(file);
  ASSERT_NE(nullptr, v);
  const std::string loaded = TableBytes(v);
  // Column 5 of row 3: the condition picks A or above 100.
  AnswerCondition("=A||>#100");
  RightClick(v, 3, 4, ID_CSV_NARROW_SELECT);
  EXPECT_EQ(kNarrowKept, ColumnOf(v, 1));
  EXPECT_EQ("支店\t品名\t単価\t数量\t区分", Lines(ControlText(v))[0]);
  EXPECT_TRUE(std::filesystem::exists(Scratch("TMP_select0101.csv")));
  EXPECT_EQ(1, v->m_nSelectUndoCount);
  EXPECT_TRUE(v->GetRichEditCtrl().GetModify());
  RightClick(v, 1, 0, 0);
  EXPECT_EQ("元に戻す\t1", MenuText(ID_CSV_UNDO_SELECT));

  // The undo gives the table back byte for byte.
  RightClick(v, 2, 1, ID_CSV_UNDO_SELECT);
  EXPECT_EQ(loaded, TableBytes(v));
  EXPECT_EQ(0, v->m_nSelectUndoCount);
  RightClick(v, 1, 0, 0);
  EXPECT_EQ("元に戻す", MenuText(ID_CSV_UNDO_SELECT));

  // The deletion keeps the other rows and the title row, whose text 区分
  // would match too (a text compares above 100).
  AnswerCondition("=A||>#100");
  RightClick(v, 3, 4, ID_CSV_NARROW_DELETE);
  EXPECT_EQ(kNarrowRest, ColumnOf(v, 1));
  EXPECT_EQ("支店\t品名\t単価\t数量\t区分", Lines(ControlText(v))[0]);
  RightClick(v, 2, 1, ID_CSV_UNDO_SELECT);
  EXPECT_EQ(loaded, TableBytes(v));

  // A condition the title does not meet keeps the title all the same.
  AnswerCondition("=B");
  RightClick(v, 3, 4, ID_CSV_NARROW_SELECT);
  EXPECT_EQ((std::vector<std::string>{"item01", "item05", "item09", "item13"}), ColumnOf(v, 1));
  EXPECT_EQ("支店\t品名\t単価\t数量\t区分", Lines(ControlText(v))[0]);
  RightClick(v, 2, 1, ID_CSV_UNDO_SELECT);
  EXPECT_EQ(loaded, TableBytes(v));

  // The check leaves the table and names the count and the last row.
  AnswerCondition("=A");
  RightClick(v, 3, 4, ID_CSV_SELECT_CHECK);
  EXPECT_EQ(loaded, TableBytes(v));
  EXPECT_EQ(1u, v->m_nEntryListMode);
  EXPECT_EQ(" Check 4 lines ( 14)", Pane0());  // rows 2, 6, 10, 14 (from 1) hold A
  EXPECT_EQ(0, v->m_nSelectUndoCount);

  // Cancel changes nothing.
  const long modifiedBefore = v->GetRichEditCtrl().GetModify();
  AnswerCondition("=B", IDCANCEL);
  RightClick(v, 3, 4, ID_CSV_NARROW_SELECT);
  EXPECT_EQ(loaded, TableBytes(v));
  EXPECT_EQ(0, v->m_nSelectUndoCount);
  EXPECT_EQ(modifiedBefore, v->GetRichEditCtrl().GetModify());
  EXPECT_EQ(0, doc->m_nUpdateLockCount);
}

TEST_F(CsvColumnCommandsTest, TwentyStepsUndoToSnapshotNineteenAndStaleOrForeignSnapshotsAreNeverRead) {
  std::string t = "k,v\r\n";
  for (int i = 0; i < 25; ++i) t += "r" + std::to_string(i) + "," + std::to_string(i) + "\r\n";
  CDvkView* v = OpenTable(t);
  ASSERT_NE(nullptr, v);
  // Step k drops row r(k-1).
  for (int k = 1; k <= 20; ++k) {
    CaretTo(v, 1, 0);
    AnswerCondition("!r" + std::to_string(k - 1));
    v->DoCsvColumnCommand(csv::kColNarrowSelect);
  }
  EXPECT_EQ(20, v->m_nSelectUndoCount);
  EXPECT_EQ(5u, ColumnOf(v, 0).size());
  EXPECT_FALSE(std::filesystem::exists(Scratch("TMP_select0120.csv")));
  // At 20: back to snapshot 19 (before step 19: r18 on), the counter at 18.
  v->DoCsvColumnCommand(csv::kColUndoSelect);
  EXPECT_EQ(18, v->m_nSelectUndoCount);
  EXPECT_EQ("r18", ColumnOf(v, 0).front());
  EXPECT_EQ(7u, ColumnOf(v, 0).size());
  EXPECT_NE(std::string::npos, Pane0().find("2 回分")) << Pane0();
  v->DoCsvColumnCommand(csv::kColUndoSelect);
  EXPECT_EQ(17, v->m_nSelectUndoCount);
  EXPECT_EQ("r17", ColumnOf(v, 0).front());

  // A new file's table: nothing recorded, so a stale snapshot 3 of an
  // earlier run stays unread even with a counter that names it.
  testsupport::WriteFileBytes(Scratch("TMP_select0103.csv"), "stale,table\r\n");
  testsupport::WriteFileBytes(File("other.csv"), "a,b\r\n1,2\r\n");
  doc->OpenFile(File("other.csv").c_str(), docopen::OpenMode::kPlain);
  ASSERT_TRUE(testsupport::PumpUntil([v] { return !v->LoadPending(); }, 10000));
  EXPECT_EQ(0, v->m_nSelectUndoCount);
  const std::string other = TableBytes(v);
  v->m_nSelectUndoCount = 3;
  v->DoCsvColumnCommand(csv::kColUndoSelect);
  EXPECT_EQ(other, TableBytes(v));
  EXPECT_EQ(3, v->m_nSelectUndoCount);
  EXPECT_NE(std::string::npos, Pane0().find("TMP_select0103.csv")) << Pane0();
}

TEST_F(CsvColumnCommandsTest, AFailedSnapshotKeepsTheCounterAndLaterCopiesUseTheirOwnNames) {
  CDvkView* v = OpenTable(NarrowTable());
  ASSERT_NE(nullptr, v);
  const std::string loaded = TableBytes(v);
  // A folder where the snapshot file would go: it cannot be written.
  ASSERT_TRUE(::CreateDirectoryA(File("TMP").c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
  ASSERT_TRUE(::CreateDirectoryA(Scratch("TMP_select0101.csv").c_str(), nullptr));
  CaretTo(v, 1, 4);
  AnswerCondition("=A");
  fw::hooks::ExpectMessageBox("絞込みの控え", IDOK);
  v->DoCsvColumnCommand(csv::kColNarrowSelect);
  EXPECT_EQ(0, v->m_nSelectUndoCount);
  EXPECT_EQ(loaded, TableBytes(v));
  // A second running copy writes "_2" names.
  doc->m_nInstanceNo = 2;
  CaretTo(v, 1, 4);
  AnswerCondition("=A");
  v->DoCsvColumnCommand(csv::kColNarrowSelect);
  EXPECT_EQ(1, v->m_nSelectUndoCount);
  EXPECT_TRUE(std::filesystem::exists(Scratch("TMP_select0101_2.csv")));
  v->DoCsvColumnCommand(csv::kColUndoSelect);
  EXPECT_EQ(loaded, TableBytes(v));
}

TEST_F(CsvColumnCommandsTest, UndoKeepsMultiLineCellsAndReadsAUtf8SourceAsItsOpenDid) {
  // UTF-8 with a quoted line break, a doubled quote and a quoted comma.
  const std::string utf8 =
      "\xE5\x90\x8D,\xE5\x82\x99\xE8\x80\x83\r\n"            // 名,備考
      "a,\"\xE4\xB8\x80\r\n\xE4\xBA\x8C\"\r\n"               // a,"一 CRLF 二"
      "b,\"say \"\"hi\"\", 1,234\"\r\n"
      "c,plain\r\n";
  CDvkView* v = OpenTable(utf8, "u8.csv");
  ASSERT_NE(nullptr, v);
  const std::string loaded = TableBytes(v);
  CaretTo(v, 1, 0);
  AnswerCondition("!a");
  v->DoCsvColumnCommand(csv::kColNarrowSelect);
  EXPECT_EQ((std::vector<std::string>{"b", "c"}), ColumnOf(v, 0));
  v->DoCsvColumnCommand(csv::kColUndoSelect);  // from the snapshot
  EXPECT_EQ(loaded, TableBytes(v));
  // At 0 the source file, decoded as UTF-8 again.
  v->DoCsvColumnCommand(csv::kColUndoSelect);
  EXPECT_EQ(loaded, TableBytes(v));
  EXPECT_EQ(0, v->m_nSelectUndoCount);
  EXPECT_FALSE(v->GetRichEditCtrl().GetModify());
}

// --- totals ------------------------------------------------------------------------

TEST_F(CsvColumnCommandsTest, TotalsOfAColumnAndOfTheCheckedRowsMatchDecimalSums) {
  CDvkView* v = OpenTable(AmountTable());
  ASSERT_NE(nullptr, v);
  const std::string loaded = TableBytes(v);
  const std::uint32_t title = v->m_table.m_nCurLine;
  CaretTo(v, 4, 4);
  fw::hooks::ExpectMessageBox("clmn", IDOK);
  v->DoCsvColumnCommand(csv::kColTotal);
  auto boxes = fw::hooks::MessageBoxTexts();
  ASSERT_EQ(1u, boxes.size());
  EXPECT_EQ(0u, boxes[0].find("clmn\t5\nline\t")) << boxes[0];
  EXPECT_EQ(kAmountTotal, TotalOf(boxes[0])) << boxes[0];
  EXPECT_NE(std::string::npos, boxes[0].find("\nnumber\t10  ")) << boxes[0];
  EXPECT_EQ(loaded, TableBytes(v));
  EXPECT_EQ(title, v->m_table.m_nCurLine);

  // Check the rows of 区分 y, then total column 5 over the checked rows.
  CaretTo(v, 1, 3);
  AnswerCondition("=y");
  v->DoCsvColumnCommand(csv::kColNarrowCheck);
  CaretTo(v, 1, 4);
  fw::hooks::ExpectMessageBox("[X] = 1", IDOK);
  v->DoCsvColumnCommand(csv::kColCheckedTotal);
  boxes = fw::hooks::MessageBoxTexts();
  ASSERT_EQ(2u, boxes.size());
  EXPECT_EQ(0u, boxes[1].find("clmn\t5\nline\t[X] = 1 \n")) << boxes[1];
  EXPECT_EQ(kAmountTotalOver100, TotalOf(boxes[1])) << boxes[1];
  EXPECT_NE(std::string::npos, boxes[1].find("\nnumber\t4  ")) << boxes[1];
  EXPECT_EQ(loaded, TableBytes(v));
}

TEST_F(CsvColumnCommandsTest, ATotalBeyondSixtyFourBitsShowsOverflowNeverAWrappedNumber) {
  CDvkView* v = OpenTable("k,v\r\na,9000000000000000000\r\nb,9000000000000000000\r\nc,1\r\n");
  ASSERT_NE(nullptr, v);
  CaretTo(v, 2, 1);
  fw::hooks::ExpectMessageBox("clmn", IDOK);
  v->DoCsvColumnCommand(csv::kColTotal);
  auto boxes = fw::hooks::MessageBoxTexts();
  ASSERT_EQ(1u, boxes.size());
  EXPECT_NE(std::string::npos, boxes[0].find("\ntotal\toverflow  \n")) << boxes[0];
  // The checked rows' total of the same column overflows as well.
  CaretTo(v, 1, 0);
  AnswerCondition("!c");
  v->DoCsvColumnCommand(csv::kColNarrowCheck);
  CaretTo(v, 1, 1);
  fw::hooks::ExpectMessageBox("[X] = 1", IDOK);
  v->DoCsvColumnCommand(csv::kColCheckedTotal);
  boxes = fw::hooks::MessageBoxTexts();
  ASSERT_EQ(2u, boxes.size());
  EXPECT_NE(std::string::npos, boxes[1].find("\ntotal\toverflow  \n")) << boxes[1];
}

TEST_F(CsvColumnCommandsTest, ItemTotalsGiveOneRowPerBranchAsGroupByDoes) {
  std::string t = "支店,品名,単価,数量\r\n";
  for (int i = 0; i < 10; ++i)
    t += std::string(kBranches[i % 3]) + ",item" + std::to_string(i) + "," + std::to_string((i * 37) % 200 + 10) +
         "," + std::to_string((i * 7) % 9 + 1) + "\r\n";
  CDvkView* v = OpenTable(t);
  ASSERT_NE(nullptr, v);
  CaretTo(v, 2, 0);
  v->DoCsvColumnCommand(csv::kColItemTotals);
  // sqlite3: SELECT 支店, count(*), sum(単価), sum(数量) GROUP BY 支店.
  struct Group {
    const char* branch;
    const char* count;
    const char* price;
    const char* qty;
  };
  const Group want[] = {{"名古屋", "3", "385", "18"}, {"大阪", "3", "274", "15"}, {"東京", "4", "306", "13"}};
  const std::vector<std::string> lines = Lines(ControlText(v));
  for (const Group& g : want) {
    bool found = false;
    for (const std::string& line : lines) {
      if (Field(line, 0) != g.branch) continue;
      found = true;
      EXPECT_EQ(g.count, WithoutCommas(Field(line, 1))) << line;
      EXPECT_EQ(g.price, WithoutCommas(Field(line, 2))) << line;
      EXPECT_EQ(g.qty, WithoutCommas(Field(line, 3))) << line;
    }
    EXPECT_TRUE(found) << g.branch << "\n" << ControlText(v);
  }
  EXPECT_EQ(std::string::npos, ControlText(v).find("item")) << ControlText(v);
}

TEST_F(CsvColumnCommandsTest, CellFunctionsWorkOnTheColumnOrTheBlock) {
  CDvkView* v = OpenTable("k,v,w\r\na,1234567,x\r\nb,12,y\r\nc,-98765.5,z\r\n");
  ASSERT_NE(nullptr, v);
  // One cell: the whole data column gets its thousands commas.
  CaretTo(v, 2, 1);
  RightClick(v, 2, 1, ID_CSV_THOUSANDS);
  const std::vector<std::string> values = ColumnOf(v, 1);
  ASSERT_EQ(3u, values.size());
  // The digit groups get their commas (never another byte in their place),
  // aligned right in the column's width.
  EXPECT_NE(std::string::npos, values[0].find("1,234,567")) << values[0];
  EXPECT_NE(std::string::npos, values[2].find("-98,765.5")) << values[2];
  EXPECT_EQ(std::string::npos, values[0].find(':')) << values[0];
  EXPECT_EQ("12", WithoutCommas(values[1]));
  // A save writes a cell with commas quoted: it reads back as one cell.
  const std::string saved = v->m_table.FileText(csv::CommaFormKind::kComma);
  EXPECT_NE(std::string::npos, saved.find("\"" + values[0] + "\"")) << saved;
  EXPECT_EQ((std::vector<std::string>{"x", "y", "z"}), ColumnOf(v, 2));
  EXPECT_EQ("k\tv\tw", Lines(ControlText(v))[0]);  // the title row is left alone
  EXPECT_TRUE(v->GetRichEditCtrl().GetModify());
  // Quotes added to a block of two cells, then cut again.
  CaretTo(v, 1, 2);
  v->m_nSelAnchorColumn = 2;
  v->m_nSelAnchorRow = 2;
  v->DoCsvColumnCommand(csv::kColAddQuotesMenu);
  EXPECT_EQ((std::vector<std::string>{"\"x\"", "\"y\"", "z"}), ColumnOf(v, 2));
  v->DoCsvColumnCommand(csv::kColCutQuotesMenu);
  EXPECT_EQ((std::vector<std::string>{"x", "y", "z"}), ColumnOf(v, 2));
  EXPECT_EQ(0, doc->m_nUpdateLockCount);
}

// --- checks and marks ------------------------------------------------------------------

TEST_F(CsvColumnCommandsTest, ChecksBecomeMarksAndMarksBecomeChecksAgain) {
  CDvkView* v = OpenTable(NarrowTable());
  ASSERT_NE(nullptr, v);
  CaretTo(v, 1, 4);
  AnswerCondition("=B");
  v->DoCsvColumnCommand(csv::kColNarrowCheck);
  std::vector<std::uint32_t> checked;
  for (std::uint32_t i = 0; i < v->UsedEnd(); ++i)
    if (v->Entry(i)) checked.push_back(v->Entry(i));
  ASSERT_EQ(4u, checked.size());
  // Check to mark: a column X in front, "1" in the checked rows.
  v->DoCsvColumnCommand(csv::kColCheckToMark);
  const std::vector<std::string> marks = ColumnOf(v, 0);
  const std::vector<std::string> kinds = ColumnOf(v, 5);
  ASSERT_EQ(16u, marks.size());
  for (std::size_t i = 0; i < marks.size(); ++i)
    EXPECT_EQ(kinds[i] == "B" ? "\"1\"" : "\" \"", marks[i]) << i;
  EXPECT_EQ(0u, v->m_nEntryListMode);
  // Clear, then mark to check: the same rows.
  v->DoCsvColumnCommand(csv::kColClearChecks);
  EXPECT_EQ(0u, v->m_nEntryListMode);
  v->DoCsvColumnCommand(csv::kColMarkToCheck);
  EXPECT_EQ(1u, v->m_nEntryListMode);
  std::vector<std::uint32_t> again;
  for (std::uint32_t i = 0; i < v->UsedEnd(); ++i)
    if (v->Entry(i)) again.push_back(v->Entry(i));
  EXPECT_EQ(checked, again);
  // ﾁｪｯｸ解除 in a split view clears the other panes' checks too.
  v->OnSplitWindow();
  const std::vector<CDvkView*> others = v->OtherPanes();
  ASSERT_FALSE(others.empty());
  for (CDvkView* o : others) {
    o->m_nEntryListMode = 1;
    o->m_nEntryListPos = 2;
  }
  v->SendMessage(WM_COMMAND, ID_CSV_CLEAR_CHECKS);
  EXPECT_EQ(0u, v->m_nEntryListMode);
  for (CDvkView* o : others) {
    EXPECT_EQ(0u, o->m_nEntryListMode);
    EXPECT_EQ(0u, o->UsedEnd() ? o->Entry(1) : 0u);
  }
  EXPECT_EQ(0, doc->m_nUpdateLockCount);
}

// --- rows and columns ---------------------------------------------------------------------

TEST_F(CsvColumnCommandsTest, ColumnsAndRowsAreInsertedAndDeletedUnderTheLock) {
  CDvkView* v = OpenTable("a,b,c\r\n1,2,3\r\n4,5,6\r\n7,8,9\r\n");
  ASSERT_NE(nullptr, v);
  macro::MacroState& ms = v->Macro();
  // Column 3: only the insertion runs.
  ms.m_strStmtCommand = "untouched";
  CaretTo(v, 1, 2);
  v->DoCsvColumnCommand(csv::kColInsertColumn);
  EXPECT_EQ("a\tb\tA003\tc", Lines(ControlText(v))[0]);
  EXPECT_EQ("untouched", ms.m_strStmtCommand.Str());
  EXPECT_EQ(0, doc->m_nUpdateLockCount);
  // Column 1: the statement moving the first column runs through the
  // interpreter as well.
  CaretTo(v, 1, 0);
  v->DoCsvColumnCommand(csv::kColInsertColumn);
  EXPECT_NE(std::string::npos, ms.m_strStmtCommand.Str().find("#RG")) << ms.m_strStmtCommand.Str();
  EXPECT_EQ(0, doc->m_nUpdateLockCount);
  // Delete both new columns again.
  CaretTo(v, 1, 0);
  v->DoCsvColumnCommand(csv::kColDeleteColumn);
  CaretTo(v, 1, 2);
  v->DoCsvColumnCommand(csv::kColDeleteColumn);
  EXPECT_EQ("a\tb\tc\n1\t2\t3\n4\t5\t6\n7\t8\t9", ControlText(v));
  EXPECT_EQ(0, doc->m_nUpdateLockCount);
  EXPECT_TRUE(doc->IsModified());

  // Checks of rows 2, 3 and 4 (numbered from 1 as the check statement
  // writes them: "1,2,3" is row 2); delete row 3.
  v->m_pEntryList[1] = 2;
  v->m_pEntryList[2] = 3;
  v->m_pEntryList[3] = 4;
  v->m_nEntryListPos = 4;
  v->m_nEntryListMode = 1;
  CaretTo(v, 2, 1);
  v->DoCsvColumnCommand(csv::kColDeleteRows);
  EXPECT_EQ("a\tb\tc\n1\t2\t3\n7\t8\t9", ControlText(v));
  EXPECT_EQ(2u, v->Entry(1));
  EXPECT_EQ(0u, v->Entry(2));
  EXPECT_EQ(3u, v->Entry(3));
  EXPECT_EQ(1u, v->m_nEntryListMode);
  EXPECT_EQ(0, doc->m_nUpdateLockCount);

  // A row below the caret's row, the check below it raised.
  CaretTo(v, 1, 1);
  v->DoCsvColumnCommand(csv::kColInsertRow);
  EXPECT_EQ(3, v->m_table.m_nLastRow);
  EXPECT_EQ("1\t2\t3", Lines(ControlText(v))[1]);
  EXPECT_EQ("", WithoutCommas(Field(Lines(ControlText(v))[2], 0)));
  EXPECT_EQ("7\t8\t9", Lines(ControlText(v))[3]);
  EXPECT_EQ(2u, v->Entry(1));
  EXPECT_EQ(4u, v->Entry(3));
  // At a line start the new row goes above.
  const int lineStart = v->GetRichEditCtrl().LineIndex(1);
  v->GetRichEditCtrl().SetSel(lineStart, lineStart);
  v->DoCsvColumnCommand(csv::kColInsertRow);
  EXPECT_EQ(4, v->m_table.m_nLastRow);
  EXPECT_EQ("1\t2\t3", Lines(ControlText(v))[2]);
  EXPECT_EQ(3u, v->Entry(1));
  EXPECT_EQ(0, doc->m_nUpdateLockCount);

  // A memory failure of the insertion keeps the table and its last row.
  const std::string before = TableBytes(v);
  CaretTo(v, 1, 1);
  bool failedOnce = false;
  for (long n = 1; n < 40 && !failedOnce; ++n) {
    fw::alloctest::Reset();
    fw::alloctest::FailAt(n);
    fw::hooks::ExpectMessageBox("", IDOK);
    v->DoCsvColumnCommand(csv::kColInsertRow);
    fw::alloctest::Reset();
    if (v->m_table.m_nLastRow == 4) {
      failedOnce = true;
      EXPECT_EQ(before, TableBytes(v));
    } else {
      ASSERT_EQ(5, v->m_table.m_nLastRow);
      CaretTo(v, 2, 1);
      v->DoCsvColumnCommand(csv::kColDeleteRows);
      CaretTo(v, 1, 1);
    }
    fw::hooks::Reset();
    EXPECT_EQ(0, doc->m_nUpdateLockCount);
  }
  EXPECT_TRUE(failedOnce);
}

// --- title row, find, title button, block from the menu -----------------------------------------

TEST_F(CsvColumnCommandsTest, TheTitleRowIsFixedAndReleasedFromTheMenu) {
  CDvkView* v = OpenTable("note\r\nk,v\r\n1,2\r\n");
  ASSERT_NE(nullptr, v);
  RightClick(v, 1, 0, ID_CSV_TITLE_FIX);
  EXPECT_EQ(1u, v->m_bTitleRowFixed);
  EXPECT_EQ(2u, v->m_table.m_nCurLine);
  RightClick(v, 1, 0, 0);
  EXPECT_EQ("ﾀｲﾄﾙ行自動\t2", MenuText(ID_CSV_TITLE_AUTO));
  EXPECT_EQ("(none)", MenuText(ID_CSV_TITLE_FIX));
  RightClick(v, 1, 0, ID_CSV_TITLE_AUTO);
  EXPECT_EQ(0u, v->m_bTitleRowFixed);
  RightClick(v, 1, 0, 0);
  EXPECT_EQ(0u, MenuText(ID_CSV_TITLE_FIX).find("ﾀｲﾄﾙ行固定\t"));
}

TEST_F(CsvColumnCommandsTest, TheColumnFindOpensTheDialogWithTheColumn) {
  CDvkView* v = OpenTable(NarrowTable());
  ASSERT_NE(nullptr, v);
  v->m_nSearchFlags = 4 + 8 * 7;
  RightClick(v, 2, 3, ID_CSV_FIND_COLUMN);
  EXPECT_EQ(4u + (3u + 1u) * 8u, v->m_nSearchFlags);
  EXPECT_NE(nullptr, v->FindDialog());
}

TEST_F(CsvColumnCommandsTest, TheMenuItemsAreLiveAndABlockRunsFromTheClickedCell) {
  CDvkView* v = OpenTable(AmountTable());
  ASSERT_NE(nullptr, v);
  RightClick(v, 1, 1, 0);
  for (unsigned id : {33104u, 33097u, 33103u, 33152u, 33099u, 33107u, 33108u, 33120u, 33119u, 33148u, 33149u,
                      33111u, 33110u, 33109u, 33195u, 33196u, 33197u, 33113u, 33207u})
    EXPECT_FALSE(MenuGrayed(id)) << id;
  EXPECT_EQ("\"\"ｶｯﾄ", MenuText(ID_CSV_QUOTE_CUT));
  EXPECT_EQ("\"\"追加", MenuText(ID_CSV_QUOTE_ADD));
  EXPECT_EQ("ﾁｪｯｸ解除", MenuText(ID_CSV_CLEAR_CHECKS));
  // A left click on one cell, a right press on another: the block between.
  const CPoint at = v->GetRichEditCtrl().PosFromChar(v->GetCellCharIndex(2, 1));
  v->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x + 2, at.y + 2));
  v->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(at.x + 2, at.y + 2));
  RightClick(v, 4, 4, 0);
  EXPECT_EQ(1u, v->m_nSelAnchorColumn);
  EXPECT_EQ(2u, v->m_nSelAnchorRow);
  EXPECT_EQ(4u, v->m_nCurColumn);
  EXPECT_EQ(4u, v->m_nCurRow);
  // Its total is the block's (columns 2-5, rows 3-5).
  fw::hooks::ExpectMessageBox("clmn\t2 - 5\nline\t3 - 5\n", IDOK);
  v->SendMessage(WM_COMMAND, ID_CSV_COLUMN_SUM);
}

TEST_F(CsvColumnCommandsTest, TheTitleButtonMovesThePageTop) {
  std::string t;
  for (int i = 0; i < 2500; ++i) t += "r" + std::to_string(i) + "," + std::to_string(i) + "\r\n";
  CDvkView* v = OpenTable(t);
  ASSERT_NE(nullptr, v);
  CRichEditCtrl& ctrl = v->GetRichEditCtrl();
  // At the top nothing moves.
  frame->SendMessage(WM_COMMAND, ID_CSV_SHOW_TITLE);
  EXPECT_EQ(0u, v->m_nPageTopRow);
  // Scrolled down: the page top moves down to the lines shown.
  CaretTo(v, 45, 0);
  ctrl.LineScroll(40 - ctrl.GetFirstVisibleLine());
  ASSERT_EQ(40, ctrl.GetFirstVisibleLine());
  frame->SendMessage(WM_COMMAND, ID_CSV_SHOW_TITLE);
  EXPECT_GT(v->m_nPageTopRow, 0u);
  EXPECT_EQ("r" + std::to_string(v->m_nPageTopRow) + "\t" + std::to_string(v->m_nPageTopRow), Lines(ControlText(v))[0]);
}

}  // namespace
