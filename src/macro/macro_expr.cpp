#include "macro/macro_expr.h"

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "csv/csv_buffer.h"
#include "fw/sjis.h"
#include "macro/macro_codes.h"
#include "macro/macro_host.h"
#include "macro/macro_lines.h"
#include "macro/macro_operand.h"
#include "macro/macro_scaled.h"
#include "macro/macro_state.h"

namespace macro {

namespace {

// A mantissa below this can take one more decimal place when "+" and "-"
// align scales, and a dividend is raised by 10 while it is not above it.
constexpr std::uint64_t kAlignLimit = 864691128455135232ull;
constexpr long long kScaleBound = 100000;
constexpr char kFunctionMissing[] = "#function not available yet : ";
constexpr char kStackOver[] = "stack over eror";

struct Num {
  std::int64_t m = 0;
  int s = 0;
};

std::uint64_t Mag(std::int64_t m) { return m < 0 ? 0u - static_cast<std::uint64_t>(m) : static_cast<std::uint64_t>(m); }
// Two's-complement arithmetic: overflow wraps, as the language's numbers do.
std::int64_t WrapAdd(std::int64_t a, std::int64_t b) {
  return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) + static_cast<std::uint64_t>(b));
}
std::int64_t WrapSub(std::int64_t a, std::int64_t b) {
  return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) - static_cast<std::uint64_t>(b));
}
std::int64_t WrapMul(std::int64_t a, std::int64_t b) {
  return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) * static_cast<std::uint64_t>(b));
}
std::int64_t WrapNeg(std::int64_t a) { return static_cast<std::int64_t>(0u - static_cast<std::uint64_t>(a)); }
// m x 10^k, wrapping (10^64 is 0 modulo 2^64).
std::int64_t WrapPow10(std::int64_t m, long long k) {
  for (long long i = 0; i < k && i < 64; ++i) m = WrapMul(m, 10);
  return k >= 64 ? 0 : m;
}
int ClampScale(long long s) { return static_cast<int>(s > kScaleBound ? kScaleBound : s < -kScaleBound ? -kScaleBound : s); }

// An operand with a negative scale goes to scale 0 before "/" and "%".
void ToNonNegativeScale(Num* x) {
  if (x->s < 0) {
    x->m = WrapPow10(x->m, -static_cast<long long>(x->s));
    x->s = 0;
  }
}

Num AddSub(Num a, Num b, bool subtract) {
  while (a.s != b.s) {
    Num& lo = a.s < b.s ? a : b;
    Num& hi = a.s < b.s ? b : a;
    if (lo.m == 0) {
      lo.s = hi.s;
    } else if (Mag(lo.m) < kAlignLimit) {
      lo.m = WrapMul(lo.m, 10);
      ++lo.s;
    } else if (hi.m == 0) {
      hi.s = lo.s;
    } else {
      hi.m /= 10;
      --hi.s;
    }
  }
  return {subtract ? WrapSub(a.m, b.m) : WrapAdd(a.m, b.m), a.s};
}

Num Mul(Num a, Num b) { return {WrapMul(a.m, b.m), ClampScale(static_cast<long long>(a.s) + b.s)}; }

Num Div(Num a, Num b, std::int64_t zeroDiv) {
  if (b.m == 0) return {zeroDiv, 0};
  ToNonNegativeScale(&a);
  ToNonNegativeScale(&b);
  if (b.m == 0) return {zeroDiv, 0};  // raised past 64 bits
  std::int64_t m = a.m;
  int e = 0;
  if (b.s > 0) {
    m = WrapPow10(m, b.s);
    while (e < b.s && Mag(m) <= kAlignLimit) {
      m = WrapMul(m, 10);
      ++e;
    }
  }
  const std::int64_t q = b.m == -1 ? WrapNeg(m) : m / b.m;
  return {q, ClampScale(static_cast<long long>(a.s) + e)};
}

Num Mod(Num a, Num b) {
  if (b.m == 0) return a;
  ToNonNegativeScale(&a);
  ToNonNegativeScale(&b);
  const std::int64_t bm = WrapPow10(b.m, a.s);
  const std::int64_t am = WrapPow10(a.m, b.s);
  const int s = ClampScale(static_cast<long long>(a.s) + b.s);
  if (bm == 0) return a;
  if (bm == -1) return {0, s};
  return {am % bm, s};
}

Num Apply(char op, Num a, Num b, std::int64_t zeroDiv) {
  switch (op) {
    case '-': return AddSub(a, b, true);
    case '*': return Mul(a, b);
    case '/': return Div(a, b, zeroDiv);
    case '%': return Mod(a, b);
    default: return AddSub(a, b, false);
  }
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsLead(char c) { return fw::IsSjisLeadByte(static_cast<unsigned char>(c)); }

// Keeps the nesting count of the state for one evaluation.
// A range cell's evaluation counts against the cell budget instead of the
// nested-evaluation budget.
class DepthGuard {
 public:
  explicit DepthGuard(MacroState& st, bool rangeCell = false) : st_(st) {
    if (st_.m_nMacroEvalDepth == 0) {
      st_.m_nMacroEvalSplices = 0;
      st_.m_nMacroEvalCells = 0;
      st_.m_nMacroEvalNested = 0;
      st_.m_bMacroEvalStackShown = 0;
      st_.m_bMacroEvalFuncShown = 0;
    }
    ok_ = st_.m_nMacroEvalDepth < kMacroEvalMaxDepth;
    if (ok_ && st_.m_nMacroEvalDepth > 0 && !rangeCell)
      ok_ = ++st_.m_nMacroEvalNested <= st_.m_nMacroEvalNestLimit;
    if (ok_) ++st_.m_nMacroEvalDepth;
  }
  ~DepthGuard() {
    if (ok_) --st_.m_nMacroEvalDepth;
  }
  bool ok() const { return ok_; }

 private:
  MacroState& st_;
  bool ok_;
};

// One evaluation over its own work text.
class Evaluator {
 public:
  Evaluator(ExprContext* ctx, int lineOffset, std::string work)
      : ctx_(*ctx), env_(*ctx->env), st_(ctx->env->state), line_(lineOffset), w_(std::move(work)) {}

  bool aborted() const { return abort_; }

  // Arithmetic: the whole work text from `p`.
  Num Arithmetic(size_t p);

  // Text mode from `p`, at most `cap` bytes of output.
  std::string Text(size_t p, size_t cap);

  // Reports "stack over eror" once per outermost evaluation.
  static void StackOver(const MacroEnv& env) {
    if (env.state.m_bMacroEvalStackShown) return;
    env.state.m_bMacroEvalStackShown = 1;
    if (env.host) env.host->ShowMessageBox(kStackOver);
  }

 private:
  char At(size_t i) const { return i < w_.size() ? w_[i] : '\0'; }
  char Cur() const { return At(p_); }
  void SkipBlanks() {
    while (Cur() == ' ' || Cur() == '"') ++p_;
  }
  // A run of '+' and '-': true when it negates.
  bool SignRun() {
    bool neg = false;
    for (;;) {
      SkipBlanks();
      if (Cur() == '-') neg = !neg;
      else if (Cur() != '+') break;
      ++p_;
    }
    return neg;
  }
  // One operand at p_ that is no bracket; false at "(" (p_ is then after
  // it), which opens a level.
  bool Operand(Num* v);
  Num Literal();
  Num Range();
  bool Splice();
  size_t ReferenceEnd(size_t from, bool textMode) const;
  size_t FunctionEnd(size_t from, bool textMode) const;
  std::string Reference(const std::string& ref);
  std::string Function(const std::string& text, int row, int column);
  std::string NumberingToken(const std::string& tok) const;
  int RowOffset(long long row) const {
    if (!env_.table) return 0;
    if (row < 1) row = 1;
    return LineOffsetFromTable(*env_.table, row - 1 > INT_MAX ? INT_MAX : static_cast<int>(row - 1), ctx_.lineTable);
  }

  ExprContext& ctx_;
  const MacroEnv& env_;
  MacroState& st_;
  int line_;
  std::string w_;
  size_t p_ = 0;
  bool abort_ = false;
};

// The operand stack: one level per open bracket, each with its sum so far,
// the term being multiplied and the operators pending on them.
struct Level {
  Num acc;             // the sum of the terms done
  bool addNeg = false; // the term is subtracted
  Num term;            // the product so far
  char mulOp = 0;      // '*', '/' or '%' before the next factor; 0: first factor
  bool factorNeg = false;
};

Num Evaluator::Arithmetic(size_t p) {
  p_ = p;
  std::vector<Level> levels(1);
  levels.reserve(kExprOperandLevels);
  levels.back().addNeg = SignRun();
  for (;;) {
    // Operand position.
    Num v;
    if (!Operand(&v)) {
      if (abort_) return {};
      if (static_cast<int>(levels.size()) + 1 > kExprOperandLevels) {
        abort_ = true;
        StackOver(env_);
        return {};
      }
      levels.emplace_back();
      levels.back().addNeg = SignRun();
      continue;
    }
    if (abort_) return {};
    // A value arrives at the top level: as a factor of its term.
    for (;;) {
      Level& L = levels.back();
      if (L.factorNeg) v.m = WrapNeg(v.m);
      L.term = L.mulOp ? Apply(L.mulOp, L.term, v, st_.m_nZeroDivValue) : v;
      L.mulOp = 0;
      L.factorNeg = false;
      // Operator position.
      bool next = false;
      for (;;) {
        SkipBlanks();
        const char c = Cur();
        const bool end = c == '\0' && p_ >= w_.size();
        if (c == '*' || c == '/' || c == '%') {
          ++p_;
          L.mulOp = c;
          L.factorNeg = SignRun();
          next = true;
          break;
        }
        if (c == '+' || c == '-' || (c == '<' && At(p_ + 1) == '<')) {
          L.acc = AddSub(L.acc, L.term, L.addNeg);
          L.addNeg = c == '<' ? false : SignRun();  // a range joins with '+'
          next = true;
          break;
        }
        if (c == ')' || end) {
          L.acc = AddSub(L.acc, L.term, L.addNeg);
          if (levels.size() > 1) {
            if (!end) ++p_;
            v = L.acc;
            levels.pop_back();
            break;  // the closed level is a factor of the one below
          }
          if (end) return L.acc;
          // A ')' with no level open: passed over; the sum goes on.
          ++p_;
          L.term = Num();
          L.addNeg = SignRun();
          next = true;
          break;
        }
        ++p_;  // anything else between operands is passed over
      }
      if (next) break;
    }
  }
}

bool Evaluator::Operand(Num* out) {
  *out = Num();
  for (;;) {
    if (abort_) return true;
    SkipBlanks();
    const char c = Cur();
    if (c == '$' && At(p_ + 1) == '(') {
      Splice();
      continue;
    }
    if (c == '(' || (c == '#' && At(p_ + 1) == '(')) {
      p_ += c == '#' ? 2 : 1;
      return false;
    }
    if (c == '<' && At(p_ + 1) == '<') {
      *out = Range();
      return true;
    }
    if (IsDigit(c) || (c == '.' && IsDigit(At(p_ + 1)))) {
      *out = Literal();
      return true;
    }
    if (c == '&' || c == '@' || c == kNCodeLead || c == '#') {
      size_t end = c == '#' ? FunctionEnd(p_, false) : ReferenceEnd(p_, false);
      std::string value;
      if (c == '#') {
        value = Function(w_.substr(p_, end - p_), ctx_.row, ctx_.column);
      } else if (At(end) == '#') {
        const size_t fend = FunctionEnd(end, false);
        value = Function(w_.substr(p_, fend - p_), ctx_.row, ctx_.column);
        end = fend;
      } else {
        value = Reference(w_.substr(p_, end - p_));
      }
      p_ = end;
      ParseScaledNumber(value.data(), value.size(), &out->m, &out->s);
      return true;
    }
    // No operand here: an operator, a closing bracket or the end give 0;
    // other bytes are passed over.
    if (c == '\0' && p_ >= w_.size()) return true;
    if (c == '+' || c == '-' || c == '*' || c == '/' || c == '%' || c == ')' || c == '>' || c == '|') return true;
    ++p_;
  }
}

Num Evaluator::Literal() {
  Num v;
  std::uint64_t m = 0;
  if (Cur() == '0' && (At(p_ + 1) == 'x' || At(p_ + 1) == 'X')) {
    p_ += 2;
    for (;;) {
      const char c = Cur();
      int d = IsDigit(c) ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
      if (d < 0) break;
      m = m * 16u + static_cast<unsigned>(d);
      ++p_;
    }
    v.m = static_cast<std::int64_t>(m);
    return v;
  }
  long long s = 0;
  bool dot = false;
  for (;;) {
    const char c = Cur();
    if (IsDigit(c)) {
      m = m * 10u + static_cast<unsigned>(c - '0');
      if (dot && s < kScaleBound) ++s;
    } else if (c == ',') {
    } else if (c == '.' && !dot) {
      dot = true;
    } else {
      break;
    }
    ++p_;
  }
  if (Cur() == 'E') {
    size_t q = p_ + 1;
    bool minus = false;
    if (At(q) == '-' || At(q) == '+') minus = At(q++) == '-';
    if (IsDigit(At(q))) {
      long long e = 0;
      while (IsDigit(At(q))) {
        e = e * 10 + (At(q++) - '0');
        if (e > kScaleBound) e = kScaleBound;
      }
      s = minus ? s + e : s - e;
      p_ = q;
    }
  }
  v.m = static_cast<std::int64_t>(m);
  v.s = ClampScale(s);
  return v;
}

// "$(...)" at p_: the text inside is evaluated and its result replaces the
// whole group in the work text. False when the splice budget is used up
// (the group is then dropped).
bool Evaluator::Splice() {
  const size_t start = p_;
  size_t i = p_ + 2;
  int depth = 0;
  for (; i < w_.size(); ++i) {
    const char c = w_[i];
    if (IsLead(c) && i + 1 < w_.size()) {
      ++i;
      continue;
    }
    if (c == '\\' && (At(i + 1) == '(' || At(i + 1) == ')')) {
      ++i;
      continue;
    }
    if (c == '(') ++depth;
    if (c == ')' && depth-- == 0) break;
  }
  const std::string inner = w_.substr(start + 2, (i < w_.size() ? i : w_.size()) - start - 2);
  const size_t end = i < w_.size() ? i + 1 : w_.size();
  std::string result;
  const bool ok = st_.m_nMacroEvalSplices < kExprMaxSplices;
  if (ok) {
    ++st_.m_nMacroEvalSplices;
    std::string buf(kExprSpliceBuffer, '\0');
    char kind = 0;
    std::int64_t value = 0;
    ExprContext sub = ctx_;
    const int n = MacroEvalExpression(line_, &buf[0], kExprSpliceBuffer, CString(inner), &kind, &value, &sub);
    if (n > 0) result.assign(buf.data(), static_cast<size_t>(n));
  } else {
    st_.m_strMacroVars[kSlotLastResult] = "EROR";
  }
  w_.replace(start, end - start, result);
  if (w_.size() >= static_cast<size_t>(kExprWorkBuffer)) w_.resize(kExprWorkBuffer - 1);
  p_ = start;
  return ok;
}

// "<<" [&c1[-c2]] [@r1[-r2]] ["|"] body ">>": the body valued for every
// cell of the range, the values joined by the operator the body ends with.
Num Evaluator::Range() {
  p_ += 2;
  const csv::TableFields* t = env_.table;
  const long long fields = t ? t->m_nFieldCount : 0;
  const long long lastRow = t ? static_cast<long long>(t->m_nLastRow) + 1 : 0;
  std::string head = w_.substr(p_);
  int q = 0;
  long long c1 = ctx_.column, c2 = ctx_.column, r1 = ctx_.row, r2 = ctx_.row;
  auto readNumber = [&](char axis) {
    char mark = axis;
    return static_cast<long long>(
        MacroReadAddressNumber(env_, head.c_str(), &q, &mark, ctx_.column, ctx_.row, ctx_.evalArg));
  };
  auto atNumber = [&](int i) {
    const char n = i < static_cast<int>(head.size()) ? head[i] : '\0';
    return IsDigit(n) || n == '(' || n == '%' || n == '[' || (n == '&' && i + 1 < static_cast<int>(head.size()) && head[i + 1] == 'D') ||
           n == 'i' || n == 'j' || n == 'k';
  };
  if (head[0] == '&') {
    ++q;
    c1 = readNumber('&');
    c2 = c1;
    if (head[q] == '-' || head[q] == '_') {
      ++q;
      c2 = atNumber(q) ? readNumber('&') : 0;
      if (c2 == 0) c2 = fields;
    }
  }
  if (head[q] == '@') {
    ++q;
    r1 = readNumber('@');
    r2 = r1;
    if (head[q] == '-' || head[q] == '_') {
      ++q;
      r2 = atNumber(q) ? readNumber('@') : 0;
      if (r2 < 1) r2 = lastRow;
    }
    if (r1 < 1) r1 = 1;
  }
  if (head[q] == '|') ++q;
  p_ += static_cast<size_t>(q);
  // The body runs to the matching ">>".
  size_t i = p_;
  int depth = 0;
  for (; i < w_.size(); ++i) {
    if (IsLead(w_[i]) && i + 1 < w_.size()) {
      ++i;
      continue;
    }
    if (w_[i] == '<' && At(i + 1) == '<') {
      ++depth;
      ++i;
    } else if (w_[i] == '>' && At(i + 1) == '>') {
      if (depth-- == 0) break;
      ++i;
    }
  }
  std::string body = w_.substr(p_, (i < w_.size() ? i : w_.size()) - p_);
  p_ = i < w_.size() ? i + 2 : w_.size();
  char op = '+';
  while (!body.empty() && body.back() == ' ') body.pop_back();
  if (!body.empty() && std::strchr("+-*/%", body.back())) {
    op = body.back();
    body.pop_back();
  }
  // The range stays within the table.
  if (c1 < 1) c1 = 1;
  if (r1 < 1) r1 = 1;
  if (fields > 0 && c2 > fields) c2 = fields;
  if (r2 > lastRow) r2 = lastRow;
  Num acc;
  bool first = true;
  for (long long r = r1; r <= r2 && !abort_; ++r) {
    for (long long c = c1; c <= c2 && !abort_; ++c) {
      if (++st_.m_nMacroEvalCells > st_.m_nMacroEvalCellLimit) {
        st_.m_strMacroVars[kSlotLastResult] = "EROR";
        return acc;
      }
      ExprContext sub = ctx_;
      sub.row = static_cast<int>(r);
      sub.column = static_cast<int>(c);
      DepthGuard guard(st_, true);
      if (!guard.ok()) {
        abort_ = true;
        StackOver(env_);
        return acc;
      }
      Evaluator e(&sub, RowOffset(r), body);
      const Num v = e.Arithmetic(0);
      if (e.aborted()) abort_ = true;
      acc = first ? v : Apply(op, acc, v, st_.m_nZeroDivValue);
      first = false;
    }
  }
  return acc;
}

// Where a reference that starts at `from` ends: letters, digits and the
// address bytes, with bracketed groups taken whole; in text mode a '-'
// before a number belongs to it (a range).
size_t Evaluator::ReferenceEnd(size_t from, bool textMode) const {
  if (At(from) == kNCodeLead && from + kNCodeTokenSize <= w_.size() && std::strchr("LTBKDSHRCUP", At(from + 1)) &&
      At(from + 1) != '\0')
    return from + kNCodeTokenSize;
  size_t i = from + 1;
  for (;;) {
    const char c = At(i);
    if (c == '\0' && i >= w_.size()) return i;
    if (c == '(' || c == '[') {
      const char close = c == '(' ? ')' : ']';
      int depth = 0;
      size_t k = i;
      for (; k < w_.size(); ++k) {
        if (IsLead(w_[k]) && k + 1 < w_.size()) {
          ++k;
          continue;
        }
        if (w_[k] == c) ++depth;
        if (w_[k] == close && --depth == 0) break;
      }
      i = k < w_.size() ? k + 1 : w_.size();
      continue;
    }
    if (IsLetter(c) || IsDigit(c) || c == '@' || c == '_' || c == '%') {
      ++i;
      continue;
    }
    if (textMode && c == '-' && (IsDigit(At(i + 1)) || At(i + 1) == '_' || At(i + 1) == '(')) {
      ++i;
      continue;
    }
    return i;
  }
}

// Where a function call that starts at `from` ('#') ends: the first '+'
// (and in arithmetic '-', '*', '/', '%', a blank) outside brackets, or an
// unmatched ')'.
size_t Evaluator::FunctionEnd(size_t from, bool textMode) const {
  int depth = 0;
  size_t i = from + 1;
  for (; i < w_.size(); ++i) {
    const char c = w_[i];
    if (IsLead(c) && i + 1 < w_.size()) {
      ++i;
      continue;
    }
    if (c == '(') ++depth;
    else if (c == ')' && depth-- == 0) break;
    else if (depth == 0 && (c == '+' || (!textMode && (c == '-' || c == '*' || c == '/' || c == '%' || c == ' '))))
      break;
  }
  return i;
}

std::string Evaluator::Function(const std::string& text, int row, int column) {
  if (!env_.functions.call) {
    if (!st_.m_bMacroEvalFuncShown) {
      st_.m_bMacroEvalFuncShown = 1;
      if (env_.host) env_.host->ReportMessage(2, CString(kFunctionMissing + text));
    }
    return std::string();
  }
  ExprContext sub = ctx_;
  sub.row = row;
  sub.column = column;
  st_.m_strMacroVars[kSlotFunctionResult].Empty();
  if (env_.functions.call(env_.functions.user, &sub, CString(text)) < 0) return std::string();
  return st_.m_strMacroVars[kSlotFunctionResult].GetString();
}

// A numbering token counts on from the current row: its start number plus
// (row - 1) upwards, minus it downwards, or the start itself ('C'); written
// in the token's width and fill.
std::string Evaluator::NumberingToken(const std::string& tok) const {
  std::uint32_t bits = 0;
  const int flags = tok[5] - '0';
  for (int k = 0; k < 4; ++k) {
    std::uint8_t b = static_cast<std::uint8_t>(tok[6 + k]);
    if (flags & (8 >> k)) b = static_cast<std::uint8_t>(b - 0x30);
    bits = bits << 8 | b;
  }
  long long n = static_cast<std::int32_t>(bits);
  const long long step = ctx_.row > 1 ? ctx_.row - 1 : 0;
  if (tok[4] == 'U') n += step;
  else if (tok[4] == 'D') n -= step;
  std::string digits = std::to_string(n < 0 ? -n : n);
  const int width = tok[2] - '0';
  if (width > 0 && tok[3] != 'N' && static_cast<int>(digits.size()) < width)
    digits.insert(0, static_cast<size_t>(width - static_cast<int>(digits.size())), tok[3] == 'Z' ? '0' : ' ');
  return n < 0 ? "-" + digits : digits;
}

// The value text of one reference: a variable, a cell (absolute, or
// relative to the current line), a field part, "&RN" (the current row) or
// "&AL" (the current line). A column or row left out is the current one.
std::string Evaluator::Reference(const std::string& refIn) {
  if (refIn.size() == static_cast<size_t>(kNCodeTokenSize) && refIn[0] == kNCodeLead) return NumberingToken(refIn);
  std::string ref = refIn;
  if (ref[0] == kNCodeLead) ref[0] = '&';
  char quoteLetter = 0;
  if (ref.size() > 2 && (ref.back() == 'Q' || ref.back() == 'q') && ref.compare(0, 2, "&D") == 0) {
    quoteLetter = ref.back();
    ref.pop_back();
  }
  // A missing column or row stands for the current one ('%' is the base).
  if (ref[0] == '@') ref.insert(0, "&%");
  if (ref.size() >= 2 && ref[0] == '&' && ref[1] == '@') ref.insert(1, "%");
  const size_t at = ref.find('@');
  bool explicitRow = false;
  if (at != std::string::npos && ref.compare(0, 2, "&D") != 0) {
    const char n = at + 1 < ref.size() ? ref[at + 1] : '\0';
    if (IsDigit(n) || n == '(' || n == '%' || n == '[' || n == '&' || n == 'i' || n == 'j' || n == 'k' || n == '-')
      explicitRow = true;
    else
      ref.insert(at + 1, "%");
  }
  int c1 = ctx_.column, c2 = ctx_.column, r1 = ctx_.row, r2 = ctx_.row;
  char kind = 0;
  int rowStep = 0, colStep = 0, hash = 0;
  const int n = MacroEvalOperand(env_, ref.c_str(), &c1, &c2, &r1, &r2, &kind, ctx_.column, ctx_.row, &rowStep, &colStep,
                                 &hash, ctx_.evalArg);
  ctx_.rowStep = rowStep;
  ctx_.colStep = colStep;
  ctx_.hashPos = hash;
  std::string value;
  const csv::TableFields* t = env_.table;
  const std::uint32_t len = t && t->m_pTextBuf && t->m_nTextLen < t->m_nWorkSize ? t->m_nTextLen : 0;
  if (kind == '&') return std::to_string(ctx_.row);
  if (kind == 9) {
    if (!t || !t->m_pTextBuf) return value;
    std::uint32_t a = static_cast<std::uint32_t>(line_ < 0 ? 0 : line_), b;
    if (a > len) a = len;
    for (b = a; b < len && t->m_pTextBuf[b] != '\r' && t->m_pTextBuf[b] != '\n' && t->m_pTextBuf[b] != 0; ++b) {
    }
    return std::string(reinterpret_cast<const char*>(t->m_pTextBuf) + a, b - a);
  }
  // The value through a buffer that grows while the value fills it.
  const size_t limit = (kind == 'D' ? (n >= 2 && n <= kLastVarSlot + 1 ? st_.m_strMacroVars[n - 1].Str().size() : 0)
                                    : static_cast<size_t>(len)) +
                       3;
  std::string buf(kFieldValueDefault, '\0');
  int got = 0;
  for (;;) {
    int row = r1, col = c1;
    const int size = static_cast<int>(buf.size() < INT_MAX ? buf.size() : INT_MAX);
    if (kind == 'D') {
      got = MacroGetFieldValue(env_, line_, &buf[0], size, n, 'D', &row, &col, ctx_.lineTable, 0, ctx_.quote, 0, 0);
    } else if (kind == 'u' || kind == 'd' || kind == 'L' || kind == 'R' || kind == 'l' || kind == 'r') {
      const int offset = explicitRow ? RowOffset(r1) : line_;
      got = MacroGetFieldValue(env_, offset, &buf[0], size, c1, kind, &row, &col, ctx_.lineTable, 0, ctx_.quote,
                               rowStep, colStep);
    } else {
      const char type = kind == '%' || kind == '@' || std::strchr("TtEef", kind) ? kind : '@';
      got = MacroGetFieldValue(env_, line_, &buf[0], size, c1, type, &row, &col, ctx_.lineTable, 0, ctx_.quote, 0, 0);
      got = static_cast<int>(std::strlen(buf.c_str()));
    }
    if (got < size - 1 || buf.size() >= limit) break;
    buf.assign(buf.size() * 2 < limit ? buf.size() * 2 : limit, '\0');
  }
  value.assign(buf.data(), static_cast<size_t>(got < 0 ? 0 : got));
  ctx_.lastLength = static_cast<int>(value.size());
  if (quoteLetter) {
    std::string bare;
    for (char ch : value)
      if (ch != '"') bare += ch;
    value = quoteLetter == 'Q' ? '"' + bare + '"' : bare;
  }
  return value;
}

std::string Evaluator::Text(size_t p, size_t cap) {
  std::string out;
  auto put = [&](const std::string& s) {
    if (out.size() < cap) out.append(s, 0, cap - out.size());
  };
  bool pieceStart = true;
  p_ = p;
  while (p_ < w_.size() && out.size() < cap) {
    const char c = w_[p_];
    if (IsLead(c) && p_ + 1 < w_.size()) {
      put(w_.substr(p_, 2));
      p_ += 2;
      pieceStart = false;
      continue;
    }
    if (c == '+') {
      ++p_;
      pieceStart = true;
      continue;
    }
    if (c == '\\') {
      const char n = At(p_ + 1);
      if (n != '\0' && std::strchr("+%,()<>", n)) {
        put(std::string(1, n));
        p_ += 2;
      } else if (n == '&' && At(p_ + 2) == 'D') {
        put("\\&D");
        p_ += 3;
      } else {
        put("\\");
        ++p_;
      }
      pieceStart = false;
      continue;
    }
    if (c == '$' && At(p_ + 1) == '(') {
      // Copied as it stands, without the "$(" and its ')'.
      size_t i = p_ + 2;
      int depth = 0;
      for (; i < w_.size(); ++i) {
        if (IsLead(w_[i]) && i + 1 < w_.size()) {
          ++i;
          continue;
        }
        if (w_[i] == '\\' && (At(i + 1) == '(' || At(i + 1) == ')')) {
          ++i;
          continue;
        }
        if (w_[i] == '(') ++depth;
        if (w_[i] == ')' && depth-- == 0) break;
      }
      put(w_.substr(p_ + 2, (i < w_.size() ? i : w_.size()) - p_ - 2));
      p_ = i < w_.size() ? i + 1 : w_.size();
      pieceStart = false;
      continue;
    }
    if (c == '&' || c == kNCodeLead || (c == '@' && pieceStart)) {
      size_t end = ReferenceEnd(p_, true);
      if (At(end) == '#') {
        const size_t fend = FunctionEnd(end, true);
        put(Function(w_.substr(p_, fend - p_), ctx_.row, ctx_.column));
        end = fend;
      } else {
        put(Reference(w_.substr(p_, end - p_)));
      }
      p_ = end;
      pieceStart = false;
      continue;
    }
    if (c == '#') {
      const size_t end = FunctionEnd(p_, true);
      put(Function(w_.substr(p_, end - p_), ctx_.row, ctx_.column));
      p_ = end;
      pieceStart = false;
      continue;
    }
    put(std::string(1, c));
    ++p_;
    pieceStart = false;
  }
  return out;
}

bool ArithmeticStart(const std::string& w, size_t at) {
  if (at >= w.size() || w[at] != '#') return false;
  const size_t n = w.size();
  const char c = at + 1 < n ? w[at + 1] : '\0';
  if (c == '&' || c == kNCodeLead) return true;
  if (c == '(') {
    const unsigned char d = at + 2 < n ? static_cast<unsigned char>(w[at + 2]) : 0;
    return d < 'A' || (d >= '[' && d <= '`');
  }
  size_t i = at + 1;
  if (i < n && w[i] == '-') ++i;
  if (i >= n) return false;
  for (; i < n; ++i)
    if (!IsDigit(w[i])) return false;
  return true;
}

}  // namespace

int MacroEvalExpression(int lineOffset, char* out, int outSize, const CString& expr, char* kind,
                        std::int64_t* value, ExprContext* context) {
  char kindLocal = 0;
  std::int64_t valueLocal = 0;
  if (kind == nullptr) kind = &kindLocal;
  if (value == nullptr) value = &valueLocal;
  if (out && outSize > 0) out[0] = 0;
  *kind = 0;
  *value = 0;
  if (context == nullptr) return -1;
  context->scale = 0;
  if (context->env == nullptr || out == nullptr || outSize <= 0) return -1;
  const MacroEnv& env = *context->env;
  MacroState& st = env.state;
  // The expression is a C string: it ends at a NUL.
  std::string w = expr.GetString();
  // "&(#" and "@(#" become "&(+#" and "@(+#".
  if (w.size() >= 3 && (w[0] == '&' || w[0] == '@') && w[1] == '(' && w[2] == '#') w.insert(2, "+");
  if (w.empty()) return -1;
  if (w.size() >= static_cast<size_t>(kExprWorkBuffer)) {
    st.m_strMacroVars[kSlotLastResult] = "EROR";
    return -1;
  }
  DepthGuard guard(st);
  if (!guard.ok()) {
    Evaluator::StackOver(env);
    return -1;
  }
  ExprContext ctx = *context;
  size_t at = 0;
  if (w.size() > 1 && w[0] == '=' && (w[1] == '@' || w[1] == '&' || w[1] == '#')) at = 1;
  // "@n:" names the line the references read.
  if (at < w.size() && w[at] == '@' && at + 1 < w.size() && IsDigit(w[at + 1])) {
    size_t k = at + 1;
    while (k < w.size() && IsDigit(w[k])) ++k;
    if (k < w.size() && w[k] == ':') {
      int pos = static_cast<int>(at);
      char mark = '@';
      const std::string head = w.substr(0, k);
      long long line = MacroReadAddressNumber(env, head.c_str(), &pos, &mark, ctx.column, ctx.row, ctx.evalArg);
      if (line < 1) line = 1;
      ctx.row = static_cast<int>(line);
      if (env.table) lineOffset = LineOffsetFromTable(*env.table, static_cast<int>(line - 1), ctx.lineTable);
      at = k + 1;
    }
  }
  const size_t cap = static_cast<size_t>(outSize - 1);
  std::string result;
  if (ArithmeticStart(w, at)) {
    if (w[at + 1] != '(') {
      w[at] = '(';
      w += ')';
    } else {
      ++at;  // from the '('
    }
    Evaluator e(&ctx, lineOffset, w);
    const Num v = e.Arithmetic(at);
    if (!e.aborted()) {
      *kind = '#';
      *value = v.m;
      ctx.scale = v.s;
      result = FormatScaledNumber(v.m, v.s, 0).Str();
    }
  } else {
    Evaluator e(&ctx, lineOffset, w);
    result = e.Text(at, cap);
  }
  if (result.size() > cap) result.resize(cap);
  std::memcpy(out, result.data(), result.size());
  out[result.size()] = 0;
  context->scale = ctx.scale;
  context->rowStep = ctx.rowStep;
  context->colStep = ctx.colStep;
  context->hashPos = ctx.hashPos;
  context->lastLength = ctx.lastLength;
  return static_cast<int>(result.size());
}

}  // namespace macro
