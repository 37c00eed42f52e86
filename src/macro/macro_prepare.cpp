#include "macro/macro_prepare.h"

#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

#include "fw/sjis.h"
#include "core/pattern/pattern_cstring.h"
#include "macro/macro_cmdwords.h"
#include "macro/macro_state.h"

namespace macro {

namespace {

// Statement forms whose "||" separates alternatives, not statements.
const char* const kMultiCondPrefixes[] = {"if:", "do ", "whi", "unt", "els"};

constexpr std::string_view kRunControlWords[] = {
    "registry", "registry_w", "system_para", "sys_para", "replreg", "eror_on",  "eror_off", "do",
    "Do",       "outloop",    "while",       "until",    "loop",    "endif",    "inc",      "dec",
    "if",       "else",       "else if",     "do while", "do until", "for",     "exe"};

// Bracket forms of control statements and their colon forms.
struct BracketForm {
  const char* bracket;
  const char* colon;
};
const BracketForm kBracketForms[] = {{"if(", "if:"}, {"while(", "while:"}, {"for(", "for:"}};

constexpr const char* kFullWidthLowLine = "\\\x81\x51";  // backslash, "＿"
constexpr const char* kFullWidthBlank = "\x81\x40";      // "　"

bool StartsWith(const CString& text, const char* head) {
  const std::size_t n = std::strlen(head);
  return static_cast<std::size_t>(text.GetLength()) >= n && std::memcmp(text.GetString(), head, n) == 0;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsTrailByte(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }
bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
// Whether `c` is one of the bytes of `set` (never for NUL).
bool InSet(char c, const char* set) { return c != '\0' && std::strchr(set, c) != nullptr; }

// Whether a double-byte character starts at text[i]: a CP932 lead byte and
// a valid second byte, the rule of the shared bracket search
// (FindCharOutsideBrackets), so that every search of a statement sees the
// same characters.
bool PairAt(const CString& text, int i) {
  return i + 1 < text.GetLength() && fw::IsSjisLeadByte(static_cast<unsigned char>(text[i])) &&
         IsTrailByte(static_cast<unsigned char>(text[i + 1]));
}

// What each byte of a command is: plain (neither the second byte of a
// double-byte character nor escaped by a backslash before it) and outside
// square brackets.
class ByteMap {
 public:
  explicit ByteMap(const CString& text) : m_flags(static_cast<std::size_t>(text.GetLength()), 0) {
    const int n = text.GetLength();
    int depth = 0;
    for (int i = 0; i < n; ++i) {
      const std::uint8_t outside = depth == 0 ? kOutside : 0;
      if (PairAt(text, i)) {
        m_flags[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(outside | kPlain);
        m_flags[static_cast<std::size_t>(i) + 1] = outside;
        ++i;
        continue;
      }
      const char b = text[i];
      m_flags[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(outside | kPlain);
      if (b == '\\') {
        // The escaped character, one byte or both bytes of a pair.
        const int len = PairAt(text, i + 1) ? 2 : 1;
        for (int k = 1; k <= len && i + k < n; ++k) m_flags[static_cast<std::size_t>(i + k)] = outside;
        i += len;
        continue;
      }
      if (b == '[') ++depth;
      if (b == ']' && depth > 0) --depth;
    }
  }

  bool Plain(int i) const { return InRange(i) && (m_flags[static_cast<std::size_t>(i)] & kPlain) != 0; }
  bool PlainOutside(int i) const {
    return InRange(i) && (m_flags[static_cast<std::size_t>(i)] & (kPlain | kOutside)) == (kPlain | kOutside);
  }
  // First plain occurrence of the ASCII `token` starting at or after `from`.
  int Find(const CString& text, const char* token, int from) const {
    const int n = static_cast<int>(std::strlen(token));
    for (int i = from < 0 ? 0 : from; i + n <= text.GetLength(); ++i)
      if (Plain(i) && std::memcmp(text.GetString() + i, token, static_cast<std::size_t>(n)) == 0) return i;
    return -1;
  }

 private:
  static constexpr std::uint8_t kPlain = 1, kOutside = 2;
  bool InRange(int i) const { return i >= 0 && static_cast<std::size_t>(i) < m_flags.size(); }
  std::vector<std::uint8_t> m_flags;
};

// Length of the character that ends just before `at` (1, or 2 for the
// second byte of a double-byte character).
int CharBeforeLength(const CString& text, int at) {
  int start = 0;
  for (int i = 0; i < at; i += PairAt(text, i) ? 2 : 1) start = i;
  return at - start;
}

// Line breaks in text[from, to): CR LF, a lone CR and a lone LF count one
// each, as the scanner counts them.
int CountLineBreaks(std::string_view text, std::uint32_t from, std::uint32_t to) {
  if (to > text.size()) to = static_cast<std::uint32_t>(text.size());
  int count = 0;
  for (std::uint32_t i = from; i < to; ++i) {
    if (text[i] == '\r') {
      ++count;
      if (i + 1 < to && text[i + 1] == '\n') ++i;
    } else if (text[i] == '\n') {
      ++count;
    }
  }
  return count;
}

// A plain command of several statements joined by "||" is cut before the
// first "||"; the statement position goes back to it. The cut is made only
// when that "||" lies after the statement's first byte and before the
// position of the next statement, so the position always moves forward.
// The line number goes back by the line breaks between the "||" and the
// old position (one without the text), never below 0.
bool SplitAtBars(MacroState& st, int bars, std::string_view text) {
  CString& cmd = st.m_strStmtCommand;
  const std::vector<std::uint32_t>& at = st.m_anStmtCommandAt;
  if (at.size() != static_cast<std::size_t>(cmd.GetLength())) return false;
  const std::uint32_t start = at.front();
  const std::uint32_t target = at[static_cast<std::size_t>(bars)];
  if (target <= start || target >= st.m_nMacroPos) return false;
  const int keep = bars - CharBeforeLength(cmd, bars);
  cmd = cmd.Left(keep);
  st.m_anStmtCommandAt.resize(static_cast<std::size_t>(keep));
  const int breaks = text.empty() ? 1 : CountLineBreaks(text, target, st.m_nMacroPos);
  st.m_nMacroPos = target;
  st.m_nCmdLineNo = st.m_nCmdLineNo > breaks ? st.m_nCmdLineNo - breaks : 0;
  return true;
}

// "if(", "while(", "for(" become "if:", "while:", "for:".
void RewriteBracketForms(CString& cmd) {
  for (const BracketForm& f : kBracketForms) {
    if (cmd.GetLength() > static_cast<int>(std::strlen(f.bracket)) && StartsWith(cmd, f.bracket)) {
      cmd.Replace(f.bracket, f.colon);
      if (cmd.GetLength() > 0 && cmd[cmd.GetLength() - 1] == ')') cmd = cmd.Left(cmd.GetLength() - 1);
      return;
    }
  }
}

// "name=value" with no operand (true) becomes the command "name" and the
// operand "=value" (the scanner doubled a single '=' into "==").
bool SplitAssignment(MacroState& st) {
  CString& cmd = st.m_strStmtCommand;
  if (!st.m_strStmtOperand.IsEmpty()) return false;
  const int eq = pat::FindCharOutsideBrackets(cmd, '=', 0);
  if (eq < 0) return false;
  const int colon = pat::FindCharOutsideBrackets(cmd, ':', 0);
  if (colon >= 0 && colon < eq) return false;
  CString operand = cmd.Mid(eq);
  if (StartsWith(operand, "==")) operand = operand.Mid(1);
  st.m_strStmtOperand = operand;
  cmd = cmd.Left(eq);
  return true;
}

// Whether the command ends in a plain "==" outside brackets (a single '='
// the scanner doubled).
bool EndsInPlainEquals(const CString& cmd, const ByteMap& map) {
  const int n = cmd.GetLength();
  return n >= 3 && cmd[n - 1] == '=' && cmd[n - 2] == '=' && map.PlainOutside(n - 1) && map.PlainOutside(n - 2);
}

bool IsSign(const CString& cmd, const ByteMap& map, int i) {
  if (!map.PlainOutside(i)) return false;
  const char c = cmd[i];
  return c == '=' || c == '<' || c == '>';
}

// The address or variable forms that are conditions by themselves: after an optional '(' and a run of
// digits and '-', a '[' or an '&' followed by a digit, 'D', '-', '@', '(',
// '[' or '#'.
bool IsAddressForm(const CString& cmd) {
  int i = 0;
  const int n = cmd.GetLength();
  if (i < n && cmd[i] == '(') ++i;
  while (i < n && (IsDigit(cmd[i]) || cmd[i] == '-')) ++i;
  if (i >= n) return false;
  if (cmd[i] == '[') return true;
  if (cmd[i] != '&' || i + 1 >= n) return false;
  const char c = cmd[i + 1];
  return IsDigit(c) || InSet(c, "D-@([#");
}

// "[x]++" gives "inc", "[x]--" "dec"; "++" or "--" and one byte
// after it gives the word with that byte.
CString IncDecWord(const CString& cmd) {
  const int n = cmd.GetLength();
  if (n < 3) return CString();
  const char a = cmd[n - 3], b = cmd[n - 2], c = cmd[n - 1];
  if (b == '+' && c == '+') return CString("inc");
  if (b == '-' && c == '-') return CString("dec");
  if (a == '+' && b == '+') return CString("inc") + c;
  if (a == '-' && b == '-') return CString("dec") + c;
  return CString();
}

// Index just past the variable at the start of `cmd` ("[name]", "&D12",
// "&Da", "&DT5", "&DTa", "&D[name]"), or -1.
int VariableEnd(const CString& cmd) {
  const int n = cmd.GetLength();
  int i;
  if (n > 0 && cmd[0] == '[') {
    i = 0;
  } else if (StartsWith(cmd, "&D")) {
    i = 2;
    if (i < n && cmd[i] == 'T' && i + 1 < n && cmd[i + 1] == '[') ++i;
    if (i >= n) return -1;
    if (cmd[i] != '[') {
      if (cmd[i] == 'T' && i + 1 < n && (IsDigit(cmd[i + 1]) || IsAsciiLetter(cmd[i + 1]))) return i + 2;
      if (IsAsciiLetter(cmd[i])) return i + 1;
      if (!IsDigit(cmd[i])) return -1;
      while (i < n && IsDigit(cmd[i])) ++i;
      return i;
    }
  } else {
    return -1;
  }
  // A bracket group: to its matching ']'.
  const ByteMap map(cmd);
  int depth = 0;
  for (; i < n; ++i) {
    if (!map.Plain(i)) continue;
    if (cmd[i] == '[') ++depth;
    if (cmd[i] == ']' && --depth == 0) return i + 1;
  }
  return -1;
}

// For a command that begins with '&': the letter after its address.
// The address is skipped only when the command is an address form (the byte
// after '&' opens one); "&R", "&&", "&L"... have their letter right after
// the '&'.
int FindCommandLetter(const CString& cmd) {
  const int n = cmd.GetLength();
  if (n < 2) return n;
  const char first = cmd[1];
  if (!(IsDigit(first) || InSet(first, "D-@([#"))) return 1;
  int depth = 0;
  int i = 0;
  while (i < n) {
    const char c = cmd[i];
    const char next = i + 1 < n ? cmd[i + 1] : '\0';
    if (PairAt(cmd, i)) {
      if (depth == 0) break;  // a double-byte character is never part of an address
      i += 2;                 // inside brackets: both bytes
      continue;
    }
    if ((c == '&' || c == '@') && next == '#') {
      ++i;  // stepped over; the '#' is read next
      continue;
    }
    if (c == '&' && next == 'D') {
      int j = i + 2;
      if (j < n && cmd[j] == 'T') ++j;
      if (j < n && cmd[j] == '[') {
        ++depth;
        i = j + 1;
        continue;
      }
    }
    if (c == '[' || c == '(') {
      ++depth;
      ++i;
      continue;
    }
    if (depth > 0) {
      if (c == ']' || c == ')') --depth;
      ++i;
      continue;
    }
    if (IsDigit(c) || InSet(c, "&@-_])RLUD")) {
      ++i;
      continue;
    }
    break;
  }
  return i < n ? i : n;
}

void SetLetters(const MacroState& st, PreparedStatement* p) {
  const CString& w = p->word;
  for (int k = 0; k < 3; ++k) p->c[k] = k < w.GetLength() ? static_cast<unsigned char>(w[k]) : kMissingLetter;
  if (p->c[0] != '&') {
    p->letter = p->c[1];
    p->letter2 = p->c[2];
    p->letterAt = -1;
    return;
  }
  const CString& cmd = st.m_strStmtCommand;
  const int n = cmd.GetLength();
  const int at = FindCommandLetter(cmd);
  p->letterAt = at < n ? at : -1;
  p->letter = at < n ? static_cast<unsigned char>(cmd[at]) : kMissingLetter;
  p->letter2 = at + 1 < n ? static_cast<unsigned char>(cmd[at + 1]) : kMissingLetter;
  if (p->letter == 'n' && at + 2 < n && cmd[at + 1] == 'c' && cmd[at + 2] == ':') p->letter = ':';
}

}  // namespace

bool IsRunControlWord(const CString& word) {
  for (const std::string_view w : kRunControlWords)
    if (word.Str() == w) return true;
  return false;
}

PreparedStatement PrepareStatement(MacroState& st, std::string_view text) {
  PreparedStatement p;
  CString& cmd = st.m_strStmtCommand;
  CString& operand = st.m_strStmtOperand;
  st.m_bStmtMultiCond = 0;

  // Several conditions, or several statements, joined by "||".
  // (The map is made only when the bytes "||" occur at all.)
  if (cmd.Str().find("||", 3) != std::string::npos) {
    const ByteMap map(cmd);
    const int bars = map.Find(cmd, "||", 3);
    if (bars >= 0) {
      bool control = false;
      for (const char* head : kMultiCondPrefixes) control = control || StartsWith(cmd, head);
      if (control)
        st.m_bStmtMultiCond = 1;
      else if (operand.IsEmpty())
        p.split = SplitAtBars(st, bars, text);
    }
  }

  // Escapes and short forms.
  cmd.Replace("&@:", "&@0:");
  cmd.Replace("&@#", "&@0#");
  cmd.Replace("\\_", " ");
  cmd.Replace(kFullWidthLowLine, kFullWidthBlank);
  operand.Replace("\\_", " ");
  operand.Replace(kFullWidthLowLine, kFullWidthBlank);

  // "if(", "while(", "for(".
  RewriteBracketForms(cmd);

  // Sort shorthand "&U3".
  if (cmd.GetLength() > 2 && StartsWith(cmd, "&U") && operand.IsEmpty()) cmd = CString("&Su") + cmd.Mid(2);

  // Assignments.
  const bool assigned = SplitAssignment(st);

  // Word and rest. The byte map is made on first use (cmd does not change
  // until its last use below).
  std::optional<ByteMap> plainMap;
  auto map = [&]() -> const ByteMap& {
    if (!plainMap) plainMap.emplace(cmd);
    return *plainMap;
  };
  const bool noOperand = operand.IsEmpty();
  const int colon = pat::FindCharOutsideBrackets(cmd, ':', 0);
  bool implicit = false;
  if (colon >= 0) {
    p.word = cmd.Left(colon);
    p.rest = cmd.Mid(colon + 1);
    implicit = IsSign(cmd, map(), colon - 1) || IsSign(cmd, map(), colon - 2);
  } else {
    p.word = cmd;
  }
  if (!implicit && !noOperand && !StartsWith(cmd, "if") && (map().Find(cmd, "&&", 1) >= 0 || map().Find(cmd, "||", 1) >= 0))
    implicit = true;
  if (implicit) {
    p.word = "if";
    p.rest = cmd;
  }

  // Increments and decrements (before the condition forms below, which
  // would otherwise take "[x]++" for a condition).
  const CString incDec = (noOperand && StartsWith(cmd, "[")) ? IncDecWord(cmd) : CString();
  if (!incDec.IsEmpty()) {
    p.word = incDec;
  } else if (colon < 0 && IsAddressForm(cmd) && (assigned || (!noOperand && EndsInPlainEquals(cmd, map())))) {
    // An assignment standing as a statement of its own: "[a]=5" (split
    // above into "[a]" and "=5") or "[a]=" with the value as operand. The
    // statement's texts stay as they are (the trace shows them); the word
    // is the target up to and including its '=' and the rest the value, as
    // the one-line assignments of "for" and "else" are cut.
    p.directCondition = true;
    p.assignment = true;
    if (assigned) {
      p.word = cmd + "=";
      p.rest = operand.Mid(1);
    } else {
      p.word = cmd.Left(cmd.GetLength() - 1);  // the scanner's "==" undone
      p.rest = operand;
    }
  } else if (colon < 0 && noOperand && IsAddressForm(cmd)) {
    p.directCondition = true;
    if (map().Find(cmd, "=", 0) >= 0) {
      p.word = "if";
      p.rest = cmd;
    } else {
      cmd += "=";
      p.word = cmd;
    }
  }

  // Translation, except for the run-control words ("replreg"
  // would lose its "repl").
  if (!IsRunControlWord(p.word)) MacroTranslateCommandWord(st, p.word, p.rest);

  // "[name]:" and "&D12:" replace inside the variable.
  {
    const int end = VariableEnd(cmd);
    if (end > 0 && end < cmd.GetLength() && cmd[end] == ':') {
      p.word = "replreg";
    }
  }
  p.runControl = IsRunControlWord(p.word);

  // Letters for classification.
  SetLetters(st, &p);
  return p;
}

}  // namespace macro
