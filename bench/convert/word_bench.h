// The Word document benchmark of bench_convert (word_bench.cpp).
#pragma once

#include <string>

#include "convert/convert_registry.h"

// A file of `kind` through the converter with limits that hold the whole
// text, the text to standard output: 0, or 1 when the conversion failed.
int ConvertToStdout(convert::Request r, const char* path, int kind);
// "-word FILE": the file's text through the converter, to standard output.
int WordText(const char* path);
// The paired runs against catdoc and their table row.
void BenchWord(const std::string& self, int runs);
