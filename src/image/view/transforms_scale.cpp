// Enlargement by repeat patterns and reduction by skip patterns: integer
// counts walked in order, restarted when exhausted, so no pixel needs
// arithmetic of its own. Enlargement repeats pixels (restarting the pattern
// at each row) and rows (continuing it across the picture); reduction steps
// over source units and samples or merges what it lands on.
#include <algorithm>
#include <cstring>
#include <type_traits>

#include "image/view/pixel_access.h"
#include "image/view/transforms.h"

namespace img {
namespace {

StepPattern Counts(std::initializer_list<int> counts, int skip) {
  StepPattern p;
  for (int c : counts) p.count[p.length++] = uint8_t(c);
  p.baseSkip = skip;
  return p;
}

bool FineEnlarge(int f) { return f >= 6 && f <= 9; }
bool FineReduce(int f) { return f >= 1 && f <= 9; }

// Cycles through an enlargement pattern.
struct RepeatWalk {
  const StepPattern& p;
  int i = 0;
  int Next() {
    const int c = p.count[i];
    if (++i >= p.length) i = 0;
    return c;
  }
};

// The reduction walk: each output takes its count (0 for the first output
// of a cycle) and the units it consumes.
struct SkipWalk {
  const StepPattern& p;
  int i = -1;  // -1: the first output of a cycle
  int count = 0;
  uint64_t Next() {
    uint64_t used;
    if (i < 0) {
      count = 0;
      used = 1 + uint64_t(p.baseSkip);
    } else {
      count = p.count[i];
      used = count == 3 ? 1 : uint64_t(count + p.baseSkip);
    }
    if (++i >= p.length) i = -1;
    return used;
  }
};

// Brightness of a colour-table entry: its three bytes read as signed values.
void TableBrightness(const uint8_t* info, int entries, int out[256]) {
  for (int k = 0; k < 256; ++k) {
    const uint8_t* e = TableEntry(info, uint32_t(k < entries ? k : 0));
    out[k] = k < entries ? int(int8_t(e[0])) + int(int8_t(e[1])) + int(int8_t(e[2])) : 0;
  }
}

inline bool Extremum(int x, int y, int z) { return (x < y && x < z) || (x > y && x > z); }

template <class Src>
inline uint8_t SubPixel(Src& r, uint64_t at, uint64_t x, int bits) {
  const uint64_t bit = x * uint64_t(bits);
  const uint8_t b = r(at + (bit >> 3));
  return uint8_t((b >> (8 - bits - int(bit & 7))) & ((1 << bits) - 1));
}

// The picture copied as it is (a reduction by 1 without a fine factor).
bool CopyPicture(const PixelStep& s, const PictureShape& in) {
  if (!WriteShape(s.info, uint64_t(in.width), uint64_t(in.height))) return false;
  const uint64_t n = std::min<uint64_t>(in.Size(), s.dstCapacity);
  RunBounded(s, n, n, [&](auto& r, auto& w) {
    for (uint64_t i = 0; i < n; ++i) w(i, r(i));
  });
  return true;
}

}  // namespace

StepPattern EnlargePattern(int m, int f) {
  if (!FineEnlarge(f)) return Counts({m}, 0);
  switch (m * 10 + f) {
    case 26: return Counts({1, 1, 1, 1, 2}, 0);
    case 27: return Counts({1, 2, 1, 1, 2}, 0);
    case 28: return Counts({2, 1, 2, 1, 2}, 0);
    case 29: return Counts({2, 2, 1, 2, 2}, 0);
    case 46: return Counts({2, 3, 2, 2, 3}, 0);
    case 47: return Counts({2, 3, 3, 3, 3}, 0);
    case 48: return Counts({4, 3, 3, 3, 3}, 0);
    case 49: return Counts({4, 3, 4, 3, 4}, 0);
    case 86: return Counts({4, 5, 5, 5, 5}, 0);
    case 87: return Counts({6, 5, 6, 5, 6}, 0);
    case 88: return Counts({6, 7, 6, 7, 6}, 0);
    case 89: return Counts({8, 7, 7, 7, 7}, 0);
    // 16 times: five counts that fill 5 x 16 x f / 10 pixels.
    case 166: return Counts({10, 9, 10, 9, 10}, 0);
    case 167: return Counts({11, 11, 12, 11, 11}, 0);
    case 168: return Counts({13, 13, 12, 13, 13}, 0);
    case 169: return Counts({14, 15, 14, 15, 14}, 0);
  }
  return Counts({m}, 0);
}

StepPattern ReducePattern(int d, int f) {
  if (!FineReduce(f)) return Counts({1}, d - 1);
  switch (d) {
    case 1:
      return f == 9 ? Counts({3, 3, 3, 3, 3, 3, 3, 3}, 1)
             : f == 8 ? Counts({3, 3, 3, 1, 3, 3, 3}, 1)
             : f == 7 ? Counts({3, 3, 1, 3, 1, 3}, 1)
                      : Counts({1, 3, 1, 1, 3}, 1);
    case 2:
      return f == 9 ? Counts({1, 1, 2, 1, 1, 2, 1, 1}, 1)
             : f == 8 ? Counts({2, 1, 2, 1, 2, 1, 2}, 1)
             : f == 7 ? Counts({2, 2, 2, 2, 2, 2}, 1)
                      : Counts({1, 2, 1, 1, 2}, (20 - f) / f);
    case 4:
      return f == 9 ? Counts({2, 1, 2, 1, 2, 1, 2, 1}, 3)
             : f == 8 ? Counts({1, 1, 1, 1, 1, 1, 1}, 4)
             : f == 7 ? Counts({2, 2, 2, 1, 2, 2}, 4)
                      : Counts({2, 2, 1, 2, 2}, (40 - f) / f);
    case 8:
      return f == 9 ? Counts({2, 2, 2, 2, 2, 2, 2, 2}, 7)
             : f == 8 ? Counts({1, 1, 1, 1, 1, 1, 1}, 9)
             : f == 7 ? Counts({1, 2, 1, 2, 1, 2}, 10)
                      : Counts({1, 2, 1, 1, 2}, (80 - f) / f);
    case 16:
      return f == 9 ? Counts({2, 2, 2, 2, 1, 2, 2, 2}, 16)
             : f == 8 ? Counts({1, 1, 1, 1, 1, 1, 1}, 19)
             : f == 7 ? Counts({2, 2, 2, 2, 2, 2}, 21)
                      : Counts({2, 2, 1, 2, 2}, (160 - f) / f);
  }
  return Counts({1}, d - 1);
}

bool EnlargeImage(const PixelStep& s, int m, int f) {
  PictureShape in;
  if (!ReadShape(s.info, &in)) return false;
  if (m != 2 && m != 4 && m != 8 && m != 16) return false;
  if (in.bits < 8) f = 0;
  const bool fine = FineEnlarge(f);
  const uint64_t W = uint64_t(in.width), H = uint64_t(in.height);
  const uint64_t outW = std::max<uint64_t>(1, fine ? W * uint64_t(f) / 10 * uint64_t(m) : W * uint64_t(m));
  const uint64_t outH = std::max<uint64_t>(1, fine ? H * uint64_t(f) / 10 * uint64_t(m) : H * uint64_t(m));
  if (!WriteShape(s.info, outW, outH)) return false;
  const uint64_t outStride = DibStride(outW, uint64_t(in.bits));
  const uint64_t rows = std::min<uint64_t>(outH, s.dstCapacity / outStride + 1);
  const StepPattern pat = EnlargePattern(m, f);
  const int p = in.pixelBytes;
  RunBounded(s, in.Size(), outStride * outH, [&](auto& r, auto& w) {
    RepeatWalk rowWalk{pat};
    uint64_t out = 0;  // output rows written, bottom row first
    for (uint64_t sy = 0; sy < H && out < rows; ++sy) {
      const int repeat = rowWalk.Next();
      const uint64_t at = sy * in.stride, o = out * outStride;
      const uint64_t room = std::min<uint64_t>(outStride, s.dstCapacity - std::min<uint64_t>(o, s.dstCapacity));
      const uint64_t xEnd = std::min<uint64_t>(outW, room / uint64_t(p) + 1);
      // The first copy of the row is built, the others copied from it.
      if (in.bits >= 8) {
        RepeatWalk colWalk{pat};
        uint64_t X = 0;
        for (uint64_t x = 0; x < W && X < xEnd; ++x) {
          const int c = colWalk.Next();
          for (int k = 0; k < c && X < xEnd; ++k, ++X)
            for (int b = 0; b < p; ++b) w(o + X * p + b, r(at + x * p + b));
        }
        for (uint64_t i = X * p; i < room; ++i) w(o + i, 0);
      } else {
        const int perByte = 8 / in.bits;
        for (uint64_t j = 0; j < room; ++j) {
          uint8_t v = 0;
          for (int k = 0; k < perByte; ++k) {
            const uint64_t X = j * perByte + k;
            if (X >= outW) break;
            v = uint8_t(v | SubPixel(r, at, X / uint64_t(m), in.bits) << (8 - in.bits * (k + 1)));
          }
          w(o + j, v);
        }
      }
      ++out;
      for (int k = 1; k < repeat && out < rows; ++k, ++out) {
        const uint64_t d = out * outStride;
        if constexpr (std::is_same_v<std::decay_t<decltype(w)>, RawDst>) {
          std::memcpy(s.dst + d, s.dst + o, outStride);
        } else {
          for (uint64_t i = 0; i < outStride && d + i < s.dstCapacity; ++i) w(d + i, s.dst[o + i]);
        }
      }
    }
    // Rows the pattern did not reach are left blank.
    for (; out < rows; ++out) {
      const uint64_t o = out * outStride;
      const uint64_t room = std::min<uint64_t>(outStride, s.dstCapacity - std::min<uint64_t>(o, s.dstCapacity));
      for (uint64_t i = 0; i < room; ++i) w(o + i, 0);
    }
  });
  return true;
}

bool ReduceImage(const PixelStep& s, int d, int f, int ink, int stretchMode) {
  PictureShape in;
  if (!ReadShape(s.info, &in)) return false;
  if (d != 1 && d != 2 && d != 4 && d != 8 && d != 16) return false;
  if (in.bits < 8) f = 0;
  const bool fine = FineReduce(f);
  if (d == 1 && !fine) return CopyPicture(s, in);
  const uint64_t W = uint64_t(in.width), H = uint64_t(in.height);
  const uint64_t outW = std::max<uint64_t>(1, fine ? W * uint64_t(f) / 10 / uint64_t(d) : W / uint64_t(d));
  const uint64_t outH = std::max<uint64_t>(1, fine ? H * uint64_t(f) / 10 / uint64_t(d) : H / uint64_t(d));
  if (!WriteShape(s.info, outW, outH)) return false;
  const uint64_t outStride = DibStride(outW, uint64_t(in.bits));
  const uint64_t rows = std::min<uint64_t>(outH, s.dstCapacity / outStride + 1);
  const StepPattern pat = ReducePattern(d, f);
  const uint64_t st = in.stride;
  const int p = in.pixelBytes;
  int light[256];
  if (in.bits == 4 || in.bits == 8) TableBrightness(s.info, 1 << in.bits, light);
  // Reads reach two rows and a few pixels past the last position the walks
  // land on (with a fine factor below 6 they may pass the picture's end).
  uint64_t lastX = 0, lastY = 0;
  {
    SkipWalk cols{pat}, rowsWalk{pat};
    for (uint64_t X = 1; X < outW; ++X) lastX += cols.Next();
    for (uint64_t Y = 1; Y < rows; ++Y) lastY += rowsWalk.Next();
    if (in.bits < 8) lastX = lastY = 0;
  }
  const uint64_t readEnd = std::max(in.Size(), (lastY + 1) * st + lastX * uint64_t(p)) + 3 * st + 16;
  RunBounded(s, readEnd, outStride * outH, [&](auto& r, auto& w) {
    SkipWalk rowWalk{pat};
    uint64_t sy = 0;
    for (uint64_t row = 0; row < rows; ++row) {
      const uint64_t o = row * outStride, at = sy * st;
      const uint64_t rowUsed = rowWalk.Next();
      const bool oneRow = rowWalk.count == 3;
      const bool inner = sy > 0 && sy + 1 < H;  // beyond the first row, a next row exists
      if (in.bits == 1) {
        for (uint64_t j = 0; j < outStride; ++j) {
          uint8_t v = 0;
          for (int k = 0; k < 8; ++k) {
            const uint64_t X = j * 8 + k;
            if (X >= outW) break;
            const uint64_t sx = X * uint64_t(d);
            const int a = SubPixel(r, at, sx, 1), b = SubPixel(r, at, sx + 1, 1), c = SubPixel(r, at + st, sx, 1);
            const int bit = ink < 128 ? (a & b & c) : (a | b | c);
            v = uint8_t(v | bit << (7 - k));
          }
          w(o + j, v);
        }
      } else if (in.bits == 4) {
        const uint64_t bytes = (outW + 1) / 2;
        int ref = 0;
        for (uint64_t k = 0; k < bytes; ++k) {
          const uint64_t g = at + k * uint64_t(d);
          const uint8_t b0 = r(g), b1 = r(g + 1);
          const int h0 = b0 >> 4, h1 = b1 >> 4;
          int n0 = h0;
          if (Extremum(light[b0 & 15], light[h0], ref)) n0 = b0 & 15;
          int n1 = h1;
          if (Extremum(light[b1 & 15], light[h1], light[h0])) n1 = b1 & 15;
          if (inner) {
            const int nx0 = r(g + st) >> 4, pv0 = r(g - st) >> 4;
            if (Extremum(light[nx0], light[h0], light[pv0])) n0 = nx0;
            const int nx1 = r(g + 1 + st) >> 4, pv1 = r(g + 1 - st) >> 4;
            if (Extremum(light[nx1], light[h1], light[pv1])) n1 = nx1;
          }
          ref = light[h1];
          w(o + k, uint8_t(n0 << 4 | n1));
        }
        for (uint64_t i = bytes; i < outStride; ++i) w(o + i, 0);
      } else if (in.bits == 8) {
        SkipWalk colWalk{pat};
        uint64_t sx = 0;
        int ref = 0;
        for (uint64_t X = 0; X < outW; ++X) {
          const uint8_t b0 = r(at + sx), b1 = r(at + sx + 1);
          uint8_t v = b0;
          if (Extremum(light[b1], light[b0], ref)) v = b1;
          if (inner) {
            const uint8_t nx = r(at + st + sx), pv = r(at - st + sx);
            if (Extremum(light[nx], light[b0], light[pv])) v = nx;
          }
          ref = light[b0];
          w(o + X, v);
          sx += colWalk.Next();
        }
        for (uint64_t i = outW; i < outStride; ++i) w(o + i, 0);
      } else if (p == 2) {
        SkipWalk colWalk{pat};
        uint64_t sx = 0;
        for (uint64_t X = 0; X < outW; ++X) {
          w(o + 2 * X, r(at + 2 * sx));
          w(o + 2 * X + 1, r(at + 2 * sx + 1));
          sx += colWalk.Next();
        }
        for (uint64_t i = 2 * outW; i < outStride; ++i) w(o + i, 0);
      } else {
        // 24 and 32 bits: each byte the mean of its 2x2 block (4x2 from a
        // divisor of 4 on), while the byte two rows on is inside the limit.
        const bool wide = d >= 4;
        const uint64_t pair = wide ? 2 * uint64_t(p) : uint64_t(p);
        const bool mode3 = stretchMode == 3;
        const bool brightRule = mode3 && (d == 2 || (d == 1 && fine));
        SkipWalk colWalk{pat};
        uint64_t sx = 0;
        for (uint64_t X = 0; X < outW; ++X) {
          const uint64_t i0 = at + sx * uint64_t(p);
          const uint64_t used = colWalk.Next();
          const bool oneCol = colWalk.count == 3;
          for (int c = 0; c < p; ++c) {
            const uint64_t i = i0 + uint64_t(c);
            uint8_t v;
            if (i + 2 * st >= s.srcLimit) {
              v = r(i);
            } else if (wide) {
              auto two = [&](uint64_t k) { return (int(r(k)) + int(r(k + uint64_t(p)))); };
              if (!mode3 || (!oneCol && !oneRow)) {
                v = uint8_t((two(i) + two(i + pair) + two(i + st) + two(i + st + pair)) / 8);
              } else if (oneCol && oneRow) {
                v = uint8_t(two(i) / 2);
              } else if (oneRow) {
                v = uint8_t((two(i) + two(i + pair)) / 4);
              } else {
                v = uint8_t((two(i) + two(i + st)) / 4);
              }
            } else if (!mode3 || (!oneCol && !oneRow)) {
              v = uint8_t((int(r(i)) + r(i + pair) + r(i + st) + r(i + st + pair)) / 4);
            } else if (oneCol && oneRow) {
              v = r(i);
            } else if (oneRow) {
              int a = r(i), b = r(i + pair);
              if (brightRule && r(i + 2 * pair) > 180 && ((a < 30 && b > 180) || (b < 30 && a > 180))) {
                const int mean = (a + b) / 2;
                (a > b ? a : b) = mean;
              }
              v = uint8_t((a + b) / 2);
            } else {
              int a = r(i), b = r(i + st);
              if (brightRule && r(i + 2 * st) > 180 && ((a < 30 && b > 180) || (b < 30 && a > 180))) {
                const int mean = (a + b) / 2;
                (a > b ? a : b) = mean;
              }
              v = uint8_t((a + b) / 2);
            }
            w(o + X * uint64_t(p) + uint64_t(c), v);
          }
          sx += used;
        }
        for (uint64_t i = outW * uint64_t(p); i < outStride; ++i) w(o + i, 0);
      }
      sy += (in.bits < 8) ? uint64_t(d) : rowUsed;
    }
  });
  return true;
}

}  // namespace img
