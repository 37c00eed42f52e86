// The column append: the rows of another CSV file put beside the table's
// rows in order ("joinall" of the macro language).
//
// Row k of the table gets a separator and then row k of the file (its
// records as the table's load reads them: commas outside quotes as 0x06, a
// quoted line break as its in-cell code, so a multi-line cell stays one
// row). When the file has fewer rows, the rest of the table's rows get
// (file columns − 1) separators, i.e. empty cells; rows of the file beyond
// the table's are not used. The file's column count is the cells of its
// first record. The result has no final line break, is indexed again, and
// m_nFieldCount is the old count plus the file's columns.
//
// The output grows as needed; the only failures are memory (103 the file's
// text, 104 the output, 105 the replaced working buffer) and an unreadable
// source, each leaving the table as it was.
#pragma once

#include "csv/csv_opreport.h"
#include "csv/csv_otherfile.h"
#include "csv/csv_table.h"

namespace csv {

enum class AppendResult { kDone, kUnreadable, kFailed };

// Reports through `host`; kUnreadable is left to the caller (the file's own
// message).
AppendResult CsvAppendColumns(Table& table, OtherSource& source, OpHost* host);

}  // namespace csv
