// Random planes up to 64 x 64 at a random level through the encoder: it
// always succeeds, and the decoder reads the file back at the same size.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/jpeg/jpeg_decoder.h"
#include "image/jpeg/jpeg_encoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const int w = 1 + data[0] % 64, h = 1 + data[1] % 64, level = data[2] % 4;
  const size_t n = static_cast<size_t>(w) * h;
  std::vector<uint8_t> planes(3 * n, 0);
  for (size_t i = 0; i < planes.size() && size > 3; ++i) planes[i] = data[3 + i % (size - 3)];
  jpeg::JEncoder e(planes.data(), planes.data() + n, planes.data() + 2 * n);
  jpeg::JEncodeParams p;
  p.width = w;
  p.height = h;
  p.comment = (data[2] & 4) ? "JPEG by Dorvik" : nullptr;
  e.SetParams(&p);
  e.SetQuality(level);
  if (e.Encode() != 0) __builtin_trap();
  const uint8_t* out;
  int64_t outSize;
  e.GetOutput(&out, &outSize);
  jpeg::JDecoder d;
  if (d.ReadHeader(out, outSize) != 0 || d.Decode() != 0) __builtin_trap();
  uint8_t *r, *g, *b;
  int dw, dh, dc;
  d.GetInfo(&r, &g, &b, &dw, &dh, &dc);
  if (dw != w || dh != h || dc != 3) __builtin_trap();
  jpeg::JFree(r);
  jpeg::JFree(g);
  jpeg::JFree(b);
  return 0;
}
