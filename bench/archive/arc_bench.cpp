// Times the archive codec against zlib (linked in, in-process against
// in-process) and lhasa (whole process against a small command of ours).
// Every run checks its output: inflated bytes and CRC-32 against the
// original, our Deflate output decoded back by zlib, our LH5 output against
// lhasa's byte for byte. Rows go to bench/run-all (see bench_util.h).
//
//   bench_archive [-runs N] [-mb N]      the table rows
//   bench_archive -deflate [-runs N] [-mb N]   only the two Deflate rows
//   bench_archive -crafted               chain-cap timings on crafted inputs
//   bench_archive -deflate-file FILE [-runs N]   Deflate of one file (the
//                                        export's worksheet): the full walk
//                                        against zlib -6, the export's quick
//                                        walk against zlib -1 and -3
//   bench_archive -lzh-print FILE        our LH5 extraction to stdout
//                                        (the command timed against lhasa pq)
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "../bench_util.h"
#include "archive/arc_crc.h"
#include "archive/arc_error.h"
#include "archive/deflater.h"
#include "archive/inflater.h"
#include "archive/lzh_header.h"
#include "archive/zip_writer.h"
#include "tests/archive/archive_data.h"

namespace {

using bench::Clock;
using bench::Seconds;

std::vector<uint8_t> Random(size_t n, uint32_t seed) {
  std::vector<uint8_t> v(n);
  uint64_t x = seed * 0x9E3779B97F4A7C15ull + 1;
  for (size_t i = 0; i < n; i += 8) {
    x ^= x << 13;
    x ^= x >> 7;
    x ^= x << 17;
    std::memcpy(v.data() + i, &x, std::min<size_t>(8, n - i));
  }
  return v;
}

// Text with repeats at every distance (the tests' generator).
std::vector<uint8_t> Text(size_t n, uint32_t seed) { return arc::Bytes(arc::MakeText(n, seed)); }

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
  int rc = inflate(&z, Z_FINISH);
  size_t n = z.total_out;
  inflateEnd(&z);
  return rc == Z_STREAM_END ? n : 0;
}

// Ours: the member into memory, CRC-32 included (ZIP extraction's work).
size_t OurInflate(const std::vector<uint8_t>& in, std::vector<uint8_t>& out, uint32_t* crc) {
  arc::ArcState st;
  st.m_nArcInSize = static_cast<int32_t>(in.size());
  st.m_nArcOutMax = static_cast<int32_t>(out.size());
  st.m_pArcOutBuf = out.data();
  try {
    arc::ZipBitReader r(st, in.data());
    arc::Inflater inf(r);
    arc::ZipCrc32 sink(st, nullptr, static_cast<int64_t>(out.size()));
    arc::Inflater::Inflate(inf, sink);
    *crc = sink.Crc();
    return static_cast<size_t>(sink.Count());
  } catch (const arc::ArchiveError& e) {
    std::fprintf(stderr, "inflate: %s\n", e.Code());
    return 0;
  }
}

bool Same(const std::vector<uint8_t>& a, size_t n, const std::vector<uint8_t>& b) {
  return n == b.size() && std::memcmp(a.data(), b.data(), n) == 0;
}

// Inflate of zlib's data: ours with its CRC-32 against zlib's inflate + crc32.
void InflateRow(const char* work, const std::vector<uint8_t>& data, int level, int runs) {
  std::vector<uint8_t> comp = ZlibDeflate(data, level);
  std::vector<uint8_t> out(data.size());
  const uint32_t want = static_cast<uint32_t>(crc32(0, data.data(), static_cast<uInt>(data.size())));
  bench::Paired p = bench::RunPaired(
      runs,
      [&](bool* ok) {
        std::memset(out.data(), 0, 4096);
        uint32_t crc = 0;
        auto t0 = Clock::now();
        size_t n = OurInflate(comp, out, &crc);
        double s = Seconds(t0);
        *ok = crc == want && Same(out, n, data);
        return s;
      },
      [&](bool* ok) {
        std::memset(out.data(), 0, 4096);
        auto t0 = Clock::now();
        size_t n = ZlibInflate(comp, out);
        uint32_t crc = static_cast<uint32_t>(crc32(0, out.data(), static_cast<uInt>(n)));
        double s = Seconds(t0);
        *ok = crc == want && Same(out, n, data);
        return s;
      });
  bench::PrintRow("archive", work, "zlib inflate + crc32", p, "<= 1.00");
}

// Our Deflate (maxChain candidates per lookup) against zlib at `level`; our
// output must decode back through zlib.
void DeflateRow(const char* work, const std::vector<uint8_t>& data, int runs, const char* goal,
                int maxChain = arc::DeflateWindow::kMaxChain, int level = 6) {
  std::vector<uint8_t> back(data.size());
  size_t oursSize = 0, theirSize = 0;
  bench::Paired p = bench::RunPaired(
      runs,
      [&](bool* ok) {
        auto t0 = Clock::now();
        std::vector<uint8_t> out = arc::DeflateBytes(data.data(), data.size(), nullptr, maxChain);
        double s = Seconds(t0);
        oursSize = out.size();
        *ok = Same(back, ZlibInflate(out, back), data);
        return s;
      },
      [&](bool* ok) {
        auto t0 = Clock::now();
        std::vector<uint8_t> out = ZlibDeflate(data, level);
        double s = Seconds(t0);
        theirSize = out.size();
        *ok = Same(back, ZlibInflate(out, back), data);
        return s;
      });
  const std::string yardstick = "zlib -" + std::to_string(level);
  bench::PrintRow("archive", work, yardstick.c_str(), p, goal);
  std::printf("INFO|archive|%s: %zu bytes compressed to %zu (%s: %zu, size ratio %.3f)\n", work, data.size(),
              oursSize, yardstick.c_str(), theirSize, static_cast<double>(oursSize) / static_cast<double>(theirSize));
}

void CrcRow(const std::vector<uint8_t>& data, int runs) {
  bench::Paired p = bench::RunPaired(
      runs,
      [&](bool* ok) {
        auto t0 = Clock::now();
        uint32_t c = arc::Crc32(data.data(), data.size());
        double s = Seconds(t0);
        *ok = c == static_cast<uint32_t>(crc32(0, data.data(), static_cast<uInt>(data.size())));
        return s;
      },
      [&](bool* ok) {
        auto t0 = Clock::now();
        volatile uLong c = crc32(0, data.data(), static_cast<uInt>(data.size()));
        (void)c;
        *ok = true;
        return Seconds(t0);
      });
  bench::PrintRow("archive", arc::Crc32ClmulAvailable() ? "CRC-32 (carry-less multiply)" : "CRC-32 (tables)",
                  "zlib crc32", p, "-");
}

// Every member of an LZH archive to stdout, in archive order.
int PrintLzh(const char* path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return 2;
  arc::ArcBitReader r(in);
  arc::LzhHeader h;
  std::ios::sync_with_stdio(false);
  try {
    while (h.Read(r)) {
      arc::LzhCrc16 sink(std::cout, h.origSize);
      arc::LzhExtractMember(r, h, sink);
      if (sink.Crc() != h.dataCrc) return 1;
    }
  } catch (const arc::ArchiveError& e) {
    std::fprintf(stderr, "lzh: %s\n", e.Code());
    return 1;
  }
  std::cout.flush();
  return 0;
}

// LH5 extraction, whole process against whole process: our command above
// against `lhasa pq` (members to stdout), outputs compared every run.
void LzhRow(const std::string& self, const std::vector<uint8_t>& text, const std::vector<uint8_t>& mixed, int runs) {
  const std::string dir = "/tmp/tabrye_bench_lzh";
  if (std::system(("rm -rf " + dir + " && mkdir -p " + dir).c_str()) != 0) return;
  bench::WriteFile(dir + "/text.txt", std::string(text.begin(), text.end()));
  bench::WriteFile(dir + "/mixed.bin", std::string(mixed.begin(), mixed.end()));
  // "-lh5-" level 2 archive made by the lha command.
  if (std::system(("cd " + dir + " && lha c2q a.lzh text.txt mixed.bin >/dev/null 2>&1").c_str()) != 0) {
    std::printf("INFO|archive|lha missing: LH5 row left out\n");
    return;
  }
  const std::string archive = dir + "/a.lzh";
  std::string ours, theirs;
  bench::Paired p = bench::RunPaired(
      runs,
      [&](bool* ok) { return bench::RunCapture("'" + self + "' -lzh-print '" + archive + "'", &ours, ok); },
      [&](bool* ok) {
        double s = bench::RunCapture("lhasa pq '" + archive + "'", &theirs, ok);
        *ok = *ok && theirs == ours && ours.size() == text.size() + mixed.size();
        return s;
      });
  bench::PrintRow("archive", "LH5 extraction to stdout (whole process)", "lhasa pq", p, "<= 1.00");
  std::system(("rm -rf " + dir).c_str());
}

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
      std::printf("crafted %-32s chain cap %-10d %.2f s, %zu bytes\n", c.name, chain, Seconds(t0), out.size());
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 2 && std::strcmp(argv[1], "-lzh-print") == 0) return PrintLzh(argv[2]);
  if (argc > 1 && std::strcmp(argv[1], "-crafted") == 0) {
    Crafted();
    return 0;
  }
  int runs = 7;
  size_t mb = 16;
  bool deflateOnly = false;
  if (argc > 2 && std::strcmp(argv[1], "-deflate-file") == 0) {
    std::ifstream f(argv[2], std::ios::binary);
    const std::vector<uint8_t> data((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    if (data.empty()) {
      std::fprintf(stderr, "cannot read %s\n", argv[2]);
      return 1;
    }
    if (argc > 4 && std::strcmp(argv[3], "-runs") == 0) runs = std::max(1, std::atoi(argv[4]));
    DeflateRow("deflate, file, full walk", data, runs, "-");
    DeflateRow("deflate, file, quick walk (export)", data, runs, "-", arc::kQuickZipChain, 1);
    DeflateRow("deflate, file, quick walk (export)", data, runs, "-", arc::kQuickZipChain, 3);
    return 0;
  }
  if (argc > 1 && std::strcmp(argv[1], "-deflate") == 0) {
    deflateOnly = true;
    --argc;
    ++argv;
  }
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "-runs") == 0) runs = std::max(1, std::atoi(argv[i + 1]));
    if (std::strcmp(argv[i], "-mb") == 0) mb = static_cast<size_t>(std::max(1, std::atoi(argv[i + 1])));
  }
  const size_t n = mb << 20;
  const std::vector<uint8_t> random = Random(n, 1);
  const std::vector<uint8_t> text = Text(n, 2);
  // A quarter random, the rest text, in 256 KiB runs.
  std::vector<uint8_t> mixed;
  for (size_t at = 0; mixed.size() < n; at += 1 << 18) {
    const std::vector<uint8_t>& from = (at >> 18) % 4 == 3 ? random : text;
    mixed.insert(mixed.end(), from.begin() + static_cast<long>(at % n),
                 from.begin() + static_cast<long>(std::min(at % n + (1 << 18), n)));
  }
  mixed.resize(n);

  if (deflateOnly) {
    DeflateRow("deflate, incompressible input", random, runs, "<= 1.00");
    DeflateRow("deflate, text", text, runs, "-");
    return 0;
  }
  InflateRow("inflate incl. CRC-32, stored members (random bytes)", random, 0, runs);
  InflateRow("inflate incl. CRC-32, zlib -6 data (text)", text, 6, runs);
  InflateRow("inflate incl. CRC-32, zlib -6 data (mixed)", mixed, 6, runs);
  DeflateRow("deflate, incompressible input", random, runs, "<= 1.00");
  DeflateRow("deflate, text", text, runs, "-");
  CrcRow(random, runs);
  LzhRow(argv[0], std::vector<uint8_t>(text.begin(), text.begin() + (4 << 20)),
         std::vector<uint8_t>(mixed.begin(), mixed.begin() + (4 << 20)), runs);
  return 0;
}
