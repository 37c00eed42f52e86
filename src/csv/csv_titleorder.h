// Column order by title: an order text that begins with "sort" or "sel"
// turned into an explicit column list.
#pragma once

#include <string>

#include "csv/csv_table.h"

namespace csv {

enum TitleOrderMode { kTitlesAscending = 0, kTitlesDescending = 1, kTitleSearch = 2 };

// Arguments of CsvOrderColumnsByTitle from an order text: "sort" (longer
// than 3 bytes) gives mode 1 when bytes 5 and 6 are "dn", else 0, and the
// fixed count from a last byte '1'-'9'; "sel" gives mode 2 and the fixed
// count 0 for "sel:", else the fourth byte less '0' (1 when not above 0).
// False for any other text.
bool TitleOrderArguments(const std::string& text, int* mode, int* fixedCount);

// The column list ("2,1,3", no trailing comma) of the titles in line
// m_nCurLine of the table (quotes removed, at most 9000). Sorting: columns
// 1..fixedCount stay first in their order, the others follow by title
// (unsigned bytes; equal titles keep their order); with fixedCount 0 every
// column takes part. Search: columns 1..fixedCount, then every column whose
// title contains the text after the first 4 bytes (5 with a fixed count).
// The fixed count is cut to the number of titles. Returns "Eror" when the
// title row cannot be read (no such line, or an empty table).
std::string CsvOrderColumnsByTitle(const Table& table, const std::string& text, int mode, int fixedCount);

}  // namespace csv
