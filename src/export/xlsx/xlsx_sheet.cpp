#include "export/xlsx/xlsx_sheet.h"

#include <algorithm>
#include <cstring>

#include "csv/csv_buffer.h"
#include "export/colors.h"
#include "export/xlsx/xlsx_cells.h"

namespace xlsx {

XlsxRecordBytes RecordBytes(const XlsxFormatRecord& r) {
  XlsxRecordBytes b;
  std::memcpy(b.c, r.c, sizeof b.c);
  return b;
}

XlsxRecordBytes DefaultRecordBytes() {
  XlsxRecordBytes r;
  std::memset(r.c, '_', sizeof r.c);
  r.c[0] = '@';
  r.c[7] = 0;
  r.c[9] = 0;
  return r;
}

std::string ColumnLettersOneBased(std::uint32_t column) {
  if (column < 1) column = 1;
  if (column > kSheetColumns) column = kSheetColumns;
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
  return ColumnLettersOneBased(index >= kSheetColumns ? kSheetColumns : index + 1);
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
  if (!fit && L.tabColourHex.empty()) {
    s += "/>";
  } else {
    s += ">";
    if (!L.tabColourHex.empty()) s += "<tabColor rgb=\"FF" + L.tabColourHex + "\"/>";
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

  // Columns, to the widest row: rows wider than the block's first line keep
  // their measured widths. Only the first 1000 columns have width codes and
  // records; the rest take the default width of the last element.
  s += "<sheetFormatPr defaultRowHeight=\"13.5\"/><cols>";
  std::uint32_t lastIndex = L.columnCount > 0 ? L.columnCount - 1 : 0;
  if (L.titleRangeMode && lastIndex > 0) --lastIndex;
  const std::uint32_t recorded = std::min<std::uint32_t>(std::max(L.columnCount, widest), kFormatRecords);
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
  if (recorded + 1 <= kSheetColumns)
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
  // Merges: a range overlapping an earlier one is left out, and the count
  // is the number of merge elements written.
  if (L.mergeCount > 0) {
    const std::vector<XlsxMergeRange> ranges = XlsxMergeRanges(L.objects.shapes);
    if (!ranges.empty()) {
      Attr(s, "<mergeCells count=\"", static_cast<std::uint32_t>(ranges.size()), "\">");
      for (const XlsxMergeRange& g : ranges)
        s += "<mergeCell ref=\"" + ColumnLettersOneBased(g.c1) + std::to_string(g.r1) + ":" +
             ColumnLettersOneBased(g.c2) + std::to_string(g.r2) + "\"/>";
      s += "</mergeCells>";
    }
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
    if (breaks >= static_cast<std::uint32_t>(kPageBreaks)) break;
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
  for (std::uint32_t c = 1; c <= lastIndex && c <= static_cast<std::uint32_t>(kFormatRecords); ++c) {
    if (breaks >= static_cast<std::uint32_t>(kPageBreaks)) break;
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
                    exportcore::ByteWriter& buffer, XlsxSheetResult& result) {
  result.rowHeights.assign(kRowHeightRows, 18);
  result.rowsWritten = 0;
  result.widestRow = 0;
  result.cut = false;
  result.drawingReferenced = layout.chartCount > 0 || layout.shapeCount > 0;

  SheetOut out(buffer);
  const XlsxSheetExtent extent = MeasureSheetRows(t, layout);
  out.Str(SheetHead(layout, extent.widest, extent.rows).c_str());
  const std::string tail = SheetTail(layout);
  const char kDataEnd[] = "</sheetData>";
  // Every row makes room for the part's end first, so that a part cut short
  // for lack of memory still closes.
  if (out.Failed()) return false;
  if (out.Room(sizeof kDataEnd + tail.size()))
    WriteSheetRows(t, layout, slots, buffer, result, extent.widest, sizeof kDataEnd + tail.size());
  else
    result.cut = true;
  out.Str(kDataEnd);
  out.Str(tail.c_str());
  return !out.Failed();
}

namespace {

// The last non-empty field of text row `row`, reading rows from `start`
// (text row `firstRow`); 0 when the row is not reached or has none.
std::uint32_t LastFilledColumnOfRow(const csv::TableFields& t, std::uint32_t start, std::uint32_t firstRow,
                                    std::uint32_t row) {
  const std::uint32_t n = t.m_pTextBuf ? std::min(t.m_nTextLen, t.m_nWorkSize) : 0;
  const unsigned char* p = t.m_pTextBuf;
  std::uint32_t pos = start;
  for (std::uint32_t r = firstRow; r < row; ++r) {
    while (pos < n && p[pos] != '\r' && p[pos] != '\n' && p[pos] != 0) ++pos;
    if (pos >= n || p[pos] == 0) return 0;
    if (p[pos] == '\r') ++pos;
    if (pos < n && p[pos] == '\n') ++pos;
  }
  std::uint32_t col = 1, last = 0;
  for (; pos < n && p[pos] != '\r' && p[pos] != '\n' && p[pos] != 0; ++pos) {
    if (p[pos] == csv::CSV_FIELD_SEP) ++col;
    else last = col;
  }
  return last;
}

}  // namespace

XlsxSheetLayout SheetLayoutFromRun(const XlsxRun& run, const csv::TableFields& t) {
  const XlsxSheetModel& m = run.sheet;
  const XlsxSheetSettings& st = m.settings;
  XlsxSheetLayout L;
  L.sheetNumber = m.number;
  L.startOffset = m.readStart;
  L.firstTextRow = m.firstRowNumber;
  L.endRow = m.bounds.endRow;
  if (m.dataEndRow > 0 && m.dataEndRow < L.endRow) L.endRow = m.dataEndRow;
  if (L.endRow > kMaxRows) L.endRow = kMaxRows;
  L.titleRow = m.bounds.titleRow;
  L.rowLimit = m.bounds.rowLimit;
  L.blockStartLine = m.bounds.titleRow;
  L.columnCount = m.bounds.columnCount;
  if (L.titleRow >= L.firstTextRow)
    L.titleLastColumn = LastFilledColumnOfRow(t, L.startOffset, L.firstTextRow, L.titleRow);
  L.gridLetter = st.viewLetter;
  L.topLeftCell = st.topLeftCell;
  L.activeCell = st.activeCell.empty() ? std::string("A1") : st.activeCell;
  if (st.tabColour != 0) L.tabColourHex = exportcore::XlsxShapeColorHex(st.tabColour);
  L.fitWidth = st.fitWidth > 0 ? static_cast<std::uint32_t>(st.fitWidth) : 0;
  L.fitHeight = st.fitHeight > 0 ? static_cast<std::uint32_t>(st.fitHeight) : 0;
  L.scale = st.scale > 0 ? static_cast<std::uint32_t>(st.scale) : 0;
  L.paperLetter = st.paper;
  auto tenths = [](int v) { return v > 0 ? static_cast<std::uint32_t>(v) : 0u; };
  L.marginLeft = tenths(st.marginLeft);
  L.marginRight = tenths(st.marginRight);
  L.marginTop = tenths(st.marginTop);
  L.marginBottom = tenths(st.marginBottom);
  L.breakStartRow = m.firstRowNumber;
  L.rowOffset = m.firstRowNumber > 0 ? m.firstRowNumber - 1 : 0;
  L.sizeDigit = static_cast<unsigned char>(st.fontSizeDigit);
  L.defaultFlags = st.fontFlags;
  L.defaultRowHeight = static_cast<unsigned char>(std::min(std::max(st.defaultRowHeight, 0), 255));
  L.defaultAlign = static_cast<unsigned char>(st.alignment);
  L.defaultType = static_cast<unsigned char>(st.numberFormat);
  L.defaultFontColour = static_cast<unsigned char>(st.fontColour);
  L.defaultFillColour = static_cast<unsigned char>(st.fillColour);
  L.fontMode = st.fontMode;
  // Sheet letter 'S': the width row after the title row is not written.
  L.skipRowMode = st.sheetLetter == 'S' && m.formatRow == 0;
  // The filter of the sheet: code a * 10000 + b (a above 1), else b.
  if (m.number < static_cast<std::uint32_t>(kSheetSlots) && run.XlsxFilterRow[m.number] > 0) {
    const std::uint32_t code = run.XlsxFilterColumns[m.number];
    L.filterRow = run.XlsxFilterRow[m.number];
    L.filterFirstColumn = code / 10000;
    L.filterLastColumn = code % 10000;
  }
  if (m.number < static_cast<std::uint32_t>(kSheetSlots) && run.XlsxChartSlots[m.number] > 1)
    L.chartCount = run.XlsxChartSlots[m.number] - 1;
  // Drawn objects and pictures of the format section need the drawing too.
  for (const XlsxShapeRecord& r : run.XlsxObjects.shapes) L.shapeCount += IsDrawnKind(r.Kind()) ? 1 : 0;

  // Column records: the format row sets up columns 1 to the column count
  // + 90 (to the column count - 1 under a "!^" line).
  std::uint32_t formatted = m.formatRow != 0 ? (L.columnCount > 0 ? L.columnCount - 1 : 0) : L.columnCount + 90;
  formatted = std::min<std::uint32_t>(formatted, kFormatRecords);
  formatted = std::min<std::uint32_t>(formatted, static_cast<std::uint32_t>(run.XlsxColumnFormats.size()) - 1);
  L.columnFormats.resize(formatted + 1, DefaultRecordBytes());
  L.columnHasFormat.assign(formatted + 1, true);
  L.columnHasFormat[0] = false;
  const XlsxRecordBytes untouched = RecordBytes(XlsxFormatRecord());
  for (std::uint32_t c = 1; c <= formatted; ++c) {
    XlsxRecordBytes& r = L.columnFormats[c];
    r = RecordBytes(run.XlsxColumnFormats[c]);
    // A column no code has set keeps the format row's start: a thin right
    // border, and a thin left one for column 1.
    if (std::memcmp(r.c, untouched.c, sizeof r.c) == 0) {
      r.c[3] = '1';
      if (c == 1) r.c[2] = '1';
    }
  }
  const std::size_t widths = std::min<std::size_t>(run.XlsxColumnWidths.size(), kFormatRecords + 1);
  L.columnWidths.assign(run.XlsxColumnWidths.begin(), run.XlsxColumnWidths.begin() + widths);
  const std::size_t rows = std::min(run.XlsxRowFormats.size(), run.XlsxRowFormatRows.size());
  L.rowFormats.reserve(rows);
  for (std::size_t i = 0; i < rows; ++i) {
    XlsxRowFormat f;
    f.row = run.XlsxRowFormatRows[i];
    f.rec = RecordBytes(run.XlsxRowFormats[i]);
    L.rowFormats.push_back(f);
  }

  L.colourBarColumn = run.colourBarColumn;
  for (int i = 0; i < 10 && run.colourBarChars[i] != 0; ++i) {
    L.colourBarChars[i] = static_cast<unsigned char>(run.colourBarChars[i]);
    if (run.colourBarCodes[i] != 0) L.colourBarHex[i] = exportcore::XlsxShapeColorHex(run.colourBarCodes[i]);
  }
  L.curLine = run.curLine;

  // The format section's objects (the grid is shared, not copied).
  L.objects = run.XlsxObjects;
  L.mergeCount = run.XlsxMergeCount;
  L.protectedSheet = run.XlsxSheetProtected;
  return L;
}

SheetPartResult WriteSheetPart(XlsxRun& run, const csv::TableFields& t, exportcore::PartSink& sink) {
  XlsxSheetLayout layout = SheetLayoutFromRun(run, t);
  XlsxSheetResult result;
  run.XlsxWorkBuffer.Clear();
  if (!WriteWorksheet(t, layout, run.XlsxCellStyleTable, run.XlsxWorkBuffer, result))
    return SheetPartResult::kNoMemory;
  run.XlsxRowHeights = result.rowHeights;
  std::copy(layout.columnWidths.begin(), layout.columnWidths.end(), run.XlsxColumnWidths.begin());
  const std::uint32_t n = run.sheet.number;
  if (result.drawingReferenced && n < static_cast<std::uint32_t>(kSheetSlots) && run.XlsxPictureCount[n] == 0)
    run.XlsxPictureCount[n] = -1;
  const std::string path = "xl/worksheets/sheet" + std::to_string(n) + ".xml";
  if (!sink.WritePart(path.c_str(), run.XlsxWorkBuffer)) return SheetPartResult::kNotStored;
  return result.cut ? SheetPartResult::kCut : SheetPartResult::kWritten;
}

bool WriteWorksheetText(const csv::TableFields& t, XlsxSheetLayout& layout, XlsxStyleSlots& slots,
                        std::string* part, XlsxSheetResult* result) {
  exportcore::ByteWriter buffer;
  XlsxSheetResult scratch;
  const bool ok = WriteWorksheet(t, layout, slots, buffer, result ? *result : scratch);
  part->assign(buffer.Data(), buffer.Size());
  return ok;
}

}  // namespace xlsx
