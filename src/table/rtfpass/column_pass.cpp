// The column pass: insert, remove, split and join a column of a ruled table
// by copying the block's RTF forward once, and the cell scanner it uses.
#include "table/rtfpass/column_pass.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace table::rtfpass {

namespace {

// Tuning constants of the pass and its scanner.
struct ColumnLimits {
  std::size_t wordLetters;   // letters of a control word at most
  int wordDigits;            // digits of its number at most
  std::size_t glyphLook;     // bytes a look-ahead for a rule glyph reads
  int glyphChars;            // characters a rule glyph has at most
  std::size_t phase1Bytes;   // bytes the scanner's first phase skips at most
  std::size_t scanBytes;     // bytes the scanner counts through at most
  int scanChars;             // characters the scanner counts at most
  long long alignTolerance;  // twips a row's left stop may lie off the reference
  long long extraStopGap;    // the stop added after the 32nd stop lies this far right
  long long splitShift;      // 'I': later stops move right by this much
  long long splitPadI;       // 'I': the new stop lies this far past the split text
  long long splitPadNoShift; // 'i': the same without the shift
  long long joinDefault;     // 'U' at the 31st boundary before the width is measured
  long long maxTwips;        // stops are written within [0, maxTwips]
  std::size_t formatBytes;   // the longest paragraph format that can be restated
  std::size_t pendingJoin;   // 32nd stops awaiting the measured join width
  std::size_t dottedEnd;     // bytes a dotted cell's end is looked for
  int tabColumns;            // TABs that land on stops (the control keeps 32 stops)
  int noCountSplit;          // split count without "ATR:%I" or with a zero number
  int atrExtra;              // added to the number after "ATR:%I"
  int fillRule, fillPlain;   // a blank fill counts from the cell's length plus these
  int fillFallback;          // the fill width when the stops give none
  int ruleSpacing;           // |\sl| of a 1-point rule paragraph
};
constexpr ColumnLimits kLimits = {32, 10, 100, 4, 150, 3000, 900, 150, 4000, 300, 50, -10, 2000, 0x7FFFFFFF,
                                  4096, 8, 4000, 31, 9, 3, 96, 98, 140, 20};

// The texts the pass writes.
constexpr const char kSepVisible[] = "\\tab \\highlight1\\fs2 .\\highlight0\\fs%d  ";
constexpr const char kSepInvisible[] = "\\tab \\fs2 ..";
constexpr const char kSepFirstRule[] = "\\highlight1\\tab \\fs2 ..";
constexpr const char kSepFirstPlain[] = "\\highlight0\\tab \\fs2 ..";
constexpr const char kSepWideVisible[] = "\\tab \\highlight1\\fs2 .\\highlight0\\fs%d      ";
constexpr const char kSepWideInvisible[] = "\\tab \\fs2 ..\\fs%d      ";
constexpr const char kSizeBack[] = "\\fs%d ";
constexpr const char kDotThick[] = "\\highlight1\\fs2 ..\\highlight0 ";
constexpr const char kDotThin[] = "\\highlight1\\fs2 _\\highlight0 _";
constexpr const char kDotNone[] = "\\highlight0\\fs2 ..\\highlight0 ";
constexpr const char kDotRule[] = "\\fs2 ..";
constexpr const char kTabAfterCell[] = "\\tab ";
constexpr const char kTabJoin[] = "\\tab";
constexpr const char kTabEmptyCell[] = "\\tab\\fs2  \\fs%d  ";
constexpr const char kTabRuleCell[] = "\\tab\\fs2  .\\fs%d  ";

// Control words of a paragraph format: the run of them after "\pard" is the
// text a restatement repeats.
constexpr const char* kParaWords[] = {
    "pard", "sl", "slmult", "tx", "tb", "tqr", "tqc", "tqdec", "tldot", "tlhyph", "tlul", "tlth", "tleq",
    "tlmdot", "li", "ri", "fi", "lin", "rin", "ql", "qr", "qc", "qj", "qd", "sb", "sa", "sbauto", "saauto",
    "keep", "keepn", "widctlpar", "nowidctlpar", "intbl", "hyphpar", "nohyphpar", "ltrpar", "rtlpar",
    "noline", "nowwrap", "aspalpha", "aspnum", "faauto", "adjustright", "itap", "outlinelevel", "pagebb", "s"};

// Groups copied whole: their words do not belong to the text.
constexpr const char* kDestinations[] = {"fonttbl", "colortbl", "stylesheet", "info", "pict", "object",
                                         "listtable", "listoverridetable", "rsidtbl", "generator", "xmlnstbl",
                                         "themedata", "colorschememapping", "latentstyles", "datastore"};

bool IsAlpha(std::uint8_t b) { return (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z'); }
bool IsDigit(std::uint8_t b) { return b >= '0' && b <= '9'; }
bool IsHex(std::uint8_t b) { return IsDigit(b) || (b >= 'a' && b <= 'f') || (b >= 'A' && b <= 'F'); }

// "'xx" with two hex digits at p: one escaped byte. A "'" without them is
// a two-byte symbol like any other, so that no backslash is taken into it.
bool EscapeAt(const RtfReader& r, std::size_t p) {
  return r.At(p + 1) == '\'' && IsHex(r.At(p + 2)) && IsHex(r.At(p + 3));
}

// One control word "\name[-]digits[ ]" at `begin`.
struct Word {
  std::size_t begin = 0, end = 0;  // end: past the digits and the blank that ends the word
  char name[16] = {};
  bool longName = false;
  bool hasNum = false;
  long long num = 0;
  int digits = 0;
  bool blank = false;
  bool Is(const char* s) const {
    if (longName) return false;
    std::size_t i = 0;
    for (; s[i]; ++i)
      if (name[i] != s[i]) return false;
    return name[i] == 0;
  }
};

// Reads the word at p (At(p) is '\', At(p + 1) a letter): at most 32
// letters and 10 digits, as RTF allows, so no word reads far ahead.
Word ParseWord(const RtfReader& r, std::size_t p) {
  Word w;
  w.begin = p;
  std::size_t q = p + 1;
  std::size_t n = 0;
  while (IsAlpha(r.At(q)) && n < kLimits.wordLetters) {
    if (n + 1 < sizeof w.name) w.name[n] = static_cast<char>(r.At(q));
    else w.longName = true;
    ++n;
    ++q;
  }
  bool neg = false;
  if (r.At(q) == '-' && IsDigit(r.At(q + 1))) {
    neg = true;
    ++q;
  }
  while (IsDigit(r.At(q)) && w.digits < kLimits.wordDigits) {
    w.num = w.num * 10 + (r.At(q) - '0');
    ++w.digits;
    ++q;
  }
  w.hasNum = w.digits > 0;
  if (neg) w.num = -w.num;
  if (r.At(q) == ' ') {
    w.blank = true;
    ++q;
  }
  w.end = q;
  return w;
}

bool IsParaWord(const Word& w) {
  for (const char* s : kParaWords)
    if (w.Is(s)) return true;
  return false;
}

// Words that end a paragraph or a cell's text.
bool EndsText(const Word& w) {
  return w.Is("tab") || w.Is("par") || w.Is("pard") || w.Is("sect") || w.Is("page") || w.Is("cell") ||
         w.Is("row");
}

// The in-pair rule of the scanner: the first hex digit of "\'xx" from '8'
// up to the character before 'a', or from 'e' on, marks a lead byte.
bool LeadDigit(std::uint8_t d) { return (d >= '8' && d < 'a') || d >= 'e'; }

// True when `o` ends in a control word without its ending blank, so that
// text written next would run into it.
bool EndsInOpenWord(const std::string& o) {
  const std::size_t n = o.size();
  std::size_t j = n;
  while (j > 0 && n - j < 40 && IsDigit(static_cast<std::uint8_t>(o[j - 1]))) --j;
  if (j > 0 && j < n && o[j - 1] == '-') --j;
  std::size_t k = j;
  while (k > 0 && n - k < 40 && IsAlpha(static_cast<std::uint8_t>(o[k - 1]))) --k;
  if (k == j || k == 0 || o[k - 1] != '\\') return false;
  std::size_t m = k - 1, slashes = 0;
  while (m > 0 && o[m - 1] == '\\' && slashes < 64) {
    ++slashes;
    --m;
  }
  return slashes % 2 == 0;
}

std::string Num(long long v) {
  char b[32];
  std::snprintf(b, sizeof b, "%lld", v);
  return b;
}

std::string WithSize(const char* form, int s) {
  char b[128];
  std::snprintf(b, sizeof b, form, s);
  return b;
}

// The rule glyph after a TAB: the plain characters that follow a one-digit
// "\fs" within the words after the TAB.
struct Glyph {
  bool found = false;
  std::size_t end = 0;   // past the glyph's characters (the TAB word's end when none)
  bool visible = false;  // a \highlight with a digit from 1 to 9 came before it
  int chars = 0;         // its non-blank characters in a visible highlight
  int size = 0;          // all its characters
};

// A glyph may be made of characters in different highlights ("\highlight1\fs2 _
// \highlight0\fs2 _"): it runs on while the size stays one digit.
Glyph FindGlyph(const RtfReader& r, std::size_t from) {
  Glyph g;
  g.end = from;
  bool one = false;
  bool visible = false;
  std::size_t p = from;
  while (p < from + kLimits.glyphLook) {
    const std::uint8_t b = r.At(p);
    if (b == '\r' || b == '\n') {
      ++p;
      continue;
    }
    if (b == '\\') {
      if (!IsAlpha(r.At(p + 1))) break;
      const Word w = ParseWord(r, p);
      if (EndsText(w)) break;
      if (w.Is("fs")) {
        one = w.digits == 1;
        if (!one && g.found) break;
      }
      if (w.Is("highlight")) visible = w.num >= 1 && w.num <= 9;
      p = w.end;
      continue;
    }
    if (b == 0 || b == '{' || b == '}' || !one || g.size >= kLimits.glyphChars) break;
    if (!g.found) g.visible = visible;
    std::size_t q = p;
    while (q < p + kLimits.glyphChars - g.size) {
      const std::uint8_t c = r.At(q);
      if (c == 0 || c == '\\' || c == '{' || c == '}' || c == '\r' || c == '\n') break;
      if (c != ' ' && visible) ++g.chars;
      ++q;
    }
    g.size += static_cast<int>(q - p);
    g.found = true;
    g.end = q;
    p = q;
  }
  return g;
}

// The output of the pass: bounded by the limit, with the two edits the pass
// makes to what it has written (dropping a removed cell, correcting a stop).
class Out {
 public:
  Out(std::size_t limit, std::size_t hint) : limit_(limit) { s_.reserve(std::min(limit, hint)); }
  bool Room(std::size_t n) const { return !failed_ && n <= limit_ - s_.size(); }
  void Put(std::string_view t) {
    if (!Room(t.size())) {
      failed_ = true;
      return;
    }
    s_.append(t.data(), t.size());
  }
  void Fill(char c, std::size_t n) {
    if (!Room(n)) {
      failed_ = true;
      return;
    }
    s_.append(n, c);
  }
  void Truncate(std::size_t n) {
    if (n < s_.size()) s_.resize(n);
  }
  void Splice(std::size_t at, std::size_t len, std::string_view t) {
    if (failed_ || at > s_.size() || len > s_.size() - at) return;
    if (t.size() > len && !Room(t.size() - len)) {
      failed_ = true;
      return;
    }
    s_.replace(at, len, t.data(), t.size());
  }
  std::size_t Size() const { return s_.size(); }
  bool Failed() const { return failed_; }
  const std::string& Str() const { return s_; }
  std::string Take() { return std::move(s_); }

 private:
  std::string s_;
  std::size_t limit_;
  bool failed_ = false;
};

// Where a dotted cell that the pass turns into a TAB cell ends.
enum class DottedMode { kNone, kRemove31, kJoin31 };
enum class DottedEnd { kNone, kTab, kGlyph, kParagraph };

class ColumnPass {
 public:
  ColumnPass(std::string_view rtf, const PassArgs& a, const PassFacts& f, std::size_t limit)
      : text_(rtf), in_(rtf), out_(limit, rtf.size() + rtf.size() / 8 + 256), args_(a), facts_(f) {}
  PassResult Run();

 private:
  bool Prepare();
  bool InRange(long long para) const { return para >= first_ && (end_ < 0 || para < end_); }
  void Walk(std::size_t from, std::size_t to);
  void PlainRun(std::size_t& p, std::size_t to);
  void Backslash(std::size_t& p);
  void HandleWord(const Word& w, std::size_t& p);
  void CopyGroup(std::size_t& p);
  bool DestinationAt(std::size_t p) const;
  void PutText(std::string_view t);
  void CopyIn(std::size_t from, std::size_t to) { out_.Put(text_.substr(from, to - from)); }
  void Removed() { needGuard_ = true; }

  void Paragraph(const Word& w, std::size_t& p);
  void Format(const Word& w);
  void Stop(const Word& w);
  void Tab(const Word& w, std::size_t& p);
  void Split(const Word& w, std::size_t& p);
  void InsertSeparator();
  void DropSinceMark();
  void PushedCell(const Word& w, std::size_t& p, long long cellLen);
  void Restate(bool rewrite);
  void StartDotted(DottedMode mode, std::size_t at);
  bool DottedWord(const Word& w, std::size_t& p);
  DottedEnd DottedEndAt(std::size_t p, std::size_t* glyphSize) const;
  void FinishDotted(DottedEnd how, std::size_t glyphSize);
  void JoinMeasured(long long delta);
  long long NewStop(std::size_t i) const { return i < newStops_.size() ? newStops_[i] : 0; }
  long long Clamp(long long v) const { return std::max(0LL, std::min(v, kLimits.maxTwips)); }

  std::string_view text_;
  RtfReader in_;
  Out out_;
  PassArgs args_;
  PassFacts facts_;

  // The command.
  int cmd_ = 0;       // 'E', 'R', 'I', 'U' ('i' is 'I' with noShift_)
  bool noShift_ = false;
  long long c_ = 0;   // the column the tables speak of
  long long n_ = 0;   // characters wanted + 1 at the split
  int s_ = 21;        // the text size in half-points
  long long bw_ = 105;  // one blank of size s, in twips
  long long step_ = 115;
  long long first_ = 0, end_ = -1;

  // Where the walk is.
  long long para_ = 0;
  bool inRange_ = false;
  int tIn_ = 0, tOut_ = 0;   // TABs of the paragraph read and written
  long long cellChars_ = 0;  // characters of the cell being written, in a size of two digits
  bool fsOne_ = false;       // the size in effect has one digit (a 1-point glyph)
  bool needGuard_ = false;   // something was left out: text next may need a blank first
  bool restating_ = false;

  // The paragraph format in effect.
  bool fmtValid_ = false;
  std::size_t fmtBegin_ = 0, fmtEnd_ = 0;  // its words in the input
  bool inHeader_ = false;
  bool fmtComplete_ = false;
  bool rule_ = false;            // a 1-point rule paragraph
  bool fmtRewritten_ = false;    // written through the rewrite
  bool fmtChanged_ = false;      // and different from the input
  int k_ = 0;                    // stops of the format read
  long long L_ = -1;             // the column's left stop
  long long shift_ = 0;
  bool outOfLine_ = false;
  std::vector<long long> newStops_;
  bool extraPending_ = false;    // the stop after the 32nd awaits its correction
  std::size_t extraAt_ = 0, extraLen_ = 0;

  // Alignment reference of 'R' and 'U'.
  long long refL_ = -1;

  // 'R': where the removed cell's output begins.
  bool markSet_ = false;
  std::size_t mark_ = 0;

  // 'E', 'I': the split of this paragraph.
  bool splitDone_ = false;
  bool splitPending_ = false;
  std::size_t splitAt_ = 0;
  std::string separator_;
  bool pushedDone_ = false;

  // A dotted cell turning into a TAB cell.
  DottedMode dotted_ = DottedMode::kNone;
  std::size_t dottedFrom_ = 0;
  long long dottedChars_ = 0;
  std::size_t pendingBlanks_ = 0;
  std::size_t firstSize_ = SIZE_MAX;  // the dotted cell's size word of two digits

  // 'U' at the 31st boundary: the 32nd stops written before the width was known.
  bool joinMeasured_ = false;
  long long joinDelta_ = 0;
  struct PendingStop {
    std::size_t at, len;  // the stop's text (and the stop after it) in the output
    long long base;       // the 32nd stop as read
    bool blank, extra;
  };
  std::vector<PendingStop> pendingJoin_;
};

bool ColumnPass::Prepare() {
  int cmd = args_.command;
  noShift_ = cmd == 'i' || (cmd == 'I' && args_.noShift);
  if (cmd == 'i') cmd = 'I';
  if (cmd != 'E' && cmd != 'R' && cmd != 'I' && cmd != 'U') return false;
  cmd_ = cmd;
  const long long col = args_.column;
  if (col < 1 || col > 100000) return false;
  c_ = col;
  if (cmd_ == 'E' && c_ > 2) c_ = c_ - 1;
  if (cmd_ == 'U' && c_ < 32) c_ = c_ - 1;
  if (c_ < (cmd_ == 'U' ? 1 : 2)) return false;
  s_ = std::max(1, std::min(facts_.textSize, 3276));
  bw_ = s_ * 15LL / 3;
  step_ = s_ * 5LL + 10;
  const long long maxN = kLimits.scanChars + 1;
  if (cmd_ == 'I') {
    if (args_.count != 0) {
      n_ = std::max(0LL, std::min(static_cast<long long>(facts_.caretOffset) + 1, maxN));
    } else if (facts_.atrSplit > 0) {
      n_ = std::min(static_cast<long long>(facts_.atrSplit), maxN - kLimits.atrExtra) + kLimits.atrExtra;
    } else {
      n_ = kLimits.noCountSplit;
    }
  } else if (cmd_ == 'E') {
    n_ = col == 2 ? 2 : 9999;
  } else {
    n_ = 9999;
  }
  first_ = std::max(0, args_.firstPara);
  if (cmd_ == 'U' && c_ == 32) first_ = std::max(0LL, first_ - 2);
  end_ = -1;
  if (args_.endPara > 0) end_ = static_cast<long long>(args_.endPara) + ((cmd_ == 'R' || cmd_ == 'U') && args_.count == 0 ? 1 : 0);
  return true;
}

PassResult ColumnPass::Run() {
  PassResult res;
  if (!Prepare()) {
    res.rtf.assign(text_.data(), text_.size());
    if (!out_.Room(text_.size())) res.error = PassError::kNoRoom;  // even a copy would not fit
    return res;
  }
  inRange_ = InRange(0);
  Walk(0, text_.size());
  if (!out_.Failed() && splitPending_) InsertSeparator();
  if (!out_.Failed() && dotted_ != DottedMode::kNone) FinishDotted(DottedEnd::kParagraph, 0);
  if (out_.Failed()) {
    res.rtf.assign(text_.data(), text_.size());
    res.error = PassError::kNoRoom;
    return res;
  }
  res.changed = out_.Str() != text_;
  if (res.changed) res.rtf = out_.Take();
  else res.rtf.assign(text_.data(), text_.size());
  return res;
}

void ColumnPass::Walk(std::size_t from, std::size_t to) {
  std::size_t p = from;
  while (p < to && !out_.Failed()) {
    if (splitPending_ && p >= splitAt_) InsertSeparator();
    if (dotted_ != DottedMode::kNone && p - dottedFrom_ > kLimits.dottedEnd) {
      out_.Fill(' ', pendingBlanks_);  // no end in reach: the cell stays as it was
      pendingBlanks_ = 0;
      dotted_ = DottedMode::kNone;
    }
    const std::uint8_t b = in_.At(p);
    if (b == '{' || b == '}') inHeader_ = false;
    if (b == '{') {
      if (DestinationAt(p)) {
        CopyGroup(p);
      } else {
        out_.Put("{");
        ++p;
      }
      needGuard_ = false;
    } else if (b == '}') {
      out_.Put("}");
      ++p;
      needGuard_ = false;
    } else if (b == '\\') {
      Backslash(p);
    } else {
      PlainRun(p, to);
    }
  }
}

// Plain bytes up to the next control, a brace or the split point.
void ColumnPass::PlainRun(std::size_t& p, std::size_t to) {
  std::size_t q = p;
  const std::size_t stop = splitPending_ && splitAt_ > p ? std::min(splitAt_, to) : to;
  while (q < stop) {
    const std::uint8_t b = in_.At(q);
    if (q < in_.Size() && (b == '\\' || b == '{' || b == '}')) break;
    ++q;
  }
  if (q == p) q = p + 1;
  for (std::size_t i = p; i < q && inHeader_; ++i)
    if (text_[i] != '\r' && text_[i] != '\n') inHeader_ = false;  // text ends the format's words
  if (needGuard_ && EndsInOpenWord(out_.Str())) out_.Put(" ");
  needGuard_ = false;
  if (dotted_ == DottedMode::kRemove31) {
    // Blanks are held back: those that end the cell are left out.
    for (std::size_t i = p; i < q && !out_.Failed(); ++i) {
      const char c = text_[i];
      if (c == '\r' || c == '\n') {
        out_.Put(std::string_view(&text_[i], 1));
        continue;
      }
      ++dottedChars_;
      if (c == ' ') {
        ++pendingBlanks_;
        continue;
      }
      out_.Fill(' ', pendingBlanks_);
      pendingBlanks_ = 0;
      out_.Put(std::string_view(&text_[i], 1));
    }
  } else {
    long long chars = 0;
    for (std::size_t i = p; i < q; ++i) chars += text_[i] != '\r' && text_[i] != '\n';
    if (!fsOne_) cellChars_ += chars;
    if (dotted_ != DottedMode::kNone) dottedChars_ += chars;
    CopyIn(p, q);
  }
  p = q;
}

void ColumnPass::Backslash(std::size_t& p) {
  const std::uint8_t d = in_.At(p + 1);
  if (IsAlpha(d)) {
    const Word w = ParseWord(in_, p);
    if (dotted_ != DottedMode::kNone && DottedWord(w, p)) return;
    HandleWord(w, p);
    return;
  }
  // An escaped byte or a control symbol: one character of text (but "\*",
  // "\-" and the like).
  const bool escape = EscapeAt(in_, p);
  std::size_t len = escape ? 4 : 2;
  len = std::min(len, in_.Size() - p);
  const bool isChar = escape || d == '\\' || d == '{' || d == '}' || d == '~' || d == '_';
  inHeader_ = false;
  if (isChar) {
    if (dotted_ == DottedMode::kRemove31) {
      out_.Fill(' ', pendingBlanks_);
      pendingBlanks_ = 0;
    }
    if (!fsOne_) ++cellChars_;
    if (dotted_ != DottedMode::kNone) ++dottedChars_;
  }
  needGuard_ = false;
  CopyIn(p, p + len);
  p += len;
}

void ColumnPass::HandleWord(const Word& w, std::size_t& p) {
  if (inHeader_) {
    if (IsParaWord(w) && !w.Is("pard")) {
      fmtEnd_ = w.end;
      if (fmtEnd_ - fmtBegin_ > kLimits.formatBytes) fmtComplete_ = false;
    } else if (!w.Is("pard")) {
      inHeader_ = false;
    }
  }
  if (w.Is("par")) {
    Paragraph(w, p);
    return;
  }
  if (w.Is("pard")) {
    Format(w);
    p = w.end;
    return;
  }
  if (w.Is("tx")) {
    Stop(w);
    p = w.end;
    return;
  }
  if (w.Is("tab")) {
    Tab(w, p);
    return;
  }
  if (w.Is("sl") && (w.num == kLimits.ruleSpacing || w.num == -kLimits.ruleSpacing) && in_.At(w.end) == '\\') {
    rule_ = true;
  }
  if (w.Is("fs")) fsOne_ = w.digits == 1;
  needGuard_ = false;
  CopyIn(w.begin, w.end);
  p = w.end;
}

bool ColumnPass::DestinationAt(std::size_t p) const {
  if (in_.At(p + 1) != '\\') return false;
  if (in_.At(p + 2) == '*') return true;
  if (!IsAlpha(in_.At(p + 2))) return false;
  const Word w = ParseWord(in_, p + 1);
  for (const char* s : kDestinations)
    if (w.Is(s)) return true;
  return false;
}

// A destination group, copied to its closing brace.
void ColumnPass::CopyGroup(std::size_t& p) {
  std::size_t q = p;
  int depth = 0;
  const std::size_t n = in_.Size();
  while (q < n) {
    const std::uint8_t b = in_.At(q);
    if (b == '\\') {
      q += 2;
      continue;
    }
    if (b == '{') ++depth;
    if (b == '}' && --depth == 0) {
      ++q;
      break;
    }
    ++q;
  }
  q = std::min(q, n);
  CopyIn(p, q);
  p = q;
}

// Text the pass writes itself; a blank first when it would run into a word.
void ColumnPass::PutText(std::string_view t) {
  if (!t.empty() && t[0] != '\\' && EndsInOpenWord(out_.Str())) out_.Put(" ");
  out_.Put(t);
  needGuard_ = false;
}

// "\par": the paragraph ends; counters go back, the range is looked up, and
// a row that shares the format of the row before it gets that format
// restated where the range begins or ends between them.
void ColumnPass::Paragraph(const Word& w, std::size_t& p) {
  if (dotted_ != DottedMode::kNone) FinishDotted(DottedEnd::kParagraph, 0);
  needGuard_ = false;
  CopyIn(w.begin, w.end);
  p = w.end;
  ++para_;
  inRange_ = InRange(para_);
  tIn_ = tOut_ = 0;
  k_ = 0;
  cellChars_ = 0;
  markSet_ = false;
  splitDone_ = splitPending_ = false;
  pushedDone_ = false;
  extraPending_ = false;
  inHeader_ = false;
  if (restating_ || !fmtValid_) return;
  // Does the next paragraph open a format of its own?
  std::size_t q = p;
  while (q < p + kLimits.glyphLook && (in_.At(q) == '\r' || in_.At(q) == '\n' || in_.At(q) == ' ')) ++q;
  if (in_.At(q) == '\\' && IsAlpha(in_.At(q + 1)) && ParseWord(in_, q).Is("pard")) return;
  if (in_.At(q) == '}' || q >= in_.Size()) return;
  if (inRange_ && !fmtRewritten_) Restate(true);
  else if (!inRange_ && fmtChanged_) Restate(false);
}

// "\pard": a new paragraph format; its stops are counted from 1.
void ColumnPass::Format(const Word& w) {
  if (!restating_) {
    fmtValid_ = true;
    fmtBegin_ = w.begin;
    fmtEnd_ = w.end;
    fmtComplete_ = true;
    inHeader_ = true;
  }
  rule_ = false;
  fmtRewritten_ = inRange_;
  fmtChanged_ = false;
  k_ = 0;
  L_ = -1;
  shift_ = 0;
  outOfLine_ = false;
  newStops_.clear();
  extraPending_ = false;
  needGuard_ = false;
  CopyIn(w.begin, w.end);
}

// Writes the format in effect again at this row: rewritten for a row of the
// range, as read for a row after it.
void ColumnPass::Restate(bool rewrite) {
  if (!fmtComplete_ || fmtEnd_ <= fmtBegin_) return;
  const std::size_t mark = out_.Size();
  const std::string_view fmt = text_.substr(fmtBegin_, fmtEnd_ - fmtBegin_);
  const RtfReader saved = in_;
  const std::string_view savedText = text_;
  const bool savedRange = inRange_;
  in_ = RtfReader(fmt);
  text_ = fmt;
  inRange_ = rewrite;
  restating_ = true;
  Walk(0, fmt.size());
  restating_ = false;
  in_ = saved;
  text_ = savedText;
  inRange_ = savedRange;
  if (out_.Failed()) return;
  const bool same = out_.Str().compare(mark, std::string::npos, fmt.data(), fmt.size()) == 0;
  if (rewrite && same) {
    out_.Truncate(mark);  // the rewrite changes nothing in this format
    extraPending_ = false;
  }
  fmtRewritten_ = rewrite;
  fmtChanged_ = rewrite && !same;
  needGuard_ = !same || !rewrite;
}

// One "\tx" word: the stop table of the command.
void ColumnPass::Stop(const Word& w) {
  ++k_;
  if (!inHeader_ && !restating_) fmtComplete_ = false;
  const long long p = w.hasNum ? w.num : 0;
  const long long k = k_;
  const char* delim = w.blank ? " " : "";
  auto keep = [&]() {
    newStops_.push_back(p);
    needGuard_ = false;
    CopyIn(w.begin, w.end);
  };
  auto put = [&](long long v) {
    v = Clamp(v);
    newStops_.push_back(v);
    if (v != p) fmtChanged_ = true;
    out_.Put("\\tx" + Num(v));
    needGuard_ = false;
    return v;
  };
  if (!inRange_ || outOfLine_) {
    keep();
    return;
  }
  if (k == c_) {
    L_ = p;
    if (cmd_ == 'R' || cmd_ == 'U') {
      if (refL_ < 0 && p >= 1) refL_ = p;
      else if (refL_ >= 0 && std::llabs(p - refL_) > kLimits.alignTolerance) outOfLine_ = true;
    }
    if (outOfLine_) {
      keep();
      return;
    }
  }
  long long at32 = p;  // the 32nd stop's new place (as read when it goes)
  const long long left = L_ < 0 ? 0 : L_;
  if (cmd_ == 'U' && c_ == 32 && k == 32) {
    // Joining across the 31st boundary: the 32nd stop makes room for the
    // dotted cell's text; until that width is known, 2,000 twips.
    const std::size_t at = out_.Size();
    at32 = put(p + (joinMeasured_ ? joinDelta_ : kLimits.joinDefault));
    out_.Put(delim);
    if (!joinMeasured_ && pendingJoin_.size() < kLimits.pendingJoin)
      pendingJoin_.push_back({at, out_.Size() - at, p, w.blank, false});
  } else if (k <= c_) {
    keep();
  } else if (k == c_ + 1) {
    switch (cmd_) {
      case 'R':
        shift_ = p - left;
        fmtChanged_ = true;
        Removed();
        break;
      case 'U':
        fmtChanged_ = true;
        Removed();
        break;
      case 'E':
        shift_ = p - left;
        put(p);
        put(p + (p - left));
        out_.Put(delim);
        break;
      default:  // 'I'
        shift_ = noShift_ ? 0 : kLimits.splitShift;
        put(left + (n_ - 1) * step_ + (noShift_ ? kLimits.splitPadNoShift : kLimits.splitPadI));
        put(p + shift_);
        out_.Put(delim);
        break;
    }
  } else {
    long long v = p;
    if (cmd_ == 'R') v = p - shift_;
    else if (cmd_ != 'U') v = p + shift_;
    if (Clamp(v) == p) {
      keep();
    } else {
      at32 = put(v);
      out_.Put(delim);
    }
  }
  if (k == 32 && (cmd_ == 'R' || cmd_ == 'U') && !outOfLine_) {
    // The stop that the removed column leaves missing, after the 32nd.
    const std::size_t at = out_.Size();
    const long long v = Clamp(at32 + kLimits.extraStopGap);
    out_.Put("\\tx" + Num(v));
    newStops_.push_back(v);
    fmtChanged_ = true;
    extraPending_ = true;
    extraAt_ = at;
    extraLen_ = out_.Size() - at;
    needGuard_ = true;
    if (cmd_ == 'U' && c_ == 32 && !pendingJoin_.empty() && pendingJoin_.back().at + pendingJoin_.back().len == at) {
      pendingJoin_.back().len = out_.Size() - pendingJoin_.back().at;
      pendingJoin_.back().extra = true;
    }
  }
}

// One "\tab" word.
void ColumnPass::Tab(const Word& w, std::size_t& p) {
  ++tIn_;
  const long long cellLen = cellChars_;
  cellChars_ = 0;
  needGuard_ = false;
  p = w.end;
  const int t = tIn_;
  if (!inRange_ || outOfLine_) {
    ++tOut_;
    CopyIn(w.begin, w.end);
    return;
  }
  if (cmd_ == 'R') {
    if (t == c_ - 1) {
      if (c_ == 2) {
        // The lead-in's TAB and its glyph stay: the drop begins after them.
        const Glyph g = FindGlyph(in_, w.end);
        CopyIn(w.begin, g.end);
        if (g.found) fsOne_ = true;
        p = g.end;
        mark_ = out_.Size();
      } else {
        mark_ = out_.Size();
        CopyIn(w.begin, w.end);
      }
      markSet_ = true;
      ++tOut_;
      return;
    }
    if (t == c_ && markSet_) {
      DropSinceMark();
      markSet_ = false;
      if (extraPending_ && extraAt_ >= mark_) extraPending_ = false;
      if (c_ == 2) {
        p = FindGlyph(in_, w.end).end;  // TAB 2 and its glyph go with the cell
        Removed();
        return;
      }
      CopyIn(w.begin, w.end);
      if (c_ == kLimits.tabColumns) {
        // The first dotted cell moves onto the 31st TAB's place.
        const Glyph g = FindGlyph(in_, w.end);
        CopyIn(w.end, g.end);
        if (g.found) fsOne_ = true;
        p = g.end;
        StartDotted(DottedMode::kRemove31, p);
      }
      return;
    }
    ++tOut_;
    CopyIn(w.begin, w.end);
    return;
  }
  if (cmd_ == 'U') {
    if (t == c_ && c_ != 32) {
      p = FindGlyph(in_, w.end).end;  // the two cells become one
      Removed();
      return;
    }
    if (c_ == 32 && t == kLimits.tabColumns) {
      // The 31st TAB moves behind the first dotted cell's text.
      p = FindGlyph(in_, w.end).end;
      Removed();
      StartDotted(DottedMode::kJoin31, p);
      return;
    }
    ++tOut_;
    CopyIn(w.begin, w.end);
    return;
  }
  // 'E', 'I', 'i'.
  if (t == c_ - 1 && !splitDone_) {
    Split(w, p);
    return;
  }
  if (splitDone_ && !pushedDone_ && tOut_ == kLimits.tabColumns && c_ <= kLimits.tabColumns) {
    PushedCell(w, p, cellLen);
    return;
  }
  ++tOut_;
  CopyIn(w.begin, w.end);
}

// The split at TAB c - 1: the cell's text up to the split point is copied
// by the walk, then the new TAB with its separator goes in.
void ColumnPass::Split(const Word& w, std::size_t& p) {
  splitDone_ = true;
  ++tOut_;
  const CellScan scan = RtfScanCellText(text_, w.begin + 1, static_cast<int>(n_));
  // The rule counts as visible when a highlight of 1-9 stands before the text.
  bool visible = false;
  for (std::size_t q = w.end; q < scan.textStart && q < w.end + kLimits.phase1Bytes;) {
    if (in_.At(q) == '\\' && IsAlpha(in_.At(q + 1))) {
      const Word x = ParseWord(in_, q);
      if (x.Is("highlight") && x.num >= 1 && x.num <= 9) visible = true;
      q = x.end;
    } else {
      ++q;
    }
  }
  const int t = tIn_;
  std::string sep;
  if (t == 1) {
    if (args_.column == 2) sep = " ";
    if (rule_) sep += kSepFirstRule;
    else if (visible) sep += WithSize(kSepVisible, s_);
    else sep += kSepFirstPlain + WithSize(kSizeBack, s_);
  } else if (t >= kLimits.tabColumns) {
    sep = WithSize(visible && !rule_ ? kSepWideVisible : kSepWideInvisible, s_);
  } else if (visible && !rule_) {
    sep = WithSize(kSepVisible, s_);
  } else {
    sep = kSepInvisible;
    if (!rule_) sep += WithSize(kSizeBack, s_);
  }
  separator_ = sep;
  splitAt_ = std::min(w.begin + 1 + scan.position, in_.Size());
  if (splitAt_ < w.end) splitAt_ = w.end;
  splitPending_ = true;
  CopyIn(w.begin, w.end);
  p = w.end;
}

// Drops what was written since the mark (a removed cell). Groups that the
// dropped text opened or closed without their partner keep their braces,
// so that the block's groups still balance.
void ColumnPass::DropSinceMark() {
  const std::string& o = out_.Str();
  long long depth = 0, low = 0;
  for (std::size_t i = mark_; i < o.size(); ++i) {
    if (o[i] == '\\') {
      ++i;
    } else if (o[i] == '{') {
      ++depth;
    } else if (o[i] == '}') {
      low = std::min(low, --depth);
    }
  }
  out_.Truncate(mark_);
  out_.Fill('}', static_cast<std::size_t>(-low));
  out_.Fill('{', static_cast<std::size_t>(depth - low));
}

void ColumnPass::InsertSeparator() {
  splitPending_ = false;
  PutText(separator_);
  ++tOut_;
  cellChars_ = 0;
  fsOne_ = rule_;
}

// The cell pushed past the 31st TAB by the new one: its closing TAB and
// glyph become a blank fill to the cell's width and a dotted separator.
void ColumnPass::PushedCell(const Word& w, std::size_t& p, long long cellLen) {
  pushedDone_ = true;
  const Glyph g = FindGlyph(in_, w.end);
  const long long st32 = NewStop(31), st33 = NewStop(32);
  long long width;
  if (c_ == kLimits.tabColumns) width = (st33 - st32) / bw_ + 100;
  else width = (st33 - st32 + 30) / bw_ + 99;
  if (width < 1) width = kLimits.fillFallback;
  const long long from = cellLen + (rule_ ? kLimits.fillRule : kLimits.fillPlain);
  const long long blanks = std::max(0LL, width - from);
  if (rule_) PutText(WithSize(kSizeBack, s_));
  if (blanks > 0) {
    if (EndsInOpenWord(out_.Str())) out_.Put(" ");
    out_.Fill(' ', static_cast<std::size_t>(std::min<long long>(blanks, static_cast<long long>(SIZE_MAX / 2))));
  }
  if (rule_) out_.Put(kDotRule);
  else if (!g.visible) out_.Put(kDotNone);
  else if (g.chars >= 2) out_.Put(kDotThick);
  else out_.Put(kDotThin);
  if (!g.found && !rule_) out_.Put(WithSize(kSizeBack, s_));
  fsOne_ = true;
  needGuard_ = true;
  p = g.found ? g.end : w.end;
}

void ColumnPass::StartDotted(DottedMode mode, std::size_t at) {
  dotted_ = mode;
  dottedFrom_ = at;
  dottedChars_ = 0;
  pendingBlanks_ = 0;
  firstSize_ = SIZE_MAX;
}

// Whether the words from p end the dotted cell: a TAB, a paragraph end, or
// a run of format words that reaches a one-digit "\fs" with its glyph.
DottedEnd ColumnPass::DottedEndAt(std::size_t p, std::size_t* glyphSize) const {
  std::size_t q = p;
  bool firstWord = true;
  while (q < p + kLimits.glyphLook) {
    if (in_.At(q) != '\\' || !IsAlpha(in_.At(q + 1))) return DottedEnd::kNone;
    const Word w = ParseWord(in_, q);
    if (firstWord && w.Is("tab")) return DottedEnd::kTab;
    if (firstWord && EndsText(w)) return DottedEnd::kParagraph;
    if (EndsText(w)) return DottedEnd::kNone;
    if (w.Is("fs")) {
      if (w.digits == 1 && w.blank) {
        *glyphSize = q;
        return DottedEnd::kGlyph;
      }
      return DottedEnd::kNone;
    }
    firstWord = false;
    q = w.end;
  }
  return DottedEnd::kNone;
}

// A word while a dotted cell is open. True when the word was handled.
bool ColumnPass::DottedWord(const Word& w, std::size_t& p) {
  if (dotted_ == DottedMode::kJoin31 && w.Is("fs") && w.digits >= 2 && firstSize_ == SIZE_MAX) firstSize_ = w.begin;
  std::size_t glyphSize = 0;
  const DottedEnd how = DottedEndAt(w.begin, &glyphSize);
  if (how == DottedEnd::kNone) {
    if (dotted_ == DottedMode::kRemove31 && pendingBlanks_ > 0) {
      out_.Fill(' ', pendingBlanks_);
      pendingBlanks_ = 0;
    }
    return false;
  }
  const bool empty = dottedChars_ == 0;
  const DottedMode mode = dotted_;
  FinishDotted(how, glyphSize);
  if (how != DottedEnd::kTab || mode != DottedMode::kRemove31) return false;
  // The TAB that ended the cell, in a rule paragraph or after an empty cell.
  if (!rule_ && !(empty && !FindGlyph(in_, w.end).found)) return false;
  ++tIn_;
  ++tOut_;
  cellChars_ = 0;
  PutText(WithSize(rule_ ? kTabRuleCell : kTabEmptyCell, s_));
  fsOne_ = false;
  p = w.end;
  return true;
}

void ColumnPass::FinishDotted(DottedEnd how, std::size_t glyphSize) {
  const DottedMode mode = dotted_;
  dotted_ = DottedMode::kNone;
  const long long chars = dottedChars_;
  pendingBlanks_ = 0;  // the cell's trailing blanks are left out
  const bool textEnd = how == DottedEnd::kParagraph;
  if (textEnd && chars == 0) return;  // an empty last cell stays without a TAB
  if (how != DottedEnd::kTab) {
    PutText(mode == DottedMode::kRemove31 ? kTabAfterCell : kTabJoin);
    ++tOut_;
    cellChars_ = 0;
  }
  if (mode == DottedMode::kRemove31) {
    if (extraPending_) {
      const long long v = Clamp((L_ < 0 ? 0 : L_) + bw_ * (chars + 1));
      const std::string t = "\\tx" + Num(v);
      out_.Splice(extraAt_, extraLen_, t);
      extraPending_ = false;
    }
    return;
  }
  if (how == DottedEnd::kGlyph && firstSize_ != SIZE_MAX && glyphSize > firstSize_) {
    const long long d = static_cast<long long>(glyphSize - firstSize_);
    const long long delta = (s_ + 2LL) * (d - 8) * 5;
    if (delta > 0 && !joinMeasured_) JoinMeasured(delta);
  }
}

// The join width is known: the 32nd stops written before it are corrected
// in place, the last first so that the earlier places stay where they are.
void ColumnPass::JoinMeasured(long long delta) {
  joinMeasured_ = true;
  joinDelta_ = delta;
  for (std::size_t i = pendingJoin_.size(); i-- > 0;) {
    const PendingStop& ps = pendingJoin_[i];
    const long long v = Clamp(ps.base + delta);
    std::string t = "\\tx" + Num(v) + (ps.blank ? " " : "");
    if (ps.extra) t += "\\tx" + Num(Clamp(v + kLimits.extraStopGap));
    out_.Splice(ps.at, ps.len, t);
  }
  pendingJoin_.clear();
  extraPending_ = false;
}

}  // namespace

CellScan RtfScanCellText(std::string_view rtf, std::size_t start, int limit) {
  const RtfReader r(rtf);
  CellScan s;
  const std::size_t n = rtf.size();
  start = std::min(start, n);
  // Where the text begins when no glyph or size word is found: after the
  // "tab" letters and the blank that ends the word.
  std::size_t plainStart = start;
  if (r.Matches(start, "tab") && !IsAlpha(r.At(start + 3)) && !IsDigit(r.At(start + 3))) {
    plainStart = start + 3;
    if (r.At(plainStart) == ' ') ++plainStart;
  }
  // Phase 1: the glyph and the format words.
  std::size_t p = start;
  const std::size_t end1 = start + kLimits.phase1Bytes;
  while (p < end1) {
    const std::uint8_t b = r.At(p);
    if (b == 0) break;
    if (b != '\\') {
      ++p;
      continue;
    }
    const std::uint8_t d = r.At(p + 1);
    if (EscapeAt(r, p)) {
      s.state = 3;
      break;
    }
    if (!IsAlpha(d)) {
      if (d == 0) break;
      p += 2;
      continue;
    }
    const Word w = ParseWord(r, p);
    if (w.end > end1) break;  // a word across the phase's end stays for the count
    if (w.Is("fs") && w.digits == 1 && w.blank) {
      p = w.end;
      const std::uint8_t g = r.At(p);
      if (g != 0 && g != '\\' && g != '{' && g != '}') ++p;  // the 1-point glyph
      s.state = 1;
      continue;
    }
    if (w.Is("fs") && w.digits >= 2) {
      p = w.end;
      s.state = 2;
      break;
    }
    if (w.Is("highlight")) {
      s.highlight = true;
      p = w.end;
      continue;
    }
    if (w.Is("tab")) {
      s.state += 10;
      break;
    }
    if (EndsText(w)) break;
    p = w.end;
  }
  p = std::min(p, n);
  if (s.state == 11) {  // a glyph, then the TAB: an empty cell
    s.textStart = p;
    s.position = p - start;
    return s;
  }
  if (s.state == 0 || s.state == 10) p = std::min(plainStart, n);
  s.textStart = p;
  // Phase 2: the characters.
  const long long target = static_cast<long long>(limit) - 1;
  bool inPair = false;
  long long count = 0;
  while (true) {
    const std::size_t used = p - start;
    if (used >= kLimits.scanBytes && (!inPair || used >= kLimits.scanBytes + 8)) break;
    if (!inPair && (count >= target || count >= kLimits.scanChars)) break;
    const std::uint8_t b = r.At(p);
    if (b == 0) break;
    if (b == '\\') {
      const std::uint8_t d = r.At(p + 1);
      if (EscapeAt(r, p)) {
        ++count;
        inPair = LeadDigit(r.At(p + 2)) ? !inPair : false;
        p += 4;
      } else if (IsAlpha(d)) {
        const Word w = ParseWord(r, p);
        if (EndsText(w) || w.end - start > kLimits.scanBytes + 8) break;
        p = w.end;
      } else if (d == '\\' || d == '{' || d == '}' || d == '~' || d == '_') {
        ++count;
        inPair = false;
        p += 2;
      } else if (d == 0 || d == '\r' || d == '\n') {
        break;
      } else {
        p += 2;
      }
      continue;
    }
    if (b == '{' || b == '}' || b == '\r' || b == '\n') {
      ++p;
      continue;
    }
    ++count;
    inPair = inPair ? false : b >= 0x80 && LeadDigit("0123456789abcdef"[b >> 4]);
    ++p;
  }
  s.count = static_cast<int>(count);
  s.position = std::min(p, n) - start;
  return s;
}

PassResult RewriteColumns(std::string_view rtf, const PassArgs& args, const PassFacts& facts, std::size_t limit) {
  ColumnPass pass(rtf, args, facts, limit);
  return pass.Run();
}

}  // namespace table::rtfpass
