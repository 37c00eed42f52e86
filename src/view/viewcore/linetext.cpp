#include "view/viewcore/linetext.h"

#include <cstring>

#include "core/docsvc/sjis_state.h"
#include "fw/sjis.h"

namespace viewcore {
namespace {

bool IsLineEnd(char c) { return c == '\r' || c == '\n' || c == '\0'; }

// Width of the character at line[i] (1 or 2 bytes) in the control's sense.
int CharBytes(const char* s, std::size_t len, std::size_t i) {
  return (fw::IsSjisLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < len) ? 2 : 1;
}

int Advance(int column, char c, int bytes, int tabWidth) {
  if (c == '\t') return (column / tabWidth + 1) * tabWidth;
  return column + bytes;
}

}  // namespace

int CopyLineSjis(const char* src, std::size_t srcLen, char* buf, int size) {
  if (buf == nullptr || size <= 0) return 0;
  const std::size_t room = static_cast<std::size_t>(size) - 1;
  std::size_t n = 0;
  std::size_t i = 0;
  while (src != nullptr && i < srcLen && !IsLineEnd(src[i])) {
    if (docsvc::IsSjisLeadByte80(static_cast<unsigned char>(src[i]))) {
      if (i + 1 >= srcLen || IsLineEnd(src[i + 1])) break;  // second byte missing
      if (n + 2 > room) break;
      buf[n++] = src[i++];
      buf[n++] = src[i++];
    } else {
      if (n + 1 > room) break;
      buf[n++] = src[i++];
    }
  }
  buf[n] = '\0';
  return static_cast<int>(n);
}

int GetLineTextSjis(const char* text, std::size_t len, int line, char* buf, int size) {
  if (buf != nullptr && size > 0) buf[0] = '\0';
  if (text == nullptr || line < 0) return 0;
  std::size_t i = 0;
  for (int l = 0; l < line; ++l) {
    while (i < len && text[i] != '\r' && text[i] != '\n') ++i;
    if (i >= len) return 0;
    i += (text[i] == '\r' && i + 1 < len && text[i + 1] == '\n') ? 2 : 1;
  }
  if (i >= len && line > 0) return 0;
  return CopyLineSjis(text + i, len - i, buf, size);
}

int TabWidthForDelta(int delta) {
  if (delta == kByteOffsetDelta) return 1;
  return delta > 0 ? delta : 8;
}

int LineColumnOfChar(const char* line, std::size_t len, int charIndex, int tabWidth) {
  if (tabWidth <= 0) tabWidth = 8;
  int column = 0;
  std::size_t i = 0;
  for (int k = 0; k < charIndex; ++k) {
    if (line == nullptr || i >= len || IsLineEnd(line[i])) {
      column += charIndex - k;  // past the end: one unit each
      break;
    }
    const int b = CharBytes(line, len, i);
    column = Advance(column, line[i], b, tabWidth);
    i += static_cast<std::size_t>(b);
  }
  return column;
}

int CalcLineMetrics(const char* line, std::size_t len, int units, int mode) {
  const int tabWidth = mode == 1 ? 1 : 8;
  int column = 0;
  int chars = 0;
  std::size_t i = 0;
  while (line != nullptr && i < len && !IsLineEnd(line[i])) {
    const int b = CharBytes(line, len, i);
    const int next = Advance(column, line[i], b, tabWidth);
    if (next > units) break;
    column = next;
    ++chars;
    i += static_cast<std::size_t>(b);
  }
  return chars;
}

int CharIndexOfByte(const char* text, std::size_t len, std::size_t pos) {
  int index = 0;
  std::size_t i = 0;
  while (text != nullptr && i < len && i < pos) {
    const std::size_t next = i + static_cast<std::size_t>(CharBytes(text, len, i));
    if (next > pos) break;  // pos is the trail byte: it belongs to this character
    i = next;
    ++index;
  }
  return index;
}

std::size_t ByteOfCharIndex(const char* text, std::size_t len, int index) {
  std::size_t i = 0;
  for (int k = 0; text != nullptr && k < index && i < len; ++k) i += static_cast<std::size_t>(CharBytes(text, len, i));
  return i < len ? i : len;
}

int FindTextMatchCase(const char* text, std::size_t len, int from, int to, const CString& pattern) {
  const std::size_t m = static_cast<std::size_t>(pattern.GetLength());
  if (text == nullptr || m == 0 || from < 0) return -1;
  const std::size_t limit = (to < 0 || static_cast<std::size_t>(to) > len) ? len : static_cast<std::size_t>(to);
  const std::size_t start = static_cast<std::size_t>(from);
  if (start >= limit || limit - start < m) return -1;
  // Walk character boundaries from the text's start, so a trail byte never
  // starts a match.
  std::size_t i = 0;
  while (i < start) i += static_cast<std::size_t>(CharBytes(text, len, i));
  for (; i + m <= limit; i += static_cast<std::size_t>(CharBytes(text, len, i))) {
    if (std::memcmp(text + i, pattern.GetString(), m) == 0) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace viewcore
