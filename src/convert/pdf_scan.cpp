#include "convert/pdf_scan.h"

#include <cstring>

namespace convert {
namespace pdfscan {
namespace {

constexpr int kNestMax = 64;                 // nested dictionaries and arrays followed
constexpr std::int64_t kSaturate = 1000000000;  // numbers stop growing here (of their unit)
constexpr int kRefDigits = 7;

int HexValue(std::uint8_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Past the literal string at pos without its bytes.
std::int32_t SkipLiteral(const std::uint8_t* buf, std::int32_t pos, std::int32_t end) {
  int depth = 0;
  for (std::int32_t i = pos; i < end; ++i) {
    if (buf[i] == '\\') {
      ++i;
    } else if (buf[i] == '(') {
      ++depth;
    } else if (buf[i] == ')') {
      if (--depth <= 0) return i + 1;
    }
  }
  return end;
}

// An unsigned number of at most `digits` digits at pos: its value, or -1.
std::int64_t Digits(const std::uint8_t* buf, std::int32_t* pos, std::int32_t end, int digits) {
  std::int64_t v = 0;
  int n = 0;
  while (*pos < end && buf[*pos] >= '0' && buf[*pos] <= '9') {
    if (++n > digits) return -1;
    v = v * 10 + (buf[*pos] - '0');
    ++*pos;
  }
  return n ? v : -1;
}

}  // namespace

bool IsWhite(std::uint8_t c) { return c == ' ' || c == '\r' || c == '\n' || c == '\t' || c == '\f' || c == 0; }

bool IsDelimiter(std::uint8_t c) {
  return c == '(' || c == ')' || c == '<' || c == '>' || c == '[' || c == ']' || c == '{' || c == '}' ||
         c == '/' || c == '%';
}

bool IsRegular(std::uint8_t c) { return !IsWhite(c) && !IsDelimiter(c); }

std::int32_t SkipWhite(const std::uint8_t* buf, std::int32_t pos, std::int32_t end) {
  while (pos < end) {
    if (IsWhite(buf[pos])) {
      ++pos;
    } else if (buf[pos] == '%') {
      while (pos < end && buf[pos] != '\r' && buf[pos] != '\n') ++pos;
    } else {
      break;
    }
  }
  return pos;
}

std::int32_t SkipName(const std::uint8_t* buf, std::int32_t pos, std::int32_t end) {
  if (pos < end && buf[pos] == '/') ++pos;
  while (pos < end && IsRegular(buf[pos])) ++pos;
  return pos;
}

bool NameIs(const std::uint8_t* buf, std::int32_t keyPos, std::int32_t nameEnd, const char* name) {
  const std::size_t n = std::strlen(name);
  return nameEnd - keyPos - 1 == static_cast<std::int32_t>(n) && std::memcmp(buf + keyPos + 1, name, n) == 0;
}

std::int32_t SkipValue(const std::uint8_t* buf, std::int32_t pos, std::int32_t end) {
  pos = SkipWhite(buf, pos, end);
  if (pos >= end) return end;
  const std::uint8_t c = buf[pos];
  if (c == '/') return SkipName(buf, pos, end);
  if (c == '(') return SkipLiteral(buf, pos, end);
  if (c == '<' && pos + 1 < end && buf[pos + 1] != '<') {
    while (pos < end && buf[pos] != '>') ++pos;
    return pos < end ? pos + 1 : end;
  }
  if (c == '[' || c == '<') {
    // A dictionary or array: to its matching close.
    int depth = 0;
    std::int32_t i = pos;
    while (i < end) {
      const std::uint8_t b = buf[i];
      if (b == '(') {
        i = SkipLiteral(buf, i, end);
        continue;
      }
      if (b == '%') {
        i = SkipWhite(buf, i, end);
        continue;
      }
      if (b == '[' || (b == '<' && i + 1 < end && buf[i + 1] == '<')) {
        if (++depth > kNestMax) return end;
        i += b == '[' ? 1 : 2;
        continue;
      }
      if (b == ']' || (b == '>' && i + 1 < end && buf[i + 1] == '>')) {
        i += b == ']' ? 1 : 2;
        if (--depth <= 0) return i;
        continue;
      }
      if (b == '<') {  // a hex string inside
        while (i < end && buf[i] != '>') ++i;
        if (i < end) ++i;
        continue;
      }
      ++i;
    }
    return end;
  }
  if (c == ']' || c == '>' || c == ')' || c == '{' || c == '}') return pos + 1;
  while (pos < end && IsRegular(buf[pos])) ++pos;
  return pos;
}

bool DictionaryAt(const std::uint8_t* buf, std::int32_t pos, std::int32_t end, std::int32_t* begin,
                  std::int32_t* inner) {
  pos = SkipWhite(buf, pos, end);
  if (pos + 1 >= end || buf[pos] != '<' || buf[pos + 1] != '<') return false;
  const std::int32_t after = SkipValue(buf, pos, end);
  *begin = pos + 2;
  std::int32_t e = after;
  if (e - 2 >= *begin && buf[e - 1] == '>' && buf[e - 2] == '>') e -= 2;
  *inner = e;
  return true;
}

std::int32_t ReadRef(const std::uint8_t* buf, std::int32_t pos, std::int32_t end, std::int32_t* after) {
  std::int32_t p = SkipWhite(buf, pos, end);
  const std::int64_t number = Digits(buf, &p, end, kRefDigits);
  if (number <= 0 || p >= end || !IsWhite(buf[p])) return 0;
  p = SkipWhite(buf, p, end);
  if (Digits(buf, &p, end, kRefDigits) < 0 || p >= end || !IsWhite(buf[p])) return 0;
  p = SkipWhite(buf, p, end);
  if (p >= end || buf[p] != 'R' || (p + 1 < end && IsRegular(buf[p + 1]))) return 0;
  if (after) *after = p + 1;
  return number > 0x7FFFFFFF ? 0 : static_cast<std::int32_t>(number);
}

bool IsRefAt(const std::uint8_t* buf, std::int32_t pos, std::int32_t end) { return ReadRef(buf, pos, end, nullptr) > 0; }

std::int32_t ReadRefList(const std::uint8_t* buf, std::int32_t pos, std::int32_t end, std::int32_t max,
                         std::vector<std::int32_t>* list) {
  std::int32_t p = SkipWhite(buf, pos, end);
  if (p < end && buf[p] == '[') {
    const std::int32_t close = SkipValue(buf, p, end);
    ++p;
    while (p < close) {
      p = SkipWhite(buf, p, close);
      if (p >= close || buf[p] == ']') break;
      std::int32_t after = p;
      const std::int32_t ref = ReadRef(buf, p, close, &after);
      if (ref > 0) {
        if (static_cast<std::int32_t>(list->size()) < max) list->push_back(ref);
        p = after;
      } else {
        p = SkipValue(buf, p, close);
      }
    }
    return close;
  }
  std::int32_t after = p;
  const std::int32_t ref = ReadRef(buf, p, end, &after);
  if (ref > 0) {
    if (static_cast<std::int32_t>(list->size()) < max) list->push_back(ref);
    return after;
  }
  return SkipValue(buf, p, end);
}

int ReadNumbers(const std::uint8_t* buf, std::int32_t pos, std::int32_t end, std::int64_t* out, int max) {
  std::int32_t p = SkipWhite(buf, pos, end);
  if (p < end && buf[p] == '[') ++p;
  int count = 0;
  while (count < max) {
    p = SkipWhite(buf, p, end);
    if (p >= end) break;
    bool negative = false;
    if (buf[p] == '-' || buf[p] == '+') {
      negative = buf[p] == '-';
      ++p;
    }
    std::int64_t whole = 0, frac = 0;
    int fracDigits = 0;
    bool any = false;
    while (p < end && buf[p] >= '0' && buf[p] <= '9') {
      if (whole < kSaturate) whole = whole * 10 + (buf[p] - '0');
      any = true;
      ++p;
    }
    if (p < end && buf[p] == '.') {
      ++p;
      while (p < end && buf[p] >= '0' && buf[p] <= '9') {
        if (fracDigits < 2) frac = frac * 10 + (buf[p] - '0');
        ++fracDigits;
        any = true;
        ++p;
      }
    }
    if (!any) break;
    if (fracDigits == 1) frac *= 10;
    std::int64_t v = whole * 100 + frac;
    if (v > kSaturate * 100) v = kSaturate * 100;
    out[count++] = negative ? -v : v;
  }
  return count;
}

std::int32_t FindKey(const std::uint8_t* buf, std::int32_t begin, std::int32_t end, const char* name) {
  std::int32_t p = SkipWhite(buf, begin, end);
  if (p + 1 < end && buf[p] == '<' && buf[p + 1] == '<') p += 2;
  while (p < end) {
    p = SkipWhite(buf, p, end);
    if (p >= end || buf[p] == '>') break;
    if (buf[p] != '/') {
      p = SkipValue(buf, p, end);
      continue;
    }
    const std::int32_t nameEnd = SkipName(buf, p, end);
    if (NameIs(buf, p, nameEnd, name)) return p;
    p = SkipValue(buf, nameEnd, end);
  }
  return -1;
}

std::int32_t Find(const std::uint8_t* buf, std::int32_t from, std::int32_t to, const char* text) {
  const std::int32_t n = static_cast<std::int32_t>(std::strlen(text));
  for (std::int32_t i = from; i + n <= to; ++i)
    if (buf[i] == static_cast<std::uint8_t>(text[0]) && std::memcmp(buf + i, text, static_cast<std::size_t>(n)) == 0)
      return i;
  return -1;
}

std::int32_t LiteralString(const std::uint8_t* buf, std::int32_t pos, std::int32_t end,
                           std::vector<std::uint8_t>* bytes) {
  int depth = 0;
  std::int32_t i = pos;
  while (i < end) {
    const std::uint8_t c = buf[i];
    if (c == '\\') {
      if (++i >= end) break;
      const std::uint8_t e = buf[i];
      if (e >= '0' && e <= '7') {
        int v = 0, n = 0;
        while (n < 3 && i < end && buf[i] >= '0' && buf[i] <= '7') {
          v = v * 8 + (buf[i] - '0');
          ++i;
          ++n;
        }
        bytes->push_back(static_cast<std::uint8_t>(v & 0xFF));
        continue;
      }
      ++i;
      switch (e) {
        case 'n': bytes->push_back('\n'); break;
        case 'r': bytes->push_back('\r'); break;
        case 't': bytes->push_back('\t'); break;
        case 'b': bytes->push_back('\b'); break;
        case 'f': bytes->push_back('\f'); break;
        case '\r':  // a line continuation
          if (i < end && buf[i] == '\n') ++i;
          break;
        case '\n': break;
        default: bytes->push_back(e); break;
      }
      continue;
    }
    if (c == '(') {
      if (depth++ > 0) bytes->push_back(c);
    } else if (c == ')') {
      if (--depth <= 0) return i + 1;
      bytes->push_back(c);
    } else {
      bytes->push_back(c);
    }
    ++i;
  }
  return end;
}

std::int32_t HexString(const std::uint8_t* buf, std::int32_t pos, std::int32_t end,
                       std::vector<std::uint8_t>* bytes) {
  std::int32_t i = pos + 1;
  int high = -1;
  while (i < end && buf[i] != '>') {
    const int v = HexValue(buf[i++]);
    if (v < 0) continue;
    if (high < 0) {
      high = v;
    } else {
      bytes->push_back(static_cast<std::uint8_t>(high * 16 + v));
      high = -1;
    }
  }
  if (high >= 0) bytes->push_back(static_cast<std::uint8_t>(high * 16));
  return i < end ? i + 1 : end;
}

}  // namespace pdfscan
}  // namespace convert
