// UTF-8 and UTF-16 to Shift-JIS.
#include "core/textcodec/codec_internal.h"

namespace textcodec {
namespace detail {

namespace {

void PutChar(char32_t cp, const SjisTables& t, ByteWriter& w, std::size_t& replaced) {
  std::uint16_t code = cp <= 0xFFFF ? t.fromUnicode[cp] : kNoSjis;
  if (code == kNoSjis)
    PutReplacement(w, replaced);
  else
    w.PutSjis(code);
}

}  // namespace

std::size_t DecodeUtf8(const std::uint8_t* p, std::size_t n, ByteWriter& w) {
  const SjisTables& t = Tables();
  std::size_t replaced = 0;
  std::size_t i = 0;
  while (i < n) {
    if (!CopyAsciiRun(p, n, i, w)) break;
    const std::uint8_t c = p[i];
    int more;
    char32_t cp, min;
    if (c >= 0xC2 && c <= 0xDF) {
      more = 1, cp = c & 0x1F, min = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
      more = 2, cp = c & 0x0F, min = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
      more = 3, cp = c & 0x07, min = 0x10000;
    } else {
      PutReplacement(w, replaced);  // stray continuation byte or invalid lead
      ++i;
      continue;
    }
    // Take continuation bytes while they fit; a bad sequence is replaced once
    // and skipped up to the first byte that does not continue it.
    std::size_t j = i + 1;
    int got = 0;
    while (got < more && j < n && (p[j] & 0xC0) == 0x80) {
      cp = (cp << 6) | (p[j] & 0x3F);
      ++j;
      ++got;
    }
    if (got < more || cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      PutReplacement(w, replaced);
    } else {
      PutChar(cp, t, w, replaced);
    }
    i = j;
  }
  return replaced;
}

std::size_t DecodeUtf16(const std::uint8_t* p, std::size_t n, bool bigEndian, ByteWriter& w) {
  const SjisTables& t = Tables();
  std::size_t replaced = 0;
  const int hi = bigEndian ? 0 : 1, lo = bigEndian ? 1 : 0;
  std::size_t i = 0;
  while (i + 1 < n) {
    char32_t u = static_cast<char32_t>(p[i + hi] << 8 | p[i + lo]);
    i += 2;
    if (u < 0x80) {
      w.Put(static_cast<std::uint8_t>(u));
      continue;
    }
    if (u >= 0xD800 && u <= 0xDBFF) {
      // A pair stands for a character outside the BMP: one replacement.
      if (i + 1 < n) {
        char32_t v = static_cast<char32_t>(p[i + hi] << 8 | p[i + lo]);
        if (v >= 0xDC00 && v <= 0xDFFF) i += 2;
      }
      PutReplacement(w, replaced);
      continue;
    }
    PutChar(u, t, w, replaced);  // a lone low surrogate has no code either
  }
  if (i < n) {  // odd final byte
    PutReplacement(w, replaced);
  }
  return replaced;
}

}  // namespace detail
}  // namespace textcodec
