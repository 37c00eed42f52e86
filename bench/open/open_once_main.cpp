// bench_open_once FILE: the Windows build's open + index of one file, for
// the whole-process comparison under Wine (bench/run-all pairs it with
// iconv); prints the row count.
#include "open_once.h"

int main(int argc, char** argv) { return argc > 1 ? OpenOnce(argv[1]) : 2; }
