// The markup engine against outside readers: one page written in Shift-JIS,
// EUC-JP, UTF-8 and ISO-2022-JP by iconv and nkf gives the words Python's
// html.parser reads (in code page 932 through iconv); table rows give the
// cells html.parser finds; an openpyxl sheet gives ElementTree's rows.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "convert/load_buffer.h"
#include "convert/markup_engine.h"
#include "support/file_bytes.h"
#include "support/outside_tool.h"

namespace {

namespace fs = std::filesystem;
using testsupport::ReadFileBytes;
using testsupport::RunCapture;
using testsupport::WriteFileBytes;

const std::string kPython = "/usr/bin/python3";
const std::string kReference = TABRYE_TEST_ROOT "/tests/convert/markup_reference.py";

fs::path TempDir() {
  std::string t = (fs::temp_directory_path() / "markup-XXXXXX").string();
  return fs::path(mkdtemp(t.data()));
}

std::string Render(const std::string& page, bool xml = false, int mode = 0) {
  convert::MarkupWords w;
  w.mode = mode;
  convert::LoadBuffer out;
  const auto* p = reinterpret_cast<const std::uint8_t*>(page.data());
  if (xml) convert::RenderXmlAsText(p, page.size(), w, out);
  else convert::RenderHtmlAsText(p, page.size(), w, out);
  std::string text(out.Data(), out.Size());
  const std::size_t at = text.find("\n\n--address");
  return at == std::string::npos ? text : text.substr(0, at);
}

std::vector<std::string> Split(const std::string& text, const char* seps) {
  std::vector<std::string> words;
  std::string word;
  for (char c : text) {
    if (std::strchr(seps, c)) {
      if (!word.empty()) words.push_back(word);
      word.clear();
    } else {
      word += c;
    }
  }
  if (!word.empty()) words.push_back(word);
  return words;
}

std::string Trim(const std::string& s) {
  const std::size_t a = s.find_first_not_of(' ');
  if (a == std::string::npos) return std::string();
  return s.substr(a, s.find_last_not_of(' ') - a + 1);
}

// The page, in UTF-8, with "%META%" where each form puts its declaration.
const std::string kPageFile = TABRYE_TEST_ROOT "/tests/convert/markup_page.htm";

std::string PageWith(const std::string& meta) {
  std::string page = ReadFileBytes(kPageFile);
  page.replace(page.find("%META%"), 6, meta);
  return page;
}

TEST(MarkupOracle, OnePageInFourEncodingsGivesTheSameWords) {
  REQUIRE_TOOLS("iconv", "nkf", "/usr/bin/python3");
  const fs::path dir = TempDir();
  const fs::path source = dir / "page.htm";
  WriteFileBytes(source, PageWith(""));
  // html.parser's words, in code page 932.
  const std::string words =
      RunCapture(kPython + " " + kReference + " words '" + source.string() + "' | iconv -f UTF-8 -t CP932");
  const std::vector<std::string> want = Split(words, "\n");
  ASSERT_GT(want.size(), 10u);

  struct Variant {
    const char* name;
    const char* meta;
    const char* command;  // makes the page from the UTF-8 one ("%s" the file)
    const char* prefix;   // bytes before the page
  } variants[] = {
      {"utf-8 guessed", "", "cat", ""},
      {"utf-8 with a byte-order mark", "", "cat", "\xEF\xBB\xBF"},
      {"utf-8 declared", "<meta charset=\"utf-8\">", "cat", ""},
      {"shift_jis declared", "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=shift_jis\">",
       "iconv -f UTF-8 -t CP932", ""},
      {"euc-jp guessed", "", "iconv -f UTF-8 -t EUC-JP", ""},
      {"euc-jp declared", "<meta charset=\"euc-jp\">", "iconv -f UTF-8 -t EUC-JP", ""},
      {"iso-2022-jp", "<meta charset=\"iso-2022-jp\">", "nkf -W -j", ""},
  };
  for (const Variant& v : variants) {
    const fs::path utf8 = dir / "variant.htm";
    WriteFileBytes(utf8, PageWith(v.meta));
    const std::string page = v.prefix + RunCapture(std::string(v.command) + " '" + utf8.string() + "'");
    ASSERT_GT(page.size(), 100u) << v.name;
    std::vector<std::string> got = Split(Render(page), " \n\r\t");
    for (std::string& word : got)  // the list items' mark
      if (word.compare(0, 2, "\x81\x45") == 0) word.erase(0, 2);
    EXPECT_EQ(want, got) << v.name;
  }
  fs::remove_all(dir);
}

TEST(MarkupOracle, TableRowsGiveTheCellsInOrder) {
  REQUIRE_TOOLS("/usr/bin/python3");
  const fs::path dir = TempDir();
  const std::string page =
      "<html><body><table border=1>\n"
      "<tr><th>Item</th><th>Qty</th><th>Note</th><th>Extra</th></tr>\n"
      "<tr><td rowspan=\"2\">tall cell</td><td>1</td><td colspan=\"2\">spans two columns here</td></tr>\n"
      "<tr><td>2</td><td>b</td><td>c</td></tr>\n"
      "<tr><td colspan=3>three wide</td><td>z</td></tr>\n"
      "<tr><td>a</td><td rowspan=3>down</td><td>b</td><td>c</td></tr>\n"
      "<tr><td>d</td><td>e</td><td>f</td></tr>\n"
      "<tr><td>g</td><td>h</td><td>i</td></tr>\n"
      "<tr><td>j</td><td>k</td><td>l</td><td>m</td></tr>\n"
      "</table></body></html>\n";
  const fs::path file = dir / "t.htm";
  WriteFileBytes(file, page);
  const std::vector<std::string> want = Split(RunCapture(kPython + " " + kReference + " rows '" + file.string() + "'"), "\n");
  ASSERT_EQ(8u, want.size());
  std::vector<std::string> got;
  std::vector<std::vector<std::size_t>> starts;
  for (const std::string& line : Split(Render(page, false, 2), "\n")) {
    std::string row;
    std::vector<std::size_t> at;
    std::size_t from = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
      if (line[i] != '\x08') continue;
      const std::string cell = Trim(line.substr(from, i - from));
      if (!cell.empty()) {
        row += (row.empty() ? "" : "\t") + cell;
        at.push_back(from);
      }
      from = i + 1;
    }
    if (!row.empty()) {
      got.push_back(row);
      starts.push_back(at);
    }
  }
  EXPECT_EQ(want, got);
  // The rows of four plain cells line up: their cells start at the same places.
  ASSERT_EQ(8u, starts.size());
  EXPECT_EQ(starts[0], starts[7]);
  fs::remove_all(dir);
}

TEST(MarkupOracle, ALibreOfficeTableWithMergedCellsLinesUp) {
  REQUIRE_TOOLS("/usr/bin/python3", "soffice");
  const fs::path dir = testsupport::ScriptFixtures("tests/convert/make_markup_fixtures.sh", "markup_fixtures");
  ASSERT_FALSE(dir.empty());
  const fs::path file = dir / "merged.html";
  const std::vector<std::string> want =
      Split(RunCapture(kPython + " " + kReference + " rows '" + file.string() + "'"), "\n");
  ASSERT_EQ(6u, want.size());
  std::vector<std::string> got;
  std::map<std::string, std::size_t> start;  // where each cell's text starts on its line
  for (const std::string& line : Split(Render(ReadFileBytes(file), false, 2), "\n")) {
    std::string row;
    std::size_t from = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
      if (line[i] != '\x08') continue;
      const std::string cell = Trim(line.substr(from, i - from));
      if (!cell.empty()) {
        row += (row.empty() ? "" : "\t") + cell;
        start[cell] = from;
      }
      from = i + 1;
    }
    if (!row.empty()) got.push_back(row);
  }
  EXPECT_EQ(want, got);
  // Columns 2, 3 and 4 start at one place on every line (spans included).
  for (const std::vector<const char*>& column :
       {std::vector<const char*>{"Qty", "one", "two", "last2"},
        std::vector<const char*>{"Note", "Wide", "b", "x", "p", "last3"},
        std::vector<const char*>{"Extra", "c", "y", "q", "last4"}}) {
    for (const char* cell : column) {
      ASSERT_TRUE(start.count(cell)) << cell;
      EXPECT_EQ(start[column[0]], start[cell]) << cell;
    }
  }
}

TEST(MarkupOracle, AnOpenpyxlSheetGivesElementTreeRows) {
  REQUIRE_TOOLS("/usr/bin/python3");
  if (std::system("/usr/bin/python3 -c 'import openpyxl' 2>/dev/null") != 0) GTEST_SKIP() << "openpyxl missing";
  const fs::path dir = TempDir();
  ASSERT_EQ(0, std::system((kPython + " " + kReference + " book '" + dir.string() + "'").c_str()));
  const fs::path sheet = dir / "sheet1.xml";
  const std::vector<std::string> want =
      Split(RunCapture(kPython + " " + kReference + " sheet '" + sheet.string() + "'"), "\n");
  ASSERT_EQ(4u, want.size());
  std::vector<std::string> got;
  for (const std::string& line : Split(Render(ReadFileBytes(sheet), true, 2), "\n")) {
    std::string row;
    std::size_t from = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
      if (line[i] != '\x08') continue;
      const std::string cell = Trim(line.substr(from, i - from));
      if (!cell.empty()) row += (row.empty() ? "" : "\t") + cell;
      from = i + 1;
    }
    if (!row.empty()) got.push_back(row);
  }
  EXPECT_EQ(want, got);
  fs::remove_all(dir);
}

}  // namespace
