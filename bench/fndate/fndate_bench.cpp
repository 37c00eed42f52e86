// The day serial function "TDN" over the first column of a CSV file of many
// dates (1901-2099, "YYYY/MM/DD"), whole process against whole process: this
// program with -apply (the file loaded into the table, "#TDN" applied to
// column 1 of every data row, the comma text written out) against a Python
// script reading the same dates with datetime.strptime and writing the same
// serials. Paired runs, outputs compared every run.
//
//   bench_fndate [-runs N] [rows]      (default 1,000,000 rows)
//   bench_fndate -apply file           our rewrite, the result to stdout
//
// The file (/tmp/tabrye_fndate_bench_<rows>.csv) is written once and kept.
#include <cstdio>
#include <random>
#include <string>

#include "../bench_macro_host.h"
#include "../bench_util.h"

namespace {

std::string DateTable(long rows) {
  std::mt19937 rng(1901);
  std::string s = "date,n\n";
  s.reserve(static_cast<std::size_t>(rows) * 18 + 16);
  char line[48];
  for (long r = 0; r < rows; ++r) {
    const int y = 1901 + static_cast<int>(rng() % 199), m = 1 + static_cast<int>(rng() % 12);
    const int d = 1 + static_cast<int>(rng() % 28);
    std::snprintf(line, sizeof line, "%04d/%02d/%02d,%ld\n", y, m, d, r);
    s += line;
  }
  return s;
}

int Apply(const std::string& path) { return bench::ApplyChainToFile(path, 2, -1, 1, 1, "#TDN"); }

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "-apply") return Apply(argv[2]);
  bench::FileBench fb;
  if (!bench::PrepareFileBench(argc, argv, "fndate", DateTable, &fb)) return 1;
  const std::string python = "python3 '" TABRYE_TEST_ROOT "/bench/fndate/tdn_reference.py' '" + fb.path + "'";
  const bench::Paired p = bench::RunCommandsPaired(
      fb.runs, fb.ours, python, [](const std::string& a, const std::string& b) { return a == b; });
  bench::PrintRow("fndate", "#TDN over column 1 of " + std::to_string(fb.rows) + " dates",
                  "Python datetime.strptime", p, "<= 0.5");
  return 0;
}
