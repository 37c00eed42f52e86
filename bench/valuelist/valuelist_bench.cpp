// The value list of the narrowing selection over column 3 of a generated
// Shift-JIS CSV (900 distinct values, 1,000,000 rows by default), whole
// process against whole process: this program with -apply (the file mapped
// and opened in one pass into the working form, the value table at width
// 100, "value count" lines to stdout) against mawk counting the same column
// ({c[$3]++}). Paired runs; both outputs are compared as sorted lines every
// run. VALUELIST_PHASES=1 with -apply prints the time of each phase.
//
//   bench_valuelist [-runs N] [rows]
//   bench_valuelist -apply file
//
// The file (/tmp/tabrye_valuelist_bench_<rows>.csv) is written once and kept.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "../bench_util.h"
#include "csv/csv_table.h"
#include "csv/csv_valuelist.h"
#include "fw/mapped_file.h"

namespace {

int Apply(const std::string& path) {
  const bool phases = std::getenv("VALUELIST_PHASES") != nullptr;
  const auto t0 = bench::Clock::now();
  // The file is mapped and loaded from the mapping, as the program's open does.
  fw::MappedFile file;
  if (!file.Open(path.c_str())) return 1;
  const auto n = static_cast<std::size_t>(file.Size());
  const auto t1 = bench::Clock::now();
  auto table = std::make_unique<csv::Table>();
  if (!table->LoadSjisFileBytes(file.Data(), n, 1000) && !table->LoadFileText(file.Data(), n, 1000)) return 1;
  file.Close();
  const auto t2 = bench::Clock::now();
  csv::ValueTable v;
  v.Build(table->m_pTextBuf, table->UsedLength(), 2, csv::kValueWidthStart);
  if (phases)
    std::fprintf(stderr, "map %.3f s, open %.3f s, value table %.3f s\n", bench::Seconds(t0, t1),
                 bench::Seconds(t1, t2), bench::Seconds(t2));
  std::string out;
  for (int i = 0; i < v.Used(); ++i) out += v.Text(i) + " " + std::to_string(v.Count(i)) + "\n";
  return std::fwrite(out.data(), 1, out.size(), stdout) == out.size() ? 0 : 1;
}

// id, a Shift-JIS place name, one of 900 item codes ("品%03d"), a number.
std::string MakeFile(long rows) {
  static const char* const places[4] = {"\x93\x8c\x8b\x9e", "\x91\xe5\x8d\xe3", "\x8b\x9e\x93\x73", "kobe"};
  std::string s = "id,place,item,qty\r\n";
  s.reserve(static_cast<std::size_t>(rows) * 28);
  unsigned x = 12345;
  char buf[96];
  for (long r = 0; r < rows; ++r) {
    x = x * 1103515245u + 12345u;
    const unsigned item = (x >> 8) % 900;
    std::snprintf(buf, sizeof buf, "%ld,%s,\x95\x69%03u,%u\r\n", r, places[r % 4], item, (x >> 20) % 1000);
    s += buf;
  }
  return s;
}

std::vector<std::string> SortedLines(const std::string& s) {
  std::vector<std::string> lines;
  std::istringstream in(s);
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  std::sort(lines.begin(), lines.end());
  return lines;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "-apply") return Apply(argv[2]);
  bench::FileBench fb;
  if (!bench::PrepareFileBench(argc, argv, "valuelist", MakeFile, &fb)) return 1;
  const int runs = fb.runs;
  const long rows = fb.rows;
  const std::string& path = fb.path;
  const std::string& ours = fb.ours;
  const std::string mawk = "LC_ALL=C mawk -F, 'NR > 1 { c[$3]++ } END { for (k in c) print k, c[k] }' '" + path + "'";
  const bench::Paired p = bench::RunCommandsPaired(
      runs, ours, mawk, [](const std::string& a, const std::string& b) { return SortedLines(a) == SortedLines(b); });
  bench::PrintRow("valuelist", "value list of column 3, " + std::to_string(rows) + " rows", "mawk {c[$3]++}", p, "<= 1.0");
  return 0;
}
