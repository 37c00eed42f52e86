// Any CSV text through the whole XLSX run into memory: the run ends with 0
// or -1, never a crash; on 0 the package has its workbook, styles, content
// types and one worksheet per sheet, every XML part is well-formed UTF-8 as
// stored, and every cell's style index lies inside the style sheet's
// cellXfs.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "csv/csv_table.h"
#include "export/part_sink.h"
#include "export/xlsx/xlsx_export.h"
#include "export/xlsx/xlsx_run.h"
#include "tests/support/xml_wellformed.h"

namespace {

void Fail(const std::string& what, const std::string& detail) {
  std::fprintf(stderr, "%s: %s\n", what.c_str(), detail.substr(0, 400).c_str());
  std::abort();
}

// Answers every question of the run without a window.
class QuietHost : public xlsx::XlsxRunHost {
 public:
  int ReportMessage(int, const CString&) override { return 1; }
  void ShowMessage(const CString&) override {}
  CString CannotOpenText(const CString& path) override { return path; }
  int CreateArchive(const CString&, const std::vector<CString>&, const CString&) override { return -1; }
  bool AskMakeWritable(const CString&) override { return false; }
  void ShowWriteProtected(const CString&) override {}
};

// The number after `attr`="..." at `at`, or -1.
long Number(const std::string& s, std::size_t at) {
  if (at == std::string::npos) return -1;
  return std::strtol(s.c_str() + at, nullptr, 10);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 16)) return 0;
  auto table = std::make_unique<csv::Table>();
  if (!table->LoadFileText(data, size, 16)) return 0;
  auto run = std::make_unique<xlsx::XlsxRun>();
  xlsx::XlsxRunInput in;
  in.table = table.get();
  in.programDir = "C:\\Tabrye";
  in.target = "C:\\out.xlsx";
  exportcore::MemoryPartSink sink;
  QuietHost host;
  const int result = xlsx::XlsxWriteParts(*run, in, sink, host);
  if (result != 0 && result != -1) Fail("result", std::to_string(result));
  if (result != 0 || sink.AnyFailed()) return 0;

  for (const char* part : {"xl/workbook.xml", "xl/styles.xml", "[Content_Types].xml", "_rels/.rels",
                           "docProps/app.xml", "docProps/core.xml", "xl/_rels/workbook.xml.rels"})
    if (!sink.parts.count(part)) Fail("missing part", part);
  const std::string& styles = sink.parts["xl/styles.xml"];
  const long cellXfs = Number(styles, styles.find("<cellXfs count=\"") + 16);
  for (std::uint32_t n = 1; n <= run->XlsxSheetCount; ++n)
    if (!sink.parts.count("xl/worksheets/sheet" + std::to_string(n) + ".xml")) Fail("missing sheet", std::to_string(n));
  for (const auto& part : sink.parts) {
    const std::string problem = testsupport::XmlWellFormedProblem(part.second);
    if (!problem.empty()) Fail(part.first, problem + "\n" + part.second);
    if (part.first.compare(0, 14, "xl/worksheets/") != 0 || part.first.find("_rels") != std::string::npos) continue;
    for (std::size_t at = part.second.find(" s=\""); at != std::string::npos; at = part.second.find(" s=\"", at + 4)) {
      const long s = Number(part.second, at + 4);
      if (s < 0 || s >= cellXfs) Fail(part.first, "style index " + std::to_string(s) + " of " + std::to_string(cellXfs));
    }
  }
  return 0;
}
