// The text walks of the control statements over any bytes. The first four
// bytes pick the start position, the indentation and the number of loops;
// the rest is the text, in a buffer of exactly its length (no NUL after it,
// so a read past the end is caught). Every walk must end, land inside the
// text (at most at its end, never past a NUL), report the line breaks
// between the two positions, and go back only where it is meant to.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <memory>

#include "macro/macro_flowscan.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

void CheckMove(const macro::FlowText& t, std::uint32_t from, const macro::FlowMove& m, bool forward) {
  if (!m.moved) return;
  const std::uint32_t start = from < t.len ? from : t.len;
  Check(m.pos <= t.len);
  Check(forward ? m.pos >= start : m.pos <= start);
  const int want = forward ? macro::MacroFlowCountBreaks(t, start, m.pos) : -macro::MacroFlowCountBreaks(t, m.pos, start);
  Check(m.lines == want);
  // The line count agrees with the breaks before each position.
  Check(macro::MacroFlowCountBreaks(t, 0, start) + m.lines == macro::MacroFlowCountBreaks(t, 0, m.pos));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4 || size > 65536 + 4) return 0;
  const std::uint32_t n = static_cast<std::uint32_t>(size - 4);
  std::unique_ptr<char[]> bytes(new char[n ? n : 1]);
  if (n) std::memcpy(bytes.get(), data + 4, n);
  const macro::FlowText t(bytes.get(), n);
  Check(t.len <= n);
  // Positions inside the text, at its end and past it.
  const std::uint32_t span = n + 8;
  const std::uint32_t pos = (static_cast<std::uint32_t>(data[0]) << 8 | data[1]) % span;
  const int indent = data[2] % 12;
  const int loops = 1 + data[3] % 9;

  for (bool rule : {false, true}) {
    const macro::FlowMove m = macro::MacroFlowSkipBlock(t, pos, indent, rule);
    Check(m.moved);
    CheckMove(t, pos, m, true);
    // A skip lands at a line start or at the end of the text.
    Check(m.pos == t.len || (m.pos > 0 && t.t[m.pos - 1] == '\n'));
  }
  for (bool toHead : {false, true}) {
    const macro::FlowMove m = macro::MacroFlowJumpBack(t, pos, indent, toHead);
    CheckMove(t, pos, m, false);
    if (m.moved && toHead) {
      const macro::FlowLine head = macro::MacroFlowLineAt(t, m.pos);
      Check(head.kind == macro::FlowLineKind::kStatement && head.indent <= indent);
    }
  }
  CheckMove(t, pos, macro::MacroFlowOneLineTarget(t, pos), false);
  CheckMove(t, pos, macro::MacroFlowOutLoop(t, pos, loops), true);
  // The line kind of every line start.
  for (std::uint32_t p = 0; p <= t.len; ++p) {
    if (p > 0 && t.t[p - 1] != '\n') continue;
    const macro::FlowLine line = macro::MacroFlowLineAt(t, p);
    if (line.kind == macro::FlowLineKind::kStatement) Check(line.command > p && line.command <= t.len);
  }
  return 0;
}
