// The replace statement through the whole statement path: a ".rmc" of one
// "rep:" statement run over a Shift-JIS CSV of many rows, whole process
// against whole process: this program with -apply (the file opened into
// the table by the one-pass open, the macro run as a macro document, the
// comma text written out) against GNU sed doing the same replacement on the
// same file. Paired runs, outputs compared every run.
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

int Apply(const std::string& path) {
  bench::MappedFile file(path);
  auto st = std::make_unique<macro::MacroState>();
  auto doc = std::make_unique<app::DvkDocData>();
  csv::Table table;
  if (!table.LoadSjisFileBytes(file.data(), file.size(), 1000) &&
      !table.LoadFileText(file.data(), file.size(), 1000))
    return 1;
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
  if (macro::RunMacro(rc, macro::kRunDocument, "bench.rmc", "", "x") != macro::kRunEnded || st->m_nMacroReplaceTotal <= 0)
    return 1;
  const std::string out = table.FileText(csv::CommaFormKind::kComma);
  return std::fwrite(out.data(), 1, out.size(), stdout) == out.size() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "-apply") return Apply(argv[2]);
  bench::FileBench fb;
  if (!bench::PrepareFileBench(argc, argv, "macroreplace", Table, &fb)) return 1;
  const std::string sed = "LC_ALL=C sed '" + std::string(kSed) + "' '" + fb.path + "'";
  const bench::Paired p = bench::RunCommandsPaired(fb.runs, fb.ours, sed,
                                                   [](const std::string& a, const std::string& b) { return a == b; });
  bench::PrintRow("macroreplace", "\"rep:\" over " + std::to_string(fb.rows) + " Shift-JIS rows", "GNU sed", p,
                  "<= 1.2");
  return 0;
}
