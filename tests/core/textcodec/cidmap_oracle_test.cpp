// Every character id from 422 to 7,957 against the Adobe-Japan1 CMap
// "90ms-RKSJ-H" of poppler-data: the code the table gives is one of the
// codes the CMap maps to that id (tests/core/textcodec/cidmap_reference.py
// reads the CMap in the same run).
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "core/textcodec/cidmap.h"
#include "run_tool.h"
#include "support/outside_tool.h"

namespace {

constexpr char kCmap[] = "/usr/share/poppler/cMap/Adobe-Japan1/90ms-RKSJ-H";

TEST(CidMapOracle, EveryMappedIdMatchesTheCmap) {
  REQUIRE_TOOLS("python3");
  if (!std::filesystem::exists(kCmap)) GTEST_SKIP() << "poppler-data not installed";
  bool ok = false;
  const std::string table = textcodectest::RunTool(
      std::string("python3 '" TABRYE_TEST_ROOT "/tests/core/textcodec/cidmap_reference.py' '") + kCmap + "' 422 7957",
      "", &ok);
  ASSERT_TRUE(ok);
  std::istringstream lines(table);
  int compared = 0;
  for (std::string line; std::getline(lines, line);) {
    std::istringstream in(line);
    int id = 0;
    in >> id;
    std::uint8_t hi = static_cast<std::uint8_t>(id >> 8), lo = static_cast<std::uint8_t>(id & 0xFF);
    textcodec::CidToSjis(&hi, &lo);
    const unsigned ours = lo ? (hi << 8 | lo) : hi;
    bool found = false;
    std::string codes;
    for (std::string h; in >> h;) {
      found = found || std::stoul(h, nullptr, 16) == ours;
      codes += " " + h;
    }
    EXPECT_TRUE(found) << "id " << id << " gives " << std::hex << ours << ", the CMap" << codes;
    ++compared;
  }
  EXPECT_GT(compared, 6900);
}

}  // namespace
