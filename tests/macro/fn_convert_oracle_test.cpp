// The code conversions against outside tools (tests/macro/convert_reference.py):
// a word list in UTF-8 converted by iconv and nkf into EUC-JP, ISO-2022-JP
// and UTF-16LE, one word per field; "UTF8" and "UNIC" against iconv -t
// CP932, "EUCC" and "BINH" against iconv -t SHIFT_JIS, "BASE" against
// base64 -d (padded and unpadded), "TZK" against NFKC and "THK" back,
// "TAN" and "TUN" against Python's cp932 codes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "macro/macro_builtins.h"
#include "macro/macro_state.h"
#include "support/outside_tool.h"
#include "test_host.h"

namespace fs = std::filesystem;

namespace {

std::string Unhex(const std::string& h) {
  std::string s;
  for (std::size_t i = 0; i + 1 < h.size(); i += 2) s += static_cast<char>(std::stoi(h.substr(i, 2), nullptr, 16));
  return s;
}

std::string Hex(const std::string& s) {
  static const char* d = "0123456789abcdef";
  std::string h;
  for (unsigned char c : s) {
    h += d[c >> 4];
    h += d[c & 15];
  }
  return h;
}

int CodeOf(const std::string& name) {
  const struct {
    const char* name;
    int code;
  } codes[] = {{"UTF8", 140}, {"EUCC", 141}, {"BINH", 142}, {"BASE", 143}, {"UNIC", 144},
               {"TZK", 27},   {"THK", 30},   {"TAN", 80},   {"TUN", 78}};
  for (const auto& c : codes)
    if (name == c.name) return c.code;
  return -1;
}

std::string Call(macro::MacroState& st, int code, const std::string& field) {
  std::vector<std::uint8_t> src(field.begin(), field.end());
  src.push_back(0x06);
  std::vector<std::uint8_t> out(4000);
  int param = -9, readPos = 0, outLen = 0;
  macrotest::TestHost host;
  macro::BuiltinScope bs{st, &host, nullptr, static_cast<std::uint32_t>(src.size())};
  macro::MacroCallBuiltinFunction(bs, code, &param, 1, 1, &readPos, &outLen, nullptr, nullptr, src.data(), out.data(),
                                  "XX", "", nullptr, nullptr, nullptr, static_cast<int>(out.size()));
  return std::string(reinterpret_cast<const char*>(out.data()), static_cast<std::size_t>(outLen));
}

TEST(FnConvertOracle, ConversionsMatchOutsideTools) {
  REQUIRE_TOOLS("python3", "iconv", "nkf", "base64");
  const fs::path dir = fs::path(TABRYE_BIN_ROOT) / "macro_fn_convert_oracle";
  fs::create_directories(dir);
  const std::string cmd = "python3 '" TABRYE_TEST_ROOT "/tests/macro/convert_reference.py' > '" +
                          (dir / "cases.txt").string() + "'";
  ASSERT_EQ(0, std::system(cmd.c_str())) << cmd;
  std::ifstream in(dir / "cases.txt");
  auto st = std::make_unique<macro::MacroState>();
  int cases = 0, failures = 0;
  for (std::string line; std::getline(in, line);) {
    std::istringstream fields(line);
    std::string name, given, want;
    std::getline(fields, name, '\t');
    std::getline(fields, given, '\t');
    std::getline(fields, want, '\t');
    const int code = CodeOf(name);
    ASSERT_GE(code, 0) << line;
    const std::string got = Hex(Call(*st, code, Unhex(given)));
    if (got != want && ++failures <= 20) ADD_FAILURE() << name << " on " << given << ": " << got << ", expected " << want;
    ++cases;
  }
  EXPECT_EQ(0, failures);
  EXPECT_GT(cases, 20000);
}

}  // namespace
