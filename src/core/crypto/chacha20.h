// ChaCha20 (RFC 8439, sections 2.3 and 2.4): block function and stream XOR.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace crypto {

constexpr size_t kChaChaKeySize = 32;
constexpr size_t kChaChaNonceSize = 12;
constexpr size_t kChaChaBlockSize = 64;

using ChaChaKey = std::array<uint8_t, kChaChaKeySize>;
using ChaChaNonce = std::array<uint8_t, kChaChaNonceSize>;

// One 64-byte key-stream block for the given block counter.
void ChaCha20Block(const ChaChaKey& key, uint32_t counter, const ChaChaNonce& nonce,
                   uint8_t out[kChaChaBlockSize]);

// XORs len bytes of data in place with the key stream starting at block
// `counter`. Returns false (data untouched) when the text would need the
// 32-bit block counter to wrap.
bool ChaCha20Xor(const ChaChaKey& key, uint32_t counter, const ChaChaNonce& nonce, uint8_t* data,
                 size_t len);

}  // namespace crypto
