// The colour codes of the colour-insert command: a selected "#rrggbb" read
// as a colour, and a chosen colour written as "#rrggbb" or "rrr,ggg,bbb".
// Also the enabling rule of the total-size row in the text view.
#pragma once

#include <cstdint>
#include <string>

namespace image::textview {

// The colour (0x00BBGGRR) of a selection that starts with '#': with more
// than 2 characters, its second to seventh characters as hexadecimal
// digits of 0xRRGGBB (a letter from 'a' counts its code - 87, from 'A' its
// code - 55, from '0' its code - 48, below '0' its code); 0 for "#" and
// "#x". False when the selection does not start with '#'.
bool ReadColourCode(const std::string& selected, std::uint32_t* colorref);

// "#rrggbb" (hex) or "%3d,%3d,%3d" of red, green and blue.
std::string FormatColourCode(std::uint32_t colorref, bool hex);

// The total-size row in the text view: enabled for file kinds 4 and 10 or
// with a selection.
bool TotalSizeEnabled(int fileKind, bool hasSelection);

}  // namespace image::textview
