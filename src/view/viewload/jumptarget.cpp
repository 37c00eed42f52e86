#include "view/viewload/jumptarget.h"

#include <algorithm>

#include "view/viewload/rtfspacing.h"

namespace viewload {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Decimal digits from text[*at], saturating at the 32-bit limit.
int ReadNumber(const char* text, std::size_t len, std::size_t* at) {
  long long v = 0;
  while (*at < len && IsDigit(text[*at])) {
    v = v * 10 + (text[*at] - '0');
    if (v > 0x7FFFFFFF) v = 0x7FFFFFFF;
    ++*at;
  }
  return static_cast<int>(v);
}

}  // namespace

JumpTarget ParseJumpText(const char* text, std::size_t len) {
  JumpTarget t;
  if (!text || len == 0) return t;
  if (text[0] == '!') {
    if (len < 2) return t;
    t.kind = JumpKind::kSearch;
    t.text.assign(text + 1, len - 1);
    t.hit = 2;
    return t;
  }
  if (IsDigit(text[0])) {
    std::size_t at = 0;
    t.kind = JumpKind::kLine;
    t.line = ReadNumber(text, len, &at);
    if (at < len && text[at] == '&') {
      ++at;
      t.column = ReadNumber(text, len, &at);
    }
    return t;
  }
  t.kind = JumpKind::kSearch;
  t.text.assign(text, len);
  t.hit = 1;
  return t;
}

std::uint32_t RtfJumpParagraph(const char* rtf, std::size_t len, int line) {
  RtfSpacingScan scan(ParagraphEnds::kJump);
  if (rtf && len) scan.Feed(rtf, len);
  scan.Finish();
  const std::uint32_t paragraphs = scan.Paragraphs();
  const std::vector<std::uint32_t>& tall = scan.TallParagraphs();
  // Paragraph p starts at line start(p); a tall one takes two lines.
  long long start = 1;
  std::size_t nextTall = 0;
  for (std::uint32_t p = 0; p < paragraphs; ++p) {
    while (nextTall < tall.size() && tall[nextTall] < p) ++nextTall;
    const bool isTall = nextTall < tall.size() && tall[nextTall] == p;
    const long long next = start + (isTall ? 2 : 1);
    if (line < next) return p;
    start = next;
  }
  return paragraphs ? paragraphs - 1 : 0;
}

long JumpCaret(long lineStart, int column, long textLength) {
  if (lineStart < 0) return -1;
  if (textLength < 0) textLength = 0;
  const long long at = static_cast<long long>(lineStart) + (column > 0 ? column : 0);
  return static_cast<long>(std::min<long long>(at, textLength));
}

}  // namespace viewload
