// The envelope of the enciphered source forms: any bytes as a file under
// any key give a refusal or exactly the payload, never a read past the
// input and never a plain byte before the tag has been checked; any bytes
// sealed under any key come back unchanged, and one flipped bit of the
// sealed file is refused.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/crypto/envelope.h"

using namespace crypto;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t control = data[0];
  ++data, --size;
  const std::size_t keyLen = control & 15u;
  if (size < keyLen) return 0;
  const std::uint8_t* key = data;
  const std::uint8_t* file = data + keyLen;
  const std::size_t fileLen = size - keyLen;

  // The input as a file.
  MemoryEnvelopeInput in(file, fileLen);
  EnvelopeHeader h;
  const EnvelopeStatus hs = ReadEnvelopeHeader(in, &h);
  if (hs == EnvelopeStatus::kOk) {
    if (h.length != fileLen - kEnvelopeOverhead || (h.flags & ~3u) || h.iterations == 0 ||
        h.iterations > kEnvelopeMaxIterations)
      std::abort();
    // Small counts only: a large one is a valid but slow derivation.
    if (h.iterations <= 4) {
      MemoryEnvelopeOutput out;
      const EnvelopeStatus s = OpenEnvelope(in, out, key, keyLen);
      if (s == EnvelopeStatus::kOk ? out.bytes.size() != h.length : !out.bytes.empty()) std::abort();
    }
  } else {
    MemoryEnvelopeOutput out;
    if (h.iterations <= 4 && OpenEnvelope(in, out, key, keyLen) == EnvelopeStatus::kOk) std::abort();
    if (!out.bytes.empty()) std::abort();
  }

  // The input sealed and opened again.
  std::uint8_t salt[kEnvelopeSaltSize] = {};
  for (std::size_t i = 0; i < fileLen && i < sizeof salt; ++i) salt[i] = file[i];
  const std::uint8_t flags = (control >> 4) & 3u;
  const std::uint32_t iterations = 1 + ((control >> 6) & 1u);
  MemoryEnvelopeInput plain(file, fileLen);
  MemoryEnvelopeOutput sealed;
  if (SealEnvelope(plain, sealed, key, keyLen, flags, iterations, salt) != EnvelopeStatus::kOk) std::abort();
  if (sealed.bytes.size() != fileLen + kEnvelopeOverhead || sealed.bytes[5] != flags) std::abort();
  {
    MemoryEnvelopeInput again(sealed.bytes.data(), sealed.bytes.size());
    MemoryEnvelopeOutput out;
    if (OpenEnvelope(again, out, key, keyLen) != EnvelopeStatus::kOk) std::abort();
    if (out.bytes.size() != fileLen || (fileLen && std::memcmp(out.bytes.data(), file, fileLen) != 0)) std::abort();
  }
  // One bit flipped where the input says; counts that stay valid but large
  // are left out (slow, and refused by the same tag check).
  std::uint32_t pick = 0;
  for (std::size_t i = 0; i < fileLen; ++i) pick = pick * 31u + file[i];
  std::vector<std::uint8_t> bad = sealed.bytes;
  const std::size_t at = pick % bad.size();
  bad[at] ^= std::uint8_t(1u << ((pick >> 24) & 7u));
  MemoryEnvelopeInput damaged(bad.data(), bad.size());
  EnvelopeHeader dh;
  if (ReadEnvelopeHeader(damaged, &dh) == EnvelopeStatus::kOk && dh.iterations > 4) return 0;
  MemoryEnvelopeOutput out;
  if (OpenEnvelope(damaged, out, key, keyLen) == EnvelopeStatus::kOk || !out.bytes.empty()) std::abort();
  return 0;
}
