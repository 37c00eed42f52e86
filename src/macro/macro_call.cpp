#include "macro/macro_call.h"

#include <climits>
#include <cstring>
#include <new>
#include <utility>

#include "csv/csv_table.h"
#include "fw/alloc.h"
#include "macro/macro_names.h"
#include "macro/macro_run.h"
#include "macro/macro_run_errors.h"
#include "macro/macro_scan.h"
#include "macro/macro_state.h"
#include "macro/macro_subst.h"
#include "macro/macro_template.h"
#include "macro/macro_vars.h"

namespace macro {

namespace {

constexpr char kCallMarker = 'S';
constexpr char kJumpMarker = 'L';
constexpr char kGraphName[] = "Graph";
constexpr std::uint32_t kStoppedMacroKind = 98;  // the view shows a stopped macro

bool IsBreak(char c) { return c == '\r' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

using Stack = MacroState::MacroStack;

std::uint32_t& StackAt(MacroState& st, Stack row, int depth) { return st.m_anMacroStacks[row][depth]; }

// Decimal digits of s from *p on, saturating; -1 when there are none.
long long ReadDigits(const std::string& s, std::size_t* p) {
  if (*p >= s.size() || !IsDigit(s[*p])) return -1;
  long long v = 0;
  for (; *p < s.size() && IsDigit(s[*p]); ++*p) {
    v = v * 10 + (s[*p] - '0');
    if (v > INT_MAX) v = INT_MAX;
  }
  return v;
}

// The first slot an array piece names: an "&D" reference as substitution
// reads it, a slot number, a declared name (bare or in square brackets) or a
// letter. 0 when it names none (the piece then reads from slot 0).
long long FirstSlotOf(const MacroState& st, const std::string& s) {
  if (s.size() >= 3 && s[0] == '&' && s[1] == 'D') {
    std::size_t p = 2;
    const long long n = ReadDigits(s, &p);
    if (n >= 0) return n;
    const unsigned char c = static_cast<unsigned char>(s[2]);
    if (c == 'T' && s.size() >= 4) {
      const unsigned char d = static_cast<unsigned char>(s[3]);
      if (IsDigit(static_cast<char>(d))) return 100 + (d - '0');
      if (d >= 'A' && d <= '~') return d + 45;
      return 0;
    }
    return c >= 'A' && c <= '~' && c != 'C' ? c + 45 : 0;
  }
  std::size_t p = 0;
  const long long n = ReadDigits(s, &p);
  if (n >= 0 && p == s.size()) return n;
  std::string name = s;
  if (name.size() >= 2 && name.front() == '[' && name.back() == ']') name = name.substr(1, name.size() - 2);
  const int slot = MacroFindDeclaredSlot(st, name);
  if (slot >= 0) return slot;
  if (name.size() == 1 && static_cast<unsigned char>(name[0]) >= 'A' && static_cast<unsigned char>(name[0]) <= '~')
    return static_cast<unsigned char>(name[0]) + 45;
  return 0;
}

// The size between '<' and '>': N, or N x M + 1 for "N|M".
long long ArraySize(const std::string& inner) {
  const std::size_t bar = inner.find('|');
  auto number = [](const std::string& t) {
    std::size_t p = 0;
    while (p < t.size() && t[p] == ' ') ++p;
    const long long v = ReadDigits(t, &p);
    return v < 0 ? 0 : v;
  };
  if (bar == std::string::npos) return number(inner);
  return number(inner.substr(0, bar)) * number(inner.substr(bar + 1)) + 1;
}

// The text the run shows, copied into the document in debug mode and shown
// with the view in its stopped-macro form for that one update.
Outcome ShowAppendedText(MacroRunContext& rc, const std::string& text) {
  app::DocTextFields& d = rc.docText;
  const std::size_t n = text.size();
  if (d.m_pText == nullptr || n + 1 > d.m_nTextCapacity) {
    char* grown = static_cast<char*>(fw::Realloc(d.m_pText, n + 1));
    if (grown == nullptr) return MacroRaiseRunError(&rc.host, RunError::kMemory116);
    d.m_pText = grown;
    d.m_nTextCapacity = static_cast<std::uint32_t>(n + 1);
  }
  std::memcpy(d.m_pText, text.data(), n);
  d.m_pText[n] = '\0';
  d.m_nTextLen = static_cast<std::uint32_t>(n);
  const std::uint32_t kind = *rc.view.fileKind;
  *rc.view.fileKind = kStoppedMacroKind;
  rc.docUpdate.m_nUpdateCode = app::UpdateCode::kAfterMouse;
  rc.host.UpdateAllViews();
  *rc.view.fileKind = kind;
  return Outcome::kNext;
}

// "Graph" with no label: the template goes after the text (its NUL bytes
// dropped) and the run goes on at its start, inside the level just pushed.
Outcome AppendGraph(MacroRunContext& rc, std::string* text) {
  MacroState& st = rc.state;
  std::string work;
  std::uint32_t start = 0;
  try {
    const std::string tpl = BuildMacroTemplate();
    work.reserve(text->size() + tpl.size());
    for (char c : *text)
      if (c != '\0') work.push_back(c);
    start = static_cast<std::uint32_t>(work.size());
    work += tpl;
  } catch (const std::bad_alloc&) {
    return MacroRaiseRunError(&rc.host, RunError::kMemory125);
  }
  if (work.size() > kMaxCommandText) return MacroRaiseRunError(&rc.host, RunError::kMemory126);
  text->swap(work);
  const int line = MacroCountLineBreaks(text->data(), 0, start);
  const int depth = st.m_nMacroCallDepth;
  StackAt(st, MacroState::kStackSubStart, depth) = start;
  StackAt(st, MacroState::kStackSubLine, depth) = static_cast<std::uint32_t>(line);
  st.m_nMacroPos = start;
  st.m_nCmdLineNo = line;
  if (rc.docUpdate.m_nMacroDebugMode > 0) {
    const Outcome shown = ShowAppendedText(rc, *text);
    if (shown != Outcome::kNext) return shown;
  }
  return Outcome::kContinueAt;
}

Outcome Call(MacroRunContext& rc, std::string* text, const std::string& name) {
  MacroState& st = rc.state;
  const int depth = st.m_nMacroCallDepth;
  if (depth >= kMaxCallDepth || depth < 0) return MacroRaiseRunError(&rc.host, RunError::kOverCallStack);

  // Everything that can fail is settled before the level is pushed.
  const CString operand = st.m_strStmtOperand;
  std::vector<CString> args;
  const bool withArgs = !operand.IsEmpty();
  if (withArgs) {
    const CString values = MacroSubstituteVariables(st, &rc.table, operand, kSubstPlain);
    if (!MacroBuildCallArguments(st, values, &args))
      return MacroRaiseRunError(&rc.host, RunError::kOverParameterStack);
  }
  const std::int32_t nextSlot = st.m_nMacroNextSlot;
  CString error;
  if (!MacroSetUpReferences(st, withArgs ? operand : CString(), &error)) {
    const RunError id = MacroRunErrorByText(error);
    return MacroRaiseRunError(&rc.host, id == RunError::kCount ? RunError::kOverParameterStack : id);
  }

  StackAt(st, MacroState::kStackCallLine, depth) = static_cast<std::uint32_t>(st.m_nCmdLineNo);
  StackAt(st, MacroState::kStackCallPos, depth) = st.m_nMacroPos;
  StackAt(st, MacroState::kStackCallIfLevel, depth) = static_cast<std::uint32_t>(st.m_nMacroIfLevel);
  st.m_nMacroIfLevel = 0;
  // A call without arguments passes none: its "para" binds empty texts, not
  // what an earlier call left in the list.
  for (std::size_t k = 0; k < args.size(); ++k) st.m_strMacroArgs[k] = std::move(args[k]);
  st.m_nMacroArgCount = static_cast<std::int32_t>(args.size());
  const int level = ++st.m_nMacroCallDepth;
  StackAt(st, MacroState::kStackCallNextSlot, level) = static_cast<std::uint32_t>(nextSlot);
  // Until a label is found the level has no subroutine: a jump there
  // searches from the top.
  StackAt(st, MacroState::kStackSubStart, level) = 0;
  StackAt(st, MacroState::kStackSubLine, level) = 0;
  if (!name.empty() && name.back() == '$') st.m_nMacroFrameCount = level + 2;

  LabelHit hit;
  const auto length = static_cast<std::uint32_t>(text->size());
  if (MacroFindLabel(text->data(), length, 0, 0, kCallMarker, name, &hit)) {
    StackAt(st, MacroState::kStackSubStart, level) = hit.next;
    StackAt(st, MacroState::kStackSubLine, level) = static_cast<std::uint32_t>(hit.line);
    st.m_nMacroPos = hit.next;
    st.m_nCmdLineNo = hit.line;
    return Outcome::kContinueAt;
  }
  if (name == kGraphName) return AppendGraph(rc, text);
  return Outcome::kNext;  // no label: the level stays pushed and the run goes on
}

Outcome Jump(MacroRunContext& rc, const std::string* text, const std::string& name) {
  MacroState& st = rc.state;
  const auto length = static_cast<std::uint32_t>(text->size());
  std::uint32_t from = 0;
  int line = 0;
  const int depth = st.m_nMacroCallDepth;
  if (depth >= 1 && depth <= kMaxCallDepth) {
    from = StackAt(st, MacroState::kStackSubStart, depth);
    line = static_cast<int>(StackAt(st, MacroState::kStackSubLine, depth));
    if (from > length) {
      from = 0;
      line = 0;
    }
  }
  LabelHit hit;
  if (!MacroFindLabel(text->data(), length, from, line, kJumpMarker, name, &hit)) return Outcome::kNext;
  st.m_nMacroPos = hit.next;
  st.m_nCmdLineNo = hit.line;
  return Outcome::kContinueAt;
}

}  // namespace

bool MacroFindLabel(const char* text, std::uint32_t length, std::uint32_t from, int line, char marker,
                    const std::string& name, LabelHit* hit) {
  if (text == nullptr) return false;
  // The text ends at its first NUL, also for a search that starts past it.
  if (const void* nul = std::memchr(text, '\0', length))
    length = static_cast<std::uint32_t>(static_cast<const char*>(nul) - text);
  const std::size_t compare = name.size() < static_cast<std::size_t>(kMaxLabelCompare)
                                  ? name.size()
                                  : static_cast<std::size_t>(kMaxLabelCompare);
  auto byte = [&](std::uint64_t p) { return p < length ? text[p] : '\0'; };
  for (std::uint64_t p = from; p < length && text[p] != '\0'; ++p) {
    const char c = text[p];
    if (p > 0 && IsBreak(text[p - 1]) && (c == ':' || c == marker)) {
      std::size_t k = 0;
      while (k < compare && byte(p + 1 + k) == name[k] && name[k] != '\0') ++k;
      const std::uint64_t end = p + 1 + k;
      if (k == compare && static_cast<unsigned char>(byte(end)) < 0x20) {
        if (hit) {
          hit->next = static_cast<std::uint32_t>(end);
          hit->line = line;
        }
        return true;
      }
    }
    // A line break: CR LF counts once, at its LF.
    if ((c == '\n' || (c == '\r' && byte(p + 1) != '\n')) && line < INT_MAX) ++line;
  }
  return false;
}

std::string MacroCallTarget(const CString& command, const CString& rest, const CString& operand) {
  std::string name = rest.Str();
  if (name.empty()) name = command.GetLength() > 1 ? command.Mid(1).Str() : operand.Str();
  if (name.size() > static_cast<std::size_t>(kMaxTargetName)) name.resize(kMaxTargetName);
  return name;
}

bool MacroBuildCallArguments(const MacroState& st, const CString& arguments, std::vector<CString>* out) {
  const std::string& s = arguments.Str();
  std::vector<CString> list;
  std::size_t begin = 0;
  for (;;) {
    std::size_t end = s.find(',', begin);
    if (end == std::string::npos) end = s.size();
    std::string piece = s.substr(begin, end - begin);
    const std::size_t lt = piece.find('<');
    if (!piece.empty() && piece.back() == '>' && lt != std::string::npos) {
      const long long first = FirstSlotOf(st, piece.substr(0, lt));
      const long long count = ArraySize(piece.substr(lt + 1, piece.size() - lt - 2));
      // The values and the empty entry after them must fit, and every slot
      // read must lie in the store.
      if (static_cast<long long>(list.size()) + count + 1 > kMacroArgs) return false;
      if (first < 0 || first + count - 1 > kLastVarSlot) return false;
      for (long long k = 0; k < count; ++k) list.push_back(st.m_strMacroVars[first + k]);
      list.push_back(CString());
    } else {
      if (!piece.empty() && piece.back() == '*') piece.pop_back();
      if (static_cast<long long>(list.size()) + 1 > kMacroArgs) return false;
      list.push_back(CString(std::move(piece)));
    }
    if (end >= s.size()) break;
    begin = end + 1;
  }
  *out = std::move(list);
  return true;
}

Outcome MacroExecCallOrJump(MacroRunContext& rc, std::string* text, const CString& rest) {
  MacroState& st = rc.state;
  const CString& command = st.m_strStmtCommand;
  const std::string name = MacroCallTarget(command, rest, st.m_strStmtOperand);
  if (command.GetLength() > 0 && command[0] == 'J') return Jump(rc, text, name);
  return Call(rc, text, name);
}

Outcome MacroExecPara(MacroRunContext& rc) {
  CString error;
  if (MacroBindParameters(rc.state, &rc.host, rc.state.m_strStmtOperand, &error)) return Outcome::kNext;
  const RunError id = MacroRunErrorByText(error);
  return MacroRaiseRunError(&rc.host, id == RunError::kCount ? RunError::kOverParameterStack : id);
}

Outcome MacroExecReturn(MacroRunContext& rc) {
  MacroState& st = rc.state;
  if (st.m_nMacroCallDepth <= 0 || st.m_nMacroCallDepth > kMaxCallDepth) {
    // No level to go back to: "E" ends the run, "R" goes on.
    st.m_nMacroFrameCount = 0;
    const CString& command = st.m_strStmtCommand;
    return command.GetLength() > 0 && command[0] == 'E' ? Outcome::kEndRun : Outcome::kNext;
  }
  if (st.m_nMacroCallDepth <= st.m_nMacroFrameCount - 2) st.m_nMacroFrameCount = 0;
  const int depth = --st.m_nMacroCallDepth;
  st.m_nCmdLineNo = static_cast<std::int32_t>(StackAt(st, MacroState::kStackCallLine, depth));
  st.m_nMacroPos = StackAt(st, MacroState::kStackCallPos, depth);
  st.m_nMacroIfLevel = static_cast<std::int32_t>(StackAt(st, MacroState::kStackCallIfLevel, depth));
  MacroReleaseSubroutine(st);
  return Outcome::kContinueAt;
}

}  // namespace macro
