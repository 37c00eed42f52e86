#include "csv/csv_loadscan.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <cstring>
#include <thread>
#include <vector>

#include "core/textcodec/sjis_scan.h"
#include "csv/csv_cellbreaks.h"
#include "csv/csv_fastscan.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define TABRYE_LOADSCAN_SSE2 1
#endif

namespace csv {

namespace {

constexpr std::uint8_t kSix = 0x06;
constexpr std::uint8_t kEsc = 0x1B;

#if TABRYE_LOADSCAN_SSE2
inline __m128i Load(const std::uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline unsigned Mask(__m128i v) { return static_cast<unsigned>(_mm_movemask_epi8(v)); }
inline __m128i Splat(std::uint8_t c) { return _mm_set1_epi8(static_cast<char>(c)); }

// Bytes of x within [lo, hi] (unsigned).
inline unsigned InRange(__m128i x, std::uint8_t lo, std::uint8_t hi) {
  const __m128i d = _mm_sub_epi8(x, Splat(lo));
  return Mask(_mm_cmpeq_epi8(_mm_min_epu8(d, Splat(static_cast<std::uint8_t>(hi - lo))), d));
}

// Byte k of the result is 0xFF where bit k of m (16 bits) is set.
inline __m128i ExpandBits(unsigned m) {
  __m128i b = _mm_cvtsi32_si128(static_cast<int>(m));
  b = _mm_unpacklo_epi8(b, b);
  b = _mm_unpacklo_epi16(b, b);
  b = _mm_unpacklo_epi32(b, b);
  const __m128i bits = _mm_set_epi8(-128, 64, 32, 16, 8, 4, 2, 1, -128, 64, 32, 16, 8, 4, 2, 1);
  return _mm_cmpeq_epi8(_mm_and_si128(b, bits), bits);
}

// Prefix XOR: bit i is the parity of bits 0..i.
inline std::uint64_t PrefixXor(std::uint64_t x) {
  x ^= x << 1;
  x ^= x << 2;
  x ^= x << 4;
  x ^= x << 8;
  x ^= x << 16;
  x ^= x << 32;
  return x;
}

inline std::uint64_t Bits(unsigned m, int k) { return static_cast<std::uint64_t>(m & 0xFFFFu) << (16 * k); }

struct PieceState {
  std::uint64_t pairCarry = 0;  // byte 0 of the next block is a trail byte
  bool quoted = false;
};

// One 64-byte block of the pass; false when it is not clean Shift-JIS,
// holds a byte the pass does not take, or ends a row with a quote open.
inline bool Block(const std::uint8_t* src, std::uint8_t* dst, PieceState* st) {
  __m128i x[4];
  std::uint64_t high = 0, quote = 0, end = 0, comma = 0, six = 0;
  const __m128i vq = Splat('"'), vcr = Splat('\r'), vlf = Splat('\n'), vc = Splat(','), vs = Splat(kSix);
  const __m128i ve = Splat(kEsc), vcc = Splat(kCellCr), vcl = Splat(kCellLf);
  for (int k = 0; k < 4; ++k) {
    x[k] = Load(src + 16 * k);
    high |= Bits(Mask(x[k]), k);
    quote |= Bits(Mask(_mm_cmpeq_epi8(x[k], vq)), k);
    end |= Bits(Mask(_mm_or_si128(_mm_cmpeq_epi8(x[k], vcr), _mm_cmpeq_epi8(x[k], vlf))), k);
    comma |= Bits(Mask(_mm_cmpeq_epi8(x[k], vc)), k);
    six |= Bits(Mask(_mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(x[k], vs), _mm_cmpeq_epi8(x[k], ve)),
                                  _mm_or_si128(_mm_cmpeq_epi8(x[k], vcc), _mm_cmpeq_epi8(x[k], vcl)))),
                k);
  }
  if (six) return false;
  if (high | st->pairCarry) {
    std::uint64_t lead = 0, trail = 0;
    for (int k = 0; k < 4; ++k) {
      lead |= Bits(InRange(x[k], 0x81, 0x9F) | InRange(x[k], 0xE0, 0xFC), k);
      trail |= Bits(InRange(x[k], 0x40, 0xFC) & ~Mask(_mm_cmpeq_epi8(x[k], Splat(0x7F))), k);
    }
    const std::uint64_t second = textcodec::SjisSecondBytes(lead, &st->pairCarry);
    if (second & ~trail) return false;
  }
  // Bytes inside quotes: the parity of the quotes since the last line end
  // (or the state carried in), walked over the line ends only.
  std::uint64_t inside;
  if (quote == 0) {
    // No quote: the state carried in holds for the whole block, and a row
    // end inside an open quote is a quoted line break.
    if (st->quoted && end) return false;
    inside = st->quoted ? ~0ull : 0;
  } else {
    const std::uint64_t px = PrefixXor(quote);
    std::uint64_t base = st->quoted ? ~0ull : 0;
    inside = 0;
    unsigned from = 0;
    for (std::uint64_t e = end; e; e &= e - 1) {
      const unsigned k = static_cast<unsigned>(__builtin_ctzll(e));
      // The state just before this row end: a quote still open there may
      // be a quoted line break, which the careful path handles.
      if (k == 0 ? st->quoted : (k > from ? (((px ^ base) >> (k - 1)) & 1) != 0 : false)) return false;
      const std::uint64_t seg = ((1ull << k) - 1) & ~((1ull << from) - 1);
      inside |= (px ^ base) & seg;
      base = (px >> k & 1) ? ~0ull : 0;
      from = k + 1;
    }
    if (from < 64) inside |= (px ^ base) & (~0ull << from);
    st->quoted = (((px ^ base) >> 63) & 1) != 0;
  }
  const std::uint64_t change = comma & ~inside;
  for (int k = 0; k < 4; ++k) {
    const unsigned m = static_cast<unsigned>(change >> (16 * k)) & 0xFFFFu;
    __m128i out = x[k];
    if (m) {
      const __m128i sel = ExpandBits(m);
      out = _mm_or_si128(_mm_andnot_si128(sel, out), _mm_and_si128(sel, vs));
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 16 * k), out);
  }
  return true;
}
#endif

}  // namespace

bool SjisPieceToWorkingFormBytewise(const std::uint8_t* src, std::size_t n, std::uint8_t* dst) {
  if (textcodec::FindBrokenSjisLeadBytewise(src, n) != n) return false;
  for (std::size_t i = 0; i < n; ++i)
    if (src[i] == kSix || src[i] == kEsc || IsCellBreakCode(src[i])) return false;
  bool quoted = false;
  for (std::size_t i = 0; i < n; ++i) {
    if (src[i] == '"') quoted = !quoted;
    else if (src[i] == '\r' || src[i] == '\n') {
      if (quoted) return false;
    }
  }
  CommasToSeparatorsBytewise(src, n, dst);
  return true;
}

bool SjisPieceToWorkingForm(const std::uint8_t* src, std::size_t n, std::uint8_t* dst) {
#if TABRYE_LOADSCAN_SSE2
  if (FastScansOn()) {
    PieceState st;
    std::size_t i = 0;
    for (; n - i >= 64; i += 64)
      if (!Block(src + i, dst + i, &st)) return false;
    if (i < n) {
      // The tail through a block padded with NUL (no lead, no trail byte: a
      // lead at the very end fails the check, as it should).
      std::uint8_t in[64] = {}, out[64];
      std::memcpy(in, src + i, n - i);
      if (!Block(in, out, &st)) return false;
      std::memcpy(dst + i, out, n - i);
    } else if (st.pairCarry) {
      return false;  // a lead byte ends the piece
    }
    return true;
  }
#endif
  return SjisPieceToWorkingFormBytewise(src, n, dst);
}

std::size_t LoadPieceEnd(const std::uint8_t* src, std::size_t n, std::size_t pos, std::size_t piece) {
  if (n - pos <= piece) return n;
  const void* lf = std::memchr(src + pos + piece, '\n', n - pos - piece);
  return lf ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(lf) - src) + 1 : n;
}

bool PassWatch::Wait(std::uint64_t need, std::uint32_t* ready) {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [&] { return ended_ || ready_ > need; });
  *ready = static_cast<std::uint32_t>(ready_);
  return !failed_;
}

void PassWatch::Begin(std::vector<std::size_t> starts) {
  std::lock_guard<std::mutex> lock(mutex_);
  starts_ = std::move(starts);
  done_.assign(starts_.empty() ? 0 : starts_.size() - 1, false);
}

void PassWatch::Done(std::size_t piece) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (piece >= done_.size()) return;
  done_[piece] = true;
  const std::size_t before = prefix_;
  while (prefix_ < done_.size() && done_[prefix_]) ++prefix_;
  if (prefix_ == before) return;
  ready_ = starts_[prefix_];
  changed_.notify_all();
}

void PassWatch::Finish(bool ok) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (ended_) return;
  ended_ = true;
  failed_ = !ok;
  if (ok && !starts_.empty()) ready_ = starts_.back();
  changed_.notify_all();
}

namespace {
// Ends the watch however the pass leaves (a failed allocation included), so
// that its reader never waits for ever.
struct EndWatch {
  PassWatch* watch;
  bool ok = false;
  ~EndWatch() {
    if (watch) watch->Finish(ok);
  }
};
}  // namespace

bool SjisToWorkingForm(const std::uint8_t* src, std::size_t n, std::uint8_t* dst, int threads, std::size_t piece,
                       const docopen::LoadProgress* progress, bool* stopped, PassWatch* watch) {
  if (stopped) *stopped = false;
  EndWatch end{watch};
  if (piece == 0) piece = kPieceBytes;
  if (threads <= 0) {
    const unsigned cores = std::thread::hardware_concurrency();
    threads = n < kThreadedBytes ? 1 : static_cast<int>(std::min<unsigned>(cores ? cores : 1, kMaxLoadThreads));
  }
  threads = std::min(threads, kMaxLoadThreads);
  if (threads <= 1 && n <= piece) {
    if (watch) watch->Begin({0, n});
    return end.ok = SjisPieceToWorkingForm(src, n, dst);
  }

  // The pieces, each from a line start.
  std::vector<std::size_t> starts;
  for (std::size_t pos = 0; pos < n; pos = LoadPieceEnd(src, n, pos, piece)) starts.push_back(pos);
  starts.push_back(n);
  const std::size_t count = starts.size() - 1;
  if (watch) watch->Begin(starts);
  std::atomic<std::size_t> next{0}, finished{0};
  std::atomic<bool> failed{false}, stop{false};
  auto work = [&](bool polls) {
    for (;;) {
      const std::size_t k = next.fetch_add(1);
      if (k >= count || failed.load(std::memory_order_relaxed)) return;
      const std::size_t len = starts[k + 1] - starts[k];
      if (!SjisPieceToWorkingForm(src + starts[k], len, dst + starts[k]))
        failed.store(true, std::memory_order_relaxed);
      else if (watch)
        watch->Done(k);
      const std::size_t done = finished.fetch_add(len) + len;
      if (polls && progress && progress->poll && done < n && progress->poll(progress->context, done, n)) {
        stop.store(true);
        failed.store(true);
      }
    }
  };
  std::atomic<int> running{0};
  auto helper = [&]() {
    work(false);
    running.fetch_sub(1);
  };
  std::vector<std::thread> helpers;
  const int extra = static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(threads - 1), count - 1));
  for (int t = 0; t < extra; ++t) {
    try {
      running.fetch_add(1);
      helpers.emplace_back(helper);
    } catch (...) {
      running.fetch_sub(1);
      break;  // no more threads: the rest is done by those there are
    }
  }
  work(true);
  // The helpers' last pieces: this thread keeps polling while it waits.
  while (progress && progress->poll && running.load() > 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const std::size_t done = finished.load();
    if (running.load() > 0 && !stop.load() && progress->poll(progress->context, std::min(done, n - 1), n)) {
      stop.store(true);
      failed.store(true);
    }
  }
  for (auto& h : helpers) h.join();
  if (stopped) *stopped = stop.load();
  return end.ok = !failed.load();
}

void WorkingFormToFileText(const std::uint8_t* src, std::size_t n, std::uint8_t* dst) {
  std::size_t i = 0;
#if TABRYE_LOADSCAN_SSE2
  const __m128i six = Splat(kSix), comma = Splat(',');
  for (; n - i >= 16; i += 16) {
    const __m128i x = Load(src + i);
    const __m128i sel = _mm_cmpeq_epi8(x, six);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i),
                     _mm_or_si128(_mm_andnot_si128(sel, x), _mm_and_si128(sel, comma)));
  }
#endif
  for (; i < n; ++i) dst[i] = src[i] == kSix ? static_cast<std::uint8_t>(',') : src[i];
}

}  // namespace csv
