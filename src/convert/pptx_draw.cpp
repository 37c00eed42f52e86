#include "convert/pptx_draw.h"

#include <algorithm>
#include <utility>

#include "fw/sjis.h"

namespace convert {
namespace {

constexpr std::int64_t kLastStart = 132;     // a text line starts at most here
constexpr std::int64_t kTableRight = 128;    // table text wraps past this column
constexpr std::int64_t kRunOnRight = 126;    // a cell running on into an empty one stops before 127
constexpr int kTableStarts = 170;            // column starts 0-169
constexpr std::int64_t kPictureWidth = 15;   // the narrowest picture box
constexpr std::int64_t kShapeWidth = 4;      // the narrowest text box

bool Lead(unsigned char c) { return fw::IsSjisLeadByte(c); }

}  // namespace

PptxDrawn DrawPptxShape(PptxCanvas& canvas, std::int64_t lineBase, PptxBox b, const std::string& text) {
  PptxDrawn d;
  if (b.picture) {
    b.align = 'c';
    if (b.width < kPictureWidth) {
      b.width = kPictureWidth;
      b.height = 1;
    }
  } else if (b.width < kShapeWidth) {
    b.width = kShapeWidth;
  }
  std::vector<std::pair<std::size_t, std::size_t>> lines;  // (from, length)
  for (std::size_t from = 0;;) {
    const std::size_t lf = text.find('\n', from);
    lines.emplace_back(from, (lf == std::string::npos ? text.size() : lf) - from);
    if (lf == std::string::npos) break;
    from = lf + 1;
  }
  const bool centred = b.align == 'c' || b.align == 'C';
  const std::int64_t count = static_cast<std::int64_t>(lines.size());
  if (centred && count < b.height) b.row += (b.height - count) / 2;
  // A box above or left of the slide starts at its edge.
  if (b.row < 0) b.row = 0;
  if (b.column < 0) b.column = 0;
  std::int64_t right = b.column + b.width - (b.width > 5 ? 2 : 0);
  if (right > kLastStart) right = kLastStart;

  std::int64_t row = b.row;
  for (const auto& line : lines) {
    if (row >= kPptxSlideLines) break;
    const std::int64_t length = static_cast<std::int64_t>(line.second);
    std::int64_t start = b.column;
    std::int64_t lineRight = right;
    if (length < b.width && b.width > 6 && (centred || b.align == 'R')) {
      start = centred ? b.column + (b.width - length) / 2 : b.column + b.width - length;
      // A line placed by its alignment fits the box: the margin of the
      // right limit would wrap its last characters.
      lineRight = std::min(b.column + b.width, kLastStart);
    }
    if (start > kLastStart) start = kLastStart;
    // Never the second byte of a character already on the canvas.
    if (start > 0 && Lead(canvas.At(lineBase + row, start - 1))) ++start;
    std::int64_t col = start;
    bool trail = false;
    for (std::size_t j = 0; j < line.second; ++j) {
      const char c = text[line.first + j];
      if (c == '\t') {
        const std::int64_t next = b.column + ((col - b.column) / 8 + 1) * 8;
        for (; col < next; ++col)
          if (col < lineRight) canvas.Put(lineBase + row, col, ' ');
        trail = false;
        continue;
      }
      if (!trail && col >= lineRight) {
        ++row;
        col = b.column;
        if (row >= kPptxSlideLines) break;
      }
      if (canvas.Put(lineBase + row, col, c)) {
        d.rowsReached = std::max(d.rowsReached, row + 1);
        d.endColumn = col + 1;
      }
      ++col;
      trail = !trail && Lead(static_cast<unsigned char>(c));
    }
    ++row;
  }
  return d;
}

std::int64_t PptxTableStart(const PptxTable& t, int k) {
  const int n = static_cast<int>(std::min<std::size_t>(t.gridWidths.size(), kTableStarts - 1));
  std::int64_t s = t.frameColumn;
  for (int i = 0; i < k && i < n; ++i) s += t.gridWidths[static_cast<std::size_t>(i)];
  if (k <= n) return s;
  // Past the grid: the frame's right edge, but at least one last-column
  // width past the grid's end, so a cell there keeps room to write.
  const std::int64_t lastWidth = n > 0 ? t.gridWidths[static_cast<std::size_t>(n) - 1] : 4;
  return std::min(std::max(t.frameRight, s + lastWidth), kTableRight);
}

PptxTableDrawn DrawPptxTable(PptxCanvas& canvas, std::int64_t lineBase, std::int64_t firstRow, const PptxTable& table,
                             const std::string& text) {
  PptxTableDrawn d;
  std::int64_t starts[kTableStarts + 2];
  for (int k = 0; k < kTableStarts + 2; ++k) starts[k] = PptxTableStart(table, k);
  const auto start = [&](std::size_t k) { return starts[std::min<std::size_t>(k, kTableStarts + 1)]; };

  // Rows of cells; text before the first row or a row's first cell has no
  // place in the table.
  std::vector<std::vector<std::string>> rows;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\n') {
      rows.emplace_back();
    } else if (c == '\t') {
      if (!rows.empty()) rows.back().emplace_back();
    } else if (!rows.empty() && !rows.back().empty()) {
      rows.back().back().push_back(c);
    }
  }
  if (firstRow < 0) firstRow = 0;
  std::int64_t line = lineBase + firstRow;
  for (const auto& cells : rows) {
    std::int64_t rowExtra = 0;
    for (std::size_t k = 1; k <= cells.size(); ++k) {
      const std::string& cell = cells[k - 1];
      const std::int64_t first = std::min(start(k), kTableRight);
      const bool hasNext = k < cells.size();
      std::int64_t limit;
      if (hasNext && cells[k].empty()) limit = std::min(start(k + 2) - 3, kRunOnRight);
      else limit = start(k + 1) - 3;
      // The first four cells give way only to a neighbour with text.
      if (k <= 4 && !(hasNext && cells[k].size() >= 2)) limit = kTableRight;
      limit = std::min(limit, kTableRight);
      std::int64_t at = line, col = first, used = 0;
      bool trail = false, wrote = false;
      for (std::size_t j = 0; j < cell.size(); ++j) {
        const char c = cell[j];
        if (c == '\x0B') {
          ++at;
          ++used;
          col = first;
          wrote = trail = false;
          continue;
        }
        if (!trail && wrote && col > limit) {
          ++at;
          ++used;
          col = first;
          wrote = false;
        }
        canvas.Put(at, col, c, true);
        ++col;
        wrote = true;
        trail = !trail && Lead(static_cast<unsigned char>(c));
      }
      rowExtra = std::max(rowExtra, used);
    }
    line += 1 + rowExtra;
    d.extraLines += rowExtra;
    ++d.rows;
  }
  return d;
}

}  // namespace convert
