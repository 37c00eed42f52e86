#include "macro/macro_exec_join.h"

#include <string>

#include "csv/csv_appendcols.h"
#include "csv/csv_concat.h"
#include "csv/csv_findinline.h"
#include "csv/csv_otherfile.h"
#include "csv/csv_table.h"
#include "macro/macro_address.h"
#include "macro/macro_display_words.h"
#include "macro/macro_fileentry.h"
#include "macro/macro_run.h"
#include "macro/macro_run_errors.h"
#include "macro/macro_state.h"

namespace macro {

namespace {

constexpr std::uint32_t kCsvKind = 33;
constexpr int kSkipTitleAndMarks = 9999;
constexpr int kCannotOpenString = 237;

// Messages, the Esc poll (the candidate's key in pane 0) and the column
// names of a join, through the run's host.
class JoinOpHost final : public csv::LinkJoinHost {
 public:
  explicit JoinOpHost(MacroRunContext& rc) : rc_(rc) {}
  int ReportMessage(int code, const CString& text) override { return rc_.host.ReportMessage(code, text); }
  bool PollEscape(const std::string& key) override {
    rc_.host.SetStatusText(0, CString(key));
    return rc_.host.CheckEscapeAbort();
  }
  bool ResolveColumns(const std::string& list, const std::uint8_t* title, std::uint32_t titleLen,
                      std::string* resolved) override {
    AddressScope scope{rc_.state};
    scope.host = &rc_.host;
    scope.table = &rc_.table;
    scope.text = title;
    scope.length = titleLen;
    const CString out = MacroParseRowData(scope, CString(list), kRefIndex);
    if (out.Str() == "Eror") return false;
    *resolved = out.Str();
    return true;
  }

 private:
  MacroRunContext& rc_;
};

bool ShowsCsvTable(const MacroRunContext& rc) {
  return *rc.view.fileKind == kCsvKind && static_cast<std::int32_t>(*rc.view.sourceView) <= 0;
}

void ReportUnopened(MacroRunContext& rc, const CString& path) {
  rc.host.ReportMessage(2, rc.host.ResourceString(kCannotOpenString) + "\nfile = " + path);
}

// The letter after the two code bytes ('\0' for none).
char LetterAt(const CString& command, int at) { return command.GetLength() > at ? command[at] : '\0'; }

// After the table changed: its length up to a NUL, and the document told.
void TableChanged(MacroRunContext& rc) {
  csv::Table& t = rc.table;
  if (t.m_pTextBuf != nullptr)
    t.m_nTextLen = static_cast<std::uint32_t>(
        csv::FindInLine(reinterpret_cast<const char*>(t.m_pTextBuf), t.UsedLength()));
  rc.docText.m_nViewTextLen = t.m_nTextLen;
}

}  // namespace

int MacroConcatSkipLines(int n, bool csvTable) { return n < 0 && csvTable ? kSkipTitleAndMarks : n; }

int MacroConcatMode(char letter) {
  switch (letter) {
    case 'a': return 0;
    case 'j': return 2;
    case 'h': return 6;
    default: return -1;
  }
}

csv::LinkJoinArgs MacroKeyJoinArgs(const CString& command, const std::int32_t numbers[4], const CString& keyText) {
  csv::LinkJoinArgs args;
  args.option1 = LetterAt(command, 2);
  args.option2 = 0;
  args.otherColumns = keyText.Str();
  args.keyColumn = numbers[0] < 0 ? 0 : numbers[0];
  const int mark = command.Find(",<");
  args.otherKeyColumn = mark >= 0 ? mark : numbers[2];
  args.insertBefore = numbers[1] + 1;
  return args;
}

csv::ConcatResult MacroConcatInto(MacroRunContext& rc, const csv::ConcatArgs& args, csv::OtherSource& source) {
  // Titles are matched as the macro's addresses are, against the first line
  // of the source.
  csv::TitleResolver resolve = [&rc](const std::string& titles, const std::uint8_t* text, std::uint32_t len) {
    AddressScope scope{rc.state};
    scope.host = &rc.host;
    scope.table = nullptr;
    scope.text = text;
    scope.length = len;
    return MacroParseRowData(scope, CString(titles), kRefRow).Str();
  };
  JoinOpHost host(rc);
  return csv::CsvConcatVertical(rc.table, args, source, resolve, &host);
}

Outcome MacroExecLoadAdd(MacroRunContext& rc) {
  MacroState& st = rc.state;
  const char letter = LetterAt(st.m_strStmtCommand, 2);
  FileEntryRequest req;
  req.code = 'L';
  req.letter = letter;
  CString path, keyText;
  if (MacroFileEntry(st, rc.host, req, &path, &keyText) != FileEntryResult::kGo) return Outcome::kNext;
  // Texts of other kinds live in the document, not in the table: the view
  // leaves them as they are, and so does the statement.
  if (!ShowsCsvTable(rc)) return Outcome::kNext;
  csv::ConcatArgs args;
  args.skipLines = MacroConcatSkipLines(st.m_anStmtNumbers[0], true);
  args.sourceMode = MacroConcatMode(letter);
  args.fileKind = static_cast<int>(kCsvKind);
  if (args.sourceMode < 0) return Outcome::kNext;
  csv::FileSource file;
  if (!file.Open(path)) {
    ReportUnopened(rc, path);
    return Outcome::kNext;
  }
  rc.host.SetStatusText(0, path);
  if (MacroConcatInto(rc, args, file) == csv::ConcatResult::kUnreadable) ReportUnopened(rc, path);
  TableChanged(rc);
  return Outcome::kNext;
}

Outcome MacroExecJoin(MacroRunContext& rc) {
  MacroState& st = rc.state;
  const char letter = LetterAt(st.m_strStmtCommand, 2);
  // The file part before the '|' goes through the row-data parser (the
  // loop leaves a join's operand alone, its key text being a column list).
  const CString operand = MacroNormaliseBackslashes(st.m_strStmtOperand);
  const int bar = MacroFindJoinBar(operand);
  CString filePart = bar >= 0 ? operand.Left(bar) : operand;
  if (!filePart.IsEmpty()) {
    AddressScope scope{st};
    scope.host = &rc.host;
    scope.table = &rc.table;
    scope.text = rc.table.m_pTextBuf;
    scope.length = rc.table.m_pTextBuf != nullptr ? rc.table.UsedLength() : 0;
    const CString parsed = MacroParseRowData(scope, filePart, kRefPlain);
    if (parsed.Str() == "Eror" && filePart.Str() != "Eror") return MacroRaiseRunError(&rc.host, RunError::kTitleEror);
    filePart = parsed;
  }
  st.m_strStmtOperand = bar >= 0 ? filePart + operand.Mid(bar) : filePart;

  FileEntryRequest req;
  req.code = 'J';
  req.letter = letter;
  CString path, keyText;
  if (MacroFileEntry(st, rc.host, req, &path, &keyText) != FileEntryResult::kGo) return Outcome::kNext;
  if (!ShowsCsvTable(rc)) return Outcome::kNext;
  JoinOpHost host(rc);
  csv::FileSource file;
  if (letter == 'a') {
    if (!file.Open(path)) {
      ReportUnopened(rc, path);
      return Outcome::kNext;
    }
    rc.host.SetStatusText(0, path);
    if (csv::CsvAppendColumns(rc.table, file, &host) == csv::AppendResult::kUnreadable) ReportUnopened(rc, path);
    TableChanged(rc);
    return Outcome::kNext;
  }
  bool unreadable = !file.Open(path);
  int result = csv::kLinkJoinNothing;
  if (!unreadable)
    result = csv::CsvLinkJoin(rc.table, file, MacroKeyJoinArgs(st.m_strStmtCommand, st.m_anStmtNumbers, keyText),
                              &host, &unreadable);
  if (unreadable) ReportUnopened(rc, path);
  if (result == csv::kLinkJoinTooMany) return MacroRaiseRunError(&rc.host, RunError::kTooManyMatchings);
  if (result != csv::kLinkJoinDone) return MacroRaiseRunError(&rc.host, RunError::kSilent);
  rc.host.ClearPadTarget();
  TableChanged(rc);
  return Outcome::kNext;
}

}  // namespace macro
