// SHA-256 compression with the processor's SHA extensions, where it has them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace crypto {

// The 64 round constants (shared with the portable rounds).
extern const uint32_t kSha256Round[64];

// True when this processor has the SHA extensions (and SSSE3, SSE4.1).
bool Sha256NiAvailable();
// Compresses `count` 64-byte blocks into `state` (a, b, ..., h). Only call
// it when Sha256NiAvailable() is true.
void Sha256CompressNi(uint32_t state[8], const uint8_t* blocks, size_t count);

}  // namespace crypto
