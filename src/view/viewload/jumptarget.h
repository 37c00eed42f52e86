// Where a jump request takes the caret (the view's jump tick): the
// document's jump text read as a search or a line and column, and for rich
// text the paragraph that a line number reaches in the RTF source.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace viewload {

enum class JumpKind {
  kNone,    // an empty text (or "!" alone): nothing to do
  kSearch,  // find `text`; take hit `hit` (1 or 2) that is not behind a double quote
  kLine,    // line `line` (from 1), `column` characters in
};

struct JumpTarget {
  JumpKind kind = JumpKind::kNone;
  std::string text;  // kSearch
  int hit = 1;       // kSearch: 2 for "!" + text, else 1
  int line = 0;      // kLine: from 1
  int column = 0;    // kLine: characters into the line (0 without "&")
};

// "!" + text: the second hit of text; digits, optionally "&" and digits: a
// line and column; anything else: the first hit of the whole text. Numbers
// past the 32-bit range are taken as its limit.
JumpTarget ParseJumpText(const char* text, std::size_t len);

// The 0-based paragraph that line `line` (from 1) reaches in rich text
// `rtf`: paragraphs end at "\par", "\page" and "\row", and one under an
// exact spacing over 40 twips ("\pard\sl-N") counts as two lines. A line
// past the end gives the last paragraph; a line below 1 the first.
std::uint32_t RtfJumpParagraph(const char* rtf, std::size_t len, int line);

// The caret position of a line jump in a text of `textLength` characters:
// the line's first character + column, never past the end of the text (a
// column beyond the line's end runs into the next lines). -1 when the line
// does not exist (lineStart < 0).
long JumpCaret(long lineStart, int column, long textLength);

}  // namespace viewload
