#include "convert/ooxml_tag.h"

#include <cstdint>
#include <cstring>
#include <limits>

#include "convert/ooxml_numfmt.h"

namespace convert {
namespace {

// The text's byte at i; outside the readable bytes a NUL.
struct Reader {
  const char* text;
  std::size_t readable;
  unsigned char operator()(std::int64_t i) const {
    if (i < 0 || static_cast<std::uint64_t>(i) >= readable) return 0;
    return static_cast<unsigned char>(text[i]);
  }
};

int Saturate(std::int64_t v) {
  if (v > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  if (v < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  return static_cast<int>(v);
}

bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsUpper(unsigned char c) { return c >= 'A' && c <= 'Z'; }

// Skips the rest of the tag the position stands in: brackets nest, a
// backslash before a bracket escapes it. Stops at level 0, after the skip
// limit, or on the text's terminating NUL (the position never passes the
// text's end).
void SkipTag(const Reader& at, int* pos) {
  int level = 1;
  for (int count = 0; count < kTagSkipLimit; ++count) {
    unsigned char c = at(*pos);
    if (c == 0) return;
    ++*pos;
    if (c == '\\' && (at(*pos) == '<' || at(*pos) == '>')) {
      ++*pos;
    } else if (c == '<') {
      ++level;
    } else if (c == '>') {
      --level;
    }
    if (level <= 0) return;
  }
}

}  // namespace

int FindInTag(const char* pattern, const char* text, std::size_t readable, int* pos, int mode) {
  const Reader at{text, readable};
  bool unbounded = false;
  if (mode >= kTagUnbounded) {
    mode -= kTagUnbounded;
    unbounded = true;
  }
  if (mode == kTagSkip || (mode >= kTagAfter && mode < kTagUnbounded)) {
    if (mode >= kTagAfter && *pos > 0) --*pos;
    SkipTag(at, pos);
    if (mode == kTagSkip) return 0;
    mode %= 10;
  }
  const int patLen = pattern ? static_cast<int>(std::strlen(pattern)) : 0;
  if (patLen < 2) return 0;
  const unsigned char first = static_cast<unsigned char>(pattern[0]);

  std::int64_t p = *pos;
  int level = 1;
  std::int64_t q = -1;
  for (int count = 1;; ++count) {
    unsigned char c = at(p);
    ++p;
    if (c == '\\' && (at(p) == '<' || at(p) == '>')) {
      c = at(p);
      ++p;
    } else if (c == '<') {
      ++level;
    } else if (c == '>') {
      --level;
    }
    if (c == first) {
      int k = 1;
      while (k < patLen && at(p + k - 1) == static_cast<unsigned char>(pattern[k])) ++k;
      if (k == patLen) {
        q = p + patLen - 1;
        break;
      }
    }
    if (count >= kTagWindow) return 0;
    if (level <= 0 && !unbounded) return 0;
  }

  switch (mode) {
    case kTagMoveTo:
      *pos = Saturate(q);
      return 1;
    case kTagFound:
      return 1;
    case kTagInteger: {
      if (at(q) == '"') ++q;
      bool negative = false;
      if (at(q) == '-') {
        negative = true;
        ++q;
      }
      std::int64_t v = 0;
      for (int n = 0; n < 10 && IsDigit(at(q)); ++n, ++q) v = v * 10 + (at(q) - '0');
      if (at(q) == 'i' && at(q + 1) == 'n') v *= 72;
      return Saturate(negative ? -v : v);
    }
    case kTagColumn: {
      int v = 0;
      for (int n = 0; n < 4 && IsUpper(at(q)); ++n, ++q) v = v * 26 + (at(q) - 64);
      return v;
    }
    case kTagFormatClass:
      if (static_cast<std::uint64_t>(q) >= readable) return 0;
      return NumberFormatClass(text + q, readable - static_cast<std::size_t>(q));
    default:
      return 0;
  }
}

int ReadCellToken(const char* text, std::size_t readable, int* pos, int mode) {
  const Reader at{text, readable};
  if (at(*pos) == '"') ++*pos;
  if (mode != 0 && mode != 1) return 0;
  const int most = mode == 0 ? 10 : 4;
  std::int64_t v = 0;
  for (int n = 0; n < most; ++n) {
    unsigned char c = at(*pos);
    // The terminating NUL ends the token but is not stepped over, so the
    // position stays inside the text.
    if (c == 0) break;
    ++*pos;
    if (mode == 0 ? !IsDigit(c) : !IsUpper(c)) break;
    v = mode == 0 ? v * 10 + (c - '0') : v * 26 + (c - 64);
  }
  return Saturate(v);
}

}  // namespace convert
