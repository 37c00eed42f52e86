// Deflate encoder of one file for the ZIP writer: greedy parsing over a
// 64 KiB window (32 KiB history), every match found is taken at once, and
// only the positions where a match is looked up enter the match finder.
// Output is made of dynamic-Huffman blocks only, cut when the symbol buffer
// holds more than its limit.
//
// The match finder returns what a walk of every earlier looked-up position
// with the same two first bytes (nearest first, within 32 KiB) returns: the
// longest match, the nearest among equal lengths. It walks chains keyed by
// the first four bytes (lengths of 4 and more) and by the first three (the
// nearest match of exactly 3), which gives the same answer with far fewer
// candidates. Each walk stops after kMaxChain candidates so that crafted
// input stays linear; ordinary data never reaches that depth.
//
// The tables are kept small so that they stay in the core's cache on data
// without repeats, where every position is looked up: 16-bit heads (position
// plus one) and, per position modulo 32 KiB, a 16-bit chain distance for the
// 4-byte chain and a 32-bit slot for the 3-byte chain (the distance, and the
// position's check: the bottom half of the 3-byte hash product, which with
// the hash tells the three bytes exactly). 448 KiB of tables, 512 KiB with
// the window.
// Positions that share a slot are 32 KiB apart, and a link is only followed
// from a position within 32 KiB, so a slot is never read after it was reused.
// The 3-byte walk runs first and compares checks, not window bytes: when it
// reaches the end of its chain without a position sharing 3 bytes, none
// shares 4 and the 4-byte walk is skipped (on data without repeats, nearly
// every lookup, decided with one branch from the head and one slot).
// The hashes, the chains' order and the caps are those of the first tables,
// so the parse and the output bytes have not changed since.
#pragma once

#include <cstdint>
#include <istream>
#include <memory>
#include <vector>

#include "archive/arc_bits.h"

namespace arc {

class Deflater {
 public:
  // capacity: symbol buffer size; a block is written once more than
  // capacity - 2 entries are held.
  explicit Deflater(ArcBitWriter& w, int capacity = 32768);

  // Buffer a literal ("007"/"008") or a match ("009"/"010" for the length,
  // "011"/"012" for the distance); writes a full block with BFINAL 0.
  void PutLiteral(int byte);
  // PutLiteral of a byte the window read (no range check), inline.
  void PutByte(uint8_t byte) {
    syms_[static_cast<size_t>(count_++)] = byte;
    if (trace) trace->push_back(byte);
    if (count_ > limit_) WriteBlock(0);
  }
  void PutMatch(int length, int distance);
  // Writes the buffered symbols as one dynamic block and empties the buffer.
  void WriteBlock(int final);
  void WriteLastBlock() { WriteBlock(1); }

  // Tests: when set, every buffered entry is appended here too (literal:
  // byte; match: length + 257, then distance - 1).
  std::vector<uint16_t>* trace = nullptr;

 private:
  void WriteCodeLengths(const std::vector<int>& lit, const std::vector<int>& dist);

  ArcBitWriter& w_;
  int limit_;
  // Buffered entries: syms_[0, count_). A block is written as soon as more
  // than limit_ are held, so there is never more than limit_ + 2.
  std::unique_ptr<uint16_t[]> syms_;
  int count_ = 0;
};

class DeflateWindow {
 public:
  static constexpr int kMaxChain = 1024;

  // maxChain: candidates walked per lookup (kMaxChain; larger values only for
  // measurements).
  explicit DeflateWindow(int maxChain = kMaxChain);
  // Encodes the whole stream (read errors end the input); full blocks are
  // written, the rest stays buffered for WriteLastBlock.
  void Compress(std::istream& in, Deflater& d);
  void Compress(const uint8_t* data, size_t size, Deflater& d);
  // CRC-32 of everything read (complemented).
  uint32_t Crc() const noexcept { return ~crc_; }
  uint64_t BytesRead() const noexcept { return total_; }

 private:
  struct Source {
    std::istream* in;
    const uint8_t* p;
    size_t n, pos;
  };
  void Run(Source& src, Deflater& d);
  void Fill(Source& src);
  void Slide();

  int maxChain_;
  // The window and the tables are allocated once, without clearing; each
  // Compress clears them.
  std::unique_ptr<uint8_t[]> win_;
  // Chain links, one per position modulo 32 KiB in each array (a link is
  // only followed from a position less than 32 KiB back): the distance to the
  // previous position with the same 4-byte (3-byte) hash, 0 for none or for
  // one more than 32 KiB back. The 3-byte slots hold the position's check in
  // their top 16 bits.
  std::unique_ptr<uint16_t[]> link4_;
  std::unique_ptr<uint32_t[]> link3_;
  // Newest position of each hash, plus one (0: none).
  std::unique_ptr<uint16_t[]> head4_, head3_;
  int32_t loaded_ = 0, pos_ = 0;
  uint32_t crc_ = 0xFFFFFFFFu;
  uint64_t total_ = 0;
};

// One-call helpers: Deflate data of a block of memory (capacity 32768).
std::vector<uint8_t> DeflateBytes(const uint8_t* data, size_t size, uint32_t* crc = nullptr,
                                  int maxChain = DeflateWindow::kMaxChain);

}  // namespace arc
