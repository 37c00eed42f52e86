// The state of one call of the chart writer: everything the block reader,
// the layout, the head, the chart groups, the axes and the part writer share
// while the charts of one run of "!$" blocks are written. One object per
// call; each further block of the call resets the per-block values
// (ResetForNextBlock) and keeps the call-wide ones.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "export/byte_writer.h"
#include "export/chart/chart_fields.h"

namespace chart {

// Most data lines one block records; later "da" lines are ignored.
constexpr int kMaxDataLines = 100;

// The chart kind from item 0 of the graph line.
enum class ChartKind { kNone, kBar, kLine, kPie, kScatter, kBubble, kRadar, kSurface };

// Byte offsets in the table text of each keyword line's value (0: the block
// has no such line). The later line of a keyword wins.
struct ChartKeywords {
  std::uint32_t graph = 0;     // "gr": kind, background, x, y, width, height
  std::uint32_t title = 0;     // "ti": font code, text, x, y
  std::uint32_t view3d = 0;    // "3D": rotation X, rotation Y, depth, height
  std::uint32_t plotarea = 0;  // "pl": gap width or explosion, x, y, w, h
  std::uint32_t zname = 0;     // "zn": series names, or "cell"
  std::uint32_t zcolr = 0;     // "zc" (not "zcu"): series colours, or "Auto"
  std::uint32_t trend = 0;     // "zcu" or "zt": trend lines
  std::uint32_t zlabel = 0;    // "zla": data labels
  std::uint32_t zline = 0;     // "zl" (not "zla"): series lines, or "Auto"
  std::uint32_t zkind = 0;     // "zk": which bar-chart series are lines
  std::uint32_t marker = 0;    // "zm": series markers
  std::uint32_t xname = 0;     // "xn": category names, or "cell"
  std::uint32_t xpara = 0;     // "xp": category axis
  std::uint32_t xtitle = 0;    // "xt": category-axis title
  std::uint32_t ypara2 = 0;    // "yp...2": second value axis
  std::uint32_t ypara = 0;     // "yp": value axis
  std::uint32_t ytitle2 = 0;   // "yt...2": second value-axis title
  std::uint32_t ytitle = 0;    // "yt": value-axis title
  std::uint32_t unit2 = 0;     // "un...2": second value axis's display unit
  std::uint32_t unit = 0;      // "un": value axis's display unit
  std::uint32_t sampl = 0;     // "sa": legend
  std::uint32_t ta = 0;        // "ta": data table
};

struct ChartCall {
  // --- the table text (never written): m_pTextBuf, m_nTextLen, m_nFieldCount ---
  ChartText table;

  // --- the run's tables and the call's arguments ---
  ChartSheetList sheets;                       // XlsxSheetNames and XlsxSheetStart
  int sheet = 1;                               // n: the sheet the charts go on (1-255)
  const std::int32_t* columnWidths = nullptr;  // width codes by column from 1
  int columnWidthCount = 0;                    // entries of columnWidths
  int pixelScale = 105;                        // s: a width unit is 8 x s / 105 pixels
  std::uint32_t callerValue = 0;               // the sheet's block start
  ChartMessages* messages = nullptr;           // the run's message host and names shown

  // --- call-wide ---
  std::uint32_t dataStart = 0;  // the sheet's data start in the text
  std::string sheetName;        // entry n of the sheet names (Shift-JIS)
  int sheetIndex = 0;           // written by each series formula
  int chartIndex = 1;           // number of the chart inside the drawing (from 1)
  int chartNumber = 1;          // package-wide number of the next chart part

  // --- the block being written ---
  std::uint32_t blockStart = 0;  // its "!$" line
  std::uint32_t blockEnd = 0;    // the start of its terminating line, or textLen
  char terminator = 0;           // byte after '!' of that line ('$', '*', '#', '%'), 0 at the end
  ChartKeywords kw;
  std::array<std::uint32_t, kMaxDataLines> data{};  // data-line value offsets
  int ndata = 0;

  // Kind, counts and flags (worked out afresh for every block).
  ChartKind kind = ChartKind::kNone;
  int nb = 0;             // bar series: the first nb data lines
  int nl = 0;             // line-type series: the next nl data lines
  int grouping = 0;       // 0 none, 1 stacked, 2 percent (bar); 3 stacked, 4 percent (area)
  bool horizontal = false;  // "BarH"
  bool standard = false;    // "Para"/"para": standard grouping
  bool pie = false;
  bool bubble = false;
  int radarStyle = 0;     // 0 none, 1 marker, 2 filled
  int surface = 0;        // 0 none, 1 solid, 2 wireframe
  bool threeD = false;    // "3D" anywhere in the kind
  int xySeries = 0;       // scatter and bubble: data lines available to the series

  // Layout.
  ChartNumbers graphList{};   // the graph line's numbers (L)
  std::int64_t widthPx = 0;   // the chart's pixel width and height
  std::int64_t heightPx = 0;
  std::int64_t anchorX = 0;   // pixels x 9510 (EMU), or a 0-based column/row
  std::int64_t anchorY = 0;
  std::int64_t anchorW = 0;
  std::int64_t anchorH = 0;

  // Head.
  int titleLength = 0;          // bytes of title item 1 as written
  bool namesFromCells = false;  // zname item 0 "cell"
  CellOffsetList nameCells{};   // the name cells when namesFromCells
  bool zcolrAuto = false;
  bool zlineAuto = false;
  // The bar group's gap width: the digits before a "p" of plotarea item 0
  // as written ("80p" gives 80), 150 when the item has no "p" or no number
  // there; at most 500.
  int gapWidth = 150;

  // The chart XML being built: the call's own buffer, growing.
  exportcore::ByteWriter xml;

  // Values of a keyword line cleared before the next block is read; the
  // plotarea, xpara, xname, ypara, unit, zname, zline and zcolr lines carry
  // over unless the new block has its own.
  void ResetForNextBlock();
};

}  // namespace chart
