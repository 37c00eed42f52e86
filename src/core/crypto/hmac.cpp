#include "core/crypto/hmac.h"

#include <cstring>

namespace crypto {

HmacSha256::HmacSha256(const void* key, size_t keyLen) {
  uint8_t block[kSha256BlockSize] = {};
  if (keyLen > kSha256BlockSize) {
    Sha256Digest d = Sha256Of(key, keyLen);  // long keys are hashed first
    std::memcpy(block, d.data(), d.size());
  } else if (keyLen > 0) {
    std::memcpy(block, key, keyLen);
  }
  uint8_t pad[kSha256BlockSize];
  for (size_t i = 0; i < kSha256BlockSize; ++i) pad[i] = block[i] ^ 0x36;
  innerStart_.Update(pad, sizeof pad);
  for (size_t i = 0; i < kSha256BlockSize; ++i) pad[i] = block[i] ^ 0x5c;
  outerStart_.Update(pad, sizeof pad);
  inner_ = innerStart_;
  std::memset(block, 0, sizeof block);
  std::memset(pad, 0, sizeof pad);
}

Sha256Digest HmacSha256::Finish() {
  Sha256Digest innerHash = inner_.Finish();
  Sha256 outer = outerStart_;
  outer.Update(innerHash.data(), innerHash.size());
  inner_ = innerStart_;
  return outer.Finish();
}

Sha256Digest HmacSha256Of(const void* key, size_t keyLen, const void* data, size_t len) {
  HmacSha256 h(key, keyLen);
  h.Update(data, len);
  return h.Finish();
}

bool Pbkdf2HmacSha256(const void* password, size_t passwordLen, const void* salt, size_t saltLen,
                      uint32_t iterations, size_t outLen, std::vector<uint8_t>* out) {
  out->clear();
  const uint64_t blocks = (uint64_t(outLen) + kSha256Size - 1) / kSha256Size;
  if (iterations == 0 || blocks > 0xFFFFFFFFull) return false;
  out->reserve(outLen);
  HmacSha256 prf(password, passwordLen);
  for (uint64_t i = 1; i <= blocks; ++i) {
    // U1 = PRF(P, S || INT(i)); T = U1 ^ U2 ^ ... ^ Uc
    const uint8_t index[4] = {uint8_t(i >> 24), uint8_t(i >> 16), uint8_t(i >> 8), uint8_t(i)};
    prf.Update(salt, saltLen);
    prf.Update(index, sizeof index);
    Sha256Digest u = prf.Finish();
    Sha256Digest t = u;
    for (uint32_t c = 1; c < iterations; ++c) {
      prf.Update(u.data(), u.size());
      u = prf.Finish();
      for (size_t k = 0; k < kSha256Size; ++k) t[k] ^= u[k];
    }
    size_t take = outLen - out->size();
    if (take > kSha256Size) take = kSha256Size;
    out->insert(out->end(), t.begin(), t.begin() + take);
  }
  return true;
}

}  // namespace crypto
