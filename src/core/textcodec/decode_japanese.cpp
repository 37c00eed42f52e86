// Shift-JIS (checked), EUC-JP and ISO-2022-JP to Shift-JIS.
#include "core/textcodec/codec_internal.h"
#include "core/textcodec/sjis_scan.h"

namespace textcodec {
namespace detail {

namespace {

constexpr std::uint8_t kEsc = 0x1B;
constexpr std::uint8_t kShiftOut = 0x0E, kShiftIn = 0x0F;

bool IsEucByte(std::uint8_t c) { return c >= 0xA1 && c <= 0xFE; }
bool IsJisByte(std::uint8_t c) { return c >= 0x21 && c <= 0x7E; }

// A JIS X 0208 pair as Shift-JIS, or the replacement when the code page has
// no character there.
void PutJis(std::uint8_t j1, std::uint8_t j2, const SjisTables& t, ByteWriter& w,
            std::size_t& replaced) {
  std::uint16_t code = JisToSjis(static_cast<std::uint16_t>(j1 << 8 | j2));
  if (code == 0 || t.toUnicode[code] == kNoUnicode)
    PutReplacement(w, replaced);
  else
    w.PutSjis(code);
}

}  // namespace

std::size_t DecodeSjis(const std::uint8_t* p, std::size_t n, ByteWriter& w) {
  // Bytes stay as they are; only a lead byte without its trail byte (which
  // would swallow the next character) is replaced. The clean stretches
  // between such leads are found 64 bytes at a time and copied whole.
  std::size_t replaced = 0;
  std::size_t i = 0;
  while (i < n) {
    const std::size_t at = i + FindBrokenSjisLead(p + i, n - i);
    w.PutBytes(p + i, at - i);
    if (at >= n) break;
    PutReplacement(w, replaced);
    i = at + 1;
  }
  return replaced;
}

std::size_t DecodeEuc(const std::uint8_t* p, std::size_t n, ByteWriter& w) {
  const SjisTables& t = Tables();
  std::size_t replaced = 0;
  std::size_t i = 0;
  while (i < n) {
    if (!CopyAsciiRun(p, n, i, w)) break;
    const std::uint8_t c = p[i];
    if (c == 0x8E) {  // SS2: half-width katakana
      if (i + 1 < n && IsHalfWidthKana(p[i + 1])) {
        w.Put(p[i + 1]);
        i += 2;
      } else {
        PutReplacement(w, replaced);
        ++i;
      }
    } else if (c == 0x8F) {  // SS3: JIS X 0212; code page 932 has only its IBM extension characters
      if (i + 2 < n && IsEucByte(p[i + 1]) && IsEucByte(p[i + 2])) {
        const std::uint16_t code = EucSupplementToSjis(p[i + 1], p[i + 2]);
        if (code != 0)
          w.PutSjis(code);
        else
          PutReplacement(w, replaced);
        i += 3;
      } else {
        PutReplacement(w, replaced);
        ++i;
      }
    } else if (IsEucByte(c) && i + 1 < n && IsEucByte(p[i + 1])) {
      PutJis(static_cast<std::uint8_t>(c - 0x80), static_cast<std::uint8_t>(p[i + 1] - 0x80), t, w,
             replaced);
      i += 2;
    } else {
      PutReplacement(w, replaced);
      ++i;
    }
  }
  return replaced;
}

std::size_t DecodeIso2022(const std::uint8_t* p, std::size_t n, ByteWriter& w) {
  enum Set { kAscii, kRoman, kKanji, kKana, kSupplement };
  const SjisTables& t = Tables();
  std::size_t replaced = 0;
  Set set = kAscii, beforeShiftOut = kAscii;
  std::size_t i = 0;
  while (i < n) {
    const std::uint8_t c = p[i];
    if (c == kEsc) {
      // Designations: ESC ( B/J/H/I, ESC $ @/B, ESC $ ( B/D/O/Q, ESC & @.
      std::uint8_t b1 = i + 1 < n ? p[i + 1] : 0, b2 = i + 2 < n ? p[i + 2] : 0;
      std::uint8_t b3 = i + 3 < n ? p[i + 3] : 0;
      int len = 0;
      if (b1 == '(' && (b2 == 'B' || b2 == 'J' || b2 == 'H' || b2 == 'I')) {
        set = b2 == 'B' ? kAscii : b2 == 'I' ? kKana : kRoman;
        len = 3;
      } else if (b1 == '$' && (b2 == '@' || b2 == 'B')) {
        set = kKanji;
        len = 3;
      } else if (b1 == '$' && b2 == '(' && (b3 == 'B' || b3 == 'O' || b3 == 'Q' || b3 == 'D')) {
        set = b3 == 'D' ? kSupplement : kKanji;
        len = 4;
      } else if (b1 == '&' && b2 == '@') {
        len = 3;  // revision announcer before ESC $ B
      }
      if (len > 0) {
        i += static_cast<std::size_t>(len);
        continue;
      }
      w.Put(c);  // not a designation: the control byte as it is
      ++i;
      continue;
    }
    if (c == kShiftOut) {
      if (set != kKana) beforeShiftOut = set;
      set = kKana;
      ++i;
      continue;
    }
    if (c == kShiftIn) {
      if (set == kKana) set = beforeShiftOut;
      ++i;
      continue;
    }
    if (c <= 0x20 || c == 0x7F) {  // controls and blanks in every set
      w.Put(c);
      ++i;
      continue;
    }
    if (c >= 0x80) {  // 8-bit bytes: half-width katakana only
      if (IsHalfWidthKana(c))
        w.Put(c);
      else
        PutReplacement(w, replaced);
      ++i;
      continue;
    }
    switch (set) {
      case kAscii:
      case kRoman:
        w.Put(c);
        ++i;
        break;
      case kKana:
        if (c <= 0x5F)
          w.Put(static_cast<std::uint8_t>(c + 0x80));
        else
          PutReplacement(w, replaced);
        ++i;
        break;
      case kKanji:
      case kSupplement:
        if (i + 1 < n && IsJisByte(p[i + 1])) {
          if (set == kKanji)
            PutJis(c, p[i + 1], t, w, replaced);
          else
            PutReplacement(w, replaced);
          i += 2;
        } else {
          PutReplacement(w, replaced);
          ++i;
        }
        break;
    }
  }
  return replaced;
}

}  // namespace detail
}  // namespace textcodec
