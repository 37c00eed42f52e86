#include "csv/csv_fastscan.h"

#include <atomic>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define TABRYE_CSV_SSE2 1
#endif

namespace csv {

namespace {
std::atomic<bool> g_fast{true};

#if TABRYE_CSV_SSE2
inline unsigned Mask(__m128i v) { return static_cast<unsigned>(_mm_movemask_epi8(v)); }
inline __m128i Load(const std::uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline unsigned LowestBit(unsigned m) { return static_cast<unsigned>(__builtin_ctz(m)); }
// Set bits of a 16-bit mask (SSE2 has no population count instruction).
inline std::uint32_t Count16(unsigned m) {
  m = m - ((m >> 1) & 0x5555u);
  m = (m & 0x3333u) + ((m >> 2) & 0x3333u);
  m = (m + (m >> 4)) & 0x0F0Fu;
  return (m + (m >> 8)) & 0x1Fu;
}
inline std::uint32_t Count64(std::uint64_t m) {
  m = m - ((m >> 1) & 0x5555555555555555ull);
  m = (m & 0x3333333333333333ull) + ((m >> 2) & 0x3333333333333333ull);
  m = (m + (m >> 4)) & 0x0F0F0F0F0F0F0F0Full;
  return static_cast<std::uint32_t>((m * 0x0101010101010101ull) >> 56);
}
#endif
}  // namespace

void SetFastScans(bool on) { g_fast.store(on, std::memory_order_relaxed); }
bool FastScansOn() { return g_fast.load(std::memory_order_relaxed); }

std::size_t FindFirstOf(const std::uint8_t* text, std::size_t pos, std::size_t end, std::uint8_t a,
                        std::uint8_t b, std::uint8_t c, std::uint8_t d) {
#if TABRYE_CSV_SSE2
  if (FastScansOn()) {
    const __m128i va = _mm_set1_epi8(static_cast<char>(a)), vb = _mm_set1_epi8(static_cast<char>(b));
    const __m128i vc = _mm_set1_epi8(static_cast<char>(c)), vd = _mm_set1_epi8(static_cast<char>(d));
    while (pos + 16 <= end) {
      const __m128i x = Load(text + pos);
      const __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(x, va), _mm_cmpeq_epi8(x, vb)),
                                       _mm_or_si128(_mm_cmpeq_epi8(x, vc), _mm_cmpeq_epi8(x, vd)));
      const unsigned m = Mask(hit);
      if (m) return pos + LowestBit(m);
      pos += 16;
    }
  }
#endif
  for (; pos < end; ++pos) {
    const std::uint8_t x = text[pos];
    if (x == a || x == b || x == c || x == d) return pos;
  }
  return end;
}

#if TABRYE_CSV_SSE2
namespace {
// The search of FindFirstOfSet with the set's size fixed, so that the
// compares unroll (the index looks for 5 or 7 bytes in every first field).
template <int kCount>
std::size_t FindFirstOfFixed(const std::uint8_t* text, std::size_t pos, std::size_t end, const std::uint8_t* set) {
  __m128i v[kCount];
  for (int k = 0; k < kCount; ++k) v[k] = _mm_set1_epi8(static_cast<char>(set[k]));
  while (pos + 16 <= end) {
    const __m128i x = Load(text + pos);
    __m128i hit = _mm_cmpeq_epi8(x, v[0]);
    for (int k = 1; k < kCount; ++k) hit = _mm_or_si128(hit, _mm_cmpeq_epi8(x, v[k]));
    const unsigned m = Mask(hit);
    if (m) return pos + LowestBit(m);
    pos += 16;
  }
  return pos;
}
}  // namespace
#endif

std::size_t FindFirstOfSet(const std::uint8_t* text, std::size_t pos, std::size_t end, const std::uint8_t* set,
                           int count) {
  if (count > 8) count = 8;
#if TABRYE_CSV_SSE2
  if (FastScansOn() && count > 0) {
    switch (count) {
      case 5:
        pos = FindFirstOfFixed<5>(text, pos, end, set);
        break;
      case 7:
        pos = FindFirstOfFixed<7>(text, pos, end, set);
        break;
      default: {
        __m128i v[8];
        for (int k = 0; k < count; ++k) v[k] = _mm_set1_epi8(static_cast<char>(set[k]));
        while (pos + 16 <= end) {
          const __m128i x = Load(text + pos);
          __m128i hit = _mm_cmpeq_epi8(x, v[0]);
          for (int k = 1; k < count; ++k) hit = _mm_or_si128(hit, _mm_cmpeq_epi8(x, v[k]));
          const unsigned m = Mask(hit);
          if (m) return pos + LowestBit(m);
          pos += 16;
        }
      }
    }
    if (pos + 16 <= end) return pos;  // found within the blocks
  }
#endif
  for (; pos < end; ++pos)
    for (int k = 0; k < count; ++k)
      if (text[pos] == set[k]) return pos;
  return end;
}

std::size_t FindRowEndCountingSeparators(const std::uint8_t* text, std::size_t pos, std::size_t end,
                                         std::uint32_t* separators) {
  std::uint32_t count = 0;
#if TABRYE_CSV_SSE2
  if (FastScansOn()) {
    const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n'), nul = _mm_setzero_si128();
    const __m128i sep = _mm_set1_epi8(0x06);
    // 64 bytes a step: one 64-bit mask of row ends, one of separators.
    while (pos + 64 <= end) {
      std::uint64_t rowEnd = 0, seps = 0;
      for (int k = 0; k < 4; ++k) {
        const __m128i x = Load(text + pos + 16 * k);
        rowEnd |= static_cast<std::uint64_t>(Mask(_mm_or_si128(
                      _mm_or_si128(_mm_cmpeq_epi8(x, cr), _mm_cmpeq_epi8(x, lf)), _mm_cmpeq_epi8(x, nul))))
                  << (16 * k);
        seps |= static_cast<std::uint64_t>(Mask(_mm_cmpeq_epi8(x, sep))) << (16 * k);
      }
      if (rowEnd) {
        const unsigned k = static_cast<unsigned>(__builtin_ctzll(rowEnd));
        *separators = count + Count64(seps & ((1ull << k) - 1));
        return pos + k;
      }
      count += Count64(seps);
      pos += 64;
    }
    while (pos + 16 <= end) {
      const __m128i x = Load(text + pos);
      const unsigned rowEnd =
          Mask(_mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(x, cr), _mm_cmpeq_epi8(x, lf)), _mm_cmpeq_epi8(x, nul)));
      const unsigned seps = Mask(_mm_cmpeq_epi8(x, sep));
      if (rowEnd) {
        const unsigned k = LowestBit(rowEnd);
        *separators = count + Count16(seps & ((1u << k) - 1u));
        return pos + k;
      }
      count += Count16(seps);
      pos += 16;
    }
  }
#endif
  for (; pos < end; ++pos) {
    const std::uint8_t c = text[pos];
    if (c == '\r' || c == '\n' || c == 0) break;
    count += c == 0x06;
  }
  *separators = count;
  return pos;
}

std::size_t FindControlByte(const std::uint8_t* text, std::size_t pos, std::size_t end) {
#if TABRYE_CSV_SSE2
  if (FastScansOn()) {
    const __m128i limit = _mm_set1_epi8(0x1F);
    while (pos + 16 <= end) {
      const __m128i x = Load(text + pos);
      // x <= 0x1F (unsigned) exactly where min(x, 0x1F) == x.
      const unsigned m = Mask(_mm_cmpeq_epi8(_mm_min_epu8(x, limit), x));
      if (m) return pos + LowestBit(m);
      pos += 16;
    }
  }
#endif
  for (; pos < end; ++pos)
    if (text[pos] < 0x20) return pos;
  return end;
}

namespace {
inline bool PlainRowStart(std::uint8_t c) { return c != '~' && c != '!'; }

// The plain rows from `row` byte by byte: how many follow one another, the
// start of the last in *last (unchanged when there is none).
std::uint32_t CountPlainRows(const std::uint8_t* text, std::size_t row, std::size_t end, std::uint32_t minSeparators,
                             std::size_t* last) {
  std::uint32_t plain = 0;
  while (row < end && PlainRowStart(text[row])) {
    std::size_t i = row;
    std::uint32_t seps = 0;
    for (; i < end && text[i] != '\r' && text[i] != '\n'; ++i) {
      if (text[i] == '^' || text[i] == 0) break;
      seps += text[i] == 0x06;
    }
    if (i >= end || (text[i] != '\r' && text[i] != '\n') || seps < minSeparators) break;
    ++plain;
    *last = row;
    row = i + 1;
    if (text[i] == '\r' && row < end && text[row] == '\n') ++row;
  }
  return plain;
}

std::size_t LastOfRun(std::size_t pos, std::uint32_t plain, std::size_t last, std::uint32_t* rows) {
  if (plain < 2) {
    *rows = 0;
    return pos;
  }
  *rows = plain - 1;
  return last;
}
}  // namespace

std::size_t SkipPlainRowsBytewise(const std::uint8_t* text, std::size_t pos, std::size_t end,
                                  std::uint32_t minSeparators, std::uint32_t* rows) {
  std::size_t last = pos;
  const std::uint32_t plain = CountPlainRows(text, pos, end, minSeparators, &last);
  return LastOfRun(pos, plain, last, rows);
}

std::size_t SkipPlainRows(const std::uint8_t* text, std::size_t pos, std::size_t end, std::uint32_t minSeparators,
                          std::uint32_t* rows) {
#if TABRYE_CSV_SSE2
  if (FastScansOn() && minSeparators <= 2) {
    // 64 bytes a step: masks of the row ends, the separators and the bytes
    // that spoil a row. A row's separators are counted up to two.
    const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n'), nul = _mm_setzero_si128();
    const __m128i sep = _mm_set1_epi8(0x06), caret = _mm_set1_epi8('^');
    std::uint32_t plain = 0;
    std::size_t last = pos, row = pos;
    std::uint32_t seps = 0;  // of the row from `row`, up to 2
    bool stop = row >= end || !PlainRowStart(text[row]);
    for (std::size_t at = pos; !stop && at + 64 <= end; at += 64) {
      std::uint64_t ends = 0, sepBits = 0, bad = 0;
      for (int k = 0; k < 4; ++k) {
        const __m128i x = Load(text + at + 16 * k);
        ends |= static_cast<std::uint64_t>(Mask(_mm_or_si128(_mm_cmpeq_epi8(x, cr), _mm_cmpeq_epi8(x, lf))))
                << (16 * k);
        sepBits |= static_cast<std::uint64_t>(Mask(_mm_cmpeq_epi8(x, sep))) << (16 * k);
        bad |= static_cast<std::uint64_t>(Mask(_mm_or_si128(_mm_cmpeq_epi8(x, caret), _mm_cmpeq_epi8(x, nul))))
               << (16 * k);
      }
      // Rows ending in this block, from the current row's first byte here
      // (or the block's first byte when the row began before it).
      for (std::size_t from = row > at ? row - at : 0; from < 64;) {
        const std::uint64_t above = ~0ull << from;
        const std::uint64_t e = ends & above;
        const std::uint64_t span = e ? above & ((e & (0 - e)) - 1) : above;  // up to the row end
        if (bad & span) {
          stop = true;
          break;
        }
        const std::uint64_t s = sepBits & span;
        if (s) seps = (seps > 0 || (s & (s - 1)) != 0) ? 2 : 1;
        if (!e) break;  // the row goes on in the next block
        if (seps < minSeparators) {
          stop = true;
          break;
        }
        const std::size_t rowEnd = at + static_cast<std::size_t>(__builtin_ctzll(e));
        ++plain;
        last = row;
        row = rowEnd + 1;
        if (text[rowEnd] == '\r' && row < end && text[row] == '\n') ++row;
        seps = 0;
        if (row >= end || !PlainRowStart(text[row])) {
          stop = true;
          break;
        }
        from = row - at;
      }
    }
    // The last bytes byte by byte, from the start of the row reached.
    if (!stop) plain += CountPlainRows(text, row, end, minSeparators, &last);
    return LastOfRun(pos, plain, last, rows);
  }
#endif
  return SkipPlainRowsBytewise(text, pos, end, minSeparators, rows);
}

void CommasToSeparatorsBytewise(const std::uint8_t* src, std::size_t len, std::uint8_t* dst) {
  bool quoted = false;
  for (std::size_t i = 0; i < len; ++i) {
    std::uint8_t c = src[i];
    if (c == '"') {
      quoted = !quoted;
    } else if (c == '\r' || c == '\n') {
      quoted = false;
    } else if (c == ',' && !quoted) {
      c = 0x06;
    } else if (c == 0x06 && quoted) {
      c = ',';
    }
    dst[i] = c;
  }
}

void CommasToSeparators(const std::uint8_t* src, std::size_t len, std::uint8_t* dst) {
#if TABRYE_CSV_SSE2
  if (FastScansOn()) {
    const __m128i quote = _mm_set1_epi8('"'), cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
    const __m128i comma = _mm_set1_epi8(','), sep = _mm_set1_epi8(0x06);
    bool quoted = false;
    std::size_t i = 0;
    while (i + 16 <= len) {
      const __m128i x = Load(src + i);
      const __m128i isComma = _mm_cmpeq_epi8(x, comma);
      const unsigned state =
          Mask(_mm_or_si128(_mm_cmpeq_epi8(x, quote), _mm_or_si128(_mm_cmpeq_epi8(x, cr), _mm_cmpeq_epi8(x, lf))));
      if (state == 0) {
        // No quote and no line end: the state holds for all 16 bytes.
        __m128i out;
        if (!quoted) {
          out = _mm_or_si128(_mm_andnot_si128(isComma, x), _mm_and_si128(isComma, sep));
        } else {
          const __m128i isSep = _mm_cmpeq_epi8(x, sep);
          out = _mm_or_si128(_mm_andnot_si128(isSep, x), _mm_and_si128(isSep, comma));
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), out);
        i += 16;
        continue;
      }
      // Walk the state over the quote and line-end bits only; a comma takes
      // the state of the last of those before it.
      unsigned commas = Mask(isComma);
      unsigned bits = state;
      unsigned outside = 0;  // bytes that stand outside quotes
      unsigned from = 0;
      while (bits) {
        const unsigned k = LowestBit(bits);
        const unsigned span = (k >= from) ? (((1u << k) - 1u) & ~((1u << from) - 1u)) : 0u;
        if (!quoted) outside |= span;
        const std::uint8_t c = src[i + k];
        quoted = (c == '"') ? !quoted : false;
        from = k + 1;
        bits &= bits - 1;
      }
      if (!quoted && from < 16) outside |= 0xFFFFu & ~((1u << from) - 1u);
      const unsigned change = commas & outside;
      // A separator byte of the file itself never stands inside quotes.
      const unsigned seps = Mask(_mm_cmpeq_epi8(x, sep)) & ~outside & ~state & 0xFFFFu;
      std::uint8_t block[16];
      std::memcpy(block, src + i, 16);
      for (unsigned m = change; m; m &= m - 1) block[LowestBit(m)] = 0x06;
      for (unsigned m = seps; m; m &= m - 1) block[LowestBit(m)] = ',';
      std::memcpy(dst + i, block, 16);
      i += 16;
    }
    // The tail, with the state reached.
    for (; i < len; ++i) {
      std::uint8_t c = src[i];
      if (c == '"') quoted = !quoted;
      else if (c == '\r' || c == '\n') quoted = false;
      else if (c == ',' && !quoted) c = 0x06;
      else if (c == 0x06 && quoted) c = ',';
      dst[i] = c;
    }
    return;
  }
#endif
  CommasToSeparatorsBytewise(src, len, dst);
}

}  // namespace csv
