#include "image/view/metafile_size.h"

#include <cctype>
#include <cstring>

#include "image/load/image_record.h"
#include "image/load/image_size.h"

namespace img {

namespace {

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7u;  // D7 CD C6 9A
constexpr int64_t kReduceHalf = 20000000;
constexpr int64_t kReduceEighth = 40000000;
// A side beyond this is refused whatever the memory settings say.
constexpr int64_t kLargestSide = int64_t(1) << 30;

int64_t Clamp(int64_t v) { return v > kLargestSide ? kLargestSide : v; }

// ((extent x 100 / millimetres) x device + 5000) / 10000 + 1, or 0 when the
// result is not a positive size.
int64_t EnhancedSide(int32_t lo, int32_t hi, int32_t millimetres, int32_t device) {
  if (millimetres <= 0 || device <= 0) return 0;
  const int64_t extent = int64_t(hi) - lo;  // at most 2^32 in magnitude
  if (extent <= 0) return 0;
  const int64_t units = extent * 100 / millimetres;  // below 2^39
  // units x device stays below 2^39 x 2^31 = 2^70: cap first.
  if (units > (kLargestSide * 10000) / device) return kLargestSide;
  return (units * device + 5000) / 10000 + 1;
}

}  // namespace

bool IsEnhancedMetafile(const std::string& path, const uint8_t* head, size_t n) {
  if (path.size() >= 3) {
    const char* t = path.c_str() + path.size() - 3;
    if (std::tolower(static_cast<unsigned char>(t[0])) == 'e' && std::tolower(static_cast<unsigned char>(t[1])) == 'm' &&
        std::tolower(static_cast<unsigned char>(t[2])) == 'f')
      return true;
  }
  return head && n >= 44 && std::memcmp(head + 40, " EMF", 4) == 0;
}

WinMetafileStart ReadWinMetafileStart(const uint8_t* data, size_t n) {
  WinMetafileStart s;
  if (!data || n < kPlaceableHeaderSize || GetLe32(data) != kPlaceableKey) return s;
  s.placeable = true;
  s.offset = kPlaceableHeaderSize;
  s.passFrame = !(n > 35 && data[35] != 0);
  const int64_t left = int16_t(GetLe16(data + 6));
  const int64_t top = int16_t(GetLe16(data + 8));
  const int64_t right = GetLe16(data + 10);
  const int64_t bottom = GetLe16(data + 12);
  // The units per inch are read as 32 bits: the reserved word after them
  // counts as their high half.
  const int64_t unitsPerInch = GetLe32(data + 14);
  if (unitsPerInch == 0) return s;  // no usable key: the default size
  // Pixels at 96.2 per inch; the products stay far below 2^63.
  int64_t w = (right - left) * 962 / (unitsPerInch * 10);
  int64_t h = (bottom - top) * 962 / (unitsPerInch * 10);
  if (h < 2 && w < 100) h = 2;
  if (w <= 0 || h <= 0) return s;
  s.width = int(Clamp(w));
  s.height = int(Clamp(h));
  return s;
}

bool ReadEnhancedFrame(const uint8_t* header, size_t n, EnhancedFrame* f) {
  if (!header || n < 88 || !f) return false;
  f->left = int32_t(GetLe32(header + 24));
  f->top = int32_t(GetLe32(header + 28));
  f->right = int32_t(GetLe32(header + 32));
  f->bottom = int32_t(GetLe32(header + 36));
  f->deviceX = int32_t(GetLe32(header + 72));
  f->deviceY = int32_t(GetLe32(header + 76));
  f->millimetresX = int32_t(GetLe32(header + 80));
  f->millimetresY = int32_t(GetLe32(header + 84));
  return true;
}

void EnhancedMetafileSize(const EnhancedFrame& f, int64_t* width, int64_t* height) {
  const int64_t w = EnhancedSide(f.left, f.right, f.millimetresX, f.deviceX);
  const int64_t h = EnhancedSide(f.top, f.bottom, f.millimetresY, f.deviceY);
  if (w < 1 || h < 1) {
    *width = kMetafileDefaultWidth;
    *height = kMetafileDefaultHeight;
    return;
  }
  *width = w;
  *height = h;
}

MetafileBitmap PlanMetafileBitmap(int64_t width, int64_t height, bool zoomRender, int zoomLevel, uint64_t limit) {
  MetafileBitmap b;
  int64_t w = width < 1 ? 1 : Clamp(width);
  int64_t h = height < 1 ? 1 : Clamp(height);
  const int64_t pixels = w * h;  // below 2^60
  if (pixels > kReduceEighth) {
    b.reduce = 8;
    w /= 8;
    h /= 8;
  } else if (pixels > kReduceHalf) {
    b.reduce = 2;
    w /= 2;
    h /= 2;
  }
  b.zoomLevel = zoomLevel;
  if (zoomRender) {
    int64_t mul = 0, div = 0;
    switch (zoomLevel) {
      case 6: if (h < 1600) mul = 2; break;
      case 7: if (h < 800) mul = 4; break;
      case 8: if (h < 400) mul = 8; break;
      case 4: div = 2; break;
      case 3: div = 4; break;
      case 2: div = 8; break;
      case 1: div = 16; break;
      default: break;
    }
    if (mul) {
      w = Clamp(w * mul);
      h *= mul;
    } else if (div) {
      w /= div;
      h /= div;
    }
    if (mul || div) {
      b.zoomLevel = 5;
      b.zoomApplied = true;
    }
  }
  if (w < 1) w = 1;
  if (h < 1) h = 1;
  b.width = w;
  b.height = h;
  b.stride = DibStride(uint64_t(w), 24);
  b.imageSize = b.stride * uint64_t(h);
  // The record's sizes are 32-bit words and the pixels get 10000 bytes of
  // slack; both must stay representable.
  b.tooLarge = b.imageSize > limit || b.imageSize > 0x7FFFFFFFu - 100000u || w > 0x7FFFFFFF || h > 0x7FFFFFFF;
  return b;
}

}  // namespace img
