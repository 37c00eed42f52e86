// Times a structured macro loop: a "for" of N iterations whose body holds an
// "if" / "else" (each side one "inc") and a second "inc", with the trace off
// (mode 2), against bash running the same loop with its arithmetic. Whole
// process against whole process; both print the three counters, which must
// agree. A second table shows the time per iteration with the body repeated
// ten times (the jump back walks the body again on every pass, so the time
// per iteration must grow with the body's length, not faster).
//
//   bench_macroloop [-runs N] [iterations]        the table rows
//   bench_macroloop -once ITERATIONS COPIES       one run; prints "a b c"
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

// The body once: the "if" side or the "else" side counts, then c.
const char kBody[] =
    "\t  if:[a]==[b]\r\n"
    "\t    [a]++\r\n"
    "\t  else\r\n"
    "\t    [b]++\r\n"
    "\t  endif\r\n"
    "\t  [c]++\r\n";

std::string MakeMacro(long iterations, int copies) {
  std::string m = "\tdefine\ti,a,b,c\r\n\tfor:[i]=0;[i]<#(" + std::to_string(iterations) + ");[i]=#([i]+1)\r\n";
  for (int k = 0; k < copies; ++k) m += kBody;
  m += "\tloop\r\n";
  return m;
}

std::string BashLoop(long iterations, int copies) {
  std::string body;
  for (int k = 0; k < copies; ++k)
    body += "if [ \"$a\" = \"$b\" ]; then a=$((a+1)); else b=$((b+1)); fi; c=$((c+1)); ";
  return "bash -c 'i=0; a=0; b=0; c=0; while [ $i -lt " + std::to_string(iterations) + " ]; do " + body +
         "i=$((i+1)); done; echo $a $b $c'";
}

std::string Expected(long iterations, int copies) {
  const long total = iterations * copies;
  return std::to_string((total + 1) / 2) + " " + std::to_string(total / 2) + " " + std::to_string(total) + "\n";
}

int Once(long iterations, int copies) {
  const std::string text = MakeMacro(iterations, copies);
  auto st = std::make_unique<macro::MacroState>();
  auto doc = std::make_unique<app::DvkDocData>();
  macrotest::FakeRunHost host;
  host.keepTexts = false;
  macro::MacroState* state = st.get();
  host.onStatus = [state] { state->m_nMacroStatusMode = 2; };  // trace off from the first statement on
  csv::Table table;
  std::uint32_t fileKind = 9, sourceView = 0, editMode = 0, sortFlags = 0;
  macro::MacroRunContext rc{*st, host, table, *doc, *doc, *doc, *doc, *doc,
                            {&fileKind, &sourceView, &editMode, &sortFlags}};
  doc->m_pText = static_cast<char*>(fw::Alloc(text.size() + 1));
  std::memcpy(doc->m_pText, text.c_str(), text.size() + 1);
  doc->m_nTextLen = static_cast<std::uint32_t>(text.size());
  doc->m_nTextCapacity = static_cast<std::uint32_t>(text.size() + 1);
  const int r = macro::RunMacro(rc, macro::kRunDocument, "bench.rmc", "", "x");
  if (r != macro::kRunEnded || !host.reports.empty()) return 1;
  // Empty counters read as 0, as bash starts them.
  auto v = [&](int slot) {
    const std::string s = st->m_strMacroVars[slot].GetString();
    return s.empty() ? std::string("0") : s;
  };
  std::printf("%s %s %s\n", v(181).c_str(), v(182).c_str(), v(183).c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 3 && std::strcmp(argv[1], "-once") == 0) return Once(std::atol(argv[2]), std::atoi(argv[3]));
  int next = 1;
  const int runs = bench::TakeRuns(argc, argv, 5, &next);
  const long iterations = next < argc ? std::max(10L, std::atol(argv[next])) : 1000000;
  const std::string self = argv[0];
  double perIteration[2] = {0, 0};
  int k = 0;
  for (int copies : {1, 10}) {
    // The long body runs a tenth of the iterations: the same statements.
    const long n = copies == 1 ? iterations : iterations / 10;
    const std::string want = Expected(n, copies);
    std::string ours, theirs;
    const bench::Paired p = bench::RunPaired(
        runs,
        [&](bool* ok) {
          const double s = bench::RunCapture("'" + self + "' -once " + std::to_string(n) + " " + std::to_string(copies),
                                             &ours, ok);
          *ok = *ok && ours == want;
          return s;
        },
        [&](bool* ok) {
          const double s = bench::RunCapture(BashLoop(n, copies), &theirs, ok);
          *ok = *ok && theirs == want;
          return s;
        });
    perIteration[k++] = p.ours / static_cast<double>(n);
    bench::PrintRow("macroloop",
                    std::to_string(n) + " iterations of a for with if/else and two inc" +
                        (copies == 1 ? std::string() : ", body x10") + ", trace mode 2",
                    "bash running the same loop", p, copies == 1 ? "<= 1.0" : "-");
  }
  std::printf("INFO|macroloop|time per iteration: %.2f us, body x10: %.2f us (x%.1f)\n", perIteration[0] * 1e6,
              perIteration[1] * 1e6, perIteration[1] / perIteration[0]);
  return 0;
}
