// Base-32 text (RFC 4648 alphabet A-Z 2-7, no padding) for names that must
// survive case-insensitive file systems.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace crypto {

// Characters needed for len bytes: ceil(len * 8 / 5).
size_t Base32Length(size_t len);

// Upper-case text, no padding.
std::string Base32Encode(const uint8_t* data, size_t len);

// Accepts upper and lower case. Returns false for any other character, for a
// length no encoder produces, and for set bits in the unused tail of the last
// character, so one byte string has exactly one upper-case text.
bool Base32Decode(const char* text, size_t len, std::vector<uint8_t>* out);

}  // namespace crypto
