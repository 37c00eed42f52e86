// The ".docx" benchmark of bench_convert (docx_bench.cpp).
#pragma once

#include <string>

// "-docx FILE": the document's pages through the converter (unpacking
// included), to standard output.
int DocxPages(const char* path);
// The paired runs against python-docx's read-back and their table row.
void BenchDocx(const std::string& self, int runs);
