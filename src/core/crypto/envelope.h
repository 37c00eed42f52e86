// The content envelope of the enciphered source forms ("+" and "-" before the
// extension): a 36-byte header, the payload XOR a ChaCha20 key stream, and an
// HMAC-SHA-256 tag over everything before it. The layout is written out in
// docs/design.md ("Source forms"); files depend on it, so it never changes
// under version 1.
//
// Reading checks the whole file's tag before any plain byte is handed on
// (two streaming passes over the input); memory stays bounded for any size.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/crypto/chacha20.h"
#include "core/crypto/sha256.h"
#include "fw/cstring.h"

namespace crypto {

constexpr size_t kEnvelopeHeaderSize = 36;
constexpr size_t kEnvelopeTagSize = 32;
constexpr size_t kEnvelopeOverhead = kEnvelopeHeaderSize + kEnvelopeTagSize;
constexpr size_t kEnvelopeSaltSize = 16;
constexpr uint8_t kEnvelopeVersion = 1;
constexpr uint8_t kEnvelopeFlagZip = 0x01;         // the payload is a one-member ZIP
constexpr uint8_t kEnvelopeFlagProgramKey = 0x02;  // sealed with the program key
constexpr uint32_t kEnvelopeUserIterations = 100000;
constexpr uint32_t kEnvelopeProgramIterations = 1;
constexpr uint32_t kEnvelopeMaxIterations = 10000000;
// The 32-bit block counter bounds the payload: 2^32 blocks of 64 bytes.
constexpr uint64_t kEnvelopeMaxPayload = (uint64_t(1) << 32) * kChaChaBlockSize;

enum class EnvelopeStatus {
  kOk,
  kNotEnvelope,  // too short for a header, or another magic
  kBadHeader,    // another version, unknown flag bits, reserved bytes, iteration count
  kBadLength,    // the payload length is not the file length less 68
  kBadTag,       // wrong key or damaged: the two cannot be told apart
  kReadError,
  kWriteError,
  kTooLarge,     // a payload the key stream cannot cover
};

struct EnvelopeHeader {
  uint8_t flags = 0;
  uint32_t iterations = 0;
  std::array<uint8_t, kEnvelopeSaltSize> salt{};
  uint64_t length = 0;  // payload bytes
};

struct EnvelopeKeys {
  ChaChaKey enc{};
  Sha256Digest mac{};
};

// Where the bytes come from: random access, so the reader can pass twice.
class EnvelopeInput {
 public:
  virtual ~EnvelopeInput() = default;
  virtual uint64_t Size() = 0;
  // Exactly len bytes at offset; false on any failure or short read.
  virtual bool ReadAt(uint64_t offset, uint8_t* buffer, size_t len) = 0;
};

class EnvelopeOutput {
 public:
  virtual ~EnvelopeOutput() = default;
  virtual bool Write(const uint8_t* data, size_t len) = 0;
};

// In memory (tests, fuzzing).
class MemoryEnvelopeInput : public EnvelopeInput {
 public:
  MemoryEnvelopeInput(const uint8_t* data, size_t len) : data_(data), len_(len) {}
  uint64_t Size() override { return len_; }
  bool ReadAt(uint64_t offset, uint8_t* buffer, size_t len) override;

 private:
  const uint8_t* data_;
  size_t len_;
};

class MemoryEnvelopeOutput : public EnvelopeOutput {
 public:
  bool Write(const uint8_t* data, size_t len) override {
    bytes.insert(bytes.end(), data, data + len);
    return true;
  }
  std::vector<uint8_t> bytes;
};

// A file opened for reading (Shift-JIS path); Open false when it does not open.
class FileEnvelopeInput : public EnvelopeInput {
 public:
  FileEnvelopeInput();
  ~FileEnvelopeInput() override;
  bool Open(const CString& path);
  uint64_t Size() override { return size_; }
  bool ReadAt(uint64_t offset, uint8_t* buffer, size_t len) override;

 private:
  struct Impl;
  Impl* impl_;
  uint64_t size_ = 0;
};

// A file created (or emptied) for writing; Close reports whether every byte
// reached it.
class FileEnvelopeOutput : public EnvelopeOutput {
 public:
  FileEnvelopeOutput();
  ~FileEnvelopeOutput() override;
  bool Open(const CString& path);
  bool Write(const uint8_t* data, size_t len) override;
  bool Close();

 private:
  struct Impl;
  Impl* impl_;
  bool failed_ = false;
};

// K = PBKDF2-HMAC-SHA256(secret, salt, iterations, 32);
// K_enc = HMAC(K, "DVKE enc"), K_mac = HMAC(K, "DVKE mac").
// False for 0 iterations.
bool DeriveEnvelopeKeys(const void* secret, size_t secretLen, const uint8_t* salt, uint32_t iterations,
                        EnvelopeKeys* keys);

// Reads and checks the header against the input's size (no key needed, no
// key derived): magic, version, flags, reserved bytes, 1 <= c <= 10,000,000
// and n == size - 68.
EnvelopeStatus ReadEnvelopeHeader(EnvelopeInput& in, EnvelopeHeader* header);

// Writes the envelope of all of `plain` to `out`. flags: kEnvelopeFlagZip
// and/or kEnvelopeFlagProgramKey; other bits refused (kBadHeader).
EnvelopeStatus SealEnvelope(EnvelopeInput& plain, EnvelopeOutput& out, const void* secret, size_t secretLen,
                            uint8_t flags, uint32_t iterations, const uint8_t* salt);

// Checks the header, derives the keys, checks the tag over the whole input
// (first pass), then writes the payload to `out` (second pass, which checks
// the tag once more: a file that changed in between gives kBadTag, and the
// caller drops what was written). `header` receives the header when given.
EnvelopeStatus OpenEnvelope(EnvelopeInput& in, EnvelopeOutput& out, const void* secret, size_t secretLen,
                            EnvelopeHeader* header = nullptr);

// The tag check alone (first pass) under keys already derived.
EnvelopeStatus VerifyEnvelope(EnvelopeInput& in, const EnvelopeHeader& header, const EnvelopeKeys& keys);

// Equal in time independent of where the bytes differ.
bool ConstantTimeEqual(const uint8_t* a, const uint8_t* b, size_t len);

const char* EnvelopeStatusName(EnvelopeStatus status);

}  // namespace crypto
