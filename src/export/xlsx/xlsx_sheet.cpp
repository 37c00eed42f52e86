#include "export/xlsx/xlsx_sheet.h"

#include <algorithm>
#include <cstring>

#include "csv/csv_buffer.h"
#include "export/xlsx/xlsx_cells.h"

namespace xlsx {

XlsxFormatRecord DefaultFormatRecord() {
  XlsxFormatRecord r;
  std::memset(r.c, '_', sizeof r.c);
  r.c[0] = '@';
  r.c[7] = 0;
  r.c[9] = 0;
  return r;
}

std::string ColumnLettersOneBased(std::uint32_t column) {
  if (column < 1) column = 1;
  if (column > kMaxSheetColumns) column = kMaxSheetColumns;
  char buf[4];
  int n = 0;
  while (column > 0) {
    const std::uint32_t d = (column - 1) % 26;
    buf[n++] = static_cast<char>('A' + d);
    column = (column - 1) / 26;
  }
  std::string s;
  while (n > 0) s += buf[--n];
  return s;
}

std::string ColumnLettersZeroBased(std::uint32_t index) {
  return ColumnLettersOneBased(index >= kMaxSheetColumns ? kMaxSheetColumns : index + 1);
}

int PaperSizeOfLetter(char letter) {
  switch (letter) {
    case 'c': case 'd': return 8;
    case 'e': case 'f': return 11;
    case 'g': case 'h': return 12;
    case 'i': case 'j': return 4414;
    case 'k': case 'l': return 13;
    default: return 9;
  }
}

namespace {

unsigned char Flags(unsigned char b) { return b == '_' ? 0 : b; }

void Attr(std::string& s, const char* head, std::int64_t v, const char* tail) {
  s += head;
  s += std::to_string(v);
  s += tail;
}

void Tenths(std::string& s, const char* name, std::uint32_t v) {
  s += ' ';
  s += name;
  s += "=\"" + std::to_string(v / 10) + "." + std::to_string(v % 10) + "\"";
}

void Escaped(std::string& s, const std::string& text) {
  for (char ch : text) {
    switch (ch) {
      case '&': s += "&amp;"; break;
      case '"': s += "&quot;"; break;
      case '<': s += "&lt;"; break;
      case '>': s += "&gt;"; break;
      default: s += ch; break;
    }
  }
}

std::uint32_t Cell100k(std::int32_t v) {
  if (v >= 100000) v /= 100000;
  return v < 1 ? 1u : static_cast<std::uint32_t>(v);
}

// Everything before "<sheetData>".
std::string SheetHead(XlsxSheetLayout& L, std::uint32_t widest, std::uint32_t rows) {
  std::string s;
  s += "<?xml version=\"1.0\" encoding=\"Shift-JIS\" standalone=\"yes\"?>\n";
  s += "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" ";
  s += "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" ";
  s += "xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\" ";
  s += "mc:Ignorable=\"x14ac\" xmlns:x14ac=\"http://schemas.microsoft.com/office/spreadsheetml/2009/9/ac\">";
  Attr(s, "<sheetPr codeName=\"Sheet", L.sheetNumber + 1, "\"");
  const bool fit = L.fitWidth > 0 || L.fitHeight > 0;
  if (!fit && L.tabColour == 0) {
    s += "/>";
  } else {
    s += ">";
    if (L.tabColour != 0) s += "<tabColor rgb=\"FF" + ShapeColourHex(static_cast<unsigned char>(L.tabColour)) + "\"/>";
    if (fit) s += "<pageSetUpPr fitToPage=\"1\"/>";
    s += "</sheetPr>";
  }
  // The dimension covers the widest row and the rows written.
  s += "<dimension ref=\"A1";
  if (rows > 0) s += ":" + ColumnLettersOneBased(widest) + std::to_string(rows);
  s += "\"/>";
  s += "<sheetViews><sheetView";
  if (L.gridLetter == 'u' || L.gridLetter == 'v' || L.gridLetter == 's') s += " showGridLines=\"0\"";
  if (L.gridLetter == 'v') s += " showRowColHeaders=\"0\"";
  if (!L.topLeftCell.empty()) {
    s += " topLeftCell=\"";
    Escaped(s, L.topLeftCell);
    s += "\"";
  }
  s += " workbookViewId=\"0\"><selection activeCell=\"";
  Escaped(s, L.activeCell);
  s += "\" sqref=\"";
  Escaped(s, L.activeCell);
  s += "\"/></sheetView></sheetViews>";

  // Columns. Only the first 1000 columns have width codes and records; the
  // rest take the default width of the last element.
  s += "<sheetFormatPr defaultRowHeight=\"13.5\"/><cols>";
  std::uint32_t lastIndex = L.columnCount > 0 ? L.columnCount - 1 : 0;
  if (L.titleRangeMode && lastIndex > 0) --lastIndex;
  const std::uint32_t recorded = std::min<std::uint32_t>(L.columnCount, kMaxFormatRecords);
  const int sizeFactor = 15 * static_cast<int>(L.sizeDigit) - 670;
  for (std::uint32_t c = 1; c <= recorded; ++c) {
    std::int32_t w = c < L.columnWidths.size() ? L.columnWidths[c] : 2;
    if (w < 0) w = 0;
    unsigned char outline = 0, style = 0, flags = 0;
    if (L.HasColumnFormat(c)) {
      outline = L.columnFormats[c].c[4];
      style = Flags(L.columnFormats[c].c[7]);
      flags = Flags(L.columnFormats[c].c[9]);
    }
    const unsigned family = (style | L.defaultFlags) & 0x70;
    if (family == 0x30 || family == 0x40) {
      w += w / 8;
      if (w > 40) w += 5;
      if (c < L.columnWidths.size()) L.columnWidths[c] = w;
    }
    const std::int64_t width = static_cast<std::int64_t>(w % 10000) * sizeFactor / 160 + 3;
    const int level = flags >= 0x10 && outline >= '1' && outline <= '9' ? outline - '0' : 1;
    const std::string range = "<col min=\"" + std::to_string(c) + "\" max=\"" + std::to_string(c) + "\"";
    if (flags & 0x02) {
      s += range + " width=\"0.4\"/>";
    } else if (flags & 0x04) {
      s += range + " width=\"0\" hidden=\"1\" customWidth=\"1\"/>";
    } else if (flags & 0x10) {
      s += range + " width=\"" + std::to_string(width) + "\" customWidth=\"1\" outlineLevel=\"" +
           std::to_string(level) + "\"/>";
    } else if (flags & 0x20) {
      s += range + " width=\"" + std::to_string(width) + "\" hidden=\"1\" customWidth=\"1\" outlineLevel=\"" +
           std::to_string(level) + "\"/>";
    } else if (!(c > lastIndex && w <= 2)) {
      s += range + " width=\"" + std::to_string(width) + "\" customWidth=\"1\"/>";
    }
  }
  if (recorded + 1 <= kMaxSheetColumns)
    Attr(s, "<col min=\"", recorded + 1, "\" max=\"16384\" width=\"9\" style=\"0\"/>");
  s += "</cols><sheetData>";
  return s;
}

// Everything after "</sheetData>".
std::string SheetTail(const XlsxSheetLayout& L) {
  std::string s;
  if (L.protectedSheet)
    s += "<sheetProtection sheet=\"1\" objects=\"1\" scenarios=\"1\" selectLockedCells=\"1\"/>";
  if (L.filterRow > 0) {
    const std::uint32_t first = L.filterFirstColumn == 0 ? 1 : L.filterFirstColumn;
    const std::uint32_t last = std::max(L.filterLastColumn, first);
    s += "<autoFilter ref=\"" + ColumnLettersOneBased(first) + std::to_string(L.filterRow) + ":" +
         ColumnLettersOneBased(last) + std::to_string(L.filterRow) + "\"/>";
  }
  // Merges: the count is the number of merge elements written.
  std::string merges;
  std::uint32_t mergeCount = 0;
  if (L.mergeCount > 0) {
    for (const XlsxShapeRecord& m : L.objects.shapes) {
      const unsigned char kind = m.rec.c[19];
      if (kind != 'M' && kind != 'N') continue;
      const std::uint32_t c1 = Cell100k(m.fromCol), r1 = Cell100k(m.fromRow);
      const std::uint32_t c2 = std::max(Cell100k(m.toCol), c1), r2 = std::max(Cell100k(m.toRow), r1);
      merges += "<mergeCell ref=\"" + ColumnLettersOneBased(c1) + std::to_string(r1) + ":" +
                ColumnLettersOneBased(c2) + std::to_string(r2) + "\"/>";
      ++mergeCount;
    }
  }
  if (mergeCount > 0) {
    Attr(s, "<mergeCells count=\"", mergeCount, "\">");
    s += merges + "</mergeCells>";
  }
  s += "<pageMargins";
  Tenths(s, "left", L.marginLeft);
  Tenths(s, "right", L.marginRight);
  Tenths(s, "top", L.marginTop);
  Tenths(s, "bottom", L.marginBottom);
  s += " header=\"0.5\" footer=\"0.5\"/>";
  // The page setup refers to no printer settings part: the package has none.
  Attr(s, "<pageSetup paperSize=\"", PaperSizeOfLetter(L.paperLetter), "\" ");
  if (L.scale > 0 && L.scale != 100) Attr(s, "scale=\"", L.scale, "\" ");
  if (L.fitWidth > 0) Attr(s, "fitToWidth=\"", L.fitWidth, "\" ");
  if (L.fitHeight > 0) Attr(s, "fitToHeight=\"", L.fitHeight, "\" ");
  s += (L.paperLetter - 'a') % 2 != 0 ? "orientation=\"landscape\"/>" : "orientation=\"portrait\"/>";
  s += "<headerFooter alignWithMargins=\"0\"/>";

  // Page breaks, at most 256 of each kind.
  std::string brk;
  std::uint32_t breaks = 0;
  for (const XlsxRowFormat& f : L.rowFormats) {
    if (breaks >= static_cast<std::uint32_t>(kMaxPageBreaks)) break;
    if (f.row < L.breakStartRow || f.row >= L.endRow || !(Flags(f.rec.c[9]) & 0x08)) continue;
    const std::int64_t id = static_cast<std::int64_t>(f.row) - L.rowOffset - 1;
    if (id < 0) continue;
    Attr(brk, "<brk id=\"", id, "\" max=\"16383\" man=\"1\"/>");
    ++breaks;
  }
  if (breaks > 0) {
    Attr(s, "<rowBreaks count=\"", breaks, "\"");
    Attr(s, " manualBreakCount=\"", breaks, "\">");
    s += brk + "</rowBreaks>";
  }
  brk.clear();
  breaks = 0;
  std::uint32_t lastIndex = L.columnCount > 0 ? L.columnCount - 1 : 0;
  if (L.titleRangeMode && lastIndex > 0) --lastIndex;
  for (std::uint32_t c = 1; c <= lastIndex && c <= static_cast<std::uint32_t>(kMaxFormatRecords); ++c) {
    if (breaks >= static_cast<std::uint32_t>(kMaxPageBreaks)) break;
    if (!L.HasColumnFormat(c) || !(Flags(L.columnFormats[c].c[9]) & 0x08)) continue;
    Attr(brk, "<brk id=\"", c - 1, "\" max=\"16383\" man=\"1\"/>");
    ++breaks;
  }
  if (breaks > 0) {
    Attr(s, "<colBreaks count=\"", breaks, "\"");
    Attr(s, " manualBreakCount=\"", breaks, "\">");
    s += brk + "</colBreaks>";
  }
  if (L.chartCount > 0 || L.shapeCount > 0) s += "<drawing r:id=\"rId2\"/>";
  s += "</worksheet>";
  return s;
}

}  // namespace

bool WriteWorksheet(const csv::TableFields& t, XlsxSheetLayout& layout, XlsxStyleSlots& slots,
                    XlsxWorkBuffer& buffer, XlsxSheetResult& result) {
  std::fill(std::begin(result.rowHeights), std::end(result.rowHeights), 18);
  result.rowsWritten = 0;
  result.widestRow = 0;
  result.cut = false;
  result.drawingReferenced = layout.chartCount > 0 || layout.shapeCount > 0;

  SheetOut out(buffer);
  const XlsxSheetExtent extent = MeasureSheetRows(t, layout);
  out.Str(SheetHead(layout, extent.widest, extent.rows).c_str());
  const std::string tail = SheetTail(layout);
  std::uint64_t lastWholeRow = out.Size();
  if (!out.Failed()) WriteSheetRows(t, layout, slots, buffer, result, extent.widest, &lastWholeRow);
  if (out.Failed()) {
    // Out of memory: the part ends after the last whole row, well-formed.
    result.cut = true;
    out.Truncate(lastWholeRow);
  }
  out.Str("</sheetData>");
  out.Str(tail.c_str());
  return !out.Failed();
}

}  // namespace xlsx
