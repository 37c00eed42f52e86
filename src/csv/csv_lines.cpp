// Line lookup in the CSV working buffer.
#include <algorithm>

#include "csv/csv_index.h"

namespace csv {
namespace {

// Looks at most this many lines ahead for a title row.
constexpr int kTitleSearchLines = 999;

std::uint8_t ByteAt(const std::uint8_t* t, std::uint32_t n, std::uint64_t i) {
  return i < n ? t[i] : 0;
}

bool AtEnd(const std::uint8_t* t, std::uint32_t n, std::uint32_t i) { return i >= n || t[i] == 0; }

// Start of the row after the one starting at i (rows end at CR LF, CR or LF;
// a NUL ends the text). Returns n when there is none.
std::uint32_t NextRow(const std::uint8_t* t, std::uint32_t n, std::uint32_t i) {
  while (i < n) {
    std::uint8_t c = t[i];
    if (c == 0) return n;
    ++i;
    if (c == '\n') return i;
    if (c == '\r') {
      if (i < n && t[i] == '\n') ++i;
      return i;
    }
  }
  return n;
}

bool IsTitleCandidate(std::uint8_t a, std::uint8_t b) {
  if (a == '~') return false;
  if (a == '!' && (b == '#' || b == '*' || b == '^')) return false;
  if (a == 'X' && b == 'L') return false;
  return true;
}

int BlockTitle(const std::uint8_t* t, std::uint32_t n, std::uint32_t* offset, int startRow) {
  std::uint32_t off = *offset;
  int row = startRow;
  for (int i = 0; i < kTitleSearchLines && !AtEnd(t, n, off); ++i) {
    std::uint8_t a = t[off], b = ByteAt(t, n, std::uint64_t(off) + 1);
    if (a == '!' && b == '^') {
      std::uint32_t next = NextRow(t, n, off);
      if (AtEnd(t, n, next)) break;
      *offset = next;
      return row + 1;
    }
    if (IsTitleCandidate(a, b)) {
      *offset = off;
      return row;
    }
    off = NextRow(t, n, off);
    ++row;
  }
  return startRow;
}

int PlainLine(const std::uint8_t* t, std::uint32_t n, std::uint32_t curLine, std::uint32_t* offset) {
  std::uint32_t off = 0;
  std::uint32_t line = 0;
  while (line + 1 < curLine) {
    while (off < n && t[off] != '\n' && t[off] != 0) ++off;
    if (off >= n || t[off] == 0) {
      *offset = n;
      return static_cast<int>(line);
    }
    ++off;
    ++line;
  }
  *offset = off;
  return static_cast<int>(line);
}

int TitleAtCurLine(const std::uint8_t* t, std::uint32_t n, std::uint32_t curLine,
                   std::uint32_t* offset) {
  std::uint32_t off = 0;
  int row = 0;
  while (static_cast<std::uint32_t>(row) + 1 < curLine && !AtEnd(t, n, off)) {
    off = NextRow(t, n, off);
    ++row;
  }
  std::uint32_t at = off;
  int atRow = row;
  for (int i = 0; i < kTitleSearchLines && !AtEnd(t, n, at); ++i) {
    if (t[at] != '~' && t[at] != '!') {
      *offset = at;
      return atRow;
    }
    at = NextRow(t, n, at);
    ++atRow;
  }
  // No line qualifies: the line at m_nCurLine itself.
  *offset = std::min(off, n);
  return row;
}

}  // namespace

int LineToOffset(const TableFields& v, const std::uint8_t* text, std::uint32_t length,
                 std::uint32_t* offset, int mode, int startRow) {
  if (text == nullptr) length = 0;
  std::uint32_t dummy = 0;
  if (offset == nullptr) offset = &dummy;
  if (mode == kLineBlockTitle) return BlockTitle(text, length, offset, startRow);
  if (mode == kLinePlainCount || v.m_bPlainLines) return PlainLine(text, length, v.m_nCurLine, offset);
  return TitleAtCurLine(text, length, v.m_nCurLine, offset);
}

std::uint32_t CountRowFields(const std::uint8_t* text, std::uint32_t length, std::uint32_t offset) {
  std::uint32_t fields = 1;
  for (std::uint32_t i = offset; text != nullptr && i < length; ++i) {
    std::uint8_t c = text[i];
    if (c == '\r' || c == '\n' || c == 0) break;
    if (c == CSV_FIELD_SEP) ++fields;
  }
  return fields;
}

}  // namespace csv
