#include "image/edit/region_files.h"

#include <algorithm>
#include <cstring>

#include "image/edit/region_clip.h"
#include "image/edit/region_geometry.h"
#include "image/load/dib_convert.h"
#include "image/load/image_record.h"

namespace image {

namespace {

// Endings and their writer's format codes (image/write: 0 BMP, 4 zipped
// bitmap, 5 PNG, 5 + quality selector 1-3 JPEG).
struct Ending {
  const char* tail;
  int format;
};
constexpr int kJpegBase = 5;
constexpr Ending kEndings[] = {{".jpg", kJpegBase + 2}, {"jpeg", kJpegBase + 3}, {".png", 5}, {".bmz", 4}};
constexpr int kBmpAtOwnDepth = 0;

constexpr int kInsertableKinds[] = {12, 13, 14, 15, 16, 22};
constexpr uint32_t kRgb = 0, kBitFields = 3;

bool KnownDepth(int bits) { return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32; }

}  // namespace

int RegionSaveFormat(const std::string& path) {
  if (path.size() < 4) return kBmpAtOwnDepth;
  std::string tail = path.substr(path.size() - 4);
  for (char& c : tail) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  for (const Ending& e : kEndings)
    if (tail == e.tail) return e.format;
  return kBmpAtOwnDepth;
}

bool InsertableKind(int kind) {
  return std::find(std::begin(kInsertableKinds), std::end(kInsertableKinds), kind) != std::end(kInsertableKinds);
}

InsertPlan PlanInsertClip(const uint8_t* bmp, size_t size) {
  InsertPlan p;
  if (!bmp || size < kClipPlainHeaderBytes || bmp[0] != 'B' || bmp[1] != 'M') return p;
  const img::DibHeader h = img::ReadDibHeader(bmp + kClipFileHeaderBytes);
  const int64_t infoEnd = int64_t(kClipFileHeaderBytes) + h.biSize;
  const int64_t offset = img::GetLe32(bmp + 10);
  if (h.biSize < kClipInfoHeaderBytes || h.biSize > kClipInfoLimit || infoEnd > int64_t(size)) return p;
  if (h.biWidth <= 0 || h.biHeight <= 0 || !KnownDepth(h.biBitCount)) return p;
  if (h.biCompression != kRgb && !(h.biCompression == kBitFields && (h.biBitCount == 16 || h.biBitCount == 32)))
    return p;
  if (offset < infoEnd || offset > int64_t(size)) return p;
  const int64_t pixelBytes = CheckedRegionProduct(RowStride(h.biWidth, h.biBitCount), h.biHeight);
  const int64_t rows24 = CheckedRegionProduct(RowStride(h.biWidth, 24), h.biHeight);
  const int64_t clipBytes = CheckedRegionSum(rows24, kClipPlainHeaderBytes);
  if (pixelBytes < 0 || rows24 < 0 || clipBytes < 0 || pixelBytes > int64_t(size) - offset) return p;
  // The converter works in 32-bit sizes.
  if (clipBytes > int64_t(UINT32_MAX) - 16) return p;
  p.width = h.biWidth;
  p.height = h.biHeight;
  p.bits = h.biBitCount;
  p.pixelOffset = offset;
  p.pixelBytes = pixelBytes;
  p.clipBytes = clipBytes;
  p.ok = true;
  return p;
}

bool BuildInsertClip(const InsertPlan& plan, const uint8_t* bmp, size_t size, uint8_t* out, size_t outSize) {
  if (!plan.ok || !bmp || !out || int64_t(outSize) < plan.clipBytes || plan.pixelOffset + plan.pixelBytes > int64_t(size))
    return false;
  const int64_t rows24 = plan.clipBytes - kClipPlainHeaderBytes;
  uint8_t* rows = out + kClipPlainHeaderBytes;
  if (plan.bits == 24) {
    std::memcpy(rows, bmp + plan.pixelOffset, size_t(rows24));
  } else {
    // The header and its colour table (or masks), as the converter reads them.
    uint8_t info[img::kInfoArea] = {};
    std::memcpy(info, bmp + kClipFileHeaderBytes,
                size_t(std::min<int64_t>(plan.pixelOffset - kClipFileHeaderBytes, sizeof info)));
    img::DibHeader h = img::ReadDibHeader(info);
    h.biSizeImage = uint32_t(plan.pixelBytes);
    img::WriteDibHeader(info, h);
    const uint32_t written = img::ConvertDibPixels(bmp + plan.pixelOffset, rows, info, uint32_t(plan.pixelBytes),
                                                   uint32_t(rows24), sizeof info);
    if (int64_t(written) != rows24 + 3) return false;
  }
  std::memset(out, 0, kClipPlainHeaderBytes);
  out[0] = 'B';
  out[1] = 'M';
  img::PutLe32(out + 2, uint32_t(plan.clipBytes));
  img::PutLe32(out + 10, uint32_t(kClipPlainHeaderBytes));
  img::DibHeader h;
  h.biWidth = int32_t(plan.width);
  h.biHeight = int32_t(plan.height);
  h.biBitCount = 24;
  h.biSizeImage = uint32_t(rows24);
  img::WriteDibHeader(out + kClipFileHeaderBytes, h);
  return true;
}

}  // namespace image
