// Full-width digits to ASCII digits on any bytes: the output is never longer
// than the input, is what a character-by-character model gives, and a table
// whose buffer was closed up indexes again exactly as a fresh scan of its
// text. The UTF-16 places name exactly the digits.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "csv/csv_table.h"
#include "csv/csv_zendigits.h"
#include "csv_fuzz_check.h"

namespace {

// The model: split into characters (a lead byte 0x81-0x9F or 0xE0-0xFC takes
// the next byte), map each.
std::string Model(const std::uint8_t* p, std::size_t n) {
  std::string out;
  for (std::size_t i = 0; i < n;) {
    const std::uint8_t c = p[i];
    const bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    if (lead && i + 1 < n) {
      if (c == 0x82 && p[i + 1] >= 0x4F && p[i + 1] <= 0x58)
        out += static_cast<char>('0' + (p[i + 1] - 0x4F));
      else
        out.append(reinterpret_cast<const char*>(p + i), 2);
      i += 2;
    } else {
      out += static_cast<char>(c);
      ++i;
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > (1u << 20)) return 0;
  // The bare walk on an exact-size copy (the NUL in one byte more).
  std::vector<std::uint8_t> buf(data, data + size);
  buf.push_back(0xAA);
  std::uint32_t len = static_cast<std::uint32_t>(size);
  const std::uint32_t turned = csv::FullWidthDigitsToAscii(buf.data(), &len, true);
  if (len > size || len + turned != size || buf[len] != 0) __builtin_trap();
  const std::string want = Model(data, size);
  if (want.size() != len || std::memcmp(want.data(), buf.data(), len) != 0) __builtin_trap();

  // A table of the bytes: converted in place, rescanned, and its index is a
  // fresh scan's.
  auto t = std::make_unique<csv::Table>();
  if (t->LoadFileText(data, size, 16)) {
    std::uint32_t n = t->UsedLength();
    const std::uint32_t before = n;
    csv::FullWidthDigitsToAscii(t->m_pTextBuf, &n, true);
    if (n > before) __builtin_trap();
    t->m_nTextLen = n;
    t->Rescan();
    fuzzsupport::CheckTableIndex(*t, true);
  }

  // The places of a UTF-16 reading of the bytes.
  std::u16string units(size / 2, u'\0');
  for (std::size_t i = 0; i + 1 < size; i += 2) units[i / 2] = static_cast<char16_t>(data[i] | data[i + 1] << 8);
  const std::vector<std::size_t> places = csv::FullWidthDigitPlaces(units);
  std::size_t digits = 0;
  for (char16_t u : units) digits += u >= 0xFF10 && u <= 0xFF19;
  if (places.size() != digits) __builtin_trap();
  for (std::size_t k = 0; k < places.size(); ++k) {
    if (places[k] >= units.size() || !csv::AsciiDigitOfUnit(units[places[k]])) __builtin_trap();
    if (k > 0 && places[k] <= places[k - 1]) __builtin_trap();
  }
  return 0;
}
