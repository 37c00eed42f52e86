// Times the JPEG codec against libjpeg-turbo in the same process, both in
// plain C on libjpeg's side (JSIMD_FORCENONE=1 is set before libjpeg's first
// call). Usage:
//   bench_jpeg [-runs N] [picture.ppm]
// Without a picture, ImageMagick makes a 2880 x 1908 plasma (lightly
// blurred). Decode input: that picture written by cjpeg -quality 90
// -sample 2x2; ours decodes it with the kernels chosen for the processor and
// again with the baseline kernels, libjpeg with its default settings (islow,
// fancy upsampling). Encode: ours at level 3, libjpeg at quality 90, 4:2:0.
// Ours and libjpeg run alternately, one run each per pair; the rows give the
// median seconds and the median of the pairs' ratios (bench_util.h). Every
// run is checked: our planes equal those of the first run (and both kernel
// builds give the same planes), libjpeg's decode lies within 36 dB of ours,
// our file decodes with libjpeg to the picture within 30 dB. Build without
// sanitizers (-DTABRYE_SANITIZE=OFF) for meaningful figures.
#include <cstddef>
#include <cstdio>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench_util.h"
#include "image/jpeg/jpeg_decoder.h"
#include "image/jpeg/jpeg_encoder.h"
#include "image/jpeg/jpeg_kernels.h"

namespace {

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

// Our decode: interleaved RGB (for the comparisons) and the seconds of the
// decode itself (header, scan, planes handed out).
std::vector<uint8_t> OurDecode(const std::string& file, double* seconds, bool* ok) {
  auto t0 = bench::Clock::now();
  jpeg::JDecoder d;
  std::vector<uint8_t> px;
  if (d.ReadHeader(reinterpret_cast<const uint8_t*>(file.data()), int64_t(file.size())) != 0 || d.Decode() != 0) {
    *ok = false;
    *seconds = bench::Seconds(t0);
    return px;
  }
  uint8_t *r, *g, *b;
  int w, h, c;
  d.GetInfo(&r, &g, &b, &w, &h, &c);
  *seconds = bench::Seconds(t0);
  px.resize(std::size_t(w) * h * 3);
  for (std::size_t i = 0; i < std::size_t(w) * h; ++i) {
    px[3 * i] = r[i];
    px[3 * i + 1] = g[i];
    px[3 * i + 2] = b[i];
  }
  jpeg::JFree(r);
  jpeg::JFree(g);
  jpeg::JFree(b);
  return px;
}

double Psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  if (a.size() != b.size() || a.empty()) return 0;
  double se = 0;
  for (std::size_t i = 0; i < a.size(); ++i) se += double(int(a[i]) - int(b[i])) * (int(a[i]) - int(b[i]));
  return se == 0 ? 99 : 10 * std::log10(255.0 * 255.0 * double(a.size()) / se);
}

}  // namespace

int main(int argc, char** argv) {
  setenv("JSIMD_FORCENONE", "1", 1);
  int arg = 1;
  const int runs = bench::TakeRuns(argc, argv, 15, &arg);
  const std::string dir = "/tmp/bench_jpeg." + std::to_string(getpid());
  std::string ppmPath = argc > arg ? argv[arg] : dir + "/plasma.ppm";
  int rc = std::system(("mkdir -p " + dir).c_str());
  if (argc <= arg) {
    rc = std::system(("convert -size 2880x1908 -seed 7 plasma:fractal -blur 0x1 -depth 8 ppm:" + ppmPath).c_str());
    if (rc != 0) {
      std::fprintf(stderr, "ImageMagick could not make the picture\n");
      return 1;
    }
  }
  rc = std::system(("cjpeg -quality 90 -sample 2x2 " + ppmPath + " > " + dir + "/q90.jpg").c_str());
  const Ppm pic = ReadPpm(bench::ReadFile(ppmPath));
  const std::string jpg = bench::ReadFile(dir + "/q90.jpg");
  rc |= std::system(("rm -rf " + dir).c_str());
  if (pic.w == 0 || jpg.empty() || rc != 0) {
    std::fprintf(stderr, "no picture or no cjpeg file\n");
    return 1;
  }
  const double mp = double(pic.w) * pic.h / 1e6;
  std::printf("picture %dx%d (%.2f MP); cjpeg -quality 90 -sample 2x2: %zu bytes\n", pic.w, pic.h, mp, jpg.size());

  // Decode: the first run's planes are the reference for every later run.
  double unused = 0;
  bool ok = true;
  const std::vector<uint8_t> first = OurDecode(jpg, &unused, &ok);
  int lw = 0, lh = 0;
  const std::vector<uint8_t> lib = LibjpegDecode(jpg, &lw, &lh);
  const double agree = Psnr(first, lib);
  std::printf("decode: ours against libjpeg-turbo %.2f dB\n", agree);
  auto theirsDecode = [&](bool* good) {
    auto t0 = bench::Clock::now();
    const std::vector<uint8_t> px = LibjpegDecode(jpg, &lw, &lh);
    const double s = bench::Seconds(t0);
    *good = px == lib;
    return s;
  };
  for (bool baseline : {false, true}) {
    const bool was = jpeg::UseBaselineKernels(baseline);
    bench::Paired p = bench::RunPaired(
        runs,
        [&](bool* good) {
          double s = 0;
          bool decoded = true;
          *good = OurDecode(jpg, &s, &decoded) == first && decoded && ok && agree >= 36;
          return s;
        },
        theirsDecode);
    jpeg::UseBaselineKernels(was);
    std::printf("decode%s: ours %.1f MP/s, libjpeg-turbo %.1f MP/s (medians)\n", baseline ? " (baseline kernels)" : "",
                mp / p.ours, mp / p.theirs);
    bench::PrintRow("jpeg",
                    baseline ? "decode 4:2:0 q90, 5.5 MP, baseline (SSE2) kernels"
                             : "decode 4:2:0 q90, 5.5 MP, kernels for this processor",
                    "libjpeg-turbo plain C (islow, fancy upsampling)", p, "<= 1.00");
  }

  // Encode.
  std::vector<uint8_t> r(pic.rgb.size() / 3), g(r.size()), b(r.size());
  for (std::size_t i = 0; i < r.size(); ++i) {
    r[i] = pic.rgb[3 * i];
    g[i] = pic.rgb[3 * i + 1];
    b[i] = pic.rgb[3 * i + 2];
  }
  std::string ourFirst;
  std::size_t libSize = 0;
  bench::Paired e = bench::RunPaired(
      runs,
      [&](bool* good) {
        auto t0 = bench::Clock::now();
        jpeg::JEncoder enc(r.data(), g.data(), b.data());
        jpeg::JEncodeParams prm;
        prm.width = pic.w;
        prm.height = pic.h;
        prm.comment = "JPEG by Dorvik";
        prm.densityUnits = 1;
        prm.xDensity = prm.yDensity = 96;
        enc.SetParams(&prm);
        enc.SetQuality(3);
        const int result = enc.Encode();
        const double s = bench::Seconds(t0);
        const uint8_t* data;
        int64_t size;
        enc.GetOutput(&data, &size);
        const std::string out(reinterpret_cast<const char*>(data), std::size_t(size));
        if (ourFirst.empty() && result == 0) {
          int w = 0, h = 0;
          ourFirst = out;
          const double back = Psnr(LibjpegDecode(out, &w, &h), pic.rgb);
          std::printf("encode: our level 3 file (%zu bytes) decoded by libjpeg-turbo: %.2f dB\n", out.size(), back);
          if (back < 30) ourFirst = "bad";
        }
        *good = result == 0 && out == ourFirst;
        return s;
      },
      [&](bool* good) {
        auto t0 = bench::Clock::now();
        libSize = LibjpegEncode(pic, 90).size();
        const double s = bench::Seconds(t0);
        *good = libSize > 0;
        return s;
      });
  std::printf("encode: ours %.1f MP/s (%zu bytes), libjpeg-turbo %.1f MP/s (%zu bytes) (medians)\n", mp / e.ours,
              ourFirst.size(), mp / e.theirs, libSize);
  bench::PrintRow("jpeg", "encode level 3 (4:2:0), 5.5 MP", "libjpeg-turbo plain C q90 4:2:0", e, "<= 1.00");
  return 0;
}
