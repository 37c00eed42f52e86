#include "export/xlsx/xlsx_charts.h"

#include <string>

#include "export/chart/chart_call.h"
#include "export/chart/chart_writer.h"

namespace xlsx {
namespace {

// The chart writer's messages go to the run's message box.
class ChartMessageBox : public chart::ChartHost {
 public:
  explicit ChartMessageBox(XlsxRunHost& host) : m_host(host) {}
  void ShowMessage(const CString& text) override { m_host.ShowMessage(text); }

 private:
  XlsxRunHost& m_host;
};

}  // namespace

void XlsxWriteSheetCharts(XlsxRun& run, const csv::TableFields& t, exportcore::PartSink& sink, XlsxRunHost& host) {
  const XlsxSheetModel& m = run.sheet;
  if (m.chartDefinition == 0 || m.number == 0 || m.number >= static_cast<std::uint32_t>(kSheetSlots)) return;
  ChartMessageBox box(host);
  run.XlsxChartMessages.host = &box;
  const chart::ChartSheetList sheets{run.XlsxSheetNames.data(), run.XlsxSheetStart.data(), kSheetSlots};
  int count = 1;
  const int scale = (static_cast<unsigned char>(m.settings.fontSizeDigit) - 45) * 15;
  const int r = chart::XlsxWriteChart(run.XlsxDrawingBuffer, m.chartDefinition, static_cast<int>(m.number), sheets,
                                      &count, &run.XlsxChartNumber, run.XlsxColumnWidths.data(),
                                      static_cast<int>(run.XlsxColumnWidths.size()), scale, m.bounds.blockStart, t,
                                      sink, &run.XlsxChartMessages);
  run.XlsxChartMessages.host = nullptr;
  run.XlsxChartSlots[m.number] = r < 0 ? 0 : static_cast<std::uint32_t>(count);
}

bool XlsxStoreSheetDrawing(XlsxRun& run, exportcore::PartSink& sink) {
  exportcore::ByteWriter& d = run.XlsxDrawingBuffer;
  bool ok = true;
  if (d.Size() != 0 || d.Failed()) {
    const std::string path = "xl/drawings/drawing" + std::to_string(run.sheet.number) + ".xml";
    ok = sink.WritePart(path.c_str(), d);
  }
  d.Clear();
  return ok;
}

}  // namespace xlsx
