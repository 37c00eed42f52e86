// Arbitrary bytes through the JPEG decoder's entry points, with a plane
// limit of four megapixels.
#include <cstddef>
#include <cstdint>

#include "image/jpeg/jpeg_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  jpeg::JDecoder d;
  d.SetPlaneLimit(int64_t(3) * 4000000);
  if (d.ReadHeader(data, static_cast<int64_t>(size)) != 0) return 0;
  if (d.Decode() != 0) return 0;
  uint8_t *r, *g, *b;
  int w, h, c;
  d.GetInfo(&r, &g, &b, &w, &h, &c);
  // The planes hold at least width x height bytes each.
  volatile uint8_t sink = 0;
  const int64_t n = int64_t(w) * h;
  if (n > 0) sink = static_cast<uint8_t>(r[n - 1] ^ g[n - 1] ^ b[n - 1] ^ r[0]);
  (void)sink;
  jpeg::JFree(r);
  jpeg::JFree(g);
  jpeg::JFree(b);
  return 0;
}
