#include "archive/lzh_decoder.h"

#include <algorithm>
#include <cstring>

#include "archive/arc_error.h"

namespace arc {
namespace {

constexpr int kNT = 19, kNC = 510;
constexpr size_t kBufSize = 1 << 18;
constexpr size_t kSlack = 256 + 16;
constexpr int kCharBits = 12, kPosBits = 8;

inline uint64_t Load64Be(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
#if !defined(__BYTE_ORDER__) || __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  v = __builtin_bswap64(v);
#endif
  return v;
}

}  // namespace

LzhDecoder::LzhDecoder(ArcBitReader& r, int dictBits)
    : r_(r),
      np_(dictBits <= 13 ? 15 : dictBits + 1),
      pbit_(dictBits <= 13 ? 4 : 5),
      history_(dictBits <= 13 ? 16384 : size_t(1) << dictBits) {}
LzhDecoder::~LzhDecoder() = default;

int64_t LzhDecoder::Bits(int n) {
  int64_t v = r_.GetBits(n);
  if (v < 0) Fail("050");
  return v;
}

void LzhDecoder::ReadShortTable(int nn, int nbit, int special, std::vector<int>& lens, int& single) {
  single = -1;
  lens.assign(static_cast<size_t>(nn), 0);
  int n = static_cast<int>(Bits(nbit));
  if (n == 0) {
    int c = static_cast<int>(Bits(nbit));
    if (c >= nn) Fail(special >= 0 ? "043" : "044");
    single = c;
    return;
  }
  if (n > nn) Fail("044");
  int i = 0;
  while (i < n) {
    int c = static_cast<int>(Bits(3));
    if (c == 7) {
      // Each 1-bit adds one; past 32 bits the code cannot be decoded anyway.
      while (Bits(1) == 1)
        if (++c > 255) Fail("046");
    }
    lens[static_cast<size_t>(i++)] = c;
    if (i == special) {
      int z = static_cast<int>(Bits(2));
      while (z-- > 0 && i < nn) lens[static_cast<size_t>(i++)] = 0;
    }
  }
}

void LzhDecoder::ReadCharTable() {
  cSingle_ = -1;
  cLen_.assign(kNC, 0);
  int n = static_cast<int>(Bits(9));
  if (n == 0) {
    int c = static_cast<int>(Bits(9));
    if (c >= kNC) Fail("044");
    cSingle_ = c;
    return;
  }
  if (n > kNC) Fail("044");
  int i = 0;
  while (i < n) {
    int c = tSingle_ >= 0 ? tSingle_ : tDec_->DecodeMsb(r_);
    if (c < 0) Fail("050");
    if (c <= 2) {
      int run = c == 0 ? 1 : c == 1 ? static_cast<int>(Bits(4)) + 3 : static_cast<int>(Bits(9)) + 20;
      if (i + run > kNC) Fail("045");
      for (int k = 0; k < run; ++k) cLen_[static_cast<size_t>(i++)] = 0;
    } else {
      cLen_[static_cast<size_t>(i++)] = c - 2;
    }
  }
}

void LzhDecoder::ReadBlockHeader() {
  tDec_.reset();
  cDec_.reset();
  pDec_.reset();
  codesLeft_ = Bits(16);
  ReadShortTable(kNT, 5, 3, tLen_, tSingle_);
  if (tSingle_ < 0) tDec_ = std::make_unique<HuffmanDecoder>(tLen_, HuffSide::Lzh, 8);
  ReadCharTable();
  if (cSingle_ < 0) cDec_ = std::make_unique<HuffmanDecoder>(cLen_, HuffSide::Lzh, kCharBits);
  ReadShortTable(np_, pbit_, -1, pLen_, pSingle_);
  if (pSingle_ < 0) pDec_ = std::make_unique<HuffmanDecoder>(pLen_, HuffSide::Lzh, kPosBits);
}

void LzhDecoder::Flush(LzhCrc16& sink) {
  if (op_ > flushed_) sink.Write(buf_.get() + flushed_, op_ - flushed_);
  flushed_ = op_;
  if (op_ + kSlack > kBufSize) {
    std::memmove(buf_.get(), buf_.get() + op_ - history_, history_);
    op_ = flushed_ = history_;
  }
}

void LzhDecoder::Decode(LzhDecoder& d, LzhCrc16& sink) {
  int64_t left = sink.Target() - sink.Count();
  if (left <= 0) return;
  if (!d.buf_) d.buf_.reset(new uint8_t[kBufSize]);
  ArcBitReader& r = d.r_;
  uint8_t* const buf = d.buf_.get();

  // Symbol decoding on the reader's own bit buffer: table lookups for codes
  // of up to 16 bits, the reader's generic path otherwise.
  auto refill = [&r] {
    if (r.bc_ > 56) return;
    if (r.blen_ - r.bpos_ >= 8 && r.limit_ - r.cur_ >= 8) {
      r.bb_ |= Load64Be(r.buf_.get() + r.bpos_) >> r.bc_;
      int n = (63 - r.bc_) >> 3;
      r.bpos_ += static_cast<size_t>(n);
      r.cur_ += static_cast<uint64_t>(n);
      r.bc_ += n << 3;
      // Keep the bits below bc_ zero for the byte-wise refill.
      r.bb_ &= ~uint64_t(0) << (64 - r.bc_);
    } else {
      r.Refill();
    }
  };
  auto decode = [&r](HuffmanDecoder* dec, int single) -> int {
    if (single >= 0) return single;
    if (!dec->Fast()) return dec->DecodeMsb(r);
    const uint32_t* t = dec->Table();
    int tb = dec->TableBits();
    uint32_t e = t[r.bb_ >> (64 - tb)];
    if ((e >> 8 & 0xFF) == HuffmanDecoder::kLink) {
      int sb = static_cast<int>(e & 0xFF);
      e = t[(e >> 16) + static_cast<uint32_t>((r.bb_ << tb) >> (64 - sb))];
    }
    if ((e >> 8 & 0xFF) == HuffmanDecoder::kBad) {
      if (r.bc_ - r.over_ < dec->MaxLength()) Fail("050");
      Fail("052");
    }
    int l = static_cast<int>(e & 0xFF);
    r.bb_ <<= l;
    r.bc_ -= l;
    return static_cast<int>(e >> 16);
  };

  size_t op = d.op_;
  for (;;) {
    if (op + kSlack > kBufSize) {
      d.op_ = op;
      d.Flush(sink);
      op = d.op_;
    }
    if (d.codesLeft_ <= 0) d.ReadBlockHeader();
    --d.codesLeft_;
    refill();
    int c = decode(d.cDec_.get(), d.cSingle_);
    if (c < 0 || r.Overrun()) Fail("050");
    if (c < 256) {
      buf[op++] = static_cast<uint8_t>(c);
      ++d.produced_;
      if (--left == 0) break;
      continue;
    }
    int64_t len = c - 253;
    refill();
    int p = decode(d.pDec_.get(), d.pSingle_);
    if (p < 0) Fail("050");
    refill();
    int64_t dist;
    if (p > 0) {
      int eb = p - 1;
      uint64_t extra = eb ? r.bb_ >> (64 - eb) : 0;
      r.bb_ <<= eb;
      r.bc_ -= eb;
      dist = (int64_t(1) << eb) + static_cast<int64_t>(extra) + 1;
    } else {
      dist = 1;
    }
    if (r.Overrun()) Fail("050");
    if (dist > d.produced_) Fail("051");
    if (len > left) len = left;
    uint8_t* dst = buf + op;
    const uint8_t* src = dst - dist;
    if (dist >= 8) {
      for (int64_t k = 0; k < len; k += 8) std::memcpy(dst + k, src + k, 8);
    } else {
      for (int64_t k = 0; k < len; ++k) dst[k] = src[k];
    }
    op += static_cast<size_t>(len);
    d.produced_ += len;
    left -= len;
    if (left == 0) break;
  }
  d.op_ = op;
  d.Flush(sink);
}

}  // namespace arc
