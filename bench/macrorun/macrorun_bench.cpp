// Times a macro run of about 900,000 bytes of statements that pass every
// common step of the loop (scanner, preparation, command words,
// classification, row-data parsing of an "@[key]" address over a
// 10,000-row table, substitution) and need no executor ("exe"), with the
// trace shown on every statement (mode 0) or not (mode 2). Whole process
// against whole process: this program with -once against awk splitting the
// same text into its TAB columns; every run checks the statement count.
//
//   bench_macrorun [-runs N]                  the table rows
//   bench_macrorun -once FILE TRACEMODE       one run; prints the statements
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

constexpr int kRows = 10000;
constexpr std::size_t kTextBytes = 900000;

std::string MakeTable() {
  std::string t = "key,value\r\n";
  for (int r = 0; r < kRows; ++r) t += "k" + std::to_string(r) + "," + std::to_string(r * 7) + "\r\n";
  return t;
}

std::string MakeMacro(long* statements) {
  std::string m;
  long n = 0;
  while (m.size() < kTextBytes - 40) {
    m += "\texe\t&2@[k" + std::to_string((n * 7919) % kRows) + "]\r\n";
    ++n;
  }
  *statements = n;
  return m;
}

int Once(const char* path, int traceMode) {
  const std::string text = bench::ReadFile(path);
  auto st = std::make_unique<macro::MacroState>();
  auto doc = std::make_unique<app::DvkDocData>();
  macrotest::FakeRunHost host;
  host.keepTexts = false;
  // The trace mode is a run's own word: set once the run has started.
  macro::MacroState* state = st.get();
  host.onStatus = [state, traceMode] { state->m_nMacroStatusMode = traceMode; };
  csv::Table table;
  const std::string csv = MakeTable();
  if (!table.LoadFileText(csv.data(), csv.size(), 1000)) return 1;
  std::uint32_t fileKind = 33, sourceView = 0, editMode = 0, sortFlags = 0;
  macro::MacroRunContext rc{*st, host, table, *doc, *doc, *doc, *doc, *doc,
                            {&fileKind, &sourceView, &editMode, &sortFlags}};
  doc->m_pText = static_cast<char*>(fw::Alloc(text.size() + 1));
  std::memcpy(doc->m_pText, text.c_str(), text.size() + 1);
  doc->m_nTextLen = static_cast<std::uint32_t>(text.size());
  doc->m_nTextCapacity = static_cast<std::uint32_t>(text.size() + 1);
  const int r = macro::RunMacro(rc, macro::kRunDocument, "bench.rmc", "", "x");
  if (r != macro::kRunEnded || !host.reports.empty()) return 1;
  // Pane 0 writes: one a statement (mode 2 writes the empty text) and the end.
  std::printf("%ld\n", host.statusCount);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 3 && std::strcmp(argv[1], "-once") == 0) return Once(argv[2], std::atoi(argv[3]));
  int next = 1;
  const int runs = bench::TakeRuns(argc, argv, 5, &next);
  long statements = 0;
  const std::string path = "/tmp/tabrye_bench_macrorun.rmc";
  if (!bench::WriteFile(path, MakeMacro(&statements))) return 1;
  std::printf("INFO|macrorun|%ld statements, %zu bytes, %d-row table\n", statements, kTextBytes, kRows);
  for (int mode : {0, 2}) {
    std::string ours, theirs;
    const bench::Paired p = bench::RunPaired(
        runs,
        [&](bool* ok) {
          const double s = bench::RunCapture("'" + std::string(argv[0]) + "' -once '" + path + "' " + std::to_string(mode),
                                             &ours, ok);
          // Both modes write pane 0 for every statement (mode 2 an empty
          // text) and once at the end.
          const long want = statements + 1;
          *ok = *ok && std::atol(ours.c_str()) == want;
          return s;
        },
        [&](bool* ok) {
          const double s = bench::RunCapture("awk -F'\\t' '{n += NF} END {print NR}' '" + path + "'", &theirs, ok);
          *ok = *ok && std::atol(theirs.c_str()) == statements;
          return s;
        });
    bench::PrintRow("macrorun", std::to_string(statements) + " statements, trace mode " + std::to_string(mode),
                    "awk splitting the TAB columns", p, "-");
  }
  std::remove(path.c_str());
  return 0;
}
