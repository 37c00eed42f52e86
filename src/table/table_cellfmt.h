// The text of a cell as the ruled table shows it: number formats and the
// leading blanks of aligned cells. Shared by the rich-text and page writers.
#pragma once

#include <cstdint>
#include <string>

#include "table/table_walk.h"

namespace table {

// How a number format letter rewrites a plain decimal number.
struct NumberFormatRule {
  char letter;
  bool group;      // comma grouping of the integer part
  int decimals;    // decimal places: -1 keeps them, -2 takes the format's digits
};

// Padding corrections, by the class of the face.
struct PadCorrection {
  bool proportional;  // faces "P" and "N"
  int widthNum;       // the width in characters is W * num / den / U
  int widthDen;
  int extra;          // blanks added
  int narrowPerBlank; // one blank more per this many "," and "/" (0: none)
};
extern const NumberFormatRule kNumberFormats[];
extern const PadCorrection kPadCorrections[2];

// `text` as a decimal number rewritten by format `letter` (with `digits` for
// "f"); unchanged when the text is no plain number or the letter changes
// nothing.
std::string ApplyNumberFormat(const std::string& text, char letter, int digits);

// Horizontal alignment in effect: "V" becomes "R" when every non-blank byte
// is a digit or "!"-"/", else "L"; a number format without alignment is "R".
char EffectiveAlign(const std::string& text, const CellFormat& f);

// The cell text of [b, e) as shown: at most kWalk.cellBytes bytes; in the
// ruled display the quotes that open and close a quoted cell dropped; the
// number format applied; aligned "R" or "C" cells with trailing blanks
// removed and exactly the padding P of leading blanks. `widthTwips` is W[c].
std::string ShownCellText(const std::uint8_t* b, const std::uint8_t* e, const CellFormat& f, int widthTwips, int U,
                          bool ruledDisplay);

}  // namespace table
