#include "csv/csv_condcompile.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "core/pattern/pattern.h"

namespace csv {

const char kCondTooManyPiecesText[] = "Over max 40 of && or ||";
const char kCondTooManyActionsFormat[] = "#Over max 40 of commands using ||\nat command line : %d";

namespace {

constexpr char kLiteralOpen = 5;   // "\(" while the condition is split
constexpr char kLiteralClose = 6;  // "\)" and the ')' closing a "#(" call

bool StartsWith(const std::string& s, const char* p) { return s.compare(0, std::strlen(p), p) == 0; }
bool EndsWith(const std::string& s, const char* p) {
  const std::size_t n = std::strlen(p);
  return s.size() >= n && s.compare(s.size() - n, n, p) == 0;
}

void ReplaceAll(std::string& s, const char* from, const char* to) {
  const std::size_t n = std::strlen(from), m = std::strlen(to);
  for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + m)) s.replace(at, n, to);
}

// The operand words: whole words, compared exactly.
struct Word {
  std::string_view text;
  int mode;
  int mark;
};
constexpr Word kWords[] = {
    {"&SL", kCondSelect, 0},          {"&select", kCondSelect, 0},
    {"&KL", kCondKill, 0},            {"&kill", kCondKill, 0},
    {"&SL2", kCondSelect2, 0},        {"&select2", kCondSelect2, 0},
    {"&KL2", kCondKill2, 0},          {"&kill2", kCondKill2, 0},
    {"&CKN", kCondCount, 0},          {"&CK", kCondCount, 0},
    {"&checknumber", kCondCount, 0},  {"&SR", kCondSelectCols, 0},
    {"&selectrow", kCondSelectCols, 0}, {"&KR", kCondKillCols, 0},
    {"&killrow", kCondKillCols, 0},   {"&SR1", kCondSelectCols1, 0},
    {"&SR2", kCondSelectCols1, 0},    {"&selectrow1", kCondSelectCols1, 0},
    {"&selectrow2", kCondSelectCols1, 0}, {"&KR1", kCondKillCols1, 0},
    {"&KR2", kCondKillCols1, 0},      {"&killrow1", kCondKillCols1, 0},
    {"&killrow2", kCondKillCols1, 0}, {"&CKL", kCondCheckLines, 0},
    {"&checkline", kCondCheckLines, 0},
    {"&MK", kCondActions, 1},         {"&mark", kCondActions, 1},
    {"&MKN", kCondActions, 2},        {"&marknum", kCondActions, 2},
    {"&MKC", kCondActions, 3},        {"&markcnt", kCondActions, 3},
    {"&MKH", kCondActions, 4},        {"&markhit", kCondActions, 4},
    {"&MKH2", kCondActions, 5},       {"&markhit2", kCondActions, 5},
    {"&MKC1", kCondActions, 6},       {"&markcnt1", kCondActions, 6},
};

// The step form: "&D5++" (or "--", or either followed by a digit) with the
// operand ">" is one assignment.
bool ApplyStepForm(std::string& command, std::string& operand) {
  const std::size_t n = command.size();
  if (operand != ">" || n <= 2) return false;
  auto pairAt = [&](std::size_t at) {
    return (command[at] == '+' && command[at + 1] == '+') || (command[at] == '-' && command[at + 1] == '-');
  };
  if (!pairAt(n - 2) && !pairAt(n - 3)) return false;
  std::size_t plus = command.find("++");
  std::size_t at = plus != std::string::npos ? plus : command.find("--");
  const char last = command[n - 1];
  const char digit = last >= '1' && last <= '9' ? last : '1';
  const std::string base = command.substr(0, at);
  const bool add = plus != std::string::npos && plus > 0;
  operand = "#(" + base + (add ? "+" : "-") + digit + ")";
  command = base + "=";
  return true;
}

void SetOperation(CompiledCondition& c) {
  const std::string& op = c.operand;
  for (const Word& w : kWords) {
    if (op == w.text) {
      c.mode = w.mode;
      c.markKind = w.mark;
      return;
    }
  }
  const bool ml = op.size() > 2 && StartsWith(op, "&ML");
  const bool mr = op.size() > 2 && StartsWith(op, "&MR");
  const bool merge = op.size() > 5 && StartsWith(op, "&merge");
  if (mr) {
    c.mode = kCondMergeCells;
  } else if (ml || merge) {
    c.mode = kCondMergeRows;
  }
  if (c.mode == kCondMergeRows) {
    const std::size_t plus = op.find('+');
    c.mergeHasPlus = plus != std::string::npos;
    c.mergeColumnText = op.substr(0, plus);
    if (c.mergeHasPlus) c.mergeJoiner = op.substr(plus + 1);
  } else if (c.mode == kCondMergeCells) {
    c.mergeColumnText = op;
    c.mergeOption = op.back();
  } else if (!op.empty() && op[0] == '>') {
    c.findForm = true;
  }
}

// Counts and removes the '(' at the start of s.
int CutLeading(std::string& s, char ch) {
  std::size_t k = 0;
  while (k < s.size() && s[k] == ch) ++k;
  s.erase(0, k);
  return static_cast<int>(k);
}
int CutTrailing(std::string& s, char ch) {
  std::size_t k = 0;
  while (k < s.size() && s[s.size() - 1 - k] == ch) ++k;
  s.resize(s.size() - k);
  return static_cast<int>(k);
}

bool IsPatternOperator(const std::string& t, std::size_t i) {
  if (t[i] != '=' || i + 1 >= t.size()) return false;
  const char n = t[i + 1];
  if (n == ':') return true;
  if ((n == '0' || n == '1') && i + 2 < t.size() && t[i + 2] == ':') return true;
  return t.compare(i + 1, 3, "nc:") == 0;
}

// The first operator position of a piece, npos when it has none.
std::size_t FindOperator(const std::string& t) {
  for (std::size_t i = 0; i < t.size(); ++i) {
    const char c = t[i];
    const char n = i + 1 < t.size() ? t[i + 1] : 0;
    if (c == '=' && (n == '=' || n == ':' || n == '#')) return i;
    if (IsPatternOperator(t, i)) return i;
    if (c == '!' && (n == '=' || n == '>' || n == '<' || n == '#')) return i;
    if (c == '~' && (n == '=' || n == '!' || n == '>' || n == '<')) return i;
    if (c == '>' || c == '<') return i;
    if (n == 2) return i;
    if (c == '=' && i + 1 == t.size()) return i;
  }
  return std::string::npos;
}

void ScanOperator(CondPiece& p) {
  const std::string& t = p.text;
  const std::size_t i = FindOperator(t);
  if (i == std::string::npos) return;
  p.hasOperator = true;
  p.left = t.substr(0, i);
  p.op1 = t[i];
  p.op2 = i + 1 < t.size() ? t[i + 1] : 0;
  std::size_t rightAt = i + 1;
  if (p.op2 != 0 && std::strchr("=!<>~$", p.op2)) ++rightAt;
  p.right = rightAt < t.size() ? t.substr(rightAt) : std::string();
  if (p.op1 == '=' && i + 1 == t.size()) {
    p.assignTarget = true;
    return;
  }
  if (IsPatternOperator(t, i)) {
    auto cp = std::make_shared<pat::ConditionPattern>(pat::PrepareConditionPattern(p.right));
    p.op1 = ':';
    p.op2 = cp->secondOperator;
    p.pattern = std::move(cp);
  }
}

void RestoreLiteralBrackets(std::string& s) {
  for (char& c : s) {
    if (c == kLiteralOpen) c = '(';
    else if (c == kLiteralClose) c = ')';
  }
}

// Splits the normalised condition into pieces with their joiners.
void SplitPieces(std::string s, CompiledCondition& c) {
  CondPiece first;
  first.joiner = kJoinOr;
  first.open = CutLeading(s, '(');
  CondPiece cur = first;
  c.groupStarts.assign(1, 0);
  for (;;) {
    const std::size_t andAt = s.size() > 1 ? s.find("&&", 1) : std::string::npos;
    const std::size_t orAt = s.size() > 1 ? s.find("||", 1) : std::string::npos;
    const std::size_t grpAt = s.size() > 1 ? s.find("::", 1) : std::string::npos;
    std::size_t at = std::min(andAt, std::min(orAt, grpAt));
    if (at == std::string::npos) {
      c.finalClose = CutTrailing(s, ')');
      cur.text = s.empty() ? std::string("   ") : s;
      c.pieces.push_back(std::move(cur));
      break;
    }
    std::string text = s.substr(0, at);
    if (!text.empty() && (text.back() == ' ' || text.back() == '_')) text.pop_back();
    const int closing = CutTrailing(text, ')');
    cur.text = std::move(text);
    c.pieces.push_back(std::move(cur));
    if (static_cast<int>(c.pieces.size()) >= kCondMaxPieces) {
      c.tooManyPieces = true;
      c.finalClose = closing;
      return;
    }
    std::string rest = s.substr(at + 2);
    if (!rest.empty() && (rest[0] == ' ' || rest[0] == '_')) rest.erase(0, 1);
    CondPiece next;
    next.joiner = at == andAt ? kJoinAnd : kJoinOr;
    next.closeBefore = closing;
    next.open = CutLeading(rest, '(');
    if (at == grpAt) c.groupStarts.push_back(static_cast<int>(c.pieces.size()));
    cur = std::move(next);
    s = std::move(rest);
  }
  if (static_cast<int>(c.pieces.size()) >= kCondMaxPieces) c.tooManyPieces = true;
}

// The most brackets open at one time while the pieces are folded.
int DeepestNesting(const CompiledCondition& c) {
  int depth = 0, deepest = 0;
  for (const CondPiece& p : c.pieces) {
    depth -= std::min(depth, p.closeBefore);
    depth += p.open;
    deepest = std::max(deepest, depth);
  }
  return deepest;
}

}  // namespace

std::string NormaliseCondition(std::string s) {
  ReplaceAll(s, "\\(", "\x05");
  ReplaceAll(s, "\\)", "\x06");
  static const char* const kWordsFrom[] = {" AND ", " OR ", ")AND ", ")OR ", " AND(", " OR(", ")AND(", ")OR("};
  static const char* const kWordsTo[] = {" && ", " || ", ")&& ", ")|| ", " &&(", " ||(", ")&&(", ")||("};
  for (std::size_t k = 0; k < sizeof kWordsFrom / sizeof *kWordsFrom; ++k) ReplaceAll(s, kWordsFrom[k], kWordsTo[k]);
  ReplaceAll(s, " )", ")");
  ReplaceAll(s, "( ", "(");
  // A '(' right after '#' opens a function call; its closing ')' takes no
  // part in the grouping.
  for (std::size_t i = 1; i < s.size(); ++i) {
    if (s[i] != '(' || s[i - 1] != '#') continue;
    int depth = 1;
    std::size_t j = i + 1;
    for (; j < s.size(); ++j) {
      if (s[j] == '(') ++depth;
      else if (s[j] == ')' && --depth == 0) break;
    }
    if (j < s.size()) s[j] = kLiteralClose;
  }
  return s;
}

std::vector<CondAction> SplitActions(const std::string& operand, bool* tooMany) {
  *tooMany = false;
  std::string s = operand;
  // Bytes inside "$(...)" take no part in the split.
  std::vector<char> shielded(s.size(), 0);
  for (std::size_t i = 0; i + 1 < s.size(); ++i) {
    if (s[i] != '$' || s[i + 1] != '(') continue;
    int depth = 1;
    std::size_t j = i + 2;
    for (; j < s.size() && depth > 0; ++j) {
      if (s[j] == '\\') {
        shielded[j] = 1;
        if (j + 1 < s.size()) shielded[++j] = 1;
        continue;
      }
      if (s[j] == '(') ++depth;
      else if (s[j] == ')' && --depth == 0) break;
      shielded[j] = 1;
    }
    i = j;
  }
  auto open = [&](std::size_t at) { return at < s.size() && !shielded[at]; };
  auto sepAt = [&](std::size_t at) {
    if (at + 1 >= s.size() || !open(at) || !open(at + 1) || s[at] != s[at + 1]) return false;
    return s[at] == '|' || s[at] == ':' || s[at] == '!' || s[at] == '&';
  };
  // Blanks around the separators go; "&&" separates as "||" does.
  std::string t;
  std::vector<char> tShield;
  t.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    if (sepAt(i)) {
      while (!t.empty() && t.back() == ' ' && !tShield.back()) t.pop_back(), tShield.pop_back();
      t.append(s[i] == '&' ? "||" : s.substr(i, 2));
      tShield.insert(tShield.end(), 2, 0);
      i += 2;
      while (i < s.size() && s[i] == ' ' && !shielded[i]) ++i;
      continue;
    }
    t.push_back(s[i]);
    tShield.push_back(shielded[i]);
    ++i;
  }
  std::vector<std::string> parts;
  std::size_t from = 0;
  for (std::size_t i = 0; i + 1 < t.size(); ++i) {
    if (tShield[i] || tShield[i + 1] || t[i] != t[i + 1]) continue;
    if (t[i] != '|' && t[i] != ':' && t[i] != '!') continue;
    if (static_cast<int>(parts.size()) + 1 >= kCondMaxActions) {
      *tooMany = true;
      break;
    }
    parts.push_back(t.substr(from, i - from));
    from = i + 2;
    i = from - 1;
  }
  parts.push_back(t.substr(from));

  std::vector<CondAction> actions;
  for (std::string& a : parts) {
    CondAction act;
    std::size_t eq = std::string::npos;
    for (std::size_t i = 0; i < a.size(); ++i) {
      if (a[i] == '\\' && i + 1 < a.size()) {
        ++i;
        continue;
      }
      if (a[i] == '=') {
        eq = i;
        break;
      }
    }
    if (eq != std::string::npos) {
      act.hasTarget = true;
      act.target = a.substr(0, eq);
      act.value = a.substr(eq + 1);
    } else if (StartsWith(a, "inc ") || StartsWith(a, "dec ")) {
      std::string target = a.substr(4);
      while (!target.empty() && target[0] == ' ') target.erase(0, 1);
      act.hasTarget = true;
      act.value = "#(" + target + (a[0] == 'i' ? "+1)" : "-1)");
      act.target = std::move(target);
    } else if (a.size() > 2 && (EndsWith(a, "++") || EndsWith(a, "--"))) {
      act.hasTarget = true;
      act.target = a.substr(0, a.size() - 2);
      act.value = "#(" + act.target + (a.back() == '+' ? "+1)" : "-1)");
    } else {
      act.value = a;
    }
    actions.push_back(std::move(act));
  }
  return actions;
}

CompiledCondition CompileCondition(std::string command, std::string operand) {
  CompiledCondition c;
  if (StartsWith(command, "&[0]")) {
    c.status = kCondNothing;
    return c;
  }
  if (!command.empty() && command.back() == '=' && !operand.empty() && operand[0] == '=') operand.erase(0, 1);
  c.stepForm = ApplyStepForm(command, operand);
  c.command = command;
  c.operand = operand;
  SetOperation(c);

  std::string s = NormaliseCondition(command);
  if (s.empty()) {
    c.status = kCondEmpty;
    return c;
  }
  SplitPieces(std::move(s), c);
  for (std::size_t k = 0; k < c.pieces.size(); ++k) {
    CondPiece& p = c.pieces[k];
    RestoreLiteralBrackets(p.text);
    ScanOperator(p);
    if (p.assignTarget && c.assignPiece < 0) c.assignPiece = static_cast<int>(k);
  }
  const CondPiece& head = c.pieces.front();
  if (!head.hasOperator && head.right.empty() && (head.text.empty() || (head.text[0] != '&' && head.text[0] != '@')) &&
      head.text.find("@#(") == std::string::npos) {
    c.status = kCondBareWord;
    return c;
  }
  if (DeepestNesting(c) > kCondStackDepth) {
    c.status = kCondTooDeep;
    return c;
  }
  if (c.mode == kCondActions && c.markKind == 0 && !c.findForm)
    c.actions = SplitActions(operand, &c.tooManyActions);
  return c;
}

}  // namespace csv
