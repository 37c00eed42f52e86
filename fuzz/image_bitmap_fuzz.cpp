// The bitmap path of the loader dispatcher, with trimming and transform words
// from the first bytes.
#include <cstddef>
#include <cstdint>

#include "image_fuzz_host.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4 || size > (4 << 20)) return 0;
  img::LoadRecord setup;
  setup.m_nTrimMode = data[0] & 1;
  setup.m_nTrimTop = (data[0] >> 1) & 3;
  setup.m_nTrimBottom = (data[0] >> 3) & 3;
  setup.m_nTrimLeft = (data[0] >> 5) & 3;
  setup.m_nTrimRight = data[1] & 3;
  setup.m_aImageSettings[img::kTransformCode] = data[1] >> 2;
  setup.m_aImageSettings[img::kFlipV] = data[2] & 1;
  setup.m_aImageSettings[img::kRotation] = (data[2] >> 1) & 3;
  imgfuzz::LoadAndCheck(data + 3, size - 3, img::kKindBmp, setup);
  return 0;
}
