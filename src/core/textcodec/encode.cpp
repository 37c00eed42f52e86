// Shift-JIS to UTF-8, UTF-16, EUC-JP and ISO-2022-JP.
//
// A character without a form in the target (a lone lead byte, a byte that
// starts no character, a code without a character) is written as "〓":
// U+3013 in Unicode, JIS 0x222E in EUC-JP and ISO-2022-JP.
#include "core/textcodec/codec_internal.h"

namespace textcodec {
namespace detail {

namespace {

constexpr char16_t kReplacementUnicode = 0x3013;
constexpr std::uint16_t kReplacementJis = 0x222E;

// Walks Shift-JIS text one character at a time: ASCII runs in bulk, other
// characters as a code (kNoSjis for bytes that form no character).
template <typename Ascii, typename Char>
void ForEachChar(const std::uint8_t* p, std::size_t n, Ascii ascii, Char ch) {
  std::size_t i = 0;
  while (i < n) {
    std::size_t a = AsciiRun(p + i, n - i);
    if (a > 0) {
      ascii(p + i, a);
      i += a;
      if (i >= n) break;
    }
    std::uint8_t c = p[i];
    if (IsSjisLead(c)) {
      if (i + 1 < n && IsSjisTrail(p[i + 1])) {
        ch(static_cast<std::uint16_t>(c << 8 | p[i + 1]));
        i += 2;
      } else {
        ch(kNoSjis);
        ++i;
      }
    } else {
      ch(c);
      ++i;
    }
  }
}

void PutUtf8(char16_t u, ByteWriter& w) {
  if (u < 0x80) {
    w.Put(static_cast<std::uint8_t>(u));
  } else if (u < 0x800) {
    w.Put2(static_cast<std::uint8_t>(0xC0 | (u >> 6)), static_cast<std::uint8_t>(0x80 | (u & 0x3F)));
  } else {
    char* p = w.Room(3);
    p[0] = static_cast<char>(0xE0 | (u >> 12));
    p[1] = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    p[2] = static_cast<char>(0x80 | (u & 0x3F));
    w.Advance(3);
  }
}

char16_t ToUnicode(std::uint16_t code, const SjisTables& t, std::size_t& replaced) {
  char16_t u = code == kNoSjis ? kNoUnicode : t.toUnicode[code];
  if (u == kNoUnicode) {
    ++replaced;
    return kReplacementUnicode;
  }
  return u;
}

}  // namespace

std::size_t EncodeUtf8(const std::uint8_t* p, std::size_t n, ByteWriter& w) {
  const SjisTables& t = Tables();
  std::size_t replaced = 0;
  ForEachChar(
      p, n, [&](const std::uint8_t* a, std::size_t k) { w.PutBytes(a, k); },
      [&](std::uint16_t code) { PutUtf8(ToUnicode(code, t, replaced), w); });
  return replaced;
}

std::size_t EncodeUtf16(const std::uint8_t* p, std::size_t n, bool bigEndian, ByteWriter& w) {
  const SjisTables& t = Tables();
  std::size_t replaced = 0;
  auto unit = [&](char16_t u) {
    if (bigEndian)
      w.Put2(static_cast<std::uint8_t>(u >> 8), static_cast<std::uint8_t>(u));
    else
      w.Put2(static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8));
  };
  ForEachChar(
      p, n,
      [&](const std::uint8_t* a, std::size_t k) {
        for (std::size_t i = 0; i < k; ++i) unit(a[i]);
      },
      [&](std::uint16_t code) { unit(ToUnicode(code, t, replaced)); });
  return replaced;
}

namespace {

// The JIS X 0208 code of a Shift-JIS double-byte character, or the
// replacement's.
std::uint16_t JisOf(std::uint16_t code, const SjisTables& t, std::size_t& replaced) {
  std::uint16_t jis = code == kNoSjis || t.toUnicode[code] == kNoUnicode ? 0 : SjisToJis(code);
  if (jis == 0) {
    ++replaced;
    return kReplacementJis;
  }
  return jis;
}

}  // namespace

std::size_t EncodeEuc(const std::uint8_t* p, std::size_t n, ByteWriter& w) {
  const SjisTables& t = Tables();
  std::size_t replaced = 0;
  ForEachChar(
      p, n, [&](const std::uint8_t* a, std::size_t k) { w.PutBytes(a, k); },
      [&](std::uint16_t code) {
        if (code < 0x100 && IsHalfWidthKana(static_cast<std::uint8_t>(code))) {
          w.Put2(0x8E, static_cast<std::uint8_t>(code));
          return;
        }
        std::uint16_t jis = code < 0x100 ? (++replaced, kReplacementJis) : JisOf(code, t, replaced);
        w.Put2(static_cast<std::uint8_t>((jis >> 8) | 0x80), static_cast<std::uint8_t>((jis & 0xFF) | 0x80));
      });
  return replaced;
}

std::size_t EncodeIso2022(const std::uint8_t* p, std::size_t n, ByteWriter& w) {
  enum Set { kAscii, kKanji, kKana };
  const SjisTables& t = Tables();
  std::size_t replaced = 0;
  Set set = kAscii;
  auto to = [&](Set s) {
    if (s == set) return;
    static const char* const kEscapes[] = {"\x1B(B", "\x1B$B", "\x1B(I"};
    w.PutBytes(kEscapes[s], 3);
    set = s;
  };
  ForEachChar(
      p, n,
      [&](const std::uint8_t* a, std::size_t k) {
        to(kAscii);
        w.PutBytes(a, k);
      },
      [&](std::uint16_t code) {
        if (code < 0x100 && IsHalfWidthKana(static_cast<std::uint8_t>(code))) {
          to(kKana);
          w.Put(static_cast<std::uint8_t>(code - 0x80));
          return;
        }
        std::uint16_t jis = code < 0x100 ? (++replaced, kReplacementJis) : JisOf(code, t, replaced);
        to(kKanji);
        w.Put2(static_cast<std::uint8_t>(jis >> 8), static_cast<std::uint8_t>(jis));
      });
  to(kAscii);
  return replaced;
}

}  // namespace detail
}  // namespace textcodec
