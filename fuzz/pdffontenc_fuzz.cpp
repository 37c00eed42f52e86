// A font's code table from random Differences arrays and ToUnicode streams
// (plain, ASCII85 or Flate), the CMap reader over raw bytes, and ASCII85
// over any bytes. No write may leave the code table or the caller's buffer:
// guard entries behind both must stay as they were.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "convert/load_buffer.h"
#include "convert/pdf_converter.h"

using convert::kPdfObjects;
using convert::PdfConverter;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2 || size > (1 << 17)) return 0;
  const uint8_t sel = data[0];
  const std::int32_t len = static_cast<std::int32_t>(size - 1);
  std::vector<uint8_t> bytes(data + 1, data + size);
  convert::LoadBuffer out;
  convert::PdfRunWords words;
  PdfConverter pdf(bytes.data(), len, static_cast<std::size_t>(len), words, out, nullptr);

  constexpr std::size_t kGuard = 64;
  std::vector<std::uint16_t> table(kPdfObjects + kGuard, 0xA5A5);
  std::memset(table.data(), 0, kPdfObjects * sizeof(std::uint16_t));
  const int mode = (sel & 1) ? 0x8F : (sel & 0x70);
  const int r = pdf.PdfReadFontEncoding(0, table.data(), mode);
  if (r != 0 && r != 1) __builtin_trap();
  const int r2 = PdfConverter::ReadCmap(bytes.data(), len, table.data());
  if (r2 != 0 && r2 != 1) __builtin_trap();
  for (std::size_t i = kPdfObjects; i < table.size(); ++i) {
    if (table[i] != 0xA5A5) __builtin_trap();
  }

  // ASCII85 into a buffer of the input's size plus a little, with guards.
  const std::size_t capacity = static_cast<std::size_t>(len) + (sel >> 4);
  std::vector<uint8_t> a85(capacity + kGuard, 0x5A);
  std::memcpy(a85.data(), bytes.data(), bytes.size());
  const std::int32_t n = pdf.Ascii85DecodeInPlace(a85.data(), len, capacity);
  if (n < 0 || static_cast<std::size_t>(n) > capacity || n % 4 != 0) __builtin_trap();
  for (std::size_t i = capacity; i < a85.size(); ++i) {
    if (a85[i] != 0x5A) __builtin_trap();
  }
  return 0;
}
