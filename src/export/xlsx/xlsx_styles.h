// The style sheet of an XLSX package ("xl/styles.xml"). Every cell's s
// attribute is the index of its 16-code record in the run's cell-style
// table; record i becomes cellXfs entry i here, and the font and border
// lists those entries point to are derived from the records (equal
// combinations share one entry). Number formats, fills and the two named
// cell styles are fixed.
//
// Record positions read here: 0 alignment ('@' none), 1 number format (bit
// 7 = thousands grouping), 2/3/10/11 left/right/top/bottom border style
// ('_' none, '1'-'5'), 4 protection ('u' unlocked), 5 font colour letter,
// 6 fill colour letter, 7 font flags (bit 0 bold, 1 underline, 2 italic,
// 3 strike, bits 4-6 face 1-4), 8 size digit, 12-15 border colour letters.
#pragma once

#include <array>
#include <cstddef>

namespace exportcore {
class ByteWriter;
class PartSink;
}  // namespace exportcore

namespace xlsx {

struct XlsxRun;

// Builds the whole part (Shift-JIS text with its Shift-JIS declaration; the
// sink stores it as UTF-8) for `count` records of 16 codes into `out`.
// The head (fonts, fills, borders) and the tail (cellXfs) are built in two
// buffers and joined; both grow, so every list is complete and every count
// attribute equals the number of its entries. False when memory ran out
// (`out` then holds nothing useful).
bool BuildStylesPart(const std::array<char, 16>* records, int count, exportcore::ByteWriter& out);

// The run's styles step: the part from the run's cell-style table, built in
// the run's work buffer and stored at "xl/styles.xml" through the sink.
// 0, or -1 when memory ran out (the caller reports the shortage). A part the
// sink cannot store is recorded by the sink itself.
int XlsxWriteStyles(XlsxRun& run, exportcore::PartSink& sink);

}  // namespace xlsx
