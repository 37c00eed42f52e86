#include "macro/macro_flow.h"

#include <climits>
#include <cstdint>
#include <string>

#include "csv/csv_table.h"
#include "macro/macro_address.h"
#include "macro/macro_csvselect.h"
#include "macro/macro_exec_cells.h"
#include "macro/macro_flowscan.h"
#include "macro/macro_number.h"
#include "macro/macro_paths.h"
#include "macro/macro_run.h"
#include "macro/macro_state.h"
#include "macro/macro_subst.h"

namespace macro {
namespace {

// How a condition's operand is prepared before the selection routine.
enum class CondForm {
  kControl,   // "if", "else if", "do while", "do until", "for"
  kCloser,    // "while", "until"
  kImplicit,  // a condition or assignment that preparation put in class 8
};

class Flow {
 public:
  Flow(MacroRunContext& rc, const CString& word, const CString& rest, const char* text, std::uint32_t end)
      : rc_(rc), st_(rc.state), word_(word), rest_(rest), text_(text, end, FlowText::KnownEnd{}) {}

  Outcome Class5();
  Outcome Class6();
  Outcome Class8();
  Outcome Assignment();

 private:
  int Select(const CString& target, const CString& operand);
  int Evaluate(CString target, CString operand, CondForm form, unsigned char* first, CString* used);
  Outcome Conditional(const CString& target, const CString& operand, CondForm form, bool raisesLevel);
  Outcome For();
  Outcome Else();
  void RunAssignments(const CString& parts);
  Outcome Go(const FlowMove& m);
  std::uint32_t Pos() const { return st_.m_nMacroPos; }
  int Indent() const { return st_.m_nStmtIndent; }

  MacroRunContext& rc_;
  MacroState& st_;
  const CString& word_;
  const CString& rest_;
  FlowText text_;
};

bool Is(const CString& s, const char* w) { return s == CString(w); }

Outcome Flow::Go(const FlowMove& m) {
  if (!m.moved) return Outcome::kNext;
  st_.m_nMacroPos = m.pos;
  const long long line = static_cast<long long>(st_.m_nCmdLineNo) + m.lines;
  st_.m_nCmdLineNo = line < 0 ? 0 : line > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(line);
  return Outcome::kContinueAt;
}

int Flow::Select(const CString& target, const CString& operand) { return MacroRunSelect(rc_, target, operand); }

// The condition's result (above 0: it holds). `first` receives the first
// byte of a one-line operand (0 for the block form).
int Flow::Evaluate(CString target, CString operand, CondForm form, unsigned char* first, CString* used) {
  *first = 0;
  csv::Table& t = rc_.table;
  AddressScope scope{st_};
  scope.host = &rc_.host;
  scope.table = &t;
  scope.text = t.m_pTextBuf;
  scope.length = t.UsedLength();
  target = MacroParseRowData(scope, target, 0);
  if (form == CondForm::kControl) {
    operand = MacroExpandLineEscapes(operand, 1);
    if (operand.IsEmpty())
      operand = ">";
    else
      *first = static_cast<unsigned char>(operand.GetAt(0));
    const int n = target.GetLength();
    if (n >= 2 && target.GetAt(0) == '$' && target.GetAt(1) == '(')
      target = MacroSubstituteVariables(st_, &t, n >= 3 ? target.Mid(2, n - 3) : CString(), kSubstPlain);
  } else if (form == CondForm::kCloser) {
    if (operand.IsEmpty()) operand = ">";
  } else if (!operand.IsEmpty()) {
    *first = static_cast<unsigned char>(operand.GetAt(0));
  }
  *used = operand;
  return Select(target, operand);
}

// Steps of a condition statement after its if level is settled: the block
// form (operand ">") enters or skips the body, the one-line form has been
// applied by the selection routine and may go on after a '>'.
Outcome Flow::Conditional(const CString& target, const CString& operand, CondForm form, bool raisesLevel) {
  unsigned char first = 0;
  CString used;
  int result = Evaluate(target, operand, form, &first, &used);
  if (Is(word_, "do until")) result = result <= 0 ? 1 : 0;
  if (form == CondForm::kControl && used == CString(">")) {
    if (result > 0 || Pos() >= text_.len) {
      if (raisesLevel && st_.m_nMacroIfLevel < INT32_MAX) ++st_.m_nMacroIfLevel;
      st_.m_nMacroBlockIndent = Indent();
      return Outcome::kNext;
    }
    st_.m_bMacroForRepeat = 0;
    // Only a loop head owns a "loop" line to pass: a false "if" at the end
    // of a loop body lands on the loop's closer, which runs.
    const bool head = Is(word_, "for") || Is(word_, "do while") || Is(word_, "do until");
    return Go(MacroFlowSkipBlock(text_, Pos(), Indent(), head));
  }
  if (result <= 0) return Outcome::kNext;
  Outcome o = Outcome::kNext;
  if (first == '>') o = Go(MacroFlowOneLineTarget(text_, Pos()));
  if ((Is(word_, "if") || Is(word_, "else if")) && st_.m_nMacroIfLevel < INT32_MAX) ++st_.m_nMacroIfLevel;
  return o;
}

// One assignment or a list of them, comma-separated: each is cut at its
// first '=' that is not its first byte.
void Flow::RunAssignments(const CString& parts) {
  const std::string& s = parts.Str();
  std::size_t begin = 0;
  for (;;) {
    const std::size_t comma = s.find(',', begin);
    const std::string part = s.substr(begin, comma == std::string::npos ? std::string::npos : comma - begin);
    const std::size_t eq = part.find('=', 1);
    if (!part.empty() && eq != std::string::npos)
      Select(CString(part.substr(0, eq + 1)), CString(part.substr(eq + 1)));
    else
      Select(CString(part), CString(">"));
    if (comma == std::string::npos) break;
    begin = comma + 1;
  }
}

// "for:" initialisation ';' condition ';' step.
Outcome Flow::For() {
  const std::string& cmd = st_.m_strStmtCommand.Str();
  const std::size_t first = cmd.size() > 1 ? cmd.find(';', 1) : std::string::npos;
  const std::size_t second = first == std::string::npos ? std::string::npos : cmd.find(';', first + 1);
  if (st_.m_bMacroForRepeat == 0 && first != std::string::npos)
    RunAssignments(CString(first > 4 ? cmd.substr(4, first - 4) : std::string()));
  const CString step(second == std::string::npos ? std::string() : cmd.substr(second + 1));
  if (st_.m_bMacroForRepeat > 0)
    RunAssignments(step);
  else
    st_.m_bMacroForRepeat = 1;
  CString condition = rest_;
  if (first != std::string::npos)
    condition = CString(cmd.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1));
  return Conditional(condition, CString(), CondForm::kControl, true);
}

Outcome Flow::Else() {
  if (Indent() < st_.m_nMacroIfLevel) return Go(MacroFlowSkipBlock(text_, Pos(), Indent(), false));
  const CString& op = st_.m_strStmtOperand;
  if (op.IsEmpty()) {
    st_.m_nMacroBlockIndent = Indent();
    return Outcome::kNext;
  }
  const int eq = op.Find('=', 1);
  if (eq > 0)
    Select(op.Left(eq + 1), op.Mid(eq + 1));
  else
    Select(op, op);
  return Outcome::kNext;
}

// An assignment of its own, cut as preparation cut it, from the statement's
// texts after their names and addresses were rewritten: "&D180" and "=5"
// (from "[a]=5"), or "&D180==" and "5" (from "[a]=" with the operand "5").
// The target with its '=' takes the value through the selection routine, as
// a "for" initialisation does.
Outcome Flow::Assignment() {
  st_.m_nMacroIfLevel = Indent();
  const CString& cmd = st_.m_strStmtCommand;
  const CString& op = st_.m_strStmtOperand;
  const int n = cmd.GetLength();
  if (n >= 2 && cmd[n - 1] == '=' && cmd[n - 2] == '=')
    Select(cmd.Left(n - 1), op);
  else if (!op.IsEmpty() && op[0] == '=')
    Select(cmd + "=", op.Mid(1));
  return Outcome::kNext;
}

Outcome Flow::Class8() {
  if (Is(word_, "else")) return Else();
  if (Is(word_, "else if")) {
    if (Indent() < st_.m_nMacroIfLevel) return Go(MacroFlowSkipBlock(text_, Pos(), Indent(), false));
    return Conditional(rest_, st_.m_strStmtOperand, CondForm::kControl, true);
  }
  st_.m_nMacroIfLevel = Indent();
  if (Is(word_, "for")) return For();
  if (Is(word_, "if")) return Conditional(rest_, st_.m_strStmtOperand, CondForm::kControl, true);
  if (Is(word_, "do while") || Is(word_, "do until"))
    return Conditional(rest_, st_.m_strStmtOperand, CondForm::kControl, false);
  return Conditional(word_, st_.m_strStmtOperand, CondForm::kImplicit, false);
}

Outcome Flow::Class6() {
  const bool isWhile = Is(word_, "while"), isUntil = Is(word_, "until");
  if (Is(word_, "loop")) {
    const FlowMove m = MacroFlowJumpBack(text_, Pos(), Indent(), true);
    if (m.moved) st_.m_bMacroForRepeat = 1;
    return Go(m);
  }
  if (!isWhile && !isUntil) return Outcome::kNext;  // "endif"
  unsigned char first = 0;
  CString used;
  const bool holds = Evaluate(rest_, st_.m_strStmtOperand, CondForm::kCloser, &first, &used) > 0;
  if (holds != isWhile) return Outcome::kNext;
  return Go(MacroFlowJumpBack(text_, Pos(), Indent(), false));
}

Outcome Flow::Class5() {
  if (Is(word_, "outloop")) {
    const CString& cmd = st_.m_strStmtCommand;
    const char last = cmd.IsEmpty() ? 0 : cmd.GetAt(cmd.GetLength() - 1);
    return Go(MacroFlowOutLoop(text_, Pos(), last >= '1' && last <= '9' ? last - '0' : 1));
  }
  st_.m_nMacroBlockIndent = Indent();  // "do": the body follows
  return Outcome::kNext;
}

}  // namespace

void MacroIncDec(MacroState& state, const CString& word, const CString& command) {
  const int slot = MacroReadNumber(command, 1, &state);
  if (slot < 1 || slot > kLastVarSlot) return;
  int step = 1;
  if (word.GetLength() == 4 && word.GetAt(3) >= '1' && word.GetAt(3) <= '9') step = word.GetAt(3) - '0';
  const bool dec = word.GetLength() >= 3 && word.Left(3) == CString("dec");
  // The value with its sign, so that a counter below zero goes on counting.
  const long long value = static_cast<long long>(MacroReadNumber(state.m_strMacroVars[slot], 6)) + (dec ? -step : step);
  state.m_strMacroVars[slot].Format("%lld", value);
}

Outcome MacroRunControlFlow(MacroRunContext& rc, int cls, const CString& word, const CString& rest,
                            const char* text, std::uint32_t end, bool assignment) {
  Flow flow(rc, word, rest, text, end);
  if (cls == 8 && assignment) return flow.Assignment();
  switch (cls) {
    case 5:
      return flow.Class5();
    case 6:
      return flow.Class6();
    case 7:
      MacroIncDec(rc.state, word, rc.state.m_strStmtCommand);
      return Outcome::kNext;
    case 8:
      return flow.Class8();
    default:
      return Outcome::kNext;
  }
}

}  // namespace macro
