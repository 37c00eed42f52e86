// The CSV pre-conversion over any bytes: the output has the input's length
// and no TAB; every byte is its input byte or one of the forms the rules
// allow for it; a comma outside quotes (by a quote count of a simple model
// that ignores double-byte pairs) never survives as a comma when the input
// holds no lead byte.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "convert/csv_preconvert.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> in(data, data + size);
  std::vector<std::uint8_t> out(size);
  convert::PreconvertCsv(in.data(), size, out.data());
  bool anyLead = false;
  for (std::uint8_t b : in) anyLead |= (b >= 0x80 && b <= 0x9F) || (b >= 0xE0 && b <= 0xEF) || b >= 0xFA;
  bool quoted = false;
  int commas = 0;
  for (std::size_t i = 0; i < size; ++i) {
    const std::uint8_t a = in[i], b = out[i];
    if (b == '\t') __builtin_trap();
    bool ok = a == b || b == '\r' || b == ' ';
    if (a == '\t') ok = ok || b == '~';
    if (a == ',') ok = ok || b == 0x06 || b == '\n';
    if (a == '\r' || a == '\n') ok = ok || b == ':';
    if (!ok) __builtin_trap();
    if (anyLead) continue;
    // Single-byte text: the quote state is plain to follow.
    if (a == '"') quoted = !quoted;
    if (a == ',') {
      if (!quoted) {
        commas = 0;
        if (b != 0x06) __builtin_trap();
      } else if (++commas >= convert::kCsvQuotedCommaBreak) {
        if (b != '\n') __builtin_trap();
        quoted = false;
        commas = 0;
      } else if (b != (i > 0 && in[i - 1] == '"' ? 0x06 : ',') && !(b == '\r' && i + 1 < size && in[i + 1] == ',')) {
        __builtin_trap();  // (a comma right before the breaking one becomes CR)
      }
    }
    if ((a == '\r' || a == '\n') && b != (quoted ? ':' : a) && b != '\r') __builtin_trap();
  }
  return 0;
}
