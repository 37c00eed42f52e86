// The replace statements of a ".rmc" run over a Shift-JIS CSV table give,
// for literal patterns, the bytes GNU sed gives (LC_ALL=C) with the same
// replacement over the same line range of the same file, and the run's
// total is the number of replacements.
#include <gtest/gtest.h>

#include <string>

#include "csv/csv_table.h"
#include "macro/macro_run.h"
#include "macro/macro_state.h"
#include "run_fixture.h"
#include "support/file_bytes.h"
#include "support/outside_tool.h"
#include "support/temp_folder.h"

namespace {

// Shift-JIS words; 表, ソ and 能 end in the byte '\'. No word holds a byte
// that a literal below could match across a character's two bytes.
const char* const kWords[] = {"\x93\x8c\x8b\x9e",          // 東京
                              "\x91\xe5\x8d\xe3",          // 大阪
                              "\x95\x5c\x8e\xa6",          // 表示
                              "\x83\x5c\x83\x74\x83\x67",  // ソフト
                              "\x94\x5c\x97\xcd",          // 能力
                              "station", "12.50", "abc", "x", "Data", "\xb6\xc0\xb6\xc5"};  // ｶﾀｶﾅ

std::string MakeCsv(int rows) {
  std::string t = "id,name,place,note\r\n";
  unsigned state = 2024;
  auto next = [&] {
    state = state * 1103515245u + 12345u;
    return (state >> 8) & 0xFFFF;
  };
  for (int r = 1; r <= rows; ++r) {
    t += std::to_string(r);
    for (int c = 0; c < 3; ++c) {
      t += ',';
      const int words = static_cast<int>(next() % 4);
      for (int w = 0; w < words; ++w) t += kWords[next() % (sizeof kWords / sizeof kWords[0])];
    }
    t += "\r\n";
  }
  return t;
}

std::string SedEscape(const std::string& s, const char* special) {
  std::string out;
  for (char c : s) {
    if (std::string(special).find(c) != std::string::npos) out += '\\';
    out += c;
  }
  return out;
}

// Non-overlapping occurrences of `what` in the lines of `text` from line
// `first` (1-based) to `last` (0: the end), as sed counts its replacements
// of a literal in C bytes.
int Occurrences(const std::string& text, const std::string& what, int first, int last) {
  int line = 1, n = 0;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t end = text.find('\n', at);
    const std::string l = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
    if (line >= first && (last == 0 || line <= last))
      for (std::size_t p = l.find(what); p != std::string::npos; p = l.find(what, p + what.size())) ++n;
    if (end == std::string::npos) break;
    at = end + 1;
    ++line;
  }
  return n;
}

class ReplaceOracle : public macrotest::RunFixture<> {
 protected:
  ReplaceOracle() : RunFixture(33) {}
};

TEST_F(ReplaceOracle, LiteralReplacesEqualGnuSed) {
  REQUIRE_TOOLS("sed");
  testsupport::TempProgramFolder folder;
  const std::string csv = MakeCsv(3000);
  const std::string path = folder.File("data.csv");
  testsupport::WriteFileBytes(path, csv);
  struct Case {
    const char* command;      // after "rep:"
    const char* replacement;  // the statement's operand
    int first, last;          // the line range sed gets (last 0: to the end)
  } cases[] = {
      {"&@0:\x93\x8c\x8b\x9e", "\x91\xe5\x8d\xe3\x95\x7b", 2, 0},  // 東京 -> 大阪府, from the line after the title
      {"&@1_:station", "STN", 1, 0},
      {"&@3_500:\x95\x5c\x8e\xa6", "NULL", 3, 500},                // 表示 deleted in lines 3-500
      {"&@0:\x83\x5c\x83\x74\x83\x67", "soft", 2, 0},              // ソフト
      {"&@1_:12.50", "\x94\x5c", 1, 0},                            // a replacement ending in '\'
      {"&@10_:abcx", "<x>", 10, 0},
      {"&@0:\x94\x5c\x97\xcd", "\x94\x5c\x97\xcd\x94\x5c\x97\xcd", 2, 0},  // 能力 doubled
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(table.LoadFileText(csv.data(), csv.size(), 64));
    const std::string search = std::string(c.command).substr(std::string(c.command).find(':') + 1);
    const std::string repl = std::string(c.replacement) == "NULL" ? "" : c.replacement;
    std::string macro = "\trep:";
    macro += c.command;
    macro += "\t";
    macro += c.replacement;
    macro += "\r\n";
    host.status.clear();
    ASSERT_EQ(macro::kRunEnded, RunDocument(macro)) << c.command;
    EXPECT_TRUE(host.reports.empty()) << c.command << " " << (host.reports.empty() ? "" : host.reports[0]);
    host.reports.clear();
    const std::string script = std::to_string(c.first) + "," + (c.last ? std::to_string(c.last) : "$") + " s/" +
                               SedEscape(search, "\\.[]*^$/") + "/" + SedEscape(repl, "\\&/") + "/g\n";
    testsupport::WriteFileBytes(folder.File("s.sed"), script);
    const std::string sed = testsupport::RunCapture("LC_ALL=C sed -f '" + folder.File("s.sed") + "' '" + path + "'");
    ASSERT_FALSE(sed.empty());
    EXPECT_TRUE(sed == table.FileText(csv::CommaFormKind::kComma)) << c.command;
    const int n = Occurrences(csv, search, c.first, c.last);
    EXPECT_GT(n, 0) << c.command;
    EXPECT_EQ("macro end   total replace = " + std::to_string(n), host.status.back()) << c.command;
  }
}

}  // namespace
