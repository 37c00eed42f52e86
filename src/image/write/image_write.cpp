#include "image/write/image_write.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <new>
#include <vector>

#include "fw/alloc.h"
#include "fw/file.h"
#include "image/jpeg/jpeg_encoder.h"
#include "image/load/dib_convert.h"
#include "image/load/image_record.h"
#include "image/load/image_size.h"
#include "image/write/dib_reduce.h"
#include "image/write/png_write.h"

namespace img {
namespace {

constexpr unsigned kStrOutOfMemory = 152;
constexpr unsigned kStrCannotSaveAs = 406;
constexpr int kJpegDpi = 96;
const char kJpegComment[] = "JPEG by Dorvik";

struct Block {
  uint8_t* p = nullptr;
  ~Block() { fw::Free(p); }
};

uint32_t PaletteCount(const DibHeader& h) {
  if (h.biClrUsed >= 1 && h.biClrUsed <= 256) return h.biClrUsed;
  return h.biBitCount == 1 ? 2 : h.biBitCount == 4 ? 16 : h.biBitCount == 8 ? 256 : 0;
}

bool WriteWholeFile(const std::string& path, const void* data, size_t n) {
  CFile f;
  if (!f.Open(path.c_str(), CFile::modeCreate | CFile::modeReadWrite | CFile::typeBinary)) return false;
  try {
    f.Write(data, UINT(n));
    f.Close();
  } catch (...) {
    return false;
  }
  return true;
}

bool CopyFileBytes(const std::string& from, const std::string& to) {
  CFile in;
  if (!in.Open(from.c_str(), CFile::modeRead | CFile::typeBinary)) return false;
  std::vector<uint8_t> bytes;
  try {
    bytes.resize(size_t(in.GetLength()));
    if (!bytes.empty() && in.Read(bytes.data(), UINT(bytes.size())) != bytes.size()) return false;
    in.Close();
  } catch (...) {
    return false;
  }
  return WriteWholeFile(to, bytes.data(), bytes.size());
}

}  // namespace

bool MarkedImageName(const std::string& path, std::string* mark, std::string* plain) {
  if (path.size() < 5) return false;
  std::string ext = path.substr(path.size() - 5);
  for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
  if (ext == "+jpeg") ext = ".+jpg";
  if (ext != ".+png" && ext != ".+jpg" && ext != ".+bmp" && ext != ".+bmz") return false;
  *mark = ext.substr(1);
  *plain = ext.substr(2);
  return true;
}

bool BuildBmpFile(const uint8_t* pixels, const uint8_t* header, std::string* out) {
  DibHeader h = ReadDibHeader(header);
  if (h.biWidth <= 0 || h.biHeight <= 0 || h.biBitCount == 0 || h.biBitCount > 32) return false;
  const uint64_t size = DibStride(uint32_t(h.biWidth), h.biBitCount) * uint64_t(h.biHeight);
  const bool masks = h.biCompression == 3 && (h.biBitCount == 16 || h.biBitCount == 32);
  const uint32_t tableBytes = masks ? 12 : 4 * PaletteCount(h);
  const uint64_t offBits = 14 + kHeaderSize + tableBytes;
  if (offBits + size > 0xFFFFFFFFu) return false;
  h.biSize = kHeaderSize;
  h.biSizeImage = uint32_t(size);
  out->assign(size_t(offBits), '\0');
  uint8_t* f = reinterpret_cast<uint8_t*>(&(*out)[0]);
  f[0] = 'B';
  f[1] = 'M';
  PutLe32(f + 2, uint32_t(offBits + size));
  PutLe32(f + 10, uint32_t(offBits));
  WriteDibHeader(f + 14, h);
  std::memcpy(f + 14 + kHeaderSize, header + kHeaderSize, tableBytes);
  out->append(reinterpret_cast<const char*>(pixels), size_t(size));
  return true;
}

bool WriteJpegFile(WriteHost& host, const uint8_t* pixels, uint8_t* header, const std::string& path, int quality) {
  DibHeader h = ReadDibHeader(header);
  if (h.biBitCount == 0 || h.biWidth <= 0 || h.biHeight <= 0) return false;
  const uint64_t w = uint32_t(h.biWidth), rows = uint32_t(h.biHeight);
  const uint64_t stride24 = DibStride(w, 24);
  uint64_t size24 = 0;
  if (!SizeWithin(stride24, rows, 0, host.MemoryLimit(), &size24)) {
    host.MessageBox(kStrOutOfMemory);
    return false;
  }
  // 24-bit rows in a buffer of our own (the caller's stays as it is).
  Block own;
  const uint8_t* rgb = pixels;
  if (h.biBitCount != 24) {
    own.p = static_cast<uint8_t*>(fw::Alloc(size_t(size24) + 16));
    if (!own.p) {
      host.MessageBox(kStrOutOfMemory);
      return false;
    }
    const uint64_t srcSize = DibStride(w, h.biBitCount) * rows;
    ConvertDibPixels(pixels, own.p, header, uint32_t(std::min<uint64_t>(srcSize, 0xFFFFFFFFu)), uint32_t(size24));
    h = ReadDibHeader(header);
    rgb = own.p;
  }
  const uint64_t plane = w * uint64_t(h.biHeight);
  Block r, g, b;
  r.p = static_cast<uint8_t*>(fw::Alloc(size_t(plane) + 1));
  g.p = static_cast<uint8_t*>(fw::Alloc(size_t(plane) + 1));
  b.p = static_cast<uint8_t*>(fw::Alloc(size_t(plane) + 1));
  if (!r.p || !g.p || !b.p) {
    host.MessageBox(kStrOutOfMemory);
    return false;
  }
  for (uint64_t y = 0; y < uint64_t(h.biHeight); ++y) {
    const uint8_t* s = rgb + (uint64_t(h.biHeight) - 1 - y) * stride24;
    for (uint64_t x = 0; x < w; ++x, s += 3) {
      b.p[y * w + x] = s[0];
      g.p[y * w + x] = s[1];
      r.p[y * w + x] = s[2];
    }
  }
  jpeg::JEncodeParams prm;
  prm.width = int(w);
  prm.height = h.biHeight;
  prm.comment = kJpegComment;
  prm.densityUnits = 1;
  prm.xDensity = prm.yDensity = kJpegDpi;
  jpeg::JEncoder enc(r.p, g.p, b.p);
  enc.SetParams(&prm);
  enc.SetQuality(quality);
  const int rc = enc.Encode();
  if (rc != 0) {
    if (rc == -1) host.MessageBox(kStrOutOfMemory);
    else host.MessageText("JPEG encode error");
    return false;
  }
  const uint8_t* data = nullptr;
  int64_t n = 0;
  enc.GetOutput(&data, &n);
  return data && n > 0 && WriteWholeFile(path, data, size_t(n));
}

bool WriteImageByFormat(WriteHost& host, const uint8_t* pixels, uint8_t* header, const std::string& path,
                        int format) {
  std::string mark, plain;
  if (MarkedImageName(path, &mark, &plain)) {
    host.MessageBox(kStrCannotSaveAs, mark, plain);
    return false;
  }
  if (format > kSavePng24) return WriteJpegFile(host, pixels, header, path, format - kSavePng24);
  if (format == kSavePng24) return WritePngFile(host, pixels, header, path) > 0;
  std::string bmp;
  try {
    if (!BuildBmpFile(pixels, header, &bmp)) return false;
  } catch (const std::bad_alloc&) {
    host.MessageBox(kStrOutOfMemory);
    return false;
  }
  if (format != kSaveBmz) return WriteWholeFile(path, bmp.data(), bmp.size());
  // Zipped: the bitmap goes to the scratch name, the pack to the target.
  const std::string scratch = host.ScratchBitmapPath();
  if (scratch.empty() || !WriteWholeFile(scratch, bmp.data(), bmp.size())) return false;
  const std::string packed = host.PackBitmap(scratch);
  if (packed.empty()) return false;
  const bool ok = CopyFileBytes(packed, path);
  try {
    CFile::Remove(packed.c_str());
  } catch (...) {
  }
  return ok;
}

void WriteImageFile(WriteHost& host, const uint8_t* pixels, uint8_t* header, const std::string& path, int format) {
  DibHeader h = ReadDibHeader(header);
  if (h.biWidth <= 0 || h.biHeight <= 0 || h.biBitCount == 0 || h.biBitCount > 32) return;
  const uint64_t w = uint32_t(h.biWidth), rows = uint32_t(h.biHeight);
  const uint32_t srcBits = h.biBitCount;
  const uint32_t target = format == kSavePng1 ? 1 : format == kSavePng4 ? 4 : format == kSavePng8 ? 8 : 24;
  const uint64_t limit = host.MemoryLimit();
  uint64_t size24 = 0, sourceSize = 0;
  if (!SizeWithin(DibStride(w, 24), rows, 0, limit, &size24) ||
      !SizeWithin(DibStride(w, srcBits), rows, 0, limit, &sourceSize)) {
    host.MessageBox(kStrOutOfMemory);
    return;
  }
  const uint64_t targetSize = DibStride(w, target) * rows;
  Block a, b;
  a.p = static_cast<uint8_t*>(fw::Alloc(size_t(size24) + 16));
  b.p = a.p ? static_cast<uint8_t*>(fw::Alloc(size_t(std::max(sourceSize, targetSize)) + 16)) : nullptr;
  if (!a.p || !b.p) {
    host.MessageBox(kStrOutOfMemory);
    return;
  }
  const bool asIs = format < kSavePng24 || (srcBits == 24 && format <= kSaveJpegLast) ||
                    (srcBits == target && (format == kSavePng24 || format > kSaveJpegLast));
  if (asIs) {
    std::memcpy(b.p, pixels, size_t(sourceSize));
  } else {
    if (srcBits == 24) std::memcpy(a.p, pixels, size_t(size24));
    else ConvertDibPixels(pixels, a.p, header, uint32_t(sourceSize), uint32_t(size24));
    if (target == 24) std::memcpy(b.p, a.p, size_t(size24));
    else ReduceDib24(a.p, b.p, header, target, int32_t(size24), int32_t(targetSize));
  }
  WriteImageByFormat(host, b.p, header, path, format > kSaveJpegLast ? kSavePng24 : format);
  host.KeepFileDate(path);
}

}  // namespace img
