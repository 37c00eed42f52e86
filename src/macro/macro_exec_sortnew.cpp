// The sort ("&Su", "&Sd"), new-row ("&N") and print ("&P") statements.
#include <algorithm>
#include <climits>
#include <string>

#include "core/pattern/pattern_cstring.h"
#include "csv/csv_index.h"
#include "csv/csv_linesort.h"
#include "csv/csv_rowinsert.h"
#include "csv/csv_table.h"
#include "macro/macro_codes.h"
#include "macro/macro_csvselect.h"
#include "macro/macro_exec_cells.h"
#include "macro/macro_exec_rows.h"
#include "macro/macro_exec_rows_internal.h"
#include "macro/macro_expr.h"
#include "macro/macro_number.h"
#include "macro/macro_run.h"
#include "macro/macro_run_errors.h"
#include "macro/macro_state.h"

namespace macro {
namespace {

constexpr int kPrintNumberCap = INT32_MAX / 100;
constexpr std::uint32_t kCsvTableKind = 33;
constexpr int kRowNoBase = 5000000;
constexpr int kSizeIndexMin = 1, kSizeIndexMax = 11;
constexpr int kPrintRequestPrint = 1, kPrintRequestPreview = 2;

// The common end of the sort and new-row statements: the table indexed
// again (a scan of its text).
Outcome IndexAgain(MacroRunContext& rc) {
  csv::Table& t = rc.table;
  std::uint32_t len = 0, cols = 0;
  csv::BuildCsvIndex(t, t.m_pTextBuf, t.UsedLength(), &len, &cols, csv::kCsvScanOnly, -1);
  return Outcome::kNext;
}

int ModeOfLetter(char c) {
  switch (c) {
    case '+': case 'e': return 1;
    case '-': case 't': return 2;
    case '<': case 'm': return 3;
    case 'd': return 4;
    case 'v': return 5;
    case 'f': return 6;
    default: return 0;
  }
}

}  // namespace

int MacroPrintNumbers(const std::string& text, std::int32_t* out, int count) {
  int read = 0;
  std::size_t i = 0;
  while (read < count && i < text.size()) {
    if (text[i] < '0' || text[i] > '9') {
      ++i;
      continue;
    }
    long long v = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
      v = std::min<long long>(v * 10 + (text[i] - '0'), kPrintNumberCap);
      ++i;
    }
    out[read++] = static_cast<std::int32_t>(v);
  }
  return read;
}

bool MacroPrintMarginWords(const std::string& operand, std::int32_t words[4]) {
  if (operand.empty()) return false;
  std::int32_t n[4] = {0, 0, 0, 0};
  MacroPrintNumbers(operand, n, 4);
  // The words are top, bottom, left, right; the operand gives left, top,
  // right, bottom.
  words[2] = n[0] * 100;
  words[0] = n[1] * 100;
  words[3] = n[2] * 100;
  words[1] = n[3] * 100;
  return true;
}

int MacroPrintFontIndex(const std::string& operand) {
  if (operand.empty()) return 0;
  std::int32_t n = 0;
  MacroPrintNumbers(operand, &n, 1);
  return std::clamp<int>(n, kSizeIndexMin, kSizeIndexMax);
}

NewRowArgs MacroNewRowArgs(const MacroEnv& env, const CString& command, int num1, int num2, int lastRow) {
  NewRowArgs a;
  const char L2 = LetterAt(command, 2), L3 = LetterAt(command, 3);
  a.mode = ModeOfLetter(L2) + (L3 == 'x' ? 10 : 0);
  a.row = num1;
  a.count = num2;
  const int at = pat::FindCharOutsideBrackets(command, '@', 0);
  if (at >= 0) {
    const CString rest = command.Mid(at + 1);
    int pos = 0;
    char mark = '@';
    a.row = MacroExpandPageCodes(env, rest, 0, &pos, &mark, 0, 0, 0);
    if (a.row > kRowNoBase) a.row = 0;
    a.count = MacroReadNumber(rest.Mid(std::clamp(pos, 0, rest.GetLength())), 0);
  }
  if ((L2 == 't' || L2 == 'e') && L3 == 'm') {
    const long long left = static_cast<long long>(a.count) - (static_cast<long long>(lastRow) + 1);
    a.nothing = left <= 0;
    a.count = static_cast<int>(std::clamp<long long>(left, 0, INT_MAX));
  }
  return a;
}

Outcome MacroExecSort(MacroRunContext& rc) {
  MacroState& st = rc.state;
  const char L2 = LetterAt(st.m_strStmtCommand, 2), L3 = LetterAt(st.m_strStmtCommand, 3);
  const std::int32_t* num = st.m_anStmtNumbers;
  const std::int32_t key = num[0] == INT32_MIN ? INT32_MAX : num[0];
  st.m_nMacroSortKey = L2 == 'd' ? -key : key;
  csv::LineSortRequest r;
  r.numeric = L3 == 'n';
  r.skipBracket = L3 == 'p';
  r.key = st.m_nMacroSortKey;
  r.block = num[1];
  r.firstRow = num[2];
  if (rc.host.SortTableLines(rc.table, r) == -1) return MacroRaiseRunError(&rc.host, RunError::kSilent);
  if (L3 == 's') {
    // The rows whose key cell differs from the row above are selected.
    st.m_strStmtCommand.Format("&%d!=&UC", num[0]);
    st.m_strStmtOperand = "&SL";
    MacroRunSelect(rc, st.m_strStmtCommand, st.m_strStmtOperand);
  }
  return IndexAgain(rc);
}

Outcome MacroExecNewRows(MacroRunContext& rc) {
  MacroState& st = rc.state;
  csv::Table& t = rc.table;
  const MacroEnv env(st, &rc.host, &t);
  const NewRowArgs a = MacroNewRowArgs(env, st.m_strStmtCommand, st.m_anStmtNumbers[0], st.m_anStmtNumbers[1],
                                       t.m_nLastRow);
  if (a.nothing) return IndexAgain(rc);  // the table holds that many rows already
  // The row insertion acts on a CSV table only; any other view is left as it is.
  if (*rc.view.fileKind != kCsvTableKind || *rc.view.sourceView != 0) return Outcome::kNext;
  RunOpHost ops(rc.host);
  const int number = MacroReadNumber(st.m_strStmtOperand, 7);
  auto value = [&st](int n) -> std::string {
    return n >= 0 && n < kVarSlots ? std::string(st.m_strMacroVars[n].Str()) : std::string();
  };
  const int last = csv::CsvRowInsertOrList(a.mode, t, a.row, a.count, st.m_strStmtOperand.Str(), number, value, &ops);
  if (last < 0) return MacroRaiseRunError(&rc.host, RunError::kSilent);
  t.m_nLastRow = last;
  return IndexAgain(rc);
}

Outcome MacroExecPrint(MacroRunContext& rc) {
  MacroState& st = rc.state;
  const char L2 = LetterAt(st.m_strStmtCommand, 2);
  const std::string operand = st.m_strStmtOperand.Str();
  if (L2 == 's') {
    std::int32_t words[4];
    if (MacroPrintMarginWords(operand, words))
      rc.host.SetPageMargins(words);
    else
      rc.host.InitPrintMargins();
    return Outcome::kNext;
  }
  if (L2 == 'f') {
    const int n = MacroPrintFontIndex(operand);
    if (n == 0) return Outcome::kNext;
    rc.docSettings.m_nTblsiz = n;
    rc.docSettings.m_nTxtsiz = n;
    rc.host.SetViewSizeIndexes(n, n);
    rc.host.RedisplayView();
    return Outcome::kNext;
  }
  // Print or preview: the view's update carries the request out.
  rc.docUpdate.m_nPrintRequest = L2 == 'v' ? kPrintRequestPreview : kPrintRequestPrint;
  rc.host.RedisplayView();
  return Outcome::kNext;
}

}  // namespace macro
