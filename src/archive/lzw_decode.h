// LZW decoder of the image loaders and the text renderer, in three variants:
// GIF (least significant bit first, variable minimum code size), TIFF (most
// significant bit first, early change, end codes between joined strips) and
// text (as TIFF without end code; zero bytes come out as '@').
//
// Table strings are kept whole (prefix links, each with its length and first
// byte), so strings of any length decode exactly. Corrupt streams never stop
// the decode early: an undefined code is defined at its own index from the
// previous string, and decoding runs to the variant's end condition; every
// string walk is bounded by its stored length.
#pragma once

#include <cstdint>

namespace arc {

enum LzwVariant : uint32_t { kLzwText = 0, kLzwGif = 1, kLzwTiff = 2 };

// Decodes data[0 .. inputLength) and writes the decoded bytes over the start
// of data, which must hold max(inputLength, expectedLength) bytes. Result:
// bytes decoded (0 to expectedLength); 0 when memory ran out (*noMemory set)
// or when the GIF minimum code size is above 11. Bits past the input read
// as 0; the GIF variant stops before reading a code that starts at or past
// inputLength.
int32_t LzwDecode(uint8_t* data, int32_t inputLength, int32_t expectedLength, uint32_t variant,
                  uint32_t minCodeSize, bool* noMemory = nullptr);

}  // namespace arc
