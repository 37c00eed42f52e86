// The "#"-function chain of a command line: groups, collection, the
// classify-only form, SPL, ATR and variable mode. Cell mode is in
// macro_cmdfunc_cells.cpp.
#include "macro/macro_cmdfunc.h"

#include <cstdio>
#include <string>
#include <vector>

#include "core/pattern/pattern_cstring.h"
#include "csv/csv_bracketed.h"
#include "csv/csv_index.h"
#include "csv/csv_table.h"
#include "macro/macro_builtins.h"
#include "macro/macro_cellformat.h"
#include "macro/macro_cmdfunc_internal.h"
#include "macro/macro_host.h"
#include "macro/macro_number.h"
#include "macro/macro_state.h"

namespace macro {
namespace {

// Lead bytes of double-byte characters as the command line is scanned here.
bool IsLead(unsigned char c) { return (c >= 0x80 && c <= 0x9F) || (c >= 0xE0 && c <= 0xEF) || (c >= 0xFA && c <= 0xFC); }

unsigned char At(const std::string& s, std::size_t i) { return i < s.size() ? static_cast<unsigned char>(s[i]) : 0; }

// The first group of s from `from`: its '(' and ')' (-1 when none), up to
// the stop byte at depth 0.
void FindGroup(const std::string& s, std::size_t from, char stop, int* open, int* close) {
  *open = *close = -1;
  int depth = 0;
  bool prevDouble = false;  // the byte before i ended a double-byte character
  for (std::size_t i = from; i < s.size(); ++i) {
    const unsigned char c = At(s, i);
    if (IsLead(c) && i + 1 < s.size()) {
      ++i;
      prevDouble = true;
      continue;
    }
    const unsigned char prev = (i > 0 && !prevDouble) ? At(s, i - 1) : 0;
    prevDouble = false;
    const bool escaped = prev == '\\' || prev == '^';
    if (c == '(' && !escaped) {
      if (depth == 0) *open = static_cast<int>(i);
      ++depth;
    } else if (c == ')' && !escaped && depth > 0) {
      if (--depth == 0) {
        *close = static_cast<int>(i);
        return;
      }
    } else if (c == static_cast<unsigned char>(stop) && depth == 0 && i != 0) {
      *open = -1;
      return;
    }
  }
  *open = -1;
}

// End of the segment from `start`: its ending '#' or the text's length.
std::size_t SegmentEnd(const std::string& s, std::size_t start, bool rpText) {
  int depth = 0;
  for (std::size_t i = start; i < s.size(); ++i) {
    const unsigned char c = At(s, i);
    if (IsLead(c) && i + 1 < s.size()) {
      ++i;
    } else if (c == '\\') {
      ++i;
    } else if (c == '{') {
      ++depth;
    } else if (c == '}') {
      --depth;
    } else if (c == '#' && depth <= 0 && !rpText) {
      return i;
    }
  }
  return s.size();
}

// "\(" and "\)" become "(" and ")" in [start, *end); *end follows.
void RemoveGroupEscapes(std::string* s, std::size_t start, std::size_t* end) {
  std::string out;
  out.reserve(*end - start);
  for (std::size_t i = start; i < *end; ++i) {
    const unsigned char c = At(*s, i);
    if (IsLead(c) && i + 1 < *end) {
      out += (*s)[i];
      out += (*s)[++i];
    } else if (c == '\\' && i + 1 < *end && ((*s)[i + 1] == '(' || (*s)[i + 1] == ')')) {
      out += (*s)[++i];
    } else {
      out += (*s)[i];
    }
  }
  s->replace(start, *end - start, out);
  *end = start + out.size();
}

bool IsStatistics(int n) { return (n >= 60 && n <= 68) || (n >= 160 && n <= 168); }

int ClampSlot(int slot) { return slot >= 1 && slot <= kLastVarSlot ? slot : 0; }

// The cell at `row` (counted from 1 at the line LineToOffset mode 2 gives)
// and `col` of the table: false when the row has no such column.
bool TableCell(const csv::Table& t, int row, int col, std::string* cell) {
  const std::uint8_t* b = t.m_pTextBuf;
  const std::uint32_t n = t.UsedLength();
  if (b == nullptr || row < 1 || col < 1) return false;
  std::uint32_t off = 0;
  csv::LineToOffset(t, b, n, &off, csv::kLinePlainCount, 0);
  for (int r = 1; r < row; ++r) {
    while (off < n && b[off] != '\n' && b[off] != 0) ++off;
    if (off >= n || b[off] == 0) return false;
    ++off;
  }
  for (int c = 1; c < col; ++c) {
    while (off < n && b[off] != csv::CSV_FIELD_SEP && b[off] != '\r' && b[off] != '\n' && b[off] != 0) ++off;
    if (off >= n || b[off] != csv::CSV_FIELD_SEP) return false;
    ++off;
  }
  std::uint32_t e = off;
  while (e < n && b[e] != csv::CSV_FIELD_SEP && b[e] != '\r' && b[e] != '\n' && b[e] != 0) ++e;
  if (off >= n && col > 1) return false;
  cell->assign(reinterpret_cast<const char*>(b + off), e - off);
  return true;
}

int SplitFields(CmdFuncScope& scope, int a1, int a2, int a3, int a4) {
  if (scope.table == nullptr) return -1;
  const int rc = csv::SplitBracketedField(*scope.table, a1, a2, a3, a4);
  if (rc != 0) {
    if (scope.host) scope.host->ReportMessage(rc, CString());
    return -1;
  }
  return 1;
}

int FormatRange(CmdFuncScope& scope, const CmdFuncEntry& e, int a1, int a2, int a3, int a4) {
  const int colon = e.written.Find(':');
  if (colon < 0) return 0;
  CellFormat format;
  int at = 0;
  if (!ParseCellFormat(e.written.Mid(colon + 1), &format, &at)) {
    if (scope.host) scope.host->ReportMessage(2, CString("#ATR format eror : ") + e.written.Mid(colon + 1 + at));
    return -1;
  }
  if (a3 > 1 && a4 == 1) a4 = 999;
  if (a3 == -1) a3 = a4;
  if (scope.host == nullptr) return -1;
  return scope.host->FormatCells(format, a1, a2, a3, a4) >= 0 ? 1 : -1;
}

int VariableMode(CmdFuncScope& scope, const CmdFuncList& list, int a1, int a2, int a4) {
  MacroState& st = scope.state;
  const int slot = ClampSlot(a1 == 0 && a2 == 0 ? a4 : kSlotFuncWork);
  if (st.m_strMacroVars[slot].GetLength() > kVarCopyBytes) return 1;  // left as it is
  std::string value = st.m_strMacroVars[slot].Str();
  std::vector<std::uint8_t> out(kVarResultBytes + 1), source;
  for (int k = 0; k < list.count; ++k) {
    const CmdFuncEntry& e = list.entries[k];
    if (e.number == kFnLN || e.number == kFnRN) {
      value = std::to_string(a2);
      continue;
    }
    std::string input = value;
    if (IsStatistics(e.number)) {
      if (scope.table == nullptr || !TableCell(*scope.table, a2, a4, &input)) {
        value = "0";
        continue;
      }
    }
    const int len = cmdfunc::RunEntry(scope, e, input.data(), static_cast<int>(input.size()), a2, a4, out.data(),
                                      kVarResultBytes, &source);
    value.assign(reinterpret_cast<const char*>(out.data()), static_cast<std::size_t>(len));
  }
  if (!value.empty() && value.back() == csv::CSV_FIELD_SEP) value.pop_back();
  if (value == "\"") value = "\"\"";
  st.m_strMacroVars[slot] = CString(std::move(value));
  return 1;
}

// Keeps the nesting count of the evaluation.
class DepthGuard {
 public:
  explicit DepthGuard(MacroState& st) : st_(st) { ++st_.m_nFuncLineDepth; }
  ~DepthGuard() {
    if (--st_.m_nFuncLineDepth <= 0) {
      st_.m_nFuncLineDepth = 0;
      st_.m_bFuncLineStackShown = 0;
    }
  }
  DepthGuard(const DepthGuard&) = delete;
  DepthGuard& operator=(const DepthGuard&) = delete;

 private:
  MacroState& st_;
};

}  // namespace

namespace cmdfunc {

void ShowStackOver(CmdFuncScope& scope) {
  if (scope.state.m_bFuncLineStackShown) return;
  scope.state.m_bFuncLineStackShown = 1;
  if (scope.host) scope.host->ShowMessageBox("stack over eror");
}

int RunEntry(CmdFuncScope& scope, const CmdFuncEntry& e, const char* input, int inputLength, int row, int col,
             std::uint8_t* out, int cap, std::vector<std::uint8_t>* source, const CellPlace* place) {
  source->assign(input, input + inputLength);
  source->push_back(csv::CSV_FIELD_SEP);
  source->push_back(0);
  BuiltinScope bs{scope.state, scope.host, scope.table, static_cast<std::uint32_t>(inputLength) + 1};
  if (place) {
    bs.outHead = place->outHead;
    bs.outHeadLen = place->outHeadLen;
    bs.tablePos = place->tablePos;
  }
  bs.columnPos = scope.columnPos;
  bs.columnPosSlots = scope.columnPosSlots;
  bs.titleLine = scope.titleLine;
  bs.checkList = scope.checkList;
  bs.checkListUsed = scope.checkListUsed;
  bs.run = scope.run;
  int param = e.operand, readPos = 0, outLen = 0, title = 0, stat = 0, option = 0, fill = 0, count = 0;
  int* fillDown = place && place->fillDown ? place->fillDown : &fill;
  MacroCallBuiltinFunction(bs, e.number, &param, col, row, &readPos, &outLen, &title, &stat, source->data(), out,
                           e.text, e.replacement, &option, fillDown, &count, cap);
  return outLen;
}

bool HandlersPresent(CmdFuncScope& scope, const CmdFuncList& list, bool variableMode) {
  for (int k = 0; k < list.count; ++k) {
    const CmdFuncEntry& e = list.entries[k];
    if (variableMode && (e.number == kFnLN || e.number == kFnRN)) continue;
    if (e.number < 0 || e.number >= kBuiltinCodes) continue;  // no function: writes nothing
    if (MacroBuiltinHandler(e.number) == nullptr) {
      if (scope.host) scope.host->ReportMessage(2, MacroNotAvailableText(e.written));
      return false;
    }
  }
  return true;
}

}  // namespace cmdfunc

int MacroEvalParenGroups(CmdFuncScope& scope, char stop, int* pos, int zero1, int n, int zero2, int zero3,
                         CString* text) {
  (void)zero1, (void)zero2, (void)zero3;
  if (text == nullptr || pos == nullptr || scope.evalExpression == nullptr) return 0;
  std::string s = text->Str();
  std::size_t from = *pos < 0 ? 0 : static_cast<std::size_t>(*pos);
  int replaced = 0;
  std::vector<char> result(kGroupResultBytes + 1);
  while (from < s.size()) {
    int open = -1, close = -1;
    FindGroup(s, from, stop, &open, &close);
    if (open <= 0 || close < 0) break;
    std::string inner = s.substr(static_cast<std::size_t>(open) + 1, static_cast<std::size_t>(close - open - 1));
    for (std::size_t k = inner.find("%+"); k != std::string::npos; k = inner.find("%+", k + 3)) inner.insert(k + 1, "\\");
    CString expr;
    if (stop == 1) {
      expr = CString("#(" + inner + ")");
    } else {
      expr.Format("@%d:", n);
      expr += inner.c_str();
    }
    std::snprintf(result.data(), result.size(), "&AL");
    // The work slot is kept around the group: "#" calls inside it leave
    // their results there.
    const CString work = scope.state.m_strMacroVars[kSlotFuncWork];
    const int got = scope.evalExpression(scope, expr, result.data(), kGroupResultBytes);
    scope.state.m_strMacroVars[kSlotFuncWork] = work;
    std::size_t len = 0;
    while (len < static_cast<std::size_t>(kGroupResultBytes) && result[len] != 0) ++len;
    if (got < 0) len = 0;
    const std::size_t group = static_cast<std::size_t>(close - open + 1);
    if (s.size() - group + len > static_cast<std::size_t>(kFuncLineMaxBytes)) {
      // The line would grow past its bound: the group stays, nothing more.
      cmdfunc::ShowStackOver(scope);
      from = static_cast<std::size_t>(close) + 1;
      break;
    }
    s.replace(static_cast<std::size_t>(open), group, result.data(), len);
    from = static_cast<std::size_t>(open) + len;
    ++replaced;
  }
  *pos = static_cast<int>(from);
  *text = CString(std::move(s));
  // Called on its own (not inside a chain): the message may show again next time.
  if (scope.state.m_nFuncLineDepth <= 0) scope.state.m_bFuncLineStackShown = 0;
  return replaced;
}

void MacroCollectLineFunctions(CmdFuncScope& scope, int n, CString* text, CmdFuncList* list) {
  std::size_t segStart = 0;
  bool rpText = false;
  for (bool first = true; list->count < kMaxLineFunctions; first = false) {
    int pos = static_cast<int>(segStart);
    MacroEvalParenGroups(scope, '#', &pos, 0, n, 0, 0, text);
    std::string s = text->Str();
    if (first) {
      if (!s.empty() && s[0] == '#') segStart = 1;
      rpText = s.compare(0, 3, "#RP") == 0;
    }
    if (segStart >= s.size()) break;
    std::size_t segEnd = SegmentEnd(s, segStart, rpText);
    RemoveGroupEscapes(&s, segStart, &segEnd);
    *text = CString(s);

    CmdFuncEntry& e = list->entries[list->count++];
    e.written = CString(s.substr(segStart, segEnd - segStart));
    CString name = e.written;
    e.number = MacroLookupFunctionCode(scope.state, &name, &e.tail, &e.operand);
    if (e.number == kFnRP) {
      CString rule = name.Mid(2);
      const int colon = pat::ReverseFindUnescaped(rule, ':');
      if (colon >= 0) rule.SetAt(colon, pat::kRuleSep);
      pat::ExpandEscapeSequences(rule, pat::kEscapeSearch);
      const unsigned flags = pat::TranslateSearchPattern(rule, &e.text, &e.replacement, '&');
      e.operand = static_cast<int>(static_cast<unsigned>(e.operand) | pat::kFlagReplaceMode | flags);
    } else {
      e.text = name;
    }
    if (e.operand == 999 || e.operand == 998) {
      list->widthFlag = (e.number >= 174 && e.number <= 177) ? 1001 - e.operand : 1;
    }
    if (segEnd >= s.size()) break;
    segStart = segEnd + 1;
  }
}

int MacroEvalCommandLineFunctions(CmdFuncScope& scope, int a1, int a2, int a3, int a4, CString text) {
  MacroState& st = scope.state;
  if (st.m_nFuncLineDepth >= kFuncLineMaxDepth) {
    cmdfunc::ShowStackOver(scope);
    return -1;
  }
  DepthGuard guard(st);
  CmdFuncList list;
  MacroCollectLineFunctions(scope, a2, &text, &list);
  if (list.count >= kMaxLineFunctions) {
    st.m_strLastResult().Format("#Over max 20 of #function\nat command line : %d", st.m_nCmdLineNo);
  }
  if (a3 == kClassifyOnly && a4 == kClassifyOnly) return list.count > 0 ? list.entries[list.count - 1].number : 0;
  if (list.count == 0) return 1;
  const CmdFuncEntry& last = list.entries[list.count - 1];
  if (last.number == kFnSPL) return SplitFields(scope, a1, a2, a3, a4);
  if (last.number == kFnATR) return FormatRange(scope, last, a1, a2, a3, a4);
  const bool variableMode = a3 == -1;
  if (!cmdfunc::HandlersPresent(scope, list, variableMode)) return -1;
  if (variableMode) return VariableMode(scope, list, a1, a2, a4);
  return cmdfunc::CellMode(scope, list, a1, a2, a3, a4);
}

}  // namespace macro
