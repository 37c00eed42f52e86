#include "macro/macro_loadsep.h"

#include "fw/sjis.h"

namespace macro {

namespace {
constexpr std::size_t kScanLimit = 5000;
constexpr std::uint8_t kFieldSep = 0x06;
}  // namespace

bool MacroDetectLoadSeparator(std::uint8_t* text, std::size_t len, bool csvKind, LoadSeparatorCounts* counts) {
  LoadSeparatorCounts c;
  const std::size_t end = len < kScanLimit ? len : kScanLimit;
  bool quoted = false;
  bool lineHas = false;
  int linesWith = 0;
  std::size_t i = 0;
  while (text != nullptr && i < end && linesWith < 2) {
    const std::uint8_t b = text[i];
    if (fw::IsSjisLeadByte(b) && i + 1 < len) {
      if (text[i + 1] < '@') {
        text[i] = ' ';  // no character: the next byte counts on its own
        ++i;
        continue;
      }
      i += 2;  // the second byte may be '|' and is no bar
      continue;
    }
    if (b == '"') {
      quoted = !quoted;
    } else if (b == ',' && !quoted) {
      ++c.commas;
      lineHas = true;
    } else if (b == '\t') {
      ++c.tabs;
      lineHas = true;
    } else if (b == '|') {
      ++c.bars;
      lineHas = true;
    } else if (b == kFieldSep) {
      ++c.separators;
      lineHas = true;
    } else if (b == '\n' || b == '\r') {
      quoted = false;
      if (lineHas) ++linesWith;
      lineHas = false;
    }
    ++i;
  }
  c.scanned = i < end ? i : end;
  if (csvKind) {
    if (c.commas < 1) c.commas = 1;
    c.tabs = c.bars = c.separators = 0;
  }
  if (counts != nullptr) *counts = c;
  return c.tabs < 2 && c.commas > 0 && c.separators < 2 && (c.bars < 5 || c.commas > c.bars);
}

}  // namespace macro
