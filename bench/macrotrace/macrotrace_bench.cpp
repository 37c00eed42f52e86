// Times the status-bar trace of a macro run in the window, under Wine: the
// same statements run with the trace shown on every statement (mode 0, the
// default) and with the pane left alone (mode 3), paired runs in one
// process. The first statement of each run picks the mode. Every run checks
// that all statements ran and that pane 0 ends with "macro end".
//
//   bench_macrotrace.exe [-runs N] [statements]     (default 20,000)
//
// Built in the Windows tree only; bench/run-all runs it under Wine.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "../bench_util.h"
#include "../win_session.h"

#include "macro/macro_run.h"
#include "macro/macro_state.h"

namespace {

using bench::Clock;
using bench::Seconds;

// `count` statements that pass every common step and need no executor, as
// macro text ("\t" and "\n" written as escapes), after one that sets the
// trace mode. The line count ends past the last line break: count + 1.
std::string Statements(int count) {
  std::string text = "\\tsystem_para\\n";
  for (int i = 0; i < count; ++i) text += "\\texe\\tx" + std::to_string(i) + "\\n";
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  int next = 1;
  const int runs = bench::TakeRuns(argc, argv, 3, &next);
  const int count = next < argc ? std::max(1, std::atoi(argv[next])) : 20000;

  bench::WinSession s("macrotrace");
  CDvkView* v = s.View();
  if (!s.Started() || v == nullptr) {
    std::printf("the program did not start\n");
    return 1;
  }
  const std::string text = Statements(count);
  auto runWithMode = [&](std::uint32_t mode, bool* ok) {
    macro::SetTestExecutor(3, [mode](macro::MacroRunContext& rc) {
      rc.state.m_nMacroStatusMode = mode;
      return macro::Outcome::kNext;
    });
    const auto t0 = Clock::now();
    const int r = v->RunMacro(4, text.c_str(), "", "");
    const double t = Seconds(t0);
    macro::SetTestExecutor(3, nullptr);
    const std::string pane = s.frame->m_wndStatusBar.GetPaneText(0).GetString();
    *ok = r == 1 && v->Macro().m_nCmdLineNo == count + 1 && pane.rfind("macro end", 0) == 0;
    if (!*ok) std::printf("   mode %u: result %d, line %d, pane \"%s\"\n", mode, r, v->Macro().m_nCmdLineNo, pane.c_str());
    return t;
  };
  std::printf("statements: %d, %d runs\n", count, runs);
  const bench::Paired p = bench::RunPaired(
      runs, [&](bool* ok) { return runWithMode(0, ok); }, [&](bool* ok) { return runWithMode(3, ok); });
  char work[128];
  std::snprintf(work, sizeof work, "%d statements, trace mode 0 (pane 0 on every statement), Wine", count);
  bench::PrintRow("macrotrace", work, "the same with trace mode 3 (pane untouched)", p, "");
  std::printf("trace cost: %.1f us a statement\n", (p.ours - p.theirs) / count * 1e6);
  return 0;
}
