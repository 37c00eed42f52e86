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
#include <unordered_map>

#include "convert/ooxml_part.h"
#include "fw/codepage.h"

using namespace convert;

namespace {

// Strict UTF-8 of the 16-bit plane (no overlong forms, no surrogates) to
// its units; false for anything else.
bool StrictBmpUtf8(const std::string& s, std::u16string* units) {
  for (std::size_t i = 0; i < s.size();) {
    const unsigned char b = static_cast<unsigned char>(s[i]);
    auto cont = [&](std::size_t k) {
      return i + k < s.size() && (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80;
    };
    auto low = [&](std::size_t k) { return static_cast<unsigned>(static_cast<unsigned char>(s[i + k]) & 0x3F); };
    unsigned u;
    if (b < 0x80) {
      u = b;
      i += 1;
    } else if (b >= 0xC2 && b < 0xE0 && cont(1)) {
      u = (b & 0x1Fu) << 6 | low(1);
      i += 2;
    } else if (b >= 0xE0 && b < 0xF0 && cont(1) && cont(2)) {
      u = (b & 0x0Fu) << 12 | low(1) << 6 | low(2);
      if (u < 0x800 || (u >= 0xD800 && u < 0xE000)) return false;
      i += 3;
    } else {
      return false;
    }
    units->push_back(static_cast<char16_t>(u));
  }
  return true;
}

}  // namespace

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
  // (a limit of 0 sets none, so the tight limit needs two bytes or more)
  const bool tight = size > 1 && (data[0] & 1);
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
    std::u16string units;
    if (StrictBmpUtf8(bytes, &units)) {
      // The framework's conversion of each unit, asked once per unit.
      static std::unordered_map<char16_t, std::string> each;
      std::string want;
      for (char16_t u : units) {
        auto it = each.find(u);
        if (it == each.end()) {
          std::string one = u == 0 ? std::string("?") : fw::Utf16ToCp932(&u, 1);
          if (u != 0 && one.size() == 1 && one[0] == 0) one = " ";
          it = each.emplace(u, one).first;
        }
        want += it->second;
      }
      if (want != converted) std::abort();
    }
  }
  return 0;
}
