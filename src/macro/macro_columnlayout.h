// The column layout of blank-separated text: DetectColumnLayout finds the
// table's title line, its end and the column positions, and writes them as a
// layout text; ScanTextRange cuts lines by such a layout text into 0x06-separated
// fields. The text-to-table statement and the view's conversion share them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace macro {

// Layout modes of DetectColumnLayout.
constexpr int kLayoutFromLine = 3;    // the block starts at the given line; no title search
constexpr int kLayoutFindTitle = 4;   // the title is looked for from the text's start
constexpr int kLayoutRuledPlus = 11;  // as 4, and a '+' counts as text

struct ColumnLayout {
  int titleLine = 0;   // 1-based title line (0: none found)
  int firstLine = 1;   // 1-based first line the mask was built from
  int endLine = 0;     // 1-based line that ends the block (0: the text's end)
  std::string mask;    // per byte position: 'x' text, '+' a rule cross, ' ' blank in every line
  std::string spec;    // "4,2s,3,..." (empty when the block holds no text)
};

// Scans `text` (`length` bytes; a NUL ends it earlier) and fills `out`.
// `line` is the 1-based line the block starts at in kLayoutFromLine.
// Returns false when no line of the block holds text.
//
// Words are counted per line (a non-blank followed by a blank, a '|', a
// control byte or the line's end); a word holds letters when it has a byte
// above 0x3F other than '\' and 0xA4, or a '/'. Marks: a line beginning "<"
// with more than 4 words is the title, ">" ends the block, "+---" is a ruled
// line (it adds its '+' columns), " --P" and "[She" end the block. Without
// a mark the title is the first line whose word count jumps: at least 3
// words, mostly holding letters, and at least twice the words of the line
// before, or more than 8 words after fewer than 7. The mask is built from
// the lines after the title (from `line` in kLayoutFromLine) up to the end;
// '~' lines and lines without text are passed over. A text between two '^'
// of one line is one block of 'x'.
bool DetectColumnLayout(const std::uint8_t* text, std::size_t length, int mode, int line, ColumnLayout* out);

// The layout text of a mask: a run of 'x' gives its width, a run of blanks
// or '+' its width followed by 's' (a gap); entries joined by ','.
std::string LayoutSpecOfMask(const std::string& mask);

// One entry of a parsed layout text.
struct LayoutEntry {
  int width = 0;        // > 0 a column; < 0 a gap; kRestOfLine; kWideColumn
  bool quoted = false;  // the column is always written in double quotes
};
constexpr int kRestOfLine = -9999;
constexpr int kWideColumn = 9990;
constexpr std::size_t kMaxLayoutEntries = 9000;

// Reads a layout text: digits build the width; 'S'/'s' turns the entry's sign;
// 'P'/'p' makes it kRestOfLine, 'T'/'t' kWideColumn; '"', 'D' or 'd' marks
// the column quoted; ',' or ';' ends an entry. At most kMaxLayoutEntries.
std::vector<LayoutEntry> ParseLayoutSpec(const std::string& spec);

struct ScanResult {
  std::string out;       // the fields, 0x06 between them, each line with its own line end
  std::uint32_t fields = 0;  // the widest row's fields
  std::uint32_t rows = 0;    // lines cut
};

// Cuts `text` from byte `from` to its end by the layout `spec`. Per line: a column
// takes `width` bytes as one field (trailing blanks cut; in double quotes
// when it holds a comma and no double quote, or when the column is quoted);
// a gap takes |width| bytes and adds their non-blank bytes to the field
// before it (to the first field at the line's start); kRestOfLine starts a
// field with the rest of the line, its blanks first skipped and then
// dropped. A Shift-JIS lead byte always takes its trail byte along. What a
// line holds past the layout becomes one more field when it holds a non-blank.
// Blanks inside double quotes stand as 0x7F while cutting and come back as
// blanks. `skipPattern` (may be empty): lines that match it from their start
// ('%' any byte, '!' any non-blank) are left out.
void ScanTextRange(const std::uint8_t* text, std::size_t length, std::size_t from, const std::string& spec,
                   const std::string& skipPattern, ScanResult* result);

}  // namespace macro
