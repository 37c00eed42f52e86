#include "core/docsvc/keycode_store.h"

#include <cstdint>
#include <cstring>
#include <string>

#include "core/crypto/chacha20.h"
#include "core/crypto/hmac.h"

namespace docsvc {
namespace {

constexpr char kPrefix[] = "K2";
constexpr std::size_t kTagBytes = 8;

// The program's fixed key (ProgramKey()).
const std::uint8_t kProgramKey[kProgramKeyBytes] = {
    0x6B, 0x1F, 0xD2, 0x47, 0x90, 0x3C, 0xA5, 0x58, 0x0E, 0xE1, 0x73, 0x2A, 0xBD, 0x94, 0x05, 0xC8,
    0x31, 0x7E, 0x4A, 0xF6, 0x2D, 0x89, 0xC0, 0x15, 0x5F, 0xB3, 0x68, 0x0A, 0xE7, 0x9C, 0x42, 0xD1};

crypto::Sha256Digest SubKey(const char* label) {
  return crypto::HmacSha256Of(kProgramKey, sizeof kProgramKey, label, std::strlen(label));
}

// The 8-byte tag of a key code.
void TagOf(const std::string& plain, std::uint8_t tag[kTagBytes]) {
  const crypto::Sha256Digest mac = SubKey("Tabrye/ekey/mac/2");
  crypto::HmacSha256 h(mac.data(), mac.size());
  h.Update(kPrefix, 2);
  h.Update(plain.data(), plain.size());
  const crypto::Sha256Digest d = h.Finish();
  std::memcpy(tag, d.data(), kTagBytes);
}

// XORs `data` with the key stream of the tag.
bool Crypt(const std::uint8_t tag[kTagBytes], std::uint8_t* data, std::size_t len) {
  const crypto::Sha256Digest enc = SubKey("Tabrye/ekey/enc/2");
  crypto::ChaChaKey key;
  std::memcpy(key.data(), enc.data(), key.size());
  crypto::ChaChaNonce nonce{};
  std::memcpy(nonce.data(), tag, kTagBytes);
  return crypto::ChaCha20Xor(key, 0, nonce, data, len);
}

const char kHex[] = "0123456789ABCDEF";

int HexVal(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

const std::uint8_t* ProgramKey() { return kProgramKey; }

CString EncipherKeyCode(const CString& plain) {
  const std::string& p = plain.Str();
  if (p.empty() || p.size() > static_cast<std::size_t>(kMaxStoredKeyCode)) return CString();
  if (p.find('\0') != std::string::npos) return CString();
  std::uint8_t tag[kTagBytes];
  TagOf(p, tag);
  std::string body(reinterpret_cast<const char*>(tag), kTagBytes);
  body += p;
  if (!Crypt(tag, reinterpret_cast<std::uint8_t*>(&body[kTagBytes]), p.size())) return CString();
  std::string out = kPrefix;
  for (unsigned char c : body) {
    out += kHex[c >> 4];
    out += kHex[c & 15];
  }
  return CString(std::move(out));
}

bool DecipherKeyCode(const CString& stored, CString* plain) {
  plain->Empty();
  const std::string& s = stored.Str();
  if (s.empty()) return true;
  if (s.size() < 2 || s.compare(0, 2, kPrefix) != 0 || s.size() % 2 != 0) return false;
  const std::size_t n = (s.size() - 2) / 2;
  if (n <= kTagBytes || n > kTagBytes + kMaxStoredKeyCode) return false;
  std::string body(n, '\0');
  for (std::size_t i = 0; i < n; ++i) {
    const int hi = HexVal(s[2 + 2 * i]), lo = HexVal(s[3 + 2 * i]);
    if (hi < 0 || lo < 0) return false;
    body[i] = static_cast<char>(hi * 16 + lo);
  }
  std::uint8_t tag[kTagBytes];
  std::memcpy(tag, body.data(), kTagBytes);
  std::string p = body.substr(kTagBytes);
  if (!Crypt(tag, reinterpret_cast<std::uint8_t*>(&p[0]), p.size())) return false;
  std::uint8_t check[kTagBytes];
  TagOf(p, check);
  std::uint8_t diff = 0;
  for (std::size_t i = 0; i < kTagBytes; ++i) diff |= static_cast<std::uint8_t>(tag[i] ^ check[i]);
  if (diff != 0 || p.find('\0') != std::string::npos) return false;
  *plain = CString(std::move(p));
  return true;
}

}  // namespace docsvc
