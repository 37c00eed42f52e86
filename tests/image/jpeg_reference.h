// The reference scan reader: every code is found by reading one bit at a
// time and searching the code list in table order, every value bit by bit
// (JInBitStream::GetBit). The decoder's table-driven reader must give the
// same planes and result codes on every input.
#pragma once

#include "image/jpeg/jpeg_bitstream.h"
#include "image/jpeg/jpeg_huffman.h"

namespace jpegtest {

class ReferenceBits {
 public:
  explicit ReferenceBits(jpeg::JInBitStream& in) : in_(in) {}
  void Start() {}
  void Stop() {}
  int Symbol(const jpeg::JHuffTable& t, const jpeg::JHuffLookup&) { return jpeg::Decode1HuffmanCode(in_, t); }
  int Bits(int n) { return in_.GetBits(n); }
  int32_t AcFast(const jpeg::JHuffLookup&) { return 0; }  // every code through Symbol

 private:
  jpeg::JInBitStream& in_;
};

}  // namespace jpegtest
