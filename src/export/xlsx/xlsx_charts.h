// The charts of the sheet being written: its "!$" blocks go through the
// chart writer into chart parts, and their anchors into the sheet's drawing,
// which the run keeps until the sheet is done and then stores once.
#pragma once

#include "csv/csv_buffer.h"
#include "export/part_sink.h"
#include "export/xlsx/xlsx_export.h"
#include "export/xlsx/xlsx_run.h"

namespace xlsx {

// For a sheet with a chart definition: the count starts at 1, the writer
// runs on the run's drawing buffer with the run's chart number, the sheet
// names and starts, the measured column widths and the scale of the sheet's
// size digit; the sheet's XlsxChartSlots entry takes the count it leaves, or
// 0 when it fails. Nothing happens for a sheet without a definition.
void XlsxWriteSheetCharts(XlsxRun& run, const csv::TableFields& t, exportcore::PartSink& sink, XlsxRunHost& host);

// Stores the sheet's drawing ("xl/drawings/drawing%d.xml") when it holds
// anything, then empties it for the next sheet. False when the sink refused it.
bool XlsxStoreSheetDrawing(XlsxRun& run, exportcore::PartSink& sink);

}  // namespace xlsx
