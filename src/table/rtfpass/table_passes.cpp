// The table conversion, the width keys, the rule glyph styles and the rule
// segment commands over a ruled table's RTF. Each pass walks the text once
// from start to end, token by token, and copies it through an Editor that
// writes only where a pass replaces bytes; a pass that replaces nothing
// hands back its input itself.
#include "table/rtfpass/table_passes.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <initializer_list>
#include <string>

namespace table::rtfpass {

namespace {

// ---------------------------------------------------------------------------
// Texts and tuning values.
// ---------------------------------------------------------------------------

// 'D': the rule written after every TAB (%d the cell text size), the start of
// every later row, and the stop list that begins at 0.
constexpr std::string_view kTabRule = "\\tab\\highlight1\\fs2  \\highlight0\\fs%d ";
constexpr int kFirstRowSize = 21;
constexpr std::string_view kRowStart = "\\par\\fs21  \\tab\\highlight1\\fs2  \\highlight0\\fs21 ";
constexpr std::string_view kZeroStops = "\\tx0\\tx300";
constexpr int kMaxFontSize = 1638;  // the largest size the RTF reader takes, in half-points

// Width keys.
constexpr long long kWidthStepTwips = 10;
constexpr long long kWidthUnitTwips = 15;
constexpr std::string_view kWidthStatus = "width = %d";

// Rule glyph styles at a TAB ('3', '4'); %c: the highlight of the cell after it.
constexpr std::string_view kTabThin = "\\tab \\highlight1\\fs2 _\\highlight%c";
constexpr std::string_view kTabThick = "\\tab \\highlight1\\fs2 ..\\highlight%c";
constexpr std::string_view kTabNone = "\\tab \\highlight%c\\fs2 __\\highlight%c";
// The same in the dotted layout: thin paragraphs (glyph highlight, cell
// highlight) and other paragraphs (colour and highlight of the cell).
constexpr std::string_view kDotThinCode1 = "\\highlight%c\\fs2 _\\highlight%c";
constexpr std::string_view kDotThinCode2 = "\\highlight%c\\fs2 ..\\highlight%c";
constexpr std::string_view kDotThinCode0 = "\\highlight%c\\fs2 __\\highlight%c";
constexpr std::string_view kDotRowCode1 = "\\highlight1\\fs2 .\\cf%c\\highlight%c\\fs2  ";
constexpr std::string_view kDotRowCode2 = "\\highlight1\\fs2 ..\\cf%c\\highlight%c";
constexpr std::string_view kDotRowCode0 = "\\highlight%c\\fs2 __\\cf%c\\highlight%c";

// Rule segments ('5' take out, '6' draw): at the TAB before the column, at
// the column's own TAB (below, at and above the 31st boundary), and at the
// dotted separators.
constexpr std::string_view kSegBefore = "\\tab \\highlight%c _";
constexpr std::string_view kSegOwnBelow = "\\tab \\highlight%c _";
constexpr std::string_view kSegOwnAt31 = "\\tab \\fs2 ..\\highlight%c _\\fs21";
constexpr std::string_view kSegOwnAbove = "\\tab \\highlight%c _\\fs21";
constexpr std::string_view kSegDotBefore = "\\fs2 \\highlight%c _";
constexpr std::string_view kSegDotBeforeDot = "\\fs2 .\\highlight%c _";
constexpr std::string_view kSegDotOwn = "\\fs2 \\highlight%c _";

constexpr long long kTabBoundaries = 30;  // boundaries above this one are dotted
constexpr long long kSplitBoundary = 31;  // the boundary where the tab stops end
constexpr std::size_t kLookAhead = 100;   // bytes a glyph replacement may span
constexpr long long kThinTwips = 40;      // exact spacing of a rule paragraph, at most
constexpr long long kDefaultSpacing = 240;
constexpr long long kDefaultSize = 24;    // RTF's size before any "\fs"
constexpr int kMarkSlots = 256;           // dotted separators remembered per row

// Rule styles as glyphs show them. The style codes select texts: at a TAB
// code 1 is thick, 2 none and any other thin; in the dotted layout code 1 is
// thin, 2 thick and any other none. The cycle (-1) writes code 2 after a
// thin glyph, 1 after none and 0 after thick.
enum class Style { kThin, kThick, kNone };
constexpr int kCode0 = 0;
constexpr int kCode1 = 1;
constexpr int kCode2 = 2;
constexpr int kCodeCycle = -1;

// Replaces each "%c" or "%d" of `text` by the next value, in decimal.
std::string Fill(std::string_view text, std::initializer_list<long long> values) {
  std::string out;
  auto v = values.begin();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 1 < text.size() && (text[i + 1] == 'c' || text[i + 1] == 'd') && v != values.end()) {
      out += std::to_string(*v++);
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

bool InRange(long long para, long long first, long long end) { return para >= first && (end <= 0 || para < end); }

// One digit after "\fs": the 1-point size of the rule glyphs.
bool IsGlyphSize(const RtfWord& w) { return w.Is("fs") && w.hasNum && w.digits == 1 && w.num >= 0; }

// True when `text` ends inside a control word, so that a following digit,
// letter or blank would be read as part of it.
bool EndsInWord(std::string_view text) {
  std::size_t i = text.size();
  while (i > 0 && text[i - 1] >= '0' && text[i - 1] <= '9') --i;
  if (i > 0 && text[i - 1] == '-') --i;
  std::size_t j = i;
  while (j > 0 && ((text[j - 1] >= 'a' && text[j - 1] <= 'z') || (text[j - 1] >= 'A' && text[j - 1] <= 'Z'))) --j;
  return j < i && j > 0 && text[j - 1] == '\\' && (j < 2 || text[j - 2] != '\\');
}

// ---------------------------------------------------------------------------
// Output: the input copied up to each replacement, through the bounded writer.
// ---------------------------------------------------------------------------

class Editor {
 public:
  Editor(std::string_view in, std::size_t limit) : in_(in), out_(limit), limit_(limit) {}

  // Writes `text` in place of in_[from, to). Replacing bytes by the same
  // bytes is no change.
  void Replace(std::size_t from, std::size_t to, std::string_view text) {
    if (from < copied_ || to < from || to > in_.size()) return;
    if (in_.substr(from, to - from) == text) return;
    out_.Put(in_.substr(copied_, from - copied_));
    out_.Put(text);
    copied_ = to;
    changed_ = true;
  }

  PassResult Finish(std::string status) {
    PassResult res;
    res.status = std::move(status);
    if (!changed_) {
      if (in_.size() > limit_) {
        res.error = PassError::kNoRoom;
        return res;
      }
      res.rtf.assign(in_.data(), in_.size());
      return res;
    }
    out_.Put(in_.substr(copied_));
    if (out_.Failed()) {
      res.error = PassError::kNoRoom;
      return res;
    }
    res.rtf = out_.Take();
    res.changed = true;
    return res;
  }

 private:
  std::string_view in_;
  RtfWriter out_;
  std::size_t limit_;
  std::size_t copied_ = 0;
  bool changed_ = false;
};

// ---------------------------------------------------------------------------
// The rule walk: the state the glyph and segment passes read as they go.
// ---------------------------------------------------------------------------

struct WalkState {
  long long para = 0;      // paragraph number from 0
  long long spacing = kDefaultSpacing;  // the last "\sl-" value; "\pard" resets it
  long long counter = 0;   // TABs, and past the 30th also dotted separators
  long long hl = 0;        // highlight in effect (as the input sets it)
  long long cf = 0;        // text colour in effect
  long long size = kDefaultSize;
  bool small = false;      // the size in effect is a 1-point glyph size
  bool glyphDue = false;   // a TAB since the last glyph started
  bool hlSeen = false;     // a "\highlight" in this paragraph
  // First glyph character of each dotted separator: of the paragraph being
  // read, and of the last paragraph that was not thin.
  std::array<char, kMarkSlots> row{};
  std::array<char, kMarkSlots> lastRow{};
  bool Thin() const { return spacing <= kThinTwips; }
};

// A glyph starts: past the 30th boundary it is a dotted separator, counted
// with the TABs; a row paragraph remembers its first character.
void StartGlyph(const RtfReader& r, std::size_t firstChar, WalkState* s) {
  s->glyphDue = false;
  if (s->counter <= kTabBoundaries) return;
  ++s->counter;
  if (!s->Thin() && s->counter < kMarkSlots)
    s->row[static_cast<std::size_t>(s->counter)] = static_cast<char>(r.At(firstChar));
}

// A character's effect on the walk state: after a TAB that is itself in the
// 1-point size, the writer sets no size for the glyph, which then starts
// with its first character.
void ApplyText(const RtfReader& r, std::size_t at, WalkState* s) {
  if (s->glyphDue && s->small) StartGlyph(r, at, s);
}

// True for the bytes that are characters of the text (not group braces or
// line ends, which RTF readers skip).
bool IsTextByte(std::uint8_t c) { return c != '{' && c != '}' && c != '\r' && c != '\n'; }

// A word's effect on the walk state. The highlight and colour in effect are
// carried over paragraph ends, as the control's writer leaves them unsaid
// where they do not change.
void Apply(const RtfReader& r, const RtfWord& w, WalkState* s) {
  if (IsParagraphEnd(w)) {
    if (!s->Thin()) s->lastRow = s->row;
    s->row.fill(0);
    ++s->para;
    s->counter = 0;
    s->glyphDue = false;
    s->hlSeen = false;
  } else if (w.Is("pard")) {
    s->spacing = kDefaultSpacing;
  } else if (w.Is("page")) {
    s->counter = 0;
    s->glyphDue = false;
  } else if (w.Is("sl")) {
    if (w.hasNum && w.num < 0) s->spacing = -w.num;
  } else if (w.Is("highlight")) {
    s->hl = w.num;
    s->hlSeen = true;
  } else if (w.Is("cf")) {
    s->cf = w.num;
  } else if (w.Is("tab")) {
    ++s->counter;
    s->glyphDue = true;
  } else if (w.Is("fs")) {
    if (IsGlyphSize(w)) {
      // A glyph starts where the size drops to 1 point, or at the first
      // 1-point switch after a TAB.
      if (!s->small || s->glyphDue) StartGlyph(r, w.end, s);
      s->small = true;
    } else {
      s->small = false;
    }
    s->size = w.hasNum ? w.num : kDefaultSize;
  }
}

// What a glyph replacement covers: from its start up to the next two-digit
// "\fs", "\tab", "\par", any other word, text that is no glyph character, a
// brace or a control symbol.
struct Region {
  std::size_t end = 0;
  bool endsAtSize = false;   // the stop is an "\fs" word
  int first = -1;            // the first glyph character
  int second = 0;            // the byte after it
  long long glyphHl = -1;    // the highlight of the first glyph character
  std::string keep;          // interleaved words inside, written again after
};

bool IsGlyphChar(std::uint8_t c) { return c == ' ' || c == '.' || c == '_'; }

// Scans a region from `from`, applying its words to *s. With `needLead`,
// the first word after the glyph characters must be "\tab", a 1-point
// "\fs" or "\highlight" (a TAB with a rule glyph after it). False when that
// fails or no stop comes before `limit`.
bool ScanRegion(const RtfReader& r, std::size_t from, std::size_t limit, bool needLead, WalkState* s, Region* g) {
  std::size_t p = from;
  bool lead = !needLead;
  for (;;) {
    if (p >= limit) return false;
    const std::uint8_t c = r.At(p);
    if (p < r.Size() && IsGlyphChar(c)) {
      ApplyText(r, p, s);
      if (g->first < 0) {
        g->first = c;
        g->glyphHl = s->hl;
        std::size_t q = p + 1;
        while (q < p + 8 && (r.At(q) == '\r' || r.At(q) == '\n')) ++q;
        g->second = r.At(q);
      }
      ++p;
      continue;
    }
    if (p < r.Size() && (c == '\r' || c == '\n')) {
      ++p;
      continue;
    }
    RtfWord w;
    if (c == '\\' && ReadWord(r, p, &w)) {
      if (w.Is("highlight") || w.Is("cf") || IsGlyphSize(w)) {
        if (!w.Is("cf")) lead = true;
        Apply(r, w, s);
        p = w.end;
        continue;
      }
      if (IsInterleavedWord(w)) {
        g->keep.append(w.Bytes(r.Text()));
        p = w.end;
        continue;
      }
      if (w.Is("tab")) lead = true;
      g->endsAtSize = w.Is("fs");
    }
    if (!lead) return false;
    g->end = std::min(p, r.Size());
    if (g->glyphHl < 0) g->glyphHl = s->hl;
    return true;
  }
}

// The style a glyph shows: "__" or a glyph in highlight 0 is none, a glyph
// followed directly by a backslash is thin, any other is thick.
Style ReadStyle(const Region& g) {
  if (g.first < 0) return Style::kNone;
  if ((g.first == '_' && g.second == '_') || g.glyphHl == 0) return Style::kNone;
  if (g.second == '\\') return Style::kThin;
  return Style::kThick;
}

// The code written by the cycle after each style: thin, then thick, then
// none, then thin again. The codes name the styles differently at a TAB
// (0 thin, 1 thick, 2 none) and at a dotted separator (1 thin, 2 thick,
// 0 none).
int NextCode(Style s, bool atTab) {
  switch (s) {
    case Style::kThin: return atTab ? kCode1 : kCode2;
    case Style::kThick: return atTab ? kCode2 : kCode0;
    case Style::kNone: return atTab ? kCode0 : kCode1;
  }
  return kCode0;
}

// The last value of the word `name` in `text`, or `fallback`.
long long LastValue(std::string_view text, std::string_view name, long long fallback) {
  RtfReader r(text);
  for (std::size_t p = 0; p < text.size();) {
    RtfWord w;
    if (ReadWord(r, p, &w)) {
      if (w.Is(name)) fallback = w.hasNum ? w.num : (name == "fs" ? kDefaultSize : 0);
      p = w.end;
    } else {
      p = TokenEnd(r, p);
    }
  }
  return fallback;
}

enum class RuleMode { kGlyph, kSegmentOut, kSegmentDraw };

class RuleWalk {
 public:
  RuleWalk(std::string_view rtf, const PassArgs& a, std::size_t limit, RuleMode mode)
      : r_(rtf), ed_(rtf, limit), args_(a), mode_(mode) {
    first_ = std::max(0, a.firstPara);
    end_ = a.endPara;
    if (mode_ == RuleMode::kGlyph) {
      target_ = a.column > kTabBoundaries ? static_cast<long long>(a.column) + 1 : a.column;
    } else {
      // The piece of a column lies between its boundary and the next one;
      // the range starts two paragraphs early to reach the rules above.
      target_ = static_cast<long long>(a.column) + 1;
      if (target_ > kTabBoundaries && target_ != kSplitBoundary) ++target_;
      first_ = std::max(0LL, first_ - 2);
    }
  }

  PassResult Run() {
    if (args_.column < 1) return ed_.Finish("");
    std::size_t p = 0;
    while (p < r_.Size()) {
      const std::size_t dest = DestinationEnd(r_, p);
      if (dest != p) {
        p = dest;
        continue;
      }
      RtfWord w;
      if (!ReadWord(r_, p, &w)) {
        const std::uint8_t c = r_.At(p);
        if (IsTextByte(c)) {
          std::size_t next = 0;
          if (st_.glyphDue && st_.small && IsGlyphChar(c) && DottedDue() && TryDotted(p, &next)) {
            p = next;
            continue;
          }
          ApplyText(r_, p, &st_);
        }
        p = TokenEnd(r_, p);
        continue;
      }
      if (DottedDue() && (w.Is("highlight") ? HighlightLeadsGlyph(w) : IsGlyphStart(w))) {
        std::size_t next = 0;
        if (TryDotted(w.start, &next)) {
          p = next;
          continue;
        }
      }
      Apply(r_, w, &st_);
      if (w.Is("tab") && TabDue()) {
        std::size_t next = 0;
        if (TryTab(w, &next)) {
          p = next;
          continue;
        }
      }
      p = w.end;
    }
    return ed_.Finish("");
  }

 private:
  bool InRangeNow() const { return InRange(st_.para, first_, end_); }

  bool IsTarget(long long n) const {
    if (mode_ == RuleMode::kGlyph) return n == target_;
    return n == target_ - 1 || n == target_;
  }

  // The TAB just read is a target boundary of a thin paragraph in range.
  bool TabDue() const { return InRangeNow() && st_.Thin() && IsTarget(st_.counter); }

  // The next dotted separator is a target in a paragraph the pass writes.
  bool DottedDue() const {
    if (!InRangeNow() || st_.counter <= kTabBoundaries || !IsTarget(st_.counter + 1)) return false;
    return mode_ == RuleMode::kGlyph || st_.Thin();
  }

  bool IsGlyphStart(const RtfWord& w) const { return IsGlyphSize(w) && (!st_.small || st_.glyphDue); }

  // A "\highlight" whose glyph follows (its size switch, or its first
  // character right after a 1-point TAB), past interleaved words and further
  // highlights: the glyph's replacement starts here.
  bool HighlightLeadsGlyph(const RtfWord& w) const {
    const std::size_t limit = std::min(w.start + kLookAhead, r_.Size());
    std::size_t q = w.end;
    while (q < limit) {
      const std::uint8_t c = r_.At(q);
      if (IsGlyphChar(c)) return st_.glyphDue && st_.small;
      if (c == '\r' || c == '\n') {
        ++q;
        continue;
      }
      RtfWord v;
      if (!ReadWord(r_, q, &v)) return false;
      if (!v.Is("highlight") && !IsInterleavedWord(v)) return IsGlyphStart(v);
      q = v.end;
    }
    return false;
  }

  // The style code for a glyph about to be replaced. The cycle takes its
  // code from the first glyph it replaces and holds it for the whole pass.
  // Below the 31st boundary the style is written at the TAB, so the glyph
  // that decides is the one after the target TAB (inside the region read
  // ahead before writing).
  int Code(const Region& g, bool atTab) {
    if (args_.count != kCodeCycle) return args_.count;
    if (held_ < 0) held_ = NextCode(ReadStyle(g), atTab);
    return held_;
  }

  // A glyph at a target TAB: the glyph style, or a segment text.
  bool TryTab(const RtfWord& tab, std::size_t* next) {
    WalkState s = st_;
    Region g;
    if (!ScanRegion(r_, tab.end, tab.start + kLookAhead, true, &s, &g)) return false;
    std::string text;
    bool needsGlyphSize = false;
    if (mode_ == RuleMode::kGlyph) {
      const int code = Code(g, true);
      if (code == kCode1) text = Fill(kTabThick, {s.hl});
      else if (code == kCode2) text = Fill(kTabNone, {s.hl, s.hl});
      else text = Fill(kTabThin, {s.hl});
    } else {
      if (mode_ == RuleMode::kSegmentOut && !s.hlSeen) return false;
      const long long draw = mode_ == RuleMode::kSegmentDraw ? 1 : 0;
      const long long own = draw ? 1 : s.hl;
      if (st_.counter == target_ - 1) {
        text = Fill(kSegBefore, {draw});
        needsGlyphSize = true;
      } else if (target_ < kSplitBoundary) {
        text = Fill(kSegOwnBelow, {own});
        needsGlyphSize = true;
      } else if (target_ == kSplitBoundary) {
        text = Fill(kSegOwnAt31, {own});
      } else {
        text = Fill(kSegOwnAbove, {own});
        needsGlyphSize = true;
      }
      // These texts keep the size in effect for their glyph; it is the
      // 1-point size in a rule paragraph, and made so where it is not.
      if (needsGlyphSize && !st_.small) text = "\\tab\\fs2" + text.substr(4);
    }
    Write(tab.start, g, s, std::move(text));
    *next = g.end;
    return true;
  }

  // A dotted separator at a target, from its highlight or size switch.
  bool TryDotted(std::size_t start, std::size_t* next) {
    WalkState s = st_;
    Region g;
    if (!ScanRegion(r_, start, start + kLookAhead, false, &s, &g)) return false;
    if (s.counter != st_.counter + 1 || g.end <= start) return false;
    std::string text;
    if (mode_ == RuleMode::kGlyph) {
      const int code = Code(g, false);
      if (s.Thin()) {
        if (code == kCode1) text = Fill(kDotThinCode1, {g.glyphHl == 0 ? 1 : g.glyphHl, s.hl});
        else if (code == kCode2) text = Fill(kDotThinCode2, {g.glyphHl, s.hl});
        else text = Fill(kDotThinCode0, {s.hl, s.hl});
      } else {
        if (code == kCode1) text = Fill(kDotRowCode1, {s.cf, s.hl});
        else if (code == kCode2) text = Fill(kDotRowCode2, {s.cf, s.hl});
        else text = Fill(kDotRowCode0, {s.hl, s.cf, s.hl});
      }
    } else {
      if (mode_ == RuleMode::kSegmentOut && !s.hlSeen) return false;
      const long long draw = mode_ == RuleMode::kSegmentDraw ? 1 : 0;
      if (s.counter == target_ - 1) {
        // Keep the dot where the row above shows a dotted separator here.
        const char mark = s.counter < kMarkSlots ? st_.lastRow[static_cast<std::size_t>(s.counter)] : 0;
        text = Fill(mark == '.' || mark == '_' ? kSegDotBeforeDot : kSegDotBefore, {draw});
      } else {
        text = Fill(kSegDotOwn, {draw ? 1 : s.hl});
      }
    }
    Write(start, g, s, std::move(text));
    *next = g.end;
    return true;
  }

  // Writes a replacement, then restores what the old bytes left in effect
  // for the text after them: the size (unless the next word sets it), the
  // colour, and the interleaved words.
  void Write(std::size_t start, const Region& g, WalkState& s, std::string text) {
    const long long outSize = LastValue(text, "fs", st_.size);
    if (!g.endsAtSize && outSize != s.size) AppendWord(&text, "fs", s.size);
    const long long outCf = LastValue(text, "cf", st_.cf);
    if (outCf != s.cf) AppendWord(&text, "cf", s.cf);
    text += g.keep;
    if (EndsInWord(text) && g.end < r_.Size()) {
      const std::uint8_t c = r_.At(g.end);
      if (c != '\\' && c != '{' && c != '}' && c != '\r' && c != '\n') text += ' ';
    }
    ed_.Replace(start, g.end, text);
    st_ = s;
  }

  RtfReader r_;
  Editor ed_;
  PassArgs args_;
  RuleMode mode_;
  long long first_ = 0;
  long long end_ = 0;
  long long target_ = 0;
  int held_ = -1;
  WalkState st_;
};

}  // namespace

bool IsColumnCommand(int command) {
  return command == 'E' || command == 'R' || command == 'I' || command == 'i' || command == 'U';
}

PassResult ConvertTable(std::string_view rtf, const PassFacts& facts, std::size_t limit) {
  const RtfReader r(rtf);
  Editor ed(rtf, limit);
  const long long size = std::clamp(facts.textSize, 1, kMaxFontSize);
  std::string rule = Fill(kTabRule, {kFirstRowSize});
  long long paras = 0;
  ForEachWord(r, [&](const RtfWord& w) {
    if (IsParagraphEnd(w)) {
      // The control is empty when the block comes back, so the size at the
      // start of every later line is the one size the frame read.
      ++paras;
      rule = Fill(kTabRule, {size});
      if (paras < facts.lineCount) ed.Replace(w.start, w.end, kRowStart);
    } else if (w.Is("tab")) {
      ed.Replace(w.start, w.end, rule);
    } else if (w.Is("tx") && w.hasNum && w.num == 0) {
      ed.Replace(w.start, w.end, w.blank ? std::string(kZeroStops) + " " : std::string(kZeroStops));
    }
  });
  return ed.Finish("");
}

PassResult ChangeWidth(std::string_view rtf, const PassArgs& args, const PassFacts& facts, std::size_t limit) {
  const RtfReader r(rtf);
  Editor ed(rtf, limit);
  if (args.column < 1 || (args.command != kKeyNarrower && args.command != kKeyWider)) return ed.Finish("");
  const long long steps = args.count < 1 ? 1 : args.count;
  const long long delta = (args.command == kKeyNarrower ? -1 : 1) * steps * kWidthStepTwips;
  const long long first = std::max(0, args.firstPara);
  long long para = 0, stop = 0, left = 0;
  std::string status;
  ForEachWord(r, [&](const RtfWord& w) {
    if (IsParagraphEnd(w) || w.Is("pard")) {
      // "\pard" clears the stops too; only "\par" starts a paragraph.
      if (IsParagraphEnd(w)) ++para;
      stop = 0;
      left = 0;
    } else if (w.Is("tx") && w.hasNum) {
      ++stop;
      if (InRange(para, first, args.endPara)) {
        if (stop == args.column - 1LL) left = w.num;
        if (stop == args.column || (stop > args.column && facts.moveFollowing)) {
          const long long moved = std::clamp<long long>(w.num + delta, 0, INT_MAX);
          if (moved != w.num) {
            std::string word;
            AppendWord(&word, "tx", moved);
            if (w.blank) word += ' ';
            ed.Replace(w.start, w.end, word);
          }
          if (stop == args.column) status = Fill(kWidthStatus, {(moved - left) / kWidthUnitTwips});
        }
      }
    }
  });
  return ed.Finish(status);
}

PassResult SetRuleGlyph(std::string_view rtf, const PassArgs& args, std::size_t limit) {
  return RuleWalk(rtf, args, limit, RuleMode::kGlyph).Run();
}

PassResult SetSegment(std::string_view rtf, const PassArgs& args, std::size_t limit) {
  return RuleWalk(rtf, args, limit, args.command == '6' ? RuleMode::kSegmentDraw : RuleMode::kSegmentOut).Run();
}

PassResult RewriteTable(std::string_view rtf, const PassArgs& args, const PassFacts& facts, std::size_t limit) {
  switch (args.command) {
    case 'D': return ConvertTable(rtf, facts, limit);
    case kKeyNarrower:
    case kKeyWider: return ChangeWidth(rtf, args, facts, limit);
    case '3':
    case '4': return SetRuleGlyph(rtf, args, limit);
    case '5':
    case '6': return SetSegment(rtf, args, limit);
    default: return Editor(rtf, limit).Finish("");
  }
}

}  // namespace table::rtfpass
