// Times the JPEG codec against libjpeg-turbo in the same process, both in
// plain C (JSIMD_FORCENONE=1 is set before libjpeg's first call). Usage:
//   bench_jpeg [picture.ppm]
// Without a picture, ImageMagick makes a 2880 x 1908 plasma (lightly
// blurred). Decode input: that picture written by cjpeg -quality 90
// -sample 2x2. Encode: ours at level 3, libjpeg at quality 90, 4:2:0.
// Best of several runs each. Build the native tree without sanitizers
// (-DTABRYE_SANITIZE=OFF) for meaningful figures.
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench_util.h"
#include "image/jpeg/jpeg_decoder.h"
#include "image/jpeg/jpeg_encoder.h"

namespace {

template <class F>
double Best(int runs, F f) {
  double best = 1e99;
  for (int i = 0; i < runs; ++i) {
    auto t0 = bench::Clock::now();
    f();
    double s = bench::Seconds(t0);
    if (s < best) best = s;
  }
  return best;
}

struct Ppm {
  int w = 0, h = 0;
  std::vector<uint8_t> rgb;
};

Ppm ReadPpm(const std::string& bytes) {
  Ppm p;
  int mx = 0, n = 0;
  if (std::sscanf(bytes.c_str(), "P6 %d %d %d%n", &p.w, &p.h, &mx, &n) != 3 || mx != 255) return Ppm{};
  const std::size_t at = static_cast<std::size_t>(n) + 1, size = std::size_t(p.w) * p.h * 3;
  if (bytes.size() < at + size) return Ppm{};
  p.rgb.assign(bytes.begin() + at, bytes.begin() + at + size);
  return p;
}

std::vector<uint8_t> LibjpegEncode(const Ppm& p, int quality) {
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* out = nullptr;
  unsigned long outSize = 0;
  jpeg_mem_dest(&c, &out, &outSize);
  c.image_width = p.w;
  c.image_height = p.h;
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, quality, TRUE);
  c.comp_info[0].h_samp_factor = 2;
  c.comp_info[0].v_samp_factor = 2;
  jpeg_start_compress(&c, TRUE);
  while (c.next_scanline < c.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(p.rgb.data() + std::size_t(c.next_scanline) * p.w * 3);
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::vector<uint8_t> v(out, out + outSize);
  std::free(out);
  return v;
}

std::vector<uint8_t> LibjpegDecode(const std::string& file, int* w, int* h) {
  jpeg_decompress_struct d;
  jpeg_error_mgr err;
  d.err = jpeg_std_error(&err);
  jpeg_create_decompress(&d);
  jpeg_mem_src(&d, reinterpret_cast<const unsigned char*>(file.data()), file.size());
  jpeg_read_header(&d, TRUE);
  jpeg_start_decompress(&d);
  *w = d.output_width;
  *h = d.output_height;
  std::vector<uint8_t> px(std::size_t(d.output_width) * d.output_height * d.output_components);
  while (d.output_scanline < d.output_height) {
    JSAMPROW row = px.data() + std::size_t(d.output_scanline) * d.output_width * d.output_components;
    jpeg_read_scanlines(&d, &row, 1);
  }
  jpeg_finish_decompress(&d);
  jpeg_destroy_decompress(&d);
  return px;
}

}  // namespace

int main(int argc, char** argv) {
  setenv("JSIMD_FORCENONE", "1", 1);
  const std::string dir = "/tmp/bench_jpeg." + std::to_string(getpid());
  std::string ppmPath = argc > 1 ? argv[1] : dir + "/plasma.ppm";
  int rc = std::system(("mkdir -p " + dir).c_str());
  if (argc <= 1) {
    rc = std::system(("convert -size 2880x1908 -seed 7 plasma:fractal -blur 0x1 -depth 8 ppm:" + ppmPath).c_str());
    if (rc != 0) {
      std::fprintf(stderr, "ImageMagick could not make the picture\n");
      return 1;
    }
  }
  rc = std::system(("cjpeg -quality 90 -sample 2x2 " + ppmPath + " > " + dir + "/q90.jpg").c_str());
  const Ppm pic = ReadPpm(bench::ReadFile(ppmPath));
  const std::string jpg = bench::ReadFile(dir + "/q90.jpg");
  if (pic.w == 0 || jpg.empty() || rc != 0) {
    std::fprintf(stderr, "no picture or no cjpeg file\n");
    return 1;
  }
  const double mp = double(pic.w) * pic.h / 1e6;
  const int runs = 5;

  // Decode.
  double ours = Best(runs, [&] {
    jpeg::JDecoder d;
    if (d.ReadHeader(reinterpret_cast<const uint8_t*>(jpg.data()), int64_t(jpg.size())) != 0 || d.Decode() != 0) {
      std::fprintf(stderr, "our decoder failed\n");
      std::exit(1);
    }
    uint8_t *r, *g, *b;
    int w, h, c;
    d.GetInfo(&r, &g, &b, &w, &h, &c);
    jpeg::JFree(r);
    jpeg::JFree(g);
    jpeg::JFree(b);
  });
  int lw = 0, lh = 0;
  double lib = Best(runs, [&] { LibjpegDecode(jpg, &lw, &lh); });
  std::printf("picture %dx%d (%.2f MP); cjpeg -quality 90 -sample 2x2: %zu bytes\n", pic.w, pic.h, mp, jpg.size());
  std::printf("decode  ours %7.1f MP/s (%.3f s)   libjpeg-turbo %7.1f MP/s (%.3f s)   ours/libjpeg time %.2f\n",
              mp / ours, ours, mp / lib, lib, ours / lib);

  // Encode.
  std::vector<uint8_t> r(pic.rgb.size() / 3), g(r.size()), b(r.size());
  for (std::size_t i = 0; i < r.size(); ++i) {
    r[i] = pic.rgb[3 * i];
    g[i] = pic.rgb[3 * i + 1];
    b[i] = pic.rgb[3 * i + 2];
  }
  int64_t ourSize = 0;
  double oursEnc = Best(runs, [&] {
    jpeg::JEncoder e(r.data(), g.data(), b.data());
    jpeg::JEncodeParams p;
    p.width = pic.w;
    p.height = pic.h;
    p.comment = "JPEG by Dorvik";
    p.densityUnits = 1;
    p.xDensity = p.yDensity = 96;
    e.SetParams(&p);
    e.SetQuality(3);
    if (e.Encode() != 0) std::exit(1);
    const uint8_t* data;
    e.GetOutput(&data, &ourSize);
  });
  std::size_t libSize = 0;
  double libEnc = Best(runs, [&] { libSize = LibjpegEncode(pic, 90).size(); });
  std::printf("encode  ours %7.1f MP/s (%.3f s, level 3: %lld bytes)   libjpeg-turbo %7.1f MP/s (%.3f s, q90 4:2:0: "
              "%zu bytes)   ours/libjpeg time %.2f\n",
              mp / oursEnc, oursEnc, static_cast<long long>(ourSize), mp / libEnc, libEnc, libSize, oursEnc / libEnc);
  rc = std::system(("rm -rf " + dir).c_str());
  return 0;
}
