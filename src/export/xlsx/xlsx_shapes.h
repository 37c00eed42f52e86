// The drawn objects of a sheet (text boxes, callouts, lines, rectangles,
// ellipses, preset and flowchart shapes, pictures) as DrawingML anchors in
// the sheet's drawing part, after the chart anchors the chart writer has put
// there.
//
// Positions: a value of 100000 or more is a cell reference (column or row
// number * 100000 + offset, the offset in units of 10000 EMU, above 90000 a
// negative one: 90000 - offset); a smaller one is a length of 10500 EMU
// units. The anchor is absolute when the start is no cell, two-cell when
// both ends are cells, and for a cell start with an absolute size the end
// cell is found by summing the sheet's column widths and row heights (64-bit
// EMU sums).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "export/byte_writer.h"
#include "export/part_sink.h"
#include "export/xlsx/xlsx_run.h"
#include "export/xlsx/xlsx_shape_record.h"

namespace csv {
struct TableFields;
}

namespace xlsx {

// What the drawing reads besides the records.
struct XlsxDrawingSource {
  const char* text = "";  // the CSV text the records' text offsets point into
  std::size_t len = 0;
  const XlsxShapeRecord* shapes = nullptr;
  std::size_t count = 0;
  // Width codes by column number from 1 (entry 0 unused), summed as they stand.
  const std::int32_t* widths = nullptr;
  std::size_t widthCount = 0;
  // Column records by number from 1: bits 1 and 2 of position 9 mark a
  // column left out of width sums.
  const XlsxFormatRecord* columnFormats = nullptr;
  std::size_t formatCount = 0;
  // Pixel heights by row index (the first 9000 rows).
  const std::uint8_t* rowHeights = nullptr;
  std::size_t rowCount = 0;
  char sizeDigit = '4';  // the sheet's font size digit
};

// The adjust values closing a shape's geometry for its preset name, kind,
// adjust value a (the rotation's low six digits) and size in EMU.
std::string XlsxAdjustXml(const std::string& preset, unsigned char kind, std::int64_t a, std::int64_t cx,
                          std::int64_t cy);

// True when a record of the list is a drawn object.
bool XlsxHasDrawnObjects(const XlsxShapeRecord* shapes, std::size_t count);

// Appends the drawn objects of `src` to `drawing`: an empty drawing gets the
// head first; an existing one loses its closing "</xdr:wsDr>" (found, not
// counted) and gets it back after the objects. Shape ids follow the ids the
// drawing holds already. False when the buffer ran out of memory.
bool XlsxAppendShapes(exportcore::ByteWriter& drawing, const XlsxDrawingSource& src);

// The run's step after the sheet's worksheet and pictures: the drawn objects
// of `shapes` appended to run.XlsxDrawingBuffer (stored afterwards with the
// chart anchors by XlsxStoreSheetDrawing). False when memory ran out.
bool XlsxDrawingShapes(XlsxRun& run, const csv::TableFields& t, const std::vector<XlsxShapeRecord>& shapes);

}  // namespace xlsx
