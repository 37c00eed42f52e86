// The HTML benchmark of bench_convert (markup_bench.cpp).
#pragma once

#include <string>

// "-html FILE": the page's text through the converter, to standard output.
int HtmlText(const char* path);
// The paired runs against Python's html.parser and their table row.
void BenchMarkup(const std::string& self, int runs);
