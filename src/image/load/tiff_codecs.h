// The TIFF loader's own decoders: PackBits and CCITT fax (T.4 one- and
// two-dimensional, T.6).
#pragma once

#include <cstdint>
#include <vector>

namespace img {

// PackBits: control byte n (signed) 0..127 copies n + 1 bytes, -1..-127
// repeats the next byte 1 - n times, -128 does nothing; stops when the input
// is used up or outMax bytes are written. Appends to out; returns the bytes
// added.
uint64_t PackBitsDecode(const uint8_t* data, uint64_t length, uint64_t outMax, std::vector<uint8_t>* out);

}  // namespace img
