// The CSV totals and the group summary over a generated Shift-JIS table
// (1,000,000 rows by default, sorted on its keys, no quoted commas):
//
// 1. CsvTotals(1, 1) as a whole process (-apply: the one-pass open, the
//    totals with a subtotal row at each change of the first column, the
//    result written in comma form) against a mawk program that writes the
//    same rows, subtotals and grand totals. Outputs compared every run.
// 2. The group summary on the two key columns (CsvCrossTabulate(2, 0, 0,
//    0), the operation alone on a loaded table) against sqlite3's GROUP BY
//    on the same data imported beforehand, the query alone (sqlite's own
//    timer). The group sums are compared.
//
//   bench_totals [-runs N] [rows]
//   bench_totals -apply file
//
// The files (/tmp/tabrye_totals_bench_<rows>.csv and .sqlite) are written
// once and kept.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "../bench_util.h"
#include "csv/csv_crosstab.h"
#include "csv/csv_table.h"
#include "csv/csv_totals.h"

namespace {

std::unique_ptr<csv::Table> Load(const std::string& path) {
  const std::string file = bench::ReadFile(path);
  auto table = std::make_unique<csv::Table>();
  if (!table->LoadSjisFileBytes(file.data(), file.size(), 1000) &&
      !table->LoadFileText(file.data(), file.size(), 1000))
    return nullptr;
  table->m_nCurLine = 1;
  return table;
}

int Apply(const std::string& path) {
  auto table = Load(path);
  if (!table) return 1;
  const auto t0 = bench::Clock::now();
  if (csv::CsvTotals(*table, 1, 1, "", nullptr) != 0) return 1;
  if (std::getenv("TOTALS_PHASES")) std::fprintf(stderr, "totals %.3f s\n", bench::Seconds(t0));
  const std::string out = table->FileText(csv::CommaFormKind::kComma);
  return std::fwrite(out.data(), 1, out.size(), stdout) == out.size() ? 0 : 1;
}

// branch (a Shift-JIS word and a number, 500 rows each), item (10 per
// branch, in order), a Shift-JIS name, qty, price with two decimals, amount.
std::string MakeFile(long rows) {
  static const char* const names[4] = {"\x83\x5C\x83\x74\x83\x67", "\x95\x5C\x8e\xa6", "\x83\x5E\x83\x4E", "kobe"};
  std::string s = "branch,item,name,qty,price,amount\r\n";
  s.reserve(static_cast<std::size_t>(rows) * 48);
  unsigned x = 20261208;
  char buf[160];
  for (long r = 0; r < rows; ++r) {
    x = x * 1103515245u + 12345u;
    std::snprintf(buf, sizeof buf, "\x83\x5C%05ld,I%02ld,%s,%u,%u.%02u,%u\r\n", r / 500, (r % 500) / 50, names[r % 4],
                  (x >> 12) % 100, (x >> 3) % 5000, (x >> 7) % 100, (x >> 4) % 200001);
    s += buf;
  }
  return s;
}

// The same rows, subtotals and grand totals as CsvTotals(1, 1): every
// column from 2 on summed (the texts of columns 2 and 3 read as 0). Integer
// sums print with %.0f: mawk's %d stops at 2^31 - 1.
const char* const kMawk =
    "BEGIN { FS = \",\"; RS = \"\\r\\n\"; ORS = \"\\r\\n\" }\n"
    "function sub_() { printf \"total,0,0,%.0f,%.2f,%.0f,%.2f\\r\\n\", gq, gp, ga, gq + gp + ga; gq = gp = ga = 0 }\n"
    "NR == 1 { print $0 \",Total\"; next }\n"
    "{ if (NR > 2 && $1 != key) { sub_(); groups++ } ; key = $1\n"
    "  printf \"%s,%.2f\\r\\n\", $0, $4 + $5 + $6\n"
    "  gq += $4; gp += $5; ga += $6; tq += $4; tp += $5; ta += $6 }\n"
    "END { if (groups > 0) sub_(); printf \"Total*,0,0,%.0f,%.2f,%.0f,%.2f\", tq, tp, ta, tq + tp + ta }\n";

// "k1,k2,qty,price,amount" lines of the group lines of a summary.
std::string GroupLines(const csv::Table& t) {
  std::string out;
  const std::string s(reinterpret_cast<const char*>(t.m_pTextBuf), t.m_nTextLen);
  std::size_t at = s.find("\r\n");
  while (at != std::string::npos) {
    const std::size_t from = at + 2;
    at = s.find("\r\n", from);
    std::string line = s.substr(from, at == std::string::npos ? std::string::npos : at - from);
    std::vector<std::string> f;
    for (std::size_t p = 0;;) {
      const std::size_t q = line.find('\x06', p);
      f.push_back(line.substr(p, q == std::string::npos ? std::string::npos : q - p));
      if (q == std::string::npos) break;
      p = q + 1;
    }
    if (f.size() < 7 || f[1] == "--total--" || f[0] == "Total") continue;
    out += f[0] + "," + f[1] + "," + f[3] + "," + f[4] + "," + f[5] + "\n";
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "-apply") return Apply(argv[2]);
  bench::FileBench fb;
  if (!bench::PrepareFileBench(argc, argv, "totals", MakeFile, &fb)) return 1;
  const int runs = fb.runs;
  const long rows = fb.rows;
  const std::string& path = fb.path;
  const std::string& ours = fb.ours;
  const std::string awkPath = "/tmp/tabrye_totals_bench.awk";
  if (!bench::WriteFile(awkPath, kMawk)) return 1;

  const std::string mawk = "LC_ALL=C mawk -f '" + awkPath + "' '" + path + "'";
  const bench::Paired p = bench::RunCommandsPaired(
      runs, ours, mawk, [](const std::string& a, const std::string& b) { return a == b && !a.empty(); });
  bench::PrintRow("totals", "CsvTotals(1, 1), " + std::to_string(rows) + " rows, whole process",
                  "mawk subtotals and grand totals", p, "<= 1.0");

  // The group summary against sqlite3 (the database made once).
  const std::string db = "/tmp/tabrye_totals_bench_" + std::to_string(rows) + ".sqlite";
  if (bench::ReadFile(db).empty()) {
    const std::string cmd = "iconv -f CP932 -t UTF-8 '" + path + "' > '" + path + ".utf8' && sqlite3 '" + db +
                            "' \".mode csv\" \".import '" + path + ".utf8' t\"";
    if (std::system(cmd.c_str()) != 0) return 1;
  }
  auto master = Load(path);
  if (!master) return 1;
  std::string oursLines, sqlOut;
  const std::string sqlPath = "/tmp/tabrye_totals_bench.sql";
  if (!bench::WriteFile(sqlPath, ".timer on\nSELECT branch, item, SUM(qty), printf('%.2f', SUM(price)), SUM(amount) "
                                 "FROM t GROUP BY branch, item;\n"))
    return 1;
  const std::string query = "sqlite3 '" + db + "' < '" + sqlPath + "' | iconv -f UTF-8 -t CP932";
  const bench::Paired g = bench::RunPaired(
      runs,
      [&](bool* ok) {
        auto t = std::make_unique<csv::Table>();
        if (!t->CopyFrom(*master)) return *ok = false, 0.0;
        const auto t0 = bench::Clock::now();
        *ok = csv::CsvCrossTabulate(*t, 2, 0, 0, 0, "", 0, nullptr) == 0;
        const double s = bench::Seconds(t0);
        oursLines = GroupLines(*t);
        return s;
      },
      [&](bool* ok) {
        bench::RunCapture(query, &sqlOut, ok);
        // "Run Time: real X user Y sys Z" after the rows.
        const std::size_t at = sqlOut.rfind("Run Time: real ");
        if (at == std::string::npos) return *ok = false, 0.0;
        const double s = std::atof(sqlOut.c_str() + at + 15);
        std::string rowsOnly;
        for (std::size_t p = 0; p < at;) {
          const std::size_t q = sqlOut.find('\n', p);
          std::string line = sqlOut.substr(p, q - p);
          for (char& c : line) c = c == '|' ? ',' : c;
          rowsOnly += line + "\n";
          p = q + 1;
        }
        *ok = *ok && rowsOnly == oursLines;
        return s;
      });
  bench::PrintRow("totals", "group summary on 2 keys, " + std::to_string(rows) + " rows, the operation alone",
                  "sqlite3 GROUP BY, the query alone", g, "(recorded)");
  return 0;
}
