// Helpers of the JPEG codec tests: pictures as three planes, PPM/PGM files,
// decoding and encoding through the codec's entry points, and the measures
// the comparisons use (PSNR, largest and mean difference).
#pragma once

#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "image/jpeg/jpeg_decoder.h"
#include "image/jpeg/jpeg_encoder.h"
#include "image/jpeg/jpeg_tables.h"

namespace jpegtest {

struct Planes {
  int width = 0, height = 0, components = 0;
  std::vector<uint8_t> r, g, b;
  bool operator==(const Planes& o) const {
    return width == o.width && height == o.height && r == o.r && g == o.g && b == o.b;
  }
};

// Binary PPM (P6) or PGM (P5), 8 bits; width 0 when the text is not one.
inline Planes ParsePnm(const std::string& s) {
  Planes p;
  std::size_t i = 0;
  auto token = [&]() {
    while (i < s.size()) {
      if (s[i] == '#') {
        while (i < s.size() && s[i] != '\n') ++i;
      } else if (std::isspace(static_cast<unsigned char>(s[i]))) {
        ++i;
      } else {
        break;
      }
    }
    std::size_t b = i;
    while (i < s.size() && !std::isspace(static_cast<unsigned char>(s[i]))) ++i;
    return s.substr(b, i - b);
  };
  std::string magic = token();
  if (magic != "P6" && magic != "P5") return p;
  int w = std::atoi(token().c_str()), h = std::atoi(token().c_str()), mx = std::atoi(token().c_str());
  ++i;
  const int ch = magic == "P6" ? 3 : 1;
  if (mx != 255 || w <= 0 || h <= 0 || s.size() < i + static_cast<std::size_t>(w) * h * ch) return p;
  p.width = w;
  p.height = h;
  p.components = ch;
  const std::size_t n = static_cast<std::size_t>(w) * h;
  p.r.resize(n);
  p.g.resize(n);
  p.b.resize(n);
  for (std::size_t k = 0; k < n; ++k) {
    const auto* px = reinterpret_cast<const uint8_t*>(s.data() + i + k * ch);
    p.r[k] = px[0];
    p.g[k] = px[ch == 3 ? 1 : 0];
    p.b[k] = px[ch == 3 ? 2 : 0];
  }
  return p;
}

inline std::string ToPpm(const Planes& p) {
  std::string s = "P6\n" + std::to_string(p.width) + " " + std::to_string(p.height) + "\n255\n";
  for (std::size_t k = 0; k < p.r.size(); ++k) {
    s += static_cast<char>(p.r[k]);
    s += static_cast<char>(p.g[k]);
    s += static_cast<char>(p.b[k]);
  }
  return s;
}

struct DecodeResult {
  int header = 0;
  int decode = 0;
  Planes planes;
};

// ReadHeader, then Decode when the header was read; the planes (first
// `height` rows) copied out and freed.
template <class Bits = jpeg::JScanBits>
DecodeResult DecodeBytes(const std::string& file, int64_t limit = 0) {
  DecodeResult res;
  jpeg::JDecoder d;
  d.SetPlaneLimit(limit);
  res.header = d.ReadHeader(reinterpret_cast<const uint8_t*>(file.data()), static_cast<int64_t>(file.size()));
  if (res.header != 0) return res;
  res.decode = d.DecodeWith<Bits>();
  if (res.decode != 0) return res;
  uint8_t *r, *g, *b;
  Planes& p = res.planes;
  d.GetInfo(&r, &g, &b, &p.width, &p.height, &p.components);
  const std::size_t n = static_cast<std::size_t>(p.width) * p.height;
  p.r.assign(r, r + n);
  p.g.assign(g, g + n);
  p.b.assign(b, b + n);
  jpeg::JFree(r);
  jpeg::JFree(g);
  jpeg::JFree(b);
  return res;
}

// Encodes with the save step's parameters (96 x 96 dpi, the program's comment).
inline std::string EncodePlanes(const Planes& p, int level, const char* comment = "JPEG by Dorvik",
                                int* result = nullptr) {
  jpeg::JEncoder e(p.r.data(), p.g.data(), p.b.data());
  jpeg::JEncodeParams prm;
  prm.width = p.width;
  prm.height = p.height;
  prm.comment = comment;
  prm.densityUnits = 1;
  prm.xDensity = 96;
  prm.yDensity = 96;
  e.SetParams(&prm);
  e.SetQuality(level);
  int rc = e.Encode();
  if (result != nullptr) *result = rc;
  const uint8_t* data;
  int64_t size;
  e.GetOutput(&data, &size);
  return rc == 0 ? std::string(reinterpret_cast<const char*>(data), static_cast<std::size_t>(size)) : std::string();
}

struct Diff {
  double psnr = 0;
  int maxAbs = 0;
  double mean = 0;  // mean of (ours - reference)
};

inline Diff Compare(const Planes& ours, const Planes& ref) {
  Diff d;
  double se = 0, sum = 0;
  std::size_t n = 0;
  const std::vector<uint8_t>* a[3] = {&ours.r, &ours.g, &ours.b};
  const std::vector<uint8_t>* b[3] = {&ref.r, &ref.g, &ref.b};
  for (int c = 0; c < 3; ++c) {
    for (std::size_t k = 0; k < a[c]->size() && k < b[c]->size(); ++k) {
      int e = int((*a[c])[k]) - int((*b[c])[k]);
      se += double(e) * e;
      sum += e;
      if (std::abs(e) > d.maxAbs) d.maxAbs = std::abs(e);
      ++n;
    }
  }
  d.mean = n ? sum / n : 0;
  d.psnr = se == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 * n / se);
  return d;
}

// A picture with gradients, edges and noise from a fixed seed.
inline Planes Synthetic(int w, int h, uint32_t seed) {
  Planes p;
  p.width = w;
  p.height = h;
  p.components = 3;
  const std::size_t n = static_cast<std::size_t>(w) * h;
  p.r.resize(n);
  p.g.resize(n);
  p.b.resize(n);
  uint32_t s = seed;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      s = s * 1103515245u + 12345u;
      const int noise = static_cast<int>((s >> 16) & 15) - 8;
      const std::size_t k = static_cast<std::size_t>(y) * w + x;
      auto clamp = [](int v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); };
      p.r[k] = clamp((x * 255) / (w > 1 ? w - 1 : 1) + noise);
      p.g[k] = clamp((y * 255) / (h > 1 ? h - 1 : 1) - noise);
      p.b[k] = clamp(((x / 5 + y / 7) % 2) ? 200 + noise : 40 + noise);
    }
  }
  return p;
}

}  // namespace jpegtest
