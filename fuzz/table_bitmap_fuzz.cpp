// Bitmap objects over any file bytes and output sizes. Input: 2 bytes of
// capacity (in units of 8 bytes, up to 512 KB), a byte of width and one of
// height, then the file.
// Checks: an object is written whole or nothing changes (the buffer is
// compared byte for byte); a written object leaves the reserve free, its
// braces balance, and its hex data read back as an OLE 1.0 reader reads it
// gives the version, format, class, the size and the file's bytes (the
// smaller of the recorded size and the file) padded to 16; nothing reads
// outside the file (ASan).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "table/table_bitmap.h"

namespace {

void Fail(const char* what) {
  (void)what;
  std::abort();
}

int Hex(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::uint32_t Le32(const std::vector<std::uint8_t>& d, std::size_t at) {
  if (at + 4 > d.size()) Fail("cut short");
  return d[at] | d[at + 1] << 8 | d[at + 2] << 16 | static_cast<std::uint32_t>(d[at + 3]) << 24;
}

void CheckObject(const std::string& obj, const std::uint8_t* file, std::size_t fileLength) {
  int depth = 0;
  for (char c : obj) depth += c == '{' ? 1 : c == '}' ? -1 : 0;
  if (depth != 0) Fail("braces");
  const std::size_t at = obj.find("{\\*\\objdata");
  if (at == std::string::npos) Fail("no objdata");
  std::vector<std::uint8_t> d;
  int hi = -1;
  for (std::size_t i = at + 11; i < obj.size(); ++i) {
    const int v = Hex(obj[i]);
    if (v < 0) continue;
    if (hi < 0) {
      hi = v;
    } else {
      d.push_back(static_cast<std::uint8_t>(hi << 4 | v));
      hi = -1;
    }
  }
  if (hi >= 0) Fail("odd hex digits");
  if (Le32(d, 0) != 0x0501 || Le32(d, 4) != 2 || Le32(d, 8) != 7) Fail("header");
  if (std::memcmp(d.data() + 12, "PBrush", 7) != 0 || Le32(d, 19) != 0 || Le32(d, 23) != 0) Fail("names");
  const std::uint32_t size = Le32(d, 27);
  const std::size_t n = table::BitmapDataLength(file, fileLength);
  if (size != (n + 15) / 16 * 16 || 31 + size + 8 != d.size()) Fail("size");
  if (n && std::memcmp(d.data() + 31, file, n) != 0) Fail("data");
  for (std::size_t i = n; i < size; ++i)
    if (d[31 + i] != 0) Fail("padding");
  if (Le32(d, 31 + size) != 0x0501 || Le32(d, 35 + size) != 0) Fail("closing header");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  const std::uint32_t capacity = static_cast<std::uint32_t>(data[0] | data[1] << 8) * 8;
  const int width = data[2] * 7;
  const int height = data[3] * 5;
  data += 4;
  size -= 4;
  const std::uint32_t start = capacity > 40 ? 40 : capacity;
  // Only the part an object could reach is filled and compared (an object is
  // never longer than 2.2 x the file + 300 bytes); the rest stays unset.
  std::unique_ptr<char[]> out(new char[static_cast<std::size_t>(capacity) + 1]);
  const std::size_t watched = std::min<std::size_t>(capacity, start + 3 * size + 1024);
  std::memset(out.get(), '#', watched);
  std::uint32_t pos = start;
  const table::EmbedResult r = table::EmbedBitmapBytes(data, size, out.get(), &pos, capacity, width, height);
  if (r != table::EmbedResult::kEmbedded) {
    if (pos != start) Fail("moved on a skip");
    for (std::size_t i = 0; i < watched; ++i)
      if (out[i] != '#') Fail("changed on a skip");
    return 0;
  }
  if (size > table::kMaxEmbeddedFile || size > (capacity - start) / 2) Fail("embedded a file that is too long");
  if (pos + table::kEmbedReserve > capacity) Fail("reserve");
  const std::string obj(out.get() + start, pos - start);
  if (obj != table::BitmapObjectText(data, table::BitmapDataLength(data, size), width, height) &&
      (width > 0 && height > 0))
    Fail("object text");
  CheckObject(obj, data, size);
  return 0;
}
