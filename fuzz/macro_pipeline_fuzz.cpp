// Macro text through the scanner, preparation, command words and
// classification, as the statement loop takes it, over any bytes: every
// statement is taken and classified, none is run. The first byte picks the
// debug mode, the call depth and the frame count; the rest is the text, in
// a buffer of exactly its length. Checked: the pipeline ends, the position
// only moves forward and stays within the text, every class is one the
// dispatch table has, and the text is left as it was.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

#include "macro/macro_classify.h"
#include "macro/macro_dispatch.h"
#include "macro/macro_prepare.h"
#include "macro/macro_scan.h"
#include "macro/macro_state.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static macro::MacroState* st = new macro::MacroState;
  if (size < 1 || size > 100000) return 0;
  const int debug = static_cast<int>(data[0] % 3) - 1;
  const int depth = (data[0] >> 2) & 1, frames = (data[0] >> 3) & 3;
  const std::uint32_t length = static_cast<std::uint32_t>(size - 1);
  std::unique_ptr<char[]> text(new char[length ? length : 1]);
  std::memcpy(text.get(), data + 1, length);
  const std::string_view view(text.get(), length);

  st->m_nMacroPos = 0;
  st->m_nCmdLineNo = 0;
  std::uint32_t statements = 0;
  for (;;) {
    const std::uint32_t before = st->m_nMacroPos;
    if (macro::ScanMacroStatement(*st, text.get(), length, debug) != macro::ScanResult::kStatement) break;
    Check(++statements <= length + 1);
    const std::uint32_t scanned = st->m_nMacroPos;
    Check(scanned <= length);
    const macro::PreparedStatement p = macro::PrepareStatement(*st, view);
    // A split at "||" sets the position back into the statement, never to
    // or before where it began.
    Check(st->m_nMacroPos > before && st->m_nMacroPos <= scanned);
    int cls = 8;
    if (!p.directCondition)
      cls = macro::MacroStatementClass(
          macro::MacroClassifyInputFor(p.word, p.letter, p.letter2, depth, frames, &st->m_strStmtOperand));
    Check(macro::MacroDispatchRow(cls) != nullptr);
  }
  Check(st->m_nMacroPos <= length);
  Check(std::memcmp(text.get(), data + 1, length) == 0);
  return 0;
}
