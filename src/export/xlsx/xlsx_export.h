// The XLSX export run: the CSV table of the text view becomes one workbook.
//
//   1. The run state is cleared.
//   2. (The view has refreshed its table before the call.)
//   3. The scratch tree "\TMP1" is locked against other running copies,
//      emptied completely and set up with its ten folders.
//   4. The work buffer gets its initial capacity (64-bit sizes, capped; it
//      grows as the parts need).
//   5. The pre-scan finds the sheets and their names, then the sheet-list
//      line is read.
//   6. Each table block becomes a worksheet part (the sheet model first).
//   7. The styles and the package parts follow.
//   8. Unless a part could not be stored (one message naming it), the tree
//      is zipped and delivered to the target.
// Results: 0 done, -1 failed (after its message).
#pragma once

#include <cstdint>
#include <vector>

#include "csv/csv_buffer.h"
#include "export/part_sink.h"
#include "export/xlsx/xlsx_run.h"
#include "fw/cstring.h"

namespace xlsx {

class XlsxConditionSelector;

// What the run needs from the window around it.
class XlsxRunHost {
 public:
  virtual ~XlsxRunHost() = default;
  // The view's ReportMessage: code 155 with an empty text is the memory
  // shortage; code 2 shows a message.
  virtual int ReportMessage(int code, const CString& text) = 0;
  // A message box with an OK button ("file open eror : %s", "Data lines %d
  // over limit 1048576").
  virtual void ShowMessage(const CString& text) = 0;
  // The text of string 237 (a file or folder that cannot be opened) for `path`.
  virtual CString CannotOpenText(const CString& path) = 0;
  // The archive creation entry, kind 1 (ZIP), run in `folder` as the
  // current folder (put back afterwards) with the entries given (the first
  // slot a placeholder) into `archiveName`; negative on failure. The view
  // asks for the quick packing (a shorter match search; see zip_writer.h).
  virtual int CreateArchive(const CString& folder, const std::vector<CString>& entries,
                            const CString& archiveName) = 0;
  // Delivery questions: string 329 asked through ReportMessage code 4 (true
  // for Yes), and string 179 shown.
  virtual bool AskMakeWritable(const CString& target) = 0;
  virtual void ShowWriteProtected(const CString& target) = 0;
  // The CSV selection the condition objects of a format section run
  // (xlsx_conditions.h); none: conditions mark no cells.
  virtual XlsxConditionSelector* ConditionSelector() { return nullptr; }
};

// The view's table and settings the run reads.
struct XlsxRunInput {
  const csv::TableFields* table = nullptr;
  CString programDir;  // the program folder, no trailing '\'
  CString target;      // where the workbook goes
  // Where relative picture names are looked for: the running macro's folder
  // (empty: none), else the table's folder.
  CString macroDir;
  CString tablePath;
  // The colour-bar column of the view (0: none), its markers and colour
  // letters (10 each, a NUL ends the markers early), the current line.
  std::uint32_t colourBarColumn = 0;
  const char* colourBarChars = nullptr;
  const char* colourBarCodes = nullptr;
  std::uint32_t curLine = 0;
};

// The package writer's work buffer's first capacity: the table's length and
// 100 bytes per cell, at least 500000, plus 9000 (64-bit; capped, since the
// buffer grows).
std::uint64_t XlsxWorkCapacity(std::uint64_t textLen, std::int64_t lastRow, std::uint64_t fieldCount);

// Steps 1, 4-7 into `sink` (no scratch tree, no zipping): 0, or -1 after the
// memory-shortage message. A part the sink refused leaves sink.AnyFailed().
int XlsxWriteParts(XlsxRun& run, const XlsxRunInput& in, exportcore::PartSink& sink, XlsxRunHost& host);

// True when a sheet follows sheet `n` (the loop's rule, both modes): the
// next block exists in the index, starts on a row of the table and more
// than 10 bytes before the text's end (`len`), and fewer than 255 sheets
// are made.
bool XlsxNextSheetFollows(const csv::TableFields& t, std::uint32_t n, std::uint32_t len);

// The whole run of mode 0.
int XlsxWritePackageRun(XlsxRun& run, const XlsxRunInput& in, XlsxRunHost& host);

// The ten folders of the scratch tree, below "\TMP1", in creation order.
extern const char* const kXlsxScratchFolders[10];
// The package file in "\TMP1" and the archive's entry slots.
constexpr const char* kXlsxPackageName = "TestA.xlsx";
std::vector<CString> XlsxArchiveEntries();

}  // namespace xlsx
