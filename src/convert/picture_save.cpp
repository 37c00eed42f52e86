#include "convert/picture_save.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "convert/convert_host.h"
#include "core/docsvc/backup.h"
#include "fw/file.h"
#include "fw/file_bytes.h"

namespace convert {
namespace {

constexpr std::size_t kTiffHeader = 128;

void Put16(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  Put16(b, at, v & 0xFFFF);
  Put16(b, at + 2, v >> 16);
}
// One directory entry of the TIFF header: tag, type, count 1, value.
void PutEntry(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t tag, std::uint32_t type,
              std::uint32_t value) {
  Put16(b, at, tag);
  Put16(b, at + 2, type);
  Put32(b, at + 4, 1);
  if (type == 3) Put16(b, at + 8, value & 0xFFFF);
  else Put32(b, at + 8, value);
}

// Fax data behind the 128-byte little-endian header.
void TiffHeader(std::vector<std::uint8_t>& b, std::size_t length, int compression, int mode, int width,
                int height) {
  b.assign(kTiffHeader, 0);
  b[0] = 'I';
  b[1] = 'I';
  Put16(b, 2, 42);
  Put32(b, 4, 8);
  Put16(b, 8, 8);
  PutEntry(b, 10, 256, 3, static_cast<std::uint32_t>(width));
  PutEntry(b, 22, 257, 3, static_cast<std::uint32_t>(height));
  PutEntry(b, 34, 259, 3, static_cast<std::uint32_t>(compression));
  PutEntry(b, 46, 262, 3, mode == -2 ? 1 : 0);
  PutEntry(b, 58, 273, 4, 128);
  PutEntry(b, 70, 279, 4, static_cast<std::uint32_t>(length) & 0xFFFFFF);  // the low three bytes
  PutEntry(b, 82, 282, 5, 106);
  PutEntry(b, 94, 283, 5, 106);
  Put32(b, 106, 204);
  Put32(b, 110, 1);
}

bool Has(const std::uint8_t* data, std::size_t length, std::size_t at, std::uint8_t byte) {
  return at < length && data[at] == byte;
}

}  // namespace

EmbeddedImageFile PlanEmbeddedImage(const std::uint8_t* data, std::size_t length, int compression, int mode,
                                    int width, int height) {
  EmbeddedImageFile f;
  if (!data) length = 0;
  if (mode == -1 || mode == -2) {
    f.name = "pdftmp.tif";
    f.fileKind = 16;
    TiffHeader(f.bytes, length, compression, mode, width, height);
    f.bytes.insert(f.bytes.end(), data, data + length);
    return f;
  }
  if (length >= 4 && std::memcmp(data, "\x89PNG", 4) == 0) {
    f.name = "pdftmp.PNG";
    f.fileKind = 14;
    f.bytes.assign(data, data + length);
    return f;
  }
  if (length >= 2 && data[0] == 0xFF && data[1] >= 0xD0 && data[1] <= 0xEF) {
    f.name = "pdftmp.jpg";
    f.fileKind = 13;
    f.bytes.reserve(length + 2);
    std::size_t app = 0;  // where the data after its own FF D8 begins
    if (data[1] != 0xD8) {
      f.bytes.push_back(0xFF);
      f.bytes.push_back(0xD8);
    } else {
      app = 2;
    }
    f.bytes.insert(f.bytes.end(), data, data + length);
    // An Adobe APP14 segment first: FF EE, "Ad" at 4, 0x80 at 11, the
    // transform byte at 15.
    if (Has(data, length, app, 0xFF) && Has(data, length, app + 1, 0xEE) && Has(data, length, app + 4, 'A') &&
        Has(data, length, app + 5, 'd') && Has(data, length, app + 11, 0x80) && app + 15 < length) {
      const std::uint8_t transform = data[app + 15];
      if (transform == 0) f.loadMode = 2;
      else if (transform == 2) f.bytes[f.bytes.size() - length + app + 15] = 1;
    }
    return f;
  }
  f.bytes.assign(data, data + length);
  return f;
}

bool WritePictureFile(const CString& path, const std::uint8_t* bytes, std::size_t n) {
  CFile file;
  if (!file.Open(path, CFile::modeCreate | CFile::modeWrite | CFile::typeBinary)) return false;
  bool ok = true;
  try {
    if (n) file.Write(bytes, static_cast<UINT>(n));
    file.Close();
  } catch (...) {
    ok = false;
  }
  return ok;
}

bool ReadPictureFile(const CString& path, std::vector<std::uint8_t>* bytes) { return fw::ReadFileBytes(path, bytes); }

int PdfSaveEmbeddedImage(PictureSaveContext& ctx, const std::uint8_t* data, std::size_t length, int compression,
                         int mode, int width, int height) {
  const EmbeddedImageFile f = PlanEmbeddedImage(data, length, compression, mode, width, height);
  const CString path = docsvc::ScratchDir(ctx.programDir) + "\\" + f.name;
  const bool written = ctx.write ? ctx.write(path, f.bytes.data(), f.bytes.size())
                                 : WritePictureFile(path, f.bytes.data(), f.bytes.size());
  if (!written) return -1;
  ctx.m_nFileKind = f.fileKind;
  ctx.m_strConvImage = path;
  return ctx.host ? ctx.host->LoadPicture(path, f.loadMode) : 0;
}

}  // namespace convert

namespace convert {

std::int32_t RawBmpHeaderSize(int bits) {
  if (bits == 1) return 62;
  if (bits == 4) return 118;
  if (bits == 24 || bits == 32) return 54;
  if (bits >= 2 && bits <= 23) return 1078;
  return 0;
}

std::int64_t RawBmpRowSize(std::int64_t width, int bits) {
  if (RawBmpHeaderSize(bits) == 0 || width < 1) return -1;
  if (bits >= 24) return (width * 24 + 31) / 8 / 4 * 4;
  if (bits < 8) return (((width - 1) * bits / 8) / 4) * 4 + 4;
  return (width * bits + 31) / 8 / 4 * 4;
}

bool PlanRawBmp(const std::uint8_t* samples, std::size_t n, const std::uint8_t* palette, int hasPalette,
                std::int64_t totalBytes, int width, int height, int bits, int* loadMode,
                std::vector<std::uint8_t>* bmp) {
  bmp->clear();
  const std::int32_t header = RawBmpHeaderSize(bits);
  if (header == 0 || width < 1 || height < 1 || width > kBmpSideMax || height > kBmpSideMax) return false;
  const std::int64_t rowSize = RawBmpRowSize(width, bits);
  if (rowSize < 0 || rowSize > kBmpRowMax) return false;
  // Input rows: whole bytes per row; four bytes a pixel for 32-bit input.
  const std::int64_t inRow = bits == 32 ? std::int64_t{width} * 4 : (std::int64_t{width} * bits + 7) / 8;
  if (!samples) n = 0;
  std::int64_t avail = static_cast<std::int64_t>(n);
  if (totalBytes >= 0 && totalBytes < avail) avail = totalBytes;

  const std::size_t pixels = static_cast<std::size_t>(rowSize) * static_cast<std::size_t>(height);
  if (static_cast<std::int64_t>(pixels) + header > kBmpBytesMax) return false;
  try {
    bmp->assign(static_cast<std::size_t>(header) + pixels, 0);
  } catch (const std::bad_alloc&) {
    bmp->clear();
    return false;
  }
  std::vector<std::uint8_t>& b = *bmp;
  b[0] = 'B';
  b[1] = 'M';
  Put32(b, 2, static_cast<std::uint32_t>(pixels + static_cast<std::size_t>(header)));
  Put32(b, 10, static_cast<std::uint32_t>(header));
  Put32(b, 14, 40);
  Put16(b, 18, static_cast<std::uint32_t>(width));
  Put16(b, 22, static_cast<std::uint32_t>(height));
  Put16(b, 26, 1);
  Put16(b, 28, static_cast<std::uint32_t>(bits == 32 ? 24 : bits));
  Put32(b, 34, static_cast<std::uint32_t>(pixels));
  Put32(b, 38, kBmpPixelsPerMetre);
  Put32(b, 42, kBmpPixelsPerMetre);

  // The palette, blue green red 0; a grey ramp without one.
  std::uint8_t ramp[256 * 3];
  for (int i = 0; i < 256; ++i) ramp[i * 3] = ramp[i * 3 + 1] = ramp[i * 3 + 2] = static_cast<std::uint8_t>(i);
  const std::uint8_t* pal = hasPalette && palette ? palette : ramp;
  auto entry = [&](int i, std::uint8_t r, std::uint8_t g, std::uint8_t bl) {
    b[54 + i * 4] = bl;
    b[54 + i * 4 + 1] = g;
    b[54 + i * 4 + 2] = r;
  };
  if (bits == 1) {
    const bool reversed = *loadMode == kRawLoadReversed;
    entry(0, reversed ? 255 : 0, reversed ? 255 : 0, reversed ? 255 : 0);
    entry(1, reversed ? 0 : 255, reversed ? 0 : 255, reversed ? 0 : 255);
    if (reversed) *loadMode = 0;
  } else if (bits == 4) {
    for (int i = 0; i < 15; ++i) entry(i, pal[i * 3], pal[i * 3 + 1], pal[i * 3 + 2]);
    entry(15, 255, 255, 255);
  } else if (header == 1078) {
    for (int i = 0; i < 256; ++i) entry(i, pal[i * 3], pal[i * 3 + 1], pal[i * 3 + 2]);
  }

  // Rows bottom-up, each padded with zeros; 24 bits with red and blue
  // exchanged, 32-bit input losing every fourth byte. Rows the samples do
  // not reach stay zero, so the file always holds what its header says.
  std::uint8_t* out = b.data() + header;
  for (std::int64_t r = 0; r < height; ++r) {
    std::uint8_t* row = out + static_cast<std::size_t>(height - 1 - r) * static_cast<std::size_t>(rowSize);
    const std::int64_t from = r * inRow;
    if (from >= avail) break;
    const std::int64_t have = std::min(inRow, avail - from);
    const std::uint8_t* src = samples + from;
    if (bits >= 24) {
      const int step = bits == 32 ? 4 : 3;
      for (std::int64_t x = 0; x < width && (x + 1) * step <= have; ++x) {
        row[x * 3] = src[x * step + 2];
        row[x * 3 + 1] = src[x * step + 1];
        row[x * 3 + 2] = src[x * step];
      }
    } else {
      std::memcpy(row, src, static_cast<std::size_t>(std::min<std::int64_t>(have, rowSize)));
    }
  }
  return true;
}

int PdfSaveRawImageAsBmp(PictureSaveContext& ctx, const std::uint8_t* palette, int hasPalette,
                         std::int64_t totalBytes, int width, int height, int bits, int loadMode) {
  const CString dir = docsvc::ScratchDir(ctx.programDir);
  const CString in = dir + "\\temp.txt";
  const CString path = dir + "\\pdftmp.bmp";
  std::vector<std::uint8_t> samples;
  const bool read = ctx.read ? ctx.read(in, &samples) : ReadPictureFile(in, &samples);
  if (!read) return -1;
  std::vector<std::uint8_t> bmp;
  int mode = loadMode;
  if (!PlanRawBmp(samples.data(), samples.size(), palette, hasPalette, totalBytes, width, height, bits, &mode, &bmp))
    return -1;
  const bool written = ctx.write ? ctx.write(path, bmp.data(), bmp.size()) : WritePictureFile(path, bmp.data(), bmp.size());
  if (!written) return -1;
  ctx.m_nFileKind = 12;
  ctx.m_strConvImage = path;
  return ctx.host ? ctx.host->LoadPicture(path, mode) : 0;
}

}  // namespace convert
