// A picture's save from arbitrary clipboard bytes: where the rows of a packed
// DIB lie (never past the block), the save's sizes from its header, the
// top-down rows turned bottom-up in a buffer of exactly the rows found, and
// screen pixels turned into indexes of a colour table taken from the input.
// Every index written names an entry of the table.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "image/load/image_record.h"
#include "image/load/image_size.h"
#include "image/view/save_plan.h"

namespace {

void Rows(const uint8_t* data, size_t size, int code) {
  const img::PackedDibRows r = img::LocatePackedDibRows(data, size);
  if (!r.ok) return;
  if (r.offset > size || r.bytes > size - r.offset) __builtin_trap();
  if (r.offset > 3024) return;  // the save refuses headers beyond its header area
  std::vector<uint8_t> header(3024, 0);
  std::memcpy(header.data(), data, r.offset);
  (void)img::PlanSaveSizes(header.data(), code);
  std::vector<uint8_t> rows(data + r.offset, data + r.offset + r.bytes);
  const int32_t before = img::ReadDibHeader(header.data()).biHeight;
  img::MakeRowsBottomUp(header.data(), rows.data(), rows.size());
  const int32_t after = img::ReadDibHeader(header.data()).biHeight;
  if (after != before && (before >= 0 || after != -int64_t(before))) __builtin_trap();
}

void Indexes(const uint8_t* data, size_t size) {
  if (size < 4) return;
  const int bits = data[0] % 3 == 0 ? 1 : data[0] % 3 == 1 ? 4 : 8;
  const uint32_t colours = 1 + data[1] % (1u << bits);
  const uint32_t width = 1 + data[2] % 64, height = 1 + data[3] % 16;
  data += 4;
  size -= 4;
  std::vector<uint8_t> palette(4 * size_t(colours), 0);
  std::memcpy(palette.data(), data, palette.size() < size ? palette.size() : size);
  const size_t rgbSize = size_t(img::DibStride(width, 24) * height);
  std::vector<uint8_t> rgb(rgbSize, 0);
  for (size_t i = 0; i < rgbSize && size; ++i) rgb[i] = data[i % size];
  const uint64_t stride = img::DibStride(width, uint32_t(bits));
  std::vector<uint8_t> out(size_t(stride * height));
  if (!img::IndexRowsByPalette(rgb.data(), width, height, palette.data(), colours, bits, out.data(), out.size()))
    __builtin_trap();
  for (uint32_t y = 0; y < height; ++y)
    for (uint32_t x = 0; x < width; ++x) {
      const uint8_t byte = out[size_t(y * stride) + x * uint32_t(bits) / 8];
      const uint32_t index = bits == 8 ? byte : bits == 4 ? (x % 2 ? byte & 15u : byte >> 4u) : (byte >> (7 - x % 8)) & 1u;
      if (index >= colours) __builtin_trap();
    }
  // One byte less than the rows need is refused.
  if (img::IndexRowsByPalette(rgb.data(), width, height, palette.data(), colours, bits, out.data(), out.size() - 1))
    __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const int code = 3 + data[0] % 9;
  Rows(data + 1, size - 1, code);
  Indexes(data, size);
  return 0;
}
