// Half-width katakana against Python's cp932 codec and unicodedata
// (tests/csv/katakana_reference.py gives the form of each second byte).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "csv/csv_katakana.h"
#include "support/outside_tool.h"

namespace fs = std::filesystem;

namespace {

TEST(CsvKatakana, AgreesWithPythonsCodec) {
  REQUIRE_TOOLS("python3");
  const fs::path dir = fs::path(TABRYE_BIN_ROOT) / "csv_katakana";
  fs::create_directories(dir);
  const std::string out = (dir / "kana.txt").string();
  const std::string cmd = "python3 '" TABRYE_TEST_ROOT "/tests/csv/katakana_reference.py' > '" + out + "'";
  ASSERT_EQ(0, std::system(cmd.c_str()));
  // The approximations the half-width set forces.
  const std::map<int, int> approx = {{0x7F, 0xA0}, {0x8E, 0xDC}, {0x90, 0xB2}, {0x91, 0xB4}, {0x95, 0xB5}, {0x96, 0xB8}};
  std::ifstream in(out);
  int b = 0, want = 0, seen = 0;
  while (in >> b >> want) {
    ++seen;
    const auto a = approx.find(b);
    if (a != approx.end()) {
      EXPECT_EQ(-1, want) << b;
      EXPECT_EQ(a->second, csv::KatakanaToHalfWidth(b)) << b;
    } else {
      EXPECT_EQ(want, csv::KatakanaToHalfWidth(b)) << std::hex << b;
    }
  }
  EXPECT_EQ(87, seen);
}

}  // namespace
