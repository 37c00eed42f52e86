#include "macro/macro_replace.h"

#include <climits>
#include <cstdint>
#include <cstring>
#include <string>

#include "core/pattern/pattern.h"
#include "csv/csv_table.h"
#include "fw/alloc.h"
#include "macro/macro_codes.h"
#include "macro/macro_host.h"
#include "macro/macro_number.h"
#include "macro/macro_run.h"
#include "macro/macro_run_errors.h"
#include "macro/macro_state.h"

namespace macro {

namespace {

constexpr std::uint32_t kCsvTableKind = 33;
// The flags the view's replace over all lines gets besides "whole text".
constexpr int kTextReplaceFlags = 4;

void TabsToCellSeps(std::string* s) {
  for (char& c : *s)
    if (c == '\t') c = pat::kCellSep;
}

// The rule "search 0x1C replacement" with its escapes expanded, translated
// with '&' as the run; returns the flags with `options` added.
unsigned TranslateRule(const std::string& search, const std::string& replacement, unsigned options, std::string* s,
                       std::string* r) {
  std::string rule = search;
  rule += pat::kRuleSep;
  rule += replacement;
  pat::ExpandEscapeSequences(rule, pat::kEscapeSearch);
  return pat::TranslateSearchPattern(rule, s, r, '&') | options;
}

struct PollContext {
  MacroHost* host;
};

bool PollEscape(void* context, int line) {
  MacroHost* host = static_cast<PollContext*>(context)->host;
  if (host == nullptr) return false;
  CString text;
  text.Format(kReplaceProgress, line);
  host->SetStatusText(0, text);
  return host->CheckEscapeAbort();
}

void Report(MacroHost* host, int code) {
  if (host) host->ReportMessage(code, CString());
}

}  // namespace

int MacroReplaceLines(MacroHost* host, csv::Table& table, const CString& pattern, const CString& replacement,
                      unsigned options, const ReplaceRange& range) {
  // The pattern's numbering codes go into a buffer of their own first.
  char* codes = static_cast<char*>(fw::Alloc(kReplaceCodeBuffer));
  if (codes == nullptr) {
    Report(host, kReplaceNoFirstBuffer);
    return -1;
  }
  std::string search = pattern.Str();
  std::string repl = replacement.Str();
  TabsToCellSeps(&search);
  TabsToCellSeps(&repl);
  if (repl == "NULL") repl.clear();
  // A leading "\&" is a literal '&' that may begin a numbering code: the
  // backslash goes before the codes are read, and a '&' that is still there
  // afterwards is escaped again, so that the translation keeps it literal.
  const bool literalAmpersand = search.size() >= 2 && search[0] == '\\' && search[1] == '&';
  if (literalAmpersand) search.erase(0, 1);
  MacroExpandNCodes(codes, CString(search), kReplaceCodeBuffer);
  search.assign(codes);
  fw::Free(codes);
  if (literalAmpersand && !search.empty() && search[0] == '&') search.insert(0, 1, '\\');

  std::string s, r;
  const unsigned flags = TranslateRule(search, repl, options, &s, &r);

  const std::uint32_t len = table.m_pTextBuf != nullptr ? table.UsedLength() : 0;
  if (len > static_cast<std::uint32_t>(INT_MAX)) {
    Report(host, kReplaceNoOutput);
    return 0;
  }
  pat::ReplaceLinesOptions o;
  o.firstLine = range.firstLine - 1 < 0 ? 0 : range.firstLine - 1;
  o.lastLine = range.lastLine;
  o.colFirst = range.colFirst;
  o.colLast = range.colLast;
  PollContext poll{host};
  o.poll = PollEscape;
  o.pollContext = &poll;
  // An empty range (last line before the first) replaces nothing.
  if (o.lastLine >= 0 && o.lastLine < o.firstLine) return 0;

  std::string out;
  pat::ReplaceLinesStats stats;
  const int n = pat::ReplaceLines(reinterpret_cast<const char*>(table.m_pTextBuf), static_cast<int>(len), s, r, flags,
                                  o, &out, &stats);
  if (n < 0) {
    Report(host, kReplaceNoOutput);
    return 0;
  }
  // Nothing replaced: the output is the text as it was.
  if (n == 0) return 0;

  // The output is handed back as the engine wrote it, its end included: a
  // final line end cut here would change the file's last bytes, or drop the
  // last row, where nothing was replaced.
  const std::size_t outLen = out.size();
  if (!table.Reserve(static_cast<std::uint64_t>(outLen) + 1 + kReplaceTableMargin)) {
    Report(host, kReplaceNoTable);
    return 0;
  }
  if (outLen) std::memcpy(table.m_pTextBuf, out.data(), outLen);
  table.m_pTextBuf[outLen] = 0;
  table.m_nTextLen = static_cast<std::uint32_t>(outLen);
  table.m_nFieldCount = static_cast<std::uint32_t>(stats.fieldCount);
  // The index (and the last row) from the new text.
  table.Rescan();
  return n;
}

ReplaceRange MacroReplaceStatementRange(int firstRow, int lastRow, int firstCol, int lastCol, int curLine) {
  ReplaceRange r;
  if (firstRow > 0) {
    r.firstLine = firstRow;
    r.lastLine = lastRow > 0 ? lastRow - 1 : -1;
  } else {
    r.firstLine = curLine > 1 ? curLine + 1 : 2;
    r.lastLine = -1;
  }
  r.colFirst = firstCol > 0 ? firstCol : 0;
  r.colLast = firstCol > 0 ? lastCol : 0;
  return r;
}

std::string MacroReplaceStatementAddress(const std::string& command) {
  std::string c = command;
  // "&@..." has rows and no columns; "&@0" (written "&@:") neither.
  if (c.size() >= 2 && c[0] == '&' && c[1] == '@') c.erase(0, 1);
  if (c.compare(0, 3, "@0:") == 0) c.erase(0, 2);
  return c;
}

Outcome MacroRunReplaceStatement(MacroRunContext& rc) {
  MacroState& st = rc.state;
  const CString kept = st.m_strStmtCommand;
  const CString command(MacroReplaceStatementAddress(kept.Str()));
  const CString operand = st.m_strStmtOperand;
  pat::SearchAddress address;
  std::string search;
  pat::SplitSearchPattern(command.Str(), &address, &search);
  if (*rc.view.fileKind == kCsvTableKind && *rc.view.sourceView == 0) {
    const ReplaceRange range = MacroReplaceStatementRange(address.firstRow, address.lastRow, address.firstCol,
                                                          address.lastCol, rc.table.m_nCurLine);
    // One call: the line-wise replace restarts its own pass when the output
    // outgrows its buffer and counts the pass it kept; a negative result
    // (no memory) was reported there and adds nothing.
    const int n = MacroReplaceLines(&rc.host, rc.table, CString(search), operand, pat::kFlagsMacroReplace, range);
    if (n > 0) {
      const long long total = static_cast<long long>(st.m_nMacroReplaceTotal) + n;
      st.m_nMacroReplaceTotal = total > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(total);
    }
  } else {
    std::string s, r;
    const unsigned flags = TranslateRule(search, operand.Str(), pat::kFlagsMacroReplace, &s, &r);
    rc.host.ReplaceAllInText(command, operand, static_cast<int>(flags & pat::kFlagWholeText) + kTextReplaceFlags);
  }
  st.m_strStmtCommand = kept;
  return Outcome::kNext;
}

Outcome MacroRunReplaceInVariable(MacroRunContext& rc) {
  MacroState& st = rc.state;
  const std::string command = st.m_strStmtCommand.Str();
  const int colon = pat::FindCharOutsideBrackets(command, ':', 0);
  if (colon <= 0) return Outcome::kNext;
  int slot = MacroReadNumber(CString(command.substr(0, static_cast<std::size_t>(colon))), 1, &st);
  if (slot < 0 || slot > kLastVarSlot) slot = 0;
  CString& var = st.m_strMacroVars[slot];
  if (var.GetLength() > kReplaceVariableLimit) return MacroRaiseRunError(&rc.host, RunError::kSilent);
  std::string s, r;
  const unsigned flags = TranslateRule(command.substr(static_cast<std::size_t>(colon) + 1),
                                       st.m_strStmtOperand.Str(), pat::kFlagsMacroReplace, &s, &r);
  std::string out;
  const int n = pat::ReplaceInText(var.Str(), s, r, flags, kReplaceVariableLimit, &out);
  // A result over the limit leaves the variable as it was.
  if (n < 0) return MacroRaiseRunError(&rc.host, RunError::kSilent);
  if (n > 0) var = CString(out);
  return Outcome::kNext;
}

}  // namespace macro
