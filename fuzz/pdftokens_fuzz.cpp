// The PDF token readers over any bytes at any position: numbers, hex codes,
// references and the walk's reference stack (after the index pass), resource
// names, operands, the display maps and the picture markers. Every reader
// must stay inside the buffer and keep its results in their ranges.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "convert/load_buffer.h"
#include "convert/pdf_converter.h"
#include "convert/pdf_marker.h"

using convert::PdfConverter;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 6 || size > (1 << 18)) return 0;
  const uint8_t sel = data[0];
  std::int32_t pos = static_cast<std::int32_t>(data[1] | data[2] << 8 | data[3] << 16);
  const uint8_t arg = data[4];
  const std::int32_t len = static_cast<std::int32_t>(size - 5);
  // The bytes exactly, in a block of their own size (ASan sees any overread).
  std::vector<uint8_t> bytes(data + 5, data + size);
  if (len > 0) pos %= len + 2;
  convert::LoadBuffer out;
  convert::PdfRunWords words;
  PdfConverter pdf(bytes.data(), len, static_cast<std::size_t>(len), words, out, nullptr);
  const uint8_t* b = bytes.data();

  std::int32_t p = pos;
  int flag = 0;
  const std::int32_t hex = PdfConverter::PdfReadHexCode(b, len, &p, &flag);
  // A position past the end is kept as it was given (the -1 case).
  if (hex < -1 || hex > 0xFFFF || p < 0 || (p > len && p != pos)) __builtin_trap();
  p = pos > len ? len : pos;
  const std::int32_t fixed = PdfConverter::PdfReadFixed(b, len, &p, arg & 1);
  if (fixed > convert::kPdfFixedLimit || fixed < -convert::kPdfFixedLimit || p > len) __builtin_trap();
  PdfConverter::PdfReadHundredths(b, len, pos);
  std::int32_t ops[10];
  PdfConverter::PdfReadOperands(b, len, pos, ops, arg & 1);

  static const int kModes[] = {9, 8, 0, 7, 1};
  const std::int32_t ref = pdf.PdfReadObjectRef(pos, kModes[sel % 5]);
  if (ref > 99999 || ref < -99999) __builtin_trap();
  if (pdf.m_nConvPos < -1 || pdf.m_nConvPos > len) __builtin_trap();

  std::int32_t list[2000];
  pdf.m_nConvPos = pos;
  pdf.PdfReadObjectRefList(list, 0);
  if (list[0] < 0 || list[0] > 1999) __builtin_trap();

  if (sel & 0x10) {
    pdf.IndexObjects();
    pdf.m_nConvPos = pos;
    std::int32_t height = arg % 8;
    for (int step = 0; step < 50 && height >= 0; ++step) {
      height = pdf.PdfPushObjectRefs(height, pdf.m_nCurObj, sel % 3);
      if (height < -1 || height > convert::kPdfRefStack) __builtin_trap();
      if (pdf.m_nConvPos < 0 || pdf.m_nConvPos > len) __builtin_trap();
    }
  }

  for (int i = 0; i < 4; ++i) {
    std::int32_t q = (pos + i * 7) % (len + 1);
    int kind = (i == 1) ? 3 : 0;
    const std::int32_t id = pdf.PdfParseResourceName(b, len, &q, &kind, i & 1);
    if (id < 0 || q > len) __builtin_trap();
  }
  if (pdf.PdfReadResourceIdAt(pos, arg % 4) >= convert::kPdfResources) __builtin_trap();

  std::uint8_t byte = arg, lead = 0;
  PdfConverter::PdfMapSimpleFontByte(&byte, &lead);
  std::uint8_t b1 = 0, b2 = 0;
  const int n = PdfConverter::PdfMapUnicodeSymbol(static_cast<std::uint32_t>(pos) * 7 + arg, &b1, &b2);
  if (n != 1 && n != 2) __builtin_trap();
  const CString marker = convert::PdfImageMarker(pos, sel % 9, static_cast<int>(pos % 800) - 400, arg & 1, arg % 14);
  if (marker.GetLength() < 5 || marker.GetLength() > 40) __builtin_trap();
  return 0;
}
