// One character to Shift-JIS through the code-page 932 tables and the JIS
// arithmetic.
#include "core/textcodec/charconv.h"

#include "core/textcodec/sjis_map.h"

namespace textcodec {

int ConvertCharToSjis(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, int mode, int count, bool noCharConv,
                      std::uint8_t* sjisChar) {
  if (noCharConv) return 0;
  if (b0 >= 0xC0 && (mode == 1 || mode == 5)) {
    int used;
    std::uint16_t code;
    if (b0 >= 0xF0) {
      // A four-byte sequence: a character beyond the code page.
      used = 2;
      code = kNoSjis;
    } else if (b0 >= 0xE0) {
      used = 2;
      code = UnicodeToSjis(static_cast<char32_t>((b0 & 0x0F) << 12 | (b1 & 0x3F) << 6 | (b2 & 0x3F)));
    } else {
      used = 1;
      code = UnicodeToSjis(static_cast<char32_t>((b0 & 0x3F) << 6 | (b1 & 0x3F)));
    }
    if (code == kNoSjis) code = '?';  // the code page's default character
    sjisChar[0] = static_cast<std::uint8_t>(code > 0xFF ? code >> 8 : code);
    sjisChar[1] = static_cast<std::uint8_t>(code > 0xFF ? code & 0xFF : 0);
    return used;
  }
  const bool anyPair = mode == 2 || mode == 3;
  if ((b0 >= 0xA1 || anyPair) && count < kMaxUnconvertedHighBytes && (b1 >= 0xA0 || anyPair)) {
    if (mode == 0 || mode > 4) {
      b0 = static_cast<std::uint8_t>(b0 + 0x80);
      b1 = static_cast<std::uint8_t>(b1 + 0x80);
    }
    const std::uint16_t code = JisToSjis(static_cast<std::uint16_t>(b0 << 8 | b1));
    if (code == 0) return 0;  // no JIS X 0208 code: the byte stays
    sjisChar[0] = static_cast<std::uint8_t>(code >> 8);
    sjisChar[1] = static_cast<std::uint8_t>(code & 0xFF);
    return 1;
  }
  return 0;
}

}  // namespace textcodec
