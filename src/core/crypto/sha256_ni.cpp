// SHA-256 block compression with the processor's SHA extensions (two rounds
// per instruction, the message schedule in four-word steps). Only built for
// x86-64 with GCC or clang; used after a CPUID check, the portable rounds
// otherwise. The results are the portable rounds' exactly.
#include "core/crypto/sha256_ni.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <cpuid.h>
#include <immintrin.h>

namespace crypto {

#define SHA_NI __attribute__((target("sha,sse4.1,ssse3")))

bool Sha256NiAvailable() {
  unsigned a = 0, b = 0, c = 0, d = 0;
  if (__get_cpuid_max(0, nullptr) < 7) return false;
  __cpuid_count(7, 0, a, b, c, d);
  const bool sha = (b >> 29) & 1;
  __cpuid(1, a, b, c, d);
  const bool sse41 = (c >> 19) & 1, ssse3 = (c >> 9) & 1;
  return sha && sse41 && ssse3;
}

SHA_NI void Sha256CompressNi(uint32_t state[8], const uint8_t* blocks, size_t count) {
  // The instructions keep the state as (A, B, E, F) and (C, D, G, H).
  const __m128i byteSwap = _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);
  __m128i abcd = _mm_loadu_si128(reinterpret_cast<const __m128i*>(state));
  __m128i efgh = _mm_loadu_si128(reinterpret_cast<const __m128i*>(state + 4));
  abcd = _mm_shuffle_epi32(abcd, 0xB1);                 // C D A B (high to low: A B C D -> lanes)
  efgh = _mm_shuffle_epi32(efgh, 0x1B);                 // H G F E
  __m128i abef = _mm_alignr_epi8(abcd, efgh, 8);
  __m128i cdgh = _mm_blend_epi16(efgh, abcd, 0xF0);
  for (size_t n = 0; n < count; ++n, blocks += 64) {
    const __m128i saveAbef = abef, saveCdgh = cdgh;
    __m128i w[4];
    for (int k = 0; k < 4; ++k)
      w[k] = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(blocks + 16 * k)), byteSwap);
    for (int g = 0; g < 16; ++g) {
      __m128i& cur = w[g & 3];
      if (g >= 4) {
        // W[t] = W[t-16] + s0(W[t-15]) + W[t-7] + s1(W[t-2]), four at a time.
        const __m128i prev = w[(g + 3) & 3], before = w[(g + 2) & 3];
        cur = _mm_sha256msg2_epu32(
            _mm_add_epi32(_mm_sha256msg1_epu32(cur, w[(g + 1) & 3]), _mm_alignr_epi8(prev, before, 4)), prev);
      }
      __m128i msg = _mm_add_epi32(cur, _mm_loadu_si128(reinterpret_cast<const __m128i*>(kSha256Round + 4 * g)));
      cdgh = _mm_sha256rnds2_epu32(cdgh, abef, msg);
      msg = _mm_shuffle_epi32(msg, 0x0E);
      abef = _mm_sha256rnds2_epu32(abef, cdgh, msg);
    }
    abef = _mm_add_epi32(abef, saveAbef);
    cdgh = _mm_add_epi32(cdgh, saveCdgh);
  }
  const __m128i feba = _mm_shuffle_epi32(abef, 0x1B);
  const __m128i dchg = _mm_shuffle_epi32(cdgh, 0xB1);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(state), _mm_blend_epi16(feba, dchg, 0xF0));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(state + 4), _mm_alignr_epi8(dchg, feba, 8));
}

}  // namespace crypto

#else

namespace crypto {
bool Sha256NiAvailable() { return false; }
void Sha256CompressNi(uint32_t*, const uint8_t*, size_t) {}
}  // namespace crypto

#endif
