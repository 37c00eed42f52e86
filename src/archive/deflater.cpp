#include "archive/deflater.h"

#include <algorithm>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "archive/arc_crc.h"
#include "archive/arc_error.h"
#include "archive/arc_huffman.h"
#include "archive/deflate_tables.h"

namespace arc {
namespace {

constexpr int32_t kWin = 65536;
constexpr int32_t kHalf = 32768;
constexpr int32_t kSlideAt = kWin - 258;  // 65278: a position plus one fits 16 bits
constexpr int kHashBits = 16;
constexpr int kMaxMatch = 258;
constexpr size_t kHeads = size_t(1) << kHashBits;
constexpr size_t kWinBytes = kWin + 8;  // 8 bytes of slack for word loads at the end

inline uint32_t Load32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}
// Hashes of the first four bytes (as a little-endian word) and of the first
// three. The 3-byte product is a bijection of the key: its top half is the
// hash, its bottom half the check kept beside each position, so equal hash
// and equal check mean equal bytes.
inline uint32_t Hash4(uint32_t key) { return (key * 2654435761u) >> (32 - kHashBits); }
inline uint32_t Product3(uint32_t key) { return (key & 0xFFFFFFu) * 2246822519u; }

// Common prefix of a and b, at most max bytes.
inline int MatchLen(const uint8_t* a, const uint8_t* b, int max) {
  int n = 0;
  while (n + 8 <= max) {
    uint64_t x, y;
    std::memcpy(&x, a + n, 8);
    std::memcpy(&y, b + n, 8);
    if (uint64_t d = x ^ y) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
      return n + (__builtin_clzll(d) >> 3);
#else
      return n + (__builtin_ctzll(d) >> 3);
#endif
    }
    n += 8;
  }
  while (n < max && a[n] == b[n]) ++n;
  return n;
}

}  // namespace

// ---------------------------------------------------------------- Deflater

Deflater::Deflater(ArcBitWriter& w, int capacity) : w_(w), limit_(capacity - 2) {
  syms_.reset(new uint16_t[static_cast<size_t>(std::max(capacity, 16)) + 2]);
}

void Deflater::PutLiteral(int byte) {
  if (byte < 0) Fail("007");
  if (byte > 255) Fail("008");
  syms_[static_cast<size_t>(count_++)] = static_cast<uint16_t>(byte);
  if (trace) trace->push_back(static_cast<uint16_t>(byte));
  if (count_ > limit_) WriteBlock(0);
}

void Deflater::PutMatch(int length, int distance) {
  if (length + 257 < 260) Fail("009");
  if (length + 257 > 516) Fail("010");
  if (distance - 1 < 0) Fail("011");
  if (distance - 1 > 32767) Fail("012");
  syms_[static_cast<size_t>(count_++)] = static_cast<uint16_t>(length + 257);
  syms_[static_cast<size_t>(count_++)] = static_cast<uint16_t>(distance - 1);
  if (trace) {
    trace->push_back(static_cast<uint16_t>(length + 257));
    trace->push_back(static_cast<uint16_t>(distance - 1));
  }
  if (count_ > limit_) WriteBlock(0);
}

void Deflater::WriteCodeLengths(const std::vector<int>& lit, const std::vector<int>& dist) {
  struct Rle {
    uint8_t sym, extra;
  };
  std::vector<Rle> rle;
  auto encode = [&rle](const std::vector<int>& list) {
    size_t i = 0;
    while (i < list.size()) {
      int v = list[i];
      size_t r = 1;
      while (i + r < list.size() && list[i + r] == v) ++r;
      i += r;
      int64_t rem = static_cast<int64_t>(r);
      if (v != 0) {
        rle.push_back({static_cast<uint8_t>(v), 0});
        for (rem -= 1; rem > 0; rem -= 6) {
          if (rem < 3) {
            for (int64_t k = 0; k < rem; ++k) rle.push_back({static_cast<uint8_t>(v), 0});
            break;
          }
          rle.push_back({16, static_cast<uint8_t>(std::min<int64_t>(6, rem) - 3)});
        }
      } else {
        while (rem > 0) {
          if (rem < 3) {
            for (int64_t k = 0; k < rem; ++k) rle.push_back({0, 0});
            break;
          }
          if (rem >= 11) {
            rle.push_back({18, static_cast<uint8_t>(std::min<int64_t>(rem, 138) - 11)});
            rem -= 138;
          } else {
            rle.push_back({17, static_cast<uint8_t>(rem - 3)});
            rem -= 10;
          }
        }
      }
    }
  };
  encode(lit);
  encode(dist);
  std::vector<int32_t> freq(19, 0);
  for (const Rle& x : rle) ++freq[x.sym];
  HuffmanCode cl = HuffmanCode::FromLengths(LengthsFromFrequencies(freq, 7), HuffSide::Deflate, 7);
  std::vector<int> lens = cl.Lengths();
  lens.resize(19, 0);
  int hclen = 19;
  while (hclen > 4 && lens[kCodeLengthOrder[hclen - 1]] == 0) --hclen;
  w_.PutBits(static_cast<uint32_t>(hclen - 4), 4);
  for (int i = 0; i < hclen; ++i) w_.PutBits(static_cast<uint32_t>(lens[kCodeLengthOrder[i]]), 3);
  static const int kExtra[3] = {2, 3, 7};
  for (const Rle& x : rle) {
    cl.PutSymbol(w_, x.sym);
    if (x.sym >= 16) w_.PutBits(x.extra, kExtra[x.sym - 16]);
  }
}

void Deflater::WriteBlock(int final) {
  const DeflateTables& T = GetDeflateTables();
  std::vector<int32_t> lf(286, 0), df(30, 0);
  lf[256] = 1;
  int litTop = 256, distTop = -1;
  const size_t count = static_cast<size_t>(count_);
  const uint16_t* syms = syms_.get();
  int32_t* litFreq = lf.data();
  for (size_t i = 0; i < count; ++i) {
    uint16_t e = syms[i];
    if (e < 256) {
      ++litFreq[e];
      continue;
    }
    int code = 257 + LengthCodeIndex(e - 257);
    ++litFreq[code];
    litTop = std::max(litTop, code);
    int dc = DistanceCode(syms[++i] + 1);
    ++df[static_cast<size_t>(dc)];
    distTop = std::max(distTop, dc);
  }
  lf.resize(static_cast<size_t>(litTop) + 1);
  df.resize(static_cast<size_t>(distTop + 1));
  HuffmanCode lit = HuffmanCode::FromFrequencies(lf, 15);
  HuffmanCode dist = HuffmanCode::FromFrequencies(df, 15);
  w_.PutBits(static_cast<uint32_t>(final), 1);
  w_.PutBits(2, 2);
  w_.PutBits(static_cast<uint32_t>(lit.Lengths().size() - 257), 5);
  w_.PutBits(static_cast<uint32_t>(dist.Lengths().size() - 1), 5);
  WriteCodeLengths(lit.Lengths(), dist.Lengths());
  // Every symbol below has a code (its frequency was counted above).
  const uint32_t* lc = lit.Codes().data();
  const int* ll = lit.Lengths().data();
  const uint32_t* dcodes = dist.Codes().data();
  const int* dlens = dist.Lengths().data();
  ArcBitWriter::Burst out(w_);
  for (size_t i = 0; i < count; ++i) {
    uint16_t e = syms[i];
    if (e < 256) {
      out.PutCode(lc[e], ll[e]);
      continue;
    }
    int length = e - 257;
    int li = LengthCodeIndex(length);
    out.PutCode(lc[257 + li] | static_cast<uint32_t>(length - T.lenBase[li]) << ll[257 + li],
                ll[257 + li] + T.lenExtra[li]);
    int distance = syms[++i] + 1;
    int dc = DistanceCode(distance);
    out.PutCode(dcodes[dc] | static_cast<uint32_t>(distance - T.distBase[dc]) << dlens[dc],
                dlens[dc] + T.distExtra[dc]);
  }
  out.PutCode(lc[256], ll[256]);
  count_ = 0;
}

// ---------------------------------------------------------------- window

DeflateWindow::DeflateWindow(int maxChain)
    : maxChain_(maxChain),
      win_(new uint8_t[kWinBytes]),
      link4_(new uint16_t[kHalf]),
      link3_(new uint32_t[kHalf]),
      head4_(new uint16_t[kHeads]),
      head3_(new uint16_t[kHeads]) {}

void DeflateWindow::Fill(Source& src) {
  while (loaded_ < kWin) {
    size_t want = static_cast<size_t>(kWin - loaded_), got = 0;
    uint8_t* dst = win_.get() + loaded_;
    if (src.in) {
      if (!*src.in) break;
      src.in->read(reinterpret_cast<char*>(dst), static_cast<std::streamsize>(want));
      got = static_cast<size_t>(src.in->gcount());
    } else {
      got = std::min(want, src.n - src.pos);
      if (got) std::memcpy(dst, src.p + src.pos, got);
      src.pos += got;
    }
    if (got == 0) break;
    crc_ = Crc32Update(crc_, dst, got);
    loaded_ += static_cast<int32_t>(got);
    total_ += got;
  }
}

void DeflateWindow::Slide() {
  pos_ -= kHalf;
  std::memmove(win_.get(), win_.get() + kHalf, kHalf);
  // Links are distances and their slots positions modulo 32 KiB: both stay.
  // Heads: saturating subtraction, positions before the new start become 0
  // (none). kHeads is a multiple of 8.
  for (uint16_t* h : {head4_.get(), head3_.get()}) {
#if defined(__SSE2__)
    const __m128i half = _mm_set1_epi16(static_cast<short>(kHalf));
    for (size_t i = 0; i < kHeads; i += 8) {
      __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + i));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(h + i), _mm_subs_epu16(v, half));
    }
#else
    for (size_t i = 0; i < kHeads; ++i) h[i] = static_cast<uint16_t>(h[i] > kHalf ? h[i] - kHalf : 0);
#endif
  }
  loaded_ = std::max(loaded_ - kHalf, 0);
}

namespace {

// The match finder's tables as plain pointers, held in locals by the window
// loop (stores into the tables cannot then make the compiler reload them).
struct Finder {
  const uint8_t* w;
  uint16_t* head4;
  uint16_t* head3;
  uint16_t* link4;
  uint32_t* link3;
  int32_t loaded;
  int maxChain;
};

// (length, distance) of the match at p, or 0; inserts p into the chains.
// kFull: the window is full, so a whole match of 258 bytes (and the next
// position's 4 bytes) lie ahead of every position before the slide point.
template <bool kFull>
inline int FindMatch(const Finder& f, int32_t p, int& distance) {
  const uint8_t* w = f.w;
  const uint8_t* cur = w + p;
  const int32_t lowest = std::max(p - kHalf, 0);
  const int maxLen = kFull ? kMaxMatch : static_cast<int>(std::clamp(f.loaded - p, 0, kMaxMatch));
  const uint32_t key = Load32(cur);
  const uint32_t h4 = Hash4(key);
  const uint32_t prod3 = Product3(key);
  const uint32_t h3 = prod3 >> 16, check3 = prod3 & 0xFFFFu;
  // The next position is usually looked up next: start loading its heads.
  if (kFull || p + 5 <= f.loaded) {
    const uint32_t next = Load32(cur + 1);
    __builtin_prefetch(f.head4 + Hash4(next));
    __builtin_prefetch(f.head3 + (Product3(next) >> 16));
  }
  const int32_t first4 = static_cast<int32_t>(f.head4[h4]) - 1;
  const int32_t first3 = static_cast<int32_t>(f.head3[h3]) - 1;
  const size_t slot = static_cast<size_t>(p & (kHalf - 1));
  // The distance to the chain's previous head (p + 1 for none, and 0 when
  // that is 65536): a link that reaches before the start, or more than
  // 32 KiB back, leads out of reach wherever it is followed from, as none.
  const uint16_t newLink4 = static_cast<uint16_t>(p - first4);
  const uint32_t newLink3 = check3 << 16 | static_cast<uint16_t>(p - first3);
  // After the walks: they read the links before p's slot is written (the
  // slot is that of the position 32 KiB back, still in reach).
  auto insert = [&] {
    f.link4[slot] = newLink4;
    f.link3[slot] = newLink3;
    f.head4[h4] = static_cast<uint16_t>(p + 1);
    f.head3[h3] = static_cast<uint16_t>(p + 1);
  };
  // The nearest position sharing the first 3 bytes, told by the checks in
  // the candidates' slots without reading the window: one read per
  // candidate gives both its check and its link. When the walk reaches the
  // end of the chain without one, no position in reach shares 4 bytes either
  // and the 4-byte walk is skipped.
  //
  // First the usual case on data without repeats, decided by one branch: the
  // chain's first position is no match and the second is out of reach. The
  // first position's slot is read before it is known to be in reach (it may
  // then hold anything; the value is not used).
  {
    const uint32_t l1 = f.link3[first3 & (kHalf - 1)];
    const int32_t d1 = static_cast<int32_t>(l1 & 0xFFFFu);
    const bool in1 = first3 >= lowest;
    const bool hit1 = in1 & ((l1 >> 16) == check3);
    const bool in2 = in1 & (d1 != 0) & (first3 - d1 >= lowest);
    if ((!kFull && maxLen < 3) || (!hit1 & !in2 & (f.maxChain > 0))) {
      insert();
      distance = 0;
      return 0;
    }
  }
  int len3 = 0, dist3 = 0;
  bool none3 = false;
  {
    int32_t cand = first3;
    int steps = 0;
    for (; cand >= lowest && steps < f.maxChain; ++steps) {
      const uint32_t l = f.link3[cand & (kHalf - 1)];
      if (l >> 16 == check3) {
        len3 = 3 + MatchLen(cur + 3, w + cand + 3, maxLen - 3);
        dist3 = p - cand;
        break;
      }
      const int32_t d = static_cast<int32_t>(l & 0xFFFFu);
      cand = d ? cand - d : -1;
    }
    none3 = len3 == 0 && cand < lowest;
  }
  int best = 0;
  distance = 0;
  if (maxLen >= 4 && !none3) {
    int32_t cand = first4;
    for (int steps = 0; cand >= lowest && steps < f.maxChain; ++steps) {
      const uint8_t* c = w + cand;
      // Lengths of 4 and more only: a candidate must share the first 4 bytes
      // and, to be longer than the best so far, the byte at that length.
      if (best == 0 ? Load32(c) == key : c[best] == cur[best]) {
        int len = MatchLen(cur, c, maxLen);
        if (len > best && len >= 4) {
          best = len;
          distance = p - cand;
          if (len == maxLen) break;
        }
      }
      const uint16_t d = f.link4[cand & (kHalf - 1)];
      cand = d ? cand - d : -1;
    }
  }
  if (best < 4) {
    best = len3;
    distance = dist3;
  }
  insert();
  return best;
}

}  // namespace

void DeflateWindow::Run(Source& src, Deflater& d) {
  std::memset(win_.get(), 0, kWinBytes);
  std::memset(link4_.get(), 0, kHalf * sizeof(uint16_t));
  std::memset(link3_.get(), 0, kHalf * sizeof(uint32_t));
  std::memset(head4_.get(), 0, kHeads * sizeof(uint16_t));
  std::memset(head3_.get(), 0, kHeads * sizeof(uint16_t));
  loaded_ = pos_ = 0;
  crc_ = 0xFFFFFFFFu;
  total_ = 0;
  Fill(src);
  Finder f{win_.get(), head4_.get(), head3_.get(), link4_.get(), link3_.get(), loaded_, maxChain_};
  int32_t p = 0;
  while (p < f.loaded) {
    int dist = 0;
    int len = f.loaded == kWin ? FindMatch<true>(f, p, dist) : FindMatch<false>(f, p, dist);
    if (len >= 3) {
      d.PutMatch(len, dist);
      p += len;
    } else {
      d.PutByte(f.w[p]);
      ++p;
    }
    // A match of at most 258 bytes crosses the slide point at most once.
    if (p >= kSlideAt) {
      pos_ = p;
      Slide();
      Fill(src);
      p = pos_;
      f.loaded = loaded_;
    }
  }
  pos_ = p;
}

void DeflateWindow::Compress(std::istream& in, Deflater& d) {
  Source src{&in, nullptr, 0, 0};
  Run(src, d);
}

void DeflateWindow::Compress(const uint8_t* data, size_t size, Deflater& d) {
  Source src{nullptr, data, data ? size : 0, 0};
  Run(src, d);
}

std::vector<uint8_t> DeflateBytes(const uint8_t* data, size_t size, uint32_t* crc, int maxChain) {
  std::vector<uint8_t> out;
  out.reserve(size / 2 + 64);
  ArcBitWriter w(out);
  Deflater d(w, 32768);
  DeflateWindow win(maxChain);
  win.Compress(data, size, d);
  d.WriteLastBlock();
  w.Flush();
  if (crc) *crc = win.Crc();
  return out;
}

}  // namespace arc
