// The "#" statements over cells in whole macro runs: the address forms,
// the default rows and columns, a chain over a loaded table, and a
// macro-defined function run as a nested run for every cell. (A "#"
// statement without an operand is an assignment to the cells, which
// preparation sends elsewhere; these carry one.)
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "core/docdata/doc_fields.h"
#include "csv/csv_table.h"
#include "fw/alloc.h"
#include "macro/macro_builtins.h"
#include "macro/macro_exec_cells.h"
#include "macro/macro_run.h"
#include "macro/macro_state.h"
#include "run_fixture.h"

namespace {

class CellStatement : public macrotest::RunFixture<> {
 protected:
  CellStatement() : RunFixture(33) {}

  void Load(const std::string& file) { ASSERT_TRUE(table.LoadFileText(file.data(), file.size(), 64)); }
  std::string Text() const {
    std::string s(reinterpret_cast<const char*>(table.m_pTextBuf), table.m_nTextLen);
    for (char& c : s) c = c == 0x06 ? ',' : c;
    return s;
  }
  int Run(const std::string& text) { return RunDocument(text); }
};

TEST(CellStatementAddress, Forms) {
  macro::CellStatementAddress a;
  ASSERT_TRUE(macro::MacroReadCellStatementAddress("&3#FS8", &a));
  EXPECT_TRUE(a.columnsGiven);
  EXPECT_FALSE(a.rowsGiven);
  EXPECT_EQ(3, a.c1);
  EXPECT_EQ(3, a.c2);
  EXPECT_EQ("#FS8", std::string(a.functions.GetString()));
  ASSERT_TRUE(macro::MacroReadCellStatementAddress("@5_20&2-4#CZ#UP", &a));
  EXPECT_EQ(2, a.c1);
  EXPECT_EQ(4, a.c2);
  EXPECT_EQ(5, a.r1);
  EXPECT_EQ(20, a.r2);
  EXPECT_EQ("#CZ#UP", std::string(a.functions.GetString()));
  ASSERT_TRUE(macro::MacroReadCellStatementAddress("&2-@7_#CZ", &a));
  EXPECT_EQ(2, a.c1);
  EXPECT_EQ(-1, a.c2);
  EXPECT_EQ(7, a.r1);
  EXPECT_EQ(-1, a.r2);
  EXPECT_FALSE(macro::MacroReadCellStatementAddress("&2CZ", &a));
}

TEST_F(CellStatement, AChainOfStatementsOverALoadedTable) {
  Load("id,name,n,q,f\r\n007,abc,12,\"1,234\",x\r\n-08,Def,3,\"5\",\r\n");
  EXPECT_EQ(macro::kRunEnded, Run("\t&1#CZ\t-\r\n\t&2#UP\t-\r\n\t&3#FS4\t-\r\n\t&4#CQ\t-\r\n\t&5#FU\t-\r\n"));
  EXPECT_TRUE(host.reports.empty()) << host.reports[0];
  // The title row is left alone; row 3 of column 5 is row 3 (filled).
  EXPECT_EQ("id,name,n,q,f\r\n7,ABC,  12,1234,x\r\n-8,DEF,   3,5,x\r\n", Text());
}

TEST_F(CellStatement, ARowRangeAndEveryColumn) {
  Load("h,h\r\na,b\r\nc,d\r\ne,f\r\n");
  EXPECT_EQ(macro::kRunEnded, Run("\t&1-@3_3#UP\t-\r\n"));
  EXPECT_EQ("h,h\r\na,b\r\nC,D\r\ne,f\r\n", Text());
}

TEST_F(CellStatement, AFunctionWithoutAHandlerEndsTheRunUnchanged) {
  Load("h,h\r\na,b\r\n");
  const macro::ScopedBuiltin none(8, nullptr);  // TDN without its handler
  Run("\t&1#TDN\t-\r\n");
  ASSERT_FALSE(host.reports.empty());
  EXPECT_NE(std::string::npos, host.reports[0].find("#function not available yet : TDN")) << host.reports[0];
  EXPECT_EQ("h,h\r\na,b\r\n", Text());
}

// A defined function: "@Out" = "@In" x "@In" by a test executor standing
// in for the assignment, run for every cell as a nested run.
TEST_F(CellStatement, ADefinedFunctionSquaresAColumnAndLeavesTheOuterRunAlone) {
  std::string file = "h,v\r\n";
  for (int k = 1; k <= 1000; ++k) file += "x," + std::to_string(k) + "\r\n";
  Load(file);
  int calls = 0;
  macro::SetTestExecutor(3, [&](macro::MacroRunContext& r) {
    ++calls;
    const long long v = std::atoll(r.state.m_strMacroVars[173].GetString());
    r.state.m_strMacroVars[174] = CString(std::to_string(v * v));
    return macro::Outcome::kNext;
  });
  st->m_strMacroVars[177] = "keep";
  const int result = Run("\tdefine\ta=5\r\n\tdefine#sq\t\\tsystem_para\r\n\t&2#:sq\t:2:3\r\n\tdefine\tb=6\r\n");
  macro::SetTestExecutor(3, nullptr);
  EXPECT_EQ(macro::kRunEnded, result);
  EXPECT_EQ(1000, calls);
  std::string want = "h,v\r\n";
  for (long long k = 1; k <= 1000; ++k) want += "x," + std::to_string(k * k) + "\r\n";
  EXPECT_EQ(want, Text());
  EXPECT_EQ("2", std::string(st->m_strMacroVars[175].GetString()));
  EXPECT_EQ("3", std::string(st->m_strMacroVars[176].GetString()));
  EXPECT_EQ("keep", std::string(st->m_strMacroVars[177].GetString()));
  // The outer run went on after the statement: its variables and names.
  EXPECT_EQ("5", std::string(st->m_strMacroVars[180].GetString()));
  EXPECT_EQ("6", std::string(st->m_strMacroVars[181].GetString()));
  EXPECT_EQ("180:a;181:b;", std::string(st->m_abMacroNameTable));
  EXPECT_EQ(0, st->m_nMacroCallDepth);
  int ends = 0;
  for (const auto& s : host.status) ends += s.rfind("macro end", 0) == 0;
  EXPECT_EQ(1, ends);
}

TEST_F(CellStatement, ADefinedFunctionWithoutABodyWritesNothing) {
  st->m_strMacroFuncs[0] = ":sq";
  std::uint8_t src[] = {'4', 0x06};
  std::uint8_t out[8] = {};
  int param = 0, readPos = 0, outLen = 0;
  macro::BuiltinScope bs{*st, &host, &table, 2};
  bs.run = &rc;
  macro::MacroCallBuiltinFunction(bs, 500, &param, 2, 2, &readPos, &outLen, nullptr, nullptr, src, out, ":sq", "",
                                  nullptr, nullptr, nullptr, 8);
  EXPECT_EQ(0, outLen);
  EXPECT_EQ(0, readPos);
}

// A defined function whose body runs a "#" statement over the same table:
// the outer walk sees the table change and stops without writing.
TEST_F(CellStatement, ABodyThatEditsTheTableStopsTheOuterWalk) {
  Load("h,v\r\nx,1\r\ny,2\r\n");
  const int result = Run("\tdefine#f\t\\t&1#UP\\t-\r\n\t&2#:f\t-\r\n");
  EXPECT_EQ(macro::kRunEnded, result);
  bool reported = false;
  for (const auto& r : host.reports) reported = reported || r.find("#function changed the table : :f") != std::string::npos;
  EXPECT_TRUE(reported);
  // The inner statement's change stands; the outer one wrote nothing.
  EXPECT_EQ("h,v\r\nX,1\r\nY,2\r\n", Text());
}

// "#LD" with a data file loads it first, then looks every cell up.
TEST_F(CellStatement, AnLdStatementLoadsItsDataFile) {
  const std::filesystem::path dir = std::filesystem::path(TABRYE_BIN_ROOT) / "macro_cell_statement";
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "data.txt").string();
  std::ofstream(path, std::ios::binary) << "$$ code,name,price\r\nA01,apple,120\r\nB02,bread,300\r\n";
  Load("h,code,x\r\n1,B02,\r\n2,A01,\r\n3,Z99,\r\n");
  EXPECT_EQ(macro::kRunEnded, Run("\t&2#LD3\t" + path + "\r\n"));
  EXPECT_TRUE(host.reports.empty()) << host.reports[0];
  EXPECT_EQ("h,code,x\r\n1,300,\r\n2,120,\r\n3,,\r\n", Text());
}

}  // namespace

// The same square with the real assignment statement as the body.
TEST_F(CellStatement, ADefinedFunctionBodyAssignsOut) {
  Load("h,v\r\nx,3\r\ny,-4\r\nz,12\r\n");
  const int result = Run("\tdefine#sq\t\\t@Out=#(@In*@In)\r\n\t&2#:sq\t-\r\n");
  EXPECT_EQ(macro::kRunEnded, result);
  EXPECT_EQ("h,v\r\nx,9\r\ny,16\r\nz,144\r\n", Text());
}
