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

inline uint32_t Load32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}
inline uint32_t Hash4(const uint8_t* p) { return (Load32(p) * 2654435761u) >> (32 - kHashBits); }
inline uint32_t Hash3(const uint8_t* p) { return ((Load32(p) & 0xFFFFFFu) * 2246822519u) >> (32 - kHashBits); }

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
  syms_.reserve(static_cast<size_t>(std::max(capacity, 16)));
}

void Deflater::PutLiteral(int byte) {
  if (byte < 0) Fail("007");
  if (byte > 255) Fail("008");
  syms_.push_back(static_cast<uint16_t>(byte));
  if (trace) trace->push_back(static_cast<uint16_t>(byte));
  if (static_cast<int>(syms_.size()) > limit_) WriteBlock(0);
}

void Deflater::PutMatch(int length, int distance) {
  if (length + 257 < 260) Fail("009");
  if (length + 257 > 516) Fail("010");
  if (distance - 1 < 0) Fail("011");
  if (distance - 1 > 32767) Fail("012");
  syms_.push_back(static_cast<uint16_t>(length + 257));
  syms_.push_back(static_cast<uint16_t>(distance - 1));
  if (trace) {
    trace->push_back(static_cast<uint16_t>(length + 257));
    trace->push_back(static_cast<uint16_t>(distance - 1));
  }
  if (static_cast<int>(syms_.size()) > limit_) WriteBlock(0);
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
  for (size_t i = 0; i < syms_.size(); ++i) {
    uint16_t e = syms_[i];
    if (e < 256) {
      ++lf[e];
      continue;
    }
    int code = 257 + LengthCodeIndex(e - 257);
    ++lf[static_cast<size_t>(code)];
    litTop = std::max(litTop, code);
    int dc = DistanceCode(syms_[++i] + 1);
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
  for (size_t i = 0; i < syms_.size(); ++i) {
    uint16_t e = syms_[i];
    if (e < 256) {
      w_.PutCode(lc[e], ll[e]);
      continue;
    }
    int length = e - 257;
    int li = LengthCodeIndex(length);
    w_.PutCode(lc[257 + li] | static_cast<uint32_t>(length - T.lenBase[li]) << ll[257 + li],
               ll[257 + li] + T.lenExtra[li]);
    int distance = syms_[++i] + 1;
    int dc = DistanceCode(distance);
    w_.PutCode(dcodes[dc] | static_cast<uint32_t>(distance - T.distBase[dc]) << dlens[dc],
               dlens[dc] + T.distExtra[dc]);
  }
  w_.PutCode(lc[256], ll[256]);
  syms_.clear();
}

// ---------------------------------------------------------------- window

DeflateWindow::DeflateWindow(int maxChain)
    : maxChain_(maxChain),
      win_(static_cast<size_t>(kWin) + 8, 0),
      link4_(kHalf, 0),
      link3_(kHalf, 0),
      head4_(size_t(1) << kHashBits, 0),
      head3_(size_t(1) << kHashBits, 0) {}

void DeflateWindow::Fill(Source& src) {
  while (loaded_ < kWin) {
    size_t want = static_cast<size_t>(kWin - loaded_), got = 0;
    uint8_t* dst = win_.data() + loaded_;
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
  std::memmove(win_.data(), win_.data() + kHalf, kHalf);
  // Links are distances and their slots positions modulo 32 KiB: both stay.
  for (std::vector<uint16_t>* head : {&head4_, &head3_}) {
    uint16_t* h = head->data();
    size_t i = 0;
#if defined(__SSE2__)
    // Saturating subtraction: positions before the new start become 0 (none).
    const __m128i half = _mm_set1_epi16(static_cast<short>(kHalf));
    for (; i + 8 <= head->size(); i += 8) {
      __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + i));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(h + i), _mm_subs_epu16(v, half));
    }
#endif
    for (; i < head->size(); ++i) h[i] = static_cast<uint16_t>(h[i] > kHalf ? h[i] - kHalf : 0);
  }
  loaded_ = std::max(loaded_ - kHalf, 0);
}

void DeflateWindow::Advance(Source& src) {
  if (++pos_ < kSlideAt) return;
  Slide();
  Fill(src);
}

int DeflateWindow::FindMatch(int& distance) {
  const int32_t p = pos_;
  const uint8_t* w = win_.data();
  const uint8_t* cur = w + p;
  const int32_t lowest = std::max(p - kHalf, 0);
  const int maxLen = static_cast<int>(std::clamp(loaded_ - p, 0, kMaxMatch));
  const uint32_t h4 = Hash4(cur), h3 = Hash3(cur);
  const uint16_t* link4 = link4_.data();
  const uint16_t* link3 = link3_.data();
  // Position before `cand` on a chain, or -1 (no link, or out of reach).
  auto back = [](int32_t cand, const uint16_t* links) {
    uint16_t d = links[cand & (kHalf - 1)];
    return d ? cand - d : -1;
  };
  // The next position is usually looked up next: start loading its heads.
  if (p + 5 <= loaded_) {
    __builtin_prefetch(&head4_[Hash4(cur + 1)]);
    __builtin_prefetch(&head3_[Hash3(cur + 1)]);
  }
  const int32_t first4 = static_cast<int32_t>(head4_[h4]) - 1;
  const int32_t first3 = static_cast<int32_t>(head3_[h3]) - 1;
  // The nearest position sharing the first 3 bytes. When its walk reaches
  // the end of the chain without one, no position in reach shares 4 bytes
  // either and the 4-byte walk is skipped (random data: nearly always).
  int len3 = 0, dist3 = 0;
  bool none3 = false;
  if (maxLen >= 3) {
    int32_t cand = first3;
    int steps = 0;
    for (; cand >= lowest && steps < maxChain_; ++steps) {
      const uint8_t* c = w + cand;
      if (c[0] == cur[0] && c[1] == cur[1] && c[2] == cur[2]) {
        len3 = MatchLen(cur, c, maxLen);
        dist3 = p - cand;
        break;
      }
      cand = back(cand, link3);
    }
    none3 = len3 == 0 && cand < lowest;
  }
  int best = 0;
  distance = 0;
  if (maxLen >= 4 && !none3) {
    const uint32_t key = Load32(cur);
    int32_t cand = first4;
    for (int steps = 0; cand >= lowest && steps < maxChain_; ++steps) {
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
      cand = back(cand, link4);
    }
  }
  if (best < 4) {
    best = len3;
    distance = dist3;
  }
  // Links of more than 32 KiB are never followed: store them as none.
  const size_t slot = static_cast<size_t>(p & (kHalf - 1));
  link4_[slot] = static_cast<uint16_t>(first4 >= 0 && p - first4 <= kHalf ? p - first4 : 0);
  link3_[slot] = static_cast<uint16_t>(first3 >= 0 && p - first3 <= kHalf ? p - first3 : 0);
  head4_[h4] = static_cast<uint16_t>(p + 1);
  head3_[h3] = static_cast<uint16_t>(p + 1);
  return best;
}

void DeflateWindow::Run(Source& src, Deflater& d) {
  std::fill(win_.begin(), win_.end(), 0);
  std::fill(link4_.begin(), link4_.end(), 0);
  std::fill(link3_.begin(), link3_.end(), 0);
  std::fill(head4_.begin(), head4_.end(), 0);
  std::fill(head3_.begin(), head3_.end(), 0);
  loaded_ = pos_ = 0;
  crc_ = 0xFFFFFFFFu;
  total_ = 0;
  Fill(src);
  while (pos_ < loaded_) {
    int dist = 0;
    int len = FindMatch(dist);
    if (len >= 3) {
      d.PutMatch(len, dist);
      for (int k = 0; k < len; ++k) Advance(src);
    } else {
      d.PutByte(win_[static_cast<size_t>(pos_)]);
      Advance(src);
    }
  }
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
