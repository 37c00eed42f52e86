// SHA-256 (FIPS 180-4): incremental hashing of byte strings.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace crypto {

constexpr size_t kSha256Size = 32;        // digest bytes
constexpr size_t kSha256BlockSize = 64;   // message block bytes

using Sha256Digest = std::array<uint8_t, kSha256Size>;

class Sha256 {
 public:
  Sha256() { Reset(); }
  void Reset();
  void Update(const void* data, size_t len);
  // Pads, returns the digest and leaves the object reset for the next message.
  Sha256Digest Finish();

 private:
  void Compress(const uint8_t* block);
  void CompressBlocks(const uint8_t* blocks, size_t count);

  std::array<uint32_t, 8> h_;
  uint8_t buf_[kSha256BlockSize] = {};
  size_t bufLen_ = 0;
  uint64_t totalBytes_ = 0;
};

Sha256Digest Sha256Of(const void* data, size_t len);

// Tests compare the processor's SHA extensions with the portable rounds.
namespace sha256test {
void UsePortableRounds(bool on);
bool FastRoundsAvailable();
}  // namespace sha256test
inline Sha256Digest Sha256Of(const std::string& s) { return Sha256Of(s.data(), s.size()); }

}  // namespace crypto
