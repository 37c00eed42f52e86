// The size a metafile is played at: the placeable key of a Windows
// metafile (bounding box and units per inch at 96.2 pixels per inch), the
// frame of an enhanced metafile, the reductions of very large pictures and
// the zoom resolution. Only arithmetic on the file's bytes; the playback
// itself is the platform's.
//
// Every product is taken in 64 bits and every divisor is checked: a units
// per inch of 0, reference millimetres of 0 or a box that runs backwards
// give the default size (100 x 60) instead of a division by zero or a
// negative side, and a size that is still too large after the reductions is
// refused (the caller shows string 152) instead of wrapping.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace img {

constexpr int kMetafileDefaultWidth = 100;
constexpr int kMetafileDefaultHeight = 60;
constexpr size_t kPlaceableHeaderSize = 22;

// Whether the file is played as an enhanced metafile: its name ends in
// "emf" in any case, or its first bytes carry the " EMF" signature at offset
// 40. `head` may be null when no bytes are at hand.
bool IsEnhancedMetafile(const std::string& path, const uint8_t* head, size_t n);

// A Windows metafile's start: with the placeable key the size from its box,
// the metafile after the 22-byte header, and whether the picture frame is
// passed to the conversion (not when the byte at offset 35 is set).
struct WinMetafileStart {
  bool placeable = false;
  int width = kMetafileDefaultWidth;
  int height = kMetafileDefaultHeight;
  size_t offset = 0;      // where the metafile records begin
  bool passFrame = true;  // METAFILEPICT given to the conversion
  // METAFILEPICT: mapping mode 1 (MM_TEXT) with the size as extents.
  int mapMode = 1;
};
WinMetafileStart ReadWinMetafileStart(const uint8_t* data, size_t n);

// The fields of an enhanced header that give its size (ENHMETAHEADER:
// rclFrame at 24 in 0.01 mm, szlDevice at 72 in pixels, szlMillimeters at 80).
struct EnhancedFrame {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  int32_t deviceX = 0, deviceY = 0;
  int32_t millimetresX = 0, millimetresY = 0;
};
// False when fewer than 88 bytes are given.
bool ReadEnhancedFrame(const uint8_t* header, size_t n, EnhancedFrame* frame);

// Pixels of an enhanced metafile: ((frame x 100 / millimetres) x device +
// 5000) / 10000 + 1 per side. A side that comes out below 1 or a reference
// of 0 millimetres gives the default size for both sides.
void EnhancedMetafileSize(const EnhancedFrame& f, int64_t* width, int64_t* height);

// The bitmap a metafile is played into.
struct MetafileBitmap {
  int64_t width = 0;
  int64_t height = 0;
  int reduce = 1;          // 1, 2 or 8: the view's m_nImageReduce
  int zoomLevel = 5;       // the zoom level after the render
  bool zoomApplied = false;  // the level returned to 5 (1:1)
  uint64_t stride = 0;     // 24-bit rows
  uint64_t imageSize = 0;  // stride x height
  bool tooLarge = false;   // beyond `limit`: nothing is allocated
};

// From the played size: height at least 1, the reductions (above 20,000,000
// pixels both sides halved, above 40,000,000 divided by 8), then, when
// `zoomRender` (the view's m_bInternalKey is 1 or more), the zoom level's
// resolution. `limit` is the largest pixel block allowed.
MetafileBitmap PlanMetafileBitmap(int64_t width, int64_t height, bool zoomRender, int zoomLevel, uint64_t limit);

}  // namespace img
