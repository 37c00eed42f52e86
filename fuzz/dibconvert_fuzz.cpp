// ConvertDibPixels and ReduceDib24 with random headers and buffer lengths:
// reads and writes stay inside the buffers, the headers describe the rows.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "image/load/dib_convert.h"
#include "image/load/image_record.h"
#include "image/load/image_size.h"
#include "image/write/dib_reduce.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 48 || size > (1 << 20)) return 0;
  std::vector<uint8_t> info(img::kInfoArea, 0);
  std::memcpy(info.data(), data, 40);
  const uint32_t dstLen = uint32_t(data[40] | data[41] << 8 | (data[42] & 3) << 16);
  const uint32_t bits = data[43] % 3 == 0 ? 8 : data[43] % 3 == 1 ? 4 : 1;
  std::vector<uint8_t> src(data + 48, data + size);
  std::vector<uint8_t> dst(dstLen);
  // Keep biSize small enough for the table inside the info area.
  img::DibHeader h = img::ReadDibHeader(info.data());
  h.biSize = 40 + (h.biSize & 63);
  img::WriteDibHeader(info.data(), h);
  const uint32_t n = img::ConvertDibPixels(src.data(), dst.data(), info.data(), uint32_t(src.size()), dstLen);
  if (n < 3 || n - 3 > dstLen) __builtin_trap();
  const img::DibHeader o = img::ReadDibHeader(info.data());
  if (h.biBitCount != 24 && o.biHeight > 0 &&
      img::DibStride(uint32_t(o.biWidth), 24) * uint64_t(o.biHeight) > dstLen)
    __builtin_trap();
  std::vector<uint8_t> red(dstLen / 2 + 1);
  std::memcpy(info.data(), data, 40);
  img::DibHeader r = img::ReadDibHeader(info.data());
  r.biBitCount = 24;
  img::WriteDibHeader(info.data(), r);
  const int32_t m = img::ReduceDib24(src.data(), red.data(), info.data(), bits, int32_t(src.size()),
                                     int32_t(red.size()));
  if (m < 0 || uint32_t(m) > red.size()) __builtin_trap();
  return 0;
}
