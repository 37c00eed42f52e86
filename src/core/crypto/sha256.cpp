#include "core/crypto/sha256.h"

#include <cstring>

#include "core/crypto/sha256_ni.h"

namespace crypto {

// First 32 bits of the fractional parts of the cube roots of the first 64 primes.
alignas(16) const uint32_t kSha256Round[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

namespace {

// First 32 bits of the fractional parts of the square roots of the first 8 primes.
constexpr uint32_t kInitial[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                  0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};

inline uint32_t Rotr(uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

// The processor's SHA extensions when it has them (tests may turn them off).
bool g_usePortable = false;
bool UseNi() {
  static const bool ni = Sha256NiAvailable();
  return ni && !g_usePortable;
}

}  // namespace

namespace sha256test {
void UsePortableRounds(bool on) { g_usePortable = on; }
bool FastRoundsAvailable() { return Sha256NiAvailable(); }
}  // namespace sha256test

void Sha256::CompressBlocks(const uint8_t* blocks, size_t count) {
  if (UseNi()) {
    Sha256CompressNi(h_.data(), blocks, count);
    return;
  }
  for (size_t n = 0; n < count; ++n) Compress(blocks + 64 * n);
}

void Sha256::Reset() {
  for (int i = 0; i < 8; ++i) h_[i] = kInitial[i];
  bufLen_ = 0;
  totalBytes_ = 0;
}

void Sha256::Compress(const uint8_t* block) {
  uint32_t w[64];
  for (int t = 0; t < 16; ++t)
    w[t] = (uint32_t(block[4 * t]) << 24) | (uint32_t(block[4 * t + 1]) << 16) |
           (uint32_t(block[4 * t + 2]) << 8) | uint32_t(block[4 * t + 3]);
  for (int t = 16; t < 64; ++t) {
    uint32_t s0 = Rotr(w[t - 15], 7) ^ Rotr(w[t - 15], 18) ^ (w[t - 15] >> 3);
    uint32_t s1 = Rotr(w[t - 2], 17) ^ Rotr(w[t - 2], 19) ^ (w[t - 2] >> 10);
    w[t] = w[t - 16] + s0 + w[t - 7] + s1;
  }
  uint32_t a = h_[0], b = h_[1], c = h_[2], d = h_[3], e = h_[4], f = h_[5], g = h_[6], h = h_[7];
  for (int t = 0; t < 64; ++t) {
    uint32_t t1 = h + (Rotr(e, 6) ^ Rotr(e, 11) ^ Rotr(e, 25)) + ((e & f) ^ (~e & g)) + kSha256Round[t] + w[t];
    uint32_t t2 = (Rotr(a, 2) ^ Rotr(a, 13) ^ Rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
    h = g;
    g = f;
    f = e;
    e = d + t1;
    d = c;
    c = b;
    b = a;
    a = t1 + t2;
  }
  h_[0] += a;
  h_[1] += b;
  h_[2] += c;
  h_[3] += d;
  h_[4] += e;
  h_[5] += f;
  h_[6] += g;
  h_[7] += h;
}

void Sha256::Update(const void* data, size_t len) {
  const uint8_t* p = static_cast<const uint8_t*>(data);
  totalBytes_ += len;  // wraps only past 2^64 bytes, where the length field wraps too
  if (bufLen_ > 0) {
    size_t take = kSha256BlockSize - bufLen_;
    if (take > len) take = len;
    std::memcpy(buf_ + bufLen_, p, take);
    bufLen_ += take;
    p += take;
    len -= take;
    if (bufLen_ < kSha256BlockSize) return;
    CompressBlocks(buf_, 1);
    bufLen_ = 0;
  }
  if (len >= kSha256BlockSize) {
    const size_t blocks = len / kSha256BlockSize;
    CompressBlocks(p, blocks);
    p += blocks * kSha256BlockSize;
    len -= blocks * kSha256BlockSize;
  }
  if (len > 0) {
    std::memcpy(buf_, p, len);
    bufLen_ = len;
  }
}

Sha256Digest Sha256::Finish() {
  uint64_t bits = totalBytes_ * 8;  // message length mod 2^64, as the standard defines it
  uint8_t pad[kSha256BlockSize * 2] = {0x80};
  size_t padLen = (bufLen_ < 56 ? 56 : 120) - bufLen_;
  for (int i = 0; i < 8; ++i) pad[padLen + i] = uint8_t(bits >> (56 - 8 * i));
  Update(pad, padLen + 8);
  Sha256Digest out;
  for (int i = 0; i < 8; ++i) {
    out[4 * i] = uint8_t(h_[i] >> 24);
    out[4 * i + 1] = uint8_t(h_[i] >> 16);
    out[4 * i + 2] = uint8_t(h_[i] >> 8);
    out[4 * i + 3] = uint8_t(h_[i]);
  }
  Reset();
  return out;
}

Sha256Digest Sha256Of(const void* data, size_t len) {
  Sha256 s;
  s.Update(data, len);
  return s.Finish();
}

}  // namespace crypto
