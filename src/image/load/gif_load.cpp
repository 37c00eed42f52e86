// GIF loader: the first image of the file, decoded with the GIF variant of
// LzwDecode into a 4- or 8-bit DIB with the file's colour table. Every read
// of the block scan is bounded by the data.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "archive/lzw_decode.h"
#include "fw/alloc.h"
#include "image/load/image_loaders.h"
#include "image/load/image_size.h"

namespace img {
namespace {

constexpr uint32_t kSlack = 100000;
constexpr uint8_t kTransparentGrey = 248;

// Reads a colour table of `entries` RGB triples at `at` into table
// (blue, green, red, 0); false when it runs past the data.
bool ReadTable(const uint8_t* data, uint64_t length, uint64_t at, uint32_t entries, uint8_t table[256][4]) {
  if (at + 3ull * entries > length) return false;
  std::memset(table, 0, 256 * 4);
  for (uint32_t k = 0; k < entries && k < 256; ++k) {
    table[k][0] = data[at + 3 * k + 2];
    table[k][1] = data[at + 3 * k + 1];
    table[k][2] = data[at + 3 * k];
  }
  return true;
}

// Skips data sub-blocks from `pos` up to and including the 0 size; false
// when the data ends first.
bool SkipSubBlocks(const uint8_t* data, uint64_t length, uint64_t* pos) {
  while (*pos < length) {
    const uint8_t n = data[(*pos)++];
    if (n == 0) return true;
    *pos += n;
  }
  return false;
}

}  // namespace

uint32_t LoadGifImage(LoadRecord& rec, LoadHost& host, const uint8_t* data, uint32_t length, uint8_t* info) {
  if (length < 13 || std::memcmp(data, "GIF8", 4) != 0 || (data[4] != '7' && data[4] != '9') || data[5] != 'a')
    return 0;
  uint8_t table[256][4] = {};
  bool haveTable = false;
  uint32_t tableEntries = 0;
  uint64_t pos = 13;
  if (data[10] >= 128) {
    tableEntries = 2u << (data[10] & 7);
    if (!ReadTable(data, length, 13, tableEntries, table)) return 0;
    haveTable = true;
    pos += 3ull * tableEntries;
  }
  int transparent = -1;
  bool found = false;
  while (pos < length) {
    const uint8_t b = data[pos++];
    if (b == ',') {
      found = true;
      break;
    }
    if (b == 0) continue;
    // An extension: label, then sub-blocks.
    if (pos >= length) return 0;
    const uint8_t label = data[pos++];
    if (b == '!' && label == 0xF9 && pos + 5 <= length && data[pos] == 4 && (data[pos + 1] & 1))
      transparent = data[pos + 4];
    if (!SkipSubBlocks(data, length, &pos)) return 0;
  }
  if (!found || pos + 9 > length) return 0;
  const uint8_t* desc = data + pos;
  const uint32_t width = GetLe16(desc + 4), height = GetLe16(desc + 6);
  const uint8_t flags = desc[8];
  const bool interlaced = (flags & 64) != 0;
  pos += 9;
  if (flags >= 128) {
    tableEntries = 2u << (flags & 7);
    if (!ReadTable(data, length, pos, tableEntries, table)) return 0;
    haveTable = true;
    pos += 3ull * tableEntries;
  }
  if (transparent >= 0 && table[transparent][0] == 0 && table[transparent][1] == 0 && table[transparent][2] == 0)
    table[transparent][0] = table[transparent][1] = table[transparent][2] = kTransparentGrey;
  if (pos >= length) return 0;
  const uint32_t k = data[pos++];
  if (k > 8 || width == 0 || height == 0) return 0;
  const uint32_t outBits = k <= 4 ? 4 : 8;

  // Expected size and the data sub-blocks.
  uint64_t expected = (uint64_t(width) + 1) * height;
  expected = std::max<uint64_t>(expected, length);
  if (expected > WorkLimit(host) || expected > 0x7FFFFFFF - kSlack) return 0;
  uint8_t* buf = static_cast<uint8_t*>(fw::Alloc(size_t(expected + kSlack)));
  if (!buf) {
    host.MessageBox(kStrOutOfMemory);
    return 0;
  }
  uint64_t collected = 0;
  while (pos < length) {
    const uint32_t n = data[pos++];
    if (n == 0) break;
    const uint64_t take = std::min<uint64_t>(n, length - pos);
    std::memcpy(buf + collected, data + pos, size_t(take));
    collected += take;
    pos += take;
  }
  bool noMemory = false;
  uint64_t got = collected ? uint64_t(arc::LzwDecode(buf, int32_t(collected), int32_t(expected), arc::kLzwGif, k,
                                                     &noMemory))
                           : 0;
  if (noMemory) {
    host.MessageBox(kStrOutOfMemory);
    fw::Free(buf);
    return 0;
  }
  const uint64_t pixels = uint64_t(width) * height;
  if (got < pixels) {
    std::memset(buf + got, 0, size_t(pixels - got));
    got = pixels;
  }

  const uint64_t stride = DibStride(width, outBits);
  if (stride * height > host.textBufSize || !AllocLoadBits(rec, host, stride * height + 10000)) {
    fw::Free(buf);
    return 0;
  }
  // Picture row of each decoded row: in order, or the four interlace passes.
  uint64_t r = 0;
  auto place = [&](uint64_t y) {
    const uint8_t* s = buf + r * width;
    uint8_t* d = rec.m_pLoadBits + (height - 1 - y) * stride;
    if (outBits == 8) {
      std::memcpy(d, s, width);
    } else {
      for (uint64_t x = 0; x < width; x += 2)
        d[x / 2] = uint8_t(s[x] * 16 + (x + 1 < width ? (s[x + 1] & 15) : 0));
    }
    ++r;
  };
  if (!interlaced || height < 3) {
    for (uint64_t y = 0; y < height; ++y) place(y);
  } else {
    static const uint32_t kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
    for (int p = 0; p < 4; ++p)
      for (uint64_t y = kStart[p]; y < height; y += kStep[p]) place(y);
  }
  fw::Free(buf);

  std::memset(info, 0, kInfoArea);
  DibHeader out;
  out.biWidth = int32_t(width);
  out.biHeight = int32_t(height);
  out.biBitCount = uint16_t(outBits);
  out.biSizeImage = uint32_t(stride * height);
  WriteDibHeader(info, out);
  if (haveTable) std::memcpy(info + kHeaderSize, table, 4 * std::min<uint32_t>(tableEntries, 256));
  char text[32];
  std::snprintf(text, sizeof text, "GIF %d bit", int(k));
  host.StatusText(text);
  return uint32_t(std::min<uint64_t>(got, 0xFFFFFFFFu));
}

}  // namespace img
