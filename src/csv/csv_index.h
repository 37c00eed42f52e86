// Building the CSV block index and the line lookup of the working buffer.
//
// Both take the text with its length and never read at or past it; bytes
// past the end read as NUL. Neither allocates (except BuildCsvIndex in the
// misuse case of a mode 0 source that overlaps the destination).
#pragma once

#include <cstdint>

#include "csv/csv_buffer.h"

namespace csv {

enum CsvScanMode {
  kCsvScanCopy = 0,       // copy text into m_pTextBuf while scanning
  kCsvScanOnly = 1,       // scan text (usually m_pTextBuf itself)
  kCsvScanClearSecond = 3 // scan only, m_aSecRow[2] cleared first
};

// Scans `text` (the working form: 0x06 between fields) and rebuilds the block
// index of `v`. Mode 0 also copies the text into v.m_pTextBuf (a comma in a
// cell stays a comma: the comma-form save quotes such a cell, so it reads
// back as the one cell it is; unclosed quotes are closed at the field end, short rows
// are filled to `padColumns` fields when padColumns >= 1) and writes a NUL
// after the copied bytes; the copy never writes past v.m_nWorkSize and always
// leaves room for that NUL. Offsets stored in the index are offsets in the
// buffer the readers use: m_pTextBuf in mode 0, `text` otherwise.
//
// On return: v.m_nLastRow = result, v.m_aSecRow[0] = blocks found (1-499),
// v.m_bScanDone = 1, v.m_nScanNotes set; *outLength = bytes written (mode 0;
// 0 otherwise), *outMaxColumns = largest column count of the blocks. The
// caller stores *outLength in m_nTextLen and *outMaxColumns in m_nFieldCount
// after a mode 0 call.
std::int32_t BuildCsvIndex(TableFields& v, const std::uint8_t* text, std::uint32_t length,
                           std::uint32_t* outLength, std::uint32_t* outMaxColumns, int mode,
                           int padColumns);

// The index of a working form that a pass is still writing, made one piece
// behind it. The pass writes the text in pieces that end after a LF; `wait`
// blocks until the final bytes reach past `need` (or the whole text is
// final), stores how many bytes from the start are final in *ready and
// returns false when the pass gave up. The result equals BuildCsvIndex's in
// mode kCsvScanOnly over the finished text, or is kIndexAbandoned when the
// pass gave up (v then holds nothing of use). No byte at or past *ready is
// read.
struct IndexFollow {
  bool (*wait)(void* context, std::uint64_t need, std::uint32_t* ready);
  void* context;
};
constexpr std::int32_t kIndexAbandoned = -0x7FFFFFFF;
std::int32_t BuildCsvIndexFollowing(TableFields& v, const std::uint8_t* text, std::uint32_t length,
                                    std::uint32_t* outMaxColumns, const IndexFollow& follow);

enum CsvLineMode {
  kLineTitleAtCurLine = 1,  // from line m_nCurLine, skip "~" and "!" lines
  kLinePlainCount = 2,      // start of line m_nCurLine, counting LF lines
  kLineBlockTitle = 4,      // title row of the table that starts at *offset
};

// Line lookup in `text` (`length` bytes).
// - mode 4: *offset is the start of line `startRow` (0-based). Finds the
//   table's title row: a "!^" line makes the next line the title; lines
//   starting "~", "!#", "!*", "!^" or "XL" are no candidates; at most 999
//   lines are looked at. Returns the title's 0-based row and moves *offset to
//   its start; without a candidate returns startRow with *offset unchanged.
//   Rows end at CR LF, a lone CR or a lone LF, as in the scanner.
// - mode 2 (and modes 1 and 2 while v.m_bPlainLines is set): counts LF-ended
//   lines from the start up to line v.m_nCurLine (1-based); *offset = its
//   start (0 for line 1 or an empty text, `length` when the text has fewer
//   lines); returns the 0-based number of the line reached.
// - mode 1: goes to line v.m_nCurLine like the scanner counts rows, then
//   skips lines starting "~" or "!" (at most 999); *offset = that line's
//   start; returns its 0-based row.
// Other modes behave as mode 1. m_nCurLine is never changed.
int LineToOffset(const TableFields& v, const std::uint8_t* text, std::uint32_t length,
                 std::uint32_t* offset, int mode, int startRow);

// Fields of the row starting at `offset`: 1 + the 0x06 bytes up to the first
// CR, LF, NUL or the end of the text.
std::uint32_t CountRowFields(const std::uint8_t* text, std::uint32_t length, std::uint32_t offset);

// True when two tables hold the same block index: rows, scan notes, field
// count and every per-block entry (how the fast scans and the one-pass open
// are checked against the careful path).
bool SameBlockIndex(const TableFields& a, const TableFields& b);

}  // namespace csv
