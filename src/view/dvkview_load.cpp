// CDvkView::OnUpdate: loading the document into the control by file type
// (the timers that finish it are dispatched in dvkview_timers.cpp).
//
// What an update asks is decided in viewload::PlanUpdate (portable, tested
// natively); this file carries the steps out on the control: the content
// taken by kind, filled on timer 20 (long plain texts chunk by chunk,
// dvkview_showchunks.cpp), then the jump line and selection.
#include <cstring>

#include "core/docsvc/filekind.h"
#include "core/docopen/opentexts.h"
#include "host/doc_host.h"
#include "host/frame_host.h"
#include "image/load/image_record.h"
#include "csv/csv_index.h"
#include "fw/alloc.h"
#include "macro/macro_run.h"
#include "macro/macro_state.h"
#include "view/dvkview.h"
#include "view/viewcore/statustext.h"
#include "view/viewload/csvshow.h"
#include "view/viewload/showchunks.h"
#include "view/viewload/updateplan.h"
#include "view/viewui/panes.h"
#include "csv/csv_fileform.h"
#include "csv/csv_fileopen.h"

namespace {

// Bytes after the text in the view's CSV buffer (the table operations'
// margin), and the text streamed in one piece.
constexpr std::uint32_t kCsvBufferMargin = csv::kShownTableMargin;
constexpr std::size_t kOnePieceLimit = 500000;
// Delays of the loading timers.
constexpr UINT kLoadDelayMs = 500;
constexpr UINT kRedrawDelayMs = 10;
constexpr UINT kJumpDelayMs = 900;
constexpr UINT kCheckMarksDelayMs = 10;
// Scroll codes after which the redisplay puts back the vertical scroll
// position and the caret at m_nSelStart.
bool RestoresScrollAndCaret(std::int32_t code) { return code == 13 || code == 14 || code == 3 || code == 4; }

}  // namespace

bool CDvkView::TakesDocumentContent() const {
  const app::DocHost* doc = GetDocument();
  if (!doc) return false;
  // The active text pane takes a new document; a view outside the frame
  // (pane 0) takes it too.
  return m_nPaneIndex == 0 || static_cast<int>(m_nPaneIndex) == doc->PathFields().m_nActiveTextPane;
}

void CDvkView::OnUpdate(CView* sender, LPARAM hint, CObject* hintObject) {
  (void)sender;
  (void)hint;
  (void)hintObject;
  app::DocHost* doc = GetDocument();
  if (!doc || !m_hWnd) return;
  // The list side's macro file: run it before the update of all views returns.
  if (doc->UpdateFields().m_nUpdateCode == app::UpdateCode::kSideMacro) {
    if (!TakesDocumentContent()) return;
    const CString path = doc->PathFields().m_nActiveSide == 1 ? doc->PathFields().m_strPath1
                                                               : doc->PathFields().m_strPath2;
    if (::GetFileKind(path) == docsvc::kKindMacro) RunMacro(2, path, CString(), CString());
    return;
  }
  // An address the link code hands to the views (pane word 5 while it does).
  if (doc->UpdateFields().m_nUpdateCode == app::UpdateCode::kContent && doc->PathFields().m_nActiveTextPane == 5) {
    if (!doc->PathFields().m_strPendingAddress.IsEmpty() && m_nPaneIndex >= 1) TakePendingAddress();
    return;
  }
  viewload::UpdateState state;
  state.printRequest = doc->UpdateFields().m_nPrintRequest;
  state.loadState = doc->UpdateFields().m_nLoadState;
  state.code = doc->UpdateFields().m_nUpdateCode;
  state.viewShowsTable = viewload::ShownFormOf(static_cast<int>(m_nFileKind)) == viewload::ShownForm::kTable;
  state.viewHasBuffer = m_table.m_pTextBuf != nullptr;
  state.takesContent = TakesDocumentContent();
  state.shownBeside = !state.takesContent && m_nPaneIndex >= 1 && app::g_pFrameHost &&
                      GetParentFrame() == app::g_pFrameHost->FrameWnd() &&
                      app::g_pFrameHost->ShowsTextPane(static_cast<int>(m_nPaneIndex));
  state.paneIndex = static_cast<int>(m_nPaneIndex);
  state.macroDebugMode = doc->UpdateFields().m_nMacroDebugMode;
  state.activeView = GetParentFrame() && GetParentFrame()->GetActiveView() == this;
  state.viewShowsMacro = m_nFileKind == docsvc::kKindMacro;
  if (const img::LoadRecord* rec = doc->ImageLoadRecord())
    state.pictureWaiting = rec->m_nLoadReady == 1 && rec->m_nLoadBitsOwner != 0 && rec->m_nLoadDataSize > 0 &&
                           docsvc::IsPictureKind(doc->UpdateFields().m_nFileKind);
  state.pendingViewCmd = doc->UpdateFields().m_nPendingViewCmd;
  const viewload::UpdatePlan plan = viewload::PlanUpdate(state);
  if (plan.step == viewload::UpdateStep::kTakeContent && m_bHeldBeside) {
    if (!state.takesContent) return;  // the text stays beside the picture
    m_bHeldBeside = false;
    GetRichEditCtrl().SetReadOnly(FALSE);
  }
  if (plan.consumePrintRequest) doc->UpdateFields().m_nPrintRequest = 0;

  switch (plan.step) {
    case viewload::UpdateStep::kNothing:
      return;
    case viewload::UpdateStep::kPrint:
      OnFilePrint();
      return;
    case viewload::UpdateStep::kPrintPreview:
      OnFilePrintPreview();
      return;
    case viewload::UpdateStep::kPrintMargins:
      InitPrintMargins();
      return;
    case viewload::UpdateStep::kRescanTable:
      m_table.Rescan();
      [[fallthrough]];  // the rescanned table is redisplayed
    case viewload::UpdateStep::kRedrawTable:
      // Synchronous, so ReportMessage and the hide-quotes command see the result.
      PrepareCsvDisplay();
      ShowPreparedNow();
      return;
    case viewload::UpdateStep::kRedrawOwnText: {
      // What a report wrote into the view's buffer (external-run mode).
      ClearShow();
      if (m_table.m_pTextBuf) {
        std::size_t n = m_table.UsedLength();
        const void* nul = std::memchr(m_table.m_pTextBuf, 0, n);
        if (nul) n = static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - m_table.m_pTextBuf);
        m_strShowOwned.assign(reinterpret_cast<const char*>(m_table.m_pTextBuf), n);
      }
      m_pShowData = m_strShowOwned.data();
      m_nShowLen = m_strShowOwned.size();
      m_nShowFormat = SF_TEXT;
      ShowPreparedNow();
      return;
    }
    case viewload::UpdateStep::kTakeContent:
    {
      TakeDocumentContent();
      // A picture the image view took is shown already.
      if (m_bPictureShown) return;
      // The control is filled on timer 20. A long old text goes now, and the
      // time its control took to go counts as part of the timer's wait
      // (a timer belongs to a window: it is armed on the new one).
      const DWORD start = GetTickCount();
      RenewIfLong();
      const DWORD spent = GetTickCount() - start;
      m_nPendingLoad = 1;
      if (!SetTimer(view::kTimerLoad, spent + 1 < kLoadDelayMs ? kLoadDelayMs - spent : 1)) FinishLoad();
      // A macro document runs once it is shown (after the open has written
      // its own status text). One loaded while a run is under way (its
      // source shown again after an error) is only shown.
      Macro().m_bMacroRunOnLoad = m_nFileKind == docsvc::kKindMacro && !Macro().m_bMacroRunActive ? 1 : 0;
      return;
    }
    case viewload::UpdateStep::kHandOver:
      // This pane takes the document's text and becomes the active pane.
      TakeDocumentContent();
      m_nPendingLoad = 1;
      FinishLoad();
      if (app::g_pFrameHost && GetParentFrame() == app::g_pFrameHost->FrameWnd()) {
        const viewui::Cell c = viewui::ActivationCellOfPane(state.paneIndex);
        app::g_pFrameHost->ActivateTextPane(c.row, c.col);
      }
      return;
    case viewload::UpdateStep::kTakePicture:
      // The document's picture waits for this pane (a refresh after the open).
      TakeDocumentContent();
      if (!m_bPictureShown) {
        m_nPendingLoad = 1;
        FinishLoad();
      }
      return;
    case viewload::UpdateStep::kClearCheckList:
      m_nEntryListPos = 0;
      m_nEntryListMode = 0;
      return;
    case viewload::UpdateStep::kInvalidate:
      Invalidate();
      return;
    case viewload::UpdateStep::kMacroDebugRun:
      RunMacroDebugRequest(plan.macroDebugMode);
      return;
    case viewload::UpdateStep::kCapture: {
      // 99 while the capture runs: the updates of its own open leave it alone.
      const int mode = doc->UpdateFields().m_nPendingViewCmd;
      doc->UpdateFields().m_nPendingViewCmd = 99;
      CaptureScreen(mode);
      doc->UpdateFields().m_nPendingViewCmd = 0;
      return;
    }
    case viewload::UpdateStep::kMacroGraphText:
      // The macro text with the appended "Graph" subroutine, shown again.
      TakeDocumentContent();
      m_nPendingLoad = 1;
      FinishLoad();
      return;
  }
}

void CDvkView::RunMacroDebugRequest(int mode) {
  app::DocHost* doc = GetDocument();
  app::DocUpdateFields& u = doc->UpdateFields();
  u.m_nMacroDebugMode = mode;
  Macro().m_nMacroResumePos = u.m_nMacroStopPos;
  const int result = RunMacro(macro::kRunDocument, doc->PathFields().m_strDocPath, CString(), CString());
  // A run that did not stop again leaves nothing to resume: F5 must not
  // go back into the ended run at its last stop.
  if (result != macro::kRunPaused) {
    u.m_nMacroStopPos = 0;
    u.m_nMacroStopLine = 0;
  }
  // The request is done: the other views of this update leave it alone
  // (this view showed the table at the stop or at the end).
  u.m_nUpdateCode = app::UpdateCode::kNone;
  u.m_nLoadState = 0;
}

void CDvkView::ClearShow() {
  StopChunkedShow(ChunkStop::kDone);
  m_pShowData = nullptr;
  m_bShowFromDocument = false;
  m_nShowLen = 0;
  m_strShowOwned.clear();
  m_strShowOwned.shrink_to_fit();
  m_strShowTail.clear();
  m_nShowFormat = SF_TEXT;
}

void CDvkView::TakeDocumentContent() {
  app::DocHost* doc = GetDocument();
  ClearShow();
  m_bFreshText = true;
  m_bPictureShown = false;
  const int kind = doc->UpdateFields().m_nFileKind;
  m_nFileKind = static_cast<std::uint32_t>(kind);
  m_nSourceView = 0;
  m_strViewPath = doc->PathFields().m_strDocPath;
  m_strShownFile = doc->PathFields().m_strCurFile;
  m_nTblsizCopy = doc->SettingsFields().m_nTblsiz;
  m_nTxtsizCopy = doc->SettingsFields().m_nTxtsiz;
  m_bSizeLowerCopy = doc->WindowFields().m_bSizeLower;
  m_nDisplayFlagCopy = doc->UpdateFields().m_nDisplayFlag;
  m_nTablePageParam = 240;
  // The picture folder of a marked rich text is found from the shown file.
  m_image.m_strImagePath = m_strShownFile;
  m_bShownInPart = 0;
  m_nShownStart = 0;
  m_nShownLength = 0;
  m_nLastSort = 0;

  const char* text = doc->TextFields().m_pText ? doc->TextFields().m_pText : "";
  std::size_t len = doc->TextFields().m_pText ? doc->TextFields().m_nTextLen : 0;
  const std::uint32_t capacity = doc->TextFields().m_nTextCapacity;
  if (len >= capacity && capacity) len = capacity - 1;

  const viewload::ShownForm form = viewload::ShownFormOf(kind);
  if (form == viewload::ShownForm::kTable) {
    // The working form: the file's commas outside quotes become 0x06 (the
    // open may have made it already, straight from the file).
    csv::CellBreakLoad breaks;
    if (!doc->TakeOpenedTable(text, len, kCsvBufferMargin, &m_table) &&
        !m_table.LoadFileText(text, len, kCsvBufferMargin, &breaks)) {
      ReportMessage(1, CString());
      m_nFileKind = docsvc::kKindText;
      return;
    }
    // Quoted line breaks left as row ends: the file holds the code bytes.
    if (breaks.breaksLeft && g_pStatusBar && g_pStatusBar->m_hWnd)
      g_pStatusBar->SetPaneText(0, CString(csv::CellBreaksLeftNote()));
    m_nPageTopRow = 0;
    m_nCaretBlock = 1;
    m_strCsvSourcePath = doc->PathFields().m_strCurFile;
    NewTableForUndo();
    PrepareCsvDisplay();
  } else if (form == viewload::ShownForm::kRichText) {
    m_bShowFromDocument = true;
    m_nShowLen = len;
    m_nShowFormat = SF_RTF;
  } else if (form == viewload::ShownForm::kPicture && TakeMetafileOrPicture()) {
    // The image view shows the picture; the control holds its filler text.
    m_bPictureShown = true;
  } else {
    // Text: the whole of it, or the part up to "outdata" with string 150.
    bool cut = false;
    m_nShowLen = viewload::ShownTextLength(text, len, doc->SettingsFields().m_nOutdata, &cut);
    m_bShowFromDocument = true;
    if (cut) {
      m_bShownInPart = 1;
      m_strShowTail = "\r\n\r\n";
      m_strShowTail += static_cast<const char*>(docopen::GetOpenText(docopen::OpenText::kDisplayOver));
    }
    m_nShownLength = static_cast<std::uint32_t>(m_nShowLen);
  }
  if (app::g_pFrameHost) app::g_pFrameHost->UpdateMenuTexts(kind, static_cast<int>(m_nSourceView), 0);
}

viewload::CsvShowOptions CDvkView::CsvDisplayOptions() const {
  const app::DocHost* doc = GetDocument();
  viewload::CsvShowOptions o;
  o.hideQuotes = doc && doc->SettingsFields().m_bHideQuotes == 1;
  // A table longer than "bmpfile" rows is shown a page at a time.
  std::int64_t rows = static_cast<std::int64_t>(m_table.m_nLastRow) + 1;
  if (doc && doc->SettingsFields().m_nBmpfile > 0 && rows > doc->SettingsFields().m_nBmpfile) {
    o.firstRow = m_nPageTopRow;
    o.maxRows = static_cast<std::uint32_t>(doc->SettingsFields().m_nBmpfile);
  }
  return o;
}

void CDvkView::PrepareCsvDisplay() {
  const viewload::CsvShowOptions o = CsvDisplayOptions();
  // The table's display replaces whatever was shown, also a text the view
  // streamed from the document (a macro that loads a table into a text view).
  StopChunkedShow(ChunkStop::kDone);
  m_bShowFromDocument = false;
  m_strShowOwned.clear();
  m_strShowTail.clear();
  ClearRuledLayout();
  // The ruled display is drawn from the table itself when it is shown.
  if (m_table.m_pTextBuf && !ShowsRuledTable()) viewload::AppendCsvShown(m_table.m_pTextBuf, m_table.UsedLength(), o, m_strShowOwned);
  m_pShowData = m_strShowOwned.data();
  m_nShowLen = m_strShowOwned.size();
  m_nShowFormat = SF_TEXT;
}

void CDvkView::ShowPreparedNow() {
  KillTimer(view::kTimerLoad);
  m_nPendingLoad = 1;
  FinishLoad();
}

void CDvkView::FinishLoad() {
  KillTimer(view::kTimerLoad);
  if (!m_nPendingLoad) return;
  m_nPendingLoad = 0;
  app::DocHost* doc = GetDocument();
  if (!doc) return;
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  std::size_t total = m_nShowLen + m_strShowTail.size();
  // Before the stream: where the view stands, the lock, the selection
  // hidden, the frame's child rectangle, redraw state 99 and the wait cursor.
  // The redraw state asked for is kept to decide the second redraw after.
  const bool fresh = m_bFreshText;
  const int firstVisible = ctrl.GetFirstVisibleLine();
  const int horizontal = ::GetScrollPos(m_hWnd, SB_HORZ);
  const std::int32_t redrawState = doc->UpdateFields().m_nRedrawState;
  doc->BeginUpdateLock(this);
  ctrl.SendMessage(EM_HIDESELECTION, 1, 0);
  if (app::g_pFrameHost) app::g_pFrameHost->SaveChildWindowRect();
  doc->UpdateFields().m_nRedrawState = 99;
  ::SetCursor(::LoadCursor(nullptr, IDC_WAIT));
  // Plain text and tables take the display font (a Japanese face and the
  // Shift-JIS character set); rich text keeps the fonts it names. The empty
  // control takes it first, so the text is laid out once.
  EmptyControl();
  if (m_nShowFormat == SF_TEXT) ApplyDisplayFont();
  // The document's text from the start of the shown part (a text shown in
  // parts, LoadPageOfFile).
  const std::size_t docTotal = doc->TextFields().m_pText ? doc->TextFields().m_nTextLen : 0;
  const std::size_t partStart = m_nShownStart <= docTotal ? m_nShownStart : docTotal;
  const char* docText =
      m_bShowFromDocument && doc->TextFields().m_pText ? doc->TextFields().m_pText + partStart : nullptr;
  const std::size_t docLen = docText && m_nShowLen <= docTotal - partStart ? m_nShowLen : 0;
  // A CSV table in ruled-table mode is drawn by the table engine.
  const bool ruled = ShowsRuledTable() && !m_bShowFromDocument;
  const bool chunks = !ruled && docText && StartChunkedShow(docText, docLen);
  if (ruled)
    ShowRuledTable();
  else if (chunks)
    ;
  else if (total <= kOnePieceLimit || m_nSplitKind != 0)
    StreamOutText();
  else
    OutputWithProgress();
  // "%d line" in pane 5 (counted from the bytes when the text goes in by chunks).
  int lines = chunks ? m_nLinesShown : ctrl.GetLineCount();
  m_nLinesShown = lines;
  if (g_pStatusBar && g_pStatusBar->m_hWnd) {
    const viewcore::StatusTextEntry& e = viewcore::StatusTextFor(viewcore::StatusText::kLineCount);
    CString t;
    t.Format(e.format, lines);
    g_pStatusBar->SetPaneText(5, t);
  }
  // A packed rich text (".rtzx"), or a text whose first line is "+  "
  // (unless the picture switch is on), has pictures to place at its
  // markers; other content ends a placement state.
  // The first line is read from the control, so that a rich text's own
  // first line counts, not its source.
  char head[8] = {};
  TEXTRANGEA range = {};
  range.chrg.cpMin = 0;
  range.chrg.cpMax = 3;
  range.lpstrText = head;
  const std::size_t headLen =
      static_cast<std::size_t>(ctrl.SendMessage(EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range)));
  const bool marked = viewload::ShowsMarkedPictures(m_strShownFile.GetString(), head, headLen,
                                                    doc->UpdateFields().m_bPictureSwitch != 0);
  if (marked) {
    // The first placement blanks the markers and scrolls to the top; a
    // redisplay goes back to its line below.
    m_image.m_nShapeKind = 51;
    m_image.m_rcImageSel.right = 1;
    RenderImageCanvas(1, nullptr, 0, 0, 0);
  } else if (m_image.m_nShapeKind > 50) {
    m_image.m_nShapeKind = 0;
  }
  ctrl.SetModify(FALSE);
  if (fresh) {
    // A new text starts with the caret at its start, nothing to undo, and
    // the keys in the active view.
    m_bFreshText = false;
    ctrl.EmptyUndoBuffer();
    ctrl.SetSel(0, 0);
    ctrl.LineScroll(-ctrl.GetFirstVisibleLine());
    if (CFrameWnd* f = GetParentFrame()) {
      if (f->GetActiveView() == this) TakeFocus();
    }
  } else {
    // A redisplay: back to the first visible line it had, and with a scroll
    // code to the saved scroll position and caret.
    ctrl.LineScroll(firstVisible - ctrl.GetFirstVisibleLine());
    if (m_nScrollCode != 0) {
      if (m_nEditMode == 3) SendMessage(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, horizontal & 0xFFFF), 0);
      if (RestoresScrollAndCaret(m_nScrollCode)) {
        SendMessage(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, m_nSavedScrollPos & 0xFFFF), 0);
        ctrl.SetSel(m_nSelStart, m_nSelStart);
      }
      // The saved words are used up (a redisplay without a scroll code
      // leaves them to the command that set them).
      m_nScrollCode = 0;
      m_nSelStart = 0;
      m_nSelEnd = 0;
    }
  }
  ctrl.SendMessage(EM_HIDESELECTION, 0, 0);
  doc->EndUpdateLock();
  ::SetCursor(::LoadCursor(nullptr, IDC_ARROW));
  // The redraw state asked for before: 40, 38, 37 and 999 want a second
  // redraw of all views (timer 21); any other positive state ends.
  if (viewload::RedrawStateArmsRedraw(redrawState)) {
    doc->UpdateFields().m_nRedrawState = redrawState;
    SetTimer(view::kTimerRedraw, kRedrawDelayMs);
  } else if (redrawState > 0) {
    doc->UpdateFields().m_nRedrawState = 0;
  } else {
    doc->UpdateFields().m_nRedrawState = redrawState;
  }
  ctrl.SetModify(FALSE);
  ApplyJump();
  if (!doc->PathFields().m_strJumpText.IsEmpty()) SetTimer(view::kTimerJump, kJumpDelayMs);
  // A redisplay drops the check marks: they come back on timer 22 while
  // the check list holds rows of this table.
  if (m_nEntryListMode == 1 && viewload::ShownFormOf(static_cast<int>(m_nFileKind)) == viewload::ShownForm::kTable)
    SetTimer(view::kTimerEntryMarks, kCheckMarksDelayMs);
  if (m_pMacroState && m_pMacroState->m_bMacroRunOnLoad) {
    m_pMacroState->m_bMacroRunOnLoad = 0;
    RunMacro(3, doc->PathFields().m_strDocPath, CString(), CString());
  }
}

bool CDvkView::RenewIfLong() {
  if (GetRichEditCtrl().GetTextLength() <= viewload::ShowTuning().emptyInPlaceLimit || !RenewControl()) return false;
  // What the control does not carry over: its background colour. The view's
  // timers that may be armed (redraw, jump) are armed again at the end of
  // the load when still wanted.
  if (m_bBackColorSet) ApplyBackColor();
  return true;
}

void CDvkView::EmptyControl() {
  if (!RenewIfLong()) GetRichEditCtrl().SetWindowText("");
}

void CDvkView::ApplyJump() {
  // U6: a line asked for by the opener (stored negated) and a selection of
  // column * 256 + length in it.
  app::DocHost* doc = GetDocument();
  if (!doc || doc->PathFields().m_nJumpLine >= 0) return;
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  int line = -doc->PathFields().m_nJumpLine;
  int count = ctrl.GetLineCount();
  if (line > count) line = count;
  if (line < 1) line = 1;
  long start = ctrl.LineIndex(line - 1);
  if (start < 0) start = 0;
  long column = doc->PathFields().m_nJumpSel > 0 ? doc->PathFields().m_nJumpSel / 256 : 0;
  long length = doc->PathFields().m_nJumpSel > 0 ? doc->PathFields().m_nJumpSel % 256 : 0;
  long lineLen = ctrl.LineLength(start);
  if (column > lineLen) column = lineLen;
  if (column + length > lineLen) length = lineLen - column;
  ctrl.SetSel(start + column, start + column + length);
  int first = ctrl.GetFirstVisibleLine();
  ctrl.LineScroll(line - 1 - first);
  doc->PathFields().m_nJumpLine = 0;
  doc->PathFields().m_nJumpSel = 0;
}
