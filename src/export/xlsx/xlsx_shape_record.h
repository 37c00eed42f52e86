// One object of a sheet's format section ("!%"): a format region, a merge,
// the filter, a text box or callout, a drawn shape or a picture. The format
// section reader fills the records, the cell and worksheet writers read the
// regions, merges and filter from them, and the drawing writer draws the
// shapes and pictures.
//
// The 22 bytes of `rec` have one layout for every reader. For cells and
// regions they are the positions of a cell format record (alignment 0,
// number type 1, borders 2, 3, 10, 11, protection 4, font colour 5, fill 6,
// font flags 7, size 8, inner borders 9, border colours 12-15, kind 19).
// For drawn objects the positions are the ones the drawing reads (see
// docs/export.md, "Text boxes and shapes in the object record"):
//
//   0-1  the shape line's first letters ("Li", "Re", "El", "pi", 'A'/'f' and
//        the preset line digit in 1); for a text box 0 is unused
//   2-4  line width digit, dash digit, line colour letter (the line code is
//        2 to 9, copied while above '/'; only 2-4 choose the line)
//   5    fill letter of kinds R, E, A, f; font colour letter of text boxes;
//        '!' here (arrow ends) stops the line code and takes the place of
//        the fill
//   6-7  text box fill letter in 6; after '!', head and tail end letters
//   8    font size digit
//   11   text box style flags: '_' + flags (1 bold, 2 underline, 4 italic,
//        8 strike; bits 4-6 the font family), so '_' means none
//   12   fill transparency digit of kinds R, E, A, f; text box alignment
//        (a cell alignment code: high six bits horizontal, low two vertical)
//   13   text box fill transparency digit
//   19   kind letter
//
// The positions of cells and text boxes differ only where a text box needs
// a place of its own: its alignment (cell 0, box 12), its flags (cell 7,
// box 11), its fill transparency (box 13, since 12 holds its alignment) and
// its border colour (the first '#' letter becomes the line colour, 4). The
// Set* helpers below choose the position by the record's kind, so that a
// code written into a text box's format line lands where the drawing reads it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace xlsx {

// Bytes of a row, column or object format record.
constexpr int kFormatRecordLength = 22;
// Objects per sheet.
constexpr int kMaxShapeRecords = 500;

// The bytes of a 22-character row, column or object format record as the
// writers read them: its first 16 positions have the meanings of
// XlsxCellStyleRecord; 16-18 three limit digits, 19 an object's kind letter,
// 20 a row's height code ('@' + pixels). '_' or NUL = not set; '@' in
// position 0 = no alignment.
struct XlsxRecordBytes {
  unsigned char c[kFormatRecordLength];
};

// '@', '_' everywhere else, NUL in positions 7 and 9.
XlsxRecordBytes DefaultRecordBytes();

// Record positions by what reads them.
namespace shapepos {
constexpr int kAlign = 0;        // cells: alignment code
constexpr int kPreset = 1;       // kinds A, f: preset line digit
constexpr int kLineWidth = 2;    // line code starts here
constexpr int kLineDash = 3;
constexpr int kLineColour = 4;
constexpr int kFill = 5;         // kinds R, E, A, f (and '!')
constexpr int kFontColour = 5;   // text boxes
constexpr int kBoxFill = 6;      // text boxes
constexpr int kHeadEnd = 6;      // after '!' in 5
constexpr int kTailEnd = 7;
constexpr int kCellFlags = 7;    // cells: font flags as bits
constexpr int kSize = 8;
constexpr int kLineCodeEnd = 10; // line code is 2 to 9
constexpr int kBoxStyle = 11;    // text boxes: '_' + flags
constexpr int kAlpha = 12;       // kinds R, E, A, f
constexpr int kBoxAlign = 12;    // text boxes
constexpr int kBoxAlpha = 13;    // text boxes
constexpr int kBorderColours = 12;  // cells: 12-15
constexpr int kKind = 19;
}  // namespace shapepos

// Kinds of the drawing (position 19).
inline bool IsTextBoxKind(unsigned char k) { return k == 'T' || k == 't' || k == 'b' || k == 'c'; }
inline bool IsDrawnKind(unsigned char k) {
  return IsTextBoxKind(k) || k == 'L' || k == 'R' || k == 'E' || k == 'A' || k == 'f' || k == 'p';
}

// Special from-column values.
constexpr std::int64_t kConditionObject = -9999;  // from-row holds the condition's text offset
constexpr std::int64_t kLaidObject = -9998;       // already laid on the grid
// A cell reference with an offset: number * kCellScale + offset.
constexpr std::int64_t kCellScale = 100000;
// The rotation of a shape is stored as degrees * kDegreeScale + adjusts.
constexpr std::int64_t kDegreeScale = 1000000;

struct XlsxShapeRecord {
  XlsxRecordBytes rec;
  // From and to cell (or x, y, width, height of a shape); a value of
  // kCellScale or more carries an offset. 64 bits: a row times 100000
  // passes 32 bits from row 21,475 on.
  std::int64_t fromCol = 0, fromRow = 0, toCol = 0, toRow = 0;
  // Degrees * 1000000 + first adjust + second adjust * 1000.
  std::int64_t rotation = 0;
  // Byte offset in the CSV text of the object's text: a text box's text, a
  // preset's digits or name (kinds A, f), a picture's file name; -1 none.
  std::int64_t textPos = -1;

  XlsxShapeRecord() { Reset(); }
  // A new object: '@', eight '_', NUL, then '_'.
  void Reset() {
    rec.c[0] = '@';
    for (int i = 1; i < kFormatRecordLength; ++i) rec.c[i] = '_';
    rec.c[9] = 0;
    fromCol = fromRow = toCol = toRow = rotation = 0;
    textPos = -1;
  }
  unsigned char Kind() const { return rec.c[shapepos::kKind]; }
  bool IsTextBox() const { return IsTextBoxKind(Kind()); }
};

// --- Where a format line's codes go (text boxes by the drawing's reading) ---

// Horizontal alignment: the high six bits of `code` ('P', 'p', '`', 'T', 't'),
// the vertical bits kept.
inline void SetHorizontalAlign(XlsxShapeRecord& r, unsigned char code) {
  const int at = r.IsTextBox() ? shapepos::kBoxAlign : shapepos::kAlign;
  unsigned char cur = r.rec.c[at];
  if (r.IsTextBox() && (cur < '@' || cur > 0x7F || cur == '_')) cur = '@';
  r.rec.c[at] = static_cast<unsigned char>((code & 0xFC) | (cur & 3));
}
// Vertical alignment: 2 top, 1 middle, 3 bottom in the low two bits.
inline void SetVerticalAlign(XlsxShapeRecord& r, unsigned v) {
  const int at = r.IsTextBox() ? shapepos::kBoxAlign : shapepos::kAlign;
  unsigned char cur = r.rec.c[at];
  if (r.IsTextBox() && (cur < '@' || cur > 0x7F || cur == '_')) cur = '@';
  r.rec.c[at] = static_cast<unsigned char>((cur & 0xFC) | (v & 3));
}
// Font flags collected by a '%' part (bits 0-3 style, 4-6 family); none
// when 0.
inline void SetFontFlags(XlsxShapeRecord& r, unsigned flags) {
  if (flags == 0) return;
  if (r.IsTextBox())
    r.rec.c[shapepos::kBoxStyle] = static_cast<unsigned char>('_' + (flags & 0x7F));
  else
    r.rec.c[shapepos::kCellFlags] = static_cast<unsigned char>(flags);
}
// The transparency digit after a fill letter's '@'.
inline void SetFillAlpha(XlsxShapeRecord& r, unsigned char digit) {
  r.rec.c[r.IsTextBox() ? shapepos::kBoxAlpha : shapepos::kAlpha] = digit;
}
// The '#' border colour letters (up to four): cells 12-15; a text box takes
// the first as its line colour.
inline void SetBorderColours(XlsxShapeRecord& r, const unsigned char* letters, int n) {
  if (r.IsTextBox()) {
    if (n > 0) r.rec.c[shapepos::kLineColour] = letters[0];
    return;
  }
  for (int i = 0; i < n && i < 4; ++i) r.rec.c[shapepos::kBorderColours + i] = letters[i];
}

// --- Shape lines ("Li", "Re", "El", "pi", "Im", 'A', 'f') ---

// True when the line at text[at] is a shape line.
bool IsShapeLine(const char* text, std::size_t len, std::size_t at);

// What reading a shape line found.
struct XlsxShapeLine {
  bool shape = false;       // it was a shape line (the record is filled)
  bool picture = false;     // kind 'p': its file name is at record.textPos
  std::size_t next = 0;     // offset of the next line
};

// Reads the shape line at text[at] (the first field at `at`) into `r`, a
// fresh record that becomes record `index` (0-based) of the sheet:
//   - first field: positions 0-1, the kind (19); kinds A, f take P = at + 1;
//   - second field: digits to 2 ('1'/'2' before '4' stored as '3') and 3,
//     capitals to 4, small letters to 5 with '@' + digit to 12, '!' to 5
//     with the two end letters to 6 and 7;
//   - third field: up to seven numbers X1, Y1, X2, Y2, rotation, adjust 1,
//     adjust 2, separated by ':' or ';'; column letters make cell
//     references (* 100000 with the row after them), '%' an offset ('-' adds
//     90000, or 99999 from 9999), the rotation * 1000000 and the adjusts
//     (capped at 999, the second * 1000) added; after an end cell given by
//     letters the rotation is stored as 360 - degrees and each adjust as
//     1000 - value;
//   - a picture with two numbers: size X2, Y2 at X1 = 100, Y1 = (index + 1)
//     * 100; its file name is the next field (P points at it).
// Never reads at or past `len` or a NUL.
XlsxShapeLine ReadShapeLine(const char* text, std::size_t len, std::size_t at, std::uint32_t index,
                            XlsxShapeRecord& r);

// Reads the '$' part of a format line from text[at] (just after the '$') into
// `r`, up to a byte of 31 or less, '^', '%', '#' or another '$'; returns the
// offset of the byte that ended it. As a shape line's second field, except:
// '1'/'2' before '4' is stored as '4'; a small letter goes to 5 and 6 (a text
// box's to its fill, 6, alone); '!' puts '!' in 5 and the end letters in 6
// and 7; a transparency digit goes where SetFillAlpha puts it.
std::size_t ReadLinePart(const char* text, std::size_t len, std::size_t at, XlsxShapeRecord& r);

}  // namespace xlsx
