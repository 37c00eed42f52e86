// The width, case, comma and prefecture functions over random Shift-JIS
// fields (1 to 5,000 bytes) against Python on the decoded cp932 characters
// (tests/macro/fn_reference.py), and the statistics down a column and
// across a row against Python's statistics and decimal modules.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "csv/csv_table.h"
#include "macro/macro_cmdfunc.h"
#include "macro/macro_builtins.h"
#include "macro/macro_state.h"
#include "support/outside_tool.h"
#include "test_host.h"

namespace fs = std::filesystem;

namespace {

std::string Hex(const std::string& s) {
  static const char* d = "0123456789abcdef";
  std::string h;
  for (unsigned char c : s) {
    h += d[c >> 4];
    h += d[c & 15];
  }
  return h;
}

std::string Call(macro::MacroState& st, int code, int param, const std::string& field) {
  std::vector<std::uint8_t> src(field.begin(), field.end());
  src.push_back(0x06);
  std::vector<std::uint8_t> out(12000);
  int readPos = 0, outLen = 0;
  macrotest::TestHost host;
  macro::BuiltinScope bs{st, &host, nullptr, static_cast<std::uint32_t>(src.size())};
  macro::MacroCallBuiltinFunction(bs, code, &param, 1, 1, &readPos, &outLen, nullptr, nullptr, src.data(), out.data(),
                                  "XX", "", nullptr, nullptr, nullptr, static_cast<int>(out.size()));
  return std::string(reinterpret_cast<const char*>(out.data()), static_cast<std::size_t>(outLen));
}

std::vector<std::string> Python(const fs::path& dir, const std::string& script, const std::string& input) {
  { std::ofstream(dir / "cases.txt", std::ios::binary) << input; }
  const std::string cmd = "python3 '" TABRYE_TEST_ROOT "/tests/macro/" + script + "' < '" +
                          (dir / "cases.txt").string() + "' > '" + (dir / "expected.txt").string() + "'";
  EXPECT_EQ(0, std::system(cmd.c_str())) << cmd;
  std::ifstream in(dir / "expected.txt");
  std::vector<std::string> lines;
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  return lines;
}

struct Named {
  const char* name;
  int code;
};

TEST(FnOracle, WidthCaseCommaAndPrefectureMatchPython) {
  REQUIRE_TOOLS("python3");
  const fs::path dir = fs::path(TABRYE_BIN_ROOT) / "macro_fn_oracle";
  fs::create_directories(dir);
  auto st = std::make_unique<macro::MacroState>();
  std::mt19937 rng(4040);
  const char* const pieces[] = {"a", "Z", "7", "0", "x", "\x82\xa0", "\x83\x5c", "\x95\x5c", "\x88\x9f", "b", "\x81\x40"};
  auto field = [&](std::size_t bytes) {
    std::string s = rng() % 3 == 0 ? "-" : "";
    while (s.size() < bytes) s += pieces[rng() % (sizeof pieces / sizeof pieces[0])];
    return s;
  };
  const Named widths[] = {{"FL", 11}, {"FZ", 10}, {"AL", 18}, {"AZ", 42}, {"CL", 48},
                          {"FR", 12}, {"F0", 44}, {"AR", 47}, {"A0", 43}, {"CR", 16}};
  std::string cases;
  std::vector<std::string> got;
  for (int k = 0; k < 600; ++k) {
    const Named& w = widths[k % 10];
    const std::size_t len = k < 300 ? 1 + rng() % 40 : 1 + rng() % 5000;
    const std::string f = field(len);
    const int width = static_cast<int>(rng() % (f.size() + 20));
    cases += std::string(w.name) + "\t" + std::to_string(width) + "\t" + Hex(f) + "\n";
    got.push_back(Hex(Call(*st, w.code, width, f)));
  }
  const Named others[] = {{"UP", 22}, {"LW", 23}, {"TU", 24}};
  const char* const words[] = {"hELLO", " wORLD", "\x82\xa0", "\x83\x61", "abc", "XyZ", "\"q", "1"};
  for (int k = 0; k < 300; ++k) {
    std::string f;
    for (int n = 1 + static_cast<int>(rng() % 6); n > 0; --n) f += words[rng() % 8];
    const Named& o = others[k % 3];
    cases += std::string(o.name) + "\t0\t" + Hex(f) + "\n";
    got.push_back(Hex(Call(*st, o.code, 0, f)));
  }
  for (int k = 0; k < 200; ++k) {
    std::string f = k % 4 == 0 ? "-" : "";
    f += std::to_string(rng() % 10 + 1);
    for (int n = static_cast<int>(rng() % 12); n > 0; --n) f += static_cast<char>('0' + rng() % 10);
    if (k % 3 == 0) f += "." + std::to_string(rng() % 1000);
    cases += "AC\t0\t" + Hex(f) + "\n";
    got.push_back(Hex(Call(*st, 15, 0, f)));
  }
  // Addresses: a prefecture (or none) and the rest.
  const char* const heads[] = {"\x93\x8c\x8b\x9e\x93\x73", "\x96\x6b\x8a\x43\x93\xb9", "\x8b\x9e\x93\x73\x95\x7b",
                               "\x90\x5f\x93\xde\x90\xec\x8c\xa7", "\x8e\x81\x8e\x99\x93\x87\x8c\xa7", "abc", ""};
  for (int k = 0; k < 70; ++k) {
    const std::string f = std::string(heads[k % 7]) + "\x8e\x73 1-2";
    cases += std::string(k % 2 ? "KENR" : "KEN") + "\t0\t" + Hex(f) + "\n";
    got.push_back(Hex(Call(*st, k % 2 ? 96 : 95, 0, f)));
  }
  const std::vector<std::string> want = Python(dir, "fn_reference.py", cases);
  ASSERT_EQ(got.size(), want.size());
  std::istringstream lines(cases);
  for (std::size_t k = 0; k < got.size(); ++k) {
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(want[k], got[k]) << line.substr(0, 120);
  }
}

TEST(FnOracle, StatisticsMatchPython) {
  REQUIRE_TOOLS("python3");
  const fs::path dir = fs::path(TABRYE_BIN_ROOT) / "macro_fn_stats_oracle";
  fs::create_directories(dir);
  std::mt19937 rng(6060);
  auto cell = [&]() -> std::string {
    switch (rng() % 8) {
      case 0:
        return "";
      case 1:
        return "word";
      case 2:
        return "-" + std::to_string(rng() % 500) + "." + std::to_string(10 + rng() % 90);
      case 3:
        return "\"" + std::to_string(1 + rng() % 9) + "," + std::to_string(100 + rng() % 900) + "\"";
      case 4:
        return std::to_string(rng() % 100000) + "." + std::to_string(rng() % 10);
      default:
        return std::to_string(rng() % 1000);
    }
  };
  std::string file = "h1,h2,h3,h4,h5,h6\r\n";
  for (int r = 0; r < 40; ++r) {
    for (int c = 0; c < 6; ++c) file += (c ? "," : "") + cell();
    file += "\r\n";
  }
  { std::ofstream(dir / "table.csv", std::ios::binary) << file; }
  auto st = std::make_unique<macro::MacroState>();
  auto table = std::make_unique<csv::Table>();
  ASSERT_TRUE(table->LoadFileText(file.data(), file.size(), 64));
  macrotest::TestHost host;
  macro::CmdFuncScope scope{*st};
  scope.host = &host;
  scope.table = table.get();
  const char* const names[] = {"MAX", "MIN", "SUM", "AVE", "NUM", "NDT", "DEV", "VAR", "NWD"};
  std::string cases, shown;
  std::vector<std::string> got;
  for (int k = 0; k < 180; ++k) {
    const std::string name = names[k % 9];
    const bool down = (k / 9) % 2 == 0;
    const int row = 2 + static_cast<int>(rng() % 40), col = 1 + static_cast<int>(rng() % 6);
    int first, last;
    std::string func;
    if (down) {
      first = 2 + static_cast<int>(rng() % 40);
      last = first + static_cast<int>(rng() % (42 - first));
      func = "#" + name + "@" + std::to_string(first) + "_" + std::to_string(last);
    } else {
      first = 1 + static_cast<int>(rng() % 6);
      last = first + static_cast<int>(rng() % (7 - first));
      func = "#" + name + std::to_string(first) + "_" + std::to_string(last);
    }
    ASSERT_EQ(1, macro::MacroEvalCommandLineFunctions(scope, 1, row, -1, col, CString(func)));
    got.push_back(st->m_strMacroVars[170].Str());
    cases += name + "\t" + (down ? "1" : "0") + "\t" + std::to_string(row) + "\t" + std::to_string(col) + "\t" +
             std::to_string(first) + "\t" + std::to_string(last) + "\n";
    shown += func + "\n";
  }
  const std::string cmd = "python3 '" TABRYE_TEST_ROOT "/tests/macro/stats_reference.py' '" +
                          (dir / "table.csv").string() + "'";
  { std::ofstream(dir / "cases.txt", std::ios::binary) << cases; }
  ASSERT_EQ(0, std::system((cmd + " < '" + (dir / "cases.txt").string() + "' > '" + (dir / "expected.txt").string() +
                            "'").c_str()));
  std::ifstream in(dir / "expected.txt");
  std::istringstream funcs(shown);
  for (std::size_t k = 0; k < got.size(); ++k) {
    std::string want, func;
    std::getline(in, want);
    std::getline(funcs, func);
    EXPECT_EQ(want, got[k]) << func << " at row/col of case " << k;
  }
}

}  // namespace
