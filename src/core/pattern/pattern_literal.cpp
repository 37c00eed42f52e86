#include "core/pattern/pattern_literal.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace pat {
namespace detail {

namespace {

// How common a byte is in the texts searched (higher = more common): the
// Shift-JIS leads of kana and symbols, frequent lower-case letters and the
// separators of work texts first. A rough order is all the probes need.
int Commonness(unsigned char c) {
  if (c == 0x82 || c == 0x83 || c == 0x81 || c == ' ') return 8;
  if (std::strchr("etaoinsrhl", c) != nullptr && c != 0) return 7;
  if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == 0x06 || c == ',' || c == '\t' || c == '"')
    return 6;
  if (c >= 0x80) return 5;  // kanji leads, trails of double-byte characters
  if (c == '\r' || c == '\n') return 4;
  if (c >= 0x20 && c < 0x7F) return 3;  // upper-case letters, punctuation
  return 2;
}

}  // namespace

void LiteralFinder::Init(std::string_view bytes, const std::vector<unsigned char>& fold) {
  bytes_.assign(bytes.data(), bytes.size());
  case_.assign(bytes_.size(), 0);
  anyFold_ = false;
  for (size_t i = 0; i < bytes_.size() && i < fold.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(bytes_[i]);
    if (!fold[i] || !((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) continue;
    bytes_[i] = static_cast<char>(c | 0x20);
    case_[i] = 0x20;
    anyFold_ = true;
  }
  // The rarest byte (the first of equals) and the rarest other one (the last
  // of equals, so the two lie apart).
  const int n = size();
  auto cost = [&](int i) { return Commonness(static_cast<unsigned char>(bytes_[i])) * 2 + (case_[i] ? 1 : 0); };
  probe1_ = probe2_ = 0;
  for (int i = 1; i < n; ++i)
    if (cost(i) < cost(probe1_)) probe1_ = i;
  probe2_ = probe1_;
  for (int i = 0; i < n; ++i)
    if (i != probe1_ && (probe2_ == probe1_ || cost(i) <= cost(probe2_))) probe2_ = i;
}

bool LiteralFinder::EqualAt(const unsigned char* s) const {
  if (!anyFold_) {
    const unsigned char* b = reinterpret_cast<const unsigned char*>(bytes_.data());
    const size_t n = bytes_.size();
    if (n > 16) return std::memcmp(s, b, n) == 0;
    for (size_t i = 0; i < n; ++i)  // short: no call
      if (s[i] != b[i]) return false;
    return true;
  }
  const unsigned char* b = reinterpret_cast<const unsigned char*>(bytes_.data());
  for (size_t i = 0; i < bytes_.size(); ++i)
    if ((s[i] | case_[i]) != b[i]) return false;
  return true;
}

int LiteralFinder::NextPortable(const char* text, int from, int end) const {
  const int n = size();
  if (n == 0 || from < 0 || end - from < n) return -1;
  const unsigned char* s = reinterpret_cast<const unsigned char*>(text);
  const int last = end - n;
  const unsigned char b1 = static_cast<unsigned char>(bytes_[probe1_]);
  const unsigned char c1 = case_[probe1_];
  for (int p = from; p <= last; ++p) {
    if (c1 == 0) {
      const void* f = std::memchr(s + p + probe1_, b1, static_cast<size_t>(last - p + 1));
      if (f == nullptr) return -1;
      p = static_cast<int>(static_cast<const unsigned char*>(f) - s) - probe1_;
    } else if ((s[p + probe1_] | c1) != b1) {
      continue;
    }
    if (EqualAt(s + p)) return p;
  }
  return -1;
}

int LiteralFinder::Next(const char* text, int from, int end) const {
#if defined(__SSE2__)
  const int n = size();
  if (n == 0 || from < 0 || end - from < n) return -1;
  const unsigned char* s = reinterpret_cast<const unsigned char*>(text);
  const int last = end - n;
  const __m128i v1 = _mm_set1_epi8(bytes_[probe1_]), f1 = _mm_set1_epi8(static_cast<char>(case_[probe1_]));
  const __m128i v2 = _mm_set1_epi8(bytes_[probe2_]), f2 = _mm_set1_epi8(static_cast<char>(case_[probe2_]));
  int p = from;
  // Two blocks a step while there is room: one test of both blocks' bits.
  for (; p + 31 <= last; p += 32) {
    const __m128i a0 = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + p + probe1_)), f1);
    const __m128i b0 = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + p + probe2_)), f2);
    const __m128i a1 = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + p + 16 + probe1_)), f1);
    const __m128i b1 = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + p + 16 + probe2_)), f2);
    const __m128i m0 = _mm_and_si128(_mm_cmpeq_epi8(a0, v1), _mm_cmpeq_epi8(b0, v2));
    const __m128i m1 = _mm_and_si128(_mm_cmpeq_epi8(a1, v1), _mm_cmpeq_epi8(b1, v2));
    unsigned bits = static_cast<unsigned>(_mm_movemask_epi8(m0)) |
                    (static_cast<unsigned>(_mm_movemask_epi8(m1)) << 16);
    while (bits != 0) {
      const int k = __builtin_ctz(bits);
      if (EqualAt(s + p + k)) return p + k;
      bits &= bits - 1;
    }
  }
  // Both 16-byte loads stay inside the text while p + 15 <= last.
  for (; p + 15 <= last; p += 16) {
    const __m128i a = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + p + probe1_)), f1);
    const __m128i b = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + p + probe2_)), f2);
    unsigned bits = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, v1), _mm_cmpeq_epi8(b, v2))));
    while (bits != 0) {
      const int k = __builtin_ctz(bits);
      if (EqualAt(s + p + k)) return p + k;
      bits &= bits - 1;
    }
  }
  return p <= last ? NextPortable(text, p, end) : -1;
#else
  return NextPortable(text, from, end);
#endif
}

int LiteralFinder::PrevPortable(const char* text, int begin, int end) const {
  const int n = size();
  if (n == 0 || begin < 0 || end - begin < n) return -1;
  const unsigned char* s = reinterpret_cast<const unsigned char*>(text);
  const unsigned char b1 = static_cast<unsigned char>(bytes_[probe1_]);
  const unsigned char c1 = case_[probe1_];
  for (int p = end - n; p >= begin; --p)
    if ((s[p + probe1_] | c1) == b1 && EqualAt(s + p)) return p;
  return -1;
}

int LiteralFinder::Prev(const char* text, int begin, int end) const {
#if defined(__SSE2__)
  const int n = size();
  if (n == 0 || begin < 0 || end - begin < n) return -1;
  const unsigned char* s = reinterpret_cast<const unsigned char*>(text);
  const __m128i v1 = _mm_set1_epi8(bytes_[probe1_]), f1 = _mm_set1_epi8(static_cast<char>(case_[probe1_]));
  const __m128i v2 = _mm_set1_epi8(bytes_[probe2_]), f2 = _mm_set1_epi8(static_cast<char>(case_[probe2_]));
  // Blocks of 16 start positions [p, p + 16), from the last one down.
  int p = end - n - 15;
  for (; p >= begin; p -= 16) {
    const __m128i a = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + p + probe1_)), f1);
    const __m128i b = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + p + probe2_)), f2);
    unsigned bits = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, v1), _mm_cmpeq_epi8(b, v2))));
    while (bits != 0) {
      const int k = 31 - __builtin_clz(bits);
      if (EqualAt(s + p + k)) return p + k;
      bits &= ~(1u << k);
    }
  }
  // The start positions left below the blocks: [begin, p + 16).
  return p + 16 > begin ? PrevPortable(text, begin, p + 15 + n) : -1;
#else
  return PrevPortable(text, begin, end);
#endif
}

}  // namespace detail
}  // namespace pat
