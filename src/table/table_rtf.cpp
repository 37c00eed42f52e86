// The rich-text writer of a ruled table.
#include "table/table_rtf.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/docsvc/sjis_state.h"
#include "csv/csv_cellbreaks.h"
#include "table/table_cellfmt.h"
#include "table/table_walk.h"

namespace table {

namespace {

// RTF colour table entries 1-25 (entry 0 is the automatic colour, 26 the user's).
struct Rgb {
  int r, g, b;
};
constexpr Rgb kColours[] = {
    {1, 0, 0},                                                       // 1: line black
    {255, 0, 0}, {0, 160, 0}, {0, 0, 255}, {240, 240, 128},          // R G B Y
    {128, 64, 64}, {128, 0, 192}, {128, 128, 128}, {255, 0, 255},    // T V A I
    {0, 128, 255}, {255, 128, 0}, {255, 255, 255}, {0, 0, 0},        // S O W D
    {255, 192, 192}, {208, 255, 176}, {160, 176, 255}, {255, 255, 192},  // r g b y
    {192, 160, 160}, {192, 160, 224}, {192, 192, 192}, {255, 192, 255},  // t v a i
    {192, 208, 255}, {255, 192, 160}, {255, 255, 255}, {0, 0, 0},        // s o w d
};

// Font table: the four faces in CP932 bytes, written hex-escaped.
constexpr const char* kFaces[4] = {
    "\\'82\\'6c\\'82\\'72 \\'83\\'53\\'83\\'56\\'83\\'62\\'83\\'4e",           // J
    "\\'82\\'6c\\'82\\'72 \\'96\\'be\\'92\\'a9",                             // M
    "\\'82\\'6c\\'82\\'72 \\'82\\'6f\\'83\\'53\\'83\\'56\\'83\\'62\\'83\\'4e",  // P
    "\\'82\\'6c\\'82\\'72 \\'82\\'6f\\'96\\'be\\'92\\'a9",                     // N
};
constexpr const char* kFaceFamily[4] = {"\\fmodern", "\\froman", "\\fswiss", "\\froman"};

const char kRulePrefix[] = "\\pard\\sl-20\\slmult0";

std::string Fmt(const char* f, long long v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, f, v);
  return buf;
}

// Appends `word`, the decimal `v` and `tail` (the hot path's control words).
void Word(std::string* out, const char* word, long long v, const char* tail = "") {
  char buf[24];
  char* e = buf + sizeof buf;
  char* p = e;
  bool neg = v < 0;
  unsigned long long u = neg ? 0ull - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
  do {
    *--p = static_cast<char>('0' + u % 10);
    u /= 10;
  } while (u);
  if (neg) *--p = '-';
  out->append(word);
  out->append(p, static_cast<std::size_t>(e - p));
  out->append(tail);
}

void AppendHex(std::string* out, std::uint8_t b) {
  static const char kHex[] = "0123456789abcdef";
  *out += "\\'";
  *out += kHex[b >> 4];
  *out += kHex[b & 15];
}

// Cell text bytes as rich text: Shift-JIS pairs and control bytes as
// "\'xx", "{", "}" and "\" escaped, a TAB as a blank (it would end the cell).
// In the colour-bar column a marker byte switches the text colour first.
void AppendEscaped(std::string* out, const std::string& text, const RenderRequest& req, bool barColumn) {
  int state = 0;
  for (unsigned char b : text) {
    bool trail = state != 0;
    IsSjisLeadByteState80(b, &state);
    bool lead = !trail && state != 0;
    if (trail || lead) { AppendHex(out, b); continue; }
    if (barColumn && req.colourBarChars) {
      for (int k = 0; k < kMaxColourMarkers && req.colourBarChars[k]; ++k) {
        if (static_cast<unsigned char>(req.colourBarChars[k]) != b) continue;
        int colour = 0;
        if (b != ' ' && req.colourBarCodes) {
          // The codes string may be shorter than the markers.
          bool within = true;
          for (int j = 0; j <= k && within; ++j) within = req.colourBarCodes[j] != 0;
          if (within) colour = ColourIndex(static_cast<std::uint8_t>(req.colourBarCodes[k]));
        }
        Word(out, "\\cf", colour, " ");
        break;
      }
    }
    if (b == '{' || b == '}' || b == '\\') { *out += '\\'; *out += static_cast<char>(b); }
    else if (b == '\t') *out += ' ';
    else if (b < 0x20 || b == 0x7F) AppendHex(out, b);  // the in-cell break codes stay marks
    else *out += static_cast<char>(b);
  }
}

// The number of a picture cell: "[Im" and one or two digits (not three).
// -1 for any other cell.
int PictureCellNumber(const std::uint8_t* b, const std::uint8_t* e, std::string* digits) {
  if (e - b < 4 || std::memcmp(b, "[Im", 3) != 0) return -1;
  const std::uint8_t* p = b + 3;
  digits->clear();
  while (p < e && *p >= '0' && *p <= '9' && digits->size() < 3) digits->push_back(static_cast<char>(*p++));
  if (digits->empty() || digits->size() > 2) return -1;
  return std::atoi(digits->c_str());
}

// The fields of an image definition row "Im<n>", name, width, height.
struct PictureDefinition {
  std::string name;
  long long width = 0, height = 0;
};

bool FindPictureDefinition(const std::vector<RowText>& rows, int number, PictureDefinition* def) {
  for (const RowText& r : rows) {
    const std::uint8_t* p = r.begin;
    if (r.end - p < 3 || p[0] != 'I' || p[1] != 'm') continue;
    p += 2;
    int n = 0, count = 0;
    while (p < r.end && *p >= '0' && *p <= '9' && count < 3) n = n * 10 + (*p++ - '0'), ++count;
    if (count == 0 || n != number || (p < r.end && *p != 0x06)) continue;
    std::vector<std::string> fields;
    while (p < r.end && fields.size() < 3) {
      ++p;  // the 0x06
      const std::uint8_t* s = p;
      while (p < r.end && *p != 0x06) ++p;
      fields.emplace_back(reinterpret_cast<const char*>(s), static_cast<std::size_t>(p - s));
    }
    if (!fields.empty()) {
      std::string name = fields[0];
      // The name: up to its first control byte, at most 100 bytes, blanks around it dropped.
      std::size_t cut = 0;
      while (cut < name.size() && cut < 100 && static_cast<unsigned char>(name[cut]) >= 0x20) ++cut;
      name.resize(cut);
      const std::size_t a = name.find_first_not_of(' ');
      const std::size_t z = name.find_last_not_of(' ');
      def->name = a == std::string::npos ? std::string() : name.substr(a, z - a + 1);
    }
    if (fields.size() > 1) def->width = std::atoll(fields[1].c_str());
    if (fields.size() > 2) def->height = std::atoll(fields[2].c_str());
    return true;
  }
  return false;
}

struct RuleSegment {
  int highlight;     // -1 no switch, 0 off, 1 on
  std::string fill;  // the filler after the switch
};

class Writer {
 public:
  Writer(const std::uint8_t* text, std::uint32_t len, const csv::CsvBlockIndex& index, const RenderRequest& req,
         RtfSink* sink, RtfStats* stats)
      : text_(text), len_(len), index_(index), req_(req), sink_(sink), stats_(stats) {}

  void Run();

 private:
  bool Simple() const { return req_.cmd == kCmdNewTable; }
  bool CellForm() const { return req_.cmd == kCmdCellFormat; }
  bool Ruled() const { return req_.editMode == kRuledEditMode; }

  void SplitRows();
  void WriteBlock(std::size_t from, std::size_t to, bool first);
  std::vector<RuleSegment> RuleSegments() const;
  std::string RuleRow(int colour, int span) const;
  std::string Prefix(int height, bool tall) const;
  void WriteRow(const RowText& row, bool plain, std::string* out, std::uint32_t* paras);
  void WriteCell(const CellSplit& cell, const FormatCodes& rowCodes, const FormatCodes* cellCodes, int c, int cells,
                 bool inRange, int rowHeight, std::string* out, bool plain);
  // A picture cell: the row text so far goes to the sink, then the bitmap
  // object of picture `number` (`digits` as written in the cell). False
  // when the picture was skipped (the cell then shows its text).
  bool EmbedPicture(int number, const std::string& digits, std::string* out);
  // Hands a chunk to the sink and its paragraphs to the map (all for source
  // row `row`); `rowDone`: the chunk ends that row.
  bool Flush(std::string* chunk, std::uint32_t paras, std::uint32_t row, bool rowDone);

  const std::uint8_t* text_;
  std::uint32_t len_;
  const csv::CsvBlockIndex& index_;
  const RenderRequest& req_;
  RtfSink* sink_;
  RtfStats* stats_;
  std::vector<RowText> rows_;
  std::vector<RowText> blockRows_;  // the rows of the block being written
  bool stopped_ = false;

  // Per block.
  BlockLayout block_;
  std::string tabList_;
  std::string sizeSwitch_;
  std::string blockRule_;
  int n_ = 0;  // column count with the lead-in
  std::int64_t lastBreak_ = -1000;
  // Per cell: the attributes the previous cell left on.
  bool prevBold_ = false, prevUl_ = false, prevItalic_ = false, prevStrike_ = false;
};

void Writer::SplitRows() {
  std::uint32_t i = 0, number = 0;
  while (i < len_ && text_[i]) {
    std::uint32_t s = i;
    while (i < len_ && text_[i] != '\r' && text_[i] != '\n' && text_[i]) ++i;
    rows_.push_back(RowText{number++, text_ + s, text_ + i});
    if (i < len_ && text_[i] == '\r') ++i, (i < len_ && text_[i] == '\n') ? ++i : 0;
    else if (i < len_ && text_[i] == '\n') ++i;
  }
}

bool Writer::Flush(std::string* chunk, std::uint32_t paras, std::uint32_t row, bool rowDone) {
  if (chunk->empty()) return true;
  if (!sink_->Append(*chunk)) {
    stopped_ = true;
    stats_->cut = true;
    return false;
  }
  chunk->clear();
  for (std::uint32_t k = 0; k < paras; ++k) {
    std::uint32_t at = stats_->paragraphs++;
    if (req_.paraRowMap && at < req_.paraRowMapSize) req_.paraRowMap[at] = row;
  }
  if (rowDone) stats_->cutAfterRow = static_cast<std::int32_t>(row);
  return true;
}

std::string Writer::Prefix(int height, bool tall) const {
  std::string p;
  if (height == 0) return "\\pard\\sl-1\\slmult0";
  Word(&p, "\\pard\\sl-", (tall ? 12LL : 10LL) * (height < 0 ? block_.H : height) + 30, "\\slmult0");
  return p;
}

bool Flagged(const BlockLayout& b, int column) {
  const FormatCodes* f = b.Format(column);
  return f && f->ruleFlag;
}

std::vector<RuleSegment> Writer::RuleSegments() const {
  std::vector<RuleSegment> segs;
  const std::string A = "\\fs2  \\tab";
  for (int c = 0; c <= n_ - 3; ++c) {
    RuleSegment s{-1, A};
    if (c >= kWalk.tabColumns) {
      int w = block_.Width(c);
      int k = w / block_.U;
      k = k < 0 ? 1 : std::min(k, kWalk.blanks);
      s.fill = "\\fs2 .." + sizeSwitch_ + std::string(static_cast<std::size_t>(k), ' ') + "  ";
    }
    if (c == 0) {
      s.highlight = (CellForm() || Flagged(block_, 0)) ? 0 : 1;
      s.fill = "\\tab" + std::string("\x01") + s.fill;  // the switch goes after the first tab
    } else if (Flagged(block_, c)) {
      s.highlight = 0;
    } else if (Flagged(block_, c - 1) || (CellForm() && c == 1)) {
      s.highlight = 1;
    }
    if (CellForm() && c == n_ - 5) s.fill = "\\highlight0\\fs2  ";
    if (CellForm() && c == n_ - 4) s.fill = "\\fs2  ";
    segs.push_back(s);
  }
  return segs;
}

// A rule row in `colour` (1 = black), cut after `span` columns (-1: none).
std::string Writer::RuleRow(int colour, int span) const {
  std::vector<RuleSegment> segs = RuleSegments();
  std::string out;
  bool cut = false;
  for (int c = 0; c < static_cast<int>(segs.size()); ++c) {
    RuleSegment s = segs[static_cast<std::size_t>(c)];
    std::string sw;
    if (span >= 0 && c == span && !cut) {
      cut = true;
      const FormatCodes* f = block_.Format(span - 1);
      bool thick = f && f->line[1] == '2';
      sw += thick ? "\\fs2   " : "\\fs2  ";
      if (span < kWalk.tabColumns) sw += " ";
      sw += "\\highlight0";
    }
    if (s.highlight >= 0) {
      int h = s.highlight ? (cut ? 0 : colour) : 0;
      sw += Fmt("\\highlight%lld", h);
    }
    std::size_t mark = s.fill.find('\x01');
    if (mark != std::string::npos) {
      out += s.fill.substr(0, mark) + sw + s.fill.substr(mark + 1);
    } else {
      out += sw + s.fill;
    }
  }
  out += "\\fs2  \\highlight0\\par\n";
  return out;
}

void Writer::WriteCell(const CellSplit& cell, const FormatCodes& rowCodes, const FormatCodes* cellCodes, int c,
                       int cells, bool inRange, int rowHeight, std::string* out, bool plain) {
  CellFormat f = EffectiveFormat(block_, rowCodes, c, cellCodes);
  int W = block_.Width(c);
  const std::uint8_t* tb = plain ? (cell.caret ? cell.codesBegin - 1 : cell.textBegin) : cell.textBegin;
  std::string shown = ShownCellText(tb, cell.textEnd, f, W, block_.U, Ruled());
  bool pastTabs = c >= kWalk.tabColumns;
  // Page-break cell of the ruled form.
  bool pageBreak = !Simple() && (shown == "~~ " || shown == "~~");
  if (Simple()) {
    *out += c == 0 ? "\\tab\\highlight1\\fs2  \\highlight0" : "\\highlight1\\fs2  \\highlight0";
    *out += sizeSwitch_ + " ";
  } else {
    if (c == 0) *out += "\\tab";
    if (f.leftLine == '0' || f.leftLine == '9') *out += "\\highlight0";
    else Word(out, "\\highlight", f.leftColour ? f.leftColour : 1);
    if (prevBold_) *out += "\\b0";
    if (prevUl_) *out += "\\ulnone";
    if (prevItalic_) *out += "\\i0";
    if (prevStrike_) *out += "\\strike0";
    if (pastTabs) {
      *out += "\\fs2 _\\highlight0\\fs2 _";
    } else if (CellForm()) {
      *out += "\\fs2 ";
    } else {
      bool dot = (f.ownLineCodes && c > 0) || !inRange;
      *out += "\\fs2 ";
      *out += dot ? '.' : ' ';
      if (f.leftLine == '2') {
        *out += '.';
        int rowFace = rowCodes.face;
        const FormatCodes* cf = block_.Format(c);
        int colFace = cf ? cf->face : 0;
        if (rowFace >= 3 || colFace >= 3) *out += ' ';
      }
    }
    Word(out, "\\cf", f.textColour);
    Word(out, "\\highlight", f.backColour);
    if (f.bold) *out += "\\b";
    if (f.italic) *out += "\\i";
    Word(out, "\\f", f.face ? f.face - 1 : 0);
    Word(out, "\\fs", f.fontSize ? f.fontSize : block_.F, "  ");
  }
  // Vertical position.
  int size = f.fontSize ? f.fontSize : block_.F;
  int up = 0;
  if (rowHeight > size + 3) {
    if (f.valign == 'T') up = rowHeight - size - 3;
    else if (f.valign == 'M') up = (rowHeight - size) / 2 - 3;
  }
  if (up > 0) Word(out, "\\up", up, " ");
  else *out += "\\up0 ";
  int picture = -1;
  std::string digits;
  if (!pageBreak && !req_.pictureFolder.empty()) picture = PictureCellNumber(cell.textBegin, cell.textEnd, &digits);
  if (pageBreak) {
    *out += "~`\\page";
  } else if (picture >= 0 && EmbedPicture(picture, digits, out)) {
    // The object stands in the cell's place.
  } else {
    std::size_t lead = shown.find_first_not_of(' ');
    bool blank = lead == std::string::npos;
    if (blank) lead = shown.size();
    *out += shown.substr(0, lead);
    if (!blank && f.underline) *out += "\\ul ";
    if (!blank && f.strike) *out += "\\strike ";
    std::string rest = shown.substr(lead);
    if (pastTabs) {
      // Blanks stand in for the tab: the text is padded to the column width.
      int k = std::min(W / std::max(block_.U, 1), kWalk.blanks);
      if (static_cast<int>(shown.size()) < k) rest.append(static_cast<std::size_t>(k) - shown.size(), ' ');
    }
    AppendEscaped(out, rest, req_, req_.colourBarColumn > 0 && c + 1 == req_.colourBarColumn);
  }
  if (up > 0) *out += "\\up0";
  prevBold_ = f.bold;
  prevUl_ = f.underline;
  prevItalic_ = f.italic;
  prevStrike_ = f.strike;
  bool last = c == cells - 1;
  if (pastTabs) *out += ' ';
  else if (!(CellForm() && last)) *out += "\\tab";
}

bool Writer::EmbedPicture(int number, const std::string& digits, std::string* out) {
  PictureDefinition def;
  const bool defined = FindPictureDefinition(blockRows_, number, &def);
  std::string name = def.name;
  if (name.size() <= 3) name = "image" + digits + ".bmp";
  const std::string path = name.find('\\') == std::string::npos ? req_.pictureFolder + name : name;
  // Sizes: the definition row's x 10; a size of 100000 or more is 500 wide
  // or 300 high; none given: the bitmap's own.
  long long w = defined ? def.width * 10 : 0;
  long long h = defined ? def.height * 10 : 0;
  if (w >= 100000) w = 500;
  if (h >= 100000) h = 300;
  if (w < 0) w = 0;
  if (h < 0) h = 0;
  // The row text written so far goes first, so the object follows it.
  if (!out->empty() && !sink_->Append(*out)) return false;
  out->clear();
  return sink_->AppendPicture(path, static_cast<int>(w), static_cast<int>(h));
}

void Writer::WriteRow(const RowText& row, bool plain, std::string* out, std::uint32_t* paras) {
  std::vector<CellSplit> cells;
  SplitRow(row.begin, row.end, &cells);
  FormatCodes rowCodes;
  if (!plain && cells[0].caret) ReadCodes(cells[0].codesBegin, cells[0].codesEnd, kRowCodes, &rowCodes);
  std::vector<FormatCodes> cellCodes(cells.size());
  int height = rowCodes.height;
  if (!plain) {
    for (std::size_t c = 1; c < cells.size(); ++c) {
      if (!cells[c].caret) continue;
      ReadCodes(cells[c].codesBegin, cells[c].codesEnd, kCellCodes, &cellCodes[c]);
      if (cellCodes[c].height >= 0) height = cellCodes[c].height;
    }
  }
  std::int64_t r = row.number;
  bool inRange = block_.ltRow < 0 || (r >= block_.ltRow && (block_.gtRow < 0 || r < block_.gtRow));
  // A mark paragraph in front of the row.
  if (rowCodes.mark == 1) { *out += "\\ ~~ \\par\n"; ++*paras; ++stats_->markParagraphs; }
  if (rowCodes.mark == 2) { *out += "\\tab\\ ~~ \\par\n"; ++*paras; ++stats_->markParagraphs; }
  // Rule paragraphs above the row.
  int above = rowCodes.line[0] == '1' ? 1 : rowCodes.line[0] == '2' ? 2 : 0;
  for (int k = 0; k < above; ++k) {
    *out += kRulePrefix + tabList_ + RuleRow(rowCodes.lineColour[0] ? rowCodes.lineColour[0] : 1, -1);
    ++*paras;
  }
  int rh = height >= 0 ? height : -1;
  *out += Prefix(rh, above > 0) + tabList_ + sizeSwitch_;
  prevBold_ = prevUl_ = prevItalic_ = prevStrike_ = false;
  int rowHeight = height >= 0 ? height : block_.H;
  for (std::size_t c = 0; c < cells.size(); ++c) {
    const FormatCodes* cc = (!plain && c > 0 && cells[c].caret) ? &cellCodes[c] : nullptr;
    WriteCell(cells[c], rowCodes, cc, static_cast<int>(c), static_cast<int>(cells.size()), inRange,
              height >= 0 ? height : 0, out, plain);
  }
  (void)rowHeight;
  if (prevUl_) *out += "\\ulnone";
  if (prevStrike_) *out += "\\strike0";
  *out += "\\highlight0\\par\n";
  ++*paras;
  // Rule paragraphs below the row.
  int below = rowCodes.line[1] == '1' ? 1 : rowCodes.line[1] == '2' ? 2 : 0;
  int colour = rowCodes.lineColour[1] ? rowCodes.lineColour[1] : rowCodes.lineColour[0] ? rowCodes.lineColour[0] : 1;
  int span = rowCodes.ruleSpan;
  if (span > block_.columns) span = block_.columns;
  for (int k = 0; k < below; ++k) {
    *out += kRulePrefix + tabList_ + RuleRow(colour, span);
    ++*paras;
  }
}

void Writer::WriteBlock(std::size_t from, std::size_t to, bool first) {
  bool ranged = req_.firstLine != 0 || req_.lastLine != 0;
  if (ranged && (static_cast<std::int64_t>(to) <= req_.firstLine || static_cast<std::int64_t>(from) > req_.lastLine)) {
    return;  // no row of this block is written
  }
  std::vector<RowText> rows(rows_.begin() + static_cast<std::ptrdiff_t>(from), rows_.begin() + static_cast<std::ptrdiff_t>(to));
  blockRows_ = rows;
  LayoutBlock(rows, req_.row, &block_);
  stats_->fontSize = block_.F;
  stats_->maxColumns = std::max(stats_->maxColumns, block_.columns);
  std::vector<std::int64_t> stops = TabStops(block_, req_.cmd);
  n_ = block_.columns + (Simple() ? 0 : 2);
  tabList_.clear();
  for (std::size_t i = 0; i < stops.size() && i < static_cast<std::size_t>(kWalk.tabColumns + 2); ++i) {
    tabList_ += Fmt("\\tx%lld", stops[i]);
  }
  sizeSwitch_ = Fmt("\\fs%lld ", block_.F);
  if (first && req_.columnEdges) {
    for (std::uint32_t c = 0; c < req_.columnEdgeSize && c < kColumnEdgeCount; ++c) {
      std::int64_t v;
      if (c < 31) v = c < stops.size() ? stops[c] : 0;
      else v = block_.Width(static_cast<int>(c));
      req_.columnEdges[c] = static_cast<std::int32_t>(std::min<std::int64_t>(v, 0x7FFFFFFF));
    }
  }
  // The block opening.
  std::string chunk;
  std::uint32_t paras = 0;
  chunk += Prefix(-1, false);
  bool full = req_.openingForm >= 0 ? req_.openingForm == 1 : (req_.row == 0 && req_.firstLine == 0);
  if (full) {
    chunk += tabList_ + "\\cf1\\lang1041\\f0" + sizeSwitch_ + " \\par\n";
    ++paras;
    if (block_.settings.titleMark) { chunk += "\\ ~~\\par\n"; ++paras; }
  } else {
    chunk += "\\cf1\\lang1041\\f0" + sizeSwitch_;
  }
  if (!Flush(&chunk, paras, rows.empty() ? 0 : rows.front().number, false)) return;

  for (const RowText& row : rows) {
    if (ranged && (static_cast<std::int64_t>(row.number) < req_.firstLine ||
                   static_cast<std::int64_t>(row.number) > req_.lastLine)) continue;
    RowKind kind = static_cast<RowKind>(block_.kinds[row.number - rows.front().number]);
    paras = 0;
    if (kind == kRowBang) {
      std::int64_t r = row.number;
      bool breakLine = row.end - row.begin >= 2 && (row.begin[1] == '*' || row.begin[1] == '#');
      if (breakLine && block_.ltRow > 5 && r <= block_.ltRow && r >= static_cast<std::int64_t>(block_.firstRow) &&
          r > lastBreak_ + 1) {
        chunk += "\\~~` \\page\\par\n";
        ++paras;
        ++stats_->markParagraphs;
        lastBreak_ = r;
      }
    } else if (kind == kRowData || kind == kRowPlain) {
      WriteRow(row, kind == kRowPlain, &chunk, &paras);
    }
    if (!Flush(&chunk, paras, row.number, true)) return;
  }
}

void Writer::Run() {
  SplitRows();
  if (rows_.empty()) rows_.push_back(RowText{0, text_, text_});
  // Block starts: the index's first rows, taken while they rise.
  std::vector<std::size_t> starts{0};
  std::uint32_t blocks = std::min<std::uint32_t>(index_.m_aSecRow[0], csv::MAX_CSV_BLOCKS - 1);
  for (std::uint32_t k = 2; k <= blocks; ++k) {
    std::uint32_t r = index_.m_aSecRow[k];
    if (r == 0) continue;
    std::size_t s = r - 1;
    if (s > starts.back() && s < rows_.size()) starts.push_back(s);
  }
  starts.push_back(rows_.size());
  std::string header = RtfHeader(req_.userColour);
  if (!Flush(&header, 0, 0, false)) return;
  bool first = true;
  for (std::size_t b = 0; b + 1 < starts.size() && !stopped_; ++b) {
    block_.firstRow = static_cast<std::uint32_t>(starts[b]);
    block_.endRow = static_cast<std::uint32_t>(starts[b + 1]);
    bool wrote = !(req_.firstLine != 0 || req_.lastLine != 0) ||
                 (static_cast<std::int64_t>(starts[b + 1]) > req_.firstLine &&
                  static_cast<std::int64_t>(starts[b]) <= req_.lastLine);
    WriteBlock(starts[b], starts[b + 1], first);
    if (wrote) first = false;
  }
}

}  // namespace

std::string RtfHeader(std::uint32_t userColour) {
  std::string h = "{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl";
  for (int i = 0; i < 4; ++i) {
    h += Fmt("{\\f%lld", i) + kFaceFamily[i] + "\\fcharset128 " + kFaces[i] + ";}";
  }
  h += "}\n{\\colortbl ;";
  for (const Rgb& c : kColours) {
    h += Fmt("\\red%lld", c.r) + Fmt("\\green%lld", c.g) + Fmt("\\blue%lld;", c.b);
  }
  h += Fmt("\\red%lld", userColour & 0xFF) + Fmt("\\green%lld", (userColour >> 8) & 0xFF) +
       Fmt("\\blue%lld;", (userColour >> 16) & 0xFF);
  h += "}\n";
  return h;
}

std::string RtfClosing(int fontSize) { return Fmt("\\pard\\sl-240\\fs%lld \\par\n}", fontSize); }

void WriteRtf(const std::uint8_t* text, std::uint32_t len, const csv::CsvBlockIndex& index, const RenderRequest& req,
              RtfSink* sink, RtfStats* stats) {
  Writer w(text, len, index, req, sink, stats);
  w.Run();
}

}  // namespace table
