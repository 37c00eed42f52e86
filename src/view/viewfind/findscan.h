// The find commands of the text view, the part that needs no window: the
// find dialog's texts turned into a compiled rule, the rich edit's text as
// lines with character positions, and the scans (next match, previous match,
// every match of every line) with a poll for Esc between lines.
//
// docs/patterns.md section 2 ("The find commands of the view") describes how
// the view uses it.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/pattern/pattern.h"

namespace viewfind {

// The low three bits of the view's m_nSearchFlags; the bits from 3 up hold a
// 1-based column limit (0 = none).
constexpr unsigned kOptMatchCase = 1;
constexpr unsigned kOptWholeWord = 2;
constexpr unsigned kOptDown = 4;
constexpr unsigned kOptionBits = 7;
constexpr int kColumnShift = 3;
inline int ColumnOf(unsigned searchFlags) { return static_cast<int>(searchFlags >> kColumnShift); }

// Tuning of the scans.
struct FindTuning {
  int pollEvery;        // lines between two progress texts / Esc polls
  int firstOutLimit;    // output bytes tried first for one replaced line (then doubled)
  int maxOutLimit;      // largest output of one line
};
const FindTuning& Tuning();

// A compiled search (and replacement).
struct FindRule {
  std::string search;       // internal form (pattern.h)
  std::string replacement;
  unsigned flags = 0;
  bool cells = false;       // the text is a CSV display: TAB is the cell boundary 0x06
  std::shared_ptr<pat::PatternProgram> program;
};

// The stored dialog text (bytes 1 and 3 for the wildcards, everything else
// literal) as a rule text for ExpandEscapeSequences mode 3: the wildcards
// become '%' / '&', literal '%' '&' '\' are escaped, and every ':' is escaped
// so that a text such as "1:30" is never read as a prefix.
std::string StoredToRuleText(std::string_view stored);

// The rule of the find dialog: stored search and replacement texts, the
// option bits (kOptMatchCase, kOptWholeWord). `replace` adds the replacement
// part. False when the search text is empty (nothing to look for).
bool CompileDialogRule(std::string_view storedSearch, std::string_view storedReplacement, unsigned options,
                       bool replace, bool cells, FindRule* rule);
// The rule of a replace statement (user form, '&' = any run): pattern and
// operand; `extraFlags` (pattern.h bits) are added to the translation and the
// macro replace bits.
bool CompileMacroRule(std::string_view pattern, std::string_view operand, unsigned extraFlags, bool cells,
                      FindRule* rule);

// The text of the control as lines. Line breaks are CR, LF or CR LF (the rich
// edit gives CR); each byte of a break counts as one character position, a
// double-byte character as one. With `cells` every TAB becomes 0x06 (one byte
// for one byte, so the positions stay).
//
// Lines are found only as far as they are asked for (a search from the caret
// that finds a match near it never looks at the rest), 64 bytes at a time;
// the character position of a line start is counted only when a position on
// or after that line is asked for. A LineText is used by one thread at a time
// (the lookups extend these tables and remember the last line they found).
class LineText {
 public:
  LineText(std::string text, bool cells);
  // Over text the caller keeps alive and unchanged while this object lives
  // (no copy; no cells).
  explicit LineText(std::string_view borrowed);
  LineText(const LineText&) = delete;
  LineText& operator=(const LineText&) = delete;

  const char* data() const { return data_; }
  int size() const { return size_; }
  int LineCount() const;  // finds every line
  // Whether the text has a line `line` (finds the lines only up to it).
  bool HasLine(int line) const {
    return (line >= 0 && line < static_cast<int>(starts_.size())) || FindLine(line);
  }
  int LineStart(int line) const;  // line < LineCount()
  int LineEnd(int line) const;    // before the break
  int LineOfByte(int byte) const;
  long CharOfByte(int byte) const;
  int ByteOfChar(long ch) const;
  // The subject of `line`: the whole line, or cell `column` (1-based) of it;
  // false when the line has no such cell.
  bool Subject(int line, int column, int* start, int* end) const;

 private:
  // Finds the line starts in the bytes up to at least `byte` (all of them
  // when byte >= size()); afterwards every start <= byte is known.
  void IndexTo(int byte) const {
    if (byte >= indexedTo_ && indexedTo_ < size_) IndexMore(byte);
  }
  void IndexMore(int byte) const;
  bool FindLine(int line) const;  // HasLine when the line is not found yet
  // Character positions of line starts known up to `line` (inclusive).
  void CountCharsTo(int line) const;

  std::string own_;
  const char* data_ = nullptr;
  int size_ = 0;
  mutable std::vector<int> starts_;       // line starts found so far, in order
  mutable int indexedTo_ = 0;             // bytes [0, indexedTo_) looked at
  mutable std::vector<long> charStarts_;  // filled from line 0 on, as far as asked
  mutable int lastLine_ = 0;              // the line LineOfByte found last
};

// Poll between lines: gets the index of the line about to be scanned, returns
// true to stop. Called every Tuning().pollEvery lines.
using PollFn = std::function<bool(int line)>;

enum class ScanResult { kFound, kNotFound, kStopped };

// The scans (down, up, replace-all) look for the literal every match holds
// in one pass over the whole text and give the engine only the lines that
// hold it; false makes them go line by line (tests compare the two).
extern bool g_wholeTextScans;

// The first match that starts at or after `fromByte` (downward).
ScanResult FindNext(const LineText& text, const FindRule& rule, int column, int fromByte, pat::PatternHit* hit,
                    const PollFn& poll);
// The last match that starts before `beforeByte` (upward).
ScanResult FindPrevious(const LineText& text, const FindRule& rule, int column, int beforeByte,
                        pat::PatternHit* hit, const PollFn& poll);

// A replaced line: bytes [start, end) of the LineText become `text`.
struct LineEdit {
  int start = 0;
  int end = 0;
  std::string text;
};
// Every match of every line, replaced; the changed lines in `edits` (in text
// order). Returns the count, or a negative pattern code (pattern.h). When
// the poll stops, the lines scanned so far keep their edits and *stopped is set.
int ReplaceAll(const LineText& text, const FindRule& rule, int column, std::vector<LineEdit>* edits,
               bool* stopped, const PollFn& poll);

// The replacement of one selected match: true and *out when `selected`
// (bytes [start, end) of `text`, inside one line) is exactly a match.
bool ReplaceSelected(const LineText& text, const FindRule& rule, int column, int start, int end,
                     std::string* out);

// The replaced text as the control takes it (0x06 back to TAB in cells).
std::string ToControlText(const FindRule& rule, std::string text);

}  // namespace viewfind
