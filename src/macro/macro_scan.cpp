#include "macro/macro_scan.h"

#include <climits>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "core/docsvc/sjis_state.h"

namespace macro {

namespace {

constexpr unsigned kTab = '\t';
constexpr unsigned kCr = '\r';
constexpr unsigned kLf = '\n';

// Pairs that join a column to the next line when they end it (one blank may
// follow), and the words that do so after a blank or ')'.
constexpr char kPairJoiners[] = "|&!:";
constexpr const char* kWordJoiners[] = {"OR", "AND"};
// What the next line may begin with (after its blanks and TABs) to carry a
// non-empty operand on.
constexpr const char* kOperandLeads[] = {"||", "!!", "&& ", "OR", "AND"};
// The statement a '#' mark gives in debug mode.
constexpr char kBreakStatement[] = "BK\r\n";

constexpr std::size_t kUsualColumn = 64;

bool IsLeadByte(unsigned c) {
  int state = 0;
  IsSjisLeadByteState(static_cast<unsigned char>(c), &state);
  return state != 0;
}

bool IsSign(unsigned c) { return c == '=' || c == '!' || c == '<' || c == '>' || c == '~'; }

// A column being collected: its bytes, per byte whether it reads as itself
// (neither half of a double-byte character nor escaped by '\'), and, for the
// command, the text offset of every byte.
struct Column {
  std::string bytes;
  std::vector<std::uint8_t> plain;
  std::vector<std::uint32_t> at;
  bool withOffsets = false;

  // Room for a usual statement, so the first bytes do not grow the buffers
  // step by step.
  void Reserve(std::size_t n) {
    bytes.reserve(n);
    plain.reserve(n);
    if (withOffsets) at.reserve(n);
  }
  bool Fits(int k) const { return bytes.size() + static_cast<std::size_t>(k) <= kStmtColumnMax; }
  void Put(unsigned c, std::uint64_t offset, bool isPlain) {
    bytes.push_back(static_cast<char>(c));
    plain.push_back(isPlain ? 1 : 0);
    if (withOffsets) at.push_back(static_cast<std::uint32_t>(offset));
  }
  void DropLast(std::size_t k) {
    bytes.resize(bytes.size() - k);
    plain.resize(plain.size() - k);
    if (withOffsets) at.resize(at.size() - k);
  }

  // True when the column ends with a joiner, or with a joiner and one blank.
  bool EndsWithJoiner() const {
    std::size_t e = bytes.size();
    if (e && bytes[e - 1] == ' ' && plain[e - 1]) --e;
    if (e >= 2 && plain[e - 1] && plain[e - 2] && bytes[e - 1] == bytes[e - 2] && bytes[e - 1] != '\0' &&
        std::strchr(kPairJoiners, bytes[e - 1]))
      return true;
    for (const char* w : kWordJoiners) {
      const std::size_t len = std::strlen(w);
      if (e < len + 1 || bytes.compare(e - len, len, w) != 0) continue;
      bool allPlain = true;
      for (std::size_t i = e - len - 1; i < e; ++i) allPlain = allPlain && plain[i];
      const char before = bytes[e - len - 1];
      if (allPlain && (before == ' ' || before == ')')) return true;
    }
    return false;
  }
};

// Appends as many whole characters of `add` to `out` as keep it within the
// column limit.
void AppendWithinLimit(std::string& out, const std::string& add) {
  std::size_t i = 0;
  while (i < add.size()) {
    const std::size_t k = IsLeadByte(static_cast<unsigned char>(add[i])) && i + 1 < add.size() ? 2 : 1;
    if (out.size() + k > kStmtColumnMax) break;
    out.append(add, i, k);
    i += k;
  }
}

class Scanner {
 public:
  Scanner(MacroState& st, const char* text, std::uint32_t length, int debugMode)
      : st_(st), t_(reinterpret_cast<const unsigned char*>(text)), n_(text ? length : 0), debug_(debugMode) {
    cmd_.withOffsets = true;
    cmd_.Reserve(kUsualColumn);
  }

  ScanResult Run();

 private:
  // Byte at p, 0 at or past the end of the text.
  unsigned Byte(std::uint64_t p) const { return p < n_ ? t_[p] : 0; }
  bool AtEnd(std::uint64_t p) const { return Byte(p) == 0; }
  bool IsBreak(std::uint64_t p) const {
    const unsigned c = Byte(p);
    return c == kCr || c == kLf;
  }
  // A column ends at a TAB, a line break or the end of the text.
  bool EndsColumn(std::uint64_t p) const {
    const unsigned c = Byte(p);
    return c == 0 || c == kTab || c == kCr || c == kLf;
  }
  // Byte at p when it still belongs to the column, else 0.
  unsigned ColByte(std::uint64_t p) const { return EndsColumn(p) ? 0 : Byte(p); }
  bool StartsWith(std::uint64_t p, const char* s) const {
    for (; *s; ++s, ++p)
      if (Byte(p) != static_cast<unsigned char>(*s)) return false;
    return true;
  }
  std::uint64_t AfterBreak(std::uint64_t p) const { return Byte(p) == kCr && Byte(p + 1) == kLf ? p + 2 : p + 1; }
  void PassBreak() {
    pos_ = AfterBreak(pos_);
    if (st_.m_nCmdLineNo < INT_MAX) ++st_.m_nCmdLineNo;
  }
  void SkipBlanks() {
    while (Byte(pos_) == ' ' || Byte(pos_) == kTab) ++pos_;
  }
  void SkipToLineEnd() {
    while (!AtEnd(pos_) && !IsBreak(pos_)) ++pos_;
  }

  ScanResult Finish(ScanResult result);
  void TakeBreakMark();
  void SkipLabel();
  int SkipToCommand();
  void TakeNumericStatement();
  bool NormaliseUnit();
  void CollectCommand();
  bool ContinueOnNextLine();
  bool NextLineContinuesOperand() const;
  bool CopyOperandUnit();
  void CollectOperand();
  void PlaceChainedCommands();

  MacroState& st_;
  const unsigned char* t_;
  std::uint64_t n_;
  int debug_;
  std::uint64_t pos_ = 0;

  bool breakMark_ = false;
  std::uint64_t breakPos_ = 0;

  Column cmd_;
  Column opd_;
  int condState_ = 0;
  int chainJoiners_ = 0;            // "::" joiners collected in the command
  std::size_t firstChainEnd_ = 0;   // command length just after the first
  std::size_t lastChainEnd_ = 0;    // command length just after the latest
};

ScanResult Scanner::Finish(ScanResult result) {
  st_.m_nMacroPos = static_cast<std::uint32_t>(pos_);
  if (result != ScanResult::kStatement) return result;
  if (breakMark_) {
    cmd_.bytes = kBreakStatement;
    cmd_.at.assign(cmd_.bytes.size(), static_cast<std::uint32_t>(breakPos_));
    opd_.bytes.clear();
  }
  st_.m_strStmtCommand = CString(std::move(cmd_.bytes));
  st_.m_strStmtOperand = CString(std::move(opd_.bytes));
  st_.m_anStmtCommandAt = std::move(cmd_.at);
  st_.m_nStmtBreakPos = breakMark_ ? static_cast<std::uint32_t>(breakPos_) : 0;
  return result;
}

// A '#' mark: in debug mode the statement becomes the break statement and a
// resumed run goes on just after the mark; otherwise the '#' is passed over.
void Scanner::TakeBreakMark() {
  if (Byte(pos_) != '#') return;
  breakMark_ = debug_ > 0;
  breakPos_ = pos_ + 1;
  ++pos_;
}

// The label column: its word, then the TABs and other control bytes after it
// on the same line, and a comment after that. A label whose line then ends
// heads the statement on the following lines; a '#' that begins the next
// line marks that statement.
void Scanner::SkipLabel() {
  while (!AtEnd(pos_) && Byte(pos_) >= 0x20) ++pos_;
  while (!AtEnd(pos_) && Byte(pos_) < 0x20 && !IsBreak(pos_)) ++pos_;
  if (Byte(pos_) == '/') SkipToLineEnd();
  if (IsBreak(pos_) && Byte(AfterBreak(pos_)) == '#') {
    PassBreak();
    TakeBreakMark();
  }
}

// Passes the blanks and control bytes before the command and returns the
// blanks counted on the command's own line. A line break is passed only into
// a line whose first column is empty (it begins with a blank, a TAB or a line
// break); before any other line the statement stays empty, so that line's
// own label and marks are read by the next scan.
int Scanner::SkipToCommand() {
  int blanks = 0;
  for (;;) {
    if (AtEnd(pos_)) break;
    const unsigned c = Byte(pos_);
    if (c == ' ') {
      ++blanks;
      ++pos_;
    } else if (c == kCr || c == kLf) {
      const unsigned next = Byte(AfterBreak(pos_));
      if (next != ' ' && next != kTab && next != kCr && next != kLf) break;
      PassBreak();
      blanks = 0;
    } else if (c < 0x20) {
      ++pos_;
    } else {
      break;
    }
  }
  return blanks;
}

// '7', '8', '9': the rest of the line up to its first control byte, at most
// kNumericStmtMax bytes (a double-byte character is not split), is the
// command; whatever follows on the line is passed over.
void Scanner::TakeNumericStatement() {
  while (!AtEnd(pos_) && Byte(pos_) >= 0x20) {
    const unsigned c = Byte(pos_);
    const bool pair = IsLeadByte(c) && Byte(pos_ + 1) >= 0x20;
    const std::size_t k = pair ? 2 : 1;
    if (cmd_.bytes.size() + k > kNumericStmtMax) break;
    cmd_.Put(c, pos_, !pair);
    if (pair) cmd_.Put(Byte(pos_ + 1), pos_ + 1, false);
    pos_ += k;
  }
  SkipToLineEnd();
}

// Copies one unit of the command column at pos_, normalising comparison
// signs: a single '=' or '!' becomes "==" / "!=", a single '<' or '>' gets a
// '$', while no comparison was seen since the statement began, the last
// joiner or a '['. Returns false, copying nothing, when the unit does not fit.
bool Scanner::NormaliseUnit() {
  const std::uint64_t p = pos_;
  const unsigned c = Byte(p);
  const unsigned d = ColByte(p + 1);

  // A double-byte character: its second byte is never read as a sign.
  if (IsLeadByte(c)) {
    const int k = d ? 2 : 1;
    if (!cmd_.Fits(k)) return false;
    cmd_.Put(c, p, false);
    if (d) cmd_.Put(d, p + 1, false);
    pos_ += k;
    return true;
  }
  // '\' keeps the next character from being read.
  if (c == '\\') {
    const bool pair = d && IsLeadByte(d) && ColByte(p + 2);
    const int k = d ? (pair ? 3 : 2) : 1;
    if (!cmd_.Fits(k)) return false;
    cmd_.Put(c, p, true);
    if (d) cmd_.Put(d, p + 1, false);
    if (pair) cmd_.Put(ColByte(p + 2), p + 2, false);
    pos_ += k;
    return true;
  }
  // Joiners end a condition.
  if ((c == '|' || c == '&' || c == ':') && d == c) {
    if (!cmd_.Fits(2)) return false;
    cmd_.Put(c, p, true);
    cmd_.Put(d, p + 1, true);
    condState_ = 0;
    if (c == ':') {
      if (chainJoiners_++ == 0) firstChainEnd_ = cmd_.bytes.size();
      lastChainEnd_ = cmd_.bytes.size();
    }
    pos_ += 2;
    return true;
  }
  if (p == 0 || Byte(p - 1) <= 0x20) {
    for (const char* w : kWordJoiners) {
      if (!StartsWith(p, w)) continue;
      const int k = static_cast<int>(std::strlen(w));
      if (!cmd_.Fits(k)) return false;
      for (int i = 0; i < k; ++i) cmd_.Put(Byte(p + i), p + i, true);
      condState_ = 0;
      pos_ += k;
      return true;
    }
  }
  if (c == '=') {
    const unsigned e = ColByte(p + 2);
    const unsigned f = ColByte(p + 3);
    // "=:" and "=0:" / "=1:" (not before a second ':') stay as written.
    const int keep = d == ':' ? 2 : ((d == '0' || d == '1') && e == ':' && f != ':') ? 3 : 0;
    if (keep) {
      if (!cmd_.Fits(keep)) return false;
      for (int i = 0; i < keep; ++i) cmd_.Put(Byte(p + i), p + i, true);
      pos_ += keep;
      return true;
    }
    if (d == 'n' && e == 'c') {
      if (f == ':') {  // "=nc:" is "=0:"
        if (!cmd_.Fits(3)) return false;
        cmd_.Put('=', p, true);
        cmd_.Put('0', p + 1, true);
        cmd_.Put(':', p + 3, true);
        pos_ += 4;
      } else {  // "=nc" compares: "==nc"
        if (!cmd_.Fits(2)) return false;
        cmd_.Put('=', p, true);
        cmd_.Put('=', p, true);
        pos_ += 1;
      }
      condState_ = 1;
      return true;
    }
  }
  if (IsSign(c)) {
    // A two-character operator, with a third sign after it copied too.
    if (d && (IsSign(d) || d == '#')) {
      const unsigned g = ColByte(p + 2);
      const int k = IsSign(g) ? 3 : 2;
      if (!cmd_.Fits(k)) return false;
      for (int i = 0; i < k; ++i) cmd_.Put(Byte(p + i), p + i, true);
      condState_ = 1;
      pos_ += k;
      return true;
    }
    if (c != '~') {
      const char added = condState_ != 0 ? 0 : (c == '=' || c == '!') ? '=' : '$';
      if (!cmd_.Fits(added ? 2 : 1)) return false;
      cmd_.Put(c, p, true);
      if (added) cmd_.Put(static_cast<unsigned char>(added), p, true);
      condState_ = 1;
      pos_ += 1;
      return true;
    }
  }
  // "'=" stays as written.
  if (c == '\'' && d == '=') {
    if (!cmd_.Fits(2)) return false;
    cmd_.Put(c, p, true);
    cmd_.Put(d, p + 1, true);
    pos_ += 2;
    return true;
  }
  if (!cmd_.Fits(1)) return false;
  if (c == '[') ++condState_;
  if (c == ']' && condState_ > 0) --condState_;
  cmd_.Put(c, p, true);
  pos_ += 1;
  return true;
}

// After a joiner that ends a line: passes the line break, the next line's
// leading blanks and TABs, and comment and empty lines. False when the text
// ends first.
bool Scanner::ContinueOnNextLine() {
  for (;;) {
    PassBreak();
    SkipBlanks();
    if (AtEnd(pos_)) return false;
    if (Byte(pos_) == '/') {
      SkipToLineEnd();
      if (AtEnd(pos_)) return false;
    }
    if (!IsBreak(pos_)) return true;
  }
}

void Scanner::CollectCommand() {
  for (;;) {
    bool full = false;
    while (!EndsColumn(pos_)) {
      if (!NormaliseUnit()) {
        full = true;
        break;
      }
    }
    if (full) {  // the rest of the column is not taken
      while (!EndsColumn(pos_)) ++pos_;
      return;
    }
    if (!IsBreak(pos_) || !cmd_.EndsWithJoiner() || !ContinueOnNextLine()) return;
  }
}

// Whether the line after the break at pos_ begins (after its blanks and
// TABs) with a joiner that carries the operand on.
bool Scanner::NextLineContinuesOperand() const {
  std::uint64_t q = AfterBreak(pos_);
  while (Byte(q) == ' ' || Byte(q) == kTab) ++q;
  for (const char* lead : kOperandLeads)
    if (StartsWith(q, lead)) return true;
  return false;
}

// Copies one character of the operand; false when it does not fit.
bool Scanner::CopyOperandUnit() {
  const unsigned c = Byte(pos_);
  const unsigned d = ColByte(pos_ + 1);
  if (c == kTab) {  // a TAB before '$' belongs to the operand
    if (!opd_.Fits(1)) return false;
    opd_.Put(c, pos_, true);
    pos_ += 1;
    return true;
  }
  // A double-byte character, or '\' and the character after it, is one unit.
  const bool lead = IsLeadByte(c);
  const bool escapedPair = !lead && c == '\\' && d && IsLeadByte(d) && ColByte(pos_ + 2);
  const int k = !d ? 1 : lead ? 2 : c == '\\' ? (escapedPair ? 3 : 2) : 1;
  if (!opd_.Fits(k)) return false;
  opd_.Put(c, pos_, !lead);
  for (int i = 1; i < k; ++i) opd_.Put(Byte(pos_ + i), pos_ + i, false);
  pos_ += k;
  return true;
}

void Scanner::CollectOperand() {
  auto inColumn = [this] { return !EndsColumn(pos_) || (Byte(pos_) == kTab && Byte(pos_ + 1) == '$'); };
  for (;;) {
    bool full = false;
    while (inColumn()) {
      if (!CopyOperandUnit()) {
        full = true;
        break;
      }
    }
    if (full) {
      while (inColumn()) ++pos_;
      return;
    }
    if (!IsBreak(pos_)) return;
    if (opd_.EndsWithJoiner()) {
      if (!ContinueOnNextLine()) return;
    } else if (!opd_.bytes.empty() && NextLineContinuesOperand()) {
      PassBreak();
      SkipBlanks();
    } else {
      return;
    }
  }
}

// "::" chains in the command: a "::" that ends the command is dropped, and
// when one is left, "::" and the text after the first are also given to the
// operand.
void Scanner::PlaceChainedCommands() {
  if (chainJoiners_ == 0) return;
  if (lastChainEnd_ == cmd_.bytes.size()) {
    cmd_.DropLast(2);
    --chainJoiners_;
  }
  if (chainJoiners_ == 0) return;
  AppendWithinLimit(opd_.bytes, "::" + cmd_.bytes.substr(firstChainEnd_));
}

ScanResult Scanner::Run() {
  st_.m_strStmtCommand.Empty();
  st_.m_strStmtOperand.Empty();
  st_.m_anStmtCommandAt.clear();
  st_.m_nStmtIndent = 0;
  pos_ = st_.m_nMacroPos;
  if (pos_ >= n_) return Finish(ScanResult::kEnd);

  // Comment lines, empty lines and line breaks.
  std::uint64_t lineStart;
  for (;;) {
    lineStart = pos_;
    SkipBlanks();
    if (AtEnd(pos_)) return Finish(ScanResult::kEnd);
    if (Byte(pos_) == '/') {
      SkipToLineEnd();
      if (AtEnd(pos_)) return Finish(ScanResult::kEnd);
    }
    if (!IsBreak(pos_)) break;
    PassBreak();
  }

  // The marks read at the line's first byte: "||", '#', the label, 'S'.
  // After a dropped "||" only '#' is read.
  pos_ = lineStart;
  bool lineHead = true;
  if (StartsWith(pos_, "||")) {
    pos_ += 2;
    lineHead = false;
  }
  TakeBreakMark();
  if (lineHead && (Byte(pos_) == 'L' || Byte(pos_) == ':')) SkipLabel();
  if (lineHead && Byte(pos_) == 'S') {
    pos_ = n_;
    return Finish(ScanResult::kStop);
  }

  st_.m_nStmtIndent = SkipToCommand();
  const unsigned first = Byte(pos_);
  if (first == '7' || first == '8' || first == '9') {
    TakeNumericStatement();
  } else if (first == '/') {
    SkipToLineEnd();
  } else if (first >= 0x20) {
    CollectCommand();
    while (Byte(pos_) == kTab) ++pos_;
    CollectOperand();
    if (Byte(pos_) == kTab) SkipToLineEnd();
    PlaceChainedCommands();
  }
  return Finish(ScanResult::kStatement);
}

}  // namespace

ScanResult ScanMacroStatement(MacroState& st, const char* text, std::uint32_t length, int debugMode) {
  Scanner scanner(st, text, length, debugMode);
  return scanner.Run();
}

int MacroCountLineBreaks(const char* text, std::uint32_t from, std::uint32_t to) {
  int count = 0;
  if (!text) return 0;
  for (std::uint32_t p = from; p < to; ++p) {
    const char c = text[p];
    if (c == '\n' && p > from && text[p - 1] == '\r') continue;
    if ((c == '\r' || c == '\n') && count < INT_MAX) ++count;
  }
  return count;
}

}  // namespace macro
