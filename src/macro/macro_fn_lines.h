// The lines of a cell: a cell's text may hold line breaks as the table's
// in-cell codes (csv/csv_cellbreaks.h). "MLL" (180) wraps a cell into lines
// of at most n bytes; "MLC" (181) joins its lines into one.
#pragma once

#include <string>

namespace macro {

// The lines `text` needs at `width` bytes a line: its own lines (split at
// in-cell codes, a CR code and an LF code next to it being one break), each
// wrapped at character boundaries (a character wider than the width gets
// a line of its own). An empty text is one line; width <= 0 counts only
// the text's own lines.
int CellLineCount(const std::string& text, int width);

// `text` wrapped as CellLineCount counts, the lines joined with the LF code;
// then empty lines added until there are `minLines`.
std::string WrapCellLines(const std::string& text, int width, int minLines);

// `text` without its in-cell codes: its lines joined.
std::string JoinCellLines(const std::string& text);

}  // namespace macro
