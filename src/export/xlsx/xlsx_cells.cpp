#include "export/xlsx/xlsx_cells.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "csv/csv_buffer.h"
#include "fw/sjis.h"

namespace xlsx {

namespace {

bool Unset(unsigned char b) { return b == '_' || b == 0; }
bool UnsetAlign(unsigned char b) { return b == '@' || b == '_' || b == 0; }
unsigned char Flags(unsigned char b) { return b == '_' ? 0 : b; }
int LimitDigit(unsigned char b) { return b >= '1' && b <= '9' ? b - '0' : 0; }

// A trail byte of a double-byte character.
bool IsTrail(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

// Bytes of one table line from `pos`: where its first field ends and where
// the line ends (CR, LF, NUL or the end of the text).
struct Text {
  const unsigned char* p;
  std::uint32_t n;
  unsigned char At(std::uint64_t i) const { return i < n ? p[i] : 0; }
  std::uint32_t LineEnd(std::uint32_t pos) const {
    while (pos < n && p[pos] != '\r' && p[pos] != '\n' && p[pos] != 0) ++pos;
    return pos;
  }
  // Start of the next line after the line end at `pos` (CR LF, CR or LF).
  std::uint32_t NextLine(std::uint32_t pos) const {
    if (pos < n && p[pos] == '\r') ++pos;
    if (pos < n && p[pos] == '\n') ++pos;
    return pos;
  }
  bool Ended(std::uint32_t pos) const { return pos >= n || p[pos] == 0; }
};

// The format objects of the row being written, of the row above and below.
class ObjectRows {
 public:
  explicit ObjectRows(const XlsxObjectLayer& layer) : m_layer(layer) {
    m_on = layer.Present();
    if (m_on) {
      m_above.assign(kObjectColumns + 2, 0);
      m_cur.assign(kObjectColumns + 2, 0);
      m_below.assign(kObjectColumns + 2, 0);
    }
  }
  bool On() const { return m_on; }

  // Decodes the grid lines of sheet row r (1-based) and the row below it.
  void Load(std::uint32_t r) {
    if (!m_on) return;
    Decode(r - 1, m_cur);
    Decode(r, m_below);
    m_rowOverlaps.clear();
    for (const XlsxOverlap& o : m_layer.overlaps)
      if (o.row == r) m_rowOverlaps.push_back(o);
  }
  void Advance() {
    if (m_on) m_above.swap(m_cur);
  }
  // Shape record covering column c of the current row (above, below), or null.
  const XlsxRecordBytes* Cur(std::uint32_t c) const { return Get(m_cur, c); }
  const XlsxRecordBytes* Above(std::uint32_t c) const { return Get(m_above, c); }
  const XlsxRecordBytes* Below(std::uint32_t c) const { return Get(m_below, c); }
  const XlsxRecordBytes* Overlap(std::uint32_t c) const {
    for (const XlsxOverlap& o : m_rowOverlaps)
      if (o.column == c && o.object >= 1 && o.object <= m_layer.shapes.size())
        return &m_layer.shapes[o.object - 1].rec;
    return nullptr;
  }

 private:
  const XlsxRecordBytes* Get(const std::vector<std::uint16_t>& v, std::uint32_t c) const {
    if (!m_on || c < 1 || c > static_cast<std::uint32_t>(kObjectColumns)) return nullptr;
    const std::uint16_t k = v[c];
    if (k == 0 || k > m_layer.shapes.size()) return nullptr;
    return &m_layer.shapes[k - 1].rec;
  }
  void Decode(std::uint32_t line, std::vector<std::uint16_t>& v) const {
    std::fill(v.begin(), v.end(), 0);
    const std::uint64_t cols = m_layer.gridColumns;
    const std::uint64_t lineLen = 3 * cols + 4;
    const std::uint64_t base = lineLen * line;
    const std::uint64_t used = std::min<std::uint64_t>(cols, kObjectColumns);
    for (std::uint64_t c = 1; c <= used; ++c) {
      const std::uint64_t at = base + 3 * (c - 1);
      if (at + 1 >= m_layer.grid.size()) break;
      const unsigned char hi = m_layer.grid[at], lo = m_layer.grid[at + 1];
      if (hi < '0' || hi > 'O' || lo < '0' || lo > 'O') continue;
      const int value = (hi - '0') * 32 + (lo - '0');
      if (value >= 1 && value <= 999) v[c] = static_cast<std::uint16_t>(value);
    }
  }

  const XlsxObjectLayer& m_layer;
  bool m_on = false;
  std::vector<std::uint16_t> m_above, m_cur, m_below;
  std::vector<XlsxOverlap> m_rowOverlaps;
};

// Writes one sheet's rows.
class RowWriter {
 public:
  RowWriter(const csv::TableFields& t, const XlsxSheetLayout& layout, XlsxStyleSlots& slots,
            exportcore::ByteWriter& out, XlsxSheetResult& result, std::uint32_t spanColumns)
      : m_text{t.m_pTextBuf, t.m_pTextBuf ? std::min(t.m_nTextLen, t.m_nWorkSize) : 0u},
        m_l(layout),
        m_slots(slots),
        m_out(out),
        m_res(result),
        m_span(spanColumns),
        m_objects(layout.objects) {
    m_default = DefaultRecordBytes();
    m_lastColumnIndex = layout.columnCount > 0 ? layout.columnCount - 1 : 0;
    if (layout.titleRangeMode && m_lastColumnIndex > 0) --m_lastColumnIndex;
  }

  void Run(std::uint64_t closeBytes);

 private:
  struct Row {
    std::uint32_t r = 0;        // sheet row (1-based)
    std::uint32_t textRow = 0;  // text row number
    XlsxRecordBytes rec;
    bool hasEntry = false;
    unsigned flags = 0;
    int limit1 = 0, limit2 = 0, limit3 = 0;
    // Right border carried into the next cell's left border.
    unsigned char carryBorder = 0, carryColour = 0;
  };

  const XlsxRecordBytes& ColumnRecord(std::uint32_t c) const {
    return m_l.HasColumnFormat(c) ? m_l.columnFormats[c] : m_default;
  }
  void WriteRowHead(const Row& row);
  bool Compose(Row& row, std::uint32_t c, bool filler, XlsxCellStyleRecord& out);
  void WriteCell(Row& row, std::uint32_t c, std::uint32_t start, std::uint32_t end, bool filler);
  void WriteHead(std::uint32_t c, std::uint32_t r, int slot);
  void CopyField(std::uint32_t p, std::uint32_t end, XlsxCellKind kind, bool quoted, bool colourBar);
  std::string ColourRunHead(unsigned char marker) const;

  Text m_text;
  const XlsxSheetLayout& m_l;
  XlsxStyleSlots& m_slots;
  SheetOut m_out;
  XlsxSheetResult& m_res;
  std::uint32_t m_span;
  ObjectRows m_objects;
  XlsxRecordBytes m_default;
  std::uint32_t m_lastColumnIndex = 0;
  std::size_t m_cursor = 0;  // next row format entry
  // The record of the text row written last, for the thick top of the next.
  bool m_prevHasEntry = false;
  std::uint32_t m_prevTextRow = 0;
  XlsxRecordBytes m_prevRec;
};

void RowWriter::Run(std::uint64_t closeBytes) {
  const std::vector<XlsxRowFormat>& formats = m_l.rowFormats;
  std::uint32_t pos = m_l.startOffset;
  std::uint32_t textRow = m_l.firstTextRow;
  std::uint32_t r = 1;
  std::uint32_t reached = 0;  // columns the previous row reached
  while (!m_text.Ended(pos) && textRow <= m_l.endRow && r <= kMaxRows) {
    // A "!*" head line is not a row.
    if (m_text.At(pos) == '!' && m_text.At(pos + 1) == '*') {
      pos = m_text.NextLine(m_text.LineEnd(pos));
      ++textRow;
      continue;
    }
    // Room for the longest text this row can give, and the part's end.
    const std::uint32_t lineEnd = m_text.LineEnd(pos);
    std::uint64_t fields = 1;
    for (std::uint32_t i = pos; i < lineEnd; ++i) fields += m_text.p[i] == csv::CSV_FIELD_SEP;
    const std::uint64_t len = lineEnd - pos;
    const std::uint64_t bound = 256 + len * (m_l.colourBarColumn != 0 ? 200 : 6) +
                                (std::min<std::uint64_t>(fields, kSheetColumns) + reached) * 256;
    if (!m_out.Room(bound + closeBytes)) {
      m_res.cut = true;
      return;
    }
    Row row;
    row.r = r;
    row.textRow = textRow;
    while (m_cursor < formats.size() && formats[m_cursor].row < textRow) ++m_cursor;
    if (m_cursor < formats.size() && formats[m_cursor].row == textRow) {
      row.rec = formats[m_cursor].rec;
      row.hasEntry = true;
      ++m_cursor;
    } else {
      row.rec = m_default;
    }
    row.flags = Flags(row.rec.c[9]);
    row.limit1 = LimitDigit(row.rec.c[16]);
    row.limit2 = LimitDigit(row.rec.c[17]);
    row.limit3 = LimitDigit(row.rec.c[18]);
    m_objects.Load(r);

    WriteRowHead(row);
    // The cells: every field up to the last column a sheet holds.
    std::uint32_t c = 1;
    std::uint32_t p = pos;
    for (;;) {
      std::uint32_t e = p;
      while (e < lineEnd && m_text.p[e] != csv::CSV_FIELD_SEP) ++e;
      if (c <= kSheetColumns) WriteCell(row, c, p, e, false);
      if (e >= lineEnd) break;
      p = e + 1;
      ++c;
    }
    std::uint32_t last = std::min(c, kSheetColumns);
    // Row end: a row that stops short of the previous one is filled up to it
    // when its top border asks for it.
    const bool rowEnded = lineEnd < m_text.n && (m_text.p[lineEnd] == '\r' || m_text.p[lineEnd] == '\n');
    if (rowEnded && last < reached && (row.rec.c[10] == '1' || row.rec.c[10] == '2')) {
      for (std::uint32_t f = last + 1; f <= reached; ++f) WriteCell(row, f, 0, 0, true);
      last = reached;
    }
    reached = last;
    m_out.Str("</row>");
    if (m_out.Failed()) return;
    m_res.rowsWritten = r;
    m_res.widestRow = std::max(m_res.widestRow, last);

    m_prevHasEntry = row.hasEntry;
    m_prevTextRow = textRow;
    m_prevRec = row.rec;
    m_objects.Advance();
    ++r;
    ++textRow;
    pos = m_text.NextLine(lineEnd);
    // Title-range mode: the line at the title mark is left out; skip-row
    // mode: so is the line after the title row. Both count as text rows.
    if (!m_text.Ended(pos) &&
        ((m_l.titleRangeMode && m_l.titleMarkOffset != 0 && pos == m_l.titleMarkOffset) ||
         (m_l.skipRowMode && textRow == m_l.titleRow + 1))) {
      pos = m_text.NextLine(m_text.LineEnd(pos));
      ++textRow;
    }
  }
}

bool IsThick(unsigned char b) { return b == '2' || b == '4' || b == '5'; }

void RowWriter::WriteRowHead(const Row& row) {
  const unsigned char* rec = row.rec.c;
  m_out.Str("<row r=\"");
  m_out.Dec(row.r);
  m_out.Str("\" spans=\"1:");
  m_out.Dec(m_span);
  m_out.Str("\"");
  const unsigned flags = row.flags;
  if (flags & 0x24) m_out.Str(" hidden=\"1\"");
  unsigned char code = rec[20];
  if (Unset(code) && m_l.defaultRowHeight > 0) code = m_l.defaultRowHeight;
  unsigned char size = Unset(rec[8]) ? m_l.sizeDigit : rec[8];
  const int d = static_cast<int>(size) - '0';
  const int defaultHeight = d > 0 ? (8 * d + 24) / 3 : 18;
  int recorded = defaultHeight;
  if (flags & 0x02) {
    m_out.Str(" ht=\"1.5\" customHeight=\"1\"");
    recorded = 2;
  } else if (code > '@' && code != '_') {
    int h = std::max(code - 64, 1);
    recorded = h;
    if (h > 100) h = (5 * h - 450) * 2;
    m_out.Str(" ht=\"");
    m_out.Dec(3 * h / 4);
    m_out.Str("\" customHeight=\"1\"");
  } else if (flags & (0x02 | 0x04 | 0x10 | 0x20)) {
    m_out.Str(" customHeight=\"1\"");
  }
  if (row.r <= m_res.rowHeights.size())
    m_res.rowHeights[row.r - 1] = static_cast<std::uint8_t>(std::min(recorded, 255));
  if (flags & 0x30) {
    int level = 1;
    if (flags >= 0x10 && rec[4] >= '1' && rec[4] <= '9') level = rec[4] - '0';
    m_out.Str(" outlineLevel=\"");
    m_out.Dec(level);
    m_out.Str("\"");
  }
  // A thick border between this row and the next, or the previous one,
  // drawn by whichever record carries it.
  const std::vector<XlsxRowFormat>& formats = m_l.rowFormats;
  const bool nextThickTop = m_cursor < formats.size() && formats[m_cursor].row == row.textRow + 1 &&
                            IsThick(formats[m_cursor].rec.c[10]);
  if (IsThick(rec[11]) || nextThickTop) m_out.Str(" thickBot=\"1\"");
  const bool prevThickBottom = m_prevHasEntry && m_prevTextRow + 1 == row.textRow && IsThick(m_prevRec.c[11]);
  if (IsThick(rec[10]) || prevThickBottom) m_out.Str(" thickTop=\"1\"");
  m_out.Str(">");
}

bool RowWriter::Compose(Row& row, std::uint32_t c, bool filler, XlsxCellStyleRecord& out) {
  const std::uint32_t textRow = row.textRow;
  const std::int64_t t = textRow;
  if (t + 2 < m_l.titleRow || textRow > m_l.endRow) return false;
  const bool hasColumn = m_l.HasColumnFormat(c);
  if (!row.hasEntry && !hasColumn && !m_objects.On()) return false;
  if (m_l.titleRangeMode && c > m_lastColumnIndex) return false;

  const std::int64_t rel = static_cast<std::int64_t>(row.r) - m_l.blockStartLine;
  // 0. The column record, with a thin right border when it has none, and the
  //    positions its limit digits leave out of the first rows.
  XlsxRecordBytes col = ColumnRecord(c);
  if (hasColumn && Unset(col.c[3])) col.c[3] = '1';
  static const int kLimited[3] = {2, 3, 6};
  for (int k = 0; k < 3; ++k) {
    const int d = LimitDigit(col.c[16 + k]);
    if (d > 0 && rel < d) col.c[kLimited[k]] = '_';
  }
  // The previous cell's right border becomes this cell's left border.
  if (row.carryBorder != 0) {
    const unsigned char b = col.c[2];
    if (Unset(b) || (row.carryBorder >= '2' && row.carryBorder <= '5' && (b == '1' || b == '2'))) {
      col.c[2] = row.carryBorder;
      if (Unset(col.c[12])) col.c[12] = row.carryColour;
    }
  }
  row.carryBorder = row.carryColour = 0;

  const XlsxRecordBytes& rr = row.rec;
  XlsxRecordBytes rec;
  const bool inTable = textRow >= m_l.titleRow && textRow < m_l.rowLimit;
  const bool onTitle = textRow == m_l.titleRow;
  // 1. Row and column merged.
  if (inTable) {
    const bool colWins = (Flags(rr.c[7]) & 0x80) || (Flags(col.c[7]) & 0x80);
    const XlsxRecordBytes& first = colWins ? col : rr;
    const XlsxRecordBytes& second = colWins ? rr : col;
    rec = first;
    for (int k = 0; k < kStyleRecordLength; ++k) {
      const bool unset = k == 0 ? UnsetAlign(rec.c[k]) : Unset(rec.c[k]);
      if (unset) rec.c[k] = second.c[k];
    }
    if (!colWins) {
      if (!onTitle) rec.c[7] = static_cast<unsigned char>(Flags(rr.c[7]) | Flags(col.c[7]));
    } else {
      if (onTitle) {
        rec.c[0] = rr.c[0];
        rec.c[1] = rr.c[1];
      }
      rec.c[7] = static_cast<unsigned char>(Flags(rec.c[7]) & 0x7F);
    }
    if (row.limit3 > 0 && c < static_cast<std::uint32_t>(row.limit3)) rec.c[6] = col.c[6];
  } else {
    rec = rr;
  }
  // 2. Sheet defaults.
  if (Unset(rec.c[8])) rec.c[8] = m_l.sizeDigit;
  if (inTable) {
    if (rec.c[0] == '@') rec.c[0] = m_l.defaultAlign;
    if (rec.c[1] == '_') rec.c[1] = m_l.defaultType;
    if (Unset(rec.c[5])) rec.c[5] = m_l.defaultFontColour;
    if (Unset(rec.c[6])) rec.c[6] = m_l.defaultFillColour;
    unsigned char f = Flags(rec.c[7]);
    if ((f & 0x0F) == 0) f |= m_l.defaultFlags & 0x0F;
    if ((f & 0x70) == 0) f |= m_l.defaultFlags & 0x70;
    rec.c[7] = f;
  }
  // 3. A cell two regions cover shows the one named in the overlap list.
  if (inTable && m_objects.On()) {
    if (const XlsxRecordBytes* o = m_objects.Overlap(c)) {
      rec.c[5] = o->c[5];
      rec.c[6] = o->c[6];
      rec.c[7] = (Flags(o->c[7]) & 0x0F) == 0x0F ? 0 : o->c[7];
    }
  }
  // 4. Lines the row or column leaves out.
  if (row.flags & 0x01) rec.c[2] = rec.c[3] = '_';
  if (Flags(col.c[9]) & 0x01) rec.c[10] = rec.c[11] = '_';
  if (row.limit1 > 0 && c < static_cast<std::uint32_t>(row.limit1)) rec.c[10] = '_';
  if (row.limit2 > 0 && c < static_cast<std::uint32_t>(row.limit2)) rec.c[11] = '_';
  // 5. The format object covering the cell; no border between it and a
  //    neighbour of the same colours when its mode says so.
  if (const XlsxRecordBytes* o = m_objects.Cur(c)) {
    static const int kTaken[] = {0, 1, 4, 5, 6, 7, 8, 9};
    for (int k : kTaken) {
      const bool unset = k == 0 ? UnsetAlign(o->c[k]) : Unset(o->c[k]);
      if (!unset) rec.c[k] = o->c[k];
    }
    const unsigned char mode = o->c[9];
    const bool acrossH = mode == 'N' || mode == 'H';
    const bool acrossV = mode == 'N' || mode == 'V';
    const XlsxRecordBytes* side[4] = {c > 1 ? m_objects.Cur(c - 1) : nullptr, m_objects.Cur(c + 1),
                                       m_objects.Above(c), m_objects.Below(c)};
    static const int kBorder[4] = {2, 3, 10, 11};
    static const int kColour[4] = {12, 13, 14, 15};
    for (int s = 0; s < 4; ++s) {
      const XlsxRecordBytes* n = side[s];
      const bool joined = n && n->c[5] == o->c[5] && n->c[6] == o->c[6] && (s < 2 ? acrossH : acrossV);
      if (joined) {
        rec.c[kBorder[s]] = 0;
        rec.c[kColour[s]] = 0;
      } else {
        if (!Unset(o->c[kBorder[s]])) rec.c[kBorder[s]] = o->c[kBorder[s]];
        if (!Unset(o->c[kColour[s]])) rec.c[kColour[s]] = o->c[kColour[s]];
      }
    }
  }
  // 6. The right border carries into the next cell, unless the next
  //    column's limit keeps a thin one off the first rows.
  const XlsxRecordBytes& next = ColumnRecord(c + 1);
  const int d17 = LimitDigit(next.c[17]);
  if (d17 > 0 && row.r < static_cast<std::uint32_t>(d17) && rec.c[3] == '1') rec.c[3] = '_';
  if (!Unset(rec.c[3])) {
    row.carryBorder = rec.c[3];
    row.carryColour = rec.c[13];
  }
  // 7. Past the title row's last filled column, and in filler cells, no
  //    side lines or fill.
  if (onTitle && m_l.titleLastColumn > 0 && c > m_l.titleLastColumn) {
    rec.c[2] = rec.c[3] = rec.c[6] = rec.c[10] = rec.c[11] = '_';
  }
  if (filler) rec.c[2] = rec.c[3] = rec.c[6] = rec.c[11] = '_';
  std::memcpy(out.data(), rec.c, kStyleRecordLength);
  return true;
}

void RowWriter::WriteHead(std::uint32_t c, std::uint32_t r, int slot) {
  // The letters of column c (1 to 16384), without a string per cell.
  char letters[4];
  int n = 0;
  for (std::uint32_t v = c; v > 0 && n < 3; v = (v - 1) / 26) letters[n++] = static_cast<char>('A' + (v - 1) % 26);
  char ref[8] = {'<', 'c', ' ', 'r', '=', '"'};
  m_out.Bytes(ref, 6);
  while (n > 0) m_out.Byte(static_cast<unsigned char>(letters[--n]));
  m_out.Dec(r);
  m_out.Str("\" s=\"");
  m_out.Dec(slot);
  m_out.Str("\"");
}

void RowWriter::WriteCell(Row& row, std::uint32_t c, std::uint32_t start, std::uint32_t end, bool filler) {
  XlsxCellStyleRecord style;
  int slot = 0;
  const bool composed = Compose(row, c, filler, style);
  if (composed) {
    slot = m_slots.FindOrAdd(style);
  } else {
    style = DefaultCellStyleRecord();
  }
  const unsigned char typeCode = static_cast<unsigned char>(style[1]) & 0x7F;
  const bool dataRow = row.textRow > m_l.titleRow;
  const bool colourColumn = m_l.colourBarColumn != 0 && c == m_l.colourBarColumn;
  const bool candidate =
      dataRow && !colourColumn &&
      (typeCode == 'c' || (typeCode >= '1' && typeCode <= '9') || typeCode == 'i' || typeCode == 'm' ||
       typeCode == 'd' || typeCode == 'g');

  // The field runs to its first control byte.
  std::uint32_t visibleEnd = start;
  while (visibleEnd < end && m_text.p[visibleEnd] > 31) ++visibleEnd;
  XlsxFieldClass fc;
  if (!filler) fc = ClassifyField(m_text.p + start, visibleEnd - start, typeCode, candidate);
  const bool number = fc.kind == XlsxCellKind::kNumber;

  // Type changes, each taking its slot again.
  unsigned char type = static_cast<unsigned char>(style[1]);
  if (composed) {
    unsigned char changed = type;
    if (typeCode == 'c' && !fc.hasPoint) changed = number ? 0xE9 : 'g';
    else if (typeCode == 'g' && number && fc.grouped) changed = fc.hasPoint ? 0xE3 : 0xE9;
    if (changed != type) {
      type = changed;
      style[1] = static_cast<char>(type);
      slot = m_slots.FindOrAdd(style);
    }
    if (number && (type & 0x7F) == 'm') {
      std::uint32_t q = start;
      while (q < visibleEnd && (m_text.p[q] == ' ' || m_text.p[q] == '"')) ++q;
      const unsigned char next = m_text.At(q + 1);
      if (q < visibleEnd && m_text.p[q] == '$' && ((next >= '0' && next <= '9') || next == '-')) {
        type = 0xE4;
        style[1] = static_cast<char>(type);
        slot = m_slots.FindOrAdd(style);
      }
    }
  }

  WriteHead(c, row.r, slot);
  if (number) {
    m_out.Str("><v>");
    CopyField(start, visibleEnd, XlsxCellKind::kNumber, false, false);
    m_out.Str("</v></c>");
    return;
  }
  if (fc.kind == XlsxCellKind::kFormula) {
    m_out.Str("><f>");
    CopyField(start + fc.formulaStart, visibleEnd, XlsxCellKind::kFormula, false, false);
    m_out.Str("</f></c>");
    return;
  }
  // Text. On the end row itself the cell keeps only an empty value.
  if (row.textRow == m_l.endRow) {
    m_out.Str("><v></v></c>");
    return;
  }
  const bool preserve = (type & 0x7F) == 'v';
  if (filler) {
    m_out.Str(preserve ? " t=\"inlineStr\"><is><t xml:space=\"preserve\">  </t></is></c>"
                       : " t=\"inlineStr\"><is><t></t></is></c>");
    return;
  }
  // Leading marks the text does not show.
  std::uint32_t p = start;
  if (row.textRow <= m_l.titleRow) {
    if (m_text.At(p) == '~') ++p;
    else if (m_text.At(p) == '!' && m_text.At(p + 1) == '#') p += 2;
    if (m_text.At(p) == 'X' && m_text.At(p + 1) == 'L') {
      const unsigned char stop = m_text.At(p + 2) == 'x' ? '#' : ':';
      std::uint32_t q = p;
      while (q < visibleEnd && m_text.p[q] != stop) ++q;
      if (q < visibleEnd) p = q + 1;
    }
  } else if (row.textRow > m_l.rowLimit) {
    if (m_text.At(p) == '~' || m_text.At(p) == '!') ++p;
  }
  if (c == 1 && p < visibleEnd && (m_text.p[p] == '~' || m_text.p[p] == '!')) ++p;
  bool quoted = false;
  if (p < visibleEnd && m_text.p[p] == '"') {
    quoted = true;
    ++p;
  }
  bool blanks = false;
  if (p < visibleEnd && m_text.p[p] == ' ') {
    if (preserve) {
      blanks = true;
    } else {
      while (p < visibleEnd && m_text.p[p] == ' ') ++p;
    }
  }
  p = std::min(p, visibleEnd);
  const bool colourBar = colourColumn && row.textRow != m_l.curLine;
  m_out.Str(" t=\"inlineStr\"><is>");
  if (colourBar) {
    m_out.Str("<r>");
    m_out.Str(ColourRunHead(m_text.At(start + 1)).c_str());
    m_out.Str("<t>");
    CopyField(p, visibleEnd, XlsxCellKind::kText, quoted, true);
    m_out.Str("</t></r></is></c>");
    return;
  }
  m_out.Str(blanks ? "<t xml:space=\"preserve\">" : "<t>");
  CopyField(p, visibleEnd, XlsxCellKind::kText, quoted, false);
  m_out.Str("</t></is></c>");
}

// "<rPr>" with the colour-bar column's face and size and the colour of
// `marker` (black when it is no marker), then "</rPr>".
std::string RowWriter::ColourRunHead(unsigned char marker) const {
  const XlsxRecordBytes& col = ColumnRecord(m_l.colourBarColumn);
  const unsigned char sizeCode = Unset(col.c[8]) ? m_l.sizeDigit : col.c[8];
  const int size = (15 * static_cast<int>(sizeCode) - 670) / 10;
  unsigned family = (Flags(col.c[7]) >> 4) & 7;
  if (family == 0) family = (m_l.defaultFlags >> 4) & 7;
  const bool gothic = family == 1 || family == 3;
  std::string s = "<rPr><rFont val=\"";
  s += gothic ? "ＭＳ ゴシック" : "ＭＳ 明朝";
  s += "\"/><sz val=\"" + std::to_string(size) + "\"/><color rgb=\"FF";
  const std::string* hex = nullptr;
  if (marker >= 0x20) {
    for (int i = 0; i < 10 && m_l.colourBarChars[i] != 0; ++i) {
      if (m_l.colourBarChars[i] == marker) {
        hex = &m_l.colourBarHex[i];
        break;
      }
    }
  }
  s += hex && !hex->empty() ? *hex : std::string("000000");
  s += "\"/></rPr>";
  return s;
}

void RowWriter::CopyField(std::uint32_t p, std::uint32_t end, XlsxCellKind kind, bool quoted, bool colourBar) {
  const unsigned char* t = m_text.p;
  const bool numberCell = kind == XlsxCellKind::kNumber;
  unsigned char prev = 0;
  // Appends stop once the buffer cannot grow; the cell is still closed by
  // the caller.
  while (p < end && !m_out.Failed()) {
    const unsigned char b = t[p];
    if (fw::IsSjisLeadByte(b)) {
      // A lead byte takes the next byte only when that is a trail byte;
      // otherwise it stands alone and the next byte has its own rules.
      if (p + 1 < end && IsTrail(t[p + 1])) {
        if (b == 0x81 && t[p + 1] == 0x51) break;
        if (!numberCell) m_out.Bytes(t + p, 2);
        prev = t[p + 1];
        p += 2;
        continue;
      }
      if (!numberCell) m_out.Byte(b);
      prev = b;
      ++p;
      continue;
    }
    const unsigned char n = p + 1 < end ? t[p + 1] : 0;
    if (b == '"' && quoted && kind == XlsxCellKind::kText) {
      prev = b;
      ++p;
      continue;
    }
    if (b == '\\' && n == '^') {
      if (!numberCell) m_out.Byte('^');
      prev = n;
      p += 2;
      continue;
    }
    if (b == '^') break;
    if (b == '\\' && n == 'n') {
      if (!numberCell) m_out.Str("\r\n");
      prev = n;
      p += 2;
      continue;
    }
    if (numberCell) {
      if (b == '-' || b == '.' || (b >= '0' && b <= '9')) m_out.Byte(b);
      prev = b;
      ++p;
      continue;
    }
    if (colourBar && b < 0x80 && b != prev) {
      bool marker = b == ' ';
      for (int i = 0; !marker && i < 10 && m_l.colourBarChars[i] != 0; ++i) marker = m_l.colourBarChars[i] == b;
      if (marker) {
        m_out.Str("</t></r><r>");
        m_out.Str(ColourRunHead(b == ' ' ? 0 : b).c_str());
        m_out.Str("<t xml:space=\"preserve\">");
      }
    }
    switch (b) {
      case '&': m_out.Str("&amp;"); break;
      case '"': m_out.Str("&quot;"); break;
      case '<': m_out.Str("&lt;"); break;
      case '>': m_out.Str("&gt;"); break;
      default: m_out.Byte(b); break;
    }
    prev = b;
    ++p;
  }
}

}  // namespace

XlsxFieldClass ClassifyField(const unsigned char* f, std::uint32_t len, unsigned char typeCode,
                             bool numberCandidate) {
  XlsxFieldClass fc;
  auto at = [&](std::uint32_t i) -> unsigned char { return i < len ? f[i] : 0; };
  // A formula keeps its '='; "==" starts the formula at the second one, and
  // a lone '=' is text.
  if (at(0) == '=') {
    const std::uint32_t s = at(1) == '=' ? 1 : 0;
    if (at(s + 1) > 31) {
      fc.kind = XlsxCellKind::kFormula;
      fc.formulaStart = s;
    }
    return fc;
  }
  if (!numberCandidate) return fc;
  std::uint32_t p = 0;
  bool quoted = false;
  while (p < len && (f[p] == ' ' || f[p] == '"')) {
    if (f[p] == '"') quoted = true;
    ++p;
  }
  if (typeCode != 'g' && (at(p) == '\\' || at(p) == '$')) {
    ++p;
    if (at(p) == '-') ++p;
  } else if (at(p) == '-' || at(p) == '+') {
    ++p;
  }
  int digits = 0, points = 0;
  bool comma = false;
  for (; p < len; ++p) {
    const unsigned char b = f[p];
    if (b < 0x20 || b == '^') break;
    if (b >= '0' && b <= '9') ++digits;
    else if (b == '.') ++points;
    else if (b == ',') comma = true;
    else if (b != '"' && b != ' ') return fc;
  }
  // A number needs a digit: a lone sign or point is no value.
  if (points > 1 || digits == 0) return fc;
  fc.kind = XlsxCellKind::kNumber;
  fc.hasPoint = points == 1;
  fc.grouped = quoted && comma;
  return fc;
}

bool SheetOut::Room(std::uint64_t bytes) {
  if (m_b.Failed()) return false;
  const std::uint64_t need = static_cast<std::uint64_t>(m_b.Size()) + bytes;
  if (need <= m_b.Capacity()) return true;
  // Doubling keeps the growth linear; a refused doubling tries the exact need.
  const std::uint64_t doubled = static_cast<std::uint64_t>(m_b.Capacity()) * 2;
  return (doubled > need && m_b.TryReserve(doubled)) || m_b.TryReserve(need);
}

XlsxSheetExtent MeasureSheetRows(const csv::TableFields& t, const XlsxSheetLayout& layout) {
  Text text{t.m_pTextBuf, t.m_pTextBuf ? std::min(t.m_nTextLen, t.m_nWorkSize) : 0u};
  XlsxSheetExtent e;
  e.widest = std::max<std::uint32_t>(std::min(layout.columnCount, kSheetColumns), 1);
  std::uint32_t pos = layout.startOffset;
  std::uint32_t textRow = layout.firstTextRow;
  // The same lines as the row walk.
  while (!text.Ended(pos) && textRow <= layout.endRow && e.rows < kMaxRows) {
    const std::uint32_t end = text.LineEnd(pos);
    if (text.At(pos) == '!' && text.At(pos + 1) == '*') {
      pos = text.NextLine(end);
      ++textRow;
      continue;
    }
    std::uint32_t fields = 1;
    for (std::uint32_t i = pos; i < end && fields < kSheetColumns; ++i) fields += text.p[i] == csv::CSV_FIELD_SEP;
    e.widest = std::max(e.widest, fields);
    ++e.rows;
    ++textRow;
    pos = text.NextLine(end);
    if (!text.Ended(pos) &&
        ((layout.titleRangeMode && layout.titleMarkOffset != 0 && pos == layout.titleMarkOffset) ||
         (layout.skipRowMode && textRow == layout.titleRow + 1))) {
      pos = text.NextLine(text.LineEnd(pos));
      ++textRow;
    }
  }
  return e;
}

void WriteSheetRows(const csv::TableFields& t, const XlsxSheetLayout& layout, XlsxStyleSlots& slots,
                    exportcore::ByteWriter& out, XlsxSheetResult& result, std::uint32_t spanColumns,
                    std::uint64_t closeBytes) {
  RowWriter w(t, layout, slots, out, result, spanColumns);
  w.Run(closeBytes);
}

}  // namespace xlsx
