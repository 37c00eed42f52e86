// Calls, jumps and returns over any text. The label search is held to a
// model made with plain string searches (the first label line after the
// start, its line counted by the scanner's own counter); the argument list
// to its bounds and its entries; and, for one input in 64, the text is
// run whole as the document's macro through a fake window side that ends a
// run after 40 statements, so calls, jumps, returns and appended "Graph"
// texts meet every kind of statement around them. A run must end, leave no
// run marked active and keep the call depth within its stacks.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "../tests/macro/fake_run_host.h"
#include "core/docdata/doc_fields.h"
#include "csv/csv_table.h"
#include "fw/alloc.h"
#include "macro/macro_call.h"
#include "macro/macro_run.h"
#include "macro/macro_scan.h"
#include "macro/macro_state.h"

namespace {

// The first label line in text[from, end of text): found with string
// searches for a line break followed by the marker or ':' and the name.
bool ModelLabel(const std::string& text, std::uint32_t from, char marker, const std::string& name,
                std::uint32_t* at) {
  std::size_t end = text.find('\0');
  if (end == std::string::npos) end = text.size();
  const std::string s = text.substr(0, end);
  std::size_t best = std::string::npos;
  for (const char brk : {'\r', '\n'}) {
    for (const char mark : {':', marker}) {
      const std::string needle = std::string(1, brk) + mark + name;
      for (std::size_t p = s.find(needle, from == 0 ? 0 : from - 1); p != std::string::npos;
           p = s.find(needle, p + 1)) {
        const std::size_t after = p + needle.size();
        if (p + 1 < from) continue;
        if (after < s.size() && static_cast<unsigned char>(s[after]) >= 0x20) continue;
        if (p + 1 < best) best = p + 1;
        break;
      }
    }
  }
  if (best == std::string::npos) return false;
  *at = static_cast<std::uint32_t>(best);
  return true;
}

void CheckLabel(const std::string& text, std::uint32_t from, char marker, const std::string& name) {
  macro::LabelHit hit;
  const auto n = static_cast<std::uint32_t>(text.size());
  // An exactly sized copy: any read at or past its end is a sanitizer stop.
  std::unique_ptr<char[]> exact(new char[n ? n : 1]);
  if (n) std::memcpy(exact.get(), text.data(), n);
  const bool found = macro::MacroFindLabel(exact.get(), n, from, 3, marker, name, &hit);
  std::uint32_t at = 0;
  const bool model = name.size() <= macro::kMaxLabelCompare && ModelLabel(text, from, marker, name, &at);
  if (found != model) __builtin_trap();
  if (!found) return;
  if (hit.next != at + 1 + name.size() || hit.next > n) __builtin_trap();
  if (hit.line != 3 + macro::MacroCountLineBreaks(text.data(), from, at)) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2 || size > 32768) return 0;
  static macro::MacroState* st = new macro::MacroState;
  static app::DvkDocData* doc = new app::DvkDocData;
  const std::uint8_t options = data[0];
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);

  // The label search from the top and from a place inside, with a name
  // taken from the text itself.
  const std::size_t nameAt = text.size() > 2 ? data[1] % text.size() : 0;
  const std::string name = text.substr(nameAt, options % 8);
  const auto from = static_cast<std::uint32_t>((options * 131u) % (text.size() + 1));
  CheckLabel(text, 0, 'S', name);
  CheckLabel(text, from, 'L', name);

  // The argument list of the text taken as an operand.
  std::vector<CString> args;
  if (macro::MacroBuildCallArguments(*st, CString(text), &args)) {
    if (args.size() > static_cast<std::size_t>(macro::kMacroArgs) || args.empty()) __builtin_trap();
  }

  // The whole run, for one input in 64 (bits 4-6 of the first byte and 5-7
  // of the second clear): it costs a thousand times the searches.
  if ((options & 0x70) != 0 || (data[1] & 0xE0) != 0) return 0;
  macrotest::FakeRunHost host;
  host.keepTexts = false;
  host.statusLimit = 40;
  csv::Table table;
  std::uint32_t fileKind = 9, sourceView = 0, editMode = 0, sortFlags = 0;
  macro::MacroRunContext rc{*st, host, table, *doc, *doc, *doc, *doc, *doc,
                            {&fileKind, &sourceView, &editMode, &sortFlags}};
  st->m_nMacroResumePos = 0;
  st->m_nMacroEvalCellLimit = 2000;
  st->m_nMacroEvalNestLimit = 2000;
  doc->m_nMacroDebugMode = (options >> 3) & 1;
  fw::Free(doc->m_pText);
  doc->m_pText = static_cast<char*>(fw::Alloc(text.size() + 1));
  std::memcpy(doc->m_pText, text.data(), text.size());
  doc->m_nTextLen = static_cast<std::uint32_t>(text.size());
  doc->m_nTextCapacity = static_cast<std::uint32_t>(text.size() + 1);
  const int r = macro::RunMacro(rc, macro::kRunDocument, "C:\\m\\fuzz.rmc", "", "C:\\m");
  if (r != macro::kRunEnded && r != macro::kRunStopped && r != macro::kRunPaused && r != macro::kRunWasText)
    __builtin_trap();
  if (st->m_bMacroRunActive != 0) __builtin_trap();
  if (st->m_nMacroCallDepth < 0 || st->m_nMacroCallDepth > macro::kMaxCallDepth) __builtin_trap();
  if (host.statusCount > 44) __builtin_trap();
  return 0;
}
