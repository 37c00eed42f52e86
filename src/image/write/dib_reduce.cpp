#include "image/write/dib_reduce.h"

#include <cstring>

#include "image/load/image_record.h"
#include "image/load/image_size.h"

namespace img {
namespace {
// Blue, green, red of the 16-entry table.
const uint8_t kTable16[16][3] = {{0, 0, 0},       {0, 0, 128},     {0, 128, 0},     {0, 128, 128},
                                 {128, 0, 0},     {128, 0, 128},   {128, 128, 0},   {128, 128, 128},
                                 {192, 192, 192}, {0, 0, 255},     {0, 255, 0},     {0, 255, 255},
                                 {255, 0, 0},     {255, 0, 255},   {255, 255, 0},   {255, 255, 255}};
const uint8_t kLevels8[8] = {0, 32, 64, 96, 128, 160, 192, 255};
const uint8_t kLevels4[4] = {0, 64, 128, 255};
}  // namespace

uint8_t Reduce8(uint8_t b, uint8_t g, uint8_t r) { return uint8_t((r & 224) + ((g >> 3) & 28) + (b >> 6)); }

uint8_t Reduce4(uint8_t b, uint8_t g, uint8_t r) {
  if (b < 160 && g < 160 && r < 160) return uint8_t((b > 80 ? 4 : 0) + (g > 80 ? 2 : 0) + (r > 80 ? 1 : 0));
  return uint8_t(8 + (b > 160 ? 4 : 0) + (g > 160 ? 2 : 0) + (r > 160 ? 1 : 0));
}

uint8_t Reduce1(uint8_t b, uint8_t g, uint8_t r) { return unsigned(b) + g + r > 430 ? 1 : 0; }

void WriteReducedTable(uint8_t* t, uint32_t bits) {
  if (bits == 1) {
    std::memset(t, 0, 8);
    t[4] = t[5] = t[6] = 255;
  } else if (bits == 4) {
    for (int k = 0; k < 16; ++k) {
      t[4 * k] = kTable16[k][0];
      t[4 * k + 1] = kTable16[k][1];
      t[4 * k + 2] = kTable16[k][2];
      t[4 * k + 3] = 0;
    }
  } else {
    for (int r = 0; r < 8; ++r)
      for (int g = 0; g < 8; ++g)
        for (int b = 0; b < 4; ++b) {
          uint8_t* e = t + 4 * (r * 32 + g * 4 + b);
          e[0] = kLevels4[b];
          e[1] = kLevels8[g];
          e[2] = kLevels8[r];
          e[3] = 0;
        }
  }
}

int32_t ReduceDib24(const uint8_t* src, uint8_t* dst, uint8_t* info, uint32_t bits, int32_t srcLength,
                    int32_t dstLength) {
  DibHeader h = ReadDibHeader(info);
  if ((bits != 8 && bits != 4 && bits != 1) || h.biBitCount != 24 || h.biWidth <= 0 || h.biHeight <= 0) return 0;
  const uint64_t w = uint32_t(h.biWidth);
  const uint64_t srcStride = DibStride(w, 24), dstStride = DibStride(w, bits);
  const uint64_t srcLen = srcLength > 0 ? uint64_t(srcLength) : 0, dstLen = dstLength > 0 ? uint64_t(dstLength) : 0;
  uint64_t rows = 0;
  for (uint64_t y = 0; y < uint64_t(h.biHeight); ++y) {
    if (y * srcStride + 3 * w > srcLen || (y + 1) * dstStride > dstLen) break;
    const uint8_t* s = src + y * srcStride;
    uint8_t* d = dst + y * dstStride;
    std::memset(d, 0, size_t(dstStride));
    for (uint64_t x = 0; x < w; ++x, s += 3) {
      if (bits == 8) {
        d[x] = Reduce8(s[0], s[1], s[2]);
      } else if (bits == 4) {
        d[x >> 1] = uint8_t(d[x >> 1] | Reduce4(s[0], s[1], s[2]) << ((x & 1) ? 0 : 4));
      } else {
        d[x >> 3] = uint8_t(d[x >> 3] | Reduce1(s[0], s[1], s[2]) << (7 - (x & 7)));
      }
    }
    ++rows;
  }
  h.biSize = kHeaderSize;
  h.biBitCount = uint16_t(bits);
  h.biCompression = 0;
  h.biClrUsed = 0;
  h.biXPelsPerMeter = h.biYPelsPerMeter = 3780;
  h.biHeight = int32_t(rows);
  h.biSizeImage = uint32_t(rows * dstStride);
  WriteDibHeader(info, h);
  WriteReducedTable(info + kHeaderSize, bits);
  return int32_t(rows * dstStride);
}

}  // namespace img
