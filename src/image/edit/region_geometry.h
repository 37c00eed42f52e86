// The geometry of an image region: its corners in order, the rectangle a copy
// takes, the scan lines it covers (rows are stored bottom-up, so the region
// from top to bottom is scan line height - bottom up to height - top) and
// its byte span in a row. Pure arithmetic over plain numbers; every size is
// 64-bit and a result past kRegionMaxBytes is refused, which the window side
// reports as its out-of-memory message.
#pragma once

#include <cstdint>

#include "fw/geometry.h"

namespace image {

// The largest data size (clip, undo, work rows) a region may need. The BMP
// header's size fields are 32-bit and every buffer gets kRegionSpareBytes on
// top, so the data stays well inside that range.
constexpr int64_t kRegionMaxBytes = 0x7FFFFFFF - (1 << 20);
constexpr int64_t kRegionSpareBytes = 10000;  // every buffer is this much larger

// The corners in min/max order (the region may be stored in any order).
CRect NormalizeRegion(const CRect& r);

// A region is marked when its stored right is not below 0 (-1 x 4 is "none").
inline bool HasRegion(const CRect& r) { return r.right >= 0; }

// The rectangle a copy takes: the region normalised, or with no region the
// whole picture (0, 0, width, height); in that case with drag state 0 the
// view also makes it the region.
struct CopyRect {
  CRect rect;
  bool wholeImage = false;
  bool storeAsRegion = false;
};
CopyRect PickCopyRect(const CRect& sel, int imageWidth, int imageHeight, int dragState);

// The rectangle a restore puts back: the clip's region when there is no
// region and the drag state is above 0, else the region, normalised. False
// when the chosen rectangle's stored right is negative (nothing to restore).
bool PickRestoreRect(const CRect& sel, const CRect& clipRect, int dragState, CRect* out);

// Scan lines of a normalised rectangle in a picture `height` rows tall:
// first = height - bottom, end = height - top (exclusive). Either may lie
// outside 0 .. height; Inside*() is the part that exists in the picture.
struct LineRange {
  int64_t first = 0;
  int64_t end = 0;
  int64_t Rows() const { return end - first; }
  int64_t InsideFirst(int64_t height) const;
  int64_t InsideEnd(int64_t height) const;
  bool Contains(int64_t line) const { return line >= first && line < end; }
};
LineRange RegionLines(const CRect& normalised, int imageHeight);

// A pixel column as a byte offset in a row: x x bits / 8 above 8 bits per
// pixel; at 8 bits or fewer the column number itself is used.
int64_t RegionByteOffset(int64_t x, int bits);

// Bytes of one row of `width` pixels at `bits` per pixel, without padding,
// and the row stride (padded to a multiple of 4). -1 for a negative width
// or an unusable bit count.
int64_t RowDataBytes(int64_t width, int bits);
int64_t RowStride(int64_t width, int bits);

// The background colour (a COLORREF, 0x00BBGGRR) as the byte at row
// position `pos`: blue, green, red by position mod 3.
inline uint8_t BackgroundByte(uint32_t colorref, int64_t pos) {
  const int64_t k = (pos % 3 + 3) % 3;
  return uint8_t(k == 0 ? colorref >> 16 : k == 1 ? colorref >> 8 : colorref);
}

// n rounded up to a multiple of 4 (n >= 0).
inline int64_t RoundUp4(int64_t n) { return (n + 3) / 4 * 4; }

// a x b when both are >= 0 and the product stays within kRegionMaxBytes;
// -1 otherwise.
int64_t CheckedRegionProduct(int64_t a, int64_t b);

// a + b under the same limit; -1 when either is negative or the sum is past it.
int64_t CheckedRegionSum(int64_t a, int64_t b);

}  // namespace image
