// The view's conversion of text lines into the CSV table against Python's
// csv module: random TAB, bar and blank-aligned texts in Shift-JIS
// (tests/macro/texttotable_reference.py) are converted, and the fields read
// with delimiter 0x06 must equal Python's own parse of the input.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "csv/csv_table.h"
#include "macro/macro_texttotable.h"
#include "support/outside_tool.h"

namespace fs = std::filesystem;

namespace {

const std::uint8_t* U(const std::string& s) { return reinterpret_cast<const std::uint8_t*>(s.data()); }

std::string Content(const csv::Table& t) {
  return std::string(reinterpret_cast<const char*>(t.m_pTextBuf), t.UsedLength());
}

std::string ReadAll(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

TEST(TextToTableOracle, FieldsEqualPythonsParse) {
  REQUIRE_TOOLS("python3");
  const std::string script = TABRYE_TEST_ROOT "/tests/macro/texttotable_reference.py";
  const fs::path dir = fs::path(TABRYE_BIN_ROOT) / "macro_texttotable_oracle";
  fs::create_directories(dir);
  const int count = 300;
  const std::string gen = "python3 '" + script + "' gen 6101 " + std::to_string(count) + " '" + dir.string() + "'";
  ASSERT_EQ(0, std::system(gen.c_str())) << gen;
  for (int k = 0; k < count; ++k) {
    const std::string text = ReadAll(dir / ("case_" + std::to_string(k) + ".txt"));
    csv::Table t;
    macro::TextTableRequest req;
    req.how = 1;
    ASSERT_EQ(macro::kTextTableDone, macro::ConvertTextLinesToTable(U(text), text.size(), req, &t).result) << k;
    std::ofstream(dir / ("case_" + std::to_string(k) + ".out"), std::ios::binary) << Content(t);
  }
  const std::string check = "python3 '" + script + "' check " + std::to_string(count) + " '" + dir.string() + "'";
  EXPECT_EQ(0, std::system(check.c_str())) << check;
}

}  // namespace
