// An arbitrary format section after a small table: through the section
// reader, the object grid (conditions through a fake selector that marks
// cells), the worksheet and the drawing into memory. The section step ends
// with 0 (no memory failures here); records stay within 500 and overlaps
// within 256; every grid line keeps its layout (cells of two base-32 digits
// or "O:" and 0x06, CR LF at the end) and the spare bytes after the lines
// stay zero, so no write left the grid; the view's table is byte-identical
// afterwards; every part of the run is well-formed UTF-8.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "csv/csv_table.h"
#include "export/part_sink.h"
#include "export/xlsx/xlsx_conditions.h"
#include "export/xlsx/xlsx_export.h"
#include "export/xlsx/xlsx_prescan.h"
#include "export/xlsx/xlsx_run.h"
#include "export/xlsx/xlsx_section.h"
#include "export/xlsx/xlsx_sheetmodel.h"
#include "tests/support/xml_wellformed.h"

namespace {

void Fail(const std::string& what, const std::string& detail) {
  std::fprintf(stderr, "%s: %s\n", what.c_str(), detail.substr(0, 400).c_str());
  std::abort();
}

// Writes the command's marker into the first cell of every row of its own
// table (as the selection's assignment would), so that the marked cells
// reach the grid.
class FakeSelector : public xlsx::XlsxConditionSelector {
 public:
  int Select(csv::Table& table, const CString& condition, const CString& command) override {
    (void)condition;
    const std::string c = command.Str();
    const std::size_t z = c.find("zz");
    if (z == std::string::npos) return 0;
    const std::string marker = c.substr(z, 5);
    std::string text(reinterpret_cast<const char*>(table.m_pTextBuf), table.UsedLength());
    std::string out;
    bool lineStart = true;
    for (char ch : text) {
      if (lineStart && ch != '\r' && ch != '\n') out += marker + '\x06';
      out += ch;
      lineStart = ch == '\n';
    }
    table.Assign(out.data(), out.size(), 16);
    return 1;
  }
};

class QuietHost : public xlsx::XlsxRunHost {
 public:
  int ReportMessage(int, const CString&) override { return 1; }
  void ShowMessage(const CString&) override {}
  CString CannotOpenText(const CString& path) override { return path; }
  int CreateArchive(const CString&, const std::vector<CString>&, const CString&) override { return -1; }
  bool AskMakeWritable(const CString&) override { return false; }
  void ShowWriteProtected(const CString&) override {}
  xlsx::XlsxConditionSelector* ConditionSelector() override { return &selector; }
  FakeSelector selector;
};

__attribute__((no_sanitize("coverage"))) bool GridDigit(unsigned char c) { return c >= '0' && c <= 'O'; }

// The grid check reads every byte of the grid on every input: clang's
// coverage feedback is left out of it (its branches are not the program's).
__attribute__((no_sanitize("coverage"))) void CheckGrid(const xlsx::XlsxObjectLayer& layer) {
  if (layer.shapes.size() > static_cast<std::size_t>(xlsx::kMaxSectionObjects)) Fail("records", "over 500");
  if (layer.overlaps.size() > static_cast<std::size_t>(xlsx::kMaxOverlaps)) Fail("overlaps", "over 256");
  if (layer.grid.empty()) return;
  const std::uint64_t line = xlsx::GridLineBytes(layer.gridColumns);
  const std::uint64_t laid = xlsx::GridLaidBytes(layer.gridColumns, layer.gridRows);
  if (layer.grid.size() != laid + xlsx::kGridSpareBytes) Fail("grid size", std::to_string(layer.grid.size()));
  for (std::uint64_t r = 0; r < layer.gridRows; ++r) {
    const std::uint64_t base = r * line;
    for (std::uint64_t c = 0; c <= layer.gridColumns; ++c) {
      const unsigned char hi = layer.grid[base + 3 * c], lo = layer.grid[base + 3 * c + 1];
      if (!GridDigit(hi) || !GridDigit(lo)) Fail("grid cell", std::to_string(base + 3 * c));
    }
    if (layer.grid[line * (r + 1) - 2] != '\r' || layer.grid[line * (r + 1) - 1] != '\n') Fail("grid line", "end");
  }
  for (std::uint64_t i = laid; i < layer.grid.size(); ++i)
    if (layer.grid[i] != 0) Fail("grid spare", std::to_string(i));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 14)) return 0;
  std::string csvText = "name,amount,note,x\r\nA,500,zz01,1\r\nB,1500,y,zz3\r\nC,2500,z,4\r\n!%\r\n";
  csvText.append(reinterpret_cast<const char*>(data), size);
  auto table = std::make_unique<csv::Table>();
  if (!table->LoadFileText(csvText.data(), csvText.size(), 16)) return 0;
  const std::string before(reinterpret_cast<const char*>(table->m_pTextBuf), table->m_nTextLen);
  QuietHost host;

  // One run for every input, cleared as a new one starts: the cleared state
  // is the constructed one, and its work buffer's room is not mapped and
  // unmapped again for each input (that, not the run, took most of the time).
  static xlsx::XlsxRun* const run = new xlsx::XlsxRun();

  // The section step of sheet 1 on its own.
  {
    run->Clear();
    const char* text = reinterpret_cast<const char*>(table->m_pTextBuf);
    xlsx::XlsxPreScan(text, table->m_nTextLen, *run);
    xlsx::XlsxReadSheetModel(*table, text, table->m_nTextLen, 1, *run);
    const int r = xlsx::XlsxSheetFormatSection(*run, *table, host, &host.selector);
    if (r != 0) Fail("section step", std::to_string(r));
    CheckGrid(run->XlsxObjects);
  }

  // The whole run into memory (it clears the run first).
  xlsx::XlsxRunInput in;
  in.table = table.get();
  in.programDir = "C:\\Tabrye";
  in.target = "C:\\out.xlsx";
  exportcore::MemoryPartSink sink;
  const int result = xlsx::XlsxWriteParts(*run, in, sink, host);
  if (result != 0 && result != -1) Fail("result", std::to_string(result));
  const std::string after(reinterpret_cast<const char*>(table->m_pTextBuf), table->m_nTextLen);
  if (after != before) Fail("view table", "changed");
  if (result != 0) return 0;
  for (const auto& part : sink.parts) {
    if (part.first.size() < 4 || part.first.compare(part.first.size() - 4, 4, ".xml") != 0) {
      if (part.first.find(".rels") == std::string::npos) continue;
    }
    const std::string problem = testsupport::XmlWellFormedProblem(part.second);
    if (!problem.empty()) Fail(part.first, problem + "\n" + part.second);
  }
  return 0;
}
