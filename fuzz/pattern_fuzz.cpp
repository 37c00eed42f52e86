// (pattern, text) pairs through the whole pattern engine: escapes,
// translation, line matching with a bounded output, the line-wise replace
// (its whole-text paths against one engine call per line), the literal finder
// (16 bytes at a time against one byte at a time) and the splitting helpers.
// Input: flags byte, pattern length byte, pattern, text.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/pattern/pattern.h"
#include "core/pattern/pattern_literal.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const unsigned sel = data[0];
  size_t plen = data[1];
  if (plen > size - 2) plen = size - 2;
  std::string rule(reinterpret_cast<const char*>(data + 2), plen);
  size_t tlen = size - 2 - plen;
  if (tlen > 1 << 16) tlen = 1 << 16;
  const std::string text(reinterpret_cast<const char*>(data + 2 + plen), tlen);

  static const char kRuns[] = {'&', '*', '#', 0};
  const int mode = (sel & 1) ? pat::kEscapeSearch : pat::kEscapeMessage;
  Check(pat::ExpandEscapeSequences(rule, mode) == static_cast<int>(rule.size()));
  std::string search, repl;
  unsigned flags = pat::TranslateSearchPattern(rule, &search, &repl, kRuns[(sel >> 1) & 3]);
  if (sel & 8) flags |= pat::kFlagsMacroReplace;
  if (sel & 16) flags |= pat::kFlagWholeWord;
  if (sel & 32) flags |= pat::kFlagOneField;

  // Every line, into an output that is sometimes too small.
  pat::PatternProgram program;
  program.Compile(search, repl, flags);
  const int len = static_cast<int>(text.size());
  const int limit = (sel & 64) ? len / 2 + 8 : len * 4 + 64;
  std::vector<char> out(static_cast<size_t>(limit) + 16, '\x5A');
  std::vector<pat::PatternHit> hits(pat::kMaxHits);
  int readPos = 0, outLen = 0;
  while (readPos < len) {
    const int before = readPos, outBefore = outLen;
    int n = program.MatchLine(text.data(), len, &readPos, out.data(), &outLen, limit, 0, 0, hits.data());
    if (n == pat::kErrOutputFull) {
      Check(readPos == before && outLen == outBefore);
      break;
    }
    Check(n >= 0 && outLen <= limit);
    for (int i = 0; i < n && i < pat::kMaxHits; ++i)
      Check(hits[i].start >= before && hits[i].length >= 0 && hits[i].start + hits[i].length <= readPos);
    if (!(flags & pat::kFlagHasReplacement))  // nothing replaced: the line comes out as it was
      Check(std::memcmp(out.data() + outBefore, text.data() + before, static_cast<size_t>(readPos - before)) == 0);
    if (readPos == before) break;  // a field subject stops at its terminator
  }
  for (size_t i = static_cast<size_t>(limit); i < out.size(); ++i) Check(out[i] == '\x5A');

  pat::PatternHit hit;
  if (program.Find(text.data(), 0, len, &hit)) Check(hit.start >= 0 && hit.start + hit.length <= len);

  if (len <= 4096) {
    std::string replaced;
    pat::ReplaceLinesOptions options;
    options.colFirst = sel >> 7;
    options.colLast = options.colFirst;
    pat::ReplaceLinesStats stats, carefulStats;
    int n = pat::ReplaceLines(text.data(), len, search, repl, flags, options, &replaced, &stats);
    Check(n >= 0 || n == pat::kErrTooLarge);
    // The whole-text paths (plain literal, line starts, skipped lines) equal
    // one engine call per line.
    std::string careful;
    pat::SetLineSkipping(false);
    int m = pat::ReplaceLines(text.data(), len, search, repl, flags, options, &careful, &carefulStats);
    pat::SetLineSkipping(true);
    Check(m == n && careful == replaced);
    if (n >= 0) Check(stats.passes == carefulStats.passes && stats.lineCount == carefulStats.lineCount);
  }
  // The literal finder 16 bytes at a time against one byte at a time.
  if (!search.empty()) {
    pat::detail::LiteralFinder finder;
    std::vector<unsigned char> fold(search.size());
    for (size_t i = 0; i < fold.size(); ++i) fold[i] = (sel >> (i % 8)) & 1;
    finder.Init(search.substr(0, 1 + sel % 7), fold);
    for (int from = 0; from <= len; from = from * 2 + 1) {
      Check(finder.Next(text.data(), from, len) == finder.NextPortable(text.data(), from, len));
      Check(finder.Prev(text.data(), 0, len - from) == finder.PrevPortable(text.data(), 0, len - from));
    }
  }

  // The splitting helpers on the same bytes.
  pat::SearchAddress address;
  std::string part;
  pat::SplitSearchPattern(text, &address, &part);
  Check(part.size() <= text.size());
  int p = pat::ReverseFindUnescaped(text, ':');
  Check(p < len && (p < 0 || text[static_cast<size_t>(p)] == ':'));
  p = pat::FindCharOutsideBrackets(text, ':', 0);
  Check(p < len && (p < 0 || text[static_cast<size_t>(p)] == ':'));
  std::string renamed;
  pat::RenameByPattern(rule, text.substr(0, 256), &renamed);
  Check(renamed.size() <= 256);
  pat::DialogToFindText(pat::FindTextToDialog(text));
  pat::ConditionPattern cond = pat::PrepareConditionPattern(rule);
  pat::MatchConditionPattern(cond, text);
  return 0;
}
