// The inner parts of the ".docx" layout (docx_text.h): the canvas, the page
// geometry and media names read before the walk, and the walker whose
// element handlers are spread over docx_walk.cpp (elements and passes),
// docx_paragraph.cpp (paragraphs, page lines, pictures) and
// docx_tables.cpp (tables and their side lines).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "convert/load_buffer.h"
#include "convert/ooxml_part.h"

namespace convert {

// The canvas: rows of 512 bytes, blanks with CR LF in the last two. Writes
// are clipped: rows and columns below 0 count as 0, columns beyond 509 are
// not written. It starts with the size the document asks for and grows, up
// to its limit, when a write falls beyond it; bytes beyond the limit are not
// written.
class DocxCanvas {
 public:
  static constexpr int kRowBytes = 512;
  static constexpr int kLastColumn = 509;  // the CR LF stay

  DocxCanvas() = default;
  ~DocxCanvas();
  DocxCanvas(const DocxCanvas&) = delete;
  DocxCanvas& operator=(const DocxCanvas&) = delete;

  // S bytes (1000 more allocated, all blank rows), growing up to `limit`
  // bytes (at least S); false when memory is short.
  bool Allocate(std::int64_t size, std::int64_t limit);
  std::int64_t Size() const { return m_size; }
  // The byte index of (row, column) with both clamped to 0 or more, the
  // canvas grown to hold it; -1 when the column lies past 509 or the byte
  // beyond the limit (or memory is short).
  std::int64_t At(std::int64_t row, std::int64_t column);
  bool Put(std::int64_t row, std::int64_t column, char c);
  char Get(std::int64_t row, std::int64_t column) const;
  // Copies rows 0 to `lastRow` (inclusive, within the canvas), `width`
  // bytes each followed by CR LF; false when `out` cannot grow.
  bool CopyRows(std::int64_t lastRow, int width, LoadBuffer& out) const;

 private:
  bool Grow(std::int64_t needed);
  void Blank(std::int64_t from, std::int64_t to);

  char* m_bytes = nullptr;
  std::int64_t m_size = 0;       // bytes addressed
  std::int64_t m_allocated = 0;  // m_size + 1000
  std::int64_t m_limit = 0;      // the most m_size may grow to
};

// From the section properties near the end of the document part.
struct DocxGeometry {
  int top = 5;     // T: rows above the text (top margin / 300 + 5)
  int right = 5;   // R: columns right of the margin (right margin / 300 + 5)
  int width = 110; // W: text width of one text column
};
DocxGeometry ReadDocxGeometry(const PartText& document);

// Relationship numbers 1-149 that name "media/..." images: the file names.
constexpr int kDocxMediaNames = 150;
void ReadDocxMediaNames(const PartText& rels, std::string (&names)[kDocxMediaNames]);

// Side lines of a table row.
constexpr int kSideLines = 400;
constexpr int kSideLineBytes = 510;
constexpr int kSideColumns = 500;
constexpr int kCellNone = 2000;       // cell width outside a cell
constexpr int kParagraphBytes = 20000;
constexpr int kTableEntries = 100;    // recorded nested tables (start and end each)

class DocxWalker {
 public:
  DocxWalker(const PartText& text, DocxCanvas& canvas, const DocxGeometry& geometry, bool tableLayout);

  std::string media[kDocxMediaNames];

  // The main pass, then the tables pass.
  void Run();
  std::int64_t LastRow() const { return pageBase + rowsUsed; }
  int UsedWidth() const { return static_cast<int>(widest) + 5; }

 private:
  friend struct DocxWalkerTest;
  // --- the element walk (docx_walk.cpp)
  bool Is(const char* literal) const;       // the text at pos starts with it
  bool IsTag(const char* literal) const;    // ... followed by a blank or ">"
  void Element();
  void Text();
  void ParagraphStart();
  void Break();
  void PageBreak();
  void FramePr();
  void Position(bool vertical);
  void Extent();
  void ShapeProperties();
  void VmlStyle();
  int Find(const char* pattern, int mode);
  int FindAt(int at, const char* pattern, int mode);
  bool ValueIs(const char* pattern, const char* value);
  void SkipPast(const char* literal, bool tag);
  void Walk(std::int64_t end);

  // --- paragraphs, page lines, pictures (docx_paragraph.cpp)
  void WriteParagraph();
  void WriteBreakLine();
  void WritePageMark();
  void WriteAt(std::int64_t row, std::int64_t column, const std::string& s);
  void Picture(bool vml);

  // --- tables (docx_tables.cpp)
  void TableStart();
  void NestedTable();
  void RowStart();
  void CellStart();
  void CellWidth();
  void CellBreak(std::size_t elementStart);
  void CellParagraph();
  void AdvanceLine();
  void CellEnd();
  void RowEnd();
  void TableEnd();
  void Rule(std::int64_t row, std::int64_t column);
  char* Side(int line) { return &side[static_cast<std::size_t>(line) * kSideLineBytes]; }

  bool InTable() const { return nesting > 0; }
  bool InTextBox() const { return textBoxMode != 0; }
  void Append(char c) {
    if (para.size() < kParagraphBytes) para.push_back(c);
  }
  void ClearFloat();

  const PartText& text;
  const char* t;
  int n;            // bytes of the part
  int pos = 0;      // the walk's read position
  DocxCanvas& canvas;
  const DocxGeometry g;
  const bool tableLayout;
  bool stop = false;          // a write reached the canvas end
  bool tablesPass = false;

  std::string para;           // the paragraph (or cell) buffer
  std::vector<char> side;     // kSideLines x kSideLineBytes

  // cells
  int cellIndex = 0;
  std::int64_t cellWidths[kTableEntries + 1] = {};
  std::int64_t widthSum = 0;
  std::int64_t prevEnd = 0;
  std::int64_t cellWidth = kCellNone;
  int lineLen = 0;
  int lineIndex = 0;
  int lineCount = 0;
  std::int64_t runCol = 2;
  bool inCell = false;
  bool emptyFirst = false;

  // placement
  std::int64_t pageBase = 0;
  std::int64_t row = 0;
  std::int64_t col = 0;
  std::int64_t rowsUsed = 0;
  std::int64_t widest = 0;
  std::int64_t pageNo = 1;
  int nesting = 0;
  std::int64_t tableLeft = 0;
  bool markDue = false;
  std::int64_t stretch = 0;
  bool emptyMark = false;

  // float position
  std::int64_t floatCol = 0;
  std::int64_t floatRow = 0;
  int relH = 0;
  int relV = 0;
  std::int64_t offCol = 0;
  std::int64_t offRow = 0;
  std::int64_t drawW = 0;
  std::int64_t drawH = 0;
  bool anchored = false;
  std::int64_t frameRow = 0;
  std::int64_t savedRow = 0;
  std::int64_t savedCol = 0;

  // structure
  char state = 0;             // 0, 'd', 'p', 'g'
  bool drawingGroup = false;
  int textBoxMode = 0;        // 0, 1, 2, -1
  std::int64_t boxRow = 0;
  std::int64_t boxCol = 0;

  std::vector<int> tables;    // recorded nested tables: start, end, ...
};

}  // namespace convert
