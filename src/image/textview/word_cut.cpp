#include "image/textview/word_cut.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

#include "fw/sjis.h"

namespace image::textview {

namespace {

// Bytes the backward scan stops at without the spaces-in-words option.
bool IsBreakByte(unsigned char c) { return c == ' ' || c == '"' || c < 0x20; }

// Marks the second bytes of double-byte characters, walking from the line's
// start so that a ']' or '[' (or '@') inside a character is never taken for
// the ASCII one.
std::vector<bool> TrailBytes(const char* line, int n) {
  std::vector<bool> trail(static_cast<std::size_t>(n), false);
  for (int i = 0; i < n;) {
    const int len = fw::SjisCharLength(line, n, i);
    if (len == 2) trail[static_cast<std::size_t>(i) + 1] = true;
    i += len;
  }
  return trail;
}

// The delimiter search of the plain rule: the first closing delimiter or a
// tab after the caret, else the first CR, else the first LF, else the end.
int PlainWordEnd(const unsigned char* s, const std::vector<bool>& trail, int from, int end, char closing) {
  const unsigned char close = static_cast<unsigned char>(closing);
  for (int i = from; i < end; ++i) {
    if (trail[static_cast<std::size_t>(i)]) continue;
    if (s[i] == close) return i;
    if (s[i] == '\t' && i > from) return i;
  }
  for (int i = from; i < end; ++i) {
    if (s[i] == '\r') return i;
  }
  for (int i = from; i < end; ++i) {
    if (s[i] == '\n') return i;
  }
  return end;
}

// With spaces inside words: ends before two spaces in a row, or just after
// the first control byte.
int SpacedWordEnd(const unsigned char* s, int from, int end) {
  for (int i = from; i < end; ++i) {
    if (s[i] < 0x20) return i + 1;
    if (s[i] == ' ' && i + 1 < end && s[i + 1] == ' ') return i;
  }
  return end;
}

}  // namespace

WordCut CutWordAtCaret(const char* line, int length, int caret, bool spacesInWords) {
  WordCut cut;
  const int n = line == nullptr ? 0 : std::clamp(length, 0, kLineBytes);
  if (n == 0) return cut;
  const auto* s = reinterpret_cast<const unsigned char*>(line);
  const std::vector<bool> trail = TrailBytes(line, n);

  // A NUL ends the line for the forward scan, as the text stops there.
  int lineEnd = n;
  const int at = std::clamp(caret, 0, n);
  for (int i = at; i < n; ++i) {
    if (s[i] == 0) {
      lineEnd = i;
      break;
    }
  }

  // The last '[' before the caret (whole characters only).
  int bracket = -1;
  for (int i = 0; i < at; ++i) {
    if (s[i] == '[' && !trail[static_cast<std::size_t>(i)]) bracket = i;
  }

  // Backward scan from the caret byte.
  int pos = std::clamp(caret, 1, n);
  if (pos >= n || s[pos] == 0) --pos;
  int stop = -1;
  for (int i = pos; i >= 0; --i) {
    const unsigned char c = s[i];
    if (spacesInWords) {
      // A space at the line's start has nothing to join to: it delimits.
      if (c == '"' || c < 0x20 || (c == ' ' && (i == 0 || s[i - 1] == ' '))) {
        stop = i;
        break;
      }
    } else if (IsBreakByte(c)) {
      stop = i;
      break;
    }
  }

  int delimiterPos = stop;
  char opening = ' ';
  if (bracket > stop) {
    delimiterPos = bracket;
    opening = '[';
  } else if (stop >= 0) {
    opening = static_cast<char>(s[stop]);
  }
  cut.start = delimiterPos + 1;

  // "@xy:" right before the delimiter is a reference label of the word.
  if (delimiterPos >= 5 && s[delimiterPos - 1] == ':' && s[delimiterPos - 4] == '@' &&
      !trail[static_cast<std::size_t>(delimiterPos - 4)]) {
    cut.start = delimiterPos - 4;
  }

  if (opening == '[') {
    cut.closing = ']';
  } else if (opening == '\t') {
    cut.closing = ' ';
  } else {
    cut.closing = opening;
  }

  if (spacesInWords && cut.closing == ' ') {
    cut.end = SpacedWordEnd(s, at, lineEnd);
  } else {
    cut.end = PlainWordEnd(s, trail, at, lineEnd, cut.closing);
  }
  return cut;
}

PositionSuffix SplitPositionSuffix(const std::string& word) {
  PositionSuffix out;
  if (word.size() <= 10) return out;
  const std::size_t colon = word.rfind(':');
  if (colon == std::string::npos || colon == 0 || word[colon - 1] != ':') return out;
  out.applies = true;
  out.suffix = word.substr(colon + 1);
  out.word = word.substr(0, colon - 1);
  if (out.suffix.size() >= 10 || colon - 1 == 0) return out;

  // Digits before '&' give the line, digits after it the column.
  constexpr std::int64_t kIntMax = std::numeric_limits<std::int32_t>::max();
  constexpr std::int64_t kMaxColumn = (kIntMax - 12) / 256;
  std::int64_t lineNo = 0;
  std::int64_t column = 0;
  bool afterAmp = false;
  for (const char ch : out.suffix) {
    if (ch == '&') {
      afterAmp = true;
    } else if (ch >= '0' && ch <= '9') {
      std::int64_t& v = afterAmp ? column : lineNo;
      v = std::min<std::int64_t>(v * 10 + (ch - '0'), kIntMax);
    }
  }
  out.numbersRead = true;
  out.jumpLine = static_cast<std::int32_t>(-lineNo);
  if (column > 0) {
    out.hasColumn = true;
    out.jumpSel = static_cast<std::int32_t>(std::min(column, kMaxColumn) * 256 + 12);
  }
  return out;
}

int LinkSelectionChars(int wordBytes, int wordChars, bool shortLinkSelect) {
  const int limit = shortLinkSelect ? 16 : 40;
  const int head = shortLinkSelect ? 4 : 28;
  const int chars = std::max(wordChars, 0);
  if (wordBytes < limit) return chars;
  return std::min(head, chars);
}

}  // namespace image::textview
