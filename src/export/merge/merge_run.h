// The merge run: the table's blocks poured into an existing workbook's own
// worksheets used as templates, the package repacked and delivered.
//
//   1. The scratch tree "\TMP1" is locked against other running copies and
//      emptied (string 237 and -1 when it cannot be).
//   2. The workbook is opened ("file open eror : %s" with the path as the
//      caller gave it) and unpacked into the tree ("file unzip eror : %s";
//      the unpacking's own negative result).
//   3. Its sheet list and relationships are read by their references: the
//      part of template t is whatever the t-th sheet's relationship
//      targets.
//   4. Each block of the table is rewritten from its template into a
//      scratch name; the block heads choose the templates, a sheet-list
//      line orders, names and activates the result.
//   5. The new sheets take the parts of the workbook's sheets of their
//      number (or new parts with new relationships and overrides); template
//      parts no block replaced go with their relationships and overrides.
//      A sheet built on another sheet's template keeps none of that sheet's
//      relationship markup, and the part it replaces loses its relationship
//      part. Other relationships keep their ids.
//   6. workbook.xml, the content types, the workbook's relationships and
//      the document properties are written back; every item of the tree is
//      zipped to "TestA.xlsx" and delivered to the target.
//
// Any failure shows one message and gives -1 (the unpacking's result when
// that failed); the target is written only at the end, by the delivery,
// which replaces it whole or not at all.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "export/merge/merge_control.h"
#include "export/merge/merge_package.h"
#include "export/xlsx/xlsx_export.h"
#include "fw/cstring.h"

namespace merge {

// What the run needs from the window around it: the export's host, and the
// document's unpacking of a ZIP file into a folder.
class MergeRunHost : public xlsx::XlsxRunHost {
 public:
  // Every member of the archive `zipPath` into files below `folder`; 0 (or
  // more) on success, below 0 on failure.
  virtual int UnzipArchive(const CString& zipPath, const CString& folder) = 0;
};

struct MergeRunInput {
  const char* text = nullptr;  // the view's table (0x06 between fields, CR LF)
  std::size_t textLen = 0;
  CString programDir;          // no trailing '\'
  CString workbook;            // the workbook path, expanded
  CString workbookAsGiven;     // the path as the statement gave it (messages)
  CString target;              // where the merged workbook goes
};

constexpr int kMergeNameSlots = 33;   // block titles kept (blocks 1 to 32)
constexpr int kMergeMapSlots = 100;   // blocks whose template is recorded (1 to 99)

// The workbook's sheets as read, and the titles the blocks gave.
struct MergeSheetRecords {
  std::vector<SheetEntry> sheets;        // workbook order
  std::vector<Relationship> rels;        // of the workbook part
  std::vector<std::string> parts;        // package path of each sheet's part ("" none)
  std::array<std::string, kMergeNameSlots> titles;  // block k's title, as the table holds it
  std::array<bool, kMergeNameSlots> titled{};
};

class MergeRun {
 public:
  MergeSheetRecords MergeSheetTable;
  std::array<int, kMergeMapSlots> MergeBlockMap{};  // block k -> template number
  std::vector<int> MergeOrderList;                  // the sheet-list line's order (empty: none)
  std::vector<SheetList::Name> MergeExtraNames;     // names the sheet-list line gave
  int activeSheet = 0;                              // the sheet-list line's active position (0: none)
  bool marked = false;                              // a block head carried "@+" or "@-N"

  int Run(const MergeRunInput& in, MergeRunHost& host);
};

// Whether two file paths name the same file: full paths compared without
// regard to ASCII letter case.
bool SameFilePath(const CString& a, const CString& b);

}  // namespace merge
