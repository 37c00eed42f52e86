#include "image/jpeg/jpeg_encoder.h"

#include <cstring>
#include <new>

#include "image/jpeg/jpeg_errors.h"
#include "image/jpeg/jpeg_tables.h"

namespace jpeg {
namespace {

// Per-channel terms of the colour formulas: each depends on one byte only.
struct ColourTerms {
  int yR[256], yG[256], yB[256];
  int cbG[256], cbR[256];
  int crG[256], crB[256];
  ColourTerms() {
    for (int v = 0; v < 256; ++v) {
      yR[v] = (153 * v) >> 9;
      yG[v] = (601 * v) >> 10;
      yB[v] = (467 * v) >> 12;
      cbG[v] = (1357 * v) >> 12;
      cbR[v] = (691 * v) >> 12;
      crG[v] = (1715 * v) >> 12;
      crB[v] = (333 * v) >> 12;
    }
  }
};
const ColourTerms& Terms() {
  static const ColourTerms t;
  return t;
}

// Number of significant bits of m (m >= 0).
inline int BitCount(int m) { return m == 0 ? 0 : 32 - __builtin_clz(static_cast<unsigned>(m)); }

// One pass of the forward DCT over x[0], x[step], ... into y[0], y[ystep], ...
inline void FdctPass(const int* x, int step, int* y, int ystep, int S) {
  const int x0 = x[0], x1 = x[step], x2 = x[2 * step], x3 = x[3 * step];
  const int x4 = x[4 * step], x5 = x[5 * step], x6 = x[6 * step], x7 = x[7 * step];
  const int s07 = x0 + x7, d07 = x0 - x7, s16 = x1 + x6, d16 = x1 - x6;
  const int s25 = x2 + x5, d25 = x2 - x5, s34 = x3 + x4, d34 = x3 - x4;
  const int e0 = s07 + s34 + s16 + s25, e1 = s07 + s34 - s16 - s25;
  const int e2 = s07 - s34, e3 = s16 - s25;
  const int r = (362 * (d16 + d25)) >> 9;
  const int r2 = (362 * (d16 - d25)) >> 9;
  const int o0 = d07 + r, o1 = d07 - r, o2 = d34 + r2, o3 = d34 - r2;
  y[0] = (362 * e0) >> S;
  y[4 * ystep] = (362 * e1) >> S;
  y[2 * ystep] = (473 * e2 + 196 * e3) >> S;
  y[6 * ystep] = (196 * e2 - 473 * e3) >> S;
  y[1 * ystep] = (502 * o0 + 100 * o2) >> S;
  y[7 * ystep] = (100 * o0 - 502 * o2) >> S;
  y[5 * ystep] = (284 * o1 + 426 * o3) >> S;
  y[3 * ystep] = (426 * o1 - 284 * o3) >> S;
}

// The quantiser's quotient: shifts for the divisors the tables use most
// (some of them approximate: 86 divides by 85.33, 20 by 21.33), integer
// division for the others.
int Quotient(int m, int q) {
  switch (q) {
    case 128: return m >> 7;
    case 102: return (m >> 7) + (m >> 9);
    case 86: return (m >> 7) + (m >> 8);
    case 64: return m >> 6;
    case 51: return (m >> 6) + (m >> 8);
    case 42: return (m >> 6) + (m >> 7);
    case 32: return m >> 5;
    case 30: return (m >> 5) + (m >> 9);
    case 26: return (m >> 5) + (m >> 7);
    case 20: return (m >> 5) + (m >> 6);
    case 16: return m >> 4;
    case 11: return (m >> 4) + (m >> 5);
    case 8: return m >> 3;
    case 4: return m >> 2;
    case 2: return m >> 1;
    default: return m / q;
  }
}

// The quotient of every table entry as one multiply and shift, equal to
// Quotient for every magnitude a block can reach (checked by a test over
// 0..65535): shift forms of two terms stay as they are.
struct QuantStep {
  int a, b;          // m >> a, plus m >> b when b < 32
  uint32_t recip;    // nonzero: (m * recip) >> 32 instead
};

struct QuantPlans {
  QuantStep step[3][2][64];
  QuantPlans() {
    for (int set = 0; set < 3; ++set)
      for (int cls = 0; cls < 2; ++cls)
        for (int i = 0; i < 64; ++i) step[set][cls][i] = Plan(kQuantTables[set][cls][i]);
  }
  static QuantStep Plan(int q) {
    switch (q) {
      case 128: return {7, 32, 0};
      case 102: return {7, 9, 0};
      case 86: return {7, 8, 0};
      case 64: return {6, 32, 0};
      case 51: return {6, 8, 0};
      case 42: return {6, 7, 0};
      case 32: return {5, 32, 0};
      case 30: return {5, 9, 0};
      case 26: return {5, 7, 0};
      case 20: return {5, 6, 0};
      case 16: return {4, 32, 0};
      case 11: return {4, 5, 0};
      case 8: return {3, 32, 0};
      case 4: return {2, 32, 0};
      case 2: return {1, 32, 0};
      case 1: return {0, 32, 0};
      default: return {0, 32, static_cast<uint32_t>((uint64_t(1) << 32) / static_cast<uint64_t>(q) + 1)};
    }
  }
};
const QuantPlans& Plans() {
  static const QuantPlans p;
  return p;
}

inline int Apply(const QuantStep& s, int m) {
  if (s.recip != 0) return static_cast<int>((static_cast<uint64_t>(m) * s.recip) >> 32);
  return (m >> s.a) + (s.b < 32 ? m >> s.b : 0);
}

}  // namespace

JEncoder::JEncoder(const uint8_t* r, const uint8_t* g, const uint8_t* b) : mPlane{r, g, b} {
  std::memset(mY, 0, sizeof mY);
  std::memset(mCb, 0, sizeof mCb);
  std::memset(mCr, 0, sizeof mCr);
  std::memset(mWork, 0, sizeof mWork);
}

JEncoder::~JEncoder() {
  if (mOut != nullptr) mOut->~JOutBitStream();
}

void JEncoder::SetParams(const JEncodeParams* p) {
  mParams = *p;
  mParams.components = 3;
  mParams.precision = 8;
  mParams.field6 = 1;
  mParams.version[0] = 1;
  mParams.version[1] = 2;
  mParams.thumbWidth = 0;
  mParams.thumbHeight = 0;
}

void JEncoder::GetOutput(const uint8_t** data, int64_t* size) const {
  *data = mOut != nullptr ? mOut->Data() : nullptr;
  *size = mOut != nullptr ? mOut->Written() : 0;
}

int64_t JEncoder::OutputBound(int width, int height, int commentBytes) {
  const int64_t mcus = ((static_cast<int64_t>(width) + 15) / 16) * ((static_cast<int64_t>(height) + 15) / 16);
  return 1024 + static_cast<int64_t>(commentBytes) + mcus * 6 * 416;
}

int JEncoder::Encode() {
  try {
    const int w = mParams.width, h = mParams.height;
    // The frame header holds 16-bit sizes.
    if (w < 1 || h < 1 || w > 65535 || h > 65535 || mPlane[0] == nullptr || mPlane[1] == nullptr ||
        mPlane[2] == nullptr) {
      ThrowIndex(65535, w < 1 || w > 65535 ? w : h, JErr::EncodeSize);
    }
    mMcuRows = (h + 15) / 16;
    mMcuCols = (w + 15) / 16;
    int64_t size = 3 * static_cast<int64_t>(w) * h;
    if (size < 10240) size = 10240;
    if (mOut != nullptr) {
      mOut->~JOutBitStream();
      mOut = nullptr;
    }
    // The buffer grows when a picture codes larger than 3 bytes a pixel.
    mOut = new (mOutStore) JOutBitStream(size, true);
    WriteHeader();
    for (int row = 0; row < mMcuRows; ++row) {
      for (int col = 0; col < mMcuCols; ++col) {
        LoadMCU(col, row);
        EncodeMCU();
      }
    }
    WriteEOI();
    return 0;
  } catch (const JMemoryError&) {
  } catch (const JBufferError&) {
  } catch (const JIndexError&) {
  } catch (const JDataFormatError&) {
  } catch (const JNotSupported&) {
  }
  return -1;
}

void JEncoder::WriteHeader() {
  JOutBitStream& o = *mOut;
  o.SetByte(0xFF);
  o.SetByte(0xD8);
  o.SetByte(0xFF);
  o.SetByte(0xE0);
  o.SetWord(16);
  o.CopyByte(reinterpret_cast<const uint8_t*>("JFIF"), 5);
  o.SetByte(1);
  o.SetByte(2);
  o.SetByte(mParams.densityUnits & 0xFF);
  o.SetWord(mParams.xDensity & 0xFFFF);
  o.SetWord(mParams.yDensity & 0xFFFF);
  o.SetByte(0);
  o.SetByte(0);
  if (mParams.comment != nullptr) {
    // A segment holds at most 65533 bytes of text.
    std::size_t n = std::strlen(mParams.comment);
    if (n > 65533) n = 65533;
    o.SetByte(0xFF);
    o.SetByte(0xFE);
    o.SetWord(static_cast<int>(n) + 2);
    o.CopyByte(reinterpret_cast<const uint8_t*>(mParams.comment), static_cast<int>(n));
  }
  const int set = QuantSetForLevel(mQuality);
  for (int t = 0; t < 2; ++t) {
    o.SetByte(0xFF);
    o.SetByte(0xDB);
    o.SetWord(67);
    o.SetByte(t);
    for (int i = 0; i < 64; ++i) o.SetByte(kQuantTables[set][t][kZigzag[i]]);
  }
  for (const DhtSegment& d : kStandardDht) o.CopyByte(d.bytes, d.size);
  o.SetByte(0xFF);
  o.SetByte(0xC0);
  o.SetWord(17);
  o.SetByte(8);
  o.SetWord(mParams.height);
  o.SetWord(mParams.width);
  o.SetByte(3);
  static const uint8_t kComponents[9] = {0x00, 0x22, 0x00, 0x01, 0x11, 0x01, 0x02, 0x11, 0x01};
  for (uint8_t b : kComponents) o.SetByte(b);
  o.SetByte(0xFF);
  o.SetByte(0xDA);
  o.SetWord(12);
  static const uint8_t kScan[10] = {3, 0x00, 0x00, 0x01, 0x11, 0x02, 0x11, 0x00, 0x3F, 0x00};
  for (uint8_t b : kScan) o.SetByte(b);
}

void JEncoder::LoadMCU(int col, int row) {
  const ColourTerms& t = Terms();
  const int w = mParams.width, h = mParams.height;
  int cb[16][16], cr[16][16];
  for (int y = 0; y < 16; ++y) {
    int sy = 16 * row + y;
    if (sy > h - 1) sy = h - 1;
    const int64_t line = static_cast<int64_t>(w) * sy;
    const uint8_t* pr = mPlane[0] + line;
    const uint8_t* pg = mPlane[1] + line;
    const uint8_t* pb = mPlane[2] + line;
    int* yb = mY[(y >> 3) * 2] + (y & 7) * 8;
    for (int x = 0; x < 16; ++x) {
      int sx = 16 * col + x;
      if (sx > w - 1) sx = w - 1;
      const int R = pr[sx], G = pg[sx], B = pb[sx];
      yb[(x >> 3) * 64 + (x & 7)] = t.yR[R] + t.yG[G] + t.yB[B] - 128;
      cb[y][x] = (B >> 1) - t.cbG[G] - t.cbR[R];
      cr[y][x] = (R >> 1) - t.crG[G] - t.crB[B];
    }
  }
  for (int i = 0; i < 8; ++i) {
    for (int j = 0; j < 8; ++j) {
      mCb[i * 8 + j] = (cb[2 * i][2 * j] + cb[2 * i][2 * j + 1] + cb[2 * i + 1][2 * j] + cb[2 * i + 1][2 * j + 1]) >> 2;
      mCr[i * 8 + j] = (cr[2 * i][2 * j] + cr[2 * i][2 * j + 1] + cr[2 * i + 1][2 * j] + cr[2 * i + 1][2 * j + 1]) >> 2;
    }
  }
}

void JEncoder::Fdct(const int* in) {
  int tmp[64];
  for (int r = 0; r < 8; ++r) FdctPass(in + r * 8, 1, tmp + r * 8, 1, 9);
  for (int c = 0; c < 8; ++c) FdctPass(tmp + c, 8, mWork + c, 8, 11);
}

void JEncoder::Quantize(int cls) {
  const QuantStep* q = Plans().step[QuantSetForLevel(mQuality)][cls == 0 ? 0 : 1];
  for (int i = 0; i < 64; ++i) {
    const int v = mWork[i];
    const int m = v < 0 ? -v : v;
    const int quot = Apply(q[i], m);
    mWork[i] = v < 0 ? -quot : quot;
  }
}

void JEncoder::EncodeHuffman(int c) {
  JOutBitStream& o = *mOut;
  const HuffCodeTable& dc = StandardCodeTable(c == 0 ? 0 : 1);
  const HuffCodeTable& ac = StandardCodeTable(c == 0 ? 2 : 3);
  const int diff = mWork[0] - mLastDc[c];
  mLastDc[c] = mWork[0];
  const int s = BitCount(diff < 0 ? -diff : diff);
  if (s >= dc.count) ThrowIndex(12, s, JErr::EncodeDc);
  o.SetBits(dc.code[s], dc.length[s]);
  if (s > 0) o.SetBits(static_cast<uint32_t>(diff < 0 ? diff - 1 : diff) & ((1u << s) - 1), s);
  int run = 0;
  for (int k = 1; k < 64; ++k) {
    const int v = mWork[kZigzag[k]];
    if (v == 0) {
      if (k == 63) {
        o.SetBits(ac.code[0], ac.length[0]);
      } else {
        ++run;
      }
      continue;
    }
    if (run > 15) {
      for (int z = run >> 4; z > 0; --z) o.SetBits(ac.code[151], ac.length[151]);
      run &= 15;
    }
    const int size = BitCount(v < 0 ? -v : v);
    const int index = 10 * run + size + (run == 15 ? 1 : 0);
    if (index >= 162) ThrowIndex(162, index, JErr::EncodeAc);
    o.SetBits(ac.code[index], ac.length[index]);
    o.SetBits(static_cast<uint32_t>(v < 0 ? v - 1 : v) & ((1u << size) - 1), size);
    run = 0;
  }
}

void JEncoder::EncodeMCU() {
  for (int b = 0; b < 4; ++b) {
    Fdct(mY[b]);
    Quantize(0);
    EncodeHuffman(0);
  }
  Fdct(mCb);
  Quantize(1);
  EncodeHuffman(1);
  Fdct(mCr);
  Quantize(2);
  EncodeHuffman(2);
}

void JEncoder::WriteEOI() {
  mOut->SetByte(0xFF);
  mOut->SetByte(0xD9);
}

bool QuantiserPlanMatchesDivision(int q, int maxMagnitude) {
  const QuantStep s = QuantPlans::Plan(q);
  for (int m = 0; m <= maxMagnitude; ++m)
    if (Apply(s, m) != Quotient(m, q)) return false;
  return true;
}

}  // namespace jpeg
