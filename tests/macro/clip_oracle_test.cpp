// The clipboard conversion against Python's csv module: random comma and TAB
// texts (tests/macro/clip_reference.py writes them, Shift-JIS, quoted fields
// holding commas, TABs and doubled quotes) are converted as loadclip does,
// and every row split at 0x06, each field's quotes read as CSV quotes, must
// give the fields csv.reader gives.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "macro/macro_exec_clip.h"
#include "support/outside_tool.h"

namespace fs = std::filesystem;

namespace {

const std::string kScript = TABRYE_TEST_ROOT "/tests/macro/clip_reference.py";

std::string ReadAll(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// A field of the table as the reader shows it: outer quotes off, "" as ".
std::string Unquote(const std::string& f) {
  if (f.size() < 2 || f.front() != '"' || f.back() != '"') return f;
  std::string out;
  for (std::size_t k = 1; k + 1 < f.size(); ++k) {
    out += f[k];
    if (f[k] == '"' && f[k + 1] == '"') ++k;
  }
  return out;
}

// The table's rows (CR LF ends) and fields (0x06) in the .want form.
std::string Fields(const std::string& table) {
  std::string out;
  std::size_t at = 0;
  while (at < table.size()) {
    std::size_t end = table.find("\r\n", at);
    if (end == std::string::npos) end = table.size();
    const std::string row = table.substr(at, end - at);
    std::size_t f = 0;
    for (;;) {
      const std::size_t sep = row.find('\x06', f);
      out += Unquote(row.substr(f, sep == std::string::npos ? std::string::npos : sep - f));
      if (sep == std::string::npos) break;
      out += '\x1f';
      f = sep + 1;
    }
    out += '\x1e';
    at = end + 2;
  }
  return out;
}

TEST(ClipOracle, FieldsEqualPythonsParse) {
  REQUIRE_TOOLS("python3");
  const fs::path dir = fs::path(TABRYE_BIN_ROOT) / "macro_clip_oracle";
  fs::create_directories(dir);
  const int count = 500;
  const std::string gen = "python3 '" + kScript + "' gen 4311 " + std::to_string(count) + " '" + dir.string() + "'";
  ASSERT_EQ(0, std::system(gen.c_str())) << gen;
  for (int k = 0; k < count; ++k) {
    const std::string text = ReadAll(dir / ("case_" + std::to_string(k) + ".txt"));
    const std::string want = ReadAll(dir / ("case_" + std::to_string(k) + ".want"));
    std::string table(text.size(), '\0');
    const auto* in = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto n = static_cast<std::uint32_t>(text.size());
    macro::MacroClipToTable(in, n, macro::MacroClipBalance(in, n), reinterpret_cast<std::uint8_t*>(table.data()));
    ASSERT_EQ(want, Fields(table)) << "case " << k << ": " << text;
  }
}

}  // namespace
