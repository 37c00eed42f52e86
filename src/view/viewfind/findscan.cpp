#include "view/viewfind/findscan.h"

#include <algorithm>

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

LineText::LineText(std::string text, bool cells) : text_(std::move(text)) {
  if (cells) TabsToCells(&text_);
  const char* s = text_.data();
  const int n = static_cast<int>(text_.size());
  long chars = 0, lineChars = 0;
  int start = 0;
  for (int i = 0; i <= n;) {
    if (i == n || s[i] == '\r' || s[i] == '\n') {
      starts_.push_back(start);
      ends_.push_back(i);
      charStarts_.push_back(lineChars);
      if (i == n) break;
      int br = (s[i] == '\r' && i + 1 < n && s[i + 1] == '\n') ? 2 : 1;
      chars += br;
      i += br;
      start = i;
      lineChars = chars;
      continue;
    }
    i += CharLen(s, i, n);
    ++chars;
  }
}

int LineText::LineOfByte(int byte) const {
  auto it = std::upper_bound(starts_.begin(), starts_.end(), byte);
  return it == starts_.begin() ? 0 : static_cast<int>(it - starts_.begin()) - 1;
}

long LineText::CharOfByte(int byte) const {
  if (byte <= 0) return 0;
  if (byte > size()) byte = size();
  int line = LineOfByte(byte);
  long ch = charStarts_[line];
  const int end = ends_[line];
  int i = starts_[line];
  while (i < byte && i < end) {
    i += CharLen(text_.data(), i, end);
    ++ch;
  }
  return ch + (byte > end ? byte - end : 0);
}

int LineText::ByteOfChar(long ch) const {
  if (ch <= 0) return 0;
  auto it = std::upper_bound(charStarts_.begin(), charStarts_.end(), ch);
  int line = static_cast<int>(it - charStarts_.begin()) - 1;
  long c = charStarts_[line];
  const int end = ends_[line];
  int i = starts_[line];
  while (c < ch && i < end) {
    i += CharLen(text_.data(), i, end);
    ++c;
  }
  if (c < ch) i = std::min(size(), i + static_cast<int>(ch - c));  // inside the break
  return i;
}

bool LineText::Subject(int line, int column, int* start, int* end) const {
  int s = starts_[line], e = ends_[line];
  if (column <= 0) {
    *start = s;
    *end = e;
    return true;
  }
  // Cells are separated by 0x06; a double-byte character never holds one.
  int cell = 1, cellStart = s;
  for (int i = s; i <= e; ++i) {
    if (i == e || text_[i] == pat::kCellSep) {
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

ScanResult FindNext(const LineText& text, const FindRule& rule, int column, int fromByte, pat::PatternHit* hit,
                    const PollFn& poll) {
  if (!rule.program || text.LineCount() == 0) return ScanResult::kNotFound;
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

ScanResult FindPrevious(const LineText& text, const FindRule& rule, int column, int beforeByte,
                        pat::PatternHit* hit, const PollFn& poll) {
  if (!rule.program || text.LineCount() == 0 || beforeByte <= 0) return ScanResult::kNotFound;
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

int ReplaceAll(const LineText& text, const FindRule& rule, int column, std::vector<LineEdit>* edits,
               bool* stopped, const PollFn& poll) {
  if (stopped) *stopped = false;
  if (!rule.program) return 0;
  int total = 0;
  std::string out;
  for (int line = 0; line < text.LineCount(); ++line) {
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
