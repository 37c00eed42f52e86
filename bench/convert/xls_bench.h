// The workbook benchmark of bench_convert (xls_bench.cpp).
#pragma once

#include <string>

// "-xls FILE": the workbook's table form through the converter, to standard output.
int XlsTable(const char* path);
// The paired runs against xls2csv and their table row.
void BenchXls(const std::string& self, int runs);
