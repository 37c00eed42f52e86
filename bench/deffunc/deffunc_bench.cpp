// A macro-defined function applied to every cell of a column: the body
// ("@Out" = "@In" squared) runs as a nested macro run once per cell. Whole
// process against whole process: this program with -apply (the file loaded
// into the table, "define#sq" and "&2#:sq" run as a macro, the comma text
// written out) against bash calling a shell function once per line of the
// same column. Paired runs, outputs compared every run.
//
//   bench_deffunc [-runs N] [rows]      (default 100,000 rows)
//   bench_deffunc -apply file           our run, the result to stdout
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "../../tests/macro/fake_run_host.h"
#include "../bench_util.h"
#include "core/docdata/doc_fields.h"
#include "csv/csv_table.h"
#include "fw/alloc.h"
#include "macro/macro_run.h"
#include "macro/macro_state.h"

namespace {

const char kMacro[] = "\tdefine#sq\t\\t@Out=#(@In*@In)\r\n\t&2#:sq\t-\r\n";

std::string MakeTable(long rows) {
  std::string t = "name,value\n";
  for (long k = 1; k <= rows; ++k)
    t += "r" + std::to_string(k) + "," + std::to_string((k * 7919) % 100000 - 50000) + "\n";
  return t;
}

int Apply(const std::string& path) {
  const std::string file = bench::ReadFile(path);
  auto st = std::make_unique<macro::MacroState>();
  auto doc = std::make_unique<app::DvkDocData>();
  auto table = std::make_unique<csv::Table>();
  if (!table->LoadFileText(file.data(), file.size(), 1000)) return 1;
  macrotest::FakeRunHost host;
  host.keepTexts = false;
  macro::MacroState* state = st.get();
  host.onStatus = [state] { state->m_nMacroStatusMode = 2; };  // trace off from the first statement on
  std::uint32_t fileKind = 9, sourceView = 0, editMode = 0, sortFlags = 0;
  macro::MacroRunContext rc{*st, host, *table, *doc, *doc, *doc, *doc, *doc,
                            {&fileKind, &sourceView, &editMode, &sortFlags}};
  const std::string text = kMacro;
  doc->m_pText = static_cast<char*>(fw::Alloc(text.size() + 1));
  std::memcpy(doc->m_pText, text.c_str(), text.size() + 1);
  doc->m_nTextLen = static_cast<std::uint32_t>(text.size());
  doc->m_nTextCapacity = static_cast<std::uint32_t>(text.size() + 1);
  const int r = macro::RunMacro(rc, macro::kRunDocument, "bench.rmc", "", "x");
  if (r != macro::kRunEnded || !host.reports.empty()) {
    for (const auto& m : host.reports) std::fprintf(stderr, "report: %s\n", m.c_str());
    return 1;
  }
  const std::string out = table->FileText(csv::CommaFormKind::kComma);
  return std::fwrite(out.data(), 1, out.size(), stdout) == out.size() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "-apply") return Apply(argv[2]);
  bench::FileBench fb;
  int next = 1;
  fb.runs = bench::TakeRuns(argc, argv, 5, &next);
  fb.rows = next < argc ? std::atol(argv[next]) : 100000;
  fb.path = "/tmp/tabrye_deffunc_bench_" + std::to_string(fb.rows) + ".csv";
  const long rows = fb.rows;
  if (!bench::EnsureFile(fb.path, [&] { return MakeTable(rows); })) return 1;
  const std::string ours = std::string("'") + argv[0] + "' -apply '" + fb.path + "'";
  const std::string sh = "bash -c 'sq() { r=$(( $1 * $1 )); }; IFS=,; { read -r h; printf \"%s\\n\" \"$h\"; "
                         "while read -r a b; do sq \"$b\"; printf \"%s,%s\\n\" \"$a\" \"$r\"; done; } < \"$0\"' '" +
                         fb.path + "'";
  const bench::Paired p = bench::RunCommandsPaired(
      fb.runs, ours, sh, [](const std::string& a, const std::string& b) { return a == b; });
  bench::PrintRow("deffunc", "a defined function (@In squared) over " + std::to_string(rows) + " cells",
                  "bash calling a shell function per line", p, "<= 1.0");
  return 0;
}
