#include "convert/picture_save.h"

#include <cstring>

#include "convert/convert_host.h"
#include "core/docsvc/backup.h"
#include "fw/file.h"

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
