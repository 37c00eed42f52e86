// Full-width digits to ASCII digits.
#include "csv/csv_zendigits.h"

#include "fw/sjis.h"

namespace csv {
namespace {

constexpr std::uint8_t kDigitLead = 0x82;
constexpr std::uint8_t kZeroTrail = 0x4F;  // 0x824F "０"
constexpr std::uint8_t kNineTrail = 0x58;  // 0x8258 "９"
constexpr char16_t kWideZero = 0xFF10;
constexpr char16_t kWideNine = 0xFF19;

}  // namespace

std::uint32_t FullWidthDigitsToAscii(std::uint8_t* text, std::uint32_t* len, bool nulAfter) {
  if (!len) return 0;
  const std::uint32_t n = text ? *len : 0;
  std::uint32_t in = 0, out = 0, turned = 0;
  // The full lead-byte set: a character led by 0xF0-0xF9 keeps its trail
  // byte, which may be 0x82 (the lead of a digit) and must not start one.
  while (in < n) {
    const std::uint8_t c = text[in];
    if (fw::IsSjisLeadByte(c) && in + 1 < n) {
      const std::uint8_t t = text[in + 1];
      if (c == kDigitLead && t >= kZeroTrail && t <= kNineTrail) {
        text[out++] = static_cast<std::uint8_t>(t - 0x1F);
        ++turned;
      } else {
        text[out++] = c;
        text[out++] = t;
      }
      in += 2;
    } else {
      text[out++] = c;
      ++in;
    }
  }
  *len = out;
  if (nulAfter && text) text[out] = 0;
  return turned;
}

char AsciiDigitOfUnit(char16_t unit) {
  if (unit < kWideZero || unit > kWideNine) return 0;
  return static_cast<char>('0' + (unit - kWideZero));
}

std::vector<std::size_t> FullWidthDigitPlaces(const std::u16string& text) {
  std::vector<std::size_t> places;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (AsciiDigitOfUnit(text[i])) places.push_back(i);
  return places;
}

}  // namespace csv
