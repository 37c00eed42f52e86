// ASCII85 decoding and a font's code table: the Differences of a simple
// encoding, or the ToUnicode CMap of a font (its code spaces, single codes
// and code ranges). Every table index is kept inside the code table: codes
// 0-32,767 and their one-byte copies 3,840 above.
#include <algorithm>
#include <cstring>

#include "archive/inflater.h"
#include "convert/pdf_converter.h"

namespace convert {
namespace {

bool Has(const std::uint8_t* buf, std::int32_t length, std::int32_t pos, const char* text) {
  const std::int32_t n = static_cast<std::int32_t>(std::strlen(text));
  if (pos < 0 || pos + n > length) return false;
  return std::memcmp(buf + pos, text, static_cast<std::size_t>(n)) == 0;
}

bool IsHex(std::uint8_t c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

int HexValue(std::uint8_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return c - 'a' + 10;
}

// Glyph names of a Differences array and the bytes they stand for.
struct GlyphRow {
  const char* name;
  std::uint8_t code;
};
const GlyphRow kGlyphs[] = {
    {"space", 32},        {"exclam", 33},       {"quotedbl", 34},    {"quotesingle", 39}, {"numbersign", 35},
    {"dollar", 36},       {"percent", 37},      {"ampersand", 38},   {"parenleft", 40},   {"parenright", 41},
    {"asterisk", 42},     {"plus", 43},         {"comma", 44},       {"hyphen", 45},      {"minus", 45},
    {"endash", 45},       {"period", 46},       {"slash", 47},       {"zero", 48},        {"one", 49},
    {"two", 50},          {"three", 51},        {"four", 52},        {"five", 53},        {"six", 54},
    {"seven", 55},        {"eight", 56},        {"nine", 57},        {"colon", 58},       {"semicolon", 59},
    {"less", 60},         {"equal", 61},        {"greater", 62},     {"question", 63},    {"at", 64},
    {"registered", 82},   {"copyright", 67},    {"bracketleft", 91}, {"yen", 92},         {"bracketright", 93},
    {"asciicircum", 94},  {"underscore", 95},   {"acute", 96},       {"bar", 124},        {"braceleft", 123},
    {"braceright", 125},  {"asciitilde", 126},
};

// The code (up to four hex digits) of the hex string at or after *pos (a '<'
// within 10 bytes); *pos moves behind its '>' (longer strings are passed
// over whole). -1 when there is none.
std::int32_t ReadCmapCode(const std::uint8_t* buf, std::int32_t length, std::int32_t* pos, int* digitsOut) {
  std::int32_t p = *pos;
  std::int32_t open = -1;
  for (std::int32_t i = p; i < p + 10 && i < length; ++i) {
    if (buf[i] == '<') {
      open = i;
      break;
    }
    if (buf[i] == '[' || buf[i] == ']' || (buf[i] >= 'a' && buf[i] <= 'z')) return -1;
  }
  if (open < 0) return -1;
  std::int32_t q = open + 1;
  std::int32_t value = 0;
  int digits = 0;
  while (q < length && IsHex(buf[q])) {
    if (digits < 4) value = value * 16 + HexValue(buf[q]);
    ++digits;
    ++q;
  }
  while (q < length && buf[q] != '>' && q < open + 80) ++q;
  if (q < length && buf[q] == '>') ++q;
  *pos = q;
  if (digitsOut) *digitsOut = digits;
  return value;
}

}  // namespace

std::int32_t PdfConverter::Ascii85DecodeInPlace(std::uint8_t* buf, std::int32_t length, std::size_t capacity) {
  if (!buf || length <= 0) return 0;
  // Decoded into scratch of four bytes per input byte: "z" makes four bytes
  // of one, so decoding over the input itself would overtake it.
  const std::size_t need = static_cast<std::size_t>(length) * 4 + 8;
  if (m_abA85Scratch.size() < need) m_abA85Scratch.resize(need);
  std::uint8_t* out = m_abA85Scratch.data();
  std::size_t n = 0;
  std::int32_t skipped = 0;
  std::uint32_t value = 0;
  int count = 0;
  auto put = [&](std::uint32_t v) {
    out[n++] = static_cast<std::uint8_t>(v >> 24);
    out[n++] = static_cast<std::uint8_t>(v >> 16);
    out[n++] = static_cast<std::uint8_t>(v >> 8);
    out[n++] = static_cast<std::uint8_t>(v);
  };
  for (std::int32_t i = 0; i < length; ++i) {
    const std::uint8_t c = buf[i];
    if (count == 0 && c == 'z') {
      put(0);
    } else if (c == '~') {
      // At a group start: four 0xFF bytes. Inside a group it is the end
      // marker "~>": the data ends, and the group is completed below.
      if (count != 0) break;
      put(0xFFFFFFFFu);
    } else if (c >= '!' && c <= 'u') {
      value = value * 85 + static_cast<std::uint32_t>(c - '!');
      if (++count == 5) {
        put(value);
        value = 0;
        count = 0;
      }
    } else {
      ++skipped;
    }
  }
  if (count > 0) {
    // The missing digits of the last group count as 'u', as the encoder pads.
    for (; count < 5; ++count) value = value * 85 + 84;
    put(value);
  }
  if (skipped > length / 2) return 0;
  if (n > capacity) return 0;
  std::memcpy(buf, out, n);
  return static_cast<std::int32_t>(n);
}

int PdfConverter::PdfReadFontEncoding(std::int32_t pos, std::uint16_t* table, int mode) {
  const std::uint8_t* src = m_pConvData;
  const std::int32_t len = m_nConvSize;
  if (pos < 0 || pos >= len) return 0;

  if ((mode & kPdfFlagSimple) == kPdfFlagSimple) {
    // Differences of a simple encoding.
    const std::int32_t end = std::min(len, pos + 500);
    bool armed = false;
    bool inArray = false;
    int read = 0;
    std::int32_t code = 0;
    for (std::int32_t i = pos; i < end; ++i) {
      const std::uint8_t c = src[i];
      if (!inArray) {
        if (Has(src, end, i, "Encod")) armed = true;
        if (Has(src, end, i, "Diffe")) {
          for (int k = 0; k < 32; ++k) table[k] = 0;
          for (int k = 32; k < 256; ++k) table[k] = static_cast<std::uint16_t>(k);
          read = 1;
        }
        if (armed && c == '[') {
          std::int32_t q = i + 1;
          int blanks = 0;
          while (q < end && src[q] == ' ' && blanks < 2) {
            ++q;
            ++blanks;
          }
          if (Has(src, end, q, "1/")) {
            inArray = true;
            code = 0;
            i = q;  // the '/' that follows advances to code 1
          }
        }
        continue;
      }
      if (c == ']') break;
      if (c != '/') continue;
      // A name: one character stands for itself, a glyph name for its byte.
      ++code;
      std::int32_t q = i + 1;
      while (q < end && src[q] > ' ' && src[q] != '/' && src[q] != ']' && src[q] != '[') ++q;
      const std::int32_t nameLen = q - (i + 1);
      if (code >= 0 && code < 256 && nameLen > 0) {
        if (nameLen == 1) {
          table[code] = src[i + 1];
        } else {
          for (const GlyphRow& g : kGlyphs) {
            if (static_cast<std::int32_t>(std::strlen(g.name)) == nameLen &&
                std::memcmp(g.name, src + i + 1, static_cast<std::size_t>(nameLen)) == 0) {
              table[code] = g.code;
              break;
            }
          }
        }
        read = 1;
      }
      i = q - 1;
    }
    return read;
  }

  // ToUnicode stream: its filters, then its data up to "endstream".
  std::int32_t streamAt = -1;
  for (std::int32_t i = pos; i < len - 6 && i < pos + 2000; ++i) {
    if (Has(src, len, i, "stream")) {
      streamAt = i;
      break;
    }
  }
  if (streamAt < 0) return 0;
  bool ascii85 = false;
  bool flate = false;
  for (std::int32_t i = std::max(pos, streamAt - 500); i < streamAt; ++i) {
    if (Has(src, streamAt, i, "ASC")) ascii85 = true;
    if (Has(src, streamAt, i, "Fla")) flate = true;
  }
  std::int32_t data = streamAt + 6;
  if (data < len && src[data] == '\r') ++data;
  if (data < len && src[data] == '\n') ++data;
  std::int32_t dataEnd = data;
  while (dataEnd < len && dataEnd < data + kPdfCmapCopyMax && !Has(src, len, dataEnd, "ends")) ++dataEnd;

  // Scratch: the copy (room for four bytes per ASCII85 byte), then the inflated map.
  const std::size_t copyRoom = static_cast<std::size_t>(kPdfCmapCopyMax) * 4 + 16;
  if (m_abCmapBuf.size() < copyRoom + kPdfCmapInflateMax + 16) m_abCmapBuf.resize(copyRoom + kPdfCmapInflateMax + 16);
  std::uint8_t* copy = m_abCmapBuf.data();
  std::int32_t n = dataEnd - data;
  std::memcpy(copy, src + data, static_cast<std::size_t>(n));
  if (ascii85) {
    n = Ascii85DecodeInPlace(copy, n, copyRoom);
    if (n <= 0) return 0;
  }
  const std::uint8_t* map = copy;
  if (flate) {
    if (n <= 2) return 0;
    std::uint8_t* inflated = copy + copyRoom;
    const std::int64_t got = arc::InflateBytes(copy + 2, static_cast<std::size_t>(n - 2), inflated,
                                               kPdfCmapInflateMax);
    if (got <= 0) return 0;
    map = inflated;
    n = static_cast<std::int32_t>(got);
  }
  return ReadCmap(map, n, table);
}

int PdfConverter::ReadCmap(const std::uint8_t* map, std::int32_t n, std::uint16_t* table) {
  auto set = [&](std::int32_t code, std::int32_t value, bool oneByte) {
    if (code < 0 || code > kPdfCodeMax) return;
    table[code] = static_cast<std::uint16_t>(value);
    if (oneByte && code + kPdfCodeCopy < kPdfObjects) table[code + kPdfCodeCopy] = static_cast<std::uint16_t>(value);
  };
  bool backFill = false;
  int read = 0;
  std::int32_t i = 0;
  while (i < n - 9) {
    if (!Has(map, n, i, "begi")) {
      ++i;
      continue;
    }
    const std::int32_t word = i + 5;
    if (Has(map, n, word, "code")) {
      backFill = true;
      i = word;
      continue;
    }
    const bool chars = Has(map, n, word, "bfch");
    const bool ranges = Has(map, n, word, "bfra");
    if (!chars && !ranges) {
      ++i;
      continue;
    }
    std::int32_t p = word + 4;
    while (p < n && map[p] > ' ' && map[p] != '<') ++p;  // the rest of the operator's name
    while (p < n) {
      while (p < n && map[p] <= ' ') ++p;
      if (p >= n || map[p] != '<') break;  // "endbfchar" / "endbfrange"
      int digits = 0;
      const std::int32_t low = ReadCmapCode(map, n, &p, &digits);
      if (low < 0) break;
      if (low > kPdfCodeMax) return read;  // reading stops at a code of 32,768 or more
      const bool oneByte = digits == 2;
      if (chars) {
        const std::int32_t dst = ReadCmapCode(map, n, &p, nullptr);
        if (dst < 0) break;
        set(low, dst, oneByte);
        read = 1;
        if (backFill) {
          // Up to 30 empty codes below get the values below; never below code 0.
          for (std::int32_t k = 1; k <= 30 && low - k >= 0 && dst - k > 0; ++k) {
            if (table[low - k] != 0) break;
            set(low - k, dst - k, oneByte);
          }
        }
        continue;
      }
      const std::int32_t high = ReadCmapCode(map, n, &p, nullptr);
      if (high < 0) break;
      while (p < n && map[p] <= ' ') ++p;
      if (p < n && map[p] == '[') {
        ++p;
        std::int32_t code = low;
        for (;;) {
          while (p < n && map[p] <= ' ') ++p;
          if (p >= n || map[p] != '<') break;
          const std::int32_t v = ReadCmapCode(map, n, &p, nullptr);
          if (v < 0) break;
          if (code <= high && code <= kPdfCodeMax) set(code, v, oneByte);
          ++code;
          read = 1;
        }
        while (p < n && map[p] != ']' && map[p] != '<' && map[p] != 'e') ++p;
        if (p < n && map[p] == ']') ++p;
      } else {
        const std::int32_t dst = ReadCmapCode(map, n, &p, nullptr);
        if (dst < 0) break;
        const std::int32_t top = std::min(high, kPdfCodeMax);  // a range stops at 32,767
        for (std::int32_t code = low; code <= top; ++code) set(code, (dst + (code - low)) & 0xFFFF, oneByte);
        read = 1;
      }
    }
    i = p > i ? p : i + 1;
  }
  return read;
}

}  // namespace convert
