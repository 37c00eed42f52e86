#include "export/html/html_body.h"

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

#include "export/html/html_cell_text.h"
#include "export/html/html_pre.h"
#include "export/html/html_style.h"
#include "export/xlsx/xlsx_grid.h"

namespace htmlexport {
namespace {

constexpr int kRowHeightBase = 64;       // a height code is 64 + points
constexpr int kMaxSheetHeight = 500;     // points of the sheet style's row height
constexpr std::uint32_t kSpanBytes = 8;  // bytes of text per spanned column
constexpr char kSep = '\x06';
constexpr const char* kDefaultFamily = "\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E";  // ＭＳ ゴシック

// The style-flag tags of position 7, opened in this order.
struct FlagTag {
  unsigned char bit;
  const char* open;
  const char* close;
};
constexpr FlagTag kFlagTags[] = {{1, "<b>", "</b>"}, {2, "<u>", "</u>"}, {4, "<i>", "</i>"}, {8, "<s>", "</s>"}};

bool Unset(char c) { return c == '_' || c == 0; }
unsigned char Flags(char c) { return c == '_' ? 0 : static_cast<unsigned char>(c) & 0x0F; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool LineBegins(const char* t, const HtmlSheetLine& l, const char* key) {
  for (std::uint32_t i = 0; key[i]; ++i)
    if (l.start + i >= l.end || t[l.start + i] != key[i]) return false;
  return true;
}

// What the condition records that marked one cell ask for: of each kind
// the last record's value.
struct CellStyle {
  const char* textAlign = nullptr;
  const char* verticalAlign = nullptr;
  const char* fill = nullptr;
  const char* borderWidth[4] = {};  // top, bottom, left, right
  char borderColour[4] = {};
  const char* fontColour = nullptr;
  int fontSize = 0;
  const char* face = nullptr;
  unsigned char flags = 0;

  void Take(const unsigned char* rec, unsigned char sheetDigit) {
    if (const char* h = HtmlHorizontalAlign(rec[0])) textAlign = h;
    if (const char* v = HtmlVerticalAlign(rec[0])) verticalAlign = v;
    if (const char* hex = HtmlColourHex(static_cast<char>(rec[6]))) fill = hex;
    static const int kWidth[4] = {10, 11, 2, 3};
    static const int kColour[4] = {14, 15, 12, 13};
    for (int s = 0; s < 4; ++s) {
      const unsigned char w = rec[kWidth[s]];
      const char* width = w == '1' ? ".5pt" : w == '2' ? "1.5pt" : nullptr;
      if (!width) continue;
      borderWidth[s] = width;
      borderColour[s] = static_cast<char>(rec[kColour[s]]);
    }
    if (const char* hex = HtmlColourHex(static_cast<char>(rec[5]))) fontColour = hex;
    if (IsDigit(static_cast<char>(rec[8])) && rec[8] != sheetDigit) fontSize = std::max(rec[8] - '0' - 2, 1);
    if (const char* f = HtmlFontFamily(rec[7])) face = f;
    flags |= Flags(static_cast<char>(rec[7]));
  }
  bool Styled() const {
    return textAlign || verticalAlign || fill || borderWidth[0] || borderWidth[1] || borderWidth[2] || borderWidth[3];
  }
  bool Font() const { return fontColour || fontSize > 0 || face; }
};

// One style attribute for all of a cell's declarations, "name:value" each.
void AppendCellStyle(const CellStyle& s, exportcore::ByteWriter& out) {
  static const char* const kBorderNames[4] = {"border-top", "border-bottom", "border-left", "border-right"};
  out.Append(" style='");
  const char* sep = "";
  auto decl = [&](const char* name, const char* value, const char* prefix) {
    out.Append(sep);
    out.Append(name);
    out.AppendByte(':');
    out.Append(prefix);
    out.Append(value);
    sep = ";";
  };
  if (s.textAlign) decl("text-align", s.textAlign, "");
  if (s.verticalAlign) decl("vertical-align", s.verticalAlign, "");
  if (s.fill) decl("background-color", s.fill, "#");
  for (int k = 0; k < 4; ++k) {
    if (!s.borderWidth[k]) continue;
    out.Append(sep);
    out.Append(kBorderNames[k]);
    out.AppendByte(':');
    out.Append(s.borderWidth[k]);
    out.Append(" solid ");
    if (const char* hex = HtmlColourHex(s.borderColour[k])) {
      out.AppendByte('#');
      out.Append(hex);
    } else {
      out.Append("windowtext");
    }
    sep = ";";
  }
  out.AppendByte('\'');
}

void AppendFontPart(const CellStyle& s, exportcore::ByteWriter& out) {
  out.Append("<font ");
  if (s.fontColour) out.AppendFormat("color=\"#%s\" ", s.fontColour);
  if (s.fontSize > 0) out.AppendFormat("size=\"%d\" ", s.fontSize);
  if (s.face) out.AppendFormat("face=\"%s\" ", s.face);
  out.AppendByte('>');
}

// The sheet style of step 3.
void AppendSheetStyle(const xlsx::XlsxSheetSettings& s, std::uint32_t sheet, exportcore::ByteWriter& out) {
  out.AppendFormat("<style>\r\ntable.allset%u\r\n{\r\n", sheet);
  out.Append("padding-top:1px;\r\npadding-right:1px;\r\npadding-left:1px;\r\n");
  if (const char* hex = HtmlColourHex(s.fontColour)) out.AppendFormat("color:#%s;\r\n", hex);
  if (const char* hex = HtmlColourHex(s.fillColour)) out.AppendFormat("background-color:#%s;\r\n", hex);
  const unsigned char digit = IsDigit(s.fontSizeDigit) ? static_cast<unsigned char>(s.fontSizeDigit) : '4';
  const int tenths = HtmlSizeTenths(digit);
  out.AppendFormat("font-size:%d.%dpt;\r\n", tenths / 10, tenths % 10);
  const char* family = HtmlFontFamily(s.fontFlags);
  out.AppendFormat("font-family:\"%s\";\r\n", family ? family : kDefaultFamily);
  const unsigned char align = static_cast<unsigned char>(s.alignment);
  if (const char* h = HtmlHorizontalAlign(align)) out.AppendFormat("text-align:%s;\r\n", h);
  if (const char* v = HtmlVerticalAlign(align)) out.AppendFormat("vertical-align:%s;\r\n", v);
  const int height = std::min(s.defaultRowHeight - kRowHeightBase, kMaxSheetHeight);
  if (height > 0) out.AppendFormat("height:%d.0pt;\r\n", height);
  out.Append("}\r\n</style>\r\n");
}

// Writes the rows of one sheet and measures its columns.
class RowWriter {
 public:
  RowWriter(const xlsx::XlsxRun& run, const HtmlSheetFrame& frame, const HtmlClassIndex& index, const char* text,
            std::uint32_t len, exportcore::ByteWriter& out)
      : m_run(run),
        m_frame(frame),
        m_index(index),
        m_text(text),
        m_len(len),
        m_out(out),
        m_layer(run.XlsxObjects),
        m_longest(std::min(frame.lastColumn, kWidthColumns) + 1, 0) {
    const xlsx::XlsxSheetSettings& s = run.sheet.settings;
    m_sheetDigit = static_cast<unsigned char>(s.fontSizeDigit);
    m_defaultFormat = static_cast<unsigned char>(s.numberFormat);
    m_sheetHeight = s.defaultRowHeight;
    m_sheetAlign = static_cast<unsigned char>(s.alignment);
    m_marks = run.XlsxConditionMarks;
    std::stable_sort(m_marks.begin(), m_marks.end(),
                     [](const xlsx::XlsxConditionMark& a, const xlsx::XlsxConditionMark& b) {
                       return a.row != b.row ? a.row < b.row : a.column < b.column;
                     });
  }

  void Row(const HtmlSheetLine& l);
  const std::vector<std::uint64_t>& Longest() const { return m_longest; }

 private:
  const unsigned char* Region(std::uint32_t gridRow, std::uint32_t c) const;
  void Cell(const HtmlSheetLine& l, std::uint32_t c, std::uint32_t p, std::uint32_t e, bool spanning, long group,
            const char* rf);

  const xlsx::XlsxRun& m_run;
  const HtmlSheetFrame& m_frame;
  const HtmlClassIndex& m_index;
  const char* m_text;
  std::uint32_t m_len;
  exportcore::ByteWriter& m_out;
  const xlsx::XlsxObjectLayer& m_layer;
  std::vector<std::uint64_t> m_longest;          // by column, the longest text written
  std::vector<xlsx::XlsxConditionMark> m_marks;  // by row and column
  unsigned char m_sheetDigit = '4';
  unsigned char m_defaultFormat = '_';
  int m_sheetHeight = 0;
  unsigned char m_sheetAlign = '@';
};

// The region record covering a cell of the object grid, or null.
const unsigned char* RowWriter::Region(std::uint32_t gridRow, std::uint32_t c) const {
  if (!m_layer.Present() || gridRow == 0) return nullptr;
  std::uint64_t at = 0;
  if (!xlsx::GridCellOffset(m_layer, gridRow, c, &at)) return nullptr;
  const int k = xlsx::GridValue(m_layer.grid[at], m_layer.grid[at + 1]);
  if (k < 1 || static_cast<std::size_t>(k) > m_layer.shapes.size()) return nullptr;
  const xlsx::XlsxShapeRecord& r = m_layer.shapes[static_cast<std::size_t>(k) - 1];
  // Regions are laid after the conditions marked their cells: a cell naming
  // a condition lies in no region.
  return r.fromCol == xlsx::kLaidObject ? r.rec.c : nullptr;
}

void RowWriter::Row(const HtmlSheetLine& l) {
  static const xlsx::XlsxFormatRecord kBlank;
  const long group = m_index.GroupOf(l.row);
  const long record = group < 0 ? -1 : m_index.groupRecords[static_cast<std::size_t>(group)];
  const char* rf = record < 0 ? kBlank.c : m_run.XlsxRowFormats[static_cast<std::size_t>(record)].c;

  // "<tr %s %s>": the row's height, then the sheet's alignment.
  char height[24] = "";
  const int points = HtmlHeightPoints(static_cast<unsigned char>(rf[20]));
  const int sheetPoints = m_sheetHeight - kRowHeightBase;
  if (points > 0 || sheetPoints > 0)
    std::snprintf(height, sizeof height, "height=\"%d\"", points > 0 ? points : sheetPoints);
  char align[48] = "";
  int n = 0;
  if (const char* h = HtmlHorizontalAlign(m_sheetAlign)) n = std::snprintf(align, sizeof align, " align=\"%s\"", h);
  if (const char* v = HtmlVerticalAlign(m_sheetAlign))
    std::snprintf(align + n, sizeof align - static_cast<std::size_t>(n), " valign=\"%s\"", v);
  m_out.AppendFormat("<tr %s %s>\r\n", height, align);

  const bool spanning = l.end > l.start && m_text[l.start] == '~';
  const bool codesField = m_run.sheet.formatRow != 0;
  std::uint32_t c = 1;
  for (std::uint32_t p = l.start;; ++c) {
    std::uint32_t e = p;
    while (e < l.end && m_text[e] != kSep) ++e;
    if (codesField && c > m_frame.lastColumn) break;
    Cell(l, c, p, e, spanning, group, rf);
    if (e >= l.end || m_out.Failed()) break;
    p = e + 1;
  }
  m_out.Append("</tr>\r\n");
}

void RowWriter::Cell(const HtmlSheetLine& l, std::uint32_t c, std::uint32_t p, std::uint32_t e, bool spanning,
                     long group, const char* rf) {
  const std::uint32_t sheet = m_frame.number;
  const std::uint32_t listed = m_index.ListedColumn(c);
  const char* cf = HtmlColumnRecord(m_run, listed).c;
  const unsigned char* region = Region(l.gridRow, c);
  if (region) {
    m_out.AppendFormat("<td class=xs%02u%03u%02uA", l.row, c, sheet);
  } else {
    const std::uint32_t groupRow = group < 0 ? kNoGroupRow : m_index.groupRows[static_cast<std::size_t>(group)];
    m_out.AppendFormat("<td class=xs%02u%03u%02u", groupRow, listed, sheet);
  }
  // The closing control byte (none at the text's end) and the byte after it.
  const bool closed = e < m_len && m_text[e] != '\0';
  if (spanning) {
    const std::uint64_t bytes = static_cast<std::uint64_t>(e - p) + (closed ? 1 : 0);
    const std::uint64_t room = m_frame.lastColumn > c ? m_frame.lastColumn - c : 0;
    const std::uint64_t span = std::max<std::uint64_t>(std::min(bytes / kSpanBytes, room), 1);
    m_out.AppendFormat(" colspan=%llu", static_cast<unsigned long long>(span));
  }
  // The condition records that marked this cell.
  CellStyle style;
  const auto first =
      std::lower_bound(m_marks.begin(), m_marks.end(), std::make_pair(l.gridRow, c),
                       [](const xlsx::XlsxConditionMark& m, const std::pair<std::uint32_t, std::uint32_t>& k) {
                         return m.row != k.first ? m.row < k.first : m.column < k.second;
                       });
  if (l.gridRow > 0)
    for (auto it = first; it != m_marks.end() && it->row == l.gridRow && it->column == c; ++it)
      if (it->object >= 1 && it->object <= m_layer.shapes.size())
        style.Take(m_layer.shapes[it->object - 1].rec.c, m_sheetDigit);
  if (style.Styled()) AppendCellStyle(style, m_out);
  m_out.AppendByte('>');
  const bool font = style.Font();
  if (font) AppendFontPart(style, m_out);
  const unsigned char flags = static_cast<unsigned char>(Flags(rf[7]) | Flags(cf[7]) | style.flags |
                                                         (region ? Flags(static_cast<char>(region[7])) : 0));
  for (const FlagTag& t : kFlagTags)
    if (flags & t.bit) m_out.Append(t.open);

  HtmlCellFormat f;
  const char own = HtmlColumnRecord(m_run, c).c[1];
  f.code = Unset(own) ? m_defaultFormat : static_cast<unsigned char>(own);
  f.dataRow = l.row > m_frame.title;
  f.titleLine = l.row == m_frame.title;
  f.firstCell = c == 1;
  f.byteAfter = closed && e + 1 < m_len ? static_cast<unsigned char>(m_text[e + 1]) : 0;
  const std::size_t written = AppendHtmlCellText(m_text + p, e - p, f, m_out);
  if (!spanning && c < m_longest.size()) m_longest[c] = std::max<std::uint64_t>(m_longest[c], written);

  for (auto t = std::rbegin(kFlagTags); t != std::rend(kFlagTags); ++t)
    if (flags & t->bit) m_out.Append(t->close);
  if (font) m_out.Append("</font>");
  m_out.Append("</td>\r\n");
}

}  // namespace

std::uint32_t HtmlColumnPixels(std::uint64_t longest, unsigned char digit) {
  const std::int64_t p = (15 * static_cast<std::int64_t>(digit) - 670) / 15;
  if (p <= 0) return 0;
  const std::uint64_t limit = kMaxColumnPixels / static_cast<std::uint64_t>(p);
  if (longest + 2 > limit) return kMaxColumnPixels;
  return static_cast<std::uint32_t>((longest + 2) * static_cast<std::uint64_t>(p));
}

bool HtmlWriteSheetBody(const xlsx::XlsxRun& run, const HtmlSheetFrame& frame, const HtmlClassIndex& index,
                        const char* text, std::uint32_t len, exportcore::ByteWriter& body,
                        exportcore::ByteWriter& rows) {
  const xlsx::XlsxSheetModel& m = run.sheet;
  if (frame.number > 1 && m.settings.pageBreakBefore) body.Append("<h5>page</h5>\r\n");

  // The lines before the table, the table's rows and the lines after it.
  rows.Clear();
  RowWriter writer(run, frame, index, text, len, rows);
  HtmlSheetLines lines(run, frame, text, len);
  HtmlSheetLine l;
  std::uint32_t beforeFrom = std::min(m.readStart, len), beforeTo = beforeFrom;
  std::uint32_t afterFrom = 0, afterTo = 0;
  bool before = true, after = false;
  while (lines.Next(&l)) {
    if (before && l.row < frame.title) {
      beforeTo = l.next;
      continue;
    }
    before = false;
    if (l.row < frame.tableEnd) {
      if (!l.formatRow && !l.headLine && !l.widthRow) writer.Row(l);
      if (rows.Failed()) return false;
      continue;
    }
    if (LineBegins(text, l, "!%") || LineBegins(text, l, "!$")) break;
    if (!after) afterFrom = l.start;
    after = true;
    afterTo = l.next;
  }
  AppendPreLines(text, beforeFrom, beforeTo, body);
  AppendSheetStyle(m.settings, frame.number, body);

  // The widths, now that the rows are known.
  const std::vector<std::uint64_t>& longest = writer.Longest();
  std::vector<std::uint32_t> pixels(frame.lastColumn + 1, kLaterColumnPixels);
  std::uint64_t table = 0;
  for (std::uint32_t c = 1; c <= frame.lastColumn; ++c) {
    if (c <= kWidthColumns) {
      const char own = HtmlColumnRecord(run, c).c[8];
      const char digit = IsDigit(own) ? own : IsDigit(m.settings.fontSizeDigit) ? m.settings.fontSizeDigit : '5';
      const std::uint64_t measured =
          m.settings.sheetLetter == 'S' ? static_cast<std::uint64_t>(std::max<std::int32_t>(run.XlsxColumnWidths[c], 0))
                                        : longest[c];
      pixels[c] = HtmlColumnPixels(measured, static_cast<unsigned char>(digit));
    }
    table += pixels[c] + 10;
  }
  body.AppendFormat("<table width=%04u border=0 cellpadding=0 cellspacing=0 class=\"allset%u\">\r\n",
                    static_cast<unsigned>(std::min<std::uint64_t>(table, kMaxTablePixels)), frame.number);
  for (std::uint32_t c = 1; c <= frame.lastColumn; ++c) {
    const char* h = HtmlHorizontalAlign(static_cast<unsigned char>(HtmlColumnRecord(run, c).c[0]));
    body.AppendFormat("<colgroup%s%s width=\"%03u\">\r\n", h ? " align=" : "", h ? h : "", pixels[c]);
  }
  body.Append(rows.Data(), rows.Size());
  body.Append("</table>\r\n");
  AppendPreLines(text, afterFrom, afterTo, body);
  body.Append("<br>\r\n\r\n");
  return !body.Failed() && !rows.Failed();
}

}  // namespace htmlexport
