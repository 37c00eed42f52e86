// The separators and paragraphs of separated lines over any text: the count
// of a line against a plain walk of its characters, the separator offsets
// inside their paragraph, the paragraph starts rising and each one after a
// CR, and the stops rising, at most 32 and starting at 0.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fw/codepage.h"
#include "table/table_ruledrows.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  if (size > 1 << 16) size = 1 << 16;
  const long from = data[0] * 3;
  const long to = from + data[1] * 5 - 200;
  const int cmd = data[2] & 1 ? 'e' : 'f';
  const char* text = reinterpret_cast<const char*>(data + 3);
  const std::size_t len = size - 3;

  const table::SeparatorCount n = table::CountSeparators(text, len);
  if (n.bars < 0 || n.tabs < 0 || static_cast<std::size_t>(n.bars + n.tabs) > len ||
      n.bars + n.tabs > table::kConvertLineBytes)
    __builtin_trap();
  const int picked = table::ResolveConversion('e', n);
  if (picked == 'f' && !(n.bars > n.tabs && n.bars > 2)) __builtin_trap();

  const std::u16string u = fw::Cp932ToUtf16(text, len);
  const std::vector<long> starts = table::ParagraphStarts(u.data(), u.size(), from, to);
  if (starts.empty()) __builtin_trap();
  for (std::size_t i = 0; i < starts.size(); ++i) {
    const long s = starts[i];
    if (s < 0 || s > static_cast<long>(u.size())) __builtin_trap();
    if (s > 0 && u[static_cast<std::size_t>(s - 1)] != u'\r') __builtin_trap();
    if (i > 0 && s <= starts[i - 1]) __builtin_trap();
    const std::size_t rest = u.size() - static_cast<std::size_t>(s);
    const std::vector<int> seps = table::SeparatorChars(u.data() + s, rest, cmd == 'e' ? u'\t' : u'|');
    int last = -1;
    for (int c : seps) {
      if (c <= last || static_cast<std::size_t>(c) >= rest) __builtin_trap();
      for (int k = last + 1; k < c; ++k) {
        const char16_t ch = u[static_cast<std::size_t>(s + k)];
        if (ch == u'\r' || ch == u'\n' || ch == 0) __builtin_trap();
      }
      last = c;
    }
  }

  table::RuledStops stops;
  for (std::size_t i = 0; i + 1 < len; i += 2) stops.AddPixel(static_cast<int8_t>(text[i]) * 256 + static_cast<uint8_t>(text[i + 1]));
  const std::vector<std::int32_t>& st = stops.Stops();
  if (st.empty() || st[0] != 0 || st.size() > static_cast<std::size_t>(table::kMaxRuledStops)) __builtin_trap();
  for (std::size_t i = 1; i < st.size(); ++i)
    if (st[i] <= st[i - 1] || st[i] > 0xFFFFFF) __builtin_trap();
  return 0;
}
