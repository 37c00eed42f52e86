#include "image/edit/region_clip.h"

#include <algorithm>
#include <cstring>

#include "image/edit/region_geometry.h"

namespace image {

namespace {

// Info header fields, offsets from its start.
constexpr size_t kInfoSize = 0, kInfoWidth = 4, kInfoHeight = 8, kInfoPlanes = 12, kInfoBitCount = 14,
                 kInfoSizeImage = 20, kInfoColoursUsed = 32;
// File header fields.
constexpr size_t kFileTotal = 2, kFileRowOffset = 10;

void Put16(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}
void Put32(uint8_t* p, uint32_t v) {
  Put16(p, v);
  Put16(p + 2, v >> 16);
}
uint32_t Get16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
uint32_t Get32(const uint8_t* p) { return Get16(p) | Get16(p + 2) << 16; }

const char* const kClipErrorTexts[] = {
    "",
    "the clip is shorter than its header or its rows",
    "the clip is not a bitmap",
    "the clip's header is out of range",
    "the clip's width or height is not positive",
    "the clip's bit count is not usable",
};

bool ClipBits(uint32_t bits) { return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32; }

}  // namespace

int64_t ClipColourCount(int bits, uint32_t coloursUsed) {
  if (coloursUsed) return coloursUsed;
  switch (bits) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
  }
}

const char* ClipErrorText(ClipError e) {
  const size_t i = size_t(e);
  return i < sizeof kClipErrorTexts / sizeof kClipErrorTexts[0] ? kClipErrorTexts[i] : "";
}

bool ClipHasSignature(const uint8_t* data, size_t size) { return size >= 2 && data[0] == 'B' && data[1] == 'M'; }

bool WriteClipHeader(const ClipLayout& l, const uint8_t* info, size_t infoBytes, uint8_t* clip, size_t clipBytes) {
  if (l.infoSize < kClipInfoHeaderBytes || l.colours < 0 || l.infoSize + 4 * l.colours > kClipInfoLimit) return false;
  const int64_t table = l.infoSize + 4 * l.colours;
  if (int64_t(infoBytes) < table || l.pixelOffset != kClipFileHeaderBytes + table) return false;
  if (int64_t(clipBytes) < l.pixelOffset || int64_t(clipBytes) < kClipPlainHeaderBytes) return false;
  if (l.FileBytes() > kRegionMaxBytes || l.width < 0 || l.rows < 0 || l.width > 0x7FFFFFFF) return false;
  std::memset(clip, 0, size_t(kClipPlainHeaderBytes));
  clip[0] = 'B';
  clip[1] = 'M';
  Put32(clip + kFileTotal, uint32_t(l.FileBytes()));
  Put16(clip + kFileRowOffset, uint32_t(l.pixelOffset));
  uint8_t* h = clip + kClipFileHeaderBytes;
  std::memcpy(h, info, size_t(table));
  Put32(h + kInfoHeight, uint32_t(l.rows));
  Put32(h + kInfoSizeImage, uint32_t(l.pixelBytes));
  Put16(h + kInfoBitCount, uint32_t(l.bits));
  Put16(h + kInfoPlanes, 1);
  Put32(h + kInfoColoursUsed, 0);
  Put32(h + kInfoWidth, uint32_t(l.width));
  Put32(h + kInfoSize, uint32_t(l.infoSize));
  return true;
}

ClipReadResult ReadClipLayout(const uint8_t* data, size_t size) {
  ClipReadResult r;
  if (size < size_t(kClipPlainHeaderBytes)) {
    r.error = ClipHasSignature(data, size) || size < 2 ? ClipError::kTruncated : ClipError::kNotBitmap;
    return r;
  }
  if (!ClipHasSignature(data, size)) {
    r.error = ClipError::kNotBitmap;
    return r;
  }
  const uint8_t* h = data + kClipFileHeaderBytes;
  ClipLayout& l = r.layout;
  l.infoSize = Get32(h + kInfoSize);
  const int64_t width = int32_t(Get32(h + kInfoWidth));
  const int64_t height = int32_t(Get32(h + kInfoHeight));
  const uint32_t bits = Get16(h + kInfoBitCount);
  if (l.infoSize < kClipInfoHeaderBytes || l.infoSize > kClipInfoLimit) {
    r.error = ClipError::kBadHeader;
    return r;
  }
  if (!ClipBits(bits)) {
    r.error = ClipError::kBadBits;
    return r;
  }
  l.bits = int(bits);
  const uint32_t used = Get32(h + kInfoColoursUsed);
  l.colours = ClipColourCount(l.bits, used);
  l.pixelOffset = Get16(data + kFileRowOffset);
  const int64_t headers = kClipFileHeaderBytes + l.infoSize;
  if (l.pixelOffset < headers || l.pixelOffset > kClipFileHeaderBytes + kClipInfoLimit) {
    r.error = ClipError::kBadHeader;
    return r;
  }
  if (headers > int64_t(size) || l.pixelOffset > int64_t(size)) {
    r.error = ClipError::kTruncated;
    return r;
  }
  // A copy writes "colours used" as 0 behind a shorter table: the rows'
  // offset bounds the table.
  l.colours = std::min(l.colours, (l.pixelOffset - headers) / 4);
  if (width <= 0 || height <= 0) {
    r.error = ClipError::kBadSize;
    return r;
  }
  l.width = width;
  l.rows = height;
  l.stride = RowStride(width, l.bits);
  l.pixelBytes = CheckedRegionProduct(l.stride, height);
  if (l.stride < 0 || l.pixelBytes < 0 || l.pixelBytes > int64_t(size) - l.pixelOffset) {
    r.error = ClipError::kTruncated;
    return r;
  }
  return r;
}

}  // namespace image
