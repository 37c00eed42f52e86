// How the view lays a picture out in its text pane: the filler text whose
// extent gives the scroll range, the pages of a tall picture (in the page
// form and when no display bitmap of the whole can be made), the bands a
// larger previous picture leaves to erase, and the scroll restored from the
// transform code. Portable; the painter carries it out on the window.
#pragma once

#include <cstdint>
#include <string>

namespace img {

// Colours-used of a header that gives 0: 256, 16 or 2 for 8, 4 or 1 bits.
uint32_t ColoursUsed(uint32_t clrUsed, uint32_t bits);

// --- Filler text ------------------------------------------------------------

// Line height in pixels the filler's line count assumes: a line at least
// this tall lets (height / 20 + 2) line breaks cover the picture.
constexpr int32_t kFillerLinePixels = 20;

// (width / 8 + 2) blanks with a fixed-pitch font, else (width / 4 + 2); then
// an ideographic space (or "." when `dot`), (height / 20 + 2) line breaks and
// the space or dot again. `ideographicSpace` is the character's bytes in the
// text's encoding. `lineHeight` is the control's line pitch in pixels: a
// pitch below 20 counts the breaks by it (height / lineHeight + 2), so the
// text, whose extent is the scroll range, still reaches the picture's last
// row; 0 (not known) or 20 and above keep 20.
std::string ImageFillerText(int64_t width, int64_t height, bool fixedPitch, bool dot,
                            const std::string& ideographicSpace, int32_t lineHeight = kFillerLinePixels);

// The line breaks of the filler text for a picture `height` rows tall.
int64_t FillerLineBreaks(int64_t height, int32_t lineHeight);

// --- Pages in the page form ---------------------------------------------------

constexpr int32_t kPageRowsUpTo8Bits = 3800;
constexpr int32_t kPageRowsAbove8Bits = 3200;
constexpr int32_t kPageWrap = 1000;  // m_nImagePage from 1000 on: wrapped round

struct PagePlan {
  bool paged = false;     // the picture is cut to one page
  int32_t rowsPerPage = 0;
  int32_t first = 1;      // first and last row shown, from 1 at the top
  int32_t last = 0;
  int32_t rows = 0;       // rows of the page (at least 1)
  // Offset of the page's rows in the bottom-up buffer, in rows from the
  // buffer's start.
  int64_t bufferRow = 0;
};

// The page `page` (m_nImagePage modulo 1000) of a picture `height` rows tall
// at `bits` per pixel: paged when it has 3800 rows or more, or above 8 bits
// more than 3200; a page past the end keeps one row.
PagePlan PlanEmbedPage(int32_t height, int32_t bits, int32_t page);

// --- The display bitmap's rows ------------------------------------------------

// The first row (from the bottom of the bottom-up buffer) of `rows` rows of
// page `page` of a picture `height` rows tall: height - (page + 1) x rows,
// 0 when negative.
int64_t PageStartRow(int64_t height, int64_t rows, int64_t page);

constexpr int kBitmapAttempts = 20;
constexpr int32_t kBitmapCut = 400;

// The rows of the next attempt after one that made no bitmap: cut to a
// multiple of 400 and 400 less (0 ends the attempts).
int32_t NextAttemptRows(int32_t rows);

struct WrappedPage {
  int32_t rows = 0;       // rows of the final bitmap
  int32_t page = 0;       // the new m_nImagePage (page % 1000 + 1000 when past the top)
  int64_t startRow = 0;   // first row in the bottom-up buffer
  int32_t first = 1;      // rows shown, from 1 at the top
  int32_t last = 0;
};

// A cut bitmap of `rows` rows: when the page lies past the top the rows
// shrink by the overshoot and the page is marked wrapped, starting at the
// buffer's first row.
WrappedPage PlanCutPage(int64_t height, int32_t rows, int32_t page);

// --- Erase bands --------------------------------------------------------------

// Width (or height) of the band a larger previous picture leaves: previous -
// current + 50, clamped to 200-1000.
int32_t EraseBand(int64_t previous, int64_t current);

// --- Scroll restore ----------------------------------------------------------------

struct ScrollRestore {
  bool restore = false;
  int32_t vertical = 0;
  int32_t horizontal = 0;
};

// A transform code above 9: v = code / 10; vertical (v / 10) x 100,
// horizontal (v % 10) x 100.
ScrollRestore ScrollFromTransformCode(uint32_t code);

// --- Page keys -----------------------------------------------------------------------

// The page a page key goes to: +1 or -1, never below 0; -1 when the key
// does nothing (the picture is not paged).
int32_t PageAfterKey(int32_t page, int delta, bool paged);

}  // namespace img
