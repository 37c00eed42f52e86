// The line-wise replace over a whole text buffer: one MatchLine per line,
// with the range, the protected "!" 0x06 lines, the Esc poll and the restart
// with a larger output buffer.
#include <atomic>
#include <climits>
#include <cstring>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/pattern/pattern.h"

namespace pat {

namespace {

// Progress and Esc poll: from this line on, every kPollEvery-th line.
constexpr int kPollFromLine = 20000;
constexpr int kPollEvery = 1000;
// Output of pass n: len * 2^n + kOutputSlack bytes, at most kOutputMax.
constexpr long long kOutputSlack = 1000;
constexpr long long kOutputMax = INT_MAX - 1;

long long PassLimit(int len, int pass) {
  long long limit = len;
  for (int i = 0; i < pass && limit <= kOutputMax; ++i) limit *= 2;
  limit += kOutputSlack;
  return limit > kOutputMax ? kOutputMax : limit;
}

std::atomic<bool> g_skipLines{true};

// LF bytes in text[0, n), 16 at a time where SSE2 is there: each block's
// equal bytes (-1) are subtracted from byte counters, which are summed every
// 255 blocks before they could overflow.
int CountLineFeeds(const char* text, int n) {
  long long count = 0;
  int i = 0;
#if defined(__SSE2__)
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i zero = _mm_setzero_si128();
  while (i + 16 <= n) {
    __m128i acc = zero;
    for (int k = 0; k < 255 && i + 16 <= n; ++k, i += 16) {
      const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
      acc = _mm_sub_epi8(acc, _mm_cmpeq_epi8(x, lf));
    }
    const __m128i sums = _mm_sad_epu8(acc, zero);
    count += _mm_cvtsi128_si32(sums) + _mm_cvtsi128_si32(_mm_srli_si128(sums, 8));
  }
#endif
  for (; i < n; ++i) count += text[i] == '\n';
  return static_cast<int>(count);
}

// One pass of the line-wise replace for a plain literal over the whole
// text: the text between matches is copied in one piece and LF bytes are
// counted only to know each match's line (range, protected lines, polls).
// The result equals the line-by-line pass: a pass is too small exactly when
// the whole output passes its limit. Returns the count, or -1 when full.
int ReplacePlainLiteral(const PatternProgram& program, const char* text, int len,
                        const ReplaceLinesOptions& options, long long outLimit, int* stopLine,
                        std::string* output) {
  int readPos = 0, count = 0;
  int line = 0;       // the line that holds readPos
  int lineStart = 0;  // its start
  auto put = [&](int from, int to) {
    if (static_cast<long long>(output->size()) + (to - from) > outLimit) return false;
    output->append(text + from, static_cast<size_t>(to - from));
    return true;
  };
  while (readPos < len) {
    // Past the range or the stop nothing more is replaced: the rest is copied
    // (with the polls of its lines).
    const bool more = !(*stopLine >= 0 && line >= *stopLine) && !(options.lastLine >= 0 && line > options.lastLine);
    PatternHit hit;
    const bool found = more && program.NextLiteralMatch(text, readPos, len, &hit);
    const int at = found ? hit.start : len;
    // The lines entered up to `at`, with the polls made on entering them.
    const int lfs = CountLineFeeds(text + readPos, at - readPos);
    if (lfs > 0) {
      int lineEnd = at;
      while (text[lineEnd - 1] != '\n') --lineEnd;
      const int entered = line + lfs - (lineEnd == len ? 1 : 0);  // a final LF starts no line
      if (*stopLine < 0 && options.poll) {
        int first = line + 1 < kPollFromLine ? kPollFromLine : line + 1;
        first = (first + kPollEvery - 1) / kPollEvery * kPollEvery;
        for (int l = first; l <= entered && *stopLine < 0; l += kPollEvery)
          if (options.poll(options.pollContext, l)) *stopLine = l;
      }
      line += lfs;
      lineStart = lineEnd;
    }
    if (!found) break;
    const bool replace = (*stopLine < 0 || line < *stopLine) && line >= options.firstLine &&
                         (options.lastLine < 0 || line <= options.lastLine) &&
                         !(text[lineStart] == '!' && lineStart + 1 < len && text[lineStart + 1] == kCellSep);
    if (replace) {
      if (!put(readPos, at)) return -1;
      const size_t before = output->size();
      program.AppendReplacement(text, at, at + hit.length, output);
      if (static_cast<long long>(output->size()) > outLimit) {
        output->resize(before);
        return -1;
      }
      readPos = at + hit.length;
      ++count;
      continue;
    }
    // Nothing in this line is replaced: on after its LF.
    const void* lf = std::memchr(text + at, '\n', static_cast<size_t>(len - at));
    const int next = lf ? static_cast<int>(static_cast<const char*>(lf) - text) + 1 : len;
    if (!put(readPos, next)) return -1;
    if (next < len) {
      ++line;
      lineStart = next;
      if (*stopLine < 0 && options.poll && line >= kPollFromLine && line % kPollEvery == 0 &&
          options.poll(options.pollContext, line))
        *stopLine = line;
    }
    readPos = next;
  }
  if (!put(readPos, len)) return -1;
  return count;
}

// The statistics of a finished pass.
void Finish(const std::string& output, int pass, int stopLine, ReplaceLinesStats* st) {
  st->passes = pass;
  st->stopped = stopLine >= 0;
  const char* o = output.data();
  const void* firstLf = std::memchr(o, '\n', output.size());
  size_t firstLen = firstLf ? static_cast<size_t>(static_cast<const char*>(firstLf) - o) : output.size();
  st->fieldCount = 1;
  for (size_t i = 0; i < firstLen; ++i)
    if (o[i] == kCellSep) ++st->fieldCount;
  st->lineCount = CountLineFeeds(o, static_cast<int>(output.size()));
}

void TabsToCellSeps(std::string* s) {
  for (char& c : *s)
    if (c == '\t') c = kCellSep;
}

}  // namespace

void SetLineSkipping(bool on) { g_skipLines.store(on, std::memory_order_relaxed); }

int ReplaceLines(const char* text, int len, std::string_view search, std::string_view replacement,
                 unsigned flags, const ReplaceLinesOptions& options, std::string* output,
                 ReplaceLinesStats* stats) {
  ReplaceLinesStats st;
  if (!output || len < 0 || (!text && len > 0)) return kErrBadArgument;
  if (!text) text = "";
  // A TAB of a statement stands for the cell boundary. Tab bytes are never
  // trail bytes, so the replacement is safe inside double-byte text.
  std::string s(search), r(replacement);
  TabsToCellSeps(&s);
  TabsToCellSeps(&r);
  PatternProgram program;
  program.Compile(s, r, flags & ~kFlagOneField);
  // Lines without the literal every match holds (or, for a search anchored
  // at the line start, lines that do not begin with its leading literal) are
  // copied as they are, many at a time, instead of one engine call each.
  const bool skipLines = g_skipLines.load(std::memory_order_relaxed);
  const bool byLineStart = skipLines && options.colFirst <= 0 && program.NextPossibleLineStart(text, 0, 0) >= 0;
  const bool byLiteral = skipLines && !byLineStart && program.NextPossible(text, 0, 0) >= 0;
  // A plain literal over whole lines: one pass over the text, no engine call per line.
  const bool plain = skipLines && options.colFirst <= 0 && program.IsPlainLiteral();
  // One replaced line is written here first, then appended to the output.
  std::string lineOut;

  int stopLine = -1;  // where a poll asked to stop, kept for a restarted pass
  long long prevLimit = -1;
  for (int pass = 1;; ++pass) {
    long long limit = PassLimit(len, pass);
    if (limit == prevLimit) return kErrTooLarge;
    prevLimit = limit;
    // The output grows by appends into reserved room: no page of it is
    // touched before it is written.
    try {
      output->clear();
      output->reserve(static_cast<size_t>(limit));
    } catch (const std::bad_alloc&) {
      output->clear();
      output->shrink_to_fit();
      return kErrNoMemory;
    }
    const int outLimit = static_cast<int>(limit);
    if (plain) {
      const int n = ReplacePlainLiteral(program, text, len, options, limit, &stopLine, output);
      if (n < 0) continue;  // start again with the next buffer size
      Finish(*output, pass, stopLine, &st);
      if (stats) *stats = st;
      return n;
    }
    int readPos = 0, count = 0;
    bool full = false;
    int nextHit = -1;  // the next line start that may match (or a byte inside that line), at or after readPos
    for (int line = 0; readPos < len; ++line) {
      const int outLen = static_cast<int>(output->size());
      if (byLineStart || byLiteral) {
        if (nextHit < readPos)
          nextHit = byLineStart ? program.NextPossibleLineStart(text, readPos, len) : program.NextPossible(text, readPos, len);
        // The line that holds it starts after the last LF before it.
        int hitLine = nextHit;
        if (byLiteral)
          while (hitLine > readPos && text[hitLine - 1] != '\n') --hitLine;
        if (hitLine > readPos) {
          if (hitLine - readPos > outLimit - outLen) {
            full = true;
            break;
          }
          const int lines = CountLineFeeds(text + readPos, hitLine - readPos);
          // The progress poll sees the lines it would have seen one by one.
          if (stopLine < 0 && options.poll) {
            int first = line < kPollFromLine ? kPollFromLine : line;
            first = (first + kPollEvery - 1) / kPollEvery * kPollEvery;
            for (int at = first; at < line + lines && stopLine < 0; at += kPollEvery)
              if (options.poll(options.pollContext, at)) stopLine = at;
          }
          output->append(text + readPos, static_cast<size_t>(hitLine - readPos));
          readPos = hitLine;
          line += lines - 1;
          continue;
        }
      }
      if (stopLine < 0 && options.poll && line >= kPollFromLine && line % kPollEvery == 0 &&
          options.poll(options.pollContext, line))
        stopLine = line;
      bool replace = (stopLine < 0 || line < stopLine) && line >= options.firstLine &&
                     (options.lastLine < 0 || line <= options.lastLine) &&
                     !(text[readPos] == '!' && readPos + 1 < len && text[readPos + 1] == kCellSep);
      if (replace) {
        // The line's output must fit below the pass's limit; the line buffer
        // grows until it holds the line or the limit is what stops it.
        const int room = outLimit - outLen;
        int n;
        int rp = readPos, w = 0;
        for (;;) {
          if (lineOut.size() < 4096) lineOut.resize(4096);
          const int cap = static_cast<int>(lineOut.size()) < room ? static_cast<int>(lineOut.size()) : room;
          rp = readPos;
          w = 0;
          n = program.MatchLine(text, len, &rp, &lineOut[0], &w, cap, options.colFirst, options.colLast, nullptr);
          if (n != kErrOutputFull || cap >= room) break;
          lineOut.resize(lineOut.size() * 2);
        }
        if (n == kErrOutputFull) {
          full = true;
          break;
        }
        if (n < 0) return n;
        output->append(lineOut.data(), static_cast<size_t>(w));
        readPos = rp;
        count += n;
      } else {
        const void* lf = std::memchr(text + readPos, '\n', static_cast<size_t>(len - readPos));
        int end = lf ? static_cast<int>(static_cast<const char*>(lf) - text) + 1 : len;
        if (end - readPos > outLimit - outLen) {
          full = true;
          break;
        }
        output->append(text + readPos, static_cast<size_t>(end - readPos));
        readPos = end;
      }
    }
    if (full) continue;  // start again with the next buffer size
    Finish(*output, pass, stopLine, &st);
    if (stats) *stats = st;
    return count;
  }
}

}  // namespace pat
