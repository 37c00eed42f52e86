// The parts that make the worksheets and the style sheet one spreadsheet
// package: the workbook with its sheet list, the relationships of the
// package, the workbook, every worksheet and every drawing, the core and
// application properties, and the content types.
//
// Package layout (part, declaration, how it is reached):
//   [Content_Types].xml                  UTF-8      -
//   _rels/.rels                          UTF-8      -
//   docProps/app.xml                     Shift-JIS  package rId3
//   docProps/core.xml                    Shift-JIS  package rId2
//   xl/workbook.xml                      Shift-JIS  package rId1
//   xl/_rels/workbook.xml.rels           UTF-8      -
//   xl/styles.xml                        Shift-JIS  workbook rId(K+1)
//   xl/worksheets/sheetN.xml             Shift-JIS  workbook rIdN
//   xl/worksheets/_rels/sheetN.xml.rels  UTF-8      -
//   xl/drawings/drawingN.xml             Shift-JIS  sheet N's rId2
//   xl/drawings/_rels/drawingN.xml.rels  UTF-8      -
//   xl/charts/chartQ.xml                 Shift-JIS  its drawing's rId1, rId2, ...
//   xl/media/imageP.png                  -          its drawing's rId1001, ...
// Parts declared Shift-JIS are stored as UTF-8 by the part sink.
#pragma once

#include <string>
#include <vector>

namespace exportcore {
class ByteWriter;
class PartSink;
}  // namespace exportcore

namespace xlsx {

struct XlsxRun;

// One sheet element of the workbook's sheet list.
struct XlsxSheetListEntry {
  std::string name;  // final name, Shift-JIS, unescaped
  int sheetId = 0;   // list position + 3
  int sheet = 0;     // sheet number: the part sheetN.xml and relationship rIdN
};

// A sheet name the format accepts, Shift-JIS: '*', '/', ':', '?' and a
// lone '\' become '#', '[' and ']' become '(' and ')', control bytes are
// dropped, and the name with `suffix` is at most 31 characters (a
// double-byte character counts as one), the part before the suffix being
// shortened. A trail byte is never taken for one of those marks.
std::string FitSheetName(const std::string& name, const std::string& suffix = std::string());

// The name as it stands inside a quoted sheet reference ('name'!A1): every
// apostrophe doubled.
std::string QuotedSheetName(const std::string& name);

// A1 column letters of column 1 to 16384 ("A", "AB", "XFD").
std::string ColumnLettersA1(int column);

// True when sheet n (1-255) refers to a drawing part: it has charts (its
// chart-slot entry above 0) or pictures or shapes (picture count not 0).
bool XlsxSheetHasDrawing(const XlsxRun& run, int n);

// The sheet list of the workbook, in list order: the "$$" order (or sheets
// 1 to K), a sheet listed again named with "(2)", "(3)" ... (stored back
// into the run's names), names given on the list line by position. Entries
// that name no written sheet are left out; when none is left, sheets 1 to K.
// Every name is fitted (FitSheetName) and unique regardless of the case of
// ASCII letters.
std::vector<XlsxSheetListEntry> BuildSheetList(XlsxRun& run);

// Part builders; each empties `out` first and leaves the part's bytes in it.
void BuildWorkbookPart(const XlsxRun& run, const std::vector<XlsxSheetListEntry>& sheets, exportcore::ByteWriter& out);
void BuildWorkbookRelationships(const XlsxRun& run, exportcore::ByteWriter& out);
void BuildSheetRelationships(const XlsxRun& run, int n, exportcore::ByteWriter& out);
// Pictures and charts of sheet n's drawing; `picture` and `chart` are the
// numbers of the next media file and chart part, advanced here.
void BuildDrawingRelationships(const XlsxRun& run, int n, int& picture, int& chart, exportcore::ByteWriter& out);
void BuildPackageRelationships(exportcore::ByteWriter& out);
void BuildCoreProperties(exportcore::ByteWriter& out);
void BuildAppProperties(const XlsxRun& run, exportcore::ByteWriter& out);
void BuildContentTypes(const XlsxRun& run, exportcore::ByteWriter& out);

// The run's package step, after the styles: every part above stored
// through the sink, built one after another in the run's work buffer.
// 0, or -1 when memory ran out (the caller reports the shortage). Parts the
// sink cannot store are recorded by the sink.
int XlsxWriteWorkbookParts(XlsxRun& run, exportcore::PartSink& sink);

}  // namespace xlsx
