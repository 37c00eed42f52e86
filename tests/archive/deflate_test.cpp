// Deflate encoder and decoder: the parse of the edge cases, identity of the
// match finder with a walk of the plain two-byte chains, block cuts, and the
// decoder's checks on crafted streams.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <sstream>

#include "archive/arc_bits.h"
#include "archive/deflate_tables.h"
#include "archive/deflater.h"
#include "archive/inflater.h"
#include "archive_test_util.h"

namespace arc {
namespace {

std::vector<uint16_t> Trace(const std::vector<uint8_t>& data, std::vector<uint8_t>* out = nullptr) {
  std::vector<uint8_t> bytes;
  ArcBitWriter w(bytes);
  Deflater d(w, 32768);
  std::vector<uint16_t> trace;
  d.trace = &trace;
  DeflateWindow win;
  win.Compress(data.data(), data.size(), d);
  d.WriteLastBlock();
  w.Flush();
  if (out) *out = bytes;
  return trace;
}

// The parse with every chain of the two-byte key walked to the window limit.
std::vector<uint16_t> ReferenceTrace(const std::vector<uint8_t>& data) {
  std::vector<uint8_t> win(65536, 0);
  std::vector<int32_t> link(65536, -1), head(65536, -1);
  int32_t loaded = 0, pos = 0;
  size_t src = 0;
  std::vector<uint16_t> out;
  auto fill = [&] {
    size_t n = std::min<size_t>(65536 - static_cast<size_t>(loaded), data.size() - src);
    std::memcpy(win.data() + loaded, data.data() + src, n);
    src += n;
    loaded += static_cast<int32_t>(n);
  };
  auto advance = [&] {
    if (++pos < 65278) return;
    pos -= 32768;
    std::memmove(win.data(), win.data() + 32768, 32768);
    for (int i = 0; i < 32768; ++i) link[static_cast<size_t>(i)] = std::max(link[static_cast<size_t>(i) + 32768] - 32768, -1);
    for (auto& h : head) h = std::max(h - 32768, -1);
    loaded = std::max(loaded - 32768, 0);
    fill();
  };
  fill();
  while (pos < loaded) {
    int key = win[static_cast<size_t>(pos)] * 256 + (pos + 1 < 65536 ? win[static_cast<size_t>(pos) + 1] : 0);
    int lowest = std::max(pos - 32768, 0);
    int maxLen = std::clamp(loaded - pos, 0, 258);
    int best = 0, dist = 0;
    for (int c = head[static_cast<size_t>(key)]; c >= 0 && c >= lowest; c = link[static_cast<size_t>(c)]) {
      if (best == 0 || win[static_cast<size_t>(pos + best - 1)] == win[static_cast<size_t>(c + best - 1)]) {
        int len = 2;
        while (len < maxLen && win[static_cast<size_t>(pos + len)] == win[static_cast<size_t>(c + len)]) ++len;
        if (len > best) {
          best = len;
          dist = pos - c;
          if (len >= 258) break;
        }
      }
    }
    link[static_cast<size_t>(pos)] = head[static_cast<size_t>(key)];
    head[static_cast<size_t>(key)] = pos;
    if (best >= 3) {
      out.push_back(static_cast<uint16_t>(best + 257));
      out.push_back(static_cast<uint16_t>(dist - 1));
      for (int k = 0; k < best; ++k) advance();
    } else {
      out.push_back(win[static_cast<size_t>(pos)]);
      advance();
    }
  }
  return out;
}

std::vector<uint8_t> InflateAll(const std::vector<uint8_t>& comp, int64_t target, ArcState* stOut = nullptr) {
  ArcState st;
  st.m_nArcInSize = static_cast<int32_t>(comp.size());
  std::ostringstream out;
  ZipBitReader r(st, comp.data());
  Inflater inf(r);
  ZipCrc32 sink(st, &out, target);
  Inflater::Inflate(inf, sink);
  if (stOut) *stOut = st;
  std::string s = out.str();
  return std::vector<uint8_t>(s.begin(), s.end());
}

TEST(DeflateParse, EdgeCases) {
  std::vector<uint8_t> comp;
  EXPECT_TRUE(Trace({}, &comp).empty());
  EXPECT_TRUE(InflateAll(comp, 0).empty());

  std::vector<uint16_t> t = Trace(std::vector<uint8_t>(1000, 'x'));
  EXPECT_EQ(t, (std::vector<uint16_t>{'x', 258 + 257, 0, 258 + 257, 257, 258 + 257, 257, 225 + 257, 257}));

  t = Trace(Bytes("abcabcabc"));
  EXPECT_EQ(t, (std::vector<uint16_t>{'a', 'b', 'c', 6 + 257, 2}));
}

TEST(DeflateParse, SameParseAsTheFullChainWalk) {
  std::vector<std::vector<uint8_t>> inputs;
  inputs.push_back(Bytes(MakeText(150000, 1)));
  inputs.push_back(MakeRandom(70000, 2));
  std::vector<uint8_t> mixed = Bytes(MakeText(40000, 3));
  std::vector<uint8_t> r = MakeRandom(30000, 4);
  mixed.insert(mixed.end(), r.begin(), r.end());
  mixed.insert(mixed.end(), mixed.begin(), mixed.begin() + 50000);  // repeats across the slide
  inputs.push_back(mixed);
  std::vector<uint8_t> pairs;
  for (int i = 0; i < 90000; ++i) pairs.push_back(static_cast<uint8_t>(i % 3 == 2 ? (i * 37) >> 3 : "ab"[i % 3]));
  inputs.push_back(pairs);
  for (size_t i = 0; i < inputs.size(); ++i) {
    std::vector<uint8_t> comp;
    EXPECT_EQ(Trace(inputs[i], &comp), ReferenceTrace(inputs[i])) << "input " << i;
    EXPECT_EQ(InflateAll(comp, static_cast<int64_t>(inputs[i].size())), inputs[i]) << "input " << i;
  }
}

TEST(DeflateParse, BlocksCutAfter32767Literals) {
  std::vector<uint8_t> data = DeBruijn(35, 3);
  data.resize(40000);
  std::vector<uint8_t> comp;
  std::vector<uint16_t> t = Trace(data, &comp);
  ASSERT_EQ(t.size(), 40000u);  // no 3-byte string repeats: literals only
  ArcState st;
  st.m_nArcInSize = static_cast<int32_t>(comp.size());
  ZipBitReader r(st, comp.data());
  Inflater inf(r);
  EXPECT_EQ(inf.State(), 0);  // first block is not final
  int n = 0;
  while (inf.State() == 0) {
    ASSERT_EQ(inf.NextSymbol(), data[static_cast<size_t>(n)]);
    ++n;
  }
  EXPECT_EQ(n - 1, 32767);  // the call that read the final block's header returned its first literal
  EXPECT_EQ(InflateAll(comp, 40000), data);
}

TEST(DeflateParse, NoMatchBlockSendsOneDistanceLength) {
  std::vector<uint8_t> comp;
  Trace(Bytes("abcdefg"), &comp);
  ArcState st;
  st.m_nArcInSize = static_cast<int32_t>(comp.size());
  ZipBitReader r(st, comp.data());
  EXPECT_EQ(r.GetBits(3), 1 | 2 << 1);  // BFINAL 1, BTYPE 2
  EXPECT_EQ(r.GetBits(5), 0);  // HLIT 257
  EXPECT_EQ(r.GetBits(5), 0);  // HDIST 1
}

TEST(DeflateParse, CheckedValues) {
  std::vector<uint8_t> out;
  ArcBitWriter w(out);
  Deflater d(w);
  EXPECT_ARC_CODE(d.PutLiteral(-1), "007");
  EXPECT_ARC_CODE(d.PutLiteral(256), "008");
  EXPECT_ARC_CODE(d.PutMatch(2, 1), "009");
  EXPECT_ARC_CODE(d.PutMatch(260, 1), "010");
  EXPECT_ARC_CODE(d.PutMatch(3, 0), "011");
  EXPECT_ARC_CODE(d.PutMatch(3, 32769), "012");
  EXPECT_ARC_CODE(LengthCodeIndex(2), "033");
  EXPECT_ARC_CODE(LengthCodeIndex(259), "034");
  EXPECT_ARC_CODE(DistanceCode(0), "037");
  EXPECT_ARC_CODE(DistanceCode(32769), "038");
  EXPECT_EQ(LengthCodeIndex(258), 28);
  EXPECT_EQ(DistanceCode(32768), 29);
  EXPECT_EQ(DistanceCode(257), 16);
}

// Builds raw Deflate bits by hand.
struct Bits {
  std::vector<uint8_t> out;
  ArcBitWriter w{out};
  Bits& put(uint32_t v, int n) {
    w.PutBits(v, n);
    return *this;
  }
  // A fixed-code symbol (codes are sent most significant bit first).
  Bits& fixed(int sym) {
    if (sym < 144) return huff(0x30 + sym, 8);
    if (sym < 256) return huff(0x190 + sym - 144, 9);
    if (sym < 280) return huff(sym - 256, 7);
    return huff(0xC0 + sym - 280, 8);
  }
  Bits& huff(uint32_t code, int n) { return put(BitReverse(code, n), n); }
  std::vector<uint8_t> done() {
    w.Flush();
    return out;
  }
};

TEST(Inflate, StoredFixedAndChecks) {
  EXPECT_TRUE(InflateAll(Bits().put(1, 1).put(1, 2).fixed(256).done(), 0).empty());
  EXPECT_EQ(InflateAll({0x01, 0x03, 0x00, 0xFC, 0xFF, 'a', 'b', 'c'}, 3), Bytes("abc"));
  ArcState st;
  std::vector<uint8_t> bad = {0x01, 0x03, 0x00, 0xFD, 0xFF, 'a', 'b', 'c'};
  EXPECT_ARC_CODE(InflateAll(bad, 3), "013");
  bad = {0x01, 0x03, 0x00, 0xFC, 0xFE, 'a', 'b', 'c'};
  EXPECT_ARC_CODE(InflateAll(bad, 3), "014");
  EXPECT_ARC_CODE(InflateAll(Bits().put(1, 1).put(3, 2).done(), 1), "015");
  // Stored block cut short.
  EXPECT_ARC_CODE(InflateAll({0x01, 0x05, 0x00, 0xFA, 0xFF, 'a', 'b'}, 5), "050");
  // Fixed block: literal then a match reaching before the member's start.
  EXPECT_ARC_CODE(InflateAll(Bits().put(1, 1).put(1, 2).fixed('a').fixed(257).huff(1, 5).fixed(256).done(), 10),
                  "051");
  // Length symbol 286 and distance code 30 (fixed codes have them).
  EXPECT_ARC_CODE(InflateAll(Bits().put(1, 1).put(1, 2).fixed('a').fixed(286).done(), 10), "036");
  EXPECT_ARC_CODE(InflateAll(Bits().put(1, 1).put(1, 2).fixed('a').fixed(257).huff(30, 5).done(), 10), "052");
  // Missing end of block: the input ends inside the member.
  EXPECT_ARC_CODE(InflateAll(Bits().put(1, 1).put(1, 2).fixed('a').fixed('b').done(), 10), "050");
}

TEST(Inflate, MatchAcrossTheWindowWrap) {
  std::vector<uint8_t> data = MakeRandom(300000, 9);  // stored blocks fill the window buffer
  std::vector<uint8_t> tail(data.end() - 32768, data.end());
  data.insert(data.end(), tail.begin(), tail.begin() + 258 * 4);
  // Stored block of the random part, then fixed block with four matches at 32768.
  Bits b;
  size_t done = 0;
  while (done < 300000) {
    size_t n = std::min<size_t>(65535, 300000 - done);
    b.put(0, 1).put(0, 2);
    b.w.Flush();
    b.out.push_back(static_cast<uint8_t>(n));
    b.out.push_back(static_cast<uint8_t>(n >> 8));
    b.out.push_back(static_cast<uint8_t>(~n));
    b.out.push_back(static_cast<uint8_t>(~n >> 8));
    b.out.insert(b.out.end(), data.begin() + static_cast<long>(done), data.begin() + static_cast<long>(done + n));
    done += n;
  }
  b.put(1, 1).put(1, 2);
  for (int i = 0; i < 4; ++i) b.fixed(285).huff(29, 5).put(32768 - 24577, 13);
  b.fixed(256);
  EXPECT_EQ(InflateAll(b.done(), static_cast<int64_t>(data.size())), data);
}

// Stored blocks of every size between fixed blocks whose matches reach back
// into them (and past them into older output): what the inflater copies from
// must be the last 32 KiB of output however the stored bytes arrived.
TEST(Inflate, MatchesReachIntoStoredBlocksOfEverySize) {
  const DeflateTables& T = GetDeflateTables();
  for (uint32_t seed = 1; seed <= 6; ++seed) {
    std::vector<uint8_t> expect;
    Bits b;
    uint32_t x = seed * 7919u;
    auto next = [&x](uint32_t n) {
      x = x * 1103515245u + 12345u;
      return (x >> 8) % n;
    };
    static const size_t kStored[] = {0, 1, 2, 7, 100, 5000, 20000, 32767, 32768, 40000, 65535};
    for (int block = 0; block < 120; ++block) {
      const bool last = block == 119;
      if (next(3) != 0) {
        // A run of stored blocks; sometimes many tiny ones.
        int count = next(4) == 0 ? 90 : 1;
        for (int k = 0; k < count; ++k) {
          size_t n = count > 1 ? next(3) : kStored[next(11)];
          std::vector<uint8_t> data = MakeRandom(n, x);
          b.put(0, 1).put(0, 2);
          b.w.Flush();
          for (uint32_t v : {uint32_t(n), uint32_t(n) >> 8, ~uint32_t(n), ~uint32_t(n) >> 8})
            b.out.push_back(static_cast<uint8_t>(v));
          b.out.insert(b.out.end(), data.begin(), data.end());
          expect.insert(expect.end(), data.begin(), data.end());
        }
      }
      b.put(last ? 1 : 0, 1).put(1, 2);
      for (int sym = 0; sym < 40; ++sym) {
        if (expect.empty() || next(4) == 0) {
          int lit = static_cast<int>(next(256));
          b.fixed(lit);
          expect.push_back(static_cast<uint8_t>(lit));
          continue;
        }
        size_t reach = std::min<size_t>(expect.size(), 32768);
        size_t dist = next(3) == 0 ? reach : 1 + next(static_cast<uint32_t>(reach));
        int length = 3 + static_cast<int>(next(256));
        int li = LengthCodeIndex(length);
        b.fixed(257 + li).put(static_cast<uint32_t>(length - T.lenBase[li]), T.lenExtra[li]);
        int dc = DistanceCode(static_cast<int>(dist));
        b.huff(static_cast<uint32_t>(dc), 5).put(static_cast<uint32_t>(dist - static_cast<size_t>(T.distBase[dc])),
                                                  T.distExtra[dc]);
        for (int k = 0; k < length; ++k) expect.push_back(expect[expect.size() - dist]);
      }
      b.fixed(256);
    }
    std::vector<uint8_t> comp = b.done();
    ArcState st;
    std::vector<uint8_t> got = InflateAll(comp, static_cast<int64_t>(expect.size()) + 1, &st);
    ASSERT_EQ(got.size(), expect.size()) << seed;
    EXPECT_TRUE(got == expect) << seed;
    EXPECT_EQ(st.m_nArcOutLen, static_cast<int32_t>(expect.size())) << seed;
  }
}

// Dynamic block header with the given literal/length and distance lengths,
// sent through a code-length code in which every symbol has 5 bits.
void DynamicHeader(Bits& b, int hlit, int hdist, const std::vector<std::pair<int, int>>& rle) {
  b.put(1, 1).put(2, 2).put(static_cast<uint32_t>(hlit - 257), 5).put(static_cast<uint32_t>(hdist - 1), 5).put(15, 4);
  for (int i = 0; i < 19; ++i) b.put(5, 3);  // 19 symbols of 5 bits: incomplete, fine
  for (auto [sym, extra] : rle) {
    b.huff(static_cast<uint32_t>(sym), 5);
    if (sym == 16) b.put(static_cast<uint32_t>(extra), 2);
    if (sym == 17) b.put(static_cast<uint32_t>(extra), 3);
    if (sym == 18) b.put(static_cast<uint32_t>(extra), 7);
  }
}

TEST(Inflate, CodeLengthsAreOneSequence) {
  // 97 zeros, a=2, b=2, 157 zeros, 256=2, then code 16 repeats the 2 three
  // times: 257=2 ends the literal list, distances 0 and 1 get 2 as well.
  Bits b;
  DynamicHeader(b, 258, 2, {{18, 86}, {2, 0}, {2, 0}, {18, 127}, {18, 8}, {2, 0}, {16, 0}});
  // lengths: 97 zeros, a=2, b=2, 157 zeros, 256=2, then 16 repeats 2 three times:
  // 257=2 (literal list ends at 258 entries), distance 0=2, distance 1=2.
  // Codes: a=00, b=01, 256=10, 257=11 ; distances 0=0, 1=1.
  b.huff(0, 2).huff(1, 2).huff(3, 2).huff(1, 2).huff(2, 2);  // a b, match len 3 dist 2, EOB
  EXPECT_EQ(InflateAll(b.done(), 100), Bytes("ababa"));

  Bits first;
  DynamicHeader(first, 257, 1, {{16, 0}});
  EXPECT_ARC_CODE(InflateAll(first.done(), 10), "041");
  Bits past;
  DynamicHeader(past, 257, 1, {{18, 127}, {18, 127}, {18, 0}});  // 138+138+11 > 258
  EXPECT_ARC_CODE(InflateAll(past.done(), 10), "042");
  // All distance lengths zero: a literal-only block is valid.
  Bits lit;
  DynamicHeader(lit, 257, 1, {{18, 86}, {1, 0}, {18, 127}, {18, 9}, {1, 0}, {0, 0}});
  lit.huff(0, 1).huff(0, 1).huff(1, 1);
  EXPECT_EQ(InflateAll(lit.done(), 100), Bytes("aa"));
}

TEST(Inflate, CodeCountsAboveTheAlphabetsAreRefused) {
  // The largest counts the format has: 286 literal/length and 30 distance codes.
  Bits most;
  DynamicHeader(most, 286, 30,
                {{18, 86}, {2, 0}, {2, 0}, {18, 127}, {18, 8}, {2, 0}, {2, 0}, {18, 17}, {1, 0}, {1, 0}, {18, 17}});
  most.huff(0, 2).huff(1, 2).huff(3, 2).huff(1, 1).huff(2, 2);  // a b, match len 3 dist 2, EOB
  EXPECT_EQ(InflateAll(most.done(), 100), Bytes("ababa"));
  // One more of either is refused before any code length is read.
  for (int hlit : {287, 288}) {
    Bits b;
    DynamicHeader(b, hlit, 1, {});
    EXPECT_ARC_CODE(InflateAll(b.done(), 10), "070");
  }
  for (int hdist : {31, 32}) {
    Bits b;
    DynamicHeader(b, 257, hdist, {});
    EXPECT_ARC_CODE(InflateAll(b.done(), 10), "071");
  }
}

TEST(Inflate, MemoryOutputAndProgress) {
  std::vector<uint8_t> data = Bytes(MakeText(500, 5));
  std::vector<uint8_t> comp = DeflateBytes(data.data(), data.size());
  ArcState st;
  uint8_t mem[100 + 2000] = {0};
  st.m_nArcOutMax = 100;
  st.m_pArcOutBuf = mem;
  st.m_nArcInSize = static_cast<int32_t>(comp.size());
  ZipBitReader r(st, comp.data());
  Inflater inf(r);
  ZipCrc32 sink(st, nullptr, 500);
  Inflater::Inflate(inf, sink);
  EXPECT_EQ(std::memcmp(mem, data.data(), 100), 0);
  EXPECT_EQ(mem[100], 0);
  EXPECT_EQ(st.m_nArcOutLen, 499);
  EXPECT_EQ(sink.Count(), 500);
  EXPECT_EQ(st.m_nArcProgress, 0);
  EXPECT_EQ(sink.Crc(), Crc32(data.data(), data.size()));
  // A target larger than the data: every byte counts, the final block ends it.
  ArcState st2;
  InflateAll(comp, 100000, &st2);
  EXPECT_EQ(st2.m_nArcOutLen, 500);
  // A target smaller than the data stops there and says the data goes on.
  ArcState st3;
  st3.m_nArcInSize = static_cast<int32_t>(comp.size());
  std::ostringstream out3;
  ZipBitReader r3(st3, comp.data());
  Inflater inf3(r3);
  ZipCrc32 sink3(st3, &out3, 10);
  EXPECT_ARC_CODE(Inflater::Inflate(inf3, sink3), "072");
  EXPECT_EQ(out3.str(), std::string(data.begin(), data.begin() + 10));
  EXPECT_EQ(sink3.Count(), 10);
  EXPECT_EQ(st3.m_nArcProgress, 0);
  // The data cut short: "050", never a quiet stop.
  std::vector<uint8_t> cut(comp.begin(), comp.end() - 3);
  EXPECT_ARC_CODE(InflateAll(cut, 500), "050");
}

}  // namespace
}  // namespace arc
