#include "macro/macro_flowscan.h"

#include <climits>
#include <cstdint>
#include <cstring>

namespace macro {
namespace {

constexpr unsigned kTab = 0x09, kLf = 0x0A, kCr = 0x0D;

bool IsBreak(unsigned c) { return c == kCr || c == kLf; }

bool StartsWith(const FlowText& text, std::uint32_t p, const char* s) {
  for (; *s; ++s, ++p)
    if (text.Byte(p) != static_cast<unsigned char>(*s)) return false;
  return true;
}

// The start of the line after the LF at or after p; text.len when none.
std::uint32_t NextLineStart(const FlowText& text, std::uint32_t p) {
  while (p < text.len && text.t[p] != kLf) ++p;
  return p < text.len ? p + 1 : text.len;
}

FlowMove MoveTo(const FlowText& text, std::uint32_t from, std::uint32_t to) {
  FlowMove m;
  m.moved = true;
  m.pos = to;
  m.lines = to >= from ? MacroFlowCountBreaks(text, from, to) : -MacroFlowCountBreaks(text, to, from);
  return m;
}

// The start of the line holding p (a line ends at an LF or a CR).
std::uint32_t LineStartOf(const FlowText& text, std::uint32_t p) {
  if (p > text.len) p = text.len;
  // At the LF of a CR LF: the line ends at its CR.
  if (p > 0 && p < text.len && text.t[p] == kLf && text.t[p - 1] == kCr) --p;
  while (p > 0 && !IsBreak(text.t[p - 1])) --p;
  return p;
}

}  // namespace

FlowText::FlowText(const char* text, std::uint32_t length)
    : t(reinterpret_cast<const unsigned char*>(text)), len(0) {
  if (text == nullptr) return;
  const void* nul = std::memchr(text, 0, length);
  len = nul ? static_cast<std::uint32_t>(static_cast<const char*>(nul) - text) : length;
}

FlowLine MacroFlowLineAt(const FlowText& text, std::uint32_t start) {
  FlowLine line;
  const unsigned first = text.Byte(start);
  if (first == 0 || IsBreak(first)) return line;
  if (first == '2') {
    line.kind = FlowLineKind::kData;
    return line;
  }
  if (first == '/') {
    line.kind = FlowLineKind::kComment;
    return line;
  }
  line.kind = FlowLineKind::kNoMatch;
  std::uint32_t p = start;
  while (text.Byte(p) >= 0x20) ++p;  // the label column
  if (text.Byte(p) != kTab) return line;
  ++p;
  int blanks = 0;
  while (text.Byte(p) == ' ') {
    if (blanks < INT_MAX) ++blanks;
    ++p;
  }
  const unsigned c = text.Byte(p);
  if (c == '/' || c == '2') return line;
  line.kind = FlowLineKind::kStatement;
  line.indent = blanks;
  line.command = p;
  return line;
}

int MacroFlowCountBreaks(const FlowText& text, std::uint32_t from, std::uint32_t to) {
  if (to > text.len) to = text.len;
  int count = 0;
  for (std::uint32_t p = from; p < to; ++p) {
    const unsigned c = text.t[p];
    const bool counts = c == kCr || (c == kLf && !(p > 0 && text.t[p - 1] == kCr));
    if (counts && count < INT_MAX) ++count;
  }
  return count;
}

FlowMove MacroFlowSkipBlock(const FlowText& text, std::uint32_t pos, int indent, bool loopRule) {
  std::uint32_t p = pos < text.len ? pos : text.len;
  while (p < text.len) {
    p = NextLineStart(text, p);
    if (p >= text.len) break;
    const FlowLine line = MacroFlowLineAt(text, p);
    if (line.kind != FlowLineKind::kStatement || line.indent > indent) continue;
    if (loopRule && StartsWith(text, line.command, "loop")) return MoveTo(text, pos, NextLineStart(text, line.command));
    return MoveTo(text, pos, p);
  }
  // The text ended inside the block: nothing of it runs.
  return MoveTo(text, pos < text.len ? pos : text.len, text.len);
}

FlowMove MacroFlowJumpBack(const FlowText& text, std::uint32_t pos, int indent, bool toHead) {
  const std::uint32_t from = pos < text.len ? pos : text.len;
  std::uint32_t cur = LineStartOf(text, from);  // the closer's own line
  while (cur > 0) {
    const std::uint32_t start = LineStartOf(text, cur - 1);
    const FlowLine line = MacroFlowLineAt(text, start);
    if (line.kind == FlowLineKind::kStatement && line.indent <= indent &&
        (StartsWith(text, line.command, "do") || StartsWith(text, line.command, "fo")))
      return MoveTo(text, from, toHead ? start : cur);
    cur = start;
  }
  return FlowMove{};
}

FlowMove MacroFlowOneLineTarget(const FlowText& text, std::uint32_t pos) {
  const std::uint32_t from = pos < text.len ? pos : text.len;
  for (std::uint32_t q = from; q > 0;) {
    --q;
    if (text.t[q] != '>') continue;
    if (q > 0 && text.t[q - 1] == kTab) return MoveTo(text, from, q + 1);
    return FlowMove{};
  }
  return FlowMove{};
}

FlowMove MacroFlowOutLoop(const FlowText& text, std::uint32_t pos, int loops) {
  const std::uint32_t from = pos < text.len ? pos : text.len;
  std::int64_t count = loops;
  for (std::uint32_t p = from; p < text.len; ++p) {
    const unsigned c = text.t[p];
    if ((c == ' ' || c == kTab) && (StartsWith(text, p + 1, "do") || StartsWith(text, p + 1, "Do"))) {
      ++count;
    } else if (StartsWith(text, p, "for:") || StartsWith(text, p, "for(")) {
      ++count;
    } else if (StartsWith(text, p, "whil") || StartsWith(text, p, "unti") || StartsWith(text, p, "loop")) {
      if (--count <= 0) return MoveTo(text, from, NextLineStart(text, p));
    } else if (c == '/' && text.Byte(p + 1) == '/') {
      while (p + 1 < text.len && text.t[p + 1] != kLf) ++p;  // to the LF, which the loop then passes
    }
  }
  return FlowMove{};
}

}  // namespace macro
