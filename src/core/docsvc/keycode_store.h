// How the encryption key code (m_strEncryptKeyCode) is kept in "Dorvik.sys"
// ("ekey" line): never plain. Format "K2":
//   "K2" + upper-case hex of ( tag || ct )
//   tag = HMAC-SHA-256(k_mac, "K2" || key code)[0..7]
//   ct  = key code XOR ChaCha20(k_enc, nonce = tag || 00 00 00 00, block 0)
// with k_enc and k_mac derived by HMAC-SHA-256 from a fixed program key.
// A damaged or foreign text fails the tag check and reads as "no key code".
// The program key is in the program, so this hides the code from casual view;
// it does not protect it from someone who has the program.
#pragma once

#include <cstdint>

#include "fw/cstring.h"

namespace docsvc {

// The program's one fixed key (kProgramKeyBytes bytes): it protects the stored
// key code and the enciphered macro files. Any copy of the program has it, so
// it keeps text from casual reading, nothing more.
constexpr int kProgramKeyBytes = 32;
const std::uint8_t* ProgramKey();

// Longest key code stored (longer ones are not stored: "" is written).
constexpr int kMaxStoredKeyCode = 255;

// The stored form; "" for "" (and for a code that cannot be stored).
CString EncipherKeyCode(const CString& plain);
// The inverse: true and the key code ("" for ""); false and "" for a damaged
// or foreign text.
bool DecipherKeyCode(const CString& stored, CString* plain);

}  // namespace docsvc
