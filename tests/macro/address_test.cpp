// The address rewriter and the reference evaluator over a two-block
// Shift-JIS table.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <string>

#include "csv/csv_table.h"
#include "macro/macro_address.h"
#include "macro/macro_state.h"
#include "test_host.h"

namespace {

// Rows are the 1-based lines; block 2 starts at the "!#" line (row 8).
const char kTable[] =
    "City,Total,Note\r\n"   // 1  title of block 1
    "Nagoya,1,a\r\n"        // 2
    "Kyoto,2,b\r\n"         // 3
    "50%,3,c\r\n"           // 4
    "Tokyo,4,d\r\n"         // 5
    "Tokyo,5,e\r\n"         // 6
    "Osaka,6,f\r\n"         // 7
    "!#\r\n"                // 8
    "Place,Sum\r\n"         // 9  title of block 2
    "Osaka,7\r\n"           // 10
    "東京,8\r\n"            // 11
    "\"Sendai\",9\r\n";     // 12

class Addresses : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(table->LoadFileText(kTable, std::strlen(kTable), 64));
    ASSERT_EQ(2u, table->BlockCount());
  }
  macro::AddressScope Scope() {
    macro::AddressScope sc{*st};
    sc.host = &host;
    sc.table = table.get();
    sc.text = table->m_pTextBuf;
    sc.length = table->m_nTextLen;
    return sc;
  }
  std::string Rewrite(const std::string& text, int mode = 0) {
    return macro::MacroParseRowData(Scope(), CString(text), mode).Str();
  }
  // A row reference after a column (an '@' as the first byte of a
  // statement is no address).
  std::string Row(const std::string& text, int mode = 0) {
    const std::string out = Rewrite("&1" + text, mode);
    return out.compare(0, 2, "&1") == 0 ? out.substr(2) : "(" + out + ")";
  }
  int Eval(std::string contents, int kind, int a = 0, int b = -1, std::string* out = nullptr) {
    const int v = macro::MacroEvalAddressToken(Scope(), &contents, kind, a, b);
    if (out) *out = contents;
    return v;
  }

  std::unique_ptr<macro::MacroState> st = std::make_unique<macro::MacroState>();
  std::unique_ptr<csv::Table> table = std::make_unique<csv::Table>();
  macrotest::TestHost host;
};

TEST_F(Addresses, RowKeysWithWildcardsEscapesRunsAndBlocks) {
  EXPECT_EQ("@5", Row("@[Tokyo]"));
  EXPECT_EQ("@7", Row("@[Tokyo]R2"));
  EXPECT_EQ("@1", Row("@[Tokyo]L9"));
  EXPECT_EQ("@6", Row("@[Tokyo]D"));
  EXPECT_EQ("@6", Row("@[Tokyo]!"));
  EXPECT_EQ("@5", Row("@[To&o]"));
  EXPECT_EQ("@5", Row("@[Tok%o]"));
  EXPECT_EQ("@4", Row("@[50\\%]"));
  EXPECT_EQ("@7", Row("@[Osaka]"));
  EXPECT_EQ("@10", Row("@[Osaka^P2]"));
  EXPECT_EQ("@11", Row("@[東京]"));
  EXPECT_EQ("@12", Row("@[Sendai]"));  // a quoted first cell
  EXPECT_EQ("@4999999", Row("@[Sendai^P1]"));  // block 1 ends at the "!#" line
  EXPECT_EQ("@4999999", Row("@[Tok]"));  // only the start of a cell
  EXPECT_EQ("@4999999", Row("@[Osaka^P600]"));
  EXPECT_EQ("@4999999", Row("@[Osaka^P3]"));
  st->m_strMacroVars[155] = "2";
  EXPECT_EQ("@10", Row("@[Osaka^Pn]"));
  EXPECT_EQ("3", Row("@[Kyoto]%"));
  EXPECT_EQ("21", Row("@[Nowhere]%"));  // as a plain value: m_nLastRow + 10
  EXPECT_TRUE(host.reports.empty());
}

TEST_F(Addresses, ColumnKeysContextsAndRanges) {
  EXPECT_EQ("&2", Rewrite("&[Total]"));
  EXPECT_EQ("&3@5", Rewrite("&[Note]@[Tokyo]"));
  EXPECT_EQ("&2-3", Rewrite("&[Total]-[Note]"));
  EXPECT_EQ("2", Rewrite("&[Total]%"));
  EXPECT_EQ("x=3", Rewrite("x=[Note]"));  // a bracket outside a context: a column title
  // "=" ends the column context: "[Kyoto]" is no column title.
  host.answer = 1;
  EXPECT_EQ("&2=", Rewrite("&[Total]=[Kyoto]"));
  ASSERT_EQ(1u, host.reports.size());
  EXPECT_EQ("Row data eror ! : Kyoto\ncmnd : &[Total]=[Kyoto]", host.reports[0]);
  EXPECT_EQ("&1@1", Rewrite("&1@1"));
  EXPECT_EQ("\\[Total]", Rewrite("\\[Total]"));
  EXPECT_EQ("&J&[ii]@[jj]", Rewrite("&J&ii@jj"));
}

TEST_F(Addresses, UnknownKeysAskAndCancelEndsTheScan) {
  st->m_nCmdLineNo = 4;
  host.answer = 1;
  EXPECT_EQ("&;x", Rewrite("&[Nowhere];x"));
  EXPECT_EQ("Row data eror ! : Nowhere\ncmnd : &[Nowhere];x\n order = 5", host.reports.back());
  host.answer = 2;
  EXPECT_EQ("Eror", Rewrite("&[Nowhere];x"));
  host.answer = 0;  // the answer of an external run counts as Cancel
  EXPECT_EQ("Eror", Rewrite("&[Nowhere]"));
  host.answer = 9;
  EXPECT_EQ("&", Rewrite("&[Nowhere]"));
  const size_t asked = host.reports.size();
  st->m_bMacroErrorsOff = 1;
  EXPECT_EQ("&[0]", Rewrite("&[Nowhere]"));
  EXPECT_EQ(asked, host.reports.size());
  st->m_bMacroErrorsOff = 0;
  EXPECT_EQ("&[Nowhere]", Rewrite("&[Nowhere]", 6));  // modes 2 and 6 write it back
}

TEST_F(Addresses, Landmarks) {
  EXPECT_EQ("&3", Rewrite("&[re]"));
  EXPECT_EQ("&2", Rewrite("&[re2]"));
  EXPECT_EQ("@12", Row("@[be]"));  // m_nLastRow + 1
  EXPECT_EQ("@12", Row("@be"));
  EXPECT_EQ("&3", Rewrite("&re"));
  EXPECT_EQ("@11", Row("@be-1"));
  EXPECT_EQ("@1", Row("@[tt]"));
  EXPECT_EQ("@1", Row("@[ptt]"));  // m_nCurLine
  EXPECT_EQ("@9", Row("@[tt2]"));
  EXPECT_EQ("@9", Row("@[ptt2]"));
  EXPECT_EQ("@10", Row("@[bt2]"));
  EXPECT_EQ("@8", Row("@[gt2]"));
  EXPECT_EQ("@7", Row("@[ge1]"));
  EXPECT_EQ("@12", Row("@[ge2]"));  // the last block: m_nLastRow + 1
  // Blocks the table does not have are unresolved, never read.
  EXPECT_EQ("@4999999", Row("@[tt9999]"));
  EXPECT_EQ("@4999999", Row("@[ge499]"));
  EXPECT_EQ("@4999999", Row("@[ptt9]"));
  EXPECT_EQ("@4999999", Row("@[gt3]"));
  // Page codes are left for the page-code expander: the whole input stays.
  EXPECT_EQ("&[Total]@[ttn]", Rewrite("&[Total]@[ttn]"));
  EXPECT_EQ("@[pttn]", Row("@[pttn]"));
}

TEST_F(Addresses, DeclaredNamesAndIndexes) {
  std::strcpy(st->m_abMacroNameTable, "185:total;200:arr<2>;210:m<2|3>;#:hdr=Note;&:col=Total;");
  st->m_strMacroVars[210] = "\x0c" "3";
  EXPECT_EQ("&D185", Rewrite("[total]"));
  EXPECT_EQ("185", Rewrite("[total]%"));
  EXPECT_EQ("&D203", Rewrite("[arr<3>]"));
  EXPECT_EQ("&D216", Rewrite("[m<1|2>]"));  // 210 + 1 + 1 * 3 + 2
  EXPECT_EQ("&(&D185)", Rewrite("&[total]"));  // keys first, then the name
  EXPECT_EQ("x&D185\x01" "5", Rewrite("x[total]5"));
  EXPECT_EQ("185", Rewrite("[total]", 5));
  EXPECT_EQ("&Note", Rewrite("&[hdr]"));  // "#" alias: its text is written
  EXPECT_EQ("&2", Rewrite("&[col]"));
}

TEST_F(Addresses, LongAndDeepInputs) {
  const std::string big(25001, 'x');
  EXPECT_EQ(big, Rewrite(big));
  const std::string limit = std::string(24990, 'y') + "&[Total]";
  EXPECT_EQ(std::string(24990, 'y') + "&2", Rewrite(limit));
  // Brackets nested far past the bound: a message, no stack overflow.
  std::string deep;
  for (int k = 0; k < 600; ++k) deep += "[";
  deep += "x";
  for (int k = 0; k < 600; ++k) deep += "]";
  host.answer = 1;
  Rewrite("&" + deep);
  EXPECT_EQ(1u, host.boxes.size());
  EXPECT_EQ("stack over eror", host.boxes[0]);
}

TEST_F(Addresses, AliasesThatMultiplyThemselvesEndQuickly) {
  // Each level of "x" asks for "x" four times: the nesting bound alone
  // would still leave 4^16 evaluations.
  std::strcpy(st->m_abMacroNameTable, "&:x=[x][x][x][x];");
  host.answer = 1;
  const auto start = std::chrono::steady_clock::now();
  Rewrite("&[x]");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  ASSERT_EQ(1u, host.boxes.size());
  EXPECT_EQ("stack over eror", host.boxes[0]);
}

TEST_F(Addresses, NestedValuesKeepTheContentsWithinTheirSize) {
  std::strcpy(st->m_abMacroNameTable, "180:big;");
  st->m_strMacroVars[180] = CString(std::string(1 << 20, 'b'));
  std::string contents = "a[big][big][big]";
  EXPECT_EQ(0, macro::MacroEvalAddressToken(Scope(), &contents, macro::kRefRow, 0, -1));
  EXPECT_EQ("0", contents);
  std::string text = "&1@[";
  for (int k = 0; k < 300; ++k) text += "[big]";
  host.answer = 1;
  EXPECT_LE(Rewrite(text + "]").size(), static_cast<size_t>(macro::kAddressMaxOutput));
}

TEST_F(Addresses, EvaluatorKindsAndSearchOrder) {
  std::string out;
  EXPECT_EQ(11, Eval("be-1", macro::kRefRow));  // m_nLastRow
  EXPECT_EQ(3, Eval("re-0", macro::kRefColumn, 0, -1, &out));
  EXPECT_EQ("3", out);
  EXPECT_EQ(9, Eval("ptt2", macro::kRefPlain));
  EXPECT_EQ(0, Eval("ptt7", macro::kRefPlain));
  EXPECT_EQ(21, Eval("Nowhere", macro::kRefRowValue));  // m_nLastRow + 10
  EXPECT_EQ(0, Eval("Nowhere", macro::kRefRow, 0, -1, &out));
  EXPECT_EQ("0", out);
  EXPECT_EQ(7, Eval("Tokyo", macro::kRefRow, 2));  // a first index steps from the row
  EXPECT_EQ(3, Eval("#Note", macro::kRefColumn));
  std::strcpy(st->m_abMacroNameTable, "180:i;\x05" "181:i;");
  EXPECT_EQ(macro::kAddressRewritten, Eval("i", macro::kRefPlain, 0, -1, &out));
  EXPECT_EQ("&D180", out);
  st->m_nMacroCallDepth = 1;  // inside the subroutine its own "i" comes first
  EXPECT_EQ(macro::kAddressRewritten, Eval("i", macro::kRefPlain, 0, -1, &out));
  EXPECT_EQ("&D181", out);
  st->m_strMacroVars[181] = "val";
  EXPECT_EQ(macro::kAddressRewritten, Eval("i", macro::kRefNestedValue, 0, -1, &out));
  EXPECT_EQ("val", out);
  // Indirection: a variable holding the key.
  st->m_strMacroVars[7] = "Kyoto";
  EXPECT_EQ(3, Eval("&D7", macro::kRefRow));
  // Names whose slot plus index leaves the store are no variables.
  std::strcpy(st->m_abMacroNameTable, "5180:last;");
  EXPECT_EQ(0, Eval("last", macro::kRefSlot, 5));
  EXPECT_EQ(macro::kAddressRewritten, Eval("last", macro::kRefSlot, 0, -1, &out));
  EXPECT_EQ("5180", out);
}

TEST(AddressesWithoutTable, NoLandmarksAndNoKeys) {
  auto st = std::make_unique<macro::MacroState>();
  macrotest::TestHost host;
  macro::AddressScope sc{*st};
  sc.host = &host;
  EXPECT_EQ("&1@4999999", macro::MacroParseRowData(sc, "&1@[tt2]", 0).Str());
  EXPECT_EQ("&1@4999999", macro::MacroParseRowData(sc, "&1@[Tokyo]", 0).Str());
  EXPECT_EQ("@", macro::MacroParseRowData(sc, "@[Tokyo]", 0).Str());  // a first '@' is no address
  EXPECT_EQ("", macro::MacroParseRowData(sc, "", 0).Str());
}

}  // namespace
