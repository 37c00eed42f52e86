// Tables between Shift-JIS and UTF-16, built once from the framework's
// code-page conversion, and the JIS X 0208 arithmetic.
#include "core/textcodec/sjis_map.h"

#include <memory>
#include <string>
#include <vector>

#include "fw/codepage.h"

namespace textcodec {
namespace {

constexpr char16_t kDefaultChar = 0x30FB;  // what the conversion gives for "no character"
constexpr std::uint16_t kDefaultCharCode = 0x8145;

bool IsSingleByteChar(int b) { return b < 0x80 || (b >= 0xA1 && b <= 0xDF); }

void FillToUnicode(SjisTables& t) {
  for (int i = 0; i < 0x10000; ++i) t.toUnicode[i] = kNoUnicode;
  // Single bytes.
  std::string singles;
  for (int b = 0; b < 0x100; ++b)
    if (IsSingleByteChar(b)) singles += static_cast<char>(b);
  std::u16string u = fw::Cp932ToUtf16(singles);
  if (u.size() == singles.size()) {
    for (std::size_t i = 0; i < singles.size(); ++i)
      t.toUnicode[static_cast<unsigned char>(singles[i])] = u[i];
  }
  // Double bytes, one lead byte at a time.
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (!IsSjisLead(static_cast<std::uint8_t>(lead))) continue;
    std::string pairs;
    std::vector<int> codes;
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      if (!IsSjisTrail(static_cast<std::uint8_t>(trail))) continue;
      pairs += static_cast<char>(lead);
      pairs += static_cast<char>(trail);
      codes.push_back(lead * 256 + trail);
    }
    std::u16string w = fw::Cp932ToUtf16(pairs);
    for (std::size_t i = 0; i < codes.size(); ++i) {
      char16_t c;
      if (w.size() == codes.size()) {
        c = w[i];
      } else {  // not one unit per pair: one at a time
        std::u16string one = fw::Cp932ToUtf16(pairs.data() + 2 * i, 2);
        c = one.size() == 1 ? one[0] : kDefaultChar;
      }
      if (c == kDefaultChar && codes[i] != kDefaultCharCode) continue;
      t.toUnicode[codes[i]] = c;
    }
  }
}

// Parses the conversion of `units` (one Shift-JIS character or '?' each).
bool ParseEncoded(const std::u16string& units, const std::string& bytes, std::uint16_t* codes) {
  std::size_t at = 0;
  for (std::size_t i = 0; i < units.size(); ++i) {
    if (at >= bytes.size()) return false;
    std::uint8_t b = static_cast<std::uint8_t>(bytes[at]);
    if (IsSjisLead(b)) {
      if (at + 1 >= bytes.size()) return false;
      codes[i] = static_cast<std::uint16_t>(b * 256 + static_cast<std::uint8_t>(bytes[at + 1]));
      at += 2;
    } else {
      codes[i] = (b == '?' && units[i] != u'?') ? kNoSjis : b;
      at += 1;
    }
  }
  return at == bytes.size();
}

void FillFromUnicode(SjisTables& t) {
  for (int i = 0; i < 0x10000; ++i) t.fromUnicode[i] = kNoSjis;
  for (int hi = 0; hi < 0x100; ++hi) {
    if (hi >= 0xD8 && hi <= 0xDF) continue;  // surrogates
    std::u16string units;
    for (int lo = 0; lo < 0x100; ++lo) units += static_cast<char16_t>(hi * 256 + lo);
    std::uint16_t* codes = &t.fromUnicode[hi * 256];
    if (ParseEncoded(units, fw::Utf16ToCp932(units), codes)) continue;
    for (int lo = 0; lo < 0x100; ++lo) {  // one at a time
      std::u16string one(1, units[lo]);
      std::uint16_t code = kNoSjis;
      if (!ParseEncoded(one, fw::Utf16ToCp932(one), &code)) code = kNoSjis;
      codes[lo] = code;
    }
  }
}

void FillIbmToNec(SjisTables& t) {
  // Lowest code below the user-defined rows for each character.
  std::vector<std::uint16_t> first(0x10000, kNoSjis);
  for (int code = 0xEFFC; code >= 0x8140; --code) {
    char16_t u = t.toUnicode[code];
    if (u != kNoUnicode) first[u] = static_cast<std::uint16_t>(code);
  }
  for (int i = 0; i < 0x300; ++i) {
    char16_t u = t.toUnicode[0xFA00 + i];
    t.ibmToNec[i] = u == kNoUnicode ? kNoSjis : first[u];
  }
}

const SjisTables* Build() {
  auto* t = new SjisTables;
  FillToUnicode(*t);
  FillFromUnicode(*t);
  FillIbmToNec(*t);
  return t;
}

}  // namespace

const SjisTables& Tables() {
  static const SjisTables* tables = Build();  // lives as long as the program
  return *tables;
}

std::uint16_t UnicodeToSjis(char32_t c) {
  if (c > 0xFFFF || (c >= 0xD800 && c <= 0xDFFF)) return kNoSjis;
  return Tables().fromUnicode[c];
}

char16_t SjisToUnicode(std::uint16_t code) {
  if (code < 0x100 && IsSjisLead(static_cast<std::uint8_t>(code))) return kNoUnicode;
  return Tables().toUnicode[code];
}

std::uint16_t JisToSjis(std::uint16_t jis) {
  unsigned j1 = jis >> 8, j2 = jis & 0xFF;
  if (j1 < 0x21 || j1 > 0x7E || j2 < 0x21 || j2 > 0x7E) return 0;
  unsigned s1 = ((j1 + 1) >> 1) + (j1 <= 0x5E ? 0x70 : 0xB0);
  unsigned s2 = (j1 & 1) ? j2 + (j2 >= 0x60 ? 0x20 : 0x1F) : j2 + 0x7E;
  return static_cast<std::uint16_t>(s1 << 8 | s2);
}

std::uint16_t SjisToJis(std::uint16_t sjis) {
  if (sjis >= 0xFA40 && sjis <= 0xFCFC) {
    sjis = Tables().ibmToNec[sjis - 0xFA00];
    if (sjis == kNoSjis) return 0;
  }
  unsigned s1 = sjis >> 8, s2 = sjis & 0xFF;
  if (!((s1 >= 0x81 && s1 <= 0x9F) || (s1 >= 0xE0 && s1 <= 0xEF))) return 0;
  if (!IsSjisTrail(static_cast<std::uint8_t>(s2))) return 0;
  if (s1 >= 0xE0) s1 -= 0x40;
  unsigned j1 = 2 * s1 - 0xE1;
  unsigned j2;
  if (s2 >= 0x9F) {
    ++j1;
    j2 = s2 - 0x7E;
  } else {
    j2 = s2 - (s2 >= 0x80 ? 0x20 : 0x1F);
  }
  return static_cast<std::uint16_t>(j1 << 8 | j2);
}

}  // namespace textcodec
