// The matcher: compiled search tokens, leftmost non-overlapping matches with
// the shortest runs, bounded output.
#include <cstring>
#include <vector>

#include "core/pattern/pattern.h"
#include "core/pattern/pattern_literal.h"
#include "core/pattern/pattern_sjis.h"

namespace pat {

using namespace detail;

namespace {

enum TokenType : unsigned char { kLit, kOne, kRun, kStart, kEnd, kCellBegin, kCellFinish };

struct Token {
  TokenType type;
  int off = 0;               // kLit: bytes in lit
  int len = 0;
  int run = 0;               // kRun: index of its memo entry
  bool loneLeadEnd = false;  // kLit: ends in a lead byte without its trail
};

enum PartType : unsigned char { kPartText, kPartMatched, kPartFunction };
struct ReplPart {
  PartType type;
  int off;
  int len;
};

FunctionHook g_hook = nullptr;
void* g_hookContext = nullptr;

// Writes into out[w...] below limit; out null = count only.
struct Emitter {
  char* out;
  int w;
  int limit;
  bool full = false;
  void Put(const unsigned char* data, int n) {
    if (full || n <= 0) return;
    if (!out) return;
    if (n > limit - w) {
      full = true;
      return;
    }
    std::memcpy(out + w, data, static_cast<size_t>(n));
    w += n;
  }
};

}  // namespace

struct PatternProgram::Impl {
  std::vector<Token> tokens;
  std::string lit;                 // literal bytes (folded when ignoring case)
  std::vector<unsigned char> single;  // per lit byte: 1 = a single-byte character (folds)
  std::vector<ReplPart> repl;
  std::string replText;
  int runCount = 0;
  bool fold = false;
  bool whole = false;
  bool wholeWord = false;
  bool hasReplacement = false;
  bool anchoredStart = false;  // only the subject start can begin a match
  bool empty = false;
  // Whole-text scans: the longest literal token, LF + the leading literal of
  // a search anchored at the start, and whether the search is that literal alone.
  LiteralFinder required;
  LiteralFinder lineStart;
  LiteralFinder leading;  // the leading literal alone
  bool plainLiteral = false;

  struct Frame {
    int token;
    int start;
    int q;
  };
  struct Memo {
    int from = 1;
    int to = 0;  // empty interval
  };
  mutable std::vector<Frame> frames;
  mutable std::vector<Memo> memo;
  mutable std::string hookResult;

  void CompileSearch(std::string_view search);
  void CompileReplacement(std::string_view replacement);
  void PrepareScans();

  bool MatchLit(const Token& t, const unsigned char* s, int p, int end) const;
  int MatchAt(const unsigned char* s, int begin, int end, int pos) const;
  int NextCandidate(const unsigned char* s, int begin, int end, int p) const;
  bool WordStartOk(const unsigned char* s, int begin, int pos) const;
  bool WordEndOk(const unsigned char* s, int end, int pos) const;
  void EmitReplacement(Emitter* em, const unsigned char* s, int start, int stop) const;
  // The parts of the replacement of the match s[start, stop), in order.
  template <class Put>
  void ReplacementParts(const unsigned char* s, int start, int stop, Put put) const {
    if (!hasReplacement) {
      put(s + start, stop - start);
      return;
    }
    const unsigned char* rt = reinterpret_cast<const unsigned char*>(replText.data());
    for (const ReplPart& part : repl) {
      switch (part.type) {
        case kPartText: put(rt + part.off, part.len); break;
        case kPartMatched: put(s + start, stop - start); break;
        case kPartFunction: {
          std::string_view matched(reinterpret_cast<const char*>(s + start), static_cast<size_t>(stop - start));
          std::string_view name(replText.data() + part.off, static_cast<size_t>(part.len));
          hookResult.clear();
          if (g_hook && g_hook(g_hookContext, name, matched, &hookResult))
            put(reinterpret_cast<const unsigned char*>(hookResult.data()), static_cast<int>(hookResult.size()));
          else
            put(s + start, stop - start);
          break;
        }
      }
    }
  }
  int Scan(const unsigned char* s, int begin, int end, Emitter* em, PatternHit* hits,
           int maxMatches, int* copiedTo, PatternHit* last = nullptr, int from = -1,
           int stopAt = 0x7FFFFFFF) const;
};

void PatternProgram::Impl::CompileSearch(std::string_view search) {
  const size_t n = search.size();
  size_t i = 0;
  while (i < n) {
    unsigned char c = static_cast<unsigned char>(search[i]);
    Token t{kLit};
    switch (c) {
      case kOneChar: t.type = kOne; break;
      case kAnchorStart: t.type = kStart; break;
      case kAnyRun: t.type = kRun; break;
      case kAnchorEnd: t.type = kEnd; break;
      case kCellStart: t.type = kCellBegin; break;
      case kCellEnd: t.type = kCellFinish; break;
      default: break;
    }
    if (t.type != kLit) {
      ++i;
      if (t.type == kRun) {
        if (!tokens.empty() && tokens.back().type == kRun) continue;  // "&&" is one run
        t.run = runCount++;
      }
      tokens.push_back(t);
      continue;
    }
    // A run of literal bytes, walked by characters.
    t.off = static_cast<int>(lit.size());
    bool lastLone = false;
    while (i < n) {
      unsigned char b = static_cast<unsigned char>(search[i]);
      if (b == kOneChar || b == kAnchorStart || b == kAnyRun || b == kAnchorEnd ||
          b == static_cast<unsigned char>(kCellStart) || b == static_cast<unsigned char>(kCellEnd))
        break;
      if (IsLead(b) && i + 1 < n && IsTrail(static_cast<unsigned char>(search[i + 1]))) {
        lit += search[i];
        lit += search[i + 1];
        single.push_back(0);
        single.push_back(0);
        i += 2;
        lastLone = false;
        continue;
      }
      lit += static_cast<char>(fold ? FoldAscii(b) : b);
      single.push_back(1);
      lastLone = IsLead(b);
      ++i;
    }
    t.len = static_cast<int>(lit.size()) - t.off;
    t.loneLeadEnd = lastLone;
    tokens.push_back(t);
  }
  frames.resize(static_cast<size_t>(runCount));
  memo.resize(static_cast<size_t>(runCount));
  anchoredStart = whole || (!tokens.empty() && tokens[0].type == kStart);
  empty = tokens.empty() && !whole;
  PrepareScans();
}

void PatternProgram::Impl::PrepareScans() {
  if (empty || whole) return;
  auto foldOf = [&](const Token& t) {
    std::vector<unsigned char> f(static_cast<size_t>(t.len));
    for (int i = 0; i < t.len; ++i) f[static_cast<size_t>(i)] = fold && single[static_cast<size_t>(t.off + i)];
    return f;
  };
  const Token* best = nullptr;
  for (const Token& t : tokens)
    if (t.type == kLit && (!best || t.len > best->len)) best = &t;
  if (!best) return;
  required.Init(std::string_view(lit).substr(static_cast<size_t>(best->off), static_cast<size_t>(best->len)),
                foldOf(*best));
  const std::string_view bytes = std::string_view(lit).substr(static_cast<size_t>(best->off),
                                                              static_cast<size_t>(best->len));
  plainLiteral = tokens.size() == 1 && !best->loneLeadEnd && !wholeWord &&
                 bytes.find_first_of("\r\n") == std::string_view::npos;
  if (tokens.size() >= 2 && tokens[0].type == kStart && tokens[1].type == kLit) {
    const Token& t = tokens[1];
    std::string b = "\n";
    b.append(lit, static_cast<size_t>(t.off), static_cast<size_t>(t.len));
    std::vector<unsigned char> f = foldOf(t);
    f.insert(f.begin(), 0);
    lineStart.Init(b, f);
    f.erase(f.begin());
    leading.Init(b.substr(1), f);
  }
}

void PatternProgram::Impl::CompileReplacement(std::string_view r) {
  const size_t n = r.size();
  size_t i = 0;
  while (i < n) {
    if (r[i] == kMatchedText) {
      repl.push_back({kPartMatched, 0, 0});
      ++i;
      continue;
    }
    if (r[i] == kFunctionMark) {
      size_t close = r.find(kFunctionMark, i + 1);
      if (close == std::string_view::npos) close = n;
      ReplPart p{kPartFunction, static_cast<int>(replText.size()), static_cast<int>(close - i - 1)};
      replText.append(r.substr(i + 1, close - i - 1));
      repl.push_back(p);
      i = close + 1;
      continue;
    }
    size_t j = i;
    while (j < n && r[j] != kMatchedText && r[j] != kFunctionMark) ++j;
    repl.push_back({kPartText, static_cast<int>(replText.size()), static_cast<int>(j - i)});
    replText.append(r.substr(i, j - i));
    i = j;
  }
}

bool PatternProgram::Impl::MatchLit(const Token& t, const unsigned char* s, int p, int end) const {
  if (t.len > end - p) return false;
  const unsigned char* l = reinterpret_cast<const unsigned char*>(lit.data()) + t.off;
  if (!fold) {
    if (std::memcmp(s + p, l, static_cast<size_t>(t.len)) != 0) return false;
  } else {
    const unsigned char* one = single.data() + t.off;
    for (int i = 0; i < t.len; ++i) {
      unsigned char b = s[p + i];
      if (one[i]) b = FoldAscii(b);
      if (b != l[i]) return false;
    }
  }
  // Equal bytes from a character start keep the same characters, except a
  // lone lead byte at the end, which the subject may pair with its next byte.
  if (t.loneLeadEnd && p + t.len < end && IsTrail(s[p + t.len])) return false;
  return true;
}

bool PatternProgram::Impl::WordStartOk(const unsigned char* s, int begin, int pos) const {
  if (pos <= begin) return true;
  if (!IsAsciiWordChar(s[pos - 1])) return true;
  return !IsBoundary(s, begin, pos - 1);  // the byte before is a trail: a double-byte character
}

bool PatternProgram::Impl::WordEndOk(const unsigned char* s, int end, int pos) const {
  return pos >= end || !IsAsciiWordChar(s[pos]);
}

// Match of the tokens at pos (a character start): the end of the match or -1.
// Runs try the shortest extent first. A run whose continuation failed from
// every position of [start, q] remembers that interval: a later attempt that
// reaches the same run inside it cannot succeed either.
int PatternProgram::Impl::MatchAt(const unsigned char* s, int begin, int end, int pos) const {
  const int ntok = static_cast<int>(tokens.size());
  int depth = 0;
  int ti = 0;
  int p = pos;
  for (;;) {
    bool ok = true;
    while (ok && ti < ntok) {
      const Token& t = tokens[static_cast<size_t>(ti)];
      switch (t.type) {
        case kLit:
          ok = MatchLit(t, s, p, end);
          if (ok) p += t.len;
          break;
        case kOne:
          ok = p < end && s[p] != static_cast<unsigned char>(kCellSep);
          if (ok) p += CharLen(s, p, end);
          break;
        case kStart: ok = p == begin; break;
        case kEnd: ok = p == end; break;
        case kCellBegin: ok = p == begin || s[p - 1] == static_cast<unsigned char>(kCellSep); break;
        case kCellFinish: ok = p == end || s[p] == static_cast<unsigned char>(kCellSep); break;
        case kRun: {
          const Memo& m = memo[static_cast<size_t>(t.run)];
          if (p >= m.from && p <= m.to) {
            ok = false;
          } else {
            frames[static_cast<size_t>(depth++)] = Frame{ti, p, p};
          }
          break;
        }
      }
      if (ok) ++ti;
    }
    if (ok && (!whole || p == end) && (!wholeWord || WordEndOk(s, end, p))) return p;
    // Backtrack: lengthen the innermost run that can still grow.
    for (;;) {
      if (depth == 0) return -1;
      Frame& f = frames[static_cast<size_t>(depth - 1)];
      if (f.q < end && s[f.q] != static_cast<unsigned char>(kCellSep)) {
        f.q += CharLen(s, f.q, end);
        p = f.q;
        ti = f.token + 1;
        break;
      }
      Memo& m = memo[static_cast<size_t>(tokens[static_cast<size_t>(f.token)].run)];
      m.from = f.start;
      m.to = f.q;
      --depth;
    }
  }
}

// Next character start >= p where a match may begin, or -1.
int PatternProgram::Impl::NextCandidate(const unsigned char* s, int begin, int end, int p) const {
  if (p > end) return -1;
  if (tokens.empty() || anchoredStart) return p;
  const Token& first = tokens[0];
  if (first.type == kCellBegin) {
    if (p == begin || s[p - 1] == static_cast<unsigned char>(kCellSep)) return p;
    const void* f = std::memchr(s + p, kCellSep, static_cast<size_t>(end - p));
    return f ? static_cast<int>(static_cast<const unsigned char*>(f) - s) + 1 : -1;
  }
  if (first.type != kLit) return p;
  unsigned char b0 = static_cast<unsigned char>(lit[static_cast<size_t>(first.off)]);
  unsigned char b1 = b0;
  if (fold && single[static_cast<size_t>(first.off)] && b0 >= 'a' && b0 <= 'z')
    b1 = static_cast<unsigned char>(b0 - 32);
  const bool mayBeTrail = IsTrail(b0);
  int known = p;  // a character start at or before the search position
  while (p < end) {
    const unsigned char* f;
    if (b1 == b0) {
      f = static_cast<const unsigned char*>(std::memchr(s + p, b0, static_cast<size_t>(end - p)));
    } else {  // either case of an ASCII letter
      int q = p;
      while (q < end && s[q] != b0 && s[q] != b1) ++q;
      f = q < end ? s + q : nullptr;
    }
    if (!f) return -1;
    int c = static_cast<int>(f - s);
    if (!mayBeTrail || IsBoundary(s, known, c)) return c;
    known = c + 1;  // c is a trail byte, so the next byte starts a character
    p = c + 1;
  }
  return -1;
}

void PatternProgram::Impl::EmitReplacement(Emitter* em, const unsigned char* s, int start,
                                           int stop) const {
  if (!em->out) return;
  ReplacementParts(s, start, stop, [em](const unsigned char* data, int n) { em->Put(data, n); });
}

// All matches in the subject [begin, end): copies the text before each match
// and the replacement to em (up to *copiedTo = end of the last match).
int PatternProgram::Impl::Scan(const unsigned char* s, int begin, int end, Emitter* em,
                               PatternHit* hits, int maxMatches, int* copiedTo,
                               PatternHit* last, int from, int stopAt) const {
  for (Memo& m : memo) m = Memo{};
  int count = 0;
  int copied = begin;
  int prevEnd = -1;
  int p = from > begin ? from : begin;
  if (anchoredStart && p > begin) p = end + 1;  // only the subject start could match
  while (count < maxMatches) {
    int c = NextCandidate(s, begin, end, p);
    if (c < 0 || c >= stopAt) break;
    int m = -1;
    if (!wholeWord || WordStartOk(s, begin, c)) m = MatchAt(s, begin, end, c);
    if (m >= 0 && !(m == c && c == prevEnd)) {
      if (hits && count < kMaxHits) hits[count] = PatternHit{c, m - c};
      if (last) *last = PatternHit{c, m - c};
      ++count;
      if (em) {
        em->Put(s + copied, c - copied);
        EmitReplacement(em, s, c, m);
      }
      copied = m;
      prevEnd = m;
      if (m > c) {
        p = m;
        if (anchoredStart) break;
        continue;
      }
    }
    if (anchoredStart || c >= end) break;
    p = c + CharLen(s, c, end);
  }
  *copiedTo = copied;
  return count;
}

PatternProgram::PatternProgram() : impl_(new Impl) {}
PatternProgram::~PatternProgram() = default;

void PatternProgram::Compile(std::string_view search, std::string_view replacement,
                             unsigned flags) {
  impl_.reset(new Impl);
  flags_ = flags;
  Impl& m = *impl_;
  m.fold = !(flags & kFlagKeepCase) || (flags & kFlagIgnoreCase);
  m.whole = (flags & kFlagWholeText) != 0;
  m.wholeWord = (flags & kFlagWholeWord) != 0;
  m.hasReplacement = (flags & kFlagHasReplacement) != 0;
  m.CompileSearch(search);
  m.CompileReplacement(replacement);
}

bool PatternProgram::IsEmpty() const { return impl_->empty; }

int PatternProgram::NextPossible(const char* text, int from, int end) const {
  const Impl& m = *impl_;
  if (m.required.empty()) return -1;
  const int p = m.required.Next(text, from, end);
  return p < 0 ? end : p;
}

int PatternProgram::PrevPossible(const char* text, int begin, int end) const {
  const Impl& m = *impl_;
  return m.required.empty() ? -1 : m.required.Prev(text, begin, end);
}

int PatternProgram::NextPossibleLineStart(const char* text, int from, int end) const {
  const Impl& m = *impl_;
  if (m.lineStart.empty()) return -1;
  if (from >= end) return end;
  // The line at `from` has no LF before it in the text given.
  if (m.leading.Next(text, from, from + m.leading.size() <= end ? from + m.leading.size() : end) == from)
    return from;
  const int p = m.lineStart.Next(text, from, end);
  return p < 0 ? end : p + 1;
}

void PatternProgram::AppendReplacement(const char* text, int start, int stop, std::string* out) const {
  impl_->ReplacementParts(reinterpret_cast<const unsigned char*>(text), start, stop,
                [out](const unsigned char* data, int n) {
                  if (n > 0) out->append(reinterpret_cast<const char*>(data), static_cast<size_t>(n));
                });
}

bool PatternProgram::IsPlainLiteral() const { return impl_->plainLiteral; }

bool PatternProgram::NextLiteralMatch(const char* text, int from, int end, PatternHit* hit) const {
  const Impl& m = *impl_;
  if (!m.plainLiteral || from < 0) return false;
  const unsigned char* s = reinterpret_cast<const unsigned char*>(text);
  int known = from;  // a character start at or before the search position
  for (int p = from;;) {
    const int c = m.required.Next(text, p, end);
    if (c < 0) return false;
    if (IsBoundary(s, known, c)) {
      if (hit) *hit = PatternHit{c, m.required.size()};
      return true;
    }
    known = c + 1;  // c is the trail byte of a pair, so the next byte starts a character
    p = c + 1;
  }
}

namespace {

// Start and end of cells colFirst..colLast inside [b, e); false when the line
// has fewer cells.
bool CellRange(const unsigned char* s, int b, int e, int colFirst, int colLast, int* rb, int* re) {
  int p = b;
  for (int col = 1; col < colFirst; ++col) {
    const void* f = std::memchr(s + p, kCellSep, static_cast<size_t>(e - p));
    if (!f) return false;
    p = static_cast<int>(static_cast<const unsigned char*>(f) - s) + 1;
  }
  *rb = p;
  int last = colLast <= 0 ? 0 : (colLast < colFirst ? colFirst : colLast);
  if (last == 0) {
    *re = e;
    return true;
  }
  for (int col = colFirst; col <= last; ++col) {
    const void* f = std::memchr(s + p, kCellSep, static_cast<size_t>(e - p));
    if (!f) {
      p = e;
      break;
    }
    p = static_cast<int>(static_cast<const unsigned char*>(f) - s);
    if (col < last) ++p;
  }
  *re = p;
  return true;
}

}  // namespace

int PatternProgram::MatchLine(const char* src, int srcLen, int* readPos, char* out, int* outLen,
                              int outLimit, int colFirst, int colLast, PatternHit* hits) const {
  if (!src || !readPos || srcLen < 0 || *readPos < 0 || *readPos > srcLen) return kErrBadArgument;
  if (out && (!outLen || *outLen < 0 || outLimit < *outLen)) return kErrBadArgument;
  const unsigned char* s = reinterpret_cast<const unsigned char*>(src);
  const int start = *readPos;
  int contentEnd, termEnd;
  if (flags_ & kFlagOneField) {
    int q = start;
    while (q < srcLen && s[q] != kCellSep && s[q] != '\r' && s[q] != '\n' && s[q] != 0) ++q;
    contentEnd = termEnd = q;
  } else {
    const void* lf = std::memchr(s + start, '\n', static_cast<size_t>(srcLen - start));
    if (lf) {
      contentEnd = static_cast<int>(static_cast<const unsigned char*>(lf) - s);
      termEnd = contentEnd + 1;
      if (contentEnd > start && s[contentEnd - 1] == '\r') --contentEnd;
    } else {
      contentEnd = termEnd = srcLen;
    }
  }
  int b = start, e = contentEnd;
  bool inRange = true;
  if (colFirst > 0) inRange = CellRange(s, start, contentEnd, colFirst, colLast, &b, &e);

  Emitter em{out, out ? *outLen : 0, outLimit};
  int count = 0;
  int copied = start;
  if (inRange && !impl_->empty) {
    em.Put(s + start, b - start);
    count = impl_->Scan(s, b, e, out ? &em : nullptr, hits, 0x7FFFFFFF, &copied);
  }
  em.Put(s + copied, termEnd - copied);
  if (em.full) return kErrOutputFull;
  *readPos = termEnd;
  if (out) *outLen = em.w;
  return count;
}

bool PatternProgram::Find(const char* text, int start, int end, PatternHit* hit, int from) const {
  if (!text || start < 0 || end < start || impl_->empty) return false;
  PatternHit h;
  int copied = 0;
  int n = impl_->Scan(reinterpret_cast<const unsigned char*>(text), start, end, nullptr, nullptr, 1,
                      &copied, &h, from);
  if (n > 0 && hit) *hit = h;
  return n > 0;
}

bool PatternProgram::FindLast(const char* text, int start, int end, PatternHit* hit,
                              int before) const {
  if (!text || start < 0 || end < start || impl_->empty) return false;
  PatternHit h;
  int copied = 0;
  int n = impl_->Scan(reinterpret_cast<const unsigned char*>(text), start, end, nullptr, nullptr,
                      0x7FFFFFFF, &copied, &h, start, before < 0 ? 0x7FFFFFFF : before);
  if (n > 0 && hit) *hit = h;
  return n > 0;
}

void SetFunctionHook(FunctionHook hook, void* context) {
  g_hook = hook;
  g_hookContext = context;
}

int MatchPattern(const char* src, char* out, std::string_view search, std::string_view replacement,
                 int* readPos, int* outLen, int srcLen, unsigned flags, int outLimit, int colFirst,
                 int colLast, PatternHit* hits) {
  // The compiled form of the last call, kept while the same texts come again
  // (the line-wise callers pass the same pattern for every line).
  struct Cache {
    bool valid = false;
    std::string search, replacement;
    unsigned flags = 0;
    PatternProgram program;
  };
  thread_local Cache cache;
  if (!cache.valid || cache.flags != flags || cache.search != search ||
      cache.replacement != replacement) {
    cache.search.assign(search.data(), search.size());
    cache.replacement.assign(replacement.data(), replacement.size());
    cache.flags = flags;
    cache.program.Compile(search, replacement, flags);
    cache.valid = true;
  }
  return cache.program.MatchLine(src, srcLen, readPos, out, outLen, outLimit, colFirst, colLast,
                                 hits);
}

int ReplaceInText(std::string_view text, std::string_view search, std::string_view replacement,
                  unsigned flags, int outLimit, std::string* output) {
  output->clear();
  if (text.size() > 0x7FFFFFF0u || outLimit < 0) return kErrBadArgument;
  PatternProgram program;
  program.Compile(search, replacement, flags);
  output->resize(static_cast<size_t>(outLimit));
  const int len = static_cast<int>(text.size());
  int readPos = 0, outLen = 0, total = 0;
  // Every line of the text, so that a text with line breaks keeps its rest.
  do {
    int n = program.MatchLine(text.data(), len, &readPos, &(*output)[0], &outLen, outLimit, 0, 0,
                              nullptr);
    if (n < 0) {
      output->clear();
      return n;
    }
    total += n;
  } while (readPos < len);
  output->resize(static_cast<size_t>(outLen));
  return total;
}

}  // namespace pat
