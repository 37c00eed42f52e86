#include "macro/macro_exec_net.h"

#include <cstring>

#include "csv/csv_table.h"
#include "macro/macro_run.h"
#include "macro/macro_run_errors.h"
#include "macro/macro_state.h"

namespace macro {

namespace {

constexpr std::uint32_t kPageKind = 35;
constexpr std::uint64_t kSpare = 1000;
constexpr int kMacroLoadMode = 1;  // the document's open mode of a macro load: a page becomes text

}  // namespace

CString MacroProgramOfCommand(const CString& command) {
  const std::string& s = command.Str();
  std::size_t from = 0, end = 0;
  if (!s.empty() && s[0] == '"') {
    from = 1;
    end = s.find('"', from);
  } else {
    end = s.find('%');
  }
  if (end == std::string::npos) end = s.size();
  if (end > from && s[end - 1] == ' ') --end;
  return CString(s.substr(from, end - from));
}

Outcome MacroExecFileReg(MacroRunContext& rc) {
  MacroState& st = rc.state;
  const CString& operand = st.m_strStmtOperand;
  if (operand.IsEmpty()) {
    rc.host.SetDefaultAssociations();
    return Outcome::kNext;
  }
  const CString command = rc.host.DefaultOpener(operand);
  if (command.IsEmpty()) return Outcome::kNext;  // no such type, or no open command
  const std::int32_t num1 = st.m_anStmtNumbers[0];
  st.m_strMacroVars[num1 >= 1 && num1 <= kLastVarSlot ? num1 : kFileRegDefaultSlot] = MacroProgramOfCommand(command);
  return Outcome::kNext;
}

Outcome MacroExecLoadNet(MacroRunContext& rc) {
  CString page;
  rc.host.FetchAddress(rc.state.m_strStmtOperand, &page);
  // A failed fetch leaves no page: the open then says so itself.
  if (page.IsEmpty() || rc.host.OpenFile(page, kMacroLoadMode) < 0) return Outcome::kNext;
  const app::DocTextFields& doc = rc.docText;
  const std::uint32_t len = doc.m_pText != nullptr ? doc.m_nTextLen : 0;
  csv::Table& t = rc.table;
  if (!t.Reserve(static_cast<std::uint64_t>(len) + kSpare)) return MacroRaiseRunError(&rc.host, RunError::kMemory123);
  if (len > 0) std::memcpy(t.m_pTextBuf, doc.m_pText, len);
  t.m_pTextBuf[len] = 0;
  t.m_nTextLen = len;
  t.m_bCellCodesAreData = false;
  *rc.view.fileKind = kPageKind;
  rc.docUpdate.m_nFileKind = static_cast<std::int32_t>(kPageKind);
  t.Rescan();
  rc.docText.m_nViewTextLen = len;
  rc.host.RedisplayView();
  *rc.view.fileKind = kPageKind;
  return Outcome::kNext;
}

}  // namespace macro
