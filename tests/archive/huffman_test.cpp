// Canonical Huffman codes: lengths from frequencies, code assignment, checks
// of both sides, and table decoding against the canonical walk.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <sstream>

#include "archive/arc_huffman.h"
#include "archive_test_util.h"

namespace arc {
namespace {

TEST(Huffman, LengthsFromFrequencies) {
  EXPECT_EQ(LengthsFromFrequencies({5, 0, 0}, 15), (std::vector<int>{1, 0, 0}));
  EXPECT_EQ(LengthsFromFrequencies({0, 0, 0}, 15), (std::vector<int>{1}));
  EXPECT_EQ(LengthsFromFrequencies({}, 15), (std::vector<int>{1}));
  EXPECT_EQ(LengthsFromFrequencies({1, 1, 2}, 15), (std::vector<int>{2, 2, 1}));
  HuffmanCode c = HuffmanCode::FromFrequencies({1, 1, 2}, 15);
  // Codes before reversal: 10, 11, 0.
  EXPECT_EQ(c.Codes()[0], BitReverse(2, 2));
  EXPECT_EQ(c.Codes()[1], BitReverse(3, 2));
  EXPECT_EQ(c.Codes()[2], 0u);
}

TEST(Huffman, LengthLimitOnADeepTree) {
  std::vector<int32_t> f{1, 1};
  for (int i = 1; i <= 15; ++i) f.push_back(1 << i);
  EXPECT_EQ(LengthsFromFrequencies(f, 15),
            (std::vector<int>{15, 15, 14, 13, 13, 13, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1}));
}

TEST(Huffman, LimitedCodesStayComplete) {
  // Fibonacci frequencies make the deepest trees.
  std::vector<int32_t> f{1, 1};
  while (f.size() < 30) f.push_back(f[f.size() - 1] + f[f.size() - 2]);
  for (int m : {7, 15}) {
    std::vector<int> l = LengthsFromFrequencies(f, m);
    int64_t kraft = 0;
    for (int x : l) {
      ASSERT_LE(x, m);
      ASSERT_GE(x, 1);
      kraft += int64_t(1) << (m - x);
    }
    EXPECT_EQ(kraft, int64_t(1) << m) << m;
  }
}

// The first construction of the length-limited tree, kept as the reference:
// one ordered set keyed by frequency that keeps insertion order on ties.
std::vector<int> ReferenceLengths(const std::vector<int32_t>& freqs, int m) {
  struct Rec {
    int64_t freq;
    int sym, left, right;
  };
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
  std::multimap<int64_t, int> queue;
  for (size_t i = 0; i < leaves; ++i) queue.emplace(recs[i].freq, static_cast<int>(i));
  while (queue.size() > 1) {
    const int l = queue.begin()->second;
    queue.erase(queue.begin());
    const int r = queue.begin()->second;
    queue.erase(queue.begin());
    recs.push_back({recs[static_cast<size_t>(l)].freq + recs[static_cast<size_t>(r)].freq, -1, l, r});
    queue.emplace(recs.back().freq, static_cast<int>(recs.size() - 1));
  }
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
  std::vector<int> order;
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

TEST(Huffman, LengthsEqualTheFirstTreeOnTies) {
  // Few distinct frequencies make many ties between leaves and between
  // nodes: the order they are taken in decides the lengths.
  std::mt19937 rng(20261207);
  for (int round = 0; round < 20000; ++round) {
    const int symbols = 1 + static_cast<int>(rng() % 300);
    const int spread = 1 + static_cast<int>(rng() % (round % 3 == 0 ? 3 : 40));
    std::vector<int32_t> f(static_cast<size_t>(symbols));
    for (auto& x : f) x = rng() % 4 == 0 ? 0 : static_cast<int32_t>(1 + rng() % static_cast<unsigned>(spread));
    const int m = round % 2 ? 7 : 15;
    ASSERT_EQ(LengthsFromFrequencies(f, m), ReferenceLengths(f, m)) << "round " << round;
  }
}

TEST(Huffman, ChecksThrowTheSideCodes) {
  EXPECT_ARC_CODE(HuffmanCode::FromLengths({}, HuffSide::Deflate), "017");
  EXPECT_ARC_CODE(HuffmanCode::FromLengths({}, HuffSide::Lzh), "062");
  EXPECT_ARC_CODE(HuffmanCode::FromLengths({1, -1}, HuffSide::Deflate), "018");
  EXPECT_ARC_CODE(HuffmanCode::FromLengths({1, -1}, HuffSide::Lzh), "063");
  EXPECT_ARC_CODE(HuffmanCode::FromLengths({1, 9}, HuffSide::Deflate, 7), "019");
  EXPECT_ARC_CODE(HuffmanCode::FromLengths({1, 9}, HuffSide::Lzh, 7), "064");
  EXPECT_ARC_CODE(HuffmanCode::FromLengths({1, 1, 1}, HuffSide::Deflate), "020");
  EXPECT_ARC_CODE(HuffmanDecoder({1, 1, 1}, HuffSide::Lzh), "065");
  EXPECT_ARC_CODE(HuffmanDecoder({0, 0}, HuffSide::Deflate), "023");
  EXPECT_ARC_CODE(HuffmanDecoder({0, 0}, HuffSide::Lzh), "068");
  HuffmanCode five = HuffmanCode::FromLengths({2, 2, 2, 3, 3});
  std::vector<uint8_t> out;
  ArcBitWriter w(out);
  EXPECT_ARC_CODE(five.PutSymbol(w, 5), "021");
  EXPECT_ARC_CODE(five.PutSymbol(w, -1), "021");
}

// Writes symbols with a code and reads them back with both decoders.
void RoundTrip(const std::vector<int>& lens, const std::vector<int>& syms) {
  HuffmanCode code = HuffmanCode::FromLengths(lens, HuffSide::Deflate, 0);
  std::vector<uint8_t> out;
  ArcBitWriter w(out);
  for (int s : syms) code.PutSymbol(w, s);
  w.Flush();
  ArcState st;
  st.m_nArcInSize = static_cast<int32_t>(out.size());
  ZipBitReader r(st, out.data());
  HuffmanDecoder dec(lens, HuffSide::Deflate, 6);
  for (int s : syms) ASSERT_EQ(dec.DecodeLsb(r), s);
  // The same canonical codes sent most significant bit first.
  std::vector<uint32_t> canon = CanonicalCodes(lens, HuffSide::Lzh, 0);
  std::string msb;
  uint32_t acc = 0;
  int n = 0;
  for (int s : syms) {
    for (int b = lens[static_cast<size_t>(s)] - 1; b >= 0; --b) {
      acc = acc << 1 | ((canon[static_cast<size_t>(s)] >> b) & 1);
      if (++n == 8) {
        msb += static_cast<char>(acc);
        acc = 0;
        n = 0;
      }
    }
  }
  if (n) msb += static_cast<char>(acc << (8 - n));
  std::istringstream in(msb);
  ArcBitReader ar(in);
  HuffmanDecoder mdec(lens, HuffSide::Lzh, 5);
  for (int s : syms) ASSERT_EQ(mdec.DecodeMsb(ar), s);
}

TEST(Huffman, TableDecodingMatchesTheCode) {
  RoundTrip({2, 2, 1}, {0, 1, 2, 2, 1, 0});
  std::vector<int32_t> f;
  for (int i = 0; i < 40; ++i) f.push_back(i < 2 ? 1 : f[static_cast<size_t>(i) - 1] + f[static_cast<size_t>(i) - 2]);
  std::vector<int> deep = LengthsFromFrequencies(std::vector<int32_t>(f.begin(), f.begin() + 20), 15);
  std::vector<int> syms;
  for (int i = 0; i < 400; ++i) syms.push_back((i * 7) % 20);
  RoundTrip(deep, syms);  // second-level tables (codes longer than 6 bits)
  // Codes longer than 16 bits take the canonical walk.
  std::vector<int> lng(24);
  for (int i = 0; i < 23; ++i) lng[static_cast<size_t>(i)] = i + 1;
  lng[23] = 23;
  RoundTrip(lng, {0, 22, 23, 5, 17, 18});
}

TEST(Huffman, IncompleteCodeRejectsUnusedPatterns) {
  // One code of length 1 ("0"); the pattern "1" matches nothing.
  const uint8_t ones[] = {0xFF, 0xFF, 0xFF};
  ArcState st;
  st.m_nArcInSize = 3;
  ZipBitReader r(st, ones);
  HuffmanDecoder dec({0, 1}, HuffSide::Deflate);
  EXPECT_ARC_CODE(dec.DecodeLsb(r), "052");
}

}  // namespace
}  // namespace arc
