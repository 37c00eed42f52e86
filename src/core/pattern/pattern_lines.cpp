// The line-wise replace over a whole text buffer: one MatchLine per line,
// with the range, the protected "!" 0x06 lines, the Esc poll and the restart
// with a larger output buffer.
#include <climits>
#include <cstring>
#include <new>

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

void TabsToCellSeps(std::string* s) {
  for (char& c : *s)
    if (c == '\t') c = kCellSep;
}

}  // namespace

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
    for (int line = 0; readPos < len; ++line) {
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
