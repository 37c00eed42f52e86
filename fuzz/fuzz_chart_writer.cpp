// A small table followed by arbitrary "!$" chart blocks, through the chart
// writer into memory: the call ends with -1 or an offset inside the text,
// the counts agree with the parts written, and every chart part and the
// drawing are well-formed UTF-8 as stored.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "csv/csv_table.h"
#include "export/byte_writer.h"
#include "export/chart/chart_call.h"
#include "export/chart/chart_writer.h"
#include "export/part_sink.h"
#include "tests/support/xml_wellformed.h"

namespace {

void Fail(const std::string& what, const std::string& detail) {
  std::fprintf(stderr, "%s: %s\n", what.c_str(), detail.substr(0, 600).c_str());
  std::abort();
}

struct Quiet : chart::ChartHost {
  void ShowMessage(const CString&) override {}
};

const char kTable[] =
    "Month,East,West,North\r\nJan,10,20,30\r\nFeb,-1.5,,x\r\nMar,12,22,\"a&b<\"\r\n!#second\r\n1,2,3\r\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > (1u << 14)) return 0;
  // The first byte picks the sheet's size digit and the sheet number.
  const int digit = '0' + data[0] % 10;
  const int sheet = 1 + (data[0] >> 4) % 2;
  std::string text = kTable;
  text += "!$";
  text.append(reinterpret_cast<const char*>(data + 1), size - 1);
  auto table = std::make_unique<csv::Table>();
  if (!table->LoadFileText(text.data(), text.size(), 16)) return 0;
  const std::string loaded(reinterpret_cast<const char*>(table->m_pTextBuf), table->m_nTextLen);
  const std::size_t block = loaded.find("!$");
  if (block == std::string::npos) return 0;

  std::vector<std::string> names(256);
  names[2] = "it's & <x>";
  std::vector<std::uint32_t> starts(256, 0);
  std::vector<std::int32_t> widths(1001, 2);
  for (int i = 1; i < 6; ++i) widths[i] = 3 + i * 7;
  exportcore::MemoryPartSink sink;
  exportcore::ByteWriter drawing;
  Quiet quiet;
  chart::ChartMessages messages;
  messages.host = &quiet;
  int index = 0, number = 7;
  const chart::ChartSheetList sheets{names.data(), starts.data(), 256};
  const int r = chart::XlsxWriteChart(drawing, static_cast<std::uint32_t>(block), sheet, sheets, &index, &number,
                                      widths.data(), 1001, (digit - 45) * 15, 0, *table, sink, &messages);
  if (r < -1 || r > static_cast<int>(table->m_nTextLen)) Fail("result", std::to_string(r));
  if (r == -1) {
    if (drawing.Size() != 0) Fail("drawing after -1", std::string(drawing.Data(), drawing.Size()));
    return 0;
  }
  if (index < 2 || number - 7 != index - 1 || sink.parts.size() != static_cast<std::size_t>(index - 1))
    Fail("counts", std::to_string(index) + " " + std::to_string(number) + " " + std::to_string(sink.parts.size()));
  for (const auto& part : sink.parts) {
    const std::string problem = testsupport::XmlWellFormedProblem(part.second);
    if (!problem.empty()) Fail(part.first, problem + "\n" + part.second);
  }
  const std::string stored = exportcore::PartBytesOnDisk("xl/drawings/drawing1.xml", drawing.Data(), drawing.Size());
  const std::string problem = testsupport::XmlWellFormedProblem(stored);
  if (!problem.empty()) Fail("drawing", problem + "\n" + stored);
  return 0;
}
