#include "core/crypto/chacha20.h"

#include <cstring>

namespace crypto {
namespace {

inline uint32_t Rotl(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

inline uint32_t LoadLe32(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

inline void QuarterRound(uint32_t* s, int a, int b, int c, int d) {
  s[a] += s[b]; s[d] ^= s[a]; s[d] = Rotl(s[d], 16);
  s[c] += s[d]; s[b] ^= s[c]; s[b] = Rotl(s[b], 12);
  s[a] += s[b]; s[d] ^= s[a]; s[d] = Rotl(s[d], 8);
  s[c] += s[d]; s[b] ^= s[c]; s[b] = Rotl(s[b], 7);
}

}  // namespace

void ChaCha20Block(const ChaChaKey& key, uint32_t counter, const ChaChaNonce& nonce,
                   uint8_t out[kChaChaBlockSize]) {
  uint32_t init[16];
  // "expand 32-byte k" as four little-endian words.
  init[0] = 0x61707865;
  init[1] = 0x3320646e;
  init[2] = 0x79622d32;
  init[3] = 0x6b206574;
  for (int i = 0; i < 8; ++i) init[4 + i] = LoadLe32(key.data() + 4 * i);
  init[12] = counter;
  for (int i = 0; i < 3; ++i) init[13 + i] = LoadLe32(nonce.data() + 4 * i);

  uint32_t s[16];
  std::memcpy(s, init, sizeof s);
  for (int round = 0; round < 10; ++round) {
    QuarterRound(s, 0, 4, 8, 12);  // columns
    QuarterRound(s, 1, 5, 9, 13);
    QuarterRound(s, 2, 6, 10, 14);
    QuarterRound(s, 3, 7, 11, 15);
    QuarterRound(s, 0, 5, 10, 15);  // diagonals
    QuarterRound(s, 1, 6, 11, 12);
    QuarterRound(s, 2, 7, 8, 13);
    QuarterRound(s, 3, 4, 9, 14);
  }
  for (int i = 0; i < 16; ++i) {
    uint32_t v = s[i] + init[i];
    out[4 * i] = uint8_t(v);
    out[4 * i + 1] = uint8_t(v >> 8);
    out[4 * i + 2] = uint8_t(v >> 16);
    out[4 * i + 3] = uint8_t(v >> 24);
  }
}

bool ChaCha20Xor(const ChaChaKey& key, uint32_t counter, const ChaChaNonce& nonce, uint8_t* data,
                 size_t len) {
  const uint64_t blocks = (uint64_t(len) + kChaChaBlockSize - 1) / kChaChaBlockSize;
  if (blocks > 0x100000000ull - counter) return false;
  uint8_t stream[kChaChaBlockSize];
  for (uint64_t j = 0; j < blocks; ++j) {
    ChaCha20Block(key, uint32_t(counter + j), nonce, stream);
    size_t off = size_t(j * kChaChaBlockSize);
    size_t n = len - off < kChaChaBlockSize ? len - off : kChaChaBlockSize;
    for (size_t k = 0; k < n; ++k) data[off + k] ^= stream[k];
  }
  std::memset(stream, 0, sizeof stream);
  return true;
}

}  // namespace crypto
