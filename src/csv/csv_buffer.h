// The CSV working buffer and the index of its rows, fields and table blocks.
//
// TableFields is plain data and owns nothing: the scanner and the line
// lookup work on it with any buffer. csv::Table (csv_table.h) is the owning
// object the view holds; its members keep these names.
#pragma once

#include <cstdint>

namespace csv {

// Field separator of the working form.
constexpr std::uint8_t CSV_FIELD_SEP = 0x06;

// Entries of each block array; block numbers 1 to MAX_CSV_BLOCKS - 1 are
// usable, entry 0 of m_aSecRow is the block count.
constexpr int MAX_CSV_BLOCKS = 500;

// The bytes of the table: fields separated by 0x06, rows by CR LF (a lone CR
// or LF also ends a row), a NUL after the last byte in use.
struct CsvWorkBuffer {
  std::uint8_t* m_pTextBuf = nullptr;
  std::uint32_t m_nWorkSize = 0;  // capacity of m_pTextBuf in bytes
  std::uint32_t m_nTextLen = 0;   // bytes in use (the NUL not counted)
};

// Parallel arrays indexed by block number from 1.
struct CsvBlockIndex {
  std::uint32_t m_aSecOffset[MAX_CSV_BLOCKS] = {};   // byte offset of the title row
  std::uint32_t m_aSecLine[MAX_CSV_BLOCKS] = {};     // title row number (see BuildCsvIndex)
  std::uint32_t m_aSecRow[MAX_CSV_BLOCKS] = {};      // 1-based first row; [0] = block count
  std::uint32_t m_aSecScanPos[MAX_CSV_BLOCKS] = {};  // byte offset of the first row
  std::uint32_t m_aSecInfoA[MAX_CSV_BLOCKS] = {};    // 0-based first row after the data
  std::uint32_t m_aSecInfoB[MAX_CSV_BLOCKS] = {};    // byte offset where that text begins
  std::uint32_t m_aSecFields[MAX_CSV_BLOCKS] = {};   // fields of the title row

  std::uint32_t BlockCount() const { return m_aSecRow[0]; }
};

// Notes of the last scan beyond what the index holds (bits of m_nScanNotes).
enum CsvScanNote : std::uint32_t {
  kCsvScanTruncated = 1,    // mode 0: the copy stopped at the buffer's capacity
  kCsvScanBlockLimit = 2,   // a block start past block MAX_CSV_BLOCKS - 1 was not indexed
  kCsvScanShortEnd = 4,     // a final line of fewer than two bytes was left out
};

// Everything the scanner and the line lookup read or write.
struct TableFields : CsvWorkBuffer, CsvBlockIndex {
  std::int32_t m_nLastRow = -1;     // index of the last row (rows - 1)
  std::uint32_t m_nFieldCount = 0;  // column count (callers store outMaxColumns)
  std::uint32_t m_nCurLine = 1;     // 1-based title line of the last lookup
  std::uint32_t m_bScanDone = 0;    // 1 after every scan
  std::uint32_t m_bPlainLines = 0;  // line lookup counts plain LF lines
  std::uint32_t m_nScanNotes = 0;   // CsvScanNote bits of the last scan
  // Raised by every scan to a value no other scan gave (0: never scanned);
  // readers that keep their own index of the text rebuild it when it moves.
  std::uint32_t m_nIndexGeneration = 0;
  // The text held the in-cell break code bytes when it was loaded, so they
  // are data, and the comma form writes them as they are (csv_cellbreaks.h).
  bool m_bCellCodesAreData = false;
};

}  // namespace csv
