// The part loader's UTF-8 conversion against iconv's UTF-8 to CP932, over
// every character of the 16-bit plane: one line per character, and where
// iconv has no mapping the loader writes "?".
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "convert/ooxml_part.h"
#include "fw/codepage.h"
#include "support/outside_tool.h"

namespace {

using namespace convert;

std::vector<std::string> SplitLines(const std::string& s) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  for (std::size_t nl; (nl = s.find('\n', at)) != std::string::npos; at = nl + 1) lines.push_back(s.substr(at, nl - at));
  return lines;
}

TEST(OoxmlPartOracle, EveryCharacterAsIconvConvertsIt) {
  REQUIRE_TOOLS("iconv");
  std::u16string units;
  std::vector<char32_t> chars;
  for (char32_t u = 0x20; u < 0x10000; ++u) {
    if (u >= 0xD800 && u < 0xE000) continue;
    chars.push_back(u);
    units.push_back(static_cast<char16_t>(u));
    units.push_back(u'\n');
  }
  const std::string utf8 = fw::Utf16ToUtf8(units);
  const std::string path = std::string(TABRYE_BIN_ROOT) + "/ooxml_part_oracle.txt";
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(utf8.data(), 1, utf8.size(), f);
  std::fclose(f);
  // -c drops what CP932 lacks: such a line comes back empty.
  const std::vector<std::string> want = SplitLines(testsupport::RunCapture("iconv -c -f UTF-8 -t CP932 '" + path + "'"));
  std::string got(utf8.size(), '\0');
  got.resize(ConvertPartToSjis(reinterpret_cast<const std::uint8_t*>(utf8.data()), utf8.size(), &got[0]));
  const std::vector<std::string> lines = SplitLines(got);
  ASSERT_EQ(want.size(), chars.size());
  ASSERT_EQ(lines.size(), chars.size());
  int differ = 0, unmapped = 0;
  for (std::size_t i = 0; i < chars.size(); ++i) {
    std::string expect = want[i].empty() ? "?" : want[i];
    if (want[i].empty()) ++unmapped;
    if (lines[i] != expect && ++differ <= 20) {
      ADD_FAILURE() << std::hex << "U+" << static_cast<unsigned>(chars[i]) << ": iconv " << expect.size()
                    << " bytes, loader " << lines[i].size() << " bytes";
    }
  }
  EXPECT_EQ(differ, 0);
  EXPECT_GT(unmapped, 1000);  // the check saw characters without a mapping
  std::remove(path.c_str());
}

}  // namespace
