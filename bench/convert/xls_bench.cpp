// An xlwt workbook of 100,000 cells (50,000 rows of a number and a text) as
// a CSV table, whole process against whole process: this program with
// "-xls FILE" (the table form, mode 10, with limits that hold every cell)
// against `xls2csv`. Each run checks that both give the same cells.
#include "xls_bench.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "../bench_util.h"
#include "convert/convert_registry.h"
#include "word_bench.h"

namespace {

// The non-empty fields of the data lines, in order (our block headings and
// end mark and xls2csv's form feed left out; our numbers' sign column
// trimmed).
std::vector<std::string> Fields(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] == '\f') line.erase(0, 1);  // xls2csv's sheet separator
    if (line.rfind("!*", 0) == 0 || line.rfind("[Sheet end]", 0) == 0) continue;
    std::string f;
    for (std::size_t i = 0; i <= line.size(); ++i) {
      if (i == line.size() || line[i] == ',') {
        const std::size_t a = f.find_first_not_of(' ');
        if (a != std::string::npos) out.push_back(f.substr(a));
        f.clear();
      } else {
        f += line[i];
      }
    }
  }
  return out;
}

// The same cell: the same text, or the same number (our RK values in
// hundredths keep two decimals, "1.50" against "1.5").
bool SameCell(const std::string& a, const std::string& b) {
  if (a == b) return true;
  char* endA = nullptr;
  char* endB = nullptr;
  const double x = std::strtod(a.c_str(), &endA);
  const double y = std::strtod(b.c_str(), &endB);
  return *endA == '\0' && *endB == '\0' && endA != a.c_str() && endB != b.c_str() && x == y;
}

bool SameCells(const std::vector<std::string>& a, const std::vector<std::string>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (!SameCell(a[i], b[i])) return false;
  return true;
}

}  // namespace

int XlsTable(const char* path) {
  convert::Request r;
  r.m_nXlsMode = 10;
  return ConvertToStdout(r, path, 3);
}

void BenchXls(const std::string& self, int runs) {
  const std::string book = "/tmp/tabrye_xls_bench.xls";
  const std::string make =
      "/usr/bin/python3 -c \"import xlwt; wb = xlwt.Workbook(); s = wb.add_sheet('cells')\n"
      "for i in range(50000):\n    s.write(i, 0, i * 1.5)\n    s.write(i, 1, 't%d' % i)\n"
      "wb.save('" + book + "')\" >/dev/null 2>&1";
  if (std::system(make.c_str()) != 0 || std::system("command -v xls2csv >/dev/null 2>&1") != 0) {
    std::printf("convert: the workbook benchmark needs python3-xlwt and xls2csv\n");
    return;
  }
  const bench::Paired p = bench::RunCommandsPaired(
      runs, self + " -xls " + book, "xls2csv -q 0 " + book,
      [](const std::string& ours, const std::string& theirs) {
        const std::vector<std::string> a = Fields(ours);
        return a.size() == 100000 && SameCells(a, Fields(theirs));
      });
  bench::PrintRow("convert", "xlwt workbook of 100000 cells as a CSV table (whole process)", "xls2csv", p, "<= 1.00");
}
