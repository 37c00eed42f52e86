// Times the codec against zlib (inflate, deflate level 6) and lhasa (LH5
// extraction) on one corpus. Usage:
//   bench_archive [-lzh archive.lzh] file...
// The files are concatenated into the corpus. Best of several runs each.
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "archive/arc_crc.h"
#include "archive/arc_error.h"
#include "archive/deflater.h"
#include "archive/inflater.h"
#include "archive/lzh_header.h"

namespace {

using Clock = std::chrono::steady_clock;

template <class F>
double Best(int runs, F f) {
  double best = 1e99;
  for (int i = 0; i < runs; ++i) {
    auto t0 = Clock::now();
    f();
    double s = std::chrono::duration<double>(Clock::now() - t0).count();
    if (s < best) best = s;
  }
  return best;
}

std::vector<uint8_t> ZlibDeflate(const std::vector<uint8_t>& in, int level) {
  z_stream z{};
  deflateInit2(&z, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
  std::vector<uint8_t> out(deflateBound(&z, in.size()));
  z.next_in = const_cast<Bytef*>(in.data());
  z.avail_in = static_cast<uInt>(in.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

size_t ZlibInflate(const std::vector<uint8_t>& in, std::vector<uint8_t>& out) {
  z_stream z{};
  inflateInit2(&z, -15);
  z.next_in = const_cast<Bytef*>(in.data());
  z.avail_in = static_cast<uInt>(in.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  inflate(&z, Z_FINISH);
  size_t n = z.total_out;
  inflateEnd(&z);
  return n;
}

size_t OurInflate(const std::vector<uint8_t>& in, std::vector<uint8_t>& out) {
  arc::ArcState st;
  st.m_nArcInSize = static_cast<int32_t>(in.size());
  st.m_nArcOutMax = static_cast<int32_t>(out.size());
  st.m_pArcOutBuf = out.data();
  arc::ZipBitReader r(st, in.data());
  arc::Inflater inf(r);
  arc::ZipCrc32 sink(st, nullptr, static_cast<int64_t>(out.size()));
  arc::Inflater::Inflate(inf, sink);
  return static_cast<size_t>(sink.Count());
}

struct NullBuf : std::streambuf {
  int overflow(int c) override { return c; }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

uint64_t OurLzh(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  NullBuf nb;
  std::ostream out(&nb);
  arc::ArcBitReader r(in);
  arc::LzhHeader h;
  uint64_t total = 0;
  while (h.Read(r)) {
    arc::LzhCrc16 sink(out, h.origSize);
    arc::LzhExtractMember(r, h, sink);
    total += static_cast<uint64_t>(sink.Count());
  }
  return total;
}

}  // namespace

// Crafted inputs that make long chains: a fixed prefix with a varying byte
// after it, so nearly every lookup walks the whole window.
void Crafted() {
  const size_t n = 10 * 1024 * 1024;
  struct Case {
    const char* name;
    int prefix, vary;
  } cases[] = {{"2-byte pair + 1 varying byte", 2, 1},
               {"4-byte prefix + 1 varying byte", 4, 1},
               {"4-byte prefix + 2 varying bytes", 4, 2},
               {"6-byte prefix + 2 varying bytes", 6, 2}};
  for (const Case& c : cases) {
    std::vector<uint8_t> data;
    uint32_t x = 12345;
    while (data.size() < n) {
      for (int i = 0; i < c.prefix; ++i) data.push_back(static_cast<uint8_t>('a' + i));
      for (int k = 0; k < c.vary; ++k) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        data.push_back(static_cast<uint8_t>(x >> 24));
      }
    }
    data.resize(n);
    for (int chain : {arc::DeflateWindow::kMaxChain, 1 << 30}) {
      auto t0 = Clock::now();
      std::vector<uint8_t> out = arc::DeflateBytes(data.data(), data.size(), nullptr, chain);
      double s = std::chrono::duration<double>(Clock::now() - t0).count();
      std::printf("crafted %-32s chain cap %-10d %.2f s, %zu bytes\n", c.name, chain, s, out.size());
    }
  }
}

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "-crafted") == 0) {
    Crafted();
    return 0;
  }
  std::string lzh;
  std::vector<uint8_t> corpus;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-lzh") == 0 && i + 1 < argc) {
      lzh = argv[++i];
      continue;
    }
    std::ifstream f(argv[i], std::ios::binary);
    corpus.insert(corpus.end(), std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
  }
  if (corpus.empty()) {
    std::fprintf(stderr, "usage: bench_archive [-lzh archive.lzh] file...\n");
    return 2;
  }
  const int runs = 5;
  std::printf("corpus: %zu bytes\n", corpus.size());

  std::vector<uint8_t> z6;
  double tz = Best(runs, [&] { z6 = ZlibDeflate(corpus, 6); });
  std::vector<uint8_t> ours;
  double to = Best(runs, [&] { ours = arc::DeflateBytes(corpus.data(), corpus.size()); });
  std::printf("deflate: zlib-6 %.3f s %zu bytes; ours %.3f s %zu bytes; time ratio %.2f, size ratio %.4f\n", tz,
              z6.size(), to, ours.size(), to / tz, double(ours.size()) / double(z6.size()));

  std::vector<uint8_t> out(corpus.size());
  size_t n1 = 0, n2 = 0;
  double iz = Best(runs, [&] { n1 = ZlibInflate(z6, out); });
  double izc = Best(runs, [&] {
    n1 = ZlibInflate(z6, out);
    volatile uLong c = crc32(0, out.data(), static_cast<uInt>(n1));
    (void)c;
  });
  double io = Best(runs, [&] { n2 = OurInflate(z6, out); });
  bool same = n2 == corpus.size() && std::memcmp(out.data(), corpus.data(), corpus.size()) == 0;
  std::printf("inflate (zlib-6 data): zlib %.3f s (%.0f MB/s), zlib + crc32 %.3f s; ours (CRC-32 included) %.3f s "
              "(%.0f MB/s); ratio %.2f to zlib, %.2f to zlib + crc32%s\n",
              iz, double(n1) / iz / 1e6, izc, io, double(n2) / io / 1e6, io / iz, io / izc,
              same ? "" : " OUTPUT DIFFERS");
  double tc = Best(runs, [&] {
    volatile uint32_t c = arc::Crc32(corpus.data(), corpus.size());
    (void)c;
  });
  std::printf("crc-32 alone: ours %.3f s\n", tc);
  double io2 = Best(runs, [&] { n2 = OurInflate(ours, out); });
  std::printf("inflate (own data): ours %.3f s (%.0f MB/s)\n", io2, double(n2) / io2 / 1e6);

  if (!lzh.empty()) {
    uint64_t total = 0;
    double lo = Best(runs, [&] { total = OurLzh(lzh); });
    std::string cmd = "lhasa pq '" + lzh + "' > /dev/null";
    double ll = Best(runs, [&] {
      if (std::system(cmd.c_str()) != 0) std::fprintf(stderr, "lhasa failed\n");
    });
    std::printf("lh5 decode: lhasa %.3f s; ours %.3f s (%.0f MB/s); ratio %.2f\n", ll, lo,
                double(total) / lo / 1e6, lo / ll);
  }
  return 0;
}
