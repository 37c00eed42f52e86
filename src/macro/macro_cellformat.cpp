// Reading the cell-format items of the ATR function.
#include "macro/macro_cellformat.h"

namespace macro {
namespace {

bool IsSeparator(char c) { return c == ',' || c == ';' || c == ' ' || c == '\t'; }

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = Upper(c);
  return c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
}

// "RRGGBB" after the item's letter as 0x00BBGGRR; -1 when malformed.
std::int32_t Colour(const std::string& item) {
  const std::size_t i = 1;
  if (item.size() != 7) return -1;
  std::int32_t rgb[3] = {};
  for (int k = 0; k < 3; ++k) {
    const int hi = HexDigit(item[i + 2 * k]), lo = HexDigit(item[i + 2 * k + 1]);
    if (hi < 0 || lo < 0) return -1;
    rgb[k] = hi * 16 + lo;
  }
  return rgb[0] | (rgb[1] << 8) | (rgb[2] << 16);
}

// Applies one item; false when it is not one.
bool Apply(const std::string& item, CellFormat* f) {
  const bool off = item[0] == '-';
  const std::string body = off ? item.substr(1) : item;
  if (body.size() == 1) {
    const FormatSwitch s = off ? FormatSwitch::kOff : FormatSwitch::kOn;
    switch (Upper(body[0])) {
      case 'B': f->bold = s; return true;
      case 'I': f->italic = s; return true;
      case 'U': f->underline = s; return true;
      case 'S': f->strike = s; return true;
      default: return false;
    }
  }
  if (off || body.empty()) return false;
  const char kind = Upper(body[0]);
  if (kind == 'C' || kind == 'K') {
    const std::int32_t c = Colour(body);
    if (c < 0) return false;
    (kind == 'C' ? f->textColour : f->backColour) = c;
    return true;
  }
  if (kind == 'P') {
    if (body.size() > 3) return false;
    int points = 0;
    for (std::size_t i = 1; i < body.size(); ++i) {
      if (body[i] < '0' || body[i] > '9') return false;
      points = points * 10 + (body[i] - '0');
    }
    if (points < 1 || points > kCellFormatMaxPoints) return false;
    f->points = points;
    return true;
  }
  if (kind == 'A' && body.size() == 2) {
    const char a = Upper(body[1]);
    if (a != 'L' && a != 'C' && a != 'R') return false;
    f->align = a;
    return true;
  }
  return false;
}

}  // namespace

bool ParseCellFormat(const CString& text, CellFormat* format, int* errorAt) {
  CellFormat f;
  const std::string& s = text.Str();
  int at = 0;
  bool any = false;
  std::size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && IsSeparator(s[i])) ++i;
    if (i >= s.size()) break;
    std::size_t e = i;
    while (e < s.size() && !IsSeparator(s[e])) ++e;
    if (!Apply(s.substr(i, e - i), &f)) {
      if (errorAt) *errorAt = static_cast<int>(i);
      return false;
    }
    any = true;
    i = e;
  }
  if (errorAt) *errorAt = at;
  if (!any) return false;
  if (format) *format = f;
  return true;
}

bool CellSpanInLine(const char* line, int length, int firstCol, int lastCol, int* start, int* end) {
  if (line == nullptr || length < 0 || firstCol < 1) return false;
  auto isSep = [](char c) { return c == '\t' || c == 0x06; };
  int i = 0;
  for (int col = 1; col < firstCol; ++col) {
    while (i < length && !isSep(line[i])) ++i;
    if (i >= length) return false;
    ++i;
  }
  *start = i;
  if (lastCol < firstCol) {
    *end = length;
    return true;
  }
  for (int col = firstCol;; ++col) {
    while (i < length && !isSep(line[i])) ++i;
    if (col >= lastCol || i >= length) break;
    ++i;
  }
  *end = i;
  return true;
}

}  // namespace macro
