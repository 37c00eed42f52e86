// Vector rows and hex helpers shared by the crypto tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct HashVector {
  const char* message;
  const char* digest;
};
struct MacVector {
  const char* key;
  const char* message;
  const char* mac;
};
struct KdfVector {
  const char* password;
  const char* salt;
  uint32_t iterations;
  const char* key;
};
struct StreamVector {
  const char* key;
  const char* nonce;
  uint32_t counter;
  const char* plain;
  const char* cipher;
};
struct NameVector {
  const char* keyCode;
  const char* name;
  const char* stored;
};

inline std::string Unhex(const char* hex) {
  std::string out;
  auto nibble = [](char c) { return c <= '9' ? c - '0' : c - 'a' + 10; };
  for (size_t i = 0; hex[i] && hex[i + 1]; i += 2)
    out += char(nibble(hex[i]) * 16 + nibble(hex[i + 1]));
  return out;
}

template <typename Bytes>
std::string Hex(const Bytes& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (auto b : bytes) {
    out += kDigits[uint8_t(b) >> 4];
    out += kDigits[uint8_t(b) & 15];
  }
  return out;
}
