// Recording hosts of the image loaders and writers, and small builders of
// bitmap and PNG files for the tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "archive/arc_bits.h"
#include "archive/deflater.h"
#include "fw/alloc.h"
#include "image/load/image_dispatch.h"
#include "image/load/image_host.h"
#include "image/load/image_record.h"
#include "image/write/png_write.h"
#include "image/write/write_host.h"

namespace imgtest {

class RecordingHost : public img::LoadHost {
 public:
  std::vector<unsigned> messages;   // SetMessage / AppendMessage
  std::vector<unsigned> boxes;      // MessageBox
  std::vector<std::string> status;  // StatusText
  void SetMessage(unsigned id) override {
    messages.clear();
    messages.push_back(id);
  }
  void AppendMessage(unsigned id) override { messages.push_back(id); }
  void MessageBox(unsigned id) override { boxes.push_back(id); }
  void StatusText(const std::string& t) override { status.push_back(t); }
  std::string LastStatus() const { return status.empty() ? std::string() : status.back(); }
};

class RecordingWriteHost : public img::WriteHost {
 public:
  std::vector<unsigned> boxes;
  std::vector<std::string> args;
  std::vector<std::string> texts;
  void MessageBox(unsigned id, const std::string& a, const std::string& b) override {
    boxes.push_back(id);
    args.push_back(a + "|" + b);
  }
  void MessageText(const std::string& t) override { texts.push_back(t); }
};

// A record that frees its pixels.
struct Record : img::LoadRecord {
  ~Record() { img::ReleaseLoadBits(*this); }
  img::DibHeader Header() const { return img::ReadDibHeader(m_bmiLoad); }
  // Row y of the record (0 = bottom row).
  const uint8_t* Row(int y) const { return m_pLoadBits + uint64_t(y) * m_nLoadStride; }
  // Top-first picture row.
  const uint8_t* PictureRow(int y) const { return Row(m_nLoadHeight - 1 - y); }
};

inline void Le32(std::vector<uint8_t>& v, uint32_t x) {
  for (int i = 0; i < 4; ++i) v.push_back(uint8_t(x >> (8 * i)));
}
inline void Le16(std::vector<uint8_t>& v, uint16_t x) {
  v.push_back(uint8_t(x));
  v.push_back(uint8_t(x >> 8));
}
inline void Be32(std::vector<uint8_t>& v, uint32_t x) {
  for (int i = 3; i >= 0; --i) v.push_back(uint8_t(x >> (8 * i)));
}

inline uint32_t Stride(uint32_t w, uint32_t bits) { return ((w * bits + 31) >> 3) & ~3u; }

// A bitmap file: header of biSize bytes (40, or 124 for a V5 header),
// `table` bytes after it, an optional gap, then the rows.
struct BmpLayout {
  int32_t width = 4, height = 2;
  uint16_t bits = 24;
  uint32_t compression = 0;
  uint32_t biSize = 40;
  uint32_t clrUsed = 0;
  uint32_t sizeImage = 0;
  std::vector<uint8_t> table;  // colour table or masks, as stored
  uint32_t gap = 0;            // bytes between table and pixels
  std::vector<uint8_t> pixels; // rows as stored; empty: pattern
};

inline uint8_t Pattern(uint64_t i) { return uint8_t(i * 7 + 3); }

inline std::vector<uint8_t> MakeBmp(const BmpLayout& s) {
  std::vector<uint8_t> px = s.pixels;
  if (px.empty()) {
    const uint64_t n = uint64_t(Stride(uint32_t(s.width), s.bits)) * uint32_t(s.height < 0 ? -s.height : s.height);
    px.resize(n);
    for (uint64_t i = 0; i < n; ++i) px[i] = Pattern(i);
  }
  const uint32_t off = 14 + s.biSize + uint32_t(s.table.size()) + s.gap;
  std::vector<uint8_t> v;
  v.push_back('B');
  v.push_back('M');
  Le32(v, off + uint32_t(px.size()));
  Le32(v, 0);
  Le32(v, off);
  Le32(v, s.biSize);
  Le32(v, uint32_t(s.width));
  Le32(v, uint32_t(s.height));
  Le16(v, 1);
  Le16(v, s.bits);
  Le32(v, s.compression);
  Le32(v, s.sizeImage);
  Le32(v, 2835);
  Le32(v, 2835);
  Le32(v, s.clrUsed);
  Le32(v, 0);
  v.resize(14 + s.biSize, 0);
  v.insert(v.end(), s.table.begin(), s.table.end());
  v.resize(v.size() + s.gap, 0xEE);
  v.insert(v.end(), px.begin(), px.end());
  return v;
}

inline img::LoadOutcome Load(Record& rec, RecordingHost& host, const std::vector<uint8_t>& file, int kind,
                             int option = 0) {
  img::LoadRequest req;
  req.kind = kind;
  req.option = option;
  return img::LoadImageBytes(rec, host, file.data(), uint32_t(file.size()), file.size(), req);
}

// Raw deflate of data by the archive codec.
// Refuses the program's allocations of one load in turn, up to the last one
// it makes: each refusal fails the load (-1) with string 152 shown once, and
// nothing is left allocated.
inline void ExpectEachAllocationFailureReported(const std::vector<uint8_t>& file, int kind) {
  const long live = fw::alloctest::Live();
  for (long n = 1;; ++n) {
    Record rec;
    RecordingHost host;
    fw::alloctest::Reset();
    fw::alloctest::FailAt(n);
    const int r = Load(rec, host, file, kind).result;
    const bool reached = fw::alloctest::Count() >= n;
    fw::alloctest::Reset();
    if (!reached) break;
    EXPECT_EQ(r, -1) << n;
    EXPECT_EQ(host.boxes, std::vector<unsigned>{152}) << n;
  }
  EXPECT_EQ(fw::alloctest::Live(), live);
}

inline std::vector<uint8_t> Deflate(const std::vector<uint8_t>& data) {
  std::vector<uint8_t> packed;
  arc::ArcBitWriter bw(packed);
  arc::Deflater d(bw, 32768);
  arc::DeflateWindow win;
  win.Compress(data.data(), data.size(), d);
  d.WriteLastBlock();
  bw.Flush();
  return packed;
}

// PNG file builder: chunks in the order added.
struct PngBuilder {
  std::vector<uint8_t> v{0x89, 'P', 'N', 'G', 13, 10, 26, 10};
  void Chunk(const char* type, const std::vector<uint8_t>& data) {
    Be32(v, uint32_t(data.size()));
    const size_t start = v.size();
    v.insert(v.end(), type, type + 4);
    v.insert(v.end(), data.begin(), data.end());
    v.resize(v.size() + 4);
    img::PngChunkCrc(int32_t(start), int32_t(v.size() - 4), v.data());
  }
  void Ihdr(uint32_t w, uint32_t h, uint8_t depth, uint8_t type, uint8_t interlace = 0) {
    std::vector<uint8_t> d;
    Be32(d, w);
    Be32(d, h);
    d.push_back(depth);
    d.push_back(type);
    d.push_back(0);
    d.push_back(0);
    d.push_back(interlace);
    Chunk("IHDR", d);
  }
  // zlib stream of the raw (filtered) rows in `parts` IDAT chunks.
  void Idat(const std::vector<uint8_t>& raw, int parts = 1) {
    std::vector<uint8_t> z{0x78, 0xDA};
    std::vector<uint8_t> packed = Deflate(raw);
    z.insert(z.end(), packed.begin(), packed.end());
    const uint32_t a = img::Adler32(raw.data(), raw.size());
    Be32(z, a);
    const size_t step = (z.size() + parts - 1) / parts;
    for (size_t at = 0; at < z.size(); at += step)
      Chunk("IDAT", std::vector<uint8_t>(z.begin() + long(at), z.begin() + long(std::min(z.size(), at + step))));
  }
  void End() { Chunk("IEND", {}); }
};

}  // namespace imgtest
