// Character-level conversions between Shift-JIS (code page 932), Unicode and
// JIS X 0208 codes: the one implementation every converter of the program
// uses (file decoders here, the macro language's field conversions, the
// markup renderers' character conversion).
//
// Shift-JIS codes are numbers: a single byte b is b, a double-byte character
// is lead * 256 + trail. The Unicode tables are built once, on first use, from
// the framework's code-page conversion (the system's code page 932 tables on
// Windows, iconv's CP932 natively), so every converter agrees with it.
#pragma once

#include <cstdint>

namespace textcodec {

constexpr std::uint16_t kNoSjis = 0xFFFF;           // no Shift-JIS form
constexpr char16_t kNoUnicode = 0xFFFF;             // no character
constexpr std::uint16_t kSjisReplacement = 0x81AC;  // "〓", the visible replacement

inline bool IsSjisLead(std::uint8_t c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
inline bool IsSjisTrail(std::uint8_t c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }
inline bool IsHalfWidthKana(std::uint8_t c) { return c >= 0xA1 && c <= 0xDF; }

struct SjisTables {
  // Shift-JIS code -> UTF-16 unit (kNoUnicode when none). Index b for single
  // bytes, lead * 256 + trail for pairs (pairs start at 0x8140, so the two
  // kinds never share an index).
  char16_t toUnicode[0x10000];
  // UTF-16 unit -> Shift-JIS code (kNoSjis when none), with the framework's
  // choices for characters code page 932 has twice and for the JIS-style
  // look-alikes (U+301C WAVE DASH -> 0x8160, ...).
  std::uint16_t fromUnicode[0x10000];
  // IBM extension codes 0xFA40-0xFCFC -> the same character's code in the
  // NEC rows (0x87xx, 0xEDxx, 0xEExx) or JIS X 0208; kNoSjis when none.
  std::uint16_t ibmToNec[0x300];
};

// The tables, built on first use (thread-safe).
const SjisTables& Tables();

// UTF-16 unit / code point -> Shift-JIS code; kNoSjis when none (also for
// code points above U+FFFF and surrogates).
std::uint16_t UnicodeToSjis(char32_t c);
// Shift-JIS code -> UTF-16 unit; kNoUnicode when the code has no character.
char16_t SjisToUnicode(std::uint16_t code);

// JIS X 0208 code (row byte * 256 + cell byte, each 0x21-0x7E) -> Shift-JIS
// code by arithmetic; 0 when either byte is outside 0x21-0x7E.
std::uint16_t JisToSjis(std::uint16_t jis);
// Shift-JIS double-byte code -> JIS X 0208 code; IBM extension codes go
// through their NEC-row equivalents first. 0 when there is no JIS form
// (single bytes, user-defined rows 0xF0-0xF9, invalid pairs).
std::uint16_t SjisToJis(std::uint16_t sjis);

}  // namespace textcodec
