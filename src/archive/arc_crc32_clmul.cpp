// CRC-32 (reflected, 0xEDB88320) by carry-less multiplication: 64 bytes are
// folded at a time into four 128-bit lanes, the lanes into one, and the last
// 128 bits reduced to 32 by a Barrett step. The folding constants are
// x^k mod P(x) (bit-reflected) for the distances folded over:
//   k1 = x^(4*128+32), k2 = x^(4*128-32)   four lanes, 512 bits ahead
//   k3 = x^(128+32),   k4 = x^(128-32)     one lane, 128 bits ahead
//   k5 = x^64                              64 bits down to 32
//   mu = x^64 / P(x), P(x) itself          Barrett reduction
// Only built for x86-64 with GCC or clang; the instruction is used after a
// CPUID check, the tables otherwise.
#include "archive/arc_crc.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <cpuid.h>
#include <immintrin.h>

#include <cstring>

namespace arc {
namespace {

#define ARC_CLMUL __attribute__((target("pclmul,sse2")))

ARC_CLMUL inline __m128i Fold(__m128i x, __m128i k) {
  return _mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x00), _mm_clmulepi64_si128(x, k, 0x11));
}

ARC_CLMUL inline __m128i Load(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

// n is a multiple of 16, at least 64.
ARC_CLMUL uint32_t Blocks(uint32_t crc, const uint8_t* p, size_t n) {
  const __m128i k1k2 = _mm_set_epi64x(0x1c6e41596, 0x154442bd4);
  const __m128i k3k4 = _mm_set_epi64x(0x0ccaa009e, 0x1751997d0);
  const __m128i k5 = _mm_set_epi64x(0, 0x163cd6124);
  const __m128i poly = _mm_set_epi64x(0x1f7011641, 0x1db710641);  // mu, P
  const __m128i mask32 = _mm_setr_epi32(-1, 0, 0, 0);

  __m128i x0 = _mm_xor_si128(Load(p), _mm_cvtsi32_si128(static_cast<int>(crc)));
  __m128i x1 = Load(p + 16), x2 = Load(p + 32), x3 = Load(p + 48);
  p += 64;
  n -= 64;
  while (n >= 64) {
    x0 = _mm_xor_si128(Fold(x0, k1k2), Load(p));
    x1 = _mm_xor_si128(Fold(x1, k1k2), Load(p + 16));
    x2 = _mm_xor_si128(Fold(x2, k1k2), Load(p + 32));
    x3 = _mm_xor_si128(Fold(x3, k1k2), Load(p + 48));
    p += 64;
    n -= 64;
  }
  __m128i x = _mm_xor_si128(Fold(x0, k3k4), x1);
  x = _mm_xor_si128(Fold(x, k3k4), x2);
  x = _mm_xor_si128(Fold(x, k3k4), x3);
  while (n >= 16) {
    x = _mm_xor_si128(Fold(x, k3k4), Load(p));
    p += 16;
    n -= 16;
  }
  // 128 -> 64 bits (appending 32 zero bits), 64 -> 32, then Barrett.
  x = _mm_xor_si128(_mm_clmulepi64_si128(x, k3k4, 0x10), _mm_srli_si128(x, 8));
  __m128i t = _mm_srli_si128(x, 4);
  x = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(x, mask32), k5, 0x00), t);
  t = x;
  x = _mm_clmulepi64_si128(_mm_and_si128(x, mask32), poly, 0x10);
  x = _mm_clmulepi64_si128(_mm_and_si128(x, mask32), poly, 0x00);
  x = _mm_xor_si128(x, t);
  return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(x, 4)));
}

}  // namespace

bool Crc32ClmulAvailable() noexcept {
  static const bool have = [] {
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid(1, &a, &b, &c, &d)) return false;
    return (c & bit_PCLMUL) != 0 && (d & bit_SSE2) != 0;
  }();
  return have;
}

uint32_t Crc32UpdateClmul(uint32_t crc, const uint8_t* p, size_t n) noexcept {
  if (n >= 64) {
    size_t whole = n & ~size_t(15);
    crc = Blocks(crc, p, whole);
    p += whole;
    n -= whole;
  }
  return Crc32UpdateTables(crc, p, n);
}

}  // namespace arc

#else

namespace arc {

bool Crc32ClmulAvailable() noexcept { return false; }
uint32_t Crc32UpdateClmul(uint32_t crc, const uint8_t* p, size_t n) noexcept { return Crc32UpdateTables(crc, p, n); }

}  // namespace arc

#endif
