#include "image/load/raw_inflate.h"

#include <cstring>
#include <new>

#include "archive/arc_state.h"
#include "archive/extract_target.h"
#include "archive/zip_extract.h"
#include "image/load/image_host.h"
#include "image/load/image_record.h"

namespace img {
namespace {
const uint8_t kName[8] = {'t', 'e', 'm', 'p', '.', 't', 'x', 't'};
constexpr uint16_t kTime = 0x58A6;
constexpr uint16_t kDate = 0x3F14;
}  // namespace

uint32_t DeclaredInflateSize(int32_t dataLength) {
  const uint64_t n = dataLength > 0 ? uint64_t(dataLength) : 0;
  const uint64_t v = n * 1032 + 1024;
  return uint32_t(v < 0x7FFFFFF0u ? v : 0x7FFFFFF0u);
}

int32_t BuildInflateZip(uint8_t* buffer, int32_t dataLength, uint32_t declared, bool library) {
  const size_t n = dataLength > 0 ? size_t(dataLength) : 0;
  std::memmove(buffer + kZipLocalSize, buffer, n);
  std::memset(buffer + kZipLocalSize + n, 0, kZipSpare);
  uint8_t* h = buffer;
  PutLe32(h, 0x04034B50);
  PutLe16(h + 4, 20);
  PutLe16(h + 6, 2);
  PutLe16(h + 8, 8);
  PutLe16(h + 10, kTime);
  PutLe16(h + 12, kDate);
  PutLe32(h + 14, 0);
  PutLe32(h + 18, uint32_t(n));
  PutLe32(h + 22, declared);
  PutLe16(h + 26, 8);
  PutLe16(h + 28, 0);
  std::memcpy(h + 30, kName, 8);
  const uint32_t d = uint32_t(n) + kZipLocalSize;
  if (library) {
    uint8_t* c = buffer + d;
    PutLe32(c, 0x02014B50);
    c[4] = 23;
    c[5] = 11;
    PutLe16(c + 6, 20);
    PutLe16(c + 8, 2);
    PutLe16(c + 10, 8);
    PutLe16(c + 12, kTime);
    PutLe16(c + 14, kDate);
    PutLe32(c + 16, 0);
    PutLe32(c + 20, uint32_t(n));
    PutLe32(c + 24, declared);
    PutLe16(c + 28, 8);
    std::memset(c + 30, 0, 8);
    c[38] = 0x20;
    c[39] = 0;
    c[40] = 0xB6;
    c[41] = 0x81;
    PutLe32(c + 42, 0);
    std::memcpy(c + 46, kName, 8);
    uint8_t* e = c + 54;
    PutLe32(e, 0x06054B50);
    PutLe32(e + 4, 0);
    PutLe16(e + 8, 1);
    PutLe16(e + 10, 1);
    PutLe32(e + 12, 54);
    PutLe32(e + 16, d);
    PutLe16(e + 20, 0);
  }
  // The library's file ends at its end record (trailing bytes would hide
  // the record from a strict reader); in memory the image is D + 94 bytes.
  return int32_t(library ? d + 54 + 22 : d + 94);
}

int32_t InflateRawInMemory(uint8_t* buffer, int32_t dataLength, int32_t outLimit, int32_t mode) {
  if (dataLength < 0 || outLimit < 0) return -1;
  if (outLimit == 0) return 0;
  const int32_t count = BuildInflateZip(buffer, dataLength, DeclaredInflateSize(dataLength), false);
  arc::ArcState st;
  arc::ArcOutcome r;
  try {
    arc::MemoryTarget none(0);
    r = arc::UnzipOwn(st, std::string(), count, outLimit, buffer, false, none);
  } catch (const std::bad_alloc&) {
    return -9;
  }
  if (r.Failed() || r.result < 0) return r.result < 0 ? r.result : -1;
  if (r.result > outLimit) r.result = outLimit;
  // UnzipOwn copies one byte more than it counts (the codec leaves out the
  // byte that completes the declared size); what it did not fill is 0.
  const int64_t filled = int64_t(r.result) + 1;
  if (filled < outLimit) std::memset(buffer + filled, 0, size_t(outLimit - filled));
  return r.result;
}

int32_t LoadHost::InflateRaw(uint8_t* buffer, int32_t dataLength, int32_t outLimit, int32_t mode) {
  return InflateRawInMemory(buffer, dataLength, outLimit, mode);
}

}  // namespace img
