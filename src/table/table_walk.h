// The table walk: what a ruled table's text says about its blocks, rows and
// cells, measured in twips and half-points. The rich-text writer and the
// page writer both read a table through it; nothing here knows either
// output form.
//
// A block runs from its first row (the block index's start rows) to the row
// before the next block. Its settings come from its directive line ("XL"),
// its column codes from its format row, its widths from its width row and
// its content. Every number read from the text saturates, and no value ever
// indexes past the tables below.
#pragma once

#include <cstdint>
#include <vector>

#include "csv/csv_buffer.h"

namespace table {

// The fixed tables of the walk (columns past them get the default width and
// no format of their own).
struct WalkLimits {
  int columns;        // widths and column format records
  int lineCells;      // cells of a row with line codes of their own
  int blanks;         // blanks standing in for a tab past the tab-stop columns
  int widthChars;     // characters of one width-row field
  int cellBytes;      // bytes of a cell read
  int tabColumns;     // columns laid out on tab stops (the control keeps 32 stops)
  int maxFontSize;    // half-points
  int maxRowHeight;   // half-points
};
extern const WalkLimits kWalk;

// Reads the decimal digits at text[*i..n) and advances *i past all of them;
// the value saturates at `cap`. Returns -1 (and leaves *i) when no digit.
int ReadDigitsSaturated(const std::uint8_t* text, std::size_t n, std::size_t* i, int cap);

// Colour-table index of a colour letter (0 = no colour).
int ColourIndex(std::uint8_t letter);

// One line style after mapping: '0' none, '1' thin, '2' thick, '9' none of
// its own (the neighbour's counts); 0 = not set.
std::uint8_t MapLineStyle(std::uint8_t code);

// Settings of a block from its directive line.
struct BlockSettings {
  bool directive = false;   // the first line is an "XL" directive (not a row)
  std::uint8_t paper = 0;   // paper letter 'a'-'v', 0 = none
  bool widthModeS = false;  // "S": the "<" row gives widths
  int fontSize = 0;         // "F" digits: base font size in half-points (0 = unset)
  int lineHeight = 0;       // "h" digits n: line base 2 n half-points (0 = unset)
  int defaultWidth = 0;     // "W" digits: default column width in characters 1-99 (0 = unset)
  bool titleMark = false;   // "~": a title mark paragraph after the opening
  int scale = 100;          // "%" digits
  int margin[4] = {-99, -99, -99, -99};  // "T", "B", "L", "R" digits x 100
};

// True when the row [b, e) is a directive line; fills `s`.
bool ReadDirective(const std::uint8_t* b, const std::uint8_t* e, BlockSettings* s);

// Attributes that codes may set. Every field has "not set" (0 or mask 0),
// so that cell codes, row codes, column codes and block defaults combine.
struct FormatCodes {
  std::uint8_t align = 0;       // 'L', 'C', 'R', 'V'
  std::uint8_t valign = 0;      // 'T', 'M', 'B'
  std::uint8_t numFormat = 0;   // 'c', 'i', 'g', 's', 'm', 'd', 'v', 'f'
  std::uint8_t numDigits = 0;   // decimals of 'f' (default 2)
  std::uint8_t line[2] = {0, 0};        // left/right (columns, cells) or top/bottom (rows)
  std::uint8_t lineColour[2] = {0, 0};  // colour-table indexes of the two lines
  std::uint8_t textColour = 0;  // colour-table index
  std::uint8_t backColour = 0;
  std::uint8_t face = 0;        // 1-4 = J M P N
  std::uint8_t fontSize = 0;    // half-points
  std::uint8_t attrs = 0;       // bit 0 bold, 1 underline, 2 italic, 3 strike, 7 "x"
  std::uint8_t attrMask = 0;    // which attribute bits are set (a cell's "K" clears all four)
  std::uint8_t ruleFlag = 0;    // "Z"/"z": no rule under this column
  std::uint8_t span[3] = {0, 0, 0};
  bool hasLineCodes = false;    // digits or "_" among the codes
  int width = 0;                // "w" digits (characters)
  // Row codes.
  bool rangeStart = false;      // "<"
  bool rangeEnd = false;        // ">"
  int height = -1;              // R in half-points; -1 = not set
  int mark = 0;                 // 1 "P", 2 "p"
  int ruleSpan = -1;            // "q" digits; -1 = not set
};

enum CodeKind { kColumnCodes, kRowCodes, kCellCodes };

// Reads the codes of `kind` from [b, e) (the text after the "^", up to the
// next "^" or control byte) into `f`.
void ReadCodes(const std::uint8_t* b, const std::uint8_t* e, CodeKind kind, FormatCodes* f);

// A cell split into its codes and its text: a cell beginning "^" carries
// codes up to the next "^" (or control byte); the text follows that "^".
struct CellSplit {
  bool caret = false;  // the cell begins with "^"
  const std::uint8_t* codesBegin = nullptr;
  const std::uint8_t* codesEnd = nullptr;   // equal: no codes
  const std::uint8_t* textBegin = nullptr;
  const std::uint8_t* textEnd = nullptr;
};
CellSplit SplitCell(const std::uint8_t* b, const std::uint8_t* e);

// Row kinds of the walk.
enum RowKind {
  kRowData = 0,      // rendered as a table row
  kRowPlain,         // "$", "~" or control bytes only: a row without codes
  kRowBang,          // a '!' line: never a row paragraph
  kRowDirective,     // the block's "XL" line
  kRowObject,        // "Im", "Re", "Li", "TH", "TV": object definitions
  kRowWidth,         // the width row of mode "S"
};

// One row of the text.
struct RowText {
  std::uint32_t number = 0;   // 0-based row number
  const std::uint8_t* begin = nullptr;
  const std::uint8_t* end = nullptr;  // row end (before CR/LF)
};

// Splits [b, e) at 0x06 into cells (appends to `cells`, cleared first).
void SplitRow(const std::uint8_t* b, const std::uint8_t* e, std::vector<CellSplit>* cells);

// Everything the walk knows about a block before its rows are written.
struct BlockLayout {
  std::uint32_t firstRow = 0;  // 0-based rows [firstRow, endRow)
  std::uint32_t endRow = 0;
  BlockSettings settings;
  int F = 21;                   // base font size (half-points)
  int H = 21;                   // line base (half-points)
  int U = 115;                  // character unit (twips)
  int columns = 0;              // the block's column count (cells of its widest row)
  std::vector<int> W;           // widths in twips, one per column up to kWalk.columns
  std::vector<FormatCodes> fmt; // column format records, as many
  int defaultW = 115;           // width of a column past the tables
  int Width(int c) const { return c >= 0 && c < static_cast<int>(W.size()) ? W[static_cast<std::size_t>(c)] : defaultW; }
  const FormatCodes* Format(int c) const {
    return c >= 0 && c < static_cast<int>(fmt.size()) ? &fmt[static_cast<std::size_t>(c)] : nullptr;
  }
  std::int64_t formatRow = -1;  // row giving the column codes (-1 none)
  std::int64_t ltRow = -1;      // row holding "<" (table range start)
  std::int64_t gtRow = -1;      // row holding ">" (the range ends before it)
  std::int64_t widthRow = -1;   // width row of mode "S"
  std::int64_t firstTableRow = -1;  // first row that is no '!' line nor directive
  // Which row kind each row of the block is (index: row - firstRow).
  std::vector<std::uint8_t> kinds;
};

// Lays out the block of `rows` (all rows of the block, in order). `rowArg`
// is the font height in tenths of a point (<= 0: 21 half-points).
void LayoutBlock(const std::vector<RowText>& rows, int rowArg, BlockLayout* out);

// Row kind of a row of the block (format codes not yet taken into account).
RowKind ClassifyRow(const RowText& row, bool firstOfBlock);

// The effective format of one cell: cell codes, then the row's codes, then
// the column's record, then the block's defaults.
struct CellFormat {
  std::uint8_t align = 0, valign = 0, numFormat = 0, numDigits = 2;
  std::uint8_t leftLine = '1';      // '0', '1', '2', '9'
  std::uint8_t leftColour = 0;      // colour index of the left line (0 = plain)
  std::uint8_t textColour = 0, backColour = 0;
  int face = 0;                     // 0 = block default, 1-4
  int fontSize = 0;                 // half-points
  bool bold = false, underline = false, italic = false, strike = false;
  bool ownLineCodes = false;        // the cell carries line codes of its own
};
CellFormat EffectiveFormat(const BlockLayout& block, const FormatCodes& row, int column,
                           const FormatCodes* cell);

// Measured width of a cell text in twips (U per byte, quotes toggling and
// not counted, a trail byte never a quote).
std::int64_t MeasureCell(const std::uint8_t* b, const std::uint8_t* e, int U);

// Tab-stop positions of a block: stop 0 at 0, with 'D' stop 1 at 200 (with
// 'd' at 20), then one per column edge. `count` columns; all positions are
// returned (the writer keeps the first 32).
std::vector<std::int64_t> TabStops(const BlockLayout& block, int cmd);

}  // namespace table
