// The markup engine: one pass over the source bytes, a grid of cell lines
// for the open table, the link list, and the output through the LoadBuffer
// within its bound (docs/convert.md, "The markup engine").
#include "convert/markup_engine.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "convert/markup_tables.h"
#include "core/docopen/opentexts.h"
#include "core/textcodec/charconv.h"
#include "core/textcodec/sjis_map.h"
#include "fw/alloc.h"

namespace convert {
namespace {

using markup::Dialect;

constexpr int kCols = 48;             // columns of a table
constexpr int kCellChars = 635;       // characters of a cell line kept and read
constexpr int kLinks = 640;           // link targets listed
constexpr std::size_t kLinkBytes = 635;
constexpr long kStepMax = 1000000;    // bytes looked at by the main loop
constexpr std::size_t kCommentMax = 10000;
constexpr std::size_t kTagMax = 1000;
constexpr int kJisPairsMax = 500;
constexpr std::uint8_t kEsc = 0x1B;

bool IsLetter(std::uint8_t c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
std::uint8_t Lower(std::uint8_t c) { return c >= 'A' && c <= 'Z' ? static_cast<std::uint8_t>(c + 32) : c; }
bool IsSjisLead(std::uint8_t c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
bool IsSjisTrail(std::uint8_t c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }
bool IsCont(std::uint8_t c) { return c >= 0x80 && c <= 0xBF; }

// `text` begins with `prefix`, letters compared without regard to case.
bool Starts(const std::string& text, const char* prefix) {
  const std::size_t n = std::strlen(prefix);
  if (text.size() < n) return false;
  for (std::size_t i = 0; i < n; ++i)
    if (Lower(static_cast<std::uint8_t>(text[i])) != Lower(static_cast<std::uint8_t>(prefix[i]))) return false;
  return true;
}

// A tag name: the prefix and no letter after it.
bool IsTag(const std::string& text, const char* name) {
  if (!name || !Starts(text, name)) return false;
  const std::size_t n = std::strlen(name);
  return text.size() == n || !IsLetter(static_cast<std::uint8_t>(text[n]));
}

class Engine {
 public:
  Engine(const Dialect& d, const std::uint8_t* s, std::size_t n, const MarkupWords& w, LoadBuffer& out)
      : d_(d), s_(s), n_(s ? n : 0), w_(w), out_(out) {
    bound_ = w.outdata > 0 ? static_cast<std::size_t>(w.outdata) : static_cast<std::size_t>(-1) / 2;
    tblMax_ = w.tblMax < 10 ? 10 : w.tblMax;
    if (w.m_nTxtsiz < 5) width_ = 164 - 20 * std::max(0, w.m_nTxtsiz);
    else width_ = (w.m_nTextOnly > 0 && w.m_nTextOnlyLines == 1) ? 80 : 64;
    lines_ = w.m_nTextOnly > 0 && w.m_nTextOnlyLines == 1;
  }
  ~Engine() {
    fw::Free(cells_);
    fw::Free(lens_);
  }

  MarkupResult Run();

 private:
  std::uint8_t At(std::size_t i) const { return i < n_ ? s_[i] : 0; }

  // --- output
  void Emit(const void* p, std::size_t len);
  void Emit(const char* text) { Emit(text, std::strlen(text)); }
  bool Full() const { return out_.Size() >= bound_ || stop_; }
  bool TableMode() const { return level_ > 0 && !lines_; }
  bool InCell() const { return TableMode() && cellOpen_ && col_ > 0; }
  void Put(const char* text);                        // markers: cell or output
  void PutChar(std::uint8_t b0, std::uint8_t b1);    // one character (b1 0: one byte)
  void Text(std::uint8_t b0, std::uint8_t b1);       // content: pending mark and soft blank first
  void NewLine();
  void BreakOutside() { if (!TableMode()) Emit("\n"); }

  // --- the grid
  std::int64_t Index(int line) const { return (static_cast<std::int64_t>(rowBase_) + line) * kCols + (col_ - 1); }
  // A cell line's length; lines past the grid are empty.
  int Len(std::int64_t idx) const { return idx >= 0 && idx < tblMax_ ? lens_[idx] : 0; }
  std::uint8_t* Cell(std::int64_t idx) const { return cells_ + idx * (kCellChars + 1); }
  bool CellPut(std::uint8_t b0, std::uint8_t b1);
  void NextCellLine();
  int MeasureWord() const;
  void TableStart();
  void TableEnd();
  void RowStart();
  void RowEnd();
  void CellStart(const std::string& tag);
  void CloseCell();
  void WriteOutTable();
  int SpanValue(const std::string& lower, const char* name) const;

  // --- the main loop's parts
  void Tag();
  void Entity();
  void Escape();
  void Character();
  void LinkTag(const std::string& tag, int kind);
  std::string AttributeValue(const std::string& tag, std::size_t at, bool quoteRule);
  std::string Decode(const std::uint8_t* p, std::size_t len);
  void GuessMode(std::uint8_t c, std::uint8_t later);
  void AddressList();
  void SourceView();

  const Dialect& d_;
  const std::uint8_t* s_;
  std::size_t n_;
  const MarkupWords& w_;
  LoadBuffer& out_;
  std::size_t bound_ = 0;
  std::size_t pos_ = 0;
  bool stop_ = false;   // an append was refused
  int tblMax_ = 10;
  int width_ = 64;      // W: characters before a cell line wraps
  bool lines_ = false;  // text-only lines: cells flow as lines

  // character mode
  int mode_ = 0;
  bool guessed_ = false;
  bool declaredSjis_ = false;
  int highCount_ = 0;

  // context
  bool pre_ = false, list_ = false, style_ = false, inA_ = false;
  bool headingBreak_ = false;  // a heading end just wrote a line end
  bool softBlank_ = false;     // white space after a tag: one blank before more text
  const char* pending_ = nullptr;

  // table state (m_nGridLine is this engine's)
  std::uint8_t* cells_ = nullptr;
  std::uint16_t* lens_ = nullptr;
  int level_ = 0;
  int col_ = 0;
  int span_ = 1;
  bool cellOpen_ = false;
  int m_nGridLine = 0;
  int rowBase_ = 0;
  int rowLast_ = 0;
  int maxCol_ = 0;
  std::int64_t maxLine_ = -1;
  int colWidth_[kCols + 2] = {};
  int rowSpan_[kCols + 2] = {};
  std::uint8_t lastCellByte_ = 0;

  std::vector<std::string> links_;
};

void Engine::Emit(const void* p, std::size_t len) {
  const std::size_t size = out_.Size();
  if (size >= bound_ || stop_) return;
  const std::size_t room = bound_ - size;
  if (len > room) len = room;
  if (len && !out_.Append(p, len)) stop_ = true;
}

void Engine::Put(const char* text) {
  const std::size_t n = std::strlen(text);
  for (std::size_t i = 0; i < n; ++i) {
    const auto b = static_cast<std::uint8_t>(text[i]);
    if (IsSjisLead(b) && i + 1 < n) {
      PutChar(b, static_cast<std::uint8_t>(text[i + 1]));
      ++i;
    } else {
      PutChar(b, 0);
    }
  }
}

void Engine::PutChar(std::uint8_t b0, std::uint8_t b1) {
  headingBreak_ = false;
  if (InCell()) {
    if (CellPut(b0, b1)) return;
  } else if (TableMode()) {
    // Text between the cells of a table goes out before it; white space goes.
    if (b0 == ' ' || b0 == '\n' || b0 == '\r' || b0 == '\t') return;
  }
  const std::uint8_t pair[2] = {b0, b1};
  Emit(pair, b1 ? 2 : 1);
}

void Engine::Text(std::uint8_t b0, std::uint8_t b1) {
  if (softBlank_) {
    softBlank_ = false;
    bool blank;
    if (InCell()) {
      const std::int64_t idx = Index(m_nGridLine);
      blank = idx < tblMax_ - 1 && Len(idx) > 0 && lastCellByte_ != ' ';
    } else {
      const std::size_t size = out_.Size();
      blank = size > 0 && out_.Data()[size - 1] != ' ' && out_.Data()[size - 1] != '\n';
    }
    if (blank && b0 != ' ') PutChar(' ', 0);
  }
  if (pending_) {
    const char* mark = pending_;
    pending_ = nullptr;
    Put(mark);
  }
  PutChar(b0, b1);
}

void Engine::NewLine() {
  if (InCell()) NextCellLine();
  else if (!TableMode()) Emit("\n");
}

// --- the grid -------------------------------------------------------------------

// A character into the open cell; false when the grid cannot take it even
// after writing the table out (the caller writes it as ordinary text).
bool Engine::CellPut(std::uint8_t b0, std::uint8_t b1) {
  const int units = b1 ? 2 : 1;
  std::int64_t idx = Index(m_nGridLine);
  if (idx >= tblMax_ - 1) {
    // A full grid is written out early; the cell goes on in a fresh one.
    WriteOutTable();
    m_nGridLine = 0;
    idx = Index(0);
    if (idx >= tblMax_ - 1) return false;
  }
  int len = Len(idx);
  if (len > 0) {
    bool wrap = len + units > width_;
    if (!wrap && len >= width_ - 8 && b0 != ' ' &&
        (lastCellByte_ == ' ' || lastCellByte_ == '.' || lastCellByte_ == ',')) {
      wrap = len + MeasureWord() > width_;
    }
    if (wrap) {
      NextCellLine();
      idx = Index(m_nGridLine);
      if (idx >= tblMax_ - 1) return CellPut(b0, b1);
      len = Len(idx);
    }
  }
  if (len + units > kCellChars) return true;  // a cell line keeps 635 characters
  std::uint8_t* cell = Cell(idx);
  cell[len] = b0;
  if (b1) cell[len + 1] = b1;
  lens_[idx] = static_cast<std::uint16_t>(len + units);
  lastCellByte_ = b1 ? 0 : b0;
  const std::int64_t line = idx / kCols;
  if (line > maxLine_) maxLine_ = line;
  if (col_ > maxCol_) maxCol_ = col_;
  return true;
}

// Bytes of the word at the cursor (up to a blank, a tag, an entity or a line end).
int Engine::MeasureWord() const {
  int n = 0;
  for (std::size_t i = pos_; i < n_ && n <= width_; ++i, ++n) {
    const std::uint8_t c = s_[i];
    if (c == ' ' || c == '<' || c == '&' || c == '\r' || c == '\n' || c == '\t') break;
  }
  return n;
}

void Engine::NextCellLine() {
  ++m_nGridLine;
  lastCellByte_ = 0;
  if (m_nGridLine > rowLast_) rowLast_ = m_nGridLine;
}

void Engine::TableStart() {
  if (lines_) {
    Emit("\n");
    ++level_;
    return;
  }
  if (level_++ > 0) return;  // an inner table's cells join the outer grid
  Emit("\n");
  std::fill(rowSpan_, rowSpan_ + kCols + 2, 0);
  col_ = 0;
  cellOpen_ = false;
  rowBase_ = rowLast_ = m_nGridLine = 0;
}

void Engine::TableEnd() {
  if (level_ == 0) return;
  if (--level_ > 0 || lines_) return;
  RowEnd();
  WriteOutTable();
}

void Engine::RowStart() {
  if (lines_) {
    Emit("\n");
    return;
  }
  if (col_ > 0) RowEnd();
  col_ = 0;
  m_nGridLine = 0;
}

void Engine::RowEnd() {
  if (lines_) return;
  const bool open = col_ > 0;
  CloseCell();
  if (!open) return;
  // Columns after the row's last cell are passed here: their spans count down.
  for (int c = col_ + 1; c <= kCols; ++c)
    if (rowSpan_[c] > 0) --rowSpan_[c];
  const int last = rowLast_;
  rowBase_ += last + 1;
  rowLast_ = 0;
  m_nGridLine = 0;
  col_ = 0;
  if (static_cast<std::int64_t>(rowBase_) * kCols + kCols > static_cast<std::int64_t>(tblMax_) - kCols * (last + 5))
    WriteOutTable();
}

// A span attribute's value: 1-99, 1 when absent or not a number. Spans are
// read only when the tag text holds "td".
int Engine::SpanValue(const std::string& lower, const char* name) const {
  if (lower.find("td") == std::string::npos) return 1;
  const std::size_t at = lower.find(name);
  if (at == std::string::npos) return 1;
  std::size_t i = at + std::strlen(name);
  while (i < lower.size() && lower[i] == ' ') ++i;
  if (i < lower.size() && lower[i] == '=') ++i;
  while (i < lower.size() && lower[i] == ' ') ++i;
  if (i < lower.size() && (lower[i] == '"' || lower[i] == '\'')) ++i;
  if (i >= lower.size() || lower[i] < '0' || lower[i] > '9') return 1;
  int v = lower[i] - '0';
  if (i + 1 < lower.size() && lower[i + 1] >= '0' && lower[i + 1] <= '9') v = v * 10 + (lower[i + 1] - '0');
  return v < 1 ? 1 : v;
}

void Engine::CellStart(const std::string& tag) {
  if (lines_) {
    Emit("\n");
    return;
  }
  CloseCell();
  col_ = std::min(col_ + 1, kCols);
  std::string lower(tag);
  for (char& c : lower) c = static_cast<char>(Lower(static_cast<std::uint8_t>(c)));
  const int colspan = SpanValue(lower, "colspan");
  // Columns still covered by a cell above are passed (their counts go down).
  while (col_ < kCols && rowSpan_[col_] > 0) {
    --rowSpan_[col_];
    ++col_;
  }
  if (col_ == kCols && rowSpan_[col_] > 0) --rowSpan_[col_];  // later cells join column 48
  rowSpan_[col_] = SpanValue(lower, "rowspan") - 1;
  span_ = std::min(colspan, kCols - col_ + 1);
  m_nGridLine = 0;
  lastCellByte_ = 0;
  cellOpen_ = true;
}

void Engine::CloseCell() {
  if (!cellOpen_ || col_ <= 0) return;
  cellOpen_ = false;
  // Empty lines at a cell's end do not count.
  while (m_nGridLine > 0) {
    const std::int64_t idx = Index(m_nGridLine);
    if (idx < tblMax_ - 1 && Len(idx) > 0) break;
    --m_nGridLine;
  }
  if (span_ == 1) {
    for (int line = 0; line <= m_nGridLine; ++line) {
      const std::int64_t idx = Index(line);
      if (idx >= tblMax_ - 1) break;
      colWidth_[col_] = std::max(colWidth_[col_], Len(idx));
    }
  }
  if (m_nGridLine > rowLast_) rowLast_ = m_nGridLine;
  if (span_ > 1) {
    for (int j = 1; j < span_ && col_ + j <= kCols; ++j) rowSpan_[col_ + j] = rowSpan_[col_];
    col_ = std::min(col_ + span_ - 1, kCols);
  }
  span_ = 1;
}

void Engine::WriteOutTable() {
  const char sep = w_.mode == 2 ? '\x08' : (w_.mode == 1 && w_.m_nTextOnly == 0) ? '|' : ' ';
  for (std::int64_t line = 0; line <= maxLine_ && !Full(); ++line) {
    int c = 1;
    while (c <= maxCol_) {
      const std::int64_t idx = line * kCols + (c - 1);
      const std::uint8_t* text = Cell(idx);
      const int len = Len(idx);
      int shown = 0;
      for (int i = 0; i < len; ++i) shown += (text[i] != '\r' && text[i] != '\n');
      int width = colWidth_[c];
      int next = c + 1;
      while (shown > width && next <= maxCol_ && Len(line * kCols + (next - 1)) == 0) {
        width += colWidth_[next] + 1;
        ++next;
      }
      int from = 0;
      for (int i = 0; i <= len; ++i) {
        if (i == len || text[i] == '\r' || text[i] == '\n') {
          Emit(text + from, static_cast<std::size_t>(i - from));
          from = i + 1;
        }
      }
      for (int i = shown; i < width && !Full(); ++i) Emit(" ", 1);
      Emit(&sep, 1);
      c = next;
    }
    Emit("\n");
  }
  const std::int64_t used = std::min<std::int64_t>((maxLine_ + 1) * kCols, tblMax_);
  if (used > 0) std::memset(lens_, 0, static_cast<std::size_t>(used) * sizeof *lens_);
  std::fill(colWidth_, colWidth_ + kCols + 2, 0);
  maxLine_ = -1;
  maxCol_ = 0;
  rowBase_ = rowLast_ = 0;
  highCount_ = 0;
}

// --- the main loop -----------------------------------------------------------------

// The first high byte decides: UTF-8 when it and the byte three on are 0xE0
// or above (or that byte is '<' or '"'), else EUC.
void Engine::GuessMode(std::uint8_t c, std::uint8_t later) {
  mode_ = (c >= 0xE0 && (later >= 0xE0 || later == '<' || later == '"')) ? 5 : 6;
  guessed_ = true;
}

void Engine::Character() {
  const std::uint8_t c = s_[pos_];
  if (c < 0x80) {
    Text(c, 0);
    ++pos_;
    return;
  }
  if (declaredSjis_ || w_.m_bNoCharConv) {
    if (IsSjisLead(c) && IsSjisTrail(At(pos_ + 1)) && pos_ + 1 < n_) {
      Text(c, s_[pos_ + 1]);
      pos_ += 2;
    } else {
      Text(c, 0);
      ++pos_;
    }
    return;
  }
  if (mode_ == 0) GuessMode(c, At(pos_ + 3));
  // A four-byte UTF-8 character has no code-page 932 form: one '?'.
  if ((mode_ == 1 || mode_ == 5) && c >= 0xF0 && c <= 0xF4 && pos_ + 3 < n_ && IsCont(s_[pos_ + 1]) &&
      IsCont(s_[pos_ + 2]) && IsCont(s_[pos_ + 3])) {
    Text('?', 0);
    pos_ += 4;
    if (highCount_ > 0) --highCount_;
    return;
  }
  std::uint8_t sj[textcodec::kSjisCharBytes] = {};
  const int used = textcodec::ConvertCharToSjis(c, At(pos_ + 1), At(pos_ + 2), mode_, highCount_, false, sj);
  if (used > 0 && sj[0] != 0) {
    Text(sj[0], sj[1]);
    pos_ += 1 + static_cast<std::size_t>(used);
    if (highCount_ > 0) --highCount_;
    return;
  }
  // Not converted: the byte as it is (a Shift-JIS pair kept together).
  if (IsSjisLead(c) && pos_ + 1 < n_ && IsSjisTrail(s_[pos_ + 1])) {
    Text(c, s_[pos_ + 1]);
    highCount_ += s_[pos_ + 1] >= 0x80 ? 2 : 1;
    pos_ += 2;
  } else {
    Text(c, 0);
    ++highCount_;
    ++pos_;
  }
}

void Engine::Escape() {
  const std::uint8_t a = At(pos_ + 1), b = At(pos_ + 2);
  if (a == '$' && (b == 'B' || b == 'b') && pos_ + 2 < n_) {
    pos_ += 3;
    for (int pairs = 0; pairs < kJisPairsMax && pos_ < n_; ++pairs) {
      const std::uint8_t j0 = s_[pos_];
      if (j0 < 0x20) break;
      if (pos_ + 1 >= n_ || s_[pos_ + 1] < 0x20) {
        ++pos_;  // a lone byte goes
        break;
      }
      const std::uint16_t sj = textcodec::JisToSjis(static_cast<std::uint16_t>(j0 << 8 | s_[pos_ + 1]));
      pos_ += 2;
      if (sj == 0) continue;  // a pair the conversion refuses is skipped
      Text(static_cast<std::uint8_t>(sj >> 8), static_cast<std::uint8_t>(sj & 0xFF));
    }
    return;
  }
  if (a == '(' && (b == 'B' || b == 'J' || b == 'b' || b == 'j') && pos_ + 2 < n_) {
    pos_ += 3;
    return;
  }
  ++pos_;  // the ESC goes; what follows is read as usual
}

void Engine::Entity() {
  // '&', a name of at most 7 characters (line ends skipped) and ';'.
  char name[8];
  int len = 0;
  std::size_t i = pos_ + 1;
  bool closed = false;
  while (i < n_ && len <= 7) {
    const std::uint8_t c = s_[i++];
    if (c == '\r' || c == '\n') continue;
    if (c == ';') {
      closed = true;
      break;
    }
    if (len == 7) break;
    name[len++] = static_cast<char>(c);
  }
  if (closed) {
    for (std::size_t k = 0; k < markup::kEntityCount; ++k) {
      const markup::Entity& e = markup::kEntities[k];
      if (e.htmlOnly && !d_.ensp) continue;
      const std::size_t en = std::strlen(e.name);
      if (en != static_cast<std::size_t>(len)) continue;
      bool same = true;
      for (std::size_t j = 0; j < en && same; ++j)
        same = Lower(static_cast<std::uint8_t>(name[j])) == Lower(static_cast<std::uint8_t>(e.name[j]));
      if (!same) continue;
      pos_ = i;
      const char* form = (e.wide && w_.m_bAsciiSymbols == 0) ? e.wide : e.ascii;
      const std::size_t fn = std::strlen(form);
      for (std::size_t j = 0; j < fn; ++j) {
        const auto b = static_cast<std::uint8_t>(form[j]);
        if (IsSjisLead(b) && j + 1 < fn) {
          Text(b, static_cast<std::uint8_t>(form[++j]));
        } else if (b == '\t' && InCell()) {
          for (int t = 0; t < 4; ++t) Text(' ', 0);
        } else {
          Text(b, 0);
        }
      }
      return;
    }
  }
  // Not an entity of the table: '&' and the rest read again as text.
  Text('&', 0);
  ++pos_;
}

std::string Engine::Decode(const std::uint8_t* p, std::size_t len) {
  std::string v;
  bool jis = false;
  for (std::size_t i = 0; i < len && v.size() < kLinkBytes;) {
    const std::uint8_t c = p[i];
    if (c == kEsc && i + 2 < len) {
      if (p[i + 1] == '$') jis = true;
      else if (p[i + 1] == '(') jis = false;
      i += 3;
      continue;
    }
    if (jis && i + 1 < len && c >= 0x21) {
      const std::uint16_t sj = textcodec::JisToSjis(static_cast<std::uint16_t>(c << 8 | p[i + 1]));
      if (sj) {
        v += static_cast<char>(sj >> 8);
        v += static_cast<char>(sj & 0xFF);
      }
      i += 2;
      continue;
    }
    if (c >= 0x80 && !declaredSjis_ && !w_.m_bNoCharConv) {
      if (mode_ == 0) GuessMode(c, i + 3 < len ? p[i + 3] : 0);
      if ((mode_ == 1 || mode_ == 5) && c >= 0xF0 && c <= 0xF4 && i + 3 < len && IsCont(p[i + 1]) &&
          IsCont(p[i + 2]) && IsCont(p[i + 3])) {
        v += '?';
        i += 4;
        continue;
      }
      std::uint8_t sj[textcodec::kSjisCharBytes] = {};
      const std::uint8_t b1 = i + 1 < len ? p[i + 1] : 0, b2 = i + 2 < len ? p[i + 2] : 0;
      const int used = textcodec::ConvertCharToSjis(c, b1, b2, mode_, 0, false, sj);
      if (used > 0 && sj[0] != 0) {
        v += static_cast<char>(sj[0]);
        if (sj[1]) v += static_cast<char>(sj[1]);
        i += 1 + static_cast<std::size_t>(used);
        continue;
      }
    }
    v += static_cast<char>(c);
    ++i;
  }
  return v;
}

// The value of the attribute at `at`: after a double quote within 7 bytes
// (the quote rule), else after the next '=', else 4 bytes on; it ends at a
// quote, a blank or the tag's end.
std::string Engine::AttributeValue(const std::string& tag, std::size_t at, bool quoteRule) {
  std::size_t start = std::string::npos;
  if (quoteRule) {
    const std::size_t q = tag.find('"', at);
    if (q != std::string::npos && q - at <= 7) start = q + 1;
  }
  if (start == std::string::npos) {
    const std::size_t eq = tag.find('=', at);
    if (eq != std::string::npos) {
      start = eq + 1;
      if (start < tag.size() && (tag[start] == '"' || tag[start] == '\'')) ++start;
    } else {
      start = at + 4;
    }
  }
  std::size_t end = start;
  while (end < tag.size() && tag[end] != '"' && tag[end] != '\'' && tag[end] != ' ' && tag[end] != '>' &&
         end - start < kLinkBytes)
    ++end;
  if (start >= end) return std::string();
  return Decode(reinterpret_cast<const std::uint8_t*>(tag.data()) + start, end - start);
}

enum LinkKind { kLinkA, kLinkImg, kLinkArea, kLinkMeta, kLinkFrame, kLinkInput };

void Engine::LinkTag(const std::string& tag, int kind) {
  if (kind == kLinkA && w_.m_bLinkList != 1) return;
  if (kind == kLinkA) inA_ = true;
  auto find = [&](const char* a, const char* b) {
    std::size_t at = tag.find(a);
    if (at == std::string::npos) at = tag.find(b);
    return at;
  };
  if (w_.m_bLinkList == 1 && tag.find("nohref") == std::string::npos) {
    std::size_t at = find("href", "HREF");
    if (at == std::string::npos && kind == kLinkFrame) at = find("src", "SRC");
    if (at == std::string::npos && kind == kLinkMeta) at = find("url", "URL");
    if (at != std::string::npos) {
      const std::string target = AttributeValue(tag, at, kind != kLinkMeta);
      if (!target.empty() && static_cast<int>(links_.size()) < kLinks) {
        links_.push_back(target);
        char label[8];
        char x, y;
        LinkLabel(static_cast<int>(links_.size()), &x, &y);
        std::snprintf(label, sizeof label, " @%c%c:", x, y);
        Put(label);
        if (w_.m_nTextOnly >= 1 && w_.m_nTextOnlyLines == 1) {
          Emit("\n");
          Emit(target.data(), target.size());
          Emit("\n");
        }
      }
    }
  }
  const bool room = !InCell() || Len(std::min<std::int64_t>(Index(m_nGridLine), tblMax_ - 1)) < 631;
  if (kind == kLinkImg && room) Put(inA_ ? "<a-img>" : "<image>");
  if (kind == kLinkInput && room) Put("<input>");
  std::size_t at = find("alt", "ALT");
  bool alt = at != std::string::npos;
  if (!alt) at = find("name", "NAME");
  if (at == std::string::npos) return;
  const std::string text = AttributeValue(tag, at, true);
  if (text.empty()) return;
  Put(alt ? "<<" : " <");
  Put(text.c_str());
  Put(alt ? ">>" : "> ");
}

void Engine::Tag() {
  // A comment: up to "-->", at most 10,000 characters.
  if (At(pos_ + 1) == '!' && At(pos_ + 2) == '-' && At(pos_ + 3) == '-') {
    const std::size_t from = pos_ + 4;
    const std::size_t last = std::min(n_, from + kCommentMax);
    std::size_t i = from;
    while (i < last && !(s_[i] == '-' && At(i + 1) == '-' && At(i + 2) == '>')) ++i;
    pos_ = i < last ? i + 3 : last;
    return;
  }
  // The tag text up to '>' (line ends skipped, a '>' in a JIS run kept).
  std::string tag;
  std::size_t i = pos_ + 1;
  bool jis = false;
  while (i < n_ && tag.size() < kTagMax) {
    const std::uint8_t c = s_[i];
    if (c == '>' && !jis) break;
    ++i;
    if (c == '\r' || c == '\n') continue;
    if (c == kEsc) {
      if (At(i) == '$') jis = true;
      else if (At(i) == '(') jis = false;
    }
    tag += static_cast<char>(c);
  }
  if (i < n_ && s_[i] == '>') {
    tag += '>';
    ++i;
  }
  for (std::size_t k = 0; k < tag.size() && k < 6; ++k) tag[k] = static_cast<char>(Lower(static_cast<std::uint8_t>(tag[k])));
  // White space after the tag goes; it leaves one blank before more text.
  std::size_t ws = i;
  while (ws < n_ && (s_[ws] == ' ' || s_[ws] == '\r' || s_[ws] == '\n')) ++ws;
  softBlank_ = ws > i;
  pos_ = ws;
  if (guessed_) {
    mode_ = 0;
    guessed_ = false;
  }

  if (style_) {
    if (Starts(tag, "/style")) style_ = false;
    return;
  }
  bool matched = true;
  if (IsTag(tag, d_.tableStart) && tag.compare(tag.size() - std::min<std::size_t>(2, tag.size()), 2, "/>") != 0) {
    TableStart();
  } else if (Starts(tag, d_.tableEnd)) {
    TableEnd();
  } else if (level_ > 0 && IsTag(tag, d_.rowStart)) {
    RowStart();
  } else if (level_ > 0 && Starts(tag, d_.rowEnd)) {
    RowEnd();
  } else if (level_ > 0 && (IsTag(tag, d_.cellStart[0]) || IsTag(tag, d_.cellStart[1]))) {
    CellStart(tag);
  } else if (level_ > 0 && (Starts(tag, d_.cellEnd[0]) || (d_.cellEnd[1] && Starts(tag, d_.cellEnd[1])))) {
    CloseCell();
  } else if (Starts(tag, "dt") || Starts(tag, "dd")) {
    BreakOutside();
  } else if (Starts(tag, "/dt>") || Starts(tag, "/dd>") || Starts(tag, "/pre") || Starts(tag, "/li>") ||
             Starts(tag, "/ol>") || Starts(tag, "/ul>")) {
    NewLine();
    if (Starts(tag, "/pre")) pre_ = false;
    if (Starts(tag, "/li>")) list_ = false;
  } else if (Starts(tag, "/span") || Starts(tag, "span")) {
  } else if (Starts(tag, "/h1>") || Starts(tag, "/h2>") || Starts(tag, "/h3>") || Starts(tag, "/tit")) {
    NewLine();
    headingBreak_ = true;
  } else if (Starts(tag, "p>") || Starts(tag, "p ")) {
    BreakOutside();
  } else if (Starts(tag, "/p>")) {
    NewLine();
  } else if (IsTag(tag, "pre")) {
    pre_ = true;
  } else if (Starts(tag, "b>") || Starts(tag, "u>") || Starts(tag, "i>")) {
    if (w_.m_nTextOnly == 0) pending_ = tag[0] == 'b' ? " [" : tag[0] == 'u' ? "<<" : " <";
  } else if (Starts(tag, "/b>")) {
    Put("] ");
  } else if (Starts(tag, "/u>")) {
    Put(">>");
  } else if (Starts(tag, "/i>")) {
    Put("> ");
  } else if (IsTag(tag, "h1") || IsTag(tag, "h2") || IsTag(tag, "h3")) {
    Put(tag[1] == '1' ? "$:" : tag[1] == '2' ? "#:" : ">:");
  } else if (IsTag(tag, "ol") || IsTag(tag, "ul")) {
    NewLine();
  } else if (IsTag(tag, "option")) {
    Put("|");
  } else if (IsTag(tag, "style")) {
    style_ = true;
  } else if (IsTag(tag, "a")) {
    LinkTag(tag, kLinkA);
  } else if (Starts(tag, "/a>")) {
    inA_ = false;
  } else if (IsTag(tag, "img")) {
    LinkTag(tag, kLinkImg);
  } else if (IsTag(tag, "area")) {
    LinkTag(tag, kLinkArea);
  } else if (IsTag(tag, "meta")) {
    std::string lower(tag);
    for (char& c : lower) c = static_cast<char>(Lower(static_cast<std::uint8_t>(c)));
    const std::size_t cs = lower.find("charset=");
    if (cs != std::string::npos) {
      if (lower.find("utf-8", cs) != std::string::npos) {
        mode_ = 1;
        guessed_ = declaredSjis_ = false;
      } else if (lower.find("shift_jis", cs) != std::string::npos || lower.find("x_jis", cs) != std::string::npos) {
        mode_ = 6;
        guessed_ = false;
        declaredSjis_ = true;
      }
    }
    LinkTag(tag, kLinkMeta);
  } else if (IsTag(tag, "frame")) {
    LinkTag(tag, kLinkFrame);
  } else if (IsTag(tag, "input")) {
    LinkTag(tag, kLinkInput);
  } else {
    matched = false;
  }
  (void)matched;
  // Then, for every tag:
  if (IsTag(tag, "br")) {
    NewLine();
  } else if (Starts(tag, "/div")) {
    BreakOutside();
  } else if (Starts(tag, "li>") || Starts(tag, "li ")) {
    list_ = true;
    if (InCell()) {
      if (Len(std::min<std::int64_t>(Index(m_nGridLine), tblMax_ - 1)) > 0) NextCellLine();
      pending_ = " *";
    } else if (!TableMode()) {
      if (!headingBreak_) Emit("\n");
      Emit("   \x81\x45");
    }
  } else if (IsTag(tag, "hr")) {
    if (TableMode()) {
      NewLine();
    } else {
      Emit("\n");
      for (int k = 0; k < 78; ++k) Emit("-", 1);
      Emit("\n");
    }
  }
}

void Engine::AddressList() {
  Emit("\n\n--address----------------------------------\n\n");
  for (std::size_t k = 0; k < links_.size() && !Full(); ++k) {
    char x, y;
    LinkLabel(static_cast<int>(k + 1), &x, &y);
    char head[4] = {'@', x, y, ' '};
    Emit(head, 4);
    Emit(links_[k].data(), links_[k].size());
    Emit("\n");
  }
}

void Engine::SourceView() {
  int level = 0;
  bool pre = false;
  auto at = [&](const char* word) {
    const std::size_t n = std::strlen(word);
    for (std::size_t k = 0; k < n; ++k)
      if (Lower(At(pos_ + k)) != static_cast<std::uint8_t>(word[k])) return false;
    return pos_ + n <= n_;
  };
  while (pos_ < n_ && !Full()) {
    const std::uint8_t c = s_[pos_];
    if (c == 0xFF) break;
    if (c == '<') {
      if (at("<tabl")) ++level;
      else if (at("</tab") && level > 0) --level;
      else if (at("<pre")) pre = true;
      else if (at("</pre")) pre = false;
    }
    if (w_.m_bKeepLayout != 1) {
      Emit(&c, 1);
      ++pos_;
      continue;
    }
    if (c >= 0x80) {
      // mode as in the main loop; no tags forget it here
      Character();
      continue;
    }
    Emit(&c, 1);
    ++pos_;
    if (c == '\n' && At(pos_) != '\t' && !pre) {
      for (int k = 0; k < level && !Full(); ++k) Emit("\t", 1);
    }
  }
}

MarkupResult Engine::Run() {
  MarkupResult r;
  out_.Clear();
  cells_ = static_cast<std::uint8_t*>(fw::AllocArray(static_cast<std::size_t>(tblMax_), kCellChars + 1));
  lens_ = static_cast<std::uint16_t*>(fw::AllocArray(static_cast<std::size_t>(tblMax_), sizeof *lens_));
  if (!cells_ || !lens_) {
    char code[8];
    std::snprintf(code, sizeof code, " %03d", d_.failCode);
    out_.Append(static_cast<const char*>(docopen::GetOpenText(docopen::OpenText::kRenderMemory)));
    out_.Append(code);
    r.noMemory = true;
    r.size = static_cast<std::int64_t>(out_.Size());
    return r;
  }
  std::memset(lens_, 0, static_cast<std::size_t>(tblMax_) * sizeof *lens_);
  if (w_.openContext == 2) {
    SourceView();
    r.size = static_cast<std::int64_t>(out_.Size());
    return r;
  }
  Emit("\n");
  if (At(0) == 0xEF && At(1) == 0xBB && At(2) == 0xBF) pos_ = 3;
  long steps = 0;
  bool cut = false;
  while (pos_ < n_) {
    if (++steps > kStepMax || Full()) {
      cut = true;
      break;
    }
    std::uint8_t c = s_[pos_];
    if (c == 0xFF) break;
    if ((c == '\r' || c == '\n' || c == '\t') && !pre_ && !list_ && w_.m_bKeepLayout == 0) {
      while (pos_ < n_ && (s_[pos_] == '\r' || s_[pos_] == '\n' || s_[pos_] == '\t')) ++pos_;
      while (pos_ < n_ && s_[pos_] == ' ') ++pos_;
      continue;
    }
    if (c == '<') {
      Tag();
    } else if (style_) {
      ++pos_;
    } else if (c == '&') {
      Entity();
    } else if (c == kEsc) {
      Escape();
    } else if (c == '\t' && InCell()) {
      for (int k = 0; k < 4; ++k) Text(' ', 0);
      ++pos_;
    } else if (c == '\r') {
      if (!TableMode() && At(pos_ + 1) != '\r' && At(pos_ + 1) != '\n') Emit("\n");
      if (!TableMode()) Emit("\r");
      ++pos_;
    } else if (c == '\n') {
      if (InCell()) NextCellLine();
      else if (!TableMode()) Emit("\n");
      ++pos_;
    } else {
      Character();
    }
  }
  if (level_ > 0 && !lines_) {
    level_ = 1;
    TableEnd();
  }
  if (!cut && pos_ < n_ && s_[pos_] != 0xFF) cut = true;
  AddressList();
  if (cut) out_.Append(static_cast<const char*>(docopen::GetOpenText(docopen::OpenText::kDataOmitted)));
  r.cut = cut;
  r.links = static_cast<int>(links_.size());
  r.size = static_cast<std::int64_t>(out_.Size());
  return r;
}

}  // namespace

void LinkLabel(int k, char* x, char* y) {
  const int base = k < 100 ? '0' : k < 360 ? '7' : '=';
  *x = static_cast<char>(base + k / 10);
  *y = static_cast<char>('0' + k % 10);
}

MarkupResult RenderHtmlAsText(const std::uint8_t* src, std::size_t length, const MarkupWords& words,
                              LoadBuffer& out) {
  return Engine(markup::kHtmlDialect, src, length, words, out).Run();
}

MarkupResult RenderXmlAsText(const std::uint8_t* src, std::size_t length, const MarkupWords& words,
                             LoadBuffer& out) {
  return Engine(markup::kXmlDialect, src, length, words, out).Run();
}

}  // namespace convert
