// Cell mode of the command-line functions: an upper-casing function over
// the second column of a CSV file of many rows, whole process against whole
// process: this program with -apply (the file loaded into the table, "#UP"
// applied to column 2 of every data row, the comma text written out)
// against awk upper-casing the same column of the same file. Paired runs,
// outputs compared every run.
//
//   bench_cmdfunc [-runs N] [rows]       (default 1,000,000 rows)
//   bench_cmdfunc -apply file            our rewrite, the result to stdout
//
// The file (/tmp/tabrye_cmdfunc_bench_<rows>.csv) is written once and kept.
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

void Upper(macro::BuiltinScope& s, macro::BuiltinArgs& a) {
  const int from = *a.pnReadPos;
  int n = 0;
  while (static_cast<std::uint32_t>(from + n) < s.sourceLength && a.pSource[from + n] != 0x06) ++n;
  int at = *a.pnOutLen;
  const int take = n < a.nOutCapacity - at ? n : a.nOutCapacity - at;
  for (int i = 0; i < take; ++i) {
    const std::uint8_t c = a.pSource[from + i];
    a.pOut[at + i] = (c >= 'a' && c <= 'z') ? static_cast<std::uint8_t>(c - 32) : c;
  }
  *a.pnOutLen = at + take;
}

int Apply(const std::string& path) {
  macro::ScopedBuiltin up(22, Upper);
  return bench::ApplyChainToFile(path, 1, -1, 2, 2, "#UP");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "-apply") return Apply(argv[2]);
  bench::FileBench fb;
  if (!bench::PrepareFileBench(argc, argv, "cmdfunc", bench::AsciiPlaceTable, &fb)) return 1;
  const int runs = fb.runs;
  const long rows = fb.rows;
  const std::string& path = fb.path;
  const std::string& ours = fb.ours;
  const std::string awk = "LC_ALL=C awk -F, 'BEGIN { OFS = \",\" } NR > 1 { $2 = toupper($2) } { print }' ORS='\\n' '" +
                          path + "'";
  const bench::Paired p = bench::RunCommandsPaired(
      runs, ours, awk, [](const std::string& a, const std::string& b) { return a == b; });
  bench::PrintRow("cmdfunc", "#UP over column 2 of " + std::to_string(rows) + " rows", "awk toupper($2)", p,
                  "< 3");
  return 0;
}
