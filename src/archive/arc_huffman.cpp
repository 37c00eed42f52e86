#include "archive/arc_huffman.h"

#include <algorithm>

#include "archive/arc_error.h"

namespace arc {
namespace {

struct SideCodes {
  const char *empty, *negative, *tooLong, *over, *entries, *maxZero, *none;
};
const SideCodes kDeflateCodes = {"017", "018", "019", "020", "022", "023", "024"};
const SideCodes kLzhCodes = {"062", "063", "064", "065", "067", "068", "069"};

const SideCodes& CodesOf(HuffSide s) { return s == HuffSide::Deflate ? kDeflateCodes : kLzhCodes; }

// Checks a length list; returns the largest length. Over-subscription is
// tested with the Kraft sum in units of 2^-M.
int CheckLengths(const int* len, int n, HuffSide side, int maxLen) {
  const SideCodes& c = CodesOf(side);
  if (n <= 0) Fail(c.empty);
  int largest = 0;
  for (int i = 0; i < n; ++i) {
    if (len[i] < 0) Fail(c.negative);
    largest = std::max(largest, len[i]);
  }
  int m = maxLen > 0 ? maxLen : largest;
  if (largest > m) Fail(c.tooLong);
  std::vector<int64_t> count(static_cast<size_t>(m) + 1, 0);
  for (int i = 0; i < n; ++i)
    if (len[i] > 0) ++count[static_cast<size_t>(len[i])];
  // left = free slots at the current depth; once it exceeds n it cannot fall below 0.
  int64_t left = 1;
  for (int l = 1; l <= m; ++l) {
    left = (left << 1) - count[static_cast<size_t>(l)];
    if (left < 0) Fail(c.over);
    if (left > (int64_t(1) << 40)) break;
  }
  return largest;
}

}  // namespace

std::vector<int> LengthsFromFrequencies(const std::vector<int32_t>& freqs, int maxLen) {
  struct Rec {
    int64_t freq;
    int sym;  // -1 for a node
    int left, right;
  };
  const int m = maxLen;
  std::vector<Rec> recs;
  for (int s = 0; s < static_cast<int>(freqs.size()); ++s)
    if (freqs[static_cast<size_t>(s)] > 0) recs.push_back({freqs[static_cast<size_t>(s)], s, -1, -1});
  if (recs.empty()) return {1};
  std::vector<int> out(freqs.size(), 0);
  if (recs.size() == 1) {
    out[static_cast<size_t>(recs[0].sym)] = 1;
    return out;
  }
  const size_t leaves = recs.size();
  // Two queues instead of one ordered set: the leaves sorted by frequency
  // (stable, so equal ones keep symbol order) and the nodes in the order they
  // are made, which is also by frequency. On equal frequencies a leaf goes
  // first, then the older node: the order of a set keyed by frequency that
  // keeps insertion order, so the lengths do not change.
  std::vector<int> leafOrder(leaves);
  for (size_t i = 0; i < leaves; ++i) leafOrder[i] = static_cast<int>(i);
  std::stable_sort(leafOrder.begin(), leafOrder.end(), [&recs](int a, int b) {
    return recs[static_cast<size_t>(a)].freq < recs[static_cast<size_t>(b)].freq;
  });
  recs.reserve(2 * leaves - 1);
  size_t nextLeaf = 0, nextNode = leaves;
  auto takeSmallest = [&]() {
    if (nextLeaf < leaves &&
        (nextNode == recs.size() ||
         recs[static_cast<size_t>(leafOrder[nextLeaf])].freq <= recs[nextNode].freq))
      return leafOrder[nextLeaf++];
    return static_cast<int>(nextNode++);
  };
  for (size_t made = 0; made + 1 < leaves; ++made) {
    const int l = takeSmallest();
    const int r = takeSmallest();
    recs.push_back({recs[static_cast<size_t>(l)].freq + recs[static_cast<size_t>(r)].freq, -1, l, r});
  }
  // Children are made before their parent: walk from the root down.
  std::vector<int> depth(recs.size(), 0);
  for (size_t i = recs.size(); i-- > leaves;) {
    depth[static_cast<size_t>(recs[i].left)] = depth[i] + 1;
    depth[static_cast<size_t>(recs[i].right)] = depth[i] + 1;
  }
  std::vector<int64_t> count(static_cast<size_t>(m) + 2, 0);
  for (size_t i = 0; i < leaves; ++i) ++count[static_cast<size_t>(std::min(depth[i], m))];
  int64_t excess = -(int64_t(1) << m);
  for (int l = 1; l <= m; ++l) excess += count[static_cast<size_t>(l)] << (m - l);
  if (excess <= 0) {
    for (size_t i = 0; i < leaves; ++i) out[static_cast<size_t>(recs[i].sym)] = depth[i];
    return out;
  }
  for (int64_t k = 0; k < excess; ++k) {
    for (int l = m - 3; l >= 1; --l) {
      if (count[static_cast<size_t>(l)] > 0) {
        --count[static_cast<size_t>(l)];
        count[static_cast<size_t>(l) + 1] += 2;
        --count[static_cast<size_t>(m)];
        break;
      }
    }
  }
  // Leaves in the order of the nodes holding them: rarest first.
  std::vector<int> order;
  order.reserve(leaves);
  for (size_t i = leaves; i < recs.size(); ++i) {
    if (recs[static_cast<size_t>(recs[i].left)].sym >= 0) order.push_back(recs[static_cast<size_t>(recs[i].left)].sym);
    if (recs[static_cast<size_t>(recs[i].right)].sym >= 0) order.push_back(recs[static_cast<size_t>(recs[i].right)].sym);
  }
  size_t idx = 0;
  for (int l = m; l >= 1; --l)
    for (int64_t k = 0; k < count[static_cast<size_t>(l)] && idx < order.size(); ++k)
      out[static_cast<size_t>(order[idx++])] = l;
  return out;
}

std::vector<uint32_t> CanonicalCodes(const std::vector<int>& lengths, HuffSide side, int maxLen) {
  int largest = CheckLengths(lengths.data(), static_cast<int>(lengths.size()), side, maxLen);
  std::vector<uint32_t> next(static_cast<size_t>(largest) + 2, 0), count(static_cast<size_t>(largest) + 2, 0);
  for (int l : lengths)
    if (l > 0) ++count[static_cast<size_t>(l)];
  uint32_t code = 0;
  for (int l = 1; l <= largest; ++l) {
    code = (code + count[static_cast<size_t>(l) - 1]) << 1;
    if (l == 1) code = 0;
    next[static_cast<size_t>(l)] = code;
  }
  std::vector<uint32_t> codes(lengths.size(), 0);
  for (size_t s = 0; s < lengths.size(); ++s)
    if (lengths[s] > 0) codes[s] = next[static_cast<size_t>(lengths[s])]++;
  return codes;
}

HuffmanCode HuffmanCode::FromFrequencies(const std::vector<int32_t>& freqs, int maxLen) {
  return FromLengths(LengthsFromFrequencies(freqs, maxLen), HuffSide::Deflate, maxLen);
}

HuffmanCode HuffmanCode::FromLengths(const std::vector<int>& lengths, HuffSide side, int maxLen) {
  HuffmanCode h;
  std::vector<uint32_t> canon = CanonicalCodes(lengths, side, maxLen);
  h.lengths_ = lengths;
  h.codes_.resize(lengths.size());
  for (size_t s = 0; s < lengths.size(); ++s) {
    h.codes_[s] = BitReverse(canon[s], lengths[s]);
    h.maxLen_ = std::max(h.maxLen_, lengths[s]);
  }
  return h;
}

void HuffmanCode::PutSymbol(ArcBitWriter& w, int symbol) const {
  if (symbol < 0 || symbol >= static_cast<int>(lengths_.size())) Fail("021");
  int len = lengths_[static_cast<size_t>(symbol)];
  if (len < 0) Fail("002");
  if (len > 0) w.PutBits(codes_[static_cast<size_t>(symbol)], len);
}

// ---------------------------------------------------------------- decoder

HuffmanDecoder::HuffmanDecoder(const std::vector<int>& lengths, HuffSide side, int tableBits) {
  Build(lengths.data(), static_cast<int>(lengths.size()), side, tableBits);
}

HuffmanDecoder::HuffmanDecoder(const int* lengths, int n, HuffSide side, int tableBits) {
  Build(lengths, n, side, tableBits);
}

void HuffmanDecoder::Build(const int* len, int n, HuffSide side, int tableBits) {
  const SideCodes& c = CodesOf(side);
  lsb_ = side == HuffSide::Deflate;
  maxLen_ = CheckLengths(len, n, side, 0);
  if (maxLen_ == 0) Fail(c.maxZero);
  count_.assign(static_cast<size_t>(maxLen_) + 1, 0);
  for (int i = 0; i < n; ++i)
    if (len[i] > 0) ++count_[static_cast<size_t>(len[i])];
  // Canonical order: by length, then symbol.
  std::vector<int> offs(static_cast<size_t>(maxLen_) + 2, 0);
  for (int l = 1; l <= maxLen_; ++l) offs[static_cast<size_t>(l) + 1] = offs[static_cast<size_t>(l)] + count_[static_cast<size_t>(l)];
  sorted_.assign(static_cast<size_t>(offs[static_cast<size_t>(maxLen_) + 1]), 0);
  for (int s = 0; s < n; ++s)
    if (len[s] > 0) sorted_[static_cast<size_t>(offs[static_cast<size_t>(len[s])]++)] = s;
  if (sorted_.empty()) Fail(c.none);
  fast_ = maxLen_ <= 16;
  if (!fast_) return;

  tb_ = tableBits > 0 ? std::min(tableBits, maxLen_) : std::min(maxLen_, 10);
  const uint32_t bad = kBad << 8;
  // Canonical codes, most significant bit first.
  std::vector<uint32_t> code(static_cast<size_t>(n), 0);
  {
    uint32_t next[18] = {0};
    uint32_t cc = 0;
    for (int l = 1; l <= maxLen_; ++l) {
      cc = (cc + (l > 1 ? static_cast<uint32_t>(count_[static_cast<size_t>(l) - 1]) : 0)) << 1;
      if (l == 1) cc = 0;
      next[l] = cc;
    }
    for (int s = 0; s < n; ++s)
      if (len[s] > 0) code[static_cast<size_t>(s)] = next[len[s]]++;
  }
  const uint32_t primary = 1u << tb_;
  // Second-level width per primary slot: the longest code sharing the slot.
  std::vector<int> subBits(primary, 0);
  auto slotOf = [&](int s) -> uint32_t {
    int l = len[s];
    uint32_t top = code[static_cast<size_t>(s)] >> (l - tb_);  // first tb_ bits
    return lsb_ ? BitReverse(top, tb_) : top;
  };
  for (int s = 0; s < n; ++s)
    if (len[s] > tb_) subBits[slotOf(s)] = std::max(subBits[slotOf(s)], len[s] - tb_);
  size_t total = primary;
  std::vector<uint32_t> subOff(primary, 0);
  for (uint32_t i = 0; i < primary; ++i)
    if (subBits[i]) {
      subOff[i] = static_cast<uint32_t>(total);
      total += size_t(1) << subBits[i];
    }
  table_.assign(total, bad);
  for (uint32_t i = 0; i < primary; ++i)
    if (subBits[i]) table_[i] = subOff[i] << 16 | kLink << 8 | static_cast<uint32_t>(subBits[i]);
  for (int s = 0; s < n; ++s) {
    int l = len[s];
    if (l == 0) continue;
    uint32_t entry = static_cast<uint32_t>(s) << 16 | kSym << 8 | static_cast<uint32_t>(l);
    uint32_t cd = code[static_cast<size_t>(s)];
    if (l <= tb_) {
      if (lsb_) {
        uint32_t rev = BitReverse(cd, l);
        for (uint32_t i = rev; i < primary; i += 1u << l) table_[i] = entry;
      } else {
        uint32_t base = cd << (tb_ - l);
        for (uint32_t i = 0; i < (1u << (tb_ - l)); ++i) table_[base + i] = entry;
      }
    } else {
      uint32_t slot = slotOf(s);
      int sb = subBits[slot];
      int rest = l - tb_;
      uint32_t low = cd & ((1u << rest) - 1);  // bits after the first tb_
      uint32_t* sub = &table_[subOff[slot]];
      if (lsb_) {
        uint32_t rev = BitReverse(low, rest);
        for (uint32_t i = rev; i < (1u << sb); i += 1u << rest) sub[i] = entry;
      } else {
        uint32_t base = low << (sb - rest);
        for (uint32_t i = 0; i < (1u << (sb - rest)); ++i) sub[base + i] = entry;
      }
    }
  }
}

int HuffmanDecoder::DecodeLsb(ZipBitReader& r) {
  if (maxLen_ > 256) Fail("003");
  if (!fast_) {
    int sym = WalkCanonical([&] { return r.GetBit(); });
    if (sym == -2) Fail("052");
    return sym;
  }
  int peekLen = std::min(maxLen_, 32);
  uint32_t bits = static_cast<uint32_t>(r.PeekBits(peekLen));
  uint32_t e = table_[bits & ((1u << tb_) - 1)];
  if ((e >> 8 & 0xFF) == kLink) e = table_[(e >> 16) + ((bits >> tb_) & ((1u << (e & 0xFF)) - 1))];
  if ((e >> 8 & 0xFF) == kBad) {
    // Past the end the missing bits read as 0: report the end, not a bad code.
    if (r.BitsLeft() < maxLen_) {
      r.GetBits(static_cast<int>(std::min<int64_t>(r.BitsLeft() + 1, 32)));
      return -1;
    }
    Fail("052");
  }
  if (r.GetBits(static_cast<int>(e & 0xFF)) < 0) return -1;
  return static_cast<int>(e >> 16);
}

int HuffmanDecoder::DecodeMsb(ArcBitReader& r) {
  if (maxLen_ > 32) Fail("046");
  if (!fast_) {
    int sym = WalkCanonical([&] { return r.GetBit(); });
    if (sym == -2) Fail("052");
    return sym;
  }
  if (r.bc_ < 32) r.Refill();
  uint64_t bb = r.bb_;
  uint32_t e = table_[bb >> (64 - tb_)];
  if ((e >> 8 & 0xFF) == kLink) {
    int sb = static_cast<int>(e & 0xFF);
    e = table_[(e >> 16) + static_cast<uint32_t>((bb << tb_) >> (64 - sb))];
  }
  if ((e >> 8 & 0xFF) == kBad) {
    if (r.bc_ - r.over_ < maxLen_) {
      r.GetBits(std::min(r.bc_ - r.over_ + 1, 32));
      return -1;
    }
    Fail("052");
  }
  int l = static_cast<int>(e & 0xFF);
  if (r.bc_ - r.over_ < l) {
    r.GetBits(std::min(r.bc_ - r.over_ + 1, 32));
    return -1;
  }
  r.bb_ <<= l;
  r.bc_ -= l;
  return static_cast<int>(e >> 16);
}

}  // namespace arc
