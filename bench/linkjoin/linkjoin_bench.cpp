// The link join of two generated Shift-JIS files (200,000 rows each by
// default, keys shuffled, no quoted commas) as a whole process (-apply: the
// one-pass open of the table, the other file read and joined, the result
// written in comma form) against the pipeline
//   LC_ALL=C sort -t, -k1,1 (both files) | join -t, -a 1
// timed together. The matched pairs (table row id, other row id) of the two
// outputs are compared every run.
//
//   bench_linkjoin [-runs N] [rows]
//   bench_linkjoin -apply table other
//
// The files (/tmp/tabrye_linkjoin_bench_<rows>.csv and ..._other.csv) are
// written once and kept.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "../bench_util.h"
#include "csv/csv_linkjoin.h"
#include "csv/csv_otherfile.h"
#include "csv/csv_table.h"

namespace {

int Apply(const std::string& tablePath, const std::string& otherPath) {
  const std::string file = bench::ReadFile(tablePath);
  auto table = std::make_unique<csv::Table>();
  if (!table->LoadSjisFileBytes(file.data(), file.size(), 1000) &&
      !table->LoadFileText(file.data(), file.size(), 1000))
    return 1;
  const auto t0 = bench::Clock::now();
  csv::FileSource src;
  if (!src.Open(otherPath.c_str())) return 1;
  if (csv::CsvLinkJoin(*table, src, {}, nullptr) != 0) return 1;
  const auto t1 = bench::Clock::now();
  const std::string out = table->FileText(csv::CommaFormKind::kComma);
  if (std::getenv("LINKJOIN_PHASES"))
    std::fprintf(stderr, "join %.3f s, comma form %.3f s\n", bench::Seconds(t0, t1), bench::Seconds(t1));
  return std::fwrite(out.data(), 1, out.size(), stdout) == out.size() ? 0 : 1;
}

// Keys: ソ (0x83 0x5C) and a number. The table draws its keys from 1.25 x
// rows numbers (some twice, some without partner); the other file has each
// of `rows` numbers once. Rows end LF.
std::string Key(unsigned k) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "\x83\x5C%07u", k);
  return buf;
}

std::string MakeTable(long rows) {
  std::mt19937 rng(20261208);
  std::string s = "key,tid,name\n";
  for (long r = 0; r < rows; ++r)
    s += Key(rng() % static_cast<unsigned>(rows + rows / 4)) + ",t" + std::to_string(r) + ",\x95\x5C\x8e\xa6" + "\n";
  return s;
}

std::string MakeOther(long rows) {
  std::vector<unsigned> keys(static_cast<std::size_t>(rows));
  std::iota(keys.begin(), keys.end(), 0u);
  std::shuffle(keys.begin(), keys.end(), std::mt19937(7));
  std::string s = "key,oid,amount\n";
  for (long r = 0; r < rows; ++r) s += Key(keys[static_cast<std::size_t>(r)]) + ",o" + std::to_string(r) + "," + std::to_string(r * 37 % 10007) + "\n";
  return s;
}

// "tid,oid" of every row that has both, sorted.
std::vector<std::string> Pairs(const std::string& out, int tidField, int oidField) {
  std::vector<std::string> pairs;
  std::size_t p = 0;
  while (p < out.size()) {
    std::size_t e = out.find('\n', p);
    if (e == std::string::npos) e = out.size();
    std::string line = out.substr(p, e - p);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    p = e + 1;
    std::vector<std::string> f;
    for (std::size_t a = 0;;) {
      const std::size_t b = line.find(',', a);
      f.push_back(line.substr(a, b == std::string::npos ? std::string::npos : b - a));
      if (b == std::string::npos) break;
      a = b + 1;
    }
    if (static_cast<int>(f.size()) > std::max(tidField, oidField) && !f[static_cast<std::size_t>(oidField)].empty() &&
        f[static_cast<std::size_t>(tidField)].size() > 1 && f[static_cast<std::size_t>(tidField)][0] == 't' &&
        f[static_cast<std::size_t>(tidField)][1] >= '0' && f[static_cast<std::size_t>(tidField)][1] <= '9')
      pairs.push_back(f[static_cast<std::size_t>(tidField)] + "," + f[static_cast<std::size_t>(oidField)]);
  }
  std::sort(pairs.begin(), pairs.end());
  return pairs;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "-apply") return Apply(argv[2], argv[3]);
  bench::FileBench fb;
  int next = 1;
  const int runs = bench::TakeRuns(argc, argv, 5, &next);
  const long rows = next < argc ? std::atol(argv[next]) : 200000;
  const std::string base = "/tmp/tabrye_linkjoin_bench_" + std::to_string(rows);
  const std::string table = base + ".csv", other = base + "_other.csv";
  if (!bench::EnsureFile(table, [&] { return MakeTable(rows); }) ||
      !bench::EnsureFile(other, [&] { return MakeOther(rows); }))
    return 1;
  const std::string ours = std::string("'") + argv[0] + "' -apply '" + table + "' '" + other + "'";
  const std::string pipeline = "bash -c \"LC_ALL=C join -t, -a 1 <(tail -n +2 '" + table +
                               "' | LC_ALL=C sort -t, -k1,1) <(tail -n +2 '" + other +
                               "' | LC_ALL=C sort -t, -k1,1)\"";
  const bench::Paired p = bench::RunCommandsPaired(runs, ours, pipeline, [](const std::string& a, const std::string& b) {
    // ours: key,tid,name,key,oid,amount; join: key,tid,name,oid,amount
    const auto x = Pairs(a, 1, 4), y = Pairs(b, 1, 3);
    return !x.empty() && x == y;
  });
  bench::PrintRow("linkjoin", "CsvLinkJoin, 2 x " + std::to_string(rows) + " rows, whole process",
                  "sort both | join -a 1", p, "<= 1.0");
  return 0;
}
