// Splitting the texts that carry patterns: statement addresses, RP texts,
// rename forms and the pattern operators of CSV conditions.
#include <memory>

#include "core/pattern/pattern.h"
#include "core/pattern/pattern_sjis.h"

namespace pat {

using namespace detail;

namespace {

bool IsPair(std::string_view t, size_t i) {
  return IsLead(static_cast<unsigned char>(t[i])) && i + 1 < t.size() &&
         IsTrail(static_cast<unsigned char>(t[i + 1]));
}

// Reads decimal digits at t[*i]; false when there are none or the number
// passes 99,999,999 (no row or column is that large).
bool ReadNumber(std::string_view t, size_t* i, int* value) {
  size_t start = *i;
  long long v = 0;
  while (*i < t.size() && t[*i] >= '0' && t[*i] <= '9') {
    v = v * 10 + (t[*i] - '0');
    if (v > 99999999) return false;
    ++*i;
  }
  *value = static_cast<int>(v);
  return *i > start;
}

// "&c", "&c1-c2", "&c-", "@r", "@r1_", "@r1_r2", each at most once.
bool ParseAddress(std::string_view a, SearchAddress* out) {
  SearchAddress r;
  bool cols = false, rows = false;
  size_t i = 0;
  while (i < a.size()) {
    char sigil = a[i++];
    int first = 0, last = 0;
    if (!ReadNumber(a, &i, &first) || first == 0) return false;
    char range = sigil == '&' ? '-' : '_';
    last = first;
    if (i < a.size() && a[i] == range) {
      ++i;
      last = 0;
      if (i < a.size() && a[i] >= '0' && a[i] <= '9') {
        if (!ReadNumber(a, &i, &last) || last < first) return false;
      }
    }
    if (sigil == '&' && !cols) {
      cols = true;
      r.firstCol = first;
      r.lastCol = last;
    } else if (sigil == '@' && !rows) {
      rows = true;
      r.firstRow = first;
      r.lastRow = last;
    } else {
      return false;
    }
  }
  *out = r;
  return true;
}

}  // namespace

int FindCharOutsideBrackets(std::string_view text, char ch, int start) {
  int depth = 0;
  for (size_t i = start < 0 ? 0 : static_cast<size_t>(start); i < text.size(); ++i) {
    if (IsPair(text, i)) {
      ++i;
      continue;
    }
    char c = text[i];
    if (c == '\\') {
      ++i;
      if (i < text.size() && IsPair(text, i)) ++i;
      continue;
    }
    if (c == ch && depth == 0) return static_cast<int>(i);
    if (c == '[') ++depth;
    if (c == ']' && depth > 0) --depth;
  }
  return -1;
}

int ReverseFindUnescaped(std::string_view text, char separator) {
  int last = -1;
  for (size_t i = 0; i < text.size(); ++i) {
    if (IsPair(text, i)) {
      ++i;
      continue;
    }
    if (text[i] == '\\') {
      ++i;  // the escaped byte is masked
      if (i < text.size() && IsPair(text, i)) ++i;
      continue;
    }
    if (text[i] == separator) last = static_cast<int>(i);
  }
  return last;
}

bool SplitSearchPattern(std::string_view command, SearchAddress* address, std::string* pattern) {
  *address = SearchAddress{};
  int colon = FindCharOutsideBrackets(command, ':', 0);
  if (colon >= 0) {
    SearchAddress a;
    if (ParseAddress(command.substr(0, static_cast<size_t>(colon)), &a)) {
      *address = a;
      pattern->assign(command.substr(static_cast<size_t>(colon) + 1));
      return true;
    }
  }
  pattern->assign(command);
  return false;
}

bool SplitRenamePattern(std::string_view name, std::string* rule) {
  rule->clear();
  if (name.empty()) return false;
  // Separator positions, skipping double-byte characters and escaped bytes.
  auto find = [&](char c, size_t from) -> size_t {
    for (size_t i = from; i < name.size(); ++i) {
      if (IsPair(name, i)) {
        ++i;
      } else if (name[i] == '\\') {
        ++i;
      } else if (name[i] == c) {
        return i;
      }
    }
    return std::string_view::npos;
  };
  size_t p1 = find(':', 0), p2;
  if (p1 != std::string_view::npos) {
    p2 = find(':', p1 + 1);
    if (p2 == std::string_view::npos) p2 = find('/', p1 + 1);
  } else {
    p1 = find('/', 0);
    if (p1 == std::string_view::npos) return false;
    p2 = find('/', p1 + 1);
  }
  if (p2 == std::string_view::npos) return false;
  rule->assign(name);
  (*rule)[p1] = ':';
  (*rule)[p2] = kRuleSep;
  return true;
}

int RenameByPattern(std::string_view typed, std::string_view name, std::string* newName) {
  newName->clear();
  std::string rule;
  if (!SplitRenamePattern(typed, &rule)) return 0;
  ExpandEscapeSequences(rule, kEscapeRename);
  std::string search, repl;
  unsigned flags = TranslateSearchPattern(rule, &search, &repl, '*') | kFlagReplaceMode;
  constexpr int kNameLimit = 256;  // names in and out
  if (name.size() > kNameLimit) return kErrBadArgument;
  int n = ReplaceInText(name, search, repl, flags, kNameLimit, newName);
  if (n <= 0) newName->clear();
  return n;
}

int ConditionPatternOperatorLength(std::string_view op) {
  static const char* const kForms[] = {"=:", "=0:", "=1:", "=nc:"};
  for (const char* f : kForms) {
    std::string_view fs(f);
    if (op.size() >= fs.size() && op.compare(0, fs.size(), fs) == 0)
      return static_cast<int>(fs.size());
  }
  return 0;
}

ConditionPattern PrepareConditionPattern(std::string_view rightOperand) {
  ConditionPattern c;
  std::string rule(rightOperand);
  ExpandEscapeSequences(rule, kEscapeSearch);
  std::string repl;
  c.flags = TranslateSearchPattern(rule, &c.search, &repl, '&') & ~kFlagHasReplacement;
  c.secondOperator = (c.flags & kFlagWholeText) ? '=' : '>';
  auto program = std::make_shared<PatternProgram>();
  program->Compile(c.search, std::string_view(), c.flags);
  c.program = std::move(program);
  return c;
}

bool MatchConditionPattern(const ConditionPattern& pattern, std::string_view cell) {
  if (!pattern.program || cell.size() > 0x7FFFFFF0u) return false;
  const char* text = cell.empty() ? "" : cell.data();
  return pattern.program->Find(text, 0, static_cast<int>(cell.size()), nullptr);
}

}  // namespace pat
