// Search-and-replace patterns: the one pattern language of the CSV conditions,
// the replace statements and the RP function, the line-wise replace, file
// renames and the find dialog. Portable: works on byte strings (Shift-JIS).
//
// The way through:
//   user text --ExpandEscapeSequences--> text with placeholders
//             --TranslateSearchPattern--> internal search + replacement + flags
//             --MatchPattern / PatternProgram--> matches, replaced output.
// docs/patterns.md describes the language for users and developers.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace pat {

// ---- Flag bits (TranslateSearchPattern's result, MatchPattern's options) ----
constexpr unsigned kFlagReplaceMode = 1u << 20;     // a replacing caller (macro replace, RP, rename)
constexpr unsigned kFlagWholeText = 1u << 21;       // the match must cover the whole subject
constexpr unsigned kFlagIgnoreCase = 1u << 22;      // "nc:": ASCII letters fold even with kFlagKeepCase
constexpr unsigned kFlagHasReplacement = 1u << 23;  // the rule had a replacement part (byte 0x1C)
constexpr unsigned kFlagWholeWord = 1u << 24;       // find dialog: no ASCII word character around the match
constexpr unsigned kFlagKeepCase = 1u << 25;        // compare case-sensitively (unless kFlagIgnoreCase)
constexpr unsigned kFlagOneField = 1u << 26;        // the subject ends at the next 0x06 (one CSV field)
// What the macro replace statements and the variable replace add: 0x2100000.
constexpr unsigned kFlagsMacroReplace = kFlagReplaceMode | kFlagKeepCase;

// ---- Bytes of the internal form ----
constexpr char kOneChar = 0x01;      // search: any one character (a double-byte character is one)
constexpr char kAnchorStart = 0x02;  // search: at the start of the subject
constexpr char kAnyRun = 0x03;       // search: the shortest run of characters, possibly empty
constexpr char kAnchorEnd = 0x04;    // search: at the end of the subject
constexpr char kCellSep = 0x06;      // the CSV cell boundary of the work buffer
constexpr char kMatchedText = 0x07;  // replacement: the matched text ($P)
constexpr char kFunctionMark = 0x08; // replacement: 0x08 name 0x08 = macro function on the match ($N)
constexpr char kRuleSep = 0x1C;      // rule: search text, 0x1C, replacement
constexpr char kCellStart = 0x18;    // search: at a cell start (\<)
constexpr char kCellEnd = 0x19;      // search: at a cell end (\>)

// Result codes below 0 (see PatternErrorText).
constexpr int kErrOutputFull = -1;  // the output limit was reached; nothing of the line was consumed
constexpr int kErrBadArgument = -2; // positions or lengths out of range, missing buffer
constexpr int kErrTooLarge = -3;    // the output would pass the largest buffer (2 GB)
constexpr int kErrNoMemory = -4;    // a work buffer could not be obtained
// Text of a negative result code (English, for logs and developer messages).
const char* PatternErrorText(int code);

// Most matches whose positions a call records.
constexpr int kMaxHits = 100;
struct PatternHit {
  int start = 0;   // offset of the match in the source
  int length = 0;  // matched bytes
};

// ---- Escapes ----
enum EscapeMode {
  kEscapeMessage = 0,  // message texts: \t \n(=CR LF) \r\n \\ \xHH only
  kEscapeRename = 2,   // rename patterns: as kEscapeSearch
  kEscapeSearch = 3,   // search/replace rules, CSV condition patterns, RP texts
};
// Rewrites the escapes in place and returns the new length. All modes: "\t" TAB,
// "\r\n" CR LF, "\n" LF (mode 0: CR LF), "\r" CR, "\\" backslash, "\xHH" that byte
// ("\x00" stays as written). Modes 2 and 3 also turn "\%" "\&" "\*" "\|" "\:" "\/"
// "\$" "\#" into literal placeholders (0x10-0x17), "\<" into kCellStart, "\>" into
// kCellEnd, and a backslash before other ASCII punctuation into that character.
// The bytes of double-byte characters are never taken for a backslash.
int ExpandEscapeSequences(std::string& text, int mode);

// Escapes a plain text so that it is searched literally (for example a picked
// cell value put behind "|" by the narrowing dialog).
std::string EscapePatternLiteral(std::string_view text);

// ---- Translation ----
// rule = search text [0x1C replacement]. Prefixes at the start (in any order,
// each once; a single leading ':' is dropped first): "0:" match anywhere,
// "1:" whole text, "nc:" ignore case. Search: '%' -> kOneChar, anyRun -> kAnyRun
// ('&' for macros and conditions, '*' for file names, 0 = none), '|' first ->
// kAnchorStart, '|' last -> kAnchorEnd (both anchors -> kFlagWholeText),
// placeholders -> literal bytes. Replacement: "NULL" -> empty, "$P" -> kMatchedText,
// "$N"name -> kFunctionMark name kFunctionMark, placeholders -> literal bytes.
// Returns the flags (kFlagWholeText, kFlagIgnoreCase, kFlagHasReplacement).
unsigned TranslateSearchPattern(std::string_view rule, std::string* search,
                                std::string* replacement, char anyRun);

// ---- Matching ----
// Installed by the macro interpreter: the value of the macro-defined function
// `name` applied to `matched`. Returns false to keep the matched text.
using FunctionHook = bool (*)(void* context, std::string_view name, std::string_view matched,
                              std::string* result);
void SetFunctionHook(FunctionHook hook, void* context);

// A compiled search and replacement; build once, match many lines.
class PatternProgram {
 public:
  PatternProgram();
  ~PatternProgram();
  PatternProgram(const PatternProgram&) = delete;
  PatternProgram& operator=(const PatternProgram&) = delete;

  // search and replacement in the internal form, flags as above.
  void Compile(std::string_view search, std::string_view replacement, unsigned flags);
  unsigned flags() const { return flags_; }
  // True when the search can never match (empty search text without kFlagWholeText).
  bool IsEmpty() const;

  // ---- Whole-text scans (the line-wise replace, the find commands) ----
  // The first position p >= from with p + n <= end where the literal part
  // that every match holds stands (ASCII letters in either case when case is
  // ignored), so the lines before it cannot hold a match; `end` when the rest
  // holds none; -1 when the search has no such part (try every line).
  int NextPossible(const char* text, int from, int end) const;
  // The last position p >= begin with p + n <= end where that literal
  // stands (upward searches), -1 when none does or the search has no such
  // literal.
  int PrevPossible(const char* text, int begin, int end) const;
  // For a search that must start at the subject start and begins with a
  // literal, over lines that end in LF: the start of the first line at or
  // after `from` (a line start) that begins with that literal, `end` when
  // none does; -1 when the search is not of this kind.
  int NextPossibleLineStart(const char* text, int from, int end) const;
  // True when a match is exactly an occurrence of one literal at a
  // character start (no wildcard, anchor, whole-text or whole-word rule, no
  // CR or LF in it, not ending in a lone lead byte).
  bool IsPlainLiteral() const;
  // For a plain literal: the first match inside text[from, end), `from` being
  // a character start. Hits never span a line break.
  bool NextLiteralMatch(const char* text, int from, int end, PatternHit* hit) const;
  // Appends the replacement of the match text[start, stop) to *out, as
  // MatchLine writes it (the match itself when the rule has no replacement).
  void AppendReplacement(const char* text, int start, int stop, std::string* out) const;

  // One subject from *readPos: to the end of the line (its CR LF or LF copied
  // and consumed) or, with kFlagOneField, to the next 0x06, CR, LF or NUL (not
  // consumed). Every match is replaced (or kept when there is no replacement);
  // the result goes to out[*outLen...] and both positions advance. out may be
  // null: nothing is written (count and hits only). colFirst/colLast (1-based,
  // 0 = all / to the last) restrict the subject to those cells of the line.
  // Returns the match count, kErrOutputFull when the line does not fit below
  // outLimit (positions left as they were), kErrBadArgument.
  int MatchLine(const char* src, int srcLen, int* readPos, char* out, int* outLen, int outLimit,
                int colFirst, int colLast, PatternHit* hits) const;

  // First match in the subject [start, end) of text that starts at or after
  // `from` (a character start; -1 = start); no output. Anchors stand at start
  // and end. Used by the find commands (downward) and the conditions.
  bool Find(const char* text, int start, int end, PatternHit* hit, int from = -1) const;
  // Last of the left-to-right matches in [start, end) that starts before
  // `before` (-1 = anywhere): the upward search.
  bool FindLast(const char* text, int start, int end, PatternHit* hit, int before = -1) const;

  struct Impl;

 private:
  unsigned flags_ = 0;
  std::unique_ptr<Impl> impl_;
};

// The engine entry the document wraps. Compiles (cached while the search,
// replacement and flags stay the same) and runs PatternProgram::MatchLine.
int MatchPattern(const char* src, char* out, std::string_view search, std::string_view replacement,
                 int* readPos, int* outLen, int srcLen, unsigned flags, int outLimit, int colFirst,
                 int colLast, PatternHit* hits);

// Applies a rule to a short text (a file name, a variable, a cell): returns the
// count (0 = no match) and the output, or a negative code; the output is empty
// and the result kErrOutputFull when it would pass outLimit bytes.
int ReplaceInText(std::string_view text, std::string_view search, std::string_view replacement,
                  unsigned flags, int outLimit, std::string* output);

// ---- The line-wise replace over a whole buffer ----
struct ReplaceLinesOptions {
  int firstLine = 0;   // 0-based index of the first line replaced
  int lastLine = -1;   // last line replaced (inclusive); below 0 = to the end
  int colFirst = 0;    // cell restriction, as MatchLine
  int colLast = 0;
  // Called every 1000th line from line 20000 on; returning true stops the
  // replacing (the remaining lines are copied unchanged).
  bool (*poll)(void* context, int lineIndex) = nullptr;
  void* pollContext = nullptr;
};
struct ReplaceLinesStats {
  int passes = 0;       // 1 unless the output outgrew its buffer and the pass restarted
  bool stopped = false; // poll asked to stop
  int fieldCount = 0;   // 0x06 bytes in the first output line + 1
  int lineCount = 0;    // LF bytes in the output
};
// TAB in search and replacement stands for the cell boundary 0x06. Lines that
// begin with "!" 0x06 and lines outside the range are copied unchanged. The
// output buffer of pass n holds len * 2^n + 1000 bytes; a line that does not fit
// restarts the pass with the next size, and only the last pass's count counts.
// Returns the count (>= 0) or kErrTooLarge / kErrNoMemory / kErrBadArgument.
int ReplaceLines(const char* text, int len, std::string_view search, std::string_view replacement,
                 unsigned flags, const ReplaceLinesOptions& options, std::string* output,
                 ReplaceLinesStats* stats);
// Lines that cannot match are copied many at a time (on by default); off,
// every line goes through the engine (tests compare the two).
void SetLineSkipping(bool on);

// ---- Splitting helpers ----
// Index of the first `ch` at or after `start` outside square-bracket groups,
// skipping double-byte characters and backslash escapes; -1 when none.
int FindCharOutsideBrackets(std::string_view text, char ch, int start);
// Index of the last `separator` not escaped by a backslash; -1 when none.
int ReverseFindUnescaped(std::string_view text, char separator);

// Address part of a replace statement's command ("&c", "&c1-c2", "&c-", "@r",
// "@r1_", "@r1_r2", both in either order; 0 = not given / to the last).
struct SearchAddress {
  int firstRow = 0;
  int lastRow = 0;
  int firstCol = 0;
  int lastCol = 0;
};
// Splits "address:pattern" at the first ':' outside brackets. When the text
// before it is not an address, the whole command is the pattern. Returns true
// when an address part (possibly empty, ":pattern") was taken off.
bool SplitSearchPattern(std::string_view command, SearchAddress* address, std::string* pattern);

// Rename form: ":search:replace", "/search/replace" (also ":search/replace").
// On success *rule is "search" 0x1C "replace" with the separator turned into ':'
// (ready for ExpandEscapeSequences mode 2 and TranslateSearchPattern with '*').
bool SplitRenamePattern(std::string_view name, std::string* rule);
// Whole rename: builds the new name of `name` from the rename pattern `typed`;
// returns the count (0 = no replacement, the entry is skipped) or a negative code.
int RenameByPattern(std::string_view typed, std::string_view name, std::string* newName);

// Find dialog: while the dialog edits its texts the wildcards are the bytes 1
// and 3. To the dialog: 1 -> '%', 3 -> '&', a literal '%' '&' '\' escaped.
// From the dialog: '%' -> 1, '&' -> 3, "\%" "\&" "\\" -> the literal byte.
std::string FindTextToDialog(std::string_view stored);
std::string DialogToFindText(std::string_view typed);

// ---- CSV condition pattern forms ----
// Length of the pattern operator at `op` ("=:" 2, "=0:" 3, "=1:" 3, "=nc:" 4),
// 0 when `op` is no pattern form. The right operand keeps everything after '='.
int ConditionPatternOperatorLength(std::string_view op);
struct ConditionPattern {
  std::string search;
  unsigned flags = 0;
  char secondOperator = '>';  // '=' whole text (kFlagWholeText), '>' match anywhere
  std::shared_ptr<const PatternProgram> program;  // compiled once, tested on every row
};
// Expands (mode 3) and translates (anyRun '&') a right operand such as ":A",
// "1:A", "nc:|A".
ConditionPattern PrepareConditionPattern(std::string_view rightOperand);
// Whether the cell text matches; whole text when secondOperator is '='.
bool MatchConditionPattern(const ConditionPattern& pattern, std::string_view cell);

}  // namespace pat
