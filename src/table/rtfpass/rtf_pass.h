// The rewriting passes of a ruled table's RTF: each pass takes the RTF of
// the table block that the control streamed out, the command's arguments and
// a few facts read from the control, and copies the RTF forward once,
// changing what the command asks for. The passes are pure functions: the
// view streams the block out, calls a pass and streams its result back in.
//
// Every pass reads through RtfReader (bytes past the text read as NUL, so
// no look-ahead leaves the text) and writes through RtfWriter (bounded:
// it grows up to a limit and then reports the failure instead of writing
// past its room).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace table::rtfpass {

// The arguments of a rewrite, as the table engine hands them on.
struct PassArgs {
  int command = 0;      // 'D', 37, 39, '3'-'6', 'E', 'R', 'I', 'i', 'U'
  int caretChar = 0;    // character index of the caret in the control
  int firstPara = 0;    // first paragraph of the range, relative to the block (>= 0)
  int column = 0;       // column number from 1
  int endPara = 0;      // paragraph where the range ends (excluded); 0 = the block's end
  int count = 0;        // steps, style code (-1 cycles), or the split flag of 'I'
  int charPos = 0;      // 'I' with a nonzero count: the caret whose cell is split
  bool noShift = false; // 'i': the split without the shift of later stops
};

// What the view reads from the control for a pass.
struct PassFacts {
  int textSize = 21;          // the control's character size in half-points
  int lineCount = 0;          // the control's line count before the rewrite
  bool moveFollowing = false; // m_bTableMoveFollowing: later stops follow a width change
  int atrSplit = -1;          // the number after "ATR:%I" in the statement, -1 when none
  int caretOffset = 0;        // 'I': the caret's character offset inside its cell (from the control)
};

enum class PassError { kNone, kNoRoom };

struct PassResult {
  std::string rtf;        // the rewritten block (the input itself when nothing changed)
  std::string status;     // a status text for pane 104 ("width = %d"), or ""
  bool changed = false;
  PassError error = PassError::kNone;  // kNoRoom: the output would pass its limit
};

// Bytes of the streamed text; any index at or past its end reads 0.
class RtfReader {
 public:
  explicit RtfReader(std::string_view text) : text_(text) {}
  std::uint8_t At(std::size_t i) const { return i < text_.size() ? static_cast<std::uint8_t>(text_[i]) : 0; }
  bool Matches(std::size_t i, std::string_view word) const {
    for (std::size_t k = 0; k < word.size(); ++k)
      if (At(i + k) != static_cast<std::uint8_t>(word[k])) return false;
    return true;
  }
  std::size_t Size() const { return text_.size(); }
  std::string_view Text() const { return text_; }

 private:
  std::string_view text_;
};

// Output with a byte limit; once a write would pass it, the writer stops
// taking bytes and Failed() is true.
class RtfWriter {
 public:
  explicit RtfWriter(std::size_t limit) : limit_(limit) {}
  void Put(char c) {
    if (failed_ || out_.size() + 1 > limit_) {
      failed_ = true;
      return;
    }
    out_.push_back(c);
  }
  void Put(std::string_view s) {
    if (failed_ || s.size() > limit_ - out_.size()) {
      failed_ = true;
      return;
    }
    out_.append(s.data(), s.size());
  }
  bool Failed() const { return failed_; }
  std::string Take() { return std::move(out_); }
  const std::string& Out() const { return out_; }

 private:
  std::string out_;
  std::size_t limit_;
  bool failed_ = false;
};

// The output limit of a block: the room the frame sizes before a pass,
// max(200000, (tabs + 10 x lines) x 100 + 8 x lastLineBytes, 2 x textLen +
// 20000), checked against overflow, plus room the passes may grow into.
std::size_t OutputLimit(std::size_t textLen, std::size_t tabs, std::size_t lines, std::size_t lastLineBytes);

// ---------------------------------------------------------------------------
// Reading helpers shared by the passes.
//
// The control's RTF writer is not the ideal form: it puts a blank after
// "\tab", interleaves "\lang", "\f", "\cf" and "\uc" words, writes
// "\pard" only where the paragraph format changes, and adds header groups
// of its own. These helpers read a control word as one unit, step over the
// interleaved words where a pass looks ahead for a fixed word, and tell a
// paragraph end ("\par") from "\pard". All of them read through RtfReader
// and stop at the given bounds.
// ---------------------------------------------------------------------------

// A control word: a backslash, up to kMaxWordLetters letters, an optional
// signed number of up to kMaxWordDigits digits, and the one blank that ends
// it (which belongs to the word).
inline constexpr std::size_t kMaxWordLetters = 32;
inline constexpr int kMaxWordDigits = 10;

struct RtfWord {
  std::size_t start = 0;   // the backslash
  std::size_t end = 0;     // past the number and the ending blank
  std::string_view name;   // the letters
  bool hasNum = false;
  long long num = 0;       // the number, clamped to the int range
  int digits = 0;          // digits written, without the sign
  bool blank = false;      // ended by a blank
  bool Is(std::string_view n) const { return name == n; }
  // The word's bytes without its ending blank.
  std::string_view Bytes(std::string_view text) const {
    return text.substr(start, (blank ? end - 1 : end) - start);
  }
};

// Reads the control word at `at`; false when `at` holds no backslash
// followed by a letter (a control symbol such as "\'82" or "\\").
bool ReadWord(const RtfReader& r, std::size_t at, RtfWord* w);

// The end of the token at `at`: a control word, a control symbol ("\'xx" is
// four bytes, others two) or one byte. Never past the text's end.
std::size_t TokenEnd(const RtfReader& r, std::size_t at);

// "\par" ends a paragraph; "\pard" (paragraph defaults) does not.
inline bool IsParagraphEnd(const RtfWord& w) { return w.Is("par"); }

// Words the writers put between the words a pass looks for, which change
// nothing the passes read: "\lang", "\langfe", "\langnp", "\f", "\cf",
// "\uc", "\loch", "\hich", "\dbch".
bool IsInterleavedWord(const RtfWord& w);

// Steps over blanks, line ends and interleaved words from `at`; stops at
// anything else, and at `limit` at the latest. Returns where it stopped.
std::size_t SkipInterleaved(const RtfReader& r, std::size_t at, std::size_t limit);

// True when the control word `name` follows `at` after blanks, line ends and
// interleaved words, starting before `limit`; *w receives it.
bool WordFollows(const RtfReader& r, std::size_t at, std::string_view name, std::size_t limit, RtfWord* w = nullptr);

// A group whose content is no text of the document: "{\*...}", the font,
// colour and style tables, pictures, objects, headers, footers, notes and
// field instructions. Returns the end of the group (past its "}", or the
// text's end when it never closes) when one starts at `at`, else `at`.
std::size_t DestinationEnd(const RtfReader& r, std::size_t at);

// Appends "\<name><num>".
void AppendWord(std::string* out, std::string_view name, long long num);

// Calls `visit(word)` for each control word of the text outside header
// groups, in order; other tokens are stepped over.
template <typename Visit>
void ForEachWord(const RtfReader& r, Visit visit) {
  for (std::size_t p = 0; p < r.Size();) {
    const std::size_t dest = DestinationEnd(r, p);
    if (dest != p) {
      p = dest;
      continue;
    }
    RtfWord w;
    if (!ReadWord(r, p, &w)) {
      p = TokenEnd(r, p);
      continue;
    }
    visit(w);
    p = w.end;
  }
}

}  // namespace table::rtfpass
