// Thin entries into the portable macro value routines.
#include <algorithm>
#include <string>
#include <utility>

#include "csv/csv_findinline.h"
#include "csv/csv_widths.h"
#include "macro/macro_address.h"
#include "macro/macro_cellformat.h"
#include "macro/macro_cmdfunc.h"
#include "macro/macro_csvselect.h"
#include "macro/macro_expr.h"
#include "macro/macro_folderlist.h"
#include "macro/macro_lines.h"
#include "macro/macro_paths.h"
#include "macro/macro_resume.h"
#include "macro/macro_run.h"
#include "fw/file.h"
#include "host/doc_host.h"
#include "macro/macro_state.h"
#include "macro/macro_subst.h"
#include "macro/macro_template.h"
#include "view/dvkview.h"
#include "view/macro_view_host.h"

static_assert(view::kColumnPositions == csv::kColumnPositionSlots, "one layout of the column positions");

CString CDvkView::MacroSubstituteVariables(const CString& text, int mode, int valueI, int valueJ, int pageFlag) {
  return macro::MacroSubstituteVariables(Macro(), &m_table, text, mode, valueI, valueJ, pageFlag);
}

int CDvkView::RunMacro(int mode, CString source, CString arg, CString folder) {
  app::DocHost* doc = GetDocument();
  if (!doc) return macro::kRunStopped;
  macro::MacroRunContext rc{Macro(),
                            static_cast<view::MacroViewHost&>(MacroHost()),
                            m_table,
                            doc->TextFields(),
                            doc->UpdateFields(),
                            doc->PathFields(),
                            doc->SettingsFields(),
                            doc->WindowFields(),
                            {&m_nFileKind, &m_nSourceView, &m_nEditMode, &m_nSortFlags}};
  rc.columnPos = m_aColumnPos;
  rc.columnPosSlots = view::kColumnPositions;
  rc.checkList = m_pEntryList;
  rc.checkListUsed = UsedEnd();
  if (Macro().m_bMacroRunActive != 0)
    return macro::RunMacro(rc, mode, std::move(source), std::move(arg), std::move(folder));
  // A run's end clears the control's modified flag; a table the run changed
  // still has to be saved, so the document is marked.
  const std::uint64_t before = macro::MacroTableFingerprint(m_table);
  const int result = macro::RunMacro(rc, mode, std::move(source), std::move(arg), std::move(folder));
  if (macro::MacroTableFingerprint(m_table) != before) doc->AsDocument()->SetModifiedFlag(TRUE);
  return result;
}

void CDvkView::ResumeMacro() {
  KillTimer(view::kTimerMacroResume);
  macro::MacroState& ms = Macro();
  const CString instance = ms.m_strLastMacroFolder + "\\tabrymacro.tmp";
  const macro::ResumeTick tick = macro::MacroResumeTick(ms, [&instance](unsigned char* buffer, int size) {
    CFile file;
    if (!file.Open(instance, CFile::modeRead | CFile::shareDenyNone)) return -1;
    try {
      return static_cast<int>(file.Read(buffer, static_cast<UINT>(size)));
    } catch (const CFileException&) {
      return -1;
    }
  });
  switch (tick) {
    case macro::ResumeTick::kNothing:
      return;
    case macro::ResumeTick::kRearmBusy:
      SetTimer(view::kTimerMacroResume, macro::kResumeBusyMs);
      return;
    case macro::ResumeTick::kRearmWait:
      SetTimer(view::kTimerMacroResume, macro::kResumeWaitMs);
      return;
    case macro::ResumeTick::kResume:
      RunMacro(macro::kRunFile, ms.m_strLastMacroSource, CString(), CString());
      return;
  }
}

CString CDvkView::MacroExpandParameters(const CString& path) {
  return macro::MacroExpandParameters(Macro(), MacroHost(), path);
}

CString CDvkView::MacroParseRowData(const CString& text, const BYTE* textBuf, int mode, UINT length) {
  macro::AddressScope scope{Macro()};
  scope.host = &MacroHost();
  scope.table = &m_table;
  if (textBuf == nullptr || textBuf == m_table.m_pTextBuf) {
    scope.text = m_table.m_pTextBuf;
    scope.length = m_table.UsedLength();
  } else {
    scope.text = textBuf;
    scope.length = length;
  }
  return macro::MacroParseRowData(scope, text, mode);
}

UINT CDvkView::CsvTitleLine() const {
  if (m_nTitleLine > 0) return m_nTitleLine;
  return m_table.BlockCount() >= 1 && m_table.m_aSecLine[1] > 0 ? m_table.m_aSecLine[1] : 1;
}

UINT CDvkView::FindInLine(UINT length) const {
  if (m_table.m_pTextBuf == nullptr) return 0;
  const UINT cap = m_table.m_nWorkSize;
  return static_cast<UINT>(csv::FindInLine(reinterpret_cast<const char*>(m_table.m_pTextBuf), length < cap ? length : cap));
}

int CDvkView::CsvComputeColumnWidths(int firstCol, int lastCol, int firstRow, int lastRow, int mode) {
  return csv::ComputeColumnWidths(m_table, CsvTitleLine(), m_aColumnPos, view::kColumnPositions, firstCol, lastCol,
                                  firstRow, lastRow, mode);
}

namespace {

macro::CmdFuncScope ScopeOf(CDvkView& view) {
  macro::CmdFuncScope scope{view.Macro()};
  scope.host = &view.MacroHost();
  scope.table = &view.m_table;
  scope.columnPos = view.m_aColumnPos;
  scope.columnPosSlots = view::kColumnPositions;
  scope.titleLine = view.CsvTitleLine();
  scope.lines = &view.Macro().m_lineIndex;
  scope.evalExpression = macro::MacroCmdFuncExpression;
  scope.checkList = view.m_pEntryList;
  scope.checkListUsed = view.UsedEnd();
  return scope;
}

}  // namespace

int CDvkView::MacroEvalCommandLineFunctions(int a1, int a2, int a3, int a4, CString text) {
  macro::CmdFuncScope scope = ScopeOf(*this);
  return macro::MacroEvalCommandLineFunctions(scope, a1, a2, a3, a4, std::move(text));
}

int CDvkView::MacroEvalParenGroups(char stop, int* pos, int zero1, int n, int zero2, int zero3, CString* text) {
  macro::CmdFuncScope scope = ScopeOf(*this);
  return macro::MacroEvalParenGroups(scope, stop, pos, zero1, n, zero2, zero3, text);
}

int CDvkView::FormatCells(const macro::CellFormat& format, int firstRow, int lastRow, int firstCol, int lastCol) {
  CRichEditCtrl& edit = GetRichEditCtrl();
  const int lines = edit.GetLineCount();
  if (lines <= 0 || firstRow > lines) return -1;
  if (firstRow < 1) firstRow = 1;
  lastRow = lastRow < 1 ? lines : std::min(lastRow, lines);
  if (firstCol < 1) firstCol = 1;

  CHARFORMAT2A cf = {};
  cf.cbSize = sizeof cf;
  auto flag = [&](macro::FormatSwitch s, DWORD mask, DWORD effect) {
    if (s == macro::FormatSwitch::kKeep) return;
    cf.dwMask |= mask;
    if (s == macro::FormatSwitch::kOn) cf.dwEffects |= effect;
  };
  flag(format.bold, CFM_BOLD, CFE_BOLD);
  flag(format.italic, CFM_ITALIC, CFE_ITALIC);
  flag(format.underline, CFM_UNDERLINE, CFE_UNDERLINE);
  flag(format.strike, CFM_STRIKEOUT, CFE_STRIKEOUT);
  if (format.textColour >= 0) cf.dwMask |= CFM_COLOR, cf.crTextColor = static_cast<COLORREF>(format.textColour);
  if (format.backColour >= 0) cf.dwMask |= CFM_BACKCOLOR, cf.crBackColor = static_cast<COLORREF>(format.backColour);
  if (format.points > 0) cf.dwMask |= CFM_SIZE, cf.yHeight = format.points * 20;
  PARAFORMAT pf = {};
  pf.cbSize = sizeof pf;
  if (format.align) {
    pf.dwMask = PFM_ALIGNMENT;
    pf.wAlignment = format.align == 'C' ? PFA_CENTER : format.align == 'R' ? PFA_RIGHT : PFA_LEFT;
  }

  long selStart = 0, selEnd = 0;
  edit.GetSel(selStart, selEnd);
  std::string line;
  for (int row = firstRow; row <= lastRow; ++row) {
    const int at = edit.LineIndex(row - 1);
    const int len = edit.LineLength(at);
    if (at < 0 || len < 0) break;
    line.assign(static_cast<std::size_t>(len) + 1, '\0');
    const int got = len > 0 ? edit.GetLine(row - 1, &line[0], len + 1) : 0;
    int s = 0, e = 0;
    if (!macro::CellSpanInLine(line.data(), std::min(got, len), firstCol, lastCol, &s, &e)) continue;
    edit.SetSel(at + s, at + e);
    if (cf.dwMask) edit.SetSelectionCharFormat(cf);
    if (pf.dwMask) edit.SetParaFormat(pf);
  }
  edit.SetSel(selStart, selEnd);
  return 0;
}

int CDvkView::LineOffsetFromTable(int line, const std::int32_t* table) {
  if (table == nullptr) table = macro::MacroTableLineIndex(&Macro().m_lineIndex, m_table);
  return macro::LineOffsetFromTable(m_table, line, table);
}

int CDvkView::MacroEvalExpression(int lineOffset, char* out, int outSize, const CString& expr, char* kind,
                                  std::int64_t* value, macro::ExprContext* context) {
  macro::ExprContext local;
  if (context == nullptr) context = &local;
  if (context->env) return macro::MacroEvalExpression(lineOffset, out, outSize, expr, kind, value, context);
  macro::MacroEnv env{Macro()};
  env.host = &MacroHost();
  env.table = &m_table;
  env.lines = &Macro().m_lineIndex;
  // "#" calls of the expression run the command-line chain over this view.
  macro::CmdFuncScope scope = ScopeOf(*this);
  env.functions.call = macro::MacroCmdFuncHook;
  env.functions.user = &scope;
  context->env = &env;
  if (context->lineTable == nullptr) context->lineTable = macro::MacroTableLineIndex(env.lines, m_table);
  const int n = macro::MacroEvalExpression(lineOffset, out, outSize, expr, kind, value, context);
  context->env = nullptr;
  return n;
}

int CDvkView::MacroCsvSelectCommands(CString command, CString operand, int fromExport) {
  app::DocHost* doc = GetDocument();
  CWnd* active = GetParentFrame() ? GetParentFrame()->GetActiveView() : this;
  if (doc) doc->BeginUpdateLock(active ? active : this);
  macro::CmdFuncScope functions = ScopeOf(*this);
  macro::CsvSelectScope scope{Macro(), &MacroHost(), m_table};
  scope.checkList = this;
  scope.columnPos = m_aColumnPos;
  scope.columnPosSlots = view::kColumnPositions;
  scope.titleLine = CsvTitleLine();
  scope.functions.call = macro::MacroCmdFuncHook;
  scope.functions.user = &functions;
  const std::uint32_t generation = m_table.m_nIndexGeneration;
  const int result = macro::MacroCsvSelectCommands(scope, std::move(command), std::move(operand), fromExport);
  if (doc) doc->EndUpdateLock();
  // A rewritten table is shown again.
  if (m_table.m_nIndexGeneration != generation && ShowsCsvTable()) {
    if (doc) doc->TextFields().m_nViewTextLen = m_table.m_nTextLen;
    OnPageLeft();
  }
  return result;
}

int CDvkView::MacroCsvSelectOnTable(csv::Table& table, CString command, CString operand, int fromExport) {
  macro::CmdFuncScope functions = ScopeOf(*this);
  macro::CsvSelectScope scope{Macro(), &MacroHost(), table};
  scope.titleLine = table.m_nCurLine ? table.m_nCurLine : 1;
  scope.functions.call = macro::MacroCmdFuncHook;
  scope.functions.user = &functions;
  return macro::MacroCsvSelectCommands(scope, std::move(command), std::move(operand), fromExport);
}

CString CDvkView::BuildMacroTemplate() { return CString(macro::BuildMacroTemplate()); }

int CDvkView::ListFolderForMacro(CString folder, char* out, int* limit, int* pos, int mode) {
  return macro::ListFolderForMacro(folder, out, limit, pos, mode);
}
