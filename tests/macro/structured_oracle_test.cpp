// A structured macro over a CP932 table against Python's csv module: "for",
// "do" with "outloop", block and one-line "if" / "else", a call with a
// by-reference argument, a jump inside the subroutine and its return; the
// table saved in comma form holds the records Python computes for the same
// steps (tests/macro/structured_reference.py).
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "core/docdata/doc_fields.h"
#include "csv/csv_fileform.h"
#include "csv/csv_table.h"
#include "run_fixture.h"
#include "structured_macro_text.h"
#include "fw/alloc.h"
#include "macro/macro_run.h"
#include "macro/macro_state.h"
#include "support/outside_tool.h"

namespace fs = std::filesystem;

namespace {

// Slots of "define\tn,k,total".
constexpr int kN = 180, kK = 181, kTotal = 182;

TEST(StructuredMacroOracle, RewritesTheTableAsPythonComputes) {
  REQUIRE_TOOLS("python3");
  const fs::path dir = fs::path(TABRYE_BIN_ROOT) / "structured_macro_oracle";
  fs::create_directories(dir);
  const fs::path source = dir / "source.csv";
  const fs::path script = dir / "write.py";
  {
    std::ofstream(script) << "# -*- coding: cp932 -*-\nimport csv\n"
                             "rows = [['名前', '区分', '数', 'メモ'], ['ソース', 'A', '1', 'a,b'],"
                             " ['表示', 'B', '2', 'say \"hi\"'], ['山田', 'A', '3', 'line1\\r\\nline2'],"
                             " ['佐藤, 一郎', 'C', '4', ''], ['山田', 'B', '7', 'x']]\n"
                             "with open(r'"
                          << source.string()
                          << "', 'w', newline='', encoding='cp932') as f:\n    csv.writer(f).writerows(rows)\n";
  }
  testsupport::RunCapture("python3 '" + script.string() + "'");
  std::ifstream in(source, std::ios::binary);
  const std::string file((std::istreambuf_iterator<char>(in)), {});
  ASSERT_FALSE(file.empty());

  auto st = std::make_unique<macro::MacroState>();
  macrotest::FakeRunHost host;
  auto table = std::make_unique<csv::Table>();
  auto doc = std::make_unique<app::DvkDocData>();
  std::uint32_t fileKind = 33, sourceView = 0, editMode = 0, sortFlags = 0;
  macro::MacroRunContext rc{*st,  host, *table, *doc, *doc, *doc, *doc, *doc,
                            {&fileKind, &sourceView, &editMode, &sortFlags}};
  ASSERT_TRUE(table->LoadFileText(file.data(), file.size(), 64));
  // The macro text (the literals are in code page 932, as a macro document
  // holds them).
  macrotest::SetDocumentText(*doc, macrotest::StructuredMacro());
  host.statusLimit = 20000;
  EXPECT_EQ(macro::kRunEnded, macro::RunMacro(rc, macro::kRunDocument, "C:\\m\\s.rmc", "", "C:\\m"));
  EXPECT_TRUE(host.reports.empty()) << host.reports.front();
  EXPECT_EQ("2", std::string(st->m_strMacroVars[kN].GetString()));
  EXPECT_EQ("3", std::string(st->m_strMacroVars[kK].GetString()));
  EXPECT_EQ("2", std::string(st->m_strMacroVars[kTotal].GetString()));

  const fs::path result = dir / "result.csv";
  { std::ofstream(result, std::ios::binary) << table->FileText(csv::CommaFormKind::kComma); }
  EXPECT_EQ("same\n", testsupport::RunCapture("python3 '" TABRYE_TEST_ROOT "/tests/macro/structured_reference.py' '" +
                                              source.string() + "' '" + result.string() + "'"));
}

}  // namespace
