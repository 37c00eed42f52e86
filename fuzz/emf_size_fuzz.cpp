// The metafile size arithmetic over arbitrary header bytes: the placeable
// key and box, the enhanced frame and reference fields, the reductions and
// the zoom resolution. No division by zero, no overflow (UBSan), and every
// size that is not refused stays within the limit it was given.
#include <cstddef>
#include <cstdint>
#include <string>

#include "image/view/metafile_size.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint8_t ctl = data[0];
  const int zoomLevel = ctl % 11;
  const bool zoomRender = (ctl & 0x80) != 0;
  const uint64_t limit = uint64_t(data[1]) << 20;
  data += 2;
  size -= 2;

  const img::WinMetafileStart s = img::ReadWinMetafileStart(data, size);
  if (s.width <= 0 || s.height <= 0 || s.offset > size) __builtin_trap();
  (void)img::IsEnhancedMetafile(std::string(reinterpret_cast<const char*>(data), size < 64 ? size : 64), data, size);

  int64_t w = s.width, h = s.height;
  img::EnhancedFrame f;
  if (img::ReadEnhancedFrame(data, size, &f)) {
    img::EnhancedMetafileSize(f, &w, &h);
    if (w <= 0 || h <= 0) __builtin_trap();
  }
  const img::MetafileBitmap b = img::PlanMetafileBitmap(w, h, zoomRender, zoomLevel, limit);
  if (b.width < 1 || b.height < 1) __builtin_trap();
  if (!b.tooLarge && (b.imageSize > limit || b.stride * uint64_t(b.height) != b.imageSize)) __builtin_trap();
  if (b.reduce != 1 && b.reduce != 2 && b.reduce != 8) __builtin_trap();
  return 0;
}
