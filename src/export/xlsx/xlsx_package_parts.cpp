#include "export/xlsx/xlsx_package_parts.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "export/byte_writer.h"
#include "export/part_sink.h"
#include "export/xlsx/xlsx_prescan.h"
#include "export/xlsx/xlsx_run.h"

namespace xlsx {

namespace {

constexpr const char kShiftJisDeclaration[] = "<?xml version=\"1.0\" encoding=\"Shift-JIS\" standalone=\"yes\"?>\n";
constexpr const char kUtf8Declaration[] = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
constexpr const char kRelationshipsStart[] =
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
constexpr const char kRelationshipType[] = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

constexpr int kLastColumn = 16384;
constexpr std::uint32_t kLastRow = 1048576;

std::string Numbered(const char* format, long long n) {
  char text[48];
  std::snprintf(text, sizeof text, format, n);
  return text;
}

std::uint32_t ListCount(const XlsxRun& run) {
  const std::uint32_t listed = run.XlsxSheetOrder[0];
  return listed ? std::min<std::uint32_t>(listed, kMaxSheets) : run.XlsxSheetCount;
}

int SheetCount(const XlsxRun& run) { return static_cast<int>(std::min<std::uint32_t>(run.XlsxSheetCount, kMaxSheets)); }

// The name of sheet n as the run holds it, "sheet%d" when it has none.
std::string StoredName(const XlsxRun& run, int n) {
  const std::string& name = n > 0 && n < kSheetSlots ? run.XlsxSheetNames[n] : std::string();
  return name.empty() ? Numbered("sheet%lld", n) : name;
}

void AppendRelationship(exportcore::ByteWriter& out, const char* id, const char* type, const std::string& target) {
  out.AppendFormat("<Relationship Id=\"%s\" Type=\"%s%s\" Target=\"%s\"/>", id, kRelationshipType, type,
                   target.c_str());
}

}  // namespace

std::string FitSheetName(const std::string& name, const std::string& suffix) {
  std::string clean;
  for (std::size_t i = 0; i < name.size();) {
    const std::size_t k = exportcore::SjisPairLength(name.data(), i, name.size());
    if (k == 2) {
      clean.append(name, i, 2);
    } else {
      const unsigned char c = static_cast<unsigned char>(name[i]);
      if (c == '*' || c == '/' || c == ':' || c == '?' || c == '\\')
        clean += '#';
      else if (c == '[')
        clean += '(';
      else if (c == ']')
        clean += ')';
      else if (c >= 0x20)
        clean += static_cast<char>(c);
    }
    i += k;
  }
  return XlsxFitSheetName(clean, suffix);
}

std::string QuotedSheetName(const std::string& name) {
  std::string out;
  for (std::size_t i = 0; i < name.size();) {
    const std::size_t k = exportcore::SjisPairLength(name.data(), i, name.size());
    out.append(name, i, k);
    if (k == 1 && name[i] == '\'') out += '\'';
    i += k;
  }
  return out;
}

std::string ColumnLettersA1(int column) {
  column = std::clamp(column, 1, kLastColumn);
  std::string letters;
  while (column > 0) {
    letters.insert(letters.begin(), static_cast<char>('A' + (column - 1) % 26));
    column = (column - 1) / 26;
  }
  return letters;
}

bool XlsxSheetHasDrawing(const XlsxRun& run, int n) {
  if (n < 1 || n >= kSheetSlots) return false;
  return run.XlsxChartSlots[n] > 0 || run.XlsxPictureCount[n] != 0;
}

std::vector<XlsxSheetListEntry> BuildSheetList(XlsxRun& run) {
  const int sheets = SheetCount(run);
  const bool listed = run.XlsxSheetOrder[0] != 0;
  const std::uint32_t count = ListCount(run);
  std::vector<XlsxSheetListEntry> list;
  std::vector<int> timesListed(kSheetSlots, 0);
  auto used = [&list](const std::string& name) {
    for (const XlsxSheetListEntry& e : list)
      if (XlsxSameSheetName(e.name, name)) return true;
    return false;
  };

  auto add = [&](int p, int v, const std::string& name, const std::string& suffix, bool fromSheetName) {
    std::string fitted = FitSheetName(name, suffix);
    if (fitted.empty()) fitted = Numbered("sheet%lld", v);
    // A name already in the list (ASCII case ignored) gets the next free number.
    const std::string base = fitted;
    for (int k = 2; used(fitted); ++k) fitted = FitSheetName(base, Numbered("(%lld)", k));
    if (fromSheetName) run.XlsxSheetNames[v] = fitted;
    list.push_back(XlsxSheetListEntry{fitted, p + 3, v});
  };

  for (std::uint32_t p = 1; p <= count; ++p) {
    const std::uint32_t v = listed ? run.XlsxSheetOrder[p] : p;
    if (v == 0 || v > static_cast<std::uint32_t>(sheets)) continue;  // no such worksheet part
    const int d = timesListed[v]++;
    const XlsxExtraName* extra = nullptr;
    for (const XlsxExtraName& e : run.XlsxExtraNames)
      if (e.position == p) {
        extra = &e;
        break;
      }
    if (extra) {
      add(static_cast<int>(p), static_cast<int>(v), extra->name, std::string(), false);
    } else {
      // A sheet listed again is named with its listing number; the name is kept
      // for the document properties.
      add(static_cast<int>(p), static_cast<int>(v), StoredName(run, static_cast<int>(v)),
          d > 0 ? Numbered("(%lld)", d + 1) : std::string(), d > 0);
    }
  }
  if (list.empty()) {
    for (int n = 1; n <= sheets; ++n) add(n, n, StoredName(run, n), std::string(), false);
  }
  return list;
}

void BuildWorkbookPart(const XlsxRun& run, const std::vector<XlsxSheetListEntry>& sheets,
                       exportcore::ByteWriter& out) {
  out.Clear();
  out.Append(kShiftJisDeclaration);
  out.Append(
      "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
      "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
      "<fileVersion appName=\"xl\" lastEdited=\"5\" lowestEdited=\"5\" rupBuild=\"9303\"/>"
      "<workbookPr defaultThemeVersion=\"124226\"/>");
  // The tab opened first; a number past the list opens the first tab.
  std::uint32_t activeTab = run.firstSheet > 0 ? run.firstSheet - 1 : 0;
  if (activeTab >= sheets.size()) activeTab = 0;
  out.AppendFormat(
      "<bookViews><workbookView xWindow=\"0\" yWindow=\"60\" windowWidth=\"15075\" windowHeight=\"8880\" "
      "activeTab=\"%u\"/></bookViews>",
      static_cast<unsigned>(activeTab));
  out.Append("<sheets>");
  for (const XlsxSheetListEntry& s : sheets) {
    out.Append("<sheet name=\"");
    out.AppendEscaped(s.name.data(), s.name.size());
    out.AppendFormat("\" sheetId=\"%d\" r:id=\"rId%d\"/>", s.sheetId, s.sheet);
  }
  out.Append("</sheets>");

  // Hidden filter names, one per listed sheet with a filter row.
  const std::size_t before = out.Size();
  bool anyFilter = false;
  out.Append("<definedNames>");
  for (int n = 1; n < kSheetSlots; ++n) {
    const std::uint32_t row = run.XlsxFilterRow[n];
    if (row == 0) continue;
    const auto at = std::find_if(sheets.begin(), sheets.end(), [n](const XlsxSheetListEntry& s) { return s.sheet == n; });
    if (at == sheets.end()) continue;  // the sheet is not in the workbook
    std::uint32_t code = run.XlsxFilterColumns[n];
    if (code == 0) code = 1;
    const std::uint32_t first = code > 10000 ? code / 10000 : 1;
    const std::uint32_t last = code > 10000 ? code % 10000 : code;
    const std::string a = ColumnLettersA1(static_cast<int>(std::min<std::uint32_t>(first, kLastColumn)));
    const std::string b = ColumnLettersA1(static_cast<int>(std::min<std::uint32_t>(last, kLastColumn)));
    const unsigned r = std::min(row, kLastRow);
    const std::string quoted = QuotedSheetName(at->name);
    out.AppendFormat("<definedName name=\"_xlnm._FilterDatabase\" localSheetId=\"%d\" hidden=\"1\">'",
                     static_cast<int>(at - sheets.begin()));
    out.AppendEscaped(quoted.data(), quoted.size());
    out.AppendFormat("'!$%s$%u:$%s$%u</definedName>", a.c_str(), r, b.c_str(), r);
    anyFilter = true;
  }
  if (anyFilter)
    out.Append("</definedNames>");
  else
    out.Truncate(before);
  out.Append(run.XlsxR1C1Flag == 1 ? "<calcPr calcId=\"145621\" refMode=\"R1C1\"/></workbook>"
                                   : "<calcPr calcId=\"145621\"/></workbook>");
}

void BuildWorkbookRelationships(const XlsxRun& run, exportcore::ByteWriter& out) {
  const int sheets = SheetCount(run);
  out.Clear();
  out.Append(kUtf8Declaration);
  out.Append(kRelationshipsStart);
  AppendRelationship(out, Numbered("rId%lld", sheets + 1).c_str(), "styles", "styles.xml");
  for (int n = 1; n <= sheets; ++n)
    AppendRelationship(out, Numbered("rId%lld", n).c_str(), "worksheet", Numbered("worksheets/sheet%lld.xml", n));
  out.Append("</Relationships>");
}

void BuildSheetRelationships(const XlsxRun& run, int n, exportcore::ByteWriter& out) {
  out.Clear();
  out.Append(kUtf8Declaration);
  out.Append(kRelationshipsStart);
  if (XlsxSheetHasDrawing(run, n))
    AppendRelationship(out, "rId2", "drawing", Numbered("../drawings/drawing%lld.xml", n));
  out.Append("</Relationships>");
}

void BuildDrawingRelationships(const XlsxRun& run, int n, int& picture, int& chart, exportcore::ByteWriter& out) {
  out.Clear();
  out.Append(kUtf8Declaration);
  out.Append(kRelationshipsStart);
  const std::int32_t pictures = run.XlsxPictureCount[n];
  for (std::int32_t j = 1; j <= pictures; ++j)
    AppendRelationship(out, Numbered("rId%lld", 1000 + j).c_str(), "image",
                       Numbered("../media/image%lld.png", picture++));
  const std::uint32_t slots = run.XlsxChartSlots[n];
  for (std::uint32_t j = 1; j + 1 <= slots; ++j)
    AppendRelationship(out, Numbered("rId%lld", j).c_str(), "chart", Numbered("../charts/chart%lld.xml", chart++));
  out.Append("</Relationships>");
}

void BuildPackageRelationships(exportcore::ByteWriter& out) {
  out.Clear();
  out.Append(kUtf8Declaration);
  out.Append(kRelationshipsStart);
  out.Append(
      "<Relationship Id=\"rId3\" "
      "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/extended-properties\" "
      "Target=\"docProps/app.xml\"/><Relationship Id=\"rId2\" "
      "Type=\"http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties\" "
      "Target=\"docProps/core.xml\"/>"
      "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
      "officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>");
}

void BuildCoreProperties(exportcore::ByteWriter& out) {
  out.Clear();
  out.Append(kShiftJisDeclaration);
  out.Append(
      "<cp:coreProperties xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/metadata/core-properties\" "
      "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" xmlns:dcterms=\"http://purl.org/dc/terms/\" "
      "xmlns:dcmitype=\"http://purl.org/dc/dcmitype/\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">"
      "<dc:title>Document</dc:title><dc:subject>Document</dc:subject><dc:creator>Vantel</dc:creator>"
      "<cp:lastModifiedBy>Vantel</cp:lastModifiedBy>"
      "<dcterms:created xsi:type=\"dcterms:W3CDTF\">2012-03-12T00:49:48Z</dcterms:created>"
      "<dcterms:modified xsi:type=\"dcterms:W3CDTF\">2012-03-12T05:51:09Z</dcterms:modified>"
      "</cp:coreProperties>");
}

void BuildAppProperties(const XlsxRun& run, exportcore::ByteWriter& out) {
  const int sheets = SheetCount(run);
  out.Clear();
  out.Append(kShiftJisDeclaration);
  out.Append(
      "<Properties xmlns=\"http://schemas.openxmlformats.org/officeDocument/2006/extended-properties\" "
      "xmlns:vt=\"http://schemas.openxmlformats.org/officeDocument/2006/docPropsVTypes\">"
      "<Application>Microsoft Excel</Application><DocSecurity>0</DocSecurity><ScaleCrop>false</ScaleCrop>"
      "<HeadingPairs><vt:vector size=\"2\" baseType=\"variant\">"
      "<vt:variant><vt:lpstr>ワークシート</vt:lpstr></vt:variant>");
  out.AppendFormat("<vt:variant><vt:i4>%d</vt:i4></vt:variant></vt:vector></HeadingPairs>", sheets);
  out.AppendFormat("<TitlesOfParts><vt:vector size=\"%d\" baseType=\"lpstr\">", sheets);
  for (int n = 1; n <= sheets; ++n) {
    const std::string name = StoredName(run, n);
    out.Append("<vt:lpstr>");
    out.AppendEscaped(name.data(), name.size());
    out.Append("</vt:lpstr>");
  }
  out.Append(
      "</vt:vector></TitlesOfParts><Company>Vantol</Company>"
      "<LinksUpToDate>false</LinksUpToDate><SharedDoc>false</SharedDoc>"
      "<HyperlinksChanged>false</HyperlinksChanged><AppVersion>14.0300</AppVersion></Properties>");
}

void BuildContentTypes(const XlsxRun& run, exportcore::ByteWriter& out) {
  const int sheets = SheetCount(run);
  out.Clear();
  out.Append(kUtf8Declaration);
  out.Append(
      "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
      "<Default Extension=\"png\" ContentType=\"image/png\"/>"
      "<Default Extension=\"bin\" "
      "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.printerSettings\"/>"
      "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
      "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
      "<Override PartName=\"/xl/workbook.xml\" "
      "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>");
  for (int n = 1; n <= sheets; ++n)
    out.AppendFormat(
        "<Override PartName=\"/xl/worksheets/sheet%d.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>",
        n);
  out.Append(
      "<Override PartName=\"/xl/styles.xml\" "
      "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>");
  int chart = 1;
  for (int n = 1; n <= sheets; ++n) {
    if (!XlsxSheetHasDrawing(run, n)) continue;
    out.AppendFormat(
        "<Override PartName=\"/xl/drawings/drawing%d.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.drawing+xml\"/>",
        n);
    for (std::uint32_t j = 1; j + 1 <= run.XlsxChartSlots[n]; ++j)
      out.AppendFormat(
          "<Override PartName=\"/xl/charts/chart%d.xml\" "
          "ContentType=\"application/vnd.openxmlformats-officedocument.drawingml.chart+xml\"/>",
          chart++);
  }
  out.Append(
      "<Override PartName=\"/docProps/core.xml\" "
      "ContentType=\"application/vnd.openxmlformats-package.core-properties+xml\"/>"
      "<Override PartName=\"/docProps/app.xml\" "
      "ContentType=\"application/vnd.openxmlformats-officedocument.extended-properties+xml\"/></Types>");
}

int XlsxWriteWorkbookParts(XlsxRun& run, exportcore::PartSink& sink) {
  exportcore::ByteWriter& out = run.XlsxWorkBuffer;
  const std::uint64_t n = ListCount(run);
  if (!out.Reserve((5 * n + 25) * 200 + 9000)) return -1;  // a first size; the buffer grows
  const int sheets = SheetCount(run);

  // Each part is stored as soon as it is complete; a memory failure ends the
  // step before anything half-built is stored.
  auto store = [&](const std::string& path) {
    if (out.Failed()) return false;
    sink.WritePart(path.c_str(), out);
    return true;
  };
  const std::vector<XlsxSheetListEntry> list = BuildSheetList(run);
  BuildWorkbookPart(run, list, out);
  if (!store("xl/workbook.xml")) return -1;
  BuildWorkbookRelationships(run, out);
  if (!store("xl/_rels/workbook.xml.rels")) return -1;
  for (int s = 1; s <= sheets; ++s) {
    BuildSheetRelationships(run, s, out);
    if (!store(Numbered("xl/worksheets/_rels/sheet%lld.xml.rels", s))) return -1;
  }
  int picture = 1, chart = 1;
  for (int s = 1; s <= sheets; ++s) {
    if (run.XlsxChartSlots[s] == 0 && run.XlsxPictureCount[s] <= 0) continue;
    BuildDrawingRelationships(run, s, picture, chart, out);
    if (!store(Numbered("xl/drawings/_rels/drawing%lld.xml.rels", s))) return -1;
  }
  BuildPackageRelationships(out);
  if (!store("_rels/.rels")) return -1;
  BuildCoreProperties(out);
  if (!store("docProps/core.xml")) return -1;
  BuildAppProperties(run, out);
  if (!store("docProps/app.xml")) return -1;
  BuildContentTypes(run, out);
  if (!store("[Content_Types].xml")) return -1;
  out.Clear();
  return 0;
}

}  // namespace xlsx
