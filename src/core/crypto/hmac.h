// HMAC-SHA-256 (RFC 2104) and PBKDF2-HMAC-SHA-256 (RFC 8018, section 5.2).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/crypto/sha256.h"

namespace crypto {

class HmacSha256 {
 public:
  HmacSha256(const void* key, size_t keyLen);
  void Update(const void* data, size_t len) { inner_.Update(data, len); }
  // Returns the tag and starts over with the same key.
  Sha256Digest Finish();

 private:
  Sha256 innerStart_;  // state after the key XOR ipad block
  Sha256 outerStart_;  // state after the key XOR opad block
  Sha256 inner_;
};

Sha256Digest HmacSha256Of(const void* key, size_t keyLen, const void* data, size_t len);
inline Sha256Digest HmacSha256Of(const std::string& key, const std::string& data) {
  return HmacSha256Of(key.data(), key.size(), data.data(), data.size());
}

// PBKDF2 with HMAC-SHA-256 as the pseudo-random function. Returns false (and
// leaves out empty) when iterations is 0 or outLen is beyond (2^32 - 1) blocks.
bool Pbkdf2HmacSha256(const void* password, size_t passwordLen, const void* salt, size_t saltLen,
                      uint32_t iterations, size_t outLen, std::vector<uint8_t>* out);

}  // namespace crypto
