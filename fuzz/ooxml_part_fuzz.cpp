// The part loader's conversion to Shift-JIS over any bytes, and the loader
// over a part in memory with a memory limit at, or one byte below, its size.
// Checks: the loader gives the conversion's bytes (an exact-size copy, so a
// read past the part is found), never more bytes than the part, no NUL
// inside and zeros up to the end of the spare area; a part above the limit
// is refused with the memory message and leaves the text empty; bytes below
// 0xC0 without NUL come out as they are; a part of valid UTF-8 without a
// "JIS" mark comes out as the framework's code page conversion of each
// character (a blank for U+0000, "?" for what code page 932 lacks).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "convert/ooxml_part.h"
#include "fw/codepage.h"

using namespace convert;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[size ? size : 1]);
  if (size) std::memcpy(exact.get(), data, size);
  std::string converted(size, '\0');
  const std::size_t w = ConvertPartToSjis(exact.get(), size, size ? &converted[0] : nullptr);
  if (w > size) std::abort();
  converted.resize(w);
  if (converted.find('\0') != std::string::npos) std::abort();

  const std::string bytes(reinterpret_cast<const char*>(data), size);
  MemoryPackage pkg;
  pkg.Add("xl/p.xml", bytes);
  const bool tight = size > 0 && (data[0] & 1);
  PartText text;
  LoadBuffer out;
  const int n = LoadPartAsSjis(pkg, "XL\\P.XML", tight ? size - 1 : size + 1, text, out);
  if (tight) {
    if (n >= 0 || text.Size() != 0 || text.Data()[0] != 0) std::abort();
    if (std::string(out.Data()) != std::string(PartMemoryText(" 018").GetString())) std::abort();
    return 0;
  }
  if (n != static_cast<int>(w) || std::memcmp(text.Data(), converted.data(), w) != 0) std::abort();
  for (std::size_t i = w; i < text.Readable(); ++i)
    if (text.Data()[i] != 0) std::abort();

  bool plain = true;
  for (std::uint8_t b : bytes) plain = plain && b != 0 && b < 0xC0;
  if (plain && converted != bytes) std::abort();

  if (size <= 4096 && bytes.substr(0, 81).find("JIS") == std::string::npos) {
    const std::u16string units = fw::Utf8ToUtf16(bytes);
    bool bmp = fw::Utf16ToUtf8(units) == bytes;
    for (char16_t u : units) bmp = bmp && (u < 0xD800 || u >= 0xE000);
    if (bmp) {
      std::string want;
      for (char16_t u : units) {
        std::string one = u == 0 ? std::string("?") : fw::Utf16ToCp932(&u, 1);
        if (u != 0 && one.size() == 1 && one[0] == 0) one = " ";
        want += one;
      }
      if (want != converted) std::abort();
    }
  }
  return 0;
}
