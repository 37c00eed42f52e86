// The decoder's colour formulas (YCbCr to RGB, fixed point, shifts that
// round down) and the tables that give the same values for the usual range
// of samples. Internal to the decoder.
#pragma once

#include <cstdint>

namespace jpeg {

inline uint8_t ClampByte(int v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); }

// Terms of the colour formulas (arguments centred on 0). Samples stay within
// about +-2^19 (coefficients are clamped to 16 bits), so every product fits
// in 32 bits; 7256/4096 is taken as 1814/1024, which floors the same.
inline int CrToR(int c) { return (1436 * c) >> 10; }
inline int CrToG(int c) { return (732 * c) >> 10; }
inline int CbToG(int c) { return (704 * c) >> 11; }
inline int CbToB(int c) { return (1814 * c) >> 10; }

// One pixel by the formulas.
inline void ConvertByFormula(int Y, int cb, int cr, uint8_t* r, uint8_t* g, uint8_t* b) {
  *r = ClampByte(Y + CrToR(cr - 128));
  *g = ClampByte(Y - CrToG(cr - 128) - CbToG(cb - 128));
  *b = ClampByte(Y + CbToB(cb - 128));
}

// The same terms for samples in [kLow, kLow + kSpan) from tables (each term
// depends on one channel), and a clamp table for their sums.
struct ColourTables {
  static constexpr int kLow = -512;
  static constexpr unsigned kSpan = 1280;
  static constexpr int kClampLow = -3072;
  static bool In(int v) { return static_cast<unsigned>(v - kLow) < kSpan; }
  int crR[kSpan], crbG[kSpan], cbG[kSpan], cbB[kSpan];
  uint8_t limit[7168];  // index: value - kClampLow
  ColourTables();
};
const ColourTables& Tables();

// One pixel through the tables, or by the formulas when a sample lies
// outside them.
inline void TablePixel(const ColourTables& t, int Y, int cb, int cr, uint8_t* r, uint8_t* g, uint8_t* b) {
  if (ColourTables::In(Y) && ColourTables::In(cb) && ColourTables::In(cr)) {
    const int i = cb - ColourTables::kLow, j = cr - ColourTables::kLow;
    const uint8_t* lim = t.limit + (Y - ColourTables::kClampLow);
    *r = lim[t.crR[j]];
    *g = lim[t.crbG[j] + t.cbG[i]];
    *b = lim[t.cbB[i]];
  } else {
    ConvertByFormula(Y, cb, cr, r, g, b);
  }
}

// Two pixels sharing one chroma pair through the tables (one set of chroma
// terms), into r[0..1], g[0..1], b[0..1]; false, with nothing written, when
// a sample lies outside the tables.
inline bool TablePixelPair(const ColourTables& t, int Y0, int Y1, int cb, int cr, uint8_t* r, uint8_t* g,
                           uint8_t* b) {
  if (!ColourTables::In(Y0) || !ColourTables::In(Y1) || !ColourTables::In(cb) || !ColourTables::In(cr)) return false;
  const int i = cb - ColourTables::kLow, j = cr - ColourTables::kLow;
  const int tr = t.crR[j], tg = t.crbG[j] + t.cbG[i], tb = t.cbB[i];
  const uint8_t* l0 = t.limit + (Y0 - ColourTables::kClampLow);
  const uint8_t* l1 = t.limit + (Y1 - ColourTables::kClampLow);
  r[0] = l0[tr];
  g[0] = l0[tg];
  b[0] = l0[tb];
  r[1] = l1[tr];
  g[1] = l1[tg];
  b[1] = l1[tb];
  return true;
}

}  // namespace jpeg
