// Base64 (the alphabet of RFC 4648) in both directions.
#include "core/textcodec/codec_internal.h"

namespace textcodec {
namespace detail {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::uint8_t kSkip = 64, kPad = 65, kBad = 255;
constexpr int kLineChars = 76;

struct Base64Table {
  std::uint8_t v[256];
  Base64Table() {
    for (int i = 0; i < 256; ++i) v[i] = kBad;
    for (int i = 0; i < 64; ++i) v[static_cast<std::uint8_t>(kAlphabet[i])] = static_cast<std::uint8_t>(i);
    v['\r'] = v['\n'] = v[' '] = v['\t'] = kSkip;
    v['='] = kPad;
  }
};
const Base64Table kTable;

}  // namespace

TextCodecError DecodeBase64(const std::uint8_t* p, std::size_t n, std::string& out) {
  TextCodecError error = TextCodecError::kNone;
  ByteWriter w(out, n / 4 * 3 + 3);
  std::uint32_t bits = 0;
  int nbits = 0;
  int quantum = 0;  // characters of the current group of four
  for (std::size_t i = 0; i < n; ++i) {
    std::uint8_t v = kTable.v[p[i]];
    if (v < 64) {
      bits = (bits << 6 | v) & 0xFFFFFF;
      nbits += 6;
      quantum = (quantum + 1) & 3;
      if (nbits >= 8) {
        nbits -= 8;
        w.Put(static_cast<std::uint8_t>(bits >> nbits));
      }
    } else if (v == kPad) {
      // Padding ends the group; what follows starts afresh.
      if (quantum == 1 && error == TextCodecError::kNone) error = TextCodecError::kBase64Truncated;
      nbits = 0;
      quantum = 0;
    } else if (v == kBad && error == TextCodecError::kNone) {
      error = TextCodecError::kBase64BadCharacter;
    }
  }
  if (quantum == 1 && error == TextCodecError::kNone) error = TextCodecError::kBase64Truncated;
  return error;
}

void EncodeBase64(const std::uint8_t* p, std::size_t n, ByteWriter& w) {
  int col = 0;
  auto put = [&](char c) {
    w.Put(static_cast<std::uint8_t>(c));
    if (++col == kLineChars) {
      w.Put2('\r', '\n');
      col = 0;
    }
  };
  std::size_t i = 0;
  for (; i + 3 <= n; i += 3) {
    std::uint32_t v = static_cast<std::uint32_t>(p[i]) << 16 | p[i + 1] << 8 | p[i + 2];
    put(kAlphabet[v >> 18]);
    put(kAlphabet[(v >> 12) & 63]);
    put(kAlphabet[(v >> 6) & 63]);
    put(kAlphabet[v & 63]);
  }
  if (i < n) {
    std::uint32_t v = static_cast<std::uint32_t>(p[i]) << 16 | (i + 1 < n ? p[i + 1] << 8 : 0);
    put(kAlphabet[v >> 18]);
    put(kAlphabet[(v >> 12) & 63]);
    put(i + 1 < n ? kAlphabet[(v >> 6) & 63] : '=');
    put('=');
  }
  if (col != 0) w.Put2('\r', '\n');
}

bool LooksLikeBase64(const std::uint8_t* p, std::size_t n, std::size_t minChars, std::size_t minSingleLine) {
  // Only alphabet characters and line ends, padding only at the end, whole
  // groups of four; every line but the last as long as the first.
  std::size_t chars = 0, lines = 0, firstLen = 0, lineLen = 0;
  bool padSeen = false, lastShorter = false;
  for (std::size_t i = 0; i <= n; ++i) {
    std::uint8_t c = i < n ? p[i] : '\n';
    if (c == '\r' || c == '\n') {
      if (lineLen == 0) continue;
      ++lines;
      if (lines == 1) {
        firstLen = lineLen;
      } else {
        if (lastShorter || lineLen > firstLen) return false;
        lastShorter = lineLen < firstLen;
      }
      lineLen = 0;
      continue;
    }
    std::uint8_t v = kTable.v[c];
    if (v == kPad) {
      padSeen = true;
    } else if (v >= 64 || padSeen) {
      return false;
    }
    ++chars;
    ++lineLen;
  }
  if (chars % 4 != 0 || chars < minChars) return false;
  if (lines == 1 && chars < minSingleLine) return false;
  return true;
}

}  // namespace detail
}  // namespace textcodec
