// "-lh5-" decoder: blocks of Huffman-coded characters, lengths and positions
// over a 16 KiB history. The tables are decoded through HuffmanDecoder
// (LZH side) lookups on a 64-bit bit buffer.
//
// Sound behaviour beyond the plain format reading:
//   - a table sent with a count of 0 is a 0-bit code for its one symbol;
//   - counts above the table sizes (19, 510, 15) and single symbols outside
//     them throw "043" / "044" before any table is filled; a zero run past
//     the 510 character lengths throws "045";
//   - a position reaching before the member's first byte throws "051";
//   - input that ends inside the member throws "050" (no 0xFF filling);
//   - an empty member decodes to nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "archive/arc_bits.h"
#include "archive/arc_crc.h"
#include "archive/arc_huffman.h"

namespace arc {

class LzhDecoder {
 public:
  // The first block header is read by the first Decode call. dictBits: 13
  // for "-lh5-" (15 position codes, 16 KiB history); 15 for "-lh6-" and 16
  // for "-lh7-" (dictBits + 1 position codes sent with 5-bit counts, a
  // history of the whole window).
  explicit LzhDecoder(ArcBitReader& r, int dictBits = 13);
  ~LzhDecoder();

  // Decodes until the sink counted its target size.
  static void Decode(LzhDecoder& d, LzhCrc16& sink);

 private:
  void ReadBlockHeader();
  // Reads a table of up to nn lengths with nbit-bit counts; special: the
  // index after which a 2-bit zero run follows (-1 for none).
  void ReadShortTable(int nn, int nbit, int special, std::vector<int>& lens, int& single);
  void ReadCharTable();
  int64_t Bits(int n);
  void Flush(LzhCrc16& sink);

  ArcBitReader& r_;
  int np_, pbit_;
  size_t history_;
  int64_t codesLeft_ = 0;
  std::unique_ptr<HuffmanDecoder> tDec_, cDec_, pDec_;
  int tSingle_ = -1, cSingle_ = -1, pSingle_ = -1;
  std::vector<int> tLen_, cLen_, pLen_;
  std::unique_ptr<uint8_t[]> buf_;
  size_t op_ = 0, flushed_ = 0;
  int64_t produced_ = 0;
};

}  // namespace arc
