#include "image/view/save_plan.h"

#include <cctype>

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

}  // namespace img
