// The run's side of the charts: the chart writer leaves the run's work
// buffer as it was (it may hold another part), the sheet's chart slot takes
// the count or 0, the drawing is kept in the run and stored once, and a
// missing sheet is reported once in a run.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "csv/csv_table.h"
#include "export/part_sink.h"
#include "export/xlsx/xlsx_charts.h"
#include "export/xlsx/xlsx_run.h"

namespace {

using namespace xlsx;

struct Host : XlsxRunHost {
  std::vector<std::string> shown;
  int ReportMessage(int, const CString&) override { return 1; }
  void ShowMessage(const CString& text) override { shown.push_back(text.GetString()); }
  CString CannotOpenText(const CString& path) override { return path; }
  int CreateArchive(const CString&, const std::vector<CString>&, const CString&) override { return -1; }
  bool AskMakeWritable(const CString&) override { return false; }
  void ShowWriteProtected(const CString&) override {}
};

const std::string kTable =
    "Month,East,West\r\nJan,10,20\r\nFeb,11,21\r\n"
    "!$\r\ngraph,Bar,,10,10,400,300\r\ndata,!x.B2:B3\r\n"
    "!$\r\ngraph,Line,,10,10,400,300\r\ndata,!x.C2:C3\r\n";

struct Sheet {
  csv::Table table;
  XlsxRun run;
  exportcore::MemoryPartSink sink;
  Host host;
  explicit Sheet(const std::string& text) {
    EXPECT_TRUE(table.LoadFileText(text.data(), text.size(), 16));
    const std::string t(reinterpret_cast<const char*>(table.m_pTextBuf), table.m_nTextLen);
    run.sheet.number = 1;
    run.sheet.chartDefinition = static_cast<std::uint32_t>(t.find("!$"));
  }
};

TEST(XlsxCharts, TheWriterKeepsToItsOwnBuffersAndTheRunStoresTheDrawingOnce) {
  Sheet s(kTable);
  // Another part is being built in the work buffer (the HTML of earlier sheets).
  s.run.XlsxWorkBuffer.Append("<tr><td>sheet 1</td></tr>");
  XlsxWriteSheetCharts(s.run, s.table, s.sink, s.host);
  EXPECT_EQ("<tr><td>sheet 1</td></tr>", std::string(s.run.XlsxWorkBuffer.Data(), s.run.XlsxWorkBuffer.Size()));
  EXPECT_EQ(3u, s.run.XlsxChartSlots[1]);
  EXPECT_EQ(3, s.run.XlsxChartNumber);
  EXPECT_EQ(2u, s.sink.parts.size());  // the two chart parts; the drawing waits for the sheet's end
  EXPECT_NE(0u, s.run.XlsxDrawingBuffer.Size());
  ASSERT_TRUE(XlsxStoreSheetDrawing(s.run, s.sink));
  EXPECT_EQ(0u, s.run.XlsxDrawingBuffer.Size());
  const std::string drawing = s.sink.parts["xl/drawings/drawing1.xml"];
  EXPECT_EQ(0u, drawing.find("<?xml version=\"1.0\" encoding=\"UTF-8\""));
  EXPECT_NE(std::string::npos, drawing.find("r:id=\"rId2\""));
  // Both data lines named sheet "x": one message in the run.
  ASSERT_EQ(1u, s.host.shown.size());
  EXPECT_EQ("No exist sheet 'x'", s.host.shown[0]);
  // The next sheet of the run names it again: still no second message.
  s.run.sheet.number = 2;
  XlsxWriteSheetCharts(s.run, s.table, s.sink, s.host);
  EXPECT_EQ(1u, s.host.shown.size());
  EXPECT_EQ(5, s.run.XlsxChartNumber);
  EXPECT_EQ(3u, s.run.XlsxChartSlots[2]);
}

TEST(XlsxCharts, AFailedCallLeavesNoSlotAndNoDrawing) {
  Sheet s("a,b\r\n1,2\r\n!$\r\ngraph,Bar,,10,10,0,300\r\ndata,B2:B2\r\n");
  s.run.XlsxChartSlots[1] = 7;
  XlsxWriteSheetCharts(s.run, s.table, s.sink, s.host);
  EXPECT_EQ(0u, s.run.XlsxChartSlots[1]);
  ASSERT_TRUE(XlsxStoreSheetDrawing(s.run, s.sink));
  EXPECT_TRUE(s.sink.parts.empty());
  // A sheet without a definition is left alone.
  Sheet none("a,b\r\n1,2\r\n");
  none.run.sheet.chartDefinition = 0;
  XlsxWriteSheetCharts(none.run, none.table, none.sink, none.host);
  EXPECT_EQ(0u, none.run.XlsxChartSlots[1]);
  EXPECT_EQ(1, none.run.XlsxChartNumber);
}

}  // namespace
