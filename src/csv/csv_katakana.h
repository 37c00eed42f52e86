// Full-width katakana to half-width (JIS X 0201) by the second byte of a
// Shift-JIS character led by 0x83.
#pragma once

namespace csv {

// -1 when the byte is below 0x40 or above 0x96. Otherwise the half-width
// letter in the low byte and, for a voiced or semi-voiced letter, the mark
// (0xDE or 0xDF) in the high byte: writers emit the low byte first. Letters
// that the half-width set lacks are approximated: ヮ by ﾜ, ヰ by ｲ, ヱ by
// ｴ, ヵ by ｵ, ヶ by ｸ; ヴ is ｳﾞ (0xDEB3); 0x7F, no character, gives 0xA0.
int KatakanaToHalfWidth(int secondByte);

}  // namespace csv
