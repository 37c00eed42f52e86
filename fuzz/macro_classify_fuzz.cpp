// Statement classes over any bytes, against a model written as a plain chain
// of tests; then the common steps' kinds, the trace text and the run-error
// texts built from the same bytes. Input: L, L2, call depth, frame count,
// then the word, a TAB and the operand.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "macro/macro_classify.h"
#include "macro/macro_dispatch.h"
#include "macro/macro_run_errors.h"

namespace {

int FileKindOf(const CString& operand) {
  const std::string s = operand.Str();
  auto ends = [&](const char* e) {
    const std::size_t n = std::strlen(e);
    return s.size() >= n && s.compare(s.size() - n, n, e) == 0;
  };
  if (ends(".xlsx")) return 36;
  if (ends(".rtf")) return 4;
  if (ends(".pdf")) return 11;
  if (ends(".htm")) return 6;
  return 9;
}

bool In(unsigned char b, const char* set) { return b != 0 && std::strchr(set, b) != nullptr; }

// The classification rules one after another.
int Model(const std::string& w, unsigned char l, unsigned char l2, int depth, int frames, const CString& op) {
  const unsigned char c0 = w.size() > 0 ? w[0] : 1, c1 = w.size() > 1 ? w[1] : 1, c2 = w.size() > 2 ? w[2] : 1;
  if (l >= 'a' && l <= 'z') l = static_cast<unsigned char>(l - 32);
  if (l2 >= 'A' && l2 <= 'Z') l2 = static_cast<unsigned char>(l2 + 32);
  const bool amp = c0 == '&';
  if (l == '#' && ((l2 >= 'a' && l2 <= 'z') || l2 == ':') && c0 != 'D') return 1;
  if (w == "registry" || w == "registry_w") return 2;
  if (w == "system_para" || w == "sys_para") return 3;
  if (w == "replreg") return 4;
  if (w == "eror_on" || w == "eror_off") return 9;
  if (w == "do" || w == "Do" || w == "outloop") return 5;
  if (w == "while" || w == "until" || w == "loop" || w == "endif") return 6;
  if ((c0 == 'i' && c1 == 'n' && c2 == 'c') || (c0 == 'd' && c1 == 'e' && c2 == 'c')) return 7;
  if (w == "if" || w == "else" || w == "else if" || w == "do while" || w == "do until" || w == "for" ||
      In(c1, "=<>!~"))
    return 8;
  if (w == "exe") return 40;
  if (amp && In(l, "R&Y")) return 10;
  if (amp && l == 'W') return In(l2, "dtf") ? 0 : 11;
  if (amp && l == 'I') return 12;
  if (amp && l == 'M') return l2 == 'a' ? 13 : l2 == 't' ? 14 : 15;
  if (amp && l == 'S') {
    if (In(l2, "ud")) return 16;
    if (In(l2, "tb")) return 20;
    if (l2 == 'c') return 24;
    if (l2 == 'x') return 53;
    if (l2 == 'r') return 54;
    if (l2 == 'p') return 59;
    if (l2 == 'h') return 60;
    if (l2 == 'f') return 58;
    const int k = FileKindOf(op);
    return k == 36 ? 53 : k == 4 ? 54 : k == 11 ? 59 : k == 6 ? 60 : 55;
  }
  if (amp && l == 'C') return 17;
  if (amp && l == 'P') return 18;
  if (amp && l == 'N') return 19;
  if (amp && l == 'T') return 21;
  if (amp && l == 'F') return l2 == 'g' ? 22 : 52;
  if (amp && l == 'L') return l2 == 'c' ? 23 : l2 == 'n' ? 25 : In(l2, "ajh") ? 50 : l2 == 'f' ? 57 : 56;
  if (amp && l == 'J') return 51;
  if (amp && In(l, "@:")) return 26;
  if (amp && (In(l, "[(#") || (l >= '0' && l <= '9'))) return 27;
  if (c0 == '[') return 28;
  if (c0 == 'E') return frames < 2 ? 30 : 34;
  if (c0 == 'W') return 31;
  if (c0 == 'C' || c0 == 'J') return 32;
  if (c0 == 'P' && depth > 0) return 33;
  if (c0 == 'R' && depth > 0) return 34;
  if (c0 == 'B' && c1 == 'K') return 35;
  if (c0 == 'D') return 36;
  if (In(c0, "987")) return 37;
  return 99;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  if (size > 4096) size = 4096;
  const unsigned char l = data[0], l2 = data[1];
  const int depth = data[2] % 4 - 1, frames = data[3] % 5;
  const std::string rest(reinterpret_cast<const char*>(data + 4), size - 4);
  const std::size_t tab = rest.find('\t');
  const std::string word = rest.substr(0, tab);
  const CString operand(tab == std::string::npos ? std::string() : rest.substr(tab + 1));
  const CString cword(word);

  macro::ClassifyInput in = macro::MacroClassifyInputFor(cword, l, l2, depth, frames, &operand);
  in.operandKind = FileKindOf;
  const macro::ClassifyResult r = macro::MacroClassifyStatement(in);
  if (r.row < 1 || r.row > macro::MacroClassRowCount()) __builtin_trap();
  if (r.cls != Model(word, l, l2, depth, frames, operand)) __builtin_trap();
  if (macro::MacroDispatchRow(r.cls) == nullptr) __builtin_trap();

  const int after = macro::MacroReclassifyAfterNumbers(r.cls, cword);
  if (after != r.cls && !(r.cls == 52 && after == 8)) __builtin_trap();

  const unsigned char cl = macro::MacroClassLetter(l), cl2 = macro::MacroClassLetter2(l2);
  const int kind = macro::MacroCommandParseKind(r.cls, cl2);
  if (kind != 0 && kind != 2 && kind != 3 && kind != 4 && kind != 5) __builtin_trap();
  const macro::OperandParsePlan plan = macro::MacroOperandParsePlan(r.cls, cl, cword, operand);
  if (plan.kind != 0 && plan.kind != 2 && plan.kind != 3 && plan.kind != 4 && plan.kind != 6) __builtin_trap();

  // The common steps with routines that change nothing never fail, and the
  // operand only loses the one byte its plan drops.
  macro::RowDataOps ops;
  ops.parse = [](const CString& t, int) { return t; };
  ops.substitute = [](const CString& t, int) { return t; };
  CString cmd = cword, op = operand;
  if (!macro::MacroParseCommandRowData(r.cls, cl2, &cmd, ops) || !(cmd == cword)) __builtin_trap();
  if (!macro::MacroParseOperandRowData(r.cls, cl, cmd, &op, ops)) __builtin_trap();
  const int dropped = operand.GetLength() - op.GetLength();
  const bool drops = plan.prep == macro::OperandPrep::kDropDollarParseKind3 ||
                     plan.prep == macro::OperandPrep::kDropStarSubstitute;
  if (dropped != (drops && !plan.skip ? 1 : 0)) __builtin_trap();

  const CString trace = macro::MacroTraceText(data[0] % 4, depth * 1000, cword, operand);
  if (data[0] % 4 == 0 && trace.GetLength() < cword.GetLength() + operand.GetLength() + 15) __builtin_trap();

  macro::RunErrorArgs a;
  a.command = cword;
  a.operand = operand;
  a.line = frames;
  const CString text = macro::MacroRunErrorText(macro::RunError::kUnknownCommand, a);
  if (text.GetLength() != 21 + cword.GetLength() + 1 + operand.GetLength() + 1 + 8) __builtin_trap();
  return 0;
}
