// The decoder's inner loops: the inverse DCT of a block and the colour
// conversion of a row. They compute exactly what the plain fixed-point
// formulas below compute (the same products, the same shifts that round
// down): on x86-64 processors with AVX2 eight lanes at a time, elsewhere in
// scalar code that skips work known to give 0.
#pragma once

#include <cstdint>

namespace jpeg {

// Inverse DCT of one block whose dequantised coefficients are stored
// transposed (coefT[column * 8 + row]): rows first, then columns, each pass
//   a = (100 x1 - 502 x7) >> 9   b = (426 x5 - 284 x3) >> 9
//   c = (100 x7 + 502 x1) >> 9   d = (284 x5 + 426 x3) >> 9
//   e = (362 (x0 + x4)) >> 9     f = (362 (x0 - x4)) >> 9
//   g = (196 x2 - 473 x6) >> 9   h = (473 x2 + 196 x6) >> 9
//   p = a + b, q = a - b, u = c - d, w = c + d
//   m = (362 (u - q)) >> 9, n = (362 (u + q)) >> 9
//   y = e+h+w, f+g+n, f-g+m, e-h+p, e-h-p, f-g-m, f+g-n, e+h-w
// and the samples (y >> 2) + level written at out, `stride` ints a row.
// rows: bit r set when row r of the block may hold a value other than 0.
void IdctBlock(const int* coefT, unsigned rows, int* out, int stride, int level);

// Colour conversion of n pixels of a row: luminance y[x], chroma cb[x >> s]
// and cr[x >> s] (s = chromaShift, 0 or 1), into
//   r = Y + (1436 (Cr - 128) >> 10)
//   g = Y - (732 (Cr - 128) >> 10) - (704 (Cb - 128) >> 11)
//   b = Y + (1814 (Cb - 128) >> 10)
// each clamped to 0..255. Samples within +-2^19 (coefficients are clamped to
// 16 bits) keep every product inside 32 bits.
void ConvertRowYcc(const int* y, const int* cb, const int* cr, int chromaShift, uint8_t* r, uint8_t* g, uint8_t* b,
                   int n);

// Greyscale: each sample clamped to 0..255 into all three planes.
void ConvertRowGrey(const int* y, uint8_t* r, uint8_t* g, uint8_t* b, int n);

// Test hook: true makes every call use the baseline build of the kernels,
// false the build chosen for the processor. Returns whether the baseline
// was in use. Not for use while another thread decodes.
bool UseBaselineKernels(bool baseline);

}  // namespace jpeg
