// One character to Shift-JIS: the UTF-8, EUC and JIS paths, the modes, the
// count of unconverted bytes and the switch that turns conversion off.
#include "core/textcodec/charconv.h"

#include <gtest/gtest.h>

namespace {

struct Case {
  std::uint8_t b0, b1, b2;
  int mode, count;
  int used;          // return value
  unsigned result;   // first byte << 8 | second byte (when used > 0)
};

TEST(CharConv, Paths) {
  const Case cases[] = {
      {0xE3, 0x81, 0x82, 5, 0, 2, 0x82A0},   // あ, UTF-8 guessed
      {0xE3, 0x81, 0x82, 1, 0, 2, 0x82A0},   // declared
      {0xB0, 0xA1, 0x00, 6, 0, 1, 0x889F},   // 亜 in EUC
      {0xB0, 0xA1, 0x00, 0, 0, 1, 0x889F},
      {0xB0, 0xA1, 0x00, 6, 30, 0, 0},       // 30 bytes written unconverted: EUC is off
      {0xB0, 0xA1, 0x00, 6, 29, 1, 0x889F},
      {0xE3, 0x81, 0x82, 5, 30, 2, 0x82A0},  // UTF-8 still converts
      {0xC3, 0xA9, 0x00, 5, 0, 1, '?' << 8}, // é: no code-page form
      {0xC2, 0xA5, 0x00, 5, 0, 1, 0x5C00},   // ¥ as the code page writes it
      {0xEF, 0xBD, 0xB1, 5, 0, 2, 0xB100},   // ｱ: one byte, second cleared
      {0xF0, 0x9F, 0x98, 5, 0, 2, '?' << 8}, // four-byte sequence
      {0x30, 0x21, 0x00, 2, 0, 1, 0x889F},   // JIS in mode 2
      {0x24, 0x22, 0x00, 3, 0, 1, 0x82A0},
      {0x20, 0x22, 0x00, 2, 0, 0, 0},        // no JIS code: nothing
      {0xB0, 0xA1, 0x00, 1, 0, 0, 0},        // mode 1 passes high bytes unchanged: no JIS code
      {0xA4, 0x41, 0x00, 6, 0, 0, 0},        // second byte below 0xA0
      {0x41, 0x42, 0x43, 5, 0, 0, 0},        // ASCII
      {0xE3, 0x81, 0x82, 6, 0, 0, 0},        // UTF-8 bytes in EUC mode: the second byte is below 0xA0
  };
  for (const Case& c : cases) {
    std::uint8_t out[textcodec::kSjisCharBytes] = {0x55, 0x55, 0x55};
    const int used = textcodec::ConvertCharToSjis(c.b0, c.b1, c.b2, c.mode, c.count, false, out);
    EXPECT_EQ(c.used, used) << std::hex << int(c.b0) << " mode " << c.mode;
    if (used > 0) EXPECT_EQ(c.result, static_cast<unsigned>(out[0] << 8 | out[1])) << std::hex << int(c.b0);
    else EXPECT_EQ(0x55, out[0]);
    EXPECT_EQ(0x55, out[2]);
  }
}

TEST(CharConv, SwitchedOff) {
  std::uint8_t out[textcodec::kSjisCharBytes] = {};
  EXPECT_EQ(0, textcodec::ConvertCharToSjis(0xE3, 0x81, 0x82, 5, 0, true, out));
  EXPECT_EQ(0, textcodec::ConvertCharToSjis(0xB0, 0xA1, 0, 6, 0, true, out));
}

}  // namespace
