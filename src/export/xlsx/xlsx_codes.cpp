#include "export/xlsx/xlsx_codes.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "export/byte_writer.h"
#include "export/xlsx/xlsx_sheetmodel.h"
#include "export/xlsx/xlsx_text_lines.h"

namespace xlsx {
namespace {

constexpr char kSep = '\x06';

// Alignment letters: the horizontal ones set bits 2-6, the vertical ones
// bits 0-1 of position 0.
struct AlignCode {
  char letter;
  unsigned char bits;
  bool vertical;
};
constexpr AlignCode kAlignCodes[] = {
    {'L', 0x50, false}, {'R', 0x60, false}, {'C', 0x70, false}, {'W', 0x54, false}, {'O', 0x74, false},
    {'M', 0x01, true},  {'T', 0x02, true},  {'B', 0x03, true},
};

// Line flags of position 9.
struct FlagCode {
  char letter;
  unsigned char bits;
};
constexpr FlagCode kLineFlags[] = {{'N', 0x01}, {'D', 0x02}, {'E', 0x04}, {'P', 0x08}, {'Z', 0x10}, {'z', 0x20}};
// Font families of a '%' group (bits 4-6 of position 7) and the sheet's
// font mode each gives.
struct FamilyCode {
  char letter;
  unsigned char bits;
  int mode;
};
constexpr FamilyCode kFamilies[] = {{'J', 0x10, 0}, {'M', 0x20, 1}, {'P', 0x30, 2}, {'N', 0x40, 3}};
// Style flags of a '%' group, from its third letter on.
constexpr FlagCode kStyleFlags[] = {{'B', 0x01}, {'U', 0x02}, {'I', 0x04}, {'S', 0x08}};
constexpr unsigned char kAllStyles = 0x0F;  // 'K'
constexpr unsigned char kColumnWins = 0x80; // 'X'
constexpr unsigned char kFamilyMask = 0x70;
constexpr unsigned char kDefaultFamily = 0x30;  // 'P'

// Paper names of the 'x' items with their base letters; 'A' and 'B' take a
// size digit 3, 4 or 5 before the orientation.
struct PaperName {
  const char* name;
  char base;
};
constexpr PaperName kPaperNames[] = {{"LT", 'm'}, {"LG", 'o'}, {"TB", 'q'}, {"EX", 's'}, {"PC", 'u'}};

constexpr std::int32_t kExplicitWidth = 10002;  // "w" n is stored as n + 10002
constexpr std::int32_t kWidthDigitsMax = 9999;  // digits read for a width
constexpr int kRowHeightBase = 0x40;            // position 20 holds '@' + the height
constexpr int kRowHeightMax = 0xFF - kRowHeightBase;
constexpr std::uint32_t kFilterColumnMax = 9999;  // a and b of 'F' each fit four digits
constexpr std::size_t kDefaultFormatChars = 15;
constexpr int kDefaultFormatCodes = 4;
constexpr std::uint32_t kMaxRowNumber = 1048576;
constexpr std::int32_t kDefaultHeightMax = 0xFF;

bool Unset(char c) { return c == '_' || c == 0; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsUpper(char c) { return c >= 'A' && c <= 'Z'; }
bool Ends(unsigned char c) { return c < 0x20; }

// Reads up to `maxDigits` digits at p[i]; the value saturates at `cap`.
// Returns the digits read (0: none).
std::size_t Number(const char* p, std::size_t n, std::size_t i, std::size_t maxDigits, std::uint32_t cap,
                   std::uint32_t& value) {
  std::size_t k = 0;
  std::uint64_t v = 0;
  while (i + k < n && IsDigit(p[i + k]) && (maxDigits == 0 || k < maxDigits)) {
    v = std::min<std::uint64_t>(v * 10 + static_cast<unsigned>(p[i + k] - '0'), cap);
    ++k;
  }
  value = static_cast<std::uint32_t>(v);
  return k;
}

const AlignCode* Align(char c) {
  for (const AlignCode& a : kAlignCodes)
    if (a.letter == c) return &a;
  return nullptr;
}

unsigned char ApplyAlign(unsigned char cur, const AlignCode& a) {
  if (cur == '_' || cur == 0) cur = '@';
  if (a.vertical) return static_cast<unsigned char>((cur & ~0x03) | a.bits);
  return static_cast<unsigned char>((cur & 0x03) | a.bits);
}

bool IsNumberLetter(char c) { return std::strchr("cgifsvmd", c) != nullptr && c != 0; }

// The number format code of a letter at p[i] ('f' takes the digit after
// it); `used` gets the bytes read.
unsigned char NumberCode(const char* p, std::size_t n, std::size_t i, std::size_t& used) {
  const char c = p[i];
  used = 1;
  if (c == 'f') {
    if (i + 1 < n && p[i + 1] >= '1' && p[i + 1] <= '9') {
      used = 2;
      return static_cast<unsigned char>(p[i + 1]);
    }
    return '2';
  }
  if (c == 'c' || c == 'm' || c == 'd') return static_cast<unsigned char>(c | 0x80);
  return static_cast<unsigned char>(c);
}

// A '%' group from p[i] (the '%') into positions 5-8 of `r`; ends at '^',
// a control byte, '%', '#' or '$' (and, on a settings line, at ':', a blank
// or a byte of 0x80 or above). Returns the index after the group.
std::size_t FontGroup(const char* p, std::size_t n, std::size_t i, bool settings, XlsxFormatRecord& r,
                      bool* family) {
  ++i;
  int index = 0;
  for (; i < n; ++i, ++index) {
    const unsigned char c = static_cast<unsigned char>(p[i]);
    if (c == '^' || c < 0x20 || c == '%' || c == '#' || c == '$') break;
    if (settings && (c == ':' || c == ' ' || c >= 0x80)) break;
    if (c >= 0x80) {
      if (i + 1 < n) ++i;  // a double-byte character is skipped whole
      continue;
    }
    unsigned char flags = static_cast<unsigned char>(r.c[7]);
    bool done = false;
    for (const FamilyCode& f : kFamilies)
      if (f.letter == c) {
        flags = static_cast<unsigned char>((flags & ~kFamilyMask) | f.bits);
        if (family) *family = true;
        done = true;
      }
    if (!done && c == 'K') {
      flags |= kAllStyles;
      done = true;
    }
    if (!done && index >= 2)
      for (const FlagCode& f : kStyleFlags)
        if (f.letter == c) {
          flags |= f.bits;
          done = true;
        }
    r.c[7] = static_cast<char>(flags);
    if (done) continue;
    if (c >= 'A' && c <= 'Y') r.c[5] = static_cast<char>(c);
    else if (c >= 'a' && c <= 'y' && c != 'x') r.c[6] = static_cast<char>(c);
    else if (IsDigit(static_cast<char>(c))) r.c[8] = static_cast<char>(c);
  }
  return i;
}

// A cell reference at p[i]: capital letters, then digits, within the
// sheet's columns and rows. Returns the bytes it spans (0: none there);
// `ok` is false for a reference past the sheet.
std::size_t CellRef(const char* p, std::size_t n, std::size_t i, std::string& ref, bool& ok) {
  std::size_t k = i;
  std::uint64_t col = 0;
  while (k < n && IsUpper(p[k])) {
    col = std::min<std::uint64_t>(col * 26 + static_cast<unsigned>(p[k] - 'A' + 1), 1u << 30);
    ++k;
  }
  const std::size_t letters = k - i;
  std::uint32_t row = 0;
  const std::size_t digits = Number(p, n, k, 0, kMaxRowNumber + 1, row);
  k += digits;
  ok = letters > 0 && digits > 0 && col <= static_cast<std::uint64_t>(kMaxColumns) && row >= 1 &&
       row <= kMaxRowNumber;
  if (ok) ref.assign(p + i, k - i);
  return k - i;
}

}  // namespace

std::size_t XlsxCodeMark(const char* p, std::size_t n) {
  std::size_t i = 0;
  while (i < n) {
    const std::size_t k = exportcore::SjisPairLength(p, i, n);
    if (k == 1 && p[i] == '^' && !(i > 0 && p[i - 1] == '\\')) return i + 1;
    i += k;
  }
  return kNoCodeMark;
}

void XlsxReadCodes(const char* p, std::size_t n, XlsxCodeTarget target, XlsxFormatRecord& r, XlsxCodeExtras& x) {
  const bool row = target == XlsxCodeTarget::kRow;
  const int pairAt = row ? 10 : 2;
  const int colourAt = row ? 14 : 12;
  std::size_t i = 0;
  while (i < n) {
    const unsigned char u = static_cast<unsigned char>(p[i]);
    const char c = static_cast<char>(u);
    if (u == kSep || u == '\r' || u == '\n' || u == 0) break;
    if (u >= 0x80) {
      i += exportcore::SjisPairLength(p, i, n);
      continue;
    }
    const char next = i + 1 < n ? p[i + 1] : 0;
    if (IsDigit(c) && (IsDigit(next) || next == '_')) {
      r.c[pairAt] = c == '9' ? '_' : c;
      r.c[pairAt + 1] = next == '9' ? '_' : next;
      i += 2;
    } else if (c == '_' && IsDigit(next)) {
      r.c[pairAt + 1] = next == '9' ? '_' : next;
      i += 2;
    } else if (c == '#') {
      if (i + 2 < n && !Ends(static_cast<unsigned char>(p[i + 1])) && !Ends(static_cast<unsigned char>(p[i + 2]))) {
        r.c[colourAt] = p[i + 1];
        r.c[colourAt + 1] = p[i + 2];
        i += 3;
      } else {
        ++i;
      }
    } else if (c == 'x') {
      if (i + 2 < n && !Ends(static_cast<unsigned char>(p[i + 1])) && !Ends(static_cast<unsigned char>(p[i + 2]))) {
        r.c[16] = p[i + 1];
        r.c[17] = p[i + 2];
        i += 3;
        if (i < n && (IsDigit(p[i]) || p[i] == '_')) r.c[18] = p[i++];
        else r.c[18] = '_';
      } else {
        ++i;
      }
    } else if (c == '%') {
      i = FontGroup(p, n, i, false, r, nullptr);
    } else if (const AlignCode* a = Align(c)) {
      r.c[0] = static_cast<char>(ApplyAlign(static_cast<unsigned char>(r.c[0]), *a));
      ++i;
    } else if (c == 'w' && !row) {
      std::uint32_t v = 0;
      const std::size_t k = Number(p, n, i + 1, 0, kWidthDigitsMax, v);
      if (k > 0) x.width = static_cast<std::int32_t>(v) + kExplicitWidth;
      i += 1 + k;
    } else if (c == 'h' && row) {
      std::uint32_t v = 0;
      const std::size_t k = Number(p, n, i + 1, 0, 100000, v);
      if (v > 0) {
        int h = v > 100 ? 100 + (static_cast<int>(v) - 100) / 10 : static_cast<int>(v);
        h = std::min(h, kRowHeightMax);
        r.c[20] = static_cast<char>(h + kRowHeightBase);
      }
      i += 1 + k;
    } else if (c == 'F' && row) {
      std::uint32_t a = 0, b = 0;
      std::size_t k = i + 1;
      const std::size_t ka = Number(p, n, k, 0, kFilterColumnMax, a);
      k += ka;
      bool hasB = false;
      if (k < n && (p[k] == '-' || p[k] == '_')) {
        ++k;
        const std::size_t kb = Number(p, n, k, 0, kFilterColumnMax, b);
        k += kb;
        hasB = kb > 0;
      }
      const bool dash = k > i + 1 + ka;
      if (!hasB) b = std::min(x.columnCount, kFilterColumnMax);
      if (!x.filter) {
        x.filter = true;
        if (ka > 0 && !dash) x.filterCode = a;  // "F" with one number
        else x.filterCode = a > 1 ? a * 10000 + b : b;
      }
      i = k;
    } else if (IsNumberLetter(c)) {
      std::size_t used = 1;
      r.c[1] = static_cast<char>(NumberCode(p, n, i, used));
      i += used;
    } else if (c == 'X') {
      if (!row || x.belowTitle) r.c[7] = static_cast<char>(static_cast<unsigned char>(r.c[7]) | kColumnWins);
      ++i;
    } else {
      bool flag = false;
      for (const FlagCode& f : kLineFlags)
        if (f.letter == c) {
          r.c[9] = static_cast<char>(static_cast<unsigned char>(Unset(r.c[9]) ? 0 : r.c[9]) | f.bits);
          flag = true;
        }
      ++i;
      if (flag && (c == 'Z' || c == 'z') && i < n && p[i] >= '1' && p[i] <= '9') r.c[4] = p[i++];
    }
  }
}

bool XlsxReadDefaultFormat(const char* p, std::size_t n, XlsxSheetSettings& s, std::uint32_t& r1c1) {
  std::size_t i = 0;
  bool fontGroup = false;
  // The plain codes: at most 15 characters and four codes.
  int codes = 0;
  bool stop = false;
  while (i < n && i < kDefaultFormatChars) {
    const unsigned char u = static_cast<unsigned char>(p[i]);
    const char c = static_cast<char>(u);
    if (c == ':' || c == '^' || u <= 0x20 || u >= 0x80) {
      stop = true;
      break;
    }
    if (c == '_') {
      ++i;
      break;
    }
    if (c == '%' || c == '$') break;
    const bool code = codes < kDefaultFormatCodes;
    if (const AlignCode* a = Align(c)) {
      if (code) s.alignment = static_cast<char>(ApplyAlign(static_cast<unsigned char>(s.alignment), *a));
      ++i;
    } else if (c == 'P') {
      if (code) s.pageBreakBefore = true;
      ++i;
    } else if (c == 'w' || c == 'h') {
      std::uint32_t v = 0;
      const std::size_t k = Number(p, n, i + 1, 0, kWidthDigitsMax, v);
      if (code && k > 0) {
        if (c == 'w') s.defaultColumnWidth = static_cast<int>(v);
        else s.defaultRowHeight = std::min<std::int32_t>(static_cast<std::int32_t>(v) + kRowHeightBase, kDefaultHeightMax);
      }
      i += 1 + k;
    } else if (IsNumberLetter(c)) {
      std::size_t used = 1;
      const unsigned char f = NumberCode(p, n, i, used);
      if (code) s.numberFormat = static_cast<char>(f);
      i += used;
    } else {
      ++i;
      continue;
    }
    ++codes;
  }
  if (stop) return false;
  // The '%' and '$' groups.
  while (i < n) {
    const unsigned char u = static_cast<unsigned char>(p[i]);
    if (u == ':' || u <= 0x20 || u >= 0x80 || u == '^') break;
    if (u == '%') {
      XlsxFormatRecord g;
      g.c[7] = static_cast<char>(s.fontFlags);
      bool family = false;
      i = FontGroup(p, n, i, true, g, &family);
      fontGroup = true;
      if (!Unset(g.c[5])) s.fontColour = g.c[5];
      if (!Unset(g.c[6])) s.fillColour = g.c[6];
      if (!Unset(g.c[8])) s.fontSizeDigit = g.c[8];
      s.fontFlags = static_cast<unsigned char>(g.c[7]);
      if (family)
        for (const FamilyCode& f : kFamilies)
          if (f.bits == (s.fontFlags & kFamilyMask)) s.fontMode = f.mode;
    } else if (u == '$') {
      ++i;
      char view = 0;
      if (i < n && std::strchr("rsuv_", p[i]) != nullptr && p[i] != 0) view = p[i++];
      std::string ref;
      bool ok = false;
      i += CellRef(p, n, i, ref, ok);
      if (!ok) continue;
      if (view == 0) {
        s.activeCell = ref;
      } else {
        s.topLeftCell = ref;
        if (view == 'r' || view == 's') r1c1 = 1;
        if (view != '_') s.viewLetter = view == 's' ? 'u' : view;
      }
    } else {
      ++i;
    }
  }
  return fontGroup;
}

bool XlsxReadSettingsLine(const char* p, std::size_t n, bool formatRowPresent, XlsxSheetSettings& s,
                          std::uint32_t& r1c1) {
  std::size_t i = 0;
  if (n >= 2 && p[0] == '!' && p[1] == '#') i = 2;
  if (i + 2 > n || p[i] != 'X' || p[i + 1] != 'L') return false;
  i += 2;
  if (i >= n) return false;
  const char paper = p[i];
  if (paper == 'x') {
    s.paper = 'x';  // stays 'x' unless an item names a paper
    ++i;
    while (i < n && p[i] != '#' && !Ends(static_cast<unsigned char>(p[i]))) {
      const char c = p[i];
      const char c1 = i + 1 < n ? p[i + 1] : 0;
      const char c2 = i + 2 < n ? p[i + 2] : 0;
      // A and B with a size digit and the orientation.
      if ((c == 'A' || c == 'B') && c1 >= '3' && c1 <= '5' && (c2 == 'V' || c2 == 'H')) {
        int letter = c == 'A' ? 'a' : 'g';
        if (c1 == '3') letter += 2;
        if (c1 == '5') letter += 4;
        if (c2 == 'H') letter += 1;
        s.paper = static_cast<char>(letter);
        i += 3;
        continue;
      }
      bool named = false;
      for (const PaperName& pn : kPaperNames)
        if (c == pn.name[0] && c1 == pn.name[1] && (c2 == 'V' || c2 == 'H')) {
          s.paper = static_cast<char>(pn.base + (c2 == 'H' ? 1 : 0));
          named = true;
        }
      if (named) {
        i += 3;
        continue;
      }
      if (std::strchr("%LRTBhv", c) != nullptr && IsDigit(c1)) {
        std::uint32_t v = 0;
        const std::size_t k = Number(p, n, i + 1, 3, 999, v);
        const int value = static_cast<int>(v);
        switch (c) {
          case '%': s.scale = value; break;
          case 'L': s.marginLeft = value * 4 / 10; break;
          case 'R': s.marginRight = value * 4 / 10; break;
          case 'T': s.marginTop = value * 4 / 10; break;
          case 'B': s.marginBottom = value * 4 / 10; break;
          case 'h': s.fitWidth = value; break;
          default: s.fitHeight = value; break;
        }
        i += 1 + k;
        continue;
      }
      i += exportcore::SjisPairLength(p, i, n);
    }
    if (i >= n || p[i] != '#') return false;
    ++i;
  } else if (paper >= 'a' && paper <= 'z') {
    s.paper = paper;
    ++i;
  }
  if (i < n && (p[i] == 'T' || p[i] == 'S' || p[i] == 'A')) s.sheetLetter = p[i++];
  if (i < n && p[i] == '_') ++i;
  if (i >= n || formatRowPresent) return false;
  const unsigned char u = static_cast<unsigned char>(p[i]);
  if (u == ':' || u <= 0x20 || u >= 0x80) return false;
  return XlsxReadDefaultFormat(p + i, n - i, s, r1c1);
}

char XlsxHeadTabColour(const char* p, std::size_t n) {
  for (std::size_t i = 0; i + 2 < n;) {
    const std::size_t k = exportcore::SjisPairLength(p, i, n);
    if (k == 1 && p[i] == '^' && p[i + 2] == '^' && static_cast<unsigned char>(p[i + 1]) > 0x20 &&
        static_cast<unsigned char>(p[i + 1]) < 0x80)
      return p[i + 1];
    i += k;
  }
  return 0;
}

}  // namespace xlsx

namespace xlsx {
namespace {

using textlines::Begins;
using textlines::IsSettingsLine;
using textlines::Line;
using textlines::LineAt;

// The start of the line before a line start `s` (s itself when none).
std::uint32_t PreviousLine(const char* t, std::uint32_t s) {
  if (s == 0) return 0;
  std::uint32_t p = s - 1;
  if (p > 0 && t[p] == '\n' && t[p - 1] == '\r') --p;
  while (p > 0 && t[p - 1] != '\n' && t[p - 1] != '\r') --p;
  return p;
}

bool LineStart(const char* t, std::uint32_t s) { return s == 0 || t[s - 1] == '\n' || t[s - 1] == '\r'; }

// Field `number` (from 1) of the line: [from, to).
bool FieldOf(const char* t, const Line& l, std::uint32_t number, std::uint32_t& from, std::uint32_t& to) {
  std::uint32_t col = 1;
  std::uint32_t s = l.start;
  for (std::uint32_t i = l.start; i <= l.end; ++i) {
    if (i == l.end || t[i] == kSep) {
      if (col == number) {
        from = s;
        to = i;
        return true;
      }
      ++col;
      s = i + 1;
    }
  }
  return false;
}

bool Special(const char* t, const Line& l) {
  return Begins(t, l, "!") || Begins(t, l, "~") || IsSettingsLine(t, l) || Begins(t, l, "$$");
}

// The sheet's column records from 1 to `upTo` back to the format row's
// start, every width at the default width.
void ResetColumns(XlsxRun& run, std::uint32_t upTo) {
  const std::uint32_t last = std::min<std::uint32_t>(
      {upTo, static_cast<std::uint32_t>(kFormatRecords), static_cast<std::uint32_t>(run.XlsxColumnFormats.size() - 1)});
  for (std::uint32_t c = 1; c <= last; ++c) {
    XlsxFormatRecord& r = run.XlsxColumnFormats[c];
    r.Reset();
    r.c[3] = '1';
    if (c == 1) r.c[2] = '1';
  }
  const std::size_t widths = std::min<std::size_t>(run.XlsxColumnWidths.size(), kFormatRecords + 1);
  std::fill(run.XlsxColumnWidths.begin() + 1, run.XlsxColumnWidths.begin() + static_cast<std::ptrdiff_t>(widths),
            run.sheet.settings.defaultColumnWidth);
}

// The format row's fields into the column records; `afterMark`: only the
// bytes after a field's '^' are codes (the first line serving as the row).
void ReadFormatRow(const char* text, const Line& l, bool afterMark, std::uint32_t resetTo, XlsxRun& run) {
  std::uint32_t col = 1, s = l.start, last = 0;
  const std::uint32_t maxCol = std::min<std::uint32_t>(kFormatRecords, static_cast<std::uint32_t>(run.XlsxColumnFormats.size() - 1));
  for (std::uint32_t i = l.start; i <= l.end && col <= maxCol; ++i) {
    if (i != l.end && text[i] != kSep) continue;
    std::size_t from = s;
    if (afterMark) {
      const std::size_t k = XlsxCodeMark(text + s, i - s);
      from = k == kNoCodeMark ? i : s + k;
    }
    XlsxCodeExtras x;
    XlsxReadCodes(text + from, i - from, XlsxCodeTarget::kColumn, run.XlsxColumnFormats[col], x);
    if (x.width > 0) run.XlsxColumnWidths[col] = x.width;
    last = col;
    ++col;
    s = i + 1;
  }
  if (last == 0) return;
  if (run.XlsxColumnFormats[last].c[3] == '_') run.XlsxColumnFormats[last].c[3] = '1';
  const std::uint32_t through = std::min(std::max(last, resetTo), maxCol);
  for (std::uint32_t c = 1; c < through; ++c) {
    XlsxFormatRecord& r = run.XlsxColumnFormats[c];
    const char nextLeft = run.XlsxColumnFormats[c + 1].c[2];
    if (r.c[3] == '1' && (nextLeft == '1' || nextLeft == '2')) r.c[3] = '0';
  }
}

// The width row of sheet letter 'S'.
void ReadWidthRow(const char* text, const Line& l, XlsxRun& run) {
  XlsxSheetSettings& s = run.sheet.settings;
  std::vector<std::int32_t>& w = run.XlsxColumnWidths;
  const std::uint32_t maxCol = std::min<std::uint32_t>(kFormatRecords, static_cast<std::uint32_t>(w.size() - 1));
  std::uint32_t col = 1, fieldStart = l.start;
  bool fieldEnded = false;
  std::uint32_t fieldLen = 0;
  auto reach = [&](std::uint32_t c) {
    if (c == 1 || w[c] < 10000) w[c] = 2;
  };
  reach(1);
  for (std::uint32_t i = l.start; i <= l.end && col <= maxCol; ++i) {
    const bool sep = i == l.end || text[i] == kSep;
    if (i == fieldStart) {
      std::uint32_t v = 0;
      const std::size_t k = Number(text, l.end, i, 0, kWidthDigitsMax, v);
      if (k > 0 && w[col] < 10000) w[col] = static_cast<std::int32_t>(v) + kExplicitWidth;
      if (i < l.end && text[i] == 'A') s.sheetLetter = 's';
    }
    if (!fieldEnded && (sep || text[i] == '^' || static_cast<unsigned char>(text[i]) < 0x20)) {
      fieldEnded = true;
      fieldLen = i - fieldStart;
      if (w[col] == 2 && s.sheetLetter != 's') w[col] = 10000 + static_cast<std::int32_t>(fieldLen) + 2;
    }
    if (sep) {
      ++col;
      fieldStart = i + 1;
      fieldEnded = false;
      if (i < l.end && col <= maxCol) reach(col);
    }
  }
}

}  // namespace

void XlsxReadSheetCodes(const csv::TableFields& t, const char* text, std::uint32_t len, XlsxRun& run) {
  XlsxSheetModel& m = run.sheet;
  XlsxSheetSettings& s = m.settings;
  const XlsxSheetBounds& b = m.bounds;
  const bool bang = m.formatRow != 0;
  const std::uint32_t title = b.titleRow;
  const std::uint32_t firstRow = m.firstRowNumber;
  const std::uint32_t count = b.columnCount;
  const std::uint32_t number = m.number;
  const std::uint32_t endRow = m.dataEndRow && m.dataEndRow < b.endRow ? m.dataEndRow : b.endRow;

  // Settings lines and the tab colour, from the head line before the sheet's
  // text down to the title row.
  bool fontGroup = false;
  if (m.readStart > 0 && m.readStart <= len && LineStart(text, m.readStart)) {
    const Line head = LineAt(text, len, PreviousLine(text, m.readStart));
    if (Begins(text, head, "!*")) {
      const char tab = XlsxHeadTabColour(text + head.start, head.end - head.start);
      if (tab) s.tabColour = tab;
    } else if (Begins(text, head, "!#XL")) {
      fontGroup |= XlsxReadSettingsLine(text + head.start, head.end - head.start, bang, s, run.XlsxR1C1Flag);
    }
  }
  std::uint32_t settingsLine = 0;
  bool anySettings = false;
  {
    std::uint32_t row = firstRow;
    for (std::uint32_t at = m.readStart; at < len && at < b.endOffset && text[at] != '\0' && row <= title;) {
      const Line l = LineAt(text, len, at);
      if (Begins(text, l, "!^")) {
        at = l.next > at ? l.next : len;
        continue;
      }
      if (IsSettingsLine(text, l)) {
        fontGroup |= XlsxReadSettingsLine(text + l.start, l.end - l.start, bang, s, run.XlsxR1C1Flag);
        if (!anySettings) settingsLine = l.start;
        anySettings = true;
      } else if (Begins(text, l, "!*")) {
        const char tab = XlsxHeadTabColour(text + l.start, l.end - l.start);
        if (tab) s.tabColour = tab;
      }
      ++row;
      at = l.next > at ? l.next : len;
    }
  }
  // The default cell format from the format row's field after the last column.
  if (bang) {
    const Line fl = LineAt(text, len, m.formatRow);
    std::uint32_t from = 0, to = 0;
    if (count > 0 && FieldOf(text, fl, count, from, to)) {
      if (from < to && text[from] == '^') ++from;
      fontGroup |= XlsxReadDefaultFormat(text + from, to - from, s, run.XlsxR1C1Flag);
    }
  }
  if (fontGroup && (s.fontFlags & kFamilyMask) == 0) s.fontFlags |= kDefaultFamily;

  // The format row, or the title row serving as it.
  const std::uint32_t resetTo = bang ? (count > 0 ? count - 1 : 0) : count + 90;
  ResetColumns(run, resetTo);
  Line formatLine;
  bool haveFormatLine = false;
  if (bang) {
    formatLine = LineAt(text, len, m.formatRow);
    haveFormatLine = true;
  }
  Line titleLine;
  bool haveTitle = false;
  {
    std::uint32_t row = firstRow;
    for (std::uint32_t at = m.readStart; at < len && at < b.endOffset && text[at] != '\0' && row <= title;) {
      const Line l = LineAt(text, len, at);
      if (Begins(text, l, "!^")) {
        at = l.next > at ? l.next : len;
        continue;
      }
      if (row == title) {
        titleLine = l;
        haveTitle = true;
      }
      ++row;
      at = l.next > at ? l.next : len;
    }
  }
  if (!bang && haveTitle && !Special(text, titleLine)) {
    formatLine = titleLine;
    haveFormatLine = true;
  }
  if (haveFormatLine) ReadFormatRow(text, formatLine, !bang, resetTo, run);
  if (s.sheetLetter == 'S' && haveFormatLine) ReadWidthRow(text, LineAt(text, len, formatLine.next), run);

  // Title codes: from the settings line's '^', else the head line's first '^'.
  std::uint32_t titleFrom = 0, titleTo = 0;
  if (!bang && title > 0) {
    if (anySettings) {
      const Line l = LineAt(text, len, settingsLine);
      const std::size_t k = XlsxCodeMark(text + l.start, l.end - l.start);
      if (k != kNoCodeMark) {
        titleFrom = l.start + static_cast<std::uint32_t>(k);
        titleTo = l.end;
      }
    }
    const std::uint32_t titleOffset = number < csv::MAX_CSV_BLOCKS ? std::min(t.m_aSecOffset[number], len) : 0;
    if (titleTo == 0 && titleOffset > 0 && LineStart(text, titleOffset)) {
      const Line head = LineAt(text, len, PreviousLine(text, titleOffset));
      if (Begins(text, head, "!#") || Begins(text, head, "!*")) {
        const std::size_t k = XlsxCodeMark(text + head.start, head.end - head.start);
        if (k != kNoCodeMark) {
          titleFrom = head.start + static_cast<std::uint32_t>(k);
          titleTo = head.end;
        }
      }
    }
  }

  // Row codes, row by row, until 1000 row records are in use.
  const bool shifted = s.sheetLetter == 'S' || s.sheetLetter == 's';
  std::uint32_t row = firstRow;
  for (std::uint32_t at = m.readStart; at < len && at < b.endOffset && text[at] != '\0' && row < endRow &&
                                       run.XlsxRowFormats.size() < static_cast<std::size_t>(kFormatRecords);) {
    const Line l = LineAt(text, len, at);
    if (Begins(text, l, "!^")) {
      at = l.next > at ? l.next : len;
      continue;
    }
    std::uint32_t from = 0, to = 0;
    bool codes = false;
    if (row == title && !bang) {
      if (titleTo > titleFrom) {
        from = titleFrom;
        to = titleTo;
        codes = true;
      }
    } else if (!Special(text, l)) {
      if (bang) {
        codes = count > 0 && FieldOf(text, l, count, from, to);
        if (codes && from < to && text[from] == '^') ++from;
      } else {
        std::uint32_t f1 = 0, f2 = 0;
        FieldOf(text, l, 1, f1, f2);
        const std::size_t k = XlsxCodeMark(text + f1, f2 - f1);
        if (k != kNoCodeMark) {
          from = f1 + static_cast<std::uint32_t>(k);
          to = f2;
          codes = true;
        }
      }
    }
    if (codes && to > from) {
      XlsxFormatRecord& r = XlsxRowRecord(run, row);
      XlsxCodeExtras x;
      x.belowTitle = row > title;
      x.columnCount = count;
      XlsxReadCodes(text + from, to - from, XlsxCodeTarget::kRow, r, x);
      if (row == title) {
        // The title row's defaults fill what its codes leave unset.
        if (Unset(r.c[10])) r.c[10] = '2';
        if (Unset(r.c[11])) r.c[11] = '2';
        if (r.c[0] == '@') r.c[0] = 'p';
        if (Unset(r.c[1])) r.c[1] = 's';
        if (static_cast<unsigned char>(r.c[7]) == 0x40) r.c[7] = static_cast<char>(s.fontFlags & kFamilyMask);
      }
      if (x.filter && number < static_cast<std::uint32_t>(kSheetSlots) && run.XlsxFilterRow[number] == 0) {
        std::uint32_t written = row >= firstRow ? row - firstRow + 1 : 1;
        if (shifted && row > title && written > 1) --written;
        run.XlsxFilterColumns[number] = x.filterCode;
        run.XlsxFilterRow[number] = written;
      }
    }
    ++row;
    at = l.next > at ? l.next : len;
  }
}

}  // namespace xlsx
