// The chart's place and size from the graph line: pixels as written, a start
// cell with a pixel size, or a cell range; then the anchor values in EMU
// (9510 per pixel) or as 0-based columns and rows.
#include <cstdio>

#include "export/chart/chart_fields.h"
#include "export/chart/chart_steps.h"

namespace chart {
namespace {

constexpr std::int64_t kEmuPerPixel = 9510;
constexpr std::int64_t kRowPixels = 19;       // rows of a start cell
constexpr std::int64_t kRangeRowPixels = 18;  // rows of a cell range's height
constexpr std::int64_t kUnitsPerPixel = 105;
constexpr std::int64_t kUnitPixels = 8;
constexpr std::int32_t kNarrowCode = 2;       // a column no width code set
constexpr std::int32_t kOutsideCode = 10;     // such a column beyond the table's columns
constexpr std::int64_t kLastColumn = 16384;   // the sheet's last column (XFD)

std::int32_t Clamp32(std::int64_t v) {
  return static_cast<std::int32_t>(v > 0x7FFFFFFF ? 0x7FFFFFFF : (v < -0x7FFFFFFF ? -0x7FFFFFFF : v));
}

// The anchor value of one entry: pixels in EMU, or a cell's 0-based column or row.
std::int64_t Anchor(std::int64_t v) { return v > 0 ? v * kEmuPerPixel : (v < 0 ? -v - 1 : 0); }

}  // namespace

std::string ChartFraction(std::int64_t v) {
  if (v < 0) v = 0;
  if (v > 99) v = 99;
  char s[8];
  std::snprintf(s, sizeof s, "0.%02d", static_cast<int>(v));
  return s;
}

std::int64_t ChartColumnPixels(const ChartCall& c, std::int64_t first, std::int64_t end) {
  if (first < 1) first = 1;
  if (end > kLastColumn + 1) end = kLastColumn + 1;  // no column lies past the sheet's last
  std::int64_t units = 0;
  for (std::int64_t k = first; k < end; ++k) {
    // A column past the width table has no code of its own.
    std::int32_t w = c.columnWidths && k < c.columnWidthCount ? c.columnWidths[k] : kNarrowCode;
    if (w == kNarrowCode && k > static_cast<std::int64_t>(c.table.fieldCount)) w = kOutsideCode;
    if (w < kNarrowCode) w = kNarrowCode;
    units += static_cast<std::int64_t>(w - 1) * kUnitPixels * c.pixelScale;
  }
  return units / kUnitsPerPixel;
}

bool ChartLayout(ChartCall& c) {
  ChartNumberList(c.table, c.kw.graph, c.graphList);
  std::int64_t x = c.graphList[2], y = c.graphList[3], w = c.graphList[4], h = c.graphList[5];
  std::int64_t widthPx = w, heightPx = h;
  if (x < 0 && w > 0) {
    // A start cell with a pixel size: the cell's pixel position.
    x = ChartColumnPixels(c, 1, -x) + 1;
    if (y < 0) y = kRowPixels * -y - (kRowPixels - 1);
    if (c.graphList[10] != 0) x += c.graphList[10];
    if (c.graphList[11] != 0) y += c.graphList[11];
    c.graphList[2] = Clamp32(x);
    c.graphList[3] = Clamp32(y);
  } else if (x < 0) {
    // A cell range: the columns up to the end column, the rows to the end row.
    widthPx = ChartColumnPixels(c, -x, -w);
    if (h <= 0) {
      const std::int64_t h0 = -h - 1, y0 = y < 0 ? -y - 1 : y;
      heightPx = kRangeRowPixels * (h0 - y0);
    }
  }
  c.widthPx = widthPx;
  c.heightPx = heightPx;
  c.anchorX = Anchor(x);
  c.anchorY = Anchor(y);
  c.anchorW = Anchor(w);
  c.anchorH = Anchor(h);
  return widthPx > 0 && heightPx > 0;
}

}  // namespace chart
