// One character of a UTF-8, EUC-JP or JIS byte stream to Shift-JIS, for
// readers that convert as they go (markup renderers, archive listings).
#pragma once

#include <cstdint>

namespace textcodec {

constexpr int kSjisCharBytes = 10;  // the result buffer's size
constexpr int kMaxUnconvertedHighBytes = 30;

// Character modes: 1 and 5 take UTF-8 (declared, guessed); 2 and 3 take any
// two bytes as JIS; 0 and modes above 4 take EUC (the high bits go before
// the JIS conversion); 1-4 pass the bytes unchanged to it.
//
// b0 is the character's first byte, b1 and b2 the two after it (0 past the
// end of the stream); `count` is how many high bytes the caller already wrote
// unconverted (from kMaxUnconvertedHighBytes on, EUC and JIS are no longer
// tried); `noCharConv` turns every conversion off. The character goes to
// sjisChar[0] and sjisChar[1] (0 for a single byte). Returns how many bytes
// after b0 it used (1 or 2), or 0 when nothing was converted: the caller then
// writes b0 unchanged and sjisChar is left as it was.
int ConvertCharToSjis(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, int mode, int count, bool noCharConv,
                      std::uint8_t* sjisChar);

}  // namespace textcodec
