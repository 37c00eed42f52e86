// The decoder's fast loop against the symbol-by-symbol walk (NextSymbol,
// which never takes it): every kind of match copy, members that end inside a
// match near the loop's margins, input that ends just after the member, and
// input cut short after the window was flushed.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

#include "archive/arc_bits.h"
#include "archive/deflate_tables.h"
#include "archive/deflater.h"
#include "archive/inflater.h"
#include "archive_test_util.h"

namespace arc {
namespace {

// Expands the member through NextSymbol (at most n bytes).
std::vector<uint8_t> BySymbols(const std::vector<uint8_t>& comp, size_t n) {
  ArcState st;
  st.m_nArcInSize = static_cast<int32_t>(comp.size());
  ZipBitReader r(st, comp.data());
  Inflater inf(r);
  std::vector<uint8_t> out;
  for (int s; out.size() < n && (s = inf.NextSymbol()) >= 0;) {
    if (s < 256) {
      out.push_back(static_cast<uint8_t>(s));
      continue;
    }
    size_t d = static_cast<size_t>(inf.LastDistance());
    for (int k = 0; k < s - 257; ++k) out.push_back(out[out.size() - d]);
  }
  if (out.size() > n) out.resize(n);
  return out;
}

struct Result {
  std::vector<uint8_t> mem;
  ArcState st;
  int64_t count = 0;
  int64_t tell = 0;
  std::string code;
};

// Inflate into memory output of target bytes.
Result InflateToMemory(const std::vector<uint8_t>& comp, int64_t target) {
  Result res;
  res.mem.assign(static_cast<size_t>(target) + 1, 0);
  res.st.m_nArcInSize = static_cast<int32_t>(comp.size());
  res.st.m_nArcOutMax = static_cast<int32_t>(target);
  res.st.m_pArcOutBuf = res.mem.data();
  ZipBitReader r(res.st, comp.data());
  try {
    Inflater inf(r);
    ZipCrc32 sink(res.st, nullptr, target);
    try {
      Inflater::Inflate(inf, sink);
    } catch (...) {
      res.count = sink.Count();
      throw;
    }
    res.count = sink.Count();
  } catch (const ArchiveError& e) {
    res.code = e.Code();
  }
  res.tell = r.Tell();
  res.mem.resize(static_cast<size_t>(target));
  return res;
}

// Fixed block: 64 text bytes, then matches of every distance 1..40 with
// lengths around the copy widths, each followed by one literal.
std::vector<uint8_t> CopyKinds(std::vector<uint8_t>& expect) {
  const DeflateTables& t = GetDeflateTables();
  std::vector<uint8_t> bytes;
  ArcBitWriter w(bytes);
  auto huff = [&](uint32_t code, int n) { w.PutBits(BitReverse(code, n), n); };
  auto fixed = [&](int sym) {
    if (sym < 144) huff(0x30 + static_cast<uint32_t>(sym), 8);
    else if (sym < 256) huff(0x190 + static_cast<uint32_t>(sym) - 144, 9);
    else if (sym < 280) huff(static_cast<uint32_t>(sym) - 256, 7);
    else huff(0xC0 + static_cast<uint32_t>(sym) - 280, 8);
  };
  w.PutBits(1, 1);
  w.PutBits(1, 2);
  expect = Bytes(MakeText(64, 3));
  for (uint8_t c : expect) fixed(c);
  for (int d = 1; d <= 40; ++d) {
    for (int len : {3, 4, 7, 8, 9, 15, 16, 17, 31, 32, 33, 100, 257, 258}) {
      int li = LengthCodeIndex(len), dc = DistanceCode(d);
      fixed(257 + li);
      w.PutBits(static_cast<uint32_t>(len - t.lenBase[li]), t.lenExtra[li]);
      huff(static_cast<uint32_t>(dc), 5);
      w.PutBits(static_cast<uint32_t>(d - t.distBase[dc]), t.distExtra[dc]);
      for (int k = 0; k < len; ++k) expect.push_back(expect[expect.size() - static_cast<size_t>(d)]);
      uint8_t lit = static_cast<uint8_t>('a' + (d + len) % 26);
      fixed(lit);
      expect.push_back(lit);
    }
  }
  fixed(256);
  w.Flush();
  return bytes;
}

// Text, runs of short periods, integer tables and random bytes.
std::vector<uint8_t> Mixed(size_t n, uint32_t seed) {
  std::vector<uint8_t> v;
  uint32_t x = seed;
  while (v.size() < n) {
    x = x * 1103515245u + 12345u;
    size_t len = 200 + (x >> 8) % 6000;
    switch ((x >> 20) % 4) {
      case 0: {
        std::string s = MakeText(len, x);
        v.insert(v.end(), s.begin(), s.end());
        break;
      }
      case 1: {
        size_t period = 1 + (x >> 4) % 12;
        for (size_t k = 0; k < len; ++k) v.push_back(static_cast<uint8_t>('0' + (k % period) * 7));
        break;
      }
      case 2:
        for (uint32_t k = 0; k < len / 4; ++k)
          for (int b = 0; b < 4; ++b) v.push_back(static_cast<uint8_t>((k + x) >> (8 * b)));
        break;
      default: {
        std::vector<uint8_t> r = MakeRandom(len / 4, x);
        v.insert(v.end(), r.begin(), r.end());
      }
    }
  }
  v.resize(n);
  return v;
}

TEST(InflateFast, EveryCopyKindMatchesTheSymbolWalk) {
  std::vector<uint8_t> expect;
  std::vector<uint8_t> comp = CopyKinds(expect);
  EXPECT_EQ(BySymbols(comp, expect.size() + 1), expect);
  Result r = InflateToMemory(comp, static_cast<int64_t>(expect.size()));
  EXPECT_EQ(r.code, "");
  EXPECT_EQ(r.mem, expect);
  // Own encoder on mixed data: several window flushes.
  std::vector<uint8_t> data = Mixed(700000, 5);
  comp = DeflateBytes(data.data(), data.size());
  EXPECT_EQ(BySymbols(comp, data.size()), data);
  r = InflateToMemory(comp, static_cast<int64_t>(data.size()));
  EXPECT_EQ(r.code, "");
  EXPECT_TRUE(r.mem == data);
  EXPECT_EQ(r.st.m_nArcOutLen, static_cast<int32_t>(data.size()) - 1);
}

TEST(InflateFast, TargetEndingInsideTheLastMatches) {
  std::vector<uint8_t> expect;
  std::vector<uint8_t> comp = CopyKinds(expect);
  const int64_t n = static_cast<int64_t>(expect.size());
  // Every end point over the last 600 bytes (matches of 258 and the margin
  // where the fast loop hands over), and a sample before.
  for (int64_t target = 1; target <= n; target += target < n - 600 ? 997 : 1) {
    Result r = InflateToMemory(comp, target);
    // Data past the size is reported once every byte up to it was delivered.
    ASSERT_EQ(r.code, target < n ? "072" : "") << target;
    ASSERT_TRUE(std::equal(r.mem.begin(), r.mem.end(), expect.begin())) << target;
    ASSERT_EQ(r.count, target);
    ASSERT_EQ(r.st.m_nArcOutLen, target - 1) << target;
    ASSERT_EQ(r.st.m_nArcProgress, 0);
  }
}

TEST(InflateFast, MemberEndingNearTheEndOfInput) {
  std::vector<uint8_t> data = Mixed(40000, 9);
  std::vector<uint8_t> comp = DeflateBytes(data.data(), data.size());
  Result base = InflateToMemory(comp, static_cast<int64_t>(data.size()));
  ASSERT_EQ(base.code, "");
  ASSERT_EQ(base.mem, data);
  // Bytes after the member change nothing: the end of block is read at
  // every distance from the end of the input.
  for (int extra = 1; extra <= 20; ++extra) {
    std::vector<uint8_t> more = comp;
    more.insert(more.end(), static_cast<size_t>(extra), 0xA5);
    Result r = InflateToMemory(more, static_cast<int64_t>(data.size()));
    EXPECT_EQ(r.code, "") << extra;
    EXPECT_EQ(r.mem, data) << extra;
    EXPECT_EQ(r.st.m_nArcOutLen, base.st.m_nArcOutLen);
    EXPECT_EQ(r.tell, base.tell) << extra;
  }
}

TEST(InflateFast, InputCutAfterTheWindowWasFlushed) {
  std::vector<uint8_t> data = Mixed(700000, 13);
  std::vector<uint8_t> comp = DeflateBytes(data.data(), data.size());
  for (size_t cut : {comp.size() / 2, comp.size() * 9 / 10, comp.size() - 40, comp.size() - 9, comp.size() - 8,
                     comp.size() - 7, comp.size() - 2, comp.size() - 1}) {
    std::vector<uint8_t> part(comp.begin(), comp.begin() + static_cast<long>(cut));
    Result r = InflateToMemory(part, static_cast<int64_t>(data.size()));
    if (r.code.empty() && cut + 1 == comp.size()) {
      // The last byte held only the end of block: the member completed.
      EXPECT_EQ(r.mem, data);
      continue;
    }
    EXPECT_EQ(r.code, "050") << cut;
    EXPECT_EQ(r.st.m_nArcProgress, 2);
    // What reached the output is the data's beginning, never other bytes.
    ASSERT_GE(r.st.m_nArcOutLen, 0);
    EXPECT_EQ(r.count, r.st.m_nArcOutLen);
    EXPECT_TRUE(std::equal(r.mem.begin(), r.mem.begin() + r.st.m_nArcOutLen, data.begin())) << cut;
  }
}

}  // namespace
}  // namespace arc
