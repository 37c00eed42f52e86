// Full-width digits (Shift-JIS 0x824F-0x8258, U+FF10-U+FF19) to the ASCII
// digits '0'-'9': in a CSV working buffer, closed up in place, and as the
// places of the digits in a text the rich-edit control gives in UTF-16.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace csv {

// Walks text[0..*len) one Shift-JIS character at a time (lead bytes
// 0x81-0x9F and 0xE0-0xFC take the next byte with them; a lead byte at the
// end stands alone) and turns each full-width digit into its ASCII digit;
// every other character is copied as it is. The text closes up in place,
// *len becomes the new length (never longer) and a NUL is written at it when
// `nulAfter` is set (the buffer must then hold *len + 1 bytes). Returns the
// number of digits turned.
std::uint32_t FullWidthDigitsToAscii(std::uint8_t* text, std::uint32_t* len, bool nulAfter);

// The ASCII digit of a full-width digit U+FF10-U+FF19, 0 for any other unit.
char AsciiDigitOfUnit(char16_t unit);

// The positions (UTF-16 units from the start) of the full-width digits of
// `text`, ascending. A surrogate pair is never a digit, so the positions are
// the control's character positions.
std::vector<std::size_t> FullWidthDigitPlaces(const std::u16string& text);

}  // namespace csv
