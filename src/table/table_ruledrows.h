// Separated text lines into ruled rows, in place ('e' and 'f' of the table
// engine): what the conversions decide without the control. The view reads
// a line, asks here where its separators are, measures each one's pixel x in
// the control and turns it into a tab stop with RuledStops; the marks and
// formats are carried out by the view.
//
// 'f' ('|'-separated): every '|' becomes a TAB followed by a rule mark ("_"
// 20 twips high on RGB(1,0,0)); the TAB takes the bar's place with no blank
// in front, so the text before it keeps its position and the next cell
// starts at the new stop. 'e' (TAB-separated): a rule mark after every TAB,
// stops from the TABs' positions when the paragraph has none, rows set to
// 240 twips; ruled lines (exact spacing of 60 twips or less) stay as they
// are, and nothing is put in front of the converted block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace table {

constexpr int kConvertLineBytes = 3000;     // bytes of a line read for the separator count
constexpr int kMaxRuledStops = 32;          // tab stops a paragraph keeps
constexpr int kRuleMarkTwips = 20;          // height of a vertical rule mark
constexpr std::uint32_t kRuleMarkColour = 0x000001;  // RGB(1,0,0): the line colour
constexpr int kConvertedRowTwips = 240;     // exact spacing of a row 'e' converts
constexpr int kRuledLineMaxTwips = 60;      // 'e' leaves exact spacing of this or less alone
constexpr char kRuleMarkChar = '_';

struct SeparatorCount {
  int bars = 0;  // '|'
  int tabs = 0;  // TAB
};

// The '|' and TAB characters of a line: from `line` up to a CR, LF or NUL,
// at most kConvertLineBytes bytes of it. The second byte of a double-byte
// character is never a separator (0x7C is a valid trail byte).
SeparatorCount CountSeparators(const char* line, std::size_t len);

// The conversion one call runs: 'e' becomes 'f' when the counted line has
// more bars than TABs and more than two bars; every other code stays.
int ResolveConversion(int cmd, SeparatorCount counted);

// The control's text as UTF-16 (one unit a character position; paragraphs
// end at CR). Character offsets (from the paragraph's start) of every `sep`
// ('|' or TAB) of the paragraph that starts at text[0], up to a CR, LF or NUL.
std::vector<int> SeparatorChars(const char16_t* text, std::size_t len, char16_t sep);

// The starts of the paragraphs that hold a character of [from, to] of the
// control's text: the paragraph holding `from`, then every paragraph that
// starts after it, at or before `to` and before the text's end.
std::vector<long> ParagraphStarts(const char16_t* text, std::size_t len, long from, long to);

// The stop of a separator at pixel x from the line's start: 15 twips a pixel
// (96 dots an inch) and 150 twips (ten pixels) of room, kept inside the
// control's 24 bits of stop position; a negative x counts as 0.
std::int32_t StopTwipsForPixel(int x);

// A paragraph's stops as the conversions make them: the first at 0, then one
// per separator in order while fewer than kMaxRuledStops are held. A stop at
// or left of the last one is not kept (the control wants them rising).
class RuledStops {
 public:
  RuledStops() : stops_{0} {}
  // True when the stop was kept.
  bool AddPixel(int x);
  const std::vector<std::int32_t>& Stops() const { return stops_; }

 private:
  std::vector<std::int32_t> stops_;
};

// True for a paragraph 'e' leaves alone: exact spacing (rule 4) of at most
// kRuledLineMaxTwips twips, a ruled line.
bool IsRuledLine(int spacingRule, std::int32_t spacingTwips);

}  // namespace table
