#include "core/crypto/envelope.h"

#include <cstring>

#include "core/crypto/hmac.h"
#include "fw/file.h"

namespace crypto {
namespace {

constexpr uint8_t kMagic[4] = {'D', 'V', 'K', 'E'};
constexpr uint8_t kKnownFlags = kEnvelopeFlagZip | kEnvelopeFlagProgramKey;
// Bytes per streaming step: a whole number of key-stream blocks, so each
// step starts on a block boundary.
constexpr size_t kChunk = 64 * 1024;
static_assert(kChunk % kChaChaBlockSize == 0, "chunks start on block boundaries");

void Put32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}
void Put64(uint8_t* p, uint64_t v) {
  for (int i = 0; i < 8; ++i) p[i] = uint8_t(v >> (8 * i));
}
uint32_t Get32(const uint8_t* p) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}
uint64_t Get64(const uint8_t* p) {
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

void EncodeHeader(const EnvelopeHeader& h, uint8_t out[kEnvelopeHeaderSize]) {
  std::memcpy(out, kMagic, 4);
  out[4] = kEnvelopeVersion;
  out[5] = h.flags;
  out[6] = 0;
  out[7] = 0;
  Put32(out + 8, h.iterations);
  std::memcpy(out + 12, h.salt.data(), kEnvelopeSaltSize);
  Put64(out + 28, h.length);
}

// Reads bytes [offset, offset + len) of the input in chunks, feeding the MAC;
// with `out`, also deciphers each chunk and writes it.
EnvelopeStatus Pass(EnvelopeInput& in, const EnvelopeHeader& h, const EnvelopeKeys& keys, EnvelopeOutput* out) {
  uint8_t head[kEnvelopeHeaderSize];
  if (!in.ReadAt(0, head, sizeof head)) return EnvelopeStatus::kReadError;
  HmacSha256 mac(keys.mac.data(), keys.mac.size());
  mac.Update(head, sizeof head);
  std::vector<uint8_t> buf(size_t(h.length < kChunk ? h.length : kChunk));
  const ChaChaNonce nonce{};
  for (uint64_t done = 0; done < h.length;) {
    const size_t n = size_t(h.length - done < kChunk ? h.length - done : kChunk);
    if (!in.ReadAt(kEnvelopeHeaderSize + done, buf.data(), n)) return EnvelopeStatus::kReadError;
    mac.Update(buf.data(), n);
    if (out) {
      if (!ChaCha20Xor(keys.enc, uint32_t(done / kChaChaBlockSize), nonce, buf.data(), n))
        return EnvelopeStatus::kTooLarge;
      if (!out->Write(buf.data(), n)) return EnvelopeStatus::kWriteError;
    }
    done += n;
  }
  uint8_t tag[kEnvelopeTagSize];
  if (!in.ReadAt(kEnvelopeHeaderSize + h.length, tag, sizeof tag)) return EnvelopeStatus::kReadError;
  const Sha256Digest want = mac.Finish();
  return ConstantTimeEqual(want.data(), tag, sizeof tag) ? EnvelopeStatus::kOk : EnvelopeStatus::kBadTag;
}

}  // namespace

bool MemoryEnvelopeInput::ReadAt(uint64_t offset, uint8_t* buffer, size_t len) {
  if (offset > len_ || len > len_ - offset) return false;
  if (len) std::memcpy(buffer, data_ + offset, len);
  return true;
}

struct FileEnvelopeInput::Impl {
  CFile file;
  uint64_t pos = 0;
};

FileEnvelopeInput::FileEnvelopeInput() : impl_(new Impl) {}
FileEnvelopeInput::~FileEnvelopeInput() {
  impl_->file.Abort();
  delete impl_;
}

bool FileEnvelopeInput::Open(const CString& path) {
  try {
    if (!impl_->file.Open(path, CFile::modeRead | CFile::shareDenyWrite)) return false;
    size_ = impl_->file.GetLength();
    impl_->pos = 0;
    return true;
  } catch (const CFileException&) {
    impl_->file.Abort();
    return false;
  }
}

bool FileEnvelopeInput::ReadAt(uint64_t offset, uint8_t* buffer, size_t len) {
  if (!impl_->file.IsOpen() || offset > size_ || len > size_ - offset) return false;
  try {
    if (impl_->pos != offset) {
      impl_->file.Seek(static_cast<LONGLONG>(offset), CFile::begin);
      impl_->pos = offset;
    }
    size_t got = 0;
    while (got < len) {
      const size_t want = len - got > 0x40000000u ? 0x40000000u : len - got;
      const UINT n = impl_->file.Read(buffer + got, static_cast<UINT>(want));
      if (n == 0) break;
      got += n;
      impl_->pos += n;
    }
    return got == len;
  } catch (const CFileException&) {
    return false;
  }
}

struct FileEnvelopeOutput::Impl {
  CFile file;
};

FileEnvelopeOutput::FileEnvelopeOutput() : impl_(new Impl) {}
FileEnvelopeOutput::~FileEnvelopeOutput() {
  impl_->file.Abort();
  delete impl_;
}

bool FileEnvelopeOutput::Open(const CString& path) {
  try {
    return impl_->file.Open(path, CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive) != 0;
  } catch (const CFileException&) {
    impl_->file.Abort();
    return false;
  }
}

bool FileEnvelopeOutput::Write(const uint8_t* data, size_t len) {
  if (failed_ || !impl_->file.IsOpen()) return false;
  try {
    while (len) {
      const size_t n = len > 0x40000000u ? 0x40000000u : len;
      impl_->file.Write(data, static_cast<UINT>(n));
      data += n;
      len -= n;
    }
    return true;
  } catch (const CFileException&) {
    failed_ = true;
    return false;
  }
}

bool FileEnvelopeOutput::Close() {
  if (!impl_->file.IsOpen()) return false;
  try {
    impl_->file.Close();
    return !failed_;
  } catch (const CFileException&) {
    impl_->file.Abort();
    return false;
  }
}

bool ConstantTimeEqual(const uint8_t* a, const uint8_t* b, size_t len) {
  volatile uint8_t diff = 0;
  for (size_t i = 0; i < len; ++i) diff = diff | uint8_t(a[i] ^ b[i]);
  return diff == 0;
}

bool DeriveEnvelopeKeys(const void* secret, size_t secretLen, const uint8_t* salt, uint32_t iterations,
                        EnvelopeKeys* keys) {
  std::vector<uint8_t> k;
  if (!Pbkdf2HmacSha256(secret, secretLen, salt, kEnvelopeSaltSize, iterations, 32, &k)) return false;
  const Sha256Digest enc = HmacSha256Of(k.data(), k.size(), "DVKE enc", 8);
  std::memcpy(keys->enc.data(), enc.data(), enc.size());
  keys->mac = HmacSha256Of(k.data(), k.size(), "DVKE mac", 8);
  std::memset(k.data(), 0, k.size());
  return true;
}

EnvelopeStatus ReadEnvelopeHeader(EnvelopeInput& in, EnvelopeHeader* header) {
  const uint64_t size = in.Size();
  uint8_t h[kEnvelopeHeaderSize];
  if (size < 4) return EnvelopeStatus::kNotEnvelope;
  if (!in.ReadAt(0, h, 4)) return EnvelopeStatus::kReadError;
  if (std::memcmp(h, kMagic, 4) != 0) return EnvelopeStatus::kNotEnvelope;
  if (size < kEnvelopeOverhead) return EnvelopeStatus::kBadLength;
  if (!in.ReadAt(0, h, sizeof h)) return EnvelopeStatus::kReadError;
  if (h[4] != kEnvelopeVersion || (h[5] & ~kKnownFlags) != 0 || h[6] != 0 || h[7] != 0)
    return EnvelopeStatus::kBadHeader;
  EnvelopeHeader r;
  r.flags = h[5];
  r.iterations = Get32(h + 8);
  if (r.iterations == 0 || r.iterations > kEnvelopeMaxIterations) return EnvelopeStatus::kBadHeader;
  std::memcpy(r.salt.data(), h + 12, kEnvelopeSaltSize);
  r.length = Get64(h + 28);
  if (r.length != size - kEnvelopeOverhead) return EnvelopeStatus::kBadLength;
  if (r.length > kEnvelopeMaxPayload) return EnvelopeStatus::kTooLarge;
  if (header) *header = r;
  return EnvelopeStatus::kOk;
}

EnvelopeStatus SealEnvelope(EnvelopeInput& plain, EnvelopeOutput& out, const void* secret, size_t secretLen,
                            uint8_t flags, uint32_t iterations, const uint8_t* salt) {
  if ((flags & ~kKnownFlags) != 0 || iterations == 0 || iterations > kEnvelopeMaxIterations)
    return EnvelopeStatus::kBadHeader;
  EnvelopeHeader h;
  h.flags = flags;
  h.iterations = iterations;
  std::memcpy(h.salt.data(), salt, kEnvelopeSaltSize);
  h.length = plain.Size();
  if (h.length > kEnvelopeMaxPayload) return EnvelopeStatus::kTooLarge;
  EnvelopeKeys keys;
  if (!DeriveEnvelopeKeys(secret, secretLen, salt, iterations, &keys)) return EnvelopeStatus::kBadHeader;
  uint8_t head[kEnvelopeHeaderSize];
  EncodeHeader(h, head);
  HmacSha256 mac(keys.mac.data(), keys.mac.size());
  mac.Update(head, sizeof head);
  if (!out.Write(head, sizeof head)) return EnvelopeStatus::kWriteError;
  std::vector<uint8_t> buf(size_t(h.length < kChunk ? h.length : kChunk));
  const ChaChaNonce nonce{};
  for (uint64_t done = 0; done < h.length;) {
    const size_t n = size_t(h.length - done < kChunk ? h.length - done : kChunk);
    if (!plain.ReadAt(done, buf.data(), n)) return EnvelopeStatus::kReadError;
    if (!ChaCha20Xor(keys.enc, uint32_t(done / kChaChaBlockSize), nonce, buf.data(), n))
      return EnvelopeStatus::kTooLarge;
    mac.Update(buf.data(), n);
    if (!out.Write(buf.data(), n)) return EnvelopeStatus::kWriteError;
    done += n;
  }
  const Sha256Digest tag = mac.Finish();
  if (!out.Write(tag.data(), tag.size())) return EnvelopeStatus::kWriteError;
  return EnvelopeStatus::kOk;
}

EnvelopeStatus VerifyEnvelope(EnvelopeInput& in, const EnvelopeHeader& header, const EnvelopeKeys& keys) {
  return Pass(in, header, keys, nullptr);
}

EnvelopeStatus OpenEnvelope(EnvelopeInput& in, EnvelopeOutput& out, const void* secret, size_t secretLen,
                            EnvelopeHeader* header) {
  EnvelopeHeader h;
  EnvelopeStatus s = ReadEnvelopeHeader(in, &h);
  if (s != EnvelopeStatus::kOk) return s;
  if (header) *header = h;
  EnvelopeKeys keys;
  if (!DeriveEnvelopeKeys(secret, secretLen, h.salt.data(), h.iterations, &keys)) return EnvelopeStatus::kBadHeader;
  s = Pass(in, h, keys, nullptr);
  if (s != EnvelopeStatus::kOk) return s;
  return Pass(in, h, keys, &out);
}

const char* EnvelopeStatusName(EnvelopeStatus status) {
  switch (status) {
    case EnvelopeStatus::kOk: return "ok";
    case EnvelopeStatus::kNotEnvelope: return "not an envelope";
    case EnvelopeStatus::kBadHeader: return "bad header";
    case EnvelopeStatus::kBadLength: return "bad length";
    case EnvelopeStatus::kBadTag: return "wrong key or damaged";
    case EnvelopeStatus::kReadError: return "read error";
    case EnvelopeStatus::kWriteError: return "write error";
    case EnvelopeStatus::kTooLarge: return "too large";
  }
  return "?";
}

}  // namespace crypto
