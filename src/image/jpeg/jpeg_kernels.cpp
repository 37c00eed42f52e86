// Two builds of each kernel. The baseline one is scalar: the IDCT skips
// rows of the block that are all 0 and, when rows 4..7 are 0, leaves their
// terms out of the column pass (they add 0); the colour conversion takes the
// colour tables (jpeg_colour.h). The AVX2 one (x86-64 with GCC or clang,
// picked at the first call when the processor has it) runs eight 32-bit
// lanes through the compiler's vector types: every operation is the
// lane-wise form of the scalar one. Both give the formulas' exact values.
#include "image/jpeg/jpeg_kernels.h"

#include <cstring>

#include "image/jpeg/jpeg_colour.h"

namespace jpeg {

ColourTables::ColourTables() {
  for (int i = 0; i < static_cast<int>(kSpan); ++i) {
    const int c = i + kLow - 128;
    crR[i] = CrToR(c);
    crbG[i] = -CrToG(c);
    cbG[i] = -CbToG(c);
    cbB[i] = CbToB(c);
  }
  for (int i = 0; i < 7168; ++i) limit[i] = ClampByte(i + kClampLow);
}

const ColourTables& Tables() {
  static const ColourTables t;
  return t;
}

namespace {

// ---- baseline (scalar) ----------------------------------------------------

// The eight-point IDCT of x0..x7 into y[0], y[ystep], ... y[7 * ystep].
inline void Idct8(int x0, int x1, int x2, int x3, int x4, int x5, int x6, int x7, int* y, int ystep) {
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
  y[ystep] = t1 + n;
  y[2 * ystep] = t2 + m;
  y[3 * ystep] = t3 + p;
  y[4 * ystep] = t3 - p;
  y[5 * ystep] = t2 - m;
  y[6 * ystep] = t1 - n;
  y[7 * ystep] = t0 - w;
}

// One IDCT pass over x[0], x[step], ... x[7 * step] into y[0..7].
inline void IdctRow(const int* x, int step, int* y) {
  const int x0 = x[0], x1 = x[step], x2 = x[2 * step], x3 = x[3 * step];
  const int x4 = x[4 * step], x5 = x[5 * step], x6 = x[6 * step], x7 = x[7 * step];
  if ((x1 | x2 | x3 | x4 | x5 | x6 | x7) == 0) {
    const int e = (362 * x0) >> 9;  // what the formulas give with x1..x7 = 0
    for (int k = 0; k < 8; ++k) y[k] = e;
    return;
  }
  Idct8(x0, x1, x2, x3, x4, x5, x6, x7, y, 1);
}

// The column pass over the eight columns of t (row-major), one column per
// iteration; with kUpperZero rows 4..7 of t are 0 and their terms left out.
template <bool kUpperZero>
inline void IdctColumns(const int* __restrict t, int* __restrict out, int stride, int level) {
  int y[8][8];
  for (int col = 0; col < 8; ++col) {
    const int x0 = t[col], x1 = t[8 + col], x2 = t[16 + col], x3 = t[24 + col];
    const int x4 = kUpperZero ? 0 : t[32 + col], x5 = kUpperZero ? 0 : t[40 + col];
    const int x6 = kUpperZero ? 0 : t[48 + col], x7 = kUpperZero ? 0 : t[56 + col];
    Idct8(x0, x1, x2, x3, x4, x5, x6, x7, &y[0][col], 8);
  }
  for (int k = 0; k < 8; ++k) {
    int* o = out + k * stride;
    for (int col = 0; col < 8; ++col) o[col] = (y[k][col] >> 2) + level;
  }
}

void IdctPlain(const int* coefT, unsigned rows, int* out, int stride, int level) {
  int t[64];
  unsigned last = 0;
  for (int r = 0; r < 8; ++r) {
    if ((rows >> r) & 1) {
      IdctRow(coefT + r, 8, t + r * 8);  // row r: coefficient k at coefT[k * 8 + r]
      last = static_cast<unsigned>(r);
    } else {
      std::memset(t + r * 8, 0, 8 * sizeof(int));  // a row of 0 gives 0
    }
  }
  if (last < 4) {
    IdctColumns<true>(t, out, stride, level);
  } else {
    IdctColumns<false>(t, out, stride, level);
  }
}

void YccPlain(const int* y, const int* cb, const int* cr, int shift, uint8_t* r, uint8_t* g, uint8_t* b, int n) {
  const ColourTables& t = Tables();
  int x = 0;
  if (shift == 1) {
    // Chroma two wide: one set of chroma terms for two pixels.
    for (; x + 1 < n; x += 2)
      if (!TablePixelPair(t, y[x], y[x + 1], cb[x >> 1], cr[x >> 1], r + x, g + x, b + x)) break;
  }
  for (; x < n; ++x) TablePixel(t, y[x], cb[x >> shift], cr[x >> shift], r + x, g + x, b + x);
}

void GreyPlain(const int* y, uint8_t* r, uint8_t* g, uint8_t* b, int n) {
  for (int x = 0; x < n; ++x) r[x] = g[x] = b[x] = ClampByte(y[x]);
}

struct Kernels {
  void (*idct)(const int*, unsigned, int*, int, int);
  void (*ycc)(const int*, const int*, const int*, int, uint8_t*, uint8_t*, uint8_t*, int);
  void (*grey)(const int*, uint8_t*, uint8_t*, uint8_t*, int);
};

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define JPEG_AVX2 __attribute__((target("avx2")))

typedef int32_t V8 __attribute__((vector_size(32)));
typedef int32_t V4 __attribute__((vector_size(16)));
typedef uint8_t B8 __attribute__((vector_size(8)));
typedef uint8_t B32 __attribute__((vector_size(32)));

#define JPEG_INLINE inline __attribute__((always_inline))

// Helpers take vectors by reference: a 32-byte vector passed by value would
// change the calling convention between the two builds.
JPEG_INLINE void Load8(V8& v, const int* p) { std::memcpy(&v, p, sizeof v); }
JPEG_INLINE void Store8(int* p, const V8& v) { std::memcpy(p, &v, sizeof v); }

// One IDCT pass over x[0..7] (eight lanes each) into y[0..7].
JPEG_INLINE void Pass(const V8* x, V8* y) {
  const V8 a = (100 * x[1] - 502 * x[7]) >> 9;
  const V8 b = (426 * x[5] - 284 * x[3]) >> 9;
  const V8 c = (100 * x[7] + 502 * x[1]) >> 9;
  const V8 d = (284 * x[5] + 426 * x[3]) >> 9;
  const V8 e = (362 * (x[0] + x[4])) >> 9;
  const V8 f = (362 * (x[0] - x[4])) >> 9;
  const V8 g = (196 * x[2] - 473 * x[6]) >> 9;
  const V8 h = (473 * x[2] + 196 * x[6]) >> 9;
  const V8 p = a + b, q = a - b;
  const V8 t0 = e + h, t3 = e - h, t1 = f + g, t2 = f - g;
  const V8 u = c - d, w = c + d;
  const V8 m = (362 * (u - q)) >> 9;
  const V8 n = (362 * (u + q)) >> 9;
  y[0] = t0 + w;
  y[1] = t1 + n;
  y[2] = t2 + m;
  y[3] = t3 + p;
  y[4] = t3 - p;
  y[5] = t2 - m;
  y[6] = t1 - n;
  y[7] = t0 - w;
}

// m[i][j] becomes m[j][i].
JPEG_INLINE void Transpose(V8* m) {
  const V8 t0 = __builtin_shufflevector(m[0], m[1], 0, 8, 1, 9, 4, 12, 5, 13);
  const V8 t1 = __builtin_shufflevector(m[0], m[1], 2, 10, 3, 11, 6, 14, 7, 15);
  const V8 t2 = __builtin_shufflevector(m[2], m[3], 0, 8, 1, 9, 4, 12, 5, 13);
  const V8 t3 = __builtin_shufflevector(m[2], m[3], 2, 10, 3, 11, 6, 14, 7, 15);
  const V8 t4 = __builtin_shufflevector(m[4], m[5], 0, 8, 1, 9, 4, 12, 5, 13);
  const V8 t5 = __builtin_shufflevector(m[4], m[5], 2, 10, 3, 11, 6, 14, 7, 15);
  const V8 t6 = __builtin_shufflevector(m[6], m[7], 0, 8, 1, 9, 4, 12, 5, 13);
  const V8 t7 = __builtin_shufflevector(m[6], m[7], 2, 10, 3, 11, 6, 14, 7, 15);
  const V8 u0 = __builtin_shufflevector(t0, t2, 0, 1, 8, 9, 4, 5, 12, 13);
  const V8 u1 = __builtin_shufflevector(t0, t2, 2, 3, 10, 11, 6, 7, 14, 15);
  const V8 u2 = __builtin_shufflevector(t1, t3, 0, 1, 8, 9, 4, 5, 12, 13);
  const V8 u3 = __builtin_shufflevector(t1, t3, 2, 3, 10, 11, 6, 7, 14, 15);
  const V8 u4 = __builtin_shufflevector(t4, t6, 0, 1, 8, 9, 4, 5, 12, 13);
  const V8 u5 = __builtin_shufflevector(t4, t6, 2, 3, 10, 11, 6, 7, 14, 15);
  const V8 u6 = __builtin_shufflevector(t5, t7, 0, 1, 8, 9, 4, 5, 12, 13);
  const V8 u7 = __builtin_shufflevector(t5, t7, 2, 3, 10, 11, 6, 7, 14, 15);
  m[0] = __builtin_shufflevector(u0, u4, 0, 1, 2, 3, 8, 9, 10, 11);
  m[4] = __builtin_shufflevector(u0, u4, 4, 5, 6, 7, 12, 13, 14, 15);
  m[1] = __builtin_shufflevector(u1, u5, 0, 1, 2, 3, 8, 9, 10, 11);
  m[5] = __builtin_shufflevector(u1, u5, 4, 5, 6, 7, 12, 13, 14, 15);
  m[2] = __builtin_shufflevector(u2, u6, 0, 1, 2, 3, 8, 9, 10, 11);
  m[6] = __builtin_shufflevector(u2, u6, 4, 5, 6, 7, 12, 13, 14, 15);
  m[3] = __builtin_shufflevector(u3, u7, 0, 1, 2, 3, 8, 9, 10, 11);
  m[7] = __builtin_shufflevector(u3, u7, 4, 5, 6, 7, 12, 13, 14, 15);
}

JPEG_INLINE void IdctBody(const int* coefT, int* out, int stride, int level) {
  // Lane r of x[k] is coefficient k of row r: the row pass runs on all rows.
  V8 x[8], y[8];
  for (int k = 0; k < 8; ++k) Load8(x[k], coefT + 8 * k);
  Pass(x, y);
  // Lane j of y[k] is output k of row j; the column pass needs lane j of
  // its input r to be output j of row r.
  Transpose(y);
  Pass(y, x);
  for (int k = 0; k < 8; ++k) {
    const V8 v = (x[k] >> 2) + level;
    Store8(out + k * stride, v);
  }
}

// Each lane clamped to 0..255 and stored as a byte.
JPEG_INLINE void StoreClamped(uint8_t* p, const V8& v) {
  const V8 low = v & (v > 0);  // lanes below 0 become 0
  const V8 over = low > 255;
  const V8 c = (low & ~over) | (over & 255);
  // The low byte of each lane (little-endian).
  B32 bytes;
  std::memcpy(&bytes, &c, sizeof bytes);
  const B8 b = __builtin_shufflevector(bytes, bytes, 0, 4, 8, 12, 16, 20, 24, 28);
  std::memcpy(p, &b, sizeof b);
}

JPEG_INLINE void YccBody(const int* y, const int* cb, const int* cr, int shift, uint8_t* r, uint8_t* g, uint8_t* b,
                         int n) {
  int x = 0;
  for (; x + 8 <= n; x += 8) {
    V8 vcb, vcr;
    if (shift == 0) {
      Load8(vcb, cb + x);
      Load8(vcr, cr + x);
    } else {
      V4 c4, r4;
      std::memcpy(&c4, cb + (x >> 1), sizeof c4);
      std::memcpy(&r4, cr + (x >> 1), sizeof r4);
      vcb = __builtin_shufflevector(c4, c4, 0, 0, 1, 1, 2, 2, 3, 3);
      vcr = __builtin_shufflevector(r4, r4, 0, 0, 1, 1, 2, 2, 3, 3);
    }
    V8 vy;
    Load8(vy, y + x);
    const V8 dr = vcr - 128, db = vcb - 128;
    const V8 vr = vy + ((1436 * dr) >> 10);
    const V8 vg = vy - ((732 * dr) >> 10) - ((704 * db) >> 11);
    const V8 vb = vy + ((1814 * db) >> 10);
    StoreClamped(r + x, vr);
    StoreClamped(g + x, vg);
    StoreClamped(b + x, vb);
  }
  for (; x < n; ++x) {
    const int Y = y[x], dr = cr[x >> shift] - 128, db = cb[x >> shift] - 128;
    r[x] = ClampByte(Y + ((1436 * dr) >> 10));
    g[x] = ClampByte(Y - ((732 * dr) >> 10) - ((704 * db) >> 11));
    b[x] = ClampByte(Y + ((1814 * db) >> 10));
  }
}

JPEG_INLINE void GreyBody(const int* y, uint8_t* r, uint8_t* g, uint8_t* b, int n) {
  int x = 0;
  for (; x + 8 <= n; x += 8) {
    V8 v;
    Load8(v, y + x);
    StoreClamped(r + x, v);
    StoreClamped(g + x, v);
    StoreClamped(b + x, v);
  }
  for (; x < n; ++x) r[x] = g[x] = b[x] = ClampByte(y[x]);
}


// ---- AVX2 (vector) ----------------------------------------------------------

JPEG_AVX2 void IdctAvx2(const int* coefT, unsigned, int* out, int stride, int level) {
  IdctBody(coefT, out, stride, level);
}
JPEG_AVX2 void YccAvx2(const int* y, const int* cb, const int* cr, int shift, uint8_t* r, uint8_t* g, uint8_t* b,
                       int n) {
  YccBody(y, cb, cr, shift, r, g, b, n);
}
JPEG_AVX2 void GreyAvx2(const int* y, uint8_t* r, uint8_t* g, uint8_t* b, int n) { GreyBody(y, r, g, b, n); }

Kernels Pick() {
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx2")) return {IdctAvx2, YccAvx2, GreyAvx2};
  return {IdctPlain, YccPlain, GreyPlain};
}
#else
Kernels Pick() { return {IdctPlain, YccPlain, GreyPlain}; }
#endif

Kernels& Chosen() {
  static Kernels k = Pick();
  return k;
}

}  // namespace

void IdctBlock(const int* coefT, unsigned rows, int* out, int stride, int level) {
  Chosen().idct(coefT, rows, out, stride, level);
}

void ConvertRowYcc(const int* y, const int* cb, const int* cr, int chromaShift, uint8_t* r, uint8_t* g, uint8_t* b,
                   int n) {
  Chosen().ycc(y, cb, cr, chromaShift, r, g, b, n);
}

void ConvertRowGrey(const int* y, uint8_t* r, uint8_t* g, uint8_t* b, int n) { Chosen().grey(y, r, g, b, n); }

bool UseBaselineKernels(bool baseline) {
  const bool was = Chosen().idct == IdctPlain;
  Chosen() = baseline ? Kernels{IdctPlain, YccPlain, GreyPlain} : Pick();
  return was;
}

}  // namespace jpeg
