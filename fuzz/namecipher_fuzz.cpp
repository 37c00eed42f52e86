// File-name cipher and encrypted-name mapping over arbitrary (key, text) input.
// Byte 0 picks one of a few key codes (deriving a key per input would be too
// slow to fuzz); the rest is used as a base name, a cipher text and a path.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/crypto/encname.h"
#include "core/crypto/namecipher.h"

namespace {

const char* const kKeys[] = {"1234", "567890", "13572468", "0000 "};

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

std::string UpperAscii(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size > 4096) return 0;
  using namespace crypto;
  const std::string key = kKeys[data[0] % 4];
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

  // Decipher anything; what deciphers is exactly one stored form's name.
  NameCipherResult d = CipherName(text, 1, key);
  if (d.ok()) {
    NameCipherResult again = CipherName(d.text, 0, key);
    Check(again.ok() && again.text == UpperAscii(text));
  } else {
    Check(d.text.empty());
  }

  // Encipher and back, in either case.
  NameCipherResult e = CipherName(text, 0, key);
  if (text.empty() || text.size() > kMaxCipherNameBytes) {
    Check(!e.ok() && e.text.empty());
  } else {
    Check(e.ok());
    NameCipherResult back = CipherName(e.text, 1, key);
    Check(back.ok() && back.text == text);
    std::string lower = e.text;
    for (char& c : lower)
      if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    back = CipherName(lower, 1, key);
    Check(back.ok() && back.text == text);
  }

  // Text up to a newline as a key code: an invalid one never reaches the cipher.
  const size_t nl = text.find('\n');
  if (nl != std::string::npos) {
    const std::string rawKey = text.substr(0, nl);
    if (!IsValidKeyCode(rawKey)) Check(CipherName("memo", 0, rawKey).status == NameCipherStatus::kInvalidKey);
  }

  // The text as a path: a display name that changes maps back to itself, and a
  // stored name that shows maps back to the same file.
  NameCipherStatus s;
  const std::string stored = TranslateEncryptedName(text, 0, key, &s);
  if (stored != text) Check(TranslateEncryptedName(stored, 1, key) == text);
  const std::string display = TranslateEncryptedName(text, 1, key, &s);
  if (display != text) Check(UpperAscii(TranslateEncryptedName(display, 0, key)) == UpperAscii(text));
  return 0;
}
