// The library's "UTF8" function over the name column of a CSV file of many
// rows whose names are UTF-8 (kanji and half-width katakana), whole process
// against whole process: this program with -apply (the file loaded into the
// table, "#UTF8" applied to column 2 of every data row through the
// command-line evaluator, one call per cell, the comma text written out)
// against iconv -f UTF-8 -t CP932 on the same file (the other columns are
// ASCII, which both leave as they are). Paired runs, outputs compared every
// run.
//
//   bench_fnutf8 [-runs N] [rows]      (default 1,000,000 rows)
//   bench_fnutf8 -apply file           our rewrite, the result to stdout
//
// The file (/tmp/tabrye_fnutf8_bench_<rows>.csv) is written once and kept.
#include <string>

#include "../bench_macro_host.h"
#include "../bench_tables.h"
#include "../bench_util.h"

namespace {

// 東京, 大阪, 京都, 名古屋, 札幌, ﾃｽﾄｶﾅ, 仙台, 神戸 in UTF-8.
const char* const kNames[8] = {"\xe6\x9d\xb1\xe4\xba\xac",
                               "\xe5\xa4\xa7\xe9\x98\xaa",
                               "\xe4\xba\xac\xe9\x83\xbd",
                               "\xe5\x90\x8d\xe5\x8f\xa4\xe5\xb1\x8b",
                               "\xe6\x9c\xad\xe5\xb9\x8c",
                               "\xef\xbe\x83\xef\xbd\xbd\xef\xbe\x84\xef\xbd\xb6\xef\xbe\x85",
                               "\xe4\xbb\x99\xe5\x8f\xb0",
                               "\xe7\xa5\x9e\xe6\x88\xb8"};

std::string Table(long rows) { return bench::PlaceTable(rows, kNames); }

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "-apply") return bench::ApplyChainToFile(argv[2], 2, -1, 2, 2, "#UTF8");
  bench::FileBench fb;
  if (!bench::PrepareFileBench(argc, argv, "fnutf8", Table, &fb)) return 1;
  const std::string iconv = "iconv -f UTF-8 -t CP932 '" + fb.path + "'";
  const bench::Paired p = bench::RunCommandsPaired(
      fb.runs, fb.ours, iconv, [](const std::string& a, const std::string& b) { return a == b; });
  bench::PrintRow("fnutf8", "#UTF8 over column 2 of " + std::to_string(fb.rows) + " rows", "iconv -f UTF-8 -t CP932",
                  p, "<= 2.0");
  return 0;
}
