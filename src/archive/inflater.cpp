#include "archive/inflater.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>

#include "archive/arc_error.h"
#include "archive/deflate_tables.h"

namespace arc {
namespace {

constexpr size_t kHistory = 32768;
constexpr size_t kBufSize = 1 << 18;
constexpr size_t kSlack = 258 + 16;  // room for one match plus the 16-byte copy overshoot
constexpr int64_t kFastLeft = 258;   // the fast loop never completes a member
constexpr int kLitBits = 10;
constexpr int kDistBits = 8;
constexpr int kMaxTableBits = 12;  // bound of kLitBits and kDistBits (BuildFast's stack arrays)
static_assert(kLitBits <= kMaxTableBits && kDistBits <= kMaxTableBits, "table width");

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

// Fast table entry: bits 0-5 code length, 6-8 kind, 9-13 extra bits,
// 16-31 value (literal, base length or distance, or second-level offset;
// for a link the code length field holds the second-level width).
enum : uint32_t { kLit = 0, kLen = 1, kEob = 2, kLink = 3, kNoCode = 4, kBadSym = 5 };
inline uint32_t Kind(uint32_t e) { return e >> 6 & 7; }
// Code length: the whole low field, so a shift by it needs no masking.
inline int Len(uint32_t e) { return static_cast<int>(e & 63); }
inline int Extra(uint32_t e) { return static_cast<int>(e >> 9 & 31); }
inline uint32_t Entry(uint32_t kind, uint32_t len, uint32_t extra, uint32_t value) {
  return value << 16 | extra << 9 | kind << 6 | len;
}

inline uint32_t Lookup(const uint32_t* t, uint64_t bb, uint64_t mask, int tb) {
  uint32_t e = t[bb & mask];
  if (Kind(e) == kLink) e = t[(e >> 16) + ((bb >> tb) & ((uint64_t(1) << Len(e)) - 1))];
  return e;
}

// The steady part of a Huffman block. Runs while a whole step fits: 8 source
// bytes remain (a refill never reaches the end of the input), the window has
// room for one match, and more than kFastLeft bytes are still wanted (the
// member cannot complete). Steps are the careful loop's steps (one refill,
// then up to three literals or one match), so both loops stand at the same
// state at every step boundary and flush at the same points. A symbol that
// needs judging (end of block, a bad code, a distance before the first byte)
// is left unconsumed for the careful loop, which redoes the step and reports it.
inline void FastRun(const uint8_t*& ipRef, const uint8_t* iend, uint64_t& bbRef, int& bcRef, uint8_t* buf,
                    size_t& opRef, int64_t& produced, int64_t& left, const uint32_t* lt, uint64_t lmask, int ltb,
                    const uint32_t* dt, uint64_t dmask, int dtb) {
  const uint8_t* ip = ipRef;
  uint64_t bb = bbRef;
  int bc = bcRef;
  size_t op = opRef;
  const size_t op0 = op;
  const size_t opEnd =
      std::min<size_t>(kBufSize - kSlack + 1, op + static_cast<size_t>(std::min<int64_t>(left - kFastLeft, kBufSize)));
  // Bytes made before buf[0]; the member has made before + op bytes.
  const int64_t before = produced - static_cast<int64_t>(op);
  while (op < opEnd && iend - ip >= 8) {
    if (bc <= 56) {
      bb |= Load64(ip) << bc;
      int n = (63 - bc) >> 3;
      ip += n;
      bc += n << 3;
    }
    uint32_t e = Lookup(lt, bb, lmask, ltb);
    if (Kind(e) == kLit) {
      int n = 0;
      do {
        int len = Len(e);
        bb >>= len;
        bc -= len;
        buf[op++] = static_cast<uint8_t>(e >> 16);
        if (++n == 3) break;
        e = Lookup(lt, bb, lmask, ltb);
      } while (Kind(e) == kLit);
      continue;
    }
    if (Kind(e) != kLen) break;
    // Length code and extra bits take at most 20 bits, the distance at most
    // 28: one refill (56 bits or more) covers the match.
    int len = Len(e), lx = Extra(e);
    size_t length = (e >> 16) + static_cast<size_t>((bb >> len) & ((uint64_t(1) << lx) - 1));
    uint64_t b2 = bb >> (len + lx);
    uint32_t d = Lookup(dt, b2, dmask, dtb);
    if (Kind(d) != kLit) break;
    int dl = Len(d), dx = Extra(d);
    size_t dist = (d >> 16) + static_cast<size_t>((b2 >> dl) & ((uint64_t(1) << dx) - 1));
    if (static_cast<int64_t>(dist) > before + static_cast<int64_t>(op)) break;
    bb = b2 >> (dl + dx);
    bc -= len + lx + dl + dx;
    uint8_t* dst = buf + op;
    const uint8_t* src = dst - dist;
    if (dist >= 16) {
      // Chunks never read bytes they wrote; the overshoot stays in kSlack.
      std::memcpy(dst, src, 16);
      for (size_t k = 16; k < length; k += 16) std::memcpy(dst + k, src + k, 16);
    } else if (dist >= 8) {
      std::memcpy(dst, src, 8);
      for (size_t k = 8; k < length; k += 8) std::memcpy(dst + k, src + k, 8);
    } else if (dist == 1) {
      std::memset(dst, *src, length);
    } else {
      // Short period: lay down one whole number of periods of at least 8
      // bytes, then copy 8-byte chunks from that far back (no overlap).
      static constexpr uint8_t kSpan[8] = {0, 0, 8, 9, 8, 10, 12, 14};  // dist rounded up to >= 8
      const size_t span = kSpan[dist];
      const size_t first = std::min(length, span);
      for (size_t k = 0; k < first; ++k) dst[k] = src[k];
      for (size_t k = span; k < length; k += 8) std::memcpy(dst + k, dst + k - span, 8);
    }
    op += length;
  }
  ipRef = ip;
  bbRef = bb;
  bcRef = bc;
  opRef = op;
  produced = before + static_cast<int64_t>(op);
  left -= static_cast<int64_t>(op - op0);
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
    const FastTable& fl = FixedLitFast();
    const FastTable& fd = FixedDistFast();
    litFast_.t = fl.t;
    litFast_.bits = fl.bits;
    litFast_.maxLen = fl.maxLen;
    distFast_.t = fd.t;
    distFast_.bits = fd.bits;
    distFast_.maxLen = fd.maxLen;
  } else if (btype_ == 2) {
    ReadDynamicTables();
  } else {
    Fail("015");
  }
}

void Inflater::ReadDynamicTables() {
  int64_t hlit = r_.GetBits(5), hdist = r_.GetBits(5), hclen = r_.GetBits(4);
  if (hlit < 0 || hdist < 0 || hclen < 0) Truncated();
  // 286 literal/length and 30 distance codes exist; larger counts only
  // describe symbols no stream may use.
  if (hlit > 29) Fail("070");
  if (hdist > 29) Fail("071");
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
  BuildFast(lens.data(), static_cast<int>(hlit), kLitBits, true, litFast_);
  const int* dl = lens.data() + hlit;
  bool any = false;
  for (int i = 0; i < hdist; ++i) any |= dl[i] != 0;
  // No distance code at all: a block of literals only (RFC 1951 3.2.7).
  if (any) {
    BuildFast(dl, static_cast<int>(hdist), kDistBits, false, distFast_);
  } else {
    distFast_.t = nullptr;
    distFast_.bits = distFast_.maxLen = 0;
  }
  lens_.swap(lens);
  hlit_ = static_cast<int>(hlit);
}

void Inflater::MakeDecoders() {
  if (btype_ == 1) {
    lit_ = std::make_unique<HuffmanDecoder>(FixedLit());
    dist_ = std::make_unique<HuffmanDecoder>(FixedDist());
    return;
  }
  // The lengths passed BuildFast's checks, so these do not throw.
  lit_ = std::make_unique<HuffmanDecoder>(lens_.data(), hlit_, HuffSide::Deflate, kLitBits);
  if (distFast_.t)
    dist_ = std::make_unique<HuffmanDecoder>(lens_.data() + hlit_, static_cast<int>(lens_.size()) - hlit_,
                                             HuffSide::Deflate, kDistBits);
}

const Inflater::FastTable& Inflater::FixedLitFast() {
  static FastTable t;
  static const bool built = [] {
    int l[288];
    for (int i = 0; i < 288; ++i) l[i] = i < 144 ? 8 : i < 256 ? 9 : i < 280 ? 7 : 8;
    BuildFast(l, 288, kLitBits, true, t);
    return true;
  }();
  (void)built;
  return t;
}

const Inflater::FastTable& Inflater::FixedDistFast() {
  static FastTable t;
  static const bool built = [] {
    int l[30];
    for (int& v : l) v = 5;
    BuildFast(l, 30, kDistBits, false, t);
    return true;
  }();
  (void)built;
  return t;
}

// Builds the decode table of one code from its lengths (each 0..15) straight
// into fast entries: a primary table of tableBits bits (fewer when every code
// is shorter) and second-level tables for the longer codes. Checks as
// HuffmanDecoder does, in its order: over-subscribed "020", no code "023".
void Inflater::BuildFast(const int* len, int n, int tableBits, bool lit, FastTable& out) {
  static const auto rev8 = [] {
    std::array<uint8_t, 256> r{};
    for (int i = 0; i < 256; ++i) {
      int v = 0;
      for (int b = 0; b < 8; ++b) v |= (i >> b & 1) << (7 - b);
      r[static_cast<size_t>(i)] = static_cast<uint8_t>(v);
    }
    return r;
  }();
  const DeflateTables& T = GetDeflateTables();
  int count[16] = {0};
  int maxLen = 0;
  for (int i = 0; i < n; ++i) {
    ++count[len[i]];
    maxLen = std::max(maxLen, len[i]);
  }
  count[0] = 0;
  int64_t free = 1;  // unused codes at the current length
  for (int l = 1; l <= maxLen; ++l) {
    free = (free << 1) - count[l];
    if (free < 0) Fail("020");
  }
  if (maxLen == 0) Fail("023");
  const int tb = std::min(tableBits, maxLen);
  const uint32_t primary = 1u << tb;
  uint32_t next[16] = {0};
  for (int l = 1, code = 0; l <= maxLen; ++l) {
    code = (code + count[l - 1]) << 1;
    next[l] = static_cast<uint32_t>(code);
  }
  // Codes bit-reversed (first bit lowest), as the table is indexed.
  uint16_t rev[320];
  uint8_t subBits[1u << kMaxTableBits];
  bool longCodes = maxLen > tb;
  if (longCodes) std::memset(subBits, 0, primary);
  for (int s = 0; s < n; ++s) {
    int l = len[s];
    if (l == 0) continue;
    uint32_t c = next[l]++;
    uint32_t r = (static_cast<uint32_t>(rev8[c & 0xFF]) << 8 | rev8[c >> 8 & 0xFF]) >> (16 - l);
    rev[s] = static_cast<uint16_t>(r);
    if (l > tb) {
      uint8_t& sb = subBits[r & (primary - 1)];
      sb = std::max<uint8_t>(sb, static_cast<uint8_t>(l - tb));
    }
  }
  size_t total = primary;
  uint32_t subOff[1u << kMaxTableBits];
  if (longCodes)
    for (uint32_t i = 0; i < primary; ++i)
      if (subBits[i]) {
        subOff[i] = static_cast<uint32_t>(total);
        total += size_t(1) << subBits[i];
      }
  // A complete code covers every entry; an incomplete one leaves gaps that
  // read as "no code".
  if (free == 0) out.own.resize(total);
  else out.own.assign(total, Entry(kNoCode, 0, 0, 0));
  uint32_t* t = out.own.data();
  if (longCodes)
    for (uint32_t i = 0; i < primary; ++i)
      if (subBits[i]) t[i] = Entry(kLink, subBits[i], 0, subOff[i]);
  for (int s = 0; s < n; ++s) {
    int l = len[s];
    if (l == 0) continue;
    uint32_t e;
    if (lit) {
      if (s < 256) e = Entry(kLit, static_cast<uint32_t>(l), 0, static_cast<uint32_t>(s));
      else if (s == 256) e = Entry(kEob, static_cast<uint32_t>(l), 0, 0);
      else if (s <= 285) e = Entry(kLen, static_cast<uint32_t>(l), T.lenExtra[s - 257], T.lenBase[s - 257]);
      else e = Entry(kBadSym, static_cast<uint32_t>(l), 0, static_cast<uint32_t>(s));
    } else {
      if (s <= 29) e = Entry(kLit, static_cast<uint32_t>(l), T.distExtra[s], T.distBase[s]);
      else e = Entry(kBadSym, static_cast<uint32_t>(l), 0, static_cast<uint32_t>(s));
    }
    uint32_t r = rev[s];
    if (l <= tb) {
      for (uint32_t i = r; i < primary; i += 1u << l) t[i] = e;
    } else {
      uint32_t slot = r & (primary - 1);
      uint32_t* sub = t + subOff[slot];
      uint32_t end = 1u << subBits[slot];
      for (uint32_t i = r >> tb; i < end; i += 1u << (l - tb)) sub[i] = e;
    }
  }
  out.t = t;
  out.bits = tb;
  out.maxLen = maxLen;
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
    if (!lit_) MakeDecoders();
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

// Stored bytes go from the source straight to the sink; the window only
// notes where they lie (spans of the source) and takes the last 32 KiB of
// them when a Huffman block follows that may copy from them.
bool Inflater::StoredRun(ZipCrc32& sink, int64_t& left) {
  if (storedLeft_ <= 0) return false;
  Flush(sink);  // earlier output first
  // The header left the reader on a byte boundary: give the whole bytes held
  // in the bit buffer back to the source, so the block is one run of it.
  r_.pos_ -= static_cast<size_t>(r_.bc_ / 8);
  r_.bb_ = 0;
  r_.bc_ = 0;
  const int64_t want = std::min(storedLeft_, left);
  const size_t avail = r_.end_ - r_.pos_;
  const size_t take = static_cast<size_t>(std::min<int64_t>(want, static_cast<int64_t>(avail)));
  const uint8_t* p = r_.src_ + r_.pos_;
  if (take) {
    sink.Write(p, take);
    AddOutLen(sink.State(), static_cast<int64_t>(take));
    NoteStored(p, take);
  }
  r_.pos_ += take;
  if (r_.pos_ >= r_.end_ && r_.st_.m_nArcProgress == 0) r_.st_.m_nArcProgress = 1;
  produced_ += static_cast<int64_t>(take);
  storedLeft_ -= static_cast<int64_t>(take);
  left -= static_cast<int64_t>(take);
  if (left == 0) return true;
  if (static_cast<int64_t>(take) < want) Truncated();
  return false;
}

void Inflater::NoteStored(const uint8_t* p, size_t n) {
  if (spanCount_ == kMaxSpans) TakeHistory();
  spans_[spanCount_++] = Span{p, n};
  spanBytes_ += n;
  // Spans older than the last 32 KiB are never needed.
  size_t drop = 0;
  while (spanCount_ - drop > 1 && spanBytes_ - spans_[drop].n >= kHistory) spanBytes_ -= spans_[drop++].n;
  if (drop) {
    std::memmove(spans_, spans_ + drop, (spanCount_ - drop) * sizeof(Span));
    spanCount_ -= drop;
  }
}

void Inflater::TakeHistory() {
  if (spanCount_ == 0) return;
  // The last min(32 KiB, all output) bytes: older ones from the window (it
  // was flushed before the spans began), then the spans' tail.
  const size_t need = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(kHistory), produced_));
  const size_t fromSpans = std::min(spanBytes_, need);
  const size_t older = need - fromSpans;
  uint8_t* buf = buf_.get();
  if (older) std::memmove(buf, buf + op_ - older, older);
  size_t at = older, skip = spanBytes_ - fromSpans;
  for (size_t i = 0; i < spanCount_; ++i) {
    const Span& s = spans_[i];
    if (skip >= s.n) {
      skip -= s.n;
      continue;
    }
    std::memcpy(buf + at, s.p + skip, s.n - skip);
    at += s.n - skip;
    skip = 0;
  }
  op_ = flushed_ = at;
  spanCount_ = 0;
  spanBytes_ = 0;
}

bool Inflater::HuffmanRun(ZipCrc32& sink, int64_t& left) {
  TakeHistory();
  const uint32_t* lt = litFast_.t;
  const int ltb = litFast_.bits;
  const uint64_t lmask = (uint64_t(1) << ltb) - 1;
  const int litMax = litFast_.maxLen;
  const uint32_t* dt = distFast_.t;
  const int dtb = distFast_.bits;
  const uint64_t dmask = (uint64_t(1) << dtb) - 1;
  const int distMax = distFast_.maxLen;

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
  // An entry without a code: missing bits past the end mean truncation.
  auto noCode = [&](int maxLen) {
    if (bc - over < maxLen) truncated();
    fail("052");
  };
  auto lookup = [&](const uint32_t* t, uint64_t mask, int tb) {
    uint32_t e = t[bb & mask];
    if (Kind(e) == kLink) e = t[(e >> 16) + ((bb >> tb) & ((uint64_t(1) << Len(e)) - 1))];
    return e;
  };

  for (;;) {
    if (op + kSlack > kBufSize) {
      op_ = op;
      Flush(sink);
      op = op_;
    }
    if (dt && left > kFastLeft && iend - ip >= 8 && op + kSlack <= kBufSize) {
      FastRun(ip, iend, bb, bc, buf, op, produced, left, lt, lmask, ltb, dt, dmask, dtb);
      if (op + kSlack > kBufSize) continue;
    }
    if (bc <= 56) {
      if (iend - ip >= 8) {
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
    }
    uint32_t e = lookup(lt, lmask, ltb);
    if (Kind(e) == kLit) {
      // Up to three literals per refill (each code is at most 15 bits).
      int n = 0;
      do {
        int len = Len(e);
        bb >>= len;
        bc -= len;
        if (bc < over) truncated();
        buf[op++] = static_cast<uint8_t>(e >> 16);
        ++produced;
        if (--left == 0) {
          completed = true;
          break;
        }
        if (++n == 3) break;
        e = lookup(lt, lmask, ltb);
      } while (Kind(e) == kLit);
      if (completed) break;
      continue;
    }
    if (Kind(e) == kEob) {
      bb >>= Len(e);
      bc -= Len(e);
      if (bc < over) truncated();
      break;
    }
    if (Kind(e) != kLen) {
      if (Kind(e) == kBadSym) fail("036");
      noCode(litMax);
    }
    {
      int len = Len(e), lx = Extra(e);
      int64_t length = (e >> 16) + static_cast<int64_t>((bb >> len) & ((uint64_t(1) << lx) - 1));
      bb >>= len + lx;
      bc -= len + lx;
      if (!dt) {
        if (bc < over) truncated();
        fail("052");
      }
      uint32_t d = lookup(dt, dmask, dtb);
      if (Kind(d) != kLit) {
        if (Kind(d) == kBadSym) fail("040");
        noCode(distMax);
      }
      int dl = Len(d), dx = Extra(d);
      int64_t dist = (d >> 16) + static_cast<int64_t>((bb >> dl) & ((uint64_t(1) << dx) - 1));
      bb >>= dl + dx;
      bc -= dl + dx;
      if (bc < over) truncated();
      if (dist > produced) fail("051");
      if (length >= left) {
        cut_ = length > left;  // the match runs past the member's size
        length = left;
        completed = true;
      }
      uint8_t* dst = buf + op;
      const uint8_t* src = dst - dist;
      if (dist >= 8) {
        std::memcpy(dst, src, 8);
        for (int64_t k = 8; k < length; k += 8) std::memcpy(dst + k, src + k, 8);
      } else if (dist == 1) {
        std::memset(dst, *src, static_cast<size_t>(length));
      } else {
        for (int64_t k = 0; k < length; ++k) dst[k] = src[k];
      }
      op += static_cast<size_t>(length);
      produced += length;
      left -= length;
      if (completed) break;
    }
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
  inf.cut_ = false;
  inf.spanCount_ = inf.spanBytes_ = 0;
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
  // member is complete: running out of input here is no error, but a last
  // match cut at the size, or a byte or match after it, means the data goes on
  // past the member's size ("072"; the bytes up to the size were delivered).
  int more = -1;
  try {
    more = inf.NextSymbol();
  } catch (const ArchiveError& e) {
    if (std::strcmp(e.Code(), "050") != 0) throw;
  }
  if (inf.cut_ || more >= 0) Fail("072");
}

}  // namespace arc
