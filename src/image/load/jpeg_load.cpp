// JPEG loader over the program's own decoder: the three colour planes become
// 24-bit DIB rows, bottom-up, in blue, green, red order.
#include <cstdio>
#include <cstring>

#include "image/jpeg/jpeg_decoder.h"
#include "image/load/image_loaders.h"
#include "image/load/image_size.h"

namespace img {

uint32_t LoadJpegImage(LoadRecord& rec, LoadHost& host, const uint8_t* data, uint32_t length, uint8_t* info) {
  jpeg::JDecoder dec;
  // The planes (three bytes a pixel) stay within the pixel data kept.
  dec.SetPlaneLimit(int64_t(host.textBufSize) > 0 ? int64_t(host.textBufSize) : 1);
  int rc = dec.ReadHeader(data, length);
  if (rc == 0) rc = dec.Decode();
  if (rc < 0) {
    if (rc == -1) host.MessageBox(kStrOutOfMemory);
    return 0;
  }
  uint8_t *r = nullptr, *g = nullptr, *b = nullptr;
  int w = 0, h = 0, comps = 0;
  dec.GetInfo(&r, &g, &b, &w, &h, &comps);
  struct Planes {
    uint8_t *r, *g, *b;
    ~Planes() {
      jpeg::JFree(r);
      jpeg::JFree(g);
      jpeg::JFree(b);
    }
  } planes{r, g, b};
  if (!r || !g || !b || w <= 0 || h <= 0) return 0;
  if (comps == 1) rec.m_aImageSettings[kColorOption] = 0;
  const uint64_t stride = DibStride(uint32_t(w), 24);
  if (stride > kMaxSide || stride * uint64_t(h) > host.textBufSize) return 0;
  if (!AllocLoadBits(rec, host, stride * uint64_t(h) + 10000)) return 0;
  for (int y = 0; y < h; ++y) {
    uint8_t* d = rec.m_pLoadBits + uint64_t(h - 1 - y) * stride;
    const uint64_t s = uint64_t(y) * uint64_t(w);
    for (int x = 0; x < w; ++x, d += 3) {
      d[0] = b[s + x];
      d[1] = g[s + x];
      d[2] = r[s + x];
    }
  }
  std::memset(info, 0, kInfoArea);
  DibHeader out;
  out.biWidth = w;
  out.biHeight = h;
  out.biBitCount = 24;
  out.biSizeImage = uint32_t(stride * uint64_t(h));
  out.biXPelsPerMeter = out.biYPelsPerMeter = 3780;
  WriteDibHeader(info, out);
  if (rec.m_nTrimMode == 0) {
    char text[48];
    std::snprintf(text, sizeof text, "Jpeg %d color%s", comps,
                  int32_t(rec.m_aImageSettings[kColorOption]) > 0 ? " cmy" : "");
    host.StatusText(text);
  }
  return 1;
}

}  // namespace img
