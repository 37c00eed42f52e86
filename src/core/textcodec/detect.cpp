// Which encoding a text file is in.
#include <algorithm>
#include <cstring>

#include "core/textcodec/codec_internal.h"

namespace textcodec {
namespace detail {

namespace {

// Tuning of the statistics.
constexpr std::size_t kUtf16Sample = 8192;      // bytes looked at for UTF-16 without a mark
constexpr std::size_t kBase64Sample = 1 << 16;  // bytes decoded to check Base64 content
constexpr std::size_t kEucKanaShare = 8;        // EUC wins when 1 pair in 8 is kana/punctuation

bool HasBom(const std::uint8_t* p, std::size_t n, TextEncoding* e) {
  if (n >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF) {
    *e = TextEncoding::kUtf8Bom;
    return true;
  }
  if (n >= 2 && p[0] == 0xFF && p[1] == 0xFE) {
    *e = TextEncoding::kUtf16Le;
    return true;
  }
  if (n >= 2 && p[0] == 0xFE && p[1] == 0xFF) {
    *e = TextEncoding::kUtf16Be;
    return true;
  }
  return false;
}

// ASCII-rich UTF-16 without a mark: one byte of most units is zero, always
// the same one.
bool LooksLikeUtf16(const std::uint8_t* p, std::size_t n, TextEncoding* e) {
  std::size_t m = std::min(n, kUtf16Sample) & ~std::size_t(1);
  std::size_t pairs = m / 2;
  if (pairs < 4) return false;
  std::size_t zeroEven = 0, zeroOdd = 0;
  for (std::size_t i = 0; i < m; i += 2) {
    zeroEven += p[i] == 0;
    zeroOdd += p[i + 1] == 0;
  }
  if (zeroOdd * 4 >= pairs && zeroEven * 64 <= pairs) {
    *e = TextEncoding::kUtf16Le;
    return true;
  }
  if (zeroEven * 4 >= pairs && zeroOdd * 64 <= pairs) {
    *e = TextEncoding::kUtf16Be;
    return true;
  }
  return false;
}

bool HasJisEscape(const std::uint8_t* p, std::size_t n) {
  const std::uint8_t* end = p + n;
  for (const std::uint8_t* q = p; q < end;) {
    q = static_cast<const std::uint8_t*>(std::memchr(q, 0x1B, static_cast<std::size_t>(end - q)));
    if (q == nullptr) return false;
    std::uint8_t b1 = q + 1 < end ? q[1] : 0, b2 = q + 2 < end ? q[2] : 0;
    if ((b1 == '$' && (b2 == 'B' || b2 == '@' || b2 == '(')) ||
        (b1 == '(' && (b2 == 'B' || b2 == 'J' || b2 == 'I')))
      return true;
    ++q;
  }
  return false;
}

// Valid UTF-8 throughout with at least one multi-byte character (a sequence
// cut by the end of the data counts as valid).
bool LooksLikeUtf8(const std::uint8_t* p, std::size_t n) {
  std::size_t multi = 0, i = 0;
  while (i < n) {
    i += AsciiRun(p + i, n - i);
    if (i >= n) break;
    std::uint8_t c = p[i];
    int more;
    if (c >= 0xC2 && c <= 0xDF)
      more = 1;
    else if (c >= 0xE0 && c <= 0xEF)
      more = 2;
    else if (c >= 0xF0 && c <= 0xF4)
      more = 3;
    else
      return false;
    std::uint32_t cp = c & (0x3F >> more);
    std::size_t j = i + 1;
    for (int k = 0; k < more; ++k, ++j) {
      if (j >= n) return multi > 0;
      if ((p[j] & 0xC0) != 0x80) return false;
      cp = cp << 6 | (p[j] & 0x3F);
    }
    static const std::uint32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMin[more] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    ++multi;
    i = j;
  }
  return multi > 0;
}

struct PairStats {
  std::size_t pairs = 0, kana = 0;
  bool clean = true;
};

PairStats ScanEuc(const std::uint8_t* p, std::size_t n) {
  PairStats s;
  std::size_t i = 0;
  while (i < n) {
    i += AsciiRun(p + i, n - i);
    if (i >= n) break;
    std::uint8_t c = p[i];
    std::uint8_t d = i + 1 < n ? p[i + 1] : 0;
    if (c == 0x8E && IsHalfWidthKana(d)) {
      i += 2;
    } else if (c == 0x8F && d >= 0xA1 && d <= 0xFE && i + 2 < n && p[i + 2] >= 0xA1 && p[i + 2] <= 0xFE) {
      i += 3;
    } else if (c >= 0xA1 && c <= 0xFE && d >= 0xA1 && d <= 0xFE) {
      ++s.pairs;
      if (c == 0xA1 || c == 0xA4 || c == 0xA5) ++s.kana;
      i += 2;
    } else if (i + 1 >= n && c >= 0xA1) {
      break;  // cut by the end
    } else {
      s.clean = false;
      return s;
    }
  }
  return s;
}

bool SjisClean(const std::uint8_t* p, std::size_t n) {
  std::size_t i = 0;
  while (i < n) {
    i += AsciiRun(p + i, n - i);
    if (i >= n) break;
    std::uint8_t c = p[i];
    if (IsSjisLead(c)) {
      if (i + 1 < n && !IsSjisTrail(p[i + 1])) return false;
      i += 2;
    } else if (IsHalfWidthKana(c)) {
      ++i;
    } else {
      return false;
    }
  }
  return true;
}

bool TextLike(const std::string& s) {
  if (s.size() >= 2 && ((s[0] == '\xFF' && s[1] == '\xFE') || (s[0] == '\xFE' && s[1] == '\xFF')))
    return true;
  for (unsigned char c : s) {
    if (c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f' && c != 0x1B && c != 0x06) return false;
  }
  return true;
}

bool IsBase64Text(const std::uint8_t* p, std::size_t n) {
  if (!LooksLikeBase64(p, n)) return false;
  // The decoded start must read as text in some encoding without replacements.
  std::size_t m = n;
  if (m > kBase64Sample) {
    m = kBase64Sample;
    while (m > 0 && p[m - 1] != '\n') --m;
  }
  std::string raw;
  DecodeBase64(p, m, raw);
  if (!TextLike(raw)) return false;
  std::string text;
  return DecodeToSjis(DetectPlain(reinterpret_cast<const std::uint8_t*>(raw.data()), raw.size()),
                      raw.data(), raw.size(), text) == 0;
}

TextEncoding Detect(const std::uint8_t* p, std::size_t n, bool containers) {
  TextEncoding e;
  if (HasBom(p, n, &e) || LooksLikeUtf16(p, n, &e)) return e;
  if (containers && FindBinHexLine(p, n) < n) return TextEncoding::kBinHex;
  if (HasJisEscape(p, n)) return TextEncoding::kIso2022Jp;
  const std::size_t ascii = AsciiRun(p, n);
  if (ascii == n) {
    if (containers && IsBase64Text(p, n)) return TextEncoding::kBase64;
    return TextEncoding::kShiftJis;
  }
  if (LooksLikeUtf8(p + ascii, n - ascii)) return TextEncoding::kUtf8;
  PairStats euc = ScanEuc(p + ascii, n - ascii);
  if (euc.clean && euc.pairs > 0 &&
      (euc.kana * kEucKanaShare >= euc.pairs || !SjisClean(p + ascii, n - ascii)))
    return TextEncoding::kEucJp;
  return TextEncoding::kShiftJis;
}

}  // namespace

TextEncoding DetectPlain(const std::uint8_t* p, std::size_t n) { return Detect(p, n, false); }

}  // namespace detail

TextEncoding DetectTextEncoding(const void* bytes, std::size_t len) {
  if (bytes == nullptr) len = 0;
  return detail::Detect(static_cast<const std::uint8_t*>(bytes), len, true);
}

}  // namespace textcodec
