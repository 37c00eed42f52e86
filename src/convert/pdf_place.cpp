// Placing shown text on the PDF reader's grid: the bytes of a string decoded
// by the font's kind into Shift-JIS characters, the vertical forms, the
// position on the page turned into a grid line and column, repeats dropped,
// collisions moved aside, and picture markers.
//
// Every cell written lies inside the grid and inside the current page's band
// (lines base to base + 300, columns 1 to 509).
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "convert/latin1.h"
#include "convert/pdf_converter.h"
#include "convert/pdf_marker.h"
#include "fw/codepage.h"

namespace convert {
namespace {

constexpr std::int32_t kBandText = 300;      // text lines of a band: base .. base + 300
constexpr std::int32_t kColumnEnd = 510;     // placements stay below this column
constexpr std::int32_t kMarkerColumn = 500;  // a picture marker starts at this column at most
constexpr std::int32_t kCollisionSteps = 10;
constexpr std::int64_t kPictureSide = 60000; // larger pictures count as 600 points here
constexpr std::int64_t kLinePitch = 700;     // one grid line: 7 points

// Kangxi radicals and CJK radical supplement forms shown as their
// ideographs.
struct Radical {
  char16_t from, to;
};
const Radical kRadicals[] = {
    {0x2ED1, 0x9577}, {0x2F00, 0x4E00}, {0x2F04, 0x4E59}, {0x2F08, 0x4EBA}, {0x2F0A, 0x5165}, {0x2F12, 0x529B},
    {0x2F26, 0x5B50}, {0x2F3F, 0x624B}, {0x2F40, 0x652F}, {0x2F42, 0x6587}, {0x2F45, 0x65B9}, {0x2F47, 0x65E5},
    {0x2F49, 0x6708}, {0x2F4A, 0x6728}, {0x2F4B, 0x6B20}, {0x2F4C, 0x6B62}, {0x2F64, 0x7528}, {0x2F70, 0x793A},
    {0x2F8F, 0x884C}, {0x2F92, 0x898B}, {0x2F94, 0x8A00}, {0x2F9C, 0x8DB3}, {0x2FAF, 0x9762},
};

// Vertical forms: Shift-JIS pairs replaced in vertical writing.
struct VerticalForm {
  std::uint8_t a, b, toA, toB;
};
const VerticalForm kVertical[] = {
    {0x81, 0x5B, 0x82, 0x8C}, {0x81, 0x5C, 0x82, 0x8C}, {0x81, 0x5D, 0x82, 0x8C}, {0x81, 0x7C, 0x82, 0x8C},
    {0x84, 0x9F, 0x81, 0x62}, {0x81, 0x79, 0x81, 0xA1}, {0x81, 0x7A, 0x81, 0xA1}, {0x81, 0x69, 0x81, 0xC8},
    {0x81, 0x83, 0x81, 0xC8}, {0x81, 0x6A, 0x81, 0xC9}, {0x81, 0x84, 0x81, 0xC9}, {0x81, 0x41, 0x20, 0xA4},
    {0x81, 0x42, 0x20, 0xA1}, {0x81, 0x43, 0x20, 0x2C}, {0x81, 0x63, 0xFA, 0x55}, {0x81, 0x81, 0x81, 0xA5},
    {0x81, 0x75, 0x81, 0xCA}, {0x81, 0x76, 0x87, 0x98},
};

// Lead bytes of two-byte characters on the grid.
bool IsLead(std::uint8_t c) { return (c >= 0x80 && c <= 0x9F) || (c >= 0xE0 && c <= 0xEF) || (c >= 0xFA && c <= 0xFC); }

bool Occupied(std::uint8_t c) { return c != kPdfEmptyCell && c != 0 && c != ' '; }

}  // namespace

void PdfConverter::DevicePosition(const TextState& ts, std::int64_t* x, std::int64_t* y) const {
  // The text origin advanced along the text line, through the text matrix
  // and the transformation matrix.
  const std::int64_t* m = ts.tm;
  const std::int64_t* c = ts.ctm;
  const std::int64_t ax = ts.vertical ? 0 : ts.advance;
  const std::int64_t ay = ts.vertical ? -ts.advance : 0;
  const std::int64_t tx = (ax * m[0] + ay * m[2]) / 100 + m[4];
  const std::int64_t ty = (ax * m[1] + ay * m[3]) / 100 + m[5];
  *x = (tx * c[0] + ty * c[2]) / 100 + c[4];
  *y = (tx * c[1] + ty * c[3]) / 100 + c[5];
}

void PdfConverter::GridPlace(std::int64_t x, std::int64_t y, std::int32_t* line, std::int32_t* col) const {
  std::int64_t width = m_nPageWidth, height = m_nPageHeight;
  // A turned page: the coordinates as the page is shown.
  switch (m_nPageRotate) {
    case 90: {
      const std::int64_t nx = y, ny = width - x;
      x = nx;
      y = ny;
      std::swap(width, height);
      break;
    }
    case 180:
      x = width - x;
      y = height - y;
      break;
    case 270: {
      const std::int64_t nx = height - y, ny = x;
      x = nx;
      y = ny;
      std::swap(width, height);
      break;
    }
    default:
      break;
  }
  std::int64_t c = ((x - m_nOriginX) / 64) / (m_words.widthAdjust + 2);
  c = std::max<std::int64_t>(1, std::min<std::int64_t>(c, kColumnEnd - 1));
  // Lines count down from the page's top, 7 points each.
  std::int64_t l = (height - (y - m_nOriginY)) / kLinePitch;
  l = std::max<std::int64_t>(0, std::min<std::int64_t>(l, kBandText));
  *line = static_cast<std::int32_t>(m_nBandBase + l);
  *col = static_cast<std::int32_t>(c);
}

int PdfConverter::UnicodeToSjis(std::uint32_t u, std::uint8_t* out) {
  for (const Radical& r : kRadicals) {
    if (r.from == u) {
      u = r.to;
      break;
    }
  }
  if (u == 0 || u > 0xFFFF || (u >= 0xD800 && u <= 0xDFFF)) return PdfMapUnicodeSymbol(u, &out[0], &out[1]);
  const char16_t ch = static_cast<char16_t>(u);
  const std::string s = fw::Utf16ToCp932(&ch, 1);
  if (s.empty() || (s == "?" && u != '?')) return PdfMapUnicodeSymbol(u, &out[0], &out[1]);
  out[0] = static_cast<std::uint8_t>(s[0]);
  if (s.size() == 1) return 1;
  out[1] = static_cast<std::uint8_t>(s[1]);
  return 2;
}

void PdfConverter::DecodeString(const std::uint8_t* bytes, std::int32_t count, bool hex, const TextState& ts,
                                std::vector<Glyph>* glyphs) {
  auto add = [&](const std::uint8_t* s, int n, bool blank) {
    Glyph g;
    g.n = n;
    g.b[0] = s[0];
    g.b[1] = n > 1 ? s[1] : 0;
    g.literalBlank = blank && !hex;
    glyphs->push_back(g);
  };
  std::uint8_t out[2] = {0, 0};
  // A font's code table exists once a map was read (an empty one maps nothing).
  const bool mapped = (ts.fontKind & 2) != 0 && ts.fontKind != 9 && !m_anFontCode.empty();
  if (ts.fontKind == 9 || ts.twoByte) {
    for (std::int32_t i = 0; i < count; i += 2) {
      const std::uint32_t code = (static_cast<std::uint32_t>(bytes[i]) << 8) | (i + 1 < count ? bytes[i + 1] : 0);
      int n = 0;
      if (ts.fontKind == 9) {
        n = UnicodeToSjis(code, out);
      } else if (mapped && code <= static_cast<std::uint32_t>(kPdfCodeMax) && m_anFontCode[code] != 0) {
        n = UnicodeToSjis(m_anFontCode[code], out);
      } else {
        out[0] = static_cast<std::uint8_t>(code >> 8);
        out[1] = static_cast<std::uint8_t>(code & 0xFF);
        textcodec::CidToSjis(&out[0], &out[1], m_cid.m_anCidBreak, m_cid.m_anSjisBreak, m_cid.m_abCidSymbol);
        n = out[1] ? 2 : 1;
      }
      if (n == 1 && out[0] == ' ') {
        add(out, 1, true);
      } else if (n > 0) {
        add(out, n, false);
      }
    }
    return;
  }
  const bool simple = (ts.fontFlags & kPdfFlagSimple) == kPdfFlagSimple;
  for (std::int32_t i = 0; i < count; ++i) {
    std::uint8_t b = bytes[i];
    if (mapped && m_anFontCode[b] != 0) {
      const std::uint16_t u = m_anFontCode[b];
      if (simple) {
        b = static_cast<std::uint8_t>(u & 0xFF);  // a Differences name: its character
      } else {
        const int n = UnicodeToSjis(u, out);
        if (n == 1 && out[0] == ' ')
          add(out, 1, true);
        else if (n > 0)
          add(out, n, false);
        continue;
      }
    }
    if (b == ' ') {
      add(&b, 1, true);
      continue;
    }
    if (m_words.latin1 == 1 && b >= 0x80) {
      b = TransliterateLatin1(b);
      add(&b, 1, b == ' ');
      continue;
    }
    if (b >= 0x80 || b < 0x20) {
      std::uint8_t lead = ' ';
      PdfMapSimpleFontByte(&b, &lead);
      if (lead == 0x81) {
        out[0] = lead;
        out[1] = b;
        add(out, 2, false);
        continue;
      }
      if (lead != ' ') add(&lead, 1, false);
    }
    add(&b, 1, false);
  }
}

void PdfConverter::ShowString(const std::uint8_t* bytes, std::int32_t count, bool hex, TextState& ts) {
  if (count <= 0) return;
  std::vector<Glyph> glyphs;
  DecodeString(bytes, count, hex, ts, &glyphs);
  bool fresh = false;
  if (m_words.docEditMode != 2 && ts.placeFromPos) {
    std::int64_t x = 0, y = 0;
    DevicePosition(ts, &x, &y);
    GridPlace(x, y, &m_nGridLine, &m_nGridCol);
    ts.placeFromPos = false;
    fresh = true;
  }
  // The same string at the same place again (a shadow or bold effect): it
  // is dropped, and so is what follows until the next move.
  if (fresh && !ts.vertical && !ts.overprint) {
    const std::uint8_t* row = GridLine(m_nGridLine);
    std::int32_t col = m_nGridCol;
    bool same = row != nullptr;
    bool any = false;
    for (const Glyph& g : glyphs) {
      if (!same) break;
      if (g.literalBlank) {
        ++col;
        continue;
      }
      if (g.n == 2 && (col & 1)) --col;
      if (col + g.n > kColumnEnd) {
        same = false;
        break;
      }
      for (int k = 0; k < g.n; ++k) same = same && row[col + k] == g.b[k];
      col += g.n;
      any = true;
    }
    if (same && any) ts.overprint = true;
  }
  for (const Glyph& g : glyphs) PlaceGlyph(g, ts);
  // The text x moves on by the advance of every byte shown.
  const std::int64_t per = (static_cast<std::int64_t>(ts.width) + ts.charSpace) * 100 / AdvanceDivisor();
  ts.advance = std::max<std::int64_t>(-1000000000, std::min<std::int64_t>(1000000000, ts.advance + per * count));
  ts.shownSinceMove = static_cast<std::int32_t>(std::min<std::int64_t>(std::int64_t{ts.shownSinceMove} + count, 1000000));
  ts.afterHex = hex;
}

void PdfConverter::PlaceGlyph(const Glyph& glyph, TextState& ts) {
  if (ts.overprint) return;  // neither written nor advancing
  if (glyph.literalBlank) {
    if (!ts.vertical && m_nGridCol < kColumnEnd) ++m_nGridCol;
    if (ts.vertical) ++m_nGridLine;
    return;
  }
  std::uint8_t b[2] = {glyph.b[0], glyph.b[1]};
  int n = glyph.n;
  if (n == 2 && !IsLead(b[0]) && b[0] != 0x20) {
    // Not a lead byte of the grid's set: two single cells.
    n = 2;
  }
  if (ts.vertical && n == 2) {
    for (const VerticalForm& v : kVertical) {
      if (v.a == b[0] && v.b == b[1]) {
        b[0] = v.toA;
        b[1] = v.toB;
        break;
      }
    }
  }
  const std::int32_t bandLast = std::min(m_nBandBase + kBandText, m_words.tblMax - 4);
  std::int32_t line = m_nGridLine;
  if (line < m_nBandBase) line = m_nBandBase;
  if (line > bandLast) {
    if (ts.vertical) return;  // the column ran past the band's end
    line = bandLast;
  }
  std::uint8_t* row = GridLine(line);
  if (!row) return;
  std::int32_t col = std::max(m_nGridCol, 1);
  // A two-byte character starts at an even column (column 0 is never written).
  if (n == 2 && IsLead(b[0]) && (col & 1)) col = col > 1 ? col - 1 : 2;
  if (col + n > kColumnEnd) return;
  // The pull-back count: horizontal text written to the left of its column.
  if (!ts.vertical && ts.pullBack > 0 && ts.pullBack < col) {
    std::int32_t target = col - ts.pullBack;
    while (ts.pullBack > 0 && Occupied(row[target])) {
      --ts.pullBack;
      target = col - ts.pullBack;
    }
    for (int k = 0; k < 10 && ts.pullBack > 0 && target - 2 >= 1 && !Occupied(row[target - 1]) &&
                    !Occupied(row[target - 2]);
         ++k) {
      ++ts.pullBack;
      --target;
    }
    if (ts.pullBack > 0 && target >= 1 && target + n <= kColumnEnd) col = target;
  }
  // Another character there: moved right by two columns at a time.
  auto busy = [&](std::int32_t c) {
    for (int k = 0; k < n; ++k)
      if (Occupied(row[c + k])) return true;
    return false;
  };
  if (busy(col)) {
    std::int32_t c = col;
    bool found = false;
    for (int step = 0; step < kCollisionSteps - 1; ++step) {
      c += 2;
      if (c + n > kColumnEnd) break;
      if (!busy(c)) {
        found = true;
        break;
      }
    }
    if (found) col = c;
  }
  for (int k = 0; k < n; ++k) row[col + k] = b[k];
  if (line > m_nMaxLine) m_nMaxLine = line;
  if (ts.vertical) {
    m_nGridLine = line + 1;
    m_nGridCol = col;
  } else {
    m_nGridLine = line;
    m_nGridCol = std::min(col + n, kColumnEnd);
  }
}

void PdfConverter::PlaceImageMarker(std::int32_t obj, const TextState& ts) {
  const std::int64_t* m = ts.ctm;
  int o = 0;
  if (m[0] != 0 && m[3] != 0) {
    o = m[0] > 0 ? (m[3] > 0 ? 0 : 1) : (m[3] > 0 ? 2 : 3);
  } else {
    o = m[1] >= 0 ? (m[2] >= 0 ? 4 : 5) : (m[2] >= 0 ? 6 : 7);
  }
  const CString marker = PdfImageMarker(obj, o, m_nPageRotate, 1, m_nImageFilter);
  // The picture's top left corner; sides above 600 points count as 600.
  const std::int64_t w = std::max<std::int64_t>(-kPictureSide, std::min<std::int64_t>(m[0], kPictureSide));
  const std::int64_t h = std::max<std::int64_t>(-kPictureSide, std::min<std::int64_t>(m[3], kPictureSide));
  const std::int64_t x = m[4] + std::min<std::int64_t>(w, 0);
  const std::int64_t y = m[5] + std::max<std::int64_t>(h, 0);
  std::int32_t line = 0, col = 0;
  GridPlace(x, y, &line, &col);
  line = std::max(line, m_nBandBase + 1);
  line = std::min(line, m_nBandBase + kBandText - 1);
  col = std::min(col, kMarkerColumn);
  std::uint8_t* row = GridLine(line);
  if (row && row[col] == '[' && line + 1 <= m_nBandBase + kBandText - 1) row = GridLine(++line);
  if (!row) return;
  const char* text = marker;
  const std::int32_t len = static_cast<std::int32_t>(std::strlen(text));
  for (std::int32_t k = 0; k < len && col + k < kColumnEnd; ++k) row[col + k] = static_cast<std::uint8_t>(text[k]);
  if (line > m_nMaxLine) m_nMaxLine = line;
}

}  // namespace convert
