#include "core/crypto/base32.h"

namespace crypto {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567";

int DigitValue(char ch) {
  if (ch >= 'A' && ch <= 'Z') return ch - 'A';
  if (ch >= 'a' && ch <= 'z') return ch - 'a';
  if (ch >= '2' && ch <= '7') return ch - '2' + 26;
  return -1;
}

}  // namespace

size_t Base32Length(size_t len) { return len / 5 * 8 + (len % 5 * 8 + 4) / 5; }

std::string Base32Encode(const uint8_t* data, size_t len) {
  std::string out;
  out.reserve(Base32Length(len));
  uint32_t acc = 0;
  int bits = 0;
  for (size_t i = 0; i < len; ++i) {
    acc = (acc << 8) | data[i];
    bits += 8;
    while (bits >= 5) {
      bits -= 5;
      out += kAlphabet[(acc >> bits) & 31];
    }
    acc &= (1u << bits) - 1;
  }
  if (bits > 0) out += kAlphabet[(acc << (5 - bits)) & 31];
  return out;
}

bool Base32Decode(const char* text, size_t len, std::vector<uint8_t>* out) {
  out->clear();
  // A final group of 1, 3 or 6 characters never comes from whole bytes.
  const size_t tail = len % 8;
  if (tail == 1 || tail == 3 || tail == 6) return false;
  out->reserve(len * 5 / 8);
  uint32_t acc = 0;
  int bits = 0;
  for (size_t i = 0; i < len; ++i) {
    int v = DigitValue(text[i]);
    if (v < 0) {
      out->clear();
      return false;
    }
    acc = (acc << 5) | uint32_t(v);
    bits += 5;
    if (bits >= 8) {
      bits -= 8;
      out->push_back(uint8_t(acc >> bits));
    }
    acc &= (1u << bits) - 1;
  }
  if (acc != 0) {  // leftover bits must be zero padding
    out->clear();
    return false;
  }
  return true;
}

}  // namespace crypto
