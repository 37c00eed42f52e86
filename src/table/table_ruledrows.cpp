#include "table/table_ruledrows.h"

#include "fw/sjis.h"

namespace table {

namespace {

constexpr std::int32_t kMaxStopTwips = 0xFFFFFF;  // a stop's position is 24 bits

bool EndsLine(char c) { return c == '\r' || c == '\n' || c == '\0'; }

}  // namespace

SeparatorCount CountSeparators(const char* line, std::size_t len) {
  SeparatorCount c;
  if (!line) return c;
  if (len > static_cast<std::size_t>(kConvertLineBytes)) len = kConvertLineBytes;
  for (std::size_t i = 0; i < len && !EndsLine(line[i]);) {
    const unsigned char b = static_cast<unsigned char>(line[i]);
    if (fw::IsSjisLeadByte(b) && i + 1 < len) {
      i += 2;
      continue;
    }
    if (b == '|') ++c.bars;
    else if (b == '\t') ++c.tabs;
    ++i;
  }
  return c;
}

int ResolveConversion(int cmd, SeparatorCount counted) {
  if (cmd == 'e' && counted.bars > counted.tabs && counted.bars > 2) return 'f';
  return cmd;
}

std::vector<int> SeparatorChars(const char16_t* text, std::size_t len, char16_t sep) {
  std::vector<int> out;
  if (!text) return out;
  for (std::size_t i = 0; i < len && i < 0x7FFFFFFF; ++i) {
    const char16_t c = text[i];
    if (c == u'\r' || c == u'\n' || c == 0) break;
    if (c == sep) out.push_back(static_cast<int>(i));
  }
  return out;
}

std::vector<long> ParagraphStarts(const char16_t* text, std::size_t len, long from, long to) {
  std::vector<long> out;
  if (!text) return out;
  const long n = len > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<long>(len);
  if (from < 0) from = 0;
  if (from > n) from = n;
  if (to < from) to = from;
  long first = from;
  while (first > 0 && text[first - 1] != u'\r') --first;
  out.push_back(first);
  for (long i = from; i < n && i < to; ++i)
    if (text[i] == u'\r' && i + 1 <= to && i + 1 < n) out.push_back(i + 1);
  return out;
}

std::int32_t StopTwipsForPixel(int x) {
  if (x < 0) x = 0;
  const std::int64_t t = 15 * static_cast<std::int64_t>(x) + 150;
  return t > kMaxStopTwips ? kMaxStopTwips : static_cast<std::int32_t>(t);
}

bool RuledStops::AddPixel(int x) {
  if (static_cast<int>(stops_.size()) >= kMaxRuledStops) return false;
  const std::int32_t t = StopTwipsForPixel(x);
  if (t <= stops_.back()) return false;
  stops_.push_back(t);
  return true;
}

bool IsRuledLine(int spacingRule, std::int32_t spacingTwips) {
  return spacingRule == 4 && spacingTwips <= kRuledLineMaxTwips;
}

}  // namespace table
