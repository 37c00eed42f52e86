// PNG loader: chunks walked by their length fields from the signature on,
// the image data inflated through the raw-deflate inflater, rows unfiltered
// (every pass of an interlaced picture into the picture's own rows), then
// turned into DIB rows: palette and grey below 8 bits as packed indices
// (2-bit rows spread to 4 bits), everything else as 24-bit pixels with alpha
// composited over the background.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fw/alloc.h"
#include "image/load/image_loaders.h"
#include "image/load/image_size.h"
#include "image/load/raw_inflate.h"

namespace img {

uint64_t WorkLimit(const LoadHost& host) { return uint64_t(host.textBufSize) + host.textBufSize2; }
uint64_t PixelLimit(const LoadHost& host) { return uint64_t(host.textBufSize) + 100000; }

namespace {

constexpr uint32_t kSlack = 100000;

struct Pass {
  uint32_t x0, dx, y0, dy;
};
const Pass kAdam7[7] = {{0, 8, 0, 8}, {4, 8, 0, 8}, {0, 4, 4, 8}, {2, 4, 0, 4},
                        {0, 2, 2, 4}, {1, 2, 0, 2}, {0, 1, 1, 2}};
const Pass kWhole = {0, 1, 0, 1};

struct Header {
  uint32_t width = 0, height = 0;
  uint8_t depth = 0, type = 0, interlace = 0;
  uint32_t channels = 0;
  uint32_t pixelBits = 0;  // depth x channels
};

bool ValidHeader(Header& h) {
  static const uint8_t kChannels[7] = {1, 0, 3, 1, 2, 0, 4};
  if (h.type > 6 || !kChannels[h.type]) return false;
  h.channels = kChannels[h.type];
  switch (h.type) {
    case 0: if (h.depth != 1 && h.depth != 2 && h.depth != 4 && h.depth != 8 && h.depth != 16) return false; break;
    case 3: if (h.depth != 1 && h.depth != 2 && h.depth != 4 && h.depth != 8) return false; break;
    default: if (h.depth != 8 && h.depth != 16) return false; break;
  }
  if (h.interlace > 1) return false;
  if (h.width == 0 || h.height == 0 || h.width > kMaxSide * 8 || h.height > kMaxSide) return false;
  h.pixelBits = uint32_t(h.depth) * h.channels;
  return true;
}

uint64_t PassCount(uint32_t size, uint32_t start, uint32_t step) {
  return size > start ? (uint64_t(size) - start + step - 1) / step : 0;
}

uint8_t Paeth(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return uint8_t(a);
  if (pb <= pc) return uint8_t(b);
  return uint8_t(c);
}

// Reverses one row's filter in place; prev is the previous row of the pass
// (nullptr for its first row).
void Unfilter(uint8_t filter, uint8_t* row, const uint8_t* prev, uint64_t n, uint32_t bpp) {
  switch (filter) {
    case 1:
      for (uint64_t i = bpp; i < n; ++i) row[i] = uint8_t(row[i] + row[i - bpp]);
      break;
    case 2:
      if (prev)
        for (uint64_t i = 0; i < n; ++i) row[i] = uint8_t(row[i] + prev[i]);
      break;
    case 3:
      for (uint64_t i = 0; i < n; ++i) {
        const int left = i >= bpp ? row[i - bpp] : 0, up = prev ? prev[i] : 0;
        row[i] = uint8_t(row[i] + ((left + up) >> 1));
      }
      break;
    case 4:
      for (uint64_t i = 0; i < n; ++i) {
        const int left = i >= bpp ? row[i - bpp] : 0, up = prev ? prev[i] : 0;
        const int ul = prev && i >= bpp ? prev[i - bpp] : 0;
        row[i] = uint8_t(row[i] + Paeth(left, up, ul));
      }
      break;
    default:  // 0 and unknown filter types: the bytes as they are
      break;
  }
}

// Sample k (of `bits` bits) of a packed row.
inline uint32_t Packed(const uint8_t* row, uint64_t k, uint32_t bits) {
  const uint64_t bit = k * bits;
  return (row[bit >> 3] >> (8 - bits - (bit & 7))) & ((1u << bits) - 1);
}
inline void PutPacked(uint8_t* row, uint64_t k, uint32_t bits, uint32_t v) {
  const uint64_t bit = k * bits;
  const int shift = int(8 - bits - (bit & 7));
  row[bit >> 3] = uint8_t((row[bit >> 3] & ~(((1u << bits) - 1) << shift)) | (v << shift));
}

struct Buffer {
  uint8_t* p = nullptr;
  ~Buffer() { fw::Free(p); }
};

}  // namespace

uint32_t LoadPngImage(LoadRecord& rec, LoadHost& host, const uint8_t* data, uint32_t length, uint8_t* info) {
  static const uint8_t kSig[8] = {137, 'P', 'N', 'G', 13, 10, 26, 10};
  if (length < 8 || std::memcmp(data, kSig, 4) != 0) return 0;
  Header h;
  bool haveHeader = false;
  uint8_t palette[256][4] = {};  // blue, green, red, 0
  uint8_t back[3] = {255, 255, 255};  // red, green, blue
  // Compressed data: the IDAT chunks' bytes in order, the zlib header of the
  // first one left out.
  struct Span {
    uint32_t at, n;
  };
  uint64_t packed = 0;
  Buffer spans;  // list of Span
  uint32_t spanCount = 0, spanCap = 0;
  uint64_t pos = 8;
  bool sawEnd = false;
  while (pos + 8 <= length && !sawEnd) {
    const uint32_t n = GetBe32(data + pos);
    const uint8_t* type = data + pos + 4;
    const uint64_t body = pos + 8;
    if (n > length || body + n > length) return 0;  // a chunk running past the data
    const uint8_t* d = data + body;
    if (!std::memcmp(type, "IHDR", 4)) {
      if (haveHeader || n < 13) return 0;
      h.width = GetBe32(d);
      h.height = GetBe32(d + 4);
      h.depth = d[8];
      h.type = d[9];
      h.interlace = d[12];
      if (!ValidHeader(h)) return 0;
      haveHeader = true;
    } else if (!std::memcmp(type, "IDAT", 4)) {
      if (!haveHeader) return 0;
      uint32_t at = uint32_t(body), len = n;
      if (spanCount == 0) {
        if (n < 2) return 0;
        at += 2;
        len -= 2;
      }
      if (spanCount == spanCap) {
        const uint32_t cap = spanCap ? spanCap * 2 : 16;
        void* grown = fw::Realloc(spans.p, size_t(cap) * sizeof(Span));
        if (!grown) {
          host.MessageBox(kStrOutOfMemory);
          return 0;
        }
        spans.p = static_cast<uint8_t*>(grown);
        spanCap = cap;
      }
      reinterpret_cast<Span*>(spans.p)[spanCount++] = Span{at, len};
      packed += len;
    } else if (!std::memcmp(type, "PLTE", 4)) {
      const uint32_t entries = std::min<uint32_t>(n / 3, 256);
      for (uint32_t k = 0; k < entries; ++k) {
        palette[k][0] = d[3 * k + 2];
        palette[k][1] = d[3 * k + 1];
        palette[k][2] = d[3 * k];
      }
    } else if (!std::memcmp(type, "tRNS", 4)) {
      if (haveHeader && h.type == 3) {
        const uint32_t entries = std::min<uint32_t>(n, 256);
        for (uint32_t k = 0; k < entries; ++k) {
          const uint8_t a = d[k];
          for (int c = 0; c < 3; ++c) palette[k][c] = palette[k][c] < a ? uint8_t(palette[k][c] + (255 - a)) : 255;
        }
      }
    } else if (!std::memcmp(type, "bKGD", 4)) {
      if (haveHeader && (h.type == 2 || h.type == 6) && h.depth == 8 && n >= 6) {
        back[0] = d[1];
        back[1] = d[3];
        back[2] = d[5];
      }
    } else if (!std::memcmp(type, "IEND", 4)) {
      sawEnd = true;
    }
    pos = body + n + 4;  // data and CRC
  }
  if (!haveHeader || spanCount == 0) return 0;

  // Sizes of the unfiltered data, exact per pass.
  const bool interlaced = h.interlace == 1;
  const Pass* passes = interlaced ? kAdam7 : &kWhole;
  const int passCount = interlaced ? 7 : 1;
  const uint32_t bpp = std::max<uint32_t>(1, h.pixelBits / 8);
  uint64_t raw = 0;
  for (int p = 0; p < passCount; ++p) {
    const uint64_t cols = PassCount(h.width, passes[p].x0, passes[p].dx);
    const uint64_t rows = PassCount(h.height, passes[p].y0, passes[p].dy);
    if (!cols || !rows) continue;  // an empty pass stores nothing
    raw += rows * (1 + (cols * h.pixelBits + 7) / 8);
  }
  const uint64_t rowBytes = (uint64_t(h.width) * h.pixelBits + 7) / 8;
  const uint64_t limit = WorkLimit(host);
  if (raw > limit || packed > limit) return 0;
  const uint64_t bufSize = std::max(packed + kZipLocalSize + 94 + kZipSpare, raw + 2) + 16;
  if (bufSize > 0x7FFFFFFF) return 0;
  Buffer buf;
  buf.p = static_cast<uint8_t*>(fw::Alloc(size_t(bufSize)));
  if (!buf.p) {
    host.MessageBox(kStrOutOfMemory);
    return 0;
  }
  {
    uint64_t o = 0;
    const Span* s = reinterpret_cast<const Span*>(spans.p);
    for (uint32_t k = 0; k < spanCount; ++k) {
      std::memcpy(buf.p + o, data + s[k].at, s[k].n);
      o += s[k].n;
    }
  }
  const int32_t inflated = host.InflateRaw(buf.p, int32_t(packed), int32_t(raw + 1), 2);
  if (inflated < 0) {
    if (inflated == -9) host.MessageBox(kStrOutOfMemory);
    return 0;
  }
  // Whatever the stream did not supply reads as 0 (a short stream).
  const uint64_t filled = std::min<uint64_t>(uint64_t(inflated), raw + 1);
  std::memset(buf.p + filled, 0, size_t(bufSize - filled));

  // Unfilter into the picture's rows: in place without interlace, else pass
  // by pass into a separate picture.
  Buffer picture;
  uint8_t* rows = nullptr;
  uint64_t rowPitch = 0;  // bytes from one picture row to the next
  if (!interlaced) {
    rowPitch = rowBytes + 1;
    const uint8_t* prev = nullptr;
    for (uint64_t y = 0; y < h.height; ++y) {
      uint8_t* r = buf.p + y * rowPitch;
      Unfilter(r[0], r + 1, prev, rowBytes, bpp);
      prev = r + 1;
    }
    rows = buf.p + 1;
  } else {
    const uint64_t picSize = uint64_t(h.height) * rowBytes;
    if (picSize > limit) return 0;
    picture.p = static_cast<uint8_t*>(fw::Alloc(size_t(picSize) + 16));
    if (!picture.p) {
      host.MessageBox(kStrOutOfMemory);
      return 0;
    }
    std::memset(picture.p, 0, size_t(picSize) + 16);
    uint64_t at = 0;
    for (int p = 0; p < passCount; ++p) {
      const Pass& ps = passes[p];
      const uint64_t cols = PassCount(h.width, ps.x0, ps.dx);
      const uint64_t prows = PassCount(h.height, ps.y0, ps.dy);
      if (!cols || !prows) continue;
      const uint64_t pb = (cols * h.pixelBits + 7) / 8;
      const uint8_t* prev = nullptr;
      for (uint64_t r = 0; r < prows; ++r) {
        uint8_t* row = buf.p + at;
        Unfilter(row[0], row + 1, prev, pb, bpp);
        prev = row + 1;
        uint8_t* dst = picture.p + (ps.y0 + r * ps.dy) * rowBytes;
        for (uint64_t c = 0; c < cols; ++c) {
          const uint64_t x = ps.x0 + c * ps.dx;
          if (h.pixelBits >= 8)
            std::memcpy(dst + x * bpp, row + 1 + c * bpp, bpp);
          else
            PutPacked(dst, x, h.pixelBits, Packed(row + 1, c, h.pixelBits));
        }
        at += 1 + pb;
      }
    }
    rows = picture.p;
    rowPitch = rowBytes;
  }

  // Output depth and the DIB rows.
  const bool indexed = h.type == 3 || (h.type == 0 && h.depth < 8);
  uint32_t outBits = 24;
  if (indexed) outBits = h.depth == 2 ? 4 : h.depth;
  const uint64_t stride = DibStride(h.width, outBits);
  if (stride > kMaxSide) return 0;
  const uint64_t outSize = stride * h.height;
  if (outSize + kSlack > PixelLimit(host) + kSlack) return 0;
  if (!AllocLoadBits(rec, host, outSize + kSlack)) return 0;
  const uint32_t sampleBytes = h.depth == 16 ? 2 : 1;
  const bool alpha = h.type == 4 || h.type == 6;
  bool light = false;
  for (uint64_t y = 0; y < h.height; ++y) {
    const uint8_t* s = rows + y * rowPitch;
    uint8_t* d = rec.m_pLoadBits + (h.height - 1 - y) * stride;
    if (indexed) {
      if (h.depth == 2) {
        for (uint64_t x = 0; x < h.width; ++x) PutPacked(d, x, 4, Packed(s, x, 2));
      } else {
        std::memcpy(d, s, size_t(rowBytes));
      }
      continue;
    }
    for (uint64_t x = 0; x < h.width; ++x, d += 3) {
      const uint8_t* px = s + x * h.channels * sampleBytes;
      uint32_t r, g, b, a = 255;
      if (h.channels <= 2) {
        r = g = b = px[0];
        if (alpha) a = px[sampleBytes];
      } else {
        r = px[0];
        g = px[sampleBytes];
        b = px[2 * sampleBytes];
        if (alpha) a = px[3 * sampleBytes];
      }
      if (alpha) {
        if (x == 1) light = r + g + b > 750 && a < 20;
        const uint32_t inv = 255 - a;
        if (inv >= 33) {
          r = ((r * a) >> 8) + ((back[0] * inv) >> 8);
          g = ((g * a) >> 8) + ((back[1] * inv) >> 8);
          b = ((b * a) >> 8) + ((back[2] * inv) >> 8);
        } else if (a >= 241 && light && r + g + b > 750) {
          r = g = b = 0;
        }
      }
      d[0] = uint8_t(b);
      d[1] = uint8_t(g);
      d[2] = uint8_t(r);
    }
  }

  // Header and colour table.
  uint32_t colours = 0;
  std::memset(info, 0, kInfoArea);
  uint8_t* table = info + kHeaderSize;
  if (indexed) {
    colours = outBits == 8 ? 256 : outBits == 4 ? 16 : 2;
    if (h.type == 3) {
      std::memcpy(table, palette, 4 * colours);
    } else {
      for (uint32_t k = 0; k < colours; ++k) {
        uint8_t v;
        if (h.depth == 1) v = k ? 255 : 0;
        else if (h.depth == 2) v = uint8_t(k < 4 ? k * 85 : 0);
        else v = uint8_t(k * 17);
        table[4 * k] = table[4 * k + 1] = table[4 * k + 2] = v;
      }
    }
  }
  DibHeader out;
  out.biWidth = int32_t(h.width);
  out.biHeight = int32_t(h.height);
  out.biBitCount = uint16_t(outBits);
  out.biSizeImage = uint32_t(outSize);
  // Resolution only for palette and grey pictures (depth x 3 for colour ones is 24 or more).
  out.biXPelsPerMeter = out.biYPelsPerMeter = (h.type == 2 || h.type == 6) ? 0 : 3780;
  out.biClrUsed = colours;
  WriteDibHeader(info, out);
  if (rec.m_nTrimMode == 0) {
    char text[32];
    std::snprintf(text, sizeof text, "Ping %d bit", int(outBits));
    host.StatusText(text);
  }
  return 1;
}

}  // namespace img
