// Word documents in their record-based forms as Shift-JIS text: the early
// Word file, the 8-bit text stream, Word 97 and later (piece table, paragraph
// marks, tables laid out cell beside cell), Word 6/95, and a main stream that
// is RTF inside (handed to the RTF reader).
//
// The reader works on the stream copies the compound reader made (or on the
// file's bytes for the forms that are not compound documents) and never
// reads outside them. The characters go into a grid of `nChar` positions per
// line, which `WordWriteText` turns into the text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "convert/load_buffer.h"
#include "convert/word_marks.h"

namespace convert {

// Stream copies of a compound Word file, by slot: 0 the main stream
// ("WordDocument"), 1 "Data", 2 "0Table", 3 "1Table", 4 "Pictures".
constexpr int kWordSlots = 7;
struct WordStreams {
  const std::uint8_t* data = nullptr;  // the buffer that holds the copies
  std::size_t size = 0;                // bytes it holds
  std::int32_t slot[kWordSlots] = {};      // offset of each copy (0: absent)
  std::int32_t slotSize[kWordSlots] = {};  // bytes of each copy
  bool cut = false;                    // a copy was cut at the read limit
};

// One entry of the object list: the type letter of a picture entry (drawing
// record 0xF007) of the copied streams, in stream order ('R' JPEG, 'b' PNG).
struct WordPicture {
  std::uint8_t letter = 0;
};

// What the reader gets besides the bytes.
struct WordRequest {
  int readerMode = 0;          // nonzero: "|" closes each table cell; 1 also the top rule
  int nChar = 157;             // grid positions per line
  int gridLines = 5000;        // grid lines (the text ends with string 239 when they are full)
  int openContext = 0;         // 2: the inspection dump of each table row
  int fileKind = 2;            // the dump is written for kind 2
};

enum class WordOutcome {
  kText,      // the text was written
  kNoForm,    // no Word form matched: nothing written
  kRtf,       // the main stream is RTF: `rtfAt` is its offset in the bytes given
};

struct WordResult {
  WordOutcome outcome = WordOutcome::kNoForm;
  std::size_t rtfAt = 0;
  std::size_t rtfSize = 0;
  const char* damage = nullptr;  // the stream where damaged input stopped the reading (the caller's damage line)
};

// A compound Word file, from its stream copies; `pictures` is the object
// list (an object character with no entry left shows a blank).
WordResult WordCompoundToText(const WordStreams& s, const WordRequest& req, LoadBuffer& out,
                              const std::vector<WordPicture>& pictures);

// A Word file that is not a compound document (first bytes 94 A6 2E, or the
// 8-bit text stream FE 37 00).
WordResult WordFileToText(const std::uint8_t* data, std::size_t size, const WordRequest& req, LoadBuffer& out);

// The character grid and its writer (word_write.cpp).
struct WordGrid {
  std::string cells;               // the characters, line after line (nChar per line)
  std::size_t capacity = 0;        // nChar * lines
  bool full = false;
  std::vector<int> rowDefs;        // the definition number of each row end, in order
  std::vector<WordTableDef> defs;

  bool Put(std::uint8_t c) {
    if (cells.size() >= capacity) {
      full = true;
      return false;
    }
    cells.push_back(static_cast<char>(c));
    return true;
  }
};

// Grid codes beside the characters: cell end, row ends.
enum : std::uint8_t {
  kGridRowNoDef = 2,  // a row without a definition
  kGridLastRow = 3,   // the row end of a table's last row
  kGridLineInCell = 4,// a line end inside a table cell
  kGridRowEnd = 6,    // a row end with more rows after it
  kGridCellEnd = 7,
};

void WordWriteText(const WordGrid& grid, const WordRequest& req, const std::vector<WordPicture>& pictures,
                   LoadBuffer& out);

}  // namespace convert
