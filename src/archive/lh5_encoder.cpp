// "-lh5-" encoder: lazy LZ77 over an 8 KiB window with matches of 3 to 256
// bytes (hash chains of three-byte keys), then blocks of up to 32768 codes
// with length-limited canonical Huffman codes, written the way the decoder
// reads them.
#include <algorithm>
#include <cstring>

#include "archive/arc_huffman.h"
#include "archive/lzh_writer.h"

namespace arc {
namespace {

constexpr int kWindow = 8192, kMaxMatch = 256, kMinMatch = 3;
constexpr int kNC = 510, kNT = 19, kNP = 14, kPBit = 4;
constexpr int kChain = 256;
constexpr size_t kBlockCodes = 32768;

class MsbWriter {
 public:
  void Put(uint32_t v, int n) {
    for (int i = n - 1; i >= 0; --i) {
      acc_ = static_cast<uint8_t>(acc_ << 1 | ((v >> i) & 1));
      if (++cnt_ == 8) {
        out.push_back(acc_);
        acc_ = 0;
        cnt_ = 0;
      }
    }
  }
  void Flush() {
    if (cnt_) out.push_back(static_cast<uint8_t>(acc_ << (8 - cnt_)));
    acc_ = 0;
    cnt_ = 0;
  }
  std::vector<uint8_t> out;

 private:
  uint8_t acc_ = 0;
  int cnt_ = 0;
};

struct Code {
  uint16_t c;     // 0-255 byte, 256+ length - 3 + 256
  uint16_t dist;  // distance - 1 (matches)
};

struct Table {
  std::vector<int> len;
  std::vector<uint32_t> code;
  int single = -1;
};

Table MakeTable(const std::vector<int32_t>& freq) {
  Table t;
  int used = 0, last = -1;
  for (size_t i = 0; i < freq.size(); ++i)
    if (freq[i]) {
      ++used;
      last = static_cast<int>(i);
    }
  if (used <= 1) {
    t.single = last < 0 ? 0 : last;
    t.len.assign(freq.size(), 0);
    t.code.assign(freq.size(), 0);
    return t;
  }
  t.len = LengthsFromFrequencies(freq, 16);
  t.code = CanonicalCodes(t.len, HuffSide::Lzh, 16);
  return t;
}

void PutSym(MsbWriter& w, const Table& t, int s) {
  if (t.single >= 0) return;
  w.Put(t.code[static_cast<size_t>(s)], t.len[static_cast<size_t>(s)]);
}

int PosSymbol(uint32_t d) {
  int p = 0;
  while (d) {
    ++p;
    d >>= 1;
  }
  return p;
}

// T-table or P-table: count, then lengths (3 bits, 7 and more as 7 + ones +
// a zero); after index `special` a 2-bit run of zeros.
void PutShortTable(MsbWriter& w, const Table& t, int nbit, int special) {
  if (t.single >= 0) {
    w.Put(0, nbit);
    w.Put(static_cast<uint32_t>(t.single), nbit);
    return;
  }
  int n = static_cast<int>(t.len.size());
  while (n > 0 && t.len[static_cast<size_t>(n - 1)] == 0) --n;
  w.Put(static_cast<uint32_t>(n), nbit);
  int i = 0;
  while (i < n) {
    int l = t.len[static_cast<size_t>(i++)];
    if (l <= 6) {
      w.Put(static_cast<uint32_t>(l), 3);
    } else {
      w.Put(7, 3);
      for (int k = 7; k < l; ++k) w.Put(1, 1);
      w.Put(0, 1);
    }
    if (i == special) {
      int z = 0;
      while (z < 3 && i + z < n && t.len[static_cast<size_t>(i + z)] == 0) ++z;
      w.Put(static_cast<uint32_t>(z), 2);
      i += z;
    }
  }
}

void WriteBlock(MsbWriter& w, const std::vector<Code>& codes) {
  std::vector<int32_t> cf(kNC, 0), pf(kNP, 0);
  for (const Code& c : codes) {
    ++cf[c.c];
    if (c.c >= 256) ++pf[static_cast<size_t>(PosSymbol(c.dist))];
  }
  Table ct = MakeTable(cf), pt = MakeTable(pf);
  // The character lengths as T symbols.
  std::vector<std::pair<int, int>> tsyms;  // symbol, extra value
  Table tt;
  if (ct.single < 0) {
    int n = kNC;
    while (n > 0 && ct.len[static_cast<size_t>(n - 1)] == 0) --n;
    std::vector<int32_t> tf(kNT, 0);
    for (int i = 0; i < n;) {
      int l = ct.len[static_cast<size_t>(i)];
      if (l) {
        tsyms.push_back({l + 2, 0});
        ++i;
        continue;
      }
      int k = 0;
      while (i + k < n && ct.len[static_cast<size_t>(i + k)] == 0) ++k;
      i += k;
      if (k <= 2) {
        for (int j = 0; j < k; ++j) tsyms.push_back({0, 0});
      } else if (k <= 18) {
        tsyms.push_back({1, k - 3});
      } else if (k == 19) {
        tsyms.push_back({0, 0});
        tsyms.push_back({1, 15});
      } else {
        tsyms.push_back({2, k - 20});
      }
    }
    for (auto& s : tsyms) ++tf[static_cast<size_t>(s.first)];
    tt = MakeTable(tf);
    w.Put(static_cast<uint32_t>(codes.size()), 16);
    PutShortTable(w, tt, 5, 3);
    w.Put(static_cast<uint32_t>(n), 9);
    for (auto& s : tsyms) {
      PutSym(w, tt, s.first);
      if (s.first == 1) w.Put(static_cast<uint32_t>(s.second), 4);
      if (s.first == 2) w.Put(static_cast<uint32_t>(s.second), 9);
    }
  } else {
    w.Put(static_cast<uint32_t>(codes.size()), 16);
    w.Put(0, 5);
    w.Put(0, 5);
    w.Put(0, 9);
    w.Put(static_cast<uint32_t>(ct.single), 9);
  }
  PutShortTable(w, pt, kPBit, -1);
  for (const Code& c : codes) {
    PutSym(w, ct, c.c);
    if (c.c >= 256) {
      int p = PosSymbol(c.dist);
      PutSym(w, pt, p);
      if (p > 1) w.Put(c.dist - (1u << (p - 1)), p - 1);
    }
  }
}

inline uint32_t Hash3(const uint8_t* p) { return ((p[0] << 10) ^ (p[1] << 5) ^ p[2]) & 0x7FFF; }

}  // namespace

std::vector<uint8_t> EncodeLh5(const uint8_t* data, size_t size) {
  MsbWriter w;
  if (size == 0) return w.out;
  std::vector<int32_t> head(1 << 15, -1), prev(size, -1);
  auto insert = [&](size_t i) {
    if (i + kMinMatch > size) return;
    uint32_t h = Hash3(data + i);
    prev[i] = head[h];
    head[h] = static_cast<int32_t>(i);
  };
  auto find = [&](size_t i, int* dist) {
    int best = 0;
    if (i + kMinMatch > size) return 0;
    int maxLen = static_cast<int>(std::min<size_t>(kMaxMatch, size - i));
    int32_t cand = head[Hash3(data + i)];
    for (int chain = 0; cand >= 0 && chain < kChain; ++chain, cand = prev[static_cast<size_t>(cand)]) {
      size_t c = static_cast<size_t>(cand);
      if (i - c > static_cast<size_t>(kWindow)) break;
      if (data[c + static_cast<size_t>(best)] != data[i + static_cast<size_t>(best)]) continue;
      int l = 0;
      while (l < maxLen && data[c + static_cast<size_t>(l)] == data[i + static_cast<size_t>(l)]) ++l;
      if (l > best) {
        best = l;
        *dist = static_cast<int>(i - c);
        if (l == maxLen) break;
      }
    }
    return best >= kMinMatch ? best : 0;
  };
  std::vector<Code> codes;
  codes.reserve(kBlockCodes);
  size_t i = 0;
  int curDist = 0;
  int curLen = find(i, &curDist);
  while (i < size) {
    if (curLen) {
      // One step of lazy evaluation: a longer match at the next byte wins.
      insert(i);
      int nextDist = 0;
      int nextLen = i + 1 < size ? find(i + 1, &nextDist) : 0;
      if (nextLen > curLen) {
        codes.push_back({data[i], 0});
        ++i;
        curLen = nextLen;
        curDist = nextDist;
      } else {
        codes.push_back({static_cast<uint16_t>(curLen - kMinMatch + 256), static_cast<uint16_t>(curDist - 1)});
        for (size_t k = 1; k < static_cast<size_t>(curLen); ++k) insert(i + k);
        i += static_cast<size_t>(curLen);
        curLen = i < size ? find(i, &curDist) : 0;
      }
    } else {
      codes.push_back({data[i], 0});
      insert(i);
      ++i;
      curLen = i < size ? find(i, &curDist) : 0;
    }
    if (codes.size() >= kBlockCodes) {
      WriteBlock(w, codes);
      codes.clear();
    }
  }
  if (!codes.empty()) WriteBlock(w, codes);
  w.Flush();
  return w.out;
}

}  // namespace arc
