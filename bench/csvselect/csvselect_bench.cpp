// The CSV condition statement "&6>#(100000)" with "&SL" over a generated
// Shift-JIS table (1,000,000 rows by default, no quoted commas), whole
// process against whole process: this program with -apply (the one-pass
// open, the statement, the kept rows written in comma form) against
// `mawk -F, '$6 > 100000'` over the same file. Paired runs; the outputs are
// compared every run.
//
//   bench_csvselect [-runs N] [rows]
//   bench_csvselect -apply file
//
// The file (/tmp/tabrye_csvselect_bench_<rows>.csv) is written once and kept.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "../bench_util.h"
#include "csv/csv_table.h"
#include "macro/macro_csvselect.h"
#include "macro/macro_state.h"

namespace {

int Apply(const std::string& path) {
  const std::string file = bench::ReadFile(path);
  auto table = std::make_unique<csv::Table>();
  if (!table->LoadSjisFileBytes(file.data(), file.size(), 1000) &&
      !table->LoadFileText(file.data(), file.size(), 1000))
    return 1;
  table->m_nCurLine = 1;
  auto st = std::make_unique<macro::MacroState>();
  const auto t0 = bench::Clock::now();
  macro::CsvSelectScope scope{*st, nullptr, *table};
  const int hits = macro::MacroCsvSelectCommands(scope, "&6>#(100000)", "&SL", 0);
  if (std::getenv("CSVSELECT_PHASES")) std::fprintf(stderr, "statement %.3f s, %d rows\n", bench::Seconds(t0), hits);
  const std::string out = table->FileText(csv::CommaFormKind::kComma);
  return std::fwrite(out.data(), 1, out.size(), stdout) == out.size() ? 0 : 1;
}

// id, a Shift-JIS name (some with ASCII second bytes), a code, a quantity,
// a price with decimals and the amount the condition reads.
std::string MakeFile(long rows) {
  static const char* const names[4] = {"\x83\x5C\x83\x74\x83\x67", "\x95\x5C\x8e\xa6", "\x83\x5E\x83\x4E", "kobe"};
  std::string s = "id,name,code,qty,price,amount\r\n";
  s.reserve(static_cast<std::size_t>(rows) * 40);
  unsigned x = 20261208;
  char buf[128];
  for (long r = 0; r < rows; ++r) {
    x = x * 1103515245u + 12345u;
    const unsigned amount = (x >> 4) % 200001;
    std::snprintf(buf, sizeof buf, "%ld,%s,C%02u,%u,%u.%02u,%u\r\n", r + 1, names[r % 4], (x >> 9) % 50,
                  (x >> 12) % 100, (x >> 3) % 5000, (x >> 7) % 100, amount);
    s += buf;
  }
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "-apply") return Apply(argv[2]);
  bench::FileBench fb;
  if (!bench::PrepareFileBench(argc, argv, "csvselect", MakeFile, &fb)) return 1;
  const int runs = fb.runs;
  const long rows = fb.rows;
  const std::string& path = fb.path;
  const std::string& ours = fb.ours;
  // The title row ("amount") is no number: awk would compare it as text.
  const std::string mawk = "LC_ALL=C mawk -F, -v 'RS=\\r\\n' -v 'ORS=\\r\\n' 'NR > 1 && $6 > 100000' '" + path + "'";
  const bench::Paired p = bench::RunCommandsPaired(
      runs, ours, mawk, [](const std::string& a, const std::string& b) { return a == b && !a.empty(); });
  bench::PrintRow("csvselect", "\"&SL\" with \"&6>#(100000)\", " + std::to_string(rows) + " rows",
                  "mawk -F, '$6 > 100000'", p, "(recorded)");
  return 0;
}
