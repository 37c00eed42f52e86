// An openpyxl workbook of 200,000 cells (50,000 rows of a number, a text, a
// date and a percentage) as a CSV table, whole process against whole
// process: this program with "-xlsx FILE" (unpacking, reading and the table
// form) against openpyxl's read-only load that formats every value
// (xlsx_bench_openpyxl.py). Each run checks that both give 200,000 cells.
// The shares of the scratch folder's emptying and of the parts' Shift-JIS
// loading in one conversion are printed after the row.
#include "xlsx_bench.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "../bench_util.h"
#include "convert/convert_registry.h"
#include "convert/ooxml_package.h"
#include "convert/ooxml_part.h"
#include "core/docsvc/backup.h"

namespace {

const char kProgramDir[] = "/tmp/tabrye_xlsx_bench_program";

// The non-empty fields of our table form (headings left out).
std::size_t OurCells(const std::string& text) {
  std::size_t n = 0;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind("!*", 0) == 0) continue;
    bool any = false;
    bool quoted = false;
    for (std::size_t i = 0; i <= line.size(); ++i) {
      if (i < line.size() && line[i] == '"') quoted = !quoted;
      if (i == line.size() || (line[i] == ',' && !quoted)) {
        n += any ? 1 : 0;
        any = false;
      } else {
        any = true;
      }
    }
  }
  return n;
}

convert::Request TableRequest() {
  convert::Request r;
  r.m_nXlsMode = 10;
  r.m_strProgramDir = kProgramDir;
  return r;
}

}  // namespace

int XlsxTable(const char* path) {
  std::system((std::string("mkdir -p ") + kProgramDir).c_str());
  convert::Request r = TableRequest();
  r.path = path;
  r.kind = 36;
  r.limits.indata = 64000000;
  r.limits.outdata = 64000000;
  r.limits.tableRows = 400000;  // every cell held
  const convert::Result res = convert::ConvertFile(r);
  if (res.status != convert::Status::kOk) return 1;
  std::fwrite(res.text.data(), 1, res.text.size(), stdout);
  return 0;
}

int XlsxShares(const char* path) {
  std::system((std::string("mkdir -p ") + kProgramDir).c_str());
  convert::Request r = TableRequest();
  r.path = path;
  r.kind = 36;
  r.limits.indata = 64000000;
  r.limits.outdata = 64000000;
  r.limits.tableRows = 400000;
  const bench::Clock::time_point t0 = bench::Clock::now();
  const convert::Result res = convert::ConvertFile(r);
  const double whole = bench::Seconds(t0);
  if (res.status != convert::Status::kOk) return 1;
  // The parts as the conversion left them: loaded again, then emptied.
  const CString folder = docsvc::PackageScratchDir(kProgramDir);
  convert::FolderPackage package(folder);
  convert::PartText text;
  convert::LoadBuffer out;
  const bench::Clock::time_point t1 = bench::Clock::now();
  for (const char* part : {"xl\\_rels\\workbook.xml.rels", "xl\\workbook.xml", "xl\\styles.xml",
                           "xl\\sharedStrings.xml", "xl\\worksheets\\sheet1.xml"})
    convert::LoadPartAsSjis(package, part, 0, text, out);
  const double load = bench::Seconds(t1);
  const bench::Clock::time_point t2 = bench::Clock::now();
  docsvc::EmptyScratchFolder(folder);
  const double empty = bench::Seconds(t2);
  std::printf("convert: xlsx conversion %.4f s; emptying the scratch folder %.4f s (%.1f%%); "
              "parts to Shift-JIS %.4f s (%.1f%%)\n",
              whole, empty, 100 * empty / whole, load, 100 * load / whole);
  return 0;
}

void BenchXlsx(const std::string& self, int runs) {
  const std::string book = "/tmp/tabrye_xlsx_bench.xlsx";
  const std::string script = TABRYE_SOURCE_ROOT "/bench/convert/xlsx_bench_openpyxl.py";
  if (std::system(("/usr/bin/python3 '" + script + "' make " + book + " >/dev/null 2>&1").c_str()) != 0) {
    std::printf("convert: the xlsx benchmark needs python3-openpyxl\n");
    return;
  }
  const bench::Paired p = bench::RunCommandsPaired(
      runs, self + " -xlsx " + book, "/usr/bin/python3 '" + script + "' read " + book,
      [](const std::string& ours, const std::string& theirs) {
        return OurCells(ours) == 200000 && theirs.find("cells 200000") != std::string::npos;
      });
  bench::PrintRow("convert", "openpyxl workbook of 200000 cells as a CSV table (whole process)",
                  "openpyxl read-only, every value formatted", p, "<= 0.33");
  std::system((self + " -xlsx-shares " + book).c_str());
}
