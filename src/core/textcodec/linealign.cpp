#include "core/textcodec/linealign.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

namespace textcodec {

namespace {

struct Pair {
  std::size_t i, j;  // old line, new line
};

// Work still allowed to one diff (forward or backward) of the middle lines.
struct Budget {
  std::size_t left;
  bool Spend(std::size_t n) {
    if (n > left) {
      left = 0;
      return false;
    }
    left -= n;
    return true;
  }
};

// Myers's greedy diff of a[0..n) and b[0..m): appends the pairs (offset by
// ao, bo) and returns true, or false when it would need more than `limit`
// work or kAlignMaxEdits edits. Row d of the history holds the furthest x on
// diagonals -d..d (x - y = k), -1 where no path of d edits stays in the grid.
bool Myers(const std::uint64_t* a, std::size_t n, const std::uint64_t* b, std::size_t m, std::size_t ao,
           std::size_t bo, Budget& budget, std::size_t limit, std::vector<Pair>& out) {
  using Index = std::ptrdiff_t;
  const Index N = static_cast<Index>(n), M = static_cast<Index>(m);
  const Index maxD = static_cast<Index>(std::min<std::size_t>(n + m, kAlignMaxEdits));
  std::vector<Index> hist;
  std::size_t work = 0;
  auto row = [&](Index d) { return hist.data() + d * d; };  // rows 0..d-1 take d*d entries
  auto snake = [&](Index x, Index k) {
    Index y = x - k;
    const Index x0 = x;
    while (x < N && y < M && a[x] == b[y]) ++x, ++y;
    work += static_cast<std::size_t>(x - x0) + 1;
    return x;
  };
  // Start of diagonal k's step d from row d-1: down from k+1 or right from
  // k-1, the one reaching further (down on a tie); -1 when neither stays in.
  auto from = [&](const Index* prev, Index d, Index k, bool* down) {
    Index dx = -1, rx = -1;
    if (k + 1 <= d - 1) {
      const Index x = prev[k + 1 + d - 1];
      if (x >= 0 && x - k <= M) dx = x;
    }
    if (k - 1 >= -(d - 1)) {
      const Index x = prev[k - 1 + d - 1];
      if (x >= 0 && x + 1 <= N) rx = x + 1;
    }
    *down = dx >= rx;
    return *down ? dx : rx;
  };

  Index found = -1;
  hist.push_back(snake(0, 0));
  if (hist[0] == N && N == M) found = 0;
  for (Index d = 1; found < 0 && d <= maxD; ++d) {
    hist.resize(static_cast<std::size_t>((d + 1) * (d + 1)), -1);
    const Index* prev = row(d - 1);
    Index* cur = row(d);
    for (Index k = -d; k <= d; k += 2) {
      bool down;
      Index x = from(prev, d, k, &down);
      if (x >= 0) x = snake(x, k);
      cur[k + d] = x;
      if (k == N - M && x == N) found = d;
    }
    if (work > limit) break;
  }
  budget.Spend(work);
  if (found < 0) return false;

  // Back from (N, M): each step's snake gives pairs.
  std::vector<Pair> rev;
  Index x = N, k = N - M;
  for (Index d = found; d > 0; --d) {
    bool down;
    const Index sx = from(row(d - 1), d, k, &down);
    for (Index t = x - 1; t >= sx; --t) rev.push_back({static_cast<std::size_t>(t), static_cast<std::size_t>(t - k)});
    if (down) {
      x = sx;
      k = k + 1;
    } else {
      x = sx - 1;
      k = k - 1;
    }
  }
  for (Index t = x - 1; t >= 0; --t) rev.push_back({static_cast<std::size_t>(t), static_cast<std::size_t>(t)});
  for (auto it = rev.rbegin(); it != rev.rend(); ++it) out.push_back({it->i + ao, it->j + bo});
  return true;
}

// Lines found exactly once in a[0..n) and once in b[0..m), the longest run of
// them in the same order in both (offset by ao, bo).
void UniqueAnchors(const std::uint64_t* a, std::size_t n, const std::uint64_t* b, std::size_t m, std::size_t ao,
                   std::size_t bo, std::vector<Pair>& anchors) {
  struct Seen {
    std::size_t inA = 0, inB = 0, i = 0, j = 0;
  };
  std::unordered_map<std::uint64_t, Seen> seen;
  seen.reserve(n + m);
  for (std::size_t i = 0; i < n; ++i) {
    Seen& s = seen[a[i]];
    ++s.inA;
    s.i = i;
  }
  for (std::size_t j = 0; j < m; ++j) {
    Seen& s = seen[b[j]];
    ++s.inB;
    s.j = j;
  }
  std::vector<Pair> unique;
  for (std::size_t j = 0; j < m; ++j) {
    const Seen& s = seen[b[j]];
    if (s.inA == 1 && s.inB == 1) unique.push_back({s.i, j});
  }
  // Longest strictly increasing run of old lines (patience sorting).
  std::vector<std::size_t> tails, back(unique.size(), SIZE_MAX);
  for (std::size_t u = 0; u < unique.size(); ++u) {
    auto at = std::lower_bound(tails.begin(), tails.end(), unique[u].i,
                               [&](std::size_t t, std::size_t i) { return unique[t].i < i; });
    if (at != tails.begin()) back[u] = *(at - 1);
    if (at == tails.end())
      tails.push_back(u);
    else
      *at = u;
  }
  std::vector<Pair> run;
  for (std::size_t u = tails.empty() ? SIZE_MAX : tails.back(); u != SIZE_MAX; u = back[u])
    run.push_back({unique[u].i + ao, unique[u].j + bo});
  anchors.assign(run.rbegin(), run.rend());
}

// A line diff of a[0..n) and b[0..m): the pairs, ascending.
std::vector<Pair> Diff(const std::uint64_t* a, std::size_t n, const std::uint64_t* b, std::size_t m) {
  struct Part {
    std::size_t a0, a1, b0, b1;
  };
  Budget budget{kAlignWorkBudget + 64 * (n + m)};
  std::vector<Pair> out;
  std::vector<Part> todo{{0, n, 0, m}};
  while (!todo.empty()) {
    Part p = todo.back();
    todo.pop_back();
    while (p.a0 < p.a1 && p.b0 < p.b1 && a[p.a0] == b[p.b0]) out.push_back({p.a0++, p.b0++});
    while (p.a0 < p.a1 && p.b0 < p.b1 && a[p.a1 - 1] == b[p.b1 - 1]) out.push_back({--p.a1, --p.b1});
    const std::size_t pn = p.a1 - p.a0, pm = p.b1 - p.b0;
    if (pn == 0 || pm == 0) continue;
    const std::size_t limit = std::min(budget.left / 2, 8 * (pn + pm) + (std::size_t{1} << 16));
    if (Myers(a + p.a0, pn, b + p.b0, pm, p.a0, p.b0, budget, limit, out)) continue;
    if (!budget.Spend(pn + pm)) continue;
    std::vector<Pair> anchors;
    UniqueAnchors(a + p.a0, pn, b + p.b0, pm, p.a0, p.b0, anchors);
    std::size_t a0 = p.a0, b0 = p.b0;
    for (const Pair& q : anchors) {
      out.push_back(q);
      todo.push_back({a0, q.i, b0, q.j});
      a0 = q.i + 1;
      b0 = q.j + 1;
    }
    if (!anchors.empty()) todo.push_back({a0, p.a1, b0, p.b1});
  }
  // In order of the old lines (each is paired once at most).
  std::vector<std::size_t> partner(n, SIZE_MAX);
  for (const Pair& q : out) partner[q.i] = q.j;
  out.clear();
  for (std::size_t i = 0; i < n; ++i)
    if (partner[i] != SIZE_MAX) out.push_back({i, partner[i]});
  return out;
}

// The exact diff of a[0..n) and b[0..m) (lengths of the common subsequences
// of every head and tail, n*m cells): one best pairing, and the old lines
// (offset by base) it pairs where another best pairing leaves the new line
// unpaired or pairs it with a line whose bytes differ (same()).
void ExactDiff(const std::uint64_t* a, std::size_t n, const std::uint64_t* b, std::size_t m, std::size_t base,
               const SameBytes& same, std::vector<Pair>& pairs, std::vector<std::size_t>& doubtful) {
  // Values fit 16 bits: the cells bound keeps min(n, m) far below 65536.
  const std::size_t W = m + 1;
  std::vector<std::uint16_t> head((n + 1) * W, 0), tail((n + 1) * W, 0);
  for (std::size_t i = 1; i <= n; ++i)
    for (std::size_t j = 1; j <= m; ++j)
      head[i * W + j] = a[i - 1] == b[j - 1] ? static_cast<std::uint16_t>(head[(i - 1) * W + j - 1] + 1)
                                             : std::max(head[(i - 1) * W + j], head[i * W + j - 1]);
  for (std::size_t i = n; i-- > 0;)
    for (std::size_t j = m; j-- > 0;)
      tail[i * W + j] = a[i] == b[j] ? static_cast<std::uint16_t>(tail[(i + 1) * W + j + 1] + 1)
                                     : std::max(tail[(i + 1) * W + j], tail[i * W + j + 1]);
  const unsigned best = head[n * W + m];
  for (std::size_t i = n, j = m; i > 0 && j > 0;) {
    if (a[i - 1] == b[j - 1]) {
      pairs.push_back({--i, --j});
    } else if (head[(i - 1) * W + j] >= head[i * W + j - 1]) {
      --i;
    } else {
      --j;
    }
  }
  std::reverse(pairs.begin(), pairs.end());
  for (const Pair& p : pairs) {
    bool doubt = false;
    for (std::size_t i = 0; i <= n && !doubt; ++i) {
      const unsigned before = head[i * W + p.j];
      // A best pairing without line j, or one that gives it other bytes.
      if (before + tail[i * W + p.j + 1] == best) doubt = true;
      if (i < n && i != p.i && a[i] == b[p.j] && before + 1 + tail[(i + 1) * W + p.j + 1] == best &&
          !same(base + i, base + p.i))
        doubt = true;
    }
    if (doubt) doubtful.push_back(base + p.i);
  }
}

// The pairs of a diff too large for ExactDiff, made exact near each change:
// around every place the pairs leave lines unpaired, kAlignContext pairs on
// each side and the lines between are diffed again exactly (while the cells
// allow it); the pairs beyond keep `disputed` as their doubt.
void RefineAroundChanges(const std::uint64_t* a, std::size_t n, const std::uint64_t* b, std::size_t m,
                         std::size_t base, const SameBytes& same, std::size_t exactCells,
                         const std::vector<Pair>& in, const std::vector<bool>& disputed, std::vector<Pair>& out,
                         std::vector<std::size_t>& doubtful) {
  const std::size_t P = in.size();
  auto changeBefore = [&](std::size_t t) {  // lines left unpaired just before in[t] (t == P: at the end)
    const std::size_t i = t < P ? in[t].i : n, j = t < P ? in[t].j : m;
    return t == 0 ? (i > 0 || j > 0) : (i != in[t - 1].i + 1 || j != in[t - 1].j + 1);
  };
  auto keep = [&](std::size_t from, std::size_t to) {
    for (std::size_t t = from; t < to; ++t) {
      out.push_back(in[t]);
      if (disputed[t]) doubtful.push_back(base + in[t].i);
    }
  };
  std::size_t done = 0, cellsLeft = kAlignRefineCells;
  for (std::size_t t = 0; t <= P; ++t) {
    if (!changeBefore(t)) continue;
    const std::size_t lo = std::max(done, t > kAlignContext ? t - kAlignContext : 0);
    std::size_t hi = std::min(P, t + kAlignContext);
    for (std::size_t u = t + 1; u <= P && u <= hi + kAlignContext; ++u)
      if (changeBefore(u)) hi = std::min(P, u + kAlignContext);
    const std::size_t i0 = lo == 0 ? 0 : in[lo - 1].i + 1, i1 = hi == P ? n : in[hi].i;
    const std::size_t j0 = lo == 0 ? 0 : in[lo - 1].j + 1, j1 = hi == P ? m : in[hi].j;
    keep(done, lo);
    const std::size_t cells = i1 - i0 + 1 <= exactCells / (j1 - j0 + 1) ? (i1 - i0 + 1) * (j1 - j0 + 1) : SIZE_MAX;
    if (cells <= cellsLeft) {
      cellsLeft -= cells;
      std::vector<Pair> local;
      ExactDiff(a + i0, i1 - i0, b + j0, j1 - j0, base + i0, same, local, doubtful);
      for (const Pair& q : local) out.push_back({q.i + i0, q.j + j0});
    } else {
      keep(lo, hi);
    }
    done = hi;
    t = hi;  // the change before in[hi] lies inside this part
  }
  keep(done, P);
}

// Start of the line that ends at `end` (> lo), not before lo.
std::size_t LineStartBefore(const char* p, std::size_t lo, std::size_t end) {
  for (std::size_t i = end - 1; i > lo; --i)
    if (p[i - 1] == '\n') return i;
  return lo;
}

bool SameLine(const char* p, std::size_t b1, std::size_t e1, std::size_t b2, std::size_t e2) {
  return e1 - b1 == e2 - b2 && std::memcmp(p + b1, p + b2, e1 - b1) == 0;
}

}  // namespace

std::uint64_t LineHash(const char* p, std::size_t n) {
  // Eight bytes a step, then the rest; the length goes in last.
  constexpr std::uint64_t kMul = 0x9E3779B97F4A7C15ull;
  std::uint64_t h = 0x6A09E667F3BCC909ull;
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    std::uint64_t w;
    std::memcpy(&w, p + i, 8);
    h = (h ^ w) * kMul;
    h ^= h >> 29;
  }
  std::uint64_t w = 0;
  for (std::size_t s = 0; i < n; ++i, s += 8) w |= static_cast<std::uint64_t>(static_cast<unsigned char>(p[i])) << s;
  h = (h ^ w) * kMul;
  h ^= h >> 29;
  h = (h ^ n) * 0xBF58476D1CE4E5B9ull;
  h ^= h >> 31;
  h *= 0x94D049BB133111EBull;
  return h ^ (h >> 32);
}

std::size_t NextLineEnd(const char* p, std::size_t n, std::size_t pos) {
  const void* lf = std::memchr(p + pos, '\n', n - pos);
  return lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - p) + 1 : n;
}

LineAlignment AlignLines(const std::uint64_t* oldHashes, std::size_t oldCount, const char* text, std::size_t len,
                         const SameBytes& same, std::size_t exactCells) {
  LineAlignment r;
  if (text == nullptr) len = 0;
  // The lines both texts start with, then those they end with.
  std::size_t head = 0, pos = 0;
  while (pos < len && head < oldCount) {
    const std::size_t e = NextLineEnd(text, len, pos);
    if (LineHash(text + pos, e - pos) != oldHashes[head]) break;
    ++head;
    pos = e;
  }
  std::size_t tail = 0, end = len;
  while (end > pos && tail < oldCount - head) {
    const std::size_t s = LineStartBefore(text, pos, end);
    if (LineHash(text + s, end - s) != oldHashes[oldCount - 1 - tail]) break;
    ++tail;
    end = s;
  }
  // The window: the lines between and a few of the shared ones on each side.
  // A run of equal lines across its edge goes in whole (up to a bound): any
  // of them could be the one paired.
  const bool unchanged = pos == end && head + tail == oldCount;
  std::size_t ctxBefore = unchanged ? 0 : std::min(head, kAlignContext);
  std::size_t ctxAfter = unchanged ? 0 : std::min(tail, kAlignContext);
  while (!unchanged && ctxBefore < head && ctxBefore < kAlignContextRun &&
         oldHashes[head - ctxBefore - 1] == oldHashes[head - ctxBefore])
    ++ctxBefore;
  const std::size_t tail0 = oldCount - tail;
  while (!unchanged && ctxAfter < tail && ctxAfter < kAlignContextRun &&
         oldHashes[tail0 + ctxAfter] == oldHashes[tail0 + ctxAfter - 1])
    ++ctxAfter;
  std::size_t wpos = pos, wend = end;
  for (std::size_t u = 0; u < ctxBefore; ++u) wpos = LineStartBefore(text, 0, wpos);
  for (std::size_t u = 0; u < ctxAfter; ++u) wend = NextLineEnd(text, len, wend);
  std::vector<std::size_t> starts;
  std::vector<std::uint64_t> hashes;
  for (std::size_t q = wpos; q < wend;) {
    const std::size_t e = NextLineEnd(text, wend, q);
    starts.push_back(q);
    hashes.push_back(LineHash(text + q, e - q));
    q = e;
  }
  starts.push_back(wend);
  const std::size_t w0 = head - ctxBefore;  // first window line, old and new
  const std::size_t wn = oldCount - tail + ctxAfter - w0, wm = hashes.size();
  r.newCount = w0 + wm + tail - ctxAfter;

  auto add = [&](std::size_t o, std::size_t nw, std::size_t count, std::size_t b0, std::size_t b1) {
    if (count == 0) return;
    if (!r.runs.empty()) {
      LineRun& last = r.runs.back();
      if (last.oldBegin + last.count == o && last.newBegin + last.count == nw) {
        last.count += count;
        last.byteEnd = b1;
        return;
      }
    }
    r.runs.push_back({o, nw, count, b0, b1});
  };
  add(0, 0, w0, 0, wpos);
  if (wn > 0 && wm > 0) {
    std::vector<Pair> pairs;
    if (wn + 1 <= exactCells / (wm + 1)) {
      ExactDiff(oldHashes + w0, wn, hashes.data(), wm, w0, same, pairs, r.doubtful);
    } else {
      // Too large for the exact test: a diff from the start, one from the
      // end to doubt it, and the exact test around each change.
      const std::vector<Pair> forward = Diff(oldHashes + w0, wn, hashes.data(), wm);
      std::vector<std::uint64_t> ra(oldHashes + w0, oldHashes + w0 + wn), rb(hashes.rbegin(), hashes.rend());
      std::reverse(ra.begin(), ra.end());
      std::vector<Pair> backward = Diff(ra.data(), wn, rb.data(), wm);
      for (Pair& q : backward) q = {wn - 1 - q.i, wm - 1 - q.j};
      std::reverse(backward.begin(), backward.end());
      std::vector<bool> disputed(forward.size(), false);
      std::size_t bi = 0;
      for (std::size_t f = 0; f < forward.size(); ++f) {
        const Pair& q = forward[f];
        while (bi < backward.size() && backward[bi].j < q.j) ++bi;
        disputed[f] = bi == backward.size() || backward[bi].j != q.j ||
                      (backward[bi].i != q.i && !same(w0 + backward[bi].i, w0 + q.i));
      }
      RefineAroundChanges(oldHashes + w0, wn, hashes.data(), wm, w0, same, exactCells, forward, disputed, pairs,
                          r.doubtful);
    }
    for (const Pair& q : pairs) add(w0 + q.i, w0 + q.j, 1, starts[q.j], starts[q.j + 1]);
  }
  add(oldCount - tail + ctxAfter, w0 + wm, tail - ctxAfter, wend, len);

  // Slides: an inserted or deleted block beside a run of lines that read as
  // its own first (or last) lines could as well sit one line further, and
  // those run lines pair differently then.
  const std::size_t R = r.runs.size();
  for (std::size_t g = 0; R > 0 && g <= R; ++g) {
    const LineRun* before = g > 0 ? &r.runs[g - 1] : nullptr;
    const LineRun* after = g < R ? &r.runs[g] : nullptr;
    const std::size_t o0 = before ? before->oldBegin + before->count : 0;
    const std::size_t o1 = after ? after->oldBegin : oldCount;
    const std::size_t n0 = before ? before->newBegin + before->count : 0;
    const std::size_t n1 = after ? after->newBegin : r.newCount;
    const std::size_t b0 = before ? before->byteEnd : 0, b1 = after ? after->byteBegin : len;
    if (n1 > n0) {
      if (after) {  // the inserted lines one further down, again and again
        std::size_t c1 = b0, c2 = after->byteBegin;
        for (std::size_t u = 0; u < after->count; ++u) {
          const std::size_t e1 = NextLineEnd(text, len, c1), e2 = NextLineEnd(text, len, c2);
          if (!SameLine(text, c1, e1, c2, e2)) break;
          r.doubtful.push_back(after->oldBegin + u);
          c1 = e1;
          c2 = e2;
        }
      }
      if (before) {  // ... and up
        std::size_t c1 = b1, c2 = before->byteEnd;
        for (std::size_t u = 0; u < before->count; ++u) {
          const std::size_t s1 = LineStartBefore(text, 0, c1), s2 = LineStartBefore(text, 0, c2);
          if (!SameLine(text, s1, c1, s2, c2)) break;
          r.doubtful.push_back(before->oldBegin + before->count - 1 - u);
          c1 = s1;
          c2 = s2;
        }
      }
    }
    if (o1 > o0) {  // the deleted lines one further down, and up
      for (std::size_t u = 0; after && u < after->count && oldHashes[o0 + u] == oldHashes[after->oldBegin + u]; ++u)
        if (!same(after->oldBegin + u, o0 + u)) r.doubtful.push_back(after->oldBegin + u);
      const std::size_t last = before ? before->oldBegin + before->count : 0;
      for (std::size_t u = 0; before && u < before->count && oldHashes[o1 - 1 - u] == oldHashes[last - 1 - u]; ++u)
        if (!same(last - 1 - u, o1 - 1 - u)) r.doubtful.push_back(last - 1 - u);
    }
  }
  std::sort(r.doubtful.begin(), r.doubtful.end());
  r.doubtful.erase(std::unique(r.doubtful.begin(), r.doubtful.end()), r.doubtful.end());
  return r;
}

}  // namespace textcodec
