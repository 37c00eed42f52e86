#include "image/jpeg/jpeg_decoder.h"

#include <cstring>
#include <new>

#include "image/jpeg/jpeg_tables.h"

namespace jpeg {

void AllocIntArray(int** slot, int count, int fill, JErr name) {
  JFree(*slot);
  *slot = nullptr;
  if (count < 0) ThrowMemory(count, name);
  int* p = static_cast<int*>(JAlloc(static_cast<std::size_t>(count) * sizeof(int)));
  if (p == nullptr) ThrowMemory(count, name);
  for (int i = 0; i < count; ++i) p[i] = fill;
  *slot = p;
}

JDecoder::JDecoder() {
  std::memset(mCoef, 0, sizeof mCoef);
  std::memset(mPixel, 0, sizeof mPixel);
  std::memset(mFrame, 0, sizeof mFrame);
  std::memset(mScan, 0, sizeof mScan);
  std::memset(mQuant, 0, sizeof mQuant);
}

JDecoder::~JDecoder() {
  for (auto& cls : mHuff) {
    for (auto& t : cls) {
      JFree(t.sizes);
      JFree(t.codes);
      JFree(t.values);
    }
  }
  FreeUnits();
  JFree(mComment);
}

int JDecoder::ReadHeader(const uint8_t* data, int64_t size) {
  mStream = new (mStreamStore) JInBitStream(data, size);
  try {
    ReadMarkers();
    return 0;
  } catch (const JMemoryError&) {
    return -1;
  } catch (const JIndexError&) {
  } catch (const JBufferError&) {
  } catch (const JDataFormatError&) {
  } catch (const JNotSupported&) {
  }
  return -2;
}

int JDecoder::Decode() { return DecodeWith<JScanBits>(); }

void JDecoder::GetInfo(uint8_t** r, uint8_t** g, uint8_t** b, int* width, int* height,
                       int* components) const {
  *r = mRgbPA[0];
  *g = mRgbPA[1];
  *b = mRgbPA[2];
  *width = mWidth;
  *height = mHeight;
  *components = mComponents;
}

void JDecoder::FreePlanes() {
  for (auto& p : mRgbPA) {
    JFree(p);
    p = nullptr;
  }
}

void JDecoder::FreeUnits() {
  for (auto& u : mUnit) {
    JFree(u);
    u = nullptr;
  }
}

// ---- markers -----------------------------------------------------------------

int JDecoder::NextMarker() {
  for (;;) {
    if (mStream->GetByte() != 0xFF) continue;
    int c = mStream->GetByte();
    if (c == 0) continue;
    return (c >= 3 && c <= 0xBF) ? 255 : c;
  }
}

void JDecoder::ReadMarkers() {
  mState = 0;
  mPhotoFlag = 0;
  while (NextMarker() != 0xD8) {
  }
  mState = 1;
  while (mState == 1) {
    mFlags |= AnalyzeMarker();
    if (mFlags & 16) break;
  }
}

int JDecoder::SegmentLength() {
  int l = mStream->GetWord();
  if (l < 2) ThrowFormat(mStream->Position(), JErr::SegmentLength);
  return l;
}

int JDecoder::AnalyzeMarker() {
  const int code = NextMarker();
  switch (code) {
    case 0xC0: {
      int l = SegmentLength();
      int64_t from = mStream->AlignedOffset();
      AnalyzeFrame();
      if (mStream->AlignedOffset() - from > l - 2) ThrowFormat(mStream->Position(), JErr::SegmentLength);
      return 0;
    }
    case 0xC4:
      AnalyzeDHT(SegmentLength() - 2);
      return 1;
    case 0xD9:
      mState = 0;
      return 0;
    case 0xDA: {
      int l = SegmentLength();
      int64_t from = mStream->AlignedOffset();
      AnalyzeScan();
      if (mStream->AlignedOffset() - from > l - 2) ThrowFormat(mStream->Position(), JErr::SegmentLength);
      return 16;
    }
    case 0xDB:
      AnalyzeDQT(SegmentLength() - 2);
      return 2;
    case 0xDC:
      if (SegmentLength() < 4) ThrowFormat(mStream->Position(), JErr::SegmentLength);
      mHeight = mStream->GetWord();
      if (mHeight == 0) ThrowFormat(mStream->Position(), JErr::FrameSize);
      return 0;
    case 0xDD:
      if (SegmentLength() < 4) ThrowFormat(mStream->Position(), JErr::SegmentLength);
      mRestartInterval = mStream->GetWord();
      return 0;
    case 0xE0:
    case 0xED:
      AnalyzeApp(code);
      return 0;
    case 0xFE: {
      int n = SegmentLength() - 2;
      JFree(mComment);
      mComment = static_cast<char*>(JAlloc(static_cast<std::size_t>(n) + 1));
      if (mComment == nullptr) ThrowMemory(int64_t(n) + 1, JErr::CommentAlloc);
      mComment[0] = '\0';
      mStream->CopyByte(reinterpret_cast<uint8_t*>(mComment), n);
      mComment[n] = '\0';
      return 8;
    }
    default:
      break;
  }
  if ((code >= 0xC1 && code <= 0xC3) || (code >= 0xC5 && code <= 0xC7) || (code >= 0xC9 && code <= 0xCF) ||
      code == 0xDE || code == 0xDF) {
    ThrowNotSupported(code, mStream->Position());
  }
  if ((code >= 0xE1 && code <= 0xEC) || code == 0xEE || code == 0xEF) {
    mStream->SkipByte(SegmentLength() - 2);
    return 0;
  }
  ThrowFormat(mStream->Position() - 1, JErr::MarkerError);
}

void JDecoder::AnalyzeFrame() {
  mPrecision = mStream->GetByte();
  mHeight = mStream->GetWord();
  mWidth = mStream->GetWord();
  mComponents = mStream->GetByte();
  // A frame without pixels is as malformed as any other bad frame value.
  if (mWidth == 0 || mHeight == 0) ThrowFormat(mStream->Position(), JErr::FrameSize);
  if (mComponents != 1 && mComponents != 3 && mComponents != 4) {
    ThrowNotSupported(192, mStream->Position());
  }
  mHmax = 0;
  mVmax = 0;
  for (int i = 0; i < mComponents; ++i) {
    FrameComponent& f = mFrame[i];
    f.id = static_cast<uint8_t>(mStream->GetByte());
    int samp = mStream->GetByte();
    if (mComponents == 1) samp = 0x11;
    int h = samp >> 4, v = samp & 15;
    // A factor of 0 would divide by zero in the MCU geometry; more than 4 is
    // outside the format.
    if (h < 1 || h > 4 || v < 1 || v > 4) {
      mHmax = mVmax = 0;
      ThrowFormat(mStream->Position(), JErr::FrameSampling);
    }
    f.h = static_cast<int8_t>(h);
    f.v = static_cast<int8_t>(v);
    if (h > mHmax) mHmax = static_cast<int8_t>(h);
    if (v > mVmax) mVmax = static_cast<int8_t>(v);
    int tq = mStream->GetByte();
    if (tq > 3) {
      mHmax = mVmax = 0;
      ThrowFormat(mStream->Position(), JErr::FrameQuantTable);
    }
    f.tq = static_cast<int8_t>(tq);
  }
}

void JDecoder::AnalyzeScan() {
  int ns = mStream->GetByte();
  mScanHeader[0] = static_cast<uint8_t>(ns);
  // Only one interleaved scan of every frame component is decoded.
  if (ns > 4 || ns != mComponents) ThrowNotSupported(0xDA, mStream->Position());
  for (int i = 0; i < ns; ++i) {
    mScan[i].cs = static_cast<uint8_t>(mStream->GetByte());
    int t = mStream->GetByte();
    int td = t >> 4, ta = t & 15;
    if (td > 2) ThrowIndex(2, td, JErr::ScanTdOver);
    if (ta > 2) ThrowIndex(2, ta, JErr::ScanTaOver);
    mScan[i].td = static_cast<uint8_t>(td);
    mScan[i].ta = static_cast<uint8_t>(ta);
  }
  mScanHeader[1] = static_cast<uint8_t>(mStream->GetByte());
  mScanHeader[2] = static_cast<uint8_t>(mStream->GetByte());
  int a = mStream->GetByte();
  mScanHeader[3] = static_cast<uint8_t>(a >> 4);
  mScanHeader[4] = static_cast<uint8_t>(a & 15);
}

void JDecoder::AnalyzeDHT(int length) {
  if (mStream->IsValid() == nullptr) ThrowFormat(0, JErr::DhtLength);
  const int64_t end = mStream->AlignedOffset() + length;
  while (mStream->AlignedOffset() < end) {
    int b = mStream->GetByte();
    int tc = b >> 4, th = b & 15;
    if (tc >= 2) ThrowFormat(mStream->Position() - 1, JErr::DhtTc);
    if (th > 3) ThrowFormat(mStream->Position() - 1, JErr::DhtTh);
    int counts[16];
    int total = 0;
    for (int& n : counts) {
      n = mStream->GetByte();
      total += n;
    }
    JHuffTable& t = mHuff[tc][th];
    t.count = 0;
    AllocIntArray(&t.sizes, total, 0, JErr::HuffmanSize);
    AllocIntArray(&t.codes, total, 0, JErr::HuffmanCode);
    AllocIntArray(&t.values, total, 0, JErr::HuffmanValue);
    int k = 0;
    for (int len = 1; len <= 16; ++len)
      for (int i = 0; i < counts[len - 1]; ++i) t.sizes[k++] = len;
    if (total > 0) {
      int code = 0, si = t.sizes[0];
      k = 0;
      for (;;) {
        while (k < total && t.sizes[k] == si) {
          t.codes[k++] = code++;
        }
        if (k >= total) break;
        do {
          code <<= 1;
          ++si;
        } while (t.sizes[k] != si);
      }
    }
    for (int i = 0; i < total; ++i) t.values[i] = mStream->GetByte();
    t.count = total;
    if (mStream->AlignedOffset() > end) ThrowFormat(mStream->Position(), JErr::SegmentLength);
  }
}

void JDecoder::AnalyzeDQT(int length) {
  const int64_t end = mStream->AlignedOffset() + length;
  while (mStream->AlignedOffset() < end) {
    int b = mStream->GetByte();
    int index = (b & 15) % 4;
    bool words = (b >> 4) != 0;
    for (int i = 0; i < 64; ++i) {
      int v = words ? mStream->GetWord() : mStream->GetByte();
      mQuant[index][kZigzag[i]] = v;
    }
    if (mStream->AlignedOffset() > end) ThrowFormat(mStream->Position(), JErr::SegmentLength);
  }
}

void JDecoder::AnalyzeApp(int code) {
  const int n = SegmentLength() - 2;
  if (n < 5) {
    mStream->SkipByte(n);
    return;
  }
  uint8_t id[5];
  mStream->CopyByte(id, 5);
  const bool phot = std::memcmp(id, "Phot", 4) == 0;
  if (code == 0xE0 && std::memcmp(id, "JFIF", 4) == 0) {
    mPhotoFlag = 1;
    AnalyzeJFIF(n);
    return;
  }
  if (code == 0xE0 && std::memcmp(id, "JFXX", 4) == 0) {
    AnalyzeJFXX(n);
    return;
  }
  if (phot) mPhotoFlag = 1;
  mStream->SkipByte(n - 5);
}

void JDecoder::AnalyzeJFIF(int n) {
  if (n < 14) ThrowFormat(mStream->Position(), JErr::SegmentLength);
  mJfifKind = 1;
  mVersionMajor = static_cast<uint8_t>(mStream->GetByte());
  mVersionMinor = static_cast<uint8_t>(mStream->GetByte());
  mDensityUnits = mStream->GetByte();
  mXDensity = mStream->GetWord();
  mYDensity = mStream->GetWord();
  mXThumbnail = mStream->GetByte();
  mYThumbnail = mStream->GetByte();
  mFlags |= 4;
  mStream->SkipByte(n - 14);
}

void JDecoder::AnalyzeJFXX(int n) {
  if (n < 6) ThrowFormat(mStream->Position(), JErr::SegmentLength);
  mJfifKind = 2;
  mJfxxCode = mStream->GetByte();
  mStream->SkipByte(n - 6);
}

// ---- pixels ------------------------------------------------------------------

namespace {

// One pass of the inverse DCT over x[0], x[step], ... x[7*step].
struct IdctPass {
  int y[8];
  void Run(const int* x, int step) {
    const int x0 = x[0], x1 = x[step], x2 = x[2 * step], x3 = x[3 * step];
    const int x4 = x[4 * step], x5 = x[5 * step], x6 = x[6 * step], x7 = x[7 * step];
    if ((x1 | x2 | x3 | x4 | x5 | x6 | x7) == 0) {
      const int e = (362 * x0) >> 9;
      for (int& v : y) v = e;
      return;
    }
    const int a = (100 * x1 - 502 * x7) >> 9;
    const int b = (426 * x5 - 284 * x3) >> 9;
    const int c = (100 * x7 + 502 * x1) >> 9;
    const int d = (284 * x5 + 426 * x3) >> 9;
    const int e = (362 * (x0 + x4)) >> 9;
    const int f = (362 * (x0 - x4)) >> 9;
    const int g = (196 * x2 - 473 * x6) >> 9;
    const int h = (473 * x2 + 196 * x6) >> 9;
    const int p = a + b, q = a - b;
    const int t0 = e + h, t3 = e - h, t1 = f + g, t2 = f - g;
    const int u = c - d, w = c + d;
    const int m = (362 * (u - q)) >> 9;
    const int n = (362 * (u + q)) >> 9;
    y[0] = t0 + w;
    y[1] = t1 + n;
    y[2] = t2 + m;
    y[3] = t3 + p;
    y[4] = t3 - p;
    y[5] = t2 - m;
    y[6] = t1 - n;
    y[7] = t0 - w;
  }
};

inline uint8_t ClampByte(int v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); }

// Terms of the colour formulas (arguments centred on 0). Samples stay within
// about +-2^19 (coefficients are clamped to 16 bits), so every product fits
// in 32 bits; 7256/4096 is taken as 1814/1024, which floors the same.
inline int CrToR(int c) { return (1436 * c) >> 10; }
inline int CrToG(int c) { return (732 * c) >> 10; }
inline int CbToG(int c) { return (704 * c) >> 11; }
inline int CbToB(int c) { return (1814 * c) >> 10; }

// The same terms for samples in [kLow, kLow + kSpan) from tables (each term
// depends on one channel), and a clamp table for their sums.
struct ColourTables {
  static constexpr int kLow = -512;
  static constexpr unsigned kSpan = 1280;
  static constexpr int kClampLow = -3072;
  static bool In(int v) { return static_cast<unsigned>(v - kLow) < kSpan; }
  int crR[kSpan], crbG[kSpan], cbG[kSpan], cbB[kSpan];
  uint8_t limit[7168];  // index: value - kClampLow
  ColourTables() {
    for (int i = 0; i < static_cast<int>(kSpan); ++i) {
      const int c = i + kLow - 128;
      crR[i] = CrToR(c);
      crbG[i] = -CrToG(c);
      cbG[i] = -CbToG(c);
      cbB[i] = CbToB(c);
    }
    for (int i = 0; i < 7168; ++i) limit[i] = ClampByte(i + kClampLow);
  }
};
const ColourTables& Tables() {
  static const ColourTables t;
  return t;
}

}  // namespace

void JDecoder::Idct() {
  int tmp[64];
  IdctPass pass;
  for (int r = 0; r < 8; ++r) {
    pass.Run(mCoef + r * 8, 1);
    for (int k = 0; k < 8; ++k) tmp[r * 8 + k] = pass.y[k];
  }
  const int level = mPrecision == 8 ? 128 : 2048;
  for (int col = 0; col < 8; ++col) {
    pass.Run(tmp + col, 8);
    for (int k = 0; k < 8; ++k) mPixel[k * 8 + col] = (pass.y[k] >> 2) + level;
  }
}

void JDecoder::IdctDcOnly() {
  // Row 0 of the first pass is (362 * dc) >> 9 throughout, the other rows 0;
  // each column pass then gives (362 * that) >> 9 throughout.
  const int e = (362 * mCoef[0]) >> 9;
  const int v = (((362 * e) >> 9) >> 2) + (mPrecision == 8 ? 128 : 2048);
  for (int& p : mPixel) p = v;
}

void JDecoder::Replicate(int c, int h, int v, int sx, int sy) {
  const int stride = mHmax * 8;
  int* unit = mUnit[c] + (v * 8 * sy) * stride + h * 8 * sx;
  if (sx == 1 && sy == 1) {
    for (int y = 0; y < 8; ++y) std::memcpy(unit + y * stride, mPixel + y * 8, 8 * sizeof(int));
    return;
  }
  if (sx == 2 && sy == 2) {
    for (int y = 0; y < 8; ++y) {
      int* d0 = unit + (2 * y) * stride;
      int* d1 = d0 + stride;
      const int* s = mPixel + y * 8;
      for (int x = 0; x < 8; ++x) d0[2 * x] = d0[2 * x + 1] = d1[2 * x] = d1[2 * x + 1] = s[x];
    }
    return;
  }
  for (int y = 0; y < 8 * sy; ++y) {
    int* d = unit + y * stride;
    const int* s = mPixel + (y / sy) * 8;
    for (int x = 0; x < 8 * sx; ++x) d[x] = s[x / sx];
  }
}

void JDecoder::ConvertMcu(int col, int row) {
  const int uw = mHmax * 8, uh = mVmax * 8;
  const int64_t x0 = static_cast<int64_t>(col) * uw;
  const int64_t y0 = static_cast<int64_t>(row) * uh;
  int xn = static_cast<int>(mWidth - x0 < uw ? mWidth - x0 : uw);
  if (xn <= 0) return;
  const bool chromaPairs = mComponents == 3 && mHmax == 2 * mFrame[1].h && mHmax == 2 * mFrame[2].h;
  for (int y = 0; y < uh; ++y) {
    const int64_t at = (y0 + y) * mWidth + x0;
    uint8_t* r = mRgbPA[0] + at;
    uint8_t* g = mRgbPA[1] + at;
    uint8_t* b = mRgbPA[2] + at;
    const int* py = mUnit[0] + y * uw;
    if (mComponents == 1) {
      for (int x = 0; x < xn; ++x) r[x] = g[x] = b[x] = ClampByte(py[x]);
      continue;
    }
    const int* pcb = mUnit[1] + y * uw;
    const int* pcr = mUnit[2] + y * uw;
    // Photo-flagged four-component files take luminance from the fourth
    // component plus 128.
    const int* pl = (mComponents == 4 && mPhotoFlag == 1) ? mUnit[3] + y * uw : py;
    const int add = pl == py ? 0 : 128;
    const ColourTables& t = Tables();
    int x = 0;
    if (chromaPairs) {
      // Chroma replicated two wide: one set of chroma terms for two pixels.
      for (; x + 1 < xn; x += 2) {
        const int Y0 = py[x], Y1 = py[x + 1], cb = pcb[x], cr = pcr[x];
        if (!ColourTables::In(Y0) || !ColourTables::In(Y1) || !ColourTables::In(cb) || !ColourTables::In(cr)) break;
        const int i = cb - ColourTables::kLow, j = cr - ColourTables::kLow;
        const int tr = t.crR[j], tg = t.crbG[j] + t.cbG[i], tb = t.cbB[i];
        const uint8_t* l0 = t.limit + (Y0 - ColourTables::kClampLow);
        const uint8_t* l1 = t.limit + (Y1 - ColourTables::kClampLow);
        r[x] = l0[tr];
        g[x] = l0[tg];
        b[x] = l0[tb];
        r[x + 1] = l1[tr];
        g[x + 1] = l1[tg];
        b[x + 1] = l1[tb];
      }
    }
    for (; x < xn; ++x) {
      const int Y = pl[x] + add, cb = pcb[x], cr = pcr[x];
      if (ColourTables::In(Y) && ColourTables::In(cb) && ColourTables::In(cr)) {
        const int i = cb - ColourTables::kLow, j = cr - ColourTables::kLow;
        const uint8_t* lim = t.limit + (Y - ColourTables::kClampLow);
        r[x] = lim[t.crR[j]];
        g[x] = lim[t.crbG[j] + t.cbG[i]];
        b[x] = lim[t.cbB[i]];
      } else {
        r[x] = ClampByte(Y + CrToR(cr - 128));
        g[x] = ClampByte(Y - CrToG(cr - 128) - CbToG(cb - 128));
        b[x] = ClampByte(Y + CbToB(cb - 128));
      }
    }
  }
}

}  // namespace jpeg
