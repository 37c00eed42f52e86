// Writes the golden encodes into the folder given (see make_golden.sh).
#include <cstdio>
#include <string>

#include "jpeg_golden.h"
#include "jpeg_test_util.h"
#include "support/file_bytes.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s folder\n", argv[0]);
    return 2;
  }
  for (const auto& g : jpegtest::kGoldenCases) {
    const std::string bytes = jpegtest::EncodePlanes(jpegtest::Synthetic(g.w, g.h, g.seed), g.level);
    if (bytes.empty()) return 1;
    testsupport::WriteFileBytes(std::string(argv[1]) + "/" + g.file, bytes);
  }
  return 0;
}
