// Values of a table block that macro texts name by two letters: "tt" title
// row, "bt" the row after it, "be" last data row, "re" fields of the title
// row, "gt" first row, "ge" last row before the next block.
#pragma once

#include "csv/csv_buffer.h"

namespace macro {

enum class BlockLandmark { kTitle, kAfterTitle, kDataEnd, kFields, kFirstRow, kLastRow };

// The landmark of the two letters at `p` ("tt", "bt", "be", "re", "gt",
// "ge"); false for any other pair.
bool MacroBlockLandmark(const char* p, BlockLandmark* mark);

// The value of `mark` for block `block` of the table. A block number counts
// only from 1 to the table's block count: any other gives false and the
// tables are never read. "ge" of the last block is m_nLastRow + 1.
bool MacroBlockValue(const csv::TableFields& table, BlockLandmark mark, long long block, long long* value);

// The table's block count, within the block tables.
int MacroBlockCount(const csv::TableFields& table);

}  // namespace macro
