// ApplyColorEffects with headers, option words, selections and buffers taken
// from the input (exact-sized source, destination and 2000-byte header area):
// reads and writes stay inside them, the table walk touches only the table
// entries' colour bytes, a 24-bit run leaves the header alone, and every
// 24-bit pixel comes out as the colour-table walk rewrites the same colour.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "image/load/image_record.h"
#include "image/load/image_size.h"
#include "image/view/color_engine.h"
#include "fuzz_reader.h"

namespace {

struct Reader : fuzz::ByteReader {
  // Mostly small values (the ranges the words use), sometimes any value.
  int32_t Small() {
    const uint8_t b = Byte();
    if (b >= 0xF8) return int32_t(Word());
    return int32_t(b % 40) - 8;
  }
};

int32_t WordValue(Reader& r, int w) {
  namespace cw = img::colorword;
  if (w == img::word::clrReference || w == img::word::clrReplacement) return int32_t(r.Word() & 0xFFFFFF);
  if (w == cw::nSelectTolerance || w == cw::nNeighbourTolerance) return int32_t(r.Byte()) - 4;
  const int32_t v = r.Small();
  // Switches mostly 0 or 1.
  if (w >= 33 && w <= 49 && w != img::word::m_bRegionSet && (v < -2 || v > 3)) return v & 1;
  return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 16 || size > (1u << 20)) return 0;
  Reader in{{data, size}};
  const uint8_t shape = in.Byte();
  std::vector<uint8_t> info(img::kInfoArea);
  img::DibHeader h;
  static constexpr uint16_t kBits[] = {1, 4, 8, 24, 24, 24, 2, 16, 32, 0};
  h.biBitCount = kBits[shape % 10];
  if (shape & 0x80) {
    h.biWidth = int32_t(in.Word());
    h.biHeight = int32_t(in.Word());
    h.biSize = in.Word() % 2600;
  } else {
    h.biWidth = int32_t(in.Byte() % 64) + 1 - (shape & 0x40 ? 1 : 0);
    h.biHeight = int32_t(in.Byte() % 64) + 1;
    h.biSize = (shape & 0x20) ? 40 + in.Byte() % 8 * 4 : 40;
  }
  img::WriteDibHeader(info.data(), h);
  const uint32_t infoSize = (shape & 0x10) ? in.Word() % 4096 : 40 + 4 * (in.Byte() + 1u);
  for (size_t i = 40; i < info.size(); ++i) info[i] = uint8_t(i * 7 + 3);

  img::ImageViewOptions o;
  for (int w = 1; w <= img::kRegionWord; ++w) o[w] = WordValue(in, w);
  img::ImageRect sel;
  sel.left = int32_t(int16_t(in.Byte() | in.Byte() << 8)) % 80;
  sel.top = int32_t(int16_t(in.Byte() | in.Byte() << 8)) % 80;
  sel.right = int32_t(int16_t(in.Byte() | in.Byte() << 8)) % 80;
  sel.bottom = int32_t(int16_t(in.Byte() | in.Byte() << 8)) % 80;

  const uint64_t full = h.biWidth > 0 && h.biHeight > 0 ? img::DibStride(uint32_t(h.biWidth), 24) * uint64_t(h.biHeight)
                                                         : 64;
  const uint8_t cut = in.Byte();
  const uint32_t wanted = uint32_t(full > (1u << 16) ? (1u << 16) : full);
  const uint32_t srcLen = cut < 200 ? wanted : wanted - (wanted ? cut % wanted : 0) + (cut & 1) * 7;
  const uint8_t cut2 = in.Byte();
  const uint32_t dstLen = cut2 < 200 ? wanted : wanted - (wanted ? cut2 % wanted : 0);
  std::vector<uint8_t> src(srcLen);
  for (uint32_t i = 0; i < srcLen; ++i) src[i] = in.n ? in.Byte() : uint8_t(i * 31);
  std::vector<uint8_t> dst(dstLen, 0xA5);
  const std::vector<uint8_t> infoBefore = info;

  img::PixelStep step;
  step.src = src.data();
  step.dst = dst.data();
  step.info = info.data();
  step.srcLimit = srcLen;
  step.dstCapacity = dstLen;
  const int got = img::ApplyColorEffects(step, o, sel, infoSize);

  if (h.biBitCount >= 1 && h.biBitCount <= 8) {
    if (got != 0) __builtin_trap();
    // Only colour bytes of whole entries between the header's end and the
    // info size change; the destination is untouched.
    const uint32_t start = h.biSize < 40 ? 40 : h.biSize;
    const uint32_t end = infoSize < img::kInfoArea ? infoSize : img::kInfoArea;
    for (uint32_t i = 0; i < info.size(); ++i) {
      const bool entry = i >= start && (i - start) / 4 * 4 + start + 4 <= end && (i - start) % 4 != 3;
      if (!entry && info[i] != infoBefore[i]) __builtin_trap();
    }
    for (uint8_t b : dst)
      if (b != 0xA5) __builtin_trap();
    return 0;
  }
  if (info != infoBefore) __builtin_trap();
  if (h.biBitCount != 24 || h.biWidth <= 0 || h.biHeight <= 0) {
    if (got != 0) __builtin_trap();
    return 0;
  }
  if (got != 1) __builtin_trap();

  // Cross-check with the table walk: without the region word, the neighbour
  // modes and the selection inversion, a pixel is rewritten exactly as a
  // table entry of its colour.
  namespace cw = img::colorword;
  const bool plain = o[img::word::m_bRegionSet] != 1 && o[img::word::m_bRegionSet] != 2 &&
                     o[cw::bNeighbourInside] != 1 && o[cw::bNeighbourOutside] != 1 && o[cw::bInvertSelection] != 1;
  if (!plain) return 0;
  const uint64_t stride = img::DibStride(uint32_t(h.biWidth), 24);
  std::vector<uint8_t> table(img::kInfoArea, 0);
  img::DibHeader th;
  th.biBitCount = 8;
  th.biWidth = 1;
  th.biHeight = 1;
  img::WriteDibHeader(table.data(), th);
  std::vector<uint64_t> at;
  for (uint64_t row = 0; row < uint64_t(h.biHeight) && at.size() < 256; ++row)
    for (uint64_t x = 0; x < uint64_t(h.biWidth) && at.size() < 256; ++x) {
      const uint64_t a = row * stride + x * 3;
      if (a + 3 > srcLen || a + 3 > dstLen) continue;
      std::memcpy(&table[40 + 4 * at.size()], &src[a], 3);
      at.push_back(a);
    }
  img::PixelStep ts;
  ts.info = table.data();
  if (img::ApplyColorEffects(ts, o, sel, uint32_t(40 + 4 * at.size())) != 0) __builtin_trap();
  for (size_t i = 0; i < at.size(); ++i)
    if (std::memcmp(&table[40 + 4 * i], &dst[at[i]], 3) != 0) __builtin_trap();
  return 0;
}
