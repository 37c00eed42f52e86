#include "image/load/dib_convert.h"

#include <algorithm>
#include <cstring>

#include "image/load/image_size.h"

namespace img {
namespace {

// One channel of a BI_BITFIELDS mask: shift to its low bit, width in bits.
struct MaskChannel {
  uint32_t mask = 0;
  int shift = 0;
  int bits = 0;
  uint8_t Take(uint32_t v) const {
    if (!mask) return 0;
    uint32_t c = (v & mask) >> shift;
    if (bits >= 8) return uint8_t(c >> (bits - 8));
    return uint8_t(c << (8 - bits));
  }
};

MaskChannel MakeChannel(uint32_t mask) {
  MaskChannel c;
  c.mask = mask;
  if (!mask) return c;
  while (!((mask >> c.shift) & 1)) ++c.shift;
  uint32_t m = mask >> c.shift;
  while (m & 1) {
    ++c.bits;
    m >>= 1;
  }
  c.mask = ((c.bits >= 32 ? 0xFFFFFFFFu : ((1u << c.bits) - 1)) << c.shift);
  return c;
}

}  // namespace

uint32_t ConvertDibPixels(const uint8_t* src, uint8_t* dst, uint8_t* info, uint32_t srcLength, uint32_t dstLength,
                          uint32_t infoLength) {
  DibHeader h = ReadDibHeader(info);
  const uint32_t bits = h.biBitCount;
  const uint32_t tableAt = h.biSize;
  uint8_t table[256][3] = {};
  if (bits <= 8) {
    for (uint32_t k = 0; k < 256; ++k) {
      const uint64_t at = uint64_t(tableAt) + 4 * k;
      if (at + 3 > infoLength) break;
      table[k][0] = info[at];
      table[k][1] = info[at + 1];
      table[k][2] = info[at + 2];
    }
  }
  const bool masks = h.biCompression == 3 && (bits == 16 || bits == 32) && infoLength >= 52;
  MaskChannel mr, mg, mb;
  if (masks) {
    mr = MakeChannel(GetLe32(info + 40));
    mg = MakeChannel(GetLe32(info + 44));
    mb = MakeChannel(GetLe32(info + 48));
  }
  auto finish = [&](uint32_t rows, uint64_t written) {
    h.biSize = kHeaderSize;
    h.biClrUsed = 0;
    h.biXPelsPerMeter = h.biYPelsPerMeter = 3780;
    if (bits != 24) {
      h.biBitCount = 24;
      h.biCompression = 0;
      h.biHeight = int32_t(rows);
      h.biSizeImage = uint32_t(DibStride(uint32_t(h.biWidth), 24) * rows);
    }
    WriteDibHeader(info, h);
    return uint32_t(written + 3);
  };
  if (bits == 24 || h.biWidth <= 0 || h.biHeight <= 0 ||
      (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 32))
    return finish(0, 0);
  const uint64_t w = uint32_t(h.biWidth);
  const uint64_t srcStride = DibStride(w, bits);
  const uint64_t dstStride = DibStride(w, 24);
  const uint64_t rowBytes = (w * bits + 7) / 8;
  uint64_t srcLimit = srcLength;
  if (h.biSizeImage) srcLimit = std::min<uint64_t>(srcLimit, h.biSizeImage);
  uint32_t rows = 0;
  uint64_t written = 0;
  for (uint64_t y = 0; y < uint64_t(h.biHeight); ++y) {
    const uint64_t s0 = y * srcStride, d0 = y * dstStride;
    // Whole destination rows only, alignment bytes included.
    if (s0 + rowBytes > srcLimit || d0 + dstStride > dstLength) break;
    const uint8_t* s = src + s0;
    uint8_t* d = dst + d0;
    switch (bits) {
      case 32:
        for (uint64_t x = 0; x < w; ++x, s += 4, d += 3) {
          if (masks) {
            const uint32_t v = GetLe32(s);
            d[0] = mb.Take(v);
            d[1] = mg.Take(v);
            d[2] = mr.Take(v);
          } else {
            d[0] = s[0];
            d[1] = s[1];
            d[2] = s[2];
          }
        }
        break;
      case 16:
        for (uint64_t x = 0; x < w; ++x, s += 2, d += 3) {
          const uint8_t lo = s[0], hi = s[1];
          if (masks) {
            const uint32_t v = uint32_t(lo) | uint32_t(hi) << 8;
            d[0] = mb.Take(v);
            d[1] = mg.Take(v);
            d[2] = mr.Take(v);
          } else {
            d[0] = uint8_t((lo & 31) * 8);
            d[1] = uint8_t((hi & 3) * 64 + ((lo >> 2) & 56));
            d[2] = uint8_t((hi & 124) * 2);
          }
        }
        break;
      case 8:
        for (uint64_t x = 0; x < w; ++x, d += 3) std::memcpy(d, table[s[x]], 3);
        break;
      case 4:
        for (uint64_t x = 0; x < w; ++x, d += 3) {
          const uint8_t b = s[x >> 1];
          std::memcpy(d, table[(x & 1) ? (b & 15) : (b >> 4)], 3);
        }
        break;
      case 1:
        for (uint64_t x = 0; x < w; ++x, d += 3) std::memcpy(d, table[(s[x >> 3] >> (7 - (x & 7))) & 1], 3);
        break;
    }
    std::memset(dst + d0 + 3 * w, 0, size_t(dstStride - 3 * w));
    written = d0 + dstStride;
    ++rows;
  }
  return finish(rows, written);
}

}  // namespace img
