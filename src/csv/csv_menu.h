// Where the CSV menu's column, row and cell commands go: the column command
// executor takes a code; a view that shows a ruled rich-text table (file
// kind 4) never reaches it, its row and column commands are the ruled-table
// engine's letters.
#pragma once

namespace csv {

struct CsvMenuTarget {
  int code = -1;         // the column command code, -1 for none
  char tableLetter = 0;  // the ruled-table engine's command ('R', 'E', 'K', 'J'), 0 for none
};

// The target of command `id` (33036, 33037, 33050, 33051: column delete and
// insert, row delete and insert; 33068, 33069, 33071, 33072: trailing and
// leading blanks cut, quotes cut and added) in a view of `fileKind`. Any
// other id has neither a code nor a letter. The cell functions always have
// their code (the executor itself acts only on a CSV table).
CsvMenuTarget CsvMenuTargetOf(unsigned id, int fileKind);

}  // namespace csv
