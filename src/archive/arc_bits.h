// Bit streams of the archive codec.
//   ZipBitReader: least-significant-bit-first reader over an in-memory ZIP
//                 archive (length m_nArcInSize), with the end-of-input state in
//                 m_nArcProgress.
//   ArcBitReader: most-significant-bit-first reader over an input stream
//                 (LZH archives), with an optional end limit for one member.
//   ArcBitWriter: least-significant-bit-first writer into a byte vector.
// All three keep a 64-bit bit buffer. Reads past the end return -1; the
// decoders turn that into code "050".
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <memory>
#include <vector>

#include "archive/arc_state.h"

namespace arc {

// The low n bits of value in reverse order; 0 for n < 1.
uint32_t BitReverse(uint32_t value, int n) noexcept;

class ZipBitReader {
 public:
  // Reads st.m_nArcInSize bytes from src.
  ZipBitReader(ArcState& st, const uint8_t* src);

  int GetBit();
  // n from 0 to 256 ("005" above, "006" below); bits past the 32nd are read and
  // dropped. -1 when the source ends during the read (m_nArcProgress becomes 2).
  int64_t GetBits(int n);
  // Skips to the next byte boundary and returns the next byte, or -1.
  int GetByte();
  // n from 0 to 256 ("003" / "004"); bits beyond the end read as 0; at most
  // the first 32 bits are returned.
  int64_t PeekBits(int n);
  // Offset in the source of the next unread whole byte (after alignment).
  int64_t Tell() const noexcept { return static_cast<int64_t>(pos_) - bc_ / 8; }
  // Bits still available (held plus unread source bytes).
  int64_t BitsLeft() const noexcept { return static_cast<int64_t>(end_ - pos_) * 8 + bc_; }

  ArcState& State() noexcept { return st_; }

 private:
  friend class Inflater;
  friend class HuffmanDecoder;
  void Refill() noexcept;

  ArcState& st_;
  const uint8_t* src_;
  size_t pos_ = 0;  // next source byte to load
  size_t end_;
  uint64_t bb_ = 0;  // bit buffer, next bit in bit 0
  int bc_ = 0;       // valid bits in bb_
};

class ArcBitReader {
 public:
  explicit ArcBitReader(std::istream& in);

  int GetBit();
  // n from 0 to 32 ("048" above, "049" below); first bit read is the most
  // significant; -1 when the input ends during the read.
  int64_t GetBits(int n);
  // Skips to the next byte boundary and returns the next 8 bits, or -1.
  int GetByte();

  // Absolute offset of the next unread whole byte (after alignment).
  uint64_t Tell() const noexcept { return cur_ - static_cast<uint64_t>((bc_ - over_) / 8); }
  // Moves to an absolute byte offset (forward, or back by at most 16 bytes),
  // dropping buffered bits. Returns false when the input ends first.
  bool SkipTo(uint64_t abs);
  // Limits reading to bytes below abs (one member's data); bytes beyond read
  // as the end of input. ClearLimit lifts it.
  void SetLimit(uint64_t abs);
  void ClearLimit();
  // Skips to the next byte boundary and copies up to n whole bytes; returns
  // the count copied (less than n when the input or limit ends).
  size_t ReadBytes(uint8_t* dst, size_t n);
  // Bits consumed past the end of input (the decoders' truncation test).
  bool Overrun() const noexcept { return bc_ < over_; }

 private:
  friend class LzhDecoder;
  friend class HuffmanDecoder;
  // Fills bb_ to at least 57 bits; bytes past the end or limit count as zero
  // padding in over_.
  void Refill();
  bool FillChunk();  // loads the next chunk of the stream; false at its end

  std::istream& in_;
  std::unique_ptr<uint8_t[]> buf_;  // chunk: kKeep carried bytes, then new ones
  size_t bpos_ = 0, blen_ = 0;
  uint64_t bufAbs_ = 0;  // absolute offset of buf_[0]
  uint64_t cur_ = 0;     // absolute offset of the next byte to load into bb_
  uint64_t limit_ = UINT64_MAX;
  bool eof_ = false;
  uint64_t bb_ = 0;  // bit buffer, next bit in bit 63
  int bc_ = 0;       // bits in bb_, counting the zero padding
  int over_ = 0;     // zero padding bits at the end of bb_
};

class ArcBitWriter {
 public:
  explicit ArcBitWriter(std::vector<uint8_t>& out) : out_(out) {}
  // n from 0 to 256 ("001" above, "002" below); appends the low n bits of
  // value, least significant first (bits past the 32nd are 0).
  void PutBits(uint32_t value, int n);
  // PutBits without the checks, for n from 0 to 32 and a value of n bits.
  void PutCode(uint32_t value, int n) {
    acc_ |= static_cast<uint64_t>(value) << cnt_;
    cnt_ += n;
    if (cnt_ >= 32) {
      const uint8_t b[4] = {static_cast<uint8_t>(acc_), static_cast<uint8_t>(acc_ >> 8),
                            static_cast<uint8_t>(acc_ >> 16), static_cast<uint8_t>(acc_ >> 24)};
      out_.insert(out_.end(), b, b + 4);
      acc_ >>= 32;
      cnt_ -= 32;
      written_ += 4;
    }
  }
  // Appends the held bits rounded up to whole bytes.
  void Flush();
  int64_t BytesWritten() const noexcept { return written_; }

  // Many PutCode calls in a row with the bit accumulator in registers and the
  // bytes staged locally: takes the writer's state when made, gives it back
  // (bytes appended) when destroyed. The writer is not used meanwhile.
  class Burst {
   public:
    explicit Burst(ArcBitWriter& w) : w_(w), acc_(w.acc_), cnt_(w.cnt_) {}
    Burst(const Burst&) = delete;
    Burst& operator=(const Burst&) = delete;
    ~Burst() {
      Drain();
      w_.acc_ = acc_;
      w_.cnt_ = static_cast<int>(cnt_);
    }
    // As ArcBitWriter::PutCode.
    void PutCode(uint32_t value, int n) {
      acc_ |= static_cast<uint64_t>(value) << cnt_;
      cnt_ += n;
      if (cnt_ >= 32) {
        uint32_t word = static_cast<uint32_t>(acc_);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
        word = __builtin_bswap32(word);
#endif
        // Whole words, so the stores cannot alias the accumulator.
        words_[len_++] = word;
        acc_ >>= 32;
        cnt_ -= 32;
        if (len_ == kWords) Drain();
      }
    }

   private:
    static constexpr size_t kWords = 256;
    void Drain() {
      const uint8_t* b = reinterpret_cast<const uint8_t*>(words_);
      w_.out_.insert(w_.out_.end(), b, b + 4 * len_);
      w_.written_ += static_cast<int64_t>(4 * len_);
      len_ = 0;
    }
    ArcBitWriter& w_;
    uint64_t acc_;
    int64_t cnt_;
    size_t len_ = 0;
    uint32_t words_[kWords];
  };

 private:
  void Drain();
  std::vector<uint8_t>& out_;
  uint64_t acc_ = 0;
  int cnt_ = 0;
  int64_t written_ = 0;
};

}  // namespace arc
