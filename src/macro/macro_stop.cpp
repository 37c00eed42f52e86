#include "macro/macro_stop.h"

#include <algorithm>
#include <vector>

#include "csv/csv_table.h"
#include "macro/macro_dump.h"
#include "macro/macro_run.h"
#include "macro/macro_scan.h"
#include "macro/macro_state.h"

namespace macro {

namespace {

constexpr std::uint32_t kCsvTableKind = 33;
constexpr int kLoadStateOwnUpdate = 99;
constexpr int kSlotLineMax = 153, kSlotColumnMax = 159;

bool StopsAt(char c) { return c == '9' || c == '8' || c == '7'; }

}  // namespace

StopVerdict MacroStopAfterStatement(MacroRunContext& rc, std::string_view text, const StopMemory& scanned,
                                    StopMemory* previous) {
  MacroState& st = rc.state;
  app::DocUpdateFields& doc = rc.docUpdate;
  const std::string& command = st.m_strStmtCommand.Str();
  const char first = command.empty() ? '\0' : command[0];
  if (first == '8') doc.m_bMacroStepMode = 1;
  const bool stepMode = doc.m_bMacroStepMode == 1;
  if (!StopsAt(first) && !stepMode) {
    *previous = scanned;
    return StopVerdict::kGoOn;
  }

  // The line counted afresh: the breaks before the statement's end, and the
  // shown line is 1-based.
  const std::uint32_t pos = std::min<std::uint32_t>(st.m_nMacroPos, static_cast<std::uint32_t>(text.size()));
  st.m_nCmdLineNo = MacroCountLineBreaks(text.data(), 0, pos);
  const int line = st.m_nCmdLineNo + 1;

  if (*rc.view.fileKind == kCsvTableKind && *rc.view.sourceView == 0) {
    doc.m_nUpdateCode = app::UpdateCode::kContent;
    doc.m_nLoadState = kLoadStateOwnUpdate;
    rc.host.RedisplayView();
    doc.m_nLoadState = 0;
  }

  const bool marked = st.m_nStmtBreakPos != 0;
  const CString& operand = st.m_strStmtOperand;
  const bool full = marked || stepMode || operand == "*" || command.find('*', 1) != std::string::npos;
  if (full) {
    st.m_strMacroVars[kSlotLineMax].Format("%d", rc.table.m_nLastRow + 1);
    st.m_strMacroVars[kSlotColumnMax].Format("%u", rc.table.m_nFieldCount);
  }
  const std::vector<int> slots = MacroStopSlots(st, st.m_strStmtCommand, operand, full);
  StopDumpInput in;
  in.prevCommand = previous->command;
  in.prevOperand = previous->operand;
  in.command = scanned.command;
  in.operand = scanned.operand;
  in.line = line;
  in.indent = st.m_nStmtIndent;
  in.blockIndent = st.m_nMacroBlockIndent;
  in.stepMode = stepMode;
  const CString dump = MacroStopDump(st, slots, in);

  if (command == "E") return StopVerdict::kEndRun;
  if (doc.m_nMacroDebugMode != 0) {
    rc.host.ShowVariableView(line, dump);
    const std::uint32_t resume = marked ? st.m_nStmtBreakPos : pos;
    st.m_nMacroResumePos = static_cast<std::int32_t>(resume);
    st.m_nMacroSavedLine = MacroCountLineBreaks(text.data(), 0, std::min<std::uint32_t>(resume, pos));
    doc.m_nMacroStopPos = static_cast<std::int32_t>(resume);
    doc.m_nMacroStopLine = line + (stepMode ? 1 : 0);
    st.m_nMacroSortKey = 0;
    doc.m_nLoadState = kLoadStateOwnUpdate;
    return StopVerdict::kPaused;
  }
  CString lineText;
  lineText.Format("\r\n  cmnd line = %d\r\n  dwn space = %d / %d", line, in.indent, in.blockIndent);
  const int answer = rc.host.ShowStopDialog(lineText, dump, kStopDialogOptions, kStopDialogHeight, kStopDialogWidth);
  if (answer != kStopDialogOk) return StopVerdict::kCancelled;
  *previous = scanned;
  return StopVerdict::kGoOn;
}

}  // namespace macro
