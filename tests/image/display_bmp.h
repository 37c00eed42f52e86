// Bitmap files in and out for the display pipeline's tool and tests: read
// through the program's own loader, written as a plain 40-byte-header BMP,
// and any picture expanded to top-down R, G, B rows for comparisons.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "image/load/dib_convert.h"
#include "image/load/image_dispatch.h"
#include "image/load/image_host.h"
#include "image/load/image_record.h"
#include "image/load/image_size.h"

namespace imgview {

class QuietHost : public img::LoadHost {
 public:
  void SetMessage(unsigned) override {}
  void AppendMessage(unsigned) override {}
  void MessageBox(unsigned) override {}
  void StatusText(const std::string&) override {}
};

struct Picture {
  std::vector<uint8_t> info = std::vector<uint8_t>(img::kInfoArea, 0);
  std::vector<uint8_t> bits;
  uint32_t infoSize = 40;
  img::DibHeader Header() const { return img::ReadDibHeader(info.data()); }
};

// False when the loader refuses the file.
inline bool ReadBmp(const std::string& path, Picture* out, uint32_t membuf = 1u << 30, uint32_t membuf2 = 1u << 30) {
  img::LoadRecord rec;
  QuietHost host;
  host.textBufSize = membuf;
  host.textBufSize2 = membuf2;
  img::LoadRequest req;
  req.kind = 12;
  if (img::LoadImageFile(rec, host, path, req).result != 0) return false;
  out->info.assign(rec.m_bmiLoad, rec.m_bmiLoad + img::kInfoArea);
  out->bits.assign(rec.m_pLoadBits, rec.m_pLoadBits + rec.m_nLoadDataSize);
  out->infoSize = rec.m_nLoadInfoSize;
  img::ReleaseLoadBits(rec);
  return true;
}

inline void Le(std::string& s, uint32_t v, int n) {
  for (int i = 0; i < n; ++i) s.push_back(char(v >> (8 * i)));
}

// The header's picture (`size` bytes of rows) with its colour table.
inline bool WriteBmp(const std::string& path, const uint8_t* info, const uint8_t* pixels, uint32_t size) {
  img::DibHeader h = img::ReadDibHeader(info);
  const uint32_t colours = h.biBitCount <= 8 ? 1u << h.biBitCount : 0;
  const uint32_t tableAt = h.biSize >= 40 && h.biSize + 4 * colours <= img::kInfoArea ? h.biSize : 40;
  std::string f = "BM";
  const uint32_t off = 14 + 40 + 4 * colours;
  Le(f, off + size, 4);
  Le(f, 0, 4);
  Le(f, off, 4);
  h.biSize = 40;
  h.biClrUsed = colours;
  h.biClrImportant = 0;
  h.biCompression = 0;
  h.biSizeImage = size;
  uint8_t hb[40];
  img::WriteDibHeader(hb, h);
  f.append(reinterpret_cast<const char*>(hb), 40);
  f.append(reinterpret_cast<const char*>(info + tableAt), 4 * colours);
  f.append(reinterpret_cast<const char*>(pixels), size);
  FILE* fp = std::fopen(path.c_str(), "wb");
  if (!fp) return false;
  const bool ok = std::fwrite(f.data(), 1, f.size(), fp) == f.size();
  return std::fclose(fp) == 0 && ok;
}

// Top-down rows of R, G, B bytes (width x 3 each) of any depth.
inline std::vector<uint8_t> ToRgb(const uint8_t* infoIn, const uint8_t* pixels, uint32_t size) {
  std::vector<uint8_t> info(infoIn, infoIn + img::kInfoArea);
  img::DibHeader h = img::ReadDibHeader(info.data());
  const uint64_t w = uint32_t(h.biWidth), ht = uint32_t(h.biHeight);
  const uint64_t st = img::DibStride(w, 24);
  std::vector<uint8_t> px24;
  const uint8_t* rows = pixels;
  if (h.biBitCount != 24) {
    px24.assign(st * ht + 16, 0);
    img::ConvertDibPixels(pixels, px24.data(), info.data(), size, uint32_t(px24.size()));
    rows = px24.data();
  } else if (size < st * ht) {
    px24.assign(pixels, pixels + size);
    px24.resize(st * ht, 0);
    rows = px24.data();
  }
  std::vector<uint8_t> rgb(w * ht * 3);
  for (uint64_t y = 0; y < ht; ++y)
    for (uint64_t x = 0; x < w; ++x) {
      const uint8_t* p = rows + (ht - 1 - y) * st + 3 * x;
      uint8_t* q = rgb.data() + (y * w + x) * 3;
      q[0] = p[2];
      q[1] = p[1];
      q[2] = p[0];
    }
  return rgb;
}

}  // namespace imgview
