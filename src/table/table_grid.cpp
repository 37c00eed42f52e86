// The rich-text grid table of selected lines.
#include "table/table_grid.h"

#include <algorithm>

#include "fw/sjis.h"

namespace table {

namespace {

// The font table: face 0 "ＭＳ ゴシック" in CP932 bytes, face 1 Courier New
// (the cell ends).
const char kGridHeader[] =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fmodern\\fcharset128 "
    "\\'82\\'6c\\'82\\'72 \\'83\\'53\\'83\\'56\\'83\\'62\\'83\\'4e;}"
    "{\\f1\\fmodern\\fcharset0 Courier New;}}";

// Row gaps: text rows take the wide gap at the left margin, ruled rows the
// small one so their underline runs from edge to edge.
const char kTextRowGap[] = "\\trgaph-20\\trleft";
const char kRuleRowGap[] = "\\trgaph-5";

bool IsSeparator(unsigned char c) { return c == '\t' || c == '|'; }

void AppendHex(std::string* out, unsigned char b) {
  static const char kHex[] = "0123456789abcdef";
  *out += "\\'";
  *out += kHex[b >> 4];
  *out += kHex[b & 15];
}

// Cell text as rich text: both bytes of a double-byte character, bytes at
// or above 0x80 and control bytes as "\'xx"; "\", "{" and "}" escaped (an
// unescaped brace would open or close a group and take the rest of the
// document with it).
void AppendCellText(std::string* out, std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char b = static_cast<unsigned char>(text[i]);
    if (fw::IsSjisLeadByte(b) && i + 1 < text.size()) {
      AppendHex(out, b);
      AppendHex(out, static_cast<unsigned char>(text[++i]));
    } else if (b >= 0x80 || b < 0x20 || b == 0x7F) {
      AppendHex(out, b);
    } else if (b == '\\' || b == '{' || b == '}') {
      *out += '\\';
      *out += static_cast<char>(b);
    } else {
      *out += static_cast<char>(b);
    }
  }
}

void AppendNumber(std::string* out, const char* word, long long v) {
  *out += word;
  *out += std::to_string(v);
}

// Byte offsets of the separators of a line.
std::vector<std::size_t> SeparatorBytes(std::string_view line) {
  std::vector<std::size_t> at;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const unsigned char b = static_cast<unsigned char>(line[i]);
    if (fw::IsSjisLeadByte(b) && i + 1 < line.size()) {
      ++i;
      continue;
    }
    if (IsSeparator(b)) at.push_back(i);
  }
  return at;
}

// The cell edges of a line in twips, rising by at least the narrowest cell.
std::vector<int> LineEdges(const GridLine& line, std::string_view text) {
  const std::vector<std::uint32_t> seps = GridSeparatorChars(text);
  std::vector<int> pixels = line.edgePixels;
  if (pixels.size() != seps.size() + 1) {
    pixels.clear();
    for (std::uint32_t c : seps) pixels.push_back(static_cast<int>(std::min<std::uint32_t>(c, kGridMaxPixel / 8) * 8));
    pixels.push_back(static_cast<int>(std::min<std::uint32_t>(GridCharCount(text), kGridMaxPixel / 8) * 8));
  }
  std::vector<int> edges;
  int last = 0;
  for (int px : pixels) {
    int x = GridCellX(px);
    if (x < last + kGridMinCellTwips) x = last + kGridMinCellTwips;
    edges.push_back(x);
    last = x;
  }
  return edges;
}

}  // namespace

int GridMarkKind(unsigned char c) {
  switch (c) {
    case '~': return 1;
    case '-': return 2;
    case '=': return 3;
    case ':': return 4;
    case ';': return 5;
    case '!': return 6;
    case '^': return 7;
    case '+': return 8;
    default: return kGridMarkNone;
  }
}

const char* GridUnderlineWord(int kind) {
  switch (kind) {
    case 2: return "\\ul";
    case 3: return "\\ulth";
    case 4: return "\\uld";
    case 5: return "\\uldash";
    case 6: return "\\uldashd";
    case 7: return "\\ulwave";
    case 8: return "\\ul";
    default: return "";
  }
}

int GridLineMark(std::string_view line) {
  if (line.empty()) return kGridMarkNone;
  const unsigned char first = static_cast<unsigned char>(line[0]);
  if (IsSeparator(first)) return line.size() > 1 ? GridMarkKind(static_cast<unsigned char>(line[1])) : kGridMarkNone;
  const int kind = GridMarkKind(first);
  if (kind == kGridMarkNone) return kGridMarkNone;
  const std::vector<std::size_t> seps = SeparatorBytes(line);
  if (seps.empty() || seps[0] + 1 >= line.size()) return kind;
  return GridMarkKind(static_cast<unsigned char>(line[seps[0] + 1])) != kGridMarkNone ? kind : kGridMarkNone;
}

std::vector<std::uint32_t> GridSeparatorChars(std::string_view line) {
  std::vector<std::uint32_t> at;
  std::uint32_t chars = 0;
  for (std::size_t i = 0; i < line.size(); ++i, ++chars) {
    const unsigned char b = static_cast<unsigned char>(line[i]);
    if (fw::IsSjisLeadByte(b) && i + 1 < line.size()) {
      ++i;
      continue;
    }
    if (IsSeparator(b)) at.push_back(chars);
  }
  return at;
}

std::uint32_t GridCharCount(std::string_view line) {
  std::uint32_t chars = 0;
  for (std::size_t i = 0; i < line.size(); ++i, ++chars) {
    if (fw::IsSjisLeadByte(static_cast<unsigned char>(line[i])) && i + 1 < line.size()) ++i;
  }
  return chars;
}

std::vector<std::string> GridCells(std::string_view line) {
  std::vector<std::string> cells;
  std::size_t from = 0;
  for (std::size_t at : SeparatorBytes(line)) {
    cells.emplace_back(line.substr(from, at - from));
    from = at + 1;
  }
  cells.emplace_back(line.substr(from));
  return cells;
}

int GridCellX(int pixel) { return 15 * std::clamp(pixel, 0, kGridMaxPixel) + 150; }

GridLine GridLineFromText(std::string_view text, int charPixels, int spacingTwips) {
  GridLine g;
  g.text.assign(text.substr(0, std::min(text.size(), kGridLineLimit)));
  for (std::uint32_t c : GridSeparatorChars(g.text)) g.edgePixels.push_back(static_cast<int>(c) * charPixels);
  g.edgePixels.push_back(static_cast<int>(GridCharCount(g.text)) * charPixels);
  g.spacingTwips = spacingTwips;
  return g;
}

std::string WriteGridTable(const std::vector<GridLine>& lines, int fontHalfPoints, std::vector<GridRowShape>* shapes) {
  const int size = fontHalfPoints >= 2 && fontHalfPoints <= 3276 ? fontHalfPoints : 24;
  // A text row is as high as its paragraph was (an exact spacing of 40
  // twips or more), else as the ruled display's rows: 10 twips a half-point
  // and 30 for the gap.
  const int textRowTwips = 10 * size + 30;
  // Width of one half-width blank in twips (half the character height).
  const int blankTwips = std::max(1, size * 5);

  const std::size_t n = lines.size();
  std::vector<std::string_view> texts(n);
  std::vector<int> marks(n);
  std::vector<std::vector<int>> edges(n);
  for (std::size_t i = 0; i < n; ++i) {
    std::string_view t(lines[i].text);
    texts[i] = t.substr(0, std::min(t.size(), kGridLineLimit));
    marks[i] = GridLineMark(texts[i]);
    edges[i] = LineEdges(lines[i], texts[i]);
  }

  if (shapes) shapes->clear();
  std::string out = kGridHeader;
  AppendNumber(&out, "\\fs", size);
  out += '\n';
  for (std::size_t i = 0; i < n; ++i) {
    const bool rule = marks[i] != kGridMarkNone;
    // A ruled row runs under the columns of the text row before it (else
    // after it), so its underline meets the cell edges of its neighbours.
    const std::vector<int>* cellEdges = &edges[i];
    if (rule) {
      bool found = false;
      for (std::size_t k = i; k-- > 0 && !found;) {
        if (marks[k] == kGridMarkNone) cellEdges = &edges[k], found = true;
      }
      for (std::size_t k = i + 1; k < n && !found; ++k) {
        if (marks[k] == kGridMarkNone) cellEdges = &edges[k], found = true;
      }
    }
    out += "\\trowd";
    out += rule ? kRuleRowGap : kTextRowGap;
    for (int x : *cellEdges) AppendNumber(&out, "\\cellx", x);
    int height = kGridRuleTwips;
    if (!rule) height = lines[i].spacingTwips >= 40 ? lines[i].spacingTwips : textRowTwips;
    if (shapes) shapes->push_back(GridRowShape{static_cast<int>(cellEdges->size()), height});
    AppendNumber(&out, "\\pard\\intbl\\sl-", height);
    out += "\\slmult0";
    if (rule) {
      // Each cell a run of underlined blanks, raised so the underline stays
      // inside the 20-twip row (the thick line one half-point further).
      const char* word = GridUnderlineWord(marks[i]);
      int left = 0;
      for (int x : *cellEdges) {
        out += "\\f0";
        if (*word) {
          AppendNumber(&out, "\\fs", size);
          out += marks[i] == 3 ? "\\up3" : "\\up2";
          out += word;
          out += ' ';
          const int blanks = std::clamp((x - left) / blankTwips, 1, 500);
          out.append(static_cast<std::size_t>(blanks), ' ');
          out += "\\ulnone\\up0";
        }
        left = x;
        out += "\\f1 \\cell";
      }
    } else {
      // An unmarked first or last line is underlined as if marked '-': the
      // table gets its top and bottom lines.
      const bool assumed = i == 0 || i + 1 == n;
      const std::vector<std::string> cells = GridCells(texts[i]);
      for (const std::string& cell : cells) {
        out += "\\f0 ";
        if (assumed) out += "\\ul ";
        AppendCellText(&out, cell);
        if (assumed) out += "\\ulnone";
        out += "\\f1 \\cell";
      }
    }
    out += "\\row\n";
  }
  out += "\\pard}";
  return out;
}

}  // namespace table
