// Two table operations over a generated Shift-JIS CSV of many rows (no
// quoted commas), whole process against whole process: this program with
// -apply (the file loaded into the table by the one-pass open, the
// operation, the comma text written out) against the shell tools doing the same:
// - "rev" (title first, data rows reversed) against head + tail | tac;
// - the column rewrite "3,1,*" against mawk printing $3,$1,$2.
// Paired runs, outputs compared every run.
//
//   bench_csvops [-runs N] [rows]        (default 1,000,000 rows)
//   bench_csvops -apply rev|cols file    our operation, the result to stdout
//
// The file (/tmp/tabrye_csvops_bench_<rows>.csv) is written once and kept.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "../bench_util.h"
#include "../bench_tables.h"
#include "csv/csv_columns.h"
#include "csv/csv_rows.h"
#include "csv/csv_table.h"

namespace {

int Apply(const std::string& what, const std::string& path) {
  const std::string file = bench::ReadFile(path);
  auto table = std::make_unique<csv::Table>();
  // The program's open of a Shift-JIS CSV: the one-pass load.
  if (!table->LoadSjisFileBytes(file.data(), file.size(), 1000) &&
      !table->LoadFileText(file.data(), file.size(), 1000))
    return 1;
  const auto t0 = bench::Clock::now();
  int rc = 0;
  if (what == "rev") {
    rc = csv::CsvReorderRows(*table, "rev", 0, nullptr);
  } else {
    rc = csv::CsvRewriteColumns(1, *table, static_cast<int>(table->m_nFieldCount), 9000, 0, "3,1,*", "", nullptr);
  }
  if (rc != 0) return 1;
  if (std::getenv("CSVOPS_PHASES")) std::fprintf(stderr, "operation %.3f s\n", bench::Seconds(t0));
  const std::string out = table->FileText(csv::CommaFormKind::kComma);
  return std::fwrite(out.data(), 1, out.size(), stdout) == out.size() ? 0 : 1;
}

std::string MakeFile(long rows) {
  // Shift-JIS place names (東京, 大阪, 京都, 名古屋) and ASCII ones.
  static const char* const names[8] = {"\x93\x8c\x8b\x9e", "\x91\xe5\x8d\xe3", "\x8b\x9e\x93\x73",
                                       "\x96\xbc\x8c\xc3\x89\xae", "sapporo", "fukuoka", "sendai", "kobe"};
  return bench::PlaceTable(rows, names);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "-apply") return Apply(argv[2], argv[3]);
  int next = 1;
  const int runs = bench::TakeRuns(argc, argv, 5, &next);
  const long rows = next < argc ? std::atol(argv[next]) : 1000000;
  const std::string path = "/tmp/tabrye_csvops_bench_" + std::to_string(rows) + ".csv";
  if (bench::ReadFile(path).empty() && !bench::WriteFile(path, MakeFile(rows))) return 1;

  const std::string self = std::string("'") + argv[0] + "'";
  struct Case {
    const char* name;
    const char* work;
    const char* yardstickName;
    std::string yardstick;
  };
  const Case cases[] = {
      {"rev", "row order \"rev\"", "head -1; tail -n +2 | tac", "(head -n 1 '" + path + "'; tail -n +2 '" + path + "' | tac)"},
      {"cols", "column rewrite \"3,1,*\"", "mawk $3,$1,$2",
       "LC_ALL=C mawk 'BEGIN { FS = \",\"; OFS = \",\"; RS = \"\\r\\n\"; ORS = \"\\r\\n\" } { print $3, $1, $2 }' '" +
           path + "'"},
  };
  for (const Case& c : cases) {
    const std::string ours = self + " -apply " + c.name + " '" + path + "'";
    std::string a, b;
    const bench::Paired p = bench::RunPaired(
        runs, [&](bool* ok) { return bench::RunCapture(ours, &a, ok); },
        [&](bool* ok) {
          const double s = bench::RunCapture(c.yardstick, &b, ok);
          *ok = *ok && a == b;
          return s;
        });
    bench::PrintRow("csvops", std::string(c.work) + " of " + std::to_string(rows) + " rows", c.yardstickName, p, "-");
  }
  return 0;
}
