// The table statements "load" and "save" over a 50 MB Shift-JIS CSV file,
// whole process against whole process, with Python's csv module reading
// and writing the same file as the yardstick.
//
// save: this program with -save (the file loaded into the table as the
// program opens a CSV, then the statement "save" run on it) against
// csv_copy.py (csv.reader, then csv.writer). Both outputs must equal the
// input, which is written in the csv module's own form.
//
//   bench_macro_save [-runs N] [megabytes]      (default 50)
//   bench_macro_save -save FILE OUT
//
// The file (/tmp/tabrye_macro_save_bench_<MB>.csv) is written once and kept.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>

#include "../bench_macro_host.h"
#include "../bench_util.h"
#include "core/docdata/doc_fields.h"
#include "csv/csv_table.h"
#include "macro/macro_run.h"
#include "macro/macro_run_host.h"

namespace {

// Shift-JIS rows of names, numbers, quoted fields with commas and quoted
// line breaks, quoted as the csv module quotes (only where it must).
std::string SjisTable(std::size_t bytes) {
  std::mt19937 rng(50);
  const char* names[] = {"\x93\x8c\x8b\x9e", "\x91\xe5\x8d\xe3", "\x95\x5c\x8c\x76\x8e\x5a", "\x83\x5c\x83\x74\x83\x67",
                         "Osaka"};
  std::string s = "\x8f\xa4\x95\x69,\x90\x94,note,\x93\xfa\x95\x74\r\n";
  s.reserve(bytes + 256);
  char line[160];
  for (long r = 0; s.size() < bytes; ++r) {
    const char* n = names[rng() % 5];
    const unsigned q = rng() % 10;
    const char* note = q == 0 ? "\"a, b\"" : q == 1 ? "\"two\r\nlines\"" : q == 2 ? "\"say \"\"hi\"\"\"" : "plain";
    std::snprintf(line, sizeof line, "%s%ld,%u,%s,2026/%02u/%02u\r\n", n, r, static_cast<unsigned>(rng() % 100000),
                  note, 1 + static_cast<unsigned>(rng() % 12), 1 + static_cast<unsigned>(rng() % 28));
    s += line;
  }
  return s;
}

int Save(const std::string& path, const std::string& out) {
  const std::string bytes = bench::ReadFile(path);
  auto st = std::make_unique<macro::MacroState>();
  bench::QuietRunHost host(1, true);  // a read-only question answered Yes
  csv::Table table;
  auto doc = std::make_unique<app::DvkDocData>();
  // The one-pass load, or the general one where the pass gives up.
  if (!table.LoadSjisFileBytes(bytes.data(), bytes.size(), 1000) &&
      !table.LoadFileText(bytes.data(), bytes.size(), 1000)) {
    std::fprintf(stderr, "the table cannot be loaded\n");
    return 1;
  }
  std::uint32_t kind = 33, source = 0, edit = 0, sort = 0;
  macro::MacroRunContext rc{*st, host, table, *doc, *doc, *doc, *doc, *doc, {&kind, &source, &edit, &sort}};
  // A name without a drive is placed in the macro folder: the output's folder.
  const std::size_t slash = out.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : out.substr(0, slash);
  const std::string text = "\tsave\t" + out.substr(slash + 1) + "\r\n";
  const int r = macro::RunMacro(rc, macro::kRunText, CString(text.c_str()), "", CString(folder.c_str()));
  if (r != macro::kRunEnded) std::fprintf(stderr, "the run gave %d\n", r);
  return r == macro::kRunEnded ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "-save") return Save(argv[2], argv[3]);
  int next = 1;
  const int runs = bench::TakeRuns(argc, argv, 5, &next);
  const long mb = next < argc ? std::atol(argv[next]) : 50;
  const std::string path = "/tmp/tabrye_macro_save_bench_" + std::to_string(mb) + ".csv";
  if (!bench::EnsureFile(path, [&] { return SjisTable(static_cast<std::size_t>(mb) * 1000000); })) return 1;
  const std::string oursOut = "/tmp/tabrye_macro_save_ours.csv", theirsOut = "/tmp/tabrye_macro_save_py.csv";
  const std::string ours = std::string("'") + argv[0] + "' -save '" + path + "' '" + oursOut + "'";
  const std::string python =
      "python3 '" TABRYE_TEST_ROOT "/bench/macro_loadsave/csv_copy.py' '" + path + "' '" + theirsOut + "'";
  const std::string input = bench::ReadFile(path);
  const bench::Paired p = bench::RunCommandsPaired(runs, ours, python, [&](const std::string&, const std::string&) {
    return bench::ReadFile(oursOut) == input && bench::ReadFile(theirsOut) == input;
  });
  bench::PrintRow("macro_loadsave", "save of a " + std::to_string(mb) + " MB Shift-JIS CSV", "Python csv read+write",
                  p, "<= 0.5");
  return 0;
}
