// Print settings of the text view without windows: the four page margins
// (m_nPageMargin: top, bottom, left, right in hundredths of a millimetre,
// -99 while unset), how unset ones are filled from the packed print-spacing
// settings, the "printset" operand, and unit conversion for the page layout.
#pragma once

#include <cstdint>

#include "fw/cstring.h"

namespace viewui {

constexpr std::int32_t kMarginUnset = -99;
enum MarginIndex { kMarginTop = 0, kMarginBottom = 1, kMarginLeft = 2, kMarginRight = 3 };

// The margins the packed settings P0, P1, P2 ("prsp0-2") give: P0 and P1
// pack two two-digit values (millimetres), P2 four one-digit tenths.
void MarginsFromPrspace(const std::int32_t prspace[3], std::int32_t out[4]);

// Fills the unset (-99) margins from the packed settings; set ones stay.
// Returns how many were filled.
int FillUnsetMargins(std::int32_t margins[4], const std::int32_t prspace[3]);

// "printset a,b,c,d": four numbers (runs of digits; any other byte ends a
// number and is skipped), each × 100: a -> left, b -> top, c -> right,
// d -> bottom. An empty operand asks for FillUnsetMargins instead (false).
// Missing numbers leave their margins alone.
bool ParsePrintset(const CString& operand, std::int32_t margins[4]);

// Hundredths of a millimetre in twips (1/1440 inch), rounded.
int HundredthsMmToTwips(std::int32_t v);

// A4 in twips (210 x 297 mm), the page used when no printer is installed.
constexpr int kA4WidthTwips = 11906;
constexpr int kA4HeightTwips = 16838;

// The drawing rectangle of a page (twips) inside the margins; margins that
// are unset count 0 and a page smaller than its margins gives an empty
// rectangle (right = left, bottom = top).
struct TwipsRect {
  int left = 0, top = 0, right = 0, bottom = 0;
};
TwipsRect PageDrawRect(int pageWidthTwips, int pageHeightTwips, const std::int32_t margins[4]);

}  // namespace viewui
