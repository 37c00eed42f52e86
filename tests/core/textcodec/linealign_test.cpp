// The line diff a save uses to find the lines of the file an edited text
// still has: it pairs as many lines as the best diff, in order, each with a
// line that reads the same; it doubts pairings another diff as good would
// change; it stays within its bounds on texts with many edits.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "core/textcodec/linealign.h"

namespace {

using textcodec::AlignLines;
using textcodec::LineAlignment;
using textcodec::LineHash;

std::vector<std::string> Lines(const std::string& s) {
  std::vector<std::string> v;
  for (std::size_t pos = 0; pos < s.size();) {
    const std::size_t e = textcodec::NextLineEnd(s.data(), s.size(), pos);
    v.push_back(s.substr(pos, e - pos));
    pos = e;
  }
  return v;
}

// Every line of `before` has bytes of its own unless `sameBytes`.
LineAlignment Align(const std::string& before, const std::string& after, bool sameBytes = false,
                    std::size_t exactCells = textcodec::kAlignExactCells) {
  std::vector<std::uint64_t> h;
  for (const auto& l : Lines(before)) h.push_back(LineHash(l.data(), l.size()));
  return AlignLines(
      h.data(), h.size(), after.data(), after.size(),
      [sameBytes](std::size_t i, std::size_t k) { return sameBytes || i == k; }, exactCells);
}

// The runs are in order, read the same on both sides, and their bytes are
// the new text's lines.
std::size_t CheckRuns(const std::string& before, const std::string& after, const LineAlignment& a) {
  const auto ol = Lines(before), nl = Lines(after);
  EXPECT_EQ(nl.size(), a.newCount);
  std::size_t paired = 0, lastOld = 0, lastNew = 0;
  for (const auto& r : a.runs) {
    EXPECT_GE(r.oldBegin, lastOld);
    EXPECT_GE(r.newBegin, lastNew);
    std::string bytes;
    for (std::size_t u = 0; u < r.count; ++u) {
      EXPECT_EQ(ol.at(r.oldBegin + u), nl.at(r.newBegin + u));
      bytes += nl.at(r.newBegin + u);
    }
    EXPECT_EQ(bytes, after.substr(r.byteBegin, r.byteEnd - r.byteBegin));
    lastOld = r.oldBegin + r.count;
    lastNew = r.newBegin + r.count;
    paired += r.count;
  }
  return paired;
}

std::size_t LcsLength(const std::vector<std::string>& a, const std::vector<std::string>& b) {
  std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1, 0));
  for (std::size_t i = a.size(); i-- > 0;)
    for (std::size_t j = b.size(); j-- > 0;)
      d[i][j] = a[i] == b[j] ? d[i + 1][j + 1] + 1 : std::max(d[i + 1][j], d[i][j + 1]);
  return d[0][0];
}

TEST(LineAlign, AnUnchangedTextIsOneRunWithoutDoubts) {
  const std::string t = "a\nb\n\nb\nlast";
  const LineAlignment a = Align(t, t);
  ASSERT_EQ(1u, a.runs.size());
  EXPECT_EQ(5u, a.runs[0].count);
  EXPECT_EQ(t.size(), a.runs[0].byteEnd);
  EXPECT_TRUE(a.doubtful.empty());
  // A final line end added or taken away changes the last line only.
  EXPECT_EQ(4u, CheckRuns(t, t + "\n", Align(t, t + "\n")));
  EXPECT_EQ(0u, Align("", "x\n").runs.size());
  EXPECT_EQ(0u, Align("x\n", "").runs.size());
}

TEST(LineAlign, PairsAsManyLinesAsTheBestDiff) {
  std::mt19937 rng(7);
  const char* pool[] = {"a\n", "b\n", "c\n", "\n", "a"};
  for (int round = 0; round < 3000; ++round) {
    std::string x, y;
    const int n = rng() % 12, m = rng() % 12;
    for (int i = 0; i < n; ++i) x += pool[rng() % 4];
    for (int i = 0; i < m; ++i) y += pool[rng() % 4];
    if (rng() % 4 == 0) x += pool[4];
    if (rng() % 4 == 0) y += pool[4];
    // The exact diff, and Myers's diff (taken for windows too large for it).
    EXPECT_EQ(LcsLength(Lines(x), Lines(y)), CheckRuns(x, y, Align(x, y))) << x << "|" << y;
    EXPECT_EQ(LcsLength(Lines(x), Lines(y)), CheckRuns(x, y, Align(x, y, false, 0))) << x << "|" << y;
  }
}

// The number of doubted pairs, exactly and with Myers's diff; `lines`
// lists them where the pairing has only one choice.
void ExpectDoubts(const char* before, const char* after, std::size_t count, std::vector<std::size_t> lines = {},
                  bool sameBytes = false) {
  for (std::size_t cells : {textcodec::kAlignExactCells, std::size_t{0}}) {
    const LineAlignment a = Align(before, after, sameBytes, cells);
    EXPECT_EQ(count, a.doubtful.size()) << before << "|" << after << " cells " << cells;
    if (!lines.empty()) {
      EXPECT_EQ(lines, a.doubtful) << before << "|" << after << " cells " << cells;
    }
  }
}

TEST(LineAlign, DoubtsPairingsThatAnotherAsGoodDiffMoves) {
  // A line inserted beside a line that reads the same: either may be the new one.
  ExpectDoubts("k\nmid\n", "k\nk\nmid\n", 1, {0});
  ExpectDoubts("mid\nk\n", "mid\nk\nk\n", 1, {1});
  // Two lines inserted before two that read as they do: both doubted.
  ExpectDoubts("x\nk\nl\n", "x\nk\nl\nk\nl\n", 2, {1, 2});
  // Not beside it: no doubt.
  ExpectDoubts("k\nmid\n", "k\nmid\nk\n", 0);
  // Two lines that changed places: whichever is paired is doubted.
  LineAlignment a = Align("k\nb\n", "b\nk\n");
  EXPECT_EQ(1u, CheckRuns("k\nb\n", "b\nk\n", a));
  EXPECT_EQ(1u, a.doubtful.size());
  a = Align("k\nb\n", "b\nk\n", false, 0);
  EXPECT_EQ(1u, a.doubtful.size());
  // A deleted line beside one that reads the same: a doubt only when their bytes differ.
  ExpectDoubts("k\nk\nz\n", "k\nz\n", 1);
  ExpectDoubts("k\nk\nz\n", "k\nz\n", 0, {}, true);
  // Any two of four lines that read the same may stay.
  ExpectDoubts("k\nk\nk\nk\n", "k\nk\n", 2);
  ExpectDoubts("k\nk\nk\nk\n", "k\nk\n", 0, {}, true);
}

TEST(LineAlign, ALongTextWithFewEditsIsFastAndExact) {
  std::string x;
  for (int i = 0; i < 400000; ++i) x += "line " + std::to_string(i % 1000) + (i % 3 ? " text\n" : "\n");
  std::vector<std::string> lines = Lines(x);
  lines.insert(lines.begin() + 300000, "typed\n");
  lines.erase(lines.begin() + 200000);
  lines[100] = "changed\n";
  std::string y;
  for (const auto& l : lines) y += l;
  const auto start = std::chrono::steady_clock::now();
  const LineAlignment a = Align(x, y);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(400000u - 2, CheckRuns(x, y, a));
  EXPECT_LT(seconds, 5.0);  // sanitizer build; about 0.1 s optimised
}

TEST(LineAlign, ManyEditsStayWithinTheBound) {
  // Every other line changed in a text of a few distinct lines: no anchors,
  // far more edits than the diff follows. It ends, and what it pairs is sound.
  std::mt19937 rng(11);
  std::string x, y;
  for (int i = 0; i < 200000; ++i) {
    const std::string l = std::to_string(rng() % 4) + "\n";
    x += l;
    y += (i % 2) ? std::to_string(rng() % 4) + "\n" : l;
  }
  const auto start = std::chrono::steady_clock::now();
  const LineAlignment a = Align(x, y);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  CheckRuns(x, y, a);
  EXPECT_LT(seconds, 20.0);
}

// New lines paired for certain: paired, and the old line not doubted.
std::vector<std::size_t> CertainNewLines(const LineAlignment& a) {
  std::vector<std::size_t> v;
  for (const auto& r : a.runs)
    for (std::size_t u = 0; u < r.count; ++u)
      if (!std::binary_search(a.doubtful.begin(), a.doubtful.end(), r.oldBegin + u)) v.push_back(r.newBegin + u);
  return v;
}

TEST(LineAlign, ALargeWindowIsExactAroundEachChange) {
  // 2000 lines, edits near the top and near the bottom among lines that read
  // the same ("k") but come from different bytes (class 0 or 1): the window
  // between is too large for the exact diff, the parts around the changes
  // are not, and the certain pairs are those of the exact diff of everything.
  std::mt19937 rng(5);
  for (int round = 0; round < 25; ++round) {
    std::vector<std::string> lines;
    std::vector<int> cls;
    for (int i = 0; i < 2000; ++i) {
      const bool k = (i >= 10 && i < 20) || (i >= 1900 && i < 1910);
      lines.push_back(k ? std::string(rng() % 4 ? "k\n" : "j\n") : "u" + std::to_string(i) + "\n");
      cls.push_back(k ? static_cast<int>(rng() % 2) : i);
    }
    std::vector<std::string> edited = lines;
    if (round == 0) {
      // Five lines "k" of the classes 0 1 0 0 0, the last two deleted: the
      // first "k" left may be the one of class 1, which neither a diff from
      // the start nor one from the end shows.
      for (int i = 10; i < 15; ++i) lines[i] = edited[i] = "k\n", cls[i] = i == 11;
      edited.erase(edited.begin() + 13, edited.begin() + 15);
      edited[1950] = "changed\n";
    }
    for (int e = 0; e < (round == 0 ? 0 : 4); ++e) {
      const std::size_t at = (rng() % 2 ? 10 : 1890) + rng() % 10;
      if (rng() % 2)
        edited.erase(edited.begin() + at);
      else
        edited.insert(edited.begin() + at, rng() % 4 ? "k\n" : "j\n");
    }
    std::string after;
    for (const auto& l : edited) after += l;
    std::vector<std::uint64_t> h;
    for (const auto& l : lines) h.push_back(LineHash(l.data(), l.size()));
    auto same = [&](std::size_t i, std::size_t k) { return cls[i] == cls[k]; };
    const LineAlignment big = AlignLines(h.data(), h.size(), after.data(), after.size(), same);
    const LineAlignment exact =
        AlignLines(h.data(), h.size(), after.data(), after.size(), same, std::size_t{1} << 24);
    std::size_t pairedBig = 0, pairedExact = 0;
    for (const auto& r : big.runs) pairedBig += r.count;
    for (const auto& r : exact.runs) pairedExact += r.count;
    EXPECT_EQ(pairedExact, pairedBig) << round;
    EXPECT_EQ(CertainNewLines(exact), CertainNewLines(big)) << round;
  }
}

}  // namespace
