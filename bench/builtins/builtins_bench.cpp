// The library's width function "FS10" over the first column of a CSV file
// of many rows, whole process against whole process: this program with
// -apply (the file loaded into the table, "#FS10" applied to column 1 of
// every data row, the comma text written out) against gawk padding the same
// column with sprintf("%10s"). Paired runs, outputs compared every run.
//
//   bench_builtins [-runs N] [rows]      (default 1,000,000 rows)
//   bench_builtins -apply file           our rewrite, the result to stdout
//
// The file (/tmp/tabrye_cmdfunc_bench_<rows>.csv, shared with bench_cmdfunc)
// is written once and kept.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "../bench_util.h"
#include "../bench_macro_host.h"
#include "../bench_tables.h"
#include "csv/csv_table.h"
#include "macro/macro_builtins.h"
#include "macro/macro_cmdfunc.h"
#include "macro/macro_state.h"

namespace {

int Apply(const std::string& path) { return bench::ApplyChainToFile(path, 2, -1, 1, 1, "#FS10"); }

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "-apply") return Apply(argv[2]);
  bench::FileBench fb;
  if (!bench::PrepareFileBench(argc, argv, "cmdfunc", bench::AsciiPlaceTable, &fb)) return 1;
  const int runs = fb.runs;
  const long rows = fb.rows;
  const std::string& path = fb.path;
  const std::string& ours = fb.ours;
  const std::string awk = "LC_ALL=C gawk -F, 'BEGIN { OFS = \",\" } NR > 1 { $1 = sprintf(\"%10s\", $1) } { print }' "
                          "ORS='\\n' '" + path + "'";
  const bench::Paired p = bench::RunCommandsPaired(
      runs, ours, awk, [](const std::string& a, const std::string& b) { return a == b; });
  bench::PrintRow("builtins", "#FS10 over column 1 of " + std::to_string(rows) + " rows", "gawk sprintf(\"%10s\")",
                  p, "<= 1.0");
  return 0;
}
