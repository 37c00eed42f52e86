// The decoder's output pixels are part of its behaviour: speed work must
// keep every plane byte and result code. Small cjpeg and ImageMagick files
// of every sampling (tests/image/data/make_decode_set.sh), and many damaged
// and cut copies of them, are decoded and their planes and result codes
// reduced to one digest per file, taken from the decoder before its IDCT,
// upsampling and colour conversion were rewritten for speed.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "image/jpeg/jpeg_kernels.h"
#include "jpeg_test_util.h"
#include "support/file_bytes.h"

using namespace jpegtest;

namespace {

struct Digest {
  uint64_t h = 1469598103934665603ull;  // FNV-1a, 64 bits
  void Add(uint64_t v) {
    for (int i = 0; i < 8; ++i) {
      h ^= (v >> (8 * i)) & 0xFF;
      h *= 1099511628211ull;
    }
  }
  void Add(const std::vector<uint8_t>& bytes) {
    for (uint8_t b : bytes) {
      h ^= b;
      h *= 1099511628211ull;
    }
  }
};

template <class Bits = jpeg::JScanBits>
void AddDecode(Digest& d, const std::string& file) {
  DecodeResult r = DecodeBytes<Bits>(file);
  d.Add(static_cast<uint64_t>(r.header + 100));
  d.Add(static_cast<uint64_t>(r.decode + 100));
  d.Add(static_cast<uint64_t>(r.planes.width));
  d.Add(static_cast<uint64_t>(r.planes.height));
  d.Add(r.planes.r);
  d.Add(r.planes.g);
  d.Add(r.planes.b);
}

// The file, then 150 copies with one to three bytes of the scan changed,
// then the file cut at six places in its scan.
template <class Bits = jpeg::JScanBits>
uint64_t DigestOf(const std::string& file) {
  Digest d;
  AddDecode<Bits>(d, file);
  const std::size_t sos = file.find("\xFF\xDA");
  if (sos == std::string::npos) return d.h;
  std::mt19937 rng(2024);
  for (int i = 0; i < 150; ++i) {
    std::string f = file;
    const int flips = 1 + static_cast<int>(rng() % 3);
    for (int k = 0; k < flips; ++k) {
      const std::size_t at = sos + rng() % (f.size() - sos);
      const int kind = static_cast<int>(rng() % 4);
      f[at] = kind == 0 ? '\xFF' : kind == 1 ? '\x00' : static_cast<char>(rng() & 0xFF);
    }
    AddDecode<Bits>(d, f);
  }
  for (int i = 1; i <= 6; ++i) AddDecode<Bits>(d, file.substr(0, sos + (file.size() - sos) * i / 7));
  return d.h;
}

struct Expected {
  const char* file;
  uint64_t digest;
};

const Expected kExpected[] = {
    {"dec_420.jpg", 0xfa4a6f25ab4ad0f9ull},     {"dec_422.jpg", 0x82beec2f756f7652ull},
    {"dec_444.jpg", 0x3b6cd63215e2a6edull},     {"dec_440.jpg", 0x94e456d65a71880full},
    {"dec_311.jpg", 0x32ee61e6802af525ull},     {"dec_411.jpg", 0x32e88779d366699full},
    {"dec_mixed.jpg", 0x5948ab70015575c4ull},   {"dec_widecb.jpg", 0x69e4ca028ec7250cull},
    {"dec_uneven.jpg", 0x7f086a25d252cb68ull},  {"dec_q100.jpg", 0x510e1c1f0a86632ull},
    {"dec_grey.jpg", 0x340f89ed46da60c2ull},    {"dec_restart.jpg", 0x2cd5dd41c3a6da31ull},
    {"dec_optimize.jpg", 0x77693209008c49dull}, {"dec_cmyk.jpg", 0xd66aebb34906bbecull},
};

std::string Load(const char* name) {
  return testsupport::ReadFileBytes(std::string(TABRYE_TEST_ROOT "/tests/image/data/") + name);
}

TEST(JpegDecodedPlanes, StayTheSameForEverySampling) {
  for (const Expected& e : kExpected) {
    const std::string f = Load(e.file);
    ASSERT_FALSE(f.empty()) << e.file;
    EXPECT_EQ(DigestOf(f), e.digest) << e.file << std::hex << " got 0x" << DigestOf(f);
  }
}

// The baseline build of the vector kernels (the one a processor without
// AVX2 runs) gives the same planes.
TEST(JpegDecodedPlanes, StayTheSameWithTheBaselineKernels) {
  const bool was = jpeg::UseBaselineKernels(true);
  for (const Expected& e : kExpected) {
    const std::string f = Load(e.file);
    ASSERT_FALSE(f.empty()) << e.file;
    EXPECT_EQ(DigestOf(f), e.digest) << e.file;
  }
  EXPECT_EQ(DigestOf(EncodePlanes(Synthetic(45, 37, 7), 3, nullptr)), 0xa147c9e60498507ull);
  jpeg::UseBaselineKernels(was);
}

// Frames whose sampling factors do not divide the largest ones (the block
// lands where the integer ratio puts it), and a frame with a 16-bit
// quantisation table, by patching the frame header of the 4:2:0 file.
TEST(JpegDecodedPlanes, StayTheSameForUnevenFactors) {
  const std::string base = Load("dec_420.jpg");
  ASSERT_FALSE(base.empty());
  const std::size_t sof = base.find("\xFF\xC0");
  ASSERT_NE(sof, std::string::npos);
  // Component records start at sof + 10: id, sampling, table.
  struct Patch {
    int component;
    int sampling;
    uint64_t digest;
  };
  const Patch patches[] = {{1, 0x31, 0x7f986e7337925258ull},
                           {2, 0x13, 0x842c7dad8adba4daull},
                           {0, 0x32, 0xa49f8affd9b5c1ffull},
                           {0, 0x11, 0x9fe83adb9035fadeull},
                           {1, 0x22, 0x59ea818afc18a5a6ull}};
  for (const Patch& p : patches) {
    std::string f = base;
    f[sof + 10 + 3 * p.component + 1] = static_cast<char>(p.sampling);
    EXPECT_EQ(DigestOf(f), p.digest) << p.component << " " << p.sampling << std::hex << " got 0x" << DigestOf(f);
  }
}

// Our own encodes at every level, decoded (the digests cover the fast path
// of 4:2:0 with whole and cut MCUs).
TEST(JpegDecodedPlanes, StayTheSameForOurEncodes) {
  const uint64_t want[3] = {0x7d075e5f75c271ffull, 0xe5a1530f73871103ull, 0xa147c9e60498507ull};
  for (int level = 1; level <= 3; ++level) {
    const std::string f = EncodePlanes(Synthetic(45, 37, 7), level, nullptr);
    EXPECT_EQ(DigestOf(f), want[level - 1]) << level << std::hex << " got 0x" << DigestOf(f);
  }
}

}  // namespace
