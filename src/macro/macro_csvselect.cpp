// The CSV condition statements: compile once, walk the rows, test each
// condition group on each row (strictly left to right, brackets on a
// stack), then keep, drop, mark, merge, count, check or assign, and put the
// result into the table only when every step succeeded.
#include "macro/macro_csvselect.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/pattern/pattern.h"
#include "csv/csv_checklist.h"
#include "csv/csv_opreport.h"
#include "csv/csv_pad.h"
#include "csv/csv_table.h"
#include "csv/csv_widths.h"
#include "fw/strtable.h"
#include "macro/macro_cmdfunc.h"
#include "macro/macro_csvselect_internal.h"
#include "macro/macro_host.h"
#include "macro/macro_lines.h"
#include "macro/macro_number.h"
#include "macro/macro_operand.h"
#include "macro/macro_state.h"

namespace macro {

namespace csvsel {

Row RowAt(const std::uint8_t* text, std::uint32_t len, std::uint32_t at) {
  std::uint32_t e = at;
  while (e < len && text[e] != '\r' && text[e] != '\n') ++e;
  std::uint32_t n = e;
  if (n < len) n += (text[n] == '\r' && n + 1 < len && text[n + 1] == '\n') ? 2 : 1;
  return {at, e, n};
}

Row RowWalker::Next(std::uint32_t at) {
  // The next LF by the library's fast search (kept while rows end before
  // it), then a CR before it: a lone CR ends a row too.
  if (!lfKnown_ || lf_ < at) {
    const void* lf = std::memchr(text_ + at, '\n', len_ - at);
    lf_ = lf ? static_cast<std::uint32_t>(static_cast<const std::uint8_t*>(lf) - text_) : len_;
    lfKnown_ = true;
  }
  const void* cr = std::memchr(text_ + at, '\r', lf_ - at);
  const std::uint32_t e = cr ? static_cast<std::uint32_t>(static_cast<const std::uint8_t*>(cr) - text_) : lf_;
  std::uint32_t n = e;
  if (n < len_) n += (text_[n] == '\r' && n + 1 < len_ && text_[n + 1] == '\n') ? 2 : 1;
  return {at, e, n};
}

bool CellOf(const std::uint8_t* text, const Row& row, int col, std::uint32_t* from, std::uint32_t* to) {
  if (col < 1) return false;
  // Cells are short: a plain loop beats a library search per cell.
  std::uint32_t p = row.start;
  for (int c = 1; c < col; ++c) {
    while (p < row.end && text[p] != kSep) ++p;
    if (p == row.end) return false;
    ++p;
  }
  std::uint32_t e = p;
  while (e < row.end && text[e] != kSep) ++e;
  *from = p;
  *to = e;
  return true;
}

int CellCount(const std::uint8_t* text, const Row& row) {
  int n = 1;
  for (std::uint32_t p = row.start; p < row.end; ++p) n += text[p] == kSep;
  return n;
}

}  // namespace csvsel

namespace {

using namespace csvsel;

// The change records of one call may carry the growth limit's bytes and
// the values of one row's actions more than the bytes they replace: past
// that the text would pass the growth limit anyway (unless records replace
// one cell again and again, which counts each value).
constexpr std::uint64_t kCondMaxActionsBytes = static_cast<std::uint64_t>(csv::kCondMaxActions) * kCondCellValueMax;

// Modes that build their output row by row.
bool BuildsRows(const csv::CompiledCondition& cc) {
  switch (cc.mode) {
    case csv::kCondSelect:
    case csv::kCondKill:
    case csv::kCondSelect2:
    case csv::kCondKill2:
    case csv::kCondMergeRows:
    case csv::kCondMergeCells:
      return true;
    default:
      return cc.mode == csv::kCondActions && cc.markKind != 0;
  }
}

// Rows outside the scanned range are written for these modes (and for
// the marks); "&SL" and "&SL2" leave them out.
bool KeepsOutsideRows(const csv::CompiledCondition& cc) { return cc.mode != csv::kCondSelect && cc.mode != csv::kCondSelect2; }

// Rows that keep their meaning to the index: block starts, markers, title
// marks, comments ('!') and page-break lines ('~'). They are never tested,
// dropped, merged or marked.
bool IsSpecialRow(const std::uint8_t* text, const Row& row) {
  return row.end > row.start && (text[row.start] == '!' || text[row.start] == '~');
}
// A '!' row outside the three kept classes restarts the hit count and the
// numbering.
bool RestartsCounts(const std::uint8_t* text, const Row& row) {
  if (row.end <= row.start || text[row.start] != '!') return false;
  const std::uint8_t n = row.end - row.start > 1 ? text[row.start + 1] : 0;
  return !(n == '!' || n == '#' || n == '*' || n == '$' || n == '%' || n == '\'');
}

// An operand whose value cannot depend on the row, the column or the
// variables: valued once for the whole call.
bool IsRowIndependent(const CString& text) {
  const char* s = text.GetString();
  for (int i = 0; i < text.GetLength(); ++i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c == '&' || c == '@' || c == 0x05) return false;
    if (c == '#' && i + 1 < text.GetLength()) {
      const unsigned char n = static_cast<unsigned char>(s[i + 1]);
      if ((n >= 'A' && n <= 'Z') || (n >= 'a' && n <= 'z') || n == '[' || n == ':') return false;
    }
  }
  return true;
}

// "&N" and nothing else.
int PlainColumn(const std::string& t) {
  if (t.size() < 2 || t[0] != '&' || t[1] < '1' || t[1] > '9') return 0;
  long n = 0;
  for (std::size_t i = 1; i < t.size(); ++i) {
    if (t[i] < '0' || t[i] > '9') return 0;
    n = n * 10 + (t[i] - '0');
    if (n > 9999) return 0;
  }
  return static_cast<int>(n);
}

// Splits "&c1-c2@r1-r2suffix" (also "_" open ends) into its parts; false
// when the text is not of that form.
bool SplitRangeAddress(const std::string& t, PieceRun& p) {
  if (t.size() < 2 || t[0] != '&') return false;
  std::size_t i = 1;
  auto digits = [&] {
    const std::size_t from = i;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i;
    return i > from;
  };
  const std::size_t colFrom = i;
  if (!digits()) return false;
  if (i < t.size() && (t[i] == '-' || t[i] == '_')) {
    p.columnRanged = true;
    ++i;
    digits();
  }
  p.addrColumnPart = t.substr(colFrom, i - colFrom);
  if (i < t.size() && t[i] == '@') {
    const std::size_t rowFrom = ++i;
    if (!digits()) return false;
    if (i < t.size() && (t[i] == '-' || t[i] == '_')) {
      p.rowRanged = true;
      ++i;
      digits();
    }
    p.addrRowPart = t.substr(rowFrom, i - rowFrom);
  }
  p.addrSuffix = t.substr(i);
  return true;
}

CString RangeAtCell(const PieceRun& p, int row, int col) {
  std::string s = "&" + (p.columnRanged ? std::to_string(col) : p.addrColumnPart);
  if (p.rowRanged) s += "@" + std::to_string(row);
  else if (!p.addrRowPart.empty()) s += "@" + p.addrRowPart;
  s += p.addrSuffix;
  return CString(s);
}

class Runner {
 public:
  Runner(Call& call) : c_(call) {}
  int Run();

 private:
  bool PreparePieces();
  void RowRange();
  bool TestPiece(std::size_t i, const Row& row, int rowNo, int col);
  bool GroupHolds(std::size_t from, std::size_t to, const Row& row, int rowNo, int col);
  int RunOnce();
  void WriteMark(const Row& row, bool matched, int number);
  bool WriteColumns();
  bool MergeOntoPrevious(const Row& row);
  bool MergeCells(const Row& row);
  bool Install(csv::OutWriter& out);
  int OutputTooLarge(std::uint64_t length);
  int TooMuchGrowth();
  int Failure(int code);

  Call& c_;
  csv::CompiledCondition& cc_ = c_.cc;
  int first_ = 1, last_ = 0;           // scanned rows (1-based, inclusive)
  std::uint32_t copyBefore_ = 0;       // rows above the title line copied as they are
  int colFrom_ = 1, colTo_ = 1;        // test positions of a row
  int mergeColumn_ = 1;
  std::vector<std::uint8_t> flags_;    // column flags of the column modes
  std::uint64_t jmax_ = 0;
  int maxMergedColumns_ = 0;
  csv::OutWriter out_;
  std::uint32_t lastOutRow_ = 0;       // where the last written row starts in out_
  bool lastOutSpecial_ = true;         // no row written yet, or a special row
};

bool Runner::PreparePieces() {
  for (const csv::CondPiece& piece : cc_.pieces) {
    PieceRun p;
    p.piece = &piece;
    p.op.first = piece.op1;
    p.op.second = piece.op2;
    p.op.pattern = piece.pattern.get();
    const std::string& addr = piece.hasOperator ? piece.left : piece.text;
    int rs = 0, cs = 0, hp = 0;
    MacroEvalOperand(c_.env, addr.c_str(), &p.c1, &p.c2, &p.r1, &p.r2, &p.kind, 0, 0, &rs, &cs, &hp, 0);
    p.always = p.kind == kPieceKindAlways || piece.assignTarget;
    p.left = CString(piece.left);
    p.right = CString(piece.right);
    if (!p.always) {
      if (p.kind == '@' && piece.hasOperator) p.fieldColumn = PlainColumn(piece.left);
      if (p.kind == '%' && piece.hasOperator) p.rangeRewrite = SplitRangeAddress(piece.left, p);
      if (p.op.first != ':' && IsRowIndependent(p.right)) {
        p.rightConstant = true;
        c_.ctx.row = 0;
        c_.ctx.column = 0;
        p.rightValue = EvaluatePieceOperand(c_.ctx, 0, p.right);
      }
    }
    c_.pieces.push_back(std::move(p));
  }
  return true;
}

void Runner::RowRange() {
  const PieceRun& head = c_.pieces.front();
  int r1 = head.r1, r2 = head.r2;
  for (const PieceRun& p : c_.pieces) {
    if ((p.kind == '@' || p.kind == '%') && p.r2 > p.r1) {
      if (p.r1 != 0) r1 = std::min(r1 == 0 ? p.r1 : r1, p.r1);
      r2 = std::max(r2, p.r2);
    }
  }
  const int rows = c_.lastRow + 1;
  if (head.kind == 'D' || (r1 == 0 && r2 == 0)) r1 = 1, r2 = rows;
  if (r1 < 1) r1 = 1;
  if (r2 > rows || r2 < 1) r2 = rows;
  const std::uint32_t cur = c_.scope.table.m_nCurLine;
  // A column without a row ("&5") reads every row from the title line on;
  // operands with their own rows, variables and field parts do not.
  const bool columnOnly = head.kind == '@' && head.r1 == 0 && head.r2 == 0;
  if (cur > 1 && (columnOnly || !std::strchr("D@%tTeEf", head.kind ? head.kind : 'D'))) {
    copyBefore_ = cur - 1;
    if (r1 < static_cast<int>(cur)) r1 = static_cast<int>(cur);
  }
  first_ = r1;
  last_ = r2;
  // The positions of a row: the columns of a ranged first operand.
  if (head.kind == '%' && (head.c2 != head.c1)) {
    colFrom_ = std::max(1, head.c1);
    colTo_ = std::min(head.c2, csv::kCondMaxColumns);
  } else {
    colFrom_ = colTo_ = head.c1 >= 1 && head.c1 <= 9999 ? head.c1 : 1;
  }
}

bool Runner::TestPiece(std::size_t i, const Row& row, int rowNo, int col) {
  PieceRun& p = c_.pieces[i];
  if (p.always) return true;
  c_.ctx.row = rowNo;
  c_.ctx.column = col;
  PieceOperand left;
  if (p.fieldColumn > 0) {
    std::uint32_t from = 0, to = 0;
    if (CellOf(c_.text, row, p.fieldColumn, &from, &to) && to > from) {
      // The cell as the evaluator gives it: its bytes, cut at its buffer.
      left.text.assign(reinterpret_cast<const char*>(c_.text) + from,
                       std::min<std::uint32_t>(to - from, kExprWorkBuffer));
    } else {
      left.number = true;  // an empty value is the number 0
    }
  } else {
    left = EvaluatePieceOperand(c_.ctx, static_cast<int>(row.start),
                                p.rangeRewrite ? RangeAtCell(p, rowNo, col) : p.left);
  }
  if (p.rightConstant) return ComparePieceOperands(p.op, left, p.rightValue) > 0;
  c_.ctx.row = rowNo;
  c_.ctx.column = col;
  const PieceOperand right = EvaluatePieceOperand(c_.ctx, static_cast<int>(row.start), p.right);
  return ComparePieceOperands(p.op, left, right) > 0;
}

// Folds pieces [from, to) strictly from left to right; a '(' pushes the
// running value with its joiner, a ')' folds the top entry back in.
bool Runner::GroupHolds(std::size_t from, std::size_t to, const Row& row, int rowNo, int col) {
  struct Entry {
    int joiner;
    bool value;
  };
  Entry stack[csv::kCondStackDepth];
  int depth = 0;
  bool run = false;
  auto pop = [&] {
    const Entry e = stack[--depth];
    run = e.joiner == csv::kJoinAnd ? (e.value && run) : (e.value || run);
  };
  for (std::size_t i = from; i < to; ++i) {
    const csv::CondPiece& p = cc_.pieces[i];
    if (i > from)
      for (int k = 0; k < p.closeBefore && depth > 0; ++k) pop();
    const bool res = TestPiece(i, row, rowNo, col);
    if (p.open > 0) {
      stack[depth++] = {p.joiner, run};
      for (int k = 1; k < p.open; ++k) stack[depth++] = {csv::kJoinOr, false};
      run = res;
    } else if (p.joiner == csv::kJoinAnd) {
      run = run && res;
    } else {
      run = run || res;
    }
  }
  while (depth > 0) pop();
  return run;
}

// A condition over variables only is tested once.
int Runner::RunOnce() {
  const Row none{0, 0, 0};
  bool holds = false;
  for (std::size_t g = 0; g < cc_.groupStarts.size(); ++g) {
    const std::size_t from = static_cast<std::size_t>(cc_.groupStarts[g]);
    const std::size_t to = g + 1 < cc_.groupStarts.size() ? static_cast<std::size_t>(cc_.groupStarts[g + 1]) : cc_.pieces.size();
    if (!GroupHolds(from, to, none, 0, 0)) continue;
    holds = true;
    // Cell targets have no row here: their records are never applied.
    if (!cc_.findForm) RunActions(c_, none, 0, 0);
  }
  return holds ? 1 : 0;
}

void Runner::WriteMark(const Row& row, bool matched, int number) {
  if (IsSpecialRow(c_.text, row)) return;
  const int kind = cc_.markKind;
  const bool wide = kind == 2 || kind == 4 || kind == 5;
  char mark[16];
  if (!matched) std::snprintf(mark, sizeof mark, "%s", wide ? "      " : " ");
  else if (kind == 1 || kind == 6) std::snprintf(mark, sizeof mark, "1");
  else if (kind == 3) std::snprintf(mark, sizeof mark, "0");
  else std::snprintf(mark, sizeof mark, "%6d", number);
  out_.PutByte('"');
  out_.Put(mark, std::strlen(mark));
  out_.PutByte('"');
  out_.PutByte(kSep);
}

bool Runner::MergeOntoPrevious(const Row& row) {
  if (lastOutSpecial_ || out_.Length() == 0) return false;
  // The previous row loses its line end.
  while (out_.Length() > lastOutRow_ && (out_.LastByte() == '\n' || out_.LastByte() == '\r')) out_.Drop(1);
  if (!cc_.mergeHasPlus) out_.PutByte(kSep);
  else if (!cc_.mergeJoiner.empty()) out_.Put(cc_.mergeJoiner);
  std::uint32_t from = 0, to = 0;
  if (CellOf(c_.text, row, mergeColumn_, &from, &to)) out_.Put(c_.text + from, row.end - from);
  out_.Put(c_.text + row.end, row.next - row.end);
  int cells = 1;
  const std::uint8_t* d = out_.Data();
  for (std::uint32_t p = lastOutRow_; p < out_.Length(); ++p) cells += d[p] == kSep;
  maxMergedColumns_ = std::max(maxMergedColumns_, cells);
  return true;
}

bool Runner::MergeCells(const Row& row) {
  std::uint32_t a0 = 0, a1 = 0, b0 = 0, b1 = 0;
  if (!CellOf(c_.text, row, mergeColumn_, &a0, &a1) || !CellOf(c_.text, row, mergeColumn_ + 1, &b0, &b1)) return false;
  const char opt = cc_.mergeOption;
  const char joiner = opt == 'c' ? ',' : opt == 'k' ? '\xA4' : opt == 'm' ? ';' : opt == 's' ? ' ' : 0;
  out_.Put(c_.text + row.start, a0 - row.start);
  if (opt == 'c') out_.PutByte('"');
  out_.Put(c_.text + a0, a1 - a0);
  if (joiner) out_.PutByte(static_cast<std::uint8_t>(joiner));
  out_.Put(c_.text + b0, b1 - b0);
  if (opt == 'c') out_.PutByte('"');
  out_.Put(c_.text + b1, row.next - b1);
  return true;
}

// The column modes: every row field by field, the flagged columns kept.
bool Runner::WriteColumns() {
  const bool keepPast = cc_.mode == csv::kCondKillCols || cc_.mode == csv::kCondKillCols1;
  int kept = 0;
  RowWalker rows(c_.text, c_.len);
  for (std::uint32_t p = 0; p < c_.len;) {
    const Row row = rows.Next(p);
    p = row.next;
    if (IsSpecialRow(c_.text, row)) {
      out_.Put(c_.text + row.start, row.next - row.start);
      continue;
    }
    const std::uint32_t rowOut = out_.Length();
    std::uint32_t f = row.start;
    for (int col = 1;; ++col) {
      const void* sep = std::memchr(c_.text + f, kSep, row.end - f);
      const std::uint32_t e = sep ? static_cast<std::uint32_t>(static_cast<const std::uint8_t*>(sep) - c_.text) : row.end;
      const bool keep = col <= csv::kCondMaxColumns ? flags_[static_cast<std::size_t>(col)] != 0 : keepPast;
      if (keep) {
        out_.Put(c_.text + f, e - f);
        out_.PutByte(kSep);
        ++kept;
      }
      if (!sep) break;
      f = e + 1;
    }
    if (out_.Length() > rowOut && out_.LastByte() == kSep) out_.Drop(1);
    out_.Put(c_.text + row.end, row.next - row.end);
    if (out_.Failed()) return false;
  }
  c_.failure = kept;
  return true;
}

int Runner::Failure(int code) {
  MacroHost* host = c_.scope.host;
  const csv::Table& t = c_.scope.table;
  CString text;
  if (code == kCondNoOutput)
    text.Format("  (jmax = %llu, csvline = %d, ifendview = %u)", static_cast<unsigned long long>(jmax_), t.m_nLastRow,
                t.m_nTextLen);
  else if (code == kCondNoCells)
    text.Format("  (amax = %llu, csvline = %d, csvraw = %u)",
                static_cast<unsigned long long>((static_cast<std::uint64_t>(t.m_nFieldCount) + 2) *
                                                    (static_cast<std::uint64_t>(t.m_nLastRow + 1) + 2) * 3 + 10000),
                t.m_nLastRow, t.m_nFieldCount);
  if (host) host->ReportMessage(code, text);
  return 0;
}

int Runner::OutputTooLarge(std::uint64_t length) {
  CString text;
  text.Format("#%s\ncommand line : %d\nreplace %llu / max %llu", "Over alternate data size limit",
              c_.scope.state.m_nCmdLineNo, static_cast<unsigned long long>(length),
              static_cast<unsigned long long>(jmax_));
  c_.scope.state.m_strLastResult() = text;
  return -1;
}

// String 347 and -1: the changes were abandoned for their size.
int Runner::TooMuchGrowth() {
  CString text;
  if (!text.LoadFromTable(kStrTooManyReplacements)) text.Format("String %u", kStrTooManyReplacements);
  if (c_.scope.host) c_.scope.host->ShowMessageBox(text);
  return -1;
}

bool Runner::Install(csv::OutWriter& out) {
  csv::Table& t = c_.scope.table;
  const std::uint32_t title = t.m_nCurLine;
  if (!out.InstallInto(t, 10000)) {
    Failure(kCondNoInstall);
    return false;
  }
  t.Rescan();
  t.m_nCurLine = title;
  if (cc_.mode == csv::kCondMergeRows && maxMergedColumns_ > static_cast<int>(t.m_nFieldCount)) {
    int count = maxMergedColumns_;
    if (count > kCondMergeColumnsMax) {
      count = kCondMergeColumnsMax;
      if (c_.scope.host) c_.scope.host->ShowMessageBox("Too many columns added");
    }
    struct Host : csv::OpHost {
      MacroHost* host;
      int ReportMessage(int code, const CString& text) override { return host ? host->ReportMessage(code, text) : 0; }
    } opHost;
    opHost.host = c_.scope.host;
    csv::CsvPadShortRows(t, "NULL", count, 0, &opHost);
    t.m_nCurLine = title;
  }
  return true;
}

int Runner::Run() {
  const csv::Table& table = c_.scope.table;
  c_.text = table.m_pTextBuf;
  c_.len = table.m_pTextBuf ? table.UsedLength() : 0;
  c_.lastRow = table.m_nLastRow;
  MacroState& st = c_.scope.state;

  if (cc_.mode == csv::kCondCount)
    for (int s = kSlotCheckFirst; s <= kSlotCheckCount; ++s) st.m_strMacroVars[s].Empty();
  if (cc_.mode == csv::kCondMergeRows || cc_.mode == csv::kCondMergeCells) {
    mergeColumn_ = MacroReadNumber(CString(cc_.mergeColumnText), 7);
    if (mergeColumn_ < 1) mergeColumn_ = 1;
  }
  PreparePieces();
  if (cc_.mode == csv::kCondActions && cc_.markKind == 0 && !cc_.findForm && !PrepareActions(c_)) return 0;

  bool variablesOnly = true;
  for (const PieceRun& p : c_.pieces) variablesOnly = variablesOnly && p.kind == 'D';
  if (variablesOnly && (cc_.findForm || (cc_.mode == csv::kCondActions && cc_.markKind == 0))) return RunOnce();
  if (!c_.text || c_.lastRow < 0) return 0;
  RowRange();

  // Widths first when a value pads to its column's width.
  if (cc_.mode == csv::kCondActions && c_.scope.columnPos) {
    bool fill = false, align = false;
    for (const ActionRun& a : c_.actions) {
      for (const char* code : {"#FL", "#FR", "#RA", "#LA", "#MA"}) {
        for (std::size_t at = a.value.find(code); at != std::string::npos; at = a.value.find(code, at + 3)) {
          const std::size_t d = at + 3;
          const bool noWidth = d >= a.value.size() || a.value[d] < '0' || a.value[d] > '9' ||
                               a.value.compare(d, 3, "999") == 0;
          if (!noWidth) continue;
          (code[1] == 'F' ? fill : align) = true;
        }
      }
    }
    if (fill || align)
      csv::ComputeColumnWidths(table, c_.scope.titleLine, c_.scope.columnPos, c_.scope.columnPosSlots, colFrom_,
                               colTo_, first_, last_, fill ? csv::kWidthTrimBlanks : csv::kWidthFromTitle);
  }

  // Output sizes.
  const std::uint64_t rows = static_cast<std::uint64_t>(c_.lastRow) + 1;
  const bool wideMark = cc_.markKind == 2 || cc_.markKind == 4 || cc_.markKind == 5;
  if (cc_.markKind != 0 || (cc_.mode >= 1 && cc_.mode <= 5) || cc_.mode >= 10)
    jmax_ = (wideMark ? 9 : 7) * rows + c_.len + 99999;
  else
    jmax_ = 2ull * c_.len + 1000000;
  const bool buildsRows = BuildsRows(cc_);
  const bool columnMode = cc_.mode >= csv::kCondSelectCols && cc_.mode <= csv::kCondKillCols1;
  if ((buildsRows || columnMode) && !out_.Reserve(std::min<std::uint64_t>(jmax_, c_.len + 4096ull)))
    return Failure(kCondNoOutput);
  if (cc_.mode == csv::kCondActions && !c_.actions.empty() &&
      !c_.changes.Open(std::min<std::uint64_t>(rows * c_.actions.size(), 1u << 16),
                       static_cast<std::uint64_t>(kCondGrowthLimit) + kCondMaxActionsBytes))
    return Failure(kCondNoCells);
  if (columnMode) {
    const bool on = cc_.mode == csv::kCondKillCols || cc_.mode == csv::kCondKillCols1;
    flags_.assign(csv::kCondMaxColumns + 1, on ? 1 : 0);
    if (cc_.mode == csv::kCondSelectCols1 || cc_.mode == csv::kCondKillCols1) flags_[1] = 1;
  }
  csv::CheckList* list = c_.scope.checkList;
  if (cc_.mode == csv::kCondCheckLines && list) {
    if (!list->Reset(static_cast<std::uint32_t>(std::min<std::uint64_t>(rows + 100, 0x3FFFFFFFull))))
      return Failure(kCondNoCells);
    // A new list: the next free entry is entry 1 (a position left by an
    // earlier, longer list would count its zeroed entries).
    list->m_nEntryListPos = 1;
  }

  int hits = 0;        // matches, once per row and group
  int blockHits = 0;   // hit count of the block (marks)
  int blockRows = 0;   // numbering of the block (marks)
  int lastMatch = 0;
  bool prevMatched = true, prevCopied = false;  // the row before, for "&SL2" / "&KL2"
  std::uint32_t prevOut = 0;
  Row prevRow;
  bool havePrev = false;
  const std::size_t groups = cc_.groupStarts.size();
  int rowNo = 0;
  RowWalker walker(c_.text, c_.len);
  for (std::uint32_t p = 0; p < c_.len;) {
    const Row row = walker.Next(p);
    p = row.next;
    ++rowNo;
    const bool special = IsSpecialRow(c_.text, row);
    if (special && RestartsCounts(c_.text, row)) blockHits = blockRows = 0;
    const bool inRange = rowNo >= first_ && rowNo <= last_ && !special;
    const std::uint32_t rowOut = out_.Length();
    if (!inRange) {
      const bool above = static_cast<std::uint32_t>(rowNo) <= copyBefore_;
      if (buildsRows && (special || above || KeepsOutsideRows(cc_))) {
        if (cc_.markKind != 0 && !above) WriteMark(row, false, 0);
        out_.Put(c_.text + row.start, row.next - row.start);
        lastOutRow_ = rowOut;
        lastOutSpecial_ = special;
      }
      prevMatched = true;
      prevCopied = false;
      havePrev = false;
      if (out_.Failed()) return Failure(kCondNoOutput);
      continue;
    }
    for (int s = kSlotRowScratchFirst; s <= kSlotRowScratchLast; ++s)
      if (!st.m_strMacroVars[s].IsEmpty()) st.m_strMacroVars[s].Empty();
    int rowHits = 0;
    ++blockRows;
    for (int col = colFrom_; col <= colTo_; ++col) {
      for (std::size_t g = 0; g < groups; ++g) {
        const std::size_t from = static_cast<std::size_t>(cc_.groupStarts[g]);
        const std::size_t to = g + 1 < groups ? static_cast<std::size_t>(cc_.groupStarts[g + 1]) : cc_.pieces.size();
        if (!GroupHolds(from, to, row, rowNo, col)) continue;
        ++hits;
        ++rowHits;
        ++blockHits;
        if (cc_.findForm) {
          st.m_strMacroVars[kSlotVarI].Format("%d", col);
          st.m_strMacroVars[kSlotVarJ].Format("%d", rowNo);
          return 1;
        }
        switch (cc_.mode) {
          case csv::kCondCount:
            if (hits == 1) st.m_strMacroVars[kSlotCheckFirst].Format("%d", rowNo);
            lastMatch = rowNo;
            break;
          case csv::kCondCheckLines:
            if (list) {
              list->Set(static_cast<std::uint32_t>(hits), static_cast<std::uint32_t>(rowNo));
              list->m_nEntryListMode = 1;
              if (list->m_nEntryListPos < static_cast<std::uint32_t>(hits) + 1)
                list->m_nEntryListPos = static_cast<std::uint32_t>(hits) + 1;
            }
            break;
          case csv::kCondSelectCols:
          case csv::kCondSelectCols1:
            if (col <= csv::kCondMaxColumns) flags_[static_cast<std::size_t>(col)] = 1;
            break;
          case csv::kCondKillCols:
          case csv::kCondKillCols1:
            if (col <= csv::kCondMaxColumns && !(cc_.mode == csv::kCondKillCols1 && col == 1))
              flags_[static_cast<std::size_t>(col)] = 0;
            break;
          case csv::kCondActions:
            if (cc_.markKind == 0 && !RunActions(c_, row, rowNo, col))
              return c_.overLimit ? TooMuchGrowth() : Failure(kCondNoCells);
            break;
          default:
            break;
        }
      }
    }
    const bool matched = rowHits > 0;
    bool merged = false;
    switch (cc_.markKind != 0 ? -1 : cc_.mode) {
      case -1:
        WriteMark(row, matched, cc_.markKind == 2 ? blockRows : blockHits);
        out_.Put(c_.text + row.start, row.next - row.start);
        break;
      case csv::kCondSelect:
        if (matched) out_.Put(c_.text + row.start, row.next - row.start);
        break;
      case csv::kCondKill:
        if (!matched) out_.Put(c_.text + row.start, row.next - row.start);
        break;
      case csv::kCondSelect2:
        if (matched && !prevMatched && havePrev) out_.Put(c_.text + prevRow.start, prevRow.next - prevRow.start);
        if (matched) out_.Put(c_.text + row.start, row.next - row.start);
        break;
      case csv::kCondKill2:
        if (matched && !prevMatched && prevCopied) out_.Drop(out_.Length() - prevOut);
        if (!matched) out_.Put(c_.text + row.start, row.next - row.start);
        break;
      case csv::kCondMergeRows:
        merged = matched && MergeOntoPrevious(row);
        if (!merged) out_.Put(c_.text + row.start, row.next - row.start);
        break;
      case csv::kCondMergeCells:
        if (!matched || !MergeCells(row)) out_.Put(c_.text + row.start, row.next - row.start);
        break;
      default:
        break;
    }
    if (out_.Failed()) return Failure(kCondNoOutput);
    if (out_.Length() > jmax_) return OutputTooLarge(out_.Length());
    if (buildsRows && out_.Length() > rowOut && !merged) {
      lastOutRow_ = rowOut;
      lastOutSpecial_ = false;
    }
    prevCopied = out_.Length() > rowOut && !matched;
    prevOut = rowOut;
    prevMatched = matched;
    prevRow = row;
    havePrev = true;
  }

  if (cc_.findForm) return 0;
  if (cc_.mode == csv::kCondCount) {
    st.m_strMacroVars[kSlotCheckLast].Format("%d", lastMatch);
    st.m_strMacroVars[kSlotCheckCount].Format("%d", hits);
    if (hits == 0) st.m_strMacroVars[kSlotCheckLast].Empty();
    return hits;
  }
  if (cc_.mode == csv::kCondCheckLines) return hits;
  if (columnMode) {
    if (!WriteColumns()) return Failure(kCondNoOutput);
    if (out_.Length() > jmax_) return OutputTooLarge(out_.Length());
    const int kept = c_.failure;
    if (!Install(out_)) return 0;
    return kept;
  }
  if (cc_.mode == csv::kCondActions && cc_.markKind == 0) {
    if (c_.changes.Size() == 0) {
      c_.scope.table.m_bScanDone = 2;
      return hits;
    }
    csv::OutWriter applied;
    bool tooLarge = false;
    if (!applied.Reserve(static_cast<std::uint64_t>(c_.len) + 4096) || !ApplyChanges(c_, applied, &tooLarge)) {
      return tooLarge ? TooMuchGrowth() : Failure(kCondNoOutput);
    }
    if (!Install(applied)) return 0;
    return hits;
  }
  if (!Install(out_)) return 0;
  return hits;
}

}  // namespace

int MacroCsvSelectCommands(CsvSelectScope& scope, CString command, CString operand, int fromExport) {
  (void)fromExport;
  MacroEnv env{scope.state, scope.host, &scope.table, &scope.state.m_lineIndex, scope.functions};
  Call call(scope, env);
  call.ctx.env = &call.env;
  call.cc = csv::CompileCondition(command.Str(), operand.Str());
  switch (call.cc.status) {
    case csv::kCondNothing:
    case csv::kCondEmpty:
      return 0;
    case csv::kCondBareWord:
    case csv::kCondTooDeep:
      if (scope.host) scope.host->ReportMessage(2, "Macro eror : " + command);
      return 0;
    default:
      break;
  }
  if (call.cc.tooManyPieces && scope.host) scope.host->ShowMessageBox(csv::kCondTooManyPiecesText);
  if (call.cc.tooManyActions) scope.state.m_strLastResult().Format(csv::kCondTooManyActionsFormat, scope.state.m_nCmdLineNo);
  if (scope.table.m_pTextBuf) call.ctx.lineTable = MacroTableLineIndex(call.env.lines, scope.table);
  call.titleLine = scope.table.m_nCurLine ? scope.table.m_nCurLine : 1;
  Runner runner(call);
  return runner.Run();
}

}  // namespace macro
