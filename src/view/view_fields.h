// The fields of the text view (CDvkView), grouped by the subsystem that
// mainly works on them. Each group is a plain struct with its defaults; the
// view inherits them all through ViewFields (the CSV working buffer and its
// index are the view's csv::Table m_table, the image state its
// image::ImageViewState m_image), so window code writes
// `view->m_nEditMode` while portable code can take the group it needs.
//
// Colours are COLORREF values (0x00BBGGRR) kept as 32-bit words; window
// handles and dialog objects are opaque pointers here, since this header
// stays free of windows.h.
#pragma once

#include <cstdint>

#include "csv/csv_checklist.h"
#include "fw/cstring.h"
#include "fw/geometry.h"

namespace view {

constexpr int kEntryListSlots = 1000;      // check list capacity from the constructor
constexpr int kColumnPositions = 9000;     // CsvColumnPositions
constexpr int kKeyStepSlots = 1000;        // key-macro step arrays
constexpr int kKeyMacroSlots = 100;        // key-macro memory of the workbench
constexpr int kColourBarSlots = 10;        // colour-marker table
constexpr std::int32_t kMarginUnset = -99; // m_nPageMargin before InitPrintMargins

// View timers (the one dispatcher is CDvkView::OnTimer).
enum ViewTimer : unsigned {
  kTimerNudge = 10,
  kTimerMci = 11,
  kTimerMciPos = 12,
  kTimerUndoRegion = 13,
  kTimerFillMargins = 14,
  kTimerLoad = 20,          // stream the loaded text into the control
  kTimerRedraw = 21,        // update code 6 and a redraw of all views
  kTimerEntryMarks = 22,    // underline the check-list lines
  kTimerImageCanvas = 23,   // render the image canvas (the image view's)
  kTimerMacroResume = 25,   // resume the macro (RunMacro mode 2)
  kTimerShowMore = 26,      // append the next chunk of a long text
  kTimerBlockEdit = 30,
  kTimerPasteTable = 40,    // finish the selection-to-table paste
  kTimerJump = 42,          // jump to the document's jump text
  kTimerRecordClock = 50,
  kTimerTempWindow = 60,    // close the "TEMPID" window
  // m_nPaneIndex + 2: image refresh of that pane.
};

// A. Display and loading (text view): what is shown and how.
struct ViewDisplayFields {
  std::uint32_t m_nFileKind = 0;      // 4 rich text, 9 text, 33 CSV, 35 web table, 98 macro, 12-28 pictures
  std::uint32_t m_nSourceView = 0;    // display form: 0 normal; binary and source forms
  std::uint32_t m_nEditMode = 0;      // 1 plain table text, 3 ruled-table mode
  std::uint32_t m_nSplitKind = 0;     // 0 while the pane's dynamic splitter is not split
  std::uint32_t m_nPaneIndex = 0;     // text pane 1-4; 0 outside the frame
  std::int32_t m_nLoadState = 0;      // view's own: nonzero = no image captions, no GDI scaler
  CString m_strViewPath;              // file the view shows (base of relative links)
  CString m_strShownFile;             // the document's m_strCurFile at the last update
  std::uint32_t m_bSizeLowerCopy = 0;  // copies of the document's size and display words
  std::int32_t m_nDisplayFlagCopy = 0;
  std::int32_t m_nTblsizCopy = 5;
  std::int32_t m_nTxtsizCopy = 5;
  std::int32_t m_nLinesShown = 0;     // line count at the last refresh ("%d line", pane 5)
  std::int32_t m_nTablePageParam = 240;  // half is the row argument of 'P'
  std::int32_t m_nColumnSizeDigit = 0;   // "csize" of the display statement (0-9)
  std::uint32_t m_bTableMoveFollowing = 1;  // a width change moves the later tab stops
  std::int32_t m_nPageMargin[4] = {kMarginUnset, kMarginUnset, kMarginUnset, kMarginUnset};  // top, bottom, left, right (1/100)
  std::int32_t m_anPrintState[3] = {};   // print state words
  std::int32_t m_nPageViewState = 0;     // 1 image, 4 other content while printing
  std::uint32_t m_bShownInPart = 0;      // only the first part of a long text is shown
  std::uint32_t m_nShownStart = 0;       // offset of the shown part in the document's text
  std::uint32_t m_nShownLength = 0;      // bytes of the document text shown (from m_nShownStart)
  std::int32_t m_nPendingLoad = 0;       // 1 while timer 20 has a text to stream in
  std::int32_t m_nRedrawState = 0;       // 0 idle; the document's redraw requests
};

// B. CSV table state of the view (CSV table engine): caret, selection, sort,
// paging, narrowing. The buffer and the block index are the view's m_table.
struct ViewCsvFields {
  std::uint32_t m_nCurColumn = 0;        // caret column
  std::uint32_t m_nCurRow = 0;           // caret row
  std::uint32_t m_nSelAnchorColumn = 0;  // block-selection anchor cell
  std::uint32_t m_nSelAnchorRow = 0;
  std::int32_t m_nSelStart = 0;          // rich-edit selection saved/restored
  std::int32_t m_nSelEnd = 0;
  std::uint32_t m_nSortFlags = 0;        // one bit per text pane
  std::uint32_t m_nSavedScrollPos = 0;   // vertical scroll kept across a re-sort
  std::int32_t m_nLastSort = 0;          // column + 1 ascending, ~column descending
  std::uint32_t m_nCaretBlock = 1;       // block of the caret + 1
  std::uint32_t m_nPageTopRow = 0;       // first row of a paged table
  CString m_strCsvSourcePath;            // file the table came from (undo at 0)
  std::uint32_t m_bTitleRowFixed = 0;    // narrowing state
  std::int32_t m_nSelectUndoCount = 0;   // 0-20
  CString m_strLastSelectCond;
  std::uint32_t m_nPadTarget = 0;        // column count short rows are filled to
  std::int32_t m_nRowBase = 0;           // CSV row = line + base + 1 (-1 with the title flag)
  std::int32_t m_nTitleLineFlag = 0;
  std::int32_t m_nTableCurRow = 0;       // current row of ruled mode
  std::uint32_t m_nTitleLine = 0;        // title line of the column layout
  std::uint32_t m_aColumnPos[kColumnPositions] = {};  // CsvColumnPositions (layout: csv/csv_widths.h)
  std::int32_t m_nPageLineBase = 0;      // added to row numbers of a paged table
  std::uint32_t m_nColumnPageWord = 0;   // low 16 bits: first column shown
  std::int32_t m_nColBlockState = 0;     // column-block selection and its pixel range
  std::int32_t m_nColBlockPixFrom = 0;
  std::int32_t m_nColBlockPixTo = 0;
  // Set by the table engine: the cell selector's selection starts one
  // character earlier, on the separator (so a moved range keeps its edge).
  std::uint32_t m_bCellSelectFromSeparator = 0;
  std::uint32_t m_clrLastText = 0;       // last text and background colours
  std::uint32_t m_clrLastBack = 0xFFFFFF;
};

// C. Keys, search and the check list (text view, workbench). The check list
// (m_pEntryList, m_nEntryListCount, m_nEntryListPos, m_nEntryListMode) is
// csv::CheckList with its one reader.
struct ViewKeySearchFields : csv::CheckList {
  std::uint32_t m_bInternalKey = 0;      // 1 while the view feeds itself a key / Ctrl held
  std::uint32_t m_nKeyLatch = 0;         // key-handler latch
  std::uint32_t m_nSearchFlags = 0;      // 1 case, 2 whole words, 4 down; bits 3+: column limit
  CString m_strSearchText;               // bytes 1 and 3 stand for "%" and "&" in the dialog
  CString m_strReplaceText;
  std::int32_t m_bRepeatSearchBusy = 0;
  void* m_pFindDlg = nullptr;            // modeless find dialog (166)
  CString m_strStmtCommand;              // current statement parts / operation parameters
  CString m_strStmtOperand;
  CString m_strPrevStmtCommand;          // last one-line macro input
  CString m_strPrevStmtOperand;
  CString m_strCmdText;                  // output name of a program-called PDF command
  std::int32_t m_nFoundPos = 0;           // character position of the last hit
};

// D. Ruled tables and their editing (table engine).
struct ViewTableFields {
  std::uint32_t* m_pParaRowMap = nullptr;  // paragraph -> source row of a rendered table
  std::uint32_t m_nParaRowMapSize = 0;
  std::uint32_t m_bCtrlButton = 0;         // Ctrl state of the table toolbar
  std::int32_t* m_pColumnEdges = nullptr;  // column edge table
  std::int32_t m_nMaxColumns = 0;
  std::int32_t m_nColourBarColumn = 0;     // colour-marker table
  char m_pColourBarChars[kColourBarSlots * 2 + 1] = {};
  char m_pColourBarCodes[kColourBarSlots + 1] = {};
  std::int32_t m_nRuledHeaderCount = 0;
  std::int32_t m_nLastTableCmd = 0;
  std::int32_t m_nFormatLineFrom = 0;      // selected lines of the format description
  std::int32_t m_nFormatLineTo = 0;
  std::int32_t m_nPictureIndex = 0;
  std::int32_t m_nPageLineCount = 0;       // lines the control shows (PageLineCount)
  std::int32_t m_nRuledPageSize = 0;       // ruled-mode copy of the page size
  std::int32_t m_bLastPage = 0;
  std::int32_t m_aKeyStepCode[kKeyStepSlots] = {};   // key-macro steps
  std::int32_t m_aKeyStepValue[kKeyStepSlots] = {};
  std::int32_t m_nKeyStepIndex = 0;
  std::int32_t m_bKeyStepRecording = 0;
  std::int32_t m_bBackColorSwitch = 0;
  std::uint32_t m_clrStoredDefault = 0;
  std::int32_t m_nLastEffect = 0;
  std::int32_t m_nStoredCaretLine = 0;
  std::int32_t m_nStoredCaretOffset = 0;
  std::int32_t m_nTimer40FirstLine = 0;    // saved for timer 40
  std::int32_t m_nTimer40SelStart = 0;
  std::int32_t m_nTimer40SelEnd = 0;
  std::int32_t m_nContentKind = 0;         // for UpdateMenuTexts
  std::int32_t m_nContentSubMode = 0;
};

// E. Workbench words: drawing, paste, media and the key-macro memory.
struct ViewWorkbenchFields {
  std::int32_t m_nImageOption = 0;
  std::int32_t m_bNudge = 0;
  std::int32_t m_nScrollCode = 0;
  std::int32_t m_nLineShift = 0;
  std::int32_t m_bTableHasTitle = 0;
  std::int32_t m_nTableWord = 0;
  std::int32_t m_nBlockMode = 0;
  std::int32_t m_nInsertWord = 1;          // 0 = overwrite
  std::int32_t m_nUndoStepCount = 0;
  std::int32_t m_nPasteFrom = 0;           // paste range and first visible line
  std::int32_t m_nPasteTo = 0;
  std::int32_t m_nPasteFirstLine = 0;
  std::int32_t m_nSearchRestart = 0;
  std::uint32_t m_clrViewBack = 0xFFFFFF;
  std::int32_t m_nViewKind = 0;            // view kind / display kind
  std::int32_t m_nDisplayKind = 0;
  std::int32_t m_nFirstDataColumn = 0;
  std::int32_t m_nRowCount = 0;
  std::int32_t m_bKeyMacroMemory = 0;      // key-macro memory
  std::int32_t m_nKeyMacroLength = 0;
  std::int32_t m_aKeyMacro[kKeyMacroSlots] = {};
  std::int32_t m_nFedKeyState = 0;
  std::int32_t m_nRecordClock = 0;         // recording clock (seconds)
  std::int32_t m_bMediaPlay = 0;           // media play/loop state
  std::int32_t m_bMediaLoop = 0;
  std::int32_t m_nLoopStart = 0;
  std::int32_t m_nLoopEnd = 0;
  std::int32_t m_nMediaLength = 0;
  std::int32_t m_nMediaPosition = 0;
};

// Everything the view holds apart from its window-side members, the CSV
// buffer and index and the image state.
struct ViewFields : ViewDisplayFields,
                    ViewCsvFields,
                    ViewKeySearchFields,
                    ViewTableFields,
                    ViewWorkbenchFields {};

}  // namespace view
