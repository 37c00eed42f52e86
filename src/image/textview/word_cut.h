// The word a double-click in the text view takes: cut out of the caret's
// line (Shift-JIS bytes), an optional "::line&column" position suffix split
// off, and how much of a followed word is shown selected.
#pragma once

#include <cstdint>
#include <string>

namespace image::textview {

// Bytes of a line the cut looks at, and the longest word it takes.
constexpr int kLineBytes = 2000;
constexpr int kMaxWordBytes = 299;

struct WordCut {
  int start = 0;      // byte offset of the word's first byte in the line
  int end = 0;        // byte offset just past the word
  char closing = 0;   // closing delimiter: ']' after '[', ' ' after a tab or the line start, else the opening one
  int Length() const { return end - start; }
  bool Usable() const { return Length() >= 1 && Length() <= kMaxWordBytes; }
};

// Cuts the word around byte offset `caret` of `line` (`length` bytes, only
// the first kLineBytes used). With `spacesInWords` one space joins two
// words and two spaces part them. Never reads outside the line.
WordCut CutWordAtCaret(const char* line, int length, int caret, bool spacesInWords);

// A "::" position suffix of a double-clicked word ("file.txt::120&5").
struct PositionSuffix {
  bool applies = false;     // the word's last ':' follows another ':'
  bool numbersRead = false; // the suffix was short enough to hold a line
  std::int32_t jumpLine = 0;  // minus the line (the document's pending jump)
  bool hasColumn = false;
  std::int32_t jumpSel = 0;   // column * 256 + 12, saturated to fit 32 bits
  std::string suffix;       // the text after "::"
  std::string word;         // the text before "::" (the word followed)
};

// Splits the suffix off a word longer than 10 bytes; `applies` is false
// (and the rest empty) otherwise.
PositionSuffix SplitPositionSuffix(const std::string& word);

// Characters of a followed word shown selected: all of them below the
// limit (40 bytes, or 16 with `shortLinkSelect`), else 28 (or 4).
int LinkSelectionChars(int wordBytes, int wordChars, bool shortLinkSelect);

}  // namespace image::textview
