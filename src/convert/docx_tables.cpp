// Tables of the ".docx" layout. A row is built in side lines (one per text
// line of its cells, 500 columns each) and merged onto the canvas at its
// end; cell widths come from the twips of "<w:tcW>" and are remembered by
// cell index from row to row and table to table. A table nested in a cell
// is skipped there, marked " [Table%d]" and recorded for the tables pass.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "convert/docx_walk.h"
#include "convert/ooxml_tag.h"

namespace convert {
namespace {

// A byte a side line takes: no blank (the line is blank already) and no
// control byte (a CR or TAB in a cell's text would break the row apart).
bool Visible(char c) { return static_cast<unsigned char>(c) > ' '; }

}  // namespace

void DocxWalker::TableStart() {
  widthSum = 0;
  frameRow = 0;
  if (InTextBox()) {
    col = floatCol;
    if (floatRow > 0) row = floatRow - 1;
    textBoxMode = -1;
  } else {
    savedRow = savedCol = 0;
    if (floatCol == 0 && floatRow == 0) {
      floatCol = col;
      floatRow = row;
      relH = relV = 1;
    }
  }
  if (nesting == 0) {
    nesting = 1;
    return;
  }
  NestedTable();
}

// A table inside a cell: skipped to its end, recorded, marked.
void DocxWalker::NestedTable() {
  nesting += 10;
  const int start = pos;
  int end = -1;
  for (int i = pos + 1; i < n; ++i) {
    if (t[i] != '<') continue;
    const int saved = pos;
    pos = i;
    if (IsTag("</w:tbl")) {
      nesting -= 10;
      if (nesting < 9) end = i;
    } else if (IsTag("<w:tbl")) {
      nesting += 10;
    }
    pos = saved;
    if (end >= 0) break;
  }
  if (end < 0) {  // cut before its end: the rest of the part is the table
    while (nesting >= 9) nesting -= 10;
    end = n;
  }
  if (tables.size() + 2 <= static_cast<std::size_t>(kTableEntries)) {
    tables.push_back(start);
    tables.push_back(end);
  }
  char marker[32];
  std::snprintf(marker, sizeof marker, " [Table%d]", static_cast<int>(tables.size() / 2));
  if (!para.empty()) {
    for (const char* m = marker; *m; ++m) Append(*m);
    lineLen += static_cast<int>(std::strlen(marker));
  } else if (InTextBox()) {
    WriteAt(pageBase + row + 2, col + 2, marker);
  } else {
    char* line = Side(0);
    for (std::size_t k = 0; marker[k]; ++k) {
      const std::int64_t at = runCol + static_cast<std::int64_t>(k);
      if (at >= 0 && at < kSideColumns) line[at] = marker[k];
    }
  }
  pos = end < n ? end + 6 : n;  // past "</w:tbl"
}

void DocxWalker::RowStart() {
  cellIndex = 0;
  widthSum = 0;
  prevEnd = 0;
  lineIndex = lineCount = 0;
  runCol = 2;
  cellWidth = kCellNone;
  para.clear();
  char* line = Side(0);
  std::memset(line, ' ', kSideLineBytes);
  if (tableLayout) line[0] = '|';
}

void DocxWalker::CellStart() {
  if (cellIndex < kTableEntries) ++cellIndex;
  para.clear();
  cellWidth = 0;
  lineLen = 0;
  lineIndex = 0;
  inCell = true;
  emptyFirst = false;
}

void DocxWalker::CellWidth() {
  if (!inCell || cellWidth != 0) return;
  std::int64_t w = Find("w:w=\"", kTagInteger);
  if (w != 0) cellWidths[cellIndex] = w;
  else w = cellWidths[cellIndex];
  widthSum += w;
  std::int64_t end = ((widthSum + 32) / 64) * 7 / 10;
  cellWidth = end - prevEnd;
  if (cellWidth < 2) {
    cellWidth = 2;
    end += 2;
  }
  prevEnd = end;
}

// Before a character of a cell's text: a full line is broken, with its
// last two bytes given back to the next line.
void DocxWalker::CellBreak(std::size_t elementStart) {
  if (lineLen < cellWidth - 1) return;
  std::string back;
  if (lineLen >= cellWidth && !para.empty()) {
    const bool onlyFirst = para.size() - 1 == elementStart;
    const std::size_t k = onlyFirst ? 1 : std::min<std::size_t>(2, para.size());
    back = para.substr(para.size() - k);
    para.resize(para.size() - k);
    if (!onlyFirst) Append(' ');
  }
  Append('|');
  Append('\n');
  lineLen = 0;
  AdvanceLine();
  for (char c : back) Append(c);
  lineLen += static_cast<int>(back.size());
}

void DocxWalker::CellParagraph() {
  if (!para.empty() || emptyFirst) {
    emptyFirst = false;
    if (cellWidth < 1900 && !InTextBox())
      while (lineLen < cellWidth - 1 && para.size() < kParagraphBytes) {
        Append(' ');
        ++lineLen;
      }
    Append('\n');
    lineLen = 0;
    AdvanceLine();
  } else {
    emptyFirst = true;
  }
}

// The line index moves on; new side lines start blank, or with "|" under
// each "|" of the line above when the tables are ruled.
void DocxWalker::AdvanceLine() {
  ++lineIndex;
  while (lineCount < lineIndex && lineCount < kSideLines - 1) {
    ++lineCount;
    char* line = Side(lineCount);
    const char* above = Side(lineCount - 1);
    for (int k = 0; k < kSideLineBytes; ++k) line[k] = tableLayout && above[k] == '|' ? '|' : ' ';
  }
}

void DocxWalker::CellEnd() {
  inCell = false;
  const std::int64_t start = runCol;
  const std::size_t size = para.size();
  std::size_t i = 0;
  // Line 0 at the running column, padded to the cell width.
  char* line0 = Side(0);
  std::int64_t c = runCol;
  for (; i < size && para[i] != '\n' && para[i] != '\0'; ++i, ++c)
    if (c >= 0 && c < kSideColumns && Visible(para[i])) line0[c] = para[i];
  bool endedByLf = i < size && para[i] == '\n';
  if (endedByLf) {
    ++c;  // the LF takes a column
    if (cellIndex == 1) ++c;
    ++i;
    if (i >= size && lineCount > 0) --lineCount;
  }
  if (cellWidth < 1900 && c < start + cellWidth) c = start + cellWidth;
  runCol = c;
  // The following lines below it, from the cell's first column.
  for (int k = 1; i < size && k < kSideLines; ++k) {
    char* line = Side(k);
    std::int64_t at = start;
    std::size_t from = i;
    for (; i < size && para[i] != '\n' && para[i] != '\0'; ++i) {
      if (at - start >= kSideColumns) continue;
      if (at >= 0 && at < kSideColumns && Visible(para[i])) line[at] = para[i];
      ++at;
    }
    if (i < size) ++i;
    if (k == kSideLines - 1 && i < size) {
      // More text than the side lines hold: ".." near the end of the last.
      const std::int64_t mark = at - 32 < start ? start : at - 32;
      for (int d = 0; d < 2; ++d)
        if (mark + d >= 0 && mark + d < kSideColumns) line[mark + d] = '.';
    }
    (void)from;
  }
  if (tableLayout) {
    const std::int64_t rule = runCol - 1;
    if (rule >= 0 && rule < kSideColumns)
      for (int k = 0; k <= lineCount; ++k)
        if (Side(k)[rule] == ' ') Side(k)[rule] = '|';
  }
  cellWidth = kCellNone;
  para.clear();
  lineIndex = 0;
}

// A rule of "+" and "-" over the row from side line 0's first "|".
void DocxWalker::Rule(std::int64_t r, std::int64_t c) {
  const char* line0 = Side(0);
  const char* bar = static_cast<const char*>(std::memchr(line0, '|', kSideColumns));
  const std::int64_t first = bar ? bar - line0 : 0;
  const std::int64_t last = std::min<std::int64_t>(runCol - 1, kSideColumns);
  for (std::int64_t k = first; k <= last; ++k) {
    const char mark = k == first || k == last ? '+' : '-';
    if (canvas.Get(pageBase + r, c + k) == ' ') canvas.Put(pageBase + r, c + k, mark);
  }
}

void DocxWalker::RowEnd() {
  if (nesting == 1) {
    nesting = 2;
    if (InTextBox()) {
      row = floatRow;
      col = tableLeft = floatCol;
    }
    if (tableLayout && runCol > 1) {
      Rule(row < 0 ? 0 : row, col);
      ++row;
    }
  }
  if (runCol > kSideColumns) runCol = kSideColumns;
  if (row < 0) row = 0;
  for (int k = 0; k <= lineCount; ++k) {
    const char* line = Side(k);
    for (int x = 0; x < kSideColumns; ++x) {
      const char b = line[x];
      if (b == '\0' || b == ' ') continue;
      if (b == '|' && canvas.Get(pageBase + row, tableLeft + x) != ' ') continue;
      canvas.Put(pageBase + row, tableLeft + x, b);
    }
    if (canvas.At(pageBase + row, 0) < 0) stop = true;
    ++row;
  }
  if (rowsUsed < row) rowsUsed = row;
  widest = std::max(widest, std::min<std::int64_t>(runCol + tableLeft, kSideColumns));
  col = tableLeft;
  lineCount = 0;
  cellIndex = 0;
}

void DocxWalker::TableEnd() {
  if (tableLayout && nesting > 0) {
    Rule(row < 0 ? 0 : row, col);
    ++row;
    if (rowsUsed < row) rowsUsed = row;
  }
  nesting = 0;
  if (!tablesPass && row >= 50) markDue = true;
  if (savedRow > 0 && !InTextBox()) {
    row = savedRow;
    col = tableLeft = savedCol;
    savedRow = savedCol = 0;
    textBoxMode = 0;
  } else {
    ++row;
    col = tableLeft = 0;
  }
  if (markDue) WritePageMark();
}

}  // namespace convert
