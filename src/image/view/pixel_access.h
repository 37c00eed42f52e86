// Bounded access for the display transforms: a read at or past the source
// limit gives the last value read again, a write at or past the destination
// capacity is dropped. When a whole picture lies inside both buffers a
// transform runs the same loop over the unchecked forms instead, so the
// common case costs nothing per byte.
#pragma once

#include <cstdint>

#include "image/load/image_record.h"
#include "image/load/image_size.h"
#include "image/view/view_types.h"

namespace img {

struct CheckedSrc {
  const uint8_t* p;
  uint64_t lim;
  uint8_t last = 0;
  uint8_t operator()(uint64_t i) {
    if (i < lim) last = p[i];
    return last;
  }
};

struct CheckedDst {
  uint8_t* p;
  uint64_t cap;
  void operator()(uint64_t i, uint8_t v) {
    if (i < cap) p[i] = v;
  }
};

struct RawSrc {
  const uint8_t* p;
  uint64_t lim;
  uint8_t operator()(uint64_t i) const { return p[i]; }
};

struct RawDst {
  uint8_t* p;
  uint64_t cap;
  void operator()(uint64_t i, uint8_t v) const { p[i] = v; }
};

// Runs body(src, dst) over the unchecked accessors when `readEnd` bytes of
// the source and `writeEnd` bytes of the destination are inside the step's
// buffers, else over the checked ones.
template <class Body>
void RunBounded(const PixelStep& s, uint64_t readEnd, uint64_t writeEnd, Body&& body) {
  if (readEnd <= s.srcLimit && writeEnd <= s.dstCapacity) {
    RawSrc r{s.src, s.srcLimit};
    RawDst w{s.dst, s.dstCapacity};
    body(r, w);
  } else {
    CheckedSrc r{s.src, s.srcLimit};
    CheckedDst w{s.dst, s.dstCapacity};
    body(r, w);
  }
}

// The picture a header describes, with the numbers every transform needs.
struct PictureShape {
  int64_t width = 0;
  int64_t height = 0;
  int bits = 0;
  uint64_t stride = 0;
  int pixelBytes = 0;  // p: bits / 8, or 1 for 1 and 4 bits
  uint64_t Size() const { return stride * uint64_t(height); }
};

inline bool KnownBitCount(int bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// False for a bit count the pixel walks cannot step through or a width or
// height of 0 or less.
inline bool ReadShape(const uint8_t* info, PictureShape* out) {
  const DibHeader h = ReadDibHeader(info);
  PictureShape s;
  s.width = h.biWidth;
  s.height = h.biHeight;
  s.bits = h.biBitCount;
  if (!KnownBitCount(s.bits) || s.width <= 0 || s.height <= 0) return false;
  s.stride = DibStride(uint64_t(s.width), uint64_t(s.bits));
  s.pixelBytes = s.bits < 8 ? 1 : s.bits / 8;
  *out = s;
  return true;
}

// The largest side and image size a header may be given.
constexpr uint64_t kMaxSideOut = 0x7FFFFFFF;
constexpr uint64_t kMaxSizeOut = 0xFFFFFFFF;

// Writes the new width, height and image size (stride x height) into the
// header; false (header unchanged) when they do not fit its fields.
inline bool WriteShape(uint8_t* info, uint64_t width, uint64_t height) {
  if (width == 0 || height == 0 || width > kMaxSideOut || height > kMaxSideOut) return false;
  DibHeader h = ReadDibHeader(info);
  const uint64_t size = DibStride(width, h.biBitCount) * height;
  if (size > kMaxSizeOut) return false;
  h.biWidth = int32_t(width);
  h.biHeight = int32_t(height);
  h.biSizeImage = uint32_t(size);
  WriteDibHeader(info, h);
  return true;
}

// Blue, green and red of colour-table entry k (the table follows the header
// at biSize; an entry beyond the 2000-byte area reads as black).
inline const uint8_t* TableEntry(const uint8_t* info, uint32_t k) {
  static const uint8_t kBlack[4] = {0, 0, 0, 0};
  const uint64_t at = uint64_t(GetLe32(info)) + 4ull * k;
  return at + 4 <= kInfoArea ? info + at : kBlack;
}

}  // namespace img
