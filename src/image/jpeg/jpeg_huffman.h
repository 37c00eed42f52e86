// Huffman tables of the decoder and the table-driven scan reader.
//
// A JHuffTable is the code list of one DHT table in segment order (length,
// code, symbol per entry). The decoder's meaning of a code list is that of a
// bit-by-bit search: read a bit, then compare the code read so far with the
// entries of that length in list order; fail once every entry is shorter than
// the bits read. JHuffLookup gives the same answers from a table of the first
// kLookupBits bits and, for longer codes, from the ranges of consecutive codes
// each length holds. JScanBits reads the entropy-coded data 64 bits at a time
// up to the next marker; wherever its answer could depend on a marker or the
// end of the data it hands over to JInBitStream's bit-by-bit reading, so the
// results stay those of the bit reader.
#pragma once

#include <cstdint>

#include "image/jpeg/jpeg_bitstream.h"

namespace jpeg {

struct JHuffTable {
  int count = 0;
  int* sizes = nullptr;
  int* codes = nullptr;
  int* values = nullptr;
};

struct JHuffLookup {
  static constexpr int kLookupBits = 10;
  // (length << 8) | symbol; 0 when no code of kLookupBits bits or fewer matches.
  uint16_t fast[1 << kLookupBits] = {};
  int count = 0;
  int maxSize = 0;  // longest code length of the list
  // Per length 1..16: first code, number of codes, list index of the first.
  int32_t first[17] = {};
  int32_t num[17] = {};
  int32_t index[17] = {};
  const int* values = nullptr;
  // AC codes with their value bits within the first kLookupBits bits:
  // value * 65536 | run << 8 | bits used; kAcEob set for EOB (run and value
  // 0); 0 when the code is longer, malformed (size 0 other than EOB and ZRL)
  // or its value bits run past the lookup bits.
  static constexpr int32_t kAcEob = 1 << 12;
  int32_t fastAc[1 << kLookupBits] = {};

  void Build(const JHuffTable& t);
};

class JScanBits {
 public:
  explicit JScanBits(JInBitStream& in) : in_(in) {}

  // Starts reading at the stream's current byte (after a byte-level read).
  void Start();
  // Hands the reading position back to the stream (before byte-level reads).
  void Stop();

  // The next AC code and its value in one step (an entry of lk.fastAc, its
  // bits consumed), or 0 when that takes Symbol and Bits: near a marker or
  // the data end, or for codes fastAc does not hold.
  int32_t AcFast(const JHuffLookup& lk) {
    if (nbits_ < 16) {
      Refill();
      if (nbits_ < 16) return 0;
    }
    const int32_t e = lk.fastAc[acc_ >> (64 - JHuffLookup::kLookupBits)];
    const int len = e & 0xFF;
    acc_ <<= len;
    nbits_ -= len;
    return e;
  }

  // Next symbol of table t, or the negative result of the bit reader (marker
  // or end). Raises "Decode1HuffmanCode:length over" when no code matches.
  int Symbol(const JHuffTable& t, const JHuffLookup& lk) {
    if (nbits_ < 16) Refill();
    if (nbits_ >= 16 && t.count > 0) {
      const unsigned e = lk.fast[acc_ >> (64 - JHuffLookup::kLookupBits)];
      const int len = static_cast<int>(e >> 8);
      if (len != 0) {
        acc_ <<= len;
        nbits_ -= len;
        return static_cast<int>(e & 0xFF);
      }
    }
    return LongSymbol(t, lk);
  }
  // n bits (1..16) or the negative result of the bit reader.
  int Bits(int n) {
    if (nbits_ >= n) {
      const int v = static_cast<int>(acc_ >> (64 - n));
      acc_ <<= n;
      nbits_ -= n;
      return v;
    }
    return SlowBits(n);
  }

 private:
  int LongSymbol(const JHuffTable& t, const JHuffLookup& lk);
  int SlowBits(int n);
  // Loads whole bytes of the stretch while the accumulator has room.
  void Refill() {
    while (nbits_ <= 56 && pos_ < cleanEnd_) {
      const uint8_t b = data_[pos_];
      pos_ += (b == 0xFF) ? 2 : 1;  // inside the stretch every 0xFF has its stuffed 0x00
      acc_ |= static_cast<uint64_t>(b) << (56 - nbits_);
      nbits_ += 8;
    }
  }
  // Switches to bit-by-bit reading through the stream from the next unread bit.
  void ToSlow();
  int SlowSymbol(const JHuffTable& t);

  JInBitStream& in_;
  const uint8_t* data_ = nullptr;
  int64_t pos_ = 0;        // next byte to load
  int64_t start_ = 0;      // first byte of this stretch
  int64_t cleanEnd_ = 0;   // first marker 0xFF (or the data end) of this stretch
  uint64_t acc_ = 0;       // unread bits, left-aligned
  int nbits_ = 0;
  bool slow_ = true;
};

// The bit-by-bit search over a code list (what JScanBits::Symbol answers
// like); reads through `in`.
int Decode1HuffmanCode(JInBitStream& in, const JHuffTable& t);

}  // namespace jpeg
