// The replace statement through the whole statement path: a ".rmc" of one
// "rep:" statement (東京 -> 大阪府 over every line) run as a macro document
// over a Shift-JIS CSV of many rows, against GNU sed doing the same
// replacement on the same file. Two rows, paired runs, outputs compared
// every run: the run in this process over the opened table (the open not
// timed) against the sed process; and whole process against whole process,
// this program with -apply (the one-pass open, the run, the comma text
// written out) against sed.
//
//   bench_macroreplace [-runs N] [rows]    (default 1,000,000 rows)
//   bench_macroreplace -apply file         our run, the result to stdout
//
// The file (/tmp/tabrye_macroreplace_bench_<rows>.csv) is written once and kept.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "../../tests/macro/fake_run_host.h"
#include "../bench_tables.h"
#include "../bench_util.h"
#include "core/docdata/doc_fields.h"
#include "csv/csv_table.h"
#include "fw/alloc.h"
#include "macro/macro_run.h"
#include "macro/macro_state.h"

namespace {

// 東京, 大阪, 京都, 名古屋, 札幌, 福岡, 仙台, 神戸 (Shift-JIS).
const char* const kNames[8] = {"\x93\x8c\x8b\x9e", "\x91\xe5\x8d\xe3", "\x8b\x9e\x93\x73", "\x96\xbc\x8c\xc3\x89\xae",
                               "\x8e\x44\x96\x79", "\x95\x9f\x89\xaa", "\x90\xe5\x91\xe4", "\x90\x5f\x8c\xcb"};
// "rep:" 東京 -> 大阪府 over every line, and the same as a sed script.
const char kMacro[] = "// one replace\r\n\trep:&@1_:\x93\x8c\x8b\x9e\t\x91\xe5\x8d\xe3\x95\x7b\r\n";
const char kSed[] = "s/\x93\x8c\x8b\x9e/\x91\xe5\x8d\xe3\x95\x7b/g";

std::string Table(long rows) { return bench::PlaceTable(rows, kNames); }

// The table of `path` (the one-pass open, as the program opens a Shift-JIS
// CSV file).
bool LoadTable(const std::string& path, csv::Table* table) {
  bench::MappedFile file(path);
  return table->LoadSjisFileBytes(file.data(), file.size(), 1000) || table->LoadFileText(file.data(), file.size(), 1000);
}

// The macro run as a macro document over the table; its total, -1 when the
// run failed.
int RunReplaceMacro(csv::Table& table) {
  auto st = std::make_unique<macro::MacroState>();
  auto doc = std::make_unique<app::DvkDocData>();
  macrotest::FakeRunHost host;
  host.keepTexts = false;
  std::uint32_t fileKind = 33, sourceView = 0, editMode = 0, sortFlags = 0;
  macro::MacroRunContext rc{*st, host, table, *doc, *doc, *doc, *doc, *doc,
                            {&fileKind, &sourceView, &editMode, &sortFlags}};
  const std::size_t n = sizeof kMacro - 1;
  doc->m_pText = static_cast<char*>(fw::Alloc(n + 1));
  std::memcpy(doc->m_pText, kMacro, n + 1);
  doc->m_nTextLen = static_cast<std::uint32_t>(n);
  doc->m_nTextCapacity = static_cast<std::uint32_t>(n + 1);
  if (macro::RunMacro(rc, macro::kRunDocument, "bench.rmc", "", "x") != macro::kRunEnded) return -1;
  return st->m_nMacroReplaceTotal;
}

int Apply(const std::string& path) {
  csv::Table table;
  if (!LoadTable(path, &table) || RunReplaceMacro(table) <= 0) return 1;
  const std::string out = table.FileText(csv::CommaFormKind::kComma);
  return std::fwrite(out.data(), 1, out.size(), stdout) == out.size() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "-apply") return Apply(argv[2]);
  bench::FileBench fb;
  if (!bench::PrepareFileBench(argc, argv, "macroreplace", Table, &fb)) return 1;
  const std::string sed = "LC_ALL=C sed '" + std::string(kSed) + "' '" + fb.path + "'";
  // The statement path in this process: the table opened before each run
  // (not timed), the ".rmc" run timed, its table compared with sed's output.
  std::string ours, theirs;
  const bench::Paired inProcess = bench::RunPaired(
      fb.runs,
      [&](bool* ok) {
        csv::Table table;
        *ok = LoadTable(fb.path, &table);
        const auto t0 = bench::Clock::now();
        *ok = *ok && RunReplaceMacro(table) > 0;
        const double s = bench::Seconds(t0);
        ours = table.FileText(csv::CommaFormKind::kComma);
        return s;
      },
      [&](bool* ok) {
        const double s = bench::RunCapture(sed, &theirs, ok);
        *ok = *ok && theirs == ours;
        return s;
      });
  bench::PrintRow("macroreplace", "\"rep:\" run over " + std::to_string(fb.rows) + " Shift-JIS rows, in process",
                  "GNU sed", inProcess, "<= 1.2");
  const bench::Paired whole = bench::RunCommandsPaired(fb.runs, fb.ours, sed,
                                                       [](const std::string& a, const std::string& b) { return a == b; });
  bench::PrintRow("macroreplace", "open + \"rep:\" run + comma form, " + std::to_string(fb.rows) + " rows, process",
                  "GNU sed", whole, "-");
  return 0;
}
