// The PDF reader's first two passes: object streams expanded behind the
// file's bytes as ordinary objects, then one scan that records where each
// object starts and what it says about fonts, encodings and images, the page
// size, the catalog and whether the document is encrypted.
#include <cstdio>
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

bool IsDigit(std::uint8_t c) { return c >= '0' && c <= '9'; }
bool IsWhite(std::uint8_t c) { return c <= 0x20; }

// The two first bytes of a compressed stream: zlib heads, and a JPEG's.
bool IsStreamHead(std::uint8_t a, std::uint8_t b) {
  return (a == 0x78 && (b == 0x9C || b == 0xDA || b == 0x01 || b == 0x5E)) || (a == 0x58 && b == 0x85) ||
         (a == 0x68 && b == 0xDE) || (a == 0x48 && b == 0x89) || (a == 0xFF && b == 0xD8);
}

// A non-negative integer at *p (at most 9 digits kept); -1 when no digit.
std::int32_t ReadInt(const std::uint8_t* buf, std::int32_t length, std::int32_t* p) {
  if (*p >= length || !IsDigit(buf[*p])) return -1;
  std::int32_t v = 0;
  int digits = 0;
  while (*p < length && IsDigit(buf[*p])) {
    if (digits++ < 9) v = v * 10 + (buf[*p] - '0');
    ++*p;
  }
  return v;
}

}  // namespace

void PdfConverter::ExpandObjectStreams() {
  if (!m_pWork || !m_pConvData) return;
  std::uint8_t* buf = m_pConvData;
  const std::int32_t fileEnd = m_nConvSize;  // only the file's own bytes hold object streams
  std::int64_t size = m_nConvSize;
  const std::int64_t room = static_cast<std::int64_t>(m_nConvCapacity) - 1000;
  for (std::int32_t i = 0; i + 6 < fileEnd; ++i) {
    if (buf[i] != '/' || !Has(buf, fileEnd, i + 1, "ObjSt")) continue;
    std::int32_t head = -1;
    for (std::int32_t j = i + 6; j + 1 < fileEnd && j < i + 6 + 130; ++j) {
      if (IsStreamHead(buf[j], buf[j + 1])) {
        head = j;
        break;
      }
    }
    if (head < 0) continue;
    const std::int32_t data = head + 2;
    std::int32_t end = data;
    while (end < fileEnd && end - data < m_nCfMax && !Has(buf, fileEnd, end, "ends")) ++end;
    std::int64_t n = arc::InflateBytes(buf + data, static_cast<std::size_t>(end - data), m_pWork,
                                       static_cast<std::size_t>(m_nCfMax));
    if (n < 0 || n > m_nCfMax) n = 0;
    i = end;
    const std::int32_t got = static_cast<std::int32_t>(n);
    const std::uint8_t* obj = m_pWork;

    // The (number, offset) pairs ahead of the objects.
    std::int32_t numbers[290];
    std::int32_t offsets[290];
    int pairs = 0;
    std::int32_t p = 0;
    while (pairs < 290) {
      while (p < got && IsWhite(obj[p])) ++p;
      if (p >= got || !IsDigit(obj[p])) break;
      const std::int32_t number = ReadInt(obj, got, &p);
      while (p < got && IsWhite(obj[p])) ++p;
      const std::int32_t offset = ReadInt(obj, got, &p);
      if (offset < 0) break;
      numbers[pairs] = number;
      offsets[pairs] = offset;
      ++pairs;
    }
    while (p < got && IsWhite(obj[p])) ++p;
    const std::int32_t first = p;
    // The list ends at the first offset that points past the data or does
    // not rise.
    int usable = 0;
    while (usable < pairs) {
      const std::int64_t at = static_cast<std::int64_t>(first) + offsets[usable];
      if (at >= got) break;
      if (usable > 0 && offsets[usable] <= offsets[usable - 1]) break;
      ++usable;
    }
    if (usable < pairs) m_damage.Mark("object stream");
    for (int k = 0; k < usable; ++k) {
      const std::int32_t from = first + offsets[k];
      const std::int32_t to = k + 1 < usable ? first + offsets[k + 1] : got;
      char head1[32];
      const int h = std::snprintf(head1, sizeof head1, "\r\n%d 0 obj ", static_cast<int>(numbers[k]));
      static const char kTail[] = "\r\nendobj\r\n";
      const std::int64_t need = h + static_cast<std::int64_t>(to - from) + (sizeof kTail - 1);
      if (size + need > room) break;
      std::memcpy(buf + size, head1, static_cast<std::size_t>(h));
      size += h;
      std::memcpy(buf + size, obj + from, static_cast<std::size_t>(to - from));
      size += to - from;
      std::memcpy(buf + size, kTail, sizeof kTail - 1);
      size += sizeof kTail - 1;
    }
  }
  m_nConvSize = static_cast<std::int32_t>(size);
}

void PdfConverter::IndexObjects() {
  const std::uint8_t* buf = m_pConvData;
  const std::int32_t len = m_nConvSize;
  if (!buf) return;
  std::int32_t cur = 0;
  auto flags = [&]() -> std::uint16_t* {
    return (cur > 0 && cur < kPdfObjects) ? &m_anObjFlags.Slot(static_cast<std::size_t>(cur)) : nullptr;
  };
  auto fontRef = [&]() -> std::uint16_t* {
    return (cur > 0 && cur < kPdfObjects) ? &m_anFontRef.Slot(static_cast<std::size_t>(cur)) : nullptr;
  };
  // A value behind a key (a number, or the object number of a reference).
  auto valueAfter = [&](std::int32_t p) {
    while (p < len && IsWhite(buf[p])) ++p;
    std::int32_t q = p;
    return PdfReadFixed(buf, len, &q, 0) / 100;
  };
  for (std::int32_t i = 0; i + 6 < len; ++i) {
    const std::uint8_t c = buf[i];
    if (c == ' ') {
      if (buf[i + 1] == 'o' && buf[i + 2] == 'b' && buf[i + 3] == 'j' && buf[i + 4] != 'e') {
        cur = PdfReadObjectRef(i, 0);
        if (cur > 0 && cur < kPdfObjects) m_anObjOffset.Slot(static_cast<std::size_t>(cur)) = i;
      }
      continue;
    }
    if (c != '/') continue;
    std::uint16_t* f = flags();
    if (Has(buf, len, i + 1, "Encry")) {
      m_bEncrypted = true;
      break;
    }
    if (Has(buf, len, i + 1, "Iden")) {
      // "Identity-V" / "Identity-H": the writing direction nine bytes on.
      if (f && i + 10 < len && buf[i + 9] == '-') {
        if (buf[i + 10] == 'V') *f |= kPdfFlagVertical;
        if (buf[i + 10] == 'H') *f &= static_cast<std::uint16_t>(~kPdfFlagVertical);
      }
    } else if (Has(buf, len, i + 1, "DCTDe")) {
      if (f) *f = static_cast<std::uint16_t>((*f & ~kPdfFlagFilterMask) | kPdfFilterDct);
    } else if (Has(buf, len, i + 1, "CCITT")) {
      if (f) *f = static_cast<std::uint16_t>((*f & ~kPdfFlagFilterMask) | kPdfFilterCcitt);
    } else if (Has(buf, len, i + 1, "LZWDe")) {
      if (f) *f = static_cast<std::uint16_t>((*f & ~kPdfFlagFilterMask) | kPdfFilterLzw);
    } else if (Has(buf, len, i + 1, "JBIG2")) {
      if (f) *f = static_cast<std::uint16_t>((*f & ~kPdfFlagFilterMask) | kPdfFilterJbig2);
    } else if (Has(buf, len, i + 1, "JPXDe")) {
      if (f) *f = static_cast<std::uint16_t>((*f & ~kPdfFlagFilterMask) | kPdfFilterJpx);
    } else if (Has(buf, len, i + 1, "Type1")) {
      if (f) *f |= kPdfFlagType1;
    } else if (Has(buf, len, i + 1, "UniJ")) {
      if (f) *f |= kPdfFlagUniJis;
    } else if (Has(buf, len, i + 1, "ToUn")) {
      const std::int32_t ref = PdfReadObjectRef(i + 5, 9);
      if (f && ref > 0) {
        if ((*f & kPdfFlagSimple) == kPdfFlagSimple) {
          *f = 0x50;
        } else if (*f & kPdfFlagType1) {
          *f |= kPdfFlagType1ToUni;
        }
        if (ref < 65536) *fontRef() = static_cast<std::uint16_t>(ref);
      }
    } else if (Has(buf, len, i + 1, "LastC")) {
      const std::int32_t v = valueAfter(i + 9);
      if (f && v >= 1 && v <= 255) *f |= kPdfFlagLastChar;
    } else if (Has(buf, len, i + 1, "WinAn")) {
      if (f) *f |= kPdfFlagSimple;
    } else if (Has(buf, len, i + 1, "Encod")) {
      const std::int32_t ref = PdfReadObjectRef(i + 6, 9);
      if (ref > 0) {
        if (f && *fontRef() == 0 && ref < 65536) {
          *f |= kPdfFlagSimple;
          *fontRef() = static_cast<std::uint16_t>(ref);
        }
      } else if (f) {
        // A named CMap: "...J-V" (vertical) or "...J-H" within 30 bytes.
        for (std::int32_t j = i + 6; j + 2 < len && j < i + 6 + 30; ++j) {
          if (buf[j] == 'J' && buf[j + 1] == '-') {
            if (buf[j + 2] == 'V') *f |= kPdfFlagVertical;
            if (buf[j + 2] == 'H') *f &= static_cast<std::uint16_t>(~kPdfFlagVertical);
            break;
          }
        }
      }
    } else if (Has(buf, len, i + 1, "Width") && buf[i + 6] != 's') {
      std::int32_t v = valueAfter(i + 6);
      if (f && v >= 10) {
        if (v > 2000) v = 2000;
        *f = static_cast<std::uint16_t>((*f & ~kPdfFlagWidthMask) | ((((v / 128) << 8) | 0x100) & kPdfFlagWidthMask));
      }
    } else if (Has(buf, len, i + 1, "Heigh") && !(i + 7 < len && buf[i + 7] == 's')) {
      std::int32_t v = valueAfter(i + 7);
      if (f && v >= 10) {
        if (v > 2000) v = 2000;
        *f = static_cast<std::uint16_t>((*f & ~kPdfFlagHeightMask) |
                                        ((((v / 128) << 12) | 0x1000) & kPdfFlagHeightMask));
      }
    } else if (Has(buf, len, i + 1, "Media") && Has(buf, len, i + 6, "Box")) {
      ReadMediaBox(i + 9);
    } else if (Has(buf, len, i + 1, "Root")) {
      const std::int32_t ref = PdfReadObjectRef(i + 5, 9);
      if (ref > 0) m_nRootObj = ref;
    }
  }
}

void PdfConverter::ReadMediaBox(std::int32_t pos) {
  const std::uint8_t* buf = m_pConvData;
  const std::int32_t len = m_nConvSize;
  std::int32_t p = pos;
  while (p < len && p < pos + 12 && buf[p] != '[') ++p;
  if (p >= len || buf[p] != '[') return;
  const std::int32_t end = p + 50 < len ? p + 50 : len;
  ++p;
  for (int k = 0; k < 4; ++k) {
    while (p < end && IsWhite(buf[p])) ++p;
    if (p >= end || buf[p] == ']') return;
    const std::int32_t v = PdfReadHundredths(buf, end, p);
    if (k == 2 && v > 10000 && v < 200000) m_nPageWidth = v + 100;
    if (k == 3 && v > 10000 && v < 200000) m_nPageHeight = v + 100;
    while (p < end && !IsWhite(buf[p]) && buf[p] != ']') ++p;
  }
}

}  // namespace convert
