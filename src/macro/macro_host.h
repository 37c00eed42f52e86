// What the macro interpreter needs of the editor. The interpreter is portable
// and never touches a window; the text view implements this interface with
// thin calls into itself, its document and the frame (view/macro_view_host).
#pragma once

#include "csv/csv_linesort.h"
#include "csv/csv_selectcond.h"
#include "fw/cstring.h"
#include "macro/macro_cellformat.h"
#include "macro/macro_sharedmem.h"

namespace macro {

// The answer of the modal stop dialog that lets a run go on (IDOK).
constexpr int kStopDialogOk = 1;

class MacroHost {
 public:
  virtual ~MacroHost() = default;

  // The text of the view (Shift-JIS, CR LF lines) and its selection.
  virtual CString GetText() = 0;
  virtual void GetSelection(long* start, long* end) = 0;
  virtual void SetSelection(long start, long end) = 0;
  virtual void ReplaceSelection(const CString& text) = 0;

  // Opening and saving through the document's one path; 0 or more on success.
  virtual int OpenFile(const CString& path, int mode) = 0;
  virtual int SaveFile(const CString& path, int mode) = 0;

  // Messages (the view's ReportMessage codes; the answer comes back) and status.
  virtual int ReportMessage(int code, const CString& text) = 0;
  // A plain message box with OK, shown even when messages are silenced.
  virtual void ShowMessageBox(const CString& text) = 0;
  virtual void SetStatusText(int pane, const CString& text) = 0;
  // Polls for Esc; true when the user chose to stop.
  virtual bool CheckEscapeAbort() = 0;

  // Panes and the document's folders.
  virtual void ActivateTextPane(int pane) = 0;
  virtual CString ProgramDir() = 0;
  virtual CString ListDir(int side) = 0;
  virtual int ActiveSide() = 0;
  virtual CString ParamPath() = 0;

  // The ATR function: applies `format` to rows firstRow..lastRow and
  // columns firstCol..lastCol of the displayed table (999: to the line's
  // end). 0 when applied; -1 where there is no display (the default).
  virtual int FormatCells(const CellFormat& format, int firstRow, int lastRow, int firstCol, int lastCol) {
    (void)format, (void)firstRow, (void)lastRow, (void)firstCol, (void)lastCol;
    return -1;
  }

  // The selection-condition dialog 187 (`extended` false) or 188, filled
  // from `values` and, on OK, read back into its fields (field order of
  // csv::SelectCondTable / SelectCondExTable). False on Cancel, and where
  // there is no window (the default).
  virtual bool RunSelectCondDialog(bool extended, csv::CondDialogValues& values) {
    (void)extended, (void)values;
    return false;
  }

  // A run stopped in debug mode: the variable display shows the stopped line
  // and the dump. Nothing where there is no window (the default).
  virtual void ShowVariableView(int line, const CString& dump) { (void)line, (void)dump; }

  // The modal stop dialog (the macro input dialog with `options`, `height`
  // and `width`): the "cmnd line" text and the dump. kStopDialogOk lets the
  // run go on, anything else ends it. Where there is no window the run goes
  // on (the default).
  virtual int ShowStopDialog(const CString& lineText, const CString& dump, const CString& options, int height,
                             int width) {
    (void)lineText, (void)dump, (void)options, (void)height, (void)width;
    return kStopDialogOk;
  }

  // Named shared memory between running copies (macro_sharedmem.h): the
  // statements that load and save through shared memory reach it here. The
  // one implementation works on the framework's named blocks.
  virtual int TransferSharedMemory(const char* name, std::uint8_t* buffer, std::size_t bufferSize, int offset,
                                   int size, int mode, int mapSize) {
    return macro::TransferSharedMemory(name, buffer, bufferSize, offset, size, mode, mapSize);
  }

  // Row and line statements, sort, new rows and print.
  // The fill statement starts from no pad target of the view's own.
  virtual void ClearPadTarget() {}
  // The view's title-line flag (the title-line statement).
  virtual void SetTitleLineFlag(bool on) { (void)on; }
  // The line sort of the view's table (the view's check list follows the
  // rows); without a view, the table's own sort with no check list.
  virtual std::int64_t SortTableLines(csv::Table& table, const csv::LineSortRequest& request) {
    return csv::SortLines(table, request, nullptr);
  }
  // The view's four print margins (top, bottom, left, right, hundredths),
  // and the unset ones filled from the page settings.
  virtual void SetPageMargins(const std::int32_t margins[4]) { (void)margins; }
  virtual void InitPrintMargins() {}
  // The view's table and text size indexes (1-11).
  virtual void SetViewSizeIndexes(int table, int text) { (void)table, (void)text; }
};

}  // namespace macro
