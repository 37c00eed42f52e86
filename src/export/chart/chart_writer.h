// The chart writer of the XLSX export: the "!$" chart definition blocks of
// one sheet become chart parts "xl/charts/chartN.xml" and anchors in the
// sheet's drawing.
//
// One call reads the block at `blockOffset` and every block that follows it
// directly (a block ended by another "!$" line). Each block is read, laid
// out, written as chart XML in the call's own buffer and stored through the
// sink as "chart%d.xml" by the run's chart number; its anchor goes into
// `drawing`, the run's drawing text of the sheet, which the run stores once
// when the sheet is done. A block that cannot be drawn (no size, or a kind
// that names no chart group) is skipped: no chart part and no anchor.
//
// Result: the offset where the last block handled ended (the start of its
// terminating line, or the text's end); -1 when no block could be drawn (the
// drawing is left as it was) or a chart part could not be stored (the sink
// keeps the failure for the run's message).
#pragma once

#include <cstdint>
#include <string>

#include "csv/csv_buffer.h"
#include "export/chart/chart_fields.h"

namespace exportcore {
class ByteWriter;
class PartSink;
}  // namespace exportcore

namespace chart {

// The arguments in their order: the output (the sheet's drawing text), the
// block's "!$" line, the sheet number n (1-255), the sheet names, the chart
// count in the drawing (set to 1 here; afterwards the charts written + 1),
// the run's next chart part number (advanced per chart written), the sheet
// starts, the sheet's column width codes (by column from 1, `widthCount`
// entries), the pixel scale ((size digit - 45) x 15), the sheet's block
// start. Then what a portable writer needs besides: the table text, the
// part sink and the run's messages (a missing sheet name is shown once per
// run; null: nothing is shown).
int XlsxWriteChart(exportcore::ByteWriter& drawing, std::uint32_t blockOffset, int sheet, const ChartSheetList& sheets,
                   int* chartIndex, int* chartNumber, const std::int32_t* columnWidths, int widthCount, int pixelScale,
                   std::uint32_t blockStart, const csv::TableFields& table, exportcore::PartSink& sink,
                   ChartMessages* messages);

}  // namespace chart
