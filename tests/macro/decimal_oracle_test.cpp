// The evaluator's decimal arithmetic against Python's decimal module:
// random expressions (tests/macro/decimal_reference.py writes them and their
// expected texts in the same run), and "<<...>>" range totals over a
// Shift-JIS CSV file that Python's csv module reads and decimal adds up.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "csv/csv_table.h"
#include "macro/macro_expr.h"
#include "macro/macro_lines.h"
#include "macro/macro_state.h"
#include "support/outside_tool.h"
#include "test_host.h"

namespace fs = std::filesystem;

namespace {

const std::string kScript = TABRYE_TEST_ROOT "/tests/macro/decimal_reference.py";

struct Evaluator {
  std::unique_ptr<macro::MacroState> st = std::make_unique<macro::MacroState>();
  std::unique_ptr<csv::Table> table = std::make_unique<csv::Table>();
  macrotest::TestHost host;
  macro::MacroEnv env{*st, &host, table.get(), &st->m_lineIndex, {}};

  std::string Run(const std::string& expr, char* kind = nullptr) {
    macro::ExprContext ctx;
    ctx.env = &env;
    if (table->m_pTextBuf) ctx.lineTable = macro::MacroTableLineIndex(&st->m_lineIndex, *table);
    std::vector<char> out(9005);
    char k = 0;
    std::int64_t v = 0;
    macro::MacroEvalExpression(0, out.data(), 9005, CString(expr), &k, &v, &ctx);
    if (kind) *kind = k;
    return out.data();
  }
};

TEST(DecimalOracle, RandomExpressionsMatchPythonsDecimal) {
  REQUIRE_TOOLS("python3");
  const fs::path dir = fs::path(TABRYE_BIN_ROOT) / "macro_decimal_oracle";
  fs::create_directories(dir);
  const std::string out = (dir / "exprs.txt").string();
  const std::string cmd = "python3 '" + kScript + "' exprs 1741 3000 '" + out + "'";
  ASSERT_EQ(0, std::system(cmd.c_str())) << cmd;
  std::ifstream f(out);
  Evaluator e;
  std::string line;
  int count = 0, wrong = 0;
  while (std::getline(f, line)) {
    const size_t tab = line.find('\t');
    ASSERT_NE(tab, std::string::npos);
    char kind = 0;
    const std::string got = e.Run(line.substr(0, tab), &kind);
    EXPECT_EQ(kind, '#') << line;
    if (got != line.substr(tab + 1) && ++wrong <= 20) ADD_FAILURE() << line << "\n   got " << got;
    ++count;
  }
  EXPECT_EQ(count, 3000);
  EXPECT_EQ(wrong, 0);
}

TEST(DecimalOracle, RangeTotalsOfAShiftJisTableMatchPython) {
  REQUIRE_TOOLS("python3");
  std::mt19937 rng(99);
  // Columns: a Japanese name, then numbers in the forms the file may hold
  // (decimals of 0-4 places, quoted with separators, negative, empty).
  const char* const kNames[] = {"東京", "大阪", "表示", "ソース", "Tokyo", "名古屋"};
  std::string text = "名前,数量,単価,金額,メモ\r\n";
  auto number = [&]() -> std::string {
    const int places = static_cast<int>(rng() % 5);
    long long whole = static_cast<long long>(rng() % 5000000);
    std::string s = std::to_string(whole);
    if (places) {
      std::string frac = std::to_string(rng() % 10000);
      frac = std::string(4 - (frac.size() < 4 ? frac.size() : 4), '0') + frac;
      s += "." + frac.substr(0, static_cast<size_t>(places));
    }
    switch (rng() % 6) {
      case 0: return "-" + s;
      case 1: {
        std::string sep;
        const size_t dot = s.find('.');
        const std::string w = s.substr(0, dot);
        for (size_t k = 0; k < w.size(); ++k) {
          if (k && (w.size() - k) % 3 == 0) sep += ',';
          sep += w[k];
        }
        return "\"" + sep + (dot == std::string::npos ? "" : s.substr(dot)) + "\"";
      }
      case 2: return rng() % 3 ? s : "";
      default: return s;
    }
  };
  for (int r = 0; r < 400; ++r)
    text += std::string(kNames[rng() % 6]) + "," + number() + "," + number() + "," + number() + ",メモ" +
            std::to_string(r) + "\r\n";
  // The literals are compiled in CP932, so the text is the file's bytes.
  const fs::path dir = fs::path(TABRYE_BIN_ROOT) / "macro_decimal_oracle";
  fs::create_directories(dir);
  {
    std::ofstream(dir / "table.csv", std::ios::binary) << text;
  }
  const std::string& sjis = text;

  std::vector<std::vector<int>> specs = {{2, 2, 2, 401}, {2, 4, 2, 401}, {3, 3, 10, 20}, {2, 4, 400, 401}};
  for (int k = 0; k < 40; ++k) {
    const int c1 = 2 + static_cast<int>(rng() % 3), c2 = c1 + static_cast<int>(rng() % (5 - c1));
    const int r1 = 2 + static_cast<int>(rng() % 400), r2 = r1 + static_cast<int>(rng() % (402 - r1));
    specs.push_back({c1, c2, r1, r2});
  }
  {
    std::ofstream f(dir / "specs.txt");
    for (const auto& s : specs) f << s[0] << " " << s[1] << " " << s[2] << " " << s[3] << "\n";
  }
  const std::string cmd = "python3 '" + kScript + "' range '" + (dir / "table.csv").string() + "' '" +
                          (dir / "specs.txt").string() + "' '" + (dir / "sums.txt").string() + "'";
  ASSERT_EQ(0, std::system(cmd.c_str())) << cmd;
  std::ifstream sums(dir / "sums.txt");

  Evaluator e;
  ASSERT_TRUE(e.table->LoadFileText(sjis.data(), sjis.size(), 64));
  for (const auto& s : specs) {
    std::string expected;
    ASSERT_TRUE(std::getline(sums, expected));
    // The form the CSV column commands build for a total.
    const std::string expr = "#(<<&" + std::to_string(s[0]) + "-" + std::to_string(s[1]) + "@" +
                             std::to_string(s[2]) + "-" + std::to_string(s[3]) + "|&@+>>)";
    EXPECT_EQ(e.Run(expr), expected) << expr;
  }
}

}  // namespace
