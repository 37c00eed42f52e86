// The encoder's parse against a frozen copy of the match finder it replaced
// (16-bit heads, 16-bit chain distances, window bytes compared on every
// candidate). Any change to the finder's tables must keep every symbol and
// every output byte, at every chain cap: the caps count hash collisions, so
// they pin down the chains' order and contents, not only the matches.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <sstream>
#include <string>

#include "archive/arc_bits.h"
#include "archive/deflater.h"
#include "archive_test_util.h"
#include "deflate_corpus.h"

namespace arc {
namespace {

// The finder as it was: feeds the same Deflater, so bytes are comparable.
class FrozenFinder {
 public:
  explicit FrozenFinder(int maxChain)
      : maxChain_(maxChain), win_(kWin + 8, 0), link4_(kHalf, 0), link3_(kHalf, 0), head4_(65536, 0),
        head3_(65536, 0) {}

  void Compress(const std::vector<uint8_t>& data, Deflater& d) {
    data_ = &data;
    src_ = 0;
    Fill();
    while (pos_ < loaded_) {
      int dist = 0;
      int len = FindMatch(dist);
      if (len >= 3) {
        d.PutMatch(len, dist);
        for (int k = 0; k < len; ++k) Advance();
      } else {
        d.PutLiteral(win_[static_cast<size_t>(pos_)]);
        Advance();
      }
    }
  }

 private:
  static constexpr int32_t kWin = 65536, kHalf = 32768, kSlideAt = kWin - 258;
  static uint32_t Load32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
  }
  static uint32_t Hash4(const uint8_t* p) { return (Load32(p) * 2654435761u) >> 16; }
  static uint32_t Hash3(const uint8_t* p) { return ((Load32(p) & 0xFFFFFFu) * 2246822519u) >> 16; }
  static int MatchLen(const uint8_t* a, const uint8_t* b, int max) {
    int n = 0;
    while (n < max && a[n] == b[n]) ++n;
    return n;
  }

  void Fill() {
    size_t n = std::min<size_t>(static_cast<size_t>(kWin - loaded_), data_->size() - src_);
    if (n) std::memcpy(win_.data() + loaded_, data_->data() + src_, n);
    src_ += n;
    loaded_ += static_cast<int32_t>(n);
  }
  void Advance() {
    if (++pos_ < kSlideAt) return;
    pos_ -= kHalf;
    std::memmove(win_.data(), win_.data() + kHalf, kHalf);
    for (auto* head : {&head4_, &head3_})
      for (uint16_t& h : *head) h = static_cast<uint16_t>(h > kHalf ? h - kHalf : 0);
    loaded_ = std::max(loaded_ - kHalf, 0);
    Fill();
  }

  int FindMatch(int& distance) {
    const int32_t p = pos_;
    const uint8_t* w = win_.data();
    const uint8_t* cur = w + p;
    const int32_t lowest = std::max(p - kHalf, 0);
    const int maxLen = std::clamp(loaded_ - p, 0, 258);
    const uint32_t h4 = Hash4(cur), h3 = Hash3(cur);
    auto back = [](int32_t cand, const std::vector<uint16_t>& links) {
      uint16_t d = links[static_cast<size_t>(cand & (kHalf - 1))];
      return d ? cand - d : -1;
    };
    const int32_t first4 = static_cast<int32_t>(head4_[h4]) - 1;
    const int32_t first3 = static_cast<int32_t>(head3_[h3]) - 1;
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
        cand = back(cand, link3_);
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
        if (best == 0 ? Load32(c) == key : c[best] == cur[best]) {
          int len = MatchLen(cur, c, maxLen);
          if (len > best && len >= 4) {
            best = len;
            distance = p - cand;
            if (len == maxLen) break;
          }
        }
        cand = back(cand, link4_);
      }
    }
    if (best < 4) {
      best = len3;
      distance = dist3;
    }
    const size_t slot = static_cast<size_t>(p & (kHalf - 1));
    link4_[slot] = static_cast<uint16_t>(first4 >= 0 && p - first4 <= kHalf ? p - first4 : 0);
    link3_[slot] = static_cast<uint16_t>(first3 >= 0 && p - first3 <= kHalf ? p - first3 : 0);
    head4_[h4] = static_cast<uint16_t>(p + 1);
    head3_[h3] = static_cast<uint16_t>(p + 1);
    return best;
  }

  int maxChain_;
  std::vector<uint8_t> win_;
  std::vector<uint16_t> link4_, link3_, head4_, head3_;
  int32_t loaded_ = 0, pos_ = 0;
  const std::vector<uint8_t>* data_ = nullptr;
  size_t src_ = 0;
};

struct Encoded {
  std::vector<uint16_t> trace;
  std::vector<uint8_t> bytes;
};

Encoded Frozen(const std::vector<uint8_t>& data, int chain, int capacity) {
  Encoded e;
  ArcBitWriter w(e.bytes);
  Deflater d(w, capacity);
  d.trace = &e.trace;
  FrozenFinder f(chain);
  f.Compress(data, d);
  d.WriteLastBlock();
  w.Flush();
  return e;
}

Encoded Current(const std::vector<uint8_t>& data, int chain, int capacity, DeflateWindow* reuse = nullptr) {
  Encoded e;
  ArcBitWriter w(e.bytes);
  Deflater d(w, capacity);
  d.trace = &e.trace;
  DeflateWindow own(chain);
  (reuse ? *reuse : own).Compress(data.data(), data.size(), d);
  d.WriteLastBlock();
  w.Flush();
  return e;
}

void ExpectSame(const std::vector<uint8_t>& data, int chain, const std::string& name, int capacity = 32768) {
  Encoded want = Frozen(data, chain, capacity), got = Current(data, chain, capacity);
  ASSERT_EQ(got.trace.size(), want.trace.size()) << name << " chain " << chain;
  auto at = std::mismatch(got.trace.begin(), got.trace.end(), want.trace.begin());
  EXPECT_TRUE(at.first == got.trace.end()) << name << " chain " << chain << ": symbol "
                                           << (at.first - got.trace.begin()) << " differs";
  EXPECT_TRUE(got.bytes == want.bytes) << name << " chain " << chain;
}

uint32_t Next(uint32_t& x) {
  x ^= x << 13;
  x ^= x >> 17;
  x ^= x << 5;
  return x;
}

// Random bytes over an alphabet of k letters: 3-byte matches everywhere for
// small k, long chains, hash collisions mixed with true matches.
std::vector<uint8_t> Alphabet(size_t n, uint32_t k, uint32_t seed) {
  std::vector<uint8_t> v(n);
  uint32_t x = seed * 2654435761u + 1;
  for (auto& b : v) b = static_cast<uint8_t>('a' + Next(x) % k);
  return v;
}

// Random stretches, copies of earlier stretches (some with a changed byte)
// and runs, crossing window slides.
std::vector<uint8_t> Patchwork(size_t n, uint32_t seed) {
  std::vector<uint8_t> v;
  uint32_t x = seed * 2654435761u + 3;
  while (v.size() < n) {
    uint32_t r = Next(x);
    size_t len = 1 + Next(x) % 600;
    if (r % 4 == 0 || v.size() < 1000) {
      for (size_t i = 0; i < len; ++i) v.push_back(static_cast<uint8_t>(Next(x)));
    } else if (r % 4 == 3) {
      v.insert(v.end(), len, static_cast<uint8_t>(r >> 8));
    } else {
      size_t back = 1 + Next(x) % std::min<size_t>(v.size() - 1, 40000);
      size_t from = v.size() - back;
      for (size_t i = 0; i < len; ++i) v.push_back(v[from + i]);
      if (r % 4 == 2) v.back() ^= 1;
    }
  }
  v.resize(n);
  return v;
}

const int kChains[] = {1, 2, 3, 4, 7, 32, 64, DeflateWindow::kMaxChain};

TEST(DeflateFinderDiff, RandomBytesOfManySizes) {
  for (size_t n : {0, 1, 2, 3, 4, 5, 258, 259, 65277, 65278, 65279, 65536, 98303, 98304, 131073, 200000}) {
    std::vector<uint8_t> data = MakeRandom(n, static_cast<uint32_t>(n) + 11);
    for (int chain : {1, 4, DeflateWindow::kMaxChain}) ExpectSame(data, chain, "random " + std::to_string(n));
  }
}

TEST(DeflateFinderDiff, StructuredInputsAtEveryCap) {
  std::vector<std::pair<std::string, std::vector<uint8_t>>> inputs;
  for (const std::string& name : DeflateCorpusNames()) inputs.emplace_back(name, DeflateCorpusInput(name));
  for (uint32_t k : {2u, 3u, 4u, 16u, 40u}) inputs.emplace_back("alphabet " + std::to_string(k), Alphabet(150000, k, k));
  for (uint32_t seed : {1u, 2u}) inputs.emplace_back("patchwork " + std::to_string(seed), Patchwork(250000, seed));
  for (const auto& in : inputs)
    for (int chain : kChains) ExpectSame(in.second, chain, in.first);
}

TEST(DeflateFinderDiff, SmallBlocksAndShortInputs) {
  uint32_t x = 99;
  for (int i = 0; i < 300; ++i) {
    size_t n = Next(x) % 3000;
    uint32_t k = 1 + Next(x) % 6;
    std::vector<uint8_t> data = i % 2 ? Alphabet(n, k, static_cast<uint32_t>(i)) : Patchwork(n, static_cast<uint32_t>(i));
    ExpectSame(data, kChains[i % 8], "short " + std::to_string(i), i % 3 ? 32768 : 16 + i);
  }
}

// Matches at the edge of reach (exactly 32 KiB back, before and after a
// slide) behind nearer positions of the same 3-byte hash but other bytes, so
// the walk passes a collision first; and the same with the true match first.
TEST(DeflateFinderDiff, MatchesAtTheEdgeOfReachBehindCollisions) {
  auto hash3 = [](uint32_t k) { return ((k & 0xFFFFFFu) * 2246822519u) >> 16; };
  const uint32_t key = 'Q' | 'R' << 8 | 'S' << 16;
  uint32_t other = 1;
  while (other == key || hash3(other) != hash3(key)) ++other;
  auto put = [](std::vector<uint8_t>& v, size_t at, uint32_t k) {
    for (int i = 0; i < 3; ++i) v[at + static_cast<size_t>(i)] = static_cast<uint8_t>(k >> (8 * i));
  };
  for (size_t q : {1000u, 20000u, 40000u}) {
    for (int back : {32768, 32767, 32769}) {
      for (int collisions : {0, 1, 2}) {
        std::vector<uint8_t> data = MakeRandom(q + 40000, static_cast<uint32_t>(q + back));
        const size_t p = q + static_cast<size_t>(back);
        put(data, q, key);
        put(data, p, key);
        for (int c = 0; c < collisions; ++c) put(data, p - 100 - 50 * static_cast<size_t>(c), other);
        for (int chain : {1, 2, 3, DeflateWindow::kMaxChain})
          ExpectSame(data, chain, "edge " + std::to_string(q) + " " + std::to_string(back) + " " +
                                      std::to_string(collisions));
      }
    }
  }
}

TEST(DeflateFinderDiff, StreamInputGivesTheBytesOfMemoryInput) {
  for (size_t n : {0u, 100u, 65278u, 65536u, 140000u}) {
    std::vector<uint8_t> data = Patchwork(n, static_cast<uint32_t>(n) + 1);
    std::vector<uint8_t> bytes;
    ArcBitWriter w(bytes);
    Deflater d(w, 32768);
    DeflateWindow win(32);
    std::istringstream in(std::string(data.begin(), data.end()));
    win.Compress(in, d);
    d.WriteLastBlock();
    w.Flush();
    EXPECT_TRUE(bytes == Frozen(data, 32, 32768).bytes) << n;
    EXPECT_EQ(win.BytesRead(), n);
  }
}

TEST(DeflateFinderDiff, AWindowUsedAgainStartsAfresh) {
  DeflateWindow win(7);
  std::vector<uint8_t> a = Patchwork(120000, 5), b = Alphabet(90000, 3, 6);
  for (const std::vector<uint8_t>* data : {&a, &b, &a, &b}) {
    Encoded got = Current(*data, 7, 32768, &win);
    EXPECT_TRUE(got.bytes == Frozen(*data, 7, 32768).bytes);
  }
}

}  // namespace
}  // namespace arc
