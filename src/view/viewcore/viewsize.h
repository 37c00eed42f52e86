// Display size of the text view: the text and table size indexes (1-11),
// which one a kind uses, the font height they give, and zoom steps.
#pragma once

namespace viewcore {

constexpr int kSizeIndexMin = 1;
constexpr int kSizeIndexMax = 11;

int ClampSizeIndex(int index);

// The table index serves kinds 3, 33 and 36 and any source form above 0;
// every other display uses the text index.
bool UsesTableSize(int fileKind, int sourceForm);

// Font height in twips of a size index: (index * 3 + 9) * 10, the index
// first clamped to 1-11 (120 to 420 twips).
int FontHeightTwips(int sizeIndex);

struct SizeIndexes {
  int text = 5;   // m_nTxtsiz
  int table = 5;  // m_nTblsiz
};

// The index the display of `fileKind` / `sourceForm` uses.
int DisplaySizeIndex(const SizeIndexes& sizes, int fileKind, int sourceForm);
// Font height in twips for that display.
int DisplayFontHeightTwips(const SizeIndexes& sizes, int fileKind, int sourceForm);

// Zoom in (+1) or out (-1): steps the index of the shown kind within 1-11.
// Returns true when it changed (the window side then re-lays the text).
bool ZoomStep(SizeIndexes& sizes, int fileKind, int sourceForm, int step);

}  // namespace viewcore
