// The grid-table writer over any selected lines, font size, character width,
// paragraph spacing and pixel positions: the braces balance, every line
// gives one row, a text row's cells read back as the line's cells, and each
// row has as many edges as cells, rising.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "../tests/table/grid_tokens.h"
#include "table/table_grid.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  const int fontSize = static_cast<int>(data[0]) * 13 - 100;  // out of range now and then
  const int charPixels = data[1] & 31;
  const bool explicitPixels = data[2] & 1;
  const int spacing = (data[2] >> 1) * 8;
  const std::string text(reinterpret_cast<const char*>(data + 3), size - 3);

  std::vector<table::GridLine> lines;
  std::size_t from = 0;
  while (from <= text.size() && lines.size() < 200) {
    std::size_t end = text.find('\n', from);
    if (end == std::string::npos) end = text.size();
    table::GridLine g = table::GridLineFromText(std::string_view(text).substr(from, end - from), charPixels,
                                                lines.size() % 3 == 0 ? spacing : 0);
    if (explicitPixels) {
      // Pixels from the line's own bytes: unordered, negative, huge.
      for (std::size_t k = 0; k < g.edgePixels.size(); ++k) {
        const unsigned char b = k < g.text.size() ? static_cast<unsigned char>(g.text[k]) : 0;
        g.edgePixels[k] = (static_cast<int>(b) - 64) * 2000;
      }
      if (g.text.size() & 1) g.edgePixels.pop_back();  // a count that does not match
    }
    lines.push_back(g);
    from = end + 1;
  }

  const std::string rtf = table::WriteGridTable(lines, fontSize);
  const tabletest::GridDoc doc = tabletest::ParseGrid(rtf, false);
  if (!doc.balanced || doc.depthAtEnd != 0) std::abort();
  if (!doc.textOutsideRows.empty()) std::abort();
  if (doc.rows.size() != lines.size()) std::abort();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const tabletest::GridRow& row = doc.rows[i];
    if (row.cells.empty() || row.cells.size() != row.cellx.size()) std::abort();
    for (std::size_t k = 1; k < row.cellx.size(); ++k) {
      if (row.cellx[k] < row.cellx[k - 1] + table::kGridMinCellTwips) std::abort();
    }
    std::string_view t(lines[i].text);
    t = t.substr(0, std::min(t.size(), table::kGridLineLimit));
    if (table::GridLineMark(t) != table::kGridMarkNone) {
      if (row.sl != -table::kGridRuleTwips) std::abort();
      continue;
    }
    const std::vector<std::string> cells = table::GridCells(t);
    if (cells.size() != row.cells.size()) std::abort();
    for (std::size_t k = 0; k < cells.size(); ++k) {
      if (cells[k] != row.cells[k].text) std::abort();
    }
  }
  return 0;
}
