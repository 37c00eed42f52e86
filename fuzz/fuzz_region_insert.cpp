// An inserted picture file made the region's clip: any bytes as a BMP file;
// an accepted plan builds into a buffer of exactly its size (ASan sees any
// stray byte) and the clip's header describes 24-bit rows of the plan's size.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "image/edit/region_files.h"
#include "image/load/image_record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::unique_ptr<uint8_t[]> copy(new uint8_t[size ? size : 1]);
  if (size) std::memcpy(copy.get(), data, size);
  const image::InsertPlan plan = image::PlanInsertClip(copy.get(), size);
  if (!plan.ok) return 0;
  if (plan.clipBytes > (int64_t(1) << 24)) return 0;  // keep each run small
  std::unique_ptr<uint8_t[]> clip(new uint8_t[size_t(plan.clipBytes)]);
  if (!image::BuildInsertClip(plan, copy.get(), size, clip.get(), size_t(plan.clipBytes))) return 0;
  const img::DibHeader h = img::ReadDibHeader(clip.get() + 14);
  if (clip[0] != 'B' || h.biBitCount != 24 || h.biWidth != plan.width || h.biHeight != plan.height ||
      int64_t(h.biSizeImage) + 54 != plan.clipBytes)
    std::abort();
  return 0;
}
