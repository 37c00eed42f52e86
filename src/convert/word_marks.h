// The tables the Word reader builds before it reads any text: the pieces of
// the text (which stretch of the main stream holds which characters), the
// paragraph marks with the kind of each paragraph (plain, inside a table,
// table-row end), and the table definitions of the rows (cell boundaries in
// character columns).
//
// Every read is bounded by the stream copy it reads; a count or an offset
// from the file never takes a read outside it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace convert {

// A stretch of bytes (one stream copy), with bounded little-endian getters.
struct WordBytes {
  const std::uint8_t* p = nullptr;
  std::size_t n = 0;

  bool Has(std::size_t at, std::size_t len) const { return at <= n && len <= n - at; }
  std::uint8_t U8(std::size_t at) const { return at < n ? p[at] : 0; }
  std::uint32_t U16(std::size_t at) const { return Has(at, 2) ? p[at] | (p[at + 1] << 8u) : 0; }
  std::uint32_t U24(std::size_t at) const { return Has(at, 3) ? U16(at) | (static_cast<std::uint32_t>(p[at + 2]) << 16) : 0; }
  std::uint32_t U32(std::size_t at) const { return Has(at, 4) ? U24(at) | (static_cast<std::uint32_t>(p[at + 3]) << 24) : 0; }
};

// One piece: characters [cp, cpEnd) stored from file position `fc` of the
// main stream; compressed pieces hold 8-bit characters.
struct WordPiece {
  std::uint32_t cp = 0;
  std::uint32_t cpEnd = 0;
  std::uint32_t fc = 0;
  bool compressed = false;
};

// Reads the piece table at `at` of the table stream. When the block there is
// not the piece-table block it steps over the property blocks (type 1, a
// 16-bit size) before it. A table that claims more pieces than the stream
// holds, or no piece-table block, gives no pieces and sets `damaged`.
std::vector<WordPiece> WordReadPieceTable(const WordBytes& table, std::size_t at, bool* damaged);

// Paragraph-mark kinds (`WordMark::kind`).
enum : std::uint8_t {
  kMarkEmpty = 0,     // a paragraph with no table property
  kMarkCell = 3,      // cell mark
  kMarkAltCell = 5,   // cell mark
  kMarkRowEnd = 6,    // table-row end without a definition of its own
  kMarkInTable = 7,   // a paragraph inside a table
  kMarkPlain = 9,     // default: an empty property set
  kMarkRowDef = 26,   // 26 + (definition number mod 100): a row end with its definition
};

struct WordMark {
  std::uint32_t pos = 0;        // stream position just after the paragraph's mark (0: empty)
  std::uint8_t kind = kMarkPlain;
};

// A table definition: the boundaries in character columns, the first being
// the row's indent and the others counted from the first boundary.
struct WordTableDef {
  int count = 0;                // boundaries (cells + 1), at most 49
  std::int16_t bound[49] = {};
};

constexpr int kWordMaxMarks = 16000;
constexpr int kWordMaxDefs = 1000;
constexpr int kWordMaxBounds = 49;

struct WordMarks {
  std::vector<WordMark> marks;       // in text order, at most 16,000
  std::vector<WordTableDef> defs;    // numbered in the order their rows were met
  bool damaged = false;              // a page or property ran outside its stream
};

// The default definition of a row end without one: 20 boundaries 10 apart.
WordTableDef WordDefaultDefinition();

// Stores a definition and gives its number (the number stays at 999 once
// the table is full).
int WordAddDefinition(WordMarks& m, const WordTableDef& def);

// Reads the paragraph marks of one paragraph-property page (512 bytes at
// `page` of the main stream). Version 4 is Word 97 and later (13-byte
// entries, two-byte property codes), version 3 Word 6/95 (7-byte entries,
// one-byte codes). `data` is the "Data" stream, where large properties are
// kept (may be empty). Returns false when the page is no property page.
bool WordReadMarkPage(WordMarks& m, const WordBytes& main, std::size_t page, int version, const WordBytes& data);

// Version 4: the paragraph-property pages named by the bin table of the
// table stream (position and size from the file-information block).
void WordReadParagraphMarks(WordMarks& m, const WordBytes& main, const WordBytes& table, std::size_t binAt,
                            std::size_t binSize, const WordBytes& data);

// Version 3: the pages from `from` on, in 512-byte steps up to `limit`: the
// first whose first text position is `textStart`, then each page whose first
// text position is the last one of the page used before. Each page is
// visited once. Returns the position reached.
std::size_t WordScanParagraphMarks(WordMarks& m, const WordBytes& main, std::size_t from, std::size_t limit,
                                   std::uint32_t textStart, int version);

// From entry `index`: the first later entry whose position is at or beyond
// `pos`; 0 when the index is 15,999 or more or none is found.
int WordFindMark(const WordMarks& m, int index, std::uint32_t pos);

// The first entry at or after `index` whose position is not below `pos`
// (the paragraph that holds the character just before `pos`); -1 when none.
int WordMarkAt(const WordMarks& m, int index, std::uint32_t pos);

// The grid code of a cell mark by its kind and the next entry's: 5 a cell
// mark outside any table, 7 a cell end, 6 a row end with more rows after it,
// 3 the row end of a table's last row.
int WordCellKind(WordMarks& m, int index);

}  // namespace convert
