// The ".xlsx" benchmark of bench_convert (xlsx_bench.cpp).
#pragma once

#include <string>

// "-xlsx FILE": the workbook's table form through the converter (unpacking
// included), to standard output.
int XlsxTable(const char* path);
// "-xlsx-shares FILE": the shares of one conversion's time spent emptying
// the scratch folder and loading the parts as Shift-JIS, printed.
int XlsxShares(const char* path);
// The paired runs against openpyxl's read-only load and their table row.
void BenchXlsx(const std::string& self, int runs);
