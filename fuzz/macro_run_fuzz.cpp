// Whole macro runs over any text: the text is run as the document's macro
// (mode 3) through a fake window side that answers every question and ends
// a run after 100,000 statements. Every statement is scanned, prepared,
// classified and dispatched (families not built yet stop with their
// message); a run must end, leave no run marked active and return one of
// the run results.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "../tests/macro/fake_run_host.h"
#include "core/docdata/doc_fields.h"
#include "csv/csv_table.h"
#include "fw/alloc.h"
#include "macro/macro_run.h"
#include "macro/macro_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 65536) return 0;
  static macro::MacroState* st = new macro::MacroState;
  static app::DvkDocData* doc = new app::DvkDocData;
  macrotest::FakeRunHost host;
  host.keepTexts = false;
  host.statusLimit = 100000;
  host.escapes = size > 0 && (data[0] & 0x80) ? 1 : 0;
  csv::Table table;
  std::uint32_t fileKind = size > 1 && (data[1] & 1) ? 33 : 9, sourceView = 0, editMode = 0, sortFlags = 0;
  macro::MacroRunContext rc{*st, host, table, *doc, *doc, *doc, *doc, *doc,
                            {&fileKind, &sourceView, &editMode, &sortFlags}};
  st->m_nMacroResumePos = 0;
  st->m_nMacroEvalCellLimit = 2000;  // the evaluation bounds, sized for a fuzz unit
  st->m_nMacroEvalNestLimit = 2000;
  doc->m_nMacroDebugMode = size > 2 ? data[2] % 3 : 0;
  doc->m_bMacroStepMode = 0;
  // The text is the document's (exactly `size` bytes, no NUL after it).
  fw::Free(doc->m_pText);
  doc->m_pText = static_cast<char*>(fw::Alloc(size ? size : 1));
  if (size) std::memcpy(doc->m_pText, data, size);
  doc->m_nTextLen = static_cast<std::uint32_t>(size);
  doc->m_nTextCapacity = static_cast<std::uint32_t>(size ? size : 1);
  const int r = macro::RunMacro(rc, macro::kRunDocument, "C:\\m\\fuzz.rmc", "", "C:\\m");
  if (r != macro::kRunEnded && r != macro::kRunStopped && r != macro::kRunPaused && r != macro::kRunWasText)
    __builtin_trap();
  if (st->m_bMacroRunActive != 0) __builtin_trap();
  if (host.statusCount > 100002 + 2) __builtin_trap();  // the limit stopped it
  // A mode-1 statement made of the same bytes.
  const size_t half = size / 2;
  st->m_strStmtCommand = CString(reinterpret_cast<const char*>(data), static_cast<int>(half));
  st->m_strStmtOperand = CString(reinterpret_cast<const char*>(data) + half, static_cast<int>(size - half));
  const int r1 = macro::RunMacro(rc, macro::kRunStatement, "", "", "");
  if (r1 != macro::kRunEnded && r1 != macro::kRunStopped && r1 != macro::kRunPaused) __builtin_trap();
  return 0;
}
