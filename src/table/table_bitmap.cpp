// The OLE 1.0 object of an embedded bitmap, written as the hex data of an
// "\objdata" group:
//   header   01050000 02000000 07000000 50427275736800 00000000 00000000
//            (version 0x0501, format 2 = embedded, class name "PBrush" with
//            its NUL, empty topic and item names)
//   size     the native data's length, 4 bytes little-endian
//   data     the BMP bytes, zero-padded to a multiple of 16 bytes
//   closing  01050000 00000000 (version 0x0501, format 0: no presentation)
#include "table/table_bitmap.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "fw/file.h"

namespace table {

namespace {

constexpr char kObjectOpen[] = "\n{\\object\\objemb{\\*\\objclass Paint.Picture}";
constexpr char kDataOpen[] =
    "{\\*\\objdata\n01050000\n02000000\n07000000\n50427275736800\n00000000\n00000000\n";
constexpr char kClosingHeader[] = "01050000\n00000000\n";
constexpr char kObjectClose[] = "}}";
constexpr std::size_t kBytesPerLine = 32;  // 64 hex digits

std::uint32_t ReadLe32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

void AppendHexByte(std::string* out, std::uint8_t b) {
  static const char kHex[] = "0123456789abcdef";
  out->push_back(kHex[b >> 4]);
  out->push_back(kHex[b & 15]);
}

bool EndsWithBmp(const std::string& path) {
  if (path.size() < 4) return false;
  std::string ext = path.substr(path.size() - 4);
  for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return ext == ".bmp";
}

}  // namespace

std::size_t BitmapDataLength(const std::uint8_t* file, std::size_t fileLength) {
  if (!file || fileLength < 6) return fileLength;
  const std::uint32_t recorded = ReadLe32(file + 2);
  if (recorded < kBmpHeaderBytes) return fileLength;
  return std::min<std::size_t>(recorded, fileLength);
}

std::string BitmapObjectText(const std::uint8_t* data, std::size_t n, int width, int height) {
  const std::size_t padded = (n + 15) / 16 * 16;
  std::string out;
  out.reserve(padded * 2 + padded / kBytesPerLine * 2 + 256);
  out += kObjectOpen;
  char dims[64];
  std::snprintf(dims, sizeof dims, "\\objw%d\\objh%d", static_cast<int>(width * 3LL / 2),
                static_cast<int>(height * 3LL / 2));
  out += dims;
  out += kDataOpen;
  // The native data's size, as its little-endian bytes.
  for (int k = 0; k < 4; ++k) AppendHexByte(&out, static_cast<std::uint8_t>(padded >> (8 * k)));
  out += '\n';
  for (std::size_t i = 0; i < padded; ++i) {
    AppendHexByte(&out, i < n ? data[i] : 0);
    if (i % kBytesPerLine == kBytesPerLine - 1 || i + 1 == padded) out += "\r\n";
  }
  out += kClosingHeader;
  out += kObjectClose;
  return out;
}

EmbedResult EmbedBitmapBytes(const std::uint8_t* file, std::size_t fileLength, char* output, std::uint32_t* position,
                             std::uint32_t capacity, int width, int height) {
  if (!output || !position || *position > capacity) return EmbedResult::kNoRoom;
  const std::size_t free = capacity - *position;
  if (fileLength > kMaxEmbeddedFile || fileLength > free / 2) return EmbedResult::kTooLarge;
  const std::size_t n = BitmapDataLength(file, fileLength);
  if ((width <= 0 || height <= 0) && n >= 26) {
    // No size given: the bitmap's own pixels, 10 units each (15 twips once
    // the object's factor 1.5 is applied: the picture at 96 dots an inch).
    const std::int64_t w = static_cast<std::int32_t>(ReadLe32(file + 18));
    const std::int64_t h = static_cast<std::int32_t>(ReadLe32(file + 22));
    if (width <= 0) width = static_cast<int>(std::min<std::int64_t>(w < 0 ? -w : w, 10000) * 10);
    if (height <= 0) height = static_cast<int>(std::min<std::int64_t>(h < 0 ? -h : h, 10000) * 10);
  }
  const std::string object = BitmapObjectText(file, n, width, height);
  // The whole object, and the reserve after it, must fit.
  if (object.size() > free || free - object.size() < kEmbedReserve) return EmbedResult::kNoRoom;
  std::memcpy(output + *position, object.data(), object.size());
  *position += static_cast<std::uint32_t>(object.size());
  if (*position < capacity) output[*position] = 0;
  return EmbedResult::kEmbedded;
}

EmbedResult EmbedBitmapObject(const std::string& path, char* output, std::uint32_t* position, std::uint32_t capacity,
                              int width, int height, PictureConverter* converter) {
  std::string bmp = path;
  if (!EndsWithBmp(path)) {
    if (!converter) return EmbedResult::kCannotOpen;
    bmp = converter->ScratchBitmap();
    if (bmp.empty() || converter->WriteAsBitmap(path, bmp) != 0) return EmbedResult::kCannotOpen;
  }
  std::vector<std::uint8_t> bytes;
  try {
    CFile f;
    if (!f.Open(bmp.c_str(), CFile::modeRead | CFile::typeBinary | CFile::shareDenyWrite))
      return EmbedResult::kCannotOpen;
    const ULONGLONG length = f.GetLength();
    // Only a file that can be embedded at all is read.
    if (length > kMaxEmbeddedFile) return EmbedResult::kTooLarge;
    bytes.resize(static_cast<std::size_t>(length));
    const UINT got = bytes.empty() ? 0 : f.Read(bytes.data(), static_cast<UINT>(bytes.size()));
    bytes.resize(got);
    f.Close();
  } catch (const CFileException&) {
    return EmbedResult::kCannotOpen;
  }
  return EmbedBitmapBytes(bytes.data(), bytes.size(), output, position, capacity, width, height);
}

}  // namespace table
