// The text-to-table conversion against Python's csv module: random comma,
// TAB and bar texts (tests/macro/texttable_reference.py writes them) are
// converted, with and without quote mode, and the fields of the result read
// with delimiter 0x06 must equal Python's own parse of the text. Aligned
// reports cut by the detected layout must give the cells that Python's
// slicing at the layout's positions gives.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "fw/alloc.h"
#include "macro/macro_columnlayout.h"
#include "macro/macro_texttable.h"
#include "support/outside_tool.h"

namespace fs = std::filesystem;

namespace {

const std::string kScript = TABRYE_TEST_ROOT "/tests/macro/texttable_reference.py";

std::string ReadAll(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

void WriteAll(const fs::path& p, const std::string& s) {
  std::ofstream f(p, std::ios::binary);
  f << s;
}

const std::uint8_t* U(const std::string& s) { return reinterpret_cast<const std::uint8_t*>(s.data()); }

class TextTableOracle : public ::testing::TestWithParam<bool> {};

TEST_P(TextTableOracle, FieldsEqualPythonsParse) {
  REQUIRE_TOOLS("python3");
  const bool quote = GetParam();
  const fs::path dir = fs::path(TABRYE_BIN_ROOT) / (quote ? "macro_texttable_oracle_q" : "macro_texttable_oracle");
  fs::create_directories(dir);
  const int count = 400;
  const std::string gen = "python3 '" + kScript + "' gen 3117 " + std::to_string(count) + " '" + dir.string() + "'";
  ASSERT_EQ(0, std::system(gen.c_str())) << gen;
  for (int k = 0; k < count; ++k) {
    const std::string text = ReadAll(dir / ("case_" + std::to_string(k) + ".txt"));
    const std::string sep = ReadAll(dir / ("case_" + std::to_string(k) + ".sep"));
    ASSERT_EQ(1u, sep.size());
    macro::ConvertedText out;
    ASSERT_TRUE(macro::ConvertBySeparator(U(text), text.size(), static_cast<std::uint8_t>(sep[0]), quote, &out));
    WriteAll(dir / ("case_" + std::to_string(k) + ".out"), std::string(out.bytes, out.length));
    fw::Free(out.bytes);
  }
  const std::string check = "python3 '" + kScript + "' check " + std::to_string(count) + " '" + dir.string() + "'";
  EXPECT_EQ(0, std::system(check.c_str())) << check;
}

INSTANTIATE_TEST_SUITE_P(QuoteMode, TextTableOracle, ::testing::Values(false, true));

TEST(ColumnLayoutOracle, CellsEqualPythonsSlicing) {
  REQUIRE_TOOLS("python3");
  const fs::path dir = fs::path(TABRYE_BIN_ROOT) / "macro_columnlayout_oracle";
  fs::create_directories(dir);
  const int count = 300;
  const std::string gen = "python3 '" + kScript + "' report 6101 " + std::to_string(count) + " '" + dir.string() + "'";
  ASSERT_EQ(0, std::system(gen.c_str())) << gen;
  for (int k = 0; k < count; ++k) {
    const std::string name = "report_" + std::to_string(k);
    const std::string text = ReadAll(dir / (name + ".txt"));
    macro::ColumnLayout layout;
    ASSERT_TRUE(macro::DetectColumnLayout(U(text), text.size(), macro::kLayoutFromLine, 1, &layout)) << k;
    macro::ScanResult cut;
    macro::ScanTextRange(U(text), text.size(), 0, layout.spec, "", &cut);
    WriteAll(dir / (name + ".spec"), layout.spec);
    WriteAll(dir / (name + ".out"), cut.out);
  }
  const std::string check = "python3 '" + kScript + "' cut " + std::to_string(count) + " '" + dir.string() + "'";
  EXPECT_EQ(0, std::system(check.c_str())) << check;
}

}  // namespace
