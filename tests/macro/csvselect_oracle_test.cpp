// The CSV condition statements against outside judges: sqlite3 selects the
// same rows as "&SL" from a generated Shift-JIS table (converted to UTF-8 by
// iconv), Python judges the byte-order comparisons on the raw CP932 bytes,
// and records with quoted line breaks written by Python's csv module stay
// whole through the statements.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "csv/csv_checklist.h"
#include "csv/csv_table.h"
#include "macro/macro_csvselect.h"
#include "macro/macro_state.h"
#include "support/outside_tool.h"
#include "test_host.h"

namespace fs = std::filesystem;

namespace {

fs::path Dir(const char* name) {
  const fs::path dir = fs::path(TABRYE_BIN_ROOT) / name;
  fs::create_directories(dir);
  return dir;
}

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), {});
}

// First cells of the table's rows after a statement (its row keys).
std::vector<std::string> FirstCells(const csv::Table& t) {
  std::vector<std::string> keys;
  const std::string s(reinterpret_cast<const char*>(t.m_pTextBuf), t.m_nTextLen);
  std::size_t at = 0;
  while (at < s.size()) {
    std::size_t end = s.find("\r\n", at);
    if (end == std::string::npos) end = s.size();
    const std::string row = s.substr(at, end - at);
    keys.push_back(row.substr(0, row.find('\x06')));
    at = end + 2;
  }
  return keys;
}

std::vector<std::string> Lines(const std::string& s) {
  std::vector<std::string> out;
  std::istringstream in(s);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

struct Statements {
  std::unique_ptr<macro::MacroState> st = std::make_unique<macro::MacroState>();
  macrotest::TestHost host;
  csv::CheckList list;
  ~Statements() { list.Release(); }
  int Run(csv::Table& t, const std::string& cmd, const std::string& op) {
    macro::CsvSelectScope scope{*st, &host, t};
    scope.checkList = &list;
    return macro::MacroCsvSelectCommands(scope, CString(cmd), CString(op), 0);
  }
};

// A generated table: key, code, a number, a Shift-JIS word, a class.
std::string MakeTable(int rows) {
  std::mt19937 rng(20261208);
  const char* words[] = {"\x83\x5C", "\x95\x5C", "\x83\x5E", "abc", "\x83\x5C\x83\x5E", "ab", "\x95\x5C" "a", "Z"};
  const char* codes[] = {"A", "B", "C"};
  std::string s = "key,code,num,word,cls\r\n";
  for (int r = 1; r <= rows; ++r) {
    const int whole = static_cast<int>(rng() % 400) - 100;
    const int frac = static_cast<int>(rng() % 100);
    std::string num = std::to_string(whole);
    if (rng() % 2) num += "." + std::string(frac < 10 ? "0" : "") + std::to_string(frac);
    s += "k" + std::to_string(r) + "," + codes[rng() % 3] + "," + num + "," + words[rng() % 8] + "," +
         (rng() % 2 ? "X" : "Y") + "\r\n";
  }
  return s;
}

TEST(CsvSelectOracle, SqliteSelectsTheSameRows) {
  REQUIRE_TOOLS("sqlite3", "iconv");
  const fs::path dir = Dir("csvselect_oracle");
  const std::string text = MakeTable(400);
  { std::ofstream(dir / "t.csv", std::ios::binary) << text; }
  testsupport::RunCapture("iconv -f CP932 -t UTF-8 '" + (dir / "t.csv").string() + "' > '" +
                          (dir / "t8.csv").string() + "'");
  struct Case {
    const char* statement;  // our condition
    const char* where;      // the same in SQL, with the left-to-right fold's brackets
  } cases[] = {
      {"&2==A", "code = 'A'"},
      {"&2==A || &3>#(100) && &5==X", "(code = 'A' OR CAST(num AS REAL) > 100) AND cls = 'X'"},
      {"&3<=#(0) || &2!=C", "CAST(num AS REAL) <= 0 OR code <> 'C'"},
      {"(&2==B && &5==Y) || &3>=#(250.5)", "(code = 'B' AND cls = 'Y') OR CAST(num AS REAL) >= 250.5"},
      {"&3==#(17)", "CAST(num AS REAL) = 17"},
  };
  Statements s;
  for (const Case& c : cases) {
    auto t = std::make_unique<csv::Table>();
    ASSERT_TRUE(t->LoadFileText(text.data(), text.size(), 64));
    t->m_nCurLine = 1;
    // The title row is tested too: keep only data rows of the answer.
    s.Run(*t, std::string("&1!=key && (") + c.statement + ")", "&SL");
    const std::vector<std::string> ours = FirstCells(*t);
    const std::string sql = std::string(".mode csv\n.import '") + (dir / "t8.csv").string() +
                            "' t\nSELECT key FROM t WHERE " + c.where + " ORDER BY rowid;\n";
    { std::ofstream(dir / "q.sql") << sql; }
    const std::vector<std::string> theirs =
        Lines(testsupport::RunCapture("sqlite3 :memory: < '" + (dir / "q.sql").string() + "'"));
    EXPECT_EQ(ours, theirs) << c.statement;
    EXPECT_FALSE(theirs.empty()) << c.statement;
  }
}

TEST(CsvSelectOracle, PythonJudgesByteOrder) {
  REQUIRE_TOOLS("python3");
  const fs::path dir = Dir("csvselect_oracle");
  const std::string text = MakeTable(300);
  { std::ofstream(dir / "b.csv", std::ios::binary) << text; }
  const char* ops[] = {">", ">=", "<", "<="};
  const char* ours[] = {">$", ">=", "<$", "<="};
  const std::string pivots[] = {"\x83\x5C", "ab", "\x95\x5C"};
  Statements s;
  for (int k = 0; k < 4; ++k) {
    for (const std::string& pivot : pivots) {
      auto t = std::make_unique<csv::Table>();
      ASSERT_TRUE(t->LoadFileText(text.data(), text.size(), 64));
      t->m_nCurLine = 1;
      s.Run(*t, std::string("&4") + ours[k] + pivot, "&CKL");
      std::string got;
      for (std::uint32_t i = 1; i < s.list.UsedEnd(); ++i) got += std::to_string(s.list.Entry(i)) + " ";
      std::string hex;
      for (unsigned char c : pivot) {
        char b[4];
        std::snprintf(b, sizeof b, "%02x", c);
        hex += b;
      }
      const std::string py = "python3 -c \"import sys\nrows=open(sys.argv[1],'rb').read().split(b'\\r\\n')[:-1]\n"
                             "p=bytes.fromhex(sys.argv[2])\nprint(' '.join(str(i+1) for i,r in enumerate(rows) "
                             "if r.split(b',')[3] " + std::string(ops[k]) + " p), end=' ')\" '" +
                             (dir / "b.csv").string() + "' " + hex;
      EXPECT_EQ(got, testsupport::RunCapture(py)) << ops[k] << " " << hex;
    }
  }
}

TEST(CsvSelectOracle, RecordsWithLineBreaksStayWhole) {
  REQUIRE_TOOLS("python3");
  const fs::path dir = Dir("csvselect_oracle");
  const fs::path path = dir / "breaks.csv";
  const std::string script =
      "import csv\nrows=[['id','note','n']]\nfor i in range(1,41):\n"
      "    rows.append([str(i), 'line one\\nline two' if i % 3 == 0 else 'plain', str(i % 4)])\n"
      "with open(r'" + path.string() + "','w',newline='',encoding='cp932') as f:\n    csv.writer(f).writerows(rows)\n";
  { std::ofstream(dir / "breaks.py") << script; }
  testsupport::RunCapture("python3 '" + (dir / "breaks.py").string() + "'");
  const std::string file = ReadFile(path);
  ASSERT_FALSE(file.empty());
  Statements s;
  for (const char* op : {"&SL", "&KL", "&MK", "&ML+;"}) {
    auto t = std::make_unique<csv::Table>();
    ASSERT_TRUE(t->LoadFileText(file.data(), file.size(), 64));
    t->m_nCurLine = 1;
    s.Run(*t, "&3==0 || &3==n", op);
    // Every record that holds a break holds it whole, still in one row.
    const std::string back = t->FileText(csv::CommaFormKind::kComma);
    std::size_t records = 0;
    for (std::size_t at = back.find("\"line one\nline two\""); at != std::string::npos;
         at = back.find("\"line one\nline two\"", at + 1))
      ++records;
    // 13 records hold a break; 3 of them (12, 24, 36) match.
    const std::string o = op;
    EXPECT_EQ(records, o == "&SL" ? 3u : o == "&KL" ? 10u : 13u) << op;
    for (std::size_t at = 0; (at = back.find("line one", at)) != std::string::npos; ++at)
      EXPECT_EQ(back.compare(at, 18, "line one\nline two\""), 0) << op;
  }
}

}  // namespace
