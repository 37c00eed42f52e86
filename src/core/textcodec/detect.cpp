// Which encoding a text file is in.
#include <algorithm>
#include <cstring>

#include "core/textcodec/codec_internal.h"
#include "core/textcodec/sjis_scan.h"

namespace textcodec {
namespace detail {

namespace {

// The one table of detection thresholds (docs/textcodec.md).
constexpr DetectThresholds kThresholds = {
    /*utf16Sample=*/8192,
    /*utf16ZeroShare=*/4,
    /*utf16OtherZeroShare=*/64,
    /*binHexMarkerLines=*/20,
    /*binHexMarkerSearch=*/1 << 16,
    /*base64MinChars=*/16,
    /*base64MinSingleLine=*/24,
    /*base64Sample=*/1 << 16,
    /*base64TextPercent=*/90,
    /*utf8ValidPerInvalid=*/16,
    /*eucKanaShare=*/8,
};

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
  std::size_t m = std::min(n, kThresholds.utf16Sample) & ~std::size_t(1);
  std::size_t pairs = m / 2;
  if (pairs < 4) return false;
  std::size_t zeroEven = 0, zeroOdd = 0;
  for (std::size_t i = 0; i < m; i += 2) {
    zeroEven += p[i] == 0;
    zeroOdd += p[i + 1] == 0;
  }
  const std::size_t share = kThresholds.utf16ZeroShare, other = kThresholds.utf16OtherZeroShare;
  if (zeroOdd * share >= pairs && zeroEven * other <= pairs) {
    *e = TextEncoding::kUtf16Le;
    return true;
  }
  if (zeroEven * share >= pairs && zeroOdd * other <= pairs) {
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

// Valid multi-byte sequences against invalid bytes. A sequence cut by the
// end of the data counts as valid.
struct Utf8Stats {
  std::size_t valid = 0, invalid = 0;
};

// With `settle`, the scan stops as soon as the rest of the data cannot turn
// the verdict of LooksLikeUtf8 (see there): the counts are then only good
// for that verdict.
Utf8Stats ScanUtf8(const std::uint8_t* p, std::size_t n, bool settle = false) {
  Utf8Stats s;
  const std::size_t per = kThresholds.utf8ValidPerInvalid;
  std::size_t i = 0;
  while (i < n) {
    i += AsciiRun(p + i, n - i);
    if (i >= n) break;
    if (settle) {
      // The rest adds at most one valid sequence per two bytes (one more cut
      // by the end) and at most one invalid byte per byte.
      const std::size_t rest = n - i;
      if (s.invalid * per > s.valid + rest / 2 + 1) return s;
      if (s.valid > 0 && (s.invalid + rest) * per <= s.valid) return s;
    }
    std::uint8_t c = p[i];
    int more;
    if (c >= 0xC2 && c <= 0xDF)
      more = 1;
    else if (c >= 0xE0 && c <= 0xEF)
      more = 2;
    else if (c >= 0xF0 && c <= 0xF4)
      more = 3;
    else
      more = 0;
    bool ok = more > 0;
    std::uint32_t cp = c & (0x3F >> more);
    std::size_t j = i + 1;
    for (int k = 0; ok && k < more; ++k, ++j) {
      if (j >= n) {
        ++s.valid;  // cut by the end
        return s;
      }
      if ((p[j] & 0xC0) != 0x80) ok = false;
      cp = cp << 6 | (p[j] & 0x3F);
    }
    static const std::uint32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    if (ok && (cp < kMin[more] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))) ok = false;
    if (ok) {
      ++s.valid;
      i = j;
    } else {
      ++s.invalid;
      ++i;
    }
  }
  return s;
}

// UTF-8 when the valid multi-byte sequences far outnumber the invalid bytes:
// one damaged character in a long text does not make it another encoding.
bool LooksLikeUtf8(const std::uint8_t* p, std::size_t n) {
  const Utf8Stats s = ScanUtf8(p, n, FastTextScansOn());
  return s.valid > 0 && s.invalid * kThresholds.utf8ValidPerInvalid <= s.valid;
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

bool NoControlBytes(const std::string& s) {
  for (unsigned char c : s) {
    if (c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f' && c != 0x1B && c != 0x06) return false;
  }
  return true;
}

// Share (percent) of Shift-JIS text that reads as ordinary text: printable
// ASCII, line ends and TABs, and double-byte characters of the punctuation,
// kana and first-level kanji rows. Random bytes score about half.
unsigned TextPercent(const std::string& sjis) {
  if (sjis.empty()) return 0;
  std::size_t good = 0;
  for (std::size_t i = 0; i < sjis.size();) {
    const std::uint8_t c = static_cast<std::uint8_t>(sjis[i]);
    if (IsSjisLead(c) && i + 1 < sjis.size()) {
      if ((c >= 0x81 && c <= 0x84) || (c >= 0x88 && c <= 0x9F)) good += 2;
      i += 2;
      continue;
    }
    if ((c >= 0x20 && c < 0x7F) || c == '\t' || c == '\r' || c == '\n') ++good;
    ++i;
  }
  return static_cast<unsigned>(good * 100 / sjis.size());
}

// What Base64 decodes to is text: a UTF-16 text with its mark, or bytes
// without control characters that decode in their own encoding without a
// replacement and read mostly as ordinary text.
bool DecodesToText(const std::string& raw) {
  if (raw.size() >= 2 && ((raw[0] == '\xFF' && raw[1] == '\xFE') || (raw[0] == '\xFE' && raw[1] == '\xFF')))
    return true;
  if (!NoControlBytes(raw)) return false;
  const TextEncoding e = DetectPlain(reinterpret_cast<const std::uint8_t*>(raw.data()), raw.size());
  std::string text;
  if (DecodeToSjis(e, raw.data(), raw.size(), text) != 0) return false;
  return TextPercent(text) >= kThresholds.base64TextPercent;
}

bool IsBase64Text(const std::uint8_t* p, std::size_t n) {
  if (!LooksLikeBase64(p, n, kThresholds.base64MinChars, kThresholds.base64MinSingleLine)) return false;
  // Digits alone (number lists, dates, codes) are never Base64.
  bool letter = false;
  for (std::size_t i = 0; i < n && !letter; ++i)
    letter = (p[i] >= 'A' && p[i] <= 'Z') || (p[i] >= 'a' && p[i] <= 'z');
  if (!letter) return false;
  std::size_t m = n;
  if (m > kThresholds.base64Sample) {
    m = kThresholds.base64Sample;
    while (m > 0 && p[m - 1] != '\n') --m;
  }
  std::string raw;
  DecodeBase64(p, m, raw);
  return DecodesToText(raw);
}

TextEncoding Detect(const std::uint8_t* p, std::size_t n, bool containers, bool escapes = true) {
  TextEncoding e;
  if (HasBom(p, n, &e) || LooksLikeUtf16(p, n, &e)) return e;
  if (containers && FindBinHexLine(p, n) < n) return TextEncoding::kBinHex;
  if (escapes && HasJisEscape(p, n)) return TextEncoding::kIso2022Jp;
  const std::size_t ascii = AsciiRun(p, n);
  if (ascii == n) {
    if (containers && IsBase64Text(p, n)) return TextEncoding::kBase64;
    return TextEncoding::kShiftJis;
  }
  if (LooksLikeUtf8(p + ascii, n - ascii)) return TextEncoding::kUtf8;
  PairStats euc = ScanEuc(p + ascii, n - ascii);
  if (euc.clean && euc.pairs > 0 &&
      (euc.kana * kThresholds.eucKanaShare >= euc.pairs || !SjisClean(p + ascii, n - ascii)))
    return TextEncoding::kEucJp;
  return TextEncoding::kShiftJis;
}

}  // namespace

TextEncoding DetectPlain(const std::uint8_t* p, std::size_t n) { return Detect(p, n, false); }

bool BinHexMarkerAt(const std::uint8_t* p, std::size_t n, std::size_t* at) {
  // The marker's fixed part; its wording after "converted" varies.
  static const char kMarker[] = "(This file must be converted";
  const std::size_t k = sizeof kMarker - 1;
  const std::size_t span = std::min(n, kThresholds.binHexMarkerSearch);
  std::size_t line = 0, pos = 0;
  while (pos < span && line < kThresholds.binHexMarkerLines) {
    std::size_t q = pos;
    while (q < span && (p[q] == ' ' || p[q] == '\t')) ++q;
    if (n - q >= k && std::memcmp(p + q, kMarker, k) == 0) {
      *at = q;
      return true;
    }
    const void* lf = std::memchr(p + pos, '\n', span - pos);
    if (lf == nullptr) break;
    pos = static_cast<std::size_t>(static_cast<const std::uint8_t*>(lf) - p) + 1;
    ++line;
  }
  return false;
}

}  // namespace detail

const DetectThresholds& DetectionThresholds() { return detail::kThresholds; }

TextEncoding DetectTextEncoding(const void* bytes, std::size_t len) {
  if (bytes == nullptr) len = 0;
  return detail::Detect(static_cast<const std::uint8_t*>(bytes), len, true);
}

TextEncoding DetectTextEncodingWithoutEscapes(const void* bytes, std::size_t len) {
  if (bytes == nullptr) len = 0;
  return detail::Detect(static_cast<const std::uint8_t*>(bytes), len, true, false);
}

}  // namespace textcodec
