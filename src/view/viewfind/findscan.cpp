#include "view/viewfind/findscan.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "fw/sjis.h"

namespace viewfind {
namespace {

constexpr FindTuning kTuning = {
    1000,        // pollEvery
    4096,        // firstOutLimit
    0x40000000,  // maxOutLimit (1 GB for one line)
};

bool IsTrail(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }

// Length of the character at s[i] (1 or 2), never past `end`.
int CharLen(const char* s, int i, int end) {
  return fw::IsSjisLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < end &&
                 IsTrail(static_cast<unsigned char>(s[i + 1]))
             ? 2
             : 1;
}

void TabsToCells(std::string* s) { std::replace(s->begin(), s->end(), '\t', pat::kCellSep); }

bool Finish(std::string rule, unsigned addFlags, bool cells, FindRule* out) {
  pat::ExpandEscapeSequences(rule, pat::kEscapeSearch);
  out->flags = pat::TranslateSearchPattern(rule, &out->search, &out->replacement, '&') | addFlags;
  out->cells = cells;
  if (cells) {
    TabsToCells(&out->search);
    TabsToCells(&out->replacement);
  }
  out->program = std::make_shared<pat::PatternProgram>();
  out->program->Compile(out->search, out->replacement, out->flags);
  return !out->program->IsEmpty();
}

// Runs the poll before `line` when it is due; true = stop.
bool PollDue(const PollFn& poll, int scanned, int line) {
  return poll && scanned > 0 && scanned % kTuning.pollEvery == 0 && poll(line);
}

}  // namespace

const FindTuning& Tuning() { return kTuning; }

std::string StoredToRuleText(std::string_view stored) {
  std::string dialog = pat::FindTextToDialog(stored);
  std::string out;
  out.reserve(dialog.size() + 4);
  for (std::size_t i = 0; i < dialog.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(dialog[i]);
    if (fw::IsSjisLeadByte(c) && i + 1 < dialog.size() && IsTrail(static_cast<unsigned char>(dialog[i + 1]))) {
      out += dialog[i];
      out += dialog[++i];
      continue;
    }
    if (c == '\\' && i + 1 < dialog.size()) {  // an escape made above: keep it whole
      out += dialog[i];
      out += dialog[++i];
      continue;
    }
    if (c == ':') out += '\\';
    out += static_cast<char>(c);
  }
  return out;
}

bool CompileDialogRule(std::string_view storedSearch, std::string_view storedReplacement, unsigned options,
                       bool replace, bool cells, FindRule* rule) {
  if (storedSearch.empty()) return false;
  std::string text = StoredToRuleText(storedSearch);
  unsigned add = 0;
  if (options & kOptMatchCase) add |= pat::kFlagKeepCase;
  if (options & kOptWholeWord) add |= pat::kFlagWholeWord;
  if (replace) {
    text += pat::kRuleSep;
    text += StoredToRuleText(storedReplacement);
    add |= pat::kFlagReplaceMode;
  }
  return Finish(std::move(text), add, cells, rule);
}

bool CompileMacroRule(std::string_view pattern, std::string_view operand, unsigned extraFlags, bool cells,
                      FindRule* rule) {
  std::string text(pattern);
  text += pat::kRuleSep;
  text.append(operand.data(), operand.size());
  return Finish(std::move(text), pat::kFlagsMacroReplace | (extraFlags & ~kOptionBits), cells, rule);
}

LineText::LineText(std::string text, bool cells) : own_(std::move(text)) {
  if (cells) TabsToCells(&own_);
  data_ = own_.data();
  size_ = static_cast<int>(own_.size());
  starts_.push_back(0);
  charStarts_.push_back(0);
}

LineText::LineText(std::string_view borrowed)
    : data_(borrowed.data()), size_(static_cast<int>(borrowed.size())) {
  starts_.push_back(0);
  charStarts_.push_back(0);
}

// Line breaks are CR, LF or CR LF, so a line starts after every LF and after
// every CR that no LF follows. Those bytes are found 64 at a time as bit masks
// (a CR is dropped when the bit after it is an LF, the next block's first bit
// taken across); only the starts are kept, the ends follow from them. Each
// call goes at least 4 KiB further, so a scan that asks byte after byte pays
// for the call rarely and finds those bytes still in the cache.
constexpr int kIndexStep = 1 << 18;

void LineText::IndexMore(int byte) const {
  const unsigned char* s = reinterpret_cast<const unsigned char*>(data_);
  const int n = size_;
  // Room for the starts of the rest at a guessed line length of 32 bytes (the
  // room is only reserved, not touched), so long texts are not copied as the
  // table grows.
  if (starts_.capacity() < static_cast<size_t>(n / 32) + 16) starts_.reserve(static_cast<size_t>(n / 32) + 16);
  const int target = byte + 1 > indexedTo_ + kIndexStep ? byte + 1 : indexedTo_ + kIndexStep;
  int p = indexedTo_;
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
  for (; p + 64 <= n && p < target; p += 64) {
    unsigned long long c = 0, l = 0;
    for (int k = 0; k < 4; ++k) {
      const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + p + 16 * k));
      c |= static_cast<unsigned long long>(static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, cr)))) << (16 * k);
      l |= static_cast<unsigned long long>(static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, lf)))) << (16 * k);
    }
    if ((c | l) == 0) continue;
    // The LF right after this block's last byte decides about a CR there.
    const unsigned long long lfAfterLast = (p + 64 < n && s[p + 64] == '\n') ? 1ull << 63 : 0;
    unsigned long long bits = l | (c & ~((l >> 1) | lfAfterLast));
    while (bits != 0) {
      starts_.push_back(p + __builtin_ctzll(bits) + 1);
      bits &= bits - 1;
    }
  }
#endif
  for (; p < n && (p < target || n - p < 64); ++p)
    if (s[p] == '\n' || (s[p] == '\r' && !(p + 1 < n && s[p + 1] == '\n'))) starts_.push_back(p + 1);
  indexedTo_ = p;
}

int LineText::LineCount() const {
  IndexTo(size_);
  return static_cast<int>(starts_.size());
}

bool LineText::FindLine(int line) const {
  while (static_cast<int>(starts_.size()) <= line && indexedTo_ < size_) IndexTo(indexedTo_);
  return line >= 0 && line < static_cast<int>(starts_.size());
}

int LineText::LineStart(int line) const {
  HasLine(line);
  return starts_[line];
}

int LineText::LineEnd(int line) const {
  if (!HasLine(line + 1)) return size_;
  const int next = starts_[line + 1];
  return next - ((next >= 2 && data_[next - 1] == '\n' && data_[next - 2] == '\r') ? 2 : 1);
}

void LineText::CountCharsTo(int line) const {
  for (int l = static_cast<int>(charStarts_.size()); l <= line && HasLine(l); ++l) {
    // Characters of the line before, then each byte of its break.
    const int b = starts_[l - 1], e = LineEnd(l - 1);
    long chars = 0;
    for (int i = b; i < e; i += CharLen(data_, i, e)) ++chars;
    charStarts_.push_back(charStarts_[l - 1] + chars + (starts_[l] - e));
  }
}

int LineText::LineOfByte(int byte) const {
  IndexTo(byte);
  const int count = static_cast<int>(starts_.size());
  // Scans go forward: from the line found last, steps of 1, 2, 4, ... lines
  // until one starts past the byte, then halving between the last two.
  int lo = lastLine_ < count ? lastLine_ : 0;
  if (starts_[lo] > byte) lo = 0;
  int step = 1, hi = lo + 1;
  while (hi < count && starts_[hi] <= byte) {
    lo = hi;
    step *= 2;
    hi = lo + step;
  }
  if (hi > count) hi = count;
  // starts_[lo] <= byte, and starts_[hi] > byte (or hi == count).
  auto it = std::upper_bound(starts_.begin() + lo + 1, starts_.begin() + hi, byte);
  return lastLine_ = static_cast<int>(it - starts_.begin()) - 1;
}

long LineText::CharOfByte(int byte) const {
  if (byte <= 0) return 0;
  if (byte > size()) byte = size();
  int line = LineOfByte(byte);
  CountCharsTo(line);
  long ch = charStarts_[line];
  const int end = LineEnd(line);
  int i = starts_[line];
  while (i < byte && i < end) {
    i += CharLen(data_, i, end);
    ++ch;
  }
  return ch + (byte > end ? byte - end : 0);
}

int LineText::ByteOfChar(long ch) const {
  if (ch <= 0) return 0;
  // Count line starts until one lies past ch (or every line is counted).
  while (charStarts_.back() <= ch && HasLine(static_cast<int>(charStarts_.size())))
    CountCharsTo(static_cast<int>(charStarts_.size()));
  auto it = std::upper_bound(charStarts_.begin(), charStarts_.end(), ch);
  int line = static_cast<int>(it - charStarts_.begin()) - 1;
  long c = charStarts_[line];
  const int end = LineEnd(line);
  int i = starts_[line];
  while (c < ch && i < end) {
    i += CharLen(data_, i, end);
    ++c;
  }
  if (c < ch) i = std::min(size(), i + static_cast<int>(ch - c));  // inside the break
  return i;
}

bool LineText::Subject(int line, int column, int* start, int* end) const {
  int s = LineStart(line), e = LineEnd(line);
  if (column <= 0) {
    *start = s;
    *end = e;
    return true;
  }
  // Cells are separated by 0x06; a double-byte character never holds one.
  int cell = 1, cellStart = s;
  for (int i = s; i <= e; ++i) {
    if (i == e || data_[i] == pat::kCellSep) {
      if (cell == column) {
        *start = cellStart;
        *end = i;
        return true;
      }
      ++cell;
      cellStart = i + 1;
    }
  }
  return false;
}

namespace {

// The polls the line-by-line scan from line `first` makes before lines
// [line, upTo]: before every 1000th line after the first. True = stop.
bool PollRange(const PollFn& poll, int first, int line, int upTo) {
  if (!poll) return false;
  const int every = kTuning.pollEvery;
  int k = (line - first + every - 1) / every;
  if (k < 1) k = 1;
  for (long long at = first + static_cast<long long>(k) * every; at <= upTo; at += every)
    if (poll(static_cast<int>(at))) return true;
  return false;
}

// The line-by-line downward scan: every line from fromByte's on, one engine call each.
ScanResult FindNextByLines(const LineText& text, const FindRule& rule, int column, int fromByte,
                           pat::PatternHit* hit, const PollFn& poll) {
  int first = text.LineOfByte(std::max(0, fromByte));
  for (int line = first, scanned = 0; line < text.LineCount(); ++line, ++scanned) {
    if (PollDue(poll, scanned, line)) return ScanResult::kStopped;
    int s, e;
    if (!text.Subject(line, column, &s, &e)) continue;
    if (line == first && fromByte > e) continue;
    int from = line == first && fromByte > s ? fromByte : -1;
    if (rule.program->Find(text.data(), s, e, hit, from)) return ScanResult::kFound;
  }
  return ScanResult::kNotFound;
}

}  // namespace

bool g_wholeTextScans = true;

ScanResult FindNext(const LineText& text, const FindRule& rule, int column, int fromByte, pat::PatternHit* hit,
                    const PollFn& poll) {
  if (!rule.program) return ScanResult::kNotFound;
  const pat::PatternProgram& program = *rule.program;
  const char* data = text.data();
  const int size = text.size();
  // Without a literal that every match holds (or within one cell), line by line.
  if (!g_wholeTextScans || column > 0 || program.NextPossible(data, 0, 0) < 0)
    return FindNextByLines(text, rule, column, fromByte, hit, poll);
  // One pass over the whole text for that literal; only the lines that hold
  // it are given to the engine (a plain literal is its own match).
  const int first = text.LineOfByte(std::max(0, fromByte));
  const bool plain = program.IsPlainLiteral();
  int line = first;
  int pos = std::max(0, fromByte);
  for (;;) {
    pat::PatternHit found;
    int at;
    if (plain)
      at = program.NextLiteralMatch(data, pos, size, &found) ? found.start : size;
    else
      at = program.NextPossible(data, pos, size);
    if (at >= size) {  // none: the polls of the remaining lines
      return PollRange(poll, first, line, text.LineCount() - 1) ? ScanResult::kStopped : ScanResult::kNotFound;
    }
    const int hitLine = text.LineOfByte(at);
    if (PollRange(poll, first, line, hitLine)) return ScanResult::kStopped;
    if (plain) {
      *hit = found;
      return ScanResult::kFound;
    }
    const int s = text.LineStart(hitLine), e = text.LineEnd(hitLine);
    if (!(hitLine == first && fromByte > e)) {
      const int from = hitLine == first && fromByte > s ? fromByte : -1;
      if (program.Find(data, s, e, hit, from)) return ScanResult::kFound;
    }
    line = hitLine + 1;
    if (!text.HasLine(line)) return ScanResult::kNotFound;
    pos = text.LineStart(line);
  }
}

namespace {

// The line-by-line upward scan.
ScanResult FindPreviousByLines(const LineText& text, const FindRule& rule, int column, int beforeByte,
                               pat::PatternHit* hit, const PollFn& poll) {
  int first = text.LineOfByte(beforeByte);
  for (int line = first, scanned = 0; line >= 0; --line, ++scanned) {
    if (PollDue(poll, scanned, line)) return ScanResult::kStopped;
    int s, e;
    if (!text.Subject(line, column, &s, &e)) continue;
    int before = line == first ? beforeByte : -1;
    if (before >= 0 && before <= s) continue;
    if (rule.program->FindLast(text.data(), s, e, hit, before)) return ScanResult::kFound;
  }
  return ScanResult::kNotFound;
}

// The polls the upward scan from line `first` makes before lines
// [downTo, line], in its order (every 1000th line above the first).
bool PollRangeUp(const PollFn& poll, int first, int line, int downTo) {
  if (!poll) return false;
  const int every = kTuning.pollEvery;
  int k = (first - line + every - 1) / every;
  if (k < 1) k = 1;
  for (long long at = first - static_cast<long long>(k) * every; at >= downTo; at -= every)
    if (poll(static_cast<int>(at))) return true;
  return false;
}

}  // namespace

ScanResult FindPrevious(const LineText& text, const FindRule& rule, int column, int beforeByte,
                        pat::PatternHit* hit, const PollFn& poll) {
  if (!rule.program || beforeByte <= 0) return ScanResult::kNotFound;
  const pat::PatternProgram& program = *rule.program;
  const char* data = text.data();
  if (!g_wholeTextScans || column > 0 || program.NextPossible(data, 0, 0) < 0)
    return FindPreviousByLines(text, rule, column, beforeByte, hit, poll);
  // The caret's line as the line-by-line scan takes it; above it, the last
  // occurrence of the literal every match holds, found going backwards over
  // the whole text, gives the next line to try.
  const int first = text.LineOfByte(beforeByte);
  const int s0 = text.LineStart(first), e0 = text.LineEnd(first);
  if (beforeByte > s0 && program.FindLast(data, s0, e0, hit, beforeByte)) return ScanResult::kFound;
  int line = first - 1;
  int bound = s0;  // occurrences wholly before this byte
  while (line >= 0) {
    const int at = program.PrevPossible(data, 0, bound);
    const int hitLine = at < 0 ? -1 : text.LineOfByte(at);
    if (PollRangeUp(poll, first, line, hitLine < 0 ? 0 : hitLine)) return ScanResult::kStopped;
    if (hitLine < 0) return ScanResult::kNotFound;
    const int s = text.LineStart(hitLine), e = text.LineEnd(hitLine);
    if (program.FindLast(data, s, e, hit, -1)) return ScanResult::kFound;
    line = hitLine - 1;
    bound = s;
  }
  return ScanResult::kNotFound;
}

int ReplaceAll(const LineText& text, const FindRule& rule, int column, std::vector<LineEdit>* edits,
               bool* stopped, const PollFn& poll) {
  if (stopped) *stopped = false;
  if (!rule.program) return 0;
  int total = 0;
  std::string out;
  // Lines without the literal every match holds are passed over (their polls
  // still made); with a column or without such a literal every line is tried.
  const bool skip = g_wholeTextScans && column <= 0 && rule.program->NextPossible(text.data(), 0, 0) >= 0;
  int nextPossible = -1;  // where that literal stands next, at or after the line's start
  for (int line = 0; line < text.LineCount(); ++line) {
    if (skip) {
      if (nextPossible < text.LineStart(line))
        nextPossible = rule.program->NextPossible(text.data(), text.LineStart(line), text.size());
      const int to = nextPossible >= text.size() ? text.LineCount() : text.LineOfByte(nextPossible);
      if (to > line) {
        if (PollRange(poll, 0, line, std::min(to, text.LineCount()) - 1)) {
          if (stopped) *stopped = true;
          break;
        }
        line = to - 1;
        continue;
      }
    }
    if (PollDue(poll, line, line)) {
      if (stopped) *stopped = true;
      break;
    }
    const int s = text.LineStart(line), e = text.LineEnd(line);
    int limit = std::max(kTuning.firstOutLimit, (e - s) * 2 + 16);
    for (;;) {
      out.resize(static_cast<std::size_t>(limit));
      int readPos = s, outLen = 0;
      int n = rule.program->MatchLine(text.data(), e, &readPos, &out[0], &outLen, limit, column, column, nullptr);
      if (n == pat::kErrOutputFull) {
        if (limit >= kTuning.maxOutLimit) return pat::kErrTooLarge;
        limit = limit > kTuning.maxOutLimit / 2 ? kTuning.maxOutLimit : limit * 2;
        continue;
      }
      if (n < 0) return n;
      if (n > 0) {
        total += n;
        edits->push_back(LineEdit{s, e, ToControlText(rule, out.substr(0, static_cast<std::size_t>(outLen)))});
      }
      break;
    }
  }
  return total;
}

bool ReplaceSelected(const LineText& text, const FindRule& rule, int column, int start, int end,
                     std::string* out) {
  if (!rule.program || start < 0 || end < start || end > text.size()) return false;
  int line = text.LineOfByte(start);
  int s, e;
  if (!text.Subject(line, column, &s, &e) || start < s || end > e) return false;
  pat::PatternHit hit;
  if (!rule.program->Find(text.data(), s, e, &hit, start) || hit.start != start || hit.length != end - start)
    return false;
  // The match alone, replaced as a whole subject (its anchors held already).
  std::string replaced;
  std::string_view matched(text.data() + start, static_cast<std::size_t>(end - start));
  const unsigned flags = (rule.flags & ~pat::kFlagWholeWord) | pat::kFlagWholeText | pat::kFlagHasReplacement;
  int limit = std::max(kTuning.firstOutLimit, (end - start) * 2 + 16);
  int n;
  while ((n = pat::ReplaceInText(matched, rule.search, rule.replacement, flags, limit, &replaced)) ==
             pat::kErrOutputFull &&
         limit < kTuning.maxOutLimit)
    limit = limit > kTuning.maxOutLimit / 2 ? kTuning.maxOutLimit : limit * 2;
  if (n <= 0) return false;
  *out = ToControlText(rule, std::move(replaced));
  return true;
}

std::string ToControlText(const FindRule& rule, std::string text) {
  if (rule.cells) std::replace(text.begin(), text.end(), pat::kCellSep, '\t');
  return text;
}

}  // namespace viewfind
