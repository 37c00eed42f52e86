// The CSV view's one-click column commands (DoCsvColumnCommand): the
// narrowing selection with its undo, totals, totals by item, cell functions,
// row and column insertion and deletion, checks and marks, the fixed title
// row and the find limited to a column. The arithmetic, the statement texts
// and the undo record are portable (csv/csv_colcmd.h, csv/csv_selectundo.h,
// view/viewcore/selectsnapshot.h); this file does the control work around
// them: the caret cell, selection and scroll, the calls into the table
// operations, the redisplay and the caret put back on its cell.
//
// Rows and columns (codes 11-14) and the one-line command handlers are in
// dvkview_colcmd_rows.cpp.
#include <string>

#include "core/docsvc/filekind.h"
#include "csv/csv_blocksum.h"
#include "csv/csv_colcmd.h"
#include "fw/msgbox.h"
#include "host/doc_host.h"
#include "macro/macro_state.h"
#include "res/resource.h"
#include "view/dvkview.h"
#include "view/viewcore/selectsnapshot.h"
#include "view/viewcore/sourcedecode.h"
#include "view/viewcore/statustext.h"

namespace {

constexpr std::uint32_t kRuledTableMode = 3;
constexpr std::uint32_t kCheckListBusy = 99;
constexpr std::uint32_t kCsvBufferMargin = 1000;  // spare bytes after an undone table
constexpr int kReportNoMemoryUndo = 166;
constexpr int kReportText = 2;
constexpr int kTotalVar = 171;     // "&D171": the total
constexpr int kCountVar = 172;     // "&D172": the rows totalled (code 16)

// The status texts of the undo (pane 0).
constexpr char kUndoJoinedText[] = "絞込みの最後の 2 回分をまとめて元に戻しました";
constexpr char kUndoNotOursText[] = "元に戻す: %s はこの画面が書いた控えでないため読み込みません";
constexpr char kSnapshotFailedText[] = "絞込みの控えを書けないため絞込みをやめました\n";

// The totals boxes.
constexpr char kTotalCaption[] = "Total";
constexpr char kOverCheckMax[] = "Over check line max";

}  // namespace

// A window-update lock of the active window that every exit releases.
CDvkView::UpdateLockGuard::UpdateLockGuard(CDvkView& view) : doc_(view.GetDocument()) {
  if (!doc_) return;
  CWnd* active = view.GetParentFrame() ? view.GetParentFrame()->GetActiveView() : nullptr;
  doc_->BeginUpdateLock(active ? active : &view);
}

CDvkView::UpdateLockGuard::~UpdateLockGuard() {
  if (doc_) doc_->EndUpdateLock();
}

csv::ColumnCommandPlace CDvkView::ColumnCommandPlaceNow() const {
  csv::ColumnCommandPlace p;
  p.curColumn = static_cast<int>(m_nCurColumn);
  p.curRow = static_cast<int>(m_nCurRow);
  p.anchorColumn = static_cast<int>(m_nSelAnchorColumn);
  p.anchorRow = static_cast<int>(m_nSelAnchorRow);
  p.pageLineBase = m_nPageLineBase;
  p.columnPageWord = m_nColumnPageWord;
  p.editMode = static_cast<int>(m_nEditMode);
  p.titleLine = static_cast<int>(m_table.m_nCurLine);
  p.lastRow = m_table.m_nLastRow;
  p.fieldCount = m_table.m_nFieldCount;
  return p;
}

CString CDvkView::SelectSnapshotPath(std::int32_t number) {
  app::DocHost* doc = GetDocument();
  if (!doc) return CString();
  const std::string name = csv::SelectUndoLog::SnapshotName(
      m_nPaneIndex, number, static_cast<std::uint32_t>(doc->PathFields().m_nInstanceNo));
  return doc->ScratchFolder(0) + CString(name.c_str());
}

void CDvkView::NewTableForUndo() {
  m_nSelectUndoCount = 0;
  m_selectUndo.Clear();
  // The encoding the open read the file in (kept: another open may change
  // the document's before the undo reads the file back).
  if (const app::DocHost* doc = GetDocument()) m_nCsvSourceEncoding = static_cast<int>(doc->OpenFields().m_openEncoding.encoding);
}

void CDvkView::DoCsvColumnCommand(int code) {
  app::DocHost* doc = GetDocument();
  if (!doc || !m_hWnd || !ShowsCsvTable()) return;
  if (code < csv::kColNarrowSelect || code > csv::kColTitleRow || code == 20) return;
  if (m_nPendingLoad) FinishLoad();
  CRichEditCtrl& ctrl = GetRichEditCtrl();

  // Edits in the control go into the table first.
  if (ctrl.GetModify()) {
    if (RebuildCsvBuffer(docsvc::kKindCsv, 2) != 0) return;
    doc->AsDocument()->SetModifiedFlag(TRUE);
  }
  ColumnRun run;
  run.code = code;
  run.sourcePath = m_strCsvSourcePath;
  run.scrollX = ::GetScrollPos(m_hWnd, SB_HORZ);
  ctrl.GetSel(run.selStart, run.selEnd);
  run.firstLine = ctrl.GetFirstVisibleLine();
  run.caretLine = ctrl.LineFromChar(run.selStart);
  run.selEndLine = ctrl.LineFromChar(run.selEnd);
  const long lineStart = ctrl.LineIndex(run.caretLine);
  run.caretOffset = lineStart >= 0 ? run.selStart - lineStart : 0;
  ctrl.SendMessage(EM_HIDESELECTION, 1, 0);
  m_nLastTableCmd = 0;

  // The caret's cell, and where the command stands.
  CString cell;
  SelectCell(&cell, 0, 0, code == csv::kColUndoSelect ? 1 : 0);
  if (m_nEditMode == kRuledTableMode && cell.GetLength() > 2 && cell.Left(2) == "  ") cell = cell.Mid(2);
  run.place = ColumnCommandPlaceNow();
  if (csv::TitleLineHasXlsShift(m_table.m_pTextBuf, m_table.UsedLength(), static_cast<int>(m_table.m_nCurLine),
                                static_cast<int>(m_nEditMode)))
    csv::ApplyXlsShift(&run.place);
  run.cell = csv::CommandCellOf(run.place, code);
  run.curColumn = m_nCurColumn;

  if (code == csv::kColFindInColumn) {
    ctrl.SendMessage(EM_HIDESELECTION, 0, 0);
    m_nSearchFlags = (m_nSearchFlags & 7) + (m_nCurColumn + 1) * 8;
    OpenFindDialog(0);
    return;
  }
  if (m_nEntryListMode > 0) m_nEntryListMode = kCheckListBusy;

  bool goOn = true;
  switch (code) {
    case csv::kColNarrowSelect:
    case csv::kColNarrowDelete:
    case csv::kColNarrowCheck:
      goOn = RunNarrowing(run, cell);
      break;
    case csv::kColUndoSelect:
      goOn = RunSelectUndo(run);
      break;
    case csv::kColTotal:
    case csv::kColCheckedTotal:
      RunTotal(run);
      break;
    case csv::kColItemTotals:
      RunItemTotals(run);
      break;
    case csv::kColDeleteColumn:
    case csv::kColInsertColumn:
    case csv::kColDeleteRows:
    case csv::kColInsertRow:
      RunRowsColumns(run);
      break;
    case csv::kColCheckToMark:
    case csv::kColMarkToCheck:
    case csv::kColClearChecks:
      RunChecksMarks(run);
      break;
    case csv::kColTitleRow:
      if (m_bTitleRowFixed == 0) {
        m_bTitleRowFixed = 1;
        m_table.m_nCurLine = static_cast<std::uint32_t>(run.cell.row + 1);
      } else {
        m_bTitleRowFixed = 0;
      }
      break;
    default:
      if (csv::IsCellFunctionCode(code)) RunCellFunction(run);
      break;
  }
  if (!goOn) {
    // Nothing was done: the selection is shown again where it was.
    if (m_nEntryListMode == kCheckListBusy) m_nEntryListMode = 1;
    m_strCsvSourcePath = run.sourcePath;
    ctrl.SetSel(run.selStart, run.selEnd);
    ctrl.SendMessage(EM_HIDESELECTION, 0, 0);
    return;
  }
  FinishColumnCommand(run);
}

bool CDvkView::RunNarrowing(ColumnRun& run, const CString& cell) {
  const int code = run.code;
  const UINT helpId = code == csv::kColNarrowSelect   ? ID_CSV_NARROW_SELECT
                      : code == csv::kColNarrowDelete ? ID_CSV_NARROW_DELETE
                                                      : ID_CSV_SELECT_CHECK;
  CString cond = cell;
  if (RunNarrowSelectDialog(helpId, cond, run.cell.dialogColumn - 1) != IDOK) return false;
  // The statement tests the rows from m_nCurLine on and copies the rows
  // before it unchanged: for the run it names the first data row, so the
  // title row stays whatever it holds. The XL-S shift counts the title row
  // one lower still.
  const std::uint32_t titleLine = m_table.m_nCurLine;
  m_table.m_nCurLine = titleLine + 1 + (run.place.xlsShift ? 1 : 0);
  if (code != csv::kColNarrowCheck) {
    // The snapshot of the table before this step; the counter is only
    // raised for good once it is written.
    const std::int32_t before = m_nSelectUndoCount;
    const std::int32_t number = m_selectUndo.BeginStep(&m_nSelectUndoCount);
    if (number > 0) {
      const viewcore::SaveResult w = viewcore::WriteSelectSnapshot(m_table, SelectSnapshotPath(number));
      if (!w.ok) {
        csv::SelectUndoLog::StepFailed(&m_nSelectUndoCount, before);
        m_table.m_nCurLine = titleLine;
        ReportMessage(kReportText, CString(kSnapshotFailedText) + w.message);
        return false;
      }
      m_selectUndo.Written(number);
    }
  }
  const std::string command = csv::BuildNarrowCommand(cond.Str(), run.cell.column);
  m_strStmtCommand = command.c_str();
  m_strStmtOperand = csv::NarrowOperand(code);
  m_nEntryListMode = 0;
  MacroCsvSelectCommands(m_strStmtCommand, m_strStmtOperand, 0);
  m_table.m_nCurLine = titleLine;
  return true;
}

bool CDvkView::RunSelectUndo(ColumnRun& run) {
  app::DocHost* doc = GetDocument();
  const csv::SelectUndoLog::UndoPlan plan = m_selectUndo.PlanUndo(m_nSelectUndoCount);
  CString path;
  viewcore::SourceEncoding decode;
  decode.encoding = m_nCsvSourceEncoding;
  bool (*decodeFn)(const std::string&, std::string*, void*) = nullptr;
  switch (plan.source) {
    case csv::SelectUndoLog::UndoSource::kNotRecorded: {
      const std::string name = csv::SelectUndoLog::SnapshotName(
          m_nPaneIndex, plan.snapshot, static_cast<std::uint32_t>(doc->PathFields().m_nInstanceNo));
      CString note;
      note.Format(kUndoNotOursText, name.c_str());
      SetStatus(viewcore::StatusPane::kPane0, note);
      return false;
    }
    case csv::SelectUndoLog::UndoSource::kSourceFile:
      path = m_strCsvSourcePath;
      if (viewcore::NeedsDecoding(decode.encoding)) decodeFn = &viewcore::DecodeSourceFile;
      break;
    case csv::SelectUndoLog::UndoSource::kSnapshot:
      path = SelectSnapshotPath(plan.snapshot);
      break;
  }
  if (path.IsEmpty()) return false;
  switch (viewcore::ReadSelectSnapshot(path, &m_table, kCsvBufferMargin, decodeFn, &decode)) {
    case viewcore::SnapshotRead::kCannotOpen:
      return false;
    case viewcore::SnapshotRead::kNoMemory:
      ReportMessage(kReportNoMemoryUndo, CString());
      return false;
    case viewcore::SnapshotRead::kLoaded:
      break;
  }
  run.undoneToSource = plan.source == csv::SelectUndoLog::UndoSource::kSourceFile;
  doc->TextFields().m_nViewTextLen = m_table.m_nTextLen;
  const int kind = ::GetFileKind(path);
  if (docsvc::IsCsvKind(kind)) {
    m_nFileKind = static_cast<std::uint32_t>(kind);
    doc->UpdateFields().m_nFileKind = kind;
  }
  m_nSelectUndoCount = plan.countAfter;
  m_nEntryListMode = 0;
  if (m_nPageTopRow > static_cast<std::uint32_t>(m_table.m_nLastRow < 0 ? 0 : m_table.m_nLastRow)) m_nPageTopRow = 0;
  if (plan.joined) run.statusText = kUndoJoinedText;
  return true;
}

void CDvkView::RunTotal(ColumnRun& run) {
  macro::MacroState& ms = Macro();
  const std::uint32_t titleLine = m_table.m_nCurLine;
  std::string header;
  std::string count;
  bool overflow = false;
  if (run.code == csv::kColTotal) {
    const csv::CellBlock block = csv::CommandBlock(run.place);
    const csv::TotalStatement t = csv::ColumnTotalStatement(run.place, block);
    header = t.header;
    count = std::to_string(t.count);
    // The cells are totalled as a block (one cell: its column's data rows),
    // the exact decimal sum of the numbers in it.
    int c1 = block.c1, c2 = block.c2, r1 = block.r1, r2 = block.r2;
    if (block.oneCell) {
      c1 = c2 = run.cell.column;
      r1 = static_cast<int>(titleLine) + 1;
      r2 = m_table.m_nLastRow + 1;
    }
    CString address;
    address.Format("#(<<&%d-%d@%d-%d|&@+>>)", c1, c2, r1, r2);
    m_strStmtCommand = "&D171";
    m_strStmtOperand = address;
    ms.m_strMacroVars[kTotalVar] = "0";
    MacroCsvSelectCommands(CString("&D171="), address, 0);
    overflow = csv::BlockSum(m_table, c1, c2, r1, r2).overflow;
  } else {
    // The checked rows count one lower in the XL-S shift state: their
    // entries are raised for the run.
    const std::uint32_t used = UsedEnd();
    if (run.place.xlsShift)
      for (std::uint32_t i = 0; i < used; ++i)
        if (Entry(i) != 0) Set(i, Entry(i) + 1);
    ms.m_strMacroVars[kTotalVar] = "0";
    ms.m_strMacroVars[kCountVar] = "0";
    m_strStmtCommand = csv::kCheckedTotalCommand;
    m_strStmtOperand = csv::CheckedTotalOperand(run.cell.column).c_str();
    MacroCsvSelectCommands(m_strStmtCommand, m_strStmtOperand, 0);
    if (run.place.xlsShift)
      for (std::uint32_t i = 0; i < used; ++i)
        if (Entry(i) != 0) Set(i, Entry(i) - 1);
    header = csv::CheckedTotalHeader(run.cell.column);
    count = ms.m_strMacroVars[kCountVar].Str();
    overflow = csv::BlockSum(m_table, run.cell.column, run.cell.column, 1, m_table.m_nLastRow + 1, this).overflow;
  }
  // The language's numbers wrap; a total that 64 bits cannot hold exactly
  // is shown as such, never as a wrapped number.
  if (overflow) ms.m_strMacroVars[kTotalVar] = csv::kOverflowText;
  // Thousands commas on the total ("#AC" of the variable).
  MacroEvalCommandLineFunctions(0, 0, -1, kTotalVar, CString("AC"));
  m_table.m_nCurLine = titleLine;
  const std::string text = csv::TotalMessage(header, ms.m_strMacroVars[kTotalVar].Str(), count);
  fw::ShowMessageBox(m_hWnd, text.c_str(), kTotalCaption, MB_OK);
}

void CDvkView::RunCellFunction(ColumnRun& run) {
  const csv::CellBlock b = csv::FunctionBlock(run.place);
  const char* f = csv::ColumnCommandFunction(run.code);
  if (!f) return;
  MacroEvalCommandLineFunctions(b.r1, b.r2, b.c1, b.c2, CString(f));
  if (run.code == csv::kColThousands) MacroEvalCommandLineFunctions(b.r1, b.r2, b.c1, b.c2, CString("FL999"));
}

void CDvkView::RunItemTotals(ColumnRun& run) {
  int anchor = static_cast<int>(m_nSelAnchorColumn) + 1 + static_cast<int>(m_nColumnPageWord & 0xFFFF);
  if (m_nEditMode == kRuledTableMode) --anchor;
  const csv::ItemTotalsPlan plan = csv::PlanItemTotals(anchor, run.cell.column, static_cast<int>(m_table.m_nCurLine),
                                                       m_table.m_nLastRow);
  m_nEntryListMode = 0;
  // Columns N and M (1 and -1) in front, the key column(s) after them, the
  // columns that are mostly words dropped.
  m_strStmtCommand = plan.markCommand.c_str();
  m_strStmtOperand = plan.markOperand.c_str();
  MacroCsvSelectCommands(m_strStmtCommand, m_strStmtOperand, 0);
  CsvRewriteColumns(1, m_table.m_nFieldCount, 9000, 0, CString(plan.columnOrder.c_str()));
  MacroCsvSelectCommands(CString(plan.wordFilter.c_str()), CString(plan.wordFilterOperand.c_str()), 0);
  for (int k = 0; k < plan.sortKeyCount && k < 2; ++k) SortLines(0, 0, plan.sortKeys[k], -1, 0);
  m_strStmtOperand = "";
  CsvCrossTabulate(plan.crossMode, 0, 0, 0);
  m_strStmtCommand = "";
  CsvRewriteColumns(1, m_table.m_nFieldCount, 9000, 1, CString(plan.deleteList.c_str()));
  const int first = static_cast<int>(m_table.m_nCurLine) + 1;
  MacroEvalCommandLineFunctions(first, m_table.m_nLastRow + 1, 2, m_table.m_nFieldCount, CString("AC"));
  MacroEvalCommandLineFunctions(first, m_table.m_nLastRow + 1, 2, m_table.m_nFieldCount, CString("FS999"));
}

void CDvkView::RunChecksMarks(ColumnRun& run) {
  csv::CheckList* checks = this;
  switch (run.code) {
    case csv::kColCheckToMark:
      m_strStmtCommand = csv::kMarkColumnCommand;
      m_strStmtOperand = csv::kMarkColumnOperand;
      MacroCsvSelectCommands(m_strStmtCommand, m_strStmtOperand, 0);
      csv::WriteMarksFromChecks(&m_table, checks, run.place.xlsShift);
      break;
    case csv::kColMarkToCheck: {
      bool full = false;
      if (!csv::ChecksFromMarks(m_table, checks, run.place.xlsShift, &full)) {
        ReportMessage(1, CString());
        break;
      }
      run.checksFull = full;
      break;
    }
    case csv::kColClearChecks:
      if (!csv::ClearChecks(checks, m_table.m_nLastRow)) ReportMessage(1, CString());
      break;
    default:
      return;
  }
  if (m_nEditMode == kRuledTableMode) m_nCurColumn = 1;
}

void CDvkView::FinishColumnCommand(ColumnRun& run) {
  app::DocHost* doc = GetDocument();
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  const int code = run.code;
  const bool rowsColumns = code >= csv::kColDeleteColumn && code <= csv::kColInsertRow;
  if (m_nEditMode == kRuledTableMode && rowsColumns)
    m_nSavedScrollPos = static_cast<std::uint32_t>(::GetScrollPos(m_hWnd, SB_VERT));
  const std::uint32_t curColumn = code == csv::kColCheckToMark || code == csv::kColMarkToCheck ||
                                          code == csv::kColClearChecks
                                      ? m_nCurColumn
                                      : run.curColumn;

  // The redisplay of the changed table.
  if (m_nPageTopRow > static_cast<std::uint32_t>(m_table.m_nLastRow < 0 ? 0 : m_table.m_nLastRow)) m_nPageTopRow = 0;
  OnPageLeft();
  m_nCurColumn = curColumn;

  // The caret back on its cell.
  int position = run.caretLine;
  // The ruled display: the caret's row of the page (its lines are not rows).
  if (ShowsRuledDisplay())
    position = run.place.curRow - static_cast<int>(m_nPageTopRow);
  else if (m_nEditMode == kRuledTableMode && (code == csv::kColDeleteColumn || code == csv::kColInsertColumn))
    position -= 10 + 3 * m_nRuledHeaderCount;
  if (position < 0) position = 0;
  SelectCell(nullptr, position, static_cast<int>(m_nCurColumn), 3);
  m_nSelStart = m_nSelEnd = 0;
  if (code != csv::kColNarrowSelect && code != csv::kColNarrowDelete) {
    if (run.firstLine > ctrl.GetFirstVisibleLine()) ctrl.LineScroll(run.firstLine - ctrl.GetFirstVisibleLine());
    long at = -1;
    if (code == csv::kColItemTotals) {
      at = 0;
    } else if (code == csv::kColDeleteRows || code == csv::kColInsertRow) {
      at = run.caretRowAfter >= 0 ? GetCellCharIndex(run.caretRowAfter, static_cast<int>(m_nCurColumn)) : -1;
      if (at < 0) at = run.selStart;
    } else {
      at = GetCellCharIndex(run.cell.row, static_cast<int>(m_nCurColumn));
      if (at >= 0 && m_nEditMode == kRuledTableMode &&
          (code == csv::kColDeleteColumn || code == csv::kColInsertColumn))
        at += 3;
    }
    const long end = ctrl.GetTextLength();
    if (at > end) at = end;
    if (at >= 0) {
      if (run.scrollX == 0 && csv::IsCellFunctionCode(code)) {
        const long lineStart = ctrl.LineIndex(ctrl.LineFromChar(at));
        ctrl.SetSel(lineStart, lineStart);
        m_nSelStart = lineStart;
      }
      ctrl.SetSel(at, at);
    }
    if (rowsColumns) {
      if (m_nEditMode == kRuledTableMode) m_nSelStart = at;
      m_nLastTableCmd = code;
    }
  }
  ctrl.SendMessage(EM_HIDESELECTION, 0, 0);

  if (code == csv::kColMarkToCheck && run.checksFull) fw::ShowMessageBox(m_hWnd, kOverCheckMax, "", MB_OK);
  if (code == csv::kColNarrowCheck)
    SetStatus(viewcore::StatusPane::kPane0, CString(csv::CheckStatusText(*this).c_str()));
  if (!run.statusText.IsEmpty()) SetStatus(viewcore::StatusPane::kPane0, run.statusText);
  if (m_nEntryListMode == kCheckListBusy) m_nEntryListMode = 1;
  m_strCsvSourcePath = run.sourcePath;

  // The edit mark: a changed table is a changed document. The redisplay
  // left the control unmodified; the commands that rewrite the table mark
  // it (rows and columns mark the document, the undo to the file clears it).
  if (m_nEditMode != kRuledTableMode) {
    if (code == csv::kColUndoSelect) {
      ctrl.SetModify(FALSE);
      doc->AsDocument()->SetModifiedFlag(run.undoneToSource ? FALSE : TRUE);
    } else if (rowsColumns) {
      ctrl.SetModify(FALSE);
      doc->AsDocument()->SetModifiedFlag(TRUE);
    } else if (code != csv::kColTotal && (code < csv::kColCheckedTotal || code > csv::kColNarrowCheck)) {
      ctrl.SetModify(TRUE);
    }
  }
  if (m_nSplitKind != 0 && code != csv::kColTotal && (code < csv::kColCheckedTotal || code > csv::kColNarrowCheck))
    SyncPanes(1);
}
