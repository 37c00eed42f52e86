// The PDF benchmark of bench_convert (pdf_bench.cpp).
#pragma once

#include <string>

// "-pdf FILE": the PDF's text through the converter, to standard output.
int PdfText(const char* path);
// The paired runs against pdftotext -layout and their table rows.
void BenchPdf(const std::string& self, int runs);
