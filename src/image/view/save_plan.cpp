#include "image/view/save_plan.h"

#include <cctype>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "image/load/image_record.h"
#include "image/load/image_size.h"

namespace img {

namespace {

uint32_t ColourCount(uint32_t clrUsed, uint32_t bits) {
  if (clrUsed) return clrUsed;
  if (bits == 1) return 2;
  if (bits == 4) return 16;
  if (bits == 8) return 256;
  return 0;
}

std::string LowerTail(const std::string& path, size_t n) {
  std::string t = path.size() >= n ? path.substr(path.size() - n) : path;
  for (char& c : t) c = char(std::tolower(static_cast<unsigned char>(c)));
  return t;
}

// The image size the rows really take: the header's, or stride x height
// when it gives 0 (allowed for uncompressed DIBs).
uint64_t RowsSize(const DibHeader& h) {
  if (h.biSizeImage) return h.biSizeImage;
  const int64_t height = h.biHeight < 0 ? -int64_t(h.biHeight) : h.biHeight;
  const uint64_t width = h.biWidth < 0 ? 0 : uint64_t(h.biWidth);
  return DibStride(width, h.biBitCount) * uint64_t(height);
}

}  // namespace

SaveDialogOffer PlanSaveDialog(int format, const std::string& stem) {
  SaveDialogOffer o;
  const char* ext = ".jpg";
  o.filter = "jpg, jpeg|*.jpg; *.jpeg|All|*.*|| ";
  if (format == 3) {
    ext = ".bmp";
    o.filter = "bmp|*.bmp; *.BMP;|All|*.*|| ";
  } else if (format == 4) {
    ext = ".bmz";
    o.filter = "bmp, bmz|*.bmp; *.BMP; *.bmz;|All|*.*|| ";
  } else if (format == 5 || format > 8) {
    ext = ".png";
    o.filter = "png|*.png; *.PNG;|All|*.*|| ";
  } else if (format == kSaveAnyFormat) {
    ext = ".bmp";
    o.filter = "bmp, bmz, png, jpg, jpeg, pdf|*.bmp; *.bmz; *.png; *.jpg; *.jpeg; *.pdf|All|*.*|| ";
  }
  o.proposal = stem + ext;
  return o;
}

bool MarkedBitmapName(const std::string& path) {
  if (path.size() < 4) return false;
  const char mark = path[path.size() - 4];
  return (mark == '-' || mark == '=' || mark == '+') && LowerTail(path, 3) == "bmp";
}

bool PdfTarget(const std::string& path) { return LowerTail(path, 4) == ".pdf"; }

int SaveFormatCode(int kind, int format, int bitCount, const std::string& lowerTail) {
  switch (kind) {
    case 12: return 3;
    case 22: return 4;
    case 14:
      if (format >= 9 && format <= 11) return format;
      return bitCount == 1 ? 9 : bitCount == 4 ? 10 : bitCount == 8 ? 11 : 5;
    case 13:
      if (format >= 6 && format <= 8) return format;
      return lowerTail == "jpeg" ? 8 : 7;
    default: return format;
  }
}

SaveSizes PlanSaveSizes(const uint8_t* header, int format) {
  SaveSizes s;
  const DibHeader h = ReadDibHeader(header);
  s.colours = h.biBitCount < 24 ? ColourCount(h.biClrUsed, h.biBitCount) : h.biClrUsed;
  s.infoSize = uint64_t(h.biSize) + 4 * uint64_t(s.colours);
  s.imageSize = RowsSize(h);
  s.total = s.imageSize + s.infoSize + 14;
  s.empty = h.biWidth == 0 || h.biHeight == 0 || s.imageSize == 0;
  s.buffer = s.total + 10000;
  if (format >= 6 && format <= 8 && h.biBitCount > 0 && h.biBitCount < 24) s.buffer = s.total * 24 / h.biBitCount + 10000;
  return s;
}

PackedDibRows LocatePackedDibRows(const uint8_t* dib, size_t blockSize) {
  PackedDibRows r;
  if (!dib || blockSize < kHeaderSize) return r;
  const DibHeader h = ReadDibHeader(dib);
  if (h.biSize < kHeaderSize || h.biSize > blockSize) return r;
  uint64_t offset = h.biSize + 4 * uint64_t(h.biBitCount < 24 ? ColourCount(h.biClrUsed, h.biBitCount) : h.biClrUsed);
  // Three colour masks follow a 40-byte header of a BI_BITFIELDS picture.
  if (h.biCompression == 3 && h.biSize == kHeaderSize) offset += 12;
  if (offset > blockSize) return r;
  const uint64_t rows = RowsSize(h);
  r.offset = size_t(offset);
  r.bytes = size_t(rows < blockSize - offset ? rows : blockSize - offset);
  r.ok = true;
  return r;
}

void MakeRowsBottomUp(uint8_t* header, uint8_t* rows, size_t rowsSize) {
  DibHeader h = ReadDibHeader(header);
  if (h.biHeight >= 0 || (h.biCompression != 0 && h.biCompression != 3) || h.biWidth <= 0) return;
  const uint64_t height = uint64_t(-int64_t(h.biHeight));
  const uint64_t stride = DibStride(uint64_t(h.biWidth), h.biBitCount);
  if (stride == 0 || stride * height > rowsSize) return;
  std::vector<uint8_t> swap(size_t(stride), 0);
  for (uint64_t top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
    std::memcpy(swap.data(), rows + top * stride, size_t(stride));
    std::memcpy(rows + top * stride, rows + bottom * stride, size_t(stride));
    std::memcpy(rows + bottom * stride, swap.data(), size_t(stride));
  }
  h.biHeight = int32_t(height);
  WriteDibHeader(header, h);
}

bool IndexRowsByPalette(const uint8_t* rgb, uint32_t width, uint32_t height, const uint8_t* palette,
                        uint32_t colours, int bits, uint8_t* out, size_t outSize) {
  if (!rgb || !palette || !out || (bits != 1 && bits != 4 && bits != 8)) return false;
  if (colours == 0 || colours > (1u << bits) || width == 0 || height == 0) return false;
  const uint64_t inStride = DibStride(width, 24), outStride = DibStride(width, uint32_t(bits));
  if (outStride * height > outSize) return false;
  std::memset(out, 0, size_t(outStride * height));
  // Colour (red << 16 | green << 8 | blue) -> index; misses are looked up
  // once and remembered.
  std::unordered_map<uint32_t, uint8_t> index;
  for (uint32_t i = colours; i-- > 0;) {
    const uint8_t* q = palette + 4 * i;
    index[uint32_t(q[2]) << 16 | uint32_t(q[1]) << 8 | q[0]] = uint8_t(i);  // the first entry wins
  }
  auto nearest = [&](const uint8_t* p) {
    uint32_t best = 0;
    int64_t bestDistance = INT64_MAX;
    for (uint32_t i = 0; i < colours; ++i) {
      const uint8_t* q = palette + 4 * i;
      const int64_t db = int64_t(p[0]) - q[0], dg = int64_t(p[1]) - q[1], dr = int64_t(p[2]) - q[2];
      const int64_t d = db * db + dg * dg + dr * dr;
      if (d < bestDistance) {
        bestDistance = d;
        best = i;
      }
    }
    return uint8_t(best);
  };
  for (uint64_t y = 0; y < height; ++y) {
    const uint8_t* src = rgb + y * inStride;
    uint8_t* dst = out + y * outStride;
    for (uint32_t x = 0; x < width; ++x, src += 3) {
      const uint32_t key = uint32_t(src[2]) << 16 | uint32_t(src[1]) << 8 | src[0];
      auto it = index.find(key);
      const uint8_t i = it != index.end() ? it->second : (index[key] = nearest(src));
      if (bits == 8) {
        dst[x] = i;
      } else if (bits == 4) {
        dst[x / 2] |= uint8_t(x % 2 ? i : i << 4);
      } else {
        dst[x / 8] |= uint8_t((i & 1) << (7 - x % 8));
      }
    }
  }
  return true;
}

}  // namespace img
