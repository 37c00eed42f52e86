// The row and line statements, the sort, new-row and print statements in
// whole macro runs over a loaded table, and the readers of their operands.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "csv/csv_table.h"
#include "macro/macro_exec_rows.h"
#include "macro/macro_expr.h"
#include "macro/macro_run.h"
#include "macro/macro_state.h"
#include "run_fixture.h"

namespace {

// Records what the statements ask of the view.
class RowsHost : public macrotest::FakeRunHost {
 public:
  int padCleared = 0, sorts = 0, marginsInit = 0;
  bool failSort = false;  // the sort answers -1 (memory)
  std::vector<int> titleFlags;
  std::vector<std::int32_t> margins;
  std::vector<std::pair<int, int>> sizes;
  csv::LineSortRequest lastSort;
  // The sort key word at each sort, the print request at each update.
  const macro::MacroState* state = nullptr;
  const std::int32_t* printRequest = nullptr;
  std::vector<int> keys, requests;
  void RedisplayView() override {
    FakeRunHost::RedisplayView();
    if (printRequest) requests.push_back(*printRequest);
  }
  void ClearPadTarget() override { ++padCleared; }
  void SetTitleLineFlag(bool on) override { titleFlags.push_back(on ? 1 : 0); }
  std::int64_t SortTableLines(csv::Table& table, const csv::LineSortRequest& r) override {
    ++sorts;
    lastSort = r;
    if (state) keys.push_back(state->m_nMacroSortKey);
    if (failSort) return -1;
    return FakeRunHost::SortTableLines(table, r);
  }
  void SetPageMargins(const std::int32_t m[4]) override { margins.assign(m, m + 4); }
  void InitPrintMargins() override { ++marginsInit; }
  void SetViewSizeIndexes(int table, int text) override { sizes.emplace_back(table, text); }
};

class TableRows : public macrotest::RunFixture<RowsHost> {
 protected:
  TableRows() : RunFixture(33) {
    host.state = st.get();
    host.printRequest = &doc->m_nPrintRequest;
  }
  void Load(const std::string& file) { ASSERT_TRUE(table.LoadFileText(file.data(), file.size(), 64)); }
  std::string Text() const {
    std::string s(reinterpret_cast<const char*>(table.m_pTextBuf), table.m_nTextLen);
    for (char& c : s) c = c == 0x06 ? ',' : c;
    return s;
  }
  // One statement run as a macro document.
  int Run1(const std::string& command, const std::string& operand) {
    return RunDocument("\t" + command + "\t" + operand + "\r\n");
  }
  // The run took the common error exit: no end-of-run text on pane 0.
  bool EndedNormally() const {
    for (const std::string& s : host.status)
      if (s.rfind("macro end", 0) == 0) return true;
    return false;
  }
};

// Three blocks: rows 1-2, 3-6 and 7-9 (each "!#" line opens its block).
const char kThreeBlocks[] = "t,u\r\n1,2\r\n!#\r\nt,u\r\n1,2\r\n3,4\r\n!#\r\nt,u\r\n5,6\r\n";

TEST(RowPageOperand, BlocksOfTheTable) {
  csv::TableFields f;
  f.m_aSecRow[0] = 3;
  f.m_aSecRow[1] = 1;
  f.m_aSecRow[2] = 5;
  f.m_aSecRow[3] = 9;
  f.m_nLastRow = 12;
  struct Case {
    const char* operand;
    const char* expected;
  } cases[] = {
      {"page2", "5_8"},      // first row of block 2, the row before block 3
      {"page3", "9_13"},     // the last block ends at m_nLastRow + 1
      {"page0", "Eror"},     // below 1
      {"page4", "Eror"},     // past the count
      {"page", "Eror"},      // no number
      {"page 2", "Eror"},    // a blank ends the digits
      {"page0002", "5_8"},   // four digits
      {"page00002", "Eror"},  // the fifth byte is not read
      {"pagex1y", "1_4"},    // digits among other bytes
      {"2-5", "2-5"},        // not a page operand
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, macro::MacroRowPageOperand(c.operand, f)) << c.operand;
  // A count beyond the table's 499 blocks reads no entry past it.
  f.m_aSecRow[0] = 9999;
  EXPECT_EQ("Eror", macro::MacroRowPageOperand("page9999", f));
  EXPECT_EQ(499, macro::MacroPageBlockNumber("page499"));
  EXPECT_EQ("0_13", macro::MacroRowPageOperand("page499", f));
}

TEST_F(TableRows, PageFormDeletesOneBlock) {
  Load(kThreeBlocks);
  ASSERT_EQ(3u, table.BlockCount());
  EXPECT_EQ(macro::kRunEnded, Run1("linedel", "page2"));
  EXPECT_TRUE(EndedNormally());
  EXPECT_EQ("t,u\r\n1,2\r\n!#\r\nt,u\r\n5,6\r\n", Text());
  Load(kThreeBlocks);
  Run1("linedel", "page3");  // the last block: to m_nLastRow + 1
  EXPECT_EQ("t,u\r\n1,2\r\n!#\r\nt,u\r\n1,2\r\n3,4\r\n", Text());
}

TEST_F(TableRows, PageFormOutsideTheBlocksTakesTheErrorExit) {
  for (const char* operand : {"page0", "page4"}) {
    Load(kThreeBlocks);
    host.status.clear();
    Run1("linedel", operand);
    EXPECT_FALSE(EndedNormally()) << operand;
    EXPECT_EQ(kThreeBlocks, Text()) << operand;
  }
}

TEST_F(TableRows, DeleteFormsDeleteTheSameRows) {
  // 'd' and 'x' pass the same operand to the same deletion; ';' reads ','.
  for (const char* command : {"linedel", "linex"}) {
    Load("h\r\na\r\nb\r\nc\r\nd\r\ne\r\n");
    EXPECT_EQ(macro::kRunEnded, Run1(command, "2;4-5"));
    EXPECT_EQ("h\r\nb\r\ne\r\n", Text()) << command;
  }
}

TEST_F(TableRows, TitleLineStatement) {
  Load("a\r\nb\r\nc\r\nd\r\ne\r\nf\r\n");
  Run1("linettl5", "");
  EXPECT_EQ(5u, table.m_nCurLine);
  EXPECT_EQ(std::vector<int>{1}, host.titleFlags);
  // 999 sets the flag and keeps the line; the run starts at line 1 again.
  Run1("linettl999", "");
  EXPECT_EQ(1u, table.m_nCurLine);
  Run1("linettl3\r\n\tlinettl999", "");
  EXPECT_EQ(3u, table.m_nCurLine);
  Run1("linettl0", "");
  EXPECT_EQ(0, host.titleFlags.back());
}

TEST_F(TableRows, CellList) {
  Load("a,b,c\r\n1,,3\r\n4,5,6\r\n7,8,9\r\n");
  EXPECT_EQ(macro::kRunEnded, Run1("lineu", ""));
  EXPECT_EQ(8, table.m_nLastRow);  // the title row and 8 cells
  EXPECT_EQ("line,clmn,data\r\n2,1,1\r\n2,3,3\r\n3,1,4\r\n3,2,5\r\n3,3,6\r\n4,1,7\r\n4,2,8\r\n4,3,9\r\n", Text());
}

TEST_F(TableRows, RowFormsRewriteColumns) {
  Load("a,b,c\r\n1,2,3\r\n");
  Run1("row", "3,1");
  EXPECT_EQ("c,a\r\n3,1\r\n", Text());
  Load("a,b,c\r\n1,2,3\r\n");
  Run1("rowdel", "2");
  EXPECT_EQ("a,c\r\n1,3\r\n", Text());
  Load("b,c,a\r\n1,2,3\r\n");
  Run1("row", "sort");  // columns by title
  EXPECT_EQ("a,b,c\r\n3,1,2\r\n", Text());
  Load("a,b\r\n1\r\n");
  Run1("rowfill", "x");
  EXPECT_EQ(1, host.padCleared);
  EXPECT_EQ("a,b\r\n1,x\r\n", Text());
}

TEST_F(TableRows, LineFormsReverseAndTranspose) {
  Load("h\r\n1\r\n2\r\n3\r\n");
  Run1("linerev", "");
  EXPECT_EQ("h\r\n3\r\n2\r\n1\r\n", Text());
  Load("a,b\r\n1,2\r\n");
  Run1("linehvr", "");
  EXPECT_EQ("a,1\r\nb,2\r\n", Text());
}

TEST_F(TableRows, SortKeysAndTheTable) {
  Load("k,v\r\nb,2\r\na,10\r\nc,1\r\n");
  Run1("sortu:2", "");
  EXPECT_EQ(0, st->m_nMacroSortKey);  // reset at the end of the run
  EXPECT_EQ(2, host.lastSort.key);
  EXPECT_EQ("k,v\r\nc,1\r\na,10\r\nb,2\r\n", Text());  // text keys
  Run1("sortd:2", "num");
  EXPECT_EQ(-2, host.lastSort.key);
  EXPECT_TRUE(host.lastSort.numeric);
  EXPECT_EQ("k,v\r\na,10\r\nb,2\r\nc,1\r\n", Text());
}

TEST_F(TableRows, SortKeyWordDuringTheRun) {
  Load("k,v,w\r\nb,2,x\r\na,1,y\r\n");
  RunDocument("\tsortu:3\t\r\n\tsortd:3\t\r\n");
  EXPECT_EQ((std::vector<int>{3, -3}), host.keys);
  EXPECT_EQ(0, st->m_nMacroSortKey);
}

TEST_F(TableRows, NewRows) {
  Load("a,b\r\n1,2\r\n");
  Run1("newend", "x,y");
  EXPECT_EQ("a,b\r\n1,2\r\nx,y\r\n", Text());
  Run1("newtop0,2", "");
  EXPECT_EQ(",\r\n,\r\na,b\r\n1,2\r\nx,y\r\n", Text());
  Load("a,b\r\n1,2\r\n");
  Run1("newmax0,4", "z");
  EXPECT_EQ("a,b\r\n1,2\r\nz\r\nz\r\n", Text());
  Load("a,b\r\n1,2\r\n");
  Run1("newfix1", "p,q");
  EXPECT_EQ("a,b\r\np,q\r\n1,2\r\n", Text());
  // newend with 'm' (row 9: past the table, at the end): rows to four in
  // all; nothing when there are that many.
  Load("a,b\r\n1,2\r\n");
  Run1("newendm:9,4", "m");
  EXPECT_EQ("a,b\r\n1,2\r\nm\r\nm\r\n", Text());
  Run1("newendm:9,3", "m");
  EXPECT_EQ("a,b\r\n1,2\r\nm\r\nm\r\n", Text());
  // '@' gives the row and the count after it.
  Load("a\r\nb\r\nc\r\n");
  Run1("newtop@2,2", "n");
  EXPECT_EQ("a\r\nb\r\nn\r\nn\r\nc\r\n", Text());
}

TEST_F(TableRows, NewRowArgumentsOfTheLetters) {
  const macro::MacroEnv env(*st, &host, &table);
  struct Case {
    const char* command;
    int num1, num2, lastRow;
    int mode, row, count;
    bool nothing;
  } cases[] = {
      {"&Ne", -1, 0, 4, 1, -1, 0, false},
      {"&Nex", -1, 0, 4, 11, -1, 0, false},  // newend with 'x': mode 11
      {"&Nt", 3, 2, 4, 2, 3, 2, false},
      {"&Nm", 0, 9, 4, 3, 0, 9, false},
      {"&Nd", 0, 0, 4, 4, 0, 0, false},
      {"&Nv", 20, 3, 4, 5, 20, 3, false},
      {"&Nf", 2, 1, 4, 6, 2, 1, false},
      {"&Nfx", 2, 1, 4, 16, 2, 1, false},
      {"&N+", 0, 0, 4, 1, 0, 0, false},
      {"&N-", 0, 0, 4, 2, 0, 0, false},
      {"&N<", 0, 0, 4, 3, 0, 0, false},
      {"&Nq", 0, 0, 4, 0, 0, 0, false},
      {"&Nem", 0, 9, 4, 1, 0, 4, false},  // 9 - (4 + 1)
      {"&Ntm", 0, 5, 4, 2, 0, 0, true},
      {"&Nt@7,3", 0, 0, 4, 2, 7, 3, false},
      {"&Nt@6000000,3", 0, 0, 4, 2, 0, 3, false},
      {"&Nt[@7]", 5, 1, 4, 2, 5, 1, false},  // '@' inside brackets is no row
  };
  for (const Case& c : cases) {
    const macro::NewRowArgs a = macro::MacroNewRowArgs(env, c.command, c.num1, c.num2, c.lastRow);
    EXPECT_EQ(c.mode, a.mode) << c.command;
    EXPECT_EQ(c.row, a.row) << c.command;
    EXPECT_EQ(c.count, a.count) << c.command;
    EXPECT_EQ(c.nothing, a.nothing) << c.command;
  }
}

TEST_F(TableRows, NewRowsOfAnUnknownLetterStopTheRun) {
  Load("a\r\n");
  Run1("newq", "x");
  ASSERT_FALSE(host.reports.empty());
  EXPECT_FALSE(EndedNormally());
  EXPECT_EQ("a\r\n", Text());
}

TEST(PrintOperands, MarginsAndFont) {
  std::int32_t w[4] = {7, 7, 7, 7};
  ASSERT_TRUE(macro::MacroPrintMarginWords("10,15,20,25", w));
  // top, bottom, left, right
  EXPECT_EQ(1500, w[0]);
  EXPECT_EQ(2500, w[1]);
  EXPECT_EQ(1000, w[2]);
  EXPECT_EQ(2000, w[3]);
  EXPECT_FALSE(macro::MacroPrintMarginWords("", w));
  ASSERT_TRUE(macro::MacroPrintMarginWords("5 mm x", w));
  EXPECT_EQ(500, w[2]);
  EXPECT_EQ(0, w[0]);
  ASSERT_TRUE(macro::MacroPrintMarginWords("99999999999,1", w));
  EXPECT_EQ(INT32_MAX / 100 * 100, w[2]);  // saturated, never wrapped
  EXPECT_EQ(11, macro::MacroPrintFontIndex("15"));
  EXPECT_EQ(1, macro::MacroPrintFontIndex("0"));
  EXPECT_EQ(1, macro::MacroPrintFontIndex("x"));
  EXPECT_EQ(7, macro::MacroPrintFontIndex("7pt"));
  EXPECT_EQ(0, macro::MacroPrintFontIndex(""));
}

TEST_F(TableRows, PrintStatements) {
  Load("a\r\n");
  Run1("printset", "10,15,20,25");
  EXPECT_EQ((std::vector<std::int32_t>{1500, 2500, 1000, 2000}), host.margins);
  Run1("printset", "");
  EXPECT_EQ(1, host.marginsInit);
  Run1("printfont", "15");
  EXPECT_EQ(11, doc->m_nTblsiz);
  EXPECT_EQ(11, doc->m_nTxtsiz);
  Run1("printfont", "0");
  EXPECT_EQ(1, doc->m_nTblsiz);
  EXPECT_EQ(1, doc->m_nTxtsiz);
  EXPECT_EQ((std::vector<std::pair<int, int>>{{11, 11}, {1, 1}}), host.sizes);
  // Preview and print: the request for the view's update.
  host.requests.clear();
  Run1("printpreview", "");
  ASSERT_FALSE(host.requests.empty());
  EXPECT_EQ(2, host.requests[0]);
  doc->m_nPrintRequest = 0;
  host.requests.clear();
  Run1("print", "");
  ASSERT_FALSE(host.requests.empty());
  EXPECT_EQ(1, host.requests[0]);
}

}  // namespace

namespace {

TEST_F(TableRows, SortWithSelection) {
  Load("k,v\r\nb,2\r\na,1\r\nb,3\r\na,4\r\n");
  // Sorted by column 1, then only the first row of each key is kept
  // ("&1!=&UC" with "&SL").
  EXPECT_EQ(macro::kRunEnded, Run1("sortu:1", "select"));
  EXPECT_EQ("k,v\r\na,1\r\nb,2\r\n", Text());
  EXPECT_TRUE(host.reports.empty());
}

TEST_F(TableRows, AFailedSortEndsTheRunWithoutAMessage) {
  Load("k\r\nb\r\na\r\n");
  host.failSort = true;
  RunDocument("\tsortu:1\t\r\n\tnewend\tx\r\n");
  EXPECT_FALSE(EndedNormally());
  EXPECT_TRUE(host.reports.empty());
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_EQ("k\r\nb\r\na\r\n", Text());  // the new row never came
}

TEST_F(TableRows, NewRowsLeaveAViewThatShowsNoTable) {
  Load("a\r\n");
  fileKind = 9;
  EXPECT_EQ(macro::kRunEnded, Run1("newend", "x"));
  EXPECT_TRUE(EndedNormally());
  EXPECT_EQ("a\r\n", Text());
}

}  // namespace
