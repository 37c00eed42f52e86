// The date and time functions against Python's datetime, calendar and
// timedelta: tests/macro/date_reference.py writes random dates from 1901 to
// 2099 in several forms, serials, month serials, times and shifts with the
// results Python computes; each case runs through the command-line
// evaluator and must give the same bytes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "macro/macro_cmdfunc.h"
#include "macro/macro_state.h"
#include "support/outside_tool.h"
#include "test_host.h"

namespace fs = std::filesystem;

namespace {

std::string Unhex(const std::string& h) {
  std::string s;
  for (std::size_t k = 0; k + 1 < h.size(); k += 2) s += static_cast<char>(std::stoi(h.substr(k, 2), nullptr, 16));
  return s;
}

TEST(FnDateOracle, DatesAndTimesMatchPython) {
  REQUIRE_TOOLS("python3");
  const fs::path dir = fs::path(TABRYE_BIN_ROOT) / "macro_fn_date_oracle";
  fs::create_directories(dir);
  const std::string cmd = "python3 '" TABRYE_TEST_ROOT "/tests/macro/date_reference.py' 4141 1500 > '" +
                          (dir / "cases.txt").string() + "'";
  ASSERT_EQ(0, std::system(cmd.c_str())) << cmd;

  auto st = std::make_unique<macro::MacroState>();
  macrotest::TestHost host;
  macro::CmdFuncScope scope{*st};
  scope.host = &host;
  std::ifstream in(dir / "cases.txt");
  std::map<std::string, int> perName;
  int cases = 0, failures = 0;
  for (std::string line; std::getline(in, line);) {
    std::istringstream fields(line);
    std::string func, field, want;
    std::getline(fields, func, '\t');
    std::getline(fields, field, '\t');
    std::getline(fields, want, '\t');
    st->m_strMacroVars[187] = CString(Unhex(field));
    ASSERT_EQ(1, macro::MacroEvalCommandLineFunctions(scope, 0, 0, -1, 187, CString("#" + func))) << func;
    const std::string got = st->m_strMacroVars[187].Str();
    ++cases;
    ++perName[func.substr(0, 3)];
    if (got != Unhex(want) && ++failures <= 40)
      ADD_FAILURE() << func << " on \"" << Unhex(field) << "\": got \"" << got << "\", Python \"" << Unhex(want)
                    << "\"";
  }
  EXPECT_EQ(0, failures);
  EXPECT_GT(cases, 100000);
  // Every function of the family was tried.
  for (const char* name : {"TDN", "TND", "TDF", "TDM", "TMD", "TDW", "TAM", "TSM", "TAD", "TSD", "TEM", "TBM", "TBN",
                           "TCK", "TDH", "THS", "TSH", "TAS", "TSS"})
    EXPECT_GT(perName[name], 100) << name;
}

}  // namespace
