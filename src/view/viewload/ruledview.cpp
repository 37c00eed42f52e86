#include "view/viewload/ruledview.h"

#include <cstring>

namespace viewload {

namespace {

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// One paragraph being read: its text and whether its spacing is the 20
// twips of a ruled line.
struct ParaState {
  std::string text;
  bool rule = false;
};

RuledPara KindOf(const ParaState& p) {
  if (p.rule) return RuledPara::kRule;
  const std::string& t = p.text;
  if (t.find("~~") != std::string::npos &&
      t.find_first_not_of(" \t~`") == std::string::npos)
    return RuledPara::kMark;
  // A row always holds a TAB (each cell opens with one).
  if (t.find('\t') == std::string::npos) return RuledPara::kOther;
  return RuledPara::kRow;
}

}  // namespace

std::vector<RuledPara> ClassifyRuledParagraphs(const char* rtf, std::size_t len) {
  std::vector<RuledPara> out;
  if (!rtf) return out;
  ParaState cur;
  int depth = 0;
  int skipDepth = -1;  // inside a destination group (font and colour tables)
  bool groupStart = false;
  std::size_t i = 0;
  while (i < len && rtf[i]) {
    const char c = rtf[i];
    if (c == '{') {
      ++depth;
      groupStart = true;
      ++i;
      continue;
    }
    if (c == '}') {
      if (depth == skipDepth) skipDepth = -1;
      --depth;
      groupStart = false;
      ++i;
      continue;
    }
    const bool inDest = skipDepth >= 0 && depth >= skipDepth;
    if (c == '\\') {
      if (i + 1 >= len) break;
      const char n = rtf[i + 1];
      if (IsLetter(n)) {
        std::size_t j = i + 1;
        while (j < len && IsLetter(rtf[j])) ++j;
        const std::string word(rtf + i + 1, j - i - 1);
        bool neg = false;
        long value = 0;
        bool hasValue = false;
        if (j < len && rtf[j] == '-') {
          neg = true;
          ++j;
        }
        while (j < len && IsDigit(rtf[j])) {
          if (value < 100000000) value = value * 10 + (rtf[j] - '0');
          hasValue = true;
          ++j;
        }
        if (j < len && rtf[j] == ' ') ++j;  // the delimiter
        i = j;
        if (groupStart && (word == "fonttbl" || word == "colortbl" || word == "stylesheet" || word == "info"))
          skipDepth = depth;
        groupStart = false;
        if (inDest) continue;
        if (word == "pard") {
          cur.rule = false;
        } else if (word == "sl" && hasValue) {
          cur.rule = neg && value == 20;
        } else if (word == "par") {
          out.push_back(KindOf(cur));
          cur.text.clear();
        } else if (word == "tab") {
          cur.text += '\t';
        }
        continue;
      }
      groupStart = false;
      if (n == '\'') {
        // A byte written in hexadecimal: text (never a TAB or a mark).
        if (!inDest) cur.text += 'x';
        i += 4;
        continue;
      }
      if (n == '*') {
        skipDepth = depth;
        i += 2;
        continue;
      }
      if (!inDest) {
        if (n == '~') cur.text += '~';
        else if (n == ' ') cur.text += ' ';
        else if (n == '{' || n == '}' || n == '\\') cur.text += n;
      }
      i += 2;
      continue;
    }
    groupStart = false;
    if (c != '\r' && c != '\n' && !inDest) cur.text += c;
    ++i;
  }
  // A last paragraph without "\par" (the control's own end) is not counted.
  return out;
}

RuledLayout RuledLayout::Make(std::vector<RuledPara> kinds, const std::uint32_t* map, std::size_t mapCount) {
  RuledLayout l;
  l.kinds = std::move(kinds);
  l.rows.assign(l.kinds.size(), kNoRow);
  for (std::size_t p = 0; p < l.kinds.size() && p < mapCount && map; ++p) l.rows[p] = map[p];
  return l;
}

int RuledLayout::ParagraphOfRow(std::uint32_t row) const {
  if (row == kNoRow) return -1;
  for (std::size_t p = 0; p < kinds.size(); ++p)
    if (kinds[p] == RuledPara::kRow && rows[p] == row) return static_cast<int>(p);
  return -1;
}

int RuledLayout::FirstRowParagraph() const {
  for (std::size_t p = 0; p < kinds.size(); ++p)
    if (kinds[p] == RuledPara::kRow && rows[p] != kNoRow) return static_cast<int>(p);
  return -1;
}

std::uint32_t RuledLayout::RowOfParagraph(int para) const {
  if (para < 0) para = 0;
  for (std::size_t p = static_cast<std::size_t>(para); p < kinds.size(); ++p)
    if (kinds[p] == RuledPara::kRow && rows[p] != kNoRow) return rows[p];
  // Past the last row (the closing paragraphs): the last row.
  for (std::size_t p = kinds.size(); p-- > 0;)
    if (kinds[p] == RuledPara::kRow && rows[p] != kNoRow) return rows[p];
  return kNoRow;
}

std::vector<std::string> SplitParagraphs(const std::string& text) {
  std::vector<std::string> out;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    out.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) out.push_back(text.substr(start));
  return out;
}

long FieldStart(const std::string& para, int column) {
  if (column < 0) return -1;
  std::size_t b = 0;
  for (int c = 0; c < column; ++c) {
    const std::size_t t = para.find('\t', b);
    if (t == std::string::npos) return -1;
    b = t + 1;
  }
  return static_cast<long>(b);
}

std::vector<std::string> SplitFields(const std::string& para) {
  std::vector<std::string> out;
  std::size_t b = 0;
  for (;;) {
    const std::size_t t = para.find('\t', b);
    if (t == std::string::npos) {
      out.push_back(para.substr(b));
      return out;
    }
    out.push_back(para.substr(b, t - b));
    b = t + 1;
  }
}

std::string ChangedCellText(const std::string& shown, const std::string& now) {
  // The glyph run of the shown field: its marker characters and blanks in
  // front of the text.
  std::size_t glyphs = shown.find_first_not_of(" ._");
  if (glyphs == std::string::npos) glyphs = shown.size();
  // Of it, what the user left in place.
  std::size_t same = 0;
  while (same < glyphs && same < now.size() && now[same] == shown[same]) ++same;
  std::string t = now.substr(same);
  // Trailing blanks are the display's padding, never the cell's.
  while (!t.empty() && t.back() == ' ') t.pop_back();
  return t;
}

namespace {

// Lines of the working buffer: [start, end) without the line end, and the
// end of the line end.
struct Line {
  std::size_t start = 0, end = 0, next = 0;
};

std::vector<Line> LinesOf(const std::uint8_t* buf, std::size_t len) {
  std::vector<Line> out;
  std::size_t s = 0;
  for (std::size_t i = 0; i < len; ++i) {
    if (buf[i] != '\n') continue;
    Line l;
    l.start = s;
    l.end = i > s && buf[i - 1] == '\r' ? i - 1 : i;
    l.next = i + 1;
    out.push_back(l);
    s = i + 1;
  }
  if (s < len) out.push_back(Line{s, len, len});
  return out;
}

// A new cell text in the working form: in quotes (quotes doubled) when it
// holds a comma or a quote, so the comma form reads it back as one cell.
std::string WorkingCell(const std::string& text) {
  if (text.find_first_of(",\"") == std::string::npos) return text;
  std::string q = "\"";
  for (char c : text) {
    if (c == '"') q += '"';
    q += c;
  }
  q += '"';
  return q;
}

}  // namespace

bool RebuildFromRuledDisplay(const std::uint8_t* buf, std::size_t len, const RuledLayout& layout,
                             const std::vector<std::string>& shown, const std::vector<std::string>& now,
                             std::string& out, RuledRebuildError* error, RuledRebuildStats* stats) {
  out.clear();
  RuledRebuildError err = RuledRebuildError::kNone;
  RuledRebuildStats st;
  if (buf) {
    const void* nul = std::memchr(buf, 0, len);
    if (nul) len = static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - buf);
  } else {
    len = 0;
  }
  // Both texts are the control's, read the same way: any difference in the
  // paragraph count means rows were typed in or deleted by hand.
  const std::size_t n = shown.size();
  if (now.size() != n) err = RuledRebuildError::kParagraphsChanged;
  const std::vector<Line> lines = LinesOf(buf, len);
  std::vector<std::string> newRow(lines.size());
  std::vector<bool> changed(lines.size(), false);
  for (std::size_t p = 0; err == RuledRebuildError::kNone && p < n && p < layout.kinds.size(); ++p) {
    const std::string empty;
    const std::string& cur = p < now.size() ? now[p] : empty;
    if (cur == shown[p]) continue;
    if (layout.kinds[p] != RuledPara::kRow) {
      // A typed rule or mark paragraph is no row; a paragraph that turned
      // into cells means the rows moved.
      if (cur.find('\t') != std::string::npos && shown[p].find('\t') == std::string::npos)
        err = RuledRebuildError::kParagraphsChanged;
      continue;
    }
    const std::uint32_t row = layout.rows[p];
    if (row == kNoRow || row >= lines.size()) {
      err = RuledRebuildError::kParagraphsChanged;
      break;
    }
    const std::vector<std::string> was = SplitFields(shown[p]);
    const std::vector<std::string> is = SplitFields(cur);
    if (was.size() != is.size()) {
      err = RuledRebuildError::kCellsChanged;
      break;
    }
    // The row's cells in the working form.
    const Line& l = lines[row];
    std::vector<std::string> cells;
    {
      std::size_t b = l.start;
      for (std::size_t i = l.start; i <= l.end; ++i) {
        if (i == l.end || buf[i] == 0x06) {
          cells.emplace_back(reinterpret_cast<const char*>(buf) + b, i - b);
          b = i + 1;
        }
      }
    }
    // Field 0 is the lead-in column; field k is cell k - 1. A row of more
    // cells than TAB fields (past the 31st column blanks stand in for TABs)
    // can only be taken back where its TAB fields are its cells.
    for (std::size_t f = 1; f < is.size(); ++f) {
      if (is[f] == was[f]) continue;
      const std::size_t c = f - 1;
      if (c >= cells.size() || (f + 1 == is.size() && cells.size() > is.size() - 1)) {
        err = RuledRebuildError::kCellsChanged;
        break;
      }
      cells[c] = WorkingCell(ChangedCellText(was[f], is[f]));
      ++st.cellsChanged;
    }
    if (err != RuledRebuildError::kNone) break;
    std::string r;
    for (std::size_t c = 0; c < cells.size(); ++c) {
      if (c) r += '\x06';
      r += cells[c];
    }
    newRow[row] = r;
    changed[row] = true;
    ++st.rowsChanged;
  }
  if (error) *error = err;
  if (err != RuledRebuildError::kNone) return false;
  out.reserve(len + 64);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const Line& l = lines[i];
    if (changed[i]) {
      out += newRow[i];
      out.append(reinterpret_cast<const char*>(buf) + l.end, l.next - l.end);
    } else {
      out.append(reinterpret_cast<const char*>(buf) + l.start, l.next - l.start);
    }
  }
  if (stats) *stats = st;
  return true;
}

}  // namespace viewload
