// The rich text of 'T' read by outside readers: unrtf and, when installed,
// LibreOffice. Both must show every cell text in row order.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/outside_tool.h"
#include "table_test_util.h"

namespace fs = std::filesystem;
using namespace tabletest;

namespace {

// The table: Japanese cells (CP932), colours, thick and thin lines, a cell
// with braces and a backslash. Returns the cell texts in order, in UTF-8.
std::string OracleTable(std::vector<std::string>* cellsUtf8) {
  struct Cell {
    const char* cp932;
    const char* utf8;
  };
  const Cell rows[][3] = {
      {{"\x96\xbc\x91\x4f", "\xe5\x90\x8d\xe5\x89\x8d"}, {"\x89\xbf\x8a\x69", "\xe4\xbe\xa1\xe6\xa0\xbc"}, {"note", "note"}},
      {{"\x82\xa0\x82\xa2\x82\xa4", "\xe3\x81\x82\xe3\x81\x84\xe3\x81\x86"}, {"1200", "1200"}, {"{x}\\y", "{x}\\y"}},
      {{"\x83\x5c\x83\x74\x83\x67", "\xe3\x82\xbd\xe3\x83\x95\xe3\x83\x88"}, {"35", "35"}, {"plain", "plain"}},
      {{"\x95\x5c", "\xe8\xa1\xa8"}, {"7", "7"}, {"end", "end"}},
  };
  const char* codes[] = {"^<22#RR%RyB^", "^1^", "^02#B^", ""};
  const char* colCodes[] = {"", "^%Gb^", "^R^"};
  std::string text = "XLxF21\r\n";
  for (int r = 0; r < 4; ++r) {
    std::vector<std::string> cells;
    for (int c = 0; c < 3; ++c) {
      std::string cell = c == 0 ? codes[r] : (r == 0 ? colCodes[c] : "");
      cell += rows[r][c].cp932;
      cells.push_back(cell);
      cellsUtf8->push_back(rows[r][c].utf8);
    }
    text += Row(cells);
  }
  return text;
}

void ExpectInOrder(const std::string& shown, const std::vector<std::string>& cells, const char* tool) {
  std::size_t at = 0;
  for (const std::string& c : cells) {
    std::size_t f = shown.find(c, at);
    ASSERT_NE(f, std::string::npos) << tool << " lost \"" << c << "\" after " << at << " in:\n" << shown;
    at = f + c.size();
  }
}

// "&#N;" as UTF-8.
std::string DecodeEntities(const std::string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    std::size_t end = s.find(';', i);
    if (s.compare(i, 2, "&#") == 0 && end != std::string::npos && end - i <= 9) {
      unsigned long cp = std::stoul(s.substr(i + 2, end - i - 2));
      if (cp < 0x80) {
        out += static_cast<char>(cp);
      } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
      } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
      }
      i = end;
      continue;
    }
    out += s[i];
  }
  return out;
}

std::string RenderToFile(const fs::path& dir, std::vector<std::string>* cells) {
  fs::create_directories(dir);
  Rendered r = Render(OracleTable(cells), Cmd('T'));
  EXPECT_EQ(r.result.code, 0);
  EXPECT_GE(r.RuleCount(), 3);
  const fs::path file = dir / "table.rtf";
  std::ofstream(file, std::ios::binary) << r.rtf;
  return file.string();
}

}  // namespace

TEST(TableOracle, UnrtfShowsEveryCellInRowOrder) {
  REQUIRE_TOOLS("unrtf");
  // unrtf's text output has no form for characters past Latin-1; its own
  // text configuration with the numeric form added shows them as "&#N;".
  fs::path conf;
  for (const char* d : {"/usr/share/unrtf", "/usr/local/share/unrtf"}) {
    if (fs::exists(fs::path(d) / "text.conf")) conf = fs::path(d) / "text.conf";
  }
  if (conf.empty()) GTEST_SKIP() << "unrtf's text.conf not found";
  std::vector<std::string> cells;
  const fs::path dir = fs::path(TABRYE_BIN_ROOT) / "table_oracle_unrtf";
  std::string file = RenderToFile(dir, &cells);
  fs::create_directories(dir / "conf");
  fs::copy_file(conf, dir / "conf" / "text.conf", fs::copy_options::overwrite_existing);
  std::ofstream(dir / "conf" / "text.conf", std::ios::app) << "unisymbol_print\n\t&#%;\n";
  std::string raw = testsupport::RunCapture("unrtf -P '" + (dir / "conf").string() + "' --text '" + file + "' 2>/dev/null");
  ExpectInOrder(DecodeEntities(raw), cells, "unrtf");
}

TEST(TableOracle, LibreOfficeShowsEveryCellInRowOrder) {
  REQUIRE_TOOLS("soffice");
  std::vector<std::string> cells;
  const fs::path dir = fs::path(TABRYE_BIN_ROOT) / "table_oracle_soffice";
  std::string file = RenderToFile(dir, &cells);
  testsupport::RunCapture("HOME='" + (dir / "home").string() + "' soffice -env:UserInstallation=file://" +
                          (dir / "profile").string() + " --headless --convert-to 'txt:Text (encoded):UTF8' --outdir '" +
                          dir.string() + "' '" + file + "' >/dev/null 2>&1");
  std::ifstream in(dir / "table.txt", std::ios::binary);
  ASSERT_TRUE(in.good()) << "LibreOffice wrote no text";
  std::string shown((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ExpectInOrder(shown, cells, "LibreOffice");
}
