// Macro-defined functions (codes 500-599): the body of "define#name" run as
// a nested macro run over each field, "@In" the field and "@Out" the result.
#include <string>

#include "macro/macro_fn_common.h"
#include "macro/macro_run.h"
#include "macro/macro_run_start.h"
#include "macro/macro_state.h"

namespace macro {
namespace {

constexpr int kSlotIn = 173, kSlotOut = 174, kSlotA = 175;
constexpr int kDefinedBase = 500;

// Up to three numbers after the first ':' of the statement's operand go to
// "@a", "@b" and "@c" ("x:2:3" sets "@a" 2 and "@b" 3; "@c" stays).
void TakeOperandNumbers(MacroState& st) {
  const std::string op = st.m_strStmtOperand.Str();
  std::size_t at = op.find(':');
  if (at == std::string::npos) return;
  for (int k = 0; k < 3 && at != std::string::npos; ++k) {
    std::size_t p = at + 1;
    long long v = 0;
    bool negative = p < op.size() && op[p] == '-';
    if (negative) ++p;
    while (p < op.size() && op[p] >= '0' && op[p] <= '9') {
      if (v < 1000000000000LL) v = v * 10 + (op[p] - '0');
      ++p;
    }
    if (v > 2147483647LL) v = 2147483647LL;
    CString text;
    text.Format("%d", static_cast<int>(negative ? -v : v));
    st.m_strMacroVars[kSlotA + k] = text;
    at = op.find(':', p);
  }
}

// "&%" and "@%" of the body become the cell's column and row.
std::string PlaceCell(const std::string& body, int column, int row) {
  std::string out;
  out.reserve(body.size() + 16);
  for (std::size_t i = 0; i < body.size(); ++i) {
    if ((body[i] == '&' || body[i] == '@') && i + 1 < body.size() && body[i + 1] == '%') {
      out += body[i];
      out += std::to_string(body[i] == '&' ? column : row);
      ++i;
    } else {
      out += body[i];
    }
  }
  return out;
}

void Defined(BuiltinScope& scope, BuiltinArgs& a) {
  const FunctionField f = MacroReadFunctionField(scope, a);
  MacroState& st = scope.state;
  const int k = a.nCode - kDefinedBase;
  const std::string entry = k >= 0 && k < kFuncSlots ? st.m_strMacroFuncs[k].Str() : std::string();
  const std::size_t sep = entry.find("::");
  if (sep == std::string::npos || sep == 0) return;  // no body: nothing written
  MacroFinishFunctionField(scope, a, f);
  if (scope.run == nullptr) return;
  TakeOperandNumbers(st);
  st.m_strMacroVars[kSlotIn] = CString(f.Text());
  const std::string body = PlaceCell(entry.substr(sep + 2), a.nColumn, a.nRow);
  RunMacro(*scope.run, kRunText, CString(body), CString(), CString());
  PutWhole(a, st.m_strMacroVars[kSlotOut].Str());
}

}  // namespace

void RegisterDefinedFunctions(BuiltinHandler* at) {
  for (int code = kDefinedBase; code < kDefinedBase + kFuncSlots && code < kBuiltinCodes; ++code) at[code] = Defined;
}

}  // namespace macro
