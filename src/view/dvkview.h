// The text view: a rich-edit view in one of the four text panes. Its fields
// are plain groups (view/view_fields.h) plus its CSV table (m_table: the
// working buffer and block index, csv/csv_table.h) and its image state
// (m_image, image/view/image_view_state.h); the members are thin entries into portable code
// where the work needs no window.
//
//   dvkview.cpp         construction, pane number, activation, messages,
//                       the CSV index entries, hide-quotes command
//   dvkview_load.cpp    OnUpdate (loading by file type) and the timers
//   dvkview_stream.cpp  the rich-edit streams and the line-spacing fix
//   text-view services (block below):
//   dvkview_services.cpp  line, position, selection and cell helpers, status
//   dvkview_panes.cpp     split, pane synchronisation and hand-over
//   dvkview_menu.cpp      right-click menus
//   dvkview_keys.cpp      the key dispatcher and its hooks
//   dvkview_print.cpp     printing, page layout, margins
//   dvkview_save.cpp      RebuildCsvBuffer, WriteDocument, SaveAsRtf
//   dvkview_display.cpp   zoom, wrap, font, background colour
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "csv/csv_colcmd.h"
#include "csv/csv_selectundo.h"
#include "csv/csv_table.h"
#include "fw/cmdset.h"
#include "image/view/display_pipeline.h"
#include "image/view/image_view_state.h"
#include "fw/richedit.h"
#include "view/canvas_bitmaps.h"
#include "view/view_fields.h"
#include "core/safewrite/safewrite.h"
#include "view/viewcore/statustext.h"
#include "view/viewload/ruledview.h"

class CMenu;
namespace viewui {
struct MenuRow;
}

namespace app {

class DocHost;
}
class CFindDlg;

namespace textcodec {
struct DecodeResult;
}

namespace view {
// One print or preview run of the framework's print path.
struct PrintInfo {
  bool preview = false;
  HDC dc = nullptr;            // printer DC (or the layout DC of a preview)
  int pageWidthTwips = 0;      // physical page of that DC
  int pageHeightTwips = 0;
  int fromPage = 1;            // pages to print (1-based)
  int toPage = 0;              // 0 = the last
  int curPage = 0;
  int maxPage = 0;             // set by OnBeginPrinting
  bool continuePrinting = true;
};
}  // namespace view

namespace viewload {
class RtfSpacingScan;
struct CsvShowOptions;
}
namespace viewfind {
struct FindRule;
}
namespace macroui {
class MacroDialogs;
}
namespace macro {
struct MacroState;
class MacroHost;
struct CellFormat;
struct CmdFuncScope;
struct ExprContext;
}

class CDvkView : public CRichEditView, public view::ViewFields {
  FW_DECLARE_MESSAGE_MAP()
  // Its commands: the rows of cmd/commands.def owned by the view
  // (dvkview_commands.cpp).
  FW_DECLARE_COMMAND_SET()

  CDvkView();
  ~CDvkView() override;
  CDvkView(const CDvkView&) = delete;
  CDvkView& operator=(const CDvkView&) = delete;

  app::DocHost* GetDocument() const;

  void OnInitialUpdate() override;
  // Loading by file type and the update codes (docs/design.md "Text view").
  void OnUpdate(CView* sender, LPARAM hint, CObject* hintObject) override;
  void OnActivateView(BOOL activate, CView* activateView, CView* deactiveView) override;

  // --- messages ----------------------------------------------------------
  // Code 1 memory, 2 text, 3 OK/Cancel, 4 Yes/No, > 100 memory at a place
  // (viewcore/report.h); honours "nodisp" and the external-run mode.
  int ReportMessage(int code, const CString& text);

  // --- spreadsheet export (dvkview_xlsx.cpp, export/xlsx/xlsx_export.h) ---
  // The table as a workbook: mode 0 writes the package from the view's
  // table after refreshing it (the document's load state put back
  // afterwards) and delivers it to m_strStmtOperand; mode 'H' writes the
  // table as one HTML page to m_strStmtOperand (export/html/html_run.h).
  // 0 done, -1 failed (after its message); other modes -1.
  int XlsxWritePackage(unsigned char mode);
  // Command 33232: the table as an HTML page named after the shown file, in
  // the folder of the active side's file (dvkview_html.cpp). Enabled for a
  // CSV table that is neither a ruled table nor a source view.
  void OnSaveCsvAsHtml();
  void OnUpdateSaveCsvAsHtml(CCmdUI* ui);
  // The macro's spreadsheet export: a sheet suffix ":N" taken off the
  // template argument; the target from m_strStmtOperand (or the document's
  // stem and the template's name), kept in m_strStmtOperand for the call.
  // Mode 4 writes the workbook and 5 merges the table into the workbook
  // `templateArg`, each returning its result; 1 fills a pattern
  // template (dvkview_handover.cpp); 2, 3 and the others hand the table to
  // the spreadsheet program. 0 done, -1 failed (after its message), 1 a
  // pattern template too short to fill.
  int ExportToExcel(CString templateArg, int mode, int show);
  // The hand-over and pattern mode of ExportToExcel (dvkview_handover.cpp):
  // `operand` is m_strStmtOperand as the statement gave it, `sheet` the
  // sheet number of the suffix (0 without one).
  int ExportByHandover(const CString& templateArg, int mode, int show, int sheet, const CString& operand);
  int ExportPatternMode(const CString& templatePath);
  // Pattern mode's filled template delivered to m_strStmtOperand with the
  // read-only question (dvkview_xlsx.cpp): 0 written, -1 not.
  int DeliverPatternBook(const std::string& bytes);
  // The table's blocks merged into the workbook `workbook` (its path
  // expanded first) as sheets built on its own worksheets, delivered to
  // m_strStmtOperand (dvkview_xlsx_merge.cpp, export/merge/merge_run.h). 0
  // done; -1 or the unpacking's negative result after its message.
  int MergeSheetsIntoWorkbook(CString workbook);
  // Before an export: a view that does not show the table itself (kind 4)
  // reads it fresh from the document, its load state kept.
  void RefreshExportTable(app::DocHost* doc);

  // --- macro interpreter (macro/macro_state.h, macro/macro_host.h) --------
  // The interpreter's state of this view, made on first use, and the host
  // through which the interpreter reaches the editor.
  macro::MacroState& Macro();
  macro::MacroHost& MacroHost();
  // The macro's modeless dialogs (made on first use).
  macroui::MacroDialogs& MacroDialogs();
  // The macro run (macro/macro_run.h): mode 1 a statement in
  // m_strStmtCommand / m_strStmtOperand, 2 and 12 a macro file, 3 and 13 the
  // document's text, 4 macro text. 1 ended, -1 stopped, 2 paused, 9 an
  // "@BAT" text handed to the document.
  int RunMacro(int mode, CString source, CString arg, CString folder);
  // Timer 25: resumes a waiting run, or waits while a run is under way.
  void ResumeMacro();
  // Macro debugging (dvkview_debug.cpp): Ctrl+F5 starts debug mode or ends
  // it while a run is stopped, F5 resumes a stopped run, and the breakpoint
  // command toggles a '#' at the line start (with Ctrl: removes them all).
  void OnMacroDebug();
  void OnUpdateMacroDebug(CCmdUI* ui);
  void OnMacroResume();
  void OnUpdateMacroResume(CCmdUI* ui);
  void OnToggleBreakpoint();
  // how 1 continues a stopped run, 0 starts one from the top: the shown
  // macro runs in the pane beside on that pane's table.
  void ContinueMacroDebug(int how);
  // The debug request of the document's update, taken by the active view:
  // `mode` 1 runs the document's macro text from the top, 2 from the stop.
  void RunMacroDebugRequest(int mode);
  // Macro values over this view's state, host and table (dvkview_macro.cpp;
  // macro/macro_subst.h, macro_paths.h, macro_address.h).
  CString MacroSubstituteVariables(const CString& text, int mode, int valueI = 0, int valueJ = 0, int pageFlag = 0);
  CString MacroExpandParameters(const CString& path);
  // Rewrites the addresses of `text`; row and column keys are searched in
  // `textBuf` (`length` bytes), the view's table text when it is null.
  CString MacroParseRowData(const CString& text, const BYTE* textBuf, int mode, UINT length = 0);
  // The "#"-function chain of a command line over this view's variables
  // and table (macro/macro_cmdfunc.h): (0, 0, -1, slot) a variable, 999 and
  // 999 classify only, else rows a1..a2 and columns a3..a4 of the table.
  int MacroEvalCommandLineFunctions(int a1, int a2, int a3, int a4, CString text);
  int MacroEvalParenGroups(char stop, int* pos, int zero1, int n, int zero2, int zero3, CString* text);
  // ATR: applies `format` to the displayed lines firstRow..lastRow (from 1),
  // columns firstCol..lastCol of each (999: to the line's end). 0, or -1
  // when the view shows nothing to format.
  int FormatCells(const macro::CellFormat& format, int firstRow, int lastRow, int firstCol, int lastCol);
  // The byte offset in the table text after `line` line feeds, through the
  // sparse line index `table` (nullptr: this view's own, rebuilt when the
  // table was re-indexed). macro/macro_lines.h.
  int LineOffsetFromTable(int line, const std::int32_t* table = nullptr);
  // Evaluates one operand (macro/macro_expr.h) over this view's state, host
  // and table; a context without an environment (or none) is given this
  // view's.
  int MacroEvalExpression(int lineOffset, char* out, int outSize, const CString& expr, char* kind,
                          std::int64_t* value, macro::ExprContext* context);
  // A CSV condition statement over this view's table (macro/macro_csvselect.h),
  // under the window-update lock, which every exit releases; a changed table
  // is shown again. `fromExport` as the export passes it (no effect).
  int MacroCsvSelectCommands(CString command, CString operand, int fromExport);
  // The same selection on a table of the caller's own (the spreadsheet
  // export's condition objects): the view's table is neither read nor shown.
  int MacroCsvSelectOnTable(csv::Table& table, CString command, CString operand, int fromExport);
  // The text of the built-in graph subroutine (macro/macro_template.h), for
  // the workbench's insertion.
  CString BuildMacroTemplate();
  // The macro's folder listing (macro/macro_folderlist.h): rows of `folder`
  // into out[*pos, *limit), *limit being the buffer's end.
  int ListFolderForMacro(CString folder, char* out, int* limit, int* pos, int mode);

  // --- CSV working buffer and index (csv/csv_table.h, csv/csv_index.h) ------
  // The view's table: working buffer, block index and scan state.
  csv::Table m_table;
  // The image state: loaded and shown picture, page, display options,
  // region and paint words (image/view/image_view_state.h).
  image::ImageViewState m_image;
  // The last content taken was a picture the image view shows.
  bool m_bPictureShown = false;

  // --- The image view (dvkview_image.cpp, dvkview_image_page.cpp) ----------
  // Takes the document's waiting picture (update step 1): settings, pixels
  // and header, then RedrawImageView(3); false when it holds no picture the
  // view can show (the block is then released).
  bool TakeOverPicture();
  // Refresh of the shown picture: 0 refresh (re-open without a picture),
  // 3 from the document's update, 5 re-open, 9 frozen screen and scroll.
  void RedrawImageView(int mode);
  // The plain caption in status pane 0 (zoom part first with 1).
  void FormatImageCaption(int zoomFirst);
  // Builds the display bitmap from a DIB: 0 new picture, 3 replaced
  // picture, 1 and 2 repaint of the current one (pBits and pInfo unused).
  void PaintImagePage(int nMode, std::uint8_t* pBits, std::uint8_t* pInfo);
  // The page form (m_nPageViewState above 0): a page of a tall picture cut
  // out of pBits and put into the text; false for a picture of 8 rows or
  // fewer, which is painted.
  bool EmbedImagePage(std::uint8_t* pBits, std::uint8_t* pInfo);
  // The picture as one picture object in the text, at the caret.
  void EmbedImageInText(std::uint8_t* pBits, std::uint8_t* pInfo);
  // The image tick (id m_nPaneIndex + 2, 5 in pane 0).
  void TickImage();
  UINT_PTR ImageTimerId() const { return m_nPaneIndex == 0 ? 5 : m_nPaneIndex + 2; }
  // The next (+1) or previous (-1) page of a paged picture; false when the
  // picture is not paged.
  bool ShowImagePage(int delta);
  // WM_PAINT: the control paints its filler, then the display bitmap and
  // the erase bands go over it.
  void OnPaint();
  void PaintImageBitmap(HDC dc);
  // Test seam: while above 0 (counting down), or -1 always, the display
  // bitmap cannot be made.
  static inline int s_nImageBitmapRefusals = 0;
  static bool BitmapHookAllows() {
    if (s_nImageBitmapRefusals == 0) return true;
    if (s_nImageBitmapRefusals > 0) --s_nImageBitmapRefusals;
    return false;
  }
  // The pipeline's services: the colour engine, and the GDI scaler while
  // the view's load state is 0.
  img::DisplayServices ImageDisplayServices();
  // The GDI scaler of 24-bit pictures: scales the DIB `src` (header
  // `info`, colour table behind it) of w x h to tw x th into `out`; the
  // header is rewritten for the output. 0, or -1 without a window DC.
  int ScaleRegionBits(const std::uint8_t* src, std::uint8_t* info, std::uint8_t* out, int w, int h, int tw, int th,
                      int mode);
  // The paint of compositing modes 5, 6 and 8 on the scaled copy selected
  // in `dc`; `screen` is the window's DC (the colour under the point).
  void PaintRegionWork(HDC dc, HDC screen, int mode);
  // The snapshots of the narrowing selection this view wrote in this run
  // (the undo reads no other); emptied when a new file's table comes in.
  csv::SelectUndoLog m_selectUndo;
  int BuildCsvIndex(const BYTE* text, UINT length, UINT* outLength, UINT* outMaxColumns, int mode,
                    int padColumns);
  // `text` is m_table.m_pTextBuf (its used length) or a NUL-terminated text.
  int LineToOffset(const BYTE* text, int* offset, int mode, int startRow);
  int LineToOffset(const BYTE* text, UINT length, int* offset, int mode, int startRow);
  // Measures the widest field of columns firstCol..lastCol over rows
  // firstRow..lastRow and rewrites m_aColumnPos (csv/csv_widths.h; mode 1
  // trims blanks, 2 also measures the title row). Always 0.
  int CsvComputeColumnWidths(int firstCol, int lastCol, int firstRow, int lastRow, int mode);
  // 1-based line of the first block's title row: m_nTitleLine, else the
  // block index's.
  UINT CsvTitleLine() const;
  // The length of the table's text up to its first NUL within `length`
  // bytes (csv/csv_findinline.h), bounded by the buffer's capacity.
  UINT FindInLine(UINT length) const;

  // --- CSV row and column lists and table operations (dvkview_csvops.cpp) --
  // Thin entries over csv/csv_rows.h, csv_columns.h, csv_transpose.h,
  // csv_rowinsert.h, csv_sections.h, csv_pad.h, csv_titleorder.h and
  // csv_fixedwidth.h: the CSV check, the call with this view's table and
  // messages through ReportMessage. They do nothing unless the view shows a
  // CSV table (m_nFileKind 33, m_nSourceView 0).
  bool ShowsCsvTable() const;
  // 1 when the view shows no CSV table, else 0.
  int CsvDeleteListedRows(const CString& spec);
  int CsvReorderRows(const CString& spec, int flag);
  // The column rewrite; the command text is m_strStmtCommand. `columns` is
  // the caller's column count (negative: mode 6).
  int CsvRewriteColumns(int mode, int columns, int limit, int deleteFlag, const CString& list);
  int CsvTransposeTable(int variant);
  // The new m_nLastRow, or -1 (also for a view without a CSV table).
  int CsvRowInsertOrList(int mode, int row, int count, const CString& operand);
  int CsvOpRebuild(int headRows, int keepColumns);
  int CsvOpSelectColumns(int keepRows, int column);
  int CsvOpRowsByPattern(int k, int g, int third);
  bool CsvPadShortRows(const CString& fill, int mode);  // true when the table was rewritten
  CString CsvOrderColumnsByTitle(const CString& text, int mode, int fixedCount);
  void CsvToFixedWidthText();

  // --- CSV totals and cross tabulation (dvkview_csvtotals.cpp) -------------
  // Thin entries over csv/csv_totals.h and csv/csv_crosstab.h: the CSV
  // check, the operand from m_strStmtOperand, messages through
  // ReportMessage, and the redisplay of the new table. 0 on success, -1 when
  // the view shows no CSV table or the operation failed (table unchanged).
  int CsvTotals(int mode, int keyColumn);
  int CsvCrossTabulate(int firstArg, int keyLevels, int countFlag, int fourthArg);
  // 33045 "不足列追加(&F)": pads the short rows with empty cells and redisplays.
  void OnCsvAddMissingColumns();
  // 33123 "行列入替え(&H)": swaps rows and columns and redisplays.
  void OnCsvTranspose();

  // --- Link join (dvkview_csvjoin.cpp; csv/csv_linkjoin.h) -----------------
  // Beside each row, the row of another CSV file whose key matches, the
  // result in key order. An empty path asks for the file ("csv file|*.csv||",
  // starting in the active side's current path); Esc (polled every 1000
  // records, the candidate's key in pane 0) and every failure leave the table
  // as it was. 0 done, -1 nothing done, -2 the key records did not fit.
  int CsvJoinFileByKey(char option1, char option2, CString path, CString otherColumns, int keyColumn,
                       int otherKeyColumn, int insertBefore);
  // 33046 "ﾌｧｲﾙ横ﾘﾝｸ連結(&J)": the join through the file dialog, then the redisplay.
  void OnCsvLinkJoin();

  // --- Column append and vertical concatenation (dvkview_csvconcat.cpp;
  // csv/csv_appendcols.h, csv/csv_concat.h) --------------------------------
  // The file's rows beside the table's rows ("joinall"); nothing unless the
  // view shows a CSV table.
  void CsvAppendFileColumns(const CString& path);
  // The rows of a file (source modes 0, 2, 6; an empty path asks for one) or
  // of a named shared-memory block (the other modes; `sharedArg` is the map
  // size) below the table (kind 33; the text kinds 9 and 98 are left as
  // they are). 0, also when nothing was done or the dialog was cancelled;
  // -1 on failure (table unchanged).
  int CsvConcatFileVertical(int skipLines, const CString& source, int sourceMode, int sharedArg);
  // 33047 "ﾌｧｲﾙ縦連結(&A)": a file below the table, without its "~" lines
  // and title, then the redisplay.
  void OnCsvConcatVertical();
  // The CSV file dialog, starting in the active side's current path; empty
  // when cancelled.
  CString CsvAskOtherFile();
  // Code 2 with string 237 and the path.
  void CsvReportUnopened(const CString& path);

  // --- Row selection and column reorder (dvkview_rowcolsel.cpp) -----------
  // 33044 "行選択・列並替え(&D)": dialog 179 over the table's title row; OK
  // carries out its column order and row order (csv/csv_rowcolorder.h) and
  // shows the table again.
  void OnCsvRowColumnSelect();

  // --- Row sort and pages (dvkview_sortpage.cpp; csv/csv_linesort.h,
  // csv/csv_pagestep.h, view/viewload/sortpage.h, textparts.h) -------------
  // The one row sort of the table: the data rows of block `block` (0 and 1
  // block 1; negative: the rows after the title line m_nCurLine) by column
  // |key| (1-based; negative descending), numbers when `numeric` is 1, after
  // a leading bracket group when `skipBracket` is 1, from the block's data
  // row `firstRow`. Checked rows follow their rows. The new length, 0 when
  // there was nothing to sort, -1 when memory is short (table unchanged).
  std::int64_t SortLines(int numeric, int skipBracket, int key, int block, int firstRow);
  // The driver of the sort buttons and the table pages: how 1 next page,
  // 2 previous page, 3 sort ascending, 4 sort descending (by the caret's
  // column, numbers or text as the column looks, Shift and Ctrl forcing).
  // 1 when the table changed or a page was shown, 0 nothing done, -1 failed.
  int SortOrPage(int how);
  // A text shown in parts: how 2 shows the next part, 3 the previous one
  // (each up to "outdata" bytes, cut at a line end; wrapping at both ends).
  // 0 shown, -1 nothing to show.
  int LoadPageOfFile(int how);
  // Lines the control shows: from the first visible line to the line at
  // the bottom of its formatting rectangle (m_nPageLineCount).
  int PageLineCount();
  void OnCsvSortAscending();   // 33033
  void OnCsvSortDescending();  // 33041
  void OnUpdateCsvSortAscending(CCmdUI* ui);
  void OnUpdateCsvSortDescending(CCmdUI* ui);
  void OnPageNext();           // 33032
  void OnPagePrevious();       // 33034
  void OnUpdatePageStep(CCmdUI* ui);

  // --- The narrowing selection dialog (dvkview_narrow.cpp) ----------------
  // Opens dialog 1149 on 0-based table column `column` (-1: the caret's,
  // m_nCurColumn) with `cond` as its initial condition and string `helpId`
  // (or the command's caption) above the condition help (389). IDOK: `cond`
  // and m_strLastSelectCond take the result; IDCANCEL: the selection is
  // shown again.
  int RunNarrowSelectDialog(UINT helpId, CString& cond, int column = -1);

  // --- CSV column commands (dvkview_colcmd.cpp, dvkview_colcmd_rows.cpp) --
  // One command on the caret's cell or the block from the anchor cell
  // (m_nSelAnchorColumn, m_nSelAnchorRow) to it; `code` is one of
  // csv::ColumnCommandCodes (0-19, 21-28; others do nothing). The CSV
  // menu's row and column commands call it with codes 4-7 and 11-14.
  void DoCsvColumnCommand(int code);
  // A new file's table came into the view: no narrowing step to undo, and
  // the encoding the undo reads the file back in.
  void NewTableForUndo();
  // The handlers of the CSV context menu (one code each).
  void OnCsvFindColumn();     // 33104, code 9
  void OnCsvNarrowSelect();   // 33097, code 0
  void OnCsvNarrowDelete();   // 33103, code 2
  void OnCsvSelectCheck();    // 33152, code 19
  void OnCsvUndoSelect();     // 33099, code 1
  void OnCsvColumnSum();      // 33107, code 3
  void OnCsvItemTotals();     // 33108, code 8
  void OnCsvCheckedSum();     // 33120, code 16
  void OnCsvCheckToMark();    // 33119, code 15
  void OnCsvMarkToCheck();    // 33148, code 17
  void OnCsvClearChecks();    // 33149, code 18 (and the other panes)
  void OnCsvQuoteCut();       // 33111, code 22
  void OnCsvQuoteAdd();       // 33110, code 21
  void OnCsvThousands();      // 33109, code 10
  void OnCsvAlignRight();     // 33195, code 25
  void OnCsvAlignLeft();      // 33196, code 26
  void OnCsvAlignCenter();    // 33197, code 27
  void OnCsvTrimTrailing();   // 33113, code 24
  void OnCsvTitleFix();       // 33207, code 28
  void OnCsvTitleAuto();      // 33208, code 28
  // 33098 (toolbar): moves the page top so the title row shows.
  void OnCsvShowTitle();

  // --- The CSV menu and the full-width digits (dvkview_csvmenu.cpp) --------
  // The CSV menu's commands: 33036 and 33037 delete and insert a column,
  // 33050 and 33051 a row (codes 11-14; nothing in a ruled rich-text view,
  // file kind 4), 33068 and 33069 cut trailing and leading blanks, 33071 and
  // 33072 cut and add quotes (codes 4-7).
  void OnCsvDeleteColumn();
  void OnCsvInsertColumn();
  void OnCsvDeleteRow();
  void OnCsvInsertRow();
  void OnCsvCutTrailing();
  void OnCsvCutLeading();
  void OnCsvCutQuotes();
  void OnCsvAddQuotes();
  // Enabled while the view shows a CSV table; the quote commands not in the
  // ruled-table display.
  void OnUpdateCsvMenuTable(CCmdUI* ui);
  void OnUpdateCsvMenuQuotes(CCmdUI* ui);
  // 33070: full-width digits to ASCII digits, in a CSV table (the working
  // buffer closed up, re-indexed and shown again) or in the control's text
  // (the selection, or all of it; the caret goes to the range's start).
  void OnEditDigitsToHalfWidth();

  // --- rich-edit streams (document buffer <-> control) ---------------------
  // EM_STREAMOUT SF_RTF (mode 1: the selection) into the document's m_pText
  // from m_nReadPos, advancing it; never at or past m_nReadEnd; the buffer
  // grows (m_nTextCapacity, m_nReadEnd) rather than cutting the text. 0 = ok,
  // -1 = no memory (what fitted is kept and reported).
  int StreamOutRtf(HWND hwnd, int mode);
  // EM_STREAMIN SF_RTF of m_pText[m_nReadPos, m_nReadEnd) (m_nStreamLen
  // bytes, 0 = to m_nReadEnd), ending at a NUL; mode != 0 replaces the
  // selection, 2 reads the second text buffer. m_nStreamLen is 0 afterwards.
  // Exact and at-least line spacing is re-applied from the streamed RTF.
  int StreamInRtf(HWND hwnd, int mode);
  // The same with the cursor as an argument: the document's three cursor
  // fields are only the entry the two calls above read and write back.
  struct StreamCursor {
    std::uint32_t pos = 0;  // where reading or writing starts (advanced by a stream-out)
    std::uint32_t end = 0;  // end of the readable or writable part; 0 = the buffer's
    std::uint32_t len = 0;  // bytes to stream in; 0 = to `end`
  };
  int StreamOutRtf(HWND hwnd, int mode, StreamCursor& at);
  int StreamInRtf(HWND hwnd, int mode, const StreamCursor& at);
  // Puts the prepared display (the document's text, the CSV table as TAB
  // text, RTF for kind 4) into the control in one piece.
  void StreamOutText();
  // The same with a percentage in pane 0 and Esc to cancel (long texts).
  void OutputWithProgress();

  // --- display -----------------------------------------------------------
  // Redisplays the view's content (update code 1, load state 99).
  void OnPageLeft();
  // 33035: toggles the document's m_bHideQuotes and redisplays.
  void OnCsvHideQuotes();
  void OnUpdateCsvHideQuotes(CCmdUI* ui);
  // The view's timer dispatcher (view::ViewTimer): one row of (id, tick) per
  // timer (dvkview_timers.cpp); ids without a row go to the default handling.
  void OnTimer(UINT_PTR id);
  // The ticks of the rows (each kills its timer first unless it re-arms).
  void TickTempWindow();   // 60: closes the top-level window titled "TEMPID"
  void TickJump();         // 42: the caret to the document's jump text
  void TickRedraw();       // 21: update code 6 to all views
  void TickCheckMarks();   // 22: the checked rows underlined and blue again
  void TickNudge();        // 10: the frame one pixel left, on top
  void TickMciRestore();   // 11: the media window restored
  void TickMciPosition();  // 12: the play position watched, the loop played again
  void TickFillMargins();  // 14: unset print margins filled after a preview
  // The character position of hit `hit` (1 or 2) of `text` that is not
  // preceded by a double quote, or -1.
  long FindUnquotedHit(const CString& text, int hit);
  // The character position where paragraph `paragraph` (0-based) of the
  // control begins; the last paragraph's start when there are fewer.
  long ParagraphStart(std::uint32_t paragraph);

  int OnCreate(LPCREATESTRUCTA cs);

  // Tests: true while a loaded text waits for timer 20.
  // True while a loaded text is still going into the control.
  bool LoadPending() const { return m_nPendingLoad != 0 || m_bChunksPending; }

  // ===== text-view services ==================================================
  // Thin members over view/viewcore, view/viewload and view/viewui.

  // --- lines, positions, selection (dvkview_services.cpp) -------------------
  // One control line as Shift-JIS bytes into buf (size with its NUL), cut at
  // CR or NUL, double-byte characters whole; returns the bytes.
  int GetLineTextSjis(int line, char* buf, int size);
  // Index of the next line's start, or the text end for the last line; -1
  // when the line does not exist.
  int GetLineEndIndex(int line);
  // Display column of character position `pos` in its line; delta 99999:
  // a TAB counts 1 and a double-byte character 2 (the byte offset).
  int GetLineStartOffset(int pos, int delta);
  // Character offset in line `line` that `units` byte-width units reach
  // (mode 1: a TAB is one unit).
  int CalcLineMetrics(int line, int units, int mode);
  // 1 when the selection is not empty.
  int HasSelection();
  // Case-sensitive forward find of `text` in the control's [from, to) (to -1
  // = the end); the character position or -1.
  int FindTextMatchCase(int from, int to, const CString& text);
  // Modes 0/1: the text of the cell at the caret (its row's position into
  // *result as a number); mode 3: scroll to the top and put the caret on
  // column `column` of row `position` (m_nCurLine when position < 0; three
  // header lines more in ruled-table mode).
  CString SelectCell(CString* result, int position, int column, int mode);
  // Character index of cell (row, column) in the shown table; -1 if none.
  int GetCellCharIndex(int row, int column);
  // Caret row and column ("%d行 %d桁", from 1) to the pane of indicator 102,
  // the caret shown, m_nCaretBlock (the caret's block + 1) from the block
  // starts of the table.
  void UpdatePositionDisplay(int mode);
  // Pane 0: the current line and the selected column range.
  void ShowRangeStatus();
  // An edit of the control (EN_CHANGE: typing, paste, cut, undo...): the
  // active view's line count in pane 5 follows it. A text still going in
  // says its count itself when it is in.
  void OnTextChanged();
  // The view's file, or for a decoded scratch copy ("<prog>\TMP\DorvikE...")
  // the source path kept beside it.
  CString GetSourcePath();
  // Source of a decoded scratch copy (set by whoever makes the copy).
  CString m_strScratchSource;
  // Writes a status text to its pane (no-op without a status bar).
  static void SetStatus(viewcore::StatusPane pane, const CString& text);

  // --- panes (dvkview_panes.cpp) --------------------------------------------
  // Toggles the four-way split of this view's dynamic splitter.
  void OnSplitWindow();
  // Copies this pane's text and position into the other panes of its
  // splitter and updates them.
  void SyncPanes(int how);
  // Copies this pane's text, table and position into `others` (views of
  // any splitter: the frame's layout toggle shows the document in the panes
  // it adds).
  void ShowSameTextIn(const std::vector<CDvkView*>& others);
  // Hands `code` to the other panes of a split view (35 next page, 36
  // previous page, 50 follow the caret line, 51 clear their check lists,
  // others: show the line in m_nPaneSyncLine first).
  void ForOtherPanes(int code);
  // The views of this view's dynamic splitter other than this one.
  std::vector<CDvkView*> OtherPanes() const;
  // Sets m_nSplitKind of every view of the splitter (0 or the pane count).
  void UpdateSplitKind();

  // --- the double-click and links (dvkview_dblclick.cpp, dvkview_links.cpp) --
  // A double-click: the check of a CSV line, a picture marker, or the word
  // under the caret followed as a link. Never passed to the control.
  void OnLButtonDblClk(UINT flags, CPoint pt);
  // Checks or unchecks the caret's line of a CSV table (format and check
  // list), leaving the modified flag, the scroll and the selection as they were.
  void CsvCheckLineToggle();
  // Opens the picture a marker word names, beside the text.
  void OpenPictureMarker(const CString& word);
  // True while this pane keeps a text beside a picture that a marker
  // opened in another pane: it does not take the new document and stays
  // read-only (the document's file is the picture, so a save from here
  // would write the text over it), until it takes a document as the
  // active pane again.
  bool m_bHeldBeside = false;
  // Follows a double-clicked word: references, in-text anchors, folder
  // references, paths and addresses (`rightPart`: the caret's line from the
  // caret on; `line`: the caret's line).
  void FollowLink(CString word, const CString& rightPart, int line);
  // The in-text search of a link: `text` from after the word (or from the
  // start), quotes skipped, the history written and the hit scrolled to.
  void SearchLinkInText(CString text, int wordBytes);
  // Hands an address to the outside browser and finds its window again.
  void OpenInBrowser(const CString& address);
  // The update of all views with a pending address (code 1, active pane 5):
  // the first text view that sees it opens it in its own pane.
  void TakePendingAddress();
  // 32942: a colour code inserted, or the selection coloured; 32889: New.
  void OnInsertColor();
  void OnEditNew();
  void OnUpdateEditNew(CCmdUI* ui);

  // --- right-click menus (dvkview_menu.cpp) ---------------------------------
  void OnRButtonDown(UINT flags, CPoint pt);
  void OnRButtonUp(UINT flags, CPoint pt);
  // Builds and opens the menu for a press at client point `pt`; returns the
  // command chosen in test mode (0 otherwise).
  UINT OpenContextMenu(CPoint pt);
  // A right press at client point `pt` against the status bar's media
  // strip: false when it acted there (or opens no menu), true when the
  // menus go on.
  bool PressOnMediaStrip(CPoint pt);
  // Rich text pastes and copies RTF; plain texts and tables only text.
  BOOL IsRichTextView() const override;
  void OnOverwriteToggle();
  void OnUpdateOverwriteToggle(CCmdUI* ui);
  void OnPrintOrigin();

  // --- keys (dvkview_keys.cpp) ----------------------------------------------
  void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
  void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags);
  // The keys go to another window: what was held here is let go there.
  void OnKillFocus(CWnd* next);
  // The one key dispatcher. True when the key was handled here (the
  // control does not see it).
  bool OnKeyDownHandler(UINT nChar, UINT nRepCnt, UINT nFlags);
  // A command feeds a key: m_bInternalKey set, latch and fed-key state
  // cleared around the handler (F9 is fed without the internal flag).
  bool FeedKey(UINT nChar);

  // --- printing (dvkview_print.cpp) -----------------------------------------
  void OnFilePrint();         // 57607
  void OnFilePrintPreview();  // 57609
  bool OnPreparePrinting(view::PrintInfo* info);
  void OnBeginPrinting(HDC dc, view::PrintInfo* info);
  void OnPrint(HDC dc, view::PrintInfo* info);
  void OnEndPrinting(HDC dc, view::PrintInfo* info);
  // Page layout of the control's text with EM_FORMATRANGE inside the four
  // margins: into `dc` (page of pageW x pageH twips), or, with no DC, the
  // default printer's (A4 on a memory DC when there is none). The first
  // character of every page goes to m_aPrintPageStarts; returns the page
  // count (0: the control laid out nothing).
  int LayoutPrintPages(HDC dc = nullptr, int pageWidthTwips = 0, int pageHeightTwips = 0);
  // Fills the unset (-99) margins from the print-spacing settings.
  void InitPrintMargins();
  // True when a printer is installed (the default printer is known).
  static bool PrinterInstalled();
  std::vector<long> m_aPrintPageStarts;

  // --- saving (dvkview_save.cpp) --------------------------------------------
  // Copies the control's edits back: CSV kinds (33, 35) into the 0x06
  // buffer (then re-indexed); other kinds into the document's text (kind 4
  // as RTF). 0 = done, -1 = no memory (reported).
  int RebuildCsvBuffer(int kind, int how);
  // Writes the view's content to `path` through the document's SaveFile:
  // mode 3 = the document's text as a TAB text (kind 9); mode/kind 4 and 3 =
  // rich text from the control; otherwise by the view's kind. Afterwards
  // the post-save state. 0 = written, -1 = not (reported, file and document
  // unchanged).
  int WriteDocument(CString path, int mode, int flag);
  // The control's rich text into the view's path with ".rtf" (mode 1: the
  // path as it is when it already ends in ".rtf").
  int SaveAsRtf(int mode);
  // The document's SaveFile asks the view for the bytes: a table (comma or
  // TAB form) or rich text from the control are written here with the safe
  // writer (no messages; true, *result set); for a text the document's text
  // is first brought up to date with the edits and false says "write the
  // document's text".
  bool WriteViewContent(const CString& path, int writeKind, const textcodec::DecodeResult* origin,
                        const viewcore::SafeWriteOptions& options, viewcore::SaveResult* result);
  // Before paging a modified text: string 149 Yes/No/Cancel. -1 Cancel
  // (stay), 1 saved and reopened, 0 go on.
  int AskSaveModifiedPage();

  // --- display (dvkview_display.cpp) ----------------------------------------
  // Steps the size index of the shown kind (+1 / -1) and re-lays the text.
  void ZoomView(int step);
  // The display font (face "profnt"/"tblfnt", height by the size index) on
  // the whole text.
  void ApplyDisplayFont();
  // Wrap to the window on/off (EM_SETTARGETDEVICE).
  void ToggleWrap();
  bool IsWrapped() const { return m_bWrapped; }
  // The font dialog for the shown kind's face; OK writes "Dorvik.inf".
  void ChooseDisplayFont();
  // n != 0 steps the document's m_nBackColorIndex by n; then applies it.
  void CycleBackgroundColor(int n);
  void OnSplitWindowCmd() { OnSplitWindow(); }
  void OnBackColorCmd() { CycleBackgroundColor(1); }
  // ===== end of text-view services ===========================================

  // ===== the ruled-table engine (dvkview_table.cpp, dvkview_table_ruled.cpp) =
  // The single entry of the engine: the command table (table/table_commands.h)
  // chooses the path; the rebuild is table/table_render.h. The window update
  // is locked through the document for the whole call, and every path ends
  // with the final steps (SyncPanes(0) when split, then the unlock). 1 when
  // the rebuild stopped on the column limit or a failed buffer, else 0.
  int TableCommand(int cmd, int row, int cellOnly, int firstLine, int lastLine, int firstCol, int lastCol,
                   int count);
  // The write-back: the control's whole rich text into the document's
  // m_pText (m_nTextLen the streamed length). 0, or 1 when the buffer could
  // not be had (string 152 + " 041").
  int TableWriteBack();
  // Rewrites the ruled table's block around the caret through its RTF
  // (dvkview_table_rewrite.cpp): 'D' the conversion of TAB lines, 37/39
  // the column width, '3'-'6' rule glyphs and segments, 'E' 'R' 'I' 'i'
  // 'U' the column commands. Two undoable steps (the block removed, the
  // rewritten block streamed in). 0 done or nothing to change, 1 memory ran
  // short (reported; the control unchanged).
  int TableRewriteRtf(int command, int caretChar, int firstLine, int column, int lastLine, int count, int charPos,
                      int colour);
  // Bytes of text before character `at` in its cell (the rule glyph after
  // the cell's TAB not counted): where 'I' splits the cell.
  int CaretOffsetInCell(long at);
  // --- ruled-table line and cell operations (dvkview_table_cells.cpp) -------
  // The background mark of cells: 0 the table's background on the
  // selection, 1 `colour` (1 when 0); 2 on the selection less its first
  // character colour 1 becomes the background (1) and anything else colour
  // 0 (0); 9 inspects the character after the caret: 1 for colour 1 in a
  // thin paragraph, 0 for another colour there, else 9 (the selection kept).
  int TableSetCellMark(int mode, COLORREF colour);
  // Selects cells firstCell..lastCell of `line` (lastCell = the field count:
  // to the line's end; negative: counted back from the end; 0: the caret two
  // characters into the first cell); firstCell -9999 selects by the column
  // block's pixel range.
  void TableSelectCells(int line, int firstCell, int lastCell);
  // The caret's cell index (separators before it in its line).
  int TableCaretCellIndex();
  // The caret into the same cell of the line `offset` lines away (flag 1:
  // the cell after it); the cell index, or -1 when a line is too short.
  int TableMoveCaretVertical(int offset, int flag);
  // 0 a row, 1 a thin paragraph followed by a row, 2 two thin ones (line 0:
  // the caret's line; a line past the end is made first).
  int TableLineKind(int line);
  // The line of the row-th row (thin paragraphs skipped; flag 1: one more).
  int TableRowToLine(int row, int flag);
  // The line's spacing in twips (240 without one); a nonzero change sets an
  // exact spacing of old + change first, at least 10 twips.
  int TableLineSpacing(int line, int change);
  // Whether line `line` is a thin (rule) paragraph.
  bool IsThinLine(int line);
  // A CSV table (kind 33, normal form) in ruled-table mode (m_nEditMode 3).
  bool ShowsRuledTable() const;
  // The control shows the ruled display of the table (whatever the mode
  // says now: a macro run may have set the mode back before the next
  // redisplay). The cell arithmetic and RebuildCsvBuffer follow it.
  bool ShowsRuledDisplay() const;
  // OnUpdate's ruled branch: the table (or its page) drawn through
  // TableCommand('D'), then the paragraphs recorded for the cell arithmetic.
  void ShowRuledTable();
  // The font height of the table size index in tenths of a point: the row
  // argument of the ruled display.
  int RuledRowArgument() const;
  // The ruled display's layout (paragraph kinds and rows) and the paragraph
  // texts as shown; empty while the view shows no ruled table.
  const viewload::RuledLayout& RuledDisplayLayout() const { return m_ruledLayout; }
  const std::vector<std::string>& RuledShownParagraphs() const { return m_aRuledShown; }
  // The source row of the ruled paragraph that holds character `pos`, and
  // that paragraph's text and first character (false outside a ruled table).
  bool RuledRowAt(long pos, std::uint32_t* row, std::string* text, long* paraStart, int* para);
  // The character index of field `column` of source row `row` in the ruled
  // display (its start right after the TAB), -1 when the row is not shown.
  int RuledCellCharIndex(int row, int column);
  // The display position of the caret's row, for SelectCell mode 3 after a
  // redisplay: the row less the page's first row.
  int RuledCaretPosition();
  // RebuildCsvBuffer's ruled branch: 0 done, -1 memory, -2 refused.
  int RebuildFromRuledDisplay();

 private:
  // The rebuild path of TableCommand and its end; 1 on the column limit or
  // a failed buffer.
  int RunTableRebuild(int cmd, int row, int cellOnly, bool replaceAll, bool replaceNothing, bool streamIn,
                      int firstLine, int lastLine);
  void ClearRuledLayout();
  // While ShowRuledTable draws: the panes follow once the layout is known.
  bool m_bRuledDrawing = false;
  viewload::RuledLayout m_ruledLayout;
  std::vector<std::string> m_aRuledShown;

  bool m_bFreshText = false;  // the pending load is a newly taken text (caret to its start)
  // Sort buttons and page commands (dvkview_sortpage.cpp).
  void RunSortCommand(bool descending);
  void RunPageCommand(bool next);
  // The redisplay after a table change, then the other panes of a split.
  void RedisplayChangedTable();

  // One run of DoCsvColumnCommand: what the prologue read and what the
  // steps leave for the common end.
  struct ColumnRun {
    int code = 0;
    CString sourcePath;          // m_strCsvSourcePath, put back at the end
    int scrollX = 0;             // horizontal scroll position
    long selStart = 0, selEnd = 0;
    int firstLine = 0;           // first visible line
    int caretLine = 0, selEndLine = 0;
    long caretOffset = 0;        // the caret's offset in its line
    std::uint32_t curColumn = 0; // m_nCurColumn of the caret cell
    csv::ColumnCommandPlace place;
    csv::CommandCell cell;
    int caretRowAfter = -1;      // codes 13, 14: the row the caret goes to
    bool checksFull = false;     // code 17: the list filled up
    bool undoneToSource = false; // code 1 read the source file
    CString statusText;          // pane 0 at the end
  };
  // The document's window-update lock for one scope.
  class UpdateLockGuard {
   public:
    explicit UpdateLockGuard(CDvkView& view);
    ~UpdateLockGuard();
    UpdateLockGuard(const UpdateLockGuard&) = delete;
    UpdateLockGuard& operator=(const UpdateLockGuard&) = delete;

   private:
    app::DocHost* doc_;
  };
  // The CSV menu's command `id` to its place (csv/csv_menu.h).
  void RunCsvMenuCommand(unsigned id);
  void DigitsToHalfWidthInTable();
  void DigitsToHalfWidthInText();
  csv::ColumnCommandPlace ColumnCommandPlaceNow() const;
  CString SelectSnapshotPath(std::int32_t number);
  bool RunNarrowing(ColumnRun& run, const CString& cell);  // false: nothing done
  bool RunSelectUndo(ColumnRun& run);
  void RunTotal(ColumnRun& run);
  void RunCellFunction(ColumnRun& run);
  void RunItemTotals(ColumnRun& run);
  void RunRowsColumns(ColumnRun& run);
  void RunChecksMarks(ColumnRun& run);
  void FinishColumnCommand(ColumnRun& run);
  int m_nCsvSourceEncoding = 1;  // textcodec::TextEncoding the table's file was read in
  // The pane number from the place of this view: a dynamic splitter that is
  // pane (row, col) of the static 2x2 text splitter.
  std::uint32_t FindPaneIndex() const;
  bool TakesDocumentContent() const;
  // The document's content into the view's buffers (no control work).
  void TakeDocumentContent();
  // The CSV display text from the working buffer.
  void PrepareCsvDisplay();
  void ShowPreparedNow();
  void FinishLoad();  // timer 20
  // Empties the control before a new text goes in: a control holding a long
  // text is replaced by a new one (RenewControl), which is quick where
  // emptying it in place is not. RenewIfLong does only that (true: renewed).
  void EmptyControl();
  bool RenewIfLong();
  // Long texts go in chunk by chunk (dvkview_showchunks.cpp): the first chunk
  // now, the rest on timer 26 so the window keeps answering.
  bool StartChunkedShow(const char* data, std::size_t len);
  void ShowNextChunk();
  // Why the chunks end: the last one is in (or a new text takes the view),
  // the user stopped them, or the document's text no longer holds the rest.
  enum class ChunkStop { kDone, kStoppedByUser, kTextGone };
  void StopChunkedShow(ChunkStop why);
  // Streams `data` and `tail` in after the last character of the control.
  void AppendAtEnd(const char* data, std::size_t len, const std::string& tail);
  void ApplyJump();
  void ClearShow();
  long StreamInBytes(const char* data, std::size_t len, const std::string& tail, int format,
                     viewload::RtfSpacingScan* scan, bool progress);
  void ApplyRtfSpacing(viewload::RtfSpacingScan& scan, long base);

  // What the next stream puts into the control: m_nShowLen bytes of the
  // document's text or of m_strShowOwned (m_pShowData), then m_strShowTail.
  const char* m_pShowData = nullptr;
  bool m_bShowFromDocument = false;  // the bytes are the document's m_pText (looked up when streamed)
  std::size_t m_nShowLen = 0;
  std::string m_strShowOwned;
  std::string m_strShowTail;
  int m_nShowFormat = SF_TEXT;
  // The chunked show: bytes of the shown text already in the control, its
  // length, and the real shown-in-part state and tail kept for the last chunk.
  bool m_bChunksPending = false;
  std::size_t m_nChunkPos = 0;
  std::size_t m_nChunkLen = 0;
  std::uint32_t m_bChunkShownInPart = 0;
  std::string m_strChunkTail;
  bool m_bAskingToStop = false;  // the Esc question is up: no chunk goes in until it is answered

  // ===== find and replace (dvkview_find.cpp; docs/patterns.md section 2) =====
 public:
  // Opens (or brings back) the modeless find dialog 166: mode 1 the find
  // form, 0 find and replace. A column in m_nSearchFlags from bit 3 up
  // limits the search to that column of a CSV table.
  void OpenFindDialog(int mode);
  // One request of the find dialog (CFindDlg::Request: 0/1 find, 2 replace,
  // 3 replace all) with the option bits (1 case, 2 whole words, 4 down) on
  // m_strSearchText / m_strReplaceText. Returns what SearchAll returns, or
  // the replacement count.
  int DoFindReplace(int mode, int flags);
  // mode 1: the next match from the selection in the direction of flag 4
  // (line count in pane 0, Esc to stop); selects it and returns 1, or shows
  // string 368/369 and returns 0 (the selection stays); -1 stopped.
  // mode 2: every match of the stored texts replaced in the control's text;
  // mode 3: the same with the current statement (m_strStmtCommand,
  // m_strStmtOperand, '&' runs), flags from bit 20 up added to the pattern's.
  // Modes 2 and 3 return the count (pane 0 shows it), -1 stopped.
  int SearchAll(int mode, int flags);
  // Case-sensitive plain find in [from, to) (to -1: the end): the character
  // position of the first hit, or -1.
  long FindTextMatchCase(long from, long to, const CString& text);
  // F3: repeats the last search, or opens the find dialog when there is none.
  void RepeatSearch();
  // Stores the option bits and texts and searches (mode as DoFindReplace);
  // "&CK" in a CSV table jumps to the next / previous checked line.
  int SetSearchState(int mode, unsigned flags, const CString& text, const CString& replacement);
  // Command 33106 from the find dialog: takes its texts and options over and
  // searches. Returns 1.
  int OnFindDialogCommand();
  CFindDlg* FindDialog() const;

  void OnFindCommand();         // 33052 "検索\tF3" (repeat or open)
  void OnFindNextCommand();     // 33105, F3
  void OnFindReplaceCommand();  // 32966, Shift+F3
  void OnEditFindCommand();     // the Edit menu's find item and toolbar button
  void OnFindDialogMessage();   // 33106

 private:
  struct FindDlgCloser {
    void operator()(CFindDlg* dlg) const;
  };
  bool IsCsvTable() const;  // a CSV table in its normal form (the 0x06 buffer is shown)
  bool JumpToCheckedLine(bool down);
  int ReplaceInCsvBuffer(const viewfind::FindRule& rule, int column);
  void ShowFindStatus(const CString& text);
  std::unique_ptr<CFindDlg, FindDlgCloser> m_findDlgOwner;
  std::unique_ptr<macro::MacroState> m_pMacroState;
  std::unique_ptr<macro::MacroHost> m_pMacroHost;
  std::unique_ptr<macroui::MacroDialogs> m_pMacroDialogs;  // after the host: goes first

  // text-view services
  bool m_bWrapped = true;       // wrap to the window (the rich-edit default)
  bool m_bBackColorSet = false; // the control's background is m_clrViewBack, not the system's
  bool m_bCtrlDown = false;     // Ctrl seen by the key handler
  CPoint m_ptRButtonDown;       // last right press (client)
  long m_nPrintFromChar = 0;    // first character printed (print origin)
  // How the CSV table is shown now (quotes, page): PrepareCsvDisplay's options.
  viewload::CsvShowOptions CsvDisplayOptions() const;
  void ApplyBackColor();
  void OnPaneAction(int code);  // a code from ForOtherPanes
  bool KeyTableEdit(UINT nChar, bool ctrl);           // K2 hook
  bool KeyMacroRecorder(UINT nChar, UINT nFlags);     // K3 hook
  bool KeyMacroDebug(UINT nChar, bool ctrl);          // K4 hook
  bool KeyImageRegion(UINT nChar, bool ctrl);         // K5 hook
  // The image menu's keys on a picture, ahead of the frame's accelerators.
  BOOL PreTranslateMessage(MSG* msg) override;

  // Selection to table
 public:
  // 33179 (表変換): ConvertSelectionToTable.
  void OnTableConvert();
  // The selected lines become a table. With the table toolbar's Ctrl
  // (m_bCtrlButton) they turn into ruled rows in place (TableCommand 'e',
  // which becomes 'f' for '|' lines); without it they are shown as a CSV
  // table in the ruled display. In a rich-text view the whole document is
  // first written to the "_001.rtf" copy (an existing copy is replaced only
  // after the overwrite question) and the selection is cut out of it; the
  // converted text goes to the clipboard, the copy is reopened and timer 40
  // (FinishTablePaste) pastes the table over the old selection. 0 when the
  // conversion ran or started, -1 when nothing changed.
  int ConvertSelectionToTable();
  // Timer 40: once the reopened text is in the control, the clipboard's
  // rich text replaces the saved selection (StreamInRtf, so the rule
  // paragraphs keep their exact spacing), the view is rich text again at
  // its saved first line, the lock of the conversion ends and the copy
  // gives way to the document's own name.
  void FinishTablePaste();

 private:
  // TableCommand's conversions 'e' and 'f' on lines firstLine..lastLine of
  // the rich text (0 and 0: all of it), ending in the write-back.
  int RunRuledConversion(int cmd, int firstLine, int lastLine);
  // One paragraph starting at character `start` whose UTF-16 text is `para`.
  void ConvertParagraphToRuledRow(int cmd, long start, const std::u16string& para);
  // ApplyRtfSpacing over the paragraphs that start before character `end`
  // (-1: to the text's end): a stream into a selection leaves those after it.
  void ApplyRtfSpacingIn(viewload::RtfSpacingScan& scan, long base, long end);
  // The conversion's state between its start and timer 40.
  CString m_strTableCopyPath;   // the "_001.rtf" copy
  CString m_strTableOwnPath;    // the document's path before the copy was opened
  bool m_bTablePastePending = false;  // the lock of the conversion is still held
  bool m_bTablePasteWanted = false;   // timer 40 pastes (false: the lines could not be converted)
  bool m_bTableWasModified = false;   // the document had unsaved changes before the copy
  long m_nTablePasteChars = 0;        // characters of the converted text (what the paste puts in)
  // The converted text's rich text, kept for timer 40: the clipboard copy is
  // the user's, and another program may replace it before the timer comes.
  std::string m_tablePasteRtf;
  // Step 6 of the conversion: the document back from its copy and timer 40
  // armed (`paste` false: the old text only, nothing pasted).
  int ReopenFromTableCopy(int firstVisible, long selStart, long selEnd, bool paste);

  // Text to table (dvkview_texttotable.cpp; the conversion is
  // macro/macro_texttotable.h)
 public:
  // Lines firstLine..lastLine of the control (both 0: the selection's lines,
  // or the text's table lines without a selection) become the CSV working
  // buffer m_table. how below 1 then shows the table (kind 33); how 1 or
  // more leaves the kind and the display to the caller; how 2 asks nothing
  // about a text shown in part. Returns macro::TextTableResult: 0 done, 1
  // the file was opened again as CSV, -1 memory short (reported), -2 stopped.
  int ConvertTextToTable(int how, int firstLine, int lastLine);

  // Grid tables (dvkview_tablegrid.cpp)
 public:
  // how 1: the blank table of 6 x 6 cells into the CSV buffer (grown first;
  // string 152 when it cannot be) and streamed in at the caret ('N'); how 0:
  // the selected lines through ConvertTextToTable and 'D'. Any other value
  // is returned as it is.
  int MakeTable(int how);
  // A rich-text view only: mode 1 inserts the table template at the caret
  // and makes it a grid table, mode 2 only inserts it, any other mode makes
  // the selected lines a grid table. 0 done, -1 not (a shortage reported).
  int InsertTableTemplate(int mode);
  // The selected table's text ('|' for tabs and cells in mode 0) into the
  // document's m_pText (m_nTextLen); its length, or -1 (reported).
  int ExtractTableText(int mode);
  void OnTableNew();  // 33178: the selected lines, or the template
 private:
  int ConvertLinesToGrid();

  // Saving the shown picture (dvkview_image_save.cpp) and the metafile
  // render (dvkview_image_emf.cpp)
 public:
  // Writes the shown picture: nMode 1 to m_strImagePath, 2 and 4 to the
  // document's current file (4 leaves the side's path and the views alone),
  // 3 to "_TMP.bmp", any other through the save dialog offering nFormat's
  // types (1: every type). A ".pdf" becomes a one-page PDF of a JPEG.
  void SaveImageAs(int nFormat, int nMode);
  void SaveImageAsCmd();     // SaveImageAs(1, 0)
  void OnImageSaveAs();      // 32998 "画像 別名保存"
  // The save question's Yes on a picture: the dialog, proposing `path`.
  void SavePictureOnQuestion(const CString& path);
  // Plays the metafile `path` into a 24-bit bitmap in the document's load
  // record (the update takes it over like any picture).
  void RenderEmfToBitmap(CString path, int viewCommand);
  // The picture branch of the update: a metafile the loader handed on by
  // name (m_nPendingViewCmd 33) is rendered first (the command cleared
  // before, so no refresh takes it for a write request), then the record is
  // taken over like any loaded picture.
  bool TakeMetafileOrPicture();

  // --- The image canvas, the region corners and the probe
  //     (dvkview_image_canvas.cpp, dvkview_image_region.cpp) ----------------
 public:
  // Paints the region figure, or places the pictures of a marked rich text
  // (m_nShapeKind above 50), over what the control shows. nScaleMode 4
  // scales the pictures to the DC's resolution (printing); pDC null = the
  // view's own client DC; the offsets are added to a handed-in DC's
  // positions; only pictures above nLimitY are drawn (0 = all).
  void RenderImageCanvas(int nScaleMode, HDC pDC, int nOffsetX, int nOffsetY, int nLimitY);
  // The next corner (or a measuring point) at view point (x, y), following
  // the corner mode; bSetOrigin 1 also makes it the measuring origin.
  void SetImageCursor(int x, int y, int bSetOrigin);
  CSize BeginRegionCorner(int cornerMode);  // the corner commands' shared start and end
  void FinishRegionCorner();
  void SetRegionTopLeft();       // 32973
  void SetRegionBottomRight();   // 32974
  void ClearRegionFrame();       // 32990
  void OnImageCmd32997();        // 32997: the background colour
  // The region between loaded-picture pixels and view pixels at the zoom.
  int ScaleZoomRects(int bToView);
  // Coordinates, colour and region measure of view point (x, y) in the
  // status bar; nMode 1 takes the colour already probed as the picked one.
  void ShowPixelInfo(int nMode, int x, int y);
  // Timer 23: the canvas drawn once (mode 1).
  void TickImageCanvas();

  // --- Region editing (dvkview_image_edit.cpp) -------------------------------
  // The region (or with none the whole picture) into the document's clip.
  void CopyRegion();             // 32976
  // Copies the region, then clears it to the background.
  void CutRegion();              // 32978
  // Pastes the clip into the region (stretched to it); a region reaching
  // past the picture enlarges the picture first.
  void PasteRegion();            // 32977
  // Writes the clip (or its scaled, painted working copy) into the picture
  // at the region in compositing mode `mode`, saving the bytes it
  // overwrites for the undo. `text` is a label's text (label modes only).
  void RedrawImage(int mode, const CString& text);
  // Writes the region to a file chosen in the save dialog and shows it.
  void SaveRegionToFile();       // 32991
  // Pastes a picture file chosen in the open dialog into the region.
  void InsertImageFromFile();    // 32994
  // Crops the picture to the region and previews it; timer 13 brings the
  // picture back afterwards.
  void PrintRegion();            // 32975
  // Print request 2 (preview) and the view's update with no hint.
  void RequestRedrawMode2();
  // Timer 13: the region print's crop undone.
  void TickUndoRegion();
  // Draws one figure on `dc` (the caller's) with the view's line style and
  // paint colour (view::DrawRegionShape); returns 0.
  int DrawRegionShape(HDC dc, int l, int t, int r, int b, int kind, int fill, COLORREF pen, COLORREF brush,
                      COLORREF hatchBack);

  // --- The figure tools (dvkview_figure_tools.cpp) ---------------------------
  template <int Kind>
  void OnFigureKind() {
    SetFigureKind(Kind);
  }
  template <int Kind>
  void OnUpdateFigureKind(CCmdUI* ui) {
    UpdateFigureKind(ui, Kind);
  }
  // Appends the rows (and their submenus) to `menu`, each with its update
  // handler's state; false when a submenu could not be made.
  bool AppendMenuRows(CMenu& menu, const std::vector<viewui::MenuRow>& rows);
  void SetFigureKind(int kind);
  void UpdateFigureKind(CCmdUI* ui, int kind);
  void OnFigureLineStyle();
  void OnUpdateFigureLineStyle(CCmdUI* ui);
  void OnFigureFillKind();
  void OnUpdateFigureFillKind(CCmdUI* ui);
  void OnFigurePenColor();
  void OnFigureBrushColor();
  void OnFigureAreaColor();
  void OnFigureScreenColor();
  void OnUpdateFigureScreenColor(CCmdUI* ui);
  // 領域を塗る: the region filled in the brush colour.
  void OnFigureFillRegion();
  // 塗りつぶし: a flood fill from the right-clicked point.
  void OnFigureFloodFill();
  // Rebuilds the shown picture from the loaded (edited) pixels at the
  // current zoom step, instead of reading the file again.
  void AllocImageBuffer();
  // The shown picture holds edits the file does not have (modified, a paste,
  // a copy, cut or crop in progress).
  bool PictureHoldsEdits();
  // Crops the picture to the region, or enlarges it where the region
  // reaches outside; the previous picture waits in the clip for the undo.
  void CropZoomRegion();         // 32995
  void UndoRegion();             // 32996
  // The undo work by m_nImageSelMode.
  void RestoreImageBuffer();
  // Makes the in-memory BMP file `file` (`size` bytes) the shown picture;
  // mode 1 also takes its rows as the loaded pixels. False (nothing changed)
  // when the file is not a picture this view holds or memory is short.
  bool SetImageFromDib(std::uint8_t* file, std::uint64_t size, int mode);
  // Shows a picture of fewer bits again in 24 bits (the display's effect
  // run with the colour engine's replacement off).
  void ShowPictureIn24Bits();
  // String 152 (memory short) over the view.
  void ShowRegionMemoryShort();

 private:
  // The placement's first pass: the markers' hits read and blanked.
  void ScanCanvasMarkers(CRichEditCtrl& ctrl);
  // Converts IMAGEnn.jpg of the picture folder into IMAGEnn.bmp; false when
  // memory ran out (reported).
  bool ConvertCanvasPictures(const CString& folder);
  void DrawCanvasPictures(HDC dc, int nScaleMode, bool handedIn, int nOffsetX, int nOffsetY, int nLimitY,
                          CPoint origin, const CString& folder);
  // Draws the region's figure; with eraseLast the previous figure is first
  // retraced in the background (not after a repaint that covered it).
  void DrawRegionFigure(HDC dc, CPoint origin, bool eraseLast);
  // The active pane's region figure drawn again over a repainted picture.
  void RedrawRegionFigure();
  // The placed pictures' bitmaps, kept between repaints.
  view::CanvasBitmapCache m_canvasBitmaps;

  // --- Screen capture (dvkview_capture.cpp) ---------------------------------
 public:
  // 1 desktop, 40 a clicked window, 41 a series of it, 2 the numbered quick
  // capture; the picture written is opened.
  void CaptureScreen(int mode);
  // One picture of the rectangle the mode and the region give, to `path`
  // in format `code`; false when nothing was written.
  bool GrabScreenRect(const CString& path, int code, int mode);
 private:
  // The foreground window after the waits, other than the frame; null when
  // Esc or the time-out ended the wait.
  HWND WaitForTargetWindow(HWND frame);
  int CaptureSeries(const CString& path, int code, HWND target, CString* last);
};
