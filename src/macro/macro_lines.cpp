#include "macro/macro_lines.h"

#include <algorithm>
#include <cstring>

#include "csv/csv_buffer.h"

namespace macro {

namespace {

// Steps by the text's line count: (most lines, step).
struct StepRule {
  std::uint64_t upTo;
  int step;
};
constexpr StepRule kStepRules[] = {{65536, 1}, {524288, 8}};
constexpr int kWideStep = 128;

std::uint64_t CountLineFeeds(const std::uint8_t* text, std::uint32_t length) {
  std::uint64_t n = 0;
  for (const std::uint8_t* p = text; (p = static_cast<const std::uint8_t*>(std::memchr(p, '\n', text + length - p)));
       ++p)
    ++n;
  return n;
}

}  // namespace

int MacroLineIndexStep(std::uint64_t lines) {
  for (const StepRule& r : kStepRules)
    if (lines <= r.upTo) return r.step;
  return kWideStep;
}

void MacroBuildLineIndex(MacroLineIndex* index, const std::uint8_t* text, std::uint32_t length, int step) {
  const std::uint32_t end = text ? length : 0;
  if (step != 1 && step != 8 && step != kWideStep) step = MacroLineIndexStep(end ? CountLineFeeds(text, end) : 0);
  // A rebuild resets only what the last build wrote: a fresh index of a
  // small table costs no 256 KB fill.
  if (index->entries.size() != static_cast<std::size_t>(kLineIndexEntries) + 1) {
    index->entries.assign(kLineIndexEntries + 1, -1);
  } else {
    std::fill(index->entries.begin() + 1, index->entries.begin() + 1 + index->filled, -1);
  }
  index->entries[0] = step;
  std::uint64_t feeds = 0;
  int k = 1;
  for (std::uint32_t i = 0; i < end && k <= kLineIndexEntries; ++i) {
    const void* lf = std::memchr(text + i, '\n', end - i);
    if (!lf) break;
    i = static_cast<std::uint32_t>(static_cast<const std::uint8_t*>(lf) - text);
    if (++feeds % static_cast<std::uint64_t>(step) == 0) index->entries[k++] = static_cast<std::int32_t>(i + 1);
  }
  index->filled = k - 1;
  index->text = text;
  index->length = length;
}

const std::int32_t* MacroTableLineIndex(MacroLineIndex* index, const csv::TableFields& table) {
  const std::uint32_t len = table.m_nTextLen < table.m_nWorkSize ? table.m_nTextLen : 0;
  if (index->entries.empty() || index->generation != table.m_nIndexGeneration || index->text != table.m_pTextBuf ||
      index->length != len) {
    MacroBuildLineIndex(index, table.m_pTextBuf, len);
    index->generation = table.m_nIndexGeneration;
  }
  return index->entries.data();
}

int LineOffsetFromTable(const csv::TableFields& table, int line, const std::int32_t* entries) {
  if (line < 1 || table.m_pTextBuf == nullptr) return 0;
  const std::uint32_t len = table.m_nTextLen < table.m_nWorkSize ? table.m_nTextLen : 0;
  const std::uint8_t* text = table.m_pTextBuf;
  std::uint32_t pos = 0;
  long long left = line;
  if (entries) {
    const int s = entries[0] == 1 || entries[0] == 8 ? entries[0] : kWideStep;
    long long k = line / s;
    if (k > kLineIndexEntries) k = kLineIndexEntries;
    // An entry the text does not reach: the line lies past its end.
    if (k > 0 && entries[k] < 0) return static_cast<int>(len);
    if (k > 0 && static_cast<std::uint32_t>(entries[k]) <= len) {
      pos = static_cast<std::uint32_t>(entries[k]);
      left = line - k * s;
    }
  }
  while (left > 0 && pos < len) {
    const void* lf = std::memchr(text + pos, '\n', len - pos);
    if (!lf) return static_cast<int>(len);
    pos = static_cast<std::uint32_t>(static_cast<const std::uint8_t*>(lf) - text) + 1;
    --left;
  }
  return static_cast<int>(pos < len ? pos : len);
}

}  // namespace macro
