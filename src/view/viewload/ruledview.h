// The ruled display of a CSV table (m_nEditMode 3): the control shows the
// table as rich text, one paragraph per row with rule and mark paragraphs
// between the rows. These rules relate the control's paragraphs to the
// table's rows and cells, and bring the cells the user typed into back into
// the working form. docs/table.md, "The ruled display".
//
// The ruled cell form. A row paragraph is its cells, each opened by a TAB:
// the text before the first TAB is the lead-in column (field 0), so field k
// is the k-th cell. A field starts with the rule glyphs of the cell's left
// edge (one marker character, a second '.' for a thick line) and a blank,
// then the cell's text; the glyphs and the blank are the "leading blanks"
// the view's cell commands skip.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace viewload {

enum class RuledPara : std::uint8_t {
  kOther,  // a paragraph of blanks only: a block's opening paragraph, the closing one
  kRow,    // a table row
  kRule,   // a ruled line (exact spacing of 20 twips)
  kMark,   // a page or title mark ("~~")
};

// The kinds of the paragraphs of a rendered table, in order, read from its
// rich text (each "\par" ends one).
std::vector<RuledPara> ClassifyRuledParagraphs(const char* rtf, std::size_t len);

// What the ruled display shows: per paragraph its kind and source row
// (the renderer's paragraph-to-row map; rows past the map's end are unknown,
// kNoRow).
constexpr std::uint32_t kNoRow = 0xFFFFFFFFu;
struct RuledLayout {
  std::vector<RuledPara> kinds;
  std::vector<std::uint32_t> rows;  // same length as kinds

  // Builds the layout from the kinds and the map (`mapCount` entries; a
  // paragraph past them has no row). Rows are mapped only for kRow
  // paragraphs; the others keep the row the map gives for lookups only.
  static RuledLayout Make(std::vector<RuledPara> kinds, const std::uint32_t* map, std::size_t mapCount);
  // The paragraph of source row `row`, or -1 when the row is not shown.
  int ParagraphOfRow(std::uint32_t row) const;
  // The source row shown in paragraph `para`: a row paragraph's own row;
  // for rule and mark paragraphs the next row paragraph's (the first row
  // paragraph's for the paragraphs in front of the table). kNoRow when the
  // display holds no row.
  std::uint32_t RowOfParagraph(int para) const;
  // The first row paragraph, or -1.
  int FirstRowParagraph() const;
  bool Empty() const { return kinds.empty(); }
};

// The control's text split into paragraphs (CR, LF or CR LF end one).
std::vector<std::string> SplitParagraphs(const std::string& text);

// Byte offset of field `column` in a paragraph (after its column-th TAB;
// field 0 starts at 0), or -1 when the paragraph has fewer fields.
long FieldStart(const std::string& para, int column);
// The fields of a paragraph (split at TAB).
std::vector<std::string> SplitFields(const std::string& para);

// A cell the user changed: `shown` is the field as the display showed it,
// `now` the field as the control holds it. The rule glyphs and blanks in
// front of the shown text that the user left in place are taken off; the
// rest is the cell's new text.
std::string ChangedCellText(const std::string& shown, const std::string& now);

// Why a ruled display cannot go back into the table.
enum class RuledRebuildError {
  kNone,
  kParagraphsChanged,  // paragraphs typed in or deleted: the display no longer matches its rows
  kCellsChanged,       // a row's cells were split or joined (a TAB typed or deleted)
};

struct RuledRebuildStats {
  std::uint32_t rowsChanged = 0;
  std::uint32_t cellsChanged = 0;
};

// Rebuilds the working buffer (`buf`, `len` bytes; 0x06 between cells, rows
// ending in CR LF or LF) into `out` from the display: `shown` are the
// paragraphs as they were shown, `now` as the control holds them now. Every
// row whose paragraph is unchanged, and every row not shown, keeps its bytes;
// in a changed row the unchanged cells keep theirs, and a changed cell takes
// its new text (in double quotes, quotes doubled, when it holds a comma or a
// quote). False with the reason, and `out` left empty, when the display no
// longer matches its layout.
bool RebuildFromRuledDisplay(const std::uint8_t* buf, std::size_t len, const RuledLayout& layout,
                             const std::vector<std::string>& shown, const std::vector<std::string>& now,
                             std::string& out, RuledRebuildError* error, RuledRebuildStats* stats = nullptr);

}  // namespace viewload
