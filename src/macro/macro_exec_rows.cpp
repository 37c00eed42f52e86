// The row and line statements ("&R", "&&", "&Y"): the operand read, then
// one table routine of src/csv by the command's letters.
#include "macro/macro_exec_rows.h"

#include <algorithm>
#include <string>

#include "csv/csv_columns.h"
#include "csv/csv_dumpcells.h"
#include "csv/csv_pad.h"
#include "csv/csv_regroup.h"
#include "csv/csv_rows.h"
#include "csv/csv_sections.h"
#include "csv/csv_select.h"
#include "csv/csv_table.h"
#include "csv/csv_titleorder.h"
#include "csv/csv_transpose.h"
#include "macro/macro_exec_rows_internal.h"
#include "macro/macro_host.h"
#include "macro/macro_run.h"
#include "macro/macro_run_errors.h"
#include "macro/macro_state.h"
#include "macro/macro_subst.h"

namespace macro {
namespace {

constexpr std::uint32_t kCsvTableKind = 33;
constexpr int kColumnRewriteMode = 1;
constexpr std::uint32_t kColumnListLimit = 9000;
constexpr int kTitleKeepsLine = 999;

const char kEror[] = "Eror";

bool IsFailure(const std::string& s) { return s == kEror || s == "9999"; }

// The letters that make a statement a line form.
bool LineLetter(char c) {
  switch (c) {
    case 'y': case 'x': case 'l': case 'v': case 'h': case 'p':
    case 'u': case 's': case 't': case 'w': case 'g':
      return true;
    default:
      return false;
  }
}

class RowStatement {
 public:
  explicit RowStatement(MacroRunContext& rc)
      : rc_(rc), st_(rc.state), t_(rc.table), ops_(rc.host),
        isTable_(*rc.view.fileKind == kCsvTableKind && *rc.view.sourceView == 0) {}

  Outcome Run();

 private:
  void RowForms();
  void LineForms();
  void SecondStep();
  // A routine's failure (reported by it) becomes the failed operand.
  void Check(int result) {
    if (result != csv::kOpOk) operand_ = kEror;
  }

  MacroRunContext& rc_;
  MacroState& st_;
  csv::Table& t_;
  RunOpHost ops_;
  const bool isTable_;
  std::string operand_;
  char L_ = 0, L2_ = 0, L3_ = 0;
};

Outcome RowStatement::Run() {
  const CString& command = st_.m_strStmtCommand;
  L_ = LetterAt(command, 1);
  L2_ = LetterAt(command, 2);
  L3_ = LetterAt(command, 3);
  const CString substituted = MacroSubstituteVariables(st_, &t_, st_.m_strStmtOperand, kSubstPageCode);
  operand_ = substituted.Str();
  for (char& c : operand_)
    if (c == ';') c = ',';
  if (L2_ == 'f') {
    // Fill: short rows padded to the table's own column count.
    rc_.host.ClearPadTarget();
    if (isTable_) {
      const int mode = L3_ == 't' ? -1 : st_.m_anStmtNumbers[0];
      Check(csv::CsvPadShortRows(t_, operand_, mode, 0, &ops_));
    }
  } else if (L_ != 'Y' && !LineLetter(L2_)) {
    RowForms();
  } else {
    LineForms();
  }
  st_.m_strStmtOperand = CString(operand_);
  if (IsFailure(operand_)) return MacroRaiseRunError(&rc_.host, RunError::kSilent);
  return Outcome::kNext;
}

// Columns rewritten, reordered by title or chosen by title.
void RowStatement::RowForms() {
  const int deleteFlag = L2_ == 'd' ? 1 : 0;
  int mode = 0, fixedCount = 0;
  if (operand_.size() > 3 && csv::TitleOrderArguments(operand_, &mode, &fixedCount))
    operand_ = csv::CsvOrderColumnsByTitle(t_, operand_, mode, fixedCount);
  if (operand_.empty() || operand_ == kEror || !isTable_) return;
  Check(csv::CsvRewriteColumns(kColumnRewriteMode, t_, static_cast<int>(t_.m_nFieldCount), kColumnListLimit,
                               deleteFlag, operand_, st_.m_strStmtCommand.Str(), &ops_));
}

void RowStatement::LineForms() {
  operand_ = MacroRowPageOperand(operand_, t_);
  if (operand_ == kEror) return;
  const std::int32_t num1 = st_.m_anStmtNumbers[0];
  switch (L2_) {
    case 'l':
      if (L3_ == 'd') {
        if (isTable_) Check(csv::CsvDeleteListedRows(t_, operand_, &ops_));
        return;
      }
      break;  // as 'y'
    case 'd':
    case 'x':
      if (isTable_) Check(csv::CsvDeleteListedRows(t_, operand_, &ops_));
      return;
    case 't':
      if (L_ != 'Y') break;
      // The title line: cleared by 0 or less; 999 keeps the line.
      rc_.host.SetTitleLineFlag(num1 > 0);
      if (num1 > 0 && num1 != kTitleKeepsLine) t_.m_nCurLine = static_cast<std::uint32_t>(num1);
      return;
    case 'u':
      if (isTable_) Check(csv::DumpCells(t_, &ops_));
      return;
    case 'v':
      operand_ = "rev";
      break;
    default:
      break;
  }
  SecondStep();
}

void RowStatement::SecondStep() {
  if (!isTable_) return;
  const std::int32_t* num = st_.m_anStmtNumbers;
  if (operand_ == "hvrev" || L2_ == 'h') {
    Check(csv::CsvTransposeTable(t_, L3_ == '2' ? 1 : 0, &ops_));
  } else if (L2_ == 'p') {
    Check(csv::CsvOpRebuild(t_, operand_, num[0], num[1], &ops_));
  } else if (L2_ == 's') {
    Check(csv::CsvOpSelectColumns(t_, operand_, num[0], num[1], &ops_));
  } else if (L2_ == 'w' || L2_ == 'g') {
    Check(csv::CsvOpRowsByPattern(t_, operand_, num[0], num[1], num[2], &ops_));
  } else if (operand_ != kEror) {
    Check(csv::CsvReorderRows(t_, operand_, L2_ == 'a' ? 1 : 0, &ops_));
  }
}

}  // namespace

char LetterAt(const CString& text, int k) { return k >= 0 && k < text.GetLength() ? text.GetAt(k) : '\0'; }

int MacroPageBlockNumber(const std::string& operand) {
  int b = 0;
  for (std::size_t i = 4; i < 8 && i < operand.size(); ++i) {
    const char c = operand[i];
    if (c == ' ') break;
    if (c >= '0' && c <= '9') b = b * 10 + (c - '0');
  }
  return b;
}

std::string MacroRowPageOperand(const std::string& operand, const csv::TableFields& table) {
  if (operand.compare(0, 4, "page") != 0) return operand;
  const long long count = std::min<long long>(table.m_aSecRow[0], csv::MAX_CSV_BLOCKS - 1);
  const int b = MacroPageBlockNumber(operand);
  if (b < 1 || b > count) return kEror;
  const long long first = table.m_aSecRow[b];
  long long last = 0;
  if (b + 1 <= count) last = static_cast<long long>(table.m_aSecRow[b + 1]) - 1;
  if (last <= 0) last = static_cast<long long>(table.m_nLastRow) + 1;
  return std::to_string(first) + "_" + std::to_string(last);
}

Outcome MacroExecTableRows(MacroRunContext& rc, int cls) {
  switch (cls) {
    case 10:
      return RowStatement(rc).Run();
    case 16:
      return MacroExecSort(rc);
    case 18:
      return MacroExecPrint(rc);
    case 19:
      return MacroExecNewRows(rc);
    default:
      return Outcome::kNext;
  }
}

}  // namespace macro
