#include "image/textview/colour_code.h"

#include <cstdio>

namespace image::textview {

namespace {

// A code character's digit value. Characters that are no hex digit are not
// refused: they count by the same ranges (below '0': the code itself).
std::uint32_t CodeDigit(unsigned char c) {
  if (c >= 'a') return c - 87u;
  if (c >= 'A') return c - 55u;
  if (c >= '0') return c - 48u;
  return c;
}

}  // namespace

bool ReadColourCode(const std::string& selected, std::uint32_t* colorref) {
  if (selected.empty() || selected[0] != '#') return false;
  std::uint32_t v = 0;
  if (selected.size() > 2) {
    for (std::size_t i = 1; i < selected.size() && i <= 6; ++i) {
      v = v * 16 + CodeDigit(static_cast<unsigned char>(selected[i]));
    }
  }
  const std::uint32_t r = (v >> 16) & 0xFF;
  const std::uint32_t g = (v >> 8) & 0xFF;
  const std::uint32_t b = v & 0xFF;
  if (colorref != nullptr) *colorref = r | (g << 8) | (b << 16);
  return true;
}

std::string FormatColourCode(std::uint32_t colorref, bool hex) {
  const unsigned r = colorref & 0xFF;
  const unsigned g = (colorref >> 8) & 0xFF;
  const unsigned b = (colorref >> 16) & 0xFF;
  char text[32];
  if (hex) {
    std::snprintf(text, sizeof text, "#%06x", r * 65536 + g * 256 + b);
  } else {
    std::snprintf(text, sizeof text, "%3u,%3u,%3u", r, g, b);
  }
  return text;
}

bool TotalSizeEnabled(int fileKind, bool hasSelection) {
  return fileKind == 4 || fileKind == 10 || hasSelection;
}

}  // namespace image::textview
