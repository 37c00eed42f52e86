// Zipped-bitmap loader: a ZIP whose one member is a bitmap file. The member
// is extracted by the unzip library when the host has it bound (and the
// member is "Dorvik1.bmp"), else in memory by the archive codec; its header,
// colour table and rows then fill the work area and the pixel block.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "archive/arc_state.h"
#include "archive/extract_target.h"
#include "archive/zip_extract.h"
#include "fw/alloc.h"
#include "image/load/image_loaders.h"
#include "image/load/image_size.h"

namespace img {
namespace {

constexpr uint32_t kLocalHeader = 30;
constexpr uint32_t kWorkSlack = 1000;

// The first central directory record, found from the end record.
const uint8_t* FirstCentral(const uint8_t* data, uint32_t length) {
  if (length < 22) return nullptr;
  const uint64_t lowest = length > 22 + 65535 ? length - 22 - 65535 : 0;
  for (uint64_t at = length - 22 + 1; at-- > lowest;) {
    if (GetLe32(data + at) != 0x06054B50) continue;
    const uint64_t cd = GetLe32(data + at + 16);
    if (cd + 46 > length || GetLe32(data + cd) != 0x02014B50) return nullptr;
    return data + cd;
  }
  return nullptr;
}

struct Work {
  uint8_t* p = nullptr;
  ~Work() { fw::Free(p); }
};

}  // namespace

uint32_t LoadBmzImage(LoadRecord& rec, LoadHost& host, const uint8_t* data, uint32_t length, uint8_t* info) {
  if (length < kLocalHeader || GetLe32(data) != 0x04034B50) return 0;
  uint64_t declared = GetLe32(data + 22);
  uint64_t packedSize = GetLe32(data + 18);
  uint32_t crc = GetLe32(data + 14);
  const bool streamed = (GetLe16(data + 6) & 8) != 0;
  const uint8_t* central = nullptr;
  if (declared == 0 || declared == 0xFFFFFFFFu || streamed) {
    // A streamed or piped member: the sizes stand in the central directory.
    central = FirstCentral(data, length);
    if (!central) {
      host.AppendMessage(kStrCannotOpen);
      return 0;
    }
    declared = GetLe32(central + 24);
    packedSize = GetLe32(central + 20);
    crc = GetLe32(central + 16);
    if (declared == 0xFFFFFFFFu || packedSize == 0xFFFFFFFFu) {
      host.AppendMessage(kStrCannotOpen);
      return 0;
    }
  }
  uint64_t size = declared + kWorkSlack;
  if (size >= host.textBufSize) {
    host.MessageBox(kStrUnsupported);
    return 0;
  }
  Work work;
  int64_t n = -1;
  {
    work.p = static_cast<uint8_t*>(fw::Alloc(size_t(std::max<uint64_t>(size, uint64_t(length) + kWorkSlack) + 1)));
    if (!work.p) {
      host.MessageBox(kStrUnsupported);
      return 0;
    }
    int64_t got = -1;
    if (host.UnzipBitmapByLibrary(data, length, work.p, uint32_t(size), &got)) {
      if (got < 0) return 0;
      n = got;
    }
  }
  if (n < 0) {
    // In memory: the archive as it is, with a streamed member's sizes put into
    // its local header so the codec reads them there.
    if (length > size) size = uint64_t(length) + kWorkSlack;
    std::memcpy(work.p, data, length);
    if (central) {
      PutLe32(work.p + 14, crc);
      PutLe32(work.p + 18, uint32_t(packedSize));
      PutLe32(work.p + 22, uint32_t(declared));
      PutLe16(work.p + 6, uint16_t(GetLe16(work.p + 6) & ~8));
    }
    arc::ArcState st;
    arc::ArcOutcome r;
    try {
      arc::MemoryTarget none(0);
      r = arc::UnzipOwn(st, std::string(), int32_t(length), int32_t(size), work.p, false, none);
    } catch (const std::bad_alloc&) {
      r.result = -9;
    }
    if (r.result == -9) {
      host.MessageBox(kStrOutOfMemory);
      return 0;
    }
    if (r.Failed() || r.result < 0) {
      host.AppendMessage(kStrCannotOpen);
      return 0;
    }
    // The codec counts a member's bytes less the one that completes its
    // declared size, and copies one byte more than it counts.
    n = std::min<int64_t>(int64_t(r.result) + 1, int64_t(declared));
  }

  // The member is a bitmap file: its header, colour table and rows.
  const uint8_t* bmp = work.p;
  if (n < 14 + 40 || bmp[0] != 'B' || bmp[1] != 'M') return 0;
  const uint32_t biSize = GetLe32(bmp + 14);
  if (biSize < kHeaderSize || 14 + uint64_t(biSize) > uint64_t(n)) return 0;
  DibHeader h = ReadDibHeader(bmp + 14);
  const uint32_t bits = h.biBitCount;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return 0;
  const bool bitfields = h.biCompression == 3 && (bits == 16 || bits == 32);
  if (h.biCompression != 0 && !bitfields) return 0;
  if (h.biWidth <= 0 || h.biHeight <= 0 || uint32_t(h.biWidth) > kMaxSide || uint32_t(h.biHeight) > kMaxSide) return 0;
  uint32_t colours = h.biClrUsed;
  if (colours == 0 || colours > 256) colours = bits == 1 ? 2 : bits == 4 ? 16 : bits == 8 ? 256 : 0;
  std::memset(info, 0, kInfoArea);
  // The header with biSize 40, then the table (or the masks) from 14 + biSize.
  const uint64_t tableAt = bitfields ? 54 : 14 + uint64_t(biSize);
  const uint64_t tableBytes = bitfields ? 12 : 4ull * colours;
  if (tableAt < uint64_t(n))
    std::memcpy(info + kHeaderSize, bmp + tableAt, size_t(std::min<uint64_t>(tableBytes, uint64_t(n) - tableAt)));
  uint64_t offBits = GetLe32(bmp + 10);
  if (offBits == 0) offBits = 14 + uint64_t(biSize) + 4ull * colours;
  if (uint64_t(n) < offBits) return 0;
  const uint64_t stride = DibStride(uint32_t(h.biWidth), bits);
  if (stride > kMaxSide) return 0;
  const uint64_t pixels = stride * uint64_t(h.biHeight);
  if (pixels > host.textBufSize) return 0;
  if (!AllocLoadBits(rec, host, pixels + 10000)) return 0;
  std::memcpy(rec.m_pLoadBits, bmp + offBits, size_t(std::min<uint64_t>(pixels, uint64_t(n) - offBits)));
  h.biSize = kHeaderSize;
  h.biSizeImage = uint32_t(pixels);
  h.biClrUsed = h.biClrUsed > 256 ? 0 : h.biClrUsed;
  WriteDibHeader(info, h);
  if (rec.m_nTrimMode == 0) {
    char text[40];
    std::snprintf(text, sizeof text, "Bitmap(zip) %d bit", int(bits));
    host.StatusText(text);
  }
  return 1;
}

}  // namespace img
