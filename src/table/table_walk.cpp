// The table walk: block settings, codes, widths and tab stops.
#include "table/table_walk.h"

#include <algorithm>

#include "core/docsvc/sjis_state.h"

namespace table {

const WalkLimits kWalk = {
    1000,   // columns
    900,    // lineCells
    500,    // blanks
    2000,   // widthChars
    3000,   // cellBytes
    30,     // tabColumns
    400,    // maxFontSize
    20000,  // maxRowHeight
};

namespace {

// Colour letters: index by letter - 0x40 (64 entries), 0 = no colour.
struct ColourLetters {
  std::uint8_t map[64];
  constexpr ColourLetters() : map() {
    const char upper[] = "RGBYTVAISOWD";
    const char lower[] = "rgbytvaisowd";
    for (int i = 0; i < 12; ++i) {
      map[upper[i] - 0x40] = static_cast<std::uint8_t>(2 + i);
      map[lower[i] - 0x40] = static_cast<std::uint8_t>(14 + i);
    }
    map['C' - 0x40] = 26;
    map['c' - 0x40] = 26;
  }
};
constexpr ColourLetters kColourLetters;

bool IsDigit(std::uint8_t c) { return c >= '0' && c <= '9'; }
bool IsUpper(std::uint8_t c) { return c >= 'A' && c <= 'Z'; }
bool IsLower(std::uint8_t c) { return c >= 'a' && c <= 'z'; }
bool IsAlnum(std::uint8_t c) { return IsDigit(c) || IsUpper(c) || IsLower(c); }

// Paper items of the directive: two letters and their portrait paper letter.
struct PaperName {
  char a, b, letter;
};
constexpr PaperName kPaperNames[] = {
    {'L', 'T', 'm'}, {'L', 'G', 'o'}, {'T', 'B', 'q'}, {'E', 'X', 's'}, {'P', 'C', 'u'},
};
// 'A'/'B' with '3'-'5': portrait paper letter (0 = none).
char IsoPaper(std::uint8_t series, std::uint8_t size) {
  if (series == 'A') return size == '4' ? 'a' : size == '3' ? 'c' : size == '5' ? 'e' : 0;
  if (series == 'B') return size == '4' ? 'g' : size == '3' ? 'i' : size == '5' ? 'k' : 0;
  return 0;
}

void SetAttrs(FormatCodes* f, std::uint8_t bits, CodeKind kind, bool cancel) {
  if (cancel && kind == kCellCodes) {
    f->attrs = static_cast<std::uint8_t>(f->attrs & ~bits);
  } else {
    f->attrs = static_cast<std::uint8_t>(f->attrs | bits);
  }
  f->attrMask = static_cast<std::uint8_t>(f->attrMask | bits);
}

// "%" and a run of letters and digits; returns the index after the run.
std::size_t ReadPercentRun(const std::uint8_t* t, std::size_t n, std::size_t i, CodeKind kind, FormatCodes* f) {
  std::size_t start = i;
  while (i < n && IsAlnum(t[i])) {
    std::size_t p = i - start;
    std::uint8_t c = t[i];
    if (IsDigit(c)) {
      int v = c - '0';
      ++i;
      if (i < n && IsDigit(t[i])) v = v * 10 + (t[i++] - '0');
      while (i < n && IsDigit(t[i])) ++i;
      f->fontSize = static_cast<std::uint8_t>(std::min(9 + 3 * v, 255));
      continue;
    }
    if (c == 'J') f->face = 1;
    else if (c == 'M') f->face = 2;
    else if (c == 'P') f->face = 3;
    else if (c == 'N') f->face = 4;
    else if (c == 'K') SetAttrs(f, 0x0F, kind, true);
    else if (c == 'x') SetAttrs(f, 0x80, kind, false);
    else if (IsUpper(c) && p < 2 && ColourIndex(c)) f->textColour = static_cast<std::uint8_t>(ColourIndex(c));
    else if (p >= 2 && c == 'B') SetAttrs(f, 0x01, kind, false);
    else if (p >= 2 && c == 'U') SetAttrs(f, 0x02, kind, false);
    else if (p >= 2 && c == 'I') SetAttrs(f, 0x04, kind, false);
    else if (p >= 2 && c == 'S') SetAttrs(f, 0x08, kind, false);
    else if (IsLower(c) && ColourIndex(c)) f->backColour = static_cast<std::uint8_t>(ColourIndex(c));
    ++i;
  }
  return i;
}

}  // namespace

int ReadDigitsSaturated(const std::uint8_t* text, std::size_t n, std::size_t* i, int cap) {
  std::size_t k = *i;
  if (k >= n || !IsDigit(text[k])) return -1;
  long long v = 0;
  while (k < n && IsDigit(text[k])) {
    if (v < cap) v = v * 10 + (text[k] - '0');
    ++k;
  }
  *i = k;
  return v > cap ? cap : static_cast<int>(v);
}

int ColourIndex(std::uint8_t letter) {
  if (letter < 0x40 || letter >= 0x80) return 0;
  return kColourLetters.map[letter - 0x40];
}

std::uint8_t MapLineStyle(std::uint8_t code) {
  switch (code) {
    case '0': return '0';
    case '1': case '3': return '1';
    case '2': case '4': case '5': return '2';
    case '9': return '0';
    case '_': return '9';
    default: return 0;
  }
}

bool ReadDirective(const std::uint8_t* b, const std::uint8_t* e, BlockSettings* s) {
  std::size_t n = static_cast<std::size_t>(e - b);
  if (n < 3 || b[0] != 'X' || b[1] != 'L' || !IsLower(b[2])) return false;
  *s = BlockSettings();
  s->directive = true;
  if (b[2] != 'x') {
    if (b[2] <= 'v') s->paper = b[2];
    if (n > 3 && b[3] == 'S') s->widthModeS = true;
    return true;
  }
  std::size_t i = 3;
  while (i < n) {
    std::uint8_t c = b[i];
    if (c == '#' || c <= 0x20 || c >= 0x80) break;
    // Paper items: "A4V", "B5H", ... and "LTV", "PCH", ...
    if (i + 2 < n && (b[i + 2] == 'V' || b[i + 2] == 'H')) {
      char letter = IsoPaper(c, b[i + 1]);
      for (const PaperName& p : kPaperNames) {
        if (p.a == c && p.b == b[i + 1]) letter = p.letter;
      }
      if (letter) {
        s->paper = static_cast<std::uint8_t>(letter + (b[i + 2] == 'H' ? 1 : 0));
        i += 3;
        continue;
      }
    }
    if (c == 'S') { s->widthModeS = true; ++i; continue; }
    if (c == '~') { s->titleMark = true; ++i; continue; }
    if (c == '%' || c == 'T' || c == 'B' || c == 'L' || c == 'R' || c == 'h' || c == 'v' || c == 'F' || c == 'W') {
      std::size_t k = i + 1;
      bool neg = k < n && b[k] == '-';
      if (neg) ++k;
      // One to three digits.
      int v = 0, digits = 0;
      while (k < n && digits < 3 && IsDigit(b[k])) { v = v * 10 + (b[k] - '0'); ++k; ++digits; }
      if (!digits) { ++i; continue; }
      if (neg) v = -v;
      switch (c) {
        case '%': s->scale = v; break;
        case 'T': s->margin[0] = v * 100; break;
        case 'B': s->margin[1] = v * 100; break;
        case 'L': s->margin[2] = v * 100; break;
        case 'R': s->margin[3] = v * 100; break;
        case 'h': s->lineHeight = v > 0 ? std::min(2 * v, kWalk.maxFontSize) : 0; break;
        case 'F': s->fontSize = v > 0 ? std::min(v, kWalk.maxFontSize) : 0; break;
        case 'W': s->defaultWidth = (v >= 1 && v <= 99) ? v : 0; break;
        default: break;  // 'v' is read and does nothing
      }
      i = k;
      continue;
    }
    ++i;
  }
  return true;
}

void ReadCodes(const std::uint8_t* b, const std::uint8_t* e, CodeKind kind, FormatCodes* f) {
  std::size_t n = static_cast<std::size_t>(e - b);
  std::size_t i = 0;
  int lineSlot = 0;
  while (i < n) {
    std::uint8_t c = b[i];
    if (c == '^' || c < 0x20) break;
    if (c == '<' || c == '>') {
      if (kind == kRowCodes) (c == '<' ? f->rangeStart : f->rangeEnd) = true;
      ++i;
      continue;
    }
    if (c == 'f') {
      f->numFormat = 'f';
      f->numDigits = 2;
      if (i + 1 < n && b[i + 1] >= '1' && b[i + 1] <= '9') {
        f->numDigits = static_cast<std::uint8_t>(b[i + 1] - '0');
        ++i;
      }
      ++i;
      continue;
    }
    if (IsDigit(c) || c == '_') {
      std::size_t k = i;
      while (k < n && (IsDigit(b[k]) || b[k] == '_')) ++k;
      bool allDigits = true;
      for (std::size_t j = i; j < k; ++j) allDigits = allDigits && IsDigit(b[j]);
      if (k - i >= 3 && allDigits) {
        for (int j = 0; j < 3; ++j) f->span[j] = static_cast<std::uint8_t>(b[i + j] - '0');
      } else {
        for (std::size_t j = i; j < k; ++j) {
          std::uint8_t m = MapLineStyle(b[j]);
          if (!m) continue;
          f->hasLineCodes = true;
          if (lineSlot < 2) f->line[lineSlot++] = m;
        }
      }
      i = k;
      continue;
    }
    ++i;
    switch (c) {
      case '#':
        for (int j = 0; j < 2 && i < n && b[i] >= 0x20 && b[i] != '^'; ++j, ++i) {
          f->lineColour[j] = static_cast<std::uint8_t>(ColourIndex(b[i]));
        }
        break;
      case 'L': case 'C': case 'R': case 'V': f->align = c; break;
      case 'T': case 'M': case 'B': f->valign = c; break;
      case 'c': case 'i': case 'g': case 's': case 'm': case 'd': case 'v': f->numFormat = c; break;
      case 'w': {
        int v = ReadDigitsSaturated(b, n, &i, kWalk.widthChars);
        if (v > 0 && kind == kColumnCodes) f->width = v;
        break;
      }
      case '%': i = ReadPercentRun(b, n, i, kind, f); break;
      case 'Z': case 'z':
        if (kind == kRowCodes) ReadDigitsSaturated(b, n, &i, 1 << 30);
        else f->ruleFlag = 1;
        break;
      case 'x': f->attrs |= 0x80; f->attrMask |= 0x80; break;
      case 'h':
        if (kind == kRowCodes) {
          int v = ReadDigitsSaturated(b, n, &i, kWalk.maxRowHeight / 2);
          if (v >= 0) f->height = 2 * v;
        }
        break;
      case 'D': if (kind == kRowCodes) f->height = 5; break;
      case 'E': if (kind == kRowCodes) f->height = 0; break;
      case 'F': if (kind == kRowCodes) ReadDigitsSaturated(b, n, &i, 1 << 30); break;
      case 'P':
        if (kind == kRowCodes) {
          f->mark = 1;
        } else if (kind == kCellCodes) {
          int v = ReadDigitsSaturated(b, n, &i, kWalk.maxRowHeight / 2);
          if (v >= 0) f->height = 2 * v;
        }
        break;
      case 'p': if (kind == kRowCodes) f->mark = 2; break;
      case 'q':
        if (kind == kRowCodes) {
          int v = ReadDigitsSaturated(b, n, &i, kWalk.columns);
          f->ruleSpan = v < 0 ? 0 : v;
        }
        break;
      default: break;
    }
  }
}

CellSplit SplitCell(const std::uint8_t* b, const std::uint8_t* e) {
  CellSplit s;
  s.codesBegin = s.codesEnd = b;
  s.textBegin = b;
  s.textEnd = e;
  if (b < e && *b == '^') {
    s.caret = true;
    const std::uint8_t* p = b + 1;
    while (p < e && *p != '^' && *p >= 0x20) ++p;
    s.codesBegin = b + 1;
    s.codesEnd = p;
    s.textBegin = (p < e && *p == '^') ? p + 1 : p;
  }
  return s;
}

void SplitRow(const std::uint8_t* b, const std::uint8_t* e, std::vector<CellSplit>* cells) {
  cells->clear();
  const std::uint8_t* s = b;
  for (const std::uint8_t* p = b;; ++p) {
    if (p == e || *p == csv::CSV_FIELD_SEP) {
      cells->push_back(SplitCell(s, p));
      if (p == e) break;
      s = p + 1;
    }
  }
}

RowKind ClassifyRow(const RowText& row, bool firstOfBlock) {
  const std::uint8_t* b = row.begin;
  std::size_t n = static_cast<std::size_t>(row.end - row.begin);
  if (n && b[0] == '!') return kRowBang;
  if (firstOfBlock && n >= 3 && b[0] == 'X' && b[1] == 'L' && IsLower(b[2])) return kRowDirective;
  if (n && (b[0] == '$' || b[0] == '~')) return kRowPlain;
  if (n >= 3 && IsDigit(b[2])) {
    static const char kObjects[][3] = {"Im", "Re", "Li", "TH", "TV"};
    for (const auto& o : kObjects) {
      if (b[0] == o[0] && b[1] == o[1]) return kRowObject;
    }
  }
  bool controlOnly = true;
  for (std::size_t i = 0; i < n && controlOnly; ++i) controlOnly = b[i] < 0x20;
  return controlOnly ? kRowPlain : kRowData;
}

std::int64_t MeasureCell(const std::uint8_t* b, const std::uint8_t* e, int U) {
  std::int64_t count = 0;
  int state = 0;
  for (const std::uint8_t* p = b; p < e; ++p) {
    bool trail = state != 0;
    IsSjisLeadByteState80(*p, &state);
    if (*p == '"' && !trail) continue;
    ++count;
  }
  return count * U;
}

void LayoutBlock(const std::vector<RowText>& rows, int rowArg, BlockLayout* out) {
  BlockLayout& L = *out;
  L.settings = BlockSettings();
  L.formatRow = L.ltRow = L.gtRow = L.widthRow = L.firstTableRow = -1;
  L.kinds.assign(rows.size(), kRowData);
  L.columns = 0;
  // Directive: the first row of the block that is no '!' line.
  bool seenFirst = false;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    RowKind k = ClassifyRow(rows[r], !seenFirst);
    if (k != kRowBang && !seenFirst) {
      seenFirst = true;
      if (k == kRowDirective) ReadDirective(rows[r].begin, rows[r].end, &L.settings);
    }
    L.kinds[r] = static_cast<std::uint8_t>(k);
    if (k != kRowBang && k != kRowDirective && L.firstTableRow < 0) L.firstTableRow = rows[r].number;
  }
  int F = L.settings.fontSize;
  if (!F) F = rowArg > 0 ? rowArg / 5 : 21;
  F = std::max(2, std::min(F, kWalk.maxFontSize));
  L.F = F;
  L.H = L.settings.lineHeight ? L.settings.lineHeight : F;
  L.U = 5 * F + 10;
  const int U = L.U;
  L.defaultW = U * (L.settings.defaultWidth ? L.settings.defaultWidth : 1);

  std::vector<CellSplit> cells;
  std::int64_t anyCaret = -1;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    if (L.kinds[r] != kRowData && L.kinds[r] != kRowPlain) continue;
    SplitRow(rows[r].begin, rows[r].end, &cells);
    L.columns = std::max(L.columns, static_cast<int>(std::min<std::size_t>(cells.size(), 1u << 30)));
    if (L.kinds[r] != kRowData) continue;
    if (cells[0].caret) {
      FormatCodes rc;
      ReadCodes(cells[0].codesBegin, cells[0].codesEnd, kRowCodes, &rc);
      if (rc.rangeStart && L.ltRow < 0) L.ltRow = rows[r].number;
      if (rc.rangeEnd && L.gtRow < 0 && static_cast<std::int64_t>(rows[r].number) > L.ltRow) L.gtRow = rows[r].number;
      if (L.formatRow < 0 && cells[0].codesEnd > cells[0].codesBegin && cells[0].codesBegin[0] == '<') {
        L.formatRow = static_cast<std::int64_t>(r);
      }
    }
    if (anyCaret < 0) {
      for (const CellSplit& c : cells) {
        if (c.caret) { anyCaret = static_cast<std::int64_t>(r); break; }
      }
    }
  }
  if (L.formatRow < 0) L.formatRow = anyCaret;
  // The tables: one entry per column, at most kWalk.columns.
  const std::size_t tableColumns = static_cast<std::size_t>(std::min(L.columns, kWalk.columns));
  L.W.assign(tableColumns, L.defaultW);
  L.fmt.assign(tableColumns, FormatCodes());
  // Column codes of the format row (stored as an index into rows until here).
  if (L.formatRow >= 0) {
    std::size_t r = static_cast<std::size_t>(L.formatRow);
    SplitRow(rows[r].begin, rows[r].end, &cells);
    int limit = static_cast<int>(tableColumns);
    for (int c = 0; c < limit && c < static_cast<int>(cells.size()); ++c) {
      const CellSplit& s = cells[static_cast<std::size_t>(c)];
      if (!s.caret) continue;
      ReadCodes(s.codesBegin, s.codesEnd, kColumnCodes, &L.fmt[static_cast<std::size_t>(c)]);
      int w = L.fmt[static_cast<std::size_t>(c)].width;
      if (w > 0) L.W[static_cast<std::size_t>(c)] = std::max(L.W[static_cast<std::size_t>(c)], U * w);
    }
    L.formatRow = rows[r].number;
  }
  // The width row of mode "S".
  if (L.settings.widthModeS && L.ltRow >= 0) {
    L.widthRow = L.ltRow;
    std::size_t r = static_cast<std::size_t>(L.ltRow - rows.front().number);
    L.kinds[r] = kRowWidth;
    SplitRow(rows[r].begin, rows[r].end, &cells);
    for (std::size_t c = 0; c < cells.size() && c < tableColumns; ++c) {
      const CellSplit& s = cells[c];
      std::size_t len = static_cast<std::size_t>(s.textEnd - s.textBegin);
      if (len == 1 && s.textBegin[0] == 'A') continue;
      std::size_t i = 0;
      int v = ReadDigitsSaturated(s.textBegin, len, &i, kWalk.widthChars);
      if (v < 0 || i != len) v = static_cast<int>(std::min<std::size_t>(len, static_cast<std::size_t>(kWalk.widthChars)));
      if (v > 0) L.W[c] = std::max(L.W[c], U * v);
    }
  }
  // Content widths: widths only grow.
  for (std::size_t r = 0; r < rows.size(); ++r) {
    if (L.kinds[r] != kRowData) continue;
    SplitRow(rows[r].begin, rows[r].end, &cells);
    std::size_t empty = 0;
    for (const CellSplit& s : cells) empty += s.textBegin == s.textEnd;
    std::size_t filled = cells.size() - empty;
    if (!(empty < cells.size() / 2 + 3 || filled > 3)) continue;
    for (std::size_t c = 0; c < cells.size() && c < tableColumns; ++c) {
      const std::uint8_t* e = cells[c].textEnd;
      if (e - cells[c].textBegin > kWalk.cellBytes) e = cells[c].textBegin + kWalk.cellBytes;
      std::int64_t m = MeasureCell(cells[c].textBegin, e, U);
      if (cells.size() == 1 && m > 10000) m = 50;
      if (m > L.W[c]) L.W[c] = static_cast<int>(m);
    }
  }
}

CellFormat EffectiveFormat(const BlockLayout& block, const FormatCodes& row, int column, const FormatCodes* cell) {
  CellFormat f;
  const FormatCodes* col = block.Format(column);
  const FormatCodes* prev = block.Format(column - 1);
  const FormatCodes* layers[3] = {col, &row, cell};
  std::uint8_t attrs = 0;
  for (const FormatCodes* l : layers) {
    if (!l) continue;
    if (l->align) f.align = l->align;
    if (l->valign) f.valign = l->valign;
    if (l->numFormat) { f.numFormat = l->numFormat; f.numDigits = l->numFormat == 'f' ? l->numDigits : 2; }
    if (l->textColour) f.textColour = l->textColour;
    if (l->backColour) f.backColour = l->backColour;
    if (l->face) f.face = l->face;
    if (l->fontSize) f.fontSize = l->fontSize;
    attrs = static_cast<std::uint8_t>((attrs & ~l->attrMask) | (l->attrs & l->attrMask));
  }
  f.bold = attrs & 1;
  f.underline = attrs & 2;
  f.italic = attrs & 4;
  f.strike = attrs & 8;
  if (f.textColour == 26 && f.backColour) f.textColour = f.backColour;
  // The left line: the cell's own (within the per-cell line tables), the
  // column's left line, the previous column's right line, else a plain line.
  bool cellLines = cell && column < kWalk.lineCells && cell->line[0];
  if (cellLines) {
    f.leftLine = cell->line[0];
    f.leftColour = cell->lineColour[0];
    f.ownLineCodes = true;
  } else if (col && col->line[0]) {
    f.leftLine = col->line[0];
    f.leftColour = col->lineColour[0];
  } else if (prev && prev->line[1]) {
    f.leftLine = prev->line[1];
    f.leftColour = prev->lineColour[1] ? prev->lineColour[1] : prev->lineColour[0];
  } else {
    f.leftLine = '1';
    if (col) f.leftColour = col->lineColour[0];
  }
  if (cell && column < kWalk.lineCells && cell->hasLineCodes) f.ownLineCodes = true;
  return f;
}

std::vector<std::int64_t> TabStops(const BlockLayout& block, int cmd) {
  std::vector<std::int64_t> stops;
  stops.push_back(0);
  std::int64_t x = 0;
  if (cmd == 'D' || cmd == 'T') { x = 200; stops.push_back(x); }
  if (cmd == 'd') { x = 20; stops.push_back(x); }
  for (int c = 0; c < block.columns; ++c) {
    int w = block.Width(c);
    x += block.U + w + 30;
    stops.push_back(x);
    if (static_cast<int>(stops.size()) > kWalk.tabColumns + 2 + 1) break;  // only the first ones are ever used
  }
  return stops;
}

}  // namespace table
