// The expression evaluator over any bytes, with a small fixed CSV table and
// variable store: in text mode, in arithmetic mode and with small output
// buffers (each exactly its size on the heap, so a write past it is caught).
// A share of the inputs is read as a program for a pure integer expression
// that exact 128-bit arithmetic values too; where every step fits 64 bits
// the texts must be equal.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "csv/csv_table.h"
#include "fuzz/macro_fuzz_host.h"
#include "macro/macro_expr.h"
#include "macro/macro_lines.h"
#include "macro/macro_state.h"

namespace {

using Host = fuzzsupport::QuietMacroHost;

// A function evaluator that evaluates its argument again (recursion through
// another evaluator counts towards the nesting bound).
int EchoHook(void*, macro::ExprContext* ctx, const CString& text) {
  std::vector<char> out(64);
  char kind = 0;
  std::int64_t v = 0;
  const std::string t = text.Str();
  macro::MacroEvalExpression(0, out.data(), 64, CString(t.size() > 1 ? t.substr(1) : std::string()), &kind, &v, ctx);
  ctx->env->state.m_strMacroVars[macro::kSlotFunctionResult] = out.data();
  return 0;
}

using I128 = __int128;
constexpr I128 kMax = static_cast<I128>(INT64_MAX), kMin = static_cast<I128>(INT64_MIN);

// Reads an integer expression out of the bytes, writing its text and its
// exact value; `fits` turns false when a step leaves the 64-bit range.
struct Model {
  Model(const std::uint8_t* data, size_t size) : d(data), n(size) {}
  const std::uint8_t* d;
  size_t n, i = 0;
  std::string text;
  bool fits = true;
  int depth = 0;
  // 0 past the end, which ends every choice.
  std::uint8_t Next() { return i < n ? d[i++] : 0; }
  // Values stay within 64 bits (0 once a step left them), so products of
  // two of them fit 128 bits.
  I128 Check(I128 v) {
    if (v <= kMax && v >= kMin) return v;
    fits = false;
    return 0;
  }
  I128 Literal() {
    const int digits = 1 + Next() % 19;
    I128 v = 0;
    std::string s;
    for (int k = 0; k < digits; ++k) {
      const int dg = Next() % 10;
      s += static_cast<char>('0' + dg);
      v = v * 10 + dg;
    }
    text += s;
    return Check(v);
  }
  I128 Factor() {
    if (depth < 6 && Next() % 4 == 1) {
      ++depth;
      text += "(";
      I128 v;
      if (Next() % 3 == 1) {
        text += "-";
        v = Check(-Term());
        while (Next() % 3 == 1) v = Join(v);
      } else {
        v = Sum();
      }
      text += ")";
      --depth;
      return v;
    }
    return Literal();
  }
  I128 Term() {
    I128 v = Factor();
    for (int k = Next() % 3; k > 0 && fits; --k) {
      const char op = "*/%"[Next() % 3];
      text += op;
      const I128 f = Factor();
      if (op == '*') v = Check(v * f);
      else if (op == '/') v = f == 0 ? 99999999 : Check(v / f);
      else if (f != 0) v = Check(v % f);
    }
    return v;
  }
  I128 Join(I128 v) {
    const char op = Next() % 2 ? '+' : '-';
    text += op;
    const I128 t = Term();
    return Check(op == '+' ? v + t : v - t);
  }
  I128 Sum() {
    I128 v = Term();
    for (int k = Next() % 4; k > 0 && fits; --k) v = Join(v);
    return v;
  }
};

std::string Text(I128 v) {
  const bool neg = v < 0;
  unsigned __int128 a = neg ? static_cast<unsigned __int128>(-v) : static_cast<unsigned __int128>(v);
  std::string s;
  do {
    s.insert(s.begin(), static_cast<char>('0' + static_cast<int>(a % 10)));
    a /= 10;
  } while (a);
  return neg ? "-" + s : s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static macro::MacroState* st = new macro::MacroState;
  static csv::Table* table = [] {
    auto* t = new csv::Table;
    const char csvText[] = "a,b,c\r\n1,2.5,x\r\n\"3\",-4.25,\"q\"\r\n!#\r\nt,u\r\n10,20,30\r\n";
    t->LoadFileText(csvText, sizeof csvText - 1, 64);
    return t;
  }();
  static Host host;
  if (size > 30000) size = 30000;
  st->m_nMacroEvalCellLimit = 2000;
  st->m_nMacroEvalNestLimit = 2000;  // the same bound, sized for a fuzz unit
  st->m_strMacroVars[5] = "12.5";
  st->m_strMacroVars[6] = "$(&D6)";
  st->m_strMacroVars[7] = "<<&1-3@1-6|&@+>>";
  st->m_strMacroVars[155] = "2";

  macro::MacroEnv env{*st, &host, table, &st->m_lineIndex, {}};
  if (size > 0 && data[0] % 2) env.functions.call = EchoHook;
  macro::ExprContext ctx;
  ctx.env = &env;
  ctx.lineTable = macro::MacroTableLineIndex(&st->m_lineIndex, *table);
  ctx.row = size > 1 ? data[1] % 8 : 0;
  ctx.column = size > 2 ? data[2] % 5 : 0;
  ctx.quote = size > 3 ? data[3] % 3 : 0;
  const std::string raw(reinterpret_cast<const char*>(data), size);

  for (const std::string& expr : {raw, "#(" + raw + ")"}) {
    for (int outSize : {size % 2 ? 1 : 7, 9005}) {
      std::unique_ptr<char[]> out(new char[static_cast<size_t>(outSize)]);
      char kind = 0;
      std::int64_t value = 0;
      const int n = macro::MacroEvalExpression(0, out.get(), outSize, CString(expr), &kind, &value, &ctx);
      if (n >= outSize) __builtin_trap();
      if (n >= 0 && std::strlen(out.get()) != static_cast<size_t>(n)) __builtin_trap();
      if (st->m_nMacroEvalDepth != 0) __builtin_trap();
    }
  }

  // The integer model.
  Model m(data, size);
  const I128 v = m.Sum();
  if (m.fits && m.text.size() < 20000) {
    std::vector<char> out(9005);
    char kind = 0;
    std::int64_t value = 0;
    st->m_nZeroDivValue = 99999999;
    macro::ExprContext c2;
    c2.env = &env;
    macro::MacroEvalExpression(0, out.data(), 9005, CString("#(" + m.text + ")"), &kind, &value, &c2);
    if (kind != '#' || std::string(out.data()) != Text(v)) __builtin_trap();
  }
  return 0;
}
