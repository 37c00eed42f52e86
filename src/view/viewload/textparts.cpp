#include "view/viewload/textparts.h"

#include "view/viewload/csvshow.h"

namespace viewload {
namespace {

bool IsLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Width of the character at `p` (2 for a lead byte with its trail inside).
std::size_t CharWidth(const char* text, std::size_t len, std::size_t p) {
  return IsLead(static_cast<unsigned char>(text[p])) && p + 1 < len ? 2 : 1;
}

TextPart MakePart(std::size_t start, std::size_t length, std::size_t len) {
  TextPart part;
  part.start = start;
  part.length = length;
  part.toEnd = start + length >= len;
  return part;
}

}  // namespace

TextPart NextTextPart(const char* text, std::size_t len, std::size_t start, std::size_t shown, long long limit) {
  if (!text || len == 0) return MakePart(0, 0, 0);
  std::size_t s = start < len && shown <= len - start ? start + shown : len;
  if (s >= len) s = 0;
  bool cut = false;
  std::size_t n = ShownTextLength(text + s, len - s, limit, &cut);
  // A limit smaller than one character still shows that character.
  if (n == 0) n = CharWidth(text, len, s);
  return MakePart(s, n, len);
}

TextPart PreviousTextPart(const char* text, std::size_t len, std::size_t start, long long limit) {
  if (!text || len == 0) return MakePart(0, 0, 0);
  std::size_t end = start == 0 || start > len ? len : start;
  if (limit <= 0 || static_cast<unsigned long long>(end) <= static_cast<unsigned long long>(limit))
    return MakePart(0, end, len);
  const std::size_t lim = static_cast<std::size_t>(limit);
  const std::size_t p = end - lim;
  // The first line start at or after p, before the part's last byte.
  if (text[p - 1] == '\n') return MakePart(p, end - p, len);
  for (std::size_t i = p; i + 1 < end; ++i)
    if (text[i] == '\n') return MakePart(i + 1, end - (i + 1), len);
  // One long line: the first character boundary at or after p, counted
  // from the line's start.
  // A character across `end` cannot be, so the part is never empty: a
  // limit below one character takes the character before `end`.
  std::size_t q = p;
  while (q > 0 && text[q - 1] != '\n') --q;
  std::size_t before = q;
  while (q < p) {
    before = q;
    q += CharWidth(text, len, q);
  }
  if (q >= end) q = before;
  return MakePart(q, end - q, len);
}

}  // namespace viewload
