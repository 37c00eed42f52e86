// Drawing onto the slide canvas: a shape's text lines in its box (aligned,
// wrapped at the box's right limit, clipped at the slide's 64th row), and a
// table's rows and cells at the columns its grid gives.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "convert/pptx_canvas.h"

namespace convert {

// A shape's box in canvas columns and rows (rows from the slide's page
// line), as its geometry gives it.
struct PptxBox {
  std::int64_t column = 0;
  std::int64_t row = 0;
  std::int64_t width = 0;
  std::int64_t height = 0;
  char align = 'L';      // 'L', 'c' / 'C' centred, 'R'
  bool picture = false;  // pictures are centred and at least 15 columns wide
};

struct PptxDrawn {
  std::int64_t rowsReached = 0;  // the row after the last one written (0: none)
  std::int64_t endColumn = -1;   // the column after the last byte written (-1: none)
};

// Draws `text` (lines parted by LF) in `box` on the slide whose page line is
// canvas line `lineBase`.
PptxDrawn DrawPptxShape(PptxCanvas& canvas, std::int64_t lineBase, PptxBox box, const std::string& text);

// A table: its frame and grid, and its text (each row begins with LF, each
// cell with TAB, a line break inside a cell is 0x0B).
struct PptxTable {
  std::int64_t frameColumn = 0;  // from the frame's transform
  std::int64_t frameRight = 0;   // the frame's right edge, in the same columns
  std::vector<std::int64_t> gridWidths;  // columns of each grid column
};

struct PptxTableDrawn {
  std::int64_t rows = 0;        // rows drawn
  std::int64_t extraLines = 0;  // lines the cells used beyond one a row
};

// The column where the k-th cell of a row starts (k from 1; 0 is the frame's
// column). Starts past the grid's last column stand at the designed right
// edge (see docs/convert.md).
std::int64_t PptxTableStart(const PptxTable& table, int k);

// Draws the table with its first row on slide row `firstRow`; the canvas
// grows when the rows run past it.
PptxTableDrawn DrawPptxTable(PptxCanvas& canvas, std::int64_t lineBase, std::int64_t firstRow, const PptxTable& table,
                             const std::string& text);

}  // namespace convert
