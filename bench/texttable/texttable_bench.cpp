// "textcsv" over a generated comma text of about 100 MB: the statement's
// separator conversion and the new table's index (what the statement does
// after its detection scan), next to Python's csv module writing the same
// fields joined by 0x06 (bench/texttable/textcsv.py). Both write the table
// text to stdout; the outputs must be byte-equal.
//
//   bench_texttable [-runs N] [MB]
//   bench_texttable -apply FILE     (ours alone: the table text to stdout)
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "../bench_util.h"
#include "csv/csv_table.h"
#include "fw/alloc.h"
#include "macro/macro_texttable.h"

namespace {

int Apply(const char* path) {
  bench::MappedFile file(path);
  const auto* text = reinterpret_cast<const std::uint8_t*>(file.data());
  macro::ConvertedText out;
  if (!macro::ConvertBySeparator(text, file.size(), ',', false, &out)) return 2;
  csv::Table table;
  if (!table.Assign(out.bytes, out.length, 10000)) return 2;
  fw::Free(out.bytes);
  std::fwrite(table.m_pTextBuf, 1, table.m_nTextLen, stdout);
  return 0;
}

// Rows of five fields; one in five rows holds a quoted number with a comma.
std::string Make(std::size_t bytes) {
  std::string s;
  s.reserve(bytes + 128);
  unsigned x = 12345;
  long row = 0;
  while (s.size() < bytes) {
    x = x * 1103515245u + 12345u;
    s += std::to_string(++row);
    s += ",item";
    s += std::to_string(x % 997);
    s += (row % 5 == 0) ? ",\"1," + std::to_string(100 + x % 900) + "\"" : "," + std::to_string(x % 100000);
    s += ",Tokyo branch,";
    s += std::to_string((x >> 8) % 1000) + "." + std::to_string((x >> 4) % 10);
    s += "\r\n";
  }
  return s;
}

std::string Quote(const std::string& s) { return "'" + s + "'"; }

}  // namespace

int main(int argc, char** argv) {
  if (argc > 2 && std::strcmp(argv[1], "-apply") == 0) return Apply(argv[2]);
  int arg = 1;
  const int runs = bench::TakeRuns(argc, argv, 3, &arg);
  const long mb = argc > arg ? std::atol(argv[arg]) : 100;
  const std::string path = "/tmp/tabrye_textcsv_bench_" + std::to_string(mb) + "mb.txt";
  if (!bench::EnsureFile(path, [&] { return Make(static_cast<std::size_t>(mb) * 1000000); })) {
    std::printf("INFO|texttable|cannot write %s\n", path.c_str());
    return 1;
  }
  std::printf("INFO|texttable|file %s\n", path.c_str());
  const std::string ours = Quote(argv[0]) + " -apply " + Quote(path);
  const std::string py = "python3 " + Quote(TABRYE_SOURCE_ROOT "/bench/texttable/textcsv.py") + " " + Quote(path);
  const bench::Paired p =
      bench::RunCommandsPaired(runs, ours, py, [](const std::string& a, const std::string& b) { return a == b; });
  bench::PrintRow("texttable", "textcsv of a " + std::to_string(mb) + " MB comma text", "Python csv", p, "<= 0.50");
  return 0;
}
