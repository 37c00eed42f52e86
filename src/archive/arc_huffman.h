// Canonical Huffman codes of the archive codec (RFC 1951 assignment: shorter
// codes first, equal lengths in symbol order; LZH uses the same).
//   LengthsFromFrequencies: the encoder's length-limited tree.
//   HuffmanCode: canonical codes for writing through ArcBitWriter.
//   HuffmanDecoder: table-driven decoding (a primary table indexed by the next
//   bits plus second-level tables), with a bit-by-bit canonical walk for the
//   crafted codes longer than 16 bits. The Deflate side and the LZH side run
//   the same checks but throw different codes.
#pragma once

#include <cstdint>
#include <vector>

#include "archive/arc_bits.h"

namespace arc {

enum class HuffSide { Deflate, Lzh };

// Code lengths for symbol frequencies, limited to maxLen. No symbol with a
// frequency gives the single length {1}; one symbol gives it length 1.
std::vector<int> LengthsFromFrequencies(const std::vector<int32_t>& freqs, int maxLen);

class HuffmanCode {
 public:
  static HuffmanCode FromFrequencies(const std::vector<int32_t>& freqs, int maxLen);
  // Checks "017"-"020" (Deflate) or "062"-"065" (LZH). maxLen 0: the largest
  // length of the list.
  static HuffmanCode FromLengths(const std::vector<int>& lengths, HuffSide side = HuffSide::Deflate,
                                 int maxLen = 0);

  // Writes the symbol's code; "021" for a symbol out of range.
  void PutSymbol(ArcBitWriter& w, int symbol) const;

  const std::vector<int>& Lengths() const noexcept { return lengths_; }
  // Codes stored bit-reversed (first bit to send is the least significant).
  const std::vector<uint32_t>& Codes() const noexcept { return codes_; }
  int MaxLength() const noexcept { return maxLen_; }

 private:
  std::vector<int> lengths_;
  std::vector<uint32_t> codes_;
  int maxLen_ = 0;
};

// Canonical codes (most significant bit first) for lengths; checks as
// HuffmanCode::FromLengths.
std::vector<uint32_t> CanonicalCodes(const std::vector<int>& lengths, HuffSide side, int maxLen);

class HuffmanDecoder {
 public:
  // Table entry: symbol << 16 | kind << 8 | bits.
  enum : uint32_t { kSym = 0, kLink = 1, kBad = 2 };

  // tableBits: primary table width (0 = automatic).
  HuffmanDecoder(const std::vector<int>& lengths, HuffSide side, int tableBits = 0);
  HuffmanDecoder(const int* lengths, int n, HuffSide side, int tableBits = 0);

  // Next symbol of a Deflate stream; -1 when the input ends inside the code;
  // "052" when the bits match no code.
  int DecodeLsb(ZipBitReader& r);
  // Next symbol of an LZH stream; as DecodeLsb ("046" for codes over 32 bits).
  int DecodeMsb(ArcBitReader& r);

  int MaxLength() const noexcept { return maxLen_; }
  // Table mode: codes fit in 16 bits.
  bool Fast() const noexcept { return fast_; }
  int TableBits() const noexcept { return tb_; }
  const uint32_t* Table() const noexcept { return table_.data(); }
  // Canonical walk (slow mode and tests): next bit from a callback.
  template <class NextBit>
  int WalkCanonical(NextBit next) const;

 private:
  void Build(const int* lengths, int n, HuffSide side, int tableBits);

  int maxLen_ = 0;
  int tb_ = 0;
  bool fast_ = false;
  bool lsb_ = true;
  std::vector<uint32_t> table_;
  std::vector<int> count_;  // codes per length, 0..maxLen
  std::vector<int> sorted_; // symbols in canonical order
};

template <class NextBit>
int HuffmanDecoder::WalkCanonical(NextBit next) const {
  int64_t code = 0, first = 0;
  int index = 0;
  for (int len = 1; len <= maxLen_; ++len) {
    int bit = next();
    if (bit < 0) return -1;
    code |= bit;
    int64_t cnt = count_[len];
    if (code - first < cnt) return sorted_[index + static_cast<int>(code - first)];
    index += static_cast<int>(cnt);
    first = (first + cnt) << 1;
    code <<= 1;
    if (first > (int64_t(1) << 40)) break;  // deeper codes cannot exist
  }
  return -2;
}

}  // namespace arc
