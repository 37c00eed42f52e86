// The file-name cipher: turns a base name (any Shift-JIS bytes) into a
// deterministic, reversible, file-name-safe text under the user's key code,
// and back. The stored format is described in docs/namecipher.md; names on
// disk depend on it, so existing formats never change - a new one gets a new
// version character.
#pragma once

#include <cstddef>
#include <string>

namespace crypto {

enum class NameCipherStatus {
  kOk,
  kInvalidKey,        // key code shorter than 4 bytes, last four blanks, or too long
  kEmptyName,         // nothing to encipher
  kNameTooLong,       // base name beyond kMaxCipherNameBytes
  kNotDecipherable,   // wrong key, damaged, or not a cipher text at all
  kBadMode,           // mode other than 0 or 1
};

// Longest base name that can be enciphered: its stored form
// ("#~$_" + cipher text) then stays within 242 characters, leaving room for an
// extension of up to 13 characters in a 255-character file name.
constexpr size_t kMaxCipherNameBytes = 140;
constexpr size_t kMaxKeyCodeBytes = 64;

// Message for a status (Shift-JIS in the program; one table for the cipher).
const char* NameCipherErrorText(NameCipherStatus status);

// At least 4 bytes, at most kMaxKeyCodeBytes, and the last four not all blanks.
bool IsValidKeyCode(const std::string& keyCode);

struct NameCipherResult {
  NameCipherStatus status = NameCipherStatus::kOk;
  std::string text;  // the other form; empty unless status is kOk
  bool ok() const { return status == NameCipherStatus::kOk; }
};

// mode 0 enciphers `text` (a base name); mode 1 deciphers a cipher text, in
// upper or lower case. Derived keys are cached per key code.
NameCipherResult CipherName(const std::string& text, int mode, const std::string& keyCode);

}  // namespace crypto
