#include "macro/macro_countsum.h"

#include <string>

#include "core/docdata/doc_fields.h"
#include "core/docdata/update_code.h"
#include "core/pattern/pattern.h"
#include "csv/csv_columns.h"
#include "csv/csv_crosstab.h"
#include "csv/csv_linesort.h"
#include "csv/csv_opreport.h"
#include "csv/csv_table.h"
#include "csv/csv_totals.h"
#include "macro/macro_csvselect.h"
#include "macro/macro_exec_cells.h"
#include "macro/macro_number.h"
#include "macro/macro_run.h"
#include "macro/macro_run_errors.h"
#include "macro/macro_run_host.h"
#include "macro/macro_state.h"

namespace macro {

namespace {

constexpr std::uint32_t kColumnLimit = 9000;
constexpr std::uint32_t kRowMargin = 4096;
constexpr int kLoadStateOwnUpdate = 99;  // the view's own update of its table  // spare bytes when the empty second row is added

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

class RunOpHost final : public csv::OpHost {
 public:
  explicit RunOpHost(MacroHost& host) : host_(host) {}
  int ReportMessage(int code, const CString& text) override { return host_.ReportMessage(code, text); }

 private:
  MacroHost& host_;
};

}  // namespace

void ReadCountExtraNumbers(const CString& command, CountNumbers* n) {
  if (n->num4 <= 0) return;
  const std::string s = command.Str();
  const std::size_t colon = s.size() > 1 ? s.find(':', 1) : std::string::npos;
  if (colon == std::string::npos) return;
  const std::size_t comma = s.find(',', colon + 1);
  if (comma == std::string::npos) return;
  const int v5 = MacroReadNumber(CString(s.substr(comma + 1).c_str()), 0);
  if (v5 > 0) n->num5 = v5;
  const std::size_t comma2 = s.find(',', comma + 1);
  if (comma2 == std::string::npos) return;
  const int v6 = MacroReadNumber(CString(s.substr(comma2 + 1).c_str()), 0);
  if (v6 > 0) n->num6 = v6;
}

CountOperandVerdict ReadCountOperand(CString* operand, unsigned char* letter2, CountNumbers* n) {
  operand->Replace(';', ',');
  std::string op = operand->Str();
  const int e = pat::FindCharOutsideBrackets(op, '=', 0);
  const std::size_t lastComma = op.rfind(',');
  const int c = lastComma == std::string::npos ? -1 : static_cast<int>(lastComma);
  if (op.empty() || (e <= 0 && n->num4 <= 0 && c <= 0)) return CountOperandVerdict::kRead;
  const bool hasEquals = op.find('=') != std::string::npos;
  if (op[0] == '&' || IsDigit(op[0])) {
    if (!hasEquals || e < 0) return CountOperandVerdict::kRead;
    // The runs before e, each ending at '|', ',' or e.
    int* slots[3] = {&n->a1, &n->a2, &n->a3};
    std::size_t start = 0;
    for (int k = 0; k < 3; ++k) {
      std::size_t stop = start;
      while (stop < static_cast<std::size_t>(e) && op[stop] != '|' && op[stop] != ',') ++stop;
      *slots[k] = MacroReadNumber(CString(op.substr(start, stop - start).c_str()), 0);
      if (stop >= static_cast<std::size_t>(e)) break;
      start = stop + 1;
    }
    *operand = CString(op.substr(static_cast<std::size_t>(e) + 1).c_str());
    if (*letter2 == 'n' && n->num4 == 0) n->num4 = n->a1;
    return CountOperandVerdict::kRead;
  }
  if (*letter2 == 's' || !hasEquals) return CountOperandVerdict::kNeedsAddress;
  if (n->num3 != 0) {
    n->a1 = n->num3;
    n->num3 = 0;
  } else if (n->num2 != 0) {
    n->a1 = n->num2;
    n->num2 = 0;
  }
  op[op.find('=')] = ':';
  *operand = CString(op.c_str());
  if (n->num4 > 0) *letter2 = 's';
  else n->num4 = n->a1;
  return CountOperandVerdict::kRead;
}

CString CountParameterText(const CountNumbers& n, const CString& operand) {
  const bool y6 = n.num6 > 0, y5 = n.num5 > 0, y4 = n.num4 > 0, y3 = n.num3 > 0, y2 = n.num2 > 0;
  CString p;
  if (y6) {
    if (y3) p.Format("%d,%d,%d,%d,%d,%d,%d", n.num1, n.num1, n.num2, n.num3, n.num4, n.num5, n.num6);
    else if (y2) p.Format("%d,%d,%d,%d,%d,%d", n.num1, n.num1, n.num2, n.num4, n.num5, n.num6);
    else p.Format("%d,%d,%d,%d", n.num1, n.num4, n.num5, n.num6);
  } else if (y5) {
    if (y3) p.Format("%d,%d,%d,%d,%d,%d", n.num1, n.num1, n.num2, n.num3, n.num4, n.num5);
    else if (y2) p.Format("%d,%d,%d,%d,%d", n.num1, n.num1, n.num2, n.num4, n.num5);
    else p.Format("%d,%d,%d", n.num1, n.num4, n.num5);
  } else if (y4) {
    if (y3) p.Format("%d,%d,%d,%d,%d", n.num1, n.num1, n.num2, n.num3, n.num4);
    else if (y2) p.Format("%d,%d,%d,%d", n.num1, n.num1, n.num2, n.num4);
    else p.Format("%d,%d", n.num1, n.num4);
  } else {
    if (y3) p.Format("%d,%d,%d,%d", n.num1, n.num1, n.num2, n.num3);
    else if (y2) p.Format("%d,%d,%d", n.num1, n.num1, n.num2);
    else p.Format("%d", n.num1);
  }
  CString add;
  if (n.a1 > 0) {
    add.Format(",%d", n.a1);
    p += add;
    if (n.a2 > 0) {
      add.Format(",%d", n.a2);
      p += add;
      if (n.a3 > 0) {
        add.Format(",%d", n.a3);
        p += add;
      }
    }
  }
  if (!operand.IsEmpty() && n.a1 <= 0) {
    p += ",";
    p += operand;
  } else {
    p += ",*";
  }
  return p;
}

CrossValues CountCrossValues(const CountNumbers& n, unsigned char letter2, unsigned char letter3) {
  CrossValues v;
  v.rowMode = n.num3 > 0 ? 3 : n.num2 > 0 ? 2 : 1;
  if ((letter2 == 'n' || letter2 == 's') && letter3 == 'x' && v.rowMode >= 2) v.rowMode += 10;
  v.columnMode = n.num4 <= 0 ? 0 : n.a3 > 0 ? 3 : n.a2 > 0 ? 2 : 1;
  v.countFlag = letter2 == 'n' ? 1 : 0;
  v.valueMode = n.num6 > 0 ? 3 : n.num5 > 0 ? 2 : letter3 == 'd' ? 1 : 0;
  return v;
}

namespace {

// The table gets an empty second row (CR LF and m_nFieldCount separators),
// the buffer grown first. False when it cannot grow.
bool AddEmptySecondRow(csv::Table& t) {
  const std::uint32_t len = t.UsedLength();
  if (t.m_pTextBuf == nullptr || len != t.m_nTextLen || t.m_pTextBuf[len] != 0) return true;
  const std::uint64_t need = static_cast<std::uint64_t>(len) + 2 + t.m_nFieldCount + 1;
  if (need > t.m_nWorkSize && !t.Reserve(need + kRowMargin)) return false;
  std::uint8_t* p = t.m_pTextBuf + len;
  *p++ = '\r';
  *p++ = '\n';
  for (std::uint32_t k = 0; k < t.m_nFieldCount; ++k) *p++ = 0x06;
  *p = 0;
  t.m_nTextLen = len + 2 + t.m_nFieldCount;
  t.m_nLastRow = 1;
  return true;
}

}  // namespace

Outcome MacroExecCountSum(MacroRunContext& rc) {
  MacroState& st = rc.state;
  csv::Table& t = rc.table;
  const std::string cmd = st.m_strStmtCommand.Str();
  const std::size_t at = cmd.find('C');
  unsigned char letter2 = at != std::string::npos && at + 1 < cmd.size() ? cmd[at + 1] : 0;
  const unsigned char letter3 = at != std::string::npos && at + 2 < cmd.size() ? cmd[at + 2] : 0;
  CountNumbers n;
  n.num1 = st.m_anStmtNumbers[0];
  n.num2 = st.m_anStmtNumbers[1];
  n.num3 = st.m_anStmtNumbers[2];
  n.num4 = st.m_anStmtNumbers[3];
  ReadCountExtraNumbers(st.m_strStmtCommand, &n);

  if (t.m_nLastRow == 0 && !AddEmptySecondRow(t)) return MacroRaiseRunError(&rc.host, RunError::kMemory119);

  CString operand = st.m_strStmtOperand;
  if (ReadCountOperand(&operand, &letter2, &n) == CountOperandVerdict::kNeedsAddress)
    return MacroRaiseRunError(&rc.host, RunError::kNeedsAmpersand);
  st.m_strStmtOperand = operand;

  RunOpHost opHost(rc.host);
  const bool count = letter2 == 'n';
  const bool whole = n.num1 < 0 || (letter2 == 's' && letter3 != 'd' && n.num2 <= 0 && n.num1 <= 0);
  if (whole) {
    csv::CsvTotals(t, count ? 2 : 0, 1, st.m_strStmtOperand.Str(), &opHost);
  } else {
    const CString p = CountParameterText(n, operand);
    if (letter3 != 'e')
      csv::CsvRewriteColumns(1, t, static_cast<int>(t.m_nFieldCount), kColumnLimit, 0, p.Str(), cmd, &opHost);
    st.m_strStmtOperand = p;
    // Column 1 becomes the joined key columns.
    const char* key = n.num3 > 0 ? "&2q+&3q+&4q" : n.num2 > 0 ? "&2q+&3q" : nullptr;
    if (key != nullptr) {
      st.m_strStmtOperand = key;
      MacroRunSelect(rc, CString("&1="), CString(key));
    }
    if (letter3 != 'd' && letter3 != 'e') {
      // The rows after the title line, by column 1.
      csv::LineSortRequest r;
      r.key = CountSortKey(kCountSortDirectionWord);
      r.block = -1;
      r.firstRow = 0;
      csv::SortLines(t, r, nullptr);
    }
    if (key != nullptr)
      csv::CsvRewriteColumns(1, t, static_cast<int>(t.m_nFieldCount), kColumnLimit, 0, "2-", cmd, &opHost);
    st.m_strStmtOperand = p;
    if (n.num1 > 0) {
      if (n.num2 <= 0 && letter2 == 's' && letter3 == 'd') {
        csv::CsvTotals(t, 1, 1, p.Str(), &opHost);
      } else if (n.num2 <= 0 && letter2 == 's' && letter3 == 'e') {
        csv::CsvTotals(t, 3, n.num1, p.Str(), &opHost);
      } else {
        const CrossValues v = CountCrossValues(n, letter2, letter3);
        csv::CsvCrossTabulate(t, v.rowMode, v.columnMode, v.countFlag, v.valueMode, p.Str(), MacroReadNumber(p, 7),
                              &opHost);
      }
    }
  }
  // The view shows the new table (its own update: the table is not read
  // again from the document's text).
  rc.docUpdate.m_nUpdateCode = app::UpdateCode::kContent;
  rc.docUpdate.m_nLoadState = kLoadStateOwnUpdate;
  rc.host.RedisplayView();
  rc.docUpdate.m_nLoadState = 0;
  t.Rescan();
  return Outcome::kNext;
}

}  // namespace macro
