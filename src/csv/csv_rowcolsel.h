// The text logic of the row and column order dialog: the title text of a
// table's first row, the title list's entries and sorts, the edits of the
// column order text (title picks, range, rest, delete, take back) and the
// two title copies. The dialog only moves these texts to and from its
// controls.
//
// Title text: one line per column, "%4d: " and the title as it stands in
// the row (quotes kept), lines separated by CR LF, the row's own CR or LF
// at its end. An entry is a title-text line without double quotes, at most
// kRowColEntryWidth bytes, never ending in a lead byte without its trail
// byte; byte 4 is its mark (':' free, '*' taken into the column order).
//
// Texts are Shift-JIS; every position is a byte offset.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace csv {

constexpr std::size_t kRowColTitleMax = 90000;    // title text, cut after its last LF
constexpr std::size_t kRowColEntryMax = 9000;     // list lines
constexpr std::size_t kRowColEntryWidth = 55;     // bytes kept per list line
constexpr std::size_t kRowColClipBlock = 50005;   // clipboard block with its NUL
constexpr std::size_t kRowColCopySource = 50000;  // title-text bytes the horizontal copy reads
constexpr std::size_t kRowColOrderMax = 25000;    // characters of an order text

// The longest prefix of `s` of at most `max` bytes that ends on a character
// boundary (a lead byte whose trail byte would be cut goes too).
std::string CutAtCharBoundary(const std::string& s, std::size_t max);

// An edit control counts its caret in characters, these texts in bytes:
// the byte offset of character `chars` (the end when the text is shorter),
// and the characters before byte `bytes`.
std::size_t ByteOffsetOfChar(const std::string& text, std::size_t chars);
std::size_t CharCountBefore(const std::string& text, std::size_t bytes);

// The title text of the row that starts at text[start] (`len` bytes in
// all, 0x06 or TAB between the fields). With `cellCodes` the in-cell line
// break codes are written as blanks.
std::string RowColTitleText(const std::uint8_t* text, std::size_t len, std::size_t start, bool cellCodes);

// The list entries of a title text: one per non-empty line (CR, LF or
// CR LF ends a line), double quotes skipped, cut to `width` bytes at a
// character boundary; at most kRowColEntryMax.
std::vector<std::string> RowColEntries(const std::string& titles, std::size_t width);

// The column number of an entry (its first 4 bytes, blanks skipped); 0
// when it holds none.
int RowColEntryNumber(const std::string& entry);

// The list orders: 1 by title ascending, 2 descending (bytes 5 to 54,
// unsigned), 3 by number (bytes 0 to 4). Equal entries keep their order.
void SortRowColEntries(std::vector<std::string>& entries, int kind);

// A column order text being edited: the text, the caret (a byte offset),
// and what the edit did to the list.
struct RowColEdit {
  std::string text;
  std::size_t caret = 0;
  std::vector<std::size_t> changed;  // entries whose mark changed
  int select = -1;                   // entry to make the list's current line
};

// A pick of list line `line`. `picked` is the dialog's first-pick flag:
// while it is false a text of exactly "1-" is emptied first; the pick sets
// it. Returns false when the pick changed nothing.
bool RowColPick(RowColEdit& edit, std::vector<std::string>& entries, std::size_t line, bool* picked);

// The buttons "－" (range), "＊" (rest) and "#del"; the caret goes to the end.
void RowColRange(RowColEdit& edit);
void RowColRest(RowColEdit& edit);
void RowColDelete(RowColEdit& edit);
// "＜": the last item (a number or a range) goes, with its comma and what
// follows it; the entries of its numbers lose their marks.
void RowColTakeBack(RowColEdit& edit, std::vector<std::string>& entries);

// The title copies as they go on the clipboard (without the NUL, at most
// kRowColClipBlock - 1 bytes, cut at a character boundary). Vertical: the
// title text. Horizontal: every title as "[title]" joined by "," for an
// empty order or "1-"; otherwise the order text with each column number
// replaced by "[title]" (nothing for a number without a title line).
std::string RowColVerticalCopy(const std::string& titles);
std::string RowColHorizontalCopy(const std::string& titles, const std::string& order);

}  // namespace csv
