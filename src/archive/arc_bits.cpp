#include "archive/arc_bits.h"

#include <algorithm>
#include <cstring>

#include "archive/arc_error.h"

namespace arc {

uint32_t BitReverse(uint32_t value, int n) noexcept {
  if (n < 1) return 0;
  uint32_t r = 0;
  for (int i = 0; i < n && i < 32; ++i) {
    r = (r << 1) | (value & 1);
    value >>= 1;
  }
  return r;
}

// ---------------------------------------------------------------- ZipBitReader

ZipBitReader::ZipBitReader(ArcState& st, const uint8_t* src)
    : st_(st), src_(src), end_(st.m_nArcInSize > 0 && src ? static_cast<size_t>(st.m_nArcInSize) : 0) {}

void ZipBitReader::Refill() noexcept {
  while (bc_ <= 56 && pos_ < end_) {
    bb_ |= static_cast<uint64_t>(src_[pos_++]) << bc_;
    bc_ += 8;
  }
  if (pos_ >= end_ && st_.m_nArcProgress == 0) st_.m_nArcProgress = 1;
}

int ZipBitReader::GetBit() { return static_cast<int>(GetBits(1)); }

int64_t ZipBitReader::GetBits(int n) {
  if (n > 256) Fail("005");
  if (n < 0) Fail("006");
  int64_t value = 0;
  int done = 0;
  while (done < n) {
    int take = std::min(n - done, 32);
    if (bc_ < take) Refill();
    if (bc_ < take) {
      bb_ = 0;
      bc_ = 0;
      st_.m_nArcProgress = 2;
      return -1;
    }
    uint64_t bits = bb_ & ((uint64_t(1) << take) - 1);
    bb_ >>= take;
    bc_ -= take;
    if (done < 32) value |= static_cast<int64_t>(bits << done) & 0xFFFFFFFFll;
    done += take;
  }
  return value;
}

int ZipBitReader::GetByte() {
  int drop = bc_ & 7;
  bb_ >>= drop;
  bc_ -= drop;
  return static_cast<int>(GetBits(8));
}

int64_t ZipBitReader::PeekBits(int n) {
  if (n > 256) Fail("003");
  if (n < 0) Fail("004");
  int take = std::min(n, 32);
  if (bc_ < take) Refill();
  if (take == 0) return 0;
  return static_cast<int64_t>(bb_ & ((uint64_t(1) << take) - 1));
}

// ---------------------------------------------------------------- ArcBitReader

namespace {
constexpr size_t kChunk = 1 << 16;
constexpr size_t kKeep = 16;  // bytes carried over so SkipTo can step back
}  // namespace

ArcBitReader::ArcBitReader(std::istream& in) : in_(in), buf_(new uint8_t[kKeep + kChunk]) {}

bool ArcBitReader::FillChunk() {
  if (eof_) return false;
  // Keep the last kKeep bytes before the new data.
  size_t keep = std::min(blen_, kKeep);
  if (keep) std::memmove(buf_.get(), buf_.get() + blen_ - keep, keep);
  bufAbs_ += blen_ - keep;
  bpos_ = keep;
  blen_ = keep;
  if (!in_) {
    eof_ = true;
    return false;
  }
  in_.read(reinterpret_cast<char*>(buf_.get() + keep), static_cast<std::streamsize>(kChunk));
  size_t got = static_cast<size_t>(in_.gcount());
  blen_ += got;
  if (got == 0) {
    eof_ = true;
    return false;
  }
  return true;
}

void ArcBitReader::Refill() {
  while (bc_ <= 56) {
    if (cur_ < limit_ && (bpos_ < blen_ || FillChunk())) {
      bb_ |= static_cast<uint64_t>(buf_[bpos_++]) << (56 - bc_);
      ++cur_;
    } else {
      over_ += 8;
    }
    bc_ += 8;
  }
}

int ArcBitReader::GetBit() { return static_cast<int>(GetBits(1)); }

int64_t ArcBitReader::GetBits(int n) {
  if (n > 32) Fail("048");
  if (n < 0) Fail("049");
  if (n == 0) return 0;
  if (bc_ - over_ < n) Refill();
  if (bc_ - over_ < n) {
    // The input ends inside the read: everything left is consumed.
    bb_ = 0;
    bc_ = over_ = 0;
    return -1;
  }
  int64_t v = static_cast<int64_t>(bb_ >> (64 - n));
  bb_ <<= n;
  bc_ -= n;
  return v;
}

int ArcBitReader::GetByte() {
  int drop = (bc_ - over_) & 7;
  bb_ <<= drop;
  bc_ -= drop;
  return static_cast<int>(GetBits(8));
}

size_t ArcBitReader::ReadBytes(uint8_t* dst, size_t n) {
  size_t got = 0;
  int drop = (bc_ - over_) & 7;
  bb_ <<= drop;
  bc_ -= drop;
  while (got < n && bc_ - over_ >= 8) {
    dst[got++] = static_cast<uint8_t>(bb_ >> 56);
    bb_ <<= 8;
    bc_ -= 8;
  }
  if (got == n) return got;
  // The bit buffer is empty of real bits now: copy straight from the chunks.
  bb_ = 0;
  bc_ = over_ = 0;
  while (got < n && cur_ < limit_) {
    if (bpos_ >= blen_ && !FillChunk()) break;
    size_t take = std::min<uint64_t>({n - got, blen_ - bpos_, limit_ - cur_});
    std::memcpy(dst + got, buf_.get() + bpos_, take);
    bpos_ += take;
    cur_ += take;
    got += take;
  }
  return got;
}

bool ArcBitReader::SkipTo(uint64_t abs) {
  bb_ = 0;
  bc_ = over_ = 0;
  if (abs < bufAbs_) return false;  // never more than kKeep bytes back
  for (;;) {
    if (abs <= bufAbs_ + blen_) {
      bpos_ = static_cast<size_t>(abs - bufAbs_);
      cur_ = abs;
      return true;
    }
    bpos_ = blen_;
    if (!FillChunk()) {
      cur_ = bufAbs_ + blen_;
      bpos_ = blen_;
      return false;
    }
  }
}

void ArcBitReader::SetLimit(uint64_t abs) {
  SkipTo(Tell());
  limit_ = abs;
}

void ArcBitReader::ClearLimit() {
  SkipTo(Tell());
  limit_ = UINT64_MAX;
}

// ---------------------------------------------------------------- ArcBitWriter

void ArcBitWriter::Drain() {
  while (cnt_ >= 8) {
    out_.push_back(static_cast<uint8_t>(acc_));
    acc_ >>= 8;
    cnt_ -= 8;
    ++written_;
  }
}

void ArcBitWriter::PutBits(uint32_t value, int n) {
  if (n > 256) Fail("001");
  if (n < 0) Fail("002");
  int first = std::min(n, 32);
  if (first) {
    uint64_t v = first == 32 ? value : (value & ((uint32_t(1) << first) - 1));
    acc_ |= v << cnt_;
    cnt_ += first;
    if (cnt_ >= 32) Drain();
  }
  for (int rest = n - first; rest > 0; rest -= 8) {
    cnt_ += std::min(rest, 8);
    Drain();
  }
}

void ArcBitWriter::Flush() {
  Drain();
  if (cnt_ > 0) {
    out_.push_back(static_cast<uint8_t>(acc_));
    ++written_;
  }
  acc_ = 0;
  cnt_ = 0;
}

}  // namespace arc
