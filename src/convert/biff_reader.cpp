#include "convert/biff_reader.h"

#include <algorithm>
#include <cstring>

#include "convert/biff_number.h"
#include "convert/biff_string.h"
#include "convert/office_pictures.h"
#include "fw/codepage.h"
#include "fw/strtable.h"

namespace convert {
namespace {

constexpr std::int32_t kRecordMax = 0x6400;  // 25,600: a longer record ends the conversion

const char* const kDamagedTableTail =
    "\n Enterキーか、マウス右クリック→「ファイル実行」で\nアプリケーションプログラムを呼び出してください。\n";

std::string Text(unsigned id, const char* fallback) {
  std::string s;
  if (fw::LookupString(id, s) && !s.empty()) return s;
  return fallback;
}

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t U32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint64_t U64(const std::uint8_t* p) {
  return static_cast<std::uint64_t>(U32(p)) | (static_cast<std::uint64_t>(U32(p + 4)) << 32);
}

class BiffLoop {
 public:
  BiffLoop(std::uint8_t* data, std::int32_t start, std::int32_t end, const BiffWords& words, WorkbookTable& table,
           LoadBuffer& out)
      : m_data(data), m_start(start), m_end(end), m_words(words), m_table(table), m_out(out) {
    m_num.xlsMode = words.xlsMode;
    m_num.xlsDecimals = words.xlsDecimals;
  }

  BiffRead Run();

 private:
  bool Biff8() const { return m_firstLength == 16; }
  void Bof(const std::uint8_t* body, std::int32_t len);
  void StringTable(std::int32_t body, std::int32_t len, std::int32_t& next);
  void AddTextCell(std::int32_t row, std::int32_t column, std::string text);
  void OldStringCell(const std::uint8_t* body, std::int32_t len);
  void Format(std::int32_t body, std::int32_t len);
  void FormulaString(std::int32_t body, std::int32_t len);
  void Numbers(std::uint16_t type, const std::uint8_t* body, std::int32_t len);
  void AddNumberCell(std::int32_t row, std::int32_t column, const BiffNumberText& t);
  void ColumnInfo(const std::uint8_t* body);
  void DrawingGroup(std::int32_t at, std::int32_t& next);
  void Shape(std::int32_t at, std::int32_t body, std::int32_t len, bool continuation);
  void TextObject(std::int32_t afterTxo, std::int32_t& next);
  void SheetRecord(std::int32_t body, std::int32_t len);

  std::uint8_t* m_data;
  std::int32_t m_start;
  std::int32_t m_end;
  const BiffWords& m_words;
  WorkbookTable& m_table;
  LoadBuffer& m_out;
  BiffNumberWords m_num;
  BiffRead m_result;
  std::int32_t m_firstLength = -1;
  std::int32_t m_depth = 0;        // BOF nesting
  std::int32_t m_sheet = -1;       // sheet streams met, less one
  bool m_sstRead = false;
  std::int32_t m_lastValue = -1;   // value index of the last cell (a formula's string result replaces it)
  bool m_anchorKept = false;       // a text shape's anchor waits for its text object
  std::int32_t m_anchorRow = 0;
  std::int32_t m_anchorColumn = 0;
};

void BiffLoop::Bof(const std::uint8_t* body, std::int32_t len) {
  ++m_depth;
  if (m_depth != 1 || len < 4) return;
  // The workbook globals (0x0005) start no sheet; every other stream at the
  // top level is a sheet (worksheet, chart, macro sheet).
  if (U16(body + 2) == 0x0005) return;
  if (m_sheet < INT32_MAX - 1) ++m_sheet;
  m_table.m_nSheet = m_sheet;
  m_table.m_nSheetCount = m_sheet + 1;
  m_table.NextWidthRow();
  m_anchorKept = false;
}

void BiffLoop::StringTable(std::int32_t body, std::int32_t len, std::int32_t& next) {
  // Every continuation boundary inside the string data reads as the marker
  // 3C 00 20 20; the table ends with the last continuation record.
  std::int32_t p = body + len;
  while (p + 4 <= m_end && U16(m_data + p) == 0x003C) {
    const std::int32_t l = U16(m_data + p + 2);
    m_data[p + 2] = 0x20;
    m_data[p + 3] = 0x20;
    if (p + 4 + l > m_end) {
      p = m_end;
      break;
    }
    p += 4 + l;
  }
  const std::int32_t tableEnd = p;
  next = tableEnd;
  BiffCursor cur;
  cur.data = m_data;
  cur.pos = body + 8;
  cur.end = tableEnd;
  cur.language = m_words.language;
  std::int32_t read = 0;
  while (cur.pos < tableEnd && !m_table.m_bStop) {
    if (cur.pos + 1 < m_end && m_data[cur.pos] == 0xFF && m_data[cur.pos + 1] == 0x00) break;
    const std::int32_t at = cur.pos;
    BiffString s;
    const int r = BiffReadString(cur, s);
    if (r < 0) {
      // A count that stays too large ends the conversion; a read that stands
      // still or runs out ends the table, and the records after it are read.
      const bool ends = r == -1;
      m_out.Append(Text(read <= 1 && ends ? 147 : 210,
                        read <= 1 && ends ? "## 暗号化されたデータがあります ##" : "対応していないフォーマットです。")
                       .c_str());
      m_out.Append(Text(241, kDamagedTableTail).c_str());
      if (ends) m_result.ended = true;
      return;
    }
    ++read;
    const std::int32_t index = m_table.AddValue(reinterpret_cast<const std::uint8_t*>(s.text.data()), s.text.size(),
                                                kValueKindText);
    (void)index;
    if (m_words.openContext == 2) m_out.Printf("%6x %4d %s\n", static_cast<unsigned>(at), s.kind, s.text.c_str());
  }
}

void BiffLoop::AddTextCell(std::int32_t row, std::int32_t column, std::string text) {
  BiffCleanText(text, m_words.language);
  const std::int32_t v =
      m_table.AddValue(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), kValueKindText);
  m_lastValue = v;
  m_table.AddCell(row, column, v, m_table.m_nSheet);
}

void BiffLoop::OldStringCell(const std::uint8_t* body, std::int32_t len) {
  const std::int32_t row = U16(body);
  const std::int32_t column = U16(body + 2);
  std::string text;
  if (m_firstLength == 8) {
    const std::int32_t count = std::min<std::int32_t>(U16(body + 6), len - 8);
    text.assign(reinterpret_cast<const char*>(body + 8), static_cast<std::size_t>(std::max(count, 0)));
  } else {
    const std::int32_t count = U16(body + 6);
    const std::uint8_t flags = body[8];
    const std::uint8_t* chars = body + 9;
    const std::int32_t room = len - 9;
    if (flags & 1) {
      const std::int32_t n = std::min(count, room / 2);
      std::u16string w;
      for (std::int32_t i = 0; i < n; ++i) w.push_back(static_cast<char16_t>(U16(chars + 2 * i)));
      text = fw::Utf16ToCp932(w);
    } else {
      const std::int32_t n = std::min(count, room);
      text.assign(reinterpret_cast<const char*>(chars), static_cast<std::size_t>(std::max(n, 0)));
    }
  }
  AddTextCell(row, column, text);
}

void BiffLoop::Format(std::int32_t body, std::int32_t len) {
  if (len < 3) return;
  const std::int32_t number = U16(m_data + body);
  std::string text;
  if (Biff8()) {
    BiffCursor cur;
    cur.data = m_data;
    cur.pos = body + 2;
    cur.end = body + len;
    BiffString s;
    if (BiffReadString(cur, s) < 0) return;
    text = s.text;
  } else {
    const std::int32_t n = std::min<std::int32_t>(m_data[body + 2], len - 3);
    text.assign(reinterpret_cast<const char*>(m_data + body + 3), static_cast<std::size_t>(n));
  }
  const BiffFormatInfo info = ClassifyBiffFormat(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
  m_table.SetFormat(number, info.formatClass, info.decimals);
}

void BiffLoop::FormulaString(std::int32_t body, std::int32_t len) {
  if (m_lastValue < 0 || m_lastValue != m_table.m_nValueCount - 1 || len < 2) return;
  std::string text;
  BiffCursor cur;
  cur.data = m_data;
  cur.pos = body;
  cur.end = body + len;
  cur.language = m_words.language;
  if (Biff8()) {
    BiffString s;
    if (BiffReadString(cur, s) < 0) return;
    text = s.text;
  } else {
    const std::int32_t n = std::min<std::int32_t>(U16(m_data + body), len - 2);
    text.assign(reinterpret_cast<const char*>(m_data + body + 2), static_cast<std::size_t>(std::max(n, 0)));
    BiffCleanText(text, m_words.language);
  }
  m_table.SetValue(m_lastValue, reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), kValueKindText);
}

void BiffLoop::AddNumberCell(std::int32_t row, std::int32_t column, const BiffNumberText& t) {
  const std::int32_t base = t.kind - static_cast<std::int32_t>(t.text.size());
  const std::int32_t v = m_table.AddValue(reinterpret_cast<const std::uint8_t*>(t.text.data()), t.text.size(), base);
  m_lastValue = v;
  m_table.AddCell(row, column, v, m_table.m_nSheet);
}

void BiffLoop::Numbers(std::uint16_t type, const std::uint8_t* body, std::int32_t len) {
  m_num.date1904 = m_table.m_bDate1904;
  if (len < 4) return;
  const std::int32_t row = U16(body);
  const std::int32_t column = U16(body + 2);
  switch (type) {
    case 0x027E:  // RK
      if (len != 10) return;
      AddNumberCell(row, column, RenderBiffRk(U32(body + 6), m_table.XfFormat(U16(body + 4)), m_table, m_num));
      return;
    case 0x00BD: {  // several RK values in a row
      if (len < 12 || (len - 6) % 6 != 0) return;
      const std::int32_t n = (len - 6) / 6;
      for (std::int32_t i = 0; i < n; ++i) {
        const std::uint8_t* v = body + 4 + 6 * i;
        AddNumberCell(row, column + i, RenderBiffRk(U32(v + 2), m_table.XfFormat(U16(v)), m_table, m_num));
      }
      return;
    }
    case 0x0203: {  // NUMBER
      if (len < 14 || (len - 4) % 10 != 0) return;
      const std::int32_t n = (len - 4) / 10;
      for (std::int32_t i = 0; i < n; ++i) {
        const std::uint8_t* v = body + 4 + 10 * i;
        AddNumberCell(row, column + i, RenderBiffDouble(U64(v + 2), m_table.XfFormat(U16(v)), m_table, m_num));
      }
      return;
    }
    case 0x0006: {  // FORMULA: its cached result
      if (len < 14) return;
      const std::uint8_t* r = body + 6;
      if (r[6] == 0xFF && r[7] == 0xFF) {
        BiffNumberText t;
        t.text = "--";
        t.kind = kValueKindPlaceholder;
        AddNumberCell(row, column, t);
        return;
      }
      AddNumberCell(row, column, RenderBiffDouble(U64(r), m_table.XfFormat(U16(body + 4)), m_table, m_num));
      return;
    }
    default:
      return;
  }
}

void BiffLoop::ColumnInfo(const std::uint8_t* body) {
  const std::int32_t first = U16(body);
  const std::int32_t last = std::min<std::int32_t>(U16(body + 2), 255);
  const std::int32_t w = (body[4] >> 5) + body[5] * 8;
  const bool hidden = (U16(body + 8) & 0x0001) != 0;
  std::int32_t width = 0;
  if (!hidden && w >= 8) {
    width = w / 8 + 2;
    if (width > 10) width += width / 10;
  }
  m_table.SetColumnWidths(first, last, static_cast<std::uint8_t>(std::min(width, 255)));
}

void BiffLoop::DrawingGroup(std::int32_t at, std::int32_t& next) {
  // The drawing group runs on over the records that continue it.
  std::int32_t p = at;
  while (p + 4 <= m_end) {
    const std::uint16_t t = U16(m_data + p);
    if (p != at && t != 0x003C && t != 0x00EB) break;
    const std::int32_t l = U16(m_data + p + 2);
    if (p + 4 + l > m_end) {
      p = m_end;
      break;
    }
    p += 4 + l;
  }
  next = p;
  FillPicturesFromDrawing(m_data, at + 4, p, 0, 0, m_table.m_pictures);
}

void BiffLoop::Shape(std::int32_t at, std::int32_t body, std::int32_t len, bool continuation) {
  const std::int32_t end = body + len;
  std::int32_t b = body;
  auto isHeader = [&](std::int32_t p) {
    return p + 4 <= end && m_data[p] == 0x0F && m_data[p + 1] == 0x00 && m_data[p + 3] == 0xF0;
  };
  if (b + 4 <= end && m_data[b] == 0x43 && m_data[b + 1] == 0x00 && m_data[b + 2] == 0x22 && m_data[b + 3] == 0xF1)
    b += 32;
  if (!isHeader(b)) {
    // Not drawing data: it reads as a continuation marker from now on.
    if (continuation) {
      m_data[at + 2] = 0x20;
      m_data[at + 3] = 0x20;
    }
    return;
  }
  // A container that claims more than the rest of the stream holds was cut
  // short (the records between its parts only add bytes).
  if (b + 8 <= end && m_table.m_bStreamsWhole &&
      static_cast<std::int64_t>(b) + 8 + U32(m_data + b + 4) > static_cast<std::int64_t>(m_end) && !m_result.damage)
    m_result.damage = "Drawing";
  // 1. The property table.
  std::int32_t p = b;
  while (p + 22 < end && !(m_data[p] == 0x0B && m_data[p + 1] == 0xF0)) ++p;
  if (p + 22 >= end) return;
  // 2. The picture id, then the client anchor.
  std::int32_t picture = -1;
  std::int32_t anchor = -1;
  for (int step = 0; step < 80 && p + 1 < end; ++step, p += 2) {
    if (m_data[p] == 0x04 && m_data[p + 1] == 0x41 && p + 6 <= end) {
      picture = static_cast<std::int32_t>(U32(m_data + p + 2));
    } else if (m_data[p] == 0x10 && m_data[p + 1] == 0xF0) {
      anchor = p;
      break;
    }
  }
  if (anchor < 0) return;
  const bool textShape = picture < 0;
  // 3. The anchor's cells (after its header and flags).
  const std::int32_t values = anchor - 2 + 8 + 2;
  if (anchor + 22 >= end || values + 16 > end) return;
  const std::int32_t left = U16(m_data + values);
  const std::int32_t top = U16(m_data + values + 4);
  // 4. The pictures the shapes use.
  if (picture >= 1 && picture < kWorkbookPictureUse) m_table.UsePicture(picture);
  // 5. A cell for the picture, or the anchor kept for the text that follows.
  if (m_table.ShapeCount() < kWorkbookShapeCells && len > 64 && top < m_words.rtbl && left < 64) {
    if (textShape) {
      m_anchorKept = true;
      m_anchorRow = top;
      m_anchorColumn = left;
    } else if (picture >= 1 && picture < kShapeTextBase) {
      m_table.AddShapeCell(top, left, picture, m_table.m_nSheet);
    }
  }
}

void BiffLoop::TextObject(std::int32_t afterTxo, std::int32_t& next) {
  // The text follows in a continuation record: flags byte, then the
  // characters. Its length field becomes the character count, so that the
  // record reads as one string.
  const std::int32_t p = afterTxo;
  if (p + 5 > m_end || U16(m_data + p) != 0x003C) return;
  const std::int32_t l = U16(m_data + p + 2);
  if (l < 1 || p + 4 + l > m_end) return;
  const std::uint8_t flags = m_data[p + 4];
  if (flags > 1) return;
  next = p + 4 + l;
  const std::int32_t count = flags == 1 ? (l - 1) / 2 : l - 1;
  m_data[p + 2] = static_cast<std::uint8_t>(count & 0xFF);
  m_data[p + 3] = static_cast<std::uint8_t>(count >> 8);
  BiffCursor cur;
  cur.data = m_data;
  cur.pos = p + 2;
  cur.end = next;
  cur.language = m_words.language;
  BiffString s;
  const int r = BiffReadString(cur, s);
  if (r < 1) {
    if (cur.pos == p + 2) m_table.m_bStop = true;
    return;
  }
  // A text object that follows no kept anchor has no cell to go to.
  if (!m_anchorKept) return;
  m_anchorKept = false;
  const std::int32_t n = m_table.ShapeCount();
  if (n >= kWorkbookShapeCells) return;
  std::string text = s.text;
  const std::size_t keep = static_cast<std::size_t>(std::max(m_words.nChar - 1, 0));
  if (text.size() > keep) text.resize(keep);
  m_table.SetValue(m_table.ShapeValueIndex(n), reinterpret_cast<const std::uint8_t*>(text.data()), text.size(),
                   kValueKindText);
  m_table.AddShapeCell(m_anchorRow, m_anchorColumn, kShapeTextBase + n, m_table.m_nSheet);
}

void BiffLoop::SheetRecord(std::int32_t body, std::int32_t len) {
  std::string name;
  if (Biff8()) {
    if (len < 8) return;
    const std::int32_t count = m_data[body + 6];
    const std::uint8_t flags = m_data[body + 7];
    const std::int32_t room = len - 8;
    const std::uint8_t* chars = m_data + body + 8;
    if (flags & 1) {
      std::u16string w;
      for (std::int32_t i = 0; i < count && 2 * i + 1 < room; ++i) w.push_back(static_cast<char16_t>(U16(chars + 2 * i)));
      name = fw::Utf16ToCp932(w);
    } else {
      name.assign(reinterpret_cast<const char*>(chars), static_cast<std::size_t>(std::min(count, room)));
    }
  } else {
    if (len < 7) return;
    const std::int32_t count = std::min<std::int32_t>(m_data[body + 6], len - 7);
    name.assign(reinterpret_cast<const char*>(m_data + body + 7), static_cast<std::size_t>(count));
  }
  m_result.sheetRecordNames.push_back(name);
}

BiffRead BiffLoop::Run() {
  std::int32_t pos = m_start;
  while (!m_table.m_bStop) {
    if (pos < m_start || pos + 4 > m_end) break;  // the end of the data
    const std::uint8_t* h = m_data + pos;
    if (h[0] == 0xD0 && h[1] == 0xCF) break;  // another compound header
    const std::uint16_t type = U16(h);
    const std::int32_t len = U16(h + 2);
    if (len > kRecordMax) {
      m_out.Printf("address error4(adr=%x d1=%4x d2=%4x d3=%4x d4=%4x nd=%6d)\r\n", static_cast<unsigned>(pos), h[0],
                   h[1], h[2], h[3], len);
      m_result.ended = true;
      break;
    }
    const std::int32_t body = pos + 4;
    if (body + len > m_end) {
      // A record that runs past the data.
      if (m_table.m_bStreamsWhole) m_result.damage = "Workbook";
      break;
    }
    std::int32_t next = body + len;
    if (m_firstLength < 0) {
      m_firstLength = m_words.bare ? 8 : len;
      m_table.m_nFirstRecordLength = m_firstLength;
    }
    const std::uint8_t* b = m_data + body;
    switch (type) {
      case 0x0009:
      case 0x0209:
      case 0x0409:
      case 0x0809:
        Bof(b, len);
        break;
      case 0x000A:
        if (m_depth > 0) --m_depth;
        break;
      case 0x00FC:
        if (Biff8() && !m_sstRead) {
          m_sstRead = true;
          StringTable(body, len, next);
          if (m_result.ended) return m_result;
        } else if (len > 10) {
          OldStringCell(b, len);
        }
        break;
      case 0x00FD:
        if (len == 10) {
          const std::int32_t v = static_cast<std::int32_t>(U32(b + 6) & 0x7FFFFFFF);
          m_lastValue = -1;
          m_table.AddCell(U16(b), U16(b + 2), v, m_table.m_nSheet);
        }
        break;
      case 0x0204:
      case 0x00D6: {
        if (Biff8()) break;
        if (type == 0x00D6 && m_firstLength != 8) break;
        if (m_firstLength == 8 ? len > 8 : (type == 0x0204 && len > 10)) OldStringCell(b, len);
        break;
      }
      case 0x041E:
        Format(body, len);
        break;
      case 0x00E0:
        if (len >= 4) m_table.AddXf(U16(b + 2));
        break;
      case 0x0443:
      case 0x0243:
        if (len >= 2) m_table.AddXf(b[1]);
        break;
      case 0x0022:
        if (len == 2 && U16(b) == 1) m_table.m_bDate1904 = true;
        break;
      case 0x0207:
        FormulaString(body, len);
        break;
      case 0x027E:
      case 0x00BD:
      case 0x0203:
      case 0x0006:
        Numbers(type, b, len);
        break;
      case 0x0055:
        if (len == 2) {
          std::uint8_t* row = m_table.WidthRowAt(m_table.WidthRow());
          std::memset(row + 1, kWorkbookDefaultWidth, kWorkbookWidthColumns - 1);
        }
        break;
      case 0x007D:
        if (len == 12) ColumnInfo(b);
        break;
      case 0x0200:
        if (len == 14) m_table.SetColumnCount(U16(b + 10));
        break;
      case 0x0085:
        SheetRecord(body, len);
        break;
      case 0x00EB:
        DrawingGroup(pos, next);
        break;
      case 0x00EC:
        if (len >= 23) Shape(pos, body, len, false);
        break;
      case 0x003C:
        Shape(pos, body, len, true);
        break;
      case 0x01B6:
        if (len == 18) TextObject(next, next);
        break;
      default:
        break;
    }
    pos = next;
  }
  if (m_words.openContext == 2) m_out.Append("\n<END>\n");
  return m_result;
}

}  // namespace

BiffRead ReadBiffRecords(std::uint8_t* data, std::int32_t start, std::int32_t end, const BiffWords& words,
                         WorkbookTable& table, LoadBuffer& out) {
  PresetBuiltinFormats(table);
  if (!data || start < 0 || end <= start) return BiffRead();
  BiffLoop loop(data, start, end, words, table, out);
  return loop.Run();
}

std::vector<std::string> BiffSummarySheetNames(const std::uint8_t* data, std::int32_t from, std::int32_t to) {
  std::vector<std::string> names;
  if (!data || from < 0 || to - from < 8) return names;
  for (std::int32_t p = from; p + 8 <= to; ++p) {
    if (!(data[p] == 0x1E && data[p + 1] == 0x10 && data[p + 2] == 0 && data[p + 3] == 0)) continue;
    const std::uint32_t count = U32(data + p + 4);
    std::int32_t q = p + 8;
    for (std::uint32_t i = 0; i < count && i < static_cast<std::uint32_t>(kWorkbookSheetNames); ++i) {
      if (q + 4 > to) break;
      const std::uint32_t n = U32(data + q);
      q += 4;
      if (n > static_cast<std::uint32_t>(to - q)) break;
      std::string name(reinterpret_cast<const char*>(data + q), n);
      const std::size_t nul = name.find('\0');
      if (nul != std::string::npos) name.resize(nul);
      names.push_back(name);
      q += static_cast<std::int32_t>(n);
      q += (4 - static_cast<std::int32_t>(n % 4)) % 4;  // strings are padded to four bytes
    }
    break;
  }
  return names;
}

}  // namespace convert
