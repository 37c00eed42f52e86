// The raw saver over a memory file system: the first bytes pick the width,
// height, bits, palette use, load mode and the count of bytes to read; the
// rest are the samples of "\TMP\temp.txt". A written BMP must agree with its
// own header (sizes, offsets, rows of at most 32,000 bytes); a refused
// picture writes nothing and gives -1.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "convert/picture_save.h"

namespace {

std::uint32_t U32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 8) return 0;
  const int width = static_cast<int>((data[0] | (data[1] << 8) | ((data[6] & 3) << 16))) - 2;
  const int height = static_cast<int>((data[2] | (data[3] << 8) | ((data[6] & 12) << 14))) - 2;
  static const int kBits[] = {1, 2, 4, 8, 16, 24, 32, 3, 12, 23, 25, 48, 0, 7, 9, 64};
  const int bits = kBits[data[4] & 15];
  const int hasPalette = (data[4] >> 4) & 1;
  const int loadMode = (data[4] & 0x20) ? 99 : 0;
  const std::int64_t total = (data[5] & 0x80) ? -1 : static_cast<std::int64_t>(data[5]) * 37;
  std::uint8_t palette[768];
  for (int i = 0; i < 768; ++i) palette[i] = data[(7 + i) % size];

  std::map<std::string, std::vector<std::uint8_t>> files;
  convert::PictureSaveContext ctx;
  ctx.programDir = "C:\\prog";
  ctx.write = [&](const CString& p, const std::uint8_t* b, std::size_t n) {
    files[std::string(p)] = std::vector<std::uint8_t>(b, b + n);
    return true;
  };
  ctx.read = [&](const CString& p, std::vector<std::uint8_t>* out) {
    auto it = files.find(std::string(p));
    if (it == files.end()) return false;
    *out = it->second;
    return true;
  };
  // Pictures over 4 MB are left out: they cost time, not coverage (every
  // row size up to the 32,000-byte limit still fits more than 100 rows).
  const std::int64_t rowAhead = convert::RawBmpRowSize(width, bits);
  if (rowAhead > 0 && rowAhead * height > (std::int64_t{4} << 20)) return 0;
  const std::string dir = "C:\\prog\\TMP";
  if (!(data[6] & 0x80)) files[dir + "\\temp.txt"] = std::vector<std::uint8_t>(data + 7, data + size);
  const int result = convert::PdfSaveRawImageAsBmp(ctx, palette, hasPalette, total, width, height, bits, loadMode);
  auto it = files.find(dir + "\\pdftmp.bmp");
  const std::int64_t row = convert::RawBmpRowSize(width, bits);
  const bool fits = (data[6] & 0x80) == 0 && convert::RawBmpHeaderSize(bits) != 0 && width >= 1 && height >= 1 &&
                    width <= 65535 && height <= 65535 && row > 0 && row <= 32000 &&
                    row * height + convert::RawBmpHeaderSize(bits) <= convert::kBmpBytesMax;
  if (!fits) {
    if (result != -1 || it != files.end() || ctx.m_nFileKind != 0) std::abort();
    return 0;
  }
  if (result != 0 || it == files.end() || ctx.m_nFileKind != 12) std::abort();
  const std::vector<std::uint8_t>& b = it->second;
  const std::uint32_t header = static_cast<std::uint32_t>(convert::RawBmpHeaderSize(bits));
  if (b.size() != header + static_cast<std::size_t>(row) * static_cast<std::size_t>(height)) std::abort();
  if (U32(b, 2) != b.size() || U32(b, 10) != header || U32(b, 34) != b.size() - header) std::abort();
  if (U32(b, 18) != static_cast<std::uint32_t>(width) || U32(b, 22) != static_cast<std::uint32_t>(height)) std::abort();
  if (b[28] != (bits == 32 ? 24 : bits)) std::abort();
  return 0;
}
