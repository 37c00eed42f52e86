// The "#" statements over cells: the address, the lookup data file of "LD",
// then the function chain over the cells through the command-line function
// evaluator in cell mode.
#include "macro/macro_exec_cells.h"

#include <string>

#include "csv/csv_table.h"
#include "macro/macro_cmdfunc.h"
#include "macro/macro_csvselect.h"
#include "macro/macro_host.h"
#include "macro/macro_lookup.h"
#include "macro/macro_run.h"
#include "macro/macro_run_errors.h"
#include "macro/macro_state.h"

namespace macro {

namespace {

// The "#" functions' scope for a run: its table, positions and check list.
CmdFuncScope RunFunctionScope(MacroRunContext& rc) {
  csv::Table& t = rc.table;
  CmdFuncScope scope{rc.state};
  scope.host = &rc.host;
  scope.table = &t;
  scope.columnPos = rc.columnPos;
  scope.columnPosSlots = rc.columnPosSlots;
  scope.titleLine = t.m_aSecLine[1] > 0 ? t.m_aSecLine[1] : 1;
  scope.evalExpression = MacroCmdFuncExpression;
  scope.checkList = rc.checkList;
  scope.checkListUsed = rc.checkListUsed;
  scope.run = &rc;
  return scope;
}

}  // namespace

int MacroRunSelect(MacroRunContext& rc, const CString& command, const CString& operand) {
  CmdFuncScope functions = RunFunctionScope(rc);
  CsvSelectScope scope{rc.state, &rc.host, rc.table};
  scope.checkList = rc.host.ViewCheckList();
  scope.columnPos = rc.columnPos;
  scope.columnPosSlots = rc.columnPosSlots;
  scope.titleLine = functions.titleLine;
  scope.functions.call = MacroCmdFuncHook;
  scope.functions.user = &functions;
  return MacroCsvSelectCommands(scope, command, operand, 0);
}
namespace {

constexpr long long kNumberCap = 0x7FFFFFFF;

// Digits at s[*p]: the number, or -1 when there are none.
long long Digits(const std::string& s, std::size_t* p) {
  long long v = -1;
  while (*p < s.size() && s[*p] >= '0' && s[*p] <= '9') {
    v = (v < 0 ? 0 : v) * 10 + (s[*p] - '0');
    if (v > kNumberCap) v = kNumberCap;
    ++*p;
  }
  return v;
}

}  // namespace

bool MacroReadCellStatementAddress(const CString& command, CellStatementAddress* out) {
  const std::string s = command.Str();
  const std::size_t hash = s.find('#');
  if (hash == std::string::npos) return false;
  *out = CellStatementAddress();
  out->functions = CString(s.substr(hash));
  std::size_t p = 0;
  while (p < hash) {
    const char sigil = s[p++];
    if (sigil != '&' && sigil != '@') continue;
    const char range = sigil == '&' ? '-' : '_';
    const long long first = Digits(s, &p);
    if (first < 0) continue;
    long long last = first;
    if (p < hash && s[p] == range) {
      ++p;
      last = Digits(s, &p);  // none: open
    }
    if (sigil == '&') {
      out->columnsGiven = true;
      out->c1 = static_cast<int>(first);
      out->c2 = static_cast<int>(last);
    } else {
      out->rowsGiven = true;
      out->r1 = static_cast<int>(first);
      out->r2 = static_cast<int>(last);
    }
  }
  return true;
}

Outcome MacroRunCellStatement(MacroRunContext& rc) {
  MacroState& st = rc.state;
  CellStatementAddress where;
  if (!MacroReadCellStatementAddress(st.m_strStmtCommand, &where)) return Outcome::kNext;
  csv::Table& t = rc.table;
  // "LD" with a data file: the file is loaded first.
  if (where.functions.GetLength() >= 3 && where.functions.Mid(1, 2) == CString("LD") &&
      !st.m_strStmtOperand.IsEmpty()) {
    const Outcome loaded = MacroLoadLookupFile(st, rc.host, st.m_strStmtOperand, st.m_strLastMacroFolder);
    if (loaded != Outcome::kNext) return loaded;
  }
  if (!where.rowsGiven) {
    // The data rows after the title line; the walk itself keeps to the
    // data rows of each block, so the range runs to the end.
    where.r1 = static_cast<int>(t.m_nCurLine) + 1;
    where.r2 = -1;
  }
  if (!where.columnsGiven) {
    where.c1 = 1;
    where.c2 = -1;
  }
  CmdFuncScope scope = RunFunctionScope(rc);
  // A row range that ends before it starts addresses nothing.
  if (where.r2 >= 0 && where.r2 < where.r1) return Outcome::kNext;
  const int r = MacroEvalCommandLineFunctions(scope, where.r1, where.r2, where.c1, where.c2, where.functions);
  // A refused chain was reported by the evaluator; the run ends there.
  return r < 0 ? Outcome::kErrorExit : Outcome::kNext;
}

}  // namespace macro
