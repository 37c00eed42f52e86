// The column commands' texts and arithmetic: narrowing statements (checked
// against the condition compiler too), the totals and item-totals
// statements, the block and row arithmetic, the row insertion plan against
// the row insertion itself, and the check and mark conversions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "csv/csv_colcmd.h"
#include "csv/csv_condcompile.h"
#include "csv/csv_rowinsert.h"
#include "csv/csv_selectundo.h"
#include "csv/csv_test_util.h"

namespace {

struct NarrowCase {
  const char* condition;
  int column;
  const char* command;
};

// Every form of a part, the joiners and the condition rewriting.
const NarrowCase kNarrowCases[] = {
    {"=A||>#100", 5, "&5==A || &5>#(100)"},
    {"(a||b)&&c", 2, "(&2=:a || &2=:b) && &2=:c"},
    {"", 3, "&3==NULL"},
    {"=U", 4, "&4==&UC || &4==&DC"},
    {"!U", 4, "&4!=&UC"},
    {"=U &&x", 1, "(&1==&UC || &1==&DC) && &1=:x"},
    {"!U ||y", 1, "(&1!=&UC) || &1=:y"},
    {"x||=U ", 1, "&1=:x || (&1==&UC || &1==&DC)"},
    {"NULL", 5, "&5==NULL"},
    {"NULLQ", 5, "&5==NULLQ"},
    {"\"\"", 5, "&5==\"\""},
    {">=#5", 5, "&5>=#(5)"},
    {"<=#-1.5", 5, "&5<=#(-1.5)"},
    {"==#7", 5, "&5==#(7)"},
    {"!=#0", 5, "&5!=#(0)"},
    {"==abc", 5, "&5==abc"},
    {">=b", 5, "&5>=b"},
    {"!=q", 5, "&5!=q"},
    {">#100", 5, "&5>#(100)"},
    {"<#3", 5, "&5<#(3)"},
    {"=#3", 5, "&5=#(3)"},
    {"!#3", 5, "&5!#(3)"},
    {"=A", 5, "&5==A"},
    {"!A", 5, "&5!=A"},
    {">A", 5, "&5>$A"},
    {"<A", 5, "&5<$A"},
    {"abc", 12, "&12=:abc"},
    {"|A", 5, "&5=:|A"},
    {"A|", 5, "&5=:A|"},
    {"=", 5, "&5=="},
    {">", 5, "&5>$"},
    // Blanks next to the joiners go (one on each side, in one pass).
    {"a || b", 5, "&5=:a || &5=:b"},
    {"a && b", 5, "&5=:a && &5=:b"},
    {"a  ||  b", 5, "&5=:a  || &5=: b"},
    {"=A || =B && >#3", 7, "&7==A || &7==B && &7>#(3)"},
    // The earlier joiner ends the part.
    {"a&&b||c", 5, "&5=:a && &5=:b || &5=:c"},
    // Odd texts: a leading joiner keeps the whole rest, a trailing one stays.
    {"||a", 5, "&5=:||a"},
    {"a||", 5, "&5=:a || "},
    {"(", 5, "(&5==NULL"},
    {"((a||b))", 5, "((&5=:a || &5=:b))"},
};

TEST(ColumnCommandNarrow, StatementTable) {
  for (const NarrowCase& c : kNarrowCases)
    EXPECT_EQ(c.command, csv::BuildNarrowCommand(c.condition, c.column)) << "condition [" << c.condition << "]";
}

TEST(ColumnCommandNarrow, Rewriting) {
  EXPECT_EQ("NULL", csv::RewriteNarrowCondition(""));
  EXPECT_EQ("=&UC||=&DC", csv::RewriteNarrowCondition("=U"));
  EXPECT_EQ("!=&UC", csv::RewriteNarrowCondition("!U"));
  EXPECT_EQ("=Ux", csv::RewriteNarrowCondition("=Ux"));
  EXPECT_EQ("(=&UC||=&DC)&&(!=&UC)&&x", csv::RewriteNarrowCondition("=U && !U && x"));
  // "=U" without a blank after it inside a longer text is a plain value.
  EXPECT_EQ("a||=U", csv::RewriteNarrowCondition("a || =U"));
  EXPECT_EQ("a||b&&c", csv::RewriteNarrowCondition("a ||b&& c"));
}

// The statements the narrowing runs compile as conditions of "&SL".
TEST(ColumnCommandNarrow, CompilerTakesTheStatements) {
  for (const char* condition : {"=A||>#100", "(a||b)&&c", "", "=U", "!U", "=U &&x", "NULL", ">=#5", "!A", ">A"}) {
    const csv::CompiledCondition cc = csv::CompileCondition(csv::BuildNarrowCommand(condition, 3), "&SL");
    EXPECT_EQ(csv::kCondOk, cc.status) << condition;
    EXPECT_EQ(csv::kCondSelect, cc.mode) << condition;
  }
  EXPECT_EQ(2u, csv::CompileCondition(csv::BuildNarrowCommand("=A||>#100", 5), "&SL").pieces.size());
  EXPECT_STREQ("&SL", csv::NarrowOperand(csv::kColNarrowSelect));
  EXPECT_STREQ("&KL", csv::NarrowOperand(csv::kColNarrowDelete));
  EXPECT_STREQ("&CKL", csv::NarrowOperand(csv::kColNarrowCheck));
  EXPECT_STREQ("", csv::NarrowOperand(csv::kColTotal));
}

TEST(ColumnCommandMap, IdsCodesAndFunctions) {
  EXPECT_EQ(0, csv::ColumnCommandCode(33097));
  EXPECT_EQ(1, csv::ColumnCommandCode(33099));
  EXPECT_EQ(18, csv::ColumnCommandCode(33149));
  EXPECT_EQ(19, csv::ColumnCommandCode(33152));
  EXPECT_EQ(28, csv::ColumnCommandCode(33207));
  EXPECT_EQ(28, csv::ColumnCommandCode(33208));
  EXPECT_EQ(11, csv::ColumnCommandCode(33036));
  EXPECT_EQ(14, csv::ColumnCommandCode(33051));
  EXPECT_EQ(-1, csv::ColumnCommandCode(33098));
  EXPECT_EQ(-1, csv::ColumnCommandCode(0));
  EXPECT_STREQ("AC", csv::ColumnCommandFunction(10));
  EXPECT_STREQ("MA", csv::ColumnCommandFunction(27));
  EXPECT_STREQ("AQ", csv::ColumnCommandFunction(21));
  EXPECT_EQ(nullptr, csv::ColumnCommandFunction(8));
  EXPECT_EQ(nullptr, csv::ColumnCommandFunction(20));
  for (int code = -1; code <= 30; ++code)
    EXPECT_EQ(csv::IsCellFunctionCode(code), csv::ColumnCommandFunction(code) != nullptr) << code;
}

// ---------------------------------------------------------------------------

csv::ColumnCommandPlace Place(int col, int row, int anchorCol, int anchorRow) {
  csv::ColumnCommandPlace p;
  p.curColumn = col;
  p.curRow = row;
  p.anchorColumn = anchorCol;
  p.anchorRow = anchorRow;
  p.titleLine = 1;
  p.lastRow = 9;
  p.fieldCount = 8;
  return p;
}

TEST(ColumnCommandTotal, FourAddressForms) {
  // One cell: the whole data column.
  csv::ColumnCommandPlace p = Place(4, 2, 4, 2);
  csv::TotalStatement t = csv::ColumnTotalStatement(p, csv::CommandBlock(p));
  EXPECT_EQ("&5#SUM@2_10", t.address);
  EXPECT_EQ(9, t.count);
  EXPECT_EQ("clmn\t5\nline\t2 - 10\n", t.header);
  // One column, several rows (page line base added, 1-based).
  p = Place(4, 2, 4, 5);
  p.pageLineBase = 10;
  t = csv::ColumnTotalStatement(p, csv::CommandBlock(p));
  EXPECT_EQ("&5#SUM@13_16", t.address);
  EXPECT_EQ(4, t.count);
  EXPECT_EQ("clmn\t5\nline\t13 - 16\n", t.header);
  // One row, several columns: the row is 1-based too.
  p = Place(4, 2, 1, 2);
  t = csv::ColumnTotalStatement(p, csv::CommandBlock(p));
  EXPECT_EQ("&1@3#SUM2_5", t.address);
  EXPECT_EQ(4, t.count);
  EXPECT_EQ("clmn\t2 - 5\nline\t3\n", t.header);
  // A block.
  p = Place(2, 3, 5, 6);
  t = csv::ColumnTotalStatement(p, csv::CommandBlock(p));
  EXPECT_EQ("#(<<&3-6@4-7|&@+>>)", t.address);
  EXPECT_EQ(16, t.count);
  EXPECT_EQ("clmn\t3 - 6\nline\t4 - 7\n", t.header);
  // The shown column page moves every column.
  p = Place(4, 2, 4, 2);
  p.columnPageWord = 0x00050002u;
  EXPECT_EQ("&7#SUM@2_10", csv::ColumnTotalStatement(p, csv::CommandBlock(p)).address);
}

TEST(ColumnCommandTotal, RuledTableColumnsAreOneLower) {
  csv::ColumnCommandPlace p = Place(4, 2, 4, 2);
  p.editMode = 3;
  csv::TotalStatement t = csv::ColumnTotalStatement(p, csv::CommandBlock(p));
  EXPECT_EQ("&4#SUM@2_10", t.address);
  EXPECT_EQ("clmn\t4\nline\t2 - 10\n", t.header);
  p = Place(2, 3, 5, 3);
  p.editMode = 3;
  t = csv::ColumnTotalStatement(p, csv::CommandBlock(p));
  EXPECT_EQ("&1@4#SUM2_5", t.address);
  EXPECT_EQ("clmn\t2 - 5\nline\t4\n", t.header);
  p = Place(2, 3, 5, 6);
  p.editMode = 3;
  EXPECT_EQ("#(<<&2-5@4-7|&@+>>)", csv::ColumnTotalStatement(p, csv::CommandBlock(p)).address);
}

TEST(ColumnCommandTotal, MessagesAndCheckedTotal) {
  EXPECT_EQ("clmn\t5\nline\t2 - 10\n\ntotal\t1,234.5  \nnumber\t9  ",
            csv::TotalMessage("clmn\t5\nline\t2 - 10\n", "\"1,234.5\"", "9"));
  EXPECT_EQ("clmn\t2 - 5\nline\t3\n\ntotal\toverflow  \nnumber\t4  ",
            csv::TotalMessage("clmn\t2 - 5\nline\t3\n", "overflow", "4"));
  EXPECT_STREQ("&1#CK==1", csv::kCheckedTotalCommand);
  EXPECT_EQ("&D10==&4 || &D171==#(&D171+&D10) || &D172==#(&D172+1)", csv::CheckedTotalOperand(4));
  EXPECT_EQ("clmn\t4\nline\t[X] = 1 \n", csv::CheckedTotalHeader(4));
}

TEST(ColumnCommandItems, OneAndTwoColumns) {
  csv::ItemTotalsPlan p = csv::PlanItemTotals(3, 3, 1, 9);
  EXPECT_FALSE(p.twoColumns);
  EXPECT_EQ("&1L+N\\;M=", p.markCommand);
  EXPECT_EQ("1\\;-1", p.markOperand);
  EXPECT_EQ("5,*", p.columnOrder);
  EXPECT_EQ("&4_@1#NWD@2_10>$#4", p.wordFilter);
  EXPECT_EQ("&KR", p.wordFilterOperand);
  EXPECT_EQ(1, p.sortKeyCount);
  EXPECT_EQ(1, p.sortKeys[0]);
  EXPECT_EQ(1, p.crossMode);
  EXPECT_EQ("3", p.deleteList);

  p = csv::PlanItemTotals(2, 4, 2, 10);
  EXPECT_TRUE(p.twoColumns);
  EXPECT_EQ("4,6,*", p.columnOrder);
  EXPECT_EQ("&5_@2#NWD@3_11>$#5", p.wordFilter);
  EXPECT_EQ(2, p.sortKeyCount);
  EXPECT_EQ(2, p.sortKeys[0]);
  EXPECT_EQ(1, p.sortKeys[1]);
  EXPECT_EQ(2, p.crossMode);
  EXPECT_EQ("4", p.deleteList);
  // Half of the last row rounds down, also below 0.
  EXPECT_EQ("&4_@1#NWD@2_0>$#-1", csv::PlanItemTotals(1, 1, 1, -1).wordFilter);
}

TEST(ColumnCommandColumns, InsertLeftRightAndColumnOne) {
  csv::InsertColumnStatement s = csv::PlanInsertColumn(3, 5);
  EXPECT_EQ("&3L+A003=", s.command);
  EXPECT_EQ("\" \"", s.operand);
  EXPECT_FALSE(s.columnOne);
  s = csv::PlanInsertColumn(6, 5);
  EXPECT_EQ("&5R+A006=", s.command);
  EXPECT_FALSE(s.columnOne);
  s = csv::PlanInsertColumn(1, 5);
  EXPECT_EQ("&1L+A001=", s.command);
  EXPECT_TRUE(s.columnOne);
  EXPECT_STREQ("\t&2#RG1=^\t&1=&1+^+&2#RGA^^\r\n", csv::kColumnOneStatement);
  EXPECT_EQ("7", csv::DeleteColumnList(7));
  EXPECT_EQ("5", csv::DeleteRowsList(4, 0));
  EXPECT_EQ("5-7", csv::DeleteRowsList(4, 2));
}

// ---------------------------------------------------------------------------

TEST(ColumnCommandPlaceTest, CellAndBlocks) {
  csv::ColumnCommandPlace p = Place(3, 4, 3, 4);
  p.pageLineBase = 100;
  p.columnPageWord = 0x00070002u;
  csv::CommandCell c = csv::CommandCellOf(p, csv::kColNarrowSelect);
  EXPECT_EQ(6, c.dialogColumn);
  EXPECT_EQ(6, c.column);
  EXPECT_EQ(104, c.row);
  // Ruled display: narrowing columns one lower for the dialog, c = the
  // caret column after it; codes 11 and 12 work under the title row.
  p.editMode = 3;
  c = csv::CommandCellOf(p, csv::kColNarrowSelect);
  EXPECT_EQ(5, c.dialogColumn);
  EXPECT_EQ(3, c.column);
  EXPECT_EQ(4, c.row);
  c = csv::CommandCellOf(p, csv::kColTotal);
  EXPECT_EQ(6, c.dialogColumn);
  c = csv::CommandCellOf(p, csv::kColInsertColumn);
  EXPECT_EQ(3, c.row);

  // A cell function on one cell covers the column's data rows; a one-row
  // block on the title row widens to them; another one-row block does not.
  p = Place(2, 1, 2, 1);
  p.titleLine = 2;
  csv::CellBlock b = csv::FunctionBlock(p);
  EXPECT_EQ(3, b.c1);
  EXPECT_EQ(3, b.c2);
  EXPECT_EQ(3, b.r1);
  EXPECT_EQ(10, b.r2);
  p = Place(1, 1, 4, 1);
  p.titleLine = 2;
  b = csv::FunctionBlock(p);
  EXPECT_EQ(2, b.c1);
  EXPECT_EQ(5, b.c2);
  EXPECT_EQ(3, b.r1);
  EXPECT_EQ(10, b.r2);
  p = Place(1, 4, 4, 4);
  b = csv::FunctionBlock(p);
  EXPECT_EQ(5, b.r1);
  EXPECT_EQ(5, b.r2);
  EXPECT_FALSE(b.oneCell);
}

bool Xls(const std::string& text, int titleLine, int editMode = 3) {
  // An exact-size copy: a read past the text shows under ASan.
  std::vector<std::uint8_t> bytes(text.begin(), text.end());
  return csv::TitleLineHasXlsShift(bytes.data(), static_cast<std::uint32_t>(bytes.size()), titleLine, editMode);
}

TEST(ColumnCommandPlaceTest, XlsTitleLine) {
  EXPECT_TRUE(Xls("XL1S\r\na,b\r\n", 2));
  EXPECT_TRUE(Xls("head\r\n!#XL9S\r\na\r\n", 3));
  EXPECT_TRUE(Xls("head\nXLx12,3#S\n", 3));
  EXPECT_FALSE(Xls("XL1S\r\na,b\r\n", 2, 0));  // only in the ruled display
  EXPECT_FALSE(Xls("XL1S\r\na,b\r\n", 1));     // title line 1: no test
  EXPECT_FALSE(Xls("XL1T\r\n", 2));
  EXPECT_FALSE(Xls("XLx12S\r\n", 2));
  EXPECT_FALSE(Xls("XLx1\x01#S\r\n", 2));
  EXPECT_FALSE(Xls("a\r\nXL1S\r\n", 2));  // line 1 is taken for title line 2
  // Texts that end inside the test.
  EXPECT_FALSE(Xls("XL", 2));
  EXPECT_FALSE(Xls("XL1", 2));
  EXPECT_FALSE(Xls("XLx12", 2));
  EXPECT_FALSE(Xls("!#", 2));
  EXPECT_FALSE(Xls("a\r\n", 5));
  EXPECT_FALSE(Xls("", 2));

  csv::ColumnCommandPlace p = Place(1, 4, 2, 6);
  csv::ApplyXlsShift(&p);
  EXPECT_EQ(5, p.curRow);
  EXPECT_EQ(7, p.anchorRow);
  EXPECT_TRUE(p.xlsShift);
}

// ---------------------------------------------------------------------------
// Rows and the check list.

struct List {
  csv::CheckList list;
  List(std::uint32_t capacity, std::vector<std::uint32_t> entries, std::uint32_t pos) {
    EXPECT_TRUE(list.Reset(capacity));
    for (std::uint32_t i = 0; i < entries.size(); ++i) list.Set(i, entries[i]);
    list.m_nEntryListPos = pos;
    list.m_nEntryListMode = 1;
  }
  ~List() { list.Release(); }
  std::vector<std::uint32_t> Entries() const {
    std::vector<std::uint32_t> v;
    for (std::uint32_t i = 0; i < list.m_nEntryListCount; ++i) v.push_back(list.Entry(i));
    return v;
  }
};

using V = std::vector<std::uint32_t>;

TEST(ColumnCommandChecks, DeleteZeroesAndShifts) {
  // Entries are 1-based row numbers; the view's row 4 is row number 5.
  List a(8, {0, 3, 5, 6, 9, 0}, 5);
  csv::ShiftChecksAfterDelete(&a.list, 4, 1);
  EXPECT_EQ((V{0, 3, 0, 5, 8, 0, 0, 0}), a.Entries());
  // A range of rows: all of them cleared, later ones down by the count.
  List b(8, {0, 3, 5, 6, 9, 7}, 6);
  csv::ShiftChecksAfterDelete(&b.list, 4, 2);
  EXPECT_EQ((V{0, 3, 0, 0, 7, 5, 0, 0}), b.Entries());
  // A list filled from entry 0 (marks), and a position past the capacity:
  // only entries inside it are read and written.
  List c(3, {2, 4, 6}, 40);
  csv::ShiftChecksAfterDelete(&c.list, 1, 1);
  EXPECT_EQ((V{0, 3, 5}), c.Entries());
  csv::ShiftChecksAfterDelete(nullptr, 0, 1);
}

TEST(ColumnCommandChecks, InsertRaises) {
  List a(6, {0, 3, 5, 6, 0}, 4);
  csv::ShiftChecksAfterInsert(&a.list, 4);  // the new row takes row number 5
  EXPECT_EQ((V{0, 3, 6, 7, 0, 0}), a.Entries());
  List b(2, {4, 9}, 30);
  csv::ShiftChecksAfterInsert(&b.list, 0);
  EXPECT_EQ((V{5, 10}), b.Entries());
}

// The rows of the working form (',' for the separator; a multi-line cell
// stays on its row as break codes).
std::vector<std::string> Rows(const csv::Table& t) {
  std::vector<std::string> rows;
  const std::string s = csvtest::Text(t);
  std::size_t at = 0;
  while (at < s.size()) {
    std::size_t e = s.find("\r\n", at);
    if (e == std::string::npos) e = s.size();
    rows.push_back(s.substr(at, e - at));
    at = e + 2;
  }
  return rows;
}

// The plan's row lands where the row insertion puts it.
TEST(ColumnCommandRows, InsertPlanMatchesTheInsertion) {
  struct Case {
    int row;
    bool atLineStart;
    int editMode;
    int mode, arg;
    std::uint32_t newRow;
    bool caretDown;
  };
  const Case cases[] = {
      {2, false, 0, 2, 3, 3, true},   // below the caret row
      {2, true, 0, 2, 2, 2, false},   // above it
      {0, true, 0, 2, 0, 0, false},   // above the first row
      {4, true, 0, 1, 0, 4, false},   // above the last row, through mode 1
      {4, false, 0, 2, 5, 5, true},   // below the last row
      {3, false, 3, 2, 3, 3, true},   // ruled display: r as given
      {3, true, 3, 2, 2, 2, false},
  };
  for (const Case& c : cases) {
    const csv::InsertRowPlan p = csv::PlanInsertRow(c.row, c.atLineStart, 4, c.editMode);
    EXPECT_EQ(c.mode, p.mode) << c.row << c.atLineStart;
    EXPECT_EQ(c.arg, p.row) << c.row << c.atLineStart;
    EXPECT_EQ(c.newRow, p.newRow) << c.row << c.atLineStart;
    EXPECT_EQ(c.caretDown, p.caretDown);
    auto t = csvtest::MakeTable("t,u\r\na,1\r\nb,2\r\nc,3\r\nd,4\r\n");
    csvtest::Recorder host;
    ASSERT_EQ(5, csv::CsvRowInsertOrList(p.mode, *t, p.row, 1, "", 0, nullptr, &host));
    const std::vector<std::string> rows = Rows(*t);
    ASSERT_EQ(6u, rows.size());
    EXPECT_EQ(",", rows[p.newRow]) << c.row << c.atLineStart;
  }
}

// A table with a blank mark column (as the mark statement leaves it) and a
// multi-line cell in row 3.
const char kMarkTable[] =
    "X,name\r\n"
    "\" \",a\r\n"
    "\" \",\"two\r\nlines\"\r\n"
    "\" \",c\r\n"
    "\" \",d\r\n"
    "\" \",e\r\n";

std::vector<std::string> MarksOf(const csv::Table& t) {
  std::vector<std::string> marks;
  for (const std::string& r : Rows(t)) marks.push_back(r.substr(0, r.find(',')));
  return marks;
}

TEST(ColumnCommandChecks, MarksFromChecksAscendingOrNot) {
  const std::vector<std::string> want = {"X", "\"1\"", "\" \"", "\"1\"", "\" \"", "\"1\""};
  for (const V& entries : {V{0, 2, 4, 6}, V{0, 6, 2, 4}, V{4, 0, 6, 2}}) {
    auto t = csvtest::MakeTable(kMarkTable);
    const std::uint32_t before = t->m_nTextLen;
    List l(10, entries, static_cast<std::uint32_t>(entries.size()));
    EXPECT_EQ(3u, csv::WriteMarksFromChecks(t.get(), &l.list, false));
    EXPECT_EQ(want, MarksOf(*t));
    EXPECT_EQ(before, t->m_nTextLen);
    EXPECT_EQ(V(10, 0), l.Entries());
    EXPECT_EQ(0u, l.list.m_nEntryListMode);
    csvtest::ExpectIndexesAgain(*t);
  }
  // The XL-S shift state names each row one line higher; rows past the
  // table and a title row without a quote are left.
  auto t = csvtest::MakeTable(kMarkTable);
  List l(10, {0, 1, 3, 40}, 4);
  EXPECT_EQ(2u, csv::WriteMarksFromChecks(t.get(), &l.list, true));
  EXPECT_EQ((std::vector<std::string>{"X", "\"1\"", "\" \"", "\"1\"", "\" \"", "\" \""}), MarksOf(*t));
}

TEST(ColumnCommandChecks, ChecksFromMarksFromEntryZero) {
  // The first line is never tested, even when it holds the mark.
  auto t = csvtest::MakeTable("\"1\",t\r\n\" \",a\r\n\"1\",\"x\r\ny\"\r\n\" \",c\r\n\"1\",d\r\n");
  List l(4, {9, 9, 9}, 3);
  bool full = true;
  ASSERT_TRUE(csv::ChecksFromMarks(*t, &l.list, false, &full));
  EXPECT_FALSE(full);
  EXPECT_EQ(104u, l.list.m_nEntryListCount);
  EXPECT_EQ(2u, l.list.m_nEntryListPos);
  EXPECT_EQ(1u, l.list.m_nEntryListMode);
  EXPECT_EQ(3u, l.list.Entry(0));
  EXPECT_EQ(5u, l.list.Entry(1));
  EXPECT_EQ(0u, l.list.Entry(2));
  ASSERT_TRUE(csv::ChecksFromMarks(*t, &l.list, true, &full));
  EXPECT_EQ(2u, l.list.Entry(0));
  EXPECT_EQ(4u, l.list.Entry(1));

  // Back to marks on a fresh mark column: the same rows.
  auto blank = csvtest::MakeTable("\" \",t\r\n\" \",a\r\n\" \",\"x\r\ny\"\r\n\" \",c\r\n\" \",d\r\n");
  ASSERT_TRUE(csv::ChecksFromMarks(*t, &l.list, false, &full));
  EXPECT_EQ(2u, csv::WriteMarksFromChecks(blank.get(), &l.list, false));
  EXPECT_EQ((std::vector<std::string>{"\" \"", "\" \"", "\"1\"", "\" \"", "\"1\""}), MarksOf(*blank));

  // No mark: mode 0.
  auto none = csvtest::MakeTable("t\r\na\r\n");
  ASSERT_TRUE(csv::ChecksFromMarks(*none, &l.list, false, &full));
  EXPECT_EQ(0u, l.list.m_nEntryListPos);
  EXPECT_EQ(0u, l.list.m_nEntryListMode);

  // A list that fills up (a last row far below the lines).
  t->m_nLastRow = -97;  // 3 entries
  ASSERT_TRUE(csv::ChecksFromMarks(*t, &l.list, false, &full));
  EXPECT_TRUE(full);
  EXPECT_EQ(2u, l.list.m_nEntryListPos);
}

TEST(ColumnCommandChecks, ClearAndStatus) {
  List l(4, {0, 2, 5, 7}, 9);  // "&CKL" left the position past the capacity
  EXPECT_EQ(" Check 3 lines ( 7)", csv::CheckStatusText(l.list));
  l.list.m_nEntryListPos = 3;
  EXPECT_EQ(" Check 2 lines ( 5)", csv::CheckStatusText(l.list));
  l.list.m_nEntryListPos = 0;
  EXPECT_EQ(" Check 0 lines ( 0)", csv::CheckStatusText(l.list));
  ASSERT_TRUE(csv::ClearChecks(&l.list, 9));
  EXPECT_EQ(109u, l.list.m_nEntryListCount);
  EXPECT_EQ(0u, l.list.m_nEntryListPos);
  EXPECT_EQ(0u, l.list.m_nEntryListMode);
  EXPECT_EQ(" Check 0 lines ( 0)", csv::CheckStatusText(l.list));
  csv::CheckList empty;
  EXPECT_EQ(" Check 0 lines ( 0)", csv::CheckStatusText(empty));
}

// ---------------------------------------------------------------------------

TEST(SelectUndoLogTest, Names) {
  EXPECT_EQ("TMP_select0101.csv", csv::SelectUndoLog::SnapshotName(1, 1, 0));
  EXPECT_EQ("TMP_select0019.csv", csv::SelectUndoLog::SnapshotName(0, 19, 0));
  EXPECT_EQ("TMP_select0101_2.csv", csv::SelectUndoLog::SnapshotName(1, 1, 2));
}

TEST(SelectUndoLogTest, TwentyStepsAndUndo) {
  csv::SelectUndoLog log;
  std::int32_t count = 0;
  EXPECT_EQ(csv::SelectUndoLog::UndoSource::kSourceFile, log.PlanUndo(0).source);
  EXPECT_EQ(0, log.PlanUndo(0).countAfter);
  for (int step = 1; step <= 19; ++step) {
    const std::int32_t n = log.BeginStep(&count);
    EXPECT_EQ(step, n);
    log.Written(n);
  }
  EXPECT_EQ(0, log.BeginStep(&count));  // the 20th writes nothing
  EXPECT_EQ(20, count);
  EXPECT_EQ(0, log.BeginStep(&count));
  EXPECT_EQ(20, count);
  EXPECT_FALSE(log.WasWritten(20));
  csv::SelectUndoLog::UndoPlan plan = log.PlanUndo(count);
  EXPECT_EQ(csv::SelectUndoLog::UndoSource::kSnapshot, plan.source);
  EXPECT_EQ(19, plan.snapshot);
  EXPECT_EQ(18, plan.countAfter);
  EXPECT_TRUE(plan.joined);
  plan = log.PlanUndo(18);
  EXPECT_EQ(18, plan.snapshot);
  EXPECT_EQ(17, plan.countAfter);
  EXPECT_FALSE(plan.joined);
}

TEST(SelectUndoLogTest, FailedStepsAndUnrecordedSnapshots) {
  csv::SelectUndoLog log;
  std::int32_t count = 2;
  const std::int32_t before = count;
  EXPECT_EQ(3, log.BeginStep(&count));
  csv::SelectUndoLog::StepFailed(&count, before);
  EXPECT_EQ(2, count);
  // Snapshots 1-2 were never written by this log (another run's files).
  csv::SelectUndoLog::UndoPlan plan = log.PlanUndo(count);
  EXPECT_EQ(csv::SelectUndoLog::UndoSource::kNotRecorded, plan.source);
  EXPECT_EQ(2, plan.snapshot);
  EXPECT_EQ(2, plan.countAfter);
  log.Written(2);
  EXPECT_EQ(csv::SelectUndoLog::UndoSource::kSnapshot, log.PlanUndo(2).source);
  log.Clear();
  EXPECT_FALSE(log.WasWritten(2));
  EXPECT_EQ(csv::SelectUndoLog::UndoSource::kNotRecorded, log.PlanUndo(20).source);
  log.Written(0);
  log.Written(20);
  log.Written(-3);
  EXPECT_FALSE(log.WasWritten(0));
  EXPECT_FALSE(log.WasWritten(20));
}

}  // namespace
