#include "convert/xlsx_reader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "convert/convert_texts.h"
#include "convert/ooxml_tag.h"
#include "convert/xlsx_drawings.h"
#include "convert/xlsx_parts.h"
#include "convert/xlsx_strings.h"
#include "convert/xlsx_styles.h"
#include "convert/xlsx_values.h"

namespace convert {
namespace {

constexpr int kSheetFiles = 256;  // sheet file numbers 1-255
constexpr int kMaxRow = 1 << 30;

bool At(const char* p, const char* s) { return std::strncmp(p, s, std::strlen(s)) == 0; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A width in characters as the table keeps it: the integer part w, then
// w + 2, then w + w / 10 above 10; at most 255.
std::uint8_t TableWidth(int w) {
  if (w > 255) w = 255;  // held in one byte anyway
  if (w > 0) {
    w += 2;
    if (w > 10) w += w / 10;
  }
  if (w < 0) w = 0;
  return static_cast<std::uint8_t>(std::min(w, 255));
}

struct Reader {
  XlsxParts& parts;
  const XlsxWords& words;
  WorkbookTable& table;
  XlsxStyles styles;
  XlsxSharedStrings strings;
  int sheetOfRel[256] = {};   // workbook relationship number -> sheet file number
  XlsxSheetDrawings drawings;

  Reader(XlsxParts& p, const XlsxWords& w, WorkbookTable& t) : parts(p), words(w), table(t) {}

  void ReadWorkbookRels();
  void ReadWorkbook();
  void ReadStyles();
  void ReadSharedStrings();
  void ReadSheetRels();
  void ReadSheets();
  void ReadWidths(const PartText& text);
  void ReadCells(const PartText& text, int sheet);
  void StoreValue(const char* value, int row, int column, int sheet, int formatClass, char type, bool inlineText);
};

void Reader::ReadWorkbookRels() {
  if (!parts.Load("xl\\_rels\\workbook.xml.rels")) return;
  const PartText& text = parts.Text();
  const char* t = text.Data();
  for (int i = 0; i < text.Size(); ++i) {
    if (t[i] != '<' || !At(t + i, "<Rel")) continue;
    int pos = i + 1;
    const int n = FindInTag("Id=\"rId", text, &pos, kTagInteger);
    if (n < 1 || n >= 200) continue;
    // The target names the sheet file below "xl/" ("worksheets/sheet3.xml")
    // or from the package root ("/xl/worksheets/sheet3.xml").
    const int m = FindInTag("worksheets/sheet", text, &pos, kTagInteger);
    if (m >= 1 && m < kSheetFiles) sheetOfRel[n] = m;
  }
}

void Reader::ReadWorkbook() {
  if (!parts.Load("xl\\workbook.xml")) return;
  const PartText& text = parts.Text();
  const char* t = text.Data();
  for (int i = 0; i < text.Size(); ++i) {
    if (t[i] != '<') continue;
    if (At(t + i, "<sheet name=\"")) {
      int j = i + 13;
      std::string name;
      for (int k = 0; k < 32 && t[j] && t[j] != '"'; ++k, ++j)
        if (name.size() < 31) name.push_back(t[j]);
      int pos = j;
      const int k = FindInTag("r:id=\"rId", text, &pos, kTagInteger);
      if (k >= 1 && k < 256) {
        const int m = sheetOfRel[k];
        if (m >= 1 && m < kSheetFiles)
          table.SetSheetName(m - 1, reinterpret_cast<const std::uint8_t*>(name.data()), name.size());
      }
    } else if (At(t + i, "<workbookPr ")) {
      int pos = i + 1;
      if (FindInTag("date1904=\"", text, &pos, kTagInteger) == 1 ||
          FindInTag("date1904=\"true", text, &pos, kTagFound) == 1)
        table.m_bDate1904 = true;
    }
  }
}

void Reader::ReadStyles() {
  if (parts.Load("xl\\styles.xml")) styles.Read(parts.Text());
}

void Reader::ReadSharedStrings() {
  if (!parts.Load("xl\\sharedStrings.xml")) return;
  if (!strings.Read(parts.Text().Data(), parts.Text().Size())) parts.MarkDamaged("xl\\sharedStrings.xml");
}

// The drawing numbers of each sheet: "drawing%d.xml" and the legacy
// "vmlDrawing%d.vml" its relationships name.
void Reader::ReadSheetRels() {
  if (!parts.FolderExists("xl\\worksheets\\_rels")) return;
  for (int s = 1; s < kSheetFiles; ++s) {
    char path[64];
    // Only the sheets the sheet loop reads: it ends at the first missing one.
    std::snprintf(path, sizeof path, "xl\\worksheets\\sheet%d.xml", s);
    if (!parts.Exists(path)) break;
    std::snprintf(path, sizeof path, "xl\\worksheets\\_rels\\sheet%d.xml.rels", s);
    if (!parts.Load(path)) continue;
    const char* t = parts.Text().Data();
    const int n = parts.Text().Size();
    for (int i = 0; i < n; ++i) {
      const bool legacy = At(t + i, "Drawing");
      if (!legacy && !At(t + i, "drawing")) continue;
      int j = i + 7, number = 0;
      while (IsDigit(t[j]) && number < 1000) number = number * 10 + (t[j++] - '0');
      if (number < 1 || number > 99) continue;
      if (!legacy && drawings.drawing[s] == 0 && At(t + j, ".xm")) drawings.drawing[s] = number;
      if (legacy && drawings.legacy[s] == 0 && At(t + j, ".vm")) drawings.legacy[s] = number;
    }
  }
}

void Reader::ReadWidths(const PartText& text) {
  const char* t = text.Data();
  for (int i = 0; i < text.Size(); ++i) {
    if (t[i] != '<') continue;
    if (At(t + i, "<sheetFormatPr")) {
      int pos = i + 1;
      if (FindInTag("defaultColWidth=\"", text, &pos, kTagFound))
        table.SetColumnWidths(0, 253, TableWidth(FindInTag("defaultColWidth=\"", text, &pos, kTagInteger)));
    } else if (At(t + i, "<col ")) {
      int pos = i + 1;
      const int first = FindInTag("min=\"", text, &pos, kTagInteger);
      int last = FindInTag("max=\"", text, &pos, kTagInteger);
      if (first > 255) continue;
      if (last > 255) last = 255;
      int w = FindInTag("width=\"", text, &pos, kTagInteger);
      if (FindInTag("hidden=\"1", text, &pos, kTagFound) || FindInTag("hidden=\"true", text, &pos, kTagFound)) w = 0;
      if (first >= 1 && first <= last) table.SetColumnWidths(first - 1, last - 1, TableWidth(w));
    } else if (At(t + i, "<sheetData")) {
      return;  // the widths come before the cells
    }
  }
}

// A General value that is no number: anything but digits, signs, points and
// commas (an exponent keeps it a number).
bool LooksLikeText(const char* v) {
  for (; *v && *v != '<'; ++v) {
    const char c = *v;
    if (!IsDigit(c) && c != '-' && c != '+' && c != '.' && c != ',' && c != 'E' && c != 'e') return true;
  }
  return false;
}

void Reader::StoreValue(const char* v, int row, int column, int sheet, int formatClass, char type, bool inlineText) {
  std::string text;
  std::int32_t base = kValueKindText;
  const std::size_t length = std::strcspn(v, "<");
  if (type == 's') {
    int pos = 0;
    const int index = ReadCellToken(v, length + 1, &pos, 0);
    if (!strings.CellText(index, words.nChar, text)) return;  // outside the pool: the cell stays empty
  } else if (type == 'f') {
    text = XlsxFormulaText(v);
  } else {
    if (length == 0 && !inlineText) return;  // a formula never calculated
    XlsxFormat f = SplitFormatClass(formatClass);
    bool asText = inlineText || type == 'i' || (f.kind == 0 && LooksLikeText(v));
    if (v[0] == '#' && (v[1] == 'D' || v[1] == 'R' || v[1] == 'V')) {
      text = "--";
      base = kValueKindNumber;
    } else if (asText) {
      text = XlsxInlineText(v, words.nChar - 1);
    } else if (IsXlsxDateKind(f.kind) && FormatXlsxDate(v, length, f.kind, table.m_bDate1904, text)) {
      base = kValueKindText;
    } else {
      XlsxNumberWords nw;
      nw.fixedDecimals = words.fixedDecimals;
      nw.groupSwitch = words.groupSwitch;
      text = FormatXlsxNumber(v, length, f.kind, f.decimals, nw);
      base = kValueKindNumber;
    }
  }
  if (row < 1) row = 1;  // a cell before any row element: the first row
  const std::int32_t index =
      table.AddValue(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), base);
  table.AddCell(row - 1, column - 1, index, sheet - 1);
  if (sheet >= 0 && sheet < kSheetFiles) drawings.largestRow[sheet] = std::max(drawings.largestRow[sheet], row);
}

void Reader::ReadCells(const PartText& text, int sheet) {
  const char* t = text.Data();
  const int n = text.Size();
  int row = 0, column = 0;
  bool inCell = false, stored = false;
  char type = 0;
  int formatClass = 0;
  for (int i = 0; i < n; ++i) {
    if (t[i] != '<') continue;
    const char* p = t + i;
    if (At(p, "<row") && (p[4] == ' ' || p[4] == '>')) {
      int pos = i + 1;
      const int r = FindInTag(" r=\"", text, &pos, kTagInteger);
      row = r > 0 ? r : row + 1;
      if (row > kMaxRow) row = kMaxRow;  // a row number from the file stays far from overflow
      column = 0;
      inCell = false;
    } else if (At(p, "<c ") || At(p, "<c>")) {
      ++column;
      type = 0;
      formatClass = 0;
      stored = false;
      inCell = true;
      // The attributes, up to the end of the tag.
      int j = i + 2;
      for (; j < n && t[j] != '>'; ++j) {
        if (t[j] != ' ') continue;
        int pos = j + 3;
        if (At(t + j, " r=")) {
          const int c = ReadCellToken(text, &pos, 1);
          if (c > 0) column = c;
        } else if (At(t + j, " s=")) {
          formatClass = styles.CellClass(ReadCellToken(text, &pos, 0));
        } else if (At(t + j, " t=\"s\"")) {
          type = 's';
        } else if (At(t + j, " t=\"str\"")) {
          type = 'f';
        } else if (At(t + j, " t=\"inlineStr\"")) {
          type = 'i';
        }
      }
      if (j > i && t[j - 1] == '/') inCell = false;  // "<c .../>": an empty cell
      i = j;
    } else if (At(p, "</c>")) {
      inCell = false;
    } else if (inCell && !stored && (p[1] == 'v' || p[1] == 't') && (p[2] == ' ' || p[2] == '>')) {
      int j = i + 2;
      while (j < n && t[j] != '>') ++j;
      if (j >= n) break;
      stored = true;
      StoreValue(t + j + 1, row, column, sheet, formatClass, type, p[1] == 't');
      i = j;
    }
  }
}

void Reader::ReadSheets() {
  for (int s = 1; s < kSheetFiles; ++s) {
    if (table.m_nCellCount >= table.Capacity()) break;
    char path[64];
    std::snprintf(path, sizeof path, "xl\\worksheets\\sheet%d.xml", s);
    if (!parts.Exists(path)) break;
    table.NextWidthRow();
    table.m_nSheet = s - 1;
    table.m_nSheetCount = s;
    if (!parts.Load(path)) continue;  // there, but not loaded: read as empty
    ReadWidths(parts.Text());
    ReadCells(parts.Text(), s);
  }
}

}  // namespace

XlsxRead ReadXlsxWorkbook(OoxmlPackage& package, const XlsxWords& words, WorkbookTable& table, LoadBuffer& out) {
  XlsxParts parts(package, words.memoryLimit, out);
  Reader r(parts, words, table);
  table.m_nKind = 36;
  r.ReadWorkbookRels();
  r.ReadWorkbook();
  r.ReadStyles();
  r.ReadSharedStrings();
  r.ReadSheetRels();
  r.ReadSheets();
  XlsxRead result;
  result.shapeCells = ReadXlsxDrawings(parts, words, r.drawings, table);
  result.damagedPart = parts.Damaged();
  return result;
}

void WriteXlsxDamage(const std::string& part, LoadBuffer& out) {
  if (part.empty()) return;
  out.Append("\r\n");
  out.Append(static_cast<const char*>(GetConvertText(ConvertText::kUnsupportedFormat)));
  out.Printf("(%s)", part.c_str());
}

}  // namespace convert
