// Deflate (RFC 1951) decoder of one ZIP member, reading through ZipBitReader
// and writing into a ZipCrc32 sink. Symbols are decoded through lookup tables
// with a 64-bit bit buffer; Huffman output goes through a linear window that
// keeps the last 32 KiB of the member, stored blocks go straight from the
// source to the sink.
//
// Sound behaviour beyond the plain format reading:
//   - the literal/length and distance code lengths are one sequence (a repeat
//     may run from the first list into the second); code 16 first = "041",
//     a run past HLIT + HDIST = "042";
//   - a distance list of only zero lengths (a block of literals) is accepted;
//   - a distance reaching before the member's first byte = "051";
//   - input that ends inside the member = "050" (m_nArcProgress becomes 2);
//   - a bit pattern that no code has (incomplete code) = "052";
//   - more than 286 literal/length codes = "070", more than 30 distance
//     codes = "071" (RFC 1951 defines no more);
//   - data that goes on past the member's size = "072".
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "archive/arc_bits.h"
#include "archive/arc_crc.h"
#include "archive/arc_huffman.h"

namespace arc {

class Inflater {
 public:
  // Reads the first block header.
  explicit Inflater(ZipBitReader& r);
  ~Inflater();

  // The next output unit: a byte 0..255, 257 + length for a match (its
  // distance is then in LastDistance()), or -1 once the final block ended.
  // The unit is not written to the window (inspection and the end step).
  int NextSymbol();
  int LastDistance() const noexcept { return lastDist_; }

  // Decodes the member into the sink: returns when the sink counted its
  // target size or the final block ended, and then takes one more unit so the
  // reader stands after the member's data. m_nArcProgress is 0 afterwards.
  // When that unit is a byte or a match, the stream is longer than the
  // member: "072" after every byte up to the size reached the sink.
  static void Inflate(Inflater& inf, ZipCrc32& sink);

  // Writes the bytes decoded but not yet handed to the sink: after a failure,
  // what came out before the damage.
  void FlushPending(ZipCrc32& sink) { Flush(sink); }

  int State() const noexcept { return state_; }

 private:
  void ReadBlockHeader();
  void ReadDynamicTables();
  void EndOfBlock();
  // Huffman block in the window; returns true when the member completed.
  bool HuffmanRun(ZipCrc32& sink, int64_t& left);
  bool StoredRun(ZipCrc32& sink, int64_t& left);
  void Flush(ZipCrc32& sink);
  [[noreturn]] void Truncated();

  ZipBitReader& r_;
  int state_ = 0;       // BFINAL of the current block; -1 after the final one
  int btype_ = 0;
  int64_t storedLeft_ = -1;
  // Decode table of one code with the symbol's meaning folded in (see
  // inflater.cpp); t points into own_ or at the shared fixed-code table.
  struct FastTable {
    const uint32_t* t = nullptr;
    int bits = 0;
    int maxLen = 0;
    std::vector<uint32_t> own;
  };
  static void BuildFast(const int* len, int n, int tableBits, bool lit, FastTable& out);
  static const FastTable& FixedLitFast();
  static const FastTable& FixedDistFast();
  FastTable litFast_, distFast_;
  // Symbol decoders of the current block for NextSymbol, made on first use
  // from lens_ (hlit_ literal/length lengths, then the distance lengths).
  void MakeDecoders();
  std::unique_ptr<HuffmanDecoder> lit_, dist_;
  std::vector<int> lens_;
  int hlit_ = 0;
  int lastDist_ = 0;
  // Output window: history (up to 32 KiB) then the bytes not yet flushed.
  std::unique_ptr<uint8_t[]> buf_;
  size_t op_ = 0, flushed_ = 0;
  int64_t produced_ = 0;
  bool cut_ = false;  // the member's size ended inside a match
  // Stored bytes written since the window was last filled: where they lie in
  // the source (the last 32 KiB of output at most), taken into the window
  // when a Huffman block starts or the list is full.
  struct Span {
    const uint8_t* p;
    size_t n;
  };
  static constexpr size_t kMaxSpans = 64;
  void NoteStored(const uint8_t* p, size_t n);
  void TakeHistory();
  Span spans_[kMaxSpans];
  size_t spanCount_ = 0, spanBytes_ = 0;
};

}  // namespace arc

namespace arc {

// One-call inflate of raw Deflate data from memory into memory: at most
// `capacity` bytes are written to `out`. The result is the bytes written,
// clamped to the capacity when the data inflates to more; damaged data gives
// the bytes decoded before the damage, and -1 when not one byte came out.
int64_t InflateBytes(const uint8_t* data, size_t size, uint8_t* out, size_t capacity);

}  // namespace arc
