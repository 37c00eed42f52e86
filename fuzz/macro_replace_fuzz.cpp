// The line-wise replace of the macro statements (MacroReplaceLines) over a
// table of any bytes with any pattern, replacement and range, and the
// replace inside a variable ("replreg") with any variable text. Checks the
// table's invariants, that nothing changes without a replacement, that the
// lines before the range keep their bytes, the 1,000-byte rule of a
// variable, and, for plain ASCII literals over ASCII text, the bytes and
// count a simple model of line-wise literal replacing gives.
//
// Input: five control bytes (first line, last line, first and last column,
// which checks), then text 0x00 pattern 0x00 replacement 0x00 variable.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "../tests/macro/fake_run_host.h"
#include "core/docdata/doc_fields.h"
#include "core/pattern/pattern.h"
#include "csv/csv_table.h"
#include "macro/macro_replace.h"
#include "macro/macro_run.h"
#include "macro/macro_state.h"

#define CHECK(cond)                \
  do {                             \
    if (!(cond)) __builtin_trap(); \
  } while (0)

namespace {

bool IsPlain(const std::string& s) {
  for (unsigned char c : s)
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ')) return false;
  return true;
}

bool IsAsciiText(const std::string& s) {
  for (unsigned char c : s)
    if (c >= 0x80 || c == 0) return false;
  return true;
}

// Every non-overlapping occurrence of `what` in `line` replaced, left to right.
int ReplaceAll(std::string* line, const std::string& what, const std::string& with) {
  if (what.empty()) return 0;
  int n = 0;
  for (std::size_t p = line->find(what); p != std::string::npos; p = line->find(what, p + with.size())) {
    line->replace(p, what.size(), with);
    ++n;
  }
  return n;
}

// The subject of a line: without its CR LF or LF.
void SplitLineEnd(const std::string& line, std::string* subject, std::string* end) {
  std::size_t cut = line.size();
  if (cut && line[cut - 1] == '\n') {
    --cut;
    if (cut && line[cut - 1] == '\r') --cut;
  }
  *subject = line.substr(0, cut);
  *end = line.substr(cut);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t lf = text.find('\n', at);
    const std::size_t end = lf == std::string::npos ? text.size() : lf + 1;
    lines.push_back(text.substr(at, end - at));
    at = end;
  }
  return lines;
}

struct Parts {
  std::string text, pattern, replacement, variable;
};

Parts Split(const uint8_t* data, size_t size) {
  Parts p;
  std::string* fields[] = {&p.text, &p.pattern, &p.replacement, &p.variable};
  int k = 0;
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0 && k < 3) {
      ++k;
      continue;
    }
    fields[k]->push_back(static_cast<char>(data[i]));
  }
  return p;
}

void CheckLines(const uint8_t* ctl, const Parts& in) {
  macrotest::FakeRunHost host;
  host.keepTexts = false;
  csv::Table table;
  if (!table.LoadFileText(in.text.data(), in.text.size(), 64)) return;
  const std::string before(reinterpret_cast<const char*>(table.m_pTextBuf), table.m_nTextLen);
  macro::ReplaceRange range;
  range.firstLine = ctl[0] % 12;
  range.lastLine = static_cast<int>(ctl[1] % 13) - 1;
  range.colFirst = ctl[2] % 4;
  range.colLast = range.colFirst ? (ctl[3] % 4 == 0 ? 0 : range.colFirst + ctl[3] % 3) : 0;
  const int n =
      macro::MacroReplaceLines(&host, table, CString(in.pattern), CString(in.replacement), pat::kFlagsMacroReplace, range);
  CHECK(n >= 0);
  CHECK(table.m_nTextLen < table.m_nWorkSize);
  CHECK(table.m_pTextBuf[table.m_nTextLen] == 0);
  const std::string after(reinterpret_cast<const char*>(table.m_pTextBuf), table.m_nTextLen);
  if (n == 0) CHECK(after == before);
  // The lines before the range keep their bytes (a "!" 0x06 line too).
  const std::vector<std::string> lines = Lines(before);
  std::string head;
  for (int i = 0; i + 1 < range.firstLine && i < static_cast<int>(lines.size()); ++i) head += lines[i];
  CHECK(after.compare(0, head.size(), head) == 0);

  // The model: plain literals over ASCII text, whole lines.
  if (range.colFirst != 0 || !IsPlain(in.pattern) || !IsPlain(in.replacement) || !IsAsciiText(before)) return;
  const std::string with = in.replacement == "NULL" ? std::string() : in.replacement;
  std::string model;
  int count = 0;
  for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
    const std::string& line = lines[i];
    const bool inRange = i >= (range.firstLine > 0 ? range.firstLine - 1 : 0) &&
                         (range.lastLine < 0 || i <= range.lastLine);
    const bool mark = line.size() >= 2 && line[0] == '!' && line[1] == 0x06;
    if (!inRange || mark) {
      model += line;
      continue;
    }
    std::string subject, end;
    SplitLineEnd(line, &subject, &end);
    count += ReplaceAll(&subject, in.pattern, with);
    model += subject + end;
  }
  if (count == 0) model = before;
  CHECK(count == n);
  CHECK(model == after);
}

void CheckVariable(const Parts& in) {
  static macro::MacroState* st = new macro::MacroState;
  static app::DvkDocData* doc = new app::DvkDocData;
  macrotest::FakeRunHost host;
  host.keepTexts = false;
  csv::Table table;
  std::uint32_t fileKind = 33, sourceView = 0, editMode = 0, sortFlags = 0;
  macro::MacroRunContext rc{*st, host, table, *doc, *doc, *doc, *doc, *doc,
                            {&fileKind, &sourceView, &editMode, &sortFlags}};
  const int slot = 180;
  st->m_strMacroVars[slot] = CString(in.variable);
  st->m_strStmtCommand = CString("&D180:" + in.pattern);
  st->m_strStmtOperand = CString(in.replacement);
  const macro::Outcome o = macro::MacroRunReplaceInVariable(rc);
  const std::string got = st->m_strMacroVars[slot].Str();
  CHECK(o == macro::Outcome::kNext || o == macro::Outcome::kErrorExit);
  if (o == macro::Outcome::kErrorExit) CHECK(got == in.variable);
  if (o == macro::Outcome::kNext) CHECK(got.size() <= macro::kReplaceVariableLimit);
  if (in.variable.size() > macro::kReplaceVariableLimit) CHECK(o == macro::Outcome::kErrorExit);

  if (!IsPlain(in.pattern) || in.pattern.empty() || !IsPlain(in.replacement) || !IsAsciiText(in.variable) ||
      in.variable.size() > macro::kReplaceVariableLimit)
    return;
  const std::string with = in.replacement == "NULL" ? std::string() : in.replacement;
  std::string model;
  for (const std::string& line : Lines(in.variable)) {
    std::string subject, end;
    SplitLineEnd(line, &subject, &end);
    ReplaceAll(&subject, in.pattern, with);
    model += subject + end;
  }
  if (model.size() > macro::kReplaceVariableLimit) {
    CHECK(o == macro::Outcome::kErrorExit);
  } else {
    CHECK(o == macro::Outcome::kNext);
    CHECK(got == model);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 5 || size > 16384) return 0;
  const Parts in = Split(data + 5, size - 5);
  if (data[4] & 1) CheckLines(data, in);
  if (data[4] & 2) CheckVariable(in);
  return 0;
}
