// The text walks of the control statements. The interpreter keeps no table
// of matching statements: every "if", loop and "outloop" finds where to go
// on by scanning the macro text itself, forward or backward from the read
// position, and recognises structure by indentation.
//
// Every walk is bounded by the text: it never reads before offset 0, nor at
// or past `length`, and a NUL byte ends the text. Each returns where the run
// goes on and the line breaks it passed, counted as the statement scanner
// counts them (CR LF once, a lone CR or LF once), so that the line number of
// the run keeps equal to the line breaks before the read position.
#pragma once

#include <cstdint>

namespace macro {

// What a line is to the walks.
enum class FlowLineKind {
  kStatement,  // label column, TAB, indentation, command
  kData,       // first byte '2' (data lines of a subroutine)
  kComment,    // first byte '/'
  kEmpty,      // first byte CR, LF or the end of the text
  kNoMatch,    // the label column does not end at a TAB, or the command begins with '/' or '2'
};

struct FlowLine {
  FlowLineKind kind = FlowLineKind::kEmpty;
  int indent = 0;              // blanks after the label column's TAB
  std::uint32_t command = 0;   // offset of the command's first byte (kStatement)
};

// The text the walks read: `length` bytes, or fewer when a NUL comes first.
struct FlowText {
  FlowText(const char* text, std::uint32_t length);
  // A text whose `end` the caller has found already (no NUL before it).
  struct KnownEnd {};
  FlowText(const char* text, std::uint32_t end, KnownEnd)
      : t(reinterpret_cast<const unsigned char*>(text)), len(text ? end : 0) {}
  unsigned Byte(std::uint32_t p) const { return p < len ? t[p] : 0u; }
  const unsigned char* t;
  std::uint32_t len;  // up to the first NUL
};

// Where a walk leaves the run.
struct FlowMove {
  bool moved = false;       // false: the run goes on with the next statement
  std::uint32_t pos = 0;    // the new read position (when moved)
  int lines = 0;            // line breaks passed: + forward, - backward
};

// The kind of the line that begins at `start`.
FlowLine MacroFlowLineAt(const FlowText& text, std::uint32_t start);

// Line breaks in [from, to) counted as the statement scanner counts them.
int MacroFlowCountBreaks(const FlowText& text, std::uint32_t from, std::uint32_t to);

// Forward block skip from `pos` (the end of the statement's line) to the
// first statement line indented no deeper than `indent`; the run goes on at
// its start, or with `loopRule` after it when its command begins with
// "loop". A text that ends first leaves the run at the end of the text.
FlowMove MacroFlowSkipBlock(const FlowText& text, std::uint32_t pos, int indent, bool loopRule);

// Jump back of a loop closer whose statement ended at `pos`: the head is
// the nearest earlier statement line indented no deeper than `indent` whose
// command begins with "do" or "fo". `toHead`: the run goes on at the head's
// line ("loop"); otherwise at the line after it ("while", "until"). No head:
// not moved.
FlowMove MacroFlowJumpBack(const FlowText& text, std::uint32_t pos, int indent, bool toHead);

// One-line form: the nearest '>' before `pos` (line ends skipped and
// crossed); when a TAB stands right before it, the run goes on after it.
FlowMove MacroFlowOneLineTarget(const FlowText& text, std::uint32_t pos);

// "outloop": counts loops byte by byte from `pos` (" do", "\tDo", "for:",
// "for(" open one; "whil", "unti", "loop" close one; "//" skips its line)
// and goes on at the line after the closer that brings `loops` to 0. The
// text ending first: not moved.
FlowMove MacroFlowOutLoop(const FlowText& text, std::uint32_t pos, int loops);

}  // namespace macro
