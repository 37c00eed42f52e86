// The rich-text grid table: selected text lines become the rows and cells of
// an RTF table ("\trowd" ... "\cell" ... "\row"). TAB and '|' separate the
// cells; a line that starts with a line mark becomes a 20-twip ruled row
// whose cells are underlined in the mark's style. The window side reads the
// lines, their paragraph spacing and the pixel positions of their
// separators; everything else is decided here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace table {

// Line marks and their kinds: '~' 1 (separates, no underline), '-' 2,
// '=' 3, ':' 4, ';' 5, '!' 6, '^' 7, '+' 8 (drawn as '-').
constexpr int kGridMarkNone = 0;
constexpr int kGridMarkPlain = 2;  // '-', also the mark assumed on an unmarked first or last line

// Bytes of one line the conversion reads (longer lines are cut there).
constexpr std::size_t kGridLineLimit = 3500;
// Height of a ruled row, in twips.
constexpr int kGridRuleTwips = 20;
// Narrowest cell, in twips: separators closer than this still give a cell.
constexpr int kGridMinCellTwips = 60;
// Pixel positions are clamped to this (a cell edge stays a small number).
constexpr int kGridMaxPixel = 100000;

// The kind of the mark character `c` (0 for a byte that is no mark).
int GridMarkKind(unsigned char c);
// The underline word of a kind ("" for kind 1 and for no mark).
const char* GridUnderlineWord(int kind);

// The mark of a line. A line that begins with a separator takes the byte
// after it as its mark; otherwise the first byte must be a mark and, when
// the line has a separator, the byte after the first separator must be a
// mark too or the line must end there ("-|-" is a rule, "-5|10" is text).
int GridLineMark(std::string_view line);

// Character positions (a double-byte character counts once) of the
// separators of a line, and its length in characters.
std::vector<std::uint32_t> GridSeparatorChars(std::string_view line);
std::uint32_t GridCharCount(std::string_view line);

// The cells of a line split at TAB and '|' (never inside a double-byte
// character).
std::vector<std::string> GridCells(std::string_view line);

// A cell edge from a pixel position: 15 twips a pixel and 150 twips of room.
int GridCellX(int pixel);

struct GridLine {
  std::string text;             // the line's bytes (CP932) without its line end
  // Pixel x of each separator, then of the line's end. When the count does
  // not match the separators, positions of 8 pixels a character are taken.
  std::vector<int> edgePixels;
  int spacingTwips = 0;         // the paragraph's exact line spacing (0: none)
};

// A line as GridLine with positions of `charPixels` a character (tests,
// fuzzing).
GridLine GridLineFromText(std::string_view text, int charPixels = 8, int spacingTwips = 0);

// One row as written: its cell count and its height in twips.
struct GridRowShape {
  int cells = 0;
  int twips = 0;
};

// The rich text of the grid table of `lines` with the font size
// `fontHalfPoints` (the selection's character height; 2 to 3276 is kept,
// anything else becomes 24). `shapes`, when given, receives one entry per
// row (a reader that drops exact spacing gets the heights set again).
std::string WriteGridTable(const std::vector<GridLine>& lines, int fontHalfPoints,
                           std::vector<GridRowShape>* shapes = nullptr);

}  // namespace table
