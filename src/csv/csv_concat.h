// The vertical concatenation: the rows of another CSV file, or of the text
// in a named shared-memory block, put below the table ("ﾌｧｲﾙ縦連結" and
// the macro's "loadadd", "loadboth" and shared-memory appends).
//
// Source modes:
//   0  a file, appended as it is            1  a shared-memory block, likewise
//   2  a file, its columns brought into the table's column order by title
//   3  a shared-memory block, likewise
//   6  as 2, and the file's other columns follow (",*"); the table's rows
//      then get an empty cell for each of those columns and its title row
//      their titles, so both parts have the same columns
// Modes 4, 5 and any other number behave as mode 1.
//
// skipLines: 9999 first cuts the table after its last block's data rows
// (the lines after them are dropped), then skips the source's leading "~"
// lines and its title row; another count above 0 skips that many lines of
// the source; 0 or less skips nothing. Under modes 2, 3 and 6 the skip is
// made on the rewritten source (9999 counts as one line, its title row).
//
// Only the appended text goes through the load's conversion (kind 33): the
// table's own text is copied as it stands, so a cell such as 1,234 that the
// table holds without quotes stays one cell. The source is read as records
// (csv_otherfile.h), so a multi-line cell arrives whole. The result is built
// in full before it replaces the working buffer and is indexed again
// (m_nLastRow = rows − 1); every failure leaves the table as it was.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "csv/csv_opreport.h"
#include "csv/csv_otherfile.h"
#include "csv/csv_table.h"

namespace csv {

// Resolves a title list ("[a],[b],...") to a column list ("3,1,2")
// against the titles in the first line of `text` (the source, in working
// form). Unknown titles give a column no row has. The view passes the macro
// language's address rewriter; "Eror" (a question the user cancelled) ends
// the call with the table unchanged.
using TitleResolver = std::function<std::string(const std::string& titles, const std::uint8_t* text, std::uint32_t len)>;

struct ConcatArgs {
  int skipLines = 9999;
  int sourceMode = 0;
  int fileKind = 33;  // 33 converts the appended text; 9 and 98 append it as it is
};

enum class ConcatResult {
  kDone,        // rows appended
  kNothing,     // the source holds nothing past its skipped lines: table unchanged
  kUnreadable,  // the file could not be read (the caller reports it)
  kFailed,      // reported through the host
};

// True for the modes that read a named shared-memory block.
bool ConcatReadsSharedMemory(int sourceMode);

ConcatResult CsvConcatVertical(Table& table, const ConcatArgs& args, OtherSource& source,
                               const TitleResolver& resolve, OpHost* host);

// The title list of the row that starts at `pos`: "[t1],[t2],..." with
// double quotes dropped, at most 9000 bytes of titles.
std::string ConcatTitleList(const std::uint8_t* text, std::uint32_t len, std::uint32_t pos);

}  // namespace csv
