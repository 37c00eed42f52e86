#include "core/crypto/namecipher.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <vector>

#include "core/crypto/base32.h"
#include "core/crypto/chacha20.h"
#include "core/crypto/hmac.h"

namespace crypto {
namespace {

// One row per stored format. Rows are never edited once names exist in that
// format; a new format appends a row with a new version character, and
// enciphering always uses the last row.
struct CipherFormat {
  char version;         // first character of the cipher text
  const char* salt;     // PBKDF2 salt (ASCII)
  uint32_t iterations;  // PBKDF2 iterations
  size_t tagBytes;      // leading HMAC bytes kept as tag and nonce
};

constexpr CipherFormat kFormats[] = {
    {'1', "Tabrye/file-name-cipher/1", 20000, 8},
};

const CipherFormat& CurrentFormat() { return kFormats[sizeof kFormats / sizeof kFormats[0] - 1]; }

const CipherFormat* FindFormat(char version) {
  for (const CipherFormat& f : kFormats)
    if (f.version == version) return &f;
  return nullptr;
}

struct ErrorRow {
  NameCipherStatus status;
  const char* text;
};

constexpr ErrorRow kErrorTexts[] = {
    {NameCipherStatus::kOk, "OK"},
    {NameCipherStatus::kInvalidKey, "暗号化キーコードが正しくありません。"},
    {NameCipherStatus::kEmptyName, "ファイル名が空です。"},
    {NameCipherStatus::kNameTooLong, "ファイル名が長すぎて暗号化できません。"},
    {NameCipherStatus::kNotDecipherable, "このキーコードでは復号できないファイル名です。"},
    {NameCipherStatus::kBadMode, "暗号化のモードが正しくありません。"},
};

struct DerivedKeys {
  ChaChaKey enc;
  std::array<uint8_t, 32> mac;
};

// A few recently used key codes and their derived keys; PBKDF2 runs once per
// key code and format, not once per name.
class KeyCache {
 public:
  DerivedKeys Get(const CipherFormat& format, const std::string& keyCode) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const Entry& e : entries_)
      if (e.used && e.version == format.version && e.keyCode == keyCode) return e.keys;
    std::vector<uint8_t> dk;
    Pbkdf2HmacSha256(keyCode.data(), keyCode.size(), format.salt, std::strlen(format.salt),
                     format.iterations, 64, &dk);
    Entry& e = entries_[next_];
    next_ = (next_ + 1) % kSlots;
    e.used = true;
    e.version = format.version;
    e.keyCode = keyCode;
    std::memcpy(e.keys.enc.data(), dk.data(), 32);
    std::memcpy(e.keys.mac.data(), dk.data() + 32, 32);
    std::memset(dk.data(), 0, dk.size());
    return e.keys;
  }

 private:
  static constexpr size_t kSlots = 4;
  struct Entry {
    bool used = false;
    char version = 0;
    std::string keyCode;
    DerivedKeys keys{};
  };
  std::mutex mutex_;
  Entry entries_[kSlots];
  size_t next_ = 0;
};

KeyCache& Cache() {
  static KeyCache cache;
  return cache;
}

// tag = leading bytes of HMAC-SHA-256(k_mac, version || name).
Sha256Digest NameMac(const DerivedKeys& keys, char version, const uint8_t* name, size_t len) {
  HmacSha256 mac(keys.mac.data(), keys.mac.size());
  mac.Update(&version, 1);
  mac.Update(name, len);
  return mac.Finish();
}

ChaChaNonce NonceFromTag(const Sha256Digest& mac, size_t tagBytes) {
  ChaChaNonce nonce{};
  std::memcpy(nonce.data(), mac.data(), tagBytes);
  return nonce;
}

NameCipherResult Fail(NameCipherStatus status) {
  NameCipherResult r;
  r.status = status;
  return r;
}

NameCipherResult Encipher(const std::string& name, const std::string& keyCode) {
  if (name.empty()) return Fail(NameCipherStatus::kEmptyName);
  if (name.size() > kMaxCipherNameBytes) return Fail(NameCipherStatus::kNameTooLong);
  const CipherFormat& format = CurrentFormat();
  const DerivedKeys keys = Cache().Get(format, keyCode);
  std::vector<uint8_t> buf(format.tagBytes + name.size());
  std::memcpy(buf.data() + format.tagBytes, name.data(), name.size());
  const Sha256Digest mac = NameMac(keys, format.version, buf.data() + format.tagBytes, name.size());
  std::memcpy(buf.data(), mac.data(), format.tagBytes);
  ChaCha20Xor(keys.enc, 0, NonceFromTag(mac, format.tagBytes), buf.data() + format.tagBytes,
              name.size());
  NameCipherResult r;
  r.text = format.version + Base32Encode(buf.data(), buf.size());
  return r;
}

NameCipherResult Decipher(const std::string& text, const std::string& keyCode) {
  const NameCipherResult notDecipherable = Fail(NameCipherStatus::kNotDecipherable);
  if (text.empty()) return notDecipherable;
  const CipherFormat* format = FindFormat(text[0]);
  if (!format) return notDecipherable;
  const size_t body = text.size() - 1;
  if (body > Base32Length(format->tagBytes + kMaxCipherNameBytes)) return notDecipherable;
  std::vector<uint8_t> buf;
  if (!Base32Decode(text.data() + 1, body, &buf)) return notDecipherable;
  if (buf.size() <= format->tagBytes) return notDecipherable;

  const DerivedKeys keys = Cache().Get(*format, keyCode);
  const size_t nameLen = buf.size() - format->tagBytes;
  uint8_t* name = buf.data() + format->tagBytes;
  ChaChaNonce nonce{};
  std::memcpy(nonce.data(), buf.data(), format->tagBytes);
  ChaCha20Xor(keys.enc, 0, nonce, name, nameLen);
  const Sha256Digest mac = NameMac(keys, format->version, name, nameLen);
  uint8_t diff = 0;  // compare without an early exit
  for (size_t i = 0; i < format->tagBytes; ++i) diff |= uint8_t(mac[i] ^ buf[i]);
  if (diff != 0) return notDecipherable;
  NameCipherResult r;
  r.text.assign(reinterpret_cast<const char*>(name), nameLen);
  return r;
}

}  // namespace

const char* NameCipherErrorText(NameCipherStatus status) {
  for (const ErrorRow& row : kErrorTexts)
    if (row.status == status) return row.text;
  return "?";
}

bool IsValidKeyCode(const std::string& keyCode) {
  const size_t n = keyCode.size();
  if (n < 4 || n > kMaxKeyCodeBytes) return false;
  return keyCode.compare(n - 4, 4, "    ") != 0;
}

NameCipherResult CipherName(const std::string& text, int mode, const std::string& keyCode) {
  if (mode != 0 && mode != 1) return Fail(NameCipherStatus::kBadMode);
  if (!IsValidKeyCode(keyCode)) return Fail(NameCipherStatus::kInvalidKey);
  return mode == 0 ? Encipher(text, keyCode) : Decipher(text, keyCode);
}

}  // namespace crypto
