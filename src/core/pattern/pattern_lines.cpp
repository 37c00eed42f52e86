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

// First occurrence of `bytes` in text[from, len), or len.
int FindBytes(const char* text, int from, int len, const std::string& bytes) {
  const int n = static_cast<int>(bytes.size());
  const char first = bytes[0];
  int p = from;
  while (len - p >= n) {
    const void* c = std::memchr(text + p, first, static_cast<size_t>(len - p - n + 1));
    if (!c) return len;
    p = static_cast<int>(static_cast<const char*>(c) - text);
    if (std::memcmp(text + p + 1, bytes.data() + 1, static_cast<size_t>(n - 1)) == 0) return p;
    ++p;
  }
  return len;
}

// LF bytes in text[0, n), 16 at a time where SSE2 is there.
int CountLineFeeds(const char* text, int n) {
  int count = 0, i = 0;
#if defined(__SSE2__)
  const __m128i lf = _mm_set1_epi8('\n');
  for (; i + 16 <= n; i += 16) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
    count += __builtin_popcount(static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, lf))));
  }
#endif
  for (; i < n; ++i) count += text[i] == '\n';
  return count;
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
  // Lines without the bytes every match holds are copied as they are, many
  // at a time, instead of one engine call each.
  std::string required;
  const bool skipLines = g_skipLines.load(std::memory_order_relaxed) && program.RequiredBytes(&required);

  int stopLine = -1;  // where a poll asked to stop, kept for a restarted pass
  long long prevLimit = -1;
  for (int pass = 1;; ++pass) {
    long long limit = PassLimit(len, pass);
    if (limit == prevLimit) return kErrTooLarge;
    prevLimit = limit;
    try {
      output->assign(static_cast<size_t>(limit), '\0');
    } catch (const std::bad_alloc&) {
      output->clear();
      return kErrNoMemory;
    }
    char* out = &(*output)[0];
    const int outLimit = static_cast<int>(limit);
    int readPos = 0, outLen = 0, count = 0;
    bool full = false;
    int nextHit = -1;  // where `required` stands next, at or after readPos
    for (int line = 0; readPos < len; ++line) {
      if (skipLines) {
        if (nextHit < readPos) nextHit = FindBytes(text, readPos, len, required);
        // The line that holds the next occurrence starts after the last LF before it.
        int hitLine = nextHit;
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
          std::memcpy(out + outLen, text + readPos, static_cast<size_t>(hitLine - readPos));
          outLen += hitLine - readPos;
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
        int n = program.MatchLine(text, len, &readPos, out, &outLen, outLimit, options.colFirst,
                                  options.colLast, nullptr);
        if (n == kErrOutputFull) {
          full = true;
          break;
        }
        if (n < 0) return n;
        count += n;
      } else {
        const void* lf = std::memchr(text + readPos, '\n', static_cast<size_t>(len - readPos));
        int end = lf ? static_cast<int>(static_cast<const char*>(lf) - text) + 1 : len;
        if (end - readPos > outLimit - outLen) {
          full = true;
          break;
        }
        std::memcpy(out + outLen, text + readPos, static_cast<size_t>(end - readPos));
        outLen += end - readPos;
        readPos = end;
      }
    }
    if (full) continue;  // start again with the next buffer size
    output->resize(static_cast<size_t>(outLen));
    st.passes = pass;
    st.stopped = stopLine >= 0;
    const char* o = output->data();
    const void* firstLf = std::memchr(o, '\n', output->size());
    size_t firstLen = firstLf ? static_cast<size_t>(static_cast<const char*>(firstLf) - o) : output->size();
    st.fieldCount = 1;
    for (size_t i = 0; i < firstLen; ++i)
      if (o[i] == kCellSep) ++st.fieldCount;
    for (const char* p = o; (p = static_cast<const char*>(std::memchr(p, '\n', output->size() - (p - o))));
         ++p)
      ++st.lineCount;
    if (stats) *stats = st;
    return count;
  }
}

}  // namespace pat
