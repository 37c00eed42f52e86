#include "core/textcodec/sjis_scan.h"

#include <atomic>

#include "core/textcodec/sjis_map.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define TABRYE_SJIS_SSE2 1
#endif

namespace textcodec {

namespace {

std::atomic<bool> g_fast{true};

#if TABRYE_SJIS_SSE2
// Bytes of x within [lo, hi] (unsigned), as a 16-bit mask.
inline unsigned InRange(__m128i x, std::uint8_t lo, std::uint8_t hi) {
  const __m128i d = _mm_sub_epi8(x, _mm_set1_epi8(static_cast<char>(lo)));
  const __m128i span = _mm_set1_epi8(static_cast<char>(hi - lo));
  return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(d, span), d)));
}

struct BlockMasks {
  std::uint64_t high;   // bytes 0x80 and above
  std::uint64_t leads;  // 0x81-0x9F, 0xE0-0xFC
  std::uint64_t trails; // 0x40-0xFC but 0x7F
};

inline BlockMasks Classify(const std::uint8_t* p) {
  BlockMasks m = {0, 0, 0};
  for (int k = 0; k < 4; ++k) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
    const unsigned high = static_cast<unsigned>(_mm_movemask_epi8(x));
    unsigned lead = 0, trail = 0;
    if (high) {
      lead = InRange(x, 0x81, 0x9F) | InRange(x, 0xE0, 0xFC);
    }
    trail = InRange(x, 0x40, 0xFC) &
            ~static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, _mm_set1_epi8(0x7F))));
    m.high |= static_cast<std::uint64_t>(high) << (16 * k);
    m.leads |= static_cast<std::uint64_t>(lead) << (16 * k);
    m.trails |= static_cast<std::uint64_t>(trail & 0xFFFFu) << (16 * k);
  }
  return m;
}
#endif

}  // namespace

void SetFastTextScans(bool on) { g_fast.store(on, std::memory_order_relaxed); }
bool FastTextScansOn() { return g_fast.load(std::memory_order_relaxed); }

std::size_t FindBrokenSjisLeadBytewise(const std::uint8_t* p, std::size_t n) {
  std::size_t i = 0;
  while (i < n) {
    if (!IsSjisLead(p[i])) {
      ++i;
      continue;
    }
    if (i + 1 < n && IsSjisTrail(p[i + 1])) {
      i += 2;
      continue;
    }
    return i;
  }
  return n;
}

std::size_t FindBrokenSjisLead(const std::uint8_t* p, std::size_t n) {
  std::size_t i = 0;
#if TABRYE_SJIS_SSE2
  if (FastTextScansOn()) {
    std::uint64_t carry = 0;
    while (n - i >= 64) {
      const BlockMasks m = Classify(p + i);
      if ((m.high | carry) == 0) {
        i += 64;
        continue;
      }
      const std::uint64_t before = carry;
      const std::uint64_t second = SjisSecondBytes(m.leads, &carry);
      if ((second & ~m.trails) != 0) {
        // A lead without its trail byte in this block: the byte loop finds
        // it, from the character start the block begins at.
        const std::size_t from = before ? i - 1 : i;
        return from + FindBrokenSjisLeadBytewise(p + from, n - from);
      }
      i += 64;
    }
    // The rest in the byte loop, from the last character start.
    if (carry) --i;
  }
#endif
  return i + FindBrokenSjisLeadBytewise(p + i, n - i);
}

}  // namespace textcodec
