// Classes 50 and 51 of the statement loop: another CSV file brought into
// the table.
//
// "loadadd", "loadjoin" and "loadboth" ("&La", "&Lj", "&Lh") put the file's
// rows below the table (csv/csv_concat.h, source modes 0, 2 and 6); N rows
// of the file are skipped, and N not given (or below 0) on a CSV table is
// 9999: the file's "~" lines and its title row.
//
// "joinall" ("&Ja") puts the file's rows beside the table's rows
// (csv/csv_appendcols.h). The key joins "joinpart", "joinsingle",
// "joinboth" and "joineach" ("&Jp", "&Js", "&Jb", "&Je") put beside each row
// the file's row whose key matches (csv/csv_linkjoin.h): the operand is the
// file, then '|' and the file's columns; N the table's key column, the
// second number + 1 the column the file's cells go before, the third (or
// the offset of ",<" in the command) the file's key column. A join that
// finds too many keys ends the run with "Too many matchings"; any other
// failure ends it quietly (the operation said what went wrong).
//
// The operations work on the table only while the view shows a CSV table
// in its normal form; the table is then indexed again.
#pragma once

#include <cstdint>

#include "csv/csv_concat.h"
#include "csv/csv_linkjoin.h"
#include "csv/csv_otherfile.h"
#include "fw/cstring.h"
#include "macro/macro_outcome.h"

namespace macro {

struct MacroRunContext;

// Rows of the file skipped by the vertical load: N as read (-1 when not
// written); below 0 on a CSV table 9999.
int MacroConcatSkipLines(int n, bool csvTable);

// The concatenation's source mode of the letter after "&L": 'a' 0, 'j' 2,
// 'h' 6; -1 for any other.
int MacroConcatMode(char letter);

// The key join's arguments from the command (its letter after "&J" and a
// ",<" in it), its four numbers (the first -1 when not written) and the
// key text after the operand's '|'.
csv::LinkJoinArgs MacroKeyJoinArgs(const CString& command, const std::int32_t numbers[4], const CString& keyText);

// The rows of `source` below the run's table, titles matched through the
// row-data parser and messages through the run's host.
csv::ConcatResult MacroConcatInto(MacroRunContext& rc, const csv::ConcatArgs& args, csv::OtherSource& source);

Outcome MacroExecLoadAdd(MacroRunContext& rc);
Outcome MacroExecJoin(MacroRunContext& rc);

}  // namespace macro
