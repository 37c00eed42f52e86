// The jump tick's input: any jump text and any RTF bytes. The jump text
// reads as nothing, a search (its text the bytes after "!" or the whole
// text) or a line and column that never go below 0; the caret of a line
// jump stays inside the text. The paragraph a line reaches in the RTF is
// below the paragraph count, never moves back as the line grows, is the
// first for line 1, and the last for a line past every paragraph. Fed in
// two pieces the scan counts what it counts in one.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "view/viewload/jumptarget.h"
#include "view/viewload/rtfspacing.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  // First byte: the length of the jump text; the rest after it is the RTF.
  const std::size_t jumpLen = data[0] < size - 1 ? data[0] : size - 1;
  const char* jump = reinterpret_cast<const char*>(data + 1);
  const char* rtf = jump + jumpLen;
  const std::size_t rtfLen = size - 1 - jumpLen;

  const viewload::JumpTarget t = viewload::ParseJumpText(jump, jumpLen);
  switch (t.kind) {
    case viewload::JumpKind::kNone:
      Check(jumpLen == 0 || (jumpLen == 1 && jump[0] == '!'));
      break;
    case viewload::JumpKind::kSearch:
      Check(!t.text.empty());
      if (jump[0] == '!') Check(t.hit == 2 && t.text == std::string(jump + 1, jumpLen - 1));
      else Check(t.hit == 1 && t.text == std::string(jump, jumpLen));
      break;
    case viewload::JumpKind::kLine:
      Check(jump[0] >= '0' && jump[0] <= '9' && t.line >= 0 && t.column >= 0);
      break;
  }
  const long textLength = static_cast<long>(rtfLen);
  const long caret = viewload::JumpCaret(static_cast<long>(rtfLen / 2), t.column, textLength);
  Check(caret >= 0 && caret <= textLength);

  viewload::RtfSpacingScan whole(viewload::ParagraphEnds::kJump);
  whole.Feed(rtf, rtfLen);
  whole.Finish();
  // A text whose last group never closes inside a skipped destination has
  // no paragraph at all: then every line gives the first position.
  const std::uint32_t paragraphs = whole.Paragraphs() ? whole.Paragraphs() : 1;
  viewload::RtfSpacingScan split(viewload::ParagraphEnds::kJump);
  const std::size_t cut = rtfLen ? data[1] % (rtfLen + 1) : 0;
  split.Feed(rtf, cut);
  split.Feed(rtf + cut, rtfLen - cut);
  split.Finish();
  Check(split.Paragraphs() == whole.Paragraphs() && split.TallParagraphs() == whole.TallParagraphs());
  for (std::size_t i = 1; i < whole.TallParagraphs().size(); ++i)
    Check(whole.TallParagraphs()[i - 1] < whole.TallParagraphs()[i]);

  Check(viewload::RtfJumpParagraph(rtf, rtfLen, 1) == 0);
  std::uint32_t last = 0;
  for (int line : {0, 2, 3, 7, 100}) {
    const std::uint32_t p = viewload::RtfJumpParagraph(rtf, rtfLen, line);
    Check(p < paragraphs && p >= last);
    last = p;
  }
  // Two lines per paragraph at most: a line past twice the count is the last.
  const long long beyond = 2LL * paragraphs + 1;
  if (beyond < 0x7FFFFFFF)
    Check(viewload::RtfJumpParagraph(rtf, rtfLen, static_cast<int>(beyond)) == paragraphs - 1);
  Check(viewload::RtfJumpParagraph(rtf, rtfLen, t.line) < paragraphs);
  return 0;
}
