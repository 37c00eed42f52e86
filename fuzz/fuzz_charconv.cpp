// One character to Shift-JIS over any byte triple, mode, count and switch,
// and the character-id table over any two bytes. The result buffer is a heap
// block of exactly its size, so a write past it is caught; the results are
// checked against what each path may give.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "core/textcodec/charconv.h"
#include "core/textcodec/cidmap.h"
#include "core/textcodec/sjis_map.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  for (std::size_t at = 0; at + 6 <= size; at += 6) {
    const std::uint8_t b0 = data[at], b1 = data[at + 1], b2 = data[at + 2];
    const int mode = static_cast<std::int8_t>(data[at + 3]) % 9;
    const int count = data[at + 4] % 40;
    const bool off = (data[at + 5] & 0x80) != 0;
    std::unique_ptr<std::uint8_t[]> out(new std::uint8_t[textcodec::kSjisCharBytes]);
    for (int k = 0; k < textcodec::kSjisCharBytes; ++k) out[k] = 0xEE;
    const int used = textcodec::ConvertCharToSjis(b0, b1, b2, mode, count, off, out.get());
    Check(used >= 0 && used <= 2);
    for (int k = 2; k < textcodec::kSjisCharBytes; ++k) Check(out[k] == 0xEE);
    if (off) Check(used == 0);
    if (used == 0) {
      Check(out[0] == 0xEE && out[1] == 0xEE);
    } else if (b0 >= 0xC0 && (mode == 1 || mode == 5)) {
      // UTF-8: three bytes from 0xE0 on, else two; a character or '?'.
      Check(used == (b0 >= 0xE0 ? 2 : 1));
      if (out[1] != 0) Check(textcodec::IsSjisLead(out[0]) && textcodec::IsSjisTrail(out[1]));
    } else {
      // EUC or JIS: always a valid pair through the JIS arithmetic.
      Check(used == 1 && count < textcodec::kMaxUnconvertedHighBytes);
      Check(textcodec::SjisToJis(static_cast<std::uint16_t>(out[0] << 8 | out[1])) != 0);
    }
    // The id of the first two bytes: only its two bytes change.
    std::unique_ptr<std::uint8_t[]> id(new std::uint8_t[2]);
    id[0] = b0;
    id[1] = b1;
    textcodec::CidToSjis(&id[0], &id[1]);
    if (id[1] != 0 && (b0 << 8 | b1) >= 422) Check(textcodec::IsSjisLead(id[0]) || (id[0] >= 0x20 && id[0] < 0x80));
  }
  return 0;
}
