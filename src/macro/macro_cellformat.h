// The cell-format items of the ATR function ("#ATR:B,CFF0000,P12,AR"):
// character and paragraph formats that the view applies to a range of
// lines and cells of the displayed table.
#pragma once

#include <cstdint>

#include "fw/cstring.h"

namespace macro {

// A switch an item sets, clears or leaves alone.
enum class FormatSwitch : std::uint8_t { kKeep, kOn, kOff };

struct CellFormat {
  FormatSwitch bold = FormatSwitch::kKeep;
  FormatSwitch italic = FormatSwitch::kKeep;
  FormatSwitch underline = FormatSwitch::kKeep;
  FormatSwitch strike = FormatSwitch::kKeep;
  std::int32_t textColour = -1;   // 0x00BBGGRR, -1 unchanged
  std::int32_t backColour = -1;   // 0x00BBGGRR, -1 unchanged
  std::int32_t points = 0;        // character size, 0 unchanged
  char align = 0;                 // 'L', 'C', 'R'; 0 unchanged
};

constexpr int kCellFormatMaxPoints = 72;

// Reads the items of `text`, separated by ',', ';' or blanks:
//   B I U S      bold, italic, underline, strike out ("-B" switches it off)
//   CRRGGBB      text colour (hexadecimal red, green, blue)
//   KRRGGBB      background colour
//   Pn           size in points, 1-72
//   AL AC AR     paragraph alignment
// Items are read case-insensitively; a later item overrides an earlier one.
// False for an unknown or malformed item, with *errorAt its byte index; an
// empty text is no format (false, *errorAt 0).
bool ParseCellFormat(const CString& text, CellFormat* format, int* errorAt);

// The byte span of columns firstCol..lastCol (from 1; cells separated by TAB
// or 0x06) in one displayed line of `length` bytes: [*start, *end). A
// lastCol below firstCol or past the line runs to its end; false when the
// line has no column firstCol.
bool CellSpanInLine(const char* line, int length, int firstCol, int lastCol, int* start, int* end);

}  // namespace macro
