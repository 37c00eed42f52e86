// The Word document benchmark of bench_convert (word_bench.cpp).
#pragma once

#include <string>

// "-word FILE": the file's text through the converter, to standard output.
int WordText(const char* path);
// The paired runs against catdoc and their table row.
void BenchWord(const std::string& self, int runs);
