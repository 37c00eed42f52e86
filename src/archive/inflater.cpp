#include "archive/inflater.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "archive/arc_error.h"
#include "archive/deflate_tables.h"

namespace arc {
namespace {

constexpr size_t kHistory = 32768;
constexpr size_t kBufSize = 1 << 18;
constexpr size_t kSlack = 258 + 16;  // room for one match plus the 8-byte copy overshoot
constexpr int kLitBits = 10;
constexpr int kDistBits = 8;

const HuffmanDecoder& FixedLit() {
  static const HuffmanDecoder d = [] {
    std::vector<int> l(288);
    for (int i = 0; i < 288; ++i) l[static_cast<size_t>(i)] = i < 144 ? 8 : i < 256 ? 9 : i < 280 ? 7 : 8;
    return HuffmanDecoder(l, HuffSide::Deflate, kLitBits);
  }();
  return d;
}

const HuffmanDecoder& FixedDist() {
  static const HuffmanDecoder d(std::vector<int>(30, 5), HuffSide::Deflate, kDistBits);
  return d;
}

inline uint64_t Load64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  v = __builtin_bswap64(v);
#endif
  return v;
}

void AddOutLen(ArcState& st, int64_t n) {
  int64_t v = static_cast<int64_t>(st.m_nArcOutLen) + n;
  st.m_nArcOutLen = static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

}  // namespace

Inflater::Inflater(ZipBitReader& r) : r_(r) {
  GetDeflateTables();
  ReadBlockHeader();
}

Inflater::~Inflater() = default;

void Inflater::Truncated() {
  r_.st_.m_nArcProgress = 2;
  Fail("050");
}

void Inflater::ReadBlockHeader() {
  int64_t bfinal = r_.GetBits(1);
  int64_t btype = r_.GetBits(2);
  if (bfinal < 0 || btype < 0) Truncated();
  state_ = static_cast<int>(bfinal);
  btype_ = static_cast<int>(btype);
  lit_.reset();
  dist_.reset();
  if (btype_ == 0) {
    int b[4];
    for (int& v : b)
      if ((v = r_.GetByte()) < 0) Truncated();
    if ((b[0] ^ 0xFF) != b[2]) Fail("013");
    if ((b[1] ^ 0xFF) != b[3]) Fail("014");
    storedLeft_ = b[0] | b[1] << 8;
  } else if (btype_ == 1) {
    lit_ = std::make_unique<HuffmanDecoder>(FixedLit());
    dist_ = std::make_unique<HuffmanDecoder>(FixedDist());
  } else if (btype_ == 2) {
    ReadDynamicTables();
  } else {
    Fail("015");
  }
}

void Inflater::ReadDynamicTables() {
  int64_t hlit = r_.GetBits(5), hdist = r_.GetBits(5), hclen = r_.GetBits(4);
  if (hlit < 0 || hdist < 0 || hclen < 0) Truncated();
  hlit += 257;
  hdist += 1;
  hclen += 4;
  int cl[19] = {0};
  for (int i = 0; i < hclen; ++i) {
    int64_t v = r_.GetBits(3);
    if (v < 0) Truncated();
    cl[kCodeLengthOrder[i]] = static_cast<int>(v);
  }
  HuffmanDecoder clDec(cl, 19, HuffSide::Deflate, 7);
  const int total = static_cast<int>(hlit + hdist);
  std::vector<int> lens(static_cast<size_t>(total), 0);
  int n = 0;
  while (n < total) {
    int sym = clDec.DecodeLsb(r_);
    if (sym < 0) Truncated();
    if (sym < 16) {
      lens[static_cast<size_t>(n++)] = sym;
      continue;
    }
    int value = 0;
    int64_t rep;
    if (sym == 16) {
      if (n == 0) Fail("041");
      value = lens[static_cast<size_t>(n) - 1];
      rep = r_.GetBits(2);
      if (rep >= 0) rep += 3;
    } else if (sym == 17) {
      rep = r_.GetBits(3);
      if (rep >= 0) rep += 3;
    } else {
      rep = r_.GetBits(7);
      if (rep >= 0) rep += 11;
    }
    if (rep < 0) Truncated();
    if (n + rep > total) Fail("042");
    for (int k = 0; k < rep; ++k) lens[static_cast<size_t>(n++)] = value;
  }
  lit_ = std::make_unique<HuffmanDecoder>(lens.data(), static_cast<int>(hlit), HuffSide::Deflate, kLitBits);
  const int* dl = lens.data() + hlit;
  bool any = false;
  for (int i = 0; i < hdist; ++i) any |= dl[i] != 0;
  // No distance code at all: a block of literals only (RFC 1951 3.2.7).
  if (any) dist_ = std::make_unique<HuffmanDecoder>(dl, static_cast<int>(hdist), HuffSide::Deflate, kDistBits);
}

void Inflater::EndOfBlock() {
  lit_.reset();
  dist_.reset();
  if (state_ == 1) {
    state_ = -1;
    return;
  }
  ReadBlockHeader();
}

int Inflater::NextSymbol() {
  for (;;) {
    if (state_ == -1) return -1;
    if (btype_ == 0) {
      if (storedLeft_ > 0) {
        --storedLeft_;
        int b = r_.GetByte();
        if (b < 0) Truncated();
        return b;
      }
      EndOfBlock();
      continue;
    }
    int sym = lit_->DecodeLsb(r_);
    if (sym < 0) Truncated();
    if (sym < 256) return sym;
    if (sym == 256) {
      EndOfBlock();
      continue;
    }
    if (sym > 285) Fail("036");
    const DeflateTables& t = GetDeflateTables();
    int64_t extra = r_.GetBits(t.lenExtra[sym - 257]);
    if (extra < 0) Truncated();
    int length = t.lenBase[sym - 257] + static_cast<int>(extra);
    if (!dist_) Fail("052");
    int ds = dist_->DecodeLsb(r_);
    if (ds < 0) Truncated();
    if (ds > 29) Fail("040");
    int64_t dx = r_.GetBits(t.distExtra[ds]);
    if (dx < 0) Truncated();
    lastDist_ = t.distBase[ds] + static_cast<int>(dx);
    return 257 + length;
  }
}

void Inflater::Flush(ZipCrc32& sink) {
  size_t n = op_ - flushed_;
  if (n) {
    sink.Write(buf_.get() + flushed_, n);
    AddOutLen(sink.State(), static_cast<int64_t>(n));
  }
  flushed_ = op_;
  if (op_ + kSlack >= kBufSize) {
    std::memmove(buf_.get(), buf_.get() + op_ - kHistory, kHistory);
    op_ = flushed_ = kHistory;
  }
}

bool Inflater::StoredRun(ZipCrc32& sink, int64_t& left) {
  while (storedLeft_ > 0) {
    if (op_ + kSlack >= kBufSize) Flush(sink);
    // Bytes still in the bit buffer first (it is byte-aligned here), then the source.
    int64_t take = std::min<int64_t>({storedLeft_, left, static_cast<int64_t>(kBufSize - kSlack - op_)});
    size_t got = 0;
    while (got < static_cast<size_t>(take) && r_.bc_ >= 8) {
      buf_[op_ + got++] = static_cast<uint8_t>(r_.bb_);
      r_.bb_ >>= 8;
      r_.bc_ -= 8;
    }
    if (got < static_cast<size_t>(take)) {
      size_t avail = r_.end_ - r_.pos_;
      size_t n = std::min(avail, static_cast<size_t>(take) - got);
      std::memcpy(buf_.get() + op_ + got, r_.src_ + r_.pos_, n);
      r_.pos_ += n;
      got += n;
      if (r_.pos_ >= r_.end_ && r_.st_.m_nArcProgress == 0) r_.st_.m_nArcProgress = 1;
    }
    op_ += got;
    produced_ += static_cast<int64_t>(got);
    storedLeft_ -= static_cast<int64_t>(got);
    left -= static_cast<int64_t>(got);
    if (left == 0) return true;
    if (got < static_cast<size_t>(take)) Truncated();
  }
  return false;
}

bool Inflater::HuffmanRun(ZipCrc32& sink, int64_t& left) {
  const DeflateTables& T = GetDeflateTables();
  const uint32_t* lt = lit_->Table();
  const int ltb = lit_->TableBits();
  const uint64_t lmask = (uint64_t(1) << ltb) - 1;
  const int litMax = lit_->MaxLength();
  const uint32_t* dt = dist_ ? dist_->Table() : nullptr;
  const int dtb = dist_ ? dist_->TableBits() : 0;
  const uint64_t dmask = (uint64_t(1) << dtb) - 1;
  const int distMax = dist_ ? dist_->MaxLength() : 0;

  const uint8_t* ip = r_.src_ + r_.pos_;
  const uint8_t* const iend = r_.src_ + r_.end_;
  uint64_t bb = r_.bb_;
  int bc = r_.bc_;
  int over = 0;
  uint8_t* const buf = buf_.get();
  size_t op = op_;
  int64_t produced = produced_;
  bool completed = false;

  auto save = [&] {
    r_.pos_ = static_cast<size_t>(ip - r_.src_);
    r_.bc_ = std::max(bc - over, 0);
    r_.bb_ = r_.bc_ >= 64 ? bb : (bb & ((uint64_t(1) << r_.bc_) - 1));
    op_ = op;
    produced_ = produced;
  };
  auto fail = [&](const char* code) {
    save();
    Fail(code);
  };
  auto truncated = [&] {
    save();
    Truncated();
  };
  // Bad table entry: missing bits past the end mean truncation, else no code.
  auto badCode = [&](int maxLen) {
    if (bc - over < maxLen) truncated();
    fail("052");
  };

  for (;;) {
    if (op + kSlack > kBufSize) {
      op_ = op;
      Flush(sink);
      op = op_;
    }
    if (bc > 56) {
      // enough bits for one whole symbol
    } else if (iend - ip >= 8) {
      bb |= Load64(ip) << bc;
      int n = (63 - bc) >> 3;
      ip += n;
      bc += n << 3;
    } else {
      while (bc <= 56) {
        if (ip < iend)
          bb |= static_cast<uint64_t>(*ip++) << bc;
        else
          over += 8;
        bc += 8;
      }
      if (ip >= iend && r_.st_.m_nArcProgress == 0) r_.st_.m_nArcProgress = 1;
    }
    uint32_t e = lt[bb & lmask];
    if ((e >> 8 & 0xFF) != HuffmanDecoder::kSym) {
      if ((e >> 8 & 0xFF) == HuffmanDecoder::kLink)
        e = lt[(e >> 16) + ((bb >> ltb) & ((uint64_t(1) << (e & 0xFF)) - 1))];
      if ((e >> 8 & 0xFF) == HuffmanDecoder::kBad) badCode(litMax);
    }
    int len = static_cast<int>(e & 0xFF);
    bb >>= len;
    bc -= len;
    uint32_t sym = e >> 16;
    if (sym < 256) {
      if (bc < over) truncated();
      buf[op++] = static_cast<uint8_t>(sym);
      ++produced;
      if (--left == 0) {
        completed = true;
        break;
      }
      continue;
    }
    if (sym == 256) {
      if (bc < over) truncated();
      break;
    }
    if (sym > 285) fail("036");
    int li = static_cast<int>(sym) - 257;
    int lx = T.lenExtra[li];
    int length = T.lenBase[li] + static_cast<int>(bb & ((uint64_t(1) << lx) - 1));
    bb >>= lx;
    bc -= lx;
    if (!dt) {
      if (bc < over) truncated();
      fail("052");
    }
    uint32_t d = dt[bb & dmask];
    if ((d >> 8 & 0xFF) != HuffmanDecoder::kSym) {
      if ((d >> 8 & 0xFF) == HuffmanDecoder::kLink)
        d = dt[(d >> 16) + ((bb >> dtb) & ((uint64_t(1) << (d & 0xFF)) - 1))];
      if ((d >> 8 & 0xFF) == HuffmanDecoder::kBad) badCode(distMax);
    }
    bb >>= (d & 0xFF);
    bc -= static_cast<int>(d & 0xFF);
    uint32_t ds = d >> 16;
    if (ds > 29) fail("040");
    int dx = T.distExtra[ds];
    int64_t dist = T.distBase[ds] + static_cast<int64_t>(bb & ((uint64_t(1) << dx) - 1));
    bb >>= dx;
    bc -= dx;
    if (bc < over) truncated();
    if (dist > produced) fail("051");
    int64_t n = length;
    if (n >= left) {
      n = left;
      completed = true;
    }
    uint8_t* dst = buf + op;
    const uint8_t* src = dst - dist;
    if (dist == 1) {
      std::memset(dst, *src, static_cast<size_t>(n));
    } else if (dist >= 8) {
      for (int64_t k = 0; k < n; k += 8) std::memcpy(dst + k, src + k, 8);
    } else {
      for (int64_t k = 0; k < n; ++k) dst[k] = src[k];
    }
    op += static_cast<size_t>(n);
    produced += n;
    left -= n;
    if (completed) break;
  }
  save();
  return completed;
}

void Inflater::Inflate(Inflater& inf, ZipCrc32& sink) {
  ArcState& st = sink.State();
  // Never read before written: distances are checked against the bytes made.
  if (!inf.buf_) inf.buf_.reset(new uint8_t[kBufSize]);
  inf.op_ = inf.flushed_ = 0;
  inf.produced_ = 0;
  int64_t left = std::max<int64_t>(sink.Target() - sink.Count(), 1);
  bool completed = false;
  while (!completed && inf.state_ != -1) {
    if (inf.btype_ == 0) {
      completed = inf.StoredRun(sink, left);
      if (!completed) inf.EndOfBlock();
    } else {
      completed = inf.HuffmanRun(sink, left);
      if (!completed) inf.EndOfBlock();
    }
  }
  inf.Flush(sink);
  if (completed) AddOutLen(st, -1);
  st.m_nArcProgress = 0;
  // One more unit, so that the reader stands after the member's data. The
  // member is complete: running out of input here is no error.
  try {
    inf.NextSymbol();
  } catch (const ArchiveError& e) {
    if (std::strcmp(e.Code(), "050") != 0) throw;
  }
}

}  // namespace arc
