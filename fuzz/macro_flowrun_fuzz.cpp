// Whole macro runs of any text over a small CSV table, for the control
// statements: blocks, loops, "outloop", conditions on cells and variables,
// "inc" and "dec" (the seeds are structured macros). The first byte picks
// the debug mode; the text is the document's (exactly its bytes, no NUL
// after it). A fake window side answers every question and ends a run
// after 100,000 statements, so endless loops end. Every run must end with
// one of the run results, leave no run marked active and keep the line
// number at or below the text's line breaks.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "../tests/macro/fake_run_host.h"
#include "core/docdata/doc_fields.h"
#include "csv/csv_table.h"
#include "fw/alloc.h"
#include "macro/macro_run.h"
#include "macro/macro_state.h"

namespace {

// 100,000 statements a run; TABRYE_FLOWRUN_BUDGET sets fewer for a long
// campaign (a looping input then costs less than a second under the
// sanitizers).
long StatementBudget() {
  static const long budget = [] {
    const char* env = std::getenv("TABRYE_FLOWRUN_BUDGET");
    const long n = env ? std::atol(env) : 0;
    return n > 0 && n < 100000 ? n : 100000L;
  }();
  return budget;
}
const char kTable[] = "name,code,qty\r\na,A,1\r\nb,B,2\r\nc,A,3\r\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 16384) return 0;
  static macro::MacroState* st = new macro::MacroState;
  static app::DvkDocData* doc = new app::DvkDocData;
  macrotest::FakeRunHost host;
  host.keepTexts = false;
  host.statusLimit = StatementBudget();
  csv::Table table;
  if (!table.LoadFileText(kTable, sizeof kTable - 1, 64)) return 0;
  table.m_nCurLine = 1;
  std::uint32_t fileKind = 33, sourceView = 0, editMode = 0, sortFlags = 0;
  macro::MacroRunContext rc{*st, host, table, *doc, *doc, *doc, *doc, *doc,
                            {&fileKind, &sourceView, &editMode, &sortFlags}};
  st->m_nMacroResumePos = 0;
  st->m_nMacroEvalCellLimit = 2000;
  st->m_nMacroEvalNestLimit = 2000;
  doc->m_nMacroDebugMode = data[0] % 3;
  const std::size_t n = size - 1;
  fw::Free(doc->m_pText);
  doc->m_pText = static_cast<char*>(fw::Alloc(n ? n : 1));
  if (n) std::memcpy(doc->m_pText, data + 1, n);
  doc->m_nTextLen = static_cast<std::uint32_t>(n);
  doc->m_nTextCapacity = static_cast<std::uint32_t>(n ? n : 1);
  const int r = macro::RunMacro(rc, macro::kRunDocument, "C:\\m\\fuzz.rmc", "", "C:\\m");
  if (r != macro::kRunEnded && r != macro::kRunStopped && r != macro::kRunPaused && r != macro::kRunWasText)
    __builtin_trap();
  if (st->m_bMacroRunActive != 0) __builtin_trap();
  if (host.statementCount > StatementBudget() + 2) __builtin_trap();
  int breaks = 0;
  for (std::size_t k = 0; k < n; ++k)
    breaks += data[1 + k] == '\r' || (data[1 + k] == '\n' && !(k > 0 && data[k] == '\r'));
  if (r != macro::kRunPaused && st->m_nCmdLineNo > breaks) __builtin_trap();
  return 0;
}
