// The clip buffer as an in-memory BMP file: the 14-byte file header ("BM",
// total size, zero reserved words, offset of the rows), the info header and
// colour table, then the rows bottom-up, each padded to 4 bytes. Writing
// fills the header of a copy; reading takes a clip's layout from untrusted
// bytes, checking every size against the buffer.
#pragma once

#include <cstddef>
#include <cstdint>

namespace image {

constexpr int64_t kClipFileHeaderBytes = 14;
constexpr int64_t kClipInfoHeaderBytes = 40;   // the smallest info header
constexpr int64_t kClipPlainHeaderBytes = 54;  // file header + 40-byte info header
constexpr int64_t kClipInfoLimit = 2000;       // info header + colour table kept by the view

// Colours of the colour table: the header's count, or when it is 0 the full
// table of 2, 16 or 256 entries at 1, 4 or 8 bits (none above 8 bits).
int64_t ClipColourCount(int bits, uint32_t coloursUsed);

// The layout of a clip: what the file header and the info header say.
struct ClipLayout {
  int bits = 24;
  int64_t infoSize = kClipInfoHeaderBytes;  // info header bytes
  int64_t colours = 0;                      // colour table entries
  int64_t width = 0;                        // pixels
  int64_t rows = 0;
  int64_t stride = 0;                       // bytes per row, a multiple of 4
  int64_t pixelOffset = kClipPlainHeaderBytes;  // 14 + info + 4 x colours
  int64_t pixelBytes = 0;                   // stride x rows
  int64_t FileBytes() const { return pixelOffset + pixelBytes; }
};

// Writes the header of a copied clip: the first 54 bytes zeroed, "BM", the
// total size (offset of rows + pixel bytes), the offset of rows; behind it
// the info header and colour table taken from `info` (infoSize + 4 x colours
// bytes), then the fields the copy sets: height = rows, size of image =
// pixel bytes, bit count, planes 1, colours used 0, width, header size.
// False (nothing written) when `info` or `clip` is too small for that.
bool WriteClipHeader(const ClipLayout& layout, const uint8_t* info, size_t infoBytes, uint8_t* clip,
                     size_t clipBytes);

enum class ClipError {
  kNone,
  kTruncated,   // shorter than its header or its rows
  kNotBitmap,   // no "BM"
  kBadHeader,   // info size, colour table or row offset out of range
  kBadSize,     // width or height not positive
  kBadBits,     // a bit count a clip never has
};

// The one text for each ClipError.
const char* ClipErrorText(ClipError e);

// Reads the layout of the clip in `data` (size bytes): the file header's
// offset of rows (bytes 10-11), the info header's size, width, height, bit
// count and colour count. Accepted only when the header and all the rows
// lie inside the buffer and the offset of rows lies between the info
// header's end and 14 + 2000 bytes; bottom-up rows only. The colour count is cut to the room between
// the info header and the rows (a copy writes 0 behind a shorter table).
struct ClipReadResult {
  ClipError error = ClipError::kNone;
  ClipLayout layout;
  bool ok() const { return error == ClipError::kNone; }
};
ClipReadResult ReadClipLayout(const uint8_t* data, size_t size);

// Whether the buffer starts with "BM".
bool ClipHasSignature(const uint8_t* data, size_t size);

}  // namespace image
