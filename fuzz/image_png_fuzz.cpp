// The png loader through the dispatcher; the record must stay consistent.
#include <cstddef>
#include <cstdint>

#include "image_fuzz_host.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > (4 << 20)) return 0;
  img::LoadRecord setup;
  imgfuzz::LoadAndCheck(data, size, img::kKindPng, setup);
  return 0;
}
