#include "table/table_cells.h"

#include <algorithm>

#include "core/docsvc/sjis_state.h"

namespace table {

namespace {

bool Printable(std::uint8_t c) { return c > 0x20; }

// Bytes 0x2E '.' and 0x5F '_' pair up as a dotted separator.
bool DotPair(const std::uint8_t* s, std::size_t n, std::size_t i) {
  return i + 1 < n && (s[i] == '.' || s[i] == '_') && s[i + 1] == s[i];
}

}  // namespace

std::vector<CellSeparator> CellSeparators(const std::uint8_t* line, std::size_t n, std::size_t end, int dottedFrom) {
  std::vector<CellSeparator> out;
  if (!line) return out;
  n = std::min(n, kCellLineBytes);
  end = std::min(end, n);
  int lead = 0;
  for (std::size_t i = 0; i < end; ++i) {
    const std::uint8_t c = line[i];
    const bool trail = lead != 0;
    IsSjisLeadByteState(c, &lead);
    if (trail || lead != 0) continue;
    if (c == '\t') {
      out.push_back({i, i + 1, true});
      // The rule glyph after a TAB reads as a blank.
      if (i + 1 < n && (line[i + 1] == '.' || line[i + 1] == '_')) ++i;
      continue;
    }
    const bool dotted = dottedFrom > 0 && static_cast<int>(out.size()) + 1 >= dottedFrom;
    if (!dotted) continue;
    if (DotPair(line, n, i) && (i + 2 >= n || line[i + 2] == ' ')) {
      out.push_back({i, std::min(i + 2, n), false});
      ++i;
    } else if (c == ' ' && DotPair(line, n, i + 1) && line[i + 1] == '.' && i + 3 < n && Printable(line[i + 3])) {
      out.push_back({i, i + 3, false});
      i += 2;
    }
  }
  return out;
}

int CellIndexAt(const std::uint8_t* line, std::size_t n, std::size_t caret, int dottedFrom, bool trailingRule) {
  const std::size_t end = std::min({caret, n, kCellLineBytes});
  int count = static_cast<int>(CellSeparators(line, n, end, dottedFrom).size());
  if (trailingRule && count > 0 && end >= 3 && line[end - 1] == ' ' && line[end - 2] == '_' && line[end - 3] == '_')
    --count;
  return count;
}

long CaretOffsetOfCell(const std::uint8_t* line, std::size_t n, int index, int dottedFrom) {
  if (index <= 0) return 0;
  const std::vector<CellSeparator> seps = CellSeparators(line, n, n, dottedFrom);
  if (static_cast<std::size_t>(index) > seps.size()) return -1;
  const CellSeparator& s = seps[static_cast<std::size_t>(index) - 1];
  return static_cast<long>(s.tab ? s.at + 1 : s.at + 2);
}

}  // namespace table
