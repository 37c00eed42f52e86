// "load" of a generated Shift-JIS CSV of about 50 MB run as a macro
// statement (the file read, the separator detection, the program's CSV load
// and the index), next to Python's csv module reading the same file and
// writing its fields joined by 0x06 (bench/texttable/textcsv.py). Both write
// the table's text to stdout; the outputs must be byte-equal.
//
//   bench_macro_loadsave [-runs N] [MB]
//   bench_macro_loadsave -load FILE     (ours alone: the table text to stdout)
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "../bench_macro_host.h"
#include "../bench_util.h"
#include "core/docdata/doc_fields.h"
#include "csv/csv_table.h"
#include "macro/macro_run.h"
#include "macro/macro_run_host.h"
#include "macro/macro_state.h"

namespace {

// The "load" statement over `path` in a whole run; the table's text to stdout.
int Load(const char* path) {
  auto st = std::make_unique<macro::MacroState>();
  auto doc = std::make_unique<app::DvkDocData>();
  bench::QuietRunHost host(2, false);  // the missing-file question answered No
  csv::Table table;
  std::uint32_t kind = 9, source = 0, edit = 0, sort = 0;
  macro::MacroRunContext rc{*st, host, table, *doc, *doc, *doc, *doc, *doc, {&kind, &source, &edit, &sort}};
  std::string p = std::string("Z:") + path;  // the program's form of a native path
  const std::string text = "\tload\t" + p + "\r\n";
  macro::RunMacro(rc, macro::kRunText, CString(text), "", CString("Z:/tmp"));
  if (kind != 33) return 2;
  std::fwrite(table.m_pTextBuf, 1, table.m_nTextLen, stdout);
  return 0;
}

// Rows of five fields in Shift-JIS; one row in five holds a quoted number
// with a comma, one in seven a branch name with a 0x5C trail byte.
std::string Make(std::size_t bytes) {
  std::string s;
  s.reserve(bytes + 128);
  unsigned x = 12345;
  long row = 0;
  while (s.size() < bytes) {
    x = x * 1103515245u + 12345u;
    s += std::to_string(++row);
    s += ",\x8f\xa4\x95\x69";  // 商品
    s += std::to_string(x % 997);
    s += (row % 5 == 0) ? ",\"1," + std::to_string(100 + x % 900) + "\"" : "," + std::to_string(x % 100000);
    s += (row % 7 == 0) ? ",\x95\\\x8e\x9a\x8e\x78\x93\x58," : ",\x93\x8c\x8b\x9e\x8e\x78\x93\x58,";  // 表示支店 / 東京支店
    s += std::to_string((x >> 8) % 1000) + "." + std::to_string((x >> 4) % 10);
    s += "\r\n";
  }
  return s;
}

std::string Quote(const std::string& s) { return "'" + s + "'"; }

}  // namespace

int main(int argc, char** argv) {
  if (argc > 2 && std::strcmp(argv[1], "-load") == 0) return Load(argv[2]);
  int arg = 1;
  const int runs = bench::TakeRuns(argc, argv, 3, &arg);
  const long mb = argc > arg ? std::atol(argv[arg]) : 50;
  const std::string path = "/tmp/tabrye_macroload_bench_" + std::to_string(mb) + "mb.csv";
  if (!bench::EnsureFile(path, [&] { return Make(static_cast<std::size_t>(mb) * 1000000); })) {
    std::printf("INFO|macro_loadsave|cannot write %s\n", path.c_str());
    return 1;
  }
  std::printf("INFO|macro_loadsave|file %s\n", path.c_str());
  const std::string ours = Quote(argv[0]) + " -load " + Quote(path);
  const std::string py = "python3 " + Quote(TABRYE_SOURCE_ROOT "/bench/texttable/textcsv.py") + " " + Quote(path);
  const bench::Paired p =
      bench::RunCommandsPaired(runs, ours, py, [](const std::string& a, const std::string& b) { return a == b; });
  bench::PrintRow("macro_loadsave", "load of a " + std::to_string(mb) + " MB Shift-JIS CSV", "Python csv", p,
                  "<= 0.50");
  return 0;
}
